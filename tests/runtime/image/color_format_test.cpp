#include "runtime/image/color_format.h"

#include "runtime/api.h"
#include "tests/support/color_formats.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

using namespace testing_support;

TEST(ColorFormatTest, MasksGiveShiftsWidthsAndSpareBits) {
  struct Case {
    int depth;
    uint32_t r, g, b, a;
    int rs, rw, gs, gw, bs, bw, as, aw;
    uint32_t spare;
    int spareShift, spareWidth;
  };
  const Case cases[] = {
      {16, 0xF800, 0x07E0, 0x001F, 0, 11, 5, 5, 6, 0, 5, 0, 0, 0, 0, 0},
      {32, 0xFF0000, 0xFF00, 0xFF, 0, 16, 8, 8, 8, 0, 8, 0, 0, 0xFF000000, 24, 8},
      {16, 0x7C00, 0x03E0, 0x001F, 0, 10, 5, 5, 5, 0, 5, 0, 0, 0x8000, 15, 1},
      {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 16, 8, 8, 8, 0, 8, 24, 8, 0, 0, 0},
      {24, 0xFF0000, 0xFF00, 0xFF, 0, 16, 8, 8, 8, 0, 8, 0, 0, 0, 0, 0},
      // A mask with a gap counts only the run above its lowest bit.
      {16, 0x0F0F, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0xF0F0, 4, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.r);
    rt::ColorFormat f = Masks(c.depth, c.r, c.g, c.b, c.a);
    EXPECT_EQ(f.colorBitDepth, c.depth);
    EXPECT_EQ(f.pixelByte, c.depth / 8);
    EXPECT_EQ(f.redShift, c.rs);
    EXPECT_EQ(f.redWidth, c.rw);
    EXPECT_EQ(f.greenShift, c.gs);
    EXPECT_EQ(f.greenWidth, c.gw);
    EXPECT_EQ(f.blueShift, c.bs);
    EXPECT_EQ(f.blueWidth, c.bw);
    EXPECT_EQ(f.alphaShift, c.as);
    EXPECT_EQ(f.alphaWidth, c.aw);
    EXPECT_EQ(f.noneMask, c.spare);
    EXPECT_EQ(f.noneShift, c.spareShift);
    EXPECT_EQ(f.noneWidth, c.spareWidth);
  }
}

TEST(ColorFormatTest, MasksLeaveThePaletteAlone) {
  rt::ColorFormat f{};
  f.palette[7][2] = 0x42;
  rt::SetColorFormatFromMasksImpl(&f, 16, 0xF800, 0x07E0, 0x001F, 0);
  EXPECT_EQ(f.palette[7][2], 0x42);
}

TEST(ColorFormatTest, PacksComponents) {
  struct Case {
    rt::ColorFormat format;
    int r, g, b, a;
    uint32_t pixel;
  };
  const Case cases[] = {
      {Rgb565(), 255, 0, 0, 0, 0xF800},
      {Rgb565(), 255, 255, 255, 255, 0xFFFF},
      {Xrgb8888(), 255, 255, 255, 0, 0xFFFFFFFF},  // spare bits set
      {Xrgb8888(), 0, 0, 0, 0, 0xFF000000},
      {Argb8888(), 0x12, 0x34, 0x56, 0x78, 0x78123456},
      {Argb4444(), 0xFF, 0x80, 0x10, 0xF0, 0xFF81},
      {Argb1555(), 8, 16, 248, 255, 0x8000 | (1 << 10) | (2 << 5) | 31},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rt::GetColorFormatPixel(&c.format, c.r, c.g, c.b, c.a), c.pixel) << std::hex << c.pixel;
  }
}

// The Z-buffer format's 16-bit channels must not be packed with a negative shift count.
TEST(ColorFormatTest, PacksChannelsWiderThanEightBits) {
  const rt::ColorFormat* z = rt::GetStandardColorFormat(3, 0, 0);
  ASSERT_NE(z, nullptr);
  rt::ColorFormat redOnly = Masks(16, 0xFFFF, 0, 0, 0);
  EXPECT_EQ(rt::GetColorFormatPixel(&redOnly, 255, 0, 0, 0), 0xFFFFu);
  EXPECT_EQ(rt::GetColorFormatPixel(&redOnly, 0x80, 0, 0, 0), 0x8080u);
  EXPECT_EQ(rt::GetColorFormatPixel(&redOnly, 0, 0, 0, 0), 0u);
  int r = -1;
  rt::GetColorFormatPixelRGBA(&redOnly, rt::GetColorFormatPixel(&redOnly, 77, 0, 0, 0), &r, nullptr, nullptr,
                              nullptr);
  EXPECT_EQ(r, 77);
  (void)rt::GetColorFormatPixel(z, 255, 255, 255, 255);
}

