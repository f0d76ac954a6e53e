// TGA: colour-mapped (types 1, 9) and true-colour (types 2, 10) images of 16, 24 and 32
// bits, run-length encoded or not, in any of the four row and column orders.
#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/image/image_loader.h"
#include "runtime/image/loader_io.h"

namespace rt {
namespace {

constexpr size_t kHeaderSize = 18;
constexpr size_t kFooterSize = 26;
constexpr int kMaxSide = 4096;
constexpr char kFooterSignature[] = "TRUEVISION-XFILE";
constexpr uint8_t kDescriptorRightToLeft = 0x10;
constexpr uint8_t kDescriptorTopDown = 0x20;

int Corrupt() { return LogAdd("ＴＧＡファイルのデータが壊れています\n"); }

void SetFormat(int bits, ColorFormat* format) {
  if (bits == 16) {
    SetColorFormatFromMasksImpl(format, 16, 0x7C00, 0x03E0, 0x001F, 0);
  } else if (bits == 24) {
    SetColorFormatRGB888(format);
  } else {
    SetColorFormatARGB8888(format);
  }
}

// Where the pixel data ends: 26 bytes earlier when the file closes with a footer that
// has no extension area.
int64_t DataEnd(ImageStream* stream, int64_t size) {
  if (size < static_cast<int64_t>(kHeaderSize + kFooterSize)) return size;
  uint8_t footer[kFooterSize];
  if (ImageStreamSeek(stream, size - static_cast<int64_t>(kFooterSize), kSeekSet) != 0 ||
      !ImageStreamReadExact(stream, footer, sizeof footer)) {
    return size;
  }
  if (std::memcmp(footer + 8, kFooterSignature, 16) == 0 && ReadU32(footer) == 0) {
    return size - static_cast<int64_t>(kFooterSize);
  }
  return size;
}

// Whether the run-length packets give pixelCount pixels before the data runs out: checked
// before the image is allocated, so that a few packets claiming a big picture cost nothing.
bool PacketsFillImage(const uint8_t* data, size_t size, size_t pixelCount, int pixelBytes) {
  size_t in = 0, covered = 0;
  while (covered < pixelCount) {
    if (in >= size) return false;
    const uint8_t packet = data[in++];
    const size_t count = (packet & 0x7F) + 1u;
    const size_t bytes = (packet & 0x80) ? static_cast<size_t>(pixelBytes) : count * pixelBytes;
    if (size - in < bytes) return false;
    in += bytes;
    covered += count;
  }
  return true;
}

}  // namespace

int LoadTgaImage(ImageStream* stream, GraphImage* image) {
  const int64_t size = ImageStreamSize(stream);
  if (size < static_cast<int64_t>(kHeaderSize)) return -1;
  const int64_t dataEnd = DataEnd(stream, size);

  uint8_t h[kHeaderSize];
  if (ImageStreamSeek(stream, 0, kSeekSet) != 0 || !ImageStreamReadExact(stream, h, sizeof h)) return -1;
  const int idLength = h[0];
  const int colorMapType = h[1];
  const int type = h[2];
  const int mapFirst = ReadU16(h + 3);
  const int mapLength = ReadU16(h + 5);
  const int mapEntryBits = h[7];
  const int xOrigin = ReadU16(h + 8), yOrigin = ReadU16(h + 10);
  const int width = ReadU16(h + 12), height = ReadU16(h + 14);
  const int pixelBits = h[16];
  const uint8_t descriptor = h[17];

  const bool mapped = type == 1 || type == 9;
  const bool rle = type == 9 || type == 10;
  if (!mapped && type != 2 && type != 10) return -1;
  if (xOrigin != 0 || yOrigin != 0 || width >= kMaxSide || height >= kMaxSide || width == 0 || height == 0) return -1;
  const int outBits = mapped ? mapEntryBits : pixelBits;
  if (outBits != 16 && outBits != 24 && outBits != 32) return -1;
  // A colour-mapped image indexes its map with 8-bit values.
  if (mapped && (pixelBits != 8 || colorMapType != 1)) return -1;
  const int outBytes = outBits / 8;
  const int inBytes = mapped ? 1 : outBytes;

  if (ImageStreamSeek(stream, kHeaderSize + idLength, kSeekSet) != 0) return Corrupt();
  // The map is read whole; entries past index 255 cannot be reached by an 8-bit index
  // and are dropped, indexes without an entry read as 0.
  uint8_t map[256 * 4] = {};
  if (colorMapType == 1 && mapLength > 0) {
    const int entryBytes = (mapEntryBits + 7) / 8;
    const size_t mapBytes = static_cast<size_t>(mapLength) * entryBytes;
    auto* raw = static_cast<uint8_t*>(RT_ALLOC(mapBytes));
    if (!raw) return -1;
    if (!ImageStreamReadExact(stream, raw, mapBytes)) {
      MemFree(raw);
      return Corrupt();
    }
    if (mapped) {
      for (int i = 0; i < mapLength && mapFirst + i < 256; ++i) {
        std::memcpy(map + (mapFirst + i) * outBytes, raw + static_cast<size_t>(i) * entryBytes, outBytes);
      }
    }
    MemFree(raw);
  }

  const int64_t position = ImageStreamTell(stream);
  if (position < 0 || position > dataEnd) return Corrupt();
  const size_t available = static_cast<size_t>(dataEnd - position);
  const size_t pixelCount = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (!rle && available < pixelCount * inBytes) return Corrupt();
  auto* data = static_cast<uint8_t*>(RT_ALLOC(available == 0 ? 1 : available));
  if (!data) return -1;
  const size_t got = ImageStreamRead(stream, data, available);
  if (rle && !PacketsFillImage(data, got, pixelCount, inBytes)) {
    MemFree(data);
    return Corrupt();
  }

  // Pixels in file order, each inBytes wide.
  uint8_t* decoded = AllocImagePixels(static_cast<int64_t>(pixelCount) * inBytes, 1);
  if (!decoded) {
    MemFree(data);
    return -1;
  }
  bool ok = true;
  if (!rle) {
    ok = got >= pixelCount * inBytes;
    if (ok) std::memcpy(decoded, data, pixelCount * inBytes);
  } else {
    size_t in = 0, written = 0;
    while (written < pixelCount) {
      if (in >= got) {
        ok = false;
        break;
      }
      const uint8_t packet = data[in++];
      const size_t count = (packet & 0x7F) + 1u;
      const size_t take = count < pixelCount - written ? count : pixelCount - written;
      if (packet & 0x80) {
        if (got - in < static_cast<size_t>(inBytes)) {
          ok = false;
          break;
        }
        for (size_t i = 0; i < take; ++i) std::memcpy(decoded + (written + i) * inBytes, data + in, inBytes);
        in += inBytes;
      } else {
        if (got - in < count * inBytes) {
          ok = false;
          break;
        }
        std::memcpy(decoded + written * inBytes, data + in, take * inBytes);
        in += count * inBytes;
      }
      written += take;
    }
  }
  MemFree(data);
  if (!ok) {
    MemFree(decoded);
    return Corrupt();
  }

  uint8_t* pixels = AllocImagePixels(int64_t{width} * outBytes, height);
  if (!pixels) {
    MemFree(decoded);
    return -1;
  }
  const bool topDown = (descriptor & kDescriptorTopDown) != 0;
  const bool rightToLeft = (descriptor & kDescriptorRightToLeft) != 0;
  const size_t pitch = static_cast<size_t>(width) * outBytes;
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = decoded + static_cast<size_t>(topDown ? y : height - 1 - y) * width * inBytes;
    uint8_t* dst = pixels + static_cast<size_t>(y) * pitch;
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = src + static_cast<size_t>(rightToLeft ? width - 1 - x : x) * inBytes;
      std::memcpy(dst + static_cast<size_t>(x) * outBytes, mapped ? map + *p * outBytes : p, outBytes);
    }
  }
  MemFree(decoded);
  SetFormat(outBits, &image->format);
  image->width = width;
  image->height = height;
  image->pitch = static_cast<int32_t>(pitch);
  image->pixels = pixels;
  return 0;
}

}  // namespace rt
