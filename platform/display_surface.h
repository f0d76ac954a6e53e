// The record behind a display device's surface, shared by the device's common part and its
// platform parts.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/display_device.h"

namespace platform {

inline bool IsEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

inline Rect Intersection(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

// The smallest rectangle holding both (an empty one adds nothing).
inline Rect Bounding(const Rect& a, const Rect& b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

inline bool Contains(const Rect& outer, const Rect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

struct DeviceSurface {
  SurfaceKind kind = SurfaceKind::kOffscreenPlain;
  DevicePixelFormat format;
  int width = 0;
  int height = 0;
  int pitch = 0;
  std::vector<uint8_t> pixels;
  bool systemMemory = false;
  bool windowed = false;  // a primary addressed in desktop coordinates
  bool lost = false;
  bool locked = false;
  bool inDC = false;
  bool hasKey = false;
  uint32_t key = 0;
  DeviceSurface* backBuffer = nullptr;
  DeviceSurface* frontOfChain = nullptr;  // set on a back buffer: its primary
  DeviceSurface* zBuffer = nullptr;
  // Changes whenever the pixels in memory change, so a platform copy knows it is stale.
  uint64_t generation = 1;

  int bytes() const { return format.bits / 8; }
  void Resize(int w, int h) {
    width = w;
    height = h;
    pitch = (w * bytes() + 3) & ~3;
    pixels.assign(static_cast<size_t>(pitch) * std::max(h, 0), 0);
  }
  uint8_t* At(int x, int y) { return pixels.data() + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * bytes(); }
};

}  // namespace platform
