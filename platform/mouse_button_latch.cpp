#include "platform/mouse_button_latch.h"

namespace platform {

void MouseButtonLatch::Press(int button, uint32_t timeMs) {
  if (button < 0 || button >= kMouseButtonCount) return;
  // A time of all ones would read as "no press"; a millisecond earlier is as good.
  pressedAt_[button].store(timeMs == UINT32_MAX ? timeMs : timeMs + 1);
}

uint8_t MouseButtonLatch::Read(uint8_t held, uint32_t nowMs) {
  uint8_t mask = held;
  for (int i = 0; i < kMouseButtonCount; ++i) {
    const uint32_t stamp = pressedAt_[i].exchange(0);
    if (stamp == 0) continue;
    // Unsigned differences stay right across the clock's wrap; a press stamped after the
    // read's time (the clocks of two threads) is fresh.
    const uint32_t age = nowMs - (stamp - 1);
    if (age <= kKeepMs || age > UINT32_MAX - kKeepMs) mask |= static_cast<uint8_t>(1u << i);
  }
  return mask;
}

void MouseButtonLatch::Clear() {
  for (auto& stamp : pressedAt_) stamp.store(0);
}

}  // namespace platform
