// The glyph source: FreeType fonts as the fonts subsystem and the data set's text use them,
// and the fake that tests install in its place.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/glyph_source.h"
#include "platform/glyph_source_fake.h"

namespace {

using platform::FontRequest;
using platform::GlyphFormat;
using platform::GlyphMetrics;

constexpr uint32_t kHalfA = 0x41;
constexpr uint32_t kHiraganaA = 0x82A0;   // "あ" in code page 932
constexpr uint32_t kFullSpace = 0x8140;
constexpr uint32_t kHalfKatakanaA = 0xB1;  // "ｱ"

std::unique_ptr<platform::GlyphFont> MakeFont(int height, int weight = 400, const std::string& face = "") {
  FontRequest request;
  request.height = height;
  request.weight = weight;
  request.faceName = face;
  return platform::GetGlyphSource().CreateFont(request);
}

struct Glyph {
  int size = -1;
  GlyphMetrics metrics;
  std::vector<uint8_t> bits;
};

Glyph Render(platform::GlyphFont& font, uint32_t code, GlyphFormat format) {
  Glyph g;
  g.size = font.GetGlyph(code, format, &g.metrics, nullptr, 0);
  if (g.size > 0) {
    g.bits.assign(static_cast<size_t>(g.size), 0xEE);
    EXPECT_EQ(font.GetGlyph(code, format, &g.metrics, g.bits.data(), g.bits.size()), g.size);
  }
  return g;
}

TEST(GlyphSourceTest, MetricsFollowTheCellHeight) {
  for (int height : {12, 16, 24}) {
    auto font = MakeFont(height);
    ASSERT_NE(font, nullptr) << "no Japanese Gothic face on this machine";
    const platform::TextMetrics& m = font->Metrics();
    EXPECT_EQ(m.tmHeight, height);
    EXPECT_EQ(m.tmAscent + m.tmDescent, height);
    EXPECT_GT(m.tmAscent, height / 2);
    // A fixed-pitch Japanese face: the widest character is a full-width one, about the em.
    EXPECT_GE(m.tmMaxCharWidth, height * 3 / 4);
    EXPECT_LE(m.tmMaxCharWidth, height + 2);
  }
}

TEST(GlyphSourceTest, BothFormatsGiveTheSameBoxWithPaddedRows) {
  auto font = MakeFont(16);
  ASSERT_NE(font, nullptr);
  for (uint32_t code : {kHalfA, kHiraganaA, kHalfKatakanaA, uint32_t{'.'}}) {
    const Glyph mono = Render(*font, code, GlyphFormat::kBitmap1);
    const Glyph gray = Render(*font, code, GlyphFormat::kGray17);
    ASSERT_GT(mono.size, 0) << std::hex << code;
    ASSERT_GT(gray.size, 0) << std::hex << code;
    for (const Glyph* g : {&mono, &gray}) {
      EXPECT_GE(g->metrics.blackBoxX, 1);
      EXPECT_GE(g->metrics.blackBoxY, 1);
      EXPECT_EQ(g->size % g->metrics.blackBoxY, 0);
      EXPECT_EQ(g->size / g->metrics.blackBoxY % 4, 0) << "rows are padded to 4 bytes";
      EXPECT_LE(g->metrics.originY, font->Metrics().tmAscent + 2) << "the box starts inside the cell";
    }
    EXPECT_EQ(mono.size / mono.metrics.blackBoxY, platform::GlyphRowBytes(GlyphFormat::kBitmap1, mono.metrics.blackBoxX));
    EXPECT_EQ(gray.size / gray.metrics.blackBoxY, platform::GlyphRowBytes(GlyphFormat::kGray17, gray.metrics.blackBoxX));
    EXPECT_EQ(mono.metrics.cellIncX, gray.metrics.cellIncX);
    // Grey levels run 0..16 with full ink somewhere; padding bytes stay 0.
    const int rowBytes = gray.size / gray.metrics.blackBoxY;
    int full = 0;
    for (int y = 0; y < gray.metrics.blackBoxY; ++y) {
      for (int x = 0; x < rowBytes; ++x) {
        const uint8_t v = gray.bits[static_cast<size_t>(y * rowBytes + x)];
        EXPECT_LE(v, 16);
        if (x >= gray.metrics.blackBoxX) {
          EXPECT_EQ(v, 0);
        }
        if (v == 16) ++full;
      }
    }
    EXPECT_GT(full, 0) << std::hex << code;
    EXPECT_NE(std::count(mono.bits.begin(), mono.bits.end(), 0), static_cast<long>(mono.bits.size()));
  }
}

TEST(GlyphSourceTest, SpacesAdvanceWithoutInk) {
  auto font = MakeFont(16);
  ASSERT_NE(font, nullptr);
  const Glyph half = Render(*font, ' ', GlyphFormat::kGray17);
  const Glyph full = Render(*font, kFullSpace, GlyphFormat::kBitmap1);
  EXPECT_EQ(half.size, 0);
  EXPECT_EQ(full.size, 0);
  EXPECT_EQ(half.metrics.blackBoxX, 0);
  EXPECT_EQ(full.metrics.blackBoxY, 0);
  EXPECT_GT(half.metrics.cellIncX, 0);
  EXPECT_EQ(full.metrics.cellIncX, 2 * half.metrics.cellIncX) << "full width is twice half width";
  EXPECT_EQ(Render(*font, kHiraganaA, GlyphFormat::kGray17).metrics.cellIncX, full.metrics.cellIncX);
}

TEST(GlyphSourceTest, ASmallBufferIsNotWritten) {
  auto font = MakeFont(16);
  ASSERT_NE(font, nullptr);
  GlyphMetrics m;
  const int size = font->GetGlyph(kHiraganaA, GlyphFormat::kGray17, &m, nullptr, 0);
  ASSERT_GT(size, 4);
  std::vector<uint8_t> small(static_cast<size_t>(size - 1), 0xAB);
  EXPECT_EQ(font->GetGlyph(kHiraganaA, GlyphFormat::kGray17, &m, small.data(), small.size()), size);
  EXPECT_EQ(std::count(small.begin(), small.end(), 0xAB), static_cast<long>(small.size()));
}

TEST(GlyphSourceTest, WeightItalicAndFacesThatAreMissing) {
  auto regular = MakeFont(16, 400);
  auto bold = MakeFont(16, 700);
  ASSERT_TRUE(regular && bold);
  EXPECT_EQ(Render(*bold, kHalfA, GlyphFormat::kGray17).metrics.cellIncX,
            Render(*regular, kHalfA, GlyphFormat::kGray17).metrics.cellIncX + 1);
  EXPECT_GT(Render(*bold, 'l', GlyphFormat::kBitmap1).metrics.blackBoxX,
            Render(*regular, 'l', GlyphFormat::kBitmap1).metrics.blackBoxX);
  FontRequest italic;
  italic.height = 16;
  italic.italic = true;
  auto slanted = platform::GetGlyphSource().CreateFont(italic);
  ASSERT_NE(slanted, nullptr);
  EXPECT_GT(Render(*slanted, 'H', GlyphFormat::kGray17).metrics.blackBoxX,
            Render(*regular, 'H', GlyphFormat::kGray17).metrics.blackBoxX);
  // The default face's name and an unknown face both give the Japanese Gothic.
  for (const char* face : {"ＭＳ ゴシック", "No Such Face 12345"}) {
    auto other = MakeFont(16, 400, face);
    ASSERT_NE(other, nullptr) << face;
    EXPECT_EQ(other->Metrics().tmAscent, regular->Metrics().tmAscent) << face;
    EXPECT_EQ(Render(*other, kHiraganaA, GlyphFormat::kGray17).bits,
              Render(*regular, kHiraganaA, GlyphFormat::kGray17).bits) << face;
  }
}

TEST(GlyphSourceTest, CodesOutsideTheCharacterSetStillRender) {
  auto font = MakeFont(16);
  ASSERT_NE(font, nullptr);
  for (uint32_t code : {uint32_t{0x81}, uint32_t{0xFFFF}, uint32_t{0x8100}, uint32_t{0x12345678}}) {
    GlyphMetrics m;
    EXPECT_GE(font->GetGlyph(code, GlyphFormat::kGray17, &m, nullptr, 0), 0) << std::hex << code;
  }
  FontRequest hangul;
  hangul.height = 16;
  hangul.charset = platform::kCharsetHangul;
  auto korean = platform::GetGlyphSource().CreateFont(hangul);
  ASSERT_NE(korean, nullptr);
  GlyphMetrics m;
  EXPECT_GE(korean->GetGlyph(0xB0A1, GlyphFormat::kBitmap1, &m, nullptr, 0), 0);  // "가"
  EXPECT_GT(m.cellIncX, 0);
}

TEST(FakeGlyphSourceTest, StandsInAndRecordsRequests) {
  platform::FakeGlyphSource fake;
  platform::SetGlyphSource(&fake);
  FontRequest request;
  request.height = 16;
  request.faceName = "X";
  auto font = platform::GetGlyphSource().CreateFont(request);
  platform::SetGlyphSource(nullptr);
  ASSERT_NE(font, nullptr);
  ASSERT_EQ(fake.requests.size(), 1u);
  EXPECT_EQ(fake.requests[0].faceName, "X");
  EXPECT_EQ(font->Metrics().tmAscent, 14);

  struct Case {
    uint32_t code;
    int width, advance;
  };
  const Case kCases[] = {{'A', 6, 8}, {kHiraganaA, 14, 16}, {' ', 0, 8}, {kFullSpace, 0, 16}};
  for (const Case& c : kCases) {
    const Glyph g = Render(*font, c.code, GlyphFormat::kGray17);
    EXPECT_EQ(g.metrics.blackBoxX, c.width) << std::hex << c.code;
    EXPECT_EQ(g.metrics.cellIncX, c.advance) << std::hex << c.code;
  }
  // A replaced glyph: wider than the cell and reaching above it, at grey level 5.
  fake.glyphs['W'] = platform::FakeGlyph{20, 18, -2, 17, 16, 5};
  const Glyph wide = Render(*font, 'W', GlyphFormat::kGray17);
  EXPECT_EQ(wide.metrics.blackBoxX, 20);
  EXPECT_EQ(wide.size, 20 * 18);
  EXPECT_EQ(wide.bits[0], 5);
  fake.failCreate = true;
  EXPECT_EQ(fake.CreateFont(request), nullptr);
  EXPECT_EQ(fake.requests.size(), 2u);
}

}  // namespace
