// The 3D device's textured draws: a graph is the set of its texture pieces, each placed (at a
// point, stretched, turned or on four corners) as two triangles of pre-transformed vertices.
// Device pixel centres lie on whole coordinates, so a graph at a whole position is drawn half
// a pixel up and to the left for each texel to fall on one pixel. Also the circle, the polygon
// and the subtraction emulation.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/startup.h"
#include "runtime/core/strings.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/display/polygon_vertex.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"
#include "runtime/softrender/soft_entries.h"

namespace rt {

using platform::PrimitiveKind;

namespace {

constexpr float kHalfPixel = 0.5f;
// The circle's vertices go out in groups of this many.
constexpr int kCircleVertexGroup = 40;
// Flags of G_D3D_PrepareDrawState.
constexpr int kFlagTransparent = 1, kFlagWholePixels = 2, kFlagUseZ = 4, kFlagGouraud = 8, kFlagPerspective = 16;
// The quad grid of a piece that is not a parallelogram.
constexpr int kGridSide = 8;
constexpr int kLongestCircleWalk = 1 << 16;
// The specular colour of blend-graph vertices: its alpha weighs nothing.
constexpr uint32_t kBlendSpecular = 0xFFFFFFFF;

const RECT* g_heldViewportArea = nullptr;

D3DDeviceRecord* Current() {
  D3DGlobals& g = GetD3DGlobals();
  if (!g.direct3D || g.currentDevice < 0 || g.currentDevice > 3 || !g.devices[g.currentDevice].inUse) return nullptr;
  return &g.devices[g.currentDevice];
}

int ZFlag() { return GetDrawState().zBufferEnable > 0 ? kFlagUseZ : 0; }

// A texture piece with its store.
struct Piece {
  const Surface3DData* piece = nullptr;
  const SurfaceData* store = nullptr;
};

bool FindPiece(int handle, Piece* out) {
  out->piece = GetSurface3DData(handle);
  out->store = out->piece ? GetSurfaceData(out->piece->surfaceData) : nullptr;
  return out->store && out->store->surface;
}

bool FirstPiece(const GraphRecord* graph, Piece* out) {
  return graph && graph->surfaceCount > 0 && FindPiece(static_cast<int>(graph->surfaceHandles[0]), out);
}

void Prepare(const Piece& first, int flags) {
  G_D3D_PrepareDrawState(first.store->surface, first.store->create.alphaChannel, first.store->create.alphaTest, flags);
}

// The piece's texture bound and the state applied before its vertices go into the batch.
void BindPiece(const Piece& p) {
  D3DDeviceRecord* r = Current();
  if (r->texture != p.store->surface) G_D3D_SetDrawTexture(GetD3DGlobals().currentDevice, p.store->surface);
  if (r->stateDirty || r->textureDirty) G_D3D_ApplyDeviceState(GetD3DGlobals().currentDevice);
}

// Two triangles over the corners top left, top right, bottom left, bottom right. (gx, gy):
// the corners' places in the drawn graph, which give the blend graph's coordinates when the
// device draws through one (the blend graph lies over the graph in graph pixels).
void EmitQuad(const float x[4], const float y[4], const float u[4], const float v[4], const float gx[4],
              const float gy[4]) {
  static constexpr int kOrder[6] = {0, 1, 2, 3, 2, 1};
  const float z = GetDrawState().drawZ;
  const D3DGlobals& g = GetD3DGlobals();
  const uint32_t color = g.diffuseColor;
  if (Current()->vertexKind == 2) {
    auto* out = static_cast<VertexBlend*>(G_D3D_ReserveVertices(PrimitiveKind::kTriangleList, 6));
    if (!out) return;
    for (int i = 0; i < 6; ++i) {
      const int c = kOrder[i];
      out[i] = VertexBlend{x[c], y[c], z, 1.0f, color, kBlendSpecular, gx[c] * g.blendTextureInvWidth,
                           gy[c] * g.blendTextureInvHeight, u[c], v[c]};
    }
    return;
  }
  auto* out = static_cast<VertexTex*>(G_D3D_ReserveVertices(PrimitiveKind::kTriangleList, 6));
  if (!out) return;
  for (int i = 0; i < 6; ++i) {
    const int c = kOrder[i];
    out[i] = VertexTex{x[c], y[c], z, 1.0f, color, u[c], v[c]};
  }
}

// The piece's corners in the graph.
void GraphCorners(const Surface3DData& piece, float gx[4], float gy[4]) {
  for (int i = 0; i < 4; ++i) {
    gx[i] = piece.vertex[i].x;
    gy[i] = piece.vertex[i].y;
  }
}

// The float draw area with the front screen's client offset.
void AreaF(float* left, float* top, float* right, float* bottom) {
  const DrawState& ds = GetDrawState();
  const float ox = static_cast<float>(ds.frontClientRect.left), oy = static_cast<float>(ds.frontClientRect.top);
  *left = ds.drawAreaF[0] + ox;
  *top = ds.drawAreaF[1] + oy;
  *right = ds.drawAreaF[2] + ox;
  *bottom = ds.drawAreaF[3] + oy;
}

// Moves a coordinate into [low, high], its texture coordinate following at `step` and its
// place in the graph at `graphStep` per pixel.
void Clamp(float* p, float* t, float* g, float low, float high, float step, float graphStep) {
  if (*p < low) {
    *t += (low - *p) * step;
    *g += (low - *p) * graphStep;
    *p = low;
  } else if (*p > high) {
    *t -= (*p - high) * step;
    *g -= (*p - high) * graphStep;
    *p = high;
  }
}

// A piece placed at origin + vertex × scale, clipped to the draw area when asked.
void EmitPlacedPiece(const Piece& p, float originX, float originY, float sx, float sy, bool clip) {
  float x[4], y[4], u[4], v[4], gx[4], gy[4];
  GraphCorners(*p.piece, gx, gy);
  for (int i = 0; i < 4; ++i) {
    const Surface3DVertex& pv = p.piece->vertex[i];
    x[i] = originX + pv.x * sx;
    y[i] = originY + pv.y * sy;
    u[i] = pv.u;
    v[i] = pv.v;
  }
  if (clip) {
    float left, top, right, bottom;
    AreaF(&left, &top, &right, &bottom);
    const float stepU = 1.0f / (sx * static_cast<float>(p.store->width));
    const float stepV = 1.0f / (sy * static_cast<float>(p.store->height));
    for (int i = 0; i < 4; ++i) {
      Clamp(&x[i], &u[i], &gx[i], left, right, stepU, 1.0f / sx);
      Clamp(&y[i], &v[i], &gy[i], top, bottom, stepV, 1.0f / sy);
    }
    if (x[0] == x[1] || y[0] == y[2]) return;  // nothing of the piece is left
  }
  EmitQuad(x, y, u, v, gx, gy);
}

// The area test of a placed rectangle: 1 inside, 0 outside, -1 partly inside.
int AreaTest(int left, int top, int right, int bottom) {
  const RECT& a = GetDrawState().drawArea;
  if (left >= a.left && top >= a.top && right <= a.right && bottom <= a.bottom) return 1;
  if (right <= a.left || bottom <= a.top || top >= a.bottom || left >= a.right) return 0;
  return -1;
}

void EndIfFront() {
  if (GetD3DGlobals().d3dFrontScreenTarget) G_D3D_EndScene();
}

// Draws every piece of the graph placed at origin + vertex × scale.
int DrawPieces(const GraphRecord* graph, float originX, float originY, float sx, float sy, bool clip) {
  for (int i = 0; i < graph->surfaceCount; ++i) {
    Piece p;
    if (!FindPiece(static_cast<int>(graph->surfaceHandles[i]), &p)) return -1;
    BindPiece(p);
    EmitPlacedPiece(p, originX, originY, sx, sy, clip);
  }
  return 0;
}

bool GraphDrawReady(const GraphRecord* graph, Piece* first) {
  if (!GetD3DGlobals().direct3D || !Current()) return false;
  return FirstPiece(graph, first);
}

}  // namespace

void D3DHoldViewportArea(const RECT* area) { g_heldViewportArea = area; }

bool D3DSyncDrawTarget(const RECT& area) {
  D3DGlobals& g = GetD3DGlobals();
  D3DDeviceRecord* r = Current();
  platform::DeviceSurface* target = GetDrawTarget().targetSurface;
  if (!r || !target) {
    g.d3dTargetUnusable = 1;
    return false;
  }
  g.d3dTargetUnusable = 0;
  G_D3D_SetDeviceRenderTarget(g.currentDevice, target == r->creationSurface ? nullptr : target);
  g.d3dFrontScreenTarget = GetDrawState().drawScreen == kFrontScreen ? 1 : 0;
  G_D3D_SetViewport(g_heldViewportArea ? *g_heldViewportArea : area);
  UpdateDrawDiffuseColor();
  return true;
}

bool D3DGraphDrawsInUse() { return IsDirect3DUsed() != 0; }

int G_D3D_DrawGraph(float x, float y, const GraphRecord* graph, int transparent, int intFlag) {
  if (!GetD3DGlobals().direct3D) return -1;
  if (GetD3DGlobals().d3dTargetUnusable) return 0;
  Piece first;
  if (!GraphDrawReady(graph, &first)) return -1;
  const RECT& o = GetDrawState().frontClientRect;
  const float X = x - kHalfPixel + static_cast<float>(o.left), Y = y - kHalfPixel + static_cast<float>(o.top);
  const int ix = intFlag ? static_cast<int>(x) : FloatToInt(x), iy = intFlag ? static_cast<int>(y) : FloatToInt(y);
  const int test = AreaTest(ix, iy, ix + graph->width, iy + graph->height);
  if (test == 0) return 0;
  G_D3D_BeginScene();
  Prepare(first, (transparent ? kFlagTransparent : 0) | (intFlag ? kFlagWholePixels : 0) | ZFlag());
  const int result = DrawPieces(graph, X, Y, 1.0f, 1.0f, test < 0);
  EndIfFront();
  return result;
}

int G_D3D_DrawGraphStretched(float x1, float y1, float x2, float y2, const GraphRecord* graph, int transparent,
                             int intFlag) {
  if (!GetD3DGlobals().direct3D) return -1;
  if (GetD3DGlobals().d3dTargetUnusable) return 0;
  const int ix1 = FloatToInt(x1), iy1 = FloatToInt(y1), ix2 = FloatToInt(x2), iy2 = FloatToInt(y2);
  if (ix1 == ix2 || iy1 == iy2) return -1;
  Piece first;
  if (!GraphDrawReady(graph, &first)) return -1;
  const int test = AreaTest(std::min(ix1, ix2), std::min(iy1, iy2), std::max(ix1, ix2), std::max(iy1, iy2));
  if (test == 0) return 0;
  const DrawState& ds = GetDrawState();
  const float sx = (x2 - x1) / static_cast<float>(graph->width);
  const float sy = (y2 - y1) / static_cast<float>(graph->height);
  const float X = x1 - kHalfPixel + static_cast<float>(ds.frontClientRect.left);
  const float Y = y1 - kHalfPixel + static_cast<float>(ds.frontClientRect.top);
  G_D3D_BeginScene();
  Prepare(first, (transparent ? kFlagTransparent : 0) | (intFlag == 1 && ds.drawMode != 1 ? kFlagWholePixels : 0) |
                     ZFlag());
  const int result = DrawPieces(graph, X, Y, sx, sy, test < 0);
  EndIfFront();
  return result;
}

int G_D3D_DrawGraphRotated(float x, float y, double scale, double angle, const GraphRecord* graph, int transparent,
                           int turn) {
  if (!GetD3DGlobals().direct3D) return -1;
  if (GetD3DGlobals().d3dTargetUnusable) return 0;
  if (scale == 0.0) return -1;
  const RECT& o = GetDrawState().frontClientRect;
  x += static_cast<float>(o.left);
  y += static_cast<float>(o.top);
  G_D3D_BeginScene();
  Piece first;
  if (!GraphDrawReady(graph, &first)) return -1;
  Prepare(first, (transparent ? kFlagTransparent : 0) | ZFlag());
  double sinA = 0.0, cosA = 1.0;
  if (angle != 0.0) {
    sinA = std::sin(angle);
    cosA = std::cos(angle);
  }
  const int w = graph->width, h = graph->height;
  const bool whole = std::fabs(x - std::trunc(x)) < 1e-5f && std::fabs(y - std::trunc(y)) < 1e-5f;
  double cx = w * 0.5, cy = h * 0.5;
  double px = x, py = y;
  if (whole && scale == 1.0) {
    const bool evenW = w % 2 == 0, evenH = h % 2 == 0;
    if (evenW && evenH) {
      px -= 0.5;
      py -= 0.5;
    } else if (evenW != evenH) {
      // The even side's centre lies between two pixels: half a pixel off it puts the odd
      // side's pixel centres and the even side's pixel edges where the software draw has them.
      if (evenW) cx -= 0.5;
      if (evenH) cy -= 0.5;
    }
  } else if (whole) {
    px -= 0.5;
    py -= 0.5;
  }
  const double fx = turn ? -scale : scale;
  int result = 0;
  for (int i = 0; i < graph->surfaceCount; ++i) {
    Piece p;
    if (!FindPiece(static_cast<int>(graph->surfaceHandles[i]), &p)) {
      result = -1;
      break;
    }
    BindPiece(p);
    float qx[4], qy[4], u[4], v[4], gx[4], gy[4];
    GraphCorners(*p.piece, gx, gy);
    for (int c = 0; c < 4; ++c) {
      const Surface3DVertex& pv = p.piece->vertex[c];
      const double rx = (pv.x - cx) * fx, ry = (pv.y - cy) * scale;
      qx[c] = static_cast<float>(rx * cosA - ry * sinA + px);
      qy[c] = static_cast<float>(rx * sinA + ry * cosA + py);
      u[c] = pv.u;
      v[c] = pv.v;
    }
    EmitQuad(qx, qy, u, v, gx, gy);
  }
  EndIfFront();
  return result;
}

void G_D3D_DrawQuadPiece(int pieceHandle, const float x[4], const float y[4]) {
  Piece p;
  if (!FindPiece(pieceHandle, &p) || !Current()) return;
  BindPiece(p);
  const Surface3DVertex* pv = p.piece->vertex;
  const bool topBottom = std::fabs((x[1] - x[0]) - (x[3] - x[2])) < 1.0f && std::fabs((y[1] - y[0]) - (y[3] - y[2])) < 1.0f;
  const bool leftRight = std::fabs((x[2] - x[0]) - (x[3] - x[1])) < 1.0f && std::fabs((y[2] - y[0]) - (y[3] - y[1])) < 1.0f;
  if (topBottom && leftRight) {
    const float u[4] = {pv[0].u, pv[1].u, pv[2].u, pv[3].u};
    const float v[4] = {pv[0].v, pv[1].v, pv[2].v, pv[3].v};
    float gx[4], gy[4];
    GraphCorners(*p.piece, gx, gy);
    EmitQuad(x, y, u, v, gx, gy);
    return;
  }
  // Any other quad is a grid, so that the texture follows its bilinear shape instead of
  // folding along one diagonal.
  static VertexTex grid[kGridSide * kGridSide];
  const float z = GetDrawState().drawZ;
  const uint32_t color = GetD3DGlobals().diffuseColor;
  const float steps = static_cast<float>(kGridSide - 1);
  for (int i = 0; i < kGridSide; ++i) {
    const float fi = static_cast<float>(i) / steps;
    const float lx = x[0] + fi * (x[2] - x[0]), ly = y[0] + fi * (y[2] - y[0]);
    const float rx = x[1] + fi * (x[3] - x[1]), ry = y[1] + fi * (y[3] - y[1]);
    for (int j = 0; j < kGridSide; ++j) {
      const float fj = static_cast<float>(j) / steps;
      grid[i * kGridSide + j] = VertexTex{lx + fj * (rx - lx), ly + fj * (ry - ly), z, 1.0f, color,
                                          pv[0].u + fj * (pv[1].u - pv[0].u), pv[0].v + fi * (pv[2].v - pv[0].v)};
    }
  }
  G_D3D_DrawIndexedGrid(GetD3DGlobals().currentDevice, kGridSide, kGridSide, grid);
}

int G_D3D_DrawGraphQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                        const GraphRecord* graph, int transparent) {
  if (!GetD3DGlobals().direct3D) return -1;
  if (GetD3DGlobals().d3dTargetUnusable) return 0;
  if (GetDrawState().blendGraph != -1) {
    return G_D3D_DrawGraphQuadInt(FloatToInt(x1), FloatToInt(y1), FloatToInt(x2), FloatToInt(y2), FloatToInt(x3),
                                  FloatToInt(y3), FloatToInt(x4), FloatToInt(y4), graph, transparent);
  }
  Piece first;
  if (!GraphDrawReady(graph, &first)) return -1;
  const RECT& o = GetDrawState().frontClientRect;
  const float ox = static_cast<float>(o.left), oy = static_cast<float>(o.top);
  const float X[4] = {x1 + ox, x2 + ox, x3 + ox, x4 + ox};
  const float Y[4] = {y1 + oy, y2 + oy, y3 + oy, y4 + oy};
  G_D3D_BeginScene();
  Prepare(first, (transparent ? kFlagTransparent : 0) | ZFlag());
  if (graph->surfaceCount == 1) {
    G_D3D_DrawQuadPiece(static_cast<int>(graph->surfaceHandles[0]), X, Y);
  } else {
    const float w = static_cast<float>(graph->width), h = static_cast<float>(graph->height);
    for (int i = 0; i < graph->surfaceCount; ++i) {
      Piece p;
      if (!FindPiece(static_cast<int>(graph->surfaceHandles[i]), &p)) return -1;
      float qx[4], qy[4];
      for (int c = 0; c < 4; ++c) {
        const float fx = p.piece->vertex[c].x / w, fy = p.piece->vertex[c].y / h;
        const float lx = X[0] + fy * (X[2] - X[0]), ly = Y[0] + fy * (Y[2] - Y[0]);
        const float rx = X[1] + fy * (X[3] - X[1]), ry = Y[1] + fy * (Y[3] - Y[1]);
        qx[c] = lx + fx * (rx - lx);
        qy[c] = ly + fx * (ry - ly);
      }
      G_D3D_DrawQuadPiece(static_cast<int>(graph->surfaceHandles[i]), qx, qy);
    }
  }
  EndIfFront();
  return 0;
}

