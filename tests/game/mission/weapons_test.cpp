#include <gtest/gtest.h>

#include "game/mission/player_movement.h"
#include "game/mission/shots.h"
#include "game/shell/game_data.h"
#include "platform/input.h"
#include "runtime/api.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/stage_fixture.h"

namespace {

using mission_test::MissionHarness;
using testing_support::StageRecordBuilder;
namespace key = platform::key;

constexpr int kFloorRow = 10;

int CountShots(int kind) {
  int n = 0;
  for (const Shot& s : shots) n += s.active != 0 && s.kind == kind ? 1 : 0;
  return n;
}

const Shot* FindShot(int kind) {
  for (const Shot& s : shots) {
    if (s.active != 0 && s.kind == kind) return &s;
  }
  return nullptr;
}

class WeaponsTest : public ::testing::Test {
 protected:
  void Start(const StageRecordBuilder& b) {
    ASSERT_TRUE(h_.LoadStage(b.bytes()));
    h_.Hold(10);
  }
  static StageRecordBuilder Flat() {
    StageRecordBuilder b;
    b.Row(kFloorRow, 0, 19, 25).Tile(3, kFloorRow - 1, 95);
    return b;
  }
  void Arm(int weapon, int rounds) {
    for (uint16_t& w : player.weapons) w = kNotOwned;
    player.weapons[weapon] = static_cast<uint16_t>(rounds);
    player.selectedWeapon = static_cast<int16_t>(weapon);
  }
  // Lets every sound played so far run out.
  void DrainSounds() { h_.runtime().audio().Render(48000 * 2); }
  void AimAndRelease() {
    h_.Hold(2, {key::kZ});
    h_.Hold(1);
  }
  bool Playing(int sound) { return CheckSoundPlaying(game.sounds[sound]) == 1; }

