// The software paths of the display layer's stretched, rotated, four-corner and triangle
// graph draws. Each returns 0 once the draw is handed to its raster routine (also when that
// routine then draws nothing) and -1 when there is no screen, the graph's image is missing
// or the target cannot be prepared.
#pragma once
#include <cstdint>

#include "runtime/image/graph_table.h"
#include "runtime/softrender/texture_triangle.h"

namespace rt {

// The graph scaled into (x1, y1)-(x2, y2), right and bottom exclusive, mirrored on each axis
// given reversed. intFlag 1: the corners are whole pixels; otherwise they are truncated
// toward zero. piece: a 2D surface to draw instead of the graph's first one, or -1.
int G_SOFT_DrawGraphStretched(double x1, double y1, double x2, double y2, const GraphRecord* graph, int transparent,
                              int intFlag, int piece);
// The graph's centre on (x, y) (truncated toward zero), scaled and turned clockwise by
// angle radians; turn mirrors it left-right.
int G_SOFT_DrawGraphRotated(float x, float y, double scale, double angle, const GraphRecord* graph, int transparent,
                            int turn);
// The graph onto the quad whose corners 1 to 4 receive its top-left, top-right, bottom-left
// and bottom-right corners; float corners are truncated toward zero.
int G_SOFT_DrawGraphQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                         const GraphRecord* graph, int transparent);
int G_SOFT_DrawGraphQuadInt(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, const GraphRecord* graph,
                            int transparent);
// One triangle of the graph's texture (u, v in the graph's pixels), or without a graph one
// filled with fillColour.
int G_SOFT_DrawGraphTriangle(const TexVertexTriple* vertices, const GraphRecord* graph, int transparent,
                             uint32_t fillColour);

}  // namespace rt
