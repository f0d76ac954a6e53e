#include "runtime/file/plain_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/file/file_paths.h"

namespace rt {

namespace {

// How long a cached file's worker waits for a command before it reads ahead.
constexpr auto kReadAheadWait = std::chrono::milliseconds(100);

}  // namespace

struct PlainFile {
  enum class Command { kOpen = 0, kClose = 1, kRead = 2, kSeek = 3, kEnd = 4 };

  int fd = -1;  // direct mode
  int threaded = 0;
  int cacheFlag = 0;
  int asyncFlag = 0;
  int endFlag = 0;
  int64_t position = 0;
  int64_t size = 0;

  // Threaded mode. The caller and the worker hand over through the two signals; the
  // caller touches the request fields only while done is set.
  std::thread worker;
  int workerFd = -1;
  std::mutex mutex;
  std::condition_variable commandSignal;
  std::condition_variable doneSignal;
  bool commandSet = false;
  bool doneSet = true;
  Command command = Command::kOpen;
  bool workerEnded = false;
  bool openFailed = false;
  std::string path;

  unsigned char* readDest = nullptr;
  int64_t readPosition = 0;
  int64_t readSize = 0;  // the bytes read once the command is done
  int64_t seekTarget = 0;

  unsigned char* cache = nullptr;
  int64_t cachePosition = 0;
  size_t cacheFill = 0;
  bool cacheAtEnd = false;  // read-ahead found the end of the file

