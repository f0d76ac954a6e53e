// Copying cached glyphs into software images: 1-bit glyphs put the text colour on their set
// pixels; glyphs of anti-aliased and edge fonts mix the text and edge colours by their body
// and edge levels, written with alpha into images that have it and blended over the
// pixels of images that do not.
#pragma once
#include <cstdint>

#include "runtime/image/memimg.h"
#include "runtime/image/rect.h"

namespace rt {

struct GlyphInk {
  int textR, textG, textB;  // 0..255, brightness applied
  int edgeR, edgeG, edgeB;
  uint32_t textScreen;      // the same colours in the screen's format (8-bit targets)
  uint32_t edgeScreen;
};

// The text and edge colours (screen colours) dimmed by the draw brightness.
GlyphInk MakeGlyphInk(uint32_t color, uint32_t edgeColor);

// A glyph in a memory-cache cell.
struct GlyphCellImage {
  const uint8_t* rows;  // the cell's first row
  int rowBytes;
  int bitsPerPixel;     // 1, or 8 (body level in the low 4 bits, edge level in the high 4)
  int width;
  int height;
};

// What one cell byte of an anti-aliased or edge glyph becomes: alpha is the body and edge
// mix (0..255) and color its colour packed in the target's format (with that alpha when
// the target has an alpha channel).
struct GlyphShade {
  uint8_t alpha;
  uint8_t coverage;  // how much of the colour covers a target without alpha, 0..255
  uint32_t color;
};

struct GlyphPaint {
  const MEMIMG* target = nullptr;
  uint32_t textPixel = 0;    // the text colour, opaque, in the target's format
  GlyphShade shades[256] = {};
  bool shadesReady = false;
};

// Prepares the colours of a draw into the target; the shades are made on first need.
void PrepareGlyphPaint(const MEMIMG* target, const GlyphInk& ink, GlyphPaint* paint);
void PrepareGlyphShades(const GlyphInk& ink, GlyphPaint* paint);

// The body and edge mix of one cell byte (alpha 0 for an empty pixel; rgb from the text
// and edge colours).
void MixGlyphLevel(uint8_t level, const GlyphInk& ink, int* alpha, int* r, int* g, int* b);

// Draws the glyph with its top-left corner at (x, y), or turned a quarter clockwise so that
// it covers (x, y)-(x + height, y + width), clipped to clip and to the target.
// keepBackground 0 clears the empty glyph pixels of a target with alpha to 0.
void BlitGlyphToMemImg(MEMIMG* target, const GlyphCellImage& glyph, int x, int y, bool vertical, const RECT& clip,
                       bool keepBackground, const GlyphInk& ink, GlyphPaint* paint);

}  // namespace rt
