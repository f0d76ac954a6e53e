// The input backend of the program: SDL's keyboard and mouse state and SDL joysticks.
// Keyboard and mouse state need no set-up of their own (the window's event pump keeps
// them), so only the joystick subsystem can fail to start.
#include <SDL.h>

#include <atomic>
#include <cstring>

#include "platform/input.h"
#include "platform/mouse_button_latch.h"

namespace platform {
namespace {

constexpr int kPadSlots = 8;
constexpr int kRawPadNumbers = 8;
constexpr int32_t kAxisLimit = 1000;
constexpr int32_t kSdlAxisMax = 32767;
// A quarter of the travel on each side of the centre reads as rest.
constexpr int32_t kDeadZone = kSdlAxisMax / 4;
// SDL caps one rumble request at this length; nothing here vibrates for longer.
constexpr uint32_t kRumbleMs = 0xFFFF;

// The runtime counts left, right, middle; SDL counts left, middle, right.
constexpr int kSdlButtonOrder[] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1,
                                   SDL_BUTTON_X2};
constexpr int kSdlButtonCount = int(sizeof kSdlButtonOrder / sizeof kSdlButtonOrder[0]);

MouseButtonLatch g_mouseLatch;

int32_t RangeAxis(int16_t raw) {
  int32_t v = raw;
  int32_t magnitude = v < 0 ? -v : v;
  if (magnitude > kSdlAxisMax) magnitude = kSdlAxisMax;
  if (magnitude <= kDeadZone) return 0;
  int32_t scaled = (magnitude - kDeadZone) * kAxisLimit / (kSdlAxisMax - kDeadZone);
  return v < 0 ? -scaled : scaled;
}

uint32_t PovFromHat(uint8_t hat) {
  switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return kPovCentred;
  }
}

class SdlInputBackend final : public InputBackend {
 public:
  bool OpenDeviceLayer() override {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    joystickStarted_ = true;
    return true;
  }

