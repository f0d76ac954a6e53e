// Window or full-screen mode and the window's settings: text, icon, scale, cursor, pointer
// position and wheel. Made before start-up they are stored for window creation; later they
// act on the window at once.
#pragma once
#include <cstdint>

namespace rt {

// A mode switch after start-up waits at most this long for the display change to arrive.
constexpr uint32_t kModeChangeWaitLimitMs = 1000;
// Full screen: the pointer within this many pixels of the top counts as over the menu band.
constexpr int kMenuBandHeight = 60;
// Where the icon of an icon resource id lies in the data set.
constexpr char kIconPathFormat[] = "icon/%d.bmp";

int ChangeWindowModeImpl(int flag);
int SetWindowModeFlag(int flag);
int ApplyWindowStyle();
int FitWindowToClientSize();
int SetWindowScaleImpl(double scale);
int SetMainWindowTextImpl(const char* text);
int SetWindowIconImpl(int id);
int SetMouseVisibleImpl(int flag);
int GetMousePositionImpl(int* x, int* y);
int GetMouseWheelImpl();
int RefreshFullScreenMenu();

// The screen size the window is made for (window mode: times the scale).
int ScreenWidth();
int ScreenHeight();
// The client size of window mode: the screen size times the scale, truncated.
int ScaledClientWidth();
int ScaledClientHeight();
// Applies the stored icon to the window; the system's default icon stays when the icon's
// file is missing.
void LoadWindowIcon();

}  // namespace rt
