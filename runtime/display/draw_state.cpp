#include "runtime/display/draw_state.h"

#include <algorithm>
#include <utility>

#include "runtime/core/window.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_backend.h"
#include "runtime/display/matrices.h"
#include "runtime/display/screen_flip.h"
#include "runtime/display/screen_mode.h"
#include "runtime/image/blend_graph.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_data.h"

namespace rt {
namespace {

// sqrt(3): the eye distance that shows a target of height h in a 60-degree view is
// (h / 2) x sqrt(3).
constexpr float kEyeDistanceFactor = 1.7320509f;
constexpr float kFieldOfView = 1.0471976f;  // 60 degrees
constexpr float kNearFactor = 0.1f;
constexpr float kFarMargin = 1000.0f;

int Clamp255(int v) { return std::clamp(v, 0, 255); }

// The front screen lies on the desktop (and clip and draw offsets follow the window) only
// when it is the visible surface itself; the software front screen is an image of its own.
bool FrontScreenOnDesktop() {
  const ScreenState& screen = GetScreenStateRecord();
  return !screen.useTempPrimary && GetWindowModeFlag() && (!screen.softwareRender || screen.screenBits == 8);
}

RECT ClientRectOnDesktop() {
  const platform::Rect& c = GetWindowState().session.clientRect;
  return RECT{c.left, c.top, c.right, c.bottom};
}

void ResetMatrices(int width, int height) {
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  Matrix4 m;
  CreateIdentityMatrix(&m);
  SetWorldMatrix(m);
  DrawState& state = GetDrawState();
  CreateViewportMatrix(&state.viewportMatrix, w * 0.5f, h * 0.5f, w, h);
  UpdateTransformMatrix();
  const float d = static_cast<float>(height / 2) * kEyeDistanceFactor;
  const float eye[3] = {w * 0.5f, h * 0.5f, -d};
  const float target[3] = {w * 0.5f, h * 0.5f, -d + 1.0f};
  const float up[3] = {0.0f, 1.0f, 0.0f};
  CreateLookAtMatrix(&m, eye, target, up);
  SetViewMatrix(m);
  if (CreatePerspectiveMatrix(&m, kFieldOfView, d * kNearFactor, d + kFarMargin) == 0) SetProjectionMatrix(m);
}

// Selects a draw target. A target the back end refuses brings the previous one back; when
// that one is gone too (a deleted graph), the back screen is taken instead of going round
// between the two for ever.
int SelectDrawScreen(int screen, bool fallback) {
  DrawState& state = GetDrawState();
  if (!GetGraphManager().initialized) return -1;
  if (state.drawSuppressed) return 0;
  WaitWhileInactive();
  const int keptMask = state.maskScreenInUse;
  state.maskScreenInUse = 0;
  const int old = state.drawScreen;
  const int oldWidth = state.targetWidth;
  const int oldHeight = state.targetHeight;
  state.drawScreen = screen;
  state.frontClientRect = screen == kFrontScreen && FrontScreenOnDesktop() ? ClientRectOnDesktop() : RECT{0, 0, 0, 0};

  if (G_DD_SetDrawScreen(screen, old) != 0) {
    state.drawScreen = old;
    state.maskScreenInUse = keptMask;
    if (!fallback) {
      SelectDrawScreen(old, true);
    } else if (screen != kBackScreen) {
      SelectDrawScreen(kBackScreen, true);
    }
    return -1;
  }

  int width = 0;
  int height = 0;
  GetGraphSize(screen, &width, &height);
  state.targetWidth = width;
  state.targetHeight = height;
  if (width == oldWidth && height == oldHeight) {
    const RECT area = state.drawArea;
    SetDrawArea(area.left, area.top, area.right, area.bottom);
  } else {
    SetDrawArea(0, 0, width, height);
  }
  ResetMatrices(width, height);
  state.maskScreenInUse = keptMask;
  UpdateDrawStateHook();
  return 0;
}

}  // namespace

int SetDrawScreenImpl(int screen) { return SelectDrawScreen(screen, false); }

int G_DD_SetDrawScreen(int newScreen, int oldScreen) {
  DrawTarget& target = GetDrawTarget();
  OutputSurfaces& out = GetOutputSurfaces();
  const ScreenState& screen = GetScreenStateRecord();
  // Device screens are drawn on through their surfaces; software screens are images.
  const bool deviceScreens = screen.device && !screen.pureSoftware && !IsSoftwareScreen();
  target.targetMemImg = nullptr;
  target.targetSurface = nullptr;
  target.offsetX = 0;
  target.offsetY = 0;
  target.zMemImg = nullptr;
  GetDrawState().targetInVideoMemory = 0;
  const bool tempPrimary = deviceScreens && out.tempPrimarySurface;
  if (oldScreen == kFrontScreen && tempPrimary) {
    KillTempPrimaryTimer();
    PresentTempPrimary();
  }
  if (newScreen == kFrontScreen) {
    target.drawDisabled = 0;
    if (deviceScreens) {
      target.targetSurface = out.tempPrimarySurface ? out.tempPrimarySurface : out.primarySurface;
      if (tempPrimary) {
        CopyWindowToTempPrimary();
        StartTempPrimaryTimer();
      }
    } else {
      target.targetMemImg = &out.frontImage;
    }
  } else if (newScreen == kBackScreen) {
    target.drawDisabled = 0;
    if (deviceScreens) {
      target.targetSurface = out.backSurface;
    } else {
      target.targetMemImg = &out.backImage;
      target.zMemImg = out.zImage.magic == kMemImgMagic ? &out.zImage : nullptr;
    }
  } else {
    const GraphRecord* graph = GetGraphRecord(newScreen);
    if (graph && graph->create.use3D) {
      platform::DeviceSurface* texture = nullptr;
      if (G_D3D_SetDrawScreen(newScreen, oldScreen, &texture) != 0 || !texture) return -1;
      target.drawDisabled = 0;
      target.targetSurface = texture;
      return 0;
    }
    if (!graph || graph->surfaceCount < 1) return -1;
    const Surface2D* surface = GetSurface2D(static_cast<int>(graph->surfaceHandles[0]));
    SurfaceData* data = surface ? GetSurfaceData(surface->surfaceData) : nullptr;
    if (!data) return -1;
    if (!data->software) {
      if (!data->surface) return -1;
      target.drawDisabled = 0;
      target.targetSurface = data->surface;
      target.offsetX = surface->storeX;
      target.offsetY = surface->storeY;
      GetDrawState().targetInVideoMemory = screen.device->Describe(data->surface).videoMemory ? 1 : 0;
      return 0;
    }
    target.drawDisabled = 0;
    // A graph that is a part of a shared store (a derived graph) is drawn on through a view
    // of its own rectangle, so that its coordinates and clipping are its own.
    if (surface->storeX == 0 && surface->storeY == 0 && surface->width == data->image.width &&
        surface->height == data->image.height) {
      target.targetMemImg = &data->image;
    } else {
      DeriveMemImg(&target.targetView, &data->image, surface->storeX, surface->storeY, surface->width,
                   surface->height);
      target.targetMemImg = &target.targetView;
    }
    target.zMemImg = data->zBuffer ? &data->zImage : nullptr;
  }
  if (target.targetSurface) {
    GetDrawState().targetInVideoMemory = screen.device->Describe(target.targetSurface).videoMemory ? 1 : 0;
  }
  return 0;
}

int SetDrawArea(int x1, int y1, int x2, int y2) {
  DrawState& state = GetDrawState();
  if (state.drawSuppressed) return 0;
  state.requestedDrawArea = RECT{x1, y1, x2, y2};
  int width = 0;
  int height = 0;
  if (state.drawScreen == kFrontScreen || state.drawScreen == kBackScreen) {
    GetScreenSize(&width, &height);
    if (state.drawScreen == kFrontScreen && FrontScreenOnDesktop()) {
      // The part of the window outside the desktop cannot be drawn on.
      const RECT client = ClientRectOnDesktop();
      int desktopWidth = 0;
      int desktopHeight = 0;
      GetDesktopInfo(&desktopWidth, &desktopHeight, nullptr);
      if (client.left < 0) x1 = -client.left;
      if (client.top < 0) y1 = -client.top;
      if (client.left + width >= desktopWidth) width = desktopWidth - client.left;
      if (client.top + height >= desktopHeight) height = desktopHeight - client.top;
    }
  } else if (GetGraphSize(state.drawScreen, &width, &height) != 0) {
    return 0;
  }
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  x1 = std::clamp(x1, 0, std::max(width, 0));
  x2 = std::clamp(x2, 0, std::max(width, 0));
  y1 = std::clamp(y1, 0, std::max(height, 0));
  y2 = std::clamp(y2, 0, std::max(height, 0));
  state.drawArea = RECT{x1, y1, x2, y2};
  state.drawAreaF[0] = static_cast<float>(x1);
  state.drawAreaF[1] = static_cast<float>(y1);
  state.drawAreaF[2] = static_cast<float>(x2);
  state.drawAreaF[3] = static_cast<float>(y2);
  state.drawAreaEmpty = x1 == x2 || y1 == y2 ? 1 : 0;
  UpdateDrawStateHook();
  return 0;
}

int GetDrawArea(RECT* out) {
  if (out) *out = GetDrawState().drawArea;
  return 0;
}

int GetDrawScreen() { return GetDrawState().drawScreen; }

int SetDrawMode(int mode) {
  DrawState& state = GetDrawState();
  if (state.drawSuppressed || mode == state.drawMode) return 0;
  state.drawMode = mode;
  if (IsDirect3DUsed()) G_D3D_SetTextureFilter(mode);
  return 0;
}

int GetDrawMode() { return GetDrawState().drawMode; }

int SetDrawBlendModeImpl(int mode, int param) {
  DrawState& state = GetDrawState();
  if (state.drawSuppressed) return 0;
  if (mode == state.blendMode && param == state.blendParam) return 0;
  WaitWhileInactive();
  state.blendMode = mode;
  state.blendParam = Clamp255(param);
  return 0;
}

int SetBlendGraph(int graph, int borderParam, int borderRange) {
  DrawState& state = GetDrawState();
  if (state.drawSuppressed) return 0;
  if (graph == state.blendGraph && borderParam == state.blendGraphBorderParam &&
      borderRange == state.blendGraphBorderRange) {
    return 0;
  }
  if (graph != -1 && !GetGraphRecord(graph)) return -1;
  state.blendGraph = graph;
  WaitWhileInactive();
  state.blendGraphBorderParam = Clamp255(borderParam);
  state.blendGraphBorderRange = Clamp255(borderRange);
  if (IsDirect3DUsed()) {
    // A graph the device cannot blend through (one not made of textures) must not leave the
    // previous blend graph bound in its place.
    const GraphRecord* record = graph == -1 ? nullptr : GetGraphRecord(graph);
    if (G_D3D_SetBlendGraphTexture(record, state.blendGraphBorderParam, state.blendGraphBorderRange) != 0) {
      G_D3D_SetBlendGraphTexture(nullptr, state.blendGraphBorderParam, state.blendGraphBorderRange);
    }
  }
  BuildBlendGraphTable(state.blendGraphBorderParam, state.blendGraphBorderRange);
  return 0;
}

int SetDrawBrightImpl(int r, int g, int b) {
  DrawState& state = GetDrawState();
  const uint32_t c = state.brightColor;
  if (static_cast<int>((c >> 16) & 0xFF) == r && static_cast<int>((c >> 8) & 0xFF) == g &&
      static_cast<int>(c & 0xFF) == b) {
    return 0;
  }
  state.brightColor = static_cast<uint32_t>(Clamp255(r)) << 16 | static_cast<uint32_t>(Clamp255(g)) << 8 |
                      static_cast<uint32_t>(Clamp255(b));
  return 0;
}

void SetDrawBrightColor(uint32_t color) { GetDrawState().brightColor = color & 0xFFFFFF; }

int SetFrontScreenClientRect(const RECT* rect) {
  if (rect) GetDrawState().frontClientRect = *rect;
  return 0;
}

void UpdateFrontScreenClientRect() {
  DrawState& state = GetDrawState();
  if (state.drawScreen != kFrontScreen) return;
  const int keptMask = state.maskScreenInUse;
  state.maskScreenInUse = 0;
  const RECT rect = FrontScreenOnDesktop() ? ClientRectOnDesktop() : RECT{0, 0, 0, 0};
  SetFrontScreenClientRect(&rect);
  state.maskScreenInUse = keptMask;
}

int GetScreenState(int* width, int* height, int* bits) {
  GetScreenSize(width, height);
  *bits = GetScreenColorBitDepth();
  return 0;
}

int ClearDrawScreenImpl() {
  DrawState& state = GetDrawState();
  if (state.drawSuppressed) return 0;
  WaitWhileInactive();
  G_DD_ClearDrawScreen();
  if (IsSoftwareScreen() && state.drawScreen == kFrontScreen) {
    RECT all{0, 0, 0, 0};
    GetScreenSize(&all.right, &all.bottom);
    PresentFrontScreenRect(&all);
  }
  return 0;
}

int G_DD_ClearDrawScreen() {
  DrawTarget& target = GetDrawTarget();
  const ScreenState& screen = GetScreenStateRecord();
  if (target.drawDisabled || (!screen.directDrawRunning && !screen.pureSoftware)) return -1;
  if (screen.directDrawReady) G_D3D_EndScene();
  G_D3D_FlushCurrentVertexBuffer();
  if (target.targetSurface && screen.device) {
    const DrawState& state = GetDrawState();
    int width = state.targetWidth;
    int height = state.targetHeight;
    if (state.drawScreen == kFrontScreen || state.drawScreen == kBackScreen) GetScreenSize(&width, &height);
    const int left = target.offsetX + state.frontClientRect.left;
    const int top = target.offsetY + state.frontClientRect.top;
    const platform::Rect area{left, top, left + width, top + height};
    const ColorFormat& format = GetOutputSurfaces().screenColorFormat;
    screen.device->ColorFill(target.targetSurface, &area,
                             GetColorFormatPixel(&format, kBackgroundRed, kBackgroundGreen, kBackgroundBlue, 255));
    platform::DeviceSurface* z = GetOutputSurfaces().zBufferSurface;
    if (state.drawScreen == kBackScreen && z) screen.device->DepthFill(z, nullptr, 0xFFFF);
    return 0;
  }
  MEMIMG* image = target.targetMemImg;
  if (image && image->pixels && image->format) {
    FillMemImg(image, nullptr,
               GetColorFormatPixel(image->format, kBackgroundRed, kBackgroundGreen, kBackgroundBlue, 255));
  }
  if (target.zMemImg && target.zMemImg->pixels) FillMemImg(target.zMemImg, nullptr, 0xFFFF);
  return 0;
}

}  // namespace rt
