#include "runtime/display/draw_backend.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/screen_flip.h"
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
  const SoftDrawState& prepared = GetSoftDrawState();
  BlitMemImg(prepared.drawImage, prepared.drawSourceImage, x, y, transparent, blend);
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
  // Copies between device surfaces belong to the display device, which does not exist here.
  if (!IsSoftwareScreen() || !data->software) return -1;
  if (state.drawScreen == kFrontScreen) FetchFrontScreenFromWindow();
  const MEMIMG* source = GetDrawTarget().targetMemImg;
  if (!source || !source->pixels) return -1;
  const RECT rect{x1, y1, x2, y2};
  BltMemImg(&data->image, source, &rect, piece->storeX, piece->storeY);
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
  // A device target would be locked (or copied to a work surface) here; there are no device
  // targets on this platform, so nothing can be prepared.
  return -1;
}

int EndSoftDrawOnTarget() { return 0; }

}  // namespace rt
