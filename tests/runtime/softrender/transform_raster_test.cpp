// The stretched blit, the rotated blit, the textured triangle and the quad: their geometry
// in worked cases, and every specialised loop against the reference pixel rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "runtime/image/blend_graph.h"
#include "runtime/softrender/blit_rotate.h"
#include "runtime/softrender/blit_stretch.h"
#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/texture_triangle.h"
#include "tests/runtime/softrender/blend_reference.h"
#include "tests/runtime/softrender/loop_sets.h"
#include "tests/support/memimg_fixture.h"

namespace {

using testsupport::OwnedMemImg;
using testsupport::ReadPixel;
using testsupport::WritePixel;

class TransformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = rt::GetDrawState();
    savedMmx_ = rt::GetScreenStateRecord().mmxAvailable;
    SetMode(0, 255);
  }
  void TearDown() override {
    rt::GetDrawState() = saved_;
    rt::GetScreenStateRecord().mmxAvailable = savedMmx_;
  }
  static void SetMode(int mode, int param, uint32_t bright = 0xFFFFFF) {
    rt::DrawState& s = rt::GetDrawState();
    s.blendMode = mode;
    s.blendParam = param;
    s.brightColor = bright;
  }
  static void SetArea(int l, int t, int r, int b) { rt::GetDrawState().drawArea = RECT{l, t, r, b}; }
  // A zeroed 32-bit image, the draw area its whole size.
  static void MakeScreen(OwnedMemImg& m, int w, int h, int kind = 1) {
    ASSERT_EQ(rt::CreateMemImg(m.get(), w, h, kind), 0);
    std::memset(m->pixels, 0, static_cast<size_t>(m->pitch) * h);
    SetArea(0, 0, w, h);
  }
  // A 32-bit source whose pixel (x, y) is Code(x, y).
  static void MakeCoded(OwnedMemImg& m, int w, int h) {
    ASSERT_EQ(rt::InitMemImg(m.get(), w, h, -1, 0xFFFFFFFF, 1, 0, 0, 0), 0);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) WritePixel(m.img, x, y, Code(x, y));
    }
  }
  // Every pixel of the image is still 0: nothing was drawn.
  static void ExpectBlank(const rt::MEMIMG& m) {
    for (int y = 0; y < m.height; ++y) {
      for (int x = 0; x < m.width; ++x) ASSERT_EQ(ReadPixel(m, x, y), 0u) << x << "," << y;
    }
  }
  static uint32_t Code(int x, int y) { return static_cast<uint32_t>((x + 1) | (y + 1) << 12); }
  static int CodeX(uint32_t c) { return static_cast<int>(c & 0xFFF) - 1; }
  static int CodeY(uint32_t c) { return static_cast<int>((c >> 12) & 0xFFF) - 1; }

  rt::DrawState saved_;
  int32_t savedMmx_ = 0;
};

// ---- Stretched blit ----

// The source column of each destination column of one row, read back from a source whose
// blue channel holds its column.
std::vector<int> StretchColumns(int srcW, int destLeft, int destRight, int mode, int param) {
  OwnedMemImg src, dest;
  EXPECT_EQ(rt::InitMemImg(src.get(), srcW, 1, -1, 0xFFFFFFFF, 1, 0, 0, 0), 0);
  for (int x = 0; x < srcW; ++x) WritePixel(src.img, x, 0, static_cast<uint32_t>(x));
  EXPECT_EQ(rt::CreateMemImg(dest.get(), 64, 1, 1), 0);
  const uint32_t fill = mode == 3 ? 0xFFFFFF : 0;
  for (int x = 0; x < 64; ++x) WritePixel(dest.img, x, 0, fill);
  rt::GetDrawState().drawArea = RECT{0, 0, 64, 1};
  rt::GetDrawState().blendMode = mode;
  rt::GetDrawState().blendParam = param;
  const RECT r{destLeft, 0, destRight, 1};
  rt::StretchBlitMemImg(dest.get(), src.get(), &r, 0, nullptr);
  std::vector<int> cols;
  const int left = std::max(0, std::min(destLeft, destRight)), right = std::max(destLeft, destRight);
  for (int x = left; x < right; ++x) {
    const uint32_t v = ReadPixel(dest.img, x, 0) & 0xFF;
    cols.push_back(static_cast<int>(mode == 3 ? 255 - v : v));
  }
  return cols;
}

