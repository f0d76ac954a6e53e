// The OpenGL device losing its context (every GPU object with it, as a driver reset takes
// them) in a real window (run under a virtual X server by its ctest entry): the surfaces are
// lost, the runtime's restore path brings them back, and the graphs loaded from files are
// drawn again with their pixels — through the flip that finds them lost, and through the
// window's activation.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/display_device.h"
#include "platform/window.h"
#include "runtime/api.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/screen_mode.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_3d.h"
#include "runtime/image/surface_data.h"
#include "tests/support/display_fixture.h"

namespace {

using testing_support::Picture;
using testing_support::Rgba;

constexpr int kGraphX = 100;
constexpr int kGraphY = 80;
constexpr int kGraphW = 64;
constexpr int kGraphH = 48;

// Four quadrants of their own colour: a graph refilled wrongly (or not at all) shows.
Rgba QuadrantColour(int x, int y) {
  const int q = (x >= kGraphW / 2 ? 1 : 0) + (y >= kGraphH / 2 ? 2 : 0);
  const Rgba colours[4] = {{230, 30, 30, 255}, {30, 220, 40, 255}, {40, 50, 240, 255}, {240, 230, 20, 255}};
  return colours[q];
}

Picture Quadrants() {
  Picture p{kGraphW, kGraphH, std::vector<Rgba>(static_cast<size_t>(kGraphW) * kGraphH)};
  for (int y = 0; y < kGraphH; ++y) {
    for (int x = 0; x < kGraphW; ++x) p.At(x, y) = QuadrantColour(x, y);
  }
  return p;
}

uint32_t Xrgb(Rgba c) { return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; }

bool HasDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

class GlLostDeviceTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!HasDisplay()) GTEST_SKIP() << "no X display";
    device_ = testing_support::StartGlWindow();
    ASSERT_NE(device_, nullptr) << "no OpenGL device in the window";
    rt::SetWaitVSyncFlag(0);
    ASSERT_EQ(rt::IsDirect3DUsed(), 1);
    testing_support::WriteFileBytes(dir_.File("quadrants.png"), testing_support::MakePng(Quadrants()));
    graph_ = LoadGraph("quadrants.png");
    ASSERT_NE(graph_, -1);
  }

  void TearDown() override {
    if (device_) testing_support::EndGlWindow(device_, false);
  }

  void DrawFrame() {
    ClearDrawScreen();
    DrawGraph(kGraphX, kGraphY, graph_, 0);
    DrawBox(300, 300, 340, 330, GetColor(200, 100, 0), 1);
    FlipScreen();
  }

  // Where the shown frame differs from the graph and the box (none when it is right).
  std::vector<std::string> WrongPixels() {
    std::vector<uint32_t> shown;
    int width = 0;
    int height = 0;
    if (!device_->ReadShownFrame(&shown, &width, &height) || width != 800 || height != 600) return {"no frame"};
    std::vector<std::string> wrong;
    const auto check = [&](int x, int y, uint32_t want) {
      const uint32_t got = shown[static_cast<size_t>(y) * width + x];
      if (got != want) wrong.push_back(std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(got));
    };
    for (int y = 4; y < kGraphH; y += kGraphH / 2) {
      for (int x = 4; x < kGraphW; x += kGraphW / 2) check(kGraphX + x, kGraphY + y, Xrgb(QuadrantColour(x, y)));
    }
    check(kGraphX + kGraphW - 1, kGraphY + kGraphH - 1, Xrgb(QuadrantColour(kGraphW - 1, kGraphH - 1)));
    check(320, 310, 0xC86400);
    check(20, 20, 0x000000);
    return wrong;
  }

  // How many of the back surface and the graph's pieces are lost.
  int LostSurfaces() {
    int lost = device_->IsLost(rt::GetOutputSurfaces().backSurface) ? 1 : 0;
    const rt::GraphRecord* record = rt::GetGraphRecord(graph_);
    for (int i = 0; record && i < record->surfaceCount; ++i) {
      const rt::Surface3DData* piece = rt::GetSurface3DData(static_cast<int>(record->surfaceHandles[i]));
      const rt::SurfaceData* store = piece ? rt::GetSurfaceData(piece->surfaceData) : nullptr;
      if (store && device_->IsLost(store->surface)) ++lost;
    }
    return lost;
  }

  testing_support::ScopedTempDir dir_;
  platform::DisplayDevice* device_ = nullptr;
  int graph_ = -1;
};

TEST_F(GlLostDeviceTest, TheFlipThatFindsTheContextLostRestoresAndTheNextFrameIsWhole) {
  DrawFrame();
  ASSERT_EQ(WrongPixels(), std::vector<std::string>{});
  device_->LoseSurfaces();
  EXPECT_GE(LostSurfaces(), 2);
  // The frame being drawn when the device went is lost with it; its flip restores.
  DrawFrame();
  EXPECT_EQ(LostSurfaces(), 0);
  DrawFrame();
  EXPECT_EQ(WrongPixels(), std::vector<std::string>{});
  // And once more: the new context keeps working as the first did.
  device_->LoseSurfaces();
  DrawFrame();
  DrawFrame();
  EXPECT_EQ(WrongPixels(), std::vector<std::string>{});
}

TEST_F(GlLostDeviceTest, TheWindowsActivationRestoresTheSurfacesAndRefillsTheGraphs) {
  DrawFrame();
  ASSERT_EQ(WrongPixels(), std::vector<std::string>{});
  device_->LoseSurfaces();
  for (int active : {0, 1}) {
    platform::WindowEvent event;
    event.type = platform::WindowEventType::kActivate;
    event.a = active;
    platform::GetWindowSystem().PostEvent(event);
  }
  EXPECT_EQ(ProcessMessage(), 0);
  EXPECT_EQ(LostSurfaces(), 0);
  EXPECT_FALSE(rt::SurfaceDataRefillDue());
  DrawFrame();
  EXPECT_EQ(WrongPixels(), std::vector<std::string>{});
}

}  // namespace
