#include "runtime/image/surface_data.h"

#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/image/surface_3d.h"

namespace rt {
namespace {

HandleTable<SurfaceData> g_surfaceData{kHandleTypeSurfaceData, kSurfaceDataSlots};
bool g_refillDue = false;  // a store came back empty and the graphs were not refilled yet

platform::DisplayDevice* Device() { return GetScreenStateRecord().device; }

bool DirectDrawObjectExists() { return Device() != nullptr; }

int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

bool HasStore(const SurfaceData* data) {
  return data->surface != nullptr || (data->software && data->image.magic == kMemImgMagic);
}

int MemImgKindOf(const SurfaceData* data) { return data->create.colorBitDepth == 16 ? kMemImgKind565 : kMemImgKindXRGB; }

int CreateSoftwareStore(SurfaceData* data) {
  MEMIMG& image = data->image;
  std::memset(&image, 0, sizeof image);
  int result;
  if (data->create.reserved) {
    result = InitMemImg(&image, data->width, data->height, -1, 0, kMemImgKind8, 0, 0, 0);
  } else {
    const int kind = MemImgKindOf(data);
    const int alpha = data->create.alphaChannel ? 1 : 0;
    const int palette = data->create.palette ? 1 : 0;
    data->formatNumber = (kind == kMemImgKind565 ? kSurfaceFormatMemImg16 : kSurfaceFormatMemImg32) + alpha;
    uint32_t key = 0xFFFF;
    if (!palette) {
      const uint32_t c = GetDrawState().transparentColor;
      key = GetColorFormatPixel(GetStandardColorFormat(kind, alpha, 0), (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF,
                                255);
    }
    result = InitMemImg(&image, data->width, data->height, -1, key, kind, palette, alpha, 0);
  }
  if (result != 0) {
    LogAdd("メモリイメージの作成に失敗しました\n");
    return -1;
  }
  return 0;
}

// A plain surface of the screen's format: in video memory unless asked otherwise, wider
// than the screen, or drawn on by the software renderer; system memory when video memory
// refuses it.
int CreatePlainSurface(SurfaceData* data) {
  platform::DisplayDevice* device = Device();
  const ScreenState& screen = GetScreenStateRecord();
  data->formatNumber = kSurfaceFormatScreen;
  platform::SurfaceDesc desc;
  desc.kind = platform::SurfaceKind::kOffscreenPlain;
  desc.width = data->width;
  desc.height = data->height;
  const int screenWidth = screen.screenWidth != 0 ? screen.screenWidth : 640;
  desc.systemMemory = data->create.systemMemoryImage == 1 || data->width > screenWidth || screen.softwareRender != 0;
  desc.renderTarget = !desc.systemMemory;
  platform::DeviceSurface* surface = device->CreateSurface(desc);
  if (!surface) {
    desc.systemMemory = true;
    desc.renderTarget = false;
    surface = device->CreateSurface(desc);
  }
  if (!surface) {
    LogAdd("標準サーフェスの作成に失敗しました\n");
    return -1;
  }
  data->surface = surface;
  data->create.systemMemoryImage = device->Describe(surface).videoMemory ? 0 : 1;
  data->create.drawValid = 1;
  return 0;
}

}  // namespace

HandleTable<SurfaceData>& GetSurfaceDataTable() { return g_surfaceData; }

int AddSurfaceData(int refCount, uint16_t width, uint16_t height, uint32_t keyColor, const GraphCreateBytes& create) {
  if (g_surfaceData.full()) return LogAdd("サーフェスのデータ数が許容量を越えました。\n");
  const int slot = g_surfaceData.SlotAtMark();
  auto* data = static_cast<SurfaceData*>(RT_ALLOC_ZERO(sizeof(SurfaceData)));
  if (!data) return LogAdd("サーフェス用データを保存するメモリ領域の確保に失敗しました\n");
  data->create = create;
  data->width = width;
  data->height = height;
  data->refCount = refCount;
  data->keyColor = keyColor;

  GraphCreateBytes& c = data->create;
  if (!c.use3D) {
    if (c.alphaChannel == 1 || c.reserved == 1) c.systemMemoryImage = 1;
    c.drawValid = 1;
    c.alphaTest = 0;
  } else {
    c.systemMemoryImage = 0;
    if (c.drawValid == 1 || c.alphaChannel == 1) c.alphaTest = 0;
  }
  const ScreenState& screen = GetScreenStateRecord();
  data->software = c.systemMemoryImage == 1 || (screen.softwareRender && screen.screenBits != 8) ? 1 : 0;

  const int handle = g_surfaceData.Insert(slot, data);
  if (CreateSurfaceDataSurface(handle) != 0) {
    DeleteSurfaceData(handle);
    return -1;
  }
  SetSurfaceDataColorKey(handle);
  return handle;
}

SurfaceData* GetSurfaceData(int handle) { return g_surfaceData.Find(handle); }

int AddSurfaceDataRef(int handle) {
  SurfaceData* data = g_surfaceData.Find(handle);
  if (!data) return -1;
  return ++data->refCount;
}

int ReleaseSurfaceDataRef(int handle) {
  SurfaceData* data = g_surfaceData.Find(handle);
  if (!data) return -1;
  return --data->refCount;
}

int CreateSurfaceDataSurface(int handle) {
  SurfaceData* data = g_surfaceData.Find(handle);
  if (!data) return -1;
  // A store made before keeps its pixels: making it again would throw them away.
  if (HasStore(data)) return 0;
  // Textures and plain device surfaces both live on the display device.
  if (data->create.use3D || !data->software) {
    if (!DirectDrawObjectExists()) return -1;
    if (data->create.use3D && IsDirect3DUsed()) {
      const int index = GetTextureFormatIndex(data->create);
      platform::SurfaceDesc desc;
      desc.kind = platform::SurfaceKind::kTexture;
      desc.width = data->width;
      desc.height = data->height;
      desc.format = GetD3DGlobals().textureFormats[index].format;
      desc.renderTarget = data->create.drawValid != 0;
      data->formatNumber = index;
      data->surface = Device()->CreateSurface(desc);
      if (data->surface) return 0;
    }
    if (data->create.use3D) {
      LogAdd("テクスチャサーフェスの作成に失敗しました\n");
      LogAddFormat("DrawValid:%d  AlphaChFlag%d  AlphaTestFlag:%d  ColorBitDepth:%d", data->create.drawValid,
                   data->create.alphaChannel, data->create.alphaTest, data->create.colorBitDepth);
      return -1;
    }
    if (CreatePlainSurface(data) != 0) return -1;
    SetSurfaceDataZBuffer(handle, data->zBuffer);
    return 0;
  }
  if (CreateSoftwareStore(data) != 0) {
    std::memset(&data->image, 0, sizeof data->image);
    return -1;
  }
  SetSurfaceDataZBuffer(handle, data->zBuffer);
  return 0;
}

int ReleaseSurfaceDataSurface(int handle) {
  SurfaceData* data = g_surfaceData.Find(handle);
  if (!data) return -1;
  if (data->software) {
    ReleaseMemImg(&data->zImage);
    ReleaseMemImg(&data->image);
  } else if (platform::DisplayDevice* device = Device()) {
    if (data->zSurface) {
      device->DetachZBuffer(data->surface);
      device->ReleaseSurface(data->zSurface);
    }
    G_D3D_ForgetSurface(data->surface);
    device->ReleaseSurface(data->surface);
  }
  data->zSurface = nullptr;
  data->surface = nullptr;
  data->lockCount = 0;
  return 0;
}

int SetSurfaceDataZBuffer(int handle, int flag) {
  SurfaceData* data = g_surfaceData.Find(handle);
  if (!data) return -1;
  if (!data->software && !DirectDrawObjectExists()) return -1;
  const bool present = data->software ? data->zImage.magic == kMemImgMagic : data->zSurface != nullptr;
  if ((flag != 0) == (data->zBuffer != 0) && (flag != 0) == present) return 0;
  if (!data->create.drawValid) return -1;
  if (!data->software) {
    platform::DisplayDevice* device = Device();
    if (flag == 0) {
      if (data->zSurface) {
        device->DetachZBuffer(data->surface);
        device->ReleaseSurface(data->zSurface);
        data->zSurface = nullptr;
      }
      data->zBuffer = 0;
      return 0;
    }
    if (!data->zSurface && data->surface) {
      platform::SurfaceDesc desc;
      desc.kind = platform::SurfaceKind::kZBuffer;
      desc.width = data->width;
      desc.height = data->height;
      platform::DeviceSurface* z = device->CreateSurface(desc);
      if (!z || device->AttachZBuffer(data->surface, z) != 0) {
        device->ReleaseSurface(z);
        return LogAdd("Ｚバッファの作成に失敗しました");
      }
      data->zSurface = z;
    }
    data->zBuffer = flag;
    return 0;
  }
  if (flag == 0) {
    ReleaseMemImg(&data->zImage);
    data->zBuffer = 0;
    return 0;
  }
  if (!present && CreateZBufferMemImg(&data->zImage, data->width, data->height) != 0) {
    return LogAdd("Ｚバッファの作成に失敗しました");
  }
  data->zBuffer = flag;
  return 0;
}

// A software store keeps its colour key in its image (made with it); only device surfaces
// are given one here.
int SetSurfaceDataColorKey(int handle) {
  SurfaceData* data = g_surfaceData.Find(handle);
  if (!data) return -1;
  if (!data->surface || !Device()) return 0;
  const uint32_t c = data->keyColor;
  // A texture's key is a pixel of the texture's format, not of the screen's.
  const ColorFormat* texture = data->create.use3D ? GetTextureColorFormat(data->formatNumber) : nullptr;
  const uint32_t key = data->create.colorBitDepth == 8 ? 0
                       : texture ? GetColorFormatPixel(texture, static_cast<int>((c >> 16) & 0xFF),
                                                       static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF), 0)
                                 : GetColorImpl(static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                                                static_cast<int>(c & 0xFF));
  if (Device()->SetColorKey(data->surface, key) != 0) {
    return LogAdd("標準サーフェスのカラーキーの設定に失敗しました\n");
  }
  return 0;
}

// Software stores live in system memory and are never lost; a device surface that was is
// given its memory back, and the caller fills it again.
int RestoreSurfaceData(int handle) {
  SurfaceData* data = g_surfaceData.Find(handle);
  if (!data) return -1;
  platform::DisplayDevice* device = Device();
  if (!data->surface || !device || !device->IsLost(data->surface)) return 0;
  device->Restore(data->surface);
  if (data->zSurface && device->IsLost(data->zSurface)) device->Restore(data->zSurface);
  g_refillDue = true;
  return -1;
}

bool SurfaceDataRefillDue() { return g_refillDue; }
void ClearSurfaceDataRefill() { g_refillDue = false; }

int LockSurfaceData(int handle, int* pitch, void** pixels, int writeOnly, const RECT* area,
                    const ColorFormat** format) {
  SurfaceData* data = g_surfaceData.Find(handle);
  if (!data) return -1;
  if (format) {
    *format = data->software       ? data->image.format
              : data->create.use3D ? GetTextureColorFormat(data->formatNumber)
                                   : GetScreenColorFormat();
  }
  if (data->lockCount != 0) {
    if (pitch && pixels) {
      *pitch = data->lockPitch;
      *pixels = data->lockPixels;
    }
    ++data->lockCount;
    return -2;
  }
  if (!data->software) {
    platform::LockedPixels locked;
    const platform::Rect rect = area ? platform::Rect{area->left, area->top, area->right, area->bottom}
                                     : platform::Rect{0, 0, data->width, data->height};
    if (!data->surface || !Device() || Device()->Lock(data->surface, &rect, &locked) != 0) {
      return LogAdd("グラフィックのロックに失敗しました");
    }
    data->lockPixels = locked.pixels;
    data->lockPitch = locked.pitch;
    if (pitch && pixels) {
      *pitch = data->lockPitch;
      *pixels = data->lockPixels;
    }
    data->lockCount = 1;
    return 0;
  }
  if (!data->image.pixels) return LogAdd("グラフィックのロックに失敗しました");
  const MEMIMG& image = data->image;
  uint8_t* p = image.pixels;
  if (area) p += int64_t{area->top} * image.pitch + int64_t{area->left} * image.format->pixelByte;
  data->lockPixels = p;
  data->lockPitch = image.pitch;
  if (pitch && pixels) {
    *pitch = data->lockPitch;
    *pixels = data->lockPixels;
  }
  data->lockCount = 1;
  return 0;
}

int UnlockSurfaceData(int handle, void* pixels) {
  SurfaceData* data = g_surfaceData.Find(handle);
  if (!data || data->lockCount == 0) return -1;
  if (--data->lockCount == 0 && !data->software && data->surface && Device()) Device()->Unlock(data->surface);
  return 0;
}

// A software store is filled here; the fill of the display device needs its object, so
// without this branch a graph on a software store could not be filled at all.
int FillSurfaceData(int handle, int r, int g, int b, int a) { return FillSurfaceDataRect(handle, nullptr, r, g, b, a); }

int FillSurfaceDataRect(int handle, const RECT* rect, int r, int g, int b, int a) {
  SurfaceData* data = g_surfaceData.Find(handle);
  if (!data) return -1;
  if (!data->software) {
    if (!Device() || !data->surface) return -1;
    const ColorFormat* format =
        data->create.use3D ? GetTextureColorFormat(data->formatNumber) : GetScreenColorFormat();
    const platform::Rect area = rect ? platform::Rect{rect->left, rect->top, rect->right, rect->bottom}
                                     : platform::Rect{0, 0, data->width, data->height};
    return Device()->ColorFill(data->surface, &area,
                               GetColorFormatPixel(format, Clamp255(r), Clamp255(g), Clamp255(b), Clamp255(a))) == 0
               ? 0
               : -1;
  }
  MEMIMG& image = data->image;
  // A paletted store holds indices, and a colour has no index there.
  if (!image.pixels || image.paletteFlag) return -1;
  FillMemImg(&image, rect, GetColorFormatPixel(image.format, Clamp255(r), Clamp255(g), Clamp255(b), Clamp255(a)));
  image.alphaPlaneValid = 0;
  image.runTableValid = 0;
  return 0;
}

int DeleteSurfaceData(int handle) {
  SurfaceData* data = g_surfaceData.Find(handle);
  if (!data) return -1;
  ReleaseSurfaceDataSurface(handle);
  NotifyHandleDeleted(data);
  g_surfaceData.Remove(HandleSlot(handle));
  MemFree(data);
  return 0;
}

void ClearSurfaceDataTable() {
  for (int slot = 0; slot < g_surfaceData.highWaterMark(); ++slot) {
    const int handle = g_surfaceData.HandleAt(slot);
    if (handle != -1) DeleteSurfaceData(handle);
  }
  g_refillDue = false;
}

}  // namespace rt
