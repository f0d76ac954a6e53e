#include "runtime/softrender/texture_triangle.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>

#include "runtime/softrender/raster_loops.h"
#include "runtime/softrender/transform_common.h"

namespace rt {
namespace soft {
namespace {

// 14.18 fixed point: positions carry a half-pixel offset, texture coordinates none.
constexpr int kFractionBits = 18;
constexpr int64_t kUnit = int64_t{1} << kFractionBits;
constexpr int64_t kHalfUnit = kUnit / 2;
// A texture side of more than this many texels has no 14.18 form in 32 bits.
constexpr int kMaxTextureSide = 8192;

// The floor of a fixed-point value. Rounding toward zero would count both -0.5 and 0.5 as
// row 0, so a triangle that starts above row 0 would have its middle row walked, and blended,
// twice.
inline int64_t Whole(int64_t v) { return v >> kFractionBits; }

int32_t SaturateToInt32(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// The untextured fill: the colour with every draw option already applied but the mode.
template <bool k32, int Mode>
uint32_t FillPixel(const SpanJob& j, uint32_t d) {
  const uint32_t col = j.fill;
  const uint32_t p = j.context.param;
  if constexpr (Mode == 0) {
    return col;
  } else if constexpr (k32 && Mode == 1) {
    return MixPixels32(d, col, p);
  } else if constexpr (k32 && Mode == 4) {
    uint32_t out = d & 0xFF000000;
    for (int ch = 0; ch < 3; ++ch) out |= ((Channel<true>(d, ch) * Channel<true>(col, ch)) >> 8) << (8 * ch);
    return out;
  } else if constexpr (Mode == 2 || Mode == 3) {
    uint32_t amount;
    if constexpr (k32) {
      amount = ScalePixel32(col, p);
      return Mode == 2 ? SaturatingAddPixels32(d, amount) : SaturatingSubtractPixels32(d, amount);
    } else {
      amount = PackChannels<false>(MulDiv255(p, Channel<false>(col, 0)), MulDiv255(p, Channel<false>(col, 1)),
                                   MulDiv255(p, Channel<false>(col, 2)));
      return Mode == 2 ? SaturatingAddPixels16(d, amount) : SaturatingSubtractPixels16(d, amount);
    }
  } else if constexpr (Mode == 1) {
    uint32_t out[3];
    for (int ch = 0; ch < 3; ++ch) {
      const int32_t dc = static_cast<int32_t>(Channel<false>(d, ch));
      out[ch] = static_cast<uint32_t>(dc + ScaledDiff(static_cast<int32_t>(p),
                                                      static_cast<int32_t>(Channel<false>(col, ch)) - dc));
    }
    return PackChannels<false>(out[0], out[1], out[2]);
  } else {
    return PackChannels<false>((Channel<false>(d, 0) * Channel<false>(col, 0)) >> 5,
                               (Channel<false>(d, 1) * Channel<false>(col, 1)) >> 6,
                               (Channel<false>(d, 2) * Channel<false>(col, 2)) >> 5);
  }
}

template <bool k32, int Mode>
void FillSpan(const SpanJob& j, uint8_t* dst, int count, uint32_t, uint32_t) {
  for (; count > 0; --count) {
    if constexpr (k32) {
      uint32_t* p = reinterpret_cast<uint32_t*>(dst);
      *p = FillPixel<true, Mode>(j, *p);
      dst += 4;
    } else {
      uint16_t* p = reinterpret_cast<uint16_t*>(dst);
      *p = static_cast<uint16_t>(FillPixel<false, Mode>(j, *p));
      dst += 2;
    }
  }
}

constexpr SpanFn kFillTable[2][5] = {
    {&FillSpan<false, 0>, &FillSpan<false, 1>, &FillSpan<false, 2>, &FillSpan<false, 3>, &FillSpan<false, 4>},
    {&FillSpan<true, 0>, &FillSpan<true, 1>, &FillSpan<true, 2>, &FillSpan<true, 3>, &FillSpan<true, 4>},
};

// One side of the triangle: up to two edges (slots), walked downward.
struct Side {
  int64_t startX[2];
  int64_t slope[2];  // 14.18 units per row
  int rows[2];
  int startRow[2];
  int slot;
};

struct Point {
  int64_t X, Y, U, V;  // 14.18
  int y;               // whole row
};

void SetEdge(Side* side, int slot, const Point& from, const Point& to, int64_t startX) {
  const int rows = to.y - from.y;
  side->startX[slot] = startX;
  side->rows[slot] = rows;
  side->startRow[slot] = from.y;
  side->slope[slot] = rows != 0 ? (to.X - startX) / rows : 0;
}

}  // namespace
}  // namespace soft

void DrawTextureTriangleMemImg(MEMIMG* dest, const MEMIMG* texture, const TexVertexTriple* vertices,
                               int transparentFlag, const MEMIMG* blendImage, uint32_t fillColour) {
  using namespace soft;
  if (dest == nullptr || dest->pixels == nullptr || vertices == nullptr) return;
  if (dest->kind != kMemImgKind565 && dest->kind != kMemImgKindXRGB) return;
  if (dest->paletteFlag || dest->alphaFlag) return;
  if (texture != nullptr) {
    if (texture->kind != dest->kind || !UsableImage(texture)) return;
    if (texture->width > kMaxTextureSide || texture->height > kMaxTextureSide) return;
    if (blendImage != nullptr &&
        (blendImage->pixels == nullptr || blendImage->width < texture->width || blendImage->height < texture->height)) {
      return;
    }
  } else {
    blendImage = nullptr;
  }

  Point pt[3];
  for (int i = 0; i < 3; ++i) {
    const TexVertex& tv = vertices->v[i];
    const int32_t values[4] = {tv.x, tv.y, tv.u, tv.v};
    for (int32_t value : values) {
      if (value < kTriangleCoordMin || value > kTriangleCoordMax) return;
    }
    pt[i] = Point{tv.x * kUnit + kHalfUnit, tv.y * kUnit + kHalfUnit, tv.u * kUnit, tv.v * kUnit, tv.y};
  }

  // The same exchange pass orders by x and by y; equal coordinates keep their order.
  int byX[3] = {0, 1, 2}, byY[3] = {0, 1, 2};
  for (int i = 0; i < 2; ++i) {
    for (int k = i + 1; k < 3; ++k) {
      if (pt[byX[i]].X > pt[byX[k]].X) std::swap(byX[i], byX[k]);
      if (pt[byY[i]].Y > pt[byY[k]].Y) std::swap(byY[i], byY[k]);
    }
  }

  const TexVertex& A = vertices->v[byX[0]];
  const TexVertex& B = vertices->v[byX[1]];
  const TexVertex& C = vertices->v[byX[2]];
  const int64_t dxAB = B.x - A.x, dyAB = B.y - A.y, duAB = B.u - A.u, dvAB = B.v - A.v;
  const int64_t dxAC = C.x - A.x, dyAC = C.y - A.y, duAC = C.u - A.u, dvAC = C.v - A.v;
  const int64_t det = dyAB * dxAC - dyAC * dxAB;
  if (det == 0) return;
  const double scale = static_cast<double>(kUnit) / static_cast<double>(det);
  const int32_t dudx = SaturateToInt32(static_cast<double>(dyAB * duAC - dyAC * duAB) * scale);
  const int32_t dudy = SaturateToInt32(static_cast<double>(duAB * dxAC - duAC * dxAB) * scale);
  const int32_t dvdx = SaturateToInt32(static_cast<double>(dyAB * dvAC - dyAC * dvAB) * scale);
  const int32_t dvdy = SaturateToInt32(static_cast<double>(dvAB * dxAC - dvAC * dxAB) * scale);
  const int64_t xRef = A.x, yRef = A.y;
  const uint32_t uRef = static_cast<uint32_t>(A.u * kUnit), vRef = static_cast<uint32_t>(A.v * kUnit);

  // The loop for the draw state, chosen once.
  const DrawState& state = GetDrawState();
  SpanJob job{};
  SpanFn span = nullptr;
  job.context = MakeBlendContext(state, texture);
  if (texture != nullptr) {
    const SrcForm form = FormOfImage(texture);
    const BlendChoice choice = ChooseBlend(Rules::kRotated, form, state.blendMode, state.blendParam,
                                           state.brightColor, blendImage != nullptr, true, false);
    if (!choice.draw) return;
    const Transp transp = transparentFlag != 0 ? Transp::kTest : Transp::kNone;
    span = ActiveRasterLoops()->texturedSpan(
        BlendIndex(choice.form, choice.mode, choice.graph, choice.white, transp, choice.special));
    job.texels = texture->pixels;
    job.texPitch = texture->pitch;
    job.limitU = static_cast<uint32_t>(texture->width * kUnit);
    job.limitV = static_cast<uint32_t>(texture->height * kUnit);
    if (blendImage) {
      job.graph = blendImage->pixels;
      job.graphPitch = blendImage->pitch;
    }
  } else {
    int mode = state.blendMode;
    const uint32_t p = job.context.param;
    if (mode < 0 || mode > 4) return;
    if (mode == 1 && p == 255) mode = 0;
    if (mode >= 1 && mode <= 3 && p == 0) return;
    const bool k32 = dest->kind == kMemImgKindXRGB;
    const uint32_t* b = job.context.bright;
    if (k32) {
      job.fill = (fillColour & 0xFF000000) |
                 PackChannels<true>(MulDiv255(b[0], Channel<true>(fillColour, 0)),
                                    MulDiv255(b[1], Channel<true>(fillColour, 1)),
                                    MulDiv255(b[2], Channel<true>(fillColour, 2)));
    } else {
      const uint32_t c = fillColour & 0xFFFF;
      job.fill = PackChannels<false>(MulDiv255(b[0], Channel<false>(c, 0)), MulDiv255(b[1], Channel<false>(c, 1)),
                                     MulDiv255(b[2], Channel<false>(c, 2)));
    }
    span = kFillTable[k32 ? 1 : 0][mode];
  }
  if (span == nullptr) return;
  job.dstPitch = dest->pitch;
  if (texture != nullptr) {
    const uintptr_t d = reinterpret_cast<uintptr_t>(dest->pixels), t = reinterpret_cast<uintptr_t>(texture->pixels);
    const uintptr_t dEnd = d + static_cast<size_t>(dest->pitch) * static_cast<size_t>(dest->height);
    const uintptr_t tEnd = t + static_cast<size_t>(texture->pitch) * static_cast<size_t>(texture->height);
    job.copyRepeatedRows = dEnd <= t || tEnd <= d;
  }
  job.dudx = static_cast<uint32_t>(dudx);
  job.dvdx = static_cast<uint32_t>(dvdx);

  // The edges of each side, from the order by y.
  const Point& T = pt[byY[0]];
  const Point& M = pt[byY[1]];
  const Point& L = pt[byY[2]];
  Side left{}, right{};
  if (T.Y == M.Y) {
    const Point& leftTop = M.X < T.X ? M : T;
    const Point& rightTop = M.X < T.X ? T : M;
    SetEdge(&left, 1, leftTop, L, leftTop.X);
    SetEdge(&right, 1, rightTop, L, rightTop.X);
    left.startRow[1] = T.y;
    left.slot = right.slot = 1;
  } else if (M.Y == L.Y) {
    const Point& leftBottom = L.X < M.X ? L : M;
    const Point& rightBottom = L.X < M.X ? M : L;
    SetEdge(&left, 1, T, leftBottom, T.X);
    SetEdge(&right, 1, T, rightBottom, T.X);
    left.slot = right.slot = 1;
  } else {
    const double longSlope = static_cast<double>(L.X - T.X) / (L.y - T.y);
    const double shortSlope = static_cast<double>(M.X - T.X) / (M.y - T.y);
    if (longSlope > shortSlope) {
      SetEdge(&left, 0, T, M, T.X);
      SetEdge(&left, 1, M, L, M.X);
      SetEdge(&right, 1, T, L, T.X);
      left.slot = 0;
      right.slot = 1;
    } else {
      SetEdge(&right, 0, T, M, T.X);
      // The lower right edge starts one unit right of the middle vertex.
      SetEdge(&right, 1, M, L, M.X + 1);
      SetEdge(&left, 1, T, L, T.X);
      right.slot = 0;
      left.slot = 1;
    }
  }
  if (left.rows[left.slot] <= 0 || right.rows[right.slot] <= 0) return;

  const RECT clip = DestClip(dest);
  const int bytes = dest->kind == kMemImgKindXRGB ? 4 : 2;
  int y = left.startRow[left.slot];
  int64_t lx = left.startX[left.slot], rx = right.startX[right.slot];
  int leftRows = left.rows[left.slot], rightRows = right.rows[right.slot];
  for (;;) {
    int64_t xl = Whole(lx);
    const int64_t xr = Whole(rx);
    int64_t count = xr - xl + 1;
    if (xl < clip.left) {
      count -= clip.left - xl;
      xl = clip.left;
    }
    if (!(y >= clip.top && y < clip.bottom && xl < clip.right && count > 0)) {
      job.aboveCount = 0;  // the next row has no drawn row above it
    } else {
      count = std::min<int64_t>(count, clip.right - xl);
      const uint32_t ox = static_cast<uint32_t>(xl - xRef), oy = static_cast<uint32_t>(y - yRef);
      const uint32_t u = uRef + ox * static_cast<uint32_t>(dudx) + oy * static_cast<uint32_t>(dudy);
      const uint32_t v = vRef + ox * static_cast<uint32_t>(dvdx) + oy * static_cast<uint32_t>(dvdy);
      span(job, dest->pixels + int64_t{y} * dest->pitch + xl * bytes, static_cast<int>(count), u, v);
    }
    lx += left.slope[left.slot];
    rx += right.slope[right.slot];
    ++y;
    --leftRows;
    --rightRows;
    if (leftRows == 0) {
      if (left.slot == 1) break;
      left.slot = 1;
      lx = left.startX[1];
      y = left.startRow[1];
      leftRows = left.rows[1];
      if (leftRows <= 0) break;
    }
    if (rightRows == 0) {
      if (right.slot == 1) break;
      right.slot = 1;
      rx = right.startX[1];
      rightRows = right.rows[1];
      if (rightRows <= 0) break;
    }
  }
}

void DrawQuadMemImg(MEMIMG* dest, const MEMIMG* texture, const int32_t corners[8], int transparentFlag,
                    const MEMIMG* blendImage) {
  if (dest == nullptr || texture == nullptr || corners == nullptr) return;
  int64_t minX = corners[0], maxX = corners[0], minY = corners[1], maxY = corners[1];
  for (int i = 1; i < 4; ++i) {
    minX = std::min<int64_t>(minX, corners[2 * i]);
    maxX = std::max<int64_t>(maxX, corners[2 * i]);
    minY = std::min<int64_t>(minY, corners[2 * i + 1]);
    maxY = std::max<int64_t>(maxY, corners[2 * i + 1]);
  }
  // Two pixels of margin before the corners and four after, as the rotated blit's box.
  auto toInt = [](int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max()));
  };
  RECT box{toInt(minX - 2), toInt(minY - 2), toInt(maxX + 4), toInt(maxY + 4)};
  ClipRectImpl(&box, &GetDrawState().drawArea);
  if (box.left == box.right || box.top == box.bottom) return;

  const int w = texture->width, h = texture->height;
  const TexVertex quad[4] = {
      {corners[0], corners[1], 0, 0},
      {corners[2], corners[3], w, 0},
      {corners[4], corners[5], 0, h},
      {corners[6], corners[7], w, h},
  };
  const TexVertexTriple first{{quad[0], quad[1], quad[2]}};
  const TexVertexTriple second{{quad[1], quad[2], quad[3]}};
  DrawTextureTriangleMemImg(dest, texture, &first, transparentFlag, blendImage, 0);
  DrawTextureTriangleMemImg(dest, texture, &second, transparentFlag, blendImage, 0);
}

}  // namespace rt
