#include "runtime/image/convert_blt.h"

#include <cstddef>
#include <cstring>

namespace rt {
namespace {

using Byte = uint8_t;

template <int Bytes>
inline uint32_t Load(const Byte* p) {
  if constexpr (Bytes == 1) {
    return p[0];
  } else if constexpr (Bytes == 2) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  } else if constexpr (Bytes == 3) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
  } else {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
}

template <int Bytes>
inline void Store(Byte* p, uint32_t v) {
  if constexpr (Bytes == 1) {
    p[0] = static_cast<Byte>(v);
  } else if constexpr (Bytes == 2) {
    const uint16_t w = static_cast<uint16_t>(v);
    std::memcpy(p, &w, 2);
  } else if constexpr (Bytes == 3) {
    p[0] = static_cast<Byte>(v);
    p[1] = static_cast<Byte>(v >> 8);
    p[2] = static_cast<Byte>(v >> 16);
  } else {
    std::memcpy(p, &v, 4);
  }
}

inline uint32_t LoadAny(const Byte* p, int bytes) {
  switch (bytes) {
    case 1: return Load<1>(p);
    case 2: return Load<2>(p);
    case 3: return Load<3>(p);
    default: return Load<4>(p);
  }
}

inline void StoreAny(Byte* p, int bytes, uint32_t v) {
  switch (bytes) {
    case 1: Store<1>(p, v); break;
    case 2: Store<2>(p, v); break;
    case 3: Store<3>(p, v); break;
    default: Store<4>(p, v); break;
  }
}

// A palette entry (blue, green, red, 0) as the 32-bit value the format's masks describe.
inline uint32_t PaletteEntry(const ColorFormat* f, uint32_t index) {
  const uint8_t* e = f->palette[index & 0xFF];
  return uint32_t{e[0]} | uint32_t{e[1]} << 8 | uint32_t{e[2]} << 16 | uint32_t{e[3]} << 24;
}

uint32_t DepthMask(int depth) { return depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1u; }

bool Masks(const ColorFormat* f, int depth, uint32_t r, uint32_t g, uint32_t b) {
  return f->colorBitDepth == depth && f->redMask == r && f->greenMask == g && f->blueMask == b;
}
bool IsPal8(const ColorFormat* f) { return f->colorBitDepth == 8; }
bool Is565(const ColorFormat* f) { return Masks(f, 16, 0xF800, 0x07E0, 0x001F) && f->alphaMask == 0; }
bool Is555(const ColorFormat* f) { return Masks(f, 16, 0x7C00, 0x03E0, 0x001F); }
bool Is555NoAlpha(const ColorFormat* f) { return Is555(f) && f->alphaMask == 0; }
bool Is1555(const ColorFormat* f) { return Is555(f) && f->alphaMask == 0x8000; }
bool IsRgb888(const ColorFormat* f) { return Masks(f, 24, 0xFF0000, 0xFF00, 0xFF); }
bool Is32Rgb(const ColorFormat* f) { return Masks(f, 32, 0xFF0000, 0xFF00, 0xFF); }
bool IsXrgbNoAlpha(const ColorFormat* f) { return Is32Rgb(f) && f->alphaMask == 0; }
bool IsArgb8888(const ColorFormat* f) { return Is32Rgb(f) && f->alphaMask == 0xFF000000u; }

// The rectangle's rows in both images; pitches may be negative.
struct Walk {
  Byte* dest;        // destination pixel (destX, destY)
  const Byte* src;   // source pixel (left, top)
  const Byte* alpha; // alpha-image pixel (left, top), or null
  ptrdiff_t destPitch, srcPitch, alphaPitch;
  int width, height;
  int destBytes, srcBytes, alphaBytes;
  bool mirror;

