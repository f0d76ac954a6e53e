// The tables read at start-up (doors, events, cinemas). The first byte picks the table;
// the rest is its file.
#include <cstddef>
#include <cstdint>

#include "fuzz/game/game_fuzz.h"
#include "game/shell/startup_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  game_fuzz::Start();
  const char* paths[] = {kDoorTablePath, kEventTablePath, kCinemaTablePath};
  const char* path = paths[data[0] % 3];
  game_fuzz::WriteInput(path, data + 1, size - 1);
  ReadDoorTable();
  ReadEventTable();
  ReadCinemaTable();
  game_fuzz::RemoveInput(path);
  game_fuzz::ResetGame();
  return 0;
}
