// The enemy sheets: each at the size the game cuts, every cell the game draws holding a
// figure, and the cells of one animation differing from each other.
#include "tools/dataset/enemy_art.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/dataset/canvas_cells.h"

namespace {

using dataset::Canvas;

using CellRef = dataset::Rect;
using canvas_cells::Painted;
using canvas_cells::Same;

Canvas Paint(const std::string& path) {
  for (const dataset::EnemySheetInfo& s : dataset::EnemySheets()) {
    if (path == s.path) {
      Canvas c(s.width, s.height);
      dataset::PaintEnemyArt(c, path);
      return c;
    }
  }
  ADD_FAILURE() << "no sheet " << path;
  return Canvas(1, 1);
}

// The cells of a row of 120 x 108 figures, from column 0.
std::vector<CellRef> Row(int row, int count, int w = 120, int h = 108) {
  std::vector<CellRef> cells;
  for (int i = 0; i < count; ++i) cells.push_back({i * w, row * h, w, h});
  return cells;
}

TEST(EnemyArt, SheetsHaveTheSizesTheGameCuts) {
  const std::vector<std::pair<std::string, std::pair<int, int>>> sizes = {
      {"gsx/enemy_01.png", {960, 864}}, {"gsx/enemy_02.png", {840, 756}},  {"gsx/enemy_03.png", {960, 864}},
      {"gsx/enemy_04.png", {840, 756}}, {"gsx/camera01.png", {240, 240}},  {"gsx/camera02.png", {240, 240}},
      {"gsx/camera03.png", {80, 80}},   {"gsx/turret.png", {100, 40}},     {"gsx/enemy_bomb.png", {200, 120}},
      {"gsx/enemy_mad.png", {120, 120}}, {"patch/enemy_mad2.png", {40, 120}}, {"patch/enemy_pointa.png", {80, 80}},
      {"gsx/enemy_slaim.png", {240, 120}}, {"gsx/enemy_yousei_1.png", {480, 324}},
      {"gsx/enemy_yousei_2.png", {480, 324}}, {"patch/pirel.png", {360, 432}},
  };
  for (const auto& [path, size] : sizes) {
    bool found = false;
    for (const dataset::EnemySheetInfo& s : dataset::EnemySheets()) {
      if (path != s.path) continue;
      found = true;
      EXPECT_EQ(s.width, size.first) << path;
      EXPECT_EQ(s.height, size.second) << path;
    }
    EXPECT_TRUE(found) << path;
  }
}

TEST(EnemyArt, EveryAnimationCellHoldsItsOwnFigure) {
  struct Anim {
    const char* path;
    std::vector<CellRef> cells;
  };
  const std::vector<Anim> anims = {
      {"gsx/enemy_01.png", Row(0, 4)},   {"gsx/enemy_01.png", Row(1, 8)},  {"gsx/enemy_01.png", Row(2, 6)},
      {"gsx/enemy_01.png", Row(3, 5)},   {"gsx/enemy_01.png", Row(4, 8)},  {"gsx/enemy_01.png", Row(5, 7)},
      {"gsx/enemy_01.png", Row(6, 5)},   {"gsx/enemy_03.png", Row(1, 8)},  {"gsx/enemy_02.png", Row(0, 7)},
      {"gsx/enemy_02.png", Row(2, 7)},   {"gsx/enemy_02.png", Row(4, 5)},  {"gsx/enemy_04.png", Row(6, 5)},
      {"gsx/camera01.png", {{80, 0, 80, 80}, {160, 0, 80, 80}, {0, 80, 80, 80}, {80, 80, 80, 80}, {160, 80, 80, 80},
                            {0, 160, 80, 80}, {80, 160, 80, 80}}},
      {"gsx/enemy_bomb.png", Row(0, 5, 40, 40)},
      {"gsx/enemy_mad.png", Row(0, 3, 40, 40)},
      {"gsx/enemy_slaim.png", Row(0, 6, 40, 40)},
      {"gsx/enemy_yousei_1.png", Row(0, 4)},
      {"gsx/enemy_yousei_1.png", {{120, 108, 120, 108}, {240, 108, 120, 108}, {360, 108, 120, 108}}},
      {"patch/pirel.png", Row(0, 3)},
      {"patch/enemy_pointa.png", {{0, 0, 40, 40}, {40, 0, 40, 40}, {0, 40, 40, 40}}},
  };
  for (const Anim& a : anims) {
    const Canvas c = Paint(a.path);
    for (size_t i = 0; i < a.cells.size(); ++i) {
      EXPECT_GT(Painted(c, a.cells[i]), 40) << a.path << " cell " << a.cells[i].x << ", " << a.cells[i].y;
      for (size_t j = i + 1; j < a.cells.size(); ++j) {
        EXPECT_FALSE(Same(c, a.cells[i], a.cells[j])) << a.path << " cells " << i << " and " << j;
      }
    }
  }
}

TEST(EnemyArt, TheTwoSoldierKindsLookDifferent) {
  const Canvas plain = Paint("gsx/enemy_01.png"), reinforced = Paint("gsx/enemy_03.png");
  int differing = 0;
  for (int y = 0; y < 108; ++y) {
    for (int x = 0; x < 120; ++x) differing += plain.At(x, y) == reinforced.At(x, y) ? 0 : 1;
  }
  EXPECT_GT(differing, 300);
}

}  // namespace
