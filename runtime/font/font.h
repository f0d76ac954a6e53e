// Fonts and text: font handles (one platform font at a size, weight and character set, its
// cell metrics and its glyph cache), the glyph cache of fixed square cells reused round
// robin, and the text engine that measures Shift-JIS strings and copies cached glyphs to a
// software image.
#pragma once
#include <cstdint>

#include "runtime/image/graph_image.h"
#include "runtime/image/handle_table.h"
#include "runtime/image/memimg.h"
#include "runtime/image/rect.h"

namespace platform {
class GlyphFont;
}

namespace rt {

constexpr int kFontSlots = 40;
constexpr int kFontFaceNameSize = 256;
// Cells a cache may use; the cell array holds one more, whose position stays -1.
constexpr int kGlyphCellMax = 2024;
constexpr int kGlyphCodeCount = 65536;

// Font type bits.
constexpr int kFontTypeEdge = 1;
constexpr int kFontTypeAntialias = 2;

// Character-set indexes of a font.
constexpr int kFontCharsetDefault = 0;
constexpr int kFontCharsetShiftJis = 1;
constexpr int kFontCharsetHangul = 2;

// Defaults of a font request and of the default font.
constexpr int kDefaultFontSize = 16;
constexpr int kDefaultFontThickness = 6;
constexpr int kDefaultEdgeSize = 1;

struct GlyphCodeEntry;

struct GlyphCell {
  uint16_t used;
  int16_t xOffset;        // the glyph's origin x
  int16_t yOffset;        // rows from the cell top to the glyph's first row
  int16_t advance;        // pen movement, with 2 x edge size for edge fonts
  int32_t position;       // cell index in the cache page, fixed at initialisation
  int16_t blackBoxWidth;  // 0 x 0 for a glyph without ink
  int16_t blackBoxHeight;
  GlyphCodeEntry* codeEntry;  // the code entry that points here
};

struct GlyphCodeEntry {
  uint32_t cached;
  GlyphCell* cell;
};

struct GlyphCache {
  GlyphCell cells[kGlyphCellMax + 1];
  // Indexed by the character's two bytes read little-endian: first byte low, second high.
  GlyphCodeEntry codes[kGlyphCodeCount];
  int32_t nextCell;
  int32_t cellCount;
};

struct FontRecord {
  uint32_t check;
  int* deletedFlag;
  GlyphCache cache;
  // Memory cache: one column of cells, 1 or 8 bits per pixel.
  uint8_t* cacheBuffer;
  int32_t cacheRowBytes;
  int32_t cacheBitsPerPixel;
  char faceName[kFontFaceNameSize];  // empty when the default face was used
  int32_t thickness;  // the platform weight is thickness x 100
  int32_t size;       // pixel height asked for
  int32_t cellHeight;
  int32_t italic;
  int32_t space;      // extra pixels added to every advance
  int32_t cellWidth;
  platform::GlyphFont* font;
  int32_t fontType;
  int32_t charsetIndex;
  int32_t edgeSize;
  int32_t pageWidth;
  int32_t pageHeight;
  int32_t cellsPerColumn;
  int32_t drawScreen;          // 2D surface handle, -1 none
  int32_t drawScreenPending;   // also the 2D surface's deleted flag
  int32_t cacheGraph;          // -1 none
  int32_t edgeCacheGraph;      // -1 none
  int32_t cacheGraphPending;   // also the cache graph's deleted flag
  GraphImage glyphImage;       // texture glyphs are built here
  int32_t textureCache;        // 1: glyphs live in a texture graph, 0: in the memory cache
  int32_t ascent;              // the platform font's ascent (cell top to baseline)
};

struct DefaultFontSettings {
  char faceName[kFontFaceNameSize] = "";
  int32_t size = kDefaultFontSize;
  int32_t thickness = kDefaultFontThickness;
  int32_t fontType = 0;
  int32_t charsetIndex = kFontCharsetShiftJis;
  int32_t edgeSize = kDefaultEdgeSize;
  int32_t italic = 0;
  int32_t space = 0;
};

struct FontState {
  HandleTable<FontRecord> table{kHandleTypeFont, kFontSlots};
  uint32_t checkCounter = 0;
  int32_t textureCacheDisabled = 0;
  int32_t cacheSizeSetting = 0;  // cells; 0 = chosen from the cell size
  int32_t defaultFont = -1;
  DefaultFontSettings defaults;
};

FontState& GetFontState();

// ---- Font handles ----

// faceName null or empty: the default face. Arguments of -1 take their defaults; slot -1
// takes the first free slot and check -1 the next check value.
int CreateFontToHandle(const char* faceName, int size, int thickness, int fontType, int charsetIndex,
                       int edgeSize, int italic, int slot, int check);
int DeleteFontToHandle(int font);
FontRecord* GetFontRecord(int font);
int CheckFontHandleValid(int font);
int GetFontSizeToHandle(int font);
// Each out may be null; the name buffer holds kFontFaceNameSize bytes.
int GetFontStateToHandle(char* faceName, int* size, int* thickness, int font);
int SetFontSpaceToHandle(int space, int font);
int SetFontDeleteFlag(int font, int* flag);
int GetDefaultFontHandle();
int RefreshDefaultFont();
int SetDefaultFontState(const char* faceName, int size, int thickness);
int SetFontSizeImpl(int size);
int SetFontThicknessImpl(int thickness);
// The default font's settings as graphics start-up sets them (size 16, thickness 6, ...).
void ResetDefaultFontSettings();
int InitFontSystem();
int RecreateAllFonts();
// Deletes every font (graphics end).
int DeleteAllFonts();

// The cell metrics of a font from its text metrics.
void ComputeFontCellSize(int maxCharWidth, int height, int fontType, int edgeSize, int* cellWidth,
                         int* cellHeight);
// The number of cells of a memory cache.
int MemoryCacheCellCount(int cellWidth, int cacheSizeSetting);

// ---- Glyph cache ----

// One character of a string: first byte, second byte (0 for a single-byte character), and
// a third byte that is always 0.
struct CharRecord {
  uint8_t bytes[3];
};

constexpr int kCharMissListMax = 256;

int InitFontCache(int font);
// Renders the characters into cells; the cell of the last one, or null.
GlyphCell* CacheGlyphs(int font, int count, const CharRecord* records);
int SetupFontCacheToHandle(int font);
// The code-table index of a character.
inline int GlyphCodeIndex(const CharRecord& record) { return record.bytes[0] | (record.bytes[1] << 8); }
// The half-width and the full-width space: an advance and no glyph.
inline bool IsBlankCharacter(const CharRecord& record) {
  return (record.bytes[0] == 0x20 && record.bytes[1] == 0) || (record.bytes[0] == 0x81 && record.bytes[1] == 0x40);
}

// ---- String drawing and width ----

struct SIZE {
  int32_t cx;
  int32_t cy;
};

constexpr int kStringModeMeasure = 0;
constexpr int kStringModeDraw = 1;

// 1 when the byte starts a double-byte character in the font's character set.
int IsFontLeadByte(uint8_t byte, int charsetIndex);
// records: room for one record per byte of the text, or null for the library's scratch array.
int CacheStringGlyphs(int font, const char* text, int length, CharRecord* records, int* count);
// The text engine of every display path: measures (mode 0) or draws (mode 1) the string.
// Memory-cache fonts draw into target (null: nothing is drawn), clipped to clip and to the
// target. keepBackground 0 writes 0 over the empty glyph pixels of a target with alpha.
// Returns the width (the final pen position), -1 when nothing can be drawn.
int DrawCachedStringToHandle(int mode, int x, int y, int scaleFlag, double xScale, double yScale,
                             const char* text, uint32_t color, MEMIMG* target, const RECT* clip,
                             int keepBackground, int font, uint32_t edgeColor, int length, int vertical,
                             SIZE* blockSize);
int GetDrawStringWidthToHandle(const char* text, int length, int font, int vertical);
int DrawStringToHandle(int x, int y, const char* text, uint32_t color, int font, uint32_t edgeColor,
                       int vertical);
int DrawStringImpl(int x, int y, const char* text, uint32_t color, uint32_t edgeColor);

}  // namespace rt
