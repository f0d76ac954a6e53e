// Showing the runtime's software screens in its window. The program presents through an SDL
// renderer with a streaming texture; tests install a recording double that keeps the frames.
//
// A presenter keeps the window's content: the last frame it showed, at the screen's size.
// A frame is shown scaled to the window's client area; a rectangle presented alone replaces
// that part of the content; reading the window back gives the content.
#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace platform {

class Window;

enum class FrameLayout {
  kXrgb8888,  // 32-bit pixels, bytes blue, green, red, unused
  kRgb565,    // 16-bit pixels, red 5, green 6, blue 5 bits from the top
};

int FrameBytesPerPixel(FrameLayout layout);

// Pixels owned by the caller; rows top to bottom, pitch bytes apart.
struct FrameView {
  const uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
  FrameLayout layout = FrameLayout::kXrgb8888;
};

class Presenter {
 public:
  virtual ~Presenter() = default;
  // The whole frame becomes the window's content and is shown.
  void Present(const FrameView& frame);
  // The rectangle (right and bottom exclusive, clipped to the frame) of the frame replaces
  // the same rectangle of the content, which is shown. A content of another size or layout
  // is replaced whole.
  void PresentRect(const FrameView& frame, int left, int top, int right, int bottom);
  // Copies the content into a buffer of its size and layout; false when the content has
  // another size or layout (or nothing was shown yet).
  bool ReadBack(uint8_t* pixels, int pitch, int width, int height, FrameLayout layout) const;
  // The client area shows black; the content becomes black.
  void Clear();
  // Shows the content again (black when there is none), as after the window was uncovered.
  void Refresh() { Show(); }

  int contentWidth() const { return width_; }
  int contentHeight() const { return height_; }

 protected:
  // Shows the content (or black when there is none yet).
  virtual void Show() = 0;
  const std::vector<uint8_t>& content() const { return content_; }
  FrameLayout contentLayout() const { return layout_; }
  int contentPitch() const { return width_ * FrameBytesPerPixel(layout_); }

 private:
  void Adopt(const FrameView& frame);

  std::vector<uint8_t> content_;
  int width_ = 0;
  int height_ = 0;
  FrameLayout layout_ = FrameLayout::kXrgb8888;
};

// A presenter drawing into an SDL window; null when the window is not one (or the system
// refuses a renderer). Shows only on the thread that made it (SDL's rule for renderers);
// elsewhere the content is kept for the next show.
std::unique_ptr<Presenter> CreateSdlPresenter(Window* window);

// The presenter the runtime uses instead of making its own (nullptr: its own). The caller
// keeps ownership.
void SetPresenterOverride(Presenter* presenter);
Presenter* GetPresenterOverride();

// The test double: every show is recorded.
class RecordingPresenter final : public Presenter {
 public:
  struct Frame {
    int width = 0;
    int height = 0;
    FrameLayout layout = FrameLayout::kXrgb8888;
    std::vector<uint8_t> pixels;  // rows packed: width x bytes per pixel each
    uint32_t Pixel(int x, int y) const;
  };

  // How many of the last shown frames are kept (the count of shows is kept regardless).
  size_t historyLimit = 4;
  int showCount = 0;
  std::deque<Frame> history;

  // The last frame shown; an empty frame before any.
  const Frame& Last() const;

 protected:
  void Show() override;

 private:
  Frame empty_;
};

}  // namespace platform
