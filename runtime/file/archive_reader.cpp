#include "runtime/file/archive_reader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/file/file_paths.h"
#include "runtime/file/lz_decode.h"
#include "runtime/file/plain_file.h"

namespace rt {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Every table access is checked against the information block, which may be corrupt.
const unsigned char* InfoAt(const Archive* a, uint64_t offset, uint64_t size) {
  if (offset > a->header.infoSize || size > a->header.infoSize - offset) return nullptr;
  return a->info + offset;
}

const unsigned char* DirRecord(const Archive* a, uint32_t dir) {
  return InfoAt(a, uint64_t{a->header.dirTable} + dir, kArchiveDirRecordSize);
}

const unsigned char* FileEntry(const Archive* a, uint64_t entry) {
  return InfoAt(a, uint64_t{a->header.fileTable} + entry, a->entrySize);
}

// The name entry of a file entry: its unit count, upper-case copy and stored copy.
struct NameView {
  uint16_t units;
  uint16_t check;
  const unsigned char* upper;
  const unsigned char* stored;
};

bool NameOf(const Archive* a, const unsigned char* entry, NameView* view) {
  uint32_t offset = GetLe32(entry + kEntryName);
  const unsigned char* head = InfoAt(a, offset, kArchiveNameEntryHeaderSize);
  if (!head) return false;
  view->units = GetLe16(head);
  view->check = GetLe16(head + 2);
  const uint64_t bytes = uint64_t{view->units} * 4;
  const unsigned char* body = InfoAt(a, uint64_t{offset} + kArchiveNameEntryHeaderSize, bytes * 2);
  if (!body) return false;
  view->upper = body;
  view->stored = body + bytes;
  return true;
}

// Copies a NUL-padded name of the given byte room into text, always terminated.
void CopyName(const unsigned char* name, size_t room, char* text, size_t textSize) {
  size_t n = 0;
  while (n < room && n + 1 < textSize && name[n] != '\0') {
    text[n] = static_cast<char>(name[n]);
    ++n;
  }
  text[n] = '\0';
}

bool IsDirectoryEntry(const unsigned char* entry) {
  return (GetLe32(entry + kEntryAttributes) & kArchiveAttrDirectory) != 0;
}

// The entry of directory dir with the key's name and the wanted kind; -1 when none.
int64_t FindChild(const Archive* a, uint32_t dir, const ArchiveSearchKey& key, bool directory) {
  const unsigned char* record = DirRecord(a, dir);
  if (!record) return -1;
  const uint32_t count = GetLe32(record + kDirEntryCount);
  const uint64_t first = GetLe32(record + kDirFirstEntry);
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t offset = first + uint64_t{i} * a->entrySize;
    const unsigned char* entry = FileEntry(a, offset);
    if (!entry) return -1;
    if (IsDirectoryEntry(entry) != directory) continue;
    NameView name;
    if (!NameOf(a, entry, &name)) continue;
    if (name.units != key.units || name.check != key.check) continue;
    if (std::memcmp(name.upper, key.name, size_t{key.units} * 4) == 0) {
      return static_cast<int64_t>(offset);
    }
  }
  return -1;
}

int FailOpen(Archive* a, const char* path, const char* why) {
  if (a->file) PlainFileClose(a->file);
  if (a->info) MemFree(a->info);
  if (a->image) MemFree(a->image);
  std::memset(a, 0, sizeof *a);
  if (why) LogAddFormat("アーカイブファイル %s を開けません: %s\n", path, why);
  return -1;
}

