#include "runtime/image/memimg.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/image/convert_blt.h"
#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/raster_loops.h"

namespace rt {
namespace {

constexpr int kPitchAlign = 16;

int SmallestPowerOfTwoShift(int64_t value) {
  int n = 0;
  while ((int64_t{1} << n) < value) ++n;
  return n;
}

void SetTablePointers(MEMIMG* image) {
  image->paletteTable = image->palette;
  image->workPaletteTable = image->workPalette;
}

// Transparent-colour tests compare the stored pixel: all 32 bits, the 16-bit word, or the
// index byte of a paletted image.
bool IsTransparentPixel(const MEMIMG* image, const uint8_t* p) {
  if (image->paletteFlag) return p[0] == (image->transparentColor & 0xFF);
  if (image->kind == kMemImgKindXRGB) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v == image->transparentColor;
  }
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v == (image->transparentColor & 0xFFFF);
}

uint8_t RunClassOf(const MEMIMG* image, const uint8_t* p) {
  if (image->alphaFlag) {
    const uint8_t a = image->kind == kMemImgKind565 ? p[2] : p[3];
    if (a == 0) return kRunClassSkip;
    return a == 255 ? kRunClassOpaque : kRunClassTranslucent;
  }
  return IsTransparentPixel(image, p) ? kRunClassSkip : kRunClassOpaque;
}

// Clips a copy of srcRect against the source and the destination and moves the destination
// point with it; false when nothing is left.
bool ClipTransfer(RECT* src, int* destX, int* destY, int srcW, int srcH, int destW, int destH) {
  int64_t left = src->left, top = src->top, right = src->right, bottom = src->bottom;
  int64_t dx = *destX, dy = *destY;
  if (left < 0) {
    dx -= left;
    left = 0;
  }
  if (top < 0) {
    dy -= top;
    top = 0;
  }
  right = std::min<int64_t>(right, srcW);
  bottom = std::min<int64_t>(bottom, srcH);
  if (dx < 0) {
    left -= dx;
    dx = 0;
  }
  if (dy < 0) {
    top -= dy;
    dy = 0;
  }
  right = std::min<int64_t>(right, left + (destW - dx));
  bottom = std::min<int64_t>(bottom, top + (destH - dy));
  if (right <= left || bottom <= top) return false;
  *src = RECT{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
              static_cast<int32_t>(bottom)};
  *destX = static_cast<int>(dx);
  *destY = static_cast<int>(dy);
  return true;
}

}  // namespace

int MemImgBytesPerPixel(int kind, int paletteFlag, int alphaFlag) {
  if (paletteFlag) return 1;
  switch (kind) {
    case kMemImgKind565:
      return alphaFlag ? 4 : 2;
    case kMemImgKindXRGB:
      return 4;
    case kMemImgKind8:
      return 1;
    default:
      return 2;
  }
}

