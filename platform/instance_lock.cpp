#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace platform {

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::Acquire(const std::string& directory, const std::string& name) {
  Release();
  std::string path = directory;
  if (!path.empty() && path.back() != '/') path += '/';
  path += InstanceLockFileName(name);
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // flock rather than fcntl locks: flock locks belong to the open file, so a second open in
  // the same process is refused too, and closing some other descriptor never drops them.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(fd);
    errno = error;
    return false;
  }
  fd_ = fd;
  return true;
}

void InstanceLock::Release() {
  if (fd_ < 0) return;
  flock(fd_, LOCK_UN);
  close(fd_);
  fd_ = -1;
}

std::string DefaultInstanceLockDirectory() {
  const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  if (runtimeDir && *runtimeDir) return runtimeDir;
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

std::string InstanceLockFileName(const std::string& name) {
  uint64_t hash = 14695981039346656037ull;  // 64-bit FNV-1a
  for (unsigned char c : name) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char file[64];
  std::snprintf(file, sizeof file, "rtlib-instance-%016llx.lock",
                static_cast<unsigned long long>(hash));
  return file;
}

}  // namespace platform
