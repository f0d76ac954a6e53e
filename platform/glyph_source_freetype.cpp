// The glyph source of the program: faces found through fontconfig, rendered by FreeType.
#include <errno.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <iconv.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "platform/codepage.h"
#include "platform/glyph_source.h"

namespace platform {
namespace {

constexpr int kDefaultCellHeight = 16;
// The face that stands in for the system's default Japanese face, and the family asked for
// whenever a named face is not installed.
constexpr char kDefaultFaceName[] = "ＭＳ ゴシック";
constexpr char kFallbackFamily[] = "IPAGothic";
// Simulated italic leans the outline by this shear (16.16 fixed point, about 12 degrees).
constexpr FT_Fixed kItalicShear = 0x0366A;
// Simulated bold widens every glyph by one pixel (26.6 fixed point) and its advance with it.
constexpr FT_Pos kBoldWidening = 64;
constexpr int kGrayLevels = 16;
// How near a whole number of half-ems an advance must be to count as fixed pitch.
constexpr double kPitchTolerance = 0.02;

// Where a face lives on disk.
struct FaceLocation {
  std::string file;
  int index = 0;
};

bool FamilyMatches(FcPattern* match, const std::string& wanted) {
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(wanted.c_str())) == 0) {
      return true;
    }
  }
  return false;
}

// Asks fontconfig for a Japanese fixed-pitch face of the family. With mustMatch, a match of
// another family (fontconfig always offers something) counts as none.
bool MatchFace(const std::string& family, bool mustMatch, FaceLocation* out) {
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return false;
  if (!family.empty()) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  }
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  bool ok = !mustMatch || FamilyMatches(match, family);
  FcChar8* file = nullptr;
  int index = 0;
  if (ok && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    out->file = reinterpret_cast<const char*>(file);
    out->index = index;
  } else {
    ok = false;
  }
  FcPatternDestroy(match);
  return ok;
}

// Reads a character code of the font's character set as one Unicode character; 0 when the
// set does not hold it.
class CodeConverter {
 public:
  explicit CodeConverter(int charset)
      : cd_(iconv_open("UTF-32LE", charset == kCharsetHangul ? "CP949" : "CP932")) {}
  ~CodeConverter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  CodeConverter(const CodeConverter&) = delete;
  CodeConverter& operator=(const CodeConverter&) = delete;

  uint32_t ToUnicode(uint32_t code) {
    if (code > 0xFFFF) return 0;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return code < 0x80 ? code : 0;
    char bytes[2];
    size_t length = 0;
    if (code > 0xFF) bytes[length++] = static_cast<char>((code >> 8) & 0xFF);
    bytes[length++] = static_cast<char>(code & 0xFF);
    unsigned char out[8] = {};
    char* in = bytes;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = length;
    size_t outLeft = sizeof out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    const size_t r = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
    if (r == static_cast<size_t>(-1) || inLeft != 0 || sizeof out - outLeft != 4) return 0;
    return uint32_t{out[0]} | uint32_t{out[1]} << 8 | uint32_t{out[2]} << 16 |
           uint32_t{out[3]} << 24;
  }

 private:
  iconv_t cd_;
};

// Some faces draw their blank characters (the full-width space) as an empty contour, which
// renders to a box of blank pixels: such a glyph has no ink.
bool HasInk(const FT_Bitmap& bitmap) {
  const int pitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
  const int bytes = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (static_cast<int>(bitmap.width) + 7) / 8
                                                             : static_cast<int>(bitmap.width);
  for (unsigned y = 0; y < bitmap.rows; ++y) {
    const unsigned char* row = bitmap.buffer + static_cast<size_t>(y) * pitch;
    for (int x = 0; x < bytes; ++x) {
      if (row[x] != 0) return true;
    }
  }
  return false;
}

class FreeTypeFont final : public GlyphFont {
 public:
  FreeTypeFont(FT_Face face, const FontRequest& request, const TextMetrics& metrics, double em, bool bold)
      : face_(face),
        metrics_(metrics),
        halfEm_(em / 2),
        halfAdvance_(std::max(static_cast<int>(std::lround(em / 2)), 1)),
        bold_(bold),
        italic_(request.italic),
        converter_(request.charset) {}
  ~FreeTypeFont() override { FT_Done_Face(face_); }

