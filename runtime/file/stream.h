// The replaceable table of file operations through which all game data is read, the two
// stream-access sets that loaders receive beside a stream handle (files through the table,
// or a block in memory), and the memory stream.
#pragma once
#include <cstddef>
#include <cstdint>

namespace rt {

// An open stream as its operations know it: a file-layer handle or a MemStream address.
// Pointer-sized, since on this platform a stream record's address does not fit 32 bits.
// 0 is never a valid stream.
using StreamHandle = uintptr_t;
// An enumeration of directory entries; -1 is none.
using FindHandle = intptr_t;

// Origins of the seek operations.
constexpr int kSeekSet = 0;
constexpr int kSeekCurrent = 1;
constexpr int kSeekEnd = 2;

// Room for a path in the current-directory slots, NUL included.
constexpr size_t kStreamPathSize = 1024;
// Room for an entry name in FindData, NUL included.
constexpr size_t kFindNameSize = 260;

// A file time as a local date.
struct FileDate {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
};

// One entry of a directory search.
struct FindData {
  char name[kFindNameSize] = {};
  int32_t directory = 0;  // 1 for a directory
  uint32_t sizeLow = 0;
  uint32_t sizeHigh = 0;
  FileDate creationDate;
  FileDate lastWriteDate;
};

// Operation forms shared by the table and the access sets.
using StreamOpenFn = StreamHandle (*)(const char* path, int cacheFlag, int unused, int asyncFlag);
using StreamCloseFn = int (*)(StreamHandle handle);
using StreamTellFn = int64_t (*)(StreamHandle handle);
using StreamSeekFn = int (*)(StreamHandle handle, int64_t offset, int origin);
// Returns the number of elements read (the archive layer returns bytes).
using StreamReadFn = size_t (*)(void* buffer, size_t elementSize, size_t count,
                                StreamHandle handle);
// Non-zero at the end of the stream.
using StreamEofFn = int (*)(StreamHandle handle);
// Non-zero when no asynchronous read is pending.
using StreamIdleCheckFn = int (*)(StreamHandle handle);
using StreamSetCurrentDirFn = int (*)(const char* path);
// Fills a buffer of kStreamPathSize bytes.
using StreamGetCurrentDirFn = int (*)(char* buffer);
using StreamFindFirstFn = FindHandle (*)(const char* pattern, FindData* data);
using StreamFindNextFn = int (*)(FindHandle find, FindData* data);
using StreamFindCloseFn = int (*)(FindHandle find);

// The twelve file operations (slots 0-11 of the table), in slot order.
struct StreamFileOperations {
  StreamOpenFn open = nullptr;
  StreamCloseFn close = nullptr;
  StreamTellFn tell = nullptr;
  StreamSeekFn seek = nullptr;
  StreamReadFn read = nullptr;
  StreamEofFn eof = nullptr;
  StreamIdleCheckFn idleCheck = nullptr;
  StreamSetCurrentDirFn setCurrentDir = nullptr;
  StreamGetCurrentDirFn getCurrentDir = nullptr;
  StreamFindFirstFn findFirst = nullptr;
  StreamFindNextFn findNext = nullptr;
  StreamFindCloseFn findClose = nullptr;
};

// What a loader needs to read an open stream, whatever holds the bytes.
struct StreamAccessSet {
  StreamTellFn tell = nullptr;
  StreamSeekFn seek = nullptr;
  StreamReadFn read = nullptr;
  StreamEofFn eof = nullptr;
  StreamIdleCheckFn idleCheck = nullptr;
  StreamCloseFn close = nullptr;
};

// The 24 slots: file operations, then the file and the memory access sets.
struct StreamFunctionTable {
  StreamFileOperations file;
  StreamAccessSet fileAccess;
  StreamAccessSet memoryAccess;
};

// The table as installed. Fills itself with the default layer on first use, so the file
// layer works without a runtime start-up.
StreamFunctionTable& GetStreamFunctionTable();

// Dispatchers through slots 0-11.
StreamHandle StreamOpen(const char* path, int cacheFlag, int unused, int asyncFlag);
int StreamClose(StreamHandle handle);
int64_t StreamTell(StreamHandle handle);
int StreamSeek(StreamHandle handle, int64_t offset, int origin);
size_t StreamRead(void* buffer, size_t elementSize, size_t count, StreamHandle handle);
int StreamEof(StreamHandle handle);
int StreamIdleCheck(StreamHandle handle);
int StreamSetCurrentDir(const char* path);
int StreamGetCurrentDir(char* buffer);
FindHandle StreamFindFirst(const char* pattern, FindData* data);
int StreamFindNext(FindHandle find, FindData* data);
int StreamFindClose(FindHandle find);

// Copies the twelve operations into slots 0-11; null installs the default set of the
// current archive setting (archive-aware layer, or the plain layer with archives off).
int SetStreamFunctionTable(const StreamFileOperations* operations);
// 1 when slots 0-11 hold exactly the default set of the current archive setting.
int IsDefaultStreamTable();
// flag 1: archives on (the start value); 0: plain files only.
int SetUseArchiveImpl(int flag);

// Fills slots 12-23: the file set with the dispatchers, the memory set with MemStream.
int InitStreamAccessSets();
const StreamAccessSet& GetFileStreamAccess();
const StreamAccessSet& GetMemoryStreamAccess();

// A read cursor over a block in memory; the block is not owned.
struct MemStream {
  const unsigned char* data = nullptr;
  int32_t size = 0;
  int32_t position = 0;  // 0..size
  int endFlag = 0;
};

MemStream* MemStreamOpen(const void* data, int32_t size);
int MemStreamClose(MemStream* stream);
int64_t MemStreamTell(MemStream* stream);
int MemStreamSeek(MemStream* stream, int64_t offset, int origin);
size_t MemStreamRead(void* buffer, size_t elementSize, size_t count, MemStream* stream);
int MemStreamEof(MemStream* stream);
int MemStreamIdleCheck(MemStream* stream);

// The handle under which the memory access set reads a memory stream.
inline StreamHandle MemStreamHandle(MemStream* stream) {
  return reinterpret_cast<StreamHandle>(stream);
}

}  // namespace rt
