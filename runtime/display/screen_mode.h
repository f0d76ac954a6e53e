// The display device and the screen mode: display start-up and end, screen-mode changes on
// the device (the DirectDraw object), and the software display, which draws into software
// images and presents them in the window. Without a device the software display takes over.
#pragma once
#include <cstdint>

#include "runtime/image/color_format.h"

namespace rt {

// The screen size and depth while none is set.
constexpr int kDefaultScreenWidth = 640;
constexpr int kDefaultScreenHeight = 480;
constexpr int kDefaultScreenBits = 16;

int InitDirectDraw();
int EndDirectDraw();
int CreateDirectDrawObjectCore();
int ReleaseDirectDrawObject();
int CreateDirectDrawObject();
int CreateDirectDrawClipper();
int ReleaseDirectDrawClipper();
// Lets the device go (its display mode restored first).
void DropDirectDrawObject();
int ScreenModeChange(int desktopWidth, int desktopHeight, int width, int height, int bits, int* outBits,
                     int windowMode, int* changed);
int ApplyScreenMode();
int RestoreScreenMode();
int LeaveFullScreenMode();
// 0; -2 after falling back to 640 x 480 x 16; -1.
int ChangeScreenMode(int width, int height, int bits, int force, int refreshRate);
int SetScreenModeImpl(int width, int height, int bits, int refreshRate);
// A switch between window and full screen after start-up: the window system changes the
// display, the screens stay as they are (a mode change would delete every graph).
int SwitchScreenWindowMode();
int SetUseHardwareRender(int flag);

int SetWaitVSyncFlag(int flag);
int GetWaitVSyncFlag();
int SetSoftwareRenderRequest(int flag);
int GetSoftwareRenderRequest();
int SetUseTempPrimaryFlag(int flag);
int SetGDIDisplayFlag(int flag);
int GetGDIDisplayFlag();
int GetScreenSize(int* width, int* height);
int GetScreenColorBitDepth();
void* GetDirectDrawObject();
int IsDirectDrawUsed();
int IsDisplayModeChanged();
int GetSoftwareRenderFlag();
const DDPixelFormat* GetOverlayPixelFormat();

}  // namespace rt