TEST_F(TransformTest, StretchedSourceColumnTables) {
  struct Case {
    const char* name;
    int srcW, left, right, mode, param;
    std::vector<int> columns;
  };
  // Mode 2 at 255 onto black runs a general loop; mode 0 is the plain copy; mode 3 at 255
  // onto white is the packed subtract, which stops its steps like the plain copy.
  const Case cases[] = {
      {"halved, general", 8, 0, 4, 2, 255, {0, 2, 4, 6}},
      {"halved, plain copy", 8, 0, 4, 0, 255, {0, 1, 3, 5}},
      {"halved, packed subtract", 8, 0, 4, 3, 255, {0, 1, 3, 5}},
      {"halved and mirrored, plain copy", 8, 4, 0, 0, 255, {7, 6, 4, 2}},
      {"halved and mirrored, general", 8, 4, 0, 2, 255, {7, 5, 3, 1}},
      {"mode 1 at 255 is the plain copy", 8, 0, 4, 1, 255, {0, 1, 3, 5}},
      {"doubled", 4, 0, 8, 2, 255, {0, 0, 1, 1, 2, 2, 3, 3}},
      {"same size mirrored", 4, 4, 0, 0, 255, {3, 2, 1, 0}},
      {"one and a half", 2, 0, 3, 2, 255, {0, 0, 1}},
      {"clipped on the left, mirrored", 8, 4, -4, 2, 255, {3, 2, 1, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StretchColumns(c.srcW, c.left, c.right, c.mode, c.param), c.columns) << c.name;
  }
}

TEST_F(TransformTest, StretchedRowsHalveLikeColumns) {
  OwnedMemImg src, dest;
  MakeCoded(src, 1, 8);
  MakeScreen(dest, 1, 4);
  const RECT r{0, 0, 1, 4};
  rt::StretchBlitMemImg(dest.get(), src.get(), &r, 0, nullptr);
  const int plain[4] = {0, 1, 3, 5};
  for (int y = 0; y < 4; ++y) EXPECT_EQ(CodeY(ReadPixel(dest.img, 0, y)), plain[y]) << y;
  SetMode(2, 255);  // add at 255 onto black keeps the source: a general loop
  for (int y = 0; y < 4; ++y) WritePixel(dest.img, 0, y, 0);
  rt::StretchBlitMemImg(dest.get(), src.get(), &r, 0, nullptr);
  for (int y = 0; y < 4; ++y) EXPECT_EQ(CodeY(ReadPixel(dest.img, 0, y)), 2 * y) << y;
}

TEST_F(TransformTest, StretchedNothingForEmptyOrDegenerateRectangles) {
  OwnedMemImg src, dest;
  MakeCoded(src, 4, 4);
  MakeScreen(dest, 16, 16);
  const RECT cases[] = {{3, 3, 3, 9}, {3, 3, 9, 3}, {20, 0, 30, 8}, {-10, 0, -2, 8}};
  for (const RECT& r : cases) rt::StretchBlitMemImg(dest.get(), src.get(), &r, 0, nullptr);
  ExpectBlank(dest.img);
}

// A 32-bit source onto a 16-bit screen (the runtime's default screen before the game sets
// its mode): the walkers write in the source's pixel size, so the draw is refused rather
// than running past the smaller destination.
TEST_F(TransformTest, StretchedRefusesASourceOfAnotherKind) {
  OwnedMemImg src, dest;
  MakeCoded(src, 4, 4);
  MakeScreen(dest, 16, 16, 0);
  const RECT r{0, 0, 16, 16};
  rt::StretchBlitMemImg(dest.get(), src.get(), &r, 0, nullptr);
  ExpectBlank(dest.img);
}

// A rectangle of 80000 pixels, clipped far from its left edge: the steps and the clip
// offset do not fit the 16.16 forms in 32 bits.
TEST_F(TransformTest, StretchedWideRectangleComputesInSixtyFourBits) {
  OwnedMemImg src, dest;
  MakeCoded(src, 2, 1);
  MakeScreen(dest, 100, 1);
  const RECT r{-40000, 0, 40000, 1};
  rt::StretchBlitMemImg(dest.get(), src.get(), &r, 0, nullptr);
  for (int x = 0; x < 100; ++x) ASSERT_EQ(ReadPixel(dest.img, x, 0), Code(1, 0)) << x;
  const RECT left{-40000, 0, 40100, 1};
  SetArea(0, 0, 100, 1);
  std::memset(dest->pixels, 0, static_cast<size_t>(dest->pitch));
  rt::StretchBlitMemImg(dest.get(), src.get(), &left, 0, nullptr);
  EXPECT_EQ(ReadPixel(dest.img, 0, 0), Code(0, 0));
  EXPECT_EQ(ReadPixel(dest.img, 60, 0), Code(1, 0));
}

TEST_F(TransformTest, StretchedPalettedSubtractAtZeroStillDraws) {
  OwnedMemImg src, dest;
  ASSERT_EQ(rt::InitMemImg(src.get(), 2, 1, -1, 9, 1, 1, 0, 0), 0);
  src->pixels[0] = 1;
  src->pixels[1] = 9;  // transparent index
  const uint32_t entry = 0x00102030;
  std::memcpy(src->paletteTable + 4, &entry, 4);
  MakeScreen(dest, 4, 1);
  for (int x = 0; x < 4; ++x) WritePixel(dest.img, x, 0, 0xEEEEEEEE);
  SetMode(3, 0);
  const RECT r{0, 0, 4, 1};
  rt::StretchBlitMemImg(dest.get(), src.get(), &r, 1, nullptr);
  EXPECT_EQ(ReadPixel(dest.img, 0, 0), 0x00EFEFEEu);
  EXPECT_EQ(ReadPixel(dest.img, 1, 0), 0x00EFEFEEu);
  EXPECT_EQ(ReadPixel(dest.img, 2, 0), 0xEEEEEEEEu);
  EXPECT_EQ(ReadPixel(dest.img, 3, 0), 0xEEEEEEEEu);
  // A direct-colour source in the same state draws nothing.
  OwnedMemImg direct;
  MakeCoded(direct, 2, 1);
  rt::StretchBlitMemImg(dest.get(), direct.get(), &r, 0, nullptr);
  EXPECT_EQ(ReadPixel(dest.img, 2, 0), 0xEEEEEEEEu);
}

// ---- Every loop against the reference rules ----

struct Form {
  const char* name;
  int kind, palette, alpha;
};
constexpr Form kForms[] = {
    {"32", 1, 0, 0}, {"32alpha", 1, 0, 1}, {"32palette", 1, 1, 0},
    {"16", 0, 0, 0}, {"16alpha", 0, 0, 1}, {"16palette", 0, 1, 0},
};

// Random sources with transparent values, alpha 0 and 255 and a few in between.
void FillSource(rt::MEMIMG& src, const Form& f, std::mt19937& rng) {
  for (int i = 0; i < 256; ++i) {
    const uint32_t v = static_cast<uint32_t>(rng());
    std::memcpy(src.paletteTable + (f.kind == 1 ? 4 : 2) * i, &v, f.kind == 1 ? 4 : 2);
  }
  const uint32_t key = f.palette ? 7u : (f.kind == 1 ? 0x5A123456u : 0x1234u);
  src.transparentColor = key;
  for (int y = 0; y < src.height; ++y) {
    for (int x = 0; x < src.width; ++x) {
      uint32_t v = static_cast<uint32_t>(rng());
      const int pick = static_cast<int>(rng() % 10);
      if (f.alpha) {
        const uint32_t a = pick < 3 ? 0 : (pick < 6 ? 255 : rng() % 254 + 1);
        v = f.kind == 1 ? (v & 0xFFFFFF) | a << 24 : (v & 0xFF00FFFF) | a << 16;
      } else if (pick < 3) {
        v = key;
      } else if (f.palette) {
        v &= 0xFF;
      }
      WritePixel(src, x, y, v);
    }
  }
}

reference::Source RefSource(const rt::MEMIMG& src, const Form& f, int x, int y) {
  const uint32_t raw = ReadPixel(src, x, y);
  reference::Source s{raw, 0, 0, src.transparentColor};
  if (f.palette) {
    s.index = raw & 0xFF;
    s.color = 0;
    std::memcpy(&s.color, src.paletteTable + (f.kind == 1 ? 4 : 2) * s.index, f.kind == 1 ? 4 : 2);
  } else if (f.alpha) {
    s.alpha = f.kind == 1 ? raw >> 24 : (raw >> 16) & 0xFF;
    s.color = f.kind == 1 ? raw : raw & 0xFFFF;
  }
  return s;
}

struct Settings {
  int mode, param;
  uint32_t bright;
  bool graph;
  int transparent;
  bool mmx;
};

std::vector<Settings> AllSettings() {
  std::vector<Settings> out;
  for (int mode = 0; mode <= 5; ++mode) {
    for (int param : {0, 1, 128, 200, 255}) {
      for (uint32_t bright : {0xFFFFFFu, 0x80C040u}) {
        for (bool graph : {false, true}) {
          for (int transparent : {0, 1}) {
            for (bool mmx : {false, true}) out.push_back({mode, param, bright, graph, transparent, mmx});
          }
        }
      }
    }
  }
  return out;
}

std::string Describe(const Form& f, const Settings& s) {
  return std::string(f.name) + " mode " + std::to_string(s.mode) + " p " + std::to_string(s.param) + " bright " +
         std::to_string(s.bright) + " graph " + std::to_string(s.graph) + " transparent " +
         std::to_string(s.transparent) + " mmx " + std::to_string(s.mmx);
}

// The stretched walk: the general loops' column is floor(t / step) in 16.16; the early-stop
// loops are walked step by step from the clipped start.
std::vector<int> ReferenceStretchWalk(int srcSize, int64_t size, int64_t clipOffset, int count, bool early) {
  const int64_t step = (size << 16) / srcSize;
  std::vector<int> out;
  if (!early) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<int>(((clipOffset + i) << 16) / step));
    return out;
  }
  int64_t col = (clipOffset << 16) / step;
  int64_t acc = step - (clipOffset << 16) % step;
  for (int i = 0; i < count; ++i) {
    out.push_back(static_cast<int>(col));
    acc -= 65536;
    if (acc <= 0) {
      do {
        ++col;
        acc += step;
      } while (acc < 0);
    }
  }
  return out;
}

