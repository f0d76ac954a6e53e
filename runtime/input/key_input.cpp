// Key-input string handles: small line editors fed from the character-code buffer.
#include "runtime/input/key_input.h"

#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/core/strings.h"
#include "runtime/core/time.h"
#include "runtime/input/key_input_draw.h"

namespace rt {
namespace {

KeyInputState g_keyInput;

constexpr unsigned long long kKeepColor = ~0ull;
// The cursor after SetActiveKeyInput and every keystroke starts a full visible phase.
void RestartBlink() {
  g_keyInput.cursorVisible = 1;
  g_keyInput.blinkTime = ReadTimeMs();
}

bool IsLead(const char* text, int pos) { return IsLeadByte(text + pos, 0) != 0; }

// The size of the character at pos; a lead byte with nothing after it counts alone.
int CharSizeAt(const char* text, int pos, int length) {
  return (IsLead(text, pos) && pos + 1 < length) ? 2 : 1;
}

// Where the character before pos starts. Found by walking from the start of the text: a
// trail byte may itself lie in the lead-byte range (the pair in "月a" is 0x8C 0x8E), so the
// byte two back says nothing on its own.
int PreviousCharStart(const char* text, int pos, int length) {
  int p = 0;
  while (p < pos) {
    const int size = CharSizeAt(text, p, length);
    if (p + size >= pos) return p;
    p += size;
  }
  return 0;
}

void RemoveBytes(KeyInputHandle& h, int from, int count) {
  std::memmove(h.buffer + from, h.buffer + from + count, size_t(h.length - from - count + 1));
  h.length -= count;
}

void InsertChar(KeyInputHandle& h, const char* ch, int size) {
  const unsigned char first = static_cast<unsigned char>(ch[0]);
  // A zero byte would end the text early; the window never queues one.
  if (first == 0 || (size == 2 && ch[1] == '\0')) return;
  if (h.digitsOnly) {
    const bool digit = size == 1 && first >= '0' && first <= '9';
    const bool sign = size == 1 && first == '-' && h.cursor == 0;
    if (!digit && !sign) return;
  }
  if (h.singleByteOnly && size == 2) return;
  // A character larger than the whole field can never fit; removing text would not help.
  if (size > h.maxLength) return;
  while (h.length + size > h.maxLength) {
    const int last = PreviousCharStart(h.buffer, h.length, h.length);
    h.buffer[last] = '\0';
    h.length = last;
    if (h.cursor > h.length) h.cursor = h.length;
  }
  std::memmove(h.buffer + h.cursor + size, h.buffer + h.cursor, size_t(h.length - h.cursor + 1));
  std::memcpy(h.buffer + h.cursor, ch, size_t(size));
  h.cursor += size;
  h.length += size;
}

void EditWith(KeyInputHandle& h, const char* ch, int size) {
  if (size == 2) {
    InsertChar(h, ch, size);
    return;
  }
  switch (static_cast<unsigned char>(ch[0])) {
    case kCharBackspace:
      if (h.cursor > 0) {
        const int start = PreviousCharStart(h.buffer, h.cursor, h.length);
        const int count = h.cursor - start;
        h.cursor = start;
        RemoveBytes(h, start, count);
      }
      break;
    case kCharTab:
    case kCharUp:
    case kCharDown:
      break;
    case kCharEnter:
      h.ended = 1;
      break;
    case kCharDelete:
      if (h.cursor < h.length) RemoveBytes(h, h.cursor, CharSizeAt(h.buffer, h.cursor, h.length));
      break;
    case kCharEscape:
      if (h.cancelAllowed) {
        h.cancelled = 1;
        h.ended = 1;
      }
      break;
    case kCharRight:
      if (h.cursor < h.length) h.cursor += CharSizeAt(h.buffer, h.cursor, h.length);
      break;
    case kCharLeft:
      if (h.cursor > 0) h.cursor = PreviousCharStart(h.buffer, h.cursor, h.length);
      break;
    default:
      InsertChar(h, ch, size);
      break;
  }
}

void FreeRecord(KeyInputHandle& record) {
  if (record.buffer) MemFree(record.buffer);
  record = KeyInputHandle{};
}

void ResetComposition() {
  g_keyInput.imeText[0] = '\0';
  g_keyInput.imeKeep[0] = '\0';
  g_keyInput.composing = 0;
  g_keyInput.clauseCount = 0;
  g_keyInput.imeCursor = 0;
}

}  // namespace

KeyInputState& GetKeyInputState() { return g_keyInput; }

int InitCharCodeBuffer() {
  for (KeyInputHandle& record : g_keyInput.records) FreeRecord(record);
  g_keyInput.chars = CharCodeBuffer{};
  std::memset(g_keyInput.imeText, 0, sizeof g_keyInput.imeText);
  std::memset(g_keyInput.imeKeep, 0, sizeof g_keyInput.imeKeep);
  g_keyInput.composing = 0;
  g_keyInput.imeCursor = 0;
  std::memset(g_keyInput.clauses, 0, sizeof g_keyInput.clauses);
  g_keyInput.clauseCount = 0;
  g_keyInput.imeEnabled = 0;
  g_keyInput.imeOpen = 0;
  g_keyInput.imeResetStep = 0;
  g_keyInput.blinkOn = 0;
  g_keyInput.blinkTime = 0;
  g_keyInput.blinkInterval = kCursorBlinkMs;
  g_keyInput.cursorVisible = 1;
  g_keyInput.activeHandle = -1;
  g_keyInput.fontHandle = -1;
  g_keyInput.table.Reset();

  uint32_t* c = g_keyInput.colors;
  c[kColorText] = KeyInputScreenColor(255, 255, 255);
  c[kColorCursor] = KeyInputScreenColor(255, 255, 255);
  c[kColorImeBackground] = KeyInputScreenColor(255, 255, 0);
  c[kColorImeCaret] = KeyInputScreenColor(0, 255, 255);
  c[kColorClauseLine] = KeyInputScreenColor(255, 255, 255);
  c[kColorConvertingClause] = KeyInputScreenColor(255, 0, 0);
  c[kColorUnused6] = KeyInputScreenColor(255, 255, 20);
  c[kColorTextEdge] = KeyInputScreenColor(0, 0, 0);
  c[kColorSelectedCandidateEdge] = KeyInputScreenColor(0, 0, 0);
  c[kColorUnused9] = KeyInputScreenColor(0, 0, 0);
  c[kColorCandidateOutline] = c[kColorImeBackground];
  c[kColorCandidateFill] = KeyInputScreenColor(0, 0, 0);
  return 0;
}

int MakeKeyInputImpl(int maxLength, int cancelAllowed, int singleByteOnly, int digitsOnly) {
  if (maxLength < 0) return -1;
  const int slot = g_keyInput.table.FirstFreeSlot();
  if (slot < 0) return -1;
  KeyInputHandle& record = g_keyInput.records[slot];
  record = KeyInputHandle{};
  record.buffer = static_cast<char*>(RT_ALLOC_ZERO(size_t(maxLength) + 1));
  if (!record.buffer) return -1;
  record.maxLength = maxLength;
  record.cancelAllowed = cancelAllowed;
  record.singleByteOnly = singleByteOnly;
  record.digitsOnly = digitsOnly;
  record.inUse = 1;
  const int handle = g_keyInput.table.Insert(slot, &record);
  if (!g_keyInput.imeEnabled) SetImeEnabled(1);
  FlushCharCodeBuffer();
  return handle;
}

int DeleteKeyInput(int handle) {
  KeyInputHandle* record = g_keyInput.table.Find(handle);
  if (!record) return -1;
  g_keyInput.table.Remove(HandleSlot(handle));
  FreeRecord(*record);
  if (g_keyInput.activeHandle == handle) g_keyInput.activeHandle = -1;
  if (g_keyInput.table.count() == 0) SetImeEnabled(0);
  return 0;
}

int DeleteAllKeyInputs() {
  for (int slot = 0; slot < kMaxKeyInputs; ++slot) {
    const int handle = g_keyInput.table.HandleAt(slot);
    if (handle >= 0) DeleteKeyInput(handle);
  }
  g_keyInput.activeHandle = -1;
  return 0;
}

int SetActiveKeyInputImpl(int handle) {
  KeyInputHandle* record = g_keyInput.table.Find(handle);
  if (!record) return -1;
  g_keyInput.activeHandle = handle;
  record->ended = 0;
  record->cancelled = 0;
  RestartBlink();
  return 0;
}

int CheckKeyInputImpl(int handle) {
  const KeyInputHandle* record = g_keyInput.table.Find(handle);
  if (!record) return -1;
  if (record->cancelled) return 2;
  if (record->ended) return 1;
  return 0;
}

int SetKeyInputStringImpl(const char* text, int handle) {
  KeyInputHandle* record = g_keyInput.table.Find(handle);
  if (!record || !text) return -1;
  const size_t length = std::strlen(text);
  if (length > size_t(record->maxLength)) return -1;
  std::memcpy(record->buffer, text, length + 1);
  record->length = static_cast<int32_t>(length);
  record->cursor = record->length;
  RestartBlink();
  return 0;
}

int GetKeyInputStringImpl(char* buffer, int handle) {
  const KeyInputHandle* record = g_keyInput.table.Find(handle);
  if (!record || !buffer) return -1;
  std::memcpy(buffer, record->buffer, size_t(record->length) + 1);
  return 0;
}

int SetKeyInputCursorBlinkImpl(int flag) {
  g_keyInput.blinkOn = flag ? 1 : 0;
  RestartBlink();
  return 0;
}

int SetKeyInputColorsImpl(const unsigned long long colors[kKeyInputColorCount]) {
  for (int i = 0; i < kKeyInputColorCount; ++i) {
    if (colors[i] != kKeepColor) g_keyInput.colors[i] = static_cast<uint32_t>(colors[i]);
  }
  if (colors[kColorCandidateOutline] == kKeepColor && colors[kColorImeBackground] != kKeepColor) {
    g_keyInput.colors[kColorCandidateOutline] = g_keyInput.colors[kColorImeBackground];
  }
  if (colors[kColorCandidateFill] == kKeepColor) {
    g_keyInput.colors[kColorCandidateFill] = KeyInputScreenColor(0, 0, 0);
  }
  return 0;
}

int ProcessActiveKeyInput() {
  if (g_keyInput.imeResetStep != 0) {
    // The platform's input method cannot be asked for its result or given a text back, so
    // a reset drops the composition in progress; the input method starts its next one anew.
    ResetComposition();
    g_keyInput.imeResetStep = 0;
  }
  if (g_keyInput.activeHandle == -1) return 0;
  KeyInputHandle* record = g_keyInput.table.Find(g_keyInput.activeHandle);
  if (!record) return -1;
  while (!record->ended) {
    char ch[2];
    const int size = GetCharFromBuffer(ch, 1);
    if (size == 0) break;
    RestartBlink();
    EditWith(*record, ch, size);
  }
  return 0;
}

int SetImeEnabled(int flag) {
  flag = flag ? 1 : 0;
  if (g_keyInput.imeEnabled == flag) return 0;
  g_keyInput.imeEnabled = flag;
  // The platform has no open state of its own to ask: an enabled input method is open.
  g_keyInput.imeOpen = flag;
  if (!flag) {
    g_keyInput.imeText[0] = '\0';
    g_keyInput.composing = 0;
    g_keyInput.clauseCount = 0;
  }
  return 0;
}

int RequestImeReset() {
  if (g_keyInput.imeEnabled && g_keyInput.imeOpen) g_keyInput.imeResetStep = 1;
  return 0;
}

int CountBytesOfChars(const char* text, int chars) {
  int bytes = 0;
  for (int n = 0; n < chars && text[bytes] != '\0'; ++n) {
    bytes += (IsLead(text, bytes) && text[bytes + 1] != '\0') ? 2 : 1;
  }
  return bytes;
}

int CountCharsOfBytes(const char* text, int bytes) {
  int chars = 0;
  for (int pos = 0; pos < bytes && text[pos] != '\0'; ++chars) {
    pos += (IsLead(text, pos) && text[pos + 1] != '\0') ? 2 : 1;
  }
  return chars;
}

}  // namespace rt
