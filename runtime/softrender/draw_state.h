// The parts of the display layer's state that the software renderer reads: the draw
// settings, the current draw target and the screen flags. The display layer owns these
// records and fills them; the renderer only reads them.
#pragma once

#include "runtime/display/display_state.h"
