// The window system on SDL2.
#include <SDL.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>

#include "platform/codepage.h"
#include "platform/instance_lock.h"
#include "platform/mouse_button_latch.h"
#include "platform/thread.h"
#include "platform/window.h"

namespace platform {

namespace {

void RefuseSecondCopy(const std::string& name) {
  std::fprintf(stderr, "window: another copy of this program is already running; this copy stops\n");
  const std::string title = ShiftJisToUtf8(name);
  const char* text = reinterpret_cast<const char*>(
      u8"このソフトはすでに起動しています。二つ目は起動できません。\n"
      u8"Another copy of this program is already running; this copy stops.");
  // The desktop's message box comes through the video system.
  const bool video = SDL_WasInit(SDL_INIT_VIDEO) != 0 || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, title.c_str(), text, nullptr) != 0) {
    std::fprintf(stderr, "window: the message box could not be shown: %s\n", SDL_GetError());
  }
  if (video) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

namespace {

struct KeyMapping {
  SDL_Scancode scancode;
  int virtualKey;
};

constexpr KeyMapping kKeys[] = {
    {SDL_SCANCODE_BACKSPACE, kVkBack}, {SDL_SCANCODE_TAB, kVkTab},
    {SDL_SCANCODE_RETURN, kVkReturn},  {SDL_SCANCODE_KP_ENTER, kVkReturn},
    {SDL_SCANCODE_ESCAPE, kVkEscape},  {SDL_SCANCODE_SPACE, kVkSpace},
    {SDL_SCANCODE_LEFT, kVkLeft},      {SDL_SCANCODE_UP, kVkUp},
    {SDL_SCANCODE_RIGHT, kVkRight},    {SDL_SCANCODE_DOWN, kVkDown},
    {SDL_SCANCODE_DELETE, kVkDelete},
};

int VirtualKeyOf(SDL_Scancode scancode) {
  for (const KeyMapping& k : kKeys) {
    if (k.scancode == scancode) return k.virtualKey;
  }
  return 0;
}

SDL_Scancode ScancodeOf(int virtualKey) {
  for (const KeyMapping& k : kKeys) {
    if (k.virtualKey == virtualKey) return k.scancode;
  }
  return SDL_SCANCODE_UNKNOWN;
}

void ReportError(const char* what) { std::fprintf(stderr, "window: %s: %s\n", what, SDL_GetError()); }

// Attempts at starting video before giving up: a display server may refuse a connection now
// and then.
constexpr int kVideoStartAttempts = 5;

// SDL falls back to its invisible offscreen driver when no display answers; a window there
// would run unseen, so that counts as no display unless it was asked for by name.
bool StartVideo() {
  const char* wanted = SDL_getenv("SDL_VIDEODRIVER");
  for (int attempt = 0; attempt < kVideoStartAttempts; ++attempt) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) break;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || SDL_strcmp(driver, "offscreen") != 0 || (wanted && *wanted)) return true;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_SetError("no display answered");
  }
  ReportError("cannot start the video system");
  return false;
}

class SdlWindow final : public Window {
 public:
  explicit SdlWindow(SDL_Window* window) : window_(window) {}
  ~SdlWindow() override { SDL_DestroyWindow(window_); }

  void SetTitle(const std::string& utf8) override { SDL_SetWindowTitle(window_, utf8.c_str()); }

  bool SetIconFromFile(const std::string& path) override {
    SDL_Surface* icon = SDL_LoadBMP(path.c_str());
    if (!icon) return false;
    SDL_SetWindowIcon(window_, icon);
    SDL_FreeSurface(icon);
    return true;
  }

  void SetWindowed(int x, int y, int width, int height) override {
    if (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) SDL_SetWindowFullscreen(window_, 0);
    // A window among others on the desktop does not stay above them.
    SDL_SetWindowAlwaysOnTop(window_, SDL_FALSE);
    SDL_SetWindowSize(window_, width, height);
    SDL_SetWindowPosition(window_, x, y);
  }

