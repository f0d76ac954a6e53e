// Graphs drawn through a blend graph on the 3D device: the blend graph's texture, the stage
// set-up and texture factor that its border parameter and range give, the vertices with their
// two coordinate sets (on the recording device), and the pixels the OpenGL device draws
// against the software renderer's blit through the same blend values (under a virtual X
// server by its ctest entry).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "runtime/api.h"
#include "runtime/core/startup.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_primitives.h"
#include "runtime/display/draw_state.h"
#include "runtime/display/polygon_vertex.h"
#include "runtime/display/screen_mode.h"
#include "runtime/image/blend_graph.h"
#include "runtime/image/graph_image.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/graphics_startup.h"
#include "runtime/image/memimg.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"
#include "runtime/softrender/blit_memimg.h"
#include "tests/support/display_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::PrimitiveKind;
using platform::RecordingDisplayDevice;
using platform::RenderState;
using platform::StageState;
using testing_support::Picture;
using testing_support::PngOptions;
using testing_support::Rgba;
using testing_support::RunningDisplay;

using BlendValue = std::function<uint8_t(int x, int y)>;

// A blend graph made as the runtime makes one: a whole texture whose alpha is taken from the
// red channel of its image (the graph's reserved word), here grey with the value.
int MakeBlendGraph(int width, int height, const BlendValue& value) {
  rt::GraphSettings& settings = rt::GetGraphManager().settings;
  settings.reservedWord = 1;
  const int graph = rt::MakeGraph(width, height, 1, 1, 0);
  settings.reservedWord = 0;
  if (graph == -1) return -1;
  rt::GraphImage image{};
  if (rt::CreateRGB24GraphImage(width, height, &image) != 0) return -1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t v = value(x, y);
      rt::SetGraphImagePixel(&image, x, y, v, v, v, 255);
    }
  }
  const int result = rt::BltGraphImageToGraph(nullptr, nullptr, nullptr, nullptr, 0, &image, nullptr, 0, 0, graph, 0);
  rt::ReleaseGraphImage(&image);
  return result == 0 ? graph : -1;
}

// Opaque, without black: red x, green y, blue 7 (the colour key plays no part).
Picture Coordinates(int width, int height) {
  Picture p{width, height, std::vector<Rgba>(static_cast<size_t>(width) * height)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p.At(x, y) = Rgba{uint8_t(x * 3 + 20), uint8_t(y * 5 + 10), 7, 255};
  }
  return p;
}

// An alpha falling from the left edge to the right, 0 in the last columns.
Picture Fading(int width, int height) {
  Picture p{width, height, std::vector<Rgba>(static_cast<size_t>(width) * height)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int a = x >= width - 4 ? 0 : 255 - x * 255 / width;
      p.At(x, y) = Rgba{uint8_t(250 - y * 4), uint8_t(60 + x * 2), 200, uint8_t(a)};
    }
  }
  return p;
}

// ---- On the recording device ----

class BlendGraphDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = std::make_unique<RunningDisplay>(32, &device_);
    ASSERT_TRUE(display_->started());
    ASSERT_EQ(rt::IsDirect3DUsed(), 1);
    graph_ = display_->LoadPicture("small.png", Coordinates(40, 20));
    ASSERT_NE(graph_, -1);
    // 100 x 40: a 128 x 64 texture, where the graph's own is 64 x 32.
    blend_ = MakeBlendGraph(100, 40, [](int x, int y) { return static_cast<uint8_t>(x * 2 + y); });
    ASSERT_NE(blend_, -1);
    Begin();
  }
  void TearDown() override {
    rt::SetBlendGraph(-1, 0, 0);
    display_.reset();
  }

  void Begin() {
    rt::G_D3D_EndScene();
    device_.draws.clear();
  }
  void End() { rt::G_D3D_EndScene(); }

  platform::DeviceSurface* Store(int graph) {
    const rt::Surface3DData* p = rt::GetSurface3DData(static_cast<int>(rt::GetGraphRecord(graph)->surfaceHandles[0]));
    return rt::GetSurfaceData(p->surfaceData)->surface;
  }

  static std::vector<rt::VertexBlend> Blended(const RecordingDisplayDevice::RecordedDraw& d) {
    std::vector<rt::VertexBlend> out(static_cast<size_t>(d.count));
    std::memcpy(out.data(), d.vertices.data(), out.size() * sizeof(rt::VertexBlend));
    return out;
  }

  RecordingDisplayDevice device_{true};
  std::unique_ptr<RunningDisplay> display_;
  int graph_ = -1;
  int blend_ = -1;
};

