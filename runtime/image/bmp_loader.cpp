// BMP: uncompressed 1, 4, 8, 16, 24 and 32 bits, bit fields, and run-length RLE8 and RLE4.
#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/image/image_loader.h"
#include "runtime/image/loader_io.h"

namespace rt {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kMaskBytes = 12;

struct BmpData {
  BitmapInfo info{};
  int width = 0;
  int height = 0;  // rows, always positive
  bool bottomUp = true;
  const uint8_t* data = nullptr;  // everything from the pixel offset to the end
  size_t size = 0;
};

int Corrupt() { return LogAdd("ＢＭＰファイルのデータが壊れています\n"); }

void SetPaletteFormat(const BmpData& bmp, GraphImage* image) {
  SetColorFormatPal8(&image->format);
  for (int i = 0; i < 256; ++i) {
    std::memcpy(image->format.palette[i], bmp.info.colors[i], 3);
    image->format.palette[i][3] = 0;
  }
}

// Walks run-length data; with kWrite the indexes go into pixels (a zeroed image of one
// index per byte), without it the walk only follows the commands. Runs, literal copies and
// position moves that would leave the image are cut off there. True when the data covers
// the image: it reaches past the last row or ends the bitmap; false when it ends first.
template <bool kWrite>
bool WalkRle(const BmpData& bmp, bool rle4, uint8_t* pixels, int stride) {
  const uint8_t* in = bmp.data;
  const uint8_t* end = bmp.data + bmp.size;
  int x = 0, y = 0;
  // count indexes from source (RLE4: two to a byte, high nibble first) at the position.
  auto put = [&](int count, auto indexAt) {
    const int inside = x < bmp.width ? (count < bmp.width - x ? count : bmp.width - x) : 0;
    if constexpr (kWrite) {
      if (y < bmp.height) {
        uint8_t* row = pixels + static_cast<size_t>(bmp.bottomUp ? bmp.height - 1 - y : y) * stride;
        for (int i = 0; i < inside; ++i) row[x + i] = static_cast<uint8_t>(indexAt(i));
      }
    }
    x += inside;
  };
  while (y < bmp.height) {
    if (end - in < 2) return false;
    const int count = in[0];
    const int value = in[1];
    in += 2;
    if (count > 0) {
      put(count, [&](int i) { return rle4 ? (i & 1 ? value & 0x0F : value >> 4) : value; });
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return true;
      case 2:  // move right and onward
        if (end - in < 2) return false;
        // Past the right edge nothing more is drawn on the row, so x need not grow further.
        x = x + in[0] < bmp.width ? x + in[0] : bmp.width;
        y += in[1];
        in += 2;
        break;
      default: {  // literal indexes, padded to 16 bits
        const int bytes = rle4 ? (value + 1) / 2 : value;
        const int padded = bytes + (bytes & 1);
        if (end - in < bytes) return false;
        const uint8_t* literal = in;
        put(value, [&](int i) { return rle4 ? (i & 1 ? literal[i / 2] & 0x0F : literal[i / 2] >> 4) : literal[i]; });
        in += end - in < padded ? end - in : padded;
        break;
      }
    }
  }
  return true;
}

// Run-length data into a zeroed image of one index per byte. The data is walked once
// before the image is allocated, so that a few bytes claiming a huge picture cost nothing.
int DecodeRle(const BmpData& bmp, bool rle4, GraphImage* image) {
  const int stride = (bmp.width + 3) & ~3;
  if (!WalkRle<false>(bmp, rle4, nullptr, stride)) return Corrupt();
  uint8_t* pixels = AllocImagePixels(stride, bmp.height);
  if (!pixels) return -1;
  std::memset(pixels, 0, static_cast<size_t>(stride) * static_cast<size_t>(bmp.height));
  WalkRle<true>(bmp, rle4, pixels, stride);
  image->width = bmp.width;
  image->height = bmp.height;
  image->pitch = stride;
  image->pixels = pixels;
  SetPaletteFormat(bmp, image);
  return 0;
}

// Uncompressed 4-bit rows widened to one index per byte, top-down.
int Decode4Bit(const BmpData& bmp, int32_t fileStride, GraphImage* image) {
  const int stride = (bmp.width + 3) & ~3;
  uint8_t* pixels = AllocImagePixels(stride, bmp.height);
  if (!pixels) return -1;
  for (int y = 0; y < bmp.height; ++y) {
    const uint8_t* src = bmp.data + static_cast<size_t>(bmp.bottomUp ? bmp.height - 1 - y : y) * fileStride;
    uint8_t* dst = pixels + static_cast<size_t>(y) * stride;
    for (int x = 0; x < bmp.width; ++x) dst[x] = x & 1 ? src[x / 2] & 0x0F : src[x / 2] >> 4;
    std::memset(dst + bmp.width, 0, static_cast<size_t>(stride - bmp.width));
  }
  image->width = bmp.width;
  image->height = bmp.height;
  image->pitch = stride;
  image->pixels = pixels;
  SetPaletteFormat(bmp, image);
  return 0;
}

// 8 and 24 bits keep the file's row stride; bottom-up rows are turned over.
int DecodeRows(const BmpData& bmp, int32_t fileStride, GraphImage* image) {
  uint8_t* pixels = AllocImagePixels(fileStride, bmp.height);
  if (!pixels) return -1;
  const size_t rowBytes = static_cast<size_t>(BitmapRowStride(bmp.width, bmp.info.header.bitCount));
  for (int y = 0; y < bmp.height; ++y) {
    const int fileRow = bmp.bottomUp ? bmp.height - 1 - y : y;
    const size_t offset = static_cast<size_t>(fileRow) * fileStride;
    // The last row of a file may lack its padding.
    const size_t present = bmp.size - offset < rowBytes ? bmp.size - offset : rowBytes;
    std::memcpy(pixels + static_cast<size_t>(y) * fileStride, bmp.data + offset, present);
    std::memset(pixels + static_cast<size_t>(y) * fileStride + present, 0, rowBytes - present);
  }
  image->width = bmp.width;
  image->height = bmp.height;
  image->pitch = fileStride;
  image->pixels = pixels;
  if (bmp.info.header.bitCount == 8) {
    SetPaletteFormat(bmp, image);
  } else {
    SetColorFormatRGB888(&image->format);
  }
  return 0;
}

// Every other form is drawn into a 24-bit top-down bitmap whose pixels become the image.
int DecodeThroughSection(const BmpData& bmp, GraphImage* image) {
  BitmapInfo info = bmp.info;
  info.header.height = bmp.bottomUp ? bmp.height : -bmp.height;
  DIBSection* section = CreateDIBSectionFromDIB(&info, bmp.data, 0, nullptr);
  if (!section) return LogAdd("ＤＩＢの作成に失敗しました");
  uint8_t* pixels = AllocImagePixels(section->stride, bmp.height);
  if (!pixels) {
    DeleteDIBSection(section);
    return LogAdd("２４ビットカラー化したグラフィックを格納するメモリ領域の確保に失敗しました\n");
  }
  std::memcpy(pixels, section->pixels, static_cast<size_t>(section->stride) * static_cast<size_t>(bmp.height));
  image->width = bmp.width;
  image->height = bmp.height;
  image->pitch = section->stride;
  image->pixels = pixels;
  SetColorFormatRGB888(&image->format);
  DeleteDIBSection(section);
  return 0;
}

bool ReadHeaders(ImageStream* stream, BmpData* bmp, uint32_t* pixelOffset) {
  uint8_t file[kFileHeaderSize];
  if (!ImageStreamReadExact(stream, file, sizeof file) || file[0] != 'B' || file[1] != 'M') return false;
  *pixelOffset = ReadU32(file + 10);
  uint8_t header[kInfoHeaderSize + kMaskBytes] = {};
  const size_t got = ImageStreamRead(stream, header, sizeof header);
  if (got < kInfoHeaderSize) return false;
  BitmapInfoHeader& h = bmp->info.header;
  h.size = ReadU32(header);
  h.width = ReadI32(header + 4);
  h.height = ReadI32(header + 8);
  h.planes = ReadU16(header + 12);
  h.bitCount = ReadU16(header + 14);
  h.compression = ReadU32(header + 16);
  h.sizeImage = ReadU32(header + 20);
  h.colorsUsed = ReadU32(header + 32);
  if (h.size < kInfoHeaderSize) return false;
  if (h.bitCount > 8) {
    if (h.compression == kBitmapBitFields) {
      if (got < sizeof header) return false;
      for (int i = 0; i < 3; ++i) SetBitmapInfoMask(&bmp->info, i, ReadU32(header + kInfoHeaderSize + 4 * i));
    }
    return true;
  }
  // The colour table follows the header, whatever its size; a file may list fewer
  // entries than its bit count allows.
  uint32_t entries = 1u << h.bitCount;
  if (h.colorsUsed != 0 && h.colorsUsed < entries) entries = h.colorsUsed;
  if (ImageStreamSeek(stream, kFileHeaderSize + h.size, kSeekSet) != 0) return false;
  uint8_t table[256 * 4];
  if (!ImageStreamReadExact(stream, table, entries * 4)) return false;
  std::memcpy(bmp->info.colors, table, entries * 4);
  return true;
}

}  // namespace

