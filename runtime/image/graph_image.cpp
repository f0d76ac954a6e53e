#include "runtime/image/graph_image.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/image/convert_blt.h"

namespace rt {
namespace {

uint8_t* AllocPixels(int pitch, int height) {
  if (pitch < 0 || height < 0) return nullptr;
  return static_cast<uint8_t*>(RT_ALLOC(static_cast<size_t>(pitch) * static_cast<size_t>(height)));
}

int CreateImage(int width, int height, int pitch, GraphImage* image) {
  image->width = width;
  image->height = height;
  image->pitch = pitch;
  image->pixels = AllocPixels(pitch, height);
  return image->pixels ? 0 : -1;
}

uint32_t ReadPixel(const uint8_t* p, int bytes) {
  switch (bytes) {
    case 1: return p[0];
    case 2: return uint32_t{p[0]} | uint32_t{p[1]} << 8;
    case 3: return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
    default: return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  }
}

void WritePixel(uint8_t* p, int bytes, uint32_t v) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint8_t* PixelAt(const GraphImage* image, int x, int y) {
  return image->pixels + static_cast<ptrdiff_t>(y) * image->pitch + static_cast<ptrdiff_t>(x) * image->format.pixelByte;
}

// A palette entry rebuilt as a pixel of the format's red, green and blue shifts.
uint32_t PaletteAsPixel(const ColorFormat& f, uint32_t index) {
  const uint8_t* e = f.palette[index & 0xFF];
  return uint32_t{e[0]} << f.blueShift | uint32_t{e[1]} << f.greenShift | uint32_t{e[2]} << f.redShift;
}

// A channel's bits moved so that its top bit lands on bit topBit.
uint32_t ChannelToTop(uint32_t pixel, uint32_t mask, int shift, int width, int topBit) {
  if (width == 0) return 0;
  const uint32_t value = (pixel & mask) >> shift;
  const int lowest = topBit + 1 - width;
  return lowest >= 0 ? value << lowest : value >> -lowest;
}

// The colour format a bitmap's pixels are described by; false for forms not understood.
bool BitmapFormat(const BitmapInfo* info, ColorFormat* f) {
  const BitmapInfoHeader& h = info->header;
  const bool bitFields = h.compression == kBitmapBitFields;
  if (h.compression != kBitmapRgb && !bitFields) return false;
  switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
      if (bitFields) return false;
      SetColorFormatPal8(f);
      std::memcpy(f->palette, info->colors, sizeof f->palette);
      return true;
    case 16:
      if (bitFields) {
        return SetColorFormatFromMasksImpl(f, 16, BitmapInfoMask(info, 0), BitmapInfoMask(info, 1),
                                           BitmapInfoMask(info, 2), 0) == 0;
      }
      SetColorFormatFromMasksImpl(f, 16, 0x7C00, 0x03E0, 0x001F, 0);
      return true;
    case 24:
      if (bitFields) return false;
      SetColorFormatRGB888(f);
      return true;
    case 32:
      if (bitFields) {
        return SetColorFormatFromMasksImpl(f, 32, BitmapInfoMask(info, 0), BitmapInfoMask(info, 1),
                                           BitmapInfoMask(info, 2), 0) == 0;
      }
      SetColorFormatFromMasksImpl(f, 32, 0xFF0000, 0xFF00, 0xFF, 0);
      return true;
    default:
      return false;
  }
}

// 1- and 4-bit rows widened to one index per byte, high bits first.
void ExpandIndexes(const uint8_t* row, int width, int bitCount, uint8_t* out) {
  const int perByte = 8 / bitCount;
  const int mask = (1 << bitCount) - 1;
  for (int x = 0; x < width; ++x) {
    const int shift = 8 - bitCount * (x % perByte + 1);
    out[x] = static_cast<uint8_t>((row[x / perByte] >> shift) & mask);
  }
}

SoftImageRecord g_softImages[kSoftImageSlots];
HandleTable<SoftImageRecord> g_softImageTable{kHandleTypeSoftImage, kSoftImageSlots};

}  // namespace

