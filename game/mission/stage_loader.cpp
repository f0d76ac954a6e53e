#include "game/mission/stage_loader.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "game/mission/enemies.h"
#include "game/mission/map_objects.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "runtime/api.h"

namespace {

constexpr int kCellSize = 40;
constexpr int kFirstSplitSubStage = 14;
constexpr int kMissionRuleStealth = 1;
constexpr uint8_t kZeroRuleReads = 99;
// Third-character missions whose table byte 1 makes them stealth missions.
constexpr uint8_t kThirdStoryStealth[25] = {0, 0, 0, 2, 0, 0, 0, 1, 0, 2, 0, 0, 0, 2, 0, 0, 1, 2, 0, 0, 1, 1, 0, 0, 1};
constexpr int kSneakingVrCategory = 1;
// Checkpoint bytes of the story pickups and the story-scene flags.
constexpr int kCollectedBase = 120;
constexpr int kStoryPickupTaken = 67;
constexpr int kSecondCharacterPickup = 68;
constexpr int kSceneSeenBase = 370;

int Cell(int column, int row) { return column * kMapRows + row; }

bool SceneSeen(int area, int subStage, int which) {
  return game.checkpoint[kSceneSeenBase + game.cinemaTable[area][subStage][which]] != 0;
}

bool AtStage(int area, int subStage) { return game.area == area && game.subStage == subStage; }

// Story objects 130..139 stand only until their scene has been seen, and only in the stages
// whose scene they belong to.
bool StoryObjectWanted(int code) {
  const bool pair132 = code == 132 || code == 133;
  const bool pair134 = code == 134 || code == 135;
  switch (game.character) {
    case 0:
      if (pair132 && !SceneSeen(2, 7, 0) && AtStage(2, 7)) return true;
      if (pair132 && !SceneSeen(5, 0, 0) && AtStage(5, 0)) return true;
      return pair134 && !SceneSeen(5, 5, 0);
    case 1: return pair134 && !SceneSeen(5, 0, 1);
    default: return false;
  }
}

void SpawnFromCell(int code, int column, int row) {
  if (code >= tile::kStartFirst && code <= tile::kStartLast) {
    player.x = column * kCellSize + kCellSize / 2;
    player.y = row * kCellSize;
    if (game.gameMode == kModeEditorTestPlay) game.character = static_cast<uint8_t>(code - tile::kStartFirst);
    if (game.gameMode != kModeStory) LoadPlayerSprites();
    return;
  }
  if (code >= tile::kEnemyFirst) {
    // Codes past the twentieth record name no record: such cells are left empty.
    if (code > tile::kEnemyLast) return;
    const uint16_t* r = game.stageEnemyRecords[code - tile::kEnemyFirst];
    SpawnEnemy(r[0], column, row, r[1], r[2], static_cast<int16_t>(r[3]), static_cast<int16_t>(r[4]),
               static_cast<int16_t>(r[5]), r[6], r[7], r[8], r[9]);
    return;
  }
  if (code <= tile::kLastDoor) {
    SpawnMapObject(code, column, row, 0);
    return;
  }
  if (code >= tile::kDecorFirst) {
    SpawnDecorObject(code, column, row, 0);
    return;
  }
  if (code == tile::kTarget) ++game.targetCount;
  if (code >= tile::kOneTimePickupFirst && code <= tile::kOneTimePickupLast) {
    if (game.saveRecord[code - kCollectedBase] == 0) SpawnMapObject(code, column, row, 0);
  } else if (code == tile::kStoryPickup) {
    if (game.checkpoint[kStoryPickupTaken] == 0) SpawnMapObject(code, column, row, 0);
  } else if (code == tile::kStoryPickupAlt) {
    if (SceneSeen(5, 0, 1)) return;
    const bool asFirst = game.character == 1 && game.checkpoint[kSecondCharacterPickup] != 0;
    SpawnMapObject(asFirst ? tile::kStoryPickup : tile::kStoryPickupAlt, column, row, 0);
  } else if (code >= tile::kStoryObjectFirst && code <= tile::kStoryObjectLast) {
    if (StoryObjectWanted(code)) SpawnMapObject(code, column, row, 0);
  } else {
    SpawnMapObject(code, column, row, 0);
  }
}

// Reads the whole record or nothing: a missing or short file must not leave a stage of stale
// bytes, and a longer one is read only as far as the record goes.
int ReadStageFile(const char* path) {
  const int64_t size = FileGetSizeByPath(path);
  if (size < kStageRecordBytes) return -1;
  const FileHandle file = FileOpen(path, 0);
  if (file == 0) return -1;
  uint8_t record[kStageRecordBytes] = {};
  // The read counts records on plain files and bytes in archives: only 0 means nothing came.
  const size_t got = FileRead(record, sizeof record, file);
  FileClose(file);
  if (got == 0) return -1;
  std::memcpy(game.stageBuffer, record, sizeof record);
  return 0;
}

void CopyGridAndEnemyRecords() {
  const uint8_t* b = game.stageBuffer;
  for (int row = 0; row < kMapRows; ++row) {
    for (int column = 0; column < kMapColumns; ++column) game.mapGrid[Cell(column, row)] = b[row * kMapColumns + column];
  }
  for (auto& record : game.stageEnemyRecords) record[0] = 0;
  for (int i = 0; i < kStageEnemyRecords; ++i) {
    for (int j = 0; j < kEnemyRecordBytes; ++j) {
      game.stageEnemyRecords[i][j] = b[stage_record::kEnemyRecords + i * kEnemyRecordBytes + j];
    }
  }
}

void PlaceAtEntryDoor() {
  if (game.gameMode != kModeStory || player.entryDoor == 0) return;
  for (int row = 0; row < kMapRows; ++row) {
    for (int column = 0; column < kMapColumns; ++column) {
      if (game.mapGrid[Cell(column, row)] != player.entryDoor) continue;
      player.x = column * kCellSize + kCellSize / 2;
      player.y = row * kCellSize + kCellSize;
    }
  }
}

void ReadStageSettings() {
  const uint8_t* b = game.stageBuffer;
  game.stageScreensX = b[stage_record::kScreensX];
  game.stageScreensY = b[stage_record::kScreensY];
  game.stageFlags[0] = game.stageScreensX;
  game.stageFlags[1] = game.stageScreensY;

  uint8_t stealth = 0;
  if (game.gameMode == kModeThirdStory) {
    stealth = game.missionNumber < sizeof kThirdStoryStealth && kThirdStoryStealth[game.missionNumber] == 1;
  } else if (game.gameMode == kModeVr) {
    stealth = game.vrCategory == kSneakingVrCategory;
  } else {
    stealth = b[stage_record::kStealth] == 1;
  }
  game.missionRules[kMissionRuleStealth] = stealth;

  game.stageFlags[2] = b[stage_record::kLightsOn] != 0 ? 1 : 0;
  game.reinforcementType = b[stage_record::kReinforcement];
  game.missionRules[0] = b[stage_record::kRule0];
  for (int i = 0; i < 5; ++i) {
    const uint8_t rule = b[stage_record::kRules2To6 + i];
    game.missionRules[2 + i] = rule == 0 ? kZeroRuleReads : rule;
  }
}

}  // namespace

