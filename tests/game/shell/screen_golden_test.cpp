// The option and key-configuration screens drawn with the data set's own pictures, each
// compared with its golden image: every piece the screens cut shows what it names, and no
// note, plate or seam is drawn over another's text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "game/shell/game_data.h"
#include "game/shell/briefing_screen.h"
#include "game/shell/game_over.h"
#include "runtime/api.h"
#include "runtime/image/graph_image.h"
#include "runtime/image/image_loader.h"
#include "runtime/core/random.h"
#include "tests/game/shell/shell_fixture.h"
#include "tests/support/display_fixture.h"
#include "tests/support/golden_image.h"
#include "tools/dataset/asset_list.h"
#include "tools/dataset/dataset_builder.h"

namespace {

using shell_test::GameRunTest;
namespace key = platform::key;

std::string GoldenDir() { return std::string(TEST_SOURCE_DIR) + "/golden"; }

class ScreenGoldenTest : public GameRunTest {
 protected:
  void SetUp() override {
    WriteAssets([](const std::string& path) {
      for (const char* p : {"patch/option.png", "patch/option02.png", "patch/option03.png", "patch/option04.png",
                            "gsx/menu_back.png", "patch/ui_01.png", "gsx/briefing11.png"}) {
        if (path == p) return true;
      }
      return false;
    });
    StartToTitle();
  }

  // Writes the data set's pictures whose paths the filter takes.
  template <typename Filter>
  void WriteAssets(Filter take) {
    for (const dataset::AssetEntry& e : dataset::AssetList()) {
      if (take(e.path)) WriteData(e.path, dataset::BuildAsset(e));
    }
  }
  // Writes one picture and loads it into a graph slot, as the screen's set would.
  void LoadAsset(int slot, const std::string& path) {
    WriteAssets([&path](const std::string& p) { return p == path; });
    game.graphs[slot] = LoadGraph(path.c_str());
    ASSERT_GE(game.graphs[slot], 0) << path;
  }

  void Open(int state, int row) {
    game.gameState = state;
    game.screenEntered = 0;
    game.menuCursor = 0;
    for (int i = 0; i < 40; ++i) Frame();
    game.menuCursor = row;
    rt::SeedRandom(7);
    Frame();
  }

