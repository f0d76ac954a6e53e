// A recorded run of the first stage: the same keys must give the same positions and the
// same frames every time.
#include <gtest/gtest.h>

#include <vector>

#include "game/shell/game_data.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace {

using mission_test::MissionHarness;
using mission_test::PlayResult;
using testing_support::StageRecordBuilder;
namespace key = platform::key;

// Two screens wide: floors, a step up, a ladder to an upper floor, a lamp, an item, the goal.
std::string FirstStage() {
  StageRecordBuilder b;
  b.Size(2, 1).Lights(false);
  b.Row(12, 0, 39, 25).Tile(2, 11, 95);
  b.Row(11, 10, 13, 25);
  b.Column(20, 6, 11, 65).Row(6, 16, 19, 25).Row(6, 21, 30, 25);
  b.Tile(24, 5, 141).Tile(8, 4, 190).Tile(34, 11, 99);
  return b.bytes();
}

// Right; a jump onto the step; on to the ladder and up; down again; right to the goal.
std::vector<int> Keys(int f) {
  if (f < 60) return {key::kRight};
  if (f < 72) return {key::kRight, key::kX};
  if (f < 150) return {key::kRight};
  if (f < 160) return {};
  if (f < 260) return {key::kUp};
  if (f < 300) return {key::kRight};
  if (f < 330) return {key::kLeft};
  if (f < 440) return {key::kDown};
  return {key::kRight};
}

struct Trace {
  std::vector<int> x, y, scroll;
  std::vector<uint32_t> checksums;
  PlayResult last;
};

Trace Record() {
  MissionHarness h(7);
  EXPECT_TRUE(h.LoadStage(FirstStage()));
  Trace t;
  for (int f = 0; f < 600; ++f) {
    h.Frame(Keys(f));
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
  EXPECT_EQ(a.last.player.action, 52) << "the run reaches the goal";
}

}  // namespace