class StretchReference : public TransformTest, public ::testing::WithParamInterface<Form> {};

TEST_P(StretchReference, EveryLoopMatchesTheReference) {
  const Form f = GetParam();
  std::mt19937 rng(77 + f.kind * 5 + f.palette * 3 + f.alpha);
  OwnedMemImg src, graph, dest, before;
  constexpr int kSrcW = 7, kSrcH = 5;
  ASSERT_EQ(rt::InitMemImg(src.get(), kSrcW, kSrcH, -1, 0, f.kind, f.palette, f.alpha, 0), 0);
  FillSource(src.img, f, rng);
  ASSERT_EQ(rt::InitMemImg(graph.get(), kSrcW, kSrcH, -1, 0, rt::kMemImgKind8, 0, 0, 0), 0);
  testsupport::FillRandom(graph.img, rng);
  rt::BuildBlendGraphTable(100, 60);
  MakeScreen(dest, 24, 12, f.kind);
  MakeScreen(before, 24, 12, f.kind);
  testsupport::FillRandom(before.img, rng);
  // Enlarged and mirrored with a clipped left edge; reduced with a clipped top.
  struct Geometry {
    RECT rect;
    RECT area;
  };
  const Geometry geometries[] = {{{19, -2, -3, 11}, {0, 0, 20, 12}}, {{2, -3, 6, 3}, {0, 0, 24, 12}},
                                 {{1, 1, 15, 11}, {3, 2, 24, 12}}};
  for (const Settings& s : AllSettings()) {
    for (const Geometry& g : geometries) {
      SetMode(s.mode, s.param, s.bright);
      rt::GetDrawState().drawArea = g.area;
      rt::GetScreenStateRecord().mmxAvailable = s.mmx;
      std::memcpy(dest->pixels, before->pixels, static_cast<size_t>(dest->pitch) * 12);
      rt::StretchBlitMemImg(dest.get(), src.get(), &g.rect, s.transparent, s.graph ? graph.get() : nullptr);

      reference::Setup o;
      o.routine = reference::Routine::kStretched;
      o.is32 = f.kind == 1;
      o.palette = f.palette;
      o.alpha = f.alpha;
      o.mode = s.mode;
      o.param = s.param;
      o.bright = s.bright;
      o.graph = s.graph;
      o.transparentFlag = s.transparent;
      o.mmx = s.mmx;
      int mode = s.mode == 1 && s.param == 255 ? 0 : s.mode;
      const bool white = (s.bright & 0xFFFFFF) == 0xFFFFFF;
      const bool early = !s.graph && white && !f.alpha && (mode == 0 || (mode == 3 && s.param == 255));
      const int l = std::min(g.rect.left, g.rect.right), r = std::max(g.rect.left, g.rect.right);
      const int t = std::min(g.rect.top, g.rect.bottom), b = std::max(g.rect.top, g.rect.bottom);
      const int cl = std::clamp(l, g.area.left, g.area.right), cr = std::clamp(r, g.area.left, g.area.right);
      const int ct = std::clamp(t, g.area.top, g.area.bottom), cb = std::clamp(b, g.area.top, g.area.bottom);
      const auto cols = ReferenceStretchWalk(kSrcW, r - l, cl - l, cr - cl, early);
      const auto rows = ReferenceStretchWalk(kSrcH, b - t, ct - t, cb - ct, early);
      for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 24; ++x) {
          const uint32_t d = ReadPixel(before.img, x, y);
          uint32_t expected = d;
          if (x >= cl && x < cr && y >= ct && y < cb) {
            int sx = cols[x - cl], sy = rows[y - ct];
            if (g.rect.left > g.rect.right) sx = kSrcW - 1 - sx;
            if (g.rect.top > g.rect.bottom) sy = kSrcH - 1 - sy;
            const uint32_t factor = rt::BlendGraphTable[ReadPixel(graph.img, sx, sy) & 0xFF];
            expected = reference::Blend(o, d, RefSource(src.img, f, sx, sy), factor);
          }
          ASSERT_EQ(ReadPixel(dest.img, x, y), expected)
              << Describe(f, s) << " rect " << g.rect.left << "," << g.rect.top << " at " << x << "," << y;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, StretchReference, ::testing::ValuesIn(kForms),
                         [](const auto& info) { return std::string("Src") + info.param.name; });

// Every compiled set of loops draws the stretched blit and the quad alike.
TEST_F(TransformTest, StretchAndQuadAgreeInEveryLoopSet) {
  const auto sets = testloops::Available();
  for (const Form& f : kForms) {
    std::mt19937 rng(31 + f.kind * 5 + f.palette * 3 + f.alpha);
    OwnedMemImg src, graph, before;
    ASSERT_EQ(rt::InitMemImg(src.get(), 9, 6, -1, 0, f.kind, f.palette, f.alpha, 0), 0);
    FillSource(src.img, f, rng);
    ASSERT_EQ(rt::InitMemImg(graph.get(), 9, 6, -1, 0, rt::kMemImgKind8, 0, 0, 0), 0);
    testsupport::FillRandom(graph.img, rng);
    rt::BuildBlendGraphTable(100, 60);
    MakeScreen(before, 40, 30, f.kind);
    testsupport::FillRandom(before.img, rng);
    const size_t bytes = static_cast<size_t>(before->pitch) * 30;
    for (const Settings& s : AllSettings()) {
      std::vector<std::vector<uint8_t>> results;
      for (const auto& [name, loops] : sets) {
        testloops::Use use(loops);
        OwnedMemImg dest;
        MakeScreen(dest, 40, 30, f.kind);
        SetArea(1, 1, 39, 29);
        SetMode(s.mode, s.param, s.bright);
        rt::GetScreenStateRecord().mmxAvailable = s.mmx;
        std::memcpy(dest->pixels, before->pixels, bytes);
        const RECT up{-3, 2, 36, 27}, down{30, 25, 26, 22};
        rt::StretchBlitMemImg(dest.get(), src.get(), &up, s.transparent, s.graph ? graph.get() : nullptr);
        rt::StretchBlitMemImg(dest.get(), src.get(), &down, s.transparent, s.graph ? graph.get() : nullptr);
        const int32_t quad[8] = {2, 3, 30, 3, 2, 20, 30, 20};
        rt::DrawQuadMemImg(dest.get(), src.get(), quad, s.transparent, s.graph ? graph.get() : nullptr);
        results.emplace_back(dest->pixels, dest->pixels + bytes);
      }
      for (size_t i = 1; i < results.size(); ++i) {
        ASSERT_EQ(results[i], results[0]) << sets[i].first << " " << Describe(f, s);
      }
    }
  }
}

// An image stretched onto itself reads each source row as the rows drawn before left it.
TEST_F(TransformTest, StretchOntoItselfReadsTheRowsAsDrawn) {
  constexpr int kW = 12, kH = 12;
  OwnedMemImg image;
  MakeScreen(image, kW, kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) WritePixel(image.img, x, y, Code(x, y));
  }
  std::vector<uint32_t> model(kW * kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) model[y * kW + x] = Code(x, y);
  }
  // Its top-left 6 x 6 pixels, enlarged onto the whole image: rows drawn early overwrite
  // source rows still to be read.
  rt::MEMIMG source = image.img;
  source.width = 6;
  source.height = 6;
  const RECT r{0, 0, kW, kH};
  rt::StretchBlitMemImg(image.get(), &source, &r, 0, nullptr);
  const auto cols = ReferenceStretchWalk(6, kW, 0, kW, true);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) model[y * kW + x] = model[cols[y] * kW + cols[x]];
  }
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) ASSERT_EQ(ReadPixel(image.img, x, y), model[y * kW + x]) << x << "," << y;
  }
}

