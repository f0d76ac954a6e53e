#include "runtime/file/archive_layer.h"

#include <sys/stat.h>

#include <cstring>

#include "platform/filesystem.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/file/file_paths.h"
#include "runtime/file/plain_file.h"

namespace rt {

namespace {

ArchiveLayerState g_state;

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void GiveBackArchive(int index) {
  ArchiveCacheEntry* entry =
      (index >= 0 && index < kArchiveCacheSize) ? g_state.cache[index] : nullptr;
  if (entry && entry->refCount > 0) --entry->refCount;
}

void Remember(int index, const std::string& archivePath, const std::string& prefix) {
  ArchiveLayerState& st = g_state;
  if (archivePath.size() >= sizeof st.lastArchivePath || prefix.size() >= sizeof st.lastPrefix) {
    st.lastValid = 0;
    return;
  }
  std::memcpy(st.lastArchivePath, archivePath.c_str(), archivePath.size() + 1);
  std::memcpy(st.lastPrefix, prefix.c_str(), prefix.size() + 1);
  st.lastCacheIndex = index;
  st.lastValid = 1;
}

// The handle's record, or null for a value that names no open file.
ArchiveFileHandle* Lookup(StreamHandle handle) {
  if ((handle & ~StreamHandle{kArchiveHandleIndexMask}) != kArchiveHandleTag) return nullptr;
  const StreamHandle index = handle & kArchiveHandleIndexMask;
  if (index >= static_cast<StreamHandle>(kArchiveLayerMaxFiles)) return nullptr;
  return g_state.files[index];
}

ArchiveFindRecord* LookupFind(FindHandle find) {
  for (ArchiveFindRecord* r = g_state.finds; r; r = r->nextLive) {
    if (reinterpret_cast<FindHandle>(r) == find) return r;
  }
  return nullptr;
}

}  // namespace

ArchiveLayerState& GetArchiveLayerState() { return g_state; }

int InitArchiveLayer() {
  while (g_state.finds) ArchiveLayerFindClose(reinterpret_cast<FindHandle>(g_state.finds));
  for (int i = 0; i < kArchiveLayerMaxFiles; ++i) {
    if (g_state.files[i]) ArchiveLayerClose(kArchiveHandleTag | static_cast<uint32_t>(i));
  }
  for (ArchiveCacheEntry*& entry : g_state.cache) {
    if (!entry) continue;
    CloseArchive(&entry->archive);
    MemFree(entry);
    entry = nullptr;
  }
  std::memset(&g_state, 0, sizeof g_state);
  return 0;
}

void CloseUnreferencedArchives() {
  for (ArchiveCacheEntry*& entry : g_state.cache) {
    if (!entry || entry->refCount >= 1) continue;
    CloseArchive(&entry->archive);
    MemFree(entry);
    entry = nullptr;
    --g_state.cacheCount;
  }
}

int CloseAllArchives() {
  CloseUnreferencedArchives();
  return 0;
}

int SetArchiveExtensionImpl(const char* text) {
  const size_t length = text ? std::strlen(text) : 0;
  if (length == 0 || length >= kArchiveExtensionSize) {
    g_state.extension[0] = '\0';
    g_state.extensionLength = 0;
  } else {
    std::memcpy(g_state.extension, text, length + 1);
    g_state.extensionLength = static_cast<int>(length);
  }
  // Archives named after the old extension must not be taken for the new one.
  g_state.lastValid = 0;
  return 0;
}

int SetArchiveKeyStringImpl(const char* text) {
  if (!text) {
    g_state.keyStringSet = 0;
    g_state.keyString[0] = '\0';
    return 0;
  }
  g_state.keyStringSet = 1;
  std::strncpy(g_state.keyString, text, kArchiveKeyStringMax);
  g_state.keyString[kArchiveKeyStringMax] = '\0';
  return 0;
}

int OpenArchiveCached(int hint, const char* archivePath, int resident, int asyncFlag) {
  ArchiveLayerState& st = g_state;
  if (!archivePath || std::strlen(archivePath) >= kStreamPathSize) return -1;
  if (hint >= 0 && hint < kArchiveCacheSize && st.cache[hint] &&
      std::strcmp(st.cache[hint]->path, archivePath) == 0) {
    ++st.cache[hint]->refCount;
    return hint;
  }
  int empty = -1;
  for (int i = 0, seen = 0; i < kArchiveCacheSize && seen < st.cacheCount; ++i) {
    if (!st.cache[i]) {
      empty = i;
      continue;
    }
    ++seen;
    if (std::strcmp(st.cache[i]->path, archivePath) == 0) {
      ++st.cache[i]->refCount;
      return i;
    }
  }
  if (st.cacheCount >= kArchiveCacheSize) {
    CloseUnreferencedArchives();
    if (st.cacheCount >= kArchiveCacheSize) return -1;
    empty = -1;
  }
  int slot = empty;
  for (int i = 0; slot < 0 && i < kArchiveCacheSize; ++i) {
    if (!st.cache[i]) slot = i;
  }
  if (slot < 0) return -1;
  auto* entry = static_cast<ArchiveCacheEntry*>(RT_ALLOC_ZERO(sizeof(ArchiveCacheEntry)));
  if (!entry) return -1;
  const char* key = st.keyStringSet ? st.keyString : nullptr;
  const int opened = resident ? OpenArchiveWhole(&entry->archive, archivePath, key, asyncFlag)
                              : OpenArchiveStream(&entry->archive, archivePath, key);
  if (opened != 0) {
    MemFree(entry);
    return -1;
  }
  entry->refCount = 1;
  std::strcpy(entry->path, archivePath);
  st.cache[slot] = entry;
  ++st.cacheCount;
  return slot;
}

int FindArchiveForPath(const char* path, int* cacheIndex, std::string* archivePath,
                       std::string* innerPath) {
  if (!path) return -1;
  ArchiveLayerState& st = g_state;
  std::string absolute;
  MakeAbsolutePath(path, &absolute);

  // A relative path is looked for from the working directory down, not from the root.
  std::string current = platform::CurrentDirectory();
  while (!current.empty() && current.back() == '/') current.pop_back();
  size_t position = 0;
  const std::string systemPath = ToSystemPath(path);
  if (!systemPath.empty() && systemPath[0] != '/' && !current.empty() &&
      absolute.size() > current.size() && absolute.compare(0, current.size(), current) == 0 &&
      absolute[current.size()] == '/') {
    position = current.size();
  }

  if (st.lastValid) {
    const size_t n = PrefixNoCase(absolute.c_str(), st.lastPrefix);
    if (n > position && absolute[n] == '/') {
      const int index = OpenArchiveCached(st.lastCacheIndex, st.lastArchivePath, 0, 0);
      if (index >= 0) {
        st.lastCacheIndex = index;
        if (cacheIndex) *cacheIndex = index;
        if (archivePath) *archivePath = st.lastArchivePath;
        if (innerPath) *innerPath = absolute.substr(n + 1);
        return 0;
      }
    }
  }

  const char* extension = st.extensionLength > 0 ? st.extension : kDefaultArchiveExtension;
  for (;;) {
    const size_t next = absolute.find('/', position + 1);
    // The last component names the file itself, never an archive.
    if (next == std::string::npos) return -1;
    const std::string prefix = absolute.substr(0, next);
    std::string resolved;
    if (ResolvePathCase(prefix + "." + extension, &resolved) && IsRegularFile(resolved)) {
      const int index = OpenArchiveCached(-1, resolved.c_str(), 0, 0);
      if (index >= 0) {
        Remember(index, resolved, prefix);
        if (cacheIndex) *cacheIndex = index;
        if (archivePath) *archivePath = resolved;
        if (innerPath) *innerPath = absolute.substr(next + 1);
        return 0;
      }
    }
    position = next;
  }
}

StreamHandle ArchiveLayerOpen(const char* path, int cacheFlag, int unused, int asyncFlag) {
  ArchiveLayerState& st = g_state;
  if (!path) return 0;
  int slot = -1;
  for (int i = 0; st.fileCount < kArchiveLayerMaxFiles && i < kArchiveLayerMaxFiles; ++i) {
    if (!st.files[i]) {
      slot = i;
      break;
    }
  }
  if (slot < 0) {
    LogAdd("同時に開けるファイルの数が限界を超えました\n");
    return 0;
  }
  auto* h = static_cast<ArchiveFileHandle*>(RT_ALLOC_ZERO(sizeof(ArchiveFileHandle)));
  if (!h) {
    LogAdd("ファイルの情報を格納するメモリの確保に失敗しました\n");
    return 0;
  }
  int index = -1;
  std::string inner;
  bool ok;
  if (FindArchiveForPath(path, &index, nullptr, &inner) != 0) {
    h->kind = kHandlePlain;
    h->plain = PlainFileOpen(path, cacheFlag, 1, asyncFlag);
    ok = h->plain != nullptr;
  } else {
    h->kind = kHandleArchive;
    h->cacheIndex = index;
    ok = ArchiveFileOpen(&h->file, &st.cache[index]->archive, inner.c_str(), asyncFlag) == 0;
    if (!ok) GiveBackArchive(index);
  }
  if (!ok) {
    MemFree(h);
    return 0;
  }
  st.files[slot] = h;
  ++st.fileCount;
  return kArchiveHandleTag | static_cast<uint32_t>(slot);
}

int ArchiveLayerClose(StreamHandle handle) {
  ArchiveFileHandle* h = Lookup(handle);
  if (!h) return -1;
  if (h->kind == kHandleArchive) {
    ArchiveFileClose(&h->file);
    GiveBackArchive(h->cacheIndex);
  } else {
    PlainFileClose(h->plain);
  }
  MemFree(h);
  g_state.files[handle & kArchiveHandleIndexMask] = nullptr;
  --g_state.fileCount;
  return 0;
}

int64_t ArchiveLayerTell(StreamHandle handle) {
  ArchiveFileHandle* h = Lookup(handle);
  if (!h) return -1;
  return h->kind == kHandleArchive ? ArchiveFileTell(&h->file) : PlainFileTell(h->plain);
}

int ArchiveLayerSeek(StreamHandle handle, int64_t offset, int origin) {
  ArchiveFileHandle* h = Lookup(handle);
  if (!h) return -1;
  return h->kind == kHandleArchive ? ArchiveFileSeek(&h->file, offset, origin)
                                   : PlainFileSeek(h->plain, offset, origin);
}

size_t ArchiveLayerRead(void* buffer, size_t elementSize, size_t count, StreamHandle handle) {
  ArchiveFileHandle* h = Lookup(handle);
  // A handle that names no file reads nothing; a count of -1 would read as a huge size.
  if (!h) return 0;
  if (h->kind == kHandlePlain) return PlainFileRead(buffer, elementSize, count, h->plain);
  if (elementSize != 0 && count > SIZE_MAX / elementSize) return 0;
  return ArchiveFileRead(&h->file, buffer, elementSize * count);
}

int ArchiveLayerEof(StreamHandle handle) {
  ArchiveFileHandle* h = Lookup(handle);
  if (!h) return -1;
  return h->kind == kHandleArchive ? ArchiveFileEof(&h->file) : PlainFileEof(h->plain);
}

int ArchiveLayerIdleCheck(StreamHandle handle) {
  ArchiveFileHandle* h = Lookup(handle);
  if (!h) return -1;
  return h->kind == kHandleArchive ? ArchiveFileIdleCheck(&h->file)
                                   : PlainFileIdleCheck(h->plain);
}

FindHandle ArchiveLayerFindFirst(const char* pattern, FindData* data) {
  if (!pattern) return -1;
  auto* r = static_cast<ArchiveFindRecord*>(RT_ALLOC_ZERO(sizeof(ArchiveFindRecord)));
  if (!r) return -1;
  int index = -1;
  std::string inner;
  if (FindArchiveForPath(pattern, &index, nullptr, &inner) == 0) {
    r->kind = kHandleArchive;
    r->cacheIndex = index;
    r->archiveFind = ArchiveFindFirst(&g_state.cache[index]->archive, inner.c_str(), data);
    if (!r->archiveFind) {
      GiveBackArchive(index);
      MemFree(r);
      return -1;
    }
  } else {
    r->kind = kHandlePlain;
    r->plainFind = PlainFindFirst(pattern, data);
    if (r->plainFind == -1) {
      MemFree(r);
      return -1;
    }
  }
  r->nextLive = g_state.finds;
  g_state.finds = r;
  return reinterpret_cast<FindHandle>(r);
}

int ArchiveLayerFindNext(FindHandle find, FindData* data) {
  ArchiveFindRecord* r = LookupFind(find);
  if (!r) return -1;
  return r->kind == kHandleArchive ? ArchiveFindNext(r->archiveFind, data)
                                   : PlainFindNext(r->plainFind, data);
}

int ArchiveLayerFindClose(FindHandle find) {
  ArchiveFindRecord* r = LookupFind(find);
  if (!r) return -1;
  for (ArchiveFindRecord** p = &g_state.finds; *p; p = &(*p)->nextLive) {
    if (*p == r) {
      *p = r->nextLive;
      break;
    }
  }
  if (r->kind == kHandleArchive) {
    ArchiveFindFree(r->archiveFind);
    GiveBackArchive(r->cacheIndex);
  } else {
    PlainFindClose(r->plainFind);
  }
  MemFree(r);
  return 0;
}

const StreamFileOperations& ArchiveLayerOperations() {
  static const StreamFileOperations operations = {
      ArchiveLayerOpen,      ArchiveLayerClose,    ArchiveLayerTell,      ArchiveLayerSeek,
      ArchiveLayerRead,      ArchiveLayerEof,      ArchiveLayerIdleCheck, PlainSetCurrentDir,
      PlainGetCurrentDir,    ArchiveLayerFindFirst, ArchiveLayerFindNext, ArchiveLayerFindClose,
  };
  return operations;
}

}  // namespace rt
