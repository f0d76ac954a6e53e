// The sets of compiled loops this processor can run, so that tests cover each of them.
#pragma once
#include <utility>
#include <vector>

#include "runtime/softrender/raster_loops.h"

namespace testloops {

inline std::vector<std::pair<const char*, const rt::soft::RasterLoops*>> Available() {
  std::vector<std::pair<const char*, const rt::soft::RasterLoops*>> sets{{"base", &rt::soft::base::kRasterLoops}};
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) sets.push_back({"avx2", &rt::soft::avx2::kRasterLoops});
#endif
  return sets;
}

// Draws through one set of loops until the end of the scope.
class Use {
 public:
  explicit Use(const rt::soft::RasterLoops* loops) : saved_(rt::soft::ActiveRasterLoops()) {
    rt::soft::ActiveRasterLoops() = loops;
  }
  ~Use() { rt::soft::ActiveRasterLoops() = saved_; }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;

 private:
  const rt::soft::RasterLoops* saved_;
};

}  // namespace testloops
