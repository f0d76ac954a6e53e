// Clocks: the millisecond and microsecond counters the runtime keeps time with.
// The program runs on the system clock; tests install a virtual clock they advance by hand.
#pragma once
#include <atomic>
#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; wraps at 2^32 like the Windows multimedia timer.
  virtual uint32_t Milliseconds() = 0;
  // Microseconds since the same start.
  virtual uint64_t Microseconds() = 0;
  // Gives up the processor for about ms milliseconds (0: just yield).
  virtual void Sleep(uint32_t ms) = 0;
};

class SystemClock final : public Clock {
 public:
  uint32_t Milliseconds() override;
  uint64_t Microseconds() override;
  void Sleep(uint32_t ms) override;
};

// Time moves only when a test advances it or someone sleeps on it, so scripted runs
// go faster than real time and give the same results every run.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(uint64_t startUs = 0) : us_(startUs) {}
  uint32_t Milliseconds() override { return static_cast<uint32_t>(us_.load() / 1000); }
  uint64_t Microseconds() override { return us_.load(); }
  void Sleep(uint32_t ms) override;
  void AdvanceMs(uint32_t ms) { us_ += uint64_t{ms} * 1000; }
  void AdvanceUs(uint64_t us) { us_ += us; }

 private:
  std::atomic<uint64_t> us_;
};

// The clock in force; the system clock unless a test installed another.
Clock& GetClock();
// Installs a clock (nullptr: back to the system clock). The caller keeps ownership.
void SetClock(Clock* clock);

}  // namespace platform

namespace platform {
// The local date and time: year, month, day, hour, minute, second.
void LocalDateTime(int out[6]);
}  // namespace platform
