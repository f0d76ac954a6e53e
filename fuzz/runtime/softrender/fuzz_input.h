// The input reader and image holder the software-renderer fuzz targets share.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "runtime/image/memimg.h"

namespace fuzz_input {

// Reads the fuzzer's bytes in order; past the end every byte reads as 0.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  int Small(int limit) { return Byte() % limit; }
  uint32_t Word() { return uint32_t{Byte()} | uint32_t{Byte()} << 8 | uint32_t{Byte()} << 16 | uint32_t{Byte()} << 24; }
  // Mostly small coordinates, now and then one far outside any image.
  int Coordinate() {
    const uint8_t b = Byte();
    if (b == 0xFF) return INT32_MAX - Small(4);
    if (b == 0xFE) return INT32_MIN + Small(4);
    return static_cast<int>(b) - 64;
  }
  // Mostly a value in a plausible range, now and then any bit pattern.
  float Value(float low, float high) {
    if (Small(8) == 0) {
      const uint32_t bits = Word();
      float f;
      std::memcpy(&f, &bits, 4);
      return f;
    }
    return low + (high - low) * static_cast<float>(Word() & 0xFFFF) / 65535.0f;
  }
  void Fill(uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) p[i] = Byte();
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// A software image released when it goes out of scope.
struct Image {
  rt::MEMIMG img{};
  ~Image() { rt::ReleaseMemImg(&img); }
};

}  // namespace fuzz_input
