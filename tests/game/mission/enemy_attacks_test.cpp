// What every armed enemy does to a player it has found: the shots it spawns (kind, count,
// speeds), when (the first shot, the burst, the period) and what one of them takes from the
// player. The enemy runs alone in a one-screen room; each shot it spawns is logged and taken
// out of the pool, then one of them is fired again on its own to measure the hit.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "game/mission/player_movement.h"
#include "game/mission/shots.h"
#include "tests/game/mission/enemy_fixture.h"

namespace {

using enemy_test::EnemyTest;
using enemy_test::kPlayerStandY;
using enemy_test::kStandY;
using enemy_test::Room;
namespace act = player_action;

struct Spawned {
  int frame, kind, x, y, facing, speedX, speedY;
};

struct Hit {
  int frame, damage, action;
};

struct Watched {
  std::vector<Spawned> shots;
  std::vector<Hit> hits;  // dealt by the enemy itself, without a shot
};

void Heal() {
  player.life = 100;
  player.action = 0;
  player.actionTimer = 0;
  player.invulnTimer = 0;
}

// The enemy update alone: nothing flies, and the player is made whole after every hit.
Watched Watch(int frames) {
  Watched w;
  for (int f = 1; f <= frames; ++f) {
    UpdateEnemies();
    for (Shot& s : shots) {
      if (s.active == 0) continue;
      w.shots.push_back({f, s.kind, s.x, s.y, s.facing, s.speedX, s.speedY});
      s.active = 0;
    }
    if (player.life != 100) {
      w.hits.push_back({f, 100 - player.life, player.action});
      Heal();
    }
  }
  return w;
}

// The logged shot spawned again and left to fly (at most 60 frames) until it hits.
Hit Fly(const Spawned& s) {
  ResetShots();
  Heal();
  SpawnShot(s.kind, s.x, s.y, s.facing, static_cast<float>(s.speedX), static_cast<float>(s.speedY), 0);
  for (int f = 1; f <= 60; ++f) {
    UpdateShots();
    if (player.life != 100) return {f, 100 - player.life, player.action};
  }
  return {0, 0, player.action};
}

struct AttackCase {
  std::string name;
  std::function<void()> place;  // the enemy and the player
  int frames;
  int shotKind;             // 0: the enemy hurts the player without a shot
  std::vector<int> burst;   // frames of one volley's shots of that kind, from its first
  int first;                // frame of the first shot (or hit)
  int period;               // frames from one volley to the next; 0: a single volley
  int damage;
  int action;               // the player's state after the hit
  std::pair<int, int> hitAt{0, 0};  // where the player stands to be hit, when not where it watched
};

class EnemyAttacksTest : public EnemyTest {
 protected:
  void SetUp() override { Load(Room()); }

