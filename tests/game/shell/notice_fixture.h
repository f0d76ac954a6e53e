// The notice screens' fixture: the game started and booted, and states entered as the game
// enters them.
#pragma once
#include <gtest/gtest.h>

#include "game/shell/game_data.h"
#include "platform/input.h"
#include "tests/game/shell/shell_fixture.h"

namespace shell_test {

class NoticeTest : public GameRunTest {
 protected:
  void SetUp() override {
    WriteBootData();
    Start();
    FramesWhileIn(STATE_BOOT);
  }

  void Enter(int state) {
    game.gameState = state;
    game.screenEntered = 0;
  }

  // The ending picture entered with the menu cursor at `start`: it fades in, waits for
  // confirm however long, fades out to the title and is freed.
  void PlayEndingPicture(int start) {
    WriteData("gsx/end_info.png", SolidPng(800, 600, {250, 250, 250, 255}));
    game.menuCursor = start;
    Enter(STATE_ENDING_PICTURE);
    Frame();
    EXPECT_GT(game.graphs[64], 0);
    for (int i = 0; i < 127; ++i) Frame();
    EXPECT_EQ(game.menuCursor, 254) << "from " << start;
    for (int i = 0; i < 30; ++i) Frame();
    EXPECT_EQ(game.menuCursor, 254) << "waits without a key";
    Frame({platform::key::kZ});
    EXPECT_EQ(FramesWhileIn(STATE_ENDING_PICTURE), 127);
    EXPECT_EQ(game.gameState, STATE_TITLE);
    EXPECT_EQ(game.menuCursor, 0);
    EXPECT_EQ(game.screenEntered, 0);
    EXPECT_EQ(game.graphs[64], 0) << "the picture is freed";
  }
};

}  // namespace shell_test
