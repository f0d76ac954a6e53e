// Directory search, current directory, file dates and temporary files of the plain layer,
// and the plain layer's stream-table operations.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "platform/filesystem.h"
#include "runtime/core/memory.h"
#include "runtime/file/file_paths.h"
#include "runtime/file/plain_file.h"

namespace rt {

namespace {

// Seconds from 1601-01-01 (the file-time epoch) to 1970-01-01.
constexpr int64_t kFileTimeEpochOffset = 11644473600LL;
constexpr int64_t kFileTimeUnitsPerSecond = 10000000;

struct PlainFind {
  std::string directory;
  std::vector<std::string> names;
  size_t next = 0;
  PlainFind* nextLive = nullptr;
};

struct PlainFindState {
  std::mutex mutex;
  PlainFind* live = nullptr;
};

PlainFindState& FindState() {
  static PlainFindState state;
  return state;
}

bool IsLiveFind(PlainFind* find) {
  std::lock_guard<std::mutex> guard(FindState().mutex);
  for (PlainFind* p = FindState().live; p; p = p->nextLive) {
    if (p == find) return true;
  }
  return false;
}

void FillFindData(const std::string& directory, const std::string& name, FindData* data) {
  *data = FindData{};
  size_t n = std::min(name.size(), kFindNameSize - 1);
  std::memcpy(data->name, name.data(), n);
  data->name[n] = '\0';
  std::string full = directory.empty() ? name : directory + "/" + name;
  struct statx sx;
  if (statx(AT_FDCWD, full.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return;
  data->directory = S_ISDIR(sx.stx_mode) ? 1 : 0;
  data->sizeLow = static_cast<uint32_t>(sx.stx_size);
  data->sizeHigh = static_cast<uint32_t>(sx.stx_size >> 32);
  const statx_timestamp& born = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_mtime;
  FileTimeToDate(UnixTimeToFileTime(born.tv_sec, born.tv_nsec), &data->creationDate);
  FileTimeToDate(UnixTimeToFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec),
                 &data->lastWriteDate);
}

// Slot adapters: the table holds handles, the layer record addresses.
StreamHandle SlotOpen(const char* path, int cacheFlag, int unused, int asyncFlag) {
  return reinterpret_cast<StreamHandle>(PlainFileOpen(path, cacheFlag, unused, asyncFlag));
}
PlainFile* Live(StreamHandle handle) {
  PlainFile* file = reinterpret_cast<PlainFile*>(handle);
  return IsPlainFile(file) ? file : nullptr;
}
int SlotClose(StreamHandle h) {
  PlainFile* f = Live(h);
  return f ? PlainFileClose(f) : -1;
}
int64_t SlotTell(StreamHandle h) {
  PlainFile* f = Live(h);
  return f ? PlainFileTell(f) : -1;
}
int SlotSeek(StreamHandle h, int64_t offset, int origin) {
  PlainFile* f = Live(h);
  return f ? PlainFileSeek(f, offset, origin) : -1;
}
size_t SlotRead(void* buffer, size_t elementSize, size_t count, StreamHandle h) {
  PlainFile* f = Live(h);
  return f ? PlainFileRead(buffer, elementSize, count, f) : 0;
}
int SlotEof(StreamHandle h) {
  PlainFile* f = Live(h);
  return f ? PlainFileEof(f) : -1;
}
int SlotIdleCheck(StreamHandle h) {
  PlainFile* f = Live(h);
  return f ? PlainFileIdleCheck(f) : -1;
}

}  // namespace

int PlainSetCurrentDir(const char* path) {
  if (!path) return -1;
  std::string resolved;
  ResolvePathCase(ToSystemPath(path), &resolved);
  return platform::ChangeDirectory(resolved) ? 0 : -1;
}

int PlainGetCurrentDir(char* buffer) {
  if (!buffer) return -1;
  std::string current = platform::CurrentDirectory();
  if (current.empty() || current.size() + 1 > kStreamPathSize) {
    buffer[0] = '\0';
    return -1;
  }
  std::memcpy(buffer, current.c_str(), current.size() + 1);
  return 0;
}

FindHandle PlainFindFirst(const char* pattern, FindData* data) {
  if (!pattern) return -1;
  std::string namePattern;
  std::string directory;
  SplitPath(ToSystemPath(pattern).c_str(), &namePattern, &directory);
  if (namePattern.empty()) return -1;
  // Windows lets "*.*" match names without a dot too.
  if (namePattern == "*.*") namePattern = "*";
  std::string resolvedDir;
  if (!directory.empty() && !ResolvePathCase(directory, &resolvedDir)) return -1;
  if (directory.empty()) resolvedDir.clear();

  DIR* d = opendir(resolvedDir.empty() ? "." : resolvedDir.c_str());
  if (!d) return -1;
  const std::string upperPattern = UpperCaseName(namePattern.c_str());
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    if (WildcardMatch(upperPattern.c_str(), UpperCaseName(e->d_name).c_str()) == 0) {
      names.emplace_back(e->d_name);
    }
  }
  closedir(d);
  if (names.empty()) return -1;
  // Directory order on this system is arbitrary; list by name, as Windows does.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return UpperCaseName(a.c_str()) < UpperCaseName(b.c_str());
  });

  void* block = RT_ALLOC_ZERO(sizeof(PlainFind));
  if (!block) return -1;
  PlainFind* find = new (block) PlainFind();
  find->directory = resolvedDir;
  find->names = std::move(names);
  if (data) FillFindData(find->directory, find->names[0], data);
  find->next = 1;
  {
    std::lock_guard<std::mutex> guard(FindState().mutex);
    find->nextLive = FindState().live;
    FindState().live = find;
  }
  return reinterpret_cast<FindHandle>(find);
}

