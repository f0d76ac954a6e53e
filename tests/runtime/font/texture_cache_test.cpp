// The texture glyph cache on the recording display device with its 3D side in use: which
// fonts cache in textures, the page and its cells, the texels of a cached glyph, the round
// robin of the cells, and the quads a string becomes (plain, edged, vertical, scaled,
// clipped, subtracted).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "platform/glyph_source_fake.h"
#include "runtime/api.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/font/font.h"
#include "runtime/font/font_texture.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"
#include "tests/support/display_fixture.h"

namespace {

using platform::RecordingDisplayDevice;
using testing_support::RunningDisplay;

TEST(TexturePageTest, PageSizeAndCellsByCellWidthAndSetting) {
  struct Case {
    int cellWidth, setting;
    int width, height, cells;
  };
  const Case cases[] = {
      {16, 0, 512, 512, 1024},   // 32 x 32 cells
      {24, 0, 512, 512, 441},    // 21 x 21, the rest of the page unused
      {8, 0, 512, 512, 2024},    // 4096 cells capped
      {200, 0, 1024, 512, 10},   // 2 x 2 is too few: the width doubles, then 5 x 2
      {300, 0, 2048, 1024, 18},  // 1 x 1, 3 x 1, 3 x 3 ... until ten cells: 6 x 3
      {16, 100, 256, 256, 256},  // 16 x 11 = 176 rounded up to 256
      {24, 1, 64, 64, 4},        // 24 x 2 = 48 rounded up to 64: 2 x 2 cells
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "cell width " << c.cellWidth << ", setting " << c.setting);
    const rt::TextureCachePage page = rt::ComputeTextureCachePage(c.cellWidth, c.setting);
    EXPECT_EQ(page.width, c.width);
    EXPECT_EQ(page.height, c.height);
    EXPECT_EQ(page.cells, c.cells);
  }
}

// The display on the recording device with its 3D side started and the fake glyphs.
class TextureFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetGlyphSource(&glyphs_);
    display_ = std::make_unique<RunningDisplay>(32, &device_);
    ASSERT_TRUE(display_->started());
    // The 3D side is started after the display, so that the default font is one made before it.
    device_.devices3D = RecordingDisplayDevice(true).devices3D;
    ASSERT_EQ(rt::G_D3D_Initialize(&device_, rt::GetOutputSurfaces().primarySurface, 32), 0);
  }
  void TearDown() override {
    display_.reset();
    platform::SetGlyphSource(nullptr);
  }

  int MakeFont(int type, int setting = 0) {
    rt::GetFontState().cacheSizeSetting = setting;
    const int font = rt::CreateFontToHandle(nullptr, 16, 6, type, -1, type & rt::kFontTypeEdge ? 1 : -1, 0, -1, -1);
    rt::GetFontState().cacheSizeSetting = 0;
    return font;
  }

  // The store and texture format of the font's cache graph.
  static rt::SurfaceData* CacheStore(const rt::FontRecord& record) {
    const rt::GraphRecord* graph = rt::GetGraphRecord(record.cacheGraph);
    if (!graph || graph->surfaceCount < 1) return nullptr;
    const rt::Surface3DData* piece = rt::GetSurface3DData(static_cast<int>(graph->surfaceHandles[0]));
    return piece ? rt::GetSurfaceData(piece->surfaceData) : nullptr;
  }

  // The cache texel at (x, y) of the page.
  uint16_t Texel(const rt::FontRecord& record, int x, int y) {
    rt::SurfaceData* store = CacheStore(record);
    platform::LockedPixels locked;
    if (!store || device_.Lock(store->surface, nullptr, &locked) != 0) return 0xDEAD;
    uint16_t v;
    std::memcpy(&v, locked.pixels + y * locked.pitch + x * 2, 2);
    device_.Unlock(store->surface);
    return v;
  }

  struct Quad {
    float left, top, right, bottom;  // positions of the first and fourth vertex
    float u0, v0, u1, v1;            // their texture coordinates
    uint32_t color;
  };
  std::vector<Quad> TexturedQuads() const {
    std::vector<Quad> quads;
    for (const auto& d : device_.draws) {
      if (d.layout != rt::kVertexLayout[1]) continue;
      for (int i = 0; i + 6 <= d.count; i += 6) {
        rt::VertexTex v[6];
        std::memcpy(v, d.vertices.data() + static_cast<size_t>(i) * sizeof(rt::VertexTex), sizeof v);
        quads.push_back(Quad{v[0].x, v[0].y, v[3].x, v[3].y, v[0].u, v[0].v, v[3].u, v[3].v, v[0].color});
      }
    }
    return quads;
  }

  platform::FakeGlyphSource glyphs_;
  RecordingDisplayDevice device_;
  std::unique_ptr<RunningDisplay> display_;
};

