#include "runtime/softrender/poly_setup.h"

#include <algorithm>
#include <cmath>

namespace rt::soft {
namespace {

// Positions are 14.18 fixed point.
constexpr int kPosShift = 18;
constexpr float kPosScale = 262144.0f;
constexpr int64_t kHalfPixel = int64_t{1} << (kPosShift - 1);
constexpr int64_t kOnePixel = int64_t{1} << kPosShift;
// Triangles less than this many pixels tall or wide are not drawn.
constexpr float kMinExtent = 1.1f;
// Limits of the fixed-point values, chosen so that no sum the loops form leaves 64 bits. A
// conversion beyond them means the triangle draws nothing.
constexpr double kPlaneOriginLimit = 140737488355328.0;  // 2^47
constexpr double kPlaneStepLimit = 1099511627776.0;       // 2^40
constexpr float kPositionLimit = 140737488355328.0f;     // 2^47
// An edge slope is only stepped over the rows its segment covers, which a huge slope never
// has more than one of; it is held to this.
constexpr float kSlopeLimit = 1099511627776.0f;  // 2^40

bool ToFixed(double v, double limit, int64_t* out) {
  if (!(std::fabs(v) < limit)) return false;
  *out = static_cast<int64_t>(v);
  return true;
}

bool ToPosition(float v, int64_t* out) {
  if (!(std::fabs(v) < kPositionLimit)) return false;
  *out = static_cast<int64_t>(v);
  return true;
}

int64_t SlopeToFixed(float slope) {
  const float s = slope * kPosScale;
  if (!(s == s)) return 0;
  return static_cast<int64_t>(std::clamp(s, -kSlopeLimit, kSlopeLimit));
}

// One segment of an edge: a start point and dx per dy.
struct Segment {
  float x, y, slope;
};

struct Edge {
  Segment first;
  Segment second;
  bool hasSecond = false;
  bool switched = false;
  int64_t switchY = 0;  // the row position (14.18) from which the second segment holds
  int64_t x = 0;        // at the current row's centre, 14.18
  int64_t step = 0;
};

Segment Between(const PolygonVertex& from, const PolygonVertex& to) {
  return Segment{from.x, from.y, (to.x - from.x) / (to.y - from.y)};
}

// The edge's x at the row centre yc from the segment in use, dy measured from y (the
// start of the left edge's segment on the first row, the segment's own start after a
// switch); false when it cannot be held.
bool PlaceEdge(Edge* e, float dy) {
  const Segment& s = e->switched ? e->second : e->first;
  e->step = SlopeToFixed(s.slope);
  return ToPosition((dy * s.slope + s.x) * kPosScale, &e->x);
}

// Moves the edge to its second segment once the row at Y has reached the middle vertex.
inline __attribute__((always_inline)) bool SwitchIfDue(Edge* e, int64_t y) {
  if (!e->hasSecond || e->switched || e->switchY > y) return true;
  e->switched = true;
  return PlaceEdge(e, static_cast<float>(y) / kPosScale - e->second.y);
}

// Division by one pixel, truncating toward zero (the first row's rule).
int64_t WholePixels(int64_t fixed) { return fixed / kOnePixel; }
// Division by one pixel rounding down (the columns' rule): a right edge in [0, 0.5) then
// leaves pixel 0, whose centre lies right of it, as it leaves every other such pixel.
int64_t PixelsBelow(int64_t fixed) { return fixed >> kPosShift; }

bool AllFinite(const VertexTriple& t) {
  for (const PolygonVertex& v : t.v) {
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z) || !std::isfinite(v.rhw) ||
        !std::isfinite(v.u) || !std::isfinite(v.v)) {
      return false;
    }
  }
  return true;
}

// The value of plane p at a vertex, as the gradients take it.
float PlaneAt(const PolygonVertex& v, int p) {
  switch (p) {
    case kPlaneW: return v.rhw;
    case kPlaneU: return v.u * v.rhw;
    case kPlaneV: return v.v * v.rhw;
    case kPlaneZ: return v.z;
    case kPlaneR: return static_cast<float>((v.color >> 16) & 0xFF);
    case kPlaneG: return static_cast<float>((v.color >> 8) & 0xFF);
    case kPlaneB: return static_cast<float>(v.color & 0xFF);
    default: return static_cast<float>(v.color >> 24);
  }
}

