// Pixel layouts: bit depth, bytes per pixel, and the mask, shift and width of each channel.
#pragma once
#include <cstdint>

namespace rt {

struct ColorFormat {
  uint16_t colorBitDepth;  // 8, 16, 24 or 32
  uint16_t pixelByte;      // colorBitDepth / 8; 1 marks a palettised or single-channel image
  uint8_t redWidth, greenWidth, blueWidth, alphaWidth;  // 0 = channel absent
  uint8_t redShift, greenShift, blueShift, alphaShift;
  uint32_t redMask, greenMask, blueMask, alphaMask;
  uint32_t noneMask;       // bits inside the depth that belong to no channel
  uint8_t palette[256][4]; // blue, green, red, 0
  uint8_t noneShift, noneWidth;
};

// The display layers' pixel-format record (32 bytes: size, flags, FourCC, bit count, masks).
struct DDPixelFormat {
  uint32_t size;
  uint32_t flags;
  uint32_t fourCC;
  uint32_t rgbBitCount;
  uint32_t redMask, greenMask, blueMask, alphaMask;
};
static_assert(sizeof(DDPixelFormat) == 32);
constexpr uint32_t kDDPixelFormatAlphaPixels = 0x01;
constexpr uint32_t kDDPixelFormatRgb = 0x40;

int SetColorFormatFromMasksImpl(ColorFormat* format, int bitDepth, uint32_t redMask, uint32_t greenMask,
                                uint32_t blueMask, uint32_t alphaMask);
int SetColorFormatFromDDPixelFormat(const DDPixelFormat* pf, ColorFormat* format);
int MakeDDPixelFormatImpl(DDPixelFormat* pf, int bitDepth, uint32_t redMask, uint32_t greenMask,
                          uint32_t blueMask, uint32_t alphaMask);
int UpdateColorFormatSpareMask(ColorFormat* format);
int CompareColorFormat(const ColorFormat* a, const ColorFormat* b);
// Components 0..255; the spare bits are always set in the packed pixel.
uint32_t GetColorFormatPixel(const ColorFormat* format, int r, int g, int b, int a);
int GetColorFormatPixelRGBA(const ColorFormat* format, uint32_t pixel, int* r, int* g, int* b, int* a);
uint32_t ConvertColorFormatPixel(const ColorFormat* dest, const ColorFormat* src, uint32_t pixel);

int SetColorFormatPal8(ColorFormat* format);
int SetColorFormatPal8Gray(ColorFormat* format);
int SetColorFormatARGB8888(ColorFormat* format);
int SetColorFormatRGB888(ColorFormat* format);

// Cached standard formats: kind 0 16-bit 5-6-5 screens, 1 32-bit screens, 2 8-bit single
// channel, 3 16-bit Z buffer; null for kind > 3.
const ColorFormat* GetStandardColorFormat(int kind, int alpha, int palette);
const DDPixelFormat* GetStandardDDPixelFormat(int kind, int alpha, int palette);

}  // namespace rt
