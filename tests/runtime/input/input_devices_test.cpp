#include "runtime/input/input_devices.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/api.h"
#include "tests/runtime/input/input_fixture.h"

namespace {

namespace key = platform::key;
using input_test::InputTest;

class PadMaskTest : public InputTest {};

TEST_F(PadMaskTest, MaskTable) {
  struct Case {
    const char* name;
    int pads;                 // attached pad devices
    std::vector<int> keys;    // held keys
    int x, y;                 // pad 1's stick
    std::vector<int> buttons; // pad 1's held buttons
    int kind;
    int expected;
  } cases[] = {
      {"keyboard only", 0, {key::kLeft, key::kZ, key::kSpace}, 0, 0, {}, 0x1000, 0x2 | 0x10 | 0x2000},
      {"numeric pad directions", 0, {key::kNumpad2, key::kNumpad8, key::kNumpad4, key::kNumpad6}, 0, 0, {}, 0x1000, 0xF},
      {"every keyboard button", 0, {key::kZ, key::kX, key::kC, key::kA, key::kS, key::kD, key::kQ, key::kW, key::kEscape, key::kSpace}, 0, 0, {}, 0x1000, 0x3FF0},
      {"unmapped keys add nothing", 0, {key::kF1, key::kEnter}, 0, 0, {}, 0x1000, 0},
      {"no pad, merged", 0, {key::kUp}, 0, 0, {}, 0x1001, 0x8},
      {"pad only", 1, {key::kUp}, -1, 1, {0}, 1, 0x2 | 0x1 | 0x10},
      {"pad right and up", 1, {}, 1000, -1000, {}, 1, 0x4 | 0x8},
      {"pad left, keyboard right", 1, {key::kRight}, -500, 0, {}, 0x1001, 0x6},
      {"buttons past 11", 1, {}, 0, 0, {10, 11, 23}, 1, 0x4000 | 0x8000 | 0x8000000},
      {"button 24 is outside the mask", 1, {}, 0, 0, {24, 31}, 1, 0},
      {"pad 2 absent, no keyboard", 1, {key::kUp}, -1, 0, {}, 2, 0},
      {"pad 2 absent, keyboard", 1, {key::kUp}, -1, 0, {}, 0x1002, 0x8},
      {"keyboard alone with a pad attached", 1, {key::kDown}, -1, 0, {5}, 0x1000, 0x1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rt::EndInput();
    backend_ = platform::ScriptedInput{};
    for (int i = 0; i < c.pads; ++i) backend_.AddPad();
    for (int k : c.keys) backend_.SetKey(k, true);
    if (c.pads > 0) {
      backend_.SetPadAxes(0, c.x, c.y);
      for (int b : c.buttons) backend_.SetPadButton(0, b, true);
    }
    ASSERT_EQ(rt::InitInput(), 0);
    Tick();
    EXPECT_EQ(rt::GetPadInputImpl(c.kind), c.expected);
  }
}

TEST_F(PadMaskTest, FirstReadStartsTheLayerAndReturnsZero) {
  backend_.SetKey(key::kEscape, true);
  EXPECT_EQ(rt::GetInputState().started, 0);
  EXPECT_EQ(rt::CheckKeyDownImpl(key::kEscape), 0);
  EXPECT_EQ(rt::GetInputState().started, 1);
  Tick();
  EXPECT_EQ(rt::CheckKeyDownImpl(key::kEscape), 1);
  EXPECT_EQ(rt::CheckKeyDownImpl(key::kSpace), 0);

  rt::EndInput();
  EXPECT_EQ(rt::GetPadInputImpl(0x1001), 0);
  EXPECT_EQ(rt::GetInputState().started, 1);
}

TEST_F(PadMaskTest, ScanCodesOutsideTheTableAreNeverHeld) {
  rt::InitInput();
  Tick();
  EXPECT_EQ(rt::CheckKeyDownImpl(-1), 0);
  EXPECT_EQ(rt::CheckKeyDownImpl(256), 0);
  EXPECT_EQ(rt::CheckKeyDownImpl(0x7FFFFFFF), 0);
}

TEST_F(PadMaskTest, KeyboardIsReadOncePerMillisecondUnlessAKeyChanged) {
  rt::InitInput();
  Tick();
  rt::CheckKeyDownImpl(key::kA);
  const int reads = backend_.keyboardReads;
  rt::CheckKeyDownImpl(key::kA);
  EXPECT_EQ(backend_.keyboardReads, reads);  // same millisecond, nothing changed

  backend_.SetKey(key::kA, true);
  EXPECT_EQ(rt::CheckKeyDownImpl(key::kA), 1);  // a change is seen at once
  EXPECT_EQ(backend_.keyboardReads, reads + 1);

  Tick();
  rt::CheckKeyDownImpl(key::kA);
  EXPECT_EQ(backend_.keyboardReads, reads + 2);
}

TEST_F(PadMaskTest, FailedKeyboardReadKeepsTheOldState) {
  backend_.SetKey(key::kW, true);
  rt::InitInput();
  Tick();
  ASSERT_EQ(rt::CheckKeyDownImpl(key::kW), 1);
  backend_.keyboardReadFails = true;
  backend_.SetKey(key::kW, false);
  Tick();
  EXPECT_EQ(rt::CheckKeyDownImpl(key::kW), 1);
}

TEST_F(PadMaskTest, PadsThatFailToOpenAreSkippedAndEightAtMost) {
  for (int i = 0; i < 10; ++i) backend_.AddPad("pad " + std::to_string(i), i != 0);
  backend_.PadDevice(1).opens = false;
  ASSERT_EQ(rt::InitInput(), 0);
  EXPECT_EQ(rt::GetInputState().padCount, 8);
  EXPECT_EQ(backend_.DeviceOfSlot(0), 0);
  EXPECT_EQ(backend_.DeviceOfSlot(1), 2);  // device 1 was skipped
  EXPECT_EQ(backend_.DeviceOfSlot(7), 8);
  EXPECT_FALSE(rt::GetInputState().pads[0].constantEffect);  // device 0 cannot rumble
  EXPECT_TRUE(rt::GetInputState().pads[1].constantEffect);

  // Pad 2 is the third device.
  backend_.SetPadAxes(2, 0, 700);
  Tick();
  EXPECT_EQ(rt::GetPadInputImpl(2), 0x1);
}

TEST_F(PadMaskTest, PadIsReadOncePerMillisecondUnlessItMoved) {
  backend_.AddPad();
  rt::InitInput();
  rt::GetPadInputImpl(1);
  const int reads = backend_.padReads;
  rt::GetPadInputImpl(1);
  EXPECT_EQ(backend_.padReads, reads);
  backend_.SetPadAxes(0, -1000, 0);
  EXPECT_EQ(rt::GetPadInputImpl(1), 0x2);
  EXPECT_EQ(backend_.padReads, reads + 1);
}

TEST_F(PadMaskTest, EndInputClosesTheDevicesAndAStartAfterwardsWorks) {
  backend_.AddPad();
  rt::InitInput();
  EXPECT_TRUE(backend_.keyboardOpen);
  EXPECT_TRUE(backend_.mouseOpen);
  rt::EndInput();
  EXPECT_FALSE(backend_.keyboardOpen);
  EXPECT_FALSE(backend_.mouseOpen);
  EXPECT_FALSE(backend_.deviceLayerOpen);
  EXPECT_EQ(backend_.DeviceOfSlot(0), -1);
  EXPECT_EQ(rt::GetInputState().started, 0);
  EXPECT_EQ(rt::EndInput(), 0);  // a second end does nothing

  ASSERT_EQ(rt::InitInput(), 0);
  backend_.SetPadButton(0, 2, true);
  Tick();
  EXPECT_EQ(rt::GetPadInputImpl(1), 0x40);
}

TEST_F(PadMaskTest, MouseButtons) {
  backend_.SetMouseButtons(0x1 | 0x4 | 0x20);
  rt::InitInput();
  EXPECT_EQ(rt::GetMouseButtonsImpl(), 0x1 | 0x4 | 0x20);

  // Without the device layer only left, right and middle are known.
  rt::EndInput();
  backend_.deviceLayerWorks = false;
  rt::InitInput();
  EXPECT_EQ(rt::GetMouseButtonsImpl(), 0x1 | 0x4);
}

TEST(FallbackAxis, MapsTheRawRangeWithAQuarterDeadZoneEachSide) {
  struct Case {
    uint32_t raw;
    int32_t expected;
  } cases[] = {
      {0, -1000},     {1, -999},     {10000, -593}, {24575, 0}, {24576, 0}, {28000, 0},
      {32767, 0},     {40960, 0},    {40961, 0},    {41000, 1}, {50000, 367}, {65534, 999},
      {65535, 1000},
  };
  for (const Case& c : cases) EXPECT_EQ(rt::MapFallbackAxis(c.raw), c.expected) << c.raw;
}

class FallbackModeTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    backend_.deviceLayerWorks = false;
  }
};

