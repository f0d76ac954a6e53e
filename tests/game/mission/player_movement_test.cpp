#include "game/mission/player_movement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/mission/map_objects.h"
#include "game/shell/game_data.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace {

using mission_test::MissionHarness;
using mission_test::PlayResult;
using testing_support::StageRecordBuilder;
namespace key = platform::key;

constexpr int kFloorRow = 10;
// The standing player's centre above a floor whose top is at y.
constexpr int StandingY(int floorTop) { return floorTop - 38; }

// A one-screen room: a floor along row 10, the start at column 5 above it.
StageRecordBuilder Room() {
  StageRecordBuilder b;
  b.Row(kFloorRow, 0, 19, 25).Tile(5, kFloorRow - 1, 95);
  return b;
}

class MovementTest : public ::testing::Test {
 protected:
  // Loads the stage and lets the player settle on the floor.
  void Start(const StageRecordBuilder& b, int settle = 10) {
    ASSERT_TRUE(h_.LoadStage(b.bytes()));
    h_.Hold(settle);
  }

  MissionHarness h_;
};

TEST_F(MovementTest, ThePlayerLandsOnTheFloorAndStands) {
  Start(Room());
  EXPECT_EQ(player.y, StandingY(kFloorRow * 40));
  EXPECT_EQ(player.x, 5 * 40 + 20);
  EXPECT_EQ(player.onGround, 1);
  EXPECT_EQ(player.airborne, 0);
  EXPECT_EQ(pools.mapObjects[player.standOn].kind, 25);
}

struct WalkCase {
  const char* name;
  std::vector<int> keys;
  int frames;
  int dx;
  int facing;
};

TEST_F(MovementTest, WalkSpeedByMode) {
  const WalkCase cases[] = {{"Run", {key::kRight}, 20, 80, 0},
                            {"RunLeft", {key::kLeft}, 20, -80, 1},
                            {"Sneak", {key::kRight, key::kA}, 20, 40, 0},
                            {"Crouch", {key::kRight, key::kDown}, 20, 20, 0}};
  Start(Room());
  for (const WalkCase& c : cases) {
    const int x0 = player.x;
    const PlayResult r = h_.Play(c.frames, [&c](int) { return c.keys; });
    EXPECT_EQ(r.player.x - x0, c.dx) << c.name;
    EXPECT_EQ(r.player.facing, c.facing) << c.name;
    EXPECT_EQ(r.player.y, StandingY(kFloorRow * 40)) << c.name << ": stays on the floor";
    h_.Hold(2);
  }
}

TEST_F(MovementTest, WallsStopTheWalk) {
  StageRecordBuilder b = Room();
  b.Tile(8, kFloorRow - 1, 25).Tile(8, kFloorRow - 2, 25);
  Start(b);
  h_.Hold(40, {key::kRight});
  EXPECT_LE(player.x + 20, 8 * 40 + 4) << "the body stays out of the wall";
  EXPECT_GE(player.x + 20, 8 * 40 - 4);
}

TEST_F(MovementTest, JumpPowerGrowsWithTheHold) {
  for (int hold : {1, 5, 11, 20}) {
    Start(Room());
    int peak = player.y;
    const int floorY = player.y;
    h_.Hold(hold, {key::kX});
    EXPECT_EQ(player.jumpPower, std::min(8 + hold, 19)) << hold;
    for (int f = 0; f < 80 && (player.jumping != 0 || f == 0); ++f) {
      peak = std::min(peak, player.y);
      h_.Hold(1);
    }
    peak = std::min(peak, player.y);
    EXPECT_EQ(player.y, floorY) << "lands again";
    EXPECT_LT(peak, floorY - 20) << hold;
    h_.Hold(5);
  }
}

TEST_F(MovementTest, FallingSpeedIsCappedAt15) {
  StageRecordBuilder b;
  b.Tile(5, 0, 95).Row(14, 0, 19, 25);
  ASSERT_TRUE(h_.LoadStage(b.bytes()));
  int last = player.y;
  int fastest = 0;
  for (int f = 0; f < 80 && player.onGround == 0; ++f) {
    h_.Hold(1);
    fastest = std::max(fastest, player.y - last);
    last = player.y;
  }
  EXPECT_EQ(fastest, 15);
  EXPECT_EQ(player.y, StandingY(14 * 40));
}

TEST_F(MovementTest, FallingOutOfTheStageIsTheEnd) {
  StageRecordBuilder b;
  b.Tile(5, 0, 95);
  ASSERT_TRUE(h_.LoadStage(b.bytes()));
  h_.Hold(120);
  // Down (51); without game-over music the game-over sequence goes on to its fade (57).
  EXPECT_EQ(player.action, 57);
  EXPECT_EQ(player.life, 0);
  EXPECT_EQ(game.incapacitations, 1);
}

