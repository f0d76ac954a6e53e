// Clocks and the local date.
#pragma once
#include <cstdint>

namespace rt {

struct Uint128 {
  uint64_t low;
  uint64_t high;
};

// The millisecond clock (wraps at 2^32).
uint32_t ReadTimeMs();
// Microseconds; the flag asks for the processor's time-stamp counter, which this
// platform's monotonic clock stands in for.
uint64_t GetTimeUs(int useTsc);
int GetDateTimeImpl(int out[6]);

void Mul64To128(uint64_t a, uint64_t b, Uint128* out);
// Divides a 128-bit value by a 64-bit one; the quotient is cut to 64 bits. A zero divisor
// gives 0 rather than a trap.
void Div128By64(const Uint128& dividend, uint64_t divisor, uint64_t* quotient);

}  // namespace rt
