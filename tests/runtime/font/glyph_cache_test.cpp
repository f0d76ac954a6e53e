#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/font/font.h"
#include "runtime/font/glyph_render.h"
#include "tests/runtime/font/font_fixture.h"

namespace {

using font_testing::FontTest;

const rt::GlyphCell* CellOf(const rt::FontRecord* record, const char* character) {
  rt::CharRecord c{{static_cast<uint8_t>(character[0]), static_cast<uint8_t>(character[1]), 0}};
  if (!rt::IsFontLeadByte(c.bytes[0], record->charsetIndex)) c.bytes[1] = 0;
  const rt::GlyphCodeEntry& entry = record->cache.codes[rt::GlyphCodeIndex(c)];
  return entry.cached ? entry.cell : nullptr;
}

const uint8_t* CellRows(const rt::FontRecord* record, const rt::GlyphCell* cell) {
  return record->cacheBuffer + static_cast<size_t>(cell->position) * record->cellWidth * record->cacheRowBytes;
}

class GlyphCacheTest : public FontTest {
 protected:
  int MakeFont(int size, int fontType, int edgeSize = -1) {
    const int font = rt::CreateFontToHandle(nullptr, size, 4, fontType, -1, edgeSize, 0, -1, -1);
    EXPECT_NE(font, -1);
    return font;
  }
  void Cache(int font, const char* text) { ASSERT_EQ(rt::CacheStringGlyphs(font, text, -1, nullptr, nullptr), 0); }
};

TEST_F(GlyphCacheTest, CellsAreReusedRoundRobin) {
  rt::GetFontState().cacheSizeSetting = 4;
  const int font = MakeFont(16, 0);
  const rt::FontRecord* record = rt::GetFontRecord(font);
  ASSERT_EQ(record->cache.cellCount, 4);

  Cache(font, "ABCD");
  EXPECT_EQ(source_.renders, 4);
  EXPECT_EQ(record->cache.nextCell, 0);
  Cache(font, "E");
  EXPECT_EQ(CellOf(record, "A"), nullptr);
  ASSERT_NE(CellOf(record, "E"), nullptr);
  EXPECT_EQ(CellOf(record, "E")->position, 0);
  for (const char* kept : {"B", "C", "D"}) EXPECT_NE(CellOf(record, kept), nullptr) << kept;

  // The forgotten character is rendered again and pushes out the next oldest.
  Cache(font, "A");
  EXPECT_EQ(source_.renders, 6);
  EXPECT_EQ(CellOf(record, "A")->position, 1);
  EXPECT_EQ(CellOf(record, "B"), nullptr);
  // Cached characters are not rendered again.
  Cache(font, "ACDE");
  EXPECT_EQ(source_.renders, 6);
}

TEST_F(GlyphCacheTest, ACharacterListedTwiceTakesOneCell) {
  const int font = MakeFont(16, 0);
  Cache(font, "AAB\x88\x9f\x88\x9f" "A");
  EXPECT_EQ(source_.renders, 3);
  EXPECT_EQ(rt::GetFontRecord(font)->cache.nextCell, 3);
}

TEST_F(GlyphCacheTest, SpacesGetOnlyAnAdvance) {
  source_.glyphs['z'] = platform::FakeGlyph{0, 0, 0, 0, 5};  // a character without ink
  const int font = MakeFont(16, 1, 2);  // edge fonts widen the advance
  Cache(font, " \x81\x40z");
  const rt::FontRecord* record = rt::GetFontRecord(font);
  for (const char* space : {" ", "\x81\x40", "z"}) {
    const rt::GlyphCell* cell = CellOf(record, space);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->blackBoxWidth, 0);
    EXPECT_EQ(cell->blackBoxHeight, 0);
    const uint8_t* rows = CellRows(record, cell);
    EXPECT_TRUE(std::all_of(rows, rows + record->cellWidth * record->cacheRowBytes, [](uint8_t b) { return b == 0; }));
  }
  EXPECT_EQ(CellOf(record, " ")->advance, 8 + 4);
  EXPECT_EQ(CellOf(record, "\x81\x40")->advance, 16 + 4);
  EXPECT_EQ(CellOf(record, "z")->advance, 5 + 4);
}

TEST_F(GlyphCacheTest, GreyLevelsAreStoredOneLower) {
  const struct {
    int level;
    uint8_t stored;
  } cases[] = {{16, 15}, {15, 14}, {8, 7}, {1, 0}};
  std::string text;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const char code = static_cast<char>('a' + i);
    source_.glyphs[static_cast<uint8_t>(code)] = platform::FakeGlyph{2, 1, 0, 10, 8, cases[i].level};
    text += code;
  }
  const int font = MakeFont(16, 2);
  Cache(font, text.c_str());
  const rt::FontRecord* record = rt::GetFontRecord(font);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const char code[2] = {text[i], 0};
    const uint8_t* rows = CellRows(record, CellOf(record, code));
    EXPECT_EQ(rows[0], cases[i].stored) << cases[i].level;
    EXPECT_EQ(rows[1], cases[i].stored) << cases[i].level;
    EXPECT_EQ(rows[2], 0);
  }
}

