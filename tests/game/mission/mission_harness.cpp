#include "tests/game/mission/mission_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <new>

#include "game/mission/effects.h"
#include "game/mission/mission_pools.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/game_main.h"
#include "runtime/core/random.h"
#include "tests/support/image_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wave_fixture.h"

namespace mission_test {

namespace {

using testing_support::Picture;
using testing_support::Rgba;

// A sheet whose cells each have their own colour, with a transparent border round each
// cell, so that a wrong cell or a wrong place shows in the frame.
Picture CellSheet(int cellW, int cellH, int columns, int rows, int seed) {
  Picture p;
  p.width = cellW * columns;
  p.height = cellH * rows;
  p.pixels.resize(static_cast<size_t>(p.width) * p.height);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const int cx = x / cellW, cy = y / cellH, ix = x % cellW, iy = y % cellH;
      const bool border = ix < 2 || iy < 2 || ix >= cellW - 2 || iy >= cellH - 2;
      const uint8_t base = static_cast<uint8_t>(seed * 37 + cx * 29 + cy * 17);
      p.pixels[static_cast<size_t>(y) * p.width + x] =
          border ? Rgba{0, 0, 0, 0} : Rgba{base, static_cast<uint8_t>(255 - base), static_cast<uint8_t>(seed * 50), 255};
    }
  }
  return p;
}

uint32_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint32_t h = 2166136261u;
  for (uint8_t b : bytes) {
    h ^= b;
    h *= 16777619u;
  }
  return h;
}

struct DataFile {
  std::string path;
  std::string bytes;
};

// The files every harness starts with: the player sheets and the chips the tests' stages
// use, every sound effect in WAV form (one pitch each, so that a test can tell which
// played) and the version marker. Encoding them costs more than a small test's play, so
// they are made once per process; every harness writes its own copies into its own
// directory, so nothing a test changes reaches the next one.
const std::vector<DataFile>& StartData() {
  static const std::vector<DataFile> files = [] {
    std::vector<DataFile> out;
    const char* sheets[3] = {"gsx/oruha1.png", "gsx/oruha2.png", "gsx/oruha3.png"};
    for (int i = 0; i < 3; ++i) out.push_back({sheets[i], testing_support::MakePng(CellSheet(120, 108, 8, 9, i + 1))});
    struct Chip {
      const char* code;
      int w, h, columns, rows;
    };
    // Blocks, ledges, doors, ladder, hiding place, goal.
    const Chip chips[] = {{"25", 40, 40, 5, 1}, {"30", 40, 20, 5, 2}, {"1", 40, 80, 9, 1},
                          {"65", 40, 40, 1, 1}, {"64", 40, 80, 1, 1}, {"99", 80, 40, 2, 2}};
    int seed = 4;
    for (const Chip& c : chips) {
      out.push_back({std::string("csx/1/") + c.code + ".png",
                     testing_support::MakePng(CellSheet(c.w, c.h, c.columns, c.rows, seed++))});
    }
    for (int i = 0; i < kSoundSlots; ++i) {
      const std::string path = kSoundEffectPaths[i];
      if (!path.ends_with(".wav")) continue;
      out.push_back({path, testing_support::PcmWav(testing_support::SineTone(1, 22050, 1.0, 300.0 + 20.0 * i), 1, 22050)});
    }
    out.push_back({"patch/patch206.bmp", testing_support::MakeBmp(CellSheet(4, 4, 1, 1, 1))});
    return out;
  }();
  return files;
}

}  // namespace

void ResetGameGlobals() {
  DeleteAllScreenObjects();
  game.~GameData();
  new (&game) GameData();
  player = Player{};
  ResetMissionPools();
  // Debris bursts outlive the per-stage reset; a test starts without any.
  for (DebrisBurst& b : debrisBursts) b = DebrisBurst{};
}

MissionHarness::MissionHarness(uint32_t seed) {
  ResetGameGlobals();
  for (const DataFile& f : StartData()) WriteData(f.path, f.bytes);
  EXPECT_EQ(StartGame(), 0);
  rt::SeedRandom(seed);
  // Boot loading: the common graphics (player sheets) and the sound effects.
  Frame({});
}

MissionHarness::~MissionHarness() {
  EndGame();
  ResetGameGlobals();
}

void MissionHarness::WriteData(const std::string& path, const std::string& bytes) const {
  std::filesystem::create_directories(std::filesystem::path(File(path)).parent_path());
  testing_support::WriteFileBytes(File(path), bytes);
}

bool MissionHarness::LoadStage(const std::string& record, int area, int subStage) {
  game.gameMode = kModeStory;
  game.character = 0;
  game.area = static_cast<uint8_t>(area);
  game.subStage = static_cast<uint8_t>(subStage);
  WriteData("bin/" + std::to_string(area + 1) + "-" + std::to_string(subStage + 1), record);
  return LoadCurrentStage();
}

bool MissionHarness::LoadCurrentStage() {
  game.gameState = STATE_STAGE_LOAD;
  game.screenEntered = 0;
  Frame({});
  return game.gameState == STATE_STAGE_PLAY || game.gameState == STATE_STAGE_PLAY_MODE;
}

void MissionHarness::Frame(const std::vector<int>& keys) {
  if (keyLog_ != nullptr) keyLog_->push_back(keys);
  rt_.input().ReleaseAllKeys();
  for (int scanCode : keys) rt_.input().SetKey(scanCode, true);
  RunFrame();
  if (afterFrame_) afterFrame_();
}

PlayResult MissionHarness::Play(int frames, const KeyScript& keys) {
  for (int f = 0; f < frames; ++f) Frame(keys(f));
  return Snapshot();
}

PlayResult MissionHarness::Hold(int frames, std::initializer_list<int> keys) {
  const std::vector<int> held(keys);
  return Play(frames, [&held](int) { return held; });
}

PlayResult MissionHarness::Snapshot() {
  PlayResult r;
  r.player = player;
  r.mapObjects.assign(pools.mapObjects, pools.mapObjects + game.mapObjectCount);
  r.scrollX = game.scrollX;
  r.scrollY = game.scrollY;
  r.gameState = game.gameState;
  return r;
}

std::string WithoutStoryTriggers(std::string record) {
  constexpr size_t kGridBytes = 2700;
  for (size_t i = 0; i < std::min(record.size(), kGridBytes); ++i) {
    if (record[i] >= 15 && record[i] <= 19) record[i] = 0;
  }
  return record;
}

uint32_t MissionHarness::LastFrameChecksum() { return Fnv1a(rt_.presenter().Last().pixels); }

}  // namespace mission_test
