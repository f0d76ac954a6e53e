// The software renderer's blits and primitives beside the same work done by pixman and by
// SDL2's software blitter and renderer, on 800 x 600 screens. Each case runs as
// "<case>/ours", "<case>/pixman" and "<case>/sdl" where the peer has a comparable
// operation (the screen clear runs beside "<case>/memset"); the closing table gives each
// peer's time divided by ours (above 1: we lead).
#include <optional>
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "runtime/image/memimg.h"
#include "runtime/softrender/blit_memimg.h"
#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/primitives.h"

namespace {

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kSpriteSize = 64;
constexpr int kSpritesPerRound = 200;
constexpr int kLines = 10000;
constexpr int kCircles = 1000;

struct Image {
  rt::MEMIMG img{};
  Image() = default;
  Image(const Image&) = delete;
  ~Image() { rt::ReleaseMemImg(&img); }
};

// One set of images in one pixel format (kind 0 16-bit, kind 1 32-bit).
struct Screens {
  int kind;
  Image dest, opaque, alpha, keyed, sprite, alphaSprite;
  uint32_t key;
  pixman_image_t *pDest = nullptr, *pOpaque = nullptr, *pAlpha = nullptr, *pAlphaSprite = nullptr,
                 *pKeySprite = nullptr;
  SDL_Surface *sDest = nullptr, *sOpaque = nullptr, *sAlpha = nullptr, *sKeyed = nullptr, *sSprite = nullptr,
              *sAlphaSprite = nullptr;
  SDL_Renderer* renderer = nullptr;
  std::vector<uint32_t> premultipliedSprite;  // pixman's key-sprite stand-in: alpha 0 or 255
};

void FillRandom(rt::MEMIMG& m, std::mt19937& rng) {
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      const uint32_t v = static_cast<uint32_t>(rng());
      std::memcpy(m.pixels + y * m.pitch + x * m.format->pixelByte, &v, m.format->pixelByte);
    }
  }
}

// About 30 % of the pixels transparent, in runs as sprites have them.
void MakeKeyed(rt::MEMIMG& m, uint32_t key, std::mt19937& rng) {
  FillRandom(m, rng);
  const int bytes = m.format->pixelByte;
  for (int y = 0; y < m.height; ++y) {
    int x = 0;
    while (x < m.width) {
      const int run = 1 + static_cast<int>(rng() % 24);
      const bool transparent = rng() % 10 < 3;
      for (int i = 0; i < run && x < m.width; ++i, ++x) {
        if (transparent) {
          std::memcpy(m.pixels + y * m.pitch + x * bytes, &key, bytes);
        } else if (std::memcmp(m.pixels + y * m.pitch + x * bytes, &key, bytes) == 0) {
          m.pixels[y * m.pitch + x * bytes] ^= 1;
        }
      }
    }
  }
}

// Alpha 0, 255 and in between, in runs; colours premultiplied so that pixman reads valid
// data (the timing does not depend on it).
void MakeAlpha(rt::MEMIMG& m, std::mt19937& rng, bool onlyZeroOr255) {
  for (int y = 0; y < m.height; ++y) {
    int x = 0;
    while (x < m.width) {
      const int run = 1 + static_cast<int>(rng() % 24);
      const int pick = static_cast<int>(rng() % 10);
      uint32_t a = pick < 3 ? 0 : (pick < 7 || onlyZeroOr255 ? 255 : 1 + rng() % 254);
      for (int i = 0; i < run && x < m.width; ++i, ++x) {
        uint32_t c = static_cast<uint32_t>(rng());
        if (m.kind == 1) {
          const uint32_t b = (c & 0xFF) * a / 255, g = ((c >> 8) & 0xFF) * a / 255, r = ((c >> 16) & 0xFF) * a / 255;
          c = a << 24 | r << 16 | g << 8 | b;
        } else {
          c = (c & 0xFFFF) | a << 16;
        }
        std::memcpy(m.pixels + y * m.pitch + x * 4, &c, 4);
      }
    }
  }
}

pixman_image_t* PixmanOver(rt::MEMIMG& m, pixman_format_code_t format) {
  return pixman_image_create_bits(format, m.width, m.height, reinterpret_cast<uint32_t*>(m.pixels), m.pitch);
}

