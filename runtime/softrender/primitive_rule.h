// The one per-pixel rule of the software primitives (pixel, box, line, circle): the colour
// is scaled by the bright colour once per call, then each pixel is combined by the blend
// mode. A kernel is a template over the image kind and the mode; the routines build one
// loop per combination from it.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "runtime/image/memimg.h"
#include "runtime/softrender/pixel_math.h"

namespace rt::soft {

// Per-call values of the rule.
struct PrimContext {
  uint32_t color;   // the colour after the bright step; a kind-0 colour has its top 16 bits clear
  uint32_t amount;  // add and subtract: the colour weakened by the parameter, channel by channel
  uint32_t param;
  uint32_t channel[3];  // the colour's blue, green and red channel values
  // 16-bit alpha: the new value of each channel for every old value (blue, green, red).
  uint8_t mix[3][64];
};

// Kind 0 (16-bit 5-6-5) or 1 (32-bit), mode 0..4 (mode 1 at 255 runs as 0). kWide: the
// caller's loop runs in vector registers, where the 16-bit alpha rule is computed rather than
// looked up (table loads do not vectorise; one pixel at a time they are the faster form).
template <int Kind, int Mode, bool kWide = false>
RT_SOFT_INLINE uint32_t PrimitiveBlend(const PrimContext& c, uint32_t d) {
  constexpr bool k32 = Kind == kMemImgKindXRGB;
  if constexpr (Mode == 0) {
    return c.color;
  } else if constexpr (Mode == 2) {
    return k32 ? SaturatingAddPixels32(d, c.amount) : SaturatingAddPixels16(d, c.amount);
  } else if constexpr (Mode == 3) {
    return k32 ? SaturatingSubtractPixels32(d, c.amount) : SaturatingSubtractPixels16(d, c.amount);
  } else if constexpr (k32 && Mode == 1) {
    return MixPixels32(d, c.color, c.param);
  } else if constexpr (k32) {
    uint32_t out = d & 0xFF000000;
    for (int ch = 0; ch < 3; ++ch) {
      const uint32_t dc = (d >> (8 * ch)) & 0xFF;
      const uint32_t v = (dc * c.channel[ch]) >> 8;
      out |= v << (8 * ch);
    }
    return out;
  } else if constexpr (Mode == 1 && kWide) {
    const int32_t p = static_cast<int32_t>(c.param);
    const int32_t b = static_cast<int32_t>(d & 0x1F), g = static_cast<int32_t>((d >> 5) & 0x3F),
                  r = static_cast<int32_t>(d >> 11);
    const int32_t nb = b + ScaledDiff(p, static_cast<int32_t>(c.channel[0]) - b);
    const int32_t ng = g + ScaledDiff(p, static_cast<int32_t>(c.channel[1]) - g);
    const int32_t nr = r + ScaledDiff(p, static_cast<int32_t>(c.channel[2]) - r);
    return static_cast<uint32_t>(nr << 11 | ng << 5 | nb);
  } else if constexpr (Mode == 1) {
    return uint32_t{c.mix[2][(d >> 11) & 0x1F]} << 11 | uint32_t{c.mix[1][(d >> 5) & 0x3F]} << 5 | c.mix[0][d & 0x1F];
  } else {
    const uint32_t red = (((d & 0xF800) * (c.color & 0xF800)) >> 16) & 0xF800;
    const uint32_t green = (((d & 0x07E0) * (c.color & 0x07E0)) >> 11) & 0x07E0;
    const uint32_t blue = ((d & 0x001F) * (c.color & 0x001F)) >> 5;
    return red | green | blue;
  }
}

// What a primitive call draws with, decided once per call.
struct PrimChoice {
  bool draw;
  int kind;
  int mode;
  PrimContext context;
};

// The rule's once-per-call decisions for a colour (a pixel value in the image's format) under
// blend mode, parameter and bright colour. Nothing is drawn for kinds other than 0 and 1,
// modes above 4, or parameter 0 in modes 1 to 3.
// mixTable: fill the 16-bit alpha tables, for callers that draw with kWide false.
inline PrimChoice ChoosePrimitive(const MEMIMG* image, uint32_t color, int mode, int param, uint32_t bright,
                                  bool mixTable = false) {
  PrimChoice r{false, image->kind, 0, {}};
  if (image->kind != kMemImgKind565 && image->kind != kMemImgKindXRGB) return r;
  if (mode < 0 || mode > 4) return r;
  param = param < 0 ? 0 : (param > 255 ? 255 : param);
  if (mode >= 1 && mode <= 3 && param == 0) return r;
  if (mode == 1 && param == 255) mode = 0;
  r.draw = true;
  r.mode = mode;
  const bool k32 = image->kind == kMemImgKindXRGB;
  // A 16-bit colour is only its low 16 bits; the rest would spill into the next pixel.
  if (!k32) color &= 0xFFFF;
  const uint32_t b[3] = {bright & 0xFF, (bright >> 8) & 0xFF, (bright >> 16) & 0xFF};
  const bool white = (bright & 0xFFFFFF) == 0xFFFFFF;
  uint32_t ch[3];
  if (k32) {
    for (int i = 0; i < 3; ++i) ch[i] = (color >> (8 * i)) & 0xFF;
  } else {
    ch[0] = color & 0x1F;
    ch[1] = (color >> 5) & 0x3F;
    ch[2] = color >> 11;
  }
  // The primitives scale by a shift of 8 bits, so 255 still lowers a channel.
  if (!white) {
    for (int i = 0; i < 3; ++i) ch[i] = (ch[i] * b[i]) >> 8;
  }
  PrimContext& c = r.context;
  c.param = static_cast<uint32_t>(param);
  for (int i = 0; i < 3; ++i) c.channel[i] = ch[i];
  if (k32) {
    c.color = white ? color : (color & 0xFF000000) | ch[2] << 16 | ch[1] << 8 | ch[0];
    c.amount = MulDiv255(c.param, ch[2]) << 16 | MulDiv255(c.param, ch[1]) << 8 | MulDiv255(c.param, ch[0]);
  } else {
    c.color = ch[2] << 11 | ch[1] << 5 | ch[0];
    c.amount = MulDiv255(c.param, ch[2]) << 11 | MulDiv255(c.param, ch[1]) << 5 | MulDiv255(c.param, ch[0]);
    if (mode == 1 && mixTable) {
      // d + (s - d) * p / 255 toward the old value, for each of the 32 or 64 old values.
      for (int i = 0; i < 3; ++i) {
        const int values = i == 1 ? 64 : 32;
        for (int d = 0; d < values; ++d) {
          c.mix[i][d] = static_cast<uint8_t>(d + ScaledDiff(param, static_cast<int32_t>(ch[i]) - d));
        }
      }
    }
  }
  return r;
}

// A table of Routine<Kind, Mode, Variant>::Run over kind 0..1, mode 0..4 and Variants
// variants, indexed by PrimitiveIndex.
constexpr size_t PrimitiveIndex(int kind, int mode, int variant = 0) {
  return (static_cast<size_t>(variant) * 2 + static_cast<size_t>(kind)) * 5 + static_cast<size_t>(mode);
}

template <template <int, int, int> class Routine, class Fn, int Variants, size_t... I>
constexpr std::array<Fn, sizeof...(I)> MakePrimitiveTableImpl(std::index_sequence<I...>) {
  return {&Routine<static_cast<int>(I / 5 % 2), static_cast<int>(I % 5), static_cast<int>(I / 10)>::Run...};
}

template <template <int, int, int> class Routine, class Fn, int Variants = 1>
constexpr std::array<Fn, 10 * Variants> MakePrimitiveTable() {
  return MakePrimitiveTableImpl<Routine, Fn, Variants>(std::make_index_sequence<10 * Variants>{});
}

// Pixel (x, y) of a kind-0 or kind-1 image.
RT_SOFT_INLINE uint8_t* PixelAddress(const MEMIMG* image, int64_t x, int64_t y, int bytes) {
  return image->pixels + y * image->pitch + x * bytes;
}

template <int Kind, int Mode, bool kWide = false>
RT_SOFT_INLINE void BlendAt(const PrimContext& c, uint8_t* p) {
  if constexpr (Kind == kMemImgKindXRGB) {
    uint32_t* d = reinterpret_cast<uint32_t*>(p);
    *d = PrimitiveBlend<Kind, Mode, kWide>(c, *d);
  } else {
    uint16_t* d = reinterpret_cast<uint16_t*>(p);
    *d = static_cast<uint16_t>(PrimitiveBlend<Kind, Mode, kWide>(c, *d));
  }
}

}  // namespace rt::soft

namespace rt::soft {

// The draw area limited to the image, so that a draw area reaching beyond the image never
// lets a primitive write outside it.
inline RECT PrimitiveClipArea(const MEMIMG* image, const RECT& drawArea) {
  const auto clamp = [](int32_t v, int32_t low, int32_t high) { return v < low ? low : (v > high ? high : v); };
  RECT r;
  r.left = clamp(drawArea.left, 0, image->width);
  r.top = clamp(drawArea.top, 0, image->height);
  r.right = clamp(drawArea.right, r.left, image->width);
  r.bottom = clamp(drawArea.bottom, r.top, image->height);
  return r;
}

}  // namespace rt::soft