TEST_F(BlendGraphDrawTest, TheBlendGraphIsOneTextureCarryingItsValuesAsAlpha) {
  const rt::GraphRecord* record = rt::GetGraphRecord(blend_);
  ASSERT_EQ(record->surfaceCount, 1);
  const rt::Surface3DData* piece = rt::GetSurface3DData(static_cast<int>(record->surfaceHandles[0]));
  platform::LockedPixels locked;
  ASSERT_EQ(device_.Lock(Store(blend_), nullptr, &locked), 0);
  ASSERT_EQ(locked.format.alphaMask, 0xFF000000u);
  auto texel = [&](int x, int y) {
    uint32_t v = 0;
    std::memcpy(&v, locked.pixels + static_cast<size_t>(y) * locked.pitch + static_cast<size_t>(x) * 4, 4);
    return v;
  };
  EXPECT_EQ(texel(0, 0) >> 24, 0u);
  EXPECT_EQ(texel(30, 7) >> 24, 67u);
  EXPECT_EQ(texel(99, 39) >> 24, uint32_t((99 * 2 + 39) & 255));
  device_.Unlock(Store(blend_));
  EXPECT_EQ(piece->width, 100);

  // Wider than a piece of a plain graph may be (800 pixels are three pieces), a blend graph is
  // still one texture.
  const int wide = MakeBlendGraph(800, 8, [](int x, int) { return static_cast<uint8_t>(x); });
  ASSERT_NE(wide, -1);
  EXPECT_EQ(rt::GetGraphRecord(wide)->surfaceCount, 1);
  EXPECT_EQ(rt::GetSurfaceData(
                rt::GetSurface3DData(static_cast<int>(rt::GetGraphRecord(wide)->surfaceHandles[0]))->surfaceData)
                ->width,
            1024);
}

