// Pictures of the asset list painted in memory, and cells of them drawn the way the game's
// sprite calls draw them, for tests of how pictures fit together on the screen.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "tools/dataset/asset_list.h"

namespace dataset_test {

// The listed picture at `path`, painted; a 1 x 1 canvas and a failure when it is not listed.
inline dataset::Canvas PaintAsset(const std::string& path) {
  for (const dataset::AssetEntry& e : dataset::AssetList()) {
    if (e.path == path) {
      dataset::Canvas c(e.width, e.height);
      e.paint(c);
      return c;
    }
  }
  ADD_FAILURE() << path << " is not in the asset list";
  return dataset::Canvas(1, 1);
}

// A cell of a picture drawn at (dx, dy) with the colour key (black is not drawn), turned
// left for right within the cell when `mirror` is set.
inline void DrawCell(dataset::Canvas& screen, const dataset::Canvas& sheet, int sx, int sy, int w, int h, int dx, int dy,
                     bool mirror = false) {
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const dataset::Rgb c = sheet.At(sx + x, sy + y);
      if (!(c == dataset::kTransparent)) screen.Set(dx + (mirror ? w - 1 - x : x), dy + y, c);
    }
  }
}

}  // namespace dataset_test
