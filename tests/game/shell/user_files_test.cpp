#include "game/shell/user_files.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>

#include "platform/file_replace.h"
#include "runtime/api.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

// The defaults the entry function sets before reading the settings.
void SetEntryDefaults() {
  game.autoSave = 1;
  game.fullScreen = 0;
  for (int i = 1; i <= 8; ++i) game.keyAssign[i] = i;
  game.bgmVolume = 100;
  game.seVolume = 100;
  game.graphicsLevel = 0;
}

std::string Bytes(std::initializer_list<std::pair<int, int>> set, size_t size = 50) {
  std::string bytes(size, '\0');
  for (auto [offset, value] : set) bytes[static_cast<size_t>(offset)] = static_cast<char>(value);
  return bytes;
}

uint8_t At(const std::string& bytes, size_t offset) { return static_cast<uint8_t>(bytes.at(offset)); }

// A failing replacer in force for one scope.
class ScopedFailingReplacer {
 public:
  ScopedFailingReplacer() { platform::SetFileReplacer(&failing_); }
  ~ScopedFailingReplacer() { platform::SetFileReplacer(nullptr); }
  platform::FailingFileReplacer* operator->() { return &failing_; }

 private:
  platform::FailingFileReplacer failing_;
};

class SettingsFileTest : public shell_test::ShellTest {
 protected:
  SettingsFileTest() { SetEntryDefaults(); }
};

TEST_F(SettingsFileTest, MissingFileIsMadeFromTheDefaults) {
  ReadSettingsFile();
  const std::string bytes = ReadFileBytes(File("pre.dat"));
  ASSERT_EQ(bytes.size(), 50u);
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(At(bytes, i), i);
  EXPECT_EQ(At(bytes, 9), 100);
  EXPECT_EQ(At(bytes, 10), 100);
  EXPECT_EQ(At(bytes, 12), 0) << "auto-save on is stored as 0";
  EXPECT_EQ(game.bgmVolume, 100);
}

TEST_F(SettingsFileTest, FieldsRoundTripThroughTheFile) {
  const int keys[9] = {0, 3, 1, 2, 8, 7, 6, 5, 4};
  for (int i = 1; i <= 8; ++i) game.keyAssign[i] = keys[i];
  game.bgmVolume = 30;
  game.seVolume = 0;
  game.graphicsLevel = 2;
  game.autoSave = 0;
  game.fullScreen = 1;
  game.windowScale = 2;
  game.fixedStageBgm = 9;
  game.prefsFile[22] = 1;  // an unlock carried by the image
  WriteSettingsFile();

  const std::string bytes = ReadFileBytes(File("pre.dat"));
  ASSERT_EQ(bytes.size(), 50u);
  EXPECT_EQ(At(bytes, 12), 1) << "auto-save off is stored as 1";
  EXPECT_EQ(At(bytes, 40), 1);
  EXPECT_EQ(At(bytes, 41), 2);
  EXPECT_EQ(At(bytes, 42), 9);
  EXPECT_EQ(At(bytes, 22), 1);

  shell_test::ResetGameGlobals();
  SetEntryDefaults();
  ReadSettingsFile();
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(game.keyAssign[i], keys[i]) << i;
  EXPECT_EQ(game.bgmVolume, 30);
  EXPECT_EQ(game.seVolume, 0);
  EXPECT_EQ(game.graphicsLevel, 2);
  EXPECT_EQ(game.autoSave, 0);
  EXPECT_EQ(game.fullScreen, 1);
  EXPECT_EQ(game.windowScale, 2);
  EXPECT_EQ(game.fixedStageBgm, 9);
  EXPECT_EQ(game.prefsFile[22], 1);
}

