#include "game/mission/hud.h"

#include <gtest/gtest.h>

#include <string>

#include "game/mission/enemies.h"
#include "game/mission/player_movement.h"
#include "game/mission/shots.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "runtime/api.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/image_fixture.h"

namespace {

using mission_test::MissionHarness;
using testing_support::Picture;

// A digit strip whose pixels tell what was cut: red = 20 + 20 × digit column, blue = the
// source row (y), green 200.
Picture DigitStrip() {
  Picture p;
  p.width = 90;
  p.height = 64;
  p.pixels.resize(static_cast<size_t>(p.width * p.height));
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) p.At(x, y) = {static_cast<uint8_t>(20 + 20 * (x / 9)), 200, static_cast<uint8_t>(y + 1), 255};
  }
  return p;
}

class HudTest : public ::testing::Test {
 protected:
  HudTest() {
    h_.WriteData("gsx/num.png", testing_support::MakePng(DigitStrip()));
    LoadGraphIntoSlot(7, "gsx/num.png");
    ClearDrawScreen();
  }
  const platform::RecordingPresenter::Frame& Show() {
    FlipScreen();
    return h_.runtime().presenter().Last();
  }
  // One character per pixel of a row: the digit drawn there, or '.'.
  static std::string Strip(const platform::RecordingPresenter::Frame& f, int y, int x0, int x1) {
    std::string s;
    for (int x = x0; x < x1; ++x) {
      const int red = (f.Pixel(x, y) >> 16) & 0xFF;
      s += red == 0 ? '.' : static_cast<char>('0' + (red - 20) / 20);
    }
    return s;
  }
  MissionHarness h_;
};

TEST_F(HudTest, DrawNumberAlignsAndSpacesDigits) {
  DrawNumber(7, 10, 0, 0, 0, 0);
  DrawNumber(42, 100, 20, 0, 2, 0);
  DrawNumber(305, 100, 40, 0, 1, 0);
  DrawNumber(123, 100, 60, 4, 1, 0);
  DrawNumber(45, 100, 80, 4, 2, 0);
  DrawNumber(0, 10, 100, 0, 0, 0);
  DrawNumber(999999, 10, 120, 0, 0, 0);
  DrawNumber(1000000, 10, 140, 0, 0, 0);
  DrawNumber(-5, 10, 160, 0, 0, 0);
  const auto& f = Show();
  EXPECT_EQ(Strip(f, 1, 8, 22), "..777777777...");
  EXPECT_EQ(Strip(f, 21, 78, 102), "..444444444.222222222...");
  EXPECT_EQ(Strip(f, 41, 83, 116), "..333333333.000000000.555555555..");
  EXPECT_EQ(Strip(f, 61, 88, 121), "..111111111.222222222.333333333..") << "centred on row 4 by 7 per digit, 10 apart";
  EXPECT_EQ(Strip(f, 81, 84, 108), "..444444444.555555555...") << "right-aligned on row 4 by 7 per digit";
  EXPECT_EQ(Strip(f, 101, 8, 22), "..000000000...");
  EXPECT_EQ(Strip(f, 121, 8, 72), "..999999999.999999999.999999999.999999999.999999999.999999999...");
  EXPECT_EQ(Strip(f, 141, 8, 72), std::string(64, '.'));
  EXPECT_EQ(Strip(f, 161, 8, 22), std::string(14, '.'));
  EXPECT_EQ(static_cast<int>(f.Pixel(92, 60) & 0xFF) - 1, 44) << "row 4 is cut from y 44";
}

TEST_F(HudTest, TheTallStyleCutsSixteenRowsLowerAndTints) {
  DrawNumber(3, 10, 0, 0, 0, 2);
  DrawNumber(3, 40, 0, 0, 0, 0);
  const auto& f = Show();
  const uint32_t tallTop = f.Pixel(12, 0), tallBottom = f.Pixel(12, 15), plainTop = f.Pixel(42, 0);
  EXPECT_EQ((tallTop >> 16) & 0xFF, 80u) << "red untouched by the tint";
  EXPECT_NEAR(static_cast<int>((tallTop >> 8) & 0xFF), 200 * 196 / 255, 1) << "green tinted";
  EXPECT_NEAR(static_cast<int>(tallTop & 0xFF), 12 * 196 / 255, 1) << "cut from y 11";
  EXPECT_NE(tallBottom & 0xFFFFFF, 0u) << "16 rows high";
  EXPECT_EQ(f.Pixel(42, 11) & 0xFFFFFF, 0u) << "plain cells are 11 rows high";
  EXPECT_EQ((plainTop >> 8) & 0xFF, 200u) << "the tint is reset after each tall digit";
}

TEST_F(HudTest, DrawTimePadsEachPartToTwoDigits) {
  DrawTime(1, 5, 30, 200, 100, 0, 0, 0);
  const auto& f = Show();
  const int xs[6] = {200, 210, 225, 235, 250, 260};
  const char want[7] = "010530";
  for (int i = 0; i < 6; ++i) {
    const int red = (f.Pixel(xs[i] + 4, 101) >> 16) & 0xFF;
    EXPECT_EQ(static_cast<char>('0' + (red - 20) / 20), want[i]) << i;
  }
}