TEST_F(TextureFontTest, FontsCacheInTexturesOfTheSixteenBitAlphaFormats) {
  struct Case {
    const char* name;
    int type;
    uint32_t alphaMask;
    uint16_t empty;  // white, transparent
  };
  const Case cases[] = {
      {"plain: one alpha bit, alpha test", 0, 0x8000, 0x7FFF},
      {"edged", rt::kFontTypeEdge, 0x8000, 0x7FFF},
      {"anti-aliased: four alpha bits", rt::kFontTypeAntialias, 0xF000, 0x0FFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int font = MakeFont(c.type);
    ASSERT_NE(font, -1);
    const rt::FontRecord* record = rt::GetFontRecord(font);
    EXPECT_EQ(record->textureCache, 1);
    EXPECT_EQ(record->cacheBuffer, nullptr);
    EXPECT_EQ(record->drawScreen, -1);
    const int graphHandle = record->cacheGraph;
    const rt::GraphRecord* graph = rt::GetGraphRecord(graphHandle);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->width, record->pageWidth * (c.type & rt::kFontTypeEdge ? 2 : 1));
    EXPECT_EQ(graph->height, record->pageHeight);
    const rt::SurfaceData* store = CacheStore(*record);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(device_.Describe(store->surface).format.alphaMask, c.alphaMask);
    EXPECT_EQ(Texel(*record, 0, 0), c.empty);
    EXPECT_EQ(Texel(*record, graph->width - 1, graph->height - 1), c.empty);
    rt::DeleteFontToHandle(font);
    EXPECT_EQ(rt::GetGraphRecord(graphHandle), nullptr);
  }
}

