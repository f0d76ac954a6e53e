// The game's entry function and its frame loop.
#pragma once

// Each frame lasts at least this long from just after the screen clear.
constexpr unsigned kFrameMs = 17;
// A frame whose work took this long or longer is not presented.
constexpr unsigned kPresentLimitMs = 20;

// Sets the defaults, reads the settings, configures and starts the runtime and loads the
// start-up data; -1 when the runtime does not start.
int StartGame();
// One pass of the frame loop; false, before any work of the frame, once the window is
// gone, Escape is held or the game asked to quit.
bool RunFrame();
// Deletes the screen objects and shuts the runtime down.
void EndGame();
// Advances the VR mission clock by one frame.
void StepVrClock();

// The whole run: 0 after a normal end, -1 when the runtime fails to start. The option
// "--software-display" keeps the runtime on its software display.
int GameMain(int argc, char** argv);
