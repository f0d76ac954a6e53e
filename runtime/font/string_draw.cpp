// Drawing a string with a font handle or the default font onto the current draw target.
#include "runtime/core/log.h"
#include "runtime/display/display_state.h"
#include "runtime/font/font.h"
#include "runtime/font/font_device.h"
#include "runtime/font/font_texture.h"

namespace rt {
namespace {

// The text rectangle reaches this far below the font size.
constexpr int kTextRectExtraHeight = 3;
constexpr int kBlendSubtract = 3;
// The device's adding factors with the blend parameter as alpha.
constexpr int kBlendAddAlpha = 5;

// The 3D device has no subtracting blend: the target is inverted, the text added and the
// result inverted back.
int DrawSubtractedTextureString(int x, int y, const char* text, uint32_t color, int font, uint32_t edgeColor,
                                int vertical, const RECT& textRect) {
  DrawState& state = GetDrawState();
  G_D3D_InvertStringRect(textRect);
  state.blendMode = kBlendAddAlpha;
  const int result = G_D3D_DrawString(x, y, text, color, font, edgeColor, vertical);
  state.blendMode = kBlendSubtract;
  G_D3D_InvertStringRect(textRect);
  return result;
}

}  // namespace

int DrawStringToHandle(int x, int y, const char* text, uint32_t color, int font, uint32_t edgeColor,
                       int vertical) {
  if (!text || !text[0] || font_device::DrawSuppressed() || font_device::DrawAreaEmpty()) return 0;
  const FontRecord* record = GetFontRecord(font);
  if (!record) return LogAdd("フォントハンドル値が異常です\n");
  // Key-input drawing turns new graphs away from textures for its boxes; a font whose glyphs
  // are in textures is still drawn through them, or its text would be lost.
  const bool direct3D = IsDirect3DStringPath(record) != 0;
  const RECT area = font_device::DrawArea();
  if (x >= area.right) return 0;
  const RECT textRect{x, y, area.right, y + record->size + kTextRectExtraHeight};
  const bool textureFont = direct3D && record->textureCache;
  // Texture text on a device target is masked as memory-cache text is.
  font_device::BeginStringDraw(textRect, true);
  int result;
  if (!direct3D) {
    result = font_device::DrawStringOnTarget(x, y, text, color, font, edgeColor, vertical);
  } else if (textureFont && GetDrawState().blendMode == kBlendSubtract) {
    result = DrawSubtractedTextureString(x, y, text, color, font, edgeColor, vertical, textRect);
  } else {
    result = G_D3D_DrawString(x, y, text, color, font, edgeColor, vertical);
  }
  font_device::EndStringDraw(textRect, true);
  return result;
}

int DrawStringImpl(int x, int y, const char* text, uint32_t color, uint32_t edgeColor) {
  RefreshDefaultFont();
  return DrawStringToHandle(x, y, text, color, GetDefaultFontHandle(), edgeColor, 0);
}

}  // namespace rt
