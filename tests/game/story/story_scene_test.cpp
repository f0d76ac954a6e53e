#include "game/story/story_scene.h"

#include <gtest/gtest.h>

#include <string>

#include "game/mission/player.h"
#include "game/shell/game_data.h"
#include "game/story/event_script.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/game/story/story_fixture.h"
#include "tests/support/stage_fixture.h"

namespace {

using story_test::PlayerFrame;
using story_test::ScriptText;
using story_test::WriteScript;

constexpr int kScriptsOfScenes[] = {1,  2,  3,  4,  5,  7,  8,  11,  19,  21,  23,  26,  28,  29,  30, 31,
                                    40, 41, 42, 43, 46, 47, 62, 63, 64, 101, 102, 103, 104, 140, 141};

struct SceneCase {
  const char* name;
  int scene;
  int character;
  int state;         // game state while the scene runs
  int endScene;      // the scene that follows in the slot, or -1 for an empty slot
  int endState;      // the game state at the end
  int maxFrames;
};

class StorySceneTest : public ::testing::Test {
 protected:
  mission_test::MissionHarness h_;

  void SetUp() override {
    // Every script a scene starts: one line waiting for confirm, then the end.
    for (int n : kScriptsOfScenes) WriteScript(h_, n, ScriptText({"talk_1\tテスト", "key_wait", "end"}));
  }

