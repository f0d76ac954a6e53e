// The software paths of the display layer's pixel, filled-box, line and circle draws.
// Each returns 0 after drawing (or finding nothing to draw) and -1 when it cannot draw.
#pragma once
#include <cstdint>

namespace rt {

int G_SOFT_DrawPixel(int x, int y, uint32_t color);
int G_SOFT_DrawFillBox(int x1, int y1, int x2, int y2, uint32_t color);
int G_SOFT_DrawLine(int x1, int y1, int x2, int y2, uint32_t color);
int G_SOFT_DrawCircle(int x, int y, int radius, uint32_t color, int fillFlag);

}  // namespace rt