TEST(ColorFormatTest, UnpacksComponents) {
  struct Case {
    rt::ColorFormat format;
    uint32_t pixel;
    int r, g, b, a;
  };
  const Case cases[] = {
      {Rgb565(), 0x001F, 0, 0, 255, 0},
      {Rgb565(), 0xF800, 255, 0, 0, 0},
      {Rgb565(), 0x0400, 0, 129, 0, 0},  // 32 * 255 / 63
      {Argb8888(), 0x80FF4000, 255, 64, 0, 128},
      {Xrgb8888(), 0xFF102030, 0x10, 0x20, 0x30, 0},
      {Argb4444(), 0x8421, 68, 34, 17, 136},
  };
  for (const Case& c : cases) {
    int r = -1, g = -1, b = -1, a = -1;
    EXPECT_EQ(rt::GetColorFormatPixelRGBA(&c.format, c.pixel, &r, &g, &b, &a), 0);
    EXPECT_EQ(r, c.r) << std::hex << c.pixel;
    EXPECT_EQ(g, c.g) << std::hex << c.pixel;
    EXPECT_EQ(b, c.b) << std::hex << c.pixel;
    EXPECT_EQ(a, c.a) << std::hex << c.pixel;
  }
  rt::ColorFormat f = Rgb565();
  EXPECT_EQ(rt::GetColorFormatPixelRGBA(&f, 0xFFFF, nullptr, nullptr, nullptr, nullptr), 0);
  // A format without a green channel reads green as 0 instead of dividing by zero.
  rt::ColorFormat noGreen = Masks(16, 0xF800, 0, 0x001F, 0);
  int g = -1;
  rt::GetColorFormatPixelRGBA(&noGreen, 0xFFFF, nullptr, &g, nullptr, nullptr);
  EXPECT_EQ(g, 0);
}

TEST(ColorFormatTest, ConvertsPixelsBetweenFormats) {
  struct Case {
    const char* name;
    rt::ColorFormat dest, src;
    uint32_t in, out;
  };
  const Case cases[] = {
      {"xrgb to argb is opaque", Argb8888(), Xrgb8888(), 0xFF123456, 0xFF123456},
      {"white to 565", Rgb565(), Xrgb8888(), 0x00FFFFFF, 0xFFFF},
      {"565 to xrgb leaves low bits 0", Xrgb8888(), Rgb565(), 0xFFFF, 0xFFF8FCF8},
      {"argb to 4444 keeps the top bits", Argb4444(), Argb8888(), 0x80F0E0D0, 0x8FED},
      {"4444 to argb shifts up", Argb8888(), Argb4444(), 0x8FED, 0x80F0E0D0},
      {"argb to 565 drops alpha", Rgb565(), Argb8888(), 0x00FFFFFF, 0xFFFF},
      {"565 to 1555 is opaque", Argb1555(), Rgb565(), 0x0000, 0x8000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rt::ConvertColorFormatPixel(&c.dest, &c.src, c.in), c.out) << c.name;
  }
}

TEST(ColorFormatTest, SpareMaskFollowsTheWidths) {
  rt::ColorFormat f = Xrgb8888();
  f.noneMask = 0;
  rt::UpdateColorFormatSpareMask(&f);
  EXPECT_EQ(f.noneMask, 0xFF000000u);
  rt::ColorFormat full = Argb8888();
  full.noneMask = 0x1234;
  rt::UpdateColorFormatSpareMask(&full);
  EXPECT_EQ(full.noneMask, 0u);
  rt::ColorFormat x555 = Masks(16, 0x7C00, 0x03E0, 0x001F, 0);
  x555.noneMask = 0;
  rt::UpdateColorFormatSpareMask(&x555);
  EXPECT_EQ(x555.noneMask, 0x8000u);
}

