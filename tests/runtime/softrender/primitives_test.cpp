// Pixel, filled box, line and circle on software images.
#include "runtime/softrender/primitives.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "runtime/core/memory.h"
#include "runtime/softrender/draw_state.h"
#include "tests/runtime/softrender/blend_reference.h"
#include "tests/runtime/softrender/loop_sets.h"
#include "tests/support/memimg_fixture.h"

namespace {

using testsupport::OwnedMemImg;
using testsupport::ReadPixel;
using testsupport::WritePixel;
using Points = std::set<std::pair<int, int>>;

class PrimitivesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = rt::GetDrawState();
    rt::DrawState& s = rt::GetDrawState();
    s.blendMode = 0;
    s.blendParam = 0;
    s.brightColor = 0xFFFFFF;
    s.drawArea = RECT{0, 0, 16, 16};
    ASSERT_EQ(rt::CreateMemImg(image.get(), 16, 16, 1), 0);
    Clear(image.get());
  }
  void TearDown() override { rt::GetDrawState() = saved_; }

  static void Clear(rt::MEMIMG* m, uint32_t v = 0) {
    for (int y = 0; y < m->height; ++y) {
      for (int x = 0; x < m->width; ++x) WritePixel(*m, x, y, v);
    }
  }
  // The pixels that are not 0.
  static Points Drawn(const rt::MEMIMG& m) {
    Points p;
    for (int y = 0; y < m.height; ++y) {
      for (int x = 0; x < m.width; ++x) {
        if (ReadPixel(m, x, y) != 0) p.insert({x, y});
      }
    }
    return p;
  }
  // Under add blending with colour 1 each pixel's blue channel counts how often it was drawn.
  std::vector<std::string> Counts(int cx, int cy, int r) {
    std::vector<std::string> rows;
    for (int y = cy - r; y <= cy + r; ++y) {
      std::string row;
      for (int x = cx - r; x <= cx + r; ++x) {
        const uint32_t v = ReadPixel(image.img, x, y) & 0xFF;
        row += v == 0 ? ' ' : static_cast<char>('0' + v);
      }
      rows.push_back(row);
    }
    return rows;
  }
  static void AddMode() {
    rt::GetDrawState().blendMode = 2;
    rt::GetDrawState().blendParam = 255;
  }

  OwnedMemImg image;
  rt::DrawState saved_;
};

TEST_F(PrimitivesTest, RuleMatchesTheModelForEveryKindModeAndBright) {
  std::mt19937 rng(11);
  const int params[] = {0, 1, 127, 128, 254, 255, static_cast<int>(rng() % 256)};
  const uint32_t brights[] = {0xFFFFFF, 0x000000, 0xFFFFFE, 0xFEFFFF, static_cast<uint32_t>(rng() & 0xFFFFFF)};
  for (const auto& [loopsName, loops] : testloops::Available()) {
    const testloops::Use use(loops);
    for (int kind = 0; kind <= 1; ++kind) {
      OwnedMemImg target;
      ASSERT_EQ(rt::CreateMemImg(target.get(), 8, 4, kind), 0);
      for (int mode = 0; mode <= 5; ++mode) {
        for (int param : params) {
          for (uint32_t bright : brights) {
            testsupport::FillRandom(target.img, rng);
            std::vector<uint32_t> before;
            for (int y = 0; y < 4; ++y) {
              for (int x = 0; x < 8; ++x) before.push_back(ReadPixel(target.img, x, y));
            }
            // A 16-bit colour with bits above 16 set: only its low 16 bits count.
            const uint32_t color = static_cast<uint32_t>(rng());
            rt::DrawState& s = rt::GetDrawState();
            s.blendMode = mode;
            s.blendParam = param;
            s.brightColor = bright;
            s.drawArea = RECT{0, 0, 8, 4};
            // Each routine over its own pixels: the box over columns 0..5, a line down column
            // 6, a single pixel and a disc of radius 0 in column 7.
            rt::FillBoxMemImgXY(target.get(), 0, 0, 6, 4, color);
            rt::DrawLineMemImg(target.get(), 6, 0, 6, 4, color);
            rt::DrawPixelMemImg(target.get(), 7, 3, color);
            rt::DrawCircleMemImg(target.get(), 7, 1, 0, color, 1);
            for (int y = 0; y < 4; ++y) {
              for (int x = 0; x < 8; ++x) {
                const uint32_t d = before[y * 8 + x];
                const bool drawn = x < 7 || y == 3 || y == 1;
                const uint32_t expected = drawn ? reference::Primitive(kind == 1, mode, param, bright, color, d) : d;
                ASSERT_EQ(ReadPixel(target.img, x, y), expected)
                    << loopsName << " kind " << kind << " mode " << mode << " p " << param << " bright " << std::hex
                    << bright << " colour " << color << " dest " << d << std::dec << " at " << x << "," << y;
              }
            }
          }
        }
      }
    }
  }
}

