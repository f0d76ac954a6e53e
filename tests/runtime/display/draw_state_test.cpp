#include "runtime/display/draw_state.h"

#include <gtest/gtest.h>

#include "runtime/api.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/display/screen_mode.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/graph_table.h"
#include "tests/support/display_fixture.h"

namespace {

using testing_support::HeadlessRuntime;
using testing_support::Picture;
using testing_support::Rgb;
using testing_support::RunningDisplay;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class DrawStateTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(display_.started()); }
  RECT Area() {
    RECT r{};
    rt::GetDrawArea(&r);
    return r;
  }
  RunningDisplay display_;
};

struct AreaCase {
  RECT requested;
  RECT stored;
  bool empty;
};

TEST_F(DrawStateTest, DrawAreaIsOrderedAndClampedToTheTarget) {
  const AreaCase cases[] = {
      {{100, 50, 10, 5}, {10, 5, 100, 50}, false},
      {{-5, -5, 10000, 10000}, {0, 0, 800, 600}, false},
      {{10, 10, 10, 200}, {10, 10, 10, 200}, true},
      {{900, 20, 1000, 40}, {800, 20, 800, 40}, true},
  };
  for (const AreaCase& c : cases) {
    rt::SetDrawArea(c.requested.left, c.requested.top, c.requested.right, c.requested.bottom);
    EXPECT_TRUE(SameRect(Area(), c.stored)) << c.requested.left << "," << c.requested.top;
    EXPECT_EQ(rt::GetDrawState().drawAreaEmpty, c.empty ? 1 : 0);
    EXPECT_TRUE(SameRect(rt::GetDrawState().requestedDrawArea, c.requested));
  }
}

TEST_F(DrawStateTest, AnEmptyDrawAreaStopsEveryDraw) {
  const unsigned white = GetColor(255, 255, 255);
  const int graph = display_.LoadPicture("g.png", testing_support::MakePicture(8, 8, 4));
  ASSERT_NE(graph, -1);
  rt::SetDrawArea(10, 10, 10, 200);
  EXPECT_EQ(DrawBox(0, 0, 800, 600, white, 1), 0);
  EXPECT_EQ(DrawLine(0, 0, 799, 599, white), 0);
  EXPECT_EQ(DrawCircle(400, 300, 50, white, 1), 0);
  EXPECT_EQ(DrawPixel(10, 10, white), 0);
  EXPECT_EQ(DrawGraph(10, 10, graph, 0), 0);
  // Even a graph that does not exist: nothing is looked at.
  EXPECT_EQ(DrawGraph(10, 10, 12345, 0), 0);
  for (int y = 0; y < 600; y += 37) {
    for (int x = 0; x < 800; x += 41) ASSERT_EQ(Rgb(display_.BackPixel(x, y)), 0u) << x << "," << y;
  }
  rt::SetDrawArea(0, 0, 800, 600);
  EXPECT_EQ(DrawPixel(10, 10, white), 0);
  EXPECT_EQ(Rgb(display_.BackPixel(10, 10)), 0xFFFFFFu);
}

TEST_F(DrawStateTest, SettersClampAndKeepUnchangedValues) {
  EXPECT_EQ(SetDrawBlendMode(1, 300), 0);
  EXPECT_EQ(rt::GetDrawState().blendMode, 1);
  EXPECT_EQ(rt::GetDrawState().blendParam, 255);
  EXPECT_EQ(SetDrawBlendMode(2, -7), 0);
  EXPECT_EQ(rt::GetDrawState().blendParam, 0);
  EXPECT_EQ(SetDrawBright(-1, 128, 999), 0);
  EXPECT_EQ(rt::GetDrawState().brightColor, 0x000080FFu);
  rt::SetDrawBrightColor(0xAB123456);
  EXPECT_EQ(rt::GetDrawState().brightColor, 0x123456u);

  // While drawing is suppressed the setters change nothing; the bright colour has no such
  // guard.
  rt::GetDrawState().drawSuppressed = 1;
  EXPECT_EQ(SetDrawBlendMode(4, 10), 0);
  rt::SetDrawArea(1, 2, 3, 4);
  EXPECT_EQ(SetDrawScreen(kDrawScreenFront), 0);
  EXPECT_EQ(SetDrawBright(1, 2, 3), 0);
  rt::GetDrawState().drawSuppressed = 0;
  EXPECT_EQ(rt::GetDrawState().blendMode, 2);
  EXPECT_TRUE(SameRect(Area(), RECT{0, 0, 800, 600}));
  EXPECT_EQ(rt::GetDrawScreen(), kDrawScreenBack);
  EXPECT_EQ(rt::GetDrawState().brightColor, 0x010203u);
}

TEST_F(DrawStateTest, BlendGraphMustBeAGraphAndBuildsItsTable) {
  EXPECT_EQ(rt::SetBlendGraph(0x08001234, 0, 0), -1);
  EXPECT_EQ(rt::GetDrawState().blendGraph, -1);
  const int graph = display_.LoadPicture("b.png", testing_support::MakePicture(8, 8, 4));
  EXPECT_EQ(rt::SetBlendGraph(graph, 300, -5), 0);
  EXPECT_EQ(rt::GetDrawState().blendGraph, graph);
  EXPECT_EQ(rt::GetDrawState().blendGraphBorderParam, 255);
  EXPECT_EQ(rt::GetDrawState().blendGraphBorderRange, 0);
  EXPECT_EQ(rt::SetBlendGraph(-1, 0, 0), 0);
}

