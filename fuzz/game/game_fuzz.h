// What the game's fuzz targets share: the runtime started once per process on the test
// doubles (fake window, stepping clock, scripted input, recording audio) in a working
// directory of its own, the game's globals fresh for every input, and the input written
// where the reader looks for its file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>

#include "game/shell/game_data.h"
#include "runtime/api.h"
#include "tests/support/headless_runtime.h"

namespace game_fuzz {

inline void ResetGame() {
  DeleteAllScreenObjects();
  game.~GameData();
  new (&game) GameData();
  player = Player{};
}

// Starts the runtime at the first call; it lives as long as the process.
inline void Start() {
  static bool started = [] {
    new testing_support::HeadlessRuntime();
    ChangeWindowMode(1);
    if (InitLibrary() != 0) __builtin_trap();
    // The library's threads are joined before the process ends, or their objects' exit
    // handlers abort it.
    std::atexit([] { EndLibrary(); });
    return true;
  }();
  (void)started;
  ResetGame();
}

// The input as the file at path (relative to the working directory), replacing any
// earlier one.
inline void WriteInput(const char* path, const uint8_t* data, size_t size) {
  const std::filesystem::path file(path);
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline void RemoveInput(const char* path) {
  std::error_code error;
  std::filesystem::remove(path, error);
}

}  // namespace game_fuzz