int CreateARGB8888GraphImage(int width, int height, GraphImage* image) {
  SetColorFormatARGB8888(&image->format);
  return CreateImage(width, height, 4 * width, image);
}

int CreateRGB24GraphImage(int width, int height, GraphImage* image) {
  SetColorFormatRGB888(&image->format);
  return CreateImage(width, height, (3 * width + 3) & ~3, image);
}

int ReleaseGraphImage(GraphImage* image) {
  if (image->pixels) MemFree(image->pixels);
  std::memset(image, 0, sizeof *image);
  return 0;
}

int FillGraphImage(GraphImage* image, int r, int g, int b, int a) {
  const int bytes = image->format.pixelByte;
  if (bytes < 2 || bytes > 4) return 0;
  const uint32_t pixel = GetColorFormatPixel(&image->format, r, g, b, a);
  for (int y = 0; y < image->height; ++y) {
    uint8_t* row = PixelAt(image, 0, y);
    for (int x = 0; x < image->width; ++x) WritePixel(row + x * bytes, bytes, pixel);
  }
  return 0;
}

int SetGraphImagePixel(GraphImage* image, int x, int y, int r, int g, int b, int a) {
  const int bytes = image->format.pixelByte;
  if (bytes < 2 || bytes > 4) return 0;
  WritePixel(PixelAt(image, x, y), bytes, GetColorFormatPixel(&image->format, r, g, b, a));
  return 0;
}

int GetGraphImagePixel(const GraphImage* image, int x, int y, int* r, int* g, int* b, int* a) {
  const int bytes = image->format.pixelByte;
  uint32_t pixel = ReadPixel(PixelAt(image, x, y), bytes);
  if (bytes == 1) pixel = PaletteAsPixel(image->format, pixel);
  return GetColorFormatPixelRGBA(&image->format, pixel, r, g, b, a);
}

// A 1-byte image reads its palette entry, as GetGraphImagePixel does.
uint32_t GetGraphImagePixelRGB(const GraphImage* image, int x, int y) {
  if (!image->pixels) return 0;
  const ColorFormat& f = image->format;
  uint32_t pixel = ReadPixel(PixelAt(image, x, y), f.pixelByte);
  if (f.pixelByte == 1) pixel = PaletteAsPixel(f, pixel);
  uint32_t out = ChannelToTop(pixel, f.redMask, f.redShift, f.redWidth, 23) |
                 ChannelToTop(pixel, f.greenMask, f.greenShift, f.greenWidth, 15) |
                 ChannelToTop(pixel, f.blueMask, f.blueShift, f.blueWidth, 7);
  if (f.alphaWidth != 0) out |= ChannelToTop(pixel, f.alphaMask, f.alphaShift, f.alphaWidth, 31);
  return out;
}

int MirrorGraphImage(GraphImage* image) {
  if (image->width == 0 || image->height == 0) return -1;
  const int bytes = image->format.pixelByte;
  if (bytes < 1 || bytes > 4) return 0;
  uint8_t tmp[4];
  for (int y = 0; y < image->height; ++y) {
    uint8_t* row = PixelAt(image, 0, y);
    for (int l = 0, r = image->width - 1; l < r; ++l, --r) {
      std::memcpy(tmp, row + l * bytes, bytes);
      std::memcpy(row + l * bytes, row + r * bytes, bytes);
      std::memcpy(row + r * bytes, tmp, bytes);
    }
  }
  return 0;
}

uint32_t BitmapInfoMask(const BitmapInfo* info, int index) {
  uint32_t mask;
  std::memcpy(&mask, info->colors[index], 4);
  return mask;
}

void SetBitmapInfoMask(BitmapInfo* info, int index, uint32_t mask) { std::memcpy(info->colors[index], &mask, 4); }

