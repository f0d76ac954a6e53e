// Through the 3D side of the OpenGL device in a real window (run under a virtual X server by
// its ctest entry): a part of the drawn screen captured into a texture graph of several
// pieces and drawn back elsewhere, and the mask keeping its pixels through 3D draws.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/display_device.h"
#include "runtime/api.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/display/screen_mode.h"
#include "runtime/font/font.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/mask_screen.h"
#include "tests/support/display_fixture.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::ScopedTempDir;

bool HasDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

TEST(GlCaptureTest, ACapturedRectangleDrawnBackLooksTheSame) {
  if (!HasDisplay()) GTEST_SKIP() << "no X display";
  ScopedTempDir dir;
  platform::DisplayDevice* device = testing_support::StartGlWindow();
  ASSERT_NE(device, nullptr) << "no OpenGL device in the window: " << ReadFileBytes(dir.File("Log.txt"));
  rt::SetWaitVSyncFlag(0);
  ASSERT_EQ(rt::IsDirect3DUsed(), 1) << "the display starts the 3D side of the GL device";

  ClearDrawScreen();
  for (int i = 0; i < 12; ++i) {
    DrawBox(40 + i * 11, 30 + i * 7, 90 + i * 9, 80 + i * 5, GetColor(20 * i, 255 - 19 * i, (i * 70) % 256), 1);
    DrawLine(40, 30 + i * 9, 180, 140 - i * 6, GetColor(255, 255 - 20 * i, 20 * i));
  }
  // Small textures: the graph is cut into several pieces.
  rt::D3DGlobals& d3d = rt::GetD3DGlobals();
  const uint32_t maxTexture = d3d.maxTextureSize;
  d3d.maxTextureSize = 64;
  rt::GraphSettings& settings = rt::GetGraphManager().settings;
  const int alphaTest = settings.alphaTest;
  settings.alphaTest = 0;
  const int graph = rt::MakeGraph(120, 90, 1, 0, 0);
  settings.alphaTest = alphaTest;
  d3d.maxTextureSize = maxTexture;
  ASSERT_NE(graph, -1);
  EXPECT_GT(rt::GetGraphRecord(graph)->surfaceCount, 1);
  ASSERT_EQ(rt::GetDrawScreenGraph(50, 40, 170, 130, graph, 1), 0);
  ASSERT_EQ(DrawGraph(400, 300, graph, 0), 0);
  FlipScreen();

  const testing_support::ShownFrame frame = testing_support::EndGlWindow(device);
  const std::vector<uint32_t>& shown = frame.pixels;
  const int width = frame.width;
  const bool read = frame.read;
  ASSERT_TRUE(read);
  ASSERT_EQ(width, 800);
  // Tolerance 0: the texels are the screen's 8-bit channels and are sampled at their centres.
  int wrong = 0, inked = 0;
  for (int y = 0; y < 90; ++y) {
    for (int x = 0; x < 120; ++x) {
      const uint32_t original = shown[static_cast<size_t>(40 + y) * width + 50 + x] & 0xFFFFFF;
      const uint32_t copy = shown[static_cast<size_t>(300 + y) * width + 400 + x] & 0xFFFFFF;
      if (original != 0) ++inked;
      if (original != copy && ++wrong <= 3) {
        ADD_FAILURE() << "(" << x << ", " << y << "): " << std::hex << copy << ", drawn " << original;
      }
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(inked, 120 * 90 / 2);
}

TEST(GlMaskTest, MaskedPixelsKeepTheirColourThrough3DDraws) {
  if (!HasDisplay()) GTEST_SKIP() << "no X display";
  ScopedTempDir dir;
  platform::DisplayDevice* device = testing_support::StartGlWindow();
  ASSERT_NE(device, nullptr) << "no OpenGL device in the window: " << ReadFileBytes(dir.File("Log.txt"));
  rt::SetWaitVSyncFlag(0);
  ASSERT_EQ(rt::IsDirect3DUsed(), 1) << "the display starts the 3D side of the GL device";
  const int font = rt::CreateFontToHandle(nullptr, 16, 6, 0, -1, -1, 0, -1, -1);
  ASSERT_NE(font, -1);
  ASSERT_EQ(rt::GetFontRecord(font)->textureCache, 1);

  ClearDrawScreen();
  DrawBox(0, 0, 800, 600, GetColor(0, 0, 255), 1);
  ASSERT_EQ(rt::CreateMaskScreen(1, 1), 0);
  rt::MaskState& mask = rt::GetMaskState();
  ASSERT_NE(mask.surface, nullptr);
  // The left half of (100, 100)-(300, 200) is masked.
  for (int y = 100; y < 200; ++y) std::memset(mask.data + y * mask.pitch + 100, 1, 100);
  ASSERT_EQ(rt::SetUseMaskScreenFlag(1), 0);
  DrawBox(50, 50, 350, 250, GetColor(255, 0, 0), 1);
  rt::DrawStringToHandle(60, 140, "MMMMMMMMMMMMMMMMMM", GetColor(0, 255, 0), font, 0, 0);
  ASSERT_EQ(rt::SetUseMaskScreenFlag(0), 0);
  rt::EndMaskScreen();
  FlipScreen();

  const testing_support::ShownFrame frame = testing_support::EndGlWindow(device);
  const std::vector<uint32_t>& shown = frame.pixels;
  const int width = frame.width;
  const bool read = frame.read;
  ASSERT_TRUE(read);
  int maskedChanged = 0, freeRed = 0, freeText = 0;
  for (int y = 100; y < 200; ++y) {
    for (int x = 100; x < 300; ++x) {
      const uint32_t p = shown[static_cast<size_t>(y) * width + x] & 0xFFFFFF;
      if (x < 200) {
        maskedChanged += p != 0x0000FF;
      } else {
        freeRed += p == 0xFF0000;
        freeText += p == 0x00FF00;
      }
    }
  }
  EXPECT_EQ(maskedChanged, 0);
  EXPECT_GT(freeRed, 0);
  EXPECT_GT(freeText, 0);
  // Outside the masked rectangle everything was drawn.
  EXPECT_EQ(shown[static_cast<size_t>(60) * width + 60] & 0xFFFFFF, 0xFF0000u);
}

}  // namespace
