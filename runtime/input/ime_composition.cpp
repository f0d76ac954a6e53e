// The input method's composition as the window reports it: the text being composed and
// its cursor. The platform names no clauses and offers no candidate list, so the whole
// composition is one clause and no candidates are kept.
#include <cstring>
#include <string>

#include "platform/codepage.h"
#include "runtime/core/strings.h"
#include "runtime/core/time.h"
#include "runtime/input/key_input.h"

namespace rt {
namespace {

// The longest prefix of text that fits limit bytes without splitting a character.
size_t FitWholeChars(const std::string& text, size_t limit) {
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t size = (IsLeadByte(text.data() + pos, 0) && pos + 1 < text.size()) ? 2 : 1;
    if (pos + size > limit) break;
    pos += size;
  }
  return pos;
}

}  // namespace

int HandleImeMessage(const char* utf8, int cursorChars) {
  KeyInputState& s = GetKeyInputState();
  s.cursorVisible = 1;
  s.blinkTime = ReadTimeMs();
  // With the input method off nothing is composed for the key-input strings.
  if (!s.imeEnabled) return 0;

  if (!utf8 || utf8[0] == '\0') {
    s.imeText[0] = '\0';
    s.composing = 0;
    s.clauseCount = 0;
    s.imeCursor = 0;
    return 0;
  }
  if (!s.composing) {
    s.composing = 1;
    s.imeCursor = 0;
  }
  const std::string text = platform::Utf8ToShiftJis(utf8);
  const size_t length = FitWholeChars(text, kImeTextBytes - 1);
  std::memcpy(s.imeText, text.data(), length);
  s.imeText[length] = '\0';

  const int chars = CountCharsOfBytes(s.imeText, static_cast<int>(length));
  s.imeCursor = cursorChars < 0 ? 0 : (cursorChars > chars ? chars : cursorChars);
  s.clauses[0] = 0;
  s.clauses[1] = static_cast<uint32_t>(length);
  s.clauseCount = 2;
  return 0;
}

}  // namespace rt
