#include "runtime/display/screen_mode.h"

#include "runtime/display/direct3d.h"

#include "platform/clock.h"
#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/core/window_mode.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_backend.h"
#include "runtime/display/draw_state.h"
#include "runtime/display/screen_flip.h"
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

// Copies between surfaces go through device contexts when that is faster than BltFast:
// eight of each, timed.
void ChooseCopyMethod() {
  ScreenState& s = GetScreenStateRecord();
  OutputSurfaces& out = GetOutputSurfaces();
  platform::DeviceSurface* front = out.tempPrimarySurface ? out.tempPrimarySurface : out.primarySurface;
  if (!s.device || !front || !out.workSurface) return;
  RECT r{0, 0, 0, 0};
  GetScreenSize(&r.right, &r.bottom);
  constexpr int kTimedCopies = 8;
  platform::Clock& clock = platform::GetClock();
  const uint64_t start = clock.Microseconds();
  for (int i = 0; i < kTimedCopies; ++i) CopySurfaceRect(out.workSurface, front, 0, 0, &r, 0);
  const uint64_t middle = clock.Microseconds();
  for (int i = 0; i < kTimedCopies; ++i) CopySurfaceRect(out.workSurface, front, 0, 0, &r, 1);
  const uint64_t end = clock.Microseconds();
  const double bltFast = static_cast<double>(middle - start);
  const double bitBlt = static_cast<double>(end - middle);
  s.useBitBltCopy = bltFast < bitBlt ? 0 : 1;
  LogAddFormat("サーフェス間転送には %s を使用します", s.useBitBltCopy ? "BitBlt" : "BltFast");
  LogAddFormat("BitBlt:%.0lfμs   BltFast:%.0lfμs", bitBlt, bltFast);
}

// The frame time follows the display's refresh rate (the software display counts as 60 Hz
// and has no blank to wait for).
void MeasureFrameTime() {
  ScreenState& s = GetScreenStateRecord();
  if (s.pureSoftware || !s.device) {
    s.measuredRefreshRate = kSoftwareRefreshRate;
    s.frameTimeMs = -1;
    s.vsyncSpacingMs = -1;
    return;
  }
  const platform::DisplayModeInfo mode = s.device->GetDisplayMode();
  s.measuredRefreshRate = mode.refreshRate >= kSoftwareRefreshRate ? mode.refreshRate : -1;
  LogAddFormat("スキャンラインの数:%d\n", mode.height);
  const int rate = s.measuredRefreshRate > 0 ? s.measuredRefreshRate : kSoftwareRefreshRate;
  s.frameTimeMs = 1000 / rate;
  LogAddFormat("１フレーム当たりの時間は %d msecです", s.frameTimeMs);
  s.vsyncSpacingMs = (s.frameTimeMs * 2 - 4) / 3;
}

void ReleasePresenter() {
  OutputSurfaces& out = GetOutputSurfaces();
  out.presenter = nullptr;
  out.ownedPresenter.reset();
}

}  // namespace

int CreateDirectDrawObjectCore() {
  ScreenState& s = GetScreenStateRecord();
  LogAdd("DirectDraw オブジェクトの取得を行います....  ");
  s.device = platform::AcquireDisplayDevice(s.window, &GetOutputSurfaces().ownedDevice);
  if (!s.device) {
    LogAdd("オブジェクトの取得に失敗しました\n");
    return -1;
  }
  LogAdd("成功\n");
  LogAdd("引き続き初期化処理... ");
  LogAdd("初期化に成功しました\n");
  LogAdd("ビデオカードの情報\n");
  s.directDrawRunning = 1;
  return 0;
}

int CreateDirectDrawClipper() {
  ScreenState& s = GetScreenStateRecord();
  if (!s.device) return -1;
  if (s.device->CreateClipper(s.window) != 0) {
    LogAdd("ＤｉｒｅｃｔＤｒａｗＣｌｉｐｐｅｒオブジェクトの作成に失敗しました\n");
    return -1;
  }
  s.clipperMade = 1;
  return 0;
}

int ReleaseDirectDrawClipper() {
  ScreenState& s = GetScreenStateRecord();
  if (s.device && s.clipperMade) s.device->ReleaseClipper();
  s.clipperMade = 0;
  return 0;
}

// Lets the device go; a display the device put into another mode gets its own back first.
void DropDirectDrawObject() {
  ScreenState& s = GetScreenStateRecord();
  if (s.device && s.exclusiveLevel) {
    s.device->SetCooperativeLevel(s.window, platform::CooperativeLevel::kNormal);
    s.device->RestoreDisplayMode();
  }
  s.exclusiveLevel = 0;
  s.clipperMade = 0;
  s.device = nullptr;
  GetOutputSurfaces().ownedDevice.reset();
  s.directDrawRunning = 0;
}