// For the rotated blit and the triangle: the mapping is learnt from a draw of a coded
// source (dest pixel -> source pixel or none), then every loop is checked against the
// reference rule along that mapping.
using Draw = void (*)(rt::MEMIMG* dest, const rt::MEMIMG* src, int transparent, const rt::MEMIMG* graph);

void CheckLoopsAlongMapping(const Form& f, Draw draw, reference::Routine routine, int drawCount) {
  std::mt19937 rng(99 + f.kind * 5 + f.palette * 3 + f.alpha);
  constexpr int kW = 9, kH = 7, kDestW = 20, kDestH = 20;
  OwnedMemImg coded, mapping, src, graph, dest, before;
  ASSERT_EQ(rt::InitMemImg(coded.get(), kW, kH, -1, 0xFFFFFFFF, 1, 0, 0, 0), 0);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) WritePixel(coded.img, x, y, static_cast<uint32_t>((x + 1) | (y + 1) << 12));
  }
  ASSERT_EQ(rt::CreateMemImg(mapping.get(), kDestW, kDestH, 1), 0);
  std::memset(mapping->pixels, 0, static_cast<size_t>(mapping->pitch) * kDestH);
  rt::DrawState& state = rt::GetDrawState();
  state.drawArea = RECT{1, 2, kDestW - 1, kDestH - 2};
  state.blendMode = 0;
  state.blendParam = 255;
  state.brightColor = 0xFFFFFF;
  draw(mapping.get(), coded.get(), 0, nullptr);

  ASSERT_EQ(rt::InitMemImg(src.get(), kW, kH, -1, 0, f.kind, f.palette, f.alpha, 0), 0);
  FillSource(src.img, f, rng);
  ASSERT_EQ(rt::InitMemImg(graph.get(), kW, kH, -1, 0, rt::kMemImgKind8, 0, 0, 0), 0);
  testsupport::FillRandom(graph.img, rng);
  rt::BuildBlendGraphTable(100, 60);
  ASSERT_EQ(rt::CreateMemImg(dest.get(), kDestW, kDestH, f.kind), 0);
  ASSERT_EQ(rt::CreateMemImg(before.get(), kDestW, kDestH, f.kind), 0);
  testsupport::FillRandom(before.img, rng);
  int drawn = 0;
  for (const Settings& s : AllSettings()) {
    if (s.mmx) continue;  // neither routine has an MMX case
    state.blendMode = s.mode;
    state.blendParam = s.param;
    state.brightColor = s.bright;
    std::memcpy(dest->pixels, before->pixels, static_cast<size_t>(dest->pitch) * kDestH);
    draw(dest.get(), src.get(), s.transparent, s.graph ? graph.get() : nullptr);
    reference::Setup o;
    o.routine = routine;
    o.is32 = f.kind == 1;
    o.palette = f.palette;
    o.alpha = f.alpha;
    o.mode = s.mode;
    o.param = s.param;
    o.bright = s.bright;
    o.graph = s.graph;
    o.transparentFlag = s.transparent;
    for (int y = 0; y < kDestH; ++y) {
      for (int x = 0; x < kDestW; ++x) {
        const uint32_t code = ReadPixel(mapping.img, x, y);
        uint32_t expected = ReadPixel(before.img, x, y);
        if (code != 0) {
          const int sx = static_cast<int>(code & 0xFFF) - 1, sy = static_cast<int>(code >> 12) - 1;
          const uint32_t factor = rt::BlendGraphTable[ReadPixel(graph.img, sx, sy) & 0xFF];
          for (int k = 0; k < drawCount; ++k) {
            expected = reference::Blend(o, expected, RefSource(src.img, f, sx, sy), factor);
          }
          ++drawn;
        }
        ASSERT_EQ(ReadPixel(dest.img, x, y), expected) << Describe(f, s) << " at " << x << "," << y;
      }
    }
  }
  EXPECT_GT(drawn, 0);
}

