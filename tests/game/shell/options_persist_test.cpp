#include <gtest/gtest.h>

#include "game/shell/game_main.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

using shell_test::GameRunTest;
namespace key = platform::key;

// Changes every stored option through the screen, leaves by the back row, ends the game
// and starts it again: the new run starts with the chosen values.
TEST_F(GameRunTest, OptionsSurviveARestartOfTheGame) {
  StartToTitle();
  while (game.menuCursor != 3) Press(key::kDown);
  Press(key::kZ);
  ASSERT_EQ(game.gameState, STATE_OPTIONS);
  const int steps[][2] = {
      {0, key::kLeft},  {1, key::kLeft},  {1, key::kLeft}, {2, key::kRight}, {3, key::kRight},
      {4, key::kLeft},  {5, key::kRight}, {6, key::kRight}, {6, key::kRight},
  };
  for (const auto& step : steps) {
    while (game.menuCursor != step[0]) Press(key::kDown);
    Press(step[1]);
  }
  while (game.menuCursor != 8) Press(key::kDown);
  Press(key::kZ);
  ASSERT_EQ(game.gameState, STATE_TITLE);

  EndGame();
  shell_test::ResetGameGlobals();
  Start();
  EXPECT_EQ(game.bgmVolume, 90);
  EXPECT_EQ(game.seVolume, 80);
  EXPECT_EQ(game.graphicsLevel, 1);
  EXPECT_EQ(game.autoSave, 0);
  EXPECT_EQ(game.fullScreen, 1);
  EXPECT_EQ(game.windowScale, 1);
  EXPECT_EQ(game.fixedStageBgm, 2);
}

}  // namespace
