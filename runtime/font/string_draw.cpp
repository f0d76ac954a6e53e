// Drawing a string with a font handle or the default font onto the current draw target.
#include "runtime/core/log.h"
#include "runtime/font/font.h"
#include "runtime/font/font_device.h"

namespace rt {
namespace {

// The text rectangle reaches this far below the font size.
constexpr int kTextRectExtraHeight = 3;

}  // namespace

int DrawStringToHandle(int x, int y, const char* text, uint32_t color, int font, uint32_t edgeColor,
                       int vertical) {
  if (!text || !text[0] || font_device::DrawSuppressed() || font_device::DrawAreaEmpty()) return 0;
  const FontRecord* record = GetFontRecord(font);
  if (!record) return LogAdd("フォントハンドル値が異常です\n");
  const RECT area = font_device::DrawArea();
  if (x >= area.right) return 0;
  const RECT textRect{x, y, area.right, y + record->size + kTextRectExtraHeight};
  const bool memoryCache = record->textureCache == 0;
  font_device::BeginStringDraw(textRect, memoryCache);
  const int result = font_device::DrawStringOnTarget(x, y, text, color, font, edgeColor, vertical);
  font_device::EndStringDraw(textRect, memoryCache);
  return result;
}

int DrawStringImpl(int x, int y, const char* text, uint32_t color, uint32_t edgeColor) {
  RefreshDefaultFont();
  return DrawStringToHandle(x, y, text, color, GetDefaultFontHandle(), edgeColor, 0);
}

}  // namespace rt
