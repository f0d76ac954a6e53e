// The record behind a display device's surface, shared by the device's common part and its
// platform parts.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/display_device.h"

namespace platform {

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
