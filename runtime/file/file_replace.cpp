#include <cerrno>
#include <cstring>

#include "platform/file_replace.h"
#include "runtime/core/log.h"
#include "runtime/file/file_access.h"

namespace rt {

int FileReplaceContentsImpl(const char* path, const void* buffer, size_t size) {
  if (path == nullptr || *path == '\0' || (buffer == nullptr && size != 0)) {
    errno = EINVAL;
    return -1;
  }
  const platform::ReplaceResult result = platform::GetFileReplacer().Replace(path, buffer, size);
  if (result.ok()) return 0;
  LogAddFormat("ファイル %s の書き込みに失敗しました (%s: %s) in FileReplaceContents\n", path,
               platform::ReplaceStepName(result.failedStep), std::strerror(result.error));
  // The caller reports in its own words, from errno.
  errno = result.error;
  return -1;
}

}  // namespace rt