  void SetFullScreen(int width, int height) override {
    SDL_DisplayMode wanted{};
    wanted.w = width;
    wanted.h = height;
    SDL_DisplayMode closest{};
    int display = SDL_GetWindowDisplayIndex(window_);
    if (display < 0) display = 0;
    if (SDL_GetClosestDisplayMode(display, &wanted, &closest) && closest.w == width &&
        closest.h == height && SDL_SetWindowDisplayMode(window_, &closest) == 0 &&
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN) == 0) {
      return;
    }
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }

  void SetClientSize(int width, int height) override {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    if (w != width || h != height) SDL_SetWindowSize(window_, width, height);
  }

  Rect ClientRect() override {
    Rect r;
    int w = 0, h = 0;
    SDL_GetWindowPosition(window_, &r.left, &r.top);
    SDL_GetWindowSize(window_, &w, &h);
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
  }

  void Show() override { SDL_ShowWindow(window_); }

  void BringToFront(bool topmost) override {
    SDL_RaiseWindow(window_);
    if (topmost) SDL_SetWindowAlwaysOnTop(window_, SDL_TRUE);
  }

  void FillBlack() override {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface) return;
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_UpdateWindowSurface(window_);
  }

  void* NativeHandle() override { return window_; }

  SDL_Window* get() const { return window_; }

 private:
  SDL_Window* window_;
};

