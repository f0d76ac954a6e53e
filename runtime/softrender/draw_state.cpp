#include "runtime/softrender/draw_state.h"

namespace rt {
namespace {

struct SoftDrawGlobals {
  DrawState drawState;
  DrawTarget drawTarget;
  ScreenState screenState;
  MEMIMG maskScreen{};
};

SoftDrawGlobals g_soft;

}  // namespace

DrawState& GetDrawState() { return g_soft.drawState; }
DrawTarget& GetDrawTarget() { return g_soft.drawTarget; }
ScreenState& GetScreenStateRecord() { return g_soft.screenState; }
MEMIMG* GetMaskMemImg() { return &g_soft.maskScreen; }

}  // namespace rt
