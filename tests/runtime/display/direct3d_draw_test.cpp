// Graphs through the 3D device on the recording display device: the pixels their texture
// pieces are filled with, and the vertices, textures and states of the textured draws, the
// circle and the subtraction emulation.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "runtime/api.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_backend.h"
#include "runtime/display/draw_primitives.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/graphics_startup.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"
#include "runtime/image/graph_image.h"
#include "runtime/movie/movie.h"
#include "tests/support/display_fixture.h"
#include "tests/support/movie_fixture.h"

namespace {

using platform::PrimitiveKind;
using platform::RecordingDisplayDevice;
using testing_support::Picture;
using testing_support::Rgba;
using testing_support::RunningDisplay;

// A picture whose pixel (x, y) has red x, green y and blue 7, with its top-left pixel black
// (the transparent colour).
Picture Coordinates(int width, int height) {
  Picture p{width, height, std::vector<Rgba>(static_cast<size_t>(width) * height)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p.At(x, y) = Rgba{uint8_t(x & 255), uint8_t(y & 255), 7, 255};
  }
  p.At(0, 0) = Rgba{0, 0, 0, 255};
  return p;
}

class Device3DDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = std::make_unique<RunningDisplay>(32, &device_);
    ASSERT_TRUE(display_->started());
    ASSERT_EQ(rt::IsDirect3DUsed(), 1);
    graph_ = display_->LoadPicture("small.png", Coordinates(40, 20));
    ASSERT_NE(graph_, -1);
    ASSERT_EQ(rt::GetGraphRecord(graph_)->create.use3D, 1);
    Begin();
  }
  void TearDown() override { display_.reset(); }

  // Drops what start-up and loading drew.
  void Begin() {
    rt::G_D3D_EndScene();
    device_.draws.clear();
  }
  void End() { rt::G_D3D_EndScene(); }

  // The texel of the graph's piece as its texture holds it (ARGB).
  uint32_t Texel(int graph, int piece, int x, int y) {
    const rt::Surface3DData* p = rt::GetSurface3DData(static_cast<int>(rt::GetGraphRecord(graph)->surfaceHandles[piece]));
    const rt::SurfaceData* store = rt::GetSurfaceData(p->surfaceData);
    platform::LockedPixels locked;
    if (device_.Lock(store->surface, nullptr, &locked) != 0) return 0xDEADBEEF;
    uint32_t v = 0;
    std::memcpy(&v, locked.pixels + static_cast<size_t>(y) * locked.pitch + static_cast<size_t>(x) * 4, 4);
    device_.Unlock(store->surface);
    return v;
  }

  static std::vector<rt::VertexTex> Textured(const RecordingDisplayDevice::RecordedDraw& d) {
    std::vector<rt::VertexTex> out(static_cast<size_t>(d.count));
    std::memcpy(out.data(), d.vertices.data(), out.size() * sizeof(rt::VertexTex));
    return out;
  }

  RecordingDisplayDevice device_{true};
  std::unique_ptr<RunningDisplay> display_;
  int graph_ = -1;
};

TEST_F(Device3DDrawTest, ImagesFillTheirTexturePiecesAndFollowTheirChanges) {
  // The transparent colour becomes alpha 0 for the alpha test; every other texel is opaque.
  EXPECT_EQ(Texel(graph_, 0, 0, 0) >> 24, 0u);
  EXPECT_EQ(Texel(graph_, 0, 13, 5), 0xFF000000u | 13u << 16 | 5u << 8 | 7u);
  EXPECT_EQ(Texel(graph_, 0, 39, 19), 0xFF000000u | 39u << 16 | 19u << 8 | 7u);

  // A graph cut into pieces: each piece holds its own columns from its texture's left edge.
  const int wide = display_->LoadPicture("wide.png", Coordinates(800, 3));
  ASSERT_NE(wide, -1);
  ASSERT_EQ(rt::GetGraphRecord(wide)->surfaceCount, 3);
  EXPECT_EQ(Texel(wide, 1, 88, 2), 0xFF000000u | uint32_t(600 & 255) << 16 | 2u << 8 | 7u);
  EXPECT_EQ(Texel(wide, 2, 31, 1), 0xFF000000u | uint32_t(799 & 255) << 16 | 1u << 8 | 7u);

  // A fill changes the texels; the restore reloads them from the file.
  ASSERT_EQ(rt::FillGraph(wide, 10, 20, 30, 255), 0);
  EXPECT_EQ(Texel(wide, 1, 88, 2) & 0xFFFFFF, 0x0A141Eu);
  rt::RestoreGraphs();
  EXPECT_EQ(Texel(wide, 1, 88, 2) & 0xFFFFFF, uint32_t(600 & 255) << 16 | 2u << 8 | 7u);
}

