#include "runtime/image/texture_split.h"

#include <algorithm>

#include "runtime/display/direct3d.h"
#include "runtime/display/screen_mode.h"

namespace rt {

std::vector<int> TexturePieceSizes(int size, int minTexture, int maxTexture, int screenWidth, bool whole) {
  const int start = std::max(minTexture, 32);
  if (size <= start) {
    int t = start;
    while (minTexture < t && t / 2 >= size) t /= 2;
    return {t};
  }
  int limit = maxTexture;
  if (!whole && screenWidth <= maxTexture) {
    limit = 8;
    while (limit < screenWidth) limit *= 2;
  }
  int t = limit;
  if (limit > start) {
    while (t > size) {
      t /= 2;
      if (t <= start) break;
    }
  }
  if (whole || size < screenWidth) {
    if (2 * t <= limit) return {t < size ? 2 * t : t};
  }
  std::vector<int> sizes;
  int remaining = size;
  while (true) {
    sizes.push_back(t);
    remaining -= t;
    if (remaining <= 0) break;
    if (remaining > 3 * t / 4 && t < limit) {
      sizes.back() = 2 * t;
      break;
    }
    while (remaining < t && t > start) t /= 2;
  }
  if (sizes.size() >= 2 && sizes[sizes.size() - 1] == sizes[sizes.size() - 2] && 2 * sizes.back() <= limit) {
    sizes.pop_back();
    sizes.back() *= 2;
  }
  return sizes;
}

int GetTexturePieceSizes(int size, int* sizes, int whole) {
  int width = 0, height = 0;
  GetScreenSize(&width, &height);
  if (width <= 0) width = 640;
  const D3DGlobals& d3d = GetD3DGlobals();
  const std::vector<int> pieces = TexturePieceSizes(size, static_cast<int>(d3d.minTextureSize),
                                                    static_cast<int>(d3d.maxTextureSize), width, whole == 1);
  if (sizes) std::copy(pieces.begin(), pieces.end(), sizes);
  return static_cast<int>(pieces.size());
}

}  // namespace rt
