#include "tests/support/image_fixture.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
// The library's header needs FILE and size_t declared first.
#include <jpeglib.h>

namespace testing_support {
namespace {

void Put8(std::string& s, uint32_t v) { s.push_back(static_cast<char>(v & 0xFF)); }
void Put16(std::string& s, uint32_t v) {
  Put8(s, v);
  Put8(s, v >> 8);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v);
  Put16(s, v >> 16);
}

int IndexOf(const std::vector<Rgba>& colours, const Rgba& c) {
  for (size_t i = 0; i < colours.size(); ++i) {
    if (colours[i] == c) return static_cast<int>(i);
  }
  throw std::logic_error("colour not in palette");
}

uint32_t Pack555(const Rgba& c) { return uint32_t(c.r >> 3) << 10 | uint32_t(c.g >> 3) << 5 | uint32_t(c.b >> 3); }
uint32_t Pack565(const Rgba& c) { return uint32_t(c.r >> 3) << 11 | uint32_t(c.g >> 2) << 5 | uint32_t(c.b >> 3); }

// One row of indexes as run-length packets (runs of equal indexes, literal stretches of
// three or more), without the end-of-line code.
void EncodeRleRow(const std::vector<int>& row, bool rle4, std::string& out) {
  const size_t n = row.size();
  size_t x = 0;
  auto runLength = [&](size_t from) {
    size_t len = 1;
    while (from + len < n && row[from + len] == row[from] && len < 255) ++len;
    return len;
  };
  while (x < n) {
    const size_t run = runLength(x);
    if (run >= 2) {
      Put8(out, static_cast<uint32_t>(run));
      Put8(out, rle4 ? uint32_t(row[x] << 4 | row[x]) : uint32_t(row[x]));
      x += run;
      continue;
    }
    size_t literal = 0;
    while (x + literal < n && literal < 255 && (literal == 0 || runLength(x + literal) < 2)) ++literal;
    if (literal < 3) {
      for (size_t i = 0; i < literal; ++i) {
        Put8(out, 1);
        Put8(out, rle4 ? uint32_t(row[x + i] << 4) : uint32_t(row[x + i]));
      }
    } else {
      Put8(out, 0);
      Put8(out, static_cast<uint32_t>(literal));
      size_t bytes = 0;
      if (rle4) {
        for (size_t i = 0; i < literal; i += 2, ++bytes) {
          Put8(out, uint32_t(row[x + i] << 4 | (i + 1 < literal ? row[x + i + 1] : 0)));
        }
      } else {
        for (size_t i = 0; i < literal; ++i, ++bytes) Put8(out, uint32_t(row[x + i]));
      }
      if (bytes & 1) Put8(out, 0);
    }
    x += literal;
  }
}

struct MaskRun {
  int shift = 0, width = 0;
};
MaskRun Measure(uint32_t mask) {
  MaskRun r;
  if (!mask) return r;
  while (!(mask >> r.shift & 1)) ++r.shift;
  while (r.shift + r.width < 32 && (mask >> (r.shift + r.width) & 1)) ++r.width;
  return r;
}
uint32_t PackChannel(uint8_t value, uint32_t mask) {
  const MaskRun m = Measure(mask);
  if (m.width == 0) return 0;
  const uint32_t v = m.width <= 8 ? uint32_t(value) >> (8 - m.width) : uint32_t(value) << (m.width - 8);
  return (v << m.shift) & mask;
}

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}
void PngFlush(png_structp) {}

}  // namespace

Picture MakePicture(int width, int height, int colours, bool opaque) {
  std::vector<Rgba> palette;
  for (int i = 0; i < colours; ++i) {
    palette.push_back(Rgba{static_cast<uint8_t>(255 - i), static_cast<uint8_t>((i * 73 + 40) & 0xFF),
                           static_cast<uint8_t>((i * 151 + 9) & 0xFF), 255});
  }
  Picture p{width, height, std::vector<Rgba>(static_cast<size_t>(width) * height)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int index = (x / 3 + y) % colours;
      if ((x + 2 * y) % 7 == 0) index = (x * 5 + y) % colours;
      Rgba c = palette[static_cast<size_t>(index)];
      if (!opaque) c.a = static_cast<uint8_t>((x * 16 + y * 8 + 1) & 0xFF);
      p.At(x, y) = c;
    }
  }
  return p;
}