// Boxes wide enough for the vector loops of each set, from an unaligned column, so that
// every row has leading pixels, whole vectors and a tail; colours with odd and even green
// and red (the packed add's guard bits).
TEST_F(PrimitivesTest, WideBoxesMatchTheModelInEveryLoopSet) {
  std::mt19937 rng(13);
  constexpr int kW = 48, kH = 3, kLeft = 1, kRight = 46;
  const uint32_t colors[] = {0x00C08040, 0x00C18141, 0x00FFFFFF, 0x00010101, static_cast<uint32_t>(rng())};
  for (const auto& [loopsName, loops] : testloops::Available()) {
    const testloops::Use use(loops);
    for (int kind = 0; kind <= 1; ++kind) {
      OwnedMemImg target;
      ASSERT_EQ(rt::CreateMemImg(target.get(), kW, kH, kind), 0);
      for (int mode = 0; mode <= 4; ++mode) {
        for (int param : {128, 255}) {
          for (uint32_t color : colors) {
            testsupport::FillRandom(target.img, rng);
            std::vector<uint32_t> before;
            for (int y = 0; y < kH; ++y) {
              for (int x = 0; x < kW; ++x) before.push_back(ReadPixel(target.img, x, y));
            }
            rt::DrawState& s = rt::GetDrawState();
            s.blendMode = mode;
            s.blendParam = param;
            s.brightColor = 0xFFFFFF;
            s.drawArea = RECT{0, 0, kW, kH};
            rt::FillBoxMemImgXY(target.get(), kLeft, 0, kRight, kH, color);
            for (int y = 0; y < kH; ++y) {
              for (int x = 0; x < kW; ++x) {
                const uint32_t d = before[y * kW + x];
                const uint32_t expected = x >= kLeft && x < kRight
                                              ? reference::Primitive(kind == 1, mode, param, 0xFFFFFF, color, d)
                                              : d;
                ASSERT_EQ(ReadPixel(target.img, x, y), expected)
                    << loopsName << " kind " << kind << " mode " << mode << " p " << param << std::hex << " colour "
                    << color << " dest " << d << std::dec << " at " << x << "," << y;
              }
            }
          }
        }
      }
    }
  }
}

// Unblended fills long enough for the string store, whole images (one run over every row)
// and rectangles from odd columns (runs per row), through the box fill and the image clear:
// every pixel inside takes the colour, every pixel outside stays.
TEST_F(PrimitivesTest, LongUnblendedFillsCoverExactlyTheirRectangle) {
  struct Case {
    int kind, width, height;
    bool whole;
    RECT rect;
  };
  const Case cases[] = {
      {1, 800, 6, true, {}},       {0, 800, 6, true, {}},       {1, 700, 5, false, {1, 1, 699, 4}},
      {0, 1500, 4, false, {3, 0, 1498, 4}}, {0, 1500, 3, false, {2, 1, 1500, 3}}, {1, 600, 3, false, {0, 0, 513, 2}},
      {0, 1030, 3, false, {1, 0, 1026, 3}},
  };
  std::mt19937 rng(21);
  for (const auto& [loopsName, loops] : testloops::Available()) {
    const testloops::Use use(loops);
    for (const Case& c : cases) {
      for (bool clear : {false, true}) {
        OwnedMemImg target;
        ASSERT_EQ(rt::CreateMemImg(target.get(), c.width, c.height, c.kind), 0);
        testsupport::FillRandom(target.img, rng);
        std::vector<uint32_t> before;
        for (int y = 0; y < c.height; ++y) {
          for (int x = 0; x < c.width; ++x) before.push_back(ReadPixel(target.img, x, y));
        }
        const uint32_t color = c.kind == 1 ? 0x00C18141 : 0xC409;
        const RECT r = c.whole ? RECT{0, 0, c.width, c.height} : c.rect;
        rt::GetDrawState().drawArea = RECT{0, 0, c.width, c.height};
        if (clear) {
          rt::FillMemImg(target.get(), c.whole ? nullptr : &r, color);
        } else {
          rt::FillBoxMemImg(target.get(), c.whole ? nullptr : &r, color);
        }
        for (int y = 0; y < c.height; ++y) {
          for (int x = 0; x < c.width; ++x) {
            const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            ASSERT_EQ(ReadPixel(target.img, x, y), inside ? color : before[y * c.width + x])
                << loopsName << (clear ? " clear" : " box") << " kind " << c.kind << " width " << c.width << " at "
                << x << "," << y;
          }
        }
      }
    }
  }
}