  int64_t lastReadBytes = 0;  // direct mode
  PlainFile* nextLive = nullptr;
};

namespace {

using Command = PlainFile::Command;

struct PlainLayerState {
  std::mutex liveMutex;
  PlainFile* live = nullptr;
};

PlainLayerState& State() {
  static PlainLayerState state;
  return state;
}

void AddLive(PlainFile* file) {
  std::lock_guard<std::mutex> guard(State().liveMutex);
  file->nextLive = State().live;
  State().live = file;
}

void RemoveLive(PlainFile* file) {
  std::lock_guard<std::mutex> guard(State().liveMutex);
  for (PlainFile** p = &State().live; *p; p = &(*p)->nextLive) {
    if (*p == file) {
      *p = file->nextLive;
      return;
    }
  }
}

PlainFile* NewRecord() {
  void* block = RT_ALLOC_ZERO(sizeof(PlainFile));
  if (!block) return nullptr;
  return new (block) PlainFile();
}

void DeleteRecord(PlainFile* file) {
  file->~PlainFile();
  MemFree(file);
}

// Opens a game path: converted separators, names found whatever their case.
int OpenSystemFile(const std::string& path) {
  std::string resolved;
  ResolvePathCase(path, &resolved);
  int fd = open(resolved.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

int64_t FileSizeOf(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return -1;
  return st.st_size;
}

// Reads up to size bytes at position; the bytes read, or -1 on an error before any.
int64_t ReadAt(int fd, void* buffer, int64_t size, int64_t position) {
  int64_t done = 0;
  unsigned char* out = static_cast<unsigned char*>(buffer);
  while (done < size) {
    ssize_t n = pread(fd, out + done, static_cast<size_t>(size - done), position + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return done > 0 ? done : -1;
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

void RunRead(PlainFile* f) {
  unsigned char* dest = f->readDest;
  int64_t position = f->readPosition;
  int64_t wanted = f->readSize;
  int64_t delivered = 0;
  if (f->cache && f->cacheFill > 0 && f->cachePosition == position) {
    size_t n = static_cast<size_t>(std::min<int64_t>(wanted, static_cast<int64_t>(f->cacheFill)));
    std::memcpy(dest, f->cache, n);
    dest += n;
    position += static_cast<int64_t>(n);
    wanted -= static_cast<int64_t>(n);
    delivered += static_cast<int64_t>(n);
    f->cacheFill -= n;
    std::memmove(f->cache, f->cache + n, f->cacheFill);
    f->cachePosition += static_cast<int64_t>(n);
  }
  if (wanted > 0) {
    int64_t got = f->workerFd >= 0 ? ReadAt(f->workerFd, dest, wanted, position) : -1;
    if (got > 0) delivered += got;
    if (f->cache) {
      f->cachePosition = position + std::max<int64_t>(got, 0);
      f->cacheFill = 0;
      f->cacheAtEnd = false;
    }
  }
  f->readSize = delivered;
}

void ReadAhead(PlainFile* f) {
  int64_t got = ReadAt(f->workerFd, f->cache + f->cacheFill,
                       static_cast<int64_t>(kPlainFileCacheSize - f->cacheFill),
                       f->cachePosition + static_cast<int64_t>(f->cacheFill));
  if (got > 0) {
    f->cacheFill += static_cast<size_t>(got);
  } else {
    f->cacheAtEnd = true;
  }
}

void WorkerMain(PlainFile* f) {
  std::unique_lock<std::mutex> lock(f->mutex);
  for (;;) {
    if (f->cache) {
      while (!f->commandSet) {
        if (f->commandSignal.wait_for(lock, kReadAheadWait) == std::cv_status::timeout &&
            !f->commandSet && f->workerFd >= 0 && f->cacheFill < kPlainFileCacheSize &&
            !f->cacheAtEnd) {
          // The caller touches neither the cache nor the descriptor, so read unlocked.
          lock.unlock();
          ReadAhead(f);
          lock.lock();
        }
      }
    } else {
      f->commandSignal.wait(lock, [f] { return f->commandSet; });
    }
    f->commandSet = false;
    Command command = f->command;
    lock.unlock();
    bool end = false;
    switch (command) {
      case Command::kOpen:
        f->workerFd = OpenSystemFile(f->path);
        if (f->workerFd < 0) {
          f->openFailed = true;
          end = true;
        }
        break;
      case Command::kClose:
        if (f->workerFd >= 0) close(f->workerFd);
        f->workerFd = -1;
        break;
      case Command::kRead:
        RunRead(f);
        break;
      case Command::kSeek:
        if (f->cache) {
          f->cachePosition = f->seekTarget;
          f->cacheFill = 0;
          f->cacheAtEnd = false;
        }
        break;
      case Command::kEnd:
        if (f->workerFd >= 0) close(f->workerFd);
        f->workerFd = -1;
        end = true;
        break;
    }
    lock.lock();
    if (end) f->workerEnded = true;
    f->doneSet = true;
    f->doneSignal.notify_all();
    if (end) return;
  }
}

void WaitDone(PlainFile* f, std::unique_lock<std::mutex>& lock) {
  f->doneSignal.wait(lock, [f] { return f->doneSet; });
}

// Waits for the previous command, then hands the worker the next one; set fills in the
// command's arguments while the worker is idle.
template <class Set>
void SendCommand(PlainFile* f, Command command, Set set) {
  std::unique_lock<std::mutex> lock(f->mutex);
  WaitDone(f, lock);
  f->command = command;
  set();
  f->doneSet = false;
  f->commandSet = true;
  f->commandSignal.notify_one();
}

void WaitIdle(PlainFile* f) {
  std::unique_lock<std::mutex> lock(f->mutex);
  WaitDone(f, lock);
}

void FreeThreadedParts(PlainFile* f) {
  if (f->worker.joinable()) f->worker.join();
  if (f->cache) MemFree(f->cache);
  f->cache = nullptr;
}

}  // namespace

PlainFile* PlainFileOpen(const char* path, int cacheFlag, int unused, int asyncFlag) {
  if (!path) return nullptr;
  PlainFile* f = NewRecord();
  if (!f) return nullptr;
  f->cacheFlag = cacheFlag;
  f->asyncFlag = asyncFlag;
  f->threaded = (cacheFlag || asyncFlag) ? 1 : 0;
  f->path = ToSystemPath(path);

  if (!f->threaded) {
    f->fd = OpenSystemFile(f->path);
    if (f->fd < 0) {
      DeleteRecord(f);
      return nullptr;
    }
    f->size = FileSizeOf(f->fd);
  } else {
    // The size probe: a file that cannot be opened fails here, before any worker starts.
    int probe = OpenSystemFile(f->path);
    if (probe < 0) {
      DeleteRecord(f);
      LogAdd("ファイルのオープンに失敗しました\n");
      return nullptr;
    }
    f->size = FileSizeOf(probe);
    close(probe);
    if (cacheFlag) {
      f->cache = static_cast<unsigned char*>(RT_ALLOC(kPlainFileCacheSize));
      if (!f->cache) {
        DeleteRecord(f);
        LogAdd("ファイル読み込みキャッシュ用メモリの確保に失敗しました\n");
        return nullptr;
      }
    }
    try {
      f->worker = std::thread(WorkerMain, f);
    } catch (...) {
      FreeThreadedParts(f);
      DeleteRecord(f);
      LogAdd("ファイルアクセス専用スレッドの作成に失敗しました\n");
      return nullptr;
    }
    SendCommand(f, Command::kOpen, [] {});
    WaitIdle(f);
    if (f->openFailed) {
      FreeThreadedParts(f);
      DeleteRecord(f);
      LogAdd("ファイルのオープンに失敗しました\n");
      return nullptr;
    }
  }
  if (f->size < 0) f->size = 0;
  f->position = 0;
  f->endFlag = 0;
  AddLive(f);
  return f;
}

int PlainFileClose(PlainFile* file) {
  if (!file) return -1;
  RemoveLive(file);
  int result = 0;
  if (!file->threaded) {
    result = close(file->fd) == 0 ? 0 : -1;
  } else {
    SendCommand(file, Command::kEnd, [] {});
    WaitIdle(file);
    FreeThreadedParts(file);
  }
  DeleteRecord(file);
  return result;
}

int64_t PlainFileTell(PlainFile* file) { return file ? file->position : -1; }

int64_t PlainFileSize(PlainFile* file) { return file ? file->size : -1; }

int PlainFileSeek(PlainFile* file, int64_t offset, int origin) {
  if (!file) return -1;
  int64_t target = offset;
  if (origin == kSeekCurrent) target = file->position + offset;
  if (origin == kSeekEnd) target = file->size + offset;
  target = std::clamp<int64_t>(target, 0, file->size);
  if (file->threaded) {
    SendCommand(file, Command::kSeek, [&] { file->seekTarget = target; });
  }
  file->position = target;
  file->endFlag = 0;
  return 0;
}

size_t PlainFileRead(void* buffer, size_t elementSize, size_t count, PlainFile* file) {
  if (!file || elementSize == 0) return 0;
  if (file->position >= file->size) {
    file->endFlag = 1;
    return 0;
  }
  const uint64_t remaining = static_cast<uint64_t>(file->size - file->position);
  if (count > remaining / elementSize) {
    count = static_cast<size_t>(remaining / elementSize);
    if (count == 0) {
      file->endFlag = 1;
      return 0;
    }
  }
  const int64_t bytes = static_cast<int64_t>(elementSize * count);
  int64_t delivered = bytes;
  if (!file->threaded) {
    int64_t got = ReadAt(file->fd, buffer, bytes, file->position);
    delivered = got < 0 ? 0 : got;
    file->lastReadBytes = delivered;
  } else {
    SendCommand(file, Command::kRead, [&] {
      file->readDest = static_cast<unsigned char*>(buffer);
      file->readPosition = file->position;
      file->readSize = bytes;
    });
    if (!file->asyncFlag) {
      std::unique_lock<std::mutex> lock(file->mutex);
      WaitDone(file, lock);
      delivered = file->readSize;
    }
  }
  // An asynchronous read counts as whole: its result is only known when it completes.
  file->position += delivered;
  return static_cast<size_t>(delivered) / elementSize;
}

int PlainFileEof(PlainFile* file) {
  if (!file) return -1;
  return file->endFlag ? -1 : 0;
}

int PlainFileIdleCheck(PlainFile* file) {
  if (!file) return -1;
  if (!file->threaded) return 1;
  std::lock_guard<std::mutex> guard(file->mutex);
  return file->doneSet ? 1 : 0;
}

int64_t PlainFileWaitIdle(PlainFile* file) {
  if (!file) return -1;
  if (!file->threaded) return file->lastReadBytes;
  std::unique_lock<std::mutex> lock(file->mutex);
  WaitDone(file, lock);
  return file->command == Command::kRead ? file->readSize : 0;
}

int IsPlainFile(const PlainFile* file) {
  if (!file) return 0;
  std::lock_guard<std::mutex> guard(State().liveMutex);
  for (PlainFile* p = State().live; p; p = p->nextLive) {
    if (p == file) return 1;
  }
  return 0;
}

}  // namespace rt