  void CloseDeviceLayer() override {
    for (int i = 0; i < kPadSlots; ++i) ClosePad(i);
    for (auto& raw : raw_) {
      if (raw) SDL_JoystickClose(raw);
      raw = nullptr;
    }
    if (joystickStarted_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    joystickStarted_ = false;
  }

  bool OpenKeyboard() override {
    std::memset(lastKeys_, 0, sizeof lastKeys_);
    return true;
  }
  void CloseKeyboard() override {}
  bool OpenMouse() override {
    g_mouseLatch.Clear();
    return true;
  }
  void CloseMouse() override { g_mouseLatch.Clear(); }

  bool ReadKeyboard(uint8_t keys[kKeyCount]) override {
    Snapshot(keys);
    std::memcpy(lastKeys_, keys, kKeyCount);
    return true;
  }

  bool KeyboardChanged() override {
    uint8_t now[kKeyCount];
    Snapshot(now);
    return std::memcmp(now, lastKeys_, kKeyCount) != 0;
  }

  bool ReadMouseButtons(uint8_t buttons[kMouseButtonCount]) override {
    const uint32_t sdlMask = SDL_GetMouseState(nullptr, nullptr);
    uint8_t held = 0;
    for (int i = 0; i < kSdlButtonCount; ++i) {
      if (sdlMask & SDL_BUTTON(kSdlButtonOrder[i])) held |= static_cast<uint8_t>(1u << i);
    }
    // A click that came and went since the last read counts as held this once.
    const uint8_t mask = g_mouseLatch.Read(held, SDL_GetTicks());
    for (int i = 0; i < kMouseButtonCount; ++i) buttons[i] = (mask & (1u << i)) ? kPressed : 0;
    return true;
  }

  int CountPadDevices() override {
    if (!joystickStarted_) return 0;
    int n = SDL_NumJoysticks();
    return n < 0 ? 0 : n;
  }

  bool OpenPad(int device, int slot, PadInfo* info) override {
    if (!joystickStarted_ || slot < 0 || slot >= kPadSlots) return false;
    ClosePad(slot);
    SDL_Joystick* joystick = SDL_JoystickOpen(device);
    if (!joystick) return false;
    pads_[slot] = Pad{};
    pads_[slot].joystick = joystick;
    if (info) {
      const char* name = SDL_JoystickName(joystick);
      const char* path = SDL_JoystickPath(joystick);
      info->instanceName = name ? name : "";
      info->productName = path ? path : info->instanceName;
      info->canRumble = SDL_JoystickHasRumble(joystick) == SDL_TRUE;
    }
    return true;
  }

  void ClosePad(int slot) override {
    if (slot < 0 || slot >= kPadSlots || !pads_[slot].joystick) return;
    SDL_JoystickClose(pads_[slot].joystick);
    pads_[slot] = Pad{};
  }

  bool ReadPad(int slot, PadState* state) override {
    if (slot < 0 || slot >= kPadSlots || !pads_[slot].joystick) return false;
    Current(pads_[slot].joystick, state);
    pads_[slot].last = *state;
    pads_[slot].read = true;
    return true;
  }

  bool PadChanged(int slot) override {
    if (slot < 0 || slot >= kPadSlots || !pads_[slot].joystick) return false;
    if (!pads_[slot].read) return true;
    PadState now;
    Current(pads_[slot].joystick, &now);
    return std::memcmp(&now, &pads_[slot].last, sizeof now) != 0;
  }

  bool SetPadEffect(int slot, PadEffect effect, bool on) override {
    if (slot < 0 || slot >= kPadSlots || !pads_[slot].joystick) return false;
    Pad& pad = pads_[slot];
    (effect == PadEffect::kConstant ? pad.constantOn : pad.sineOn) = on;
    // SDL has two motors and no effect shapes: the steady push drives the heavy motor,
    // the swelling one the light motor.
    uint16_t low = pad.constantOn ? 0xFFFF : 0;
    uint16_t high = pad.sineOn ? 0xFFFF : 0;
    return SDL_JoystickRumble(pad.joystick, low, high, (low || high) ? kRumbleMs : 0) == 0;
  }

  bool ReadRawPadCaps(int number, RawPadCaps* caps) override {
    SDL_Joystick* joystick = RawJoystick(number);
    if (!joystick) return false;
    int axes = SDL_JoystickNumAxes(joystick);
    caps->hasZ = axes > 2;
    caps->hasR = axes > 3;
    return true;
  }

  bool ReadRawPad(int number, RawPadState* state) override {
    SDL_Joystick* joystick = RawJoystick(number);
    if (!joystick || !SDL_JoystickGetAttached(joystick)) return false;
    uint32_t* axes[] = {&state->x, &state->y, &state->z, &state->r, &state->u, &state->v};
    for (int i = 0; i < 6; ++i) {
      *axes[i] = uint32_t(int32_t(SDL_JoystickGetAxis(joystick, i)) + 32768);
    }
    state->buttons = 0;
    int buttons = SDL_JoystickNumButtons(joystick);
    for (int i = 0; i < buttons && i < 32; ++i) {
      if (SDL_JoystickGetButton(joystick, i)) state->buttons |= 1u << i;
    }
    state->pov = SDL_JoystickNumHats(joystick) > 0 ? PovFromHat(SDL_JoystickGetHat(joystick, 0))
                                                   : kPovCentred;
    if (state->pov == kPovCentred) state->pov = 0xFFFF;  // the fall-back's own rest value
    return true;
  }

 private:
  struct Pad {
    SDL_Joystick* joystick = nullptr;
    PadState last{};
    bool read = false;
    bool constantOn = false;
    bool sineOn = false;
  };

  static void Snapshot(uint8_t keys[kKeyCount]) {
    std::memset(keys, 0, kKeyCount);
    int count = 0;
    const uint8_t* state = SDL_GetKeyboardState(&count);
    if (!state) return;
    for (int s = 0; s < count; ++s) {
      if (!state[s]) continue;
      int code = ScanCodeFromSdlScancode(s);
      if (code > 0 && code < kKeyCount) keys[code] = kPressed;
    }
  }

  static void Current(SDL_Joystick* joystick, PadState* state) {
    std::memset(state, 0, sizeof *state);
    int32_t* axes[] = {&state->x, &state->y, &state->z, &state->rx, &state->ry, &state->rz};
    int axisCount = SDL_JoystickNumAxes(joystick);
    for (int i = 0; i < 6 && i < axisCount; ++i) *axes[i] = RangeAxis(SDL_JoystickGetAxis(joystick, i));
    int hats = SDL_JoystickNumHats(joystick);
    for (int i = 0; i < 4; ++i) {
      state->pov[i] = i < hats ? PovFromHat(SDL_JoystickGetHat(joystick, i)) : kPovCentred;
    }
    int buttons = SDL_JoystickNumButtons(joystick);
    for (int i = 0; i < buttons && i < kPadButtonCount; ++i) {
      state->buttons[i] = SDL_JoystickGetButton(joystick, i) ? kPressed : 0;
    }
  }

  SDL_Joystick* RawJoystick(int number) {
    if (number < 0 || number >= kRawPadNumbers) return nullptr;
    if (!joystickStarted_ && !triedRawStart_) {
      triedRawStart_ = true;
      joystickStarted_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    }
    if (!joystickStarted_ || number >= SDL_NumJoysticks()) return nullptr;
    if (!raw_[number]) raw_[number] = SDL_JoystickOpen(number);
    return raw_[number];
  }

  bool joystickStarted_ = false;
  bool triedRawStart_ = false;
  uint8_t lastKeys_[kKeyCount] = {};
  Pad pads_[kPadSlots];
  SDL_Joystick* raw_[kRawPadNumbers] = {};
};

SdlInputBackend g_sdlBackend;
std::atomic<InputBackend*> g_backend{&g_sdlBackend};

}  // namespace

