// Every specialised loop of the same-size blit against the reference model, over random
// pixels and the parameters, bright colours and options where the loops divide.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/image/blend_graph.h"
#include "runtime/softrender/blit_memimg.h"
#include "runtime/softrender/draw_state.h"
#include "tests/runtime/softrender/blend_reference.h"
#include "tests/runtime/softrender/loop_sets.h"
#include "tests/support/memimg_fixture.h"

namespace {

using testsupport::OwnedMemImg;
using testsupport::ReadPixel;
using testsupport::WritePixel;

struct Form {
  const char* name;
  int kind;
  int palette;
  int alpha;
};

constexpr Form kForms[] = {
    {"32", 1, 0, 0}, {"32alpha", 1, 0, 1}, {"32palette", 1, 1, 0},
    {"16", 0, 0, 0}, {"16alpha", 0, 0, 1}, {"16palette", 0, 1, 0},
};

constexpr int kSrcW = 70;  // longer than one run, so rows split into several codes
constexpr int kSrcH = 4;
constexpr int kDestW = 80;
constexpr int kDestH = 8;

class BlitReference : public ::testing::TestWithParam<Form> {
 protected:
  void SetUp() override {
    const Form f = GetParam();
    std::mt19937 rng(1234 + f.kind * 7 + f.palette * 3 + f.alpha);
    ASSERT_EQ(rt::InitMemImg(src.get(), kSrcW, kSrcH, -1, 0, f.kind, f.palette, f.alpha, 1), 0);
    ASSERT_EQ(rt::CreateMemImg(dest.get(), kDestW, kDestH, f.kind), 0);
    ASSERT_EQ(rt::InitMemImg(graph.get(), kSrcW + 3, kSrcH + 2, -1, 0, rt::kMemImgKind8, 0, 0, 0), 0);
    testsupport::FillRandom(dest.img, rng);
    testsupport::FillRandom(graph.img, rng);
    for (int i = 0; i < 256; ++i) {
      const uint32_t v = static_cast<uint32_t>(rng());
      if (f.kind == 1) {
        std::memcpy(src->paletteTable + 4 * i, &v, 4);
      } else {
        std::memcpy(src->paletteTable + 2 * i, &v, 2);
      }
    }
    const uint32_t key = f.palette ? 7u : (f.kind == 1 ? 0x5A123456u : 0x1234u);
    src->transparentColor = key;
    for (int y = 0; y < kSrcH; ++y) {
      for (int x = 0; x < kSrcW; ++x) {
        uint32_t v = static_cast<uint32_t>(rng());
        const int pick = static_cast<int>(rng() % 10);
        if (f.alpha) {
          // Alpha 0, 255 and in between, with long runs in the first row.
          const uint32_t a = (y == 0 && x < 66) ? 0 : (pick < 3 ? 0 : (pick < 6 ? 255 : rng() % 254 + 1));
          v = f.kind == 1 ? (v & 0xFFFFFF) | a << 24 : (v & 0xFF00FFFF) | a << 16;
        } else if ((y == 0 && x < 66) || pick < 3) {
          v = key;
        } else if (pick == 3 && f.kind == 1 && !f.palette) {
          v = key ^ 0xFF000000;  // equal in colour, different in the spare byte: drawn
        } else if (f.palette) {
          v &= 0xFF;
          if (v == key) v = 8;
        }
        WritePixel(src.img, x, y, v);
      }
    }
    rt::RebuildMemImgRunTable(src.get());
    rt::BuildBlendGraphTable(90, 120);
    original.resize(static_cast<size_t>(kDestW) * kDestH);
    for (int y = 0; y < kDestH; ++y) {
      for (int x = 0; x < kDestW; ++x) original[static_cast<size_t>(y) * kDestW + x] = ReadPixel(dest.img, x, y);
    }
  }

  void RestoreDest() {
    for (int y = 0; y < kDestH; ++y) {
      for (int x = 0; x < kDestW; ++x) WritePixel(dest.img, x, y, original[static_cast<size_t>(y) * kDestW + x]);
    }
  }

