// The display device's test double, apart from the device so that the game links none of it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/display_device.h"

namespace platform {

// The test double: surfaces in memory, every call recorded, failures on request.
class RecordingDisplayDevice final : public DisplayDevice {
 public:
  std::vector<DeviceCall> calls;
  // The device cannot be had at all (as when no GL context can be made).
  bool refuseContext = false;
  // Display modes refused by SetDisplayMode (width, height, bits; 0 matches any).
  struct RefusedMode {
    int width = 0, height = 0, bits = 0, refreshRate = -1;  // refreshRate -1: any
  };
  std::vector<RefusedMode> refusedModes;
  // The nth surface made from now on (1 the next) fails; 0 none.
  int failSurfaceAt = 0;
  // Calls of this name fail.
  std::vector<std::string> failingCalls;
  DisplayModeInfo desktop;
  int shows = 0;
  int vblankWaits = 0;
  std::vector<uint8_t> shownPixels;  // the primary as last shown, rows packed
  int shownWidth = 0;
  int shownHeight = 0;
  int shownBits = 0;
  bool lastShowWaited = false;

  // with3D: the device offers the standard 3D device; without it the display draws through
  // the 2D surfaces alone, as on a card without 3D.
  explicit RecordingDisplayDevice(bool with3D = false);
  bool Available() const override { return !refuseContext; }

  // The 3D side: what enumeration reports (none, or the standard set, until changed), and
  // every draw.
  std::vector<Device3DInfo> devices3D;
  std::vector<DevicePixelFormat> textureFormats;
  struct RecordedDraw {
    PrimitiveKind kind = PrimitiveKind::kTriangleList;
    uint32_t layout = 0;
    int count = 0;
    std::vector<uint8_t> vertices;
    Device3DState state;
  };
  std::vector<RecordedDraw> draws;
  int CountCalls(const std::string& name) const;
  uint32_t ShownPixel(int x, int y) const;

 protected:
  bool ApplyDisplayMode(int width, int height, int bits, int refreshRate) override;
  void ApplyDesktopMode() override {}
  DisplayModeInfo DesktopMode() const override { return desktop; }
  void Show(const LockedPixels& primary, bool waitVBlank) override;
  void WaitVBlank() override { ++vblankWaits; }
  bool Allow(const DeviceCall& call) override;
  bool AllowSurface(const SurfaceDesc& desc) override;
  bool Render3D(const Device3DState& state, PrimitiveKind kind, uint32_t layout, const void* vertices,
                int count) override;
  std::vector<Device3DInfo> Devices3D() const override { return devices3D; }
  std::vector<DevicePixelFormat> TextureFormats3D() const override { return textureFormats; }
};

}  // namespace platform
