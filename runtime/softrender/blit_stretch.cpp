#include "runtime/softrender/blit_stretch.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "runtime/softrender/blit_memimg.h"
#include "runtime/softrender/transform_common.h"

namespace rt {
namespace soft {
namespace {

// 16.16 fixed point: one destination pixel.
constexpr int64_t kOne = 65536;

struct StretchJob {
  uint8_t* dst;  // first drawn destination pixel
  ptrdiff_t dstPitch;
  const uint8_t* src;  // source pixel of that destination pixel
  ptrdiff_t srcColumnStep, srcRowStep;
  const uint8_t* graph;  // blend-graph byte at the same source position, or null
  ptrdiff_t graphColumnStep, graphRowStep;
  int columns, rows;
  // Steps in destination pixels per source pixel and the accumulators' start values; held
  // in 64 bits so that wide rectangles cannot overflow them.
  int64_t stepX, stepY, startX, startY;
  BlendContext context;
};
using StretchFn = void (*)(const StretchJob&);

// The digital differential analyser over the destination. kEarlyStop: the plain-copy and
// packed-subtract-at-255 walks stop advancing through the source as soon as the accumulator
// reaches 0 rather than when it passes it, so they pick other columns and rows where a step
// lands exactly on 0 (halving takes 0, 1, 3, 5, ... instead of 0, 2, 4, ...).
template <BlendOptions O, bool kEarlyStop>
struct StretchWalk {
  static void Run(const StretchJob& j) {
    const BlendContext c = j.context;
    constexpr int kDestBytes = DestBytes(O.form);
    uint8_t* rowDst = j.dst;
    const uint8_t* rowSrc = j.src;
    const uint8_t* rowGraph = j.graph;
    int64_t accY = j.startY;
    for (int y = 0;;) {
      uint8_t* d = rowDst;
      const uint8_t* s = rowSrc;
      const uint8_t* g = rowGraph;
      int64_t accX = j.startX;
      for (int x = 0;;) {
        const SrcPixel sp = FetchSource<O.form>(c.palette, s, 0);
        BlendInto<O>(c, d, sp, O.graph ? c.graphTable[*g] : 0);
        if (++x == j.columns) break;
        d += kDestBytes;
        accX -= kOne;
        if (accX <= 0) {
          do {
            s += j.srcColumnStep;
            if constexpr (O.graph) g += j.graphColumnStep;
            accX += j.stepX;
          } while (kEarlyStop ? accX < 0 : accX <= 0);
        }
      }
      if (++y == j.rows) break;
      rowDst += j.dstPitch;
      accY -= kOne;
      if (accY <= 0) {
        do {
          rowSrc += j.srcRowStep;
          if constexpr (O.graph) rowGraph += j.graphRowStep;
          accY += j.stepY;
        } while (kEarlyStop ? accY < 0 : accY <= 0);
      }
    }
  }
};

constexpr bool IsEarlyStopBlend(const BlendOptions& o) {
  return !o.graph && o.white && !HasAlpha(o.form) && (o.mode == 0 || o.mode == 3);
}

template <BlendOptions O>
struct GeneralWalk : StretchWalk<O, false> {
  static constexpr bool kAccepts = O.transp == Transp::kNone || O.transp == Transp::kTest;
};
template <BlendOptions O>
struct EarlyStopWalk : StretchWalk<O, true> {
  static constexpr bool kAccepts = (O.transp == Transp::kNone || O.transp == Transp::kTest) && IsEarlyStopBlend(O);
};

constexpr auto kGeneralTable = MakeBlendTable<Rules::kStretched, GeneralWalk, StretchFn>();
constexpr auto kEarlyStopTable = MakeBlendTable<Rules::kStretched, EarlyStopWalk, StretchFn>();

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

  StretchJob job{};
  const int srcBytes = SrcBytes(form);
  job.dst = dest->pixels + int64_t{r.top} * dest->pitch + int64_t{r.left} * DestBytes(form);
  job.dstPitch = dest->pitch;
  job.src = src->pixels + row * src->pitch + column * srcBytes;
  job.srcColumnStep = dirX * srcBytes;
  job.srcRowStep = dirY * static_cast<ptrdiff_t>(src->pitch);
  if (blendImage) {
    job.graph = blendImage->pixels + row * blendImage->pitch + column;
    job.graphColumnStep = dirX;
    job.graphRowStep = dirY * static_cast<ptrdiff_t>(blendImage->pitch);
  }
  job.columns = cw;
  job.rows = ch;
  job.stepX = stepX;
  job.stepY = stepY;
  job.startX = stepX - rx;
  job.startY = stepY - ry;
  job.context = MakeBlendContext(state, src);

  const Transp transp = transparentFlag != 0 ? Transp::kTest : Transp::kNone;
  const size_t index = BlendIndex(choice.form, choice.mode, choice.graph, choice.white, transp, choice.special);
  const StretchFn fn = early ? kEarlyStopTable.entries[index] : kGeneralTable.entries[index];
  if (fn) fn(job);
}

}  // namespace rt
