#include "runtime/image/image_loader.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "tests/support/image_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::BmpOptions;
using testing_support::DdsOptions;
using testing_support::MakeBgra;
using testing_support::MakeBmp;
using testing_support::MakeDds;
using testing_support::MakeGradient;
using testing_support::MakeJpeg;
using testing_support::MakePicture;
using testing_support::MakePng;
using testing_support::MakeTga;
using testing_support::Picture;
using testing_support::PngOptions;
using testing_support::ReadFileBytes;
using testing_support::Rgba;
using testing_support::ScopedTempDir;
using testing_support::TgaOptions;
using testing_support::WriteFileBytes;

// What a decoded pixel should read as, given the picture's colour.
using Expectation = std::function<Rgba(const Rgba&)>;

uint8_t Unpack(uint8_t c, int bits) { return static_cast<uint8_t>((c >> (8 - bits)) * 255 / ((1 << bits) - 1)); }
// A channel narrowed to bits and widened again by the conversion blitter's rule.
uint8_t Widen(uint8_t c, int bits) {
  const int v = c >> (8 - bits), k = 8 - bits;
  return static_cast<uint8_t>((v << k) + v * ((1 << k) - 1) / ((1 << bits) - 1));
}

const Expectation kExact = [](const Rgba& c) { return c; };
const Expectation kOpaqueNoAlpha = [](const Rgba& c) { return Rgba{c.r, c.g, c.b, 0}; };
const Expectation kFrom555 = [](const Rgba& c) { return Rgba{Unpack(c.r, 5), Unpack(c.g, 5), Unpack(c.b, 5), 0}; };
const Expectation kWidened555 = [](const Rgba& c) { return Rgba{Widen(c.r, 5), Widen(c.g, 5), Widen(c.b, 5), 0}; };
const Expectation kTruncated565 = [](const Rgba& c) {
  return Rgba{static_cast<uint8_t>(c.r & 0xF8), static_cast<uint8_t>(c.g & 0xFC), static_cast<uint8_t>(c.b & 0xF8), 0};
};
Expectation Grey(int bits) {
  return [bits](const Rgba& c) {
    const uint8_t v = bits >= 8 ? c.g : static_cast<uint8_t>((c.g >> (8 - bits)) * (255 / ((1 << bits) - 1)));
    return Rgba{v, v, v, 0};
  };
}
const Expectation kGreyAlpha = [](const Rgba& c) { return Rgba{c.g, c.g, c.g, c.a}; };
Expectation KeyedOn(const Rgba& key, bool grey) {
  return [key, grey](const Rgba& c) {
    const bool transparent = grey ? c.g == key.g : (c.r == key.r && c.g == key.g && c.b == key.b);
    const uint8_t a = transparent ? 0 : 255;
    return grey ? Rgba{c.g, c.g, c.g, a} : Rgba{c.r, c.g, c.b, a};
  };
}

struct LoaderCase {
  std::string name;
  std::string bytes;
  Picture picture;
  int depth;  // of the decoded format
  Expectation expect;
  int tolerance = 0;
};

class ImageLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::GetLogState() = rt::LogState{};
    rt::SetLogDirectory(dir_.path());
    rt::LogStart();
  }
  void TearDown() override { rt::GetLogState() = rt::LogState{}; }
  std::string Log() { return ReadFileBytes(dir_.File("Log.txt")); }

  static int Decode(const std::string& bytes, rt::GraphImage* image) {
    rt::MemStream* mem = rt::MemStreamOpen(bytes.data(), static_cast<int32_t>(bytes.size()));
    rt::ImageStream stream = rt::MakeImageStream(rt::GetMemoryStreamAccess(), rt::MemStreamHandle(mem));
    const int result = rt::LoadImageFromStream(&stream, image);
    rt::MemStreamClose(mem);
    return result;
  }

  static void ExpectPicture(const LoaderCase& c, const rt::GraphImage& image) {
    ASSERT_EQ(image.width, c.picture.width);
    ASSERT_EQ(image.height, c.picture.height);
    EXPECT_EQ(image.format.colorBitDepth, c.depth);
    int mismatches = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        int r, g, b, a;
        rt::GetGraphImagePixel(&image, x, y, &r, &g, &b, &a);
        const Rgba want = c.expect(c.picture.At(x, y));
        const bool same = std::abs(r - want.r) <= c.tolerance && std::abs(g - want.g) <= c.tolerance &&
                          std::abs(b - want.b) <= c.tolerance && a == want.a;
        if (!same && ++mismatches <= 3) {
          ADD_FAILURE() << c.name << " at " << x << "," << y << ": got " << r << " " << g << " " << b << " " << a
                        << ", want " << int(want.r) << " " << int(want.g) << " " << int(want.b) << " "
                        << int(want.a);
        }
      }
    }
  }

  ScopedTempDir dir_;
};

