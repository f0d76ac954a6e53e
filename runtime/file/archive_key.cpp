#include "runtime/file/archive_key.h"

#include <cstring>

namespace rt {

namespace {

// Fills the 12 key bytes when no key string is set.
constexpr unsigned char kNoKeyFill = 0xA7;
// Fills the 12 key bytes of the fallback key.
constexpr unsigned char kFallbackFill = 0x3C;

enum class KeyOp { kInvert, kRotateLeft, kXor };
struct KeyStep {
  KeyOp op;
  unsigned char param;  // rotation in bits, or the XOR constant
};
// The fixed, invertible operation of each key position.
constexpr KeyStep kKeySteps[kArchiveKeySize] = {
    {KeyOp::kXor, 0x5B},        {KeyOp::kRotateLeft, 3}, {KeyOp::kInvert, 0},
    {KeyOp::kXor, 0xC6},        {KeyOp::kRotateLeft, 5}, {KeyOp::kXor, 0x29},
    {KeyOp::kInvert, 0},        {KeyOp::kRotateLeft, 1}, {KeyOp::kXor, 0x94},
    {KeyOp::kRotateLeft, 6},    {KeyOp::kXor, 0xE1},     {KeyOp::kRotateLeft, 2},
};

unsigned char ApplyStep(unsigned char b, const KeyStep& step) {
  switch (step.op) {
    case KeyOp::kInvert:
      return static_cast<unsigned char>(~b);
    case KeyOp::kRotateLeft:
      return static_cast<unsigned char>((b << step.param) | (b >> (8 - step.param)));
    case KeyOp::kXor:
      return static_cast<unsigned char>(b ^ step.param);
  }
  return b;
}

void Scramble(unsigned char key[kArchiveKeySize]) {
  for (size_t i = 0; i < kArchiveKeySize; ++i) key[i] = ApplyStep(key[i], kKeySteps[i]);
}

}  // namespace

void PrepareArchiveKey(const char* keyString, unsigned char key[kArchiveKeySize]) {
  size_t length = keyString ? std::strlen(keyString) : 0;
  if (length == 0) {
    std::memset(key, kNoKeyFill, kArchiveKeySize);
  } else {
    for (size_t i = 0; i < kArchiveKeySize; ++i) {
      key[i] = static_cast<unsigned char>(keyString[i % length]);
    }
  }
  Scramble(key);
}

void PrepareFallbackArchiveKey(unsigned char key[kArchiveKeySize]) {
  std::memset(key, kFallbackFill, kArchiveKeySize);
  Scramble(key);
}

void ArchiveXor(void* data, size_t size, uint64_t filePosition,
                const unsigned char key[kArchiveKeySize]) {
  unsigned char* p = static_cast<unsigned char*>(data);
  size_t k = static_cast<size_t>(filePosition % kArchiveKeySize);
  size_t i = 0;
  // Byte by byte up to a key boundary, then whole 12-byte groups.
  while (i < size && k != 0) {
    p[i++] ^= key[k];
    k = (k + 1) % kArchiveKeySize;
  }
  uint32_t words[3];
  std::memcpy(words, key, sizeof words);
  for (; i + kArchiveKeySize <= size; i += kArchiveKeySize) {
    uint32_t block[3];
    std::memcpy(block, p + i, sizeof block);
    block[0] ^= words[0];
    block[1] ^= words[1];
    block[2] ^= words[2];
    std::memcpy(p + i, block, sizeof block);
  }
  for (k = 0; i < size; ++i, ++k) p[i] ^= key[k];
}

}  // namespace rt
