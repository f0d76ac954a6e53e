// Where each map-object kind is cut from its chip sheet. A chip sheet holds a kind group:
// the skins of the group side by side (skin = kind − the group's first kind), the animation
// or state frames of a skin one below the other, each cell the kind's drawn size.
#pragma once

struct ChipCut {
  int slot;       // game.graphs slot of the sheet
  int firstKind;  // the skin column is kind − firstKind
  int width, height;
  int offsetY;    // drawn this far below the cell's top (negative: above)
};

// The cut of a kind; slot 0 when the kind has no picture.
ChipCut ChipFor(int kind);

namespace chip_slot {
constexpr int kFirst = 130;  // the 32 chip sheets of the area, in the asset list's order
constexpr int kBurnable = 163;
constexpr int kDecorationA = 170, kDecorationB = 171;
constexpr int kDoors = kFirst + 31;
constexpr int kLamps = kFirst + 30;
constexpr int kLight = 14;       // "gsx/light.png": lamp light and item glow
constexpr int kLampGlow = 19;    // "gsx/light02.png"
}  // namespace chip_slot
