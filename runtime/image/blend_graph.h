// The blend-graph table: the factor (0..255) the software renderer applies for each pixel
// value of the blend graph, rebuilt whenever the blend graph or its border changes.
#pragma once
#include <cstdint>

namespace rt {

extern uint8_t BlendGraphTable[256];

// borderParam moves the border between undrawn (0) and drawn (255) values upwards through
// the blend graph's values; borderRange sets the width of the ramp. Both 0..255. Returns 0.
int BuildBlendGraphTable(int borderParam, int borderRange);

}  // namespace rt