class MappedReference : public TransformTest, public ::testing::WithParamInterface<Form> {};

TEST_P(MappedReference, RotatedLoopsMatchTheReference) {
  CheckLoopsAlongMapping(
      GetParam(),
      [](rt::MEMIMG* d, const rt::MEMIMG* s, int t, const rt::MEMIMG* g) {
        rt::RotateBlitMemImg(d, s, 10, 9, 0.7f, 1.3f, t, 0, g);
      },
      reference::Routine::kRotated, 1);
}

TEST_P(MappedReference, TriangleLoopsMatchTheReference) {
  CheckLoopsAlongMapping(
      GetParam(),
      [](rt::MEMIMG* d, const rt::MEMIMG* s, int t, const rt::MEMIMG* g) {
        const rt::TexVertexTriple tri{{{2, 1, 0, 0}, {17, 5, 9, 1}, {6, 18, 2, 7}}};
        rt::DrawTextureTriangleMemImg(d, s, &tri, t, g, 0);
      },
      reference::Routine::kRotated, 1);
}

// Spans along texture rows, reaching past the texture on both sides and below it: the spans
// whose positions stay inside are walked without a test per pixel.
TEST_P(MappedReference, RowAlignedTriangleLoopsMatchTheReference) {
  CheckLoopsAlongMapping(
      GetParam(),
      [](rt::MEMIMG* d, const rt::MEMIMG* s, int t, const rt::MEMIMG* g) {
        const rt::TexVertexTriple tri{{{1, 1, -3, 0}, {19, 1, 12, 0}, {1, 19, -3, 10}}};
        rt::DrawTextureTriangleMemImg(d, s, &tri, t, g, 0);
      },
      reference::Routine::kRotated, 1);
}

