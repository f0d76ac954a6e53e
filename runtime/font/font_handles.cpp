#include "runtime/font/font.h"

#include <cstring>
#include <memory>

#include "platform/glyph_source.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/font/font_device.h"
#include "runtime/font/font_texture.h"

namespace rt {
namespace {

FontState g_fonts;

// This platform's system code page; the Hangul character set is the default only where it
// is 949.
constexpr int kOemCodePage = 932;
constexpr int kHangulCodePage = 949;
// The system's default Japanese face; the glyph source maps it to the installed Gothic.
constexpr char kDefaultFaceName[] = "ＭＳ ゴシック";
constexpr int kWeightPerThickness = 100;
constexpr int kCellWidthAlign = 8;
// The memory cache aims at this many pixels (cell width squared per cell).
constexpr int kMemoryCacheBudget = 0x50000;
constexpr int kMemoryCacheMinCells = 20;
// A cache bigger than this is refused as an allocation failure: the sizes come from the
// caller, and the cell fields are 16 bits wide.
constexpr int64_t kMaxCacheBytes = int64_t{1} << 28;
constexpr int kMaxCellWidth = 4096;

int PlatformCharset(int charsetIndex) {
  switch (charsetIndex) {
    case kFontCharsetShiftJis:
      return platform::kCharsetShiftJis;
    case kFontCharsetHangul:
      return platform::kCharsetHangul;
    default:
      return platform::kCharsetDefault;
  }
}

platform::GlyphFont* TryCreateFont(const char* face, int size, int thickness, int italic, int charset) {
  platform::FontRequest request;
  request.faceName = face ? face : "";
  request.height = size;
  request.weight = thickness * kWeightPerThickness;
  request.italic = italic != 0;
  request.charset = charset;
  return platform::GetGlyphSource().CreateFont(request).release();
}

// Frees everything a record holds and the record itself, and empties its slot.
void DestroyFont(int slot) {
  FontRecord* record = g_fonts.table.At(slot);
  if (!record) return;
  delete record->font;
  record->font = nullptr;
  if (record->cacheBuffer) MemFree(record->cacheBuffer);
  record->cacheBuffer = nullptr;
  // A pending screen was already deleted by the graph layer; its handle is stale.
  if (record->drawScreen != -1 && !record->drawScreenPending) font_device::DeleteDrawScreen(record->drawScreen);
  record->drawScreen = -1;
  if (record->edgeCacheGraph != -1) font_device::DeleteCacheGraph(record->edgeCacheGraph);
  // A pending cache graph was deleted by the graph layer already.
  if (record->cacheGraph != -1 && !record->cacheGraphPending) font_device::DeleteCacheGraph(record->cacheGraph);
  record->edgeCacheGraph = -1;
  record->cacheGraph = -1;
  if (record->glyphImage.pixels) MemFree(record->glyphImage.pixels);
  record->glyphImage.pixels = nullptr;
  NotifyHandleDeleted(record);
  g_fonts.table.Remove(slot);
  MemFree(record);
}

int FailCreate(int slot) {
  if (FontRecord* record = g_fonts.table.At(slot)) record->check = 0;
  DestroyFont(slot);
  return -1;
}

// The platform font of a request, with the fall-backs of a named and of the default face.
platform::GlyphFont* CreatePlatformFont(FontRecord* record, const char* faceName, int charsetIndex) {
  const int charset = PlatformCharset(charsetIndex);
  platform::GlyphFont* font = nullptr;
  if (faceName && faceName[0]) {
    std::strncpy(record->faceName, faceName, kFontFaceNameSize - 1);
    record->faceName[kFontFaceNameSize - 1] = '\0';
    font = TryCreateFont(faceName, record->size, record->thickness, record->italic, charset);
    if (!font) font = TryCreateFont(faceName, record->size, record->thickness, record->italic, platform::kCharsetDefault);
    if (!font) font = TryCreateFont(faceName, record->size, record->thickness, record->italic, platform::kCharsetShiftJis);
    if (!font) LogAdd("指定のフォントの作成に失敗しました\n");
    return font;
  }
  font = TryCreateFont(kDefaultFaceName, record->size, record->thickness, record->italic, charset);
  if (!font) font = TryCreateFont(kDefaultFaceName, record->size, record->thickness, 0, platform::kCharsetDefault);
  if (!font) font = TryCreateFont(nullptr, record->size, record->thickness, 0, platform::kCharsetDefault);
  if (!font) LogAdd("フォントの作成に失敗しました\n");
  return font;
}

int SetupMemoryCache(FontRecord* record) {
  const int cw = record->cellWidth;
  const int cells = MemoryCacheCellCount(cw, g_fonts.cacheSizeSetting);
  record->cacheBitsPerPixel = record->fontType == 0 ? 1 : 8;
  record->cache.cellCount = cells;
  record->cellsPerColumn = cells;
  record->pageWidth = cw;
  record->pageHeight = cells * cw;
  record->cacheRowBytes = (cw * record->cacheBitsPerPixel + 7) / 8;
  const int64_t bytes = int64_t{record->pageHeight} * record->cacheRowBytes;
  record->cacheBuffer = bytes <= kMaxCacheBytes ? static_cast<uint8_t*>(RT_ALLOC_ZERO(static_cast<size_t>(bytes))) : nullptr;
  if (!record->cacheBuffer) {
    return LogAdd("フォントのキャッシュ用メモリの確保に失敗しました in CreateFontToHandle");
  }
  return 0;
}

}  // namespace

FontState& GetFontState() { return g_fonts; }

void ComputeFontCellSize(int maxCharWidth, int height, int fontType, int edgeSize, int* cellWidth,
                         int* cellHeight) {
  const int edge = (fontType & kFontTypeEdge) ? 2 * edgeSize : 0;
  int width = maxCharWidth + 2 + edge;
  width = (width + kCellWidthAlign - 1) / kCellWidthAlign * kCellWidthAlign;
  int h = height + edge;
  if (h & 1) ++h;
  if (width < h) width = h;
  *cellWidth = width;
  *cellHeight = h;
}

int MemoryCacheCellCount(int cellWidth, int cacheSizeSetting) {
  int cells;
  if (cacheSizeSetting > 0) {
    cells = cacheSizeSetting;
  } else {
    cells = kMemoryCacheBudget / (cellWidth * cellWidth);
    if (cells < kMemoryCacheMinCells) cells = kMemoryCacheMinCells;
  }
  return cells > kGlyphCellMax ? kGlyphCellMax : cells;
}

int CreateFontToHandle(const char* faceName, int size, int thickness, int fontType, int charsetIndex,
                       int edgeSize, int italic, int slot, int check) {
  if (font_device::DirectDrawObjectMissing()) return -1;

  if (fontType == -1) fontType = 0;
  if (edgeSize > 1) fontType |= kFontTypeEdge;
  if (size == -1) size = kDefaultFontSize;
  if (thickness == -1) thickness = kDefaultFontThickness;
  if (edgeSize == -1) edgeSize = kDefaultEdgeSize;
  if (edgeSize < 0) edgeSize = 0;
  if (charsetIndex == -1) charsetIndex = kOemCodePage == kHangulCodePage ? kFontCharsetHangul : kFontCharsetShiftJis;

  HandleTable<FontRecord>& table = g_fonts.table;
  if (slot != -1) {
    if (slot < 0 || slot >= kFontSlots || table.At(slot)) return -1;
  } else {
    slot = table.FirstFreeSlot();
    if (slot < 0) return LogAddFormat("作成できるフォントハンドル数 %d の限界を超えました", kFontSlots);
  }

  auto* record = static_cast<FontRecord*>(RT_ALLOC_ZERO(sizeof(FontRecord)));
  if (!record) return LogAdd("フォント管理用メモリ領域の確保に失敗しました\n");
  table.Insert(slot, record);
  // The table's own counter is not used: a font re-created in place keeps its check value.
  if (check != -1) {
    record->check = static_cast<uint32_t>(check) % kHandleCheckCount;
  } else {
    record->check = g_fonts.checkCounter;
    g_fonts.checkCounter = (g_fonts.checkCounter + 1) % kHandleCheckCount;
  }
  const int handle = table.HandleAt(slot);

  record->drawScreen = -1;
  record->cacheGraph = -1;
  record->edgeCacheGraph = -1;
  if (font_device::ScreenColorBits() == 8) fontType &= ~kFontTypeAntialias;
  record->edgeSize = edgeSize;
  record->fontType = fontType;
  record->size = size;
  record->thickness = thickness;
  record->italic = italic;
  record->space = 0;
  // Glyphs are cached in textures on the 3D device with its 4:4:4:4 and 1:5:5:5 formats.
  record->textureCache = CanCacheGlyphsInTextures();

  record->font = CreatePlatformFont(record, faceName, charsetIndex);
  if (!record->font) return FailCreate(slot);

  const platform::TextMetrics& metrics = record->font->Metrics();
  if (metrics.tmMaxCharWidth > kMaxCellWidth || metrics.tmHeight > kMaxCellWidth ||
      ((fontType & kFontTypeEdge) && edgeSize > kMaxCellWidth)) {
    LogAdd("フォントのキャッシュ用メモリの確保に失敗しました in CreateFontToHandle");
    return FailCreate(slot);
  }
  ComputeFontCellSize(metrics.tmMaxCharWidth, metrics.tmHeight, fontType, edgeSize, &record->cellWidth,
                      &record->cellHeight);
  record->ascent = metrics.tmAscent;

  if (record->textureCache) {
    const TextureCachePage page = ComputeTextureCachePage(record->cellWidth, g_fonts.cacheSizeSetting);
    record->pageWidth = page.width;
    record->pageHeight = page.height;
    record->cache.cellCount = page.cells;
    record->cellsPerColumn = page.height / record->cellWidth;
    record->cacheGraphPending = 1;
    if (page.cells > 0 && SetupFontCacheToHandle(handle) == 0) {
      if (AllocateGlyphImage(record) != 0) {
        LogAdd("文字キャッシュ処理用メモリの確保に失敗しました\n");
        return FailCreate(slot);
      }
    } else {
      LogAdd("テクスチャ文字キャッシュの作成に失敗しました\n");
      // A graph made before the failure goes; the memory cache takes over.
      if (record->cacheGraph != -1) font_device::DeleteCacheGraph(record->cacheGraph);
      record->cacheGraph = -1;
      record->cacheGraphPending = 0;
      record->textureCache = 0;
    }
  }
  if (!record->textureCache) {
    if (SetupMemoryCache(record) != 0) return FailCreate(slot);
    record->drawScreenPending = 1;
    if (SetupFontCacheToHandle(handle) != 0) {
      LogAdd("フォント用描画スクリーンの作成に失敗しました\n");
      return FailCreate(slot);
    }
  }

  InitFontCache(handle);
  record->charsetIndex = charsetIndex;
  record->deletedFlag = nullptr;
  return handle;
}

int DeleteFontToHandle(int font) {
  if (!g_fonts.table.Find(font)) return -1;
  DestroyFont(HandleSlot(font));
  return 0;
}

FontRecord* GetFontRecord(int font) { return g_fonts.table.Find(font); }

int CheckFontHandleValid(int font) { return GetFontRecord(font) ? 1 : 0; }

int GetFontSizeToHandle(int font) {
  const FontRecord* record = GetFontRecord(font);
  return record ? record->size : -1;
}

int GetFontStateToHandle(char* faceName, int* size, int* thickness, int font) {
  const FontRecord* record = GetFontRecord(font);
  if (!record) return -1;
  if (faceName) std::memcpy(faceName, record->faceName, kFontFaceNameSize);
  if (size) *size = record->size;
  if (thickness) *thickness = record->thickness;
  return 0;
}

int SetFontSpaceToHandle(int space, int font) {
  FontRecord* record = GetFontRecord(font);
  if (!record) return -1;
  record->space = space;
  return 0;
}

int SetFontDeleteFlag(int font, int* flag) { return SetHandleDeleteFlag(g_fonts.table, font, flag); }

int GetDefaultFontHandle() { return g_fonts.defaultFont; }

int RefreshDefaultFont() {
  const DefaultFontSettings& d = g_fonts.defaults;
  if (const FontRecord* record = GetFontRecord(g_fonts.defaultFont)) {
    if (std::strcmp(record->faceName, d.faceName) == 0 && record->fontType == d.fontType &&
        record->size == d.size && record->thickness == d.thickness && record->charsetIndex == d.charsetIndex &&
        record->edgeSize == d.edgeSize && record->italic == d.italic) {
      return 0;
    }
    DeleteFontToHandle(g_fonts.defaultFont);
  }
  g_fonts.defaultFont = CreateFontToHandle(d.faceName[0] ? d.faceName : nullptr, d.size, d.thickness, d.fontType,
                                           d.charsetIndex, (d.fontType & kFontTypeEdge) ? d.edgeSize : -1,
                                           d.italic, -1, -1);
  SetFontSpaceToHandle(d.space, g_fonts.defaultFont);
  return 0;
}

int SetDefaultFontState(const char* /*faceName*/, int size, int thickness) {
  if (font_device::DirectDrawObjectMissing()) return -1;
  g_fonts.defaults.size = size == -1 ? kDefaultFontSize : size;
  g_fonts.defaults.thickness = thickness == -1 ? kDefaultFontThickness : thickness;
  RefreshDefaultFont();
  return 0;
}

int SetFontSizeImpl(int size) {
  g_fonts.defaults.size = size == -1 ? kDefaultFontSize : size;
  RefreshDefaultFont();
  return 0;
}

int SetFontThicknessImpl(int thickness) {
  g_fonts.defaults.thickness = thickness == -1 ? kDefaultFontThickness : thickness;
  RefreshDefaultFont();
  return 0;
}

void ResetDefaultFontSettings() {
  g_fonts.defaults = DefaultFontSettings{};
  g_fonts.defaults.charsetIndex = kOemCodePage == kHangulCodePage ? kFontCharsetHangul : kFontCharsetShiftJis;
}

int DeleteAllFonts() {
  for (int slot = 0; slot < kFontSlots; ++slot) DestroyFont(slot);
  return 0;
}

int InitFontSystem() {
  if (font_device::DirectDrawObjectMissing()) return -1;
  LogAdd("フォントの初期化を行います\n");
  LogIndentIncrease();
  char face[kFontFaceNameSize] = "";
  int size = -1, thickness = -1, fontType = -1, charsetIndex = -1, edgeSize = -1, italic = 0;
  if (const FontRecord* record = GetFontRecord(g_fonts.defaultFont)) {
    std::memcpy(face, record->faceName, sizeof face);
    size = record->size;
    thickness = record->thickness;
    fontType = record->fontType;
    charsetIndex = record->charsetIndex;
    edgeSize = record->edgeSize;
    italic = record->italic;
  } else {
    size = kDefaultFontSize;
    thickness = kDefaultFontThickness;
  }
  DeleteAllFonts();
  g_fonts.defaultFont =
      CreateFontToHandle(face[0] ? face : nullptr, size, thickness, fontType, charsetIndex, edgeSize, italic, -1, -1);
  LogIndentDecrease();
  LogAdd("フォントの初期化は正常に終了しました\n");
  return 0;
}

int RecreateAllFonts() {
  for (int slot = 0; slot < kFontSlots; ++slot) {
    FontRecord* record = g_fonts.table.At(slot);
    if (!record) continue;
    char face[kFontFaceNameSize];
    std::memcpy(face, record->faceName, sizeof face);
    const int size = record->size, thickness = record->thickness, fontType = record->fontType;
    const int charsetIndex = record->charsetIndex, edgeSize = record->edgeSize, italic = record->italic;
    const int space = record->space;
    const int check = static_cast<int>(record->check);
    // The font lives on under its handle, so its owner is not told of a deletion; only a
    // font that cannot be made again counts as deleted.
    int* ownerFlag = record->deletedFlag;
    record->deletedFlag = nullptr;
    DestroyFont(slot);
    const int handle = CreateFontToHandle(face[0] ? face : nullptr, size, thickness, fontType, charsetIndex,
                                          edgeSize, italic, slot, check);
    if (handle == -1) {
      if (ownerFlag) *ownerFlag = 1;
      continue;
    }
    SetFontSpaceToHandle(space, handle);
    GetFontRecord(handle)->deletedFlag = ownerFlag;
  }
  return 0;
}

}  // namespace rt
