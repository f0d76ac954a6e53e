// The span stage of the depth-buffered triangles: what the set-up hands over (the span
// table, the interpolated planes and the per-triangle settings) and the table of span
// loops. Every loop comes from one template over the target and texture form, the half
// (plain or vertex-coloured), the blend mode and the options fixed per triangle, so each
// combination is its own straight loop and no loop is written out by hand.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/softrender/blend_pixel.h"

namespace rt::soft {

// One row of the current triangle: first pixel and pixel count, already clipped to the draw
// area (count 0: nothing of the row is drawn).
struct PolySpan {
  int32_t left;
  int32_t count;
};

// The rows of the triangle being drawn. It is sized from the target, so any image height
// fits; triangles are drawn one at a time.
struct PolygonSpanTable {
  std::vector<PolySpan> rows;
};
PolygonSpanTable& GetPolygonSpanTable();

// The interpolated planes: rhw, u * rhw and v * rhw (26 fraction bits), depth (24 fraction
// bits) and the vertex colour bytes (14 fraction bits).
enum PolyPlane { kPlaneW, kPlaneU, kPlaneV, kPlaneZ, kPlaneR, kPlaneG, kPlaneB, kPlaneA, kPlaneCount };

constexpr int kPolyWShift = 26;
constexpr int kPolyZShift = 24;
constexpr int kPolyColourShift = 14;
// q = kPolyPerspectiveNumerator / W is 8 / rhw as an integer.
constexpr int64_t kPolyPerspectiveNumerator = 0x20000000;

struct PolyFrame {
  const PolySpan* spans;
  int rows;
  // Plane values at x = 0 of the first row, and their steps per pixel and per row. Held in
  // 64 bits: a plane at x = 0 may lie far outside the values any drawn pixel takes.
  int64_t row[kPlaneCount];
  int64_t stepX[kPlaneCount];
  int64_t stepY[kPlaneCount];
  uint8_t* targetRow;
  ptrdiff_t targetPitch;
  uint8_t* zRow;  // null: no depth test
  ptrdiff_t zPitch;
  int zWrite;
  // Texture. uniform: every texel is the same (the white stand-in of an untextured draw).
  bool uniform;
  const uint8_t* texels;
  ptrdiff_t texPitch;
  int32_t texWidth, texHeight;
  uint32_t key;
  const uint8_t* palette;
  // Blend graph: one byte per texel position; positions beyond its bytes are not drawn.
  const uint8_t* graph;
  ptrdiff_t graphPitch;
  int32_t graphWidthBytes, graphHeight;
  const uint8_t* graphTable;
  uint32_t param;
  uint32_t bright[3];  // blue, green, red
};

using PolySpanFn = void (*)(const PolyFrame&);

// What picks a loop. form is the texture's (the target has the same kind without palette
// or alpha); white matters only in the plain half.
struct PolySpanKey {
  SrcForm form;
  bool vertexColour;
  int mode;  // 0..4, after the plain half's parameter rules
  bool graph;
  bool white;
  bool transparent;
};

// The loop for the key; null for a mode outside 0..4.
PolySpanFn FindPolySpan(const PolySpanKey& key);

}  // namespace rt::soft
