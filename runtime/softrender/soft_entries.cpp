#include "runtime/softrender/soft_entries.h"

#include <algorithm>
#include <cstdint>

#include "runtime/display/draw_backend.h"
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

RECT CircleBox(int x, int y, int radius) {
  auto clamp = [](int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  };
  const int64_t r = int64_t{radius} < 0 ? -int64_t{radius} : int64_t{radius};
  return RECT{clamp(x - r - 1), clamp(y - r - 1), clamp(x + r + 2), clamp(y + r + 2)};
}

// DirectDraw targets are drawn through a work image that the display layer prepares over
// the box the draw touches; the colour is converted with the target when it must be.
template <class Draw>
int DrawOnPreparedTarget(RECT box, uint32_t color, Draw draw) {
  if (BeginSoftDrawOnTarget(nullptr, 0, nullptr, &box, 1, &color, nullptr) < 0) return -1;
  draw(GetSoftDrawState().drawImage, color);
  EndSoftDrawOnTarget();
  return 0;
}

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
      return DrawOnPreparedTarget(RECT{x, y, x + 1, y + 1}, color,
                                  [&](MEMIMG* target, uint32_t c) { DrawPixelMemImg(target, x, y, c); });
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
      return DrawOnPreparedTarget(RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)}, color,
                                  [&](MEMIMG* target, uint32_t c) { FillBoxMemImgXY(target, x1, y1, x2, y2, c); });
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
      return DrawOnPreparedTarget(
          RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) == INT32_MAX ? INT32_MAX : std::max(x1, x2) + 1,
               std::max(y1, y2) == INT32_MAX ? INT32_MAX : std::max(y1, y2) + 1},
          color,
          [&](MEMIMG* target, uint32_t c) { DrawLineMemImg(target, x1, y1, x2, y2, c); });
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
      return DrawOnPreparedTarget(CircleBox(x, y, radius), color,
                                  [&](MEMIMG* target, uint32_t c) { DrawCircleMemImg(target, x, y, radius, c, fillFlag); });
  }
}

}  // namespace rt
