// PNG through libpng: every colour type and depth, decoded to 8 bits per channel in blue,
// green, red (, alpha) order, palette images without transparency kept as indexes.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/image/image_loader.h"
#include "runtime/image/loader_io.h"

namespace rt {
namespace {

// Everything the error path must free; plain data, since libpng leaves by longjmp.
struct PngContext {
  ImageStream* stream;
  int64_t remaining;  // bytes between the read position and the end measured at set-up
  uint8_t* pixels;
  png_bytep* rows;
};

void ReadCallback(png_structp png, png_bytep data, png_size_t length) {
  auto* context = static_cast<PngContext*>(png_get_io_ptr(png));
  if (static_cast<int64_t>(length) > context->remaining ||
      !ImageStreamReadExact(context->stream, data, length)) {
    png_error(png, "Read Error");
  }
  context->remaining -= static_cast<int64_t>(length);
}

void ErrorCallback(png_structp png, png_const_charp message) {
  LogAddFormat("PNG: %s\n", message);
  png_longjmp(png, 1);
}

void WarningCallback(png_structp, png_const_charp) {}

void SetGreyAlphaFormat(ColorFormat* format) { SetColorFormatFromMasksImpl(format, 16, 0xFF, 0xFF, 0xFF, 0xFF00); }

}  // namespace

int LoadPngImage(ImageStream* stream, GraphImage* image) {
  uint8_t signature[8];
  if (!ImageStreamReadExact(stream, signature, sizeof signature) || png_sig_cmp(signature, 0, sizeof signature) != 0) {
    return -1;
  }
  const int64_t size = ImageStreamSize(stream);
  if (size < 0) return -1;

  PngContext context{stream, size - static_cast<int64_t>(sizeof signature), nullptr, nullptr};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorCallback, WarningCallback);
  if (!png) return -1;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return -1;
  }
  if (setjmp(png_jmpbuf(png))) {
    if (context.pixels) MemFree(context.pixels);
    if (context.rows) MemFree(context.rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return -1;
  }
  png_set_read_fn(png, &context, ReadCallback);
  // Refused while the header is read, before libpng sets up rows for the claimed size.
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_set_sig_bytes(png, sizeof signature);
#ifdef PNG_IGNORE_ADLER32
  // Every chunk's CRC already guards the compressed bytes; zlib's own checksum over the
  // inflated rows would cost as much as the inflating.
  png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
  const bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  const bool grey = colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA;
  png_set_strip_16(png);
  png_set_packing(png);
  png_set_packswap(png);
  if ((grey && bitDepth <= 8) || hasTransparency) png_set_expand(png);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  const size_t rowBytes = png_get_rowbytes(png, info);
  const int channels = png_get_channels(png, info);
  context.pixels = AllocImagePixels(static_cast<int64_t>(rowBytes), height);
  context.rows = static_cast<png_bytep*>(RT_ALLOC(sizeof(png_bytep) * (height ? height : 1)));
  if (!context.pixels || !context.rows) png_error(png, "out of memory");
  for (png_uint_32 y = 0; y < height; ++y) context.rows[y] = context.pixels + size_t{y} * rowBytes;
  png_read_image(png, context.rows);
  png_read_end(png, nullptr);

  ColorFormat& format = image->format;
  if (colorType == PNG_COLOR_TYPE_PALETTE && !hasTransparency) {
    SetColorFormatPal8(&format);
    std::memset(format.palette, 0, sizeof format.palette);
    png_colorp palette = nullptr;
    int entries = 0;
    if (png_get_PLTE(png, info, &palette, &entries) && palette) {
      for (int i = 0; i < entries && i < 256; ++i) {
        format.palette[i][0] = palette[i].blue;
        format.palette[i][1] = palette[i].green;
        format.palette[i][2] = palette[i].red;
      }
    }
  } else if (grey) {
    if (rowBytes >= 2 * size_t{width}) {
      SetGreyAlphaFormat(&format);
    } else {
      SetColorFormatPal8Gray(&format);
    }
  } else if (channels == 4) {
    SetColorFormatARGB8888(&format);
  } else {
    SetColorFormatRGB888(&format);
  }
  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->pitch = static_cast<int32_t>(rowBytes);
  image->pixels = context.pixels;
  MemFree(context.rows);
  png_destroy_read_struct(&png, &info, nullptr);
  return 0;
}

}  // namespace rt
