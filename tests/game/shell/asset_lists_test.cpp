#include "game/shell/asset_lists.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "runtime/api.h"
#include "runtime/image/graph_table.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

// The lists run on a started runtime; a slot that a list tried to fill holds -1 for a
// missing file and a graph for a present one, a slot it did not touch stays 0.
class AssetListsTest : public shell_test::ShellTest {
 protected:
  void SetUp() override {
    ChangeWindowMode(1);
    ASSERT_EQ(InitLibrary(), 0);
  }

  std::set<int> TriedSlots(int first, int last) const {
    std::set<int> tried;
    for (int slot = first; slot <= last; ++slot) {
      if (game.graphs[slot] != 0) tried.insert(slot);
    }
    return tried;
  }

  static int LiveGraphs() { return rt::GetGraphManager().table.count(); }

  void WritePicture(const std::string& path) { WriteData(path, SolidPng(8, 8, {1, 2, 3, 255})); }
};

TEST_F(AssetListsTest, ScreenSetsReplaceEachOther) {
  WritePicture("gsx/ef_01.png");
  WritePicture("patch/option.png");
  game.gameState = STATE_TITLE;
  LoadScreenGraphics();
  EXPECT_EQ(TriedSlots(0, 189), (std::set<int>{2, 60, 75, 78, 79, 80}));
  EXPECT_GT(game.graphs[2], 0);
  const int live = LiveGraphs();

  game.gameState = STATE_OPTIONS;
  LoadScreenGraphics();
  EXPECT_EQ(TriedSlots(0, 189), (std::set<int>{1, 61, 62, 63, 66, 85}));
  EXPECT_GT(game.graphs[61], 0);
  EXPECT_EQ(LiveGraphs(), live) << "the logo sheet was deleted as the options picture came";

  game.gameState = STATE_EVENT_ONLY + 1;
  LoadScreenGraphics();
  EXPECT_TRUE(TriedSlots(0, 189).empty()) << "a state without a set only frees";
  EXPECT_EQ(LiveGraphs(), live - 1);
}

TEST_F(AssetListsTest, EnemySheetsWithAnEmptyTableAndForTheEditor) {
  LoadEnemyGraphics(0);
  EXPECT_EQ(TriedSlots(30, 52), (std::set<int>{31, 32, 33, 34, 38}));

  game.gameState = STATE_EDITOR;
  LoadScreenGraphics();
  std::set<int> every;
  for (int slot = 31; slot <= 52; ++slot) {
    if (slot != 39) every.insert(slot);
  }
  every.insert(14);
  every.insert(75);
  std::set<int> tried = TriedSlots(0, 189);
  EXPECT_EQ(tried, every);
}

TEST_F(AssetListsTest, EnemySheetsFollowTheKinds) {
  const int kinds[] = {4, 16, 21, 21};
  LoadEnemySheetsForKinds(kinds, 0);
  EXPECT_EQ(TriedSlots(30, 52), (std::set<int>{31, 32, 33, 34, 35, 38, 40, 42, 51, 52}));
}

TEST_F(AssetListsTest, SheetsReloadedEveryStageDoNotLeakHandles) {
  WritePicture("patch/92.png");
  WritePicture("gsx/camera03.png");
  WritePicture("csx/1/10.png");
  WritePicture("csx/1/100.png");
  LoadMapChips();
  LoadEnemyGraphics(0);
  const int live = LiveGraphs();
  EXPECT_GT(game.graphs[163], 0);
  EXPECT_GT(game.graphs[130], 0);
  EXPECT_GT(game.graphs[170], 0);
  for (int stage = 0; stage < 3; ++stage) {
    LoadMapChips();
    LoadEnemyGraphics(0);
  }
  EXPECT_EQ(LiveGraphs(), live);
}

