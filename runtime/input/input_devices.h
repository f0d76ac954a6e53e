// Keyboard, mouse and up to eight pads, read into the pad-and-keyboard mask.
#pragma once
#include <cstdint>

#include "platform/input.h"

namespace rt {

constexpr int kMaxPads = 8;

// GetPadInput's kind: pad number 1..8, plus this bit to merge the keyboard.
constexpr int kPadInputKeyboard = 0x1000;

// The bits of the pad-and-keyboard mask.
constexpr uint32_t kPadDown = 0x1;
constexpr uint32_t kPadLeft = 0x2;
constexpr uint32_t kPadRight = 0x4;
constexpr uint32_t kPadUp = 0x8;
constexpr int kPadFirstButtonBit = 4;  // pad button i sets bit 4 + i
constexpr int kPadMaskButtons = 24;

struct PadRecord {
  bool device = false;  // slot in use
  bool constantEffect = false;
  bool sineEffect = false;
  platform::PadState state{};
  int32_t hasZAndR = 0;  // fall-back mode only
  uint32_t lastReadTime = 0;
  bool stateRead = false;  // lastReadTime holds a real read
  int32_t vibrationOn = 0;
  int32_t vibrationPower = 10000;
  int32_t vibrationTimeLimit = -1;  // milliseconds, negative: none
  int32_t vibrationElapsed = 0;
  uint32_t vibrationLastTime = 0;
  int32_t constantRunning = 0;
  int32_t sineRunning = 0;
};

struct InputState {
  // 1: the device layer could not be had; pads through the fall-back joystick functions,
  // keyboard through the fall-back key table. Kept across InitInput.
  int32_t fallbackMode = 0;
  // 0 not started, 1 started with the device layer, -1 started in fall-back mode.
  int32_t started = 0;
  bool mouseOpen = false;
  bool keyboardOpen = false;
  uint32_t lastKeyboardReadTime = 0;
  uint8_t keyStateBuffer[platform::kKeyCount] = {};
  int32_t padCount = 0;
  PadRecord pads[kMaxPads];
};

InputState& GetInputState();

// 0 when the layer runs; device failures end the process.
int InitInput();
int EndInput();
int SetUpPads();
int ReleasePads();
// 1 when the key buffer was refreshed, else 0.
int UpdateKeyboardState();
int UpdatePadState(int padIndex);
int ReacquireInputDevices();

int GetPadInputImpl(int kind);
int CheckKeyDownImpl(int scanCode);
int GetMouseButtonsImpl();

int ApplyPadVibration();
int ProcessPadVibration();
int StopPadVibration(int padIndex);

// The fall-back joystick functions' axis reading (0..65535, 32767 at rest) as -1000..1000.
int32_t MapFallbackAxis(uint32_t raw);

}  // namespace rt
