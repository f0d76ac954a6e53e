#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/font/font.h"
#include "runtime/font/glyph_blit.h"
#include "tests/runtime/font/font_fixture.h"
#include "tests/support/memimg_fixture.h"

namespace {

using font_testing::FontTest;
using testsupport::OwnedMemImg;
using testsupport::ReadPixel;

constexpr uint32_t kBackground = 0xFF102030;
constexpr uint32_t kRed = 0xFFFF0000;

TEST(FontLeadByteTest, DoubleByteStartsPerCharacterSet) {
  const struct {
    uint8_t byte;
    int shiftJis, hangul;
  } cases[] = {{0x41, 0, 0}, {0x7F, 0, 0}, {0x80, 0, 1}, {0x81, 1, 1}, {0x9F, 1, 1}, {0xA0, 0, 1},
               {0xDF, 0, 1}, {0xE0, 1, 1}, {0xFC, 1, 1}, {0xFD, 0, 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(rt::IsFontLeadByte(c.byte, rt::kFontCharsetShiftJis), c.shiftJis) << int{c.byte};
    EXPECT_EQ(rt::IsFontLeadByte(c.byte, rt::kFontCharsetDefault), c.shiftJis) << int{c.byte};
    EXPECT_EQ(rt::IsFontLeadByte(c.byte, rt::kFontCharsetHangul), c.hangul) << int{c.byte};
  }
}

class StringTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    font_ = rt::CreateFontToHandle(nullptr, 16, 4, 0, -1, -1, 0, -1, -1);
    ASSERT_NE(font_, -1);
  }

  // A 32-bit target filled with the background colour.
  void MakeTarget(OwnedMemImg& image, int width, int height, int kind = rt::kMemImgKindXRGB, int alpha = 0,
                  uint32_t fill = kBackground) {
    ASSERT_EQ(rt::InitMemImg(image.get(), width, height, -1, 0, kind, 0, alpha, 0), 0);
    rt::FillMemImg(image.get(), nullptr, fill);
  }

  int Draw(OwnedMemImg& target, int x, int y, const char* text, int font, int vertical = 0, uint32_t color = kRed,
           uint32_t edge = 0, int keep = 0, const RECT* clip = nullptr) {
    return rt::DrawCachedStringToHandle(rt::kStringModeDraw, x, y, 0, 1.0, 1.0, text, color, target.get(), clip, keep,
                                        font, edge, -1, vertical, nullptr);
  }

  int font_ = -1;
};

// The fake font of size 16: single-byte characters advance 8, double-byte ones 16; a glyph
// is a solid box from one pixel right of the pen and one row below the cell top, 6 (or 14)
// wide and 13 high.
TEST_F(StringTest, WidthIsTheSumOfAdvancesAndSpace) {
  const struct {
    const char* text;
    int length;
    int width;
  } cases[] = {
      {"abc", -1, 24},
      {"a b", -1, 24},
      {"a\x82\xa0" "b", -1, 32},        // one double-byte character
      {"a\x82\xa0" "b", 2, 24},         // a length inside it still takes all of it
      {"a\x82\xa0" "b", 1, 8},
      {"a\x82\xa0" "b", 100, 32},       // longer than the text: the text
      {"a\x82", -1, 16},                // a lead byte at the very end stands alone
      {"\x81\x40\x81\x40", -1, 32},     // full-width spaces
      {"", -1, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rt::GetDrawStringWidthToHandle(c.text, c.length, font_, 0), c.width) << c.text << " " << c.length;
  }
  // Longer than any fixed record array: every character is read.
  const std::string longText(5000, 'a');
  EXPECT_EQ(rt::GetDrawStringWidthToHandle(longText.c_str(), -1, font_, 0), 5000 * 8);
  rt::SetFontSpaceToHandle(3, font_);
  EXPECT_EQ(rt::GetDrawStringWidthToHandle("a\x82\xa0" "b", -1, font_, 0), 32 + 9);
  EXPECT_EQ(rt::GetDrawStringWidthToHandle(nullptr, -1, font_, 0), 0);
  EXPECT_EQ(rt::GetDrawStringWidthToHandle("abc", -1, font_ + 1, 0), -1);
  rt::GetDrawState().drawSuppressed = 1;
  EXPECT_EQ(rt::GetDrawStringWidthToHandle("abc", -1, font_, 0), -1);
}

