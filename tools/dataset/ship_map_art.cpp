#include "tools/dataset/ship_map_art.h"

#include <algorithm>
#include <string>
#include <vector>

#include "tools/dataset/text_painter.h"

namespace dataset {

namespace {

constexpr int kMapHeight = 600;

struct AreaBlock {
  const char* name;
  Rgb fill;
  Rect parts[4];  // parts with zero width are unused
  int labelX, labelY;
};

// Map coordinates. Each block holds its area's stage boxes and its doors; blocks that meet
// share an edge, and a door between two areas straddles it. The hold under the stern decks
// belongs to the cargo area: its hidden passage runs there.
constexpr AreaBlock kBlocks[kShipMapAreas] = {
    {"船尾甲板", {58, 66, 84}, {{16, 272, 218, 46}, {16, 318, 172, 38}}, 24, 322},
    {"一般区画", {24, 78, 72}, {{234, 222, 228, 96}, {342, 96, 68, 126}, {410, 172, 30, 50}, {462, 240, 46, 32}}, 347,
     100},
    {"連絡橋", {70, 48, 104}, {{410, 80, 436, 82}}, 428, 88},
    {"居住区画", {28, 66, 100}, {{672, 162, 56, 230}, {728, 162, 120, 106}}, 734, 242},
    {"貨物区画", {88, 56, 26}, {{188, 318, 482, 86}}, 200, 377},
    {"研究区画", {30, 82, 38}, {{510, 168, 158, 146}, {466, 276, 44, 38}}, 612, 174},
    {"動力区画", {96, 36, 36}, {{730, 268, 236, 124}, {860, 228, 56, 40}}, 911, 276},
    {"船首区画", {84, 38, 84}, {{968, 250, 244, 142}, {1078, 216, 134, 34}}, 974, 258},
};

constexpr int kEdge = 2;       // width of a block's edge line, inside the block
constexpr int kHullMargin = 6; // hull around the blocks
constexpr Rgb kSea{6, 16, 30}, kGrid{10, 28, 48}, kHull{18, 36, 58}, kHullEdge{90, 170, 230};

TextStyle NumberStyle(int area) { return Style(10, Mix(kBlocks[area].fill, kWhite, 140), 700); }
TextStyle NameStyle(int area) { return Style(12, Mix(kBlocks[area].fill, kWhite, 200), 700); }
std::string NumberText(int area) { return "AREA " + std::to_string(area + 1); }
constexpr int kNameLine = 12;  // the name's line below the number's

bool InRect(const Rect& r, int x, int y) { return x >= r.x && x < r.Right() && y >= r.y && y < r.Bottom(); }

// The hull below the blocks: a flat deck line, a raked bow and a rounded stern.
bool InHullBody(int x, int y) {
  constexpr int kDeck = 266, kKeel = 412, kStern = 8, kBowStart = 1240, kBowTip = 1330, kTipY = 214;
  if (x < kStern || x >= kBowTip || y >= kKeel) return false;
  if (x < kBowStart) {
    if (y < kDeck) return false;
    const int sternCut = 48;  // the stern rounds off over its lowest rows
    return y < kKeel - sternCut || x - kStern >= (y - (kKeel - sternCut)) * 52 / sternCut;
  }
  const int along = x - kBowStart, length = kBowTip - kBowStart;
  return y >= kDeck - along * (kDeck - kTipY) / length && y < kKeel - along * (kKeel - kTipY) / length;
}

bool InHull(int x, int y) {
  // The superstructure between the bridge tower and the living quarters, under the deck
  // bridge: hull, not sea, where no block reaches.
  constexpr Rect kSuperstructure{336, 74, 518, 200};
  if (InHullBody(x, y) || InRect(kSuperstructure, x, y)) return true;
  for (const AreaBlock& b : kBlocks) {
    for (const Rect& r : b.parts) {
      if (r.w > 0 && InRect({r.x - kHullMargin, r.y - kHullMargin, r.w + 2 * kHullMargin, r.h + 2 * kHullMargin}, x, y)) {
        return true;
      }
    }
  }
  return false;
}

// One byte per map pixel: 0 sea, 1 hull, 2 + area for a block.
std::vector<uint8_t> OwnerGrid() {
  std::vector<uint8_t> grid(static_cast<size_t>(kShipMapWidth) * kMapHeight);
  for (int y = 0; y < kMapHeight; ++y) {
    for (int x = 0; x < kShipMapWidth; ++x) {
      const int area = ShipMapAreaAt(x, y);
      grid[static_cast<size_t>(y) * kShipMapWidth + x] =
          static_cast<uint8_t>(area >= 0 ? 2 + area : InHull(x, y) ? 1 : 0);
    }
  }
  return grid;
}

// True when a pixel within the edge width belongs to something else.
bool OnEdge(const std::vector<uint8_t>& grid, int x, int y) {
  const uint8_t own = grid[static_cast<size_t>(y) * kShipMapWidth + x];
  for (int dy = -kEdge; dy <= kEdge; ++dy) {
    for (int dx = -kEdge; dx <= kEdge; ++dx) {
      const int nx = x + dx, ny = y + dy;
      if (nx < 0 || ny < 0 || nx >= kShipMapWidth || ny >= kMapHeight) return true;
      if (grid[static_cast<size_t>(ny) * kShipMapWidth + nx] != own) return true;
    }
  }
  return false;
}

}  // namespace

int ShipMapAreaAt(int x, int y) {
  for (int a = 0; a < kShipMapAreas; ++a) {
    for (const Rect& r : kBlocks[a].parts) {
      if (r.w > 0 && InRect(r, x, y)) return a;
    }
  }
  return -1;
}

Rgb ShipMapAreaFill(int area) { return kBlocks[area].fill; }

Rect ShipMapLabelBox(int area) {
  const AreaBlock& b = kBlocks[area];
  const int width = std::max(TextWidth(NumberText(area), NumberStyle(area)), TextWidth(b.name, NameStyle(area)));
  return {b.labelX, b.labelY, width, kNameLine + NameStyle(area).size};
}

void PaintShipMap(Canvas& c, int half) {
  const int offset = half * 800;
  const std::vector<uint8_t> grid = OwnerGrid();
  for (int y = 0; y < kMapHeight; ++y) {
    for (int x = 0; x < 800; ++x) {
      const int mx = x + offset;
      const uint8_t owner = grid[static_cast<size_t>(y) * kShipMapWidth + mx];
      Rgb colour = mx % 20 == 0 || y % 20 == 0 ? kGrid : kSea;
      if (owner == 1) {
        colour = OnEdge(grid, mx, y) ? kHullEdge : kHull;
      } else if (owner >= 2) {
        const Rgb fill = kBlocks[owner - 2].fill;
        colour = OnEdge(grid, mx, y) ? Mix(fill, Rgb{200, 230, 255}, 110) : fill;
      }
      c.Set(x, y, colour);
    }
  }
  for (int a = 0; a < kShipMapAreas; ++a) {
    const Rect box = ShipMapLabelBox(a);
    if (box.Right() <= offset || box.x >= offset + 800) continue;
    DrawText(c, box.x - offset, box.y, NumberText(a), NumberStyle(a));
    DrawText(c, box.x - offset, box.y + kNameLine, kBlocks[a].name, NameStyle(a));
  }
  const TextStyle ends = Style(12, Rgb{100, 170, 220}, 700);
  if (half == 0) DrawText(c, 14, 248, "船尾  STERN", ends);
  if (half == 1) DrawText(c, 1236 - offset, 186, "船首  BOW", ends);
}

}  // namespace dataset
