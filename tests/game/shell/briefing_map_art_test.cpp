// The briefing map's pictures against the map tables the screen draws with: each stage box
// and door stands in its own area's block of the ship, the area names lie clear of them, and
// the objective's tag, drawn beside the box it marks, leaves that box uncovered.
#include <gtest/gtest.h>

#include <string>

#include "game/shell/briefing_tables.h"
#include "tests/tools/dataset/painted_asset.h"
#include "tools/dataset/asset_list.h"
#include "tools/dataset/canvas.h"
#include "tools/dataset/ship_map_art.h"

namespace {

using dataset::Canvas;
using dataset::Rect;

Rect IconRect(int area, int stage) {
  const StageIcon& icon = StageIconAt(area, stage);
  const PieceRect& piece = IconPiece(icon.kind);
  return {icon.x, icon.y, piece.w, piece.h};
}

Rect DoorRect(const RouteNode& node) {
  const PieceRect& piece = PanelPiece(node.panel);
  return {node.x, node.y, piece.w, piece.h};
}

// Pixels of the rectangle that lie in the given area's block.
int PixelsInArea(const Rect& r, int area) {
  int n = 0;
  for (int y = r.y; y < r.Bottom(); ++y) {
    for (int x = r.x; x < r.Right(); ++x) n += dataset::ShipMapAreaAt(x, y) == area;
  }
  return n;
}

bool Overlap(const Rect& a, const Rect& b) {
  return a.x < b.Right() && b.x < a.Right() && a.y < b.Bottom() && b.y < a.Bottom();
}

std::string Where(int area, int stage) { return "stage " + std::to_string(area + 1) + "/" + std::to_string(stage + 1); }

TEST(BriefingMapArtTest, StageBoxesSitInsideTheirOwnAreasBlock) {
  // Both halves side by side, as the screen lays them.
  const Canvas left = dataset_test::PaintAsset("gsx/briefing01.png"), right = dataset_test::PaintAsset("gsx/briefing02.png");
  for (int a = 0; a < kMapAreas; ++a) {
    for (int s = 0; s < kStagesPerArea[a]; ++s) {
      SCOPED_TRACE(Where(a, s));
      const Rect box = IconRect(a, s);
      EXPECT_EQ(PixelsInArea(box, a), box.w * box.h);
      // The picture shows the block there: its fill under the box's centre.
      const int cx = box.x + box.w / 2, cy = box.y + box.h / 2;
      const dataset::Rgb shown = cx < 800 ? left.At(cx, cy) : right.At(cx - 800, cy);
      EXPECT_TRUE(shown == dataset::ShipMapAreaFill(a));
    }
  }
}

TEST(BriefingMapArtTest, EveryDoorTouchesItsAreasBlock) {
  // A door between two areas straddles their common edge; none floats outside its own area.
  for (int a = 0; a < kMapAreas; ++a) {
    for (int n = 0; n < kNodesPerArea[a]; ++n) {
      const RouteNode* node = RouteNodeAt(a, n);
      if (node == nullptr) continue;
      EXPECT_GT(PixelsInArea(DoorRect(*node), a), 0) << "area " << a << " door " << n;
    }
  }
}

TEST(BriefingMapArtTest, AreaNamesLieInTheirBlockClearOfBoxesAndDoors) {
  for (int a = 0; a < kMapAreas; ++a) {
    SCOPED_TRACE("area " + std::to_string(a));
    const Rect label = dataset::ShipMapLabelBox(a);
    EXPECT_EQ(PixelsInArea(label, a), label.w * label.h);
    for (int other = 0; other < kMapAreas; ++other) {
      for (int s = 0; s < kStagesPerArea[other]; ++s) {
        EXPECT_FALSE(Overlap(label, IconRect(other, s))) << Where(other, s);
      }
      for (int n = 0; n < kNodesPerArea[other]; ++n) {
        const RouteNode* node = RouteNodeAt(other, n);
        if (node == nullptr) continue;
        EXPECT_FALSE(Overlap(label, DoorRect(*node))) << "door " << other << "/" << n;
      }
    }
  }
}

TEST(BriefingMapArtTest, ObjectiveTagLeavesTheMarkedBoxUncovered) {
  // The screen draws the piece (412, 381, 96 x 37) 10 pixels right of and below the marked
  // box's corner; black is see-through. The objective may be any stage, so every box kind
  // is checked.
  constexpr Rect kTag{412, 381, 96, 37};
  constexpr int kOffset = 10;
  const Canvas sheet = dataset_test::PaintAsset("gsx/briefing11.png");
  int shown = 0;
  for (int kind = 0; kind < 8; ++kind) {
    const PieceRect& box = IconPiece(kind);
    int covered = 0;
    shown = 0;
    for (int y = 0; y < kTag.h; ++y) {
      for (int x = 0; x < kTag.w; ++x) {
        if (sheet.At(kTag.x + x, kTag.y + y) == dataset::kTransparent) continue;
        ++shown;
        covered += x + kOffset < box.w && y + kOffset < box.h;
      }
    }
    EXPECT_EQ(covered, 0) << "box kind " << kind;
  }
  EXPECT_GT(shown, 500) << "the tag itself shows";
}

TEST(BriefingMapArtTest, AStageDrawnRedReadsRed) {
  // The map draws some stages' icons with the brightness (255, 128, 128): every icon kind
  // must come out red then, not as a darker shade of its own colour.
  const Canvas sheet = dataset_test::PaintAsset("gsx/st_panel.png");
  for (int kind = 0; kind < 8; ++kind) {
    const PieceRect& p = IconPiece(kind);
    long r = 0, g = 0, b = 0;
    for (int y = p.y; y < p.y + p.h; ++y) {
      for (int x = p.x; x < p.x + p.w; ++x) {
        const dataset::Rgb c = sheet.At(x, y);
        r += c.r;
        g += c.g * 128 / 255;
        b += c.b * 128 / 255;
      }
    }
    const long pixels = static_cast<long>(p.w) * p.h;
    EXPECT_GT(r, g + 20 * pixels) << "icon kind " << kind;
    EXPECT_GT(r, b + 20 * pixels) << "icon kind " << kind;
  }
}

}  // namespace
