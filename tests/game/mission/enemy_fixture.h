// A one-screen room for the enemy tests: a floor along row 10, the player's start at the
// left, the mission entered, the camera at 0 so that world and screen points agree.
#pragma once
#include <gtest/gtest.h>

#include "game/mission/enemies.h"
#include "game/mission/map_objects.h"
#include "game/mission/player.h"
#include "game/shell/game_data.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace enemy_test {

constexpr int kFloorRow = 10;
// A soldier standing on the floor: its y once landed.
constexpr int kStandY = kFloorRow * 40 - 18;
// The player standing on the floor.
constexpr int kPlayerStandY = kFloorRow * 40 - 38;

inline testing_support::StageRecordBuilder Room() {
  testing_support::StageRecordBuilder b;
  b.Row(kFloorRow, 0, 19, 25).Tile(1, kFloorRow - 1, 95);
  return b;
}

class EnemyTest : public ::testing::Test {
 protected:
  void Load(const testing_support::StageRecordBuilder& b) {
    ASSERT_TRUE(h_.LoadStage(b.bytes()));
    h_.Hold(1);
    ResetEnemies();
    game.scrollX = 0;
    game.scrollY = 0;
  }
  // An enemy of the kind at a world point, through the table's own spawn.
  static Enemy& Put(int kind, int x, int y, int facing, int param1 = 0, int param2 = 0,
                    std::initializer_list<int> behaviours = {0, 0, 0, 0}) {
    const int* b = behaviours.begin();
    SpawnEnemy(kind, 0, 0, 0, 0, static_cast<int16_t>(facing), static_cast<int16_t>(param1),
               static_cast<int16_t>(param2), b[0], b[1], b[2], b[3]);
    for (int i = kEnemyCount - 1; i >= 0; --i) {
      if (enemies[i].state != 0 && enemies[i].x == 20 && enemies[i].y == 20) {
        enemies[i].x = x;
        enemies[i].y = y;
        return enemies[i];
      }
    }
    ADD_FAILURE() << "no free slot";
    return enemies[0];
  }
  static int IndexOf(const Enemy& e) { return static_cast<int>(&e - enemies); }
  // The player standing still, lit, at a screen point.
  static void PlacePlayer(int x, int y) {
    player.x = x;
    player.y = y;
    player.action = 0;
    player.life = 100;
    player.isLit = 1;
  }
  // Runs only the enemy update, as the frame does.
  static void Update(int frames) {
    for (int f = 0; f < frames; ++f) UpdateEnemies();
  }

  mission_test::MissionHarness h_;
};

}  // namespace enemy_test
