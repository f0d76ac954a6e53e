#include "game/mission/map_objects.h"

#include <gtest/gtest.h>

#include "game/mission/player_movement.h"
#include "game/shell/game_data.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace {

using mission_test::MissionHarness;
using testing_support::StageRecordBuilder;
namespace key = platform::key;

class MapObjectsTest : public ::testing::Test {
 protected:
  MapObjectsTest() {
    game.gameState = STATE_STAGE_PLAY;
    ResetStageState();
  }
  MapObject& Spawn(int kind, int cellX, int cellY) {
    SpawnMapObject(kind, cellX, cellY, 0);
    return pools.mapObjects[game.mapObjectCount - 1];
  }
  MissionHarness h_;
};

struct BoxCase {
  int kind;
  int left, top, right, bottom;
  bool solid;
};

TEST_F(MapObjectsTest, BoxesAndSolidityByKind) {
  const BoxCase cases[] = {
      {1, 0, 0, 0, 0, false},    {14, 0, 0, 0, 0, true},    {20, 5, 5, 35, 65, false},
      {25, 0, 0, 40, 40, true},  {30, 0, 0, 40, 20, true},  {35, 0, 0, 80, 40, true},
      {38, 0, 0, 120, 40, true}, {41, 0, 0, 40, 80, true},  {44, 0, 0, 40, 120, true},
      {47, 0, 0, 80, 80, true},  {61, 0, 0, 80, 20, true},  {64, 0, 0, 0, 0, false},
      {65, 0, 0, 40, 40, false}, {83, 0, 0, 80, 40, true},  {86, 30, 20, 40, 25, false},
      {87, 0, 20, 40, 25, false}, {88, 0, 20, 20, 25, false}, {99, 0, 0, 0, 0, false},
      {150, 0, 0, 0, 0, false},  {93, 0, 0, 0, 0, true},    {77, 0, 0, 40, 40, true},
  };
  for (const BoxCase& c : cases) {
    const MapObject& o = Spawn(c.kind, 3, 4);
    EXPECT_EQ(o.x, 120);
    EXPECT_EQ(o.y, 160);
    EXPECT_EQ(o.active, 1);
    EXPECT_EQ(o.boxLeft, c.left) << c.kind;
    EXPECT_EQ(o.boxTop, c.top) << c.kind;
    EXPECT_EQ(o.boxRight, c.right) << c.kind;
    EXPECT_EQ(o.boxBottom, c.bottom) << c.kind;
    EXPECT_EQ(o.solid != 0, c.solid) << c.kind;
  }
}

TEST_F(MapObjectsTest, AFullPoolDropsTheRequest) {
  for (int i = 0; i < kMapObjectSlots; ++i) SpawnMapObject(25, i % 60, i / 60, 0);
  EXPECT_EQ(game.mapObjectCount, kMapObjectSlots);
  SpawnMapObject(26, 0, 0, 0);
  EXPECT_EQ(pools.mapObjects[0].kind, 25);
  for (int i = 0; i < kDecorSlots + 3; ++i) SpawnDecorObject(190, i, 0, 0);
  EXPECT_EQ(pools.decorObjects[kDecorSlots - 1].x, (kDecorSlots - 1) * 40);
}

// The player at screen (220, 220) with its body box round that point.
void PlayerAt220() {
  player.x = 220;
  player.y = 220;
  player.bodyBox[0] = 200;
  player.bodyBox[1] = 240;
  player.bodyBox[2] = 195;
  player.bodyBox[3] = 240;
}

// Runs the map objects' update for frames with the player standing on the given slot.
void RunObjects(int frames, int standOn) {
  for (int f = 0; f < frames; ++f) {
    player.standOn = standOn;
    UpdateMapObjects();
  }
}

TEST_F(MapObjectsTest, CrumblingBlocks) {
  MapObject& once = Spawn(59, 0, 5);
  RunObjects(1, 0);
  RunObjects(70, kNoObject);
  EXPECT_EQ(once.active, 1) << "still there at frame 71";
  RunObjects(1, kNoObject);
  EXPECT_EQ(once.active, 2) << "breaks at 72 even after the player left";
  EXPECT_EQ(once.solid, 1);
  RunObjects(127, kNoObject);
  EXPECT_EQ(once.active, 2);
  RunObjects(1, kNoObject);
  EXPECT_EQ(once.active, 1) << "back when its timer reaches 200";
  EXPECT_EQ(once.timers[0], 0);

  ResetStageState();
  MapObject& held = Spawn(60, 0, 5);
  RunObjects(30, 0);
  RunObjects(100, kNoObject);
  EXPECT_EQ(held.active, 1) << "only crumbles while stood on";
  RunObjects(42, 0);
  EXPECT_EQ(held.active, 0) << "gone for good";
}

