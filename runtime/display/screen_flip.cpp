#include "runtime/display/screen_flip.h"

#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_backend.h"
#include "runtime/display/screen_mode.h"
#include "runtime/core/log.h"
#include "runtime/core/screen_log.h"

namespace rt {
namespace {

platform::FrameView FrameOf(const MEMIMG& image) {
  platform::FrameView frame;
  frame.pixels = image.pixels;
  frame.width = image.width;
  frame.height = image.height;
  frame.pitch = image.pitch;
  frame.layout = image.kind == kMemImgKind565 ? platform::FrameLayout::kRgb565 : platform::FrameLayout::kXrgb8888;
  return frame;
}

bool ScreensExist() {
  const ScreenState& s = GetScreenStateRecord();
  return s.directDrawRunning || s.pureSoftware;
}

}  // namespace

int FlipScreenImpl() {
  if (!ScreensExist()) return -1;
  WaitWhileInactive();
  return G_DD_FlipScreen();
}

// The software display presents the back screen through the window's presenter, which
// scales it to the client area; it does not wait for the vertical blank.
int G_DD_FlipScreen() {
  ScreenState& s = GetScreenStateRecord();
  if (!ScreensExist()) return -1;
  if (GetScreenLogFlag()) DrawScreenLog();
  if (GetDrawState().drawScreen == kFrontScreen) {
    ++s.flipCount;
    return WaitVSyncImpl(1);
  }
  OutputSurfaces& out = GetOutputSurfaces();
  // The screens of a display device are flipped by it, which does not exist here.
  if (!s.pureSoftware) return -1;
  if (out.presenter && out.backImage.pixels) out.presenter->Present(FrameOf(out.backImage));
  s.frontScreenStale = 1;
  ++s.flipCount;
  return 0;
}

// Waiting for the vertical blank needs the display device, which does not exist here.
int WaitVSyncImpl(int count) { return -1; }

int GetFrontScreenRect(RECT* out) {
  int width = 0;
  int height = 0;
  GetScreenSize(&width, &height);
  if (out) *out = RECT{0, 0, width, height};
  return 0;
}

uint64_t GetScreenFlipCount() { return GetScreenStateRecord().flipCount; }

int PresentFrontScreenRect(const RECT* rect) {
  if (!rect) return 0;
  RECT r = *rect;
  RECT screen{0, 0, 0, 0};
  GetScreenSize(&screen.right, &screen.bottom);
  ClipRectImpl(&r, &screen);
  if (r.left >= r.right || r.top >= r.bottom) return 0;
  const ScreenState& s = GetScreenStateRecord();
  OutputSurfaces& out = GetOutputSurfaces();
  // The front screen of a display device is drawn in place, which does not exist here.
  if (!s.pureSoftware) return -1;
  if (out.presenter && out.frontImage.pixels) {
    out.presenter->PresentRect(FrameOf(out.frontImage), r.left, r.top, r.right, r.bottom);
  }
  return 0;
}

int FetchFrontScreenFromWindow() {
  ScreenState& s = GetScreenStateRecord();
  if (!(s.pureSoftware || IsSoftwareScreen()) || !s.frontScreenStale) return 0;
  OutputSurfaces& out = GetOutputSurfaces();
  if (!s.pureSoftware) return -1;
  MEMIMG& front = out.frontImage;
  if (out.presenter && front.pixels) {
    const platform::FrameView frame = FrameOf(front);
    out.presenter->ReadBack(front.pixels, front.pitch, front.width, front.height, frame.layout);
  }
  s.frontScreenStale = 0;
  return 0;
}

int RepaintWindow() {
  OutputSurfaces& out = GetOutputSurfaces();
  if (!out.presenter) return 0;
  ScreenState& s = GetScreenStateRecord();
  if (GetRuntimeState().initialised && GetDrawState().drawScreen == kBackScreen) {
    const int keptWait = s.waitVSync;
    s.waitVSync = 0;
    G_DD_FlipScreen();
    s.waitVSync = keptWait;
  } else {
    out.presenter->Refresh();
  }
  return 1;
}

}  // namespace rt
