#include "runtime/softrender/poly_spans.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace rt::soft {

PolygonSpanTable& GetPolygonSpanTable() {
  static PolygonSpanTable table;
  return table;
}

namespace {

struct PolyOptions {
  SrcForm form;
  bool vertexColour;
  int mode;
  bool graph;
  bool white;
  bool transparent;
};

// The texel of one pixel after the front end: its colour word (a palette entry for a
// palettised texture), its alpha, and whether the alpha weighs the rule.
struct Texel {
  uint32_t color;
  uint32_t alpha;
  bool alphaWeight;
};

// d * 2^shift + (s - d) * w, floored by 2^shift: the mix of every weighted rule.
RT_SOFT_INLINE int64_t Mix(int64_t d, int64_t s, int64_t w, int shift) { return (d * (int64_t{1} << shift) + (s - d) * w) >> shift; }

// The plain half: texel colour, bright colour, blend parameter and blend graph.
template <PolyOptions O>
RT_SOFT_INLINE uint32_t PlainRule(const PolyFrame& f, uint32_t d, const Texel& t, uint32_t factor) {
  constexpr bool k32 = Is32(O.form);
  int n = 0;
  int64_t q = 1;
  if constexpr (O.graph) q = factor, n = 1;
  if (t.alphaWeight) q *= t.alpha, ++n;
  const int64_t p = f.param;

  if constexpr (O.mode == 0) {
    if (n == 0) {
      // Unweighted and untinted, the texel replaces the pixel whole, fourth byte included.
      if constexpr (O.white) return t.color;
    }
  }
  uint32_t out[3];
  for (int c = 0; c < 3; ++c) {
    const uint32_t raw = Channel<k32>(t.color, c);
    const int64_t s = O.white ? raw : MulDiv255(f.bright[c], raw);
    const int64_t dc = Channel<k32>(d, c);
    int64_t v = 0;
    if constexpr (O.mode == 0) {
      v = n == 0 ? s : Mix(dc, s, q, 8 * n);
    } else if constexpr (O.mode == 1) {
      v = (!k32 && n == 0) ? dc + ScaledDiff(static_cast<int32_t>(p), static_cast<int32_t>(s - dc))
                           : Mix(dc, s, q * p, 8 * (n + 1));
    } else if constexpr (O.mode == 2 || O.mode == 3) {
      if constexpr (k32) {
        v = n == 0 ? MulDiv255(static_cast<uint32_t>(p), static_cast<uint32_t>(s)) : (s * q * p) >> (8 * (n + 1));
      } else if (!O.graph && !O.white && n == 1) {
        // With the alpha as the only weight and a tint, the 16-bit rule weighs the raw
        // channel before the bright step.
        v = MulDiv255(static_cast<uint32_t>(p), MulDiv255(f.bright[c], (raw * t.alpha) >> 8));
      } else {
        v = MulDiv255(static_cast<uint32_t>(p), static_cast<uint32_t>((s * q) >> (8 * n)));
      }
    } else {
      v = (dc * s * q) >> (ChannelBits<k32>(c) + 8 * n);
    }
    out[c] = static_cast<uint32_t>(v);
  }
  const uint32_t x = PackChannels<k32>(out[0], out[1], out[2]);
  if constexpr (O.mode == 2) return k32 ? SaturatingAddPixels32(d, x) : SaturatingAddPixels16(d, x);
  if constexpr (O.mode == 3) return k32 ? SaturatingSubtractPixels32(d, x) : SaturatingSubtractPixels16(d, x);
  return k32 ? (d & 0xFF000000) | x : x;
}

// The vertex-coloured half: the texel times the interpolated vertex colour, weighted by the
// vertex alpha in modes 1 to 3.
template <PolyOptions O>
RT_SOFT_INLINE uint32_t VertexColourRule(uint32_t d, const Texel& t, uint32_t factor, const uint32_t vc[3],
                                         uint32_t va) {
  constexpr bool k32 = Is32(O.form);
  const bool a = t.alphaWeight;
  uint32_t out[3];
  for (int c = 0; c < 3; ++c) {
    const int64_t tc = Channel<k32>(t.color, c);
    const int64_t cc = vc[c];
    const int64_t m = (cc * tc) >> 8;
    const int64_t dc = Channel<k32>(d, c);
    int64_t v = 0;
    if constexpr (O.mode == 0 || O.mode == 1) {
      int n = 0;
      int64_t q = 1;
      if constexpr (O.graph) q = factor, n = 1;
      if (a) q *= t.alpha, ++n;
      if constexpr (O.mode == 1) q *= va, ++n;
      v = n == 0 ? m : Mix(dc, m, q, 8 * n);
    } else if constexpr (O.mode == 2 || O.mode == 3) {
      if (!O.graph && !a) {
        v = (cc * tc * va) >> 16;
      } else if (!O.graph) {
        v = (cc * tc * va * t.alpha) >> 24;
      } else if (!a) {
        v = (cc * tc * factor * va) >> 24;
      } else {
        v = (m * factor * va * t.alpha) >> 24;
      }
    } else {
      const int w = ChannelBits<k32>(c);
      if (!O.graph && !a) {
        v = (cc * dc * tc) >> (w + 8);
      } else if (!O.graph) {
        v = (cc * dc * t.alpha * tc) >> (w + 16);
      } else if (!a) {
        v = (factor * cc * dc * tc) >> (w + 16);
      } else {
        v = (m * factor * dc * t.alpha) >> (w + 16);
      }
    }
    out[c] = static_cast<uint32_t>(v);
  }
  const uint32_t x = PackChannels<k32>(out[0], out[1], out[2]);
  if constexpr (O.mode == 2) return k32 ? SaturatingAddPixels32(d, x) : SaturatingAddPixels16(d, x);
  if constexpr (O.mode == 3) return k32 ? SaturatingSubtractPixels32(d, x) : SaturatingSubtractPixels16(d, x);
  return k32 ? (d & 0xFF000000) | x : x;
}

// The last W a span divided by, its quotient and (for the uniform texture's runs) the
// largest plane value inside the texture.
struct PerspectiveCache {
  int64_t w;
  int64_t q;
  int64_t limit;
};

// A colour plane's byte at the pixel: planes are evaluated at pixel centres from truncated
// values, so near an edge they can step just outside 0..255; they are held to it.
RT_SOFT_INLINE uint32_t PlaneByte(int64_t v) {
  const int64_t c = v / (int64_t{1} << kPolyColourShift);
  return static_cast<uint32_t>(c < 0 ? 0 : (c > 255 ? 255 : c));
}

// A texel position from its plane value (u * rhw or v * rhw) and the perspective quotient,
// in wide arithmetic, so a product far outside the texture can never wrap back into it.
RT_SOFT_INLINE __int128 TexelPosition(int64_t plane, int64_t q, int32_t size) {
  return (static_cast<__int128>(plane >> 10) * q * size) >> 19;
}

// Along a span of fixed W, position(i) = TexelPosition(plane + i * step, q, size) never
// turns back. The first i in [lo, count) where a test holds that is false and then true along
// the span (count: none), from a guess: the guess only decides how far the exact test has to
// walk, so a rough one (in floating point, from the positions' slope) costs time, never
// pixels.
template <class Test>
RT_SOFT_INLINE int FirstWhere(int lo, int count, double guess, Test test) {
  int i = !(guess >= lo) ? lo : (!(guess <= count) ? count : static_cast<int>(guess));
  while (i > lo && test(i - 1)) --i;
  while (i < count && !test(i)) ++i;
  return i;
}

// Where along a span the texel positions lie inside 0..size - 1: with W fixed along the span,
// the pixels inside form one run [*first, *end).
void InsideRun(int64_t plane, int64_t step, int64_t q, int32_t size, int count, int* first, int* end) {
  const auto position = [&](int i) { return TexelPosition(plane + i * step, q, size); };
  if (step == 0 || q == 0) {
    const __int128 p = position(0);
    const bool inside = p >= 0 && p < size;
    *first = inside ? 0 : count;
    *end = count;
    return;
  }
  // Where the unrounded position reaches 0 and size.
  const double atZero = -static_cast<double>(plane) / static_cast<double>(step);
  const double atSize =
      (static_cast<double>(int64_t{1} << 29) / static_cast<double>(q) - static_cast<double>(plane)) /
      static_cast<double>(step);
  if (step > 0) {
    *first = FirstWhere(0, count, atZero, [&](int i) { return position(i) >= 0; });
    *end = FirstWhere(*first, count, atSize, [&](int i) { return position(i) >= size; });
  } else {
    *first = FirstWhere(0, count, atSize, [&](int i) { return position(i) < size; });
    *end = FirstWhere(*first, count, atZero, [&](int i) { return position(i) < 0; });
  }
}

// The pixels i in [0, count) whose plane value v0 + i * step lies in [lo, hi], as
// [*first, *end) (empty when *first >= *end).
RT_SOFT_INLINE void PlaneRun(int64_t v0, int64_t step, int64_t lo, int64_t hi, int count, int* first, int* end) {
  const auto floorDiv = [](int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
  };
  const auto ceilDiv = [](int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) == (b < 0))) ? q + 1 : q;
  };
  int64_t from = 0, to = count;
  const int64_t last = v0 + (count - 1) * step;
  if (v0 >= lo && v0 <= hi && last >= lo && last <= hi) {
    // Both ends inside: so is every pixel between (the common case, without a division).
  } else if (step == 0) {
    if (v0 < lo || v0 > hi) to = 0;
  } else if (step > 0) {
    from = std::max<int64_t>(from, ceilDiv(lo - v0, step));
    to = std::min<int64_t>(to, floorDiv(hi - v0, step) + 1);
  } else {
    from = std::max<int64_t>(from, ceilDiv(hi - v0, step));
    to = std::min<int64_t>(to, floorDiv(lo - v0, step) + 1);
  }
  *first = static_cast<int>(std::clamp<int64_t>(from, 0, count));
  *end = static_cast<int>(std::clamp<int64_t>(to, 0, count));
}