int G_D3D_DrawGraphQuadInt(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, const GraphRecord* graph,
                           int transparent) {
  D3DGlobals& g = GetD3DGlobals();
  if (!g.direct3D) return -1;
  if (g.d3dTargetUnusable) return 0;
  if (x1 == x3 && x2 == x4 && y1 == y2 && y3 == y4) {
    return G_D3D_DrawGraphStretched(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x4),
                                    static_cast<float>(y4), graph, transparent, 1);
  }
  if (GetDrawState().blendGraph == -1) {
    return G_D3D_DrawGraphQuad(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                               static_cast<float>(y2), static_cast<float>(x3), static_cast<float>(y3),
                               static_cast<float>(x4), static_cast<float>(y4), graph, transparent);
  }
  Piece first;
  if (!GraphDrawReady(graph, &first)) return -1;
  G_D3D_FlushVertexBuffer(g.currentDevice);
  const RECT& o = GetDrawState().frontClientRect;
  // Corners P1 top left, P2 top right, P3 bottom left, P4 bottom right.
  const double X[4] = {static_cast<double>(x1) + o.left, static_cast<double>(x2) + o.left,
                       static_cast<double>(x3) + o.left, static_cast<double>(x4) + o.left};
  const double Y[4] = {static_cast<double>(y1) + o.top, static_cast<double>(y2) + o.top,
                       static_cast<double>(y3) + o.top, static_cast<double>(y4) + o.top};
  G_D3D_BeginScene();
  Prepare(first, (transparent ? kFlagTransparent : 0) | ZFlag());
  const double w = graph->width, h = graph->height;
  for (int i = 0; i < graph->surfaceCount; ++i) {
    Piece p;
    if (!FindPiece(static_cast<int>(graph->surfaceHandles[i]), &p)) return -1;
    BindPiece(p);
    float qx[4], qy[4], u[4], v[4], gx[4], gy[4];
    GraphCorners(*p.piece, gx, gy);
    for (int c = 0; c < 4; ++c) {
      const double fx = gx[c] / w, fy = gy[c] / h;
      // The quad is two triangles sharing the diagonal from the bottom-left to the top-right
      // corner; a vertex is carried by the affine map of the triangle whose side it lies on.
      if (p.piece->side[c]) {
        qx[c] = static_cast<float>(X[0] + fx * (X[1] - X[0]) + fy * (X[2] - X[0]));
        qy[c] = static_cast<float>(Y[0] + fx * (Y[1] - Y[0]) + fy * (Y[2] - Y[0]));
      } else {
        qx[c] = static_cast<float>(X[3] + (1.0 - fx) * (X[2] - X[3]) + (1.0 - fy) * (X[1] - X[3]));
        qy[c] = static_cast<float>(Y[3] + (1.0 - fx) * (Y[2] - Y[3]) + (1.0 - fy) * (Y[1] - Y[3]));
      }
      u[c] = p.piece->vertex[c].u;
      v[c] = p.piece->vertex[c].v;
    }
    EmitQuad(qx, qy, u, v, gx, gy);
  }
  EndIfFront();
  return 0;
}

