// What a frame costs on one display, reported beside the software display's: the benches
// that run a frame in a real window on the software display first, then through the OpenGL
// device, in one program run.
#pragma once
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>

namespace bench_support {

// Processor seconds of the whole process (CLOCK_PROCESS_CPUTIME_ID) or of the calling thread
// (CLOCK_THREAD_CPUTIME_ID).
inline double CpuSeconds(clockid_t which) {
  timespec t{};
  clock_gettime(which, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// True (the bench skipped) when there is no X display to open a window on.
inline bool SkippedWithoutXDisplay(benchmark::State& state) {
  const char* display = std::getenv("DISPLAY");
  if (display && *display) return false;
  state.SkipWithError("no X display");
  return true;
}

// "cpu_ms": the whole process's processor time per frame (the GL's own threads included);
// "work_ms": the drawing thread's. On the GL device also "vs_software" and
// "work_vs_software", its figures over the software display's reported before.
inline void ReportDisplayCost(benchmark::State& state, bool software, double cpuPerFrame, double workPerFrame) {
  static double softwareCpu = 0.0;
  static double softwareWork = 0.0;
  state.SetLabel(software ? "software display" : "OpenGL device");
  state.counters["cpu_ms"] = cpuPerFrame * 1000.0;
  state.counters["work_ms"] = workPerFrame * 1000.0;
  if (software) {
    softwareCpu = cpuPerFrame;
    softwareWork = workPerFrame;
  } else if (softwareCpu > 0.0 && softwareWork > 0.0) {
    state.counters["vs_software"] = cpuPerFrame / softwareCpu;
    state.counters["work_vs_software"] = workPerFrame / softwareWork;
  }
}

}  // namespace bench_support
