#include "game/mission/mission_frame.h"
#include "game/story/story_scene.h"

#include <gtest/gtest.h>

#include "game/mission/player_movement.h"
#include "game/shell/game_data.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace {

using mission_test::MissionHarness;
using testing_support::StageRecordBuilder;
namespace key = platform::key;

struct CameraCase {
  int screensX, screensY;
  int startX, startY;  // world, as the loader leaves them
  int scrollX, scrollY;
  int playerX, playerY;  // screen
};

TEST(MissionFrameCamera, EntryCameraAndClamp) {
  const CameraCase cases[] = {
      {1, 1, 620, 360, 0, 0, 620, 360},            // one screen: no camera
      {3, 3, 2380, 1760, 1600, -1200, 780, 560},   // near the far corner: clamped
      {3, 3, 100, 40, 0, 0, 100, 40},              // near the origin: clamped to 0
      {2, 2, 900, 700, 600, -400, 300, 300},       // inside: the start at (300, 300)
      {2, 1, 1500, 200, 800, 0, 700, 200},         // wide only
      {1, 3, 500, 1500, 0, -1200, 500, 300},       // tall only
  };
  for (const CameraCase& c : cases) {
    game.stageScreensX = game.stageFlags[0] = static_cast<uint8_t>(c.screensX);
    game.stageScreensY = game.stageFlags[1] = static_cast<uint8_t>(c.screensY);
    game.scrollX = game.scrollY = 0;
    player.x = c.startX;
    player.y = c.startY;
    PlaceCameraAtStart();
    EXPECT_EQ(game.scrollX, c.scrollX) << c.screensX << "x" << c.screensY << " at " << c.startX;
    EXPECT_EQ(game.scrollY, c.scrollY) << c.screensX << "x" << c.screensY << " at " << c.startY;
    EXPECT_EQ(player.x, c.playerX);
    EXPECT_EQ(player.y, c.playerY);
    EXPECT_EQ(player.x + game.scrollX, c.startX) << "world position kept";
    EXPECT_EQ(player.y - game.scrollY, c.startY);
  }
  mission_test::ResetGameGlobals();
}

class MissionFrameTest : public ::testing::Test {
 protected:
  MissionHarness h_;
};

TEST_F(MissionFrameTest, LitStagesLightThePlayerDarkStagesDoNot) {
  StageRecordBuilder b;
  b.Row(10, 0, 19, 25).Tile(3, 9, 95);
  ASSERT_TRUE(h_.LoadStage(b.bytes()));
  h_.Hold(3);
  EXPECT_EQ(player.isLit, 1);
  const uint32_t litPixel = h_.runtime().presenter().Last().Pixel(700, 100);

  b.Lights(false).Tile(15, 5, 190);
  ASSERT_TRUE(h_.LoadStage(b.bytes()));
  h_.Hold(3);
  EXPECT_EQ(player.isLit, 0) << "the lamp is far away";
  EXPECT_NE(h_.runtime().presenter().Last().Pixel(20, 590), litPixel) << "the darkness box";
  for (int f = 0; f < 200 && player.isLit == 0; ++f) h_.Hold(1, {key::kRight});
  EXPECT_EQ(player.isLit, 1) << "walking into the lamp's light";
}

TEST_F(MissionFrameTest, PauseFreezesTheFrameAndTheSky) {
  StageRecordBuilder b;
  b.Row(10, 0, 19, 25).Tile(3, 9, 95);
  ASSERT_TRUE(h_.LoadStage(b.bytes()));
  h_.Hold(4);
  EXPECT_EQ(game.skyLayerX[1] - game.skyLayerX[0], 800);
  const int sky = game.skyLayerX[0];
  EXPECT_LT(sky, 0) << "the sky drifts a pixel every second frame";
  game.paused = 1;
  const int idle = player.idleTimer;
  h_.Hold(6);
  EXPECT_EQ(game.skyLayerX[0], sky);
  EXPECT_EQ(player.idleTimer, idle);
}

TEST_F(MissionFrameTest, TheSceneOnlyStateStartsTheOpeningSceneWhenNoneRuns) {
  // A caller that set state 20 without creating its scene: the character's opening plays.
  game.gameState = STATE_EVENT_ONLY;
  game.character = 1;
  h_.Hold(1);
  ASSERT_TRUE(game.storyScene);
  EXPECT_EQ(game.storyScene->scene(), 5);
  EXPECT_EQ(game.gameState, STATE_EVENT_ONLY);
  game.storyScene.Delete();
}

}  // namespace
