#include "runtime/display/screen_flip.h"

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/core/window_mode.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/image/convert_blt.h"
#include "runtime/image/graphics_startup.h"
#include "runtime/display/direct3d.h"
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

platform::Rect ToRect(const RECT& r) { return platform::Rect{r.left, r.top, r.right, r.bottom}; }

// A present that found the device's surfaces lost brings them back through the restore
// path, which also refills the graphs that lost their pixels.
void RestoreIfLost(int result) {
  if (result == platform::kSurfaceLost) RestoreAllGraphSurfaces();
}

void DrawScreenLogIfShown() {
  if (!GetScreenLogFlag()) return;
  DrawState& state = GetDrawState();
  const RECT area = state.drawArea;
  const int mode = state.blendMode;
  const int param = state.blendParam;
  const uint32_t bright = state.brightColor;
  int width = 0;
  int height = 0;
  GetScreenSize(&width, &height);
  state.drawArea = RECT{0, 0, width, height};
  state.blendMode = 0;
  state.blendParam = 0;
  state.brightColor = 0xFFFFFF;
  DrawScreenLog();
  state.drawArea = area;
  state.blendMode = mode;
  state.blendParam = param;
  state.brightColor = bright;
}

// The back image over the locked back surface is copied out with the surface unlocked, and
// laid over it again afterwards.
int PresentSoftwareBackOnDevice(const RECT& source, const RECT& dest) {
  ScreenState& s = GetScreenStateRecord();
  OutputSurfaces& out = GetOutputSurfaces();
  platform::DisplayDevice* device = s.device;
  if (out.backImageInSurface) {
    device->Unlock(out.backSurface);
    if (s.waitVSync) WaitVSyncSpaced();
    const platform::Rect d = ToRect(dest);
    const platform::Rect r = ToRect(source);
    const int result = device->Blt(out.primarySurface, &d, out.backSurface, &r);
    platform::LockedPixels locked;
    if (device->Lock(out.backSurface, nullptr, &locked) != 0) FatalExit("バックサーフェスのロックに失敗しました");
    out.backImage = MEMIMG{};
    out.backImage.pixels = locked.pixels;
    InitMemImg(&out.backImage, locked.width, locked.height, locked.pitch, 0,
               s.screenBits == 16 ? kMemImgKind565 : kMemImgKindXRGB, 0, 0, 0);
    return result;
  }
  platform::LockedPixels locked;
  if (device->Lock(out.backSurface, nullptr, &locked) != 0) FatalExit("バックサーフェスのロックに失敗しました");
  GraphImage target{};
  target.format = out.screenColorFormat;
  target.width = locked.width;
  target.height = locked.height;
  target.pitch = locked.pitch;
  target.pixels = locked.pixels;
  BltMemImgToGraphImage(&target, &out.backImage, 0, 0, out.backImage.width, out.backImage.height, 0, 0, 0, 0);
  device->Unlock(out.backSurface);
  if (s.waitVSync) WaitVSyncSpaced();
  const platform::Rect d = ToRect(dest);
  const platform::Rect r = ToRect(source);
  return device->Blt(out.primarySurface, &d, out.backSurface, &r);
}

}  // namespace

int FlipScreenImpl() {
  if (!ScreensExist()) return -1;
  WaitWhileInactive();
  ScreenState& s = GetScreenStateRecord();
  OutputSurfaces& out = GetOutputSurfaces();
  // Full screen on the device: the chain is flipped.
  if (s.device && !s.pureSoftware && !s.softwareRender && !s.gdiDisplay && !GetWindowModeFlag() &&
      out.primarySurface && s.device->GetAttachedBackBuffer(out.primarySurface) == out.backSurface) {
    DrawScreenLogIfShown();
    if (GetDrawState().drawScreen == kFrontScreen && s.waitVSync) {
      ++s.flipCount;
      return WaitVSyncImpl(1);
    }
    G_D3D_FlushCurrentVertexBuffer();
    G_D3D_EndScene();
    const int result = s.device->Flip(out.primarySurface, s.waitVSync != 0);
    if (s.waitVSync) platform::GetClock().Sleep(1);
    ++s.flipCount;
    RestoreIfLost(result);
    return 0;
  }
  return G_DD_FlipScreen();
}

