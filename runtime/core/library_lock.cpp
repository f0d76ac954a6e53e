#include "runtime/core/library_lock.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/thread.h"

namespace rt {
namespace {

constexpr uint32_t kNeverOwned = 0;
constexpr uint32_t kReleased = 0xFFFFFFFFu;

// One queued thread. The waiter lives on its thread's stack while it is queued.
struct Waiter {
  uint32_t threadId;
  std::condition_variable wake;
  bool signalled = false;
};

struct LibraryLock {
  uint32_t recursion = 0;
  bool locked = false;
  uint32_t owner = kNeverOwned;
  std::deque<Waiter*> queue;
  bool created = false;
  std::mutex cs;  // guards every field above
};

LibraryLock g_lock;

// Decides under cs whether the caller may take the lock now. A queued caller may take
// it only from the head of the queue; a newcomer that finds the lock free while
// others wait goes to the tail, so the head waiter always goes next.
bool MayTake(uint32_t me, const Waiter* mine) {
  if (g_lock.locked) return g_lock.owner == me;
  if (g_lock.queue.empty()) return true;
  if (g_lock.owner == me && !mine) return true;
  return mine && g_lock.queue.front() == mine;
}

void Take(uint32_t me, Waiter* mine) {
  if (mine && !g_lock.queue.empty() && g_lock.queue.front() == mine) g_lock.queue.pop_front();
  g_lock.recursion++;
  g_lock.locked = true;
  g_lock.owner = me;
}

void SignalHead() {
  if (!g_lock.queue.empty()) {
    Waiter* head = g_lock.queue.front();
    head->signalled = true;
    head->wake.notify_one();
  }
}

// Releases one level; returns true when the lock became free with waiters queued. The
// head is signalled inside the critical section, so a waiter that leaves the queue at the
// same time can never miss or steal the wake-up.
bool ReleaseOneLevel() {
  std::lock_guard<std::mutex> guard(g_lock.cs);
  bool wake = false;
  if (g_lock.recursion == 1) {
    g_lock.locked = false;
    g_lock.owner = kReleased;
    wake = !g_lock.queue.empty();
  }
  if (g_lock.recursion > 0) g_lock.recursion--;
  if (wake) SignalHead();
  return wake;
}

}  // namespace

void LockLibrary() {
  const uint32_t me = platform::CurrentThreadId();
  std::unique_lock<std::mutex> guard(g_lock.cs);
  g_lock.created = true;
  if (MayTake(me, nullptr)) {
    Take(me, nullptr);
    return;
  }
  Waiter mine{me, {}, false};
  g_lock.queue.push_back(&mine);
  for (;;) {
    mine.wake.wait(guard, [&] { return mine.signalled; });
    mine.signalled = false;
    if (MayTake(me, &mine)) {
      Take(me, &mine);
      return;
    }
  }
}

bool LockLibraryUnlessEnded(const std::atomic<int>& windowEnded) {
  const uint32_t me = platform::CurrentThreadId();
  std::unique_lock<std::mutex> guard(g_lock.cs);
  g_lock.created = true;
  if (windowEnded.load() != 0) return false;
  if (MayTake(me, nullptr)) {
    Take(me, nullptr);
    return true;
  }
  Waiter mine{me, {}, false};
  g_lock.queue.push_back(&mine);
  for (;;) {
    mine.wake.wait_for(guard, std::chrono::milliseconds(1000),
                       [&] { return mine.signalled || windowEnded.load() != 0; });
    mine.signalled = false;
    if (windowEnded.load() != 0) {
      // Leave the queue; if we were the head and the lock is free, the next waiter goes.
      bool wasHead = g_lock.queue.front() == &mine;
      for (auto it = g_lock.queue.begin(); it != g_lock.queue.end(); ++it) {
        if (*it == &mine) {
          g_lock.queue.erase(it);
          break;
        }
      }
      if (wasHead && !g_lock.locked) SignalHead();
      return false;
    }
    if (MayTake(me, &mine)) {
      Take(me, &mine);
      return true;
    }
  }
}

void UnlockLibrary() {
  // Give the woken thread the processor, as the lock is first come, first served.
  if (ReleaseOneLevel()) std::this_thread::yield();
}

void UnlockLibraryNoYield() { ReleaseOneLevel(); }

void WakeLibraryLockWaiters() {
  std::lock_guard<std::mutex> guard(g_lock.cs);
  for (Waiter* w : g_lock.queue) w->wake.notify_one();
}

void TearDownLibraryLock() {
  std::lock_guard<std::mutex> guard(g_lock.cs);
  if (!g_lock.created) return;
  g_lock.created = false;
  g_lock.recursion = 0;
  g_lock.locked = false;
  g_lock.owner = kNeverOwned;
}

LibraryLockInfo GetLibraryLockInfo() {
  std::lock_guard<std::mutex> guard(g_lock.cs);
  return {g_lock.created, g_lock.locked, g_lock.recursion, g_lock.owner,
          static_cast<int>(g_lock.queue.size())};
}

}  // namespace rt