// The stage set-up of a blend-graph draw by the drawn graph's alpha, the blend mode and the
// border: the blend graph's alpha plus (or minus) the texture factor's in stage 0, scaled by
// the band's modulation in stage 1; a range below 2 is a sharp border by the alpha test.
TEST_F(BlendGraphDrawTest, BorderParameterAndRangeGiveTheTextureFactorAndStages) {
  PngOptions rgba;
  rgba.colorType = 6;
  const int fading = display_->LoadPicture("fading.png", Fading(40, 20), rgba);
  ASSERT_NE(fading, -1);
  constexpr uint32_t ADD = platform::kOpAdd, SUB = platform::kOpSubtract, MOD = platform::kOpModulate,
                     MOD2 = platform::kOpModulate2x, MOD4 = platform::kOpModulate4x, SEL1 = platform::kOpSelectArg1,
                     DIS = platform::kOpDisable;
  struct Case {
    const char* name;
    bool alphaChannel;  // the fading graph, drawn transparent; else the plain one, opaque
    int mode, param;
    bool bright;
    int border, range;
    uint32_t factor, stage0AlphaOp, stage1AlphaOp;
    uint32_t alphaTest, alphaRef, alphaBlend, src, dest;
    int stages, textureStage;
    uint32_t diffuse;
  };
  const uint32_t SA = platform::kBlendSrcAlpha, ISA = platform::kBlendInvSrcAlpha, ONE = platform::kBlendOne;
  const uint32_t GE = platform::kCmpGreaterEqual;
  const Case cases[] = {
      {"sharp border", false, 0, 0, false, 100, 0, 0x00FFFFFF, ADD, SEL1, 1, 100, 0, 0, 0, 2, 1, 0xFFFFFFFF},
      {"sharp border at 0, graph with alpha", true, 0, 0, false, 0, 1, 0x00FFFFFF, ADD, MOD, 1, 1, 0, 0, 0, 3, 2,
       0xFFFFFFFF},
      {"range 32: four times, below the border", false, 0, 0, false, 128, 32, 0x61FFFFFF, SUB, MOD4, 0, 0, 1, SA, ISA,
       2, 1, 0xFFFFFFFF},
      {"range 100: twice, above", false, 0, 0, false, 40, 100, 0x44FFFFFF, ADD, MOD2, 0, 0, 1, SA, ISA, 2, 1,
       0xFFFFFFFF},
      {"range 200: once, below", false, 0, 0, false, 200, 200, 0x91FFFFFF, SUB, MOD, 0, 0, 1, SA, ISA, 2, 1,
       0xFFFFFFFF},
      {"graph with alpha, range 255", true, 0, 0, false, 64, 255, 0x7FFFFFFF, ADD, MOD, 0, 0, 1, SA, ISA, 3, 2,
       0xFFFFFFFF},
      {"added, brightened, graph with alpha", true, 2, 160, true, 0, 64, 0x40FFFFFF, ADD, MOD4, 0, 0, 1, SA, ONE, 4, 2,
       0xA0FF8040},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetDrawBlendMode(c.mode, c.param);
    SetDrawBright(255, c.bright ? 128 : 255, c.bright ? 64 : 255);
    ASSERT_EQ(rt::SetBlendGraph(blend_, c.border, c.range), 0);
    Begin();
    ASSERT_EQ(DrawGraph(10, 10, c.alphaChannel ? fading : graph_, c.alphaChannel ? 1 : 0), 0);
    End();
    ASSERT_EQ(device_.draws.size(), 1u);
    const RecordingDisplayDevice::RecordedDraw& d = device_.draws[0];
    EXPECT_EQ(d.layout, 0x2C4u);
    EXPECT_EQ(d.count, 6);
    const platform::Device3DState& st = d.state;
    EXPECT_EQ(st.Render(RenderState::kTextureFactor), c.factor);
    EXPECT_EQ(st.Stage(0, StageState::kAlphaOp), c.stage0AlphaOp);
    EXPECT_EQ(st.Stage(0, StageState::kAlphaArg1), platform::kArgTexture);
    EXPECT_EQ(st.Stage(0, StageState::kAlphaArg2), platform::kArgTextureFactor);
    EXPECT_EQ(st.Stage(1, StageState::kAlphaOp), c.stage1AlphaOp);
    EXPECT_EQ(st.Render(RenderState::kAlphaTestEnable), c.alphaTest);
    if (c.alphaTest) {
      EXPECT_EQ(st.Render(RenderState::kAlphaRef), c.alphaRef);
      EXPECT_EQ(st.Render(RenderState::kAlphaFunc), GE);
    }
    EXPECT_EQ(st.Render(RenderState::kAlphaBlendEnable), c.alphaBlend);
    if (c.alphaBlend) {
      EXPECT_EQ(st.Render(RenderState::kSrcBlend), c.src);
      EXPECT_EQ(st.Render(RenderState::kDestBlend), c.dest);
    }
    for (int i = 0; i < c.stages; ++i) {
      EXPECT_NE(st.Stage(i, StageState::kColorOp), DIS) << "stage " << i;
    }
    if (c.stages < 4) {
      EXPECT_EQ(st.Stage(c.stages, StageState::kColorOp), DIS);
    }
    // Stage 0 reads the blend graph through the first coordinate set; the graph's stage the second.
    EXPECT_EQ(st.texture[0], Store(blend_));
    EXPECT_EQ(st.texture[c.textureStage], Store(c.alphaChannel ? fading : graph_));
    EXPECT_EQ(st.Stage(0, StageState::kTexCoordIndex), 0u);
    EXPECT_EQ(st.Stage(c.textureStage, StageState::kTexCoordIndex), 1u);
    const std::vector<rt::VertexBlend> v = Blended(d);
    EXPECT_EQ(v[0].color, c.diffuse);
    EXPECT_EQ(v[0].specular, 0xFFFFFFFFu);
  }
  SetDrawBlendMode(0, 0);
  SetDrawBright(255, 255, 255);

  // At parameter 255 nothing of the graph is left: the batch is dropped.
  ASSERT_EQ(rt::SetBlendGraph(blend_, 255, 64), 0);
  Begin();
  EXPECT_EQ(DrawGraph(10, 10, graph_, 0), 0);
  End();
  EXPECT_TRUE(device_.draws.empty());
}

