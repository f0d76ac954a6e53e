// The ship map of the briefing screen: a cut-away of the ship across two screens, stern on
// the left, with every story area drawn as its own tinted block and named. The game places
// its stage boxes and doors at fixed map points, so the blocks are laid out around them.
#pragma once
#include "tools/dataset/canvas.h"

namespace dataset {

constexpr int kShipMapAreas = 8;
constexpr int kShipMapWidth = 1600;  // the two 800-pixel halves side by side

// gsx/briefing01.png (half 0, map x 0..799) and gsx/briefing02.png (half 1, 800..1599).
void PaintShipMap(Canvas& c, int half);

// The area whose block holds the map point, or -1 outside every block.
int ShipMapAreaAt(int x, int y);
// The block's fill, the colour its inside shows away from its edge and its name.
Rgb ShipMapAreaFill(int area);
// Where the area's name is written, in map coordinates.
Rect ShipMapLabelBox(int area);

}  // namespace dataset
