#include "game/mission/stage_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/mission/enemies.h"
#include "game/mission/map_objects.h"
#include "game/shell/game_data.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace {

using testing_support::StageRecordBuilder;

// The enemies the load put into the table, in slot order.
std::vector<Enemy> Spawned() {
  std::vector<Enemy> out;
  for (const Enemy& e : enemies) {
    if (e.state != 0) out.push_back(e);
  }
  return out;
}

class StageLoaderTest : public ::testing::Test {
 protected:

  // Writes the record as the first stage and runs the loader alone.
  int Load(const std::string& record) {
    h_.WriteData("bin/1-1", record);
    game.gameMode = kModeStory;
    game.character = 0;
    game.area = 0;
    game.subStage = 0;
    ResetStageState();
    return LoadStage(0);
  }

  mission_test::MissionHarness h_;
};

TEST_F(StageLoaderTest, GridDoorsEnemyRecordsAndRulesComeFromTheRecord) {
  StageRecordBuilder b;
  b.Tile(0, 0, 25).Tile(59, 44, 26).Tile(3, 2, 250).Tile(7, 1, 95);
  b.Door(1, 2, 4).Door(9, 7, 10);
  b.Enemy(19, {200, 1, 2, 255, 128, 7, 6, 7, 8, 9});
  b.Size(3, 2).Lights(false).Byte(2924, 1).Byte(2926, 2).Byte(2927, 5);
  b.Byte(2928, 0).Byte(2929, 'A').Byte(2930, 0).Byte(2931, 'C').Byte(2932, 'D');
  ASSERT_EQ(Load(b.bytes()), 0);

  EXPECT_EQ(game.mapGrid[0 * kMapRows + 0], 25);
  EXPECT_EQ(game.mapGrid[59 * kMapRows + 44], 26) << "the grid is column-major";
  EXPECT_EQ(game.mapGrid[3 * kMapRows + 2], 250) << "codes are widened without sign";
  EXPECT_EQ(game.doorDestinations[0][0], 3);
  EXPECT_EQ(game.doorDestinations[0][1], 5);
  EXPECT_EQ(game.doorDestinations[8][0], 8);
  EXPECT_EQ(game.stageEnemyRecords[19][0], 200);
  EXPECT_EQ(game.stageEnemyRecords[19][3], 255) << "bytes are widened without sign";
  EXPECT_EQ(game.stageEnemyRecords[19][4], 128);
  EXPECT_EQ(game.stageScreensX, 3);
  EXPECT_EQ(game.stageScreensY, 2);
  EXPECT_EQ(game.stageFlags[0], 3);
  EXPECT_EQ(game.stageFlags[1], 2);
  EXPECT_EQ(game.stageFlags[2], 0);
  EXPECT_EQ(game.missionRules[1], 1) << "stealth byte";
  EXPECT_EQ(game.reinforcementType, 2);
  EXPECT_EQ(game.missionRules[0], 5);
  const uint8_t rules[5] = {99, 'A', 99, 'C', 'D'};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(game.missionRules[2 + i], rules[i]) << "rule " << 2 + i;
  EXPECT_EQ(player.x, 7 * 40 + 20) << "start tile, world co-ordinates";
  EXPECT_EQ(player.y, 1 * 40);
}

TEST_F(StageLoaderTest, EnemyCellsSpawnInScanOrderWithSignedParameters) {
  StageRecordBuilder b;
  b.Enemy(0, {3, 1, 2, 1, 200, 255, 6, 7, 8, 9}).Enemy(1, {1, 0, 0, 0, 10, 1, 2, 3, 4, 5});
  b.Tile(5, 0, 202).Tile(2, 1, 201).Tile(1, 1, 202).Tile(0, 2, 221).Tile(1, 2, 255);
  ASSERT_EQ(Load(b.bytes()), 0);
  const std::vector<Enemy> spawned = Spawned();
  ASSERT_EQ(spawned.size(), 3u) << "codes 221..255 name no record and are ignored";
  EXPECT_EQ(spawned[0].x, 5 * 40 + 20);
  EXPECT_EQ(spawned[0].y, 20);
  EXPECT_EQ(spawned[0].kind, 1);
  EXPECT_EQ(spawned[0].initialBehaviour, 2);
  EXPECT_EQ(spawned[0].alertBehaviour, 5);
  EXPECT_EQ(spawned[1].x, 1 * 40 + 20) << "rows outer, columns inner";
  EXPECT_EQ(spawned[1].y, 1 * 40 + 20);
  EXPECT_EQ(spawned[2].x, 2 * 40 + 20);
  const Enemy& camera = spawned[2];
  EXPECT_EQ(camera.kind, 3);
  EXPECT_EQ(camera.recordByte1, 1);
  EXPECT_EQ(camera.equipment, 2);
  EXPECT_EQ(camera.facing, 1);
  EXPECT_EQ(camera.param1, 200) << "widened without sign before the 16-bit view";
  EXPECT_EQ(camera.param2, 255);
  EXPECT_EQ(camera.viewAngle, 200.0f) << "a camera looks along its first parameter";
  EXPECT_EQ(camera.cycleCount, 1) << "facing left starts the sweep rising";
  EXPECT_EQ(game.mapObjectCount, 0) << "no map object for enemy cells";
}

