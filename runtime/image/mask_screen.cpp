#include "runtime/image/mask_screen.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_backend.h"
#include "runtime/display/output_surfaces.h"

namespace rt {
namespace {

// The screen size while none has been set.
constexpr int kDefaultScreenWidth = 640;
constexpr int kDefaultScreenHeight = 480;

MaskState g_mask;

void ScreenSize(int* width, int* height) {
  const ScreenState& s = GetScreenStateRecord();
  *width = s.screenWidth > 0 ? s.screenWidth : kDefaultScreenWidth;
  *height = s.screenHeight > 0 ? s.screenHeight : kDefaultScreenHeight;
}

bool WorkReady() {
  const MEMIMG* work = GetMaskMemImg();
  return g_mask.workIsMemImg && work->magic == kMemImgMagic && work->pixels;
}

platform::DisplayDevice* Device() { return GetScreenStateRecord().device; }

platform::DeviceSurface* WorkSurface() { return static_cast<platform::DeviceSurface*>(g_mask.surface); }

void RefreshActive() {
  DrawState& state = GetDrawState();
  const int active = g_mask.useFlag && g_mask.data && (WorkReady() || WorkSurface()) ? 1 : 0;
  state.maskDrawActive = active;
  // Software draws go to the work image; draws on device targets stay on the target, and
  // the protected pixels are put back after each one.
  state.maskScreenInUse = active && WorkReady() ? 1 : 0;
}

// The device's work surface: a plain surface of the screen size in the screen's format,
// with the key colour as its colour key.
void CreateWorkSurface(int width, int height) {
  platform::DisplayDevice* device = Device();
  if (!device || g_mask.surface || IsSoftwareScreen() || GetScreenStateRecord().pureSoftware) return;
  platform::SurfaceDesc desc;
  desc.kind = platform::SurfaceKind::kOffscreenPlain;
  desc.width = width;
  desc.height = height;
  desc.systemMemory = GetScreenStateRecord().softwareRender != 0;
  desc.renderTarget = !desc.systemMemory;
  platform::DeviceSurface* surface = device->CreateSurface(desc);
  if (!surface) FatalExit("マスク用サーフェスの作成に失敗しました");
  device->SetColorKey(surface, g_mask.keyColor);
  g_mask.surface = surface;
  g_mask.workInVideoMemory = device->Describe(surface).videoMemory ? 1 : 0;
}

void ReleaseWorkSurface() {
  if (g_mask.surface && Device()) Device()->ReleaseSurface(WorkSurface());
  g_mask.surface = nullptr;
  g_mask.workInVideoMemory = 0;
}

// The rectangle on a device target, cut to the draw area, the screen size and the mask
// data; a windowed front screen is addressed in desktop coordinates.
bool DeviceMaskRect(int x1, int y1, int x2, int y2, platform::DeviceSurface* target, RECT* onWork,
                    platform::Rect* onTarget) {
  if (!GetDrawState().maskDrawActive || !WorkSurface() || !g_mask.data || !target || !Device()) return false;
  if (target == WorkSurface()) return false;
  RECT r{x1, y1, x2, y2};
  ClipRectImpl(&r, &GetDrawState().drawArea);
  const platform::SurfaceInfo work = Device()->Describe(WorkSurface());
  const RECT bounds{0, 0, std::min(work.width, g_mask.width), std::min(work.height, g_mask.height)};
  ClipRectImpl(&r, &bounds);
  if (r.left >= r.right || r.top >= r.bottom) return false;
  *onWork = r;
  const RECT& front = GetDrawState().frontClientRect;
  const OutputSurfaces& out = GetOutputSurfaces();
  const bool desktop = GetWindowModeFlag() && (target == out.primarySurface || target == out.tempPrimarySurface);
  const int dx = desktop ? front.left : 0, dy = desktop ? front.top : 0;
  *onTarget = platform::Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
  return true;
}

int SaveDeviceMaskRect(int x1, int y1, int x2, int y2, platform::DeviceSurface* target) {
  G_D3D_EndScene();
  RECT r;
  platform::Rect from;
  if (!DeviceMaskRect(x1, y1, x2, y2, target, &r, &from)) return 0;
  Device()->BltFast(WorkSurface(), r.left, r.top, target, &from, false);
  return 0;
}

// The draw went onto the target; the masked pixels are put back from the copy the save
// made. They are picked by the mask itself rather than through a colour key, so that a
// protected pixel that happens to equal the key is not lost.
int ApplyDeviceMaskRect(int x1, int y1, int x2, int y2, platform::DeviceSurface* target) {
  // The draws still in the batch reach the target first.
  G_D3D_EndScene();
  RECT r;
  platform::Rect to;
  if (!DeviceMaskRect(x1, y1, x2, y2, target, &r, &to)) return 0;
  platform::DisplayDevice* device = Device();
  const platform::Rect area{r.left, r.top, r.right, r.bottom};
  platform::LockedPixels work, dest;
  if (device->Lock(WorkSurface(), &area, &work) != 0) return 0;
  const int bytes = work.format.bits / 8;
  const bool paired = device->Lock(target, &to, &dest) == 0;
  const platform::DevicePixelFormat& a = work.format;
  const platform::DevicePixelFormat& b = dest.format;
  const bool sameFormat = paired && a.bits == b.bits && a.redMask == b.redMask && a.greenMask == b.greenMask &&
                          a.blueMask == b.blueMask;
  for (int y = 0; y < work.height; ++y) {
    const uint8_t* mask = g_mask.data + static_cast<ptrdiff_t>(r.top + y) * g_mask.pitch + r.left;
    uint8_t* from = work.pixels + static_cast<ptrdiff_t>(y) * work.pitch;
    uint8_t* into = sameFormat ? dest.pixels + static_cast<ptrdiff_t>(y) * dest.pitch : nullptr;
    for (int x = 0; x < work.width; ++x) {
      const bool masked = g_mask.reverse ? mask[x] == 0 : mask[x] != 0;
      if (!masked) {
        std::memcpy(from + x * bytes, &g_mask.keyColor, static_cast<size_t>(bytes));
      } else if (into) {
        std::memcpy(into + x * bytes, from + x * bytes, static_cast<size_t>(bytes));
      }
    }
  }
  if (paired) device->Unlock(target);
  device->Unlock(WorkSurface());
  // A target of another format takes the protected pixels through the device's keyed copy.
  if (!sameFormat) device->BltFast(target, to.left, to.top, WorkSurface(), &area, true);
  return 0;
}

void FreeData() {
  MemFree(g_mask.data);
  g_mask.data = nullptr;
  g_mask.pitch = g_mask.width = g_mask.height = 0;
}

void ReleaseWork() {
  ReleaseMemImg(GetMaskMemImg());
  std::memset(GetMaskMemImg(), 0, sizeof(MEMIMG));
  g_mask.workIsMemImg = 0;
  g_mask.workInVideoMemory = 0;
}

// The rectangle clipped to the draw area, the target, the work screen and the mask data;
// false when nothing is left or the images cannot be paired pixel for pixel.
bool MaskRect(int x1, int y1, int x2, int y2, const MEMIMG* target, RECT* out) {
  const MEMIMG* work = GetMaskMemImg();
  if (!GetDrawState().maskDrawActive || !WorkReady() || !g_mask.data) return false;
  if (!target || target->magic != kMemImgMagic || !target->pixels || target == work) return false;
  if (target->kind != work->kind || target->paletteFlag || target->alphaFlag) return false;
  RECT r{x1, y1, x2, y2};
  ClipRectImpl(&r, &GetDrawState().drawArea);
  const RECT bounds{0, 0, std::min({target->width, work->width, g_mask.width}),
                    std::min({target->height, work->height, g_mask.height})};
  ClipRectImpl(&r, &bounds);
  if (r.left >= r.right || r.top >= r.bottom) return false;
  *out = r;
  return true;
}

}  // namespace

MaskState& GetMaskState() { return g_mask; }

int CreateMaskScreen(int makeData, int makeScreen) {
  int width = 0, height = 0;
  ScreenSize(&width, &height);
  if (makeData && !g_mask.data) {
    const int pitch = (width + 3) & ~3;
    g_mask.data = static_cast<uint8_t*>(RT_ALLOC_ZERO(static_cast<size_t>(pitch) * static_cast<size_t>(height)));
    if (g_mask.data) {
      g_mask.pitch = pitch;
      g_mask.width = width;
      g_mask.height = height;
    }
  }
  if (makeScreen && !g_mask.workIsMemImg && !g_mask.surface && IsSoftwareScreen()) {
    if (CreateMemImg(GetMaskMemImg(), width, height, -1) != 0) FatalExit("マスク用 MEMIMG の作成に失敗しました");
    g_mask.workIsMemImg = 1;
  }
  if (makeScreen && !g_mask.workIsMemImg) CreateWorkSurface(width, height);
  return 0;
}

int ReleaseMaskScreen() {
  FreeData();
  ReleaseWorkSurface();
  ReleaseWork();
  return 0;
}

int RecreateMaskScreen() {
  CreateMaskScreen(g_mask.wanted, g_mask.wanted);
  if (g_mask.useFlag && g_mask.data) SetUseMaskScreenFlag(g_mask.useFlag);
  return 0;
}

int EndMaskScreen() {
  WaitWhileInactive();
  if (g_mask.useFlag) SetUseMaskScreenFlag(0);
  ReleaseWorkSurface();
  FreeData();
  ReleaseWork();
  g_mask.wanted = 0;
  g_mask.useFlag = 0;
  RefreshActive();
  return 0;
}

int SetUseMaskScreenFlag(int flag) {
  if (!g_mask.data) return -1;
  g_mask.useFlag = flag ? 1 : 0;
  if (flag) g_mask.wanted = 1;
  RefreshActive();
  UpdateDrawStateHook();
  return 0;
}

int GetUseMaskScreenFlag() { return g_mask.useFlag; }

void* GetMaskSurface() { return g_mask.surface; }

int SaveMaskDrawRect(int x1, int y1, int x2, int y2, void* targetSurface, MEMIMG* target) {
  if (WorkSurface() && targetSurface) {
    return SaveDeviceMaskRect(x1, y1, x2, y2, static_cast<platform::DeviceSurface*>(targetSurface));
  }
  RECT r;
  if (!MaskRect(x1, y1, x2, y2, target, &r)) return 0;
  BltMemImg(GetMaskMemImg(), target, &r, r.left, r.top);
  return 0;
}

int ApplyMaskDrawRect(int x1, int y1, int x2, int y2, void* targetSurface, MEMIMG* target) {
  if (WorkSurface() && targetSurface) {
    return ApplyDeviceMaskRect(x1, y1, x2, y2, static_cast<platform::DeviceSurface*>(targetSurface));
  }
  RECT r;
  if (!MaskRect(x1, y1, x2, y2, target, &r)) return 0;
  MEMIMG* work = GetMaskMemImg();
  const int bytes = MemImgBytesPerPixel(work->kind, 0, 0);
  const uint32_t key = g_mask.keyColor;
  for (int y = r.top; y < r.bottom; ++y) {
    const uint8_t* mask = g_mask.data + static_cast<ptrdiff_t>(y) * g_mask.pitch;
    uint8_t* from = work->pixels + static_cast<ptrdiff_t>(y) * work->pitch;
    uint8_t* to = target->pixels + static_cast<ptrdiff_t>(y) * target->pitch;
    for (int x = r.left; x < r.right; ++x) {
      const bool masked = g_mask.reverse ? mask[x] == 0 : mask[x] != 0;
      if (masked) {
        std::memcpy(from + x * bytes, &key, static_cast<size_t>(bytes));
      } else {
        // The free pixels are copied by the mask itself rather than by comparing with the
        // key colour, so a drawn pixel that happens to equal the key is not lost.
        std::memcpy(to + x * bytes, from + x * bytes, static_cast<size_t>(bytes));
      }
    }
  }
  return 0;
}

}  // namespace rt
