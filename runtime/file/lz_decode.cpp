#include "runtime/file/lz_decode.h"

#include <cstring>

#include "runtime/file/archive_format.h"

namespace rt {

int64_t ArchiveDecompress(const void* src, size_t srcSize, void* dest, size_t destCapacity) {
  const unsigned char* in = static_cast<const unsigned char*>(src);
  if (in == nullptr || srcSize < kLzHeaderSize) return -1;
  const uint32_t decodedSize = GetLe32(in);
  const uint32_t encodedSize = GetLe32(in + 4);
  if (dest == nullptr) return decodedSize;
  if (encodedSize < kLzHeaderSize || encodedSize > srcSize) return -1;
  if (decodedSize > destCapacity) return -1;

  const unsigned char marker = in[8];
  unsigned char* out = static_cast<unsigned char*>(dest);
  size_t ip = kLzHeaderSize;
  const size_t end = encodedSize;
  size_t op = 0;
  while (ip < end) {
    const unsigned char b = in[ip++];
    if (b != marker) {
      if (op >= decodedSize) return -1;
      out[op++] = b;
      continue;
    }
    if (ip >= end) return -1;
    unsigned int c = in[ip++];
    if (c == marker) {
      if (op >= decodedSize) return -1;
      out[op++] = marker;
      continue;
    }
    if (c > marker) --c;
    size_t length = c >> 3;
    if (c & 4) {
      if (ip >= end) return -1;
      length |= static_cast<size_t>(in[ip++]) << 5;
    }
    length += kLzMinMatch;
    const unsigned int kind = c & 3;
    if (kind == 3) return -1;
    const size_t fieldBytes = kind + 1;
    if (end - ip < fieldBytes) return -1;
    size_t distance = 0;
    for (size_t i = 0; i < fieldBytes; ++i) distance |= static_cast<size_t>(in[ip + i]) << (8 * i);
    ip += fieldBytes;
    distance += 1;
    if (distance > op || length > decodedSize - op) return -1;
    const unsigned char* from = out + op - distance;
    if (distance >= length) {
      std::memcpy(out + op, from, length);
    } else {
      // Byte by byte: a distance below the length repeats the bytes just written.
      for (size_t i = 0; i < length; ++i) out[op + i] = from[i];
    }
    op += length;
  }
  if (op != decodedSize) return -1;
  return decodedSize;
}

}  // namespace rt
