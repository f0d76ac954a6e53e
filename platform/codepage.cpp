#include "platform/codepage.h"

#include <errno.h>
#include <iconv.h>

#include <vector>

namespace platform {
namespace {

constexpr char kReplacement = '?';

// One conversion descriptor per thread and direction: iconv descriptors keep shift state
// and must not be shared between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Usable()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 sequence at p (at most n bytes), 1 for a byte that starts none.
size_t Utf8SequenceLength(const unsigned char* p, size_t n) {
  size_t len = p[0] < 0x80 ? 1 : (p[0] & 0xE0) == 0xC0 ? 2 : (p[0] & 0xF0) == 0xE0 ? 3
             : (p[0] & 0xF8) == 0xF0 ? 4 : 1;
  if (len > n) return 1;
  for (size_t i = 1; i < len; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 1;
  }
  return len;
}

// Converts text, replacing what the converter rejects. skipBad tells how many input bytes
// a rejected character takes.
std::string Convert(Converter& converter, std::string_view text,
                    size_t (*skipBad)(const unsigned char*, size_t)) {
  std::string out;
  if (!converter.Usable()) {
    // Without the conversion module only plain ASCII survives.
    for (char c : text) out += static_cast<unsigned char>(c) < 0x80 ? c : kReplacement;
    return out;
  }
  iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
  std::vector<char> buffer(text.size() * 4 + 16);
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  while (inLeft > 0) {
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    size_t r = iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer.data(), buffer.size() - outLeft);
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    out += kReplacement;
    if (errno == EINVAL) break;  // a character cut off at the end of the text
    size_t skip = skipBad(reinterpret_cast<const unsigned char*>(in), inLeft);
    in += skip;
    inLeft -= skip;
    iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

size_t SkipOneByte(const unsigned char*, size_t) { return 1; }

}  // namespace

std::string ShiftJisToUtf8(std::string_view text) {
  thread_local Converter converter("UTF-8", "CP932");
  return Convert(converter, text, SkipOneByte);
}

std::string Utf8ToShiftJis(std::string_view text) {
  thread_local Converter converter("CP932", "UTF-8");
  return Convert(converter, text, Utf8SequenceLength);
}

}  // namespace platform
