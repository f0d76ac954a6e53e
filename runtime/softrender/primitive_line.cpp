#include <algorithm>
#include <cstdlib>

#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/primitive_rule.h"
#include "runtime/softrender/primitives.h"

namespace rt {
namespace {

using soft::PrimContext;

// Truncation toward zero; a value outside the 32-bit range (or not a number) gives
// INT32_MIN, as the processor's conversion does, instead of undefined behaviour.
int TruncToInt(double v) {
  if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
  return static_cast<int>(v);
}

struct LineWalk {
  uint8_t* start;
  ptrdiff_t majorStep, minorStep;
  int major, minor;
};

// Variant 0 walks along x, variant 1 along y; the steps already carry the axis.
template <int Kind, int Mode, int>
struct LineRoutine {
  static void Run(const LineWalk& walk, const PrimContext& context) {
    const PrimContext c = context;
    uint8_t* p = walk.start;
    int e = 0;
    for (int k = 0; k < walk.major; ++k) {
      soft::BlendAt<Kind, Mode>(c, p);
      e += walk.minor;
      p += walk.majorStep;
      if (e >= walk.major) {
        p += walk.minorStep;
        e -= walk.major;
      }
    }
  }
};

using LineFn = void (*)(const LineWalk&, const PrimContext&);
constexpr auto kLineTable = soft::MakePrimitiveTable<LineRoutine, LineFn, 2>();

}  // namespace

void DrawLineMemImg(MEMIMG* image, int x1, int y1, int x2, int y2, uint32_t color) {
  // A paletted image has one byte per pixel; a 16- or 32-bit store would overrun its rows.
  if (image == nullptr || image->pixels == nullptr || image->paletteFlag) return;
  const DrawState& state = GetDrawState();
  const RECT area = soft::PrimitiveClipArea(image, state.drawArea);
  const int L = area.left, T = area.top, R = area.right, B = area.bottom;
  if (R <= L || B <= T) return;
  if (std::max(x1, x2) < L || std::min(x1, x2) > R - 1 || std::max(y1, y2) < T || std::min(y1, y2) > B - 1) return;

  // The line through the end points as given: x = kx * y + bx and y = ky * x + by.
  const double kx = y1 == y2 ? 0.0 : (double(x2) - double(x1)) / (double(y2) - double(y1));
  const double ky = x1 == x2 ? 0.0 : (double(y2) - double(y1)) / (double(x2) - double(x1));
  const double bx = x1 - kx * y1;
  const double by = y1 - ky * x1;
  if (x1 < L) {
    x1 = L;
    y1 = TruncToInt(L * ky + by);
  } else if (x1 >= R) {
    x1 = R - 1;
    y1 = TruncToInt((R - 1) * ky + by);
  }
  if (x2 < L) {
    x2 = L - 1;
    y2 = TruncToInt((L - 1) * ky + by);
  } else if (x2 >= R) {
    x2 = R;
    y2 = TruncToInt(R * ky + by);
  }
  if (y1 < T) {
    y1 = T;
    x1 = TruncToInt(T * kx + bx);
  } else if (y1 >= B) {
    y1 = B - 1;
    x1 = TruncToInt((B - 1) * kx + bx);
  }
  if (y2 < T) {
    y2 = T - 1;
    x2 = TruncToInt((T - 1) * kx + bx);
  } else if (y2 >= B) {
    y2 = B;
    x2 = TruncToInt(B * kx + bx);
  }
  // The start ends inside the area; the end may lie one step outside, where the walk stops.
  x1 = std::clamp(x1, L, R - 1);
  x2 = std::clamp(x2, L - 1, R);
  y1 = std::clamp(y1, T, B - 1);
  y2 = std::clamp(y2, T - 1, B);
  const int dx = x2 - x1, dy = y2 - y1;
  if (dx == 0 && dy == 0) return;

  const soft::PrimChoice choice =
      soft::ChoosePrimitive(image, color, state.blendMode, state.blendParam, state.brightColor, true);
  if (!choice.draw) return;
  const int bytes = image->kind == kMemImgKindXRGB ? 4 : 2;
  const ptrdiff_t stepX = dx < 0 ? -bytes : bytes;
  const ptrdiff_t stepY = dy < 0 ? -ptrdiff_t{image->pitch} : ptrdiff_t{image->pitch};
  const int ax = std::abs(dx), ay = std::abs(dy);
  const bool alongX = ax >= ay;
  const LineWalk walk{soft::PixelAddress(image, x1, y1, bytes), alongX ? stepX : stepY, alongX ? stepY : stepX,
                      alongX ? ax : ay, alongX ? ay : ax};
  kLineTable[soft::PrimitiveIndex(choice.kind, choice.mode, alongX ? 0 : 1)](walk, choice.context);
}

void DrawLineListMemImg(MEMIMG* image, const LineRecord* lines, int count) {
  if (lines == nullptr) return;
  for (int i = 0; i < count; ++i) {
    DrawLineMemImg(image, lines[i].x1, lines[i].y1, lines[i].x2, lines[i].y2, lines[i].color);
  }
}

}  // namespace rt
