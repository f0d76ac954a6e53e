#include "runtime/display/screen_capture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/display_device.h"
#include "runtime/core/log.h"
#include "runtime/core/window.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/image/convert_blt.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"

namespace rt {
namespace {

using CaptureMethod = int (*)(int, int, int, int, GraphRecord*, int);

constexpr CaptureMethod kCaptureMethods[kCaptureMethodCount + 1] = {
    G_D3D_GetDrawScreenGraphFunction5, G_D3D_GetDrawScreenGraphFunction1, G_D3D_GetDrawScreenGraphFunction3,
    G_D3D_GetDrawScreenGraphFunction2, G_D3D_GetDrawScreenGraphFunction4, nullptr,
};

platform::DisplayDevice* Device() { return GetScreenStateRecord().device; }

ColorFormat FormatOf(const platform::DevicePixelFormat& f) {
  ColorFormat format{};
  SetColorFormatFromMasksImpl(&format, f.bits, f.redMask, f.greenMask, f.blueMask, f.alphaMask);
  return format;
}

// One piece of the graph to fill: where its pixels come from on the source surface and
// where they go in its texture.
struct CapturePiece {
  int storeHandle;
  SurfaceData* store;
  platform::Rect source;
  int destX, destY;
};

// The common start of every method: the source surface and the pieces, each cut to the
// source and to the rectangle. False when the rectangle lies outside the source or is
// larger than the graph.
bool PrepareCapture(int x1, int y1, int x2, int y2, const GraphRecord* graph, int clientFlag,
                    platform::DeviceSurface** source, std::vector<CapturePiece>* pieces) {
  const DrawState& state = GetDrawState();
  const OutputSurfaces& out = GetOutputSurfaces();
  platform::DeviceSurface* target = GetDrawTarget().targetSurface;
  int width = 0, height = 0, offsetX = 0, offsetY = 0;
  if (clientFlag == 0 && GetWindowModeFlag() && state.drawScreen == kFrontScreen && target &&
      (target == out.primarySurface || target == out.tempPrimarySurface)) {
    int bits = 0;
    GetDesktopInfo(&width, &height, &bits);
  } else {
    GetGraphSize(state.drawScreen, &width, &height);
    offsetX = state.frontClientRect.left;
    offsetY = state.frontClientRect.top;
  }
  *source = target;
  if (!target || !Device()) return false;
  if (x1 < 0 || x1 >= x2 || y1 < 0 || y1 >= y2 || x1 > width || y1 > height) return false;
  if (graph->width < x2 - x1 || graph->height < y2 - y1) return false;
  // What the source surface holds, in the coordinates of the rectangles (a windowed primary
  // is addressed in desktop coordinates): parts of the desktop beyond it are not copied.
  const platform::SurfaceInfo info = Device()->Describe(target);
  const bool desktop = GetWindowModeFlag() && (target == out.primarySurface || target == out.tempPrimarySurface);
  const int left = desktop ? state.frontClientRect.left : 0, top = desktop ? state.frontClientRect.top : 0;
  const platform::Rect held{left, top, left + info.width, top + info.height};
  pieces->clear();
  for (int i = 0; i < graph->surfaceCount; ++i) {
    const Surface3DData* piece = GetSurface3DData(static_cast<int>(graph->surfaceHandles[i]));
    SurfaceData* store = piece ? GetSurfaceData(piece->surfaceData) : nullptr;
    if (!store || !store->surface) return false;
    const int sx = piece->graphX + x1, sy = piece->graphY + y1;
    if (sx > width || sy > height) continue;
    // Cut to the source and to the rectangle asked for: the graph's pixels beyond it stay.
    const int w = std::min({static_cast<int>(piece->width), width - sx, x2 - sx});
    const int h = std::min({static_cast<int>(piece->height), height - sy, y2 - sy});
    if (w <= 0 || h <= 0) continue;
    platform::Rect from{sx + offsetX, sy + offsetY, sx + offsetX + w, sy + offsetY + h};
    const int cutLeft = std::max(held.left - from.left, 0), cutTop = std::max(held.top - from.top, 0);
    from = platform::Rect{std::max(from.left, held.left), std::max(from.top, held.top),
                          std::min(from.right, held.right), std::min(from.bottom, held.bottom)};
    if (from.right <= from.left || from.bottom <= from.top) continue;
    pieces->push_back(
        CapturePiece{piece->surfaceData, store, from, piece->textureX + cutLeft, piece->textureY + cutTop});
  }
  return true;
}

int PieceWidth(const CapturePiece& p) { return p.source.right - p.source.left; }
int PieceHeight(const CapturePiece& p) { return p.source.bottom - p.source.top; }

// A plain copy between two device contexts (or locked surfaces), converting the format.
bool CopyPixels(const platform::LockedPixels& to, int toX, int toY, const platform::LockedPixels& from,
                const platform::Rect& fromRect) {
  if (!to.pixels || !from.pixels) return false;
  const ColorFormat toFormat = FormatOf(to.format), fromFormat = FormatOf(from.format);
  const RECT rect{fromRect.left, fromRect.top, fromRect.right, fromRect.bottom};
  return ConvertColorFormatBlt(to.pixels, to.pitch, &toFormat, from.pixels, from.pitch, &fromFormat, nullptr, 0,
                               nullptr, toX, toY, &rect, ConvertBltOptions{}) == 0;
}

// The source rectangle of a piece on a surface whose locked or device-context pixels start
// at the surface's own origin (a windowed primary is addressed in desktop coordinates).
platform::Rect OnSurface(platform::DeviceSurface* surface, const platform::Rect& r) {
  const RECT& front = GetDrawState().frontClientRect;
  const OutputSurfaces& out = GetOutputSurfaces();
  if (surface == out.primarySurface && GetWindowModeFlag()) {
    return platform::Rect{r.left - front.left, r.top - front.top, r.right - front.left, r.bottom - front.top};
  }
  return r;
}

// A work texture of the piece's size in the piece's texture format, filled from the source's
// device context. Null (logged with the method's name) on a failure.
platform::DeviceSurface* FilledWorkTexture(const char* method, const CapturePiece& piece,
                                           const platform::LockedPixels& sourceDC, platform::DeviceSurface* source) {
  platform::DisplayDevice* device = Device();
  platform::SurfaceDesc desc;
  desc.kind = platform::SurfaceKind::kTexture;
  desc.width = PieceWidth(piece);
  desc.height = PieceHeight(piece);
  desc.format = device->Describe(piece.store->surface).format;
  platform::DeviceSurface* work = device->CreateSurface(desc);
  if (!work) {
    LogAddFormat("Error  %s 　作業用テクスチャサーフェスの作成に失敗しました  CreateSurface  ReturnValue:%d", method,
                 -1);
    return nullptr;
  }
  platform::LockedPixels workDC;
  int result = device->GetDC(work, &workDC);
  if (result != 0) {
    LogAddFormat("Error  %s 　作業用テクスチャサーフェスのＤＣ取得に失敗しました  GetDC  ReturnValue:%d", method,
                 result);
    device->ReleaseSurface(work);
    return nullptr;
  }
  if (!CopyPixels(workDC, 0, 0, sourceDC, OnSurface(source, piece.source))) {
    LogAddFormat("Error  %s 　作業用テクスチャサーフェスへのイメージ転送に失敗しました  BitBlt  ErrorCode:%x", method,
                 1u);
    device->ReleaseDC(work);
    device->ReleaseSurface(work);
    return nullptr;
  }
  result = device->ReleaseDC(work);
  if (result != 0) {
    LogAddFormat("Error  %s 　作業用テクスチャサーフェスのＤＣ解放に失敗しました  ReleaseDC  ReturnValue:%d", method,
                 result);
    device->ReleaseSurface(work);
    return nullptr;
  }
  return work;
}

// The frame of the methods that read the source through its device context: the pieces
// prepared, the context taken (a failure logged with `dcFailure`), `put` called for every
// piece with the context, the piece's key colour set after each, the context given back on
// every way out. `put` returns 0, or -1 after logging its own failure.
template <class PutPiece>
int CaptureThroughSourceDC(const char* dcFailure, int x1, int y1, int x2, int y2, GraphRecord* graph,
                           int clientFlag, PutPiece put) {
  platform::DeviceSurface* source = nullptr;
  std::vector<CapturePiece> pieces;
  platform::DisplayDevice* device = Device();
  if (!device || !PrepareCapture(x1, y1, x2, y2, graph, clientFlag, &source, &pieces)) return -1;
  platform::LockedPixels sourceDC;
  const int result = device->GetDC(source, &sourceDC);
  if (result != 0) {
    LogAddFormat(dcFailure, result);
    return -1;
  }
  for (const CapturePiece& p : pieces) {
    if (put(p, sourceDC, source) != 0) {
      device->ReleaseDC(source);
      return -1;
    }
    SetSurfaceDataColorKey(p.storeHandle);
  }
  device->ReleaseDC(source);
  return 0;
}

}  // namespace

int G_D3D_GetDrawScreenGraph(int x1, int y1, int x2, int y2, GraphRecord* graph, int clientFlag) {
  D3DGlobals& d3d = GetD3DGlobals();
  if (!IsDirect3DUsed() || !graph) return -1;
  if (d3d.d3dTargetUnusable) return 0;
  G_D3D_FlushCurrentVertexBuffer();
  G_D3D_EndScene();
  const Surface3DData* first =
      graph->surfaceCount > 0 ? GetSurface3DData(static_cast<int>(graph->surfaceHandles[0])) : nullptr;
  const SurfaceData* store = first ? GetSurfaceData(first->surfaceData) : nullptr;
  if (!store) return -1;
  int32_t& cache = store->create.alphaChannel || store->create.alphaTest ? d3d.captureMethodAlpha : d3d.captureMethod;
  if (cache >= 0 && cache < kCaptureMethodCount) {
    const int result = kCaptureMethods[cache](x1, y1, x2, y2, graph, clientFlag);
    if (result >= 0) return result;
  }
  int result = -1;
  for (int i = 0; kCaptureMethods[i]; ++i) {
    result = kCaptureMethods[i](x1, y1, x2, y2, graph, clientFlag);
    if (result == 0) {
      cache = i;
      return 0;
    }
  }
  cache = -1;
  return result;
}

int G_D3D_GetDrawScreenGraphFunction1(int x1, int y1, int x2, int y2, GraphRecord* graph, int clientFlag) {
  platform::DeviceSurface* source = nullptr;
  std::vector<CapturePiece> pieces;
  if (!Device() || !PrepareCapture(x1, y1, x2, y2, graph, clientFlag, &source, &pieces)) return -1;
  for (const CapturePiece& p : pieces) {
    const int result = Device()->BltFast(p.store->surface, p.destX, p.destY, source, &p.source, false);
    if (result != 0) {
      LogAddFormat("Error G_D3D_GetDrawScreenGraphFunction1  BltFast ReturnValue:%d", result);
      return -1;
    }
    SetSurfaceDataColorKey(p.storeHandle);
  }
  return 0;
}

int G_D3D_GetDrawScreenGraphFunction2(int x1, int y1, int x2, int y2, GraphRecord* graph, int clientFlag) {
  return CaptureThroughSourceDC(
      "Error  G_D3D_GetDrawScreenGraphFunction2  ＤＣ取得に失敗しました  GetDC ReturnValue:%d", x1, y1, x2, y2, graph,
      clientFlag,
      [](const CapturePiece& p, const platform::LockedPixels& sourceDC, platform::DeviceSurface* source) {
        platform::DisplayDevice* device = Device();
        platform::LockedPixels textureDC;
        int result = device->GetDC(p.store->surface, &textureDC);
        if (result != 0) {
          LogAddFormat(
              "Error  G_D3D_GetDrawScreenGraphFunction2 　作業用テクスチャサーフェスのＤＣ取得に失敗しました  GetDC "
              "ReturnValue:%d",
              result);
          return -1;
        }
        if (!CopyPixels(textureDC, p.destX, p.destY, sourceDC, OnSurface(source, p.source))) {
          LogAddFormat(
              "Error  G_D3D_GetDrawScreenGraphFunction2 　作業用テクスチャサーフェスへのイメージ転送に失敗しました  "
              "BitBlt  ErrorCode:%x",
              1u);
          device->ReleaseDC(p.store->surface);
          return -1;
        }
        result = device->ReleaseDC(p.store->surface);
        if (result != 0) {
          LogAddFormat(
              "Error  G_D3D_GetDrawScreenGraphFunction2 　作業用テクスチャサーフェスのＤＣ解放に失敗しました  "
              "ReleaseDC ReturnValue:%d",
              result);
          return -1;
        }
        return 0;
      });
}

int G_D3D_GetDrawScreenGraphFunction3(int x1, int y1, int x2, int y2, GraphRecord* graph, int clientFlag) {
  return CaptureThroughSourceDC(
      "Error  G_D3D_GetDrawScreenGraphFunction3 　ＤＣ取得に失敗しました  GetDC  ReturnValue:%d", x1, y1, x2, y2, graph,
      clientFlag,
      [](const CapturePiece& p, const platform::LockedPixels& sourceDC, platform::DeviceSurface* source) {
        platform::DisplayDevice* device = Device();
        platform::DeviceSurface* work = FilledWorkTexture("G_D3D_GetDrawScreenGraphFunction3", p, sourceDC, source);
        if (!work) return -1;
        platform::LockedPixels from, to;
        int result = device->Lock(work, nullptr, &from);
        if (result != 0) {
          LogAddFormat(
              "Error  G_D3D_GetDrawScreenGraphFunction3 　作業用テクスチャサーフェスのロックに失敗しました  Lock  "
              "ReturnValue:%d",
              result);
          device->ReleaseSurface(work);
          return -1;
        }
        const platform::Rect destRect{p.destX, p.destY, p.destX + PieceWidth(p), p.destY + PieceHeight(p)};
        result = device->Lock(p.store->surface, &destRect, &to);
        if (result != 0) {
          LogAddFormat(
              "Error  G_D3D_GetDrawScreenGraphFunction3 　転送先テクスチャサーフェスのロックに失敗しました  Lock  "
              "ReturnValue:%d",
              result);
          device->Unlock(work);
          device->ReleaseSurface(work);
          return -1;
        }
        CopyPixels(to, 0, 0, from, platform::Rect{0, 0, PieceWidth(p), PieceHeight(p)});
        device->Unlock(p.store->surface);
        device->Unlock(work);
        device->ReleaseSurface(work);
        return 0;
      });
}

int G_D3D_GetDrawScreenGraphFunction4(int x1, int y1, int x2, int y2, GraphRecord* graph, int clientFlag) {
  return CaptureThroughSourceDC(
      "Error  G_D3D_GetDrawScreenGraphFunction4 　ＤＣ取得に失敗しました  GetDC  ReturnValue:%d", x1, y1, x2, y2, graph,
      clientFlag,
      [x1, y1](const CapturePiece& p, const platform::LockedPixels& sourceDC, platform::DeviceSurface* source) {
        platform::DisplayDevice* device = Device();
        platform::DeviceSurface* work = FilledWorkTexture("G_D3D_GetDrawScreenGraphFunction4", p, sourceDC, source);
        if (!work) return -1;
        // The device's texture load: the work texture goes 1:1 into the piece's place.
        const platform::Rect workRect{0, 0, PieceWidth(p), PieceHeight(p)};
        const platform::Rect destRect{p.destX, p.destY, p.destX + PieceWidth(p), p.destY + PieceHeight(p)};
        const int result = device->Blt(p.store->surface, &destRect, work, &workRect);
        if (result != 0) {
          const DrawState& state = GetDrawState();
          const GraphCreateBytes& c = p.store->create;
          LogAddFormat("hr:%d  W:%d  H:%d  FullMode:%d  Point x:%d y:%d   Rect top:%d bottom:%d left:%d right:%d",
                       result, PieceWidth(p), PieceHeight(p), GetWindowModeFlag() ? 0 : 1, p.destX, p.destY,
                       p.source.top, p.source.bottom, p.source.left, p.source.right);
          LogAddFormat("AlphaCh:%d  AlphaTest:%d  ColorBitDepth:%d", c.alphaChannel, c.alphaTest, c.colorBitDepth);
          int sizeX = 0, sizeY = 0;
          GetGraphSize(state.drawScreen, &sizeX, &sizeY);
          LogAddFormat(
              "ScreenColor:%d  SizeX:%d  SizeY:%d  DrawPointX:%d  DrawPointY:%d  WndRect.left:%d  WndRect.top:%d  "
              "left:%d  top:%d",
              GetScreenStateRecord().screenBits, sizeX, sizeY, x1, y1, state.frontClientRect.left,
              state.frontClientRect.top, p.source.left, p.source.top);
          device->ReleaseSurface(work);
          return -1;
        }
        device->ReleaseSurface(work);
        return 0;
      });
}

int G_D3D_GetDrawScreenGraphFunction5(int x1, int y1, int x2, int y2, GraphRecord* graph, int clientFlag) {
  platform::DeviceSurface* source = nullptr;
  std::vector<CapturePiece> pieces;
  platform::DisplayDevice* device = Device();
  if (!device || !PrepareCapture(x1, y1, x2, y2, graph, clientFlag, &source, &pieces)) return -1;
  platform::LockedPixels from;
  int result = device->Lock(source, nullptr, &from);
  if (result != 0) {
    LogAddFormat(
        "Error  G_D3D_GetDrawScreenGraphFunction5 　作業用テクスチャサーフェスのロックに失敗しました  Lock  "
        "ReturnValue:%d",
        result);
    return -1;
  }
  const ColorFormat* screen = GetScreenColorFormat();
  for (const CapturePiece& p : pieces) {
    platform::LockedPixels to;
    const platform::Rect destRect{p.destX, p.destY, p.destX + PieceWidth(p), p.destY + PieceHeight(p)};
    result = device->Lock(p.store->surface, &destRect, &to);
    if (result != 0) {
      LogAddFormat(
          "Error  G_D3D_GetDrawScreenGraphFunction5 　転送先テクスチャサーフェスのロックに失敗しました  Lock  "
          "ReturnValue:%d",
          result);
      device->Unlock(source);
      return -1;
    }
    const ColorFormat texture = FormatOf(to.format);
    const platform::Rect r = OnSurface(source, p.source);
    const RECT rect{r.left, r.top, r.right, r.bottom};
    const int copied = from.pixels && to.pixels
                           ? ConvertColorFormatBlt(to.pixels, to.pitch, &texture, from.pixels, from.pitch, screen,
                                                   nullptr, 0, nullptr, 0, 0, &rect, ConvertBltOptions{})
                           : -1;
    device->Unlock(p.store->surface);
    if (copied != 0) {
      device->Unlock(source);
      return -1;
    }
    SetSurfaceDataColorKey(p.storeHandle);
  }
  device->Unlock(source);
  return 0;
}

int FillSpareBitsRect(const RECT* rect, void* base, int pitch, const ColorFormat* format, uint32_t value) {
  if (!rect || !base || !format || format->noneMask == 0) return 0;
  RECT r = *rect;
  NormalizeRect(&r);
  int width = 0, height = 0;
  GetRectSize(&r, &width, &height);
  const int bytes = format->colorBitDepth / 8;
  if (bytes != 2 && bytes != 4) return 0;
  const bool topByte = bytes == 4 && format->noneMask == 0xFF000000u;
  auto* start =
      static_cast<uint8_t*>(base) + static_cast<ptrdiff_t>(r.top) * pitch + static_cast<ptrdiff_t>(r.left) * bytes;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = start + static_cast<ptrdiff_t>(y) * pitch;
    for (int x = 0; x < width; ++x) {
      uint8_t* p = row + static_cast<ptrdiff_t>(x) * bytes;
      if (bytes == 2) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        v = static_cast<uint16_t>(v | (value << format->noneShift));
        std::memcpy(p, &v, 2);
      } else if (topByte) {
        p[3] = static_cast<uint8_t>(p[3] | value);
      } else {
        uint32_t v;
        std::memcpy(&v, p, 4);
        v |= value << format->noneShift;
        std::memcpy(p, &v, 4);
      }
    }
  }
  return 0;
}

}  // namespace rt
