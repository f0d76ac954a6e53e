// Depth-buffered, perspective-correct triangles on software images: one triangle at a time,
// textured (a white texture stands in for none), optionally tinted by the vertex colours,
// tested against and written into a 16-bit Z buffer, under the draw state's blend mode,
// and, when asked, clipped against the depth range 0 to 1 first.
#pragma once
#include <cstdint>

#include "runtime/display/polygon_vertex.h"
#include "runtime/image/memimg.h"

namespace rt {

// target: a 16- or 32-bit image without palette or alpha. zBuffer (or null): a Z-buffer image
// of the target's size. texture (or null): an image of the target's kind, direct-colour or
// palettised. transparentFlag skips texels equal to the texture's transparent colour (or
// of alpha 0). blendGraph (or null) gives a factor per texel position. zWrite stores the
// depth of every pixel that passes the depth test. pieceZWrite is the zWrite of the pieces
// the depth clip makes. vertexColour 0 draws the texel alone, otherwise tinted by the
// vertex colours. zClip 1 clips against the depth range first. Draws nothing when any of
// this does not hold.
void DrawPolygonTriangleMemImg(MEMIMG* target, MEMIMG* zBuffer, const MEMIMG* texture, const VertexTriple* triangle,
                               int transparentFlag, const MEMIMG* blendGraph, int zWrite, int pieceZWrite,
                               int vertexColour, int zClip);

}  // namespace rt
