// Depth-buffered triangles: triangles per second for small (16 px), medium (64 px) and
// full-screen triangles in each span family on 800 x 600 screens of 32 and 16 bits, and
// the untextured ones beside pixman's triangle rasteriser filling the same triangles with
// a solid colour and beside SDL2's geometry renderer (its software renderer on a surface
// over the same screen), which fills them with the same solid or per-vertex colours.
// Cases run as "Polygons<bits>/<family>/<size>/ours", ".../pixman" and ".../sdl", so the
// closing ratio table gives each peer's time over ours (neither peer does perspective or
// depth, so the untextured families are the fair comparison).
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/image/memimg.h"
#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/poly_triangle.h"

namespace {

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kTexture = 64;

struct Size {
  const char* name;
  float edge;  // 0: the triangle covering the screen's lower-left half
  int perRound;
};
constexpr Size kSizes[] = {{"16px", 16.0f, 400}, {"64px", 64.0f, 100}, {"FullScreen", 0.0f, 1}};

struct Family {
  const char* name;
  int form;  // -1 none (the white stand-in), 0 direct, 1 direct with alpha, 2 palettised
  int vertexColour;
  int mode;
};
constexpr Family kFamilies[] = {
    {"Untextured/Plain", -1, 0, 0},  {"Untextured/Tinted", -1, 1, 0}, {"Direct/Plain", 0, 0, 0},
    {"Direct/Tinted", 0, 1, 0},      {"DirectAlpha/Plain", 1, 0, 1},  {"DirectAdd/Tinted", 0, 1, 2},
    {"Palette/Plain", 2, 0, 0},      {"Palette/Tinted", 2, 1, 0},
};

struct Scene {
  rt::MEMIMG screen{}, textures[3]{};
  pixman_image_t* pScreen = nullptr;
  pixman_image_t* solid = nullptr;
  SDL_Surface* sScreen = nullptr;
  SDL_Renderer* renderer = nullptr;
  explicit Scene(int kind) {
    rt::CreateMemImg(&screen, kScreenW, kScreenH, kind);
    std::memset(screen.pixels, 0, static_cast<size_t>(screen.pitch) * kScreenH);
    std::mt19937 rng(3);
    for (int form = 0; form < 3; ++form) {
      rt::MEMIMG& t = textures[form];
      rt::InitMemImg(&t, kTexture, kTexture, -1, 0, kind, form == 2, form == 1, 0);
      for (uint8_t& b : t.palette) b = static_cast<uint8_t>(rng());
      const int bytes = rt::MemImgBytesPerPixel(kind, form == 2, form == 1);
      for (int y = 0; y < kTexture; ++y) {
        for (int x = 0; x < kTexture; ++x) {
          const uint32_t v = static_cast<uint32_t>(rng());
          std::memcpy(t.pixels + y * t.pitch + x * bytes, &v, static_cast<size_t>(bytes));
        }
      }
    }
    pScreen = pixman_image_create_bits(kind == 1 ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5, kScreenW, kScreenH,
                                       reinterpret_cast<uint32_t*>(screen.pixels), screen.pitch);
    const pixman_color_t colour{0xC000, 0x8000, 0x4000, 0xFFFF};
    solid = pixman_image_create_solid_fill(&colour);
    const uint32_t sdlFormat = kind == 1 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
    sScreen = SDL_CreateRGBSurfaceWithFormatFrom(screen.pixels, kScreenW, kScreenH, SDL_BITSPERPIXEL(sdlFormat),
                                                 screen.pitch, sdlFormat);
    renderer = SDL_CreateSoftwareRenderer(sScreen);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
  }
};

Scene& GetScene(int kind) {
  static Scene wide(1), narrow(0);
  return kind == 1 ? wide : narrow;
}

// Random triangles of the size, the same for every run.
std::vector<rt::VertexTriple> Triangles(const Size& size) {
  std::vector<rt::VertexTriple> out;
  std::mt19937 rng(11);
  const auto v = [&](float x, float y, float u, float t) {
    return rt::PolygonVertex{x, y, 0.5f, 1.0f, static_cast<uint32_t>(rng()) | 0xFF000000u, u, t};
  };
  if (size.edge == 0.0f) {
    out.push_back({{v(0, 0, 0, 0), v(0, kScreenH, 0, 0.99f), v(kScreenW, kScreenH, 0.99f, 0.99f)}});
    return out;
  }
  for (int i = 0; i < size.perRound; ++i) {
    const float x = static_cast<float>(rng() % static_cast<unsigned>(kScreenW - size.edge));
    const float y = static_cast<float>(rng() % static_cast<unsigned>(kScreenH - size.edge));
    out.push_back({{v(x, y, 0, 0), v(x + size.edge, y + size.edge * 0.3f, 0.99f, 0.2f),
                    v(x + size.edge * 0.4f, y + size.edge, 0.3f, 0.99f)}});
  }
  return out;
}

pixman_triangle_t ToPixman(const rt::VertexTriple& t) {
  const auto p = [](const rt::PolygonVertex& v) {
    return pixman_point_fixed_t{pixman_double_to_fixed(v.x), pixman_double_to_fixed(v.y)};
  };
  return pixman_triangle_t{p(t.v[0]), p(t.v[1]), p(t.v[2])};
}

void Register(int kind) {
  const std::string bits = kind == 1 ? "Polygons32" : "Polygons16";
  for (const Family& family : kFamilies) {
    for (const Size& size : kSizes) {
      const std::string base = bits + "/" + family.name + "/" + size.name;
      benchmark::RegisterBenchmark((base + "/ours").c_str(), [kind, family, size](benchmark::State& state) {
        Scene& scene = GetScene(kind);
        const std::vector<rt::VertexTriple> triangles = Triangles(size);
        rt::DrawState& d = rt::GetDrawState();
        d.drawArea = RECT{0, 0, kScreenW, kScreenH};
        d.blendMode = family.mode;
        d.blendParam = 160;
        d.brightColor = 0xFFFFFF;
        const rt::MEMIMG* texture = family.form < 0 ? nullptr : &scene.textures[family.form];
        for (auto _ : state) {
          for (const rt::VertexTriple& t : triangles) {
            rt::DrawPolygonTriangleMemImg(&scene.screen, nullptr, texture, &t, 0, nullptr, 0, 0, family.vertexColour, 0);
          }
          benchmark::ClobberMemory();
        }
        state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(triangles.size()));
      })->Unit(benchmark::kMicrosecond);
      if (family.form >= 0) continue;
      benchmark::RegisterBenchmark((base + "/sdl").c_str(), [kind, family, size](benchmark::State& state) {
        Scene& scene = GetScene(kind);
        // The plain family fills in one colour; the tinted one interpolates the vertices'.
        std::vector<SDL_Vertex> vertices;
        for (const rt::VertexTriple& t : Triangles(size)) {
          for (const rt::PolygonVertex& v : t.v) {
            const uint32_t c = family.vertexColour ? v.color : 0xFFC08040u;
            vertices.push_back(SDL_Vertex{{v.x, v.y},
                                          {static_cast<Uint8>(c >> 16), static_cast<Uint8>(c >> 8),
                                           static_cast<Uint8>(c), 255},
                                          {0.0f, 0.0f}});
          }
        }
        for (auto _ : state) {
          // One call per triangle, as the game's polygon draw makes one per triangle.
          for (size_t i = 0; i < vertices.size(); i += 3) {
            SDL_RenderGeometry(scene.renderer, nullptr, &vertices[i], 3, nullptr, 0);
          }
          SDL_RenderFlush(scene.renderer);
          benchmark::ClobberMemory();
        }
        state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(vertices.size() / 3));
      })->Unit(benchmark::kMicrosecond);
      if (family.vertexColour) continue;
      benchmark::RegisterBenchmark((base + "/pixman").c_str(), [kind, size](benchmark::State& state) {
        Scene& scene = GetScene(kind);
        std::vector<pixman_triangle_t> triangles;
        for (const rt::VertexTriple& t : Triangles(size)) triangles.push_back(ToPixman(t));
        for (auto _ : state) {
          for (const pixman_triangle_t& t : triangles) {
            pixman_composite_triangles(PIXMAN_OP_SRC, scene.solid, scene.pScreen, PIXMAN_a8, 0, 0, 0, 0, 1, &t);
          }
          benchmark::ClobberMemory();
        }
        state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(triangles.size()));
      })->Unit(benchmark::kMicrosecond);
    }
  }
}

const bool g_registered = [] {
  Register(1);
  Register(0);
  return true;
}();

}  // namespace
