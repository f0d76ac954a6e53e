// The image loaders over arbitrary bytes, and what the graph layer then does with a
// decoded image: read its pixels, convert it to 32 bits and to a bitmap.
#include <cstddef>
#include <cstdint>

#include "runtime/core/memory.h"
#include "runtime/file/stream.h"
#include "runtime/image/convert_blt.h"
#include "runtime/image/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 24)) return 0;
  rt::MemStream* mem = rt::MemStreamOpen(data, static_cast<int32_t>(size));
  if (!mem) return 0;
  rt::ImageStream stream = rt::MakeImageStream(rt::GetMemoryStreamAccess(), rt::MemStreamHandle(mem));
  rt::GraphImage image{};
  if (rt::LoadImageFromStream(&stream, &image) == 0) {
    if (image.width <= 0 || image.height <= 0 || !image.pixels) __builtin_trap();
    int r, g, b, a;
    rt::GetGraphImagePixel(&image, image.width - 1, image.height - 1, &r, &g, &b, &a);
    // A corner of the picture is enough to reach every conversion rule.
    const int w = image.width < 64 ? image.width : 64, h = image.height < 64 ? image.height : 64;
    rt::GraphImage argb{};
    if (rt::CreateARGB8888GraphImage(w, h, &argb) == 0) {
      const RECT all{0, 0, w, h};
      rt::ConvertColorFormatBlt(argb.pixels, argb.pitch, &argb.format, image.pixels, image.pitch, &image.format,
                                nullptr, 0, nullptr, 0, 0, &all, 1, 0, 0, 0, 0, 0, 0);
      rt::ReleaseGraphImage(&argb);
    }
    rt::BitmapInfo info;
    uint8_t* bits = nullptr;
    if (rt::GraphImageToDIB(&image, &info, &bits, 0, 0) == 1) rt::MemFree(bits);
    rt::ReleaseGraphImage(&image);
  }
  rt::MemStreamClose(mem);
  return 0;
}
