// Facade rows of the runtime core.
#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/log.h"
#include "runtime/core/random.h"
#include "runtime/core/startup.h"
#include "runtime/core/time.h"
#include "runtime/core/window.h"
#include "runtime/core/window_mode.h"

int SetLogOutput(int flag) {
  return rt::WithLibraryLock([&] { return rt::SetLogOutputImpl(flag); });
}

int GetTimeMs() {
  return rt::WithLibraryLock([] { return static_cast<int>(rt::ReadTimeMs()); });
}

int GetDateTime(int out[6]) {
  return rt::WithLibraryLock([&] { return rt::GetDateTimeImpl(out); });
}

int GetRandom(int n) {
  return rt::WithLibraryLock([&] { return rt::GetRandomImpl(n); });
}

int InitLibrary() {
  return rt::WithLibraryLock([] { return rt::InitLibraryImpl(); });
}

int EndLibrary() {
  const int result = rt::WithLibraryLock([] { return rt::EndLibraryImpl(); });
  rt::TearDownLibraryLock();
  return result;
}

int ProcessMessage() {
  return rt::WithLibraryLock([] { return rt::ProcessMessageImpl(); });
}

int ChangeWindowMode(int flag) {
  return rt::WithLibraryLock([&] { return rt::ChangeWindowModeImpl(flag); });
}

int SetMainWindowText(const char* text) {
  return rt::WithLibraryLock([&] { return rt::SetMainWindowTextImpl(text); });
}

int SetWindowIcon(int id) {
  return rt::WithLibraryLock([&] { return rt::SetWindowIconImpl(id); });
}

int SetWindowScale(double scale) {
  return rt::WithLibraryLock([&] { return rt::SetWindowScaleImpl(scale); });
}

int SetMouseVisible(int flag) {
  return rt::WithLibraryLock([&] { return rt::SetMouseVisibleImpl(flag); });
}

int GetMousePosition(int* x, int* y) {
  return rt::WithLibraryLock([&] { return rt::GetMousePositionImpl(x, y); });
}

int GetMouseWheel() {
  return rt::WithLibraryLock([] { return rt::GetMouseWheelImpl(); });
}

// Without the lock: it calls ProcessMessage, which takes it, in a loop.
int WaitTime(int ms) { return rt::WaitTimeImpl(ms); }
