// The software entries of the stretched, rotated and four-corner graph draws on a running
// software screen: what they draw, what they return, and their refusals.
#include "runtime/softrender/soft_draw_transformed.h"

#include <gtest/gtest.h>

#include "runtime/api.h"
#include "runtime/display/display_state.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_2d.h"
#include "tests/support/display_fixture.h"

namespace {

using testing_support::Picture;
using testing_support::Rgb;
using testing_support::RunningDisplay;

class SoftTransformedEntries : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(display_.started());
    Picture p;
    p.width = 4;
    p.height = 2;
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 4; ++x) {
        p.pixels.push_back({static_cast<uint8_t>(40 + 40 * x), static_cast<uint8_t>(100 + 50 * y), 7, 255});
      }
    }
    handle_ = display_.LoadPicture("tiny.png", p);
    ASSERT_NE(handle_, -1);
    graph_ = rt::GetGraphRecord(handle_);
    ASSERT_NE(graph_, nullptr);
    DrawBox(0, 0, 800, 600, 0, 1);
    saved_ = rt::GetScreenStateRecord();
  }
  void TearDown() override {
    rt::ScreenState& s = rt::GetScreenStateRecord();
    s.softwareRender = saved_.softwareRender;
    s.pureSoftware = saved_.pureSoftware;
    s.directDrawRunning = saved_.directDrawRunning;
    s.screenBits = saved_.screenBits;
  }
  uint32_t Back(int x, int y) { return Rgb(display_.BackPixel(x, y)); }
  static uint32_t Texel(int x, int y) { return static_cast<uint32_t>((40 + 40 * x) << 16 | (100 + 50 * y) << 8 | 7); }
  int CountDrawn(int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) n += Back(x, y) != 0;
    }
    return n;
  }

  RunningDisplay display_;
  int handle_ = -1;
  rt::GraphRecord* graph_ = nullptr;
  rt::ScreenState saved_;
};

TEST_F(SoftTransformedEntries, StretchedDrawsMirroredAndReturnsZeroForEmptyRectangles) {
  EXPECT_EQ(rt::G_SOFT_DrawGraphStretched(10, 10, 10, 50, graph_, 0, 1, -1), 0);
  EXPECT_EQ(CountDrawn(0, 0, 60, 60), 0);
  // Reversed corners of the graph's own size: mirrored, not the same-size blit.
  EXPECT_EQ(rt::G_SOFT_DrawGraphStretched(24, 20, 20, 22, graph_, 0, 1, -1), 0);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(Back(20 + x, 20), Texel(3 - x, 0));
    EXPECT_EQ(Back(20 + x, 21), Texel(3 - x, 1));
  }
  // Float corners are truncated toward zero.
  EXPECT_EQ(rt::G_SOFT_DrawGraphStretched(40.9, 30.2, 48.99, 34.7, graph_, 0, 0, -1), 0);
  EXPECT_EQ(Back(40, 30), Texel(0, 0));
  EXPECT_EQ(Back(47, 33), Texel(3, 1));
  EXPECT_EQ(Back(48, 33), 0u);
}

TEST_F(SoftTransformedEntries, RotatedCentreIsTruncatedTowardZero) {
  EXPECT_EQ(rt::G_SOFT_DrawGraphRotated(10.9f, 5.0f, 1.0, 0.0, graph_, 0, 0), 0);
  EXPECT_EQ(Back(8, 4), Texel(0, 0));
  EXPECT_EQ(Back(11, 5), Texel(3, 1));
  EXPECT_EQ(Back(12, 5), 0u);
  EXPECT_EQ(rt::G_SOFT_DrawGraphRotated(-0.5f, 40.0f, 1.0, 0.0, graph_, 0, 0), 0);
  EXPECT_EQ(Back(0, 39), Texel(2, 0));
  EXPECT_EQ(Back(1, 40), Texel(3, 1));
}