TEST_F(Device3DDrawTest, AnImageSmallerThanItsGraphFillsWhatItHas) {
  const int graph = rt::MakeGraph(64, 64, 1, 0, 0);
  ASSERT_NE(graph, -1);
  rt::GraphImage image{};
  ASSERT_EQ(rt::CreateRGB24GraphImage(16, 16, &image), 0);
  rt::FillGraphImage(&image, 200, 100, 50, 255);
  EXPECT_EQ(rt::BltGraphImageToGraph(nullptr, nullptr, nullptr, nullptr, 0, &image, nullptr, 0, 0, graph, 0), 0);
  rt::ReleaseGraphImage(&image);
  EXPECT_EQ(Texel(graph, 0, 5, 5) & 0xFFFFFF, 0xC86432u);
  EXPECT_EQ(Texel(graph, 0, 30, 30) & 0xFFFFFF, 0u);
}

TEST_F(Device3DDrawTest, MovieFramesGoIntoTheGraphsTextures) {
  testing_support::MovieOptions options;
  options.width = 40;
  options.height = 30;
  const std::string bytes = testing_support::MakeMovie(options);
  if (bytes.empty()) GTEST_SKIP() << "no movie encoder";
  testing_support::WriteFileBytes(display_->runtime().dir().File("clip.mkv"), bytes);
  const int graph = LoadGraph("clip.mkv");
  ASSERT_NE(graph, -1);
  ASSERT_EQ(rt::GetGraphRecord(graph)->create.use3D, 1);
  ASSERT_EQ(rt::UpdateMovieToGraph(graph, 1), 0);
  EXPECT_TRUE(testing_support::NearColour(Texel(graph, 0, 20, 15) & 0xFFFFFF, testing_support::MovieColours()[0]));
  EXPECT_EQ(DeleteGraph(graph), 0);
}

TEST_F(Device3DDrawTest, GraphsSitHalfAPixelUpLeftAndAreClippedByWholeTexels) {
  struct Corner {
    float x, y, u, v;
  };
  struct Case {
    const char* name;
    void (*draw)(int graph);
    Corner topLeft, bottomRight;
  };
  const float tw = 64.0f, th = 32.0f;  // the piece's texture
  const Case cases[] = {
      {"at a point", [](int g) { DrawGraph(10, 20, g, 1); }, {9.5f, 19.5f, 0, 0}, {49.5f, 39.5f, 40 / tw, 20 / th}},
      {"a cut rectangle: clipped to it, the texels moved with the edges",
       [](int g) { DrawRectGraph(100, 50, 8, 4, 10, 6, g, 1, 0); },
       {100, 50, 8.5f / tw, 4.5f / th},
       {110, 56, 18.5f / tw, 10.5f / th}},
      {"stretched twice as wide", [](int g) { DrawGraphStretched(0, 0, 80, 20, g, 1); },
       {-0.5f, -0.5f, 0, 0},
       {79.5f, 19.5f, 40 / tw, 20 / th}},
      {"mirrored by reversed corners", [](int g) { DrawGraphStretched(40, 0, 0, 20, g, 1); },
       {39.5f, -0.5f, 0, 0},
       {-0.5f, 19.5f, 40 / tw, 20 / th}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Begin();
    c.draw(graph_);
    End();
    ASSERT_EQ(device_.draws.size(), 1u);
    const auto& d = device_.draws[0];
    EXPECT_EQ(d.layout, rt::kVertexLayout[1]);
    EXPECT_EQ(d.kind, PrimitiveKind::kTriangleList);
    const std::vector<rt::VertexTex> v = Textured(d);
    ASSERT_EQ(v.size(), 6u);
    // The first triangle starts at the top left, the second at the bottom right.
    EXPECT_FLOAT_EQ(v[0].x, c.topLeft.x);
    EXPECT_FLOAT_EQ(v[0].y, c.topLeft.y);
    EXPECT_FLOAT_EQ(v[0].u, c.topLeft.u);
    EXPECT_FLOAT_EQ(v[0].v, c.topLeft.v);
    EXPECT_FLOAT_EQ(v[3].x, c.bottomRight.x);
    EXPECT_FLOAT_EQ(v[3].y, c.bottomRight.y);
    EXPECT_FLOAT_EQ(v[3].u, c.bottomRight.u);
    EXPECT_FLOAT_EQ(v[3].v, c.bottomRight.v);
    EXPECT_EQ(v[0].color, 0xFFFFFFFFu);
  }
  // Wholly outside the draw area: nothing.
  Begin();
  EXPECT_EQ(DrawGraph(-100, 10, graph_, 1), 0);
  EXPECT_EQ(DrawGraph(800, 10, graph_, 1), 0);
  End();
  EXPECT_TRUE(device_.draws.empty());
  // The cut rectangle left the draw area as it was.
  EXPECT_EQ(rt::GetDrawState().drawArea.right, 800);
}

TEST_F(Device3DDrawTest, AGraphOfSeveralPiecesBindsEachPiecesTexture) {
  const int wide = display_->LoadPicture("wide.png", Coordinates(800, 3));
  ASSERT_EQ(rt::GetGraphRecord(wide)->surfaceCount, 3);
  Begin();
  DrawGraph(0, 100, wide, 0);
  End();
  // One state, three textures: the batch goes out at each texture change.
  ASSERT_EQ(device_.draws.size(), 3u);
  const float left[3] = {-0.5f, 511.5f, 767.5f};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(device_.draws[i].count, 6);
    EXPECT_FLOAT_EQ(Textured(device_.draws[i])[0].x, left[i]);
    if (i > 0) {
      EXPECT_NE(device_.draws[i].state.texture[0], device_.draws[i - 1].state.texture[0]);
    }
  }
}

