// The vertices of the polygon draws: what callers hand in, and the screen-space vertices the
// back ends rasterise.
#pragma once
#include <cstdint>

namespace rt {

// 20 bytes: a vertex as the callers of the polygon draw build it.
struct PolygonInputVertex {
  float x, y;
  float u, v;
  uint8_t b, g, r, a;
};
static_assert(sizeof(PolygonInputVertex) == 20);

// 28 bytes: a screen-space vertex (x, y in pixels, z 0..1) with its colour as 0xAARRGGBB.
struct PolygonVertex {
  float x, y, z, rhw;
  uint32_t color;
  float u, v;
};
static_assert(sizeof(PolygonVertex) == 28);

struct VertexTriple {
  PolygonVertex v[3];
};

// Polygon type codes.
constexpr int kPolygonTriangleList = 4;
constexpr int kPolygonTriangleStrip = 5;
constexpr int kPolygonTriangleFan = 6;
// The graph value of an untextured polygon.
constexpr int kPolygonNoTexture = -5;

}  // namespace rt