int InitDirectDraw() {
  ScreenState& s = GetScreenStateRecord();
  if (s.directDrawRunning) return -1;
  LogAdd("DirectDraw 関連の初期化を行います\n");
  if (s.pureSoftware) {
    GetGraphManager().settings.use3D = 0;
    SetUseHardwareRender(0);
  } else {
    // Without a device the caller falls back to the software display.
    if (CreateDirectDrawObjectCore() != 0) return LogAdd("DirectDrawオブジェクトの作成に失敗しました\n");
    if (CreateDirectDrawClipper() != 0) FatalExit("DirectDrawClipperオブジェクトの作成時にエラーが発生しました");
  }
  if (s.screenWidth == 0) s.screenWidth = kDefaultScreenWidth;
  if (s.screenHeight == 0) s.screenHeight = kDefaultScreenHeight;
  if (s.screenBits == 0) s.screenBits = kDefaultScreenBits;
  s.requestedBits = s.screenBits;
  if (s.pureSoftware) CreatePresenter();
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
  // Movies are shown through graphs; no overlay surface is used.
  if (!s.pureSoftware) LogAdd("オーバーレイサーフェスは使用しません\n");
  LogAdd("DirectDraw 関連の初期化は正常に終了しました\n");
  InitBlendTables();
  s.tablesReady = 1;
  return 0;
}

int EndDirectDraw() {
  ScreenState& s = GetScreenStateRecord();
  KillTempPrimaryTimer();
  if (s.pureSoftware && !s.device) {
    LogAdd("DirectDraw 関連の終了処理をおこないます\n");
    EndGraphManager();
    DeleteAllSurface2D();
    ReleaseMainSurfaces();
  } else if (!s.directDrawRunning) {
    return 0;
  } else {
    G_D3D_Terminate();
    EndGraphManager();
    DeleteAllSurface2D();
    ReleaseMainSurfaces();
    ReleaseDirectDrawClipper();
    DropDirectDrawObject();
  }
  ReleasePresenter();
  LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
  RestoreScreenMode();
  LogAdd("DirectDraw 関連の終了処理は正常に終了しました\n");
  s.tablesReady = 0;
  return 0;
}

// The window system takes the full screen away when the window is deactivated and gives
// it back itself; the device keeps its surfaces meanwhile, so only the display mode goes.
int ReleaseDirectDrawObject() {
  ScreenState& s = GetScreenStateRecord();
  LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放します\n");
  if (!s.directDrawRunning && !s.pureSoftware) {
    LogAdd("既に解放されています\n");
    return 0;
  }
  if (!s.device) ReleaseListedSurfaces();
  LeaveFullScreenMode();
  LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
  return 0;
}

// The software display has no object to make again: the mode is applied again and the
// stores come back.
int CreateDirectDrawObject() {
  ScreenState& s = GetScreenStateRecord();
  if (s.device) return 0;
  if (!s.pureSoftware) {
    if (CreateDirectDrawObjectCore() != 0) FatalExit("DirectDraw オブジェクトの作成処理時にエラーが発生しました");
  }
  ApplyScreenMode();
  RestoreListedSurfaces();
  if (!s.pureSoftware && CreateDirectDrawClipper() != 0) FatalExit("クリッパーオブジェクトの作成失敗しました");
  return 0;
}

// The window system changes the display itself when the window goes to or leaves full
// screen (the style of the window layer); the device is told its cooperative level and,
// in full screen, the mode.
int ScreenModeChange(int desktopWidth, int desktopHeight, int width, int height, int bits, int* outBits,
                     int windowMode, int* changed) {
  ScreenState& s = GetScreenStateRecord();
  platform::DisplayDevice* device = s.pureSoftware ? nullptr : s.device;
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
      if (device) device->RestoreDisplayMode();
      *changed = 0;
    }
    int desktopBits = 0;
    GetDesktopInfo(nullptr, nullptr, &desktopBits);
    if (desktopBits == kRefusedColorBits) return -1;
    *outBits = desktopBits != 0 ? desktopBits : bits;
    if (device) {
      if (device->SetCooperativeLevel(s.window, platform::CooperativeLevel::kNormal) != 0) {
        FatalExit("DirectDrawの協調レベルの設定に失敗しました、ソフトを終了します");
      }
      s.exclusiveLevel = 0;
      // The window's pixels are the device's, whatever the desktop stores.
      *outBits = device->GetDisplayMode().format.bits;
    }
    LogAdd("画面モードの変更は正常に終了しました \n");
    return 0;
  }
  if (bits == kRefusedColorBits) return -1;
  LogAdd("画面解像度を変更します... ");
  if (device) {
    if (device->SetCooperativeLevel(s.window, platform::CooperativeLevel::kFullScreenExclusive) != 0) {
      FatalExit("DirectDrawの協調レベルの設定に失敗しました、ソフトを終了します");
    }
    s.exclusiveLevel = 1;
    if (device->SetDisplayMode(width, height, bits, s.refreshRate) != 0) {
      s.refreshRate = 0;
      if (device->SetDisplayMode(width, height, bits, 0) != 0) {
        LogAdd("画面モードの変更に失敗しました\n");
        return -1;
      }
    }
  }
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
  if (s.device && s.exclusiveLevel) {
    s.device->SetCooperativeLevel(s.window, platform::CooperativeLevel::kNormal);
    s.device->RestoreDisplayMode();
    s.exclusiveLevel = 0;
  }
  s.displayModeChanged = 0;
  LogAdd("画面モードを元に戻す処理は正常に終了しました\n");
  return 0;
}

