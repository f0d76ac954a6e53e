// Test play: the edited stage handed to mission play, the loadout it gets, and the roads
// back to the editor with the stage as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/mission/map_objects.h"
#include "game/mission/player.h"
#include "game/mission/stage_loader.h"
#include "game/shell/clear_result_panel.h"
#include "tests/game/editor/editor_fixture.h"

namespace editor_test {
namespace {

class TestPlayTest : public EditorTest {
 protected:
  void SetUp() override { NewStage(3); }

  // A small stage: a floor, the start, the goal and one enemy.
  void PaintSmallStage() {
    for (int col = 0; col < 20; ++col) game.mapGrid[col * kMapRows + 13] = 25;
    game.mapGrid[2 * kMapRows + 12] = 95;
    game.mapGrid[17 * kMapRows + 11] = 99;
    game.editEnemies[0].type = 1;
    game.editEnemies[0].facing = 1;
    game.editEnemies[0].initialBehaviour = 4;
    game.mapGrid[10 * kMapRows + 12] = 201;
    std::strcpy(Editor().stageName, "試験");
  }

  void PlayFromTheMenu() {
    RightClick();
    Mouse(MenuEntry(0), kLeft);
    ASSERT_EQ(game.gameState, STATE_STAGE_LOAD);
    Mouse(MenuEntry(0), 0);
    for (int i = 0; i < 3 && game.gameState != STATE_STAGE_PLAY_MODE; ++i) Frame();
    ASSERT_EQ(game.gameState, STATE_STAGE_PLAY_MODE);
    Frame();
  }
};

TEST_F(TestPlayTest, TheStageIsPlayedAndTheEditorComesBackWithItUnchanged) {
  PaintSmallStage();
  Editor().atmosphere = 2;
  Editor().darkness = 0;
  int16_t grid[kMapColumns * kMapRows];
  std::memcpy(grid, game.mapGrid, sizeof grid);
  PlayFromTheMenu();

  EXPECT_EQ(game.gameMode, kModeEditorTestPlay);
  EXPECT_EQ(game.editor.get(), nullptr);  // mission play let the editor go
  EXPECT_EQ(game.area, 2);
  EXPECT_EQ(game.missionNumber, 9);
  EXPECT_EQ(game.stageFlags[2], 1);
  EXPECT_EQ(game.character, 0);
  EXPECT_GT(game.mapObjectCount, 20);
  // The loader spawns the enemy from the records the editor filled.
  EXPECT_EQ(game.stageEnemyRecords[0][0], 1);
  EXPECT_EQ(game.stageEnemyRecords[0][3], 1);
  EXPECT_EQ(game.stageEnemyRecords[0][6], 4);
  EXPECT_EQ(game.stageBuffer[stage_record::kEnemyRecords], 1);

  // What the pause menu's "Back to Edit" does.
  std::memset(game.mapGrid, 0, sizeof game.mapGrid);  // mission play may use the grid
  for (int i = 0; i < 60; ++i) Frame({shell_test::key::kRight});
  ReturnFromTestPlay(false);
  EXPECT_EQ(game.gameState, STATE_EDIT_RETURN);
  Frame();
  ASSERT_NE(game.editor.get(), nullptr);
  EXPECT_EQ(game.gameState, STATE_EDITOR);
  Frame();
  EXPECT_EQ(std::memcmp(grid, game.mapGrid, sizeof grid), 0);
  EXPECT_STREQ(Editor().stageName, "試験");
  EXPECT_EQ(Editor().atmosphere, 2);
  EXPECT_EQ(Editor().darkness, 0);
  EXPECT_EQ(game.editEnemies[0].type, 1u);
  EXPECT_EQ(game.editEnemies[0].initialBehaviour, 4);
  EXPECT_EQ(Editor().mode, edit_mode::kMap);
}

TEST_F(TestPlayTest, ReachingTheGoalBringsTheEditorBack) {
  PaintSmallStage();
  game.mapGrid[17 * kMapRows + 11] = 0;
  game.mapGrid[4 * kMapRows + 11] = 99;
  int16_t grid[kMapColumns * kMapRows];
  std::memcpy(grid, game.mapGrid, sizeof grid);
  PlayFromTheMenu();
  // Walk to the goal, then confirm the result panel.
  for (int i = 0; i < 900 && game.gameState == STATE_STAGE_PLAY_MODE; ++i) {
    if (player.action != kActionGoal && player.action < kActionResultFade) {
      Frame({shell_test::key::kRight});
    } else if (i % 2 == 0) {
      Frame({shell_test::key::kZ});
    } else {
      Frame();
    }
  }
  ASSERT_EQ(game.gameState, STATE_EDIT_RETURN);
  Frame();
  Frame();
  EXPECT_EQ(game.gameState, STATE_EDITOR);
  EXPECT_EQ(std::memcmp(grid, game.mapGrid, sizeof grid), 0);
}

TEST_F(TestPlayTest, RestartPlaysTheSameStageAgain) {
  PaintSmallStage();
  PlayFromTheMenu();
  ReturnFromTestPlay(true);
  EXPECT_EQ(game.gameState, STATE_EDIT_RETEST);
  Frame();
  EXPECT_EQ(game.gameState, STATE_STAGE_LOAD);
  Frame();
  Frame();
  EXPECT_EQ(game.gameState, STATE_STAGE_PLAY_MODE);
  EXPECT_EQ(game.mapGrid[17 * kMapRows + 11], 99);
}

TEST_F(TestPlayTest, AStagePlayedFromTheSlotListReturnsToTheSlotList) {
  PaintSmallStage();
  RightClick();
  Click(MenuEntry(4));
  Click(kSaveButton);
  Click(MenuEntry(5));
  Frame();
  Click(SlotButton(2));
  Mouse(kPlayButton, kLeft);
  EXPECT_EQ(game.playedFromSlotList, 1);
  EXPECT_EQ(game.gameState, STATE_STAGE_LOAD);
  Mouse(kPlayButton, 0);
  Frame();
  EXPECT_EQ(game.gameState, STATE_STAGE_PLAY_MODE);
  ReturnFromTestPlay(false);
  EXPECT_EQ(game.gameState, STATE_EDIT_SLOT_SELECT);
  Frame();
  EXPECT_STREQ(Editor().buttons[2].label, "試験");
}

TEST_F(TestPlayTest, AStageWithoutAStartRefusesTestPlayWithANotice) {
  // From the editor's menu: the editor stays, on its map.
  for (int col = 0; col < 20; ++col) game.mapGrid[col * kMapRows + 13] = 25;
  RightClick();
  Click(MenuEntry(0));
  EXPECT_EQ(game.gameState, STATE_EDITOR);
  EXPECT_EQ(Editor().mode, edit_mode::kMap);
  EXPECT_NE(Editor().notice, nullptr);
  EXPECT_GT(Editor().noticeFrames, 0);

  // From the slot list, with a damaged file: the slot screen stays.
  WriteData("stage/02.stg", std::string(3000, '\xFF'));
  RightClick();
  Click(MenuEntry(5));
  Frame();
  Click(SlotButton(1));
  Click(kPlayButton);
  EXPECT_EQ(game.gameState, STATE_EDIT_SLOT_SELECT);
  EXPECT_EQ(Editor().mode, edit_mode::kSlotChosen);
  EXPECT_NE(Editor().notice, nullptr);
  for (int i = 0; i < 200; ++i) Frame();
  EXPECT_EQ(Editor().noticeFrames, 0) << "the notice goes after a few seconds";
}

TEST_F(TestPlayTest, TheLoadoutComesFromTheCounts) {
  const struct {
    uint8_t atmosphere;
    int mission;
    uint16_t counts[3];
    uint16_t weapons[3];
    int selected;
  } kCases[] = {
      {0, 1, {0, 0, 0}, {0, kNotOwned, kNotOwned}, 0},
      {3, 12, {0, 0, 5}, {0, kNotOwned, 5}, 2},
      {5, 16, {7, 2, 0}, {7, 2, kNotOwned}, 0},
      {7, 22, {0, 1, 0}, {0, 1, kNotOwned}, 1},
  };
  for (const auto& c : kCases) {
    StageEditor& e = Editor();
    e.atmosphere = c.atmosphere;
    std::memset(e.equipCounts, 0, sizeof e.equipCounts);
    for (int k = 0; k < 3; ++k) e.equipCounts[k] = c.counts[k];
    game.subStage = 0;
    e.StartTestPlay();
    EXPECT_EQ(game.missionNumber, c.mission);
    EXPECT_EQ(game.area, c.atmosphere);
    EXPECT_EQ(game.subStage, c.atmosphere == 3 ? 4 : 0);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(player.weapons[k], c.weapons[k]) << int{c.atmosphere} << " " << k;
    EXPECT_EQ(player.weapons[12], kNotOwned);
    EXPECT_EQ(player.selectedWeapon, c.selected);
    EXPECT_EQ(player.gadgets[0], 0);
    EXPECT_EQ(player.gadgets[1], kNotOwned);
    EXPECT_EQ(game.stageBuffer[2980 + 2], c.counts[2]);
    game.gameState = STATE_EDITOR;
  }
}

}  // namespace
}  // namespace editor_test