std::vector<LoaderCase> Cases() {
  const Picture two = MakePicture(13, 7, 2), four = MakePicture(13, 7, 4), sixteen = MakePicture(13, 7, 16),
                many = MakePicture(13, 7, 40), translucent = MakePicture(13, 7, 40, false),
                wide = MakePicture(300, 3, 3);
  // Sixteen colours, each with an alpha of its own, for palettes with transparency.
  Picture paletteAlpha = sixteen;
  for (Rgba& c : paletteAlpha.pixels) c.a = static_cast<uint8_t>(c.r * 7);
  std::vector<LoaderCase> cases = {
      {"bmp 1-bit", MakeBmp(two, {.bitCount = 1}), two, 24, kOpaqueNoAlpha},
      {"bmp 4-bit", MakeBmp(sixteen, {.bitCount = 4}), sixteen, 8, kOpaqueNoAlpha},
      {"bmp 4-bit top-down", MakeBmp(sixteen, {.bitCount = 4, .topDown = true}), sixteen, 8, kOpaqueNoAlpha},
      {"bmp 8-bit", MakeBmp(many, {.bitCount = 8}), many, 8, kOpaqueNoAlpha},
      {"bmp 8-bit top-down", MakeBmp(many, {.bitCount = 8, .topDown = true}), many, 8, kOpaqueNoAlpha},
      {"bmp 8-bit short palette", MakeBmp(many, {.bitCount = 8, .shortPalette = true}), many, 8, kOpaqueNoAlpha},
      {"bmp rle8", MakeBmp(many, {.bitCount = 8, .rle = true}), many, 8, kOpaqueNoAlpha},
      {"bmp rle8 long runs", MakeBmp(wide, {.bitCount = 8, .rle = true}), wide, 8, kOpaqueNoAlpha},
      {"bmp rle4", MakeBmp(sixteen, {.bitCount = 4, .rle = true}), sixteen, 8, kOpaqueNoAlpha},
      {"bmp 16-bit 555", MakeBmp(many, {.bitCount = 16}), many, 24, kWidened555},
      {"bmp 16-bit bit fields 565", MakeBmp(many, {.bitCount = 16, .bitFields = true}), many, 24, kTruncated565},
      {"bmp 24-bit", MakeBmp(many), many, 24, kOpaqueNoAlpha},
      {"bmp 24-bit top-down", MakeBmp(many, {.bitCount = 24, .topDown = true}), many, 24, kOpaqueNoAlpha},
      {"bmp 32-bit", MakeBmp(many, {.bitCount = 32}), many, 24, kOpaqueNoAlpha},
      {"bmp 32-bit bit fields", MakeBmp(many, {.bitCount = 32, .bitFields = true}), many, 24, kOpaqueNoAlpha},
      {"bmp 32-bit top-down", MakeBmp(many, {.bitCount = 32, .topDown = true}), many, 24, kOpaqueNoAlpha},
      {"tga 2 24-bit", MakeTga(many), many, 24, kOpaqueNoAlpha},
      {"tga 2 32-bit", MakeTga(translucent, {.bits = 32}), translucent, 32, kExact},
      {"tga 2 16-bit", MakeTga(many, {.bits = 16}), many, 16, kFrom555},
      {"tga 2 top-down right-to-left", MakeTga(many, {.topDown = true, .rightToLeft = true}), many, 24, kOpaqueNoAlpha},
      {"tga 2 right-to-left with footer and id", MakeTga(many, {.rightToLeft = true, .footer = true, .id = "hello"}),
       many, 24, kOpaqueNoAlpha},
      {"tga 10 24-bit", MakeTga(many, {.type = 10}), many, 24, kOpaqueNoAlpha},
      {"tga 10 32-bit top-down", MakeTga(translucent, {.type = 10, .bits = 32, .topDown = true}), translucent, 32,
       kExact},
      {"tga 10 16-bit with footer", MakeTga(many, {.type = 10, .bits = 16, .footer = true}), many, 16, kFrom555},
      {"tga 1 24-bit map", MakeTga(many, {.type = 1}), many, 24, kOpaqueNoAlpha},
      {"tga 1 32-bit map top-down", MakeTga(translucent, {.type = 1, .bits = 32, .topDown = true}), translucent, 32,
       kExact},
      {"tga 9 24-bit map", MakeTga(many, {.type = 9, .rightToLeft = true}), many, 24, kOpaqueNoAlpha},
      {"tga 9 16-bit map with footer", MakeTga(many, {.type = 9, .bits = 16, .footer = true}), many, 16, kFrom555},
      {"png grey 1-bit", MakePng(two, {.colorType = 0, .bitDepth = 1}), two, 8, Grey(1)},
      {"png grey 2-bit", MakePng(many, {.colorType = 0, .bitDepth = 2}), many, 8, Grey(2)},
      {"png grey 4-bit", MakePng(many, {.colorType = 0, .bitDepth = 4}), many, 8, Grey(4)},
      {"png grey 8-bit", MakePng(many, {.colorType = 0}), many, 8, Grey(8)},
      {"png grey 16-bit", MakePng(many, {.colorType = 0, .bitDepth = 16}), many, 8, Grey(8)},
      {"png grey with tRNS", MakePng(many, {.colorType = 0, .transparency = true}), many, 16,
       KeyedOn(many.At(0, 0), true)},
      {"png rgb", MakePng(many), many, 24, kOpaqueNoAlpha},
      {"png rgb 16-bit", MakePng(many, {.bitDepth = 16}), many, 24, kOpaqueNoAlpha},
      {"png rgb with tRNS", MakePng(many, {.transparency = true}), many, 32, KeyedOn(many.At(0, 0), false)},
      {"png palette 1-bit", MakePng(two, {.colorType = 3, .bitDepth = 1}), two, 8, kOpaqueNoAlpha},
      {"png palette 2-bit", MakePng(four, {.colorType = 3, .bitDepth = 2}), four, 8, kOpaqueNoAlpha},
      {"png palette 4-bit", MakePng(sixteen, {.colorType = 3, .bitDepth = 4}), sixteen, 8, kOpaqueNoAlpha},
      {"png palette 8-bit", MakePng(many, {.colorType = 3}), many, 8, kOpaqueNoAlpha},
      {"png palette with tRNS", MakePng(paletteAlpha, {.colorType = 3, .transparency = true}), paletteAlpha, 32,
       kExact},
      {"png palette 4-bit with tRNS", MakePng(paletteAlpha, {.colorType = 3, .bitDepth = 4, .transparency = true}),
       paletteAlpha, 32, kExact},
      {"png grey-alpha", MakePng(translucent, {.colorType = 4}), translucent, 16, kGreyAlpha},
      {"png grey-alpha 16-bit", MakePng(translucent, {.colorType = 4, .bitDepth = 16}), translucent, 16, kGreyAlpha},
      {"png rgba", MakePng(translucent, {.colorType = 6}), translucent, 32, kExact},
      {"png rgba 16-bit", MakePng(translucent, {.colorType = 6, .bitDepth = 16}), translucent, 32, kExact},
      {"png rgba interlaced", MakePng(translucent, {.colorType = 6, .interlace = true}), translucent, 32, kExact},
      {"bgra 8-bit", MakeBgra(translucent, false), translucent, 32, kExact},
      {"bgra 16-bit keeps high bytes", MakeBgra(translucent, true), translucent, 32, kExact},
      {"dds argb", MakeDds(translucent), translucent, 32, kExact},
      {"dds 4444 with a pitch", MakeDds(translucent, {.bits = 16, .red = 0x0F00, .green = 0xF0, .blue = 0xF,
                                                      .alpha = 0xF000, .extraPitch = 6}),
       translucent, 16,
       [](const Rgba& c) { return Rgba{Unpack(c.r, 4), Unpack(c.g, 4), Unpack(c.b, 4), Unpack(c.a, 4)}; }},
      {"dds 565 without the rgb flag", MakeDds(many, {.bits = 16, .red = 0xF800, .green = 0x7E0, .blue = 0x1F,
                                                      .alpha = 0, .pixelFormatFlags = 0}),
       many, 16, [](const Rgba& c) { return Rgba{Unpack(c.r, 5), Unpack(c.g, 6), Unpack(c.b, 5), 0}; }},
  };
  const Picture gradient = MakeGradient(40, 24);
  cases.push_back({"jpeg colour", MakeJpeg(gradient, false), gradient, 24, kOpaqueNoAlpha, 12});
  cases.push_back({"jpeg grey", MakeJpeg(gradient, true), gradient, 8, Grey(8), 6});
  return cases;
}

