// The polygon draw and thick lines on the software screen, and the mask around the draws.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "runtime/api.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_primitives.h"
#include "runtime/display/draw_state.h"
#include "runtime/image/mask_screen.h"
#include "tests/support/display_fixture.h"
#include "tests/support/golden_image.h"

#ifndef RT_GOLDEN_DIR
#error "RT_GOLDEN_DIR names the folder of the expected pictures"
#endif

namespace {

using testing_support::Picture;
using testing_support::Rgb;
using testing_support::Rgba;
using testing_support::RunningDisplay;

// A 16 x 16 checker of two colours with a black (transparent) corner.
Picture Checker() {
  Picture p{16, 16, std::vector<Rgba>(256)};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool dark = ((x / 4) + (y / 4)) % 2 == 0;
      p.At(x, y) = x < 4 && y < 4 ? Rgba{0, 0, 0, 255} : dark ? Rgba{40, 90, 200, 255} : Rgba{250, 220, 60, 255};
    }
  }
  return p;
}

rt::PolygonInputVertex In(float x, float y, float u, float v, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  return rt::PolygonInputVertex{x, y, u, v, b, g, r, a};
}

class PolygonDrawTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(display_.started()); }
  void TearDown() override { rt::EndMaskScreen(); }
  uint32_t Back(int x, int y) { return Rgb(display_.BackPixel(x, y)); }
  RunningDisplay display_;
};

TEST_F(PolygonDrawTest, ThickLinesAreDrawnInTheirColour) {
  DrawBox(0, 0, 800, 600, GetColor(0, 0, 0), 1);
  EXPECT_EQ(rt::DrawLineImpl(100, 100, 200, 100, GetColor(255, 0, 0), 4), 0);
  // Four pixels wide across the line, centred on it.
  for (int y = 96; y < 106; ++y) {
    const bool inside = y >= 98 && y < 102;
    EXPECT_EQ(Back(150, y) != 0, inside) << y;
  }
  // The vertex colours tint the white stand-in texture: 255 comes out as 254.
  EXPECT_EQ(Back(150, 100), 0xFE0000u);
  EXPECT_EQ(Back(99, 100), 0u);
  EXPECT_EQ(Back(201, 100), 0u);
  // A slanted line covers its middle and nothing far off it.
  EXPECT_EQ(rt::DrawLineImpl(300, 300, 400, 400, GetColor(0, 255, 0), 6), 0);
  EXPECT_EQ(Back(350, 350), 0x00FE00u);
  EXPECT_EQ(Back(360, 340), 0u);
}

TEST_F(PolygonDrawTest, PolygonsFollowTheBlendModeAndTheirVertexAlpha) {
  DrawBox(0, 0, 800, 600, GetColor(0, 0, 200), 1);
  const rt::PolygonInputVertex quad[4] = {In(10, 10, 0, 0, 200, 100, 0), In(50, 10, 1, 0, 200, 100, 0),
                                          In(10, 50, 0, 1, 200, 100, 0), In(50, 50, 1, 1, 200, 100, 0)};
  SetDrawBlendMode(1, 128);
  EXPECT_EQ(rt::DrawPolygon2D(quad, 4, rt::kPolygonTriangleStrip, rt::kPolygonNoTexture, 0), 0);
  SetDrawBlendMode(0, 255);
  // Alpha 255 scaled by the parameter 128 gives 128: halfway between blue and the colour
  // (200 * 255 >> 8 = 199, 100 * 255 >> 8 = 99).
  const uint32_t p = Back(30, 30);
  EXPECT_EQ((p >> 16) & 0xFF, (0u * 256 + (199u - 0) * 128) >> 8);
  EXPECT_EQ(p & 0xFF, (200u * 256 - 200u * 128) >> 8);
}

