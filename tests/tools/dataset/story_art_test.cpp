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

// When the first character gets up at the shrine the scene draws her standing cell (0, 0)
// and then the walk cells of her dot sheet at y 140, x going from 260 off the left edge in
// steps of 3, over the shrine picture drawn at (0, 50). Under her soles there must be an
// unbroken surface whose top edge is exactly the row below them.
TEST(StoryArt, ShrineFigureWalksOnTheSurfaceUnderHerFeet) {
  constexpr int kY = 140, kPictureY = 50, kStartX = 260, kCellW = 150, kCellH = 250;
  const int cells[9][2] = {{0, 0},     {0, 250},   {150, 250}, {300, 250}, {450, 250},
                           {600, 250}, {0, 500},   {150, 500}, {300, 500}};
  const Canvas sheet = PaintAsset("evx/oruha_o2.png");
  const Canvas shrine = PaintAsset("evx/zinzya.png");
  bool haveRim = false;
  dataset::Rgb rim{};
  for (const auto& cell : cells) {
    SCOPED_TRACE(std::to_string(cell[0]) + ", " + std::to_string(cell[1]));
    int sole = -1;  // the cell's lowest drawn row
    for (int y = 0; y < kCellH; ++y)
      for (int x = 0; x < kCellW; ++x)
        if (!(sheet.At(cell[0] + x, cell[1] + y) == dataset::kTransparent)) sole = y;
    ASSERT_GT(sole, 200) << "the cell holds a standing figure";
    const int under = kY + sole + 1 - kPictureY;
    for (int x = 0; x < kCellW; ++x) {
      bool foot = false;
      for (int y = sole - 3; y <= sole; ++y) foot = foot || !(sheet.At(cell[0] + x, cell[1] + y) == dataset::kTransparent);
      if (!foot) continue;
      for (int at = kStartX; at >= -250; at -= 3) {
        const int px = at + x;
        if (px < 0 || px >= shrine.width()) continue;
        if (!haveRim) {
          rim = shrine.At(px, under);
          haveRim = true;
        }
        ASSERT_TRUE(shrine.At(px, under) == rim) << "an unbroken surface under the sole at x " << px;
        ASSERT_FALSE(shrine.At(px, under - 1) == rim) << "the surface's top is the row under the sole at x " << px;
      }
    }
  }
  EXPECT_TRUE(haveRim);
}

}  // namespace
