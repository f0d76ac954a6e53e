// The OpenGL 3.3 display device: a core-profile context on the SDL window, through which the
// primary is shown as one texture over the client area (scaled with bars in full screen
// when the window is of another size, pixels kept sharp). The swap interval carries the
// wait for the vertical blank: a present that is to wait swaps with interval 1.
#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>

#include "platform/display_device.h"
#include "platform/thread.h"
#include "platform/window.h"

namespace platform {
namespace {

constexpr char kVertexShader[] = R"(#version 330 core
out vec2 uv;
void main() {
  // One triangle pair covering the viewport, the texture's first row at the top.
  vec2 corner = vec2(float((gl_VertexID & 1) != 0), float((gl_VertexID & 2) != 0));
  uv = vec2(corner.x, 1.0 - corner.y);
  gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";

constexpr char kFragmentShader[] = R"(#version 330 core
in vec2 uv;
out vec4 colour;
uniform sampler2D screen;
void main() { colour = vec4(texture(screen, uv).rgb, 1.0); }
)";

void Report(const char* what) { std::fprintf(stderr, "display device: %s: %s\n", what, SDL_GetError()); }

GLuint CompileShader(GLenum kind, const char* source) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[512] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "display device: shader: %s\n", log);
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

class GlDisplayDevice final : public DisplayDevice {
 public:
  GlDisplayDevice(SDL_Window* window, SDL_GLContext context)
      : window_(window), windowId_(SDL_GetWindowID(window)), context_(context), thread_(CurrentThreadId()) {}

  ~GlDisplayDevice() override {
    // A window closed by the user is gone with its context before the display ends.
    if (!WindowAlive()) return;
    SDL_GL_MakeCurrent(window_, context_);
    if (texture_) glDeleteTextures(1, &texture_);
    if (vertexArray_) glDeleteVertexArrays(1, &vertexArray_);
    if (program_) glDeleteProgram(program_);
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
  }

