// Software images: the pixels the software renderer draws from and into (the software
// screens and their Z buffer, system-memory graph surfaces, the mask work screen), with an
// optional premultiplied alpha plane and a run table that lets the blits skip transparent
// runs without reading the pixels.
#pragma once
#include <cstdint>

#include "runtime/image/color_format.h"
#include "runtime/image/graph_image.h"
#include "runtime/image/rect.h"

namespace rt {

constexpr uint32_t kMemImgMagic = 0x12345678;

// Format kinds.
constexpr int kMemImgKind565 = 0;   // 16-bit 5-6-5 screen format
constexpr int kMemImgKindXRGB = 1;  // 32-bit XRGB screen format
constexpr int kMemImgKind8 = 2;     // 8-bit single channel
constexpr int kMemImgKindZ16 = 3;   // 16-bit Z buffer

// Run table: per row, codes left to right, then kRunRowEnd. A code is the run length - 1
// (1 to 64 pixels) with its class in the top two bits.
constexpr uint8_t kRunClassSkip = 0x00;
constexpr uint8_t kRunClassOpaque = 0x40;
constexpr uint8_t kRunClassTranslucent = 0x80;
constexpr uint8_t kRunRowEnd = 0xC0;
constexpr int kRunMaxLength = 64;
// Bytes per row a run table reserves beyond one code per pixel.
constexpr int kRunTableRowSlack = 5;

struct MEMIMG {
  uint32_t magic;  // kMemImgMagic while initialised, 0 otherwise
  int32_t width, height;
  int32_t pitch;              // bytes per row
  int32_t pitchShift;         // log2 of the pitch when it is the power of two the width needs, else -1
  const ColorFormat* format;  // the cached standard format of (kind, alpha, palette)
  uint32_t transparentColor;  // a pixel value (or palette index) that counts as transparent
  int32_t kind;
  int32_t paletteFlag;   // 1: one index byte per pixel into the palette table (kinds 0 and 1)
  int32_t paletteCount;  // palette entries in use
  int32_t alphaFlag;     // 1: the pixels carry alpha (kinds 0 and 1 without palette)
  int32_t alphaPlaneValid;
  int32_t runTableValid;
  int32_t borrowed;           // 1: the pixel buffer belongs to someone else
  uint8_t* paletteTable;      // points at palette (views point at their parent's)
  uint8_t* workPaletteTable;  // points at workPalette
  // 256 entries in the screen format: 16-bit 5-6-5 values (kind 0) or 0x00RRGGBB (kind 1).
  alignas(16) uint8_t palette[1024];
  alignas(16) uint8_t workPalette[1024];
  uint8_t* pixels;
  uint8_t* alphaPlane;  // pitch x height bytes: one 32-bit premultiplied pixel per pixel
  uint8_t* runTable;    // (width + kRunTableRowSlack) x height bytes
};

// Bytes per pixel of an image of this kind: 4 for a 16-bit image with alpha (colour in the
// low 16 bits, alpha in bits 16-23), 1 for a paletted one.
int MemImgBytesPerPixel(int kind, int paletteFlag, int alphaFlag);

// The record must be zeroed, or carry only a pixel pointer to borrow. pitch -1 picks the
// row size rounded up to 16 bytes. buffersFlag also allocates the alpha plane and the run
// table. -1 when already initialised, for a bad kind or size, or when memory runs out.
int InitMemImg(MEMIMG* image, int width, int height, int pitch, uint32_t transparentColor, int kind, int paletteFlag,
               int alphaFlag, int buffersFlag);
// kind -1: kind 0 on a 16-bit screen, else kind 1.
int CreateMemImg(MEMIMG* image, int width, int height, int kind);
int CreateZBufferMemImg(MEMIMG* image, int width, int height);
void ReleaseMemImg(MEMIMG* image);
// A view on the rectangle (x, y, width, height) of the parent, sharing its pixels and
// palette; it owns nothing and is dropped, not released.
void DeriveMemImg(MEMIMG* view, const MEMIMG* parent, int x, int y, int width, int height);
int HasMemImgPixels(const MEMIMG* image);
// Stores value in every pixel of the rectangle (null: the whole image), clipped to the image.
void FillMemImg(MEMIMG* image, const RECT* rect, uint32_t value);
// Copies a rectangle (null: the whole source) through the conversion blitter.
void BltMemImg(MEMIMG* dest, const MEMIMG* source, const RECT* sourceRect, int destX, int destY);
// Converts a rectangle of a 16- or 32-bit source without palette or alpha into an image;
// keyFlag leaves image pixels alone where the source equals transparentColor.
void BltMemImgToGraphImage(GraphImage* dest, const MEMIMG* source, int x, int y, int width, int height, int destX,
                           int destY, uint32_t transparentColor, int keyFlag);
// Converts a rectangle of an image (with its alpha image, or null) into the MEMIMG, then
// refreshes the palette tables, and after a whole-image transfer the alpha plane and the
// run table. option turns the MEMIMG's transparent colour into alpha 0. 0 or -1.
int BltGraphImageToMemImg(const GraphImage* image, const GraphImage* alphaImage, MEMIMG* dest, int sourceX, int sourceY,
                          int width, int height, int destX, int destY, int option);
// Rebuild the premultiplied plane and the run table from the pixels and mark them valid;
// each does nothing without its buffer.
void RebuildMemImgAlphaPlane(MEMIMG* image);
void RebuildMemImgRunTable(MEMIMG* image);

// Called after changes of the draw area, matrices, mask use and draw screen.
int UpdateDrawStateHook();

}  // namespace rt