TEST(ColorFormatTest, CompareLooksAtDepthAndMasksOnly) {
  rt::ColorFormat a = Argb8888(), b = Argb8888();
  b.palette[3][1] = 9;
  b.noneMask = 7;
  EXPECT_EQ(rt::CompareColorFormat(&a, &b), 1);
  rt::ColorFormat c = Xrgb8888();
  EXPECT_EQ(rt::CompareColorFormat(&a, &c), 0);
  rt::ColorFormat d = Masks(24, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
  EXPECT_EQ(rt::CompareColorFormat(&a, &d), 0);
}

TEST(ColorFormatTest, DDPixelFormatRoundTrip) {
  rt::DDPixelFormat pf;
  std::memset(&pf, 0xAB, sizeof pf);
  EXPECT_EQ(rt::MakeDDPixelFormatImpl(&pf, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000), 0);
  EXPECT_EQ(pf.size, 32u);
  EXPECT_EQ(pf.flags, rt::kDDPixelFormatRgb);  // no alpha-pixels flag even with an alpha mask
  EXPECT_EQ(pf.fourCC, 0u);
  EXPECT_EQ(pf.rgbBitCount, 32u);
  rt::ColorFormat f{};
  rt::SetColorFormatFromDDPixelFormat(&pf, &f);
  rt::ColorFormat expected = Argb8888();
  EXPECT_EQ(rt::CompareColorFormat(&f, &expected), 1);
  EXPECT_EQ(f.pixelByte, 4);
  EXPECT_EQ(f.alphaShift, 24);
}

TEST(ColorFormatTest, StandardFormatsTable) {
  struct Row {
    int kind, alpha, palette, depth, bytes;
    uint32_t r, g, b, a, spare;
  };
  const Row rows[] = {
      {0, 0, 0, 16, 2, 0xF800, 0x07E0, 0x001F, 0, 0},
      {0, 0, 1, 8, 1, 0xF800, 0x07E0, 0x001F, 0, 0},
      {0, 1, 0, 32, 4, 0xF800, 0x07E0, 0x001F, 0xFF0000, 0xFF000000},
      {0, 1, 1, 8, 1, 0xF800, 0x07E0, 0x001F, 0xFF0000, 0},
      {1, 0, 0, 32, 4, 0xFF0000, 0xFF00, 0xFF, 0, 0xFF000000},
      {1, 0, 1, 8, 1, 0xFF0000, 0xFF00, 0xFF, 0, 0},
      {1, 1, 0, 32, 4, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0},
      {1, 1, 1, 8, 1, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0},
      {2, 1, 1, 8, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0},
      {3, 0, 1, 16, 2, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.kind << row.alpha << row.palette);
    const rt::ColorFormat* f = rt::GetStandardColorFormat(row.kind, row.alpha, row.palette);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f, rt::GetStandardColorFormat(row.kind, row.alpha, row.palette));  // cached
    EXPECT_EQ(f->colorBitDepth, row.depth);
    EXPECT_EQ(f->pixelByte, row.bytes);
    EXPECT_EQ(f->redMask, row.r);
    EXPECT_EQ(f->greenMask, row.g);
    EXPECT_EQ(f->blueMask, row.b);
    EXPECT_EQ(f->alphaMask, row.a);
    EXPECT_EQ(f->noneMask, row.spare);
    const rt::DDPixelFormat* pf = rt::GetStandardDDPixelFormat(row.kind, row.alpha, row.palette);
    ASSERT_NE(pf, nullptr);
    EXPECT_EQ(pf->rgbBitCount, uint32_t(row.depth));
    EXPECT_EQ(pf->redMask, row.r);
    EXPECT_EQ(pf->alphaMask, row.a);
    EXPECT_EQ(pf->size, row.kind < 2 ? 32u : 0u);
    EXPECT_EQ(pf->flags, row.kind < 2 ? rt::kDDPixelFormatRgb : 0u);
  }
  const rt::ColorFormat* z = rt::GetStandardColorFormat(3, 0, 0);
  EXPECT_EQ(z->redWidth, 16);
  EXPECT_EQ(z->redShift, 0);
  EXPECT_EQ(rt::GetStandardColorFormat(4, 0, 0), nullptr);
  EXPECT_EQ(rt::GetStandardColorFormat(-1, 0, 0), nullptr);
  EXPECT_EQ(rt::GetStandardDDPixelFormat(4, 0, 0), nullptr);
}

TEST(ColorFormatTest, FacadeRows) {
  rt::ColorFormat f{};
  EXPECT_EQ(SetColorFormatFromMasks(&f, 16, 0x7C00, 0x03E0, 0x001F, 0x8000), 0);
  EXPECT_EQ(f.alphaShift, 15);
  EXPECT_EQ(f.noneMask, 0u);
  rt::DDPixelFormat pf{};
  EXPECT_EQ(MakeDDPixelFormat(&pf, 16, 0xF800, 0x07E0, 0x001F, 0), 0);
  EXPECT_EQ(pf.size, 32u);
  EXPECT_EQ(pf.greenMask, 0x07E0u);
}

TEST(ColorFormatTest, NamedFormats) {
  rt::ColorFormat f{};
  f.palette[5][0] = 0x99;
  rt::SetColorFormatPal8(&f);
  EXPECT_EQ(f.colorBitDepth, 8);
  EXPECT_EQ(f.pixelByte, 1);
  EXPECT_EQ(f.redMask, 0xFF0000u);
  EXPECT_EQ(f.redShift, 16);
  EXPECT_EQ(f.alphaWidth, 0);
  EXPECT_EQ(f.noneMask, 0xFF000000u);
  EXPECT_EQ(f.palette[5][0], 0x99);  // untouched

  rt::SetColorFormatPal8Gray(&f);
  for (int i : {0, 5, 128, 255}) {
    EXPECT_EQ(f.palette[i][0], i);
    EXPECT_EQ(f.palette[i][1], i);
    EXPECT_EQ(f.palette[i][2], i);
    EXPECT_EQ(f.palette[i][3], 0);
  }

  rt::SetColorFormatARGB8888(&f);
  EXPECT_EQ(f.colorBitDepth, 32);
  EXPECT_EQ(f.alphaMask, 0xFF000000u);
  EXPECT_EQ(f.alphaShift, 24);
  EXPECT_EQ(f.noneMask, 0u);
  rt::SetColorFormatRGB888(&f);
  EXPECT_EQ(f.colorBitDepth, 24);
  EXPECT_EQ(f.pixelByte, 3);
  EXPECT_EQ(f.alphaMask, 0u);
  EXPECT_EQ(f.noneMask, 0u);
}

}  // namespace
