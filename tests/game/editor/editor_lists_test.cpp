// The lists and settings the main menu opens, as a user clicks through them: each list's
// entries and choice, the enemy settings with their sub-lists and disabled rows, and the
// stage settings down to the bytes of the saved stage.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/mission/player.h"
#include "tests/game/editor/editor_fixture.h"

namespace editor_test {
namespace {

class EditorListsTest : public EditorTest {
 protected:
  void SetUp() override {
    NewStage(2);
    RightClick();
  }

  std::vector<int> EnabledIds() {
    std::vector<int> ids;
    for (const EditorButton& b : Editor().buttons) {
      if (b.enabled != 0) ids.push_back(b.id);
    }
    return ids;
  }

  // Enemy slot s of the list, then its settings.
  void OpenEnemySlot(int s) {
    Click(MenuEntry(2));
    ASSERT_EQ(Editor().mode, edit_mode::kEnemyList);
    Click({230, 55 + 34 * s});
    ASSERT_EQ(Editor().mode, edit_mode::kEnemySettings);
    Frame();
  }
  void ChooseType(int type) {
    Click({180, 65});  // "敵のタイプ"
    ASSERT_EQ(Editor().mode, edit_mode::kEnemyType);
    Frame();
    Click({630, 39 + 29 * (type - 1)});
    ASSERT_EQ(Editor().mode, edit_mode::kEnemySettings);
    Frame();
  }
};

TEST_F(EditorListsTest, TheBlockListPlacesTheChosenBlockWithoutPaintingOnTheChoosingClick) {
  Click(MenuEntry(1));
  ASSERT_EQ(Editor().mode, edit_mode::kBlockList);
  Frame();
  ASSERT_EQ(Editor().buttons.size(), 29u);
  // Second column, second row: index 15, the vanishing block.
  const struct {
    int x, y;
    int code;
  } kChoices[] = {{550, 79, 79}, {230, 45, 25}, {550, 45 + 34 * 14, 92}, {230, 45 + 34 * 13, 75}};
  for (const auto& c : kChoices) {
    Mouse(c.x, c.y, kLeft);
    EXPECT_EQ(Editor().mode, edit_mode::kMap);
    EXPECT_EQ(game.editBlockCode, c.code);
    Mouse(c.x, c.y, kLeft);  // still the choosing press
    EXPECT_EQ(Cell(c.x / 40, c.y / 40), 0);
    Mouse(c.x, c.y, 0);
    // The cursor cell follows the mouse only when it moves.
    Mouse(c.x + 1, c.y, 0);
    Click({c.x + 1, c.y});
    EXPECT_EQ(Cell(c.x / 40, c.y / 40), c.code);
    RightClick({790, 590});
    Click(MenuEntry(1));
  }
}

TEST_F(EditorListsTest, TheBlockListFollowsTheKeysWithWrapping) {
  Click(MenuEntry(1));
  game.menuCursor = 0;
  Frame({shell_test::key::kUp});
  Frame();
  EXPECT_EQ(game.menuCursor, 28);
  Frame({shell_test::key::kDown});
  Frame({shell_test::key::kDown});  // held: waits for the repeat
  Frame();
  Frame({shell_test::key::kDown});
  Frame();
  EXPECT_EQ(game.menuCursor, 1);
  Frame({shell_test::key::kZ});
  Frame();
  EXPECT_EQ(Editor().mode, edit_mode::kMap);
  EXPECT_EQ(game.editBlockCode, 35);
}

TEST_F(EditorListsTest, TheItemListOffersEightBulletsWithoutTheUnlockAndThirteenWithIt) {
  Click(MenuEntry(6));
  ASSERT_EQ(Editor().mode, edit_mode::kItemList);
  Frame();
  // Nothing hovered: the help line must not look into the description table.
  Mouse(790, 10);
  EXPECT_EQ(Editor().buttons.size(), 8u + 7u + 3u);
  Click({550, 55 + 34 * 5});  // row 5 of the gadgets: the optical camouflage, id 167
  EXPECT_EQ(game.editBlockCode, 167);
  EXPECT_EQ(Editor().mode, edit_mode::kMap);

  game.prefsFile[15] = 1;
  RightClick();
  Click(MenuEntry(6));
  Frame();
  EXPECT_EQ(Editor().buttons.size(), 13u + 7u + 3u);
  Click({230, 55 + 34 * 12});
  EXPECT_EQ(game.editBlockCode, 153);
}

TEST_F(EditorListsTest, EnemyRowsAreEnabledByType) {
  const struct {
    int type;
    std::vector<int> enabled;
  } kCases[] = {
      {1, {0, 1, 2, 5, 6, 7, 8, 9, 10}}, {3, {0, 2, 3, 4, 9, 10}}, {4, {0, 2, 3, 9, 10}},
      {12, {0, 9, 10}},                  {14, {0, 3, 4, 9, 10}},   {17, {0, 2, 9, 10}},
  };
  OpenEnemySlot(0);
  EXPECT_EQ(EnabledIds(), std::vector<int>{0});  // an empty slot: only its type
  for (const auto& c : kCases) {
    ChooseType(c.type);
    EXPECT_EQ(game.editEnemies[0].type, static_cast<uint32_t>(c.type));
    EXPECT_EQ(EnabledIds(), c.enabled) << c.type;
  }
}

TEST_F(EditorListsTest, ChangingTheTypeResetsTheSlotAndChoosingTheSameKeepsIt) {
  OpenEnemySlot(3);
  ChooseType(1);
  Click({180, 95});  // 装備
  ASSERT_EQ(Editor().mode, edit_mode::kEnemyEquipment);
  Frame();
  Click({630, 45 + 30 * 3});  // M60
  Click({180, 125});          // 向き
  Frame();
  Click({630, 80});  // 左向き
  Click({180, 215});  // 初期行動
  Frame();
  Click({630, 45 + 30 * 4});
  EditEnemy& e = game.editEnemies[3];
  EXPECT_EQ(e.equipment, 3);
  EXPECT_EQ(e.facing, 1u);
  EXPECT_EQ(e.initialBehaviour, 4);
  ChooseType(1);
  EXPECT_EQ(e.equipment, 3);
  ChooseType(2);
  EXPECT_EQ(e.equipment, 0);
  EXPECT_EQ(e.facing, 0u);
  EXPECT_EQ(e.initialBehaviour, 0);
  // The enemy list shows the type's name; クリア empties the slot.
  RightClick();
  Frame();
  EXPECT_STREQ(Editor().buttons[3].label, "強化・歩兵");
  Click({230, 55 + 34 * 3});
  Click({180, 455});
  EXPECT_EQ(e.type, 0u);
}

TEST_F(EditorListsTest, HoldingIncreaseStepsOnceThenEveryFrameAfterTwentyFourAndWraps) {
  OpenEnemySlot(0);
  ChooseType(3);
  Click({180, 155});  // パラメータ１
  ASSERT_EQ(Editor().mode, edit_mode::kEnemyParam1);
  Frame();
  EditEnemy& e = game.editEnemies[0];
  // The step buttons open beside the parameter's row.
  Mouse(StepUp(140), kLeft);
  EXPECT_EQ(e.param1, 1u);
  for (int i = 0; i < 23; ++i) Mouse(StepUp(140), kLeft);
  EXPECT_EQ(e.param1, 1u);
  Mouse(StepUp(140), kLeft);
  EXPECT_EQ(e.param1, 2u);
  for (int i = 0; i < 10; ++i) Mouse(StepUp(140), kLeft);
  EXPECT_EQ(e.param1, 12u);
  Mouse(StepUp(140), 0);
  Click(StepDown(140));
  EXPECT_EQ(e.param1, 11u);
  e.param1 = 255;
  Click(StepUp(140));
  EXPECT_EQ(e.param1, 0u);
  Click(StepDown(140));
  EXPECT_EQ(e.param1, 255u);
  RightClick();
  EXPECT_EQ(Editor().mode, edit_mode::kEnemySettings);
}

TEST_F(EditorListsTest, AnEnemyIsPlacedOnTheMapOnceAndClearingLeavesItsMarker) {
  OpenEnemySlot(4);
  Click({180, 415});  // マップに配置 on an empty slot does nothing
  EXPECT_EQ(Editor().mode, edit_mode::kEnemySettings);
  ChooseType(11);
  Click({180, 415});
  ASSERT_EQ(Editor().mode, edit_mode::kMap);
  EXPECT_EQ(game.editBlockCode, 205);
  Click({100, 100});
  Click({300, 100});
  EXPECT_EQ(Cell(2, 2), 0);
  EXPECT_EQ(Cell(7, 2), 205);
  // The wheel does nothing on an enemy marker.
  Mouse(300, 100, 0, -1);
  EXPECT_EQ(game.editSkin, 0);
  RightClick();
  OpenEnemySlot(4);
  Click({180, 455});
  EXPECT_EQ(game.editEnemies[4].type, 0u);
  EXPECT_EQ(Cell(7, 2), 205);
}

TEST_F(EditorListsTest, StageSettingsRowsEndUpInTheSavedRecord) {
  Click(MenuEntry(3));
  ASSERT_EQ(Editor().mode, edit_mode::kStageSettings);
  Frame();
  auto row = [](int i) { return Point{180, 40 + 30 * i}; };
  Click(row(0));  // width
  Click(StepUp(25));
  Click(StepUp(25));
  Click(StepUp(25));    // 3 wraps to 1
  Click(StepDown(25));  // 1 wraps to 3
  RightClick();
  Click(row(1));  // height
  Click(StepUp(55));
  RightClick();
  Click(row(2));  // atmosphere 0 wraps down to 7
  Click(StepDown(85));
  RightClick();
  EXPECT_EQ(game.area, 7);
  EXPECT_EQ(game.missionNumber, 22);
  Click(row(3));  // darkness off
  Click(StepUp(115));
  RightClick();
  Click(row(4));  // stealth on
  Click(StepUp(145));
  RightClick();
  Click({150, 265 + 35 * 2});  // metal rounds
  for (int i = 0; i < 3; ++i) Click(StepUp(250 + 35 * 2, 460));
  RightClick();
  Click({150, 265});  // tranquilliser rounds: 0 wraps down to 99
  Click(StepDown(250, 460));
  RightClick();
  EXPECT_EQ(game.editScreensX, 3);
  EXPECT_EQ(game.editScreensY, 2);

  RightClick();
  Click(MenuEntry(4));
  Click(kSaveButton);
  const std::string bytes = testing_support::ReadFileBytes(StageFile("02.stg"));
  ASSERT_EQ(bytes.size(), 3000u);
  const struct {
    int at, value;
  } kBytes[] = {{2920, 3}, {2921, 2}, {2922, 7}, {2924, 1}, {2925, 1}, {2980, 99}, {2982, 3}, {2981, 0}};
  for (const auto& b : kBytes) EXPECT_EQ(static_cast<uint8_t>(bytes[static_cast<size_t>(b.at)]), b.value) << b.at;
}

TEST_F(EditorListsTest, WithoutTheUnlockTheHigherCountsKeepTheirValues) {
  Editor().equipCounts[10] = 42;
  Click(MenuEntry(3));
  Frame();
  EXPECT_EQ(Editor().buttons.size(), 5u + 8u);
  Click({500, 265});  // where the ninth count row would be
  EXPECT_EQ(Editor().mode, edit_mode::kStageSettings);
  EXPECT_EQ(Editor().equipCounts[10], 42);
}

}  // namespace
}  // namespace editor_test
