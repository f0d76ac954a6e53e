// A typical game frame through the public draws on the software display, flipped into the
// recording presenter: clear, three 800 x 600 background layers, 60 sprites of 120 x 108
// with alpha, a darkness overlay at half alpha and a HUD of small rectangles. The "fps"
// counter is frames per second on one core (the game needs 60).
//
// The same frame in a real window (a virtual X server's, DISPLAY set; skipped without one):
// on the software display and through the OpenGL device, with what each frame costs the
// process and the drawing thread (bench/display_cost.h).
#include <benchmark/benchmark.h>

#include <time.h>

#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bench/display_cost.h"
#include "runtime/api.h"
#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/display/display_state.h"
#include "runtime/display/screen_mode.h"
#include "tests/support/display_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::MakePng;
using testing_support::Picture;
using testing_support::PngOptions;
using testing_support::Rgba;
using testing_support::RunningDisplay;

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kSprites = 60;
constexpr int kSpriteW = 120;
constexpr int kSpriteH = 108;
constexpr int kHudBoxes = 24;

// Layer 0 is opaque; layers 1 and 2 are partly black (transparent), like scenery in front.
Picture Layer(int index) {
  Picture p{kScreenW, kScreenH, std::vector<Rgba>(kScreenW * kScreenH)};
  for (int y = 0; y < kScreenH; ++y) {
    for (int x = 0; x < kScreenW; ++x) {
      const bool open = index > 0 && ((x / 40 + y / 30 + index) % 3 == 0);
      p.At(x, y) = open ? Rgba{0, 0, 0, 255}
                        : Rgba{uint8_t(x * index + 20), uint8_t(y + 40 * index), uint8_t((x + y) / 8), 255};
    }
  }
  return p;
}

Picture Sprite() {
  Picture p{kSpriteW, kSpriteH, std::vector<Rgba>(kSpriteW * kSpriteH)};
  for (int y = 0; y < kSpriteH; ++y) {
    for (int x = 0; x < kSpriteW; ++x) {
      const double dx = (x - kSpriteW / 2.0) / (kSpriteW / 2.0);
      const double dy = (y - kSpriteH / 2.0) / (kSpriteH / 2.0);
      const double r = std::sqrt(dx * dx + dy * dy);
      const int a = r >= 1.0 ? 0 : (r < 0.7 ? 255 : static_cast<int>((1.0 - r) / 0.3 * 255));
      p.At(x, y) = Rgba{uint8_t(200 - x), uint8_t(y * 2), 180, uint8_t(a)};
    }
  }
  return p;
}

Picture Darkness() {
  Picture p{kScreenW, kScreenH, std::vector<Rgba>(kScreenW * kScreenH, Rgba{8, 8, 24, 255})};
  return p;
}

// The frame's graphs, loaded into the running library.
struct Scene {
  int layers[3] = {};
  int sprite = -1;
  int darkness = -1;
};

template <typename Load>
Scene LoadScene(Load load) {
  Scene scene;
  for (int i = 0; i < 3; ++i) scene.layers[i] = load("layer" + std::to_string(i) + ".png", Layer(i), PngOptions{});
  PngOptions rgba;
  rgba.colorType = 6;
  scene.sprite = load("sprite.png", Sprite(), rgba);
  scene.darkness = load("dark.png", Darkness(), PngOptions{});
  return scene;
}

void DrawFrame(const Scene& scene, int64_t frame) {
  const unsigned hud = GetColor(40, 200, 90);
  const unsigned white = GetColor(255, 255, 255);
  ClearDrawScreen();
  DrawGraph(0, 0, scene.layers[0], 0);
  DrawGraph(0, 0, scene.layers[1], 1);
  DrawGraph(0, 0, scene.layers[2], 1);
  for (int i = 0; i < kSprites; ++i) {
    DrawGraph((i * 97 + static_cast<int>(frame)) % (kScreenW - 60) - 30, (i * 53) % (kScreenH - 54), scene.sprite, 1);
  }
  SetDrawBlendMode(1, 128);
  DrawGraph(0, 0, scene.darkness, 0);
  SetDrawBlendMode(0, 0);
  for (int i = 0; i < kHudBoxes; ++i) {
    DrawBox(10 + i * 32, 560, 36 + i * 32, 580, hud, 1);
    DrawBox(10 + i * 32, 560, 36 + i * 32, 580, white, 0);
  }
  FlipScreen();
}

