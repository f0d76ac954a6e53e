#include "runtime/core/window_mode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "runtime/api.h"
#include "runtime/core/window.h"
#include "tests/support/headless_runtime.h"

namespace {

using platform::WindowEventType;
using testing_support::HeadlessRuntime;

class WindowModeTest : public ::testing::Test {
 protected:
  platform::FakeWindowSystem& windows() { return rt_.windows(); }
  platform::FakeWindow& window() { return *rt_.windows().window(); }
  int CountInLog(const std::string& text) {
    const std::string log = rt_.Log();
    int n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }
  HeadlessRuntime rt_;
};

struct ScaleCase {
  double scale;
  int width;
  int height;
};

class WindowScaleTest : public WindowModeTest, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(WindowScaleTest, ClientAreaAndPointerFollowTheScale) {
  const ScaleCase& c = GetParam();
  ChangeWindowMode(1);
  SetWindowScale(c.scale);
  ASSERT_EQ(InitLibrary(), 0);
  const platform::Rect client = window().client;
  EXPECT_EQ(client.Width(), c.width);
  EXPECT_EQ(client.Height(), c.height);
  // Centred on the 1920 x 1080 desktop.
  EXPECT_EQ(client.left, (1920 - c.width) / 2);
  EXPECT_EQ(client.top, (1080 - c.height) / 2);

  // The pointer 200 x 120 pixels into the client area is that much of the 800 x 600 screen.
  windows().SetCursor(client.left + c.width / 4, client.top + c.height / 5);
  int x = -1;
  int y = -1;
  EXPECT_EQ(GetMousePosition(&x, &y), 0);
  EXPECT_EQ(x, 200);
  EXPECT_EQ(y, 120);
  EXPECT_EQ(GetMousePosition(nullptr, &y), 0);
}

INSTANTIATE_TEST_SUITE_P(Scales, WindowScaleTest,
                         ::testing::Values(ScaleCase{1.0, 800, 600}, ScaleCase{0.8, 640, 480},
                                           ScaleCase{0.5, 400, 300}, ScaleCase{0.0, 800, 600},
                                           ScaleCase{-1.0, 800, 600}),
                         [](const ::testing::TestParamInfo<ScaleCase>& info) {
                           const ScaleCase& c = info.param;
                           const long percent = std::lround(c.scale * 100);
                           return std::string("Scale") + (percent < 0 ? "Minus" : "") +
                                  std::to_string(percent < 0 ? -percent : percent) + "Percent_Client" +
                                  std::to_string(c.width) + "x" + std::to_string(c.height);
                         });

TEST_F(WindowModeTest, ScaleChangedAfterStartUpResizesTheWindow) {
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(SetWindowScale(0.5), 0);
  EXPECT_EQ(window().client.Width(), 400);
  EXPECT_EQ(window().client.Height(), 300);
  EXPECT_EQ(SetWindowScale(-1), 0);
  EXPECT_EQ(rt::GetWindowScale(), 1.0);
  EXPECT_EQ(window().client.Width(), 800);
}

TEST_F(WindowModeTest, AbsurdScalesStillGiveAWindow) {
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  const double scales[] = {1e300, 1e-300, std::numeric_limits<double>::quiet_NaN()};
  for (double scale : scales) {
    SetWindowScale(scale);
    EXPECT_GE(window().client.Width(), 1) << scale;
    EXPECT_LE(window().client.Width(), 16384) << scale;
    EXPECT_GE(window().client.Height(), 1) << scale;
  }
  EXPECT_EQ(rt::GetWindowScale(), 1.0);  // NaN counts as no scale
  SetMouseVisible(1);
  int x = 0;
  EXPECT_EQ(GetMousePosition(&x, nullptr), 0);
}

TEST_F(WindowModeTest, LeavingFullScreenDropsAlwaysOnTop) {
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_TRUE(window().topmost);
  ChangeWindowMode(1);
  EXPECT_FALSE(window().topmost);
}

TEST_F(WindowModeTest, FullScreenIsTheDefaultAndHidesTheCursor) {
  SetWindowScale(0.5);
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_TRUE(window().fullScreen);
  EXPECT_TRUE(window().topmost);
  EXPECT_EQ(window().client.Width(), 800);
  EXPECT_EQ(window().client.Height(), 600);
  EXPECT_FALSE(windows().cursorVisible);
  EXPECT_EQ(rt::GetWindowScale(), 1.0);
  windows().SetCursor(123, 45);
  int x = 0;
  int y = 0;
  GetMousePosition(&x, &y);
  EXPECT_EQ(x, 123);
  EXPECT_EQ(y, 45);
}

TEST_F(WindowModeTest, CursorVisibility) {
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_TRUE(windows().cursorVisible);
  SetMouseVisible(0);
  EXPECT_FALSE(windows().cursorVisible);
  SetMouseVisible(1);
  EXPECT_TRUE(windows().cursorVisible);
}

TEST_F(WindowModeTest, SameModeOnlyLogsTheCall) {
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  const int styleChanges = CountInLog("ウインドウスタイルを");
  EXPECT_EQ(ChangeWindowMode(1), 0);
  // Start-up began a fresh log, so this is the only call in it.
  EXPECT_EQ(CountInLog("ChangeWindowMode実行"), 1);
  EXPECT_EQ(CountInLog("ウインドウスタイルを"), styleChanges);
}

TEST_F(WindowModeTest, SwitchAfterStartUpEndsWithinItsLimit) {
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  const uint32_t before = rt_.clock().Milliseconds();
  EXPECT_EQ(ChangeWindowMode(0), 0);
  const uint32_t took = rt_.clock().Milliseconds() - before;
  EXPECT_TRUE(window().fullScreen);
  EXPECT_FALSE(windows().cursorVisible);
  // The display reports the switch done when the window system has made it.
  EXPECT_LT(took, rt::kModeChangeWaitLimitMs);
  EXPECT_EQ(ProcessMessage(), 0);
}

TEST_F(WindowModeTest, SwitchEndsWhenTheDisplayChangeArrives) {
  ASSERT_EQ(InitLibrary(), 0);
  windows().Queue(WindowEventType::kDisplayChange, 1280, 1024, 32);
  const uint32_t before = rt_.clock().Milliseconds();
  EXPECT_EQ(ChangeWindowMode(1), 0);
  EXPECT_LT(rt_.clock().Milliseconds() - before, rt::kModeChangeWaitLimitMs);
  EXPECT_FALSE(window().fullScreen);
  EXPECT_EQ(window().client.Width(), 800);
  EXPECT_TRUE(windows().cursorVisible);
}

TEST_F(WindowModeTest, TitleIsShownInUtf8) {
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  SetMainWindowText("サイレント ver2");
  EXPECT_EQ(window().title, reinterpret_cast<const char*>(u8"サイレント ver2"));
}

TEST_F(WindowModeTest, IconComesFromTheDataSet) {
  SetWindowIcon(101);
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(window().iconPath, rt_.dir().File("icon/101.bmp"));
}

TEST_F(WindowModeTest, AltEnterNeedsModeChangesAllowed) {
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  windows().Queue(WindowEventType::kSysChar, '\r');
  ProcessMessage();
  EXPECT_FALSE(window().fullScreen);
  EXPECT_EQ(rt::GetWindowModeFlag(), 1);
}

}  // namespace