int G_D3D_DrawPolygon(const VertexTriple* triangles, int count, const GraphRecord* graph, int transparent,
                      int quadFlag, int extraFlags) {
  D3DGlobals& g = GetD3DGlobals();
  if (!g.direct3D || !Current()) return -1;
  if (g.d3dTargetUnusable) return 0;
  if (!triangles || count <= 0) return 0;
  G_D3D_BeginScene();
  G_D3D_SetDrawTexture(g.currentDevice, nullptr);
  Piece first;
  if (graph && !FirstPiece(graph, &first)) return -1;
  const int flags = kFlagWholePixels | kFlagUseZ | kFlagGouraud | kFlagPerspective | (transparent ? kFlagTransparent : 0) |
                    extraFlags;
  if (graph) {
    Prepare(first, flags);
  } else {
    G_D3D_PrepareDrawState(nullptr, 0, 0, flags);
  }
  D3DDeviceRecord* r = Current();
  if (r->stateDirty || r->textureDirty) G_D3D_ApplyDeviceState(g.currentDevice);
  G_D3D_FlushVertexBuffer(g.currentDevice);
  std::vector<PolygonVertex> vertices(static_cast<size_t>(count) * 3);
  std::memcpy(vertices.data(), triangles, vertices.size() * sizeof(PolygonVertex));
  if (graph && quadFlag == 1) {
    const Surface3DVertex* pv = first.piece->vertex;
    const float u0 = pv[0].u, v0 = pv[0].v, u1 = pv[3].u, v1 = pv[3].v;
    const float us[6] = {u0, u1, u0, u1, u0, u1}, vs[6] = {v0, v0, v1, v1, v1, v0};
    for (size_t i = 0; i + 5 < vertices.size(); i += 6) {
      for (int k = 0; k < 6; ++k) {
        vertices[i + k].u = us[k];
        vertices[i + k].v = vs[k];
      }
    }
  }
  if (graph && r->vertexKind == 2) {
    // Through a blend graph the stages read the blend graph by the first coordinate set and
    // the graph by the second; the polygon's texture coordinates give both, the blend graph's
    // through the texel's place in the graph.
    std::vector<VertexBlend> blended(vertices.size());
    const float storeW = static_cast<float>(first.store->width), storeH = static_cast<float>(first.store->height);
    const float pieceX = static_cast<float>(first.piece->textureX), pieceY = static_cast<float>(first.piece->textureY);
    for (size_t i = 0; i < vertices.size(); ++i) {
      const PolygonVertex& in = vertices[i];
      blended[i] = VertexBlend{in.x,
                               in.y,
                               in.z,
                               in.rhw,
                               in.color,
                               kBlendSpecular,
                               (in.u * storeW - pieceX) * g.blendTextureInvWidth,
                               (in.v * storeH - pieceY) * g.blendTextureInvHeight,
                               in.u,
                               in.v};
    }
    g.direct3D->DrawPrimitive(PrimitiveKind::kTriangleList, kVertexLayout[2], blended.data(),
                              static_cast<int>(blended.size()));
    EndIfFront();
    return 0;
  }
  // Outside the batch: the polygon's vertices are sent as they are.
  g.direct3D->DrawPrimitive(PrimitiveKind::kTriangleList, kVertexLayout[1], vertices.data(),
                            static_cast<int>(vertices.size()));
  EndIfFront();
  return 0;
}

