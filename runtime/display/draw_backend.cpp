#include "runtime/display/draw_backend.h"

#include <algorithm>
#include <cstring>
#include <cmath>
#include <limits>

#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/display/screen_flip.h"
#include "runtime/image/convert_blt.h"
#include "runtime/image/mask_screen.h"
#include "runtime/image/surface_data.h"
#include "runtime/softrender/blit_memimg.h"
#include "runtime/softrender/poly_triangle.h"

namespace rt {
namespace {

bool Refused() {
  const ScreenState& s = GetScreenStateRecord();
  return GetDrawTarget().drawDisabled || (!s.directDrawRunning && !s.pureSoftware);
}

MEMIMG* SoftwareTarget() {
  return GetDrawState().maskScreenInUse ? GetMaskMemImg() : GetDrawTarget().targetMemImg;
}

// The image a piece is drawn from: its store's image when the piece covers all of it, else
// a view of the piece's rectangle.
const MEMIMG* PieceImage(const Surface2D& piece, const SurfaceData& data, MEMIMG* view) {
  if (piece.width == data.width && piece.height == data.height) return &data.image;
  DeriveMemImg(view, &data.image, piece.storeX, piece.storeY, piece.width, piece.height);
  return view;
}

// Whole pixels, toward zero, saturated at the ends of the int range.
int ToPixel(double v) {
  if (!(v == v)) return 0;
  if (v >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (v <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

}  // namespace

int IsSoftwareScreen() {
  const ScreenState& s = GetScreenStateRecord();
  return s.softwareRender == 1 && s.screenBits != 8 ? 1 : 0;
}

int G_DD_DrawGraph(int x, int y, int surface2D, int transparent) {
  if (Refused()) return -1;
  const Surface2D* piece = GetSurface2D(surface2D);
  const SurfaceData* data = piece ? GetSurfaceData(piece->surfaceData) : nullptr;
  if (!data) return -1;
  const MEMIMG* blend = GetBlendGraphMemImg();
  if (IsSoftwareScreen()) {
    MEMIMG view{};
    BlitMemImg(SoftwareTarget(), PieceImage(*piece, *data, &view), x, y, transparent, blend);
    return 0;
  }
  RECT dest{x, y, ToPixel(static_cast<double>(x) + piece->width), ToPixel(static_cast<double>(y) + piece->height)};
  ClipRectImpl(&dest, &GetDrawState().drawArea);
  if (dest.left >= dest.right || dest.top >= dest.bottom) return 0;
  const RECT source{dest.left - x, dest.top - y, dest.right - x, dest.bottom - y};
  if (BeginSoftDrawOnTarget(piece, 1, &source, &dest, 0, nullptr, nullptr) < 0) return -1;
  const SoftDrawState& sd = GetSoftDrawState();
  if (sd.directBltFast) {
    const platform::Rect r{sd.bltSourceRect.left, sd.bltSourceRect.top, sd.bltSourceRect.right,
                           sd.bltSourceRect.bottom};
    GetScreenStateRecord().device->BltFast(sd.lockedSurface, sd.lockedRect.left, sd.lockedRect.top,
                                           sd.bltSourceSurface, &r, transparent != 0);
    EndSoftDrawOnTarget();
    return 0;
  }
  BlitMemImg(sd.drawImage, sd.drawSourceImage, x, y, transparent, blend);
  EndSoftDrawOnTarget();
  return 0;
}

int G_DD_DrawGraphF(double x, double y, const GraphRecord* graph, int transparent, int intFlag) {
  G_D3D_FlushCurrentVertexBuffer();
  if (!graph || graph->surfaceCount < 1) return -1;
  return G_DD_DrawGraph(ToPixel(x), ToPixel(y), static_cast<int>(graph->surfaceHandles[0]), transparent);
}

int G_DD_DrawPolygon(const VertexTriple* triangles, int count, const GraphRecord* graph, int transparent, int mode2D,
                     int useZ) {
  if (Refused()) return -1;
  const Surface2D* piece = nullptr;
  const SurfaceData* data = nullptr;
  if (graph) {
    piece = graph->surfaceCount > 0 ? GetSurface2D(static_cast<int>(graph->surfaceHandles[0])) : nullptr;
    data = piece ? GetSurfaceData(piece->surfaceData) : nullptr;
    if (!data) return -1;
  }
  const MEMIMG* blend = GetBlendGraphMemImg();
  MEMIMG* zImage = useZ == 1 ? GetDrawTarget().zMemImg : nullptr;
  if (IsSoftwareScreen()) {
    MEMIMG view{};
    const MEMIMG* texture = data ? PieceImage(*piece, *data, &view) : nullptr;
    MEMIMG* target = SoftwareTarget();
    // On a software screen the triangles are tinted by their vertex colours, which carry
    // the polygon's colour, bright colour and blend parameter (a thick line has no other).
    const int zWrite = mode2D == 1 ? 0 : GetDrawState().zWriteEnable;
    for (int i = 0; i < count; ++i) {
      DrawPolygonTriangleMemImg(target, zImage, texture, &triangles[i], transparent, blend, zWrite, 1, 1, 0);
    }
    return 0;
  }
  float minX = std::numeric_limits<float>::max(), minY = minX;
  float maxX = std::numeric_limits<float>::lowest(), maxY = maxX;
  for (int i = 0; i < count; ++i) {
    for (const PolygonVertex& v : triangles[i].v) {
      minX = std::min(minX, v.x), maxX = std::max(maxX, v.x);
      minY = std::min(minY, v.y), maxY = std::max(maxY, v.y);
    }
  }
  const RECT box{ToPixel(minX) - 1, ToPixel(minY) - 1, ToPixel(maxX) + 1, ToPixel(maxY) + 1};
  const RECT whole{0, 0, piece ? piece->width : 0, piece ? piece->height : 0};
  if (BeginSoftDrawOnTarget(piece, 0, piece ? &whole : nullptr, &box, 0, nullptr, nullptr) < 0) return -1;
  const SoftDrawState& prepared = GetSoftDrawState();
  const int zWrite = mode2D == 1 ? 0 : 1;
  for (int i = 0; i < count; ++i) {
    DrawPolygonTriangleMemImg(prepared.drawImage, nullptr, prepared.drawSourceImage, &triangles[i], transparent, blend,
                              zWrite, zWrite, 0, 1);
  }
  EndSoftDrawOnTarget();
  return 0;
}

int G_DD_DrawLineList(const LineRecord* lines, int count) {
  if (Refused()) return -1;
  if (IsSoftwareScreen()) {
    DrawLineListMemImg(SoftwareTarget(), lines, count);
    return 0;
  }
  RECT box{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
           std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()};
  for (int i = 0; i < count; ++i) {
    box.left = std::min({box.left, lines[i].x1, lines[i].x2});
    box.top = std::min({box.top, lines[i].y1, lines[i].y2});
    box.right = std::max({box.right, lines[i].x1 + 1, lines[i].x2 + 1});
    box.bottom = std::max({box.bottom, lines[i].y1 + 1, lines[i].y2 + 1});
  }
  if (BeginSoftDrawOnTarget(nullptr, 0, nullptr, &box, 0, nullptr, nullptr) < 0) return -1;
  DrawLineListMemImg(GetSoftDrawState().drawImage, lines, count);
  EndSoftDrawOnTarget();
  return 0;
}

int G_DD_DrawLineBox(int x1, int y1, int x2, int y2, uint32_t color) {
  const int32_t param = GetDrawState().blendParam;
  const LineRecord lines[4] = {
      {x1, y1, x2 - 1, y1, color, param},
      {x2 - 1, y1, x2 - 1, y2 - 1, color, param},
      {x2 - 1, y2 - 1, x1, y2 - 1, color, param},
      {x1, y2 - 1, x1, y1, color, param},
  };
  return G_DD_DrawLineList(lines, 4);
}

int G_DD_GetDrawScreenGraph(int x1, int y1, int x2, int y2, GraphRecord* graph) {
  const ScreenState& s = GetScreenStateRecord();
  if (!s.directDrawRunning && !s.pureSoftware) return -1;
  const DrawState& state = GetDrawState();
  if (x1 >= x2 || y1 >= y2 || x2 - x1 != graph->width || y2 - y1 != graph->height || x1 < 0 || y1 < 0 ||
      x2 > state.targetWidth || y2 > state.targetHeight) {
    return -1;
  }
  const Surface2D* piece = graph->surfaceCount > 0 ? GetSurface2D(static_cast<int>(graph->surfaceHandles[0])) : nullptr;
  SurfaceData* data = piece ? GetSurfaceData(piece->surfaceData) : nullptr;
  if (!data) return -1;
  const RECT rect{x1, y1, x2, y2};
  if (IsSoftwareScreen() && data->software) {
    if (state.drawScreen == kFrontScreen) FetchFrontScreenFromWindow();
    const MEMIMG* source = GetDrawTarget().targetMemImg;
    if (!source || !source->pixels) return -1;
    BltMemImg(&data->image, source, &rect, piece->storeX, piece->storeY);
    return 0;
  }
  platform::DisplayDevice* device = s.device;
  if (!device) return -1;
  if (s.directDrawReady) G_D3D_EndScene();
  G_D3D_FlushCurrentVertexBuffer();
  const DrawTarget& target = GetDrawTarget();
  const OutputSurfaces& out = GetOutputSurfaces();
  const RECT& front = state.frontClientRect;
  const RECT onSurface{x1 + front.left + target.offsetX, y1 + front.top + target.offsetY,
                       x2 + front.left + target.offsetX, y2 + front.top + target.offsetY};
  const platform::Rect graphArea{piece->storeX, piece->storeY, piece->storeX + graph->width,
                                 piece->storeY + graph->height};
  if (target.targetSurface && !data->software) {
    const platform::Rect from{onSurface.left, onSurface.top, onSurface.right, onSurface.bottom};
    if (device->Blt(data->surface, &graphArea, target.targetSurface, &from) != 0) return -1;
    FillSpareBits(data->surface, graphArea);
    return 0;
  }
  if (!target.targetSurface && data->software) {
    const MEMIMG* source = target.targetMemImg;
    if (!source || !source->pixels) return -1;
    BltMemImg(&data->image, source, &rect, piece->storeX, piece->storeY);
    return 0;
  }
  if (!target.targetSurface) {
    const MEMIMG* source = target.targetMemImg;
    if (!source || !source->pixels) return -1;
    platform::LockedPixels locked;
    if (device->Lock(data->surface, &graphArea, &locked) != 0) return -1;
    ConvertColorFormatBlt(locked.pixels, locked.pitch, &out.screenColorFormat, source->pixels, source->pitch,
                          source->format, nullptr, 0, nullptr, 0, 0, &rect, ConvertBltOptions{});
    device->Unlock(data->surface);
    FillSpareBits(data->surface, graphArea);
    return 0;
  }
  // A device screen into a software graph: through the work surface.
  if (CopySurfaceRect(out.workSurface, target.targetSurface, 0, 0, &onSurface, -1) != 0) return -1;
  platform::LockedPixels locked;
  if (device->Lock(out.workSurface, nullptr, &locked) != 0) return -1;
  GraphImage work{};
  work.format = out.screenColorFormat;
  work.width = locked.width;
  work.height = locked.height;
  work.pitch = locked.pitch;
  work.pixels = locked.pixels;
  const RECT whole{0, 0, graph->width, graph->height};
  ConvertColorFormatBlt(data->image.pixels + static_cast<ptrdiff_t>(piece->storeY) * data->image.pitch +
                            static_cast<ptrdiff_t>(piece->storeX) * data->image.format->pixelByte,
                        data->image.pitch, data->image.format, work.pixels, work.pitch, &work.format, nullptr, 0,
                        nullptr, 0, 0, &whole, ConvertBltOptions{});
  device->Unlock(out.workSurface);
  data->image.alphaPlaneValid = 0;
  data->image.runTableValid = 0;
  return 0;
}

const MEMIMG* GetBlendGraphMemImg() {
  const int blend = GetDrawState().blendGraph;
  if (blend == -1) return nullptr;
  const GraphRecord* graph = GetGraphRecord(blend);
  if (!graph || graph->create.use3D || graph->surfaceCount < 1) return nullptr;
  const Surface2D* piece = GetSurface2D(static_cast<int>(graph->surfaceHandles[0]));
  const SurfaceData* data = piece ? GetSurfaceData(piece->surfaceData) : nullptr;
  if (!data || !data->software || !data->image.pixels) return nullptr;
  return &data->image;
}

int BeginMaskDrawRect(int x1, int y1, int x2, int y2) {
  return SaveMaskDrawRect(x1, y1, x2, y2, GetDrawTarget().targetSurface, GetDrawTarget().targetMemImg);
}

int EndMaskDrawRect(int x1, int y1, int x2, int y2) {
  return ApplyMaskDrawRect(x1, y1, x2, y2, GetDrawTarget().targetSurface, GetDrawTarget().targetMemImg);
}

int BeginSoftDrawOnTarget(const Surface2D* source, int allowDirect, const RECT* sourceRect, const RECT* destRect,
                          int colourOnly, uint32_t* colour1, uint32_t* colour2) {
  if (IsSoftwareScreen()) return 0;
  // What the 3D device has batched lies under this draw: it goes to the target first.
  G_D3D_FlushCurrentVertexBuffer();
  SoftDrawState& sd = GetSoftDrawState();
  sd = SoftDrawState{};
  const ScreenState& screen = GetScreenStateRecord();
  const DrawState& state = GetDrawState();
  const DrawTarget& target = GetDrawTarget();
  OutputSurfaces& out = GetOutputSurfaces();
  platform::DisplayDevice* device = screen.device;
  // Only the device's surfaces and the images drawn with them are prepared here.
  if (!destRect || !device) return -1;
  const SurfaceData* sourceData = source ? GetSurfaceData(source->surfaceData) : nullptr;
  const bool blending = !(state.blendMode == 0 || (state.blendMode == 1 && state.blendParam == 255)) ||
                        (sourceData && sourceData->create.alphaChannel) || state.blendGraph != -1;
  const bool targetVideo = state.targetInVideoMemory != 0;
  const RECT& front = state.frontClientRect;
  const int moveX = front.left + target.offsetX;
  const int moveY = front.top + target.offsetY;

  if (allowDirect && sourceData && sourceRect && !blending && state.brightColor == 0xFFFFFF && !sourceData->software &&
      sourceData->surface && target.targetSurface && device &&
      device->Describe(sourceData->surface).videoMemory == targetVideo) {
    sd.directBltFast = 1;
    sd.bltSourceSurface = sourceData->surface;
    sd.bltSourceRect = RECT{sourceRect->left + source->storeX, sourceRect->top + source->storeY,
                            sourceRect->right + source->storeX, sourceRect->bottom + source->storeY};
    sd.lockedSurface = target.targetSurface;
    sd.lockedRect = RECT{destRect->left + moveX, destRect->top + moveY, destRect->right + moveX,
                         destRect->bottom + moveY};
    return 0;
  }

  sd.convertTarget = out.screenFormatKind == kScreenFormat555 || out.screenFormatKind == kScreenFormatOther;
  sd.drawRect = *destRect;
  ClipRectImpl(&sd.drawRect, &state.drawArea);
  if (sd.drawRect.left >= sd.drawRect.right || sd.drawRect.top >= sd.drawRect.bottom) return -1;
  const int kind = screen.screenBits == 16 ? kMemImgKind565 : kMemImgKindXRGB;

  if (target.targetMemImg && target.targetMemImg->pixels) {
    sd.drawImage = target.targetMemImg;
  } else if (target.targetSurface && device) {
    sd.workRect = RECT{sd.drawRect.left + moveX, sd.drawRect.top + moveY, sd.drawRect.right + moveX,
                       sd.drawRect.bottom + moveY};
    const int width = sd.workRect.right - sd.workRect.left;
    const int height = sd.workRect.bottom - sd.workRect.top;
    sd.targetViaWork = (targetVideo && blending) || (sd.convertTarget && (blending || !colourOnly));
    platform::LockedPixels locked;
    if (sd.targetViaWork) {
      if (CopySurfaceRect(out.workSurface, target.targetSurface, 0, 0, &sd.workRect, -1) != 0) return -1;
      const platform::Rect area{0, 0, width, height};
      if (device->Lock(out.workSurface, &area, &locked) != 0) return -1;
      sd.lockedSurface = out.workSurface;
      sd.workSurface = target.targetSurface;
      sd.lockedRect = RECT{0, 0, width, height};
      if (sd.convertTarget) {
        const ColorFormat* standard = GetStandardColorFormat(kind, 0, 0);
        const RECT all{0, 0, width, height};
        ConvertColorFormatBlt(locked.pixels, locked.pitch, standard, locked.pixels, locked.pitch,
                              &out.screenColorFormat, nullptr, 0, nullptr, 0, 0, &all, ConvertBltOptions{});
        for (uint32_t* c : {colour1, colour2}) {
          if (!c) continue;
          int r = 0, g = 0, b = 0;
          GetColorComponents(*c, &r, &g, &b);
          *c = GetColorFormatPixel(standard, r, g, b, 255);
        }
      }
    } else {
      const platform::Rect area{sd.workRect.left, sd.workRect.top, sd.workRect.right, sd.workRect.bottom};
      if (device->Lock(target.targetSurface, &area, &locked) != 0) return -1;
      sd.lockedSurface = target.targetSurface;
      sd.lockedRect = sd.workRect;
    }
    sd.targetLocked = 1;
    // The image's (0, 0) is the target's: the locked rectangle starts at the draw rectangle.
    const int bytes = locked.format.bits / 8;
    sd.workImage = MEMIMG{};
    sd.workImage.pixels = locked.pixels - static_cast<ptrdiff_t>(sd.drawRect.left) * bytes -
                          static_cast<ptrdiff_t>(sd.drawRect.top) * locked.pitch;
    InitMemImg(&sd.workImage, std::max(state.targetWidth, sd.drawRect.right),
               std::max(state.targetHeight, sd.drawRect.bottom), locked.pitch, 0, kind, 0, 0, 0);
    sd.drawImage = &sd.workImage;
  } else {
    return -1;
  }

  if (!sourceData) return 0;
  if (sourceData->software) {
    sd.drawSourceImage = PieceImage(*source, *sourceData, &sd.sourceImage);
    return 0;
  }
  if (!sourceRect || !device || !sourceData->surface) {
    EndSoftDrawOnTarget();
    return -1;
  }
  const RECT onStore{sourceRect->left + source->storeX, sourceRect->top + source->storeY,
                     sourceRect->right + source->storeX, sourceRect->bottom + source->storeY};
  sd.sourceViaWork = device->Describe(sourceData->surface).videoMemory || sd.convertTarget;
  platform::LockedPixels locked;
  const int width = onStore.right - onStore.left;
  const int height = onStore.bottom - onStore.top;
  if (sd.sourceViaWork) {
    const platform::Rect area{0, 0, width, height};
    if (CopySurfaceRect(out.workSurface2, sourceData->surface, 0, 0, &onStore, -1) != 0 ||
        device->Lock(out.workSurface2, &area, &locked) != 0) {
      EndSoftDrawOnTarget();
      return -1;
    }
    sd.sourceLockedSurface = out.workSurface2;
    if (sd.convertTarget) {
      const RECT all{0, 0, width, height};
      ConvertColorFormatBlt(locked.pixels, locked.pitch, GetStandardColorFormat(kind, 0, 0), locked.pixels,
                            locked.pitch, &out.screenColorFormat, nullptr, 0, nullptr, 0, 0, &all, ConvertBltOptions{});
    }
  } else {
    const platform::Rect area{onStore.left, onStore.top, onStore.right, onStore.bottom};
    if (device->Lock(sourceData->surface, &area, &locked) != 0) {
      EndSoftDrawOnTarget();
      return -1;
    }
    sd.sourceLockedSurface = sourceData->surface;
  }
  sd.sourceLocked = 1;
  const int bytes = locked.format.bits / 8;
  sd.sourceImage = MEMIMG{};
  sd.sourceImage.pixels = locked.pixels - static_cast<ptrdiff_t>(sourceRect->left) * bytes -
                          static_cast<ptrdiff_t>(sourceRect->top) * locked.pitch;
  const uint32_t key = sourceData->keyColor;
  InitMemImg(&sd.sourceImage, source->width, source->height, locked.pitch,
             GetColorFormatPixel(GetStandardColorFormat(kind, 0, 0), (key >> 16) & 0xFF, (key >> 8) & 0xFF, key & 0xFF,
                                 255),
             kind, 0, 0, 0);
  sd.drawSourceImage = &sd.sourceImage;
  return 0;
}

int EndSoftDrawOnTarget() {
  if (IsSoftwareScreen()) return 0;
  SoftDrawState& sd = GetSoftDrawState();
  platform::DisplayDevice* device = GetScreenStateRecord().device;
  OutputSurfaces& out = GetOutputSurfaces();
  if (device) {
    if (sd.targetViaWork && sd.convertTarget && sd.workImage.pixels) {
      const int kind = GetScreenStateRecord().screenBits == 16 ? kMemImgKind565 : kMemImgKindXRGB;
      const int bytes = GetStandardColorFormat(kind, 0, 0)->pixelByte;
      uint8_t* start = sd.workImage.pixels + static_cast<ptrdiff_t>(sd.drawRect.left) * bytes +
                       static_cast<ptrdiff_t>(sd.drawRect.top) * sd.workImage.pitch;
      const RECT all{0, 0, sd.lockedRect.right, sd.lockedRect.bottom};
      ConvertColorFormatBlt(start, sd.workImage.pitch, &out.screenColorFormat, start, sd.workImage.pitch,
                            GetStandardColorFormat(kind, 0, 0), nullptr, 0, nullptr, 0, 0, &all, ConvertBltOptions{});
    }
    if (sd.targetLocked) device->Unlock(sd.lockedSurface);
    if (sd.sourceLocked) device->Unlock(sd.sourceLockedSurface);
    if (sd.targetViaWork) {
      const RECT back{0, 0, sd.workRect.right - sd.workRect.left, sd.workRect.bottom - sd.workRect.top};
      CopySurfaceRect(sd.workSurface, out.workSurface, sd.workRect.left, sd.workRect.top, &back, -1);
    }
  }
  sd = SoftDrawState{};
  return 0;
}

// Sets the bits of the screen format that carry no colour (the top byte of XRGB) to ones
// over a copied area, as texture alpha expects of a screen capture.
void FillSpareBits(platform::DeviceSurface* surface, const platform::Rect& area) {
  const ColorFormat& format = GetOutputSurfaces().screenColorFormat;
  platform::DisplayDevice* device = GetScreenStateRecord().device;
  if (format.noneMask == 0 || !device) return;
  platform::LockedPixels locked;
  if (device->Lock(surface, &area, &locked) != 0) return;
  const int bytes = locked.format.bits / 8;
  for (int y = 0; y < locked.height; ++y) {
    uint8_t* row = locked.pixels + static_cast<ptrdiff_t>(y) * locked.pitch;
    for (int x = 0; x < locked.width; ++x) {
      uint32_t v = 0;
      std::memcpy(&v, row + x * bytes, static_cast<size_t>(bytes));
      v |= format.noneMask;
      std::memcpy(row + x * bytes, &v, static_cast<size_t>(bytes));
    }
  }
  device->Unlock(surface);
}

}  // namespace rt
