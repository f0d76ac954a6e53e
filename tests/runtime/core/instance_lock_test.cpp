#include "platform/instance_lock.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

TEST(InstanceLock, OneHolderPerName) {
  testing_support::ScopedTempDir dir;
  platform::InstanceLock first;
  platform::InstanceLock second;
  platform::InstanceLock other;
  ASSERT_TRUE(first.Acquire(dir.path(), "game"));
  errno = 0;
  EXPECT_FALSE(second.Acquire(dir.path(), "game"));
  EXPECT_EQ(errno, EWOULDBLOCK) << "a refusal for another holder is told apart";
  EXPECT_FALSE(second.Held());
  EXPECT_TRUE(other.Acquire(dir.path(), "another game"));
  first.Release();
  EXPECT_TRUE(second.Acquire(dir.path(), "game"));
}

TEST(InstanceLock, ReleasedWhenTheHolderGoes) {
  testing_support::ScopedTempDir dir;
  {
    platform::InstanceLock held;
    ASSERT_TRUE(held.Acquire(dir.path(), "game"));
  }
  platform::InstanceLock next;
  EXPECT_TRUE(next.Acquire(dir.path(), "game"));
}

TEST(InstanceLock, AnyNameMakesAShortSafeFileName) {
  const std::string names[] = {"", "RTWNDCLS", std::string(256, '\x83'), "a/b/../c", "サイレント"};
  for (const std::string& name : names) {
    const std::string file = platform::InstanceLockFileName(name);
    EXPECT_LT(file.size(), 64u);
    EXPECT_EQ(file.find('/'), std::string::npos);
  }
  EXPECT_NE(platform::InstanceLockFileName("a"), platform::InstanceLockFileName("b"));
}

TEST(InstanceLock, MissingDirectoryFails) {
  platform::InstanceLock lock;
  EXPECT_FALSE(lock.Acquire("/nonexistent/directory/for/lock", "game"));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(lock.Held());
}

}  // namespace