Picture MakeGradient(int width, int height) {
  Picture p{width, height, std::vector<Rgba>(static_cast<size_t>(width) * height)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      p.At(x, y) = Rgba{static_cast<uint8_t>(x * 255 / (width > 1 ? width - 1 : 1)),
                        static_cast<uint8_t>(y * 255 / (height > 1 ? height - 1 : 1)),
                        static_cast<uint8_t>((x + y) * 255 / (width + height > 2 ? width + height - 2 : 1)), 255};
    }
  }
  return p;
}

std::vector<Rgba> PictureColours(const Picture& picture) {
  std::vector<Rgba> colours;
  for (const Rgba& c : picture.pixels) {
    bool known = false;
    for (const Rgba& k : colours) known = known || k == c;
    if (!known) colours.push_back(c);
  }
  return colours;
}

std::string MakeBmp(const Picture& picture, const BmpOptions& o) {
  const int w = picture.width, h = picture.height;
  const bool paletted = o.bitCount <= 8;
  std::vector<Rgba> colours;
  if (paletted) {
    colours = PictureColours(picture);
    if (colours.size() > (1u << o.bitCount)) throw std::logic_error("too many colours for the bit count");
  }
  const uint32_t entries = paletted ? (o.shortPalette ? uint32_t(colours.size()) : 1u << o.bitCount) : 0;
  const uint32_t compression = o.rle ? (o.bitCount == 8 ? 1 : 2) : (o.bitFields ? 3 : 0);

  std::string pixels;
  const int stride = ((w * o.bitCount + 31) / 32) * 4;
  if (o.rle) {
    for (int fileRow = 0; fileRow < h; ++fileRow) {
      const int y = h - 1 - fileRow;
      std::vector<int> row;
      for (int x = 0; x < w; ++x) row.push_back(IndexOf(colours, picture.At(x, y)));
      EncodeRleRow(row, o.bitCount == 4, pixels);
      Put8(pixels, 0);
      Put8(pixels, fileRow == h - 1 ? 1 : 0);
    }
  } else {
    for (int fileRow = 0; fileRow < h; ++fileRow) {
      const int y = o.topDown ? fileRow : h - 1 - fileRow;
      std::string row;
      if (paletted) {
        uint32_t acc = 0;
        int bits = 0;
        for (int x = 0; x < w; ++x) {
          acc = acc << o.bitCount | uint32_t(IndexOf(colours, picture.At(x, y)));
          bits += o.bitCount;
          if (bits == 8) Put8(row, acc), acc = 0, bits = 0;
        }
        if (bits) Put8(row, acc << (8 - bits));
      } else {
        for (int x = 0; x < w; ++x) {
          const Rgba c = picture.At(x, y);
          if (o.bitCount == 16) Put16(row, o.bitFields ? Pack565(c) : Pack555(c));
          if (o.bitCount == 24) Put8(row, c.b), Put8(row, c.g), Put8(row, c.r);
          if (o.bitCount == 32) Put8(row, c.b), Put8(row, c.g), Put8(row, c.r), Put8(row, 0);
        }
      }
      row.resize(static_cast<size_t>(stride), '\0');
      pixels += row;
    }
  }

  std::string info;
  Put32(info, 40);
  Put32(info, static_cast<uint32_t>(w));
  Put32(info, static_cast<uint32_t>(o.topDown ? -h : h));
  Put16(info, 1);
  Put16(info, static_cast<uint32_t>(o.bitCount));
  Put32(info, compression);
  Put32(info, static_cast<uint32_t>(pixels.size()));
  Put32(info, 2835);
  Put32(info, 2835);
  Put32(info, o.shortPalette ? entries : 0);
  Put32(info, 0);
  if (o.bitFields) {
    if (o.bitCount == 16) Put32(info, 0xF800), Put32(info, 0x07E0), Put32(info, 0x001F);
    if (o.bitCount == 32) Put32(info, 0xFF0000), Put32(info, 0xFF00), Put32(info, 0xFF);
  }
  for (uint32_t i = 0; i < entries; ++i) {
    const Rgba c = i < colours.size() ? colours[i] : Rgba{0, 0, 0, 0};
    Put8(info, c.b), Put8(info, c.g), Put8(info, c.r), Put8(info, 0);
  }
  std::string file = "BM";
  const uint32_t offset = 14 + static_cast<uint32_t>(info.size());
  Put32(file, offset + static_cast<uint32_t>(pixels.size()));
  Put32(file, 0);
  Put32(file, offset);
  return file + info + pixels;
}