  const TextMetrics& Metrics() const override { return metrics_; }

  int GetGlyph(uint32_t code, GlyphFormat format, GlyphMetrics* metrics, uint8_t* buffer,
               size_t bufferSize) override {
    std::lock_guard<std::mutex> lock(mutex_);
    *metrics = GlyphMetrics{};
    const uint32_t unicode = converter_.ToUnicode(code);
    const FT_UInt index = unicode == 0 ? 0 : FT_Get_Char_Index(face_, unicode);
    const bool mono = format == GlyphFormat::kBitmap1;
    const FT_Int32 loadFlags = FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Glyph(face_, index, loadFlags) != 0) return -1;
    FT_GlyphSlot slot = face_->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (italic_) {
        FT_Matrix shear = {0x10000, kItalicShear, 0, 0x10000};
        FT_Outline_Transform(&slot->outline, &shear);
      }
      if (bold_) FT_Outline_EmboldenXY(&slot->outline, kBoldWidening, 0);
    }
    if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) {
      return -1;
    }
    metrics->cellIncX = Advance(slot->linearHoriAdvance) + (bold_ ? 1 : 0);
    const FT_Bitmap& bitmap = slot->bitmap;
    const int width = static_cast<int>(bitmap.width);
    const int rows = static_cast<int>(bitmap.rows);
    if (width <= 0 || rows <= 0 || !HasInk(bitmap)) return 0;
    metrics->blackBoxX = width;
    metrics->blackBoxY = rows;
    metrics->originX = slot->bitmap_left;
    metrics->originY = slot->bitmap_top;
    const int rowBytes = GlyphRowBytes(format, width);
    const size_t size = static_cast<size_t>(rowBytes) * static_cast<size_t>(rows);
    if (buffer == nullptr || bufferSize < size) return static_cast<int>(size);
    std::memset(buffer, 0, size);
    const int pitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
    for (int y = 0; y < rows; ++y) {
      const int sourceRow = bitmap.pitch < 0 ? rows - 1 - y : y;
      const unsigned char* src = bitmap.buffer + static_cast<size_t>(sourceRow) * pitch;
      uint8_t* dst = buffer + static_cast<size_t>(y) * rowBytes;
      if (mono) {
        std::memcpy(dst, src, static_cast<size_t>((width + 7) / 8));
      } else {
        const int levels = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
        for (int x = 0; x < width; ++x) {
          dst[x] = static_cast<uint8_t>((src[x] * kGrayLevels + levels / 2) / levels);
        }
      }
    }
    return static_cast<int>(size);
  }

 private:
  // The pen advance of a character from its unhinted advance (16.16 pixels). Characters
  // one or two half-ems wide get exactly one or two rounded half-ems, so that full width
  // stays twice half width, as in a fixed-pitch face; hinting alone may break that by a
  // pixel.
  int32_t Advance(FT_Fixed linear) const {
    const double pixels = linear / 65536.0;
    const double halves = pixels / halfEm_;
    const long whole = std::lround(halves);
    if (whole >= 1 && std::abs(halves - whole) < kPitchTolerance) return static_cast<int32_t>(whole * halfAdvance_);
    return static_cast<int32_t>(std::lround(pixels));
  }

  std::mutex mutex_;
  FT_Face face_;
  TextMetrics metrics_;
  double halfEm_;
  int halfAdvance_;
  bool bold_;
  bool italic_;
  CodeConverter converter_;
};

class FreeTypeGlyphSource final : public GlyphSource {
 public:
  ~FreeTypeGlyphSource() override {
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }

