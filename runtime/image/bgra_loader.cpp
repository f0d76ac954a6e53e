// BGRA: a 16-byte header ("BGRA", depth tag, width, height), then rows of blue, green,
// red and alpha with 8 or 16 bits per channel, top to bottom, no padding.
#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/image/image_loader.h"
#include "runtime/image/loader_io.h"

namespace rt {
namespace {

constexpr size_t kHeaderSize = 16;
constexpr uint32_t kDepthTag16 = 0x10101010;
constexpr uint32_t kDepthTag8 = 0x08080808;

int Corrupt() { return LogAdd("ＢＧＲＡファイルのデータが壊れています\n"); }

}  // namespace

int LoadBgraImage(ImageStream* stream, GraphImage* image) {
  uint8_t h[kHeaderSize];
  if (!ImageStreamReadExact(stream, h, sizeof h) || std::memcmp(h, "BGRA", 4) != 0) return -1;
  const uint32_t tag = ReadU32(h + 4);
  if (tag != kDepthTag16 && tag != kDepthTag8) return -1;
  const uint32_t width = ReadU32(h + 8);
  const uint32_t height = ReadU32(h + 12);
  const int channelBytes = tag == kDepthTag16 ? 2 : 1;

  if (!ImageSizeAllowed(width, height, "BGRA")) return -1;
  // The pixels the header promises must be in the file before anything is allocated.
  const int64_t size = ImageStreamSize(stream);
  const int64_t rowBytes = int64_t{width} * 4 * channelBytes;
  if (width == 0 || height == 0 || width > INT32_MAX / 8 || height > INT32_MAX || size < 0 ||
      (size - static_cast<int64_t>(kHeaderSize)) / rowBytes < int64_t{height}) {
    return Corrupt();
  }
  uint8_t* pixels = AllocImagePixels(int64_t{width} * 4, height);
  if (!pixels) return -1;
  const size_t pitch = size_t{width} * 4;
  if (channelBytes == 1) {
    if (!ImageStreamReadExact(stream, pixels, pitch * height)) {
      MemFree(pixels);
      return Corrupt();
    }
  } else {
    auto* row = static_cast<uint8_t*>(RT_ALLOC(static_cast<size_t>(rowBytes)));
    if (!row) {
      MemFree(pixels);
      return -1;
    }
    for (uint32_t y = 0; y < height; ++y) {
      if (!ImageStreamReadExact(stream, row, static_cast<size_t>(rowBytes))) {
        MemFree(row);
        MemFree(pixels);
        return Corrupt();
      }
      uint8_t* dst = pixels + size_t{y} * pitch;
      for (size_t i = 0; i < pitch; ++i) dst[i] = row[2 * i + 1];  // each channel's high byte
    }
    MemFree(row);
  }
  SetColorFormatARGB8888(&image->format);
  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->pitch = static_cast<int32_t>(pitch);
  image->pixels = pixels;
  return 0;
}

}  // namespace rt
