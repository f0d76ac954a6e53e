// Talks over a paused mission: a stage whose trigger starts a talk, played with confirm
// pressed on every other frame while the pause menu's cursor is left on a row.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/shell/game_data.h"
#include "game/story/event_script.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace campaign_test {

struct TalkCase {
  const char* name;
  int trigger;  // tile code of the trigger on the road
  int script;
  int mission;
  int menuRow;  // where an earlier screen left the menu cursor
};

// The confirm presses that move the talk on reach neither the pause menu under it nor
// anything else; the mission stays paused for the whole talk and plays on after it.
inline void ExpectTheTalkHoldsThePauseAndEnds(const TalkCase& c) {
  namespace key = platform::key;
  constexpr int kFloorRow = 10;
  SCOPED_TRACE(std::string(c.name) + ", menu cursor left on row " + std::to_string(c.menuRow));
  mission_test::MissionHarness h;
  h.WriteData("evx/" + std::to_string(c.script) + ".txt",
              "window_on\t0\r\ntalk_1\tA\r\nkey_wait\t0\r\ntalk_1\tB\r\nkey_wait\t0\r\nwindow_off\t0\r\nend\t0\r\n");
  game.eventTable[0][0][0] = 32;
  game.missionNumber = static_cast<uint8_t>(c.mission);
  testing_support::StageRecordBuilder b;
  b.Row(kFloorRow, 0, 19, 25).Tile(3, kFloorRow - 1, 95).Tile(8, kFloorRow - 1, c.trigger);
  ASSERT_TRUE(h.LoadStage(b.bytes()));
  h.Hold(10);
  for (int f = 0; f < 100 && !game.eventPlayer; ++f) h.Hold(1, {key::kRight});
  ASSERT_TRUE(game.eventPlayer) << "the trigger started its talk";
  EXPECT_EQ(game.eventPlayer->scriptNumber(), c.script);
  game.menuCursor = c.menuRow;  // as a screen before the mission may leave it
  bool heldPaused = true;
  for (int f = 0; f < 600 && game.eventPlayer; ++f) {
    heldPaused = heldPaused && game.paused != 0;
    h.Frame(f % 2 == 0 ? std::vector<int>{key::kZ} : std::vector<int>{});
  }
  EXPECT_FALSE(game.eventPlayer) << "the talk ended";
  EXPECT_TRUE(heldPaused) << "the mission stayed paused for the whole talk";
  EXPECT_EQ(game.gameState, STATE_STAGE_PLAY);
  EXPECT_EQ(game.paused, 0);
  h.Hold(2);
  EXPECT_EQ(game.gameState, STATE_STAGE_PLAY);
}

}  // namespace campaign_test
