// A runtime started headless in the game's screen mode (800 x 600, 32 bits, window mode)
// and drawing on the back screen, with helpers to read the screens and to make graphs from
// pictures.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/display_device.h"
#include "tests/support/headless_runtime.h"
#include "tests/support/image_fixture.h"

namespace testing_support {

class RunningDisplay {
 public:
  // bits: the screen depth asked for before start-up (16 or 32). device: the display device
  // the runtime takes (kept by the caller, outliving this); null: none, the software display.
  explicit RunningDisplay(int bits = 32, platform::DisplayDevice* device = nullptr);
  ~RunningDisplay();
  RunningDisplay(const RunningDisplay&) = delete;
  RunningDisplay& operator=(const RunningDisplay&) = delete;

  HeadlessRuntime& runtime() { return runtime_; }
  bool started() const { return started_; }
  // A pixel of the back or front screen image as stored (XRGB or 5-6-5).
  uint32_t BackPixel(int x, int y) const;
  uint32_t FrontPixel(int x, int y) const;
  // Writes the picture as a PNG file in the test's directory and loads it as a graph.
  int LoadPicture(const std::string& name, const Picture& picture, const PngOptions& options = {});

 private:
  HeadlessRuntime runtime_;
  bool started_ = false;
};

// Starts the library in a real 800 x 600 window (an X display must be there) on its OpenGL
// device, drawing on the back screen. Null when the window got no device (the library is
// ended again then); the log in the working directory says why.
platform::DisplayDevice* StartGlWindow();

// What the window showed last.
struct ShownFrame {
  bool read = false;
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
};
// Reads the shown frame (only when `read` is set), then ends the library started by
// StartGlWindow and resets the display state.
ShownFrame EndGlWindow(platform::DisplayDevice* device, bool read = true);

// Rows of red, green and blue bytes of 32-bit screen pixels.
std::vector<uint8_t> XrgbToRgb(const std::vector<uint32_t>& xrgb);
// The same of a frame the recording presenter kept.
std::vector<uint8_t> PresentedRgb(const platform::RecordingPresenter::Frame& frame);

// The colour of a 32-bit screen pixel, the fourth byte dropped.
constexpr uint32_t Rgb(uint32_t pixel) { return pixel & 0xFFFFFF; }

}  // namespace testing_support
