// Map chips: the sheets the map objects are cut from, one per chip code ("csx/<area>/<code>.png").
// A sheet holds a kind group: the skins side by side (column = kind − the group's first kind),
// each the kind's drawn size, and the animation or state frames of a skin one below the
// other; sheets that debris is cut from also hold the fragment cells where the debris takes
// them. Ladders, doors and hiding places are drawn so that they cannot be taken for a wall:
// a ladder is open rails and rungs, a door a framed sliding door with its number and lamp, a
// hiding place a slatted locker.
#pragma once
#include <string>

#include "tools/dataset/canvas.h"

namespace dataset {

struct ChipSheet {
  const char* code;
  int width, height;          // the sheet
  int tileWidth, tileHeight;  // one skin's cell
};

// The sheet of a chip code; nullptr for an unknown code.
const ChipSheet* FindChipSheet(const std::string& code);
// The codes of the 32 chip sheets every area has, in the game's loading order.
const char* const* AreaChipCodes();
constexpr int kAreaChipCount = 32;

// area: 0..7 the story areas, 8..11 the VR categories.
void PaintChipSheet(Canvas& c, const std::string& code, int area);

}  // namespace dataset