int LoadBmpImage(ImageStream* stream, GraphImage* image) {
  BmpData bmp;
  uint32_t pixelOffset = 0;
  if (!ReadHeaders(stream, &bmp, &pixelOffset)) return -1;
  const BitmapInfoHeader& h = bmp.info.header;
  if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) return Corrupt();
  bmp.width = h.width;
  bmp.bottomUp = h.height > 0;
  bmp.height = h.height > 0 ? h.height : -h.height;
  if (!ImageSizeAllowed(bmp.width, bmp.height, "BMP")) return -1;

  const int64_t size = ImageStreamSize(stream);
  if (size < 0 || pixelOffset > size) return Corrupt();
  const size_t dataSize = static_cast<size_t>(size - pixelOffset);
  if (ImageStreamSeek(stream, pixelOffset, kSeekSet) != 0) return Corrupt();
  auto* data = static_cast<uint8_t*>(RT_ALLOC(dataSize == 0 ? 1 : dataSize));
  if (!data) return -1;
  const size_t read = ImageStreamRead(stream, data, dataSize);
  bmp.data = data;
  bmp.size = read;

  int result;
  const bool rle8 = h.compression == kBitmapRle8 && h.bitCount == 8;
  const bool rle4 = h.compression == kBitmapRle4 && h.bitCount == 4;
  if (rle8 || rle4) {
    result = DecodeRle(bmp, rle4, image);
  } else {
    // The rows the header promises must all be there (the last one without its padding).
    const int32_t fileStride = BitmapRowStride(bmp.width, h.bitCount);
    const int64_t lastRow = (int64_t{bmp.width} * h.bitCount + 7) / 8;
    const int64_t needed = int64_t{fileStride} * (bmp.height - 1) + lastRow;
    if (h.compression != kBitmapRgb && h.compression != kBitmapBitFields) {
      result = Corrupt();
    } else if (fileStride <= 0 || int64_t(read) < needed) {
      result = Corrupt();
    } else if (h.compression == kBitmapRgb && h.bitCount == 4) {
      result = Decode4Bit(bmp, fileStride, image);
    } else if (h.compression == kBitmapRgb && (h.bitCount == 8 || h.bitCount == 24)) {
      result = DecodeRows(bmp, fileStride, image);
    } else {
      result = DecodeThroughSection(bmp, image);
    }
  }
  MemFree(data);
  return result;
}

}  // namespace rt
