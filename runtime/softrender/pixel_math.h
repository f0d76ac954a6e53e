// Exact integer helpers of the pixel rules. They give bit for bit the values of the shared
// lookup tables (a test walks the whole domain), but as arithmetic the compiler can
// vectorise instead of table loads.
#pragma once
#include <cstdint>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace rt::soft {

#define RT_SOFT_INLINE inline __attribute__((always_inline))

// floor(x / 255) for 0 <= x <= 65534.
RT_SOFT_INLINE uint32_t Div255(uint32_t x) { return (x + 1 + (x >> 8)) >> 8; }
// floor(f * v / 255) for f, v in 0..255: BlendMulTable[f][v].
RT_SOFT_INLINE uint32_t MulDiv255(uint32_t f, uint32_t v) { return Div255(f * v); }
// p * x / 255 truncated toward zero, x in -255..255: BlendDiffTable[p][zero + x].
RT_SOFT_INLINE int32_t ScaledDiff(int32_t p, int32_t x) {
  const int32_t t = static_cast<int32_t>(Div255(static_cast<uint32_t>(p * (x < 0 ? -x : x))));
  return x < 0 ? -t : t;
}
// floor((b * s + (63 - b) * d) / 63) for 0..63 values: BlendLerp6Table[b][s][d]. In 16-bit
// arithmetic (the sum stays below 4096), so that the compiler can use 16-bit lanes and a
// high-half multiply for the division.
RT_SOFT_INLINE uint32_t Lerp6(uint32_t b, uint32_t s, uint32_t d) {
  const uint16_t x = static_cast<uint16_t>(b * s + (63 - b) * d);
  return static_cast<uint16_t>((uint32_t{x} * 2081u) >> 16) >> 1;
}
// d + floor((s - d) * w / 2^shift), exact in unsigned 32-bit arithmetic while the true
// d * 2^shift + (s - d) * w lies in 0..2^32 - 1, as it does for every rule here.
RT_SOFT_INLINE uint32_t LerpShift(uint32_t d, uint32_t s, uint32_t w, int shift) {
  return ((d << shift) + (s - d) * w) >> shift;
}

