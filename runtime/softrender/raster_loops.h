// The software renderer's pixel loops that the compiler vectorises: the same-size blit's
// rows and runs and the filled box's rows. They are compiled twice from one source, for the
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

struct RasterLoops {
  // The blit loop for BlendIndex(...) on the run or the per-pixel path; null where none exists.
  BlitFn (*blit)(bool runPath, size_t index);
  // The box loop for kind 0 or 1 and mode 0..4.
  BoxFn (*box)(int kind, int mode);
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
