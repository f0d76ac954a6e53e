// The check against a second running instance: a lock file that one process at a time can
// hold. The lock dies with its process, so a crashed instance never blocks the next start.
#pragma once
#include <string>

namespace platform {

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock for name (any bytes) in directory. False when another holder has it or
  // the file cannot be made; errno then tells which (EWOULDBLOCK: another holder). Two
  // InstanceLocks of one process also exclude each other.
  bool Acquire(const std::string& directory, const std::string& name);
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// $XDG_RUNTIME_DIR when set, else the system's temporary directory.
std::string DefaultInstanceLockDirectory();
// The lock file's name for an instance name: names of any length and bytes map to a short,
// safe file name.
std::string InstanceLockFileName(const std::string& name);

}  // namespace platform
