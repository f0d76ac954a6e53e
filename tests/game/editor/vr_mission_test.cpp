// A VR mission played through headlessly: chosen in the VR menu, loaded by the stage loader,
// walked to its goal along the route the data-set builder's route finder plans, ranked on
// the result panel, stored in "time.dat" by the menu, and read back after a restart.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/editor/vr_menu.h"
#include "game/editor/vr_result.h"
#include "game/mission/player_movement.h"
#include "game/shell/game_data.h"
#include "platform/input.h"
#include "runtime/api.h"
#include "runtime/sound/sound.h"
#include "tests/support/wave_fixture.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/temp_dir.h"
#include "tools/dataset/stage_maps.h"
#include "tools/dataset/stage_route.h"

namespace {

using mission_test::MissionHarness;
namespace key = platform::key;
namespace sr = stage_route;

int WorldX() { return player.x + game.scrollX; }
bool Standing() { return player.onGround != 0 && player.airborne == 0 && player.jumping == 0 && player.climbing == 0; }
// The goal reached: without clear music the result panel (55) follows the goal (52) at once.
bool Cleared() { return player.action >= player_action::kGoal && player.action <= 56; }

// Presses the route finder's moves as a player would, watching the player's place.
bool PlayMove(MissionHarness& h, const sr::Move& m) {
  const int dirKey = m.direction < 0 ? key::kLeft : key::kRight;
  auto reached = [&m] { return m.direction < 0 ? WorldX() <= m.targetX : WorldX() >= m.targetX; };
  auto settle = [&h] {
    for (int f = 0; f < 300; ++f) {
      if (Cleared()) return true;
      h.Frame({});
      if (Standing() && player.walkCounter == 0) return true;
    }
    return false;
  };
  switch (m.kind) {
    case sr::MoveKind::kWalk:
      for (int f = 0; f < 2000 && !reached() && !Cleared(); ++f) h.Frame({dirKey});
      return settle();
    case sr::MoveKind::kJump:
      for (int f = 0; f < 400 && (f < m.jumpFrames || !reached()); ++f) {
        std::vector<int> keys;
        if (f < m.jumpFrames) keys.push_back(key::kX);
        if (!reached()) keys.push_back(dirKey);
        h.Frame(keys);
      }
      return settle();
    case sr::MoveKind::kClimbUp:
    case sr::MoveKind::kClimbDown: {
      const int k = m.kind == sr::MoveKind::kClimbUp ? key::kUp : key::kDown;
      bool climbed = false;
      for (int f = 0; f < 1500 && !(climbed && Standing()); ++f) {
        h.Frame({k});
        climbed = climbed || player.climbing != 0;
      }
      return climbed && settle();
    }
    case sr::MoveKind::kEnterDoor:
    // The guardless sneaking missions' roads hang from no ledge and crawl no pipe; a road that
    // did fails here, named by the caller's message.
    case sr::MoveKind::kLedgeClimb:
    case sr::MoveKind::kCrawl:
      return false;
    case sr::MoveKind::kTouchGoal:
      for (int f = 0; f < 5 && !Cleared(); ++f) h.Frame({});
      return Cleared();
  }
  return false;
}

// A press of one key: held for a frame, then released for one.
void Press(MissionHarness& h, int scanCode) {
  h.Frame({scanCode});
  h.Frame({});
}

dataset::StageInfo VrStage(int category, int mission) {
  for (const dataset::StageInfo& s : dataset::BuiltInStages()) {
    if (s.family == dataset::StageFamily::kVr && s.area == category && s.index == mission) return s;
  }
  return {};
}

// Sneaking mission 2 with its guards taken out: this run is about the time, not about
// sneaking past them.
struct GuardlessStage {
  std::string path, record;
  std::vector<sr::Move> plan;
};
GuardlessStage SneakingMissionTwo() {
  const dataset::StageInfo stage = VrStage(0, 1);
  std::string record = dataset::StageRecord(stage);
  for (int cell = 0; cell < 2700; ++cell) {
    if (static_cast<uint8_t>(record[static_cast<size_t>(cell)]) > 200) record[static_cast<size_t>(cell)] = 0;
  }
  const sr::StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
  return {stage.path, record, sr::PlanFromStart(map, sr::Target::Goal())};
}

// From the VR menu into the mission and along the plan to its goal.
void PlayToGoal(MissionHarness& h, const GuardlessStage& stage) {
  h.WriteData(stage.path, stage.record);
  // The title's VR entry.
  game.gameState = STATE_VR_MENU;
  game.screenEntered = 0;
  game.vrCategory = 0;
  game.vrMission = 0;
  game.menuCursor = 0;
  game.vrMenu.Create();
  h.Frame({});
  ASSERT_EQ(game.gameState, STATE_VR_MENU);
  Press(h, key::kZ);  // Sneaking Mission
  ASSERT_EQ(game.vrCategory, 1);
  Press(h, key::kDown);  // mission 2
  ASSERT_EQ(game.vrMission, 1);
  Press(h, key::kZ);
  for (int f = 0; f < 3 && game.gameState != STATE_STAGE_PLAY_MODE; ++f) h.Frame({});
  ASSERT_EQ(game.gameState, STATE_STAGE_PLAY_MODE);
  h.Frame({});
  ASSERT_EQ(game.gameMode, kModeVr);
  EXPECT_FALSE(game.vrMenu) << "mission play deletes the menu on its first frame";
  EXPECT_EQ(game.missionRules[1], 1) << "a sneaking mission is a stealth mission";

  for (int f = 0; f < 30 && !Standing(); ++f) h.Frame({});
  for (const sr::Move& m : stage.plan) {
    ASSERT_TRUE(PlayMove(h, m)) << sr::Describe(m) << " (world " << WorldX() << ", " << player.y - game.scrollY
                                << ", action " << player.action << ", airborne " << int(player.airborne)
                                << ", alert " << game.alertCountdown << ", state " << game.gameState << ")";
    if (Cleared()) break;
  }
  ASSERT_TRUE(Cleared());
}

TEST(VrMission, ClearedTimeIsRankedStoredAndFoundAfterARestart) {
  const GuardlessStage stage = SneakingMissionTwo();
  ASSERT_EQ(stage.path, "bin/vr_1-2");
  ASSERT_FALSE(stage.plan.empty());

  std::string timeFile;
  uint16_t clearedAt[3] = {};
  {
    MissionHarness h;
    PlayToGoal(h, stage);
    if (HasFatalFailure()) return;
    clearedAt[0] = game.clockMinutes;
    clearedAt[1] = game.clockSeconds;
    clearedAt[2] = game.clockHundredths;
    EXPECT_GT(clearedAt[0] * 6000 + clearedAt[1] * 100 + clearedAt[2], 0);

    // The clock stands still from the goal on; the panel shows the time after 50 frames.
    for (int f = 0; f < 60; ++f) h.Frame({});
    EXPECT_EQ(game.clockSeconds, clearedAt[1]);
    ASSERT_EQ(player.action, 55);
    EXPECT_EQ(vrResultPanel.place, 1);
    EXPECT_EQ(game.vrResultMark, kVrMarkClean);
    Press(h, key::kZ);
    for (int f = 0; f < 200 && game.gameState != STATE_VR_MENU; ++f) h.Frame({});
    ASSERT_EQ(game.gameState, STATE_VR_MENU);
    h.Frame({});  // the menu stores the result
    EXPECT_EQ(game.vrResultPending, 0);
    EXPECT_EQ(game.menuCursor, 0);
    EXPECT_EQ(game.vrMission, 1);
    timeFile = testing_support::ReadFileBytes(h.File(kVrRecordPath));
  }
  ASSERT_EQ(timeFile.size(), 2048u);

  // A new run of the game finds the time where it was stored.
  MissionHarness again;
  testing_support::WriteFileBytes(again.File(kVrRecordPath), timeFile);
  game.gameState = STATE_VR_MENU;
  game.screenEntered = 0;
  game.vrMenu.Create();
  again.Frame({});
  ASSERT_EQ(game.gameState, STATE_VR_MENU);
  const VrMenu* menu = game.vrMenu.get();
  ASSERT_NE(menu, nullptr);
  for (int f = 0; f < 3; ++f) EXPECT_EQ(menu->records[0][1][0][f], clearedAt[f]) << f;
  EXPECT_TRUE(IsEmptyVrTime(menu->records[0][1][1]));
  EXPECT_EQ(menu->marks[0][1], kVrMarkClean);
  EXPECT_GE(VrRank(0, 1, menu->records[0][1][0]), 0);
}

// On a machine without a sound device the sound layer runs on its silent output: the
// pieces that a screen waits for end in their own time, as they would with sound.
class SilentSound : public testing::Test {
 protected:
  // Restarts sound with the device refused, as on a machine without one, and writes a
  // piece of music of the given length (a wave file: the music player reads it by content).
  void WithoutADevice(MissionHarness& h, const char* music, double seconds) {
    rt::EndSound();
    h.runtime().audio().SetFailConnect(true);
    ASSERT_EQ(rt::InitSound(), 0);
    h.WriteData(music, testing_support::PcmWav(testing_support::SineTone(1, 22050, seconds, 440.0), 1, 22050));
  }
  // Frames until done() holds, at most limit.
  static int FramesUntil(MissionHarness& h, int limit, const std::function<bool()>& done) {
    int frames = 0;
    while (!done() && frames < limit) {
      h.Frame({});
      ++frames;
    }
    return frames;
  }
};

TEST_F(SilentSound, TheVrClearMusicEndsAndTheRecordScreenComes) {
  const GuardlessStage stage = SneakingMissionTwo();
  MissionHarness h;
  WithoutADevice(h, "bzx/cleare.ogg", 2.0);
  PlayToGoal(h, stage);
  if (HasFatalFailure()) return;
  EXPECT_EQ(CheckMusicPlaying(), 1) << "the clear music plays on the silent output";
  const int frames = FramesUntil(h, 600, [] { return player.action == 55; });
  ASSERT_EQ(player.action, 55) << "the panel came after " << frames << " frames";
  EXPECT_GE(frames, 100) << "the panel waited for the two seconds of music";
  for (int f = 0; f < 60; ++f) h.Frame({});
  EXPECT_EQ(vrResultPanel.place, 1);
  Press(h, key::kZ);
  FramesUntil(h, 200, [] { return game.gameState == STATE_VR_MENU; });
  EXPECT_EQ(game.gameState, STATE_VR_MENU);
}

TEST_F(SilentSound, TheGameOverMusicEndsAndTheMenuComes) {
  MissionHarness h;
  WithoutADevice(h, "bzx/gameover.ogg", 2.0);
  game.gameState = STATE_IDLE_21;
  game.gameOverFade = 0;
  player.action = player_action::kDown;
  player.actionTimer = 0;
  int frames = 0, fadeFrom = -1;
  while (game.gameState != STATE_GAME_OVER_MENU && frames < 1000) {
    ++player.actionTimer;
    h.Frame({});
    ++frames;
    if (fadeFrom < 0 && player.action != player_action::kDown) fadeFrom = frames;
  }
  ASSERT_EQ(game.gameState, STATE_GAME_OVER_MENU);
  EXPECT_GE(fadeFrom, 100) << "the fade waited for the two seconds of music";
  EXPECT_LE(fadeFrom, 160) << "and began when they had played";
}

}  // namespace
