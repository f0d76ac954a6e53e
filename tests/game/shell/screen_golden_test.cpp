// The option and key-configuration screens drawn with the data set's own pictures, each
// compared with its golden image: every piece the screens cut shows what it names, and no
// note, plate or seam is drawn over another's text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/shell/game_data.h"
#include "runtime/core/random.h"
#include "tests/game/shell/shell_fixture.h"
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
    for (const dataset::AssetEntry& e : dataset::AssetList()) {
      for (const char* path : {"patch/option.png", "patch/option02.png", "patch/option03.png", "patch/option04.png",
                               "gsx/menu_back.png", "patch/ui_01.png", "gsx/briefing11.png"}) {
        if (e.path == path) WriteData(path, dataset::BuildAsset(e));
      }
    }
    StartToTitle();
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
    std::vector<uint8_t> rgb;
    rgb.reserve(static_cast<size_t>(f.width) * f.height * 3);
    for (int y = 0; y < f.height; ++y) {
      for (int x = 0; x < f.width; ++x) {
        const uint32_t p = f.Pixel(x, y);
        rgb.push_back(static_cast<uint8_t>(p >> 16));
        rgb.push_back(static_cast<uint8_t>(p >> 8));
        rgb.push_back(static_cast<uint8_t>(p));
      }
    }
    return testing_support::MatchesGolden(GoldenDir(), name, rgb, f.width, f.height);
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

}  // namespace
