#include "runtime/font/font_texture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_state.h"
#include "runtime/font/font_device.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"

namespace rt {
namespace {

constexpr int kDefaultPageSide = 512;
constexpr int kMinPageSide = 8;
constexpr int kMinTextureCells = 10;
// A page bigger than this is refused (the font then keeps a memory cache): the cell size
// comes from the caller.
constexpr int64_t kMaxPageTexels = int64_t{1} << 24;
constexpr int kLevelMask = 0x0F;
constexpr int kLevelShift = 4;
constexpr int kFullLevel = 15;
// Flags of a glyph quad's draw state: transparent and whole-pixel coordinates; the Z
// settings when the Z buffer is in use.
constexpr int kGlyphDrawFlags = 1 | 2;
constexpr int kUseZFlag = 4;
// The device's inverting factors: a white source turns the target into its complement.
constexpr int kBlendInvert = 3;
constexpr uint32_t kWhite = 0xFFFFFF;

int MaskWidth(uint32_t mask) { return __builtin_popcount(mask); }

bool Is16BitFormat(const TextureFormatRecord& record, int alpha, int rgb) {
  const platform::DevicePixelFormat& f = record.format;
  return record.filled && f.bits == 16 && MaskWidth(f.alphaMask) == alpha && MaskWidth(f.redMask) == rgb &&
         MaskWidth(f.greenMask) == rgb && MaskWidth(f.blueMask) == rgb;
}

// A texel of the cache: white, with the level (0..15) as its alpha.
uint16_t GlyphTexel(const ColorFormat& format, int level) {
  const uint32_t white = format.redMask | format.greenMask | format.blueMask;
  const uint32_t alphaMax = format.alphaWidth ? (1u << format.alphaWidth) - 1 : 0;
  const uint32_t alpha = (static_cast<uint32_t>(level) * alphaMax + kFullLevel / 2) / kFullLevel;
  return static_cast<uint16_t>(white | (alpha << format.alphaShift));
}

// Calls fn for each piece of the graph that overlaps the rectangle (graph coordinates), with
// the piece, its store and the overlap.
template <class Fn>
void ForEachPiece(const GraphRecord& graph, const RECT& area, Fn fn) {
  for (int i = 0; i < graph.surfaceCount; ++i) {
    Surface3DData* piece = GetSurface3DData(static_cast<int>(graph.surfaceHandles[i]));
    SurfaceData* store = piece ? GetSurfaceData(piece->surfaceData) : nullptr;
    if (!store || !store->surface) continue;
    RECT overlap{std::max<int>(area.left, piece->graphX), std::max<int>(area.top, piece->graphY),
                 std::min<int>(area.right, piece->graphX + piece->width),
                 std::min<int>(area.bottom, piece->graphY + piece->height)};
    if (overlap.left >= overlap.right || overlap.top >= overlap.bottom) continue;
    fn(*piece, piece->surfaceData, *store, overlap);
  }
}

// Writes rows of 16-bit texels (from, fromPitch bytes apart, its top-left at the area's
// top-left) into the graph's textures over the area.
void WriteTexels(const GraphRecord& graph, const RECT& area, const uint8_t* from, int fromPitch) {
  ForEachPiece(graph, area, [&](const Surface3DData& piece, int storeHandle, SurfaceData&, const RECT& overlap) {
    const RECT onStore{piece.textureX + overlap.left - piece.graphX, piece.textureY + overlap.top - piece.graphY,
                       piece.textureX + overlap.right - piece.graphX, piece.textureY + overlap.bottom - piece.graphY};
    int pitch = 0;
    void* pixels = nullptr;
    const ColorFormat* format = nullptr;
    if (LockSurfaceData(storeHandle, &pitch, &pixels, 1, &onStore, &format) != 0) return;
    if (format && format->pixelByte == 2) {
      const size_t bytes = static_cast<size_t>(overlap.right - overlap.left) * 2;
      for (int y = overlap.top; y < overlap.bottom; ++y) {
        const uint8_t* row = from + static_cast<ptrdiff_t>(y - area.top) * fromPitch +
                             static_cast<ptrdiff_t>(overlap.left - area.left) * 2;
        std::memcpy(static_cast<uint8_t*>(pixels) + static_cast<ptrdiff_t>(y - overlap.top) * pitch, row, bytes);
      }
    }
    UnlockSurfaceData(storeHandle, pixels);
  });
}

void FillTexels(const GraphRecord& graph, uint16_t texel) {
  const RECT all{0, 0, graph.width, graph.height};
  ForEachPiece(graph, all, [&](const Surface3DData& piece, int storeHandle, SurfaceData&, const RECT& overlap) {
    const RECT onStore{piece.textureX, piece.textureY, piece.textureX + (overlap.right - overlap.left),
                       piece.textureY + (overlap.bottom - overlap.top)};
    int pitch = 0;
    void* pixels = nullptr;
    if (LockSurfaceData(storeHandle, &pitch, &pixels, 1, &onStore, nullptr) != 0) return;
    for (int y = 0; y < onStore.bottom - onStore.top; ++y) {
      auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(pixels) + static_cast<ptrdiff_t>(y) * pitch);
      std::fill(row, row + (onStore.right - onStore.left), texel);
    }
    UnlockSurfaceData(storeHandle, pixels);
  });
}

// Where the cell lies in the cache page.
void CellOrigin(const FontRecord& record, const GlyphCell& cell, int* x, int* y) {
  const int perColumn = std::max(record.cellsPerColumn, 1);
  *x = record.cellWidth * (cell.position / perColumn);
  *y = record.cellWidth * (cell.position % perColumn);
}

struct FloatRect {
  float left, top, right, bottom;
};

// Emits the part of the source rectangle (cache graph coordinates) that lies on one piece as
// a quad over the destination (pixel edges), cut to the clip rectangle. Vertical glyphs are
// turned a quarter clockwise: the glyph's top row lies at the right.
void EmitPieceQuad(const Surface3DData& piece, const SurfaceData& store, FloatRect src, FloatRect dst, const RECT& clip,
                   bool vertical, uint32_t color) {
  const float sw = src.right - src.left, sh = src.bottom - src.top;
  const float dw = dst.right - dst.left, dh = dst.bottom - dst.top;
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  const auto cut = [](float* start, float* end, float* srcStart, float* srcEnd, float low, float high) {
    const float k = (*srcEnd - *srcStart) / (*end - *start);
    if (*start < low) {
      *srcStart += (low - *start) * k;
      *start = low;
    }
    if (*end > high) {
      *srcEnd -= (*end - high) * k;
      *end = high;
    }
  };
  // Source coordinates following the destination's axes: for a turned glyph x runs from
  // the source's bottom to its top and y from its left to its right.
  float xs0, xs1, ys0, ys1;
  if (vertical) {
    xs0 = src.bottom, xs1 = src.top, ys0 = src.left, ys1 = src.right;
  } else {
    xs0 = src.left, xs1 = src.right, ys0 = src.top, ys1 = src.bottom;
  }
  cut(&dst.left, &dst.right, &xs0, &xs1, static_cast<float>(clip.left), static_cast<float>(clip.right));
  cut(&dst.top, &dst.bottom, &ys0, &ys1, static_cast<float>(clip.top), static_cast<float>(clip.bottom));
  if (dst.right <= dst.left || dst.bottom <= dst.top) return;

  const float ru = 1.0f / static_cast<float>(store.width), rv = 1.0f / static_cast<float>(store.height);
  const float ox = static_cast<float>(piece.textureX) - piece.graphX;
  const float oy = static_cast<float>(piece.textureY) - piece.graphY;
  const RECT& offset = GetDrawState().frontClientRect;
  // Pixel centres lie at whole coordinates.
  const float x0 = dst.left - 0.5f + offset.left, x1 = dst.right - 0.5f + offset.left;
  const float y0 = dst.top - 0.5f + offset.top, y1 = dst.bottom - 0.5f + offset.top;
  auto* v = static_cast<VertexTex*>(G_D3D_ReserveVertices(platform::PrimitiveKind::kTriangleList, 6));
  if (!v) return;
  const float z = GetDrawState().drawZ;
  const auto corner = [&](VertexTex* out, bool right, bool bottom) {
    const float a = right ? xs1 : xs0, b = bottom ? ys1 : ys0;  // source values along x and y of the quad
    const float sx = vertical ? b : a, sy = vertical ? a : b;
    out->x = right ? x1 : x0;
    out->y = bottom ? y1 : y0;
    out->z = z;
    out->rhw = 1.0f;
    out->color = color;
    out->u = (sx + ox) * ru;
    out->v = (sy + oy) * rv;
  };
  corner(v + 0, false, false);
  corner(v + 1, true, false);
  corner(v + 2, false, true);
  corner(v + 3, true, true);
  corner(v + 4, false, true);
  corner(v + 5, true, false);
}

// The quads of one cell rectangle of the cache graph over its destination, piece by piece.
void DrawCacheRect(const TextureStringDraw& draw, const GraphRecord& graph, const RECT& cellArea, FloatRect dst,
                   uint32_t rgb) {
  DrawState& state = GetDrawState();
  state.brightColor = rgb;
  UpdateDrawDiffuseColor();
  const uint32_t color = GetD3DGlobals().diffuseColor;
  const int flags = kGlyphDrawFlags | (state.zBufferEnable > 0 ? kUseZFlag : 0);
  const float sw = static_cast<float>(cellArea.right - cellArea.left);
  const float sh = static_cast<float>(cellArea.bottom - cellArea.top);
  ForEachPiece(graph, cellArea, [&](const Surface3DData& piece, int, SurfaceData& store, const RECT& overlap) {
    G_D3D_PrepareDrawState(store.surface, store.create.alphaChannel, store.create.alphaTest, flags);
    const D3DDeviceRecord& r = GetD3DGlobals().devices[GetD3DGlobals().currentDevice];
    if (r.vertexKind != 1) return;
    // The overlap's share of the destination.
    const float fl = (overlap.left - cellArea.left) / sw, fr = (overlap.right - cellArea.left) / sw;
    const float ft = (overlap.top - cellArea.top) / sh, fb = (overlap.bottom - cellArea.top) / sh;
    FloatRect part;
    if (draw.vertical) {
      const float w = dst.right - dst.left, h = dst.bottom - dst.top;
      part = FloatRect{dst.right - fb * w, dst.top + fl * h, dst.right - ft * w, dst.top + fr * h};
    } else {
      const float w = dst.right - dst.left, h = dst.bottom - dst.top;
      part = FloatRect{dst.left + fl * w, dst.top + ft * h, dst.left + fr * w, dst.top + fb * h};
    }
    const FloatRect src{static_cast<float>(overlap.left), static_cast<float>(overlap.top),
                        static_cast<float>(overlap.right), static_cast<float>(overlap.bottom)};
    EmitPieceQuad(piece, store, src, part, draw.clip, draw.vertical, color);
  });
}

// The surface the 3D device draws a string on.
platform::DeviceSurface* StringTarget() { return GetDrawTarget().targetSurface; }

}  // namespace

