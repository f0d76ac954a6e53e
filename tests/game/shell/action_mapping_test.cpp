#include "game/shell/action_mapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "tests/game/shell/shell_fixture.h"

namespace {

using ActionMappingTest = shell_test::ShellTest;

void Assign(std::array<int, 9> keys) { std::copy(keys.begin(), keys.end(), game.keyAssign); }

std::string Actions() {
  std::string held;
  for (int a = 1; a <= 8; ++a) held += game.action[a] ? char('0' + a) : '.';
  return held;
}

TEST_F(ActionMappingTest, ButtonsBecomeTheirAssignedActions) {
  struct Case {
    const char* name;
    std::array<int, 9> keys;
    int pad;
    const char* actions;
  };
  const Case cases[] = {
      {"default", {0, 1, 2, 3, 4, 5, 6, 7, 8}, PadButtonBit(1) | PadButtonBit(8), "1......8"},
      {"directions are no actions", {0, 1, 2, 3, 4, 5, 6, 7, 8}, kPadUp | kPadDown | kPadLeft | kPadRight,
       "........"},
      {"swapped", {0, 3, 2, 1, 4, 5, 6, 7, 8}, PadButtonBit(1), "..3....."},
      {"two buttons share an action", {0, 2, 2, 3, 4, 5, 6, 7, 8}, PadButtonBit(1), ".2......"},
      {"an action with no button is never set", {0, 2, 2, 3, 4, 5, 6, 7, 8}, 0xFF0, ".2345678"},
      {"out-of-range assignments are ignored", {0, 0, 9, -1, 255, 5, 6, 7, 8}, 0xFF0, "....5678"},
      {"bits past button 8 are no buttons", {0, 1, 2, 3, 4, 5, 6, 7, 8}, 0x1000 | 0x2000, "........"},
  };
  for (const Case& c : cases) {
    Assign(c.keys);
    game.action[3] = 1;  // last frame's flags never survive
    MapPadToActions(c.pad);
    EXPECT_EQ(Actions(), c.actions) << c.name;
  }
}

TEST_F(ActionMappingTest, SwapGivesTheCursorActionToTheButton) {
  Assign({0, 1, 2, 3, 4, 5, 6, 7, 8});
  std::copy(game.keyAssign, game.keyAssign + 9, game.keyAssignWork);
  game.menuCursor = 0;  // action 1
  SwapKeyAssign(3);
  EXPECT_EQ(game.keyAssignWork[3], 1);
  EXPECT_EQ(game.keyAssignWork[1], 3);
}

TEST_F(ActionMappingTest, SwapsKeepAPermutation) {
  std::array<int, 9> work = {0, 1, 2, 3, 4, 5, 6, 7, 8};
  std::copy(work.begin(), work.end(), game.keyAssignWork);
  unsigned seed = 12345;
  for (int step = 0; step < 500; ++step) {
    seed = seed * 1103515245 + 12345;
    game.menuCursor = static_cast<int>((seed >> 16) % 8);
    SwapKeyAssign(static_cast<int>((seed >> 8) % 8) + 1);
    std::array<int, 8> sorted;
    std::copy(game.keyAssignWork + 1, game.keyAssignWork + 9, sorted.begin());
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(sorted, (std::array<int, 8>{1, 2, 3, 4, 5, 6, 7, 8})) << "step " << step;
    ASSERT_EQ(game.keyAssignWork[(seed >> 8) % 8 + 1], game.menuCursor + 1);
  }
}

TEST_F(ActionMappingTest, SwapWithDuplicatesMovesOnlyTheFirstMatch) {
  std::array<int, 9> work = {0, 2, 2, 3, 4, 5, 6, 7, 8};
  std::copy(work.begin(), work.end(), game.keyAssignWork);
  game.menuCursor = 1;  // action 2, held by buttons 1 and 2
  SwapKeyAssign(5);
  EXPECT_EQ(game.keyAssignWork[1], 5);
  EXPECT_EQ(game.keyAssignWork[2], 2);
  EXPECT_EQ(game.keyAssignWork[5], 2);
}

TEST_F(ActionMappingTest, SwapToAnActionNoButtonHoldsJustAssignsIt) {
  std::array<int, 9> work = {0, 2, 2, 3, 4, 5, 6, 7, 8};
  std::copy(work.begin(), work.end(), game.keyAssignWork);
  game.menuCursor = 0;  // action 1, held by no button
  SwapKeyAssign(4);
  EXPECT_EQ(game.keyAssignWork[4], 1);
  EXPECT_EQ(game.keyAssignWork[1], 2);

  SwapKeyAssign(0);
  SwapKeyAssign(9);
  EXPECT_EQ(game.keyAssignWork[0], 0) << "buttons outside 1..8 are refused";
}

}  // namespace
