#include <algorithm>

#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/primitive_rule.h"
#include "runtime/softrender/primitives.h"
#include "runtime/softrender/raster_loops.h"

namespace rt {
namespace {

using soft::PrimContext;

template <int Kind, int Mode, int>
struct PixelRoutine {
  static void Run(MEMIMG* image, int x, int y, const PrimContext& c) {
    // One pixel: the 16-bit alpha rule is computed, not worth a table.
    soft::BlendAt<Kind, Mode, true>(c, soft::PixelAddress(image, x, y, Kind == kMemImgKindXRGB ? 4 : 2));
  }
};

using PixelFn = void (*)(MEMIMG*, int, int, const PrimContext&);
constexpr auto kPixelTable = soft::MakePrimitiveTable<PixelRoutine, PixelFn>();

bool AcceptsPixels(const MEMIMG* image) {
  return image != nullptr && image->pixels != nullptr && !image->paletteFlag && !image->alphaFlag;
}

}  // namespace

void DrawPixelMemImg(MEMIMG* image, int x, int y, uint32_t color) {
  if (!AcceptsPixels(image)) return;
  const DrawState& state = GetDrawState();
  const RECT area = soft::PrimitiveClipArea(image, state.drawArea);
  if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) return;
  const soft::PrimChoice choice =
      soft::ChoosePrimitive(image, color, state.blendMode, state.blendParam, state.brightColor);
  if (!choice.draw) return;
  kPixelTable[soft::PrimitiveIndex(choice.kind, choice.mode)](image, x, y, choice.context);
}

void FillBoxMemImg(MEMIMG* image, const RECT* rect, uint32_t color) {
  if (!AcceptsPixels(image)) return;
  RECT r{0, 0, image->width, image->height};
  if (rect) {
    r = RECT{std::min(rect->left, rect->right), std::min(rect->top, rect->bottom), std::max(rect->left, rect->right),
             std::max(rect->top, rect->bottom)};
  }
  const DrawState& state = GetDrawState();
  // Clipped to the image as well as to the draw area.
  const RECT area = soft::PrimitiveClipArea(image, state.drawArea);
  ClipRectImpl(&r, &area);
  if (r.right <= r.left || r.bottom <= r.top) return;
  const soft::PrimChoice choice =
      soft::ChoosePrimitive(image, color, state.blendMode, state.blendParam, state.brightColor);
  if (!choice.draw) return;
  const int bytes = choice.kind == kMemImgKindXRGB ? 4 : 2;
  const soft::BoxJob job{soft::PixelAddress(image, r.left, r.top, bytes), image->pitch, r.right - r.left,
                         r.bottom - r.top, choice.context};
  soft::ActiveRasterLoops()->box(choice.kind, choice.mode)(job);
}

void FillBoxMemImgXY(MEMIMG* image, int x1, int y1, int x2, int y2, uint32_t color) {
  const RECT r{x1, y1, x2, y2};
  FillBoxMemImg(image, &r, color);
}

}  // namespace rt
