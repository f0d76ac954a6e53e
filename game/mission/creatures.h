// The creatures: the bomb soldier, the mechanical flower, the slime, the fairy, and the
// spawner that emits flowers.
#pragma once

void UpdateCreature(int index);

// Whether the player's touch box (screen pixels) overlaps the rectangle; both boxes are tested.
bool TouchesPlayer(int left, int top, int right, int bottom);