TEST_F(PrimitivesTest, PixelStaysInsideTheHalfOpenDrawArea) {
  rt::GetDrawState().drawArea = RECT{2, 3, 6, 7};
  const std::pair<int, int> tries[] = {{6, 4}, {3, 7}, {5, 6}, {2, 3}, {1, 4}, {3, 2}, {INT_MAX, 4}, {4, INT_MIN}};
  for (auto [x, y] : tries) rt::DrawPixelMemImg(image.get(), x, y, 1);
  EXPECT_EQ(Drawn(image.img), (Points{{5, 6}, {2, 3}}));
}

TEST_F(PrimitivesTest, PixelAndBoxRefuseImagesTheyCannotDraw) {
  const struct {
    const char* what;
    int kind, palette, alpha;
  } cases[] = {{"paletted", 1, 1, 0}, {"alpha", 1, 0, 1}, {"8-bit", 2, 0, 0}, {"Z buffer", 3, 0, 0}};
  for (const auto& c : cases) {
    OwnedMemImg m;
    ASSERT_EQ(rt::InitMemImg(m.get(), 4, 4, -1, 0, c.kind, c.palette, c.alpha, 0), 0);
    std::memset(m->pixels, 0, static_cast<size_t>(m->pitch) * 4);
    rt::GetDrawState().drawArea = RECT{0, 0, 4, 4};
    rt::DrawPixelMemImg(m.get(), 1, 1, 0xFFFFFFFF);
    rt::FillBoxMemImg(m.get(), nullptr, 0xFFFFFFFF);
    EXPECT_EQ(ReadPixel(m.img, 1, 1), 0u) << c.what;
  }
}

TEST_F(PrimitivesTest, BoxRectanglesAndClipping) {
  const RECT full{0, 0, 16, 16};
  auto box = [](int l, int t, int r, int b) {
    Points p;
    for (int y = t; y < b; ++y) {
      for (int x = l; x < r; ++x) p.insert({x, y});
    }
    return p;
  };
  struct Case {
    const char* what;
    RECT area;
    bool whole;
    RECT rect;
    Points expected;
  } cases[] = {
      {"corners reversed", full, false, {10, 10, 0, 0}, box(0, 0, 10, 10)},
      {"one pixel", full, false, {5, 5, 6, 6}, box(5, 5, 6, 6)},
      {"no width", full, false, {5, 5, 5, 9}, {}},
      {"null rectangle fills the draw area", {2, 3, 9, 5}, true, {}, box(2, 3, 9, 5)},
      {"cut by the area", {4, 4, 12, 12}, false, {0, 0, 8, 8}, box(4, 4, 8, 8)},
      // The area reaches beyond the image: the box stops at the image's edge.
      {"area beyond the image", {0, 0, 100, 100}, false, {10, 12, 40, 40}, box(10, 12, 16, 16)},
      {"null rectangle, area beyond the image", {-5, -5, 100, 100}, true, {}, box(0, 0, 16, 16)},
  };
  for (const Case& c : cases) {
    Clear(image.get());
    rt::GetDrawState().drawArea = c.area;
    rt::FillBoxMemImg(image.get(), c.whole ? nullptr : &c.rect, 0x00ABCDEF);
    EXPECT_EQ(Drawn(image.img), c.expected) << c.what;
  }
}

