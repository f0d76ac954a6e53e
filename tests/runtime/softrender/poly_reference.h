// An independent model of the depth-buffered triangle, written from its prose: every pixel
// is found and coloured on its own, with each plane in closed form (origin + row and column
// steps), each edge's x from its segment's first row, the colour rules as the family tables
// give them (lookups in the shared tables, the packed add and subtract channel by channel),
// and no span table. Where the renderer departs from the prose on purpose, so does the
// model: a depth outside 0..1 is held to the Z buffer's range instead of wrapping, a
// texel product far outside the texture never wraps back into it, and a row's first and
// last columns round down, so that a pixel is drawn only when its centre lies between the
// edges (truncating toward zero would draw pixel 0 for a right edge in [0, 0.5)).
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "runtime/display/polygon_vertex.h"
#include "runtime/image/blend_graph.h"
#include "runtime/image/memimg.h"
#include "runtime/softrender/blend_tables.h"

namespace polyref {

struct Options {
  int mode = 0;
  int param = 255;
  uint32_t bright = 0xFFFFFF;
  int transparent = 0;
  int zWrite = 0;
  int vertexColour = 0;
  RECT area{0, 0, 0, 0};
};

inline int64_t Chan(bool k32, uint32_t v, int c) {
  if (k32) return (v >> (8 * c)) & 0xFF;
  return c == 0 ? v & 0x1F : (c == 1 ? (v >> 5) & 0x3F : (v >> 11) & 0x1F);
}
inline int Width(bool k32, int c) { return k32 ? 8 : (c == 1 ? 6 : 5); }
inline uint32_t Pack(bool k32, const int64_t ch[3]) {
  return k32 ? static_cast<uint32_t>(ch[0] | ch[1] << 8 | ch[2] << 16)
             : static_cast<uint32_t>(ch[0] | ch[1] << 5 | ch[2] << 11);
}
inline int64_t Floor(int64_t a, int shift) {
  const int64_t d = int64_t{1} << shift;
  int64_t q = a / d;
  if (a % d != 0 && a < 0) --q;
  return q;
}

// The packed add as the rules describe it: the lowest channel exact, each upper channel
// adding its bits above the lowest, a carry out filling it, the lowest bit the OR of both
// lowest bits and the carry from below; a 32-bit result's fourth byte is the carry out of red.
inline uint32_t PackedAdd(bool k32, uint32_t d, uint32_t s) {
  int64_t out[3];
  const int64_t max0 = k32 ? 255 : 31;
  const int64_t sum0 = Chan(k32, d, 0) + Chan(k32, s, 0);
  bool carry = sum0 > max0;
  out[0] = carry ? max0 : sum0;
  for (int c = 1; c < 3; ++c) {
    const int64_t dc = Chan(k32, d, c), sc = Chan(k32, s, c);
    const int64_t max = (int64_t{1} << Width(k32, c)) - 1;
    const int64_t upper = (dc & ~int64_t{1}) + (sc & ~int64_t{1}) + (carry ? 1 : 0);
    const bool out_carry = upper > max;
    const int64_t low = ((dc | sc) & 1) | (carry ? 1 : 0);
    // A 16-bit green overflow fills only its five upper bits: the guard bit keeps its OR.
    out[c] = out_carry ? (!k32 && c == 1 ? (max & ~int64_t{1}) | low : max) : (upper | low);
    carry = out_carry;
  }
  uint32_t r = Pack(k32, out);
  if (k32 && carry) r |= 0x01000000;
  return r;
}
// The packed subtract: the lowest channel clamped at 0; each upper channel (d OR 1) minus
// (s with its lowest bit cleared) minus the borrow from below, 0 when that borrows.
inline uint32_t PackedSubtract(bool k32, uint32_t d, uint32_t s) {
  int64_t out[3];
  const int64_t diff0 = Chan(k32, d, 0) - Chan(k32, s, 0);
  bool borrow = diff0 < 0;
  out[0] = borrow ? 0 : diff0;
  for (int c = 1; c < 3; ++c) {
    const int64_t v = (Chan(k32, d, c) | 1) - (Chan(k32, s, c) & ~int64_t{1}) - (borrow ? 1 : 0);
    borrow = v < 0;
    out[c] = borrow ? 0 : v;
    // The 16-bit green keeps no guard bit: its lowest bit always ends 0.
    if (!k32 && c == 1) out[c] &= ~int64_t{1};
  }
  return Pack(k32, out);
}

inline int64_t Prod(int64_t k, int64_t v) { return rt::BlendMulTable[k][v]; }

// Texel as the front end found it.
struct Texel {
  uint32_t color;  // direct colour, or the palette entry
  int64_t alpha;
  bool alphaWeight;
};

// The plain half (direct-colour and palettised families alike), per its tables.
inline uint32_t Plain(bool k32, const Options& o, int mode, uint32_t d, const Texel& t, bool graph, int64_t f) {
  const bool white = (o.bright & 0xFFFFFF) == 0xFFFFFF;
  const int64_t K[3] = {o.bright & 0xFF, (o.bright >> 8) & 0xFF, (o.bright >> 16) & 0xFF};
  const int64_t P = o.param;
  int n = 0;
  int64_t Q = 1;
  if (graph) Q *= f, ++n;
  if (t.alphaWeight) Q *= t.alpha, ++n;
  if (mode == 0 && n == 0 && white) return t.color;
  int64_t out[3];
  for (int c = 0; c < 3; ++c) {
    const int64_t raw = Chan(k32, t.color, c);
    const int64_t s = white ? raw : Prod(K[c], raw);
    const int64_t dc = Chan(k32, d, c);
    switch (mode) {
      case 0:
        out[c] = n == 0 ? s : Floor(dc * (int64_t{1} << (8 * n)) + (s - dc) * Q, 8 * n);
        break;
      case 1:
        if (!k32 && n == 0) {
          out[c] = dc + rt::BlendDiffTable[P][rt::kBlendDiffZero + (s - dc)];
        } else {
          out[c] = Floor(dc * (int64_t{1} << (8 * (n + 1))) + (s - dc) * Q * P, 8 * (n + 1));
        }
        break;
      case 2:
      case 3:
        if (k32) {
          out[c] = n == 0 ? Prod(P, s) : (s * Q * P) >> (8 * (n + 1));
        } else if (!graph && !white && t.alphaWeight) {
          out[c] = Prod(P, Prod(K[c], (raw * t.alpha) >> 8));
        } else {
          out[c] = Prod(P, (s * Q) >> (8 * n));
        }
        break;
      default:
        out[c] = (dc * s * Q) >> (Width(k32, c) + 8 * n);
    }
  }
  const uint32_t x = Pack(k32, out);
  if (mode == 2) return PackedAdd(k32, d, x);
  if (mode == 3) return PackedSubtract(k32, d, x);
  return k32 ? (d & 0xFF000000) | x : x;
}

// The vertex-coloured half, per the tables of its three family descriptions.
inline uint32_t Tinted(bool k32, int mode, uint32_t d, const Texel& t, bool graph, int64_t f, const int64_t vc[3],
                       int64_t va) {
  const bool a = t.alphaWeight;
  const int64_t ta = t.alpha;
  int64_t out[3];
  for (int c = 0; c < 3; ++c) {
    const int64_t tc = Chan(k32, t.color, c);
    const int64_t dc = Chan(k32, d, c);
    const int64_t m = (vc[c] * tc) >> 8;
    const int w = Width(k32, c);
    if (mode == 0 || mode == 1) {
      int64_t weights[3];
      int n = 0;
      if (graph) weights[n++] = f;
      if (a) weights[n++] = ta;
      if (mode == 1) weights[n++] = va;
      int64_t M = 1;
      for (int i = 0; i < n; ++i) M *= weights[i];
      out[c] = n == 0 ? m : Floor(dc * (int64_t{1} << (8 * n)) + (m - dc) * M, 8 * n);
    } else if (mode == 2 || mode == 3) {
      if (!graph) {
        out[c] = a ? (vc[c] * tc * va * ta) >> 24 : (vc[c] * tc * va) >> 16;
      } else {
        out[c] = a ? (m * f * va * ta) >> 24 : (vc[c] * tc * f * va) >> 24;
      }
    } else {
      if (!graph) {
        out[c] = a ? (vc[c] * dc * ta * tc) >> (w + 16) : (vc[c] * dc * tc) >> (w + 8);
      } else {
        out[c] = a ? (m * f * dc * ta) >> (w + 16) : (f * vc[c] * dc * tc) >> (w + 16);
      }
    }
  }
  const uint32_t x = Pack(k32, out);
  if (mode == 2) return PackedAdd(k32, d, x);
  if (mode == 3) return PackedSubtract(k32, d, x);
  return k32 ? (d & 0xFF000000) | x : x;
}

struct Segment {
  float x, y, slope;
};

// Draws the triangle as the model describes it. texture must be given (the tests hand the
// white stand-in in themselves when they need it).
inline void Draw(rt::MEMIMG* target, rt::MEMIMG* zBuffer, const rt::MEMIMG* texture, const rt::VertexTriple& tri,
                 const rt::MEMIMG* graph, const Options& o) {
  const bool k32 = target->kind == rt::kMemImgKindXRGB;
  const bool palette = texture->paletteFlag == 1;
  const bool alpha = texture->alphaFlag == 1;
  int mode = o.mode;
  if (!o.vertexColour) {
    if (mode == 1 && o.param == 255) mode = 0;
    if (o.param == 0 && (mode == 1 || mode == 2 || (mode == 3 && !palette))) return;
  }
  if (mode < 0 || mode > 4) return;
  const RECT& area = o.area;

  const rt::PolygonVertex* v = tri.v;
  int ix[3] = {0, 1, 2}, iy[3] = {0, 1, 2};
  std::sort(ix, ix + 3, [&](int a, int b) { return v[a].x < v[b].x; });
  std::sort(iy, iy + 3, [&](int a, int b) { return v[a].y < v[b].y; });
  const rt::PolygonVertex &T = v[iy[0]], &M = v[iy[1]], &B = v[iy[2]];
  const rt::PolygonVertex &P0 = v[ix[0]], &P1 = v[ix[2]], &P2 = v[ix[1]];
  const float zmin = std::min({v[0].z, v[1].z, v[2].z}), zmax = std::max({v[0].z, v[1].z, v[2].z});
  if (float(area.left) > P1.x || float(area.right) <= P0.x || float(area.top) > B.y || float(area.bottom) <= T.y) return;
  if (zmax < 0.0f || zmin >= 1.0f) return;
  if (B.y - T.y < 1.1f || P1.x - P0.x < 1.1f) return;
  const float dx1 = P1.x - P0.x, dy1 = P1.y - P0.y, dx2 = P2.x - P0.x, dy2 = P2.y - P0.y;
  const float D = dx2 * dy1 - dy2 * dx1;
  if (D == 0.0f) return;

  // Planes: W, U, V, Z, R, G, B, A.
  const auto value = [](const rt::PolygonVertex& p, int k) -> float {
    switch (k) {
      case 0: return p.rhw;
      case 1: return p.u * p.rhw;
      case 2: return p.v * p.rhw;
      case 3: return p.z;
      case 4: return float((p.color >> 16) & 0xFF);
      case 5: return float((p.color >> 8) & 0xFF);
      case 6: return float(p.color & 0xFF);
      default: return float(p.color >> 24);
    }
  };
  const double scales[8] = {67108864.0, 67108864.0, 67108864.0, 16777216.0, 16384.0, 16384.0, 16384.0, 16384.0};
  int64_t org[8], sx[8], sy[8];
  for (int k = 0; k < 8; ++k) {
    const float a0 = value(P0, k);
    const float da1 = k >= 4 ? float(int(value(P1, k)) - int(a0)) : value(P1, k) - a0;
    const float da2 = k >= 4 ? float(int(value(P2, k)) - int(a0)) : value(P2, k) - a0;
    const float stepX = (da2 * dy1 - da1 * dy2) / D;
    const float stepY = (da1 * dx2 - da2 * dx1) / D;
    const float origin = a0 - P0.x * stepX - P0.y * stepY;
    org[k] = static_cast<int64_t>(double(origin) * scales[k]);
    sx[k] = static_cast<int64_t>(double(stepX) * scales[k]);
    sy[k] = static_cast<int64_t>(double(stepY) * scales[k]);
  }

  // Edges. A middle vertex whose y has the same integer part as the top's or the bottom's
  // makes that side flat; otherwise the side of the middle vertex bends there, and on the
  // right its lower segment starts one pixel right of it.
  Segment left{}, right{}, lower{};
  bool leftBent = false, rightBent = false;
  const auto seg = [](const rt::PolygonVertex& a, const rt::PolygonVertex& b) {
    return Segment{a.x, a.y, (b.x - a.x) / (b.y - a.y)};
  };
  if (int64_t(T.y) == int64_t(M.y)) {
    const bool tRight = T.x > M.x;
    left = seg(tRight ? M : T, B);
    right = seg(tRight ? T : M, B);
  } else if (int64_t(M.y) == int64_t(B.y)) {
    const bool mRight = M.x > B.x;
    left = seg(T, mRight ? B : M);
    right = seg(T, mRight ? M : B);
  } else {
    const float sM = (M.x - T.x) / (M.y - T.y), sB = (B.x - T.x) / (B.y - T.y);
    if (sB > sM) {
      left = Segment{T.x, T.y, sM}, right = Segment{T.x, T.y, sB}, leftBent = true;
      lower = seg(M, B);
    } else {
      left = Segment{T.x, T.y, sB}, right = Segment{T.x, T.y, sM}, rightBent = true;
      lower = Segment{M.x + 1.0f, M.y, (B.x - M.x - 1.0f) / (B.y - M.y)};
    }
  }
  const int64_t Ytop = static_cast<int64_t>(T.y * 262144.0f);
  const int64_t Ymid = static_cast<int64_t>(M.y * 262144.0f);
  const int64_t Yend = std::min<int64_t>(static_cast<int64_t>(B.y * 262144.0f), int64_t{area.bottom} << 18);
  // First row: the top's y rounded, divisions truncating toward zero.
  int64_t y0 = (Ytop + 131072) / 262144;
  y0 = std::max<int64_t>(y0, area.top);
  const auto slopeFixed = [](float s) {
    return static_cast<int64_t>(std::clamp(s * 262144.0f, -1099511627776.0f, 1099511627776.0f));
  };
  // Both edges are placed on the first row at the distance of its centre from the left
  // edge's start, whatever their own starts; a bent edge keeps its upper segment there
  // and takes the lower one from the first later row whose centre reached the middle
  // vertex, placed from the lower segment's own start. Between, x steps by the slope.
  const float firstDy = (float(y0) + 0.5f) - left.y;
  const auto edgeX = [&](const Segment& upper, bool bent, int64_t y) -> int64_t {
    int64_t switchRow = INT64_MAX;
    if (bent) {
      switchRow = y0 + 1;
      while ((switchRow << 18) + 131072 < Ymid) ++switchRow;
    }
    if (y < switchRow) {
      return static_cast<int64_t>((firstDy * upper.slope + upper.x) * 262144.0f) + (y - y0) * slopeFixed(upper.slope);
    }
    const float dy = float(((switchRow << 18) + 131072)) / 262144.0f - lower.y;
    return static_cast<int64_t>((dy * lower.slope + lower.x) * 262144.0f) + (y - switchRow) * slopeFixed(lower.slope);
  };

  const int bytes = k32 ? 4 : 2;
  const int64_t W = texture->width, H = texture->height;
  const int graphBytes =
      graph ? graph->width * rt::MemImgBytesPerPixel(graph->kind, graph->paletteFlag, graph->alphaFlag) : 0;
  for (int64_t y = y0; (y << 18) + 131072 < Yend; ++y) {
    const int64_t xl = Floor(edgeX(left, leftBent, y) + 131072, 18);
    const int64_t xr = Floor(edgeX(right, rightBent, y) - 131072, 18);
    const int64_t first = std::max<int64_t>(xl, area.left), last = std::min<int64_t>(xr, area.right - 1);
    if (first > last) continue;
    const auto plane = [&](int k, int64_t x) { return org[k] + y * sy[k] + sy[k] / 2 + x * sx[k] + sx[k] / 2; };
    if (plane(0, first) == 0) continue;
    for (int64_t x = first; x <= last; ++x) {
      uint8_t* dp = target->pixels + y * target->pitch + x * bytes;
      if (zBuffer) {
        uint16_t* zp = reinterpret_cast<uint16_t*>(zBuffer->pixels + y * zBuffer->pitch) + x;
        const int64_t z = std::clamp<int64_t>(Floor(plane(3, x), 8), 0, 65535);
        if (*zp < z) continue;
        if (o.zWrite) *zp = static_cast<uint16_t>(z);
      }
      // W exactly 0 has no texel; a negative one divides as the rule has it.
      const int64_t w = plane(0, x);
      if (w == 0) continue;
      const int64_t q = 0x20000000 / w;
      const __int128 tu = (static_cast<__int128>(Floor(plane(1, x), 10)) * q * W) >> 19;
      const __int128 tv = (static_cast<__int128>(Floor(plane(2, x), 10)) * q * H) >> 19;
      if (tu < 0 || tu >= W || tv < 0 || tv >= H) continue;
      int64_t f = 0;
      if (graph) {
        if (tu >= graphBytes || tv >= graph->height) continue;
        f = rt::BlendGraphTable[graph->pixels[int64_t(tv) * graph->pitch + int64_t(tu)]];
      }
      const uint8_t* tp = texture->pixels + int64_t(tv) * texture->pitch;
      Texel t{0, 0, false};
      uint32_t index = 0;
      if (palette) {
        index = tp[int64_t(tu)];
        const uint8_t* pal = texture->paletteTable ? texture->paletteTable : texture->palette;
        std::memcpy(&t.color, pal + index * bytes, bytes);
      } else if (alpha) {
        uint32_t word;
        std::memcpy(&word, tp + int64_t(tu) * 4, 4);
        t.color = k32 ? word : word & 0xFFFF;
        t.alpha = k32 ? word >> 24 : (word >> 16) & 0xFF;
      } else {
        std::memcpy(&t.color, tp + int64_t(tu) * bytes, bytes);
      }
      if (alpha) {
        if (o.transparent && t.alpha == 0 && mode != 4) continue;
        t.alphaWeight = o.transparent ? t.alpha != 255 : true;
      } else if (o.transparent && (palette ? index : t.color) == texture->transparentColor) {
        continue;
      }
      uint32_t d = 0;
      std::memcpy(&d, dp, bytes);
      uint32_t out;
      if (o.vertexColour) {
        const auto byte = [&](int k) { return std::clamp<int64_t>(plane(k, x) / 16384, 0, 255); };
        const int64_t vc[3] = {byte(6), byte(5), byte(4)};
        out = Tinted(k32, mode, d, t, graph != nullptr, f, vc, byte(7));
      } else {
        out = Plain(k32, o, mode, d, t, graph != nullptr, f);
      }
      std::memcpy(dp, &out, bytes);
    }
  }
}

}  // namespace polyref
