#include <gtest/gtest.h>

#include <cstring>

#include "runtime/file/stream.h"
#include "file_test_fixture.h"

namespace {

class MemStreamTest : public file_test::FileTest {};

TEST_F(MemStreamTest, WholeElementsThenTheShortRestThenEnd) {
  const char data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  rt::MemStream* s = rt::MemStreamOpen(data, sizeof data);
  ASSERT_NE(s, nullptr);
  char out[16] = {};
  EXPECT_EQ(rt::MemStreamRead(out, 4, 3, s), 2u);
  EXPECT_EQ(std::memcmp(out, data, 8), 0);
  EXPECT_EQ(rt::MemStreamRead(out, 4, 1, s), 1u);
  EXPECT_EQ(out[0], 8);
  EXPECT_EQ(out[1], 9);
  EXPECT_EQ(rt::MemStreamEof(s), 0);
  EXPECT_EQ(rt::MemStreamRead(out, 4, 1, s), 0u);
  EXPECT_EQ(rt::MemStreamEof(s), 1);
  rt::MemStreamClose(s);
}

TEST_F(MemStreamTest, CountZeroCopiesNothing) {
  const char data[3] = {'a', 'b', 'c'};
  rt::MemStream* s = rt::MemStreamOpen(data, sizeof data);
  char out[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(rt::MemStreamRead(out, 1, 0, s), 0u);
  EXPECT_EQ(rt::MemStreamRead(out, 0, 5, s), 0u);
  EXPECT_EQ(out[0], 'x');
  EXPECT_EQ(rt::MemStreamTell(s), 0);
  rt::MemStreamClose(s);
}

TEST_F(MemStreamTest, SeekClampsToTheBlockAndClearsTheEnd) {
  const char data[8] = {};
  rt::MemStream* s = rt::MemStreamOpen(data, sizeof data);
  struct Case {
    int64_t offset;
    int origin;
    int64_t expected;
  };
  const Case cases[] = {
      {3, rt::kSeekSet, 3},  {2, rt::kSeekCurrent, 5}, {-100, rt::kSeekCurrent, 0},
      {-2, rt::kSeekEnd, 6}, {5, rt::kSeekEnd, 8},     {1LL << 40, rt::kSeekSet, 8},
  };
  for (const Case& c : cases) {
    char out[16];
    rt::MemStreamRead(out, 1, sizeof out, s);  // to the end, then once more for the end flag
    rt::MemStreamRead(out, 1, 1, s);
    ASSERT_EQ(rt::MemStreamEof(s), 1);
    rt::MemStreamSeek(s, 0, rt::kSeekSet);
    if (c.origin == rt::kSeekCurrent) rt::MemStreamSeek(s, 3, rt::kSeekSet);
    rt::MemStreamSeek(s, c.offset, c.origin);
    EXPECT_EQ(rt::MemStreamTell(s), c.expected) << c.offset << " from " << c.origin;
    EXPECT_EQ(rt::MemStreamEof(s), 0);
  }
  rt::MemStreamClose(s);
}

TEST_F(MemStreamTest, MemoryAccessSetReadsTheStream) {
  const char data[] = "stream";
  rt::MemStream* s = rt::MemStreamOpen(data, 6);
  const rt::StreamAccessSet& access = rt::GetMemoryStreamAccess();
  const rt::StreamHandle h = rt::MemStreamHandle(s);
  char out[8] = {};
  EXPECT_EQ(access.seek(h, 2, rt::kSeekSet), 0);
  EXPECT_EQ(access.read(out, 1, 10, h), 4u);
  EXPECT_STREQ(out, "ream");
  EXPECT_EQ(access.tell(h), 6);
  EXPECT_EQ(access.idleCheck(h), 1);
  EXPECT_EQ(access.read(out, 1, 1, h), 0u);
  EXPECT_NE(access.eof(h), 0);
  EXPECT_EQ(access.close(h), 0);
}

TEST_F(MemStreamTest, RefusesANegativeSize) {
  EXPECT_EQ(rt::MemStreamOpen("x", -1), nullptr);
}

}  // namespace
