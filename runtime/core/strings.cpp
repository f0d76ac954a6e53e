#include "runtime/core/strings.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace rt {

int IsLeadByte(const char* p, int kind) {
  unsigned char c = static_cast<unsigned char>(*p);
  if (kind == 2) return c >= 0x80;
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

char* StrCopy(char* dst, const char* src) {
  char* d = dst;
  while ((*d++ = *src++) != '\0') {
  }
  return dst;
}

char* StrAppend(char* dst, const char* src) {
  StrCopy(dst + std::strlen(dst), src);
  return dst;
}

const char* StrFindChar(const char* text, int ch) {
  for (const char* p = text; *p; ++p) {
    if (IsLeadByte(p, 0)) {
      if (p[1] == '\0') break;
      ++p;
      continue;
    }
    if (static_cast<unsigned char>(*p) == static_cast<unsigned char>(ch)) return p;
  }
  return nullptr;
}

char* StrFindChar(char* text, int ch) {
  return const_cast<char*>(StrFindChar(static_cast<const char*>(text), ch));
}

int StrCompare(const char* a, const char* b) { return std::strcmp(a, b) == 0 ? 0 : 1; }

char* StrToUpper(char* text) {
  for (char* p = text; *p; ++p) {
    if (IsLeadByte(p, 0)) {
      if (p[1] == '\0') break;
      ++p;
      continue;
    }
    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
  }
  return text;
}

int StrCompareN(const char* a, const char* b, size_t n) { return std::memcmp(a, b, n) == 0 ? 0 : 1; }

void MemFill(void* dst, int value, size_t size) { std::memset(dst, value, size); }
int MemCompare(const void* a, const void* b, size_t size) { return std::memcmp(a, b, size) == 0 ? 0 : 1; }

void MemCopy(void* dst, const void* src, size_t size) {
  auto* d = static_cast<unsigned char*>(dst);
  auto* s = static_cast<const unsigned char*>(src);
  for (size_t i = 0; i < size; ++i) d[i] = s[i];
}

void MemMove(void* dst, const void* src, size_t size) { std::memmove(dst, src, size); }

void SinCos(float angle, float* s, float* c) {
  *s = std::sin(angle);
  *c = std::cos(angle);
}

int AbsInt(int v) { return v < 0 ? -v : v; }
double AbsFloat(float v) { return std::fabs(static_cast<double>(v)); }
// Truncation toward zero; values beyond the int range saturate and NaN gives 0, where a plain
// conversion would be undefined.
int DoubleToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return static_cast<int>(v);
}
int FloatToInt(float v) { return DoubleToInt(static_cast<double>(v)); }
void DoublesToInts4(const double in[4], int out[4]) {
  for (int i = 0; i < 4; ++i) out[i] = DoubleToInt(in[i]);
}
float SqrtFloat(float v) { return std::sqrt(v); }

int TextToInt(const char* text) {
  const char* p = text;
  while (*p && *p != '-' && !(*p >= '0' && *p <= '9')) ++p;
  if (*p == '\0') return -1;
  bool negative = false;
  if (*p == '-') {
    negative = true;
    ++p;
  }
  // Accumulate in unsigned so an over-long number wraps instead of overflowing.
  unsigned value = 0;
  while (*p >= '0' && *p <= '9') value = value * 10u + unsigned(*p++ - '0');
  return static_cast<int>(negative ? 0u - value : value);
}

char* IntToText(int value, char* buffer, int base) {
  if (base < 2 || base > 36) base = 10;
  char* p = buffer;
  unsigned magnitude = static_cast<unsigned>(value);
  if (value < 0) {
    *p++ = '-';
    magnitude = 0u - magnitude;
  }
  char digits[40];
  int n = 0;
  do {
    unsigned d = magnitude % unsigned(base);
    digits[n++] = static_cast<char>(d < 10 ? '0' + d : 'a' + (d - 10));
    magnitude /= unsigned(base);
  } while (magnitude != 0);
  while (n > 0) *p++ = digits[--n];
  *p = '\0';
  return buffer;
}

int FormatString(char* buffer, const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatStringV(buffer, format, args);
  va_end(args);
  return 0;
}

int FormatStringV(char* buffer, const char* format, va_list args) {
  std::vsnprintf(buffer, kFormatBufferSize, format, args);
  return 0;
}

}  // namespace rt