TEST_F(AssetListsTest, MapChipsComeFromTheAreasFolder) {
  struct Case {
    const char* name;
    uint8_t mode, character, area, subStage;
    const char* path;  // where chip "10" is looked for
  };
  const Case cases[] = {
      {"story", kModeStory, 0, 2, 0, "csx/3/10.png"},
      {"area 1, sub-stage 10", kModeStory, 1, 1, 10, "csx/6/10.png"},
      {"third character", kModeThirdStory, 2, 1, 10, "csx/2/10.png"},
      {"third character in test play", kModeEditorTestPlay, 2, 1, 10, "csx/6/10.png"},
      {"VR", kModeVr, 0, 3, 0, "patch/13/10.png"},
  };
  for (const Case& c : cases) {
    WritePicture(c.path);
    game.gameMode = c.mode;
    game.character = c.character;
    game.area = c.area;
    game.subStage = c.subStage;
    LoadMapChips();
    EXPECT_GT(game.graphs[130], 0) << c.name;
    EXPECT_EQ(game.graphs[131], -1) << c.name;
    std::filesystem::remove(File(c.path));
  }
  game.gameMode = kModeVr;
  game.graphs[170] = 0;
  LoadMapChips();
  EXPECT_EQ(game.graphs[170], 0) << "VR keeps the first area's extra chips out";
}

TEST_F(AssetListsTest, BackgroundLayersByModeCharacterAndStage) {
  struct Case {
    const char* name;
    uint8_t mode, character, mission, area, subStage;
    std::set<int> layers;
  };
  const Case cases[] = {
      {"VR area 1", kModeVr, 0, 1, 1, 0, {180}},
      {"VR area 4 has none", kModeVr, 0, 1, 4, 0, {}},
      {"third story mission 11", kModeThirdStory, 2, 11, 0, 0, {182, 183}},
      {"third story mission 24", kModeThirdStory, 2, 24, 0, 0, {180, 181, 182, 183}},
      {"third story past 24", kModeThirdStory, 2, 25, 0, 0, {}},
      {"third character in story mode goes by area", kModeStory, 2, 11, 2, 0, {180, 181, 182, 183}},
      {"area 3 inside", kModeStory, 0, 1, 3, 2, {182, 183}},
      {"area 3 start", kModeStory, 0, 1, 3, 1, {180, 181}},
      {"area 7 sub-stage 5", kModeStory, 0, 1, 7, 5, {180, 181, 182}},
      {"past the ship", kModeStory, 0, 1, 9, 0, {180, 181}},
  };
  for (const Case& c : cases) {
    game.gameState = STATE_STAGE_PLAY;
    game.gameMode = c.mode;
    game.character = c.character;
    game.missionNumber = c.mission;
    game.area = c.area;
    game.subStage = c.subStage;
    LoadScreenGraphics();
    EXPECT_EQ(TriedSlots(180, 189), c.layers) << c.name;
  }
  EXPECT_EQ(TriedSlots(0, 27).size(), 27u) << "slot 8 is the only gap of the mission set";
}

TEST_F(AssetListsTest, PlayerSpritesByCharacterAndCostume) {
  WritePicture("patch/o_suvel1.png");
  game.character = 2;
  game.costume = 1;
  LoadCommonGraphics();
  EXPECT_GT(game.graphs[100], 0);
  EXPECT_EQ(TriedSlots(100, 129), (std::set<int>{100, 101, 102, 103, 110, 111, 112, 129}));

  game.costume = 2;
  LoadPlayerSprites();
  EXPECT_EQ(TriedSlots(100, 112), (std::set<int>{103, 110, 111, 112})) << "no sheets for costume 2";
  game.character = 3;
  LoadPlayerSprites();
  EXPECT_EQ(TriedSlots(100, 112), (std::set<int>{103}));
}

TEST_F(AssetListsTest, SoundEffectsFillTheirSlots) {
  WriteData("efx/17_cursor_01.wav",
            testing_support::PcmWav(testing_support::SineTone(1, 22050, 0.1, 440.0), 1, 22050));
  LoadSoundEffects();
  EXPECT_GT(game.sounds[17], 0);
  EXPECT_EQ(game.sounds[18], -1);
  EXPECT_STREQ(kSoundEffectPaths[38], "patch/38_vr_comp.ogg");
}

}  // namespace
