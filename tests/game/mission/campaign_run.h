// The campaign tests' fixture: the headless harness with stages of one floor and an exit
// door, the walk to that door, and the briefing's pages.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "game/shell/briefing_screen.h"
#include "game/shell/campaign_state.h"
#include "game/shell/game_data.h"
#include "game/shell/save_select.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"
#include "tests/support/temp_dir.h"

namespace campaign_test {

using mission_test::MissionHarness;
using testing_support::StageRecordBuilder;
namespace key = platform::key;

constexpr int kFloorRow = 10;

// A floor, the start at column 3 and one exit door (code 2) at column 6 leading to the node.
inline std::string ExitRoom(int nodeArea, int nodeIndex) {
  StageRecordBuilder b;
  b.Row(kFloorRow, 0, 19, 25).Tile(3, kFloorRow - 1, 95).Tile(6, kFloorRow - 2, 2).Door(2, nodeArea, nodeIndex);
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
  // From the title: new game, the first slot (empty), start.
  void NewGameFromTheTitle() {
    game.gameState = STATE_TITLE;
    game.screenEntered = 0;
    game.menuCursor = 0;
    h_.Hold(2);
    Press(key::kZ);
    ASSERT_EQ(game.gameState, STATE_SAVE_SELECT);
    for (int f = 0; f < 100 && game.saveSelect->phase() != SaveSelect::kChooseSlot; ++f) h_.Hold(1);
    Press(key::kZ);  // slot 1
    Press(key::kZ);  // start
  }
  // Stage 1-2: a floor with the start at column 8.
  void WriteTheSecondStage() {
    StageRecordBuilder second;
    second.Row(kFloorRow, 0, 19, 25).Tile(8, kFloorRow - 1, 95);
    h_.WriteData("bin/1-2", second.bytes());
  }
  // From the briefing's entry: the main page, the route page where confirm waits for a
  // branch, the second branch (stage 1-2) chosen and started.
  void ChooseTheSecondStageOnTheRoutePage() {
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
  }

  // The first stage left by its exit door: the briefing's autosave (kept in *saved), the
  // second stage chosen on the route page, and the slot as the save-slot screen reads it.
  void LeaveTheFirstStageForTheSecond(std::string* saved) {
    WalkToDoorAndLeave();
    ASSERT_EQ(game.gameState, STATE_BRIEFING_MAP);
    h_.Hold(1);  // the briefing's entry: autosave, music, scroll
    *saved = testing_support::ReadFileBytes(h_.File("data/save1.dat"));
    ASSERT_EQ(saved->size(), 512u);
    EXPECT_EQ(*saved, std::string(reinterpret_cast<const char*>(game.saveRecord), 512));
    EXPECT_EQ((*saved)[230], 1) << "the door left by is marked";
    EXPECT_EQ((*saved)[71], 1) << "clearing room 0 of area 0 opens stages 1-1 and 1-2";
    EXPECT_EQ((*saved)[72], 1);

    ChooseTheSecondStageOnTheRoutePage();

    SaveSelect slots;
    EXPECT_TRUE(slots.slot(0).Used());
    EXPECT_EQ(slots.slot(0).character, 0);
  }

  MissionHarness h_;
};

}  // namespace campaign_test