std::string MakeTga(const Picture& picture, const TgaOptions& o) {
  const int w = picture.width, h = picture.height;
  const bool mapped = o.type == 1 || o.type == 9;
  const bool rle = o.type == 9 || o.type == 10;
  const std::vector<Rgba> colours = mapped ? PictureColours(picture) : std::vector<Rgba>{};
  auto encode = [&](const Rgba& c, std::string& out) {
    if (o.bits == 16) Put16(out, Pack555(c));
    if (o.bits == 24) Put8(out, c.b), Put8(out, c.g), Put8(out, c.r);
    if (o.bits == 32) Put8(out, c.b), Put8(out, c.g), Put8(out, c.r), Put8(out, c.a);
  };
  std::string file;
  Put8(file, static_cast<uint32_t>(std::strlen(o.id)));
  Put8(file, mapped ? 1 : 0);
  Put8(file, static_cast<uint32_t>(o.type));
  Put16(file, 0);
  Put16(file, static_cast<uint32_t>(colours.size()));
  Put8(file, mapped ? static_cast<uint32_t>(o.bits) : 0);
  Put16(file, 0);
  Put16(file, 0);
  Put16(file, static_cast<uint32_t>(w));
  Put16(file, static_cast<uint32_t>(h));
  Put8(file, mapped ? 8 : static_cast<uint32_t>(o.bits));
  Put8(file, (o.bits == 32 ? 8 : 0) | (o.topDown ? 0x20 : 0) | (o.rightToLeft ? 0x10 : 0));
  file += o.id;
  for (const Rgba& c : colours) encode(c, file);

  std::vector<std::string> units;  // one encoded pixel each, in file order
  for (int fileRow = 0; fileRow < h; ++fileRow) {
    const int y = o.topDown ? fileRow : h - 1 - fileRow;
    for (int i = 0; i < w; ++i) {
      const int x = o.rightToLeft ? w - 1 - i : i;
      std::string unit;
      if (mapped) {
        Put8(unit, static_cast<uint32_t>(IndexOf(colours, picture.At(x, y))));
      } else {
        encode(picture.At(x, y), unit);
      }
      units.push_back(unit);
    }
  }
  if (!rle) {
    for (const std::string& u : units) file += u;
  } else {
    size_t i = 0;
    while (i < units.size()) {
      size_t run = 1;
      while (i + run < units.size() && units[i + run] == units[i] && run < 128) ++run;
      if (run >= 2) {
        Put8(file, 0x80 | uint32_t(run - 1));
        file += units[i];
        i += run;
        continue;
      }
      size_t raw = 1;
      while (i + raw < units.size() && raw < 128 && !(i + raw + 1 < units.size() && units[i + raw] == units[i + raw + 1]))
        ++raw;
      Put8(file, uint32_t(raw - 1));
      for (size_t k = 0; k < raw; ++k) file += units[i + k];
      i += raw;
    }
  }
  if (o.footer) {
    Put32(file, 0);
    Put32(file, 0);
    file += "TRUEVISION-XFILE";
    file.push_back('.');
    file.push_back('\0');
  }
  return file;
}

