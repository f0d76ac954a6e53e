// The table of game states: the handler each state runs once per frame.
#pragma once

using StateHandler = void (*)(int pad);

// The handler of a state, or null for a state that runs nothing (no handler, a value
// outside the table).
StateHandler GetStateHandler(int state);
// Runs the handler of the state with this frame's pad mask, if it has one.
void RunGameState(int state, int pad);
