// Software images: set-up, views, fills, transfers and the run table.
#include "runtime/image/memimg.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/core/memory.h"
#include "runtime/softrender/draw_state.h"
#include "tests/support/memimg_fixture.h"

namespace {

using testsupport::OwnedMemImg;
using testsupport::ReadPixel;
using testsupport::WritePixel;

TEST(MemImg, PitchAndPitchShift) {
  const struct {
    int width, kind, palette, alpha;
    int pitch, shift;
  } cases[] = {
      {256, 1, 0, 0, 1024, 10}, {100, 0, 0, 0, 208, -1}, {8, 1, 0, 0, 32, 5},  {4, 0, 0, 0, 16, -1},
      {8, 0, 0, 1, 32, 5},      {100, 1, 1, 0, 112, -1}, {64, 2, 0, 0, 64, 6}, {64, 3, 0, 0, 128, 7},
  };
  for (const auto& c : cases) {
    OwnedMemImg m;
    ASSERT_EQ(rt::InitMemImg(m.get(), c.width, 2, -1, 0, c.kind, c.palette, c.alpha, 0), 0);
    EXPECT_EQ(m->pitch, c.pitch) << c.width << " kind " << c.kind;
    EXPECT_EQ(m->pitchShift, c.shift) << c.width << " kind " << c.kind;
    EXPECT_EQ(m->format, rt::GetStandardColorFormat(c.kind, c.alpha, c.palette));
    EXPECT_EQ(m->paletteTable, m->palette);
    EXPECT_EQ(m->workPaletteTable, m->workPalette);
  }
  OwnedMemImg given;
  ASSERT_EQ(rt::InitMemImg(given.get(), 10, 2, 64, 0, 1, 0, 0, 0), 0);
  EXPECT_EQ(given->pitch, 64);
  EXPECT_EQ(given->pitchShift, 6);
}

TEST(MemImg, FlagsAreForcedByKind) {
  OwnedMemImg z, pal;
  ASSERT_EQ(rt::InitMemImg(z.get(), 4, 4, -1, 0, rt::kMemImgKindZ16, 1, 1, 1), 0);
  EXPECT_EQ(z->paletteFlag, 0);
  EXPECT_EQ(z->alphaFlag, 0);
  ASSERT_EQ(rt::InitMemImg(pal.get(), 4, 4, -1, 0, 1, 1, 1, 0), 0);
  EXPECT_EQ(pal->paletteFlag, 1);
  EXPECT_EQ(pal->alphaFlag, 0);
}

TEST(MemImg, SecondInitIsRefusedAndChangesNothing) {
  OwnedMemImg m;
  ASSERT_EQ(rt::CreateMemImg(m.get(), 8, 8, 1), 0);
  uint8_t* pixels = m->pixels;
  EXPECT_EQ(rt::InitMemImg(m.get(), 16, 16, -1, 5, 0, 0, 0, 1), -1);
  EXPECT_EQ(m->width, 8);
  EXPECT_EQ(m->kind, 1);
  EXPECT_EQ(m->pixels, pixels);
  EXPECT_EQ(m->runTable, nullptr);
}

TEST(MemImg, BadSizesAndKindsAreRefused) {
  const struct {
    int width, height, pitch, kind;
  } cases[] = {{-1, 4, -1, 1}, {4, -1, -1, 1}, {4, 4, -1, 4}, {4, 4, -1, -2}, {8, 4, 16, 1}, {1 << 30, 1 << 10, -1, 1}};
  for (const auto& c : cases) {
    OwnedMemImg m;
    EXPECT_EQ(rt::InitMemImg(m.get(), c.width, c.height, c.pitch, 0, c.kind, 0, 0, 0), -1)
        << c.width << "x" << c.height << " pitch " << c.pitch << " kind " << c.kind;
    EXPECT_NE(m->magic, rt::kMemImgMagic);
  }
}

TEST(MemImg, BorrowedPixelsAndBuffers) {
  std::vector<uint8_t> block(64 * 4);
  {
    OwnedMemImg m;
    m->pixels = block.data();
    ASSERT_EQ(rt::InitMemImg(m.get(), 16, 4, 64, 0, 1, 0, 1, 1), 0);
    EXPECT_EQ(m->borrowed, 1);
    EXPECT_NE(m->alphaPlane, nullptr);
    EXPECT_NE(m->runTable, nullptr);
  }  // released without freeing the borrowed block
  OwnedMemImg own;
  ASSERT_EQ(rt::InitMemImg(own.get(), 4, 4, -1, 0, 2, 0, 0, 1), 0);
  EXPECT_EQ(own->borrowed, 0);
  EXPECT_EQ(own->runTable, nullptr) << "8-bit images have no run table";
}

TEST(MemImg, CreateFollowsTheScreenDepthAndReleaseClears) {
  rt::ScreenState& screen = rt::GetScreenStateRecord();
  const int saved = screen.screenBits;
  screen.screenBits = 16;
  OwnedMemImg a, b, z;
  ASSERT_EQ(rt::CreateMemImg(a.get(), 4, 4, -1), 0);
  EXPECT_EQ(a->kind, 0);
  screen.screenBits = 32;
  ASSERT_EQ(rt::CreateMemImg(b.get(), 4, 4, -1), 0);
  EXPECT_EQ(b->kind, 1);
  screen.screenBits = saved;
  ASSERT_EQ(rt::CreateZBufferMemImg(z.get(), 10, 3), 0);
  EXPECT_EQ(z->kind, 3);
  EXPECT_EQ(z->pitch, 32);
  EXPECT_EQ(z->transparentColor, 0u);

  const int32_t blocks = rt::GetMemoryState().count;
  rt::ReleaseMemImg(a.get());
  EXPECT_EQ(a->magic, 0u);
  EXPECT_EQ(a->pixels, nullptr);
  EXPECT_EQ(rt::GetMemoryState().count, blocks - 1);
  rt::ReleaseMemImg(a.get());  // a second release does nothing
  EXPECT_EQ(rt::GetMemoryState().count, blocks - 1);
}

TEST(MemImg, DerivedViewSharesPixelsAndPalette) {
  OwnedMemImg parent;
  ASSERT_EQ(rt::InitMemImg(parent.get(), 20, 10, -1, 0x77, 1, 1, 0, 1), 0);
  parent->paletteCount = 12;
  rt::MEMIMG view{};
  rt::DeriveMemImg(&view, parent.get(), 3, 2, 5, 4);
  EXPECT_EQ(view.magic, rt::kMemImgMagic);
  EXPECT_EQ(view.width, 5);
  EXPECT_EQ(view.height, 4);
  EXPECT_EQ(view.pixels, parent->pixels + 3 + 2 * parent->pitch);
  EXPECT_EQ(view.pitch, parent->pitch);
  EXPECT_EQ(view.paletteTable, parent->paletteTable);
  EXPECT_EQ(view.paletteCount, 12);
  EXPECT_EQ(view.transparentColor, 0x77u);
  EXPECT_EQ(view.runTable, nullptr);
  EXPECT_EQ(view.runTableValid, 0);
  EXPECT_EQ(rt::HasMemImgPixels(&view), 1);
  // A rectangle reaching past the parent is cut to it.
  rt::DeriveMemImg(&view, parent.get(), 18, 8, 5, 5);
  EXPECT_EQ(view.width, 2);
  EXPECT_EQ(view.height, 2);
}

TEST(MemImg, FillClipsToTheImage) {
  OwnedMemImg m;
  ASSERT_EQ(rt::CreateMemImg(m.get(), 6, 4, 0), 0);
  rt::FillMemImg(m.get(), nullptr, 0x1111);
  const RECT r{4, -3, 10, 2};
  rt::FillMemImg(m.get(), &r, 0xABCD2222);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(ReadPixel(m.img, x, y), (x >= 4 && y < 2) ? 0x2222u : 0x1111u) << x << "," << y;
    }
  }
}

