// A scripted window system for tests: messages are queued by hand, the desktop, the pointer
// and the keys are set by hand, and every call on the window is recorded. Needs no display.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/instance_lock.h"
#include "platform/window.h"

namespace platform {

class FakeWindow final : public Window {
 public:
  void SetTitle(const std::string& utf8) override;
  bool SetIconFromFile(const std::string& path) override;
  void SetWindowed(int x, int y, int width, int height) override;
  void SetFullScreen(int width, int height) override;
  void SetClientSize(int width, int height) override;
  Rect ClientRect() override;
  void Show() override;
  void BringToFront(bool topmost) override;
  void FillBlack() override;

  // What the runtime did to the window.
  std::string title;
  std::string iconPath;  // the last icon file asked for
  bool fullScreen = false;
  bool shown = false;
  bool topmost = false;
  int blackFills = 0;
  Rect client;
  // Icon files that "exist"; others fail to load.
  bool iconLoads = true;
};

class FakeWindowSystem final : public WindowSystem {
 public:
  // lockDirectory: where the second-instance lock file goes (a test's own directory).
  explicit FakeWindowSystem(std::string lockDirectory);

  bool QueryDesktop(DesktopInfo* out) override;
  Window* CreateWindow(const WindowParams& params) override;
  void DestroyWindow(Window* window) override;
  bool TakeEvent(WindowEvent* out) override;
  void PostEvent(const WindowEvent& event) override;
  void SetCursorVisible(bool visible) override;
  void GetCursorPosition(int* x, int* y) override;
  bool IsKeyHeld(int virtualKey) override;
  void SetScreenSaverEnabled(bool enabled) override;
  bool AcquireInstanceLock(const std::string& name) override;
  void ReleaseInstanceLock() override;

  // Script.
  void Queue(const WindowEvent& event);
  void Queue(WindowEventType type, int a = 0, int b = 0, int c = 0);
  size_t QueuedCount();
  // Only this thread takes messages (0: any thread), like SDL's thread that made the window.
  void SetTakingThread(uint32_t threadId);
  void SetKeyHeld(int virtualKey, bool held);
  void SetCursor(int x, int y);

  DesktopInfo desktop{1920, 1080, 32};
  bool desktopAvailable = true;
  bool failCreate = false;

  // Observations.
  FakeWindow* window();  // the live window, or null
  int windowsCreated = 0;
  WindowParams lastParams;
  bool cursorVisible = true;
  bool screenSaverEnabled = true;
  std::string instanceName;  // the name the last lock was asked for

 private:
  std::mutex mutex_;  // guards the queue and the taking thread (the message thread takes too)
  std::deque<WindowEvent> queue_;
  uint32_t takingThread_ = 0;
  std::unique_ptr<FakeWindow> window_;
  std::map<int, bool> keys_;
  int cursorX_ = 0;
  int cursorY_ = 0;
  std::string lockDirectory_;
  InstanceLock lock_;
};

}  // namespace platform