  bool Init() {
    if (epoxy_gl_version() < 33) {
      std::fprintf(stderr, "display device: OpenGL %d.%d is older than 3.3\n", epoxy_gl_version() / 10,
                   epoxy_gl_version() % 10);
      return false;
    }
    const GLuint vs = CompileShader(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fs = CompileShader(GL_FRAGMENT_SHADER, kFragmentShader);
    if (!vs || !fs) {
      if (vs) glDeleteShader(vs);
      if (fs) glDeleteShader(fs);
      return false;
    }
    program_ = glCreateProgram();
    glAttachShader(program_, vs);
    glAttachShader(program_, fs);
    glLinkProgram(program_);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint linked = 0;
    glGetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (!linked) return false;
    glGenVertexArrays(1, &vertexArray_);
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return glGetError() == GL_NO_ERROR;
  }

 protected:
  // The window layer puts the window into full screen; the display takes the mode the
  // window system finds for it, and the primary is scaled to whatever it got.
  bool ApplyDisplayMode(int, int, int, int) override { return WindowAlive(); }
  void ApplyDesktopMode() override {}

  DisplayModeInfo DesktopMode() const override {
    DisplayModeInfo info;
    SDL_DisplayMode mode{};
    int display = SDL_GetWindowDisplayIndex(window_);
    if (display < 0) display = 0;
    if (SDL_GetDesktopDisplayMode(display, &mode) == 0) {
      info.width = mode.w;
      info.height = mode.h;
      info.refreshRate = mode.refresh_rate;
    }
    // The window's pixels are 32-bit XRGB whatever the desktop stores.
    info.format = Xrgb8888Format();
    return info;
  }

  void Show(const LockedPixels& primary, bool waitVBlank) override {
    if (CurrentThreadId() != thread_ || !WindowAlive()) return;
    if (SDL_GL_MakeCurrent(window_, context_) != 0) return;
    SDL_GL_SetSwapInterval(waitVBlank ? 1 : 0);
    Draw(primary);
    SDL_GL_SwapWindow(window_);
  }

  // The picture as the GL pipeline draws it: the primary drawn once more into the back
  // buffer and read from there (before any swap, where its content is defined).
  bool ReadFrame(const LockedPixels& primary, std::vector<uint32_t>* xrgb, int* width, int* height) override {
    if (CurrentThreadId() != thread_ || !WindowAlive() || !primary.pixels) return false;
    if (SDL_GL_MakeCurrent(window_, context_) != 0) return false;
    Draw(primary);
    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
    std::vector<uint32_t> rows(static_cast<size_t>(drawableWidth) * drawableHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, drawableWidth, drawableHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    if (glGetError() != GL_NO_ERROR) return false;
    *width = drawableWidth;
    *height = drawableHeight;
    xrgb->resize(rows.size());
    // GL's rows run bottom up.
    for (int y = 0; y < drawableHeight; ++y) {
      for (int x = 0; x < drawableWidth; ++x) {
        (*xrgb)[static_cast<size_t>(y) * drawableWidth + x] =
            rows[static_cast<size_t>(drawableHeight - 1 - y) * drawableWidth + x] & 0xFFFFFF;
      }
    }
    return true;
  }

  // The swap of the next present waits for the blank instead.
  void WaitVBlank() override {}

 private:
  // Draws the primary over the drawable, keeping its aspect with black bars.
  void Draw(const LockedPixels& primary) {
    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, drawableWidth, drawableHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    if (primary.pixels && primary.width > 0 && primary.height > 0) {
      const int bytes = primary.format.bits / 8;
      glBindTexture(GL_TEXTURE_2D, texture_);
      glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
      glPixelStorei(GL_UNPACK_ROW_LENGTH, primary.pitch / bytes);
      if (bytes == 4) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, primary.width, primary.height, 0, GL_BGRA,
                     GL_UNSIGNED_INT_8_8_8_8_REV, primary.pixels);
      } else {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, primary.width, primary.height, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5,
                     primary.pixels);
      }
      glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
      // The picture keeps its aspect; bars fill the rest.
      int w = drawableWidth;
      int h = drawableHeight;
      if (static_cast<int64_t>(w) * primary.height > static_cast<int64_t>(h) * primary.width) {
        w = static_cast<int>(static_cast<int64_t>(h) * primary.width / primary.height);
      } else {
        h = static_cast<int>(static_cast<int64_t>(w) * primary.height / primary.width);
      }
      glViewport((drawableWidth - w) / 2, (drawableHeight - h) / 2, w, h);
      glUseProgram(program_);
      glBindVertexArray(vertexArray_);
      glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
      glBindVertexArray(0);
    }
  }

  bool WindowAlive() const { return SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetWindowFromID(windowId_) == window_; }

  SDL_Window* window_;
  Uint32 windowId_;
  SDL_GLContext context_;
  uint32_t thread_;
  GLuint program_ = 0;
  GLuint vertexArray_ = 0;
  GLuint texture_ = 0;
};

}  // namespace

std::unique_ptr<DisplayDevice> CreateGlDisplayDevice(Window* window) {
  auto* sdlWindow = window ? static_cast<SDL_Window*>(window->NativeHandle()) : nullptr;
  if (!sdlWindow) return nullptr;
  if (!(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_OPENGL)) {
    std::fprintf(stderr, "display device: the window was made without OpenGL\n");
    return nullptr;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GLContext context = SDL_GL_CreateContext(sdlWindow);
  if (!context) {
    Report("cannot make an OpenGL 3.3 context");
    return nullptr;
  }
  auto device = std::make_unique<GlDisplayDevice>(sdlWindow, context);
  if (!device->Init()) {
    std::fprintf(stderr, "display device: the OpenGL context cannot show the screen\n");
    return nullptr;
  }
  return device;
}

}  // namespace platform
