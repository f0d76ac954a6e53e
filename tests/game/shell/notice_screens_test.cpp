#include "game/shell/notice_screens.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/shell/asset_lists.h"
#include "runtime/api.h"
#include "tests/game/shell/notice_fixture.h"
#include "tests/game/shell/shell_fixture.h"
#include "tests/support/stage_fixture.h"

namespace {

using shell_test::NoticeTest;
using shell_test::Xrgb;
namespace key = platform::key;

// ---- Unlock notices ----

struct UnlockCase {
  const char* name;
  int character, difficulty, targets, detections, incapacitations;
  std::vector<int> alreadySet;
  bool missionsWellDone;
  std::vector<int> granted;  // in the order shown
};

class UnlockNoticeTest : public NoticeTest, public ::testing::WithParamInterface<UnlockCase> {
 protected:
  // Runs the notices to the title with confirm held; the settings bytes granted, in order.
  std::vector<int> RunNotices() {
    Enter(STATE_UNLOCK_NOTICE);
    std::vector<int> granted;
    uint8_t before[kSettingsBytes];
    for (int frame = 0; frame < 3000 && game.gameState == STATE_UNLOCK_NOTICE; ++frame) {
      std::memcpy(before, game.prefsFile, sizeof before);
      Frame({key::kZ});
      for (int i = 0; i < kSettingsBytes; ++i) {
        if (before[i] == 0 && game.prefsFile[i] != 0) granted.push_back(i);
      }
    }
    return granted;
  }
};

TEST_P(UnlockNoticeTest, NoticesFollowTheChainAndASecondClearShowsNothing) {
  const UnlockCase& c = GetParam();
  game.character = static_cast<uint8_t>(c.character);
  game.difficulty = static_cast<uint8_t>(c.difficulty);
  game.targetsDestroyed = static_cast<uint16_t>(c.targets);
  game.detections = static_cast<uint16_t>(c.detections);
  game.incapacitations = static_cast<uint16_t>(c.incapacitations);
  for (int byte : c.alreadySet) game.prefsFile[byte] = 1;
  for (int i = 0; i < 24; ++i) game.saveRecord[400 + i] = c.missionsWellDone ? 100 : (i == 5 ? 99 : 100);

  EXPECT_EQ(RunNotices(), c.granted);
  EXPECT_EQ(game.gameState, STATE_TITLE);
  EXPECT_EQ(game.screenEntered, 0) << "the title runs its entry";
  const std::string stored = testing_support::ReadFileBytes(File("pre.dat"));
  ASSERT_EQ(stored.size(), 50u);
  for (int byte : c.granted) EXPECT_EQ(stored[static_cast<size_t>(byte)], 1) << byte;

  EXPECT_EQ(RunNotices(), std::vector<int>{}) << "a second such clear";
  EXPECT_EQ(CurrentUnlockNotice(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Chain, UnlockNoticeTest,
    ::testing::Values(
        UnlockCase{"FirstNormalClear", 0, 0, 0, 5, 20, {}, false, {22, 15}},
        UnlockCase{"FirstCharacterAllThreeCountersQualify", 0, 0, 152, 0, 0, {22, 15}, false, {27}},
        UnlockCase{"FirstCharacterWithoutDetections", 0, 1, 151, 0, 0, {}, false, {28}},
        UnlockCase{"SecondCharacterTargets", 1, 1, 80, 3, 20, {}, false, {31}},
        UnlockCase{"SecondCharacterFewIncapacitations", 1, 0, 10, 3, 10, {}, false, {33}},
        UnlockCase{"ThirdCharacterAllMissionsOnHard", 2, 1, 0, 3, 20, {}, true, {37, 38, 36}},
        UnlockCase{"ThirdCharacterOneWeakMissionBlocksTheRest", 2, 1, 0, 3, 20, {}, false, {}},
        UnlockCase{"ThirdCharacterNeverGetsTheCounterRows", 2, 1, 200, 0, 0, {}, true, {}}),
    [](const ::testing::TestParamInfo<UnlockCase>& info) { return std::string(info.param.name); });

TEST_F(NoticeTest, UnlockNoticeWaitsBeforeConfirmCounts) {
  game.character = 0;
  Enter(STATE_UNLOCK_NOTICE);
  for (int i = 0; i < 50; ++i) Frame({key::kZ});
  EXPECT_EQ(game.screenTimer, 1) << "still showing";
  ASSERT_NE(CurrentUnlockNotice(), nullptr);
  EXPECT_STREQ(CurrentUnlockNotice(), "ハードモードがプレイ可能になりました。");
  for (int i = 0; i < 60; ++i) Frame();
  EXPECT_EQ(game.screenTimer, 2) << "waiting for confirm";
  Frame({key::kZ});
  EXPECT_EQ(game.screenTimer, 3);
}

// ---- Ending picture ----

// The picture counts its fade in the menu cursor; a cursor left by an earlier screen must
// not shorten it. The long program starts one from cursor 0.
TEST_F(NoticeTest, EndingPictureWaitsForConfirmFromALeftOverCursor) { PlayEndingPicture(7); }

// ---- Trial-clear bonus ----

TEST_F(NoticeTest, TrialBonusStartsANewGameInTheChosenCostume) {
  game.saveSlot = 2;
  game.character = 1;
  game.area = 3;
  player.weapons[5] = 9;
  Enter(STATE_TRIAL_BONUS);
  Frame();
  EXPECT_EQ(game.menuCursor, 0);
  Press(key::kDown);
  EXPECT_EQ(game.menuCursor, 1);
  Frame({key::kZ});
  EXPECT_EQ(game.gameState, STATE_EVENT_ONLY);
  EXPECT_EQ(game.screenEntered, 0);
  EXPECT_EQ(game.costume, 1);
  EXPECT_EQ(game.character, 0);
  EXPECT_EQ(game.area, 0);
  EXPECT_EQ(player.weapons[5], kNotOwned) << "the new game's loadout";
  const std::string saved = testing_support::ReadFileBytes(File("data/save2.dat"));
  ASSERT_EQ(saved.size(), 512u);
  EXPECT_EQ(saved[0], 1);
  EXPECT_EQ(saved[10], 0);
  EXPECT_EQ(saved[11], 1);
}

TEST_F(NoticeTest, TrialBonusCancelReturnsToTheTitle) {
  Enter(STATE_TRIAL_BONUS);
  Frame();
  Frame({key::kX});
  EXPECT_EQ(game.gameState, STATE_TITLE);
  EXPECT_EQ(game.screenEntered, 0);
  EXPECT_FALSE(testing_support::FileExists(File("data/save1.dat")));
}

// ---- Stage load, still picture, ending start ----

TEST_F(NoticeTest, StageLoadCopiesTheSaveIntoTheCheckpointAndGoesToPlayByMode) {
  WriteData("bin/1-1", testing_support::StageRecordBuilder().bytes());
  WriteData("bin/vr_1-1", testing_support::StageRecordBuilder().bytes());
  for (uint8_t mode : {kModeStory, kModeEditorTestPlay, kModeVr, kModeThirdStory}) {
    game.gameMode = mode;
    game.saveRecord[229] = static_cast<uint8_t>(mode + 1);
    game.checkpoint[229] = 0;
    game.paused = 1;
    Enter(STATE_STAGE_LOAD);
    Frame();
    EXPECT_EQ(game.gameState, mode == kModeStory ? STATE_STAGE_PLAY : STATE_STAGE_PLAY_MODE);
    EXPECT_EQ(game.checkpoint[229], mode + 1);
    EXPECT_EQ(game.paused, 0) << "the stage state was reset";
    EXPECT_EQ(game.screenEntered, 0);
  }
}

TEST_F(NoticeTest, StillPictureAndEndingStartStayInTheirStates) {
  for (int state : {STATE_STILL_PICTURE, STATE_ENDING_START}) {
    Enter(state);
    for (int i = 0; i < 3; ++i) Frame({key::kZ});
    EXPECT_EQ(game.gameState, state);
    EXPECT_EQ(game.screenEntered, 1);
  }
}

// ---- Error screens ----

TEST_F(NoticeTest, ErrorScreensShowTheirLinesAndOnlyEscapeLeaves) {
  for (int state : {STATE_FILE_ERROR, STATE_VERSION_ERROR}) {
    Enter(state);
    for (int k : {key::kZ, key::kX, key::kDown}) EXPECT_TRUE(Frame({k}));
    EXPECT_EQ(game.gameState, state);
    int red = 0;
    for (int y = 100; y < 115; ++y) {
      for (int x = 30; x < 300; ++x) red += ShownPixel(x, y) == Xrgb(255, 128, 128);
    }
    EXPECT_GT(red, 10) << state;
  }
  EXPECT_FALSE(Frame({key::kEscape}));
}

}  // namespace
