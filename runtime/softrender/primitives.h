// Software primitives on 16- and 32-bit software images: pixel, filled box, line, line
// list, circle and disc, each under the draw state's blend mode, parameter and bright
// colour, clipped to the draw area (and to the image). A colour is a pixel value in the
// image's format.
#pragma once
#include <cstdint>

#include "runtime/image/memimg.h"
#include "runtime/image/rect.h"

namespace rt {

// Nothing is drawn into a paletted image or one with an alpha channel.
void DrawPixelMemImg(MEMIMG* image, int x, int y, uint32_t color);
// rect (null: the whole image) may come with its corners in either order; right and bottom
// are exclusive. Nothing is drawn into a paletted image or one with an alpha channel.
void FillBoxMemImg(MEMIMG* image, const RECT* rect, uint32_t color);
void FillBoxMemImgXY(MEMIMG* image, int x1, int y1, int x2, int y2, uint32_t color);
// From (x1, y1) up to, but not including, (x2, y2). Nothing is drawn into a paletted image.
void DrawLineMemImg(MEMIMG* image, int x1, int y1, int x2, int y2, uint32_t color);

// One record of a line list: six 32-bit words, the last one not read.
struct LineRecord {
  int32_t x1, y1, x2, y2;
  uint32_t color;
  int32_t unused;
};
void DrawLineListMemImg(MEMIMG* image, const LineRecord* lines, int count);

// A circle outline (fillFlag 0) or a disc of radius r around (x, y). A negative radius and a
// paletted image draw nothing.
void DrawCircleMemImg(MEMIMG* image, int x, int y, int r, uint32_t color, int fillFlag);

}  // namespace rt
