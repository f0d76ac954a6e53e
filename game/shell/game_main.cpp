#include "game/shell/game_main.h"

#include "platform/window.h"
#include "runtime/api.h"

namespace {

constexpr char kWindowTitle[] = "サイレントデッキ CODE:K  ver2.0.6";
constexpr int kWindowIconId = 101;
// A frame lasts at least this long, measured from its start.
constexpr unsigned kFrameMs = 17;

}  // namespace

int GameMain(int argc, char** argv) {
  // settings: with the full-screen setting on, the runtime's default full screen stays
  ChangeWindowMode(1);
  SetMainWindowText(kWindowTitle);
  SetLogOutput(0);
  // display: SetScreenMode (800, 600, 32, 60) joins here
  SetWindowIcon(kWindowIconId);
  if (InitLibrary() == -1) return -1;

  for (;;) {
    if (ProcessMessage() != 0) break;
    // input: CheckKeyDown (1) replaces this look at the Escape key
    if (platform::IsKeyHeld(platform::kVkEscape)) break;
    const unsigned frameStart = static_cast<unsigned>(GetTimeMs());
    // The millisecond counter wraps: unsigned differences stay right across the wrap.
    while (static_cast<unsigned>(GetTimeMs()) - frameStart < kFrameMs) {
    }
  }
  EndLibrary();
  return 0;
}
