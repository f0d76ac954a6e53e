// Software images for tests: a record that releases itself, and random pixel filling.
#pragma once
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "runtime/image/memimg.h"

namespace testsupport {

// A MEMIMG released at the end of its scope. It holds pointers into itself, so it stays put.
struct OwnedMemImg {
  rt::MEMIMG img{};
  OwnedMemImg() = default;
  OwnedMemImg(const OwnedMemImg&) = delete;
  OwnedMemImg& operator=(const OwnedMemImg&) = delete;
  ~OwnedMemImg() { rt::ReleaseMemImg(&img); }
  rt::MEMIMG* operator->() { return &img; }
  rt::MEMIMG* get() { return &img; }
};

inline uint32_t ReadPixel(const rt::MEMIMG& m, int x, int y) {
  const int bytes = rt::MemImgBytesPerPixel(m.kind, m.paletteFlag, m.alphaFlag);
  uint32_t v = 0;
  std::memcpy(&v, m.pixels + static_cast<int64_t>(y) * m.pitch + static_cast<int64_t>(x) * bytes, bytes);
  return v;
}

// Rows of red, green and blue bytes of a 32-bit image.
inline std::vector<uint8_t> MemImgToRgb(const rt::MEMIMG& m) {
  std::vector<uint8_t> rgb;
  rgb.reserve(static_cast<size_t>(m.width) * m.height * 3);
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      const uint32_t p = ReadPixel(m, x, y);
      rgb.insert(rgb.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)});
    }
  }
  return rgb;
}

inline void WritePixel(rt::MEMIMG& m, int x, int y, uint32_t v) {
  const int bytes = rt::MemImgBytesPerPixel(m.kind, m.paletteFlag, m.alphaFlag);
  std::memcpy(m.pixels + static_cast<int64_t>(y) * m.pitch + static_cast<int64_t>(x) * bytes, &v, bytes);
}

inline void FillRandom(rt::MEMIMG& m, std::mt19937& rng) {
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) WritePixel(m, x, y, static_cast<uint32_t>(rng()));
  }
}

}  // namespace testsupport
