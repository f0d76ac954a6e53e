// The lowest file layer: files of the operating system, read directly or through a worker
// thread of their own (with the cache flag or in asynchronous mode), directory search,
// file dates and temporary files.
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/file/stream.h"

namespace rt {

struct PlainFile;

// Size of the read-ahead cache of a cached file.
constexpr size_t kPlainFileCacheSize = 128 * 1024;

PlainFile* PlainFileOpen(const char* path, int cacheFlag, int unused, int asyncFlag);
int PlainFileClose(PlainFile* file);
int64_t PlainFileTell(PlainFile* file);
// Targets outside 0..size are clamped to it.
int PlainFileSeek(PlainFile* file, int64_t offset, int origin);
size_t PlainFileRead(void* buffer, size_t elementSize, size_t count, PlainFile* file);
// -1 at the end, else 0.
int PlainFileEof(PlainFile* file);
// 1 when no command is running.
int PlainFileIdleCheck(PlainFile* file);
// Blocks until no command is running; returns the bytes the last read delivered.
int64_t PlainFileWaitIdle(PlainFile* file);
int64_t PlainFileSize(PlainFile* file);
// 1 when file is a live record of this layer.
int IsPlainFile(const PlainFile* file);

int PlainSetCurrentDir(const char* path);
// Fills a buffer of kStreamPathSize bytes.
int PlainGetCurrentDir(char* buffer);

FindHandle PlainFindFirst(const char* pattern, FindData* data);
int PlainFindNext(FindHandle find, FindData* data);
int PlainFindClose(FindHandle find);

// Converts a file time (100 ns units since 1601-01-01 UTC) to a local date.
void FileTimeToDate(uint64_t fileTime, FileDate* date);
// A system time (seconds and nanoseconds since 1970 UTC) as a file time.
uint64_t UnixTimeToFileTime(int64_t seconds, int64_t nanoseconds);

// Creates a new empty temporary file open for writing and returns its descriptor, -1 when
// none can be had. pathOut (kStreamPathSize bytes) receives its path when not null.
int CreateTempFile(char* pathOut);

// The plain layer's twelve stream-table operations.
const StreamFileOperations& PlainLayerOperations();

}  // namespace rt
