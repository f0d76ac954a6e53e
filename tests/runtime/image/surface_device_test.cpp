// Surface data and 2D surfaces on the display device's plain surfaces (the recording
// double): where a store lands, its lock, fill, colour key, Z buffer and restore, sharing
// by derived graphs, and failures.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "runtime/api.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_data.h"
#include "tests/support/display_fixture.h"

namespace {

using platform::RecordingDisplayDevice;
using testing_support::MakePicture;
using testing_support::Picture;
using testing_support::Rgba;
using testing_support::RunningDisplay;

int StoreHandle(int graph) {
  const rt::GraphRecord* record = rt::GetGraphRecord(graph);
  if (!record || record->surfaceCount < 1) return -1;
  const rt::Surface2D* piece = rt::GetSurface2D(static_cast<int>(record->surfaceHandles[0]));
  return piece ? piece->surfaceData : -1;
}

uint32_t ReadStorePixel(int store, int x, int y) {
  int pitch = 0;
  void* pixels = nullptr;
  const RECT area{x, y, x + 1, y + 1};
  if (rt::LockSurfaceData(store, &pitch, &pixels, 0, &area, nullptr) != 0) return 0xDEADBEEF;
  uint32_t v = 0;
  std::memcpy(&v, pixels, 4);
  rt::UnlockSurfaceData(store, pixels);
  return v & 0xFFFFFF;
}

class SurfaceDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(display_.started()); }
  RecordingDisplayDevice device_;
  RunningDisplay display_{32, &device_};
};

TEST_F(SurfaceDeviceTest, OpaqueGraphLivesOnAVideoMemorySurfaceWithTheColourKey) {
  Picture picture{8, 8, std::vector<Rgba>(64, Rgba{10, 20, 30, 255})};
  picture.At(3, 4) = Rgba{0, 0, 0, 255};
  const int graph = display_.LoadPicture("p.png", picture);
  const int store = StoreHandle(graph);
  const rt::SurfaceData* data = rt::GetSurfaceData(store);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->software, 0);
  ASSERT_NE(data->surface, nullptr);
  EXPECT_TRUE(device_.Describe(data->surface).videoMemory);
  EXPECT_EQ(data->formatNumber, rt::kSurfaceFormatScreen);
  bool keyed = false;
  for (const auto& call : device_.calls) {
    if (call.name == "SetColorKey" && (call.args[0] & 0xFFFFFF) == 0) keyed = true;
  }
  EXPECT_TRUE(keyed);
  EXPECT_EQ(ReadStorePixel(store, 0, 0), 0x0A141Eu);
  EXPECT_EQ(ReadStorePixel(store, 3, 4), 0u);

  // A graph with alpha stays a software image.
  const int glow = display_.LoadPicture("a.png", MakePicture(8, 8, 4, false), testing_support::PngOptions{6});
  ASSERT_NE(StoreHandle(glow), -1);
  EXPECT_EQ(rt::GetSurfaceData(StoreHandle(glow))->software, 1);
}

TEST_F(SurfaceDeviceTest, NestedLocksUnlockTheSurfaceOnce) {
  const int store = StoreHandle(display_.LoadPicture("p.png", MakePicture(16, 16, 8)));
  ASSERT_NE(store, -1);
  int pitch1 = 0, pitch2 = 0;
  void* pixels1 = nullptr;
  void* pixels2 = nullptr;
  const int locks = device_.CountCalls("Lock");
  EXPECT_EQ(rt::LockSurfaceData(store, &pitch1, &pixels1, 1, nullptr, nullptr), 0);
  EXPECT_EQ(rt::LockSurfaceData(store, &pitch2, &pixels2, 1, nullptr, nullptr), -2);
  EXPECT_EQ(pixels1, pixels2);
  EXPECT_EQ(pitch1, pitch2);
  EXPECT_EQ(device_.CountCalls("Lock"), locks + 1);
  const int unlocks = device_.CountCalls("Unlock");
  EXPECT_EQ(rt::UnlockSurfaceData(store, pixels2), 0);
  EXPECT_EQ(device_.CountCalls("Unlock"), unlocks);
  EXPECT_EQ(rt::UnlockSurfaceData(store, pixels1), 0);
  EXPECT_EQ(device_.CountCalls("Unlock"), unlocks + 1);
  EXPECT_EQ(rt::UnlockSurfaceData(store, pixels1), -1);
}

TEST_F(SurfaceDeviceTest, WideGraphsGoToSystemMemoryAndRefusedVideoMemoryFallsBack) {
  const int wide = rt::MakeGraph(900, 4, 0, 0, 0);
  ASSERT_NE(wide, -1);
  EXPECT_FALSE(device_.Describe(rt::GetSurfaceData(StoreHandle(wide))->surface).videoMemory);

  device_.failSurfaceAt = 1;  // the video-memory attempt
  const int retried = rt::MakeGraph(16, 16, 0, 0, 0);
  ASSERT_NE(retried, -1);
  EXPECT_FALSE(device_.Describe(rt::GetSurfaceData(StoreHandle(retried))->surface).videoMemory);
  EXPECT_EQ(rt::GetSurfaceData(StoreHandle(retried))->create.systemMemoryImage, 1);

  // Neither memory: no graph, and nothing left behind.
  const int live = device_.liveSurfaceCount();
  device_.failingCalls = {"CreateSurface"};
  EXPECT_EQ(rt::MakeGraph(16, 16, 0, 0, 0), -1);
  EXPECT_EQ(device_.liveSurfaceCount(), live);
  EXPECT_NE(display_.runtime().Log().find("標準サーフェスの作成に失敗しました"), std::string::npos);
}

