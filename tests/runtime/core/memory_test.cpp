#include "runtime/core/memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "runtime/core/log.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::ScopedTempDir;

class MemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::GetLogState() = rt::LogState{};
    rt::SetLogDirectory(dir_.path());
    rt::LogStart();
  }
  void TearDown() override { rt::GetLogState() = rt::LogState{}; }
  std::string Log() { return ReadFileBytes(dir_.File("Log.txt")); }
  ScopedTempDir dir_;
};

TEST_F(MemoryTest, HeaderKeepsBookkeepingAndAlignment) {
  const int before = rt::GetMemoryState().count;
  void* block = rt::MemAlloc(40, "abcdefghijklmnopqrst", 77);  // 20 characters
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
  rt::MemBlockHeader* h = rt::GetMemBlockHeader(block);
  EXPECT_STREQ(h->fields.name, "fghijklmnopqrst");
  EXPECT_EQ(h->fields.line, 77);
  EXPECT_EQ(h->fields.size, 40);
  EXPECT_EQ(rt::GetMemoryState().count, before + 1);
  rt::MemFree(block);
  EXPECT_EQ(rt::GetMemoryState().count, before);
}

TEST_F(MemoryTest, FreeingRelinksTheList) {
  void* a = RT_ALLOC(8);
  void* b = RT_ALLOC(8);
  void* c = RT_ALLOC(8);
  rt::MemBlockHeader* ha = rt::GetMemBlockHeader(a);
  rt::MemBlockHeader* hb = rt::GetMemBlockHeader(b);
  rt::MemBlockHeader* hc = rt::GetMemBlockHeader(c);
  rt::MemBlockHeader* older = ha->fields.older;

  rt::MemFree(c);  // the newest: the previous block becomes the head
  EXPECT_EQ(rt::GetMemoryState().newest, hb);
  EXPECT_EQ(hb->fields.newer, nullptr);
  rt::MemFree(a);  // the oldest of the three: its older neighbour links to b
  EXPECT_EQ(older->fields.newer, hb);
  EXPECT_EQ(hb->fields.older, older);
  EXPECT_EQ(rt::CheckMemory(), 0);
  rt::MemFree(b);
  (void)hc;
}

TEST_F(MemoryTest, DamagedHeaderIsDetected) {
  void* block = RT_ALLOC(16);
  rt::MemBlockHeader* h = rt::GetMemBlockHeader(block);
  EXPECT_EQ(rt::CheckMemory(), 0);
  h->fields.size ^= 0x100;
  EXPECT_EQ(rt::CheckMemory(), -1);
  EXPECT_NE(Log().find("以下のメモリ確保情報が破損しました"), std::string::npos);
  h->fields.size ^= 0x100;
  EXPECT_EQ(rt::CheckMemory(), 0);
  rt::MemFree(block);
}

TEST_F(MemoryTest, DumpListsLiveBlocks) {
  char* block = static_cast<char*>(rt::MemAlloc(20, "dump.cpp", 5));
  std::memcpy(block, "AB\x01" "CDEFGHIJKLMNOPQRS", 20);
  rt::DumpMemory();
  std::string log = Log();
  EXPECT_NE(log.find("Alloc memory dump"), std::string::npos);
  EXPECT_NE(log.find("\tsize:20(0.020kb)  file:dump.cpp  line:5  ID:"), std::string::npos);
  EXPECT_NE(log.find("data:<AB.CDEFGHIJKLMNO> [41 42 01 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f]"),
            std::string::npos);
  EXPECT_NE(log.find("Total size:"), std::string::npos);
  rt::MemFree(block);
}

TEST_F(MemoryTest, RingBufferGrowthUnwrapsTheHeldBytes) {
  rt::RingBuffer ring;
  ASSERT_EQ(rt::RingBufferReserve(100, &ring), 0);
  ASSERT_EQ(ring.capacity, 1100);
  // Ten bytes held that wrap: four at the end, six at the front.
  const char held[] = "0123456789";
  std::memcpy(ring.data + ring.capacity - 4, held, 4);
  std::memcpy(ring.data, held + 4, 6);
  ring.readPos = ring.capacity - 4;
  ring.writePos = 6;
  ring.held = 10;

  ASSERT_EQ(rt::RingBufferReserve(5000, &ring), 0);
  EXPECT_EQ(ring.capacity, 6010);
  EXPECT_EQ(ring.readPos, 0);
  EXPECT_EQ(ring.writePos, 10);
  EXPECT_EQ(std::memcmp(ring.data, held, 10), 0);

  // Enough room: nothing moves.
  unsigned char* data = ring.data;
  ASSERT_EQ(rt::RingBufferReserve(6000, &ring), 0);
  EXPECT_EQ(ring.data, data);
  rt::RingBufferFree(&ring);
  EXPECT_EQ(ring.data, nullptr);
  EXPECT_EQ(ring.capacity, 0);
}

TEST_F(MemoryTest, RingBufferKeepsItsDataWhenGrowthFails) {
  rt::RingBuffer ring;
  ASSERT_EQ(rt::RingBufferReserve(16, &ring), 0);
  std::memcpy(ring.data, "kept", 4);
  ring.held = 4;
  ring.writePos = 4;
  EXPECT_EQ(rt::RingBufferReserve(INT32_MAX, &ring), -1);
  ASSERT_NE(ring.data, nullptr);
  EXPECT_EQ(ring.held, 4);
  EXPECT_EQ(std::memcmp(ring.data, "kept", 4), 0);
  EXPECT_NE(Log().find("リングバッファの再確保に失敗しました"), std::string::npos);
  rt::RingBufferFree(&ring);
}

TEST(List, AddAndRemove) {
  rt::ListNode head, tail, a, b;
  rt::ListInit(&head, &tail);
  rt::ListAddNode(&head, &a, 1, 10);
  rt::ListAddNode(&head, &b, 2, 20);  // goes right behind the head
  EXPECT_EQ(head.next, &b);
  EXPECT_EQ(b.next, &a);
  EXPECT_EQ(a.next, &tail);
  EXPECT_EQ(tail.previous, &a);
  rt::ListRemoveNode(&b);
  EXPECT_EQ(head.next, &a);
  EXPECT_EQ(a.previous, &head);
  EXPECT_EQ(head.index, -1);
}

}  // namespace