SDL_Surface* SdlOver(rt::MEMIMG& m, uint32_t format) {
  return SDL_CreateRGBSurfaceWithFormatFrom(m.pixels, m.width, m.height, SDL_BITSPERPIXEL(format), m.pitch, format);
}

Screens& GetScreens(int kind) {
  static std::unique_ptr<Screens> screens[2];
  if (screens[kind]) return *screens[kind];
  screens[kind] = std::make_unique<Screens>();
  Screens& s = *screens[kind];
  s.kind = kind;
  std::mt19937 rng(42 + kind);
  s.key = kind == 1 ? 0x00FF00FF : 0xF81F;
  rt::CreateMemImg(&s.dest.img, kScreenW, kScreenH, kind);
  rt::CreateMemImg(&s.opaque.img, kScreenW, kScreenH, kind);
  rt::InitMemImg(&s.alpha.img, kScreenW, kScreenH, -1, 0, kind, 0, 1, 1);
  rt::InitMemImg(&s.keyed.img, kScreenW, kScreenH, -1, s.key, kind, 0, 0, 1);
  rt::InitMemImg(&s.sprite.img, kSpriteSize, kSpriteSize, -1, s.key, kind, 0, 0, 1);
  rt::InitMemImg(&s.alphaSprite.img, kSpriteSize, kSpriteSize, -1, 0, kind, 0, 1, 1);
  FillRandom(s.dest.img, rng);
  FillRandom(s.opaque.img, rng);
  MakeAlpha(s.alpha.img, rng, false);
  MakeKeyed(s.keyed.img, s.key, rng);
  MakeKeyed(s.sprite.img, s.key, rng);
  MakeAlpha(s.alphaSprite.img, rng, false);
  for (rt::MEMIMG* m : {&s.alpha.img, &s.keyed.img, &s.sprite.img, &s.alphaSprite.img}) rt::RebuildMemImgRunTable(m);

  const pixman_format_code_t opaqueFormat = kind == 1 ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5;
  const uint32_t sdlOpaque = kind == 1 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
  s.pDest = PixmanOver(s.dest.img, opaqueFormat);
  s.pOpaque = PixmanOver(s.opaque.img, opaqueFormat);
  s.sDest = SdlOver(s.dest.img, sdlOpaque);
  s.sOpaque = SdlOver(s.opaque.img, sdlOpaque);
  s.sKeyed = SdlOver(s.keyed.img, sdlOpaque);
  s.sSprite = SdlOver(s.sprite.img, sdlOpaque);
  SDL_SetColorKey(s.sKeyed, SDL_TRUE, s.key);
  SDL_SetColorKey(s.sSprite, SDL_TRUE, s.key);
  if (kind == 1) {
    // Our 16-bit alpha pixels (colour word and alpha byte) have no counterpart in either
    // peer; they take their 32-bit alpha images.
    s.pAlpha = PixmanOver(s.alpha.img, PIXMAN_a8r8g8b8);
    s.pAlphaSprite = PixmanOver(s.alphaSprite.img, PIXMAN_a8r8g8b8);
    s.sAlpha = SdlOver(s.alpha.img, SDL_PIXELFORMAT_ARGB8888);
    s.sAlphaSprite = SdlOver(s.alphaSprite.img, SDL_PIXELFORMAT_ARGB8888);
    SDL_SetSurfaceBlendMode(s.sAlpha, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceBlendMode(s.sAlphaSprite, SDL_BLENDMODE_BLEND);
  } else {
    Screens& wide = GetScreens(1);
    s.pAlpha = wide.pAlpha;
    s.pAlphaSprite = wide.pAlphaSprite;
    s.sAlpha = wide.sAlpha;
    s.sAlphaSprite = wide.sAlphaSprite;
  }
  // pixman has no colour key: its stand-in for a keyed sprite is one whose alpha is 0 where
  // the key is and 255 elsewhere, drawn OVER.
  s.premultipliedSprite.resize(kSpriteSize * kSpriteSize);
  for (int y = 0; y < kSpriteSize; ++y) {
    for (int x = 0; x < kSpriteSize; ++x) {
      uint32_t v = 0;
      std::memcpy(&v, s.sprite.img.pixels + y * s.sprite.img.pitch + x * s.sprite.img.format->pixelByte,
                  s.sprite.img.format->pixelByte);
      s.premultipliedSprite[y * kSpriteSize + x] = v == s.key ? 0 : (0xFF000000 | (v & 0xFFFFFF));
    }
  }
  s.pKeySprite = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSpriteSize, kSpriteSize, s.premultipliedSprite.data(),
                                          kSpriteSize * 4);
  s.renderer = SDL_CreateSoftwareRenderer(s.sDest);
  return s;
}

