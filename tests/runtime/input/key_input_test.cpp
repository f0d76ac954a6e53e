#include "runtime/input/key_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/api.h"
#include "runtime/input/key_input_draw.h"
#include "tests/runtime/input/input_fixture.h"

namespace {

using input_test::InputTest;

// Shift-JIS characters by their bytes.
const std::string kA = "\x82\xA0";        // あ
const std::string kMoon = "\x8C\x8E";     // 月: its trail byte is also a lead byte
const std::string kSo = "\x83\x5C";       // ソ: its trail byte is a backslash

const char* U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

void Queue(const std::string& bytes) {
  for (char c : bytes) ASSERT_EQ(rt::PushCharCode(static_cast<uint8_t>(c)), 0);
}

std::string TextOf(int handle) {
  char buffer[256] = {};
  EXPECT_EQ(rt::GetKeyInputStringImpl(buffer, handle), 0);
  return buffer;
}

class CharBufferTest : public InputTest {};

TEST_F(CharBufferTest, HoldsAtMost1024Bytes) {
  for (int i = 0; i < rt::kCharCodeBufferBytes; ++i) {
    ASSERT_EQ(rt::PushCharCode('a' + i % 26), 0) << i;
  }
  EXPECT_EQ(rt::PushCharCode('x'), -1);

  char out[2];
  ASSERT_EQ(rt::GetCharFromBuffer(out, 1), 1);
  EXPECT_EQ(out[0], 'a');
  EXPECT_EQ(rt::PushCharCode('y'), 0);  // the freed cell takes one more
  EXPECT_EQ(rt::PushCharCode('z'), -1);

  // Everything comes out in order across the end of the ring.
  for (int i = 1; i < rt::kCharCodeBufferBytes; ++i) {
    ASSERT_EQ(rt::GetCharFromBuffer(out, 1), 1);
    ASSERT_EQ(out[0], 'a' + i % 26) << i;
  }
  ASSERT_EQ(rt::GetCharFromBuffer(out, 1), 1);
  EXPECT_EQ(out[0], 'y');
  EXPECT_EQ(rt::GetCharFromBuffer(out, 1), 0);
}

TEST_F(CharBufferTest, ALoneLeadByteWaitsForItsTrailByte) {
  char out[2];
  Queue("\x82");
  EXPECT_EQ(rt::GetCharFromBuffer(out, 1), 0);
  EXPECT_EQ(rt::GetCharFromBuffer(out, 1), 0);  // still there, still waiting
  Queue("\xA0");
  ASSERT_EQ(rt::GetCharFromBuffer(out, 0), 2);  // a peek
  ASSERT_EQ(rt::GetCharFromBuffer(out, 1), 2);
  EXPECT_EQ(std::string(out, 2), kA);
  EXPECT_EQ(rt::GetCharFromBuffer(out, 1), 0);
}

TEST_F(CharBufferTest, ControlCodesAreSingleBytes) {
  char out[2];
  Queue(std::string{char(rt::kCharLeft), char(rt::kCharDelete)});
  EXPECT_EQ(rt::GetCharFromBuffer(out, 1), 1);
  EXPECT_EQ(out[0], char(rt::kCharLeft));
  EXPECT_EQ(rt::GetCharFromBuffer(out, 1), 1);
  EXPECT_EQ(out[0], char(rt::kCharDelete));
}

TEST_F(CharBufferTest, FlushEmptiesTheBuffer) {
  Queue("abc\xFF" "def");
  rt::FlushCharCodeBuffer();
  char out[2];
  EXPECT_EQ(rt::GetCharFromBuffer(out, 1), 0);
  EXPECT_EQ(rt::GetKeyInputState().chars.readIndex, 0u);
  EXPECT_EQ(rt::GetKeyInputState().chars.writeIndex, 0u);
}

class KeyInputTest : public InputTest {
 protected:
  int Make(int maxLength, int cancel = 0, int singleByte = 0, int digits = 0) {
    int handle = rt::MakeKeyInputImpl(maxLength, cancel, singleByte, digits);
    EXPECT_GE(handle, 0);
    EXPECT_EQ(rt::SetActiveKeyInputImpl(handle), 0);
    return handle;
  }
  void Type(const std::string& bytes) {
    Queue(bytes);
    rt::ProcessActiveKeyInput();
  }
};

const std::string kBackspace(1, char(rt::kCharBackspace));
const std::string kDelete(1, char(rt::kCharDelete));
const std::string kLeft(1, char(rt::kCharLeft));
const std::string kRight(1, char(rt::kCharRight));
const std::string kEnter(1, char(rt::kCharEnter));
const std::string kEscape(1, char(rt::kCharEscape));

TEST_F(KeyInputTest, EditingTable) {
  struct Case {
    const char* name;
    int maxLength, cancel, singleByte, digits;
    std::string start;  // text set before typing
    std::string typed;
    std::string text;
    int cursor;
    int status;
  } cases[] = {
      {"plain typing", 10, 0, 0, 0, "", "ab" + kA + "c", "ab" + kA + "c", 5, 0},
      {"insert in the middle", 10, 0, 0, 0, "ac", kLeft + "b", "abc", 2, 0},
      {"full field drops the last character", 5, 0, 0, 0, "abcde", "x", "abcdx", 5, 0},
      {"double-byte at the end of a full field", 50, 0, 0, 0, std::string(49, 'a'), kA,
       std::string(48, 'a') + kA, 50, 0},
      {"double-byte replaces a double-byte", 4, 0, 0, 0, "a" + kA + "b", kA,
       "a" + kA, 3, 0},
      {"character larger than the field", 1, 0, 0, 0, "", kA + "z", "z", 1, 0},
      {"backspace over a trail byte in the lead range", 10, 0, 0, 0, kMoon + "a",
       kBackspace + kBackspace, "", 0, 0},
      {"backspace after a moon keeps the moon", 10, 0, 0, 0, kMoon + "a", kBackspace, kMoon, 2, 0},
      {"left steps over whole characters", 10, 0, 0, 0, "x" + kMoon + "a", kLeft + "y",
       "x" + kMoon + "ya", 4, 0},
      {"left twice", 10, 0, 0, 0, "x" + kMoon + "a", kLeft + kLeft + "y", "xy" + kMoon + "a", 2, 0},
      {"delete a double-byte at the cursor", 10, 0, 0, 0, "a" + kSo + "b", kLeft + kLeft + kDelete,
       "ab", 1, 0},
      {"right steps over a double-byte", 10, 0, 0, 0, kSo + "b", kLeft + kLeft + kRight + "x",
       kSo + "xb", 3, 0},
      {"editing keys at the ends do nothing", 10, 0, 0, 0, "ab", kRight + kDelete, "ab", 2, 0},
      {"tab, up and down are ignored", 10, 0, 0, 0, "",
       "a\t" + std::string{char(rt::kCharUp), char(rt::kCharDown)}, "a", 1, 0},
      {"digits only takes a leading minus", 10, 0, 0, 1, "", "-12", "-12", 3, 0},
      {"digits only refuses an inner minus", 10, 0, 0, 1, "", "1-2", "12", 2, 0},
      {"digits only refuses letters", 10, 0, 0, 1, "", "a1" + kA, "1", 1, 0},
      {"single-byte only refuses double-byte", 10, 0, 1, 0, "", "a" + kA + "b", "ab", 2, 0},
      {"enter ends", 10, 0, 0, 0, "", "ab" + kEnter, "ab", 2, 1},
      {"escape cancels when allowed", 10, 1, 0, 0, "", "ab" + kEscape, "ab", 2, 2},
      {"escape is ignored otherwise", 10, 0, 0, 0, "", "a" + kEscape + "b", "ab", 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int handle = Make(c.maxLength, c.cancel, c.singleByte, c.digits);
    if (!c.start.empty()) {
      ASSERT_EQ(rt::SetKeyInputStringImpl(c.start.c_str(), handle), 0);
    }
    Type(c.typed);
    EXPECT_EQ(TextOf(handle), c.text);
    const rt::KeyInputHandle* record = rt::GetKeyInputState().table.Find(handle);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->cursor, c.cursor);
    EXPECT_EQ(record->length, int(c.text.size()));
    EXPECT_EQ(rt::CheckKeyInputImpl(handle), c.status);
    rt::DeleteKeyInput(handle);
  }
}

TEST_F(KeyInputTest, EnterLeavesLaterCharactersQueuedUntilReactivated) {
  int handle = Make(10);
  Type("ab" + kEnter + "cd");
  EXPECT_EQ(rt::CheckKeyInputImpl(handle), 1);
  EXPECT_EQ(TextOf(handle), "ab");
  rt::ProcessActiveKeyInput();
  EXPECT_EQ(TextOf(handle), "ab");

  rt::SetActiveKeyInputImpl(handle);
  EXPECT_EQ(rt::CheckKeyInputImpl(handle), 0);
  rt::ProcessActiveKeyInput();
  EXPECT_EQ(TextOf(handle), "abcd");
}

TEST_F(KeyInputTest, OnlyTheActiveHandleTakesCharacters) {
  int first = Make(10);
  int second = Make(10);  // now active; making it flushed the buffer
  Type("xy");
  EXPECT_EQ(TextOf(first), "");
  EXPECT_EQ(TextOf(second), "xy");
  rt::DeleteKeyInput(second);
  EXPECT_EQ(rt::GetKeyInputState().activeHandle, -1);
  Type("z");
  EXPECT_EQ(TextOf(first), "");
}

TEST_F(KeyInputTest, MakingAHandleFlushesWhatWasTypedBefore) {
  Queue("old");
  int handle = Make(10);
  Type("new");
  EXPECT_EQ(TextOf(handle), "new");
}

TEST_F(KeyInputTest, TwentyHandlesAndStaleOnesAreRefused) {
  std::vector<int> handles;
  for (int i = 0; i < rt::kMaxKeyInputs; ++i) {
    int handle = rt::MakeKeyInputImpl(8, 0, 0, 0);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(handle, ((i | 0x5000) << 16) | i);  // check value i, slot i
    handles.push_back(handle);
  }
  EXPECT_EQ(rt::MakeKeyInputImpl(8, 0, 0, 0), -1);

  ASSERT_EQ(rt::DeleteKeyInput(handles[3]), 0);
  EXPECT_EQ(rt::DeleteKeyInput(handles[3]), -1);
  int reused = rt::MakeKeyInputImpl(8, 0, 0, 0);
  EXPECT_EQ(reused, ((20 | 0x5000) << 16) | 3);  // first free slot, next check value
  for (int call : {0, 1, 2, 3}) {
    int result = call == 0 ? rt::CheckKeyInputImpl(handles[3])
                 : call == 1 ? rt::SetActiveKeyInputImpl(handles[3])
                 : call == 2 ? rt::SetKeyInputStringImpl("a", handles[3])
                             : rt::DrawKeyInputStringImpl(0, 0, handles[3]);
    EXPECT_EQ(result, -1) << call;
  }
  for (int bad : {-1, 0, 0x08000000, ((0 | 0x5000) << 16) | 20}) {
    EXPECT_EQ(rt::CheckKeyInputImpl(bad), -1) << bad;
  }
}

TEST_F(KeyInputTest, TheInputMethodIsOnWhileAnyHandleExists) {
  EXPECT_EQ(rt::GetKeyInputState().imeEnabled, 0);
  int a = rt::MakeKeyInputImpl(8, 0, 0, 0);
  int b = rt::MakeKeyInputImpl(8, 0, 0, 0);
  EXPECT_EQ(rt::GetKeyInputState().imeEnabled, 1);
  rt::DeleteKeyInput(a);
  EXPECT_EQ(rt::GetKeyInputState().imeEnabled, 1);
  rt::DeleteKeyInput(b);
  EXPECT_EQ(rt::GetKeyInputState().imeEnabled, 0);
}

TEST_F(KeyInputTest, SetAndGetString) {
  int handle = Make(4);
  EXPECT_EQ(rt::SetKeyInputStringImpl("abcde", handle), -1);
  EXPECT_EQ(rt::SetKeyInputStringImpl(nullptr, handle), -1);
  const std::string text = "ab" + kA;
  EXPECT_EQ(rt::SetKeyInputStringImpl(text.c_str(), handle), 0);
  EXPECT_EQ(TextOf(handle), "ab" + kA);
  EXPECT_EQ(rt::GetKeyInputStringImpl(nullptr, handle), -1);
  Type(kBackspace);
  EXPECT_EQ(TextOf(handle), "ab");
}

TEST_F(KeyInputTest, Colors) {
  const unsigned long long keep = ~0ull;
  unsigned long long colors[rt::kKeyInputColorCount];
  for (auto& c : colors) c = keep;
  colors[rt::kColorText] = 0x123456;
  colors[rt::kColorImeBackground] = 0xABCDEF;
  colors[rt::kColorCandidateFill] = 0x111111;
  rt::SetKeyInputColorsImpl(colors);
  const uint32_t* now = rt::GetKeyInputState().colors;
  EXPECT_EQ(now[rt::kColorText], 0x123456u);
  EXPECT_EQ(now[rt::kColorCursor], 0xFFFFFFu);  // kept: the white default
  EXPECT_EQ(now[rt::kColorCandidateOutline], 0xABCDEFu);  // follows colour 2
  EXPECT_EQ(now[rt::kColorCandidateFill], 0x111111u);

  for (auto& c : colors) c = keep;
  rt::SetKeyInputColorsImpl(colors);
  EXPECT_EQ(now[rt::kColorText], 0x123456u);
  EXPECT_EQ(now[rt::kColorCandidateOutline], 0xABCDEFu);
  EXPECT_EQ(now[rt::kColorCandidateFill], 0u);  // an unnamed fill goes back to black
}

TEST_F(KeyInputTest, FacadeRows) {
  int handle = MakeKeyInput(6, 1, 0, 0);
  ASSERT_GE(handle, 0);
  EXPECT_EQ(SetActiveKeyInput(handle), 0);
  EXPECT_EQ(SetKeyInputString("abc", handle), 0);
  EXPECT_EQ(SetKeyInputCursorBlink(1), 0);
  EXPECT_EQ(SetKeyInputColors(~0ull, ~0ull, ~0ull, ~0ull, ~0ull, ~0ull, ~0ull, ~0ull, ~0ull,
                              ~0ull, ~0ull, ~0ull),
            0);
  EXPECT_EQ(DrawKeyInputString(10, 10, handle), 0);
  Type("d" + kEscape);
  EXPECT_EQ(CheckKeyInput(handle), 2);
  EXPECT_EQ(DrawKeyInputString(10, 10, handle), -1);  // an ended handle is not drawn
  char buffer[8];
  EXPECT_EQ(GetKeyInputString(buffer, handle), 0);
  EXPECT_STREQ(buffer, "abcd");
}

TEST(ShiftJisCounts, BytesOfCharsAndCharsOfBytes) {
  const std::string text = "a" + kA + "b" + kMoon;  // bytes: a(1) あ(2) b(1) 月(2)
  struct Case {
    int n;
    int bytesOfChars;
    int charsOfBytes;
  } cases[] = {
      {0, 0, 0}, {1, 1, 1}, {2, 3, 2}, {3, 4, 2}, {4, 6, 3}, {5, 6, 4}, {6, 6, 4}, {9, 6, 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rt::CountBytesOfChars(text.c_str(), c.n), c.bytesOfChars) << c.n;
    EXPECT_EQ(rt::CountCharsOfBytes(text.c_str(), c.n), c.charsOfBytes) << c.n;
  }
  EXPECT_EQ(rt::CountBytesOfChars("\x82", 5), 1);  // a lone lead byte at the end
}

class CompositionTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    handle_ = rt::MakeKeyInputImpl(20, 0, 0, 0);
  }
  int handle_ = -1;
};