int InitMemImg(MEMIMG* image, int width, int height, int pitch, uint32_t transparentColor, int kind, int paletteFlag,
               int alphaFlag, int buffersFlag) {
  if (image->magic == kMemImgMagic) return -1;
  if (kind < kMemImgKind565 || kind > kMemImgKindZ16 || width < 0 || height < 0) return -1;
  if (kind >= kMemImgKind8) paletteFlag = alphaFlag = 0;
  paletteFlag = paletteFlag ? 1 : 0;
  alphaFlag = (alphaFlag && !paletteFlag) ? 1 : 0;

  image->width = width;
  image->height = height;
  image->transparentColor = transparentColor;
  image->kind = kind;
  image->paletteFlag = paletteFlag;
  image->alphaFlag = alphaFlag;
  image->alphaPlaneValid = 0;
  image->runTableValid = 0;
  SetTablePointers(image);

  const int64_t rowBytes = int64_t{MemImgBytesPerPixel(kind, paletteFlag, alphaFlag)} * width;
  const int64_t chosenPitch = pitch == -1 ? (rowBytes + kPitchAlign - 1) & ~int64_t{kPitchAlign - 1} : pitch;
  if (chosenPitch < rowBytes || chosenPitch > INT32_MAX) return -1;
  image->pitch = static_cast<int32_t>(chosenPitch);
  const int shift = SmallestPowerOfTwoShift(pitch == -1 ? rowBytes : pitch);
  image->pitchShift = (int64_t{1} << shift) == chosenPitch ? shift : -1;
  image->format = GetStandardColorFormat(kind, alphaFlag, paletteFlag);

  const int64_t planeBytes = chosenPitch * height;
  const int64_t runBytes = (int64_t{width} + kRunTableRowSlack) * height;
  if (planeBytes > INT32_MAX || runBytes > INT32_MAX) return -1;

  // Whatever this call allocates is given back when a later allocation fails.
  uint8_t* ownPixels = nullptr;
  if (image->pixels == nullptr) {
    ownPixels = static_cast<uint8_t*>(RT_ALLOC(static_cast<size_t>(planeBytes)));
    if (ownPixels == nullptr) return -1;
    image->pixels = ownPixels;
    image->borrowed = 0;
  } else {
    image->borrowed = 1;
  }
  uint8_t* ownPlane = nullptr;
  uint8_t* ownRuns = nullptr;
  if (buffersFlag) {
    bool failed = false;
    if (alphaFlag && image->alphaPlane == nullptr) {
      ownPlane = static_cast<uint8_t*>(RT_ALLOC(static_cast<size_t>(planeBytes)));
      failed = ownPlane == nullptr;
    }
    if (!failed && kind != kMemImgKind8 && image->runTable == nullptr) {
      ownRuns = static_cast<uint8_t*>(RT_ALLOC(static_cast<size_t>(runBytes)));
      failed = ownRuns == nullptr;
    }
    if (failed) {
      MemFree(ownPlane);
      if (ownPixels) {
        MemFree(ownPixels);
        image->pixels = nullptr;
      }
      return -1;
    }
    if (ownPlane) image->alphaPlane = ownPlane;
    if (ownRuns) image->runTable = ownRuns;
  }
  image->magic = kMemImgMagic;
  return 0;
}

int CreateMemImg(MEMIMG* image, int width, int height, int kind) {
  std::memset(image, 0, sizeof(*image));
  if (kind == -1) kind = GetScreenStateRecord().screenBits == 16 ? kMemImgKind565 : kMemImgKindXRGB;
  return InitMemImg(image, width, height, -1, 0, kind, 0, 0, 0);
}

int CreateZBufferMemImg(MEMIMG* image, int width, int height) {
  std::memset(image, 0, sizeof(*image));
  return InitMemImg(image, width, height, -1, 0, kMemImgKindZ16, 0, 0, 0);
}

void ReleaseMemImg(MEMIMG* image) {
  if (image->magic != kMemImgMagic) return;
  if (!image->borrowed) MemFree(image->pixels);
  MemFree(image->alphaPlane);
  MemFree(image->runTable);
  image->pixels = nullptr;
  image->alphaPlane = nullptr;
  image->runTable = nullptr;
  image->magic = 0;
}

void DeriveMemImg(MEMIMG* view, const MEMIMG* parent, int x, int y, int width, int height) {
  // A view never reaches outside its parent.
  x = std::clamp(x, 0, parent->width);
  y = std::clamp(y, 0, parent->height);
  width = std::clamp(width, 0, parent->width - x);
  height = std::clamp(height, 0, parent->height - y);
  const int bytes = parent->format ? parent->format->pixelByte
                                   : MemImgBytesPerPixel(parent->kind, parent->paletteFlag, parent->alphaFlag);
  view->magic = kMemImgMagic;
  view->width = width;
  view->height = height;
  view->pitch = parent->pitch;
  view->pitchShift = parent->pitchShift;
  view->format = parent->format;
  view->transparentColor = parent->transparentColor;
  view->kind = parent->kind;
  view->paletteFlag = parent->paletteFlag;
  view->paletteCount = parent->paletteCount;
  view->alphaFlag = parent->alphaFlag;
  view->alphaPlaneValid = 0;
  view->runTableValid = 0;
  // Marked borrowed so that a view passed to ReleaseMemImg by mistake frees nothing.
  view->borrowed = 1;
  view->paletteTable = parent->paletteTable;
  view->workPaletteTable = parent->workPaletteTable;
  view->pixels = parent->pixels ? parent->pixels + int64_t{x} * bytes + int64_t{y} * parent->pitch : nullptr;
  view->alphaPlane = nullptr;
  view->runTable = nullptr;
}

int HasMemImgPixels(const MEMIMG* image) { return image->pixels != nullptr ? 1 : 0; }

