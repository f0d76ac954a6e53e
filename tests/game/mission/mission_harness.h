// Headless mission play: the real shell and runtime on the platform doubles, with scripted
// keys per frame, the stepping clock, a seeded random generator and the captured screen.
// A stage comes from a record (built in the test or read from a data set); frames run the
// frame loop as the game does; a play returns the player and the pools, and a checksum of
// the last shown frame is there to be asked for.
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "game/mission/map_objects.h"
#include "game/mission/player.h"
#include "tests/support/headless_runtime.h"

namespace mission_test {

struct PlayResult {
  Player player;
  std::vector<MapObject> mapObjects;  // slots 0 .. mapObjectCount − 1
  int scrollX = 0, scrollY = 0;
  int gameState = 0;
  int worldX() const { return player.x + scrollX; }
  int worldY() const { return player.y - scrollY; }
};

// The keys held on a frame of a scripted run.
using KeyScript = std::function<std::vector<int>(int frame)>;

class MissionHarness {
 public:
  explicit MissionHarness(uint32_t seed = 1);
  ~MissionHarness();
  MissionHarness(const MissionHarness&) = delete;
  MissionHarness& operator=(const MissionHarness&) = delete;

  testing_support::HeadlessRuntime& runtime() { return rt_; }
  std::string File(const std::string& name) const { return rt_.dir().File(name); }
  void WriteData(const std::string& path, const std::string& bytes) const;

  // Writes the record where the story's first character finds stage (area, sub-stage) and
  // runs the stage-load state; false when the loader refused it.
  bool LoadStage(const std::string& record, int area = 0, int subStage = 0);
  // Runs the stage-load state on files already in place (for example a built data set
  // copied into the working directory).
  bool LoadCurrentStage();

  // Plays frames with the keys the script gives for each one.
  PlayResult Play(int frames, const KeyScript& keys);
  // Plays frames with the same keys held throughout.
  PlayResult Hold(int frames, std::initializer_list<int> keys = {});
  // One frame of the game loop with exactly these keys held.
  void Frame(const std::vector<int>& keys);

  PlayResult Snapshot();
  uint32_t LastFrameChecksum();

  // From now on every frame's keys are appended to `log` (nullptr stops it).
  void LogKeys(std::vector<std::vector<int>>* log) { keyLog_ = log; }
  // Called after every frame from now on (empty: none).
  void AfterEachFrame(std::function<void()> hook) { afterFrame_ = std::move(hook); }

 private:
  testing_support::HeadlessRuntime rt_;
  std::vector<std::vector<int>>* keyLog_ = nullptr;
  std::function<void()> afterFrame_;
};

// The record with its story triggers (tile codes 15-19) cleared: runs about a stage's
// geometry would otherwise stop in the talks the triggers start.
std::string WithoutStoryTriggers(std::string record);

// The game's globals back to their state at program start.
void ResetGameGlobals();

}  // namespace mission_test
