// Affine textured triangles on software images, untextured filled triangles, and a whole
// image mapped onto a four-corner quad as two triangles.
#pragma once
#include <cstdint>

#include "runtime/image/memimg.h"

namespace rt {

// One corner: destination pixel (x, y) and texel (u, v), origin at the texture's top-left.
struct TexVertex {
  int32_t x, y, u, v;
};
// Three corners in any order and either winding.
struct TexVertexTriple {
  TexVertex v[3];
};

// Whole coordinates of a vertex must lie in this range (they become 14.18 fixed point).
constexpr int kTriangleCoordMin = -8192;
constexpr int kTriangleCoordMax = 8191;

// Draws the triangle into dest under the draw state, clipped to the draw area: the top
// vertex's row and both ends of every span are drawn, the bottom vertex's row is not.
// texture null fills it with fillColour (a pixel value of dest's format). blendImage (or
// null) gives a factor per texel, read at the texel's column and row.
void DrawTextureTriangleMemImg(MEMIMG* dest, const MEMIMG* texture, const TexVertexTriple* vertices,
                               int transparentFlag, const MEMIMG* blendImage, uint32_t fillColour);

// Maps the whole texture onto the quad whose corners (x0, y0 .. x3, y3) receive the
// texture's top-left, top-right, bottom-left and bottom-right corners, as the triangles
// 0-1-2 and 1-2-3. Nothing is drawn when a box around the corners misses the draw area.
void DrawQuadMemImg(MEMIMG* dest, const MEMIMG* texture, const int32_t corners[8], int transparentFlag,
                    const MEMIMG* blendImage);

}  // namespace rt
