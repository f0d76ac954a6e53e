// The 3D device's piece restore after lost surfaces (also through the window's activation),
// piece look-up and unlock, the texture and Z-buffer formats, the transforms the matrix
// setters send, and the copy of one device record's draw state to another.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "platform/window.h"
#include "runtime/api.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/matrices.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"
#include "tests/support/display_fixture.h"

namespace {

using testing_support::Picture;
using testing_support::Rgba;

Picture Solid(int width, int height, Rgba colour) {
  return Picture{width, height, std::vector<Rgba>(static_cast<size_t>(width) * height, colour)};
}

std::vector<int> Pieces(int graph) {
  std::vector<int> handles;
  const rt::GraphRecord* record = rt::GetGraphRecord(graph);
  for (int i = 0; record && i < record->surfaceCount; ++i) handles.push_back(static_cast<int>(record->surfaceHandles[i]));
  return handles;
}

platform::DeviceSurface* PieceSurface(int piece) {
  const rt::Surface3DData* data = rt::GetSurface3DData(piece);
  const rt::SurfaceData* store = data ? rt::GetSurfaceData(data->surfaceData) : nullptr;
  return store ? store->surface : nullptr;
}

int LostPieces(const platform::DisplayDevice& device, const std::vector<int>& pieces) {
  return static_cast<int>(
      std::count_if(pieces.begin(), pieces.end(), [&](int p) { return device.IsLost(PieceSurface(p)); }));
}

class Direct3DFunctionsTest : public testing::Test {
 protected:
  platform::RecordingDisplayDevice device{true};  // with a 3D side
  testing_support::RunningDisplay display{32, &device};

  void SetUp() override {
    ASSERT_TRUE(display.started());
    ASSERT_EQ(rt::IsDirect3DUsed(), 1);
  }
};

TEST_F(Direct3DFunctionsTest, LostPiecesComeBackWhenTheWindowIsActivated) {
  const int small = display.LoadPicture("small.png", Solid(20, 20, Rgba{200, 40, 40, 255}));
  const int wide = display.LoadPicture("wide.png", Solid(1200, 8, Rgba{40, 200, 40, 255}));
  ASSERT_NE(small, -1);
  ASSERT_NE(wide, -1);
  std::vector<int> pieces = Pieces(small);
  const std::vector<int> widePieces = Pieces(wide);
  ASSERT_EQ(widePieces.size(), 3u);  // the wide graph is cut into several textures
  pieces.insert(pieces.end(), widePieces.begin(), widePieces.end());

  device.LoseSurfaces();
  ASSERT_EQ(LostPieces(device, pieces), static_cast<int>(pieces.size()));
  display.runtime().windows().Queue(platform::WindowEventType::kActivate, 0);
  display.runtime().windows().Queue(platform::WindowEventType::kActivate, 1);
  EXPECT_EQ(ProcessMessage(), 0);
  EXPECT_EQ(LostPieces(device, pieces), 0);

  // Called directly, and with pieces of a deleted graph left as holes below the mark.
  device.LoseSurfaces();
  ASSERT_EQ(DeleteGraph(small), 0);
  EXPECT_EQ(rt::RestoreAllSurface3D(), 0);
  EXPECT_EQ(LostPieces(device, widePieces), 0);
}

TEST(Direct3DFunctionsWithoutDeviceTest, NothingToRestoreOrTransformWithoutA3DDevice) {
  platform::RecordingDisplayDevice device{false};
  testing_support::RunningDisplay display(32, &device);
  ASSERT_TRUE(display.started());
  ASSERT_EQ(rt::IsDirect3DUsed(), 0);
  EXPECT_EQ(rt::RestoreAllSurface3D(), -1);
  const rt::Matrix4 identity{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
  EXPECT_EQ(rt::G_D3D_SetWorldTransform(identity.m), -1);
  EXPECT_EQ(rt::SetWorldMatrix(identity), 0);  // the draw state takes it all the same
  EXPECT_EQ(device.CountCalls("SetTransform"), 0);
}

TEST_F(Direct3DFunctionsTest, LookupAndUnlockRefuseHandlesThatNameNoPiece) {
  const int graph = display.LoadPicture("piece.png", Solid(16, 16, Rgba{1, 2, 3, 255}));
  ASSERT_NE(graph, -1);
  const int piece = Pieces(graph).at(0);
  rt::Surface3DData* record = rt::LookupSurface3DData(piece);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record, rt::GetSurface3DData(piece));

  int pitch = 0;
  void* pixels = nullptr;
  ASSERT_EQ(rt::LockSurfaceData(record->surfaceData, &pitch, &pixels, 1, nullptr, nullptr), 0);
  EXPECT_EQ(rt::UnlockSurface3DData(piece, pixels), 0);
  EXPECT_EQ(rt::GetSurfaceData(record->surfaceData)->lockCount, 0);

  const int stale = piece;
  ASSERT_EQ(DeleteGraph(graph), 0);
  const struct {
    const char* what;
    int handle;
  } refused[] = {{"negative", -1}, {"a graph handle", graph}, {"a deleted piece", stale}, {"zero", 0}};
  for (const auto& c : refused) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(rt::LookupSurface3DData(c.handle), nullptr);
    EXPECT_EQ(rt::UnlockSurface3DData(c.handle, nullptr), -1);
  }
}

