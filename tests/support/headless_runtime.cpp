#include "tests/support/headless_runtime.h"

#include <thread>

#include "platform/thread.h"
#include "platform/window.h"
#include "runtime/api.h"
#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/display/display_state.h"

namespace testing_support {
namespace {

constexpr uint64_t kClockStepUs = 50;
constexpr uint64_t kStartUs = 5000000;
constexpr int kGameScreenWidth = 800;
constexpr int kGameScreenHeight = 600;
constexpr int kGameScreenBits = 32;
constexpr int kGameRefreshRate = 60;

void ResetRuntimeState() {
  rt::GetLogState() = rt::LogState{};
  rt::GetRuntimeState() = rt::RuntimeState{};
  rt::GetWindowState().settings = rt::WindowSettings{};
  rt::ResetDisplayState();
}

}  // namespace

void SteppingClock::Sleep(uint32_t ms) {
  us_ += uint64_t{ms} * 1000;
  std::this_thread::yield();
}

HeadlessRuntime::HeadlessRuntime() : windows_(dir_.path()), clock_(kStartUs, kClockStepUs) {
  platform::SetClock(&clock_);
  platform::SetWindowSystem(&windows_);
  platform::SetInputBackend(&input_);
  platform::SetAudioSinkOverride(&audio_);
  platform::SetPresenterOverride(&presenter_);
  // Like SDL: only the thread that makes the window takes its messages.
  windows_.SetTakingThread(platform::CurrentThreadId());
  ResetRuntimeState();
  SetScreenMode(kGameScreenWidth, kGameScreenHeight, kGameScreenBits, kGameRefreshRate);
}

HeadlessRuntime::~HeadlessRuntime() {
  EndLibrary();
  platform::SetWindowSystem(nullptr);
  platform::SetInputBackend(nullptr);
  platform::SetAudioSinkOverride(nullptr);
  platform::SetPresenterOverride(nullptr);
  platform::SetClock(nullptr);
  ResetRuntimeState();
}

std::string HeadlessRuntime::Log() const { return ReadFileBytes(dir_.File("Log.txt")); }

int FindInOrder(const std::string& haystack, std::initializer_list<const char*> needles) {
  size_t from = 0;
  int last = -1;
  for (const char* needle : needles) {
    size_t at = haystack.find(needle, from);
    if (at == std::string::npos) return -1;
    last = static_cast<int>(at);
    from = at + 1;
  }
  return last;
}

}  // namespace testing_support
