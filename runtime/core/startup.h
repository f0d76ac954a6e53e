// Start-up and shut-down of the runtime, the system information it logs, and the fatal end.
#pragma once
#include <cstdint>
#include <string>

namespace rt {

// The version start-up writes to the log.
constexpr char kRuntimeVersion[] = "1.00a";
// The DirectX version kept for other code: 7.0, recorded without detection.
constexpr int32_t kDirectXVersion = 0x70000;
// This platform is none of the Windows kinds the OS kind otherwise names.
constexpr int32_t kOsKindOther = -1;
// The processor clock is measured over this long.
constexpr uint32_t kCpuClockMeasureMs = 100;
// The high-resolution counter counts microseconds, and is always there.
constexpr int64_t kPerfCounterFrequency = 1000000;

struct SystemInfo {
  int32_t osKind = kOsKindOther;
  std::string osDescription;
  int hasTsc = 0;
  int mmx = 0;
  int32_t cpuMHz = 0;
  uint64_t cpuTicksPerSecond = 0;
  std::string cpuName;
  int32_t directXVersion = 0;
};

struct RuntimeState {
  int initialising = 0;
  int initialised = 0;
  int ending = 0;  // 1 from the first step of shut-down; 4 after a close request
  int com = 0;
  int perfCounter = 0;
  int64_t perfFrequency = 0;
  std::string startDir;
  SystemInfo system;
};

RuntimeState& GetRuntimeState();

int InitLibraryImpl();
int EndLibraryImpl();
[[noreturn]] void FatalExit(const char* message);
[[noreturn]] void FatalExitFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
int InitCom();
void LogSystemInfo();
void BringWindowToFront(int topmost);

const char* GetOsDescription();
int GetMmxAvailable();

}  // namespace rt
