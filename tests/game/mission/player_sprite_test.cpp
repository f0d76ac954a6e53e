#include "game/mission/player_sprite.h"

#include <gtest/gtest.h>

#include "game/mission/player_movement.h"
#include "game/shell/game_data.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace {

using mission_test::MissionHarness;

class PlayerSpriteTest : public ::testing::Test {
 protected:
  PlayerSpriteTest() {
    player.x = 400;
    player.y = 300;
    game.stageScreensY = game.stageFlags[1] = 1;
  }
  MissionHarness h_;
};

TEST(PlayerCell, AimAngleChoosesTheCell) {
  player = Player{};
  player.action = player_action::kAiming;
  const int cases[][2] = {{0, 0}, {14, 0}, {-14, 0}, {-15, 1}, {-29, 1}, {-30, 2}, {-44, 2}, {-45, 3},
                          {-60, 3}, {15, 4}, {29, 4}, {30, 5}, {44, 5}, {45, 6}, {60, 6}};
  for (const auto& c : cases) {
    player.aimAngle = static_cast<int16_t>(c[0]);
    const PlayerCell cell = ChoosePlayerCell();
    EXPECT_EQ(cell.sheet, 2);
    EXPECT_EQ(cell.row, 5);
    EXPECT_EQ(cell.column, c[1]) << "angle " << c[0];
  }
  player = Player{};
}

struct CellCase {
  const char* name;
  void (*set)();
  int sheet, row, column;
  int x, y;
  bool mirrored;
};

const CellCase kCells[] = {
    {"Idle", [] {}, 1, 0, 0, 340, 246, false},
    {"IdleFacingLeft", [] { player.facing = 1; }, 1, 0, 0, 340, 246, true},
    {"Running", [] { player.walkCounter = 10; }, 1, 1, 3, 340, 249, false},
    {"RunningLast", [] { player.walkCounter = 48; }, 1, 2, 7, 340, 249, false},
    {"Sneaking", [] { player.walkCounter = 5; player.sneaking = 1; }, 2, 0, 1, 340, 245, false},
    {"CrouchStill", [] { player.crouching = 1; }, 1, 3, 3, 340, 246, false},
    {"CrouchMovingRight", [] { player.crouching = 1; player.walkCounter = 7; }, 2, 3, 1, 320, 246, false},
    {"Rising", [] { player.jumping = 1; player.rising = 1; player.cycle40 = 25; }, 1, 5, 2, 340, 246, false},
    {"Falling", [] { player.airborne = 1; player.cycle40 = 35; }, 1, 3, 5, 340, 246, false},
    {"LedgeHangLeft", [] { player.hanging = 1; player.facing = 1; }, 1, 6, 0, 325, 246, true},
    {"LedgeClimbLate", [] { player.action = 8; player.actionTimer = 20; }, 1, 6, 3, 355, 204, false},
    {"Climbing", [] { player.climbing = 1; player.climbFrame = 13; }, 3, 5, 2, 340, 246, false},
    {"Terminal", [] { player.action = 23; player.facing = 1; }, 1, 0, 7, 340, 246, false},
    {"Flinch", [] { player.action = 9; player.actionTimer = 9; }, 2, 4, 3, 340, 246, false},
    {"HidingStill", [] { player.hiding = 1; }, 3, 6, 4, 340, 246, false},
    {"WeaponChange", [] { player.action = 13; player.actionTimer = 22; }, 2, 7, 1, 340, 246, false},
};

// Choosing a cell reads only the player record: no runtime is needed.
TEST(PlayerCell, CellAndPlaceByRule) {
  for (const CellCase& c : kCells) {
    player = Player{};
    player.x = 400;
    player.y = 300;
    c.set();
    const PlayerCell cell = ChoosePlayerCell();
    EXPECT_TRUE(cell.drawn) << c.name;
    EXPECT_EQ(cell.sheet, c.sheet) << c.name;
    EXPECT_EQ(cell.row, c.row) << c.name;
    EXPECT_EQ(cell.column, c.column) << c.name;
    EXPECT_EQ(cell.x, c.x) << c.name;
    EXPECT_EQ(cell.y, c.y) << c.name;
    EXPECT_EQ(cell.mirrored, c.mirrored) << c.name;
  }
  player = Player{};
}

TEST_F(PlayerSpriteTest, TimedStatesEndOnTheSpritesClock) {
  struct Case {
    int action, frames, after;
  };
  for (const Case& c : {Case{9, 25, 0}, Case{13, 31, 0}, Case{23, 51, 0}, Case{12, 41, 0}}) {
    player.action = c.action;
    player.actionTimer = 0;
    for (int f = 0; f < c.frames - 1; ++f) DrawPlayer();
    EXPECT_EQ(player.action, c.action) << c.action << " one frame early";
    DrawPlayer();
    EXPECT_EQ(player.action, c.after) << c.action;
    EXPECT_EQ(player.actionTimer, 0);
  }
}

TEST_F(PlayerSpriteTest, LedgeClimbMovesTheePlayerOntoTheLedge) {
  player.action = 8;
  player.hanging = 1;
  player.facing = 1;
  for (int f = 0; f < 36; ++f) DrawPlayer();
  EXPECT_EQ(player.action, 0);
  EXPECT_EQ(player.hanging, 0);
  EXPECT_EQ(player.x, 364);
  EXPECT_EQ(player.y, 240);
}

TEST_F(PlayerSpriteTest, KnockBackRecoversOrGoesDown) {
  for (int life : {30, 0}) {
    player.action = 10;
    player.actionTimer = 0;
    player.life = life;
    player.invulnTimer = 0;
    for (int f = 0; f < 51; ++f) DrawPlayer();
    EXPECT_EQ(player.action, life > 0 ? 0 : 51);
    EXPECT_EQ(player.invulnTimer, life > 0 ? 1 : 0);
  }
}

TEST_F(PlayerSpriteTest, HidingPlaceHoldsAt31) {
  player.action = 21;
  player.inHideSpot = 1;
  for (int f = 0; f < 100; ++f) DrawPlayer();
  EXPECT_EQ(player.actionTimer, 31);
  player.actionTimer = 32;
  for (int f = 0; f < 25; ++f) DrawPlayer();
  EXPECT_EQ(player.action, 0);
  EXPECT_EQ(player.inHideSpot, 0);
}

TEST_F(PlayerSpriteTest, PausedFramesAdvanceNothing) {
  game.paused = 1;
  player.action = 13;
  for (int f = 0; f < 50; ++f) DrawPlayer();
  EXPECT_EQ(player.actionTimer, 0);
  EXPECT_EQ(player.cycle40, 0);
  EXPECT_EQ(player.idleTimer, 0);
}

TEST_F(PlayerSpriteTest, CountersWrap) {
  for (int f = 0; f < 40; ++f) DrawPlayer();
  EXPECT_EQ(player.cycle40, 0);
  EXPECT_EQ(player.idleTimer, 0);
  EXPECT_EQ(player.idlePose, 1);
  player.fireCounter = 1;
  for (int f = 0; f < 14; ++f) DrawPlayer();
  EXPECT_EQ(player.fireCounter, 0) << "a shot's counter ends at 15";
}

}  // namespace
