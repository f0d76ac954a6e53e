#include "runtime/core/startup.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/filesystem.h"
#include "platform/system_info.h"
#include "platform/window.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/log.h"
#include "runtime/core/screen_log.h"
#include "runtime/core/memory.h"
#include "runtime/core/strings.h"
#include "runtime/core/time.h"
#include "runtime/core/window.h"
#include "runtime/display/draw_state.h"
#include "runtime/display/screen_mode.h"
#include "runtime/file/archive_layer.h"
#include "runtime/file/stream.h"
#include "runtime/font/key_input_canvas.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/graphics_startup.h"
#include "runtime/input/input_devices.h"
#include "runtime/input/key_input.h"
#include "runtime/net/http_client.h"
#include "runtime/net/network.h"
#include "runtime/sound/sound.h"
#include "runtime/movie/movie.h"

namespace rt {
namespace {

RuntimeState g_runtime;

// The colour depth the runtime cannot draw in.
constexpr int kRefusedColorBits = 24;
// Ticks counted over the 100 ms measurement, scaled to a second and to MHz.
constexpr uint64_t kMeasuresPerSecond = 1000 / kCpuClockMeasureMs;
constexpr double kTicksToMHz = 0.00001;

// Logs formatted text as it stands (LogAddFormat would add a line feed).
void LogFormatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogFormatted(const char* format, ...) {
  char buffer[kFormatBufferSize];
  va_list args;
  va_start(args, format);
  FormatStringV(buffer, format, args);
  va_end(args);
  LogAdd(buffer);
}

bool RefusesColorDepth() {
  platform::DesktopInfo desktop;
  const bool known = platform::GetWindowSystem().QueryDesktop(&desktop);
  const WindowSettings& settings = GetWindowState().settings;
  return (known && settings.windowMode && desktop.colorBits == kRefusedColorBits) ||
         GetScreenColorBitDepth() == kRefusedColorBits;
}

void LogOsDescription(SystemInfo& info) {
  LogAdd("ＯＳ  ");
  const platform::OsVersion os = platform::QueryOsVersion();
  char description[kFormatBufferSize];
  FormatString(description, "%s %s ( %s %s )", os.name.c_str(), os.release.c_str(),
               os.version.c_str(), os.machine.c_str());
  info.osKind = kOsKindOther;
  info.osDescription = description;
  LogAddFormat("%s", description);
}

void MeasureCpuClock(SystemInfo& info) {
  platform::Clock& clock = platform::GetClock();
  const uint64_t ticksBefore = platform::ReadTimeStampCounter();
  const uint32_t start = clock.Milliseconds();
  // The time-stamp counter runs at its constant rate whether the processor works or sleeps,
  // so the measurement sleeps through its 100 ms instead of spinning them away.
  for (uint32_t elapsed = 0; elapsed < kCpuClockMeasureMs; elapsed = clock.Milliseconds() - start) {
    clock.Sleep(kCpuClockMeasureMs - elapsed);
  }
  const uint64_t ticks = platform::ReadTimeStampCounter() - ticksBefore;
  info.cpuTicksPerSecond = ticks * kMeasuresPerSecond;
  info.cpuMHz = static_cast<int32_t>(static_cast<double>(ticks) * kTicksToMHz);
  LogAddFormat("ＣＰＵ動作速度：大体%.2fGHz", info.cpuMHz * 0.001);
}

void LogProcessor(SystemInfo& info) {
  const platform::CpuInfo cpu = platform::QueryCpu();
  if (!cpu.hasCpuid) LogAdd("ＣＰＵＩＤ命令は使えません\n");
  info.hasTsc = cpu.hasTsc;
  if (cpu.hasTsc) MeasureCpuClock(info);
  if (cpu.hasMmx) {
    LogAdd("ＭＭＸ命令を使用します\n");
    info.mmx = 1;
  } else {
    LogAdd("ＭＭＸは使えません\n");
  }
  if (cpu.hasCpuid) {
    LogAdd("ＣＰＵベンダ：");
    for (int piece = 0; piece < 3; ++piece) {
      char part[5] = {};
      std::memcpy(part, cpu.vendor + piece * 4, 4);
      LogAdd(part);
    }
    LogAdd("\n");
  }
  if (!cpu.name.empty()) {
    LogAddFormat("ＣＰＵ名：%s", cpu.name.c_str());
    info.cpuName = cpu.name;
  }
}

// Start-up failed after the window step: take down what was started.
int FailStartup() {
  EndLibraryImpl();
  g_runtime.initialising = 0;
  return -1;
}

}  // namespace

RuntimeState& GetRuntimeState() { return g_runtime; }

int InitLibraryImpl() {
  RuntimeState& r = g_runtime;
  // A second start would tear down the running runtime at its window step.
  if (r.initialised || r.initialising) return LogAdd("ライブラリは既に初期化されています\n");
  r.initialising = 1;
  GetWindowState().session.everMade = 0;

  if (GetSoftwareRenderRequest() == 1) SetUseHardwareRender(0);
  InitArchiveLayer();
  SetStreamFunctionTable(nullptr);
  {
    char dir[kStreamPathSize] = {};
    StreamGetCurrentDir(dir);
    r.startDir = dir;
  }
  SetLogDirectory(r.startDir);
  LogStart();

  if (RefusesColorDepth()) {
    LogAdd("ＲＴライブラリは２４ビットカラーモードに対応していません\n");
    r.initialising = 0;
    return -1;
  }
  r.perfFrequency = kPerfCounterFrequency;
  r.perfCounter = 1;
  LogSystemInfo();
  // display: SetUseTempPrimaryFlag (1) belongs to OS kind 0x108, which this platform never is
  InitStreamAccessSets();
  SetGraphRestoreCallback(nullptr);
  if (InitCom() == -1 || CreateMainWindow() == -1) return FailStartup();
  ClearHttpTable();
  if (InitInput() == -1) return FailStartup();
  InitSound();  // a machine without sound still runs the game
  if (InitGraphics(GetMainWindowHandle()) < 0) return FailStartup();
  InstallKeyInputCanvas();
  InitCharCodeBuffer();
  r.initialised = 1;
  SetWaitVSyncFlag(1);
  if (!GetWindowModeFlag()) BringWindowToFront(1);
  InitScreenLog();
  SetDrawScreenImpl(kBackScreen);
  SetDrawScreenImpl(kFrontScreen);
  WarmUpGraphics();
  r.initialising = 0;
  return 0;
}

int EndLibraryImpl() {
  RuntimeState& r = g_runtime;
  r.ending = 1;
  DeleteScreenLogFont();
  DeleteAllHttpHandles();
  EndNetWork();
  StopMusicImpl();
  EndGraphics();
  // A movie left open (its graph gone with the graph table) stops before the sound does.
  CloseAllMovies();
  EndInput();
  EndSound();
  EndMainWindow();
  if (r.com) {
    LogAdd("ＣＯＭを終了... 完了\n");
    r.com = 0;
  }
  r.initialised = 0;
  if (GetWindowState().session.everMade) {
    while (ProcessMessageImpl() == 0 && !GetWindowEndFlag()) {
    }
  }
  if (!r.startDir.empty()) StreamSetCurrentDir(r.startDir.c_str());
  CloseAllArchives();
  DumpMemory();
  return 0;
}

void FatalExit(const char* message) {
  LogAdd(message ? message : "");
  LogAdd("\n");
  EndLibraryImpl();
  TearDownLibraryLock();
  std::exit(-1);
}

void FatalExitFormat(const char* format, ...) {
  char buffer[kFormatBufferSize];
  va_list args;
  va_start(args, format);
  FormatStringV(buffer, format, args);
  va_end(args);
  FatalExit(buffer);
}

int InitCom() {
  if (g_runtime.com) return -1;
  LogAdd("ＣＯＭの初期化... ");
  // This platform has no component system to start; the flag keeps the start-up order's
  // double-start refusal and its log lines.
  LogAdd("成功しました\n");
  g_runtime.com = 1;
  return 0;
}

void LogSystemInfo() {
  SystemInfo& info = g_runtime.system;
  LogAdd("システムの情報を出力します\n");
  LogIndentIncrease();
  LogFormatted("ＲＴライブラリ Ver%s\n", kRuntimeVersion);
  LogOsDescription(info);
  info.directXVersion = kDirectXVersion;
  LogProcessor(info);
  LogIndentDecrease();
}

void BringWindowToFront(int topmost) {
  if (platform::Window* window = GetMainWindowHandle()) window->BringToFront(topmost != 0);
}

const char* GetOsDescription() { return g_runtime.system.osDescription.c_str(); }
int GetMmxAvailable() { return g_runtime.system.mmx; }

}  // namespace rt
