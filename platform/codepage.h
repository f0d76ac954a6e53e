// Conversion between the runtime's Shift-JIS text (code page 932) and the UTF-8 that the
// desktop, the window title and the keyboard's text input use.
#pragma once
#include <string>
#include <string_view>

namespace platform {

// Bytes that are not valid code page 932 become '?', one per bad byte.
std::string ShiftJisToUtf8(std::string_view text);
// Characters that code page 932 cannot hold, and bytes that are not valid UTF-8, become '?'
// (one per character or bad byte).
std::string Utf8ToShiftJis(std::string_view text);

}  // namespace platform
