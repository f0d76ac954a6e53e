#include "runtime/display/draw_primitives.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "runtime/core/memory.h"
#include "runtime/core/window.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_backend.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/display/screen_flip.h"
#include "runtime/image/graph_table.h"
#include "runtime/movie/movie.h"
#include "runtime/softrender/blend_tables.h"
#include "runtime/softrender/soft_draw_transformed.h"
#include "runtime/softrender/soft_entries.h"

namespace rt {
namespace {

// The dirty rectangle of a rotated graph is widened this much on every side.
constexpr double kRotatedDirtyMargin = 5.0;
constexpr float kPolygonDirtyMargin = 1.0f;

bool DrawingOff() {
  const DrawState& s = GetDrawState();
  return s.drawSuppressed || s.drawAreaEmpty;
}

// A graph that may be drawn: valid, and, while a blend graph is set, no larger than it.
const GraphRecord* DrawableGraph(int graph) {
  const GraphRecord* record = GetGraphRecord(graph);
  if (!record) return nullptr;
  if (GetDrawState().blendGraph != -1 && CheckBlendGraphSize(record) != 0) return nullptr;
  return record;
}

bool DrawsOnSoftwareFront() { return IsSoftwareScreen() && GetDrawState().drawScreen == kFrontScreen; }

// The rectangle a draw changes is needed when the mask layer or the window (for the
// software front screen) must follow the draw.
bool NeedsDirtyRect() { return GetDrawState().maskDrawActive || DrawsOnSoftwareFront(); }

int SaturateToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (v <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

RECT Ordered(int x1, int y1, int x2, int y2) {
  return RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

// Steps 4 and 7 to 11 of every draw: wait while inactive, the mask layer around the draw,
// and the software front screen kept in step with the window.
template <class Draw>
int RunDraw(const RECT& dirty, Draw draw) {
  WaitWhileInactive();
  const bool mask = GetDrawState().maskDrawActive != 0;
  const bool front = DrawsOnSoftwareFront();
  if (mask) BeginMaskDrawRect(dirty.left, dirty.top, dirty.right, dirty.bottom);
  if (front && GetScreenStateRecord().frontScreenStale) FetchFrontScreenFromWindow();
  const int result = draw();
  if (mask) EndMaskDrawRect(dirty.left, dirty.top, dirty.right, dirty.bottom);
  if (front) PresentFrontScreenRect(&dirty);
  return result;
}

RECT RotatedDirtyRect(int x, int y, double scale, double angle, const GraphRecord& graph) {
  const int hw = graph.width / 2;
  const int hh = graph.height / 2;
  const double corners[4][2] = {{static_cast<double>(-hw), static_cast<double>(-hh)},
                                {static_cast<double>(graph.width - hw), static_cast<double>(-hh)},
                                {static_cast<double>(-hw), static_cast<double>(graph.height - hh)},
                                {static_cast<double>(graph.width - hw), static_cast<double>(graph.height - hh)}};
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  double minX = std::numeric_limits<double>::max(), minY = minX;
  double maxX = std::numeric_limits<double>::lowest(), maxY = maxX;
  for (const auto& p : corners) {
    const double px = (p[0] * c - p[1] * s) * scale + x;
    const double py = (p[1] * c + p[0] * s) * scale + y;
    minX = std::min(minX, px), maxX = std::max(maxX, px);
    minY = std::min(minY, py), maxY = std::max(maxY, py);
  }
  return RECT{SaturateToInt(minX - kRotatedDirtyMargin), SaturateToInt(minY - kRotatedDirtyMargin),
              SaturateToInt(maxX + kRotatedDirtyMargin), SaturateToInt(maxY + kRotatedDirtyMargin)};
}

// Narrows the draw area for one forwarded draw and puts it back afterwards.
class NarrowedDrawArea {
 public:
  explicit NarrowedDrawArea(RECT area) {
    DrawState& s = GetDrawState();
    savedArea_ = s.drawArea;
    std::copy(s.drawAreaF, s.drawAreaF + 4, savedAreaF_);
    // The device's viewport is not narrowed: the draws clip against the area themselves, and
    // a viewport change for every cut rectangle would end the device's scene each time.
    D3DHoldViewportArea(&savedArea_);
    ClipRectImpl(&area, &savedArea_);
    s.drawArea = area;
    s.drawAreaF[0] = static_cast<float>(area.left);
    s.drawAreaF[1] = static_cast<float>(area.top);
    s.drawAreaF[2] = static_cast<float>(area.right);
    s.drawAreaF[3] = static_cast<float>(area.bottom);
  }
  ~NarrowedDrawArea() {
    DrawState& s = GetDrawState();
    s.drawArea = savedArea_;
    std::copy(savedAreaF_, savedAreaF_ + 4, s.drawAreaF);
    D3DHoldViewportArea(nullptr);
  }
  NarrowedDrawArea(const NarrowedDrawArea&) = delete;
  NarrowedDrawArea& operator=(const NarrowedDrawArea&) = delete;

 private:
  RECT savedArea_;
  float savedAreaF_[4];
};

uint32_t ScaleChannel(uint32_t value, uint32_t factor) { return BlendMulTable[factor & 0xFF][value & 0xFF]; }

// A draw through the 3D device: the device follows the draw target first, and blend mode 3,
// which the device cannot subtract with, inverts the draw's rectangle before and after an
// additive draw.
template <class Draw>
int DeviceDraw(const RECT& dirty, Draw draw) {
  if (!D3DSyncDrawTarget(GetDrawState().drawArea) || GetDrawState().blendMode != 3) return draw();
  BeginSubtractBlend(dirty);
  const int result = draw();
  EndSubtractBlend(dirty);
  return result;
}

}  // namespace

int DrawGraphImpl(int x, int y, int graph, int transparent) {
  if (DrawingOff()) return 0;
  const GraphRecord* record = DrawableGraph(graph);
  if (!record) return -1;
  if (record->movieHandle >= 0) UpdateMovieToGraph(graph, 0);
  const RECT dirty{x, y, SaturateToInt(static_cast<double>(x) + record->width), SaturateToInt(static_cast<double>(y) + record->height)};
  return RunDraw(dirty, [&] {
    if (record->create.use3D) {
      return DeviceDraw(dirty, [&] {
        return G_D3D_DrawGraph(static_cast<float>(x), static_cast<float>(y), record, transparent, 1);
      });
    }
    return G_DD_DrawGraphF(x, y, record, transparent, 1);
  });
}

int DrawGraphStretchedImpl(int x1, int y1, int x2, int y2, int graph, int transparent) {
  if (DrawingOff()) return 0;
  const GraphRecord* record = DrawableGraph(graph);
  if (!record) return -1;
  if (record->movieHandle >= 0) UpdateMovieToGraph(graph, 0);
  const RECT dirty = Ordered(x1, y1, x2, y2);
  return RunDraw(dirty, [&] {
    if (record->create.use3D) {
      return DeviceDraw(dirty, [&] {
        return G_D3D_DrawGraphStretched(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                                        static_cast<float>(y2), record, transparent, 1);
      });
    }
    return G_SOFT_DrawGraphStretched(x1, y1, x2, y2, record, transparent, 1, -1);
  });
}

int DrawTurnGraph(int x, int y, int graph, int transparent) {
  const GraphRecord* record = GetGraphRecord(graph);
  if (!record) return -1;
  return DrawGraphStretchedImpl(SaturateToInt(static_cast<double>(x) + record->width), y, x,
                                SaturateToInt(static_cast<double>(y) + record->height), graph, transparent);
}

int DrawGraphRotatedImpl(int x, int y, double scale, double angle, int graph, int transparent, int turn) {
  return DrawGraphRotatedF(static_cast<float>(x), static_cast<float>(y), scale, angle, graph, transparent, turn);
}

int DrawGraphRotatedF(float x, float y, double scale, double angle, int graph, int transparent, int turn) {
  if (DrawingOff()) return 0;
  const GraphRecord* record = DrawableGraph(graph);
  if (!record) return -1;
  if (record->movieHandle >= 0) UpdateMovieToGraph(graph, 0);
  const RECT dirty = NeedsDirtyRect() || (record->create.use3D && GetDrawState().blendMode == 3)
                         ? RotatedDirtyRect(SaturateToInt(x), SaturateToInt(y), scale, angle, *record)
                         : RECT{0, 0, 0, 0};
  return RunDraw(dirty, [&] {
    if (record->create.use3D) {
      return DeviceDraw(dirty, [&] { return G_D3D_DrawGraphRotated(x, y, scale, angle, record, transparent, turn); });
    }
    return G_SOFT_DrawGraphRotated(x, y, scale, angle, record, transparent, turn);
  });
}

int DrawGraphQuadF(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int graph,
                   int transparent) {
  if (DrawingOff()) return 0;
  const GraphRecord* record = DrawableGraph(graph);
  if (!record) return -1;
  if (record->movieHandle >= 0) UpdateMovieToGraph(graph, 0);
  const float xs[4] = {x1, x2, x3, x4};
  const float ys[4] = {y1, y2, y3, y4};
  int minX = 0xFFFFFF, minY = 0xFFFFFF, maxX = 0, maxY = 0;
  for (int i = 0; i < 4; ++i) {
    minX = std::min(minX, SaturateToInt(xs[i])), maxX = std::max(maxX, SaturateToInt(xs[i]));
    minY = std::min(minY, SaturateToInt(ys[i])), maxY = std::max(maxY, SaturateToInt(ys[i]));
  }
  const RECT dirty{minX, minY, maxX, maxY};
  return RunDraw(dirty, [&] {
    if (record->create.use3D) {
      return DeviceDraw(dirty, [&] { return G_D3D_DrawGraphQuad(x1, y1, x2, y2, x4, y4, x3, y3, record, transparent); });
    }
    return G_SOFT_DrawGraphQuad(x1, y1, x2, y2, x4, y4, x3, y3, record, transparent);
  });
}

int DrawRectGraphImpl(int x, int y, int srcX, int srcY, int width, int height, int graph, int transparent, int turn) {
  int graphWidth = 0;
  if (turn) {
    const GraphRecord* record = GetGraphRecord(graph);
    if (!record) return -1;
    graphWidth = record->width;
  }
  const NarrowedDrawArea narrowed(RECT{x, y, SaturateToInt(static_cast<double>(x) + width), SaturateToInt(static_cast<double>(y) + height)});
  const int top = SaturateToInt(static_cast<double>(y) - srcY);
  if (!turn) return DrawGraphImpl(SaturateToInt(static_cast<double>(x) - srcX), top, graph, transparent);
  return DrawTurnGraph(SaturateToInt(static_cast<double>(x) - graphWidth + srcX + width), top, graph, transparent);
}

int DrawRectGraphStretchedImpl(int x1, int y1, int x2, int y2, int srcX, int srcY, int srcWidth, int srcHeight,
                               int graph, int transparent) {
  const GraphRecord* record = GetGraphRecord(graph);
  if (!record) return -1;
  // The scale divides by the source size: an empty source has no scale.
  if (srcWidth <= 0 || srcHeight <= 0) return -1;
  const bool flipX = x2 < x1;
  const bool flipY = y2 < y1;
  if (flipX) std::swap(x1, x2);
  if (flipY) std::swap(y1, y2);
  const NarrowedDrawArea narrowed(RECT{x1, y1, x2, y2});
  const double sx = (static_cast<double>(x2) - x1) / srcWidth;
  const double sy = (static_cast<double>(y2) - y1) / srcHeight;
  const int leftPart = SaturateToInt(std::trunc(srcX * sx));
  const int rightPart = SaturateToInt(std::trunc((static_cast<double>(record->width) - srcX) * sx));
  const int topPart = SaturateToInt(std::trunc(srcY * sy));
  const int bottomPart = SaturateToInt(std::trunc((static_cast<double>(record->height) - srcY) * sy));
  const int left = flipX ? SaturateToInt(static_cast<double>(x2) + leftPart) : SaturateToInt(static_cast<double>(x1) - leftPart);
  const int right = flipX ? SaturateToInt(static_cast<double>(x2) - rightPart) : SaturateToInt(static_cast<double>(x1) + rightPart);
  const int top = flipY ? SaturateToInt(static_cast<double>(y2) + topPart) : SaturateToInt(static_cast<double>(y1) - topPart);
  const int bottom = flipY ? SaturateToInt(static_cast<double>(y2) - bottomPart) : SaturateToInt(static_cast<double>(y1) + bottomPart);
  return DrawGraphStretchedImpl(left, top, right, bottom, graph, transparent);
}

int DrawPolygon2D(const PolygonInputVertex* vertices, int count, int type, int graph, int transparent) {
  if (DrawingOff()) return 0;
  const GraphRecord* record = nullptr;
  if (graph != kPolygonNoTexture) {
    record = DrawableGraph(graph);
    if (!record) return -1;
    if (record->movieHandle >= 0) UpdateMovieToGraph(graph, 0);
  }
  if (!vertices || count < 0) return -1;
  int triangles = 0;
  switch (type) {
    case kPolygonTriangleList:
      if (count % 3 != 0) return -1;
      triangles = count / 3;
      break;
    case kPolygonTriangleStrip:
    case kPolygonTriangleFan:
      if (count < 3) return -1;
      triangles = count - 2;
      break;
    default:
      return 0;
  }

  const DrawState& state = GetDrawState();
  auto* converted = static_cast<PolygonVertex*>(RT_ALLOC(sizeof(PolygonVertex) * static_cast<size_t>(count)));
  auto* list = static_cast<VertexTriple*>(RT_ALLOC(sizeof(VertexTriple) * static_cast<size_t>(triangles)));
  if (!converted || !list) {
    MemFree(converted);
    MemFree(list);
    return -1;
  }
  const RECT& offset = state.frontClientRect;
  const bool moved = offset.left != 0 || offset.top != 0;
  const uint32_t bright = state.brightColor;
  float minX = std::numeric_limits<float>::max(), minY = minX;
  float maxX = std::numeric_limits<float>::lowest(), maxY = maxX;
  for (int i = 0; i < count; ++i) {
    const PolygonInputVertex& in = vertices[i];
    PolygonVertex& v = converted[i];
    v.x = moved ? in.x + static_cast<float>(offset.left) : in.x;
    v.y = moved ? in.y + static_cast<float>(offset.top) : in.y;
    v.z = 0.0f;
    v.rhw = 1.0f;
    v.u = in.u;
    v.v = in.v;
    const uint32_t b = ScaleChannel(in.b, bright);
    const uint32_t g = ScaleChannel(in.g, bright >> 8);
    const uint32_t r = ScaleChannel(in.r, bright >> 16);
    const uint32_t a = state.blendMode == 0 ? in.a : ScaleChannel(in.a, static_cast<uint32_t>(state.blendParam));
    v.color = a << 24 | r << 16 | g << 8 | b;
    minX = std::min(minX, in.x), maxX = std::max(maxX, in.x);
    minY = std::min(minY, in.y), maxY = std::max(maxY, in.y);
  }
  for (int t = 0; t < triangles; ++t) {
    VertexTriple& out = list[t];
    if (type == kPolygonTriangleList) {
      out = VertexTriple{{converted[3 * t], converted[3 * t + 1], converted[3 * t + 2]}};
    } else if (type == kPolygonTriangleStrip) {
      if (t == 0) {
        out = VertexTriple{{converted[0], converted[1], converted[2]}};
      } else if (t % 2 == 1) {
        out = VertexTriple{{converted[t + 2], converted[t + 1], converted[t]}};
      } else {
        out = VertexTriple{{converted[t + 2], converted[t], converted[t + 1]}};
      }
    } else {
      const int i = t + 2;
      out = t == 0 ? VertexTriple{{converted[0], converted[1], converted[2]}}
                   : VertexTriple{{converted[i], converted[0], converted[i - 1]}};
    }
  }
  const RECT dirty{SaturateToInt(minX - kPolygonDirtyMargin), SaturateToInt(minY - kPolygonDirtyMargin),
                   SaturateToInt(maxX + kPolygonDirtyMargin), SaturateToInt(maxY + kPolygonDirtyMargin)};
  const bool device = record ? record->create.use3D != 0 : D3DShapesInUse();
  const int result = RunDraw(dirty, [&] {
    if (device) return DeviceDraw(dirty, [&] { return G_D3D_DrawPolygon(list, triangles, record, transparent, 0, 0); });
    return G_DD_DrawPolygon(list, triangles, record, transparent, 1, 0);
  });
  MemFree(converted);
  MemFree(list);
  return result;
}

int DrawLineImpl(int x1, int y1, int x2, int y2, uint32_t color, int thickness) {
  if (thickness > 1) return DrawThickLine(x1, y1, x2, y2, color, thickness);
  if (DrawingOff()) return 0;
  RECT dirty = Ordered(x1, y1, x2, y2);
  dirty.right = SaturateToInt(static_cast<double>(dirty.right) + 1);
  dirty.bottom = SaturateToInt(static_cast<double>(dirty.bottom) + 1);
  if (D3DShapesInUse()) return RunDraw(dirty, [&] { return D3DDrawShape(D3DShape::kLine, x1, y1, x2, y2, color); });
  return RunDraw(dirty, [&] { return G_SOFT_DrawLine(x1, y1, x2, y2, color); });
}

int DrawThickLine(int x1, int y1, int x2, int y2, uint32_t color, int thickness) {
  if (thickness < 1) thickness = 1;
  const double dx = static_cast<double>(x2) - x1;
  const double dy = static_cast<double>(y2) - y1;
  const double length = std::sqrt(dx * dx + dy * dy);
  // The width is laid across the line's direction, which a line without length has not.
  if (length == 0.0) return -1;
  const float px = static_cast<float>(dy * thickness * 0.5 / length);
  const float py = static_cast<float>(-dx * thickness * 0.5 / length);
  int r = 0, g = 0, b = 0;
  GetColorComponents(color, &r, &g, &b);
  const uint8_t cb = static_cast<uint8_t>(b), cg = static_cast<uint8_t>(g), cr = static_cast<uint8_t>(r);
  const float fx1 = static_cast<float>(x1), fy1 = static_cast<float>(y1);
  const float fx2 = static_cast<float>(x2), fy2 = static_cast<float>(y2);
  const PolygonInputVertex quad[4] = {
      {fx1 + px, fy1 + py, 0.0f, 0.0f, cb, cg, cr, 255},
      {fx2 + px, fy2 + py, 0.0f, 0.0f, cb, cg, cr, 255},
      {fx1 - px, fy1 - py, 0.0f, 0.0f, cb, cg, cr, 255},
      {fx2 - px, fy2 - py, 0.0f, 0.0f, cb, cg, cr, 255},
  };
  DrawPolygon2D(quad, 4, kPolygonTriangleStrip, kPolygonNoTexture, 0);
  return 0;
}

int DrawBoxImpl(int x1, int y1, int x2, int y2, uint32_t color, int fillFlag) {
  return fillFlag ? DrawFillBox(x1, y1, x2, y2, color) : DrawLineBox(x1, y1, x2, y2, color);
}

int DrawFillBox(int x1, int y1, int x2, int y2, uint32_t color) {
  if (DrawingOff()) return 0;
  if (D3DShapesInUse()) {
    return RunDraw(Ordered(x1, y1, x2, y2), [&] { return D3DDrawShape(D3DShape::kFillBox, x1, y1, x2, y2, color); });
  }
  return RunDraw(Ordered(x1, y1, x2, y2), [&] { return G_SOFT_DrawFillBox(x1, y1, x2, y2, color); });
}

// The outline is drawn from ordered corners, so that a box given with its corners the other
// way round is the same box.
int DrawLineBox(int x1, int y1, int x2, int y2, uint32_t color) {
  if (DrawingOff()) return 0;
  const RECT box = Ordered(x1, y1, x2, y2);
  if (D3DShapesInUse()) {
    return RunDraw(box, [&] { return D3DDrawShape(D3DShape::kLineBox, x1, y1, x2, y2, color); });
  }
  return RunDraw(box, [&] { return G_DD_DrawLineBox(box.left, box.top, box.right, box.bottom, color); });
}

int DrawCircleImpl(int x, int y, int radius, uint32_t color, int fillFlag) {
  if (DrawingOff()) return 0;
  const RECT dirty{SaturateToInt(static_cast<double>(x) - radius - 1), SaturateToInt(static_cast<double>(y) - radius - 1),
                   SaturateToInt(static_cast<double>(x) + radius + 1), SaturateToInt(static_cast<double>(y) + radius + 1)};
  if (D3DShapesInUse()) {
    return RunDraw(dirty, [&] { return DeviceDraw(dirty, [&] { return G_D3D_DrawCircle(x, y, radius, color, fillFlag); }); });
  }
  return RunDraw(dirty, [&] { return G_SOFT_DrawCircle(x, y, radius, color, fillFlag); });
}

int DrawPixelImpl(int x, int y, uint32_t color) {
  if (DrawingOff()) return 0;
  const RECT dirty{x, y, SaturateToInt(static_cast<double>(x) + 1), SaturateToInt(static_cast<double>(y) + 1)};
  if (D3DShapesInUse()) return RunDraw(dirty, [&] { return D3DDrawShape(D3DShape::kPixel, x, y, x, y, color); });
  return RunDraw(dirty, [&] { return G_SOFT_DrawPixel(x, y, color); });
}

}  // namespace rt