  ::testing::AssertionResult Matches(const std::string& name) {
    const auto& f = rt_.presenter().Last();
    return testing_support::MatchesGolden(GoldenDir(), name, testing_support::PresentedRgb(f), f.width, f.height);
  }
};

TEST_F(ScreenGoldenTest, OptionsRowsAndTheirNotes) {
  // Row 3 shows the on and off plates, rows 4 and 5 their notes, row 7 the longest help line.
  for (int row : {3, 4, 5, 7}) {
    Open(STATE_OPTIONS, row);
    EXPECT_TRUE(Matches("options_row" + std::to_string(row))) << row;
  }
}

TEST_F(ScreenGoldenTest, KeyConfiguration) {
  // The key configuration draws the pictures the options screen loaded.
  Open(STATE_OPTIONS, 7);
  game.gameState = STATE_KEY_CONFIG;
  game.screenEntered = 0;
  game.menuCursor = 0;
  Frame();
  rt::SeedRandom(7);
  Frame();
  EXPECT_TRUE(Matches("key_config"));
}

TEST_F(ScreenGoldenTest, GameOverPicture) {
  // Mid-fade over a stage picture: the words on their own plate, no grade marks beside them,
  // and nothing of the stage across the letters.
  LoadAsset(10, "patch/result.png");
  game.gameState = STATE_IDLE_21;
  game.gameOverFade = 0;
  player.action = kActionGameOverFade;
  for (int i = 0; i < 40; ++i) Frame();
  EXPECT_TRUE(Matches("game_over"));
}

TEST_F(ScreenGoldenTest, GameOverMenu) {
  // The black menu after the picture: the selected bar and its glow, nothing dark beside it.
  LoadAsset(15, "patch/pause_w.png");
  game.gameState = STATE_GAME_OVER_MENU;
  game.gameMode = kModeStory;
  game.menuCursor = 1;
  rt::SeedRandom(7);
  Frame();
  EXPECT_TRUE(Matches("game_over_menu"));
}

TEST_F(ScreenGoldenTest, SaveSlotCard) {
  // A used slot: the portrait inside its frame, the "Data - 1" tab whole above it.
  WriteAssets([](const std::string& p) { return p == "patch/start_menu.png" || p == "gsx/briefing_back.png"; });
  std::string record(512, '\0');
  record[0] = 1;
  record[3] = 100;
  WriteData("data/save1.dat", record);
  game.menuCursor = 0;
  Frame({key::kZ});
  ASSERT_EQ(game.gameState, STATE_SAVE_SELECT);
  for (int i = 0; i < 60; ++i) Frame();
  rt::SeedRandom(7);
  Frame();
  EXPECT_TRUE(Matches("save_slot_card"));
}

// The briefing after the first clear: the save record of a player who left stage 1-1 by its
// first door, with the story's objective set to stage 2-1.
class BriefingGoldenTest : public ScreenGoldenTest {
 protected:
  void OpenBriefing() {
    WriteAssets([](const std::string& p) {
      return p.starts_with("gsx/briefing") || p == "patch/briefing_str.png" || p == "gsx/st_panel.png" ||
             p == "gsx/cursor.png";
    });
    game.saveSlot = 1;
    game.saveRecord[71] = 1;
    game.saveRecord[230] = 1;
    game.saveRecord[498] = 1;
    game.saveRecord[499] = 0;
    game.character = 0;
    game.autoSave = 0;
    for (uint16_t& w : player.weapons) w = 0xFFFF;
    for (uint16_t& g : player.gadgets) g = 0xFFFF;
    player.weapons[0] = 8;
    player.weapons[2] = 3;
    player.selectedWeapon = 0;
    game.nextArea = 0;
    game.nextSubStage = 0;
    game.gameState = STATE_BRIEFING_MAP;
    game.screenEntered = 0;
    game.briefing.Create();
    Frames(40);
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }
  void Still() {
    rt::SeedRandom(7);
    Frame();
  }
};

TEST_F(BriefingGoldenTest, RoutePageBeforeABranchIsChosen) {
  // The plate says how to choose; the objective's marker stands on the stage's icon.
  OpenBriefing();
  Press(key::kZ);
  Frames(40);
  ASSERT_EQ(game.screenTimer, briefing_page::kRoute);
  Still();
  EXPECT_TRUE(Matches("briefing_route"));
}

TEST_F(BriefingGoldenTest, EquipmentPageCursorAndSetMark) {
  // One panel frame for the weapons; every weapon row shows its name or "not owned"; confirm
  // on the third weapon moves the "set" mark to it.
  OpenBriefing();
  Press(key::kDown);
  Press(key::kZ);
  Frames(40);
  Press(key::kZ);
  Frames(40);
  ASSERT_EQ(game.screenTimer, briefing_page::kEquipment);
  Press(key::kDown);
  Press(key::kZ);
  EXPECT_EQ(player.selectedWeapon, 0) << "the second weapon is not owned";
  Press(key::kDown);
  Press(key::kZ);
  EXPECT_EQ(player.selectedWeapon, 2);
  Still();
  EXPECT_TRUE(Matches("briefing_equipment"));
}

// The third character's mission list shows the stored grade as marks cut from the sheet in
// slot 10: each mark on screen is the sheet's mark for that grade, the bonus mark beside it.
class BriefingMarksTest : public GameRunTest {
 protected:
  void SetUp() override {
    for (const dataset::AssetEntry& e : dataset::AssetList()) {
      for (const char* path : {"gsx/briefing_back.png", "patch/suvel_select.png", "gsx/briefing11.png",
                               "patch/result.png", "patch/vr_menu.png", "gsx/num.png"}) {
        if (e.path == path) WriteData(path, dataset::BuildAsset(e));
      }
    }
    StartToTitle();
    ASSERT_EQ(rt::LoadGraphImage(File("patch/result.png").c_str(), nullptr, 0, 0, 0, 0, &sheet_, nullptr, nullptr), 0);
  }
  void TearDown() override { rt::ReleaseGraphImage(&sheet_); }

  // Share of the sheet's inked (not black, the colour key) pixels in the 28 x 28 cut at
  // (sx, sy) that the screen shows unchanged at (x, 115); -1 when the cut holds too few to be
  // a mark.
  double Shown(int x, int sx, int sy) {
    const auto& f = rt_.presenter().Last();
    int opaque = 0, same = 0;
    for (int dy = 0; dy < 28; ++dy) {
      for (int dx = 0; dx < 28; ++dx) {
        int r, g, b, a;
        rt::GetGraphImagePixel(&sheet_, sx + dx, sy + dy, &r, &g, &b, &a);
        if (r + g + b == 0) continue;
        ++opaque;
        const uint32_t p = f.Pixel(x + dx, 115 + dy);
        same += std::abs(static_cast<int>(p >> 16 & 255) - r) <= 2 &&
                std::abs(static_cast<int>(p >> 8 & 255) - g) <= 2 && std::abs(static_cast<int>(p & 255) - b) <= 2;
      }
    }
    return opaque < 100 ? -1 : static_cast<double>(same) / opaque;
  }

  rt::GraphImage sheet_{};
};

TEST_F(BriefingMarksTest, StoredGradesAndTheBonusMark) {
  struct Case {
    int result, row;
  };
  for (const Case c : {Case{85, 353}, Case{65, 382}, Case{45, 412}, Case{25, 442}, Case{15, 472}}) {
    game.missionNumber = 1;
    game.saveRecord[399 + 1] = static_cast<uint8_t>(c.result);
    game.gameState = STATE_MISSION_BRIEFING;
    game.screenEntered = 0;
    for (int i = 0; i < 40; ++i) Frame();
    // The bonus mark is drawn over the grade mark's right edge.
    EXPECT_GE(Shown(364, 2, c.row), 0.85) << c.result;
    EXPECT_GE(Shown(381, 89, c.row), 0.95) << c.result;
  }
}

}  // namespace
