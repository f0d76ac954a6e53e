#include "game/mission/pause_menu.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/mission/hud.h"
#include "game/mission/player_movement.h"
#include "game/mission/shots.h"
#include "game/shell/game_data.h"
#include "platform/input.h"
#include "runtime/api.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace {

using mission_test::MissionHarness;
using testing_support::StageRecordBuilder;
namespace key = platform::key;

class PauseMenuTest : public ::testing::Test {
 protected:
  PauseMenuTest() {
    StageRecordBuilder b;
    b.Row(10, 0, 19, 25).Tile(3, 9, 95);
    EXPECT_TRUE(h_.LoadStage(b.bytes()));
    h_.Hold(10);
  }
  void Own(std::vector<int> weapons, int selected) {
    for (uint16_t& w : player.weapons) w = kNotOwned;
    for (int w : weapons) player.weapons[w] = 3;
    player.selectedWeapon = static_cast<int16_t>(selected);
  }
  MissionHarness h_;
};

TEST_F(PauseMenuTest, PauseRowsMoveAndWrapOncePerPress) {
  h_.Hold(1, {key::kS});
  ASSERT_EQ(game.paused, 1);
  ASSERT_EQ(game.pauseMenuPage, 0);
  h_.Hold(1);
  struct Step {
    int key;
    int frames;
    int cursor;
  };
  const Step steps[] = {{key::kDown, 1, 1}, {0, 1, 1}, {key::kDown, 5, 2}, {0, 1, 2}, {key::kDown, 1, 0},
                        {0, 1, 0},          {key::kUp, 1, 2}, {0, 1, 2}, {key::kUp, 1, 1}};
  for (const Step& s : steps) {
    if (s.key != 0) {
      h_.Hold(s.frames, {s.key});
    } else {
      h_.Hold(s.frames);
    }
    EXPECT_EQ(game.menuCursor, s.cursor);
  }
  EXPECT_EQ(game.paused, 1);
  h_.Hold(1);
  h_.Hold(1, {key::kUp});
  h_.Hold(1);
  h_.Hold(1, {key::kZ});  // confirm on "Cancel"
  EXPECT_EQ(game.paused, 0);
  EXPECT_EQ(game.menuCursor, 0);
  EXPECT_EQ(CheckSoundPlaying(game.sounds[19]), 1);
  h_.Hold(1);
  h_.Hold(1, {key::kS});
  EXPECT_EQ(game.paused, 1) << "the pause opens again on the next press";
  h_.Hold(1);
  h_.Hold(1, {key::kS});
  EXPECT_EQ(game.paused, 0) << "the pause key closes it";
}

// The press that closes the menu is no shot, as the one that closes a talk is not.
TEST_F(PauseMenuTest, ConfirmOnCancelFiresNoShot) {
  Own({0}, 0);
  const uint16_t ammunition = player.weapons[0];
  h_.Hold(1, {key::kS});
  h_.Hold(1);
  h_.Hold(4, {key::kZ});  // confirm on "Cancel", held on into play
  ASSERT_EQ(game.paused, 0);
  EXPECT_NE(player.action, player_action::kAiming);
  h_.Hold(10);
  EXPECT_EQ(player.weapons[0], ammunition) << "no shot left the weapon";
  h_.Hold(4, {key::kZ});
  EXPECT_EQ(player.action, player_action::kAiming) << "the next press aims again";
  h_.Hold(10);
  EXPECT_EQ(player.weapons[0], ammunition - 1);
}

TEST_F(PauseMenuTest, RestartInTheStoryReloadsTheStageAndCountsAnIncapacitation) {
  h_.Hold(1, {key::kS});
  h_.Hold(1);
  h_.Hold(1, {key::kDown});
  h_.Hold(1);
  EXPECT_EQ(game.menuCursor, 1);
  h_.Hold(1, {key::kZ});
  EXPECT_EQ(game.incapacitations, 1);
  EXPECT_EQ(game.gameState, STATE_STAGE_LOAD);
  h_.Hold(2);
  EXPECT_EQ(game.gameState, STATE_STAGE_PLAY);
  EXPECT_EQ(game.paused, 0);
}

TEST_F(PauseMenuTest, BackToTitle) {
  h_.Hold(1, {key::kS});
  h_.Hold(1);
  h_.Hold(1, {key::kUp});
  h_.Hold(1);
  h_.Hold(1, {key::kZ});
  EXPECT_EQ(game.gameState, STATE_TITLE);
}

