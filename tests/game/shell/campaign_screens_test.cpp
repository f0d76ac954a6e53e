// The campaign screens between missions: the route table, the new-game setup's steps, the
// game-over timings, the result scores and the screen hand-over between slots.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/shell/briefing_screen.h"
#include "game/shell/briefing_tables.h"
#include "game/shell/campaign_state.h"
#include "game/shell/clear_result_panel.h"
#include "game/shell/game_over.h"
#include "game/shell/mission_briefing.h"
#include "game/shell/new_game_setup.h"
#include "game/shell/save_select.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

using shell_test::GameRunTest;
namespace key = platform::key;

// ---- Screen slots ----

struct Probe {
  static inline int alive = 0;
  Probe() { ++alive; }
  ~Probe() { --alive; }
};

TEST(ScreenSlotTest, ARetiredObjectLivesUntilTheEndOfTheFrame) {
  {
    ScreenSlot<Probe> slot;
    slot.Retire();  // an empty slot: nothing to retire
    slot.Create();
    slot.Retire();
    EXPECT_FALSE(slot);
    EXPECT_EQ(Probe::alive, 1) << "still alive for the caller running inside it";
    slot.Create();
    slot.Retire();  // the first one goes now, the second waits
    EXPECT_EQ(Probe::alive, 1);
    slot.DeleteRetired();
    EXPECT_EQ(Probe::alive, 0);
    slot.Create();
    slot.Retire();
  }
  EXPECT_EQ(Probe::alive, 0) << "the slot's end deletes what it retired";
}

// ---- Route table ----

TEST(RouteTableTest, EveryKeyAtEveryNodeLeadsToAnExistingStageOrDoesNothing) {
  const RouteKey keys[] = {RouteKey::kLeft, RouteKey::kRight, RouteKey::kUp, RouteKey::kDown};
  int accepted = 0;
  for (int area = 0; area < kMapAreas; ++area) {
    for (int node = 0; node < kNodesPerArea[area]; ++node) {
      for (int column = 0; column <= 1; ++column) {
        for (int row = 0; row <= 2; ++row) {
          for (RouteKey k : keys) {
            RouteChoice c;
            if (!ChooseRoute(area, node, k, column, row, &c)) continue;
            ++accepted;
            ASSERT_TRUE(c.area >= 0 && c.area < kMapAreas) << area << "/" << node;
            EXPECT_TRUE(c.subStage >= 0 && c.subStage < kStagesPerArea[c.area])
                << "node " << area << "/" << node << " leads to " << c.area << "/" << c.subStage;
            EXPECT_TRUE(c.column == 0 || c.column == 1);
            EXPECT_TRUE(c.row >= 0 && c.row <= 2);
          }
        }
      }
    }
  }
  EXPECT_GT(accepted, 100);
  RouteChoice c;
  EXPECT_FALSE(ChooseRoute(7, 7, RouteKey::kRight, 0, 0, &c)) << "a node the area does not list";
}

struct RouteCase {
  const char* name;
  int area, node;
  RouteKey key;
  int column, row;
  bool accepted;
  int toArea, toStage, toColumn, toRow;
};

