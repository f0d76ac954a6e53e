// Image records: plain images in memory that loaders fill and graphs are made from, the
// device-independent bitmaps they turn into for the bitmap paths, and the soft-image
// handles.
#pragma once
#include <cstdint>

#include "runtime/image/color_format.h"
#include "runtime/image/handle_table.h"

namespace rt {

// Rows run top to bottom, pitch bytes apart. The create operations round the pitch up to a
// multiple of 4; some loaders store the exact row size, so every user reads the pitch.
struct GraphImage {
  ColorFormat format;
  int32_t width;
  int32_t height;
  int32_t pitch;
  uint8_t* pixels;  // tracked memory owned by the record when a create operation or loader made it
};

int CreateARGB8888GraphImage(int width, int height, GraphImage* image);
int CreateRGB24GraphImage(int width, int height, GraphImage* image);
// Frees the pixels and clears the whole record.
int ReleaseGraphImage(GraphImage* image);
// Fills (FillGraphImage) or sets one pixel of 2-, 3- and 4-byte images; 1-byte images are
// left as they are. SetGraphImagePixel does not check its coordinates.
int FillGraphImage(GraphImage* image, int r, int g, int b, int a);
int SetGraphImagePixel(GraphImage* image, int x, int y, int r, int g, int b, int a);
int GetGraphImagePixel(const GraphImage* image, int x, int y, int* r, int* g, int* b, int* a);
// The pixel as 0xAARRGGBB with each channel's bits at the top of its byte; 0 without pixels.
uint32_t GetGraphImagePixelRGB(const GraphImage* image, int x, int y);
// Reverses every row in place; -1 for an empty image.
int MirrorGraphImage(GraphImage* image);

// ---- Device-independent bitmaps (our own form of the platform's bitmap records) ----

struct BitmapInfoHeader {
  uint32_t size;  // 40
  int32_t width;
  int32_t height;  // positive: rows bottom-up; negative: top-down
  uint16_t planes;
  uint16_t bitCount;
  uint32_t compression;
  uint32_t sizeImage;
  int32_t xPelsPerMeter;
  int32_t yPelsPerMeter;
  uint32_t colorsUsed;
  uint32_t colorsImportant;
};

// No image or graph of this system is wider or taller than this: the loaders refuse larger
// images and MakeGraph larger graphs.
constexpr int kMaxGraphSide = 32768;

constexpr uint32_t kBitmapRgb = 0;
constexpr uint32_t kBitmapRle8 = 1;
constexpr uint32_t kBitmapRle4 = 2;
constexpr uint32_t kBitmapBitFields = 3;

// A bitmap description: the header, then either the colour table (blue, green, red, 0) or,
// with bit-field compression, the red, green and blue masks in its first three entries.
struct BitmapInfo {
  BitmapInfoHeader header;
  uint8_t colors[256][4];
  uint32_t spare;
};

uint32_t BitmapInfoMask(const BitmapInfo* info, int index);
void SetBitmapInfoMask(BitmapInfo* info, int index, uint32_t mask);

// Bytes from one row of a bitmap to the next: the row rounded up to 4 bytes; 0 when out
// of reach.
int32_t BitmapRowStride(int width, int bitCount);

// Builds a top-down bitmap description of an image. Result 0: *pixels is the image's own
// buffer; 1: a new tracked buffer the caller frees; -1: out of memory.
int GraphImageToDIB(const GraphImage* image, BitmapInfo* info, uint8_t** pixels, int copyFlag, int force24);

// A bitmap with its own pixels (a DIB section on the original platform); rows top-down.
struct DIBSection {
  BitmapInfo info;  // height negative; bit-field masks when compression is kBitmapBitFields
  int32_t stride;
  uint8_t* pixels;
};

// Draws an uncompressed bitmap (1, 4, 8, 16, 24 or 32 bits, either row order, bit fields)
// into a new section. The section is 24-bit without a format; with one it takes the
// format's depth (bit fields for 16 bits, and for deeper formats when the bitmap is not
// 24-bit; otherwise a 32-bit format record is rewritten to RGB888). Null when the bitmap
// form is not understood or memory runs out.
DIBSection* CreateDIBSectionFromDIB(const BitmapInfo* info, const void* pixels, int mirror, ColorFormat* format);
void DeleteDIBSection(DIBSection* section);

// A section (and its alpha section, may be null) seen as images of `format`: `wrapped` and
// `wrappedAlpha` take their pixels, `*source` points at `wrapped` and `*alpha` at
// `wrappedAlpha`, or is null without an alpha section.
void WrapDIBSections(const ColorFormat& format, const DIBSection& bitmap, const DIBSection* alphaBitmap,
                     GraphImage* wrapped, GraphImage* wrappedAlpha, const GraphImage** source,
                     const GraphImage** alpha);

// ---- Soft-image handles (type 8): records held inline; nothing here creates one ----

constexpr int kSoftImageSlots = 512;

struct SoftImageRecord {
  uint32_t check;
  uint8_t* pixels;     // owned
  int32_t imageData[4];
  uint32_t inUse;      // 1 = live
  uint32_t extra;
};

SoftImageRecord* GetSoftImageRecords();  // the kSoftImageSlots records
HandleTable<SoftImageRecord>& GetSoftImageTable();
int DeleteSoftImage(int handle);
int DeleteAllSoftImages();

}  // namespace rt
