// DDS: uncompressed surfaces described by their pixel format's bit count and masks.
#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/image/image_loader.h"
#include "runtime/image/loader_io.h"

namespace rt {
namespace {

constexpr size_t kMagicSize = 4;
constexpr size_t kDescriptionSize = 124;
constexpr uint32_t kDescriptionPitchValid = 0x8;
constexpr uint32_t kPixelFormatFourCC = 0x4;
constexpr size_t kPixelFormatOffset = 72;

struct KnownFormat {
  uint32_t number;
  int bits;
  uint32_t red, green, blue, alpha;
};

// Uncompressed formats a FourCC field may name by number.
constexpr KnownFormat kKnownFormats[] = {
    {20, 24, 0xFF0000, 0xFF00, 0xFF, 0},
    {21, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {22, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {23, 16, 0xF800, 0x07E0, 0x001F, 0},
    {24, 16, 0x7C00, 0x03E0, 0x001F, 0},
    {25, 16, 0x7C00, 0x03E0, 0x001F, 0x8000},
    {26, 16, 0x0F00, 0x00F0, 0x000F, 0xF000},
    {27, 8, 0xE0, 0x1C, 0x03, 0},
    {29, 16, 0xE0, 0x1C, 0x03, 0xFF00},
    {30, 16, 0x0F00, 0x00F0, 0x000F, 0},
    {31, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000},
    {32, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000},
    {33, 32, 0xFF, 0xFF00, 0xFF0000, 0},
    {35, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},
};

int Corrupt() { return LogAdd("ＤＤＳファイルのデータが壊れています\n"); }

}  // namespace

int LoadDdsImage(ImageStream* stream, GraphImage* image) {
  uint8_t magic[kMagicSize];
  if (!ImageStreamReadExact(stream, magic, sizeof magic) || std::memcmp(magic, "DDS", 3) != 0) return -1;
  uint8_t d[kDescriptionSize];
  if (!ImageStreamReadExact(stream, d, sizeof d)) return Corrupt();
  const uint32_t flags = ReadU32(d + 4);
  const uint32_t height = ReadU32(d + 8);
  const uint32_t width = ReadU32(d + 12);
  const uint32_t pitchField = ReadU32(d + 16);
  const uint8_t* pf = d + kPixelFormatOffset;
  const uint32_t pfFlags = ReadU32(pf + 4);
  const uint32_t fourCC = ReadU32(pf + 8);
  int bits = static_cast<int>(ReadU32(pf + 12));
  uint32_t red = ReadU32(pf + 16), green = ReadU32(pf + 20), blue = ReadU32(pf + 24), alpha = ReadU32(pf + 28);

  if ((pfFlags & kDDPixelFormatRgb) && !(pfFlags & kDDPixelFormatAlphaPixels)) return -1;
  // A format named only by number takes that format's layout, since such files carry no
  // masks of their own.
  if (pfFlags == kPixelFormatFourCC) {
    for (const KnownFormat& k : kKnownFormats) {
      if (k.number == fourCC) bits = k.bits, red = k.red, green = k.green, blue = k.blue, alpha = k.alpha;
    }
  }
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return Corrupt();

  if (!ImageSizeAllowed(width, height, "DDS")) return -1;
  const int64_t rowBytes = int64_t{width} * (bits / 8);
  const int64_t pitch = (flags & kDescriptionPitchValid) ? int64_t{pitchField} : rowBytes;
  const int64_t size = ImageStreamSize(stream);
  const int64_t available = size - static_cast<int64_t>(kMagicSize + kDescriptionSize);
  if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX || pitch < rowBytes ||
      pitch > INT32_MAX || available / pitch < int64_t{height}) {
    return Corrupt();
  }
  uint8_t* pixels = AllocImagePixels(pitch, height);
  if (!pixels) return -1;
  if (!ImageStreamReadExact(stream, pixels, static_cast<size_t>(pitch * height))) {
    MemFree(pixels);
    return Corrupt();
  }
  SetColorFormatFromMasksImpl(&image->format, bits, red, green, blue, alpha);
  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->pitch = static_cast<int32_t>(pitch);
  image->pixels = pixels;
  return 0;
}

}  // namespace rt