TEST_F(ImageLoaderTest, DecodesEveryForm) {
  for (const LoaderCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    rt::GraphImage image{};
    ASSERT_EQ(Decode(c.bytes, &image), 0);
    ExpectPicture(c, image);
    rt::ReleaseGraphImage(&image);
  }
}

// Every prefix of every fixture is refused (a JPEG cut short may still decode) without a
// crash or a leak, and the refusal of a recognised format is logged.
TEST_F(ImageLoaderTest, TruncatedFilesAreRefused) {
  const int blocks = rt::GetMemoryState().count;
  for (const LoaderCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const bool jpeg = c.name.rfind("jpeg", 0) == 0;
    const bool bmp = c.name.rfind("bmp", 0) == 0 && c.name.find("rle") == std::string::npos;
    // An uncompressed bitmap may lack the padding of its last row.
    // A footer after the pixels may be cut without losing any.
    const bool footer = c.name.find("footer") != std::string::npos;
    const size_t keep = c.bytes.size() - (bmp ? 4 : footer ? 26 : 0);
    const size_t step = c.bytes.size() > 600 ? 7 : 1;
    for (size_t length = 0; length < keep; length += step) {
      rt::GraphImage image{};
      const int result = Decode(c.bytes.substr(0, length), &image);
      if (result == 0) {
        EXPECT_TRUE(jpeg && length > 200) << length;
        rt::ReleaseGraphImage(&image);
      }
    }
  }
  EXPECT_EQ(rt::GetMemoryState().count, blocks);
  for (const char* line : {"ＢＭＰファイルのデータが壊れています", "ＴＧＡファイルのデータが壊れています",
                           "PNG: Read Error", "ＢＧＲＡファイルのデータが壊れています",
                           "ＤＤＳファイルのデータが壊れています", "JPEG: "}) {
    EXPECT_NE(Log().find(line), std::string::npos) << line;
  }
}

