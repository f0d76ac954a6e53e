// The sound converter over arbitrary file images: open, convert, seek and read.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/core/memory.h"
#include "runtime/file/stream.h"
#include "runtime/sound/sound_converter.h"

namespace {
// Whole conversions beyond this are skipped: the size is what the file claims.
constexpr int64_t kMaxConvertBytes = 64 << 20;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  rt::MemStream* stream = rt::MemStreamOpen(data, int32_t(size));
  rt::SoundConverter c;
  if (rt::SoundConverterOpen(rt::GetMemoryStreamAccess(), rt::MemStreamHandle(stream), &c) == 0) {
    std::vector<uint8_t> buffer(4096);
    rt::SoundConverterRead(&c, buffer.data(), int(buffer.size()));
    rt::SoundConverterSeek(&c, 0);
    rt::SoundConverterRead(&c, buffer.data(), 100);
    rt::SoundConverterSeek(&c, 3000);
    rt::SoundConverterRead(&c, buffer.data(), int(buffer.size()));
    const int64_t total = rt::SoundConverterGetSize(&c);
    if (total >= 0 && total <= kMaxConvertBytes) {
      rt::WaveFormatEx format;
      uint8_t* pcm = nullptr;
      int32_t pcmSize = 0;
      if (rt::SoundConverterConvertAll(&c, &format, &pcm, &pcmSize) == 0) {
        if (pcmSize < 0 || pcmSize > total) __builtin_trap();
        rt::MemFree(pcm);
      }
    }
    rt::SoundConverterClose(&c);
  }
  rt::MemStreamClose(stream);
  return 0;
}
