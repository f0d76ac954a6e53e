// Shapes under every blend mode and a bright colour, drawn by the software display (the
// reference, kept as a picture beside this test) and through the 3D side of the OpenGL device
// in a real window (run under a virtual X server by its ctest entry).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/display_device.h"
#include "platform/presenter.h"
#include "runtime/api.h"
#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/display/screen_mode.h"
#include "tests/support/display_fixture.h"
#include "tests/support/golden_image.h"

#ifndef RT_GOLDEN_DIR
#error "RT_GOLDEN_DIR names the folder of the expected pictures"
#endif

namespace {

using testing_support::ReadFileBytes;
using testing_support::RunningDisplay;
using testing_support::ScopedTempDir;

struct Blend {
  int mode;
  int param;
};
constexpr Blend kBlends[] = {{0, 0}, {1, 128}, {2, 160}, {3, 128}, {4, 255}, {1, 40}, {3, 255}};

void DrawShapes() {
  ClearDrawScreen();
  for (int i = 0; i < 8; ++i) {
    DrawBox(i * 100, 0, i * 100 + 100, 600, GetColor(30 * i, 255 - 30 * i, (i * 90) % 256), 1);
  }
  for (int row = 0; row < 2; ++row) {
    // The second row brightened.
    if (row == 1) SetDrawBright(255, 160, 64);
    for (int i = 0; i < 7; ++i) {
      const int x = 10 + i * 110;
      const int y = 20 + row * 280;
      SetDrawBlendMode(kBlends[i].mode, kBlends[i].param);
      DrawBox(x, y, x + 90, y + 60, GetColor(250, 200, 40), 1);
      DrawBox(x + 95, y + 65, x + 5, y + 120, GetColor(40, 220, 250), 1);  // corners reversed
      DrawBox(x + 10, y + 130, x + 80, y + 170, GetColor(255, 255, 255), 0);
      DrawLine(x, y + 190, x + 90, y + 190, GetColor(255, 255, 255));
      DrawLine(x + 90, y + 195, x, y + 195, GetColor(255, 60, 60));
      DrawLine(x + 45, y + 200, x + 45, y + 250, GetColor(60, 255, 60));
      DrawLine(x + 50, y + 250, x + 50, y + 200, GetColor(60, 60, 255));
      for (int k = 0; k < 30; ++k) DrawPixel(x + k * 3, y + 255 + (k % 4) * 3, GetColor(255, 255, 255));
    }
    SetDrawBlendMode(0, 0);
    SetDrawBright(255, 255, 255);
  }
  FlipScreen();
}

TEST(DeviceShapesTest, ReferenceOnTheSoftwareDisplay) {
  RunningDisplay display;
  ASSERT_TRUE(display.started());
  DrawShapes();
  const platform::RecordingPresenter::Frame& frame = display.runtime().presenter().Last();
  ASSERT_EQ(frame.width, 800);
  ASSERT_EQ(frame.height, 600);
  EXPECT_TRUE(testing_support::MatchesGolden(RT_GOLDEN_DIR, "shapes", testing_support::PresentedRgb(frame), 800, 600));
}

// Tolerance 3 per channel: the GL blends in floating point and rounds, the software display
// blends in integers and truncates (one step), an alpha taken from a byte and the bright
// colour's product each add at most one more, and a subtraction goes through two inversions
// and an addition. A shape edge or a blend factor out of place differs by far more.
constexpr int kGlTolerance = 3;

TEST(GlDevice3DTest, ShapesThroughTheGlDeviceMatchTheSoftwareDisplay) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no X display";
  ScopedTempDir dir;
  platform::DisplayDevice* device = testing_support::StartGlWindow();
  ASSERT_NE(device, nullptr) << "no OpenGL device in the window: " << ReadFileBytes(dir.File("Log.txt"));
  rt::SetWaitVSyncFlag(0);
  // The display's start took the device's 3D side.
  ASSERT_EQ(rt::IsDirect3DUsed(), 1);
  DrawShapes();
  const testing_support::ShownFrame frame = testing_support::EndGlWindow(device);
  const std::vector<uint32_t>& shown = frame.pixels;
  const int width = frame.width, height = frame.height;
  const bool read = frame.read;
  ASSERT_TRUE(read);
  ASSERT_EQ(width, 800);
  ASSERT_EQ(height, 600);
  EXPECT_TRUE(
      testing_support::MatchesGolden(RT_GOLDEN_DIR, "shapes", testing_support::XrgbToRgb(shown), 800, 600, kGlTolerance, "shapes.gl"));
}

}  // namespace
