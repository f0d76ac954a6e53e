// A mixed Japanese and ASCII line in the default face at size 12, thickness 2, plain and
// edged, rendered with the installed Gothic and compared with a checked-in picture (the
// golden-image convention of tests/support/golden_image.h).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/font/font.h"
#include "tests/runtime/font/font_fixture.h"
#include "tests/support/golden_image.h"
#include "tests/support/memimg_fixture.h"

namespace {

using font_testing::FontTest;
using testsupport::OwnedMemImg;

constexpr int kWidth = 272;
constexpr int kHeight = 44;
constexpr char kLine[] = "ミッション開始 Stage 1-2：潜入せよ！";

std::string GoldenDir() { return FONT_GOLDEN_DIR; }

class GoldenTextTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    platform::SetGlyphSource(nullptr);  // the installed Gothic
  }
};

TEST_F(GoldenTextTest, MixedLinePlainAndEdged) {
  rt::SetFontSizeImpl(12);
  rt::SetFontThicknessImpl(2);
  const int plain = rt::GetDefaultFontHandle();
  ASSERT_NE(plain, -1);
  const int edged = rt::CreateFontToHandle(nullptr, 12, 2, rt::kFontTypeEdge, -1, -1, 0, -1, -1);
  ASSERT_NE(edged, -1);

  OwnedMemImg target;
  ASSERT_EQ(rt::InitMemImg(target.get(), kWidth, kHeight, -1, 0, rt::kMemImgKindXRGB, 0, 0, 0), 0);
  rt::FillMemImg(target.get(), nullptr, 0xFF203050);
  const RECT clip{0, 0, kWidth, kHeight};
  const int width = rt::DrawCachedStringToHandle(rt::kStringModeDraw, 4, 4, 0, 1.0, 1.0, kLine, 0xFFFFFFFF,
                                                 target.get(), &clip, 0, plain, 0, -1, 0, nullptr);
  EXPECT_GT(width, 0);
  EXPECT_EQ(width, rt::GetDrawStringWidthToHandle(kLine, -1, plain, 0));
  rt::DrawCachedStringToHandle(rt::kStringModeDraw, 4, 24, 0, 1.0, 1.0, kLine, 0xFFFFE040, target.get(), &clip, 0,
                               edged, 0xFF000000, -1, 0, nullptr);

  EXPECT_TRUE(testing_support::MatchesGolden(GoldenDir(), "mixed_line_12_2", testsupport::MemImgToRgb(target.img), kWidth, kHeight));
}

}  // namespace
