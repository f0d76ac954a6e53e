#include "game/mission/effects.h"

#include <gtest/gtest.h>

#include "game/shell/game_data.h"
#include "runtime/api.h"
#include "tests/game/mission/mission_harness.h"

namespace {

using mission_test::MissionHarness;

int ActiveEffects() {
  int n = 0;
  for (const Effect& e : effects) n += e.active != 0 ? 1 : 0;
  return n;
}

class EffectsTest : public ::testing::Test {
 protected:
  void DrainSounds() { h_.runtime().audio().Render(48000 * 2); }
  MissionHarness h_;
};

TEST_F(EffectsTest, FullPoolsDropTheSpawn) {
  for (int i = 0; i < kEffectSlots; ++i) SpawnEffect(6, 0, i, 0, 0, 0);
  EXPECT_EQ(ActiveEffects(), kEffectSlots);
  SpawnEffect(0, 0, 999, 0, 0, 0);
  for (const Effect& e : effects) EXPECT_NE(e.x, 999);
  for (int i = 0; i < kDebrisSlots; ++i) SpawnDebris(2, i, 0, 0, 89);
  SpawnDebris(4, 999, 0, 0, 82);
  for (const DebrisBurst& b : debrisBursts) {
    EXPECT_EQ(b.active, 1);
    EXPECT_EQ(b.kind, 2);
  }
}

TEST_F(EffectsTest, DebrisRisesFallsDriftsAndFadesIn25Frames) {
  SpawnDebris(2, 100, 200, 7, 89);
  const DebrisBurst& b = debrisBursts[0];
  ASSERT_EQ(b.active, 1);
  EXPECT_EQ(b.sourceKind, 89);
  for (int i = 0; i < 5; ++i) {
    EXPECT_GE(b.pieces[i].launchSpeed, 3);
    EXPECT_LE(b.pieces[i].launchSpeed, 6);
    EXPECT_GE(b.pieces[i].drift, -3);
    EXPECT_LE(b.pieces[i].drift, 3);
  }
  UpdateDebris();
  for (int i = 0; i < 5; ++i) {
    const DebrisPiece& p = b.pieces[i];
    EXPECT_EQ(p.y, 200 - p.launchSpeed + 1) << "first step";
    EXPECT_EQ(p.x, 100 + p.drift);
  }
  UpdateDebris();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(b.pieces[i].y, 200 - b.pieces[i].launchSpeed + 1) << "pieces move every second frame";
  UpdateDebris();
  for (int i = 0; i < 5; ++i) {
    const DebrisPiece& p = b.pieces[i];
    EXPECT_EQ(p.y, 200 - 2 * p.launchSpeed + 1 + 2) << "falling back faster";
    EXPECT_EQ(p.x, 100 + 2 * p.drift);
  }
  for (int f = 3; f < 24; ++f) UpdateDebris();
  EXPECT_EQ(b.active, 1) << "drawn on 25 frames";
  UpdateDebris();
  EXPECT_EQ(b.active, 0);
}

TEST_F(EffectsTest, TheShockWaveEndsOnItsEleventhFrameWithAShortAlert) {
  game.alertCountdown = 1500;
  SpawnEffect(10, 0, 400, 300, 0, 0);
  for (int f = 0; f < 10; ++f) UpdateEffects();
  EXPECT_EQ(effects[0].active, 1);
  UpdateEffects();
  EXPECT_EQ(effects[0].active, 0);
  EXPECT_EQ(game.alertCountdown, 2);
}

TEST_F(EffectsTest, LifetimesByKind) {
  struct Case {
    int kind;
    int frames;  // updates until it ends
  };
  const Case cases[] = {{0, 10}, {1, 15}, {2, 30}, {3, 32}, {4, 101}, {5, 8}, {6, 81}, {12, 51}, {13, 12}, {14, 25}, {15, 17}};
  for (const Case& c : cases) {
    ResetEffects();
    SpawnEffect(c.kind, 1, 400, 300, 0, 1);
    for (int f = 1; f < c.frames; ++f) UpdateEffects();
    EXPECT_EQ(effects[0].active, 1) << "kind " << c.kind;
    UpdateEffects();
    EXPECT_EQ(effects[0].active, 0) << "kind " << c.kind;
  }
}

TEST_F(EffectsTest, GasStaysOpaqueForHalfItsLifeThenFades) {
  SpawnEffect(11, 0, 400, 300, 0, 0);
  UpdateEffects();
  const int start = effects[0].alpha;
  EXPECT_GE(start, 198);
  EXPECT_LE(start, 253);
  int frames = 1;
  while (effects[0].active != 0 && frames < 1000) {
    UpdateEffects();
    ++frames;
  }
  EXPECT_EQ(frames, (start + 2 + 255 - 3) / 2 + 1);
}

TEST_F(EffectsTest, PausedEffectsHoldStillButBannersSlide) {
  SpawnEffect(6, 0, 400, 300, 0, 0);
  SpawnEffect(8, 0, 0, 0, 12, 255);
  game.paused = 1;
  for (int f = 0; f < 100; ++f) UpdateEffects();
  EXPECT_EQ(effects[0].active, 1);
  EXPECT_EQ(effects[0].y, 300);
  EXPECT_EQ(effects[0].counter, 0);
  EXPECT_EQ(effects[1].active, 0) << "the banner slid off while paused";
}

TEST_F(EffectsTest, ExplosionAndShockWaveSoundOnceEvenWhilePaused) {
  for (const auto& [kind, sound] : {std::pair{2, 20}, std::pair{10, 30}}) {
    ResetEffects();
    DrainSounds();
    game.paused = 1;
    SpawnEffect(kind, 0, 400, 300, 0, 0);
    UpdateEffects();
    EXPECT_EQ(CheckSoundPlaying(game.sounds[sound]), 1) << kind;
    DrainSounds();
    EXPECT_EQ(CheckSoundPlaying(game.sounds[sound]), 0) << kind;
    for (int f = 0; f < 5; ++f) UpdateEffects();
    EXPECT_EQ(CheckSoundPlaying(game.sounds[sound]), 0) << "not replayed on paused frames, kind " << kind;
    game.paused = 0;
    UpdateEffects();
    EXPECT_EQ(CheckSoundPlaying(game.sounds[sound]), 0) << kind;
  }
}

}  // namespace
