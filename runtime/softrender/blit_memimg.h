// The same-size blit: one software image drawn pixel for pixel onto another under the
// draw settings.
#pragma once

#include "runtime/image/memimg.h"

namespace rt {

// Draws the whole source with its top-left pixel at (x, y), clipped to the draw area and
// to the destination, with the draw state's blend mode and parameter and bright colour.
// transparentFlag non-zero skips the source's transparent colour (or, with an alpha
// channel, alpha 0); exactly 1 lets an unclipped draw skip whole transparent runs by the
// source's run table. blendImage (or null) gives a per-pixel factor through the blend-graph
// table, read at source coordinates; one smaller than the source draws nothing. Draws
// nothing when the kinds differ, the destination has a palette or alpha, or the settings
// draw nothing.
void BlitMemImg(MEMIMG* dest, const MEMIMG* src, int x, int y, int transparentFlag, const MEMIMG* blendImage);

}  // namespace rt