// d + floor((s - d) * w / 256) for the three colour channels of 32-bit pixels, two channels
// per multiplication (d * (256 - w) + s * w never leaves its 16-bit field for w <= 256); the
// fourth byte of d is kept.
RT_SOFT_INLINE uint32_t MixPixels32(uint32_t d, uint32_t s, uint32_t w) {
  const uint32_t rb = (((d & 0x00FF00FF) * (256 - w) + (s & 0x00FF00FF) * w) >> 8) & 0x00FF00FF;
  const uint32_t g = (((d & 0x0000FF00) * (256 - w) + (s & 0x0000FF00) * w) >> 8) & 0x0000FF00;
  return (d & 0xFF000000) | rb | g;
}
// floor(f * c / 255) for the three colour channels of a 32-bit pixel; the fourth byte is 0.
RT_SOFT_INLINE uint32_t ScalePixel32(uint32_t s, uint32_t f) {
  const uint32_t rb = (s & 0x00FF00FF) * f;
  const uint32_t g = ((s >> 8) & 0xFF) * f;
  return (((rb + 0x00010001 + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF) | Div255(g) << 8;
}

// floor(b * c / 255) with a factor per colour channel (blue, green, red); the fourth byte
// is 0. Blue and red share one division.
RT_SOFT_INLINE uint32_t BrightPixel32(uint32_t s, uint32_t blue, uint32_t green, uint32_t red) {
  const uint32_t rb = (s & 0xFF) * blue | (((s >> 16) & 0xFF) * red) << 16;
  const uint32_t g = ((s >> 8) & 0xFF) * green;
  return (((rb + 0x00010001 + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF) | Div255(g) << 8;
}

// Packed per-channel add with saturation; the lowest bits of green and red act as carry
// guards, so they are not exact, and the fourth byte becomes the carry out of red.
// Both take a pixel or a vector of pixels.
template <class V>
RT_SOFT_INLINE V SaturatingAddPixels32(V d, V s) {
  const V sum = (d & 0x00FEFEFF) + (s & 0x00FEFEFF);
  const V carry = sum & 0x01010100;
  return sum | (carry - (carry >> 8)) | ((d | s) & 0x00010100);
}
RT_SOFT_INLINE uint32_t SaturatingAddPixels32(uint32_t d, uint32_t s) { return SaturatingAddPixels32<uint32_t>(d, s); }
// Packed per-channel subtract clamped at 0, with the same guard bits; the fourth byte
// becomes 0.
template <class V>
RT_SOFT_INLINE V SaturatingSubtractPixels32(V d, V s) {
  const V r = (d | 0x01010100) - (s & 0xFEFEFEFF);
  const V borrow = r & 0x01010100;
  return r & (borrow - (borrow >> 8));
}
RT_SOFT_INLINE uint32_t SaturatingSubtractPixels32(uint32_t d, uint32_t s) {
  return SaturatingSubtractPixels32<uint32_t>(d, s);
}
RT_SOFT_INLINE uint32_t SaturatingAddPixels16(uint32_t d, uint32_t s) {
  const uint32_t sum = (d & 0xF7DF) + (s & 0xF7DF);
  const uint32_t carry = sum & 0x10820;
  return (sum | (carry - (carry >> 5)) | ((d | s) & 0x0820)) & 0xFFFF;
}
RT_SOFT_INLINE uint32_t SaturatingSubtractPixels16(uint32_t d, uint32_t s) {
  const uint32_t r = (d | 0x10820) - (s & 0xF7DF);
  const uint32_t borrow = r & 0x10820;
  return (r & (borrow - (borrow >> 5))) & 0xFFFF;
}

// Each byte of x and y (vectors of 16 or 32 bytes) added or subtracted with unsigned
// saturation: one instruction where the set being compiled has it.
template <class Bytes>
RT_SOFT_INLINE Bytes AddBytesSaturated(Bytes x, Bytes y) {
#if defined(__AVX2__)
  if constexpr (sizeof(Bytes) == 32) return reinterpret_cast<Bytes>(_mm256_adds_epu8(reinterpret_cast<__m256i>(x), reinterpret_cast<__m256i>(y)));
#endif
#if defined(__SSE2__)
  if constexpr (sizeof(Bytes) == 16) return reinterpret_cast<Bytes>(_mm_adds_epu8(reinterpret_cast<__m128i>(x), reinterpret_cast<__m128i>(y)));
#endif
  const Bytes t = x + y;
  return t | reinterpret_cast<Bytes>(t < x);
}
template <class Bytes>
RT_SOFT_INLINE Bytes SubtractBytesSaturated(Bytes x, Bytes y) {
#if defined(__AVX2__)
  if constexpr (sizeof(Bytes) == 32) return reinterpret_cast<Bytes>(_mm256_subs_epu8(reinterpret_cast<__m256i>(x), reinterpret_cast<__m256i>(y)));
#endif
#if defined(__SSE2__)
  if constexpr (sizeof(Bytes) == 16) return reinterpret_cast<Bytes>(_mm_subs_epu8(reinterpret_cast<__m128i>(x), reinterpret_cast<__m128i>(y)));
#endif
  const Bytes t = x - y;
  return t & ~reinterpret_cast<Bytes>(t > x);
}

// SaturatingAddPixels32 on a vector of pixels, in fewer steps. With the guard bits masked
// off, the byte-saturating add of green and red is their packed sum, or 0xFF where the
// packed rule fills the byte for its carry (the masked sum is even, so it never stops at
// 255 without one), and blue needs no guard; the source's guard bits ride in its added
// bytes (an odd addend makes the even sum odd, or saturates it). ORed with the packed sum
// itself, which adds the carries into the next byte's guard bit (red's into the fourth
// byte), and with the destination's guard bits, it is the packed rule's value.
// kEvenSource: every s has its green and red guard bits clear; then the destination's guard
// bits may stay in its added bytes (an odd byte plus an even one never saturates at 255
// unless the masked sum carries), one step fewer.
template <class Pixels, class Bytes, bool kEvenSource = false>
RT_SOFT_INLINE Pixels SaturatingAddPixels32Bytes(Pixels d, Pixels s) {
  const Pixels m = d & 0x00FEFEFF;
  const Pixels sum = m + (s & 0x00FEFEFF);
  if constexpr (kEvenSource) {
    return reinterpret_cast<Pixels>(AddBytesSaturated(reinterpret_cast<Bytes>(d & 0x00FFFFFF),
                                                      reinterpret_cast<Bytes>(s & 0x00FFFFFF))) |
           sum;
  } else {
    const Pixels bytes = reinterpret_cast<Pixels>(
        AddBytesSaturated(reinterpret_cast<Bytes>(m), reinterpret_cast<Bytes>(s & 0x00FFFFFF)));
    return bytes | sum | (d & 0x00010100);
  }
}

// Exact unsigned saturating add and subtract of each of the four bytes.
RT_SOFT_INLINE uint32_t SaturatingAddBytes(uint32_t a, uint32_t b) {
  const uint32_t low = (a & 0x7F7F7F7F) + (b & 0x7F7F7F7F);
  const uint32_t carry = ((a & b) | ((a | b) & ~(low ^ ((a ^ b) & 0x80808080)))) & 0x80808080;
  return (low ^ ((a ^ b) & 0x80808080)) | ((carry << 1) - (carry >> 7));
}
RT_SOFT_INLINE uint32_t SaturatingSubtractBytes(uint32_t a, uint32_t b) { return ~SaturatingAddBytes(~a, b); }

}  // namespace rt::soft
