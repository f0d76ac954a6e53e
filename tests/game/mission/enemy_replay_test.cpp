// Scripted runs through a stage with a sleeping guard and a camera whose beam switches on
// and off: timed to the dark phase the player passes unseen, even in a stealth mission;
// running into the lit beam starts the alert and its music, or in a stealth mission ends it.
#include <gtest/gtest.h>

#include <string>

#include "game/mission/enemies.h"
#include "game/mission/player.h"
#include "game/shell/game_data.h"
#include "platform/input.h"
#include "runtime/api.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"
#include "tests/support/wave_fixture.h"

namespace {

using mission_test::MissionHarness;
namespace key = platform::key;

constexpr int kWaitX = 10 * 40 + 20;  // left of the beam at x 500
constexpr int kEndX = 17 * 40 + 20;

std::string GuardedCorridor(bool stealth) {
  testing_support::StageRecordBuilder b;
  b.Row(10, 0, 19, 25).Tile(1, 9, 95);
  b.Enemy(0, {1, 0, 0, 1, 0, 0, 4, 1, 0, 0});    // a soldier asleep, facing the way the player comes
  b.Enemy(1, {3, 0, 0, 0, 90, 40, 0, 0, 0, 0});  // a camera looking down, on 40 frames of 121
  b.Tile(6, 9, 201).Tile(12, 5, 202);
  b.Byte(2924, stealth ? 1 : 0);
  return b.bytes();
}

int WorldX() { return player.x + game.scrollX; }

const Enemy& Camera() {
  for (const Enemy& e : enemies) {
    if (e.state != 0 && e.kind == 3) return e;
  }
  ADD_FAILURE() << "no camera";
  return enemies[0];
}

const Enemy& Guard() {
  for (const Enemy& e : enemies) {
    if (e.state != 0 && e.kind == 1) return e;
  }
  ADD_FAILURE() << "no guard";
  return enemies[0];
}

class GuardedRun : public ::testing::Test {
 protected:
  void Start(bool stealth) {
    h_.WriteData("bzx/warning.ogg", testing_support::PcmWav(testing_support::SineTone(1, 22050, 3.0, 330.0), 1, 22050));
    // The game-over music holds the caught pose while it plays.
    h_.WriteData("bzx/gameover.ogg", testing_support::PcmWav(testing_support::SineTone(1, 22050, 3.0, 220.0), 1, 22050));
    ASSERT_TRUE(h_.LoadStage(GuardedCorridor(stealth)));
    h_.Hold(20);
    for (int f = 0; f < 300 && WorldX() < kWaitX; ++f) h_.Frame({key::kRight});
    h_.Hold(2);
    ASSERT_GE(WorldX(), kWaitX);
  }
  // Waits for a count of the camera's on/off cycle, then runs to the end of the corridor.
  void RunFromCount(int count) {
    for (int f = 0; f < 200 && Camera().cycleCount != count; ++f) h_.Frame({});
    ASSERT_EQ(Camera().cycleCount, count);
    for (int f = 0; f < 200 && WorldX() < kEndX && player.action < 40; ++f) h_.Frame({key::kRight});
    h_.Hold(5);
  }
  MissionHarness h_;
};

TEST_F(GuardedRun, PassingInTheDarkPhaseGoesUnseenInAStealthMission) {
  Start(true);
  RunFromCount(80);
  EXPECT_GE(WorldX(), kEndX);
  EXPECT_NE(player.action, 58);
  EXPECT_EQ(game.detections, 0);
  EXPECT_EQ(game.alertCountdown, 0);
  EXPECT_EQ(Guard().mode, 0) << "the sleeper slept through it";
}

TEST_F(GuardedRun, RunningIntoTheLitBeamStartsTheAlertAndItsMusic) {
  Start(false);
  EXPECT_EQ(CheckMusicPlaying(), 0);
  RunFromCount(1);
  EXPECT_EQ(game.detections, 1);
  EXPECT_GT(game.alertCountdown, 0);
  EXPECT_LE(game.alertCountdown, 2000);
  EXPECT_EQ(CheckMusicPlaying(), 1) << "the alert music";
  EXPECT_EQ(Guard().mode, 4) << "the guard searches once it wakes";
  EXPECT_NE(player.action, 58);
}

TEST_F(GuardedRun, RunningIntoTheLitBeamInAStealthMissionIsCaught) {
  Start(true);
  RunFromCount(1);
  EXPECT_EQ(player.action, 58);
  EXPECT_EQ(player.wasCaught, 1);
  EXPECT_LT(WorldX(), kEndX) << "caught under the camera";
  EXPECT_EQ(game.detections, 0);
}

}  // namespace