TEST(TextureFontFallbackTest, WithoutTheAlphaFormatsOrTheDeviceFontsKeepTheMemoryCache) {
  struct Case {
    const char* name;
    std::function<void(RecordingDisplayDevice&)> prepare;
    bool start3D;
  };
  const Case cases[] = {
      {"no 3D device", [](RecordingDisplayDevice&) {}, false},
      {"no 4:4:4:4 format", [](RecordingDisplayDevice& d) { d.textureFormats.erase(d.textureFormats.begin() + 2); },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::FakeGlyphSource glyphs;
    platform::SetGlyphSource(&glyphs);
    {
      RecordingDisplayDevice device;
      RunningDisplay display(32, &device);
      ASSERT_TRUE(display.started());
      c.prepare(device);
      if (c.start3D) {
        device.devices3D = RecordingDisplayDevice(true).devices3D;
        ASSERT_EQ(rt::G_D3D_Initialize(&device, rt::GetOutputSurfaces().primarySurface, 32), 0);
      }
      const int font = rt::CreateFontToHandle(nullptr, 16, 6, 0, -1, -1, 0, -1, -1);
      ASSERT_NE(font, -1);
      EXPECT_EQ(rt::GetFontRecord(font)->textureCache, 0);
      EXPECT_NE(rt::GetFontRecord(font)->cacheBuffer, nullptr);
      EXPECT_EQ(rt::GetFontRecord(font)->cacheGraph, -1);
    }
    platform::SetGlyphSource(nullptr);
  }
}

TEST_F(TextureFontTest, GlyphTexelsAreWhiteWithTheCoverageAsAlpha) {
  // A 3 x 2 glyph: full, empty, half; empty, quarter, full (grey levels of 17).
  static const uint8_t kLevels[6] = {16, 0, 8, 0, 4, 16};
  struct Case {
    const char* name;
    int type;
    uint16_t texels[6];
  };
  const Case cases[] = {
      {"1-bit glyph: alpha where a bit is set", 0, {0xFFFF, 0x7FFF, 0xFFFF, 0x7FFF, 0xFFFF, 0xFFFF}},
      {"grey glyph: alpha = level - 1", rt::kFontTypeAntialias, {0xFFFF, 0x0FFF, 0x7FFF, 0x0FFF, 0x3FFF, 0xFFFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int font = MakeFont(c.type);
    ASSERT_NE(font, -1);
    rt::FontRecord* record = rt::GetFontRecord(font);
    // The cell is rendered from a levels buffer: store one directly.
    std::vector<uint8_t> levels(static_cast<size_t>(record->cellWidth) * record->cellWidth, 0);
    for (int i = 0; i < 6; ++i) {
      const int v = kLevels[i];
      const bool antialiased = c.type & rt::kFontTypeAntialias;
      levels[static_cast<size_t>(i / 3) * record->cellWidth + i % 3] =
          static_cast<uint8_t>(antialiased ? (v > 0 ? v - 1 : 0) : (v ? 15 : 0));
    }
    rt::GlyphCell cell{};
    cell.position = 0;
    rt::StoreTextureGlyph(record, cell, levels.data(), record->cellWidth);
    for (int i = 0; i < 6; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(Texel(*record, i % 3, i / 3), c.texels[i]);
    }
    rt::DeleteFontToHandle(font);
  }
}

TEST_F(TextureFontTest, CellsLieInColumnsAndAreReusedRoundRobin) {
  // 24-pixel cells, setting 1: a 64 x 64 page of 2 x 2 cells.
  const int font = MakeFont(0, 1);
  ASSERT_NE(font, -1);
  rt::FontRecord* record = rt::GetFontRecord(font);
  ASSERT_EQ(record->cellWidth, 24);
  ASSERT_EQ(record->cache.cellCount, 4);
  ASSERT_EQ(record->cellsPerColumn, 2);
  struct Step {
    const char* text;
    char cached;            // the character whose cell is checked
    int position;           // its cell
    const char* forgotten;  // characters no longer cached afterwards
  };
  const Step steps[] = {
      {"A", 'A', 0, ""},
      {"BCD", 'D', 3, ""},
      {"E", 'E', 0, "A"},  // the oldest cell is taken again
      {"A", 'A', 1, "B"},  // and A, forgotten, is rendered again into the next one
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.text);
    EXPECT_EQ(rt::CacheStringGlyphs(font, s.text, -1, nullptr, nullptr), 0);
    const rt::GlyphCodeEntry& entry = record->cache.codes[static_cast<uint8_t>(s.cached)];
    ASSERT_EQ(entry.cached, 1u);
    EXPECT_EQ(entry.cell->position, s.position);
    for (const char* f = s.forgotten; *f; ++f) EXPECT_EQ(record->cache.codes[static_cast<uint8_t>(*f)].cached, 0u);
  }
  // Cell n lies at column n / 2, row n % 2: the glyph of D (cell 3) at (24, 24), its first
  // ink pixel one right and one down of the cell's corner as the fake draws it.
  const rt::GlyphCell* d = record->cache.codes['D'].cell;
  EXPECT_EQ(Texel(*record, 24 + d->blackBoxWidth - 1, 24 + d->blackBoxHeight - 1) & 0x8000, 0x8000);
  EXPECT_EQ(Texel(*record, 24 + d->blackBoxWidth, 24) & 0x8000, 0u);
}

TEST_F(TextureFontTest, ACacheGraphDeletedByTheGraphLayerIsMadeAgainOnTheNextUse) {
  const int font = MakeFont(0);
  ASSERT_NE(font, -1);
  rt::FontRecord* record = rt::GetFontRecord(font);
  rt::CacheStringGlyphs(font, "AB", -1, nullptr, nullptr);
  ASSERT_EQ(record->cache.codes['A'].cached, 1u);
  const int old = record->cacheGraph;
  rt::DeleteGraphImpl(old, 0);
  EXPECT_EQ(record->cacheGraphPending, 1);
  EXPECT_EQ(rt::SetupFontCacheToHandle(font), 0);
  EXPECT_EQ(record->cacheGraphPending, 0);
  EXPECT_NE(rt::GetGraphRecord(record->cacheGraph), nullptr);
  EXPECT_NE(record->cacheGraph, old);
  EXPECT_EQ(record->cache.codes['A'].cached, 0u);
  EXPECT_EQ(record->cache.nextCell, 0);
}

// Where the memory cache puts a glyph of the string drawn at (x, y): one rectangle per inked
// character, from the cells' offsets and the pen.
std::vector<RECT> GlyphRects(const rt::FontRecord& record, const char* text, int x, int y, bool vertical) {
  std::vector<RECT> rects;
  int pen = 0;
  for (const char* p = text; *p; ++p) {
    const rt::GlyphCell* cell = record.cache.codes[static_cast<uint8_t>(*p)].cell;
    if (*p != ' ') {
      if (vertical) {
        const int left = x + record.cellHeight - cell->yOffset - cell->blackBoxHeight;
        rects.push_back(RECT{left, y + pen + cell->xOffset, left + cell->blackBoxHeight,
                             y + pen + cell->xOffset + cell->blackBoxWidth});
      } else {
        rects.push_back(RECT{x + pen + cell->xOffset, y + cell->yOffset, x + pen + cell->xOffset + cell->blackBoxWidth,
                             y + cell->yOffset + cell->blackBoxHeight});
      }
    }
    pen += cell->advance + record.space;
  }
  return rects;
}

TEST_F(TextureFontTest, AStringBecomesOneQuadPerGlyphWhereTheMemoryCacheDrawsIt) {
  struct Case {
    const char* name;
    int type;
    int vertical;
  };
  const Case cases[] = {{"plain", 0, 0}, {"edged: edge quad under the body", rt::kFontTypeEdge, 0}, {"vertical", 0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int font = MakeFont(c.type);
    ASSERT_NE(font, -1);
    rt::SetFontSpaceToHandle(1, font);
    const rt::FontRecord& record = *rt::GetFontRecord(font);
    device_.draws.clear();
    ASSERT_EQ(rt::DrawStringToHandle(100, 50, "AB CA", GetColor(255, 200, 0), font, GetColor(0, 0, 255), c.vertical),
              0);
    rt::G_D3D_EndScene();
    const std::vector<RECT> rects = GlyphRects(record, "AB CA", 100, 50, c.vertical != 0);
    const std::vector<Quad> quads = TexturedQuads();
    const bool edged = c.type & rt::kFontTypeEdge;
    ASSERT_EQ(quads.size(), rects.size() * (edged ? 2 : 1));
    const rt::GraphRecord* graph = rt::GetGraphRecord(record.cacheGraph);
    for (size_t i = 0; i < quads.size(); ++i) {
      SCOPED_TRACE(i);
      const Quad& q = quads[i];
      const RECT& r = rects[edged ? i / 2 : i];
      const bool edgeQuad = edged && i % 2 == 0;
      EXPECT_FLOAT_EQ(q.left, r.left - 0.5f);
      EXPECT_FLOAT_EQ(q.top, r.top - 0.5f);
      EXPECT_FLOAT_EQ(q.right, r.right - 0.5f);
      EXPECT_FLOAT_EQ(q.bottom, r.bottom - 0.5f);
      EXPECT_EQ(q.color, edgeQuad ? 0xFF0000FFu : 0xFFFFC800u);
      // The texture coordinates name the character's cell (the edges in the right half).
      const char ch = "ABCA"[edged ? i / 2 : i];
      const rt::GlyphCell* cell = record.cache.codes[static_cast<uint8_t>(ch)].cell;
      const float cx = static_cast<float>(record.cellWidth * (cell->position / record.cellsPerColumn) +
                                          (edgeQuad ? record.pageWidth : 0));
      const float cy = static_cast<float>(record.cellWidth * (cell->position % record.cellsPerColumn));
      const float w = static_cast<float>(graph->width), h = static_cast<float>(graph->height);
      if (c.vertical) {
        // Turned a quarter clockwise: the top-left corner shows the glyph's bottom-left texel.
        EXPECT_FLOAT_EQ(q.u0, cx / w);
        EXPECT_FLOAT_EQ(q.v0, (cy + cell->blackBoxHeight) / h);
        EXPECT_FLOAT_EQ(q.u1, (cx + cell->blackBoxWidth) / w);
        EXPECT_FLOAT_EQ(q.v1, cy / h);
      } else {
        EXPECT_FLOAT_EQ(q.u0, cx / w);
        EXPECT_FLOAT_EQ(q.v0, cy / h);
        EXPECT_FLOAT_EQ(q.u1, (cx + cell->blackBoxWidth) / w);
        EXPECT_FLOAT_EQ(q.v1, (cy + cell->blackBoxHeight) / h);
      }
    }
    // The brightness the string borrowed is back.
    EXPECT_EQ(rt::GetDrawState().brightColor, 0xFFFFFFu);
    rt::DeleteFontToHandle(font);
  }
}

TEST_F(TextureFontTest, ScaledAndClippedGlyphs) {
  const int font = MakeFont(0);
  ASSERT_NE(font, -1);
  const rt::FontRecord& record = *rt::GetFontRecord(font);
  rt::CacheStringGlyphs(font, "A", -1, nullptr, nullptr);
  const rt::GlyphCell& a = *record.cache.codes['A'].cell;

  // Twice as wide and three times as high: the offsets and the box scale with it, and the
  // width is measured along the scaled pen.
  device_.draws.clear();
  RECT area{0, 0, 800, 600};
  const int width = rt::DrawCachedStringToHandle(rt::kStringModeDraw, 10, 20, 1, 2.0, 3.0, "AA", 0xFFFFFF, nullptr,
                                                 &area, 1, font, 0, -1, 0, nullptr);
  rt::G_D3D_EndScene();
  EXPECT_EQ(width, 2 * 2 * a.advance);
  std::vector<Quad> quads = TexturedQuads();
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_FLOAT_EQ(quads[1].left, 10 + 2 * a.advance + 2 * a.xOffset - 0.5f);
  EXPECT_FLOAT_EQ(quads[1].top, 20 + 3 * a.yOffset - 0.5f);
  EXPECT_FLOAT_EQ(quads[1].right - quads[1].left, 2.0f * a.blackBoxWidth);
  EXPECT_FLOAT_EQ(quads[1].bottom - quads[1].top, 3.0f * a.blackBoxHeight);

  // Cut by the clip rectangle two pixels into the glyph: the texture moves by two texels.
  device_.draws.clear();
  const int left = 10 + a.xOffset;
  area = RECT{left + 2, 0, 800, 600};
  rt::DrawCachedStringToHandle(rt::kStringModeDraw, 10, 20, 0, 1.0, 1.0, "A", 0xFFFFFF, nullptr, &area, 1, font, 0, -1,
                               0, nullptr);
  rt::G_D3D_EndScene();
  quads = TexturedQuads();
  ASSERT_EQ(quads.size(), 1u);
  const rt::GraphRecord* graph = rt::GetGraphRecord(record.cacheGraph);
  EXPECT_FLOAT_EQ(quads[0].left, left + 2 - 0.5f);
  EXPECT_FLOAT_EQ(quads[0].u0, 2.0f / graph->width);

  // Entirely outside: nothing.
  device_.draws.clear();
  area = RECT{0, 0, 5, 600};
  rt::DrawCachedStringToHandle(rt::kStringModeDraw, 10, 20, 0, 1.0, 1.0, "A", 0xFFFFFF, nullptr, &area, 1, font, 0, -1,
                               0, nullptr);
  rt::G_D3D_EndScene();
  EXPECT_TRUE(TexturedQuads().empty());
}

TEST_F(TextureFontTest, SubtractedTextIsInvertAddInvert) {
  const int font = MakeFont(0);
  ASSERT_NE(font, -1);
  SetDrawBlendMode(3, 200);  // subtraction
  device_.draws.clear();
  ASSERT_EQ(rt::DrawStringToHandle(30, 40, "AB", GetColor(255, 255, 255), font, 0, 0), 0);
  rt::G_D3D_EndScene();
  SetDrawBlendMode(0, 0);
  using platform::RenderState;
  ASSERT_EQ(device_.draws.size(), 3u);
  const uint32_t layouts[3] = {rt::kVertexLayout[0], rt::kVertexLayout[1], rt::kVertexLayout[0]};
  const uint32_t sources[3] = {platform::kBlendInvDestColor, platform::kBlendSrcAlpha, platform::kBlendInvDestColor};
  const uint32_t dests[3] = {platform::kBlendZero, platform::kBlendOne, platform::kBlendZero};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const auto& d = device_.draws[static_cast<size_t>(i)];
    EXPECT_EQ(d.layout, layouts[i]);
    EXPECT_EQ(d.state.Render(RenderState::kAlphaBlendEnable), 1u);
    EXPECT_EQ(d.state.Render(RenderState::kSrcBlend), sources[i]);
    EXPECT_EQ(d.state.Render(RenderState::kDestBlend), dests[i]);
  }
  // The inverting boxes cover the text rectangle: from x to the area's right edge, font
  // size + 3 high.
  rt::Vertex2D v[6];
  std::memcpy(v, device_.draws[0].vertices.data(), sizeof v);
  EXPECT_FLOAT_EQ(v[0].x, 30.0f);
  EXPECT_FLOAT_EQ(v[0].y, 40.0f);
  EXPECT_FLOAT_EQ(v[3].x, 800.0f);
  EXPECT_FLOAT_EQ(v[3].y, 40.0f + 16 + 3);
  EXPECT_EQ(rt::GetDrawState().blendMode, 0);
}

TEST_F(TextureFontTest, ATargetTheDeviceCannotDrawOnRefusesTextureText) {
  const int font = MakeFont(0);
  ASSERT_NE(font, -1);
  rt::GetD3DGlobals().d3dTargetUnusable = 1;
  device_.draws.clear();
  EXPECT_EQ(rt::DrawStringToHandle(10, 10, "AB", GetColor(255, 255, 255), font, 0, 0), -1);
  rt::GetD3DGlobals().d3dTargetUnusable = 0;
  rt::G_D3D_EndScene();
  EXPECT_TRUE(TexturedQuads().empty());
  EXPECT_EQ(rt::DrawStringToHandle(10, 10, "AB", GetColor(255, 255, 255), -5, 0, 0), -1);
}

TEST_F(TextureFontTest, TextureTextIsDrawnWhileNewGraphsAreNotTextures) {
  // Key-input drawing turns the use-3D setting off around its draws.
  const int font = MakeFont(0);
  ASSERT_NE(font, -1);
  rt::GraphSettings& settings = rt::GetGraphManager().settings;
  settings.use3D = 0;
  device_.draws.clear();
  EXPECT_EQ(rt::DrawStringToHandle(10, 10, "AB", GetColor(255, 255, 255), font, 0, 0), 0);
  settings.use3D = 1;
  rt::G_D3D_EndScene();
  EXPECT_EQ(TexturedQuads().size(), 2u);
}

TEST_F(TextureFontTest, TextureTextAfterTheDeviceEndedDrawsNothing) {
  // Without the device the string goes to the software string draw, which has no memory
  // cache of this font to copy from.
  const int font = MakeFont(rt::kFontTypeAntialias);
  ASSERT_NE(font, -1);
  ASSERT_EQ(rt::G_D3D_Terminate(), 0);
  EXPECT_LE(rt::DrawStringToHandle(10, 10, "AB", GetColor(255, 255, 255), font, 0, 0), 0);
  EXPECT_GT(rt::GetDrawStringWidthToHandle("AB", -1, font, 0), 0);
}

TEST_F(TextureFontTest, TheMemoryCachePathIsTakenForFontsMadeBeforeTheDevice) {
  // The default font was made when the library started, before the 3D side: it keeps its
  // memory cache and draws through the display's own string draw, not through quads.
  const int font = rt::GetDefaultFontHandle();
  ASSERT_NE(font, -1);
  ASSERT_EQ(rt::GetFontRecord(font)->textureCache, 0);
  device_.draws.clear();
  EXPECT_EQ(rt::DrawStringToHandle(10, 10, "AB", GetColor(255, 255, 255), font, 0, 0), 0);
  rt::G_D3D_EndScene();
  EXPECT_TRUE(TexturedQuads().empty());
}

}  // namespace
