// Log line conversion and the Shift-JIS string helpers over arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/core/log.h"
#include "runtime/core/strings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();  // up to the first NUL, as the runtime sees it
  std::string converted = rt::ConvertLogText(text.c_str());
  if (converted.size() > text.size() * 2) __builtin_trap();
  rt::StrFindChar(text.c_str(), '\\');
  std::string upper = text;
  rt::StrToUpper(upper.data());
  rt::TextToInt(text.c_str());
  return 0;
}