TEST_F(StageLoaderTest, CellsBecomeObjectsDecorAndTargets) {
  StageRecordBuilder b;
  b.Tile(0, 0, 3).Tile(1, 0, 20).Tile(2, 0, 20).Tile(3, 0, 190).Tile(4, 0, 130).Tile(5, 0, 65);
  ASSERT_EQ(Load(b.bytes()), 0);
  EXPECT_EQ(game.targetCount, 2);
  ASSERT_EQ(game.mapObjectCount, 4) << "door, two targets, ladder; story object 130 is never made";
  EXPECT_EQ(pools.mapObjects[0].kind, 3);
  EXPECT_EQ(pools.mapObjects[1].kind, 20);
  EXPECT_EQ(pools.mapObjects[3].kind, 65);
  EXPECT_EQ(pools.mapObjects[3].x, 200);
  EXPECT_EQ(pools.decorObjects[0].kind, 190);
  EXPECT_EQ(pools.decorObjects[0].x, 120);
  EXPECT_EQ(pools.decorObjects[1].active, 0);
}

TEST_F(StageLoaderTest, CollectedPickupsAreSkipped) {
  game.saveRecord[181 - 120] = 1;
  StageRecordBuilder b;
  b.Tile(0, 0, 181).Tile(1, 0, 182);
  h_.WriteData("bin/1-1", b.bytes());
  game.gameMode = kModeStory;
  ResetStageState();
  ASSERT_EQ(LoadStage(0), 0);
  ASSERT_EQ(game.mapObjectCount, 1);
  EXPECT_EQ(pools.mapObjects[0].kind, 182);
}

TEST_F(StageLoaderTest, EntryDoorWinsOverTheStartTileOnlyInTheStory) {
  StageRecordBuilder b;
  b.Tile(2, 3, 95).Tile(10, 5, 4).Tile(12, 6, 4);
  struct Case {
    uint8_t mode;
    int16_t entryDoor;
    int x, y;
  };
  for (const Case& c : {Case{kModeStory, 4, 12 * 40 + 20, 6 * 40 + 40}, Case{kModeStory, 0, 2 * 40 + 20, 3 * 40},
                        Case{kModeThirdStory, 4, 2 * 40 + 20, 3 * 40}}) {
    h_.WriteData("bin/1-1", b.bytes());
    ResetStageState();
    game.gameMode = c.mode;
    game.character = 0;
    player.entryDoor = c.entryDoor;
    ASSERT_EQ(LoadStage(0), 0);
    EXPECT_EQ(player.x, c.x) << "mode " << int(c.mode) << " door " << c.entryDoor;
    EXPECT_EQ(player.y, c.y);
  }
}

TEST_F(StageLoaderTest, WithoutAStartTileThePlayerStartsAtTheCorner) {
  player.x = 300;
  player.y = 300;
  ASSERT_EQ(Load(StageRecordBuilder().Tile(5, 5, 25).bytes()), 0);
  EXPECT_EQ(player.x, 0);
  EXPECT_EQ(player.y, 0);
}