// Reads and checks the header and the information block through a->file.
int ReadHeaderAndInfo(Archive* a, const char* path) {
  a->fileSize = PlainFileSize(a->file);
  unsigned char header[kArchiveHeaderSize];
  if (a->fileSize < static_cast<int64_t>(kArchiveHeaderSize) ||
      ArchiveReadDecoded(a->file, 0, header, sizeof header, a->key) != kArchiveHeaderSize) {
    return FailOpen(a, path, "ヘッダがありません");
  }
  if (GetLe16(header + kHeaderMagic) != kArchiveMagic) {
    PrepareFallbackArchiveKey(a->key);
    ArchiveReadDecoded(a->file, 0, header, sizeof header, a->key);
  }
  ArchiveHeader& h = a->header;
  h.magic = GetLe16(header + kHeaderMagic);
  h.version = GetLe16(header + kHeaderVersion);
  h.infoSize = GetLe32(header + kHeaderInfoSize);
  h.dataStart = GetLe32(header + kHeaderDataStart);
  h.infoOffset = GetLe32(header + kHeaderInfoOffset);
  h.fileTable = GetLe32(header + kHeaderFileTable);
  h.dirTable = GetLe32(header + kHeaderDirTable);
  if (h.magic != kArchiveMagic) return FailOpen(a, path, "アーカイブファイルではありません");
  if (h.version >= kArchiveVersionLimit) return FailOpen(a, path, "対応していないバージョンです");
  a->entrySize = h.version >= kArchiveVersionCompressed ? kArchiveFileEntrySizeV2
                                                        : kArchiveFileEntrySizeV1;
  const uint64_t fileSize = static_cast<uint64_t>(a->fileSize);
  if (uint64_t{h.infoOffset} + h.infoSize > fileSize || h.dataStart > fileSize ||
      h.fileTable >= h.infoSize || uint64_t{h.dirTable} + kArchiveDirRecordSize > h.infoSize) {
    return FailOpen(a, path, "情報テーブルが壊れています");
  }
  a->info = static_cast<unsigned char*>(RT_ALLOC(h.infoSize));
  if (!a->info) return FailOpen(a, path, "メモリの確保に失敗しました");
  if (ArchiveReadDecoded(a->file, h.infoOffset, a->info, h.infoSize, a->key) != h.infoSize) {
    return FailOpen(a, path, "情報テーブルを読み込めません");
  }
  // The root record must name an entry of the file table.
  const unsigned char* root = DirRecord(a, 0);
  if (!FileEntry(a, GetLe32(root + kDirOwnEntry))) {
    return FailOpen(a, path, "情報テーブルが壊れています");
  }
  a->currentDir = 0;
  return 0;
}

void WaitArchiveLoad(Archive* a) {
  if (!a->loading) return;
  PlainFileWaitIdle(a->file);
  FinishArchiveLoad(a);
}

void FillEntryFindData(const Archive* a, const unsigned char* entry, const NameView& name,
                       FindData* data) {
  *data = FindData{};
  CopyName(name.stored, size_t{name.units} * 4, data->name, sizeof data->name);
  data->directory = IsDirectoryEntry(entry) ? 1 : 0;
  data->sizeLow = data->directory ? 0 : GetLe32(entry + kEntryDataSize);
  data->sizeHigh = 0;
  FileTimeToDate(GetLe64(entry + kEntryCreationTime), &data->creationDate);
  FileTimeToDate(GetLe64(entry + kEntryLastWriteTime), &data->lastWriteDate);
}

void FillPseudoFindData(const char* name, FindData* data) {
  *data = FindData{};
  std::strcpy(data->name, name);
  data->directory = 1;
}

// Finishes a pending read once its bytes are in: decodes them, and for a compressed file
// expands them into the decoded buffer.
void CompletePending(ArchiveFile* f) {
  if (f->pending == kPendingNone) return;
  Archive* a = f->archive;
  PlainFileWaitIdle(a->file);
  ArchiveXor(f->pendingBuffer, f->pendingSize, f->pendingFilePosition, a->key);
  if (f->pending == kPendingCompressed) {
    if (ArchiveDecompress(f->compressedBuffer, f->compressedSize, f->decoded, f->dataSize) !=
        f->dataSize) {
      LogAdd("アーカイブ内のファイルの圧縮データが壊れています\n");
      f->dataSize = 0;
    }
    MemFree(f->compressedBuffer);
    f->compressedBuffer = nullptr;
  }
  f->pending = kPendingNone;
  f->pendingBuffer = nullptr;
  f->pendingSize = 0;
}

}  // namespace

int64_t ArchiveReadDecoded(PlainFile* file, int64_t filePosition, void* buffer, size_t size,
                           const unsigned char key[kArchiveKeySize]) {
  if (filePosition < 0) {
    filePosition = PlainFileTell(file);
  } else {
    PlainFileSeek(file, filePosition, kSeekSet);
  }
  if (PlainFileRead(buffer, 1, size, file) == 0) return 0;
  const int64_t got = PlainFileWaitIdle(file);
  if (got <= 0) return 0;
  ArchiveXor(buffer, static_cast<size_t>(got), static_cast<uint64_t>(filePosition), key);
  return got;
}

