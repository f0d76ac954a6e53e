#include "game/shell/game_main.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "runtime/api.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

using shell_test::GameRunTest;
namespace key = platform::key;

TEST_F(GameRunTest, StartConfiguresTheRuntimeAndMakesTheUserFiles) {
  WriteBootData();
  Start();
  platform::FakeWindow* window = rt_.windows().window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->title, reinterpret_cast<const char*>(u8"サイレントデッキ CODE:K  ver2.0.6"));
  EXPECT_FALSE(window->fullScreen);
  EXPECT_FALSE(rt_.windows().cursorVisible);
  EXPECT_FALSE(testing_support::FileExists(File("Log.txt"))) << "the game writes no log";
  EXPECT_EQ(testing_support::ReadFileBytes(File("pre.dat")).size(), 50u);
  EXPECT_TRUE(std::filesystem::is_directory(File("data")));
  EXPECT_TRUE(std::filesystem::is_directory(File("stage")));
  EXPECT_EQ(game.gameState, STATE_BOOT);
  EXPECT_EQ(game.timeFileMarks[0], 2);
  EXPECT_EQ(game.timeFileMarks[2], 6);
  EXPECT_EQ(game.autoSave, 1);
  EXPECT_EQ(game.keyAssign[8], 8);
  EXPECT_EQ(game.missionRules[0], 2) << "the run is reset";
  EXPECT_EQ(player.standOn, kNoObject) << "the stage is reset";
}

struct WindowCase {
  int fullScreenByte, scaleByte;
  bool fullScreen;
  int clientWidth;
};

// Each case starts a fresh runtime: the window settings outlive a run of the runtime.
class WindowSettingsTest : public GameRunTest, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(WindowSettingsTest, SettingsChooseScreenModeAndWindowScale) {
  const WindowCase& c = GetParam();
  std::string prefs(50, '\0');
  for (int i = 1; i <= 8; ++i) prefs[static_cast<size_t>(i)] = static_cast<char>(i);
  prefs[40] = static_cast<char>(c.fullScreenByte);
  prefs[41] = static_cast<char>(c.scaleByte);
  testing_support::WriteFileBytes(File("pre.dat"), prefs);
  Start();
  platform::FakeWindow* window = rt_.windows().window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->fullScreen, c.fullScreen);
  if (!c.fullScreen) {
    EXPECT_EQ(window->client.Width(), c.clientWidth);
  }
}

INSTANTIATE_TEST_SUITE_P(Settings, WindowSettingsTest,
                         ::testing::Values(WindowCase{0, 0, false, 800}, WindowCase{0, 1, false, 640},
                                           WindowCase{0, 2, false, 400}, WindowCase{0, 3, false, 800},
                                           WindowCase{1, 0, true, 800}),
                         [](const ::testing::TestParamInfo<WindowCase>& info) {
                           const WindowCase& c = info.param;
                           return "FullScreenByte" + std::to_string(c.fullScreenByte) + "_ScaleByte" +
                                  std::to_string(c.scaleByte) +
                                  (c.fullScreen ? std::string("_FullScreen")
                                                : "_Window" + std::to_string(c.clientWidth) + "Wide");
                         });

TEST_F(GameRunTest, EscapeEndsTheLoopBeforeAnyWorkOfTheFrame) {
  WriteBootData();
  Start();
  const int shows = Shows();
  EXPECT_FALSE(Frame({key::kEscape}));
  EXPECT_EQ(game.gameState, STATE_BOOT) << "no handler ran";
  EXPECT_EQ(game.sounds[17], 0);
  EXPECT_EQ(Shows(), shows);
}

TEST_F(GameRunTest, QuitRequestAndTheWindowsEndEndTheLoop) {
  WriteBootData();
  Start();
  game.quitRequested = 1;
  EXPECT_FALSE(Frame());
  EXPECT_EQ(game.gameState, STATE_BOOT);

  game.quitRequested = 0;
  EXPECT_TRUE(Frame());
  rt_.windows().Queue(platform::WindowEventType::kQuit);
  EXPECT_FALSE(Frame());
  EXPECT_FALSE(Frame()) << "a window once gone stays gone";
}

