#include "game/mission/enemy_sight.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/mission/shots.h"
#include "runtime/api.h"
#include "tests/game/mission/enemy_fixture.h"
#include "tests/support/wave_fixture.h"

namespace {

using enemy_test::EnemyTest;
using enemy_test::kPlayerStandY;
using enemy_test::kStandY;
using enemy_test::Room;

constexpr int kSoldierX = 400;

// A soldier at x 400 on the floor, the player at dx from it, standing unless a case changes it.
struct SightCase {
  const char* name;
  int dx = 200;
  int facing = 0;  // of the soldier
  bool lit = true;
  int gadget = 0;
  bool alert = false;
  int darkSight = 0;
  bool crouching = false;
  bool hiding = false;
  bool walking = false;
  int mode = 0;
  int action = 0;
  int life = 100;
  // Cells of column 16 (x 640..680) filled with a block (25) or a ladder (65), 0 none: row 8
  // is across the head's line, row 9 across the feet's.
  int headCell = 0, feetCell = 0;
  bool seen = false;
};

class SightTest : public EnemyTest {
 protected:
  void SetUp() override { Load(Room()); }

  bool Look(const SightCase& c) {
    ResetEnemies();
    ResetMapObjectPools();
    if (c.headCell != 0) SpawnMapObject(c.headCell, 16, 8, 0);
    if (c.feetCell != 0) SpawnMapObject(c.feetCell, 16, 9, 0);
    Enemy& e = Put(1, kSoldierX, kStandY, c.facing);
    e.mode = static_cast<uint8_t>(c.mode);
    PlacePlayer(kSoldierX + c.dx, kPlayerStandY);
    player.isLit = c.lit ? 1 : 0;
    player.selectedGadget = static_cast<uint8_t>(c.gadget);
    player.crouching = c.crouching ? 1 : 0;
    player.hiding = c.hiding ? 1 : 0;
    player.movingRight = c.walking ? 1 : 0;
    player.action = c.action;
    player.life = c.life;
    game.alertCountdown = c.alert ? 500 : 0;
    game.missionRules[1] = 0;
    return EnemySightTest(IndexOf(e), 0, -50, 350, 25, static_cast<uint8_t>(c.darkSight));
  }
};

TEST_F(SightTest, SeenOrNotByRangeConeLightHidingGadgetsAndObstacles) {
  const std::vector<SightCase> cases = {
      {.name = "in front, lit", .seen = true},
      {.name = "349 pixels away", .dx = 349, .seen = true},
      {.name = "350 pixels away is out of range", .dx = 350, .seen = false},
      {.name = "behind a soldier looking right", .dx = -200, .seen = false},
      {.name = "in front of a soldier looking left", .dx = -200, .facing = 1, .seen = true},
      {.name = "dark, no alert", .lit = false, .seen = false},
      {.name = "dark during an alert", .lit = false, .alert = true, .seen = true},
      {.name = "dark, the eyes see in the dark", .lit = false, .darkSight = 1, .seen = true},
      {.name = "light and dark reversed, in the light", .gadget = 7, .seen = false},
      {.name = "light and dark reversed, in the dark", .lit = false, .gadget = 7, .seen = true},
      {.name = "invisible", .gadget = 6, .seen = false},
      {.name = "invisible during an alert", .gadget = 6, .alert = true, .seen = false},
      {.name = "goggles change nothing", .gadget = 3, .seen = true},
      {.name = "crouching in front", .crouching = true, .seen = true},
      {.name = "hiding still", .hiding = true, .seen = false},
      {.name = "hiding but walking", .hiding = true, .walking = true, .seen = true},
      {.name = "hiding still from a soldier that noticed", .hiding = true, .mode = 2, .seen = true},
      {.name = "hiding still from an attacking soldier", .hiding = true, .mode = 3, .seen = true},
      {.name = "entering a hiding place", .action = 21, .seen = false},
      {.name = "at the goal", .action = 52, .seen = false},
      {.name = "leaving by a door", .action = 40, .seen = false},
      {.name = "no life left", .life = 0, .seen = false},
      {.name = "a block hides head and feet", .dx = 300, .headCell = 25, .feetCell = 25, .seen = false},
      {.name = "a block hides the head only", .dx = 300, .headCell = 25, .seen = true},
      {.name = "ladders never hide", .dx = 300, .headCell = 65, .feetCell = 65, .seen = true},
  };
  for (const SightCase& c : cases) EXPECT_EQ(Look(c), c.seen) << c.name;
}

TEST_F(SightTest, ThePointsAreComparedWithTheConeWithoutWrapping) {
  // Eye and head on one level: direction 0 (right) or 180 (left); a point two pixels above
  // the eye is 359 looking right, outside 0..25, and 181 looking left, inside 155..205.
  Enemy& e = Put(1, kSoldierX, kStandY, 0);
  PlacePlayer(kSoldierX + 100, kStandY - 50 + 30 - 2);
  player.crouching = 0;
  // Feet hidden by blocks so that only the head point counts.
  SpawnMapObject(25, 11, 9, 0);
  SpawnMapObject(25, 8, 9, 0);
  EXPECT_FALSE(EnemySightTest(IndexOf(e), 0, -50, 350, 25, 0)) << "direction 359 looking right";
  e.facing = 1;
  e.viewAngle = 180;
  PlacePlayer(kSoldierX - 100, kStandY - 50 + 30 - 2);
  EXPECT_TRUE(EnemySightTest(IndexOf(e), 0, -50, 350, 25, 0)) << "direction 181 looking left";
}

class AlertTest : public EnemyTest {
 protected:
  void SetUp() override {
    // Doors at columns 5 and 12 (code 2 in the doorway's upper cell), reinforced soldiers.
    auto b = Room();
    b.Tile(5, 8, 2).Tile(12, 8, 2).Byte(2926, 2);
    Load(b);
    h_.WriteData("bzx/warning.ogg", testing_support::PcmWav(testing_support::SineTone(1, 22050, 2.0, 330.0), 1, 22050));
  }
  int Count(int kind) const {
    int n = 0;
    for (const Enemy& e : enemies) n += e.state != 0 && e.kind == kind ? 1 : 0;
    return n;
  }
};

TEST_F(AlertTest, AFirstSightingStartsTheAlertOnceAndLaterOnesOnlyRenewIt) {
  Enemy& seer = Put(1, kSoldierX, kStandY, 0, 0, 0, {0, 0, 0, 0});
  Enemy& other = Put(1, 100, kStandY, 0);
  other.state = kEnemyAsleep;
  Enemy& knockedOut = Put(1, 150, kStandY, 0);
  knockedOut.state = kEnemyKnockedOut;
  Enemy& camera = Put(3, 300, 100, 0, 90);
  PlacePlayer(kSoldierX + 100, kPlayerStandY);

  ASSERT_TRUE(EnemySightTest(IndexOf(seer), 0, -50, 350, 25, 0));
  EXPECT_EQ(game.detections, 1);
  EXPECT_EQ(game.alertCountdown, 2000);
  EXPECT_EQ(game.reinforcementsCalled, 1);
  EXPECT_EQ(Count(2), 2) << "one reinforced soldier under each door";
  EXPECT_EQ(CheckMusicPlaying(), 1) << "the alert music plays";
  EXPECT_EQ(seer.mode, 0) << "the soldier that saw is left to notice by itself";
  EXPECT_EQ(other.mode, 4) << "an asleep soldier searches once awake";
  EXPECT_EQ(knockedOut.mode, 0);
  EXPECT_EQ(camera.mode, 0);
  for (const Enemy& e : enemies) {
    if (e.state == 0 || e.kind != 2) continue;
    EXPECT_EQ(e.mode, 4) << "reinforcements start searching";
    EXPECT_EQ(e.y, 9 * 40 + 20) << "one row below the door's cell";
    EXPECT_EQ(e.facing, e.x - 20 > player.x ? 1 : 0) << "facing the player";
    EXPECT_EQ(e.alertBehaviour, 2);
  }

  game.alertCountdown = 700;
  StopMusic();
  ASSERT_TRUE(EnemySightTest(IndexOf(seer), 0, -50, 350, 25, 0));
  EXPECT_EQ(game.detections, 1) << "a running alert is only renewed";
  EXPECT_EQ(game.alertCountdown, 2000);
  EXPECT_EQ(Count(2), 2);
  EXPECT_EQ(CheckMusicPlaying(), 0) << "the music is not restarted";

  // A second alert in the same stage sends no one; a new stage can send them again.
  game.alertCountdown = 0;
  ASSERT_TRUE(EnemySightTest(IndexOf(seer), 0, -50, 350, 25, 0));
  EXPECT_EQ(game.detections, 2);
  EXPECT_EQ(Count(2), 2) << "reinforcements come once per stage";
  ResetStageState();
  EXPECT_EQ(game.reinforcementsCalled, 0);
  SpawnReinforcements();
  EXPECT_EQ(Count(2), 2) << "a new stage sends them again";
}

TEST_F(AlertTest, AStealthMissionCatchesThePlayerUnlessTheEnemyIsExempt) {
  game.missionRules[1] = 1;
  Enemy& seer = Put(1, kSoldierX, kStandY, 0);
  PlacePlayer(kSoldierX + 100, kPlayerStandY);
  player.actionTimer = 12;
  player.climbing = 1;
  ASSERT_TRUE(EnemySightTest(IndexOf(seer), 0, -50, 350, 25, 0));
  EXPECT_EQ(player.action, 58);
  EXPECT_EQ(player.wasCaught, 1);
  EXPECT_EQ(player.actionTimer, 0);
  EXPECT_EQ(player.climbing, 0);
  EXPECT_EQ(game.alertCountdown, 0) << "no alert";
  EXPECT_EQ(game.detections, 0);

  PlacePlayer(kSoldierX + 100, kPlayerStandY);
  player.wasCaught = 0;
  seer.subState = 10;
  ASSERT_TRUE(EnemySightTest(IndexOf(seer), 0, -50, 350, 25, 0));
  EXPECT_EQ(player.action, 0) << "an exempt enemy starts an ordinary alert";
  EXPECT_EQ(game.alertCountdown, 2000);

  // The slime sees without any alert or capture.
  game.alertCountdown = 0;
  Enemy& slime = Put(17, kSoldierX, kStandY, 0);
  ASSERT_TRUE(EnemySightTest(IndexOf(slime), 0, 0, 350, 25, 1));
  EXPECT_EQ(player.action, 0);
  EXPECT_EQ(game.alertCountdown, 0);
}

TEST_F(AlertTest, TheSeenPlayerTurnsTheSoldierButNotItsView) {
  Enemy& e = Put(1, kSoldierX, kStandY, 0);
  e.viewAngle = 180;
  PlacePlayer(kSoldierX - 100, kPlayerStandY);
  ASSERT_TRUE(EnemySightTest(IndexOf(e), 0, -50, 350, 25, 0));
  EXPECT_EQ(e.facing, 1);
  EXPECT_EQ(e.viewAngle, 180.0f);
}

// A camera at x 400, y 300 aiming straight down at a player below it.
struct BeamCase {
  const char* name;
  bool lit = true;
  int gadget = 0;
  bool alert = false;
  bool quiet = false;
  bool hiding = false;
  int cooldown = 0;
  int playerY = 500;  // 200 below the camera
  int blockRow = -1;  // a block in column 10 at this row, between camera and player
  int code = 25;
  int shotKind = 0;  // a live shot of this kind at 100 below the camera, shotDx aside
  int shotDx = 0;
  int hit = 0;
  bool raisesAlert = false;
};

class BeamTestCases : public EnemyTest {
 protected:
  void SetUp() override { Load(Room()); }

