// The player's sprite sheets, laid out in the cells the sprite routine cuts.
#pragma once
#include "tools/dataset/canvas.h"

namespace dataset {

// A 960 x 1024 sheet of 120 x 108 cells (8 columns, 9 rows) for character 0..2; variant 0
// and 1 the two costumes, 2 the goggles view; sheet 1..3. Sheet 2 holds the two 160 x 160
// hit flashes at y 864.
void PaintPlayerSheet(Canvas& c, int character, int variant, int sheet);

// The pose of one cell of such a sheet (row 0..8, column 0..7), painted with its top left at
// (x, y) of another picture, for story pictures that show the player as the sprites do.
void PaintPlayerCell(Canvas& c, int x, int y, int character, int variant, int sheet, int row, int col);

}  // namespace dataset
