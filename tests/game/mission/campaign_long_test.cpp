// Each character's campaign played headless from the title to the end: a new game, the
// opening scenes, every stage on the shortest road to the ending walked along the routes the
// data set's route finder plans (the third character's 24 missions in turn), the briefings
// and their route choices in between, the talks confirmed as a player would, the ending scene,
// the staff roll, the unlock notices and the settings file with the second story unlocked, and
// a new game that then offers the choice of character. The driver (campaign_driver.h) also
// prints, per stage, the map mechanics met on the road.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "game/shell/game_data.h"
#include "game/shell/user_files.h"
#include "game/story/story_scene.h"
#include "platform/input.h"
#include "tests/game/mission/campaign_driver.h"
#include "tests/game/mission/mission_harness.h"
#include "tools/dataset/asset_list.h"

namespace {

using mission_test::MissionHarness;
using mission_test::campaign::Driver;

struct CampaignCase {
  int character;
  int endingScene;
};

class CampaignLongTest : public ::testing::TestWithParam<CampaignCase> {
 protected:
  void SetUp() override {
    for (const dataset::AssetEntry& e : dataset::AssetList()) {
      if (e.format == dataset::AssetFormat::kTable) h_.WriteData(e.path, e.table());
    }
    ReadDoorTable();
    ReadEventTable();
    ReadCinemaTable();
  }

  // The title shown at once, its menu on the first entry.
  int StartNewGame(int slot) {
    game.gameState = STATE_TITLE;
    game.screenEntered = 0;
    game.menuCursor = 0;
    return d_.StartFromTitle(slot);
  }

  MissionHarness h_;
  Driver d_{h_};
};

TEST_P(CampaignLongTest, NewGameToTheEndingAndTheCharacterChoice) {
  const CampaignCase& c = GetParam();
  // The first story is played from a new installation; the others once it has unlocked them.
  game.prefsFile[settings_byte::kSecondStoryUnlocked] = c.character == 0 ? 0 : 1;
  const int started = StartNewGame(0);
  if (c.character == 0) {
    ASSERT_EQ(started, STATE_EVENT_ONLY) << "a new installation starts the first story at once";
  } else {
    ASSERT_EQ(started, STATE_NEW_GAME_SETUP);
    d_.ChooseCharacter(c.character);
    ASSERT_EQ(game.gameState, STATE_EVENT_ONLY);
  }
  ASSERT_EQ(game.character, c.character);

  d_.PlayUntil(c.endingScene, [] { return false; });
  if (HasFatalFailure()) return;
  ASSERT_TRUE(Driver::EndingRuns() || game.gameState == STATE_ENDING_START) << d_.road();
  EXPECT_TRUE(d_.scenes().count(c.endingScene)) << d_.Seen();

  // The ending scene, the staff roll and the notices, confirm pressed throughout.
  bool staffRoll = false, notice = false;
  for (int f = 0; f < 60000 && game.gameState != STATE_TITLE; ++f) {
    staffRoll = staffRoll || (game.storyScene && game.storyScene->scene() == 0);
    notice = notice || game.gameState == STATE_UNLOCK_NOTICE;
    d_.Confirm(f);
  }
  ASSERT_EQ(game.gameState, STATE_TITLE) << "the ending did not lead back to the title: state " << game.gameState;
  EXPECT_TRUE(staffRoll);
  EXPECT_TRUE(notice);
  EXPECT_NE(game.prefsFile[settings_byte::kSecondStoryUnlocked], 0);
  std::ifstream in(h_.File(kSettingsPath), std::ios::binary);
  const std::string settings((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(settings.size(), static_cast<size_t>(settings_byte::kSecondStoryUnlocked));
  EXPECT_NE(settings[settings_byte::kSecondStoryUnlocked], 0) << "the unlock was written";

  std::cout << "character " << c.character << ": " << d_.stages() << " stages, " << d_.frames() << " frames: " << d_.road()
            << "\n  " << d_.Seen() << "\n";
  for (const std::string& line : d_.mechanicsLines()) std::cout << "  " << line << "\n";

  // The next new game, in the second slot, offers the choice of character.
  EXPECT_EQ(StartNewGame(1), STATE_NEW_GAME_SETUP);
}

INSTANTIATE_TEST_SUITE_P(Characters, CampaignLongTest,
                         ::testing::Values(CampaignCase{0, 15}, CampaignCase{1, 16}, CampaignCase{2, 140}),
                         [](const auto& info) { return "Character" + std::to_string(info.param.character); });

}  // namespace
