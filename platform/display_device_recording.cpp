// The recording double of the display device: surfaces in memory, every call counted, the
// shown frames and the 3D draws kept for the tests. A file of its own, so the game links
// none of it.
#include <algorithm>
#include <cstring>

#include "platform/display_device_recording.h"
#include "platform/display_surface.h"

namespace platform {

RecordingDisplayDevice::RecordingDisplayDevice(bool with3D) {
  desktop.width = 1920;
  desktop.height = 1080;
  desktop.refreshRate = 60;
  desktop.format = Xrgb8888Format();
  if (with3D) devices3D = DisplayDevice::Devices3D();
  textureFormats = DisplayDevice::TextureFormats3D();
}

int RecordingDisplayDevice::CountCalls(const std::string& name) const {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const DeviceCall& c) { return c.name == name; }));
}

uint32_t RecordingDisplayDevice::ShownPixel(int x, int y) const {
  const int bytes = shownBits / 8;
  if (x < 0 || y < 0 || x >= shownWidth || y >= shownHeight || bytes == 0) return 0;
  uint32_t v = 0;
  std::memcpy(&v, shownPixels.data() + (static_cast<size_t>(y) * shownWidth + x) * bytes, static_cast<size_t>(bytes));
  return v;
}

bool RecordingDisplayDevice::ApplyDisplayMode(int width, int height, int bits, int refreshRate) {
  for (const RefusedMode& m : refusedModes) {
    if ((m.width == 0 || m.width == width) && (m.height == 0 || m.height == height) && (m.bits == 0 || m.bits == bits) &&
        (m.refreshRate == -1 || m.refreshRate == refreshRate)) {
      return false;
    }
  }
  return true;
}

void RecordingDisplayDevice::Show(const LockedPixels& primary, bool waitVBlank) {
  ++shows;
  lastShowWaited = waitVBlank;
  const int bytes = primary.format.bits / 8;
  shownWidth = primary.width;
  shownHeight = primary.height;
  shownBits = primary.format.bits;
  shownPixels.resize(static_cast<size_t>(primary.width) * primary.height * bytes);
  for (int y = 0; y < primary.height; ++y) {
    std::memcpy(shownPixels.data() + static_cast<size_t>(y) * primary.width * bytes,
                primary.pixels + static_cast<size_t>(y) * primary.pitch, static_cast<size_t>(primary.width) * bytes);
  }
}

bool RecordingDisplayDevice::Allow(const DeviceCall& call) {
  calls.push_back(call);
  return std::find(failingCalls.begin(), failingCalls.end(), call.name) == failingCalls.end();
}

bool RecordingDisplayDevice::AllowSurface(const SurfaceDesc&) {
  return !(failSurfaceAt > 0 && --failSurfaceAt == 0);
}

bool RecordingDisplayDevice::Render3D(const Device3DState& state, PrimitiveKind kind, uint32_t layout,
                                      const void* vertices, int count) {
  RecordedDraw d;
  d.kind = kind;
  d.layout = layout;
  d.count = count;
  const auto* bytes = static_cast<const uint8_t*>(vertices);
  d.vertices.assign(bytes, bytes + static_cast<size_t>(count) * VertexSize(layout));
  d.state = state;
  draws.push_back(std::move(d));
  return true;
}

}  // namespace platform
