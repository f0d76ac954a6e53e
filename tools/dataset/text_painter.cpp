#include "tools/dataset/text_painter.h"

#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/glyph_source.h"

namespace dataset {
namespace {

constexpr int kFullInk = 16;
constexpr int kBoxMargin = 8;

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Character codes of a Shift-JIS string as the glyph source reads them.
std::vector<uint32_t> Codes(const std::string& text) {
  std::vector<uint32_t> codes;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c) && i + 1 < text.size()) {
      codes.push_back(uint32_t{c} << 8 | static_cast<unsigned char>(text[i + 1]));
      ++i;
    } else {
      codes.push_back(c);
    }
  }
  return codes;
}

// One font per size and weight, made on first use and shared by all painters.
platform::GlyphFont* FontFor(const TextStyle& style) {
  static std::mutex mutex;
  static std::map<std::pair<int, int>, std::unique_ptr<platform::GlyphFont>> fonts;
  std::lock_guard<std::mutex> lock(mutex);
  auto& font = fonts[{style.size, style.weight}];
  if (!font) {
    platform::FontRequest request;
    request.height = style.size;
    request.weight = style.weight;
    font = platform::GetGlyphSource().CreateFont(request);
  }
  return font.get();
}

// Calls draw(x, y, level) for every inked pixel of the text, pen starting at (x, y).
template <typename Draw>
int WalkText(const std::string& text, const TextStyle& style, int x, int y, Draw&& draw) {
  platform::GlyphFont* font = FontFor(style);
  if (font == nullptr) return 0;
  const int ascent = font->Metrics().tmAscent;
  std::vector<uint8_t> bits;
  int pen = 0;
  for (uint32_t code : Codes(text)) {
    platform::GlyphMetrics gm;
    const int size = font->GetGlyph(code, platform::GlyphFormat::kGray17, &gm, nullptr, 0);
    if (size > 0) {
      bits.assign(static_cast<size_t>(size), 0);
      font->GetGlyph(code, platform::GlyphFormat::kGray17, &gm, bits.data(), bits.size());
      const int rowBytes = platform::GlyphRowBytes(platform::GlyphFormat::kGray17, gm.blackBoxX);
      for (int gy = 0; gy < gm.blackBoxY; ++gy) {
        for (int gx = 0; gx < gm.blackBoxX; ++gx) {
          const int level = bits[static_cast<size_t>(gy) * rowBytes + gx];
          if (level > 0) draw(x + pen + gm.originX + gx, y + ascent - gm.originY + gy, level);
        }
      }
    }
    pen += gm.cellIncX;
  }
  return pen;
}

}  // namespace

int TextWidth(const std::string& text, const TextStyle& style) {
  return WalkText(text, style, 0, 0, [](int, int, int) {});
}

int DrawText(Canvas& canvas, int x, int y, const std::string& text, const TextStyle& style) {
  if (!(style.outline == kTransparent)) {
    WalkText(text, style, x, y, [&](int px, int py, int level) {
      if (level < kFullInk / 2) return;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) canvas.Set(px + dx, py + dy, style.outline);
      }
    });
  }
  if (!(style.shadow == kTransparent)) {
    WalkText(text, style, x + 1, y + 1, [&](int px, int py, int level) {
      canvas.Blend(px, py, style.shadow, level * 255 / kFullInk);
    });
  }
  return WalkText(text, style, x, y, [&](int px, int py, int level) {
    canvas.Blend(px, py, style.color, level * 255 / kFullInk);
  });
}

void DrawTextIn(Canvas& canvas, const Rect& box, const std::string& text, const TextStyle& style,
                Align align) {
  const int width = TextWidth(text, style);
  int x = box.x + kBoxMargin;
  if (align == Align::kCentre) x = box.x + (box.w - width) / 2;
  if (align == Align::kRight) x = box.Right() - kBoxMargin - width;
  DrawText(canvas, x, box.y + (box.h - style.size) / 2, text, style);
}

}  // namespace dataset