TextureCachePage ComputeTextureCachePage(int cellWidth, int cacheSizeSetting) {
  TextureCachePage page{0, 0, 0};
  if (cellWidth <= 0) return page;
  if (cacheSizeSetting > 0) {
    const int64_t side =
        int64_t{cellWidth} * (static_cast<int64_t>(std::sqrt(static_cast<double>(cacheSizeSetting))) + 1);
    int64_t p = kMinPageSide;
    while (p < side) p <<= 1;
    page.width = page.height = static_cast<int>(std::min<int64_t>(p, int64_t{1} << 30));
    const int64_t perSide = page.width / cellWidth;
    page.cells = static_cast<int>(std::min<int64_t>(perSide * perSide, kGlyphCellMax));
  } else {
    page.width = page.height = kDefaultPageSide;
    int64_t cells = int64_t{page.width / cellWidth} * (page.height / cellWidth);
    while (cells < kMinTextureCells) {
      if (page.width > page.height) {
        page.height *= 2;
      } else {
        page.width *= 2;
      }
      cells = int64_t{page.height / cellWidth} * (page.width / cellWidth);
    }
    page.cells = static_cast<int>(std::min<int64_t>(cells, kGlyphCellMax));
  }
  return page;
}

int CanCacheGlyphsInTextures() {
  if (GetFontState().textureCacheDisabled || !IsGraph3DAvailable()) return 0;
  const D3DGlobals& d3d = GetD3DGlobals();
  return Is16BitFormat(d3d.textureFormats[kTexAlpha16], 4, 4) &&
                 Is16BitFormat(d3d.textureFormats[kTexAlphaTest16], 1, 5)
             ? 1
             : 0;
}

