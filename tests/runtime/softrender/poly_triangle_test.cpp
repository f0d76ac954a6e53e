// The depth-buffered triangle: every span loop against the reference model over random
// triangles, the depth clip's cases, the scan conversion's coverage of a mesh, and the
// mended faults of the entry and the set-up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "runtime/image/blend_graph.h"
#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/poly_triangle.h"
#include "tests/runtime/softrender/poly_reference.h"
#include "tests/support/memimg_fixture.h"

namespace {

using testsupport::OwnedMemImg;
using testsupport::ReadPixel;
using testsupport::WritePixel;

rt::PolygonVertex Vertex(float x, float y, float z = 0.5f, uint32_t color = 0xFFFFFFFF, float u = 0.0f,
                         float v = 0.0f, float rhw = 1.0f) {
  return rt::PolygonVertex{x, y, z, rhw, color, u, v};
}

// A value in [lo, hi) on a grid of 10000 steps.
float Coord(std::mt19937& rng, float lo, float hi) {
  return lo + (hi - lo) * static_cast<float>(rng() % 10000) / 10000.0f;
}

// A draw area inside a w x h target, each side up to margin - 1 pixels in.
RECT RandomArea(std::mt19937& rng, int w, int h, int margin) {
  const int l = static_cast<int>(rng() % margin), t = static_cast<int>(rng() % margin);
  return RECT{l, t, w - static_cast<int>(rng() % margin), h - static_cast<int>(rng() % margin)};
}

class PolyTriangleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = rt::GetDrawState();
    SetMode(0, 255);
  }
  void TearDown() override {
    rt::GetDrawState() = saved_;
    rt::BuildBlendGraphTable(0, 0);
  }
  static void SetMode(int mode, int param, uint32_t bright = 0xFFFFFF) {
    rt::DrawState& s = rt::GetDrawState();
    s.blendMode = mode;
    s.blendParam = param;
    s.brightColor = bright;
  }
  static void SetArea(int l, int t, int r, int b) { rt::GetDrawState().drawArea = RECT{l, t, r, b}; }
  // The draw state the model's options describe.
  static void Apply(const polyref::Options& o) {
    SetMode(o.mode, o.param, o.bright);
    SetArea(o.area.left, o.area.top, o.area.right, o.area.bottom);
  }
  static void MakeImage(OwnedMemImg& m, int w, int h, int kind, uint32_t fill = 0) {
    ASSERT_EQ(rt::CreateMemImg(m.get(), w, h, kind), 0);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) WritePixel(m.img, x, y, fill);
    }
  }
  static void MakeZ(OwnedMemImg& z, int w, int h, uint16_t fill) {
    ASSERT_EQ(rt::CreateZBufferMemImg(z.get(), w, h), 0);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) WritePixel(z.img, x, y, fill);
    }
  }
  static int Count(const rt::MEMIMG& m, uint32_t value) {
    int n = 0;
    for (int y = 0; y < m.height; ++y) {
      for (int x = 0; x < m.width; ++x) n += ReadPixel(m, x, y) == value;
    }
    return n;
  }
  static int CountNot(const rt::MEMIMG& m, uint32_t value) { return m.width * m.height - Count(m, value); }
  rt::DrawState saved_;
};

// ---- Every span loop against the reference ----

struct FamilyCase {
  int kind;
  int form;  // 0 direct, 1 direct with alpha, 2 palettised
  int vertexColour;
};

std::string Name(const FamilyCase& c, int mode, bool graph, bool white, int transparent) {
  static const char* forms[] = {"direct", "alpha", "palette"};
  return std::string(c.kind ? "32-bit " : "16-bit ") + forms[c.form] + (c.vertexColour ? " tinted" : " plain") +
         " mode " + std::to_string(mode) + (graph ? " graph" : "") + (white ? "" : " bright") +
         (transparent ? " transparent" : "");
}

void MakeTexture(OwnedMemImg& t, const FamilyCase& c, std::mt19937& rng) {
  const int w = 3 + static_cast<int>(rng() % 30), h = 3 + static_cast<int>(rng() % 30);
  ASSERT_EQ(rt::InitMemImg(t.get(), w, h, -1, 0, c.kind, c.form == 2, c.form == 1, 0), 0);
  const uint32_t colourMask = c.kind == rt::kMemImgKindXRGB ? 0xFFFFFFFF : 0xFFFF;
  if (c.form == 2) {
    for (int i = 0; i < 256; ++i) {
      const uint32_t v = static_cast<uint32_t>(rng()) & colourMask;
      std::memcpy(t->palette + i * (c.kind ? 4 : 2), &v, c.kind ? 4 : 2);
    }
    t->transparentColor = rng() % 300;  // sometimes beyond any index
  } else {
    t->transparentColor = static_cast<uint32_t>(rng()) & colourMask;
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t v = static_cast<uint32_t>(rng());
      if (c.form == 2) {
        v &= 0xFF;
        if (rng() % 5 == 0) v = t->transparentColor & 0xFF;
      } else if (c.form == 1) {
        // Alpha 0 and 255 often, so both texel tests run.
        const uint32_t a = rng() % 3 == 0 ? 0 : (rng() % 2 ? 255 : static_cast<uint32_t>(rng() % 256));
        v = c.kind ? (v & 0xFFFFFF) | a << 24 : (v & 0xFFFF) | a << 16;
      } else {
        v &= colourMask;
        if (rng() % 5 == 0) v = t->transparentColor;
      }
      WritePixel(t.img, x, y, v);
    }
  }
}