TEST_F(PauseMenuTest, TheWeaponListPicksOnRelease) {
  Own({0, 2, 12}, 2);
  h_.Hold(1, {key::kD});
  ASSERT_EQ(game.paused, 1);
  ASSERT_EQ(game.pauseMenuPage, 1);
  h_.Hold(1, {key::kD});
  EXPECT_EQ(game.menuCursor, 1) << "on the selected weapon's row";
  h_.Hold(1, {key::kD, key::kUp});
  EXPECT_EQ(game.menuCursor, 2);
  h_.Hold(1, {key::kD});
  h_.Hold(1, {key::kD, key::kUp});
  EXPECT_EQ(game.menuCursor, 0) << "wraps after the last row";
  h_.Hold(1, {key::kD});
  h_.Hold(1, {key::kD, key::kDown});
  EXPECT_EQ(game.menuCursor, 2) << "down wraps to the last row";
  h_.Hold(1);
  EXPECT_EQ(player.selectedWeapon, 12);
  EXPECT_EQ(game.paused, 0);
  EXPECT_EQ(game.menuCursor, 0);
}

TEST_F(PauseMenuTest, ListCursorMovesAndRepeats) {
  struct Case {
    std::vector<int> weapons;
    int selected;
    int key;
    int frames;
    int cursor;
  };
  const Case cases[] = {
      {{0}, 0, key::kUp, 3, 0},
      {{0}, 0, key::kDown, 3, 0},
      // Held 25 frames: once at the first frame, then on each frame from the 21st.
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 0, key::kDown, 25, 7},
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 0, key::kUp, 20, 1},
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 0, key::kUp, 21, 2},
  };
  for (const Case& c : cases) {
    Own(c.weapons, c.selected);
    h_.Hold(1, {key::kD});
    ASSERT_EQ(game.pauseMenuPage, 1);
    h_.Hold(c.frames, {key::kD, c.key});
    EXPECT_EQ(game.menuCursor, c.cursor) << c.weapons.size() << " rows, " << c.frames << " frames";
    h_.Hold(1);
    h_.Hold(40);
  }
}

TEST_F(PauseMenuTest, AnEmptyListDoesNotMove) {
  for (uint16_t& w : player.weapons) w = kNotOwned;
  player.selectedWeapon = 0;
  h_.Hold(1, {key::kD});
  ASSERT_EQ(game.pauseMenuPage, 1);
  h_.Hold(3, {key::kD, key::kUp});
  h_.Hold(3, {key::kD, key::kDown});
  EXPECT_EQ(game.menuCursor, 0);
  h_.Hold(1);
  EXPECT_EQ(game.paused, 0);
  EXPECT_EQ(player.selectedWeapon, 0);
  game.menuCursor = 0;
  game.holdFrames = 0;
  ListCursorStep(true, 0);
  ListCursorStep(false, 0);
  EXPECT_EQ(game.menuCursor, 0);
}

TEST_F(PauseMenuTest, LeavingTheWireEndsIt) {
  Own({2, 11}, 11);
  StageRecordBuilder b;
  b.Row(10, 0, 19, 25).Row(4, 0, 19, 25).Tile(3, 9, 95);
  ASSERT_TRUE(h_.LoadStage(b.bytes()));
  h_.Hold(10);
  h_.Hold(1, {key::kZ});
  h_.Hold(30);
  ASSERT_EQ(player.wirePhase, 2);
  h_.Hold(1, {key::kD});
  h_.Hold(1, {key::kD, key::kDown});
  h_.Hold(1);
  EXPECT_EQ(player.selectedWeapon, 2);
  EXPECT_EQ(player.wirePhase, 0);
  EXPECT_EQ(player.action, 0);
  int wires = 0;
  for (const Shot& s : shots) wires += s.active != 0 && s.kind == 11 ? 1 : 0;
  EXPECT_EQ(wires, 0);
}

TEST_F(PauseMenuTest, TheGadgetListEatsRationsAndPicksOnRelease) {
  for (uint16_t& g : player.gadgets) g = kNotOwned;
  player.gadgets[0] = 1;
  player.gadgets[1] = 2;
  player.gadgets[8] = 1;
  player.selectedGadget = 1;
  player.life = 100;
  h_.Hold(9, {key::kQ});
  ASSERT_EQ(game.paused, 1);
  ASSERT_EQ(game.pauseMenuPage, 2);
  h_.Hold(1, {key::kQ});
  EXPECT_EQ(game.menuCursor, 1);
  h_.Hold(1, {key::kQ, key::kZ});
  EXPECT_EQ(player.gadgets[1], 2) << "no ration eaten at full life";
  h_.Hold(1, {key::kQ});
  player.life = 70;
  h_.Hold(3, {key::kQ, key::kZ});
  EXPECT_EQ(player.life, 100);
  EXPECT_EQ(player.gadgets[1], 1) << "one ration per press";
  h_.Hold(1, {key::kQ});
  h_.Hold(1, {key::kQ, key::kUp});
  EXPECT_EQ(game.menuCursor, 2);
  h_.Hold(1);
  EXPECT_EQ(player.selectedGadget, 8);
  EXPECT_EQ(player.hiding, 1) << "the box hides a player standing free";
  EXPECT_EQ(game.paused, 0);
}

}  // namespace