// The software display presents the back screen through the window's presenter, which
// scales it to the client area; it does not wait for the vertical blank. On the device the
// back surface is copied onto the window's part of the primary, scaled to it.
int G_DD_FlipScreen() {
  ScreenState& s = GetScreenStateRecord();
  if (!ScreensExist()) return -1;
  DrawScreenLogIfShown();
  if (GetDrawState().drawScreen == kFrontScreen) {
    ++s.flipCount;
    return WaitVSyncImpl(1);
  }
  OutputSurfaces& out = GetOutputSurfaces();
  if (s.pureSoftware) {
    if (out.presenter && out.backImage.pixels) out.presenter->Present(FrameOf(out.backImage));
    s.frontScreenStale = 1;
    ++s.flipCount;
    return 0;
  }
  platform::DisplayDevice* device = s.device;
  if (!device || !out.primarySurface || !out.backSurface) return -1;
  int width = 0;
  int height = 0;
  GetScreenSize(&width, &height);
  const RECT source{0, 0, width, height};
  RECT dest = source;
  if (GetWindowModeFlag()) {
    const platform::Rect& client = GetWindowState().session.clientRect;
    dest = RECT{client.left, client.top, client.left + ScaledClientWidth(), client.top + ScaledClientHeight()};
  }
  int result;
  if (!IsSoftwareScreen()) {
    G_D3D_FlushCurrentVertexBuffer();
    G_D3D_EndScene();
    if (s.waitVSync) WaitVSyncSpaced();
    const platform::Rect d = ToRect(dest);
    const platform::Rect r = ToRect(source);
    if (GetWindowModeFlag() || s.gdiDisplay) {
      result = device->Blt(out.primarySurface, &d, out.backSurface, &r);
    } else {
      result = device->BltFast(out.primarySurface, 0, 0, out.backSurface, &r, false);
    }
  } else {
    result = PresentSoftwareBackOnDevice(source, dest);
    s.frontScreenStale = 1;
  }
  RestoreIfLost(result);
  ++s.flipCount;
  return 0;
}

int WaitVSyncImpl(int count) {
  ScreenState& s = GetScreenStateRecord();
  if (!s.device) return -1;
  if (GetDrawState().drawSuppressed) return 0;
  WaitWhileInactive();
  for (int i = 0; i < std::max(count, 1); ++i) {
    if (ProcessMessageImpl() < 0) return -1;
    s.device->WaitForVerticalBlank();
  }
  return 0;
}

uint32_t WaitVSyncSpaced() {
  ScreenState& s = GetScreenStateRecord();
  platform::Clock& clock = platform::GetClock();
  if (s.device) {
    const int32_t elapsed = static_cast<int32_t>(clock.Milliseconds() - s.lastVSyncTime);
    // A wait right after the last one would catch the same blank again.
    while (s.vsyncSpacingMs >= 0 && elapsed < s.vsyncSpacingMs &&
           static_cast<int32_t>(clock.Milliseconds() - s.lastVSyncTime) < s.vsyncSpacingMs) {
      clock.Sleep(1);
    }
    s.device->WaitForVerticalBlank();
  }
  s.lastVSyncTime = clock.Milliseconds();
  return s.lastVSyncTime;
}

int CopySurfaceRect(platform::DeviceSurface* dest, platform::DeviceSurface* source, int x, int y, const RECT* rect,
                    int method) {
  platform::DisplayDevice* device = GetScreenStateRecord().device;
  if (!device || !dest || !source || !rect) return -1;
  if (method == -1) method = GetScreenStateRecord().useBitBltCopy;
  const platform::Rect r = ToRect(*rect);
  if (method == 0) return device->BltFast(dest, x, y, source, &r, false) == 0 ? 0 : -1;
  // Through the two surfaces' device contexts: a plain copy of the overlapping part.
  platform::LockedPixels to;
  platform::LockedPixels from;
  if (device->GetDC(dest, &to) != 0) return -1;
  if (device->GetDC(source, &from) != 0) {
    device->ReleaseDC(dest);
    return -1;
  }
  int result = -1;
  if (to.format.bits == from.format.bits && to.pixels && from.pixels) {
    const int bytes = to.format.bits / 8;
    // The columns that lie inside both surfaces.
    const int left = std::max({r.left, 0, r.left - x});
    const int right = std::min({r.right, from.width, r.left - x + to.width});
    for (int row = std::max(r.top, 0); row < std::min(r.bottom, from.height) && right > left; ++row) {
      const int dy = y + row - r.top;
      if (dy < 0 || dy >= to.height) continue;
      std::memcpy(to.pixels + static_cast<ptrdiff_t>(dy) * to.pitch + static_cast<ptrdiff_t>(x + left - r.left) * bytes,
                  from.pixels + static_cast<ptrdiff_t>(row) * from.pitch + static_cast<ptrdiff_t>(left) * bytes,
                  static_cast<size_t>(right - left) * bytes);
    }
    result = 0;
  }
  device->ReleaseDC(source);
  device->ReleaseDC(dest);
  return result;
}

int GetFrontScreenRect(RECT* out) {
  int width = 0;
  int height = 0;
  GetScreenSize(&width, &height);
  RECT r{0, 0, width, height};
  const ScreenState& s = GetScreenStateRecord();
  if (s.device && !s.pureSoftware && !s.useTempPrimary && GetWindowModeFlag()) {
    const platform::Rect& client = GetWindowState().session.clientRect;
    r = RECT{client.left, client.top, client.left + width, client.top + height};
  }
  if (out) *out = r;
  return 0;
}

uint64_t GetScreenFlipCount() { return GetScreenStateRecord().flipCount; }

