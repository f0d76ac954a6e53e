#include "platform/clock.h"

#include <time.h>

#include <thread>

namespace platform {
namespace {

uint64_t MonotonicUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u;
}

SystemClock g_systemClock;
std::atomic<Clock*> g_clock{&g_systemClock};

}  // namespace

uint32_t SystemClock::Milliseconds() { return static_cast<uint32_t>(MonotonicUs() / 1000); }
uint64_t SystemClock::Microseconds() { return MonotonicUs(); }

void SystemClock::Sleep(uint32_t ms) {
  if (ms == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void VirtualClock::Sleep(uint32_t ms) {
  us_ += uint64_t{ms} * 1000;
  std::this_thread::yield();
}

Clock& GetClock() { return *g_clock.load(); }
void SetClock(Clock* clock) { g_clock.store(clock ? clock : &g_systemClock); }

}  // namespace platform

namespace platform {
void LocalDateTime(int out[6]) {
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  out[0] = local.tm_year + 1900;
  out[1] = local.tm_mon + 1;
  out[2] = local.tm_mday;
  out[3] = local.tm_hour;
  out[4] = local.tm_min;
  out[5] = local.tm_sec;
}
}  // namespace platform
