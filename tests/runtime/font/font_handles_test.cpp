#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/api.h"
#include "runtime/font/font.h"
#include "tests/runtime/font/font_fixture.h"
#include "tests/support/headless_runtime.h"

namespace {

using font_testing::FontTest;

struct CellCase {
  int maxCharWidth, height, fontType, edgeSize;
  int cellWidth, cellHeight;
};

TEST(FontCellSizeTest, CellWidthAndHeightRules) {
  const CellCase cases[] = {
      {16, 16, 0, 1, 24, 16},  // max width + 2 rounded up to 8
      {6, 16, 0, 1, 16, 16},   // never below the cell height
      {6, 17, 0, 1, 18, 18},   // odd height made even; the width follows it off the grid of 8
      {22, 16, 0, 1, 24, 16},  // 24 stays 24
      {23, 16, 0, 1, 32, 16},
      {16, 16, 1, 2, 24, 20},  // edge: 2 x edge on both
      {16, 16, 0, 3, 24, 16},  // an edge size without the edge bit adds nothing
      {16, 15, 3, 1, 24, 18},  // 15 + 2 = 17, made even
  };
  for (const CellCase& c : cases) {
    int w = 0, h = 0;
    rt::ComputeFontCellSize(c.maxCharWidth, c.height, c.fontType, c.edgeSize, &w, &h);
    EXPECT_EQ(w, c.cellWidth) << c.maxCharWidth << " " << c.height << " " << c.fontType << " " << c.edgeSize;
    EXPECT_EQ(h, c.cellHeight) << c.maxCharWidth << " " << c.height << " " << c.fontType << " " << c.edgeSize;
  }
}

TEST(FontCellSizeTest, MemoryCacheCellCount) {
  struct Case {
    int cellWidth, setting, cells;
  } cases[] = {
      {24, 0, 0x50000 / (24 * 24)},
      {200, 0, 20},    // at least 20
      {8, 0, 2024},    // capped
      {24, 5, 5},      // the setting as it stands
      {24, 3000, 2024},
  };
  for (const Case& c : cases) EXPECT_EQ(rt::MemoryCacheCellCount(c.cellWidth, c.setting), c.cells) << c.cellWidth;
}

TEST_F(FontTest, CreatedFontCarriesItsMetricsAndDefaults) {
  const int font = rt::CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, -1, -1);
  ASSERT_NE(font, -1);
  EXPECT_EQ(static_cast<uint32_t>(font) & 0x78000000u, 0x20000000u);
  const rt::FontRecord* record = rt::GetFontRecord(font);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->size, 16);
  EXPECT_EQ(record->thickness, 6);
  EXPECT_EQ(record->fontType, 0);
  EXPECT_EQ(record->edgeSize, 1);
  EXPECT_EQ(record->charsetIndex, rt::kFontCharsetShiftJis);
  EXPECT_STREQ(record->faceName, "");
  EXPECT_EQ(record->cellWidth, 24);
  EXPECT_EQ(record->cellHeight, 16);
  EXPECT_EQ(record->cacheBitsPerPixel, 1);
  EXPECT_EQ(record->cache.cellCount, 0x50000 / (24 * 24));
  EXPECT_EQ(record->cache.cells[record->cache.cellCount].position, -1);
  EXPECT_NE(record->drawScreen, -1);
  ASSERT_EQ(source_.requests.size(), 1u);
  EXPECT_EQ(source_.requests[0].faceName, "ＭＳ ゴシック");
  EXPECT_EQ(source_.requests[0].height, 16);
  EXPECT_EQ(source_.requests[0].weight, 600);
  EXPECT_EQ(source_.requests[0].charset, platform::kCharsetShiftJis);

  // An edge size above 1 turns the edge on; anti-aliased and edge fonts cache 8 bits.
  const int edged = rt::CreateFontToHandle(nullptr, 12, 2, 2, -1, 3, 0, -1, -1);
  ASSERT_NE(edged, -1);
  EXPECT_EQ(rt::GetFontRecord(edged)->fontType, 3);
  EXPECT_EQ(rt::GetFontRecord(edged)->cacheBitsPerPixel, 8);
}

TEST_F(FontTest, FaceFallbacksWhenTheSourceCannotMakeAFont) {
  source_.failCreate = true;
  EXPECT_EQ(rt::CreateFontToHandle(nullptr, 16, 4, 0, 1, -1, 1, -1, -1), -1);
  ASSERT_EQ(source_.requests.size(), 3u);
  EXPECT_EQ(source_.requests[0].faceName, "ＭＳ ゴシック");
  EXPECT_EQ(source_.requests[0].charset, platform::kCharsetShiftJis);
  EXPECT_TRUE(source_.requests[0].italic);
  EXPECT_EQ(source_.requests[1].faceName, "ＭＳ ゴシック");
  EXPECT_EQ(source_.requests[1].charset, platform::kCharsetDefault);
  EXPECT_FALSE(source_.requests[1].italic);
  EXPECT_EQ(source_.requests[2].faceName, "");
  EXPECT_FALSE(source_.requests[2].italic);
  EXPECT_NE(Log().find("フォントの作成に失敗しました"), std::string::npos);

  source_.requests.clear();
  EXPECT_EQ(rt::CreateFontToHandle("ＭＳ 明朝", 16, 4, 0, 2, -1, 0, -1, -1), -1);
  ASSERT_EQ(source_.requests.size(), 3u);
  EXPECT_EQ(source_.requests[0].charset, platform::kCharsetHangul);
  EXPECT_EQ(source_.requests[1].charset, platform::kCharsetDefault);
  EXPECT_EQ(source_.requests[2].charset, platform::kCharsetShiftJis);
  for (const auto& request : source_.requests) EXPECT_EQ(request.faceName, "ＭＳ 明朝");
  EXPECT_NE(Log().find("指定のフォントの作成に失敗しました"), std::string::npos);
  EXPECT_EQ(rt::GetFontState().table.count(), 0);
}