  reference::Source SourceAt(int u, int v) const {
    const Form f = GetParam();
    const uint32_t raw = ReadPixel(src.img, u, v);
    reference::Source s{};
    s.key = src.img.transparentColor;
    if (f.palette) {
      s.index = raw;
      s.color = 0;
      std::memcpy(&s.color, src.img.paletteTable + raw * (f.kind == 1 ? 4 : 2), f.kind == 1 ? 4 : 2);
    } else if (f.alpha) {
      s.color = f.kind == 1 ? raw : raw & 0xFFFF;
      s.alpha = f.kind == 1 ? raw >> 24 : (raw >> 16) & 0xFF;
    } else {
      s.color = raw;
    }
    return s;
  }

  OwnedMemImg src, dest, graph;
  std::vector<uint32_t> original;
};

TEST_P(BlitReference, EveryLoopMatchesTheModel) {
  const Form f = GetParam();
  std::mt19937 rng(99);
  const int params[] = {0, 1, 127, 128, 254, 255, static_cast<int>(rng() % 256)};
  const uint32_t brights[] = {0xFFFFFF, 0x000000, 0xFFFFFE, static_cast<uint32_t>(rng() & 0xFFFFFF), 0xAAFFFFFF};
  struct Placement {
    int x, y;
    RECT area;
  };
  // Whole source inside (the run path when the flag is 1), and clipped on three sides.
  const Placement placements[] = {{3, 2, {0, 0, kDestW, kDestH}}, {-5, 1, {0, 0, 60, 4}}};
  rt::DrawState& state = rt::GetDrawState();
  const rt::DrawState saved = state;
  int failures = 0;
  for (const auto& [loopsName, loops] : testloops::Available()) {
    const testloops::Use use(loops);
    for (int mode = 0; mode <= 5; ++mode) {
      for (int param : params) {
        for (uint32_t bright : brights) {
          for (int withGraph = 0; withGraph < 2; ++withGraph) {
            for (int flag = 0; flag <= 2; ++flag) {
              for (const Placement& at : placements) {
                for (int mmx = 0; mmx < 2; ++mmx) {
                  if (mmx == 0 && mode != 2 && mode != 3) continue;
                  RestoreDest();
                  state.drawArea = at.area;
                  state.blendMode = mode;
                  state.blendParam = param;
                  state.brightColor = bright;
                  rt::GetScreenStateRecord().mmxAvailable = mmx;
                  rt::BlitMemImg(dest.get(), src.get(), at.x, at.y, flag, withGraph ? graph.get() : nullptr);

                  reference::Setup o;
                  o.is32 = f.kind == 1;
                  o.palette = f.palette;
                  o.alpha = f.alpha;
                  o.mode = mode;
                  o.param = param;
                  o.bright = bright;
                  o.graph = withGraph;
                  o.transparentFlag = flag;
                  o.runPath = flag == 1 && at.x >= at.area.left && at.x + kSrcW <= at.area.right &&
                              at.y >= at.area.top && at.y + kSrcH <= at.area.bottom;
                  o.mmx = mmx;
                  for (int y = 0; y < kDestH && failures < 10; ++y) {
                    for (int x = 0; x < kDestW && failures < 10; ++x) {
                      const uint32_t before = original[static_cast<size_t>(y) * kDestW + x];
                      uint32_t expected = before;
                      const int u = x - at.x, v = y - at.y;
                      const bool inside = x >= at.area.left && x < at.area.right && y >= at.area.top &&
                                          y < at.area.bottom && u >= 0 && u < kSrcW && v >= 0 && v < kSrcH;
                      if (inside) {
                        const int64_t g = rt::BlendGraphTable[graph->pixels[v * graph->pitch + u]];
                        expected = reference::Blend(o, before, SourceAt(u, v), g);
                      }
                      const uint32_t got = ReadPixel(dest.img, x, y);
                      if (got != expected) {
                        ++failures;
                        ADD_FAILURE() << loopsName << " " << f.name << " mode " << mode << " p " << param << " bright "
                                      << std::hex << bright << std::dec << " graph " << withGraph << " flag " << flag
                                      << " run " << o.runPath << " mmx " << mmx << " at (" << x << ", " << y
                                      << "): got " << std::hex << got << " expected " << expected << " dest was "
                                      << before << " source " << ReadPixel(src.img, u, v);
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
  }
  state = saved;
  rt::GetScreenStateRecord().mmxAvailable = rt::kMmxAvailableDefault;
}

INSTANTIATE_TEST_SUITE_P(Forms, BlitReference, ::testing::ValuesIn(kForms),
                         [](const ::testing::TestParamInfo<Form>& info) {
                           return std::string("Src") + info.param.name;
                         });

}  // namespace
