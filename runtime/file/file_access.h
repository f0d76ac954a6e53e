// The facade's file entries: thin users of the stream-function table.
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/file/stream.h"

namespace rt {

StreamHandle FileOpenImpl(const char* path, int asyncFlag);
// Size in bytes, -1 when the file cannot be opened.
int64_t FileGetSizeByPathImpl(const char* path);
int FileCloseImpl(StreamHandle handle);
size_t FileReadImpl(void* buffer, size_t size, StreamHandle handle);
// 1 when the position equals the size, else 0.
int FileEofImpl(StreamHandle handle);
// Reads one line without its CR LF into buffer; its length, or -1 at the end of the file.
// A line longer than bufferSize - 1 comes back in pieces; a double-byte character is not
// split unless a piece has room for one byte only.
int FileReadLineImpl(char* buffer, int bufferSize, StreamHandle handle);
int FileReplaceContentsImpl(const char* path, const void* buffer, size_t size);

}  // namespace rt
