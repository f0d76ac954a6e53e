// An event script as the talk player reads and runs it: loaded, then played frame by
// frame, with confirm pressed on every other frame, until it ends or the frames run out.
#include <cstddef>
#include <cstdint>

#include "fuzz/game/game_fuzz.h"
#include "game/story/event_script.h"

namespace {

// Frames a script may play; a script that waits longer is left running and deleted.
constexpr int kFrames = 90;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  game_fuzz::Start();
  // The first byte picks the end mode and the character (whose call panel some scripts use).
  game.character = data[0] % 3;
  game_fuzz::WriteInput("evx/1.txt", data + 1, size - 1);
  game.eventPlayer.Create(1, (data[0] >> 2) % 3);
  for (int frame = 0; frame < kFrames && game.eventPlayer; ++frame) {
    game.action[1] = static_cast<uint8_t>(frame % 2);
    game.eventPlayer.Update(0);
    DeleteRetiredScreenObjects();
  }
  DeleteEventScript();
  game_fuzz::RemoveInput("evx/1.txt");
  game_fuzz::ResetGame();
  return 0;
}
