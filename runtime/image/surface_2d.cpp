#include "runtime/image/surface_2d.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/image/convert_blt.h"
#include "runtime/image/surface_data.h"

namespace rt {
namespace {

HandleTable<Surface2D> g_surfaces{kHandleTypeSurface2D, kSurface2DSlots};

constexpr int kMaxSurfaceSide = 0xFFFF;

// Index of the palette entry holding a colour, -1 for none: the low 24 bits of 32-bit
// entries, 16 bits otherwise.
int FindPaletteEntry(const MEMIMG& image, uint32_t key) {
  for (int i = 0; i < 256; ++i) {
    if (image.kind == kMemImgKindXRGB) {
      uint32_t v;
      std::memcpy(&v, image.paletteTable + 4 * i, 4);
      if ((v & 0xFFFFFF) == (key & 0xFFFFFF)) return i;
    } else {
      uint16_t v;
      std::memcpy(&v, image.paletteTable + 2 * i, 2);
      if (v == (key & 0xFFFF)) return i;
    }
  }
  return -1;
}

// An index that no pixel of the image uses, -1 when all 256 are used.
int FindUnusedIndex(const MEMIMG& image) {
  bool used[256] = {};
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = image.pixels + int64_t{y} * image.pitch;
    for (int x = 0; x < image.width; ++x) used[row[x]] = true;
  }
  for (int i = 0; i < 256; ++i) {
    if (!used[i]) return i;
  }
  return -1;
}

// Turns a paletted store into one of direct colours with the same pixels; key is the
// transparent colour in the store's pixel format, which none of its colours equals.
int ExpandPaletteStore(SurfaceData* data, uint32_t key) {
  MEMIMG& old = data->image;
  MEMIMG expanded{};
  if (InitMemImg(&expanded, old.width, old.height, -1, key, old.kind, 0, 0, 0) != 0) return -1;
  const int bytes = MemImgBytesPerPixel(old.kind, 0, 0);
  for (int y = 0; y < old.height; ++y) {
    const uint8_t* src = old.pixels + int64_t{y} * old.pitch;
    uint8_t* dst = expanded.pixels + int64_t{y} * expanded.pitch;
    for (int x = 0; x < old.width; ++x) std::memcpy(dst + int64_t{x} * bytes, old.paletteTable + src[x] * bytes, bytes);
  }
  ReleaseMemImg(&old);
  std::memcpy(&old, &expanded, sizeof old);
  old.paletteTable = old.palette;
  old.workPaletteTable = old.workPalette;
  data->create.palette = 0;
  return 0;
}

// The transparent colour of a paletted store becomes an index. A colour table without the
// transparent colour must not make an index transparent that the picture draws with: an
// index no pixel uses is taken, and when every index is used the store gives up its palette.
int ChoosePaletteKey(SurfaceData* data) {
  MEMIMG& image = data->image;
  const uint32_t c = GetDrawState().transparentColor;
  const uint32_t key =
      GetColorFormatPixel(GetStandardColorFormat(image.kind, 0, 0), (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, 255);
  int index = FindPaletteEntry(image, key);
  if (index < 0) index = FindUnusedIndex(image);
  if (index >= 0) {
    image.transparentColor = static_cast<uint32_t>(index);
    return 0;
  }
  return ExpandPaletteStore(data, key);
}

Surface2D* FirstSurface(const GraphRecord* graph) {
  return graph->surfaceCount > 0 ? g_surfaces.Find(static_cast<int>(graph->surfaceHandles[0])) : nullptr;
}

}  // namespace

HandleTable<Surface2D>& GetSurface2DTable() { return g_surfaces; }

int IsGraphicsStarted() {
  const ScreenState& screen = GetScreenStateRecord();
  return screen.directDrawRunning || screen.pureSoftware ? 1 : 0;
}

int AddSurface2D(uint16_t width, uint16_t height, uint16_t graphX, uint16_t graphY, int graph, const Surface2D* share,
                 uint16_t storeX, uint16_t storeY, const GraphCreateBytes& create) {
  if (!IsGraphicsStarted()) return LogAdd("ＲＴライブラリが初期化されていません\n");
  if (g_surfaces.full()) return LogAdd("２Ｄグラフィックの量が許容量を越えました\n");
  const int slot = g_surfaces.SlotAtMark();
  auto* surface = static_cast<Surface2D*>(RT_ALLOC_ZERO(sizeof(Surface2D)));
  if (!surface) return LogAdd("メモリの確保に失敗しました in AddSurface2D \n");
  if (share) {
    AddSurfaceDataRef(share->surfaceData);
    surface->surfaceData = share->surfaceData;
  } else {
    surface->surfaceData = AddSurfaceData(1, width, height, GetDrawState().transparentColor, create);
    if (surface->surfaceData == -1) {
      MemFree(surface);
      return LogAdd("メモリの確保に失敗しました in AddSurface2D \n");
    }
  }
  surface->graphX = graphX;
  surface->graphY = graphY;
  surface->storeX = storeX;
  surface->storeY = storeY;
  surface->width = width;
  surface->height = height;
  surface->graph = graph;
  surface->deletedFlag = nullptr;
  return g_surfaces.Insert(slot, surface);
}

Surface2D* GetSurface2D(int handle) { return g_surfaces.Find(handle); }

int SetSurface2DDeleteFlag(int handle, int* flag) {
  SetHandleDeleteFlag(g_surfaces, handle, flag);
  return 0;
}

int DeleteSurface2D(int handle) {
  Surface2D* surface = g_surfaces.Find(handle);
  if (!surface) return 0;
  if (ReleaseSurfaceDataRef(surface->surfaceData) == 0) DeleteSurfaceData(surface->surfaceData);
  NotifyHandleDeleted(surface);
  g_surfaces.Remove(HandleSlot(handle));
  MemFree(surface);
  return 0;
}

int DeleteAllSurface2D() {
  if (!IsGraphicsStarted()) return -1;
  for (int slot = 0; slot < g_surfaces.highWaterMark(); ++slot) {
    const int handle = g_surfaces.HandleAt(slot);
    if (handle != -1) DeleteSurface2D(handle);
  }
  return 0;
}

int ClearSurface2DTable() { return IsGraphicsStarted() ? DeleteAllSurface2D() : -1; }

int MakeGraphSurface2D(GraphRecord* graph) {
  if (!IsGraphicsStarted()) return -1;
  // The surface records hold 16-bit sizes.
  if (graph->width <= 0 || graph->height <= 0 || graph->width > kMaxSurfaceSide || graph->height > kMaxSurfaceSide) {
    return -1;
  }
  const int handle =
      AddSurface2D(static_cast<uint16_t>(graph->width), static_cast<uint16_t>(graph->height), 0, 0,
                   GetGraphRecordHandle(graph), nullptr, 0, 0, graph->create);
  if (handle == -1) return -1;
  graph->surfaceHandles[0] = static_cast<uint32_t>(handle);
  graph->surfaceCount = 1;
  return 0;
}

// The new surface lies at (x, y) of the parent's rectangle, which itself may lie inside a
// larger store: a graph derived from a derived graph is placed from the parent's place.
int DeriveGraphSurface2D(GraphRecord* graph, int x, int y, int width, int height, const GraphRecord* parent) {
  const Surface2D* parentSurface = FirstSurface(parent);
  if (!parentSurface) return -1;
  const int handle = AddSurface2D(static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0, 0,
                                  GetGraphRecordHandle(graph), parentSurface,
                                  static_cast<uint16_t>(parentSurface->storeX + x),
                                  static_cast<uint16_t>(parentSurface->storeY + y), graph->create);
  if (handle == -1) return -1;
  graph->surfaceHandles[0] = static_cast<uint32_t>(handle);
  graph->surfaceCount = 1;
  return 0;
}

int DeleteGraphSurface2D(GraphRecord* graph) {
  if (!IsGraphicsStarted()) return -1;
  int result = 0;
  for (int i = 0; i < graph->surfaceCount; ++i) result |= DeleteSurface2D(static_cast<int>(graph->surfaceHandles[i]));
  graph->surfaceCount = 0;
  return result;
}

int RestoreGraphSurface2D(GraphRecord* graph) {
  if (!IsGraphicsStarted()) return -1;
  int result = 0;
  for (int i = 0; i < graph->surfaceCount; ++i) {
    const Surface2D* surface = g_surfaces.Find(static_cast<int>(graph->surfaceHandles[i]));
    if (!surface) return -1;
    result |= RestoreSurfaceData(surface->surfaceData);
  }
  return result;
}

int RestoreAllSurface2D() {
  if (!IsGraphicsStarted()) return -1;
  RestorePrimarySurfaces();
  int result = 0;
  for (int slot = 0; slot < g_surfaces.highWaterMark(); ++slot) {
    if (const Surface2D* surface = g_surfaces.At(slot)) result |= RestoreSurfaceData(surface->surfaceData);
  }
  return result;
}

// The destination (destX, destY) is in the surface's own coordinates, so that a transfer
// into a derived graph lands on its rectangle of the shared store.
int TransferImageToSurface2D(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                             const RECT* src, int destX, int destY, int surfaceHandle, int bitmapFlag,
                             const GraphImage* image, const GraphImage* alphaImage, int option) {
  if (!IsGraphicsStarted()) return -1;
  if (GetDrawState().drawSuppressed) return 0;
  const Surface2D* surface = g_surfaces.Find(surfaceHandle);
  if (!surface) return -1;
  SurfaceData* data = GetSurfaceData(surface->surfaceData);
  if (!data) return -1;
  GraphImage wrapped{};
  GraphImage wrappedAlpha{};
  const GraphImage* source = image;
  const GraphImage* alpha = alphaImage;
  if (bitmapFlag == 1) {
    if (!bitmap || !format) return -1;
    WrapDIBSections(*format, *bitmap, alphaBitmap, &wrapped, &wrappedAlpha, &source, &alpha);
  }
  if (!source || !src) return -1;
  if (!data->software) {
    platform::DisplayDevice* device = GetScreenStateRecord().device;
    const int width = src->right - src->left;
    const int height = src->bottom - src->top;
    const platform::Rect area{surface->storeX + destX, surface->storeY + destY, surface->storeX + destX + width,
                              surface->storeY + destY + height};
    platform::LockedPixels locked;
    if (!device || !data->surface || device->Lock(data->surface, &area, &locked) != 0) {
      return LogAdd("２Ｄサーフェスのロックに失敗しました");
    }
    ConvertBltOptions options;
    options.alphaFromRed = option;
    ConvertColorFormatBlt(locked.pixels, locked.pitch, GetScreenColorFormat(), source->pixels, source->pitch,
                          &source->format, nullptr, 0, nullptr, 0, 0, src, options);
    device->Unlock(data->surface);
    SetSurfaceDataColorKey(surface->surfaceData);
    return 0;
  }
  if (BltGraphImageToMemImg(source, alpha, &data->image, src->left, src->top, src->right - src->left,
                            src->bottom - src->top, surface->storeX + destX, surface->storeY + destY, 1) != 0) {
    return -1;
  }
  if (data->image.paletteFlag && ChoosePaletteKey(data) != 0) return -1;
  SetSurfaceDataColorKey(surface->surfaceData);
  return 0;
}

int TransferImagePartToSurface2D(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                                 int srcX, int srcY, int surfaceHandle, int bitmapFlag, const GraphImage* image,
                                 const GraphImage* alphaImage, int option) {
  const Surface2D* surface = g_surfaces.Find(surfaceHandle);
  if (!surface) return -1;
  const RECT src{srcX, srcY, srcX + surface->width, srcY + surface->height};
  return TransferImageToSurface2D(format, bitmap, alphaBitmap, &src, 0, 0, surfaceHandle, bitmapFlag, image, alphaImage,
                                  option);
}

int TransferImageToGraphSurface2D(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                                  int x, int y, GraphRecord* graph, int bitmapFlag, const GraphImage* image,
                                  const GraphImage* alphaImage) {
  for (int i = 0; i < graph->surfaceCount; ++i) {
    const int handle = static_cast<int>(graph->surfaceHandles[i]);
    const Surface2D* surface = g_surfaces.Find(handle);
    if (!surface) return -1;
    if (TransferImagePartToSurface2D(format, bitmap, alphaBitmap, surface->graphX + x, surface->graphY + y, handle,
                                     bitmapFlag, image, alphaImage, static_cast<int>(graph->reserved)) != 0) {
      return -1;
    }
  }
  return 0;
}

int BltImageToGraphSurface2D(const ColorFormat* format, const DIBSection* bitmap, const DIBSection* alphaBitmap,
                             const RECT* src, int destX, int destY, GraphRecord* graph, int bitmapFlag,
                             const GraphImage* image, const GraphImage* alphaImage) {
  if (!IsGraphicsStarted() || !src) return -1;
  const int64_t destRight = int64_t{destX} + src->right - src->left;
  const int64_t destBottom = int64_t{destY} + src->bottom - src->top;
  for (int i = 0; i < graph->surfaceCount; ++i) {
    const int handle = static_cast<int>(graph->surfaceHandles[i]);
    const Surface2D* surface = g_surfaces.Find(handle);
    if (!surface) return -1;
    const int64_t left = std::max<int64_t>(destX, surface->graphX);
    const int64_t top = std::max<int64_t>(destY, surface->graphY);
    const int64_t right = std::min<int64_t>(destRight, int64_t{surface->graphX} + surface->width);
    const int64_t bottom = std::min<int64_t>(destBottom, int64_t{surface->graphY} + surface->height);
    if (right <= left || bottom <= top) continue;
    const RECT part{static_cast<int32_t>(src->left + (left - destX)), static_cast<int32_t>(src->top + (top - destY)),
                    static_cast<int32_t>(src->left + (right - destX)),
                    static_cast<int32_t>(src->top + (bottom - destY))};
    if (TransferImageToSurface2D(format, bitmap, alphaBitmap, &part, static_cast<int>(left - surface->graphX),
                                 static_cast<int>(top - surface->graphY), handle, bitmapFlag, image, alphaImage,
                                 0) != 0) {
      return -1;
    }
  }
  return 0;
}

}  // namespace rt
