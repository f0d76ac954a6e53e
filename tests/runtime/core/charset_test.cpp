#include <gtest/gtest.h>

#include <cstring>

#include "runtime/core/strings.h"

// The runtime works in Shift-JIS: literals must arrive as its bytes, including characters
// whose second byte is the backslash.
TEST(Charset, LiteralsAreShiftJis) {
  const char* so = "ソ";
  ASSERT_EQ(std::strlen(so), 2u);
  EXPECT_EQ(static_cast<unsigned char>(so[0]), 0x83);
  EXPECT_EQ(static_cast<unsigned char>(so[1]), 0x5C);

  const char* kana = "あ";
  ASSERT_EQ(std::strlen(kana), 2u);
  EXPECT_EQ(static_cast<unsigned char>(kana[0]), 0x82);
  EXPECT_EQ(static_cast<unsigned char>(kana[1]), 0xA0);
}

TEST(Charset, TrailBackslashIsNotAPathSeparator) {
  const char* path = "ソ\\x";
  const char* sep = rt::StrFindChar(path, '\\');
  ASSERT_NE(sep, nullptr);
  EXPECT_EQ(sep - path, 2);
}