int OpenArchiveWhole(Archive* a, const char* path, const char* keyString, int asyncFlag) {
  if (a->image || a->file) return -1;
  std::memset(a, 0, sizeof *a);
  PrepareArchiveKey(keyString, a->key);
  a->file = PlainFileOpen(path, 0, 1, 1);
  if (!a->file) return FailOpen(a, path, nullptr);
  if (ReadHeaderAndInfo(a, path) != 0) return -1;
  a->image = static_cast<unsigned char*>(RT_ALLOC(static_cast<size_t>(a->fileSize)));
  if (!a->image) return FailOpen(a, path, "メモリの確保に失敗しました");
  PlainFileSeek(a->file, 0, kSeekSet);
  PlainFileRead(a->image, 1, static_cast<size_t>(a->fileSize), a->file);
  a->loading = 1;
  a->resident = 1;
  if (!asyncFlag) WaitArchiveLoad(a);
  return 0;
}

int OpenArchiveStream(Archive* a, const char* path, const char* keyString) {
  if (a->file || a->image) return -1;
  std::memset(a, 0, sizeof *a);
  a->file = PlainFileOpen(path, 0, 1, 1);
  if (!a->file) return FailOpen(a, path, nullptr);
  PrepareArchiveKey(keyString, a->key);
  if (ReadHeaderAndInfo(a, path) != 0) return -1;
  a->resident = 0;
  return 0;
}

int FinishArchiveLoad(Archive* a) {
  if (!a->loading) return 1;
  if (!PlainFileIdleCheck(a->file)) return 0;
  // A file that shrank since its size was taken leaves the image short; entries are
  // checked against what really arrived.
  a->imageSize = std::max<int64_t>(PlainFileWaitIdle(a->file), 0);
  PlainFileClose(a->file);
  a->file = nullptr;
  ArchiveXor(a->image, static_cast<size_t>(a->imageSize), 0, a->key);
  a->loading = 0;
  return 1;
}

int CloseArchive(Archive* a) {
  WaitArchiveLoad(a);
  if (a->file) PlainFileClose(a->file);
  if (a->info) MemFree(a->info);
  if (a->image) MemFree(a->image);
  std::memset(a, 0, sizeof *a);
  return 0;
}

int ArchiveChangeDir(Archive* a, const char* path, int keepOnFailure, ArchiveSearchKey* lastKey) {
  WaitArchiveLoad(a);
  if (!a->info || !path) return -1;
  if (std::strcmp(path, ".") == 0) return 0;
  if ((IsSeparator(path[0]) && path[1] == '\0')) {
    a->currentDir = 0;
    return 0;
  }
  if (std::strcmp(path, "..") == 0) {
    const unsigned char* record = DirRecord(a, a->currentDir);
    if (!record) return -1;
    const uint32_t parent = GetLe32(record + kDirParent);
    if (parent == kArchiveNoParent || !DirRecord(a, parent)) return -1;
    a->currentDir = parent;
    return 0;
  }
  const uint32_t start = a->currentDir;
  ArchiveSearchKey key;
  bool keyMade = false;
  const char* p = path;
  while (*p != '\0') {
    if (IsSeparator(*p)) {
      a->currentDir = 0;
      ++p;
      continue;
    }
    size_t length = 0;
    int64_t entryOffset = -1;
    if (MakeArchiveSearchKey(p, &key, &length) == 0) {
      entryOffset = FindChild(a, a->currentDir, key, true);
    }
    const unsigned char* entry = entryOffset >= 0 ? FileEntry(a, entryOffset) : nullptr;
    const uint32_t dir = entry ? GetLe32(entry + kEntryDataOffset) : 0;
    if (!entry || !DirRecord(a, dir)) {
      if (keepOnFailure) a->currentDir = start;
      return -1;
    }
    a->currentDir = dir;
    keyMade = true;
    p += length;
    if (IsSeparator(*p)) ++p;
  }
  if (lastKey && keyMade) *lastKey = key;
  return 0;
}

int64_t ArchiveFindEntry(const char* path, Archive* a) {
  WaitArchiveLoad(a);
  if (!a->info || !path) return -1;
  std::string name;
  std::string directory;
  SplitPath(path, &name, &directory);
  if (name.empty()) return -1;
  const uint32_t start = a->currentDir;
  if (name.size() != std::strlen(path)) {
    // A separator at the very front stands for the root.
    const char* dirPath = directory.empty() ? "/" : directory.c_str();
    if (ArchiveChangeDir(a, dirPath, 1, nullptr) != 0) return -1;
  }
  ArchiveSearchKey key;
  int64_t entry = -1;
  size_t length = 0;
  if (MakeArchiveSearchKey(name.c_str(), &key, &length) == 0) {
    entry = FindChild(a, a->currentDir, key, false);
  }
  a->currentDir = start;
  return entry;
}

