#include "runtime/display/draw_primitives.h"

#include <gtest/gtest.h>

#include "runtime/api.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_state.h"
#include "runtime/display/screen_flip.h"
#include "runtime/image/graph_table.h"
#include "tests/support/display_fixture.h"

namespace {

using testing_support::Picture;
using testing_support::Rgb;
using testing_support::Rgba;
using testing_support::RunningDisplay;

constexpr uint32_t kRed = 0xFF0000;

// A 6 x 4 picture: black in the left column (the transparent colour), the rest coloured by
// position.
Picture Sprite() {
  Picture p;
  p.width = 6;
  p.height = 4;
  p.pixels.resize(24);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      p.At(x, y) = x == 0 ? Rgba{0, 0, 0, 255} : Rgba{uint8_t(40 * x), uint8_t(50 * y + 20), 200, 255};
    }
  }
  return p;
}

uint32_t SpriteRgb(int x, int y) {
  return x == 0 ? 0 : uint32_t(40 * x) << 16 | uint32_t(50 * y + 20) << 8 | 200;
}

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(display_.started());
    sprite_ = display_.LoadPicture("sprite.png", Sprite());
    ASSERT_NE(sprite_, -1);
  }
  void FillBack(unsigned color) { DrawBox(0, 0, 800, 600, color, 1); }
  uint32_t Back(int x, int y) { return Rgb(display_.BackPixel(x, y)); }
  platform::RecordingPresenter& presenter() { return display_.runtime().presenter(); }

  RunningDisplay display_;
  int sprite_ = -1;
};