TEST_F(SoftTransformedEntries, QuadMapsTheGraphOntoItsCorners) {
  EXPECT_EQ(rt::G_SOFT_DrawGraphQuad(30.9f, 50.0f, 34.0f, 50.0f, 30.0f, 52.0f, 34.0f, 52.0f, graph_, 0), 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Back(30 + x, 50 + y), Texel(x, y)) << x << "," << y;
  }
  EXPECT_EQ(CountDrawn(25, 45, 40, 60), 8);
  // Without a graph a triangle is filled with the colour.
  const rt::TexVertexTriple tri{{{100, 100, 0, 0}, {104, 100, 0, 0}, {100, 104, 0, 0}}};
  EXPECT_EQ(rt::G_SOFT_DrawGraphTriangle(&tri, nullptr, 0, 0x00ABCDEF), 0);
  EXPECT_EQ(Back(100, 100), 0xABCDEFu);
  EXPECT_EQ(CountDrawn(95, 95, 110, 110), 14);
}

TEST_F(SoftTransformedEntries, RefusalsReturnMinusOne) {
  rt::Surface2D* piece = rt::GetSurface2D(static_cast<int>(graph_->surfaceHandles[0]));
  ASSERT_NE(piece, nullptr);
  const rt::TexVertexTriple tri{{{0, 0, 0, 0}, {4, 0, 4, 0}, {0, 2, 0, 2}}};
  // A piece whose surface-data record is gone.
  const int32_t data = piece->surfaceData;
  piece->surfaceData = -1;
  EXPECT_EQ(rt::G_SOFT_DrawGraphStretched(0, 0, 8, 8, graph_, 0, 1, -1), -1);
  EXPECT_EQ(rt::G_SOFT_DrawGraphRotated(10, 10, 2.0, 0.5, graph_, 0, 0), -1);
  EXPECT_EQ(rt::G_SOFT_DrawGraphTriangle(&tri, graph_, 0, 0), -1);
  EXPECT_EQ(rt::G_SOFT_DrawGraphQuadInt(0, 0, 4, 0, 0, 2, 4, 2, graph_, 0), 0);  // the quad ignores its halves
  piece->surfaceData = data;
  EXPECT_EQ(CountDrawn(0, 0, 30, 30), 0);
  EXPECT_EQ(rt::G_SOFT_DrawGraphStretched(0, 0, 8, 8, nullptr, 0, 1, 0x7FFF), -1);

  rt::ScreenState& s = rt::GetScreenStateRecord();
  // A target that is not the software screen must be prepared; this platform has none
  // to prepare, and an empty rectangle is refused before that.
  s.softwareRender = 0;
  s.directDrawRunning = 1;
  EXPECT_EQ(rt::G_SOFT_DrawGraphStretched(10, 10, 10, 50, graph_, 0, 1, -1), -1);
  EXPECT_EQ(rt::G_SOFT_DrawGraphStretched(10, 10, 30, 50, graph_, 0, 1, -1), -1);
  EXPECT_EQ(rt::G_SOFT_DrawGraphRotated(10, 10, 2.0, 0.5, graph_, 0, 0), -1);
  EXPECT_EQ(rt::G_SOFT_DrawGraphTriangle(&tri, graph_, 0, 0), -1);
  // No screen at all.
  s.pureSoftware = 0;
  s.directDrawRunning = 0;
  EXPECT_EQ(rt::G_SOFT_DrawGraphStretched(0, 0, 8, 8, graph_, 0, 1, -1), -1);
  EXPECT_EQ(rt::G_SOFT_DrawGraphRotated(10, 10, 1.0, 0.0, graph_, 0, 0), -1);
  EXPECT_EQ(rt::G_SOFT_DrawGraphTriangle(&tri, nullptr, 0, 0), -1);
  EXPECT_EQ(CountDrawn(0, 0, 60, 60), 0);
}

}  // namespace