void SetDraw(int mode, int param, uint32_t bright) {
  rt::DrawState& d = rt::GetDrawState();
  d.drawArea = RECT{0, 0, kScreenW, kScreenH};
  d.blendMode = mode;
  d.blendParam = param;
  d.brightColor = bright;
}

// A solid pixman mask of the given alpha (and, for a tint, of the given colour).
pixman_image_t* SolidMask(uint8_t alpha, uint32_t tint = 0xFFFFFF) {
  const auto scale = [&](uint32_t c) { return static_cast<uint16_t>(c * alpha / 255 * 257); };
  pixman_color_t c{scale((tint >> 16) & 0xFF), scale((tint >> 8) & 0xFF), scale(tint & 0xFF),
                   static_cast<uint16_t>(alpha * 257)};
  pixman_image_t* mask = pixman_image_create_solid_fill(&c);
  if (tint != 0xFFFFFF) pixman_image_set_component_alpha(mask, 1);
  return mask;
}

// Marks a case that pixman has no comparable operation for.
// No comparable pixman operation.
constexpr std::nullopt_t kNoPixmanOp = std::nullopt;

using Work = std::function<void()>;

void Register(const std::string& name, Work work) {
  benchmark::RegisterBenchmark(name.c_str(), [work](benchmark::State& state) {
    for (auto _ : state) work();
    benchmark::ClobberMemory();
  })->Unit(benchmark::kMicrosecond);
}

// Random sprite positions, some of them reaching past the screen's edges.
const std::vector<std::pair<int, int>>& SpritePositions() {
  static const std::vector<std::pair<int, int>> positions = [] {
    std::vector<std::pair<int, int>> p;
    std::mt19937 rng(7);
    for (int i = 0; i < kSpritesPerRound; ++i) {
      p.push_back({static_cast<int>(rng() % (kScreenW + 32)) - 32, static_cast<int>(rng() % (kScreenH + 32)) - 32});
    }
    return p;
  }();
  return positions;
}

struct Segment {
  int x1, y1, x2, y2;
};
const std::vector<Segment>& LineSegments() {
  static const std::vector<Segment> lines = [] {
    std::vector<Segment> v;
    std::mt19937 rng(8);
    for (int i = 0; i < kLines; ++i) {
      v.push_back({static_cast<int>(rng() % kScreenW), static_cast<int>(rng() % kScreenH),
                   static_cast<int>(rng() % kScreenW), static_cast<int>(rng() % kScreenH)});
    }
    return v;
  }();
  return lines;
}