  // Frames until the scene in the slot is no longer the one started.
  int RunScene(int scene, int maxFrames) {
    StoryScene* started = game.storyScene.get();
    for (int f = 0; f < maxFrames; ++f) {
      if (game.storyScene.get() != started || !game.storyScene || game.storyScene->scene() != scene) return f;
      PlayerFrame(f);
    }
    return -1;
  }
};

TEST_F(StorySceneTest, EveryScenePlaysToItsEnd) {
  const SceneCase cases[] = {
      {"staff roll", 0, 0, STATE_ENDING_START, -1, STATE_UNLOCK_NOTICE, 8000},
      {"first opening", 1, 0, STATE_EVENT_ONLY, 2, STATE_EVENT_ONLY, 1000},
      {"shrine", 2, 0, STATE_EVENT_ONLY, 3, STATE_EVENT_ONLY, 3000},
      {"glider", 3, 0, STATE_EVENT_ONLY, -1, STATE_STAGE_LOAD, 4000},
      {"helicopter drop", 4, 1, STATE_EVENT_ONLY, -1, STATE_STAGE_LOAD, 4000},
      {"second opening", 5, 1, STATE_EVENT_ONLY, 4, STATE_EVENT_ONLY, 3000},
      {"barrier", 7, 0, STATE_STAGE_PLAY, -1, STATE_STAGE_PLAY, 1000},
      {"walk in", 8, 0, STATE_STAGE_PLAY, -1, STATE_STAGE_PLAY, 2000},
      {"barrier two", 9, 1, STATE_STAGE_PLAY, -1, STATE_STAGE_PLAY, 1000},
      {"stand by", 10, 0, STATE_STAGE_PLAY, -1, STATE_STAGE_PLAY, 1000},
      {"first landing", 11, 0, STATE_STAGE_PLAY, -1, STATE_STAGE_PLAY, 1000},
      {"second landing", 12, 1, STATE_STAGE_PLAY, -1, STATE_STAGE_PLAY, 1000},
      {"power", 13, 1, STATE_STAGE_PLAY, -1, STATE_STAGE_PLAY, 1000},
      {"fields", 14, 0, STATE_STAGE_PLAY, -1, STATE_STAGE_PLAY, 1000},
      {"pick-up ending", 15, 0, STATE_STAGE_PLAY, -1, STATE_ENDING_START, 5000},
      {"other side ending", 16, 1, STATE_STAGE_PLAY, -1, STATE_ENDING_START, 3000},
      {"shop", 101, 2, STATE_EVENT_ONLY, -1, STATE_STAGE_LOAD, 3000},
      {"stand-still talk", 110, 2, STATE_STAGE_PLAY, -1, STATE_STAGE_PLAY, 1000},
      {"shop ending", 140, 2, STATE_STAGE_PLAY, -1, STATE_ENDING_START, 2000},
  };
  for (const SceneCase& c : cases) {
    SCOPED_TRACE(c.name);
    game.character = static_cast<uint8_t>(c.character);
    game.gameState = c.state;
    game.scrollX = game.scrollY = 0;
    player.action = 0;
    player.locked = 0;
    game.storyScene.Create(c.scene);
    ASSERT_TRUE(game.storyScene);
    const int frames = RunScene(c.scene, c.maxFrames);
    EXPECT_GT(frames, 0) << "the scene ends";
    if (c.endScene < 0) {
      EXPECT_FALSE(game.storyScene);
    } else {
      ASSERT_TRUE(game.storyScene);
      EXPECT_EQ(game.storyScene->scene(), c.endScene);
    }
    EXPECT_EQ(game.gameState, c.endState);
    EXPECT_FALSE(game.eventPlayer) << "no talk scene is left behind";
    if (c.endState == STATE_STAGE_PLAY) {
      EXPECT_EQ(player.locked, 0) << "released";
    }
    if (c.endState == STATE_ENDING_START) {
      EXPECT_EQ(player.locked, 1) << "the endings keep the player";
    }
    game.storyScene.Delete();
    game.eventPlayer.Delete();
  }
}

TEST_F(StorySceneTest, OpeningsEndWhereTheirMissionsStart) {
  game.character = 1;
  game.area = 0;
  game.subStage = 0;
  game.gameState = STATE_EVENT_ONLY;
  game.storyScene.Create(4);
  RunScene(4, 4000);
  EXPECT_EQ(game.area, 2);
  EXPECT_EQ(game.subStage, 4);
  EXPECT_EQ(game.openingScenePending, 1);

  game.character = 2;
  game.area = 5;
  game.subStage = 3;
  game.missionNumber = 9;
  game.gameState = STATE_EVENT_ONLY;
  game.storyScene.Create(101);
  RunScene(101, 3000);
  EXPECT_EQ(game.area, 0);
  EXPECT_EQ(game.subStage, 0);
  EXPECT_EQ(game.missionNumber, 1);
  EXPECT_EQ(game.gameState, STATE_STAGE_LOAD);
}

TEST_F(StorySceneTest, FirstOpeningTakesItsFadeWaitAndTalk) {
  game.character = 0;
  game.gameState = STATE_EVENT_ONLY;
  game.storyScene.Create(1);
  for (int f = 0; f < 50; ++f) PlayerFrame(1);
  EXPECT_EQ(game.storyScene->step(), 1) << "a fade in of 5 a frame takes 50 frames";
  for (int f = 0; f < 51; ++f) PlayerFrame(1);
  EXPECT_EQ(game.storyScene->step(), 2);
  PlayerFrame(1);
  ASSERT_TRUE(game.eventPlayer);
  EXPECT_EQ(game.eventPlayer->scriptNumber(), 1);
  for (int f = 0; f < 100; ++f) PlayerFrame(0);
  EXPECT_EQ(game.storyScene->step(), 3) << "the hold lasts until confirm";
  game.storyScene.Delete();
  game.eventPlayer.Delete();
}

TEST_F(StorySceneTest, UnknownScenesEndAtOnce) {
  testing::internal::CaptureStderr();
  game.gameState = STATE_EVENT_ONLY;
  game.storyScene.Create(55);
  PlayerFrame(0);
  EXPECT_FALSE(game.storyScene);
  EXPECT_EQ(game.gameState, STATE_STAGE_LOAD) << "the campaign goes on to the stage";

  game.gameState = STATE_STAGE_PLAY;
  player.locked = 1;
  game.storyScene.Create(200);
  PlayerFrame(0);
  EXPECT_FALSE(game.storyScene);
  EXPECT_EQ(game.gameState, STATE_STAGE_PLAY);
  EXPECT_EQ(player.locked, 0);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("200"), std::string::npos) << log;
}

TEST_F(StorySceneTest, AHoldWithoutItsTalkSceneMovesOn) {
  game.gameState = STATE_STAGE_PLAY;
  game.storyScene.Create(13);
  PlayerFrame(0);  // step 0 moves on
  PlayerFrame(0);  // step 1 starts script 21
  ASSERT_TRUE(game.eventPlayer);
  game.eventPlayer.Delete();
  const int step = game.storyScene->step();
  PlayerFrame(0);
  EXPECT_EQ(game.storyScene->step(), step + 1);
  game.storyScene.Delete();
}