TEST_F(Device3DDrawTest, BlendModesAlphaAndBrightColour) {
  using platform::RenderState;
  using platform::StageState;
  struct Case {
    const char* name;
    int mode, param, transparent;
    bool bright;
    uint32_t alphaBlend, src, dest, alphaTest, colorOp, alphaOp;
    uint32_t color;
  };
  const Case cases[] = {
      {"plain, transparent by the alpha test", 0, 0, 1, false, 0, 0, 0, 1, platform::kOpSelectArg1,
       platform::kOpSelectArg1, 0xFFFFFFFF},
      {"opaque: no alpha test", 0, 0, 0, false, 0, 0, 0, 0, platform::kOpSelectArg1, platform::kOpSelectArg2,
       0xFFFFFFFF},
      {"alpha blend", 1, 100, 1, false, 1, platform::kBlendSrcAlpha, platform::kBlendInvSrcAlpha, 1,
       platform::kOpSelectArg1, platform::kOpModulate, 0x64FFFFFF},
      {"add, brightened", 2, 200, 1, true, 1, platform::kBlendSrcAlpha, platform::kBlendOne, 1, platform::kOpModulate,
       platform::kOpModulate, 0xC8FF8040},
      {"multiply: the colour weighed by its alpha", 4, 255, 1, false, 1, platform::kBlendZero,
       platform::kBlendSrcColor, 1, platform::kOpModulate, platform::kOpModulate, 0xFFFFFFFF},
      {"multiply, brightened in a second stage", 4, 255, 1, true, 1, platform::kBlendZero, platform::kBlendSrcColor, 1,
       platform::kOpModulate, platform::kOpModulate, 0xFFFF8040},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetDrawBlendMode(c.mode, c.param);
    SetDrawBright(255, c.bright ? 128 : 255, c.bright ? 64 : 255);
    Begin();
    DrawGraph(10, 10, graph_, c.transparent);
    End();
    ASSERT_EQ(device_.draws.size(), 1u);
    const platform::Device3DState& st = device_.draws[0].state;
    EXPECT_EQ(st.Render(RenderState::kAlphaBlendEnable), c.alphaBlend);
    if (c.alphaBlend) {
      EXPECT_EQ(st.Render(RenderState::kSrcBlend), c.src);
      EXPECT_EQ(st.Render(RenderState::kDestBlend), c.dest);
    }
    EXPECT_EQ(st.Render(RenderState::kAlphaTestEnable), c.alphaTest);
    EXPECT_EQ(st.Stage(0, StageState::kColorOp), c.colorOp);
    EXPECT_EQ(st.Stage(0, StageState::kAlphaOp), c.alphaOp);
    EXPECT_EQ(st.texture[0] != nullptr, true);
    if (c.mode == 4) {
      EXPECT_EQ(st.Stage(0, StageState::kColorArg2), platform::kArgTexture | 0x20u);
      EXPECT_EQ(st.Stage(1, StageState::kColorOp), c.bright ? platform::kOpModulate : platform::kOpDisable);
    }
    EXPECT_EQ(Textured(device_.draws[0])[0].color, c.color);
  }
  SetDrawBlendMode(0, 0);
  SetDrawBright(255, 255, 255);
}

