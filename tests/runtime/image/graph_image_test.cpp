#include "runtime/image/graph_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "runtime/core/memory.h"

namespace {

struct ImageHolder {
  rt::GraphImage image{};
  ~ImageHolder() { rt::ReleaseGraphImage(&image); }
};

TEST(GraphImageTest, CreatedImagesRoundThePitch) {
  struct Case {
    int width, rgbPitch;
  };
  for (Case c : {Case{5, 16}, Case{4, 12}, Case{1, 4}, Case{3, 12}}) {
    ImageHolder rgb, argb;
    ASSERT_EQ(rt::CreateRGB24GraphImage(c.width, 2, &rgb.image), 0);
    EXPECT_EQ(rgb.image.pitch, c.rgbPitch);
    EXPECT_EQ(rgb.image.format.colorBitDepth, 24);
    ASSERT_EQ(rt::CreateARGB8888GraphImage(c.width, 2, &argb.image), 0);
    EXPECT_EQ(argb.image.pitch, 4 * c.width);
    EXPECT_EQ(argb.image.format.alphaMask, 0xFF000000u);
  }
  ImageHolder huge;
  EXPECT_EQ(rt::CreateARGB8888GraphImage(1 << 20, 1 << 12, &huge.image), -1);
  EXPECT_EQ(huge.image.pixels, nullptr);
}

TEST(GraphImageTest, ReleaseClearsTheRecord) {
  rt::GraphImage image{};
  rt::CreateRGB24GraphImage(3, 3, &image);
  EXPECT_EQ(rt::ReleaseGraphImage(&image), 0);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.width, 0);
  EXPECT_EQ(image.format.colorBitDepth, 0);
}

TEST(GraphImageTest, FillLeavesRowPaddingAlone) {
  ImageHolder h;
  rt::CreateRGB24GraphImage(5, 3, &h.image);
  std::memset(h.image.pixels, 0xEE, size_t(h.image.pitch) * 3);
  rt::FillGraphImage(&h.image, 0x11, 0x22, 0x33, 0);
  for (int y = 0; y < 3; ++y) {
    const uint8_t* row = h.image.pixels + y * h.image.pitch;
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(row[3 * x], 0x33);
      EXPECT_EQ(row[3 * x + 1], 0x22);
      EXPECT_EQ(row[3 * x + 2], 0x11);
    }
    EXPECT_EQ(row[15], 0xEE);
  }
}

TEST(GraphImageTest, PixelsRoundTripAcrossFormats) {
  struct Case {
    int depth;
    uint32_t r, g, b, a;
    int inR, inG, inB, inA;
    int outR, outG, outB, outA;
    uint32_t rgb;
  };
  const Case cases[] = {
      {16, 0xF800, 0x07E0, 0x001F, 0, 255, 128, 8, 99, 255, 129, 8, 0, 0xF88008},
      {24, 0xFF0000, 0xFF00, 0xFF, 0, 1, 2, 3, 4, 1, 2, 3, 0, 0x010203},
      {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 10, 20, 30, 40, 10, 20, 30, 40, 0x280A141E},
      {16, 0x0F00, 0x00F0, 0x000F, 0xF000, 255, 0, 255, 136, 255, 0, 255, 136, 0x80F000F0},
  };
  for (const Case& c : cases) {
    ImageHolder h;
    rt::CreateARGB8888GraphImage(3, 2, &h.image);
    rt::SetColorFormatFromMasksImpl(&h.image.format, c.depth, c.r, c.g, c.b, c.a);
    h.image.pitch = 12;
    rt::SetGraphImagePixel(&h.image, 2, 1, c.inR, c.inG, c.inB, c.inA);
    int r, g, b, a;
    rt::GetGraphImagePixel(&h.image, 2, 1, &r, &g, &b, &a);
    EXPECT_EQ(r, c.outR) << c.depth;
    EXPECT_EQ(g, c.outG) << c.depth;
    EXPECT_EQ(b, c.outB) << c.depth;
    EXPECT_EQ(a, c.outA) << c.depth;
    EXPECT_EQ(rt::GetGraphImagePixelRGB(&h.image, 2, 1), c.rgb) << c.depth;
  }
}

TEST(GraphImageTest, PalettedImagesReadTheirPalette) {
  uint8_t pixels[4] = {0, 7, 0, 0};
  rt::GraphImage image{};
  rt::SetColorFormatPal8(&image.format);
  image.format.palette[7][0] = 0x30;  // blue
  image.format.palette[7][1] = 0x20;
  image.format.palette[7][2] = 0x10;  // red
  image.width = 2, image.height = 1, image.pitch = 4, image.pixels = pixels;
  int r, g, b, a;
  rt::GetGraphImagePixel(&image, 1, 0, &r, &g, &b, &a);
  EXPECT_EQ(r, 0x10);
  EXPECT_EQ(g, 0x20);
  EXPECT_EQ(b, 0x30);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(rt::GetGraphImagePixelRGB(&image, 1, 0), 0x102030u);
  rt::SetGraphImagePixel(&image, 0, 0, 1, 2, 3, 4);
  rt::FillGraphImage(&image, 1, 2, 3, 4);
  EXPECT_EQ(pixels[0], 0);
  EXPECT_EQ(pixels[1], 7);
  image.pixels = nullptr;
  EXPECT_EQ(rt::GetGraphImagePixelRGB(&image, 0, 0), 0u);
}

