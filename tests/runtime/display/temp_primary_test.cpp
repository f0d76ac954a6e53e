// The temporary primary: the front screen is drawn into it, and the window shows it through
// a one-shot 17 ms timer re-armed on every tick while the front screen is the draw screen,
// and once more when the front screen is left.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "runtime/api.h"
#include "runtime/display/display_state.h"
#include "runtime/display/screen_flip.h"
#include "runtime/display/screen_mode.h"
#include "tests/support/headless_runtime.h"

namespace {

class TempPrimaryTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetDisplayDeviceOverride(&device_);
    ChangeWindowMode(1);
    SetScreenMode(800, 600, 32, 60);
    rt::SetUseTempPrimaryFlag(1);
    ASSERT_EQ(InitLibrary(), 0);
    ASSERT_NE(rt::GetOutputSurfaces().tempPrimarySurface, nullptr);
  }
  void TearDown() override {
    EndLibrary();
    platform::SetDisplayDeviceOverride(nullptr);
  }

  // The window's pixel as the device showed it last.
  uint32_t Shown(int x, int y) const {
    if (device_.shownPixels.empty() || device_.shownBits != 32) return 0xDEAD;
    uint32_t v = 0;
    std::memcpy(&v, device_.shownPixels.data() + (static_cast<size_t>(y) * device_.shownWidth + x) * 4, 4);
    return v & 0xFFFFFF;
  }

  testing_support::HeadlessRuntime runtime_;
  platform::RecordingDisplayDevice device_;
};

TEST_F(TempPrimaryTest, TheTimerShowsFrontScreenDrawsAndLeavingTheFrontScreenShowsThemOnce) {
  const rt::ScreenState& screen = rt::GetScreenStateRecord();
  SetDrawScreen(kDrawScreenBack);
  EXPECT_EQ(screen.tempPrimaryTimerArmed, 0);
  SetDrawScreen(kDrawScreenFront);
  EXPECT_EQ(screen.tempPrimaryTimerArmed, 1);

  DrawBox(10, 10, 50, 50, GetColor(255, 0, 0), 1);
  EXPECT_NE(Shown(20, 20), 0xFF0000u) << "drawn into the temporary primary, not yet shown";
  const uint32_t due = screen.tempPrimaryTimerDue;
  runtime_.clock().Sleep(rt::kTempPrimaryTimerMs + 1);
  EXPECT_EQ(ProcessMessage(), 0);
  EXPECT_EQ(Shown(20, 20), 0xFF0000u);
  EXPECT_EQ(screen.tempPrimaryTimerArmed, 1) << "re-armed by its tick";
  EXPECT_GE(static_cast<int32_t>(screen.tempPrimaryTimerDue - due), static_cast<int32_t>(rt::kTempPrimaryTimerMs));

  // Leaving the front screen stops the timer and shows what was drawn last at once.
  DrawBox(60, 60, 90, 90, GetColor(0, 0, 255), 1);
  SetDrawScreen(kDrawScreenBack);
  EXPECT_EQ(Shown(70, 70), 0x0000FFu);
  EXPECT_EQ(screen.tempPrimaryTimerArmed, 0);
  const int shows = device_.shows;
  runtime_.clock().Sleep(rt::kTempPrimaryTimerMs * 3);
  EXPECT_EQ(ProcessMessage(), 0);
  EXPECT_EQ(device_.shows, shows) << "no tick after the timer was killed";

  // Ending the display kills a running timer.
  SetDrawScreen(kDrawScreenFront);
  EXPECT_EQ(screen.tempPrimaryTimerArmed, 1);
  EndLibrary();
  EXPECT_EQ(screen.tempPrimaryTimerArmed, 0);
}

}  // namespace