void StageFilePath(char* out, std::size_t size) {
  const int area = game.area + 1;
  const int sub = game.subStage + 1;
  out[0] = '\0';
  if (game.gameMode == kModeEditorTestPlay) return;
  if (game.gameMode == kModeVr) {
    std::snprintf(out, size, "bin/vr_%d-%d", area, sub);
    return;
  }
  if (game.character == 2) {
    std::snprintf(out, size, "bin/k_1-%d", game.missionNumber);
    return;
  }
  const char* format = game.character == 0 ? "bin/%d-%d" : "bin/m_%d-%d";
  if (game.subStage < kFirstSplitSubStage) {
    std::snprintf(out, size, format, area, sub);
  } else {
    std::snprintf(out, size, format, game.subStage / 10, game.subStage % 10 + 1);
  }
}

void BuildStageFromBuffer() {
  if (game.gameMode != kModeEditorTestPlay) CopyGridAndEnemyRecords();
  game.targetCount = 0;
  for (int row = 0; row < kMapRows; ++row) {
    for (int column = 0; column < kMapColumns; ++column) {
      const int code = game.mapGrid[Cell(column, row)];
      if (code != 0) SpawnFromCell(code, column, row);
    }
  }
  std::memcpy(game.doorDestinations, game.stageBuffer + stage_record::kDoorPairs, sizeof game.doorDestinations);
  PlaceAtEntryDoor();
  ReadStageSettings();
}

int LoadStage(int) {
  player.x = 0;
  player.y = 0;
  game.scrollX = 0;
  game.scrollY = 0;
  if (game.gameMode != kModeEditorTestPlay) {
    char path[64];
    StageFilePath(path, sizeof path);
    if (ReadStageFile(path) != 0) return -1;
  }
  BuildStageFromBuffer();
  return 0;
}
