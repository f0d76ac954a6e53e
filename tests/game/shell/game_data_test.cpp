#include "game/shell/game_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/game/shell/shell_fixture.h"

namespace {

using GameDataTest = shell_test::ShellTest;

TEST_F(GameDataTest, ResetGameDataStartsARun) {
  game.missionRules[7] = 1;
  game.playedFromSlotList = 1;
  game.clearRecords[42][1] = 3;
  game.visitRecords[99] = 1;
  game.missionNumber = 9;
  game.detections = 4;
  game.character = 2;
  game.saveSlot = 3;
  game.screenEntered = 1;
  player.weapons[3] = 5;

  ResetGameData();
  EXPECT_EQ(game.missionRules[0], 2);
  EXPECT_EQ(game.missionRules[7], 0);
  EXPECT_EQ(game.playedFromSlotList, 0);
  EXPECT_EQ(game.clearRecords[42][1], 0);
  EXPECT_EQ(game.visitRecords[99], 0);
  EXPECT_EQ(game.missionNumber, 1);
  EXPECT_EQ(game.detections, 0);
  EXPECT_EQ(game.character, 0);
  EXPECT_EQ(game.saveSlot, 1);
  EXPECT_EQ(game.screenEntered, 0);
  EXPECT_EQ(player.lifeMax, 100);
  EXPECT_EQ(player.life, 100);
  EXPECT_EQ(player.weapons[3], kNotOwned);
  EXPECT_EQ(player.items[9], kNotOwned);
  EXPECT_EQ(player.gadgets[0], 1);
  EXPECT_EQ(player.gadgets[1], 1);
  EXPECT_EQ(player.gadgets[2], kNotOwned);
}

TEST_F(GameDataTest, ResetStageStateClearsTheStageButKeepsTheInventory) {
  game.scrollX = 800;
  game.scrollY = -600;
  game.paused = 1;
  game.alertCountdown = 300;
  game.alertHold = 2;
  game.mapObjectCount = 40;
  game.gameOverFade = 9;
  game.missionRules[7] = 1;
  game.missionRules[1] = 1;
  game.reinforcementsCalled = 1;
  game.doorDestinations[9][1] = 4;
  player.action = 51;
  player.x = 300;
  player.crouching = 1;
  player.hiding = 1;
  player.life = 40;
  player.lifeMax = 100;
  player.entryDoor = 3;
  player.locked = 1;
  player.selectedWeapon = 2;
  player.weapons[2] = 6;
  player.items[1] = 2;
  player.gadgets[5] = 1;

  ResetStageState();
  EXPECT_EQ(game.scrollX, 0);
  EXPECT_EQ(game.scrollY, 0);
  EXPECT_EQ(game.paused, 0);
  EXPECT_EQ(game.alertCountdown, 0);
  EXPECT_EQ(game.alertHold, 0);
  EXPECT_EQ(game.mapObjectCount, 0);
  EXPECT_EQ(game.gameOverFade, 0);
  EXPECT_EQ(game.missionRules[7], 0);
  EXPECT_EQ(game.missionRules[1], 1);
  EXPECT_EQ(game.reinforcementsCalled, 0);
  EXPECT_EQ(game.doorDestinations[9][1], 0);
  EXPECT_EQ(player.action, 0);
  EXPECT_EQ(player.x, 0);
  EXPECT_EQ(player.crouching, 0);
  EXPECT_EQ(player.hiding, 0);
  EXPECT_EQ(player.standOn, kNoObject);
  EXPECT_EQ(player.life, 40);
  EXPECT_EQ(player.entryDoor, 3);
  EXPECT_EQ(player.locked, 1);
  EXPECT_EQ(player.selectedWeapon, 2);
  EXPECT_EQ(player.weapons[2], 6);
  EXPECT_EQ(player.items[1], 2);
  EXPECT_EQ(player.gadgets[5], 1);
}

TEST_F(GameDataTest, StartingLoadoutByCharacter) {
  struct Case {
    int character, selected;
    std::vector<std::pair<int, int>> weapons;
    int mark67;
  };
  const Case cases[] = {
      {0, 0, {{0, 8}, {2, 8}}, 0},
      {1, 2, {{1, 4}, {2, 12}, {8, 8}}, 1},
      {2, 12, {{12, 10}}, 0},
      {3, 7, {}, 0},
  };
  for (const Case& c : cases) {
    shell_test::ResetGameGlobals();
    for (uint16_t& w : player.weapons) w = kNotOwned;
    player.selectedWeapon = 7;
    player.life = 5;
    game.character = static_cast<uint8_t>(c.character);
    GiveStartingLoadout();
    EXPECT_EQ(player.life, 100) << c.character;
    EXPECT_EQ(player.selectedWeapon, c.selected) << c.character;
    int owned = 0;
    for (uint16_t w : player.weapons) owned += w != kNotOwned;
    EXPECT_EQ(owned, static_cast<int>(c.weapons.size())) << c.character;
    for (auto [weapon, count] : c.weapons) EXPECT_EQ(player.weapons[weapon], count) << c.character;
    EXPECT_EQ(game.saveRecord[67], c.mark67) << c.character;
  }
}

TEST_F(GameDataTest, NewGameClearsTheRecordsThenMarksTheSecondCharacter) {
  for (uint8_t& b : game.saveRecord) b = 7;
  for (uint8_t& b : game.checkpoint) b = 7;
  game.character = 1;
  game.area = 4;
  game.incapacitations = 3;
  player.items[0] = 1;
  ResetNewGame();
  EXPECT_EQ(game.area, 0);
  EXPECT_EQ(game.incapacitations, 0);
  EXPECT_EQ(game.missionNumber, 1);
  EXPECT_EQ(player.items[0], kNotOwned);
  EXPECT_EQ(player.gadgets[1], 1);
  EXPECT_EQ(player.weapons[8], 8);
  for (int i = 0; i < 512; ++i) {
    EXPECT_EQ(game.checkpoint[i], 0) << i;
    EXPECT_EQ(game.saveRecord[i], i == 67 ? 1 : 0) << i;
  }
}

// Screen-object slots, with a class that records its life.
std::vector<std::string> g_events;

struct Recorder {
  explicit Recorder(std::string name) : name(std::move(name)) { g_events.push_back("make " + this->name); }
  ~Recorder() { g_events.push_back("end " + name); }
  void Update(int pad) { g_events.push_back(name + " pad " + std::to_string(pad)); }
  std::string name;
};

struct Silent {
  ~Silent() { g_events.push_back("end silent"); }
};

TEST(ScreenSlotTest, CreateUpdateAndDelete) {
  g_events.clear();
  ScreenSlot<Recorder> slot;
  slot.Update(1);
  EXPECT_TRUE(g_events.empty()) << "an empty slot runs nothing";
  ASSERT_NE(slot.Create("a"), nullptr);
  EXPECT_TRUE(slot);
  slot.Update(5);
  slot.Delete();
  EXPECT_FALSE(slot);
  slot.Delete();
  EXPECT_EQ(g_events, (std::vector<std::string>{"make a", "a pad 5", "end a"}));
}

TEST(ScreenSlotTest, ReplacedObjectLivesUntilTheFrameIsOver) {
  g_events.clear();
  {
    ScreenSlot<Recorder> slot;
    slot.Create("old");
    slot.Create("new");
    EXPECT_EQ(slot->name, "new");
    EXPECT_EQ(g_events.back(), "make new") << "the old object may still be running";
    slot.DeleteRetired();
    EXPECT_EQ(g_events.back(), "end old");
  }
  EXPECT_EQ(g_events.back(), "end new");
}

TEST(ScreenSlotTest, ObjectWithoutAFrameFunctionIsHeldAndDeleted) {
  g_events.clear();
  ScreenSlot<Silent> slot;
  slot.Create();
  slot.Update(1);
  slot.Delete();
  EXPECT_EQ(g_events, (std::vector<std::string>{"end silent"}));
}

}  // namespace