TEST_F(DrawTest, GraphIsCopiedAndItsBlackSkippedWhenTransparent) {
  FillBack(GetColor(255, 0, 0));
  EXPECT_EQ(DrawGraph(10, 20, sprite_, 1), 0);
  EXPECT_EQ(DrawGraph(30, 20, sprite_, 0), 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(Back(10 + x, 20 + y), x == 0 ? kRed : SpriteRgb(x, y)) << x << "," << y;
      EXPECT_EQ(Back(30 + x, 20 + y), SpriteRgb(x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(Back(16, 20), kRed);
  EXPECT_EQ(DrawGraph(0, 0, 0x08007777, 0), -1);
}

TEST_F(DrawTest, RectGraphDrawsOnlyItsRectangleAndKeepsTheArea) {
  FillBack(GetColor(255, 0, 0));
  RECT before{};
  rt::GetDrawArea(&before);
  // The part (2, 1)-(5, 3) of the sprite at (100, 100).
  EXPECT_EQ(DrawRectGraph(100, 100, 2, 1, 3, 2, sprite_, 0, 0), 0);
  for (int y = -1; y <= 4; ++y) {
    for (int x = -2; x <= 5; ++x) {
      const bool inside = x >= 0 && x < 3 && y >= 0 && y < 2;
      EXPECT_EQ(Back(100 + x, 100 + y), inside ? SpriteRgb(2 + x, 1 + y) : kRed) << x << "," << y;
    }
  }
  RECT after{};
  rt::GetDrawArea(&after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.right, before.right);
  EXPECT_EQ(after.bottom, before.bottom);
}

TEST_F(DrawTest, RefusedArgumentsThatWouldDivideByZero) {
  EXPECT_EQ(DrawRectGraphStretched(0, 0, 100, 100, 0, 0, 0, 4, sprite_, 0), -1);
  EXPECT_EQ(DrawRectGraphStretched(0, 0, 100, 100, 0, 0, 6, 0, sprite_, 0), -1);
  EXPECT_EQ(rt::DrawThickLine(50, 50, 50, 50, GetColor(255, 255, 255), 3), -1);
}

TEST_F(DrawTest, BoxWithReversedCornersIsTheSameBox) {
  for (const int fill : {1, 0}) {
    ClearDrawScreen();
    DrawBox(10, 10, 20, 16, GetColor(255, 0, 0), fill);
    std::vector<uint32_t> ordered;
    for (int y = 8; y < 18; ++y) {
      for (int x = 8; x < 22; ++x) ordered.push_back(Back(x, y));
    }
    ClearDrawScreen();
    DrawBox(20, 16, 10, 10, GetColor(255, 0, 0), fill);
    size_t i = 0;
    for (int y = 8; y < 18; ++y) {
      for (int x = 8; x < 22; ++x) EXPECT_EQ(Back(x, y), ordered[i++]) << fill << ": " << x << "," << y;
    }
    // Right and bottom are outside the box; the outline is on the inside edges.
    EXPECT_EQ(Back(10, 10), kRed);
    EXPECT_EQ(Back(19, 15), kRed);
    EXPECT_EQ(Back(20, 15), 0u);
    EXPECT_EQ(Back(15, 13), fill ? kRed : 0u);
  }
}

TEST_F(DrawTest, ShapesFollowTheirEdgeRules) {
  const unsigned white = GetColor(255, 255, 255);
  EXPECT_EQ(DrawCircle(100, 100, -3, white, 1), 0);
  EXPECT_EQ(Back(100, 100), 0u);
  // A line runs up to its end point, which it leaves out.
  EXPECT_EQ(DrawLine(10, 50, 14, 50, white), 0);
  EXPECT_EQ(Back(10, 50), 0xFFFFFFu);
  EXPECT_EQ(Back(13, 50), 0xFFFFFFu);
  EXPECT_EQ(Back(14, 50), 0u);
  EXPECT_EQ(DrawPixel(799, 599, white), 0);
  EXPECT_EQ(Back(799, 599), 0xFFFFFFu);
  EXPECT_EQ(DrawPixel(800, 600, white), 0);
}

TEST_F(DrawTest, PolygonTypesCheckTheirVertexCounts) {
  const rt::PolygonInputVertex v[4] = {};
  EXPECT_EQ(rt::DrawPolygon2D(v, 4, rt::kPolygonTriangleList, rt::kPolygonNoTexture, 0), -1);
  EXPECT_EQ(rt::DrawPolygon2D(v, 2, rt::kPolygonTriangleStrip, rt::kPolygonNoTexture, 0), -1);
  EXPECT_EQ(rt::DrawPolygon2D(v, 2, rt::kPolygonTriangleFan, rt::kPolygonNoTexture, 0), -1);
  EXPECT_EQ(rt::DrawPolygon2D(v, 4, 9, rt::kPolygonNoTexture, 0), 0);
  EXPECT_EQ(rt::DrawPolygon2D(v, 3, rt::kPolygonTriangleList, 0x08007777, 0), -1);
}

TEST_F(DrawTest, BlendGraphSmallerThanTheGraphRefusesTheDraw) {
  Picture tiny;
  tiny.width = 2;
  tiny.height = 2;
  tiny.pixels.assign(4, Rgba{255, 255, 255, 255});
  const int blend = display_.LoadPicture("tiny.png", tiny);
  ASSERT_EQ(rt::SetBlendGraph(blend, 128, 255), 0);
  EXPECT_EQ(DrawGraph(0, 0, sprite_, 0), -1);
  EXPECT_EQ(DrawGraph(0, 0, blend, 0), 0);
  rt::SetBlendGraph(-1, 0, 0);
}

TEST_F(DrawTest, FlipPresentsTheBackScreen) {
  FillBack(GetColor(0, 0, 255));
  DrawPixel(5, 6, GetColor(255, 0, 0));
  const int shows = presenter().showCount;
  const uint64_t flips = rt::GetScreenFlipCount();
  EXPECT_EQ(FlipScreen(), 0);
  EXPECT_EQ(presenter().showCount, shows + 1);
  EXPECT_EQ(rt::GetScreenFlipCount(), flips + 1);
  const platform::RecordingPresenter::Frame& frame = presenter().Last();
  ASSERT_EQ(frame.width, 800);
  ASSERT_EQ(frame.height, 600);
  EXPECT_EQ(frame.Pixel(5, 6) & 0xFFFFFF, kRed);
  EXPECT_EQ(frame.Pixel(0, 0) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(DrawTest, FlipOnTheFrontScreenShowsNothing) {
  ASSERT_EQ(SetDrawScreen(kDrawScreenFront), 0);
  const int shows = presenter().showCount;
  const uint64_t flips = rt::GetScreenFlipCount();
  // There is no vertical blank to wait for on the software display.
  EXPECT_EQ(FlipScreen(), -1);
  EXPECT_EQ(presenter().showCount, shows);
  EXPECT_EQ(rt::GetScreenFlipCount(), flips + 1);
}

TEST_F(DrawTest, FrontScreenDrawsShowAtOnceOverWhatTheWindowShows) {
  FillBack(GetColor(0, 0, 255));
  FlipScreen();
  ASSERT_EQ(SetDrawScreen(kDrawScreenFront), 0);
  const int shows = presenter().showCount;
  // Reversed corners: the box and the rectangle shown are the ordered ones.
  EXPECT_EQ(DrawBox(30, 30, 20, 20, GetColor(255, 0, 0), 1), 0);
  EXPECT_EQ(presenter().showCount, shows + 1);
  const platform::RecordingPresenter::Frame& frame = presenter().Last();
  EXPECT_EQ(frame.Pixel(25, 25) & 0xFFFFFF, kRed);
  // The rest of the window still shows the flipped back screen, which the front image took
  // from the window before the draw.
  EXPECT_EQ(frame.Pixel(100, 100) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(Rgb(display_.FrontPixel(100, 100)), 0x0000FFu);
  EXPECT_EQ(Rgb(display_.FrontPixel(25, 25)), kRed);
}

}  // namespace
