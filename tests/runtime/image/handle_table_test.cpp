#include "runtime/image/handle_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct Item {
  uint32_t check = 0;
  int* deletedFlag = nullptr;
};

class HandleTableTest : public ::testing::Test {
 protected:
  int Add(rt::HandleTable<Item>& table) {
    items_.push_back(std::make_unique<Item>());
    return table.Insert(table.SlotAtMark(), items_.back().get());
  }
  std::vector<std::unique_ptr<Item>> items_;
};

TEST_F(HandleTableTest, HandleLayout) {
  EXPECT_EQ(rt::MakeHandle(rt::kHandleTypeGraph, 0, 0), 0x08000000);
  EXPECT_EQ(rt::MakeHandle(rt::kHandleTypeGraph, 2047, 0xFFFF), 0x0FFFFFFF);
  EXPECT_EQ(rt::MakeHandle(rt::kHandleTypeMusic, 5, 3), (11 << 27) | (5 << 16) | 3);
  EXPECT_EQ(rt::HandleSlot(0x0FFF1234), 0x1234);
  for (int type = 1; type <= 11; ++type) EXPECT_GT(rt::MakeHandle(type, 2047, 0xFFFF), 0);
}

TEST_F(HandleTableTest, SlotsFollowTheHighWaterMark) {
  rt::HandleTable<Item> table(rt::kHandleTypeGraph, 8);
  const int g1 = Add(table), g2 = Add(table), g3 = Add(table);
  EXPECT_EQ(rt::HandleSlot(g1), 0);
  EXPECT_EQ(rt::HandleSlot(g3), 2);
  table.Remove(rt::HandleSlot(g2));
  EXPECT_EQ(table.highWaterMark(), 3);  // a hole below the mark leaves it
  const int g4 = Add(table);
  EXPECT_EQ(rt::HandleSlot(g4), 3);
  table.Remove(rt::HandleSlot(g3));
  EXPECT_EQ(table.highWaterMark(), 4);
  table.Remove(rt::HandleSlot(g4));
  EXPECT_EQ(table.highWaterMark(), 1);  // falls past the hole at slot 1
  EXPECT_EQ(rt::HandleSlot(Add(table)), 1);
  EXPECT_EQ(table.count(), 2);
  table.Remove(0);
  table.Remove(1);
  EXPECT_EQ(table.highWaterMark(), 0);
  EXPECT_EQ(table.count(), 0);
}

TEST_F(HandleTableTest, FullMarkFallsBackToFirstFreeSlot) {
  rt::HandleTable<Item> table(rt::kHandleTypeSound, 4);
  int handles[4];
  for (int& h : handles) h = Add(table);
  EXPECT_TRUE(table.full());
  EXPECT_EQ(table.SlotAtMark(), -1);
  EXPECT_EQ(table.FirstFreeSlot(), -1);
  table.Remove(rt::HandleSlot(handles[1]));
  EXPECT_EQ(table.highWaterMark(), 4);
  EXPECT_EQ(table.SlotAtMark(), 1);
  EXPECT_EQ(rt::HandleSlot(Add(table)), 1);
  EXPECT_EQ(table.highWaterMark(), 4);
}

TEST_F(HandleTableTest, LookupRefusals) {
  rt::HandleTable<Item> table(rt::kHandleTypeFont, 40);
  const int h = Add(table);
  ASSERT_NE(table.Find(h), nullptr);
  const int slot = rt::HandleSlot(h);
  struct Case {
    const char* what;
    int handle;
  };
  const Case cases[] = {
      {"negative", -1},
      {"negative with a valid tail", static_cast<int>(0x80000000u | static_cast<uint32_t>(h))},
      {"another kind's type", rt::MakeHandle(rt::kHandleTypeGraph, 0, slot)},
      {"slot beyond the table", rt::MakeHandle(rt::kHandleTypeFont, 0, 40)},
      {"empty slot", rt::MakeHandle(rt::kHandleTypeFont, 0, 7)},
      {"check mismatch", rt::MakeHandle(rt::kHandleTypeFont, 1, slot)},
  };
  for (const Case& c : cases) EXPECT_EQ(table.Find(c.handle), nullptr) << c.what;
}

TEST_F(HandleTableTest, StaleHandleRefusedAfterSlotReuse) {
  rt::HandleTable<Item> table(rt::kHandleTypeGraph, 4);
  const int first = Add(table);
  table.Remove(rt::HandleSlot(first));
  const int second = Add(table);
  EXPECT_EQ(rt::HandleSlot(first), rt::HandleSlot(second));
  EXPECT_NE(first, second);
  EXPECT_EQ(table.Find(first), nullptr);
  EXPECT_NE(table.Find(second), nullptr);
}

TEST_F(HandleTableTest, CheckCounterWrapsAfter2047) {
  rt::HandleTable<Item> table(rt::kHandleTypeMovie, 100);
  int last = -1;
  for (int i = 0; i < 2048; ++i) {
    last = Add(table);
    table.Remove(rt::HandleSlot(last));
  }
  EXPECT_EQ((static_cast<uint32_t>(last) & rt::kHandleCheckMask) >> 16, 2047u);
  const int wrapped = Add(table);
  EXPECT_EQ((static_cast<uint32_t>(wrapped) & rt::kHandleCheckMask) >> 16, 0u);
  // After a full round of check values the very first handle matches again.
  EXPECT_EQ(wrapped, rt::MakeHandle(rt::kHandleTypeMovie, 0, 0));
}

TEST_F(HandleTableTest, InsertRefusesTakenOrOutOfRangeSlots) {
  rt::HandleTable<Item> table(rt::kHandleTypeKeyInput, 2);
  Item a, b;
  EXPECT_GE(table.Insert(1, &a), 0);
  EXPECT_EQ(table.highWaterMark(), 2);
  EXPECT_EQ(table.Insert(1, &b), -1);
  EXPECT_EQ(table.Insert(2, &b), -1);
  EXPECT_EQ(table.Insert(-1, &b), -1);
  EXPECT_EQ(table.FirstFreeSlot(), 0);
  EXPECT_EQ(table.count(), 1);
}

TEST_F(HandleTableTest, DeleteFlagIsClearedOnSetAndRaisedOnDelete) {
  rt::HandleTable<Item> table(rt::kHandleTypeSound, 4);
  const int h = Add(table);
  int flag = 7;
  EXPECT_EQ(rt::SetHandleDeleteFlag(table, h, &flag), 0);
  EXPECT_EQ(flag, 0);
  Item* item = table.Remove(rt::HandleSlot(h));
  rt::NotifyHandleDeleted(item);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(rt::SetHandleDeleteFlag(table, h, &flag), -1);
}

TEST_F(HandleTableTest, ResetEmptiesEverything) {
  rt::HandleTable<Item> table(rt::kHandleTypeGraph, 4);
  Add(table);
  Add(table);
  table.Reset();
  EXPECT_EQ(table.count(), 0);
  EXPECT_EQ(table.highWaterMark(), 0);
  EXPECT_EQ(table.checkCounter(), 0u);
  EXPECT_EQ(table.At(0), nullptr);
}

}  // namespace
