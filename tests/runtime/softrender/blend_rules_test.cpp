// The pixel rules shared by the raster routines: the lookup tables and the helpers that
// stand in for them, the stretched and rotated rule sets against the reference model, and
// the worked examples of the rules as one table.

// The 32-byte lane loops are checked here in the baseline instruction set too, where GCC
// warns that such vectors would pass between functions differently under AVX; they never
// do, as the lane loops are inlined.
#pragma GCC diagnostic ignored "-Wpsabi"
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "runtime/image/blend_graph.h"
#include "runtime/softrender/blend_pixel.h"
#include "runtime/softrender/blend_tables.h"
#include "runtime/softrender/blit_memimg.h"
#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/primitives.h"
#include "tests/runtime/softrender/blend_reference.h"
#include "tests/runtime/softrender/loop_sets.h"
#include "tests/support/memimg_fixture.h"

namespace {

using rt::soft::BlendContext;
using rt::soft::BlendOptions;
using rt::soft::Rules;
using rt::soft::SrcForm;
using rt::soft::Transp;

TEST(BlendTables, HoldTheirDefinitionsAndMatchTheArithmeticHelpers) {
  rt::InitBlendTables();
  for (int f = 0; f < 256; ++f) {
    for (int v = 0; v < 256; ++v) {
      ASSERT_EQ(rt::BlendMulTable[f][v], static_cast<uint32_t>(f * v / 255)) << f << " " << v;
      ASSERT_EQ(rt::soft::MulDiv255(f, v), rt::BlendMulTable[f][v]) << f << " " << v;
    }
    for (int x = -255; x <= 255; ++x) {
      const int32_t expected = static_cast<int32_t>(static_cast<double>(f) * x / 255.0);  // toward zero
      ASSERT_EQ(rt::BlendDiffTable[f][rt::kBlendDiffZero + x], expected) << f << " " << x;
      ASSERT_EQ(rt::soft::ScaledDiff(f, x), expected) << f << " " << x;
    }
    // The entry below -255 is written too, so a row never holds stale values.
    EXPECT_EQ(rt::BlendDiffTable[f][0], f * -256 / 255);
  }
  for (int b = 0; b < 64; ++b) {
    for (int s = 0; s < 64; ++s) {
      for (int d = 0; d < 64; ++d) {
        const uint32_t expected = static_cast<uint32_t>((b * s + (63 - b) * d) / 63);
        ASSERT_EQ(rt::BlendLerp6Table[b][s][d], expected);
        ASSERT_EQ(rt::soft::Lerp6(b, s, d), expected) << b << " " << s << " " << d;
      }
    }
  }
}

TEST(BlendTables, SaturatingByteHelpersWorkOnEveryByte) {
  std::mt19937 rng(5);
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      // The same pair in every byte, and random neighbours around it.
      const uint32_t noise = static_cast<uint32_t>(rng()) & 0xFF00FF00;
      const uint32_t da = static_cast<uint32_t>(a) * 0x00010001u | noise;
      const uint32_t db = static_cast<uint32_t>(b) * 0x00010001u | (static_cast<uint32_t>(rng()) & 0xFF00FF00);
      ASSERT_EQ(rt::soft::SaturatingAddBytes(da, db), reference::ByteAdd(da, db, false)) << a << " " << b;
      ASSERT_EQ(rt::soft::SaturatingSubtractBytes(da, db), reference::ByteAdd(da, db, true)) << a << " " << b;
    }
  }
}

// A walker over one row of adjacent pixels, as the stretched and rotated walkers apply
// the kernels pixel by pixel.
using SpanFn = void (*)(const BlendContext&, uint8_t*, const uint8_t*, const uint8_t*, int);
template <BlendOptions O>
struct RowWalker {
  static constexpr bool kAccepts = O.transp == Transp::kNone || O.transp == Transp::kTest;
  static void Run(const BlendContext& c, uint8_t* d, const uint8_t* s, const uint8_t* g, int n) {
    rt::soft::BlendSpan<O>(c, d, s, g, n);
  }
};
constexpr auto kStretchedTable = rt::soft::MakeBlendTable<Rules::kStretched, RowWalker, SpanFn>();
constexpr auto kRotatedTable = rt::soft::MakeBlendTable<Rules::kRotated, RowWalker, SpanFn>();