TEST_F(ImageLoaderTest, CorruptedBytesNeverCrash) {
  std::mt19937 rng(11);
  const int blocks = rt::GetMemoryState().count;
  for (const LoaderCase& c : Cases()) {
    for (int round = 0; round < 40; ++round) {
      std::string bytes = c.bytes;
      for (int flips = 0; flips < 3; ++flips) bytes[rng() % bytes.size()] = static_cast<char>(rng());
      rt::GraphImage image{};
      if (Decode(bytes, &image) == 0) rt::ReleaseGraphImage(&image);
    }
  }
  EXPECT_EQ(rt::GetMemoryState().count, blocks);
}

TEST_F(ImageLoaderTest, JpegCutShortDecodesWhatItHolds) {
  const Picture gradient = MakeGradient(64, 64);
  const std::string whole = MakeJpeg(gradient, false);
  rt::GraphImage image{};
  ASSERT_EQ(Decode(whole.substr(0, whole.size() * 3 / 4), &image), 0);
  EXPECT_EQ(image.width, 64);
  EXPECT_EQ(image.height, 64);
  int r, g, b, a;
  rt::GetGraphImagePixel(&image, 1, 1, &r, &g, &b, &a);  // the top rows came through
  EXPECT_LE(std::abs(r - gradient.At(1, 1).r), 12);
  rt::ReleaseGraphImage(&image);
  EXPECT_NE(Log().find("JPEG: Premature end of JPEG file"), std::string::npos);
}

// Headers that promise more than the file holds are refused before anything is allocated.
TEST_F(ImageLoaderTest, HeadersCheckedAgainstTheData) {
  const Picture p = MakePicture(4, 4, 4);
  auto patch32 = [](std::string s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
    return s;
  };
  auto patch16 = [](std::string s, size_t at, uint32_t v) {
    s[at] = static_cast<char>(v), s[at + 1] = static_cast<char>(v >> 8);
    return s;
  };
  struct Case {
    const char* what;
    std::string bytes;
  };
  const std::string bmp = MakeBmp(p), tga = MakeTga(p, {.type = 1}), bgra = MakeBgra(p, false),
                    dds = MakeDds(p);
  const Case cases[] = {
      {"bmp width", patch32(bmp, 18, 0x7FFFFFFF)},
      {"bmp height", patch32(bmp, 22, 100000)},
      {"bmp negative height limit", patch32(bmp, 22, 0x80000000u)},
      {"bmp pixel offset beyond the file", patch32(bmp, 10, 0xFFFFFF00u)},
      {"bmp rle8 with a 4-bit count", patch16(MakeBmp(p, {.bitCount = 8, .rle = true}), 28, 4)},
      {"tga width 4096", patch16(MakeTga(p), 12, 4096)},
      {"tga y origin 5", patch16(MakeTga(p), 10, 5)},
      {"tga 16-bit index", [&] {
         std::string s = tga;
         s[16] = 16;
         return s;
       }()},
      {"tga map longer than the file", patch16(tga, 5, 1000)},
      {"bgra width", patch32(bgra, 8, 0x10000000)},
      {"bgra height", patch32(bgra, 12, 5)},
      {"bgra depth tag", patch32(bgra, 4, 0x20202020)},
      {"dds height", patch32(dds, 12, 0x7FFFFFFF)},
      {"dds pitch shorter than a row", patch32(patch32(dds, 8, 0x100F), 20, 4)},
      {"dds bit count", patch32(dds, 4 + 84, 12)},
      {"dds rgb without alpha pixels", patch32(dds, 4 + 76, 0x40)},
  };
  const int blocks = rt::GetMemoryState().count;
  for (const Case& c : cases) {
    rt::GraphImage image{};
    EXPECT_EQ(Decode(c.bytes, &image), -1) << c.what;
  }
  EXPECT_EQ(rt::GetMemoryState().count, blocks);
}

