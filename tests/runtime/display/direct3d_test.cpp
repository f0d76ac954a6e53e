// The 3D device's state cache and vertex batch on the recording display device: which device
// calls a draw or a setter makes, when the batch goes out, and the untextured shapes' vertices.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "runtime/api.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/image/graph_table.h"
#include "tests/support/display_fixture.h"

namespace {

using platform::RecordingDisplayDevice;
using testing_support::RunningDisplay;

// The display started on the recording device with its 3D side in use.
class Device3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = std::make_unique<RunningDisplay>(32, &device_);
    ASSERT_TRUE(display_->started());
    // The display's start takes the device's 3D side.
    ASSERT_EQ(rt::IsDirect3DUsed(), 1);
    ASSERT_TRUE(device_.has3D());
    device_.calls.clear();
    device_.draws.clear();
  }
  void TearDown() override { display_.reset(); }

  int RenderStateCalls(platform::RenderState state, uint32_t value) const {
    int n = 0;
    for (const auto& c : device_.calls) {
      if (c.name == "SetRenderState" && c.args.size() == 2 && c.args[0] == static_cast<int>(state) &&
          c.args[1] == static_cast<int64_t>(value)) {
        ++n;
      }
    }
    return n;
  }
  std::vector<int> DrawCounts() const {
    std::vector<int> counts;
    for (const auto& d : device_.draws) counts.push_back(d.count);
    return counts;
  }

  RecordingDisplayDevice device_{true};
  std::unique_ptr<RunningDisplay> display_;
};

struct Vertex {
  float x, y;
  uint32_t color;
};

std::vector<Vertex> UntexturedVertices(const RecordingDisplayDevice::RecordedDraw& d) {
  std::vector<Vertex> out;
  for (int i = 0; i < d.count; ++i) {
    rt::Vertex2D v;
    std::memcpy(&v, d.vertices.data() + static_cast<size_t>(i) * sizeof v, sizeof v);
    out.push_back(Vertex{v.x, v.y, v.color});
  }
  return out;
}

TEST_F(Device3DTest, StartReportsTheDevicesFormatsAndLimits) {
  const rt::D3DGlobals& d3d = rt::GetD3DGlobals();
  EXPECT_EQ(d3d.minTextureSize, 1u);
  EXPECT_EQ(d3d.maxTextureSize, 2048u);
  EXPECT_EQ(d3d.textureFormats[rt::kTexPlain16].format.greenMask, 0x07E0u);
  EXPECT_EQ(d3d.textureFormats[rt::kTexAlpha16].format.alphaMask, 0xF000u);
  EXPECT_EQ(d3d.textureFormats[rt::kTexAlphaTest16].format.alphaMask, 0x8000u);
  EXPECT_EQ(d3d.textureFormats[rt::kTexAlpha32].format.alphaMask, 0xFF000000u);
  EXPECT_EQ(d3d.textureFormats[rt::kTexTarget32].format.bits, 32);
  EXPECT_EQ(rt::IsDirect3DUsed(), 1);
}

// Every stage of the device holds what the record's cache says, also the stages the first
// set-up does not reach: a later set-up sends only the values that differ from the cache.
TEST_F(Device3DTest, TheStageCacheStartsInStepWithTheDevice) {
  using platform::StageState;
  const rt::D3DDeviceRecord& r = rt::GetD3DGlobals().devices[0];
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const platform::Device3DState& st = device_.state3D();
    EXPECT_EQ(st.Stage(i, StageState::kColorOp), uint32_t(r.stage[i].colorOp));
    EXPECT_EQ(st.Stage(i, StageState::kColorArg1), uint32_t(r.stage[i].colorArg1));
    EXPECT_EQ(st.Stage(i, StageState::kColorArg2), uint32_t(r.stage[i].colorArg2));
    EXPECT_EQ(st.Stage(i, StageState::kAlphaOp), uint32_t(r.stage[i].alphaOp));
    EXPECT_EQ(st.Stage(i, StageState::kAlphaArg1), uint32_t(r.stage[i].alphaArg1));
    EXPECT_EQ(st.Stage(i, StageState::kAlphaArg2), uint32_t(r.stage[i].alphaArg2));
  }
}

