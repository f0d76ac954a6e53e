// Graphs made of texture pieces on the recording display device with its 3D side started:
// how a graph is cut, what a failure half-way leaves, and which graphs can be drawn into.
#include <gtest/gtest.h>

#include <vector>

#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "runtime/api.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"
#include "tests/support/display_fixture.h"

namespace {

using platform::RecordingDisplayDevice;
using testing_support::RunningDisplay;

class Surface3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = std::make_unique<RunningDisplay>(32, &device_);
    ASSERT_TRUE(display_->started());
    ASSERT_EQ(rt::IsDirect3DUsed(), 1);
  }
  void TearDown() override {
    rt::GetGraphManager().settings.drawValidCreate = 0;
    display_.reset();
  }

  RecordingDisplayDevice device_{true};
  std::unique_ptr<RunningDisplay> display_;
};

TEST_F(Surface3DTest, AScreenSizedGraphIsCutIntoThreePieces) {
  const int before = device_.liveSurfaceCount();
  const int piecesBefore = rt::GetSurface3DTable().count();  // start-up's own (the default font's cache)
  const int graph = rt::MakeGraph(800, 600, 1, 0, 0);
  ASSERT_NE(graph, -1);
  const rt::GraphRecord* record = rt::GetGraphRecord(graph);
  ASSERT_EQ(record->create.use3D, 1);
  ASSERT_EQ(record->surfaceCount, 3);
  struct Expected {
    int graphX, usedWidth, usedHeight, storeWidth, storeHeight;
  };
  const Expected expected[3] = {{0, 512, 600, 512, 1024}, {512, 256, 600, 256, 1024}, {768, 32, 600, 32, 1024}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const rt::Surface3DData* piece = rt::GetSurface3DData(static_cast<int>(record->surfaceHandles[i]));
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(piece->graphX, expected[i].graphX);
    EXPECT_EQ(piece->graphY, 0);
    EXPECT_EQ(piece->width, expected[i].usedWidth);
    EXPECT_EQ(piece->height, expected[i].usedHeight);
    const rt::SurfaceData* store = rt::GetSurfaceData(piece->surfaceData);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->width, expected[i].storeWidth);
    EXPECT_EQ(store->height, expected[i].storeHeight);
    ASSERT_NE(store->surface, nullptr);
    // The bottom-right vertex: the used size over the store's size.
    EXPECT_FLOAT_EQ(piece->vertex[3].u, float(expected[i].usedWidth) / float(expected[i].storeWidth));
    EXPECT_FLOAT_EQ(piece->vertex[3].v, 600.0f / 1024.0f);
    EXPECT_FLOAT_EQ(piece->vertex[3].x, float(expected[i].graphX + expected[i].usedWidth));
  }
  EXPECT_EQ(device_.liveSurfaceCount(), before + 3);
  EXPECT_EQ(DeleteGraph(graph), 0);
  EXPECT_EQ(device_.liveSurfaceCount(), before);
  EXPECT_EQ(rt::GetSurface3DTable().count(), piecesBefore);
}

TEST_F(Surface3DTest, AFailureHalfWayLeavesNoPieceBehind) {
  const int before = device_.liveSurfaceCount();
  const int piecesBefore = rt::GetSurface3DTable().count();
  device_.failSurfaceAt = 2;  // the second texture cannot be made
  EXPECT_EQ(rt::MakeGraph(800, 600, 1, 0, 0), -1);
  EXPECT_EQ(rt::GetSurface3DTable().count(), piecesBefore);
  EXPECT_EQ(device_.liveSurfaceCount(), before);
}

TEST_F(Surface3DTest, OnlyAGraphOfOnePieceCanBeDrawnInto) {
  rt::GetGraphManager().settings.drawValidCreate = 1;
  const int small = rt::MakeGraph(100, 60, 1, 0, 0);
  const int wide = rt::MakeGraph(1500, 60, 1, 0, 0);  // whole, but wider than the largest texture
  ASSERT_NE(small, -1);
  ASSERT_NE(wide, -1);
  ASSERT_EQ(rt::GetGraphRecord(small)->surfaceCount, 1);
  ASSERT_EQ(rt::GetGraphRecord(wide)->surfaceCount, 1);
  // A whole graph is one piece unless the device's largest texture is smaller.
  rt::GetD3DGlobals().maxTextureSize = 1024;
  const int cut = rt::MakeGraph(1500, 60, 1, 0, 0);
  ASSERT_NE(cut, -1);
  ASSERT_EQ(rt::GetGraphRecord(cut)->surfaceCount, 2);

  ASSERT_EQ(SetDrawScreen(small), 0);
  const rt::Surface3DData* piece = rt::GetSurface3DData(static_cast<int>(rt::GetGraphRecord(small)->surfaceHandles[0]));
  EXPECT_EQ(device_.renderTarget(), rt::GetSurfaceData(piece->surfaceData)->surface);
  EXPECT_EQ(SetDrawScreen(cut), -1);
  EXPECT_EQ(SetDrawScreen(kDrawScreenBack), 0);
}

TEST_F(Surface3DTest, AGraphOfTooManyPiecesFailsBeforeAnyPieceIsCopied) {
  rt::GetD3DGlobals().maxTextureSize = 64;
  const int piecesBefore = rt::GetSurface3DTable().count();
  // Cut graphs of more than 64 pieces, the widest past any fixed list of piece sizes.
  const struct {
    int width, height;
  } graphs[] = {{140000, 16}, {16, 140000}, {9 * 64, 8 * 64}, {rt::kMaxGraphSide, rt::kMaxGraphSide}};
  for (const auto& g : graphs) {
    SCOPED_TRACE(testing::Message() << g.width << " x " << g.height);
    rt::GraphRecord* record = nullptr;
    const int handle = rt::AddGraphData(g.width, g.height, 1, &record, 0, 0);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(rt::MakeGraphTextures(record), -1);
    EXPECT_EQ(record->surfaceCount, 0);
    EXPECT_EQ(rt::RemoveGraphData(handle), 0);
  }
  EXPECT_EQ(rt::GetSurface3DTable().count(), piecesBefore);
  EXPECT_NE(display_->runtime().Log().find("エラー：画像の分割数が最大数の 64 を超えました"), std::string::npos);

  // Sizes past the ceiling never reach the cutting; 64 pieces still make a graph.
  EXPECT_EQ(rt::MakeGraph(140000, 16, 1, 0, 0), -1);
  EXPECT_EQ(rt::MakeGraph(16, rt::kMaxGraphSide + 1, 1, 0, 0), -1);
  const int largest = rt::MakeGraph(8 * 64, 8 * 64, 1, 0, 0);
  ASSERT_NE(largest, -1);
  EXPECT_EQ(rt::GetGraphRecord(largest)->surfaceCount, 64);
  EXPECT_EQ(DeleteGraph(largest), 0);
}

}  // namespace