  // A foot soldier at x 300 looking right, attacking (mode 3) or searching (mode 4).
  static Enemy& Soldier(int mode, int attack, int alert, int equipment) {
    Enemy& e = Put(1, 300, kStandY, 0, 0, 0, {0, 0, attack, alert});
    e.mode = static_cast<uint8_t>(mode);
    e.equipment = static_cast<uint8_t>(equipment);
    return e;
  }
};

TEST_F(EnemyAttacksTest, ShotsIntervalsAndDamageByKindAndWeapon) {
  const auto soldierFacingPlayer = [](int attack, int equipment) {
    Soldier(3, attack, 0, equipment);
    PlacePlayer(500, kPlayerStandY);
  };
  const AttackCase cases[] = {
      {"rifle", [&] { soldierFacingPlayer(0, 0); }, 250, 22, {0}, 31, 70, 15, act::kFlinch},
      {"SP12", [&] { soldierFacingPlayer(1, 1); }, 300, 33, {0, 0, 0, 0, 0}, 31, 120, 20, act::kFlinch},
      {"P90", [&] { soldierFacingPlayer(1, 2); }, 250, 22, {0, 5, 10}, 31, 70, 10, act::kFlinch},
      {"M60", [&] { soldierFacingPlayer(1, 3); }, 250, 22, {0}, 31, 100, 30, act::kFlinch},
      {"sniper",
       [] {
         Soldier(4, 0, 3, 0);
         PlacePlayer(600, kStandY - 60);  // feet at the height of its eye
       },
       200, 0, {0}, 41, 62, 15, act::kFlinch},
      {"gun camera",
       [] {
         Put(5, 500, 200, 0, 90);
         PlacePlayer(500, kPlayerStandY);
       },
       250, 22, {0}, 1, 100, 15, act::kFlinch},
      {"rotating gun camera",
       [] {
         Put(6, 500, 200, 0, 90);
         PlacePlayer(500, kPlayerStandY);
       },
       250, 22, {0}, 1, 100, 15, act::kFlinch},
      {"gun drone",
       [] {
         Put(9, 300, 200, 0, 0);
         PlacePlayer(620, kPlayerStandY);  // under its 30-degree beam
       },
       250, 22, {0}, 2, 102, 15, act::kFlinch},
      {"turret",
       [] {
         Put(11, 300, kStandY, 0, 300);
         PlacePlayer(600, kStandY);
       },
       150, 26, {0}, 4, 51, 15, act::kFlinch},
      {"discharge tube, spark",
       [] {
         Put(15, 400, kStandY, 0, 0, 60);
         PlacePlayer(400, kPlayerStandY);
       },
       400, 24, {0}, 60, 120, 20, act::kKnockedBack},
      {"discharge tube, column",
       [] {
         Put(16, 400, kStandY, 0, 1, 30);
         PlacePlayer(400, kPlayerStandY);
       },
       200, 25, {0}, 30, 60, 20, act::kKnockedBack},
      {"bomb soldier going off",
       [] {
         Enemy& e = Put(12, 400, kStandY, 0);
         e.state = kEnemyDefeated;
         PlacePlayer(430, kPlayerStandY);
       },
       30, 31, {0}, 4, 0, 35, act::kFlinch},
      {"flower going off",
       [] {
         Enemy& e = Put(13, 400, kStandY, 0);
         e.state = kEnemyDefeated;
         PlacePlayer(380, kPlayerStandY);
       },
       40, 31, {0}, 1, 0, 35, act::kFlinch},
      // It sets its fire 30 pixels left of and above itself; the player walks into it.
      {"flower",
       [] {
         Put(13, 300, kStandY, 0);
         PlacePlayer(450, kPlayerStandY);
       },
       290, 32, {0}, 9, 117, 20, act::kFlinch, {280, kPlayerStandY}},
  };
  for (const AttackCase& c : cases) {
    SCOPED_TRACE(c.name);
    ResetEnemies();
    ResetShots();
    game.alertCountdown = 0;
    c.place();
    Heal();
    const Watched w = Watch(c.frames);

    std::vector<int> frames;  // of the shots of the case's kind, or of the direct hits
    if (c.shotKind == 0) {
      EXPECT_TRUE(w.shots.empty());
      for (const Hit& h : w.hits) {
        frames.push_back(h.frame);
        EXPECT_EQ(h.damage, c.damage);
        EXPECT_EQ(h.action, c.action);
      }
    } else {
      EXPECT_TRUE(w.hits.empty()) << "hurts only through its shots";
      for (const Spawned& s : w.shots) {
        if (s.kind == c.shotKind) frames.push_back(s.frame);
      }
    }
    ASSERT_GE(frames.size(), c.burst.size());
    EXPECT_EQ(frames[0], c.first);
    // Volleys: the burst pattern from each volley's first frame, every period frames.
    const int volleys = c.period == 0 ? 1 : (c.frames - c.first) / c.period + 1;
    std::vector<int> expected;
    for (int v = 0; v < volleys; ++v) {
      for (int b : c.burst) {
        if (c.first + v * c.period + b <= c.frames) expected.push_back(c.first + v * c.period + b);
      }
    }
    EXPECT_EQ(frames, expected);

    if (c.shotKind != 0) {
      const auto shot = std::find_if(w.shots.begin(), w.shots.end(), [&](const Spawned& s) { return s.kind == c.shotKind; });
      if (c.hitAt.first != 0) PlacePlayer(c.hitAt.first, c.hitAt.second);
      const Hit h = Fly(*shot);
      EXPECT_EQ(h.damage, c.damage);
      EXPECT_EQ(h.action, c.action);
    }
  }
}

TEST_F(EnemyAttacksTest, TheSp12SpreadsFivePelletsAndFlashesAndTheBasicRifleNeverFiresAsAWeapon) {
  Soldier(3, 1, 0, 1);
  PlacePlayer(500, kPlayerStandY);
  const Watched w = Watch(31);
  std::vector<std::pair<int, int>> pellets;
  int flashes = 0;
  for (const Spawned& s : w.shots) {
    if (s.kind == 33) {
      pellets.emplace_back(s.speedX, s.speedY);
      EXPECT_EQ(s.x, 360);
      EXPECT_EQ(s.y, kStandY - 40);
    }
    if (s.kind == 21) {
      ++flashes;
      EXPECT_EQ(s.facing, 1) << "the flash faces away from the soldier";
    }
  }
  const std::vector<std::pair<int, int>> spread = {{20, 0}, {18, -6}, {15, -12}, {18, 6}, {15, 12}};
  EXPECT_EQ(pellets, spread);
  EXPECT_EQ(flashes, 1);

  for (int attack : {0, 1}) {
    ResetEnemies();
    Soldier(3, attack, 0, 0);
    PlacePlayer(500, kPlayerStandY);
    const Watched rifle = Watch(250);
    EXPECT_EQ(rifle.shots.empty(), attack == 1) << "attack behaviour " << attack << " with the basic rifle";
  }
}

TEST_F(EnemyAttacksTest, WhichEnemyShotsBreakGlassAndBreakableBlocks) {
  struct Case {
    int shotKind, objectKind;
    bool breaks, noise;
  };
  const Case cases[] = {
      {22, 82, true, true}, {22, 89, false, false}, {26, 82, false, false},
      {26, 89, false, false}, {33, 82, true, true},  {33, 89, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "shot " << c.shotKind << " on object " << c.objectKind);
    Load(Room());
    SpawnMapObject(c.objectKind, 10, 5, 0);
    const MapObject& o = pools.mapObjects[game.mapObjectCount - 1];
    PlacePlayer(700, 200);
    SpawnShot(c.shotKind, 340, 220, 0, c.shotKind == 33 ? 20.0f : 15.0f, 0.0f, 0);
    bool noise = false;
    for (int f = 0; f < 10; ++f) {
      UpdateShots();
      for (const Shot& s : shots) noise = noise || (s.active != 0 && s.kind == 27);
    }
    EXPECT_EQ(o.active == 0, c.breaks);
    EXPECT_EQ(noise, c.noise);
    EXPECT_EQ(player.life, 100) << "the object stopped the shot";
  }
}

TEST_F(EnemyAttacksTest, ARotatingCameraSweepsAFifthOfADegreeEachFrame) {
  Enemy& cam = Put(4, 400, 100, 1, 100);
  PlacePlayer(100, kPlayerStandY);
  player.isLit = 0;
  Update(100);
  EXPECT_NEAR(cam.viewAngle, 120.0f, 0.01f) << "rising from 100";
  int frames = 0;
  for (; cam.cycleCount == 1 && frames < 200; ++frames) Update(1);
  EXPECT_NEAR(frames, 150, 1) << "turns on reaching 150";
  const float top = cam.viewAngle;
  Update(50);
  EXPECT_NEAR(cam.viewAngle, top - 10.0f, 0.01f) << "and falls at the same rate";
}

}  // namespace