TEST_F(FallbackModeTest, EveryJoystickNumberIsReadAndAbsentOnesRest) {
  backend_.AddPad();
  ASSERT_EQ(rt::InitInput(), 0);
  EXPECT_EQ(rt::GetInputState().started, -1);
  EXPECT_EQ(rt::GetInputState().padCount, 8);

  backend_.PadDevice(0).raw.x = 0;
  backend_.PadDevice(0).raw.y = 50000;
  backend_.PadDevice(0).raw.buttons = 1u << 0 | 1u << 23 | 1u << 24;
  Tick();
  EXPECT_EQ(rt::GetPadInputImpl(1), 0x2 | 0x1 | 0x10 | 0x8000000);
  EXPECT_EQ(rt::GetInputState().pads[0].state.y, 367);
  EXPECT_EQ(rt::GetPadInputImpl(5), 0);  // no joystick 4: a pad at rest

  // A failed read clears the state.
  backend_.PadDevice(0).rawReadFails = true;
  Tick();
  EXPECT_EQ(rt::GetPadInputImpl(1), 0);
}

TEST_F(FallbackModeTest, ZAndRAreReadOnlyWhenThePadHasBoth) {
  backend_.AddPad();
  backend_.AddPad();
  backend_.PadDevice(0).rawCaps = {true, true};
  backend_.PadDevice(1).rawCaps = {true, false};
  for (int d = 0; d < 2; ++d) {
    backend_.PadDevice(d).raw.z = 0;
    backend_.PadDevice(d).raw.r = 65535;
  }
  rt::InitInput();
  Tick();
  rt::GetPadInputImpl(1);
  rt::GetPadInputImpl(2);
  EXPECT_EQ(rt::GetInputState().pads[0].state.z, -1000);
  EXPECT_EQ(rt::GetInputState().pads[0].state.rz, 1000);
  EXPECT_EQ(rt::GetInputState().pads[1].state.z, 0);
  EXPECT_EQ(rt::GetInputState().pads[1].state.rz, 0);
}

