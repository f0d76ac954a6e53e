// The data set's PNG files: rows filtered only in the ways that are cheap to undo, since the
// game decodes megapixels of sheets before its first frame.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>

#include "tools/dataset/image_encode.h"

namespace {

uint32_t Be32(const std::string& s, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(s[at])) << 24 | static_cast<uint32_t>(static_cast<uint8_t>(s[at + 1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[at + 2])) << 8 | static_cast<uint8_t>(s[at + 3]);
}

// The inflated picture data: each row's filter byte followed by its bytes.
std::string PictureData(const std::string& png) {
  std::string compressed;
  for (size_t at = 8; at + 8 <= png.size();) {
    const uint32_t length = Be32(png, at);
    if (png.compare(at + 4, 4, "IDAT") == 0) compressed += png.substr(at + 8, length);
    at += 12 + length;
  }
  std::string rows(1 << 20, '\0');
  uLongf size = rows.size();
  EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(rows.data()), &size, reinterpret_cast<const Bytef*>(compressed.data()),
                       compressed.size()),
            Z_OK);
  rows.resize(size);
  return rows;
}

TEST(ImageEncodeTest, PngRowsUseOnlyTheCheapFilters) {
  // Noise over a diagonal gradient: the kind of rows an adaptive filter would give to the
  // averaging and Paeth filters.
  constexpr int kWidth = 96, kHeight = 48;
  dataset::Canvas canvas(kWidth, kHeight);
  uint32_t seed = 12345;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = static_cast<int>(seed >> 28);
      canvas.Set(x, y,
                 dataset::Rgb{static_cast<uint8_t>((x + y) * 2 + noise), static_cast<uint8_t>(x * 2 + noise),
                              static_cast<uint8_t>(y * 4 + noise)});
    }
  }
  const std::string rows = PictureData(dataset::EncodePng(canvas));
  const size_t stride = 1 + size_t{kWidth} * 3;
  ASSERT_EQ(rows.size(), stride * kHeight);
  for (int y = 0; y < kHeight; ++y) EXPECT_LE(rows[stride * y], 2) << "row " << y;
}

}  // namespace
