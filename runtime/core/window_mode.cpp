#include "runtime/core/window_mode.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/window.h"
#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/display/screen_mode.h"

namespace rt {
namespace {

// Longest window text kept, in bytes.
constexpr size_t kMaxWindowTextBytes = 255;
// Bounds of a scaled client side, so that no scale can ask for an empty or absurd window.
constexpr double kMinClientSide = 1.0;
constexpr double kMaxClientSide = 16384.0;

int ScaledSide(int screenSide) {
  const double side = screenSide * GetWindowScale();
  return static_cast<int>(std::clamp(side, kMinClientSide, kMaxClientSide));
}

WindowSettings& Settings() { return GetWindowState().settings; }
WindowSession& Session() { return GetWindowState().session; }

void ApplyFullScreenStyle(platform::Window* window) {
  WindowSession& s = Session();
  LogAdd("ウインドウスタイルをフルスクリーンモード用に変更します... ");
  s.clientRect = {0, 0, ScreenWidth(), ScreenHeight()};
  window->SetFullScreen(ScreenWidth(), ScreenHeight());
  window->Show();
  SetMouseVisibleImpl(0);
}

void ApplyWindowedStyle(platform::Window* window) {
  WindowSession& s = Session();
  LogAdd("ウインドウスタイルをウインドウモード用に変更します... ");
  const int width = ScaledClientWidth();
  const int height = ScaledClientHeight();
  window->SetWindowed((s.desktop.width - width) / 2, (s.desktop.height - height) / 2, width,
                      height);
  if (s.windowShown) window->Show();
  s.clientRect = window->ClientRect();
  if (s.clientRect.left < 0 || s.clientRect.top < 0) {
    window->SetWindowed(std::max(s.clientRect.left, 0), std::max(s.clientRect.top, 0), width,
                        height);
    s.clientRect = window->ClientRect();
  }
  SetMouseVisibleImpl(1);
}

}  // namespace

int ScreenWidth() {
  int width = 0;
  GetScreenSize(&width, nullptr);
  return width;
}

int ScreenHeight() {
  int height = 0;
  GetScreenSize(nullptr, &height);
  return height;
}

int ScaledClientWidth() { return ScaledSide(ScreenWidth()); }
int ScaledClientHeight() { return ScaledSide(ScreenHeight()); }

int ChangeWindowModeImpl(int flag) {
  flag = flag != 0;
  LogAdd("ChangeWindowMode実行 \n");
  if (flag == Settings().windowMode) return 0;
  WindowSession& s = Session();
  s.windowShown = 1;
  SetWindowModeFlag(flag);
  if (!s.windowMade || !s.window) return 0;

  s.modeChangeInProgress = 1;
  s.displayChangeSeen = 0;
  ApplyWindowStyle();
  const int result = SwitchScreenWindowMode();
  // The display change may never come (the desktop keeps its mode), so the wait has a limit.
  platform::Clock& clock = platform::GetClock();
  const uint32_t start = clock.Milliseconds();
  while (!s.displayChangeSeen && clock.Milliseconds() - start < kModeChangeWaitLimitMs) {
    if (ProcessMessageImpl() != 0) break;
    clock.Sleep(1);
  }
  s.modeChangeInProgress = 0;
  return result;
}

int SetWindowModeFlag(int flag) {
  Settings().windowMode = flag;
  LogAdd(flag ? "ウインドウモードフラグが立てられました\n" : "ウインドウモードフラグが倒されました\n");
  return 0;
}

int ApplyWindowStyle() {
  platform::Window* window = Session().window;
  if (!window) return 0;
  if (Settings().windowMode) {
    ApplyWindowedStyle(window);
  } else {
    ApplyFullScreenStyle(window);
  }
  LogAdd("完了\n");
  return 0;
}

int FitWindowToClientSize() {
  WindowSession& s = Session();
  if (!s.window) return 0;
  s.window->SetClientSize(ScaledClientWidth(), ScaledClientHeight());
  if (Settings().windowMode) {
    s.clientRect = s.window->ClientRect();
    if (!s.windowShown) {
      s.windowShown = 1;
      ApplyWindowStyle();
    }
  }
  return 0;
}

int SetWindowScaleImpl(double scale) {
  if (scale == Settings().scale) return 0;
  // Written so that a NaN counts as 1.0 too.
  Settings().scale = scale > 0.0 ? scale : 1.0;
  if (Settings().windowMode) ApplyWindowStyle();
  return 0;
}

int SetMainWindowTextImpl(const char* text) {
  std::string stored = text ? text : "";
  if (stored.size() > kMaxWindowTextBytes) stored.resize(kMaxWindowTextBytes);
  Settings().text = stored;
  if (Session().window) Session().window->SetTitle(platform::ShiftJisToUtf8(stored));
  return 0;
}

int SetWindowIconImpl(int id) {
  Settings().iconId = id;
  LoadWindowIcon();
  return 0;
}

void LoadWindowIcon() {
  platform::Window* window = Session().window;
  const int id = Settings().iconId;
  if (!window || id == 0) return;
  char name[64];
  std::snprintf(name, sizeof name, kIconPathFormat, id);
  std::string path = GetRuntimeState().startDir;
  if (!path.empty() && path.back() != '/') path += '/';
  window->SetIconFromFile(path + name);
}

int SetMouseVisibleImpl(int flag) {
  flag = flag != 0;
  Settings().mouseVisibleRequest = flag;
  // Without a menu (this runtime shows none) the cursor shows exactly when asked to.
  const int visible = flag;
  WindowSession& s = Session();
  if (visible == s.mouseVisible) return 0;
  platform::GetWindowSystem().SetCursorVisible(visible != 0);
  s.mouseVisible = visible;
  return 0;
}

int GetMousePositionImpl(int* x, int* y) {
  int px = 0;
  int py = 0;
  platform::GetWindowSystem().GetCursorPosition(&px, &py);
  if (Settings().windowMode) {
    const platform::Rect& client = Session().clientRect;
    const double scale = GetWindowScale();
    px = static_cast<int>((px - client.left) / scale);
    py = static_cast<int>((py - client.top) / scale);
  }
  if (x) *x = px;
  if (y) *y = py;
  return 0;
}

int GetMouseWheelImpl() {
  WindowSession& s = Session();
  const int turned = s.wheel;
  s.wheel = 0;
  return turned;
}

int RefreshFullScreenMenu() {
  if (Settings().windowMode) return 0;
  int x = 0;
  int y = 0;
  platform::GetWindowSystem().GetCursorPosition(&x, &y);
  Session().menuHot = y < kMenuBandHeight;
  SetGDIDisplayFlag(GetGDIDisplayFlag());
  SetMouseVisibleImpl(Settings().mouseVisibleRequest);
  return 0;
}

}  // namespace rt
