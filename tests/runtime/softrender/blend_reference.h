// An independent model of the software renderer's pixel rules, written from their prose:
// channel by channel in 64-bit integers, with explicit floor and truncating divisions, no
// lookup tables and no packed arithmetic (the saturating add and subtract follow their
// channel-by-channel description).
#pragma once
#include <cstdint>

namespace reference {

enum class Routine { kSameSize, kStretched, kRotated };

struct Setup {
  Routine routine = Routine::kSameSize;
  bool is32 = true;
  bool palette = false;
  bool alpha = false;
  int mode = 0;
  int param = 0;
  uint32_t bright = 0xFFFFFF;
  bool graph = false;
  int transparentFlag = 0;
  bool runPath = false;  // same-size blit: drawn through the run table
  bool mmx = false;
};

struct Source {
  uint32_t color;  // the colour (a paletted source's palette entry)
  uint32_t alpha;
  uint32_t index;  // paletted source
  uint32_t key;    // the source's transparent value
};

inline int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

inline int Width(bool is32, int c) { return is32 ? 8 : (c == 1 ? 6 : 5); }
inline int64_t Chan(bool is32, uint32_t v, int c) {
  if (is32) return (v >> (8 * c)) & 0xFF;
  if (c == 0) return v & 0x1F;
  if (c == 1) return (v >> 5) & 0x3F;
  return (v >> 11) & 0x1F;
}
inline uint32_t Pack(bool is32, const int64_t ch[3]) {
  if (is32) return static_cast<uint32_t>(ch[0] | ch[1] << 8 | ch[2] << 16);
  return static_cast<uint32_t>(ch[0] | ch[1] << 5 | ch[2] << 11);
}

// Saturating add as the rules describe it per channel: the lowest channel exact, the upper
// ones adding their top bits and ORing their lowest bits with the carry from below.
inline uint32_t AddWords(bool is32, uint32_t d, const int64_t t[3]) {
  int64_t out[3];
  const int64_t d0 = Chan(is32, d, 0);
  const int64_t max0 = is32 ? 255 : 31;
  bool carry = d0 + t[0] > max0;
  out[0] = carry ? max0 : d0 + t[0];
  for (int c = 1; c < 3; ++c) {
    const int64_t dc = Chan(is32, d, c);
    const int64_t max = (int64_t{1} << Width(is32, c)) - 1;
    const int64_t top = (dc & ~int64_t{1}) + (t[c] & ~int64_t{1});
    const bool overflow = top > max;
    const int64_t low = ((dc | t[c]) & 1) | (carry ? 1 : 0);
    // An overflowing 16-bit green sets only its upper five bits; its lowest bit stays the OR.
    out[c] = overflow ? (!is32 && c == 1 ? (max & ~int64_t{1}) | low : max) : top | low;
    carry = overflow;
  }
  uint32_t r = Pack(is32, out);
  if (is32 && carry) r |= 0x01000000;
  return r;
}

inline uint32_t SubtractWords(bool is32, uint32_t d, const int64_t t[3]) {
  int64_t out[3];
  const int64_t d0 = Chan(is32, d, 0);
  bool under = d0 < t[0];
  out[0] = under ? 0 : d0 - t[0];
  for (int c = 1; c < 3; ++c) {
    const int64_t dc = Chan(is32, d, c);
    const bool u = (dc >> 1) < (t[c] >> 1);
    if (is32) {
      out[c] = u ? 0 : (dc | 1) - (t[c] & 0xFE) - (under ? 1 : 0);
    } else if (c == 1) {
      out[c] = u ? 0 : ((dc >> 1) - (t[c] >> 1)) << 1;
    } else {
      out[c] = u ? 0 : (((dc >> 1) - (t[c] >> 1)) << 1) + (under ? 0 : 1);
    }
    under = u;
  }
  return Pack(is32, out);
}

inline uint32_t ByteAdd(uint32_t d, uint32_t s, bool subtract) {
  uint32_t r = 0;
  for (int i = 0; i < 4; ++i) {
    const int64_t a = (d >> (8 * i)) & 0xFF, b = (s >> (8 * i)) & 0xFF;
    int64_t v = subtract ? a - b : a + b;
    v = v < 0 ? 0 : (v > 255 ? 255 : v);
    r |= static_cast<uint32_t>(v) << (8 * i);
  }
  return r;
}

// The new destination pixel; gFactor is the blend-graph factor (already through the table).
inline uint32_t Blend(const Setup& o, uint32_t d, const Source& src, int64_t gFactor) {
  const bool is32 = o.is32;
  int mode = o.mode;
  const int64_t p = o.param;
  if (mode < 0 || mode > 4) return d;
  if (mode == 1 && p == 255) mode = 0;
  if ((mode == 1 || mode == 2) && p == 0) return d;
  if (mode == 3 && p == 0 && !o.palette) return d;
  const bool white = (o.bright & 0xFFFFFF) == 0xFFFFFF;
  const uint32_t s = src.color;

  // Transparency and whether the alpha is a weight.
  bool alphaWeight = false;
  if (o.alpha) {
    const bool test = o.runPath || o.transparentFlag != 0;
    if (test) {
      const bool blackMultiply = o.routine == Routine::kRotated && mode == 4;
      if (src.alpha == 0 && !blackMultiply) return d;
      alphaWeight = src.alpha != 255;
    } else {
      alphaWeight = !(o.routine == Routine::kSameSize && mode == 0 && white && !o.graph);
    }
  } else if (o.runPath || o.transparentFlag != 0) {
    const bool keyed = o.palette ? src.index == (src.key & 0xFF) : (is32 ? s == src.key : s == (src.key & 0xFFFF));
    if (keyed) return d;
  }
  const int64_t a = src.alpha;

  // The loops whose results are their own.
  const bool plain = !o.runPath && white && !o.graph && !o.alpha;
  if (plain && o.routine == Routine::kSameSize) {
    if (mode == 1 && p == 128) {
      int64_t out[3];
      for (int c = 0; c < 3; ++c) out[c] = (Chan(is32, s, c) >> 1) + (Chan(is32, d, c) >> 1);
      return Pack(is32, out);
    }
    if (mode == 1 && !is32) {
      const int64_t b = p / 4;
      int64_t out[3];
      for (int c = 0; c < 3; ++c) out[c] = (b * Chan(false, s, c) + (63 - b) * Chan(false, d, c)) / 63;
      return Pack(false, out);
    }
    if (mode == 2 && p == 255 && is32) return ByteAdd(d, s, false);
  }
  if (plain && o.routine != Routine::kRotated && mode == 3 && p == 255 && is32 && o.mmx) return ByteAdd(d, s, true);

  // Bright step and weights.
  const int64_t brightByte[3] = {o.bright & 0xFF, (o.bright >> 8) & 0xFF, (o.bright >> 16) & 0xFF};
  int64_t sp[3], dc[3];
  for (int c = 0; c < 3; ++c) {
    dc[c] = Chan(is32, d, c);
    sp[c] = white ? Chan(is32, s, c) : FloorDiv(brightByte[c] * Chan(is32, s, c), 255);
  }
  int64_t w = 1;
  int k = 0;
  if (o.graph) {
    w *= gFactor;
    ++k;
  }
  if (alphaWeight) {
    w *= a;
    ++k;
  }
  const uint32_t fourth = is32 ? d & 0xFF000000 : 0;
  int64_t out[3];
  switch (mode) {
    case 0:
      if (k == 0) return white ? s : fourth | Pack(is32, sp);
      for (int c = 0; c < 3; ++c) out[c] = dc[c] + FloorDiv((sp[c] - dc[c]) * w, int64_t{1} << (8 * k));
      return fourth | Pack(is32, out);
    case 1:
      for (int c = 0; c < 3; ++c) {
        if (!is32 && k == 0) {
          out[c] = dc[c] + (sp[c] - dc[c]) * p / 255;  // truncated toward zero
        } else {
          out[c] = dc[c] + FloorDiv((sp[c] - dc[c]) * w * p, int64_t{1} << (8 * (k + 1)));
        }
      }
      return fourth | Pack(is32, out);
    case 2:
    case 3: {
      int64_t t[3];
      for (int c = 0; c < 3; ++c) {
        if (is32) {
          t[c] = k == 0 ? FloorDiv(p * sp[c], 255) : FloorDiv(sp[c] * w * p, int64_t{1} << (8 * (k + 1)));
        } else if (o.routine != Routine::kSameSize && alphaWeight && !o.graph) {
          int64_t y = FloorDiv(Chan(false, s, c) * a, 256);
          if (!white) y = FloorDiv(brightByte[c] * y, 255);
          t[c] = FloorDiv(p * y, 255);
        } else {
          t[c] = FloorDiv(p * FloorDiv(sp[c] * w, int64_t{1} << (8 * k)), 255);
        }
      }
      return mode == 2 ? AddWords(is32, d, t) : SubtractWords(is32, d, t);
    }
    default:
      for (int c = 0; c < 3; ++c) out[c] = FloorDiv(dc[c] * sp[c] * w, int64_t{1} << (Width(is32, c) + 8 * k));
      return fourth | Pack(is32, out);
  }
}

// The primitives' rule: the colour scaled by bright with a shift of 8, then combined.
inline uint32_t Primitive(bool is32, int mode, int param, uint32_t bright, uint32_t color, uint32_t d) {
  if (mode < 0 || mode > 4) return d;
  const int64_t p = param;
  if (mode >= 1 && mode <= 3 && p == 0) return d;
  if (mode == 1 && p == 255) mode = 0;
  if (!is32) color &= 0xFFFF;
  const bool white = (bright & 0xFFFFFF) == 0xFFFFFF;
  const int64_t b[3] = {bright & 0xFF, (bright >> 8) & 0xFF, (bright >> 16) & 0xFF};
  int64_t s[3], dc[3], out[3];
  for (int c = 0; c < 3; ++c) {
    s[c] = white ? Chan(is32, color, c) : Chan(is32, color, c) * b[c] / 256;
    dc[c] = Chan(is32, d, c);
  }
  const uint32_t fourth = is32 ? d & 0xFF000000 : 0;
  switch (mode) {
    case 0:
      return is32 ? (white ? color : (color & 0xFF000000) | Pack(true, s)) : Pack(false, s);
    case 1:
      for (int c = 0; c < 3; ++c) {
        out[c] = is32 ? FloorDiv(dc[c] * 256 + (s[c] - dc[c]) * p, 256) : dc[c] + (s[c] - dc[c]) * p / 255;
      }
      return fourth | Pack(is32, out);
    case 2:
    case 3: {
      int64_t t[3];
      for (int c = 0; c < 3; ++c) t[c] = FloorDiv(p * s[c], 255);
      return mode == 2 ? AddWords(is32, d, t) : SubtractWords(is32, d, t);
    }
    default:
      for (int c = 0; c < 3; ++c) out[c] = FloorDiv(dc[c] * s[c], int64_t{1} << Width(is32, c));
      return fourth | Pack(is32, out);
  }
}

}  // namespace reference