TEST_F(FallbackModeTest, KeyboardReadsOnlyTheKeysOfTheFallbackTable) {
  for (int k : {key::kA, key::kF1, key::kNumpadDivide, key::kColon, 0x1D /* left control */}) {
    backend_.SetKey(k, true);
  }
  rt::InitInput();
  Tick();
  EXPECT_EQ(rt::CheckKeyDownImpl(key::kA), 1);
  EXPECT_EQ(rt::CheckKeyDownImpl(key::kNumpadDivide), 1);
  EXPECT_EQ(rt::CheckKeyDownImpl(key::kColon), 1);
  EXPECT_EQ(rt::CheckKeyDownImpl(key::kF1), 0);
  EXPECT_EQ(rt::CheckKeyDownImpl(0x1D), 0);
}

TEST_F(FallbackModeTest, TheModeIsKeptAcrossARestart) {
  rt::InitInput();
  rt::EndInput();
  backend_.deviceLayerWorks = true;
  const int opens = backend_.deviceLayerOpens;
  rt::InitInput();
  EXPECT_EQ(rt::GetInputState().started, -1);
  EXPECT_EQ(backend_.deviceLayerOpens, opens);
}

class VibrationTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    backend_.AddPad();
    rt::InitInput();
  }
  rt::PadRecord& Pad() { return rt::GetInputState().pads[0]; }
};