// With a positive q, a texel position (TexelPosition) lies inside 0..size - 1 exactly when
// 0 <= (plane >> 10) * q < 2^19, whatever the size: when the plane lies in [0, this].
RT_SOFT_INLINE int64_t InsidePlaneLimit(int64_t q) { return (((int64_t{1} << 19) - 1) / q + 1) * 1024 - 1; }

// Spans shorter than this, or crossing more texels per pixel than this, are walked pixel by
// pixel even where they could be filled in runs.
constexpr int kMinRunSpan = 16;
constexpr double kMaxTexelsPerPixel = 0.25;

template <PolyOptions O>
struct PolySpanLoop {
  static constexpr bool k32 = Is32(O.form);
  static constexpr int kBytes = k32 ? 4 : 2;
  static constexpr bool kAlpha = HasAlpha(O.form);
  static constexpr bool kPalette = IsPalette(O.form);
  static constexpr bool kVertexAlpha = O.vertexColour && O.mode >= 1 && O.mode <= 3;
  static constexpr int kPlanes = O.vertexColour ? (kVertexAlpha ? kPlaneCount : kPlaneA) : kPlaneR;
  // Loops that can draw the uniform stand-in texture: direct colour without alpha, and no
  // blend graph (its factor follows the texel position).
  static constexpr bool kUniformForm = !kAlpha && !kPalette && !O.graph;
  // Loops whose pixel is the texel alone, whatever the destination held: along a span of
  // fixed W, the pixels that take one texel are a run, filled at once.
  static constexpr bool kTexelIsResult =
      !O.vertexColour && O.mode == 0 && O.white && !O.graph && !O.transparent && !kAlpha;

