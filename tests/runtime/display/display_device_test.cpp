// The display on the recording device: which display start-up picks, screen modes, the
// output surfaces and the flip, failures part-way through, and a device that loses its
// surfaces.
#include <gtest/gtest.h>

#include <string>

#include "platform/display_device.h"
#include "platform/display_device_recording.h"
#include "runtime/api.h"
#include "runtime/display/display_state.h"
#include "runtime/display/screen_flip.h"
#include "runtime/display/screen_mode.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_data.h"
#include "tests/support/display_fixture.h"

namespace {

using platform::RecordingDisplayDevice;
using testing_support::FindInOrder;
using testing_support::MakePicture;
using testing_support::Picture;
using testing_support::Rgb;
using testing_support::Rgba;
using testing_support::RunningDisplay;

// A 16 x 16 picture in four flat quarters.
Picture Quarters() {
  Picture p{16, 16, std::vector<Rgba>(256)};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      p.At(x, y) = x < 8 ? (y < 8 ? Rgba{255, 0, 0, 255} : Rgba{0, 255, 0, 255})
                         : (y < 8 ? Rgba{0, 0, 255, 255} : Rgba{0, 0, 0, 255});
    }
  }
  return p;
}

// The window's client area on the fake desktop.
platform::Rect Client(RunningDisplay& display) { return display.runtime().windows().window()->ClientRect(); }

const rt::SurfaceData* StoreOf(int graph) {
  const rt::GraphRecord* record = rt::GetGraphRecord(graph);
  if (!record || record->surfaceCount < 1) return nullptr;
  const rt::Surface2D* piece = rt::GetSurface2D(static_cast<int>(record->surfaceHandles[0]));
  return piece ? rt::GetSurfaceData(piece->surfaceData) : nullptr;
}

TEST(DisplayDeviceStartUpTest, TakesTheDeviceWhenItCanBeHad) {
  RecordingDisplayDevice device;
  RunningDisplay display(32, &device);
  ASSERT_TRUE(display.started());
  const rt::ScreenState& s = rt::GetScreenStateRecord();
  EXPECT_EQ(s.device, &device);
  EXPECT_EQ(s.pureSoftware, 0);
  EXPECT_EQ(rt::IsDirectDrawUsed(), 1);
  EXPECT_EQ(s.screenBits, 32);
  EXPECT_TRUE(device.hasClipper());
  EXPECT_EQ(device.CountCalls("SetDisplayMode"), 0);  // a window does not change the display
  const rt::OutputSurfaces& out = rt::GetOutputSurfaces();
  EXPECT_NE(out.primarySurface, nullptr);
  EXPECT_NE(out.backSurface, nullptr);
  EXPECT_NE(out.workSurface, nullptr);
  EXPECT_NE(out.zBufferSurface, nullptr);
  EXPECT_EQ(out.presenter, nullptr);  // the window belongs to the device
  EXPECT_GE(FindInOrder(display.runtime().Log(), {"成功", "初期化に成功しました", "カラー情報",
                                                   "各スクリーンメモリの配置位置", "PrimaryBuffer : VIDEOMEMORY"}),
            0);

  DrawBox(100, 100, 300, 200, GetColor(10, 200, 30), 1);
  ASSERT_EQ(FlipScreen(), 0);
  const platform::Rect client = Client(display);
  ASSERT_EQ(device.shownWidth, client.Width());
  EXPECT_EQ(Rgb(device.ShownPixel(150, 150)), 0x0AC81Eu);
  EXPECT_EQ(Rgb(device.ShownPixel(50, 50)), 0u);
}

TEST(DisplayDeviceStartUpTest, FallsBackToTheSoftwareDisplayWithoutADevice) {
  RecordingDisplayDevice device;
  device.refuseContext = true;
  RunningDisplay display(32, &device);
  ASSERT_TRUE(display.started());
  const rt::ScreenState& s = rt::GetScreenStateRecord();
  EXPECT_EQ(s.device, nullptr);
  EXPECT_EQ(s.pureSoftware, 1);
  EXPECT_GE(FindInOrder(display.runtime().Log(),
                        {"オブジェクトの取得に失敗しました", "ソフトウエアレンダリングモードに変更します",
                         "DirectDraw 関連の初期化は正常に終了しました"}),
            0);
  DrawBox(0, 0, 10, 10, GetColor(255, 0, 0), 1);
  FlipScreen();
  EXPECT_EQ(Rgb(display.runtime().presenter().Last().Pixel(5, 5)), 0xFF0000u);
}

TEST(DisplayDeviceStartUpTest, SoftwareRequestKeepsTheDeviceUntouched) {
  RecordingDisplayDevice device;
  testing_support::HeadlessRuntime runtime;
  platform::SetDisplayDeviceOverride(&device);
  SetSoftwareRenderRequest(1);
  ChangeWindowMode(1);
  const int started = InitLibrary();
  platform::SetDisplayDeviceOverride(nullptr);
  ASSERT_EQ(started, 0);
  EXPECT_EQ(rt::GetScreenStateRecord().pureSoftware, 1);
  EXPECT_EQ(rt::GetScreenStateRecord().device, nullptr);
  EXPECT_TRUE(device.calls.empty());
}

