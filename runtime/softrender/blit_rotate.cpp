#include "runtime/softrender/blit_rotate.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "runtime/softrender/texture_triangle.h"
#include "runtime/softrender/transform_common.h"

namespace rt {
namespace soft {
namespace {

// 14.18 fixed point: one source or destination pixel.
constexpr int kFractionBits = 18;
constexpr int64_t kUnit = int64_t{1} << kFractionBits;
constexpr float kUnitF = 262144.0f;
// Sources larger than this have no 14.18 position in 32 bits.
constexpr int kMaxSourceSide = 8192;

struct RotateJob {
  uint8_t* dst;  // the box's top-left pixel
  ptrdiff_t dstPitch;
  int columns, rows;
  const uint8_t* src;
  ptrdiff_t srcPitch;
  const uint8_t* graph;
  ptrdiff_t graphPitch;
  uint32_t limitU, limitV;  // the source's size in 14.18
  // Source position of the box's top-left pixel and its steps per column and per row; the
  // walk wraps them as 32-bit values and the unsigned range test rejects what falls outside.
  uint32_t u, v, stepUx, stepVx, stepUy, stepVy;
  BlendContext context;
};
using RotateFn = void (*)(const RotateJob&);

template <BlendOptions O>
struct RotateWalk {
  static constexpr bool kAccepts = O.transp == Transp::kNone || O.transp == Transp::kTest;
  static void Run(const RotateJob& j) {
    const BlendContext c = j.context;
    uint8_t* row = j.dst;
    for (int y = 0; y < j.rows; ++y, row += j.dstPitch) {
      uint32_t u = j.u + static_cast<uint32_t>(y) * j.stepUy;
      uint32_t v = j.v + static_cast<uint32_t>(y) * j.stepVy;
      uint8_t* d = row;
      for (int x = 0; x < j.columns; ++x, d += DestBytes(O.form), u += j.stepUx, v += j.stepVx) {
        if (u >= j.limitU || v >= j.limitV) continue;
        BlendTexelInto<O>(c, d, j.src, j.srcPitch, j.graph, j.graphPitch, u >> kFractionBits, v >> kFractionBits);
      }
    }
  }
};

constexpr auto kRotateTable = MakeBlendTable<Rules::kRotated, RotateWalk, RotateFn>();

// Sine and cosine in extended precision, each rounded once to single precision.
void ExtendedSinCos(float angle, float* s, float* c) {
  const long double a = angle;
  *s = static_cast<float>(std::sin(a));
  *c = static_cast<float>(std::cos(a));
}

// The corners of the turned source in 14.18 destination units: where its top-left,
// bottom-left, bottom-right and top-right corners land.
struct Corners {
  int64_t x[4], y[4];
  int32_t sinN, cosN, sinP, cosP;
};

bool ComputeCorners(int srcWidth, int srcHeight, int x, int y, float angle, float scale, Corners* out) {
  if (!std::isfinite(angle) || !std::isfinite(scale) || scale == 0.0f) return false;
  if (srcWidth <= 0 || srcHeight <= 0 || srcWidth > kMaxSourceSide || srcHeight > kMaxSourceSide) return false;
  float sinN, cosN, sinP, cosP;
  ExtendedSinCos(-angle, &sinN, &cosN);
  ExtendedSinCos(angle, &sinP, &cosP);
  bool ok = true;
  out->sinN = TruncateFloat(sinN * kUnitF, &ok);
  out->cosN = TruncateFloat(cosN * kUnitF, &ok);
  out->sinP = TruncateFloat(sinP * kUnitF, &ok);
  out->cosP = TruncateFloat(cosP * kUnitF, &ok);
  const double hw = static_cast<double>(static_cast<uint32_t>(srcWidth)) * static_cast<double>(scale) * 0.5;
  const double hh = static_cast<double>(static_cast<uint32_t>(srcHeight)) * static_cast<double>(scale) * 0.5;
  const float a = static_cast<float>(out->cosP * hw);
  const float b = static_cast<float>(out->sinP * hw);
  const float e = static_cast<float>(out->cosP * hh);
  const float f = static_cast<float>(out->sinP * hh);
  const float sums[4][2] = {{-a + f, -e - b}, {-a - f, e - b}, {a - f, e + b}, {a + f, -e + b}};
  for (int i = 0; i < 4; ++i) {
    out->x[i] = TruncateFloat(sums[i][0], &ok) + int64_t{x} * kUnit;
    out->y[i] = TruncateFloat(sums[i][1], &ok) + int64_t{y} * kUnit;
  }
  return ok;
}

struct Box {
  int64_t left, top, right, bottom;
  bool flat;  // the smallest and the largest y at the same corner
};

// The corners' bounding box in whole pixels with a margin of two before and four after.
Box CornerBox(const Corners& k) {
  int minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (int i = 1; i < 4; ++i) {
    if (k.x[i] < k.x[minX]) minX = i;
    if (k.x[i] > k.x[maxX]) maxX = i;
    if (k.y[i] < k.y[minY]) minY = i;
    if (k.y[i] > k.y[maxY]) maxY = i;
  }
  return Box{k.x[minX] / kUnit - 2, k.y[minY] / kUnit - 2, k.x[maxX] / kUnit + 4, k.y[maxY] / kUnit + 4,
             minY == maxY};
}

}  // namespace
}  // namespace soft

bool RotateBlitBounds(int srcWidth, int srcHeight, int x, int y, float angle, float scale, RECT* bounds) {
  soft::Corners k;
  if (!soft::ComputeCorners(srcWidth, srcHeight, x, y, angle, scale, &k)) return false;
  const soft::Box box = soft::CornerBox(k);
  auto toInt = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  *bounds = RECT{toInt(box.left), toInt(box.top), toInt(box.right), toInt(box.bottom)};
  return true;
}

void RotateBlitMemImg(MEMIMG* dest, const MEMIMG* src, int x, int y, float angle, float scale, int transparentFlag,
                      int turn, const MEMIMG* blendImage) {
  using namespace soft;
  if (dest == nullptr || dest->pixels == nullptr || src == nullptr) return;
  if (src->kind != dest->kind || dest->paletteFlag || dest->alphaFlag) return;
  Corners k;
  if (!ComputeCorners(src->width, src->height, x, y, angle, scale, &k)) return;

  if (turn != 0) {
    // The source's top-left goes where its top-right lands unmirrored, and so on.
    const int order[4] = {3, 0, 2, 1};
    int32_t quad[8];
    for (int i = 0; i < 4; ++i) {
      const int64_t qx = k.x[order[i]] / kUnit, qy = k.y[order[i]] / kUnit;
      if (qx < INT32_MIN || qx > INT32_MAX || qy < INT32_MIN || qy > INT32_MAX) return;
      quad[2 * i] = static_cast<int32_t>(qx);
      quad[2 * i + 1] = static_cast<int32_t>(qy);
    }
    DrawQuadMemImg(dest, src, quad, transparentFlag, blendImage);
    return;
  }
  if (!DrawableOnto(dest, src)) return;
  if (blendImage != nullptr &&
      (blendImage->pixels == nullptr || blendImage->width < src->width || blendImage->height < src->height)) {
    return;
  }

  bool ok = true;
  const double r = 1.0 / static_cast<double>(scale);
  const float inv = static_cast<float>(r);
  const int32_t stepUx = TruncateFloat(static_cast<float>(k.cosP * r), &ok);
  const int32_t stepVx = TruncateFloat(static_cast<float>(k.sinN * static_cast<double>(inv)), &ok);

  const Box box = CornerBox(k);
  if (box.flat) return;
  auto toInt = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  RECT area{toInt(box.left), toInt(box.top), toInt(box.right), toInt(box.bottom)};
  const RECT clip = DestClip(dest);
  ClipRectImpl(&area, &clip);
  if (area.left == area.right || area.top == area.bottom) return;

  // Products in 64 bits: the set-up's 32-bit forms overflow for boxes far from the centre.
  const int64_t dx = int64_t{area.left} - x, dyT = int64_t{area.top} - y, dyB = int64_t{area.bottom} - y;
  auto start = [&](int64_t value, int half) {
    return int64_t{TruncateFloat(static_cast<float>(static_cast<double>(value) * inv), &ok)} + half * kUnit;
  };
  const int64_t uT = start(dx * k.cosN - dyT * k.sinN, src->width >> 1);
  const int64_t vT = start(dx * k.sinN + dyT * k.cosN, src->height >> 1);
  const int64_t uB = start(dx * k.cosN - dyB * k.sinN, src->width >> 1);
  const int64_t vB = start(dx * k.sinN + dyB * k.cosN, src->height >> 1);
  if (!ok) return;
  const int rows = area.bottom - area.top;

  const DrawState& state = GetDrawState();
  const SrcForm form = FormOfImage(src);
  const BlendChoice choice = ChooseBlend(Rules::kRotated, form, state.blendMode, state.blendParam, state.brightColor,
                                         blendImage != nullptr, true, false);
  if (!choice.draw) return;

  RotateJob job{};
  job.dst = dest->pixels + int64_t{area.top} * dest->pitch + int64_t{area.left} * DestBytes(form);
  job.dstPitch = dest->pitch;
  job.columns = area.right - area.left;
  job.rows = rows;
  job.src = src->pixels;
  job.srcPitch = src->pitch;
  if (blendImage) {
    job.graph = blendImage->pixels;
    job.graphPitch = blendImage->pitch;
  }
  job.limitU = static_cast<uint32_t>(src->width * kUnit);
  job.limitV = static_cast<uint32_t>(src->height * kUnit);
  job.u = static_cast<uint32_t>(uT);
  job.v = static_cast<uint32_t>(vT);
  job.stepUx = static_cast<uint32_t>(stepUx);
  job.stepVx = static_cast<uint32_t>(stepVx);
  job.stepUy = static_cast<uint32_t>((uB - uT) / rows);
  job.stepVy = static_cast<uint32_t>((vB - vT) / rows);
  job.context = MakeBlendContext(state, src);

  const Transp transp = transparentFlag != 0 ? Transp::kTest : Transp::kNone;
  const RotateFn fn =
      kRotateTable.entries[BlendIndex(choice.form, choice.mode, choice.graph, choice.white, transp, choice.special)];
  if (fn) fn(job);
}

}  // namespace rt