  Byte* DestRow(int y) const { return dest + y * destPitch; }
  const Byte* SrcRow(int y) const { return src + y * srcPitch; }
  const Byte* AlphaRow(int y) const { return alpha + y * alphaPitch; }
  // The destination pixel that source column x lands on.
  Byte* DestAt(Byte* row, int x) const { return row + (mirror ? width - 1 - x : x) * destBytes; }
};

// Runs f(sourcePixel) -> destination pixel over the rectangle with fixed pixel sizes.
template <int SrcBytes, int DestBytes, class F>
void MapPixels(const Walk& w, F&& f) {
  for (int y = 0; y < w.height; ++y) {
    const Byte* s = w.SrcRow(y);
    Byte* d = w.DestRow(y);
    int x = 0;
    if constexpr (SrcBytes == 3) {
      // Every 3-byte pixel but the row's last in one 4-byte load, the next pixel's first byte
      // masked off: a third of the loads, and no byte outside the row is read.
      for (; x + 1 < w.width; ++x) Store<DestBytes>(d + x * DestBytes, f(Load<4>(s + x * 3) & 0xFFFFFFu));
    }
    for (; x < w.width; ++x) Store<DestBytes>(d + x * DestBytes, f(Load<SrcBytes>(s + x * SrcBytes)));
  }
}

// Per-channel constants of the general rule.
struct Channel {
  uint32_t srcMask;
  int srcShift, srcWidth;
  int destShift, destWidth;
  uint32_t destMask;
};

// Narrowing drops low bits; widening shifts up and fills the new low bits in proportion.
inline uint32_t Resize(uint32_t c, int sourceWidth, int destWidth) {
  if (sourceWidth == destWidth) return c;
  if (sourceWidth > destWidth) return sourceWidth - destWidth >= 32 ? 0 : c >> (sourceWidth - destWidth);
  if (sourceWidth == 0) return 0;
  const int k = destWidth - sourceWidth;
  const uint64_t v = (uint64_t{c} << k) + uint64_t{c} * ((uint64_t{1} << k) - 1) / ((uint64_t{1} << sourceWidth) - 1);
  return static_cast<uint32_t>(v);
}

inline uint32_t ReadChannel(uint32_t pixel, uint32_t mask, int shift) {
  return shift >= 32 ? 0 : (pixel & mask) >> shift;
}

inline uint32_t Place(uint32_t value, const Channel& c) {
  return c.destShift >= 32 ? 0 : (value << c.destShift) & c.destMask;
}

Channel MakeChannel(uint32_t srcMask, int srcShift, int srcWidth, uint32_t destMask, int destShift, int destWidth) {
  return {srcMask, srcShift, srcWidth, destShift, destWidth, destMask};
}

struct GeneralRule {
  const ColorFormat* src;
  const ColorFormat* dest;
  const ColorFormat* alphaFormat;
  Channel red, green, blue, alpha;
  bool alphaFromImage, srcHasAlpha, alphaFromRed, alphaOnly, keyToAlpha, skip;
  uint32_t skipKey;   // raw source value
  uint32_t keyRgb;    // the key packed in the destination's colour bits
  uint32_t fullAlpha; // destination alpha value with every bit set
  uint32_t spare;     // destination spare bits (16 and 32 bits only)
};

void RunGeneralRule(const Walk& w, const GeneralRule& g) {
  const uint32_t alphaMask = g.dest->alphaMask;
  for (int y = 0; y < w.height; ++y) {
    const Byte* s = w.SrcRow(y);
    const Byte* a = g.alphaFromImage ? w.AlphaRow(y) : nullptr;
    Byte* d = w.DestRow(y);
    for (int x = 0; x < w.width; ++x) {
      const uint32_t raw = LoadAny(s + x * w.srcBytes, w.srcBytes);
      if (g.skip && raw == g.skipKey) continue;
      const uint32_t pixel = w.srcBytes == 1 ? PaletteEntry(g.src, raw) : raw;
      uint32_t r = Resize(ReadChannel(pixel, g.red.srcMask, g.red.srcShift), g.red.srcWidth, g.red.destWidth);
      uint32_t gr = Resize(ReadChannel(pixel, g.green.srcMask, g.green.srcShift), g.green.srcWidth, g.green.destWidth);
      uint32_t b = Resize(ReadChannel(pixel, g.blue.srcMask, g.blue.srcShift), g.blue.srcWidth, g.blue.destWidth);
      uint32_t alpha;
      if (g.alphaFromImage) {
        uint32_t ap = LoadAny(a + x * w.alphaBytes, w.alphaBytes);
        if (w.alphaBytes == 1) ap = PaletteEntry(g.alphaFormat, ap);
        alpha = Resize(ReadChannel(ap, g.alphaFormat->redMask, g.alphaFormat->redShift), g.alphaFormat->redWidth,
                       g.alpha.destWidth);
      } else if (g.srcHasAlpha) {
        alpha = Resize(ReadChannel(pixel, g.alpha.srcMask, g.alpha.srcShift), g.alpha.srcWidth, g.alpha.destWidth);
      } else {
        alpha = g.fullAlpha;
      }
      // Red is sized to the alpha channel here, so a narrow alpha never spills into red.
      if (g.alphaFromRed) {
        alpha = Resize(ReadChannel(pixel, g.red.srcMask, g.red.srcShift), g.red.srcWidth, g.alpha.destWidth);
      }
      if (g.alphaOnly) r = gr = b = 0;
      const uint32_t rgb = Place(r, g.red) | Place(gr, g.green) | Place(b, g.blue);
      uint32_t out = rgb | Place(alpha, g.alpha);
      if (g.keyToAlpha) out = rgb == g.keyRgb ? rgb : rgb | alphaMask;
      out |= g.spare;
      StoreAny(w.DestAt(d, x), w.destBytes, out);
    }
  }
}

// Same format: rows copied as they are, mirrored pixel by pixel, or with the key skipped.
void SameFormatCopy(const Walk& w, int skip, uint32_t key) {
  const int bytes = w.destBytes;
  for (int y = 0; y < w.height; ++y) {
    const Byte* s = w.SrcRow(y);
    Byte* d = w.DestRow(y);
    if (w.mirror) {
      for (int x = 0; x < w.width; ++x) std::memcpy(w.DestAt(d, x), s + x * bytes, static_cast<size_t>(bytes));
    } else if (skip) {
      for (int x = 0; x < w.width; ++x) {
        const uint32_t v = LoadAny(s + x * bytes, bytes);
        if (v != key) StoreAny(d + x * bytes, bytes, v);
      }
    } else {
      std::memmove(d, s, static_cast<size_t>(w.width) * static_cast<size_t>(bytes));
    }
  }
}

inline uint32_t Pack565(uint32_t r, uint32_t g, uint32_t b) { return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3); }
inline uint32_t Pack555(uint32_t r, uint32_t g, uint32_t b) { return (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3); }
inline uint32_t Pack565(uint32_t rgb) { return Pack565(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF); }
inline uint32_t Pack555(uint32_t rgb) { return Pack555(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF); }
inline uint32_t Expand565(uint32_t p) { return (p & 0xF800) << 8 | (p & 0x7E0) << 5 | (p & 0x1F) << 3; }
inline uint32_t Drop565Green(uint32_t p) { return (p & 0xFFC0) >> 1 | (p & 0x1F); }