TEST_F(VibrationTest, RunsUntilItsTimeLimitThenStops) {
  Pad().vibrationOn = 1;
  Pad().vibrationPower = 8000;
  Pad().vibrationTimeLimit = 100;
  Pad().vibrationLastTime = clock_.Milliseconds();
  rt::ProcessPadVibration();
  EXPECT_TRUE(backend_.PadDevice(0).constantOn);
  EXPECT_TRUE(backend_.PadDevice(0).sineOn);  // above half power

  clock_.AdvanceMs(60);
  rt::ProcessPadVibration();
  EXPECT_TRUE(backend_.PadDevice(0).constantOn);
  clock_.AdvanceMs(40);
  rt::ProcessPadVibration();
  EXPECT_FALSE(backend_.PadDevice(0).constantOn);
  EXPECT_FALSE(backend_.PadDevice(0).sineOn);
  EXPECT_EQ(Pad().vibrationOn, 0);
  EXPECT_EQ(Pad().vibrationPower, 10000);
}

TEST_F(VibrationTest, LowPowerRunsOnlyTheConstantEffectAndAnInactiveWindowStopsAll) {
  Pad().vibrationOn = 1;
  Pad().vibrationPower = 5000;
  rt::ApplyPadVibration();
  EXPECT_TRUE(backend_.PadDevice(0).constantOn);
  EXPECT_FALSE(backend_.PadDevice(0).sineOn);

  rt::GetWindowState().session.active = 0;
  rt::ApplyPadVibration();
  EXPECT_FALSE(backend_.PadDevice(0).constantOn);
  rt::GetWindowState().session.active = 1;
  rt::ApplyPadVibration();
  EXPECT_TRUE(backend_.PadDevice(0).constantOn);  // re-applied once active again
}

TEST(SdlScanCodes, LettersDigitsAndEditingKeys) {
  struct Case {
    int sdl;  // SDL scancode numbers (USB usage ids)
    int expected;
  } cases[] = {
      {4, key::kA},      {29, key::kZ},     {20, key::kQ},     {26, key::kW},
      {30, key::k1},     {39, key::k0},     {40, key::kEnter}, {41, key::kEscape},
      {42, key::kBackspace}, {44, key::kSpace}, {76, key::kDelete}, {79, key::kRight},
      {80, key::kLeft},  {81, key::kDown},  {82, key::kUp},    {90, key::kNumpad2},
      {98, key::kNumpad0}, {88, key::kNumpadEnter}, {137, key::kYen}, {0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::ScanCodeFromSdlScancode(c.sdl), c.expected) << c.sdl;
}

TEST_F(PadMaskTest, ScriptedFramesReachTheMaskOneFrameAtATime) {
  backend_.AddPad();
  platform::PadState left{};
  left.x = -1000;
  left.buttons[1] = platform::kPressed;
  backend_.LoadScript({
      {{key::kZ}, {}, 0},
      {{}, {{0, left}}, 0x1},
      {{key::kUp}, {{0, left}}, 0},
      {},
  });
  rt::InitInput();
  std::vector<int> masks;
  while (backend_.NextFrame()) {
    Tick();
    masks.push_back(rt::GetPadInputImpl(0x1001));
  }
  EXPECT_EQ(masks, (std::vector<int>{0x10, 0x2 | 0x20, 0x8 | 0x2 | 0x20, 0}));
}

TEST_F(PadMaskTest, FacadeRowsReachTheLayer) {
  backend_.SetKey(key::kX, true);
  backend_.SetMouseButtons(0x2);
  EXPECT_EQ(CheckKeyDown(key::kX), 0);  // starts the layer
  Tick();
  EXPECT_EQ(CheckKeyDown(key::kX), 1);
  EXPECT_EQ(GetPadInput(0x1001), 0x20);
  EXPECT_EQ(GetMouseButtons(), 0x2);
}

}  // namespace