TEST(Device3DStartTest, RefusalsLeaveTheDeviceUnused) {
  struct Case {
    const char* name;
    int screenBits;
    std::function<void(RecordingDisplayDevice&)> prepare;
  };
  const Case cases[] = {
      {"a 24-bit screen has no device", 24, [](RecordingDisplayDevice&) {}},
      {"no device draws at 32 bits", 32, [](RecordingDisplayDevice& d) { d.devices3D[0].renderBitDepths = {16}; }},
      {"only 32-bit plain textures", 32,
       [](RecordingDisplayDevice& d) {
         d.textureFormats = {platform::Xrgb8888Format()};
       }},
      {"the 3D context cannot be made", 32, [](RecordingDisplayDevice& d) { d.failingCalls = {"Create3D"}; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingDisplayDevice device(true);
    RunningDisplay display(32, &device);
    ASSERT_TRUE(display.started());
    rt::G_D3D_Terminate();
    c.prepare(device);
    EXPECT_EQ(rt::G_D3D_Initialize(&device, rt::GetOutputSurfaces().primarySurface, c.screenBits), -1);
    EXPECT_EQ(rt::GetD3DGlobals().direct3D, nullptr);
    EXPECT_FALSE(device.has3D());
    EXPECT_EQ(rt::IsDirect3DUsed(), 0);
  }
}

TEST(Device3DStartTest, ADeviceWithoutA3DSideDrawsThrough2DSurfaces) {
  RecordingDisplayDevice device(true);
  device.failingCalls = {"Create3D"};
  RunningDisplay display(32, &device);
  ASSERT_TRUE(display.started());
  EXPECT_EQ(rt::IsDirect3DUsed(), 0);
  EXPECT_EQ(rt::GetScreenStateRecord().device, &device);
  const int graph = rt::MakeGraph(16, 16, 1, 0, 0);
  ASSERT_NE(graph, -1);
  EXPECT_EQ(rt::GetGraphRecord(graph)->create.use3D, 0);
}

TEST_F(Device3DTest, ZeroTextureLimitsTakeTheDefaults) {
  rt::G_D3D_Terminate();
  device_.devices3D[0].minTextureWidth = 0;
  device_.devices3D[0].maxTextureWidth = 0;
  ASSERT_EQ(rt::G_D3D_Initialize(&device_, rt::GetOutputSurfaces().primarySurface, 32), 0);
  EXPECT_EQ(rt::GetD3DGlobals().minTextureSize, 32u);
  EXPECT_EQ(rt::GetD3DGlobals().maxTextureSize, 256u);
}

TEST_F(Device3DTest, ACachedStateSetTwiceIsSentOnce) {
  using platform::RenderState;
  struct Case {
    const char* name;
    std::function<int()> set;
    RenderState state;
    uint32_t sent;
  };
  const Case cases[] = {
      {"Z enable", [] { return rt::G_D3D_SetZEnable(0, 1); }, RenderState::kZEnable, 1},
      {"Z write", [] { return rt::G_D3D_SetZWriteEnable(0, 1); }, RenderState::kZWriteEnable, 1},
      {"Z function", [] { return rt::G_D3D_SetZFunc(0, 5); }, RenderState::kZFunc, 5},
      {"culling", [] { return rt::G_D3D_SetCullMode(0, 1); }, RenderState::kCullMode, platform::kCullCounterClockwise},
      {"shading", [] { return rt::G_D3D_SetShadeMode(0, 2); }, RenderState::kShadeMode, platform::kShadeGouraud},
      {"colour key", [] { return rt::G_D3D_SetColorKeyEnable(0, 1); }, RenderState::kColorKeyEnable, 1},
      {"perspective", [] { return rt::G_D3D_SetTexturePerspective(0, 1); }, RenderState::kTexturePerspective, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device_.calls.clear();
    EXPECT_EQ(c.set(), 0);
    EXPECT_EQ(c.set(), 0);
    EXPECT_EQ(RenderStateCalls(c.state, c.sent), 1);
  }
  // A free record refuses.
  EXPECT_EQ(rt::G_D3D_SetZFunc(2, 4), -1);
}

TEST_F(Device3DTest, TextureFilterAndViewportRules) {
  rt::G_D3D_BeginScene();
  rt::G_D3D_PrepareDrawState(nullptr, 0, 0, 0);  // one stage in use
  // The draw mode reaches the device as its texture filter.
  EXPECT_EQ(rt::SetDrawMode(1), 0);
  EXPECT_EQ(rt::GetD3DGlobals().devices[0].filterMode, 1);
  EXPECT_EQ(rt::SetDrawMode(0), 0);
  EXPECT_EQ(rt::GetD3DGlobals().devices[0].filterMode, 0);
  device_.calls.clear();
  EXPECT_EQ(rt::G_D3D_SetTextureFilter(1), 0);
  EXPECT_EQ(rt::G_D3D_SetTextureFilter(1), 0);
  EXPECT_EQ(device_.CountCalls("SetTextureStageState"), 2);  // magnification and minification of stage 0
  EXPECT_EQ(rt::G_D3D_SetTextureFilter(2), -1);
  EXPECT_EQ(rt::GetD3DGlobals().devices[0].filterMode, 1);

  const RECT area{10, 20, 110, 70};
  EXPECT_EQ(rt::G_D3D_SetViewport(area), 0);
  device_.calls.clear();
  EXPECT_EQ(rt::G_D3D_SetViewport(area), 0);
  EXPECT_EQ(device_.CountCalls("SetViewport"), 0);
  EXPECT_EQ(rt::G_D3D_SetViewport(RECT{10, 20, 10, 70}), -1);
  EXPECT_EQ(rt::G_D3D_SetViewport(RECT{10, 20, 110, 20}), -1);
  EXPECT_EQ(device_.state3D().viewport.x, 10);
  EXPECT_EQ(device_.state3D().viewport.width, 100);
}

TEST_F(Device3DTest, TheBatchGoesOutWhenSomethingChanges) {
  struct Case {
    const char* name;
    std::function<void()> between;
    std::vector<int> draws;
  };
  platform::SurfaceDesc desc;
  desc.kind = platform::SurfaceKind::kTexture;
  desc.width = desc.height = 8;
  desc.format = platform::Xrgb8888Format();
  platform::DeviceSurface* texture = device_.CreateSurface(desc);
  ASSERT_NE(texture, nullptr);
  const Case cases[] = {
      {"nothing: one call for both boxes", [] {}, {12}},
      {"a blend mode", [] { SetDrawBlendMode(1, 128); }, {6, 6}},
      {"a bright colour", [] { SetDrawBright(255, 0, 0); }, {6, 6}},
      {"a texture", [&] { rt::G_D3D_SetDrawTexture(0, texture); }, {6, 6}},
      {"another primitive", [] { DrawLine(0, 0, 50, 0, GetColor(255, 255, 255)); }, {6, 2, 6}},
      {"a present", [] { FlipScreen(); }, {6, 6}},
      {"a clear, which locks the target", [] { ClearDrawScreen(); }, {6, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetDrawBlendMode(0, 0);
    SetDrawBright(255, 255, 255);
    rt::G_D3D_EndScene();
    device_.draws.clear();
    DrawBox(10, 10, 20, 20, GetColor(0, 255, 0), 1);
    c.between();
    DrawBox(30, 10, 40, 20, GetColor(0, 0, 255), 1);
    rt::G_D3D_EndScene();
    EXPECT_EQ(DrawCounts(), c.draws);
  }
}

TEST_F(Device3DTest, AFullBatchGoesOutBeforeTheVerticesThatDoNotFit) {
  // 537 boxes of six vertices fill 3222 of the 3225 untextured places.
  for (int i = 0; i < 538; ++i) DrawBox(i % 700, 0, i % 700 + 3, 3, GetColor(255, 0, 0), 1);
  rt::G_D3D_EndScene();
  EXPECT_EQ(DrawCounts(), (std::vector<int>{3222, 6}));
}

TEST_F(Device3DTest, UntexturedDrawsSetTheStagesTheyNeed) {
  platform::SurfaceDesc desc;
  desc.kind = platform::SurfaceKind::kTexture;
  desc.width = desc.height = 8;
  desc.format = platform::Xrgb8888Format();
  platform::DeviceSurface* texture = device_.CreateSurface(desc);
  rt::G_D3D_BeginScene();
  rt::G_D3D_PrepareDrawState(texture, 0, 0, 0);
  ASSERT_EQ(device_.state3D().texture[0], texture);
  ASSERT_EQ(device_.state3D().Stage(0, platform::StageState::kColorArg1), platform::kArgTexture);
  DrawBox(0, 0, 4, 4, GetColor(255, 0, 0), 1);
  rt::G_D3D_EndScene();
  ASSERT_EQ(device_.draws.size(), 1u);
  const platform::Device3DState& st = device_.draws[0].state;
  EXPECT_EQ(st.texture[0], nullptr);
  EXPECT_EQ(st.Stage(0, platform::StageState::kColorOp), platform::kOpSelectArg1);
  EXPECT_EQ(st.Stage(0, platform::StageState::kColorArg1), platform::kArgDiffuse);
  EXPECT_EQ(st.Stage(0, platform::StageState::kAlphaOp), platform::kOpSelectArg2);
  EXPECT_EQ(st.Stage(0, platform::StageState::kAlphaArg2), platform::kArgDiffuse);
  EXPECT_EQ(st.Stage(1, platform::StageState::kColorOp), platform::kOpDisable);
  EXPECT_EQ(device_.draws[0].layout, rt::kVertexLayout[0]);
}

TEST_F(Device3DTest, ShapeVertices) {
  SetDrawBright(255, 128, 0);
  DrawBox(5, 6, 9, 8, GetColor(200, 100, 255), 1);  // filled
  rt::G_D3D_EndScene();
  ASSERT_EQ(device_.draws.size(), 1u);
  std::vector<Vertex> v = UntexturedVertices(device_.draws[0]);
  ASSERT_EQ(v.size(), 6u);
  // Corners on whole pixels; only the first vertex of each triangle carries the colour.
  EXPECT_EQ(v[0].x, 5.0f);
  EXPECT_EQ(v[0].y, 6.0f);
  EXPECT_EQ(v[3].x, 9.0f);
  EXPECT_EQ(v[3].y, 8.0f);
  EXPECT_EQ(v[0].color, 0xFF000000u | 200u << 16 | (128u * 100 / 255) << 8 | 0u);
  EXPECT_EQ(v[3].color, v[0].color);
  SetDrawBright(255, 255, 255);

  // An outline with only x reversed is the same box: the corners are ordered pair by pair.
  device_.draws.clear();
  rt::G_D3D_DrawLineBox(10, 2, 4, 8, GetColor(255, 255, 255));
  rt::G_D3D_EndScene();
  ASSERT_EQ(device_.draws.size(), 1u);
  v = UntexturedVertices(device_.draws[0]);
  ASSERT_EQ(v.size(), 8u);
  EXPECT_EQ(v[0].x, 4.0f);
  EXPECT_EQ(v[0].y, 2.0f);
  EXPECT_FLOAT_EQ(v[1].x, 8.9f);
  EXPECT_EQ(v[2].x, 9.0f);
  EXPECT_FLOAT_EQ(v[3].y, 6.9f);
  EXPECT_EQ(v[4].y, 7.0f);

  // A box of one pixel is a single line over that pixel, and so is a box one pixel high.
  for (const auto& box : {std::vector<int>{6, 7, 7, 8}, std::vector<int>{6, 7, 16, 8}}) {
    device_.draws.clear();
    rt::G_D3D_DrawLineBox(box[0], box[1], box[2], box[3], GetColor(255, 255, 255));
    rt::G_D3D_EndScene();
    ASSERT_EQ(device_.draws.size(), 1u);
    v = UntexturedVertices(device_.draws[0]);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].x, 6.0f);
    EXPECT_EQ(v[0].y, 7.0f);
    EXPECT_FLOAT_EQ(v[1].x, float(box[2] - 1) + 0.9f);
    EXPECT_EQ(v[1].y, 7.0f);
  }

  // A horizontal line stops short of its end; a one-point line draws nothing.
  device_.draws.clear();
  rt::G_D3D_DrawLine(3, 4, 3, 4, GetColor(255, 255, 255));
  rt::G_D3D_DrawLine(3, 4, 13, 4, GetColor(255, 255, 255));
  rt::G_D3D_EndScene();
  ASSERT_EQ(device_.draws.size(), 1u);
  v = UntexturedVertices(device_.draws[0]);
  ASSERT_EQ(v.size(), 2u);
  EXPECT_FLOAT_EQ(v[1].x, 12.9f);

  // A pixel with no bright colour and no blending keeps full alpha.
  device_.draws.clear();
  DrawPixel(7, 7, GetColor(1, 2, 3));
  rt::G_D3D_EndScene();
  ASSERT_EQ(device_.draws.size(), 1u);
  EXPECT_EQ(UntexturedVertices(device_.draws[0])[0].color, 0xFF010203u);
}

TEST_F(Device3DTest, SubtractionIsInvertAddInvert) {
  SetDrawBlendMode(3, 100);
  DrawBox(0, 0, 8, 8, GetColor(50, 60, 70), 1);
  rt::G_D3D_EndScene();
  ASSERT_EQ(device_.draws.size(), 3u);
  using platform::RenderState;
  const uint32_t src[3] = {platform::kBlendInvDestColor, platform::kBlendSrcAlpha, platform::kBlendInvDestColor};
  const uint32_t dest[3] = {platform::kBlendZero, platform::kBlendOne, platform::kBlendZero};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(device_.draws[i].state.Render(RenderState::kAlphaBlendEnable), 1u);
    EXPECT_EQ(device_.draws[i].state.Render(RenderState::kSrcBlend), src[i]);
    EXPECT_EQ(device_.draws[i].state.Render(RenderState::kDestBlend), dest[i]);
  }
  EXPECT_EQ(UntexturedVertices(device_.draws[0])[0].color & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(UntexturedVertices(device_.draws[1])[0].color, 100u << 24 | 50u << 16 | 60u << 8 | 70u);
  // The draw state is as it was.
  EXPECT_EQ(rt::GetDrawState().blendMode, 3);
  SetDrawBlendMode(0, 0);
}

TEST_F(Device3DTest, IndexedGridJoinsRowsWithDegenerateTriangles) {
  std::vector<rt::VertexTex> grid(8 * 8);
  for (int i = 0; i < 64; ++i) grid[i] = rt::VertexTex{float(i % 8), float(i / 8), 0, 1, 0xFFFFFFFF, 0, 0};
  rt::G_D3D_BeginScene();
  EXPECT_EQ(rt::G_D3D_DrawIndexedGrid(0, 1, 8, grid.data()), -1);
  ASSERT_EQ(rt::G_D3D_DrawIndexedGrid(0, 8, 8, grid.data()), 0);
  ASSERT_EQ(device_.draws.size(), 1u);
  // Seven row pairs of 16 indices, joined by two repeated indices each.
  EXPECT_EQ(device_.draws[0].count, 7 * 16 + 6 * 2);
  EXPECT_EQ(device_.draws[0].kind, platform::PrimitiveKind::kTriangleStrip);
}

}  // namespace