void FillMemImg(MEMIMG* image, const RECT* rect, uint32_t value) {
  if (image->pixels == nullptr || image->format == nullptr) return;
  RECT r = rect ? *rect : RECT{0, 0, image->width, image->height};
  const RECT bounds{0, 0, image->width, image->height};
  ClipRectImpl(&r, &bounds);
  const int w = r.right - r.left;
  if (w <= 0 || r.bottom <= r.top) return;
  const int bytes = image->format->pixelByte;
  uint8_t* first = image->pixels + int64_t{r.top} * image->pitch + int64_t{r.left} * bytes;
  if (bytes == 1) {
    for (int y = r.top; y < r.bottom; ++y, first += image->pitch) {
      std::memset(first, static_cast<int>(value & 0xFF), static_cast<size_t>(w));
    }
    return;
  }
  if (bytes == 3) {
    for (int y = r.top; y < r.bottom; ++y, first += image->pitch) {
      for (int x = 0; x < w; ++x) std::memcpy(first + int64_t{x} * bytes, &value, static_cast<size_t>(bytes));
    }
    return;
  }
  if (bytes != 2 && bytes != 4) return;
  // Pixels of 2 and 4 bytes go through the renderer's unblended box fill.
  soft::PrimContext context{};
  context.color = bytes == 2 ? value & 0xFFFF : value;
  const soft::BoxJob job{first, image->pitch, w, r.bottom - r.top, context};
  soft::ActiveRasterLoops()->box(bytes == 2 ? kMemImgKind565 : kMemImgKindXRGB, 0)(job);
}

void BltMemImg(MEMIMG* dest, const MEMIMG* source, const RECT* sourceRect, int destX, int destY) {
  if (dest->pixels == nullptr || source->pixels == nullptr || !dest->format || !source->format) return;
  RECT r = sourceRect ? *sourceRect : RECT{0, 0, source->width, source->height};
  if (!ClipTransfer(&r, &destX, &destY, source->width, source->height, dest->width, dest->height)) return;
  ConvertColorFormatBlt(dest->pixels, dest->pitch, dest->format, source->pixels, source->pitch, source->format, nullptr,
                        0, nullptr, destX, destY, &r, ConvertBltOptions{});
}

void BltMemImgToGraphImage(GraphImage* dest, const MEMIMG* source, int x, int y, int width, int height, int destX,
                           int destY, uint32_t transparentColor, int keyFlag) {
  if (source->kind != kMemImgKind565 && source->kind != kMemImgKindXRGB) return;
  if (source->paletteFlag || source->alphaFlag) return;
  if (dest->pixels == nullptr || source->pixels == nullptr || !source->format) return;
  RECT r{x, y, static_cast<int32_t>(std::min<int64_t>(int64_t{x} + width, INT32_MAX)),
         static_cast<int32_t>(std::min<int64_t>(int64_t{y} + height, INT32_MAX))};
  if (!ClipTransfer(&r, &destX, &destY, source->width, source->height, dest->width, dest->height)) return;
  ConvertBltOptions o;
  o.keyColor = transparentColor;
  o.transparentSkip = keyFlag;
  ConvertColorFormatBlt(dest->pixels, dest->pitch, &dest->format, source->pixels, source->pitch, source->format,
                        nullptr, 0, nullptr, destX, destY, &r, o);
}

