// Copying a rectangle of the draw screen into a graph made of textures. Five ways of doing
// it are tried in a fixed order until one works; the one that did is remembered, apart for
// plain textures and for textures with alpha, and later captures go straight to it.
#pragma once
#include <cstdint>

#include "runtime/image/color_format.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/rect.h"

namespace rt {

// Number of capture methods in the table.
constexpr int kCaptureMethodCount = 5;

// clientFlag 0 on the front screen of a window takes the rectangle from the whole desktop;
// otherwise it lies on the draw screen. 0; -1 (or the last method's negative result);
// 0 at once while the device cannot draw on the target.
int G_D3D_GetDrawScreenGraph(int x1, int y1, int x2, int y2, GraphRecord* graph, int clientFlag);
// The methods, in the order of the table.
int G_D3D_GetDrawScreenGraphFunction5(int x1, int y1, int x2, int y2, GraphRecord* graph, int clientFlag);
int G_D3D_GetDrawScreenGraphFunction1(int x1, int y1, int x2, int y2, GraphRecord* graph, int clientFlag);
int G_D3D_GetDrawScreenGraphFunction3(int x1, int y1, int x2, int y2, GraphRecord* graph, int clientFlag);
int G_D3D_GetDrawScreenGraphFunction2(int x1, int y1, int x2, int y2, GraphRecord* graph, int clientFlag);
int G_D3D_GetDrawScreenGraphFunction4(int x1, int y1, int x2, int y2, GraphRecord* graph, int clientFlag);

// ORs the value into the spare bits (the bits of no channel) of every pixel of the
// rectangle; 16- and 32-bit pixels only. Returns 0.
int FillSpareBitsRect(const RECT* rect, void* base, int pitch, const ColorFormat* format, uint32_t value);

}  // namespace rt
