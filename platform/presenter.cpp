// The window content every presenter keeps, and the override.
#include <algorithm>
#include <cstring>

#include "platform/presenter.h"

namespace platform {
namespace {

Presenter* g_override = nullptr;

}  // namespace

int FrameBytesPerPixel(FrameLayout layout) { return layout == FrameLayout::kRgb565 ? 2 : 4; }

void Presenter::Adopt(const FrameView& frame) {
  const int bytes = FrameBytesPerPixel(frame.layout);
  const size_t row = static_cast<size_t>(frame.width) * bytes;
  width_ = frame.width;
  height_ = frame.height;
  layout_ = frame.layout;
  content_.resize(row * static_cast<size_t>(frame.height));
  for (int y = 0; y < frame.height; ++y) {
    std::memcpy(content_.data() + row * y, frame.pixels + static_cast<ptrdiff_t>(frame.pitch) * y, row);
  }
}

void Presenter::Present(const FrameView& frame) {
  if (!frame.pixels || frame.width <= 0 || frame.height <= 0) return;
  Adopt(frame);
  Show();
}

void Presenter::PresentRect(const FrameView& frame, int left, int top, int right, int bottom) {
  if (!frame.pixels || frame.width <= 0 || frame.height <= 0) return;
  if (frame.width != width_ || frame.height != height_ || frame.layout != layout_) {
    Adopt(frame);
  } else {
    left = std::clamp(left, 0, frame.width);
    right = std::clamp(right, left, frame.width);
    top = std::clamp(top, 0, frame.height);
    bottom = std::clamp(bottom, top, frame.height);
    const int bytes = FrameBytesPerPixel(frame.layout);
    const size_t span = static_cast<size_t>(right - left) * bytes;
    for (int y = top; y < bottom; ++y) {
      std::memcpy(content_.data() + static_cast<size_t>(contentPitch()) * y + static_cast<size_t>(left) * bytes,
                  frame.pixels + static_cast<ptrdiff_t>(frame.pitch) * y + static_cast<ptrdiff_t>(left) * bytes,
                  span);
    }
  }
  Show();
}

bool Presenter::ReadBack(uint8_t* pixels, int pitch, int width, int height, FrameLayout layout) const {
  if (content_.empty() || width != width_ || height != height_ || layout != layout_) return false;
  const size_t row = static_cast<size_t>(contentPitch());
  for (int y = 0; y < height; ++y) {
    std::memcpy(pixels + static_cast<ptrdiff_t>(pitch) * y, content_.data() + row * y, row);
  }
  return true;
}

void Presenter::Clear() {
  std::fill(content_.begin(), content_.end(), 0);
  Show();
}

void SetPresenterOverride(Presenter* presenter) { g_override = presenter; }
Presenter* GetPresenterOverride() { return g_override; }

}  // namespace platform
