#include "platform/window_fake.h"

#include "platform/thread.h"

namespace platform {

void FakeWindow::SetTitle(const std::string& utf8) { title = utf8; }

bool FakeWindow::SetIconFromFile(const std::string& path) {
  iconPath = path;
  return iconLoads;
}

void FakeWindow::SetWindowed(int x, int y, int width, int height) {
  fullScreen = false;
  topmost = false;
  client = {x, y, x + width, y + height};
}

void FakeWindow::SetFullScreen(int width, int height) {
  fullScreen = true;
  client = {0, 0, width, height};
}

void FakeWindow::SetClientSize(int width, int height) {
  client.right = client.left + width;
  client.bottom = client.top + height;
}

Rect FakeWindow::ClientRect() { return client; }
void FakeWindow::Show() { shown = true; }
void FakeWindow::BringToFront(bool top) { topmost = topmost || top; }
void FakeWindow::FillBlack() { ++blackFills; }

FakeWindowSystem::FakeWindowSystem(std::string lockDirectory)
    : lockDirectory_(std::move(lockDirectory)) {}

bool FakeWindowSystem::QueryDesktop(DesktopInfo* out) {
  if (!desktopAvailable) return false;
  *out = desktop;
  return true;
}

Window* FakeWindowSystem::CreateWindow(const WindowParams& params) {
  if (failCreate || window_) return nullptr;
  lastParams = params;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    queue_.clear();  // a new window starts with no messages, as on SDL
  }
  window_ = std::make_unique<FakeWindow>();
  window_->title = params.titleUtf8;
  if (params.fullScreen) {
    window_->SetFullScreen(params.width, params.height);
  } else {
    window_->SetWindowed(params.x, params.y, params.width, params.height);
  }
  ++windowsCreated;
  return window_.get();
}

void FakeWindowSystem::DestroyWindow(Window* window) {
  if (window && window == window_.get()) window_.reset();
}

bool FakeWindowSystem::TakeEvent(WindowEvent* out) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (takingThread_ != 0 && CurrentThreadId() != takingThread_) return false;
  if (queue_.empty()) return false;
  *out = std::move(queue_.front());
  queue_.pop_front();
  return true;
}

void FakeWindowSystem::PostEvent(const WindowEvent& event) { Queue(event); }

void FakeWindowSystem::SetCursorVisible(bool visible) { cursorVisible = visible; }

void FakeWindowSystem::GetCursorPosition(int* x, int* y) {
  *x = cursorX_;
  *y = cursorY_;
}

bool FakeWindowSystem::IsKeyHeld(int virtualKey) {
  auto it = keys_.find(virtualKey);
  return it != keys_.end() && it->second;
}

void FakeWindowSystem::SetScreenSaverEnabled(bool enabled) { screenSaverEnabled = enabled; }

bool FakeWindowSystem::AcquireInstanceLock(const std::string& name) {
  instanceName = name;
  return lock_.Acquire(lockDirectory_, name);
}

void FakeWindowSystem::ReleaseInstanceLock() { lock_.Release(); }

void FakeWindowSystem::Queue(const WindowEvent& event) {
  std::lock_guard<std::mutex> guard(mutex_);
  queue_.push_back(event);
}

void FakeWindowSystem::Queue(WindowEventType type, int a, int b, int c) {
  WindowEvent e;
  e.type = type;
  e.a = a;
  e.b = b;
  e.c = c;
  Queue(e);
}

size_t FakeWindowSystem::QueuedCount() {
  std::lock_guard<std::mutex> guard(mutex_);
  return queue_.size();
}

void FakeWindowSystem::SetTakingThread(uint32_t threadId) {
  std::lock_guard<std::mutex> guard(mutex_);
  takingThread_ = threadId;
}

void FakeWindowSystem::SetKeyHeld(int virtualKey, bool held) { keys_[virtualKey] = held; }

void FakeWindowSystem::SetCursor(int x, int y) {
  cursorX_ = x;
  cursorY_ = y;
}

FakeWindow* FakeWindowSystem::window() { return window_.get(); }

}  // namespace platform