TEST_F(MapObjectsTest, VanishingBlocksByPeriod) {
  for (int kind : {79, 80, 81}) {
    ResetStageState();
    MapObject& o = Spawn(kind, 0, 0);
    const int period = kind == 79 ? 150 : kind == 80 ? 250 : 350;
    RunObjects(period / 2 - 1, kNoObject);
    EXPECT_EQ(o.solid, 1);
    RunObjects(1, kNoObject);
    EXPECT_EQ(o.solid, 0) << kind;
    EXPECT_EQ(o.active, 2);
    RunObjects(period - period / 2, kNoObject);
    EXPECT_EQ(o.solid, 1) << kind;
    EXPECT_EQ(o.active, 1);
  }
}

TEST_F(MapObjectsTest, PickupAmountsAndCaps) {
  struct Case {
    int kind;
    uint16_t* field;
    uint16_t before, after;
  };
  const Case cases[] = {
      {141, &player.weapons[0], kNotOwned, 3},  {142, &player.weapons[1], kNotOwned, 2},
      {141, &player.weapons[0], 98, 99},        {152, &player.weapons[11], 5, 6},
      {155, &player.items[0], kNotOwned, 3},    {158, &player.items[3], 1, 3},
      {161, &player.gadgets[1], 5, 5},          {162, &player.gadgets[2], kNotOwned, 1},
      {163, &player.gadgets[3], 1, 1},
  };
  for (const Case& c : cases) {
    ResetStageState();
    *c.field = c.before;
    MapObject& item = Spawn(c.kind, 5, 5);
    PlayerAt220();
    UpdateMapObjects();
    EXPECT_EQ(*c.field, c.after) << c.kind;
    EXPECT_EQ(item.active, 0);
  }
  ResetStageState();
  player.life = 10;
  player.lifeMax = 100;
  Spawn(175, 5, 5);
  PlayerAt220();
  UpdateMapObjects();
  EXPECT_EQ(player.life, 100);
}

TEST_F(MapObjectsTest, AnItemOutOfReachStaysAndBobs) {
  MapObject& item = Spawn(141, 5, 5);
  player.bodyBox[0] = 0;
  player.bodyBox[1] = 40;
  player.bodyBox[2] = 0;
  player.bodyBox[3] = 40;
  for (int f = 0; f < 11; ++f) UpdateMapObjects();
  EXPECT_EQ(item.active, 1);
  EXPECT_EQ(item.y, 201) << "moves a pixel every 11th frame";
}

TEST_F(MapObjectsTest, TheLastTargetTurnsVrGoalsOn) {
  game.gameMode = kModeVr;
  game.targetCount = 2;
  MapObject& a = Spawn(20, 1, 1);
  MapObject& b = Spawn(20, 3, 1);
  MapObject& goal = Spawn(98, 6, 1);
  a.active = 2;
  UpdateMapObjects();
  EXPECT_EQ(game.stageTargetsDestroyed, 1);
  EXPECT_EQ(goal.kind, 98);
  b.active = 2;
  UpdateMapObjects();
  EXPECT_EQ(game.stageTargetsDestroyed, 2);
  EXPECT_EQ(goal.kind, 99);
}

TEST_F(MapObjectsTest, LightProbeCountsLampsWithinReach) {
  SpawnDecorObject(190, 5, 5, 0);   // radius 140 + 30
  SpawnDecorObject(191, 10, 5, 0);  // radius 50 + 30
  player.x = 200 + 170;
  player.y = 200;
  player.isLit = 0;
  UpdateDecorObjects();
  EXPECT_EQ(player.isLit, 2) << "170 from the lamp, 30 from the small light";
  player.x = 200 + 171;
  player.isLit = 0;
  UpdateDecorObjects();
  EXPECT_EQ(player.isLit, 1);
}

TEST_F(MapObjectsTest, ReachingAnActiveGoalEndsTheStage) {
  StageRecordBuilder b;
  b.Row(10, 0, 19, 25).Tile(3, 9, 95).Tile(8, 9, 99);
  ASSERT_TRUE(h_.LoadStage(b.bytes()));
  h_.Hold(10);
  for (int f = 0; f < 100 && player.action == 0; ++f) h_.Hold(1, {key::kRight});
  EXPECT_EQ(player.action, 52);
  EXPECT_GT(player.x, 8 * 40);
  EXPECT_LT(player.x - 10, 8 * 40 + 60);
}

TEST_F(MapObjectsTest, AnInactiveGoalOrARunningAlertDoesNotEndTheStage) {
  StageRecordBuilder b;
  b.Row(10, 0, 19, 25).Tile(7, 9, 95).Tile(8, 9, 98).Tile(10, 9, 99);
  ASSERT_TRUE(h_.LoadStage(b.bytes()));
  h_.Hold(20, {key::kRight});
  EXPECT_EQ(player.action, 0) << "goal 98 is not active";
  game.alertCountdown = 500;
  h_.Hold(20, {key::kRight});
  EXPECT_EQ(player.action, 0);
  game.alertCountdown = 0;
  h_.Hold(1);
  EXPECT_EQ(player.action, 52);
}

}  // namespace