  int Run(const BeamCase& c) {
    ResetEnemies();
    ResetMapObjectPools();
    if (c.blockRow >= 0) SpawnMapObject(c.code, 9, c.blockRow, 0);
    ResetShots();
    if (c.shotKind != 0) {
      shots[0].kind = c.shotKind;
      shots[0].x = 380 + c.shotDx;
      shots[0].y = 400;
      shots[0].active = 1;
    }
    Enemy& cam = Put(3, 380, 300, 0, 90);
    cam.beamCooldown = static_cast<uint16_t>(c.cooldown);
    PlacePlayer(380, c.playerY);
    player.isLit = c.lit ? 1 : 0;
    player.selectedGadget = static_cast<uint8_t>(c.gadget);
    player.hiding = c.hiding ? 1 : 0;
    game.alertCountdown = c.alert ? 300 : 0;
    game.detections = 0;
    const int r = BeamTest(IndexOf(cam), 380, 300, 380, 900, 90, c.quiet ? 1 : 0);
    EXPECT_EQ(game.detections == 1, c.raisesAlert && !c.alert) << c.name;
    if (c.raisesAlert) {
      EXPECT_EQ(game.alertCountdown, 2000) << c.name;
    }
    return r;
  }
};

TEST_F(BeamTestCases, HitOrNotByLightGadgetsObstaclesAndReach) {
  const std::vector<BeamCase> cases = {
      {.name = "lit player in the beam", .hit = 1, .raisesAlert = true},
      {.name = "quiet beam: no alert", .quiet = true, .hit = 1},
      {.name = "dark", .lit = false, .hit = 0},
      {.name = "dark during an alert: beams need light", .lit = false, .alert = true, .hit = 0},
      {.name = "reversed in the light", .gadget = 7, .hit = 0},
      {.name = "reversed in the dark", .lit = false, .gadget = 7, .hit = 1, .raisesAlert = true},
      {.name = "invisible", .gadget = 6, .hit = 0},
      {.name = "hiding still", .hiding = true, .hit = 0},
      {.name = "cooling down", .cooldown = 5, .hit = 0},
      {.name = "a block stops the beam", .blockRow = 10, .hit = 0},
      {.name = "a ladder does not", .blockRow = 10, .code = 65, .hit = 1, .raisesAlert = true},
      {.name = "beyond 600 pixels", .playerY = 300 + 640, .hit = 0},
      {.name = "a wall shot stops the beam", .shotKind = 7, .hit = 0},
      {.name = "a wall shot beside it does not", .shotKind = 7, .shotDx = 25, .hit = 1, .raisesAlert = true},
      {.name = "a shield shot stops it 45 pixels aside", .shotKind = 36, .shotDx = 45, .hit = 0},
      {.name = "other shots do not", .shotKind = 1, .hit = 1, .raisesAlert = true},
      {.name = "renewed during an alert", .alert = true, .hit = 1, .raisesAlert = true},
  };
  for (const BeamCase& c : cases) EXPECT_EQ(Run(c), c.hit) << c.name;
}

TEST_F(BeamTestCases, ABeamAimedAtItsOwnStartEndsThere) {
  Enemy& cam = Put(3, 380, 300, 0, 90);
  PlacePlayer(380, 300);
  // The player's box holds the start: a beam of no length crosses none of its edges.
  EXPECT_EQ(BeamTest(IndexOf(cam), 380, 300, 380, 300, 90, 0), 0);
  PlacePlayer(380, 310);
  EXPECT_EQ(BeamTest(IndexOf(cam), 380, 300, 380, 300, 90, 0), 0);
}

TEST_F(BeamTestCases, TheQuietBeamNeitherCatchesNorCounts) {
  game.missionRules[1] = 1;
  Enemy& turret = Put(11, 380, 300, 0);
  PlacePlayer(380, 360);
  EXPECT_EQ(BeamTest(IndexOf(turret), 380, 300, 380, 900, 90, 1), 1);
  EXPECT_EQ(player.action, 0);
  EXPECT_EQ(game.vrDiscoveries, 0);
  Enemy& cam = Put(3, 380, 300, 0, 90);
  EXPECT_EQ(BeamTest(IndexOf(cam), 380, 300, 380, 900, 90, 0), 1);
  EXPECT_EQ(player.action, 58) << "a camera catches the player in a stealth mission";
}

}  // namespace
