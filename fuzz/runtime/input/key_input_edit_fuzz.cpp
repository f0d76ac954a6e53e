// Typed bytes of any kind into a key-input string with any options: the text, its length
// and the cursor must stay consistent and inside the field.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/core/log.h"
#include "runtime/core/window.h"
#include "runtime/input/key_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    rt::GetLogState().logOff = 1;
    rt::GetWindowState().session.active = 1;
    return true;
  }();
  (void)ready;
  if (size < 3) return 0;
  rt::InitCharCodeBuffer();
  const int maxLength = data[0] % 48;
  const int options = data[1];
  const int handle = rt::MakeKeyInputImpl(maxLength, options & 1, (options >> 1) & 1, (options >> 2) & 1);
  if (handle < 0) abort();
  rt::SetActiveKeyInputImpl(handle);

  // The first part of the input, up to a zero byte, is set as the starting text.
  size_t pos = 2;
  std::string start;
  while (pos < size && data[pos] != 0) start += static_cast<char>(data[pos++]);
  ++pos;
  rt::SetKeyInputStringImpl(start.c_str(), handle);

  for (; pos < size; ++pos) {
    rt::PushCharCode(data[pos]);
    if (data[pos] % 7 == 0) rt::ProcessActiveKeyInput();
    if (rt::CheckKeyInputImpl(handle) != 0) rt::SetActiveKeyInputImpl(handle);
  }
  rt::ProcessActiveKeyInput();
  rt::HandleImeMessage(start.c_str(), int(size % 5));

  const rt::KeyInputHandle* record = rt::GetKeyInputState().table.Find(handle);
  if (!record || record->length > record->maxLength || record->cursor < 0 ||
      record->cursor > record->length ||
      std::strlen(record->buffer) != static_cast<size_t>(record->length)) {
    abort();
  }
  rt::DeleteAllKeyInputs();
  return 0;
}
