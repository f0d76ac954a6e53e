#include "runtime/display/output_surfaces.h"

#include <algorithm>

#include "runtime/core/log.h"
#include "runtime/core/startup.h"
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

int CreateOutputSurfaces() {
  const ScreenState& s = GetScreenStateRecord();
  OutputSurfaces& out = GetOutputSurfaces();
  if (!s.pureSoftware) return -1;
  if (out.frontImage.magic == kMemImgMagic) return -1;
  LogAdd("出力画面用の DirectDrawSurface を作成します\n");
  out.memImgScreens = IsSoftwareScreen();
  // Screens on a display device need that device, which does not exist here.
  if (!out.memImgScreens) return -1;
  int width = 0;
  int height = 0;
  GetScreenSize(&width, &height);
  const int kind = ScreenImageKind();
  if (CreateMemImg(&out.frontImage, width, height, kind) != 0) {
    FatalExit("プライマリサーフェス用の MEMIMG の作成に失敗しました\n");
  }
  if (CreateMemImg(&out.backImage, width, height, kind) != 0) {
    FatalExit("バックサーフェス用の MEMIMG の作成に失敗しました\n");
  }
  if (CreateZBufferMemImg(&out.zImage, width, height) != 0) {
    FatalExit("Ｚバッファサーフェス用の MEMIMG の作成に失敗しました\n");
  }
  FillWithBackground(&out.frontImage);
  FillWithBackground(&out.backImage);
  LogAdd("各スクリーンメモリの配置位置\n");
  LogAdd("PrimaryBuffer : SYSTEMMEMORY( MEMIMG ) ");
  LogAdd("BaskBuffer : SYSTEMMEMORY( MEMIMG ) ");
  LogAdd("出力画面用の DirectDrawSurface の作成は正常に終了しました\n");
  return 0;
}

int ReleaseMainSurfaces() {
  const ScreenState& s = GetScreenStateRecord();
  OutputSurfaces& out = GetOutputSurfaces();
  if (!s.pureSoftware && !s.directDrawRunning) return -1;
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

// Only device surfaces are ever lost.
int RestorePrimarySurfaces() { return GetScreenStateRecord().directDrawRunning ? 0 : -1; }

// Software stores are in memory of their own and have no device surface to give up.
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
  // The format of a display device is read from the device, which does not exist here.
  if (!s.pureSoftware) return 0;
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

// A palette belongs to 8-bit screens on a display device; the software display is never
// 8-bit.
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
