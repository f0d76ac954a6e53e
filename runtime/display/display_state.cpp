#include "runtime/display/display_state.h"

namespace rt {
namespace {

struct DisplayGlobals {
  DrawState drawState;
  DrawTarget drawTarget;
  SoftDrawState softDraw;
  ScreenState screen;
  OutputSurfaces output;
  MEMIMG maskScreen{};
};

DisplayGlobals g_display;

}  // namespace

DrawState& GetDrawState() { return g_display.drawState; }
DrawTarget& GetDrawTarget() { return g_display.drawTarget; }
SoftDrawState& GetSoftDrawState() { return g_display.softDraw; }
ScreenState& GetScreenStateRecord() { return g_display.screen; }
OutputSurfaces& GetOutputSurfaces() { return g_display.output; }
MEMIMG* GetMaskMemImg() { return &g_display.maskScreen; }

void ResetDisplayState() {
  OutputSurfaces& out = g_display.output;
  ReleaseMemImg(&out.frontImage);
  ReleaseMemImg(&out.backImage);
  ReleaseMemImg(&out.zImage);
  out.ownedPresenter.reset();
  out.ownedDevice.reset();
  out = OutputSurfaces{};
  g_display.drawState = DrawState{};
  g_display.drawTarget = DrawTarget{};
  g_display.softDraw = SoftDrawState{};
  g_display.screen = ScreenState{};
}

}  // namespace rt