TEST_F(DrawStateTest, TargetOfAnotherSizeResetsTheAreaTheSameSizeKeepsIt) {
  rt::SetDrawValidGraphCreateFlag(1);
  const int small = rt::MakeGraph(64, 32, 0, 0, 0);
  const int screenSized = rt::MakeGraph(800, 600, 0, 0, 0);
  rt::SetDrawValidGraphCreateFlag(0);
  ASSERT_NE(small, -1);
  ASSERT_NE(screenSized, -1);

  rt::SetDrawArea(100, 100, 200, 200);
  EXPECT_EQ(SetDrawScreen(screenSized), 0);
  EXPECT_TRUE(SameRect(Area(), RECT{100, 100, 200, 200}));
  EXPECT_EQ(SetDrawScreen(small), 0);
  EXPECT_TRUE(SameRect(Area(), RECT{0, 0, 64, 32}));
  EXPECT_EQ(rt::GetDrawState().targetWidth, 64);
  EXPECT_EQ(rt::GetDrawState().targetHeight, 32);

  // A refused target brings the previous one back with its area.
  rt::SetDrawArea(1, 2, 30, 20);
  EXPECT_EQ(SetDrawScreen(0x08007777), -1);
  EXPECT_EQ(rt::GetDrawScreen(), small);
  EXPECT_TRUE(SameRect(Area(), RECT{1, 2, 30, 20}));
}

TEST_F(DrawStateTest, FallingBackToAScreenThatIsGoneEndsOnTheBackScreen) {
  rt::SetDrawValidGraphCreateFlag(1);
  const int graph = rt::MakeGraph(64, 32, 0, 0, 0);
  rt::SetDrawValidGraphCreateFlag(0);
  ASSERT_EQ(SetDrawScreen(graph), 0);
  ASSERT_EQ(DeleteGraph(graph), 0);
  // The deleted target was replaced by the back screen; make the state name the dead graph
  // again, as a target that went away under it would.
  rt::GetDrawState().drawScreen = graph;
  EXPECT_EQ(SetDrawScreen(0x08007777), -1);
  EXPECT_EQ(rt::GetDrawScreen(), kDrawScreenBack);
  EXPECT_EQ(rt::GetDrawTarget().targetMemImg, &rt::GetOutputSurfaces().backImage);
}

TEST_F(DrawStateTest, DeletingTheDrawScreenGraphSelectsTheBackScreen) {
  rt::SetDrawValidGraphCreateFlag(1);
  const int graph = rt::MakeGraph(64, 32, 0, 0, 0);
  rt::SetDrawValidGraphCreateFlag(0);
  ASSERT_EQ(SetDrawScreen(graph), 0);
  ASSERT_EQ(DeleteGraph(graph), 0);
  EXPECT_EQ(rt::GetDrawScreen(), kDrawScreenBack);
  // Drawing goes on into the back screen, not into the freed graph.
  EXPECT_EQ(DrawPixel(3, 3, GetColor(255, 0, 0)), 0);
  EXPECT_EQ(Rgb(display_.BackPixel(3, 3)), 0xFF0000u);
}

TEST_F(DrawStateTest, ClearFillsTheTargetWithBlack) {
  DrawBox(0, 0, 800, 600, GetColor(10, 20, 30), 1);
  EXPECT_EQ(ClearDrawScreen(), 0);
  EXPECT_EQ(display_.BackPixel(799, 599), 0xFF000000u);
  EXPECT_EQ(display_.BackPixel(0, 0), 0xFF000000u);
}

TEST(ScreenStateTest, DefaultsBeforeAnyModeAndRefusedModes) {
  HeadlessRuntime runtime;
  rt::ResetDisplayState();
  int w = 0, h = 0, bits = 0;
  rt::GetScreenState(&w, &h, &bits);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(bits, 16);
  int gw = 0, gh = 0;
  EXPECT_EQ(rt::GetGraphSize(kDrawScreenBack, &gw, &gh), 0);
  EXPECT_EQ(gw, 640);

  EXPECT_EQ(SetScreenMode(800, 600, 32, 60), 0);
  EXPECT_EQ(SetScreenMode(800, 600, 24, 60), -1);
  EXPECT_EQ(SetScreenMode(0, 600, 32, 60), -1);
  EXPECT_EQ(SetScreenMode(-800, 600, 32, 60), -1);
  rt::GetScreenState(&w, &h, &bits);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  EXPECT_EQ(bits, 32);
}

struct ColorCase {
  int bits;
  int r, g, b;
  uint32_t expected;
};

TEST(GetColorTest, PacksForTheScreenFormat) {
  const ColorCase cases[] = {
      {32, 255, 255, 255, 0xFFFFFFFF}, {32, 255, 0, 0, 0xFFFF0000}, {32, 1, 2, 3, 0xFF010203},
      {32, 300, -4, 0, 0xFFFF0000},    {16, 255, 255, 255, 0xFFFF}, {16, 255, 0, 0, 0xF800},
      {16, 0, 255, 0, 0x07E0},         {16, 8, 4, 8, 0x0821},
  };
  for (const int bits : {32, 16}) {
    RunningDisplay display(bits);
    ASSERT_TRUE(display.started());
    for (const ColorCase& c : cases) {
      if (c.bits != bits) continue;
      EXPECT_EQ(GetColor(c.r, c.g, c.b), c.expected) << bits << ": " << c.r << "," << c.g << "," << c.b;
    }
    int r = -1, g = -1, b = -1;
    rt::GetColorComponents(GetColor(255, 0, 0), &r, &g, &b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 0);
    // The screen images follow the depth asked for.
    EXPECT_EQ(rt::GetOutputSurfaces().backImage.kind, bits == 16 ? rt::kMemImgKind565 : rt::kMemImgKindXRGB);
  }
}

}  // namespace
