#include "runtime/font/font_device.h"

#include "runtime/display/display_state.h"
#include "runtime/display/draw_backend.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/display/screen_flip.h"
#include "runtime/font/font.h"
#include "runtime/font/glyph_blit.h"
#include "runtime/image/color_format.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_data.h"

namespace rt::font_device {
namespace {

constexpr int kUnsetScreenWidth = 640;
constexpr int kUnsetScreenHeight = 480;
constexpr int kUnsetScreenBits = 16;

}  // namespace

bool DirectDrawObjectMissing() { return !IsGraphicsStarted(); }

int ScreenColorBits() { return GetScreenStateRecord().screenBits; }

void ScreenSize(int* width, int* height) {
  const ScreenState& screen = GetScreenStateRecord();
  *width = screen.screenWidth ? screen.screenWidth : kUnsetScreenWidth;
  *height = screen.screenHeight ? screen.screenHeight : kUnsetScreenHeight;
}

bool DrawSuppressed() { return GetDrawState().drawSuppressed != 0; }
bool DrawAreaEmpty() { return GetDrawState().drawAreaEmpty != 0; }
RECT DrawArea() { return GetDrawState().drawArea; }
uint32_t BrightColor() { return GetDrawState().brightColor; }

int SplitScreenColor(uint32_t color, int* r, int* g, int* b) { return GetColorComponents(color, r, g, b); }

uint32_t PackScreenColor(int r, int g, int b) { return GetColorImpl(r, g, b); }

int CreateDrawScreen(int alphaChannel, int* deletedFlag) {
  int width = 0, height = 0;
  ScreenSize(&width, &height);
  const int bits = ScreenColorBits();
  GraphCreateBytes create{};
  create.use3D = 0;
  create.alphaChannel = static_cast<uint8_t>(alphaChannel);
  create.drawValid = 0;
  create.systemMemoryImage = 1;
  create.alphaTest = 0;
  create.colorBitDepth = static_cast<uint8_t>(bits ? bits : kUnsetScreenBits);
  create.reserved = 0;
  create.palette = 0;
  const int surface = AddSurface2D(static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0, 0, -1, nullptr, 0,
                                   0, create);
  if (surface != -1) SetSurface2DDeleteFlag(surface, deletedFlag);
  return surface;
}

void DeleteDrawScreen(int surface) { DeleteSurface2D(surface); }

void DeleteCacheGraph(int graph) { DeleteGraphImpl(graph, 0); }

// The software screens' string draw of the display back end. Unblended plain text goes
// straight into the target; blended and anti-aliased text is drawn into the font's drawing
// screen first and copied from there with the draw state's blending, so that every glyph
// pixel is blended once.
int DrawStringOnTarget(int x, int y, const char* text, uint32_t color, int font, uint32_t edgeColor, int vertical) {
  if (GetDrawTarget().drawDisabled || !IsGraphicsStarted()) return -1;
  const FontRecord* record = GetFontRecord(font);
  if (!record) return -1;
  DrawState& state = GetDrawState();
  const bool antialiased = (record->fontType & kFontTypeAntialias) != 0;
  const bool unblended = state.blendMode == 0 || (state.blendMode == 1 && state.blendParam == 255);
  if ((ScreenColorBits() == 8 || (!antialiased && unblended)) && !IsSoftwareScreen()) {
    // A device target: the text goes into the target's prepared rectangle.
    SIZE measured{};
    if (DrawCachedStringToHandle(kStringModeMeasure, 0, 0, 0, 1.0, 1.0, text, 0, nullptr, nullptr, 0, font, 0, -1,
                                 vertical, &measured) < 0) {
      return -1;
    }
    const RECT box{x, y, x + measured.cx, y + measured.cy};
    uint32_t ink = color;
    uint32_t edge = edgeColor;
    if (BeginSoftDrawOnTarget(nullptr, 0, nullptr, &box, 1, &ink, &edge) < 0) return 0;
    const RECT clip = state.drawArea;
    const int drawn = DrawCachedStringToHandle(kStringModeDraw, x, y, 0, 1.0, 1.0, text, ink,
                                               GetSoftDrawState().drawImage, &clip, 0, font, edge, -1, vertical,
                                               nullptr);
    EndSoftDrawOnTarget();
    return drawn < 0 ? -1 : 0;
  }
  if (ScreenColorBits() == 8 || (!antialiased && unblended)) {
    MEMIMG* target = state.maskScreenInUse ? GetMaskMemImg() : GetDrawTarget().targetMemImg;
    const RECT clip = state.drawArea;
    return DrawCachedStringToHandle(kStringModeDraw, x, y, 0, 1.0, 1.0, text, color, target, &clip, 0, font,
                                    edgeColor, -1, vertical, nullptr) < 0
               ? -1
               : 0;
  }

  SIZE block{};
  if (DrawCachedStringToHandle(kStringModeMeasure, 0, 0, 0, 1.0, 1.0, text, 0, nullptr, nullptr, 0, font, 0, -1,
                               vertical, &block) < 0) {
    return -1;
  }
  if (SetupFontCacheToHandle(font) != 0) return -1;
  const Surface2D* surface = GetSurface2D(record->drawScreen);
  SurfaceData* data = surface ? GetSurfaceData(surface->surfaceData) : nullptr;
  if (!data || !data->software || !data->image.pixels) return -1;
  MEMIMG& work = data->image;

  const uint32_t savedBright = state.brightColor;
  const RECT savedArea = state.drawArea;
  const uint32_t savedKey = work.transparentColor;
  int screenWidth = 0, screenHeight = 0;
  ScreenSize(&screenWidth, &screenHeight);
  RECT workArea{0, 0, block.cx, block.cy};
  const RECT screen{0, 0, screenWidth, screenHeight};
  ClipRectImpl(&workArea, &screen);
  state.drawArea = workArea;
  // The background must differ from every pixel the text puts down (colour-keyed copy).
  uint32_t background = 0;
  if (!work.alphaFlag) {
    const GlyphInk ink = MakeGlyphInk(color, edgeColor);
    const uint32_t inks[2] = {GetColorFormatPixel(work.format, ink.textR, ink.textG, ink.textB, 255),
                              GetColorFormatPixel(work.format, ink.edgeR, ink.edgeG, ink.edgeB, 255)};
    const uint32_t pixelMask = MemImgBytesPerPixel(work.kind, work.paletteFlag, work.alphaFlag) == 2 ? 0xFFFFu : ~0u;
    background = savedKey & pixelMask;
    while (background == (inks[0] & pixelMask) || background == (inks[1] & pixelMask)) {
      background = (background + 1) & pixelMask;
    }
    work.transparentColor = background;
  }
  FillMemImg(&work, &workArea, background);
  const int drawn = DrawCachedStringToHandle(kStringModeDraw, 0, 0, 0, 1.0, 1.0, text, color, &work, &workArea, 0,
                                             font, edgeColor, -1, vertical, nullptr);
  int result = -1;
  if (drawn >= 0) {
    state.brightColor = 0xFFFFFF;
    RECT area{x, y, x + block.cx, y + block.cy};
    ClipRectImpl(&area, &savedArea);
    state.drawArea = area;
    G_DD_DrawGraph(x, y, record->drawScreen, 1);
    result = 0;
  }
  state.drawArea = savedArea;
  state.brightColor = savedBright;
  work.transparentColor = savedKey;
  return result;
}

namespace {

bool OnSoftwareFrontScreen() { return IsSoftwareScreen() && GetDrawState().drawScreen == kFrontScreen; }

}  // namespace

void BeginStringDraw(const RECT& textRect, bool memoryCacheFont) {
  if (OnSoftwareFrontScreen()) FetchFrontScreenFromWindow();
  if (GetDrawState().maskDrawActive && memoryCacheFont) {
    BeginMaskDrawRect(textRect.left, textRect.top, textRect.right, textRect.bottom);
  }
}

void EndStringDraw(const RECT& textRect, bool memoryCacheFont) {
  if (GetDrawState().maskDrawActive && memoryCacheFont) {
    EndMaskDrawRect(textRect.left, textRect.top, textRect.right, textRect.bottom);
  }
  if (OnSoftwareFrontScreen()) PresentFrontScreenRect(&textRect);
}

}  // namespace rt::font_device
