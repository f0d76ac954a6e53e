#include "runtime/core/memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/log.h"

namespace rt {
namespace {

MemoryState g_mem;
std::vector<std::string> g_droppedFiles;

void Refresh(MemBlockHeader* h) {
  if (h) std::memcpy(&h->copy, &h->fields, sizeof h->fields);
}

bool ShouldLog(int32_t size) {
  return g_mem.logSizeFilter < 0 || g_mem.logSizeFilter == size || g_mem.logAll == 1;
}

void LogTotals() {
  LogAddFormat("\tTotal size:%d(%.3fkb)  Alloc num:%d", g_mem.totalSize, g_mem.totalSize / 1024.0,
               g_mem.count);
}

void SetName(MemBlockHeader* h, const char* sourceName) {
  std::memset(h->fields.name, 0, sizeof h->fields.name);
  if (!sourceName) return;
  size_t len = std::strlen(sourceName);
  const char* tail = len > 15 ? sourceName + (len - 15) : sourceName;
  std::memcpy(h->fields.name, tail, std::strlen(tail));
}

}  // namespace

MemoryState& GetMemoryState() { return g_mem; }

MemBlockHeader* GetMemBlockHeader(void* block) {
  return reinterpret_cast<MemBlockHeader*>(static_cast<unsigned char*>(block) - sizeof(MemBlockHeader));
}

void* MemAlloc(size_t size, const char* sourceName, int line) {
  void* raw = size > size_t(INT32_MAX) ? nullptr : std::malloc(size + sizeof(MemBlockHeader));
  if (!raw) {
    DumpMemory();
    return nullptr;
  }
  auto* h = static_cast<MemBlockHeader*>(raw);
  SetName(h, sourceName);
  h->fields.serial = g_mem.serial++;
  h->fields.line = static_cast<int16_t>(line);
  h->fields.size = static_cast<int32_t>(size);
  if (!g_mem.newest) {
    std::memset(&g_mem.anchor, 0, sizeof g_mem.anchor);
    g_mem.newest = &g_mem.anchor;
  }
  MemBlockHeader* older = g_mem.newest;
  older->fields.newer = h;
  h->fields.older = older;
  h->fields.newer = nullptr;
  g_mem.newest = h;
  Refresh(h);
  Refresh(older);

  g_mem.totalSize += static_cast<int32_t>(size);
  g_mem.count += 1;
  if (ShouldLog(h->fields.size)) {
    LogAdd("mem alloc  ");
    MemBlockLine(h);
  }
  if (g_mem.logTotals) LogTotals();
  if (g_mem.checkEveryCall) CheckMemory();
  return h + 1;
}

void* MemAllocZero(size_t size, const char* sourceName, int line) {
  void* block = MemAlloc(size, sourceName, line);
  if (block) std::memset(block, 0, size);
  return block;
}

void MemFree(void* block) {
  if (!block) return;
  MemBlockHeader* h = GetMemBlockHeader(block);
  g_mem.totalSize -= h->fields.size;
  g_mem.count -= 1;
  if (g_mem.checkEveryCall) CheckMemory();
  MemBlockHeader* older = h->fields.older;
  MemBlockHeader* newer = h->fields.newer;
  if (older) older->fields.newer = newer;
  if (newer) newer->fields.older = older;
  if (g_mem.newest == h) g_mem.newest = older;
  Refresh(older);
  Refresh(newer);
  if (ShouldLog(h->fields.size)) {
    LogAdd("mem free  ");
    MemBlockLine(h);
  }
  if (g_mem.logTotals) LogTotals();
  std::free(h);
}

int CheckMemory() {
  for (MemBlockHeader* h = g_mem.newest; h && h != &g_mem.anchor; h = h->fields.older) {
    if (std::memcmp(&h->fields, &h->copy, sizeof h->fields) != 0) {
      LogAdd("以下のメモリ確保情報が破損しました\n");
      MemBlockLine(h);
      return -1;
    }
  }
  return 0;
}

void MemBlockLine(const MemBlockHeader* h) {
  // Room for the fixed text, a 15-character name, 16 characters and 16 hex pairs.
  char line[256];
  int32_t size = h->fields.size;
  int n = std::snprintf(line, sizeof line, "\tsize:%d(%.3fkb)  file:%s  line:%d  ID:%d  data:<", size,
                        size / 1024.0, h->fields.name, h->fields.line, h->fields.serial);
  const auto* data = reinterpret_cast<const unsigned char*>(h + 1);
  int shown = size < 16 ? size : 16;
  for (int i = 0; i < shown; ++i) line[n++] = data[i] < 32 ? '.' : static_cast<char>(data[i]);
  line[n++] = '>';
  line[n++] = ' ';
  line[n++] = '[';
  for (int i = 0; i < shown; ++i) n += std::snprintf(line + n, sizeof line - n, "%02x ", data[i]);
  if (shown > 0) n--;  // the last space becomes the closing bracket
  line[n++] = ']';
  line[n++] = '\n';
  line[n] = '\0';
  LogAdd(line);
}

int DumpMemory() {
  LogAdd("\n");
  LogAdd("Alloc memory dump\n");
  for (MemBlockHeader* h = g_mem.newest; h && h != &g_mem.anchor; h = h->fields.older) MemBlockLine(h);
  LogTotals();
  return LogAdd("\n");
}

int RingBufferReserve(int32_t needed, RingBuffer* ring) {
  if (ring->readPos == ring->capacity) ring->readPos = 0;
  if (ring->writePos == ring->capacity) ring->writePos = 0;
  if (int64_t{ring->held} + needed <= ring->capacity) return 0;
  const int64_t wanted = int64_t{ring->held} + needed + 1000;
  auto* grown = wanted > INT32_MAX ? nullptr : static_cast<unsigned char*>(RT_ALLOC(size_t(wanted)));
  if (!grown) {
    // The held bytes stay where they are: the caller still owns them.
    LogAddFormat("リングバッファの再確保に失敗しました(確保しようとしたサイズ %lld byte)",
                 static_cast<long long>(wanted));
    return -1;
  }
  if (ring->held > 0) {
    int32_t first = ring->capacity - ring->readPos;
    if (first > ring->held) first = ring->held;
    std::memcpy(grown, ring->data + ring->readPos, size_t(first));
    std::memcpy(grown + first, ring->data, size_t(ring->held - first));
  }
  MemFree(ring->data);
  ring->data = grown;
  ring->capacity = static_cast<int32_t>(wanted);
  ring->readPos = 0;
  ring->writePos = ring->held;
  return 0;
}

int RingBufferFree(RingBuffer* ring) {
  MemFree(ring->data);
  *ring = RingBuffer{};
  return 0;
}

int ListInit(ListNode* head, ListNode* tail) {
  *head = ListNode{-1, 0, nullptr, tail};
  *tail = ListNode{-1, 0, head, nullptr};
  return 0;
}

int ListAddNode(ListNode* head, ListNode* node, int32_t index, intptr_t data) {
  node->index = index;
  node->data = data;
  node->previous = head;
  node->next = head->next;
  if (head->next) head->next->previous = node;
  head->next = node;
  return 0;
}

int ListRemoveNode(ListNode* node) {
  if (node->previous) node->previous->next = node->next;
  if (node->next) node->next->previous = node->previous;
  node->previous = node->next = nullptr;
  return 0;
}

std::vector<std::string>& DroppedFiles() { return g_droppedFiles; }

int FreeDroppedFiles() {
  g_droppedFiles.clear();
  return 0;
}

}  // namespace rt