TEST_F(PolyTriangleTest, EverySpanLoopMatchesTheReference) {
  std::mt19937 rng(1234);
  rt::BuildBlendGraphTable(90, 60);
  const int kW = 40, kH = 32;
  std::vector<FamilyCase> families;
  for (int kind : {0, 1}) {
    for (int form : {0, 1, 2}) {
      for (int vc : {0, 1}) families.push_back({kind, form, vc});
    }
  }
  for (const FamilyCase& family : families) {
    for (int mode = 0; mode <= 4; ++mode) {
      for (bool graph : {false, true}) {
        for (bool white : {true, false}) {
          for (int transparent : {0, 1}) {
            const std::string what = Name(family, mode, graph, white, transparent);
            for (int round = 0; round < 24; ++round) {
              OwnedMemImg texture, graphImage, screen, expected, z, zExpected;
              MakeTexture(texture, family, rng);
              if (graph) {
                // Now and then narrower or shorter than the texture.
                const int gw = texture->width - (rng() % 4 == 0 ? 2 : 0);
                const int gh = texture->height - (rng() % 4 == 0 ? 2 : 0);
                ASSERT_EQ(rt::InitMemImg(graphImage.get(), gw, gh, -1, 0, rt::kMemImgKind8, 0, 0, 0), 0);
                testsupport::FillRandom(graphImage.img, rng);
              }
              ASSERT_EQ(rt::CreateMemImg(screen.get(), kW, kH, family.kind), 0);
              ASSERT_EQ(rt::CreateMemImg(expected.get(), kW, kH, family.kind), 0);
              testsupport::FillRandom(screen.img, rng);
              std::memcpy(expected->pixels, screen->pixels, static_cast<size_t>(screen->pitch) * kH);
              const bool useZ = rng() % 2;
              if (useZ) {
                ASSERT_EQ(rt::CreateZBufferMemImg(z.get(), kW, kH), 0);
                ASSERT_EQ(rt::CreateZBufferMemImg(zExpected.get(), kW, kH), 0);
                for (int y = 0; y < kH; ++y) {
                  for (int x = 0; x < kW; ++x) WritePixel(z.img, x, y, 20000 + rng() % 40000);
                }
                std::memcpy(zExpected->pixels, z->pixels, static_cast<size_t>(z->pitch) * kH);
              }
              polyref::Options o;
              o.mode = mode;
              o.param = rng() % 4 == 0 ? (rng() % 2 ? 255 : 0) : static_cast<int>(rng() % 256);
              o.bright = white ? (0xFFFFFF | (rng() % 2) << 24) : static_cast<uint32_t>(rng()) & 0xFFFFFF;
              if (!white && o.bright == 0xFFFFFF) o.bright = 0xFFFFFE;
              o.transparent = transparent;
              o.zWrite = static_cast<int>(rng() % 2);
              o.vertexColour = family.vertexColour;
              const int l = static_cast<int>(rng() % 8), t = static_cast<int>(rng() % 8);
              o.area = RECT{l, t, kW - static_cast<int>(rng() % 8), kH - static_cast<int>(rng() % 8)};
              SetMode(mode, o.param, o.bright);
              SetArea(o.area.left, o.area.top, o.area.right, o.area.bottom);

              const auto coord = [&](float lo, float hi) { return Coord(rng, lo, hi); };
              rt::VertexTriple tri;
              for (rt::PolygonVertex& v : tri.v) {
                v = Vertex(coord(-6, kW + 6), coord(-6, kH + 6), coord(-0.1f, 1.0f), static_cast<uint32_t>(rng()),
                           coord(-0.1f, 1.1f), coord(-0.1f, 1.1f), coord(0.4f, 2.0f));
              }
              const rt::MEMIMG* g = graph ? graphImage.get() : nullptr;
              rt::DrawPolygonTriangleMemImg(screen.get(), useZ ? z.get() : nullptr, texture.get(), &tri, transparent,
                                            g, o.zWrite, 0, family.vertexColour, 0);
              polyref::Draw(expected.get(), useZ ? zExpected.get() : nullptr, texture.get(), tri, g, o);
              for (int y = 0; y < kH; ++y) {
                for (int x = 0; x < kW; ++x) {
                  ASSERT_EQ(ReadPixel(screen.img, x, y), ReadPixel(expected.img, x, y))
                      << what << " round " << round << " at " << x << "," << y;
                  if (useZ) {
                    ASSERT_EQ(ReadPixel(z.img, x, y), ReadPixel(zExpected.img, x, y))
                        << what << " depth, round " << round << " at " << x << "," << y;
                  }
                }
              }
            }
          }
        }
      }
    }
  }
}

