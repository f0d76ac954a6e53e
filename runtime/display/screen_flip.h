// Showing what was drawn: the per-frame flip of the back screen, and keeping the window in
// step with the software front screen (presenting a drawn rectangle, reading the window
// back before drawing).
#pragma once
#include <cstdint>

#include "platform/display_device.h"
#include "runtime/image/rect.h"

namespace rt {

int FlipScreenImpl();
int G_DD_FlipScreen();
int WaitVSyncImpl(int count);
int GetFrontScreenRect(RECT* out);
uint64_t GetScreenFlipCount();
int PresentFrontScreenRect(const RECT* rect);
int FetchFrontScreenFromWindow();
// Copies the rectangle of one device surface to (x, y) of another; method -1 the one chosen
// at the mode change, 0 BltFast, 1 through device contexts.
int CopySurfaceRect(platform::DeviceSurface* dest, platform::DeviceSurface* source, int x, int y, const RECT* rect,
                    int method);
// Blocks until the next vertical blank unless the last wait was too recent for a new one.
uint32_t WaitVSyncSpaced();
// The window asks to be painted: the display shows the back screen again when it is the
// draw target, else the window's last content. 0 when the display has nothing to show
// (the caller paints the window black).
int RepaintWindow();

}  // namespace rt
