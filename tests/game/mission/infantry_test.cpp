#include "game/mission/infantry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/game/mission/enemy_fixture.h"

namespace {

using enemy_test::EnemyTest;
using enemy_test::kFloorRow;
using enemy_test::kPlayerStandY;
using enemy_test::kStandY;
using enemy_test::Room;

constexpr int kX = 400;
// Player positions: in front of a soldier looking right, and out of its sight.
constexpr int kInSight = kX + 150;
constexpr int kOutOfSight = kX - 200;
// Beyond every range, also behind a soldier that turned round.
constexpr int kFar = kX + 1000;

struct Transition {
  const char* name;
  int mode;
  std::vector<int> behaviours;  // initial, normal, attack, alert
  int playerX;
  int frames;
  std::function<void(Enemy&)> before;  // the stimulus, null for none
  int modeAfter;
  int stateAfter = kEnemyActive;
};

class InfantryTest : public EnemyTest {
 protected:
  void SetUp() override { Load(Room()); }

  Enemy& Soldier(int mode, const std::vector<int>& b) {
    ResetEnemies();
    Enemy& e = Put(1, kX, kStandY, 0, 0, 0, {b[0], b[1], b[2], b[3]});
    e.mode = static_cast<uint8_t>(mode);
    return e;
  }
};

TEST_F(InfantryTest, ModesChangeOnWhatTheSoldierSeesHearsAndIsTold) {
  const auto noise = [](Enemy& e) {
    e.pendingFacing = 1;
    e.pendingTurnTimer = 0;
  };
  const std::vector<Transition> table = {
      {"standing, sees", 0, {0, 0, 0, 0}, kInSight, 1, nullptr, 2},
      {"standing, sees nothing", 0, {0, 0, 0, 0}, kOutOfSight, 300, nullptr, 0},
      {"looking around, sees", 1, {1, 1, 0, 0}, kInSight, 1, nullptr, 2},
      {"walking, sees", 0, {2, 0, 0, 0}, kInSight, 1, nullptr, 2},
      {"asleep, player in view", 0, {4, 0, 0, 0}, kInSight, 120, nullptr, 0},
      {"asleep, a noise wakes it after 15 frames", 0, {4, 0, 0, 0}, kFar, 17, noise, 5},
      {"a noise heard 14 frames ago", 0, {0, 0, 0, 0}, kFar, 15, noise, 0},
      {"smoking, sees", 0, {5, 0, 0, 0}, kInSight, 1, [](Enemy& e) { e.subState = 1; }, 2},
      {"smoking, blind while blowing smoke", 0, {5, 0, 0, 0}, kInSight, 100,
       [](Enemy& e) {
         e.subState = 2;
         e.cycleCount = 350;
       },
       0},
      {"music, sees", 0, {6, 0, 0, 0}, kInSight, 1, nullptr, 2},
      {"noticed, still seen after 76 frames", 2, {0, 0, 0, 0}, kInSight, 76, nullptr, 3},
      {"noticed, 75 frames are not enough", 2, {0, 0, 0, 0}, kInSight, 75, nullptr, 2},
      {"noticed, lost after 76 frames", 2, {0, 0, 0, 0}, kFar, 76, nullptr, 4},
      {"attacking with the rifle, lost at the re-check", 3, {0, 0, 0, 0}, kFar, 100, nullptr, 4},
      {"attacking with the rifle, still seen", 3, {0, 0, 0, 0}, kInSight, 100, nullptr, 3},
      {"cowering never re-checks", 3, {0, 0, 2, 0}, kFar, 400, nullptr, 3},
      {"searching, looking around, sees", 4, {0, 0, 0, 0}, kInSight, 1, nullptr, 3},
      {"searching, walking, sees", 4, {0, 0, 0, 1}, kInSight, 1, nullptr, 2},
      {"searching, climbing walker, sees", 4, {0, 0, 0, 2}, kInSight, 1, nullptr, 2},
      {"sniping never leaves the search", 4, {0, 0, 0, 3}, kInSight, 200, nullptr, 4},
      {"suspicious, sees", 5, {0, 0, 0, 0}, kInSight, 1, nullptr, 2},
      {"suspicious 220 frames, no alert", 5, {0, 0, 0, 0}, kOutOfSight, 220, nullptr, 1},
      {"suspicious 220 frames during an alert", 5, {0, 0, 0, 0}, kOutOfSight, 220,
       [](Enemy&) { game.alertCountdown = 1500; }, 4},
      {"attacking, a noise makes it suspicious", 3, {0, 0, 2, 0}, kFar, 16, noise, 5},
      {"told to search by another's alert", 0, {0, 0, 0, 0}, kOutOfSight, 1,
       [](Enemy&) { AlertAllInfantry(-1); }, 4},
      {"the alert's last frame", 4, {0, 3, 0, 0}, kOutOfSight, 1, [](Enemy&) { game.alertCountdown = 1; }, 1},
      {"asleep (hit by a dart) wakes after 400 frames", 0, {0, 0, 0, 0}, kOutOfSight, 401,
       [](Enemy& e) { e.state = kEnemyAsleep; }, 0, kEnemyActive},
      {"asleep at the alert's end gets its normal mode", 4, {0, 0, 0, 0}, kOutOfSight, 1,
       [](Enemy& e) {
         e.state = kEnemyAsleep;
         game.alertCountdown = 1;
       },
       1, kEnemyAsleep},
      {"knocked out keeps its mode at the alert's end", 4, {0, 0, 0, 0}, kOutOfSight, 1,
       [](Enemy& e) {
         e.state = kEnemyKnockedOut;
         game.alertCountdown = 1;
       },
       4, kEnemyKnockedOut},
      {"knocked out never rises", 0, {0, 0, 0, 0}, kInSight, 600, [](Enemy& e) { e.state = kEnemyKnockedOut; }, 0,
       kEnemyKnockedOut},
  };
  for (const Transition& t : table) {
    Enemy& e = Soldier(t.mode, t.behaviours);
    game.alertCountdown = 0;
    PlacePlayer(t.playerX, kPlayerStandY);
    if (t.before) t.before(e);
    Update(t.frames);
    EXPECT_EQ(e.mode, t.modeAfter) << t.name;
    EXPECT_EQ(e.state, t.stateAfter) << t.name;
  }
}

TEST_F(InfantryTest, AWalkerStopsAtAWallAndTurnsBack250FramesLater) {
  ResetMapObjectPools();
  auto b = Room();
  b.Tile(14, kFloorRow - 1, 25).Tile(14, kFloorRow - 2, 25).Tile(14, kFloorRow - 3, 25).Tile(14, kFloorRow - 4, 25);
  Load(b);
  Enemy& e = Put(1, kX, kStandY, 0, 0, 0, {2, 2, 0, 0});
  PlacePlayer(100, kPlayerStandY);
  player.isLit = 0;
  int frames = 0;
  while (e.subState == 0 && frames < 400) {
    Update(1);
    ++frames;
  }
  ASSERT_EQ(e.subState, 1) << "stopped";
  EXPECT_LE(e.x + 20, 14 * 40 + 2) << "not inside the wall";
  const int stopX = e.x;
  Update(251);
  EXPECT_EQ(e.facing, 1) << "turned";
  EXPECT_EQ(e.subState, 0) << "walking again";
  EXPECT_EQ(e.x, stopX);
  Update(20);
  EXPECT_LT(e.x, stopX) << "walking back";
}

TEST_F(InfantryTest, TheClimbingWalkerClimbsALowWallAndStandsOnIt) {
  auto b = Room();
  b.Tile(14, kFloorRow - 1, 25);
  Load(b);
  Enemy& e = Put(1, kX, kStandY, 0, 0, 0, {3, 3, 0, 0});
  PlacePlayer(100, kPlayerStandY);
  player.isLit = 0;
  bool climbed = false;
  for (int f = 0; f < 400 && !climbed; ++f) {
    Update(1);
    climbed = e.subState == 2;
  }
  ASSERT_TRUE(climbed);
  EXPECT_EQ(e.noGravity, 1);
  EXPECT_EQ(e.speedY, (kFloorRow - 1) * 40) << "the block's top is the target";
  for (int f = 0; f < 100 && e.subState != 0; ++f) Update(1);
  EXPECT_EQ(e.noGravity, 0);
  Update(1);
  for (int f = 0; f < 10 && e.inAir != 0; ++f) Update(1);
  EXPECT_EQ(e.y, (kFloorRow - 1) * 40 - 18) << "standing on the block";
  EXPECT_GE(e.x, 14 * 40) << "over the block";
}

TEST_F(InfantryTest, AnObstacleWithNothingInTheClimbingColumnIsNoWall) {
  // A thin plank at head height (a ledge, 40 x 20 at the cell's top) four pixels ahead
  // overlaps the wall probe, but no object lies in the column at any of the four heights.
  ResetMapObjectPools();
  Load(Room());
  ResetMapObjectPools();
  for (int c = 0; c < 20; ++c) SpawnMapObject(25, c, kFloorRow, 0);
  MapObject& plank = pools.mapObjects[game.mapObjectCount];
  SpawnMapObject(25, 0, 0, 0);
  plank.x = kX + 16;
  plank.y = kStandY - 40;
  plank.boxLeft = 0;
  plank.boxRight = 2;
  plank.boxTop = 0;
  plank.boxBottom = 20;
  Enemy& e = Put(1, kX, kStandY, 0, 0, 0, {3, 3, 0, 0});
  PlacePlayer(100, kPlayerStandY);
  player.isLit = 0;
  Update(2);
  EXPECT_EQ(e.subState, 0) << "neither climbing nor stopped";
  EXPECT_EQ(e.x, kX + 4) << "walked on";
}

TEST_F(InfantryTest, FallingIsCappedAndASoldierBelowTheStageLeavesItsSlot) {
  Load(Room());
  ResetMapObjectPools();
  Enemy& e = Put(1, kX, kStandY, 0, 0, 0, {0, 0, 0, 0});
  PlacePlayer(100, kPlayerStandY);
  game.paused = 1;  // gravity runs while paused too
  int fastest = 0;
  for (int f = 0; f < 200 && e.state != 0; ++f) {
    Update(1);
    fastest = std::max(fastest, e.fallSpeed);
  }
  EXPECT_EQ(fastest, kEnemyFallCap);
  EXPECT_EQ(e.state, 0) << "freed below the stage";
  game.paused = 0;
}

TEST_F(InfantryTest, ARifleSoldierReChecksEvery70FramesWhileItSeesThePlayer) {
  Enemy& e = Soldier(3, {0, 0, 0, 0});
  PlacePlayer(kInSight, kPlayerStandY);
  Update(100);
  EXPECT_EQ(e.timer, 30) << "the first re-check found the player";
  Update(70);
  EXPECT_EQ(e.timer, 30) << "and the next one 70 frames later";
  EXPECT_EQ(e.mode, 3);
}

TEST_F(InfantryTest, AWalkerTurnsAtAHoleInsteadOfWalkingOffTheLedge) {
  auto b = testing_support::StageRecordBuilder();
  b.Row(kFloorRow, 0, 12, 25).Tile(1, kFloorRow - 1, 95);
  Load(b);
  Enemy& e = Put(1, kX, kStandY, 0, 0, 0, {2, 2, 0, 0});
  PlacePlayer(100, kPlayerStandY);
  player.isLit = 0;
  Update(600);
  EXPECT_EQ(e.y, kStandY) << "never fell";
  EXPECT_LE(e.x, 13 * 40);
}

}  // namespace