// Mirrored in u, so that the spans walk the texture rows backwards.
TEST_P(MappedReference, MirroredRowAlignedTriangleLoopsMatchTheReference) {
  CheckLoopsAlongMapping(
      GetParam(),
      [](rt::MEMIMG* d, const rt::MEMIMG* s, int t, const rt::MEMIMG* g) {
        const rt::TexVertexTriple tri{{{1, 1, 11, 0}, {19, 1, -2, 0}, {19, 18, -2, 9}}};
        rt::DrawTextureTriangleMemImg(d, s, &tri, t, g, 0);
      },
      reference::Routine::kRotated, 1);
}

INSTANTIATE_TEST_SUITE_P(Forms, MappedReference, ::testing::ValuesIn(kForms),
                         [](const auto& info) { return std::string("Src") + info.param.name; });

// ---- Rotated blit ----

TEST_F(TransformTest, RotatedAtAngleZeroPlacesTheSourceAroundTheCentre) {
  struct Case {
    int w, h, x, y;
    int left, top;  // where source pixel (0, 0) lands
  };
  const Case cases[] = {{6, 4, 10, 10, 7, 8}, {5, 3, 10, 10, 8, 9}, {1, 1, 4, 4, 4, 4}};
  for (const Case& c : cases) {
    OwnedMemImg src, dest;
    MakeCoded(src, c.w, c.h);
    MakeScreen(dest, 24, 24);
    rt::RotateBlitMemImg(dest.get(), src.get(), c.x, c.y, 0.0f, 1.0f, 0, 0, nullptr);
    for (int y = 0; y < 24; ++y) {
      for (int x = 0; x < 24; ++x) {
        const int sx = x - c.left, sy = y - c.top;
        const uint32_t expected = (sx >= 0 && sx < c.w && sy >= 0 && sy < c.h) ? Code(sx, sy) : 0;
        ASSERT_EQ(ReadPixel(dest.img, x, y), expected) << c.w << "x" << c.h << " at " << x << "," << y;
      }
    }
  }
}

