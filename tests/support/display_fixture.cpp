#include "tests/support/display_fixture.h"

#include <cstring>

#include "runtime/api.h"
#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/display/display_state.h"
#include "runtime/display/screen_mode.h"

namespace testing_support {
namespace {

uint32_t ReadImagePixel(const rt::MEMIMG& image, int x, int y) {
  const int bytes = rt::MemImgBytesPerPixel(image.kind, image.paletteFlag, image.alphaFlag);
  uint32_t v = 0;
  std::memcpy(&v, image.pixels + static_cast<int64_t>(y) * image.pitch + static_cast<int64_t>(x) * bytes, bytes);
  return v;
}

}  // namespace

RunningDisplay::RunningDisplay(int bits, platform::DisplayDevice* device) {
  platform::SetDisplayDeviceOverride(device);
  ChangeWindowMode(1);
  SetScreenMode(800, 600, bits, 60);
  started_ = InitLibrary() == 0;
  if (started_) SetDrawScreen(kDrawScreenBack);
}

RunningDisplay::~RunningDisplay() { platform::SetDisplayDeviceOverride(nullptr); }

uint32_t RunningDisplay::BackPixel(int x, int y) const {
  return ReadImagePixel(rt::GetOutputSurfaces().backImage, x, y);
}

uint32_t RunningDisplay::FrontPixel(int x, int y) const {
  return ReadImagePixel(rt::GetOutputSurfaces().frontImage, x, y);
}

int RunningDisplay::LoadPicture(const std::string& name, const Picture& picture, const PngOptions& options) {
  WriteFileBytes(runtime_.dir().File(name), MakePng(picture, options));
  return LoadGraph(name.c_str());
}

platform::DisplayDevice* StartGlWindow() {
  rt::GetLogState() = rt::LogState{};
  rt::GetRuntimeState() = rt::RuntimeState{};
  rt::GetWindowState().settings = rt::WindowSettings{};
  rt::ResetDisplayState();
  ChangeWindowMode(1);
  SetScreenMode(800, 600, 32, 60);
  if (InitLibrary() != 0) return nullptr;
  platform::DisplayDevice* device = rt::GetScreenStateRecord().device;
  if (device == nullptr) {
    EndLibrary();
    return nullptr;
  }
  SetDrawScreen(kDrawScreenBack);
  return device;
}

std::vector<uint8_t> XrgbToRgb(const std::vector<uint32_t>& xrgb) {
  std::vector<uint8_t> rgb;
  rgb.reserve(xrgb.size() * 3);
  for (uint32_t v : xrgb) rgb.insert(rgb.end(), {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
  return rgb;
}

std::vector<uint8_t> PresentedRgb(const platform::RecordingPresenter::Frame& frame) {
  std::vector<uint8_t> rgb;
  rgb.reserve(static_cast<size_t>(frame.width) * frame.height * 3);
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      const uint32_t v = frame.Pixel(x, y);
      rgb.insert(rgb.end(), {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    }
  }
  return rgb;
}

ShownFrame EndGlWindow(platform::DisplayDevice* device, bool read) {
  ShownFrame frame;
  frame.read = read && device->ReadShownFrame(&frame.pixels, &frame.width, &frame.height);
  EndLibrary();
  rt::ResetDisplayState();
  return frame;
}

}  // namespace testing_support
