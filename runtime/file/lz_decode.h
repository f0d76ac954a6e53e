// Decoding of the archive's LZ streams.
#pragma once
#include <cstddef>
#include <cstdint>

namespace rt {

// Decodes the LZ stream src (header included, srcSize bytes available) into dest.
// Returns the decoded size, or -1 for a stream that is short, corrupt or larger than
// destCapacity. With a null dest only the header is read and its decoded size returned.
// Never writes past the decoded size, reads past srcSize or copies from before dest.
int64_t ArchiveDecompress(const void* src, size_t srcSize, void* dest, size_t destCapacity);

}  // namespace rt