  std::unique_ptr<GlyphFont> CreateFont(const FontRequest& request) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (library_ == nullptr && FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      return nullptr;
    }
    FaceLocation location;
    if (!Locate(request.faceName, &location)) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(library_, location.file.c_str(), location.index, &face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
      FT_Done_Face(face);
      return nullptr;
    }
    TextMetrics metrics;
    double em = 0;
    if (!SetSize(face, request.height, &metrics, &em)) {
      FT_Done_Face(face);
      return nullptr;
    }
    const bool bold = request.weight >= kBoldWeight && (face->style_flags & FT_STYLE_FLAG_BOLD) == 0;
    if (bold) {
      ++metrics.tmMaxCharWidth;
      ++metrics.tmAveCharWidth;
    }
    return std::make_unique<FreeTypeFont>(face, request, metrics, em, bold);
  }

 private:
  // The face file for a Shift-JIS face name, remembered per name.
  bool Locate(const std::string& faceName, FaceLocation* out) {
    auto known = faces_.find(faceName);
    if (known != faces_.end()) {
      *out = known->second;
      return true;
    }
    if (!fontconfigReady_) {
      if (!FcInit()) return false;
      fontconfigReady_ = true;
    }
    const bool named = !faceName.empty() && faceName != kDefaultFaceName;
    const bool found = (named && MatchFace(ShiftJisToUtf8(faceName), true, out)) ||
                       MatchFace(kFallbackFamily, true, out) ||
                       MatchFace(std::string(), false, out);
    if (found) faces_[faceName] = *out;
    return found;
  }

  // Sizes the face so that its Windows ascent and descent make up the cell height, as the
  // system's font mapper does for a positive height.
  static bool SetSize(FT_Face face, int height, TextMetrics* metrics, double* emOut) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    long ascent = face->ascender;
    long descent = -face->descender;
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      ascent = os2->usWinAscent;
      descent = os2->usWinDescent;
    }
    if (ascent + descent <= 0) return false;
    const double units = face->units_per_EM;
    double em;
    int cellHeight;
    if (height < 0) {
      em = -height;
      cellHeight = static_cast<int>(std::lround(em * static_cast<double>(ascent + descent) / units));
    } else {
      cellHeight = height == 0 ? kDefaultCellHeight : height;
      em = cellHeight * units / static_cast<double>(ascent + descent);
    }
    const FT_F26Dot6 em26 = static_cast<FT_F26Dot6>(std::lround(em * 64.0));
    if (em26 <= 0 || FT_Set_Char_Size(face, 0, em26, 72, 72) != 0) return false;
    const double scale = em / units;
    metrics->tmHeight = std::max(cellHeight, 1);
    metrics->tmAscent = std::clamp(static_cast<int>(std::lround(ascent * scale)), 0, metrics->tmHeight);
    metrics->tmDescent = metrics->tmHeight - metrics->tmAscent;
    // The widest character of a Japanese face is a full-width one: two rounded half-ems.
    const int fullWidth = 2 * std::max(static_cast<int>(std::lround(em / 2)), 1);
    metrics->tmMaxCharWidth = std::max(fullWidth, static_cast<int>(std::lround(face->max_advance_width * scale)));
    const double average = os2 != nullptr && os2->version != 0xFFFF && os2->xAvgCharWidth > 0
                               ? os2->xAvgCharWidth : face->max_advance_width / 2.0;
    metrics->tmAveCharWidth = static_cast<int>(std::lround(average * scale));
    *emOut = em;
    return true;
  }

  std::mutex mutex_;
  FT_Library library_ = nullptr;
  bool fontconfigReady_ = false;
  std::map<std::string, FaceLocation> faces_;
};

std::mutex gSourceMutex;
GlyphSource* gInstalled = nullptr;

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
#define GLYPH_SOURCE_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GLYPH_SOURCE_LEAK_CHECKED 1
#endif
#endif
#ifdef GLYPH_SOURCE_LEAK_CHECKED
// fontconfig keeps a cache of its own from the first font match to the end of the process
// with no pointer the leak checker can see; it is not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

int GlyphRowBytes(GlyphFormat format, int width) {
  if (width <= 0) return 0;
  const int bytes = format == GlyphFormat::kBitmap1 ? (width + 7) / 8 : width;
  return (bytes + 3) & ~3;
}

GlyphSource& GetGlyphSource() {
  // Never destroyed: fonts held in other static records may outlive any exit-time order.
  static FreeTypeGlyphSource* freeType = new FreeTypeGlyphSource;
  std::lock_guard<std::mutex> lock(gSourceMutex);
  return gInstalled != nullptr ? *gInstalled : *freeType;
}

void SetGlyphSource(GlyphSource* source) {
  std::lock_guard<std::mutex> lock(gSourceMutex);
  gInstalled = source;
}

}  // namespace platform
