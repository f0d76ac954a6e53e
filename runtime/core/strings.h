// Shift-JIS aware string and memory helpers, number conversions and the formatting wrappers.
#pragma once
#include <cstdarg>
#include <cstddef>

namespace rt {

// The runtime's own formatting buffers (log lines, fatal messages, DrawFormatString).
constexpr size_t kFormatBufferSize = 1024;

// 1 when *p is a Shift-JIS lead byte (0x81-0x9F, 0xE0-0xFC); with kind 2 any byte from 0x80.
int IsLeadByte(const char* p, int kind);

char* StrCopy(char* dst, const char* src);
char* StrAppend(char* dst, const char* src);
// First single-byte occurrence of ch, stepping over double-byte characters; null when absent.
const char* StrFindChar(const char* text, int ch);
char* StrFindChar(char* text, int ch);
int StrCompare(const char* a, const char* b);
char* StrToUpper(char* text);
int StrCompareN(const char* a, const char* b, size_t n);
void MemFill(void* dst, int value, size_t size);
int MemCompare(const void* a, const void* b, size_t size);
void MemCopy(void* dst, const void* src, size_t size);
void MemMove(void* dst, const void* src, size_t size);

void SinCos(float angle, float* s, float* c);
int AbsInt(int v);
double AbsFloat(float v);
int FloatToInt(float v);
int DoubleToInt(double v);
void DoublesToInts4(const double in[4], int out[4]);
float SqrtFloat(float v);

int TextToInt(const char* text);
char* IntToText(int value, char* buffer, int base);

// Standard printf formatting into a buffer of kFormatBufferSize bytes (cut, never overrun).
int FormatString(char* buffer, const char* format, ...) __attribute__((format(printf, 2, 3)));
int FormatStringV(char* buffer, const char* format, va_list args);

}  // namespace rt