TEST_F(SurfaceDeviceTest, FillDeriveAndDelete) {
  const int parent = rt::MakeGraph(16, 16, 0, 0, 0);
  ASSERT_NE(parent, -1);
  EXPECT_EQ(rt::FillGraph(parent, 255, 128, 0, 255), 0);
  EXPECT_EQ(ReadStorePixel(StoreHandle(parent), 15, 15), 0xFF8000u);

  const int live = device_.liveSurfaceCount();
  const int child = rt::DeriveGraph(4, 4, 8, 8, parent);
  ASSERT_NE(child, -1);
  EXPECT_EQ(StoreHandle(child), StoreHandle(parent));
  EXPECT_EQ(device_.liveSurfaceCount(), live);
  // Drawing on the derived graph lands inside the parent's store.
  ASSERT_EQ(SetDrawScreen(child), 0);
  DrawBox(0, 0, 2, 2, GetColor(0, 0, 255), 1);
  EXPECT_EQ(ReadStorePixel(StoreHandle(parent), 4, 4), 0x0000FFu);
  EXPECT_EQ(ReadStorePixel(StoreHandle(parent), 3, 3), 0xFF8000u);
  SetDrawScreen(kDrawScreenBack);

  EXPECT_EQ(DeleteGraph(child), 0);
  EXPECT_EQ(device_.liveSurfaceCount(), live);
  EXPECT_EQ(ReadStorePixel(StoreHandle(parent), 15, 15), 0xFF8000u);
  EXPECT_EQ(DeleteGraph(parent), 0);
  EXPECT_EQ(device_.liveSurfaceCount(), live - 1);
}

TEST_F(SurfaceDeviceTest, ZBufferFollowsTheFlag) {
  const int store = StoreHandle(rt::MakeGraph(16, 16, 0, 0, 0));
  ASSERT_NE(store, -1);
  const int made = device_.CountCalls("CreateSurface");
  EXPECT_EQ(rt::SetSurfaceDataZBuffer(store, 1), 0);
  EXPECT_NE(rt::GetSurfaceData(store)->zSurface, nullptr);
  EXPECT_EQ(device_.CountCalls("CreateSurface"), made + 1);
  EXPECT_EQ(rt::SetSurfaceDataZBuffer(store, 1), 0);  // already so: the device is not asked
  EXPECT_EQ(device_.CountCalls("CreateSurface"), made + 1);
  const int live = device_.liveSurfaceCount();
  EXPECT_EQ(rt::SetSurfaceDataZBuffer(store, 0), 0);
  EXPECT_EQ(rt::GetSurfaceData(store)->zSurface, nullptr);
  EXPECT_EQ(device_.liveSurfaceCount(), live - 1);
  // A Z buffer that cannot be attached is not kept.
  device_.failingCalls = {"AttachZBuffer"};
  EXPECT_EQ(rt::SetSurfaceDataZBuffer(store, 1), -1);
  EXPECT_EQ(device_.liveSurfaceCount(), live - 1);
}

TEST_F(SurfaceDeviceTest, LostStoreIsRestoredOnceAndReportedForRefill) {
  const int store = StoreHandle(rt::MakeGraph(16, 16, 0, 0, 0));
  ASSERT_NE(store, -1);
  EXPECT_EQ(rt::RestoreSurfaceData(store), 0);
  device_.LoseSurfaces();
  int pitch = 0;
  void* pixels = nullptr;
  EXPECT_EQ(rt::LockSurfaceData(store, &pitch, &pixels, 0, nullptr, nullptr), -1);
  EXPECT_EQ(rt::RestoreSurfaceData(store), -1);
  EXPECT_EQ(rt::RestoreSurfaceData(store), 0);
  EXPECT_EQ(ReadStorePixel(store, 0, 0), 0u);
}

TEST_F(SurfaceDeviceTest, TransferWhileDrawingIsSuppressedWritesNothing) {
  const int graph = rt::MakeGraph(4, 4, 0, 0, 0);
  ASSERT_NE(graph, -1);
  const rt::GraphRecord* record = rt::GetGraphRecord(graph);
  rt::GraphImage image{};
  ASSERT_EQ(rt::CreateARGB8888GraphImage(4, 4, &image), 0);
  rt::FillGraphImage(&image, 255, 255, 255, 255);
  const RECT all{0, 0, 4, 4};
  const int locks = device_.CountCalls("Lock");
  rt::GetDrawState().drawSuppressed = 1;
  EXPECT_EQ(rt::TransferImageToSurface2D(nullptr, nullptr, nullptr, &all, 0, 0,
                                         static_cast<int>(record->surfaceHandles[0]), 0, &image, nullptr, 0),
            0);
  rt::GetDrawState().drawSuppressed = 0;
  EXPECT_EQ(device_.CountCalls("Lock"), locks);
  EXPECT_EQ(rt::TransferImageToSurface2D(nullptr, nullptr, nullptr, &all, 0, 0,
                                         static_cast<int>(record->surfaceHandles[0]), 0, &image, nullptr, 0),
            0);
  EXPECT_EQ(ReadStorePixel(StoreHandle(graph), 2, 2), 0xFFFFFFu);
  rt::ReleaseGraphImage(&image);
}

}  // namespace