  static void Run(const PolyFrame& f) {
    int64_t row[kPlaneCount];
    for (int p = 0; p < kPlanes; ++p) row[p] = f.row[p];
    uint8_t* targetRow = f.targetRow;
    uint8_t* zRow = f.zRow;
    // The uniform texture's runs divide once per triangle when W stays the same.
    PerspectiveCache runCache{0, 0, 0};
    for (int k = 0; k < f.rows; ++k) {
      const PolySpan span = f.spans[k];
      if (span.count > 0) {
        int64_t v[kPlaneCount];
        for (int p = 0; p < kPlanes; ++p) v[p] = row[p] + span.left * f.stepX[p] + f.stepX[p] / 2;
        uint8_t* d = targetRow + static_cast<ptrdiff_t>(span.left) * kBytes;
        if (kUniformForm && !zRow && f.uniform && f.stepX[kPlaneW] == 0 && v[kPlaneW] > 0) {
          UniformRun(f, v, d, span.count, runCache);
        } else if (kTexelIsResult && !zRow && f.stepX[kPlaneW] == 0 && v[kPlaneW] > 0 &&
                   span.count >= kMinRunSpan && LongRuns(f, v[kPlaneW])) {
          TexelRuns(f, v, d, span.count);
        } else if (v[kPlaneW] != 0) {
          uint16_t* z = zRow ? reinterpret_cast<uint16_t*>(zRow) + span.left : nullptr;
          // The perspective division is redone only when W changes; a 2D polygon's W never
          // does, so it divides once per span.
          PerspectiveCache cache{0, 0, 0};
          for (int i = 0; i < span.count; ++i) {
            Pixel(f, v, d, z, cache);
            for (int p = 0; p < kPlanes; ++p) v[p] += f.stepX[p];
            d += kBytes;
            if (z) ++z;
          }
        }
      }
      for (int p = 0; p < kPlanes; ++p) row[p] += f.stepY[p];
      targetRow += f.targetPitch;
      if (zRow) zRow += f.zPitch;
    }
  }

