// Copies a UTF-8 C++ source with the non-ASCII text of its string and character literals
// written as octal escapes of its Shift-JIS bytes: the bytes GCC's -fexec-charset=CP932
// puts there. Clang has no such option, so the fuzz build compiles the game from these
// copies. Octal escapes take at most three digits, so a following digit stays a digit, and
// a trail byte of 0x5C never reads as a backslash. Comments and code are copied as they are.
//
// Usage: sjis_literals <source> <copy>
#include <iconv.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

bool IsNonAscii(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// The Shift-JIS bytes of a UTF-8 run as octal escapes; false when a character has none.
bool EscapedShiftJis(const std::string& utf8, std::string* out) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = utf8;
  std::string bytes(in.size() * 2 + 4, '\0');
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char* outPtr = bytes.data();
  size_t outLeft = bytes.size();
  const size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1) || inLeft != 0) return false;
  bytes.resize(bytes.size() - outLeft);
  for (char c : bytes) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\%03o", static_cast<unsigned char>(c));
    *out += escape;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: sjis_literals <source> <copy>\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << argv[1] << ": cannot read\n";
    return 1;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string out = "#line 1 \"" + std::string(argv[1]) + "\"\n";
  enum class State { kCode, kLineComment, kBlockComment, kLiteral } state = State::kCode;
  char quote = '"';
  int line = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') ++line;
    switch (state) {
      case State::kCode:
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
          state = State::kLineComment;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
          out += "/*";
          ++i;
          state = State::kBlockComment;
          continue;
        } else if (c == '"' || c == '\'') {
          if (c == '"' && i > 0 && text[i - 1] == 'R') {
            std::cerr << argv[1] << ":" << line << ": raw string literals are not handled\n";
            return 1;
          }
          // A digit separator (1'000) is no character literal.
          const bool separator = c == '\'' && i > 0 && std::isxdigit(static_cast<unsigned char>(text[i - 1]));
          if (!separator) {
            state = State::kLiteral;
            quote = c;
          }
        }
        out += c;
        break;
      case State::kLineComment:
        if (c == '\n') state = State::kCode;
        out += c;
        break;
      case State::kBlockComment:
        if (c == '*' && i + 1 < text.size() && text[i + 1] == '/') {
          out += "*/";
          ++i;
          state = State::kCode;
          continue;
        }
        out += c;
        break;
      case State::kLiteral:
        if (c == '\\' && i + 1 < text.size()) {
          out += c;
          out += text[++i];
        } else if (IsNonAscii(c)) {
          size_t end = i;
          while (end < text.size() && IsNonAscii(text[end])) ++end;
          if (!EscapedShiftJis(text.substr(i, end - i), &out)) {
            std::cerr << argv[1] << ":" << line << ": text with no Shift-JIS form\n";
            return 1;
          }
          i = end - 1;
        } else {
          if (c == quote || c == '\n') state = State::kCode;
          out += c;
        }
        break;
    }
  }
  std::ofstream copy(argv[2], std::ios::binary | std::ios::trunc);
  copy << out;
  return copy ? 0 : 1;
}
