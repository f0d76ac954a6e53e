// The user stage file: its names, every field the editor writes and reads back, and the
// damaged files it must survive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "game/editor/stage_file.h"
#include "game/mission/stage_loader.h"
#include "tests/game/editor/editor_fixture.h"
#include "tests/support/image_fixture.h"

namespace editor_test {
namespace {

// A name in Shift-JIS, as every literal of the program is compiled.
constexpr char kJapaneseName[] = "倉庫の潜入テスト";

TEST(UserStageFilePathTest, SlotsOneToNineHaveALeadingZero) {
  const struct {
    int slot;
    const char* path;
  } kCases[] = {{1, "stage/01.stg"}, {9, "stage/09.stg"}, {10, "stage/10.stg"}, {15, "stage/15.stg"}};
  for (const auto& c : kCases) {
    char path[32];
    UserStageFilePath(c.slot, path, sizeof path);
    EXPECT_STREQ(path, c.path);
  }
}

class StageFileTest : public EditorTest {
 protected:
  void SetUp() override { EnterSlotScreen(); }

  // A stage that sets every field the editor owns.
  void FillStage(StageEditor& e) {
    for (int col = 0; col < kMapColumns; ++col) {
      for (int row = 0; row < kMapRows; ++row) game.mapGrid[col * kMapRows + row] = static_cast<int16_t>((col * 7 + row * 3) % 90);
    }
    game.mapGrid[59 * kMapRows + 44] = 0x1FF;  // only the low byte is stored
    game.mapGrid[3 * kMapRows + 4] = 203;
    for (int i = 0; i < kStageEnemyRecords; ++i) {
      EditEnemy& s = game.editEnemies[i];
      s.type = i % 3 == 0 ? 0 : 1 + i % 18;
      s.equipment = static_cast<uint8_t>(i % 4);
      s.facing = i % 2;
      s.param1 = 200 + i;
      s.param2 = 10 + i;
      s.initialBehaviour = static_cast<uint8_t>(i % 7);
      s.normalBehaviour = static_cast<uint8_t>((i + 1) % 7);
      s.attackBehaviour = static_cast<uint8_t>(i % 3);
      s.alertBehaviour = static_cast<uint8_t>(i % 4);
    }
    game.editScreensX = 3;
    game.editScreensY = 2;
    e.atmosphere = 6;
    e.darkness = 0;
    e.stealthMission = 1;
    std::memset(e.stageName, 0, sizeof e.stageName);
    std::strcpy(e.stageName, kJapaneseName);
    for (int k = 0; k < kEquipCounts; ++k) e.equipCounts[k] = static_cast<uint16_t>(k * 6);
  }

