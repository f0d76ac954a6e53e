#include "runtime/core/time.h"

#include "platform/clock.h"

namespace rt {

uint32_t ReadTimeMs() { return platform::GetClock().Milliseconds(); }

uint64_t GetTimeUs(int useTsc) { return platform::GetClock().Microseconds(); }

int GetDateTimeImpl(int out[6]) {
  platform::LocalDateTime(out);
  return 0;
}

void Mul64To128(uint64_t a, uint64_t b, Uint128* out) {
  unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
  out->low = static_cast<uint64_t>(p);
  out->high = static_cast<uint64_t>(p >> 64);
}

void Div128By64(const Uint128& dividend, uint64_t divisor, uint64_t* quotient) {
  if (divisor == 0) {
    *quotient = 0;
    return;
  }
  unsigned __int128 d = (static_cast<unsigned __int128>(dividend.high) << 64) | dividend.low;
  *quotient = static_cast<uint64_t>(d / divisor);
}

}  // namespace rt
