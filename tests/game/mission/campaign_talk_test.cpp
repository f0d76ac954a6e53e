// Talks that hold a mission paused: the confirm presses that move the talk on reach neither
// the pause menu under it (whose rows would resume the mission or leave it for the title) nor
// anything else, and the mission plays on once the talk has ended.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/shell/game_data.h"
#include "game/story/event_script.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace {

using mission_test::MissionHarness;
using testing_support::StageRecordBuilder;
namespace key = platform::key;

constexpr int kFloorRow = 10;

struct TalkCase {
  const char* name;
  int trigger;  // tile code of the trigger on the road
  int script;
  int mission;
};

TEST(CampaignTalkTest, ConfirmMovesTheTalkOnAndNeverChoosesAPauseMenuRow) {
  const TalkCase cases[] = {
      {"event trigger", 15, 32, 1},
      {"scripted trigger of mission 1", 19, 111, 1},
  };
  for (const TalkCase& c : cases) {
    for (int menuRow = 0; menuRow < 3; ++menuRow) {
      SCOPED_TRACE(std::string(c.name) + ", menu cursor left on row " + std::to_string(menuRow));
      MissionHarness h;
      h.WriteData("evx/" + std::to_string(c.script) + ".txt",
                  "window_on\t0\r\ntalk_1\tA\r\nkey_wait\t0\r\ntalk_1\tB\r\nkey_wait\t0\r\nwindow_off\t0\r\nend\t0\r\n");
      game.eventTable[0][0][0] = 32;
      game.missionNumber = static_cast<uint8_t>(c.mission);
      StageRecordBuilder b;
      b.Row(kFloorRow, 0, 19, 25).Tile(3, kFloorRow - 1, 95).Tile(8, kFloorRow - 1, c.trigger);
      ASSERT_TRUE(h.LoadStage(b.bytes()));
      h.Hold(10);
      for (int f = 0; f < 100 && !game.eventPlayer; ++f) h.Hold(1, {key::kRight});
      ASSERT_TRUE(game.eventPlayer) << "the trigger started its talk";
      EXPECT_EQ(game.eventPlayer->scriptNumber(), c.script);
      game.menuCursor = menuRow;  // as a screen before the mission may leave it
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
  }
}

}  // namespace
