// A mixed Japanese and ASCII line in the default face at size 12, thickness 2, plain and
// edged, rendered with the installed Gothic and compared with a checked-in picture. Run with
// UPDATE_GOLDEN=1 to write the picture anew after an intended change; on a mismatch the
// rendered picture is written beside the golden one as *.actual.png.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/font/font.h"
#include "tests/runtime/font/font_fixture.h"
#include "tests/support/memimg_fixture.h"

namespace {

using font_testing::FontTest;
using testsupport::OwnedMemImg;
using testsupport::ReadPixel;

constexpr int kWidth = 272;
constexpr int kHeight = 44;
constexpr char kLine[] = "ミッション開始 Stage 1-2：潜入せよ！";

std::string GoldenPath(const char* name) {
  std::string dir = __FILE__;
  dir.erase(dir.find_last_of('/') + 1);
  return dir + "golden/" + name;
}

// Rows of R, G, B bytes.
std::vector<uint8_t> ToRgb(const rt::MEMIMG& image) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = ReadPixel(image, x, y);
      rgb.push_back(static_cast<uint8_t>(p >> 16));
      rgb.push_back(static_cast<uint8_t>(p >> 8));
      rgb.push_back(static_cast<uint8_t>(p));
    }
  }
  return rgb;
}

bool WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

bool ReadPng(const std::string& path, std::vector<uint8_t>* rgb, int* width, int* height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  rgb->resize(PNG_IMAGE_SIZE(image));
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  return png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr) != 0;
}

class GoldenTextTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    platform::SetGlyphSource(nullptr);  // the installed Gothic
  }
};

TEST_F(GoldenTextTest, MixedLinePlainAndEdged) {
  rt::SetFontSizeImpl(12);
  rt::SetFontThicknessImpl(2);
  const int plain = rt::GetDefaultFontHandle();
  ASSERT_NE(plain, -1);
  const int edged = rt::CreateFontToHandle(nullptr, 12, 2, rt::kFontTypeEdge, -1, -1, 0, -1, -1);
  ASSERT_NE(edged, -1);

  OwnedMemImg target;
  ASSERT_EQ(rt::InitMemImg(target.get(), kWidth, kHeight, -1, 0, rt::kMemImgKindXRGB, 0, 0, 0), 0);
  rt::FillMemImg(target.get(), nullptr, 0xFF203050);
  const RECT clip{0, 0, kWidth, kHeight};
  const int width = rt::DrawCachedStringToHandle(rt::kStringModeDraw, 4, 4, 0, 1.0, 1.0, kLine, 0xFFFFFFFF,
                                                 target.get(), &clip, 0, plain, 0, -1, 0, nullptr);
  EXPECT_GT(width, 0);
  EXPECT_EQ(width, rt::GetDrawStringWidthToHandle(kLine, -1, plain, 0));
  rt::DrawCachedStringToHandle(rt::kStringModeDraw, 4, 24, 0, 1.0, 1.0, kLine, 0xFFFFE040, target.get(), &clip, 0,
                               edged, 0xFF000000, -1, 0, nullptr);

  const std::vector<uint8_t> actual = ToRgb(target.img);
  const std::string golden = GoldenPath("mixed_line_12_2.png");
  const char* update = std::getenv("UPDATE_GOLDEN");
  if (update && update[0] == '1') {
    ASSERT_TRUE(WritePng(golden, actual, kWidth, kHeight)) << golden;
    return;
  }
  std::vector<uint8_t> expected;
  int w = 0, h = 0;
  ASSERT_TRUE(ReadPng(golden, &expected, &w, &h)) << "missing " << golden << " (UPDATE_GOLDEN=1 writes it)";
  if (w != kWidth || h != kHeight || expected != actual) {
    const std::string actualPath = GoldenPath("mixed_line_12_2.actual.png");
    WritePng(actualPath, actual, kWidth, kHeight);
    FAIL() << "the text differs from " << golden << "; the rendering is in " << actualPath;
  }
}

}  // namespace