TEST_F(ImageLoaderTest, TgaColourMapOutsideItsIndexes) {
  // Two map entries placed from index 255: only entry 255 fits; indexes 0 and 1 have none.
  std::string tga;
  const uint8_t header[18] = {0, 1, 1, 255, 0, 2, 0, 24, 0, 0, 0, 0, 3, 0, 1, 0, 8, 0x20};
  tga.assign(reinterpret_cast<const char*>(header), sizeof header);
  tga += std::string("\x10\x20\x30\x40\x50\x60", 6);
  tga += std::string("\xFF\x00\x01", 3);
  rt::GraphImage image{};
  ASSERT_EQ(Decode(tga, &image), 0);
  EXPECT_EQ(rt::GetGraphImagePixelRGB(&image, 0, 0), 0x302010u);
  EXPECT_EQ(rt::GetGraphImagePixelRGB(&image, 1, 0), 0u);
  EXPECT_EQ(rt::GetGraphImagePixelRGB(&image, 2, 0), 0u);
  rt::ReleaseGraphImage(&image);
}

// Runs, literals and moves that reach outside the picture are cut off at its edge.
TEST_F(ImageLoaderTest, BmpRunLengthDataStaysInsideTheImage) {
  const Picture p = MakePicture(4, 3, 2);
  std::string bmp = MakeBmp(p, {.bitCount = 8, .rle = true});
  const uint32_t offset = static_cast<uint8_t>(bmp[10]) | static_cast<uint8_t>(bmp[11]) << 8;
  std::string file = bmp.substr(0, offset);
  const uint8_t rle[] = {255, 1,           // a run far past the row
                         0, 0,             // end of line
                         0, 5, 1, 1, 1, 1, 1, 0,  // five literal pixels on a row of four
                         0, 2, 200, 200,   // a move far outside
                         3, 1,             // a run there is dropped
                         0, 1};
  file.append(reinterpret_cast<const char*>(rle), sizeof rle);
  rt::GraphImage image{};
  ASSERT_EQ(Decode(file, &image), 0);
  const uint8_t* bottom = image.pixels + 2 * image.pitch;
  const uint8_t* middle = image.pixels + 1 * image.pitch;
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(bottom[x], 1);
    EXPECT_EQ(middle[x], 1);
    EXPECT_EQ(image.pixels[x], 0);
  }
  rt::ReleaseGraphImage(&image);

  // A 4-bit run alternates the two indexes of its byte.
  std::string four = MakeBmp(MakePicture(5, 1, 2), {.bitCount = 4, .rle = true});
  const uint32_t off4 = static_cast<uint8_t>(four[10]);
  four = four.substr(0, off4) + std::string("\x05\x10\x00\x01", 4);
  ASSERT_EQ(Decode(four, &image), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(image.pixels), 5), std::string("\x01\x00\x01\x00\x01", 5));
  rt::ReleaseGraphImage(&image);
}

TEST_F(ImageLoaderTest, LoadGraphImageFromFileAndMemory) {
  const Picture p = MakePicture(6, 5, 40, false);
  const std::string png = MakePng(p, {.colorType = 6});
  WriteFileBytes(dir_.File("pic.png"), png);
  const int blocks = rt::GetMemoryState().count;

  rt::GraphImage fromFile{}, fromMemory{};
  ASSERT_EQ(rt::LoadGraphImage(dir_.File("pic.png").c_str(), nullptr, 0, 0, 0, 0, &fromFile, nullptr, nullptr), 0);
  ASSERT_EQ(rt::LoadGraphImage(nullptr, png.data(), int(png.size()), 1, 0, 0, &fromMemory, nullptr, nullptr), 0);
  ASSERT_EQ(fromFile.pitch, fromMemory.pitch);
  EXPECT_EQ(std::memcmp(fromFile.pixels, fromMemory.pixels, size_t(fromFile.pitch) * fromFile.height), 0);

  rt::GraphImage converted{};
  ASSERT_EQ(rt::LoadGraphImage(nullptr, png.data(), int(png.size()), 1, 0, 1, &converted, nullptr, nullptr), 0);
  EXPECT_EQ(std::memcmp(converted.pixels, fromMemory.pixels, size_t(fromFile.pitch) * fromFile.height), 0);

  rt::BitmapInfo* info = nullptr;
  uint8_t* bits = nullptr;
  ASSERT_EQ(rt::LoadGraphImage(nullptr, png.data(), int(png.size()), 1, 1, 0, nullptr, &info, &bits), 0);
  EXPECT_EQ(info->header.bitCount, 24);
  EXPECT_EQ(info->header.height, -5);
  EXPECT_EQ(bits[0], p.At(0, 0).b);
  rt::MemFree(bits);
  rt::MemFree(info);

  rt::ReleaseGraphImage(&fromFile);
  rt::ReleaseGraphImage(&fromMemory);
  rt::ReleaseGraphImage(&converted);
  EXPECT_EQ(rt::GetMemoryState().count, blocks);

  // Failures close the stream, a memory stream included.
  rt::GraphImage none{};
  const std::string garbage = "not an image at all";
  EXPECT_EQ(rt::LoadGraphImage(nullptr, garbage.data(), int(garbage.size()), 1, 0, 0, &none, nullptr, nullptr), -1);
  EXPECT_EQ(rt::LoadGraphImage(dir_.File("missing.png").c_str(), nullptr, 0, 0, 0, 0, &none, nullptr, nullptr), -1);
  EXPECT_EQ(rt::GetMemoryState().count, blocks);
}