// 2D triangles (one rhw for all three vertices) without depth: the loops whose pixel is the
// texel alone fill their spans in runs of one texel. Large triangles over textures enlarged
// and reduced, mirrored, and reaching past the texture on every side.
TEST_F(PolyTriangleTest, FlatSpansMatchTheReference) {
  std::mt19937 rng(4321);
  const int kW = 72, kH = 48;
  for (int kind : {0, 1}) {
    for (int form : {0, 1, 2}) {
      const FamilyCase family{kind, form, 0};
      for (int mode : {0, 1}) {
        for (int transparent : {0, 1}) {
          const std::string what = Name(family, mode, false, true, transparent);
          for (int round = 0; round < 40; ++round) {
            OwnedMemImg texture, screen, expected;
            MakeTexture(texture, family, rng);
            ASSERT_EQ(rt::CreateMemImg(screen.get(), kW, kH, kind), 0);
            ASSERT_EQ(rt::CreateMemImg(expected.get(), kW, kH, kind), 0);
            testsupport::FillRandom(screen.img, rng);
            std::memcpy(expected->pixels, screen->pixels, static_cast<size_t>(screen->pitch) * kH);
            polyref::Options o;
            o.mode = mode;
            o.param = 160;
            o.bright = 0xFFFFFF;
            o.transparent = transparent;
            o.zWrite = 0;
            o.vertexColour = 0;
            o.area = RandomArea(rng, kW, kH, 6);
            Apply(o);
            const auto coord = [&](float lo, float hi) { return Coord(rng, lo, hi); };
            const float rhw = coord(0.3f, 2.5f);
            rt::VertexTriple tri;
            for (rt::PolygonVertex& v : tri.v) {
              v = Vertex(coord(-10, kW + 10), coord(-10, kH + 10), 0.5f, 0xFFFFFFFF, coord(-0.4f, 1.4f),
                         coord(-0.4f, 1.4f), rhw);
            }
            rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, texture.get(), &tri, transparent, nullptr, 0, 0, 0, 0);
            polyref::Draw(expected.get(), nullptr, texture.get(), tri, nullptr, o);
            for (int y = 0; y < kH; ++y) {
              for (int x = 0; x < kW; ++x) {
                ASSERT_EQ(ReadPixel(screen.img, x, y), ReadPixel(expected.img, x, y))
                    << what << " round " << round << " at " << x << "," << y;
              }
            }
          }
        }
      }
    }
  }
}

// Untextured triangles draw the 8 x 8 white stand-in: the model draws them with that
// texture given. Texture coordinates reach past it on every side, so the pixels outside it
// stay; one rhw per triangle (the spans filled in one run) or three.
TEST_F(PolyTriangleTest, UntexturedSpansMatchTheReference) {
  std::mt19937 rng(777);
  const int kW = 48, kH = 40;
  for (int kind : {0, 1}) {
    OwnedMemImg white;
    MakeImage(white, 8, 8, kind, 0xFFFFFFFF);
    for (int vc : {0, 1}) {
      for (int mode = 0; mode <= 4; ++mode) {
        for (int round = 0; round < 40; ++round) {
          OwnedMemImg screen, expected, z, zExpected;
          ASSERT_EQ(rt::CreateMemImg(screen.get(), kW, kH, kind), 0);
          ASSERT_EQ(rt::CreateMemImg(expected.get(), kW, kH, kind), 0);
          testsupport::FillRandom(screen.img, rng);
          std::memcpy(expected->pixels, screen->pixels, static_cast<size_t>(screen->pitch) * kH);
          const bool useZ = rng() % 4 == 0;
          if (useZ) {
            MakeZ(z, kW, kH, 0x8000);
            MakeZ(zExpected, kW, kH, 0x8000);
          }
          polyref::Options o;
          o.mode = mode;
          o.param = static_cast<int>(rng() % 256);
          o.bright = rng() % 2 ? 0xFFFFFF : static_cast<uint32_t>(rng()) & 0xFFFFFE;
          o.transparent = static_cast<int>(rng() % 2);
          o.zWrite = 1;
          o.vertexColour = vc;
          o.area = RandomArea(rng, kW, kH, 6);
          Apply(o);
          const auto coord = [&](float lo, float hi) { return Coord(rng, lo, hi); };
          const bool flat = rng() % 3 != 0;
          const float rhw = coord(0.2f, 3.0f);
          // Now and then coordinates that put pixel centres exactly on the texture's edges:
          // constant ones, or 1/16 of a texture per pixel from whole-pixel vertices.
          const int exact = static_cast<int>(rng() % 4);
          const float edges[] = {0.0f, 1.0f, -1.0f / 64, 63.0f / 64};
          const float u0 = edges[rng() % 4], v0 = edges[rng() % 4];
          rt::VertexTriple tri;
          for (rt::PolygonVertex& v : tri.v) {
            v = Vertex(coord(-8, kW + 8), coord(-8, kH + 8), coord(0.0f, 1.0f), static_cast<uint32_t>(rng()),
                       coord(-0.3f, 1.3f), coord(-0.3f, 1.3f), flat ? rhw : coord(0.3f, 2.0f));
            if (exact == 1) {
              v.u = u0, v.v = v0;
            } else if (exact == 2) {
              v.x = std::floor(v.x), v.y = std::floor(v.y), v.rhw = 1.0f;
              v.u = (v.x - 0.5f) / 16, v.v = (v.y - 0.5f) / 16;
            }
          }
          rt::DrawPolygonTriangleMemImg(screen.get(), useZ ? z.get() : nullptr, nullptr, &tri, o.transparent, nullptr,
                                        o.zWrite, 0, vc, 0);
          polyref::Draw(expected.get(), useZ ? zExpected.get() : nullptr, white.get(), tri, nullptr, o);
          for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
              ASSERT_EQ(ReadPixel(screen.img, x, y), ReadPixel(expected.img, x, y))
                  << (kind ? "32-bit" : "16-bit") << (vc ? " tinted" : " plain") << " mode " << mode << " round "
                  << round << " at " << x << "," << y;
            }
          }
        }
      }
    }
  }
}

