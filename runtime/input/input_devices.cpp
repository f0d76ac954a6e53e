#include "runtime/input/input_devices.h"

#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/time.h"
#include "runtime/core/window.h"

namespace rt {
namespace {

using platform::kPressed;
namespace key = platform::key;

InputState g_input;

// Keyboard keys of the mask: each bit has a main key and a numeric-pad key (0 = none).
struct MaskKey {
  uint32_t bit;
  int key;
  int numpadKey;
};
constexpr MaskKey kKeyboardMask[] = {
    {kPadDown, key::kDown, key::kNumpad2},
    {kPadLeft, key::kLeft, key::kNumpad4},
    {kPadRight, key::kRight, key::kNumpad6},
    {kPadUp, key::kUp, key::kNumpad8},
    {0x10, key::kZ, 0},
    {0x20, key::kX, 0},
    {0x40, key::kC, 0},
    {0x80, key::kA, 0},
    {0x100, key::kS, 0},
    {0x200, key::kD, 0},
    {0x400, key::kQ, 0},
    {0x800, key::kW, 0},
    {0x1000, key::kEscape, 0},
    {0x2000, key::kSpace, 0},
};

// The keys the fall-back keyboard reading fills: letters, digits, arrows, the Japanese
// layout's punctuation, the editing keys and the numeric pad. Every other key reads as up.
constexpr uint8_t kFallbackKeys[] = {
    // A..Z
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
    // 0..9
    0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A,
    key::kLeft, key::kUp, key::kRight, key::kDown,
    key::kSemicolon, key::kColon, key::kLeftBracket, key::kRightBracket, key::kAt,
    key::kBackslash, key::kComma, key::kMinus, key::kYen, key::kPeriod, key::kSlash,
    key::kDelete, key::kEscape, key::kSpace, key::kBackspace, key::kTab, key::kEnter,
    key::kNumpad0, key::kNumpad1, key::kNumpad2, key::kNumpad3, key::kNumpad4,
    key::kNumpad5, key::kNumpad6, key::kNumpad7, key::kNumpad8, key::kNumpad9,
    key::kNumpadMultiply, key::kNumpadAdd, key::kNumpadSubtract, key::kNumpadDecimal,
    key::kNumpadDivide,
};

constexpr int kFallbackPadNumbers = 8;
constexpr int32_t kVibrationFullPower = 10000;
// The swelling effect runs only above half power.
constexpr int32_t kSineMinimumPower = 5000;

constexpr uint32_t kFallbackAxisCentre = 32767;
constexpr uint32_t kFallbackAxisMax = 65535;
constexpr int32_t kFallbackDeadLow = 24576;   // a quarter of the range below the centre
constexpr int32_t kFallbackDeadHigh = 40960;  // and above it
constexpr int32_t kFallbackAxisSpan = 24576;
constexpr int32_t kAxisLimit = 1000;

platform::InputBackend& Backend() { return platform::GetInputBackend(); }

void StopEffects(int index) {
  PadRecord& pad = g_input.pads[index];
  if (pad.constantRunning) Backend().SetPadEffect(index, platform::PadEffect::kConstant, false);
  if (pad.sineRunning) Backend().SetPadEffect(index, platform::PadEffect::kSine, false);
  pad.constantRunning = 0;
  pad.sineRunning = 0;
}

// Releases the devices of a set-up that cannot go on.
void ReleaseDevices() {
  ReleasePads();
  if (g_input.keyboardOpen) Backend().CloseKeyboard();
  if (g_input.mouseOpen) Backend().CloseMouse();
  Backend().CloseDeviceLayer();
  g_input.keyboardOpen = false;
  g_input.mouseOpen = false;
  g_input.started = 0;
}

void AddPadDevice(int device) {
  LogAdd("入力装置を見つけました\n");
  const int slot = g_input.padCount;
  platform::PadInfo info;
  if (!Backend().OpenPad(device, slot, &info)) {
    LogAdd("入力装置の取得に失敗しました\n");
    return;
  }
  LogAddFormat("デバイスの登録名:%s", info.instanceName.c_str());
  LogAddFormat("デバイスの製品登録名:%s", info.productName.c_str());

  PadRecord& pad = g_input.pads[slot];
  pad = PadRecord{};
  pad.device = true;
  if (info.canRumble) {
    pad.constantEffect = true;
    pad.sineEffect = true;
  } else {
    LogAdd("周期的エフェクトの作成に失敗しました。\n");
  }
  ++g_input.padCount;
  LogAdd("ジョイパッドの追加は正常に終了しました\n");
}

void MapFallbackPad(const platform::RawPadState& raw, PadRecord& pad) {
  platform::PadState& state = pad.state;
  state.x = MapFallbackAxis(raw.x);
  state.y = MapFallbackAxis(raw.y);
  if (pad.hasZAndR) {
    state.z = MapFallbackAxis(raw.z);
    state.rz = MapFallbackAxis(raw.r);
  } else {
    state.z = 0;
    state.rz = 0;
  }
  for (int i = 0; i < kPadMaskButtons; ++i) {
    state.buttons[i] = (raw.buttons >> i) & 1 ? kPressed : 0;
  }
}

}  // namespace

InputState& GetInputState() { return g_input; }

int32_t MapFallbackAxis(uint32_t raw) {
  if (raw == 0) return -kAxisLimit;
  if (raw == kFallbackAxisCentre) return 0;
  if (raw >= kFallbackAxisMax) return kAxisLimit;
  const int32_t v = static_cast<int32_t>(raw);
  if (v < kFallbackDeadLow) return (v - kFallbackDeadLow) * kAxisLimit / kFallbackAxisSpan;
  if (v > kFallbackDeadHigh) return (v - kFallbackDeadHigh) * kAxisLimit / kFallbackAxisSpan;
  return 0;
}

int InitInput() {
  if (g_input.started != 0) return 0;
  const int32_t fallback = g_input.fallbackMode;
  g_input = InputState{};
  g_input.fallbackMode = fallback;

  if (!g_input.fallbackMode) {
    LogAdd("DirectInput関係初期化処理\n");
    LogIndentIncrease();
    LogAdd("DirectInput7 の取得中... ");
    if (Backend().OpenDeviceLayer()) {
      LogAdd("成功\n");
      LogAdd("引き続き初期化処理... ");
      LogAdd("初期化成功\n");
      g_input.started = 1;
    } else {
      LogAdd("取得に失敗。\n");
      LogAdd("DirectInput を使用しません。\n");
      Backend().CloseDeviceLayer();
      g_input.fallbackMode = 1;
    }
    LogIndentDecrease();
  }

  if (g_input.fallbackMode) {
    int found = 0;
    for (int n = 0; n < kFallbackPadNumbers; ++n) {
      platform::RawPadCaps caps;
      if (!Backend().ReadRawPadCaps(n, &caps)) break;
      g_input.pads[n].hasZAndR = caps.hasZ && caps.hasR;
      ++found;
    }
    LogAddFormat("パッドの数は %d 個です\n", found);
    g_input.started = -1;
    LogAdd("入力関連の初期化をしました\n");
    // Every joystick number is read; an absent one reads as a pad at rest.
    g_input.padCount = kMaxPads;
    return 0;
  }

  ProcessMessageImpl();
  SetUpPads();

  LogAdd("マウスデバイスの初期化... ");
  if (!Backend().OpenMouse()) {
    ReleaseDevices();
    FatalExit("マウスデバイスの取得に失敗しました");
  }
  g_input.mouseOpen = true;
  LogAdd("初期化成功\n");

  LogAdd("キーボードデバイスの初期化... ");
  if (!Backend().OpenKeyboard()) {
    ReleaseDevices();
    FatalExit("キーボードデバイスの取得に失敗しました");
  }
  g_input.keyboardOpen = true;
  LogAdd("初期化成功\n");
  g_input.lastKeyboardReadTime = ReadTimeMs();

  LogAdd("DirectInput 関連の初期化は正常に終了しました\n");
  return 0;
}

int SetUpPads() {
  if (g_input.started != 1) return -1;
  ReleasePads();
  LogAdd("ジョイパッドの初期化... ");
  g_input.padCount = 0;
  const int devices = Backend().CountPadDevices();
  for (int d = 0; d < devices && g_input.padCount < kMaxPads; ++d) AddPadDevice(d);
  LogAdd("ジョイパッドの初期化は正常に終了しました\n");
  return 0;
}

int ReleasePads() {
  if (g_input.started != 1) return -1;
  for (int i = 0; i < kMaxPads; ++i) {
    if (!g_input.pads[i].device) continue;
    StopEffects(i);
    Backend().ClosePad(i);
    g_input.pads[i] = PadRecord{};
  }
  g_input.padCount = 0;
  return 0;
}

int EndInput() {
  if (g_input.started == 0) return 0;
  if (g_input.started == -1) {
    LogAdd("入力関連の終了処理... 完了\n");
    Backend().CloseDeviceLayer();
    g_input.started = 0;
    return 0;
  }
  LogAdd("DirectInput 関連の終了処理... 完了\n");
  ReleaseDevices();
  return 0;
}

int UpdateKeyboardState() {
  const uint32_t now = ReadTimeMs();
  if (g_input.started == 1 && g_input.keyboardOpen) {
    if (now == g_input.lastKeyboardReadTime && !Backend().KeyboardChanged()) return 0;
    if (ProcessMessageImpl() != 0) return 0;
    // A failed read is retried once; a second failure keeps the old state.
    bool refreshed = Backend().ReadKeyboard(g_input.keyStateBuffer) ||
                     Backend().ReadKeyboard(g_input.keyStateBuffer);
    g_input.lastKeyboardReadTime = now;
    return refreshed ? 1 : 0;
  }
  if (g_input.started == -1) {
    if (now == g_input.lastKeyboardReadTime) return 0;
    if (ProcessMessageImpl() != 0) return 0;
    uint8_t keys[platform::kKeyCount] = {};
    Backend().ReadKeyboard(keys);
    std::memset(g_input.keyStateBuffer, 0, sizeof g_input.keyStateBuffer);
    for (uint8_t code : kFallbackKeys) g_input.keyStateBuffer[code] = keys[code];
    g_input.lastKeyboardReadTime = now;
    return 1;
  }
  return 0;
}

int UpdatePadState(int padIndex) {
  if (padIndex < 0 || padIndex >= kMaxPads) return -1;
  PadRecord& pad = g_input.pads[padIndex];
  const uint32_t now = ReadTimeMs();
  if (g_input.started == 1) {
    if (!pad.device) return -1;
    if (pad.stateRead && now == pad.lastReadTime && !Backend().PadChanged(padIndex)) return 0;
    platform::PadState state;
    bool ok = Backend().ReadPad(padIndex, &state);
    if (!ok) {
      if (ProcessMessageImpl() != 0 || g_input.started != 1) return 0;
      ok = Backend().ReadPad(padIndex, &state);
    }
    if (ok) pad.state = state;
    pad.lastReadTime = now;
    pad.stateRead = true;
    return 0;
  }
  if (g_input.started == -1) {
    if (pad.stateRead && now == pad.lastReadTime) return 0;
    platform::RawPadState raw;
    if (Backend().ReadRawPad(padIndex, &raw)) {
      MapFallbackPad(raw, pad);
    } else {
      pad.state = platform::PadState{};
    }
    pad.lastReadTime = now;
    pad.stateRead = true;
    return 0;
  }
  return -1;
}

int ReacquireInputDevices() {
  // The platform's devices follow the window's focus by themselves: nothing to re-acquire.
  return 0;
}

int GetPadInputImpl(int kind) {
  WaitWhileInactive();
  if (g_input.started == 0) {
    if (!GetWindowClosingFlag()) return InitInput();
    return 0;
  }
  const bool keyboard = (kind & kPadInputKeyboard) != 0;
  // Kind 0x1000 alone gives pad index -1: keyboard only, no pad slot is touched.
  const int padIndex = (kind & ~kPadInputKeyboard) - 1;
  if (g_input.padCount > 0 && padIndex >= g_input.padCount && !keyboard) return 0;

  uint32_t mask = 0;
  if (padIndex >= 0 && padIndex < g_input.padCount) {
    UpdatePadState(padIndex);
    const platform::PadState& state = g_input.pads[padIndex].state;
    if (state.x < 0) mask |= kPadLeft;
    else if (state.x > 0) mask |= kPadRight;
    if (state.y < 0) mask |= kPadUp;
    else if (state.y > 0) mask |= kPadDown;
    for (int i = 0; i < kPadMaskButtons; ++i) {
      if (state.buttons[i] & kPressed) mask |= 1u << (kPadFirstButtonBit + i);
    }
  }
  if (keyboard) {
    UpdateKeyboardState();
    for (const MaskKey& k : kKeyboardMask) {
      if ((g_input.keyStateBuffer[k.key] & kPressed) ||
          (k.numpadKey && (g_input.keyStateBuffer[k.numpadKey] & kPressed))) {
        mask |= k.bit;
      }
    }
  }
  return static_cast<int>(mask);
}

int CheckKeyDownImpl(int scanCode) {
  WaitWhileInactive();
  if (g_input.started != 0) {
    UpdateKeyboardState();
    // Codes outside the 256-key table are never held (the table is not read past its end).
    if (scanCode < 0 || scanCode >= platform::kKeyCount) return 0;
    return (g_input.keyStateBuffer[scanCode] & kPressed) ? 1 : 0;
  }
  if (!GetWindowClosingFlag()) InitInput();
  return 0;
}

int GetMouseButtonsImpl() {
  WaitWhileInactive();
  uint8_t buttons[platform::kMouseButtonCount] = {};
  if (g_input.started == 1 && g_input.mouseOpen) {
    if (!Backend().ReadMouseButtons(buttons) && !Backend().ReadMouseButtons(buttons)) return 0;
    int mask = 0;
    for (int i = 0; i < platform::kMouseButtonCount; ++i) {
      if (buttons[i] & kPressed) mask |= 1 << i;
    }
    return mask;
  }
  // Without the device layer only the three standard buttons are known.
  if (!Backend().ReadMouseButtons(buttons)) return 0;
  int mask = 0;
  for (int i = 0; i < 3; ++i) {
    if (buttons[i] & kPressed) mask |= 1 << i;
  }
  return mask;
}

int ApplyPadVibration() {
  if (g_input.started != 1) return 0;
  if (!GetWindowActiveFlag()) {
    for (int i = 0; i < kMaxPads; ++i) {
      if (g_input.pads[i].device) StopEffects(i);
    }
    return 0;
  }
  for (int i = 0; i < kMaxPads; ++i) {
    PadRecord& pad = g_input.pads[i];
    if (!pad.device) continue;
    if (pad.constantEffect && pad.vibrationOn != pad.constantRunning) {
      Backend().SetPadEffect(i, platform::PadEffect::kConstant, pad.vibrationOn != 0);
      pad.constantRunning = pad.vibrationOn;
    }
    const int32_t sineWanted = pad.vibrationOn && pad.vibrationPower > kSineMinimumPower;
    if (pad.sineEffect && sineWanted != pad.sineRunning) {
      Backend().SetPadEffect(i, platform::PadEffect::kSine, sineWanted != 0);
      pad.sineRunning = sineWanted;
    }
  }
  return 0;
}

int ProcessPadVibration() {
  const uint32_t now = ReadTimeMs();
  for (int i = 0; i < kMaxPads; ++i) {
    PadRecord& pad = g_input.pads[i];
    if (!pad.device || !pad.vibrationOn || pad.vibrationTimeLimit < 0) continue;
    if (now != pad.vibrationLastTime) {
      if (now < pad.vibrationLastTime) {
        pad.vibrationLastTime = now;
      } else {
        pad.vibrationElapsed += static_cast<int32_t>(now - pad.vibrationLastTime);
        pad.vibrationLastTime = now;
      }
    }
    if (pad.vibrationElapsed >= pad.vibrationTimeLimit) StopPadVibration(i);
  }
  return ApplyPadVibration();
}

int StopPadVibration(int padIndex) {
  if (padIndex < 0 || padIndex >= kMaxPads) return -1;
  PadRecord& pad = g_input.pads[padIndex];
  if (pad.device && pad.constantEffect && pad.vibrationOn) {
    pad.vibrationOn = 0;
    pad.vibrationPower = kVibrationFullPower;
    ApplyPadVibration();
  }
  return 0;
}

}  // namespace rt