void RegisterBlits(int kind) {
  const std::string k = kind == 1 ? "32" : "16";
  Screens& s = GetScreens(kind);
  const uint32_t tint = 0xC08040;

  struct BlitCase {
    std::string name;
    int mode, param;
    uint32_t bright;
    rt::MEMIMG* src;
    int flag;
    std::optional<pixman_op_t> pixmanOp;
    pixman_image_t* pixmanSrc;
    int pixmanMaskAlpha;  // -1: no mask
    SDL_Surface* sdlSrc;  // null: no comparable SDL blit
    SDL_BlendMode sdlMode;
    int sdlAlphaMod;
    bool sdlTint;
  };
  const std::vector<BlitCase> cases = {
      {"Copy", 0, 0, 0xFFFFFF, &s.opaque.img, 0, PIXMAN_OP_SRC, s.pOpaque, -1, s.sOpaque, SDL_BLENDMODE_NONE, 255,
       false},
      {"CopyBright", 0, 0, tint, &s.opaque.img, 0, PIXMAN_OP_SRC, s.pOpaque, 255, s.sOpaque, SDL_BLENDMODE_NONE, 255,
       true},
      {"Alpha100", 1, 100, 0xFFFFFF, &s.opaque.img, 0, PIXMAN_OP_OVER, s.pOpaque, 100, s.sOpaque, SDL_BLENDMODE_BLEND,
       100, false},
      {"Alpha128", 1, 128, 0xFFFFFF, &s.opaque.img, 0, PIXMAN_OP_OVER, s.pOpaque, 128, s.sOpaque, SDL_BLENDMODE_BLEND,
       128, false},
      {"Alpha100Bright", 1, 100, tint, &s.opaque.img, 0, PIXMAN_OP_OVER, s.pOpaque, 100, s.sOpaque, SDL_BLENDMODE_BLEND,
       100, true},
      {"SourceAlphaKeyed", 0, 0, 0xFFFFFF, &s.alpha.img, 1, PIXMAN_OP_OVER, s.pAlpha, -1, s.sAlpha, SDL_BLENDMODE_BLEND,
       255, false},
      {"SourceAlpha", 0, 0, 0xFFFFFF, &s.alpha.img, 2, PIXMAN_OP_OVER, s.pAlpha, -1, s.sAlpha, SDL_BLENDMODE_BLEND, 255,
       false},
      {"SourceAlphaBright", 0, 0, tint, &s.alpha.img, 2, PIXMAN_OP_OVER, s.pAlpha, 255, s.sAlpha, SDL_BLENDMODE_BLEND,
       255, true},
      {"Add255", 2, 255, 0xFFFFFF, &s.opaque.img, 0, PIXMAN_OP_ADD, s.pOpaque, -1, s.sOpaque, SDL_BLENDMODE_ADD, 255,
       false},
      {"Add96", 2, 96, 0xFFFFFF, &s.opaque.img, 0, PIXMAN_OP_ADD, s.pOpaque, 96, s.sOpaque, SDL_BLENDMODE_ADD, 96,
       false},
      {"Add96Bright", 2, 96, tint, &s.opaque.img, 0, PIXMAN_OP_ADD, s.pOpaque, 96, s.sOpaque, SDL_BLENDMODE_ADD, 96,
       true},
      {"Subtract128", 3, 128, 0xFFFFFF, &s.opaque.img, 0, kNoPixmanOp, nullptr, -1, nullptr, SDL_BLENDMODE_NONE, 255,
       false},
      {"Multiply", 4, 0, 0xFFFFFF, &s.opaque.img, 0, PIXMAN_OP_MULTIPLY, s.pOpaque, -1, s.sOpaque, SDL_BLENDMODE_MOD,
       255, false},
      {"KeyRuns", 0, 0, 0xFFFFFF, &s.keyed.img, 1, kNoPixmanOp, nullptr, -1, s.sKeyed, SDL_BLENDMODE_NONE, 255, false},
      {"KeyPerPixel", 0, 0, 0xFFFFFF, &s.keyed.img, 2, kNoPixmanOp, nullptr, -1, s.sKeyed, SDL_BLENDMODE_NONE, 255,
       false},
      {"KeyAlpha128", 1, 128, 0xFFFFFF, &s.keyed.img, 2, kNoPixmanOp, nullptr, -1, s.sKeyed, SDL_BLENDMODE_BLEND, 128,
       false},
      {"KeyBright", 0, 0, tint, &s.keyed.img, 1, kNoPixmanOp, nullptr, -1, s.sKeyed, SDL_BLENDMODE_NONE, 255, true},
  };
  for (const BlitCase& c : cases) {
    const std::string base = "Blit" + k + "/" + c.name;
    Register(base + "/ours", [c, &s] {
      SetDraw(c.mode, c.param, c.bright);
      rt::BlitMemImg(&s.dest.img, c.src, 0, 0, c.flag, nullptr);
    });
    if (c.pixmanOp) {
      pixman_image_t* mask = nullptr;
      if (c.pixmanMaskAlpha >= 0) mask = SolidMask(static_cast<uint8_t>(c.pixmanMaskAlpha), c.bright & 0xFFFFFF);
      Register(base + "/pixman", [c, mask, &s] {
        pixman_image_composite32(*c.pixmanOp, c.pixmanSrc, mask, s.pDest, 0, 0, 0, 0, 0, 0, kScreenW, kScreenH);
      });
    }
    if (c.sdlSrc) {
      Register(base + "/sdl", [c, &s] {
        SDL_SetSurfaceBlendMode(c.sdlSrc, c.sdlMode);
        SDL_SetSurfaceAlphaMod(c.sdlSrc, static_cast<Uint8>(c.sdlAlphaMod));
        if (c.sdlTint) {
          SDL_SetSurfaceColorMod(c.sdlSrc, (c.bright >> 16) & 0xFF, (c.bright >> 8) & 0xFF, c.bright & 0xFF);
        } else {
          SDL_SetSurfaceColorMod(c.sdlSrc, 255, 255, 255);
        }
        SDL_BlitSurface(c.sdlSrc, nullptr, s.sDest, nullptr);
      });
    }
  }

  // Sprites: 64 x 64, some clipped by the screen's edges (those take the per-pixel path).
  Register("Sprites" + k + "/Keyed/ours", [&s] {
    SetDraw(0, 0, 0xFFFFFF);
    for (auto [x, y] : SpritePositions()) rt::BlitMemImg(&s.dest.img, &s.sprite.img, x, y, 1, nullptr);
  });
  Register("Sprites" + k + "/Keyed/pixman", [&s] {
    for (auto [x, y] : SpritePositions()) {
      pixman_image_composite32(PIXMAN_OP_OVER, s.pKeySprite, nullptr, s.pDest, 0, 0, 0, 0, x, y, kSpriteSize,
                               kSpriteSize);
    }
  });
  Register("Sprites" + k + "/Keyed/sdl", [&s] {
    SDL_SetSurfaceBlendMode(s.sSprite, SDL_BLENDMODE_NONE);
    for (auto [x, y] : SpritePositions()) {
      SDL_Rect r{x, y, kSpriteSize, kSpriteSize};
      SDL_BlitSurface(s.sSprite, nullptr, s.sDest, &r);
    }
  });
  Register("Sprites" + k + "/Alpha/ours", [&s] {
    SetDraw(0, 0, 0xFFFFFF);
    for (auto [x, y] : SpritePositions()) rt::BlitMemImg(&s.dest.img, &s.alphaSprite.img, x, y, 1, nullptr);
  });
  Register("Sprites" + k + "/Alpha/pixman", [&s] {
    for (auto [x, y] : SpritePositions()) {
      pixman_image_composite32(PIXMAN_OP_OVER, s.pAlphaSprite, nullptr, s.pDest, 0, 0, 0, 0, x, y, kSpriteSize,
                               kSpriteSize);
    }
  });
  Register("Sprites" + k + "/Alpha/sdl", [&s] {
    for (auto [x, y] : SpritePositions()) {
      SDL_Rect r{x, y, kSpriteSize, kSpriteSize};
      SDL_BlitSurface(s.sAlphaSprite, nullptr, s.sDest, &r);
    }
  });
}