TEST(GraphImageTest, MirrorKeepsTheMiddleColumn) {
  for (int bytes : {1, 2, 3, 4}) {
    const int width = 5, height = 2, pitch = width * bytes + 3;
    std::vector<uint8_t> data(size_t(pitch) * height);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    const std::vector<uint8_t> before = data;
    rt::GraphImage image{};
    rt::SetColorFormatFromMasksImpl(&image.format, bytes * 8, 0, 0, 0, 0);
    image.width = width, image.height = height, image.pitch = pitch, image.pixels = data.data();
    EXPECT_EQ(rt::MirrorGraphImage(&image), 0);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        EXPECT_EQ(std::memcmp(&data[size_t(y * pitch + x * bytes)], &before[size_t(y * pitch + (width - 1 - x) * bytes)],
                              size_t(bytes)),
                  0)
            << bytes << " " << x;
      }
      EXPECT_EQ(std::memcmp(&data[size_t(y * pitch + width * bytes)], &before[size_t(y * pitch + width * bytes)], 3), 0);
    }
  }
  rt::GraphImage empty{};
  EXPECT_EQ(rt::MirrorGraphImage(&empty), -1);
}

TEST(GraphImageTest, ImageToDIB) {
  ImageHolder h;
  rt::CreateRGB24GraphImage(4, 2, &h.image);  // pitch 12 = the bitmap stride
  rt::FillGraphImage(&h.image, 9, 8, 7, 0);
  rt::BitmapInfo info{};
  uint8_t* pixels = nullptr;
  EXPECT_EQ(rt::GraphImageToDIB(&h.image, &info, &pixels, 0, 0), 0);
  EXPECT_EQ(pixels, h.image.pixels);
  EXPECT_EQ(info.header.bitCount, 24);
  EXPECT_EQ(info.header.height, -2);
  EXPECT_EQ(info.header.size, 40u);

  EXPECT_EQ(rt::GraphImageToDIB(&h.image, &info, &pixels, 1, 0), 1);
  EXPECT_NE(pixels, h.image.pixels);
  EXPECT_EQ(std::memcmp(pixels, h.image.pixels, 24), 0);
  rt::MemFree(pixels);

  // 565 goes through the conversion blitter into 24 bits.
  ImageHolder wide;
  rt::CreateRGB24GraphImage(3, 1, &wide.image);
  rt::SetColorFormatFromMasksImpl(&wide.image.format, 16, 0xF800, 0x07E0, 0x001F, 0);
  wide.image.pitch = 6;
  rt::SetGraphImagePixel(&wide.image, 2, 0, 255, 0, 0, 0);
  EXPECT_EQ(rt::GraphImageToDIB(&wide.image, &info, &pixels, 0, 0), 1);
  EXPECT_EQ(pixels[6], 0);
  EXPECT_EQ(pixels[7], 0);
  EXPECT_EQ(pixels[8], 0xF8);
  rt::MemFree(pixels);

  // 8-bit: the palette follows the header; an odd pitch is copied to the bitmap stride.
  uint8_t indexes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  rt::GraphImage pal{};
  rt::SetColorFormatPal8Gray(&pal.format);
  pal.width = 3, pal.height = 2, pal.pitch = 3, pal.pixels = indexes;
  EXPECT_EQ(rt::GraphImageToDIB(&pal, &info, &pixels, 0, 0), 1);
  EXPECT_EQ(info.header.bitCount, 8);
  EXPECT_EQ(info.colors[200][1], 200);
  EXPECT_EQ(pixels[4], 4);
  rt::MemFree(pixels);
  pal.pitch = 4;
  EXPECT_EQ(rt::GraphImageToDIB(&pal, &info, &pixels, 0, 0), 0);
  EXPECT_EQ(pixels, indexes);
  EXPECT_EQ(rt::GraphImageToDIB(&pal, &info, &pixels, 0, 1), 1);
  EXPECT_EQ(info.header.bitCount, 24);
  EXPECT_EQ(pixels[3], 2);
  rt::MemFree(pixels);
}

rt::BitmapInfo Header(int width, int height, int bitCount, uint32_t compression = rt::kBitmapRgb) {
  rt::BitmapInfo info{};
  info.header.size = 40;
  info.header.width = width;
  info.header.height = height;
  info.header.planes = 1;
  info.header.bitCount = static_cast<uint16_t>(bitCount);
  info.header.compression = compression;
  return info;
}

