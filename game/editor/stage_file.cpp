#include "game/editor/stage_file.h"

#include <cstdio>
#include <cstring>

#include "game/editor/editor_tables.h"
#include "game/editor/stage_editor.h"
#include "game/mission/stage_loader.h"
#include "game/shell/game_data.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"

namespace {

constexpr int kWriteWaitMs = 500;

int GridIndex(int column, int row) { return column * kMapRows + row; }

}  // namespace

bool IsReadableStageName(const uint8_t* name, int size) {
  for (int i = 0; i < size && name[i] != 0; ++i) {
    const uint8_t b = name[i];
    if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF)) continue;
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (!lead || i + 1 >= size) return false;
    const uint8_t t = name[++i];
    if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
  }
  return true;
}

bool StageHasStart() {
  for (int i = 0; i < kMapColumns * kMapRows; ++i) {
    if (game.mapGrid[i] >= tile::kStartFirst && game.mapGrid[i] <= tile::kStartLast) return true;
  }
  return false;
}

void ReadUpToARecord(const char* path, FileHandle file, uint8_t* record) {
  // The read takes whole requests only: ask for what the file holds, up to a record. The
  // caller's zeroed record keeps the rest of a short file zero, never bytes of an earlier
  // stage.
  const int64_t size = FileGetSizeByPath(path);
  const std::size_t wanted = size < kStageRecordBytes ? static_cast<std::size_t>(size > 0 ? size : 0) : kStageRecordBytes;
  if (wanted > 0) FileRead(record, wanted, file);
}

void UserStageFilePath(int slot, char* out, std::size_t size) {
  std::snprintf(out, size, slot < 10 ? "stage/0%d.stg" : "stage/%d.stg", slot);
}

void StoreEditedStage(const StageEditor& editor, uint8_t* record) {
  for (int row = 0; row < kMapRows; ++row) {
    for (int column = 0; column < kMapColumns; ++column) {
      record[stage_record::kGrid + row * kMapColumns + column] =
          static_cast<uint8_t>(game.mapGrid[GridIndex(column, row)] & 0xFF);
    }
  }
  for (int i = 0; i < kStageEnemyRecords; ++i) {
    const EditEnemy& e = game.editEnemies[i];
    uint8_t* r = record + stage_record::kEnemyRecords + i * kEnemyRecordBytes;
    r[0] = static_cast<uint8_t>(e.type);
    r[1] = 0;
    r[2] = e.equipment;
    r[3] = static_cast<uint8_t>(e.facing);
    r[4] = static_cast<uint8_t>(e.param1);
    r[5] = static_cast<uint8_t>(e.param2);
    r[6] = e.initialBehaviour;
    r[7] = e.normalBehaviour;
    r[8] = e.attackBehaviour;
    r[9] = e.alertBehaviour;
  }
  record[stage_record::kScreensX] = game.editScreensX;
  record[stage_record::kScreensY] = game.editScreensY;
  record[stage_record::kAtmosphere] = editor.atmosphere;
  record[stage_record::kStealth] = editor.stealthMission;
  record[stage_record::kLightsOn] = editor.darkness == 0 ? 1 : 0;
  std::memcpy(record + stage_record::kName, editor.stageName, kStageNameBytes);
  for (int k = 0; k < kEquipCounts; ++k) {
    record[stage_record::kEquipment + k] = static_cast<uint8_t>(editor.equipCounts[k]);
  }
}

void LoadEditedStage(StageEditor& editor, const uint8_t* record) {
  std::memcpy(editor.stageName, record + stage_record::kName, kStageNameBytes);
  editor.stageName[kStageNameBytes] = '\0';
  for (int k = 0; k < kEquipCounts; ++k) editor.equipCounts[k] = record[stage_record::kEquipment + k];
  for (int row = 0; row < kMapRows; ++row) {
    for (int column = 0; column < kMapColumns; ++column) {
      game.mapGrid[GridIndex(column, row)] = record[stage_record::kGrid + row * kMapColumns + column];
    }
  }
  for (int i = 0; i < kStageEnemyRecords; ++i) {
    const uint8_t* r = record + stage_record::kEnemyRecords + i * kEnemyRecordBytes;
    EditEnemy& e = game.editEnemies[i];
    e = EditEnemy{};
    // A type the editor cannot name would index past its tables at every later use.
    if (r[0] > kEnemyTypeCount) continue;
    e.type = r[0];
    e.equipment = r[2];
    e.facing = r[3];
    e.param1 = r[4];
    e.param2 = r[5];
    e.initialBehaviour = r[6];
    e.normalBehaviour = r[7];
    e.attackBehaviour = r[8];
    e.alertBehaviour = r[9];
  }
  game.editScreensX = record[stage_record::kScreensX];
  game.editScreensY = record[stage_record::kScreensY];
  editor.atmosphere = record[stage_record::kAtmosphere];
  editor.stealthMission = record[stage_record::kStealth];
  editor.darkness = record[stage_record::kLightsOn] == 0 ? 1 : 0;
}

void StageEditor::WriteStageFile() {
  StoreEditedStage(*this, game.stageBuffer);
  char path[32];
  UserStageFilePath(slotNumber, path, sizeof path);
  // The writer makes "stage/" when it is missing and replaces the old file only once the
  // new one is complete.
  if (WriteUserFile(path, game.stageBuffer, kStageRecordBytes)) WaitTime(kWriteWaitMs);
}

int StageEditor::ReadStageFile() {
  char path[32];
  UserStageFilePath(slotNumber, path, sizeof path);
  const FileHandle file = FileOpen(path, 0);
  if (file == 0) return -1;
  mode = edit_mode::kMap;
  game.gameState = STATE_EDITOR;
  game.screenEntered = 0;
  uint8_t record[kStageRecordBytes] = {};
  ReadUpToARecord(path, file, record);
  FileClose(file);
  LoadEditedStage(*this, record);
  return 0;
}
