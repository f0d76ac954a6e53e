// Archives made for tests with the archive writer.
#pragma once
#include <string>
#include <vector>

#include "tools/archive/archive_writer.h"

namespace testing_support {

struct ArchiveFixtureFile {
  std::string path;  // '/'-separated inside the archive; ending in '/': an empty directory
  std::string data;
};

archive_tool::WriteOptions ArchiveOptions(
    const std::string& keyString, int version = 2,
    archive_tool::Compression compression = archive_tool::Compression::kAuto);

// The bytes of an archive holding the files.
std::string MakeArchiveBytes(const std::vector<ArchiveFixtureFile>& files,
                             const archive_tool::WriteOptions& options);
// Writes such an archive to path.
void WriteArchive(const std::string& path, const std::vector<ArchiveFixtureFile>& files,
                  const archive_tool::WriteOptions& options);

// Text that compresses well, size bytes long, varying with seed.
std::string CompressibleText(size_t size, unsigned seed);
// Bytes that do not compress.
std::string RandomBytes(size_t size, unsigned seed);

}  // namespace testing_support
