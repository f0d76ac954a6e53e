// The per-pixel blend rules of the software raster routines, generated from one source:
// a kernel is a template over the source's pixel form and the draw options, so that each
// combination compiles to its own straight loop with no per-pixel test of a setting.
// Walkers (same-size rows and runs here; stretched, rotated and triangle walkers elsewhere)
// call BlendSpan or BlendValue for the pixels they map.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "runtime/softrender/pixel_math.h"

namespace rt::soft {

// The source's pixel form; the destination has the same kind without palette or alpha.
enum class SrcForm : uint8_t { k16, k16Alpha, k16Palette, k32, k32Alpha, k32Palette };
constexpr int kSrcFormCount = 6;

constexpr bool Is32(SrcForm f) { return f >= SrcForm::k32; }
constexpr bool HasAlpha(SrcForm f) { return f == SrcForm::k16Alpha || f == SrcForm::k32Alpha; }
constexpr bool IsPalette(SrcForm f) { return f == SrcForm::k16Palette || f == SrcForm::k32Palette; }
constexpr int SrcBytes(SrcForm f) { return IsPalette(f) ? 1 : (f == SrcForm::k16 ? 2 : 4); }
constexpr int DestBytes(SrcForm f) { return Is32(f) ? 4 : 2; }

// Which routine's rules: the same-size blit, the stretched blit, or the rotated blit and the
// textured triangle. They differ in a few points: the same-size blit's special loops and its
// alpha copy, the 16-bit add and subtract with an alpha weight alone (the others weight the
// raw channel before the bright step), and multiply on alpha-0 pixels (the rotated blit and
// the triangle draw them black instead of skipping them).
enum class Rules : uint8_t { kSameSize, kStretched, kRotated };

// Loops whose results are not those of the general rule.
enum class Special : uint8_t {
  kNone,
  kHalf,    // alpha at 128: the shift-and-mask half blend
  kLerp6,   // 16-bit alpha through the 6-bit mixing rule
  kSatAdd,  // 32-bit add at 255: every byte added with saturation
  kSatSub,  // 32-bit subtract at 255 with packed byte instructions: every byte exact
};
constexpr int kSpecialCount = 5;

enum class Transp : uint8_t {
  kNone,         // no transparency: an alpha source weighs every pixel by its alpha
  kTest,         // per pixel: the colour key, or alpha 0 skipped and 255 opaque
  kRunOpaque,    // a run of opaque pixels
  kRunWeighted,  // a run of translucent pixels of an alpha source
};
constexpr int kTranspCount = 4;

struct BlendOptions {
  SrcForm form;
  uint8_t mode;  // 0 none, 1 alpha (1..254), 2 add, 3 subtract, 4 multiply
  bool graph;    // a blend graph gives a per-pixel factor
  bool white;    // the bright colour changes nothing
  Transp transp;
  Rules rules;
  Special special;
};

// Per-draw values, fixed before the loop.
struct BlendContext {
  uint32_t param;             // blend parameter p
  uint32_t bright[3];         // bright components scaling channels 0 (blue), 1 (green), 2 (red)
  uint32_t key;               // the source's transparent value (an index for a paletted source)
  const uint8_t* palette;     // 256 entries of the source kind's pixel form
  const uint8_t* graphTable;  // factor per blend-graph byte
};

RT_SOFT_INLINE uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
RT_SOFT_INLINE uint32_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

struct SrcPixel {
  uint32_t color;  // the colour (a paletted source's palette entry)
  uint32_t alpha;
  uint32_t index;  // a paletted source's index
};

template <SrcForm F>
RT_SOFT_INLINE SrcPixel FetchSource(const uint8_t* palette, const uint8_t* src, ptrdiff_t i) {
  SrcPixel p{0, 0, 0};
  if constexpr (F == SrcForm::k32) {
    p.color = Load32(src + 4 * i);
  } else if constexpr (F == SrcForm::k32Alpha) {
    p.color = Load32(src + 4 * i);
    p.alpha = p.color >> 24;
  } else if constexpr (F == SrcForm::k32Palette) {
    p.index = src[i];
    p.color = Load32(palette + 4 * p.index);
  } else if constexpr (F == SrcForm::k16) {
    p.color = Load16(src + 2 * i);
  } else if constexpr (F == SrcForm::k16Alpha) {
    const uint32_t v = Load32(src + 4 * i);
    p.color = v & 0xFFFF;
    p.alpha = (v >> 16) & 0xFF;
  } else {
    p.index = src[i];
    p.color = Load16(palette + 2 * p.index);
  }
  return p;
}

// Channel c of a pixel: 0 blue, 1 green, 2 red.
template <bool k32>
RT_SOFT_INLINE uint32_t Channel(uint32_t v, int c) {
  if constexpr (k32) return (v >> (8 * c)) & 0xFF;
  return c == 0 ? v & 0x1F : (c == 1 ? (v >> 5) & 0x3F : v >> 11);
}
template <bool k32>
RT_SOFT_INLINE uint32_t PackChannels(uint32_t b, uint32_t g, uint32_t r) {
  if constexpr (k32) return b | g << 8 | r << 16;
  return b | g << 5 | r << 11;
}
template <bool k32>
constexpr int ChannelBits(int c) {
  return k32 ? 8 : (c == 1 ? 6 : 5);
}

// The rule for one pixel with the weights present: the blend graph's factor g when O.graph,
// the source alpha a when kAlphaWeight. Returns the new destination value.
template <BlendOptions O, bool kAlphaWeight>
RT_SOFT_INLINE uint32_t ApplyRule(const BlendContext& c, uint32_t d, uint32_t s, uint32_t a, uint32_t g) {
  constexpr bool k32 = Is32(O.form);
  constexpr int K = (O.graph ? 1 : 0) + (kAlphaWeight ? 1 : 0);
  uint32_t w = 1;
  if constexpr (O.graph) w = g;
  if constexpr (kAlphaWeight) w = O.graph ? g * a : a;
  // The fourth byte of a 32-bit destination, kept by the channel-wise rules.
  const uint32_t keep = k32 ? d & 0xFF000000 : 0;

  if constexpr (O.special == Special::kHalf) {
    return k32 ? ((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F) : ((s >> 1) & 0x7BEF) + ((d >> 1) & 0x7BEF);
  } else if constexpr (O.special == Special::kSatAdd) {
    return SaturatingAddBytes(d, s);
  } else if constexpr (O.special == Special::kSatSub) {
    return SaturatingSubtractBytes(d, s);
  } else if constexpr (O.special == Special::kLerp6) {
    const uint32_t b = c.param >> 2;
    return PackChannels<false>(Lerp6(b, Channel<false>(s, 0), Channel<false>(d, 0)),
                               Lerp6(b, Channel<false>(s, 1), Channel<false>(d, 1)),
                               Lerp6(b, Channel<false>(s, 2), Channel<false>(d, 2)));
  } else if constexpr (O.mode == 0 && K == 0 && O.white) {
    return s;  // the whole pixel, a 32-bit source's fourth byte included
  } else if constexpr (k32 && O.mode != 4 && (K == 0 || (K == 1 && O.mode == 0))) {
    // The rules with at most one weight of up to 255, two channels per multiplication.
    uint32_t sp = s;
    if constexpr (!O.white) {
      sp = BrightPixel32(s, c.bright[0], c.bright[1], c.bright[2]);
    }
    if constexpr (O.mode == 0) {
      return K == 0 ? keep | (sp & 0xFFFFFF) : MixPixels32(d, sp, w);
    } else if constexpr (O.mode == 1) {
      return MixPixels32(d, sp, c.param);
    } else {
      const uint32_t amount = ScalePixel32(sp, c.param);
      return O.mode == 2 ? SaturatingAddPixels32(d, amount) : SaturatingSubtractPixels32(d, amount);
    }
  } else {
    uint32_t sc[3], dc[3], out[3];
    for (int ch = 0; ch < 3; ++ch) {
      sc[ch] = Channel<k32>(s, ch);
      dc[ch] = Channel<k32>(d, ch);
      if constexpr (!O.white) sc[ch] = MulDiv255(c.bright[ch], sc[ch]);
    }
    if constexpr (O.mode == 0) {
      for (int ch = 0; ch < 3; ++ch) out[ch] = K == 0 ? sc[ch] : LerpShift(dc[ch], sc[ch], w, 8 * K);
      return keep | PackChannels<k32>(out[0], out[1], out[2]);
    } else if constexpr (O.mode == 1) {
      for (int ch = 0; ch < 3; ++ch) {
        if constexpr (!k32 && K == 0) {
          out[ch] = dc[ch] + ScaledDiff(static_cast<int32_t>(c.param),
                                        static_cast<int32_t>(sc[ch]) - static_cast<int32_t>(dc[ch]));
        } else {
          out[ch] = LerpShift(dc[ch], sc[ch], w * c.param, 8 * (K + 1));
        }
      }
      return keep | PackChannels<k32>(out[0], out[1], out[2]);
    } else if constexpr (O.mode == 2 || O.mode == 3) {
      for (int ch = 0; ch < 3; ++ch) {
        if constexpr (k32) {
          out[ch] = K == 0 ? MulDiv255(c.param, sc[ch]) : (sc[ch] * w * c.param) >> (8 * (K + 1));
        } else if constexpr (O.rules != Rules::kSameSize && kAlphaWeight && !O.graph) {
          // The alpha weight on the raw channel, then the bright step, then p.
          uint32_t y = (Channel<false>(s, ch) * a) >> 8;
          if constexpr (!O.white) y = MulDiv255(c.bright[ch], y);
          out[ch] = MulDiv255(c.param, y);
        } else {
          out[ch] = MulDiv255(c.param, K == 0 ? sc[ch] : (sc[ch] * w) >> (8 * K));
        }
      }
      const uint32_t amount = PackChannels<k32>(out[0], out[1], out[2]);
      if constexpr (k32) {
        return O.mode == 2 ? SaturatingAddPixels32(d, amount) : SaturatingSubtractPixels32(d, amount);
      } else {
        return O.mode == 2 ? SaturatingAddPixels16(d, amount) : SaturatingSubtractPixels16(d, amount);
      }
    } else {
      for (int ch = 0; ch < 3; ++ch) out[ch] = (dc[ch] * sc[ch] * w) >> (ChannelBits<k32>(ch) + 8 * K);
      return keep | PackChannels<k32>(out[0], out[1], out[2]);
    }
  }
}

// The new destination value for one source pixel, transparency included.
template <BlendOptions O>
RT_SOFT_INLINE uint32_t BlendValue(const BlendContext& c, uint32_t d, const SrcPixel& sp, uint32_t g) {
  constexpr bool kAlpha = HasAlpha(O.form);
  if constexpr (O.transp == Transp::kTest && !kAlpha) {
    bool skip;
    if constexpr (IsPalette(O.form)) {
      skip = sp.index == (c.key & 0xFF);
    } else if constexpr (Is32(O.form)) {
      skip = sp.color == c.key;
    } else {
      skip = sp.color == (c.key & 0xFFFF);
    }
    const uint32_t r = ApplyRule<O, false>(c, d, sp.color, 0, g);
    return skip ? d : r;
  } else if constexpr (O.transp == Transp::kTest) {
    const uint32_t opaque = ApplyRule<O, false>(c, d, sp.color, 0, g);
    const uint32_t weighted = ApplyRule<O, true>(c, d, sp.color, sp.alpha, g);
    const uint32_t r = sp.alpha == 255 ? opaque : weighted;
    if constexpr (O.rules == Rules::kRotated && O.mode == 4) return r;
    return sp.alpha == 0 ? d : r;
  } else if constexpr (!kAlpha || O.transp == Transp::kRunOpaque) {
    return ApplyRule<O, false>(c, d, sp.color, 0, g);
  } else if constexpr (O.transp == Transp::kNone && O.rules == Rules::kSameSize && O.mode == 0 && O.white && !O.graph) {
    return ApplyRule<O, false>(c, d, sp.color, 0, g);  // copied as it is, alpha and all
  } else {
    return ApplyRule<O, true>(c, d, sp.color, sp.alpha, g);
  }
}

// Copies n bytes; rows of software images rarely overlap but often lie a multiple of 4096
// bytes apart, where loading a whole block before storing it beats the C library's copy.
// The block is four of the widest vectors of the instruction set being compiled.
RT_SOFT_INLINE void CopyRow(uint8_t* __restrict dst, const uint8_t* __restrict src, size_t n) {
#if defined(__AVX2__)
  constexpr size_t kLane = 32;
#else
  constexpr size_t kLane = 16;
#endif
  typedef uint8_t Lane __attribute__((vector_size(kLane), aligned(1), may_alias));
  size_t i = 0;
  for (; i + 4 * kLane <= n; i += 4 * kLane) {
    const Lane a = *reinterpret_cast<const Lane*>(src + i);
    const Lane b = *reinterpret_cast<const Lane*>(src + i + kLane);
    const Lane c = *reinterpret_cast<const Lane*>(src + i + 2 * kLane);
    const Lane d = *reinterpret_cast<const Lane*>(src + i + 3 * kLane);
    *reinterpret_cast<Lane*>(dst + i) = a;
    *reinterpret_cast<Lane*>(dst + i + kLane) = b;
    *reinterpret_cast<Lane*>(dst + i + 2 * kLane) = c;
    *reinterpret_cast<Lane*>(dst + i + 3 * kLane) = d;
  }
  std::memcpy(dst + i, src + i, n - i);
}

// How many leading pixels to draw one by one so that the rest of a span starts on a
// kAlign-byte boundary, where wide stores never split a cache line.
template <size_t kAlign>
RT_SOFT_INLINE ptrdiff_t LeadingPixels(const uint8_t* dst, int bytesPerPixel, ptrdiff_t n) {
  if constexpr (kAlign <= 1) {
    return 0;
  } else {
    const ptrdiff_t lead = static_cast<ptrdiff_t>((kAlign - reinterpret_cast<uintptr_t>(dst) % kAlign) % kAlign);
    return lead / bytesPerPixel < n ? lead / bytesPerPixel : n;
  }
}

// Whether a span's pixels are the source's bytes as they stand, so that it is a copy.
constexpr bool IsPlainCopy(const BlendOptions& o) {
  return o.mode == 0 && o.white && !o.graph && o.special == Special::kNone && o.transp != Transp::kTest &&
         (o.form == SrcForm::k32 || o.form == SrcForm::k16 ||
          (o.form == SrcForm::k32Alpha &&
           (o.transp == Transp::kRunOpaque || (o.transp == Transp::kNone && o.rules == Rules::kSameSize))));
}

// Whether a span's pixels take the add or subtract rule of a 32-bit source without weights,
// whose bright step and parameter step are exact byte products divided by 255 per channel:
// those run on whole vectors, each channel in a 16-bit lane (see ScaleSpanLanes).
constexpr bool IsScaledAddOrSubtract(const BlendOptions& o) {
  return o.form == SrcForm::k32 && (o.mode == 2 || o.mode == 3) && !o.graph && o.special == Special::kNone &&
         (o.transp == Transp::kNone || o.transp == Transp::kRunOpaque);
}
// The same for the copy of a 32-bit source through a bright colour: the bright step alone,
// the destination's fourth byte kept.
constexpr bool IsBrightCopy(const BlendOptions& o) {
  return o.form == SrcForm::k32 && o.mode == 0 && !o.white && !o.graph && o.special == Special::kNone &&
         (o.transp == Transp::kNone || o.transp == Transp::kRunOpaque);
}
// Whether a span's pixels mix a 32-bit alpha source into the destination by its alpha alone
// (no blend mode, bright colour or graph): MixPixels32 with the alpha as weight, the alpha
// 255 of the per-pixel test taking the whole source pixel; those run in 16-bit lanes too
// (see AlphaSpanLanes).
constexpr bool IsAlphaMix(const BlendOptions& o) {
  return o.form == SrcForm::k32Alpha && o.mode == 0 && o.white && !o.graph && o.special == Special::kNone &&
         (o.transp == Transp::kTest || o.transp == Transp::kRunWeighted ||
          (o.transp == Transp::kNone && o.rules != Rules::kSameSize));
}
// Whether a span's pixels are the exact byte-saturating add or subtract at 255.
constexpr bool IsByteSaturated(const BlendOptions& o) {
  return o.form == SrcForm::k32 && (o.special == Special::kSatAdd || o.special == Special::kSatSub) &&
         o.transp == Transp::kNone;
}

// Vectors of kLane bytes: as bytes, as 16-bit lanes, as 32-bit pixels.
template <size_t kLane>
struct LaneVectors;
template <>
struct LaneVectors<16> {
  typedef uint8_t Bytes __attribute__((vector_size(16), aligned(1), may_alias));
  typedef uint16_t Lanes __attribute__((vector_size(16)));
  typedef uint32_t Pixels __attribute__((vector_size(16), aligned(1), may_alias));
};
template <>
struct LaneVectors<32> {
  typedef uint8_t Bytes __attribute__((vector_size(32), aligned(1), may_alias));
  typedef uint16_t Lanes __attribute__((vector_size(32)));
  typedef uint32_t Pixels __attribute__((vector_size(32), aligned(1), may_alias));
};

// A block's bytes widened to 16-bit lanes in two halves, interleaved with zeros within each
// 16-byte part (what the unpack instructions do), and narrowed back the same way; with
// factors that repeat every pixel, each half meets the same ones.
template <size_t kLane>
RT_SOFT_INLINE typename LaneVectors<kLane>::Lanes WidenLow(typename LaneVectors<kLane>::Bytes s) {
  using Bytes = typename LaneVectors<kLane>::Bytes;
  using Lanes = typename LaneVectors<kLane>::Lanes;
  const Bytes zero = {};
  if constexpr (kLane == 16) {
    return reinterpret_cast<Lanes>(
        __builtin_shufflevector(s, zero, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
  } else {
    return reinterpret_cast<Lanes>(__builtin_shufflevector(s, zero, 0, 32, 1, 33, 2, 34, 3, 35, 4, 36, 5, 37, 6, 38, 7,
                                                           39, 16, 48, 17, 49, 18, 50, 19, 51, 20, 52, 21, 53, 22, 54,
                                                           23, 55));
  }
}
template <size_t kLane>
RT_SOFT_INLINE typename LaneVectors<kLane>::Lanes WidenHigh(typename LaneVectors<kLane>::Bytes s) {
  using Bytes = typename LaneVectors<kLane>::Bytes;
  using Lanes = typename LaneVectors<kLane>::Lanes;
  const Bytes zero = {};
  if constexpr (kLane == 16) {
    return reinterpret_cast<Lanes>(
        __builtin_shufflevector(s, zero, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31));
  } else {
    return reinterpret_cast<Lanes>(__builtin_shufflevector(s, zero, 8, 40, 9, 41, 10, 42, 11, 43, 12, 44, 13, 45, 14,
                                                           46, 15, 47, 24, 56, 25, 57, 26, 58, 27, 59, 28, 60, 29, 61,
                                                           30, 62, 31, 63));
  }
}
// Two widened halves whose lanes hold values up to 255, back in the block's order as bytes
// (the pack instruction, whose saturation never acts on such values).
template <size_t kLane>
RT_SOFT_INLINE typename LaneVectors<kLane>::Bytes Narrow(typename LaneVectors<kLane>::Lanes lo,
                                                        typename LaneVectors<kLane>::Lanes hi) {
  using Bytes = typename LaneVectors<kLane>::Bytes;
#if defined(__AVX2__)
  if constexpr (kLane == 32) {
    return reinterpret_cast<Bytes>(_mm256_packus_epi16(reinterpret_cast<__m256i>(lo), reinterpret_cast<__m256i>(hi)));
  }
#endif
#if defined(__SSE2__)
  if constexpr (kLane == 16) {
    return reinterpret_cast<Bytes>(_mm_packus_epi16(reinterpret_cast<__m128i>(lo), reinterpret_cast<__m128i>(hi)));
  }
#endif
  if constexpr (kLane == 16) {
    return __builtin_shufflevector(reinterpret_cast<Bytes>(lo), reinterpret_cast<Bytes>(hi), 0, 2, 4, 6, 8, 10, 12,
                                   14, 16, 18, 20, 22, 24, 26, 28, 30);
  } else {
    return __builtin_shufflevector(reinterpret_cast<Bytes>(lo), reinterpret_cast<Bytes>(hi), 0, 2, 4, 6, 8, 10, 12,
                                   14, 32, 34, 36, 38, 40, 42, 44, 46, 16, 18, 20, 22, 24, 26, 28, 30, 48, 50, 52, 54,
                                   56, 58, 60, 62);
  }
}
// Each pixel's fourth byte (its alpha) in the lanes of its three colour channels of the
// widened low and high halves, 0 in the lane of the fourth byte.
template <size_t kLane>
RT_SOFT_INLINE typename LaneVectors<kLane>::Lanes AlphaLow(typename LaneVectors<kLane>::Bytes s) {
  using Bytes = typename LaneVectors<kLane>::Bytes;
  using Lanes = typename LaneVectors<kLane>::Lanes;
  const Bytes zero = {};
  if constexpr (kLane == 16) {
    return reinterpret_cast<Lanes>(
        __builtin_shufflevector(s, zero, 3, 16, 3, 16, 3, 16, 16, 16, 7, 16, 7, 16, 7, 16, 16, 16));
  } else {
    return reinterpret_cast<Lanes>(__builtin_shufflevector(s, zero, 3, 32, 3, 32, 3, 32, 32, 32, 7, 32, 7, 32, 7, 32,
                                                           32, 32, 19, 32, 19, 32, 19, 32, 32, 32, 23, 32, 23, 32, 23,
                                                           32, 32, 32));
  }
}
template <size_t kLane>
RT_SOFT_INLINE typename LaneVectors<kLane>::Lanes AlphaHigh(typename LaneVectors<kLane>::Bytes s) {
  using Bytes = typename LaneVectors<kLane>::Bytes;
  using Lanes = typename LaneVectors<kLane>::Lanes;
  const Bytes zero = {};
  if constexpr (kLane == 16) {
    return reinterpret_cast<Lanes>(
        __builtin_shufflevector(s, zero, 11, 16, 11, 16, 11, 16, 16, 16, 15, 16, 15, 16, 15, 16, 16, 16));
  } else {
    return reinterpret_cast<Lanes>(__builtin_shufflevector(s, zero, 11, 32, 11, 32, 11, 32, 32, 32, 15, 32, 15, 32, 15,
                                                           32, 32, 32, 27, 32, 27, 32, 27, 32, 32, 32, 31, 32, 31, 32,
                                                           31, 32, 32, 32));
  }
}

// Pixels [i, n) in blocks of kStep, where compute(k) gives the new values of the block at k
// and store(k, v) writes them: the last block is the one that ends at n, computed before
// any block that overlaps it is stored, so that its pixels come from the destination as it
// was, as every pixel's rule reads only its own pixel. Spans of fewer than kStep pixels are
// left as they are; returns where it stopped.
template <ptrdiff_t kStep, class Compute, class Store>
RT_SOFT_INLINE ptrdiff_t OverlappedBlocks(ptrdiff_t i, ptrdiff_t n, Compute compute, Store store) {
  if (n - i < kStep) return i;
  const auto last = compute(n - kStep);
  for (; i + kStep < n; i += kStep) store(i, compute(i));
  store(n - kStep, last);
  return n;
}

// ApplyRule's add, subtract and bright copy for pixels [i, n) of an IsScaledAddOrSubtract or
// IsBrightCopy span, as many as fill whole blocks of kLane bytes; returns where it stopped.
// Per channel, floor(p * floor(b * c / 255) / 255) as BrightPixel32 and ScalePixel32 give
// it, with the fourth byte's factors 0 as theirs are; the saturating step is the packed rule
// itself, and the copy keeps the destination's fourth byte.
template <BlendOptions O, size_t kLane>
RT_SOFT_INLINE ptrdiff_t ScaleSpanLanes(const BlendContext& c, uint8_t* __restrict dst, const uint8_t* __restrict src,
                                        ptrdiff_t i, ptrdiff_t n) {
  using Bytes = typename LaneVectors<kLane>::Bytes;
  using Lanes = typename LaneVectors<kLane>::Lanes;
  using Pixels = typename LaneVectors<kLane>::Pixels;
  Lanes bright, scale;
  for (size_t k = 0; k < kLane / 2; ++k) {
    bright[k] = static_cast<uint16_t>(k % 4 == 3 ? 0 : c.bright[k % 4]);
    scale[k] = static_cast<uint16_t>(k % 4 == 3 ? 0 : c.param);
  }
  const auto scaled = [&](Lanes v) __attribute__((always_inline)) {
    // A product of two bytes fits its lane; the compiler divides by a multiply-high.
    if constexpr (!O.white) v = v * bright / 255;
    if constexpr (O.mode != 0) v = v * scale / 255;
    return v;
  };
  const auto compute = [&](ptrdiff_t k) __attribute__((always_inline)) {
    const Bytes s = *reinterpret_cast<const Bytes*>(src + 4 * k);
    const Pixels a = reinterpret_cast<Pixels>(Narrow<kLane>(scaled(WidenLow<kLane>(s)), scaled(WidenHigh<kLane>(s))));
    const Pixels d = *reinterpret_cast<const Pixels*>(dst + 4 * k);
    if constexpr (O.mode == 0) {
      return (d & 0xFF000000) | a;
    } else {
      return O.mode == 2 ? SaturatingAddPixels32<Pixels>(d, a) : SaturatingSubtractPixels32<Pixels>(d, a);
    }
  };
  return OverlappedBlocks<kLane / 4>(
      i, n, compute, [&](ptrdiff_t k, Pixels v) __attribute__((always_inline)) {
        *reinterpret_cast<Pixels*>(dst + 4 * k) = v;
      });
}

// The IsAlphaMix rule for pixels [i, n), as many as fill whole blocks of kLane bytes;
// returns where it stopped. MixPixels32 per channel is floor((d * (256 - a) + s * a) / 256),
// below 2^16, so d * 256 + (s - d) * a in wrapping 16-bit lanes is exact; the fourth byte's
// weight is 0, which keeps it, and alpha 0 leaves the pixel as it is, as the per-pixel test
// skips it. Under the per-pixel test alpha 255 takes the whole source pixel instead.
template <BlendOptions O, size_t kLane>
RT_SOFT_INLINE ptrdiff_t AlphaSpanLanes(uint8_t* __restrict dst, const uint8_t* __restrict src, ptrdiff_t i,
                                        ptrdiff_t n) {
  using Bytes = typename LaneVectors<kLane>::Bytes;
  using Lanes = typename LaneVectors<kLane>::Lanes;
  using Pixels = typename LaneVectors<kLane>::Pixels;
  const auto mix = [](Lanes d, Lanes s, Lanes a) __attribute__((always_inline)) {
    return static_cast<Lanes>((d << 8) + (s - d) * a) >> 8;
  };
  const auto compute = [&](ptrdiff_t k) __attribute__((always_inline)) {
    const Bytes s = *reinterpret_cast<const Bytes*>(src + 4 * k);
    const Bytes d = *reinterpret_cast<const Bytes*>(dst + 4 * k);
    Pixels r = reinterpret_cast<Pixels>(
        Narrow<kLane>(mix(WidenLow<kLane>(d), WidenLow<kLane>(s), AlphaLow<kLane>(s)),
                      mix(WidenHigh<kLane>(d), WidenHigh<kLane>(s), AlphaHigh<kLane>(s))));
    if constexpr (O.transp == Transp::kTest) {
      const Pixels sp = reinterpret_cast<Pixels>(s);
      const Pixels opaque = reinterpret_cast<Pixels>(sp >= 0xFF000000u);
      r = (sp & opaque) | (r & ~opaque);
    }
    return r;
  };
  return OverlappedBlocks<kLane / 4>(
      i, n, compute, [&](ptrdiff_t k, Pixels v) __attribute__((always_inline)) {
        *reinterpret_cast<Pixels*>(dst + 4 * k) = v;
      });
}

// The byte-saturating add or subtract at 255 for pixels [i, n) in whole blocks of kLane bytes.
template <BlendOptions O, size_t kLane>
RT_SOFT_INLINE ptrdiff_t ByteSaturatedLanes(uint8_t* __restrict dst, const uint8_t* __restrict src, ptrdiff_t i,
                                            ptrdiff_t n) {
  using Bytes = typename LaneVectors<kLane>::Bytes;
  const auto compute = [&](ptrdiff_t k) __attribute__((always_inline)) {
    const Bytes s = *reinterpret_cast<const Bytes*>(src + 4 * k);
    const Bytes d = *reinterpret_cast<const Bytes*>(dst + 4 * k);
    return O.special == Special::kSatAdd ? AddBytesSaturated(d, s) : SubtractBytesSaturated(d, s);
  };
  return OverlappedBlocks<kLane / 4>(
      i, n, compute, [&](ptrdiff_t k, Bytes v) __attribute__((always_inline)) {
        *reinterpret_cast<Bytes*>(dst + 4 * k) = v;
      });
}

// n adjacent pixels: the destination, the source and the blend-graph bytes all advance by
// one pixel per step; kAlign is the alignment the vector loops start from, kLane the width
// of the blocks the lane loops take. Always inlined: the loops are compiled once per
// instruction set (see raster_loops.h), and an out-of-line copy could be shared between the
// two compilations.
template <BlendOptions O, size_t kAlign = 1, size_t kLane = (kAlign >= 32 ? 32 : 16)>
RT_SOFT_INLINE void BlendSpan(const BlendContext& context, uint8_t* __restrict dst, const uint8_t* __restrict src,
                              const uint8_t* __restrict graph, int n) {
  if constexpr (IsPlainCopy(O)) {
    CopyRow(dst, src, static_cast<size_t>(n) * DestBytes(O.form));
  } else {
    const BlendContext c = context;  // a local copy, so that stores cannot alias the settings
    const auto pixel = [&](ptrdiff_t i) __attribute__((always_inline)) {
      const SrcPixel sp = FetchSource<O.form>(c.palette, src, i);
      const uint32_t g = O.graph ? c.graphTable[graph[i]] : 0;
      if constexpr (Is32(O.form)) {
        uint32_t* d = reinterpret_cast<uint32_t*>(dst) + i;
        *d = BlendValue<O>(c, *d, sp, g);
      } else {
        uint16_t* d = reinterpret_cast<uint16_t*>(dst) + i;
        *d = static_cast<uint16_t>(BlendValue<O>(c, *d, sp, g));
      }
    };
    const ptrdiff_t lead = LeadingPixels<kAlign>(dst, DestBytes(O.form), n);
    for (ptrdiff_t i = 0; i < lead; ++i) pixel(i);
    ptrdiff_t from = lead;
    // A span too short for a whole block of kLane bytes may still fill a narrower one.
    if constexpr (IsScaledAddOrSubtract(O) || IsBrightCopy(O)) {
      from = ScaleSpanLanes<O, kLane>(c, dst, src, lead, n);
      if constexpr (kLane > 16) from = ScaleSpanLanes<O, 16>(c, dst, src, from, n);
    } else if constexpr (IsAlphaMix(O)) {
      from = AlphaSpanLanes<O, kLane>(dst, src, lead, n);
      if constexpr (kLane > 16) from = AlphaSpanLanes<O, 16>(dst, src, from, n);
    } else if constexpr (IsByteSaturated(O)) {
      from = ByteSaturatedLanes<O, kLane>(dst, src, lead, n);
      if constexpr (kLane > 16) from = ByteSaturatedLanes<O, 16>(dst, src, from, n);
    }
    for (ptrdiff_t i = from; i < n; ++i) pixel(i);
  }
}

// Which options a combination of settings draws with, decided once per draw.
struct BlendChoice {
  bool draw;  // false: the settings draw nothing
  SrcForm form;
  uint8_t mode;
  bool graph;
  bool white;
  Special special;
};

// form, blend mode and parameter, bright colour, blend graph present; perPixel is false on
// the run path, whose loops have no special cases; mmx is the MMX setting.
constexpr BlendChoice ChooseBlend(Rules rules, SrcForm form, int mode, int param, uint32_t bright, bool graph,
                                  bool perPixel, bool mmx) {
  BlendChoice b{false, form, 0, graph, (bright & 0xFFFFFF) == 0xFFFFFF, Special::kNone};
  if (mode < 0 || mode > 4) return b;
  if (param < 0) param = 0;
  if (param > 255) param = 255;
  if (mode == 1 && param == 255) mode = 0;
  if ((mode == 1 || mode == 2) && param == 0) return b;
  if (mode == 3 && param == 0 && !IsPalette(form)) return b;
  b.draw = true;
  b.mode = static_cast<uint8_t>(mode);
  const bool plain = perPixel && b.white && !graph && !HasAlpha(form);
  if (!plain) return b;
  if (rules == Rules::kSameSize) {
    if (mode == 1 && param == 128) {
      b.special = Special::kHalf;
    } else if (mode == 1 && !Is32(form)) {
      b.special = Special::kLerp6;
    } else if (mode == 2 && param == 255 && Is32(form)) {
      b.special = Special::kSatAdd;
    } else if (mode == 3 && param == 255 && Is32(form) && mmx) {
      b.special = Special::kSatSub;
    }
  } else if (rules == Rules::kStretched && mode == 3 && param == 255 && Is32(form) && mmx) {
    b.special = Special::kSatSub;
  }
  return b;
}

// ---- Compile-time dispatch: one table entry per combination of options ----

constexpr size_t kBlendIndexCount = size_t{kSrcFormCount} * 5 * 2 * 2 * kTranspCount * kSpecialCount;

constexpr size_t BlendIndex(SrcForm form, int mode, bool graph, bool white, Transp transp, Special special) {
  size_t i = static_cast<size_t>(form);
  i = i * 5 + static_cast<size_t>(mode);
  i = i * 2 + (graph ? 1 : 0);
  i = i * 2 + (white ? 1 : 0);
  i = i * kTranspCount + static_cast<size_t>(transp);
  return i * kSpecialCount + static_cast<size_t>(special);
}

constexpr BlendOptions DecodeBlendIndex(size_t i, Rules rules) {
  BlendOptions o{};
  o.rules = rules;
  o.special = static_cast<Special>(i % kSpecialCount);
  i /= kSpecialCount;
  o.transp = static_cast<Transp>(i % kTranspCount);
  i /= kTranspCount;
  o.white = i % 2;
  i /= 2;
  o.graph = i % 2;
  i /= 2;
  o.mode = static_cast<uint8_t>(i % 5);
  o.form = static_cast<SrcForm>(i / 5);
  return o;
}

// Whether a combination can be chosen at all: special loops exist only where ChooseBlend
// picks them, and only for per-pixel transparency.
constexpr bool IsValidBlend(const BlendOptions& o) {
  if (o.special == Special::kNone) return true;
  if (!o.white || o.graph || HasAlpha(o.form)) return false;
  if (o.transp != Transp::kNone && o.transp != Transp::kTest) return false;
  switch (o.special) {
    case Special::kHalf:
      return o.mode == 1 && o.rules == Rules::kSameSize;
    case Special::kLerp6:
      return o.mode == 1 && !Is32(o.form) && o.rules == Rules::kSameSize;
    case Special::kSatAdd:
      return o.mode == 2 && Is32(o.form) && o.rules == Rules::kSameSize;
    case Special::kSatSub:
      return o.mode == 3 && Is32(o.form) && o.rules != Rules::kRotated;
    default:
      return false;
  }
}

// A table of Walker<O>::Run for every valid combination that Walker<O>::kAccepts, null
// elsewhere. Walker is a class template over BlendOptions with a static Run of type Fn.
template <Rules R, template <BlendOptions> class Walker, class Fn, size_t I>
constexpr Fn BlendTableEntry() {
  constexpr BlendOptions o = DecodeBlendIndex(I, R);
  if constexpr (IsValidBlend(o) && Walker<o>::kAccepts) {
    return &Walker<o>::Run;
  } else {
    return nullptr;
  }
}

template <Rules R, template <BlendOptions> class Walker, class Fn, size_t... I>
constexpr auto MakeBlendTableImpl(std::index_sequence<I...>) {
  struct Table {
    Fn entries[sizeof...(I)];
  };
  return Table{{BlendTableEntry<R, Walker, Fn, I>()...}};
}

template <Rules R, template <BlendOptions> class Walker, class Fn>
constexpr auto MakeBlendTable() {
  return MakeBlendTableImpl<R, Walker, Fn>(std::make_index_sequence<kBlendIndexCount>{});
}

}  // namespace rt::soft