// ---- Worked cases of the colour rules ----

TEST_F(PolyTriangleTest, WorkedPixelsOfTheFamilies) {
  struct Case {
    const char* what;
    int kind, vertexColour, mode, param;
    uint32_t bright, texel, target, vertexColourWord, expected;
  };
  const Case cases[] = {
      // A white texel under vertex colour 255 comes out one step lower.
      {"tinted 32-bit none", 1, 1, 0, 255, 0xFFFFFF, 0x00FFFFFF, 0, 0xFFFFFFFF, 0x00FEFEFE},
      {"tinted 16-bit none", 0, 1, 0, 255, 0xFFFFFF, 0xFFFF, 0, 0xFFFFFFFF, 0xF7DE},
      // 16-bit tinted add and subtract of the white texel's source 0xF7DE.
      {"tinted 16-bit add to black", 0, 1, 2, 0, 0xFFFFFF, 0xFFFF, 0x0000, 0xFFFFFFFF, 0xF7DE},
      {"tinted 16-bit subtract from white", 0, 1, 3, 0, 0xFFFFFF, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0x0801},
      {"tinted 16-bit multiply white", 0, 1, 4, 0, 0xFFFFFF, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xEFBD},
      // The plain half copies the texel whole, fourth byte included, when untinted.
      {"plain 32-bit copy", 1, 0, 0, 0, 0xFFFFFF, 0x12345678, 0xAA000000, 0, 0x12345678},
      {"plain 32-bit bright black", 1, 0, 0, 0, 0x000000, 0x12345678, 0xAA000000, 0, 0xAA000000},
      {"plain 16-bit multiply white", 0, 0, 4, 0, 0xFFFFFF, 0xFFFF, 0xFFFF, 0, 0xF7DE},
      {"plain 16-bit subtract zero contribution", 0, 0, 3, 1, 0xFFFFFF, 0x0000, 0x0000, 0, 0x0800},
      // Alpha at 255 is no blending; the 16-bit alpha rule truncates toward the target.
      {"plain 16-bit alpha 128", 0, 0, 1, 128, 0xFFFFFF, 0x0000, 31u << 11, 0, 16u << 11},
  };
  for (const Case& c : cases) {
    OwnedMemImg screen, texture;
    MakeImage(screen, 8, 8, c.kind, c.target);
    MakeImage(texture, 2, 2, c.kind, c.texel);
    SetArea(0, 0, 8, 8);
    SetMode(c.mode, c.param, c.bright);
    const uint32_t col = c.vertexColourWord;
    rt::VertexTriple tri{{Vertex(0, 0, 0.5f, col, 0, 0), Vertex(8, 0, 0.5f, col, 0.99f, 0),
                          Vertex(0, 8, 0.5f, col, 0, 0.99f)}};
    rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, texture.get(), &tri, 0, nullptr, 0, 0, c.vertexColour, 0);
    EXPECT_EQ(ReadPixel(screen.img, 1, 1), c.expected) << c.what;
  }
}

// ---- The depth clip ----

TEST_F(PolyTriangleTest, DepthClipCases) {
  struct Case {
    const char* what;
    float z[3];
    bool drawn;
  };
  const Case cases[] = {
      {"all at the range's ends", {0.0f, 1.0f, 0.0f}, true},
      {"one in front", {-0.5f, 0.5f, 0.5f}, true},
      {"one behind", {1.5f, 0.5f, 0.5f}, true},
      {"one in front, one behind", {-0.5f, 1.5f, 0.5f}, true},
      // Part of it lies in range however many vertices are outside.
      {"one in front, two behind", {-0.5f, 1.5f, 1.5f}, true},
      {"two in front, one behind", {-0.5f, -0.5f, 1.5f}, true},
      {"all in front", {-0.5f, -0.1f, -2.0f}, false},
      {"all behind", {1.5f, 1.1f, 3.0f}, false},
  };
  for (const Case& c : cases) {
    OwnedMemImg screen, z;
    MakeImage(screen, 32, 32, 1, 0);
    MakeZ(z, 32, 32, 0xFFFF);
    SetArea(0, 0, 32, 32);
    rt::VertexTriple tri{{Vertex(2, 2, c.z[0], 0xFF102030), Vertex(30, 4, c.z[1], 0xFF405060),
                          Vertex(6, 30, c.z[2], 0xFF708090)}};
    rt::DrawPolygonTriangleMemImg(screen.get(), z.get(), nullptr, &tri, 0, nullptr, 1, 1, 0, 1);
    EXPECT_EQ(CountNot(screen.img, 0) > 0, c.drawn) << c.what;
    // What is drawn lies within the depth range, so nothing stores a depth past its end.
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        if (ReadPixel(screen.img, x, y) == 0) {
          EXPECT_EQ(ReadPixel(z.img, x, y), 0xFFFFu) << c.what;
        }
      }
    }
  }
}