TEST_F(ImageLoaderTest, AlphaImagePaths) {
  struct Case {
    const char* path;
    const char* alpha;
  };
  const Case cases[] = {
      {"gsx/enemy_01.png", "gsx/enemy_01_a.png"},
      {"noext", "noext_a"},
      {"dir.v2/name", "dir.v2/name_a"},
      {"a.b.c", "a.b_a.c"},
      {"\x95\x5C.png", "\x95\x5C_a.png"},  // a double-byte name whose trail byte is '\'
  };
  for (const Case& c : cases) EXPECT_EQ(rt::MakeAlphaImagePath(c.path), c.alpha) << c.path;
}

TEST_F(ImageLoaderTest, LoadImageWithAlpha) {
  const Picture p = MakePicture(6, 5, 8);
  const Picture mask = MakePicture(6, 5, 3);
  WriteFileBytes(dir_.File("enemy_01.png"), MakePng(p));
  WriteFileBytes(dir_.File("enemy_01_a.png"), MakePng(mask, {.colorType = 0}));
  WriteFileBytes(dir_.File("lone.bmp"), MakeBmp(p));
  WriteFileBytes(dir_.File("noext"), MakeBmp(p));
  WriteFileBytes(dir_.File("noext_a"), MakeBmp(mask));
  const int blocks = rt::GetMemoryState().count;

  rt::GraphImage image{}, alpha{};
  EXPECT_EQ(rt::LoadImageWithAlpha(dir_.File("enemy_01.png").c_str(), nullptr, 0, 0, nullptr, 0, 0, &image, &alpha, 0),
            0);
  EXPECT_EQ(alpha.width, 6);
  EXPECT_EQ(alpha.format.colorBitDepth, 8);
  rt::ReleaseGraphImage(&image);
  rt::ReleaseGraphImage(&alpha);

  EXPECT_EQ(rt::LoadImageWithAlpha(dir_.File("lone.bmp").c_str(), nullptr, 0, 0, nullptr, 0, 0, &image, &alpha, 0), 1);
  EXPECT_EQ(alpha.pixels, nullptr);
  rt::ReleaseGraphImage(&image);

  EXPECT_EQ(rt::LoadImageWithAlpha(dir_.File("noext").c_str(), nullptr, 0, 0, nullptr, 0, 0, &image, &alpha, 0), 0);
  rt::ReleaseGraphImage(&image);
  rt::ReleaseGraphImage(&alpha);

  const std::string maskBytes = MakeBmp(mask);
  EXPECT_EQ(rt::LoadImageWithAlpha(dir_.File("lone.bmp").c_str(), nullptr, 0, 0, maskBytes.data(),
                                   int(maskBytes.size()), 1, &image, &alpha, 0),
            0);
  rt::ReleaseGraphImage(&image);
  rt::ReleaseGraphImage(&alpha);
  for (int flag : {1, 2, -1}) {
    EXPECT_EQ(rt::LoadImageWithAlpha(dir_.File("enemy_01.png").c_str(), nullptr, 0, 0, nullptr, 0, flag, &image,
                                     &alpha, 0),
              1)
        << flag;
    rt::ReleaseGraphImage(&image);
  }
  EXPECT_EQ(rt::LoadImageWithAlpha(dir_.File("nothing.png").c_str(), nullptr, 0, 0, nullptr, 0, 0, &image, &alpha, 0),
            -1);
  EXPECT_EQ(rt::GetMemoryState().count, blocks);
}

TEST_F(ImageLoaderTest, UserLoadersComeFirst) {
  rt::ImageLoaderTable& table = rt::GetImageLoaderTable();
  table.user[0] = [](rt::ImageStream*, rt::GraphImage* image) {
    rt::CreateARGB8888GraphImage(2, 3, image);
    return 0;
  };
  table.userCount = 1;
  rt::GraphImage image{};
  const std::string png = MakePng(MakePicture(6, 5, 8));
  EXPECT_EQ(Decode(png, &image), 0);
  EXPECT_EQ(image.width, 2);
  rt::ReleaseGraphImage(&image);
  table = rt::ImageLoaderTable{};
}

}  // namespace

