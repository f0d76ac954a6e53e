// Writing archives: a tree of directories and files, encoded with the archive key and
// compressed with the archive's LZ scheme, in the layout the runtime reads.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace archive_tool {

struct WriterEntry {
  std::string name;  // as stored, in its own case (Shift-JIS bytes)
  bool directory = false;
  std::string data;  // files only
  uint64_t creationTime = 0;  // file times: 100 ns units since 1601
  uint64_t lastAccessTime = 0;
  uint64_t lastWriteTime = 0;
  std::vector<WriterEntry> children;  // directories only
};

enum class Compression {
  kAuto,    // compressed when that makes the file smaller
  kNever,   // stored
  kAlways,  // compressed even when larger (tests of the decoder)
};

struct WriteOptions {
  // 1: 40-byte entries, every file stored; 2: 44-byte entries with compression.
  uint16_t version = 2;
  // The key string; null or empty writes with the no-key fill.
  std::string keyString;
  // Writes with the fallback key instead (what the reader tries after a wrong key).
  bool fallbackKey = false;
  Compression compression = Compression::kAuto;
};

// Adds a file (or, for a path ending in '/', an empty directory) at a '/'-separated path
// below root, making the directories on the way.
void AddWriterFile(WriterEntry* root, const std::string& path, const std::string& data);

// The bytes of an archive holding root's children. false with a reason when the tree does
// not fit the format.
bool BuildArchive(const WriterEntry& root, const WriteOptions& options, std::string* out,
                  std::string* error);

// Reads a directory of the file system into a tree (names and times as found).
bool LoadDirectory(const std::string& path, WriterEntry* root, std::string* error);

// Packs a directory into an archive file.
bool PackDirectory(const std::string& directory, const std::string& archivePath,
                   const WriteOptions& options, std::string* error);

}  // namespace archive_tool