TEST_F(StringTest, HangulFontsReadEveryHighByteAsALead) {
  source_.glyphs[0xB0A1] = platform::FakeGlyph{4, 4, 0, 4, 10};
  const int hangul = rt::CreateFontToHandle(nullptr, 16, 4, 0, rt::kFontCharsetHangul, -1, 0, -1, -1);
  EXPECT_EQ(rt::GetDrawStringWidthToHandle("\xb0\xa1", -1, hangul, 0), 10);
  EXPECT_EQ(rt::GetDrawStringWidthToHandle("\xb0\xa1", -1, font_, 0), 16);
}

TEST_F(StringTest, BlockSizeFollowsTheDirection) {
  rt::SIZE size{};
  rt::DrawCachedStringToHandle(rt::kStringModeMeasure, 0, 0, 0, 1.0, 1.0, "ab", 0, nullptr, nullptr, 0, font_, 0, -1, 0,
                               &size);
  EXPECT_EQ(size.cx, 16);
  EXPECT_EQ(size.cy, 16);
  rt::DrawCachedStringToHandle(rt::kStringModeMeasure, 0, 0, 0, 1.0, 1.0, "abc", 0, nullptr, nullptr, 0, font_, 0, -1, 1,
                               &size);
  EXPECT_EQ(size.cx, 16);
  EXPECT_EQ(size.cy, 24);
}

TEST_F(StringTest, GlyphsAreDrawnAtTheirOffsetsAlongThePen) {
  OwnedMemImg target;
  MakeTarget(target, 64, 24);
  EXPECT_EQ(Draw(target, 3, 2, "a b", font_), 24);
  auto inGlyph = [](int x, int y) {
    const bool rows = y >= 2 + 1 && y < 2 + 1 + 13;
    return rows && ((x >= 4 && x < 10) || (x >= 20 && x < 26));  // pens at 3 and 19; the space leaves 11..18
  };
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(ReadPixel(target.img, x, y), inGlyph(x, y) ? kRed : kBackground) << x << "," << y;
    }
  }
}

TEST_F(StringTest, DrawingDimsTheColoursByTheBrightness) {
  OwnedMemImg target;
  MakeTarget(target, 32, 24);
  rt::GetDrawState().brightColor = 0x80FF40;
  Draw(target, 0, 0, "a", font_, 0, 0xFFFFFFFF);
  EXPECT_EQ(ReadPixel(target.img, 2, 5), 0xFF80FF40u);
}

TEST_F(StringTest, DrawingIsClippedToTheClipAndTheTarget) {
  OwnedMemImg target;
  MakeTarget(target, 20, 10);
  const RECT clip{4, 3, 100, 100};
  Draw(target, -2, -4, "aaaa", font_, 0, kRed, 0, 0, &clip);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool inside = x >= 4 && y >= 3 && ((x >= -1 && x < 5) || (x >= 7 && x < 13) || (x >= 15 && x < 21));
      ASSERT_EQ(ReadPixel(target.img, x, y), inside ? kRed : kBackground) << x << "," << y;
    }
  }
}

TEST_F(StringTest, DrawingRendersGlyphsPushedOutOfTheCacheByTheSameString) {
  rt::DeleteFontToHandle(font_);
  rt::GetFontState().cacheSizeSetting = 4;
  const int font = rt::CreateFontToHandle(nullptr, 16, 4, 0, -1, -1, 0, -1, -1);
  OwnedMemImg target;
  MakeTarget(target, 64, 16);
  EXPECT_EQ(Draw(target, 0, 0, "ABCDEFG", font), 56);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(ReadPixel(target.img, i * 8 + 3, 8), kRed) << i;
}

TEST_F(StringTest, VerticalTextTurnsEachGlyphAQuarterClockwise) {
  source_.glyphs['a'] = platform::FakeGlyph{6, 2, 1, 10, 8};  // 6 wide, 2 high, 4 rows below the cell top
  OwnedMemImg target;
  MakeTarget(target, 32, 32);
  EXPECT_EQ(Draw(target, 5, 3, "aa", font_, 1), 16);
  // Spans x from 5 + 16 - 4 - 2 to 5 + 16 - 4, y from 3 + pen + 1 over 6.
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const bool inside = x >= 15 && x < 17 && ((y >= 4 && y < 10) || (y >= 12 && y < 18));
      ASSERT_EQ(ReadPixel(target.img, x, y), inside ? kRed : kBackground) << x << "," << y;
    }
  }
}

