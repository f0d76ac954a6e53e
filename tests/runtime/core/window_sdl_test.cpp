// The SDL window system without a display: SDL's dummy video driver.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "platform/window.h"
#include "runtime/api.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::WindowEventType;
using testing_support::ScopedTempDir;

// A 2 x 2 24-bit BMP.
std::string TinyBmp() {
  const unsigned char header[54] = {
      'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                // file header
      40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,  // info header
      16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::string bmp(reinterpret_cast<const char*>(header), sizeof header);
  bmp += std::string(16, '\x40');  // two rows of 2 pixels, each padded to 8 bytes
  return bmp;
}

class SdlWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }
  platform::WindowSystem& system() { return platform::GetWindowSystem(); }
};

TEST_F(SdlWindowTest, WindowOnTheDummyDriver) {
  platform::DesktopInfo desktop;
  ASSERT_TRUE(system().QueryDesktop(&desktop));
  EXPECT_GT(desktop.width, 0);
  EXPECT_EQ(desktop.colorBits, 32);  // an XRGB desktop counts as 32 bits, not 24

  platform::WindowParams params;
  params.titleUtf8 = "test";
  params.x = 10;
  params.y = 20;
  params.width = 640;
  params.height = 480;
  platform::Window* window = system().CreateWindow(params);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(system().CreateWindow(params), nullptr);  // one window only
  platform::Rect client = window->ClientRect();
  EXPECT_EQ(client.Width(), 640);
  EXPECT_EQ(client.Height(), 480);
  window->SetClientSize(400, 300);
  EXPECT_EQ(window->ClientRect().Width(), 400);
  window->Show();
  window->FillBlack();

  ScopedTempDir dir;
  testing_support::WriteFileBytes(dir.File("icon.bmp"), TinyBmp());
  EXPECT_TRUE(window->SetIconFromFile(dir.File("icon.bmp")));
  EXPECT_FALSE(window->SetIconFromFile(dir.File("missing.bmp")));

  // Posted messages come first, and only to the thread that made the window.
  platform::WindowEvent close;
  close.type = WindowEventType::kClose;
  system().PostEvent(close);
  bool elsewhere = true;
  std::thread other([&] {
    platform::WindowEvent e;
    elsewhere = system().TakeEvent(&e);
  });
  other.join();
  EXPECT_FALSE(elsewhere);
  platform::WindowEvent taken;
  ASSERT_TRUE(system().TakeEvent(&taken));
  EXPECT_EQ(taken.type, WindowEventType::kClose);
  EXPECT_FALSE(system().IsKeyHeld(platform::kVkEscape));

  system().DestroyWindow(window);
  platform::WindowEvent none;
  EXPECT_FALSE(system().TakeEvent(&none));
}

TEST_F(SdlWindowTest, NoDisplayIsRefusedRatherThanRunUnseen) {
  // With no display to reach SDL would fall back to an invisible offscreen window.
  unsetenv("SDL_VIDEODRIVER");
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  platform::DesktopInfo desktop;
  EXPECT_FALSE(system().QueryDesktop(&desktop));
  EXPECT_EQ(system().CreateWindow(platform::WindowParams{}), nullptr);
}

TEST_F(SdlWindowTest, RuntimeStartsAndEndsHeadless) {
  ScopedTempDir dir;
  // Parallel test runs must not see each other as a second instance.
  const std::string title = "sdl test " + std::to_string(getpid());
  SetLogOutput(0);
  ChangeWindowMode(1);
  SetMainWindowText(title.c_str());
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(ProcessMessage(), 0);
  EXPECT_EQ(WaitTime(20), 0);
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(ProcessMessage(), -1);
}

}  // namespace