ArchiveFind* ArchiveFindFirst(Archive* a, const char* pattern, FindData* data) {
  WaitArchiveLoad(a);
  if (!a->info || !pattern) return nullptr;
  std::string name;
  std::string directory;
  SplitPath(pattern, &name, &directory);
  if (name.size() + 1 > kArchiveSearchKeySize) return nullptr;
  const uint32_t start = a->currentDir;
  if (name.size() != std::strlen(pattern)) {
    const std::string upperDir = UpperCaseName(directory.c_str());
    if (ArchiveChangeDir(a, upperDir.empty() ? "/" : upperDir.c_str(), 1, nullptr) != 0) {
      return nullptr;
    }
  }
  const uint32_t dir = a->currentDir;
  a->currentDir = start;

  ArchiveFind* find = static_cast<ArchiveFind*>(RT_ALLOC_ZERO(sizeof(ArchiveFind)));
  if (!find) return nullptr;
  find->archive = a;
  const std::string upper = UpperCaseName(name.c_str());
  std::memcpy(find->pattern, upper.c_str(), upper.size() + 1);
  find->dir = dir;
  find->next = 0;
  FindData first;
  if (ArchiveFindNext(find, &first) != 0) {
    MemFree(find);
    return nullptr;
  }
  if (data) *data = first;
  return find;
}

int ArchiveFindNext(ArchiveFind* find, FindData* data) {
  if (!find) return -1;
  Archive* a = find->archive;
  WaitArchiveLoad(a);
  const unsigned char* record = DirRecord(a, find->dir);
  if (!record) return -1;
  const bool isRoot = GetLe32(record + kDirParent) == kArchiveNoParent;
  const uint32_t count = GetLe32(record + kDirEntryCount);
  const uint64_t first = GetLe32(record + kDirFirstEntry);
  FindData found;
  for (;;) {
    const uint32_t index = find->next;
    if (index == 0 || index == 1) {
      ++find->next;
      const char* pseudo = index == 0 ? "." : "..";
      if (index == 1 && isRoot) continue;
      if (WildcardMatch(find->pattern, pseudo) != 0) continue;
      FillPseudoFindData(pseudo, &found);
      break;
    }
    if (index - 2 >= count) return -1;
    ++find->next;
    const unsigned char* entry = FileEntry(a, first + uint64_t{index - 2} * a->entrySize);
    if (!entry) return -1;
    NameView name;
    if (!NameOf(a, entry, &name)) continue;
    char upper[kArchiveSearchKeySize];
    CopyName(name.upper, size_t{name.units} * 4, upper, sizeof upper);
    if (WildcardMatch(find->pattern, upper) != 0) continue;
    FillEntryFindData(a, entry, name, &found);
    break;
  }
  if (data) *data = found;
  return 0;
}

int ArchiveFindFree(ArchiveFind* find) {
  if (!find) return -1;
  MemFree(find);
  return 0;
}

