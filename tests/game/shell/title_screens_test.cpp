#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/shell/asset_lists.h"
#include "game/shell/screens.h"
#include "runtime/api.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

using shell_test::GameRunTest;
using shell_test::Xrgb;
namespace key = platform::key;

constexpr uint32_t kWhite = Xrgb(255, 255, 255);
const uint32_t kLogo = Xrgb(GameRunTest::kLogoColour.r, GameRunTest::kLogoColour.g, GameRunTest::kLogoColour.b);
// A point inside the logo's rectangle on screen.
constexpr int kLogoX = 400, kLogoY = 285;

TEST_F(GameRunTest, BootLoadsOnceThenTheLogoFadesInHoldsAndOutFor426Frames) {
  WriteBootData();
  Start();
  ASSERT_TRUE(Frame());
  EXPECT_EQ(game.gameState, STATE_LOGO) << "boot lasts one frame";
  EXPECT_GT(game.sounds[17], 0);
  EXPECT_EQ(game.sounds[0], -1) << "a missing sound leaves -1";
  EXPECT_EQ(game.graphs[graph_slot::kLoading], -1) << "the common graphics were tried";

  int frames = 0;
  uint32_t firstFrame = 0, holding = 0, lastFrame = 0;
  while (game.gameState == STATE_LOGO && frames < 1000) {
    ASSERT_TRUE(Frame());
    ++frames;
    if (frames == 1) firstFrame = ShownPixel(kLogoX, kLogoY);
    if (frames == 200) holding = ShownPixel(kLogoX, kLogoY);
    if (game.gameState == STATE_LOGO) lastFrame = ShownPixel(kLogoX, kLogoY);
  }
  EXPECT_EQ(frames, 426);
  EXPECT_EQ(game.gameState, STATE_TITLE);
  EXPECT_EQ(game.screenEntered, 0);
  EXPECT_EQ(game.menuCursor, 0);
  EXPECT_EQ(game.screenTimer, 0);
  EXPECT_NE(firstFrame, kLogo) << "the logo starts almost transparent on white";
  EXPECT_EQ(holding, kLogo) << "the hold shows it fully: the fade value past 254 is clamped";
  EXPECT_EQ(ShownPixel(10, 10), kWhite);
  EXPECT_NE(lastFrame, kLogo);
}

// The player's sheets, by how many of them were tried (loaded, or failed as missing).
int PlayerSheetsTried() {
  int n = 0;
  for (int slot : {100, 101, 102, 110, 111, 112}) n += game.graphs[slot] != 0;
  return n;
}

// Boot leaves the player's sheets; the logo and the title run without them, and the first
// screen past the title loads them before its own graphics.
TEST_F(GameRunTest, PlayerSheetsWaitForTheFirstScreenPastTheTitle) {
  struct Case {
    const char* name;
    int state;  // entered as a test does; 0: the title's first entry confirmed
  };
  const Case cases[] = {{"the title's first entry", 0}, {"the options screen", STATE_OPTIONS}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (&c != &cases[0]) {
      EndGame();
      shell_test::ResetGameGlobals();
    }
    WriteBootData();
    WriteData("gsx/oruha1.png", SolidPng(96, 64, kLogoColour));
    Start();
    FramesWhileIn(STATE_BOOT);
    FramesWhileIn(STATE_LOGO);
    ASSERT_EQ(game.gameState, STATE_TITLE);
    Frame();
    EXPECT_EQ(PlayerSheetsTried(), 0);
    if (c.state == 0) {
      Frame({key::kZ});
    } else {
      game.gameState = c.state;
      game.screenEntered = 0;
    }
    EXPECT_NE(game.gameState, STATE_TITLE);
    Frame();
    EXPECT_EQ(PlayerSheetsTried(), 6);
    EXPECT_GT(game.graphs[100], 0);
    EXPECT_EQ(game.graphs[101], -1) << "a missing sheet is tried and fails as before";
  }
}

TEST_F(GameRunTest, TwoQuickConfirmsShowTheLogoThenJumpToItsFadeOut) {
  WriteBootData();
  Start();
  Frame();
  Frame();
  Frame({key::kZ});
  EXPECT_EQ(game.menuCursor, 254) << "the first press shows the logo fully";
  Frame({key::kZ});
  EXPECT_EQ(game.menuCursor, 256) << "a held key acts once; the fade goes on";
  Frame();
  Frame({key::kZ});
  EXPECT_EQ(game.screenTimer, 600);
  EXPECT_EQ(game.menuCursor, 500);
  EXPECT_EQ(FramesWhileIn(STATE_LOGO), 126);
  EXPECT_EQ(game.gameState, STATE_TITLE);
}

TEST_F(GameRunTest, ConfirmHeldThroughTheLogoDoesNotStartATitleEntry) {
  WriteBootData();
  Start();
  int frames = 0;
  while (game.gameState != STATE_TITLE && frames++ < 1000) Frame({key::kZ});
  for (int i = 0; i < 10; ++i) Frame({key::kZ});
  EXPECT_EQ(game.gameState, STATE_TITLE);
  Frame();
  Frame({key::kZ});
  EXPECT_EQ(game.gameState, STATE_SAVE_SELECT) << "a fresh press does";
}