TEST(MemImg, RunTableCodes) {
  OwnedMemImg m;
  ASSERT_EQ(rt::InitMemImg(m.get(), 5, 1, -1, 0, 1, 0, 1, 1), 0);
  const uint32_t alphas[] = {0, 0, 255, 128, 128};
  for (int x = 0; x < 5; ++x) WritePixel(m.img, x, 0, alphas[x] << 24 | 0x123456);
  rt::RebuildMemImgRunTable(m.get());
  EXPECT_EQ(m->runTableValid, 1);
  EXPECT_EQ(std::vector<uint8_t>(m->runTable, m->runTable + 4), (std::vector<uint8_t>{1, 64, 129, 192}));

  // Runs longer than 64 pixels split; a keyed 16-bit image compares its colour words.
  OwnedMemImg wide;
  ASSERT_EQ(rt::InitMemImg(wide.get(), 70, 2, -1, 0xF800, 0, 0, 0, 1), 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 70; ++x) WritePixel(wide.img, x, y, y == 0 ? 0xF800 : (x < 3 ? 0x0001 : 0xF800));
  }
  rt::RebuildMemImgRunTable(wide.get());
  EXPECT_EQ(std::vector<uint8_t>(wide->runTable, wide->runTable + 7),
            (std::vector<uint8_t>{63, 5, 192, 66, 63, 2, 192}));
}

TEST(MemImg, AlphaPlaneIsPremultiplied) {
  OwnedMemImg m32, m16;
  ASSERT_EQ(rt::InitMemImg(m32.get(), 1, 1, -1, 0, 1, 0, 1, 1), 0);
  ASSERT_EQ(rt::InitMemImg(m16.get(), 1, 1, -1, 0, 0, 0, 1, 1), 0);
  WritePixel(m32.img, 0, 0, 0x80FF4020);
  WritePixel(m16.img, 0, 0, 0x0080FFFF);
  rt::RebuildMemImgAlphaPlane(m32.get());
  rt::RebuildMemImgAlphaPlane(m16.get());
  uint32_t v32, v16;
  std::memcpy(&v32, m32->alphaPlane, 4);
  std::memcpy(&v16, m16->alphaPlane, 4);
  EXPECT_EQ(v32, 0x807F2010u);
  EXPECT_EQ(v16 & 0xFFFF, 0x7BEFu);
  EXPECT_EQ((v16 >> 16) & 0xFF, 0x80u);
  EXPECT_EQ(m32->alphaPlaneValid, 1);
}

