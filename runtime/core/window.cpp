#include "runtime/core/window.h"

#include <system_error>

#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/system_info.h"
#include "platform/thread.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/random.h"
#include "runtime/core/startup.h"
#include "runtime/core/time.h"
#include "runtime/core/window_mode.h"
#include "runtime/display/display_state.h"
#include "runtime/input/key_input.h"

namespace rt {
namespace {

WindowState g_window;

constexpr double kBytesPerMegabyte = 1048576.0;
// The millisecond clock's step; this platform has no coarser timer period to report.
constexpr int kTimerPeriodMs = 1;

void LogMemoryStatus() {
  platform::MemoryTotals memory;
  if (!platform::QueryMemoryTotals(&memory)) return;
  LogAddFormat("メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ", memory.totalBytes / kBytesPerMegabyte,
               memory.freeBytes / kBytesPerMegabyte);
}

// Compares how often the millisecond clock and the microsecond counter change, pumping
// meanwhile, and keeps the counter when it is at least as fine.
void CheckTimerResolution() {
  RuntimeState& runtime = GetRuntimeState();
  runtime.perfFrequency = kPerfCounterFrequency;
  runtime.perfCounter = 1;
  LogAdd("タイマーの精度を検査します\n");
  platform::Clock& clock = platform::GetClock();
  const uint32_t start = clock.Milliseconds();
  uint32_t lastMs = start;
  uint64_t lastUs = clock.Microseconds();
  int msChanges = 0;
  int usChanges = 0;
  while (clock.Milliseconds() - start < kTimerCheckMs && msChanges < kTimerCheckChanges &&
         usChanges < kTimerCheckChanges) {
    uint32_t ms = clock.Milliseconds();
    uint64_t us = clock.Microseconds();
    if (ms != lastMs) ++msChanges;
    if (us != lastUs) ++usChanges;
    lastMs = ms;
    lastUs = us;
    if (ProcessMessageImpl() != 0) break;
  }
  LogAddFormat("精度結果 更新回数 マルチメディアタイマー：%d  パフォーマンスカウンター：%d", msChanges,
               usChanges);
  if (msChanges <= usChanges) {
    LogAddFormat("パフォーマンスカウンターを使用します タイマー分解能 : %lf KHz ",
                 runtime.perfFrequency * 0.001);
  } else {
    LogAddFormat("マルチメディアタイマーを使用します タイマー分解能 : %d.00 ms ", kTimerPeriodMs);
    runtime.perfCounter = 0;
  }
}

platform::WindowParams CreationParams() {
  const WindowSettings& settings = g_window.settings;
  const WindowSession& s = g_window.session;
  platform::WindowParams params;
  params.titleUtf8 = platform::ShiftJisToUtf8(settings.text);
  // The software display asked for at the start draws without OpenGL for the whole run.
  params.openGl = !GetScreenStateRecord().pureSoftware;
  if (settings.windowMode) {
    LogAdd("ウインドウモード起動用のウインドウを作成します\n");
    params.width = ScaledClientWidth();
    params.height = ScaledClientHeight();
    params.x = (s.desktop.width - params.width) / 2;
    params.y = (s.desktop.height - params.height) / 2;
  } else {
    LogAdd("フルスクリーンモード用のウインドウを作成します\n");
    params.fullScreen = true;
    params.width = ScreenWidth();
    params.height = ScreenHeight();
  }
  return params;
}

void PumpFor(uint32_t ms) {
  platform::Clock& clock = platform::GetClock();
  const uint32_t start = clock.Milliseconds();
  while (clock.Milliseconds() - start < ms) {
    if (ProcessMessageImpl() != 0) break;
    clock.Sleep(1);
  }
}

void StartMessageThread() {
  try {
    g_window.messageThread = std::thread(MessageThreadProc);
  } catch (const std::system_error&) {
    g_window.messageThreadEnded = 1;
    LogAdd("ProcessMessage をひたすら呼びつづけるスレッドの立ち上げに失敗しました\n");
  }
}

void EndMessageThread() {
  if (!g_window.messageThread.joinable()) return;
  // A queued message thread gives up its wait for the lock once it sees the end flag.
  WakeLibraryLockWaiters();
  if (g_window.messageThread.get_id() == std::this_thread::get_id()) {
    g_window.messageThread.detach();  // a fatal end on the message thread itself
  } else {
    g_window.messageThread.join();
  }
}

}  // namespace

WindowState& GetWindowState() { return g_window; }

int CreateMainWindow() {
  WindowSettings& settings = g_window.settings;
  WindowSession& s = g_window.session;
  platform::WindowSystem& system = platform::GetWindowSystem();

  s = WindowSession{};
  g_window.windowEnded = 0;
  g_window.messageThreadEnded = 0;
  if (settings.className.empty()) {
    settings.className = settings.text.empty() ? kDefaultClassName : settings.text;
  }
  s.mainThreadId = platform::CurrentThreadId();
  LogMemoryStatus();
  system.QueryDesktop(&s.desktop);
  CheckTimerResolution();
  SeedRandom(ReadTimeMs());

  LogAdd("ソフトの二重起動検査... ");
  if (!system.AcquireInstanceLock(settings.className)) {
    LogAdd("二重起動されています、ソフトを終了します\n");
    g_window.windowEnded = 1;
    return -1;
  }
  s.instanceLocked = 1;
  LogAdd("二重起動はされていませんでした\n");

  s.creating = 1;
  if (settings.text.empty()) settings.text = kDefaultWindowText;
  s.window = system.CreateWindow(CreationParams());
  if (!s.window) {
    g_window.windowEnded = 1;
    s.creating = 0;
    system.ReleaseInstanceLock();
    s.instanceLocked = 0;
    return LogAdd("ウインドウの作成に失敗しました\n");
  }
  s.windowMade = 1;
  s.everMade = 1;
  s.window->Show();
  LoadWindowIcon();
  // SDL keeps the screen-saver setting per video session, so it is switched off only now.
  system.SetScreenSaverEnabled(false);

  s.closing = 0;
  s.destroyed = 0;
  s.active = 1;
  if (!settings.windowMode) {
    LogAdd("カーソルを不可視にしました\n");
    system.SetCursorVisible(false);
  }
  LogAdd("ＩＭＥを無効にしました\n");
  // input: switching the input method off for the window joins here
  if (settings.windowMode) s.clientRect = s.window->ClientRect();
  s.fontCharSet = 1;

  SetMouseVisibleImpl(settings.windowMode ? 1 : 0);
  GetRuntimeState().ending = 0;
  s.window->BringToFront(false);
  PumpFor(kCreationPumpMs);
  FitWindowToClientSize();
  s.creating = 0;

  StartMessageThread();
  return 0;
}

int EndMainWindow() {
  WindowSession& s = g_window.session;
  if (!s.windowMade) return 0;
  platform::WindowSystem& system = platform::GetWindowSystem();
  system.SetScreenSaverEnabled(true);
  // input: switching the input method back on joins here
  system.SetCursorVisible(true);
  s.mouseVisible = 1;
  if (!s.closing) {
    s.closing = 1;
    platform::WindowEvent close;
    close.type = platform::WindowEventType::kClose;
    system.PostEvent(close);
  }
  // Messages reach only the thread that made the window; anywhere else the pump would
  // wait for ever.
  if (platform::CurrentThreadId() == s.mainThreadId) {
    while (ProcessMessageImpl() == 0) {
    }
  }
  g_window.windowEnded = 1;
  system.ReleaseInstanceLock();
  s.instanceLocked = 0;
  DeleteAllKeyInputs();
  FreeDroppedFiles();
  EndMessageThread();
  // A quit request from the system ends the pump before the window is closed.
  if (s.window) {
    system.DestroyWindow(s.window);
    s.window = nullptr;
  }
  s.windowMade = 0;
  return 0;
}

int GetWindowEndFlag() { return g_window.windowEnded.load(); }
platform::Window* GetMainWindowHandle() { return g_window.session.window; }
int GetWindowModeFlag() { return g_window.settings.windowMode; }

int GetDesktopInfo(int* width, int* height, int* colorBits) {
  const platform::DesktopInfo& d = g_window.session.desktop;
  if (width) *width = d.width;
  if (height) *height = d.height;
  if (colorBits) *colorBits = d.colorBits;
  return 0;
}

int GetWindowActiveFlag() { return g_window.session.active; }
int GetWindowClosingFlag() { return g_window.session.closing; }

double GetWindowScale() {
  if (!g_window.settings.windowMode) return 1.0;
  return g_window.settings.scale > 0.0 ? g_window.settings.scale : 1.0;
}

int GetWindowClientArea(platform::Rect* out) {
  *out = g_window.session.clientRect;
  return 0;
}

}  // namespace rt
