// A recorded run of the first stage: the same keys must give the same positions and the
// same frames every time.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game/mission/enemies.h"
#include "game/mission/player_movement.h"
#include "game/mission/shots.h"
#include "game/shell/game_data.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/game/mission/route_walker.h"
#include "tools/dataset/stage_maps.h"
#include "tools/dataset/stage_route.h"

namespace {

using mission_test::MissionHarness;
using mission_test::PlayResult;
namespace key = platform::key;

// The data set's first stage, "bin/1-1", without the talks its story triggers start.
std::string FirstStage() {
  for (const dataset::StageInfo& s : dataset::BuiltInStages()) {
    if (s.path == "bin/1-1") return mission_test::WithoutStoryTriggers(dataset::StageRecord(s));
  }
  return {};
}

// The run: the route from the start to a door of the stage (the one whose route climbs
// most), played by the walker, its keys logged; the guards are taken out: this run is about
// moving, climbing and scrolling the same way every time; the guards are met by the enemy
// replays.
std::vector<stage_route::Move> Route(const std::string& record) {
  const stage_route::StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
  std::vector<stage_route::Move> best;
  int bestClimbs = -1;
  for (int door : stage_route::DoorCodes(map)) {
    const std::vector<stage_route::Move> plan = stage_route::PlanFromStart(map, stage_route::Target::Door(door));
    const int climbs = static_cast<int>(std::count_if(plan.begin(), plan.end(), [](const stage_route::Move& m) {
      return m.kind == stage_route::MoveKind::kClimbUp || m.kind == stage_route::MoveKind::kClimbDown;
    }));
    if (!plan.empty() && climbs > bestClimbs) {
      best = plan;
      bestClimbs = climbs;
    }
  }
  return best;
}

struct Trace {
  std::vector<int> x, y, scroll;
  std::vector<uint32_t> checksums;
  PlayResult last;
  uint32_t lastChecksum = 0;
  // What the run is said to cover.
  bool climbed = false;
  int highestWorldY = 0, lowestWorldY = 0;
  bool throughTheDoor = false;
};

// The keys of the walk along the route, frame by frame.
std::vector<std::vector<int>> WalkKeys() {
  MissionHarness h(7);
  const std::string record = FirstStage();
  EXPECT_TRUE(h.LoadStage(record));
  ResetEnemies();
  std::vector<std::vector<int>> keys;
  h.LogKeys(&keys);
  mission_test::Walker walker(h);
  for (const stage_route::Move& m : Route(record)) {
    std::string why;
    EXPECT_TRUE(walker.Play(m, why)) << stage_route::Describe(m) << ": " << why;
  }
  h.LogKeys(nullptr);
  return keys;
}

Trace Record(const std::vector<std::vector<int>>& keys) {
  MissionHarness h(7);
  const std::string record = FirstStage();
  EXPECT_EQ(record.size(), 3000u);
  EXPECT_TRUE(h.LoadStage(record));
  ResetEnemies();
  Trace t;
  t.highestWorldY = t.lowestWorldY = player.y - game.scrollY;
  for (size_t f = 0; f < keys.size(); ++f) {
    h.Frame(keys[f]);
    t.climbed = t.climbed || player.climbing != 0;
    t.highestWorldY = std::min(t.highestWorldY, player.y - game.scrollY);
    t.lowestWorldY = std::max(t.lowestWorldY, player.y - game.scrollY);
    t.throughTheDoor = t.throughTheDoor || player.action == player_action::kDoorExit;
    if (f % 20 == 0) {
      t.x.push_back(player.x);
      t.y.push_back(player.y);
      t.scroll.push_back(game.scrollX);
      t.checksums.push_back(h.LastFrameChecksum());
    }
  }
  t.last = h.Snapshot();
  t.lastChecksum = h.LastFrameChecksum();
  return t;
}

TEST(Replay, TheSameKeysGiveTheSameRun) {
  const std::vector<std::vector<int>> keys = WalkKeys();
  ASSERT_GT(keys.size(), 100u);
  const Trace a = Record(keys);
  const Trace b = Record(keys);
  EXPECT_EQ(a.x, b.x);
  EXPECT_EQ(a.y, b.y);
  EXPECT_EQ(a.scroll, b.scroll);
  EXPECT_EQ(a.checksums, b.checksums);
  EXPECT_EQ(a.lastChecksum, b.lastChecksum);
  // A change of the stage that shortens the run fails here rather than covering less.
  EXPECT_TRUE(a.climbed) << "a ladder was climbed";
  EXPECT_GE(a.lowestWorldY - a.highestWorldY, 160) << "from one floor to another";
  EXPECT_TRUE(a.throughTheDoor) << "the door was reached and opened";
}

// The same stage with a round fired, the radar taken out and put away again, and a second
// round: both runs must match, frame for frame.
std::vector<int> ArmedKeys(int f) {
  if (f >= 20 && f < 26) return {key::kZ};
  if (f >= 40 && f < 43) return {key::kQ};
  if (f >= 70 && f < 74) return {key::kZ, key::kUp};
  if (f >= 100 && f < 102) return {key::kQ};
  if (f >= 120 && f < 180) return {key::kRight};
  return {};
}

struct ArmedTrace {
  std::vector<uint32_t> checksums;
  int roundsLeft = 0;
  int gadgetAfterFirstToggle = -1;
  int shotsSeen = 0;
};

ArmedTrace RecordArmed() {
  MissionHarness h(11);
  EXPECT_TRUE(h.LoadStage(FirstStage()));
  player.weapons[2] = 5;
  player.selectedWeapon = 2;
  player.gadgets[2] = 1;
  player.storedGadget = 2;
  ArmedTrace t;
  for (int f = 0; f < 200; ++f) {
    h.Frame(ArmedKeys(f));
    if (f == 50) t.gadgetAfterFirstToggle = player.selectedGadget;
    for (const Shot& s : shots) t.shotsSeen += s.active != 0 && s.kind == 2 ? 1 : 0;
    if (f % 10 == 0) t.checksums.push_back(h.LastFrameChecksum());
  }
  t.roundsLeft = player.weapons[2];
  return t;
}

TEST(Replay, ShootingAndAGadgetReplayTheSame) {
  const ArmedTrace a = RecordArmed();
  const ArmedTrace b = RecordArmed();
  EXPECT_EQ(a.checksums, b.checksums);
  EXPECT_EQ(a.roundsLeft, 3) << "two rounds fired";
  EXPECT_GT(a.shotsSeen, 0);
  EXPECT_EQ(a.gadgetAfterFirstToggle, 2) << "the radar taken out";
  EXPECT_EQ(b.roundsLeft, a.roundsLeft);
}

}  // namespace
