#include "platform/glyph_source_fake.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

constexpr uint32_t kHalfWidthSpace = 0x20;
constexpr uint32_t kFullWidthSpace = 0x8140;
constexpr int kDefaultCellHeight = 16;

class FakeFont final : public GlyphFont {
 public:
  FakeFont(FakeGlyphSource* source, const TextMetrics& metrics)
      : source_(source), metrics_(metrics) {}

  const TextMetrics& Metrics() const override { return metrics_; }

  int GetGlyph(uint32_t code, GlyphFormat format, GlyphMetrics* metrics, uint8_t* buffer,
               size_t bufferSize) override {
    auto replaced = source_->glyphs.find(code);
    const FakeGlyph glyph = replaced != source_->glyphs.end()
                                ? replaced->second
                                : FakeGlyphSource::DefaultGlyph(metrics_, code);
    *metrics = GlyphMetrics{};
    metrics->cellIncX = glyph.advance;
    if (glyph.width <= 0 || glyph.height <= 0) {
      if (buffer != nullptr) ++source_->renders;
      return 0;
    }
    metrics->blackBoxX = glyph.width;
    metrics->blackBoxY = glyph.height;
    metrics->originX = glyph.originX;
    metrics->originY = glyph.originY;
    const int rowBytes = GlyphRowBytes(format, glyph.width);
    const size_t size = static_cast<size_t>(rowBytes) * glyph.height;
    if (buffer == nullptr || bufferSize < size) return static_cast<int>(size);
    ++source_->renders;
    std::memset(buffer, 0, size);
    for (int y = 0; y < glyph.height; ++y) {
      uint8_t* row = buffer + static_cast<size_t>(y) * rowBytes;
      for (int x = 0; x < glyph.width; ++x) {
        if (format == GlyphFormat::kBitmap1) {
          row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        } else {
          row[x] = static_cast<uint8_t>(std::clamp(glyph.level, 0, 16));
        }
      }
    }
    return static_cast<int>(size);
  }

 private:
  FakeGlyphSource* source_;
  TextMetrics metrics_;
};

}  // namespace

TextMetrics FakeGlyphSource::MetricsFor(int height) {
  TextMetrics m;
  m.tmHeight = std::max(height, 1);
  m.tmAscent = m.tmHeight - m.tmHeight / 8;
  m.tmDescent = m.tmHeight - m.tmAscent;
  m.tmMaxCharWidth = m.tmHeight;
  m.tmAveCharWidth = std::max(m.tmHeight / 2, 1);
  return m;
}

FakeGlyph FakeGlyphSource::DefaultGlyph(const TextMetrics& metrics, uint32_t code) {
  FakeGlyph glyph;
  const bool wide = code > 0xFF;
  glyph.advance = wide ? metrics.tmHeight : std::max(metrics.tmHeight / 2, 1);
  if (code == kHalfWidthSpace || code == kFullWidthSpace) return glyph;
  glyph.width = std::max(glyph.advance - 2, 1);
  glyph.height = std::max(metrics.tmAscent - 1, 1);
  glyph.originX = 1;
  glyph.originY = metrics.tmAscent - 1;
  return glyph;
}

std::unique_ptr<GlyphFont> FakeGlyphSource::CreateFont(const FontRequest& request) {
  requests.push_back(request);
  if (failCreate) return nullptr;
  int height = request.height;
  if (height == 0) height = kDefaultCellHeight;
  if (height < 0) height = -height + (-height) / 8;
  return std::make_unique<FakeFont>(this, MetricsFor(height));
}

}  // namespace platform
