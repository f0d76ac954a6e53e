// Typed text: the character-code buffer filled by the window's messages, the key-input
// string handles that edit a line from it, and the input method's composition.
#pragma once
#include <cstdint>

#include "runtime/image/handle_table.h"

namespace rt {

// The ring holds at most this many bytes (one cell stays free to tell full from empty).
constexpr int kCharCodeBufferBytes = 1024;
constexpr int kCharCodeBufferCells = kCharCodeBufferBytes + 1;
constexpr int kMaxKeyInputs = 20;
constexpr int kImeTextBytes = 1024;  // composition and keep buffers, terminator included
constexpr int kMaxImeClauses = 256;  // clause-table entries
constexpr int kKeyInputColorCount = 12;
constexpr uint32_t kCursorBlinkMs = 500;

// Control codes queued for keys that have no character.
constexpr uint8_t kCharBackspace = 8;
constexpr uint8_t kCharTab = 9;
constexpr uint8_t kCharEnter = 13;
constexpr uint8_t kCharDelete = 0x10;
constexpr uint8_t kCharRight = 0x1C;
constexpr uint8_t kCharLeft = 0x1D;
constexpr uint8_t kCharUp = 0x1E;
constexpr uint8_t kCharDown = 0x1F;
constexpr uint8_t kCharEscape = 27;

// Colour indexes of SetKeyInputColors.
enum KeyInputColor {
  kColorText = 0,
  kColorCursor = 1,
  kColorImeBackground = 2,
  kColorImeCaret = 3,
  kColorClauseLine = 4,
  kColorConvertingClause = 5,
  kColorUnused6 = 6,
  kColorTextEdge = 7,
  kColorSelectedCandidateEdge = 8,
  kColorUnused9 = 9,
  kColorCandidateOutline = 10,
  kColorCandidateFill = 11,
};

struct KeyInputHandle {
  int32_t inUse = 0;
  uint32_t check = 0;
  int32_t ended = 0;
  int32_t cancelled = 0;
  int32_t length = 0;     // bytes
  int32_t maxLength = 0;  // bytes
  int32_t cursor = 0;     // byte offset
  char* buffer = nullptr;  // maxLength + 1 bytes
  int32_t cancelAllowed = 0;
  int32_t singleByteOnly = 0;
  int32_t digitsOnly = 0;
};

struct CharCodeBuffer {
  uint8_t cells[kCharCodeBufferCells] = {};
  uint32_t readIndex = 0;
  uint32_t writeIndex = 0;
};

struct KeyInputState {
  CharCodeBuffer chars;
  char imeText[kImeTextBytes] = {};
  char imeKeep[kImeTextBytes] = {};
  int32_t composing = 0;
  int32_t imeCursor = 0;  // characters
  uint32_t clauses[kMaxImeClauses] = {};  // clause starts in bytes, then the end
  int32_t clauseCount = 0;
  int32_t imeEnabled = 0;
  int32_t imeOpen = 0;
  int32_t imeResetStep = 0;
  uint32_t colors[kKeyInputColorCount] = {};
  int32_t blinkOn = 0;
  uint32_t blinkTime = 0;
  uint32_t blinkInterval = kCursorBlinkMs;
  int32_t cursorVisible = 1;
  int32_t activeHandle = -1;
  int32_t fontHandle = -1;  // -1: the default font
  KeyInputHandle records[kMaxKeyInputs];
  HandleTable<KeyInputHandle> table{kHandleTypeKeyInput, kMaxKeyInputs};
};

KeyInputState& GetKeyInputState();

// The character-code buffer.
int InitCharCodeBuffer();
int PushCharCode(uint8_t code);
// Takes one character (1 or 2 bytes) into out; 0 when none is complete. Without consume
// the character stays queued.
int GetCharFromBuffer(char out[2], int consume);
int FlushCharCodeBuffer();
int IsCharControlCode(uint8_t code);

// The input method's composition as the window procedure receives it: UTF-8 and its cursor
// in characters; an empty text ends the composition.
int HandleImeMessage(const char* utf8, int cursorChars);
// The window became active: a composition in progress is cancelled at the next pump pass.
int RequestImeReset();

// Key-input string handles.
int MakeKeyInputImpl(int maxLength, int cancelAllowed, int singleByteOnly, int digitsOnly);
int DeleteKeyInput(int handle);
int DeleteAllKeyInputs();
int SetActiveKeyInputImpl(int handle);
int CheckKeyInputImpl(int handle);
int SetKeyInputStringImpl(const char* text, int handle);
int GetKeyInputStringImpl(char* buffer, int handle);
int SetKeyInputCursorBlinkImpl(int flag);
int SetKeyInputColorsImpl(const unsigned long long colors[kKeyInputColorCount]);
// Feeds the active handle from the buffer; the message pump calls it on every pass.
int ProcessActiveKeyInput();
int SetImeEnabled(int flag);

// Shift-JIS counting with the lead-byte test of the current code page.
int CountBytesOfChars(const char* text, int chars);
int CountCharsOfBytes(const char* text, int bytes);

}  // namespace rt
