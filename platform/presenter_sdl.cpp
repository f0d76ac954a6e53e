// The SDL presenter: a streaming texture of the screen's size, drawn over the whole client
// area through a renderer whose logical size is the screen's, so that window scales and a
// full screen of another size show the frame scaled (with bars where the aspect differs).
#include <SDL.h>

#include <cstdio>

#include "platform/presenter.h"
#include "platform/thread.h"
#include "platform/window.h"

namespace platform {
namespace {

class SdlPresenter final : public Presenter {
 public:
  SdlPresenter(SDL_Window* window, SDL_Renderer* renderer, bool ownsRenderer)
      : window_(window),
        windowId_(SDL_GetWindowID(window)),
        renderer_(renderer),
        ownsRenderer_(ownsRenderer),
        thread_(CurrentThreadId()) {}

  ~SdlPresenter() override {
    // A window closed by the user is destroyed before the display ends; its renderer went
    // with it then.
    if (!WindowAlive()) return;
    if (texture_) SDL_DestroyTexture(texture_);
    if (ownsRenderer_) SDL_DestroyRenderer(renderer_);
  }

 protected:
  void Show() override {
    if (CurrentThreadId() != thread_ || !WindowAlive()) return;
    if (content().empty()) {
      SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
      SDL_RenderClear(renderer_);
      SDL_RenderPresent(renderer_);
      return;
    }
    if (!EnsureTexture()) return;
    SDL_UpdateTexture(texture_, nullptr, content().data(), contentPitch());
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

 private:
  bool WindowAlive() const { return SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetWindowFromID(windowId_) == window_; }

  bool EnsureTexture() {
    const int width = contentWidth();
    const int height = contentHeight();
    const FrameLayout layout = contentLayout();
    if (texture_ && width == textureWidth_ && height == textureHeight_ && layout == textureLayout_) return true;
    if (texture_) SDL_DestroyTexture(texture_);
    // Pixels are scaled the way the screen showed them: nearest, no smoothing.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    const Uint32 format = layout == FrameLayout::kRgb565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
    texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!texture_) {
      std::fprintf(stderr, "presenter: cannot make the screen texture: %s\n", SDL_GetError());
      return false;
    }
    SDL_RenderSetLogicalSize(renderer_, width, height);
    textureWidth_ = width;
    textureHeight_ = height;
    textureLayout_ = layout;
    return true;
  }

  SDL_Window* window_;
  Uint32 windowId_;
  SDL_Renderer* renderer_;
  bool ownsRenderer_;
  uint32_t thread_;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
  FrameLayout textureLayout_ = FrameLayout::kXrgb8888;
};

}  // namespace

std::unique_ptr<Presenter> CreateSdlPresenter(Window* window) {
  auto* sdlWindow = window ? static_cast<SDL_Window*>(window->NativeHandle()) : nullptr;
  if (!sdlWindow) return nullptr;
  // A window painted black before the display started may have a renderer already (SDL
  // draws its window surface through one); a window has one renderer at most, so that one
  // is shared and left to its owner.
  SDL_Renderer* renderer = SDL_GetRenderer(sdlWindow);
  const bool owns = renderer == nullptr;
  // The runtime paces its frames itself and presents without waiting for the blank. SDL's
  // own software renderer: the frame is made in memory, and an accelerated renderer would
  // load the GL libraries for one texture upload a frame.
  // SDL would back the software renderer's window surface with an accelerated renderer.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (owns) renderer = SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer) {
    std::fprintf(stderr, "presenter: cannot make a renderer: %s\n", SDL_GetError());
    return nullptr;
  }
  return std::make_unique<SdlPresenter>(sdlWindow, renderer, owns);
}

}  // namespace platform