TEST_F(SettingsFileTest, OutOfRangeValuesFallBackWhenRead) {
  struct Case {
    const char* name;
    int offset, stored;
    int GameData::*wide;
    uint8_t GameData::*narrow;
    int expected;
  };
  const Case cases[] = {
      {"window scale 3 gives 1.0", 41, 3, nullptr, &GameData::windowScale, 0},
      {"window scale 2 stays", 41, 2, nullptr, &GameData::windowScale, 2},
      {"stage music 11 gives music by stage", 42, 11, nullptr, &GameData::fixedStageBgm, 0},
      {"stage music 10 stays", 42, 10, nullptr, &GameData::fixedStageBgm, 10},
      {"graphics level 3 gives high", 11, 3, nullptr, &GameData::graphicsLevel, 0},
      {"music volume 150 gives 100", 9, 150, &GameData::bgmVolume, nullptr, 100},
      {"sound volume 255 gives 100", 10, 255, &GameData::seVolume, nullptr, 100},
      {"sound volume 55 comes down onto a step", 10, 55, &GameData::seVolume, nullptr, 50},
      {"full screen any non-zero", 40, 7, &GameData::fullScreen, nullptr, 1},
  };
  for (const Case& c : cases) {
    shell_test::ResetGameGlobals();
    SetEntryDefaults();
    std::string bytes = Bytes({{9, 100}, {10, 100}});
    bytes[static_cast<size_t>(c.offset)] = static_cast<char>(c.stored);
    WriteFileBytes(File("pre.dat"), bytes);
    ReadSettingsFile();
    const int got = c.wide != nullptr ? game.*c.wide : game.*c.narrow;
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

// The eight key bytes are taken only when they give each action to one button; otherwise
// all eight take the defaults, while the other fields keep their own checks.
TEST_F(SettingsFileTest, KeyAssignmentIsTakenOnlyAsAWhole) {
  struct Case {
    const char* name;
    std::string bytes;
    std::array<int, 8> keys;
  };
  const std::array<int, 8> defaults = {1, 2, 3, 4, 5, 6, 7, 8};
  const Case cases[] = {
      {"a permutation is kept", Bytes({{1, 3}, {2, 1}, {3, 2}, {4, 8}, {5, 7}, {6, 6}, {7, 5}, {8, 4}}),
       {3, 1, 2, 8, 7, 6, 5, 4}},
      {"all zero", Bytes({}), defaults},
      {"one key beyond the actions", Bytes({{1, 9}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}}),
       defaults},
      {"one key zero", Bytes({{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 0}}), defaults},
      {"one action twice", Bytes({{1, 1}, {2, 1}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}}), defaults},
      {"short file: its keys and the defaults make a whole", std::string("\0\2\1", 3), {2, 1, 3, 4, 5, 6, 7, 8}},
      {"short file: its keys repeat a default", std::string("\0\3\1", 3), defaults},
  };
  for (const Case& c : cases) {
    shell_test::ResetGameGlobals();
    SetEntryDefaults();
    WriteFileBytes(File("pre.dat"), c.bytes);
    testing::internal::CaptureStderr();
    ReadSettingsFile();
    const std::string errors = testing::internal::GetCapturedStderr();
    for (int i = 1; i <= 8; ++i) EXPECT_EQ(game.keyAssign[i], c.keys[i - 1]) << c.name << ", button " << i;
    const bool reset = c.keys == defaults;
    EXPECT_EQ(errors.find("pre.dat") != std::string::npos, reset) << c.name << ": " << errors;
  }
}

TEST_F(SettingsFileTest, DamagedKeysLeaveTheOtherFieldsAndUnlocksAsRead) {
  WriteFileBytes(File("pre.dat"),
                 Bytes({{1, 200}, {9, 30}, {10, 250}, {11, 1}, {12, 1}, {15, 1}, {22, 7}, {41, 9}, {42, 4}}));
  testing::internal::CaptureStderr();
  ReadSettingsFile();
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(game.keyAssign[1], 1);
  EXPECT_EQ(game.bgmVolume, 30);
  EXPECT_EQ(game.seVolume, 100);
  EXPECT_EQ(game.graphicsLevel, 1);
  EXPECT_EQ(game.autoSave, 0);
  EXPECT_EQ(game.windowScale, 0);
  EXPECT_EQ(game.fixedStageBgm, 4);
  EXPECT_EQ(game.prefsFile[15], 1);
  EXPECT_EQ(game.prefsFile[22], 7) << "unlock bytes stay as the file gives them";
}

TEST_F(SettingsFileTest, ShortFileKeepsTheDefaultsPastItsEnd) {
  WriteFileBytes(File("pre.dat"), std::string("\0\2\1", 3));
  ReadSettingsFile();
  EXPECT_EQ(game.bgmVolume, 100);
  EXPECT_EQ(game.autoSave, 1);
}

