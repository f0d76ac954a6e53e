// A stage record as the stage loader reads it (a map file), or as the editor reads a user
// stage slot: its name into the slot list, its fields into the editor. The first byte
// picks the reader; the rest is the file.
#include <cstddef>
#include <cstdint>

#include "fuzz/game/game_fuzz.h"
#include "game/editor/stage_editor.h"
#include "game/mission/stage_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  game_fuzz::Start();
  if (data[0] & 1) {
    game_fuzz::WriteInput("stage/01.stg", data + 1, size - 1);
    {
      StageEditor editor;
      editor.mode = edit_mode::kSlotList;
      editor.BuildButtons();
      editor.slotNumber = 1;
      editor.ReadStageFile();
      editor.mode = edit_mode::kSlotChosen;
      editor.BuildButtons();
    }
    game_fuzz::RemoveInput("stage/01.stg");
  } else {
    game_fuzz::WriteInput("bin/1-1", data + 1, size - 1);
    game.gameMode = kModeStory;
    game.character = 0;
    game.area = 0;
    game.subStage = 0;
    ResetStageState();
    LoadStage(0);
  }
  game_fuzz::ResetGame();
  return 0;
}