TEST_F(GameRunTest, WithoutTheVersionMarkerTheFirstFrameIsTheVersionError) {
  WriteBootData();
  std::filesystem::remove(File("patch/patch206.bmp"));
  Start();
  EXPECT_EQ(game.gameState, STATE_VERSION_ERROR);
  const int shows = Shows();
  EXPECT_TRUE(Frame());
  EXPECT_EQ(game.gameState, STATE_VERSION_ERROR);
  for (int handle : game.sounds) EXPECT_EQ(handle, 0) << "no boot loading";
  EXPECT_EQ(game.graphs[2], 0);
  EXPECT_EQ(Shows(), shows + 1) << "the frame is still cleared and shown";
  EXPECT_FALSE(Frame({key::kEscape}));
}

TEST_F(GameRunTest, FramesLastAtLeastTheirTimeAndSlowFramesAreNotShown) {
  WriteBootData();
  Start();
  for (int i = 0; i < 5; ++i) {
    const int shows = Shows();
    const unsigned before = static_cast<unsigned>(GetTimeMs());
    ASSERT_TRUE(Frame());
    EXPECT_GE(static_cast<unsigned>(GetTimeMs()) - before, kFrameMs);
    EXPECT_EQ(Shows(), shows + 1) << "frame " << i;
  }

  // The key configuration's entry waits half a second inside its first frame.
  game.gameState = STATE_KEY_CONFIG;
  game.screenEntered = 0;
  int shows = Shows();
  ASSERT_TRUE(Frame());
  EXPECT_EQ(game.screenEntered, 1);
  EXPECT_EQ(Shows(), shows) << "a frame of 20 ms or more is not presented";
  shows = Shows();
  ASSERT_TRUE(Frame());
  EXPECT_EQ(Shows(), shows + 1);
}

TEST_F(GameRunTest, StatesWithoutHandlersRunNothingButTheFrameGoesOn) {
  WriteBootData();
  Start();
  for (int state : {1, 2, 49, 50, 99 + 1, 1000, -5}) {
    game.gameState = state;
    const int shows = Shows();
    EXPECT_TRUE(Frame()) << state;
    EXPECT_EQ(game.gameState, state);
    EXPECT_EQ(Shows(), shows + 1) << state;
  }
}

TEST_F(GameRunTest, EntryFunctionRunsToEscapeAndFailsWithoutARuntime) {
  WriteBootData();
  rt_.input().SetKey(key::kEscape, true);
  EXPECT_EQ(GameMain(0, nullptr), 0);
  EXPECT_EQ(rt_.windows().window(), nullptr) << "the runtime was shut down";

  shell_test::ResetGameGlobals();
  rt_.windows().failCreate = true;
  EXPECT_EQ(GameMain(0, nullptr), -1);
}

class VrClockTest : public shell_test::ShellTest {
 protected:
  VrClockTest() { game.gameMode = kModeVr; }
};

TEST_F(VrClockTest, HundredthsShowTheFrameBeforeTheStep) {
  std::string shown;
  for (int frame = 0; frame < 8; ++frame) {
    StepVrClock();
    shown += std::to_string(game.clockHundredths) + " ";
  }
  EXPECT_EQ(shown, "0 1 3 5 6 8 10 11 ");
  for (int frame = 8; frame < 60; ++frame) StepVrClock();
  EXPECT_EQ(game.clockHundredths, 98);
  EXPECT_EQ(game.clockFrames, 0);
  EXPECT_EQ(game.clockSeconds, 1);
}

TEST_F(VrClockTest, SecondsMinutesAndHoursCarry) {
  game.clockFrames = 59;
  game.clockSeconds = 59;
  game.clockMinutes = 59;
  game.clockHours = 7;
  StepVrClock();
  EXPECT_EQ(game.clockFrames, 0);
  EXPECT_EQ(game.clockSeconds, 0);
  EXPECT_EQ(game.clockMinutes, 0);
  EXPECT_EQ(game.clockHours, 8);
}

TEST_F(VrClockTest, StandsStillOutsideVrPausedOrOnceThePlayerIsDone) {
  struct Case {
    const char* name;
    uint8_t mode, paused;
    int action;
    bool steps;
  };
  const Case cases[] = {{"running", kModeVr, 0, 29, true},
                        {"story mode", kModeStory, 0, 0, false},
                        {"paused", kModeVr, 1, 0, false},
                        {"cleared", kModeVr, 0, 30, false},
                        {"down", kModeVr, 0, 51, false}};
  for (const Case& c : cases) {
    game.gameMode = c.mode;
    game.paused = c.paused;
    player.action = c.action;
    game.clockFrames = 10;
    StepVrClock();
    EXPECT_EQ(game.clockFrames, c.steps ? 11 : 10) << c.name;
  }
}

}  // namespace
