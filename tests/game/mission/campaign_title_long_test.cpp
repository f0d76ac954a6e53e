// The campaign from the title, the whole way: a new game in an empty slot, the opening
// scenes confirmed through, the first stage walked to its exit door, the stage result and
// briefing with its autosave, the next stage chosen on the route page.
#include <gtest/gtest.h>

#include <string>

#include "game/shell/briefing_screen.h"
#include "game/shell/campaign_state.h"
#include "game/shell/game_data.h"
#include "game/shell/save_select.h"
#include "game/story/event_script.h"
#include "game/story/story_scene.h"
#include "platform/input.h"
#include "tests/game/mission/campaign_run.h"
#include "tests/support/stage_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using campaign_test::CampaignRunTest;
using campaign_test::ExitRoom;
using campaign_test::kFloorRow;
using testing_support::StageRecordBuilder;
namespace key = platform::key;

TEST_F(CampaignRunTest, TitleNewGameFirstStageClearBriefingAutosaveAndNextStage) {
  h_.WriteData("bin/1-1", ExitRoom(0, 0));
  WriteTheSecondStage();

  ASSERT_NO_FATAL_FAILURE(NewGameFromTheTitle());
  // The opening scenes, then the first stage with its landing and talk; confirm moves the
  // talk on.
  for (int f = 0; f < 6000 && !(game.gameState == STATE_STAGE_PLAY && game.openingScenePending == 0 && !game.storyScene &&
                                  !game.eventPlayer && player.locked == 0);
       ++f) {
    if (f % 2 == 0) {
      h_.Hold(1, {key::kZ});
    } else {
      h_.Hold(1);
    }
  }
  ASSERT_EQ(game.gameState, STATE_STAGE_PLAY);
  ASSERT_FALSE(game.storyScene) << "the opening scenes ended";
  ASSERT_FALSE(game.eventPlayer);
  EXPECT_EQ(game.saveSlot, 1);
  // Confirm is also the fire key: the presses that moved the scenes on fired nothing.
  EXPECT_EQ(player.weapons[0], 8) << "the first character starts with eight tranquilliser rounds";
  EXPECT_EQ(player.weapons[2], 8);
  EXPECT_EQ(testing_support::ReadFileBytes(h_.File("data/save1.dat")), std::string(512, '\0'))
      << "a new game writes no save";
  h_.Hold(10);

  std::string saved;
  ASSERT_NO_FATAL_FAILURE(LeaveTheFirstStageForTheSecond(&saved));
  EXPECT_EQ(saved[0], 1);
  EXPECT_EQ(saved[6], 0);
  EXPECT_EQ(saved[7], 0);
}

}  // namespace