TEST_F(StorySceneTest, StandStillTalkIsTheSeeingCharactersOwn) {
  // Scene 110 waits for the player to stand, then starts the talk of the character who
  // touched its trigger; the third character's shop talk (102) belongs to her opening only.
  const int expected[3] = {41, 42, 43};
  for (int character = 0; character < 3; ++character) {
    SCOPED_TRACE(character);
    game.character = static_cast<uint8_t>(character);
    game.gameState = STATE_STAGE_PLAY;
    player.action = 25;  // still in the landing pose
    game.storyScene.Create(110);
    for (int f = 0; f < 5; ++f) PlayerFrame(f);
    EXPECT_FALSE(game.eventPlayer) << "no talk before the player stands";
    player.action = 0;
    for (int f = 0; f < 3 && !game.eventPlayer; ++f) PlayerFrame(f);
    ASSERT_TRUE(game.eventPlayer);
    EXPECT_EQ(game.eventPlayer->scriptNumber(), expected[character]);
    EXPECT_EQ(StandStillTalkScript(character), expected[character]);
    game.storyScene.Delete();
    game.eventPlayer.Delete();
  }
}

TEST_F(StorySceneTest, SetPortraitMapsWhoByCharacter) {
  struct Case {
    int character, who, slot;
  };
  const Case cases[] = {{0, 0, 0}, {0, 1, 1}, {0, 2, 2}, {0, 4, 2}, {1, 3, 2},
                        {2, 2, 0}, {2, 3, 1}, {2, 4, 2}, {2, 0, 2}, {2, 1, 2}};
  for (const Case& c : cases) {
    game.character = static_cast<uint8_t>(c.character);
    StoryScene s(7);
    s.SetPortrait(static_cast<int16_t>(c.who), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(s.dotFace(i), i == c.slot ? 3 : 0) << c.character << " " << c.who;
  }
}

TEST_F(StorySceneTest, BarrierSceneSwitchesOffItsObjects) {
  game.gameState = STATE_STAGE_PLAY;
  game.mapObjectCount = 3;
  pools.mapObjects[0].kind = 132;
  pools.mapObjects[0].active = 1;
  pools.mapObjects[1].kind = 25;
  pools.mapObjects[1].active = 1;
  pools.mapObjects[2].kind = 133;
  pools.mapObjects[2].active = 1;
  game.storyScene.Create(7);
  RunScene(7, 1000);
  EXPECT_EQ(pools.mapObjects[0].active, 0);
  EXPECT_EQ(pools.mapObjects[1].active, 1);
  EXPECT_EQ(pools.mapObjects[2].active, 0);
}

TEST_F(StorySceneTest, StaffRollShowsElevenPagesAndSaves) {
  game.character = 2;
  game.saveSlot = 2;
  game.gameState = STATE_ENDING_START;
  game.storyScene.Create(0);
  const int frames = RunScene(0, 8000);
  // Pages 0, 2 .. 11: each 51 + 51 + 51 + 201 + 51 + 51 + 1 frames, then the music fades.
  EXPECT_EQ(frames, 11 * (51 + 51 + 51 + 201 + 51 + 51 + 1) + 127);
  EXPECT_EQ(game.saveRecord[1], 1);
  EXPECT_EQ(game.gameState, STATE_UNLOCK_NOTICE);
}

}  // namespace

namespace {

using testing_support::StageRecordBuilder;

TEST_F(StorySceneTest, FirstMissionOpensWithItsLandingAndTalk) {
  StageRecordBuilder b;
  b.Row(10, 0, 19, 25).Tile(3, 9, 95);
  game.openingScenePending = 1;
  ASSERT_TRUE(h_.LoadStage(b.bytes()));
  h_.Frame({});
  ASSERT_TRUE(game.storyScene);
  EXPECT_EQ(game.storyScene->scene(), 11);
  bool talked = false;
  for (int f = 0; f < 600 && game.storyScene; ++f) {
    h_.Frame({});
    if (game.eventPlayer && game.eventPlayer->scriptNumber() == 11) talked = true;
    if (talked) break;
  }
  EXPECT_TRUE(talked) << "step " << (game.storyScene ? game.storyScene->step() : -1) << ", y " << player.y
                      << ", airborne " << int(player.airborne);
  EXPECT_EQ(player.locked, 1);
}

}  // namespace
