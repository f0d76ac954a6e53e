// The end of the first two characters' roads on the generated data set: the last stage
// walked along its planned route to the ending's trigger, the ending scene with its talks,
// the staff roll, the unlock notices and the settings file with the second story unlocked,
// so that the next new game offers the choice of character.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/mission/enemies.h"
#include "game/shell/game_data.h"
#include "game/shell/startup_tables.h"
#include "game/shell/user_files.h"
#include "game/story/story_scene.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/game/mission/route_walker.h"
#include "tools/dataset/asset_list.h"
#include "tools/dataset/stage_maps.h"
#include "tools/dataset/stage_route.h"

namespace {

using mission_test::MissionHarness;
namespace sr = stage_route;
namespace key = platform::key;

struct EndingCase {
  int character;
  const char* stagePath;
  int scene;
};

class CampaignEndingTest : public ::testing::TestWithParam<EndingCase> {
 protected:
  // The data set's tables, stage records and scripts; pictures and sounds stay missing,
  // which the game draws and plays as nothing.
  void WriteTablesAndScripts() {
    for (const dataset::AssetEntry& e : dataset::AssetList()) {
      if (e.format == dataset::AssetFormat::kTable) h_.WriteData(e.path, e.table());
    }
    ReadDoorTable();
    ReadEventTable();
    ReadCinemaTable();
  }

  // Frames with confirm pressed every other frame, until the state is reached.
  bool ConfirmUntil(int state, int frames) {
    for (int f = 0; f < frames && game.gameState != state; ++f) h_.Frame(f % 2 == 0 ? std::vector<int>{key::kZ} : std::vector<int>{});
    return game.gameState == state;
  }

  MissionHarness h_;
};

TEST_P(CampaignEndingTest, LastStageLeadsThroughTheEndingToTheCharacterChoice) {
  const EndingCase& c = GetParam();
  WriteTablesAndScripts();
  std::string record;
  for (const dataset::StageInfo& s : dataset::BuiltInStages()) {
    if (s.path == c.stagePath) record = dataset::StageRecord(s);
  }
  ASSERT_EQ(record.size(), 3000u);
  game.character = static_cast<uint8_t>(c.character);
  game.gameMode = kModeStory;
  game.difficulty = 0;
  // The second story is played once the first has unlocked it.
  game.prefsFile[settings_byte::kSecondStoryUnlocked] = c.character == 0 ? 0 : 1;
  game.area = 7;
  game.subStage = 7;
  ASSERT_TRUE(h_.LoadCurrentStage());
  ResetEnemies();
  for (int f = 0; f < 30 && !mission_test::Standing(); ++f) h_.Frame({});

  const sr::StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
  std::vector<sr::Move> plan = sr::PlanFromStart(map, sr::Target::Door(sr::DoorCodes(map).at(0)));
  ASSERT_FALSE(plan.empty());
  mission_test::Walker walker(h_);
  for (const sr::Move& m : plan) {
    if (game.storyScene) break;
    std::string why;
    walker.Play(m, why);
  }
  ASSERT_TRUE(game.storyScene) << "the ending's trigger was not on the road";
  EXPECT_EQ(game.storyScene->scene(), c.scene);

  ASSERT_TRUE(ConfirmUntil(STATE_ENDING_START, 20000)) << "the ending scene did not end: state " << game.gameState << ", step "
                                                         << (game.storyScene ? game.storyScene->step() : -1) << ", scrollY " << game.scrollY << ", player y " << player.y << ", action " << int(player.action) << ", screensY " << int(game.stageScreensY);
  bool staffRoll = false, notice = false;
  for (int f = 0; f < 20000 && game.gameState != STATE_TITLE; ++f) {
    staffRoll = staffRoll || (game.storyScene && game.storyScene->scene() == 0);
    notice = notice || game.gameState == STATE_UNLOCK_NOTICE;
    h_.Frame(f % 2 == 0 ? std::vector<int>{key::kZ} : std::vector<int>{});
  }
  EXPECT_TRUE(staffRoll);
  EXPECT_TRUE(notice);
  ASSERT_EQ(game.gameState, STATE_TITLE) << "the staff roll and the notices did not end";
  EXPECT_NE(game.prefsFile[settings_byte::kSecondStoryUnlocked], 0);
  std::ifstream in(h_.File(kSettingsPath), std::ios::binary);
  const std::string settings((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(settings.size(), static_cast<size_t>(settings_byte::kSecondStoryUnlocked));
  EXPECT_NE(settings[settings_byte::kSecondStoryUnlocked], 0) << "the unlock was not written";
}

INSTANTIATE_TEST_SUITE_P(Characters, CampaignEndingTest,
                         ::testing::Values(EndingCase{0, "bin/8-8", 15}, EndingCase{1, "bin/m_8-8", 16}),
                         [](const auto& info) { return "Character" + std::to_string(info.param.character); });

}  // namespace