TEST_F(FontTest, SlotRules) {
  std::vector<int> fonts;
  for (int i = 0; i < rt::kFontSlots; ++i) fonts.push_back(rt::CreateFontToHandle(nullptr, 8, 1, 0, -1, -1, 0, -1, -1));
  for (int i = 0; i < rt::kFontSlots; ++i) EXPECT_EQ(rt::HandleSlot(fonts[i]), i);
  EXPECT_EQ(rt::CreateFontToHandle(nullptr, 8, 1, 0, -1, -1, 0, -1, -1), -1);
  EXPECT_NE(Log().find("作成できるフォントハンドル数 40 の限界を超えました"), std::string::npos);

  // An occupied slot is refused without a word; a freed one can be asked for with a check.
  const std::string before = Log();
  EXPECT_EQ(rt::CreateFontToHandle(nullptr, 8, 1, 0, -1, -1, 0, 5, -1), -1);
  EXPECT_EQ(Log(), before);
  ASSERT_EQ(rt::DeleteFontToHandle(fonts[5]), 0);
  EXPECT_EQ(rt::CheckFontHandleValid(fonts[5]), 0);
  EXPECT_EQ(rt::DeleteFontToHandle(fonts[5]), -1);
  const int again = rt::CreateFontToHandle(nullptr, 8, 1, 0, -1, -1, 0, 5, 77);
  EXPECT_EQ(again, ((77 | 0x2000) << 16) | 5);
  EXPECT_EQ(rt::CheckFontHandleValid(again), 1);
  EXPECT_EQ(rt::CreateFontToHandle(nullptr, 8, 1, 0, -1, -1, 0, rt::kFontSlots, -1), -1);
}

TEST_F(FontTest, HandleLookupsRefuseStaleAndForeignValues) {
  const int font = rt::CreateFontToHandle(nullptr, 16, 6, 0, -1, -1, 0, -1, -1);
  ASSERT_NE(font, -1);
  const int foreign = (font & ~0x78000000) | 0x08000000;  // a graph's type bits
  for (int bad : {-1, foreign, font ^ 0x00010000, font + 1}) {
    EXPECT_EQ(rt::GetFontRecord(bad), nullptr) << bad;
    EXPECT_EQ(rt::GetFontSizeToHandle(bad), -1);
    EXPECT_EQ(rt::SetFontSpaceToHandle(2, bad), -1);
    EXPECT_EQ(rt::GetFontStateToHandle(nullptr, nullptr, nullptr, bad), -1);
  }
  char face[rt::kFontFaceNameSize];
  int size = 0, thickness = 0;
  EXPECT_EQ(rt::GetFontStateToHandle(face, &size, &thickness, font), 0);
  EXPECT_STREQ(face, "");
  EXPECT_EQ(size, 16);
  EXPECT_EQ(thickness, 6);
}

TEST_F(FontTest, DeletionSetsTheOwnersFlagAndFreesTheDrawingScreen) {
  const int font = rt::CreateFontToHandle(nullptr, 16, 6, 0, -1, -1, 0, -1, -1);
  int deleted = 1;
  ASSERT_EQ(rt::SetFontDeleteFlag(font, &deleted), 0);
  EXPECT_EQ(deleted, 0);
  const int screen = rt::GetFontRecord(font)->drawScreen;
  ASSERT_NE(rt::GetSurface2D(screen), nullptr);
  EXPECT_EQ(rt::DeleteFontToHandle(font), 0);
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(rt::GetSurface2D(screen), nullptr);
}

TEST_F(FontTest, DrawingScreenIsMadeAgainAfterTheGraphLayerDeletedIt) {
  const int font = rt::CreateFontToHandle(nullptr, 16, 6, 2, -1, -1, 0, -1, -1);
  rt::FontRecord* record = rt::GetFontRecord(font);
  const int first = record->drawScreen;
  rt::DeleteAllSurface2D();
  EXPECT_EQ(record->drawScreenPending, 1);
  ASSERT_EQ(rt::SetupFontCacheToHandle(font), 0);
  EXPECT_EQ(record->drawScreenPending, 0);
  EXPECT_NE(record->drawScreen, first);
  const rt::Surface2D* surface = rt::GetSurface2D(record->drawScreen);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->width, font_testing::kScreenWidth);
  EXPECT_EQ(rt::GetSurfaceData(surface->surfaceData)->create.alphaChannel, 1);  // anti-aliased font
}

