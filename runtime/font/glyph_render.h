// Turning one glyph bitmap of the platform into a memory-cache cell: 1 bit per pixel for
// plain fonts, or one byte per pixel holding a body level (low 4 bits, 0..15) and, for edge
// fonts, an edge level (high 4 bits).
#pragma once
#include <cstdint>

#include "platform/glyph_source.h"

namespace rt {

struct GlyphBitmap {
  const uint8_t* bits;  // rows of rowBytes, top first
  int rowBytes;
  int width;
  int height;
  platform::GlyphFormat format;
};

// Where the cell's glyph lies after rendering: its top row's distance from the line's top
// and its size; 0 x 0 when nothing of it falls inside the cell.
struct CellGlyphBox {
  int yOffset;
  int width;
  int height;
};

// The edge shape of a size: for each row from -size to +size, how far it reaches left and
// right of the centre (-1: the row is empty).
int EdgeShapeHalfWidth(int edgeSize, int row);

// Renders the glyph (edge fonts: the body at (edge, edge) inside its edge) into the cell,
// whose rows are already clear. yOffset is where the glyph's top row lies below the line's
// top; whatever falls outside the cell width x cell width square is left out.
CellGlyphBox RenderGlyphToCell(const GlyphBitmap& glyph, int fontType, int edgeSize, int cellWidth, int yOffset,
                               uint8_t* cell, int cellRowBytes, int bitsPerPixel);

}  // namespace rt