  MissionHarness h_;
};

struct WeaponCase {
  int weapon;
  int sound;
  int caseKind;  // 0: none
};

TEST_F(WeaponsTest, EachWeaponUsesARoundSpawnsItsShotSoundsAndMakesNoise) {
  const WeaponCase cases[] = {
      {0, 32, 21}, {1, 32, 21}, {2, 0, 21},  {3, 23, 21}, {4, 10, 23}, {5, 10, 23},
      {6, 33, 23}, {7, 10, 0},  {8, 26, 0},  {9, 23, 0},  {10, 32, 21}, {12, 23, 21},
  };
  Start(Flat());
  for (const WeaponCase& c : cases) {
    ResetShots();
    Arm(c.weapon, 5);
    DrainSounds();
    h_.Hold(2, {key::kZ});
    EXPECT_EQ(player.action, player_action::kAiming) << c.weapon;
    EXPECT_TRUE(Playing(7)) << "the gun-set sound, weapon " << c.weapon;
    h_.Hold(1);
    EXPECT_EQ(player.action, 0) << c.weapon;
    EXPECT_EQ(player.weapons[c.weapon], 4) << c.weapon;
    EXPECT_TRUE(Playing(c.sound)) << c.weapon;
    EXPECT_EQ(CountShots(c.weapon), 1) << c.weapon;
    const Shot* noise = FindShot(27);
    ASSERT_NE(noise, nullptr) << c.weapon;
    EXPECT_EQ(noise->speedX, 400);
    EXPECT_EQ(noise->x, player.x + game.scrollX);
    if (c.caseKind != 0) {
      EXPECT_EQ(CountShots(c.caseKind), 1) << c.weapon;
    } else {
      EXPECT_EQ(CountShots(21) + CountShots(23), 0) << c.weapon;
    }
    // The fire interval: the counter runs for 15 frames, and no new aim starts meanwhile.
    EXPECT_NE(player.fireCounter, 0);
    h_.Hold(3, {key::kZ});
    EXPECT_NE(player.action, player_action::kAiming) << "still firing, weapon " << c.weapon;
    h_.Hold(15);
    EXPECT_EQ(player.fireCounter, 0) << c.weapon;
  }
}

// The confirm press that started the stage (or moved a talk on) is the fire key: still held
// when play begins, it neither aims nor fires; the next press does.
TEST_F(WeaponsTest, AFireKeyHeldIntoTheStageFiresNothing) {
  ASSERT_TRUE(h_.LoadStage(Flat().bytes()));
  Arm(0, 5);
  h_.Hold(6, {key::kZ});
  EXPECT_NE(player.action, player_action::kAiming);
  h_.Hold(1);
  EXPECT_EQ(player.weapons[0], 5) << "the release fires nothing";
  h_.Hold(20);
  AimAndRelease();
  EXPECT_EQ(player.weapons[0], 4) << "a new press fires";
}

TEST_F(WeaponsTest, RoundsLeaveTheHandForTheAimBand) {
  struct Case {
    int handSet, angle, facing, dx, dy;
  };
  const Case cases[] = {
      {1, 0, 0, 35, -20},  {1, 14, 1, -35, -20}, {1, 30, 0, 20, -43}, {1, 30, 1, -21, -43},
      {1, 45, 0, 8, -49},  {1, -15, 1, -35, -3}, {1, -44, 0, 28, 8},  {1, -60, 1, -21, 19},
      {2, 0, 0, 30, -14},  {2, 29, 1, -30, -27}, {2, -45, 1, -20, 24}, {2, 60, 0, 10, -47},
      {3, 50, 0, 30, -14}, {3, -50, 1, -30, -14},
  };
  for (const Case& c : cases) {
    const HandOffset h = HandPosition(c.handSet, c.angle, c.facing);
    EXPECT_EQ(h.dx, c.dx) << c.handSet << " " << c.angle << " " << c.facing;
    EXPECT_EQ(h.dy, c.dy) << c.handSet << " " << c.angle << " " << c.facing;
  }
  Start(Flat());
  Arm(0, 3);
  player.aimAngle = 30;
  player.facing = 1;
  h_.Hold(2, {key::kZ});
  // Keep the angle: nothing held but the release.
  h_.Hold(1);
  const Shot* round = FindShot(0);
  ASSERT_NE(round, nullptr);
  EXPECT_EQ(round->startX, player.x + game.scrollX - 21);
  EXPECT_EQ(round->startY, player.y - game.scrollY - 43);
  EXPECT_EQ(round->speedX, 17) << "cos(-30°) × 20 truncated";
  EXPECT_EQ(round->speedY, -9) << "sin(-30°) × 20 truncated";
}

TEST_F(WeaponsTest, GadgetsChangeFiring) {
  Start(Flat());
  // Endless rounds: no round used.
  Arm(2, 3);
  player.selectedGadget = 9;
  AimAndRelease();
  EXPECT_EQ(player.weapons[2], 3);
  EXPECT_EQ(CountShots(2), 1);
  h_.Hold(20);
  // ... but an empty weapon still fires nothing and makes no sound.
  ResetShots();
  Arm(2, 0);
  DrainSounds();
  AimAndRelease();
  EXPECT_EQ(CountShots(2), 0);
  EXPECT_EQ(CountShots(27), 0);
  EXPECT_FALSE(Playing(0));
  // The suppressor: sound 4 and no noise.
  ResetShots();
  Arm(2, 3);
  player.selectedGadget = 4;
  DrainSounds();
  AimAndRelease();
  EXPECT_TRUE(Playing(4));
  EXPECT_FALSE(Playing(0));
  EXPECT_EQ(CountShots(2), 1);
  EXPECT_EQ(CountShots(27), 0);
}

TEST_F(WeaponsTest, TheWireNeedsARoundUsesNoneAndRetractsWithoutAHold) {
  Start(Flat());
  Arm(11, 1);
  player.selectedGadget = 4;
  DrainSounds();
  h_.Hold(1, {key::kZ});
  EXPECT_EQ(player.action, player_action::kOnWire);
  EXPECT_EQ(player.wirePhase, 1);
  EXPECT_EQ(player.weapons[11], 1) << "the wire uses no round";
  EXPECT_TRUE(Playing(36)) << "the wire keeps its own sound under the suppressor";
  h_.Hold(20, {key::kZ});
  ASSERT_EQ(CountShots(11), 1);
  h_.Hold(60);
  EXPECT_EQ(CountShots(11), 0);
  EXPECT_EQ(player.wirePhase, 0);
  EXPECT_EQ(player.action, 0);
  Arm(11, 0);
  h_.Hold(1, {key::kZ});
  EXPECT_EQ(player.wirePhase, 0) << "no wire without a round";
}

TEST_F(WeaponsTest, TheWireCatchesABlockOverhead) {
  StageRecordBuilder b = Flat();
  b.Row(4, 0, 19, 25);
  Start(b);
  Arm(11, 1);
  DrainSounds();
  h_.Hold(1, {key::kZ});
  h_.Hold(30);
  EXPECT_EQ(player.wirePhase, 2);
  EXPECT_EQ(CountShots(11), 1);
  EXPECT_TRUE(Playing(37));
  h_.Hold(1, {key::kX});
  EXPECT_EQ(player.wirePhase, 0) << "a jump lets go";
  EXPECT_EQ(CountShots(11), 0);
}

TEST_F(WeaponsTest, TheAimTraceStraightDownEndsBelowTheStage) {
  Start(Flat());
  ResetStageState();  // no map objects at all: an open shaft
  StartAimProbe(2, 400, 100, 0, 0.0f, 20.0f);
  TraceAimLine();
  EXPECT_EQ(aimProbe.active, 0);
  EXPECT_EQ(aimProbe.endX, 400);
  EXPECT_GT(aimProbe.endY, 600);
  EXPECT_LE(aimProbe.endY, 600 + 50 + 20);
}

TEST_F(WeaponsTest, TheAimTraceStopsOnASolidObjectAndTheScreenSide) {
  Start(Flat());
  player.aimAngle = 0;
  player.facing = 0;
  StartAimTrace();
  TraceAimLine();
  EXPECT_GT(aimProbe.endX, 850) << "a level trace over the floor runs off the screen";
  StartAimProbe(2, 140, 100, 0, 0.0f, 20.0f);
  TraceAimLine();
  EXPECT_GE(aimProbe.endY, kFloorRow * 40 - 5);
  EXPECT_LT(aimProbe.endY, kFloorRow * 40 + 20) << "stops at the floor";
}

TEST_F(WeaponsTest, MissionStartLoadouts) {
  struct Case {
    int mission;
    std::vector<std::pair<int, int>> weapons;
    bool radar;
    int selected;
  };
  const Case cases[] = {
      {1, {{2, 1}, {12, 1}}, false, 2}, {2, {{0, 1}}, false, 0},  {7, {{0, 1}}, false, 0},
      {3, {{12, 1}}, false, 12},        {4, {{0, 2}}, false, 0},  {10, {{0, 1}}, true, 0},
      {11, {{0, 0}}, true, 0},          {19, {{12, 2}}, false, 12}, {21, {{2, 1}}, true, 2},
      {24, {{3, 1}, {9, 1}, {12, 1}}, false, 3}, {6, {{0, 0}}, false, 0},
  };
  for (const Case& c : cases) {
    player.weapons[5] = 7;
    player.selectedGadget = 3;
    game.missionNumber = static_cast<uint8_t>(c.mission);
    game.detections = 4;
    game.saveRecord[61] = game.checkpoint[66] = 9;
    player.life = 3;
    GiveMissionStartLoadout(0);
    int owned = 0;
    for (int w = 0; w <= 12; ++w) owned += player.weapons[w] != kNotOwned ? 1 : 0;
    EXPECT_EQ(owned, static_cast<int>(c.weapons.size())) << c.mission;
    for (auto [w, n] : c.weapons) EXPECT_EQ(player.weapons[w], n) << c.mission << " weapon " << w;
    EXPECT_EQ(player.gadgets[2] == 1, c.radar) << c.mission;
    EXPECT_EQ(player.gadgets[0], 1);
    EXPECT_EQ(player.selectedGadget, 0);
    EXPECT_EQ(player.selectedWeapon, c.selected) << c.mission;
    EXPECT_EQ(player.life, 100);
    EXPECT_EQ(game.detections, 0);
    EXPECT_EQ(game.saveRecord[61], 0);
    EXPECT_EQ(game.checkpoint[66], 0);
  }
}

TEST_F(WeaponsTest, TheGrantReadsTheThirdCharactersUnlockBytes) {
  game.character = 2;
  game.missionNumber = 3;
  game.prefsFile[36] = 1;  // invisibility
  game.prefsFile[38] = 1;  // light reversal
  game.prefsFile[28] = 1;  // the first character's endless rounds: not this character's
  GiveMissionStartLoadout(0);
  EXPECT_EQ(player.gadgets[6], kNotOwned) << "no grant without the flag";
  GiveMissionStartLoadout(1);
  EXPECT_EQ(player.gadgets[6], 1);
  EXPECT_EQ(player.gadgets[7], 1);
  EXPECT_EQ(player.gadgets[9], kNotOwned);
}

}  // namespace
