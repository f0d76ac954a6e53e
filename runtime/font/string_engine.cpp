// The text engine: character records, the glyphs they need, and the walk of the pen that
// measures a string or copies its cached glyphs into a software image.
#include <cstring>
#include <vector>

#include "runtime/core/startup.h"
#include "runtime/font/font.h"
#include "runtime/font/font_device.h"
#include "runtime/font/font_texture.h"
#include "runtime/font/glyph_blit.h"

namespace rt {
namespace {

constexpr int kMaxChannel = 255;

// The records of the string being drawn: one per character, so never more than its bytes.
std::vector<CharRecord> g_scratch;

int TextLength(const char* text, int length) {
  const int full = static_cast<int>(std::strlen(text));
  return length >= 0 && length < full ? length : full;
}

// Splits a screen colour, dims it by the draw brightness and packs it again.
void InkChannels(uint32_t color, uint32_t bright, int* r, int* g, int* b) {
  int cr = 0, cg = 0, cb = 0;
  font_device::SplitScreenColor(color, &cr, &cg, &cb);
  *r = cr * static_cast<int>((bright >> 16) & 0xFF) / kMaxChannel;
  *g = cg * static_cast<int>((bright >> 8) & 0xFF) / kMaxChannel;
  *b = cb * static_cast<int>(bright & 0xFF) / kMaxChannel;
}

}  // namespace

GlyphInk MakeGlyphInk(uint32_t color, uint32_t edgeColor) {
  const uint32_t bright = font_device::BrightColor();
  GlyphInk ink{};
  InkChannels(color, bright, &ink.textR, &ink.textG, &ink.textB);
  InkChannels(edgeColor, bright, &ink.edgeR, &ink.edgeG, &ink.edgeB);
  ink.textScreen = font_device::PackScreenColor(ink.textR, ink.textG, ink.textB);
  ink.edgeScreen = font_device::PackScreenColor(ink.edgeR, ink.edgeG, ink.edgeB);
  return ink;
}

int IsFontLeadByte(uint8_t byte, int charsetIndex) {
  if (charsetIndex == kFontCharsetHangul) return byte >= 0x80 ? 1 : 0;
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC) ? 1 : 0;
}

int CacheStringGlyphs(int font, const char* text, int length, CharRecord* records, int* count) {
  FontRecord* record = GetFontRecord(font);
  if (!record) return -1;
  const int len = text ? TextLength(text, length) : 0;
  if (!records) {
    if (g_scratch.size() < static_cast<size_t>(len) + 1) g_scratch.resize(static_cast<size_t>(len) + 1);
    records = g_scratch.data();
  }
  const GlyphCache& cache = record->cache;
  CharRecord misses[kCharMissListMax];
  int missCount = 0;
  int n = 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  for (int i = 0; i < len;) {
    CharRecord& character = records[n++];
    character.bytes[0] = bytes[i];
    character.bytes[2] = 0;
    // A lead byte at the end of the given length still takes its trail byte: the string
    // goes on (at worst its terminator).
    if (IsFontLeadByte(bytes[i], record->charsetIndex)) {
      character.bytes[1] = bytes[i + 1];
      i += bytes[i + 1] ? 2 : 1;
    } else {
      character.bytes[1] = 0;
      ++i;
    }
    const int code = GlyphCodeIndex(character);
    if (cache.codes[code].cached || missCount >= kCharMissListMax || missCount >= cache.cellCount) continue;
    // A character the string holds twice is rendered once.
    bool listed = false;
    for (int m = 0; m < missCount && !listed; ++m) listed = GlyphCodeIndex(misses[m]) == code;
    if (!listed) misses[missCount++] = character;
  }
  if (missCount > 0) CacheGlyphs(font, missCount, misses);
  if (count) *count = n;
  return 0;
}