int PlainFindNext(FindHandle handle, FindData* data) {
  PlainFind* find = reinterpret_cast<PlainFind*>(handle);
  if (!IsLiveFind(find) || find->next >= find->names.size()) return -1;
  if (data) FillFindData(find->directory, find->names[find->next], data);
  ++find->next;
  return 0;
}

int PlainFindClose(FindHandle handle) {
  PlainFind* find = reinterpret_cast<PlainFind*>(handle);
  {
    std::lock_guard<std::mutex> guard(FindState().mutex);
    PlainFind** p = &FindState().live;
    while (*p && *p != find) p = &(*p)->nextLive;
    if (!*p) return -1;
    *p = find->nextLive;
  }
  find->~PlainFind();
  MemFree(find);
  return 0;
}

uint64_t UnixTimeToFileTime(int64_t seconds, int64_t nanoseconds) {
  int64_t units = (seconds + kFileTimeEpochOffset) * kFileTimeUnitsPerSecond + nanoseconds / 100;
  return units < 0 ? 0 : static_cast<uint64_t>(units);
}

void FileTimeToDate(uint64_t fileTime, FileDate* date) {
  time_t seconds = static_cast<time_t>(static_cast<int64_t>(fileTime / kFileTimeUnitsPerSecond) -
                                       kFileTimeEpochOffset);
  struct tm local{};
  if (!localtime_r(&seconds, &local)) {
    *date = FileDate{};
    return;
  }
  date->year = local.tm_year + 1900;
  date->month = local.tm_mon + 1;
  date->day = local.tm_mday;
  date->hour = local.tm_hour;
  date->minute = local.tm_min;
  date->second = local.tm_sec;
}

int CreateTempFile(char* pathOut) {
  const char* base = std::getenv("TMPDIR");
  std::string dir = (base && *base) ? base : "/tmp";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::string name = dir + "/tmpXXXXXX";
  if (name.size() + 1 > kStreamPathSize) return -1;
  // mkostemp creates the file exclusively, so no other process can slip in between.
  int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  if (pathOut) std::memcpy(pathOut, name.c_str(), name.size() + 1);
  return fd;
}

const StreamFileOperations& PlainLayerOperations() {
  static const StreamFileOperations operations = {
      SlotOpen,           SlotClose,          SlotTell,       SlotSeek,
      SlotRead,           SlotEof,            SlotIdleCheck,  PlainSetCurrentDir,
      PlainGetCurrentDir, PlainFindFirst,     PlainFindNext,  PlainFindClose,
  };
  return operations;
}

}  // namespace rt
