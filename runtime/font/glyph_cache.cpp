#include <cstring>

#include "platform/glyph_source.h"
#include "runtime/core/memory.h"
#include "runtime/core/startup.h"
#include "runtime/font/font.h"
#include "runtime/font/font_device.h"
#include "runtime/font/font_texture.h"
#include "runtime/font/glyph_render.h"

namespace rt {
namespace {

// Texture glyphs are rendered as one byte of levels per pixel before they become texels.
constexpr int kLevelBitsPerPixel = 8;

// Takes the next cell for a character, forgetting the character it held before.
GlyphCell* ClaimCell(GlyphCache& cache, int codeIndex) {
  GlyphCell* cell = &cache.cells[cache.nextCell];
  if (cell->used && cell->codeEntry) {
    cell->codeEntry->cached = 0;
    cell->codeEntry->cell = nullptr;
  }
  GlyphCodeEntry* entry = &cache.codes[codeIndex];
  // A character cached again drops its older cell, which would otherwise later forget it.
  if (entry->cached && entry->cell && entry->cell != cell) {
    entry->cell->used = 0;
    entry->cell->codeEntry = nullptr;
  }
  entry->cached = 1;
  entry->cell = cell;
  cell->used = 1;
  cell->codeEntry = entry;
  cell->xOffset = 0;
  cell->yOffset = 0;
  cell->advance = 0;
  cell->blackBoxWidth = 0;
  cell->blackBoxHeight = 0;
  return cell;
}

void CacheOneGlyph(FontRecord* record, GlyphCell* cell, const CharRecord& character) {
  const int cw = record->cellWidth;
  const int edge = (record->fontType & kFontTypeEdge) ? record->edgeSize : 0;
  const bool texture = record->textureCache != 0;
  // The texture cache builds the cell in a levels buffer, the memory cache in its own rows.
  uint8_t* levels = nullptr;
  uint8_t* cellRows;
  int rowBytes, bitsPerPixel;
  if (texture) {
    levels = static_cast<uint8_t*>(RT_ALLOC_ZERO(static_cast<size_t>(cw) * cw));
    if (!levels) FatalExit("アンチエイリアス文字取得用バッファの確保に失敗しました");
    cellRows = levels;
    rowBytes = cw;
    bitsPerPixel = kLevelBitsPerPixel;
  } else {
    cellRows = record->cacheBuffer + static_cast<size_t>(cell->position) * cw * record->cacheRowBytes;
    rowBytes = record->cacheRowBytes;
    bitsPerPixel = record->cacheBitsPerPixel;
    std::memset(cellRows, 0, static_cast<size_t>(cw) * rowBytes);
  }
  struct LevelsOwner {
    uint8_t* p;
    ~LevelsOwner() { MemFree(p); }
  } owner{levels};

  const platform::GlyphFormat format =
      (record->fontType & kFontTypeAntialias) ? platform::GlyphFormat::kGray17 : platform::GlyphFormat::kBitmap1;
  const uint32_t code = character.bytes[1] ? (uint32_t{character.bytes[0]} << 8) | character.bytes[1]
                                           : character.bytes[0];
  platform::GlyphMetrics metrics;
  const int size = record->font->GetGlyph(code, format, &metrics, nullptr, 0);
  if (size < 0) FatalExit("GetGlyphOutline 関数が失敗しました");
  cell->advance = static_cast<int16_t>(metrics.cellIncX + 2 * edge);
  if (IsBlankCharacter(character) || size == 0 || metrics.blackBoxX <= 0 || metrics.blackBoxY <= 0) return;

  auto* buffer = static_cast<uint8_t*>(RT_ALLOC(static_cast<size_t>(size)));
  if (!buffer) FatalExit("アンチエイリアス文字取得用バッファの確保に失敗しました");
  if (record->font->GetGlyph(code, format, &metrics, buffer, static_cast<size_t>(size)) < 0) {
    FatalExit("GetGlyphOutline 関数が失敗しました");
  }
  const GlyphBitmap glyph{buffer, platform::GlyphRowBytes(format, metrics.blackBoxX), metrics.blackBoxX,
                          metrics.blackBoxY, format};
  const CellGlyphBox box = RenderGlyphToCell(glyph, record->fontType, edge, cw, record->ascent - metrics.originY,
                                             cellRows, rowBytes, bitsPerPixel);
  MemFree(buffer);
  if (texture) StoreTextureGlyph(record, *cell, levels, rowBytes);
  cell->xOffset = static_cast<int16_t>(metrics.originX);
  cell->yOffset = static_cast<int16_t>(box.yOffset);
  cell->blackBoxWidth = static_cast<int16_t>(box.width);
  cell->blackBoxHeight = static_cast<int16_t>(box.height);
}

}  // namespace

int InitFontCache(int font) {
  FontRecord* record = GetFontRecord(font);
  if (!record) return -1;
  GlyphCache& cache = record->cache;
  std::memset(cache.cells, 0, sizeof cache.cells);
  std::memset(cache.codes, 0, sizeof cache.codes);
  for (int i = 0; i < cache.cellCount; ++i) cache.cells[i].position = i;
  cache.cells[cache.cellCount].position = -1;
  cache.nextCell = 0;
  return 0;
}

GlyphCell* CacheGlyphs(int font, int count, const CharRecord* records) {
  if (font_device::DrawSuppressed() || font_device::DirectDrawObjectMissing()) return nullptr;
  FontRecord* record = GetFontRecord(font);
  if (!record || !record->font || record->cache.cellCount <= 0) return nullptr;
  if (record->textureCache ? !record->glyphImage.pixels : !record->cacheBuffer) return nullptr;
  GlyphCache& cache = record->cache;
  GlyphCell* last = nullptr;
  for (int i = 0; i < count; ++i) {
    GlyphCell* cell = ClaimCell(cache, GlyphCodeIndex(records[i]));
    CacheOneGlyph(record, cell, records[i]);
    last = cell;
    cache.nextCell = (cache.nextCell + 1) % cache.cellCount;
  }
  return last;
}

int SetupFontCacheToHandle(int font) {
  FontRecord* record = GetFontRecord(font);
  if (!record) return -1;
  if (record->drawScreenPending) {
    record->drawScreenPending = 0;
    const int screen = font_device::CreateDrawScreen((record->fontType & kFontTypeAntialias) ? 1 : 0,
                                                     &record->drawScreenPending);
    if (screen == -1) {
      // Still pending: the next use tries again.
      record->drawScreenPending = 1;
      record->drawScreen = -1;
      return -1;
    }
    record->drawScreen = screen;
  }
  if (record->cacheGraphPending && SetupTextureCacheGraph(font) != 0) return -1;
  return 0;
}

}  // namespace rt
