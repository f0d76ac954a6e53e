#include "runtime/image/convert_blt.h"

#include "tests/support/color_formats.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

using namespace testing_support;

rt::ColorFormat Pal8() {
  rt::ColorFormat f{};
  rt::SetColorFormatPal8(&f);
  return f;
}
void SetEntry(rt::ColorFormat* f, int i, uint32_t rgb) {
  f->palette[i][0] = rgb & 0xFF;
  f->palette[i][1] = rgb >> 8 & 0xFF;
  f->palette[i][2] = rgb >> 16 & 0xFF;
  f->palette[i][3] = 0;
}

// A small image of any depth for tests: rows top-down, pitch padded by a few bytes so that
// a blit that ignores the pitch shows.
struct Image {
  rt::ColorFormat format;
  int width, height, bytes, pitch;
  std::vector<uint8_t> data;
  Image(const rt::ColorFormat& f, int w, int h, uint8_t fill = 0)
      : format(f), width(w), height(h), bytes(f.colorBitDepth / 8), pitch(w * (f.colorBitDepth / 8) + 5),
        data(static_cast<size_t>(pitch) * h, fill) {}
  uint32_t Get(int x, int y) const {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t{data[static_cast<size_t>(y * pitch + x * bytes + i)]} << (8 * i);
    return v;
  }
  void Set(int x, int y, uint32_t v) {
    for (int i = 0; i < bytes; ++i) data[static_cast<size_t>(y * pitch + x * bytes + i)] = static_cast<uint8_t>(v >> (8 * i));
  }
};

int Blt(Image& dest, const Image& src, int dx, int dy, RECT r, const rt::ConvertBltOptions& o = {},
        const Image* alpha = nullptr) {
  return rt::ConvertColorFormatBlt(dest.data.data(), dest.pitch, &dest.format, src.data.data(), src.pitch,
                                   &src.format, alpha ? alpha->data.data() : nullptr, alpha ? alpha->pitch : 0,
                                   alpha ? &alpha->format : nullptr, dx, dy, &r, o);
}

uint32_t Convert1(const rt::ColorFormat& destFormat, const rt::ColorFormat& srcFormat, uint32_t pixel,
                  const rt::ConvertBltOptions& o = {}) {
  Image src(srcFormat, 1, 1), dest(destFormat, 1, 1);
  src.Set(0, 0, pixel);
  EXPECT_EQ(Blt(dest, src, 0, 0, {0, 0, 1, 1}, o), 0);
  return dest.Get(0, 0);
}

TEST(ConvertBltTest, EmptyRectangleWritesNothing) {
  Image src(Xrgb8888(), 4, 4, 0x11), dest(Xrgb8888(), 4, 4, 0x22);
  for (RECT r : {RECT{1, 1, 1, 3}, RECT{0, 2, 4, 2}, RECT{3, 0, 1, 2}}) {
    EXPECT_EQ(Blt(dest, src, 0, 0, r), -1);
  }
  for (uint8_t b : dest.data) ASSERT_EQ(b, 0x22);
}

// The 8-bit copy reads the rectangle and writes at the destination position, with each
// image's own pitch.
TEST(ConvertBltTest, EightBitCopyHonoursRectangleAndPitches) {
  Image src(Pal8(), 6, 5), dest(Pal8(), 9, 7, 0xEE);
  dest.pitch = 12;
  dest.data.assign(12 * 7, 0xEE);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) src.Set(x, y, y * 10 + x);
  EXPECT_EQ(Blt(dest, src, 4, 2, {1, 2, 4, 5}), 43);  // the highest index copied
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 9; ++x) {
      const bool inside = x >= 4 && x < 7 && y >= 2 && y < 5;
      EXPECT_EQ(dest.Get(x, y), inside ? uint32_t((y - 2 + 2) * 10 + (x - 4 + 1)) : 0xEEu) << x << "," << y;
    }
  }
  Image rgb(Rgb888(), 2, 2);
  EXPECT_EQ(Blt(dest, rgb, 0, 0, {0, 0, 2, 2}), -1);
}

