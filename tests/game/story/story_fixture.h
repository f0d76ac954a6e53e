// Shared helpers of the story tests: scripts written in CR LF lines, and running the talk
// and story players as the frame loop does, confirming each waiting line.
#pragma once
#include <initializer_list>
#include <string>

#include "game/shell/game_data.h"
#include "game/story/event_script.h"
#include "game/story/story_scene.h"
#include "tests/game/mission/mission_harness.h"

namespace story_test {

// "command\targument" lines joined with CR LF.
inline std::string ScriptText(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

inline void WriteScript(mission_test::MissionHarness& h, int number, const std::string& text) {
  h.WriteData("evx/" + std::to_string(number) + ".txt", text);
}

// One frame of both players, in the frame loop's order, with confirm held on every other
// frame so that each "key_wait" sees a new press.
inline void PlayerFrame(int frame) {
  game.action[1] = static_cast<uint8_t>(frame % 2);
  game.storyScene.Update(0);
  game.eventPlayer.Update(0);
  DeleteRetiredScreenObjects();
}

// Runs the event script until it deletes itself; the frames it took, or -1 when it was
// still running after maxFrames.
inline int RunScriptToEnd(int maxFrames = 5000) {
  for (int f = 0; f < maxFrames; ++f) {
    if (!game.eventPlayer) return f;
    PlayerFrame(f);
  }
  return game.eventPlayer ? -1 : maxFrames;
}

}  // namespace story_test
