// Movie containers over arbitrary bytes: open, play a while on a virtual clock, seek back,
// take the frames, close. Nothing may crash, hang or leak, whatever the bytes claim.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/movie.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  platform::VirtualClock clock;
  platform::SetClock(&clock);
  auto movie = platform::OpenMovie(std::make_unique<platform::MemoryByteSource>(data, size),
                                   platform::MovieLayout::kXrgb8888, nullptr, nullptr);
  if (movie) {
    const platform::MovieInfo& info = movie->info();
    if (info.width <= 0 || info.height <= 0) __builtin_trap();
    const int pitch = info.width * 4;
    std::vector<uint8_t> frame(static_cast<size_t>(pitch) * static_cast<size_t>(info.height));
    movie->Play();
    for (int step = 0; step < 6; ++step) {
      movie->TakeFrame(frame.data(), pitch, true);
      clock.AdvanceMs(150);
    }
    movie->Seek(0);
    movie->TakeFrame(frame.data(), pitch, true);
    movie.reset();
  }
  platform::SetClock(nullptr);
  return 0;
}