TEST(GraphImageTest, DIBSectionFromOneBitBottomUp) {
  rt::BitmapInfo info = Header(3, 2, 1);
  info.colors[1][0] = 0xFF;  // index 1 blue
  const uint8_t rows[8] = {0x80, 0, 0, 0,   // bottom row: 1 0 0
                           0x60, 0, 0, 0};  // top row: 0 1 1
  rt::DIBSection* s = rt::CreateDIBSectionFromDIB(&info, rows, 0, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->info.header.bitCount, 24);
  EXPECT_EQ(s->info.header.height, -2);
  EXPECT_EQ(s->stride, 12);
  const uint8_t expected[2][9] = {{0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0}, {0xFF, 0, 0, 0, 0, 0, 0, 0, 0}};
  for (int y = 0; y < 2; ++y) EXPECT_EQ(std::memcmp(s->pixels + y * s->stride, expected[y], 9), 0) << y;
  rt::DeleteDIBSection(s);

  s = rt::CreateDIBSectionFromDIB(&info, rows, 1, nullptr);  // mirrored
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->pixels[0], 0xFF);
  EXPECT_EQ(s->pixels[6], 0);
  rt::DeleteDIBSection(s);
}

TEST(GraphImageTest, DIBSectionFormats) {
  rt::BitmapInfo info = Header(2, -1, 16, rt::kBitmapBitFields);
  rt::SetBitmapInfoMask(&info, 0, 0xF800);
  rt::SetBitmapInfoMask(&info, 1, 0x07E0);
  rt::SetBitmapInfoMask(&info, 2, 0x001F);
  const uint16_t px[2] = {0xF800, 0x001F};
  rt::DIBSection* s = rt::CreateDIBSectionFromDIB(&info, px, 0, nullptr);
  ASSERT_NE(s, nullptr);
  const uint8_t rgb[6] = {0, 0, 0xF8, 0xF8, 0, 0};
  EXPECT_EQ(std::memcmp(s->pixels, rgb, 6), 0);
  rt::DeleteDIBSection(s);

  // A 16-bit format makes a bit-field section of its masks.
  rt::ColorFormat x555{};
  rt::SetColorFormatFromMasksImpl(&x555, 16, 0x7C00, 0x03E0, 0x001F, 0);
  s = rt::CreateDIBSectionFromDIB(&info, px, 0, &x555);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->info.header.compression, rt::kBitmapBitFields);
  EXPECT_EQ(rt::BitmapInfoMask(&s->info, 0), 0x7C00u);
  uint16_t out;
  std::memcpy(&out, s->pixels, 2);
  EXPECT_EQ(out & 0x7FFF, 0x7C00);
  rt::DeleteDIBSection(s);

  // A 32-bit format with a 24-bit bitmap is rewritten to RGB888.
  rt::BitmapInfo info24 = Header(1, 1, 24);
  const uint8_t one[4] = {1, 2, 3, 0};
  rt::ColorFormat argb{};
  rt::SetColorFormatARGB8888(&argb);
  s = rt::CreateDIBSectionFromDIB(&info24, one, 0, &argb);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(argb.colorBitDepth, 24);
  EXPECT_EQ(s->info.header.bitCount, 24);
  EXPECT_EQ(std::memcmp(s->pixels, one, 3), 0);
  rt::DeleteDIBSection(s);

  rt::BitmapInfo rle = Header(1, 1, 8, rt::kBitmapRle8);
  EXPECT_EQ(rt::CreateDIBSectionFromDIB(&rle, one, 0, nullptr), nullptr);
}

class SoftImageTest : public ::testing::Test {
 protected:
  void TearDown() override { rt::DeleteAllSoftImages(); }
  int Add(int slot) {
    rt::SoftImageRecord* r = &rt::GetSoftImageRecords()[slot];
    r->pixels = static_cast<uint8_t*>(RT_ALLOC(16));
    r->inUse = 1;
    return rt::GetSoftImageTable().Insert(slot, r);
  }
};

TEST_F(SoftImageTest, DeleteRules) {
  const int blocks = rt::GetMemoryState().count;
  EXPECT_EQ(rt::DeleteSoftImage(rt::MakeHandle(rt::kHandleTypeSoftImage, 0, 3)), -1);  // free slot
  const int h = Add(3);
  EXPECT_EQ(rt::DeleteSoftImage(rt::MakeHandle(rt::kHandleTypeGraph, 0, 3)), -1);
  EXPECT_EQ(rt::DeleteSoftImage(h ^ (1 << 16)), -1);  // another check value
  EXPECT_EQ(rt::DeleteSoftImage(rt::MakeHandle(rt::kHandleTypeSoftImage, 0, 512)), -1);
  EXPECT_EQ(rt::DeleteSoftImage(h), 0);
  EXPECT_EQ(rt::GetSoftImageRecords()[3].inUse, 0u);
  EXPECT_EQ(rt::GetSoftImageRecords()[3].pixels, nullptr);
  EXPECT_EQ(rt::DeleteSoftImage(h), -1);
  EXPECT_EQ(rt::GetMemoryState().count, blocks);

  Add(0);
  Add(511);
  EXPECT_EQ(rt::DeleteAllSoftImages(), 0);
  EXPECT_EQ(rt::GetSoftImageTable().count(), 0);
  EXPECT_EQ(rt::GetMemoryState().count, blocks);
}

}  // namespace
