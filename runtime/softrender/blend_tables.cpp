#include "runtime/softrender/blend_tables.h"

namespace rt {

uint32_t BlendMulTable[256][256];
int32_t BlendDiffTable[256][512];
uint8_t BlendLerp6Table[64][64][64];

int InitBlendTables() {
  for (int f = 0; f < 256; ++f) {
    for (int v = 0; v < 256; ++v) BlendMulTable[f][v] = static_cast<uint32_t>(f * v / 255);
    // Every entry is written, the one below -255 included, so no row holds stale values.
    for (int i = 0; i < 512; ++i) BlendDiffTable[f][i] = f * (i - kBlendDiffZero) / 255;
  }
  for (int b = 0; b < 64; ++b) {
    for (int s = 0; s < 64; ++s) {
      for (int d = 0; d < 64; ++d) BlendLerp6Table[b][s][d] = static_cast<uint8_t>((b * s + (63 - b) * d) / 63);
    }
  }
  return 0;
}

namespace {
// The tables are ready before main, so no draw can meet them empty.
const int g_tablesBuilt = InitBlendTables();
}  // namespace

}  // namespace rt
