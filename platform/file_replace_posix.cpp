#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_replace.h"

namespace platform {
namespace {

constexpr char kTemporarySuffix[] = ".tmp";
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as any new file

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int OpenExclusive(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
}

}  // namespace

int PosixFileReplacer::CreateTemporary(const std::string& path, std::string* temporary, int* handle) {
  *temporary = path + kTemporarySuffix;
  int fd = OpenExclusive(*temporary);
  // One copy of the program runs at a time, so a temporary file already there was left by
  // a write that never finished (a crash or a power cut): it is litter, not someone's file.
  if (fd < 0 && errno == EEXIST && unlink(temporary->c_str()) == 0) fd = OpenExclusive(*temporary);
  if (fd < 0) return errno;
  *handle = fd;
  return 0;
}

int PosixFileReplacer::Write(int handle, const uint8_t* bytes, size_t size, size_t* written) {
  ssize_t n;
  do {
    n = write(handle, bytes, size);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return errno;
  *written = static_cast<size_t>(n);
  return 0;
}

int PosixFileReplacer::Flush(int handle) {
  int result;
  do {
    result = fsync(handle);
  } while (result != 0 && errno == EINTR);
  return result == 0 ? 0 : errno;
}

// Linux releases the descriptor even when close reports an error, so it is never retried.
int PosixFileReplacer::Close(int handle) { return close(handle) == 0 ? 0 : errno; }

int PosixFileReplacer::Rename(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void PosixFileReplacer::Remove(const std::string& path) { unlink(path.c_str()); }

void PosixFileReplacer::FlushDirectoryOf(const std::string& path) {
  const int fd = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace platform
