#include "tests/support/archive_fixture.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/temp_dir.h"

namespace testing_support {

archive_tool::WriteOptions ArchiveOptions(const std::string& keyString, int version,
                                          archive_tool::Compression compression) {
  archive_tool::WriteOptions options;
  options.keyString = keyString;
  options.version = static_cast<uint16_t>(version);
  options.compression = compression;
  return options;
}

std::string MakeArchiveBytes(const std::vector<ArchiveFixtureFile>& files,
                             const archive_tool::WriteOptions& options) {
  archive_tool::WriterEntry root;
  root.directory = true;
  for (const ArchiveFixtureFile& file : files) archive_tool::AddWriterFile(&root, file.path, file.data);
  std::string bytes;
  std::string error;
  EXPECT_TRUE(archive_tool::BuildArchive(root, options, &bytes, &error)) << error;
  return bytes;
}

void WriteArchive(const std::string& path, const std::vector<ArchiveFixtureFile>& files,
                  const archive_tool::WriteOptions& options) {
  WriteFileBytes(path, MakeArchiveBytes(files, options));
}

std::string CompressibleText(size_t size, unsigned seed) {
  static const char* const kWords[] = {"enemy ", "alert ", "stage ", "door ",  "radar ",
                                       "shot ",  "\r\n",   "0123 ",  "cargo ", "ship "};
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < size) text += kWords[random() % 10];
  text.resize(size);
  return text;
}

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

}  // namespace testing_support