TEST_F(StringTest, EdgedTextPutsTheEdgeAroundTheBody) {
  source_.glyphs['a'] = platform::FakeGlyph{1, 1, 0, 10, 8};
  const int edged = rt::CreateFontToHandle(nullptr, 16, 4, 1, -1, 1, 0, -1, -1);
  OwnedMemImg target;
  MakeTarget(target, 16, 16);
  Draw(target, 0, 0, "a", edged, 0, kRed, 0xFF0000FF);
  // The body lies one pixel in from the glyph's corner: 14 - 10 rows down, plus the edge.
  EXPECT_EQ(ReadPixel(target.img, 1, 5), kRed);
  for (auto [x, y] : {std::pair{0, 5}, {2, 5}, {1, 4}, {1, 6}}) EXPECT_EQ(ReadPixel(target.img, x, y), 0xFF0000FFu);
  for (auto [x, y] : {std::pair{0, 4}, {2, 6}}) EXPECT_EQ(ReadPixel(target.img, x, y), kBackground);
  EXPECT_EQ(rt::GetDrawStringWidthToHandle("a", -1, edged, 0), 10);
}

TEST_F(StringTest, DrawStringToHandleGuards) {
  OwnedMemImg target;
  MakeTarget(target, 32, 32);
  rt::GetDrawTarget().targetMemImg = target.get();
  EXPECT_EQ(rt::DrawStringToHandle(0, 0, "", kRed, font_, 0, 0), 0);
  EXPECT_EQ(rt::DrawStringToHandle(0, 0, nullptr, kRed, font_, 0, 0), 0);
  EXPECT_EQ(rt::DrawStringToHandle(font_testing::kScreenWidth, 0, "a", kRed, font_, 0, 0), 0);
  EXPECT_EQ(rt::DrawStringToHandle(0, 0, "a", kRed, font_ + 1, 0, 0), -1);
  EXPECT_NE(Log().find("フォントハンドル値が異常です"), std::string::npos);
  rt::GetDrawState().drawAreaEmpty = 1;
  EXPECT_EQ(rt::DrawStringToHandle(0, 0, "a", kRed, font_ + 1, 0, 0), 0);
  rt::GetDrawState().drawAreaEmpty = 0;
  EXPECT_EQ(ReadPixel(target.img, 2, 5), kBackground);

  EXPECT_EQ(rt::DrawStringToHandle(0, 0, "a", kRed, font_, 0, 0), 0);
  EXPECT_EQ(ReadPixel(target.img, 2, 5), kRed);
  rt::GetDrawTarget().targetMemImg = nullptr;
}

TEST_F(StringTest, DrawStringImplUsesTheDefaultFont) {
  OwnedMemImg target;
  MakeTarget(target, 32, 32);
  rt::GetDrawTarget().targetMemImg = target.get();
  rt::GetFontState().defaults.size = 8;
  EXPECT_EQ(rt::DrawStringImpl(0, 0, "a", kRed, 0), 0);
  EXPECT_EQ(rt::GetFontSizeToHandle(rt::GetDefaultFontHandle()), 8);
  EXPECT_EQ(ReadPixel(target.img, 1, 1), kRed);   // the size-8 box: 2 wide, 6 high from (1, 1)
  EXPECT_EQ(ReadPixel(target.img, 3, 1), kBackground);
  rt::GetDrawTarget().targetMemImg = nullptr;
}

