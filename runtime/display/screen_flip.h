// Showing what was drawn: the per-frame flip of the back screen, and keeping the window in
// step with the software front screen (presenting a drawn rectangle, reading the window
// back before drawing).
#pragma once
#include <cstdint>

#include "runtime/image/rect.h"

namespace rt {

int FlipScreenImpl();
int G_DD_FlipScreen();
int WaitVSyncImpl(int count);
int GetFrontScreenRect(RECT* out);
uint64_t GetScreenFlipCount();
int PresentFrontScreenRect(const RECT* rect);
int FetchFrontScreenFromWindow();
// The window asks to be painted: the display shows the back screen again when it is the
// draw target, else the window's last content. 0 when the display has nothing to show
// (the caller paints the window black).
int RepaintWindow();

}  // namespace rt
