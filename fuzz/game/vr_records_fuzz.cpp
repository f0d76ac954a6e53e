// The VR training's records file as the VR menu reads it: decoded, its marker checked,
// its times clamped and totalled.
#include <cstddef>
#include <cstdint>

#include "fuzz/game/game_fuzz.h"
#include "game/editor/vr_menu.h"
#include "game/editor/vr_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  game_fuzz::Start();
  game_fuzz::WriteInput(kVrRecordPath, data, size);
  {
    VrMenu menu;
    menu.ReadRecords();
    menu.CheckFileMarker();
    menu.ClampRecords();
    menu.ComputeTotalTime();
  }
  game_fuzz::RemoveInput(kVrRecordPath);
  game_fuzz::ResetGame();
  return 0;
}
