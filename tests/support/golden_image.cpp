#include "tests/support/golden_image.h"

#include <png.h>

#include <cstdlib>
#include <filesystem>

#ifndef RT_GOLDEN_ACTUAL_DIR
#error "RT_GOLDEN_ACTUAL_DIR names the build-tree folder for pictures of failed comparisons"
#endif

namespace testing_support {
namespace {

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

}  // namespace

bool UpdatingGoldens() {
  const char* update = std::getenv("RT_UPDATE_GOLDEN");
  return update && std::string(update) == "1";
}

std::string GoldenActualPath(const std::string& name) {
  return std::string(RT_GOLDEN_ACTUAL_DIR) + "/" + name + ".actual.png";
}

::testing::AssertionResult MatchesGolden(const std::string& goldenDir, const std::string& name,
                                         const std::vector<uint8_t>& rgb, int width, int height,
                                         int tolerance, const std::string& actualName, int maxDiffering) {
  const std::string golden = goldenDir + "/" + name + ".png";
  if (UpdatingGoldens() && tolerance == 0) {
    if (!WritePng(golden, rgb, width, height)) return ::testing::AssertionFailure() << "cannot write " << golden;
    return ::testing::AssertionSuccess() << "wrote " << golden;
  }
  std::vector<uint8_t> expected;
  int w = 0, h = 0;
  const bool read = ReadPng(golden, &expected, &w, &h);
  if (read && w == width && h == height && expected == rgb) return ::testing::AssertionSuccess();

  auto near = [tolerance](uint8_t a, uint8_t b) { return std::abs(int{a} - int{b}) <= tolerance; };
  int differing = 0, firstX = -1, firstY = -1;
  if (read && w == width && h == height) {
    for (size_t i = 0; i < rgb.size(); i += 3) {
      if (near(rgb[i], expected[i]) && near(rgb[i + 1], expected[i + 1]) && near(rgb[i + 2], expected[i + 2])) continue;
      if (differing++ == 0) {
        firstX = static_cast<int>(i / 3 % static_cast<size_t>(width));
        firstY = static_cast<int>(i / 3 / static_cast<size_t>(width));
      }
    }
  }
  if (read && w == width && h == height && differing <= maxDiffering) return ::testing::AssertionSuccess();
  const std::string actual = GoldenActualPath(actualName.empty() ? name : actualName);
  std::error_code ignored;
  std::filesystem::create_directories(RT_GOLDEN_ACTUAL_DIR, ignored);
  WritePng(actual, rgb, width, height);
  auto failure = ::testing::AssertionFailure();
  if (!read) {
    failure << "cannot read " << golden;
  } else if (w != width || h != height) {
    failure << name << ": expected " << w << "x" << h << ", drew " << width << "x" << height;
  } else {
    failure << name << ": " << differing << " pixels differ by more than " << tolerance << " (first at " << firstX
            << "," << firstY << "; " << maxDiffering << " allowed)";
  }
  return failure << "; the picture drawn is " << actual << "; RT_UPDATE_GOLDEN=1 accepts it";
}

}  // namespace testing_support
