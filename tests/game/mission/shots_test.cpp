#include "game/mission/shots.h"

#include <gtest/gtest.h>

#include "game/mission/enemies.h"
#include "game/mission/map_objects.h"
#include "game/mission/player_movement.h"
#include "game/shell/game_data.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace {

using mission_test::MissionHarness;
using testing_support::StageRecordBuilder;

int CountShots(int kind) {
  int n = 0;
  for (const Shot& s : shots) n += s.active != 0 && s.kind == kind ? 1 : 0;
  return n;
}

Shot* FindShot(int kind) {
  for (Shot& s : shots) {
    if (s.active != 0 && s.kind == kind) return &s;
  }
  return nullptr;
}

// One screen with a floor far below; the player stands at the left.
class ShotsTest : public ::testing::Test {
 protected:
  ShotsTest() {
    StageRecordBuilder b;
    b.Row(12, 0, 19, 25).Tile(1, 11, 95);
    EXPECT_TRUE(h_.LoadStage(b.bytes()));
    h_.Hold(5);
    ResetShots();
  }
  void Run(int frames) {
    for (int i = 0; i < frames; ++i) UpdateShots();
  }
  MapObject& Place(int kind, int cellX, int cellY) {
    SpawnMapObject(kind, cellX, cellY, 0);
    return pools.mapObjects[game.mapObjectCount - 1];
  }
  MissionHarness h_;
};

TEST_F(ShotsTest, TheFiftyFirstShotIsDropped) {
  for (int i = 0; i < kShotSlots; ++i) SpawnShot(30, 100 + i, 100, 0, 0.0f, 0.0f, 0);
  EXPECT_EQ(CountShots(30), kShotSlots);
  SpawnShot(27, 10, 10, 0, 400.0f, 0.0f, 0);
  EXPECT_EQ(CountShots(27), 0);
  RemoveShotsOfKind(30);
  EXPECT_EQ(CountShots(30), 0);
  SpawnShot(27, 10, 10, 0, 400.7f, -3.9f, 1);
  const Shot* s = FindShot(27);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->speedX, 400) << "speeds are truncated";
  EXPECT_EQ(s->speedY, -3);
  EXPECT_EQ(s->alpha, 255);
  EXPECT_EQ(s->startX, 10);
}

TEST_F(ShotsTest, PlayerRoundsAgainstMapObjects) {
  struct Case {
    int round, object;
    int objectActive;  // after the hit
    bool roundGoesOn;
  };
  const Case cases[] = {
      {2, 89, 0, false},  {0, 89, 1, false}, {10, 89, 0, false}, {8, 89, 0, true},
      {8, 90, 0, true},   {2, 90, 1, false}, {3, 90, 0, false},  {3, 92, 0, false},
      {12, 92, 2, false}, {12, 89, 2, false}, {0, 82, 0, false}, {8, 82, 0, true},
      {8, 25, 1, false},  {3, 25, 1, false}, {0, 20, 1, false},  {1, 20, 1, false},
      {2, 20, 2, false},  {12, 20, 2, false}, {8, 20, 2, true},
  };
  for (const Case& c : cases) {
    ResetStageState();
    ResetShots();
    MapObject& o = Place(c.object, 10, 5);  // x 400..440, y 200..240
    SpawnShot(c.round, 300, 220, 0, 20.0f, 0.0f, 0);
    int noises = 0;
    for (int f = 0; f < 8; ++f) {
      Run(1);
      noises += CountShots(27);
    }
    EXPECT_EQ(o.active, c.objectActive) << "round " << c.round << " object " << c.object;
    EXPECT_EQ(CountShots(c.round) == 1, c.roundGoesOn) << "round " << c.round << " object " << c.object;
    if (c.object == 82) {
      EXPECT_GT(noises, 0) << "a broken crate makes a noise";
    }
  }
}

