// The process's working directory.
#pragma once
#include <string>

namespace platform {

std::string CurrentDirectory();
bool ChangeDirectory(const std::string& path);

}  // namespace platform
