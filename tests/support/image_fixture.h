// Small image files made in code: BMP, TGA, PNG, JPEG, BGRA and DDS of a known picture,
// in the variants the loaders understand, for tests, benchmarks and seed corpora.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const Rgba&) const = default;
};

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Rgba> pixels;  // rows top-down
  Rgba At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  Rgba& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A picture whose pixels take the given number of distinct colours (1 to 256) in a
// pattern with runs and single pixels; alpha varies unless opaque is set.
Picture MakePicture(int width, int height, int colours, bool opaque = true);
// A smooth gradient, for lossy formats.
Picture MakeGradient(int width, int height);
// The picture's distinct colours in order of first appearance.
std::vector<Rgba> PictureColours(const Picture& picture);

struct BmpOptions {
  int bitCount = 24;       // 1, 4, 8, 16, 24, 32
  bool topDown = false;
  bool rle = false;        // RLE8 for 8 bits, RLE4 for 4 bits
  bool bitFields = false;  // 16 bits 5-6-5, 32 bits X8R8G8B8 masks
  bool shortPalette = false;  // list only the colours used (colours-used field)
};
std::string MakeBmp(const Picture& picture, const BmpOptions& options = {});

struct TgaOptions {
  int type = 2;      // 1, 2, 9, 10
  int bits = 24;     // pixel size; for colour-mapped types the map entry size
  bool topDown = false;
  bool rightToLeft = false;
  bool footer = false;
  const char* id = "";  // the image ID field
};
std::string MakeTga(const Picture& picture, const TgaOptions& options = {});

struct PngOptions {
  int colorType = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey-alpha, 6 RGBA
  int bitDepth = 8;
  bool transparency = false;  // a tRNS chunk: palette alphas, or the first pixel's colour
  bool interlace = false;
};
// Grey types take the picture's green channel as the grey level.
std::string MakePng(const Picture& picture, const PngOptions& options = {});

std::string MakeJpeg(const Picture& picture, bool grey, int quality = 95);

// 16 bits per channel stores each 8-bit value as its high byte over a noisy low byte.
std::string MakeBgra(const Picture& picture, bool sixteenBits);

struct DdsOptions {
  int bits = 32;
  uint32_t red = 0xFF0000, green = 0xFF00, blue = 0xFF, alpha = 0xFF000000;
  uint32_t pixelFormatFlags = 0x41;  // RGB with alpha pixels
  int extraPitch = 0;                // bytes added to each row, stated with the pitch flag
};
std::string MakeDds(const Picture& picture, const DdsOptions& options = {});

}  // namespace testing_support
