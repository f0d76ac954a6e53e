// Reading helpers shared by the image loaders.
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/image/image_loader.h"

namespace rt {

// The stream's size in bytes (seek to the end, tell, seek back); -1 when it cannot be told.
int64_t ImageStreamSize(ImageStream* stream);
int64_t ImageStreamTell(ImageStream* stream);
int ImageStreamSeek(ImageStream* stream, int64_t offset, int origin);
// Reads exactly size bytes; false on a short read.
bool ImageStreamReadExact(ImageStream* stream, void* buffer, size_t size);
// Reads up to size bytes; the number read.
size_t ImageStreamRead(ImageStream* stream, void* buffer, size_t size);

inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t ReadU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }

constexpr int64_t kMaxImageSide = kMaxGraphSide;
// False, with a log line naming the format, for a width or height above kMaxImageSide:
// checked before anything is allocated for the image.
bool ImageSizeAllowed(int64_t width, int64_t height, const char* format);

// Tracked pixel memory of rows * pitch bytes; null when the size is out of reach.
uint8_t* AllocImagePixels(int64_t pitch, int64_t rows);

}  // namespace rt
