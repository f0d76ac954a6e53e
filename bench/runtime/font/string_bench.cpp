// Text drawing with a warm glyph cache: a 40-character line of Japanese and ASCII drawn
// 1,000 times per frame onto an 800 x 600 software screen in the game's default font (the
// installed Gothic, size 12, thickness 2), unblended and with the menus' additive blending.
#include <benchmark/benchmark.h>

#include "runtime/display/display_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/font/font.h"
#include "runtime/image/memimg.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_data.h"

namespace {

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kLinesPerFrame = 1000;
constexpr int kLineHeight = 14;
// 40 characters: 20 double-byte and 20 single-byte.
constexpr char kLine[] = "敵兵に発見されました Alert 3/5 残り時間 01:23 ／ 潜入開始！!";

class SoftwareScreen {
 public:
  SoftwareScreen() {
    rt::ResetDisplayState();
    rt::ScreenState& screen = rt::GetScreenStateRecord();
    screen.pureSoftware = 1;
    screen.softwareRender = 1;
    screen.screenBits = 32;
    screen.requestedBits = 32;
    screen.screenWidth = kScreenW;
    screen.screenHeight = kScreenH;
    rt::CreateMemImg(&image_, kScreenW, kScreenH, rt::kMemImgKindXRGB);
    rt::GetDrawTarget().targetMemImg = &image_;
    rt::GetDrawState().drawArea = RECT{0, 0, kScreenW, kScreenH};
    rt::ResetDefaultFontSettings();
    rt::SetFontSizeImpl(12);
    rt::SetFontThicknessImpl(2);
  }
  ~SoftwareScreen() {
    rt::DeleteAllFonts();
    rt::DeleteAllSurface2D();
    rt::ClearSurfaceDataTable();
    rt::ReleaseMemImg(&image_);
    rt::ResetDisplayState();
  }

 private:
  rt::MEMIMG image_{};
};

void DrawFrame(uint32_t color) {
  for (int i = 0; i < kLinesPerFrame; ++i) {
    benchmark::DoNotOptimize(rt::DrawStringImpl(8, (i * kLineHeight) % (kScreenH - kLineHeight), kLine, color, 0));
  }
}

void BM_DrawStringFrame(benchmark::State& state) {
  SoftwareScreen screen;
  const uint32_t color = rt::GetColorImpl(9, 176, 254);
  rt::GetDrawState().blendMode = static_cast<int>(state.range(0));
  rt::GetDrawState().blendParam = 144;
  DrawFrame(color);  // warms the cache
  for (auto _ : state) DrawFrame(color);
  state.SetItemsProcessed(state.iterations() * kLinesPerFrame);
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawStringFrame)->Arg(0)->Arg(2)->ArgName("blend")->Unit(benchmark::kMillisecond);

void BM_StringWidth(benchmark::State& state) {
  SoftwareScreen screen;
  const int font = rt::GetDefaultFontHandle();
  rt::GetDrawStringWidthToHandle(kLine, -1, font, 0);
  for (auto _ : state) benchmark::DoNotOptimize(rt::GetDrawStringWidthToHandle(kLine, -1, font, 0));
}
BENCHMARK(BM_StringWidth);

}  // namespace