  std::string ReadFile(const std::string& path) { return testing_support::ReadFileBytes(path); }
};

TEST_F(StageFileTest, EveryFieldIsWrittenAtItsPlaceAndReadBack) {
  StageEditor& e = Editor();
  FillStage(e);
  std::memset(game.stageBuffer, 0xAB, sizeof game.stageBuffer);  // bytes the editor does not own
  e.slotNumber = 9;
  e.WriteStageFile();

  const std::string bytes = ReadFile(StageFile("09.stg"));
  ASSERT_EQ(bytes.size(), 3000u);
  auto at = [&bytes](int i) { return static_cast<uint8_t>(bytes[static_cast<size_t>(i)]); };
  EXPECT_EQ(at(2 * 60 + 5), (5 * 7 + 2 * 3) % 90);  // row 2, column 5
  EXPECT_EQ(at(44 * 60 + 59), 0xFF);
  EXPECT_EQ(at(4 * 60 + 3), 203);
  for (int i = 0; i < kStageEnemyRecords; ++i) {
    const EditEnemy& s = game.editEnemies[i];
    const int r = 2720 + 10 * i;
    EXPECT_EQ(at(r), s.type) << i;
    EXPECT_EQ(at(r + 1), 0) << i;
    EXPECT_EQ(at(r + 2), s.equipment) << i;
    EXPECT_EQ(at(r + 3), s.facing) << i;
    EXPECT_EQ(at(r + 4), s.param1 & 0xFF) << i;
    EXPECT_EQ(at(r + 5), s.param2) << i;
    EXPECT_EQ(at(r + 6), s.initialBehaviour) << i;
    EXPECT_EQ(at(r + 9), s.alertBehaviour) << i;
  }
  EXPECT_EQ(at(2920), 3);
  EXPECT_EQ(at(2921), 2);
  EXPECT_EQ(at(2922), 6);
  EXPECT_EQ(at(2924), 1);
  EXPECT_EQ(at(2925), 1);  // lights on: not dark
  EXPECT_EQ(bytes.substr(2929, std::strlen(kJapaneseName)), kJapaneseName);
  EXPECT_EQ(at(2929 + static_cast<int>(std::strlen(kJapaneseName))), 0);
  for (int k = 0; k < kEquipCounts; ++k) EXPECT_EQ(at(2980 + k), k * 6);
  for (int i : {2700, 2719, 2923, 2926, 2927, 2928, 2979, 2995, 2999}) EXPECT_EQ(at(i), 0xAB) << i;

  // Read back into a cleared editor.
  int16_t written[kMapColumns * kMapRows];
  std::memcpy(written, game.mapGrid, sizeof written);
  EditEnemy enemies[kStageEnemyRecords];
  for (int i = 0; i < kStageEnemyRecords; ++i) enemies[i] = game.editEnemies[i];
  game.editor.Create();
  game.editor.DeleteRetired();
  std::memset(game.mapGrid, 0, sizeof game.mapGrid);
  for (EditEnemy& s : game.editEnemies) s = EditEnemy{};
  game.editScreensX = game.editScreensY = 1;
  StageEditor& f = Editor();
  f.slotNumber = 9;
  ASSERT_EQ(f.ReadStageFile(), 0);
  EXPECT_EQ(game.gameState, STATE_EDITOR);
  EXPECT_EQ(f.mode, edit_mode::kMap);
  for (int i = 0; i < kMapColumns * kMapRows; ++i) ASSERT_EQ(game.mapGrid[i], written[i] & 0xFF) << i;
  for (int i = 0; i < kStageEnemyRecords; ++i) {
    const EditEnemy& a = game.editEnemies[i];
    const EditEnemy& b = enemies[i];
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(a.equipment, b.equipment);
    EXPECT_EQ(a.facing, b.facing);
    EXPECT_EQ(a.param1, b.param1 & 0xFF);
    EXPECT_EQ(a.param2, b.param2);
    EXPECT_EQ(a.initialBehaviour, b.initialBehaviour);
    EXPECT_EQ(a.normalBehaviour, b.normalBehaviour);
    EXPECT_EQ(a.attackBehaviour, b.attackBehaviour);
    EXPECT_EQ(a.alertBehaviour, b.alertBehaviour);
  }
  EXPECT_EQ(game.editScreensX, 3);
  EXPECT_EQ(game.editScreensY, 2);
  EXPECT_EQ(f.atmosphere, 6);
  EXPECT_EQ(f.darkness, 0);
  EXPECT_EQ(f.stealthMission, 1);
  EXPECT_STREQ(f.stageName, kJapaneseName);
  for (int k = 0; k < kEquipCounts; ++k) EXPECT_EQ(f.equipCounts[k], k * 6);
}

TEST_F(StageFileTest, SlotTenAndTheStageFolderIsMadeWhenMissing) {
  std::filesystem::remove_all(File("stage"));
  Editor().slotNumber = 10;
  Editor().WriteStageFile();
  EXPECT_EQ(std::filesystem::file_size(StageFile("10.stg")), 3000u);
  EXPECT_FALSE(std::filesystem::exists(StageFile("10.stg.tmp")));
}

TEST_F(StageFileTest, TheSlotListShowsSavedNamesAndNoDataForTheRest) {
  StageEditor& e = Editor();
  FillStage(e);
  e.slotNumber = 2;
  e.WriteStageFile();
  // A name that fills all fifty bytes has no terminator in the file.
  std::memset(e.stageName, 'A', kStageNameBytes);
  e.slotNumber = 15;
  e.WriteStageFile();
  e.rebuildButtons = 1;
  Frame();
  ASSERT_EQ(e.buttons.size(), 15u);
  EXPECT_STREQ(e.buttons[1].label, kJapaneseName);
  EXPECT_EQ(e.slotHasData[1], 1);
  EXPECT_EQ(std::string(e.buttons[14].label), std::string(50, 'A'));
  for (int i : {0, 2, 13}) {
    EXPECT_STREQ(e.buttons[i].label, "No Data") << i;
    EXPECT_EQ(e.slotHasData[i], 0) << i;
  }
}

TEST(StageNameTest, OnlyWholeShiftJisWithoutControlBytesIsReadable) {
  const struct {
    std::string name;
    bool readable;
  } kCases[] = {
      {kJapaneseName, true},
      {"Stage 1", true},
      {"\xB1\xB2", true},                 // half-width katakana
      {"", true},                           // an empty name is shown empty
      {std::string(50, '\xFF'), false},     // an erased file
      {"ab\x82", false},                   // a lead byte cut off by the end of the field
      {"\x82\x20", false},                // a lead byte without its trail byte
      {"x\x07y", false},                   // a control byte
      {"\x80", false},
      {std::string("ok\0\xFF", 4), true},  // what follows the terminator does not count
  };
  for (const auto& c : kCases) {
    uint8_t field[kStageNameBytes] = {};
    std::memcpy(field, c.name.data(), std::min<size_t>(c.name.size(), kStageNameBytes));
    const int size = c.name == "ab\x82" ? 3 : kStageNameBytes;
    EXPECT_EQ(IsReadableStageName(field, size), c.readable) << c.name;
  }
}

TEST_F(StageFileTest, DamagedFilesAreListedAsNoDataOrUnreadableAndKept) {
  std::string erased(3000, '\xFF');
  WriteData("stage/01.stg", erased);
  WriteData("stage/02.stg", std::string(100, 'Q'));
  std::string good(3000, '\0');
  std::memcpy(good.data() + 2929, kJapaneseName, std::strlen(kJapaneseName));
  WriteData("stage/03.stg", good);
  StageEditor& e = Editor();
  e.rebuildButtons = 1;
  Frame();
  ASSERT_EQ(e.buttons.size(), 15u);
  EXPECT_STREQ(e.buttons[0].label, "（名前が読めません）");
  EXPECT_STREQ(e.buttons[1].label, "No Data");
  EXPECT_EQ(e.slotHasData[1], 0);
  EXPECT_STREQ(e.buttons[2].label, kJapaneseName);
  EXPECT_EQ(ReadFile(StageFile("01.stg")), erased);
  EXPECT_EQ(std::filesystem::file_size(StageFile("02.stg")), 100u);
}

TEST_F(StageFileTest, AShortFileLeavesTheRestZeroAndAMissingOneChangesNothing) {
  StageEditor& e = Editor();
  FillStage(e);
  // Only the grid's first row: everything after it must read as zero, not as the stage
  // that was in the editor before.
  WriteData("stage/04.stg", std::string(60, '\x19'));
  e.slotNumber = 4;
  ASSERT_EQ(e.ReadStageFile(), 0);
  EXPECT_EQ(Cell(0, 0), 25);
  EXPECT_EQ(Cell(59, 0), 25);
  EXPECT_EQ(Cell(0, 1), 0);
  EXPECT_EQ(game.editEnemies[1].type, 0u);
  EXPECT_EQ(e.stageName[0], '\0');
  EXPECT_EQ(e.equipCounts[5], 0);
  EXPECT_EQ(e.darkness, 1);

  game.gameState = STATE_EDIT_SLOT_SELECT;
  game.mapGrid[0] = 77;
  e.slotNumber = 5;
  EXPECT_EQ(e.ReadStageFile(), -1);
  EXPECT_EQ(game.gameState, STATE_EDIT_SLOT_SELECT);
  EXPECT_EQ(game.mapGrid[0], 77);
}

TEST_F(StageFileTest, EnemyTypesBeyondTheTableAreReadAsEmptySlots) {
  std::string record(3000, '\0');
  const struct {
    int slot, type;
    uint32_t expected;
  } kCases[] = {{0, 18, 18}, {1, 19, 0}, {2, 200, 0}, {3, 255, 0}, {4, 1, 1}};
  for (const auto& c : kCases) {
    record[2720 + 10 * c.slot] = static_cast<char>(c.type);
    record[2720 + 10 * c.slot + 4] = 77;
  }
  record[0] = static_cast<char>(201 + 2);
  record[1] = static_cast<char>(230);  // names slot 29: no such slot
  WriteData("stage/06.stg", record);
  StageEditor& e = Editor();
  e.slotNumber = 6;
  ASSERT_EQ(e.ReadStageFile(), 0);
  for (const auto& c : kCases) {
    EXPECT_EQ(game.editEnemies[c.slot].type, c.expected) << c.type;
    EXPECT_EQ(game.editEnemies[c.slot].param1, c.expected == 0 ? 0u : 77u) << c.type;
  }
  // The editor draws the stage and its enemy list without reading past its tables.
  Frame();
  e.mode = edit_mode::kEnemyList;
  Frame();
  EXPECT_STREQ(e.buttons[1].label, "No Enemy ");
  EXPECT_EQ(game.gameState, STATE_EDITOR);
}

}  // namespace
}  // namespace editor_test
