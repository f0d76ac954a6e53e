// Shared set-up of the shell's tests: a headless runtime (doubles, stepping clock, a fresh
// working directory) and the game's globals back to their state at program start; and a
// game run on it, started as the entry function starts it and driven frame by frame with
// keys held on the scripted keyboard.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <new>
#include <string>

#include "game/shell/game_data.h"
#include "game/shell/game_main.h"
#include "game/shell/user_files.h"
#include "platform/input.h"
#include "tests/support/headless_runtime.h"
#include "tests/support/image_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wave_fixture.h"

namespace shell_test {

inline void ResetGameGlobals() {
  DeleteAllScreenObjects();
  game.~GameData();
  new (&game) GameData();
  player = Player{};
  ClearUserFileNotice();
}

class ShellTest : public ::testing::Test {
 protected:
  ShellTest() { ResetGameGlobals(); }
  ~ShellTest() override { ResetGameGlobals(); }

  std::string File(const std::string& name) const { return rt_.dir().File(name); }

  // Writes a data file as a plain file under the working directory.
  void WriteData(const std::string& path, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(File(path)).parent_path());
    testing_support::WriteFileBytes(File(path), bytes);
  }

  // A PNG of one opaque colour.
  static std::string SolidPng(int width, int height, testing_support::Rgba colour) {
    testing_support::Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<size_t>(width) * height, colour);
    return testing_support::MakePng(picture);
  }

  testing_support::HeadlessRuntime rt_;
};

// Keys of the default assignment: Z is button 1, the confirm action.
namespace key = platform::key;

class GameRunTest : public ShellTest {
 protected:
 public:
  static constexpr testing_support::Rgba kLogoColour{200, 30, 40, 255};

 protected:

  // What boot and the logo need: the version marker, the logo sheet and the menu sounds;
  // and the title's music (a wave file: the music player reads it by its content).
  void WriteBootData() {
    testing_support::Picture marker;
    marker.width = 4;
    marker.height = 4;
    marker.pixels.assign(16, testing_support::Rgba{10, 20, 30, 255});
    WriteData("patch/patch206.bmp", testing_support::MakeBmp(marker));
    WriteData("gsx/ef_01.png", SolidPng(640, 100, kLogoColour));
    const std::string tone =
        testing_support::PcmWav(testing_support::SineTone(1, 22050, 1.0, 440.0), 1, 22050);
    for (const char* sound : {"efx/17_cursor_01.wav", "efx/18_cursor_02.wav", "efx/19_cursor_03.wav"}) {
      WriteData(sound, tone);
    }
    WriteData("bzx/title.ogg", tone);
  }

  void Start() { ASSERT_EQ(StartGame(), 0); }

  // One pass of the frame loop with exactly these keys held; false once the loop ended.
  bool Frame(std::initializer_list<int> keys = {}) {
    rt_.input().ReleaseAllKeys();
    for (int scanCode : keys) rt_.input().SetKey(scanCode, true);
    return RunFrame();
  }

  // A press: one frame held, one released.
  void Press(int scanCode) {
    Frame({scanCode});
    Frame();
  }

  // Runs frames until the state changes; the number of frames run.
  int FramesWhileIn(int state, int limit = 2000) {
    int frames = 0;
    while (game.gameState == state && frames < limit) {
      Frame();
      ++frames;
    }
    return frames;
  }

  // Starts the game, runs boot and enters the title as the logo's end does (the logo's
  // own tests run it through).
  void StartToTitle() {
    WriteBootData();
    Start();
    FramesWhileIn(STATE_BOOT);
    ASSERT_EQ(game.gameState, STATE_LOGO);
    game.gameState = STATE_TITLE;
    game.screenEntered = 0;
    game.menuCursor = 0;
    Frame();
  }

  int Shows() { return rt_.presenter().showCount; }
  uint32_t ShownPixel(int x, int y) { return rt_.presenter().Last().Pixel(x, y) & 0xFFFFFF; }
};

constexpr uint32_t Xrgb(int r, int g, int b) {
  return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

}  // namespace shell_test
