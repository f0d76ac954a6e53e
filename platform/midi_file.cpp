// The sequencer's song file.
#include <unistd.h>

#include <cerrno>

#include "platform/midi.h"

namespace platform {

bool WriteAndCloseDescriptor(int descriptor, const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  bool ok = true;
  while (size > 0) {
    const ssize_t n = ::write(descriptor, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    bytes += n;
    size -= size_t(n);
  }
  return ::close(descriptor) == 0 && ok;
}

}  // namespace platform
