// Facade rows of the fonts.
#include <cstdarg>

#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/strings.h"
#include "runtime/font/font.h"

int DrawString(int x, int y, const char* text, unsigned int color, unsigned int edgeColor) {
  return rt::WithLibraryLock([&] { return rt::DrawStringImpl(x, y, text, color, edgeColor); });
}

int DrawFormatString(int x, int y, unsigned int color, const char* format, ...) {
  // Formatting happens before the lock is taken.
  char buffer[rt::kFormatBufferSize] = "";
  va_list args;
  va_start(args, format);
  if (format) rt::FormatStringV(buffer, format, args);
  va_end(args);
  return rt::WithLibraryLock([&] { return rt::DrawStringImpl(x, y, buffer, color, 0); });
}

int SetFontSize(int size) {
  return rt::WithLibraryLock([&] { return rt::SetFontSizeImpl(size); });
}

int SetFontThickness(int thickness) {
  return rt::WithLibraryLock([&] { return rt::SetFontThicknessImpl(thickness); });
}
