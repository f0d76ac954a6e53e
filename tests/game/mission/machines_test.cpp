#include "game/mission/machines.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/mission/creatures.h"
#include "tests/game/mission/enemy_fixture.h"

namespace {

using enemy_test::EnemyTest;
using enemy_test::kFloorRow;
using enemy_test::kPlayerStandY;
using enemy_test::kStandY;
using enemy_test::Room;

TEST(MachineBeamCycle, OnFlickeringAndDarkCounts) {
  struct Case {
    int kind, param2;
    std::vector<int> on, off;
  };
  const std::vector<Case> cases = {
      {3, 40, {0, 39, 43, 53, 63, 73}, {40, 42, 44, 74, 79, 80, 120}},
      {5, 40, {0, 39, 43, 73}, {41, 80, 120}},
      {4, 40, {0, 39, 43, 73}, {40, 80}},
      {14, 40, {0, 39, 43, 181, 190}, {40, 80, 180}},
      {3, 0, {0, 1, 500}, {}},
  };
  for (const Case& c : cases) {
    for (int n : c.on) EXPECT_TRUE(MachineBeamOn(c.kind, n, c.param2)) << "kind " << c.kind << " count " << n;
    for (int n : c.off) EXPECT_FALSE(MachineBeamOn(c.kind, n, c.param2)) << "kind " << c.kind << " count " << n;
  }
}

TEST(EnemySpawn, EachKindStartsWithItsLifeViewAndCounters) {
  struct Case {
    int kind, facing, param1, param2;
    int life;
    float view;
    int cycleCount, droneParam;
  };
  const std::vector<Case> cases = {
      {1, 1, 0, 0, 100, 180, 0, 0},  {2, 0, 0, 0, 100, 0, 0, 0},    {3, 0, 45, 0, -1, 45, 0, 0},
      {4, 1, 120, 0, -1, 120, 1, 0}, {7, 1, 80, 1, -1, 150, 0, 2},  {10, 0, 80, 0, -1, 30, 0, 3},
      {11, 1, 0, 0, -1, 180, 0, 0},  {12, 0, 0, 0, 0, 0, 0, 0},     {13, 0, 0, 0, 100, 0, 0, 0},
      {14, 0, 200, 0, -1, 200, 0, 0}, {15, 0, 0, 60, -1, 0, 0, 0},  {17, 0, 0, 0, 100, 0, 0, 0},
      {18, 0, 0, 0, 100, 0, 0, 0},   {21, 0, 0, 0, -1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ResetEnemies();
    SpawnEnemy(c.kind, 3, 4, 0, 0, static_cast<int16_t>(c.facing), static_cast<int16_t>(c.param1),
               static_cast<int16_t>(c.param2), 1, 2, 3, 4);
    const Enemy& e = enemies[0];
    EXPECT_EQ(e.state, kEnemyActive) << "kind " << c.kind;
    EXPECT_EQ(e.x, 140);
    EXPECT_EQ(e.y, 180);
    EXPECT_EQ(e.life, c.life) << "kind " << c.kind;
    EXPECT_EQ(e.viewAngle, c.view) << "kind " << c.kind;
    EXPECT_EQ(e.cycleCount, c.cycleCount) << "kind " << c.kind;
    EXPECT_EQ(e.droneParam, c.droneParam) << "kind " << c.kind;
    EXPECT_EQ(e.alpha, 255);
    EXPECT_EQ(e.pendingFacing, kNoPendingTurn);
    EXPECT_EQ(e.initialBehaviour, c.kind <= 2 ? 1 : 0) << "behaviours only for soldiers";
    EXPECT_EQ(e.alertBehaviour, c.kind <= 2 ? 4 : 0);
  }
}

TEST(EnemySpawn, AFullTableDropsTheThirtyFirst) {
  ResetEnemies();
  for (int i = 0; i < 31; ++i) SpawnEnemy(1, i, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(enemies[29].x, 29 * 40 + 20);
  int used = 0;
  for (const Enemy& e : enemies) used += e.state != 0 ? 1 : 0;
  EXPECT_EQ(used, 30);
  // A freed slot is taken again, the first free one first.
  enemies[7].state = 0;
  SpawnEnemy(3, 40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(enemies[7].kind, 3);
  ResetEnemies();
}

class MachineTest : public EnemyTest {
 protected:
  void SetUp() override { Load(Room()); }
};

TEST_F(MachineTest, AFixedCameraCountsACycleOf2TimesItsParameterPlus41) {
  Enemy& cam = Put(3, 400, 100, 0, 90, 40);
  PlacePlayer(100, kPlayerStandY);
  Update(120);
  EXPECT_EQ(cam.cycleCount, 120);
  Update(1);
  EXPECT_EQ(cam.cycleCount, 0);
}

TEST_F(MachineTest, ARotatingCameraSweepsBetween30And150AndHoldsAfterASighting) {
  Enemy& cam = Put(4, 400, 100, 1, 100);
  PlacePlayer(100, kPlayerStandY);
  player.isLit = 0;
  float lowest = 1000, highest = -1000;
  for (int f = 0; f < 2000; ++f) {
    Update(1);
    lowest = std::min(lowest, cam.viewAngle);
    highest = std::max(highest, cam.viewAngle);
  }
  EXPECT_NEAR(lowest, 30.0f, 0.3f);
  EXPECT_NEAR(highest, 150.0f, 0.3f);
  const float before = cam.viewAngle;
  cam.beamCooldown = 100;
  Update(99);
  EXPECT_EQ(cam.viewAngle, before) << "holds still while cooling down";
  Update(2);
  EXPECT_NE(cam.viewAngle, before);
}

TEST_F(MachineTest, ACameraThatSpotsThePlayerRaisesTheAlertAndCoolsDown100Frames) {
  Enemy& cam = Put(3, 400, 100, 0, 90);
  PlacePlayer(400, kPlayerStandY);
  Update(1);
  EXPECT_EQ(game.alertCountdown, 2000);
  EXPECT_EQ(cam.beamCooldown, 100);
  game.alertCountdown = 5;
  Update(99);
  EXPECT_EQ(game.alertCountdown, 5) << "no hit while cooling down";
  Update(2);
  EXPECT_EQ(game.alertCountdown, 2000);
}

TEST_F(MachineTest, AJammedMachineNeitherMovesNorLooks) {
  Enemy& drone = Put(7, 400, 200, 0, 80);
  Enemy& cam = Put(3, 400, 100, 0, 90);
  drone.stunTimer = 50;
  cam.stunTimer = 50;
  PlacePlayer(400, kPlayerStandY);
  Update(50);
  EXPECT_EQ(drone.x, 400);
  EXPECT_EQ(game.alertCountdown, 0);
  Update(1);
  EXPECT_EQ(drone.x, 401);
  EXPECT_EQ(game.alertCountdown, 2000);
}

TEST_F(MachineTest, AHorizontalDroneMoves81PixelsWaits101FramesAndTurns) {
  Enemy& drone = Put(7, 400, 200, 0, 80);
  PlacePlayer(100, kPlayerStandY);
  player.isLit = 0;
  Update(81);
  EXPECT_EQ(drone.x, 481);
  Update(100);
  EXPECT_EQ(drone.facing, 0);
  EXPECT_EQ(drone.x, 481);
  Update(1);
  EXPECT_EQ(drone.facing, 1);
  EXPECT_EQ(drone.viewAngle, 150.0f);
  Update(81);
  EXPECT_EQ(drone.x, 400);
}

TEST_F(MachineTest, ATurretWhoseTargetStepsAwayReturnsToWatching) {
  Enemy& turret = Put(11, 400, kStandY, 0, 300);
  PlacePlayer(600, kStandY);
  Update(1);
  EXPECT_EQ(turret.subState, 10) << "alarm";
  EXPECT_EQ(game.alertCountdown, 0) << "the turret's beam is quiet";
  PlacePlayer(100, kPlayerStandY - 200);
  Update(2);
  EXPECT_EQ(turret.subState, 0);
  PlacePlayer(600, kStandY);
  Update(3);
  EXPECT_EQ(turret.subState, 11) << "firing while the player stays in line";
}

TEST_F(MachineTest, WreckedMachinesStayInTheirSlot) {
  Enemy& cam = Put(3, 400, 100, 0, 90);
  cam.state = kEnemyDefeated;
  PlacePlayer(400, kPlayerStandY);
  Update(300);
  EXPECT_EQ(cam.state, kEnemyDefeated);
  EXPECT_EQ(game.alertCountdown, 0) << "a wreck looks at nothing";
  EXPECT_GE(cam.timer2, 10);
  EXPECT_LE(cam.timer2, 100);
}

class CreatureTest : public EnemyTest {
 protected:
  void SetUp() override { Load(Room()); }
};

TEST_F(CreatureTest, TheSpawnerEmitsEvery200FramesBesideItselfFacingBack) {
  Enemy& spawner = Put(21, 5 * 40 + 20, kStandY, 0);
  PlacePlayer(700, kPlayerStandY);
  Update(199);
  int flowers = 0;
  for (const Enemy& e : enemies) flowers += e.kind == 13 ? 1 : 0;
  EXPECT_EQ(flowers, 0);
  Update(1);
  const Enemy* flower = nullptr;
  for (const Enemy& e : enemies) {
    if (e.kind == 13 && e.state == kEnemyActive) flower = &e;
  }
  ASSERT_NE(flower, nullptr);
  EXPECT_EQ(flower->x, 6 * 40 + 20) << "the cell on its facing side";
  EXPECT_EQ(flower->facing, 1) << "facing the spawner";
  EXPECT_EQ(flower->recordByte1, 1);
  EXPECT_EQ(spawner.param1, 100) << "a parameter of 0 is taken as 100";
}

TEST_F(CreatureTest, ASpawnerAtTheLeftEdgeFacingLeftEmitsInsideTheStage) {
  Put(21, 20, kStandY, 1, 10);
  PlacePlayer(700, kPlayerStandY);
  Update(20);
  const Enemy* flower = nullptr;
  for (const Enemy& e : enemies) {
    if (e.kind == 13) flower = &e;
  }
  ASSERT_NE(flower, nullptr);
  EXPECT_EQ(flower->x, 20) << "column 0, not -1";
}

TEST_F(CreatureTest, AnEmittedFlowerMaterialisesFallsAndLeavesBelowTheScreen) {
  ResetMapObjectPools();
  SpawnEnemy(13, 10, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0);
  Enemy& flower = enemies[0];
  PlacePlayer(100, kPlayerStandY);
  Update(81);
  EXPECT_EQ(flower.y, 2 * 40 + 20) << "still while it materialises";
  Update(1);
  EXPECT_GT(flower.y, 2 * 40 + 20);
  Update(200);
  EXPECT_EQ(flower.state, 0);
}

TEST_F(CreatureTest, TheTouchOverlapsBothBoxes) {
  PlacePlayer(400, 300);
  // The touch box is x 410..420, y 310..351.
  struct Case {
    const char* name;
    int left, top, right, bottom;
    bool touches;
  };
  const std::vector<Case> cases = {
      {"overlapping", 405, 305, 415, 315, true},
      {"wholly inside", 412, 320, 418, 330, true},
      {"covering it", 300, 200, 500, 400, true},
      {"left of it", 380, 300, 410, 340, false},
      {"right of it, its left edge beyond the box", 421, 300, 460, 340, false},
      {"far right, wide", 430, 300, 900, 340, false},
      {"below it", 405, 351, 425, 380, false},
      {"above it", 405, 250, 425, 310, false},
  };
  for (const Case& c : cases) EXPECT_EQ(TouchesPlayer(c.left, c.top, c.right, c.bottom), c.touches) << c.name;
}

TEST_F(CreatureTest, TheFairyStepsAtMostTwoPixelsAndTheBombSoldierTurnsAtTheEdge) {
  Enemy& fairy = Put(18, 400, 200, 0);
  PlacePlayer(100, 100);
  const int x0 = fairy.x, y0 = fairy.y;
  Update(2);
  EXPECT_EQ(fairy.subState, 1);
  EXPECT_GE(fairy.x, x0 - 4);
  EXPECT_GE(fairy.y, y0 - 4);
  EXPECT_LT(fairy.x, x0);
  EXPECT_EQ(fairy.facing, 1);

  Enemy& bomb = Put(12, 780, kFloorRow * 40 - 24, 0);
  bomb.subState = 2;
  Update(10);
  EXPECT_EQ(bomb.facing, 1) << "turned at the stage's right edge";
  EXPECT_LT(bomb.x, 786);
}

TEST_F(CreatureTest, DefeatedCreaturesPlayTheirEndAndFreeTheSlot) {
  struct Case {
    int kind, frames;
  };
  for (const Case c : {Case{12, 15}, Case{13, 33}, Case{17, 25}, Case{18, 41}}) {
    ResetEnemies();
    Enemy& e = Put(c.kind, 400, 200, 0);
    e.state = kEnemyDefeated;
    e.timer = 0;
    Update(c.frames - 1);
    EXPECT_EQ(e.state, kEnemyDefeated) << "kind " << c.kind;
    Update(1);
    EXPECT_EQ(e.state, 0) << "kind " << c.kind;
  }
}

}  // namespace