TEST_F(StringTest, BlendedTextIsBlendedOnceAndOnlyWhereItHasInk) {
  OwnedMemImg target;
  MakeTarget(target, 32, 32, rt::kMemImgKindXRGB, 0, 0xFF404040);
  rt::GetDrawTarget().targetMemImg = target.get();
  rt::DrawState& state = rt::GetDrawState();
  state.blendMode = 2;
  state.blendParam = 255;
  state.brightColor = 0x808080;
  EXPECT_EQ(rt::DrawStringToHandle(0, 0, "a", kRed, font_, 0, 0), 0);
  EXPECT_EQ(ReadPixel(target.img, 2, 5), 0xFFC04040u);  // 0x40 + 0xFF x 128 / 255
  EXPECT_EQ(ReadPixel(target.img, 0, 5), 0xFF404040u);
  EXPECT_EQ(ReadPixel(target.img, 2, 0), 0xFF404040u);
  EXPECT_EQ(state.brightColor, 0x808080u);
  EXPECT_EQ(state.drawArea.right, font_testing::kScreenWidth);

  // Black text matches the drawing screen's colour key, which then moves out of its way.
  state.brightColor = 0xFFFFFF;
  state.blendMode = 1;
  state.blendParam = 128;
  EXPECT_EQ(rt::DrawStringToHandle(8, 0, "a", 0xFF000000, font_, 0, 0), 0);
  EXPECT_EQ(ReadPixel(target.img, 10, 5) & 0xFFFFFF, 0x202020u);
  EXPECT_EQ(ReadPixel(target.img, 8, 5), 0xFF404040u);
  rt::GetDrawTarget().targetMemImg = nullptr;
}

TEST_F(StringTest, AntialiasedTextGoesThroughTheDrawingScreensAlpha) {
  source_.glyphs['a'] = platform::FakeGlyph{2, 1, 0, 10, 8, 16};
  source_.glyphs['b'] = platform::FakeGlyph{2, 1, 0, 10, 8, 8};
  const int smooth = rt::CreateFontToHandle(nullptr, 16, 4, rt::kFontTypeAntialias, -1, -1, 0, -1, -1);
  OwnedMemImg target;
  MakeTarget(target, 32, 32, rt::kMemImgKindXRGB, 0, 0xFF000000);
  rt::GetDrawTarget().targetMemImg = target.get();
  EXPECT_EQ(rt::DrawStringToHandle(0, 0, "ab", 0xFFFFFFFF, smooth, 0, 0), 0);
  EXPECT_EQ(ReadPixel(target.img, 0, 4), 0xFFFFFFFFu);
  const uint32_t partial = ReadPixel(target.img, 8, 4) & 0xFF;  // level 8: alpha 7 x 16 of 255
  EXPECT_NEAR(static_cast<int>(partial), 112, 2);
  EXPECT_EQ(ReadPixel(target.img, 2, 4), 0xFF000000u);
  rt::GetDrawTarget().targetMemImg = nullptr;
}

// ---- Pixel writers ----

TEST(GlyphMixTest, BodyAndEdgeLevelsMixTheColours) {
  const rt::GlyphInk ink{255, 0, 0, 0, 0, 255, 0, 0};
  const struct {
    uint8_t level;
    int alpha, r, b;
  } cases[] = {
      {0x0F, 255, 255, 0},  // full body: the text colour, opaque
      {0xFF, 255, 255, 0},
      {0x00, 0, 0, 255},    // nothing
      {0x80, 128, 0, 255},  // edge only: the edge colour at 16 x level
      {0xF0, 240, 0, 255},
      {0x07, 112, 255, 0},  // body only: the text colour at 16 x level
      // (15 - 7) x 15 + 16 x 7 = 232; weight 7 x 4096 / 232 = 123
      {0xF7, 232, 255 * 123 / 256, 255 - 255 * 123 / 256},
  };
  for (const auto& c : cases) {
    int alpha, r, g, b;
    rt::MixGlyphLevel(c.level, ink, &alpha, &r, &g, &b);
    EXPECT_EQ(alpha, c.alpha) << int{c.level};
    EXPECT_EQ(r, c.r) << int{c.level};
    EXPECT_EQ(g, 0) << int{c.level};
    EXPECT_EQ(b, c.b) << int{c.level};
  }
}

class GlyphBlitTest : public ::testing::Test {
 protected:
  void Blit(OwnedMemImg& target, const rt::GlyphCellImage& glyph, int x, int y, bool vertical, bool keep = false) {
    rt::GlyphPaint paint;
    const RECT clip{0, 0, target->width, target->height};
    rt::BlitGlyphToMemImg(target.get(), glyph, x, y, vertical, clip, keep, ink_, &paint);
  }
  rt::GlyphInk ink_{255, 0, 0, 0, 0, 255, 0xE0, 0x03};
};

