#include "runtime/softrender/raster_loops.inc"

namespace rt::soft {

const RasterLoops*& ActiveRasterLoops() {
  static const RasterLoops* loops = [] {
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx2")) return &avx2::kRasterLoops;
#endif
    return &base::kRasterLoops;
  }();
  return loops;
}

}  // namespace rt::soft