TEST_F(MovementTest, CrouchingUnderALowCeilingStaysCrouched) {
  StageRecordBuilder b = Room();
  b.Row(kFloorRow - 2, 6, 8, 30);  // 40 x 20 ledges just above the crouching player
  Start(b);
  h_.Hold(1, {key::kDown});
  EXPECT_EQ(player.crouching, 1);
  h_.Hold(30, {key::kDown, key::kRight});
  ASSERT_EQ(player.x, 250);
  h_.Hold(2);
  EXPECT_EQ(player.crouching, 1) << "under the ledges";
  h_.Hold(2, {key::kRight});
  EXPECT_EQ(player.x, 252) << "still crouching: a pixel a frame";
  h_.Hold(140, {key::kDown, key::kRight});
  h_.Hold(2);
  EXPECT_EQ(player.crouching, 0) << "out in the open";
}

TEST_F(MovementTest, ConveyorsCarryAndSpringsThrow) {
  StageRecordBuilder b = Room();
  b.Tile(5, kFloorRow, 75).Tile(6, kFloorRow, 0);
  Start(b);
  const int x0 = player.x;
  h_.Hold(10);
  EXPECT_EQ(player.x - x0, 20) << "2 pixels a frame to the right";

  StageRecordBuilder s = Room();
  s.Tile(5, kFloorRow, 85).Tile(6, kFloorRow, 0);
  ASSERT_TRUE(h_.LoadStage(s.bytes()));
  int peak = player.y;
  bool sprung = false;
  for (int f = 0; f < 60; ++f) {
    h_.Hold(1);
    sprung = sprung || player.jumpPower == 30;
    peak = std::min(peak, player.y);
  }
  EXPECT_TRUE(sprung) << "kind 85 throws with power 30";
  EXPECT_LT(peak, StandingY(kFloorRow * 40) - 300);
}

TEST_F(MovementTest, LadderClimbAndStepDown) {
  // Ladder cells in column 8 from row 5 down to row 9; an upper floor at row 5 on each side.
  StageRecordBuilder b = Room();
  b.Column(8, 5, 9, 65).Row(5, 4, 7, 25).Row(5, 9, 12, 25);
  Start(b);
  h_.Hold(30, {key::kRight});
  ASSERT_EQ(player.x, 8 * 40 + 20);
  h_.Hold(1, {key::kUp});
  EXPECT_EQ(player.climbing, 1);
  EXPECT_EQ(player.x, 8 * 40 + 20) << "snapped to the ladder";
  const int y0 = player.y;
  h_.Hold(10, {key::kUp});
  EXPECT_EQ(player.y, y0 - 20) << "2 pixels a frame";
  h_.Hold(80, {key::kUp});
  h_.Hold(10);
  EXPECT_EQ(player.climbing, 0);
  EXPECT_EQ(player.y, StandingY(5 * 40)) << "on top of the ladder";
  h_.Hold(1, {key::kDown});
  EXPECT_EQ(player.climbing, 1) << "down steps onto the ladder from its top";
  EXPECT_EQ(player.y, StandingY(5 * 40) + 25);
  h_.Hold(100, {key::kDown});
  EXPECT_EQ(player.y, StandingY(kFloorRow * 40));
}

TEST_F(MovementTest, SteppingDownTakesTheLadderStoodOnNotTheLastOneClimbed) {
  // Two ladders from the upper floor (row 5) down to the ground: the player climbs the one in
  // column 8, walks over to the top of the one in column 12 and steps down it.
  StageRecordBuilder b = Room();
  b.Column(8, 5, 9, 65).Column(12, 5, 9, 65).Row(5, 4, 7, 25).Row(5, 9, 11, 25).Row(5, 13, 15, 25);
  Start(b);
  h_.Hold(30, {key::kRight});
  ASSERT_EQ(player.x, 8 * 40 + 20);
  h_.Hold(100, {key::kUp});
  h_.Hold(10);
  ASSERT_EQ(player.y, StandingY(5 * 40)) << "on the upper floor";
  for (int f = 0; f < 40 && player.x < 12 * 40 + 20; ++f) h_.Hold(1, {key::kRight});
  h_.Hold(10);
  ASSERT_EQ(player.x, 12 * 40 + 20);
  h_.Hold(1, {key::kDown});
  EXPECT_EQ(player.climbing, 1);
  EXPECT_EQ(player.x, 12 * 40 + 20) << "still over the ladder stepped onto";
  h_.Hold(100, {key::kDown});
  EXPECT_EQ(player.x, 12 * 40 + 20);
  EXPECT_EQ(player.y, StandingY(kFloorRow * 40)) << "down on the ground";
}

