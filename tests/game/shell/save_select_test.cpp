#include "game/shell/save_select.h"

#include <gtest/gtest.h>

#include <string>

#include "game/shell/asset_lists.h"
#include "runtime/api.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

using shell_test::GameRunTest;
namespace key = platform::key;

// A used save record of the given character with a few counters set.
std::string UsedRecord(int character, int inUse = 1) {
  std::string r(512, '\0');
  r[0] = static_cast<char>(inUse);
  r[10] = static_cast<char>(character);
  r[12] = 1;
  r[490] = 1;
  r[491] = 2;  // 258 detections
  r[493] = 7;
  r[300] = 10;
  r[360] = 5;
  r[500] = 7;
  r[501] = static_cast<char>(215);
  return r;
}

class SaveSelectTest : public GameRunTest {
 protected:
  void SetUp() override {
    for (const char* picture : {"patch/start_menu.png", "gsx/briefing11.png", "gsx/briefing_back.png"}) {
      WriteData(picture, SolidPng(64, 64, {40, 40, 90, 255}));
    }
    WriteData("efx/30_jamar.wav", testing_support::PcmWav(testing_support::SineTone(1, 22050, 1.0, 300.0), 1, 22050));
    StartToTitle();
  }

  // Confirms the title's first entry and waits out the fade-in.
  void Enter() {
    ASSERT_EQ(game.menuCursor, 0);
    Frame({key::kZ});
    ASSERT_EQ(game.gameState, STATE_SAVE_SELECT);
    ASSERT_NE(game.saveSelect.get(), nullptr);
    for (int i = 0; i < 100 && screen().phase() != SaveSelect::kChooseSlot; ++i) Frame();
    ASSERT_EQ(screen().phase(), SaveSelect::kChooseSlot);
  }

  SaveSelect& screen() { return *game.saveSelect.get(); }

  // Opens the action menu of a slot and picks one of its words.
  void ChooseAction(int slot, int word) {
    while (game.menuCursor != slot) Press(key::kDown);
    Press(key::kZ);
    ASSERT_EQ(screen().phase(), SaveSelect::kActionMenu);
    while (game.screenFade != word) Press(key::kDown);
    Press(key::kZ);
  }
};

TEST_F(SaveSelectTest, SlotsAreReadWithTheirSummaryAndMissingOnesMadeEmpty) {
  WriteData("data/save2.dat", UsedRecord(1));
  WriteData("data/save3.dat", UsedRecord(0, 4));
  Enter();
  const std::string made = testing_support::ReadFileBytes(File("data/save1.dat"));
  EXPECT_EQ(made, std::string(512, '\0'));
  EXPECT_FALSE(screen().slot(0).Used());
  const SaveSlotInfo& used = screen().slot(1);
  EXPECT_TRUE(used.Used());
  EXPECT_EQ(used.character, 1);
  EXPECT_EQ(used.difficulty, 1);
  EXPECT_EQ(used.detections, 258);
  EXPECT_EQ(used.incapacitations, 7);
  EXPECT_EQ(used.targetsDestroyed, 15);
  EXPECT_EQ(used.year, 2007);
  EXPECT_FALSE(screen().slot(2).Used()) << "an in-use byte above 3 is an empty slot";
}

TEST_F(SaveSelectTest, LeavingFreesTheScreensOwnPictures) {
  Enter();
  const int pictures[3] = {screen().pictures()[0], screen().pictures()[1], screen().pictures()[2]};
  for (int graph : pictures) ASSERT_NE(graph, -1);
  Frame({key::kX});
  EXPECT_EQ(screen().phase(), SaveSelect::kFadeToTitle);
  FramesWhileIn(STATE_SAVE_SELECT);
  EXPECT_EQ(game.gameState, STATE_TITLE);
  EXPECT_EQ(game.screenEntered, 0);
  Frame();
  EXPECT_EQ(game.saveSelect.get(), nullptr) << "the title's entry deletes the screen";
  for (int graph : pictures) EXPECT_EQ(DeleteGraph(graph, 0), -1) << "already freed";
}

