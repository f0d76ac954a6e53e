// The runtime's one top-level window and the source of its messages. The program runs on
// SDL; tests install a scripted double (window_fake.h) that needs no display.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

// Key codes of window messages and key queries: the Windows virtual-key numbers, which the
// runtime's key tables are written in.
constexpr int kVkBack = 8;
constexpr int kVkTab = 9;
constexpr int kVkReturn = 13;
constexpr int kVkEscape = 27;
constexpr int kVkSpace = 32;
constexpr int kVkLeft = 37;
constexpr int kVkUp = 38;
constexpr int kVkRight = 39;
constexpr int kVkDown = 40;
constexpr int kVkDelete = 46;

// Size kinds of a kSize message.
constexpr int kSizeRestored = 0;
constexpr int kSizeMinimised = 1;
constexpr int kSizeMaximised = 2;

enum class WindowEventType {
  kActivate,       // a: 1 the window gained the focus, 0 it lost it
  kPaint,          // part of the window must be drawn again
  kMove,           // a, b: the client area's new top-left corner on the desktop
  kSize,           // a: size kind; b, c: the new client width and height
  kClose,          // the user (or the runtime) asks the window to close
  kQuit,           // the program is asked to end
  kDisplayChange,  // a, b: the desktop's new width and height; c: its colour bits
  kKeyDown,        // a: virtual key (0 for keys without one)
  kChar,           // a: a character byte (code page 932) or a control code
  kSysChar,        // a: a character typed with Alt held
  kText,           // text: characters typed, UTF-8
  kTextEditing,    // text: the input method's composition, UTF-8; a: cursor position
  kMouse,          // the pointer moved or a button changed
  kWheel,          // a: +1 away from the user, -1 towards
  kDropFile,       // text: the path of a file dropped onto the window
  kSocket,         // a: a socket; b: its event word (event low, error high); c: the message
                   // number. Dispatched by the network layer from the socket system's events.
  kOther,          // anything else the system delivered
};

struct WindowEvent {
  WindowEventType type = WindowEventType::kOther;
  int a = 0;
  int b = 0;
  int c = 0;
  std::string text;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

struct DesktopInfo {
  int width = 0;
  int height = 0;
  int colorBits = 0;  // bytes per pixel times 8 (an XRGB desktop counts as 32)
};

struct WindowParams {
  std::string titleUtf8;
  bool fullScreen = false;
  // Window mode: the client area's size and its top-left corner on the desktop.
  // Full screen: the screen mode's size.
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  // False: nothing will draw through OpenGL in the window, and no GL library is loaded.
  bool openGl = true;
};

class Window {
 public:
  virtual ~Window() = default;
  virtual void SetTitle(const std::string& utf8) = 0;
  // Sets the icon from a BMP file; false when it cannot be read (the icon stays).
  virtual bool SetIconFromFile(const std::string& path) = 0;
  // Leaves full screen if needed and places the client area at (x, y) with the given size.
  virtual void SetWindowed(int x, int y, int width, int height) = 0;
  // Covers the screen in a mode of the given size (the desktop's own size when the display
  // has no such mode).
  virtual void SetFullScreen(int width, int height) = 0;
  // Changes the client size and keeps the position.
  virtual void SetClientSize(int width, int height) = 0;
  // The client area in desktop coordinates.
  virtual Rect ClientRect() = 0;
  virtual void Show() = 0;
  virtual void BringToFront(bool topmost) = 0;
  // Paints the whole client area black.
  virtual void FillBlack() = 0;
  // The system's own window object (the SDL_Window of the SDL backend), for the presenter
  // that draws into it; null for a window that has none.
  virtual void* NativeHandle() { return nullptr; }
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // False when there is no desktop to ask (no display).
  virtual bool QueryDesktop(DesktopInfo* out) = 0;
  // The one window; null when it cannot be made.
  virtual Window* CreateWindow(const WindowParams& params) = 0;
  virtual void DestroyWindow(Window* window) = 0;
  // Takes the next message: those posted with PostEvent first, then the system's. False
  // when none waits. SDL delivers messages only to the thread that made the window: on any
  // other thread this finds none.
  virtual bool TakeEvent(WindowEvent* out) = 0;
  virtual void PostEvent(const WindowEvent& event) = 0;
  virtual void SetCursorVisible(bool visible) = 0;
  // The pointer in desktop coordinates.
  virtual void GetCursorPosition(int* x, int* y) = 0;
  // 1 while the key is held, as of the last time messages were taken.
  virtual bool IsKeyHeld(int virtualKey) = 0;
  virtual void SetScreenSaverEnabled(bool enabled) = 0;
  // The second-instance check: false when another running instance holds the name.
  virtual bool AcquireInstanceLock(const std::string& name) = 0;
  virtual void ReleaseInstanceLock() = 0;
};

// The window system in force: SDL unless a test installed another.
WindowSystem& GetWindowSystem();
// Installs a window system (nullptr: back to SDL). The caller keeps ownership.
void SetWindowSystem(WindowSystem* system);

// A quick look at one key for code that has no input subsystem to ask.
bool IsKeyHeld(int virtualKey);

}  // namespace platform
