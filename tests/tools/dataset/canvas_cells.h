// Checks on the cells a sheet is cut into: how much of a cell is painted, and whether two
// cells hold the same pixels.
#pragma once
#include "tools/dataset/canvas.h"

namespace canvas_cells {

inline int Painted(const dataset::Canvas& c, const dataset::Rect& r) {
  int n = 0;
  for (int y = r.y; y < r.Bottom(); ++y) {
    for (int x = r.x; x < r.Right(); ++x) n += c.At(x, y) == dataset::kTransparent ? 0 : 1;
  }
  return n;
}

inline bool Same(const dataset::Canvas& c, const dataset::Rect& a, const dataset::Rect& b) {
  for (int y = 0; y < a.h; ++y) {
    for (int x = 0; x < a.w; ++x) {
      if (!(c.At(a.x + x, a.y + y) == c.At(b.x + x, b.y + y))) return false;
    }
  }
  return true;
}

}  // namespace canvas_cells
