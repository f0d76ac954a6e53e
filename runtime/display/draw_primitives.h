// The public draws: graphs (at a point, stretched, rotated, onto four corners, a rectangle
// of a graph), polygons, lines, boxes, circles and pixels. Colours are screen colour values
// (GetColor).
#pragma once
#include <cstdint>

#include "runtime/display/polygon_vertex.h"

namespace rt {

int DrawGraphImpl(int x, int y, int graph, int transparent);
int DrawGraphStretchedImpl(int x1, int y1, int x2, int y2, int graph, int transparent);
int DrawTurnGraph(int x, int y, int graph, int transparent);
int DrawGraphRotatedImpl(int x, int y, double scale, double angle, int graph, int transparent, int turn);
int DrawGraphRotatedF(float x, float y, double scale, double angle, int graph, int transparent, int turn);
int DrawGraphQuadF(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int graph,
                   int transparent);
int DrawRectGraphImpl(int x, int y, int srcX, int srcY, int width, int height, int graph, int transparent, int turn);
int DrawRectGraphStretchedImpl(int x1, int y1, int x2, int y2, int srcX, int srcY, int srcWidth, int srcHeight,
                               int graph, int transparent);
// graph: a graph handle, or kPolygonNoTexture.
int DrawPolygon2D(const PolygonInputVertex* vertices, int count, int type, int graph, int transparent);
int DrawLineImpl(int x1, int y1, int x2, int y2, uint32_t color, int thickness);
int DrawThickLine(int x1, int y1, int x2, int y2, uint32_t color, int thickness);
int DrawBoxImpl(int x1, int y1, int x2, int y2, uint32_t color, int fillFlag);
int DrawFillBox(int x1, int y1, int x2, int y2, uint32_t color);
int DrawLineBox(int x1, int y1, int x2, int y2, uint32_t color);
int DrawCircleImpl(int x, int y, int radius, uint32_t color, int fillFlag);
int DrawPixelImpl(int x, int y, uint32_t color);

}  // namespace rt
