// Colour formats the image tests build their fixtures and expectations from.
#pragma once
#include <cstdint>

#include "runtime/image/color_format.h"

namespace testing_support {

inline rt::ColorFormat Masks(int depth, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  rt::ColorFormat f{};
  rt::SetColorFormatFromMasksImpl(&f, depth, r, g, b, a);
  return f;
}
inline rt::ColorFormat Rgb565() { return Masks(16, 0xF800, 0x07E0, 0x001F, 0); }
inline rt::ColorFormat X555() { return Masks(16, 0x7C00, 0x03E0, 0x001F, 0); }
inline rt::ColorFormat Argb1555() { return Masks(16, 0x7C00, 0x03E0, 0x001F, 0x8000); }
inline rt::ColorFormat Argb4444() { return Masks(16, 0x0F00, 0x00F0, 0x000F, 0xF000); }
inline rt::ColorFormat Rgb888() { return Masks(24, 0xFF0000, 0xFF00, 0xFF, 0); }
inline rt::ColorFormat Xrgb8888() { return Masks(32, 0xFF0000, 0xFF00, 0xFF, 0); }
inline rt::ColorFormat Argb8888() { return Masks(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000); }

}  // namespace testing_support