struct Pixel {
  uint32_t dest;
  uint32_t color;
  uint32_t alpha = 0;
  uint32_t index = 0;
};

struct RuleRun {
  Rules rules;
  SrcForm form;
  int mode;
  int param;
  uint32_t bright;
  bool graph;
  int transparentFlag;
  bool mmx;
  uint32_t key;
  uint8_t graphFactor;  // the factor the blend graph gives (through a table that maps every byte to it)
};

// Draws one pixel through the shared rules' kernel; returns the destination.
uint32_t RunRule(const RuleRun& r, const Pixel& p) {
  const rt::soft::BlendChoice choice =
      rt::soft::ChooseBlend(r.rules, r.form, r.mode, r.param, r.bright, r.graph, true, r.mmx);
  if (!choice.draw) return p.dest;
  const Transp transp = r.transparentFlag ? Transp::kTest : Transp::kNone;
  const size_t index =
      rt::soft::BlendIndex(choice.form, choice.mode, choice.graph, choice.white, transp, choice.special);
  const SpanFn fn = r.rules == Rules::kRotated ? kRotatedTable.entries[index] : kStretchedTable.entries[index];
  EXPECT_NE(fn, nullptr);
  if (!fn) return p.dest;
  uint8_t palette[1024] = {};
  uint8_t src[4] = {};
  uint8_t graphTable[256];
  for (uint8_t& f : graphTable) f = r.graphFactor;
  const bool is32 = rt::soft::Is32(r.form);
  if (rt::soft::IsPalette(r.form)) {
    src[0] = static_cast<uint8_t>(p.index);
    std::memcpy(palette + p.index * (is32 ? 4 : 2), &p.color, is32 ? 4 : 2);
  } else if (r.form == SrcForm::k16Alpha) {
    const uint32_t v = (p.color & 0xFFFF) | p.alpha << 16;
    std::memcpy(src, &v, 4);
  } else if (r.form == SrcForm::k32Alpha) {
    const uint32_t v = (p.color & 0xFFFFFF) | p.alpha << 24;
    std::memcpy(src, &v, 4);
  } else {
    std::memcpy(src, &p.color, is32 ? 4 : 2);
  }
  BlendContext c{};
  c.param = static_cast<uint32_t>(r.param);
  c.bright[0] = r.bright & 0xFF;
  c.bright[1] = (r.bright >> 8) & 0xFF;
  c.bright[2] = (r.bright >> 16) & 0xFF;
  c.key = r.key;
  c.palette = palette;
  c.graphTable = graphTable;
  uint32_t dest = p.dest;
  const uint8_t graphByte = 0;
  fn(c, reinterpret_cast<uint8_t*>(&dest), src, &graphByte, 1);
  return is32 ? dest : dest & 0xFFFF;
}

class SharedRules : public ::testing::TestWithParam<Rules> {};

