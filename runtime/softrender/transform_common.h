// What the stretched blit, the rotated blit and the textured triangle share: the source's
// pixel form, the per-draw blend values, the clip rectangle and the float conversions of
// their set-up.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "runtime/image/blend_graph.h"
#include "runtime/image/memimg.h"
#include "runtime/image/rect.h"
#include "runtime/softrender/blend_pixel.h"
#include "runtime/softrender/draw_state.h"

namespace rt::soft {

inline SrcForm FormOfImage(const MEMIMG* image) {
  if (image->kind == kMemImgKindXRGB) {
    return image->paletteFlag ? SrcForm::k32Palette : (image->alphaFlag ? SrcForm::k32Alpha : SrcForm::k32);
  }
  return image->paletteFlag ? SrcForm::k16Palette : (image->alphaFlag ? SrcForm::k16Alpha : SrcForm::k16);
}

inline BlendContext MakeBlendContext(const DrawState& state, const MEMIMG* src) {
  BlendContext c{};
  const uint32_t bright = state.brightColor;
  c.param = static_cast<uint32_t>(std::clamp(state.blendParam, 0, 255));
  c.bright[0] = bright & 0xFF;
  c.bright[1] = (bright >> 8) & 0xFF;
  c.bright[2] = (bright >> 16) & 0xFF;
  c.key = src ? src->transparentColor : 0;
  c.palette = src ? src->paletteTable : nullptr;
  c.graphTable = BlendGraphTable;
  return c;
}

// The draw area, narrowed to the destination itself: a draw area larger than the image it
// clips must not let a routine write past the image.
inline RECT DestClip(const MEMIMG* dest) {
  const RECT& a = GetDrawState().drawArea;
  RECT r{std::max(a.left, 0), std::max(a.top, 0), std::min(a.right, dest->width), std::min(a.bottom, dest->height)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

// Truncation toward zero of a value already rounded to single precision; values beyond the
// int range (or not numbers) are reported through ok instead of converting out of range.
inline int TruncateFloat(float v, bool* ok) {
  if (!(v > -2147483648.0f && v < 2147483648.0f)) {
    *ok = false;
    return 0;
  }
  return static_cast<int>(v);
}
inline int TruncateDouble(double v, bool* ok) {
  if (!(v > -2147483649.0 && v < 2147483648.0)) {
    *ok = false;
    return 0;
  }
  return static_cast<int>(v);
}

// Whether an image can be drawn from or into by the raster routines at all.
inline bool UsableImage(const MEMIMG* image) {
  return image != nullptr && image->pixels != nullptr && image->width > 0 && image->height > 0 &&
         (image->kind == kMemImgKind565 || image->kind == kMemImgKindXRGB) &&
         (!image->paletteFlag || image->paletteTable != nullptr);
}

// Blends one source pixel into the destination pixel at d, in the destination's own size.
template <BlendOptions O>
inline void BlendInto(const BlendContext& c, uint8_t* d, const SrcPixel& sp, uint32_t factor) {
  if constexpr (Is32(O.form)) {
    uint32_t* p = reinterpret_cast<uint32_t*>(d);
    *p = BlendValue<O>(c, *p, sp, factor);
  } else {
    uint16_t* p = reinterpret_cast<uint16_t*>(d);
    *p = static_cast<uint16_t>(BlendValue<O>(c, *p, sp, factor));
  }
}

// Blends the texel at (column, row) of a source, with its blend-graph factor, into d.
template <BlendOptions O>
inline void BlendTexelInto(const BlendContext& c, uint8_t* d, const uint8_t* texels, ptrdiff_t texPitch,
                           const uint8_t* graph, ptrdiff_t graphPitch, ptrdiff_t column, ptrdiff_t row) {
  const SrcPixel sp = FetchSource<O.form>(c.palette, texels + row * texPitch + column * SrcBytes(O.form), 0);
  const uint32_t factor = O.graph ? c.graphTable[graph[row * graphPitch + column]] : 0;
  BlendInto<O>(c, d, sp, factor);
}

// Whether src can be drawn into dest: the walkers pick their loop by the source's form and
// write the destination in the same pixel size, so the two must share a kind, and the
// destination must be a plain screen-format image.
inline bool DrawableOnto(const MEMIMG* dest, const MEMIMG* src) {
  return dest != nullptr && dest->pixels != nullptr && UsableImage(src) && src->kind == dest->kind &&
         !dest->paletteFlag && !dest->alphaFlag;
}

}  // namespace rt::soft