TEST_F(GameRunTest, MissingLogoSheetGoesToTheFileError) {
  WriteBootData();
  std::filesystem::remove(File("gsx/ef_01.png"));
  Start();
  Frame();
  Frame();
  EXPECT_EQ(game.gameState, STATE_FILE_ERROR);
}

TEST_F(GameRunTest, TitleEntryClearsTheRunOnce) {
  WriteBootData();
  Start();
  FramesWhileIn(STATE_BOOT);
  FramesWhileIn(STATE_LOGO);
  game.stageBuffer[2999] = 1;
  game.mapGrid[100] = 5;
  game.gameMode = kModeVr;
  game.missionRules[1] = 1;
  game.character = 2;
  game.playedFromSlotList = 1;
  player.life = 3;
  Frame();
  EXPECT_EQ(game.screenEntered, 1);
  EXPECT_EQ(game.stageBuffer[2999], 0);
  EXPECT_EQ(game.mapGrid[100], 0);
  EXPECT_EQ(game.gameMode, kModeStory);
  EXPECT_EQ(game.missionRules[1], 0);
  EXPECT_EQ(game.character, 0);
  EXPECT_EQ(game.playedFromSlotList, 0);
  EXPECT_EQ(player.life, 100);
  EXPECT_EQ(game.graphs[graph_slot::kButtons], -1) << "the title set was loaded";

  game.character = 1;
  Frame();
  EXPECT_EQ(game.character, 1) << "the entry code runs once";
}

TEST_F(GameRunTest, TitleCursorMovesOncePerPressAndWraps) {
  StartToTitle();
  ASSERT_EQ(game.menuCursor, 0);
  Frame({key::kUp});
  EXPECT_EQ(game.menuCursor, 4);
  EXPECT_EQ(CheckSoundPlaying(game.sounds[kSoundCursor]), 1);
  Frame({key::kUp});
  Frame({key::kUp});
  EXPECT_EQ(game.menuCursor, 4) << "holding moves once";
  Frame();
  Press(key::kDown);
  EXPECT_EQ(game.menuCursor, 0);
  Press(key::kDown);
  EXPECT_EQ(game.menuCursor, 1);
}

struct EntryCase {
  const char* name;
  int entry;
  int state;
  int screenEntered;
  int cursor;
  int musicPlaying;
};

class TitleEntryTest : public GameRunTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(TitleEntryTest, ConfirmLeadsToItsState) {
  const EntryCase& c = GetParam();
  StartToTitle();
  for (int i = 0; i < c.entry; ++i) Press(key::kDown);
  ASSERT_EQ(game.menuCursor, c.entry);
  ASSERT_EQ(CheckMusicPlaying(), 1) << "the title's music plays";
  const bool goesOn = Frame({key::kZ});
  ASSERT_TRUE(goesOn);
  EXPECT_EQ(CheckSoundPlaying(game.sounds[kSoundConfirm]), 1);
  if (c.state < 0) {
    EXPECT_EQ(game.quitRequested, 1);
    EXPECT_FALSE(Frame()) << "the loop ends at its next test";
    EXPECT_FALSE(testing_support::FileExists(File("data/save1.dat")));
    return;
  }
  EXPECT_EQ(game.gameState, c.state);
  EXPECT_EQ(game.screenEntered, c.screenEntered);
  EXPECT_EQ(game.menuCursor, c.cursor);
  EXPECT_EQ(game.keyLatch, 1) << "the next screen ignores the held confirm";
  EXPECT_EQ(CheckMusicPlaying(), c.musicPlaying);
}

INSTANTIATE_TEST_SUITE_P(Entries, TitleEntryTest,
                         ::testing::Values(EntryCase{"SaveSelect", 0, STATE_SAVE_SELECT, 0, 0, 1},
                                           EntryCase{"EditSlotSelect", 1, STATE_EDIT_SLOT_SELECT, 0, 0, 0},
                                           EntryCase{"VrMenu", 2, STATE_VR_MENU, 0, 0, 0},
                                           EntryCase{"Options", 3, STATE_OPTIONS, 0, 3, 1},
                                           EntryCase{"Quit", 4, -1, 0, 4, 1}),
                         [](const ::testing::TestParamInfo<EntryCase>& info) {
                           return "Entry" + std::to_string(info.param.entry) + "_" + info.param.name;
                         });

TEST_F(GameRunTest, TitleDrawsItsLabelsInTheMenuColour) {
  StartToTitle();
  Frame();
  const uint32_t text = Xrgb(9, 176, 254);
  int labelPixels = 0;
  // The second entry's label, unselected.
  for (int y = 421 + 10; y < 421 + 30; ++y) {
    for (int x = 33 + 60; x < 33 + 260; ++x) labelPixels += ShownPixel(x, y) == text;
  }
  EXPECT_GT(labelPixels, 10);
}

}  // namespace
