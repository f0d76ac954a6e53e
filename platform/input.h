// Keyboard, mouse and game pads as the runtime's input layer sees them. The runtime names
// keys by the PC keyboard's scan codes (extended keys with 0x80 added), keeps pad states in
// one fixed record, and asks this interface for the raw readings. The program reads SDL;
// tests install a scripted double that changes keys, pads and mouse frame by frame.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

// Scan codes of the keys the runtime names; every other key has its own code too.
namespace key {
constexpr int kEscape = 0x01;
constexpr int k1 = 0x02;
constexpr int k0 = 0x0B;
constexpr int kMinus = 0x0C;
constexpr int kBackspace = 0x0E;
constexpr int kTab = 0x0F;
constexpr int kQ = 0x10;
constexpr int kW = 0x11;
constexpr int kLeftBracket = 0x1A;
constexpr int kRightBracket = 0x1B;
constexpr int kEnter = 0x1C;
constexpr int kA = 0x1E;
constexpr int kS = 0x1F;
constexpr int kD = 0x20;
constexpr int kSemicolon = 0x27;
constexpr int kBackslash = 0x2B;
constexpr int kZ = 0x2C;
constexpr int kX = 0x2D;
constexpr int kC = 0x2E;
constexpr int kComma = 0x33;
constexpr int kPeriod = 0x34;
constexpr int kSlash = 0x35;
constexpr int kNumpadMultiply = 0x37;
constexpr int kSpace = 0x39;
constexpr int kF1 = 0x3B;
constexpr int kNumpad7 = 0x47;
constexpr int kNumpad8 = 0x48;
constexpr int kNumpad9 = 0x49;
constexpr int kNumpadSubtract = 0x4A;
constexpr int kNumpad4 = 0x4B;
constexpr int kNumpad5 = 0x4C;
constexpr int kNumpad6 = 0x4D;
constexpr int kNumpadAdd = 0x4E;
constexpr int kNumpad1 = 0x4F;
constexpr int kNumpad2 = 0x50;
constexpr int kNumpad3 = 0x51;
constexpr int kNumpad0 = 0x52;
constexpr int kNumpadDecimal = 0x53;
constexpr int kYen = 0x7D;
constexpr int kAt = 0x91;
constexpr int kColon = 0x92;
constexpr int kNumpadEnter = 0x9C;
constexpr int kNumpadDivide = 0xB5;
constexpr int kUp = 0xC8;
constexpr int kLeft = 0xCB;
constexpr int kRight = 0xCD;
constexpr int kDown = 0xD0;
constexpr int kDelete = 0xD3;
}  // namespace key

constexpr int kKeyCount = 256;
constexpr int kMouseButtonCount = 8;
constexpr int kPadButtonCount = 32;
constexpr uint8_t kPressed = 0x80;  // bit 7 of a key or button byte
constexpr uint32_t kPovCentred = 0xFFFFFFFFu;

// One pad reading of the device layer. Axes run from -1000 to 1000 with the central
// quarter of the travel reading 0; point-of-view values are hundredths of a degree
// clockwise from up, kPovCentred when released; buttons carry kPressed.
struct PadState {
  int32_t x, y, z, rx, ry, rz;
  int32_t sliders[2];
  uint32_t pov[4];
  uint8_t buttons[kPadButtonCount];
};

struct PadInfo {
  std::string instanceName;
  std::string productName;
  bool canRumble = false;
};

// The fall-back joystick functions: axes 0..65535 with 32767 at rest, 32 button bits.
struct RawPadCaps {
  bool hasZ = false;
  bool hasR = false;
};
struct RawPadState {
  uint32_t x, y, z, r, u, v;
  uint32_t buttons;
  uint32_t pov;
};

// A pad's two vibration effects: a steady push and a slower swelling one.
enum class PadEffect { kConstant, kSine };

class InputBackend {
 public:
  virtual ~InputBackend() = default;

  // The device layer that gives ranged, dead-zoned pads. False when it cannot be had; the
  // runtime then reads pads through the fall-back functions below.
  virtual bool OpenDeviceLayer() = 0;
  virtual void CloseDeviceLayer() = 0;

  virtual bool OpenKeyboard() = 0;
  virtual void CloseKeyboard() = 0;
  virtual bool OpenMouse() = 0;
  virtual void CloseMouse() = 0;

  // The held keys by scan code (kPressed or 0). False when the keyboard cannot be read.
  virtual bool ReadKeyboard(uint8_t keys[kKeyCount]) = 0;
  // True when a key went down or up since the last ReadKeyboard.
  virtual bool KeyboardChanged() = 0;
  // Left, right, middle, then further buttons (kPressed or 0).
  virtual bool ReadMouseButtons(uint8_t buttons[kMouseButtonCount]) = 0;

  // Pads of the device layer: attached devices are numbered 0..CountPadDevices()-1;
  // an opened one is named by the slot (0..7) the runtime gives it.
  virtual int CountPadDevices() = 0;
  virtual bool OpenPad(int device, int slot, PadInfo* info) = 0;
  virtual void ClosePad(int slot) = 0;
  virtual bool ReadPad(int slot, PadState* state) = 0;
  // True when the pad's state moved since the last ReadPad.
  virtual bool PadChanged(int slot) = 0;
  virtual bool SetPadEffect(int slot, PadEffect effect, bool on) = 0;

  // The fall-back joystick functions, by joystick number 0..7.
  virtual bool ReadRawPadCaps(int number, RawPadCaps* caps) = 0;
  virtual bool ReadRawPad(int number, RawPadState* state) = 0;
};

// The backend in force: SDL unless a test installed another.
InputBackend& GetInputBackend();
// Installs a backend (nullptr: back to SDL). The caller keeps ownership.
void SetInputBackend(InputBackend* backend);

// The scan code of an SDL scancode (0 for keys the PC keyboard does not have).
int ScanCodeFromSdlScancode(int sdlScancode);

}  // namespace platform