TEST_F(SettingsFileTest, FailedWriteIsReportedAndTheImageStillChanges) {
  std::filesystem::create_directories(File("pre.dat/inside"));
  game.bgmVolume = 40;
  testing::internal::CaptureStderr();
  WriteSettingsFile();
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("pre.dat"), std::string::npos) << errors;
  EXPECT_EQ(game.prefsFile[9], 40);
  EXPECT_TRUE(std::filesystem::is_directory(File("pre.dat/inside")));
}

TEST_F(SettingsFileTest, WriteThatFailsMidwayKeepsTheOldSettings) {
  WriteFileBytes(File("pre.dat"), Bytes({{1, 2}, {2, 1}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 70}}));
  const std::string before = ReadFileBytes(File("pre.dat"));
  ScopedFailingReplacer failing;
  failing->FailAt(platform::ReplaceStep::kWrite, ENOSPC, 20);
  game.bgmVolume = 10;
  testing::internal::CaptureStderr();
  WriteSettingsFile();
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(ReadFileBytes(File("pre.dat")), before);
  EXPECT_FALSE(FileExists(failing->lastTemporary()));
  EXPECT_NE(errors.find("cannot write pre.dat: " + std::string(std::strerror(ENOSPC))), std::string::npos) << errors;
}

TEST_F(SettingsFileTest, FailedWriteLeavesANoticeOfWhatAndWhy) {
  struct Case {
    const char* path;
    int error;
    const char* notice;
  };
  const Case cases[] = {
      {"pre.dat", ENOSPC, "設定を保存できませんでした（空き容量が足りません）。"},
      {"data/save2.dat", EROFS, "セーブデータを保存できませんでした（書き込みが許可されていません）。"},
      {"stage/03.stg", EIO, "ステージを保存できませんでした（書き込みに失敗しました）。"},
  };
  const unsigned char bytes[4] = {1, 2, 3, 4};
  for (const Case& c : cases) {
    ClearUserFileNotice();
    std::filesystem::create_directories(std::filesystem::path(File(c.path)).parent_path());
    WriteFileBytes(File(c.path), "old");
    ScopedFailingReplacer failing;
    failing->FailAt(platform::ReplaceStep::kWrite, c.error, 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteUserFile(c.path, bytes, 4));
    testing::internal::GetCapturedStderr();
    ASSERT_NE(UserFileNotice(), nullptr) << c.path;
    EXPECT_STREQ(UserFileNotice(), c.notice);
    EXPECT_EQ(ReadFileBytes(File(c.path)), "old");
  }
  // The notice stays a few seconds, then goes; a write that succeeds leaves none.
  for (int i = 0; i < 300; ++i) DrawUserFileNotice();
  EXPECT_EQ(UserFileNotice(), nullptr);
  EXPECT_TRUE(WriteUserFile("pre.dat", bytes, 4));
  EXPECT_EQ(UserFileNotice(), nullptr);
}

class SaveRecordTest : public shell_test::ShellTest {
 protected:
  SaveRecordTest() { std::filesystem::create_directory(File("data")); }

  void FillRun() {
    game.difficulty = 1;
    player.life = 77;
    game.nextArea = 3;
    game.nextSubStage = 255;
    game.area = 2;
    game.subStage = 6;
    game.character = 1;
    game.costume = 1;
    game.detections = 0x1234;
    game.incapacitations = 0xFFFF;
    player.selectedWeapon = 8;
    player.selectedGadget = 4;
    for (int i = 0; i < 20; ++i) player.weapons[i] = kNotOwned;
    player.weapons[0] = 30;
    player.weapons[10] = 5;
    player.weapons[11] = 6;
    player.weapons[12] = 254;
    for (int i = 0; i < 10; ++i) player.items[i] = kNotOwned;
    player.items[6] = 2;
    for (int i = 0; i < 20; ++i) player.gadgets[i] = kNotOwned;
    player.gadgets[0] = 1;
    player.gadgets[12] = 0;
  }
};

