// The draw state's operations: the draw target, the clip rectangle, the simple setters and
// getters, and clearing the draw target.
#pragma once
#include <cstdint>

#include "runtime/image/rect.h"

namespace rt {

// The background colour the screens are cleared to.
constexpr int kBackgroundRed = 0;
constexpr int kBackgroundGreen = 0;
constexpr int kBackgroundBlue = 0;

int SetDrawScreenImpl(int screen);
// The back end's half of a target change: fills the draw target. -1 for a graph that is not
// valid or has no surface.
int G_DD_SetDrawScreen(int newScreen, int oldScreen);
int SetDrawArea(int x1, int y1, int x2, int y2);
int GetDrawArea(RECT* out);
int GetDrawScreen();
int SetDrawMode(int mode);
int GetDrawMode();
int SetDrawBlendModeImpl(int mode, int param);
int SetBlendGraph(int graph, int borderParam, int borderRange);
int SetDrawBrightImpl(int r, int g, int b);
void SetDrawBrightColor(uint32_t color);
int SetFrontScreenClientRect(const RECT* rect);
// The front screen's place on the desktop again, after the window moved.
void UpdateFrontScreenClientRect();
// Screen size (640 x 480 while unset) and the requested depth (16 while unset); bits must
// not be null.
int GetScreenState(int* width, int* height, int* bits);
int ClearDrawScreenImpl();
int G_DD_ClearDrawScreen();

}  // namespace rt
