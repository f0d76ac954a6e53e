// The map's traps and switches met in play: spikes, the electric floor, the shutters with
// and without their key, the pitfall's timing, the control terminal and the spreading fire.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "game/mission/player_movement.h"
#include "game/mission/shots.h"
#include "platform/input.h"
#include "runtime/api.h"
#include "tests/game/mission/enemy_fixture.h"

namespace {

using enemy_test::EnemyTest;
using enemy_test::kFloorRow;
using enemy_test::kPlayerStandY;
using enemy_test::kStandY;
using testing_support::StageRecordBuilder;
namespace key = platform::key;
namespace act = player_action;

constexpr int kHazardColumn = 5;

int SlotOfKind(int kind) {
  for (int i = 0; i < game.mapObjectCount; ++i) {
    if (pools.mapObjects[i].kind == kind) return i;
  }
  return -1;
}

bool NoiseAt(int x, int y) {
  for (const Shot& s : shots) {
    if (s.active != 0 && s.kind == 27 && s.x == x && s.y == y) return true;
  }
  return false;
}

struct HazardCase {
  std::string name;
  int code, row;                 // laid at column kHazardColumn (the floor cell for row 10)
  std::function<void()> key;     // what the player holds, null for nothing
  int damage;                    // of the first hit, 0 for none
  int action;                    // the player's state after it
  bool noise;                    // a noise at the player's feet with the hit
  bool passable;                 // the player walks past the object
};

class MapHazardsTest : public EnemyTest {
 protected:
  // Walks right (at most the frames given) and returns the first hit's damage.
  int WalkUntilHit(int frames, int* action, bool* noise) {
    for (int f = 0; f < frames; ++f) {
      const int before = player.life;
      h_.Hold(1, {key::kRight});
      if (player.life != before) {
        *action = player.action;
        *noise = NoiseAt(player.x + game.scrollX, player.y - game.scrollY);
        return before - player.life;
      }
    }
    return 0;
  }
};

TEST_F(MapHazardsTest, WhatEachHazardDoesToAPlayerWalkingIntoIt) {
  const HazardCase cases[] = {
      {"spikes", 21, kFloorRow, nullptr, 200, act::kFlinch, false, false},
      {"electric block", 77, kFloorRow, nullptr, 20, act::kKnockedBack, true, false},
      {"shutter without its key", 58, kFloorRow - 2, nullptr, 0, 0, false, false},
      {"shutter with the key", 58, kFloorRow - 2, [] { game.missionRules[7] = 1; }, 0, 0, false, true},
      {"item shutter without its item", 66, kFloorRow - 2, nullptr, 0, 0, false, false},
      {"item shutter with its item", 66, kFloorRow - 2, [] { game.checkpoint[61] = 1; }, 0, 0, false, true},
  };
  for (const HazardCase& c : cases) {
    SCOPED_TRACE(c.name);
    StageRecordBuilder b = enemy_test::Room();
    b.Tile(kHazardColumn, c.row, c.code);
    Load(b);
    game.missionRules[7] = 0;
    game.checkpoint[61] = 0;
    if (c.key) c.key();
    player.life = 300;  // so that the spikes' hit can be measured
    int action = 0;
    bool noise = false;
    const int damage = WalkUntilHit(100, &action, &noise);
    EXPECT_EQ(damage, c.damage);
    if (c.damage != 0) {
      EXPECT_EQ(action, c.action);
      EXPECT_EQ(noise, c.noise);
      continue;
    }
    const MapObject& o = pools.mapObjects[SlotOfKind(c.code)];
    EXPECT_EQ(o.solid == 0, c.passable);
    EXPECT_EQ(o.active, c.passable ? 2 : 1);
    EXPECT_EQ(player.x > (kHazardColumn + 1) * 40, c.passable) << "player at " << player.x;
  }
}

TEST_F(MapHazardsTest, TheElectricShockHoldsThePlayerFor51FramesAndTheShutterOpensIn12) {
  StageRecordBuilder b = enemy_test::Room();
  b.Tile(kHazardColumn, kFloorRow, 77);
  Load(b);
  int action = 0;
  bool noise = false;
  ASSERT_EQ(WalkUntilHit(150, &action, &noise), 20);
  const int x = player.x;
  h_.Hold(49, {key::kRight});  // the shock's frames 2 to 50
  EXPECT_EQ(player.action, act::kKnockedBack);
  EXPECT_EQ(player.x, x) << "no control while shocked";
  h_.Hold(1, {key::kRight});
  EXPECT_NE(player.action, act::kKnockedBack);

  b = enemy_test::Room();
  b.Tile(kHazardColumn, kFloorRow - 2, 58);
  Load(b);
  game.missionRules[7] = 1;
  const MapObject& shutter = pools.mapObjects[SlotOfKind(58)];
  int frames = 0;
  while (shutter.stepCounter == 0 && frames < 150) {
    h_.Hold(1, {key::kRight});
    ++frames;
  }
  ASSERT_EQ(shutter.stepCounter, 10) << "rises 10 pixels on the frame it starts";
  EXPECT_EQ(CheckSoundPlaying(game.sounds[12]), 1);
  h_.Hold(10);
  EXPECT_EQ(shutter.solid, 1);
  h_.Hold(1);
  EXPECT_EQ(shutter.stepCounter, 120);
  EXPECT_EQ(shutter.solid, 0) << "open after 12 frames";
}

TEST_F(MapHazardsTest, APitfallOpensAfter60FramesStoodOnAndClosesOnThe275thFrameOpen) {
  StageRecordBuilder b;
  b.Row(kFloorRow, 0, 19, 25).Tile(3, kFloorRow, 0).Tile(4, kFloorRow, 0).Tile(3, kFloorRow, 61);
  b.Row(kFloorRow + 2, 0, 19, 25).Tile(1, kFloorRow - 1, 95);
  Load(b);
  const int slot = SlotOfKind(61);
  const MapObject& pit = pools.mapObjects[slot];
  int stood = 0;
  for (int f = 0; f < 300 && pit.solid != 0; ++f) {
    h_.Hold(1, {player.x < 4 * 40 ? key::kRight : 0});
    if (player.standOn == slot) ++stood;
  }
  EXPECT_EQ(stood, 60);
  ASSERT_EQ(pit.solid, 0);
  h_.Hold(30);
  EXPECT_GT(player.y, kPlayerStandY + 40) << "fell through";
  int open = 31;
  while (pit.solid == 0 && open < 400) {
    h_.Hold(1);
    ++open;
  }
  EXPECT_EQ(open, 275);
}

TEST_F(MapHazardsTest, AControlTerminalSwitchesOffEveryCameraDroneAndTurret) {
  StageRecordBuilder b = enemy_test::Room();
  b.Tile(kHazardColumn, kFloorRow - 1, 11).Lights(false);  // no machine sees the walk there
  Load(b);
  Enemy& camera = Put(3, 600, 100, 0, 90);
  Enemy& gunCamera = Put(6, 600, 100, 0, 90);
  Enemy& drone = Put(9, 560, 200, 0, 40);
  Enemy& turret = Put(11, 700, kStandY, 1, 300);
  Enemy& soldier = Put(1, 760, kStandY, 1, 0, 0, {4, 4, 0, 0});
  Enemy& tube = Put(15, 760, kStandY, 0, 0, 60);
  Enemy& pointer = Put(14, 760, 100, 0, 90);
  // A slot freed on an earlier stage keeps its kind.
  enemies[kEnemyCount - 1].kind = 5;
  for (int f = 0; f < 200 && player.x < kHazardColumn * 40 + 20; ++f) h_.Hold(1, {key::kRight});
  h_.Hold(1);
  ASSERT_EQ(player.terminalReach, 1);
  ASSERT_EQ(player.life, 100);
  h_.Hold(1, {key::kUp});
  EXPECT_EQ(player.action, act::kTerminal);
  EXPECT_EQ(CheckSoundPlaying(game.sounds[29]), 1);
  for (const Enemy* e : {&camera, &gunCamera, &drone, &turret}) {
    EXPECT_EQ(e->state, kEnemyDefeated) << "kind " << e->kind;
    EXPECT_EQ(e->timer, 0) << "kind " << e->kind;
  }
  for (const Enemy* e : {&soldier, &tube, &pointer}) EXPECT_EQ(e->state, kEnemyActive) << "kind " << e->kind;
  EXPECT_EQ(enemies[kEnemyCount - 1].state, kEnemyFree);

  // The wrecks stay where they were and smoke; a lit player in their lines is neither seen
  // nor shot at.
  const int droneX = drone.x;
  ResetShots();
  PlacePlayer(600, kStandY);
  Update(200);
  EXPECT_EQ(game.alertCountdown, 0);
  for (const Shot& s : shots) EXPECT_FALSE(s.active != 0 && (s.kind == 22 || s.kind == 26)) << "shot " << s.kind;
  EXPECT_EQ(drone.x, droneX);
  EXPECT_GE(camera.timer2, 10) << "the wreck's timer runs";
  EXPECT_EQ(camera.state, kEnemyDefeated);
}

TEST_F(MapHazardsTest, ABurningBlockSetsOffTheBombSoldiersInItsCross) {
  StageRecordBuilder b = enemy_test::Room();
  b.Tile(kHazardColumn, kFloorRow - 1, 92).Tile(kHazardColumn + 1, kFloorRow - 1, 92);
  Load(b);
  MapObject& block = pools.mapObjects[SlotOfKind(92)];
  const MapObject& neighbour = pools.mapObjects[SlotOfKind(92) + 1];
  ASSERT_EQ(neighbour.x, block.x + 40);
  const int y = (kFloorRow - 1) * 40 + 22;
  Enemy& near = Put(12, block.x - 10, y, 0);  // its box reaches into the cross's arm
  Enemy& far = Put(12, block.x - 40, y, 0);
  Enemy& above = Put(12, block.x + 20, y - 40, 0);
  block.active = 2;
  for (int f = 0; f < 24; ++f) UpdateMapObjects();
  EXPECT_EQ(near.state, kEnemyActive);
  EXPECT_EQ(neighbour.active, 1);
  UpdateMapObjects();
  EXPECT_EQ(neighbour.active, 2) << "the fire spreads on its 25th frame";
  EXPECT_EQ(near.state, kEnemyDefeated);
  EXPECT_EQ(near.timer, 0);
  EXPECT_EQ(above.state, kEnemyDefeated);
  EXPECT_EQ(far.state, kEnemyActive);

  ResetShots();
  for (int f = 0; f < 4; ++f) UpdateEnemies();
  int blasts = 0;
  for (const Shot& s : shots) blasts += s.active != 0 && s.kind == 31 ? 1 : 0;
  EXPECT_EQ(blasts, 2) << "each goes off on its fourth frame";
}

}  // namespace
