// The runtime's main window: creation with the check against a second running instance,
// the window procedure, the message pump with its message thread, and the window's end.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/window.h"

namespace rt {

constexpr int kMaxDroppedFiles = 1000;
// Messages one pass of the pump handles; the message thread makes one pass per call.
constexpr int kMessagesPerPass = 5;
// The message thread pumps this often.
constexpr uint32_t kMessageThreadPeriodMs = 17;
// How long window creation pumps before fitting the window.
constexpr uint32_t kCreationPumpMs = 200;
// The timer check at window creation: at most this long, or until a clock changed this often.
constexpr uint32_t kTimerCheckMs = 1000;
constexpr int kTimerCheckChanges = 60;

constexpr char kDefaultWindowText[] = "RtLib";
constexpr char kDefaultClassName[] = "RTWNDCLS";

// Settings made before start-up; window creation keeps them and clears the rest.
struct WindowSettings {
  int windowMode = 0;  // 1 window, 0 full screen (the runtime's default)
  double scale = 0.0;  // window mode only; 0 or less counts as 1.0
  std::string text;    // Shift-JIS; empty: "RtLib"
  std::string className;  // the second-instance check's name; empty: the text, else "RTWNDCLS"
  int iconId = 0;         // 0: the system's default icon
  int modeChangeAllowed = 0;  // Alt+Enter and maximising switch modes (the game never allows it)
  int runInBackground = 0;    // keep running while inactive (the game never asks for it)
  int mouseVisibleRequest = 1;
};

// The state of one window from its creation to its end.
struct WindowSession {
  platform::Window* window = nullptr;  // the live window; null before creation and once destroyed
  int windowMade = 0;    // 1 from creation until EndMainWindow (the main window handle)
  int everMade = 0;      // a window was made since start-up began
  uint32_t mainThreadId = 0;
  int active = 0;
  int closing = 0;       // 1 once the runtime itself asked the window to close
  int destroyed = 0;
  int painting = 0;
  int creating = 0;
  uint32_t deactivationTime = 0xFFFFFFFFu;
  int paused = 0;
  int modeChangeRequest = 0;
  int modeChangeInProgress = 0;
  int displayChangeSeen = 0;
  int windowShown = 0;
  platform::Rect clientRect;  // desktop coordinates
  platform::DesktopInfo desktop;
  int wheel = 0;
  int mouseVisible = 0;  // the cursor's current state
  int menuHot = 0;       // full screen: the pointer is in the top band
  int fontCharSet = 1;   // character set for fonts: 1 default (2 would be Korean)
  int instanceLocked = 0;
  int busy = 0;          // ProcessMessageImpl is processing key input
  uint32_t messageThreadId = 0;
};

struct WindowState {
  WindowSettings settings;
  WindowSession session;
  // Read without the library lock: the message thread's lock gives up once the window ended.
  std::atomic<int> windowEnded{0};
  std::atomic<int> messageThreadEnded{0};
  std::thread messageThread;
};

WindowState& GetWindowState();

// Creation and end.
int CreateMainWindow();
int EndMainWindow();

// The pump. 0 while the window lives, -1 once it ended.
int ProcessMessageImpl();
// Blocks while the application is inactive (drawing calls this before touching the screen).
void WaitWhileInactive();
// Waits ms milliseconds while pumping; runs outside the library lock.
int WaitTimeImpl(int ms);
void MessageThreadProc();

// The window procedure: one message.
void WindowProc(const platform::WindowEvent& event);
void OnWindowMove(int x, int y);
// The character code a key-down pushes into the character-code buffer, -1 for none.
int CharCodeOfKeyDown(int virtualKey);
// The character code a typed character pushes, -1 for none.
int CharCodeOfChar(int ch);

// Getters (no lock, no side effect).
int GetWindowEndFlag();
platform::Window* GetMainWindowHandle();
int GetWindowModeFlag();
int GetDesktopInfo(int* width, int* height, int* colorBits);
int GetWindowActiveFlag();
int GetWindowClosingFlag();
// 1.0 in full screen; a stored 0 counts as 1.0.
double GetWindowScale();
int GetWindowClientArea(platform::Rect* out);

}  // namespace rt
