// What the fonts need of the display and graph layers, gathered in one place: the screen's
// depth and size, the draw state, the screen's colour packing, the font's drawing screen
// and the display's string draw.
#pragma once
#include <cstdint>

#include "runtime/image/rect.h"

namespace rt::font_device {

// DirectDraw is in use but its object is gone (fonts cannot be made or drawn then).
bool DirectDrawObjectMissing();
// The screen's colour depth, 0 while unknown.
int ScreenColorBits();
// The screen size, 640 x 480 while unknown.
void ScreenSize(int* width, int* height);

bool DrawSuppressed();
bool DrawAreaEmpty();
RECT DrawArea();
uint32_t BrightColor();

// A screen-format colour split into 0..255 components, and packed again.
int SplitScreenColor(uint32_t color, int* r, int* g, int* b);
uint32_t PackScreenColor(int r, int g, int b);

// The font's drawing screen: a system-memory 2D surface of the screen size (alpha for
// anti-aliased fonts) whose deletion writes 1 into *deletedFlag. -1 when it cannot be made.
int CreateDrawScreen(int alphaChannel, int* deletedFlag);
void DeleteDrawScreen(int surface);
void DeleteCacheGraph(int graph);

// The display's string draw of a memory-cache font onto the current target (it calls the
// text engine); 0 or -1.
int DrawStringOnTarget(int x, int y, const char* text, uint32_t color, int font, uint32_t edgeColor,
                       int vertical);
// Around a string draw: the software front screen is brought up to date and presented,
// and the mask is saved and applied over the text rectangle.
void BeginStringDraw(const RECT& textRect, bool memoryCacheFont);
void EndStringDraw(const RECT& textRect, bool memoryCacheFont);

}  // namespace rt::font_device
