#include "runtime/core/log.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/clock.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::ScopedTempDir;

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetClock(&clock_);
    rt::GetLogState() = rt::LogState{};
    rt::SetLogDirectory(dir_.path());
  }
  void TearDown() override {
    rt::GetLogState() = rt::LogState{};
    platform::SetClock(nullptr);
  }
  std::string Contents() { return ReadFileBytes(dir_.File("Log.txt")); }

  ScopedTempDir dir_;
  platform::VirtualClock clock_{1000000};
};

TEST_F(LogTest, OffWritesNoFile) {
  rt::SetLogOutputImpl(0);
  rt::LogStart();
  EXPECT_EQ(rt::LogAdd("text\n"), -1);
  EXPECT_FALSE(FileExists(dir_.File("Log.txt")));
}

TEST_F(LogTest, StartRecreatesTheFile) {
  testing_support::WriteFileBytes(dir_.File("Log.txt"), "old contents");
  rt::LogStart();
  EXPECT_EQ(Contents(), "");
}

TEST_F(LogTest, LinesAndPrefixes) {
  struct Step {
    int advanceMs;
    int indentChange;
    std::string text;
    std::string expected;  // what this call appends
  };
  const Step steps[] = {
      {0, 0, "a\nb", "0:a\r\nb"},
      {3, 0, "c\n", "c\r\n"},  // the previous text ended mid-line: no prefix
      {5, +2, "x\n", "8:\t\tx\r\n"},
      {0, -1, "y\n", "8:\ty\r\n"},
      {0, -5, "z\n", "8:z\r\n"},  // the indent never drops below 0
      {0, 0, "p\r\nq\nr\n", "8:p\r\nq\nr\n"},  // after an existing CRLF the rest is kept
      {0, 0, "\x83\x5C\n", "8:\x83\x5C\r\n"},
  };
  rt::LogStart();
  std::string expected;
  for (const Step& s : steps) {
    clock_.AdvanceMs(s.advanceMs);
    for (int i = 0; i < s.indentChange; ++i) rt::LogIndentIncrease();
    for (int i = 0; i > s.indentChange; --i) rt::LogIndentDecrease();
    EXPECT_EQ(rt::LogAdd(s.text.c_str()), -1);
    expected += s.expected;
    EXPECT_EQ(Contents(), expected) << "after " << s.text;
  }
}

TEST_F(LogTest, LongTextIsWrittenWhole) {
  rt::LogStart();
  std::string text(300, 'q');
  text += "\n";
  std::string lineFeeds(600, '\n');
  rt::LogAdd(text.c_str());
  rt::LogAdd(lineFeeds.c_str());
  std::string crlf;
  for (int i = 0; i < 600; ++i) crlf += "\r\n";
  EXPECT_EQ(Contents(), "0:" + std::string(300, 'q') + "\r\n" + "0:" + crlf);
}

TEST_F(LogTest, FormatAddsALineFeedAndStaysInItsBuffer) {
  rt::LogStart();
  rt::LogAddFormat("%d-%s", 12, "ab");
  EXPECT_EQ(Contents(), "0:12-ab\r\n");

  std::string huge(5000, 'w');
  rt::LogAddFormat("%s", huge.c_str());
  std::string contents = Contents();
  std::string tail = contents.substr(std::string("0:12-ab\r\n").size());
  EXPECT_EQ(tail, "0:" + std::string(1022, 'w') + "\r\n");
}

}  // namespace
