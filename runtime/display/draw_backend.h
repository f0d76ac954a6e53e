// The draw back end of the software screens (and, once a display device exists, of its
// surfaces): graphs, polygons and line lists drawn with the software raster routines, the
// preparation of a device target for software drawing, and the copy of the draw screen into
// a graph.
#pragma once
#include <cstdint>

#include "platform/display_device.h"
#include "runtime/display/polygon_vertex.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/memimg.h"
#include "runtime/image/rect.h"
#include "runtime/image/surface_2d.h"
#include "runtime/softrender/primitives.h"

namespace rt {

// 1 when drawing goes straight into software screen images (the software renderer on a
// screen deeper than 8 bits).
int IsSoftwareScreen();

// Draws a 2D surface (a graph's piece) unscaled with its top-left pixel at (x, y).
int G_DD_DrawGraph(int x, int y, int surface2D, int transparent);
// Draws the graph's first piece. intFlag 1: x and y are whole pixels (an int or a float
// argument arrives exactly); otherwise they are truncated toward zero.
int G_DD_DrawGraphF(double x, double y, const GraphRecord* graph, int transparent, int intFlag);
int G_DD_DrawPolygon(const VertexTriple* triangles, int count, const GraphRecord* graph, int transparent, int mode2D,
                     int useZ);
int G_DD_DrawLineList(const LineRecord* lines, int count);
int G_DD_DrawLineBox(int x1, int y1, int x2, int y2, uint32_t color);
int G_DD_GetDrawScreenGraph(int x1, int y1, int x2, int y2, GraphRecord* graph);

// The software image of the current blend graph; null when none is set or it has none.
const MEMIMG* GetBlendGraphMemImg();

int BeginMaskDrawRect(int x1, int y1, int x2, int y2);
int EndMaskDrawRect(int x1, int y1, int x2, int y2);

// Prepares the target (and the source piece, when given) for a software draw: on a software
// screen nothing is prepared and 0 comes back at once. A device target is locked (or copied
// to the work surface first) and wrapped in GetSoftDrawState's images, or marked for one
// BltFast. 0 ready; -1 when the clipped destination is empty or a surface cannot be locked
// (nothing is left locked then). colours: screen colours converted in place when the target
// is converted.
int BeginSoftDrawOnTarget(const Surface2D* source, int allowDirect, const RECT* sourceRect, const RECT* destRect,
                          int colourOnly, uint32_t* colour1, uint32_t* colour2);
int EndSoftDrawOnTarget();
void FillSpareBits(platform::DeviceSurface* surface, const platform::Rect& area);

}  // namespace rt
