// The character-code buffer: one ring of bytes between the window's messages and the
// active key-input string.
#include "runtime/core/log.h"
#include "runtime/core/strings.h"
#include "runtime/core/window.h"
#include "runtime/input/key_input.h"

namespace rt {
namespace {

constexpr uint8_t kBadByte = 255;

uint32_t Next(uint32_t index) { return (index + 1) % kCharCodeBufferCells; }

}  // namespace

int IsCharControlCode(uint8_t code) {
  return code == kCharDelete || code == kCharRight || code == kCharLeft || code == kCharUp ||
         code == kCharDown;
}

int PushCharCode(uint8_t code) {
  CharCodeBuffer& ring = GetKeyInputState().chars;
  const uint32_t next = Next(ring.writeIndex);
  if (next == ring.readIndex) return -1;
  ring.cells[ring.writeIndex] = code;
  ring.writeIndex = next;
  return 0;
}

int GetCharFromBuffer(char out[2], int consume) {
  CharCodeBuffer& ring = GetKeyInputState().chars;
  if (ring.readIndex == ring.writeIndex) return 0;
  const uint32_t start = ring.readIndex;
  const uint8_t first = ring.cells[ring.readIndex];
  ring.readIndex = Next(ring.readIndex);
  out[0] = static_cast<char>(first);
  int size = 1;
  if (!IsCharControlCode(first) && IsLeadByte(&out[0], 0)) {
    if (ring.readIndex == ring.writeIndex) {
      // The trail byte has not come yet: the lead byte waits for it.
      ring.readIndex = start;
      return 0;
    }
    out[1] = static_cast<char>(ring.cells[ring.readIndex]);
    ring.readIndex = Next(ring.readIndex);
    size = 2;
  }
  if (!consume) ring.readIndex = start;
  return size;
}

int FlushCharCodeBuffer() {
  CharCodeBuffer& ring = GetKeyInputState().chars;
  while (ProcessMessageImpl() == 0) {
    if (ring.readIndex == ring.writeIndex) break;
    const uint8_t code = ring.cells[ring.readIndex];
    ring.readIndex = Next(ring.readIndex);
    if (code == 0) break;
    if (code == kBadByte) LogAdd("文字バッファエラー\n");
  }
  ring.readIndex = 0;
  ring.writeIndex = 0;
  return 0;
}

}  // namespace rt
