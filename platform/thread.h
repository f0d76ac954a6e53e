// Thread identity for the runtime's recursive library lock.
#pragma once
#include <cstdint>

namespace platform {

// A non-zero id unique among the live threads of the process (never 0 or 0xFFFFFFFF,
// which the library lock uses as "never owned" and "released").
uint32_t CurrentThreadId();

}  // namespace platform
