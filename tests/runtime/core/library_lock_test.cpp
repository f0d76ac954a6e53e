#include "runtime/core/library_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

void WaitForQueueLength(int n) {
  for (int i = 0; i < 5000 && rt::GetLibraryLockInfo().queueLength != n; ++i) {
    std::this_thread::sleep_for(1ms);
  }
  ASSERT_EQ(rt::GetLibraryLockInfo().queueLength, n);
}

struct Recorder {
  std::mutex m;
  std::string order;
  void Add(char c) {
    std::lock_guard<std::mutex> g(m);
    order += c;
  }
};

std::thread Waiter(Recorder& rec, char name) {
  return std::thread([&rec, name] {
    rt::LockLibrary();
    rec.Add(name);
    rt::UnlockLibrary();
  });
}

TEST(LibraryLock, WaitersGetTheLockInArrivalOrder) {
  Recorder rec;
  rt::LockLibrary();
  std::vector<std::thread> threads;
  int queued = 0;
  for (char name : std::string("ABC")) {
    threads.push_back(Waiter(rec, name));
    WaitForQueueLength(++queued);
  }
  rt::UnlockLibrary();
  // A newcomer right after the release, whether or not A has woken yet, goes behind C.
  threads.push_back(Waiter(rec, 'D'));
  for (auto& t : threads) t.join();
  EXPECT_EQ(rec.order, "ABCD");
  EXPECT_FALSE(rt::GetLibraryLockInfo().locked);
}

TEST(LibraryLock, NestedAcquisitionFreesOnlyOnTheLastRelease) {
  Recorder rec;
  rt::LockLibrary();
  rt::LockLibrary();
  EXPECT_EQ(rt::GetLibraryLockInfo().recursion, 2u);
  std::thread waiter = Waiter(rec, 'A');
  WaitForQueueLength(1);
  rt::UnlockLibrary();
  std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(rt::GetLibraryLockInfo().locked);
  EXPECT_EQ(rec.order, "");
  rt::UnlockLibrary();
  waiter.join();
  EXPECT_EQ(rec.order, "A");
}

TEST(LibraryLock, FreeLockIsTakenWithoutQueueing) {
  rt::LockLibrary();
  auto info = rt::GetLibraryLockInfo();
  EXPECT_TRUE(info.locked);
  EXPECT_EQ(info.queueLength, 0);
  EXPECT_EQ(info.recursion, 1u);
  rt::UnlockLibrary();
  EXPECT_EQ(rt::GetLibraryLockInfo().owner, 0xFFFFFFFFu);
}

TEST(LibraryLock, MessageThreadGivesUpOnceTheWindowEnded) {
  Recorder rec;
  std::atomic<int> windowEnded{0};
  rt::LockLibrary();
  std::atomic<int> result{-1};
  std::thread messageThread([&] {
    bool got = rt::LockLibraryUnlessEnded(windowEnded);
    result = got ? 1 : 0;
    if (got) rt::UnlockLibraryNoYield();
  });
  WaitForQueueLength(1);
  std::thread behind = Waiter(rec, 'B');
  WaitForQueueLength(2);
  windowEnded = 1;
  rt::WakeLibraryLockWaiters();
  messageThread.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(rt::GetLibraryLockInfo().queueLength, 1);
  rt::UnlockLibrary();
  behind.join();
  EXPECT_EQ(rec.order, "B");
}

TEST(LibraryLock, MessageThreadTakesTheLockWhileTheWindowLives) {
  std::atomic<int> windowEnded{0};
  rt::LockLibrary();
  std::atomic<int> result{-1};
  std::thread messageThread([&] {
    bool got = rt::LockLibraryUnlessEnded(windowEnded);
    result = got ? 1 : 0;
    if (got) rt::UnlockLibraryNoYield();
  });
  WaitForQueueLength(1);
  rt::UnlockLibrary();
  messageThread.join();
  EXPECT_EQ(result.load(), 1);
}

TEST(LibraryLock, TornDownAndCreatedAgain) {
  rt::LockLibrary();
  rt::UnlockLibrary();
  EXPECT_TRUE(rt::GetLibraryLockInfo().created);
  rt::TearDownLibraryLock();
  EXPECT_FALSE(rt::GetLibraryLockInfo().created);
  int value = rt::WithLibraryLock([] { return 7; });
  EXPECT_EQ(value, 7);
  EXPECT_TRUE(rt::GetLibraryLockInfo().created);
  EXPECT_FALSE(rt::GetLibraryLockInfo().locked);
}

}  // namespace