// The common pairs without colour key or alpha image; false when the pair has no loop.
bool SpecialisedLoop(const Walk& w, const ColorFormat* src, const ColorFormat* dest) {
  if (IsPal8(src)) {
    auto entry = [src](uint32_t i) { return PaletteEntry(src, i) & 0xFFFFFF; };
    if (Is565(dest)) return MapPixels<1, 2>(w, [&](uint32_t i) { return Pack565(entry(i)); }), true;
    if (Is555NoAlpha(dest)) return MapPixels<1, 2>(w, [&](uint32_t i) { return Pack555(entry(i)) | 0x8000; }), true;
    if (IsXrgbNoAlpha(dest)) return MapPixels<1, 4>(w, [&](uint32_t i) { return entry(i) | 0xFF000000u; }), true;
    return false;
  }
  if (IsRgb888(src)) {
    if (Is565(dest)) return MapPixels<3, 2>(w, [](uint32_t p) { return Pack565(p); }), true;
    if (Is555NoAlpha(dest)) return MapPixels<3, 2>(w, [](uint32_t p) { return Pack555(p) | 0x8000; }), true;
    if (IsXrgbNoAlpha(dest)) return MapPixels<3, 4>(w, [](uint32_t p) { return p | 0xFF000000u; }), true;
    return false;
  }
  if (Is32Rgb(src) && Is565(dest)) return MapPixels<4, 2>(w, [](uint32_t p) { return Pack565(p); }), true;
  if (Is565(src)) {
    if (IsRgb888(dest)) return MapPixels<2, 3>(w, Expand565), true;
    if (IsXrgbNoAlpha(dest)) return MapPixels<2, 4>(w, Expand565), true;
    if (Is555NoAlpha(dest)) return MapPixels<2, 2>(w, Drop565Green), true;
    return false;
  }
  if (Is555(src) && Is565(dest)) {
    return MapPixels<2, 2>(w, [](uint32_t p) { return (p & 0x7FE0) << 1 | (p & 0x3F); }), true;
  }
  return false;
}

