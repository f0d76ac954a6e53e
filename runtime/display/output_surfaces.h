// The output screens (the front, back and Z images of the software display), the screen's
// colour format, and colours in that format.
#pragma once
#include <cstdint>

#include "runtime/image/color_format.h"

namespace rt {

int CreateOutputSurfaces();
int ReleaseMainSurfaces();
int RestorePrimarySurfaces();
int ReleaseListedSurfaces();
int RestoreListedSurfaces();
int SetupScreenColorFormat();
int CreateScreenPalette();
int RestoreScreenPalette();
// r, g, b 0..255 (clamped) as a colour value of the screen.
uint32_t GetColorImpl(int r, int g, int b);
// The red, green and blue (0..255) of a colour value of the screen; each pointer may be null.
int GetColorComponents(uint32_t color, int* r, int* g, int* b);
const ColorFormat* GetScreenColorFormat();
const DDPixelFormat* GetScreenPixelFormatImpl();

}  // namespace rt
