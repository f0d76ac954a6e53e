#include "runtime/font/glyph_blit.h"

#include <algorithm>
#include <cstddef>

#include "runtime/image/color_format.h"

namespace rt {
namespace {

constexpr int kFullBody = 15;
constexpr int kLevelShift = 4;
constexpr int kLevelMask = 0x0F;
constexpr int kOpaque = 255;
// A full edge alone mixes to alpha 15 x 16; on a target without alpha it covers fully.
constexpr int kFullEdgeAlpha = 240;
// On a palette target a level covers the pixel from half strength on.
constexpr int kHalfLevel = 8;

bool HasAlpha(const MEMIMG* image) { return image->alphaFlag && !image->paletteFlag; }

int BytesPerPixel(const MEMIMG* image) { return MemImgBytesPerPixel(image->kind, image->paletteFlag, image->alphaFlag); }

int MixChannel(int source, int dest, int coverage) {
  return (source * coverage + dest * (kOpaque - coverage) + kOpaque / 2) / kOpaque;
}

int Expand5(int v) { return (v << 3) | (v >> 2); }
int Expand6(int v) { return (v << 2) | (v >> 4); }

uint16_t Blend(uint16_t dest, uint32_t color, int coverage) {
  const int r = MixChannel(Expand5((color >> 11) & 0x1F), Expand5((dest >> 11) & 0x1F), coverage);
  const int g = MixChannel(Expand6((color >> 5) & 0x3F), Expand6((dest >> 5) & 0x3F), coverage);
  const int b = MixChannel(Expand5(color & 0x1F), Expand5(dest & 0x1F), coverage);
  return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

uint32_t Blend(uint32_t dest, uint32_t color, int coverage) {
  const int r = MixChannel((color >> 16) & 0xFF, (dest >> 16) & 0xFF, coverage);
  const int g = MixChannel((color >> 8) & 0xFF, (dest >> 8) & 0xFF, coverage);
  const int b = MixChannel(color & 0xFF, dest & 0xFF, coverage);
  return (color & 0xFF000000u) | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

uint8_t Blend(uint8_t dest, uint32_t /*color*/, int /*coverage*/) { return dest; }

template <class Pixel, bool kBitmap, bool kVertical>
void DrawGlyphPixels(MEMIMG* target, const GlyphCellImage& glyph, const RECT& area, int x, int y, bool keepBackground,
                     const GlyphPaint& paint) {
  const bool alphaTarget = HasAlpha(target);
  const bool clearGaps = alphaTarget && !keepBackground;
  const auto text = static_cast<Pixel>(paint.textPixel);
  for (int dy = area.top; dy < area.bottom; ++dy) {
    auto* out = reinterpret_cast<Pixel*>(target->pixels + static_cast<std::ptrdiff_t>(dy) * target->pitch);
    for (int dx = area.left; dx < area.right; ++dx) {
      const int gx = kVertical ? dy - y : dx - x;
      const int gy = kVertical ? glyph.height - 1 - (dx - x) : dy - y;
      const uint8_t* row = glyph.rows + static_cast<std::ptrdiff_t>(gy) * glyph.rowBytes;
      if constexpr (kBitmap) {
        if (row[gx >> 3] & (0x80 >> (gx & 7))) {
          out[dx] = text;
        } else if (clearGaps) {
          out[dx] = 0;
        }
      } else {
        const GlyphShade& shade = paint.shades[row[gx]];
        if (alphaTarget) {
          if (shade.alpha) {
            out[dx] = static_cast<Pixel>(shade.color);
          } else if (!keepBackground) {
            out[dx] = 0;
          }
        } else if (shade.coverage == kOpaque) {
          out[dx] = static_cast<Pixel>(shade.color);
        } else if (shade.coverage) {
          out[dx] = Blend(out[dx], shade.color, shade.coverage);
        }
      }
    }
  }
}

template <class Pixel>
void DrawGlyph(MEMIMG* target, const GlyphCellImage& glyph, const RECT& area, int x, int y, bool vertical,
               bool keepBackground, const GlyphPaint& paint) {
  if (glyph.bitsPerPixel == 1) {
    if (vertical) {
      DrawGlyphPixels<Pixel, true, true>(target, glyph, area, x, y, keepBackground, paint);
    } else {
      DrawGlyphPixels<Pixel, true, false>(target, glyph, area, x, y, keepBackground, paint);
    }
  } else if (vertical) {
    DrawGlyphPixels<Pixel, false, true>(target, glyph, area, x, y, keepBackground, paint);
  } else {
    DrawGlyphPixels<Pixel, false, false>(target, glyph, area, x, y, keepBackground, paint);
  }
}

}  // namespace

void MixGlyphLevel(uint8_t level, const GlyphInk& ink, int* alpha, int* r, int* g, int* b) {
  const int body = level & kLevelMask;
  const int edge = level >> kLevelShift;
  if (body == kFullBody) {
    *alpha = kOpaque;
    *r = ink.textR;
    *g = ink.textG;
    *b = ink.textB;
  } else if (body == 0) {
    *alpha = edge * 16;
    *r = ink.edgeR;
    *g = ink.edgeG;
    *b = ink.edgeB;
  } else {
    const int a = (kFullBody - body) * edge + 16 * body;
    const int weight = body * 4096 / a;
    *alpha = a;
    *r = ink.edgeR + (ink.textR - ink.edgeR) * weight / 256;
    *g = ink.edgeG + (ink.textG - ink.edgeG) * weight / 256;
    *b = ink.edgeB + (ink.textB - ink.edgeB) * weight / 256;
  }
}

void PrepareGlyphPaint(const MEMIMG* target, const GlyphInk& ink, GlyphPaint* paint) {
  paint->target = target;
  paint->shadesReady = false;
  if (BytesPerPixel(target) == 1) {
    paint->textPixel = ink.textScreen & 0xFF;
  } else {
    paint->textPixel = GetColorFormatPixel(target->format, ink.textR, ink.textG, ink.textB, kOpaque);
  }
}

void PrepareGlyphShades(const GlyphInk& ink, GlyphPaint* paint) {
  const MEMIMG* target = paint->target;
  const bool alphaTarget = HasAlpha(target);
  const bool palette = BytesPerPixel(target) == 1;
  for (int level = 0; level < 256; ++level) {
    GlyphShade& shade = paint->shades[level];
    int alpha, r, g, b;
    MixGlyphLevel(static_cast<uint8_t>(level), ink, &alpha, &r, &g, &b);
    shade.alpha = static_cast<uint8_t>(alpha);
    if (palette) {
      // An index cannot be mixed: the stronger half of body and edge wins.
      const int body = level & kLevelMask;
      const int edge = level >> kLevelShift;
      shade.coverage = body >= kHalfLevel || edge >= kHalfLevel ? kOpaque : 0;
      shade.color = (body >= kHalfLevel ? ink.textScreen : ink.edgeScreen) & 0xFF;
      continue;
    }
    const int body = level & kLevelMask;
    shade.coverage = static_cast<uint8_t>(body == kFullBody ? kOpaque : std::min(kOpaque, alpha * kOpaque / kFullEdgeAlpha));
    shade.color = GetColorFormatPixel(target->format, r, g, b, alphaTarget ? alpha : kOpaque);
  }
  paint->shadesReady = true;
}

void BlitGlyphToMemImg(MEMIMG* target, const GlyphCellImage& glyph, int x, int y, bool vertical, const RECT& clip,
                       bool keepBackground, const GlyphInk& ink, GlyphPaint* paint) {
  if (!target || !target->pixels || glyph.width <= 0 || glyph.height <= 0) return;
  const int w = vertical ? glyph.height : glyph.width;
  const int h = vertical ? glyph.width : glyph.height;
  RECT area{x, y, x + w, y + h};
  const RECT bounds{std::max(clip.left, 0), std::max(clip.top, 0), std::min(clip.right, target->width),
                    std::min(clip.bottom, target->height)};
  area.left = std::max(area.left, bounds.left);
  area.top = std::max(area.top, bounds.top);
  area.right = std::min(area.right, bounds.right);
  area.bottom = std::min(area.bottom, bounds.bottom);
  if (area.left >= area.right || area.top >= area.bottom) return;
  if (paint->target != target) PrepareGlyphPaint(target, ink, paint);
  if (glyph.bitsPerPixel != 1 && !paint->shadesReady) PrepareGlyphShades(ink, paint);
  switch (BytesPerPixel(target)) {
    case 1:
      DrawGlyph<uint8_t>(target, glyph, area, x, y, vertical, keepBackground, *paint);
      break;
    case 2:
      DrawGlyph<uint16_t>(target, glyph, area, x, y, vertical, keepBackground, *paint);
      break;
    case 4:
      DrawGlyph<uint32_t>(target, glyph, area, x, y, vertical, keepBackground, *paint);
      break;
    default:
      return;
  }
  // The pixels changed under the image's derived tables.
  target->alphaPlaneValid = 0;
  target->runTableValid = 0;
}

}  // namespace rt
