#include <gtest/gtest.h>

#include <string>

#include "game/shell/asset_lists.h"
#include "runtime/api.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

using shell_test::GameRunTest;
namespace key = platform::key;

class OptionsTest : public GameRunTest {
 protected:
  void SetUp() override {
    StartToTitle();
    while (game.menuCursor != 3) Press(key::kDown);
    Press(key::kZ);
    ASSERT_EQ(game.gameState, STATE_OPTIONS);
    ASSERT_EQ(game.menuCursor, 0);
  }

  void MoveTo(int row) {
    while (game.menuCursor != row) Press(key::kDown);
  }
};

TEST_F(OptionsTest, EntryLoadsTheOptionsSetInPlaceOfTheTitles) {
  EXPECT_EQ(game.screenEntered, 1);
  EXPECT_EQ(game.graphs[graph_slot::kLogo], 0) << "the title's pictures are freed";
  EXPECT_EQ(game.graphs[graph_slot::kOptionBack], -1) << "the options set was tried";
}

TEST_F(OptionsTest, VolumesStepByTenAndWrap) {
  struct Step {
    int row, key;
    int GameData::*volume;
    int start, expected;
  };
  const Step steps[] = {
      {0, key::kLeft, &GameData::bgmVolume, 100, 90},  {0, key::kLeft, &GameData::bgmVolume, 0, 100},
      {0, key::kRight, &GameData::bgmVolume, 100, 0},  {0, key::kRight, &GameData::bgmVolume, 40, 50},
      {1, key::kLeft, &GameData::seVolume, 0, 100},    {1, key::kRight, &GameData::seVolume, 100, 0},
      {1, key::kRight, &GameData::seVolume, 70, 80},
  };
  for (const Step& s : steps) {
    MoveTo(s.row);
    game.*s.volume = s.start;
    Press(s.key);
    EXPECT_EQ(game.*s.volume, s.expected) << s.row << " from " << s.start;
  }
}

TEST_F(OptionsTest, ChoicesStopAtTheirEnds) {
  struct Step {
    int row, key, start, expected;
    uint8_t GameData::*field;
  };
  const Step steps[] = {
      {2, key::kRight, 1, 2, &GameData::graphicsLevel}, {2, key::kRight, 2, 2, &GameData::graphicsLevel},
      {2, key::kLeft, 0, 0, &GameData::graphicsLevel},  {3, key::kRight, 1, 0, &GameData::autoSave},
      {3, key::kLeft, 0, 1, &GameData::autoSave},       {5, key::kRight, 2, 2, &GameData::windowScale},
      {5, key::kLeft, 1, 0, &GameData::windowScale},    {6, key::kLeft, 0, 0, &GameData::fixedStageBgm},
      {6, key::kRight, 6, 7, &GameData::fixedStageBgm}, {6, key::kRight, 7, 7, &GameData::fixedStageBgm},
  };
  for (const Step& s : steps) {
    MoveTo(s.row);
    game.*s.field = static_cast<uint8_t>(s.start);
    Press(s.key);
    EXPECT_EQ(game.*s.field, s.expected) << "row " << s.row << " from " << s.start;
  }
  MoveTo(4);
  Press(key::kLeft);
  EXPECT_EQ(game.fullScreen, 1);
  Press(key::kRight);
  EXPECT_EQ(game.fullScreen, 0);
}

TEST_F(OptionsTest, UnlockedStageMusicGoesUpToNine) {
  game.prefsFile[15] = 1;
  MoveTo(6);
  game.fixedStageBgm = 7;
  Press(key::kRight);
  Press(key::kRight);
  Press(key::kRight);
  EXPECT_EQ(game.fixedStageBgm, 9);
}

TEST_F(OptionsTest, ConfirmOnASettingRowDoesNothing) {
  for (int row = 0; row <= 6; ++row) {
    MoveTo(row);
    Press(key::kZ);
    EXPECT_EQ(game.gameState, STATE_OPTIONS) << row;
  }
}

TEST_F(OptionsTest, KeyConfigurationRowOpensItAndWritesTheSettings) {
  game.bgmVolume = 30;
  MoveTo(7);
  Frame({key::kZ});
  EXPECT_EQ(game.gameState, STATE_KEY_CONFIG);
  EXPECT_EQ(game.screenEntered, 0);
  EXPECT_EQ(game.menuCursor, 0);
  EXPECT_EQ(testing_support::ReadFileBytes(File("pre.dat"))[9], 30);
}

TEST_F(OptionsTest, BackRowReturnsToTheTitleOnItsCustomiseEntry) {
  game.seVolume = 60;
  MoveTo(8);
  Frame({key::kZ});
  EXPECT_EQ(game.gameState, STATE_TITLE);
  EXPECT_EQ(game.menuCursor, 3);
  EXPECT_EQ(game.screenEntered, 1) << "the title keeps its entry done and its music";
  EXPECT_EQ(CheckMusicPlaying(), 1);
  EXPECT_EQ(game.graphs[graph_slot::kOptionBack], 0) << "the options set is freed";
  EXPECT_EQ(game.graphs[graph_slot::kLogo] > 0, true) << "the title set is loaded";
  EXPECT_EQ(testing_support::ReadFileBytes(File("pre.dat"))[10], 60);
  Frame();
  Frame({key::kZ});
  EXPECT_EQ(game.gameState, STATE_OPTIONS) << "the title's cursor is on its options entry";
}

}  // namespace