namespace {

// Copies between the temporary primary (of the screen's size) and the primary: into it the
// screen rectangle at the window's client origin, or back onto the client area, scaled to it.
int CopyTempPrimary(bool present) {
  const ScreenState& s = GetScreenStateRecord();
  const OutputSurfaces& out = GetOutputSurfaces();
  if (!s.device || !out.primarySurface || !out.tempPrimarySurface) return 0;
  int width = 0;
  int height = 0;
  GetScreenSize(&width, &height);
  const platform::Rect screen{0, 0, width, height};
  const platform::Rect client = GetWindowState().session.clientRect;
  if (present) {
    RestoreIfLost(s.device->Blt(out.primarySurface, &client, out.tempPrimarySurface, &screen));
  } else {
    const platform::Rect window{client.left, client.top, client.left + width, client.top + height};
    s.device->Blt(out.tempPrimarySurface, &screen, out.primarySurface, &window);
  }
  return 0;
}

}  // namespace

int CopyWindowToTempPrimary() { return CopyTempPrimary(false); }
int PresentTempPrimary() { return CopyTempPrimary(true); }

void StartTempPrimaryTimer() {
  ScreenState& s = GetScreenStateRecord();
  s.tempPrimaryTimerArmed = 1;
  s.tempPrimaryTimerDue = platform::GetClock().Milliseconds() + kTempPrimaryTimerMs;
}

void KillTempPrimaryTimer() { GetScreenStateRecord().tempPrimaryTimerArmed = 0; }

void TempPrimaryTimerProc() {
  KillTempPrimaryTimer();
  if (!GetOutputSurfaces().primarySurface) return;
  PresentTempPrimary();
  StartTempPrimaryTimer();
}

void RunDueWindowTimers() {
  const ScreenState& s = GetScreenStateRecord();
  if (!s.tempPrimaryTimerArmed) return;
  if (static_cast<int32_t>(platform::GetClock().Milliseconds() - s.tempPrimaryTimerDue) >= 0) TempPrimaryTimerProc();
}

int PresentFrontScreenRect(const RECT* rect) {
  if (!rect) return 0;
  RECT r = *rect;
  RECT screen{0, 0, 0, 0};
  GetScreenSize(&screen.right, &screen.bottom);
  ClipRectImpl(&r, &screen);
  if (r.left >= r.right || r.top >= r.bottom) return 0;
  const ScreenState& s = GetScreenStateRecord();
  OutputSurfaces& out = GetOutputSurfaces();
  if (s.pureSoftware) {
    if (out.presenter && out.frontImage.pixels) {
      out.presenter->PresentRect(FrameOf(out.frontImage), r.left, r.top, r.right, r.bottom);
    }
    return 0;
  }
  platform::DeviceSurface* surface = out.tempPrimarySurface ? out.tempPrimarySurface : out.primarySurface;
  if (!s.device || !surface || !out.frontImage.pixels) return -1;
  RECT at = r;
  if (GetWindowModeFlag() && !out.tempPrimarySurface) {
    const platform::Rect& client = GetWindowState().session.clientRect;
    at = RECT{r.left + client.left, r.top + client.top, r.right + client.left, r.bottom + client.top};
  }
  const platform::Rect area = ToRect(at);
  platform::LockedPixels locked;
  if (s.device->Lock(surface, &area, &locked) != 0) return -1;
  GraphImage target{};
  target.format = out.screenColorFormat;
  target.width = locked.width;
  target.height = locked.height;
  target.pitch = locked.pitch;
  target.pixels = locked.pixels;
  BltMemImgToGraphImage(&target, &out.frontImage, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, 0, 0);
  s.device->Unlock(surface);
  return 0;
}

int FetchFrontScreenFromWindow() {
  ScreenState& s = GetScreenStateRecord();
  if (!(s.pureSoftware || IsSoftwareScreen()) || !s.frontScreenStale) return 0;
  OutputSurfaces& out = GetOutputSurfaces();
  if (!s.pureSoftware) {
    platform::DeviceSurface* surface = out.tempPrimarySurface ? out.tempPrimarySurface : out.primarySurface;
    if (!s.device || !surface || !out.frontImage.pixels) return -1;
    RECT rect{0, 0, 0, 0};
    GetFrontScreenRect(&rect);
    const platform::Rect area = ToRect(rect);
    platform::LockedPixels locked;
    if (s.device->Lock(surface, &area, &locked) != 0) return -1;
    const RECT whole{0, 0, locked.width, locked.height};
    ConvertColorFormatBlt(out.frontImage.pixels, out.frontImage.pitch, out.frontImage.format, locked.pixels,
                          locked.pitch, &out.screenColorFormat, nullptr, 0, nullptr, 0, 0, &whole, ConvertBltOptions{});
    s.device->Unlock(surface);
    s.frontScreenStale = 0;
    return 0;
  }
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
  ScreenState& s = GetScreenStateRecord();
  if (!out.presenter && s.device && out.primarySurface) {
    if (GetRuntimeState().initialised && GetDrawState().drawScreen == kBackScreen) {
      const int keptWait = s.waitVSync;
      s.waitVSync = 0;
      G_DD_FlipScreen();
      s.waitVSync = keptWait;
    } else {
      s.device->Refresh();
    }
    return 1;
  }
  if (!out.presenter) return 0;
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