  // A span of fixed, positive W without depth test over a texture whose texels are all the
  // same: the pixels inside the texture are one run, and each takes what Pixel gives it
  // without the texel's position being found again.
  static void UniformRun(const PolyFrame& f, int64_t* v, uint8_t* d, int count, PerspectiveCache& cache) {
    if (v[kPlaneW] != cache.w) {
      cache.w = v[kPlaneW];
      cache.q = kPolyPerspectiveNumerator / cache.w;
      cache.limit = cache.q == 0 ? 0 : InsidePlaneLimit(cache.q);
    }
    int first = 0, end = count;
    // q 0 puts every pixel on texel (0, 0).
    if (cache.q != 0) {
      const int64_t limit = cache.limit;
      int firstU, endU, firstV, endV;
      PlaneRun(v[kPlaneU], f.stepX[kPlaneU], 0, limit, count, &firstU, &endU);
      PlaneRun(v[kPlaneV], f.stepX[kPlaneV], 0, limit, count, &firstV, &endV);
      first = firstU > firstV ? firstU : firstV;
      end = endU < endV ? endU : endV;
    }
    if (first >= end) return;
    const SrcPixel s = FetchSource<O.form>(f.palette, f.texels, 0);
    if constexpr (O.transparent) {
      if (s.color == f.key) return;
    }
    d += static_cast<ptrdiff_t>(first) * kBytes;
    if constexpr (kTexelIsResult) {
      if constexpr (k32) {
        uint32_t* p = reinterpret_cast<uint32_t*>(d);
        for (int x = 0; x < end - first; ++x) p[x] = s.color;
      } else {
        uint16_t* p = reinterpret_cast<uint16_t*>(d);
        for (int x = 0; x < end - first; ++x) p[x] = static_cast<uint16_t>(s.color);
      }
    } else {
      const Texel t{s.color, s.alpha, false};
      for (int p = 0; p < kPlanes; ++p) v[p] += first * f.stepX[p];
      for (int i = first; i < end; ++i) {
        const uint32_t old = k32 ? Load32(d) : Load16(d);
        uint32_t out;
        if constexpr (O.vertexColour) {
          const uint32_t vc[3] = {PlaneByte(v[kPlaneB]), PlaneByte(v[kPlaneG]), PlaneByte(v[kPlaneR])};
          const uint32_t va = kVertexAlpha ? PlaneByte(v[kPlaneA]) : 0;
          out = VertexColourRule<O>(old, t, 0, vc, va);
        } else {
          out = PlainRule<O>(f, old, t, 0);
        }
        Store(d, out);
        for (int p = 0; p < kPlanes; ++p) v[p] += f.stepX[p];
        d += kBytes;
      }
    }
  }

