#include "platform/codepage.h"
#include "platform/window.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/core/window_mode.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/display/screen_flip.h"
#include "runtime/display/screen_mode.h"
#include "runtime/image/graphics_startup.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_3d.h"
#include "runtime/input/input_devices.h"
#include "runtime/input/key_input.h"
#include "runtime/movie/movie.h"
#include "runtime/net/network.h"

namespace rt {
namespace {

using platform::WindowEventType;

// The colour depth at which the runtime cannot go on after a display change.
constexpr int kRefusedColorBits = 24;

struct KeyCharCode {
  int virtualKey;
  int code;
};

// Keys that type a control code into the character-code buffer.
constexpr KeyCharCode kKeyCharCodes[] = {
    {platform::kVkDelete, 16}, {platform::kVkLeft, 29}, {platform::kVkRight, 28},
    {platform::kVkUp, 30},     {platform::kVkDown, 31},
};

WindowSettings& Settings() { return GetWindowState().settings; }
WindowSession& Session() { return GetWindowState().session; }

void PostToWindow(WindowEventType type) {
  platform::WindowEvent event;
  event.type = type;
  platform::GetWindowSystem().PostEvent(event);
}

void PushCharCodeFromWindow(int code) {
  if (code < 0) return;
  PushCharCode(static_cast<uint8_t>(code));
}

// What the system tells a window while destroying it.
void OnDestroy() {
  LogAdd("ウインドウが破棄されようとしています\n");
  Session().destroyed = 1;
  LogAdd("ソフトを終了する準備が整いました\n");
  PostToWindow(WindowEventType::kQuit);
  GetWindowState().windowEnded = 1;
}

void OnClose() {
  LogAdd("ウインドウを閉じようとしています\n");
  WindowSession& s = Session();
  if (s.window) {
    platform::GetWindowSystem().DestroyWindow(s.window);
    s.window = nullptr;
    OnDestroy();
  }
  RuntimeState& runtime = GetRuntimeState();
  if (runtime.ending == 0) runtime.ending = 4;
}

void OnActivate(bool activated) {
  WindowSession& s = Session();
  s.active = activated;
  if (s.creating) return;
  if (activated) {
    RestoreAllSurface2D();
    RestoreAllSurface3D();
    if (Settings().windowMode && IsDisplayModeChanged()) {
      RecreateGraphicsDevice();
    } else {
      // The stores that came back empty get their graphs' pixels again.
      RefillRestoredGraphs();
      ResumeAllMovies();
    }
    ReacquireInputDevices();
    RequestImeReset();
  } else if (!Settings().windowMode && IsDisplayModeChanged()) {
    // The window system takes the full screen away and gives it back itself; the software
    // display has no device object to keep, so nothing waits for a restore here.
    ReleaseDirectDrawObject();
  } else {
    PauseAllMovies();
    ReacquireInputDevices();
  }
  ApplyPadVibration();
}

void OnPaint() {
  WindowSession& s = Session();
  if (!Settings().windowMode || !s.window) return;
  s.painting = 1;
  if (!RepaintWindow()) s.window->FillBlack();
  s.painting = 0;
}

void OnSize(int sizeKind) {
  WindowSession& s = Session();
  if (sizeKind == platform::kSizeMaximised) {
    if (Settings().windowMode && Settings().modeChangeAllowed && !s.modeChangeInProgress &&
        !s.creating) {
      s.modeChangeRequest = 1;
    }
    return;
  }
  FitWindowToClientSize();
}

void OnDisplayChange(int width, int height, int colorBits) {
  if (!Settings().windowMode) return;
  if (width == ScreenWidth() && height == ScreenHeight() && colorBits == GetScreenStateRecord().screenBits) {
    return;
  }
  WindowSession& s = Session();
  if (colorBits != kRefusedColorBits && width >= ScreenWidth() && height >= ScreenHeight()) {
    ReleaseAllMovieStreams();
    SetupScreenColorFormat();
    RecreateGraphicsDevice();
    ResumeAllMovies();
    s.displayChangeSeen = 1;
    return;
  }
  LogAdd("復元関数が登録されていないためか画面が２４ビットカラーに変更されたため終了します\n");
  LogAdd("またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します\n");
  if (!s.closing) {
    s.closing = 1;
    PostToWindow(WindowEventType::kClose);
  }
}

void OnDropFile(const std::string& path) {
  std::vector<std::string>& files = DroppedFiles();
  if (files.size() < static_cast<size_t>(kMaxDroppedFiles)) files.push_back(path);
}

}  // namespace

int CharCodeOfKeyDown(int virtualKey) {
  for (const KeyCharCode& k : kKeyCharCodes) {
    if (k.virtualKey == virtualKey) return k.code;
  }
  return -1;
}

int CharCodeOfChar(int ch) {
  if (ch == '\n') return '\r';
  if (ch >= ' ') return ch;
  switch (ch) {
    case 8:
    case 9:
    case 13:
    case 16:
    case 27:
      return ch;
    default:
      return -1;
  }
}

void OnWindowMove(int x, int y) {
  WindowSession& s = Session();
  platform::Rect size = s.window ? s.window->ClientRect() : s.clientRect;
  s.clientRect = {x, y, x + size.Width(), y + size.Height()};
  UpdateFrontScreenClientRect();
  const RECT area = GetDrawState().requestedDrawArea;
  SetDrawArea(area.left, area.top, area.right, area.bottom);
}

void WindowProc(const platform::WindowEvent& event) {
  WindowSession& s = Session();
  switch (event.type) {
    case WindowEventType::kActivate:
      OnActivate(event.a != 0);
      break;
    case WindowEventType::kPaint:
      OnPaint();
      break;
    case WindowEventType::kMove:
      if (Settings().windowMode && !s.modeChangeInProgress) OnWindowMove(event.a, event.b);
      break;
    case WindowEventType::kSize:
      OnSize(event.a);
      break;
    case WindowEventType::kClose:
      OnClose();
      break;
    case WindowEventType::kDisplayChange:
      OnDisplayChange(event.a, event.b, event.c);
      break;
    case WindowEventType::kKeyDown:
      PushCharCodeFromWindow(CharCodeOfKeyDown(event.a));
      break;
    case WindowEventType::kChar:
      PushCharCodeFromWindow(CharCodeOfChar(event.a & 0xFF));
      break;
    case WindowEventType::kText:
      // Typed text arrives as UTF-8; the buffer takes the code page 932 bytes one by one.
      for (unsigned char byte : platform::Utf8ToShiftJis(event.text)) {
        PushCharCodeFromWindow(CharCodeOfChar(byte));
      }
      break;
    case WindowEventType::kSysChar:
      if (event.a == '\r' && Settings().modeChangeAllowed) s.modeChangeRequest = 1;
      break;
    case WindowEventType::kTextEditing:
      HandleImeMessage(event.text.c_str(), event.a);
      break;
    case WindowEventType::kMouse:
      if (!Settings().windowMode && !s.mouseVisible) {
        platform::GetWindowSystem().SetCursorVisible(false);
      }
      break;
    case WindowEventType::kWheel:
      s.wheel += event.a > 0 ? 1 : -1;
      break;
    case WindowEventType::kDropFile:
      OnDropFile(event.text);
      break;
    case WindowEventType::kSocket:
      ProcessSocketEvent(event.a, event.b);
      break;
    case WindowEventType::kQuit:
    case WindowEventType::kOther:
      break;
  }
}

}  // namespace rt
