#include "runtime/font/key_input_canvas.h"

#include "runtime/display/display_state.h"
#include "runtime/display/draw_primitives.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/font/font.h"
#include "runtime/image/graph_table.h"
#include "runtime/input/key_input_draw.h"

namespace rt {
namespace {

// -1 names the default font, made when it is missing or out of date.
int FontOrDefault(int font) {
  if (font != -1) return font;
  RefreshDefaultFont();
  return GetDefaultFontHandle();
}

class FontKeyInputCanvas final : public KeyInputCanvas {
 public:
  uint32_t Color(int r, int g, int b) override { return GetColorImpl(r, g, b); }

  int FontSize(int font) override { return GetFontSizeToHandle(FontOrDefault(font)); }

  int StringWidth(const char* text, int bytes, int font) override {
    return GetDrawStringWidthToHandle(text, bytes, FontOrDefault(font), 0);
  }

  KeyInputArea DrawArea() override {
    const RECT& area = GetDrawState().drawArea;
    return KeyInputArea{area.left, area.top, area.right, area.bottom};
  }

  void DrawBox(int x1, int y1, int x2, int y2, uint32_t color, bool fill) override {
    DrawBoxImpl(x1, y1, x2, y2, color, fill ? 1 : 0);
  }

  void DrawString(int x, int y, const char* text, uint32_t color, uint32_t edgeColor, int font) override {
    DrawStringToHandle(x, y, text, color, FontOrDefault(font), edgeColor, 0);
  }

  int Swap3DFlag(int flag) override {
    GraphSettings& settings = GetGraphManager().settings;
    const int previous = settings.use3D;
    settings.use3D = flag;
    return previous;
  }
};

FontKeyInputCanvas g_canvas;

}  // namespace

void InstallKeyInputCanvas() { SetKeyInputCanvas(&g_canvas); }

}  // namespace rt