void BM_GameFrame(benchmark::State& state) {
  RunningDisplay display;
  if (!display.started()) {
    state.SkipWithError("the runtime did not start");
    return;
  }
  display.runtime().presenter().historyLimit = 0;
  const Scene scene = LoadScene(
      [&](const std::string& name, const Picture& p, const PngOptions& o) { return display.LoadPicture(name, p, o); });
  int64_t frames = 0;
  for (auto _ : state) DrawFrame(scene, frames++);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GameFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same frame's pixel traffic as plain memory copies of 32-bit pixels: the clear, the
// three layers, the sprites' rows, the overlay and the flip, with no blending. The distance
// between the two is what the blend rules and the draws' set-up cost above the memory's limit.
void BM_GameFrameTrafficAsCopies(benchmark::State& state) {
  constexpr size_t kScreenBytes = size_t{kScreenW} * kScreenH * 4;
  std::vector<uint8_t> screen(kScreenBytes), presented(kScreenBytes), overlay(kScreenBytes, 1);
  std::vector<std::vector<uint8_t>> layers(3, std::vector<uint8_t>(kScreenBytes, 2));
  std::vector<uint8_t> sprite(size_t{kSpriteW} * kSpriteH * 4, 3);
  int64_t frames = 0;
  for (auto _ : state) {
    std::memset(screen.data(), 0, kScreenBytes);
    for (const auto& layer : layers) std::memcpy(screen.data(), layer.data(), kScreenBytes);
    for (int i = 0; i < kSprites; ++i) {
      const int x = (i * 97 + static_cast<int>(frames)) % (kScreenW - 60);
      const int y = (i * 53) % (kScreenH - 54);
      for (int row = 0; row < kSpriteH && y + row < kScreenH; ++row) {
        const int w = x + kSpriteW <= kScreenW ? kSpriteW : kScreenW - x;
        std::memcpy(screen.data() + (size_t(y + row) * kScreenW + x) * 4, sprite.data() + size_t(row) * kSpriteW * 4,
                    size_t(w) * 4);
      }
    }
    std::memcpy(screen.data(), overlay.data(), kScreenBytes);
    std::memcpy(presented.data(), screen.data(), kScreenBytes);
    benchmark::DoNotOptimize(presented.data());
    benchmark::ClobberMemory();
    ++frames;
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GameFrameTrafficAsCopies)->Unit(benchmark::kMillisecond)->UseRealTime();

// The runtime in an 800 x 600 window without waiting for the blank, on the software display
// or on the OpenGL device; false when it does not start so.
bool StartWindow(bool softwareDisplay) {
  rt::GetLogState() = rt::LogState{};
  rt::GetRuntimeState() = rt::RuntimeState{};
  rt::GetWindowState().settings = rt::WindowSettings{};
  rt::ResetDisplayState();
  ChangeWindowMode(1);
  SetScreenMode(kScreenW, kScreenH, 32, 60);
  SetSoftwareRenderRequest(softwareDisplay ? 1 : 0);
  if (InitLibrary() != 0) return false;
  const rt::ScreenState& screen = rt::GetScreenStateRecord();
  if (softwareDisplay != (screen.device == nullptr)) {
    EndLibrary();
    return false;
  }
  SetDrawScreen(kDrawScreenBack);
  rt::SetWaitVSyncFlag(0);
  return true;
}

void BM_GameFrameInWindow(benchmark::State& state) {
  const bool software = state.range(0) == 0;
  if (bench_support::SkippedWithoutXDisplay(state)) return;
  testing_support::ScopedTempDir dir;
  if (!StartWindow(software)) {
    state.SkipWithError(software ? "the software display did not start" : "no OpenGL device");
    return;
  }
  const Scene scene = LoadScene([&](const std::string& name, const Picture& p, const PngOptions& o) {
    testing_support::WriteFileBytes(dir.File(name), testing_support::MakePng(p, o));
    return LoadGraph(name.c_str());
  });
  // The first frames make the programs and the GPU copies.
  for (int i = 0; i < 5; ++i) DrawFrame(scene, i);
  int64_t frames = 0;
  const double cpuStart = bench_support::CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  const double workStart = bench_support::CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  for (auto _ : state) DrawFrame(scene, frames++);
  const double perFrame = frames ? 1.0 / static_cast<double>(frames) : 0.0;
  const double cpuPerFrame = (bench_support::CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) * perFrame;
  const double workPerFrame = (bench_support::CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - workStart) * perFrame;
  EndLibrary();
  rt::ResetDisplayState();
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  bench_support::ReportDisplayCost(state, software, cpuPerFrame, workPerFrame);
}
BENCHMARK(BM_GameFrameInWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
