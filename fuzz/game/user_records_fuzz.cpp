// The user's own records: the settings file, a save file as loading reads it, and the save
// slots as the save-select screen lists them. The first byte picks the reader; the rest
// is the file.
#include <cstddef>
#include <cstdint>

#include "fuzz/game/game_fuzz.h"
#include "game/shell/save_select.h"
#include "game/shell/user_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  game_fuzz::Start();
  switch (data[0] % 3) {
    case 0:
      game_fuzz::WriteInput(kSettingsPath, data + 1, size - 1);
      ReadSettingsFile();
      game_fuzz::RemoveInput(kSettingsPath);
      break;
    case 1:
      game_fuzz::WriteInput("data/save1.dat", data + 1, size - 1);
      ReadSaveRecord("data/save1.dat");
      game_fuzz::RemoveInput("data/save1.dat");
      break;
    default: {
      game_fuzz::WriteInput("data/save2.dat", data + 1, size - 1);
      {
        SaveSelect select;
        select.LoadSlots();
      }
      for (const char* path : {"data/save1.dat", "data/save2.dat", "data/save3.dat"}) game_fuzz::RemoveInput(path);
      break;
    }
  }
  game_fuzz::ResetGame();
  return 0;
}
