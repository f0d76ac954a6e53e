// The archive key: the 12-byte key derived from the game's key string, and the XOR that
// encodes every byte of an archive file. Reader and writer both take it from here, so an
// archive opens only with the values it was written with.
#pragma once
#include <cstddef>
#include <cstdint>

namespace rt {

constexpr size_t kArchiveKeySize = 12;
// Longer key strings are cut to this many characters.
constexpr size_t kArchiveKeyStringMax = 12;

// Builds the key from a key string (null or empty: the no-key fill).
void PrepareArchiveKey(const char* keyString, unsigned char key[kArchiveKeySize]);
// The key tried when the header does not decode with the prepared one.
void PrepareFallbackArchiveKey(unsigned char key[kArchiveKeySize]);
// XORs a block that starts at the given file position; encoding and decoding alike.
void ArchiveXor(void* data, size_t size, uint64_t filePosition,
                const unsigned char key[kArchiveKeySize]);

}  // namespace rt
