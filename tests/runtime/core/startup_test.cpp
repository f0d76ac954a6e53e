#include "runtime/core/startup.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/instance_lock.h"
#include "runtime/api.h"
#include "runtime/core/window.h"
#include "runtime/display/display_state.h"
#include "tests/support/headless_runtime.h"

namespace {

using testing_support::FindInOrder;
using testing_support::HeadlessRuntime;

class StartupTest : public ::testing::Test {
 protected:
  HeadlessRuntime rt_;
  platform::FakeWindowSystem& windows() { return rt_.windows(); }
};

TEST_F(StartupTest, StartsAndEndsInOrderWithTheirLogLines) {
  ChangeWindowMode(1);
  SetMainWindowText("テスト");
  ASSERT_EQ(InitLibrary(), 0);
  ASSERT_NE(windows().window(), nullptr);
  EXPECT_TRUE(windows().window()->shown);
  EXPECT_EQ(windows().window()->title, reinterpret_cast<const char*>(u8"テスト"));
  EXPECT_FALSE(windows().screenSaverEnabled);
  EXPECT_TRUE(rt::GetWindowState().messageThread.joinable());
  EXPECT_EQ(ProcessMessage(), 0);

  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(windows().window(), nullptr);
  EXPECT_EQ(rt::GetWindowState().messageThreadEnded.load(), 1);
  EXPECT_TRUE(windows().screenSaverEnabled);
  EXPECT_EQ(ProcessMessage(), -1);

  EXPECT_GE(FindInOrder(rt_.Log(), {"システムの情報を出力します", "ＲＴライブラリ Ver1.00a",
                                    "ＣＯＭの初期化... 成功しました",
                                    "ソフトの二重起動検査... 二重起動はされていませんでした",
                                    "ウインドウモード起動用のウインドウを作成します",
                                    "ウインドウを閉じようとしています",
                                    "ウインドウが破棄されようとしています",
                                    "ソフトを終了する準備が整いました", "ＣＯＭを終了... 完了",
                                    "Alloc memory dump"}),
            0)
      << rt_.Log();
}

TEST_F(StartupTest, StartsAgainAfterTheEnd) {
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  ASSERT_EQ(EndLibrary(), 0);
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(windows().windowsCreated, 2);
  EXPECT_EQ(ProcessMessage(), 0);
}

TEST_F(StartupTest, SecondStartWhileRunningIsRefusedAndLeavesTheRuntimeRunning) {
  ChangeWindowMode(1);
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(InitLibrary(), -1);
  EXPECT_NE(windows().window(), nullptr);
  EXPECT_EQ(windows().windowsCreated, 1);
  EXPECT_EQ(ProcessMessage(), 0);
}

TEST_F(StartupTest, SecondInstanceGetsMinusOneAndTheFirstKeepsItsLock) {
  SetMainWindowText("instance");
  platform::InstanceLock first;
  ASSERT_TRUE(first.Acquire(rt_.dir().path(), "instance"));

  EXPECT_EQ(InitLibrary(), -1);
  EXPECT_EQ(windows().windowsCreated, 0);
  EXPECT_TRUE(first.Held());
  EXPECT_NE(rt_.Log().find("二重起動されています、ソフトを終了します"), std::string::npos);
  EXPECT_EQ(ProcessMessage(), -1);
  EXPECT_EQ(EndLibrary(), 0);

  first.Release();
  EXPECT_EQ(InitLibrary(), 0);
}

TEST_F(StartupTest, DefaultNameOfTheInstanceCheck) {
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(windows().instanceName, "RTWNDCLS");
  EXPECT_EQ(windows().window()->title, "RtLib");
}

TEST_F(StartupTest, FailedWindowUnwindsAndALaterStartSucceeds) {
  windows().failCreate = true;
  EXPECT_EQ(InitLibrary(), -1);
  EXPECT_GE(FindInOrder(rt_.Log(), {"ウインドウの作成に失敗しました", "ＣＯＭを終了... 完了"}), 0)
      << rt_.Log();
  // The failed start gave the instance lock back.
  platform::InstanceLock other;
  EXPECT_TRUE(other.Acquire(rt_.dir().path(), windows().instanceName));
  other.Release();
  EXPECT_EQ(EndLibrary(), 0);

  windows().failCreate = false;
  EXPECT_EQ(InitLibrary(), 0);
  EXPECT_EQ(ProcessMessage(), 0);
}

struct DepthCase {
  int desktopBits;
  int windowMode;
  int screenBits;
  int expected;
};

class ColorDepthTest : public StartupTest, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(ColorDepthTest, TwentyFourBitsAreRefused) {
  const DepthCase& c = GetParam();
  windows().desktop.colorBits = c.desktopBits;
  rt::GetScreenStateRecord().requestedBits = c.screenBits;
  ChangeWindowMode(c.windowMode);
  EXPECT_EQ(InitLibrary(), c.expected);
  const bool refused =
      rt_.Log().find("ＲＴライブラリは２４ビットカラーモードに対応していません") != std::string::npos;
  EXPECT_EQ(refused, c.expected == -1);
  EXPECT_EQ(windows().windowsCreated, c.expected == 0 ? 1 : 0);
  EXPECT_EQ(EndLibrary(), 0);
}

INSTANTIATE_TEST_SUITE_P(DesktopAndScreen, ColorDepthTest,
                         ::testing::Values(DepthCase{24, 1, 32, -1}, DepthCase{32, 1, 32, 0},
                                           DepthCase{24, 0, 32, 0}, DepthCase{32, 0, 32, 0},
                                           DepthCase{32, 0, 24, -1}, DepthCase{32, 1, 24, -1}),
                         [](const ::testing::TestParamInfo<DepthCase>& info) {
                           const DepthCase& c = info.param;
                           return "Desktop" + std::to_string(c.desktopBits) +
                                  (c.windowMode != 0 ? "_Windowed" : "_FullScreen") + "_Screen" +
                                  std::to_string(c.screenBits) + (c.expected == 0 ? "_Starts" : "_Refused");
                         });

TEST_F(StartupTest, EndWithoutStartIsHarmless) {
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(windows().windowsCreated, 0);
}

TEST_F(StartupTest, FatalExitShutsDownAndExitsWithMinusOne) {
  ChangeWindowMode(1);
  EXPECT_EXIT(
      {
        InitLibrary();
        rt::FatalExitFormat("致命的な誤り %d", 7);
      },
      ::testing::ExitedWithCode(255), "");
  EXPECT_GE(FindInOrder(rt_.Log(), {"致命的な誤り 7", "ウインドウを閉じようとしています",
                                    "Alloc memory dump"}),
            0)
      << rt_.Log();
}

}  // namespace