TEST_F(GlyphCacheTest, PlainGlyphsAreCopiedBitForBitWithTheirPlacement) {
  source_.glyphs['A'] = platform::FakeGlyph{5, 3, -1, 9, 7};
  const int font = MakeFont(16, 0);
  Cache(font, "A");
  const rt::FontRecord* record = rt::GetFontRecord(font);
  const rt::GlyphCell* cell = CellOf(record, "A");
  EXPECT_EQ(cell->xOffset, -1);
  EXPECT_EQ(cell->yOffset, 14 - 9);  // the fake's ascent is 14
  EXPECT_EQ(cell->advance, 7);
  EXPECT_EQ(cell->blackBoxWidth, 5);
  EXPECT_EQ(cell->blackBoxHeight, 3);
  const uint8_t* rows = CellRows(record, cell);
  for (int y = 0; y < record->cellWidth; ++y) {
    for (int b = 0; b < record->cacheRowBytes; ++b) {
      const uint8_t expected = y < 3 && b == 0 ? 0xF8 : 0;
      EXPECT_EQ(rows[y * record->cacheRowBytes + b], expected) << y << " " << b;
    }
  }
}

TEST_F(GlyphCacheTest, GlyphsBeyondTheirCellAreClippedToIt) {
  rt::GetFontState().cacheSizeSetting = 2;
  // The fake's ascent is 14 and the cell 24 x 24: these glyphs reach past it.
  source_.glyphs['W'] = platform::FakeGlyph{40, 40, 0, 20, 16};  // wide, tall, 6 rows above the line
  source_.glyphs['T'] = platform::FakeGlyph{3, 30, 0, 10, 8};    // starts 4 rows down, 30 tall
  for (int fontType : {0, 2, 1}) {
    const int font = MakeFont(16, fontType);
    const rt::FontRecord* record = rt::GetFontRecord(font);
    ASSERT_EQ(record->cellWidth, 24);
    Cache(font, "xW");  // the wide glyph lands in the last cell of the buffer
    const rt::GlyphCell* wide = CellOf(record, "W");
    ASSERT_EQ(wide->position, 1);
    EXPECT_EQ(wide->yOffset, 0);
    EXPECT_EQ(wide->blackBoxWidth, 24);
    EXPECT_EQ(wide->blackBoxHeight, 24);
    Cache(font, "T");
    const rt::GlyphCell* tall = CellOf(record, "T");
    EXPECT_EQ(tall->yOffset, 4);
    EXPECT_EQ(tall->blackBoxHeight, 20);
    rt::DeleteFontToHandle(font);
  }
}

TEST(EdgeShapeTest, RowWidthsOfTheTabledSizes) {
  const std::vector<std::vector<int>> widths = {
      {1, 3, 1}, {3, 5, 5, 5, 3}, {1, 5, 5, 7, 5, 5, 1}, {5, 7, 9, 9, 9, 9, 9, 7, 5}};
  for (int size = 1; size <= 4; ++size) {
    for (int row = -size; row <= size; ++row) {
      EXPECT_EQ(2 * rt::EdgeShapeHalfWidth(size, row) + 1, widths[size - 1][row + size]) << size << " " << row;
    }
    EXPECT_EQ(rt::EdgeShapeHalfWidth(size, size + 1), -1);
  }
  // Larger sizes are discs: the middle row spans the full width, the end rows are narrow.
  EXPECT_EQ(rt::EdgeShapeHalfWidth(6, 0), 6);
  EXPECT_LT(rt::EdgeShapeHalfWidth(6, 6), 3);
}

TEST(EdgeShapeTest, OnePixelGlyphGetsTheShapeAroundItsBody) {
  const uint8_t bit[4] = {0x80, 0, 0, 0};
  const rt::GlyphBitmap glyph{bit, 4, 1, 1, platform::GlyphFormat::kBitmap1};
  constexpr int kCell = 8;
  uint8_t cell[kCell * kCell] = {};
  const rt::CellGlyphBox box = rt::RenderGlyphToCell(glyph, rt::kFontTypeEdge, 2, kCell, 1, cell, kCell, 8);
  EXPECT_EQ(box.yOffset, 1);
  EXPECT_EQ(box.width, 5);
  EXPECT_EQ(box.height, 5);
  const char* expected[5] = {".eee.", "eeeee", "eeBee", "eeeee", ".eee."};
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      const uint8_t want = expected[y][x] == 'B' ? 0xFF : expected[y][x] == 'e' ? 0xF0 : 0;
      EXPECT_EQ(cell[y * kCell + x], want) << x << "," << y;
    }
  }
}

TEST(EdgeShapeTest, GreyEdgesTakeTheStrongestBodyLevelAround) {
  const uint8_t grey[4] = {16, 9, 0, 0};
  const rt::GlyphBitmap glyph{grey, 4, 2, 1, platform::GlyphFormat::kGray17};
  uint8_t cell[8 * 8] = {};
  rt::RenderGlyphToCell(glyph, rt::kFontTypeEdge | rt::kFontTypeAntialias, 1, 8, 0, cell, 8, 8);
  EXPECT_EQ(cell[1 * 8 + 1], 0xFF);  // body 15, edge 15
  EXPECT_EQ(cell[1 * 8 + 2], 0xF8);  // body 8 under the stronger neighbour's edge
  EXPECT_EQ(cell[1 * 8 + 3], 0x80);  // edge of the weaker pixel only
  EXPECT_EQ(cell[0 * 8 + 2], 0x80);
  EXPECT_EQ(cell[0 * 8 + 1], 0xF0);
}

}  // namespace
