// The mask on device screens (the recording display device): its work surface, and draws on
// a device target that leave the masked pixels as they were, the reverse mask included.
#include "runtime/image/mask_screen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "runtime/api.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "tests/support/display_fixture.h"

namespace {

using platform::RecordingDisplayDevice;
using testing_support::RunningDisplay;

class DeviceMaskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = std::make_unique<RunningDisplay>(32, &device_);
    ASSERT_TRUE(display_->started());
    ASSERT_EQ(rt::GetDrawTarget().targetSurface, rt::GetOutputSurfaces().backSurface);
  }
  void TearDown() override {
    rt::EndMaskScreen();
    display_.reset();
  }
  uint32_t Back(int x, int y) {
    platform::LockedPixels locked;
    if (device_.Lock(rt::GetOutputSurfaces().backSurface, nullptr, &locked) != 0) return 0xDEADBEEF;
    uint32_t v = 0;
    std::memcpy(&v, locked.pixels + y * locked.pitch + x * 4, 4);
    device_.Unlock(rt::GetOutputSurfaces().backSurface);
    return v & 0xFFFFFF;
  }

  RecordingDisplayDevice device_;
  std::unique_ptr<RunningDisplay> display_;
};

TEST_F(DeviceMaskTest, TheWorkScreenIsAPlainSurfaceOfTheScreenSize) {
  const int before = device_.liveSurfaceCount();
  ASSERT_EQ(rt::CreateMaskScreen(1, 1), 0);
  rt::MaskState& mask = rt::GetMaskState();
  ASSERT_NE(mask.surface, nullptr);
  EXPECT_EQ(mask.workIsMemImg, 0);
  const platform::SurfaceInfo info = device_.Describe(static_cast<platform::DeviceSurface*>(mask.surface));
  EXPECT_EQ(info.width, 800);
  EXPECT_EQ(info.height, 600);
  EXPECT_EQ(info.format.bits, 32);
  EXPECT_EQ(device_.liveSurfaceCount(), before + 1);
  // Making it again makes nothing more.
  ASSERT_EQ(rt::CreateMaskScreen(1, 1), 0);
  EXPECT_EQ(device_.liveSurfaceCount(), before + 1);

  ASSERT_EQ(rt::SetUseMaskScreenFlag(1), 0);
  EXPECT_EQ(rt::GetDrawState().maskDrawActive, 1);
  // Draws on device targets stay there; only software screens draw into a work image.
  EXPECT_EQ(rt::GetDrawState().maskScreenInUse, 0);

  EXPECT_EQ(rt::EndMaskScreen(), 0);
  EXPECT_EQ(mask.surface, nullptr);
  EXPECT_EQ(device_.liveSurfaceCount(), before);
  EXPECT_EQ(rt::GetDrawState().maskDrawActive, 0);
}

TEST_F(DeviceMaskTest, MaskedPixelsKeepTheirColourThroughADraw) {
  DrawBox(0, 0, 800, 600, GetColor(0, 0, 255), 1);
  // A black place under the mask: black is the key colour, and a protected pixel of that
  // colour must be put back as well.
  DrawBox(10, 16, 12, 18, GetColor(0, 0, 0), 1);
  ASSERT_EQ(rt::CreateMaskScreen(1, 1), 0);
  rt::MaskState& mask = rt::GetMaskState();
  // Mask the left half of a 20 x 10 box.
  for (int y = 10; y < 20; ++y) std::memset(mask.data + y * mask.pitch + 10, 1, 10);
  ASSERT_EQ(rt::SetUseMaskScreenFlag(1), 0);

  // One box black: the key colour of the mask, which must reach the screen where the mask
  // is free.
  EXPECT_EQ(DrawBox(5, 5, 35, 25, GetColor(255, 0, 0), 1), 0);
  EXPECT_EQ(DrawBox(25, 12, 35, 14, GetColor(0, 0, 0), 1), 0);
  EXPECT_EQ(Back(12, 12), 0x0000FFu);  // masked
  EXPECT_EQ(Back(19, 19), 0x0000FFu);
  EXPECT_EQ(Back(11, 17), 0x000000u);
  EXPECT_EQ(Back(22, 12), 0xFF0000u);  // free
  EXPECT_EQ(Back(8, 8), 0xFF0000u);
  EXPECT_EQ(Back(30, 13), 0x000000u);

  // Reversed: the zero bytes are the masked ones.
  mask.reverse = 1;
  EXPECT_EQ(DrawBox(0, 0, 40, 40, GetColor(0, 255, 0), 1), 0);
  EXPECT_EQ(Back(12, 12), 0x00FF00u);
  EXPECT_EQ(Back(30, 30), 0x0000FFu);
  EXPECT_EQ(Back(22, 12), 0xFF0000u);
  mask.reverse = 0;

  // Mask drawing off: the masked pixels are drawn again.
  ASSERT_EQ(rt::SetUseMaskScreenFlag(0), 0);
  EXPECT_EQ(DrawBox(5, 5, 35, 25, GetColor(255, 0, 0), 1), 0);
  EXPECT_EQ(Back(12, 12), 0xFF0000u);
}

}  // namespace