TEST_F(TransformTest, RotatedQuarterTurnWorkedExample) {
  OwnedMemImg src, dest;
  MakeCoded(src, 4, 2);
  MakeScreen(dest, 16, 12);
  rt::RotateBlitMemImg(dest.get(), src.get(), 8, 5, static_cast<float>(M_PI / 2), 1.0f, 0, 0, nullptr);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      uint32_t expected = 0;
      if ((x == 8 || x == 9) && y >= 3 && y <= 6) expected = Code(y - 3, x == 9 ? 0 : 1);
      ASSERT_EQ(ReadPixel(dest.img, x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(TransformTest, RotatedRefusesBadScalesAndAngles) {
  OwnedMemImg src, dest;
  MakeCoded(src, 4, 4);
  MakeScreen(dest, 16, 16);
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  const float cases[][2] = {{0.5f, 0.0f}, {0.5f, nan}, {0.5f, inf}, {0.5f, -inf}, {nan, 1.0f}, {inf, 1.0f},
                            {0.0f, 1e30f}, {0.0f, 1e-30f}};
  for (int turn : {0, 1}) {
    for (const auto& c : cases) rt::RotateBlitMemImg(dest.get(), src.get(), 8, 8, c[0], c[1], 0, turn, nullptr);
  }
  ExpectBlank(dest.img);
}

// A source taller than 4096 rows: its lower rows are still addressed correctly.
TEST_F(TransformTest, RotatedTallSourceReachesItsLastRows) {
  OwnedMemImg src, dest;
  MakeCoded(src, 2, 5000);
  MakeScreen(dest, 4, 5004);
  rt::RotateBlitMemImg(dest.get(), src.get(), 1, 2500, 0.0f, 1.0f, 0, 0, nullptr);
  EXPECT_EQ(ReadPixel(dest.img, 0, 4999), Code(0, 4999));
  EXPECT_EQ(ReadPixel(dest.img, 1, 4500), Code(1, 4500));
}

TEST_F(TransformTest, MirroredRotatedDrawEqualsTheQuadOfItsCorners) {
  OwnedMemImg src, a, b;
  MakeCoded(src, 7, 5);
  for (float angle : {0.0f, 0.4f, -2.1f}) {
    MakeScreen(a, 24, 24);
    rt::RotateBlitMemImg(a.get(), src.get(), 12, 11, angle, 1.7f, 0, 1, nullptr);
    MakeScreen(b, 24, 24);
    // The corners as the blit computes them, truncated to whole pixels, in mirrored order.
    const double s = std::sin(static_cast<double>(angle)), c = std::cos(static_cast<double>(angle));
    const int si = static_cast<int>(static_cast<float>(s) * 262144.0f);
    const int ci = static_cast<int>(static_cast<float>(c) * 262144.0f);
    const double hw = 7 * 1.7f * 0.5, hh = 5 * 1.7f * 0.5;
    const float pa = static_cast<float>(ci * hw), pb = static_cast<float>(si * hw);
    const float pe = static_cast<float>(ci * hh), pf = static_cast<float>(si * hh);
    auto px = [](float v, int centre) { return (static_cast<int64_t>(v) + centre * 262144LL) / 262144; };
    const int32_t quad[8] = {
        static_cast<int32_t>(px(pa + pf, 12)),  static_cast<int32_t>(px(-pe + pb, 11)),
        static_cast<int32_t>(px(-pa + pf, 12)), static_cast<int32_t>(px(-pe - pb, 11)),
        static_cast<int32_t>(px(pa - pf, 12)),  static_cast<int32_t>(px(pe + pb, 11)),
        static_cast<int32_t>(px(-pa - pf, 12)), static_cast<int32_t>(px(pe - pb, 11)),
    };
    rt::DrawQuadMemImg(b.get(), src.get(), quad, 0, nullptr);
    int drawn = 0;
    for (int y = 0; y < 24; ++y) {
      for (int x = 0; x < 24; ++x) {
        ASSERT_EQ(ReadPixel(a.img, x, y), ReadPixel(b.img, x, y)) << angle << " at " << x << "," << y;
        drawn += ReadPixel(a.img, x, y) != 0;
      }
    }
    EXPECT_GT(drawn, 20);
    rt::ReleaseMemImg(a.get());
    rt::ReleaseMemImg(b.get());
  }
}

// ---- Triangle and quad ----

// Spans (first, last column) per row of a fill, -1 where a row has none.
std::vector<std::pair<int, int>> Spans(const rt::MEMIMG& m) {
  std::vector<std::pair<int, int>> out;
  for (int y = 0; y < m.height; ++y) {
    int first = -1, last = -1;
    for (int x = 0; x < m.width; ++x) {
      if (ReadPixel(m, x, y) != 0) {
        if (first < 0) first = x;
        last = x;
      }
    }
    out.push_back({first, last});
  }
  return out;
}

TEST_F(TransformTest, TriangleSpanExamples) {
  struct Case {
    const char* name;
    rt::TexVertexTriple tri;
    std::vector<std::pair<int, int>> spans;  // rows 0..7
  };
  using P = std::pair<int, int>;
  const P none{-1, -1};
  const Case cases[] = {
      {"flat top", {{{0, 0, 0, 0}, {4, 0, 4, 0}, {0, 4, 0, 4}}}, {{0, 4}, {0, 3}, {0, 2}, {0, 1}, none, none, none, none}},
      {"middle on the right",
       {{{0, 0, 0, 0}, {6, 2, 6, 2}, {1, 5, 1, 5}}},
       {{0, 0}, {0, 3}, {0, 6}, {1, 4}, {1, 3}, none, none, none}},
      {"flat bottom", {{{2, 0, 2, 0}, {0, 4, 0, 4}, {4, 4, 4, 4}}}, {{2, 2}, {2, 3}, {1, 3}, {1, 4}, none, none, none, none}},
  };
  OwnedMemImg tex;
  MakeCoded(tex, 8, 8);
  for (const Case& c : cases) {
    OwnedMemImg dest;
    MakeScreen(dest, 8, 8);
    rt::DrawTextureTriangleMemImg(dest.get(), tex.get(), &c.tri, 0, nullptr, 0);
    EXPECT_EQ(Spans(dest.img), c.spans) << c.name;
    // Texel (x, y) on pixel (x, y): the texture coordinates equal the positions.
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const uint32_t v = ReadPixel(dest.img, x, y);
        if (v) {
          EXPECT_EQ(v, Code(x, y)) << c.name << " " << x << "," << y;
        }
      }
    }
  }
}

TEST_F(TransformTest, TriangleCoverageDoesNotDependOnVertexOrder) {
  const rt::TexVertex v[3] = {{3, -2, 0, 0}, {17, 6, 0, 0}, {-1, 13, 0, 0}};
  const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  std::vector<std::pair<int, int>> first;
  for (const auto& o : orders) {
    OwnedMemImg dest;
    MakeScreen(dest, 20, 20);
    const rt::TexVertexTriple tri{{v[o[0]], v[o[1]], v[o[2]]}};
    rt::DrawTextureTriangleMemImg(dest.get(), nullptr, &tri, 0, nullptr, 0x123456);
    const auto spans = Spans(dest.img);
    if (first.empty()) first = spans;
    EXPECT_EQ(spans, first) << o[0] << o[1] << o[2];
  }
}

TEST_F(TransformTest, TriangleRefusesDegenerateAndOutOfRangeVertices) {
  OwnedMemImg dest;
  MakeScreen(dest, 16, 16);
  const rt::TexVertexTriple cases[] = {
      {{{1, 1, 0, 0}, {5, 5, 0, 0}, {9, 9, 0, 0}}},
      {{{3, 3, 0, 0}, {3, 3, 0, 0}, {3, 3, 0, 0}}},
      {{{0, 0, 0, 0}, {9000, 0, 0, 0}, {0, 9, 0, 0}}},
      {{{0, 0, 0, 0}, {9, 0, 0, 0}, {0, -9000, 0, 0}}},
  };
  for (const auto& tri : cases) rt::DrawTextureTriangleMemImg(dest.get(), nullptr, &tri, 0, nullptr, 0xFFFFFF);
  EXPECT_EQ(Spans(dest.img), (std::vector<std::pair<int, int>>(16, {-1, -1})));
}

// Above row 0 and left of column 0 the rows are counted by the floor: a triangle drawn
// there covers the same pixels, each once, as the same triangle moved into the image.
TEST_F(TransformTest, TriangleAcrossTheOriginIsWalkedOnce) {
  SetMode(2, 255);
  OwnedMemImg a, b;
  MakeScreen(a, 30, 30);
  const rt::TexVertexTriple tri{{{-5, -7, 0, 0}, {12, -3, 0, 0}, {-2, 9, 0, 0}}};
  rt::DrawTextureTriangleMemImg(a.get(), nullptr, &tri, 0, nullptr, 0x010101);
  MakeScreen(b, 30, 30);
  const rt::TexVertexTriple moved{{{5, 3, 0, 0}, {22, 7, 0, 0}, {8, 19, 0, 0}}};
  rt::DrawTextureTriangleMemImg(b.get(), nullptr, &moved, 0, nullptr, 0x010101);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      ASSERT_LE(ReadPixel(a.img, x, y), 0x010101u) << x << "," << y;
      ASSERT_EQ(ReadPixel(a.img, x, y), ReadPixel(b.img, x + 10, y + 10)) << x << "," << y;
    }
  }
}

