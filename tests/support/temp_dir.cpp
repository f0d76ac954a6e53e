#include "tests/support/temp_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/filesystem.h"

namespace testing_support {

ScopedTempDir::ScopedTempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "rt-test-XXXXXX").string();
  char* made = mkdtemp(tmpl.data());
  path_ = made ? made : tmpl;
  previous_ = platform::CurrentDirectory();
  platform::ChangeDirectory(path_);
}

ScopedTempDir::~ScopedTempDir() {
  platform::ChangeDirectory(previous_);
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace testing_support
