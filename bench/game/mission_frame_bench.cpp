// The game's own frame loop on the data set's first stage in a real window (a virtual X
// server's, DISPLAY set; skipped without one or without the built data set), standing at the
// stage's start while the stage runs, on the software display and through the OpenGL device.
//
// "shown_fps" counts the frames the game presented per second of real time: the loop keeps
// 17 ms frames (58.8 a second when every frame is shown) and leaves out the present of a
// frame that took 20 ms or more. "work_ms" is the game thread's processor time per shown
// frame up to the end of its present (the loop's wait for the frame's end left out), and
// "cpu_ms" the whole process's over the same span (the GL's own threads included);
// "vs_software" (whole process) and "work_vs_software" (game thread) the GL device's figures
// over the software display's, in the same run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/display_cost.h"
#include "game/shell/game_data.h"
#include "game/shell/game_main.h"
#include "platform/clock.h"
#include "platform/thread.h"
#include "runtime/api.h"
#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/display/display_state.h"
#include "runtime/display/screen_flip.h"
#include "tests/support/temp_dir.h"

namespace {

using bench_support::CpuSeconds;

// The system clock, which also notes the processor time a frame took up to its present: the
// game thread's first reading of the clock after the flip count moved ends the frame's work.
class FrameClock final : public platform::Clock {
 public:
  uint32_t Milliseconds() override {
    Mark();
    return system_.Milliseconds();
  }
  uint64_t Microseconds() override {
    Mark();
    return system_.Microseconds();
  }
  void Sleep(uint32_t ms) override { system_.Sleep(ms); }

  void BeginFrame() {
    flips_ = rt::GetScreenFlipCount();
    threadStart_ = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    processStart_ = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    open_ = true;
  }

  int shown = 0;
  double work = 0.0;
  double process = 0.0;

 private:
  void Mark() {
    if (!open_ || platform::CurrentThreadId() != thread_ || rt::GetScreenFlipCount() == flips_) return;
    open_ = false;
    ++shown;
    work += CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - threadStart_;
    process += CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart_;
  }

  platform::SystemClock system_;
  uint32_t thread_ = platform::CurrentThreadId();
  uint64_t flips_ = 0;
  double threadStart_ = 0.0;
  double processStart_ = 0.0;
  bool open_ = false;
};

void BM_FirstStageInWindow(benchmark::State& state) {
  const bool software = state.range(0) == 0;
  if (bench_support::SkippedWithoutXDisplay(state)) return;
  testing_support::ScopedTempDir dir;
  bool archives = false;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(DATASET_RUN_DIR, error)) {
    if (entry.path().extension() != ".akn") continue;
    std::filesystem::copy_file(entry.path(), dir.File(entry.path().filename().string()), error);
    archives = true;
  }
  if (!archives) {
    state.SkipWithError("no data set (build the dataset target)");
    return;
  }
  rt::GetLogState() = rt::LogState{};
  rt::GetRuntimeState() = rt::RuntimeState{};
  rt::GetWindowState().settings = rt::WindowSettings{};
  rt::ResetDisplayState();
  SetSoftwareRenderRequest(software ? 1 : 0);
  if (StartGame() != 0 || software != (rt::GetScreenStateRecord().device == nullptr)) {
    EndGame();
    state.SkipWithError(software ? "the software display did not start" : "no OpenGL device");
    return;
  }
  // Boot (the common graphs and sounds), then the story's first stage.
  for (int i = 0; i < 10 && game.gameState == STATE_BOOT; ++i) RunFrame();
  game.gameMode = kModeStory;
  game.character = 0;
  game.area = 0;
  game.subStage = 0;
  game.gameState = STATE_STAGE_LOAD;
  game.screenEntered = 0;
  for (int i = 0; i < 30 && game.gameState == STATE_STAGE_LOAD; ++i) RunFrame();
  if (game.gameState != STATE_STAGE_PLAY) {
    EndGame();
    state.SkipWithError("the first stage did not start");
    return;
  }
  FrameClock clock;
  platform::SetClock(&clock);
  int64_t frames = 0;
  for (auto _ : state) {
    clock.BeginFrame();
    if (!RunFrame()) break;
    ++frames;
  }
  platform::SetClock(nullptr);
  EndGame();
  rt::ResetDisplayState();
  const double work = clock.shown ? clock.work / clock.shown : 0.0;
  const double cpu = clock.shown ? clock.process / clock.shown : 0.0;
  state.counters["shown_fps"] = benchmark::Counter(static_cast<double>(clock.shown), benchmark::Counter::kIsRate);
  state.counters["frames"] = static_cast<double>(frames);
  bench_support::ReportDisplayCost(state, software, cpu, work);
}
BENCHMARK(BM_FirstStageInWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