TEST_F(PolyTriangleTest, ClippedPiecesKeepTheVisiblePartOnly) {
  // One vertex in front of the range: the near cut runs where depth reaches 0, halfway
  // between the front vertex (z -1 at x 0) and the others (z 1 at x 32).
  OwnedMemImg screen, z;
  MakeImage(screen, 34, 34, 1, 0);
  MakeZ(z, 34, 34, 0xFFFF);
  SetArea(0, 0, 34, 34);
  rt::VertexTriple tri{{Vertex(0, 16, -1.0f), Vertex(32, 0, 1.0f), Vertex(32, 32, 1.0f)}};
  rt::DrawPolygonTriangleMemImg(screen.get(), z.get(), nullptr, &tri, 0, nullptr, 1, 1, 0, 1);
  EXPECT_EQ(ReadPixel(screen.img, 12, 16), 0u);
  EXPECT_NE(ReadPixel(screen.img, 20, 16), 0u);
  EXPECT_NE(ReadPixel(screen.img, 30, 16), 0u);
  // Pieces are drawn in the tinted half: the white vertex colour gives 254.
  EXPECT_EQ(ReadPixel(screen.img, 30, 16) & 0xFFFFFF, 0xFEFEFEu);
}

TEST_F(PolyTriangleTest, DepthClipRefusesVerticesAtInfinity) {
  OwnedMemImg screen;
  MakeImage(screen, 16, 16, 1, 0);
  SetArea(0, 0, 16, 16);
  rt::VertexTriple tri{{Vertex(0, 0, -0.5f, 0xFFFFFFFF, 0, 0, 0.0f), Vertex(15, 0, 0.5f), Vertex(0, 15, 0.5f)}};
  rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, nullptr, &tri, 0, nullptr, 0, 0, 1, 1);
  EXPECT_EQ(CountNot(screen.img, 0), 0);
}

TEST_F(PolyTriangleTest, DepthClipOfExtremeValuesEnds) {
  std::mt19937 rng(77);
  OwnedMemImg screen, z;
  MakeImage(screen, 24, 24, 0, 0);
  MakeZ(z, 24, 24, 0x8000);
  SetArea(0, 0, 24, 24);
  const float values[] = {-1e30f, -1e5f, -1.0f, -1e-30f, 0.0f, 1e-30f, 0.5f, 1.0f, 1.0000001f, 1e5f, 1e30f};
  for (int i = 0; i < 400; ++i) {
    rt::VertexTriple tri;
    for (rt::PolygonVertex& v : tri.v) {
      v = Vertex(static_cast<float>(rng() % 40) - 8, static_cast<float>(rng() % 40) - 8, values[rng() % 11],
                 static_cast<uint32_t>(rng()), 0.3f, 0.3f, values[rng() % 11]);
    }
    rt::DrawPolygonTriangleMemImg(screen.get(), z.get(), nullptr, &tri, 0, nullptr, 1, 1, 0, 1);
  }
  SUCCEED();
}

// ---- Scan conversion ----

// A mesh of triangles over the whole target on an uneven grid of whole pixels, each cell
// split along either diagonal: every pixel is drawn by exactly one triangle, shared edges
// included.
TEST_F(PolyTriangleTest, AMeshCoversEveryPixelExactlyOnce) {
  std::mt19937 rng(99);
  for (int round = 0; round < 12; ++round) {
    const int kW = 61 + round, kH = 47 + 2 * round;
    const int cols = 4 + round % 5, rows = 3 + round % 4;
    std::vector<float> gx(cols + 1), gy(rows + 1);
    for (int i = 0; i <= cols; ++i) {
      const int jitter = i == 0 || i == cols ? 0 : static_cast<int>(rng() % 5) - 2;
      gx[i] = static_cast<float>(kW * i / cols + jitter);
    }
    for (int j = 0; j <= rows; ++j) {
      const int jitter = j == 0 || j == rows ? 0 : static_cast<int>(rng() % 5) - 2;
      gy[j] = static_cast<float>(kH * j / rows + jitter);
    }
    OwnedMemImg screen;
    MakeImage(screen, kW, kH, 1, 0);
    SetArea(0, 0, kW, kH);
    // Adding 1 to blue per drawn pixel counts the draws.
    SetMode(2, 1);
    const auto at = [&](int i, int j) { return Vertex(gx[i], gy[j]); };
    for (int j = 0; j < rows; ++j) {
      for (int i = 0; i < cols; ++i) {
        const bool flip = rng() % 2;
        const rt::VertexTriple a{{at(i, j), at(i + 1, j), flip ? at(i + 1, j + 1) : at(i, j + 1)}};
        const rt::VertexTriple b{{flip ? at(i, j) : at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)}};
        rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, nullptr, &a, 0, nullptr, 0, 0, 0, 0);
        rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, nullptr, &b, 0, nullptr, 0, 0, 0, 0);
      }
    }
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        ASSERT_EQ(ReadPixel(screen.img, x, y) & 0xFF, 1u) << "round " << round << " at " << x << "," << y;
      }
    }
  }
}