TEST(RouteTableTest, BranchesByType) {
  using K = RouteKey;
  const RouteCase cases[] = {
      {"straight right", 0, 0, K::kRight, 0, 0, true, 0, 1, 1, 0},
      {"straight left", 0, 0, K::kLeft, 1, 0, true, 0, 0, 0, 0},
      {"straight refuses up", 0, 0, K::kUp, 0, 0, false, 0, 0, 0, 0},
      {"into the next area", 0, 3, K::kRight, 0, 0, true, 1, 0, 1, 0},
      {"fixed left exit", 0, 3, K::kLeft, 1, 0, true, 0, 3, 0, 0},
      {"vertical down", 0, 4, K::kDown, 0, 0, true, 0, 4, 0, 1},
      {"vertical refuses right", 0, 4, K::kRight, 0, 0, false, 0, 0, 0, 0},
      {"grid down in column 1", 1, 0, K::kDown, 1, 0, true, 1, 1, 1, 1},
      {"area 2 node 5 up is fixed", 2, 5, K::kUp, 0, 1, true, 2, 3, 0, 0},
      {"area 2 node 5 down splits", 2, 5, K::kDown, 0, 0, true, 3, 0, 0, 1},
      {"area 2 node 5 right leads nowhere", 2, 5, K::kRight, 0, 0, false, 0, 0, 0, 0},
      {"area 2 node 5 right in row 1 leads nowhere", 2, 5, K::kRight, 0, 1, false, 0, 0, 0, 0},
      {"three rows: down to row 2", 6, 0, K::kDown, 0, 1, true, 6, 2, 0, 2},
      {"three rows: right keeps column 0", 6, 0, K::kRight, 0, 2, true, 6, 3, 0, 2},
      {"three rows: up from row 2", 6, 0, K::kUp, 0, 2, true, 6, 1, 0, 1},
      {"type 4 up returns to column 0", 5, 1, K::kUp, 1, 1, true, 5, 2, 0, 0},
  };
  for (const RouteCase& t : cases) {
    SCOPED_TRACE(t.name);
    RouteChoice c;
    ASSERT_EQ(ChooseRoute(t.area, t.node, t.key, t.column, t.row, &c), t.accepted);
    if (!t.accepted) continue;
    EXPECT_EQ(c.area, t.toArea);
    EXPECT_EQ(c.subStage, t.toStage);
    EXPECT_EQ(c.column, t.toColumn);
    EXPECT_EQ(c.row, t.toRow);
  }
  EXPECT_EQ(RouteDoorByte(1, 1), 3);
  EXPECT_EQ(RouteDoorByte(0, 2), 4);
}

// ---- Scores ----

TEST(ResultScoreTest, ScoresGradesAndBonus) {
  struct Case {
    int detections, destroyed, total, life, mode;
    int score, grade;
  };
  const Case cases[] = {
      {0, 3, 3, 100, kModeThirdStory, 900, 105},  // all targets: the bonus
      {0, 3, 3, 100, kModeEditorTestPlay, 900, 105},
      {0, 2, 3, 100, kModeThirdStory, 800, 60},
      {1, 0, 0, 100, kModeEditorTestPlay, 850, 80},
      {0, 0, 4, 100, kModeThirdStory, 600, 40},
      {2, 0, 0, 50, kModeThirdStory, 650, 45},
      {10, 0, 2, 0, kModeThirdStory, -200, 10},
  };
  for (const Case& c : cases) {
    const int s = MissionScore(c.detections, c.destroyed, c.total, c.life);
    EXPECT_EQ(s, c.score) << c.detections << " " << c.destroyed << "/" << c.total << " " << c.life;
    EXPECT_EQ(MissionGrade(s, c.mode, c.destroyed == c.total, c.detections == 0), c.grade) << s;
  }
}

TEST(MissionBriefingTest, AreasAndScenesOfTheThirdStory) {
  const int areas[25] = {0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6, 7, 7, 7};
  for (int m = 1; m <= 24; ++m) EXPECT_EQ(AreaOfMission(m), areas[m]) << m;
  EXPECT_TRUE(MissionHasBriefingScene(21));
  EXPECT_FALSE(MissionHasBriefingScene(22));
}

// ---- Screens in the frame loop ----

class CampaignScreenTest : public GameRunTest {
 protected:
  void SetUp() override {
    StartToTitle();
    game.saveSlot = 1;
  }
};

