// The mask: a byte per screen pixel marking the pixels later draws must not change. While
// mask drawing is on, the software draws go to the mask work screen: each draw first copies
// the rectangle it will touch from its target into the work screen, draws there, and then
// copies back only the pixels the mask leaves free. On a device screen the work screen is a
// plain surface: the draws stay on the target, and the masked pixels are put back from the
// copy after each draw. Nothing in this system fills a mask, so
// mask drawing stays off unless a mask is made on purpose.
#pragma once
#include <cstdint>

#include "runtime/image/memimg.h"

namespace rt {

struct MaskState {
  uint8_t* data = nullptr;  // one byte per screen pixel, rows of pitch bytes; non-zero: masked
  int32_t pitch = 0;        // (screen width + 3) & ~3
  int32_t width = 0;        // the screen size the data was made for
  int32_t height = 0;
  int32_t reverse = 0;      // 1: the zero bytes are the masked ones
  uint32_t keyColor = 0;    // written into masked work-screen pixels
  void* surface = nullptr;  // the device's work surface (platform::DeviceSurface), or null
  int32_t workIsMemImg = 0; // the work screen is the software image of GetMaskMemImg
  int32_t workInVideoMemory = 0;
  int32_t wanted = 0;       // the data and the work screen are made again after a device change
  int32_t useFlag = 0;      // the value last given to SetUseMaskScreenFlag
};

MaskState& GetMaskState();

// Makes the data and/or the work screen when asked for and missing. Returns 0.
int CreateMaskScreen(int makeData, int makeScreen);
// Frees the data and the work screen (before the screens are made again). Returns 0.
int ReleaseMaskScreen();
int RecreateMaskScreen();
// Turns mask drawing off and frees everything (graph manager shut-down). Returns 0.
int EndMaskScreen();
// -1 without mask data; otherwise stores the flag and turns mask drawing on or off.
int SetUseMaskScreenFlag(int flag);
int GetUseMaskScreenFlag();
void* GetMaskSurface();
// Around one masked draw on a software target: the save copies the draw's rectangle of the
// target into the work screen; the apply marks the masked pixels of the work screen with
// the key colour and copies the rest back onto the target. Both clip the rectangle to the
// draw area and do nothing while mask drawing is off. Return 0.
int SaveMaskDrawRect(int x1, int y1, int x2, int y2, void* targetSurface, MEMIMG* target);
int ApplyMaskDrawRect(int x1, int y1, int x2, int y2, void* targetSurface, MEMIMG* target);

}  // namespace rt