TEST_F(PrimitivesTest, SixteenBitBoxOfOddWidthAndAWideColour) {
  OwnedMemImg m;
  ASSERT_EQ(rt::CreateMemImg(m.get(), 9, 2, 0), 0);
  Clear(m.get(), 0x5555);
  rt::GetDrawState().drawArea = RECT{0, 0, 9, 2};
  // The colour's upper half must not reach the neighbouring pixels.
  rt::FillBoxMemImgXY(m.get(), 1, 0, 8, 1, 0xABCD1234);
  for (int x = 0; x < 9; ++x) {
    EXPECT_EQ(ReadPixel(m.img, x, 0), (x >= 1 && x < 8) ? 0x1234u : 0x5555u) << x;
    EXPECT_EQ(ReadPixel(m.img, x, 1), 0x5555u) << x;
  }
}

TEST_F(PrimitivesTest, LineGoldenPatternsAndClipping) {
  struct Case {
    const char* what;
    RECT area;
    int x1, y1, x2, y2;
    Points expected;
  } cases[] = {
      {"shallow", {0, 0, 16, 16}, 0, 0, 4, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
      {"diagonal", {0, 0, 16, 16}, 0, 0, 4, 4, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
      {"steep", {0, 0, 16, 16}, 0, 0, 1, 3, {{0, 0}, {0, 1}, {0, 2}}},
      {"backwards", {0, 0, 16, 16}, 3, 0, 0, 0, {{3, 0}, {2, 0}, {1, 0}}},
      {"steep upwards and left", {0, 0, 16, 16}, 5, 9, 3, 3, {{5, 9}, {5, 8}, {5, 7}, {4, 6}, {4, 5}, {4, 4}}},
      {"equal end points", {0, 0, 16, 16}, 4, 4, 4, 4, {}},
      {"misses the area but not its bounding box", {0, 0, 16, 16}, -10, 5, 5, -10, {{0, 0}}},
      {"clipped right", {0, 0, 8, 8}, 5, 2, 15, 2, {{5, 2}, {6, 2}, {7, 2}}},
      {"clipped right, backwards", {0, 0, 8, 8}, 15, 2, 5, 2, {{7, 2}, {6, 2}}},
      {"wholly outside", {0, 0, 8, 8}, 9, 0, 14, 5, {}},
      {"area beyond the image", {0, 0, 100, 100}, 14, 14, 40, 14, {{14, 14}, {15, 14}}},
      {"far end points", {0, 0, 16, 16}, INT_MIN, 3, INT_MAX, 3, {}},
  };
  for (const Case& c : cases) {
    Clear(image.get());
    rt::GetDrawState().drawArea = c.area;
    rt::DrawLineMemImg(image.get(), c.x1, c.y1, c.x2, c.y2, 1);
    if (std::string(c.what) == "far end points") {
      // Whatever the clipping makes of such a line, it stays on row 3 inside the area.
      for (auto [x, y] : Drawn(image.img)) EXPECT_EQ(y, 3) << x;
      continue;
    }
    EXPECT_EQ(Drawn(image.img), c.expected) << c.what;
  }
}

TEST_F(PrimitivesTest, LongClippedLinesDrawTheirInsideRun) {
  OwnedMemImg big;
  ASSERT_EQ(rt::CreateMemImg(big.get(), 160, 100, 1), 0);
  Clear(big.get());
  rt::GetDrawState().drawArea = RECT{0, 0, 100, 100};
  rt::DrawLineMemImg(big.get(), 50, 50, 150, 50, 1);
  Points forward;
  for (int x = 50; x <= 99; ++x) forward.insert({x, 50});
  EXPECT_EQ(Drawn(big.img), forward);

  Clear(big.get());
  rt::DrawLineMemImg(big.get(), 150, 50, 50, 50, 1);
  Points backward;
  for (int x = 51; x <= 99; ++x) backward.insert({x, 50});
  EXPECT_EQ(Drawn(big.img), backward);
}

TEST_F(PrimitivesTest, LineListDrawsEachRecordWithItsColour) {
  const rt::LineRecord lines[] = {{0, 0, 3, 0, 0x11, 999}, {0, 2, 0, 4, 0x22, -1}};
  rt::DrawLineListMemImg(image.get(), lines, 0);
  rt::DrawLineListMemImg(image.get(), lines, -3);
  EXPECT_TRUE(Drawn(image.img).empty());
  rt::DrawLineListMemImg(image.get(), lines, 2);
  EXPECT_EQ(Drawn(image.img), (Points{{0, 0}, {1, 0}, {2, 0}, {0, 2}, {0, 3}}));
  EXPECT_EQ(ReadPixel(image.img, 1, 0), 0x11u);
  EXPECT_EQ(ReadPixel(image.img, 0, 3), 0x22u);
}

TEST_F(PrimitivesTest, CircleGoldenPatterns) {
  AddMode();
  struct Case {
    int r;
    int fill;
    std::vector<std::string> rows;
  } cases[] = {
      {0, 0, {"4"}},
      {0, 1, {"1"}},
      {1, 0, {" 1 ", "1 1", " 1 "}},
      {1, 1, {" 1 ", "111", " 1 "}},
      {2, 0, {" 111 ", "1   1", "1   1", "1   1", " 111 "}},
      {2, 1, {" 111 ", "11111", "11111", "11111", " 111 "}},
      {3, 0, {"  111  ", " 2   2 ", "1     1", "1     1", "1     1", " 2   2 ", "  111  "}},
      {3, 1, {"  111  ", " 11111 ", "1111111", "1111111", "1111111", " 11111 ", "  111  "}},
      {4,
       0,
       {"   111   ", " 21   12 ", " 1     1 ", "1       1", "1       1", "1       1", " 1     1 ", " 21   12 ",
        "   111   "}},
      {4,
       1,
       {"   111   ", " 1111111 ", " 1111111 ", "111111111", "111111111", "111111111", " 1111111 ", " 1111111 ",
        "   111   "}},
  };
  for (const Case& c : cases) {
    Clear(image.get());
    rt::DrawCircleMemImg(image.get(), 7, 7, c.r, 1, c.fill);
    EXPECT_EQ(Counts(7, 7, c.r), c.rows) << "radius " << c.r << (c.fill ? " disc" : " outline");
    EXPECT_EQ(Drawn(image.img).size(), [&] {
      size_t n = 0;
      for (const std::string& row : c.rows) {
        for (char ch : row) n += ch != ' ';
      }
      return n;
    }()) << "nothing drawn outside the pattern";
  }
}

TEST_F(PrimitivesTest, CircleClippingAndItsRowBuffer) {
  // A disc partly above the area keeps only its rows from the area's top.
  rt::GetDrawState().drawArea = RECT{0, 6, 16, 16};
  rt::DrawCircleMemImg(image.get(), 7, 7, 2, 1, 1);
  EXPECT_EQ(Drawn(image.img), (Points{{5, 6},
                                      {6, 6},
                                      {7, 6},
                                      {8, 6},
                                      {9, 6},
                                      {5, 7},
                                      {6, 7},
                                      {7, 7},
                                      {8, 7},
                                      {9, 7},
                                      {5, 8},
                                      {6, 8},
                                      {7, 8},
                                      {8, 8},
                                      {9, 8},
                                      {6, 9},
                                      {7, 9},
                                      {8, 9}}));

  // Wholly outside: nothing drawn, and the row buffer is given back.
  Clear(image.get());
  rt::GetDrawState().drawArea = RECT{0, 0, 16, 16};
  const int32_t blocks = rt::GetMemoryState().count;
  rt::DrawCircleMemImg(image.get(), 100, 100, 5, 1, 1);
  EXPECT_TRUE(Drawn(image.img).empty());
  EXPECT_EQ(rt::GetMemoryState().count, blocks);
}

// The midpoint walk step by step over the whole octant, clipped to a 16 x 16 image; a disc
// row keeps the span that reached it first.
Points ReferenceCircle(int64_t x, int64_t y, int64_t r, bool fill) {
  Points p;
  std::set<int64_t> rows;
  const auto plot = [&](int64_t px, int64_t py) {
    if (px >= 0 && px < 16 && py >= 0 && py < 16) p.insert({static_cast<int>(px), static_cast<int>(py)});
  };
  const auto span = [&](int64_t row, int64_t a, int64_t b) {
    if (row < 0 || row >= 16 || b < 0 || a > 15 || rows.count(row)) return;
    rows.insert(row);
    for (int64_t px = std::max<int64_t>(a, 0); px <= std::min<int64_t>(b, 15); ++px) plot(px, row);
  };
  int64_t d = 3 - 2 * r, j = r, i = 0;
  if (fill) {
    span(y, x - r, x + r);
    if (d >= 0) {
      span(y + r, x, x);
      span(y - r, x, x);
    }
  } else {
    plot(x - r, y), plot(x + r, y), plot(x, y + r), plot(x, y - r);
  }
  for (;;) {
    if (d >= 0) {
      d += 4 * (i - j) + 10;
      --j;
    } else {
      d += 4 * i + 6;
    }
    if (++i > j) break;
    if (fill) {
      span(y + i, x - j, x + j), span(y - i, x - j, x + j);
      if (d >= 0) span(y + j, x - i, x + i), span(y - j, x - i, x + i);
    } else {
      for (int sx : {-1, 1}) {
        for (int sy : {-1, 1}) plot(x + sx * j, y + sy * i), plot(x + sx * i, y + sy * j);
      }
    }
  }
  return p;
}

// Circles whose arc crosses the image from far away: the walk jumps to where the arc can
// first reach the area, and must draw exactly what the step-by-step walk draws.
TEST_F(PrimitivesTest, FarCirclesDrawWhatTheWholeWalkDraws) {
  struct Case {
    int x, y, r;
  } cases[] = {
      {-2113, -2113, 3000},  // the area near the octant's diagonal
      {-1000, -2800, 3000},  // crossed by the steep part of the arc
      {-2800, -1000, 3000},  // crossed by the flat part
      {2990, 7, 3000},       // the centre's row crosses the area
      {7, -2990, 3000},
      {-100000, -100000, 141421},
      {-3000, -3000, 1000},  // misses the area altogether
  };
  for (const Case& c : cases) {
    for (int fill : {0, 1}) {
      Clear(image.get());
      rt::DrawCircleMemImg(image.get(), c.x, c.y, c.r, 1, fill);
      EXPECT_EQ(Drawn(image.img), ReferenceCircle(c.x, c.y, c.r, fill != 0))
          << c.x << "," << c.y << " radius " << c.r << (fill ? " disc" : " outline");
    }
  }
}

TEST_F(PrimitivesTest, HugeAndNegativeRadii) {
  // A disc far larger than the image covers all of it; an outline that large misses it.
  rt::DrawCircleMemImg(image.get(), 7, 7, INT_MAX, 1, 1);
  EXPECT_EQ(Drawn(image.img).size(), 256u);
  Clear(image.get());
  rt::DrawCircleMemImg(image.get(), 7, 7, INT_MAX, 1, 0);
  rt::DrawCircleMemImg(image.get(), INT_MIN, INT_MAX, 1000000000, 1, 0);
  rt::DrawCircleMemImg(image.get(), 7, 7, -3, 1, 1);
  EXPECT_TRUE(Drawn(image.img).empty());
  // A draw area lying wholly below the image sizes nothing by its own edges.
  rt::GetDrawState().drawArea = RECT{0, INT_MAX - 3, 16, 5};
  rt::DrawCircleMemImg(image.get(), 7, 7, 3, 1, 1);
  rt::FillBoxMemImg(image.get(), nullptr, 1);
  rt::DrawLineMemImg(image.get(), 0, 0, 15, 15, 1);
  EXPECT_TRUE(Drawn(image.img).empty());
}

TEST_F(PrimitivesTest, LineAndCircleRefuseAPalettedImage) {
  OwnedMemImg m;
  ASSERT_EQ(rt::InitMemImg(m.get(), 16, 4, -1, 0, 1, 1, 0, 0), 0);
  std::memset(m->pixels, 0, static_cast<size_t>(m->pitch) * 4);
  rt::GetDrawState().drawArea = RECT{0, 0, 16, 4};
  rt::DrawLineMemImg(m.get(), 0, 1, 16, 1, 0xFFFFFFFF);
  rt::DrawCircleMemImg(m.get(), 8, 2, 1, 0xFFFFFFFF, 1);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 16; ++x) EXPECT_EQ(ReadPixel(m.img, x, y), 0u) << x << "," << y;
  }
}

TEST_F(PrimitivesTest, LineAndCircleDrawIntoAnAlphaImage) {
  OwnedMemImg m;
  ASSERT_EQ(rt::InitMemImg(m.get(), 8, 8, -1, 0, 1, 0, 1, 0), 0);
  Clear(m.get());
  rt::GetDrawState().drawArea = RECT{0, 0, 8, 8};
  rt::DrawLineMemImg(m.get(), 0, 0, 3, 0, 0xFF112233);
  rt::DrawCircleMemImg(m.get(), 4, 4, 0, 0xFF112233, 1);
  EXPECT_EQ(ReadPixel(m.img, 2, 0), 0xFF112233u);
  EXPECT_EQ(ReadPixel(m.img, 4, 4), 0xFF112233u);
}

}  // namespace
