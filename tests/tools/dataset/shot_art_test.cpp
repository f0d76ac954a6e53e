// The small sheets the shots and the shop scene cut: every cell the game cuts holds its
// picture, nothing else on the sheet shows, and the cells of one animation differ.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/dataset/asset_list.h"

// Named: the unity build shares one file scope with the other art tests.
namespace shot_art_test {

using dataset::Canvas;
using dataset::Rect;

Canvas Paint(const std::string& path) {
  for (const dataset::AssetEntry& e : dataset::AssetList()) {
    if (e.path == path) {
      Canvas c(e.width, e.height);
      e.paint(c);
      return c;
    }
  }
  ADD_FAILURE() << "no picture " << path;
  return Canvas(1, 1);
}

bool Inside(const Rect& r, int x, int y) { return x >= r.x && y >= r.y && x < r.Right() && y < r.Bottom(); }

int Painted(const Canvas& c, const Rect& r) {
  int n = 0;
  for (int y = r.y; y < r.Bottom(); ++y) {
    for (int x = r.x; x < r.Right(); ++x) n += c.At(x, y) == dataset::kTransparent ? 0 : 1;
  }
  return n;
}

bool Same(const Canvas& c, const Rect& a, const Rect& b) {
  for (int y = 0; y < a.h; ++y) {
    for (int x = 0; x < a.w; ++x) {
      if (!(c.At(a.x + x, a.y + y) == c.At(b.x + x, b.y + y))) return false;
    }
  }
  return true;
}

// The rectangles the game cuts, as the shots and the shop scene cut them.
struct Sheet {
  const char* path;
  std::vector<Rect> cuts;
};

std::vector<Sheet> CutSheets() {
  Sheet cases{"gsx/bullet01.png", {{16, 0, 16, 16}}};
  for (int cell = 0; cell < 16; ++cell) cases.cuts.push_back({16 * cell, 16, 16, 16});
  return {cases,
          {"gsx/bullet02.png", {{0, 0, 16, 16}, {16, 0, 16, 16}}},
          {"gsx/tr_all.png", {{367, 13, 310, 317}}}};
}

TEST(ShotArt, EveryCutHoldsAPictureAndNothingElseShows) {
  for (const Sheet& sheet : CutSheets()) {
    const Canvas c = Paint(sheet.path);
    for (const Rect& r : sheet.cuts) {
      ASSERT_TRUE(r.Right() <= c.width() && r.Bottom() <= c.height())
          << sheet.path << ": the cut at " << r.x << ", " << r.y << " leaves the sheet";
      // A spent case is a few pixels long: a tenth of its cell is the least that reads at 1x.
      EXPECT_GE(Painted(c, r), r.w * r.h / 10) << sheet.path << " cut at " << r.x << ", " << r.y;
    }
    int stray = 0;
    for (int y = 0; y < c.height(); ++y) {
      for (int x = 0; x < c.width(); ++x) {
        bool cut = false;
        for (const Rect& r : sheet.cuts) cut = cut || Inside(r, x, y);
        stray += !cut && !(c.At(x, y) == dataset::kTransparent) ? 1 : 0;
      }
    }
    EXPECT_EQ(stray, 0) << sheet.path << " shows pixels outside the cells the game cuts";
  }
}

TEST(ShotArt, EveryTurnOfACaseAndBothHooksDiffer) {
  const Canvas cases = Paint("gsx/bullet01.png");
  for (int a = 0; a < 16; ++a) {
    for (int b = a + 1; b < 16; ++b) {
      EXPECT_FALSE(Same(cases, {16 * a, 16, 16, 16}, {16 * b, 16, 16, 16})) << "case cells " << a << " and " << b;
    }
  }
  const Canvas hooks = Paint("gsx/bullet02.png");
  EXPECT_FALSE(Same(hooks, {0, 0, 16, 16}, {16, 0, 16, 16})) << "the hook looks the same flying and caught";
}

TEST(ShotArt, TheSceneLightFadesOutBeforeTheEdgeOfItsCut) {
  // The scene stretches the cut far past the screen and adds it many times over: a lit
  // pixel on its border would draw a square's edge across the picture.
  const Canvas c = Paint("gsx/tr_all.png");
  const Rect cut{367, 13, 310, 317};
  EXPECT_EQ(Painted(c, {cut.x, cut.y, cut.w, 1}) + Painted(c, {cut.x, cut.Bottom() - 1, cut.w, 1}) +
                Painted(c, {cut.x, cut.y, 1, cut.h}) + Painted(c, {cut.Right() - 1, cut.y, 1, cut.h}),
            0);
  const dataset::Rgb middle = c.At(cut.x + cut.w / 2, cut.y + cut.h / 2);
  EXPECT_GE(middle.r + middle.g + middle.b, 600);
}

}  // namespace shot_art_test
