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

// The temporary primary (used when asked for before the display starts): the front screen is
// drawn into it, and a window timer shows it every kTempPrimaryTimerMs while it is the draw
// screen. The window's part of the primary is copied into it, or it is copied back there.
constexpr uint32_t kTempPrimaryTimerMs = 17;
int CopyWindowToTempPrimary();
int PresentTempPrimary();
// The one-shot timer, re-armed on every tick; killing an unarmed timer does nothing.
void StartTempPrimaryTimer();
void KillTempPrimaryTimer();
void TempPrimaryTimerProc();
// Runs the timer when it is due (the window's message dispatch calls it).
void RunDueWindowTimers();
// The window asks to be painted: the display shows the back screen again when it is the
// draw target, else the window's last content. 0 when the display has nothing to show
// (the caller paints the window black).
int RepaintWindow();

}  // namespace rt
