// Copying the draw screen into texture graphs on the recording display device: each of the
// five methods copies the rectangle into every piece, the dispatcher falls through the
// methods in their order and remembers the one that worked (apart for plain and alpha
// textures), bad rectangles try nothing; and the spare bits of copied pixels.
#include "runtime/display/screen_capture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "runtime/api.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/image/color_format.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"
#include "tests/support/display_fixture.h"

namespace {

using platform::RecordingDisplayDevice;
using testing_support::RunningDisplay;

constexpr int kGraphWidth = 100;
constexpr int kGraphHeight = 70;

// The back screen's pattern: every pixel different.
uint32_t Pattern(int x, int y) {
  return static_cast<uint32_t>((x * 7 + y * 13) & 0xFF) << 16 | (x & 0xFF) << 8 | (y & 0xFF);
}

// The display on the recording device, its 3D side started after the display with textures at
// most 64 pixels wide, so that a 100 x 70 graph is cut into four pieces.
class CaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = std::make_unique<RunningDisplay>(32, &device_);
    ASSERT_TRUE(display_->started());
    device_.devices3D = RecordingDisplayDevice(true).devices3D;
    device_.devices3D[0].maxTextureWidth = device_.devices3D[0].maxTextureHeight = 64;
    ASSERT_EQ(rt::G_D3D_Initialize(&device_, rt::GetOutputSurfaces().primarySurface, 32), 0);
    platform::DeviceSurface* back = rt::GetOutputSurfaces().backSurface;
    ASSERT_EQ(rt::GetDrawTarget().targetSurface, back);
    platform::LockedPixels locked;
    ASSERT_EQ(device_.Lock(back, nullptr, &locked), 0);
    for (int y = 0; y < locked.height; ++y) {
      for (int x = 0; x < locked.width; ++x) {
        const uint32_t v = Pattern(x, y);
        std::memcpy(locked.pixels + y * locked.pitch + x * 4, &v, 4);
      }
    }
    device_.Unlock(back);
  }
  void TearDown() override { display_.reset(); }

  // A texture graph; alpha: with an alpha channel, else plain (no alpha test either).
  int MakeTextureGraph(bool alpha) {
    rt::GraphSettings& settings = rt::GetGraphManager().settings;
    const int test = settings.alphaTest;
    settings.alphaTest = 0;
    const int graph = rt::MakeGraph(kGraphWidth, kGraphHeight, 1, alpha ? 1 : 0, 0);
    settings.alphaTest = test;
    return graph;
  }

  // The graph's pixel at (x, y), colour bits only; 0xDEADBEEF when it cannot be read.
  uint32_t GraphPixel(int graph, int x, int y) {
    const rt::GraphRecord* record = rt::GetGraphRecord(graph);
    for (int i = 0; record && i < record->surfaceCount; ++i) {
      const rt::Surface3DData* piece = rt::GetSurface3DData(static_cast<int>(record->surfaceHandles[i]));
      if (x < piece->graphX || y < piece->graphY || x >= piece->graphX + piece->width ||
          y >= piece->graphY + piece->height) {
        continue;
      }
      rt::SurfaceData* store = rt::GetSurfaceData(piece->surfaceData);
      platform::LockedPixels locked;
      if (device_.Lock(store->surface, nullptr, &locked) != 0) break;
      uint32_t v = 0;
      std::memcpy(&v,
                  locked.pixels + (piece->textureY + y - piece->graphY) * locked.pitch +
                      (piece->textureX + x - piece->graphX) * 4,
                  4);
      device_.Unlock(store->surface);
      return v & 0xFFFFFF;
    }
    return 0xDEADBEEF;
  }

  // Counts the graph pixels of the rectangle that hold the back screen's pixel at (x1, y1)
  // further on, and of the rest that still hold fill.
  void ExpectCopied(int graph, int x1, int y1, int w, int h, uint32_t fill = 0) {
    int wrong = 0;
    for (int y = 0; y < kGraphHeight; ++y) {
      for (int x = 0; x < kGraphWidth; ++x) {
        const uint32_t expected = x < w && y < h ? Pattern(x1 + x, y1 + y) : fill;
        if (GraphPixel(graph, x, y) != expected && ++wrong <= 3) {
          ADD_FAILURE() << "graph pixel (" << x << ", " << y << "): " << std::hex << GraphPixel(graph, x, y)
                        << ", expected " << expected;
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }

  int Calls(const char* name) const { return device_.CountCalls(name); }

  RecordingDisplayDevice device_;
  std::unique_ptr<RunningDisplay> display_;
};

TEST_F(CaptureTest, EveryMethodCopiesTheRectangleIntoEveryPiece) {
  struct Case {
    const char* name;
    int (*method)(int, int, int, int, rt::GraphRecord*, int);
  };
  const Case cases[] = {
      {"1: one copy per piece", rt::G_D3D_GetDrawScreenGraphFunction1},
      {"2: through device contexts", rt::G_D3D_GetDrawScreenGraphFunction2},
      {"3: through a work texture, locked", rt::G_D3D_GetDrawScreenGraphFunction3},
      {"4: through a work texture, loaded", rt::G_D3D_GetDrawScreenGraphFunction4},
      {"5: locked and converted", rt::G_D3D_GetDrawScreenGraphFunction5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int graph = MakeTextureGraph(false);
    ASSERT_NE(graph, -1);
    ASSERT_EQ(rt::GetGraphRecord(graph)->surfaceCount, 4);
    EXPECT_EQ(c.method(130, 210, 130 + kGraphWidth, 210 + kGraphHeight, rt::GetGraphRecord(graph), 1), 0);
    ExpectCopied(graph, 130, 210, kGraphWidth, kGraphHeight);
    // Nothing is left locked or in a device context.
    EXPECT_EQ(Calls("Lock"), Calls("Unlock"));
    EXPECT_EQ(Calls("GetDC"), Calls("ReleaseDC"));
    rt::DeleteGraphImpl(graph, 0);
  }
}

TEST_F(CaptureTest, PiecesBeyondTheScreenAndTheRectangleKeepTheirPixels) {
  const int graph = MakeTextureGraph(false);
  ASSERT_NE(graph, -1);
  // 40 columns reach the screen's right edge; a rectangle of 30 x 20 within the graph.
  ASSERT_EQ(rt::GetDrawScreenGraph(760, 500, 860, 570, graph, 1), 0);
  ExpectCopied(graph, 760, 500, 40, kGraphHeight);
  const int second = MakeTextureGraph(false);
  ASSERT_EQ(rt::GetDrawScreenGraph(10, 10, 40, 30, second, 1), 0);
  ExpectCopied(second, 10, 10, 30, 20);
}

TEST_F(CaptureTest, TheMethodsAreTriedInOrderAndTheOneThatWorkedIsRemembered) {
  struct Case {
    const char* name;
    std::vector<std::string> failing;
    int result;
    int remembered;
  };
  const Case cases[] = {
      {"the first, locking, works", {}, 0, 0},
      {"no locks: one copy per piece", {"Lock"}, 0, 1},
      {"no locks nor copies: device contexts", {"Lock", "BltFast"}, 0, 3},
      {"nothing works", {"Lock", "BltFast", "GetDC"}, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rt::GetD3DGlobals().captureMethod = -1;
    const int graph = MakeTextureGraph(false);
    ASSERT_NE(graph, -1);
    device_.failingCalls = c.failing;
    EXPECT_EQ(rt::GetDrawScreenGraph(0, 0, kGraphWidth, kGraphHeight, graph, 1), c.result);
    device_.failingCalls.clear();
    EXPECT_EQ(rt::GetD3DGlobals().captureMethod, c.remembered);
    EXPECT_EQ(rt::GetD3DGlobals().captureMethodAlpha, -1);
    if (c.result == 0) ExpectCopied(graph, 0, 0, kGraphWidth, kGraphHeight);
    rt::DeleteGraphImpl(graph, 0);
  }

  // Remembered: the next capture goes straight to the copy per piece, even though locking
  // would work again.
  rt::GetD3DGlobals().captureMethod = 1;
  const int plain = MakeTextureGraph(false);
  device_.calls.clear();
  EXPECT_EQ(rt::GetDrawScreenGraph(200, 100, 200 + kGraphWidth, 100 + kGraphHeight, plain, 1), 0);
  EXPECT_EQ(Calls("Lock"), 0);
  EXPECT_EQ(Calls("BltFast"), 4);
  ExpectCopied(plain, 200, 100, kGraphWidth, kGraphHeight);

  // A graph with alpha keeps its own: it starts from the first method.
  const int alpha = MakeTextureGraph(true);
  device_.calls.clear();
  EXPECT_EQ(rt::GetDrawScreenGraph(0, 0, kGraphWidth, kGraphHeight, alpha, 1), 0);
  EXPECT_EQ(Calls("BltFast"), 0);
  EXPECT_EQ(rt::GetD3DGlobals().captureMethodAlpha, 0);
  EXPECT_EQ(rt::GetD3DGlobals().captureMethod, 1);
}

TEST_F(CaptureTest, ARectangleOutsideTheScreenOrLargerThanTheGraphTriesNothing) {
  const int graph = MakeTextureGraph(false);
  ASSERT_NE(graph, -1);
  struct Case {
    const char* name;
    int x1, y1, x2, y2;
  };
  const Case cases[] = {
      {"left of the screen", -1, 0, 50, 50},
      {"above the screen", 0, -5, 50, 50},
      {"empty across", 50, 0, 50, 50},
      {"reversed", 60, 0, 50, 50},
      {"starting beyond the right edge", 801, 0, 850, 50},
      {"starting below the bottom", 0, 601, 50, 650},
      {"wider than the graph", 0, 0, kGraphWidth + 1, 50},
      {"higher than the graph", 0, 0, 50, kGraphHeight + 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device_.calls.clear();
    EXPECT_EQ(rt::GetDrawScreenGraph(c.x1, c.y1, c.x2, c.y2, graph, 1), -1);
    EXPECT_EQ(Calls("Lock") + Calls("BltFast") + Calls("GetDC") + Calls("Blt"), 0);
    EXPECT_EQ(rt::GetD3DGlobals().captureMethod, -1);
  }
}

TEST_F(CaptureTest, ATargetTheDeviceCannotDrawOnCapturesNothing) {
  const int graph = MakeTextureGraph(false);
  rt::GetD3DGlobals().d3dTargetUnusable = 1;
  device_.calls.clear();
  EXPECT_EQ(rt::GetDrawScreenGraph(0, 0, 50, 50, graph, 1), 0);
  EXPECT_EQ(Calls("Lock") + Calls("BltFast") + Calls("GetDC"), 0);
  rt::GetD3DGlobals().d3dTargetUnusable = 0;
}

TEST(FillSpareBitsRectTest, TheSpareBitsOfTheRectangleAreSet) {
  struct Case {
    const char* name;
    int bits;
    uint32_t r, g, b, a;
    uint32_t value;
    uint32_t before, after;
  };
  const Case cases[] = {
      {"X1R5G5B5: the top bit", 16, 0x7C00, 0x03E0, 0x001F, 0, 1, 0x1234, 0x9234},
      {"XRGB: the top byte", 32, 0xFF0000, 0xFF00, 0xFF, 0, 0xFF, 0x00123456, 0xFF123456},
      {"XRGB: a part of the top byte", 32, 0xFF0000, 0xFF00, 0xFF, 0, 0x80, 0x01123456, 0x81123456},
      {"R5G6B5: no spare bits", 16, 0xF800, 0x07E0, 0x001F, 0, 1, 0x1234, 0x1234},
      {"ARGB: no spare bits", 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u, 0xFF, 0x00123456, 0x00123456},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rt::ColorFormat format{};
    rt::SetColorFormatFromMasksImpl(&format, c.bits, c.r, c.g, c.b, c.a);
    const int bytes = c.bits / 8;
    const int pitch = 4 * bytes;
    std::vector<uint8_t> pixels(static_cast<size_t>(pitch) * 4);
    for (int i = 0; i < 16; ++i)
      std::memcpy(&pixels[static_cast<size_t>(i) * bytes], &c.before, static_cast<size_t>(bytes));
    const RECT rect{3, 3, 1, 1};  // reversed: (1, 1)-(3, 3)
    EXPECT_EQ(rt::FillSpareBitsRect(&rect, pixels.data(), pitch, &format, c.value), 0);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        uint32_t v = 0;
        std::memcpy(&v, &pixels[static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * bytes],
                    static_cast<size_t>(bytes));
        const bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
        EXPECT_EQ(v, inside ? c.after : c.before) << x << ", " << y;
      }
    }
  }
}

}  // namespace
