// The display's global records: the draw state every draw path reads, the current draw
// target, the screen state (mode, rendering path, flags) and the output screens. The
// software renderer reads the first fields of the first three records; the display layer
// owns and fills all of them.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/display_device.h"
#include "platform/presenter.h"
#include "runtime/image/color_format.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/memimg.h"
#include "runtime/image/rect.h"

namespace platform {
class Window;
}

namespace rt {

// A 4 x 4 matrix, row-major (m[row * 4 + column]), for row vectors multiplied on the left.
struct Matrix4 {
  float m[16] = {};
};

struct DrawState {
  // ---- Read by the software renderer ----
  RECT drawArea{0, 0, 0, 0};        // clip rectangle: left, top inclusive; right, bottom exclusive
  int32_t blendMode = 0;            // 0 none, 1 alpha, 2 add, 3 subtract, 4 multiply
  int32_t blendParam = 0;           // 0..255
  uint32_t brightColor = 0xFFFFFF;  // 0x00RRGGBB; low 24 bits all ones means no change
  int32_t maskScreenInUse = 0;      // drawing goes to the mask work screen

  // ---- The display's own ----
  int32_t drawScreen = kBackScreen;  // kFrontScreen, kBackScreen or a graph handle
  int32_t targetInVideoMemory = 0;
  RECT frontClientRect{0, 0, 0, 0};  // where the front screen lies on the desktop, when drawn there
  float drawAreaF[4] = {};
  RECT requestedDrawArea{0, 0, 0, 0};  // SetDrawArea's arguments as given (the window layer re-applies them)
  int32_t targetWidth = 0;
  int32_t targetHeight = 0;
  // Render settings of the 3D device, set by the graph manager.
  int32_t textureAddressMode = 3;
  int32_t cullEnable = 0;
  int32_t zBufferEnable = 0;
  int32_t zWriteEnable = 0;
  float drawZ = 0.2f;
  int32_t zCompareFunc = 4;
  int32_t drawMode = 0;          // texture filter mode
  int32_t blendGraph = -1;       // graph giving a per-pixel blend factor, -1 none
  int32_t blendGraphBorderParam = 0;
  int32_t blendGraphBorderRange = 0;
  int32_t maskDrawActive = 0;    // the draws save and apply the mask around each draw
  uint32_t transparentColor = 0;  // 0x00RRGGBB made transparent in new graphs: black
  int32_t drawSuppressed = 0;    // while set, setters and draws return 0 at once
  int32_t drawAreaEmpty = 0;     // the draw area has no pixel: draws return 0 at once
  Matrix4 worldMatrix;
  Matrix4 viewMatrix;
  Matrix4 projectionMatrix;
  Matrix4 viewportMatrix;
  Matrix4 combinedMatrix;
  Matrix4 viewRotationMatrix;
};

struct DrawTarget {
  MEMIMG* targetMemImg = nullptr;  // the target's image while drawing goes to software screens
  int32_t drawDisabled = 0;        // set while the target is being changed
  platform::DeviceSurface* targetSurface = nullptr;  // the target's device surface, or null
  int32_t offsetX = 0;             // the target's place inside its surface
  int32_t offsetY = 0;
  MEMIMG* zMemImg = nullptr;       // the target's Z buffer, or null
  MEMIMG targetView{};             // the target when it is a part of a shared store
};

// The images a draw on a prepared device target works on (BeginSoftDrawOnTarget).
struct SoftDrawState {
  RECT drawRect{0, 0, 0, 0};
  MEMIMG* drawImage = nullptr;
  const MEMIMG* drawSourceImage = nullptr;
  // ---- A device target, between BeginSoftDrawOnTarget and EndSoftDrawOnTarget ----
  int32_t directBltFast = 0;  // the draw is one BltFast from the source surface
  platform::DeviceSurface* bltSourceSurface = nullptr;
  RECT bltSourceRect{0, 0, 0, 0};
  platform::DeviceSurface* lockedSurface = nullptr;  // the locked target (or work surface); the BltFast target
  RECT lockedRect{0, 0, 0, 0};
  int32_t targetLocked = 0;
  int32_t targetViaWork = 0;   // the target rectangle was copied to the work surface
  int32_t convertTarget = 0;   // the screen format is one the raster routines do not draw
  RECT workRect{0, 0, 0, 0};   // the draw rectangle on the target surface
  platform::DeviceSurface* workSurface = nullptr;  // where the rectangle is copied back from
  MEMIMG workImage{};
  int32_t sourceLocked = 0;
  int32_t sourceViaWork = 0;
  platform::DeviceSurface* sourceLockedSurface = nullptr;
  MEMIMG sourceImage{};
};

// The processor's packed byte instructions serve the blits' saturating loops; x86-64 always
// has them, so the setting starts on there.
#if defined(__x86_64__) || defined(_M_X64)
constexpr int32_t kMmxAvailableDefault = 1;
#else
constexpr int32_t kMmxAvailableDefault = 0;
#endif

struct ScreenState {
  // ---- Read by the software renderer ----
  int32_t screenBits = 0;          // depth of the screen in use: 8, 16 or 32; 0 unset
  int32_t softwareRender = 0;      // drawing goes through the software renderer on MEMIMG screens
  int32_t pureSoftware = 0;        // the software screen without any DirectDraw; lasts for the run
  int32_t directDrawRunning = 0;   // the display device (the DirectDraw object) exists
  int32_t directDrawReady = 0;     // display start-up has completed its first screen mode
  int32_t mmxAvailable = kMmxAvailableDefault;

