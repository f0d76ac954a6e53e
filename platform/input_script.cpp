#include "platform/input_script.h"

#include <cstring>

namespace platform {

ScriptedInput::ScriptedInput() {
  for (int& d : slotDevice_) d = -1;
}

PadState ScriptedInput::RestingPad() {
  PadState s{};
  for (uint32_t& p : s.pov) p = kPovCentred;
  return s;
}

void ScriptedInput::SetKey(int scanCode, bool held) {
  if (scanCode <= 0 || scanCode >= kKeyCount) return;
  uint8_t value = held ? kPressed : 0;
  if (keys_[scanCode] != value) keysChanged_ = true;
  keys_[scanCode] = value;
}

void ScriptedInput::ReleaseAllKeys() {
  for (int i = 0; i < kKeyCount; ++i) SetKey(i, false);
}

void ScriptedInput::SetMouseButtons(uint8_t mask) { mouse_ = mask; }

int ScriptedInput::AddPad(const std::string& name, bool canRumble) {
  Pad pad;
  pad.info.instanceName = name;
  pad.info.productName = name;
  pad.info.canRumble = canRumble;
  pad.state = RestingPad();
  pads_.push_back(pad);
  padChanged_.push_back(true);
  return int(pads_.size()) - 1;
}

void ScriptedInput::SetPadAxes(int device, int32_t x, int32_t y) {
  pads_[device].state.x = x;
  pads_[device].state.y = y;
  padChanged_[device] = true;
}

void ScriptedInput::SetPadButton(int device, int button, bool held) {
  pads_[device].state.buttons[button] = held ? kPressed : 0;
  padChanged_[device] = true;
}

void ScriptedInput::LoadScript(std::vector<Frame> frames) {
  script_ = std::move(frames);
  nextFrame_ = 0;
}

bool ScriptedInput::NextFrame() {
  if (nextFrame_ >= script_.size()) return false;
  const Frame& frame = script_[nextFrame_++];
  ReleaseAllKeys();
  for (int k : frame.keys) SetKey(k, true);
  for (size_t d = 0; d < pads_.size(); ++d) {
    pads_[d].state = RestingPad();
    padChanged_[d] = true;
  }
  for (const auto& [device, state] : frame.pads) {
    if (device >= 0 && size_t(device) < pads_.size()) pads_[device].state = state;
  }
  mouse_ = frame.mouseButtons;
  return true;
}

bool ScriptedInput::OpenDeviceLayer() {
  ++deviceLayerOpens;
  deviceLayerOpen = deviceLayerWorks;
  return deviceLayerWorks;
}

void ScriptedInput::CloseDeviceLayer() {
  ++deviceLayerCloses;
  deviceLayerOpen = false;
  for (int& d : slotDevice_) d = -1;
}

bool ScriptedInput::OpenKeyboard() { return keyboardOpen = keyboardOpens; }
void ScriptedInput::CloseKeyboard() { keyboardOpen = false; }
bool ScriptedInput::OpenMouse() { return mouseOpen = mouseOpens; }
void ScriptedInput::CloseMouse() { mouseOpen = false; }

bool ScriptedInput::ReadKeyboard(uint8_t keys[kKeyCount]) {
  ++keyboardReads;
  if (keyboardReadFails) return false;
  std::memcpy(keys, keys_, kKeyCount);
  keysChanged_ = false;
  return true;
}

bool ScriptedInput::KeyboardChanged() { return keysChanged_; }

bool ScriptedInput::ReadMouseButtons(uint8_t buttons[kMouseButtonCount]) {
  for (int i = 0; i < kMouseButtonCount; ++i) buttons[i] = (mouse_ >> i) & 1 ? kPressed : 0;
  return true;
}

int ScriptedInput::CountPadDevices() { return deviceLayerOpen ? int(pads_.size()) : 0; }

bool ScriptedInput::OpenPad(int device, int slot, PadInfo* info) {
  if (device < 0 || size_t(device) >= pads_.size() || slot < 0 || slot >= 8) return false;
  if (!pads_[device].attached || !pads_[device].opens) return false;
  slotDevice_[slot] = device;
  if (info) *info = pads_[device].info;
  return true;
}

void ScriptedInput::ClosePad(int slot) {
  if (slot >= 0 && slot < 8) slotDevice_[slot] = -1;
}

int ScriptedInput::DeviceOfSlot(int slot) const {
  return slot >= 0 && slot < 8 ? slotDevice_[slot] : -1;
}

bool ScriptedInput::ReadPad(int slot, PadState* state) {
  int device = DeviceOfSlot(slot);
  if (device < 0 || !pads_[device].attached) return false;
  ++padReads;
  *state = pads_[device].state;
  padChanged_[device] = false;
  return true;
}

bool ScriptedInput::PadChanged(int slot) {
  int device = DeviceOfSlot(slot);
  return device >= 0 && padChanged_[device];
}

bool ScriptedInput::SetPadEffect(int slot, PadEffect effect, bool on) {
  int device = DeviceOfSlot(slot);
  if (device < 0 || !pads_[device].info.canRumble) return false;
  (effect == PadEffect::kConstant ? pads_[device].constantOn : pads_[device].sineOn) = on;
  return true;
}

bool ScriptedInput::ReadRawPadCaps(int number, RawPadCaps* caps) {
  if (number < 0 || size_t(number) >= pads_.size() || !pads_[number].attached) return false;
  *caps = pads_[number].rawCaps;
  return true;
}

bool ScriptedInput::ReadRawPad(int number, RawPadState* state) {
  ++rawPadReads;
  if (number < 0 || size_t(number) >= pads_.size() || !pads_[number].attached) return false;
  if (pads_[number].rawReadFails) return false;
  *state = pads_[number].raw;
  return true;
}

}  // namespace platform