int LeaveFullScreenMode() {
  ScreenState& s = GetScreenStateRecord();
  if (!GetWindowModeFlag() && s.displayModeChanged) {
    if (s.device) {
      s.device->SetCooperativeLevel(s.window, platform::CooperativeLevel::kNormal);
      s.device->RestoreDisplayMode();
      s.exclusiveLevel = 0;
    }
    s.displayModeChanged = 0;
  }
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
  G_D3D_Terminate();
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
    if (!s.pureSoftware && s.device) {
      // The device is made again for the new mode.
      s.device->SetCooperativeLevel(s.window, platform::CooperativeLevel::kNormal);
      ReleaseDirectDrawClipper();
      DropDirectDrawObject();
      LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
      if (CreateDirectDrawObjectCore() != 0 || CreateDirectDrawClipper() != 0) {
        FatalExit("DirectDraw オブジェクトの作成処理時にエラーが発生しました");
      }
    }
    s.displayModeChanged = 0;
    result = EnterMode(wanted, old, "予期せぬ画面モード変更不能現象が起きました2\n");
  }

  SetupScreenColorFormat();
  ApplyWindowStyle();
  if (CreateOutputSurfaces() != 0) return LogAdd("DirectDrawSurface の初期化に失敗しました\n");
  if (!s.pureSoftware && !s.softwareRenderRequest && !s.softwareRender && s.device) {
    const OutputSurfaces& out = GetOutputSurfaces();
    platform::DeviceSurface* front = out.tempPrimarySurface ? out.tempPrimarySurface : out.primarySurface;
    // A device without a usable 3D side keeps drawing through its 2D surfaces.
    G_D3D_Initialize(s.device, front, s.screenBits);
  }
  InitGraphManager();
  if (fontKept) SetDefaultFontState(fontFace, fontSize, fontThickness);
  InitScreenLog();
  CreateScreenPalette();
  if (!s.pureSoftware && !IsSoftwareScreen()) ChooseCopyMethod();
  MeasureFrameTime();
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
  if (!s.tablesReady || (!s.pureSoftware && !s.device)) return 0;
  if (s.device && !s.pureSoftware) {
    // The primary of a window and that of a full screen differ: the output surfaces are
    // made again, the graphs' surfaces stay.
    ReleaseMainSurfaces();
    const int result = ApplyScreenMode();
    if (result == 0) {
      SetupScreenColorFormat();
      if (CreateOutputSurfaces() != 0) return LogAdd("DirectDrawSurface の初期化に失敗しました\n");
      const OutputSurfaces& out = GetOutputSurfaces();
      G_D3D_FollowFrontSurface(out.tempPrimarySurface ? out.tempPrimarySurface : out.primarySurface);
      G_DD_SetDrawScreen(GetDrawState().drawScreen, GetDrawState().drawScreen);
    }
    UpdateFrontScreenClientRect();
    GetWindowState().session.displayChangeSeen = 1;
    return result;
  }
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
  if (s.device && s.tablesReady) {
    const int screen = GetDrawState().drawScreen;
    DeleteAllGraph(0);
    if (s.pureSoftware) {
      // The software display shows its screens itself: the device goes.
      EndGraphManager();
      DeleteAllSurface2D();
      ReleaseMainSurfaces();
      ReleaseDirectDrawClipper();
      DropDirectDrawObject();
      CreatePresenter();
    }
    ChangeScreenMode(-1, -1, -1, 1, -1);
    if (screen == kFrontScreen || screen == kBackScreen) SetDrawScreenImpl(screen);
  }
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

void* GetDirectDrawObject() { return GetScreenStateRecord().device; }
int IsDirectDrawUsed() { return GetScreenStateRecord().pureSoftware ? 0 : 1; }
int IsDisplayModeChanged() { return GetScreenStateRecord().displayModeChanged; }
int GetSoftwareRenderFlag() { return GetScreenStateRecord().softwareRender; }
const DDPixelFormat* GetOverlayPixelFormat() { return nullptr; }

}  // namespace rt