TEST_F(HudTest, TheRadarShowsEnemiesWithinItsWindow) {
  player.x = 300;
  player.y = 300;
  game.scrollX = 800;
  game.scrollY = 0;
  ResetEnemies();
  enemies[0] = Enemy{};
  enemies[0].kind = 1;
  enemies[0].state = 1;
  enemies[0].facing = 1;
  enemies[0].x = 800 + 300 + 100;
  enemies[0].y = 300 + 200;
  enemies[1] = Enemy{};
  enemies[1].kind = 3;
  enemies[1].state = 1;
  enemies[1].x = 800 + 300 + 800;
  enemies[1].y = 300;
  ResetShots();
  DrawRadar();
  const auto& f = Show();
  EXPECT_EQ(f.Pixel(704, 79) & 0xFFFFFF, 0x8080FFu) << "the player";
  EXPECT_EQ(f.Pixel(714, 99) & 0xFFFFFF, 0xFF8080u) << "the soldier";
  EXPECT_EQ(f.Pixel(709, 99) & 0xFFFFFF, 0xFF8080u) << "facing left: the dot left of it";
  EXPECT_EQ(f.Pixel(719, 99) & 0xFFFFFF, 0u);
  EXPECT_EQ(f.Pixel(784, 79) & 0xFFFFFF, 0u) << "800 pixels away is off the radar";
}

TEST_F(HudTest, TheAlertGaugeCountsDownUnpausedFrames) {
  game.alertCountdown = 2000;
  UpdateAlertGauge();
  const auto& f = Show();
  EXPECT_NE((f.Pixel(447, 15) >> 16) & 0xFF, 0u) << "100 pixels at the full alert";
  EXPECT_EQ(f.Pixel(452, 15) & 0xFFFFFF, 0u);
  EXPECT_EQ(game.alertCountdown, 1999);
  game.paused = 1;
  for (int i = 0; i < 10; ++i) UpdateAlertGauge();
  EXPECT_EQ(game.alertCountdown, 1999);
  game.paused = 0;
  player.action = player_action::kDown;
  for (int i = 0; i < 1999; ++i) UpdateAlertGauge();
  EXPECT_EQ(game.alertCountdown, 0);
  UpdateAlertGauge();
  EXPECT_EQ(game.alertCountdown, 0) << "no count below zero";
}

TEST(StageMusic, ChosenByModeCharacterAndStage) {
  struct Case {
    int mode, vr, fixed, character, area, subStage, costume, mission;
    const char* path;
  };
  const Case cases[] = {
      {2, 3, 5, 0, 0, 0, 0, 0, "patch/vr_3.ogg"},
      {0, 0, 3, 1, 0, 0, 0, 0, "bzx/stage_0304.ogg"},
      {0, 0, 9, 0, 0, 0, 0, 0, "patch/stage_k.ogg"},
      {0, 0, 10, 0, 0, 0, 0, 0, nullptr},
      {0, 0, 0, 1, 5, 0, 0, 0, "bzx/stage_m.ogg"},
      {0, 0, 0, 0, 0, 0, 0, 0, "bzx/stage_01.ogg"},
      {0, 0, 0, 0, 1, 10, 0, 0, "bzx/stage_06.ogg"},
      {0, 0, 0, 0, 1, 9, 0, 0, "bzx/stage_02.ogg"},
      {0, 0, 0, 0, 3, 0, 0, 0, "bzx/stage_0304.ogg"},
      {0, 0, 0, 0, 7, 0, 0, 0, "bzx/stage_08.ogg"},
      {3, 0, 0, 2, 0, 0, 0, 3, "bzx/stage_01.ogg"},
      {3, 0, 0, 2, 0, 0, 0, 12, "bzx/stage_0304.ogg"},
      {3, 0, 0, 2, 0, 0, 0, 22, "bzx/stage_08.ogg"},
      {3, 0, 0, 2, 0, 0, 0, 25, "patch/stage_k.ogg"},
      {3, 0, 0, 2, 0, 0, 1, 3, "patch/stage_k.ogg"},
      {1, 0, 0, 2, 0, 0, 0, 3, "patch/stage_k.ogg"},
  };
  for (const Case& c : cases) {
    game.gameMode = static_cast<uint8_t>(c.mode);
    game.vrCategory = static_cast<uint16_t>(c.vr);
    game.fixedStageBgm = static_cast<uint8_t>(c.fixed);
    game.character = static_cast<uint8_t>(c.character);
    game.area = static_cast<uint8_t>(c.area);
    game.subStage = static_cast<uint8_t>(c.subStage);
    game.costume = static_cast<uint8_t>(c.costume);
    game.missionNumber = static_cast<uint8_t>(c.mission);
    const char* path = StageBgmPath();
    if (c.path == nullptr) {
      EXPECT_EQ(path, nullptr);
    } else {
      ASSERT_NE(path, nullptr);
      EXPECT_STREQ(path, c.path);
    }
  }
  game.gameMode = 0;
  game.fixedStageBgm = 0;
}

}  // namespace