TEST_F(Device3DDrawTest, SubtractionOfAGraphIsInvertAddInvertOverItsRectangle) {
  SetDrawBlendMode(3, 128);
  DrawGraph(10, 20, graph_, 1);
  End();
  // The draw state is as it was.
  EXPECT_EQ(rt::GetDrawState().blendMode, 3);
  EXPECT_EQ(rt::GetDrawState().blendParam, 128);
  SetDrawBlendMode(0, 0);
  ASSERT_EQ(device_.draws.size(), 3u);
  using platform::RenderState;
  EXPECT_EQ(device_.draws[0].layout, rt::kVertexLayout[0]);
  EXPECT_EQ(device_.draws[0].state.Render(RenderState::kSrcBlend), platform::kBlendInvDestColor);
  EXPECT_EQ(device_.draws[1].layout, rt::kVertexLayout[1]);
  EXPECT_EQ(device_.draws[1].state.Render(RenderState::kSrcBlend), platform::kBlendSrcAlpha);
  EXPECT_EQ(device_.draws[1].state.Render(RenderState::kDestBlend), platform::kBlendOne);
  EXPECT_EQ(Textured(device_.draws[1])[0].color >> 24, 128u);
  EXPECT_EQ(device_.draws[2].state.Render(RenderState::kSrcBlend), platform::kBlendInvDestColor);
  // The inversions cover the graph's rectangle.
  rt::Vertex2D corner;
  std::memcpy(&corner, device_.draws[0].vertices.data(), sizeof corner);
  EXPECT_EQ(corner.x, 10.0f);
  std::memcpy(&corner, device_.draws[0].vertices.data() + 3 * sizeof corner, sizeof corner);
  EXPECT_EQ(corner.x, 50.0f);
  EXPECT_EQ(corner.y, 40.0f);
}

TEST_F(Device3DDrawTest, RotatedAndFourCornerGraphs) {
  const int square = display_->LoadPicture("square.png", Coordinates(4, 4));
  // Scale 1 at a whole position: an even-sized graph lands on whole pixels.
  DrawGraphRotated(10, 10, 1.0, 0.0, square, 1, 0);
  DrawGraphRotated(10, 10, 1.0, 0.0, square, 1, 1);  // mirrored
  End();
  ASSERT_EQ(device_.draws.size(), 1u);
  std::vector<rt::VertexTex> v = Textured(device_.draws[0]);
  ASSERT_EQ(v.size(), 12u);
  EXPECT_FLOAT_EQ(v[0].x, 7.5f);
  EXPECT_FLOAT_EQ(v[0].y, 7.5f);
  EXPECT_FLOAT_EQ(v[3].x, 11.5f);
  EXPECT_FLOAT_EQ(v[6].x, 11.5f);  // the mirrored graph's first texel on the right
  EXPECT_FLOAT_EQ(v[6].u, 0.0f);

  // A parallelogram is two triangles; any other quad a grid of indexed strips.
  Begin();
  rt::DrawGraphQuadF(10, 10, 50, 15, 50, 35, 10, 30, graph_, 1);
  End();
  ASSERT_EQ(device_.draws.size(), 1u);
  EXPECT_EQ(device_.draws[0].count, 6);
  Begin();
  rt::DrawGraphQuadF(10, 10, 50, 10, 70, 40, 0, 40, graph_, 1);
  End();
  ASSERT_EQ(device_.draws.size(), 1u);
  EXPECT_EQ(device_.draws[0].kind, PrimitiveKind::kTriangleStrip);
  EXPECT_EQ(device_.draws[0].count, 7 * 16 + 6 * 2);
}

// A graph kept as a 2D surface (text is drawn so) is copied onto the target by the processor:
// the graphs batched before it must reach the target first, or they would cover it.
TEST_F(Device3DDrawTest, A2DDrawOnTheTargetComesAfterTheBatchedGraphs) {
  const int plain = display_->LoadPicture("plain.png", Coordinates(16, 16));
  ASSERT_NE(plain, -1);
  const int flat = LoadGraph("plain.png", 1);
  ASSERT_NE(flat, -1);
  ASSERT_EQ(rt::GetGraphRecord(flat)->create.use3D, 0);
  DrawGraph(10, 10, graph_, 1);
  device_.calls.clear();
  // The copy of a 2D surface the string draw makes.
  rt::G_DD_DrawGraph(12, 12, static_cast<int>(rt::GetGraphRecord(flat)->surfaceHandles[0]), 1);
  size_t drawn = device_.calls.size(), touched = device_.calls.size();
  for (size_t i = 0; i < device_.calls.size(); ++i) {
    const std::string& name = device_.calls[i].name;
    if (name == "DrawPrimitive" && drawn == device_.calls.size()) drawn = i;
    if ((name == "Lock" || name == "BltFast" || name == "Blt") && touched == device_.calls.size()) touched = i;
  }
  ASSERT_LT(drawn, device_.calls.size());
  ASSERT_LT(touched, device_.calls.size());
  EXPECT_LT(drawn, touched);
}