TEST(ConvertBltTest, SameFormatCopyMirrorAndSkip) {
  Image src(Rgb565(), 5, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) src.Set(x, y, 0x1000 * y + x + 1);
  Image plain(Rgb565(), 5, 2), mirrored(Rgb565(), 5, 2), skipped(Rgb565(), 5, 2, 0xAA);
  EXPECT_EQ(Blt(plain, src, 0, 0, {0, 0, 5, 2}), 0);
  rt::ConvertBltOptions m;
  m.mirror = 1;
  EXPECT_EQ(Blt(mirrored, src, 0, 0, {0, 0, 5, 2}, m), 0);
  rt::ConvertBltOptions s;
  s.transparentSkip = 1;
  s.keyColor = 0x10003;  // masked to 16 bits: the pixel 0x0003
  EXPECT_EQ(Blt(skipped, src, 0, 0, {0, 0, 5, 2}, s), 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(plain.Get(x, y), src.Get(x, y));
      EXPECT_EQ(mirrored.Get(4 - x, y), src.Get(x, y));
      EXPECT_EQ(skipped.Get(x, y), src.Get(x, y) == 3 ? 0xAAAAu : src.Get(x, y));
    }
  }
}

TEST(ConvertBltTest, SpecialisedPairs) {
  rt::ColorFormat pal = Pal8();
  SetEntry(&pal, 0, 0xFFFFFF);
  SetEntry(&pal, 1, 0x123456);
  SetEntry(&pal, 2, 0x000000);
  struct Case {
    const char* what;
    rt::ColorFormat dest, src;
    uint32_t in, out;
  };
  const Case cases[] = {
      {"palette to 565", Rgb565(), pal, 1, (0x12 >> 3) << 11 | (0x34 >> 2) << 5 | (0x56 >> 3)},
      {"palette to 555 sets bit 15", X555(), pal, 2, 0x8000},
      {"palette to xrgb", Xrgb8888(), pal, 1, 0xFF123456},
      {"rgb888 to 565", Rgb565(), Rgb888(), 0xFFFFFF, 0xFFFF},
      {"rgb888 to 555", X555(), Rgb888(), 0x000000, 0x8000},
      {"rgb888 to xrgb", Xrgb8888(), Rgb888(), 0x123456, 0xFF123456},
      {"xrgb to 565", Rgb565(), Xrgb8888(), 0xFF0804FF, 0x0820 | 0x1F},
      {"565 to rgb888 leaves low bits 0", Rgb888(), Rgb565(), 0xFFFF, 0xF8FCF8},
      {"565 to xrgb leaves top byte and low bits 0", Xrgb8888(), Rgb565(), 0xFFFF, 0x00F8FCF8},
      {"565 to 555 drops green's low bit", X555(), Rgb565(), 0xFFFF, 0x7FFF},
      {"555 to 565 repeats green's low bit", Rgb565(), X555(), 0x7FFF, 0xFFFF},
      {"555 to 565 with green low bit 0", Rgb565(), X555(), 0x03C0, 0x0780},
  };
  for (const Case& c : cases) EXPECT_EQ(Convert1(c.dest, c.src, c.in), c.out) << c.what;
}

TEST(ConvertBltTest, GeneralRuleFillsLowBitsInProportion) {
  struct Case {
    const char* what;
    rt::ColorFormat dest, src;
    uint32_t in, out;
  };
  const Case cases[] = {
      {"565 to argb: white stays white", Argb8888(), Rgb565(), 0xFFFF, 0xFFFFFFFF},
      {"565 to argb: mid grey", Argb8888(), Rgb565(), 0x8410, 0xFF838183},
      {"4444 to argb", Argb8888(), Argb4444(), 0x8F10, 0x88FF1100},
      {"argb to 4444", Argb4444(), Argb8888(), 0x80FF7F01, 0x8F70},
      {"argb to 1555 keeps alpha's top bit", Argb1555(), Argb8888(), 0x7FFFFFFF, 0x7FFF},
      {"rgb888 to 4444 is opaque", Argb4444(), Rgb888(), 0x00FF00, 0xF0F0},
      {"xrgb to rgb888", Rgb888(), Xrgb8888(), 0xAA123456, 0x123456},
  };
  for (const Case& c : cases) EXPECT_EQ(Convert1(c.dest, c.src, c.in), c.out) << c.what;
}