int G_D3D_DrawCircle(int x, int y, int radius, uint32_t color, int fillFlag) {
  D3DGlobals& g = GetD3DGlobals();
  if (!g.direct3D || !Current()) return -1;
  G_D3D_FlushVertexBuffer(g.currentDevice);
  // A radius beyond any screen would walk its octant step by step here; the software draw
  // passes over the steps that cannot reach the draw area.
  if (g.d3dTargetUnusable || radius > kLongestCircleWalk) return G_SOFT_DrawCircle(x, y, radius, color, fillFlag);
  if (radius < 0) return 0;
  const RECT& a = GetDrawState().drawArea;
  if (a.right <= a.left || a.bottom <= a.top) return 0;
  // A circle wholly outside the area draws nothing.
  if (int64_t{x} + radius < a.left || int64_t{x} - radius >= a.right || int64_t{y} + radius < a.top ||
      int64_t{y} - radius >= a.bottom) {
    return 0;
  }
  G_D3D_BeginScene();
  G_D3D_SetDrawTexture(g.currentDevice, nullptr);
  G_D3D_PrepareDrawState(nullptr, 0, 0, ZFlag());
  D3DDeviceRecord* r = Current();
  if (r->stateDirty || r->textureDirty) G_D3D_ApplyDeviceState(g.currentDevice);
  // The vertex colour as the untextured draws make it.
  int cr = 0, cg = 0, cb = 0;
  GetColorComponents(color, &cr, &cg, &cb);
  const uint32_t bright = GetDrawState().brightColor;
  const uint32_t vc = (g.diffuseColor & 0xFF000000u) | ((((bright >> 16) & 255) * static_cast<uint32_t>(cr) / 255) << 16) |
                      ((((bright >> 8) & 255) * static_cast<uint32_t>(cg) / 255) << 8) |
                      ((bright & 255) * static_cast<uint32_t>(cb) / 255);
  const RECT& o = GetDrawState().frontClientRect;
  const float z = GetDrawState().drawZ;
  std::vector<Vertex2D> group;
  group.reserve(kCircleVertexGroup);
  PrimitiveKind kind = fillFlag ? PrimitiveKind::kLineList : PrimitiveKind::kPointList;
  auto flush = [&] {
    if (!group.empty()) g.direct3D->DrawPrimitive(kind, kVertexLayout[0], group.data(), static_cast<int>(group.size()));
    group.clear();
  };
  auto put = [&](int64_t px, int64_t py) {
    group.push_back(Vertex2D{static_cast<float>(px + o.left), static_cast<float>(py + o.top), z, 1.0f, vc});
  };
  // One zeroed byte per row of the draw target marks the rows of a disc already drawn.
  uint8_t* rows = nullptr;
  if (fillFlag) {
    rows = static_cast<uint8_t*>(RT_ALLOC_ZERO(static_cast<size_t>(a.bottom) + 1));
    if (!rows) FatalExit("メモリの確保に失敗しました in G_D3D_DrawCircle");
  }
  auto plot = [&](int64_t px, int64_t py) {
    if (px < a.left || px >= a.right || py < a.top || py >= a.bottom) return;
    put(px, py);
    if (static_cast<int>(group.size()) >= kCircleVertexGroup) flush();
  };
  auto span = [&](int64_t row, int64_t from, int64_t to) {
    if (row < a.top || row >= a.bottom || rows[row]) return;
    if (to < a.left || from > a.right - 1) return;
    rows[row] = 1;
    from = std::max<int64_t>(from, a.left);
    to = std::min<int64_t>(to, a.right - 1);
    put(from, row);
    put(to + 1, row);
    if (static_cast<int>(group.size()) + 2 > kCircleVertexGroup) flush();
  };
  const int64_t rowReach = std::max(std::abs(int64_t{a.top} - y), std::abs(int64_t{a.bottom} - 1 - y));
  const int64_t columnReach = std::max(std::abs(int64_t{a.left} - x), std::abs(int64_t{a.right} - 1 - x));
  const int64_t reach = fillFlag ? rowReach : std::min(rowReach, columnReach);
  int64_t d = 3 - 2 * int64_t{radius}, j = radius, i = 0;
  if (!fillFlag) {
    plot(x - j, y);
    plot(x + j, y);
    plot(x, y + j);
    plot(x, y - j);
  } else {
    span(y, x - j, x + j);
    if (d >= 0) {
      span(y + j, x, x);
      span(y - j, x, x);
    }
  }
  for (;;) {
    if (d >= 0) {
      d += 4 * (i - j) + 10;
      --j;
    } else {
      d += 4 * i + 6;
    }
    ++i;
    // Every later point lies at least i rows (and, on the outline, i columns) away.
    if (i > j || i > reach) break;
    if (!fillFlag) {
      plot(x - j, y + i);
      plot(x + j, y + i);
      plot(x - j, y - i);
      plot(x + j, y - i);
      plot(x - i, y + j);
      plot(x + i, y + j);
      plot(x - i, y - j);
      plot(x + i, y - j);
    } else {
      span(y + i, x - j, x + j);
      span(y - i, x - j, x + j);
      if (d >= 0) {
        span(y + j, x - i, x + i);
        span(y - j, x - i, x + i);
      }
    }
  }
  flush();
  MemFree(rows);
  EndIfFront();
  return 0;
}