TEST_F(FontTest, RecreateAllFontsKeepsEveryHandle) {
  const int a = rt::CreateFontToHandle(nullptr, 12, 2, 0, -1, -1, 0, -1, -1);
  const int b = rt::CreateFontToHandle("ＭＳ 明朝", 20, 7, 3, -1, 2, 1, -1, -1);
  const int c = rt::CreateFontToHandle(nullptr, 9, 1, 0, -1, -1, 0, 30, 1000);
  ASSERT_EQ(rt::SetFontSpaceToHandle(3, b), 0);
  int owner = 0;
  rt::SetFontDeleteFlag(b, &owner);
  const uint32_t counter = rt::GetFontState().checkCounter;

  ASSERT_EQ(rt::RecreateAllFonts(), 0);
  for (int font : {a, b, c}) EXPECT_EQ(rt::CheckFontHandleValid(font), 1) << font;
  const rt::FontRecord* rb = rt::GetFontRecord(b);
  EXPECT_STREQ(rb->faceName, "ＭＳ 明朝");
  EXPECT_EQ(rb->size, 20);
  EXPECT_EQ(rb->thickness, 7);
  EXPECT_EQ(rb->fontType, 3);
  EXPECT_EQ(rb->edgeSize, 2);
  EXPECT_EQ(rb->italic, 1);
  EXPECT_EQ(rb->space, 3);
  EXPECT_EQ(rt::GetFontSizeToHandle(c), 9);
  EXPECT_EQ(rt::GetFontState().checkCounter, counter);
  // The owner keeps its font: no deletion is reported, and a later one still is.
  EXPECT_EQ(owner, 0);
  rt::DeleteFontToHandle(b);
  EXPECT_EQ(owner, 1);
}

TEST_F(FontTest, DefaultFontFollowsTheDefaultSettings) {
  ASSERT_EQ(rt::SetFontSizeImpl(12), 0);
  const int first = rt::GetDefaultFontHandle();
  ASSERT_NE(first, -1);
  EXPECT_EQ(rt::GetFontSizeToHandle(first), 12);
  // The same size again leaves the font alone.
  rt::SetFontSizeImpl(12);
  EXPECT_EQ(rt::GetDefaultFontHandle(), first);
  rt::SetFontThicknessImpl(2);
  const int second = rt::GetDefaultFontHandle();
  EXPECT_NE(second, first);
  EXPECT_EQ(rt::CheckFontHandleValid(first), 0);
  EXPECT_EQ(rt::GetFontRecord(second)->thickness, 2);
  rt::SetFontSizeImpl(-1);
  EXPECT_EQ(rt::GetFontSizeToHandle(rt::GetDefaultFontHandle()), 16);
  EXPECT_EQ(rt::GetFontState().table.count(), 1);

  rt::GetFontState().defaults.space = 4;
  rt::SetDefaultFontState(nullptr, 14, -1);
  EXPECT_EQ(rt::GetFontRecord(rt::GetDefaultFontHandle())->thickness, 6);
  EXPECT_EQ(rt::GetFontRecord(rt::GetDefaultFontHandle())->space, 4);
}

TEST_F(FontTest, InitFontSystemRebuildsTheDefaultFontWithItsSettings) {
  rt::SetFontSizeImpl(12);
  rt::SetFontThicknessImpl(2);
  const int other = rt::CreateFontToHandle(nullptr, 20, 6, 0, -1, -1, 0, -1, -1);
  ASSERT_EQ(rt::InitFontSystem(), 0);
  EXPECT_EQ(rt::CheckFontHandleValid(other), 0);
  EXPECT_EQ(rt::GetFontState().table.count(), 1);
  const rt::FontRecord* record = rt::GetFontRecord(rt::GetDefaultFontHandle());
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->size, 12);
  EXPECT_EQ(record->thickness, 2);
  EXPECT_GE(testing_support::FindInOrder(Log(), {"フォントの初期化を行います", "フォントの初期化は正常に終了しました"}), 0);
}

TEST_F(FontTest, FontsNeedStartedGraphics) {
  rt::GetScreenStateRecord().pureSoftware = 0;
  EXPECT_EQ(rt::CreateFontToHandle(nullptr, 16, 6, 0, -1, -1, 0, -1, -1), -1);
  EXPECT_EQ(rt::InitFontSystem(), -1);
  EXPECT_EQ(rt::SetDefaultFontState(nullptr, 12, 2), -1);
  EXPECT_TRUE(source_.requests.empty());
}

TEST_F(FontTest, OversizedRequestsFailCleanly) {
  // The cache of a huge font cannot be had; the slot stays free.
  EXPECT_EQ(rt::CreateFontToHandle(nullptr, 100000, 6, 0, -1, -1, 0, -1, -1), -1);
  EXPECT_EQ(rt::CreateFontToHandle(nullptr, 16, 6, 1, -1, 1 << 30, 0, -1, -1), -1);
  EXPECT_EQ(rt::GetFontState().table.count(), 0);
}

}  // namespace
