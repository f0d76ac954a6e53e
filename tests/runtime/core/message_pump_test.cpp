#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/thread.h"
#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/memory.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "tests/support/headless_runtime.h"

namespace {

using namespace std::chrono_literals;
using platform::WindowEventType;
using testing_support::HeadlessRuntime;

class MessagePumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ChangeWindowMode(1);
    ASSERT_EQ(InitLibrary(), 0);
  }
  void QueueMany(int n) {
    for (int i = 0; i < n; ++i) windows().Queue(WindowEventType::kOther);
  }
  platform::FakeWindowSystem& windows() { return rt_.windows(); }
  HeadlessRuntime rt_;
};

TEST_F(MessagePumpTest, OtherThreadsHandleFivePerCallTheGameThreadAll) {
  QueueMany(6);
  std::thread other([this] {
    windows().SetTakingThread(platform::CurrentThreadId());
    EXPECT_EQ(ProcessMessage(), 0);
    EXPECT_EQ(windows().QueuedCount(), 1u);
    windows().SetTakingThread(0);
  });
  other.join();
  windows().SetTakingThread(platform::CurrentThreadId());
  EXPECT_EQ(ProcessMessage(), 0);
  EXPECT_EQ(windows().QueuedCount(), 0u);

  // Five, then one, then an empty pass: all six in one call.
  QueueMany(6);
  EXPECT_EQ(ProcessMessage(), 0);
  EXPECT_EQ(windows().QueuedCount(), 0u);
}

TEST_F(MessagePumpTest, AfterQuitEveryCallFails) {
  windows().Queue(WindowEventType::kQuit);
  EXPECT_EQ(ProcessMessage(), -1);
  EXPECT_EQ(ProcessMessage(), -1);
  const uint32_t before = rt_.clock().Milliseconds();
  EXPECT_EQ(WaitTime(1000), 0);
  EXPECT_LT(rt_.clock().Milliseconds() - before, 100u);
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(ProcessMessage(), -1);
}

TEST_F(MessagePumpTest, ClosingTheWindowEndsIt) {
  windows().Queue(WindowEventType::kClose);
  EXPECT_EQ(ProcessMessage(), -1);
  EXPECT_EQ(windows().window(), nullptr);
  EXPECT_EQ(rt::GetRuntimeState().ending, 4);
  EXPECT_EQ(EndLibrary(), 0);
}

TEST_F(MessagePumpTest, WaitTimePumpsForTheTime) {
  const uint32_t before = rt_.clock().Milliseconds();
  EXPECT_EQ(WaitTime(50), 0);
  EXPECT_GE(rt_.clock().Milliseconds() - before, 50u);
  windows().Queue(WindowEventType::kClose);
  EXPECT_EQ(WaitTime(100000), 0);
  EXPECT_EQ(rt::GetWindowEndFlag(), 1);
}

TEST_F(MessagePumpTest, InactiveApplicationBlocksUntilActiveAgain) {
  windows().Queue(WindowEventType::kActivate, 0);
  std::atomic<bool> returned{false};
  std::atomic<bool> returnedEarly{false};
  std::thread reactivate([&] {
    while (windows().QueuedCount() != 0) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(30ms);
    returnedEarly = returned.load();
    windows().Queue(WindowEventType::kActivate, 1);
  });
  EXPECT_EQ(ProcessMessage(), 0);
  returned = true;
  reactivate.join();
  EXPECT_FALSE(returnedEarly);
  EXPECT_EQ(rt::GetWindowActiveFlag(), 1);
}

TEST_F(MessagePumpTest, WheelTurnsAddUpUntilRead) {
  windows().Queue(WindowEventType::kWheel, 1);
  windows().Queue(WindowEventType::kWheel, 3);
  windows().Queue(WindowEventType::kWheel, -2);
  windows().Queue(WindowEventType::kWheel, 1);
  ProcessMessage();
  EXPECT_EQ(GetMouseWheel(), 2);
  EXPECT_EQ(GetMouseWheel(), 0);
}

TEST_F(MessagePumpTest, DroppedFilesAreKeptUpToTheLimitAndFreedAtTheEnd) {
  for (int i = 0; i < rt::kMaxDroppedFiles + 3; ++i) {
    platform::WindowEvent drop;
    drop.type = WindowEventType::kDropFile;
    drop.text = "/tmp/file" + std::to_string(i);
    windows().Queue(drop);
  }
  ProcessMessage();
  ASSERT_EQ(rt::DroppedFiles().size(), static_cast<size_t>(rt::kMaxDroppedFiles));
  EXPECT_EQ(rt::DroppedFiles().front(), "/tmp/file0");
  EndLibrary();
  EXPECT_TRUE(rt::DroppedFiles().empty());
}

TEST_F(MessagePumpTest, DisplayChangeToTwentyFourBitsClosesTheWindowOnce) {
  windows().Queue(WindowEventType::kDisplayChange, 1920, 1080, 24);
  windows().Queue(WindowEventType::kDisplayChange, 1920, 1080, 24);
  EXPECT_EQ(ProcessMessage(), -1);
  EXPECT_EQ(windows().window(), nullptr);
  const std::string log = rt_.Log();
  const std::string close = "ウインドウを閉じようとしています";
  size_t first = log.find(close);
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(log.find(close, first + 1), std::string::npos);
}

TEST_F(MessagePumpTest, EndingWhileTheMessageThreadWaitsForTheLockDoesNotHang) {
  rt::LockLibrary();
  for (int i = 0; i < 2000 && rt::GetLibraryLockInfo().queueLength == 0; ++i) {
    std::this_thread::sleep_for(1ms);
  }
  ASSERT_EQ(rt::GetLibraryLockInfo().queueLength, 1);
  rt::EndLibraryImpl();
  EXPECT_EQ(rt::GetWindowState().messageThreadEnded.load(), 1);
  EXPECT_EQ(rt::GetLibraryLockInfo().queueLength, 0);
  rt::UnlockLibrary();
}

struct CharCase {
  int input;
  int code;
};

TEST(WindowProcCharCodes, KeysAndCharactersGiveTheirCodes) {
  const CharCase keys[] = {{platform::kVkDelete, 16}, {platform::kVkLeft, 29},
                           {platform::kVkRight, 28},  {platform::kVkUp, 30},
                           {platform::kVkDown, 31},   {platform::kVkReturn, -1},
                           {'A', -1}};
  for (const CharCase& c : keys) EXPECT_EQ(rt::CharCodeOfKeyDown(c.input), c.code) << c.input;
  const CharCase chars[] = {{'\n', '\r'}, {'\r', '\r'}, {8, 8},      {9, 9},    {16, 16},
                            {27, 27},     {7, -1},      {0, -1},     {' ', ' '}, {0x82, 0x82},
                            {0xFC, 0xFC}};
  for (const CharCase& c : chars) EXPECT_EQ(rt::CharCodeOfChar(c.input), c.code) << c.input;
}

}  // namespace