TEST_F(TransformTest, UntexturedFillRules) {
  struct Case {
    int kind, mode, param;
    uint32_t bright, fill, before, after;
  };
  const Case cases[] = {
      {1, 0, 0, 0xFFFFFF, 0xAA123456, 0x11111111, 0xAA123456},
      {1, 0, 0, 0x808080, 0xAA804020, 0x11111111, 0xAA402010},
      {1, 1, 255, 0xFFFFFF, 0x00FF0000, 0x11111111, 0x00FF0000},
      {1, 1, 128, 0xFFFFFF, 0x00FF0000, 0x77000000, 0x777F0000},
      {1, 1, 0, 0xFFFFFF, 0x00FF0000, 0x77000000, 0x77000000},
      {1, 4, 0, 0xFFFFFF, 0x00808080, 0x33FF4020, 0x337F2010},
      {1, 3, 0, 0xFFFFFF, 0x00808080, 0x33FF4020, 0x33FF4020},
      {0, 0, 0, 0xFFFFFF, 0x1234, 0x0000, 0x1234},
      {0, 4, 0, 0xFFFFFF, 0xFFFF, 0xF81F, 0xF01E},
  };
  for (const Case& c : cases) {
    OwnedMemImg dest;
    MakeScreen(dest, 4, 4, c.kind);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) WritePixel(dest.img, x, y, c.before);
    }
    SetMode(c.mode, c.param, c.bright);
    const rt::TexVertexTriple tri{{{0, 0, 0, 0}, {3, 0, 0, 0}, {0, 3, 0, 0}}};
    rt::DrawTextureTriangleMemImg(dest.get(), nullptr, &tri, 1, nullptr, c.fill);
    EXPECT_EQ(ReadPixel(dest.img, 0, 0), c.after) << c.kind << " mode " << c.mode << " p " << c.param;
    EXPECT_EQ(ReadPixel(dest.img, 3, 3), c.before);
  }
}

TEST_F(TransformTest, QuadOfTenTexelsDrawsItsSeamTwice) {
  OwnedMemImg tex, dest;
  ASSERT_EQ(rt::InitMemImg(tex.get(), 10, 10, -1, 0, 1, 0, 0, 0), 0);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) WritePixel(tex.img, x, y, 0x00020202);
  }
  MakeScreen(dest, 12, 12);
  SetMode(2, 255);
  const int32_t corners[8] = {0, 0, 10, 0, 0, 10, 10, 10};
  rt::DrawQuadMemImg(dest.get(), tex.get(), corners, 0, nullptr);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      uint32_t expected = 0;
      if (x < 10 && y < 10) expected = (y >= 1 && x == 10 - y) ? 0x040404 : 0x020202;
      ASSERT_EQ(ReadPixel(dest.img, x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(TransformTest, QuadBoxTestAgainstTheDrawArea) {
  OwnedMemImg tex, dest;
  MakeCoded(tex, 4, 4);
  MakeScreen(dest, 30, 10);
  // The draw area starts at column 20; the quad's largest x is 5 or 3 pixels left of it.
  SetArea(20, 0, 30, 10);
  for (int gap : {5, 3}) {
    const int right = 20 - gap;
    const int32_t corners[8] = {right - 4, 0, right, 0, right - 4, 4, right, 4};
    rt::DrawQuadMemImg(dest.get(), tex.get(), corners, 0, nullptr);
  }
  EXPECT_EQ(Spans(dest.img), (std::vector<std::pair<int, int>>(10, {-1, -1})));
  // An axis-aligned quad of the texture's size maps texel (i, j) to pixel (x1 + i, y1 + j).
  SetArea(0, 0, 30, 10);
  const int32_t placed[8] = {3, 2, 7, 2, 3, 6, 7, 6};
  rt::DrawQuadMemImg(dest.get(), tex.get(), placed, 0, nullptr);
  for (int j = 0; j < 4; ++j) {
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ReadPixel(dest.img, 3 + i, 2 + j), Code(i, j));
  }
  EXPECT_EQ(ReadPixel(dest.img, 7, 2), 0u);
}

}  // namespace
