#include "runtime/image/color_format.h"

#include <cstring>

namespace rt {
namespace {

struct MaskRun {
  uint8_t shift;
  uint8_t width;
};

// Bits above a gap in the mask do not count towards the width.
MaskRun MeasureMask(uint32_t mask) {
  if (mask == 0) return {0, 0};
  uint8_t shift = 0;
  while (!(mask & 1u)) {
    mask >>= 1;
    ++shift;
  }
  uint8_t width = 0;
  while (mask & 1u) {
    mask >>= 1;
    ++width;
  }
  return {shift, width};
}

// 2^depth - 1 without overflowing at 32 bits.
uint32_t DepthMask(int depth) {
  if (depth <= 0) return 0;
  if (depth >= 32) return 0xFFFFFFFFu;
  return (1u << depth) - 1u;
}

uint32_t WidthMask(int width) { return DepthMask(width); }

// Shifts that reach 32 or beyond give 0 instead of being undefined.
uint32_t ShiftLeft(uint32_t value, int count) { return count >= 32 ? 0u : value << count; }
uint32_t ShiftRight(uint32_t value, int count) { return count >= 32 ? 0u : value >> count; }

// An 8-bit component reduced (or widened) to a channel of the given width. Channels wider
// than 8 bits scale the value so that 255 fills the channel, where a plain right shift by
// (8 - width) would be a negative shift count.
uint32_t PackComponent(int component, int width) {
  if (component < 0) component = 0;
  if (component > 255) component = 255;
  const uint32_t c = static_cast<uint32_t>(component);
  if (width <= 8) return c >> (8 - width);
  return static_cast<uint32_t>((uint64_t{c} * WidthMask(width)) / 255u);
}

uint32_t ChannelValue(uint32_t pixel, uint32_t mask, int shift, int width) {
  return ShiftRight(pixel & mask, shift) & WidthMask(width);
}

// A zero-width colour channel reads as 0 rather than dividing by zero.
int UnpackComponent(uint32_t pixel, uint32_t mask, int shift, int width) {
  if (width == 0) return 0;
  const uint64_t value = ChannelValue(pixel, mask, shift, width);
  return static_cast<int>(value * 255u / WidthMask(width));
}

uint32_t ResizeChannel(uint32_t value, int sourceWidth, int destWidth) {
  if (destWidth > sourceWidth) return ShiftLeft(value, destWidth - sourceWidth);
  return ShiftRight(value, sourceWidth - destWidth);
}

void SetMasks(ColorFormat* format, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
              uint32_t alphaMask) {
  format->redMask = redMask;
  format->greenMask = greenMask;
  format->blueMask = blueMask;
  format->alphaMask = alphaMask;
  const MaskRun r = MeasureMask(redMask), g = MeasureMask(greenMask), b = MeasureMask(blueMask),
                a = MeasureMask(alphaMask);
  format->redShift = r.shift, format->redWidth = r.width;
  format->greenShift = g.shift, format->greenWidth = g.width;
  format->blueShift = b.shift, format->blueWidth = b.width;
  format->alphaShift = a.shift, format->alphaWidth = a.width;
}

void SetSpareMask(ColorFormat* format, uint32_t spareMask) {
  format->noneMask = spareMask;
  const MaskRun s = MeasureMask(spareMask);
  format->noneShift = s.shift;
  format->noneWidth = s.width;
}

// An 8-bit index whose palette entries read as 32-bit XRGB values.
void SetPaletteIndexFormat(ColorFormat* format) {
  format->colorBitDepth = 8;
  format->pixelByte = 1;
  SetMasks(format, 0xFF0000u, 0xFF00u, 0xFFu, 0);
  SetSpareMask(format, 0xFF000000u);
}

struct StandardRow {
  uint16_t depth;
  uint32_t red, green, blue, alpha;
};

constexpr int kStandardRows = 10;

// Rows 0-3: kind 0 by (alpha, palette); 4-7: kind 1 likewise; 8: kind 2; 9: kind 3.
constexpr StandardRow kStandardRowTable[kStandardRows] = {
    {16, 0xF800, 0x07E0, 0x001F, 0},
    {8, 0xF800, 0x07E0, 0x001F, 0},
    {32, 0xF800, 0x07E0, 0x001F, 0xFF0000},
    {8, 0xF800, 0x07E0, 0x001F, 0xFF0000},
    {32, 0xFF0000, 0xFF00, 0xFF, 0},
    {8, 0xFF0000, 0xFF00, 0xFF, 0},
    {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {8, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {8, 0xFF, 0xFF, 0xFF, 0xFF},
    {16, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
};

int StandardRowIndex(int kind, int alpha, int palette) {
  if (kind < 0 || kind > 3) return -1;
  if (kind >= 2) return 6 + kind;
  return kind * 4 + (alpha ? 2 : 0) + (palette ? 1 : 0);
}

}  // namespace

int SetColorFormatFromMasksImpl(ColorFormat* format, int bitDepth, uint32_t redMask, uint32_t greenMask,
                                uint32_t blueMask, uint32_t alphaMask) {
  format->colorBitDepth = static_cast<uint16_t>(bitDepth);
  format->pixelByte = static_cast<uint16_t>(bitDepth / 8);
  SetMasks(format, redMask, greenMask, blueMask, alphaMask);
  SetSpareMask(format, DepthMask(bitDepth) & ~(redMask | greenMask | blueMask | alphaMask));
  return 0;
}

int SetColorFormatFromDDPixelFormat(const DDPixelFormat* pf, ColorFormat* format) {
  SetColorFormatFromMasksImpl(format, static_cast<int>(pf->rgbBitCount), pf->redMask, pf->greenMask,
                              pf->blueMask, pf->alphaMask);
  format->pixelByte = static_cast<uint16_t>(pf->rgbBitCount >> 3);
  return 0;
}

int MakeDDPixelFormatImpl(DDPixelFormat* pf, int bitDepth, uint32_t redMask, uint32_t greenMask,
                          uint32_t blueMask, uint32_t alphaMask) {
  std::memset(pf, 0, sizeof *pf);
  pf->size = sizeof(DDPixelFormat);
  pf->flags = kDDPixelFormatRgb;
  pf->rgbBitCount = static_cast<uint32_t>(bitDepth);
  pf->redMask = redMask;
  pf->greenMask = greenMask;
  pf->blueMask = blueMask;
  pf->alphaMask = alphaMask;
  return 0;
}

int UpdateColorFormatSpareMask(ColorFormat* format) {
  const int widths = format->redWidth + format->greenWidth + format->blueWidth + format->alphaWidth;
  if (widths == format->colorBitDepth) {
    format->noneMask = 0;
  } else {
    format->noneMask = DepthMask(format->colorBitDepth) &
                       ~(format->redMask | format->greenMask | format->blueMask | format->alphaMask);
  }
  return 0;
}

int CompareColorFormat(const ColorFormat* a, const ColorFormat* b) {
  return a->colorBitDepth == b->colorBitDepth && a->redMask == b->redMask && a->greenMask == b->greenMask &&
                 a->blueMask == b->blueMask && a->alphaMask == b->alphaMask
             ? 1
             : 0;
}

uint32_t GetColorFormatPixel(const ColorFormat* format, int r, int g, int b, int a) {
  uint32_t pixel = ShiftLeft(PackComponent(r, format->redWidth), format->redShift) +
                   ShiftLeft(PackComponent(g, format->greenWidth), format->greenShift) +
                   ShiftLeft(PackComponent(b, format->blueWidth), format->blueShift) + format->noneMask;
  if (format->alphaWidth != 0) pixel += ShiftLeft(PackComponent(a, format->alphaWidth), format->alphaShift);
  return pixel;
}

int GetColorFormatPixelRGBA(const ColorFormat* format, uint32_t pixel, int* r, int* g, int* b, int* a) {
  if (r) *r = UnpackComponent(pixel, format->redMask, format->redShift, format->redWidth);
  if (g) *g = UnpackComponent(pixel, format->greenMask, format->greenShift, format->greenWidth);
  if (b) *b = UnpackComponent(pixel, format->blueMask, format->blueShift, format->blueWidth);
  if (a) *a = UnpackComponent(pixel, format->alphaMask, format->alphaShift, format->alphaWidth);
  return 0;
}

uint32_t ConvertColorFormatPixel(const ColorFormat* dest, const ColorFormat* src, uint32_t pixel) {
  const uint32_t r = ResizeChannel(ShiftRight(pixel & src->redMask, src->redShift), src->redWidth, dest->redWidth);
  const uint32_t g =
      ResizeChannel(ShiftRight(pixel & src->greenMask, src->greenShift), src->greenWidth, dest->greenWidth);
  const uint32_t b =
      ResizeChannel(ShiftRight(pixel & src->blueMask, src->blueShift), src->blueWidth, dest->blueWidth);
  uint32_t a;
  if (src->alphaWidth == 0) {
    a = ShiftRight(dest->alphaMask, dest->alphaShift);
  } else {
    a = ResizeChannel(ShiftRight(pixel & src->alphaMask, src->alphaShift), src->alphaWidth, dest->alphaWidth);
  }
  return ShiftLeft(a, dest->alphaShift) | ShiftLeft(b, dest->blueShift) | ShiftLeft(g, dest->greenShift) |
         ShiftLeft(r, dest->redShift) | dest->noneMask;
}

int SetColorFormatPal8(ColorFormat* format) {
  SetPaletteIndexFormat(format);
  return 0;
}

int SetColorFormatPal8Gray(ColorFormat* format) {
  SetPaletteIndexFormat(format);
  for (int i = 0; i < 256; ++i) {
    format->palette[i][0] = static_cast<uint8_t>(i);
    format->palette[i][1] = static_cast<uint8_t>(i);
    format->palette[i][2] = static_cast<uint8_t>(i);
    format->palette[i][3] = 0;
  }
  return 0;
}

int SetColorFormatARGB8888(ColorFormat* format) {
  return SetColorFormatFromMasksImpl(format, 32, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u);
}

int SetColorFormatRGB888(ColorFormat* format) {
  return SetColorFormatFromMasksImpl(format, 24, 0xFF0000u, 0xFF00u, 0xFFu, 0);
}

// All ten rows are built together on first use; the static initialisation is thread-safe,
// so the renderer may ask from any thread.
const ColorFormat* GetStandardColorFormat(int kind, int alpha, int palette) {
  static const auto* table = [] {
    static ColorFormat formats[kStandardRows] = {};
    for (int i = 0; i < kStandardRows; ++i) {
      const StandardRow& row = kStandardRowTable[i];
      SetColorFormatFromMasksImpl(&formats[i], row.depth, row.red, row.green, row.blue, row.alpha);
    }
    return formats;
  }();
  const int index = StandardRowIndex(kind, alpha, palette);
  return index < 0 ? nullptr : &table[index];
}

const DDPixelFormat* GetStandardDDPixelFormat(int kind, int alpha, int palette) {
  static const auto* table = [] {
    static DDPixelFormat formats[kStandardRows] = {};
    for (int i = 0; i < kStandardRows; ++i) {
      const StandardRow& row = kStandardRowTable[i];
      if (i < 8) {
        MakeDDPixelFormatImpl(&formats[i], row.depth, row.red, row.green, row.blue, row.alpha);
      } else {
        // The single-channel and Z-buffer rows carry only the bit count and the masks.
        formats[i].rgbBitCount = row.depth;
        formats[i].redMask = row.red;
        formats[i].greenMask = row.green;
        formats[i].blueMask = row.blue;
        formats[i].alphaMask = row.alpha;
      }
    }
    return formats;
  }();
  const int index = StandardRowIndex(kind, alpha, palette);
  return index < 0 ? nullptr : &table[index];
}

}  // namespace rt