TEST_F(Direct3DFunctionsTest, TextureFormatsFollowTheAttributesAndTheZBufferIsDepth) {
  EXPECT_EQ(rt::GetTextureFormatDDPixelFormat(-1), nullptr);
  EXPECT_EQ(rt::GetTextureFormatDDPixelFormat(rt::kTextureFormatCount), nullptr);
  const struct {
    int alphaChannel, alphaTest, bits32, drawTarget, index;
  } cases[] = {
      {0, 0, 0, 0, rt::kTexPlain16},      {0, 0, 1, 0, rt::kTexPlain32},      {1, 0, 0, 0, rt::kTexAlpha16},
      {1, 1, 1, 0, rt::kTexAlpha32},      {0, 1, 0, 0, rt::kTexAlphaTest16},  {0, 1, 1, 0, rt::kTexAlphaTest32},
      {0, 0, 0, 1, rt::kTexTarget16},     {0, 0, 1, 1, rt::kTexTarget32},     {1, 0, 0, 1, rt::kTexAlphaTarget},
      {0, 1, 1, 1, rt::kTexAlphaTarget},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.alphaChannel << c.alphaTest << c.bits32 << c.drawTarget);
    const platform::DevicePixelFormat* format = rt::GetTextureFormatDDPixelFormat(c.index);
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format, &rt::GetD3DGlobals().textureFormats[c.index].format);
    EXPECT_EQ(rt::G_D3D_SelectTextureFormat(c.alphaChannel, c.alphaTest, c.bits32, c.drawTarget), format);
    EXPECT_NE(format->bits, 0);
    if (c.alphaChannel) {
      EXPECT_NE(format->alphaMask, 0u);
    }
  }
  const platform::DevicePixelFormat* z = rt::GetZBufferPixelFormat();
  ASSERT_NE(z, nullptr);
  EXPECT_TRUE(z->depth);
  EXPECT_EQ(z->bits, 16);
}

TEST_F(Direct3DFunctionsTest, MatrixSettersSendTheirTransformToTheDevice) {
  const struct {
    int (*set)(const rt::Matrix4&);
    platform::TransformKind kind;
  } cases[] = {{rt::SetWorldMatrix, platform::TransformKind::kWorld},
               {rt::SetViewMatrix, platform::TransformKind::kView},
               {rt::SetProjectionMatrix, platform::TransformKind::kProjection}};
  for (const auto& c : cases) {
    const int kind = static_cast<int>(c.kind);
    SCOPED_TRACE(kind);
    rt::Matrix4 m;
    for (int i = 0; i < 16; ++i) m.m[i] = static_cast<float>(kind * 100 + i);
    device.calls.clear();
    ASSERT_EQ(c.set(m), 0);
    ASSERT_EQ(device.CountCalls("SetTransform"), 1);
    const auto call = std::find_if(device.calls.begin(), device.calls.end(),
                                   [](const platform::DeviceCall& d) { return d.name == "SetTransform"; });
    EXPECT_EQ(call->args, std::vector<int64_t>{kind});
    EXPECT_TRUE(std::equal(m.m, m.m + 16, device.state3D().transform[kind - 1]));
  }
  // The other two transforms stay as they were set.
  EXPECT_EQ(device.state3D().transform[0][0], 100.0f);
  EXPECT_EQ(device.state3D().transform[1][0], 200.0f);

  device.failingCalls = {"SetTransform"};
  const rt::Matrix4 m{};
  EXPECT_EQ(rt::G_D3D_SetViewTransform(m.m), -1);
  EXPECT_EQ(rt::G_D3D_SetProjectionTransform(nullptr), -1);
}

TEST_F(Direct3DFunctionsTest, CopyDeviceDrawStateGivesTheSecondRecordTheFirstsBlendFilterAndTexture) {
  const int graph = display.LoadPicture("drawn.png", Solid(16, 16, Rgba{200, 40, 40, 255}));
  ASSERT_NE(graph, -1);
  ASSERT_EQ(rt::G_D3D_SetTextureFilter(1), 0);
  SetDrawBlendMode(1, 128);
  DrawGraph(0, 0, graph, 1);
  rt::G_D3D_EndScene();
  rt::D3DGlobals& g = rt::GetD3DGlobals();
  const rt::D3DDeviceRecord& from = g.devices[g.currentDevice];
  ASSERT_NE(from.texture, nullptr);
  ASSERT_EQ(from.blendMode, 1);
  ASSERT_EQ(from.filterMode, 1);

  const int other = (g.currentDevice + 1) % 4;
  EXPECT_EQ(rt::G_D3D_CopyDeviceDrawState(g.currentDevice, other), -1);  // a free record
  // The display device has one 3D context, so a second record is only ever a mirror of it.
  g.devices[other] = rt::D3DDeviceRecord{};
  g.devices[other].inUse = 1;
  EXPECT_EQ(rt::G_D3D_CopyDeviceDrawState(g.currentDevice, other), 0);
  const rt::D3DDeviceRecord& to = g.devices[other];
  EXPECT_EQ(to.blendMode, from.blendMode);
  EXPECT_EQ(to.alphaChannel, from.alphaChannel);
  EXPECT_EQ(to.alphaTest, from.alphaTest);
  EXPECT_EQ(to.filterMode, 1);
  EXPECT_EQ(to.texture, from.texture);
  EXPECT_EQ(to.stateDirty, 0);  // applied
  EXPECT_EQ(to.stage[0].texture, from.texture);
  int freeRecord = -1;
  for (int i = 0; i < 4; ++i) {
    if (!g.devices[i].inUse) freeRecord = i;
  }
  ASSERT_NE(freeRecord, -1);
  EXPECT_EQ(rt::G_D3D_CopyDeviceDrawState(other, freeRecord), -1);
  g.devices[other] = rt::D3DDeviceRecord{};
}

}  // namespace