TEST_F(ShotsTest, RoundsAgainstEnemiesFollowTheLifeValue) {
  struct Case {
    int round, kind, life, subState;
    int state;  // after
    bool roundGoesOn;
    int stun;
  };
  const Case cases[] = {
      {0, 1, 100, 0, 5, false, 0},  {0, 2, 100, 0, 1, true, 0},   {1, 2, 100, 0, 5, false, 0},
      {10, 1, 100, 0, 4, false, 0}, {2, 1, 100, 0, 1, true, 0},   {3, 13, 100, 0, 2, true, 0},
      {3, 2, 100, 0, 1, true, 0},   {8, 17, 100, 0, 2, true, 0},  {8, 19, 100, 0, 2, true, 0},
      {2, 12, 0, 0, 2, true, 0},    {2, 12, 0, 3, 1, true, 0},    {0, 3, -1, 0, 1, true, 0},
      {4, 3, -1, 0, 1, false, 200}, {4, 11, -1, 0, 1, false, 0},  {4, 1, 100, 0, 1, true, 0},
      {5, 11, -1, 0, 1, false, 250}, {5, 7, -1, 0, 1, false, 400}, {5, 12, 0, 0, 1, false, 250},
      // The spawner has no hit box: it is never hit.
      {4, 21, -1, 0, 1, true, 0},   {5, 21, -1, 0, 1, true, 0},
  };
  for (const Case& c : cases) {
    ResetShots();
    ResetEnemies();
    Enemy& e = enemies[0];
    e.kind = c.kind;
    e.life = c.life;
    e.state = 1;
    e.subState = static_cast<uint8_t>(c.subState);
    e.x = 420;
    e.y = 215;
    e.timer = 33;
    SpawnShot(c.round, 300, 220, 0, 20.0f, 0.0f, 0);
    Run(9);
    EXPECT_EQ(e.state, c.state) << "round " << c.round << " enemy " << c.kind;
    EXPECT_EQ(CountShots(c.round) == 1, c.roundGoesOn) << "round " << c.round << " enemy " << c.kind;
    EXPECT_EQ(e.stunTimer, c.stun) << "round " << c.round << " enemy " << c.kind;
    if (c.state != 1) {
      EXPECT_EQ(e.timer, 0) << "a state change restarts the timer";
    }
  }
}

TEST_F(ShotsTest, ASparkWakesTheBombSoldierTowardThePlayer) {
  ResetEnemies();
  Enemy& e = enemies[0];
  e = Enemy{};
  e.kind = 12;
  e.life = 0;
  e.state = 1;
  e.x = 420 + game.scrollX;
  e.y = 215;
  e.subState = 0;
  e.facing = 0;
  SpawnShot(4, 300 + game.scrollX, 220, 0, 20.0f, 0.0f, 0);
  Run(9);
  EXPECT_EQ(e.subState, 1);
  EXPECT_EQ(e.facing, 0) << "the player is to its left";
}

TEST_F(ShotsTest, AnAimedBulletAtThePlayersOwnPositionKeepsADirection) {
  player.invulnTimer = 5;  // let it fly past
  const int wx = player.x + game.scrollX, wy = player.y - game.scrollY;
  SpawnShot(22, wx, wy, 1, 15.0f, 0.0f, 0);
  Run(1);
  const Shot* s = FindShot(22);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->x, wx - 20);
  EXPECT_EQ(s->y, wy);
  // An ordinary one flies toward the player's body.
  ResetShots();
  SpawnShot(22, wx + 200, wy, 0, 15.0f, 0.0f, 0);
  Run(1);
  s = FindShot(22);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->x, wx + 180);
  EXPECT_EQ(s->value2, 2);
  player.invulnTimer = 0;
  Run(12);
  EXPECT_EQ(CountShots(22), 0);
  EXPECT_EQ(player.life, 100 - 15);
  EXPECT_EQ(player.action, player_action::kFlinch);
}

TEST_F(ShotsTest, ABarrierAbsorbsAimedBullets) {
  player.invulnTimer = 5;
  const int wx = player.x + game.scrollX, wy = player.y - game.scrollY;
  SpawnShot(7, wx + 100, wy + 20, 1, 0.0f, 0.0f, 0);
  SpawnShot(22, wx + 300, wy + 20, 0, 15.0f, 0.0f, 0);
  Run(13);
  EXPECT_EQ(CountShots(22), 0);
  EXPECT_EQ(CountShots(7), 1);
  EXPECT_EQ(player.life, 100);
  Run(200);
  EXPECT_EQ(CountShots(7), 0) << "a barrier stands 200 frames";
}