TEST(ConvertBltTest, KeyToAlpha) {
  rt::ColorFormat pal = Pal8();
  SetEntry(&pal, 0, 0x00FF00);
  SetEntry(&pal, 1, 0xFF00FF);
  SetEntry(&pal, 2, 0x00FF00);  // a second index with the key colour
  rt::ConvertBltOptions key;
  key.keyToAlpha = 1;
  key.keyColor = 0xFF00FF;
  struct Case {
    const char* what;
    rt::ColorFormat dest, src;
    uint32_t in, out;
  };
  const Case cases[] = {
      {"palette entry equal to the key", Argb8888(), pal, 1, 0x00FF00FF},
      {"palette entry not the key", Argb8888(), pal, 0, 0xFF00FF00},
      {"palette to 1555 key", Argb1555(), pal, 1, 0x7C1F},
      {"palette to 1555 other", Argb1555(), pal, 2, 0x83E0},
      {"rgb888 key", Argb8888(), Rgb888(), 0xFF00FF, 0x00FF00FF},
      {"rgb888 near the key in 555", Argb1555(), Rgb888(), 0xFA03FC, 0x7C1F},
      {"rgb888 away from the key", Argb1555(), Rgb888(), 0xF000FF, 0xF81F},
      {"565 to 1555 key", Argb1555(), Rgb565(), 0xF81F, 0x7C1F},
      {"565 to 1555 other", Argb1555(), Rgb565(), 0xF800, 0xFC00},
      {"same colours: xrgb key", Argb8888(), Xrgb8888(), 0xFFFF00FF, 0x00FF00FF},
      {"same colours: xrgb other", Argb8888(), Xrgb8888(), 0x00FF00FE, 0xFFFF00FE},
      {"general rule: 4444 key", Argb4444(), Rgb565(), 0xF81F, 0x0F0F},
      {"general rule: 4444 other", Argb4444(), Rgb565(), 0x0000, 0xF000},
  };
  for (const Case& c : cases) EXPECT_EQ(Convert1(c.dest, c.src, c.in, key), c.out) << c.what;

  // A destination that takes alpha from its source ignores the key.
  EXPECT_EQ(Convert1(Argb8888(), Argb4444(), 0x0F0F, key), 0x00FF00FFu);
  EXPECT_EQ(Convert1(Argb8888(), Argb4444(), 0xFF0F, key), 0xFFFF00FFu);
}

// Whole rows of 3-byte pixels, with and without the key, give what the pixels give one by
// one: a pixel's neighbours (the key next to a colour, bright bytes next to dark ones) do not
// leak into it, nor does anything past the row's last pixel.
TEST(ConvertBltTest, ThreeBytePixelRowsMatchSinglePixels) {
  rt::ConvertBltOptions key;
  key.keyToAlpha = 1;
  key.keyColor = 0xFF00FF;
  struct Case {
    const char* what;
    rt::ColorFormat dest;
    rt::ConvertBltOptions options;
  };
  const Case cases[] = {{"to xrgb", Xrgb8888(), {}}, {"to 565", Rgb565(), {}}, {"to 555", X555(), {}},
                        {"key to argb", Argb8888(), key}, {"key to 1555", Argb1555(), key}};
  const uint32_t row[] = {0xFF00FF, 0x0000FF, 0xFFFFFF, 0x000000, 0xFF00FF, 0x123456, 0xFEDCBA};
  constexpr int kWidth = sizeof row / sizeof row[0];
  Image src(Rgb888(), kWidth, 2, 0xFF);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < kWidth; ++x) src.Set(x, y, row[(x + y) % kWidth]);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Image dest(c.dest, kWidth, 2);
    ASSERT_EQ(Blt(dest, src, 0, 0, {0, 0, kWidth, 2}, c.options), 0);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < kWidth; ++x)
        EXPECT_EQ(dest.Get(x, y), Convert1(c.dest, Rgb888(), src.Get(x, y), c.options)) << x << "," << y;
  }
}

TEST(ConvertBltTest, AlphaSources) {
  Image src(Rgb888(), 3, 1), alphaImage(Pal8(), 3, 1), dest(Argb8888(), 3, 1);
  rt::SetColorFormatPal8Gray(&alphaImage.format);
  src.Set(0, 0, 0x102030), src.Set(1, 0, 0x405060), src.Set(2, 0, 0x708090);
  alphaImage.Set(0, 0, 0x00), alphaImage.Set(1, 0, 0x80), alphaImage.Set(2, 0, 0xFF);
  EXPECT_EQ(Blt(dest, src, 0, 0, {0, 0, 3, 1}, {}, &alphaImage), 0);
  EXPECT_EQ(dest.Get(0, 0), 0x00102030u);
  EXPECT_EQ(dest.Get(1, 0), 0x80405060u);
  EXPECT_EQ(dest.Get(2, 0), 0xFF708090u);

  rt::ConvertBltOptions o;
  o.alphaFromRed = 1;
  EXPECT_EQ(Convert1(Argb8888(), Rgb888(), 0x7F1234, o), 0x7F7F1234u);
  EXPECT_EQ(Convert1(Argb4444(), Rgb888(), 0xA01234, o), 0xAA13u);
  // One alpha bit from a wide red keeps its top bit only.
  EXPECT_EQ(Convert1(Argb1555(), Rgb888(), 0x80FFFF, o), 0x8000u | (0x10 << 10) | 0x3FF);
  o = {};
  o.alphaOnly = 1;
  EXPECT_EQ(Convert1(Argb8888(), Argb8888(), 0x80123456, o), 0x80000000u);
}

