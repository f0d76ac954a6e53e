// The archive-aware file layer: the stream-table operations that serve a path from the
// archive holding its directory when there is one, and from a plain file otherwise.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/file/archive_key.h"
#include "runtime/file/archive_reader.h"
#include "runtime/file/stream.h"

namespace rt {

constexpr int kArchiveLayerMaxFiles = 512;
constexpr int kArchiveCacheSize = 512;
// Handles given to callers are the slot index with these bits set.
constexpr uint32_t kArchiveHandleTag = 0xF0000000;
constexpr uint32_t kArchiveHandleIndexMask = 0x0FFFFFFF;
// Extensions of this many characters or more are refused.
constexpr size_t kArchiveExtensionSize = 64;
constexpr const char kDefaultArchiveExtension[] = "ARC";

struct ArchiveCacheEntry {
  int32_t refCount;  // open files and enumerations using the archive
  Archive archive;
  char path[kStreamPathSize];  // the archive file as found on disk
};

constexpr int kHandlePlain = 0;
constexpr int kHandleArchive = 1;

struct ArchiveFileHandle {
  int kind;
  PlainFile* plain;  // kHandlePlain
  int cacheIndex;    // kHandleArchive
  ArchiveFile file;  // kHandleArchive
};

struct ArchiveFindRecord {
  int kind;
  int cacheIndex;
  FindHandle plainFind;
  ArchiveFind* archiveFind;
  ArchiveFindRecord* nextLive;
};

struct ArchiveLayerState {
  ArchiveCacheEntry* cache[kArchiveCacheSize];
  int cacheCount;
  ArchiveFileHandle* files[kArchiveLayerMaxFiles];
  int fileCount;
  char extension[kArchiveExtensionSize];  // empty: the default
  int extensionLength;
  int keyStringSet;
  char keyString[kArchiveKeyStringMax + 1];
  // The archive used last and the directory it stands for, so that the next path in the
  // same directory skips the walk.
  int lastValid;
  char lastArchivePath[kStreamPathSize];
  char lastPrefix[kStreamPathSize];
  int lastCacheIndex;
  ArchiveFindRecord* finds;
};

ArchiveLayerState& GetArchiveLayerState();

// Clears the layer's state, closing whatever it still holds.
int InitArchiveLayer();
// Closes every archive no open file or enumeration uses (shut-down).
int CloseAllArchives();
int SetArchiveExtensionImpl(const char* text);
int SetArchiveKeyStringImpl(const char* text);

// The archive holding a path: its cache index, the archive file and the path inside it.
// -1 when the path is in no archive.
int FindArchiveForPath(const char* path, int* cacheIndex, std::string* archivePath,
                       std::string* innerPath);
int OpenArchiveCached(int hint, const char* archivePath, int resident, int asyncFlag);
void CloseUnreferencedArchives();

StreamHandle ArchiveLayerOpen(const char* path, int cacheFlag, int unused, int asyncFlag);
int ArchiveLayerClose(StreamHandle handle);
int64_t ArchiveLayerTell(StreamHandle handle);
int ArchiveLayerSeek(StreamHandle handle, int64_t offset, int origin);
size_t ArchiveLayerRead(void* buffer, size_t elementSize, size_t count, StreamHandle handle);
int ArchiveLayerEof(StreamHandle handle);
int ArchiveLayerIdleCheck(StreamHandle handle);
FindHandle ArchiveLayerFindFirst(const char* pattern, FindData* data);
int ArchiveLayerFindNext(FindHandle find, FindData* data);
int ArchiveLayerFindClose(FindHandle find);

// The layer's twelve stream-table operations.
const StreamFileOperations& ArchiveLayerOperations();

}  // namespace rt