// The scan conversion's conventions, one row each, worked by hand: where they differ from
// a pixel-centre rule, the row shows it.
TEST_F(PolyTriangleTest, ScanConversionConventions) {
  struct Case {
    const char* what;
    rt::VertexTriple tri;
    int row;
    int first, last;  // first > last: nothing drawn on the row
  };
  const Case cases[] = {
      // Top 4.2 and middle 4.8 share row 4: a flat top, the right edge straight from the
      // middle vertex to the bottom, placed at the left edge's distance (0.3) from its start.
      {"flat top on a shared row", {{Vertex(2, 4.2f), Vertex(20, 4.8f), Vertex(2, 14)}}, 4, 2, 18},
      // Row 10 lies on the right side's lower segment, which starts at (21, 10): x 20.15.
      {"lower right segment one pixel right", {{Vertex(4, 2), Vertex(20, 10), Vertex(4, 20)}}, 10, 4, 19},
      {"upper right segment", {{Vertex(4, 2), Vertex(20, 10), Vertex(4, 20)}}, 9, 4, 18},
      // A top at 3.5 rounds to row 4: row 3, whose centre is on the top, is not drawn.
      {"first row rounded from the top", {{Vertex(10, 3.5f), Vertex(2, 12.2f), Vertex(20, 14)}}, 3, 1, 0},
      // Row 4's centre lies past the middle vertex (4.3), yet the first row keeps the upper
      // left segment (x -0.67); the next row switches.
      {"first row keeps its segment", {{Vertex(10, 3.7f), Vertex(2, 4.3f), Vertex(12, 14)}}, 4, 0, 9},
      {"switch after the first row", {{Vertex(10, 3.7f), Vertex(2, 4.3f), Vertex(12, 14)}}, 5, 3, 9},
      // The right edge at x -0.31 lies left of pixel 0's centre: rounding toward zero
      // would draw it, and two triangles sharing such an edge would both draw it.
      {"columns round down", {{Vertex(-10, 2), Vertex(0.2f, 2), Vertex(-10, 12)}}, 2, 1, 0},
      {"a right edge past pixel 0's centre", {{Vertex(-10, 2), Vertex(1.7f, 2), Vertex(-10, 12)}}, 2, 0, 0},
  };
  for (const Case& c : cases) {
    OwnedMemImg screen;
    MakeImage(screen, 32, 24, 1, 0);
    SetArea(0, 0, 32, 24);
    rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, nullptr, &c.tri, 0, nullptr, 0, 0, 0, 0);
    for (int x = 0; x < 32; ++x) {
      const bool drawn = x >= c.first && x <= c.last;
      EXPECT_EQ(ReadPixel(screen.img, x, c.row) != 0, drawn) << c.what << " at " << x << "," << c.row;
    }
  }
}

TEST_F(PolyTriangleTest, SetUpRejections) {
  struct Case {
    const char* what;
    rt::VertexTriple tri;
    bool drawn;
  };
  const Case cases[] = {
      {"1.05 pixels tall", {{Vertex(0, 4, 0.5f), Vertex(20, 4.5f, 0.5f), Vertex(10, 5.05f, 0.5f)}}, false},
      {"1.05 pixels wide", {{Vertex(4, 0, 0.5f), Vertex(4.5f, 20, 0.5f), Vertex(5.05f, 10, 0.5f)}}, false},
      {"collinear", {{Vertex(0, 0, 0.5f), Vertex(10, 10, 0.5f), Vertex(20, 20, 0.5f)}}, false},
      {"all depths 1.0", {{Vertex(0, 0, 1.0f), Vertex(20, 0, 1.0f), Vertex(0, 20, 1.0f)}}, false},
      {"all depths 0.0", {{Vertex(0, 0, 0.0f), Vertex(20, 0, 0.0f), Vertex(0, 20, 0.0f)}}, true},
      {"left of the area", {{Vertex(-30, 0, 0.5f), Vertex(-2, 0, 0.5f), Vertex(-30, 20, 0.5f)}}, false},
      {"a NaN coordinate", {{Vertex(NAN, 0, 0.5f), Vertex(20, 0, 0.5f), Vertex(0, 20, 0.5f)}}, false},
      // A position no 14.18 value can hold is refused rather than wrapped.
      {"beyond the fixed-point range", {{Vertex(1e12f, 0, 0.5f), Vertex(20, 0, 0.5f), Vertex(0, 20, 0.5f)}}, false},
      {"an infinite depth", {{Vertex(0, 0, INFINITY), Vertex(20, 0, 0.5f), Vertex(0, 20, 0.5f)}}, false},
  };
  for (const Case& c : cases) {
    OwnedMemImg screen;
    MakeImage(screen, 24, 24, 1, 0);
    SetArea(0, 0, 24, 24);
    rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, nullptr, &c.tri, 0, nullptr, 0, 0, 0, 0);
    EXPECT_EQ(CountNot(screen.img, 0) > 0, c.drawn) << c.what;
  }
}

