// The texture glyph cache: on the 3D device a font keeps its glyphs in a texture graph (white
// texels whose alpha is the glyph's coverage), and strings are drawn as textured quads in the
// device's vertex batch, modulated by the text colour. Edge fonts keep the edges in the right
// half of the page and draw them under the bodies in the edge colour.
#pragma once
#include <cstdint>

#include "runtime/font/font.h"
#include "runtime/image/rect.h"

namespace rt {

struct TextureCachePage {
  int width;
  int height;
  int cells;
};

// The page of a texture-cache font: with a cache-size setting n > 0 a square of
// cell width x (floor(sqrt(n)) + 1) rounded up to a power of two, else 512 x 512 grown until
// it holds 10 cells; at most kGlyphCellMax cells.
TextureCachePage ComputeTextureCachePage(int cellWidth, int cacheSizeSetting);

// 1 when a new font may keep its glyphs in textures: new graphs are textures of the 3D device
// and its 16-bit alpha formats are 4:4:4:4 and 1:5:5:5.
int CanCacheGlyphsInTextures();
// 1 when the font's strings go through the 3D device: new graphs are its textures, or the
// font keeps its glyphs in textures (which only the device can draw) and the device is in use.
int IsDirect3DStringPath(const FontRecord* record);

// Makes the font's cache graph (filled white with alpha 0) and empties the cell table;
// -1 when it cannot be made (it is tried again on the next use).
int SetupTextureCacheGraph(int font);
// The staging image glyphs are built in, in the cache's texel format; -1 without memory.
int AllocateGlyphImage(FontRecord* record);
// Stores one rendered cell (a cell width square of levels: body in the low 4 bits, edge in
// the high 4 bits, rows of levelPitch bytes) into the cache graph at the cell's place.
void StoreTextureGlyph(FontRecord* record, const GlyphCell& cell, const uint8_t* levels, int levelPitch);

// The draw-mode walk of a texture-cache font: begins (blend graph off, brightness kept, the
// device following the draw target), draws glyph cells, ends (everything put back).
struct TextureStringDraw {
  FontRecord* record = nullptr;
  uint32_t textRgb = 0;  // 0x00RRGGBB, brightness applied
  uint32_t edgeRgb = 0;
  RECT clip{0, 0, 0, 0};
  double xScale = 1.0;
  double yScale = 1.0;
  bool vertical = false;
  bool ready = false;
  // What the walk changes and puts back.
  uint32_t savedBright = 0;
  int savedBlendGraph = -1;
  int savedBlendParam = 0;
  int savedBlendRange = 0;
};
bool BeginTextureString(TextureStringDraw* draw);
// The glyph of the cell at pen position pen (already scaled) of the string at (x, y).
void DrawTextureGlyph(TextureStringDraw* draw, const GlyphCell& cell, int x, int y, double pen);
void EndTextureString(TextureStringDraw* draw);

// The 3D device's string draw: memory-cache fonts go to the display's own string draw;
// texture-cache fonts are drawn through the cache graph with scale 1 and the draw area as
// clip. -1 while the target cannot be drawn on by the device.
int G_D3D_DrawString(int x, int y, const char* text, uint32_t color, int font, uint32_t edgeColor, int vertical);
// Inverts the rectangle of the draw target on the 3D device (a white box with the inverting
// factors), around a subtracted string.
int G_D3D_InvertStringRect(const RECT& rect);

}  // namespace rt
