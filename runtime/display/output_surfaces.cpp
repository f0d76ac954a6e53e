#include "runtime/display/output_surfaces.h"

#include <algorithm>

#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/log.h"
#include "runtime/core/window.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_backend.h"
#include "runtime/display/draw_state.h"
#include "runtime/display/screen_mode.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_data.h"

namespace rt {
namespace {

constexpr uint32_t kXrgbRedMask = 0xFF0000;
constexpr uint32_t kXrgbGreenMask = 0xFF00;
constexpr uint32_t kXrgbBlueMask = 0xFF;
constexpr uint32_t k565RedMask = 0xF800;
constexpr uint32_t k565GreenMask = 0x07E0;
constexpr uint32_t k565BlueMask = 0x001F;

// The software screens are 32-bit unless a 16-bit screen was asked for.
int ScreenImageKind() { return GetScreenColorBitDepth() == 16 ? kMemImgKind565 : kMemImgKindXRGB; }

void FillWithBackground(MEMIMG* image) {
  FillMemImg(image, nullptr, GetColorFormatPixel(image->format, kBackgroundRed, kBackgroundGreen, kBackgroundBlue, 255));
}

uint32_t Pack(const ColorFormat* format, int r, int g, int b) {
  auto channel = [](int v, int width, int shift) -> uint32_t {
    return width == 0 ? 0 : static_cast<uint32_t>(v >> (8 - width)) << shift;
  };
  return channel(r, format->redWidth, format->redShift) + channel(g, format->greenWidth, format->greenShift) +
         channel(b, format->blueWidth, format->blueShift) + format->noneMask;
}

int Unpack(uint32_t color, uint32_t mask, int shift, int width) {
  if (width == 0) return 0;
  return static_cast<int>(((color & mask) >> shift) * 255 / ((1u << width) - 1));
}

}  // namespace

namespace {

platform::DeviceSurface* MakeSurface(platform::SurfaceKind kind, int width, int height, bool systemMemory,
                                     bool renderTarget, int backBuffers = 0) {
  platform::SurfaceDesc desc;
  desc.kind = kind;
  desc.width = width;
  desc.height = height;
  desc.systemMemory = systemMemory;
  desc.renderTarget = renderTarget;
  desc.backBufferCount = backBuffers;
  return GetScreenStateRecord().device->CreateSurface(desc);
}

void FillSurfaceWithBackground(platform::DeviceSurface* surface) {
  platform::DisplayDevice* device = GetScreenStateRecord().device;
  const platform::SurfaceInfo info = device->Describe(surface);
  ColorFormat format{};
  SetColorFormatFromMasksImpl(&format, info.format.bits, info.format.redMask, info.format.greenMask,
                              info.format.blueMask, info.format.alphaMask);
  device->ColorFill(surface, nullptr,
                    GetColorFormatPixel(&format, kBackgroundRed, kBackgroundGreen, kBackgroundBlue, 255));
}

// A 32-bit XRGB or 16-bit 5:6:5 screen: the raster routines draw on its pixels as they are.
bool StandardScreenFormat() {
  const DDPixelFormat& f = GetOutputSurfaces().screenPixelFormat;
  return (f.rgbBitCount == 32 && f.redMask == kXrgbRedMask && f.greenMask == kXrgbGreenMask &&
          f.blueMask == kXrgbBlueMask) ||
         (f.rgbBitCount == 16 && f.redMask == k565RedMask && f.greenMask == k565GreenMask &&
          f.blueMask == k565BlueMask);
}

// The back image over the locked back surface.
int LockBackImage() {
  OutputSurfaces& out = GetOutputSurfaces();
  platform::LockedPixels locked;
  if (GetScreenStateRecord().device->Lock(out.backSurface, nullptr, &locked) != 0) return -1;
  out.backImage = MEMIMG{};
  out.backImage.pixels = locked.pixels;
  return InitMemImg(&out.backImage, locked.width, locked.height, locked.pitch, 0, ScreenImageKind(), 0, 0, 0);
}

void LogPlacement(const char* label, platform::DeviceSurface* surface) {
  const bool video = surface && GetScreenStateRecord().device->Describe(surface).videoMemory;
  LogAddFormat(label, video ? "VIDEOMEMORY" : "SYSTEMMEMORY");
}

}  // namespace

int CreateOutputSurfaces() {
  const ScreenState& s = GetScreenStateRecord();
  OutputSurfaces& out = GetOutputSurfaces();
  if (s.pureSoftware) {
    if (out.frontImage.magic == kMemImgMagic) return -1;
  } else if (!s.device || out.primarySurface) {
    return -1;
  }
  LogAdd("出力画面用の DirectDrawSurface を作成します\n");
  out.memImgScreens = IsSoftwareScreen();
  int width = 0;
  int height = 0;
  GetScreenSize(&width, &height);
  const int kind = ScreenImageKind();
  if (out.memImgScreens) {
    if (!s.pureSoftware) {
      out.primarySurface = MakeSurface(platform::SurfaceKind::kPrimary, 0, 0, true, false);
      if (!out.primarySurface) FatalExit("プライマリサーフェスの作成に失敗しました");
      out.backSurface = MakeSurface(platform::SurfaceKind::kOffscreenPlain, width, height, true, false);
      if (!out.backSurface) FatalExit("バックサーフェスの作成に失敗しました");
      FillSurfaceWithBackground(out.primarySurface);
      FillSurfaceWithBackground(out.backSurface);
    }
    if (CreateMemImg(&out.frontImage, width, height, kind) != 0) {
      FatalExit("プライマリサーフェス用の MEMIMG の作成に失敗しました\n");
    }
    if (!s.pureSoftware && GetScreenColorBitDepth() == s.screenBits && StandardScreenFormat()) {
      if (LockBackImage() != 0) FatalExit("バックサーフェスのロックに失敗しました");
      out.backImageInSurface = 1;
    } else if (CreateMemImg(&out.backImage, width, height, kind) != 0) {
      FatalExit("バックサーフェス用の MEMIMG の作成に失敗しました\n");
    }
    if (CreateZBufferMemImg(&out.zImage, width, height) != 0) {
      FatalExit("Ｚバッファサーフェス用の MEMIMG の作成に失敗しました\n");
    }
    FillWithBackground(&out.frontImage);
    FillWithBackground(&out.backImage);
  } else {
    platform::DisplayDevice* device = s.device;
    if (GetWindowModeFlag()) {
      out.primarySurface = MakeSurface(platform::SurfaceKind::kPrimary, 0, 0, false, true);
      if (!out.primarySurface) FatalExit("プライマリサーフェスの作成に失敗しました");
      out.backSurface = MakeSurface(platform::SurfaceKind::kOffscreenPlain, width, height, false, true);
      if (!out.backSurface) FatalExit("バックサーフェスの作成に失敗しました");
      FillSurfaceWithBackground(out.primarySurface);
      FillSurfaceWithBackground(out.backSurface);
    } else {
      out.primarySurface = MakeSurface(platform::SurfaceKind::kPrimary, 0, 0, false, true, 1);
      if (!out.primarySurface) FatalExit("プライマリサーフェスの作成に失敗しました");
      out.backSurface = device->GetAttachedBackBuffer(out.primarySurface);
      if (!out.backSurface) FatalExit("バックサーフェスの作成に失敗しました");
      // Both buffers of the chain start cleared.
      FillSurfaceWithBackground(out.backSurface);
      device->Flip(out.primarySurface, true);
      FillSurfaceWithBackground(out.backSurface);
      device->Flip(out.primarySurface, false);
    }
    if (s.useTempPrimary) {
      out.tempPrimarySurface = MakeSurface(platform::SurfaceKind::kOffscreenPlain, width, height, false, true);
      if (!out.tempPrimarySurface) FatalExit("テンポラリプライマリサーフェスの作成に失敗しました");
      FillSurfaceWithBackground(out.tempPrimarySurface);
    }
    out.workSurface = MakeSurface(platform::SurfaceKind::kOffscreenPlain, width, height, true, false);
    if (!out.workSurface) FatalExit("作業用サーフェスの作成に失敗しました");
    device->SetColorKey(out.workSurface, 0);
    FillSurfaceWithBackground(out.workSurface);
    out.workSurface2 = MakeSurface(platform::SurfaceKind::kOffscreenPlain, width, height, true, false);
    if (!out.workSurface2) FatalExit("作業用サーフェス２の作成に失敗しました");
    device->SetColorKey(out.workSurface2, 0);
    FillSurfaceWithBackground(out.workSurface2);
    out.zBufferSurface = MakeSurface(platform::SurfaceKind::kZBuffer, width, height, false, false);
    if (!out.zBufferSurface || device->AttachZBuffer(out.backSurface, out.zBufferSurface) != 0) {
      LogAdd("Ｚバッファの作成に失敗しました\n");
      // What was made before is released: the mode change fails without screens.
      ReleaseMainSurfaces();
      return -1;
    }
  }
  LogAdd("各スクリーンメモリの配置位置\n");
  if (out.memImgScreens) {
    LogAdd("PrimaryBuffer : SYSTEMMEMORY( MEMIMG ) ");
    LogAdd("BaskBuffer : SYSTEMMEMORY( MEMIMG ) ");
  } else {
    LogPlacement("PrimaryBuffer : %s  ", out.primarySurface);
    LogPlacement("BaskBuffer : %s  ", out.backSurface);
  }
  LogAdd("出力画面用の DirectDrawSurface の作成は正常に終了しました\n");
  return 0;
}

int ReleaseMainSurfaces() {
  const ScreenState& s = GetScreenStateRecord();
  OutputSurfaces& out = GetOutputSurfaces();
  if (!s.pureSoftware && !s.directDrawRunning) return -1;
  platform::DisplayDevice* device = s.device;
  if (device) {
    if (out.backImageInSurface) {
      device->Unlock(out.backSurface);
      out.backImage = MEMIMG{};
      out.backImageInSurface = 0;
    }
    if (out.zBufferSurface) {
      if (out.backSurface) device->DetachZBuffer(out.backSurface);
      device->ReleaseSurface(out.zBufferSurface);
    }
    if (out.primarySurface) {
      LogAdd("メインサーフェスを破棄をします... 完了しました\n");
      // A back buffer of the chain goes with the primary.
      if (out.backSurface && device->GetAttachedBackBuffer(out.primarySurface) != out.backSurface) {
        device->ReleaseSurface(out.backSurface);
      }
      device->ReleaseSurface(out.primarySurface);
    } else if (out.backSurface) {
      device->ReleaseSurface(out.backSurface);
    }
    device->ReleaseSurface(out.tempPrimarySurface);
    device->ReleaseSurface(out.workSurface);
    device->ReleaseSurface(out.workSurface2);
  }
  out.zBufferSurface = nullptr;
  out.primarySurface = nullptr;
  out.backSurface = nullptr;
  out.tempPrimarySurface = nullptr;
  out.workSurface = nullptr;
  out.workSurface2 = nullptr;
  if (out.memImgScreens) {
    ReleaseMemImg(&out.frontImage);
    ReleaseMemImg(&out.backImage);
    ReleaseMemImg(&out.zImage);
    out.frontImage = MEMIMG{};
    out.backImage = MEMIMG{};
    out.zImage = MEMIMG{};
    out.memImgScreens = 0;
  }
  return 0;
}

int RestorePrimarySurfaces() {
  const ScreenState& s = GetScreenStateRecord();
  if (!s.device) return -1;
  if (GetDrawState().drawSuppressed) return 0;
  OutputSurfaces& out = GetOutputSurfaces();
  for (platform::DeviceSurface* surface : {out.primarySurface, out.tempPrimarySurface, out.backSurface, out.zBufferSurface}) {
    if (surface && s.device->IsLost(surface)) s.device->Restore(surface);
  }
  return 0;
}

int ReleaseListedSurfaces() {
  if (!IsGraphicsStarted()) return 0;
  HandleTable<Surface2D>& table = GetSurface2DTable();
  for (int slot = 0; slot < table.highWaterMark(); ++slot) {
    const Surface2D* surface = table.At(slot);
    if (!surface) continue;
    const SurfaceData* data = GetSurfaceData(surface->surfaceData);
    if (data && !data->software) ReleaseSurfaceDataSurface(surface->surfaceData);
  }
  return 0;
}

int RestoreListedSurfaces() {
  if (!IsGraphicsStarted()) return 0;
  HandleTable<Surface2D>& table = GetSurface2DTable();
  for (int slot = 0; slot < table.highWaterMark(); ++slot) {
    const Surface2D* surface = table.At(slot);
    if (!surface) continue;
    CreateSurfaceDataSurface(surface->surfaceData);
    SetSurfaceDataColorKey(surface->surfaceData);
  }
  return 0;
}

int SetupScreenColorFormat() {
  ScreenState& s = GetScreenStateRecord();
  OutputSurfaces& out = GetOutputSurfaces();
  if (!s.pureSoftware) {
    if (!s.device) return 0;
    const platform::DevicePixelFormat f = s.device->GetDisplayMode().format;
    MakeDDPixelFormatImpl(&out.screenPixelFormat, f.bits, f.redMask, f.greenMask, f.blueMask, f.alphaMask);
    SetColorFormatFromMasksImpl(&out.screenColorFormat, f.bits, f.redMask, f.greenMask, f.blueMask, f.alphaMask);
    LogAdd("カラー情報\n");
    LogAddFormat("A:%08x  B:%08x  G:%08x  B:%08x", f.alphaMask, f.redMask, f.greenMask, f.blueMask);
    s.screenBits = f.bits;
    if (f.bits == 16 && f.redMask == k565RedMask && f.greenMask == k565GreenMask && f.blueMask == k565BlueMask) {
      out.screenFormatKind = kScreenFormat565;
    } else if (f.bits == 16 && f.redMask == 0x7C00 && f.greenMask == 0x03E0 && f.blueMask == 0x001F) {
      out.screenFormatKind = kScreenFormat555;
    } else if (f.bits == 32 && f.redMask == kXrgbRedMask && f.greenMask == kXrgbGreenMask &&
               f.blueMask == kXrgbBlueMask) {
      out.screenFormatKind = kScreenFormatXRGB;
    } else {
      out.screenFormatKind = kScreenFormatOther;
    }
    return 0;
  }
  if (s.screenBits != 16 && s.screenBits != 32) s.screenBits = 16;
  if (s.screenBits == 32) {
    SetColorFormatFromMasksImpl(&out.screenColorFormat, 32, kXrgbRedMask, kXrgbGreenMask, kXrgbBlueMask, 0);
    MakeDDPixelFormatImpl(&out.screenPixelFormat, 32, kXrgbRedMask, kXrgbGreenMask, kXrgbBlueMask, 0);
    out.screenFormatKind = kScreenFormatXRGB;
  } else {
    SetColorFormatFromMasksImpl(&out.screenColorFormat, 16, k565RedMask, k565GreenMask, k565BlueMask, 0);
    MakeDDPixelFormatImpl(&out.screenPixelFormat, 16, k565RedMask, k565GreenMask, k565BlueMask, 0);
    out.screenFormatKind = kScreenFormat565;
  }
  return 0;
}

// A palette belongs to 8-bit screens; neither the device nor the software display offers
// one (the device refuses 8-bit modes).
int CreateScreenPalette() { return 0; }
int RestoreScreenPalette() { return 0; }

uint32_t GetColorImpl(int r, int g, int b) {
  r = std::clamp(r, 0, 255);
  g = std::clamp(g, 0, 255);
  b = std::clamp(b, 0, 255);
  const ScreenState& s = GetScreenStateRecord();
  if (s.softwareRender) return Pack(GetStandardColorFormat(ScreenImageKind(), 0, 0), r, g, b);
  return Pack(&GetOutputSurfaces().screenColorFormat, r, g, b);
}

int GetColorComponents(uint32_t color, int* r, int* g, int* b) {
  const ScreenState& s = GetScreenStateRecord();
  const ColorFormat* format = s.softwareRender && GetScreenColorBitDepth() != s.screenBits
                                  ? GetStandardColorFormat(ScreenImageKind(), 0, 0)
                                  : &GetOutputSurfaces().screenColorFormat;
  if (r) *r = Unpack(color, format->redMask, format->redShift, format->redWidth);
  if (g) *g = Unpack(color, format->greenMask, format->greenShift, format->greenWidth);
  if (b) *b = Unpack(color, format->blueMask, format->blueShift, format->blueWidth);
  return 0;
}

const ColorFormat* GetScreenColorFormat() { return &GetOutputSurfaces().screenColorFormat; }

const DDPixelFormat* GetScreenPixelFormatImpl() { return &GetOutputSurfaces().screenPixelFormat; }

}  // namespace rt
