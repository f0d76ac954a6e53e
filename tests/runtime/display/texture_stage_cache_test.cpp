// The 3D device's texture-stage cache across the release of a graph's store: the cache must
// not go on naming a surface the device has let go of, or a new texture made at the same
// address is never bound and the graph is drawn without it.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "runtime/api.h"
#include "runtime/display/direct3d.h"
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

platform::DeviceSurface* StoreSurface(int graph) {
  const rt::GraphRecord* record = rt::GetGraphRecord(graph);
  if (!record || record->surfaceCount < 1) return nullptr;
  const rt::Surface3DData* piece = rt::GetSurface3DData(static_cast<int>(record->surfaceHandles[0]));
  const rt::SurfaceData* store = piece ? rt::GetSurfaceData(piece->surfaceData) : nullptr;
  return store ? store->surface : nullptr;
}

bool AnyRecordNames(const platform::DeviceSurface* surface) {
  for (const rt::D3DDeviceRecord& r : rt::GetD3DGlobals().devices) {
    if (r.texture == surface || r.blendGraphTexture == surface) return true;
    for (const auto& stage : r.stage) {
      if (stage.texture == surface) return true;
    }
  }
  return false;
}

TEST(TextureStageCacheTest, ReleasingAStoreDropsItFromEveryCacheEntry) {
  platform::RecordingDisplayDevice device{true};  // with a 3D side
  testing_support::RunningDisplay display(32, &device);
  ASSERT_TRUE(display.started());
  ASSERT_EQ(rt::IsDirect3DUsed(), 1);
  const int drawn = display.LoadPicture("drawn.png", Solid(16, 16, Rgba{200, 40, 40, 255}));
  const int blend = display.LoadPicture("blend.png", Solid(16, 16, Rgba{40, 200, 40, 255}));
  ASSERT_NE(drawn, -1);
  ASSERT_NE(blend, -1);
  platform::DeviceSurface* drawnSurface = StoreSurface(drawn);
  platform::DeviceSurface* blendSurface = StoreSurface(blend);
  ASSERT_NE(drawnSurface, nullptr);
  ASSERT_NE(blendSurface, nullptr);

  // A blend-graph draw puts both textures into the stage cache.
  ASSERT_EQ(rt::G_D3D_SetBlendGraphTexture(rt::GetGraphRecord(blend), 128, 64), 0);
  DrawGraph(0, 0, drawn, 1);
  rt::G_D3D_EndScene();
  ASSERT_TRUE(AnyRecordNames(drawnSurface));
  ASSERT_TRUE(AnyRecordNames(blendSurface));

  ASSERT_EQ(DeleteGraph(drawn), 0);
  EXPECT_FALSE(AnyRecordNames(drawnSurface));
  ASSERT_EQ(DeleteGraph(blend), 0);
  EXPECT_FALSE(AnyRecordNames(blendSurface));

  // A graph made after the release is bound when it is drawn, wherever its texture lies.
  rt::G_D3D_SetBlendGraphTexture(nullptr, -1, -1);
  const int next = display.LoadPicture("next.png", Solid(16, 16, Rgba{40, 40, 200, 255}));
  ASSERT_NE(next, -1);
  device.draws.clear();
  DrawGraph(0, 0, next, 1);
  rt::G_D3D_EndScene();
  ASSERT_EQ(device.draws.size(), 1u);
  EXPECT_EQ(device.draws[0].state.texture[0], StoreSurface(next));
}

}  // namespace
