// Replacing a file whole: the new bytes go into a temporary file in the same directory,
// which is flushed to the disk and then renamed over the old file. A failure at any step
// leaves the old file as it was and removes the temporary file, so a user's file is never
// left empty or half written. The program replaces through the POSIX replacer; tests
// install the failing double to make any one step fail as the system would.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

enum class ReplaceStep { kNone, kCreate, kWrite, kFlush, kClose, kRename };
// "create", "write", "flush", "close", "rename" ("" for kNone).
const char* ReplaceStepName(ReplaceStep step);

struct ReplaceResult {
  ReplaceStep failedStep = ReplaceStep::kNone;
  int error = 0;  // the errno value of the failed step
  bool ok() const { return failedStep == ReplaceStep::kNone; }
};

class FileReplacer {
 public:
  virtual ~FileReplacer() = default;
  // Makes size bytes the whole content of the file at path (made when missing).
  ReplaceResult Replace(const std::string& path, const void* bytes, size_t size);

 protected:
  // The system's part of each step; each returns 0 or an errno value.
  // A new, empty file beside path that no one else has opened.
  virtual int CreateTemporary(const std::string& path, std::string* temporary, int* handle) = 0;
  // Writes some of the bytes (at least one unless it fails).
  virtual int Write(int handle, const uint8_t* bytes, size_t size, size_t* written) = 0;
  // Returns once the file's content is on the disk.
  virtual int Flush(int handle) = 0;
  virtual int Close(int handle) = 0;
  // Puts from in the place of to in one step.
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  virtual void Remove(const std::string& path) = 0;
  // Makes the rename itself last, where the file system allows it.
  virtual void FlushDirectoryOf(const std::string& path) = 0;
};

class PosixFileReplacer : public FileReplacer {
 protected:
  int CreateTemporary(const std::string& path, std::string* temporary, int* handle) override;
  int Write(int handle, const uint8_t* bytes, size_t size, size_t* written) override;
  int Flush(int handle) override;
  int Close(int handle) override;
  int Rename(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;
  void FlushDirectoryOf(const std::string& path) override;
};

// The test double: the POSIX replacer with one step made to fail with a chosen error. A
// failing write first writes the given number of bytes, as a disk that fills up midway.
class FailingFileReplacer final : public PosixFileReplacer {
 public:
  void FailAt(ReplaceStep step, int error, size_t bytesBeforeFailure = 0);
  // Every step succeeds again.
  void Heal() { step_ = ReplaceStep::kNone; }
  // The temporary file of the last replace ("" before the first).
  const std::string& lastTemporary() const { return lastTemporary_; }

 protected:
  int CreateTemporary(const std::string& path, std::string* temporary, int* handle) override;
  int Write(int handle, const uint8_t* bytes, size_t size, size_t* written) override;
  int Flush(int handle) override;
  int Close(int handle) override;
  int Rename(const std::string& from, const std::string& to) override;

 private:
  ReplaceStep step_ = ReplaceStep::kNone;
  int error_ = 0;
  size_t bytesBeforeFailure_ = 0;
  size_t writtenSoFar_ = 0;
  std::string lastTemporary_;
};

// The replacer in force: the POSIX one unless a test installed another.
FileReplacer& GetFileReplacer();
// Installs a replacer (nullptr: back to the POSIX one). The caller keeps ownership.
void SetFileReplacer(FileReplacer* replacer);

}  // namespace platform