// The blend graph lies over the drawn graph in graph pixels: its coordinates are the graph
// position over the blend texture's size, moved with the clipping as the graph's own are.
TEST_F(BlendGraphDrawTest, BlendCoordinatesFollowTheGraphPixels) {
  ASSERT_EQ(rt::SetBlendGraph(blend_, 0, 64), 0);
  struct Corner {
    float x, y, u1, v1, u2, v2;
  };
  struct Case {
    const char* name;
    RECT area;
    std::function<int()> draw;
    Corner topLeft, bottomRight;  // vertices 0 and 3 of the two triangles
  };
  const Case cases[] = {
      {"at a point",
       {0, 0, 800, 600},
       [&] { return DrawGraph(10, 10, graph_, 0); },
       {9.5f, 9.5f, 0.0f, 0.0f, 0.0f, 0.0f},
       {49.5f, 29.5f, 40 / 128.0f, 20 / 64.0f, 40 / 64.0f, 20 / 32.0f}},
      {"clipped on the left",
       {20, 0, 800, 600},
       [&] { return DrawGraph(10, 10, graph_, 0); },
       {20.0f, 9.5f, 10.5f / 128, 0.0f, 10.5f / 64, 0.0f},
       {49.5f, 29.5f, 40 / 128.0f, 20 / 64.0f, 40 / 64.0f, 20 / 32.0f}},
      {"stretched twice, clipped",
       {20, 0, 800, 600},
       [&] { return DrawGraphStretched(10, 10, 90, 50, graph_, 0); },
       {20.0f, 9.5f, 5.25f / 128, 0.0f, 5.25f / 64, 0.0f},
       {89.5f, 49.5f, 40 / 128.0f, 20 / 64.0f, 40 / 64.0f, 20 / 32.0f}},
      {"turned half round",
       {0, 0, 800, 600},
       [&] { return DrawGraphRotated(100, 100, 1.0, 3.14159265358979, graph_, 0, 0); },
       {119.5f, 109.5f, 0.0f, 0.0f, 0.0f, 0.0f},
       {79.5f, 89.5f, 40 / 128.0f, 20 / 64.0f, 40 / 64.0f, 20 / 32.0f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rt::SetDrawArea(c.area.left, c.area.top, c.area.right, c.area.bottom);
    Begin();
    ASSERT_EQ(c.draw(), 0);
    End();
    ASSERT_EQ(device_.draws.size(), 1u);
    ASSERT_EQ(device_.draws[0].layout, 0x2C4u);
    const std::vector<rt::VertexBlend> v = Blended(device_.draws[0]);
    ASSERT_EQ(v.size(), 6u);
    for (const auto& [got, want] : {std::pair{v[0], c.topLeft}, std::pair{v[3], c.bottomRight}}) {
      EXPECT_NEAR(got.x, want.x, 1e-3);
      EXPECT_NEAR(got.y, want.y, 1e-3);
      EXPECT_NEAR(got.u1, want.u1, 1e-5);
      EXPECT_NEAR(got.v1, want.v1, 1e-5);
      EXPECT_NEAR(got.u2, want.u2, 1e-5);
      EXPECT_NEAR(got.v2, want.v2, 1e-5);
    }
  }
  rt::SetDrawArea(0, 0, 800, 600);
}

// With a blend graph a quad is not the 8 x 8 grid (whose vertices have one coordinate set):
// it is two triangles on its corners, and an axis-aligned one is the stretched draw.
TEST_F(BlendGraphDrawTest, AFourCornerDrawIsTwoTrianglesOnTheCorners) {
  ASSERT_EQ(rt::SetBlendGraph(blend_, 0, 64), 0);
  rt::DrawGraphQuadF(10, 10, 50, 10, 70, 40, 0, 40, graph_, 0);  // top left, top right, bottom right, bottom left
  End();
  ASSERT_EQ(device_.draws.size(), 1u);
  ASSERT_EQ(device_.draws[0].kind, PrimitiveKind::kTriangleList);
  ASSERT_EQ(device_.draws[0].layout, 0x2C4u);
  std::vector<rt::VertexBlend> v = Blended(device_.draws[0]);
  ASSERT_EQ(v.size(), 6u);
  const float want[6][2] = {{10, 10}, {50, 10}, {0, 40}, {70, 40}, {0, 40}, {50, 10}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(v[i].x, want[i][0]) << i;
    EXPECT_FLOAT_EQ(v[i].y, want[i][1]) << i;
  }
  EXPECT_FLOAT_EQ(v[3].u1, 40 / 128.0f);
  EXPECT_FLOAT_EQ(v[3].u2, 40 / 64.0f);

  Begin();
  rt::DrawGraphQuadF(10.7f, 10, 90, 10, 90, 50, 10, 50, graph_, 0);  // whole pixels: a rectangle
  End();
  ASSERT_EQ(device_.draws.size(), 1u);
  v = Blended(device_.draws[0]);
  EXPECT_FLOAT_EQ(v[0].x, 9.5f);
  EXPECT_FLOAT_EQ(v[3].x, 89.5f);
}

// A textured polygon has one coordinate set; through a blend graph it is sent with two, the
// blend graph's from the texel's place in the graph.
TEST_F(BlendGraphDrawTest, APolygonThroughABlendGraphCarriesBothCoordinateSets) {
  ASSERT_EQ(rt::SetBlendGraph(blend_, 0, 64), 0);
  const rt::PolygonInputVertex triangle[3] = {{10, 10, 0.0f, 0.0f, 255, 255, 255, 255},
                                              {50, 10, 0.5f, 0.0f, 255, 255, 255, 255},
                                              {10, 30, 0.0f, 0.5f, 255, 255, 255, 255}};
  ASSERT_EQ(rt::DrawPolygon2D(triangle, 3, rt::kPolygonTriangleList, graph_, 0), 0);
  End();
  ASSERT_EQ(device_.draws.size(), 1u);
  ASSERT_EQ(device_.draws[0].layout, 0x2C4u);
  const std::vector<rt::VertexBlend> v = Blended(device_.draws[0]);
  ASSERT_EQ(v.size(), 3u);
  EXPECT_FLOAT_EQ(v[1].u1, 32 / 128.0f);  // texel 32 of the graph's 64-wide texture
  EXPECT_FLOAT_EQ(v[1].u2, 0.5f);
  EXPECT_FLOAT_EQ(v[2].v1, 16 / 64.0f);
  EXPECT_FLOAT_EQ(v[2].v2, 0.5f);
}

// The device follows the draw state's blend graph through a device rebuild, and a graph it
// cannot blend through (a 2D graph) leaves it drawing without one.
TEST_F(BlendGraphDrawTest, TheDeviceKeepsTheDrawStatesBlendGraph) {
  ASSERT_EQ(rt::SetBlendGraph(blend_, 100, 64), 0);
  ASSERT_EQ(rt::RecreateGraphicsDevice(), 0);
  Begin();
  DrawGraph(10, 10, graph_, 0);
  End();
  ASSERT_EQ(device_.draws.size(), 1u);
  EXPECT_EQ(device_.draws[0].layout, 0x2C4u);
  EXPECT_EQ(device_.draws[0].state.texture[0], Store(blend_));
  EXPECT_NE(Store(blend_), nullptr);

  const int flat = LoadGraph("small.png", 1);
  ASSERT_NE(flat, -1);
  ASSERT_EQ(rt::GetGraphRecord(flat)->create.use3D, 0);
  ASSERT_EQ(rt::SetBlendGraph(flat, 100, 64), 0);
  Begin();
  DrawGraph(10, 10, graph_, 0);
  End();
  ASSERT_EQ(device_.draws.size(), 1u);
  EXPECT_EQ(device_.draws[0].layout, 0x144u);
  EXPECT_EQ(device_.draws[0].state.texture[0], Store(graph_));

  ASSERT_EQ(rt::SetBlendGraph(blend_, 100, 64), 0);
  ASSERT_EQ(rt::SetBlendGraph(-1, 0, 0), 0);
  Begin();
  DrawGraph(10, 10, graph_, 0);
  End();
  ASSERT_EQ(device_.draws.size(), 1u);
  EXPECT_EQ(device_.draws[0].layout, 0x144u);
}

// ---- On the OpenGL device, against the software renderer ----

constexpr int kSpriteWidth = 64, kSpriteHeight = 32;
constexpr int kMargin = 2;  // pixels around each draw that must keep the background

uint8_t BlendValueAt(int x, int y) { return static_cast<uint8_t>((x * 4 + y * 2) & 0xFE); }

// Tolerances per channel. The software blit takes its factor from the 256-entry table; the
// device ramps the blend graph's alpha with the texture factor and a modulation of 4, 2 or 1,
// which follows the table for ranges 64, 128 and 255 within 7, 3 and 1 steps of 255 (worst
// over every parameter; the values below are the worst for each case's parameter), plus two
// steps for the software's truncations (one more where the graph's alpha weighs too). A
// range below 2 is the alpha test, exact at blend values away from the border: the blend
// values are even and the sharp borders odd.
struct GlCase {
  int border, range;
  bool alphaGraph;
  int tolerance;
};
constexpr GlCase kGlCases[] = {
    {101, 0, false, 2},   {0, 0, false, 2},     {40, 64, false, 5},   {128, 64, false, 8}, {64, 128, false, 3},
    {160, 128, false, 5}, {100, 255, false, 3}, {200, 255, false, 3}, {96, 128, true, 6},  {255, 64, false, 0},
};
constexpr int kGlCaseCount = sizeof kGlCases / sizeof kGlCases[0];

int CaseX(int i) { return 20 + (i % 5) * 150; }
int CaseY(int i) { return 20 + (i / 5) * 100; }
uint32_t Background(int i) {
  return (uint32_t(30 + i * 20) << 16) | (uint32_t(200 - i * 15) << 8) | uint32_t(90 + i * 9);
}

// The software renderer's picture of one case: the background, the graph blitted through the
// blend values with the case's table.
std::vector<uint32_t> SoftwareCase(int i, const Picture& sprite) {
  const GlCase& c = kGlCases[i];
  const int w = kSpriteWidth + 2 * kMargin, h = kSpriteHeight + 2 * kMargin;
  rt::MEMIMG dest{}, src{}, blend{};
  std::vector<uint32_t> out;
  if (rt::CreateMemImg(&dest, w, h, rt::kMemImgKindXRGB) != 0 ||
      rt::InitMemImg(&src, kSpriteWidth, kSpriteHeight, -1, 0, rt::kMemImgKindXRGB, 0, c.alphaGraph ? 1 : 0, 0) != 0 ||
      rt::InitMemImg(&blend, kSpriteWidth, kSpriteHeight, -1, 0, rt::kMemImgKind8, 0, 0, 0) != 0) {
    return out;
  }
  rt::FillMemImg(&dest, nullptr, Background(i));
  for (int y = 0; y < kSpriteHeight; ++y) {
    for (int x = 0; x < kSpriteWidth; ++x) {
      const Rgba p = sprite.At(x, y);
      const uint32_t v = uint32_t(c.alphaGraph ? p.a : 0) << 24 | uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | p.b;
      std::memcpy(src.pixels + y * src.pitch + x * 4, &v, 4);
      blend.pixels[y * blend.pitch + x] = BlendValueAt(x, y);
    }
  }
  rt::DrawState& ds = rt::GetDrawState();
  ds.drawArea = RECT{0, 0, w, h};
  ds.blendMode = 0;
  ds.blendParam = 0;
  ds.brightColor = 0xFFFFFF;
  rt::BuildBlendGraphTable(c.border, c.range);
  rt::BlitMemImg(&dest, &src, kMargin, kMargin, c.alphaGraph ? 1 : 0, &blend);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t v = 0;
      std::memcpy(&v, dest.pixels + y * dest.pitch + x * 4, 4);
      out.push_back(v & 0xFFFFFF);
    }
  }
  rt::ReleaseMemImg(&dest);
  rt::ReleaseMemImg(&src);
  rt::ReleaseMemImg(&blend);
  return out;
}

