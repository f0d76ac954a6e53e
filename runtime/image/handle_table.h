// Handles and the per-kind tables behind them.
//
// A handle is (type << 27) | (check << 16) | slot with bit 31 clear: the kind's type number,
// the 11-bit check value the record took when it was added, and the slot index. Any
// negative value means "no handle". Every kind keeps one HandleTable of record pointers
// with its live count, high-water mark and check counter; a lookup refuses a negative
// value, another kind's type, a slot beyond the table, an empty slot or a stale check, so a
// handle to a deleted record stays dead until 2048 more records of its kind were made.
//
// The table does not own the records: the kind allocates them (or holds them inline) and
// frees what Remove hands back. A record type needs a `uint32_t check` member, which
// Insert fills; kinds whose records carry an owner's deleted flag name it `deletedFlag`.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

namespace rt {

enum HandleType : int {
  kHandleTypeGraph = 1,
  kHandleTypeSound = 2,
  kHandleTypeMovie = 3,
  kHandleTypeFont = 4,
  kHandleTypeSurface2D = 5,
  kHandleTypeSurface3D = 6,
  kHandleTypeSurfaceData = 7,
  kHandleTypeSoftImage = 8,
  kHandleTypeSocket = 9,
  kHandleTypeKeyInput = 10,
  kHandleTypeMusic = 11,
};

constexpr int kHandleTypeShift = 27;
constexpr int kHandleCheckShift = 16;
constexpr uint32_t kHandleTypeMask = 0x78000000u;
constexpr uint32_t kHandleCheckMask = 0x07FF0000u;
constexpr uint32_t kHandleSlotMask = 0x0000FFFFu;
constexpr uint32_t kHandleCheckCount = 2048;  // check values run 0..2047 and wrap

constexpr uint32_t HandleTypeTag(int type) { return static_cast<uint32_t>(type) << kHandleTypeShift; }

constexpr int MakeHandle(int type, uint32_t check, int slot) {
  return static_cast<int>(((check | (static_cast<uint32_t>(type) << 11)) << kHandleCheckShift) |
                          static_cast<uint32_t>(slot));
}

constexpr int HandleSlot(int handle) { return static_cast<int>(static_cast<uint32_t>(handle) & kHandleSlotMask); }

template <class Record>
class HandleTable {
 public:
  // capacity: the number of slots (at most 65536, the reach of the slot bits).
  HandleTable(int type, int capacity) : type_(type), slots_(static_cast<size_t>(capacity), nullptr) {}

  int type() const { return type_; }
  int capacity() const { return static_cast<int>(slots_.size()); }
  int count() const { return count_; }
  int highWaterMark() const { return highWaterMark_; }
  uint32_t checkCounter() const { return checkCounter_; }
  bool full() const { return count_ >= capacity(); }

  // The record behind a handle, or null when the lookup rule refuses it.
  Record* Find(int handle) const {
    if (handle < 0) return nullptr;
    const uint32_t h = static_cast<uint32_t>(handle);
    if ((h & kHandleTypeMask) != HandleTypeTag(type_)) return nullptr;
    const uint32_t slot = h & kHandleSlotMask;
    if (slot >= slots_.size()) return nullptr;
    Record* record = slots_[slot];
    if (!record) return nullptr;
    if ((static_cast<uint32_t>(record->check) << kHandleCheckShift) != (h & kHandleCheckMask)) return nullptr;
    return record;
  }

  Record* At(int slot) const {
    return slot >= 0 && slot < capacity() ? slots_[static_cast<size_t>(slot)] : nullptr;
  }

  // The handle of the record in a slot, or -1 for an empty slot.
  int HandleAt(int slot) const {
    const Record* record = At(slot);
    return record ? MakeHandle(type_, record->check, slot) : -1;
  }

  // Slot choice of graphs, sounds, music and surfaces: the high-water mark while it is
  // below the capacity, else the first empty slot. -1 when the table is full.
  int SlotAtMark() const {
    if (highWaterMark_ < capacity()) return highWaterMark_;
    return FirstFreeSlot();
  }

  // Slot choice of movies and key-input strings. -1 when the table is full.
  int FirstFreeSlot() const {
    for (int i = 0; i < capacity(); ++i) {
      if (!slots_[static_cast<size_t>(i)]) return i;
    }
    return -1;
  }

  // Stores a record in an empty slot, gives it the next check value and returns its
  // handle; -1 (nothing stored) for a slot out of range or already taken.
  int Insert(int slot, Record* record) {
    if (!record || slot < 0 || slot >= capacity() || slots_[static_cast<size_t>(slot)]) return -1;
    record->check = checkCounter_;
    checkCounter_ = (checkCounter_ + 1) % kHandleCheckCount;
    slots_[static_cast<size_t>(slot)] = record;
    ++count_;
    if (slot >= highWaterMark_) highWaterMark_ = slot + 1;
    return MakeHandle(type_, record->check, slot);
  }

  // Empties a slot and returns its record (null when it was empty). When the slot was the
  // last one below the high-water mark, the mark falls to one past the highest occupied
  // slot below it (0 when the table is empty).
  Record* Remove(int slot) {
    Record* record = At(slot);
    if (!record) return nullptr;
    slots_[static_cast<size_t>(slot)] = nullptr;
    --count_;
    if (slot == highWaterMark_ - 1) {
      int mark = 0;
      if (count_ > 0) {
        for (int i = slot - 1; i >= 0; --i) {
          if (slots_[static_cast<size_t>(i)]) {
            mark = i + 1;
            break;
          }
        }
      }
      highWaterMark_ = mark;
    }
    return record;
  }

  // Empties every slot and sets the count, mark and check counter to 0 (start-up). The
  // records are not freed.
  void Reset() {
    std::fill(slots_.begin(), slots_.end(), nullptr);
    count_ = 0;
    highWaterMark_ = 0;
    checkCounter_ = 0;
  }

 private:
  int type_;
  std::vector<Record*> slots_;
  int count_ = 0;
  int highWaterMark_ = 0;
  uint32_t checkCounter_ = 0;
};

// Stores an owner's deleted flag in a record and clears the flag now; -1 for a refused
// handle. The kind's delete operation writes 1 through it.
template <class Record>
int SetHandleDeleteFlag(const HandleTable<Record>& table, int handle, int* flag) {
  Record* record = table.Find(handle);
  if (!record) return -1;
  record->deletedFlag = flag;
  if (flag) *flag = 0;
  return 0;
}

template <class Record>
void NotifyHandleDeleted(Record* record) {
  if (record->deletedFlag) *record->deletedFlag = 1;
}

}  // namespace rt
