// The VR menu: its cursor on both lists, the category and mission tables, the host's talk,
// starting a mission and its loadout, and a stored result; the result time of a cleared
// mission and its place among the three best times.
#include "game/editor/vr_menu.h"

#include <gtest/gtest.h>

#include <string>

#include "game/editor/vr_result.h"
#include "game/shell/action_mapping.h"
#include "game/shell/game_data.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

class VrMenuTest : public shell_test::ShellTest {
 protected:
  VrMenuTest() {
    game.gameState = STATE_VR_MENU;
    menu = game.vrMenu.Create();
    menu->Update(0);  // entry
  }
  ~VrMenuTest() override { game.vrMenu.Delete(); }

  // One press: a frame with the input, then one without.
  void Press(int pad, int action = 0) {
    if (action != 0) game.action[action] = 1;
    menu->Update(pad);
    game.action[action] = 0;
    menu->Update(0);
  }
  void Up() { Press(kPadUp); }
  void Down() { Press(kPadDown); }
  void Confirm() { Press(0, kActionConfirm); }
  void Cancel() { Press(0, kActionCancel); }

  VrMenu* menu = nullptr;
};

TEST_F(VrMenuTest, EntryPutsTheFirstCharacterInHerFirstCostume) {
  game.character = 2;
  game.costume = 1;
  VrMenu other;
  EXPECT_EQ(game.character, 0);
  EXPECT_EQ(game.costume, 0);
}

TEST_F(VrMenuTest, CategoryCursorWrapsOverSixRows) {
  game.menuCursor = 0;
  Up();
  EXPECT_EQ(game.menuCursor, 5);
  Down();
  EXPECT_EQ(game.menuCursor, 0);
  for (int i = 0; i < 5; ++i) Down();
  EXPECT_EQ(game.menuCursor, 5);
  Down();
  EXPECT_EQ(game.menuCursor, 0);
}

TEST_F(VrMenuTest, HeldKeyMovesOncePerPress) {
  game.menuCursor = 0;
  for (int i = 0; i < 5; ++i) menu->Update(kPadDown);
  EXPECT_EQ(game.menuCursor, 1);
}

// Entering each category and wrapping its mission list both ways.
struct CategoryCase {
  const char* name;
  int row;
  int missions;
};

class VrMenuCategories : public VrMenuTest, public ::testing::WithParamInterface<CategoryCase> {};

TEST_P(VrMenuCategories, MissionListWrapsAtItsLength) {
  const CategoryCase& k = GetParam();
  game.menuCursor = k.row;
  game.vrMission = 0;
  Confirm();
  EXPECT_EQ(game.vrCategory, k.row + 1);
  EXPECT_EQ(game.menuCursor, k.row);  // the category stays marked
  Up();
  EXPECT_EQ(game.vrMission, k.missions - 1);
  Down();
  EXPECT_EQ(game.vrMission, 0);
  for (int i = 0; i < k.missions - 1; ++i) Down();
  EXPECT_EQ(game.vrMission, k.missions - 1);
  EXPECT_STRNE(VrMissionHelp(k.row + 1, game.vrMission), "");
  Cancel();
  EXPECT_EQ(game.vrCategory, 0);
  EXPECT_EQ(game.vrMission, 0);
  EXPECT_EQ(game.gameState, STATE_VR_MENU);
}