int ColourByte(const PolygonVertex& v, int p) {
  switch (p) {
    case kPlaneR: return static_cast<int>((v.color >> 16) & 0xFF);
    case kPlaneG: return static_cast<int>((v.color >> 8) & 0xFF);
    case kPlaneB: return static_cast<int>(v.color & 0xFF);
    default: return static_cast<int>(v.color >> 24);
  }
}

double PlaneScale(int p) {
  if (p <= kPlaneV) return 67108864.0;  // 2^26
  if (p == kPlaneZ) return 16777216.0;  // 2^24
  return 16384.0;                       // 2^14
}

}  // namespace

bool SetUpPolygonTriangle(const VertexTriple& triangle, const RECT& area, int planes, PolyFrame* frame,
                          int* firstRow) {
  if (!AllFinite(triangle)) return false;
  const PolygonVertex* byX[3] = {&triangle.v[0], &triangle.v[1], &triangle.v[2]};
  const PolygonVertex* byY[3] = {&triangle.v[0], &triangle.v[1], &triangle.v[2]};
  std::sort(byX, byX + 3, [](const PolygonVertex* a, const PolygonVertex* b) { return a->x < b->x; });
  std::sort(byY, byY + 3, [](const PolygonVertex* a, const PolygonVertex* b) { return a->y < b->y; });
  const float minZ = std::min({triangle.v[0].z, triangle.v[1].z, triangle.v[2].z});
  const float maxZ = std::max({triangle.v[0].z, triangle.v[1].z, triangle.v[2].z});
  const PolygonVertex& top = *byY[0];
  const PolygonVertex& middle = *byY[1];
  const PolygonVertex& bottom = *byY[2];

  if (static_cast<float>(area.left) > byX[2]->x || static_cast<float>(area.right) <= byX[0]->x ||
      static_cast<float>(area.top) > bottom.y || static_cast<float>(area.bottom) <= top.y) {
    return false;
  }
  if (maxZ < 0.0f || minZ >= 1.0f) return false;
  if (bottom.y - top.y < kMinExtent || byX[2]->x - byX[0]->x < kMinExtent) return false;

  // Gradients: each plane over the screen from the vertices of smallest, largest and middle x.
  const PolygonVertex& p0 = *byX[0];
  const PolygonVertex& p1 = *byX[2];
  const PolygonVertex& p2 = *byX[1];
  const float dx1 = p1.x - p0.x, dy1 = p1.y - p0.y;
  const float dx2 = p2.x - p0.x, dy2 = p2.y - p0.y;
  const float det = dx2 * dy1 - dy2 * dx1;
  if (det == 0.0f) return false;
  float origin[kPlaneCount], stepX[kPlaneCount], stepY[kPlaneCount];
  for (int p = 0; p < planes; ++p) {
    float a0, da1, da2;
    if (p >= kPlaneR) {
      a0 = static_cast<float>(ColourByte(p0, p));
      da1 = static_cast<float>(ColourByte(p1, p) - ColourByte(p0, p));
      da2 = static_cast<float>(ColourByte(p2, p) - ColourByte(p0, p));
    } else {
      a0 = PlaneAt(p0, p);
      da1 = PlaneAt(p1, p) - a0;
      da2 = PlaneAt(p2, p) - a0;
    }
    stepX[p] = (da2 * dy1 - da1 * dy2) / det;
    stepY[p] = (da1 * dx2 - da2 * dx1) / det;
    origin[p] = a0 - p0.x * stepX[p] - p0.y * stepY[p];
  }

  // Edges, from the vertices sorted by y. A middle vertex in the same integer row as the
  // top or the bottom makes that side flat: both edges are then straight.
  Edge left, right;
  int64_t topFixed, middleFixed, bottomFixed;
  if (!ToPosition(top.y * kPosScale, &topFixed) || !ToPosition(middle.y * kPosScale, &middleFixed) ||
      !ToPosition(bottom.y * kPosScale, &bottomFixed)) {
    return false;
  }
  const int64_t topRow = static_cast<int64_t>(top.y);
  const int64_t middleRow = static_cast<int64_t>(middle.y);
  const int64_t bottomRow = static_cast<int64_t>(bottom.y);
  if (topRow == middleRow) {
    const bool topIsRight = top.x > middle.x;
    left.first = Between(topIsRight ? middle : top, bottom);
    right.first = Between(topIsRight ? top : middle, bottom);
  } else if (middleRow == bottomRow) {
    const bool middleIsRight = middle.x > bottom.x;
    left.first = Between(top, middleIsRight ? bottom : middle);
    right.first = Between(top, middleIsRight ? middle : bottom);
  } else {
    const float slopeMiddle = (middle.x - top.x) / (middle.y - top.y);
    const float slopeBottom = (bottom.x - top.x) / (bottom.y - top.y);
    Edge& bent = slopeBottom > slopeMiddle ? left : right;
    Edge& straight = slopeBottom > slopeMiddle ? right : left;
    bent.first = Segment{top.x, top.y, slopeMiddle};
    // The right side's lower segment starts one pixel right of the middle vertex.
    const float shift = &bent == &right ? 1.0f : 0.0f;
    bent.second = Segment{middle.x + shift, middle.y, (bottom.x - middle.x - shift) / (bottom.y - middle.y)};
    bent.hasSecond = true;
    bent.switchY = middleFixed;
    straight.first = Segment{top.x, top.y, slopeBottom};
  }

  // The first row is the top's y rounded to a row; both edges start on it from their upper
  // segments, placed at the left edge's distance from its start.
  int64_t y0 = WholePixels(topFixed + kHalfPixel);
  y0 = std::max<int64_t>(y0, area.top);
  const int64_t yEnd = std::min<int64_t>(bottomFixed, static_cast<int64_t>(area.bottom) << kPosShift);
  int64_t y = (y0 << kPosShift) + kHalfPixel;
  const float firstDy = (static_cast<float>(y0) + 0.5f) - left.first.y;
  if (!PlaceEdge(&left, firstDy) || !PlaceEdge(&right, firstDy)) return false;

  PolygonSpanTable& table = GetPolygonSpanTable();
  const size_t capacity = static_cast<size_t>(std::max<int64_t>(0, static_cast<int64_t>(area.bottom) - area.top));
  if (table.rows.size() < capacity) table.rows.resize(capacity);
  int rows = 0;
  while (y < yEnd && static_cast<size_t>(rows) < capacity) {
    int64_t first = PixelsBelow(left.x + kHalfPixel);
    const int64_t last = PixelsBelow(right.x - kHalfPixel);
    int64_t count = last - first + 1;
    if (first < area.left) {
      count -= area.left - first;
      first = area.left;
    }
    if (first + count > area.right) count = area.right - first;
    if (count <= 0) count = 0;
    table.rows[static_cast<size_t>(rows++)] = PolySpan{static_cast<int32_t>(count > 0 ? first : area.left),
                                                       static_cast<int32_t>(count)};
    left.x += left.step;
    right.x += right.step;
    y += kOnePixel;
    if (!SwitchIfDue(&left, y) || !SwitchIfDue(&right, y)) return false;
  }

  for (int p = planes; p < kPlaneCount; ++p) frame->row[p] = frame->stepX[p] = frame->stepY[p] = 0;
  for (int p = 0; p < planes; ++p) {
    const double scale = PlaneScale(p);
    int64_t o, sx, sy;
    if (!ToFixed(static_cast<double>(origin[p]) * scale, kPlaneOriginLimit, &o) ||
        !ToFixed(static_cast<double>(stepX[p]) * scale, kPlaneStepLimit, &sx) ||
        !ToFixed(static_cast<double>(stepY[p]) * scale, kPlaneStepLimit, &sy)) {
      return false;
    }
    frame->row[p] = o + y0 * sy + sy / 2;
    frame->stepX[p] = sx;
    frame->stepY[p] = sy;
  }
  frame->spans = table.rows.data();
  frame->rows = rows;
  *firstRow = static_cast<int>(y0);
  return true;
}

}  // namespace rt::soft
