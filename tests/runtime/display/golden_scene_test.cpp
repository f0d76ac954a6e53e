// One scene drawn through the public draws and flipped, compared with a picture kept beside
// this test: byte for byte on the software display and on the recording display device
// (whose draws go through the same raster routines on locked surfaces), and within a stated
// tolerance through the OpenGL device in a real window (run under a virtual X server). The
// golden-image convention of tests/support/golden_image.h holds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "platform/presenter.h"
#include "platform/window.h"
#include "runtime/api.h"
#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/display/display_state.h"
#include "runtime/display/screen_mode.h"
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

// A 64 x 48 sprite: a coloured body on black (the transparent colour) with a black hole.
Picture Sprite() {
  Picture p{64, 48, std::vector<Rgba>(64 * 48)};
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool body = x >= 4 && x < 60 && y >= 4 && y < 44;
      const bool hole = (x - 40) * (x - 40) + (y - 20) * (y - 20) < 64;
      p.At(x, y) = body && !hole ? Rgba{uint8_t(60 + x * 3), uint8_t(30 + y * 4), uint8_t(200 - x * 2), 255}
                                 : Rgba{0, 0, 0, 255};
    }
  }
  return p;
}

// A 48 x 48 disc whose alpha falls from the centre outwards.
Picture Glow() {
  Picture p{48, 48, std::vector<Rgba>(48 * 48)};
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x) {
      const double r = std::sqrt((x - 23.5) * (x - 23.5) + (y - 23.5) * (y - 23.5));
      const int a = r >= 24 ? 0 : static_cast<int>(255 - r * 10.6);
      p.At(x, y) = Rgba{255, uint8_t(120 + y * 2), uint8_t(x * 5), uint8_t(a)};
    }
  }
  return p;
}

struct Blend {
  int mode;
  int param;
};
constexpr Blend kBlends[] = {{0, 0}, {1, 128}, {2, 160}, {3, 128}, {4, 255}};

void DrawScene(int sprite, int glow) {
  ClearDrawScreen();
  // Background bands to blend over.
  for (int i = 0; i < 8; ++i) {
    DrawBox(i * 100, 0, i * 100 + 100, 600, GetColor(30 * i, 255 - 30 * i, (i * 90) % 256), 1);
  }
  // Graphs at a point under every blend mode, plain, with alpha, and brightened.
  for (int i = 0; i < 5; ++i) {
    SetDrawBlendMode(kBlends[i].mode, kBlends[i].param);
    DrawGraph(20 + i * 150, 10, sprite, 1);
    DrawGraph(30 + i * 150, 70, glow, 1);
    SetDrawBright(255, 160, 64);
    DrawGraph(90 + i * 150, 70, sprite, 1);
    SetDrawBright(255, 255, 255);
  }
  SetDrawBlendMode(0, 0);
  // A part of the graph, as it is and mirrored.
  DrawRectGraph(20, 140, 10, 8, 40, 30, sprite, 1, 0);
  DrawRectGraph(80, 140, 10, 8, 40, 30, sprite, 1, 1);
  // Stretched (and mirrored by reversed corners) and rotated graphs.
  DrawGraphStretched(150, 140, 330, 220, sprite, 1);
  DrawGraphStretched(520, 140, 350, 200, sprite, 1);
  DrawRectGraphStretched(560, 140, 660, 220, 4, 4, 30, 20, sprite, 1);
  SetDrawBlendMode(1, 180);
  DrawGraphRotated(720, 190, 1.5, 0.6, sprite, 1, 0);
  DrawGraphRotated(100, 290, 0.75, -1.2, sprite, 1, 1);
  SetDrawBlendMode(0, 0);
  // Shapes under every blend mode, the last column brightened.
  for (int i = 0; i < 5; ++i) {
    const int x = 200 + i * 120;
    SetDrawBlendMode(kBlends[i].mode, kBlends[i].param);
    if (i == 4) SetDrawBright(200, 255, 100);
    DrawBox(x, 250, x + 100, 300, GetColor(250, 200, 40), 1);
    DrawBox(x + 10, 310, x + 90, 360, GetColor(40, 220, 250), 0);
    DrawLine(x, 370, x + 100, 420, GetColor(255, 255, 255));
    DrawLine(x + 100, 370, x + 30, 430, GetColor(255, 40, 40));
    DrawCircle(x + 30, 470, 25, GetColor(180, 60, 255), 1);
    DrawCircle(x + 75, 470, 18, GetColor(255, 255, 0), 0);
    for (int k = 0; k < 40; ++k) DrawPixel(x + k * 2, 520 + (k % 5) * 3, GetColor(255, 255, 255));
    SetDrawBright(255, 255, 255);
  }
  SetDrawBlendMode(0, 0);
  DrawCircle(60, 540, 40, GetColor(90, 90, 255), 1);
  FlipScreen();
}

Picture FrameToPicture(const platform::RecordingPresenter::Frame& frame) {
  Picture p{frame.width, frame.height, std::vector<Rgba>(static_cast<size_t>(frame.width) * frame.height)};
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      const uint32_t v = frame.Pixel(x, y);
      p.At(x, y) = Rgba{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v), 255};
    }
  }
  return p;
}