TEST(ConvertBltTest, TransparentSkipBetweenFormats) {
  Image src(Rgb565(), 3, 1), dest(Xrgb8888(), 3, 1, 0x55);
  src.Set(0, 0, 0xF800), src.Set(1, 0, 0x0000), src.Set(2, 0, 0x001F);
  rt::ConvertBltOptions o;
  o.transparentSkip = 1;
  o.keyColor = 0;
  EXPECT_EQ(Blt(dest, src, 0, 0, {0, 0, 3, 1}, o), 0);
  EXPECT_EQ(dest.Get(0, 0), 0xFFFF0000u);
  EXPECT_EQ(dest.Get(1, 0), 0x55555555u);
  EXPECT_EQ(dest.Get(2, 0), 0xFF0000FFu);
}

TEST(ConvertBltTest, MirrorThroughTheGeneralRule) {
  Image src(Rgb888(), 4, 2), dest(Rgb565(), 6, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) src.Set(x, y, uint32_t(x * 0x40) << 16 | uint32_t(y * 0x80));
  rt::ConvertBltOptions m;
  m.mirror = 1;
  EXPECT_EQ(Blt(dest, src, 1, 0, {0, 0, 4, 2}, m), 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dest.Get(4 - x, y), Convert1(Rgb565(), Rgb888(), src.Get(x, y)));
  EXPECT_EQ(dest.Get(0, 0), 0u);
  EXPECT_EQ(dest.Get(5, 0), 0u);
}

TEST(ConvertBltTest, NegativePitchWalksRowsUpwards) {
  Image src(Xrgb8888(), 2, 3);
  for (int y = 0; y < 3; ++y) src.Set(0, y, 0x100 * (y + 1)), src.Set(1, y, 0x10000 * (y + 1));
  Image dest(Rgb888(), 2, 3);
  const RECT all{0, 0, 2, 3};
  const uint8_t* lastRow = src.data.data() + 2 * src.pitch;
  EXPECT_EQ(rt::ConvertColorFormatBlt(dest.data.data(), dest.pitch, &dest.format, lastRow, -src.pitch, &src.format,
                                      nullptr, 0, nullptr, 0, 0, &all, 0, 0, 0, 0, 0, 0, 0),
            0);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(dest.Get(0, y), 0x100u * (3 - y));
}

// The general rule against a reference written from its prose, over random pixels.
TEST(ConvertBltTest, GeneralRuleMatchesReference) {
  auto resize = [](uint32_t c, int sw, int dw) -> uint32_t {
    if (sw == dw) return c;
    if (sw > dw) return c >> (sw - dw);
    if (sw == 0) return 0;
    const int k = dw - sw;
    return (c << k) + c * ((1u << k) - 1) / ((1u << sw) - 1);
  };
  const rt::ColorFormat formats[] = {Argb4444(), Argb1555(), Argb8888(), Masks(16, 0x001F, 0x07E0, 0xF800, 0),
                                     Masks(32, 0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000)};
  std::mt19937 rng(5);
  for (const rt::ColorFormat& s : formats) {
    for (const rt::ColorFormat& d : formats) {
      if (rt::CompareColorFormat(&s, &d)) continue;
      for (int i = 0; i < 50; ++i) {
        const uint32_t p = rng() & (s.colorBitDepth == 32 ? 0xFFFFFFFFu : 0xFFFFu);
        auto ch = [&](uint32_t m, int sh, int sw, int dsh, int dw) {
          return resize((p & m) >> sh, sw, dw) << dsh;
        };
        uint32_t expected = ch(s.redMask, s.redShift, s.redWidth, d.redShift, d.redWidth) |
                            ch(s.greenMask, s.greenShift, s.greenWidth, d.greenShift, d.greenWidth) |
                            ch(s.blueMask, s.blueShift, s.blueWidth, d.blueShift, d.blueWidth) |
                            ch(s.alphaMask, s.alphaShift, s.alphaWidth, d.alphaShift, d.alphaWidth) | d.noneMask;
        if (s.alphaWidth == 0) expected |= d.alphaMask;
        ASSERT_EQ(Convert1(d, s, p), expected) << std::hex << p;
      }
    }
  }
}

}  // namespace