int IsDirect3DStringPath(const FontRecord* record) {
  return IsGraph3DAvailable() || (record && record->textureCache && IsDirect3DUsed()) ? 1 : 0;
}

int SetupTextureCacheGraph(int font) {
  FontRecord* record = GetFontRecord(font);
  if (!record) return -1;
  record->cacheGraphPending = 0;
  const bool antialiased = (record->fontType & kFontTypeAntialias) != 0;
  const bool edged = (record->fontType & kFontTypeEdge) != 0;
  const int64_t width = int64_t{record->pageWidth} * (edged ? 2 : 1);
  if (width * record->pageHeight > kMaxPageTexels || width <= 0 || record->pageHeight <= 0) {
    record->cacheGraphPending = 1;
    return -1;
  }
  GraphSettings& settings = GetGraphManager().settings;
  const GraphSettings saved = settings;
  settings.alphaTest = antialiased ? 0 : 1;
  settings.colorBitDepth = 16;
  settings.use3D = 1;
  // A cache made as a draw target would take the render-target format, not the alpha one.
  settings.drawValidCreate = 0;
  int graph = MakeGraph(static_cast<int>(width), record->pageHeight, 1, antialiased ? 1 : 0, 0);
  settings = saved;
  GraphRecord* made = GetGraphRecord(graph);
  if (made && !made->create.use3D) {
    DeleteGraphImpl(graph, 0);
    made = nullptr;
  }
  if (!made) {
    // Tried again on the next use.
    record->cacheGraph = -1;
    record->cacheGraphPending = 1;
    return -1;
  }
  record->cacheGraph = graph;
  record->edgeCacheGraph = -1;  // the edges are the right half of the cache graph
  SetGraphDeleteFlag(graph, &record->cacheGraphPending);
  const Surface3DData* first = GetSurface3DData(static_cast<int>(made->surfaceHandles[0]));
  const SurfaceData* store = first ? GetSurfaceData(first->surfaceData) : nullptr;
  const ColorFormat* format = store ? GetTextureColorFormat(store->formatNumber) : nullptr;
  if (format) FillTexels(*made, GlyphTexel(*format, 0));
  InitFontCache(font);
  return 0;
}

