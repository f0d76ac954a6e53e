// Facade rows of the input layer.
#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/input/input_devices.h"
#include "runtime/input/key_input.h"
#include "runtime/input/key_input_draw.h"

int GetMouseButtons() {
  return rt::WithLibraryLock([] { return rt::GetMouseButtonsImpl(); });
}

int CheckKeyDown(int scanCode) {
  return rt::WithLibraryLock([&] { return rt::CheckKeyDownImpl(scanCode); });
}

int GetPadInput(int kind) {
  return rt::WithLibraryLock([&] { return rt::GetPadInputImpl(kind); });
}

int SetKeyInputColors(unsigned long long text, unsigned long long cursor,
                      unsigned long long imeBackground, unsigned long long imeCaret,
                      unsigned long long clauseLine, unsigned long long convertingClause,
                      unsigned long long color6, unsigned long long textEdge,
                      unsigned long long selectedCandidateEdge, unsigned long long color9,
                      unsigned long long candidateOutline, unsigned long long candidateFill) {
  const unsigned long long colors[rt::kKeyInputColorCount] = {
      text,     cursor,   imeBackground,         imeCaret, clauseLine,       convertingClause,
      color6,   textEdge, selectedCandidateEdge, color9,   candidateOutline, candidateFill};
  return rt::WithLibraryLock([&] { return rt::SetKeyInputColorsImpl(colors); });
}

int MakeKeyInput(int maxLength, int cancelAllowed, int singleByteOnly, int digitsOnly) {
  return rt::WithLibraryLock(
      [&] { return rt::MakeKeyInputImpl(maxLength, cancelAllowed, singleByteOnly, digitsOnly); });
}

int DeleteKeyInput(int handle) {
  return rt::WithLibraryLock([&] { return rt::DeleteKeyInput(handle); });
}

int SetActiveKeyInput(int handle) {
  return rt::WithLibraryLock([&] { return rt::SetActiveKeyInputImpl(handle); });
}

int CheckKeyInput(int handle) {
  return rt::WithLibraryLock([&] { return rt::CheckKeyInputImpl(handle); });
}

int DrawKeyInputString(int x, int y, int handle) {
  return rt::WithLibraryLock([&] { return rt::DrawKeyInputStringImpl(x, y, handle); });
}

int SetKeyInputCursorBlink(int flag) {
  return rt::WithLibraryLock([&] { return rt::SetKeyInputCursorBlinkImpl(flag); });
}

int SetKeyInputString(const char* text, int handle) {
  return rt::WithLibraryLock([&] { return rt::SetKeyInputStringImpl(text, handle); });
}

int GetKeyInputString(char* buffer, int handle) {
  return rt::WithLibraryLock([&] { return rt::GetKeyInputStringImpl(buffer, handle); });
}
