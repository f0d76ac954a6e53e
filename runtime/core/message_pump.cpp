#include <thread>

#include "platform/clock.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/time.h"
#include "runtime/core/window.h"
#include "runtime/core/window_mode.h"
#include "runtime/display/screen_flip.h"
#include "runtime/display/screen_mode.h"
#include "runtime/image/graphics_startup.h"
#include "runtime/input/input_devices.h"
#include "runtime/input/key_input.h"
#include "runtime/net/http_client.h"
#include "runtime/net/network.h"
#include "runtime/sound/sound.h"

namespace rt {
namespace {

bool PausesWhileInactive(const WindowState& w) {
  return !w.session.active && !w.session.closing && !w.settings.runInBackground;
}

void SleepOneMs() { platform::GetClock().Sleep(1); }

}  // namespace

int ProcessMessageImpl() {
  WindowState& w = GetWindowState();
  WindowSession& s = w.session;
  if (s.busy) return 0;
  if (!s.windowMade) return w.windowEnded ? -1 : 0;
  const bool mainThread = platform::CurrentThreadId() == s.mainThreadId;

  if (s.modeChangeRequest && w.settings.modeChangeAllowed && mainThread) {
    s.modeChangeRequest = 0;
    ChangeWindowModeImpl(!w.settings.windowMode);
  }

  // Passes of at most five messages. The count runs on from pass to pass; a pass that
  // took none, or whose first message made five, is the last. The message thread makes
  // one pass only.
  platform::WindowSystem& system = platform::GetWindowSystem();
  int handled = 0;
  bool firstPass = true;
  for (;;) {
    bool lastPass = true;
    if (PausesWhileInactive(w)) {
      if (firstPass) {
        s.deactivationTime = ReadTimeMs();
        s.paused = 1;
      }
      SleepOneMs();
    }
    firstPass = false;
    bool ended = false;
    platform::WindowEvent event;
    while (system.TakeEvent(&event)) {
      if (w.windowEnded) {
        ended = true;
        break;
      }
      if (event.type == platform::WindowEventType::kQuit) {
        w.windowEnded = 1;
      } else {
        WindowProc(event);
      }
      if (++handled == kMessagesPerPass) {
        handled = 0;
        break;
      }
      lastPass = false;
    }
    if (ended) break;
    if (mainThread) RunDueWindowTimers();
    if (!s.active) {
      ProcessNetWorkMessage(0);
      ProcessAllHttpHandles();
      RefillAllStreamSounds();
      SleepOneMs();
    }
    if (w.windowEnded || !mainThread) break;
    if (PausesWhileInactive(w)) continue;
    if (lastPass) break;
  }

  if (mainThread) RefreshFullScreenMenu();

  RefillAllStreamSounds();
  PollMusicPlayState();
  ProcessPadVibration();
  ProcessNetWorkMessage(1);
  ProcessAllHttpHandles();
  s.busy = 1;
  ProcessActiveKeyInput();
  s.busy = 0;
  return w.windowEnded ? -1 : 0;
}

void WaitWhileInactive() {
  WindowState& w = GetWindowState();
  WindowSession& s = w.session;
  // Before the window exists (input read ahead of start-up) there is nothing to wait for.
  if (s.painting || s.active || !s.windowMade || w.windowEnded) return;
  if (w.settings.runInBackground && (w.settings.windowMode || GetGDIDisplayFlag())) return;
  s.deactivationTime = ReadTimeMs();
  s.paused = 1;
  while (ProcessMessageImpl() == 0 && !s.active) {
  }
  RestoreAllGraphSurfaces();
}

void MessageThreadProc() {
  WindowState& w = GetWindowState();
  while (!w.windowEnded) {
    if (!LockLibraryUnlessEnded(w.windowEnded)) break;
    const int result = ProcessMessageImpl();
    UnlockLibraryNoYield();
    if (result < 0) break;
    // Real time, whatever clock is installed: the thread paces itself against the others.
    std::this_thread::sleep_for(std::chrono::milliseconds(kMessageThreadPeriodMs));
  }
  w.messageThreadEnded = 1;
}

int WaitTimeImpl(int ms) {
  const uint32_t start = static_cast<uint32_t>(GetTimeMs());
  if (ProcessMessage() != 0) return 0;
  const uint32_t end = start + static_cast<uint32_t>(ms);
  for (;;) {
    if (static_cast<int32_t>(end - static_cast<uint32_t>(GetTimeMs())) <= 0) break;
    SleepOneMs();
    if (ProcessMessage() != 0) break;
  }
  return 0;
}

}  // namespace rt