int BltGraphImageToMemImg(const GraphImage* image, const GraphImage* alphaImage, MEMIMG* dest, int sourceX, int sourceY,
                          int width, int height, int destX, int destY, int option) {
  if (image->pixels == nullptr || dest->pixels == nullptr || dest->format == nullptr) return -1;
  RECT r{sourceX, sourceY, static_cast<int32_t>(std::min<int64_t>(int64_t{sourceX} + width, INT32_MAX)),
         static_cast<int32_t>(std::min<int64_t>(int64_t{sourceY} + height, INT32_MAX))};
  const RECT requested = r;
  const int requestedX = destX, requestedY = destY;
  if (!ClipTransfer(&r, &destX, &destY, image->width, image->height, dest->width, dest->height)) return -1;
  const bool clipped = r.left != requested.left || r.top != requested.top || r.right != requested.right ||
                       r.bottom != requested.bottom || destX != requestedX || destY != requestedY;
  const bool colourKind = dest->kind == kMemImgKind565 || dest->kind == kMemImgKindXRGB;

  if (!colourKind) {
    ConvertColorFormatBlt(dest->pixels, dest->pitch, dest->format, image->pixels, image->pitch, &image->format, nullptr,
                          0, nullptr, destX, destY, &r, ConvertBltOptions{});
  } else {
    // The alpha image is read at the source rectangle's coordinates.
    const bool withAlpha = alphaImage != nullptr && alphaImage->pixels != nullptr && alphaImage->width >= r.right &&
                           alphaImage->height >= r.bottom;
    ConvertBltOptions o;
    o.keyToAlpha = option;
    o.keyColor = dest->transparentColor;
    const int result =
        ConvertColorFormatBlt(dest->pixels, dest->pitch, dest->format, image->pixels, image->pitch, &image->format,
                              withAlpha ? alphaImage->pixels : nullptr, withAlpha ? alphaImage->pitch : 0,
                              withAlpha ? &alphaImage->format : nullptr, destX, destY, &r, o);
    if (result < 0) return -1;
    if (!withAlpha && dest->paletteFlag) dest->paletteCount = std::min(result + 1, 256);
  }

  if (dest->paletteFlag) {
    if (dest->kind == kMemImgKind565) {
      for (int i = 0; i < 256; ++i) {
        const uint8_t* e = image->format.palette[i];  // blue, green, red
        const uint16_t v = static_cast<uint16_t>((e[2] & 0xF8) << 8 | (e[1] & 0xFC) << 3 | e[0] >> 3);
        std::memcpy(dest->palette + 2 * i, &v, 2);
      }
      std::memcpy(dest->workPalette, dest->palette, 512);
    } else {
      for (int i = 0; i < 256; ++i) {
        const uint8_t* e = image->format.palette[i];
        const uint32_t v = uint32_t{e[2]} << 16 | uint32_t{e[1]} << 8 | e[0];
        std::memcpy(dest->palette + 4 * i, &v, 4);
      }
      std::memcpy(dest->workPalette, dest->palette, 1024);
    }
  }

  dest->alphaPlaneValid = 0;
  dest->runTableValid = 0;
  if (clipped || width != dest->width || height != dest->height || !colourKind || dest->runTable == nullptr) return 0;
  if (dest->alphaFlag) RebuildMemImgAlphaPlane(dest);
  RebuildMemImgRunTable(dest);
  return 0;
}

void RebuildMemImgAlphaPlane(MEMIMG* image) {
  if (!image->alphaFlag || image->alphaPlane == nullptr || image->pixels == nullptr) return;
  for (int y = 0; y < image->height; ++y) {
    const uint8_t* src = image->pixels + int64_t{y} * image->pitch;
    uint8_t* dst = image->alphaPlane + int64_t{y} * image->pitch;
    for (int x = 0; x < image->width; ++x, src += 4, dst += 4) {
      uint32_t out;
      if (image->kind == kMemImgKind565) {
        const uint32_t c = uint32_t{src[0]} | uint32_t{src[1]} << 8;
        const uint32_t a = src[2];
        out = ((((c & 0xF800) * a) & 0xF80000) | (((c & 0x07E0) * a) & 0x07E000) | (((c & 0x001F) * a) & 0x1F00)) >> 8;
        out |= a << 16;
      } else {
        const uint32_t a = src[3];
        out = (src[0] * a >> 8) | (src[1] * a >> 8) << 8 | (src[2] * a >> 8) << 16 | a << 24;
      }
      std::memcpy(dst, &out, 4);
    }
  }
  image->alphaPlaneValid = 1;
}

void RebuildMemImgRunTable(MEMIMG* image) {
  if (image->runTable == nullptr || image->pixels == nullptr) return;
  if (image->kind != kMemImgKind565 && image->kind != kMemImgKindXRGB) return;
  const int bytes = MemImgBytesPerPixel(image->kind, image->paletteFlag, image->alphaFlag);
  uint8_t* out = image->runTable;
  for (int y = 0; y < image->height; ++y) {
    const uint8_t* p = image->pixels + int64_t{y} * image->pitch;
    int x = 0;
    while (x < image->width) {
      const uint8_t cls = RunClassOf(image, p + int64_t{x} * bytes);
      int n = 1;
      while (n < kRunMaxLength && x + n < image->width && RunClassOf(image, p + int64_t{x + n} * bytes) == cls) ++n;
      *out++ = static_cast<uint8_t>(cls | (n - 1));
      x += n;
    }
    *out++ = kRunRowEnd;
  }
  image->runTableValid = 1;
}

int UpdateDrawStateHook() { return 0; }

}  // namespace rt
