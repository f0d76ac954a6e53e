#include <algorithm>
#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/file/stream.h"

namespace rt {

MemStream* MemStreamOpen(const void* data, int32_t size) {
  if (size < 0 || (data == nullptr && size > 0)) return nullptr;
  MemStream* stream = static_cast<MemStream*>(RT_ALLOC_ZERO(sizeof(MemStream)));
  if (!stream) return nullptr;
  stream->data = static_cast<const unsigned char*>(data);
  stream->size = size;
  return stream;
}

int MemStreamClose(MemStream* stream) {
  if (!stream) return -1;
  MemFree(stream);
  return 0;
}

int64_t MemStreamTell(MemStream* stream) { return stream ? stream->position : -1; }

int MemStreamSeek(MemStream* stream, int64_t offset, int origin) {
  if (!stream) return -1;
  int64_t target = offset;
  if (origin == kSeekCurrent) target = stream->position + offset;
  if (origin == kSeekEnd) target = stream->size + offset;
  stream->position = static_cast<int32_t>(std::clamp<int64_t>(target, 0, stream->size));
  stream->endFlag = 0;
  return 0;
}

size_t MemStreamRead(void* buffer, size_t elementSize, size_t count, MemStream* stream) {
  if (!stream) return 0;
  if (stream->position >= stream->size) {
    stream->endFlag = 1;
    return 0;
  }
  // Nothing asked for is nothing read, even with bytes left.
  if (elementSize == 0 || count == 0) return 0;
  const size_t remaining = static_cast<size_t>(stream->size - stream->position);
  if (count > remaining / elementSize) count = remaining / elementSize;
  const unsigned char* from = stream->data + stream->position;
  if (count > 0) {
    const size_t bytes = elementSize * count;
    std::memcpy(buffer, from, bytes);
    stream->position += static_cast<int32_t>(bytes);
    stream->endFlag = 0;
    return count;
  }
  // Less than one element is left: it comes back as one short element.
  std::memcpy(buffer, from, remaining);
  stream->position = stream->size;
  stream->endFlag = 0;
  return 1;
}

int MemStreamEof(MemStream* stream) { return stream ? stream->endFlag : -1; }

int MemStreamIdleCheck(MemStream* stream) { return 1; }

}  // namespace rt
