// The input tests' common set-up: a scripted backend, a virtual clock, a silent log and an
// active window state, all restored afterwards.
#pragma once
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/input_script.h"
#include "runtime/core/log.h"
#include "runtime/core/window.h"
#include "runtime/input/input_devices.h"
#include "runtime/input/key_input.h"

namespace input_test {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetClock(&clock_);
    platform::SetInputBackend(&backend_);
    rt::GetLogState().logOff = 1;
    rt::GetWindowState().session.active = 1;
    rt::GetInputState() = rt::InputState{};
    rt::InitCharCodeBuffer();
  }
  void TearDown() override {
    rt::EndInput();
    rt::DeleteAllKeyInputs();
    rt::GetInputState() = rt::InputState{};
    rt::GetWindowState().session.active = 0;
    rt::GetLogState() = rt::LogState{};
    platform::SetInputBackend(nullptr);
    platform::SetClock(nullptr);
  }
  // Moves the clock to the next millisecond, so the next read is a fresh one.
  void Tick() { clock_.AdvanceMs(1); }

  platform::VirtualClock clock_{5'000'000};
  platform::ScriptedInput backend_;
};

}  // namespace input_test
