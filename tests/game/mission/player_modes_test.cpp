#include "game/mission/player_modes.h"

#include <gtest/gtest.h>

#include "game/mission/map_objects.h"
#include "game/mission/player_movement.h"
#include "game/shell/game_data.h"
#include "platform/input.h"
#include "runtime/api.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace {

using mission_test::MissionHarness;
using testing_support::StageRecordBuilder;
namespace key = platform::key;

constexpr int kFloorRow = 10;

// A floor along row 10, the start at column 3; a door (code 2, two cells high) at column 6
// leading to area 3, sub-stage 4; a hiding place at column 10.
StageRecordBuilder DoorRoom() {
  StageRecordBuilder b;
  b.Row(kFloorRow, 0, 19, 25).Tile(3, kFloorRow - 1, 95).Tile(6, kFloorRow - 2, 2).Door(2, 3, 4);
  b.Tile(10, kFloorRow - 2, 64);
  return b;
}

class ModesTest : public ::testing::Test {
 protected:
  void Start(const StageRecordBuilder& b) {
    ASSERT_TRUE(h_.LoadStage(b.bytes()));
    h_.Hold(10);
  }
  // Walks right until the player's x reaches the column's centre.
  void WalkToColumn(int column) {
    for (int f = 0; f < 200 && player.x < column * 40 + 20; ++f) h_.Hold(1, {key::kRight});
    h_.Hold(2);
  }

  MissionHarness h_;
};

TEST_F(ModesTest, TheDoorIsTouchedOnlyInFrontOfIt) {
  Start(DoorRoom());
  EXPECT_EQ(player.touchingDoor, 0);
  WalkToColumn(6);
  EXPECT_EQ(player.touchingDoor, 2);
  WalkToColumn(8);
  EXPECT_EQ(player.touchingDoor, 0);
}

TEST_F(ModesTest, UpAtADoorLeavesThroughItUnlessAnAlertRuns) {
  Start(DoorRoom());
  WalkToColumn(6);
  game.alertCountdown = 100;
  h_.Hold(1, {key::kUp});
  EXPECT_EQ(player.action, 0) << "no exit during an alert";
  game.alertCountdown = 0;
  h_.Hold(1, {key::kUp});
  EXPECT_EQ(player.action, 40);
  EXPECT_EQ(player.locked, 1);
  EXPECT_EQ(game.nextArea, 3);
  EXPECT_EQ(game.nextSubStage, 4);
  h_.Hold(10, {key::kLeft});
  EXPECT_EQ(player.x, 6 * 40 + 20) << "no control while leaving";
  EXPECT_EQ(pools.mapObjects[player.standOn].kind, 25);
}

TEST_F(ModesTest, TheExitFadeEndsInTheBriefingAtTheDoorsNode) {
  Start(DoorRoom());
  WalkToColumn(6);
  int frames = 0;
  h_.Hold(1, {key::kUp});
  ASSERT_EQ(player.action, 40);
  for (frames = 1; game.gameState == STATE_STAGE_PLAY && frames < 100; ++frames) h_.Hold(1);
  EXPECT_EQ(frames, 50) << "the fade darkens over 50 frames, the first one that of the key";
  EXPECT_EQ(game.gameState, STATE_BRIEFING_MAP);
  EXPECT_NE(game.briefing.get(), nullptr);
  EXPECT_EQ(game.nextArea, 3);
  EXPECT_EQ(game.nextSubStage, 4);
  EXPECT_EQ(player.locked, 0) << "the briefing releases the controls";
}

TEST_F(ModesTest, HidingPlaceEntersAndLeavesWithDown) {
  Start(DoorRoom());
  WalkToColumn(10);
  EXPECT_EQ(player.hideSpotReach, 1);
  h_.Hold(1, {key::kUp});
  EXPECT_EQ(player.action, 21);
  EXPECT_EQ(player.inHideSpot, 1);
  h_.Hold(60);
  EXPECT_EQ(player.actionTimer, 31) << "held inside until down";
  h_.Hold(1, {key::kDown});
  h_.Hold(30);
  EXPECT_EQ(player.action, 0);
  EXPECT_EQ(player.inHideSpot, 0);
}

TEST_F(ModesTest, GadgetKeyShortPressTogglesLongPressPauses) {
  Start(DoorRoom());
  player.selectedGadget = 3;
  h_.Hold(3, {key::kQ});
  h_.Hold(1);
  EXPECT_EQ(player.selectedGadget, 0);
  EXPECT_EQ(player.storedGadget, 3);
  h_.Hold(8, {key::kQ});
  h_.Hold(1);
  EXPECT_EQ(player.selectedGadget, 3) << "8 frames is still a short press";
  EXPECT_EQ(game.paused, 0);
  h_.Hold(9, {key::kQ});
  EXPECT_EQ(game.paused, 1);
  EXPECT_EQ(game.pauseMenuPage, 2);
}

TEST_F(ModesTest, AShortGadgetPressWithNothingToChangeStillSounds) {
  Start(DoorRoom());
  player.selectedGadget = 0;
  player.storedGadget = 0;
  ASSERT_GT(game.sounds[25], 0);
  EXPECT_EQ(CheckSoundPlaying(game.sounds[25]), 0);
  h_.Hold(2, {key::kQ});
  h_.Hold(1);
  EXPECT_EQ(player.selectedGadget, 0);
  EXPECT_EQ(CheckSoundPlaying(game.sounds[25]), 1) << "sound 25 plays either way";
}

TEST_F(ModesTest, PauseKeyOpensThePauseOncePerPress) {
  Start(DoorRoom());
  h_.Hold(1, {key::kS});
  EXPECT_EQ(game.paused, 1);
  EXPECT_EQ(game.pauseMenuPage, 0);
  const int x = player.x;
  h_.Hold(5, {key::kRight});
  EXPECT_EQ(player.x, x) << "frozen while paused";
  h_.Hold(1, {key::kS});
  EXPECT_EQ(game.paused, 0) << "a new press closes the pause";
  h_.Hold(5, {key::kRight});
  EXPECT_EQ(player.x, x + 20);
}

TEST_F(ModesTest, StraddlingANarrowShaftAndSlidingDown) {
  // A shaft one cell wide between two columns of blocks; the player falls into it.
  StageRecordBuilder b;
  b.Row(kFloorRow, 0, 19, 25).Column(4, 2, 9, 25).Column(6, 2, 9, 25).Tile(5, 0, 95);
  ASSERT_TRUE(h_.LoadStage(b.bytes()));
  bool braced = false;
  for (int f = 0; f < 20 && !braced; ++f) {
    h_.Hold(1, {key::kUp, key::kC});
    braced = player.straddling != 0;
  }
  ASSERT_TRUE(braced);
  const int y = player.y;
  h_.Hold(10);
  EXPECT_EQ(player.y, y) << "braced against gravity";
  h_.Hold(5, {key::kDown});
  EXPECT_EQ(player.y, y + 15);
  EXPECT_EQ(player.sliding, 1);
  h_.Hold(1, {key::kX});
  EXPECT_EQ(player.straddling, 0);
}

}  // namespace