TEST_F(SaveRecordTest, FieldsLandAtTheirBytes) {
  FillRun();
  game.saveRecord[300] = 9;  // a mission-play byte the shell never touches
  WriteSaveRecord("data/save1.dat", 0);
  EXPECT_FALSE(FileExists(File("data/save1.dat"))) << "flag 0 writes no file";
  const uint8_t* r = game.saveRecord;
  struct Field {
    int offset, value;
  };
  const Field fields[] = {{0, 1},    {3, 77},    {6, 3},     {7, 255},   {8, 2},     {9, 6},
                          {10, 1},   {11, 1},    {12, 1},    {13, 30},   {23, 5},    {25, 254},
                          {26, 255}, {27, 255},  {33, 2},    {34, 1},    {46, 0},    {490, 0x12},
                          {491, 0x34}, {492, 0xFF}, {493, 0xFF}, {496, 8}, {497, 4}, {300, 9}};
  for (const Field& f : fields) EXPECT_EQ(r[f.offset], f.value) << "byte " << f.offset;

  int now[6];
  GetDateTime(now);
  EXPECT_EQ(r[500] * 256 + r[501], now[0]) << "the year is big-endian";
  EXPECT_EQ(r[502], now[1]);
  EXPECT_EQ(r[503], now[2]);
}

TEST_F(SaveRecordTest, OutOfRangeCharacterAndCostumeKeepTheirBytes) {
  game.saveRecord[10] = 2;
  game.saveRecord[11] = 1;
  game.character = 5;
  game.costume = 2;
  WriteSaveRecord("data/save1.dat", 0);
  EXPECT_EQ(game.saveRecord[10], 2);
  EXPECT_EQ(game.saveRecord[11], 1);
}

TEST_F(SaveRecordTest, RoundTripThroughTheSlotFileDropsWeaponsTenAndEleven) {
  std::filesystem::remove_all(File("data"));
  FillRun();
  WriteSaveRecord("data/save2.dat", 1);
  ASSERT_EQ(ReadFileBytes(File("data/save2.dat")).size(), 512u) << "the save directory is made";

  shell_test::ResetGameGlobals();
  player.storedGadget = 3;
  ReadSaveRecord("data/save2.dat");
  EXPECT_EQ(game.difficulty, 1);
  EXPECT_EQ(player.life, 77);
  EXPECT_EQ(game.nextArea, 3);
  EXPECT_EQ(game.nextSubStage, 255);
  EXPECT_EQ(game.area, 2);
  EXPECT_EQ(game.subStage, 6);
  EXPECT_EQ(game.character, 1);
  EXPECT_EQ(game.costume, 1);
  EXPECT_EQ(game.detections, 0x1234);
  EXPECT_EQ(game.incapacitations, 0xFFFF);
  EXPECT_EQ(player.selectedWeapon, 8);
  EXPECT_EQ(player.selectedGadget, 4);
  EXPECT_EQ(player.storedGadget, 0);
  EXPECT_EQ(player.weapons[0], 30);
  EXPECT_EQ(player.weapons[1], kNotOwned) << "a stored 255 reads back as not owned";
  EXPECT_EQ(player.weapons[10], kNotOwned);
  EXPECT_EQ(player.weapons[11], kNotOwned);
  EXPECT_EQ(player.weapons[12], 254);
  EXPECT_EQ(player.items[6], 2);
  EXPECT_EQ(player.items[0], kNotOwned);
  EXPECT_EQ(player.gadgets[0], 1);
  EXPECT_EQ(player.gadgets[12], 0);
}

TEST_F(SaveRecordTest, StoredCharacterAndCostumeAreNarrowedWhenRead) {
  struct Case {
    int characterByte, costumeByte, character, costume;
  };
  for (const Case c : {Case{0, 0, 0, 0}, Case{1, 7, 1, 1}, Case{2, 1, 2, 1}, Case{200, 0, 2, 0}}) {
    WriteFileBytes(File("data/save3.dat"), Bytes({{0, 1}, {10, c.characterByte}, {11, c.costumeByte}}, 512));
    ReadSaveRecord("data/save3.dat");
    EXPECT_EQ(game.character, c.character) << c.characterByte;
    EXPECT_EQ(game.costume, c.costume) << c.costumeByte;
  }
}

TEST_F(SaveRecordTest, MissingSlotFileIsMadeFromTheGame) {
  FillRun();
  ReadSaveRecord("data/save3.dat");
  const std::string bytes = ReadFileBytes(File("data/save3.dat"));
  ASSERT_EQ(bytes.size(), 512u);
  EXPECT_EQ(At(bytes, 0), 1);
  EXPECT_EQ(At(bytes, 3), 77);
}

