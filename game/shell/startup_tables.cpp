#include "game/shell/startup_tables.h"

#include <cstring>
#include <vector>

#include "game/shell/game_data.h"
#include "runtime/api.h"

namespace {

// Fills table[area][subStage][byte] from the headerless records of the file, area by
// area, with only the sub-stages each area has. A missing file is skipped and a short one
// leaves the entries it does not reach at 0; bytes past the used entries are never read.
template <size_t Areas, size_t Slots, size_t RecordBytes>
void ReadTable(const char* path, uint8_t (&table)[Areas][Slots][RecordBytes], const int* subStages) {
  static_assert(Areas == kAreaCount && Slots == kSubStageSlots);
  const int recordBytes = static_cast<int>(RecordBytes);
  int usedBytes = 0;
  for (int area = 0; area < kAreaCount; ++area) usedBytes += subStages[area] * recordBytes;
  std::memset(table, 0, sizeof(table));

  std::vector<uint8_t> buffer(static_cast<size_t>(usedBytes), 0);
  const std::int64_t size = FileGetSizeByPath(path);
  if (size <= 0) return;
  const FileHandle handle = FileOpen(path, 0);
  if (handle == 0) return;
  const size_t wanted = static_cast<size_t>(size < usedBytes ? size : usedBytes);
  FileRead(buffer.data(), wanted, handle);
  FileClose(handle);

  size_t next = 0;
  for (int area = 0; area < kAreaCount; ++area) {
    for (int subStage = 0; subStage < subStages[area]; ++subStage) {
      for (int byte = 0; byte < recordBytes; ++byte) table[area][subStage][byte] = buffer[next++];
    }
  }
}

}  // namespace

void ReadDoorTable() {
  ReadTable(kDoorTablePath, game.doorTable, kDoorSubStages);
}

void ReadEventTable() {
  ReadTable(kEventTablePath, game.eventTable, kEventSubStages);
}

void ReadCinemaTable() {
  ReadTable(kCinemaTablePath, game.cinemaTable, kEventSubStages);
}
