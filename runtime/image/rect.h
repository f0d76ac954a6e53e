// Rectangles {left, top, right, bottom}: right and bottom lie one past the last pixel.
#pragma once
#include <cstdint>

struct RECT {
  int32_t left, top, right, bottom;
};

namespace rt {

// Clamps rect into clip; an empty result keeps left == right or top == bottom.
int ClipRectImpl(RECT* rect, const RECT* clip);
// Swaps the edges so that left <= right and top <= bottom.
int NormalizeRect(RECT* rect);
int GetRectSize(const RECT* rect, int* width, int* height);

}  // namespace rt
