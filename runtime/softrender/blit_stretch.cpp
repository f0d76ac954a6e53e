#include "runtime/softrender/blit_stretch.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/softrender/blit_memimg.h"
#include "runtime/softrender/raster_loops.h"
#include "runtime/softrender/transform_common.h"

namespace rt {
namespace soft {
namespace {

// 16.16 fixed point: one destination pixel.
constexpr int64_t kOne = 65536;

// The walks of the stretched blit are digital differential analysers over the destination.
// The early-stop walk (the plain copy and the packed subtract at 255) stops advancing through
// the source as soon as the accumulator reaches 0 rather than when it passes it, so it picks
// other columns and rows where a step lands exactly on 0 (halving takes 0, 1, 3, 5, ...
// instead of 0, 2, 4, ...).
int64_t NextSourceStep(int64_t acc, int64_t step, bool early, int64_t* advanced) {
  int64_t n = 0;
  acc -= kOne;
  if (acc <= 0) {
    do {
      ++n;
      acc += step;
    } while (early ? acc < 0 : acc <= 0);
  }
  *advanced = n;
  return acc;
}

bool Overlap(const uint8_t* a, size_t aBytes, const uint8_t* b, size_t bBytes) {
  const uintptr_t x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
  return x < y + bBytes && y < x + aBytes;
}

// Sources this wide or high could step past their last column within one row.
constexpr int kMaxSourceSide = 65535;

}  // namespace
}  // namespace soft

void StretchBlitMemImg(MEMIMG* dest, const MEMIMG* src, const RECT* destRect, int transparentFlag,
                       const MEMIMG* blendImage) {
  using namespace soft;
  if (destRect == nullptr || !DrawableOnto(dest, src)) return;

  RECT r = *destRect;
  int dirX = 1, dirY = 1;
  if (r.left > r.right) {
    std::swap(r.left, r.right);
    dirX = -1;
  }
  if (r.top > r.bottom) {
    std::swap(r.top, r.bottom);
    dirY = -1;
  }
  const int64_t w = int64_t{r.right} - r.left;
  const int64_t h = int64_t{r.bottom} - r.top;
  if (w == 0 || h == 0) return;
  if (w == src->width && h == src->height && dirX == 1 && dirY == 1) {
    BlitMemImg(dest, src, r.left, r.top, transparentFlag, blendImage);
    return;
  }
  if (src->width > kMaxSourceSide || src->height > kMaxSourceSide) return;
  if (blendImage != nullptr &&
      (blendImage->pixels == nullptr || blendImage->width < src->width || blendImage->height < src->height)) {
    return;
  }

  // Steps from the unclipped rectangle; a destination under 1/65536 of the source has none.
  const int64_t stepX = (w << 16) / src->width;
  const int64_t stepY = (h << 16) / src->height;
  if (stepX == 0 || stepY == 0) return;

  const RECT unclipped = r;
  const RECT clip = DestClip(dest);
  ClipRectImpl(&r, &clip);
  const int cw = r.right - r.left;
  const int ch = r.bottom - r.top;
  if (cw <= 0 || ch <= 0) return;

  const DrawState& state = GetDrawState();
  const SrcForm form = FormOfImage(src);
  const BlendChoice choice = ChooseBlend(Rules::kStretched, form, state.blendMode, state.blendParam,
                                         state.brightColor, blendImage != nullptr, true,
                                         GetScreenStateRecord().mmxAvailable != 0);
  if (!choice.draw) return;
  const int param = std::clamp(state.blendParam, 0, 255);
  const bool early = !choice.graph && choice.white && !HasAlpha(form) &&
                     (choice.mode == 0 || (choice.mode == 3 && param == 255));

  // Where the clipped rectangle starts in the source, counted from the side drawing starts.
  const int64_t dx = (int64_t{r.left} - unclipped.left) << 16;
  const int64_t dy = (int64_t{r.top} - unclipped.top) << 16;
  const int64_t qx = dx / stepX, rx = dx % stepX;
  const int64_t qy = dy / stepY, ry = dy % stepY;
  const int64_t column = dirX == 1 ? qx : src->width - 1 - qx;
  const int64_t row = dirY == 1 ? qy : src->height - 1 - qy;
  if (column < 0 || column >= src->width || row < 0 || row >= src->height) return;

  // The source column of every drawn column, walked once per draw rather than once per row.
  thread_local std::vector<int32_t> columns;
  columns.resize(static_cast<size_t>(cw));
  {
    int64_t acc = stepX - rx, offset = 0, advanced = 0;
    for (int x = 0; x < cw; ++x) {
      columns[static_cast<size_t>(x)] = static_cast<int32_t>(offset);
      acc = NextSourceStep(acc, stepX, early, &advanced);
      offset += dirX * advanced;
    }
  }

  StretchJob job{};
  const int srcBytes = SrcBytes(form);
  job.dst = dest->pixels + int64_t{r.top} * dest->pitch + int64_t{r.left} * DestBytes(form);
  job.dstPitch = dest->pitch;
  job.src = src->pixels + row * src->pitch + column * srcBytes;
  job.srcRowStep = dirY * static_cast<ptrdiff_t>(src->pitch);
  if (blendImage) {
    job.graph = blendImage->pixels + row * blendImage->pitch + column;
    job.graphRowStep = dirY * static_cast<ptrdiff_t>(blendImage->pitch);
  }
  job.columns = columns.data();
  job.width = cw;
  job.rows = ch;
  job.stepY = stepY;
  job.startY = stepY - ry;
  job.context = MakeBlendContext(state, src);
  const size_t destBytes = static_cast<size_t>(dest->pitch) * static_cast<size_t>(dest->height);
  job.copyRepeatedRows =
      !Overlap(dest->pixels, destBytes, src->pixels, static_cast<size_t>(src->pitch) * static_cast<size_t>(src->height));

  const Transp transp = transparentFlag != 0 ? Transp::kTest : Transp::kNone;
  const size_t index = BlendIndex(choice.form, choice.mode, choice.graph, choice.white, transp, choice.special);
  const StretchFn fn = ActiveRasterLoops()->stretch(early, index);
  if (fn) fn(job);
}

}  // namespace rt
