// Strings of any bytes, measured and drawn with fonts of every type, edge size, character
// set and cache size, glyphs reaching past their cells, lengths cutting characters, and
// positions and clip rectangles beyond the target: nothing may be read or written outside
// a buffer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/glyph_source_fake.h"
#include "runtime/core/log.h"
#include "runtime/display/display_state.h"
#include "runtime/font/font.h"
#include "runtime/image/color_format.h"
#include "runtime/image/memimg.h"

namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  int Small(int limit) { return Byte() % limit; }
  int Signed() { return static_cast<int8_t>(Byte()); }
  std::string Rest() {
    std::string rest(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
    pos_ = size_;
    return rest;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

struct Image {
  rt::MEMIMG img{};
  ~Image() { rt::ReleaseMemImg(&img); }
};

platform::FakeGlyphSource& Source() {
  static platform::FakeGlyphSource* source = [] {
    auto* s = new platform::FakeGlyphSource;
    rt::GetLogState().logOff = 1;
    platform::SetGlyphSource(s);
    rt::ScreenState& screen = rt::GetScreenStateRecord();
    screen.pureSoftware = 1;
    screen.softwareRender = 1;
    screen.screenBits = 32;
    screen.requestedBits = 32;
    screen.screenWidth = 64;
    screen.screenHeight = 48;
    return s;
  }();
  return *source;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::FakeGlyphSource& source = Source();
  Input in(data, size);
  source.glyphs.clear();
  source.requests.clear();
  for (int i = in.Small(4); i > 0; --i) {
    uint32_t code = 0x80u + in.Byte();
    if (in.Small(2)) {
      const uint32_t lead = 0x81u + static_cast<uint32_t>(in.Small(0x1F));
      code = (lead << 8) | in.Byte();
    }
    source.glyphs[code] = platform::FakeGlyph{in.Small(70), in.Small(70), in.Signed(), in.Signed(), in.Signed(),
                                              in.Small(20)};
  }
  rt::GetFontState().cacheSizeSetting = in.Small(6);
  const int fontType = in.Small(4);
  const int edgeSize = in.Small(7) - 1;
  const int charset = in.Small(3);
  const int fontSize = 1 + in.Small(40);
  const int font = rt::CreateFontToHandle(nullptr, fontSize, 4, fontType, charset, edgeSize, 0, -1, -1);
  if (font == -1) return 0;
  rt::SetFontSpaceToHandle(in.Signed() / 16, font);

  Image target;
  const int kind = in.Small(3) == 0 ? rt::kMemImgKind8 : in.Small(2);
  if (rt::InitMemImg(&target.img, 1 + in.Small(60), 1 + in.Small(40), -1, 0, kind, 0, in.Small(2), 0) == 0) {
    const RECT clip{in.Signed(), in.Signed(), in.Signed() * 4, in.Signed() * 4};
    const int x = in.Signed();
    const int y = in.Signed();
    const int vertical = in.Small(2);
    const int keep = in.Small(2);
    const int length = in.Small(40) - 1;
    const std::string text = in.Rest();
    rt::GetDrawStringWidthToHandle(text.c_str(), length, font, vertical);
    rt::SIZE block{};
    rt::DrawCachedStringToHandle(rt::kStringModeDraw, x, y, 0, 1.0, 1.0, text.c_str(), 0xFFFFFFFF, &target.img,
                                 &clip, keep, font, 0xFF000000, length, vertical, &block);
  }
  rt::DeleteFontToHandle(font);
  return 0;
}
