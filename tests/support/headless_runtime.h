// A runtime that starts without a display or devices: a scripted window system, scripted
// input, a recording audio sink, a recording presenter for the screens, a virtual clock that
// moves on by itself, and a fresh working directory for the log and the instance lock. The
// screen mode is the game's (800 x 600, 32 bits), set as the game sets it before start-up.
// Install one per test; it ends the runtime and puts the real clock and window system back.
#pragma once
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/input_script.h"
#include "platform/presenter.h"
#include "platform/window_fake.h"
#include "tests/support/temp_dir.h"

namespace testing_support {

// Virtual time that moves on by a fixed step at every read, so that code spinning on the
// clock (the runtime's timer check and processor clock measurement) ends without real
// waiting. Sleeping moves it on by the time slept.
class SteppingClock final : public platform::Clock {
 public:
  SteppingClock(uint64_t startUs, uint64_t stepUs) : us_(startUs), stepUs_(stepUs) {}
  uint32_t Milliseconds() override { return static_cast<uint32_t>(Microseconds() / 1000); }
  uint64_t Microseconds() override { return us_.fetch_add(stepUs_) + stepUs_; }
  void Sleep(uint32_t ms) override;

 private:
  std::atomic<uint64_t> us_;
  const uint64_t stepUs_;
};

class HeadlessRuntime {
 public:
  HeadlessRuntime();
  ~HeadlessRuntime();
  HeadlessRuntime(const HeadlessRuntime&) = delete;
  HeadlessRuntime& operator=(const HeadlessRuntime&) = delete;

  platform::FakeWindowSystem& windows() { return windows_; }
  SteppingClock& clock() { return clock_; }
  platform::ScriptedInput& input() { return input_; }
  platform::RecordingAudioSink& audio() { return audio_; }
  platform::RecordingPresenter& presenter() { return presenter_; }
  const ScopedTempDir& dir() const { return dir_; }
  // The log file's bytes (Shift-JIS).
  std::string Log() const;

 private:
  ScopedTempDir dir_;
  platform::FakeWindowSystem windows_;
  SteppingClock clock_;
  platform::ScriptedInput input_;
  platform::RecordingAudioSink audio_;
  platform::RecordingPresenter presenter_;
};

// Index of each needle in the log, in order; -1 for the first one missing or out of order.
int FindInOrder(const std::string& haystack, std::initializer_list<const char*> needles);

}  // namespace testing_support
