#include "runtime/image/blend_graph.h"

#include <algorithm>

namespace rt {

uint8_t BlendGraphTable[256];

int BuildBlendGraphTable(int borderParam, int borderRange) {
  const int p = std::clamp(borderParam, 0, 255);
  const int d = std::clamp(borderRange, 0, 255) + 1;
  const int offset = 256 - ((65536 / d + 256) * p) / 256;
  for (int i = 0; i < 256; ++i) {
    BlendGraphTable[i] = static_cast<uint8_t>(std::clamp((256 * i) / d + offset, 0, 255));
  }
  return 0;
}

}  // namespace rt
