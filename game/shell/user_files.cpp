#include "game/shell/user_files.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "game/shell/game_data.h"
#include "game/shell/game_log.h"
#include "game/shell/screens.h"
#include "runtime/api.h"

namespace {

constexpr int kWriteWaitMs = 500;
constexpr int kMaxVolume = 100;
constexpr int kVolumeStep = 10;
constexpr uint8_t kMaxGraphicsLevel = 2;
constexpr uint8_t kMaxWindowScale = 2;
constexpr uint8_t kMaxFixedStageBgm = 10;
constexpr uint8_t kNotOwnedByte = 0xFF;
// Weapons that a loaded save never keeps.
constexpr int kDroppedWeapons[] = {10, 11};
constexpr int kLoadedWeapons = 13;

uint8_t CountByte(uint16_t count) { return static_cast<uint8_t>(count & 0xFF); }
uint16_t CountFromByte(uint8_t byte) { return byte == kNotOwnedByte ? kNotOwned : byte; }

void PutBigEndian16(uint8_t* record, int offset, unsigned value) {
  record[offset] = static_cast<uint8_t>(value >> 8);
  record[offset + 1] = static_cast<uint8_t>(value);
}
uint16_t GetBigEndian16(const uint8_t* record, int offset) {
  return static_cast<uint16_t>(record[offset] * 256 + record[offset + 1]);
}

// Values outside the range the options screen offers fall back to the default; a volume
// off the steps of ten is brought down onto one.
int CheckedVolume(uint8_t byte) {
  if (byte > kMaxVolume) return kMaxVolume;
  return byte - byte % kVolumeStep;
}

// Reads up to size bytes of a whole record; the rest of the image is zero.
int ReadRecord(const char* path, uint8_t* image, int size, bool* opened) {
  std::memset(image, 0, static_cast<size_t>(size));
  std::FILE* file = std::fopen(path, "rb");
  *opened = file != nullptr;
  if (file == nullptr) return 0;
  const size_t got = std::fread(image, 1, static_cast<size_t>(size), file);
  std::fclose(file);
  return static_cast<int>(got);
}

// Each action 1..kActionCount on exactly one button.
bool IsKeyPermutation(const int* keys) {
  bool seen[kActionCount + 1] = {};
  for (int i = 1; i <= kActionCount; ++i) {
    if (keys[i] < 1 || keys[i] > kActionCount || seen[keys[i]]) return false;
    seen[keys[i]] = true;
  }
  return true;
}

void CarryInventoryInto(uint8_t* record) {
  for (int i = 0; i < kSavedItems; ++i) record[save_byte::kItems + i] = CountByte(player.items[i]);
  for (int i = 0; i < kSavedGadgets; ++i) {
    record[save_byte::kGadgets + i] = CountByte(player.gadgets[i]);
  }
}

}  // namespace

namespace {

// The notice of the last failed write and the frames it stays on the screen.
constexpr int kNoticeFrames = 300;
char notice[2][160] = {};
int noticeFrames = 0;

const char* WhatTheFileHolds(const char* path) {
  const std::string p(path);
  if (p == kSettingsPath) return "設定";
  if (p.starts_with(kSaveDirectory)) return "セーブデータ";
  if (p.starts_with(kStageDirectory)) return "ステージ";
  return "記録";
}

const char* WhyItFailed(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT: return "空き容量が足りません";
    case EACCES:
    case EPERM:
    case EROFS: return "書き込みが許可されていません";
    default: return "書き込みに失敗しました";
  }
}

}  // namespace

bool WriteUserFile(const char* path, const unsigned char* bytes, int size) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) {
    std::error_code error;
    std::filesystem::create_directories(parent, error);
  }
  if (FileReplaceContents(path, bytes, static_cast<size_t>(size)) != 0) {
    const int error = errno;
    ReportFileProblem("cannot write", path);
    std::snprintf(notice[0], sizeof notice[0], "%sを保存できませんでした（%s）。", WhatTheFileHolds(path),
                  WhyItFailed(error));
    std::snprintf(notice[1], sizeof notice[1], "前のデータはそのまま残っています。");
    noticeFrames = kNoticeFrames;
    return false;
  }
  return true;
}

const char* UserFileNotice() { return noticeFrames > 0 ? notice[0] : nullptr; }