  RT_SOFT_INLINE static void Store(uint8_t* d, uint32_t out) {
    if constexpr (k32) {
      std::memcpy(d, &out, 4);
    } else {
      const uint16_t o16 = static_cast<uint16_t>(out);
      std::memcpy(d, &o16, 2);
    }
  }

  // Whether a span of fixed W crosses texels slowly enough for its runs to pay for finding
  // their ends (a choice of speed only: both ways give the same pixels).
  static bool LongRuns(const PolyFrame& f, int64_t w) {
    const double q = static_cast<double>(kPolyPerspectiveNumerator / w);
    const double crossed = (std::fabs(static_cast<double>(f.stepX[kPlaneU])) * f.texWidth +
                            std::fabs(static_cast<double>(f.stepX[kPlaneV])) * f.texHeight) *
                           q / static_cast<double>(int64_t{1} << 29);
    return crossed <= kMaxTexelsPerPixel;
  }

  // A span of fixed, positive W without depth test, for a kTexelIsResult loop: the pixels
  // whose texel lies inside the texture, in runs of one texel each. Each pixel gets what
  // Pixel gives it; the order they are written in cannot matter, as none reads another.
  static void TexelRuns(const PolyFrame& f, const int64_t* v, uint8_t* d, int count) {
    const int64_t q = kPolyPerspectiveNumerator / v[kPlaneW];
    const int64_t u0 = v[kPlaneU], du = f.stepX[kPlaneU], v0 = v[kPlaneV], dv = f.stepX[kPlaneV];
    int firstU, endU, firstV, endV;
    InsideRun(u0, du, q, f.texWidth, count, &firstU, &endU);
    InsideRun(v0, dv, q, f.texHeight, count, &firstV, &endV);
    const int first = firstU > firstV ? firstU : firstV, end = endU < endV ? endU : endV;
    // Inside [first, end) every product stays below size * 2^19, so 64 bits hold it exactly.
    const int64_t qw = q * f.texWidth, qh = q * f.texHeight;
    const auto column = [&](int k) { return ((u0 + k * du) >> 10) * qw >> 19; };
    const auto line = [&](int k) { return ((v0 + k * dv) >> 10) * qh >> 19; };
    for (int i = first; i < end;) {
      const int64_t col = column(i), row = line(i);
      // Where the run of this texel ends, guessed from where the unrounded positions leave
      // it, then found exactly.
      double guess = end;
      const double unit = static_cast<double>(int64_t{1} << 29);
      if (du != 0 && qw != 0) {
        const double edge = static_cast<double>(du > 0 ? col + 1 : col) * unit / static_cast<double>(qw);
        guess = std::fmin(guess, (edge - static_cast<double>(u0)) / static_cast<double>(du));
      }
      if (dv != 0 && qh != 0) {
        const double edge = static_cast<double>(dv > 0 ? row + 1 : row) * unit / static_cast<double>(qh);
        guess = std::fmin(guess, (edge - static_cast<double>(v0)) / static_cast<double>(dv));
      }
      const int lo = FirstWhere(i + 1, end, std::ceil(guess),
                                [&](int k) { return column(k) != col || line(k) != row; });
      const uint32_t texel =
          FetchSource<O.form>(f.palette, f.texels + static_cast<ptrdiff_t>(row) * f.texPitch,
                              static_cast<ptrdiff_t>(col))
              .color;
      if constexpr (k32) {
        uint32_t* p = reinterpret_cast<uint32_t*>(d) + i;
        for (int x = 0; x < lo - i; ++x) p[x] = texel;
      } else {
        uint16_t* p = reinterpret_cast<uint16_t*>(d) + i;
        for (int x = 0; x < lo - i; ++x) p[x] = static_cast<uint16_t>(texel);
      }
      i = lo;
    }
  }