TEST_F(SaveRecordTest, ShortSlotFileLeavesNothingOfThePreviousRecord) {
  for (uint8_t& byte : game.saveRecord) byte = 0xAA;
  WriteFileBytes(File("data/save1.dat"), Bytes({{0, 1}, {3, 50}}, 20));
  ReadSaveRecord("data/save1.dat");
  EXPECT_EQ(player.life, 50);
  EXPECT_EQ(game.saveRecord[400], 0);
  EXPECT_EQ(game.detections, 0);
  EXPECT_EQ(player.items[0], 0) << "bytes past the end read as zero, not as the old image";
}

TEST_F(SaveRecordTest, FailedSlotWriteIsReported) {
  std::filesystem::remove_all(File("data"));
  WriteFileBytes(File("data"), "not a directory");
  testing::internal::CaptureStderr();
  WriteSaveRecord("data/save1.dat", 1);
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("data/save1.dat"), std::string::npos) << errors;
  EXPECT_EQ(game.saveRecord[0], 1);
}

// A save whose write fails at any step leaves the slot's previous save as it was, and says so.
TEST_F(SaveRecordTest, FailedWriteKeepsThePreviousSave) {
  FillRun();
  WriteSaveRecord("data/save1.dat", 1);
  const std::string previous = ReadFileBytes(File("data/save1.dat"));
  ASSERT_EQ(previous.size(), 512u);

  ScopedFailingReplacer failing;
  for (platform::ReplaceStep step : {platform::ReplaceStep::kCreate, platform::ReplaceStep::kWrite,
                                     platform::ReplaceStep::kFlush, platform::ReplaceStep::kRename}) {
    SCOPED_TRACE(platform::ReplaceStepName(step));
    failing->FailAt(step, EIO, 256);
    game.area = 9;
    testing::internal::CaptureStderr();
    WriteSaveRecord("data/save1.dat", 1);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("cannot write data/save1.dat"), std::string::npos) << errors;
    EXPECT_EQ(ReadFileBytes(File("data/save1.dat")), previous);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(File("data")), std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left";
  }
  ReadSaveRecord("data/save1.dat");
  EXPECT_EQ(game.area, 2) << "the slot still loads the previous save";
}

// As a user's system fails it: a file-size limit of 0 (a full disk fails the same step) in
// a child process that saves; the parent finds the previous save whole.
TEST_F(SaveRecordTest, FileSizeLimitDuringASaveKeepsThePreviousSave) {
  FillRun();
  WriteSaveRecord("data/save2.dat", 1);
  const std::string previous = ReadFileBytes(File("data/save2.dat"));
  std::fflush(nullptr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit none{0, 0};
    if (setrlimit(RLIMIT_FSIZE, &none) != 0) _exit(10);
    game.area = 9;
    WriteSaveRecord("data/save2.dat", 1);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(File("data/save2.dat")), previous);
  EXPECT_FALSE(FileExists(File("data/save2.dat.tmp")));
}

TEST_F(SaveRecordTest, CheckpointCarriesCountersAndInventoryButNotWeapons) {
  FillRun();
  game.checkpoint[13] = 99;
  game.checkpoint[200] = 5;
  StoreCheckpoint();
  EXPECT_EQ(game.saveRecord[13], 99) << "weapon bytes are not touched";
  EXPECT_EQ(game.saveRecord[200], 5);
  EXPECT_EQ(game.saveRecord[490], 0x12);
  EXPECT_EQ(game.saveRecord[33], 2);
  EXPECT_EQ(game.saveRecord[34], 1);

  player.life = 3;
  player.lifeMax = 100;
  player.selectedGadget = 2;
  player.weapons[0] = 1;
  player.items[6] = 9;
  RestoreCheckpoint();
  EXPECT_EQ(player.life, 100);
  EXPECT_EQ(player.selectedGadget, 0);
  EXPECT_EQ(player.weapons[0], 99);
  EXPECT_EQ(player.items[6], 2);
  EXPECT_EQ(player.items[0], kNotOwned);
}

TEST_F(SaveRecordTest, UserDirectoriesAreMadeWhenMissing) {
  EnsureUserDirectories();
  EXPECT_TRUE(std::filesystem::is_directory(File("data")));
  EXPECT_TRUE(std::filesystem::is_directory(File("stage")));
}

}  // namespace