int AllocateGlyphImage(FontRecord* record) {
  const bool edged = (record->fontType & kFontTypeEdge) != 0;
  const int format = (record->fontType & kFontTypeAntialias) ? kTexAlpha16 : kTexAlphaTest16;
  const ColorFormat* texel = GetTextureColorFormat(format);
  if (!texel) return -1;
  GraphImage& image = record->glyphImage;
  image.format = *texel;
  image.width = record->cellWidth * (edged ? 2 : 1);
  image.height = record->cellWidth + (edged ? 2 * record->edgeSize : 0);
  image.pitch = image.width * texel->pixelByte;
  image.pixels = static_cast<uint8_t*>(RT_ALLOC_ZERO(static_cast<size_t>(image.pitch) * image.height));
  return image.pixels ? 0 : -1;
}

void StoreTextureGlyph(FontRecord* record, const GlyphCell& cell, const uint8_t* levels, int levelPitch) {
  GraphImage& image = record->glyphImage;
  const GraphRecord* graph = GetGraphRecord(record->cacheGraph);
  if (!graph || !image.pixels) return;
  const int cw = record->cellWidth;
  const bool edged = (record->fontType & kFontTypeEdge) != 0;
  for (int y = 0; y < cw && y < image.height; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(image.pixels + static_cast<ptrdiff_t>(y) * image.pitch);
    const uint8_t* from = levels + static_cast<ptrdiff_t>(y) * levelPitch;
    for (int x = 0; x < cw; ++x) {
      row[x] = GlyphTexel(image.format, from[x] & kLevelMask);
      if (edged) row[cw + x] = GlyphTexel(image.format, from[x] >> kLevelShift);
    }
  }
  // Quads already in the batch may read the cell that is being overwritten.
  G_D3D_FlushCurrentVertexBuffer();
  int x = 0, y = 0;
  CellOrigin(*record, cell, &x, &y);
  WriteTexels(*graph, RECT{x, y, x + cw, y + cw}, image.pixels, image.pitch);
  if (edged) {
    WriteTexels(*graph, RECT{x + record->pageWidth, y, x + record->pageWidth + cw, y + cw},
                image.pixels + static_cast<ptrdiff_t>(cw) * 2, image.pitch);
  }
}

namespace {

// The device follows the draw target, which may have changed without it; false when the
// device cannot draw on it.
bool FollowStringTarget() {
  D3DGlobals& d3d = GetD3DGlobals();
  if (!IsDirect3DUsed()) return false;
  D3DDeviceRecord& r = d3d.devices[d3d.currentDevice];
  platform::DeviceSurface* target = StringTarget();
  if (!r.inUse || !target || d3d.d3dTargetUnusable) return false;
  const DrawState& state = GetDrawState();
  G_D3D_SetDeviceRenderTarget(d3d.currentDevice, target == r.creationSurface ? nullptr : target);
  d3d.d3dFrontScreenTarget = state.drawScreen == kFrontScreen ? 1 : 0;
  G_D3D_SetViewport(state.drawArea);
  return true;
}

}  // namespace