std::string MakePng(const Picture& picture, const PngOptions& o) {
  const int w = picture.width, h = picture.height;
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png write failed");
  }
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), o.bitDepth, o.colorType,
               o.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<Rgba> colours;
  if (o.colorType == PNG_COLOR_TYPE_PALETTE) {
    colours = PictureColours(picture);
    std::vector<png_color> plte;
    std::vector<png_byte> alphas;
    for (const Rgba& c : colours) plte.push_back(png_color{c.r, c.g, c.b}), alphas.push_back(c.a);
    png_set_PLTE(png, info, plte.data(), static_cast<int>(plte.size()));
    if (o.transparency) png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
  } else if (o.transparency) {
    const Rgba first = picture.At(0, 0);
    const int scale = o.bitDepth == 16 ? 257 : 1;
    png_color_16 key{};
    const int greyShift = o.bitDepth < 8 ? 8 - o.bitDepth : 0;
    key.gray = static_cast<png_uint_16>((first.g >> greyShift) * scale);
    key.red = static_cast<png_uint_16>(first.r * scale);
    key.green = static_cast<png_uint_16>(first.g * scale);
    key.blue = static_cast<png_uint_16>(first.b * scale);
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);

  const int channels = o.colorType == 0 || o.colorType == 3 ? 1 : o.colorType == 4 ? 2 : o.colorType == 2 ? 3 : 4;
  std::vector<std::vector<png_byte>> rows(static_cast<size_t>(h));
  // One samples buffer for every row, and each row sized once: a picture of the game's size
  // otherwise makes thousands of growing allocations, which the sanitizers make costly.
  std::vector<uint32_t> samples;
  samples.reserve(static_cast<size_t>(w) * 4);
  for (int y = 0; y < h; ++y) {
    samples.clear();
    for (int x = 0; x < w; ++x) {
      const Rgba c = picture.At(x, y);
      switch (o.colorType) {
        case 0: samples.push_back(c.g); break;
        case 2: samples.insert(samples.end(), {c.r, c.g, c.b}); break;
        case 3: samples.push_back(static_cast<uint32_t>(IndexOf(colours, c))); break;
        case 4: samples.insert(samples.end(), {c.g, c.a}); break;
        default: samples.insert(samples.end(), {c.r, c.g, c.b, c.a}); break;
      }
    }
    std::vector<png_byte>& row = rows[static_cast<size_t>(y)];
    row.reserve(samples.size() * 2);
    if (o.bitDepth == 16) {
      for (uint32_t s : samples) row.push_back(static_cast<png_byte>(s)), row.push_back(static_cast<png_byte>(s));
    } else if (o.bitDepth == 8) {
      for (uint32_t s : samples) row.push_back(static_cast<png_byte>(s));
    } else {
      uint32_t acc = 0;
      int bits = 0;
      for (uint32_t s : samples) {
        const uint32_t v = o.colorType == 3 ? s : s >> (8 - o.bitDepth);
        acc = acc << o.bitDepth | v;
        bits += o.bitDepth;
        if (bits == 8) row.push_back(static_cast<png_byte>(acc)), acc = 0, bits = 0;
      }
      if (bits) row.push_back(static_cast<png_byte>(acc << (8 - bits)));
    }
    (void)channels;
  }
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::string MakeJpeg(const Picture& picture, bool grey, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr error;
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(picture.width);
  cinfo.image_height = static_cast<JDIMENSION>(picture.height);
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row;
  while (cinfo.next_scanline < cinfo.image_height) {
    row.clear();
    for (int x = 0; x < picture.width; ++x) {
      const Rgba c = picture.At(x, static_cast<int>(cinfo.next_scanline));
      if (grey) {
        row.push_back(c.g);
      } else {
        row.insert(row.end(), {c.r, c.g, c.b});
      }
    }
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&cinfo, &pointer, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&cinfo);
  free(buffer);
  return out;
}

std::string MakeBgra(const Picture& picture, bool sixteenBits) {
  std::string file = "BGRA";
  Put32(file, sixteenBits ? 0x10101010 : 0x08080808);
  Put32(file, static_cast<uint32_t>(picture.width));
  Put32(file, static_cast<uint32_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgba c = picture.At(x, y);
      const uint8_t channels[4] = {c.b, c.g, c.r, c.a};
      for (int i = 0; i < 4; ++i) {
        if (sixteenBits) Put8(file, static_cast<uint32_t>(x * 13 + y * 7 + i * 5 + 1));
        Put8(file, channels[i]);
      }
    }
  }
  return file;
}

std::string MakeDds(const Picture& picture, const DdsOptions& o) {
  const int bytes = o.bits / 8;
  const uint32_t pitch = static_cast<uint32_t>(picture.width * bytes + o.extraPitch);
  std::string file = "DDS ";
  Put32(file, 124);
  Put32(file, 0x1 | 0x2 | 0x4 | 0x1000 | (o.extraPitch ? 0x8 : 0));
  Put32(file, static_cast<uint32_t>(picture.height));
  Put32(file, static_cast<uint32_t>(picture.width));
  Put32(file, o.extraPitch ? pitch : 0);
  Put32(file, 0);
  Put32(file, 0);
  for (int i = 0; i < 11; ++i) Put32(file, 0);
  Put32(file, 32);
  Put32(file, o.pixelFormatFlags);
  Put32(file, 0);
  Put32(file, static_cast<uint32_t>(o.bits));
  Put32(file, o.red);
  Put32(file, o.green);
  Put32(file, o.blue);
  Put32(file, o.alpha);
  Put32(file, 0x1000);
  for (int i = 0; i < 4; ++i) Put32(file, 0);
  for (int y = 0; y < picture.height; ++y) {
    std::string row;
    for (int x = 0; x < picture.width; ++x) {
      const Rgba c = picture.At(x, y);
      const uint32_t v = PackChannel(c.r, o.red) | PackChannel(c.g, o.green) | PackChannel(c.b, o.blue) |
                         PackChannel(c.a, o.alpha);
      for (int i = 0; i < bytes; ++i) Put8(row, v >> (8 * i));
    }
    row.resize(pitch, '\x5A');
    file += row;
  }
  return file;
}

}  // namespace testing_support