TEST(MemImg, TransfersToAndFromImageRecords) {
  rt::GraphImage image{};
  ASSERT_EQ(rt::CreateARGB8888GraphImage(4, 2, &image), 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      const uint32_t v = x == 0 ? 0xFF00FF00 : 0xFF102030 + static_cast<uint32_t>(x);
      std::memcpy(image.pixels + y * image.pitch + x * 4, &v, 4);
    }
  }
  OwnedMemImg m;
  ASSERT_EQ(rt::InitMemImg(m.get(), 4, 2, -1, 0xFF00FF00, 1, 0, 0, 1), 0);
  ASSERT_EQ(rt::BltGraphImageToMemImg(&image, nullptr, m.get(), 0, 0, 4, 2, 0, 0, 0), 0);
  EXPECT_EQ(ReadPixel(m.img, 1, 0) & 0xFFFFFF, 0x102031u);
  EXPECT_EQ(m->runTableValid, 1) << "a whole-image transfer rebuilds the run table";
  // The keyed first column is a skip run.
  EXPECT_EQ(m->runTable[0], 0);

  // A part of the image leaves the tables invalid.
  ASSERT_EQ(rt::BltGraphImageToMemImg(&image, nullptr, m.get(), 0, 0, 2, 2, 0, 0, 0), 0);
  EXPECT_EQ(m->runTableValid, 0);

  // Back into an image, skipping the key.
  rt::GraphImage out{};
  ASSERT_EQ(rt::CreateARGB8888GraphImage(4, 2, &out), 0);
  std::memset(out.pixels, 0x55, static_cast<size_t>(out.pitch) * 2);
  rt::BltMemImgToGraphImage(&out, m.get(), 0, 0, 4, 2, 0, 0, ReadPixel(m.img, 0, 0), 1);
  uint32_t first, second;
  std::memcpy(&first, out.pixels, 4);
  std::memcpy(&second, out.pixels + 4, 4);
  EXPECT_EQ(first, 0x55555555u);
  EXPECT_EQ(second & 0xFFFFFF, 0x102031u);
  // Out-of-range rectangles are cut instead of overrunning either side.
  rt::BltMemImgToGraphImage(&out, m.get(), -2, -2, 100, 100, 3, 1, 0, 0);
  rt::ReleaseGraphImage(&out);
  rt::ReleaseGraphImage(&image);
}

TEST(MemImg, PaletteTablesFromAnImagePalette) {
  rt::GraphImage image{};
  rt::SetColorFormatPal8(&image.format);
  image.width = 3;
  image.height = 1;
  image.pitch = 4;
  image.pixels = static_cast<uint8_t*>(rt::MemAllocZero(4, __FILE__, __LINE__));
  image.pixels[0] = 2;
  image.pixels[1] = 9;
  image.pixels[2] = 1;
  for (int i = 0; i < 256; ++i) {
    image.format.palette[i][0] = static_cast<uint8_t>(i);        // blue
    image.format.palette[i][1] = static_cast<uint8_t>(255 - i);  // green
    image.format.palette[i][2] = 0xFF;                           // red
  }
  OwnedMemImg m32, m16;
  ASSERT_EQ(rt::InitMemImg(m32.get(), 3, 1, -1, 0, 1, 1, 0, 1), 0);
  ASSERT_EQ(rt::InitMemImg(m16.get(), 3, 1, -1, 0, 0, 1, 0, 1), 0);
  ASSERT_EQ(rt::BltGraphImageToMemImg(&image, nullptr, m32.get(), 0, 0, 3, 1, 0, 0, 0), 0);
  ASSERT_EQ(rt::BltGraphImageToMemImg(&image, nullptr, m16.get(), 0, 0, 3, 1, 0, 0, 0), 0);
  EXPECT_EQ(m32->paletteCount, 10) << "the highest index copied + 1";
  EXPECT_EQ(m32->pixels[1], 9);
  uint32_t e32;
  uint16_t e16;
  std::memcpy(&e32, m32->paletteTable + 4 * 9, 4);
  std::memcpy(&e16, m16->paletteTable + 2 * 9, 2);
  EXPECT_EQ(e32, 0x00FFF609u);
  EXPECT_EQ(e16, (0xF8 << 8) | (0xF4 << 3) | (9 >> 3));
  EXPECT_EQ(std::memcmp(m32->workPalette, m32->palette, 1024), 0);
  rt::MemFree(image.pixels);
}

}  // namespace
