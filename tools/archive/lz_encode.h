// Encoding into the archive's LZ streams.
#pragma once
#include <cstddef>
#include <string>

namespace archive_tool {

// The LZ stream of size bytes (9-byte header included). Matches are found greedily through
// hash chains: not the shortest stream possible, but ordinary data shrinks.
std::string LzEncode(const unsigned char* data, size_t size);

}  // namespace archive_tool