TEST_F(SaveSelectTest, DeletingASlotWritesAWholeEmptyRecord) {
  WriteData("data/save1.dat", UsedRecord(0));
  Enter();
  ChooseAction(0, 1);
  ASSERT_EQ(screen().phase(), SaveSelect::kConfirmDelete);
  EXPECT_EQ(game.screenFade, 1) << "the answer starts on the action menu's row: no";
  Press(key::kDown);
  ASSERT_EQ(game.screenFade, 0);
  Frame({key::kZ});
  EXPECT_EQ(screen().phase(), SaveSelect::kChooseSlot);
  EXPECT_EQ(CheckSoundPlaying(game.sounds[30]), 1);
  EXPECT_EQ(testing_support::ReadFileBytes(File("data/save1.dat")), std::string(512, '\0'));
  const SaveSlotInfo& slot = screen().slot(0);
  EXPECT_FALSE(slot.Used());
  EXPECT_EQ(slot.detections, 0);
  EXPECT_EQ(slot.targetsDestroyed, 0);
}

TEST_F(SaveSelectTest, NoToTheDeleteGoesBackToTheMenuAndDeleteOnAnEmptySlotDoesNothing) {
  WriteData("data/save1.dat", UsedRecord(0));
  Enter();
  ChooseAction(0, 1);
  Press(key::kZ);  // "いいえ"
  EXPECT_EQ(screen().phase(), SaveSelect::kActionMenu);
  EXPECT_EQ(testing_support::ReadFileBytes(File("data/save1.dat")), UsedRecord(0));

  Press(key::kX);
  ASSERT_EQ(screen().phase(), SaveSelect::kChooseSlot);
  ChooseAction(1, 1);
  EXPECT_EQ(screen().phase(), SaveSelect::kActionMenu);
}

struct StartCase {
  const char* name;
  int inUse, character;
  bool secondStoryUnlocked;
  int trial12, trial13;  // -1: no "trial.dat"
  int state, mode;
};

class SaveSelectStartTest : public SaveSelectTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(SaveSelectStartTest, StartRoutesBySlotAndUnlocks) {
  const StartCase& c = GetParam();
  const std::string stored = c.inUse != 0 ? UsedRecord(c.character, c.inUse) : std::string(512, '\0');
  WriteData("data/save2.dat", stored);
  if (c.trial12 >= 0) {
    std::string trial(50, '\0');
    trial[12] = static_cast<char>(c.trial12);
    trial[13] = static_cast<char>(c.trial13);
    WriteData("trial.dat", trial);
  }
  game.prefsFile[15] = c.secondStoryUnlocked ? 1 : 0;
  Enter();
  ChooseAction(1, 0);
  EXPECT_EQ(screen().phase(), SaveSelect::kFadeToStart);
  FramesWhileIn(STATE_SAVE_SELECT, 60);
  EXPECT_EQ(game.gameState, c.state);
  EXPECT_EQ(game.gameMode, c.mode);
  EXPECT_EQ(game.saveSlot, 2);
  EXPECT_EQ(game.screenEntered, 0);
  if (c.state == STATE_EVENT_ONLY || c.state == STATE_TRIAL_BONUS) {
    EXPECT_EQ(game.character, 0);
    EXPECT_EQ(game.saveRecord[0], 1) << "the record image is filled";
    EXPECT_EQ(testing_support::ReadFileBytes(File("data/save2.dat")), stored) << "the file is not written yet";
    EXPECT_EQ(CheckMusicPlaying(), 0);
  }
  if (c.state == STATE_BRIEFING_MAP || c.state == STATE_MISSION_BRIEFING) {
    EXPECT_EQ(game.character, c.character);
    EXPECT_EQ(game.detections, 258) << "the save was read";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Routes, SaveSelectStartTest,
    ::testing::Values(StartCase{"UsedSlot", 1, 0, false, -1, 0, STATE_BRIEFING_MAP, kModeStory},
                      StartCase{"UsedSlotOfTheThirdCharacter", 3, 2, false, -1, 0, STATE_MISSION_BRIEFING,
                                kModeThirdStory},
                      StartCase{"EmptySlotAfterTheUnlock", 0, 0, true, 1, 1, STATE_NEW_GAME_SETUP, kModeStory},
                      StartCase{"EmptySlot", 0, 0, false, -1, 0, STATE_EVENT_ONLY, kModeStory},
                      StartCase{"InUseByteAboveThree", 4, 1, false, -1, 0, STATE_EVENT_ONLY, kModeStory},
                      StartCase{"EmptySlotWithTheTrialBonus", 0, 0, false, 1, 2, STATE_TRIAL_BONUS, kModeStory},
                      StartCase{"EmptySlotWithOneTrialFlag", 0, 0, false, 1, 0, STATE_EVENT_ONLY, kModeStory}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

}  // namespace
