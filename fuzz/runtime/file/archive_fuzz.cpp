// Archive opening, directory walks, enumeration and reads over arbitrary archive files, and
// the LZ decoder over arbitrary streams. Inputs are archives written without a key string.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/file/archive_reader.h"
#include "runtime/file/lz_decode.h"

namespace {

constexpr int kMaxDepth = 6;
constexpr int kMaxEntries = 300;

void ReadFile(rt::Archive* archive, const std::string& path, int asyncFlag) {
  rt::ArchiveFile file;
  if (rt::ArchiveFileOpen(&file, archive, path.c_str(), asyncFlag) != 0) return;
  char buffer[512];
  rt::ArchiveFileSeek(&file, 13, rt::kSeekSet);
  rt::ArchiveFileRead(&file, buffer, 7);
  rt::ArchiveFileSeek(&file, -3, rt::kSeekEnd);
  rt::ArchiveFileRead(&file, buffer, sizeof buffer);
  rt::ArchiveFileSeek(&file, 0, rt::kSeekSet);
  while (rt::ArchiveFileRead(&file, buffer, sizeof buffer) > 0) rt::ArchiveFileIdleCheck(&file);
  rt::ArchiveFileClose(&file);
}

void Walk(rt::Archive* archive, const std::string& dir, int depth, int* entries) {
  rt::FindData data;
  rt::ArchiveFind* find = rt::ArchiveFindFirst(archive, (dir + "*").c_str(), &data);
  if (!find) return;
  do {
    if (++*entries > kMaxEntries) break;
    if (std::strcmp(data.name, ".") == 0 || std::strcmp(data.name, "..") == 0) continue;
    const std::string path = dir + data.name;
    if (data.directory) {
      if (depth < kMaxDepth) Walk(archive, path + "\\", depth + 1, entries);
    } else {
      ReadFile(archive, path, *entries & 1);
    }
  } while (rt::ArchiveFindNext(find, &data) == 0);
  rt::ArchiveFindFree(find);
}

const std::string& InputPath() {
  static const std::string path = "/tmp/fuzz_archive_" + std::to_string(getpid()) + ".akn";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<unsigned char> decoded(1 << 16);
  rt::ArchiveDecompress(data, size, decoded.data(), decoded.size());

  FILE* out = std::fopen(InputPath().c_str(), "wb");
  if (!out) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);
  for (int resident = 0; resident < 2; ++resident) {
    rt::Archive archive{};
    const int opened = resident ? rt::OpenArchiveWhole(&archive, InputPath().c_str(), nullptr, 0)
                                : rt::OpenArchiveStream(&archive, InputPath().c_str(), nullptr);
    if (opened != 0) continue;
    int entries = 0;
    Walk(&archive, "", 0, &entries);
    rt::ArchiveChangeDir(&archive, "a\\b", 0, nullptr);
    rt::ArchiveChangeDir(&archive, "..", 1, nullptr);
    rt::CloseArchive(&archive);
  }
  std::remove(InputPath().c_str());
  return 0;
}
