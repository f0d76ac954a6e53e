#include "runtime/softrender/soft_draw_transformed.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>
#include <utility>

#include "runtime/display/direct3d.h"
#include "runtime/display/draw_backend.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_data.h"
#include "runtime/softrender/blit_rotate.h"
#include "runtime/softrender/blit_stretch.h"
#include "runtime/softrender/draw_state.h"

namespace rt {
namespace {

bool NoScreen() {
  const ScreenState& s = GetScreenStateRecord();
  return !s.pureSoftware && !s.directDrawRunning;
}

bool OnSoftwareScreen() {
  const ScreenState& s = GetScreenStateRecord();
  return s.softwareRender == 1 && s.screenBits != 8;
}

MEMIMG* SoftwareScreenImage() {
  return GetDrawState().maskScreenInUse ? GetMaskMemImg() : GetDrawTarget().targetMemImg;
}

// The image a piece is drawn from: its store's image when the piece covers all of it, else
// a view of the piece's rectangle.
const MEMIMG* PieceImage(const Surface2D& piece, const SurfaceData& data, MEMIMG* view) {
  if (piece.width == data.width && piece.height == data.height) return &data.image;
  DeriveMemImg(view, &data.image, piece.storeX, piece.storeY, piece.width, piece.height);
  return view;
}

// Whole pixels, toward zero; values beyond the int range saturate instead of converting
// out of range.
int TruncateToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}
int FloatToPixel(float v) { return TruncateToInt(static_cast<double>(v)); }

const Surface2D* FirstPiece(const GraphRecord* graph) {
  if (graph == nullptr || graph->surfaceCount < 1) return nullptr;
  return GetSurface2D(static_cast<int>(graph->surfaceHandles[0]));
}

void FinishDeviceBatch() {
  G_D3D_FlushCurrentVertexBuffer();
  if (GetScreenStateRecord().directDrawReady) G_D3D_EndScene();
}

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

int G_SOFT_DrawGraphStretched(double x1, double y1, double x2, double y2, const GraphRecord* graph, int transparent,
                              int intFlag, int piece) {
  if (NoScreen()) return -1;
  int cx1, cy1, cx2, cy2;
  if (intFlag == 1) {
    cx1 = TruncateToInt(x1), cy1 = TruncateToInt(y1), cx2 = TruncateToInt(x2), cy2 = TruncateToInt(y2);
  } else {
    cx1 = FloatToPixel(static_cast<float>(x1)), cy1 = FloatToPixel(static_cast<float>(y1));
    cx2 = FloatToPixel(static_cast<float>(x2)), cy2 = FloatToPixel(static_cast<float>(y2));
  }
  int nx1 = cx1, ny1 = cy1, nx2 = cx2, ny2 = cy2, dirX = 1, dirY = 1;
  if (nx1 > nx2) {
    std::swap(nx1, nx2);
    dirX = -1;
  }
  if (ny1 > ny2) {
    std::swap(ny1, ny2);
    dirY = -1;
  }

  const Surface2D* surface2D = nullptr;
  int srcW = 0, srcH = 0;
  if (piece != -1) {
    surface2D = GetSurface2D(piece);
    if (surface2D) srcW = surface2D->width, srcH = surface2D->height;
  } else {
    if (graph == nullptr) return -1;
    surface2D = FirstPiece(graph);
    srcW = graph->width, srcH = graph->height;
  }
  if (surface2D == nullptr) return -1;
  const SurfaceData* data = GetSurfaceData(surface2D->surfaceData);
  if (data == nullptr) return -1;
  const MEMIMG* blend = GetBlendGraphMemImg();
  const RECT corners{cx1, cy1, cx2, cy2};

  if (OnSoftwareScreen()) {
    MEMIMG view{};
    StretchBlitMemImg(SoftwareScreenImage(), PieceImage(*surface2D, *data, &view), &corners, transparent, blend);
    return 0;
  }

  FinishDeviceBatch();
  const int64_t w = int64_t{nx2} - nx1, h = int64_t{ny2} - ny1;
  if (w == 0 || h == 0 || srcW <= 0 || srcH <= 0) return -1;
  if (w == srcW && h == srcH && dirX == 1 && dirY == 1) {
    // A named piece is drawn once, unscaled, at the corner it was asked for.
    if (piece != -1) return G_DD_DrawGraph(nx1, ny1, piece, transparent);
    return G_DD_DrawGraphF(nx1, ny1, graph, transparent, 1);
  }
  const int64_t stepX = (w << 16) / srcW, stepY = (h << 16) / srcH;
  if (stepX == 0 || stepY == 0) return -1;
  RECT dest{nx1, ny1, nx2, ny2};
  ClipRectImpl(&dest, &GetDrawState().drawArea);
  const int64_t cw = int64_t{dest.right} - dest.left, ch = int64_t{dest.bottom} - dest.top;
  if (cw == 0 || ch == 0) return -1;
  int64_t left = dest.left > nx1 ? ((int64_t{dest.left} - nx1) << 16) / stepX : 0;
  int64_t top = dest.top > ny1 ? ((int64_t{dest.top} - ny1) << 16) / stepY : 0;
  int64_t right = left + ((cw << 16) + stepX - 1) / stepX;
  int64_t bottom = top + ((ch << 16) + stepY - 1) / stepY;
  if (dirX == -1) std::tie(left, right) = std::pair<int64_t, int64_t>(srcW - right, srcW - left);
  if (dirY == -1) std::tie(top, bottom) = std::pair<int64_t, int64_t>(srcH - bottom, srcH - top);
  // The rounded-up extent may reach one column or row past the piece; the blit never reads it.
  const RECT source{Clamp32(std::clamp<int64_t>(left, 0, srcW)), Clamp32(std::clamp<int64_t>(top, 0, srcH)),
                    Clamp32(std::clamp<int64_t>(right, 0, srcW)), Clamp32(std::clamp<int64_t>(bottom, 0, srcH))};
  if (BeginSoftDrawOnTarget(surface2D, 0, &source, &dest, 0, nullptr, nullptr) < 0) return -1;
  const SoftDrawState& prepared = GetSoftDrawState();
  StretchBlitMemImg(prepared.drawImage, prepared.drawSourceImage, &corners, transparent, blend);
  EndSoftDrawOnTarget();
  return 0;
}

int G_SOFT_DrawGraphRotated(float x, float y, double scale, double angle, const GraphRecord* graph, int transparent,
                            int turn) {
  const int ix = FloatToPixel(x), iy = FloatToPixel(y);
  if (NoScreen()) return -1;
  const Surface2D* surface2D = FirstPiece(graph);
  if (surface2D == nullptr) return -1;
  const SurfaceData* data = GetSurfaceData(surface2D->surfaceData);
  if (data == nullptr) return -1;
  const MEMIMG* blend = GetBlendGraphMemImg();
  const float fa = static_cast<float>(angle), fs = static_cast<float>(scale);

  if (OnSoftwareScreen()) {
    MEMIMG view{};
    RotateBlitMemImg(SoftwareScreenImage(), PieceImage(*surface2D, *data, &view), ix, iy, fa, fs, transparent, turn,
                     blend);
    return 0;
  }

  FinishDeviceBatch();
  // The rectangle the blit itself may write, margins included, so that the prepared copy
  // holds every pixel it changes.
  RECT covered{0, 0, 0, 0};
  if (!RotateBlitBounds(graph->width, graph->height, ix, iy, fa, fs, &covered)) covered = RECT{ix, iy, ix, iy};
  ClipRectImpl(&covered, &GetDrawState().drawArea);
  const RECT source{0, 0, surface2D->width, surface2D->height};
  if (BeginSoftDrawOnTarget(surface2D, 0, &source, &covered, 0, nullptr, nullptr) < 0) return -1;
  const SoftDrawState& prepared = GetSoftDrawState();
  RotateBlitMemImg(prepared.drawImage, prepared.drawSourceImage, ix, iy, fa, fs, transparent, turn, blend);
  EndSoftDrawOnTarget();
  return 0;
}

int G_SOFT_DrawGraphQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                         const GraphRecord* graph, int transparent) {
  return G_SOFT_DrawGraphQuadInt(FloatToPixel(x1), FloatToPixel(y1), FloatToPixel(x2), FloatToPixel(y2),
                                 FloatToPixel(x3), FloatToPixel(y3), FloatToPixel(x4), FloatToPixel(y4), graph,
                                 transparent);
}

