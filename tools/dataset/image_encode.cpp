#include "tools/dataset/image_encode.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on
#include <png.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace dataset {
namespace {

constexpr int kPngCompression = 6;

void AppendToString(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}

void PutLe16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void PutLe32(std::string& out, uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

std::vector<uint8_t> RgbRow(const Canvas& canvas, int y, bool withAlpha = false) {
  const size_t channels = withAlpha ? 4 : 3;
  std::vector<uint8_t> row(static_cast<size_t>(canvas.width()) * channels);
  for (int x = 0; x < canvas.width(); ++x) {
    const Rgb c = canvas.At(x, y);
    uint8_t* p = &row[static_cast<size_t>(x) * channels];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    if (withAlpha) p[3] = canvas.AlphaAt(x, y);
  }
  return row;
}

}  // namespace

std::string EncodePng(const Canvas& canvas) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("libpng could not start");
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng failed to encode");
  }
  png_set_write_fn(png, &out, AppendToString, nullptr);
  png_set_compression_level(png, kPngCompression);
  // Rows filtered by their left or upper neighbour only: the game decodes its large sheets at
  // start, and the averaging and Paeth filters cost libpng several times as much to undo.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE | PNG_FILTER_SUB | PNG_FILTER_UP);
  png_set_IHDR(png, info, static_cast<png_uint_32>(canvas.width()), static_cast<png_uint_32>(canvas.height()), 8,
               canvas.HasAlpha() ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < canvas.height(); ++y) {
    std::vector<uint8_t> row = RgbRow(canvas, y, canvas.HasAlpha());
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::string EncodeJpeg(const Canvas& canvas, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(canvas.width());
  cinfo.image_height = static_cast<JDIMENSION>(canvas.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  for (int y = 0; y < canvas.height(); ++y) {
    std::vector<uint8_t> row = RgbRow(canvas, y);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

std::string EncodeBmp(const Canvas& canvas) {
  constexpr uint32_t kFileHeaderSize = 14;
  constexpr uint32_t kInfoHeaderSize = 40;
  const uint32_t stride = (static_cast<uint32_t>(canvas.width()) * 3 + 3) & ~3u;
  const uint32_t imageSize = stride * static_cast<uint32_t>(canvas.height());
  std::string out = "BM";
  PutLe32(out, kFileHeaderSize + kInfoHeaderSize + imageSize);
  PutLe32(out, 0);
  PutLe32(out, kFileHeaderSize + kInfoHeaderSize);
  PutLe32(out, kInfoHeaderSize);
  PutLe32(out, static_cast<uint32_t>(canvas.width()));
  PutLe32(out, static_cast<uint32_t>(canvas.height()));  // positive: rows bottom-up
  PutLe16(out, 1);
  PutLe16(out, 24);
  PutLe32(out, 0);
  PutLe32(out, imageSize);
  PutLe32(out, 2835);  // 72 dots per inch
  PutLe32(out, 2835);
  PutLe32(out, 0);
  PutLe32(out, 0);
  for (int y = canvas.height() - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < canvas.width(); ++x) {
      const Rgb c = canvas.At(x, y);
      row += static_cast<char>(c.b);
      row += static_cast<char>(c.g);
      row += static_cast<char>(c.r);
    }
    row.resize(stride, '\0');
    out += row;
  }
  return out;
}

}  // namespace dataset