void DrawUserFileNotice() {
  if (noticeFrames <= 0) return;
  --noticeFrames;
  SetDrawBlendMode(kBlendAlpha, 208);
  DrawBox(90, 64, 710, 124, GetColor(40, 0, 8), 1);
  SetDrawBlendMode(kBlendNone, 0);
  DrawBox(90, 64, 710, 124, GetColor(255, 96, 96), 0);
  DrawFormatString(110, 76, GetColor(255, 255, 255), "%s", notice[0]);
  DrawFormatString(110, 100, GetColor(255, 176, 176), "%s", notice[1]);
}

void ClearUserFileNotice() { noticeFrames = 0; }

void EnsureUserDirectories() {
  for (const char* directory : {kSaveDirectory, kStageDirectory}) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
      errno = error.value();
      ReportFileProblem("cannot make the directory", directory);
    }
  }
}

void ReadSettingsFile() {
  bool opened = false;
  const int got = ReadRecord(kSettingsPath, game.prefsFile, kSettingsBytes, &opened);
  if (!opened) {
    WriteSettingsFile();
    return;
  }
  // A short file keeps the defaults for the fields it does not reach.
  const uint8_t* b = game.prefsFile;
  auto has = [got](int offset) { return offset < got; };
  int keys[kActionCount + 1] = {};
  for (int i = 1; i <= kActionCount; ++i) {
    keys[i] = has(settings_byte::kKeyAssign + i - 1) ? b[settings_byte::kKeyAssign + i - 1] : game.keyAssign[i];
  }
  // The key assignment is taken only as a whole: a zeroed or garbled file would leave
  // buttons without actions, confirm perhaps among them, and the player locked in the menus.
  if (IsKeyPermutation(keys)) {
    for (int i = 1; i <= kActionCount; ++i) game.keyAssign[i] = keys[i];
  } else {
    for (int i = 1; i <= kActionCount; ++i) game.keyAssign[i] = i;
    ReportFileNote(kSettingsPath, "the key assignment is damaged; the default keys are used");
  }
  if (has(settings_byte::kBgmVolume)) game.bgmVolume = CheckedVolume(b[settings_byte::kBgmVolume]);
  if (has(settings_byte::kSeVolume)) game.seVolume = CheckedVolume(b[settings_byte::kSeVolume]);
  if (has(settings_byte::kGraphicsLevel)) {
    const uint8_t level = b[settings_byte::kGraphicsLevel];
    game.graphicsLevel = level > kMaxGraphicsLevel ? 0 : level;
  }
  if (has(settings_byte::kAutoSaveOff)) game.autoSave = b[settings_byte::kAutoSaveOff] == 0 ? 1 : 0;
  if (has(settings_byte::kWindowScale)) {
    const uint8_t scale = b[settings_byte::kWindowScale];
    game.windowScale = scale > kMaxWindowScale ? 0 : scale;
  }
  if (has(settings_byte::kFullScreen)) game.fullScreen = b[settings_byte::kFullScreen] != 0 ? 1 : 0;
  if (has(settings_byte::kFixedStageBgm)) {
    const uint8_t track = b[settings_byte::kFixedStageBgm];
    game.fixedStageBgm = track > kMaxFixedStageBgm ? 0 : track;
  }
}

void WriteSettingsFile() {
  uint8_t* b = game.prefsFile;
  for (int i = 1; i <= kActionCount; ++i) {
    b[settings_byte::kKeyAssign + i - 1] = static_cast<uint8_t>(game.keyAssign[i]);
  }
  b[settings_byte::kBgmVolume] = static_cast<uint8_t>(game.bgmVolume);
  b[settings_byte::kSeVolume] = static_cast<uint8_t>(game.seVolume);
  b[settings_byte::kGraphicsLevel] = game.graphicsLevel;
  b[settings_byte::kAutoSaveOff] = game.autoSave ? 0 : 1;
  b[settings_byte::kWindowScale] = game.windowScale;
  b[settings_byte::kFullScreen] = game.fullScreen != 0 ? 1 : 0;
  b[settings_byte::kFixedStageBgm] = game.fixedStageBgm;
  WriteUserFile(kSettingsPath, b, kSettingsBytes);
  WaitTime(kWriteWaitMs);
}

