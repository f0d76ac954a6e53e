#include "runtime/core/strings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "runtime/core/time.h"

namespace {

TEST(Strings, FindCharStepsOverDoubleByteCharacters) {
  struct Case {
    const char* text;
    int ch;
    int expected;  // offset, -1 for none
  } cases[] = {
      {"abc\\def", '\\', 3},
      {"\x83\x5C", '\\', -1},          // the trail byte of a pair is not a backslash
      {"\x83\x5C\\", '\\', 2},
      {"\x81\x40x", 'x', 2},
      {"\xE0\x41" "A", 'A', 2},
      {"\x80\x41", 'A', 1},            // 0x80 is no lead byte
      {"\xA0\x41", 'A', 1},            // half-width katakana range
      {"abc", 'z', -1},
      {"\x83", '\\', -1},              // a lone lead byte at the end
  };
  for (const Case& c : cases) {
    const char* found = rt::StrFindChar(c.text, c.ch);
    int offset = found ? int(found - c.text) : -1;
    EXPECT_EQ(offset, c.expected) << c.text;
  }
}

TEST(Strings, ToUpperLeavesDoubleByteCharactersAlone) {
  char text[] = "ab\x82\x61z";  // 0x82 0x61 is a pair whose trail byte is 'a'
  rt::StrToUpper(text);
  EXPECT_STREQ(text, "AB\x82\x61Z");
}

TEST(Strings, CompareCopyAppendMove) {
  char buf[32];
  rt::StrCopy(buf, "abc");
  rt::StrAppend(buf, "def");
  EXPECT_STREQ(buf, "abcdef");
  EXPECT_EQ(rt::StrCompare("ab", "ab"), 0);
  EXPECT_EQ(rt::StrCompare("ab", "ac"), 1);
  EXPECT_EQ(rt::StrCompare("b", "a"), 1);  // no ordering
  EXPECT_EQ(rt::StrCompareN("abX", "abY", 2), 0);
  EXPECT_EQ(rt::StrCompareN("abX", "abY", 3), 1);
  rt::MemMove(buf + 1, buf, 5);
  EXPECT_STREQ(buf, "aabcde");
  EXPECT_EQ(rt::MemCompare("abc", "abd", 2), 0);
  EXPECT_EQ(rt::MemCompare("abc", "abd", 3), 1);
}

TEST(Strings, TextToInt) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {{"abc-12x", -12}, {"x", -1}, {"", -1}, {"42", 42}, {"-", 0}, {"a7b8", 7}};
  for (const Case& c : cases) EXPECT_EQ(rt::TextToInt(c.text), c.expected) << c.text;
}

TEST(Strings, IntToText) {
  struct Case {
    int value;
    int base;
    const char* expected;
  } cases[] = {{255, 16, "ff"}, {0, 10, "0"}, {-42, 10, "-42"}, {INT_MIN, 10, "-2147483648"}, {5, 2, "101"}};
  for (const Case& c : cases) {
    char buf[40];
    EXPECT_STREQ(rt::IntToText(c.value, buf, c.base), c.expected);
  }
}

TEST(Strings, FormatNeverOverrunsItsBuffer) {
  char buf[rt::kFormatBufferSize + 16];
  std::memset(buf, 'Z', sizeof buf);
  std::string big(3000, 'a');
  rt::FormatString(buf, "%s", big.c_str());
  EXPECT_EQ(std::strlen(buf), rt::kFormatBufferSize - 1);
  EXPECT_EQ(buf[rt::kFormatBufferSize], 'Z');
}

TEST(Strings, TruncationAndWideArithmetic) {
  EXPECT_EQ(rt::DoubleToInt(-2.7), -2);
  EXPECT_EQ(rt::FloatToInt(2.7f), 2);
  EXPECT_EQ(rt::DoubleToInt(1e300), INT_MAX);
  EXPECT_EQ(rt::DoubleToInt(-1e300), INT_MIN);
  EXPECT_EQ(rt::FloatToInt(3e9f), INT_MAX);
  EXPECT_EQ(rt::DoubleToInt(std::nan("")), 0);
  double in[4] = {1.9, -1.9, 0.5, 100.99};
  int out[4];
  rt::DoublesToInts4(in, out);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[1], -1);
  EXPECT_EQ(out[3], 100);

  rt::Uint128 p;
  rt::Mul64To128(0xFFFFFFFFFFFFFFFFull, 1000000ull, &p);
  uint64_t q = 0;
  rt::Div128By64(p, 1000000ull, &q);
  EXPECT_EQ(q, 0xFFFFFFFFFFFFFFFFull);
}

}  // namespace