  // ---- The display's own ----
  int32_t screenWidth = 0;         // 0: unset, read as 640
  int32_t screenHeight = 0;        // 0: unset, read as 480
  int32_t refreshRate = 0;         // for full screen; 0 the system's choice
  int32_t requestedBits = 0;       // the depth SetScreenMode asked for; 0 unset, read as 16
  int32_t displayModeChanged = 0;  // the runtime put the display into another mode
  int32_t softwareRenderRequest = 0;
  int32_t gdiDisplay = 0;
  int32_t gdiDisplayApplied = -1;
  int32_t useTempPrimary = 0;
  int32_t waitVSync = 0;
  int32_t tablesReady = 0;         // the blend tables are built and start-up has completed
  uint32_t lastModeChangeTime = 0;
  int32_t measuredRefreshRate = -1;
  int32_t frameTimeMs = -1;
  int32_t vsyncSpacingMs = -1;
  int32_t overlayFormat = -1;
  uint64_t flipCount = 0;
  int32_t frontScreenStale = 0;    // the window shows the back screen, not the front screen's image
  platform::Window* window = nullptr;  // the window the screens are shown in
  platform::DisplayDevice* device = nullptr;  // the DirectDraw object; null without one
  int32_t clipperMade = 0;
  int32_t exclusiveLevel = 0;      // the cooperative level last set owns the screen
  int32_t useBitBltCopy = 0;       // copies between surfaces go through device contexts (measured)
  uint32_t lastVSyncTime = 0;
  // The window timer that presents the temporary primary: armed, and when it is due.
  int32_t tempPrimaryTimerArmed = 0;
  uint32_t tempPrimaryTimerDue = 0;
};

// Screen format kinds.
constexpr int kScreenFormat565 = 0;
constexpr int kScreenFormat555 = 1;
constexpr int kScreenFormatXRGB = 2;
constexpr int kScreenFormatOther = 3;

struct OutputSurfaces {
  platform::DeviceSurface* primarySurface = nullptr;  // the window (or the screen, with a back buffer)
  platform::DeviceSurface* backSurface = nullptr;     // the back buffer, or an off-screen surface
  platform::DeviceSurface* tempPrimarySurface = nullptr;
  platform::DeviceSurface* workSurface = nullptr;     // system-memory copies for the software draws
  platform::DeviceSurface* workSurface2 = nullptr;
  platform::DeviceSurface* zBufferSurface = nullptr;
  int32_t backImageInSurface = 0;  // the back image lies in the locked back surface
  int32_t memImgScreens = 0;  // the screens are software images
  MEMIMG frontImage{};
  MEMIMG backImage{};
  MEMIMG zImage{};
  DDPixelFormat screenPixelFormat{};
  ColorFormat screenColorFormat{};
  int32_t screenFormatKind = kScreenFormatXRGB;
  platform::Presenter* presenter = nullptr;  // shows the screens in the window; null: nowhere
  std::unique_ptr<platform::Presenter> ownedPresenter;
  std::unique_ptr<platform::DisplayDevice> ownedDevice;  // the device when the runtime made it
};

DrawState& GetDrawState();
DrawTarget& GetDrawTarget();
SoftDrawState& GetSoftDrawState();
ScreenState& GetScreenStateRecord();
OutputSurfaces& GetOutputSurfaces();

// The mask work screen's image; drawing goes there while maskScreenInUse is set. Nothing
// makes a mask screen yet, so it has no pixels.
MEMIMG* GetMaskMemImg();

// Puts every display record back to its program-start state, releasing the screens and the
// presenter (tests, between runs of the runtime).
void ResetDisplayState();

}  // namespace rt