int G_D3D_InvertStringRect(const RECT& rect) {
  if (!FollowStringTarget()) return -1;
  DrawState& state = GetDrawState();
  const int32_t mode = state.blendMode;
  const uint32_t bright = state.brightColor;
  state.blendMode = kBlendInvert;
  state.brightColor = kWhite;
  UpdateDrawDiffuseColor();
  const int result =
      G_D3D_DrawFillBox(rect.left, rect.top, rect.right, rect.bottom, font_device::PackScreenColor(255, 255, 255));
  state.blendMode = mode;
  state.brightColor = bright;
  UpdateDrawDiffuseColor();
  return result;
}

bool BeginTextureString(TextureStringDraw* draw) {
  draw->ready = false;
  D3DGlobals& d3d = GetD3DGlobals();
  if (!GetGraphRecord(draw->record->cacheGraph) || !FollowStringTarget()) return false;
  D3DDeviceRecord& r = d3d.devices[d3d.currentDevice];
  DrawState& state = GetDrawState();
  draw->savedBright = state.brightColor;
  draw->savedBlendGraph = state.blendGraph;
  draw->savedBlendParam = state.blendGraphBorderParam;
  draw->savedBlendRange = state.blendGraphBorderRange;
  if (state.blendGraph != -1) SetBlendGraph(-1, 0, 0);
  if (r.blendGraphTexture) G_D3D_SetBlendGraphState(d3d.currentDevice, nullptr, -1, -1);
  G_D3D_BeginScene();
  draw->ready = true;
  return true;
}

void DrawTextureGlyph(TextureStringDraw* draw, const GlyphCell& cell, int x, int y, double pen) {
  if (!draw->ready || cell.blackBoxWidth <= 0 || cell.blackBoxHeight <= 0) return;
  const FontRecord& record = *draw->record;
  const GraphRecord* graph = GetGraphRecord(record.cacheGraph);
  if (!graph) return;
  int cx = 0, cy = 0;
  CellOrigin(record, cell, &cx, &cy);
  const RECT body{cx, cy, cx + cell.blackBoxWidth, cy + cell.blackBoxHeight};
  const double xs = draw->xScale, ys = draw->yScale;
  // Unscaled glyphs stand on whole pixels, as the memory cache puts them.
  const double along = (xs == 1.0 && ys == 1.0) ? std::trunc(pen) : pen;
  FloatRect dst;
  if (draw->vertical) {
    const double left = x + (record.cellHeight - cell.yOffset - cell.blackBoxHeight) * xs;
    const double top = y + along + cell.xOffset * ys;
    dst = FloatRect{static_cast<float>(left), static_cast<float>(top),
                    static_cast<float>(left + cell.blackBoxHeight * xs),
                    static_cast<float>(top + cell.blackBoxWidth * ys)};
  } else {
    const double left = x + along + cell.xOffset * xs;
    const double top = y + cell.yOffset * ys;
    dst =
        FloatRect{static_cast<float>(left), static_cast<float>(top), static_cast<float>(left + cell.blackBoxWidth * xs),
                  static_cast<float>(top + cell.blackBoxHeight * ys)};
  }
  if (record.fontType & kFontTypeEdge) {
    const RECT edge{body.left + record.pageWidth, body.top, body.right + record.pageWidth, body.bottom};
    DrawCacheRect(*draw, *graph, edge, dst, draw->edgeRgb);
  }
  DrawCacheRect(*draw, *graph, body, dst, draw->textRgb);
}

void EndTextureString(TextureStringDraw* draw) {
  if (!draw->ready) return;
  DrawState& state = GetDrawState();
  state.brightColor = draw->savedBright;
  UpdateDrawDiffuseColor();
  if (draw->savedBlendGraph != -1) SetBlendGraph(draw->savedBlendGraph, draw->savedBlendParam, draw->savedBlendRange);
  // Drawing on the front screen is never left in a batch.
  if (GetD3DGlobals().d3dFrontScreenTarget) G_D3D_EndScene();
  draw->ready = false;
}

int G_D3D_DrawString(int x, int y, const char* text, uint32_t color, int font, uint32_t edgeColor, int vertical) {
  const FontRecord* record = GetFontRecord(font);
  if (!record) return -1;
  if (!record->textureCache) return font_device::DrawStringOnTarget(x, y, text, color, font, edgeColor, vertical);
  if (GetD3DGlobals().d3dTargetUnusable) return -1;
  if (SetupFontCacheToHandle(font) != 0) return -1;
  const RECT clip = GetDrawState().drawArea;
  DrawCachedStringToHandle(kStringModeDraw, x, y, 0, 1.0, 1.0, text, color, nullptr, &clip, 1, font, edgeColor, -1,
                           vertical, nullptr);
  return 0;
}

}  // namespace rt