// The common pairs that turn the colour key into alpha; false when the pair has no loop.
bool SpecialisedKeyLoop(const Walk& w, const ColorFormat* src, const ColorFormat* dest, uint32_t key) {
  key &= 0xFFFFFF;
  const uint32_t key555 = Pack555(key);
  if (IsPal8(src)) {
    auto entry = [src](uint32_t i) { return PaletteEntry(src, i) & 0xFFFFFF; };
    if (Is1555(dest)) {
      return MapPixels<1, 2>(w, [&](uint32_t i) {
        const uint32_t e = entry(i);
        return Pack555(e) | (e == key ? 0 : 0x8000);
      }), true;
    }
    if (IsArgb8888(dest)) {
      return MapPixels<1, 4>(w, [&](uint32_t i) {
        const uint32_t e = entry(i);
        return e == key ? e : e | 0xFF000000u;
      }), true;
    }
    return false;
  }
  if (IsRgb888(src)) {
    if (Is1555(dest)) {
      return MapPixels<3, 2>(w, [&](uint32_t p) {
        const uint32_t v = Pack555(p);
        return v == key555 ? v : v | 0x8000;
      }), true;
    }
    if (IsArgb8888(dest)) {
      return MapPixels<3, 4>(w, [&](uint32_t p) { return p == key ? p : p | 0xFF000000u; }), true;
    }
    return false;
  }
  if (Is565(src) && Is1555(dest)) {
    return MapPixels<2, 2>(w, [&](uint32_t p) {
      const uint32_t v = Drop565Green(p);
      return v == key555 ? v : v | 0x8000;
    }), true;
  }
  return false;
}

// Same colour layout: only the alpha bits change, cleared on the key and set elsewhere.
void KeyToAlphaSameColors(const Walk& w, const ColorFormat* dest, uint32_t key) {
  const uint32_t colorMask = dest->redMask | dest->greenMask | dest->blueMask;
  const uint32_t keyPixel = GetColorFormatPixel(dest, key >> 16 & 0xFF, key >> 8 & 0xFF, key & 0xFF, 255) & colorMask;
  const uint32_t alphaMask = dest->alphaMask;
  const int bytes = w.destBytes;
  for (int y = 0; y < w.height; ++y) {
    const Byte* s = w.SrcRow(y);
    Byte* d = w.DestRow(y);
    for (int x = 0; x < w.width; ++x) {
      const uint32_t p = LoadAny(s + x * bytes, bytes);
      StoreAny(w.DestAt(d, x), bytes, (p & colorMask) == keyPixel ? p & ~alphaMask : p | alphaMask);
    }
  }
}

}  // namespace

