// The OpenGL device keeps the frame on the GPU: what the processor locks of the back surface
// comes back from the GPU, what it writes there goes up again before the next draw, and the
// shown frame holds both (run in a real window under a virtual X server by its ctest entry).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/display_device.h"
#include "runtime/api.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/screen_mode.h"
#include "tests/support/display_fixture.h"

namespace {

struct Box {
  platform::Rect area;
  uint32_t colour;
};

uint32_t PixelAt(const platform::LockedPixels& locked, int x, int y) {
  uint32_t v = 0;
  std::memcpy(&v, locked.pixels + static_cast<size_t>(y) * locked.pitch + static_cast<size_t>(x) * 4, 4);
  return v & 0xFFFFFF;
}

// Locks the area of the back surface, checks it holds `expected` where asked, and paints it.
void LockCheckAndPaint(platform::DisplayDevice* device, const platform::Rect& area, uint32_t expected,
                       uint32_t paint) {
  rt::G_D3D_FlushCurrentVertexBuffer();  // the runtime's batched draws reach the device
  platform::DeviceSurface* back = rt::GetOutputSurfaces().backSurface;
  platform::LockedPixels locked;
  ASSERT_EQ(device->Lock(back, &area, &locked), 0);
  ASSERT_EQ(locked.format.bits, 32);
  EXPECT_EQ(PixelAt(locked, 0, 0), expected);
  EXPECT_EQ(PixelAt(locked, locked.width - 1, locked.height - 1), expected);
  for (int y = 0; y < locked.height; ++y) {
    for (int x = 0; x < locked.width; ++x) {
      std::memcpy(locked.pixels + static_cast<size_t>(y) * locked.pitch + static_cast<size_t>(x) * 4, &paint, 4);
    }
  }
  ASSERT_EQ(device->Unlock(back), 0);
}

TEST(GlFrameTest, LocksReadAndWriteOnlyTheirPartOfAFrameKeptOnTheGpu) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no X display";
  platform::DisplayDevice* device = testing_support::StartGlWindow();
  ASSERT_NE(device, nullptr);
  rt::SetWaitVSyncFlag(0);
  for (int frame = 0; frame < 2; ++frame) {
    SCOPED_TRACE(frame);
    ClearDrawScreen();
    DrawBox(100, 100, 300, 300, GetColor(255, 0, 0), 1);  // on the GPU
    // Two locks apart: each reads the drawn red back, and each one's paint must survive.
    LockCheckAndPaint(device, platform::Rect{150, 150, 170, 170}, 0xFF0000, 0x00FF00);
    LockCheckAndPaint(device, platform::Rect{250, 120, 260, 290}, 0xFF0000, 0xFFFF00);
    // A lock inside the first painted part sees the paint, not the GPU's older red.
    LockCheckAndPaint(device, platform::Rect{155, 155, 160, 160}, 0x00FF00, 0x00FFFF);
    DrawBox(400, 400, 500, 500, GetColor(0, 0, 255), 1);
    FlipScreen();
  }
  const testing_support::ShownFrame frame = testing_support::EndGlWindow(device);
  ASSERT_TRUE(frame.read);
  ASSERT_EQ(frame.width, 800);
  ASSERT_EQ(frame.height, 600);
  const auto shown = [&](int x, int y) { return frame.pixels[static_cast<size_t>(y) * frame.width + x]; };
  const Box expected[] = {
      {{10, 10, 11, 11}, 0x000000},      {{100, 100, 101, 101}, 0xFF0000}, {{299, 299, 300, 300}, 0xFF0000},
      {{150, 150, 151, 151}, 0x00FF00},  {{169, 169, 170, 170}, 0x00FF00}, {{157, 157, 158, 158}, 0x00FFFF},
      {{250, 120, 251, 121}, 0xFFFF00},  {{259, 289, 260, 290}, 0xFFFF00}, {{200, 250, 201, 251}, 0xFF0000},
      {{450, 450, 451, 451}, 0x0000FF},  {{170, 170, 171, 171}, 0xFF0000},
  };
  for (const Box& b : expected) {
    EXPECT_EQ(shown(b.area.left, b.area.top), b.colour) << b.area.left << "," << b.area.top;
  }
}

}  // namespace
