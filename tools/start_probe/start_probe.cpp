// A probe preloaded into the game (LD_PRELOAD) that reports, at the first picture the game's
// frame loop presents, the process's processor time and the time since it was started, then
// optionally ends the process. measure_start.sh runs it; see there for the settings.
//
// It stands in for the two calls a frame is presented through (the software presenter's and
// the OpenGL device's) and passes each on. A present counts when a return address on the
// stack lies in the function range START_PROBE_RANGE ("offset:size" in hex, of the frame-loop
// function in the executable); without it the first present of any kind counts.
#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

bool g_reported = false;

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

uintptr_t ExecutableBase() {
  uintptr_t base = 0;
  // The first object listed is the executable.
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* out) {
        *static_cast<uintptr_t*>(out) = info->dlpi_addr;
        return 1;
      },
      &base);
  return base;
}

bool CalledFromFrameLoop() {
  const char* range = std::getenv("START_PROBE_RANGE");
  if (!range || !*range) return true;
  char* end = nullptr;
  const uintptr_t offset = std::strtoull(range, &end, 16);
  const uintptr_t size = *end == ':' ? std::strtoull(end + 1, nullptr, 16) : 0;
  const uintptr_t low = ExecutableBase() + offset, high = low + size;
  void* frames[64];
  const int count = backtrace(frames, 64);
  for (int i = 0; i < count; ++i) {
    const auto address = reinterpret_cast<uintptr_t>(frames[i]);
    if (address >= low && address < high) return true;
  }
  return false;
}

void ReportFirstFrame(const char* how) {
  if (g_reported || !CalledFromFrameLoop()) return;
  g_reported = true;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const char* started = std::getenv("START_PROBE_T0");  // nanoseconds, CLOCK_REALTIME, before exec
  const double wall = started ? static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9 -
                                    std::strtod(started, nullptr) / 1e9
                              : -1;
  const double user = Seconds(usage.ru_utime), system = Seconds(usage.ru_stime);
  std::fprintf(stderr, "first frame (%s): cpu=%.3f user=%.3f sys=%.3f wall=%.3f maxrss=%ldMB\n", how, user + system,
               user, system, wall, usage.ru_maxrss / 1024);
  if (std::getenv("START_PROBE_EXIT")) _exit(0);
}

template <class F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

void SDL_RenderPresent(void* renderer) {
  static const auto next = Next<void (*)(void*)>("SDL_RenderPresent");
  next(renderer);
  ReportFirstFrame("software display");
}

void SDL_GL_SwapWindow(void* window) {
  static const auto next = Next<void (*)(void*)>("SDL_GL_SwapWindow");
  next(window);
  ReportFirstFrame("OpenGL display");
}

}  // extern "C"
