// A glyph source for tests: fonts with metrics derived from the requested height and solid
// box glyphs, any of which a test may replace, and a record of what was asked. The source
// must outlive the fonts it made.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/glyph_source.h"

namespace platform {

struct FakeGlyph {
  int width = 0;    // black box; 0 x 0: no ink (the advance only)
  int height = 0;
  int originX = 0;  // as GlyphMetrics
  int originY = 0;
  int advance = 0;
  int level = 16;   // grey level of every ink pixel (17-level form)
};

class FakeGlyphSource final : public GlyphSource {
 public:
  std::unique_ptr<GlyphFont> CreateFont(const FontRequest& request) override;

  // The metrics every font of cell height h gets: ascent h - h / 8, widest character h,
  // average h / 2.
  static TextMetrics MetricsFor(int height);
  // The glyph a font of these metrics draws for code unless glyphs holds one: no ink for
  // the half-width (0x20) and full-width (0x8140) spaces; otherwise a solid box that starts
  // one pixel right of the pen and one row below the cell's top and ends just above the
  // baseline, its advance less 2 pixels wide (advance h / 2 for single-byte codes, h for
  // double-byte ones), at least 1 x 1.
  static FakeGlyph DefaultGlyph(const TextMetrics& metrics, uint32_t code);

  // Replacement glyphs by code, for every font of this source.
  std::map<uint32_t, FakeGlyph> glyphs;
  // When set, CreateFont fails.
  bool failCreate = false;
  // Every request, in order, failed ones included.
  std::vector<FontRequest> requests;
  // GetGlyph calls that wrote a bitmap (or would have, for a glyph without ink).
  int renders = 0;
};

}  // namespace platform