// A ladder first met from its top: the step down snaps to that ladder, not to whatever
// object the ladder index held before (the stage's first block, in the corner).
TEST_F(MovementTest, StepDownOntoALadderNeverTouchedBefore) {
  StageRecordBuilder b;
  b.Row(kFloorRow, 0, 19, 25).Row(5, 1, 7, 25).Row(5, 9, 18, 25).Column(8, 5, 9, 65).Tile(11, 4, 95);
  Start(b);
  for (int f = 0; f < 100 && player.x > 8 * 40 + 20; ++f) h_.Hold(1, {key::kLeft});
  h_.Hold(5);
  ASSERT_EQ(player.x, 8 * 40 + 20);
  h_.Hold(1, {key::kDown});
  EXPECT_EQ(player.climbing, 1);
  EXPECT_EQ(player.x, 8 * 40 + 20) << "snapped to the ladder below";
  h_.Hold(100, {key::kDown});
  EXPECT_EQ(player.x, 8 * 40 + 20);
  EXPECT_EQ(player.y, StandingY(kFloorRow * 40)) << "down at the foot of the ladder";
}

TEST_F(MovementTest, LedgeGrabHangAndClimbUp) {
  // A wall three cells high (its top at row 5) a few steps to the right: the player jumps
  // at it and grabs its edge.
  StageRecordBuilder b = Room();
  for (int row = 5; row <= 7; ++row) b.Row(row, 8, 12, 25);
  Start(b);
  h_.Hold(6, {key::kRight});
  bool hung = false;
  for (int f = 0; f < 40 && !hung; ++f) {
    h_.Hold(1, f < 12 ? std::initializer_list<int>{key::kX, key::kRight, key::kC} : std::initializer_list<int>{key::kC, key::kRight});
    hung = player.hanging != 0;
  }
  ASSERT_TRUE(hung);
  EXPECT_EQ(player.y, 5 * 40 + 40);
  const int hangY = player.y;
  h_.Hold(10);
  EXPECT_EQ(player.y, hangY) << "hanging holds against gravity";
  h_.Hold(1, {key::kUp});
  EXPECT_EQ(player.action, 8);
  const int x0 = player.x;
  h_.Hold(40);
  EXPECT_EQ(player.action, 0);
  EXPECT_EQ(player.hanging, 0);
  EXPECT_EQ(player.x, x0 + 36);
  h_.Hold(5);
  EXPECT_EQ(player.y, StandingY(5 * 40)) << "stands on the wall";
}

TEST_F(MovementTest, ALedgeWithABlockAboveCannotBeClimbed) {
  StageRecordBuilder b = Room();
  for (int row = 5; row <= 7; ++row) b.Row(row, 8, 12, 25);
  b.Tile(8, 3, 25);
  Start(b);
  h_.Hold(6, {key::kRight});
  for (int f = 0; f < 40 && player.hanging == 0; ++f) {
    h_.Hold(1, f < 12 ? std::initializer_list<int>{key::kX, key::kRight, key::kC} : std::initializer_list<int>{key::kC, key::kRight});
  }
  ASSERT_EQ(player.hanging, 1);
  h_.Hold(1, {key::kUp});
  EXPECT_EQ(player.action, 0);
  EXPECT_EQ(player.hanging, 1);
}

TEST_F(MovementTest, TheCameraStopsAtTheStageEndWithoutOvershoot) {
  StageRecordBuilder b;
  b.Size(2, 1).Row(kFloorRow, 0, 39, 25).Tile(25, kFloorRow - 1, 95);
  Start(b);
  ASSERT_EQ(game.scrollX, 25 * 40 + 20 - 300);
  int maxScroll = 0;
  for (int f = 0; f < 150; ++f) {
    const int worldBefore = player.x + game.scrollX;
    h_.Hold(1, {key::kRight});
    maxScroll = std::max(maxScroll, game.scrollX);
    const int step = player.x + game.scrollX - worldBefore;
    ASSERT_TRUE(step == 4 || step == 0) << "frame " << f << " step " << step;
  }
  EXPECT_EQ(maxScroll, 800);
  EXPECT_EQ(game.scrollX, 800);
  EXPECT_GE(player.x, 776);
  h_.Hold(20, {key::kLeft});
  EXPECT_EQ(game.scrollX, 800) << "the player walks back to the middle first";
  h_.Hold(110, {key::kLeft});
  EXPECT_LT(game.scrollX, 800);
}

TEST_F(MovementTest, TheVerticalCameraStopsAtTheStageBottom) {
  StageRecordBuilder b;
  b.Size(1, 2).Tile(5, 2, 95).Row(29, 0, 19, 25);
  ASSERT_TRUE(h_.LoadStage(b.bytes()));
  int lowest = 0;
  for (int f = 0; f < 200; ++f) {
    h_.Hold(1);
    lowest = std::min(lowest, game.scrollY);
  }
  EXPECT_EQ(lowest, -600);
  EXPECT_EQ(player.y - game.scrollY, StandingY(29 * 40)) << "world position on the floor";
}

}  // namespace