TEST_F(PolyTriangleTest, EntryRefusals) {
  OwnedMemImg screen, z, narrowZ, texture16, paletted;
  MakeImage(screen, 16, 16, 1, 0);
  MakeZ(z, 16, 16, 0xFFFF);
  MakeZ(narrowZ, 15, 16, 0xFFFF);
  MakeImage(texture16, 4, 4, 0, 0xFFFF);
  ASSERT_EQ(rt::InitMemImg(paletted.get(), 16, 16, -1, 0, 1, 1, 0, 0), 0);
  SetArea(0, 0, 16, 16);
  const rt::VertexTriple tri{{Vertex(0, 0), Vertex(16, 0, 0.5f, 0xFFFFFFFF, 1, 0), Vertex(0, 16, 0.5f, 0xFFFFFFFF, 0, 1)}};
  rt::DrawPolygonTriangleMemImg(screen.get(), narrowZ.get(), nullptr, &tri, 0, nullptr, 1, 0, 0, 0);
  rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, texture16.get(), &tri, 0, nullptr, 1, 0, 0, 0);
  rt::DrawPolygonTriangleMemImg(paletted.get(), nullptr, nullptr, &tri, 0, nullptr, 1, 0, 0, 0);
  SetMode(5, 255);
  rt::DrawPolygonTriangleMemImg(screen.get(), z.get(), nullptr, &tri, 0, nullptr, 1, 0, 0, 0);
  SetMode(1, 0);
  rt::DrawPolygonTriangleMemImg(screen.get(), z.get(), nullptr, &tri, 0, nullptr, 1, 0, 0, 0);
  EXPECT_EQ(CountNot(screen.img, 0), 0);
  EXPECT_EQ(CountNot(z.img, 0xFFFF), 0);
  SetMode(0, 0);
  rt::DrawPolygonTriangleMemImg(screen.get(), z.get(), nullptr, &tri, 0, nullptr, 1, 0, 0, 0);
  EXPECT_GT(CountNot(screen.img, 0), 0);
}

// ---- Mended faults ----

TEST_F(PolyTriangleTest, TheStandInTextureIsWhiteWhateverTheDrawState) {
  // A draw area away from (0, 0)-(8, 8) and a dark bright colour once decided what the
  // stand-in texture held; it is white, so the plain half shows the bright colour itself.
  OwnedMemImg screen;
  MakeImage(screen, 32, 32, 1, 0);
  SetArea(16, 16, 32, 32);
  SetMode(0, 255, 0x204080);
  const rt::VertexTriple tri{{Vertex(16, 16), Vertex(32, 16, 0.5f, 0, 0.9f, 0), Vertex(16, 32, 0.5f, 0, 0, 0.9f)}};
  rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, nullptr, &tri, 0, nullptr, 0, 0, 0, 0);
  EXPECT_EQ(ReadPixel(screen.img, 18, 18) & 0xFFFFFF, 0x204080u);
}

TEST_F(PolyTriangleTest, DepthOneIsTheFarthestDepthNotTheNearest) {
  OwnedMemImg screen, z;
  MakeImage(screen, 16, 16, 1, 0);
  MakeZ(z, 16, 16, 0x1000);
  SetArea(0, 0, 16, 16);
  // z 1.0 at the top-left, growing no further: it would wrap to 0 and pass any test.
  const rt::VertexTriple far{{Vertex(0, 0, 1.0f), Vertex(16, 0, 1.0f), Vertex(0, 16, 0.99f)}};
  rt::DrawPolygonTriangleMemImg(screen.get(), z.get(), nullptr, &far, 0, nullptr, 1, 0, 0, 0);
  EXPECT_EQ(ReadPixel(screen.img, 0, 0), 0u);
  EXPECT_EQ(ReadPixel(z.img, 0, 0), 0x1000u);
  MakeZ(z, 16, 16, 0xFFFF);
  const rt::VertexTriple atOne{{Vertex(0, 0, 1.0f), Vertex(16, 0, 1.0f), Vertex(0, 16, 0.9999999f)}};
  rt::DrawPolygonTriangleMemImg(screen.get(), z.get(), nullptr, &atOne, 0, nullptr, 1, 0, 0, 0);
  EXPECT_EQ(ReadPixel(z.img, 1, 0), 0xFFFFu);
}

