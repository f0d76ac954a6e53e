// Facade rows of the display and drawing.
#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/display/draw_primitives.h"
#include "runtime/display/draw_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/display/screen_flip.h"
#include "runtime/display/screen_mode.h"

const rt::DDPixelFormat* GetScreenPixelFormat() {
  return rt::WithLibraryLock([&] { return rt::GetScreenPixelFormatImpl(); });
}

unsigned int GetColor(int r, int g, int b) { return rt::WithLibraryLock([&] { return rt::GetColorImpl(r, g, b); }); }

int FlipScreen() { return rt::WithLibraryLock([&] { return rt::FlipScreenImpl(); }); }

int SetScreenMode(int width, int height, int colorBits, int refreshRate) {
  return rt::WithLibraryLock([&] { return rt::SetScreenModeImpl(width, height, colorBits, refreshRate); });
}

int SetSoftwareRenderRequest(int flag) {
  return rt::WithLibraryLock([&] { return rt::SetSoftwareRenderRequest(flag); });
}

int ClearDrawScreen() { return rt::WithLibraryLock([&] { return rt::ClearDrawScreenImpl(); }); }

int DrawGraph(int x, int y, int graph, int transparent) {
  return rt::WithLibraryLock([&] { return rt::DrawGraphImpl(x, y, graph, transparent); });
}

int DrawGraphStretched(int x1, int y1, int x2, int y2, int graph, int transparent) {
  return rt::WithLibraryLock([&] { return rt::DrawGraphStretchedImpl(x1, y1, x2, y2, graph, transparent); });
}

int DrawGraphRotated(int x, int y, double scale, double angle, int graph, int transparent, int mirror) {
  return rt::WithLibraryLock(
      [&] { return rt::DrawGraphRotatedImpl(x, y, scale, angle, graph, transparent, mirror); });
}

int DrawRectGraph(int x, int y, int srcX, int srcY, int width, int height, int graph, int transparent,
                  int mirror) {
  return rt::WithLibraryLock(
      [&] { return rt::DrawRectGraphImpl(x, y, srcX, srcY, width, height, graph, transparent, mirror); });
}

int DrawRectGraphStretched(int x1, int y1, int x2, int y2, int srcX, int srcY, int width, int height,
                           int graph, int transparent) {
  return rt::WithLibraryLock([&] {
    return rt::DrawRectGraphStretchedImpl(x1, y1, x2, y2, srcX, srcY, width, height, graph, transparent);
  });
}

int DrawLine(int x1, int y1, int x2, int y2, unsigned int color) {
  return rt::WithLibraryLock([&] { return rt::DrawLineImpl(x1, y1, x2, y2, color, 1); });
}

int DrawBox(int x1, int y1, int x2, int y2, unsigned int color, int fill) {
  return rt::WithLibraryLock([&] { return rt::DrawBoxImpl(x1, y1, x2, y2, color, fill); });
}

int DrawCircle(int x, int y, int radius, unsigned int color, int fill) {
  return rt::WithLibraryLock([&] { return rt::DrawCircleImpl(x, y, radius, color, fill); });
}

int DrawPixel(int x, int y, unsigned int color) {
  return rt::WithLibraryLock([&] { return rt::DrawPixelImpl(x, y, color); });
}

int SetDrawBlendMode(int mode, int param) {
  return rt::WithLibraryLock([&] { return rt::SetDrawBlendModeImpl(mode, param); });
}

int SetDrawBright(int r, int g, int b) { return rt::WithLibraryLock([&] { return rt::SetDrawBrightImpl(r, g, b); }); }

int SetDrawScreen(int screen) { return rt::WithLibraryLock([&] { return rt::SetDrawScreenImpl(screen); }); }
