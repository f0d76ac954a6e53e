#include "platform/filesystem.h"

#include <unistd.h>

#include <climits>

namespace platform {

std::string CurrentDirectory() {
  char buf[PATH_MAX];
  if (!getcwd(buf, sizeof buf)) return std::string();
  return buf;
}

bool ChangeDirectory(const std::string& path) { return chdir(path.c_str()) == 0; }

}  // namespace platform
