// The same-size blit's head: refusals, clipping, the choice between the run path and the
// per-pixel path, and the guards against bad images.
#include "runtime/softrender/blit_memimg.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "runtime/image/blend_graph.h"
#include "runtime/softrender/draw_state.h"
#include "tests/support/memimg_fixture.h"

namespace {

using testsupport::OwnedMemImg;
using testsupport::ReadPixel;
using testsupport::WritePixel;

class BlitMemImgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = rt::GetDrawState();
    rt::DrawState& s = rt::GetDrawState();
    s.blendMode = 0;
    s.blendParam = 0;
    s.brightColor = 0xFFFFFF;
  }
  void TearDown() override { rt::GetDrawState() = saved_; }

  static void Fill(rt::MEMIMG* m, uint32_t v) {
    for (int y = 0; y < m->height; ++y) {
      for (int x = 0; x < m->width; ++x) WritePixel(*m, x, y, v);
    }
  }
  // The drawn pixels as a mask of the destination: 1 where the value is `marker`.
  static std::vector<int> Marked(const rt::MEMIMG& m, uint32_t marker) {
    std::vector<int> out;
    for (int y = 0; y < m.height; ++y) {
      for (int x = 0; x < m.width; ++x) out.push_back(ReadPixel(m, x, y) == marker);
    }
    return out;
  }

  rt::DrawState saved_;
};

TEST_F(BlitMemImgTest, RefusesImagesItCannotDraw) {
  struct Case {
    const char* what;
    int srcKind, destKind, destPalette, destAlpha;
  } cases[] = {
      {"kinds differ", 1, 0, 0, 0},
      {"paletted destination", 1, 1, 1, 0},
      {"destination with alpha", 1, 1, 0, 1},
      {"8-bit images", 2, 2, 0, 0},
      {"Z buffers", 3, 3, 0, 0},
  };
  rt::GetDrawState().drawArea = RECT{0, 0, 8, 8};
  for (const Case& c : cases) {
    OwnedMemImg src, dest;
    ASSERT_EQ(rt::InitMemImg(src.get(), 4, 4, -1, 0, c.srcKind, 0, 0, 0), 0);
    ASSERT_EQ(rt::InitMemImg(dest.get(), 8, 8, -1, 0, c.destKind, c.destPalette, c.destAlpha, 0), 0);
    Fill(src.get(), 0x11);
    Fill(dest.get(), 0x22);
    rt::BlitMemImg(dest.get(), src.get(), 0, 0, 0, nullptr);
    EXPECT_EQ(ReadPixel(dest.img, 0, 0), 0x22u) << c.what;
  }
}

TEST_F(BlitMemImgTest, ClipsToTheDrawAreaAndToTheDestination) {
  struct Case {
    const char* what;
    RECT area;
    int x, y;
    RECT drawn;  // the destination pixels expected to change
  } cases[] = {
      {"inside", {0, 0, 10, 8}, 2, 1, {2, 1, 6, 4}},
      {"cut by the area", {3, 2, 10, 8}, 2, 1, {3, 2, 6, 4}},
      {"partly left and above", {0, 0, 10, 8}, -2, -1, {0, 0, 2, 2}},
      {"wholly outside the area", {0, 0, 5, 5}, 6, 6, {0, 0, 0, 0}},
      // A draw area larger than the destination must not let the blit write past it.
      {"area beyond the destination", {0, 0, 100, 100}, 8, 6, {8, 6, 10, 8}},
      {"negative area", {-50, -50, 4, 4}, -1, -1, {0, 0, 3, 2}},
  };
  for (const Case& c : cases) {
    OwnedMemImg src, dest;
    ASSERT_EQ(rt::CreateMemImg(src.get(), 4, 3, 1), 0);
    ASSERT_EQ(rt::CreateMemImg(dest.get(), 10, 8, 1), 0);
    Fill(src.get(), 0xAB);
    Fill(dest.get(), 0);
    rt::GetDrawState().drawArea = c.area;
    rt::BlitMemImg(dest.get(), src.get(), c.x, c.y, 0, nullptr);
    std::vector<int> expected;
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 10; ++x) {
        expected.push_back(x >= c.drawn.left && x < c.drawn.right && y >= c.drawn.top && y < c.drawn.bottom);
      }
    }
    EXPECT_EQ(Marked(dest.img, 0xAB), expected) << c.what;
  }
}

