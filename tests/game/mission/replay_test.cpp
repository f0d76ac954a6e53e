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
#include "tools/dataset/stage_maps.h"

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

// Right to the first ladder and up it, right to the second and up it, left to the door and
// in. The guards are taken out: this run is about moving and scrolling the same way every
// time; the guards are met by the enemy replays.
std::vector<int> Keys(int f) {
  if (f < 3) return {};
  if (f < 233) return {key::kRight};
  if (f < 234) return {};
  if (f < 321) return {key::kUp};
  if (f < 322) return {};
  if (f < 362) return {key::kRight};
  if (f < 363) return {};
  if (f < 450) return {key::kUp};
  if (f < 451) return {};
  if (f < 491) return {key::kLeft};
  if (f < 492) return {};
  return {key::kUp};
}
constexpr int kRunFrames = 500;

struct Trace {
  std::vector<int> x, y, scroll;
  std::vector<uint32_t> checksums;
  PlayResult last;
  // What the run is said to cover.
  bool climbed = false;
  int startWorldY = 0, highestWorldY = 0;
  bool throughTheDoor = false;
};

Trace Record() {
  MissionHarness h(7);
  const std::string record = FirstStage();
  EXPECT_EQ(record.size(), 3000u);
  EXPECT_TRUE(h.LoadStage(record));
  ResetEnemies();
  Trace t;
  for (int f = 0; f < kRunFrames; ++f) {
    h.Frame(Keys(f));
    // Where the player stands once landed at the start.
    if (f == 2) t.startWorldY = t.highestWorldY = player.y - game.scrollY;
    t.climbed = t.climbed || player.climbing != 0;
    t.highestWorldY = std::min(t.highestWorldY, player.y - game.scrollY);
    t.throughTheDoor = t.throughTheDoor || player.action == player_action::kDoorExit;
    if (f % 20 == 0) {
      t.x.push_back(player.x);
      t.y.push_back(player.y);
      t.scroll.push_back(game.scrollX);
      t.checksums.push_back(h.LastFrameChecksum());
    }
  }
  t.last = h.Snapshot();
  return t;
}

TEST(Replay, TheSameKeysGiveTheSameRun) {
  const Trace a = Record();
  const Trace b = Record();
  EXPECT_EQ(a.x, b.x);
  EXPECT_EQ(a.y, b.y);
  EXPECT_EQ(a.scroll, b.scroll);
  EXPECT_EQ(a.checksums, b.checksums);
  EXPECT_EQ(a.last.checksum, b.last.checksum);
  // A change of the stage that shortens the run fails here rather than covering less.
  EXPECT_TRUE(a.climbed) << "a ladder was climbed";
  EXPECT_LE(a.highestWorldY, a.startWorldY - 2 * 200) << "two floors (five cells each) up";
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