TEST_F(PolyTriangleTest, TargetsTallerThan4096RowsAreDrawnWhole) {
  OwnedMemImg screen;
  const int kH = 5000;
  MakeImage(screen, 4, kH, 1, 0);
  SetArea(0, 0, 4, kH);
  const rt::VertexTriple tri{{Vertex(0, 0), Vertex(4, 0), Vertex(4, kH)}};
  const rt::VertexTriple rest{{Vertex(0, 0), Vertex(4, kH), Vertex(0, kH)}};
  rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, nullptr, &tri, 0, nullptr, 0, 0, 0, 0);
  rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, nullptr, &rest, 0, nullptr, 0, 0, 0, 0);
  EXPECT_EQ(CountNot(screen.img, 0), 4 * kH);
}

TEST_F(PolyTriangleTest, WReachingZeroInsideASpanSkipsOnlyThatPixel) {
  // rhw falls by 1/16 per pixel and is exactly 0 at the centre of pixel 16: that pixel has
  // no texel and is left alone (W of 0 once divided by zero). Beyond it W and U are both
  // negative, which gives the same texel as positive ones.
  OwnedMemImg screen;
  MakeImage(screen, 32, 8, 1, 0);
  SetArea(0, 0, 32, 8);
  const rt::VertexTriple tri{{Vertex(0, 0, 0.5f, 0, 0.1f, 0.1f, 1.03125f),
                              Vertex(32, 0, 0.5f, 0, 0.1f, 0.1f, -0.96875f),
                              Vertex(0, 8, 0.5f, 0, 0.1f, 0.1f, 1.03125f)}};
  rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, nullptr, &tri, 0, nullptr, 0, 0, 0, 0);
  EXPECT_NE(ReadPixel(screen.img, 2, 1), 0u);
  EXPECT_NE(ReadPixel(screen.img, 15, 1), 0u);
  EXPECT_EQ(ReadPixel(screen.img, 16, 1), 0u);
  EXPECT_NE(ReadPixel(screen.img, 17, 1), 0u);
  EXPECT_NE(ReadPixel(screen.img, 24, 1), 0u);
}

TEST_F(PolyTriangleTest, NegativeRhwDrawsTheSameTexels) {
  OwnedMemImg texture;
  MakeImage(texture, 2, 1, 1, 0x000000FF);
  WritePixel(texture.img, 1, 0, 0x0000FF00);
  SetArea(0, 0, 16, 8);
  uint32_t seen[2][2];
  for (int sign = 0; sign < 2; ++sign) {
    const float rhw = sign ? -1.0f : 1.0f;
    OwnedMemImg screen;
    MakeImage(screen, 16, 8, 1, 0);
    const rt::VertexTriple tri{{Vertex(0, 0, 0.5f, 0, 0, 0, rhw), Vertex(16, 0, 0.5f, 0, 1, 0, rhw),
                                Vertex(0, 8, 0.5f, 0, 0, 1, rhw)}};
    rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, texture.get(), &tri, 0, nullptr, 0, 0, 0, 0);
    seen[sign][0] = ReadPixel(screen.img, 2, 1);
    seen[sign][1] = ReadPixel(screen.img, 11, 1);
  }
  EXPECT_EQ(seen[0][0], 0x000000FFu);
  EXPECT_EQ(seen[0][1], 0x0000FF00u);
  EXPECT_EQ(seen[1][0], seen[0][0]);
  EXPECT_EQ(seen[1][1], seen[0][1]);
}

TEST_F(PolyTriangleTest, TexelPositionsFarOutsideTheTextureNeverWrapIn) {
  // u * width just past 8192 wraps a 32-bit product back to column 3.
  OwnedMemImg screen, texture;
  MakeImage(screen, 16, 16, 1, 0);
  MakeImage(texture, 512, 4, 1, 0x00FF0000);
  SetArea(0, 0, 16, 16);
  const float u = (8192.0f + 3.5f) / 512.0f;
  const rt::VertexTriple tri{{Vertex(0, 0, 0.5f, 0, u, 0.2f), Vertex(16, 0, 0.5f, 0, u, 0.2f),
                              Vertex(0, 16, 0.5f, 0, u, 0.2f)}};
  rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, texture.get(), &tri, 0, nullptr, 0, 0, 0, 0);
  EXPECT_EQ(CountNot(screen.img, 0), 0);
}

TEST_F(PolyTriangleTest, SpritesFarFromTheOriginKeepTheirTexture) {
  // A small textured triangle far right: its planes at x = 0 lie far outside any drawn
  // value, which must not cost it its texture.
  OwnedMemImg screen, texture;
  MakeImage(screen, 800, 8, 1, 0);
  MakeImage(texture, 2, 1, 1, 0x000000FF);
  WritePixel(texture.img, 1, 0, 0x0000FF00);
  SetArea(0, 0, 800, 8);
  const rt::VertexTriple tri{{Vertex(780, 0, 0.5f, 0, 0, 0), Vertex(796, 0, 0.5f, 0, 1, 0),
                              Vertex(780, 8, 0.5f, 0, 0, 1)}};
  rt::DrawPolygonTriangleMemImg(screen.get(), nullptr, texture.get(), &tri, 0, nullptr, 0, 0, 0, 0);
  EXPECT_EQ(ReadPixel(screen.img, 781, 0), 0x000000FFu);
  EXPECT_EQ(ReadPixel(screen.img, 792, 0), 0x0000FF00u);
}

}  // namespace
