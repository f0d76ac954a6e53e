#include "runtime/display/screen_mode.h"

#include "platform/clock.h"
#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/core/window_mode.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/graphics_startup.h"
#include "runtime/image/surface_2d.h"
#include "runtime/softrender/blend_tables.h"
#include "runtime/core/screen_log.h"
#include "runtime/font/font.h"

namespace rt {
namespace {

constexpr int kRefusedColorBits = 24;
// Mode changes closer together than this are spaced to at least kModeChangeGapMs.
constexpr uint32_t kModeChangeSpacingMs = 2000;
constexpr uint32_t kModeChangeGapMs = 2060;
constexpr uint32_t kModeChangePauseMs = 60;
// The software display has no vertical blank to measure; it counts as this refresh rate.
constexpr int kSoftwareRefreshRate = 60;

struct Mode {
  int width, height, bits, refresh;
};

void DesktopSize(int* width, int* height) {
  *width = 0;
  *height = 0;
  GetDesktopInfo(width, height, nullptr);
}

// Puts the software display into a mode, falling back as start-up does: the mode from
// before, then 640 x 480 x 16 (result -2); the program ends when even that fails.
int EnterMode(const Mode& wanted, const Mode& old, const char* fatalMessage) {
  ScreenState& s = GetScreenStateRecord();
  int desktopWidth = 0;
  int desktopHeight = 0;
  DesktopSize(&desktopWidth, &desktopHeight);
  const int windowMode = GetWindowModeFlag();
  int bits = 0;
  if (ScreenModeChange(desktopWidth, desktopHeight, wanted.width, wanted.height, wanted.bits, &bits, windowMode,
                       &s.displayModeChanged) == 0) {
    s.screenBits = bits;
    return 0;
  }
  s.screenWidth = old.width;
  s.screenHeight = old.height;
  s.screenBits = old.bits;
  s.refreshRate = old.refresh;
  if ((old.width != wanted.width || old.height != wanted.height || old.bits != wanted.bits || old.refresh != 0) &&
      ScreenModeChange(desktopWidth, desktopHeight, old.width, old.height, old.bits, &bits, windowMode,
                       &s.displayModeChanged) == 0) {
    s.screenBits = bits;
    return 0;
  }
  s.screenWidth = kDefaultScreenWidth;
  s.screenHeight = kDefaultScreenHeight;
  s.screenBits = kDefaultScreenBits;
  s.refreshRate = 0;
  if (ScreenModeChange(desktopWidth, desktopHeight, kDefaultScreenWidth, kDefaultScreenHeight, kDefaultScreenBits,
                       &bits, windowMode, &s.displayModeChanged) == 0) {
    s.screenBits = bits;
    return -2;
  }
  FatalExit(fatalMessage);
}

void CreatePresenter() {
  OutputSurfaces& out = GetOutputSurfaces();
  if (out.presenter) return;
  out.presenter = platform::GetPresenterOverride();
  if (!out.presenter) {
    out.ownedPresenter = platform::CreateSdlPresenter(GetScreenStateRecord().window);
    out.presenter = out.ownedPresenter.get();
  }
}

void ReleasePresenter() {
  OutputSurfaces& out = GetOutputSurfaces();
  out.presenter = nullptr;
  out.ownedPresenter.reset();
}

}  // namespace

// There is no DirectDraw on this platform: the object cannot be had, and the caller falls
// back to the software display.
int CreateDirectDrawObjectCore() {
  LogAdd("DirectDraw オブジェクトの取得を行います....  ");
  LogAdd("オブジェクトの取得に失敗しました\n");
  return -1;
}

int InitDirectDraw() {
  ScreenState& s = GetScreenStateRecord();
  if (s.directDrawRunning) return -1;
  LogAdd("DirectDraw 関連の初期化を行います\n");
  if (s.pureSoftware) {
    GetGraphManager().settings.use3D = 0;
    SetUseHardwareRender(0);
  } else {
    CreateDirectDrawObjectCore();
    return LogAdd("DirectDrawオブジェクトの作成に失敗しました\n");
  }
  if (s.screenWidth == 0) s.screenWidth = kDefaultScreenWidth;
  if (s.screenHeight == 0) s.screenHeight = kDefaultScreenHeight;
  if (s.screenBits == 0) s.screenBits = kDefaultScreenBits;
  s.requestedBits = s.screenBits;
  CreatePresenter();
  if (ChangeScreenMode(-1, -1, -1, 1, -1) < 0) {
    EndDirectDraw();
    return -1;
  }
  SetDrawScreenImpl(kBackScreen);
  ClearDrawScreenImpl();
  SetDrawScreenImpl(kFrontScreen);
  s.directDrawReady = 1;
  s.mmxAvailable = GetMmxAvailable();
  s.overlayFormat = -1;
  LogAdd("DirectDraw 関連の初期化は正常に終了しました\n");
  InitBlendTables();
  s.tablesReady = 1;
  return 0;
}

int EndDirectDraw() {
  ScreenState& s = GetScreenStateRecord();
  if (s.pureSoftware) {
    LogAdd("DirectDraw 関連の終了処理をおこないます\n");
    EndGraphManager();
    DeleteAllSurface2D();
    ReleaseMainSurfaces();
  } else if (!s.directDrawRunning) {
    return 0;
  }
  ReleasePresenter();
  LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
  RestoreScreenMode();
  LogAdd("DirectDraw 関連の終了処理は正常に終了しました\n");
  s.tablesReady = 0;
  return 0;
}

int ReleaseDirectDrawObject() {
  ScreenState& s = GetScreenStateRecord();
  LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放します\n");
  if (!s.directDrawRunning && !s.pureSoftware) {
    LogAdd("既に解放されています\n");
    return 0;
  }
  ReleaseListedSurfaces();
  LeaveFullScreenMode();
  LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
  return 0;
}

// The software display has no object to make again: the mode is applied again and the
// stores come back.
int CreateDirectDrawObject() {
  ScreenState& s = GetScreenStateRecord();
  if (!s.pureSoftware) {
    if (CreateDirectDrawObjectCore() != 0) FatalExit("DirectDraw オブジェクトの作成処理時にエラーが発生しました");
  }
  ApplyScreenMode();
  RestoreListedSurfaces();
  return 0;
}

// The window system changes the display itself when the window goes to or leaves full
// screen (the style of the window layer), so only the checks and the bookkeeping are here.
int ScreenModeChange(int desktopWidth, int desktopHeight, int width, int height, int bits, int* outBits,
                     int windowMode, int* changed) {
  LogAddFormat("画面モードの変更処理を開始します %u x %u  %u bit ", static_cast<unsigned>(width),
               static_cast<unsigned>(height), static_cast<unsigned>(bits));
  if (windowMode) {
    LogAdd("ウインドウモードにします\n");
    // A desktop of unknown size (no display answered) is not held against the window.
    if (desktopWidth > 0 && desktopHeight > 0 && (width > desktopWidth || height > desktopHeight)) {
      FatalExit("デスクトップ画面のサイズが足りません、ソフトを終了します");
    }
    if (*changed == 1) {
      LogAdd("フルスクリーンモードから抜けます\n");
      *changed = 0;
    }
    int desktopBits = 0;
    GetDesktopInfo(nullptr, nullptr, &desktopBits);
    if (desktopBits == kRefusedColorBits) return -1;
    *outBits = desktopBits != 0 ? desktopBits : bits;
    LogAdd("画面モードの変更は正常に終了しました \n");
    return 0;
  }
  if (bits == kRefusedColorBits) return -1;
  LogAdd("画面解像度を変更します... ");
  *outBits = bits;
  *changed = 1;
  LogAdd("成功しました\n");
  LogAdd("画面モードの変更は正常に終了しました \n");
  return 0;
}

int ApplyScreenMode() {
  ScreenState& s = GetScreenStateRecord();
  int desktopWidth = 0;
  int desktopHeight = 0;
  DesktopSize(&desktopWidth, &desktopHeight);
  int bits = 0;
  const int result = ScreenModeChange(desktopWidth, desktopHeight, s.screenWidth, s.screenHeight, s.screenBits, &bits,
                                      GetWindowModeFlag(), &s.displayModeChanged);
  if (result == 0) s.screenBits = bits;
  return result;
}

int RestoreScreenMode() {
  ScreenState& s = GetScreenStateRecord();
  if (!s.pureSoftware && !s.directDrawRunning) return -1;
  s.displayModeChanged = 0;
  LogAdd("画面モードを元に戻す処理は正常に終了しました\n");
  return 0;
}

int LeaveFullScreenMode() {
  ScreenState& s = GetScreenStateRecord();
  if (!GetWindowModeFlag() && s.displayModeChanged) s.displayModeChanged = 0;
  return 0;
}

int ChangeScreenMode(int width, int height, int bits, int force, int refreshRate) {
  ScreenState& s = GetScreenStateRecord();
  DrawState& state = GetDrawState();
  const bool keepTransparent = s.tablesReady != 0;
  const uint32_t transparent = state.transparentColor;
  if (width == -1) width = s.screenWidth;
  if (height == -1) height = s.screenHeight;
  if (bits == -1) bits = s.screenBits;
  if (refreshRate == -1) refreshRate = s.refreshRate;
  if (!force && width == s.screenWidth && height == s.screenHeight && bits == s.screenBits &&
      refreshRate == s.refreshRate) {
    return 0;
  }
  LogAdd("画面モード変更処理を開始します\n");
  // The default font survives the mode change with its face, size and thickness.
  char fontFace[kFontFaceNameSize] = "";
  int fontSize = 0;
  int fontThickness = 0;
  const bool fontKept = GetFontStateToHandle(fontFace, &fontSize, &fontThickness, GetDefaultFontHandle()) == 0;
  const Mode old{s.screenWidth, s.screenHeight, s.screenBits, s.refreshRate};
  s.screenWidth = width;
  s.screenHeight = height;
  s.screenBits = bits;

  const RuntimeState& runtime = GetRuntimeState();
  if ((!runtime.initialising && !runtime.initialised) || (!s.directDrawRunning && !s.pureSoftware)) {
    s.refreshRate = refreshRate;
    return 0;
  }
  s.gdiDisplayApplied = -1;
  s.refreshRate = refreshRate;
  platform::Clock& clock = platform::GetClock();
  const uint32_t now = clock.Milliseconds();
  if (s.lastModeChangeTime != 0 && now - s.lastModeChangeTime < kModeChangeSpacingMs) {
    clock.Sleep(s.lastModeChangeTime + kModeChangeGapMs - now);
  } else {
    clock.Sleep(kModeChangePauseMs);
  }
  s.lastModeChangeTime = clock.Milliseconds();

  DeleteAllGraph(0);
  EndGraphManager();
  ReleaseMainSurfaces();

  const Mode wanted{width, height, bits, refreshRate};
  int result;
  if (!s.tablesReady) {
    if (!GetWindowModeFlag()) ApplyWindowStyle();
    Mode first = wanted;
    if (first.width == 0) first.width = kDefaultScreenWidth;
    if (first.height == 0) first.height = kDefaultScreenHeight;
    if (first.bits == 0) first.bits = kDefaultScreenBits;
    s.screenWidth = first.width;
    s.screenHeight = first.height;
    s.screenBits = first.bits;
    result = EnterMode(first, old, "予期せぬ画面モード変更不能現象が起きました\n");
  } else {
    DeleteAllSurface2D();
    s.displayModeChanged = 0;
    result = EnterMode(wanted, old, "予期せぬ画面モード変更不能現象が起きました2\n");
  }

  SetupScreenColorFormat();
  ApplyWindowStyle();
  if (CreateOutputSurfaces() != 0) return LogAdd("DirectDrawSurface の初期化に失敗しました\n");
  InitGraphManager();
  if (fontKept) SetDefaultFontState(fontFace, fontSize, fontThickness);
  InitScreenLog();
  CreateScreenPalette();
  s.measuredRefreshRate = kSoftwareRefreshRate;
  s.frameTimeMs = -1;
  s.vsyncSpacingMs = -1;
  LogAdd("画面モード変更処理は正常に終了しました\n");
  ProcessMessageImpl();
  s.flipCount = 0;
  if (keepTransparent) state.transparentColor = transparent;
  return result;
}

int SetScreenModeImpl(int width, int height, int bits, int refreshRate) {
  ScreenState& s = GetScreenStateRecord();
  DeleteAllGraph(0);
  if (width == -1) width = s.screenWidth;
  if (height == -1) height = s.screenHeight;
  if (bits == -1) bits = s.screenBits;
  if (refreshRate == -1) refreshRate = s.refreshRate;
  // A negative size (other than "keep") is as unusable as none.
  if (width <= 0 || height <= 0 || (bits != 8 && bits != 16 && bits != 32)) return -1;
  const Mode old{s.screenWidth, s.screenHeight, s.screenBits, s.refreshRate};
  s.requestedBits = bits;
  ChangeScreenMode(width, height, bits, 0, refreshRate);
  if (s.screenWidth == width && s.screenHeight == height && s.screenBits == bits) return 0;
  if ((s.screenWidth == old.width && s.screenHeight == old.height && s.screenBits == old.bits) ||
      s.screenWidth != kDefaultScreenWidth || s.screenHeight != kDefaultScreenHeight ||
      s.screenBits != kDefaultScreenBits || s.refreshRate != 0) {
    return -1;
  }
  return -2;
}

int SwitchScreenWindowMode() {
  ScreenState& s = GetScreenStateRecord();
  if (!s.pureSoftware || !s.tablesReady) return 0;
  const int result = ApplyScreenMode();
  UpdateFrontScreenClientRect();
  // The window system has changed the display by the time the window's style is applied;
  // no display change message follows for the mode switch to wait for.
  GetWindowState().session.displayChangeSeen = 1;
  return result;
}

int SetUseHardwareRender(int flag) {
  ScreenState& s = GetScreenStateRecord();
  const int wasPure = s.pureSoftware;
  if (wasPure || flag == 0) {
    GetGraphManager().settings.use3D = 0;
    s.pureSoftware = 1;
  }
  s.softwareRender = !wasPure && flag == 1 ? 0 : 1;
  return 0;
}

int SetWaitVSyncFlag(int flag) {
  GetScreenStateRecord().waitVSync = flag;
  return 0;
}

int GetWaitVSyncFlag() { return GetScreenStateRecord().waitVSync; }

int SetSoftwareRenderRequest(int flag) {
  ScreenState& s = GetScreenStateRecord();
  s.softwareRenderRequest = s.pureSoftware ? 1 : flag;
  return 0;
}

int GetSoftwareRenderRequest() { return GetScreenStateRecord().softwareRenderRequest; }

int SetUseTempPrimaryFlag(int flag) {
  ScreenState& s = GetScreenStateRecord();
  if (!s.directDrawRunning) s.useTempPrimary = flag;
  return 0;
}

// No menu is ever shown, so the effective value is the flag itself; the switch to the
// system's own display belongs to DirectDraw, which does not exist here.
int SetGDIDisplayFlag(int flag) {
  ScreenState& s = GetScreenStateRecord();
  const int effective = flag == 1 ? 1 : 0;
  if (flag == s.gdiDisplay) return 0;
  s.gdiDisplay = flag;
  s.gdiDisplayApplied = effective;
  return 0;
}

int GetGDIDisplayFlag() { return GetScreenStateRecord().gdiDisplay; }

int GetScreenSize(int* width, int* height) {
  const ScreenState& s = GetScreenStateRecord();
  if (width) *width = s.screenWidth != 0 ? s.screenWidth : kDefaultScreenWidth;
  if (height) *height = s.screenHeight != 0 ? s.screenHeight : kDefaultScreenHeight;
  return 0;
}

int GetScreenColorBitDepth() {
  const int bits = GetScreenStateRecord().requestedBits;
  return bits != 0 ? bits : kDefaultScreenBits;
}

void* GetDirectDrawObject() { return nullptr; }
int IsDirectDrawUsed() { return GetScreenStateRecord().pureSoftware ? 0 : 1; }
int IsDisplayModeChanged() { return GetScreenStateRecord().displayModeChanged; }
int GetSoftwareRenderFlag() { return GetScreenStateRecord().softwareRender; }
const DDPixelFormat* GetOverlayPixelFormat() { return nullptr; }

}  // namespace rt