TEST_F(ShotsTest, DamageRules) {
  struct Case {
    int difficulty, damage, life, gadget, rations, newAction;
    int lifeAfter, actionAfter, rationsAfter;
  };
  const Case cases[] = {
      {0, 20, 100, 0, 0, 9, 80, 9, 0},   {1, 15, 100, 0, 0, 9, 81, 9, 0},  {1, 35, 100, 0, 0, 9, 55, 9, 0},
      {1, 20, 100, 0, 0, 9, 74, 9, 0},   {0, 20, 10, 1, 1, 9, 50, 9, 0},   {0, 20, 10, 2, 1, 9, 0, 51, 1},
      {0, 20, 10, 1, 0, 9, 0, 51, 0},    {0, 20, 10, 0, 0, 10, 0, 10, 0},  {0, 20, 50, 0, 0, 10, 30, 10, 0},
      {0, 20, 10, 1, 2, 10, 50, 10, 1},
  };
  for (const Case& c : cases) {
    game.difficulty = static_cast<uint8_t>(c.difficulty);
    player.life = c.life;
    player.selectedGadget = static_cast<uint8_t>(c.gadget);
    player.gadgets[1] = static_cast<uint16_t>(c.rations);
    player.action = 0;
    player.invulnTimer = 0;
    player.climbing = player.hanging = 1;
    SpawnShot(11, 10, 10, 0, 0.0f, 0.0f, 0);
    DamagePlayer(c.damage, c.newAction);
    EXPECT_EQ(player.life, c.lifeAfter) << c.difficulty << " " << c.damage << " " << c.life;
    EXPECT_EQ(player.action, c.actionAfter) << c.difficulty << " " << c.damage << " " << c.life;
    EXPECT_EQ(player.gadgets[1], c.rationsAfter);
    EXPECT_EQ(player.climbing, 0);
    EXPECT_EQ(player.hanging, 0);
    EXPECT_EQ(CountShots(11), 0) << "a hit ends the wire";
  }
  game.difficulty = 0;
  game.gameMode = kModeVr;
  player.life = 100;
  DamagePlayer(20, 9);
  EXPECT_EQ(game.vrHitsTaken, 1);
}

TEST_F(ShotsTest, PausedShotsNeitherMoveNorAge) {
  SpawnShot(0, 300, 220, 0, 20.0f, 0.0f, 0);
  SpawnShot(27, 300, 220, 0, 400.0f, 0.0f, 0);
  game.paused = 1;
  Run(10);
  EXPECT_EQ(FindShot(0)->x, 300);
  EXPECT_EQ(CountShots(27), 1) << "the noise keeps its age while paused";
  EXPECT_EQ(CountShots(21), 0) << "no case before the round's first moving frame";
  game.paused = 0;
  Run(2);
  EXPECT_EQ(CountShots(27), 0) << "a noise lives two frames";
  EXPECT_EQ(FindShot(0)->x, 340);
}

TEST_F(ShotsTest, ANoiseTurnsNearbyFootSoldiers) {
  struct Case {
    int kind, life, state, behaviour, dx;
    bool heard;
    int facing;
  };
  const Case cases[] = {
      {1, 100, 1, 0, 300, true, 1},  {2, 100, 1, 0, -300, true, 0}, {1, 100, 1, 0, 431, false, 99},
      {1, 100, 1, 6, 100, false, 99}, {1, -1, 1, 0, 100, false, 99}, {1, 100, 5, 0, 100, false, 99},
      {3, -1, 1, 0, 100, false, 99},
  };
  for (const Case& c : cases) {
    ResetShots();
    ResetEnemies();
    Enemy& e = enemies[0];
    e.kind = c.kind;
    e.life = c.life;
    e.state = static_cast<int16_t>(c.state);
    e.mode = 0;
    e.initialBehaviour = static_cast<uint8_t>(c.behaviour);
    e.x = 1000 + c.dx;
    e.y = 300;
    e.pendingFacing = 99;
    e.pendingTurnTimer = 7;
    SpawnShot(27, 1000, 300, 0, 400.0f, 0.0f, 0);
    Run(1);
    EXPECT_EQ(e.pendingFacing, c.facing) << c.kind << " " << c.dx << " " << c.behaviour;
    EXPECT_EQ(e.pendingTurnTimer == 0, c.heard) << c.kind << " " << c.dx;
  }
}

TEST_F(ShotsTest, CasesFallBounceAndFade) {
  SpawnShot(21, 200, 100, 0, 0.0f, 0.0f, 0);
  bool bounced = false;
  int lastY = 100;
  for (int f = 0; f < 300 && CountShots(21) == 1; ++f) {
    Run(1);
    if (const Shot* s = FindShot(21)) {
      bounced = bounced || s->counter2 > 0;
      lastY = s->y;
    }
  }
  EXPECT_TRUE(bounced);
  EXPECT_EQ(CountShots(21), 0) << "faded out";
  EXPECT_LE(lastY, 12 * 40) << "rests on the floor";
}

}  // namespace