namespace {

// Tracked-memory high-water mark over a call, from the memory tracker's running totals.
size_t PeakAllocationDuring(const std::function<void()>& call, const std::function<std::string()>& log) {
  const size_t before = log().size();
  const int32_t base = rt::GetMemoryState().totalSize;
  rt::GetMemoryState().logTotals = 1;
  call();
  rt::GetMemoryState().logTotals = 0;
  const std::string lines = log().substr(before);
  int32_t peak = base;
  for (size_t at = lines.find("Total size:"); at != std::string::npos; at = lines.find("Total size:", at + 1)) {
    peak = std::max(peak, static_cast<int32_t>(std::atol(lines.c_str() + at + 11)));
  }
  return static_cast<size_t>(peak - base);
}

void Put32(std::string* s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*s)[at + i] = static_cast<char>(v >> (8 * i));
}

// A run-length BMP of the given size over the given run-length data.
std::string RleBmp(int bitCount, int32_t width, int32_t height, const std::string& data) {
  std::string bmp = MakeBmp(MakePicture(4, 4, bitCount == 4 ? 16 : 200), {.bitCount = bitCount, .rle = true});
  const uint32_t offset = static_cast<uint8_t>(bmp[10]) | static_cast<uint8_t>(bmp[11]) << 8;
  bmp = bmp.substr(0, offset) + data;
  Put32(&bmp, 2, static_cast<uint32_t>(bmp.size()));
  Put32(&bmp, 18, static_cast<uint32_t>(width));
  Put32(&bmp, 22, static_cast<uint32_t>(height));
  Put32(&bmp, 34, static_cast<uint32_t>(data.size()));
  return bmp;
}

// A run-length TGA (type 9: 8-bit indexes into a 24-bit map of 2 entries; type 10: 32-bit
// pixels) of the given size over the given packets.
std::string RleTga(int type, int width, int height, const std::string& packets) {
  const bool mapped = type == 9;
  const uint8_t mapType = mapped ? 1 : 0, mapLength = mapped ? 2 : 0, mapBits = mapped ? 24 : 0;
  const uint8_t header[18] = {0, mapType, static_cast<uint8_t>(type), 0, 0, mapLength, 0, mapBits, 0, 0, 0, 0,
                              static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
                              static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8),
                              static_cast<uint8_t>(mapped ? 8 : 32), 0x20};
  std::string tga(reinterpret_cast<const char*>(header), sizeof header);
  if (mapped) tga += std::string("\x10\x20\x30\x40\x50\x60", 6);
  return tga + packets;
}

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// A PNG whose header claims another width (its checksum made right again).
std::string PngWithWidth(uint32_t width) {
  std::string png = MakePng(MakePicture(4, 4, 4));
  for (int i = 0; i < 4; ++i) png[16 + i] = static_cast<char>(width >> (24 - 8 * i));
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  return png;
}

// A JPEG whose frame header claims another width.
std::string JpegWithWidth(uint16_t width) {
  std::string jpeg = MakeJpeg(MakeGradient(8, 8), false);
  const size_t frame = jpeg.find("\xFF\xC0");
  jpeg[frame + 7] = static_cast<char>(width >> 8);
  jpeg[frame + 8] = static_cast<char>(width);
  return jpeg;
}


