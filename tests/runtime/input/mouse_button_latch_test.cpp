#include "platform/mouse_button_latch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using platform::MouseButtonLatch;

constexpr uint8_t kLeft = 0x1, kRight = 0x2, kMiddle = 0x4;

// Each step either presses a button at a time or reads with the held mask at a time.
struct Step {
  enum Kind { kPress, kRead } kind;
  int button;      // kPress: the button
  uint8_t held;    // kRead: the held buttons
  uint32_t timeMs;
  uint8_t expected;  // kRead: the reported mask
};

TEST(MouseButtonLatchTest, ReadsOfHeldButtonsAndPresses) {
  constexpr uint32_t keep = MouseButtonLatch::kKeepMs;
  struct Case {
    const char* name;
    std::vector<Step> steps;
  } cases[] = {
      {"held buttons pass through",
       {{Step::kRead, 0, kLeft | kMiddle, 10, kLeft | kMiddle}, {Step::kRead, 0, 0, 26, 0}}},
      {"a click between two reads is reported once",
       {{Step::kPress, 0, 0, 12, 0}, {Step::kRead, 0, 0, 16, kLeft}, {Step::kRead, 0, 0, 32, 0}}},
      {"a press still held is reported by the held state alone",
       {{Step::kPress, 1, 0, 12, 0}, {Step::kRead, 0, kRight, 16, kRight}, {Step::kRead, 0, 0, 32, 0}}},
      {"two clicks of one button before a read are one click",
       {{Step::kPress, 0, 0, 5, 0}, {Step::kPress, 0, 0, 9, 0}, {Step::kRead, 0, 0, 16, kLeft},
        {Step::kRead, 0, 0, 32, 0}}},
      {"presses of several buttons join the held ones",
       {{Step::kPress, 1, 0, 5, 0}, {Step::kPress, 2, 0, 9, 0}, {Step::kRead, 0, kLeft, 16, kLeft | kRight | kMiddle}}},
      {"a slow frame keeps its click",
       {{Step::kPress, 0, 0, 1000, 0}, {Step::kRead, 0, 0, 1000 + keep, kLeft}}},
      {"a click no read came for is dropped",
       {{Step::kPress, 0, 0, 1000, 0}, {Step::kRead, 0, 0, 1001 + keep, 0}, {Step::kRead, 0, 0, 1100 + keep, 0}}},
      {"a press across the clock's wrap is fresh",
       {{Step::kPress, 0, 0, UINT32_MAX - 3, 0}, {Step::kRead, 0, 0, 5, kLeft}}},
      {"a press at the clock's last value is kept",
       {{Step::kPress, 0, 0, UINT32_MAX, 0}, {Step::kRead, 0, 0, 2, kLeft}}},
      {"a press at time 0 is a press",
       {{Step::kPress, 0, 0, 0, 0}, {Step::kRead, 0, 0, 16, kLeft}}},
      {"a press stamped just after the read's time is fresh",
       {{Step::kPress, 0, 0, 20, 0}, {Step::kRead, 0, 0, 18, kLeft}}},
      {"buttons beyond the count are ignored",
       {{Step::kPress, -1, 0, 5, 0}, {Step::kPress, platform::kMouseButtonCount, 0, 5, 0},
        {Step::kRead, 0, 0, 16, 0}}},
      {"the last button is kept",
       {{Step::kPress, platform::kMouseButtonCount - 1, 0, 5, 0}, {Step::kRead, 0, 0, 16, 0x80}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MouseButtonLatch latch;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Step& s = c.steps[i];
      if (s.kind == Step::kPress) {
        latch.Press(s.button, s.timeMs);
      } else {
        EXPECT_EQ(latch.Read(s.held, s.timeMs), s.expected) << "step " << i;
      }
    }
  }
}

TEST(MouseButtonLatchTest, ClearForgetsPresses) {
  MouseButtonLatch latch;
  latch.Press(0, 100);
  latch.Press(1, 100);
  latch.Clear();
  EXPECT_EQ(latch.Read(0, 110), 0);
  EXPECT_EQ(latch.Read(kMiddle, 120), kMiddle);
}

}  // namespace