int ConvertColorFormatBlt(void* dest, int destPitch, const ColorFormat* destFormat, const void* src, int srcPitch,
                          const ColorFormat* srcFormat, const void* alpha, int alphaPitch,
                          const ColorFormat* alphaFormat, int destX, int destY, const RECT* srcRect, int mirror,
                          int keyToAlpha, uint32_t keyColor, int reserved, int alphaOnly, int alphaFromRed,
                          int transparentSkip) {
  const bool alphaImage = alpha != nullptr && alphaFormat != nullptr;
  const bool destHasAlpha = destFormat->alphaWidth != 0;
  const bool srcHasAlpha = srcFormat->alphaWidth != 0;
  const bool destReceivesAlpha = destHasAlpha && (alphaImage || srcHasAlpha);
  const bool alphaFromImage = destHasAlpha && alphaImage && !srcHasAlpha;
  if (destReceivesAlpha || !destHasAlpha || alphaFromRed) keyToAlpha = 0;
  if (destReceivesAlpha || mirror) transparentSkip = 0;

  const int width = srcRect->right - srcRect->left;
  const int height = srcRect->bottom - srcRect->top;
  if (width <= 0 || height <= 0) return -1;

  Walk w{};
  w.destBytes = destFormat->colorBitDepth / 8;
  w.srcBytes = srcFormat->colorBitDepth / 8;
  w.alphaBytes = alphaImage ? alphaFormat->colorBitDepth / 8 : 0;
  w.destPitch = destPitch;
  w.srcPitch = srcPitch;
  w.alphaPitch = alphaPitch;
  w.width = width;
  w.height = height;
  w.mirror = mirror != 0;
  w.dest = static_cast<Byte*>(dest) + static_cast<ptrdiff_t>(destY) * destPitch +
           static_cast<ptrdiff_t>(destX) * w.destBytes;
  w.src = static_cast<const Byte*>(src) + static_cast<ptrdiff_t>(srcRect->top) * srcPitch +
          static_cast<ptrdiff_t>(srcRect->left) * w.srcBytes;
  if (alphaImage) {
    w.alpha = static_cast<const Byte*>(alpha) + static_cast<ptrdiff_t>(srcRect->top) * alphaPitch +
              static_cast<ptrdiff_t>(srcRect->left) * w.alphaBytes;
  }

  // An 8-bit destination takes 8-bit sources only, byte for byte from the rectangle to the
  // destination position.
  if (destFormat->colorBitDepth == 8 && !alphaOnly && !transparentSkip) {
    if (srcFormat->colorBitDepth != 8) return -1;
    int highest = 0;
    for (int y = 0; y < height; ++y) {
      const Byte* s = w.SrcRow(y);
      Byte* d = w.DestRow(y);
      for (int x = 0; x < width; ++x) {
        if (s[x] > highest) highest = s[x];
        *w.DestAt(d, x) = s[x];
      }
    }
    return highest;
  }

  if (CompareColorFormat(destFormat, srcFormat) && !keyToAlpha && !alphaImage && !alphaOnly && !alphaFromRed) {
    SameFormatCopy(w, transparentSkip, keyColor & DepthMask(srcFormat->colorBitDepth));
    return 0;
  }

  const bool sameColors = destFormat->colorBitDepth == srcFormat->colorBitDepth &&
                          destFormat->redMask == srcFormat->redMask && destFormat->greenMask == srcFormat->greenMask &&
                          destFormat->blueMask == srcFormat->blueMask;
  if (!transparentSkip && keyToAlpha && sameColors && w.destBytes >= 2 && !alphaOnly && !alphaFromRed) {
    KeyToAlphaSameColors(w, destFormat, keyColor);
    return 0;
  }

  const bool general = transparentSkip || mirror || alphaOnly || alphaFromRed || reserved || alphaImage;
  if (!general && !destReceivesAlpha) {
    if (!keyToAlpha && SpecialisedLoop(w, srcFormat, destFormat)) return 0;
    if (keyToAlpha && SpecialisedKeyLoop(w, srcFormat, destFormat, keyColor)) return 0;
  }

  GeneralRule g{};
  g.src = srcFormat;
  g.dest = destFormat;
  g.alphaFormat = alphaFormat;
  g.red = MakeChannel(srcFormat->redMask, srcFormat->redShift, srcFormat->redWidth, destFormat->redMask,
                      destFormat->redShift, destFormat->redWidth);
  g.green = MakeChannel(srcFormat->greenMask, srcFormat->greenShift, srcFormat->greenWidth, destFormat->greenMask,
                        destFormat->greenShift, destFormat->greenWidth);
  g.blue = MakeChannel(srcFormat->blueMask, srcFormat->blueShift, srcFormat->blueWidth, destFormat->blueMask,
                       destFormat->blueShift, destFormat->blueWidth);
  g.alpha = MakeChannel(srcFormat->alphaMask, srcFormat->alphaShift, srcFormat->alphaWidth, destFormat->alphaMask,
                        destFormat->alphaShift, destFormat->alphaWidth);
  g.alphaFromImage = alphaFromImage;
  g.srcHasAlpha = srcHasAlpha;
  g.alphaFromRed = alphaFromRed != 0;
  g.alphaOnly = alphaOnly != 0;
  g.keyToAlpha = keyToAlpha != 0;
  g.skip = transparentSkip != 0;
  g.skipKey = keyColor & DepthMask(srcFormat->colorBitDepth);
  g.keyRgb = Place(Resize(keyColor >> 16 & 0xFF, 8, g.red.destWidth), g.red) |
             Place(Resize(keyColor >> 8 & 0xFF, 8, g.green.destWidth), g.green) |
             Place(Resize(keyColor & 0xFF, 8, g.blue.destWidth), g.blue);
  g.fullAlpha = destFormat->alphaWidth >= 32 ? 0xFFFFFFFFu : (1u << destFormat->alphaWidth) - 1u;
  g.spare = (w.destBytes == 2 || w.destBytes == 4) ? destFormat->noneMask : 0;
  RunGeneralRule(w, g);
  return 0;
}

}  // namespace rt
