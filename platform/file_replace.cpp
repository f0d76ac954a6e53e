#include "platform/file_replace.h"

#include <atomic>
#include <cerrno>

namespace platform {
namespace {

PosixFileReplacer g_posixReplacer;
std::atomic<FileReplacer*> g_replacer{&g_posixReplacer};

}  // namespace

const char* ReplaceStepName(ReplaceStep step) {
  switch (step) {
    case ReplaceStep::kNone:
      return "";
    case ReplaceStep::kCreate:
      return "create";
    case ReplaceStep::kWrite:
      return "write";
    case ReplaceStep::kFlush:
      return "flush";
    case ReplaceStep::kClose:
      return "close";
    case ReplaceStep::kRename:
      return "rename";
  }
  return "";
}

ReplaceResult FileReplacer::Replace(const std::string& path, const void* bytes, size_t size) {
  ReplaceResult result;
  std::string temporary;
  int handle = -1;
  if (const int error = CreateTemporary(path, &temporary, &handle); error != 0) {
    result.failedStep = ReplaceStep::kCreate;
    result.error = error;
    return result;
  }
  ReplaceStep failed = ReplaceStep::kNone;
  int error = 0;
  const auto* next = static_cast<const uint8_t*>(bytes);
  size_t left = size;
  while (left > 0) {
    size_t written = 0;
    error = Write(handle, next, left, &written);
    if (error == 0 && written == 0) error = EIO;
    if (error != 0) {
      failed = ReplaceStep::kWrite;
      break;
    }
    next += written;
    left -= written;
  }
  if (failed == ReplaceStep::kNone && (error = Flush(handle)) != 0) failed = ReplaceStep::kFlush;
  // Closed whatever happened before, so that no descriptor outlives a failure.
  const int closeError = Close(handle);
  if (failed == ReplaceStep::kNone && closeError != 0) {
    failed = ReplaceStep::kClose;
    error = closeError;
  }
  if (failed == ReplaceStep::kNone && (error = Rename(temporary, path)) != 0) failed = ReplaceStep::kRename;
  if (failed != ReplaceStep::kNone) {
    Remove(temporary);
    result.failedStep = failed;
    result.error = error;
    return result;
  }
  FlushDirectoryOf(path);
  return result;
}

void FailingFileReplacer::FailAt(ReplaceStep step, int error, size_t bytesBeforeFailure) {
  step_ = step;
  error_ = error;
  bytesBeforeFailure_ = bytesBeforeFailure;
}

int FailingFileReplacer::CreateTemporary(const std::string& path, std::string* temporary, int* handle) {
  if (step_ == ReplaceStep::kCreate) return error_;
  writtenSoFar_ = 0;
  const int error = PosixFileReplacer::CreateTemporary(path, temporary, handle);
  if (error == 0) lastTemporary_ = *temporary;
  return error;
}

int FailingFileReplacer::Write(int handle, const uint8_t* bytes, size_t size, size_t* written) {
  if (step_ == ReplaceStep::kWrite) {
    if (writtenSoFar_ >= bytesBeforeFailure_) return error_;
    if (size > bytesBeforeFailure_ - writtenSoFar_) size = bytesBeforeFailure_ - writtenSoFar_;
  }
  const int error = PosixFileReplacer::Write(handle, bytes, size, written);
  if (error == 0) writtenSoFar_ += *written;
  return error;
}

int FailingFileReplacer::Flush(int handle) {
  return step_ == ReplaceStep::kFlush ? error_ : PosixFileReplacer::Flush(handle);
}

int FailingFileReplacer::Close(int handle) {
  const int error = PosixFileReplacer::Close(handle);
  return step_ == ReplaceStep::kClose ? error_ : error;
}

int FailingFileReplacer::Rename(const std::string& from, const std::string& to) {
  return step_ == ReplaceStep::kRename ? error_ : PosixFileReplacer::Rename(from, to);
}

FileReplacer& GetFileReplacer() { return *g_replacer.load(); }
void SetFileReplacer(FileReplacer* replacer) { g_replacer.store(replacer ? replacer : &g_posixReplacer); }

}  // namespace platform
