// The list cursor of the pause menu's weapon and gadget pages.
#pragma once

// One frame of a held direction in a list of rows: the first frame moves, then every frame
// from the 21st on; up moves to the next row, down to the previous, both wrapping.
void ListCursorStep(bool up, int rows);