TEST_P(SharedRules, EveryKernelMatchesTheModel) {
  std::mt19937 rng(static_cast<unsigned>(GetParam()) * 31 + 7);
  const SrcForm forms[] = {SrcForm::k16, SrcForm::k16Alpha, SrcForm::k16Palette,
                           SrcForm::k32, SrcForm::k32Alpha, SrcForm::k32Palette};
  const int params[] = {0, 1, 127, 128, 254, 255, static_cast<int>(rng() % 256)};
  const uint32_t brights[] = {0xFFFFFF, 0x000000, 0xFFFFFE, static_cast<uint32_t>(rng() & 0xFFFFFF)};
  int failures = 0;
  for (SrcForm form : forms) {
    const bool is32 = rt::soft::Is32(form);
    for (int mode = 0; mode <= 5; ++mode) {
      for (int param : params) {
        for (uint32_t bright : brights) {
          for (int graph = 0; graph < 2; ++graph) {
            for (int flag = 0; flag < 2; ++flag) {
              for (int mmx = 0; mmx < 2; ++mmx) {
                for (int trial = 0; trial < 24 && failures < 10; ++trial) {
                  RuleRun r{
                      GetParam(), form, mode,     param, bright,
                      graph != 0, flag, mmx != 0, 0,     static_cast<uint8_t>(trial % 3 == 0 ? 255 : rng() % 256)};
                  Pixel p{static_cast<uint32_t>(rng()), static_cast<uint32_t>(rng())};
                  if (!is32) {
                    p.dest &= 0xFFFF;
                    p.color &= 0xFFFF;
                  }
                  p.alpha = trial % 4 == 0 ? 0 : (trial % 4 == 1 ? 255 : rng() % 256);
                  p.index = rng() % 256;
                  r.key = trial % 5 == 0 ? (rt::soft::IsPalette(form) ? p.index : p.color) : 0x00ABCDEF;
                  if (form == SrcForm::k32Alpha) p.color = (p.color & 0xFFFFFF) | p.alpha << 24;
                  reference::Setup o;
                  o.routine =
                      GetParam() == Rules::kRotated ? reference::Routine::kRotated : reference::Routine::kStretched;
                  o.is32 = is32;
                  o.palette = rt::soft::IsPalette(form);
                  o.alpha = rt::soft::HasAlpha(form);
                  o.mode = mode;
                  o.param = param;
                  o.bright = bright;
                  o.graph = graph;
                  o.transparentFlag = flag;
                  o.mmx = mmx;
                  const reference::Source s{p.color, p.alpha, p.index, r.key};
                  const uint32_t expected = reference::Blend(o, p.dest, s, r.graphFactor);
                  const uint32_t got = RunRule(r, p);
                  if (got != expected) {
                    ++failures;
                    ADD_FAILURE() << "form " << static_cast<int>(form) << " mode " << mode << " p " << param
                                  << " bright " << std::hex << bright << std::dec << " graph " << graph << " flag "
                                  << flag << " mmx " << mmx << ": dest " << std::hex << p.dest << " source " << p.color
                                  << " alpha " << std::dec << p.alpha << " got " << std::hex << got << " expected "
                                  << expected;
                  }
                }
              }
            }
          }
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Routines, SharedRules, ::testing::Values(Rules::kStretched, Rules::kRotated),
                         [](const ::testing::TestParamInfo<Rules>& info) {
                           return info.param == Rules::kRotated ? std::string("Rotated") : std::string("Stretched");
                         });

// ---- The worked examples of the rules, through the real routines ----

enum class Via { kBlit, kBlitRuns, kStretched, kRotated, kPixel };

struct Example {
  const char* what;
  Via via;
  SrcForm form;
  int mode;
  int param;
  uint32_t bright;
  int graphFactor;  // -1: no blend graph
  int transparentFlag;
  int mmx;
  uint32_t dest;
  uint32_t color;  // the source colour, or the primitive's colour
  uint32_t alpha;
  uint32_t expected;
};

constexpr uint32_t W = 0xFFFFFF;
constexpr SrcForm k32 = SrcForm::k32, k32A = SrcForm::k32Alpha, k32P = SrcForm::k32Palette;
constexpr SrcForm k16 = SrcForm::k16, k16A = SrcForm::k16Alpha, k16P = SrcForm::k16Palette;

const Example kExamples[] = {
    // Same-size blit.
    {"half blend drops the low bits and the spare byte", Via::kBlit, k32, 1, 128, W, -1, 0, 0, 0x12FF8001, 0x34FF0101,
     0, 0x00FE4000},
    {"half blend on the run path is the general rule", Via::kBlitRuns, k32, 1, 128, W, -1, 1, 0, 0x12FF8001, 0x34FF0101,
     0, 0x12FF4001},
    {"alpha at 255 stores the whole source pixel", Via::kBlit, k32, 1, 255, W, -1, 0, 0, 0x11223344, 0xAA556677, 0,
     0xAA556677},
    {"add at 255 saturates green", Via::kBlit, k32, 2, 255, W, -1, 0, 0, 0x00008100, 0x00008100, 0, 0x0000FF00},
    {"add at 255 keeps low bits without packed byte instructions", Via::kBlit, k32, 2, 255, W, -1, 0, 0, 0x00010101,
     0x00010101, 0, 0x00020202},
    {"add at 255 keeps low bits with packed byte instructions", Via::kBlit, k32, 2, 255, W, -1, 0, 1, 0x00010101,
     0x00010101, 0, 0x00020202},
    {"subtract at 255 with packed byte instructions is exact", Via::kBlit, k32, 3, 255, W, -1, 0, 1, 0x40302010,
     0x10101010, 0, 0x30201000},
    {"subtract at 255 without them takes the guard bits", Via::kBlit, k32, 3, 255, W, -1, 0, 0, 0x40302010, 0x10101010,
     0, 0x00211100},
    {"16-bit add at 255 keeps the low bits", Via::kBlit, k16, 2, 255, W, -1, 0, 0, 0x0821, 0x0821, 0, 0x0822},
    {"16-bit alpha at 100 mixes with 6-bit precision", Via::kBlit, k16, 1, 100, W, -1, 0, 0, 0x0000, 0xFFFF, 0, 0x632C},
    {"16-bit alpha at 103 gives the same", Via::kBlit, k16, 1, 103, W, -1, 0, 0, 0x0000, 0xFFFF, 0, 0x632C},
    {"multiply, keyed alpha 255 source", Via::kBlit, k32A, 4, 0, W, -1, 1, 0, 0x00808080, 0x00FF4080, 255, 0x007F2040},
    {"multiply, keyed alpha 0 source leaves the pixel", Via::kBlit, k32A, 4, 0, W, -1, 1, 0, 0x12808080, 0x00FF4080, 0,
     0x12808080},
    {"unkeyed alpha copy keeps the alpha byte", Via::kBlit, k32A, 0, 0, W, -1, 0, 0, 0x00000000, 0x00102030, 77,
     0x4D102030},
    {"bright with a top byte still counts as white", Via::kBlit, k32, 0, 0, 0xAAFFFFFF, -1, 0, 0, 0, 0x01020304, 0,
     0x01020304},
    // 32-bit rules.
    {"subtract at 0 from a palette source sets guard bits", Via::kStretched, k32P, 3, 0, W, -1, 0, 0, 0xFF102030,
     0x00000000, 0, 0x00112130},
    {"packed add (1,1,1)", Via::kStretched, k32, 2, 255, W, -1, 0, 0, 0x00010101, 0x00010101, 0, 0x00010102},
    {"packed add (128,128,128)", Via::kStretched, k32, 2, 255, W, -1, 0, 0, 0x00808080, 0x00808080, 0, 0x01FFFFFF},
    {"packed add (255,0,0) onto (1,0,0)", Via::kStretched, k32, 2, 255, W, -1, 0, 0, 0x00000001, 0x000000FF, 0,
     0x000001FF},
    {"packed subtract (1,1,1)", Via::kStretched, k32, 3, 255, W, -1, 0, 0, 0x00010101, 0x00010101, 0, 0x00010100},
    {"packed subtract (2,0,0) from (1,0,0)", Via::kStretched, k32, 3, 255, W, -1, 0, 0, 0x00000001, 0x00000002, 0,
     0x00010000},
    {"packed subtract (16,16,16) from (32,32,32)", Via::kStretched, k32, 3, 255, W, -1, 0, 0, 0x00202020, 0x00101010, 0,
     0x00111110},
    {"unkeyed alpha 0: add clears the fourth byte", Via::kStretched, k32A, 2, 255, W, -1, 0, 0, 0x77102030, 0x00FFFFFF,
     0, 0x00102030},
    {"unkeyed alpha 0: subtract sets guard bits", Via::kStretched, k32A, 3, 255, W, -1, 0, 0, 0x77102030, 0x00FFFFFF, 0,
     0x00112130},
    {"unkeyed alpha 0: multiply makes black", Via::kStretched, k32A, 4, 0, W, -1, 0, 0, 0x77102030, 0x00FFFFFF, 0,
     0x77000000},
    {"keyed alpha 0 multiply: the stretched blit skips", Via::kStretched, k32A, 4, 0, W, -1, 1, 0, 0x77102030,
     0x00FFFFFF, 0, 0x77102030},
    {"keyed alpha 0 multiply: the rotated blit draws black", Via::kRotated, k32A, 4, 0, W, -1, 1, 0, 0x77102030,
     0x00FFFFFF, 0, 0x77000000},
    {"unkeyed alpha 255 weighs by 255", Via::kStretched, k32A, 0, 0, W, -1, 0, 0, 0x11000000, 0x00FF0000, 255,
     0x11FE0000},
    {"keyed alpha 255 copies with its alpha", Via::kStretched, k32A, 0, 0, W, -1, 1, 0, 0x11000000, 0x00FF0000, 255,
     0xFFFF0000},
    {"multiply by graph factor 255", Via::kStretched, k32, 4, 0, W, 255, 0, 0, 0x00FFFFFF, 0x00FFFFFF, 0, 0x00FDFDFD},
    {"multiply without graph", Via::kStretched, k32, 4, 0, W, -1, 0, 0, 0x00FFFFFF, 0x00FFFFFF, 0, 0x00FEFEFE},
    // 16-bit rules.
    {"bright 0x808080 on white", Via::kStretched, k16, 0, 0, 0x808080, -1, 0, 0, 0x0000, 0xFFFF, 0, 0x7BEF},
    {"alpha at 128 steps green 0 toward 63 by 31", Via::kStretched, k16, 1, 128, W, -1, 0, 0, 0x07E0, 0x0000, 0,
     0x0400},
    {"alpha at 128 steps green 63 toward 0 by 31", Via::kStretched, k16, 1, 128, W, -1, 0, 0, 0x0000, 0x07E0, 0,
     0x03E0},
    {"keyed alpha 255 copies", Via::kStretched, k16A, 0, 0, W, -1, 1, 0, 0x0000, 0xFFFF, 255, 0xFFFF},
    {"unkeyed alpha 255 weighs by 255", Via::kStretched, k16A, 0, 0, W, -1, 0, 0, 0x0000, 0xFFFF, 255, 0xF7DE},
    {"16-bit packed add 0x0821", Via::kStretched, k16, 2, 255, W, -1, 0, 0, 0x0821, 0x0821, 0, 0x0822},
    {"16-bit packed add: blue overflow sets green's low bit", Via::kStretched, k16, 2, 255, W, -1, 0, 0, 0x001F, 0x0001,
     0, 0x003F},
    {"16-bit packed add: red saturates", Via::kStretched, k16, 2, 255, W, -1, 0, 0, 0x8000, 0x8000, 0, 0xF800},
    {"16-bit packed add: red low bits", Via::kStretched, k16, 2, 255, W, -1, 0, 0, 0x0800, 0x0800, 0, 0x0800},
    {"16-bit packed subtract 0 from 0", Via::kStretched, k16, 3, 255, W, -1, 0, 0, 0x0000, 0x0000, 0, 0x0800},
    {"16-bit packed subtract 0 from white", Via::kStretched, k16, 3, 255, W, -1, 0, 0, 0xFFFF, 0x0000, 0, 0xFFDF},
    {"16-bit packed subtract 0x0821 from itself", Via::kStretched, k16, 3, 255, W, -1, 0, 0, 0x0821, 0x0821, 0, 0x0800},
    {"16-bit packed subtract 0x0800 from 0x1000", Via::kStretched, k16, 3, 255, W, -1, 0, 0, 0x1000, 0x0800, 0, 0x1800},
    {"16-bit packed subtract 0x0020 from 0x0040", Via::kStretched, k16, 3, 255, W, -1, 0, 0, 0x0040, 0x0020, 0, 0x0840},
    {"16-bit multiply white by white", Via::kStretched, k16, 4, 0, W, -1, 0, 0, 0xFFFF, 0xFFFF, 0, 0xF7DE},
    {"16-bit unkeyed alpha 0 subtract", Via::kStretched, k16A, 3, 255, W, -1, 0, 0, 0xFFFF, 0xFFFF, 0, 0xFFDF},
    {"16-bit unkeyed alpha 0 multiply", Via::kStretched, k16A, 4, 0, W, -1, 0, 0, 0xFFFF, 0xFFFF, 0, 0x0000},
    {"16-bit keyed alpha 0 multiply: stretched skips", Via::kStretched, k16A, 4, 0, W, -1, 1, 0, 0x1234, 0xFFFF, 0,
     0x1234},
    {"16-bit keyed alpha 0 multiply: rotated draws black", Via::kRotated, k16A, 4, 0, W, -1, 1, 0, 0x1234, 0xFFFF, 0,
     0x0000},
    {"16-bit add: alpha before the bright step", Via::kStretched, k16A, 2, 255, 0xC8FFFF, -1, 1, 0, 0x0000, 0x1800, 128,
     0x0000},
    {"16-bit subtract at 0 from a palette source", Via::kStretched, k16P, 3, 0, W, -1, 0, 0, 29 << 11 | 55 << 5 | 14,
     0x0000, 0, 29 << 11 | 54 << 5 | 14},
    // Primitives.
    {"primitive alpha 128, 32-bit", Via::kPixel, k32, 1, 128, W, -1, 0, 0, 0x00000000, 0x000000FF, 0, 0x0000007F},
    {"primitive alpha 128, 16-bit blue", Via::kPixel, k16, 1, 128, W, -1, 0, 0, 0x0000, 0x001F, 0, 0x000F},
    {"primitive alpha 255 stores the extra byte", Via::kPixel, k32, 1, 255, W, -1, 0, 0, 0x00000000, 0xAB123456, 0,
     0xAB123456},
    {"primitive add: blue saturates, green takes the carry", Via::kPixel, k32, 2, 255, W, -1, 0, 0, 0x00000001,
     0x000000FF, 0, 0x000001FF},
    {"primitive subtract clears the extra byte", Via::kPixel, k32, 3, 255, W, -1, 0, 0, 0xFF808080, 0x00000000, 0,
     0x00818180},
    {"primitive bright divides by 256", Via::kPixel, k32, 0, 0, 0xFEFFFF, -1, 0, 0, 0, 0x00FFFFFF, 0, 0x00FDFEFE},
    {"primitive multiply ignores p = 0", Via::kPixel, k32, 4, 0, W, -1, 0, 0, 0x00808080, 0x00FFFFFF, 0, 0x007F7F7F},
};

uint32_t RunExample(const Example& e) {
  const bool is32 = rt::soft::Is32(e.form);
  const int kind = is32 ? rt::kMemImgKindXRGB : rt::kMemImgKind565;
  if (e.via == Via::kStretched || e.via == Via::kRotated) {
    RuleRun r{e.via == Via::kRotated ? Rules::kRotated : Rules::kStretched,
              e.form,
              e.mode,
              e.param,
              e.bright,
              e.graphFactor >= 0,
              e.transparentFlag,
              e.mmx != 0,
              0x00ABCDEF,
              static_cast<uint8_t>(e.graphFactor < 0 ? 0 : e.graphFactor)};
    return RunRule(r, Pixel{e.dest, e.color, e.alpha, 3});
  }
  rt::DrawState& state = rt::GetDrawState();
  const rt::DrawState saved = state;
  state.drawArea = RECT{0, 0, 1, 1};
  state.blendMode = e.mode;
  state.blendParam = e.param;
  state.brightColor = e.bright;
  rt::GetScreenStateRecord().mmxAvailable = e.mmx;
  testsupport::OwnedMemImg dest;
  EXPECT_EQ(rt::CreateMemImg(dest.get(), 1, 1, kind), 0);
  testsupport::WritePixel(dest.img, 0, 0, e.dest);
  if (e.via == Via::kPixel) {
    rt::DrawPixelMemImg(dest.get(), 0, 0, e.color);
  } else {
    testsupport::OwnedMemImg src;
    const bool alpha = rt::soft::HasAlpha(e.form);
    EXPECT_EQ(rt::InitMemImg(src.get(), 1, 1, -1, 0x00ABCDEF, kind, 0, alpha, 1), 0);
    uint32_t raw = e.color;
    if (e.form == SrcForm::k32Alpha) raw = (e.color & 0xFFFFFF) | e.alpha << 24;
    if (e.form == SrcForm::k16Alpha) raw = (e.color & 0xFFFF) | e.alpha << 16;
    testsupport::WritePixel(src.img, 0, 0, raw);
    rt::RebuildMemImgRunTable(src.get());
    rt::BlitMemImg(dest.get(), src.get(), 0, 0, e.transparentFlag, nullptr);
  }
  state = saved;
  rt::GetScreenStateRecord().mmxAvailable = rt::kMmxAvailableDefault;
  return testsupport::ReadPixel(dest.img, 0, 0);
}

TEST(BlendExamples, WorkedExamplesOfTheRules) {
  for (const auto& [loopsName, loops] : testloops::Available()) {
    const testloops::Use use(loops);
    for (const Example& e : kExamples) {
      EXPECT_EQ(RunExample(e), e.expected)
          << loopsName << ": " << e.what << std::hex << " (got " << RunExample(e) << ")";
    }
  }
}

}  // namespace

namespace {

// The add and subtract spans of 32-bit sources run the bright step and p in 16-bit lanes;
// every factor meets every channel value (bright swept at p = 255, p swept at bright 255),
// with spans long enough for whole vectors and a tail, against the per-pixel rule.
template <uint8_t kMode>
void CheckScaledSpansAgainstPixelRule() {
  constexpr BlendOptions o{SrcForm::k32, kMode, false, false, Transp::kNone, Rules::kSameSize,
                           rt::soft::Special::kNone};
  static_assert(rt::soft::IsScaledAddOrSubtract(o));
  std::mt19937 rng(17);
  constexpr int kN = 259;
  std::vector<uint32_t> src(kN), dst(kN), expected(kN);
  for (int i = 0; i < kN; ++i) {
    const uint32_t v = static_cast<uint32_t>(i & 0xFF);
    src[i] = v | (v ^ 0x55) << 8 | (255 - v) << 16 | (static_cast<uint32_t>(rng()) & 0xFF000000);
  }
  for (int sweep = 0; sweep < 2; ++sweep) {
    for (uint32_t f = 0; f < 256; ++f) {
      BlendContext c{};
      c.param = sweep == 0 ? 255 : f;
      c.bright[0] = c.bright[1] = sweep == 0 ? f : 255;
      c.bright[2] = sweep == 0 ? 255 - f : 254;
      for (int i = 0; i < kN; ++i) {
        dst[i] = static_cast<uint32_t>(rng());
        rt::soft::SrcPixel sp{src[i], 0, 0};
        expected[i] = rt::soft::BlendValue<o>(c, dst[i], sp, 0);
      }
      rt::soft::BlendSpan<o, 16>(c, reinterpret_cast<uint8_t*>(dst.data()),
                                 reinterpret_cast<const uint8_t*>(src.data()), nullptr, kN);
      for (int i = 0; i < kN; ++i) {
        ASSERT_EQ(dst[i], expected[i]) << "mode " << int{kMode} << " sweep " << sweep << " f " << f << " at " << i;
      }
    }
  }
}

TEST(BlendSpans, ScaledAddAndSubtractInLanesMatchThePixelRule) {
  CheckScaledSpansAgainstPixelRule<2>();
  CheckScaledSpansAgainstPixelRule<3>();
}

}  // namespace

namespace {

// The other spans that run in whole vectors (the bright copy, the alpha mix under each of
// its transparencies, the byte-saturating add and subtract at 255), in blocks of 16 and 32
// bytes, against the per-pixel rule: spans of every length up to a few blocks, so that the
// last block overlaps the one before it or the span is shorter than a block.
template <BlendOptions O, size_t kLane>
void CheckVectorSpanAgainstPixelRule(const char* what) {
  std::mt19937 rng(23);
  constexpr int kMax = 40;
  std::vector<uint32_t> src(kMax), dst(kMax), expected(kMax);
  for (int round = 0; round < 64; ++round) {
    BlendContext c{};
    c.param = 255;
    for (uint32_t& b : c.bright) b = round == 0 ? 255 : static_cast<uint32_t>(rng() % 256);
    for (int n = 0; n <= kMax; ++n) {
      for (int i = 0; i < n; ++i) {
        src[i] = static_cast<uint32_t>(rng());
        if (HasAlpha(O.form)) {
          const uint32_t pick = static_cast<uint32_t>(rng() % 4);
          const uint32_t a = pick == 0 ? 0 : (pick == 1 ? 255 : static_cast<uint32_t>(rng() % 256));
          src[i] = (src[i] & 0xFFFFFF) | a << 24;
        }
        dst[i] = static_cast<uint32_t>(rng());
        rt::soft::SrcPixel sp{src[i], src[i] >> 24, 0};
        expected[i] = rt::soft::BlendValue<O>(c, dst[i], sp, 0);
      }
      rt::soft::BlendSpan<O, 1, kLane>(c, reinterpret_cast<uint8_t*>(dst.data()),
                                       reinterpret_cast<const uint8_t*>(src.data()), nullptr, n);
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(dst[i], expected[i]) << what << " lane " << kLane << " round " << round << " n " << n << " at " << i;
      }
    }
  }
}

template <BlendOptions O>
void CheckVectorSpanInBothWidths(const char* what) {
  CheckVectorSpanAgainstPixelRule<O, 16>(what);
  CheckVectorSpanAgainstPixelRule<O, 32>(what);
}

TEST(BlendSpans, OtherVectorSpansMatchThePixelRule) {
  using rt::soft::Special;
  constexpr BlendOptions bright{SrcForm::k32, 0, false, false, Transp::kNone, Rules::kSameSize, Special::kNone};
  static_assert(rt::soft::IsBrightCopy(bright));
  CheckVectorSpanInBothWidths<bright>("bright copy");
  constexpr BlendOptions tested{SrcForm::k32Alpha, 0, false, true, Transp::kTest, Rules::kSameSize, Special::kNone};
  constexpr BlendOptions weighted{SrcForm::k32Alpha, 0, false, true, Transp::kRunWeighted, Rules::kSameSize,
                                  Special::kNone};
  constexpr BlendOptions stretched{SrcForm::k32Alpha, 0, false, true, Transp::kNone, Rules::kStretched,
                                   Special::kNone};
  static_assert(rt::soft::IsAlphaMix(tested) && rt::soft::IsAlphaMix(weighted) && rt::soft::IsAlphaMix(stretched));
  CheckVectorSpanInBothWidths<tested>("alpha, tested per pixel");
  CheckVectorSpanInBothWidths<weighted>("alpha, translucent run");
  CheckVectorSpanInBothWidths<stretched>("alpha, stretched rules");
  constexpr BlendOptions add{SrcForm::k32, 2, false, true, Transp::kNone, Rules::kSameSize, Special::kSatAdd};
  constexpr BlendOptions subtract{SrcForm::k32, 3, false, true, Transp::kNone, Rules::kSameSize, Special::kSatSub};
  static_assert(rt::soft::IsByteSaturated(add) && rt::soft::IsByteSaturated(subtract));
  CheckVectorSpanInBothWidths<add>("add at 255");
  CheckVectorSpanInBothWidths<subtract>("subtract at 255");
  constexpr BlendOptions scaledAdd{SrcForm::k32, 2, false, false, Transp::kNone, Rules::kSameSize, Special::kNone};
  CheckVectorSpanInBothWidths<scaledAdd>("add with bright");
}

// The packed add at 255 of whole vectors through the byte-saturating add, against the
// packed rule, with every pair of values in each colour byte beside random neighbours.
TEST(BlendSpans, PackedAddThroughSaturatingBytesMatchesThePackedRule) {
  typedef uint8_t Bytes __attribute__((vector_size(16), aligned(1), may_alias));
  typedef uint32_t Pixels __attribute__((vector_size(16), aligned(1), may_alias));
  std::mt19937 rng(29);
  for (uint32_t a = 0; a < 256; ++a) {
    for (uint32_t b = 0; b < 256; ++b) {
      Pixels d, s;
      for (int k = 0; k < 4; ++k) {
        const int shift = 8 * (k % 3);
        const uint32_t mask = ~(0xFFu << shift);
        d[k] = (static_cast<uint32_t>(rng()) & mask) | a << shift;
        s[k] = (static_cast<uint32_t>(rng()) & mask) | b << shift;
      }
      const Pixels r = rt::soft::SaturatingAddPixels32Bytes<Pixels, Bytes>(d, s);
      // The same source with its green and red guard bits cleared, through the shorter form.
      const Pixels even = s & ~0x00010100u;
      const Pixels e = rt::soft::SaturatingAddPixels32Bytes<Pixels, Bytes, true>(d, even);
      for (int k = 0; k < 4; ++k) {
        ASSERT_EQ(r[k], rt::soft::SaturatingAddPixels32(d[k], s[k])) << std::hex << d[k] << " + " << s[k];
        ASSERT_EQ(e[k], rt::soft::SaturatingAddPixels32(d[k], even[k])) << std::hex << d[k] << " + " << even[k];
      }
    }
  }
}

}  // namespace