TEST_F(GlyphBlitTest, TurnedGlyphsKeepTheirShape) {
  // An L: a column on the left and a foot to the right along the bottom row.
  const uint8_t bits[3 * 4] = {0x80, 0, 0, 0, 0x80, 0, 0, 0, 0xE0, 0, 0, 0};
  const rt::GlyphCellImage glyph{bits, 4, 1, 3, 3};
  OwnedMemImg target;
  ASSERT_EQ(rt::InitMemImg(target.get(), 8, 8, -1, 0, rt::kMemImgKindXRGB, 0, 0, 0), 0);
  rt::FillMemImg(target.get(), nullptr, 0);
  Blit(target, glyph, 1, 1, false);
  Blit(target, glyph, 4, 4, true);
  const char* expected[8] = {"........", ".x......", ".x......", ".xxx....",
                             "....xxx.", "....x...", "....x...", "........"};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(ReadPixel(target.img, x, y), expected[y][x] == 'x' ? 0xFFFF0000u : 0u) << x << "," << y;
    }
  }
}

TEST_F(GlyphBlitTest, TargetsWithAlphaTakeTheMixAndClearTheGaps) {
  const uint8_t levels[4] = {0x0F, 0x00, 0x80, 0x07};
  const rt::GlyphCellImage glyph{levels, 4, 8, 4, 1};
  for (bool keep : {false, true}) {
    OwnedMemImg target;
    ASSERT_EQ(rt::InitMemImg(target.get(), 4, 1, -1, 0, rt::kMemImgKindXRGB, 0, 1, 0), 0);
    rt::FillMemImg(target.get(), nullptr, 0x12345678);
    Blit(target, glyph, 0, 0, false, keep);
    EXPECT_EQ(ReadPixel(target.img, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(ReadPixel(target.img, 1, 0), keep ? 0x12345678u : 0u);
    EXPECT_EQ(ReadPixel(target.img, 2, 0), 0x800000FFu);
    EXPECT_EQ(ReadPixel(target.img, 3, 0), 0x70FF0000u);
  }
}

TEST_F(GlyphBlitTest, TargetsWithoutAlphaBlendByCoverage) {
  const uint8_t levels[4] = {0x0F, 0x00, 0xF0, 0x07};
  const rt::GlyphCellImage glyph{levels, 4, 8, 4, 1};
  OwnedMemImg target;
  ASSERT_EQ(rt::InitMemImg(target.get(), 4, 1, -1, 0, rt::kMemImgKindXRGB, 0, 0, 0), 0);
  rt::FillMemImg(target.get(), nullptr, 0xFF000000);
  Blit(target, glyph, 0, 0, false);
  EXPECT_EQ(ReadPixel(target.img, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(ReadPixel(target.img, 1, 0), 0xFF000000u);
  EXPECT_EQ(ReadPixel(target.img, 2, 0), 0xFF0000FFu);  // a full edge covers fully
  EXPECT_EQ(ReadPixel(target.img, 3, 0), 0xFF770000u);  // 112 / 240 of the way: 119

  OwnedMemImg target16;
  ASSERT_EQ(rt::InitMemImg(target16.get(), 4, 1, -1, 0, rt::kMemImgKind565, 0, 0, 0), 0);
  rt::FillMemImg(target16.get(), nullptr, 0);
  Blit(target16, glyph, 0, 0, false);
  EXPECT_EQ(ReadPixel(target16.img, 0, 0), 0xF800u);
  EXPECT_EQ(ReadPixel(target16.img, 1, 0), 0u);
  EXPECT_EQ(ReadPixel(target16.img, 2, 0), 0x001Fu);
  EXPECT_EQ(ReadPixel(target16.img, 3, 0), static_cast<uint32_t>((119 >> 3) << 11));
}

TEST_F(GlyphBlitTest, OneBytePixelsTakeTheScreenColourIndex) {
  const uint8_t bits[4] = {0xA0, 0, 0, 0};
  const rt::GlyphCellImage glyph{bits, 4, 1, 3, 1};
  OwnedMemImg target;
  ASSERT_EQ(rt::InitMemImg(target.get(), 3, 1, -1, 0, rt::kMemImgKind8, 0, 0, 0), 0);
  rt::FillMemImg(target.get(), nullptr, 7);
  Blit(target, glyph, 0, 0, false);
  EXPECT_EQ(ReadPixel(target.img, 0, 0), 0xE0u);
  EXPECT_EQ(ReadPixel(target.img, 1, 0), 7u);
  EXPECT_EQ(ReadPixel(target.img, 2, 0), 0xE0u);
}

}  // namespace
