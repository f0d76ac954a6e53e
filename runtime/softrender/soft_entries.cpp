#include "runtime/softrender/soft_entries.h"

#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/primitives.h"

namespace rt {
namespace {

enum class SoftPath { kRefused, kDirect, kPrepared };

// Where an entry's pixels go: straight into a software screen's image (the mask work screen
// while mask drawing is on), or into a prepared copy of a DirectDraw target.
SoftPath ChoosePath(MEMIMG** image) {
  const DrawTarget& target = GetDrawTarget();
  const ScreenState& screen = GetScreenStateRecord();
  if (target.drawDisabled) return SoftPath::kRefused;
  if (!screen.pureSoftware && !screen.directDrawRunning) return SoftPath::kRefused;
  if (screen.softwareRender == 1 && screen.screenBits != 8) {
    *image = GetDrawState().maskScreenInUse ? GetMaskMemImg() : target.targetMemImg;
    return *image ? SoftPath::kDirect : SoftPath::kRefused;
  }
  return SoftPath::kPrepared;
}

// DirectDraw targets are drawn through a work image that the display layer prepares over
// the target; until a DirectDraw device exists no target can be prepared.
int DrawOnPreparedTarget() { return -1; }

}  // namespace

int G_SOFT_DrawPixel(int x, int y, uint32_t color) {
  MEMIMG* image = nullptr;
  switch (ChoosePath(&image)) {
    case SoftPath::kRefused:
      return -1;
    case SoftPath::kDirect:
      DrawPixelMemImg(image, x, y, color);
      return 0;
    default:
      return DrawOnPreparedTarget();
  }
}

int G_SOFT_DrawFillBox(int x1, int y1, int x2, int y2, uint32_t color) {
  MEMIMG* image = nullptr;
  switch (ChoosePath(&image)) {
    case SoftPath::kRefused:
      return -1;
    case SoftPath::kDirect:
      FillBoxMemImgXY(image, x1, y1, x2, y2, color);
      return 0;
    default:
      return DrawOnPreparedTarget();
  }
}

int G_SOFT_DrawLine(int x1, int y1, int x2, int y2, uint32_t color) {
  MEMIMG* image = nullptr;
  switch (ChoosePath(&image)) {
    case SoftPath::kRefused:
      return -1;
    case SoftPath::kDirect:
      DrawLineMemImg(image, x1, y1, x2, y2, color);
      return 0;
    default:
      if (x1 == x2 && y1 == y2) return 0;
      return DrawOnPreparedTarget();
  }
}

int G_SOFT_DrawCircle(int x, int y, int radius, uint32_t color, int fillFlag) {
  MEMIMG* image = nullptr;
  switch (ChoosePath(&image)) {
    case SoftPath::kRefused:
      return -1;
    case SoftPath::kDirect:
      DrawCircleMemImg(image, x, y, radius, color, fillFlag);
      return 0;
    default:
      if (radius == 0) return 0;
      return DrawOnPreparedTarget();
  }
}

}  // namespace rt