int32_t BitmapRowStride(int width, int bitCount) {
  const int64_t bits = int64_t{width} * bitCount;
  const int64_t stride = ((bits + 31) / 32) * 4;
  return stride > INT32_MAX || stride < 0 ? 0 : static_cast<int32_t>(stride);
}

int GraphImageToDIB(const GraphImage* image, BitmapInfo* info, uint8_t** pixels, int copyFlag, int force24) {
  std::memset(&info->header, 0, sizeof info->header);
  BitmapInfoHeader& h = info->header;
  h.size = sizeof(BitmapInfoHeader);
  h.width = image->width;
  h.height = -image->height;
  h.planes = 1;
  h.compression = kBitmapRgb;
  const int width = image->width, height = image->height;

  if (image->format.colorBitDepth == 8 && !force24) {
    h.bitCount = 8;
    std::memcpy(info->colors, image->format.palette, sizeof info->colors);
    const int stride = (width + 3) & ~3;
    if (!copyFlag && image->pitch == stride) {
      *pixels = image->pixels;
      return 0;
    }
    uint8_t* copy = AllocPixels(stride, height);
    if (!copy) return -1;
    for (int y = 0; y < height; ++y) std::memcpy(copy + static_cast<ptrdiff_t>(y) * stride, PixelAt(image, 0, y), width);
    *pixels = copy;
    return 1;
  }

  h.bitCount = 24;
  const int stride = ((width + 1) * 3) & ~3;
  const ColorFormat& f = image->format;
  if (f.colorBitDepth == 24 && f.redMask == 0xFF0000 && f.greenMask == 0xFF00 && f.blueMask == 0xFF && copyFlag != 1) {
    if (image->pitch == stride) {
      *pixels = image->pixels;
      return 0;
    }
    uint8_t* copy = AllocPixels(stride, height);
    if (!copy) return -1;
    for (int y = 0; y < height; ++y) std::memcpy(copy + static_cast<ptrdiff_t>(y) * stride, PixelAt(image, 0, y), 3 * size_t(width));
    *pixels = copy;
    return 1;
  }

  uint8_t* copy = AllocPixels(stride, height);
  if (!copy) return -1;
  ColorFormat rgb{};
  SetColorFormatRGB888(&rgb);
  const RECT all{0, 0, width, height};
  ConvertColorFormatBlt(copy, stride, &rgb, image->pixels, image->pitch, &image->format, nullptr, 0, nullptr, 0, 0,
                        &all, 0, 0, 0, 0, 0, 0, 0);
  *pixels = copy;
  return 1;
}

