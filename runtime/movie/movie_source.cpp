// A movie's container bytes read through the stream-function table on the decoder thread.
// The file layer's records are shared with the rest of the runtime, so every call holds
// the library-wide lock; a closing movie stops waiting for it.
#include <atomic>

#include "runtime/core/library_lock.h"
#include "runtime/file/stream.h"
#include "runtime/movie/movie.h"

namespace rt {
namespace {

class GameDataSource final : public platform::MovieByteSource {
 public:
  explicit GameDataSource(StreamHandle handle) : handle_(handle) {}

  ~GameDataSource() override {
    LockLibrary();
    StreamClose(handle_);
    UnlockLibrary();
  }

  int Read(uint8_t* buffer, int bytes) override {
    if (bytes <= 0) return 0;
    if (!LockLibraryUnlessEnded(aborted_)) return -1;
    const size_t n = StreamRead(buffer, 1, static_cast<size_t>(bytes), handle_);
    UnlockLibrary();
    return static_cast<int>(n);
  }

  int64_t Seek(int64_t offset, int origin) override {
    if (!LockLibraryUnlessEnded(aborted_)) return -1;
    int64_t position = -1;
    if (StreamSeek(handle_, offset, origin) == 0) position = StreamTell(handle_);
    UnlockLibrary();
    return position;
  }

  int64_t Size() override {
    if (!LockLibraryUnlessEnded(aborted_)) return -1;
    const int64_t here = StreamTell(handle_);
    int64_t size = -1;
    if (here >= 0 && StreamSeek(handle_, 0, kSeekEnd) == 0) {
      size = StreamTell(handle_);
      StreamSeek(handle_, here, kSeekSet);
    }
    UnlockLibrary();
    return size;
  }

  void Abort() override {
    aborted_ = 1;
    WakeLibraryLockWaiters();
  }

 private:
  StreamHandle handle_;
  std::atomic<int> aborted_{0};
};

}  // namespace

std::unique_ptr<platform::MovieByteSource> OpenMovieByteSource(const char* path) {
  const StreamHandle handle = StreamOpen(path, 0, 1, 0);
  if (handle == 0) return nullptr;
  return std::make_unique<GameDataSource>(handle);
}

}  // namespace rt
