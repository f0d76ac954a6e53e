// Graphs at whole pixels under every blend mode, with the bright colour, the alpha test and an
// alpha channel, cut rectangles and a graph cut into several texture pieces: drawn by the
// software display (the reference, kept as a picture beside this test) and through the 3D
// side of the OpenGL device in a real window (run under a virtual X server by its ctest entry).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/display_device.h"
#include "platform/presenter.h"
#include "runtime/api.h"
#include "runtime/core/startup.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/screen_mode.h"
#include "runtime/image/graph_table.h"
#include "tests/support/display_fixture.h"
#include "tests/support/golden_image.h"

#ifndef RT_GOLDEN_DIR
#error "RT_GOLDEN_DIR names the folder of the expected pictures"
#endif

namespace {

using testing_support::MakePng;
using testing_support::Picture;
using testing_support::PngOptions;
using testing_support::ReadFileBytes;
using testing_support::Rgba;
using testing_support::RunningDisplay;
using testing_support::ScopedTempDir;
using testing_support::WriteFileBytes;

// 40 x 30: a body of changing colour on black (the transparent colour) with a black notch.
Picture Sprite() {
  Picture p{40, 30, std::vector<Rgba>(40 * 30)};
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool body = x >= 3 && x < 37 && y >= 3 && y < 27 && !(x > 25 && y < 10);
      p.At(x, y) = body ? Rgba{uint8_t(80 + x * 4), uint8_t(40 + y * 6), uint8_t(220 - x * 3), 255} : Rgba{0, 0, 0, 255};
    }
  }
  return p;
}

// 32 x 32 with an alpha falling from the centre.
Picture Glow() {
  Picture p{32, 32, std::vector<Rgba>(32 * 32)};
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const double r = std::sqrt((x - 15.5) * (x - 15.5) + (y - 15.5) * (y - 15.5));
      const int a = r >= 16 ? 0 : static_cast<int>(255 - r * 15.9);
      p.At(x, y) = Rgba{250, uint8_t(100 + y * 4), uint8_t(x * 7), uint8_t(a)};
    }
  }
  return p;
}

// 800 x 24, wider than the largest piece the screen's width allows: cut into three pieces.
Picture Band() {
  Picture p{800, 24, std::vector<Rgba>(800 * 24)};
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 800; ++x) p.At(x, y) = Rgba{uint8_t(x / 4), uint8_t(255 - x / 4), uint8_t(y * 10), 255};
  }
  return p;
}

struct Blend {
  int mode;
  int param;
};
constexpr Blend kBlends[] = {{0, 0}, {1, 128}, {2, 160}, {3, 128}, {4, 255}, {1, 40}, {3, 255}};

void DrawGraphs(int sprite, int glow, int band) {
  ClearDrawScreen();
  for (int i = 0; i < 8; ++i) {
    DrawBox(i * 100, 0, i * 100 + 100, 600, GetColor(30 * i, 255 - 30 * i, (i * 90) % 256), 1);
  }
  for (int i = 0; i < 7; ++i) {
    const int x = 10 + i * 110;
    SetDrawBlendMode(kBlends[i].mode, kBlends[i].param);
    DrawGraph(x, 10, sprite, 1);
    DrawGraph(x + 50, 10, glow, 1);
    DrawGraph(x, 50, sprite, 0);
    SetDrawBright(255, 160, 64);
    DrawGraph(x + 50, 50, sprite, 1);
    DrawGraph(x, 90, glow, 1);
    SetDrawBright(255, 255, 255);
    DrawRectGraph(x + 40, 90, 5, 4, 30, 20, sprite, 1, 0);
    DrawRectGraph(x, 130, 5, 4, 30, 20, sprite, 1, 1);
    DrawGraphRotated(x + 70, 150, 1.0, 0.0, sprite, 1, 0);
  }
  SetDrawBlendMode(0, 0);
  DrawGraph(0, 200, band, 0);
  SetDrawBlendMode(1, 150);
  DrawGraph(0, 230, band, 0);
  SetDrawBlendMode(3, 200);
  SetDrawBright(200, 255, 120);
  DrawGraph(0, 260, band, 0);
  SetDrawBright(255, 255, 255);
  SetDrawBlendMode(2, 255);
  DrawRectGraph(100, 290, 450, 4, 500, 16, band, 0, 0);
  SetDrawBlendMode(0, 0);
  FlipScreen();
}

TEST(DeviceGraphsTest, ReferenceOnTheSoftwareDisplay) {
  RunningDisplay display;
  ASSERT_TRUE(display.started());
  PngOptions rgba;
  rgba.colorType = 6;
  const int sprite = display.LoadPicture("sprite.png", Sprite());
  const int glow = display.LoadPicture("glow.png", Glow(), rgba);
  const int band = display.LoadPicture("band.png", Band());
  ASSERT_NE(sprite, -1);
  ASSERT_NE(glow, -1);
  ASSERT_NE(band, -1);
  DrawGraphs(sprite, glow, band);
  const platform::RecordingPresenter::Frame& frame = display.runtime().presenter().Last();
  EXPECT_TRUE(testing_support::MatchesGolden(RT_GOLDEN_DIR, "graphs", testing_support::PresentedRgb(frame), frame.width, frame.height));
}

// Tolerance 4 per channel, on every pixel: at whole positions each texel falls on one pixel
// in both, so only the arithmetic differs. The software display truncates after each of its
// integer steps (the bright colour, the alpha, the blend parameter, the blend itself: up to
// one step each), the GL multiplies in floating point and rounds once; a subtraction adds
// two inversions around the addition. A texel out of place or a wrong blend factor or stage
// differs by far more.
constexpr int kGlTolerance = 4;

TEST(GlDevice3DTest, GraphsThroughTheGlDeviceMatchTheSoftwareDisplay) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no X display";
  ScopedTempDir dir;
  platform::DisplayDevice* device = testing_support::StartGlWindow();
  ASSERT_NE(device, nullptr) << "no OpenGL device in the window: " << ReadFileBytes(dir.File("Log.txt"));
  rt::SetWaitVSyncFlag(0);
  ASSERT_EQ(rt::IsDirect3DUsed(), 1);
  WriteFileBytes(dir.File("sprite.png"), MakePng(Sprite()));
  PngOptions rgba;
  rgba.colorType = 6;
  WriteFileBytes(dir.File("glow.png"), MakePng(Glow(), rgba));
  WriteFileBytes(dir.File("band.png"), MakePng(Band()));
  const int sprite = LoadGraph("sprite.png");
  const int glow = LoadGraph("glow.png");
  const int band = LoadGraph("band.png");
  const bool loaded = sprite != -1 && glow != -1 && band != -1;
  const int bandPieces = loaded ? rt::GetGraphRecord(band)->surfaceCount : 0;
  if (loaded) DrawGraphs(sprite, glow, band);
  const testing_support::ShownFrame frame = testing_support::EndGlWindow(device, loaded);
  const std::vector<uint32_t>& shown = frame.pixels;
  const int width = frame.width, height = frame.height;
  const bool read = frame.read;
  ASSERT_TRUE(loaded);
  EXPECT_EQ(bandPieces, 3);
  ASSERT_TRUE(read);
  EXPECT_TRUE(testing_support::MatchesGolden(RT_GOLDEN_DIR, "graphs", testing_support::XrgbToRgb(shown), width, height, kGlTolerance,
                                             "graphs.gl"));
}

}  // namespace
