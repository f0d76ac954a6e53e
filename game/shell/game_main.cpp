#include "game/shell/game_main.h"

#include <cstdint>
#include <cstring>

#include "game/editor/vr_digits.h"
#include "game/shell/action_mapping.h"
#include "game/shell/clear_result_panel.h"
#include "game/shell/game_data.h"
#include "game/shell/game_over.h"
#include "game/shell/game_states.h"
#include "game/shell/startup_tables.h"
#include "game/shell/user_files.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"

namespace {

constexpr char kWindowTitle[] = "サイレントデッキ CODE:K  ver2.0.6";
constexpr uint8_t kTimeFileMarks[3] = {2, 0, 6};
constexpr int kScreenModeWidth = 800, kScreenModeHeight = 600, kScreenModeBits = 32, kRefreshRate = 60;
constexpr int kWindowIconId = 101;
constexpr char kSoftwareDisplayOption[] = "--software-display";
constexpr double kWindowScaleSmall = 0.8;
constexpr double kWindowScaleSmaller = 0.5;
constexpr char kArchiveExtension[] = "akn";
constexpr char kArchiveKeyString[] = "pela_vix";
// Its absence means the data set is older than the program.
constexpr char kVersionMarkerPath[] = "patch/patch206.bmp";
constexpr int kDefaultFontSize = 12;
constexpr int kDefaultFontThickness = 2;
constexpr int kEscapeScanCode = 1;
constexpr int kFramesPerSecond = 60;
constexpr int kClockMaxSeconds = 60;
constexpr int kClockMaxMinutes = 60;
// Player action states from which the VR clock stands still (cleared, down, results).
constexpr int kClockStopAction = 30;

}  // namespace

int StartGame() {
  game.quitRequested = 0;
  game.autoSave = 1;
  game.fullScreen = 0;
  for (int i = 1; i <= kActionCount; ++i) game.keyAssign[i] = i;
  game.bgmVolume = 100;
  game.seVolume = 100;
  game.graphicsLevel = 0;

  ReadSettingsFile();
  EnsureUserDirectories();
  if (game.fullScreen == 0) ChangeWindowMode(1);
  SetMainWindowText(kWindowTitle);
  for (int i = 0; i < 3; ++i) game.timeFileMarks[i] = kTimeFileMarks[i];
  SetLogOutput(0);
  SetScreenMode(kScreenModeWidth, kScreenModeHeight, kScreenModeBits, kRefreshRate);
  SetWindowIcon(kWindowIconId);
  if (game.windowScale == 1) {
    SetWindowScale(kWindowScaleSmall);
  } else if (game.windowScale != 0) {
    SetWindowScale(kWindowScaleSmaller);
  }
  if (InitLibrary() == -1) return -1;

  SetUseArchive(1);
  SetArchiveExtension(kArchiveExtension);
  SetArchiveKeyString(kArchiveKeyString);
  SetMouseVisible(0);
  const int versionMarker = LoadGraph(kVersionMarkerPath, 0);
  ReadDoorTable();
  ReadEventTable();
  ReadCinemaTable();
  SetDrawScreen(kDrawScreenBack);
  ResetGameData();
  ResetStageState();
  game.gameState = versionMarker == -1 ? STATE_VERSION_ERROR : STATE_BOOT;
  SetFontSize(kDefaultFontSize);
  SetFontThickness(kDefaultFontThickness);
  return 0;
}

bool RunFrame() {
  if (ProcessMessage() != 0) return false;
  if (CheckKeyDown(kEscapeScanCode) != 0) return false;
  if (game.quitRequested != 0) return false;

  ClearDrawScreen();
  // The millisecond counter wraps: unsigned differences stay right across the wrap.
  const uint32_t frameStart = static_cast<uint32_t>(GetTimeMs());
  const int pad = GetPadInput(kPadOneWithKeyboard);
  MapPadToActions(pad);
  RunGameState(game.gameState, pad);
  game.storyScene.Update(pad);
  game.eventPlayer.Update(pad);
  if (GameOverSequenceRuns()) UpdateGameOverSequence(pad);
  DrawVrTimer();
  DrawUserFileNotice();

  auto elapsed = [frameStart] { return static_cast<uint32_t>(GetTimeMs()) - frameStart; };
  // A slow frame is not shown, so the game keeps its speed when drawing falls behind.
  if (elapsed() < kPresentLimitMs) FlipScreen();
  while (elapsed() < kFrameMs) {
  }
  StepVrClock();
  DeleteRetiredScreenObjects();
  return true;
}

void StepVrClock() {
  if (game.gameMode != kModeVr || player.action >= kClockStopAction || game.paused != 0) return;
  game.clockHundredths = static_cast<uint16_t>(game.clockFrames * 100 / kFramesPerSecond);
  if (++game.clockFrames < kFramesPerSecond) return;
  game.clockFrames = 0;
  if (++game.clockSeconds < kClockMaxSeconds) return;
  game.clockSeconds = 0;
  if (++game.clockMinutes < kClockMaxMinutes) return;
  game.clockMinutes = 0;
  ++game.clockHours;
}

void EndGame() {
  DeleteAllScreenObjects();
  EndLibrary();
}

int GameMain(int argc, char** argv) {
  // The player may keep the game off the graphics hardware (a driver that draws wrongly).
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], kSoftwareDisplayOption) == 0) SetSoftwareRenderRequest(1);
  }
  if (StartGame() == -1) return -1;
  while (RunFrame()) {
  }
  EndGame();
  return 0;
}
