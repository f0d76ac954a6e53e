// The stretched and rotated blits and the four-corner draw on 800 x 600 screens of 32 and
// 16 bits, beside pixman doing the same scale or rotation with nearest filtering (32-bit
// only: pixman has no 5-6-5 rotation path worth comparing). Run side by side, the ratio is
// pixman's time over ours.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstring>
#include <random>

#include "runtime/image/memimg.h"
#include "runtime/softrender/blit_rotate.h"
#include "runtime/softrender/blit_stretch.h"
#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/texture_triangle.h"

namespace {

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kSprite = 128;

struct Images {
  rt::MEMIMG screen{}, sprite{};
  explicit Images(int kind) {
    rt::CreateMemImg(&screen, kScreenW, kScreenH, kind);
    rt::InitMemImg(&sprite, kSprite, kSprite, -1, 0, kind, 0, 0, 0);
    std::mt19937 rng(5);
    for (int y = 0; y < kSprite; ++y) {
      for (int x = 0; x < kSprite; ++x) {
        const uint32_t v = rng();
        std::memcpy(sprite.pixels + y * sprite.pitch + x * (kind == 1 ? 4 : 2), &v, kind == 1 ? 4 : 2);
      }
    }
    rt::DrawState& s = rt::GetDrawState();
    s.drawArea = RECT{0, 0, kScreenW, kScreenH};
    s.blendMode = 0;
    s.blendParam = 255;
    s.brightColor = 0xFFFFFF;
  }
  ~Images() {
    rt::ReleaseMemImg(&screen);
    rt::ReleaseMemImg(&sprite);
  }
};

void Stretch(benchmark::State& state, int kind, int size) {
  Images im(kind);
  const RECT r{100, 100, 100 + size, 100 + size};
  for (auto _ : state) {
    rt::StretchBlitMemImg(&im.screen, &im.sprite, &r, 0, nullptr);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * size * size);
}

void Rotate(benchmark::State& state, int kind) {
  Images im(kind);
  for (auto _ : state) {
    rt::RotateBlitMemImg(&im.screen, &im.sprite, 400, 300, static_cast<float>(M_PI / 6), 1.5f, 0, 0, nullptr);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSprite * kSprite * 9 / 4);
}

void Quad(benchmark::State& state, int kind) {
  Images im(kind);
  const int32_t corners[8] = {0, 0, kScreenW, 0, 0, kScreenH, kScreenW, kScreenH};
  for (auto _ : state) {
    rt::DrawQuadMemImg(&im.screen, &im.sprite, corners, 0, nullptr);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
}

// pixman: the sprite composited with SRC through an inverse transform, nearest filtering.
void Pixman(benchmark::State& state, double scale, double angle, int w, int h, int dx, int dy) {
  Images im(1);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, kScreenW, kScreenH,
                                                 reinterpret_cast<uint32_t*>(im.screen.pixels), im.screen.pitch);
  pixman_image_t* src = pixman_image_create_bits(PIXMAN_x8r8g8b8, kSprite, kSprite,
                                                 reinterpret_cast<uint32_t*>(im.sprite.pixels), im.sprite.pitch);
  // Destination to source: about the sprite's centre, turned back and scaled down.
  pixman_f_transform ft;
  pixman_f_transform_init_identity(&ft);
  pixman_f_transform_translate(&ft, nullptr, -w / 2.0, -h / 2.0);
  pixman_f_transform_rotate(&ft, nullptr, std::cos(-angle), std::sin(-angle));
  pixman_f_transform_scale(&ft, nullptr, 1.0 / scale, 1.0 / scale);
  pixman_f_transform_translate(&ft, nullptr, kSprite / 2.0, kSprite / 2.0);
  pixman_transform t;
  pixman_transform_from_pixman_f_transform(&t, &ft);
  pixman_image_set_transform(src, &t);
  pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, dx, dy, w, h);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(w) * h);
  pixman_image_unref(src);
  pixman_image_unref(dst);
}

BENCHMARK_CAPTURE(Stretch, x2_32bit_ours, 1, kSprite * 2);
BENCHMARK_CAPTURE(Pixman, x2_32bit_pixman, 2.0, 0.0, kSprite * 2, kSprite * 2, 100, 100);
BENCHMARK_CAPTURE(Stretch, x2_16bit_ours, 0, kSprite * 2);
BENCHMARK_CAPTURE(Stretch, half_32bit_ours, 1, kSprite / 2);
BENCHMARK_CAPTURE(Pixman, half_32bit_pixman, 0.5, 0.0, kSprite / 2, kSprite / 2, 100, 100);
BENCHMARK_CAPTURE(Stretch, half_16bit_ours, 0, kSprite / 2);
BENCHMARK_CAPTURE(Rotate, r30_s1_5_32bit_ours, 1);
BENCHMARK_CAPTURE(Pixman, r30_s1_5_32bit_pixman, 1.5, M_PI / 6, 268, 268, 266, 166);
BENCHMARK_CAPTURE(Rotate, r30_s1_5_16bit_ours, 0);
BENCHMARK_CAPTURE(Quad, fullscreen_32bit_ours, 1);
BENCHMARK_CAPTURE(Pixman, fullscreen_32bit_pixman, kScreenW / static_cast<double>(kSprite), 0.0, kScreenW, kScreenH, 0, 0);
BENCHMARK_CAPTURE(Quad, fullscreen_16bit_ours, 0);

}  // namespace
