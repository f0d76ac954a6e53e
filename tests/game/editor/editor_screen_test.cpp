// The editing screen driven as a user drives it: mouse moves, clicks, drags and the wheel
// on the 40-pixel grid, the scroll strips, the keys, the main menu and the name dialog.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "game/mission/player.h"
#include "tests/game/editor/editor_fixture.h"

namespace editor_test {
namespace {

class EditorScreenTest : public EditorTest {
 protected:
  void SetUp() override { NewStage(1); }
};

TEST_F(EditorScreenTest, ANewStageStartsEmptySmallDarkAndNamelessAndTheOpeningClickPaintsNothing) {
  EXPECT_EQ(game.editScreensX, 1);
  EXPECT_EQ(game.editScreensY, 1);
  EXPECT_EQ(Editor().darkness, 1);
  EXPECT_EQ(Editor().stealthMission, 0);
  EXPECT_EQ(Editor().atmosphere, 0);
  EXPECT_EQ(Editor().stageName[0], '\0');
  EXPECT_EQ(game.editBlockCode, 25);
  for (int16_t c : game.mapGrid) ASSERT_EQ(c, 0);
}

TEST_F(EditorScreenTest, ClickingAndDraggingPaintsEveryCellTheCursorCrosses) {
  Mouse(85, 45, kLeft);
  EXPECT_EQ(Cell(2, 1), 25);
  Mouse(125, 45, kLeft);
  Mouse(165, 85, kLeft);
  Mouse(165, 85, 0);
  EXPECT_EQ(Cell(3, 1), 25);
  EXPECT_EQ(Cell(4, 2), 25);
  EXPECT_EQ(Cell(4, 1), 0);
  // Moving with the button up paints nothing.
  Mouse(205, 85, 0);
  EXPECT_EQ(Cell(5, 2), 0);
}

TEST_F(EditorScreenTest, TheWheelStepsThroughSkinsAndTheEraser) {
  // The single block has five skins: codes 25..29, then the eraser.
  const struct {
    int wheel;
    int skin;
    int painted;  // code left in the cell, 0 for the eraser
  } kSteps[] = {{-1, 1, 26}, {-1, 2, 27}, {+1, 1, 26}, {+1, 0, 25}, {+1, 5, 0}, {-1, 0, 25}};
  Click({20, 20});
  for (const auto& s : kSteps) {
    Mouse(20, 20, 0, s.wheel);
    EXPECT_EQ(game.editSkin, s.skin) << s.wheel;
    Click({20, 20});
    EXPECT_EQ(Cell(0, 0), s.painted) << s.skin;
  }
}

TEST_F(EditorScreenTest, TheCursorCellStaysOnTheScreenWhereverTheMouseIs) {
  const struct {
    int x, y, column, row;
  } kCases[] = {{-300, -300, 0, 0}, {5000, 9000, 19, 14}, {-1, 599, 0, 14}, {799, -41, 19, 0}, {801, 601, 19, 14}};
  for (const auto& c : kCases) {
    Mouse(c.x, c.y, kLeft);
    EXPECT_EQ(player.x, c.column) << c.x << "," << c.y;
    EXPECT_EQ(player.y, c.row) << c.x << "," << c.y;
    EXPECT_EQ(Cell(c.column, c.row), 25);
    Mouse(c.x, c.y, 0);
  }
}

TEST_F(EditorScreenTest, TheStripsScrollAThreeByThreeStageToItsLastCellAndNoFurther) {
  game.editScreensX = 3;
  game.editScreensY = 3;
  for (int i = 0; i < 60; ++i) Mouse(790, 300);
  EXPECT_EQ(game.scrollX, 40);
  for (int i = 0; i < 40; ++i) Mouse(400, 590);
  EXPECT_EQ(game.scrollY, 30);
  Mouse(785, 565, kLeft);  // bottom right cell of the view
  Mouse(785, 565, 0);
  EXPECT_EQ(Cell(59, 44), 25);
  for (int i = 0; i < 60; ++i) Mouse(10, 300);
  for (int i = 0; i < 40; ++i) Mouse(400, 10);
  EXPECT_EQ(game.scrollX, 0);
  EXPECT_EQ(game.scrollY, 0);
}

TEST_F(EditorScreenTest, AOneScreenStageNeverScrolls) {
  for (int i = 0; i < 10; ++i) Mouse(790, 300);
  for (int i = 0; i < 10; ++i) Mouse(400, 590);
  EXPECT_EQ(game.scrollX, 0);
  EXPECT_EQ(game.scrollY, 0);
  for (int i = 0; i < 40; ++i) Frame({shell_test::key::kRight, shell_test::key::kDown});
  EXPECT_EQ(game.scrollX, 0);
  EXPECT_EQ(player.x, 19);
  EXPECT_EQ(player.y, 14);
}

TEST_F(EditorScreenTest, HeldArrowKeysMoveOnceThenRepeatEverySecondFrame) {
  Mouse(20, 20);
  game.editScreensX = 2;
  Frame({shell_test::key::kRight});
  EXPECT_EQ(player.x, 1);
  for (int i = 0; i < 19; ++i) Frame({shell_test::key::kRight});
  EXPECT_EQ(player.x, 1);  // still waiting for the repeat
  for (int i = 0; i < 8; ++i) Frame({shell_test::key::kRight});
  EXPECT_EQ(player.x, 5);
  // Past column 8 a wide stage scrolls instead.
  for (int i = 0; i < 20; ++i) Frame({shell_test::key::kRight});
  EXPECT_EQ(player.x, 8);
  EXPECT_EQ(game.scrollX, 7);
}

TEST_F(EditorScreenTest, TheStartTheGoalAndEachEnemyExistOnce) {
  game.editBlockCode = 95;
  game.editSkin = 2;  // third character's start
  game.prefsFile[15] = 1;
  game.mapGrid[10 * kMapRows + 3] = 95;
  game.mapGrid[11 * kMapRows + 3] = 96;
  Click({20, 20});
  EXPECT_EQ(Cell(0, 0), 97);
  EXPECT_EQ(Cell(10, 3), 0);
  EXPECT_EQ(Cell(11, 3), 0);

  game.editBlockCode = 99;
  game.editSkin = 0;
  Click({60, 20});
  Click({100, 20});
  EXPECT_EQ(Cell(1, 0), 0);
  EXPECT_EQ(Cell(2, 0), 99);
}

TEST_F(EditorScreenTest, RightClicksOpenAndCloseTheMainMenu) {
  RightClick();
  EXPECT_EQ(Editor().mode, edit_mode::kMainMenu);
  ASSERT_EQ(Editor().buttons.size(), 7u);
  Click({700, 500});  // no button there: nothing happens
  EXPECT_EQ(Editor().mode, edit_mode::kMainMenu);
  RightClick();
  EXPECT_EQ(Editor().mode, edit_mode::kMap);
  for (int16_t c : game.mapGrid) ASSERT_EQ(c, 0);
  // The third action opens it from the keyboard too.
  Frame({shell_test::key::kC});
  Frame();
  EXPECT_EQ(Editor().mode, edit_mode::kMainMenu);
}

TEST_F(EditorScreenTest, TheNameDialogTakesTypedJapaneseTextAndSavesTheStage) {
  Click({20, 20});
  RightClick();
  Click(MenuEntry(4));
  ASSERT_EQ(Editor().mode, edit_mode::kSaveDialog);
  Type(u8"地下");
  Type(u8"訓練ABC");
  // Enter does not close the dialog.
  Frame({shell_test::key::kZ});
  TypeControl(13);
  EXPECT_EQ(Editor().mode, edit_mode::kSaveDialog);
  Click(kSaveButton);
  EXPECT_EQ(Editor().mode, edit_mode::kMainMenu);
  EXPECT_STREQ(Editor().stageName, "地下訓練ABC");
  const std::string bytes = testing_support::ReadFileBytes(StageFile("01.stg"));
  ASSERT_EQ(bytes.size(), 3000u);
  EXPECT_EQ(std::string(bytes.c_str() + 2929), "地下訓練ABC");
  EXPECT_EQ(bytes[0], 25);
}

TEST_F(EditorScreenTest, CancelKeepsTheTypedNameButWritesNothing) {
  RightClick();
  Click(MenuEntry(4));
  Type(u8"仮");
  Click(kCancelButton);
  EXPECT_STREQ(Editor().stageName, "仮");
  EXPECT_FALSE(std::filesystem::exists(StageFile("01.stg")));
  // The next opening starts from the kept name.
  Click(MenuEntry(4));
  Type(u8"名");
  Click(kSaveButton);
  EXPECT_STREQ(Editor().stageName, "仮名");
}

TEST_F(EditorScreenTest, ADialogOpenedAndClosedManyTimesStillGetsItsInput) {
  RightClick();
  for (int i = 0; i < 25; ++i) {
    Click(MenuEntry(4));
    ASSERT_EQ(Editor().mode, edit_mode::kSaveDialog) << i;
    ASSERT_GE(Editor().keyInput, 0) << i;
    if (i % 2 == 0) {
      Click(kCancelButton);
    } else {
      RightClick();
    }
    ASSERT_EQ(Editor().keyInput, -1) << i;
  }
  Click(MenuEntry(4));
  Type(u8"X");
  Click(kSaveButton);
  EXPECT_STREQ(Editor().stageName, "X");
}

TEST_F(EditorScreenTest, TheInputMethodsCompositionIsShownAndItsResultTyped) {
  RightClick();
  Click(MenuEntry(4));
  platform::WindowEvent compose;
  compose.type = platform::WindowEventType::kTextEditing;
  compose.text = reinterpret_cast<const char*>(u8"ちか");
  compose.a = 2;
  rt_.windows().Queue(compose);
  Frame();
  compose.text = "";
  compose.a = 0;
  rt_.windows().Queue(compose);
  Type(u8"地下");
  Click(kSaveButton);
  EXPECT_STREQ(Editor().stageName, "地下");
}

TEST_F(EditorScreenTest, QuitGoesBackToTheSlotScreenWhichListsTheSavedStage) {
  Click({20, 20});
  RightClick();
  Click(MenuEntry(4));
  Type(u8"一番");
  Click(kSaveButton);
  Click(MenuEntry(5));
  EXPECT_EQ(game.gameState, STATE_EDIT_SLOT_SELECT);
  Frame();
  EXPECT_STREQ(Editor().buttons[0].label, "一番");
  // And it opens again for editing.
  std::memset(game.mapGrid, 0, sizeof game.mapGrid);
  Click(SlotButton(0));
  Click(kEditButton);
  EXPECT_EQ(game.gameState, STATE_EDITOR);
  Frame();
  EXPECT_EQ(Cell(0, 0), 25);
  EXPECT_STREQ(Editor().stageName, "一番");
}

TEST_F(EditorScreenTest, HoldingTheButtonOverASlotActsOnce) {
  RightClick();
  Click(MenuEntry(5));
  Frame();
  Mouse(SlotButton(2), kLeft);
  EXPECT_EQ(Editor().mode, edit_mode::kSlotChosen);
  EXPECT_EQ(Editor().slotNumber, 3);
  // Still held over where "編集" is: the latch keeps it from acting.
  for (int i = 0; i < 5; ++i) Mouse(kEditButton, kLeft);
  EXPECT_EQ(Editor().mode, edit_mode::kSlotChosen);
  Mouse(kEditButton, 0);
  // A slot without a file stays chosen; the right button goes back to the list.
  Click(kEditButton);
  EXPECT_EQ(game.gameState, STATE_EDIT_SLOT_SELECT);
  RightClick();
  EXPECT_EQ(Editor().mode, edit_mode::kSlotList);
  RightClick();
  EXPECT_EQ(game.gameState, STATE_TITLE);
}

}  // namespace
}  // namespace editor_test
