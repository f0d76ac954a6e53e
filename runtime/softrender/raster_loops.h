// The software renderer's pixel loops that the compiler vectorises: the same-size blit's
// rows and runs, the stretched blit's rows, the textured triangle's spans and the filled
// box's rows. They are compiled twice from one source, for the
// baseline x86-64 instruction set and for AVX2, and the processor's set is chosen at the
// first draw; both give the same pixels.
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/softrender/blend_pixel.h"
#include "runtime/softrender/primitive_rule.h"

namespace rt::soft {

struct BlitJob {
  uint8_t* dst;
  const uint8_t* src;
  const uint8_t* graph;  // blend-graph bytes of the first source pixel, or null
  int width, height;
  ptrdiff_t dstPitch, srcPitch, graphPitch;
  const uint8_t* runs;  // the run path's codes and their end
  const uint8_t* runsEnd;
  BlendContext context;
};
using BlitFn = void (*)(const BlitJob&);

struct BoxJob {
  uint8_t* first;  // the box's top-left pixel
  ptrdiff_t pitch;
  int width, height;
  PrimContext context;
};
using BoxFn = void (*)(const BoxJob&);

struct StretchJob {
  uint8_t* dst;  // first drawn destination pixel
  ptrdiff_t dstPitch;
  const uint8_t* src;  // the first drawn row's pixel at source offset 0
  ptrdiff_t srcRowStep;
  const uint8_t* graph;  // blend-graph byte at the same source position, or null
  ptrdiff_t graphRowStep;
  // For each drawn column, its source pixel as an offset in pixels from src (and from graph).
  const int32_t* columns;
  int width, rows;
  // The row walk in 16.16 destination pixels per source row, in 64 bits so that tall
  // rectangles cannot overflow it.
  int64_t stepY, startY;
  // Whether a row that takes the same source row as the row above may be copied from the
  // destination row above: only where the source and the destination do not overlap.
  bool copyRepeatedRows;
  BlendContext context;
};
using StretchFn = void (*)(const StretchJob&);

struct SpanJob {
  const uint8_t* texels;
  ptrdiff_t texPitch;
  uint32_t limitU, limitV;  // the texture's size in 14.18
  const uint8_t* graph;
  ptrdiff_t graphPitch;
  uint32_t dudx, dvdx;
  uint32_t fill;  // the untextured colour after the bright step
  BlendContext context;
  ptrdiff_t dstPitch;
  // Whether a span may copy the pixels the span on the row above took from the same texels:
  // only where the texture and the destination do not overlap.
  bool copyRepeatedRows;
  // The span drawn on the row above by a loop whose result is the texel alone (count 0:
  // none): its first pixel, its texture row and its first position.
  mutable uint8_t* aboveDst;
  mutable const uint8_t* aboveRow;
  mutable ptrdiff_t aboveCount;
  mutable uint32_t aboveU;
};
// count pixels from dst on, the first at texture position (u, v) in 14.18; positions wrap as
// 32-bit values, and the unsigned range test rejects every position outside the texture.
using SpanFn = void (*)(const SpanJob&, uint8_t* dst, int count, uint32_t u, uint32_t v);

struct RasterLoops {
  // The blit loop for BlendIndex(...) on the run or the per-pixel path; null where none exists.
  BlitFn (*blit)(bool runPath, size_t index);
  // The box loop for kind 0 or 1 and mode 0..4.
  BoxFn (*box)(int kind, int mode);
  // The stretched blit's loop for BlendIndex(...) under the stretched rules, with the early
  // stop of the row walk or without; null where none exists.
  StretchFn (*stretch)(bool earlyStop, size_t index);
  // The textured span for BlendIndex(...) under the rotated rules; null where none exists.
  SpanFn (*texturedSpan)(size_t index);
};

namespace base {
extern const RasterLoops kRasterLoops;
}
namespace avx2 {
extern const RasterLoops kRasterLoops;  // null entries on processors other than x86-64
}

// The loops in use: the AVX2 set when the processor has it. Tests may point it elsewhere.
const RasterLoops*& ActiveRasterLoops();

}  // namespace rt::soft
