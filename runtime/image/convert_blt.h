// The one pixel transfer between two colour formats: a rectangle of the source is written
// at (destX, destY) of the destination, converted, optionally mirrored, with a colour key
// skipped or turned into alpha, alpha from a separate image or from the red channel, or
// alpha alone. Pitches may be negative (rows running upwards in memory).
#pragma once
#include <cstdint>

#include "runtime/image/color_format.h"
#include "runtime/image/rect.h"

namespace rt {

struct ConvertBltOptions {
  int mirror = 0;           // write each row right to left
  int keyToAlpha = 0;       // pixels of the key colour become transparent, all others opaque
  uint32_t keyColor = 0;    // 0x00RRGGBB with keyToAlpha; a raw source pixel with transparentSkip
  int reserved = 0;         // always 0
  int alphaOnly = 0;        // red, green and blue written as 0
  int alphaFromRed = 0;     // destination alpha taken from the red channel
  int transparentSkip = 0;  // destination left as it is where the source pixel equals the key
};

// 0; -1 for an empty rectangle, and for an 8-bit destination with a source that is not
// 8-bit; for an 8-bit copy the highest byte value copied.
int ConvertColorFormatBlt(void* dest, int destPitch, const ColorFormat* destFormat, const void* src, int srcPitch,
                          const ColorFormat* srcFormat, const void* alpha, int alphaPitch,
                          const ColorFormat* alphaFormat, int destX, int destY, const RECT* srcRect, int mirror,
                          int keyToAlpha, uint32_t keyColor, int reserved, int alphaOnly, int alphaFromRed,
                          int transparentSkip);

inline int ConvertColorFormatBlt(void* dest, int destPitch, const ColorFormat* destFormat, const void* src,
                                 int srcPitch, const ColorFormat* srcFormat, const void* alpha, int alphaPitch,
                                 const ColorFormat* alphaFormat, int destX, int destY, const RECT* srcRect,
                                 const ConvertBltOptions& o) {
  return ConvertColorFormatBlt(dest, destPitch, destFormat, src, srcPitch, srcFormat, alpha, alphaPitch,
                               alphaFormat, destX, destY, srcRect, o.mirror, o.keyToAlpha, o.keyColor, o.reserved,
                               o.alphaOnly, o.alphaFromRed, o.transparentSkip);
}

}  // namespace rt
