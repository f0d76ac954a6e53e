// Pad buttons turned into game actions through the user's key assignment, the one-press
// latch the menus share, and the key-configuration screen.
#pragma once

// Bits of the pad-and-keyboard mask.
constexpr int kPadDown = 0x1;
constexpr int kPadLeft = 0x2;
constexpr int kPadRight = 0x4;
constexpr int kPadUp = 0x8;
// Button b (1..8) is this bit shifted left by b - 1.
constexpr int kPadButton1 = 0x10;
// Pad 1 merged with the keyboard.
constexpr int kPadOneWithKeyboard = 0x1001;

// Actions every screen shares.
constexpr int kActionConfirm = 1;
constexpr int kActionCancel = 2;

constexpr int PadButtonBit(int button) { return kPadButton1 << (button - 1); }

void MapPadToActions(int pad);
// Gives the action under the cursor (menuCursor + 1) to the button in keyAssignWork.
void SwapKeyAssign(int button);
// The handler of the key-configuration screen.
void UpdateKeyConfig(int pad);