TEST_F(BlitMemImgTest, FarPositionsDoNotOverflow) {
  OwnedMemImg src, dest;
  ASSERT_EQ(rt::CreateMemImg(src.get(), 4, 4, 1), 0);
  ASSERT_EQ(rt::CreateMemImg(dest.get(), 8, 8, 1), 0);
  Fill(src.get(), 0xAB);
  Fill(dest.get(), 0);
  rt::GetDrawState().drawArea = RECT{0, 0, 8, 8};
  rt::BlitMemImg(dest.get(), src.get(), INT_MAX - 1, INT_MAX - 1, 0, nullptr);
  rt::BlitMemImg(dest.get(), src.get(), INT_MIN, INT_MIN, 0, nullptr);
  EXPECT_EQ(Marked(dest.img, 0xAB), std::vector<int>(64, 0));
}

TEST_F(BlitMemImgTest, BlendImageIsReadAtSourceCoordinatesAndMustCoverTheSource) {
  OwnedMemImg src, dest, graph, smallGraph;
  ASSERT_EQ(rt::CreateMemImg(src.get(), 4, 2, 1), 0);
  ASSERT_EQ(rt::CreateMemImg(dest.get(), 8, 4, 1), 0);
  ASSERT_EQ(rt::InitMemImg(graph.get(), 4, 2, -1, 0, rt::kMemImgKind8, 0, 0, 0), 0);
  ASSERT_EQ(rt::InitMemImg(smallGraph.get(), 3, 2, -1, 0, rt::kMemImgKind8, 0, 0, 0), 0);
  rt::BuildBlendGraphTable(128, 255);  // entry i = i
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      WritePixel(src.img, x, y, 0x00FFFFFF);
      graph->pixels[y * graph->pitch + x] = static_cast<uint8_t>(x == 1 && y == 0 ? 0 : 255);
    }
  }
  Fill(dest.get(), 0);
  rt::GetDrawState().drawArea = RECT{0, 0, 8, 4};
  // The source's left column is clipped away; source column 1 (factor 0) lands at x = 0.
  rt::BlitMemImg(dest.get(), src.get(), -1, 0, 0, graph.get());
  EXPECT_EQ(ReadPixel(dest.img, 0, 0), 0u);
  EXPECT_EQ(ReadPixel(dest.img, 1, 0), 0x00FEFEFEu);
  EXPECT_EQ(ReadPixel(dest.img, 0, 1), 0x00FEFEFEu);

  Fill(dest.get(), 0);
  rt::BlitMemImg(dest.get(), src.get(), 0, 0, 0, smallGraph.get());
  EXPECT_EQ(Marked(dest.img, 0), std::vector<int>(32, 1)) << "a blend image smaller than the source draws nothing";
}

