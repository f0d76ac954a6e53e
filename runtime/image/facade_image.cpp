// Facade rows of images and graphs. These three touch no shared state and take no lock.
#include "runtime/api.h"
#include "runtime/image/color_format.h"
#include "runtime/image/rect.h"

int SetColorFormatFromMasks(rt::ColorFormat* format, int bitDepth, uint32_t redMask, uint32_t greenMask,
                            uint32_t blueMask, uint32_t alphaMask) {
  return rt::SetColorFormatFromMasksImpl(format, bitDepth, redMask, greenMask, blueMask, alphaMask);
}

int MakeDDPixelFormat(rt::DDPixelFormat* pf, int bitDepth, uint32_t redMask, uint32_t greenMask,
                      uint32_t blueMask, uint32_t alphaMask) {
  return rt::MakeDDPixelFormatImpl(pf, bitDepth, redMask, greenMask, blueMask, alphaMask);
}

int ClipRect(RECT* rect, const RECT* clip) { return rt::ClipRectImpl(rect, clip); }