TEST_F(StageLoaderTest, MissingShortAndLongFiles) {
  StageRecordBuilder b;
  b.Tile(1, 1, 25).Tile(4, 4, 95);
  ASSERT_EQ(Load(b.bytes()), 0);

  // A longer file is read only as far as the record goes.
  std::string longer = StageRecordBuilder().Tile(2, 2, 26).bytes() + std::string(1000, '\x7f');
  ASSERT_EQ(Load(longer), 0);
  EXPECT_EQ(game.mapGrid[2 * kMapRows + 2], 26);
  EXPECT_EQ(game.stageBuffer[2999], 0);

  // A short file is refused whole: nothing of it reaches the stage buffer.
  const std::string shorter = StageRecordBuilder().Tile(0, 0, 27).bytes().substr(0, 2999);
  EXPECT_EQ(Load(shorter), -1);
  EXPECT_EQ(game.stageBuffer[2 * 60 + 2], 26) << "the buffer keeps the last good record";
  EXPECT_EQ(game.mapObjectCount, 0);

  EXPECT_EQ(Load(""), -1);
  game.subStage = 4;
  EXPECT_EQ(LoadStage(0), -1) << "no such file";
}

TEST_F(StageLoaderTest, StageLoadStateShowsTheMissingDataScreenForABadStage) {
  h_.WriteData("bin/1-1", std::string(100, '\0'));
  game.gameMode = kModeStory;
  game.character = 0;
  game.gameState = STATE_STAGE_LOAD;
  game.screenEntered = 0;
  h_.Frame({});
  EXPECT_EQ(game.gameState, STATE_FILE_ERROR);
  EXPECT_EQ(h_.LoadStage(StageRecordBuilder().bytes()), true);
  EXPECT_EQ(game.gameState, STATE_STAGE_PLAY);
}

struct PathCase {
  uint8_t mode, character, area, subStage, mission;
  const char* path;
};

TEST_F(StageLoaderTest, MapFileNamesByModeCharacterAndStage) {
  const PathCase cases[] = {
      {kModeStory, 0, 0, 0, 1, "bin/1-1"},        {kModeStory, 1, 7, 7, 1, "bin/m_8-8"},
      {kModeStory, 2, 0, 0, 24, "bin/k_1-24"},    {kModeThirdStory, 2, 3, 3, 7, "bin/k_1-7"},
      {kModeStory, 0, 0, 14, 1, "bin/1-5"},       {kModeStory, 1, 0, 23, 1, "bin/m_2-4"},
      {kModeVr, 0, 3, 4, 1, "bin/vr_4-5"},        {kModeEditorTestPlay, 0, 0, 0, 1, ""},
  };
  for (const PathCase& c : cases) {
    game.gameMode = c.mode;
    game.character = c.character;
    game.area = c.area;
    game.subStage = c.subStage;
    game.missionNumber = c.mission;
    char path[64];
    StageFilePath(path, sizeof path);
    EXPECT_STREQ(path, c.path);
  }
}

TEST_F(StageLoaderTest, StealthRuleByMode) {
  const std::string record = StageRecordBuilder().Byte(2924, 1).bytes();
  h_.WriteData("bin/k_1-7", StageRecordBuilder().bytes());
  h_.WriteData("bin/k_1-8", record);
  h_.WriteData("bin/vr_1-1", StageRecordBuilder().bytes());
  h_.WriteData("bin/vr_2-1", record);
  struct Case {
    uint8_t mode, character, area, mission;
    uint16_t vrCategory;
    int stealth;
  };
  for (const Case& c : {Case{kModeThirdStory, 2, 0, 7, 0, 1}, Case{kModeThirdStory, 2, 0, 8, 0, 0},
                        Case{kModeVr, 0, 0, 1, 1, 1}, Case{kModeVr, 0, 1, 1, 0, 0}}) {
    ResetStageState();
    game.gameMode = c.mode;
    game.character = c.character;
    game.area = c.area;
    game.subStage = 0;
    game.missionNumber = c.mission;
    game.vrCategory = c.vrCategory;
    ASSERT_EQ(LoadStage(0), 0);
    EXPECT_EQ(game.missionRules[1], c.stealth) << "mode " << int(c.mode) << " mission " << int(c.mission);
  }
}

TEST_F(StageLoaderTest, TestPlayUsesTheGridInMemoryAndTheLastStartTileChoosesTheCharacter) {
  game.gameMode = kModeEditorTestPlay;
  ResetStageState();
  game.mapGrid[1 * kMapRows + 1] = 96;
  game.mapGrid[2 * kMapRows + 3] = 97;
  game.mapGrid[4 * kMapRows + 4] = 25;
  game.stageBuffer[2920] = 1;
  game.stageBuffer[2921] = 1;
  ASSERT_EQ(LoadStage(0), 0);
  EXPECT_EQ(game.character, 2);
  EXPECT_EQ(player.x, 2 * 40 + 20);
  EXPECT_EQ(game.mapObjectCount, 1);
}

}  // namespace
