// The campaign from the title: a new game in an empty slot, the first stage walked to its
// exit door, the stage result and briefing with its autosave, the next stage chosen on the
// route page; and the clear bookkeeping of several doors against the save record.
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
#include "tests/game/mission/mission_harness.h"
#include "tests/support/image_fixture.h"
#include "tests/support/stage_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using mission_test::MissionHarness;
using testing_support::StageRecordBuilder;
namespace key = platform::key;

constexpr int kFloorRow = 10;

// A floor, the start at column 3 and one exit door (code 2) at column 6 leading to the node.
std::string ExitRoom(int nodeArea, int nodeIndex, int targets = 0) {
  StageRecordBuilder b;
  b.Row(kFloorRow, 0, 19, 25).Tile(3, kFloorRow - 1, 95).Tile(6, kFloorRow - 2, 2).Door(2, nodeArea, nodeIndex);
  (void)targets;
  return b.bytes();
}

class CampaignRunTest : public ::testing::Test {
 protected:
  void Press(int k) {
    h_.Hold(1, {k});
    h_.Hold(1);
  }
  void WalkToDoorAndLeave() {
    for (int f = 0; f < 300 && player.x < 6 * 40 + 20; ++f) h_.Hold(1, {key::kRight});
    h_.Hold(2);
    h_.Hold(1, {key::kUp});
    ASSERT_EQ(player.action, 40) << "x " << player.x << " y " << player.y << " scroll " << game.scrollX << " lock " << int(player.locked) << " door " << player.touchingDoor;
    for (int f = 0; f < 100 && game.gameState == STATE_STAGE_PLAY; ++f) h_.Hold(1);
  }
  // Runs frames until the briefing's page is open for input.
  void UntilOpen(int page) {
    for (int f = 0; f < 100 && !(game.screenTimer == page && game.screenEntered == briefing_phase::kOpen); ++f) {
      h_.Hold(1);
    }
    ASSERT_EQ(game.screenTimer, page);
    ASSERT_EQ(game.screenEntered, briefing_phase::kOpen);
    // The first open frame without a key clears the press that changed the page.
    h_.Hold(1);
  }

  MissionHarness h_;
};

TEST_F(CampaignRunTest, TitleNewGameFirstStageClearBriefingAutosaveAndNextStage) {
  h_.WriteData("bin/1-1", ExitRoom(0, 0));
  StageRecordBuilder second;
  second.Row(kFloorRow, 0, 19, 25).Tile(8, kFloorRow - 1, 95);
  h_.WriteData("bin/1-2", second.bytes());

  game.gameState = STATE_TITLE;
  game.screenEntered = 0;
  game.menuCursor = 0;
  h_.Hold(2);
  Press(key::kZ);
  ASSERT_EQ(game.gameState, STATE_SAVE_SELECT);
  for (int f = 0; f < 100 && game.saveSelect->phase() != SaveSelect::kChooseSlot; ++f) h_.Hold(1);
  Press(key::kZ);  // slot 1
  Press(key::kZ);  // start
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

  WalkToDoorAndLeave();
  ASSERT_EQ(game.gameState, STATE_BRIEFING_MAP);
  h_.Hold(1);  // the briefing's entry: autosave, music, scroll
  const std::string saved = testing_support::ReadFileBytes(h_.File("data/save1.dat"));
  ASSERT_EQ(saved.size(), 512u);
  EXPECT_EQ(saved, std::string(reinterpret_cast<const char*>(game.saveRecord), 512));
  EXPECT_EQ(saved[0], 1);
  EXPECT_EQ(saved[230], 1) << "the door left by is marked";
  EXPECT_EQ(saved[71], 1) << "clearing room 0 of area 0 opens stages 1-1 and 1-2";
  EXPECT_EQ(saved[72], 1);
  EXPECT_EQ(saved[6], 0);
  EXPECT_EQ(saved[7], 0);

  UntilOpen(briefing_page::kMain);
  Press(key::kZ);  // choose the next stage
  UntilOpen(briefing_page::kRoute);
  Press(key::kZ);
  EXPECT_EQ(game.gameState, STATE_BRIEFING_MAP) << "confirm before a branch is chosen does nothing";
  Press(key::kRight);
  EXPECT_EQ(campaign.routeChosen, 1);
  EXPECT_EQ(game.area, 0);
  EXPECT_EQ(game.subStage, 1);
  Press(key::kZ);
  for (int f = 0; f < 10 && game.gameState != STATE_STAGE_PLAY; ++f) h_.Hold(1);
  ASSERT_EQ(game.gameState, STATE_STAGE_PLAY);
  h_.Hold(2);
  EXPECT_EQ(game.briefing.get(), nullptr) << "mission play deletes the briefing";
  EXPECT_EQ(player.x, 8 * 40 + 20);

  // The autosave read back as the save-slot screen reads it.
  SaveSelect slots;
  EXPECT_TRUE(slots.slot(0).Used());
  EXPECT_EQ(slots.slot(0).character, 0);
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