// A Z buffer that cannot be made fails the mode change: the surfaces made before it are
// released, and start-up goes on with the software display.
TEST(DisplayDeviceStartUpTest, FailureHalfWayReleasesEverythingMade) {
  RecordingDisplayDevice device;
  device.failingCalls = {"AttachZBuffer"};
  RunningDisplay display(32, &device);
  ASSERT_TRUE(display.started());
  EXPECT_EQ(rt::GetScreenStateRecord().pureSoftware, 1);
  EXPECT_GT(device.CountCalls("CreateSurface"), 3);
  EXPECT_EQ(device.liveSurfaceCount(), 0);
  EXPECT_GE(FindInOrder(display.runtime().Log(), {"Ｚバッファの作成に失敗しました", "DirectDrawSurface の初期化に失敗しました",
                                                   "ソフトウエアレンダリングモードに変更します"}),
            0);
}

TEST(DisplayDeviceStartUpTest, EndReleasesEverySurface) {
  RecordingDisplayDevice device;
  {
    RunningDisplay display(32, &device);
    ASSERT_TRUE(display.started());
    ASSERT_NE(display.LoadPicture("q.png", Quarters()), -1);
    EXPECT_GT(device.liveSurfaceCount(), 5);
  }
  EXPECT_EQ(device.liveSurfaceCount(), 0);
  EXPECT_FALSE(device.hasClipper());
}

// Screen modes after start-up in full screen, one device per case.
struct ModeCase {
  const char* name;
  std::vector<RecordingDisplayDevice::RefusedMode> refused;
  int width, height, bits, refresh;
  int result;
  int screenWidth, screenHeight, screenBits;
  int displayModeCalls;  // SetDisplayMode calls the change makes
};

class ModeChangeTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ModeChangeTest, FullScreen) {
  const ModeCase& c = GetParam();
  RecordingDisplayDevice device;
  RunningDisplay display(32, &device);
  ASSERT_TRUE(display.started());
  ASSERT_EQ(ChangeWindowMode(0), 0);
  EXPECT_EQ(device.cooperativeLevel(), platform::CooperativeLevel::kFullScreenExclusive);
  EXPECT_EQ(device.GetDisplayMode().width, 800);
  device.refusedModes = c.refused;
  const int before = device.CountCalls("SetDisplayMode");
  EXPECT_EQ(SetScreenMode(c.width, c.height, c.bits, c.refresh), c.result);
  int w = 0, h = 0;
  rt::GetScreenSize(&w, &h);
  EXPECT_EQ(w, c.screenWidth);
  EXPECT_EQ(h, c.screenHeight);
  EXPECT_EQ(rt::GetScreenStateRecord().screenBits, c.screenBits);
  EXPECT_EQ(device.CountCalls("SetDisplayMode") - before, c.displayModeCalls);
  if (c.displayModeCalls > 0) {
    EXPECT_EQ(device.GetDisplayMode().width, c.screenWidth);
    EXPECT_EQ(device.GetDisplayMode().format.bits, c.screenBits);
  }
  // Both buffers of the chain start black, and drawing reaches the screen by Flip.
  SetDrawScreen(kDrawScreenBack);
  DrawBox(0, 0, 8, 8, GetColor(255, 255, 255), 1);
  const int flips = device.CountCalls("Flip");
  ASSERT_EQ(FlipScreen(), 0);
  EXPECT_EQ(device.CountCalls("Flip"), flips + 1);
  EXPECT_EQ(device.shownWidth, c.screenWidth);
  EXPECT_EQ(device.ShownPixel(4, 4), c.screenBits == 16 ? 0xFFFFu : 0xFFFFFFFFu);
  EXPECT_EQ(Rgb(device.ShownPixel(20, 20)), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ModeChangeTest,
    ::testing::Values(
        ModeCase{"Same32", {}, 1024, 768, 32, 60, 0, 1024, 768, 32, 1},
        ModeCase{"Depth16", {}, 800, 600, 16, 60, 0, 800, 600, 16, 1},
        ModeCase{"RefreshRefusedRetriedWithout", {{0, 0, 0, 75}}, 800, 600, 32, 75, 0, 800, 600, 32, 2},
        // The mode from before comes back; the call reports the refusal.
        ModeCase{"RefusedKeepsTheOldMode", {{1024, 768, 0, -1}}, 1024, 768, 32, 60, -1, 800, 600, 32, 3},
        // Neither the new nor the old mode: 640 x 480 x 16.
        ModeCase{"FallsBackTo640x480x16", {{1024, 768, 0, -1}, {800, 600, 0, -1}}, 1024, 768, 32, 60, -2, 640,
                 480, 16, 5},
        ModeCase{"Depth24Refused", {}, 800, 600, 24, 60, -1, 800, 600, 32, 0}),
    [](const ::testing::TestParamInfo<ModeCase>& info) { return info.param.name; });

TEST(DisplayDeviceModeTest, WindowModeKeepsTheDesktopAndScalesTheFlip) {
  RecordingDisplayDevice device;
  RunningDisplay display(32, &device);
  ASSERT_TRUE(display.started());
  EXPECT_EQ(device.cooperativeLevel(), platform::CooperativeLevel::kNormal);
  SetWindowScale(0.5);
  DrawBox(0, 0, 400, 300, GetColor(0, 0, 255), 1);
  ASSERT_EQ(FlipScreen(), 0);
  const platform::Rect client = Client(display);
  ASSERT_EQ(client.Width(), 400);
  // The whole back surface onto the client area, halved.
  ASSERT_FALSE(device.calls.empty());
  const platform::DeviceCall* blt = nullptr;
  for (const auto& call : device.calls) {
    if (call.name == "Blt") blt = &call;
  }
  ASSERT_NE(blt, nullptr);
  EXPECT_EQ(blt->args, (std::vector<int64_t>{client.left, client.top, client.left + 400, client.top + 300, 0, 0, 800,
                                             600}));
  EXPECT_EQ(Rgb(device.ShownPixel(100, 100)), 0x0000FFu);
  EXPECT_EQ(Rgb(device.ShownPixel(300, 200)), 0u);
  EXPECT_EQ(device.CountCalls("SetDisplayMode"), 0);
}

TEST(DisplayDeviceFlipTest, VerticalBlankWaitFollowsTheFlag) {
  RecordingDisplayDevice device;
  RunningDisplay display(32, &device);
  ASSERT_TRUE(display.started());
  // Start-up turns the wait on.
  int waits = device.vblankWaits;
  FlipScreen();
  EXPECT_EQ(device.vblankWaits, waits + 1);
  EXPECT_TRUE(device.lastShowWaited);
  rt::SetWaitVSyncFlag(0);
  waits = device.vblankWaits;
  FlipScreen();
  EXPECT_EQ(device.vblankWaits, waits);
  EXPECT_FALSE(device.lastShowWaited);

  // On the front screen a flip copies nothing and waits one blank.
  rt::SetWaitVSyncFlag(1);
  SetDrawScreen(kDrawScreenFront);
  const int blts = device.CountCalls("Blt");
  waits = device.vblankWaits;
  EXPECT_EQ(FlipScreen(), 0);
  EXPECT_EQ(device.CountCalls("Blt"), blts);
  EXPECT_EQ(device.vblankWaits, waits + 1);
}

TEST(DisplayDeviceFlipTest, FrontScreenDrawsShowAtOnce) {
  RecordingDisplayDevice device;
  RunningDisplay display(32, &device);
  ASSERT_TRUE(display.started());
  SetDrawScreen(kDrawScreenFront);
  DrawBox(10, 10, 20, 20, GetColor(255, 255, 0), 1);
  EXPECT_EQ(Rgb(device.ShownPixel(15, 15)), 0xFFFF00u);
  EXPECT_EQ(Rgb(device.ShownPixel(25, 25)), 0u);
}

// Graphs on video-memory surfaces lose their pixels with the device's surfaces; the flip
// that finds them lost restores them and reloads the graphs from their files.
TEST(DisplayDeviceLostTest, LostSurfacesAtTheFlipComeBackWithTheirPixels) {
  RecordingDisplayDevice device;
  RunningDisplay display(32, &device);
  ASSERT_TRUE(display.started());
  const int graph = display.LoadPicture("q.png", Quarters());
  ASSERT_NE(graph, -1);
  ASSERT_NE(StoreOf(graph), nullptr);
  ASSERT_EQ(StoreOf(graph)->software, 0);
  const int made = rt::MakeGraph(16, 16, 0, 0, 0);  // no file: nothing to reload it from
  ASSERT_NE(made, -1);

  device.LoseSurfaces();
  EXPECT_EQ(DrawGraph(0, 0, graph, 0), 0);  // into a lost surface: nothing drawn
  ASSERT_EQ(FlipScreen(), 0);
  EXPECT_GT(device.CountCalls("Restore"), 2);
  EXPECT_FALSE(device.IsLost(StoreOf(graph)->surface));
  EXPECT_EQ(rt::GetGraphRecord(graph)->lost, 0);

  ClearDrawScreen();
  DrawGraph(100, 100, graph, 0);
  FlipScreen();
  EXPECT_EQ(Rgb(device.ShownPixel(102, 102)), 0xFF0000u);
  EXPECT_EQ(Rgb(device.ShownPixel(110, 102)), 0x0000FFu);
  EXPECT_EQ(Rgb(device.ShownPixel(102, 110)), 0x00FF00u);
}

}  // namespace
