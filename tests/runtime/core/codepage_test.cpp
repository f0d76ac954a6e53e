#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// UTF-8 literals stay UTF-8; plain literals are compiled to Shift-JIS.
std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

struct RoundTrip {
  const char* shiftJis;
  const char8_t* utf8;
};

TEST(CodePage, ConvertsBothWays) {
  const RoundTrip cases[] = {
      {"plain ASCII 123", u8"plain ASCII 123"},
      {"サイレントデッキ CODE:K  ver2.0.6", u8"サイレントデッキ CODE:K  ver2.0.6"},
      {"ｶﾅ", u8"ｶﾅ"},              // single-byte katakana
      {"①～", u8"①～"},            // code page 932 forms beyond plain Shift-JIS
      {"\x81\x5c", u8"―"},          // a trail byte that is a backslash
      {"", u8""},
  };
  for (const RoundTrip& c : cases) {
    EXPECT_EQ(platform::ShiftJisToUtf8(c.shiftJis), Utf8(c.utf8)) << c.shiftJis;
    EXPECT_EQ(platform::Utf8ToShiftJis(Utf8(c.utf8)), c.shiftJis) << c.shiftJis;
  }
}

TEST(CodePage, BadInputBecomesQuestionMarks) {
  // Shift-JIS: a byte no character starts with; a lead byte cut off at the end.
  EXPECT_EQ(platform::ShiftJisToUtf8("a\xA0" "b"), "a?b");
  EXPECT_EQ(platform::ShiftJisToUtf8("ab\x83"), "ab?");
  // UTF-8: characters code page 932 lacks, broken sequences, a cut-off sequence.
  EXPECT_EQ(platform::Utf8ToShiftJis(Utf8(u8"x\uD55Cy\U0001F600z")), "x?y?z");
  EXPECT_EQ(platform::Utf8ToShiftJis("a\xC3(b"), "a?(b");
  EXPECT_EQ(platform::Utf8ToShiftJis("a\xFF" "b"), "a?b");
  EXPECT_EQ(platform::Utf8ToShiftJis("ab\xE3\x81"), "ab?");
}

TEST(CodePage, EmbeddedNulIsKept) {
  const std::string text("a\0b", 3);
  EXPECT_EQ(platform::ShiftJisToUtf8(text), text);
  EXPECT_EQ(platform::Utf8ToShiftJis(text), text);
}

}  // namespace
