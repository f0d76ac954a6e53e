// The loops again, compiled with AVX2 (the build gives this file -mavx2 on x86-64).
#if defined(__x86_64__)
#define RT_SOFT_ISA avx2
#include "runtime/softrender/raster_loops.inc"
#else
#include "runtime/softrender/raster_loops.h"
namespace rt::soft::avx2 {
const RasterLoops kRasterLoops{nullptr, nullptr, nullptr, nullptr};
}
#endif