// A screen made by another screen's per-frame function takes its maker's slot over; the
// maker lives on to the end of the frame (the sanitizers see a use after free otherwise).
TEST_F(CampaignScreenTest, SetupAndSaveSelectHandOverWithoutDeletingTheCaller) {
  game.gameState = STATE_NEW_GAME_SETUP;
  game.newGameSetup.Create();
  for (int f = 0; f < 40 && game.newGameSetup->step() != NewGameSetup::kCharacterRow; ++f) Frame();
  Press(key::kX);
  ASSERT_EQ(game.newGameSetup->step(), NewGameSetup::kFadeToSaveSelect);
  FramesWhileIn(STATE_NEW_GAME_SETUP, 60);
  ASSERT_EQ(game.gameState, STATE_SAVE_SELECT);
  EXPECT_EQ(game.newGameSetup.get(), nullptr);
  ASSERT_NE(game.saveSelect.get(), nullptr);

  // And back: an empty slot after the second story's unlock opens the setup again.
  game.prefsFile[15] = 1;
  for (int f = 0; f < 60 && game.saveSelect->phase() != SaveSelect::kChooseSlot; ++f) Frame();
  Press(key::kZ);
  Press(key::kZ);
  FramesWhileIn(STATE_SAVE_SELECT, 60);
  ASSERT_EQ(game.gameState, STATE_NEW_GAME_SETUP);
  EXPECT_EQ(game.saveSelect.get(), nullptr);
  EXPECT_NE(game.newGameSetup.get(), nullptr);
}

struct SetupCase {
  const char* name;
  int step;
  int keyCode;
  int character, costume, difficulty;  // before
  int toStep, toCharacter, toCostume, toDifficulty;
};