void LatchSdlMouseButtonPress(int sdlButton, uint32_t timeMs) {
  for (int i = 0; i < kSdlButtonCount; ++i) {
    if (kSdlButtonOrder[i] == sdlButton) g_mouseLatch.Press(i, timeMs);
  }
}

InputBackend& GetInputBackend() { return *g_backend.load(); }
void SetInputBackend(InputBackend* backend) { g_backend.store(backend ? backend : &g_sdlBackend); }

int ScanCodeFromSdlScancode(int sdlScancode) {
  if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_Z) {
    static const uint8_t kLetters[26] = {
        0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,  // A-M
        0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,  // N-Z
    };
    return kLetters[sdlScancode - SDL_SCANCODE_A];
  }
  // SDL numbers the digit row 1..9 then 0, as the scan codes do.
  if (sdlScancode >= SDL_SCANCODE_1 && sdlScancode <= SDL_SCANCODE_0) {
    return key::k1 + (sdlScancode - SDL_SCANCODE_1);
  }
  if (sdlScancode >= SDL_SCANCODE_F1 && sdlScancode <= SDL_SCANCODE_F10) {
    return key::kF1 + (sdlScancode - SDL_SCANCODE_F1);
  }
  switch (sdlScancode) {
    case SDL_SCANCODE_RETURN: return key::kEnter;
    case SDL_SCANCODE_ESCAPE: return key::kEscape;
    case SDL_SCANCODE_BACKSPACE: return key::kBackspace;
    case SDL_SCANCODE_TAB: return key::kTab;
    case SDL_SCANCODE_SPACE: return key::kSpace;
    case SDL_SCANCODE_MINUS: return key::kMinus;
    case SDL_SCANCODE_EQUALS: return 0x0D;
    case SDL_SCANCODE_LEFTBRACKET: return key::kLeftBracket;
    case SDL_SCANCODE_RIGHTBRACKET: return key::kRightBracket;
    case SDL_SCANCODE_BACKSLASH: return key::kBackslash;
    case SDL_SCANCODE_NONUSHASH: return key::kBackslash;
    case SDL_SCANCODE_SEMICOLON: return key::kSemicolon;
    case SDL_SCANCODE_APOSTROPHE: return 0x28;
    case SDL_SCANCODE_GRAVE: return 0x29;
    case SDL_SCANCODE_COMMA: return key::kComma;
    case SDL_SCANCODE_PERIOD: return key::kPeriod;
    case SDL_SCANCODE_SLASH: return key::kSlash;
    case SDL_SCANCODE_CAPSLOCK: return 0x3A;
    case SDL_SCANCODE_F11: return 0x57;
    case SDL_SCANCODE_F12: return 0x58;
    case SDL_SCANCODE_F13: return 0x64;
    case SDL_SCANCODE_F14: return 0x65;
    case SDL_SCANCODE_F15: return 0x66;
    case SDL_SCANCODE_PRINTSCREEN: return 0xB7;
    case SDL_SCANCODE_SCROLLLOCK: return 0x46;
    case SDL_SCANCODE_PAUSE: return 0xC5;
    case SDL_SCANCODE_INSERT: return 0xD2;
    case SDL_SCANCODE_HOME: return 0xC7;
    case SDL_SCANCODE_PAGEUP: return 0xC9;
    case SDL_SCANCODE_DELETE: return key::kDelete;
    case SDL_SCANCODE_END: return 0xCF;
    case SDL_SCANCODE_PAGEDOWN: return 0xD1;
    case SDL_SCANCODE_RIGHT: return key::kRight;
    case SDL_SCANCODE_LEFT: return key::kLeft;
    case SDL_SCANCODE_DOWN: return key::kDown;
    case SDL_SCANCODE_UP: return key::kUp;
    case SDL_SCANCODE_NUMLOCKCLEAR: return 0x45;
    case SDL_SCANCODE_KP_DIVIDE: return key::kNumpadDivide;
    case SDL_SCANCODE_KP_MULTIPLY: return key::kNumpadMultiply;
    case SDL_SCANCODE_KP_MINUS: return key::kNumpadSubtract;
    case SDL_SCANCODE_KP_PLUS: return key::kNumpadAdd;
    case SDL_SCANCODE_KP_ENTER: return key::kNumpadEnter;
    case SDL_SCANCODE_KP_1: return key::kNumpad1;
    case SDL_SCANCODE_KP_2: return key::kNumpad2;
    case SDL_SCANCODE_KP_3: return key::kNumpad3;
    case SDL_SCANCODE_KP_4: return key::kNumpad4;
    case SDL_SCANCODE_KP_5: return key::kNumpad5;
    case SDL_SCANCODE_KP_6: return key::kNumpad6;
    case SDL_SCANCODE_KP_7: return key::kNumpad7;
    case SDL_SCANCODE_KP_8: return key::kNumpad8;
    case SDL_SCANCODE_KP_9: return key::kNumpad9;
    case SDL_SCANCODE_KP_0: return key::kNumpad0;
    case SDL_SCANCODE_KP_PERIOD: return key::kNumpadDecimal;
    case SDL_SCANCODE_KP_EQUALS: return 0x8D;
    case SDL_SCANCODE_KP_COMMA: return 0xB3;
    case SDL_SCANCODE_NONUSBACKSLASH: return 0x56;
    case SDL_SCANCODE_APPLICATION: return 0xDD;
    case SDL_SCANCODE_POWER: return 0xDE;
    case SDL_SCANCODE_SLEEP: return 0xDF;
    case SDL_SCANCODE_MUTE: return 0xA0;
    case SDL_SCANCODE_VOLUMEUP: return 0xB0;
    case SDL_SCANCODE_VOLUMEDOWN: return 0xAE;
    case SDL_SCANCODE_INTERNATIONAL1: return 0x73;  // ro
    case SDL_SCANCODE_INTERNATIONAL2: return 0x70;  // katakana / hiragana
    case SDL_SCANCODE_INTERNATIONAL3: return key::kYen;
    case SDL_SCANCODE_INTERNATIONAL4: return 0x79;  // henkan
    case SDL_SCANCODE_INTERNATIONAL5: return 0x7B;  // muhenkan
    case SDL_SCANCODE_LCTRL: return 0x1D;
    case SDL_SCANCODE_LSHIFT: return 0x2A;
    case SDL_SCANCODE_LALT: return 0x38;
    case SDL_SCANCODE_LGUI: return 0xDB;
    case SDL_SCANCODE_RCTRL: return 0x9D;
    case SDL_SCANCODE_RSHIFT: return 0x36;
    case SDL_SCANCODE_RALT: return 0xB8;
    case SDL_SCANCODE_RGUI: return 0xDC;
    case SDL_SCANCODE_AUDIONEXT: return 0x99;
    case SDL_SCANCODE_AUDIOPREV: return 0x90;
    case SDL_SCANCODE_AUDIOSTOP: return 0xA4;
    case SDL_SCANCODE_AUDIOPLAY: return 0xA2;
    case SDL_SCANCODE_CALCULATOR: return 0xA1;
    case SDL_SCANCODE_AC_HOME: return 0xB2;
    default: return 0;
  }
}

}  // namespace platform