  RT_SOFT_INLINE static void Pixel(const PolyFrame& f, const int64_t* v, uint8_t* d, uint16_t* z,
                                   PerspectiveCache& cache) {
    if (z) {
      // Depth 1.0 is 65536 in these units; it is held at the largest stored depth instead
      // of wrapping to the nearest.
      int64_t depth = v[kPlaneZ] >> 8;
      depth = depth < 0 ? 0 : (depth > 0xFFFF ? 0xFFFF : depth);
      if (*z < depth) return;
      if (f.zWrite) *z = static_cast<uint16_t>(depth);
    }
    // W reaching 0 inside a span (only the span's start is tested) has no texel. A negative
    // W divides like a positive one: with U and V of its sign the texel is the same.
    if (v[kPlaneW] == 0) return;
    if (v[kPlaneW] != cache.w) {
      cache.w = v[kPlaneW];
      cache.q = kPolyPerspectiveNumerator / cache.w;
    }
    const int64_t q = cache.q;
    const __int128 tu = TexelPosition(v[kPlaneU], q, f.texWidth);
    const __int128 tv = TexelPosition(v[kPlaneV], q, f.texHeight);
    if (tu < 0 || tu >= f.texWidth || tv < 0 || tv >= f.texHeight) return;
    const ptrdiff_t col = static_cast<ptrdiff_t>(tu);
    const ptrdiff_t line = static_cast<ptrdiff_t>(tv);
    uint32_t factor = 0;
    if constexpr (O.graph) {
      if (col >= f.graphWidthBytes || line >= f.graphHeight) return;
      factor = f.graphTable[f.graph[line * f.graphPitch + col]];
    }
    const SrcPixel s = FetchSource<O.form>(f.palette, f.texels + line * f.texPitch, col);
    Texel t{s.color, s.alpha, false};
    if constexpr (kAlpha) {
      if constexpr (O.transparent) {
        if (s.alpha == 0 && O.mode != 4) return;
        t.alphaWeight = s.alpha != 255;
      } else {
        t.alphaWeight = true;
      }
    } else if constexpr (O.transparent) {
      if ((kPalette ? s.index : s.color) == f.key) return;
    }
    const uint32_t old = k32 ? Load32(d) : Load16(d);
    uint32_t out;
    if constexpr (O.vertexColour) {
      const uint32_t vc[3] = {PlaneByte(v[kPlaneB]), PlaneByte(v[kPlaneG]), PlaneByte(v[kPlaneR])};
      const uint32_t va = kVertexAlpha ? PlaneByte(v[kPlaneA]) : 0;
      out = VertexColourRule<O>(old, t, factor, vc, va);
    } else {
      out = PlainRule<O>(f, old, t, factor);
    }
    Store(d, out);
  }
};

// Index: form, half, mode, graph, white, transparent.
constexpr size_t kPolySpanCount = kSrcFormCount * 2 * 5 * 2 * 2 * 2;

constexpr size_t PolySpanIndex(SrcForm form, bool vc, int mode, bool graph, bool white, bool transparent) {
  return ((((static_cast<size_t>(form) * 2 + vc) * 5 + static_cast<size_t>(mode)) * 2 + graph) * 2 + white) * 2 +
         transparent;
}

template <size_t I>
constexpr PolySpanFn PolySpanEntry() {
  constexpr bool transparent = I % 2;
  constexpr bool white = I / 2 % 2;
  constexpr bool graph = I / 4 % 2;
  constexpr int mode = static_cast<int>(I / 8 % 5);
  constexpr bool vc = I / 40 % 2;
  constexpr SrcForm form = static_cast<SrcForm>(I / 80);
  // The vertex-coloured half never reads the bright colour: one loop serves both.
  return &PolySpanLoop<PolyOptions{form, vc, mode, graph, vc ? false : white, transparent}>::Run;
}

template <size_t... I>
constexpr std::array<PolySpanFn, sizeof...(I)> MakePolySpanTable(std::index_sequence<I...>) {
  return {PolySpanEntry<I>()...};
}

constexpr std::array<PolySpanFn, kPolySpanCount> kPolySpans = MakePolySpanTable(std::make_index_sequence<kPolySpanCount>{});

}  // namespace

PolySpanFn FindPolySpan(const PolySpanKey& key) {
  if (key.mode < 0 || key.mode > 4) return nullptr;
  return kPolySpans[PolySpanIndex(key.form, key.vertexColour, key.mode, key.graph, key.white, key.transparent)];
}

}  // namespace rt::soft
