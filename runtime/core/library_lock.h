// The library-wide lock: recursive, first come first served. Every locked facade
// function takes it around its one implementation call; implementations never take it.
#pragma once
#include <atomic>
#include <cstdint>
#include <utility>

namespace rt {

void LockLibrary();
void UnlockLibrary();

// The message thread's acquisition: while queued it gives up as soon as windowEnded
// becomes non-zero, leaving the queue. Returns true when it holds the lock.
bool LockLibraryUnlessEnded(const std::atomic<int>& windowEnded);
// The message thread's release: wakes the head waiter without yielding.
void UnlockLibraryNoYield();
// Wakes every queued waiter so that message-thread waiters re-check their end flag.
void WakeLibraryLockWaiters();

// Tears the lock down (EndLibrary, FatalExit); the next LockLibrary creates it afresh.
void TearDownLibraryLock();

// Observations for tests and diagnostics.
struct LibraryLockInfo {
  bool created;
  bool locked;
  uint32_t recursion;
  uint32_t owner;
  int queueLength;
};
LibraryLockInfo GetLibraryLockInfo();

// The wrapper pattern of every locked facade function.
template <class F>
auto WithLibraryLock(F&& f) {
  LockLibrary();
  if constexpr (std::is_void_v<decltype(f())>) {
    f();
    UnlockLibrary();
  } else {
    auto result = f();
    UnlockLibrary();
    return result;
  }
}

}  // namespace rt