int ArchiveFileOpen(ArchiveFile* f, Archive* a, const char* path, int asyncFlag) {
  WaitArchiveLoad(a);
  std::memset(f, 0, sizeof *f);
  const int64_t entryOffset = ArchiveFindEntry(path, a);
  if (entryOffset < 0) return -1;
  const unsigned char* entry = FileEntry(a, entryOffset);
  f->archive = a;
  f->entry = static_cast<uint32_t>(entryOffset);
  f->dataSize = GetLe32(entry + kEntryDataSize);
  f->dataPosition = uint64_t{a->header.dataStart} + GetLe32(entry + kEntryDataOffset);
  f->compressedSize = a->header.version >= kArchiveVersionCompressed
                          ? GetLe32(entry + kEntryCompressedSize)
                          : kArchiveStored;
  f->compressed = f->compressedSize != kArchiveStored;
  f->asyncFlag = asyncFlag;
  const uint64_t available = static_cast<uint64_t>(a->resident ? a->imageSize : a->fileSize);
  const uint64_t stored = f->compressed ? f->compressedSize : f->dataSize;
  if (f->dataPosition > available || stored > available - f->dataPosition ||
      (f->compressed && (f->compressedSize < kLzHeaderSize ||
                         f->dataSize > uint64_t{f->compressedSize} * kLzMaxExpansion))) {
    LogAddFormat("アーカイブ内のファイル %s の位置が壊れています\n", path);
    std::memset(f, 0, sizeof *f);
    return -1;
  }
  if (!f->compressed) return 0;

  f->decoded = static_cast<unsigned char*>(RT_ALLOC(std::max<size_t>(f->dataSize, 1)));
  if (!f->decoded) {
    std::memset(f, 0, sizeof *f);
    return -1;
  }
  if (a->resident) {
    if (ArchiveDecompress(a->image + f->dataPosition, f->compressedSize, f->decoded,
                          f->dataSize) != f->dataSize) {
      LogAddFormat("アーカイブ内のファイル %s の圧縮データが壊れています\n", path);
      ArchiveFileClose(f);
      return -1;
    }
    return 0;
  }
  f->compressedBuffer = static_cast<unsigned char*>(RT_ALLOC(f->compressedSize));
  if (!f->compressedBuffer) {
    ArchiveFileClose(f);
    return -1;
  }
  if (asyncFlag) {
    PlainFileSeek(a->file, static_cast<int64_t>(f->dataPosition), kSeekSet);
    PlainFileRead(f->compressedBuffer, 1, f->compressedSize, a->file);
    f->pending = kPendingCompressed;
    f->pendingFilePosition = f->dataPosition;
    f->pendingBuffer = f->compressedBuffer;
    f->pendingSize = f->compressedSize;
    return 0;
  }
  const bool ok = ArchiveReadDecoded(a->file, static_cast<int64_t>(f->dataPosition),
                                     f->compressedBuffer, f->compressedSize,
                                     a->key) == f->compressedSize &&
                  ArchiveDecompress(f->compressedBuffer, f->compressedSize, f->decoded,
                                    f->dataSize) == f->dataSize;
  MemFree(f->compressedBuffer);
  f->compressedBuffer = nullptr;
  if (!ok) {
    LogAddFormat("アーカイブ内のファイル %s の圧縮データが壊れています\n", path);
    ArchiveFileClose(f);
    return -1;
  }
  return 0;
}

int ArchiveFileClose(ArchiveFile* f) {
  // The worker may still be writing into a pending buffer.
  if (f->pending != kPendingNone) PlainFileWaitIdle(f->archive->file);
  if (f->decoded) MemFree(f->decoded);
  if (f->compressedBuffer) MemFree(f->compressedBuffer);
  std::memset(f, 0, sizeof *f);
  return 0;
}

size_t ArchiveFileRead(ArchiveFile* f, void* buffer, size_t size) {
  CompletePending(f);
  if (f->endFlag) return 0;
  const uint64_t remaining = f->dataSize - static_cast<uint64_t>(f->position);
  if (remaining == 0) {
    f->endFlag = 1;
    return 0;
  }
  size_t n = static_cast<size_t>(std::min<uint64_t>(size, remaining));
  Archive* a = f->archive;
  if (f->decoded) {
    std::memcpy(buffer, f->decoded + f->position, n);
  } else if (a->resident) {
    std::memcpy(buffer, a->image + f->dataPosition + f->position, n);
  } else {
    const int64_t filePosition = static_cast<int64_t>(f->dataPosition) + f->position;
    if (PlainFileTell(a->file) != filePosition) PlainFileSeek(a->file, filePosition, kSeekSet);
    if (f->asyncFlag) {
      PlainFileRead(buffer, 1, n, a->file);
      f->pending = kPendingPlain;
      f->pendingFilePosition = static_cast<uint64_t>(filePosition);
      f->pendingBuffer = static_cast<unsigned char*>(buffer);
      f->pendingSize = n;
    } else {
      n = static_cast<size_t>(ArchiveReadDecoded(a->file, -1, buffer, n, a->key));
    }
  }
  f->position += static_cast<int64_t>(n);
  f->endFlag = 0;
  return n;
}

int ArchiveFileSeek(ArchiveFile* f, int64_t offset, int origin) {
  CompletePending(f);
  int64_t target = offset;
  if (origin == kSeekCurrent) target = f->position + offset;
  if (origin == kSeekEnd) target = int64_t{f->dataSize} + offset;
  f->position = std::clamp<int64_t>(target, 0, f->dataSize);
  f->endFlag = 0;
  return 0;
}

int64_t ArchiveFileTell(ArchiveFile* f) { return f->position; }

int ArchiveFileEof(ArchiveFile* f) { return f->endFlag ? -1 : 0; }

int ArchiveFileIdleCheck(ArchiveFile* f) {
  if (f->pending == kPendingNone) return 1;
  if (!PlainFileIdleCheck(f->archive->file)) return 0;
  CompletePending(f);
  return 1;
}

}  // namespace rt
