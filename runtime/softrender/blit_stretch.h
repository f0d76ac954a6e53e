// The stretched blit: a whole software image drawn scaled, and mirrored on each axis whose
// rectangle corners come reversed, into a rectangle of another.
#pragma once

#include "runtime/image/memimg.h"
#include "runtime/image/rect.h"

namespace rt {

// destRect's right and bottom are exclusive; left > right mirrors left-right, top > bottom
// top-bottom. An unscaled, unmirrored rectangle goes to the same-size blit. Clipped to the
// draw area; combined under the draw state like the same-size blit. blendImage (or null)
// is read at source coordinates and must be at least as large as the source.
void StretchBlitMemImg(MEMIMG* dest, const MEMIMG* src, const RECT* destRect, int transparentFlag,
                       const MEMIMG* blendImage);

}  // namespace rt