Picture XrgbToPicture(const std::vector<uint32_t>& xrgb, int width, int height) {
  Picture p{width, height, std::vector<Rgba>(static_cast<size_t>(width) * height)};
  for (size_t i = 0; i < p.pixels.size(); ++i) {
    const uint32_t v = xrgb[i];
    p.pixels[i] = Rgba{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v), 255};
  }
  return p;
}

// tolerance: the largest difference allowed in any channel of any pixel; actualName: the
// name of the picture written when the comparison fails.
void ExpectGolden(const std::string& name, const Picture& actual, int tolerance = 0,
                  const std::string& actualName = "", int maxDiffering = 0) {
  std::vector<uint8_t> rgb;
  rgb.reserve(static_cast<size_t>(actual.width) * actual.height * 3);
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      const Rgba& p = actual.At(x, y);
      rgb.insert(rgb.end(), {p.r, p.g, p.b});
    }
  }
  EXPECT_TRUE(testing_support::MatchesGolden(RT_GOLDEN_DIR, name, rgb, actual.width, actual.height, tolerance,
                                             actualName, maxDiffering));
}

void LoadSceneGraphs(RunningDisplay& display, int* sprite, int* glow) {
  *sprite = display.LoadPicture("sprite.png", Sprite());
  PngOptions rgba;
  rgba.colorType = 6;
  *glow = display.LoadPicture("glow.png", Glow(), rgba);
}

TEST(GoldenSceneTest, SceneThroughThePublicDraws) {
  RunningDisplay display;
  ASSERT_TRUE(display.started());
  int sprite = -1, glow = -1;
  LoadSceneGraphs(display, &sprite, &glow);
  ASSERT_NE(sprite, -1);
  ASSERT_NE(glow, -1);
  DrawScene(sprite, glow);
  const platform::RecordingPresenter::Frame& frame = display.runtime().presenter().Last();
  ASSERT_EQ(frame.width, 800);
  ASSERT_EQ(frame.height, 600);
  ExpectGolden("scene", FrameToPicture(frame));
}

// The same pixels on device surfaces: graphs on plain surfaces drawn by BltFast with the
// colour key or through locked copies, shapes through the prepared target.
TEST(GoldenSceneTest, SceneThroughTheDisplayDevice) {
  platform::RecordingDisplayDevice device;
  RunningDisplay display(32, &device);
  ASSERT_TRUE(display.started());
  ASSERT_EQ(rt::GetScreenStateRecord().device, &device);
  int sprite = -1, glow = -1;
  LoadSceneGraphs(display, &sprite, &glow);
  ASSERT_NE(sprite, -1);
  ASSERT_NE(glow, -1);
  DrawScene(sprite, glow);
  std::vector<uint32_t> shown;
  int width = 0, height = 0;
  ASSERT_TRUE(device.ReadShownFrame(&shown, &width, &height));
  ExpectGolden("scene", XrgbToPicture(shown, width, height), 0, "scene.device");
}

// The OpenGL device in a real window, drawing graphs and shapes through its 3D side; needs
// an X display (the ctest entry starts a virtual one). The picture is read back from the GL
// pipeline after it drew the primary. Tolerance 4 per channel, as for the graphs of
// device_graphs_test.cpp (integer steps truncated against one rounding). Beyond that, at most
// kGlEdgePixels pixels: the GL places the edges of stretched and turned graphs and of
// slanted lines by its own rules, and picks the texel of a stretched pixel at the pixel's
// centre where the software draw steps from its edge (a row or column of neighbouring texels
// now and then): 955 pixels with Mesa. A wrong blend mode, bright colour or graph shows in
// thousands of pixels.
constexpr int kGlTolerance = 4;
constexpr int kGlEdgePixels = 1500;

TEST(GlGoldenSceneTest, SceneThroughTheGlDevice) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no X display";
  ScopedTempDir dir;
  platform::DisplayDevice* device = testing_support::StartGlWindow();
  ASSERT_NE(device, nullptr) << "no OpenGL device in the window: " << ReadFileBytes(dir.File("Log.txt"));
  WriteFileBytes(dir.File("sprite.png"), MakePng(Sprite()));
  PngOptions rgba;
  rgba.colorType = 6;
  WriteFileBytes(dir.File("glow.png"), MakePng(Glow(), rgba));
  const int sprite = LoadGraph("sprite.png");
  const int glow = LoadGraph("glow.png");
  EXPECT_NE(sprite, -1);
  EXPECT_NE(glow, -1);
  rt::SetWaitVSyncFlag(0);
  DrawScene(sprite, glow);
  const testing_support::ShownFrame frame = testing_support::EndGlWindow(device);
  const std::vector<uint32_t>& shown = frame.pixels;
  const int width = frame.width, height = frame.height;
  const bool read = frame.read;
  ASSERT_TRUE(read);
  ExpectGolden("scene", XrgbToPicture(shown, width, height), kGlTolerance, "scene.gl", kGlEdgePixels);
}

}  // namespace
