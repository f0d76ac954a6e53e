#include "runtime/file/archive_layer.h"
#include "runtime/file/plain_file.h"
#include "runtime/file/stream.h"

namespace rt {

namespace {

struct StreamTableState {
  StreamFunctionTable table;
  int noArchive = 0;  // 0: the archive-aware layer is the default
};

StreamTableState& State() {
  static StreamTableState state;
  return state;
}

const StreamFileOperations& DefaultOperations(int noArchive) {
  return noArchive ? PlainLayerOperations() : ArchiveLayerOperations();
}

bool SameOperations(const StreamFileOperations& a, const StreamFileOperations& b) {
  return a.open == b.open && a.close == b.close && a.tell == b.tell && a.seek == b.seek &&
         a.read == b.read && a.eof == b.eof && a.idleCheck == b.idleCheck &&
         a.setCurrentDir == b.setCurrentDir && a.getCurrentDir == b.getCurrentDir &&
         a.findFirst == b.findFirst && a.findNext == b.findNext && a.findClose == b.findClose;
}

int64_t MemSlotTell(StreamHandle h) { return MemStreamTell(reinterpret_cast<MemStream*>(h)); }
int MemSlotSeek(StreamHandle h, int64_t offset, int origin) {
  return MemStreamSeek(reinterpret_cast<MemStream*>(h), offset, origin);
}
size_t MemSlotRead(void* buffer, size_t elementSize, size_t count, StreamHandle h) {
  return MemStreamRead(buffer, elementSize, count, reinterpret_cast<MemStream*>(h));
}
int MemSlotEof(StreamHandle h) { return MemStreamEof(reinterpret_cast<MemStream*>(h)); }
int MemSlotIdleCheck(StreamHandle h) {
  return MemStreamIdleCheck(reinterpret_cast<MemStream*>(h));
}
int MemSlotClose(StreamHandle h) { return MemStreamClose(reinterpret_cast<MemStream*>(h)); }

}  // namespace

StreamFunctionTable& GetStreamFunctionTable() {
  StreamFunctionTable& table = State().table;
  if (table.file.open == nullptr) SetStreamFunctionTable(nullptr);
  if (table.fileAccess.read == nullptr) InitStreamAccessSets();
  return table;
}

StreamHandle StreamOpen(const char* path, int cacheFlag, int unused, int asyncFlag) {
  return GetStreamFunctionTable().file.open(path, cacheFlag, unused, asyncFlag);
}
int StreamClose(StreamHandle handle) { return GetStreamFunctionTable().file.close(handle); }
int64_t StreamTell(StreamHandle handle) { return GetStreamFunctionTable().file.tell(handle); }
int StreamSeek(StreamHandle handle, int64_t offset, int origin) {
  return GetStreamFunctionTable().file.seek(handle, offset, origin);
}
size_t StreamRead(void* buffer, size_t elementSize, size_t count, StreamHandle handle) {
  return GetStreamFunctionTable().file.read(buffer, elementSize, count, handle);
}
int StreamEof(StreamHandle handle) { return GetStreamFunctionTable().file.eof(handle); }
int StreamIdleCheck(StreamHandle handle) {
  return GetStreamFunctionTable().file.idleCheck(handle);
}
int StreamSetCurrentDir(const char* path) {
  return GetStreamFunctionTable().file.setCurrentDir(path);
}
int StreamGetCurrentDir(char* buffer) {
  return GetStreamFunctionTable().file.getCurrentDir(buffer);
}
FindHandle StreamFindFirst(const char* pattern, FindData* data) {
  return GetStreamFunctionTable().file.findFirst(pattern, data);
}
int StreamFindNext(FindHandle find, FindData* data) {
  return GetStreamFunctionTable().file.findNext(find, data);
}
int StreamFindClose(FindHandle find) { return GetStreamFunctionTable().file.findClose(find); }

int SetStreamFunctionTable(const StreamFileOperations* operations) {
  State().table.file = operations ? *operations : DefaultOperations(State().noArchive);
  return 0;
}

int IsDefaultStreamTable() {
  return SameOperations(GetStreamFunctionTable().file, DefaultOperations(State().noArchive)) ? 1
                                                                                            : 0;
}

int SetUseArchiveImpl(int flag) {
  const int noArchive = flag ? 0 : 1;
  if (noArchive == State().noArchive) return 0;
  // A table that holds the default of the old setting follows the change at once; a table
  // installed by the program stays.
  const bool wasDefault = State().table.file.open == nullptr || IsDefaultStreamTable() == 1;
  State().noArchive = noArchive;
  if (wasDefault || IsDefaultStreamTable() == 1) SetStreamFunctionTable(nullptr);
  return 0;
}

int InitStreamAccessSets() {
  StreamFunctionTable& table = State().table;
  table.fileAccess = StreamAccessSet{StreamTell, StreamSeek,      StreamRead,
                                     StreamEof,  StreamIdleCheck, StreamClose};
  table.memoryAccess = StreamAccessSet{MemSlotTell, MemSlotSeek,      MemSlotRead,
                                       MemSlotEof,  MemSlotIdleCheck, MemSlotClose};
  return 0;
}

const StreamAccessSet& GetFileStreamAccess() { return GetStreamFunctionTable().fileAccess; }
const StreamAccessSet& GetMemoryStreamAccess() { return GetStreamFunctionTable().memoryAccess; }

}  // namespace rt