namespace {

// Inverts the rectangle of the target: a white fill under blend mode 3, which the device
// draws as one minus the target.
void InvertRect(const RECT& rect) {
  DrawState& ds = GetDrawState();
  const uint32_t bright = ds.brightColor;
  const int32_t mode = ds.blendMode, param = ds.blendParam;
  ds.brightColor = 0xFFFFFF;
  ds.blendMode = 3;
  ds.blendParam = 255;
  UpdateDrawDiffuseColor();
  G_D3D_DrawFillBox(rect.left, rect.top, rect.right, rect.bottom, GetColorImpl(255, 255, 255));
  ds.brightColor = bright;
  ds.blendMode = mode;
  ds.blendParam = param;
}

}  // namespace

void BeginSubtractBlend(const RECT& rect) {
  if (GetDrawState().drawSuppressed) return;
  const int32_t param = GetDrawState().blendParam;
  InvertRect(rect);
  GetDrawState().blendMode = 5;
  GetDrawState().blendParam = param;
  UpdateDrawDiffuseColor();
}

void EndSubtractBlend(const RECT& rect) {
  if (GetDrawState().drawSuppressed) return;
  const int32_t param = GetDrawState().blendParam;
  InvertRect(rect);
  GetDrawState().blendMode = 3;
  GetDrawState().blendParam = param;
  UpdateDrawDiffuseColor();
}

}  // namespace rt