class SdlWindowSystem final : public WindowSystem {
 public:
  bool QueryDesktop(DesktopInfo* out) override {
    if (!StartVideo()) return false;
    SDL_DisplayMode mode{};
    bool ok = SDL_GetDesktopDisplayMode(0, &mode) == 0;
    if (ok) {
      out->width = mode.w;
      out->height = mode.h;
      out->colorBits = SDL_BYTESPERPIXEL(mode.format) * 8;
    }
    // The video system stays up until the window is made: stopping it here would close the
    // program's only connection to the display server, which then resets (a wait of up to half
    // a second for the window's connection) and the input method's tables would be read again.
    if (desktopVideoHeld_) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
    } else {
      desktopVideoHeld_ = true;
    }
    return ok;
  }

  Window* CreateWindow(const WindowParams& params) override {
    if (window_) return nullptr;
    const bool started = StartVideo();
    ReleaseDesktopVideo();
    if (!started) return nullptr;
    SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
    // The display device draws through OpenGL in this window; a display without OpenGL still
    // gets a window, which the software display draws in.
    SDL_Window* w = nullptr;
    // Without OpenGL the window's surface (the black fill, the software presenter) stays in
    // memory instead of going through an accelerated renderer.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, params.openGl ? nullptr : "0");
    if (params.openGl) {
      w = SDL_CreateWindow(params.titleUtf8.c_str(), params.x, params.y, params.width, params.height,
                           SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
    }
    if (!w) {
      w = SDL_CreateWindow(params.titleUtf8.c_str(), params.x, params.y, params.width, params.height,
                           SDL_WINDOW_HIDDEN);
    }
    if (!w) {
      ReportError("cannot create the window");
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      return nullptr;
    }
    window_ = new SdlWindow(w);
    {
      // What was posted after the last window went (its quit message) is not for this one.
      std::lock_guard<std::mutex> guard(mutex_);
      pending_.clear();
    }
    if (params.fullScreen) window_->SetFullScreen(params.width, params.height);
    ownerThread_ = CurrentThreadId();
    return window_;
  }

  void DestroyWindow(Window* window) override {
    if (!window || window != window_) return;
    delete window_;
    window_ = nullptr;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      pending_.clear();
    }
    // Messages still queued for the old window must not reach a later one.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  bool TakeEvent(WindowEvent* out) override {
    if (!window_ || CurrentThreadId() != ownerThread_) return false;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      if (!pending_.empty()) {
        *out = std::move(pending_.front());
        pending_.pop_front();
        return true;
      }
    }
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return false;
    Translate(e, out);
    return true;
  }

  void PostEvent(const WindowEvent& event) override {
    std::lock_guard<std::mutex> guard(mutex_);
    pending_.push_back(event);
  }

  void SetCursorVisible(bool visible) override {
    if (window_) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
  }

  // SDL's desktop-wide pointer query on X11 answers from a cache that only some input
  // refreshes: pointer moves that come without raw device events (warps, synthetic input)
  // leave it stale, and it stands still while a button is held. The pointer within the
  // window, kept from the window's own motion events, is always current; outside the
  // window the last position seen there stands.
  void GetCursorPosition(int* x, int* y) override {
    *x = 0;
    *y = 0;
    if (!window_) return;
    int left = 0, top = 0, inX = 0, inY = 0;
    SDL_GetWindowPosition(window_->get(), &left, &top);
    SDL_GetMouseState(&inX, &inY);
    *x = left + inX;
    *y = top + inY;
  }

  bool IsKeyHeld(int virtualKey) override {
    SDL_Scancode code = ScancodeOf(virtualKey);
    if (!window_ || code == SDL_SCANCODE_UNKNOWN) return false;
    return SDL_GetKeyboardState(nullptr)[code] != 0;
  }

  void SetScreenSaverEnabled(bool enabled) override {
    if (!window_) return;
    if (enabled) {
      SDL_EnableScreenSaver();
    } else {
      SDL_DisableScreenSaver();
    }
  }

  // The program stops when the lock is refused; the runtime's log, where it says so, is
  // normally off, so the reason also goes to the standard error, and a refused second copy
  // says so in a message box, since a program started from the desktop has no terminal.
  // Two locks: one in the runtime folder, one in the working directory beside the user
  // files, so a copy started in the same folder with another runtime folder is refused too.
  bool AcquireInstanceLock(const std::string& name) override {
    const std::string directory = DefaultInstanceLockDirectory();
    if (!lock_.Acquire(directory, name)) {
      if (errno == EWOULDBLOCK) {
        RefuseSecondCopy(name);
      } else {
        std::fprintf(stderr, "window: cannot make the single-instance lock in %s: %s; the program stops\n",
                     directory.c_str(), std::strerror(errno));
      }
      return false;
    }
    if (!folderLock_.Acquire(".", name)) {
      if (errno == EWOULDBLOCK) {
        lock_.Release();
        RefuseSecondCopy(name);
        return false;
      }
      // A folder that takes no files takes no saves either: the runtime folder's lock stands.
      std::fprintf(stderr, "window: cannot make the single-instance lock in the working directory: %s\n",
                   std::strerror(errno));
    }
    return true;
  }
  void ReleaseInstanceLock() override {
    folderLock_.Release();
    lock_.Release();
  }

 private:
  // A message that the system turns into two (a key and its character, as a keyboard
  // translation would) leaves the second one waiting.
  void Follow(WindowEventType type, int a) {
    WindowEvent next;
    next.type = type;
    next.a = a;
    std::lock_guard<std::mutex> guard(mutex_);
    pending_.push_back(std::move(next));
  }

  void TranslateKey(const SDL_KeyboardEvent& key, WindowEvent* out) {
    out->type = WindowEventType::kKeyDown;
    out->a = VirtualKeyOf(key.keysym.scancode);
    const Uint16 mod = key.keysym.mod;
    if (out->a == kVkReturn && (mod & KMOD_ALT)) {
      Follow(WindowEventType::kSysChar, '\r');
      return;
    }
    switch (out->a) {
      case kVkBack:
      case kVkTab:
      case kVkReturn:
      case kVkEscape:
        Follow(WindowEventType::kChar, out->a);
        return;
      default:
        break;
    }
    // Control with a letter types the control codes 1-26; text input never delivers them.
    SDL_Keycode sym = key.keysym.sym;
    if ((mod & KMOD_CTRL) && !(mod & KMOD_ALT) && sym >= SDLK_a && sym <= SDLK_z) {
      Follow(WindowEventType::kChar, sym - SDLK_a + 1);
    }
  }

  void Translate(const SDL_Event& e, WindowEvent* out) {
    out->type = WindowEventType::kOther;
    switch (e.type) {
      case SDL_QUIT:
        out->type = WindowEventType::kQuit;
        break;
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_FOCUS_GAINED:
          case SDL_WINDOWEVENT_FOCUS_LOST:
            out->type = WindowEventType::kActivate;
            out->a = e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
            break;
          case SDL_WINDOWEVENT_EXPOSED:
            out->type = WindowEventType::kPaint;
            break;
          case SDL_WINDOWEVENT_MOVED:
            out->type = WindowEventType::kMove;
            out->a = e.window.data1;
            out->b = e.window.data2;
            break;
          case SDL_WINDOWEVENT_SIZE_CHANGED:
          case SDL_WINDOWEVENT_MAXIMIZED:
          case SDL_WINDOWEVENT_MINIMIZED: {
            out->type = WindowEventType::kSize;
            out->a = e.window.event == SDL_WINDOWEVENT_MAXIMIZED   ? kSizeMaximised
                     : e.window.event == SDL_WINDOWEVENT_MINIMIZED ? kSizeMinimised
                                                                   : kSizeRestored;
            SDL_GetWindowSize(window_->get(), &out->b, &out->c);
            break;
          }
          case SDL_WINDOWEVENT_CLOSE:
            out->type = WindowEventType::kClose;
            break;
          default:
            break;
        }
        break;
      case SDL_KEYDOWN:
        TranslateKey(e.key, out);
        break;
      case SDL_TEXTINPUT:
        out->type = WindowEventType::kText;
        out->text = e.text.text;
        break;
      case SDL_TEXTEDITING:
        out->type = WindowEventType::kTextEditing;
        out->text = e.edit.text;
        out->a = e.edit.start;
        break;
      case SDL_MOUSEBUTTONDOWN:
        LatchSdlMouseButtonPress(e.button.button, e.button.timestamp);
        out->type = WindowEventType::kMouse;
        break;
      case SDL_MOUSEMOTION:
      case SDL_MOUSEBUTTONUP:
        out->type = WindowEventType::kMouse;
        break;
      case SDL_MOUSEWHEEL: {
        // Only the vertical wheel turns; a sideways tilt is not a wheel turn.
        int y = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        if (y != 0) {
          out->type = WindowEventType::kWheel;
          out->a = y > 0 ? 1 : -1;
        }
        break;
      }
      case SDL_DROPFILE:
        if (e.drop.file) {
          out->type = WindowEventType::kDropFile;
          out->text = e.drop.file;
          SDL_free(e.drop.file);
        }
        break;
      default:
        break;
    }
  }

  // The start of the video system that the desktop query keeps for the window to come.
  void ReleaseDesktopVideo() {
    if (!desktopVideoHeld_) return;
    desktopVideoHeld_ = false;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  SdlWindow* window_ = nullptr;
  bool desktopVideoHeld_ = false;
  uint32_t ownerThread_ = 0;
  std::mutex mutex_;  // guards pending_, which other threads may post to
  std::deque<WindowEvent> pending_;
  InstanceLock lock_;
  InstanceLock folderLock_;
};

SdlWindowSystem g_sdlSystem;
std::atomic<WindowSystem*> g_windowSystem{&g_sdlSystem};

}  // namespace

WindowSystem& GetWindowSystem() { return *g_windowSystem.load(); }
void SetWindowSystem(WindowSystem* system) { g_windowSystem.store(system ? system : &g_sdlSystem); }

bool IsKeyHeld(int virtualKey) { return GetWindowSystem().IsKeyHeld(virtualKey); }

}  // namespace platform
