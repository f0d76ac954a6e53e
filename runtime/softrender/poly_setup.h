// Set-up and scan conversion of one depth-buffered triangle: the gradients of its planes,
// its rows in the span table, and the fixed-point start values the span loops step.
#pragma once
#include "runtime/display/polygon_vertex.h"
#include "runtime/image/rect.h"
#include "runtime/softrender/poly_spans.h"

namespace rt::soft {

// Fills the span table, frame->spans, frame->rows and the first planes planes of frame (row
// values at the first row; the others 0: the plain half reads no vertex colour); *firstRow
// receives that row. area is the draw area, already inside the target.
// false: the triangle draws nothing (off the area, out of the depth range, smaller than
// 1.1 pixels either way, degenerate, or with values no fixed-point form can hold).
bool SetUpPolygonTriangle(const VertexTriple& triangle, const RECT& area, int planes, PolyFrame* frame,
                          int* firstRow);

}  // namespace rt::soft