INSTANTIATE_TEST_SUITE_P(Rows, VrMenuCategories,
                         ::testing::Values(CategoryCase{"Sneaking", 0, 10}, CategoryCase{"Weapon", 1, 10},
                                           CategoryCase{"Advanced", 2, 5}, CategoryCase{"Bomb", 3, 5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(VrMenuTest, HelpLinesExistForEveryMissionAndNoneBeyond) {
  EXPECT_STREQ(VrMissionHelp(1, 0), "無駄な動作は一切排除！");
  EXPECT_STREQ(VrMissionHelp(4, 4), "ボム兵わーるど上級編へようこそ！最後にバシッと決めていってね。");
  EXPECT_STREQ(VrMissionHelp(3, 5), "");
  EXPECT_STREQ(VrMissionHelp(0, 0), "");
  EXPECT_STREQ(kVrCategoryHelp[5], "今日はもう終了？");
}

TEST_F(VrMenuTest, TalkShowsOneLineAndStaysUntilTheMenuIsGone) {
  game.menuCursor = 4;
  Confirm();
  ASSERT_EQ(menu->talkShown, 1);
  EXPECT_LT(menu->talkLine, kVrHostLines);
  const int line = menu->talkLine;
  for (int i = 0; i < 10; ++i) Confirm();
  EXPECT_EQ(menu->talkLine, line);
  EXPECT_EQ(game.gameState, STATE_VR_MENU);
}

TEST_F(VrMenuTest, BackToTitleFromTheRowAndByCancel) {
  game.menuCursor = 5;
  game.vrMission = 3;
  game.action[kActionConfirm] = 1;
  menu->Update(0);
  game.action[kActionConfirm] = 0;
  EXPECT_EQ(game.gameState, STATE_TITLE);
  EXPECT_EQ(game.screenEntered, 0);
  EXPECT_EQ(game.menuCursor, 2);
  EXPECT_EQ(game.vrMission, 0);

  game.gameState = STATE_VR_MENU;
  game.menuCursor = 1;
  menu->Update(0);
  game.action[kActionCancel] = 1;
  menu->Update(0);
  EXPECT_EQ(game.gameState, STATE_TITLE);
  EXPECT_EQ(game.menuCursor, 2);
}

TEST_F(VrMenuTest, StartingAMissionHandsOverItsPlacesAndLoadsItsStage) {
  menu->records[2][3][0][0] = 7;
  menu->records[2][3][0][1] = 1;
  menu->records[2][3][1][0] = 8;
  menu->marks[2][3] = kVrMarkClean;
  game.menuCursor = 2;
  Confirm();
  for (int i = 0; i < 3; ++i) Down();
  ASSERT_EQ(game.vrMission, 3);
  game.nextMissionNumber = 5;
  game.action[kActionConfirm] = 1;
  menu->Update(0);
  EXPECT_EQ(game.gameState, STATE_STAGE_LOAD);
  EXPECT_EQ(game.gameMode, kModeVr);
  EXPECT_EQ(game.area, 2);
  EXPECT_EQ(game.subStage, 3);
  EXPECT_EQ(game.missionNumber, 5);
  EXPECT_EQ(game.menuCursor, 0);
  EXPECT_EQ(game.vrResultTimes[0][0], 7);
  EXPECT_EQ(game.vrResultTimes[0][1], 1);
  EXPECT_EQ(game.vrResultTimes[1][0], 8);
  EXPECT_EQ(game.vrResultTimes[2][0], 59);
  EXPECT_EQ(game.vrResultMark, kVrMarkClean);
  // Advanced 4: weapon 3 with two shots, selected.
  EXPECT_EQ(player.weapons[3], 2);
  EXPECT_EQ(player.selectedWeapon, 3);
}

TEST_F(VrMenuTest, AnOddMarkIsHandedOverAsNothing) {
  menu->marks[0][0] = 0x55;
  game.menuCursor = 0;
  Confirm();
  game.action[kActionConfirm] = 1;
  menu->Update(0);
  EXPECT_EQ(game.vrResultMark, kVrMarkNone);
}

TEST_F(VrMenuTest, StoredResultIsWrittenAndClampedOnTheNextFrame) {
  game.vrCategory = 2;
  game.vrMission = 4;
  const uint16_t times[3][3] = {{0, 4, 99}, {0, 20, 0}, {59, 59, 99}};  // below Weapon 5's minimum
  for (int p = 0; p < 3; ++p) {
    for (int f = 0; f < 3; ++f) game.vrResultTimes[p][f] = times[p][f];
  }
  game.vrResultMark = kVrMarkClean;
  game.vrResultPending = 1;
  menu->Update(0);
  EXPECT_EQ(game.vrResultPending, 0);
  EXPECT_TRUE(IsEmptyVrTime(menu->records[1][4][0]));
  EXPECT_TRUE(IsEmptyVrTime(menu->records[1][4][1]));

  game.vrMission = 3;
  game.vrResultTimes[0][0] = 4;
  game.vrResultTimes[0][1] = 31;
  game.vrResultPending = 1;
  menu->Update(0);
  VrMenu reread;
  EXPECT_EQ(reread.records[1][3][0][0], 4);
  EXPECT_EQ(reread.records[1][3][0][1], 31);
  EXPECT_EQ(reread.marks[1][3], kVrMarkClean);
}

TEST_F(VrMenuTest, ReturningFromAMissionOpensItsCategory) {
  game.vrCategory = 4;
  game.vrMission = 2;
  game.menuCursor = 0;
  game.screenEntered = 0;
  menu->Update(0);
  EXPECT_EQ(game.menuCursor, 3);
  EXPECT_EQ(game.vrMission, 2);
}

// Loadouts: weapons owned (with their shots) and the one selected.
struct LoadoutCase {
  const char* name;
  int category, mission;
  std::vector<std::pair<int, int>> weapons;
  int selected;
};

class VrLoadout : public shell_test::ShellTest, public ::testing::WithParamInterface<LoadoutCase> {};

TEST_P(VrLoadout, WeaponsAndSelection) {
  const LoadoutCase& k = GetParam();
  player.weapons[9] = 3;
  player.items[1] = 4;
  player.gadgets[5] = 1;
  player.life = 20;
  player.selectedWeapon = 11;
  game.saveRecord[63] = game.checkpoint[66] = 1;
  game.vrHitsTaken = game.vrDiscoveries = 4;
  game.vrCategory = static_cast<uint16_t>(k.category);
  game.vrMission = static_cast<uint16_t>(k.mission);
  SetUpVrMissionLoadout();
  int owned = 0;
  for (int w = 0; w < kWeaponCount; ++w) owned += player.weapons[w] != kNotOwned;
  EXPECT_EQ(owned, static_cast<int>(k.weapons.size()));
  for (auto [weapon, shots] : k.weapons) EXPECT_EQ(player.weapons[weapon], shots) << weapon;
  EXPECT_EQ(player.selectedWeapon, k.selected);
  EXPECT_EQ(player.items[1], kNotOwned);
  EXPECT_EQ(player.gadgets[0], 0);
  EXPECT_EQ(player.gadgets[5], kNotOwned);
  EXPECT_EQ(player.life, 100);
  EXPECT_EQ(game.saveRecord[63], 0);
  EXPECT_EQ(game.checkpoint[66], 0);
  EXPECT_EQ(game.vrHitsTaken + game.vrDiscoveries, 0);
  EXPECT_EQ(game.missionRules[1], k.category == 1 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VrLoadout,
    ::testing::Values(LoadoutCase{"Sneaking7", 1, 6, {{0, 0}}, 0}, LoadoutCase{"Weapon1", 2, 0, {{0, 0}}, 0},
                      LoadoutCase{"Weapon2", 2, 1, {{1, 4}}, 1}, LoadoutCase{"Weapon5", 2, 4, {{4, 2}}, 4},
                      LoadoutCase{"Weapon10", 2, 9, {{2, 1}}, 2}, LoadoutCase{"Advanced1", 3, 0, {{0, 3}, {2, 2}}, 0},
                      LoadoutCase{"Advanced3", 3, 2, {{3, 2}, {4, 0}}, 4}, LoadoutCase{"Bomb3", 4, 2, {{2, 3}, {4, 3}}, 4},
                      LoadoutCase{"Bomb5", 4, 4, {{2, 1}, {4, 2}}, 4}, LoadoutCase{"BombOutOfRange", 4, 7, {}, 11},
                      LoadoutCase{"NoCategory", 0, 0, {}, 11}),
    [](const auto& info) { return std::string(info.param.name); });

// The result of a cleared mission: penalties, its place, the mark.
struct ResultCase {
  const char* name;
  int minutes, seconds, hundredths, hours;
  int discoveries, hits;
  uint16_t best[3][3];
  uint8_t markBefore;
  uint16_t expectTime[3];
  int place;
  uint16_t expectBest[3][3];
  uint8_t mark;
};

class VrResult : public shell_test::ShellTest, public ::testing::WithParamInterface<ResultCase> {};

TEST_P(VrResult, RankedIntoTheThreePlaces) {
  const ResultCase& k = GetParam();
  game.clockMinutes = static_cast<uint16_t>(k.minutes);
  game.clockSeconds = static_cast<uint16_t>(k.seconds);
  game.clockHundredths = static_cast<uint16_t>(k.hundredths);
  game.clockHours = static_cast<uint16_t>(k.hours);
  game.vrDiscoveries = static_cast<uint16_t>(k.discoveries);
  game.vrHitsTaken = static_cast<uint16_t>(k.hits);
  for (int p = 0; p < 3; ++p) {
    for (int f = 0; f < 3; ++f) game.vrResultTimes[p][f] = k.best[p][f];
  }
  game.vrResultMark = k.markBefore;
  ComputeVrResult();
  EXPECT_EQ(game.vrResultPending, 1);
  for (int f = 0; f < 3; ++f) EXPECT_EQ(vrResultPanel.time[f], k.expectTime[f]) << f;
  EXPECT_EQ(vrResultPanel.place, k.place);
  for (int p = 0; p < 3; ++p) {
    for (int f = 0; f < 3; ++f) EXPECT_EQ(game.vrResultTimes[p][f], k.expectBest[p][f]) << p << "/" << f;
  }
  EXPECT_EQ(game.vrResultMark, k.mark);
}

constexpr uint16_t kE = 59;  // the empty place is 59:59.99
INSTANTIATE_TEST_SUITE_P(
    Cases, VrResult,
    ::testing::Values(
        ResultCase{"FirstPlayIsBestAndClean", 1, 2, 3, 0, 0, 0, {{kE, 59, 99}, {kE, 59, 99}, {kE, 59, 99}}, 0x40,
                   {1, 2, 3}, 1, {{1, 2, 3}, {kE, 59, 99}, {kE, 59, 99}}, 0x41},
        ResultCase{"FasterPushesTheOthersDown", 1, 0, 0, 0, 0, 0, {{1, 10, 0}, {1, 20, 0}, {1, 30, 0}}, 0x40,
                   {1, 0, 0}, 1, {{1, 0, 0}, {1, 10, 0}, {1, 20, 0}}, 0x41},
        ResultCase{"EqualTakesThePlace", 1, 20, 0, 0, 0, 0, {{1, 10, 0}, {1, 20, 0}, {1, 30, 0}}, 0x41,
                   {1, 20, 0}, 2, {{1, 10, 0}, {1, 20, 0}, {1, 20, 0}}, 0x41},
        ResultCase{"SlowerThanAllKeepsTheTable", 2, 0, 0, 0, 0, 0, {{1, 10, 0}, {1, 20, 0}, {1, 30, 0}}, 0x41,
                   {2, 0, 0}, 0, {{1, 10, 0}, {1, 20, 0}, {1, 30, 0}}, 0x41},
        ResultCase{"DiscoveredBestGetsNoMark", 0, 50, 0, 0, 1, 0, {{kE, 59, 99}, {kE, 59, 99}, {kE, 59, 99}}, 0x41,
                   {1, 10, 0}, 1, {{1, 10, 0}, {kE, 59, 99}, {kE, 59, 99}}, 0x40},
        ResultCase{"HitBestGetsNoMark", 0, 10, 50, 0, 0, 2, {{0, 30, 0}, {kE, 59, 99}, {kE, 59, 99}}, 0x41,
                   {0, 40, 50}, 2, {{0, 30, 0}, {0, 40, 50}, {kE, 59, 99}}, 0x41},
        ResultCase{"PenaltiesPastAnHourAreTheSlowestTime", 59, 30, 0, 0, 2, 0, {{kE, 59, 99}, {kE, 59, 99}, {kE, 59, 99}},
                   0x40, {59, 59, 99}, 1, {{59, 59, 99}, {kE, 59, 99}, {kE, 59, 99}}, 0x40},
        // The clock's minutes wrap into its hours; an hour and five minutes is not 5:00.
        ResultCase{"AnHourOnTheClockIsTheSlowestTime", 5, 0, 0, 1, 0, 0, {{kE, 59, 99}, {kE, 59, 99}, {kE, 59, 99}}, 0x40,
                   {59, 59, 99}, 1, {{59, 59, 99}, {kE, 59, 99}, {kE, 59, 99}}, 0x41}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VrResultGrade, ByTheMissionLimits) {
  const uint16_t ss[3] = {0, 7, 60}, d[3] = {0, 10, 1}, none[3] = {59, 59, 99};
  EXPECT_EQ(VrResultGrade(0, 0, ss), 0);
  EXPECT_EQ(VrResultGrade(0, 0, d), 5);
  EXPECT_EQ(VrResultGrade(0, 0, none), -1);
}

}  // namespace