int G_SOFT_DrawGraphQuadInt(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, const GraphRecord* graph,
                            int transparent) {
  if (graph == nullptr) return -1;
  const int w = graph->width, h = graph->height;
  const TexVertex corners[4] = {{x1, y1, 0, 0}, {x2, y2, w, 0}, {x3, y3, 0, h}, {x4, y4, w, h}};
  const TexVertexTriple first{{corners[0], corners[1], corners[2]}};
  const TexVertexTriple second{{corners[1], corners[2], corners[3]}};
  G_SOFT_DrawGraphTriangle(&first, graph, transparent, 0);
  G_SOFT_DrawGraphTriangle(&second, graph, transparent, 0);
  return 0;
}

int G_SOFT_DrawGraphTriangle(const TexVertexTriple* vertices, const GraphRecord* graph, int transparent,
                             uint32_t fillColour) {
  if (vertices == nullptr || NoScreen()) return -1;
  const Surface2D* surface2D = nullptr;
  const SurfaceData* data = nullptr;
  const MEMIMG* blend = nullptr;
  if (graph != nullptr) {
    surface2D = FirstPiece(graph);
    if (surface2D == nullptr) return -1;
    data = GetSurfaceData(surface2D->surfaceData);
    if (data == nullptr) return -1;
    blend = GetBlendGraphMemImg();
  }

  if (OnSoftwareScreen()) {
    MEMIMG view{};
    const MEMIMG* texture = surface2D ? PieceImage(*surface2D, *data, &view) : nullptr;
    DrawTextureTriangleMemImg(SoftwareScreenImage(), texture, vertices, transparent, blend, fillColour);
    return 0;
  }

  FinishDeviceBatch();
  // Both ends of each span are drawn, so the box reaches one column past the largest x;
  // the bottom vertex's row is not drawn. Texels are read up to the largest u and v.
  int64_t minX = 1000000, minY = 1000000, maxX = -1000000, maxY = -1000000;
  int64_t minU = 1000000, minV = 1000000, maxU = -1000000, maxV = -1000000;
  for (const TexVertex& v : vertices->v) {
    minX = std::min<int64_t>(minX, v.x), maxX = std::max<int64_t>(maxX, v.x);
    minY = std::min<int64_t>(minY, v.y), maxY = std::max<int64_t>(maxY, v.y);
    minU = std::min<int64_t>(minU, v.u), maxU = std::max<int64_t>(maxU, v.u);
    minV = std::min<int64_t>(minV, v.v), maxV = std::max<int64_t>(maxV, v.v);
  }
  const RECT destBox{Clamp32(minX), Clamp32(minY), Clamp32(maxX + 1), Clamp32(maxY)};
  RECT sourceBox{Clamp32(minU), Clamp32(minV), Clamp32(maxU + 1), Clamp32(maxV + 1)};
  if (surface2D) {
    const RECT piece{0, 0, surface2D->width, surface2D->height};
    ClipRectImpl(&sourceBox, &piece);
  }
  if (BeginSoftDrawOnTarget(surface2D, 0, &sourceBox, &destBox, 0, nullptr, nullptr) < 0) return -1;
  const SoftDrawState& prepared = GetSoftDrawState();
  DrawTextureTriangleMemImg(prepared.drawImage, surface2D ? prepared.drawSourceImage : nullptr, vertices,
                            transparent, blend, fillColour);
  EndSoftDrawOnTarget();
  return 0;
}

}  // namespace rt
