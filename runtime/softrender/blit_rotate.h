// The rotated blit: a software image drawn turned about its centre, scaled and optionally
// mirrored left-right, into another.
#pragma once

#include "runtime/image/memimg.h"
#include "runtime/image/rect.h"

namespace rt {

// Places the source's centre on destination pixel (x, y), turned by angle radians
// (clockwise on the screen) and scaled by scale; turn non-zero mirrors it left-right first
// (drawn as a quad of two textured triangles). Clipped to the draw area; combined under the
// draw state. Nothing is drawn for a zero or non-finite scale, a non-finite angle, or
// sizes whose fixed-point positions do not fit in 32 bits.
void RotateBlitMemImg(MEMIMG* dest, const MEMIMG* src, int x, int y, float angle, float scale, int transparentFlag,
                      int turn, const MEMIMG* blendImage);

// The rectangle a rotated blit with these arguments may write (right and bottom exclusive),
// before clipping; false when it draws nothing whatever the draw area.
bool RotateBlitBounds(int srcWidth, int srcHeight, int x, int y, float angle, float scale, RECT* bounds);

}  // namespace rt