// A scene of polygons through the display's polygon draw, compared with a picture kept
// beside this test.
TEST_F(PolygonDrawTest, GoldenPolygonScene) {
  const int checker = display_.LoadPicture("checker.png", Checker());
  ASSERT_NE(checker, -1);
  DrawBox(0, 0, 800, 600, GetColor(20, 30, 40), 1);
  // A fan with a colour per vertex.
  const rt::PolygonInputVertex fan[6] = {
      In(60, 60, 0, 0, 255, 255, 255), In(60, 10, 0, 0, 255, 0, 0),   In(105, 35, 0, 0, 255, 255, 0),
      In(105, 85, 0, 0, 0, 255, 0),    In(60, 110, 0, 0, 0, 255, 255), In(15, 85, 0, 0, 0, 0, 255)};
  EXPECT_EQ(rt::DrawPolygon2D(fan, 6, rt::kPolygonTriangleFan, rt::kPolygonNoTexture, 0), 0);
  // A textured quad, skewed, with its black corner transparent.
  const rt::PolygonInputVertex quad[4] = {In(130, 20, 0, 0, 255, 255, 255), In(190, 30, 1, 0, 255, 255, 255),
                                          In(120, 90, 0, 1, 255, 255, 255), In(185, 100, 1, 1, 255, 255, 255)};
  EXPECT_EQ(rt::DrawPolygon2D(quad, 4, rt::kPolygonTriangleStrip, checker, 1), 0);
  // The same texture tinted and added.
  SetDrawBlendMode(2, 200);
  const rt::PolygonInputVertex list[3] = {In(40, 100, 0, 0, 255, 80, 80), In(150, 110, 1, 0, 80, 255, 80),
                                          In(90, 150, 0.5f, 1, 80, 80, 255)};
  EXPECT_EQ(rt::DrawPolygon2D(list, 3, rt::kPolygonTriangleList, checker, 0), 0);
  SetDrawBlendMode(0, 255);
  // Thick lines at several angles and widths, one under a bright colour.
  for (int i = 0; i < 6; ++i) {
    rt::DrawLineImpl(10 + i * 30, 180, 30 + i * 28, 130 + i * 4, GetColor(255, 40 * i, 255 - 40 * i), 2 + i);
  }
  SetDrawBright(128, 255, 128);
  rt::DrawLineImpl(10, 190, 190, 195, GetColor(255, 255, 255), 3);
  SetDrawBright(255, 255, 255);

  const int kW = 200, kH = 200;
  std::vector<uint8_t> rgb;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const uint32_t p = Back(x, y);
      rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    }
  }
  EXPECT_TRUE(testing_support::MatchesGolden(RT_GOLDEN_DIR, "polygons", rgb, kW, kH));
}

// ---- The mask ----

TEST_F(PolygonDrawTest, MaskUseNeedsMaskData) {
  EXPECT_EQ(rt::SetUseMaskScreenFlag(1), -1);
  EXPECT_EQ(rt::GetDrawState().maskDrawActive, 0);
  EXPECT_EQ(rt::EndMaskScreen(), 0);
  EXPECT_EQ(rt::GetUseMaskScreenFlag(), 0);
}

TEST_F(PolygonDrawTest, MaskedPixelsKeepTheirColourThroughADraw) {
  DrawBox(0, 0, 800, 600, GetColor(0, 0, 255), 1);
  ASSERT_EQ(rt::CreateMaskScreen(1, 1), 0);
  rt::MaskState& mask = rt::GetMaskState();
  ASSERT_NE(mask.data, nullptr);
  ASSERT_EQ(mask.width, 800);
  // Mask the left half of a 20 x 10 box.
  for (int y = 10; y < 20; ++y) std::memset(mask.data + y * mask.pitch + 10, 1, 10);
  ASSERT_EQ(rt::SetUseMaskScreenFlag(1), 0);
  EXPECT_EQ(rt::GetDrawState().maskDrawActive, 1);

  // A box and a thick line over the masked place, one of them black: the key colour of the
  // mask, which must reach the screen where the mask is free.
  EXPECT_EQ(DrawBox(5, 5, 35, 25, GetColor(255, 0, 0), 1), 0);
  EXPECT_EQ(DrawBox(25, 12, 35, 14, GetColor(0, 0, 0), 1), 0);
  EXPECT_EQ(rt::DrawLineImpl(0, 22, 40, 22, GetColor(0, 255, 0), 3), 0);
  EXPECT_EQ(Back(12, 12), 0x0000FFu);  // masked
  EXPECT_EQ(Back(19, 19), 0x0000FFu);
  EXPECT_EQ(Back(22, 12), 0xFF0000u);  // free
  EXPECT_EQ(Back(8, 8), 0xFF0000u);
  EXPECT_EQ(Back(30, 13), 0x000000u);
  EXPECT_EQ(Back(30, 22), 0x00FE00u);

  // Mask drawing off: the masked pixels are drawn again.
  ASSERT_EQ(rt::SetUseMaskScreenFlag(0), 0);
  EXPECT_EQ(rt::GetDrawState().maskDrawActive, 0);
  EXPECT_EQ(DrawBox(5, 5, 35, 25, GetColor(255, 0, 0), 1), 0);
  EXPECT_EQ(Back(12, 12), 0xFF0000u);

  // Reversed: the zero bytes are the masked ones.
  ASSERT_EQ(rt::SetUseMaskScreenFlag(1), 0);
  mask.reverse = 1;
  EXPECT_EQ(DrawBox(0, 0, 40, 40, GetColor(0, 255, 0), 1), 0);
  EXPECT_EQ(Back(12, 12), 0x00FF00u);
  EXPECT_EQ(Back(30, 30), 0x0000FFu);
  EXPECT_EQ(Back(22, 12), 0xFF0000u);
  mask.reverse = 0;

  EXPECT_EQ(rt::EndMaskScreen(), 0);
  EXPECT_EQ(mask.data, nullptr);
  EXPECT_EQ(rt::GetDrawState().maskDrawActive, 0);
  EXPECT_EQ(rt::GetDrawState().maskScreenInUse, 0);
}

}  // namespace