TEST_F(CampaignScreenTest, NewGameStepsByRowAndKey) {
  const SetupCase cases[] = {
      {"left on the first character stays", 1, key::kLeft, 0, 0, 0, 1, 0, 0, 0},
      {"right on the last character stays", 1, key::kRight, 2, 0, 0, 1, 2, 0, 0},
      {"right moves the character", 1, key::kRight, 0, 0, 0, 1, 1, 0, 0},
      {"left toggles the costume", 2, key::kLeft, 1, 0, 0, 2, 1, 1, 0},
      {"right toggles the difficulty", 3, key::kRight, 0, 0, 1, 3, 0, 0, 0},
      {"confirm goes down a row", 1, key::kZ, 0, 0, 0, 2, 0, 0, 0},
      {"confirm to the confirmation", 3, key::kZ, 0, 0, 0, 4, 0, 0, 0},
      {"cancel goes up a row", 3, key::kX, 0, 0, 0, 2, 0, 0, 0},
      {"cancel on the character row leaves", 1, key::kX, 0, 0, 0, 5, 0, 0, 0},
      {"confirm in the fade-in does nothing", 0, key::kZ, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const SetupCase& c : cases) {
    SCOPED_TRACE(c.name);
    game.gameState = STATE_NEW_GAME_SETUP;
    game.newGameSetup.Create();
    for (int f = 0; f < 40 && game.newGameSetup->step() != NewGameSetup::kCharacterRow; ++f) Frame();
    game.character = static_cast<uint8_t>(c.character);
    game.costume = static_cast<uint8_t>(c.costume);
    game.difficulty = static_cast<uint8_t>(c.difficulty);
    if (c.step == 0) {
      game.newGameSetup.Create();
    } else {
      for (int s = 1; s < c.step; ++s) Press(key::kZ);
    }
    ASSERT_EQ(game.newGameSetup->step(), c.step);
    Frame({c.keyCode});
    EXPECT_EQ(game.newGameSetup->step(), c.toStep);
    EXPECT_EQ(game.character, c.toCharacter);
    EXPECT_EQ(game.costume, c.toCostume);
    EXPECT_EQ(game.difficulty, c.toDifficulty);
    Frame({c.keyCode});
    EXPECT_EQ(game.newGameSetup->step(), c.toStep) << "a held key acts once";
    Frame();
  }
}

TEST_F(CampaignScreenTest, StartingANewGameFillsTheRecordWritesNoFileAndOpensTheScene) {
  struct Case {
    int character;
    uint8_t mode;
  };
  WriteData("data/save1.dat", std::string(512, '\0'));
  for (const Case& c : {Case{1, kModeStory}, Case{2, kModeThirdStory}}) {
    game.gameMode = kModeStory;
    game.gameState = STATE_NEW_GAME_SETUP;
    game.newGameSetup.Create();
    game.prefsFile[31] = 1;  // the second character's invisibility
    for (int f = 0; f < 40 && game.newGameSetup->step() != NewGameSetup::kCharacterRow; ++f) Frame();
    game.character = static_cast<uint8_t>(c.character);
    game.difficulty = 1;
    for (int s = 0; s < 3; ++s) Press(key::kZ);
    ASSERT_EQ(game.newGameSetup->step(), NewGameSetup::kConfirmation);
    Press(key::kZ);
    ASSERT_EQ(game.newGameSetup->step(), NewGameSetup::kFadeToStart);
    for (int f = 0; f < 40 && game.gameState == STATE_NEW_GAME_SETUP; ++f) Frame();
    EXPECT_EQ(game.gameState, STATE_EVENT_ONLY);
    EXPECT_EQ(game.gameMode, c.mode);
    EXPECT_EQ(game.saveRecord[0], 1);
    EXPECT_EQ(game.saveRecord[10], c.character);
    EXPECT_EQ(game.saveRecord[12], 1);
    EXPECT_EQ(game.missionNumber, 1);
    if (c.character == 1) {
      EXPECT_EQ(player.gadgets[6], 1) << "an unlocked bonus gadget";
    }
    EXPECT_EQ(testing_support::ReadFileBytes(File("data/save1.dat")), std::string(512, '\0'));
    game.newGameSetup.Delete();
  }
}

TEST_F(CampaignScreenTest, GameOverTimings) {
  struct Case {
    bool confirmHeld;
    int framesToMenu;
  };
  // Without music the sequence moves to the fade at once; the fade runs 127 frames to the
  // menu, or 31 with confirm held (it ignores confirm below 61).
  for (const Case& c : {Case{false, 128}, Case{true, 32}}) {
    game.gameState = STATE_IDLE_21;
    game.gameOverFade = 0;
    game.incapacitations = 0;
    player.action = kActionDown;
    player.actionTimer = 0;
    int frames = 0;
    while (game.gameState != STATE_GAME_OVER_MENU && frames < 400) {
      ++player.actionTimer;
      c.confirmHeld ? Frame({key::kZ}) : Frame();
      ++frames;
    }
    EXPECT_EQ(frames, c.framesToMenu) << c.confirmHeld;
    EXPECT_EQ(game.incapacitations, 1);
    EXPECT_EQ(player.action, 0);
    EXPECT_EQ(game.keyLatch, 1);
  }
  // The menu: back to the title.
  game.gameMode = kModeStory;
  Frame();
  Press(key::kDown);
  Press(key::kZ);
  EXPECT_EQ(game.gameState, STATE_TITLE);
}

class BriefingTest : public CampaignScreenTest {
 protected:
  void Open(int autoSave, int difficulty) {
    game.autoSave = static_cast<uint8_t>(autoSave);
    game.difficulty = static_cast<uint8_t>(difficulty);
    game.character = 0;
    player.lifeMax = 100;
    player.life = 40;
    game.nextArea = 6;
    game.nextSubStage = 0;
    game.gameState = STATE_BRIEFING_MAP;
    game.screenEntered = 0;
    game.briefing.Create();
    Frame();
  }
  void UntilOpen(int page) {
    for (int f = 0; f < 100 && !(game.screenTimer == page && game.screenEntered == briefing_phase::kOpen); ++f) Frame();
    ASSERT_EQ(game.screenTimer, page);
    // The first open frame without a key clears the press that changed the page.
    Frame();
  }
};

TEST_F(BriefingTest, EntryAutosavesOnlyWhenOnAndRefillsLifeOnNormal) {
  WriteData("data/save1.dat", std::string(512, '\x07'));
  Open(0, 1);
  EXPECT_EQ(testing_support::ReadFileBytes(File("data/save1.dat")), std::string(512, '\x07'));
  EXPECT_EQ(player.life, 40) << "hard keeps the life left";
  EXPECT_EQ(game.scrollX, -400) << "400 - the node's x 800";

  Open(1, 0);
  EXPECT_EQ(player.life, 100);
  const std::string saved = testing_support::ReadFileBytes(File("data/save1.dat"));
  EXPECT_EQ(saved, std::string(reinterpret_cast<const char*>(game.saveRecord), 512));
  for (const auto& entry : std::filesystem::directory_iterator(File("data"))) {
    EXPECT_TRUE(entry.path().filename().string().starts_with("save")) << "left behind: " << entry.path();
  }
}

TEST_F(BriefingTest, RouteRowsAndTheEntryDoor) {
  game.doorTable[6][0][4] = 7;
  Open(0, 0);
  UntilOpen(briefing_page::kMain);
  Press(key::kZ);
  UntilOpen(briefing_page::kRoute);
  Press(key::kDown);
  Press(key::kDown);
  EXPECT_EQ(campaign.routeRow, 2);
  EXPECT_EQ(game.area, 6);
  EXPECT_EQ(game.subStage, 2);
  Frame({key::kZ});
  EXPECT_EQ(game.gameState, STATE_STAGE_LOAD);
  EXPECT_EQ(player.entryDoor, 7);
  EXPECT_EQ(game.gameMode, kModeStory);
}

TEST_F(BriefingTest, AmmunitionMakingStopsAtTheMaterialsAndAt99) {
  Open(0, 0);
  for (uint16_t& w : player.weapons) w = kNotOwned;
  player.weapons[0] = 97;
  player.items[0] = 10;
  UntilOpen(briefing_page::kMain);
  Press(key::kDown);
  Press(key::kZ);
  UntilOpen(briefing_page::kPrepare);
  Press(key::kDown);
  Press(key::kZ);
  UntilOpen(briefing_page::kAmmunition);
  for (int i = 0; i < 5; ++i) Press(key::kRight);
  EXPECT_EQ(campaign.makeCount, 2) << "97 + 3 would pass 99";
  EXPECT_EQ(campaign.materialsUsed[0], 2);
  Press(key::kZ);
  EXPECT_EQ(player.weapons[0], 99);
  EXPECT_EQ(player.items[0], 8);
  EXPECT_EQ(campaign.makeCount, 0);

  player.weapons[0] = 10;
  player.items[0] = 2;
  for (int i = 0; i < 5; ++i) Press(key::kRight);
  EXPECT_EQ(campaign.makeCount, 2) << "never below zero material";
  Press(key::kX);
  EXPECT_EQ(campaign.makeCount, 0) << "leaving discards the order";
  EXPECT_EQ(player.items[0], 2);
}

TEST_F(BriefingTest, TheSecondCharacterCannotOpenTheEquipmentPages) {
  Open(0, 0);
  game.character = 1;
  UntilOpen(briefing_page::kMain);
  Press(key::kDown);
  Press(key::kZ);
  UntilOpen(briefing_page::kPrepare);
  Press(key::kZ);
  EXPECT_EQ(game.screenTimer, briefing_page::kPrepare);
  EXPECT_EQ(game.screenEntered, briefing_phase::kOpen);
}

TEST_F(BriefingTest, TitleDialogReturnsToTheTitle) {
  Open(0, 0);
  UntilOpen(briefing_page::kMain);
  Press(key::kUp);
  Press(key::kZ);
  UntilOpen(briefing_page::kSystem);
  Press(key::kDown);
  Press(key::kZ);
  UntilOpen(briefing_page::kTitleDialog);
  Press(key::kDown);
  Press(key::kZ);
  EXPECT_EQ(game.gameState, STATE_TITLE);
}

}  // namespace
