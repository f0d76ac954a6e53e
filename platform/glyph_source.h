// Glyph rendering for the runtime's fonts: fonts made from a face name, a cell height, a
// weight, italic and a character set, their text metrics, and the bitmap of one character
// in one of two forms (1 bit per pixel, or 17 grey levels). The program renders with
// FreeType and fontconfig; tests install a fake source (glyph_source_fake.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Character sets of a font request: the set decides how character codes are read.
constexpr int kCharsetDefault = 1;    // the system code page (932 here)
constexpr int kCharsetShiftJis = 128; // code page 932
constexpr int kCharsetHangul = 129;   // code page 949

// Weight of a request from which glyphs are drawn bold.
constexpr int kBoldWeight = 600;

enum class GlyphFormat {
  kBitmap1,  // 1 bit per pixel, most significant bit leftmost, 1 = ink
  kGray17,   // one byte per pixel, 0 (no ink) to 16 (full ink)
};

struct FontRequest {
  // Shift-JIS; empty (or a face that is not installed) gives the Japanese Gothic.
  std::string faceName;
  // Cell height in pixels (ascent plus descent); a negative value is the character height
  // (the em) instead; 0 gives the default of 16.
  int height = 16;
  int weight = 400;  // 100 thin .. 900 black
  bool italic = false;
  int charset = kCharsetShiftJis;
};

struct TextMetrics {
  int32_t tmHeight = 0;  // ascent + descent
  int32_t tmAscent = 0;  // cell top to baseline
  int32_t tmDescent = 0;
  int32_t tmAveCharWidth = 0;
  int32_t tmMaxCharWidth = 0;
};

struct GlyphMetrics {
  // Size of the black box (the inked pixels): at least 1 x 1 for a glyph with ink, 0 x 0
  // for one without (a space).
  int32_t blackBoxX = 0;
  int32_t blackBoxY = 0;
  // From the pen position on the baseline to the black box's top-left pixel: x to the
  // right, y upward (the box's top row lies originY rows above the baseline).
  int32_t originX = 0;
  int32_t originY = 0;
  int32_t cellIncX = 0;  // how far the pen moves on
  int32_t cellIncY = 0;
};

// Bytes of one bitmap row: rows are padded to a multiple of 4 bytes.
int GlyphRowBytes(GlyphFormat format, int width);

class GlyphFont {
 public:
  virtual ~GlyphFont() = default;
  virtual const TextMetrics& Metrics() const = 0;
  // Renders one character. code is the character's bytes as a number: (lead byte << 8) |
  // trail byte for a double-byte character, the byte itself otherwise, read in the font's
  // character set. Always fills *metrics; returns the bitmap's size in bytes (row bytes x
  // black-box height; 0 for a glyph without ink) or -1 on failure. The bitmap is written
  // only when buffer is given and holds bufferSize >= that size, so a first call with no
  // buffer asks for the size. A code the set does not hold, or that the face lacks,
  // renders the face's missing-character glyph.
  virtual int GetGlyph(uint32_t code, GlyphFormat format, GlyphMetrics* metrics,
                       uint8_t* buffer, size_t bufferSize) = 0;
};

class GlyphSource {
 public:
  virtual ~GlyphSource() = default;
  // nullptr when no font can be made (no usable face on the machine).
  virtual std::unique_ptr<GlyphFont> CreateFont(const FontRequest& request) = 0;
};

// The source in force: FreeType unless a test installed another.
GlyphSource& GetGlyphSource();
// Installs a source (nullptr: back to FreeType). The caller keeps ownership.
void SetGlyphSource(GlyphSource* source);

}  // namespace platform
