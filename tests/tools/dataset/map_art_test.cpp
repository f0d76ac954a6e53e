// The map chips a player has to tell apart at a glance: a ladder is open (the background
// shows between its rungs), a wall block is solid, and doors, hiding places and blocks
// differ in colour, in every area and VR category.
#include "tools/dataset/map_art.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using dataset::Canvas;
using dataset::Rgb;

struct CellLook {
  double open = 0;  // share of transparent pixels
  double r = 0, g = 0, b = 0;  // mean colour of the drawn pixels
};

CellLook LookAt(const std::string& code, int area, int width, int height) {
  const dataset::ChipSheet* sheet = dataset::FindChipSheet(code);
  Canvas c(sheet->width, sheet->height);
  dataset::PaintChipSheet(c, code, area);
  CellLook look;
  int drawn = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb p = c.At(x, y);
      if (p == dataset::kTransparent) {
        look.open += 1;
        continue;
      }
      ++drawn;
      look.r += p.r;
      look.g += p.g;
      look.b += p.b;
    }
  }
  look.open /= width * height;
  if (drawn > 0) {
    look.r /= drawn;
    look.g /= drawn;
    look.b /= drawn;
  }
  return look;
}

double Distance(const CellLook& a, const CellLook& b) {
  return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

TEST(MapArtTest, LaddersDoorsAndHidingPlacesStandApartFromWalls) {
  for (int area = 0; area < 12; ++area) {
    SCOPED_TRACE("area " + std::to_string(area));
    const CellLook block = LookAt("25", area, 40, 40);
    const CellLook ladder = LookAt("65", area, 40, 40);
    const CellLook door = LookAt("1", area, 40, 80);
    const CellLook hide = LookAt("64", area, 40, 80);
    EXPECT_EQ(block.open, 0.0) << "a wall block hides what is behind it";
    EXPECT_GT(ladder.open, 0.4) << "a ladder lets the background through";
    EXPECT_LT(door.open, 0.1);
    EXPECT_LT(hide.open, 0.1);
    EXPECT_GT(Distance(door, block), 60);
    EXPECT_GT(Distance(hide, block), 60);
    EXPECT_GT(Distance(door, hide), 60);
    EXPECT_GT(Distance(ladder, block), 60);
  }
}

TEST(MapArtTest, EverySheetHoldsItsSkinsAndEveryAreaCodeHasASheet) {
  for (int i = 0; i < dataset::kAreaChipCount; ++i) {
    const std::string code = dataset::AreaChipCodes()[i];
    const dataset::ChipSheet* sheet = dataset::FindChipSheet(code);
    ASSERT_NE(sheet, nullptr) << code;
    EXPECT_EQ(sheet->width % sheet->tileWidth, 0) << code;
    EXPECT_GE(sheet->height, sheet->tileHeight) << code;
  }
  // Kind groups and their skin counts: doors 1..9, blocks 25..29, containers 47..55.
  EXPECT_EQ(dataset::FindChipSheet("1")->width, 9 * 40);
  EXPECT_EQ(dataset::FindChipSheet("25")->width, 5 * 40);
  EXPECT_EQ(dataset::FindChipSheet("47")->width, 9 * 80);
  EXPECT_EQ(dataset::FindChipSheet("unknown"), nullptr);
}

}  // namespace
