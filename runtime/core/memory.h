// Tracked memory: every runtime block carries a header linking it into one list of live
// blocks, with a copy of its bookkeeping for corruption checks. Also the byte ring buffer,
// the intrusive list and the store of dropped file paths.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rt {

struct MemBlockHeader {
  struct Fields {
    char name[16];  // the last 15 characters of the source name
    uint16_t serial;
    int16_t line;
    int32_t size;
    MemBlockHeader* older;
    MemBlockHeader* newer;
  };
  Fields fields;
  Fields copy;  // refreshed whenever fields change
};
static_assert(sizeof(MemBlockHeader) % 16 == 0, "blocks behind the header stay 16-byte aligned");

struct MemoryState {
  MemBlockHeader anchor{};          // the oldest element, never freed
  MemBlockHeader* newest = nullptr;  // list head; null before the first allocation
  int32_t totalSize = 0;
  int32_t count = 0;
  uint16_t serial = 0;
  int logAll = 0;
  int32_t logSizeFilter = 0;
  int logTotals = 0;
  int checkEveryCall = 0;
};

MemoryState& GetMemoryState();

void* MemAlloc(size_t size, const char* sourceName, int line);
void* MemAllocZero(size_t size, const char* sourceName, int line);
void MemFree(void* block);
int CheckMemory();
int DumpMemory();
void MemBlockLine(const MemBlockHeader* header);
// The header in front of a tracked block.
MemBlockHeader* GetMemBlockHeader(void* block);

#define RT_ALLOC(size) ::rt::MemAlloc((size), __FILE__, __LINE__)
#define RT_ALLOC_ZERO(size) ::rt::MemAllocZero((size), __FILE__, __LINE__)

struct RingBuffer {
  unsigned char* data = nullptr;
  int32_t readPos = 0;
  int32_t writePos = 0;
  int32_t held = 0;
  int32_t capacity = 0;
};

int RingBufferReserve(int32_t needed, RingBuffer* ring);
int RingBufferFree(RingBuffer* ring);

struct ListNode {
  int32_t index = -1;
  intptr_t data = 0;
  ListNode* previous = nullptr;
  ListNode* next = nullptr;
};

int ListInit(ListNode* head, ListNode* tail);
int ListAddNode(ListNode* head, ListNode* node, int32_t index, intptr_t data);
int ListRemoveNode(ListNode* node);

// Paths of files dropped onto the window, collected by the window procedure.
std::vector<std::string>& DroppedFiles();
int FreeDroppedFiles();

}  // namespace rt
