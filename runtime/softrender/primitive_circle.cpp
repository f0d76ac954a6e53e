#include <algorithm>
#include <cstdlib>

#include "runtime/core/memory.h"
#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/primitive_rule.h"
#include "runtime/softrender/primitives.h"

namespace rt {
namespace {

using soft::PrimContext;

// The midpoint walk over one octant, in 64 bits so that no radius overflows. Every point of
// step i lies at least i rows and i columns away from the centre, every span at least i rows
// (j never falls below i), so the walk stops once nothing later can reach the draw area.
struct CircleWalk {
  MEMIMG* image;
  int64_t x, y, r;
  RECT area;
  int64_t reach;
  uint8_t* rowMarks;  // disc: one byte per row up to the area's bottom
};

// Variant 0 draws the outline, variant 1 the disc.
template <int Kind, int Mode, int Variant>
struct CircleRoutine {
  static constexpr int kBytes = Kind == kMemImgKindXRGB ? 4 : 2;

  static void Plot(const CircleWalk& w, const PrimContext& c, int64_t px, int64_t py) {
    if (px < w.area.left || px >= w.area.right || py < w.area.top || py >= w.area.bottom) return;
    soft::BlendAt<Kind, Mode>(c, soft::PixelAddress(w.image, px, py, kBytes));
  }

  // A row of the disc is drawn at its first, widest extent and never again.
  static void Span(const CircleWalk& w, const PrimContext& c, int64_t row, int64_t a, int64_t b) {
    if (row < w.area.top || row >= w.area.bottom || w.rowMarks[row]) return;
    if (b < w.area.left || a > w.area.right - 1) return;
    w.rowMarks[row] = 1;
    const int64_t from = std::max<int64_t>(a, w.area.left), to = std::min<int64_t>(b, w.area.right - 1);
    uint8_t* p = soft::PixelAddress(w.image, from, row, kBytes);
    for (int64_t px = from; px <= to; ++px, p += kBytes) soft::BlendAt<Kind, Mode>(c, p);
  }

  static void Run(const CircleWalk& w, const PrimContext& context) {
    const PrimContext c = context;
    const int64_t x = w.x, y = w.y, r = w.r;
    int64_t d = 3 - 2 * r, j = r, i = 0;
    if constexpr (Variant == 0) {
      Plot(w, c, x - r, y);
      Plot(w, c, x + r, y);
      Plot(w, c, x, y + r);
      Plot(w, c, x, y - r);
    } else {
      Span(w, c, y, x - r, x + r);
      if (d >= 0) {
        Span(w, c, y + r, x, x);
        Span(w, c, y - r, x, x);
      }
    }
    for (;;) {
      if (d >= 0) {
        d += 4 * (i - j) + 10;
        --j;
      } else {
        d += 4 * i + 6;
      }
      ++i;
      if (i > j || i > w.reach) break;
      if constexpr (Variant == 0) {
        Plot(w, c, x - j, y + i);
        Plot(w, c, x + j, y + i);
        Plot(w, c, x - j, y - i);
        Plot(w, c, x + j, y - i);
        Plot(w, c, x - i, y + j);
        Plot(w, c, x + i, y + j);
        Plot(w, c, x - i, y - j);
        Plot(w, c, x + i, y - j);
      } else {
        Span(w, c, y + i, x - j, x + j);
        Span(w, c, y - i, x - j, x + j);
        if (d >= 0) {
          Span(w, c, y + j, x - i, x + i);
          Span(w, c, y - j, x - i, x + i);
        }
      }
    }
  }
};

using CircleFn = void (*)(const CircleWalk&, const PrimContext&);
constexpr auto kCircleTable = soft::MakePrimitiveTable<CircleRoutine, CircleFn, 2>();

}  // namespace

void DrawCircleMemImg(MEMIMG* image, int x, int y, int r, uint32_t color, int fillFlag) {
  // A paletted image has one byte per pixel; a 16- or 32-bit store would overrun its rows.
  if (image == nullptr || image->pixels == nullptr || image->paletteFlag || r < 0) return;
  const DrawState& state = GetDrawState();
  const soft::PrimChoice choice =
      soft::ChoosePrimitive(image, color, state.blendMode, state.blendParam, state.brightColor, true);
  if (!choice.draw) return;
  CircleWalk walk{image, x, y, r, soft::PrimitiveClipArea(image, state.drawArea), 0, nullptr};
  const RECT& a = walk.area;
  const int64_t rowReach = std::max(std::abs(int64_t{a.top} - y), std::abs(int64_t{a.bottom} - 1 - y));
  const int64_t columnReach = std::max(std::abs(int64_t{a.left} - x), std::abs(int64_t{a.right} - 1 - x));
  walk.reach = fillFlag ? rowReach : std::min(rowReach, columnReach);
  const bool overlaps = a.right > a.left && a.bottom > a.top && walk.x + walk.r >= a.left &&
                        walk.x - walk.r < a.right && walk.y + walk.r >= a.top && walk.y - walk.r < a.bottom;
  if (fillFlag) {
    walk.rowMarks = static_cast<uint8_t*>(MemAllocZero(static_cast<size_t>(std::max(a.bottom, 0)) + 1, "", 0));
    if (walk.rowMarks == nullptr) return;
  }
  if (overlaps) {
    kCircleTable[soft::PrimitiveIndex(choice.kind, choice.mode, fillFlag ? 1 : 0)](walk, choice.context);
  }
  MemFree(walk.rowMarks);
}

}  // namespace rt
