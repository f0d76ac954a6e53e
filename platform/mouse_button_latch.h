// Mouse buttons pressed between two reads of the held buttons. The held state is polled once
// a frame; a press and its release that both fall between two polls (a quick click during a
// slow frame) would never be seen. The window's event pump notes each press here, and the
// next read reports the button held once, whatever the held state says by then.
#pragma once
#include <atomic>
#include <cstdint>

#include "platform/input.h"

namespace platform {

class MouseButtonLatch {
 public:
  // A press older than this at the read is dropped: a screen that does not read the mouse
  // must not leave its clicks to the next one that does. A frame takes far less.
  static constexpr uint32_t kKeepMs = 500;

  // A button went down at the time (milliseconds of a clock that may wrap); buttons are
  // numbered as the runtime counts them (0 left, 1 right, 2 middle, then further ones).
  // Buttons beyond the runtime's count are ignored.
  void Press(int button, uint32_t timeMs);
  // The buttons to report as a bit mask: those held now and those pressed since the last
  // read, no longer than kKeepMs ago. The presses are then forgotten.
  uint8_t Read(uint8_t held, uint32_t nowMs);
  void Clear();

 private:
  // Per button, the press time plus one (0: no press). Written by the thread that pumps the
  // window's messages, read by the game's thread.
  std::atomic<uint32_t> pressedAt_[kMouseButtonCount] = {};
};

// The SDL backend's latch: the window's event pump feeds it SDL's button numbers and event
// times, the input backend reads it.
void LatchSdlMouseButtonPress(int sdlButton, uint32_t timeMs);

}  // namespace platform