void RegisterPrimitives(int kind) {
  const std::string k = kind == 1 ? "32" : "16";
  Screens& s = GetScreens(kind);
  const uint32_t color = kind == 1 ? 0x00C08040 : 0xC408;
  struct FillCase {
    std::string name;
    int mode, param;
    std::optional<pixman_op_t> pixmanOp;
    SDL_BlendMode sdlMode;
    bool sdl;
  };
  const FillCase fills[] = {
      {"None", 0, 0, PIXMAN_OP_SRC, SDL_BLENDMODE_NONE, true},
      {"Alpha128", 1, 128, PIXMAN_OP_OVER, SDL_BLENDMODE_BLEND, true},
      {"Add255", 2, 255, PIXMAN_OP_ADD, SDL_BLENDMODE_ADD, true},
      {"Subtract128", 3, 128, kNoPixmanOp, SDL_BLENDMODE_NONE, false},
      {"Multiply", 4, 0, PIXMAN_OP_MULTIPLY, SDL_BLENDMODE_MOD, true},
  };
  for (const FillCase& f : fills) {
    const std::string base = "Box" + k + "/" + f.name;
    Register(base + "/ours", [f, &s, color] {
      SetDraw(f.mode, f.param, 0xFFFFFF);
      rt::FillBoxMemImgXY(&s.dest.img, 0, 0, kScreenW, kScreenH, color);
    });
    if (f.pixmanOp) {
      const uint16_t a = f.mode == 1 ? 128 * 257 : 0xFFFF;
      const auto premultiplied = [a](int c) { return static_cast<uint16_t>(int64_t{c} * 257 * a / 0xFFFF); };
      const pixman_color_t pc{premultiplied(0xC0), premultiplied(0x80), premultiplied(0x40), a};
      Register(base + "/pixman", [f, &s, pc] {
        const pixman_box32_t box{0, 0, kScreenW, kScreenH};
        pixman_image_fill_boxes(*f.pixmanOp, s.pDest, &pc, 1, &box);
      });
    }
    if (f.sdl) {
      Register(base + "/sdl", [f, &s] {
        if (f.mode == 0) {
          SDL_FillRect(s.sDest, nullptr, SDL_MapRGB(s.sDest->format, 0xC0, 0x80, 0x40));
          return;
        }
        SDL_SetRenderDrawBlendMode(s.renderer, f.sdlMode);
        SDL_SetRenderDrawColor(s.renderer, 0xC0, 0x80, 0x40, f.mode == 1 ? 128 : 255);
        SDL_RenderFillRect(s.renderer, nullptr);
        SDL_RenderFlush(s.renderer);
      });
    }
  }

  // The screen clear, beside memset over the same bytes.
  Register("Clear" + k + "/FullScreen/ours", [&s, color] { rt::FillMemImg(&s.dest.img, nullptr, color); });
  Register("Clear" + k + "/FullScreen/memset", [&s] {
    std::memset(s.dest.img.pixels, 0x40, static_cast<size_t>(s.dest.img.pitch) * kScreenH);
  });

  for (int mode : {0, 1}) {
    const std::string base = std::string("Lines") + k + (mode ? "/Alpha128" : "/None");
    Register(base + "/ours", [mode, &s, color] {
      SetDraw(mode, 128, 0xFFFFFF);
      for (const Segment& l : LineSegments()) rt::DrawLineMemImg(&s.dest.img, l.x1, l.y1, l.x2, l.y2, color);
    });
    Register(base + "/sdl", [mode, &s] {
      SDL_SetRenderDrawBlendMode(s.renderer, mode ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
      SDL_SetRenderDrawColor(s.renderer, 0xC0, 0x80, 0x40, mode ? 128 : 255);
      for (const Segment& l : LineSegments()) SDL_RenderDrawLine(s.renderer, l.x1, l.y1, l.x2, l.y2);
      SDL_RenderFlush(s.renderer);
    });
  }

  for (int fill : {0, 1}) {
    Register(std::string("Circles") + k + (fill ? "/Disc" : "/Outline") + "/ours", [fill, &s, color] {
      SetDraw(0, 0, 0xFFFFFF);
      std::mt19937 rng(9);
      for (int i = 0; i < kCircles; ++i) {
        const int x = static_cast<int>(rng() % kScreenW), y = static_cast<int>(rng() % kScreenH);
        rt::DrawCircleMemImg(&s.dest.img, x, y, 4 + static_cast<int>(rng() % 60), color, fill);
      }
    });
  }
}

// Collects each run's time and prints the ratio table after the console report.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // With repetitions the median stands for the case.
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
        times_[r.run_name.str()] = r.GetAdjustedRealTime();
      } else if (r.run_type == Run::RT_Iteration && r.iterations != 0 && !times_.count(r.run_name.str())) {
        times_[r.run_name.str()] = r.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    std::map<std::string, std::map<std::string, double>> byCase;
    for (const auto& [name, t] : times_) {
      const size_t slash = name.rfind('/');
      byCase[name.substr(0, slash)][name.substr(slash + 1)] = t;
    }
    std::printf("\n%-34s %12s %14s %14s %14s\n", "case", "ours (us)", "pixman/ours", "sdl/ours", "memset/ours");
    for (const auto& [c, impls] : byCase) {
      const auto ours = impls.find("ours");
      if (ours == impls.end()) continue;
      std::printf("%-34s %12.1f", c.c_str(), ours->second);
      for (const char* peer : {"pixman", "sdl", "memset"}) {
        const auto p = impls.find(peer);
        if (p == impls.end()) {
          std::printf(" %14s", "-");
        } else {
          std::printf(" %14.2f", p->second / ours->second);
        }
      }
      std::printf("\n");
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  RegisterBlits(1);
  RegisterBlits(0);
  RegisterPrimitives(1);
  RegisterPrimitives(0);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