TEST_F(BlitMemImgTest, RunPathOnlyForFlagOneWholeSourceAndValidTable) {
  // At parameter 128 the per-pixel path takes the half blend and the run path the general
  // rule, so the result shows which path drew.
  OwnedMemImg src, dest;
  ASSERT_EQ(rt::InitMemImg(src.get(), 2, 1, -1, 0x00000000, 1, 0, 0, 1), 0);
  ASSERT_EQ(rt::CreateMemImg(dest.get(), 4, 1, 1), 0);
  WritePixel(src.img, 0, 0, 0x00FFFFFF);
  WritePixel(src.img, 1, 0, 0x00FFFFFF);
  rt::RebuildMemImgRunTable(src.get());
  rt::DrawState& s = rt::GetDrawState();
  s.blendMode = 1;
  s.blendParam = 128;
  const uint32_t destValue = 0x00010101;
  const uint32_t halfOnDest = ((0x00FFFFFFu >> 1) & 0x7F7F7F) + ((destValue >> 1) & 0x7F7F7F);  // 0x7F7F7F
  const uint32_t generalOnDest = 0x00808080;  // 1 + floor(254 * 128 / 256) per channel
  struct Case {
    const char* what;
    int flag;
    bool tableValid;
    RECT area;
    uint32_t expected;
  } cases[] = {
      {"flag 1, whole source, valid table", 1, true, {0, 0, 4, 1}, generalOnDest},
      {"flag 2", 2, true, {0, 0, 4, 1}, halfOnDest},
      {"table not valid", 1, false, {0, 0, 4, 1}, halfOnDest},
      {"clipped", 1, true, {0, 0, 1, 1}, halfOnDest},
  };
  for (const Case& c : cases) {
    Fill(dest.get(), destValue);
    src->runTableValid = c.tableValid;
    s.drawArea = c.area;
    rt::BlitMemImg(dest.get(), src.get(), 0, 0, c.flag, nullptr);
    EXPECT_EQ(ReadPixel(dest.img, 0, 0), c.expected) << c.what;
  }
}

TEST_F(BlitMemImgTest, ACorruptRunTableNeverWritesPastTheRow) {
  OwnedMemImg src, dest;
  ASSERT_EQ(rt::InitMemImg(src.get(), 3, 2, -1, 0, 1, 0, 0, 1), 0);
  ASSERT_EQ(rt::CreateMemImg(dest.get(), 3, 2, 1), 0);
  Fill(src.get(), 0xAB);
  Fill(dest.get(), 0);
  // Opaque runs of 64 pixels in a row three pixels wide, and no row ends at all.
  std::fill(src->runTable, src->runTable + (3 + rt::kRunTableRowSlack) * 2, uint8_t{0x7F});
  src->runTableValid = 1;
  rt::GetDrawState().drawArea = RECT{0, 0, 3, 2};
  rt::BlitMemImg(dest.get(), src.get(), 0, 0, 1, nullptr);
  EXPECT_EQ(ReadPixel(dest.img, 2, 0), 0xABu);
}

TEST_F(BlitMemImgTest, AnOverlargePaletteCountIsHarmless) {
  OwnedMemImg src, dest;
  ASSERT_EQ(rt::InitMemImg(src.get(), 2, 1, -1, 0, 1, 1, 0, 0), 0);
  ASSERT_EQ(rt::CreateMemImg(dest.get(), 2, 1, 1), 0);
  src->paletteCount = 100000;
  const uint32_t entry = 0x00123456;
  std::memcpy(src->paletteTable + 4 * 255, &entry, 4);
  src->pixels[0] = 255;
  src->pixels[1] = 255;
  rt::GetDrawState().drawArea = RECT{0, 0, 2, 1};
  rt::BlitMemImg(dest.get(), src.get(), 0, 0, 0, nullptr);
  EXPECT_EQ(ReadPixel(dest.img, 1, 0), entry);
}

TEST_F(BlitMemImgTest, ModesThatDrawNothing) {
  OwnedMemImg src, dest;
  ASSERT_EQ(rt::CreateMemImg(src.get(), 2, 2, 1), 0);
  ASSERT_EQ(rt::CreateMemImg(dest.get(), 2, 2, 1), 0);
  Fill(src.get(), 0x00FFFFFF);
  rt::DrawState& s = rt::GetDrawState();
  s.drawArea = RECT{0, 0, 2, 2};
  const struct { int mode, param; } cases[] = {{5, 128}, {-1, 128}, {1, 0}, {2, 0}, {3, 0}};
  for (const auto& c : cases) {
    Fill(dest.get(), 0x00102030);
    s.blendMode = c.mode;
    s.blendParam = c.param;
    rt::BlitMemImg(dest.get(), src.get(), 0, 0, 0, nullptr);
    EXPECT_EQ(ReadPixel(dest.img, 1, 1), 0x00102030u) << c.mode << " " << c.param;
  }
}

}  // namespace
