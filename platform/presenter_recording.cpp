// The recording presenter: the last shown frames kept for the tests. A file of its own, so
// the game links none of it.
#include <cstring>

#include "platform/presenter.h"

namespace platform {

uint32_t RecordingPresenter::Frame::Pixel(int x, int y) const {
  const int bytes = FrameBytesPerPixel(layout);
  uint32_t v = 0;
  std::memcpy(&v, pixels.data() + (static_cast<size_t>(y) * width + x) * bytes, bytes);
  return v;
}

const RecordingPresenter::Frame& RecordingPresenter::Last() const {
  return history.empty() ? empty_ : history.back();
}

void RecordingPresenter::Show() {
  ++showCount;
  if (historyLimit == 0) return;
  // The oldest kept frame lends its buffer: a long play shows thousands of frames, and a
  // fresh 2 MB allocation for each one cost more than drawing it.
  Frame frame;
  if (history.size() >= historyLimit) {
    frame = std::move(history.front());
    history.pop_front();
  }
  frame.width = contentWidth();
  frame.height = contentHeight();
  frame.layout = contentLayout();
  frame.pixels.assign(content().begin(), content().end());
  history.push_back(std::move(frame));
}

}  // namespace platform
