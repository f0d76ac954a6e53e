// The parts of the display layer's state that the software renderer reads: the draw
// settings, the current draw target and the screen flags. The display layer owns these
// records and fills them; the renderer only reads them.
#pragma once
#include <cstdint>

#include "runtime/image/memimg.h"
#include "runtime/image/rect.h"

namespace rt {

// The draw settings shared by every draw path.
struct DrawState {
  RECT drawArea{0, 0, 0, 0};      // clip rectangle: left, top inclusive; right, bottom exclusive
  int32_t blendMode = 0;          // 0 none, 1 alpha, 2 add, 3 subtract, 4 multiply
  int32_t blendParam = 0;         // 0..255
  uint32_t brightColor = 0xFFFFFF;  // 0x00RRGGBB; low 24 bits all ones means no change
  int32_t maskScreenInUse = 0;    // drawing goes to the mask work screen
};

// The current draw target as the software paths see it.
struct DrawTarget {
  MEMIMG* targetMemImg = nullptr;  // the target's image while drawing goes to software screens
  int32_t drawDisabled = 0;        // set while the target is being changed
};

// The processor's packed byte instructions serve the blits' saturating loops; x86-64 always
// has them, so the setting starts on there.
#if defined(__x86_64__) || defined(_M_X64)
constexpr int32_t kMmxAvailableDefault = 1;
#else
constexpr int32_t kMmxAvailableDefault = 0;
#endif

struct ScreenState {
  int32_t screenBits = 0;          // 8, 16 or 32; 0 unset
  int32_t softwareRender = 0;      // drawing goes through the software renderer on MEMIMG screens
  int32_t pureSoftware = 0;        // the software screen without any DirectDraw
  int32_t directDrawRunning = 0;   // DirectDraw screens exist
  int32_t directDrawReady = 0;     // DirectDraw start-up has completed
  int32_t mmxAvailable = kMmxAvailableDefault;
};

DrawState& GetDrawState();
DrawTarget& GetDrawTarget();
ScreenState& GetScreenStateRecord();

// The mask work screen's image; drawing goes there while maskScreenInUse is set.
MEMIMG* GetMaskMemImg();

}  // namespace rt