int DrawCachedStringToHandle(int mode, int x, int y, int scaleFlag, double xScale, double yScale,
                             const char* text, uint32_t color, MEMIMG* target, const RECT* clip,
                             int keepBackground, int font, uint32_t edgeColor, int length, int vertical,
                             SIZE* blockSize) {
  if (font_device::DrawSuppressed() || font_device::DirectDrawObjectMissing()) return -1;
  FontRecord* record = GetFontRecord(font);
  if (!record) return -1;
  const bool scaled = mode == kStringModeDraw && scaleFlag && record->textureCache;
  if (!scaled) xScale = yScale = 1.0;
  const double scale = vertical ? yScale : xScale;

  const GlyphInk ink = MakeGlyphInk(color, edgeColor);
  if (!text || !text[0]) return 0;

  const int len = TextLength(text, length);
  int count = 0;
  CacheStringGlyphs(font, text, len, nullptr, &count);
  const CharRecord* records = g_scratch.data();

  // Memory-cache glyphs are copied into the target image; texture-cache glyphs become quads
  // on the 3D device.
  const bool drawing =
      mode == kStringModeDraw && !record->textureCache && target != nullptr && target->pixels != nullptr;
  RECT bounds{0, 0, 0, 0};
  if (drawing) bounds = clip ? *clip : RECT{0, 0, target->width, target->height};
  TextureStringDraw quads;
  if (mode == kStringModeDraw && record->textureCache) {
    quads.record = record;
    quads.textRgb = static_cast<uint32_t>(ink.textR << 16 | ink.textG << 8 | ink.textB);
    quads.edgeRgb = static_cast<uint32_t>(ink.edgeR << 16 | ink.edgeG << 8 | ink.edgeB);
    quads.clip = clip ? *clip : font_device::DrawArea();
    quads.xScale = xScale;
    quads.yScale = yScale;
    quads.vertical = vertical != 0;
    BeginTextureString(&quads);
  }
  GlyphPaint paint;
  const int cw = record->cellWidth;

  double pen = 0.0;
  for (int k = 0; k < count; ++k) {
    const CharRecord& character = records[k];
    const GlyphCodeEntry& entry = record->cache.codes[GlyphCodeIndex(character)];
    // A glyph pushed out of the cache by an earlier one of this string is rendered again,
    // when drawing as when measuring.
    const GlyphCell* cell = entry.cached ? entry.cell : CacheGlyphs(font, 1, &character);
    if (!cell) FatalExit("テキストキャッシュの作成に失敗しました");
    if (drawing && !IsBlankCharacter(character) && cell->blackBoxWidth > 0 && cell->blackBoxHeight > 0) {
      const GlyphCellImage glyph{record->cacheBuffer + static_cast<size_t>(cell->position) * cw * record->cacheRowBytes,
                                 record->cacheRowBytes, record->cacheBitsPerPixel, cell->blackBoxWidth,
                                 cell->blackBoxHeight};
      const int along = static_cast<int>(pen) + cell->xOffset;
      if (vertical) {
        BlitGlyphToMemImg(target, glyph, x + record->cellHeight - cell->yOffset - cell->blackBoxHeight, y + along,
                          true, bounds, keepBackground != 0, ink, &paint);
      } else {
        BlitGlyphToMemImg(target, glyph, x + along, y + cell->yOffset, false, bounds, keepBackground != 0, ink,
                          &paint);
      }
    }
    if (quads.ready && !IsBlankCharacter(character)) DrawTextureGlyph(&quads, *cell, x, y, pen);
    pen += (cell->advance + record->space) * scale;
  }
  EndTextureString(&quads);

  const int width = static_cast<int>(pen);
  if (blockSize) {
    blockSize->cx = vertical ? record->cellHeight : width;
    blockSize->cy = vertical ? width : record->cellHeight;
  }
  return width;
}

int GetDrawStringWidthToHandle(const char* text, int length, int font, int vertical) {
  return DrawCachedStringToHandle(kStringModeMeasure, 0, 0, 0, 1.0, 1.0, text, 0, nullptr, nullptr, 0, font, 0,
                                  length, vertical, nullptr);
}

}  // namespace rt
