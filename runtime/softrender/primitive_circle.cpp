#include <algorithm>
#include <cmath>
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
  // How far the area lies from the centre, in rows and in columns (0 when the centre's row or
  // column crosses it): a step whose offsets fall short of these draws nothing.
  int64_t rowNear, columnNear;
};

// Steps the walk may pass over in one jump rather than one by one.
constexpr int64_t kJumpMinimum = 64;

enum class Jump { kDone, kOctantEnds, kWalkOn };

// The walk's state at step i straight from the circle's equation, so that a circle whose arc
// lies far from the draw area need not walk there step by step. Stepping keeps j the largest
// value with i² + (j − ½)² + ¼ < r² as long as i stays below j − 1, and carries
// d = 2(i + 1)² + j² + (j − 1)² − 2r²; kOctantEnds when the octant ends before step i,
// kWalkOn when step i lies too near its end for the equation to hold.
Jump StateAt(int64_t r, int64_t i, int64_t* j, int64_t* d) {
  using Wide = __int128;
  const Wide m = 4 * Wide{r} * r - 4 * Wide{i} * i - 1;  // (2j − 1)² < m
  if (m <= 1) return Jump::kOctantEnds;
  // Integer square root of m − 1, from a floating estimate corrected both ways.
  Wide root = static_cast<Wide>(std::sqrt(static_cast<long double>(m - 1)));
  while (root * root > m - 1) --root;
  while ((root + 1) * (root + 1) <= m - 1) ++root;
  const int64_t jj = static_cast<int64_t>((root + 1) / 2);
  if (jj < i) return Jump::kOctantEnds;
  if (i >= jj - 1) return Jump::kWalkOn;
  *j = jj;
  *d = static_cast<int64_t>(2 * (Wide{i} + 1) * (Wide{i} + 1) + Wide{jj} * jj + Wide{jj - 1} * (jj - 1) -
                            2 * Wide{r} * r);
  return Jump::kDone;
}

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
    // Outline: no point of a step short of the nearer of the two distances can reach the
    // area. Disc: once j falls short of the row distance, no span can until i reaches it.
    bool jumped = false;
    for (;;) {
      const int64_t target = (Variant == 0 ? std::min(w.rowNear, w.columnNear) : w.rowNear) - 1;
      if (!jumped && target - i >= kJumpMinimum && (Variant == 0 || j < w.rowNear)) {
        jumped = true;
        const Jump jump = StateAt(r, target, &j, &d);
        if (jump == Jump::kOctantEnds) break;
        if (jump == Jump::kDone) i = target;
      }
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
  CircleWalk walk{image, x, y, r, soft::PrimitiveClipArea(image, state.drawArea), 0, nullptr, 0, 0};
  const RECT& a = walk.area;
  const int64_t rowReach = std::max(std::abs(int64_t{a.top} - y), std::abs(int64_t{a.bottom} - 1 - y));
  const int64_t columnReach = std::max(std::abs(int64_t{a.left} - x), std::abs(int64_t{a.right} - 1 - x));
  walk.reach = fillFlag ? rowReach : std::min(rowReach, columnReach);
  const auto nearest = [](int64_t centre, int64_t from, int64_t to) -> int64_t {
    return centre < from ? from - centre : centre > to ? centre - to : 0;
  };
  walk.rowNear = nearest(y, a.top, int64_t{a.bottom} - 1);
  walk.columnNear = nearest(x, a.left, int64_t{a.right} - 1);
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
