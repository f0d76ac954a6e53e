// The story pictures as the scenes put them together with the player's sprites: the figures
// a scene draws with a vehicle must show whole, where the scene goes on with them.
#include <gtest/gtest.h>

#include <string>

#include "tests/tools/dataset/painted_asset.h"

namespace {

using dataset::Canvas;
using dataset_test::DrawCell;
using dataset_test::PaintAsset;

// Pixels of `figure` (drawn alone) that `shown` does not show in the figure's colour, and
// how many pixels the figure has.
struct Coverage {
  int covered = 0, figure = 0;
};
Coverage Compare(const Canvas& figure, const Canvas& shown) {
  Coverage c;
  for (int y = 0; y < figure.height(); ++y) {
    for (int x = 0; x < figure.width(); ++x) {
      if (figure.At(x, y) == dataset::kTransparent) continue;
      ++c.figure;
      if (!(shown.At(x, y) == figure.At(x, y))) ++c.covered;
    }
  }
  return c;
}

// The glider flight cuts 200 x 200 cells of the glider sheet and, when the figure lets go,
// draws the player sheet's falling cell (480, 324) at 65, 75 from the glider's corner.
TEST(StoryArt, GliderPilotIsTheFigureThatFallsFromIt) {
  struct Cell {
    int x, y;
    const char* playerSheet;  // the costume's first sheet
    bool pilot;
  };
  const Cell cells[] = {
      {0, 0, "gsx/oruha1.png", true},        {200, 0, "gsx/oruha1.png", true},      {400, 0, "gsx/oruha1.png", true},
      {0, 200, "gsx/oruha1.png", true},      {200, 200, "gsx/oruha1.png", true},    {400, 200, "gsx/oruha1.png", true},
      {400, 400, "patch/m_oruha1.png", true}, {0, 600, "patch/m_oruha1.png", true}, {200, 600, "patch/m_oruha1.png", true},
      {400, 600, "patch/m_oruha1.png", true}, {0, 400, "gsx/oruha1.png", false},
  };
  const Canvas glider = PaintAsset("evx/graider.png");
  for (const Cell& cell : cells) {
    SCOPED_TRACE(std::to_string(cell.x) + ", " + std::to_string(cell.y));
    Canvas shown(200, 200), figure(200, 200);
    DrawCell(shown, glider, cell.x, cell.y, 200, 200, 0, 0);
    DrawCell(figure, PaintAsset(cell.playerSheet), 480, 324, 120, 108, 65, 75);
    const Coverage c = Compare(figure, shown);
    ASSERT_GT(c.figure, 500) << "the falling cell holds a figure";
    if (cell.pilot) {
      EXPECT_EQ(c.covered, 0) << "the pilot is the whole falling figure, where the fall starts";
    } else {
      EXPECT_EQ(c.covered, c.figure) << "the empty glider shows no pilot";
    }
  }
}

// The helicopter's scenes draw the pilot, the waving figure and the player in the door
// before the hull (442 x 177 at the helicopter's corner), so the hull must leave them seen.
TEST(StoryArt, FiguresInsideTheHelicopterShowThroughTheHull) {
  struct Figure {
    const char* what;
    const char* sheet;
    int sx, sy, w, h, dx, dy;
    bool mirror;
  };
  const Figure figures[] = {
      {"pilot", "evx/heri.png", 130, 336, 52, 72, 34, 57, false},
      {"waving 1", "evx/heri.png", 207, 336, 62, 78, 84, 61, false},
      {"waving 2", "evx/heri.png", 277, 336, 62, 78, 84, 61, false},
      {"waving 3", "evx/heri.png", 347, 336, 62, 78, 84, 61, false},
      {"second character in the door 1", "patch/tevani1.png", 0, 0, 120, 108, 65, 45, true},
      {"second character in the door 2", "patch/tevani1.png", 120, 0, 120, 108, 65, 45, true},
      {"second character in the door 3", "patch/tevani1.png", 240, 0, 120, 108, 65, 45, true},
      {"first character in the door 1", "gsx/oruha1.png", 0, 0, 120, 108, 65, 45, true},
      {"first character in the door 3", "gsx/oruha1.png", 240, 0, 120, 108, 65, 45, true},
  };
  const Canvas helicopter = PaintAsset("evx/heri.png");
  for (const Figure& f : figures) {
    SCOPED_TRACE(f.what);
    Canvas figure(442, 177);
    DrawCell(figure, PaintAsset(f.sheet), f.sx, f.sy, f.w, f.h, f.dx, f.dy, f.mirror);
    Canvas shown = figure;
    DrawCell(shown, helicopter, 0, 0, 442, 177, 0, 0);
    const Coverage c = Compare(figure, shown);
    ASSERT_GT(c.figure, 300) << "the cell holds a figure";
    EXPECT_EQ(c.covered, 0) << "the hull hides none of it";
  }
}

}  // namespace
