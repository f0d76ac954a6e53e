#include "runtime/softrender/blit_memimg.h"

#include <algorithm>

#include "runtime/image/blend_graph.h"
#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/raster_loops.h"

namespace rt {
namespace {

using soft::Rules;
using soft::SrcForm;
using soft::Transp;

SrcForm FormOf(const MEMIMG* image) {
  if (image->kind == kMemImgKindXRGB) {
    return image->paletteFlag ? SrcForm::k32Palette : (image->alphaFlag ? SrcForm::k32Alpha : SrcForm::k32);
  }
  return image->paletteFlag ? SrcForm::k16Palette : (image->alphaFlag ? SrcForm::k16Alpha : SrcForm::k16);
}

}  // namespace

void BlitMemImg(MEMIMG* dest, const MEMIMG* src, int x, int y, int transparentFlag, const MEMIMG* blendImage) {
  if (dest == nullptr || src == nullptr || dest->pixels == nullptr || src->pixels == nullptr) return;
  if (src->kind != dest->kind || dest->paletteFlag || dest->alphaFlag) return;
  if (src->kind != kMemImgKind565 && src->kind != kMemImgKindXRGB) return;
  if (src->paletteFlag && src->paletteTable == nullptr) return;
  if (blendImage != nullptr &&
      (blendImage->pixels == nullptr || blendImage->width < src->width || blendImage->height < src->height)) {
    return;
  }

  // Clipped to the draw area and to the destination itself.
  const DrawState& state = GetDrawState();
  const int64_t clipLeft = std::max(state.drawArea.left, 0);
  const int64_t clipTop = std::max(state.drawArea.top, 0);
  const int64_t clipRight = std::min(state.drawArea.right, dest->width);
  const int64_t clipBottom = std::min(state.drawArea.bottom, dest->height);
  const int64_t left = std::clamp<int64_t>(x, clipLeft, std::max(clipLeft, clipRight));
  const int64_t top = std::clamp<int64_t>(y, clipTop, std::max(clipTop, clipBottom));
  const int64_t right = std::clamp<int64_t>(int64_t{x} + src->width, left, std::max(left, clipRight));
  const int64_t bottom = std::clamp<int64_t>(int64_t{y} + src->height, top, std::max(top, clipBottom));
  const int w = static_cast<int>(right - left);
  const int h = static_cast<int>(bottom - top);
  if (w <= 0 || h <= 0) return;
  const int64_t ox = left - x, oy = top - y;

  const SrcForm form = FormOf(src);
  const bool runPath =
      transparentFlag == 1 && src->runTableValid && src->runTable != nullptr && w == src->width && h == src->height;
  const soft::BlendChoice choice =
      soft::ChooseBlend(Rules::kSameSize, form, state.blendMode, state.blendParam, state.brightColor,
                        blendImage != nullptr, !runPath, GetScreenStateRecord().mmxAvailable != 0);
  if (!choice.draw) return;

  soft::BlitJob job{};
  const int destBytes = soft::DestBytes(form);
  const int srcBytes = soft::SrcBytes(form);
  job.dst = dest->pixels + top * dest->pitch + left * destBytes;
  job.src = src->pixels + oy * src->pitch + ox * srcBytes;
  job.graph = blendImage ? blendImage->pixels + oy * blendImage->pitch + ox : nullptr;
  job.width = w;
  job.height = h;
  job.dstPitch = dest->pitch;
  job.srcPitch = src->pitch;
  job.graphPitch = blendImage ? blendImage->pitch : 0;
  job.runs = src->runTable;
  job.runsEnd = src->runTable ? src->runTable + (int64_t{src->width} + kRunTableRowSlack) * src->height : nullptr;
  const uint32_t bright = state.brightColor;
  job.context.param = static_cast<uint32_t>(std::clamp(state.blendParam, 0, 255));
  job.context.bright[0] = bright & 0xFF;
  job.context.bright[1] = (bright >> 8) & 0xFF;
  job.context.bright[2] = (bright >> 16) & 0xFF;
  job.context.key = src->transparentColor;
  job.context.palette = src->paletteTable;
  job.context.graphTable = BlendGraphTable;

  const Transp transp = runPath ? Transp::kRunOpaque : (transparentFlag != 0 ? Transp::kTest : Transp::kNone);
  const size_t index = soft::BlendIndex(choice.form, choice.mode, choice.graph, choice.white, transp, choice.special);
  const soft::BlitFn fn = soft::ActiveRasterLoops()->blit(runPath, index);
  if (fn) fn(job);
}

}  // namespace rt
