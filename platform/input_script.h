// A scripted input backend for tests: held keys, pads and mouse buttons are set by hand
// or played from a script one frame at a time, and the calls the runtime makes are counted.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/input.h"

namespace platform {

class ScriptedInput final : public InputBackend {
 public:
  struct Pad {
    bool attached = true;
    bool opens = true;  // false: OpenPad fails for this device
    PadInfo info;
    PadState state{};
    RawPadCaps rawCaps;
    RawPadState raw{32767, 32767, 32767, 32767, 32767, 32767, 0, 0xFFFF};
    bool rawReadFails = false;
    // Effects as the runtime left them.
    bool constantOn = false;
    bool sineOn = false;
  };

  // One frame of a script: the keys held, the pad states and the mouse buttons.
  struct Frame {
    std::vector<int> keys;                  // scan codes held
    std::vector<std::pair<int, PadState>> pads;  // pad device, its state
    uint8_t mouseButtons = 0;               // bit i: button i held
  };

  ScriptedInput();

  // What the backend offers.
  bool deviceLayerWorks = true;
  bool keyboardOpens = true;
  bool mouseOpens = true;
  bool keyboardReadFails = false;

  void SetKey(int scanCode, bool held);
  void ReleaseAllKeys();
  void SetMouseButtons(uint8_t mask);
  // Adds an attached pad device and returns its device number.
  int AddPad(const std::string& name = "Scripted pad", bool canRumble = true);
  Pad& PadDevice(int device) { return pads_[device]; }
  void SetPadAxes(int device, int32_t x, int32_t y);
  void SetPadButton(int device, int button, bool held);

  void LoadScript(std::vector<Frame> frames);
  // Applies the next frame of the script; false when the script has ended.
  bool NextFrame();

  // Counters of the runtime's calls.
  int keyboardReads = 0;
  int padReads = 0;
  int rawPadReads = 0;
  int deviceLayerOpens = 0;
  int deviceLayerCloses = 0;
  bool keyboardOpen = false;
  bool mouseOpen = false;
  bool deviceLayerOpen = false;

  // The InputBackend interface.
  bool OpenDeviceLayer() override;
  void CloseDeviceLayer() override;
  bool OpenKeyboard() override;
  void CloseKeyboard() override;
  bool OpenMouse() override;
  void CloseMouse() override;
  bool ReadKeyboard(uint8_t keys[kKeyCount]) override;
  bool KeyboardChanged() override;
  bool ReadMouseButtons(uint8_t buttons[kMouseButtonCount]) override;
  int CountPadDevices() override;
  bool OpenPad(int device, int slot, PadInfo* info) override;
  void ClosePad(int slot) override;
  bool ReadPad(int slot, PadState* state) override;
  bool PadChanged(int slot) override;
  bool SetPadEffect(int slot, PadEffect effect, bool on) override;
  bool ReadRawPadCaps(int number, RawPadCaps* caps) override;
  bool ReadRawPad(int number, RawPadState* state) override;

  // The device opened into a runtime slot, -1 when none.
  int DeviceOfSlot(int slot) const;

 private:
  static PadState RestingPad();

  uint8_t keys_[kKeyCount] = {};
  bool keysChanged_ = false;
  uint8_t mouse_ = 0;
  std::vector<Pad> pads_;
  std::vector<bool> padChanged_;
  int slotDevice_[8];
  std::vector<Frame> script_;
  size_t nextFrame_ = 0;
};

}  // namespace platform