// A few bytes that claim a huge picture are refused before the picture's memory is taken:
// no more is allocated on the way than the file's own size.
TEST_F(ImageLoaderTest, DecompressionBombsAreRefusedBeforeAllocating) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* sizeRefusal;  // the log line of a refused size, or null
  };
  const std::string endOfBitmap("\x00\x01", 2);
  const std::string endOfLine("\x00\x00", 2);
  const Case cases[] = {
      {"bmp rle4 5 x 50331648 ended at once (found by the fuzz target)", RleBmp(4, 5, 50331648, endOfBitmap),
       "BMP: 画像が大きすぎます (5 x 50331648)"},
      {"bmp rle8 32769 wide", RleBmp(8, 32769, 1, endOfBitmap), "BMP: 画像が大きすぎます (32769 x 1)"},
      {"bmp rle8 32769 high, top-down", RleBmp(8, 1, -32769, endOfBitmap),
       "BMP: 画像が大きすぎます (1 x 32769)"},
      {"bmp rle8 16384 x 32768 whose runs stop", RleBmp(8, 16384, 32768, Repeat("\xFF\x01", 8)), nullptr},
      {"bmp rle4 line ends that stop short", RleBmp(4, 16000, 30000, Repeat(endOfLine, 100)), nullptr},
      {"bmp rle8 moves that stop short", RleBmp(8, 16000, 30000, Repeat(std::string("\x00\x02\xFF\xFF", 4), 20)),
       nullptr},
      {"bmp rle8 literal cut off", RleBmp(8, 16000, 16000, std::string("\x00\x40\x01\x02", 4)), nullptr},
      {"tga rle 4095 square of one packet", RleTga(10, 4095, 4095, std::string("\xFF\x01\x02\x03\x04", 5)), nullptr},
      {"tga rle mapped 4000 square of full repeats",
       RleTga(9, 4000, 4000, Repeat(std::string("\xFF\x01", 2), 1000)), nullptr},
      {"tga rle literal packet cut off", RleTga(10, 4000, 4000, std::string("\x7F\x01\x02\x03\x04", 5)), nullptr},
      {"bgra 32769 wide", [] {
         std::string bgra = MakeBgra(MakePicture(1, 1, 1), false).substr(0, 16);
         Put32(&bgra, 8, 32769);
         return bgra + std::string(32769 * 4, '\x7F');
       }(),
       "BGRA: 画像が大きすぎます (32769 x 1)"},
      {"png 40000 wide", PngWithWidth(40000), nullptr},
      {"jpeg 40000 wide", JpegWithWidth(40000), "JPEG: 画像が大きすぎます (40000 x 8)"},
  };
  const int blocks = rt::GetMemoryState().count;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rt::GraphImage image{};
    int result = 0;
    const size_t peak = PeakAllocationDuring([&] { result = Decode(c.bytes, &image); }, [this] { return Log(); });
    EXPECT_EQ(result, -1);
    if (result == 0) rt::ReleaseGraphImage(&image);
    // The loaders read the file whole and keep small fixed tables beside it.
    EXPECT_LE(peak, c.bytes.size() + 64 * 1024);
    if (c.sizeRefusal) {
      EXPECT_NE(Log().find(c.sizeRefusal), std::string::npos);
    }
  }
  EXPECT_EQ(rt::GetMemoryState().count, blocks);
  EXPECT_NE(Log().find("PNG: Invalid IHDR data"), std::string::npos);
  rt::GraphImage image{};
  ASSERT_EQ(Decode(PngWithWidth(4), &image), 0) << "the header's checksum is made right";
  rt::ReleaseGraphImage(&image);
}

// The checks before allocating take what the formats allow: runs that reach exactly the
// last pixel, a repeat packet running past it, and a bitmap ended early by its end code.
TEST_F(ImageLoaderTest, RunLengthDataThatFillsThePictureIsTaken) {
  rt::GraphImage image{};
  ASSERT_EQ(Decode(RleTga(10, 200, 1, Repeat(std::string("\xFF\x01\x02\x03\x04", 5), 2)), &image), 0);
  EXPECT_EQ(image.width, 200);
  rt::ReleaseGraphImage(&image);
  ASSERT_EQ(Decode(RleTga(9, 128, 2, Repeat(std::string("\xFF\x01", 2), 2)), &image), 0);
  EXPECT_EQ(rt::GetGraphImagePixelRGB(&image, 127, 1), 0x605040u);
  rt::ReleaseGraphImage(&image);
  EXPECT_EQ(Decode(RleTga(9, 128, 2, Repeat(std::string("\xFF\x01", 2), 1)), &image), -1);

  ASSERT_EQ(Decode(RleBmp(8, 600, 400, std::string("\x03\x05\x00\x01", 4)), &image), 0);
  EXPECT_EQ(image.height, 400);
  EXPECT_EQ(image.pixels[static_cast<size_t>(399) * image.pitch + 2], 5) << "the first row of a bottom-up file";
  rt::ReleaseGraphImage(&image);
  ASSERT_EQ(Decode(RleBmp(8, 3, 2, std::string("\x03\x05\x00\x00\x03\x06\x00\x00", 8)), &image), 0)
      << "the end of the last line ends the bitmap";
  rt::ReleaseGraphImage(&image);
}

// The compressed picture data is guarded by its chunk's checksum: one changed byte inside it
// refuses the file, whatever zlib would make of the bytes.
TEST_F(ImageLoaderTest, PngPictureDataWithABadChecksumIsRefused) {
  const std::string png = MakePng(MakeGradient(16, 8));
  const size_t data = png.find("IDAT");
  ASSERT_NE(data, std::string::npos);
  const uint32_t length = static_cast<uint8_t>(png[data - 4]) << 24 | static_cast<uint8_t>(png[data - 3]) << 16 |
                          static_cast<uint8_t>(png[data - 2]) << 8 | static_cast<uint8_t>(png[data - 1]);
  // The first byte of the data (the zlib header) and the last (the end of zlib's checksum).
  for (const size_t at : {data + 4, data + 4 + length - 1}) {
    SCOPED_TRACE(at);
    std::string damaged = png;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x01);
    rt::GraphImage image{};
    EXPECT_EQ(Decode(damaged, &image), -1);
  }
  EXPECT_NE(Log().find("PNG: IDAT: CRC error"), std::string::npos);
}

}  // namespace
