// The shared lookup tables of the software renderer's pixel rules. They are built once,
// before the first draw, and never change.
#pragma once
#include <cstdint>

namespace rt {

// [f][v] = floor(f * v / 255).
extern uint32_t BlendMulTable[256][256];
// [p][kBlendDiffZero + x] = p * x / 255 truncated toward zero, for x = -256..255, so that a
// row addressed at its zero entry takes a signed channel difference directly.
constexpr int kBlendDiffZero = 256;
extern int32_t BlendDiffTable[256][512];
// [b][s][d] = floor((b * s + (63 - b) * d) / 63): mixing of 5- and 6-bit channels.
extern uint8_t BlendLerp6Table[64][64][64];

// Builds the tables; later calls change nothing. Returns 0.
int InitBlendTables();

}  // namespace rt