DIBSection* CreateDIBSectionFromDIB(const BitmapInfo* info, const void* pixels, int mirror, ColorFormat* format) {
  ColorFormat srcFormat{};
  if (!BitmapFormat(info, &srcFormat)) return nullptr;
  const int width = info->header.width;
  const int height = info->header.height < 0 ? -info->header.height : info->header.height;
  if (width <= 0 || height <= 0) return nullptr;

  auto* section = static_cast<DIBSection*>(RT_ALLOC_ZERO(sizeof(DIBSection)));
  if (!section) return nullptr;
  BitmapInfoHeader& h = section->info.header;
  h = info->header;
  h.width = width;
  h.height = -height;
  h.compression = kBitmapRgb;
  h.sizeImage = 0;
  ColorFormat destFormat{};
  if (format && (format->colorBitDepth == 16 || (format->colorBitDepth > 24 && info->header.bitCount != 24))) {
    h.bitCount = format->colorBitDepth;
    h.compression = kBitmapBitFields;
    SetBitmapInfoMask(&section->info, 0, format->redMask);
    SetBitmapInfoMask(&section->info, 1, format->greenMask);
    SetBitmapInfoMask(&section->info, 2, format->blueMask);
    SetColorFormatFromMasksImpl(&destFormat, format->colorBitDepth, format->redMask, format->greenMask,
                                format->blueMask, 0);
  } else {
    if (format && format->colorBitDepth == 32) SetColorFormatRGB888(format);
    h.bitCount = format ? format->colorBitDepth : 24;
    if (h.bitCount == 8) {
      SetColorFormatPal8(&destFormat);
      std::memcpy(section->info.colors, info->colors, sizeof section->info.colors);
      std::memcpy(destFormat.palette, info->colors, sizeof destFormat.palette);
    } else if (h.bitCount == 24) {
      SetColorFormatRGB888(&destFormat);
    } else {
      DeleteDIBSection(section);
      return nullptr;
    }
  }
  section->stride = BitmapRowStride(width, h.bitCount);
  section->pixels = AllocPixels(section->stride, height);
  if (!section->pixels) {
    DeleteDIBSection(section);
    return nullptr;
  }

  // Rows of a bottom-up bitmap are walked from its last row with a negative pitch.
  const int bitCount = info->header.bitCount;
  const int32_t srcStride = BitmapRowStride(width, bitCount);
  const bool bottomUp = info->header.height > 0;
  const uint8_t* srcBytes = static_cast<const uint8_t*>(pixels);
  const uint8_t* top = bottomUp ? srcBytes + static_cast<ptrdiff_t>(height - 1) * srcStride : srcBytes;
  const int srcPitch = bottomUp ? -srcStride : srcStride;

  uint8_t* expanded = nullptr;
  if (bitCount < 8) {
    expanded = AllocPixels(width, height);
    if (!expanded) {
      DeleteDIBSection(section);
      return nullptr;
    }
    for (int y = 0; y < height; ++y) ExpandIndexes(top + static_cast<ptrdiff_t>(y) * srcPitch, width, bitCount, expanded + static_cast<ptrdiff_t>(y) * width);
    top = expanded;
  }
  const RECT all{0, 0, width, height};
  const int result = ConvertColorFormatBlt(section->pixels, section->stride, &destFormat, top,
                                           expanded ? width : srcPitch, &srcFormat, nullptr, 0, nullptr, 0, 0,
                                           &all, mirror, 0, 0, 0, 0, 0, 0);
  if (expanded) MemFree(expanded);
  if (result < 0) {
    DeleteDIBSection(section);
    return nullptr;
  }
  return section;
}

void DeleteDIBSection(DIBSection* section) {
  if (!section) return;
  if (section->pixels) MemFree(section->pixels);
  MemFree(section);
}

void WrapDIBSections(const ColorFormat& format, const DIBSection& bitmap, const DIBSection* alphaBitmap,
                     GraphImage* wrapped, GraphImage* wrappedAlpha, const GraphImage** source,
                     const GraphImage** alpha) {
  wrapped->format = format;
  wrapped->width = bitmap.info.header.width;
  wrapped->height = bitmap.info.header.height < 0 ? -bitmap.info.header.height : bitmap.info.header.height;
  wrapped->pitch = bitmap.stride;
  wrapped->pixels = bitmap.pixels;
  *source = wrapped;
  *alpha = nullptr;
  if (alphaBitmap) {
    *wrappedAlpha = *wrapped;
    wrappedAlpha->pitch = alphaBitmap->stride;
    wrappedAlpha->pixels = alphaBitmap->pixels;
    *alpha = wrappedAlpha;
  }
}

SoftImageRecord* GetSoftImageRecords() { return g_softImages; }

HandleTable<SoftImageRecord>& GetSoftImageTable() { return g_softImageTable; }

int DeleteSoftImage(int handle) {
  SoftImageRecord* record = g_softImageTable.Find(handle);
  if (!record || record->inUse != 1) return -1;
  if (record->pixels) MemFree(record->pixels);
  g_softImageTable.Remove(HandleSlot(handle));
  std::memset(record, 0, sizeof *record);
  return 0;
}

int DeleteAllSoftImages() {
  for (int slot = 0; slot < kSoftImageSlots; ++slot) {
    if (g_softImages[slot].inUse == 1) DeleteSoftImage(MakeHandle(kHandleTypeSoftImage, g_softImages[slot].check, slot));
  }
  return 0;
}

}  // namespace rt
