// The item sheet: every cell the game cuts from it (items, icons and the rising labels)
// holds a picture of its own, and the
// briefing's gadget icons are the ones the pause list shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/dataset/canvas_cells.h"
#include "tools/dataset/shell_art.h"

namespace {

using canvas_cells::Painted;
using canvas_cells::Same;
using dataset::Canvas;
using dataset::Rect;

struct Cell {
  std::string what;
  Rect rect;
};

// The 40 x 40 cell the game draws for map item `code`: rows start at codes 141, 153, 155,
// 161, 173, 175 and 181.
Rect MapItemCell(int code) {
  static const int kRowStarts[] = {141, 153, 155, 161, 173, 175, 181, 190};
  int row = 0;
  while (code >= kRowStarts[row + 1]) ++row;
  return {(code - kRowStarts[row]) * 40, row * 40, 40, 40};
}

std::vector<Cell> Cells() {
  std::vector<Cell> cells;
  for (int code = 141; code <= 189; ++code) cells.push_back({"item " + std::to_string(code), MapItemCell(code)});
  for (int w = 0; w < 13; ++w) cells.push_back({"weapon icon " + std::to_string(w), {w * 25, 280, 25, 18}});
  for (int g = 0; g < 10; ++g) cells.push_back({"gadget icon " + std::to_string(g), {g * 25, 300, 25, 18}});
  cells.push_back({"the last target's rising label", {0, 330, 87, 30}});
  cells.push_back({"the large rising label", {100, 330, 65, 42}});
  return cells;
}

Canvas PaintSheet() {
  Canvas c(512, 512);
  dataset::PaintItems(c);
  return c;
}

TEST(ItemSheet, EveryCellHoldsAPictureOfItsOwn) {
  const Canvas c = PaintSheet();
  const std::vector<Cell> cells = Cells();
  for (const Cell& cell : cells) {
    // A picture, not a speck: at least a sixth of the cell.
    EXPECT_GT(Painted(c, cell.rect), cell.rect.w * cell.rect.h / 6) << cell.what << " is (nearly) empty";
  }
  for (size_t i = 0; i < cells.size(); ++i) {
    for (size_t j = i + 1; j < cells.size(); ++j) {
      if (cells[i].rect.w != cells[j].rect.w) continue;
      EXPECT_FALSE(Same(c, cells[i].rect, cells[j].rect)) << cells[i].what << " looks like " << cells[j].what;
    }
  }
}

TEST(ItemSheet, TheBriefingShowsThePauseListsGadgetIcons) {
  const Canvas c = PaintSheet();
  for (int g = 1; g < 10; ++g) {
    EXPECT_TRUE(Same(c, {g * 25, 178, 25, 18}, {g * 25, 300, 25, 18})) << "gadget " << g;
  }
}

TEST(ItemSheet, StaysColourKeyed) {
  // The game draws the sheet with black as the colour key; an alpha channel would drop it
  // and the map would show through nothing but the painted pixels' own alpha.
  EXPECT_FALSE(PaintSheet().HasAlpha());
}

}  // namespace
