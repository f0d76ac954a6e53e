#include "runtime/file/file_access.h"

#include <thread>

#include "runtime/core/strings.h"

namespace rt {

namespace {

void WaitStreamIdle(StreamHandle handle) {
  while (StreamIdleCheck(handle) == 0) std::this_thread::yield();
}

}  // namespace

StreamHandle FileOpenImpl(const char* path, int asyncFlag) {
  return StreamOpen(path, 0, 1, asyncFlag ? 1 : 0);
}

int64_t FileGetSizeByPathImpl(const char* path) {
  StreamHandle handle = StreamOpen(path, 0, 1, 0);
  if (handle == 0) return -1;
  StreamSeek(handle, 0, kSeekEnd);
  const int64_t size = StreamTell(handle);
  StreamClose(handle);
  return size;
}

int FileCloseImpl(StreamHandle handle) { return StreamClose(handle); }

size_t FileReadImpl(void* buffer, size_t size, StreamHandle handle) {
  return StreamRead(buffer, size, 1, handle);
}

int FileEofImpl(StreamHandle handle) {
  const int64_t position = StreamTell(handle);
  if (position < 0) return 0;
  StreamSeek(handle, 0, kSeekEnd);
  const int64_t size = StreamTell(handle);
  StreamSeek(handle, position, kSeekSet);
  return position == size ? 1 : 0;
}

int FileReadLineImpl(char* buffer, int bufferSize, StreamHandle handle) {
  if (!buffer || bufferSize < 1) return -1;
  if (StreamEof(handle) != 0) return -1;
  const int64_t start = StreamTell(handle);
  const size_t wanted = static_cast<size_t>(bufferSize - 1);
  size_t n = StreamRead(buffer, 1, wanted, handle);
  WaitStreamIdle(handle);
  if (n == 0 || n > wanted) return -1;

  size_t i = 0;
  while (i < n) {
    const char c = buffer[i];
    if (c == '\0') break;
    if (IsLeadByte(buffer + i, 0)) {
      if (i + 2 > n) {
        // A lead byte that is first in the piece cannot wait for its pair (it is the last
        // byte of the file, or the piece holds one byte): it is taken alone, so that the
        // next call moves on.
        if (i == 0) {
          i = 1;
          StreamSeek(handle, start + 1, kSeekSet);
        } else {
          StreamSeek(handle, start + static_cast<int64_t>(i), kSeekSet);
        }
        break;
      }
      i += 2;
      continue;
    }
    if (c == '\r') {
      bool lineFeed = false;
      if (i + 1 < n) {
        lineFeed = buffer[i + 1] == '\n';
      } else if (n == wanted) {
        // The piece ends at the CR: look at the byte after it.
        char next = '\0';
        const size_t got = StreamRead(&next, 1, 1, handle);
        WaitStreamIdle(handle);
        lineFeed = got == 1 && next == '\n';
        if (!lineFeed) StreamSeek(handle, start + static_cast<int64_t>(n), kSeekSet);
      }
      if (lineFeed) {
        StreamSeek(handle, start + static_cast<int64_t>(i) + 2, kSeekSet);
        break;
      }
    }
    ++i;
  }
  buffer[i] = '\0';
  return static_cast<int>(i);
}

}  // namespace rt
