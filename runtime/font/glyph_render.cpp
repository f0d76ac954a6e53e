#include "runtime/font/glyph_render.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "runtime/font/font.h"

namespace rt {
namespace {

constexpr int kFullLevel = 15;
constexpr int kGrayMax = 16;
constexpr int kTabledEdgeSizes = 4;

// Half widths of the rows of the edge shapes of sizes 1 to 4, top row first.
constexpr int kEdgeShape1[] = {0, 1, 0};
constexpr int kEdgeShape2[] = {1, 2, 2, 2, 1};
constexpr int kEdgeShape3[] = {0, 2, 2, 3, 2, 2, 0};
constexpr int kEdgeShape4[] = {2, 3, 4, 4, 4, 4, 4, 3, 2};
constexpr const int* kEdgeShapes[] = {nullptr, kEdgeShape1, kEdgeShape2, kEdgeShape3, kEdgeShape4};

bool InkAt(const GlyphBitmap& glyph, int x, int y) {
  const uint8_t* row = glyph.bits + static_cast<size_t>(y) * glyph.rowBytes;
  if (glyph.format == platform::GlyphFormat::kBitmap1) return (row[x >> 3] & (0x80 >> (x & 7))) != 0;
  return row[x] != 0;
}

// Body level 0..15: a set bit is full; grey level v (1..16) becomes v - 1.
int BodyLevel(const GlyphBitmap& glyph, int x, int y) {
  const uint8_t* row = glyph.bits + static_cast<size_t>(y) * glyph.rowBytes;
  if (glyph.format == platform::GlyphFormat::kBitmap1) return (row[x >> 3] & (0x80 >> (x & 7))) ? kFullLevel : 0;
  const int v = std::min<int>(row[x], kGrayMax);
  return v > 0 ? v - 1 : 0;
}

}  // namespace

int EdgeShapeHalfWidth(int edgeSize, int row) {
  if (row < -edgeSize || row > edgeSize) return -1;
  if (edgeSize <= 0) return 0;
  if (edgeSize <= kTabledEdgeSizes) return kEdgeShapes[edgeSize][row + edgeSize];
  // Larger edges are discs that continue the tabled sizes (size 4 is the same disc).
  const int reach = edgeSize * edgeSize + edgeSize - row * row;
  return static_cast<int>(std::sqrt(static_cast<double>(reach)));
}

CellGlyphBox RenderGlyphToCell(const GlyphBitmap& glyph, int fontType, int edgeSize, int cellWidth, int yOffset,
                               uint8_t* cell, int cellRowBytes, int bitsPerPixel) {
  const bool edged = (fontType & kFontTypeEdge) != 0;
  const int e = edged ? std::max(edgeSize, 0) : 0;
  const int width = glyph.width + 2 * e;
  const int height = glyph.height + 2 * e;
  // Rows above the line's top and anything past the cell are cut off, so that every glyph
  // stays inside its own cell.
  const int skip = std::max(0, -yOffset);
  const int top = yOffset + skip;
  const int visibleHeight = std::min(height - skip, cellWidth - top);
  const int visibleWidth = std::min(width, cellWidth);
  if (visibleHeight <= 0 || visibleWidth <= 0) return CellGlyphBox{top, 0, 0};

  std::vector<uint8_t> levels(static_cast<size_t>(width) * height, 0);
  for (int y = 0; y < glyph.height; ++y) {
    for (int x = 0; x < glyph.width; ++x) {
      const int body = BodyLevel(glyph, x, y);
      uint8_t* out = &levels[static_cast<size_t>(y + e) * width + (x + e)];
      *out = static_cast<uint8_t>((*out & 0xF0) | body);
      if (!edged || !InkAt(glyph, x, y)) continue;
      for (int dy = -e; dy <= e; ++dy) {
        const int reach = EdgeShapeHalfWidth(e, dy);
        uint8_t* row = &levels[static_cast<size_t>(y + e + dy) * width];
        for (int dx = -reach; dx <= reach; ++dx) {
          uint8_t& pixel = row[x + e + dx];
          if ((pixel >> 4) < body) pixel = static_cast<uint8_t>((body << 4) | (pixel & 0x0F));
        }
      }
    }
  }

  for (int y = 0; y < visibleHeight; ++y) {
    const uint8_t* source = &levels[static_cast<size_t>(y + skip) * width];
    uint8_t* dest = cell + static_cast<size_t>(y) * cellRowBytes;
    if (bitsPerPixel == 1) {
      for (int x = 0; x < visibleWidth; ++x) {
        if (source[x]) dest[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
      }
    } else {
      std::copy(source, source + visibleWidth, dest);
    }
  }
  return CellGlyphBox{top, visibleWidth, visibleHeight};
}

}  // namespace rt
