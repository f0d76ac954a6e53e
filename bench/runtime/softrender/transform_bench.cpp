// The stretched and rotated blits and the four-corner draw on 800 x 600 screens of 32 and
// 16 bits, beside pixman doing the same scale or rotation with nearest filtering (32-bit
// only: pixman has no 5-6-5 rotation path worth comparing) and SDL2's scaled blit for the
// scales. Cases are named "<case>/ours|pixman|sdl", so that the ratio table covers them.
#include <SDL.h>
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

// SDL2: the sprite scaled onto the rectangle (nearest) with no blending.
void Sdl(benchmark::State& state, int kind, int w, int h, int dx, int dy) {
  Images im(kind);
  const uint32_t format = kind == 1 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
  const int bits = kind == 1 ? 32 : 16;
  SDL_Surface* dst =
      SDL_CreateRGBSurfaceWithFormatFrom(im.screen.pixels, kScreenW, kScreenH, bits, im.screen.pitch, format);
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(im.sprite.pixels, kSprite, kSprite, bits, im.sprite.pitch, format);
  SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
  for (auto _ : state) {
    SDL_Rect r{dx, dy, w, h};
    SDL_BlitScaled(src, nullptr, dst, &r);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(w) * h);
  SDL_FreeSurface(src);
  SDL_FreeSurface(dst);
}

template <class F>
void Add(const char* name, F f) {
  benchmark::RegisterBenchmark(name, f)->Unit(benchmark::kMicrosecond);
}

const bool g_registered = [] {
  constexpr int kUp = kSprite * 2, kDown = kSprite / 2;
  Add("Stretch32/x2/ours", [](benchmark::State& s) { Stretch(s, 1, kUp); });
  Add("Stretch32/x2/pixman", [](benchmark::State& s) { Pixman(s, 2.0, 0.0, kUp, kUp, 100, 100); });
  Add("Stretch32/x2/sdl", [](benchmark::State& s) { Sdl(s, 1, kUp, kUp, 100, 100); });
  Add("Stretch16/x2/ours", [](benchmark::State& s) { Stretch(s, 0, kUp); });
  Add("Stretch16/x2/sdl", [](benchmark::State& s) { Sdl(s, 0, kUp, kUp, 100, 100); });
  Add("Stretch32/half/ours", [](benchmark::State& s) { Stretch(s, 1, kDown); });
  Add("Stretch32/half/pixman", [](benchmark::State& s) { Pixman(s, 0.5, 0.0, kDown, kDown, 100, 100); });
  Add("Stretch32/half/sdl", [](benchmark::State& s) { Sdl(s, 1, kDown, kDown, 100, 100); });
  Add("Stretch16/half/ours", [](benchmark::State& s) { Stretch(s, 0, kDown); });
  Add("Stretch16/half/sdl", [](benchmark::State& s) { Sdl(s, 0, kDown, kDown, 100, 100); });
  Add("Rotate32/r30s1.5/ours", [](benchmark::State& s) { Rotate(s, 1); });
  Add("Rotate32/r30s1.5/pixman", [](benchmark::State& s) { Pixman(s, 1.5, M_PI / 6, 268, 268, 266, 166); });
  Add("Rotate16/r30s1.5/ours", [](benchmark::State& s) { Rotate(s, 0); });
  Add("Quad32/fullscreen/ours", [](benchmark::State& s) { Quad(s, 1); });
  Add("Quad32/fullscreen/pixman",
      [](benchmark::State& s) { Pixman(s, kScreenW / static_cast<double>(kSprite), 0.0, kScreenW, kScreenH, 0, 0); });
  Add("Quad32/fullscreen/sdl", [](benchmark::State& s) { Sdl(s, 1, kScreenW, kScreenH, 0, 0); });
  Add("Quad16/fullscreen/ours", [](benchmark::State& s) { Quad(s, 0); });
  Add("Quad16/fullscreen/sdl", [](benchmark::State& s) { Sdl(s, 0, kScreenW, kScreenH, 0, 0); });
  return true;
}();

}  // namespace