TEST_F(Device3DDrawTest, AfterADeviceRebuildTheTexturesComeBackFromTheirFiles) {
  device_.calls.clear();
  ASSERT_EQ(rt::RecreateGraphicsDevice(), 0);
  EXPECT_EQ(device_.CountCalls("Release3D"), 1);
  EXPECT_EQ(device_.CountCalls("Create3D"), 1);
  EXPECT_TRUE(device_.has3D());
  EXPECT_EQ(rt::IsDirect3DUsed(), 1);
  // A new texture, filled again by the graph restore.
  EXPECT_EQ(Texel(graph_, 0, 13, 5), 0xFF000000u | 13u << 16 | 5u << 8 | 7u);
  EXPECT_EQ(Texel(graph_, 0, 0, 0) >> 24, 0u);
  Begin();
  DrawGraph(10, 10, graph_, 1);
  End();
  ASSERT_EQ(device_.draws.size(), 1u);
  const platform::Device3DState& st = device_.draws[0].state;
  EXPECT_NE(st.texture[0], nullptr);
  EXPECT_EQ(st.Stage(0, platform::StageState::kColorArg1), platform::kArgTexture);
  EXPECT_EQ(st.Render(platform::RenderState::kAlphaTestEnable), 1u);
}

// The output surfaces are made again for full screen and back: the device follows them and
// the graphs keep their textures.
TEST_F(Device3DDrawTest, AWindowModeSwitchKeepsDrawingThroughTheDevice) {
  for (int windowed : {0, 1}) {
    SCOPED_TRACE(windowed);
    ASSERT_EQ(ChangeWindowMode(windowed), 0);
    SetDrawScreen(kDrawScreenBack);
    ASSERT_EQ(rt::IsDirect3DUsed(), 1);
    ASSERT_NE(rt::GetGraphRecord(graph_), nullptr);
    Begin();
    EXPECT_EQ(DrawGraph(10, 10, graph_, 1), 0);
    End();
    ASSERT_EQ(device_.draws.size(), 1u);
    EXPECT_EQ(device_.draws[0].state.target, rt::GetDrawTarget().targetSurface);
    EXPECT_NE(device_.draws[0].state.texture[0], nullptr);
  }
}

TEST_F(Device3DDrawTest, CirclesAreSpansAndPoints) {
  DrawCircle(50, 60, 10, GetColor(255, 0, 0), 1);
  End();
  int vertices = 0;
  for (const auto& d : device_.draws) {
    EXPECT_EQ(d.kind, PrimitiveKind::kLineList);
    EXPECT_LE(d.count, 40);
    for (int i = 0; i < d.count; i += 2) {
      rt::Vertex2D a, b;
      std::memcpy(&a, d.vertices.data() + static_cast<size_t>(i) * sizeof a, sizeof a);
      std::memcpy(&b, d.vertices.data() + static_cast<size_t>(i + 1) * sizeof b, sizeof b);
      EXPECT_EQ(a.y, b.y);
      EXPECT_GT(b.x, a.x);  // one past the span's last pixel
    }
    vertices += d.count;
  }
  EXPECT_EQ(vertices, 2 * 21);  // one span on each of the 21 rows

  Begin();
  DrawCircle(50, 60, 10, GetColor(255, 0, 0), 0);
  DrawCircle(-500, 60, 10, GetColor(255, 0, 0), 0);  // outside: nothing
  End();
  ASSERT_FALSE(device_.draws.empty());
  for (const auto& d : device_.draws) EXPECT_EQ(d.kind, PrimitiveKind::kPointList);

  // Radii far beyond the screen end at once.
  EXPECT_EQ(DrawCircle(400, 300, 2000000000, GetColor(0, 255, 0), 0), 0);
  EXPECT_EQ(DrawCircle(400, 300, 60000, GetColor(0, 255, 0), 0), 0);
  EXPECT_EQ(DrawCircle(400, 300, 2000000000, GetColor(0, 255, 0), 1), 0);
}

}  // namespace