Picture GlSprite(bool alpha) {
  return alpha ? Fading(kSpriteWidth, kSpriteHeight) : Coordinates(kSpriteWidth, kSpriteHeight);
}

TEST(GlBlendGraphTest, BlendGraphDrawsMatchTheSoftwareBlit) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no X display";
  testing_support::ScopedTempDir dir;
  platform::DisplayDevice* device = testing_support::StartGlWindow();
  ASSERT_NE(device, nullptr) << "no OpenGL device in the window: "
                             << testing_support::ReadFileBytes(dir.File("Log.txt"));
  rt::SetWaitVSyncFlag(0);
  ASSERT_EQ(rt::IsDirect3DUsed(), 1);
  PngOptions rgba;
  rgba.colorType = 6;
  testing_support::WriteFileBytes(dir.File("plain.png"), testing_support::MakePng(GlSprite(false)));
  testing_support::WriteFileBytes(dir.File("fading.png"), testing_support::MakePng(GlSprite(true), rgba));
  const int plain = LoadGraph("plain.png");
  const int fading = LoadGraph("fading.png");
  // Larger than the graphs, as a blend graph must be; its first 64 x 32 values are used.
  const int blend = MakeBlendGraph(100, 40, BlendValueAt);
  const bool made = plain != -1 && fading != -1 && blend != -1;
  int drawn = 0;
  if (made) {
    ClearDrawScreen();
    for (int i = 0; i < kGlCaseCount; ++i) {
      const uint32_t b = Background(i);
      rt::SetBlendGraph(-1, 0, 0);
      DrawBox(CaseX(i) - kMargin, CaseY(i) - kMargin, CaseX(i) + kSpriteWidth + kMargin,
              CaseY(i) + kSpriteHeight + kMargin, GetColor(int(b >> 16), int((b >> 8) & 255), int(b & 255)), 1);
      rt::SetBlendGraph(blend, kGlCases[i].border, kGlCases[i].range);
      if (DrawGraph(CaseX(i), CaseY(i), kGlCases[i].alphaGraph ? fading : plain, kGlCases[i].alphaGraph ? 1 : 0) == 0) {
        ++drawn;
      }
    }
    rt::SetBlendGraph(-1, 0, 0);
    FlipScreen();
  }
  const testing_support::ShownFrame frame = testing_support::EndGlWindow(device, made);
  const std::vector<uint32_t>& shown = frame.pixels;
  const int width = frame.width;
  const bool read = frame.read;
  ASSERT_TRUE(made);
  EXPECT_EQ(drawn, kGlCaseCount);
  ASSERT_TRUE(read);
  ASSERT_EQ(width, 800);
  for (int i = 0; i < kGlCaseCount; ++i) {
    const GlCase& c = kGlCases[i];
    SCOPED_TRACE(testing::Message() << "border " << c.border << ", range " << c.range
                                    << (c.alphaGraph ? ", alpha" : ""));
    const std::vector<uint32_t> want = SoftwareCase(i, GlSprite(c.alphaGraph));
    ASSERT_FALSE(want.empty());
    const int w = kSpriteWidth + 2 * kMargin, h = kSpriteHeight + 2 * kMargin;
    int worst = 0, worstX = 0, worstY = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint32_t got = shown[static_cast<size_t>(CaseY(i) - kMargin + y) * width + CaseX(i) - kMargin + x];
        const uint32_t ref = want[static_cast<size_t>(y) * w + x];
        for (int shift : {0, 8, 16}) {
          const int d = std::abs(int((got >> shift) & 255) - int((ref >> shift) & 255));
          if (d > worst) worst = d, worstX = x, worstY = y;
        }
      }
    }
    EXPECT_LE(worst, c.tolerance) << "at " << worstX - kMargin << ", " << worstY - kMargin;
  }
}

}  // namespace
