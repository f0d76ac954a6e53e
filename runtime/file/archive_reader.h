// Reading archives: opening one whole into memory or streamed from its file, walking its
// directories, enumerating entries and reading the files inside it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/file/archive_format.h"
#include "runtime/file/archive_key.h"
#include "runtime/file/stream.h"

namespace rt {

struct PlainFile;

struct ArchiveHeader {
  uint16_t magic;
  uint16_t version;
  uint32_t infoSize;
  uint32_t dataStart;
  uint32_t infoOffset;
  uint32_t fileTable;  // offsets inside the information block
  uint32_t dirTable;
};

// One open archive. A zeroed record is a closed one.
struct Archive {
  ArchiveHeader header;
  PlainFile* file;       // streamed: the archive file; resident: the file while it loads
  unsigned char* image;  // resident: the whole file, decoded
  int64_t imageSize;     // the bytes of the image the load delivered
  int64_t fileSize;
  unsigned char* info;  // the information block, decoded
  size_t entrySize;     // bytes of one file-table entry
  uint32_t currentDir;  // offset of the current record in the directory table
  unsigned char key[kArchiveKeySize];
  int resident;
  int loading;
};

// One file open inside an archive.
struct ArchiveFile {
  Archive* archive;
  uint32_t entry;  // offset in the file table
  uint32_t dataSize;
  uint64_t dataPosition;  // file offset of the file's data
  uint32_t compressedSize;
  int compressed;
  unsigned char* decoded;           // compressed files: the whole decoded file
  unsigned char* compressedBuffer;  // compressed data while it is being read
  int endFlag;
  int64_t position;
  int asyncFlag;
  int pending;  // kPendingNone, kPendingCompressed, kPendingPlain
  uint64_t pendingFilePosition;
  unsigned char* pendingBuffer;
  size_t pendingSize;
};

constexpr int kPendingNone = 0;
constexpr int kPendingCompressed = 1;
constexpr int kPendingPlain = 2;

// An enumeration of the entries of one directory of an archive.
struct ArchiveFind {
  Archive* archive;
  char pattern[kArchiveSearchKeySize];  // the name part, upper-cased
  uint32_t dir;
  uint32_t next;  // 0 ".", 1 "..", then 2 + the entry index
};

// Reads size bytes at filePosition (-1: the current position) through the plain layer,
// waits for them and decodes them. Returns the bytes read.
int64_t ArchiveReadDecoded(PlainFile* file, int64_t filePosition, void* buffer, size_t size,
                           const unsigned char key[kArchiveKeySize]);

int OpenArchiveWhole(Archive* archive, const char* path, const char* keyString, int asyncFlag);
int OpenArchiveStream(Archive* archive, const char* path, const char* keyString);
// 1 when the archive is usable, 0 while its whole-file read still runs.
int FinishArchiveLoad(Archive* archive);
int CloseArchive(Archive* archive);

// Moves the current directory along a path ('\\' or '/' separating). -1 on a miss; with
// keepOnFailure the current directory is then where it was.
int ArchiveChangeDir(Archive* archive, const char* path, int keepOnFailure,
                     ArchiveSearchKey* lastKey);
// The file-table offset of the file a path names, -1 when there is none. The current
// directory is left as it was.
int64_t ArchiveFindEntry(const char* path, Archive* archive);

ArchiveFind* ArchiveFindFirst(Archive* archive, const char* pattern, FindData* data);
int ArchiveFindNext(ArchiveFind* find, FindData* data);
int ArchiveFindFree(ArchiveFind* find);

int ArchiveFileOpen(ArchiveFile* file, Archive* archive, const char* path, int asyncFlag);
int ArchiveFileClose(ArchiveFile* file);
size_t ArchiveFileRead(ArchiveFile* file, void* buffer, size_t size);
int ArchiveFileSeek(ArchiveFile* file, int64_t offset, int origin);
int64_t ArchiveFileTell(ArchiveFile* file);
// -1 at the end, else 0.
int ArchiveFileEof(ArchiveFile* file);
// 1 when no read is pending (completing one that has finished), else 0.
int ArchiveFileIdleCheck(ArchiveFile* file);

}  // namespace rt
