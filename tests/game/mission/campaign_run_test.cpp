// The campaign in short runs: a new game started from the title in an empty slot; the first
// stage walked to its exit door, the stage result and briefing with its autosave, the next
// stage chosen on the route page; and the clear bookkeeping of several doors against the
// save record. The long program plays the whole way from the title, openings included.
#include <gtest/gtest.h>

#include <string>

#include "game/shell/briefing_screen.h"
#include "game/shell/campaign_state.h"
#include "game/shell/game_data.h"
#include "game/shell/save_select.h"
#include "game/shell/user_files.h"
#include "game/story/event_script.h"
#include "game/story/story_scene.h"
#include "platform/input.h"
#include "tests/game/mission/campaign_run.h"
#include "tests/support/image_fixture.h"
#include "tests/support/stage_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using campaign_test::CampaignRunTest;
using campaign_test::ExitRoom;
using campaign_test::kFloorRow;
using testing_support::StageRecordBuilder;
namespace key = platform::key;

TEST_F(CampaignRunTest, TitleNewGameInAnEmptySlotStartsTheOpeningWithoutASave) {
  ASSERT_NO_FATAL_FAILURE(NewGameFromTheTitle());
  for (int f = 0; f < 100 && game.gameState == STATE_SAVE_SELECT; ++f) h_.Hold(1);
  EXPECT_EQ(game.gameState, STATE_EVENT_ONLY);
  ASSERT_TRUE(game.storyScene) << "the opening scene starts";
  EXPECT_EQ(game.storyScene->scene(), 1);
  EXPECT_EQ(game.saveSlot, 1);
  EXPECT_EQ(game.character, 0);
  EXPECT_EQ(testing_support::ReadFileBytes(h_.File("data/save1.dat")), std::string(512, '\0'))
      << "a new game writes no save";
}

TEST_F(CampaignRunTest, FirstStageClearBriefingAutosaveAndNextStage) {
  WriteTheSecondStage();
  game.saveSlot = 1;
  ASSERT_TRUE(h_.LoadStage(ExitRoom(0, 0)));
  h_.Hold(10);
  std::string saved;
  LeaveTheFirstStageForTheSecond(&saved);
}

struct ClearCase {
  const char* name;
  int nodeArea, nodeIndex;
  int doorFlag;                 // save-record byte of the node's door
  std::initializer_list<int> opened;  // stage flags set by the clear
};

TEST_F(CampaignRunTest, ClearBookkeepingMatchesTheSaveRecord) {
  const ClearCase cases[] = {
      {"stern first door", 0, 0, 230, {71, 72}},
      {"stern to the general section", 0, 3, 233, {74, 76}},
      {"general section branch", 1, 3, 238, {80, 81, 82, 83}},
      {"ventilation, last door", 3, 9, 259, {97, 116}},
      {"bow, last door", 7, 6, 283, {131}},
  };
  for (const ClearCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::fill(std::begin(game.saveRecord), std::end(game.saveRecord), 0);
    ASSERT_TRUE(h_.LoadStage(ExitRoom(c.nodeArea, c.nodeIndex)));
    h_.Hold(10);
    WalkToDoorAndLeave();
    ASSERT_EQ(game.gameState, STATE_BRIEFING_MAP);
    h_.Hold(1);
    const uint8_t* r = game.saveRecord;
    EXPECT_EQ(r[c.doorFlag], 1);
    int set = 0;
    for (int i = 71; i <= 131; ++i) set += r[i] != 0;
    EXPECT_EQ(set, static_cast<int>(c.opened.size()));
    for (int at : c.opened) EXPECT_EQ(r[at], 1) << at;
    EXPECT_EQ(r[6], c.nodeArea);
    EXPECT_EQ(r[7], c.nodeIndex);
    EXPECT_EQ(testing_support::ReadFileBytes(h_.File("data/save1.dat")),
              std::string(reinterpret_cast<const char*>(r), 512));
    game.briefing.Delete();
  }
}

}  // namespace
