// The player's sprite: the cell chosen by action state, movement and counters, its tint by
// light and gadget, and the timed action states whose only clock is the sprite.
#pragma once

void DrawPlayer();
// The cell a pass would draw; exposed for the tests of the cell table.
struct PlayerCell {
  bool drawn = false;
  int sheet = 1;  // 1..3
  int row = 0, column = 0;
  int x = 0, y = 0;  // top-left on the screen
  bool mirrored = false;
  bool variant = false;  // has a goggles version
};
PlayerCell ChoosePlayerCell();
