#include <gtest/gtest.h>

#include <array>
#include <string>

#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "runtime/api.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

using shell_test::GameRunTest;
namespace key = platform::key;

std::array<int, 9> Work() {
  std::array<int, 9> work;
  std::copy(game.keyAssignWork, game.keyAssignWork + 9, work.begin());
  return work;
}
std::array<int, 9> Assigned() {
  std::array<int, 9> keys;
  std::copy(game.keyAssign, game.keyAssign + 9, keys.begin());
  return keys;
}

constexpr std::array<int, 9> kDefault = {0, 1, 2, 3, 4, 5, 6, 7, 8};

class KeyConfigTest : public GameRunTest {
 protected:
  // Enters the key configuration from the options, as its row 7 does.
  void Enter() {
    WriteBootData();
    Start();
    FramesWhileIn(STATE_BOOT);
    game.gameState = STATE_OPTIONS;
    game.screenEntered = 0;
    Frame();
    game.gameState = STATE_KEY_CONFIG;
    game.screenEntered = 0;
    game.menuCursor = 0;
    Frame();
  }

  void MoveTo(int row) {
    while (game.menuCursor != row) Press(key::kDown);
  }
};

TEST_F(KeyConfigTest, EntryCopiesTheAssignmentOnce) {
  Enter();
  EXPECT_EQ(game.screenEntered, 1);
  EXPECT_EQ(Work(), Assigned());
  game.keyAssign[1] = 5;
  Frame();
  EXPECT_EQ(game.keyAssignWork[1], 1);
}

TEST_F(KeyConfigTest, ButtonOnAnActionRowTakesThatAction) {
  Enter();
  Frame({key::kC});  // button 3 on row 0 (action 1)
  EXPECT_EQ(Work(), (std::array<int, 9>{0, 3, 2, 1, 4, 5, 6, 7, 8}));
  EXPECT_EQ(Assigned(), kDefault) << "nothing is committed yet";
  Frame({key::kC});
  Frame({key::kC});
  EXPECT_EQ(game.keyAssignWork[3], 1) << "a held button swaps once";
  EXPECT_EQ(game.keyAssignWork[1], 3);
  Frame();
  Frame({key::kZ});  // confirm is button 1, now on row 0 a button like any other
  EXPECT_EQ(game.keyAssignWork[1], 1);
  EXPECT_EQ(game.keyAssignWork[3], 3);
  EXPECT_EQ(game.gameState, STATE_KEY_CONFIG);
}

TEST_F(KeyConfigTest, CommitRowStoresTheAssignmentAndWritesTheSettings) {
  Enter();
  Press(key::kX);  // button 2 gets action 1
  MoveTo(8);
  Frame({key::kZ});  // the actions follow the committed assignment until the commit
  EXPECT_EQ(game.gameState, STATE_OPTIONS);
  EXPECT_EQ(game.screenEntered, 1) << "the options keep their screen";
  EXPECT_EQ(game.menuCursor, 0);
  EXPECT_EQ(game.keyLatch, 1);
  EXPECT_EQ(Assigned(), (std::array<int, 9>{0, 2, 1, 3, 4, 5, 6, 7, 8}));
  const std::string prefs = testing_support::ReadFileBytes(File("pre.dat"));
  ASSERT_EQ(prefs.size(), 50u);
  EXPECT_EQ(prefs[1], 2);
  EXPECT_EQ(prefs[2], 1);
  EXPECT_EQ(CheckSoundPlaying(game.sounds[kSoundConfirm]), 1);
}

TEST_F(KeyConfigTest, CancelRowDropsTheWorkCopy) {
  Enter();
  Press(key::kX);
  Frame({key::kUp});
  EXPECT_EQ(game.menuCursor, 9) << "up from the first row wraps to the last";
  Frame();
  Frame({key::kZ});
  EXPECT_EQ(game.gameState, STATE_OPTIONS);
  EXPECT_EQ(Assigned(), kDefault);
  EXPECT_EQ(CheckSoundPlaying(game.sounds[kSoundCancel]), 1);
}

TEST_F(KeyConfigTest, ButtonsOtherThanConfirmDoNothingOnTheLastRows) {
  Enter();
  MoveTo(8);
  Frame({key::kC});
  Frame();
  MoveTo(9);
  Frame({key::kS});
  EXPECT_EQ(Work(), kDefault);
  EXPECT_EQ(game.gameState, STATE_KEY_CONFIG);
  Frame();
  Press(key::kDown);
  EXPECT_EQ(game.menuCursor, 0) << "down from the last row wraps to the first";
}

}  // namespace