void WriteSaveRecord(const char* path, int writeFlag) {
  int now[6] = {};
  GetDateTime(now);
  uint8_t* r = game.saveRecord;
  r[save_byte::kInUse] = 1;
  r[save_byte::kDifficulty] = game.difficulty;
  r[save_byte::kLife] = static_cast<uint8_t>(player.life);
  r[save_byte::kNextArea] = game.nextArea;
  r[save_byte::kNextSubStage] = game.nextSubStage;
  r[save_byte::kArea] = game.area;
  r[save_byte::kSubStage] = game.subStage;
  if (game.character <= 2) r[save_byte::kCharacter] = game.character;
  PutBigEndian16(r, save_byte::kDetections, game.detections);
  PutBigEndian16(r, save_byte::kIncapacitations, game.incapacitations);
  if (game.costume <= 1) r[save_byte::kCostume] = game.costume;
  r[save_byte::kSelectedWeapon] = static_cast<uint8_t>(player.selectedWeapon);
  r[save_byte::kSelectedGadget] = player.selectedGadget;

  for (int i = 0; i < kSavedWeapons; ++i) r[save_byte::kWeapons + i] = CountByte(player.weapons[i]);
  CarryInventoryInto(r);

  PutBigEndian16(r, save_byte::kYear, static_cast<unsigned>(now[0]));
  for (int i = 1; i < 6; ++i) r[save_byte::kMonth + i - 1] = static_cast<uint8_t>(now[i]);

  if (writeFlag == 1) {
    WriteUserFile(path, r, kSaveRecordBytes);
    WaitTime(kWriteWaitMs);
  }
}

void ReadSaveRecord(const char* path) {
  bool opened = false;
  ReadRecord(path, game.saveRecord, kSaveRecordBytes, &opened);
  if (!opened) {
    WriteSaveRecord(path, 1);
    return;
  }
  const uint8_t* r = game.saveRecord;
  game.difficulty = r[save_byte::kDifficulty];
  player.life = r[save_byte::kLife];
  game.nextArea = r[save_byte::kNextArea];
  game.nextSubStage = r[save_byte::kNextSubStage];
  game.area = r[save_byte::kArea];
  game.subStage = r[save_byte::kSubStage];
  const uint8_t character = r[save_byte::kCharacter];
  game.character = character <= 1 ? character : 2;
  game.detections = GetBigEndian16(r, save_byte::kDetections);
  game.incapacitations = GetBigEndian16(r, save_byte::kIncapacitations);
  game.costume = r[save_byte::kCostume] != 0 ? 1 : 0;
  player.selectedWeapon = r[save_byte::kSelectedWeapon];
  player.selectedGadget = r[save_byte::kSelectedGadget];
  player.storedGadget = 0;

  for (int i = 0; i < kLoadedWeapons; ++i) player.weapons[i] = CountFromByte(r[save_byte::kWeapons + i]);
  for (int weapon : kDroppedWeapons) player.weapons[weapon] = kNotOwned;
  for (int i = 0; i < kSavedItems; ++i) player.items[i] = CountFromByte(r[save_byte::kItems + i]);
  for (int i = 0; i < kSavedGadgets; ++i) player.gadgets[i] = CountFromByte(r[save_byte::kGadgets + i]);
}

void StoreCheckpoint() {
  PutBigEndian16(game.checkpoint, save_byte::kDetections, game.detections);
  PutBigEndian16(game.checkpoint, save_byte::kIncapacitations, game.incapacitations);
  CarryInventoryInto(game.checkpoint);
  std::memcpy(game.saveRecord, game.checkpoint, kSaveRecordBytes);
}

void RestoreCheckpoint() {
  player.life = player.lifeMax;
  player.selectedGadget = 0;
  player.storedGadget = 0;
  std::memcpy(game.checkpoint, game.saveRecord, kSaveRecordBytes);
  const uint8_t* c = game.checkpoint;
  for (int i = 0; i < kSavedWeapons; ++i) player.weapons[i] = CountFromByte(c[save_byte::kWeapons + i]);
  for (int i = 0; i < kSavedItems; ++i) player.items[i] = CountFromByte(c[save_byte::kItems + i]);
  for (int i = 0; i < kSavedGadgets; ++i) player.gadgets[i] = CountFromByte(c[save_byte::kGadgets + i]);
}