TEST_F(CompositionTest, StartsUpdatesAndEnds) {
  rt::KeyInputState& s = rt::GetKeyInputState();
  rt::HandleImeMessage(U8(u8"にほん"), 2);
  EXPECT_EQ(s.composing, 1);
  EXPECT_STREQ(s.imeText, "\x82\xC9\x82\xD9\x82\xF1");
  EXPECT_EQ(s.imeCursor, 2);
  ASSERT_EQ(s.clauseCount, 2);
  EXPECT_EQ(s.clauses[0], 0u);
  EXPECT_EQ(s.clauses[1], 6u);

  rt::HandleImeMessage(U8(u8"日本"), 99);  // a cursor past the end stops at the end
  EXPECT_EQ(s.imeCursor, 2);

  rt::HandleImeMessage("", 0);
  EXPECT_EQ(s.composing, 0);
  EXPECT_STREQ(s.imeText, "");
  EXPECT_EQ(s.clauseCount, 0);
}

TEST_F(CompositionTest, ALongCompositionIsCutAtACharacterBoundary) {
  std::string longText;
  for (int i = 0; i < 700; ++i) longText += U8(u8"あ");  // 1400 Shift-JIS bytes
  rt::HandleImeMessage(longText.c_str(), 0);
  const rt::KeyInputState& s = rt::GetKeyInputState();
  EXPECT_EQ(std::string(s.imeText).size(), 1022u);  // 511 whole characters
  EXPECT_EQ(s.clauses[1], 1022u);
}

TEST_F(CompositionTest, NothingIsComposedWhileTheInputMethodIsOff) {
  rt::DeleteKeyInput(handle_);
  rt::HandleImeMessage(U8(u8"あ"), 1);
  EXPECT_EQ(rt::GetKeyInputState().composing, 0);
  EXPECT_STREQ(rt::GetKeyInputState().imeText, "");
}

TEST_F(CompositionTest, AReactivatedWindowDropsTheComposition) {
  rt::HandleImeMessage(U8(u8"か"), 1);
  rt::RequestImeReset();
  rt::ProcessActiveKeyInput();
  EXPECT_EQ(rt::GetKeyInputState().composing, 0);
  EXPECT_STREQ(rt::GetKeyInputState().imeText, "");
  EXPECT_EQ(rt::GetKeyInputState().imeResetStep, 0);
}

}  // namespace
