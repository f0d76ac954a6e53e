#include "runtime/image/rect.h"

#include <algorithm>
#include <utility>

namespace rt {

int ClipRectImpl(RECT* rect, const RECT* clip) {
  if (rect->right < rect->left) rect->right = rect->left;
  if (rect->bottom < rect->top) rect->bottom = rect->top;
  rect->bottom = std::clamp(rect->bottom, clip->top, std::max(clip->top, clip->bottom));
  rect->top = std::clamp(rect->top, clip->top, std::max(clip->top, clip->bottom));
  rect->right = std::clamp(rect->right, clip->left, std::max(clip->left, clip->right));
  rect->left = std::clamp(rect->left, clip->left, std::max(clip->left, clip->right));
  return 0;
}

int NormalizeRect(RECT* rect) {
  if (rect->left > rect->right) std::swap(rect->left, rect->right);
  if (rect->top > rect->bottom) std::swap(rect->top, rect->bottom);
  return 0;
}

int GetRectSize(const RECT* rect, int* width, int* height) {
  if (width) *width = rect->right - rect->left;
  if (height) *height = rect->bottom - rect->top;
  return 0;
}

}  // namespace rt
