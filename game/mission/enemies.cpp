#include "game/mission/enemies.h"

#include "game/mission/creatures.h"
#include "game/mission/infantry.h"
#include "game/mission/machines.h"
#include "game/mission/map_objects.h"
#include "game/mission/player.h"
#include "game/shell/game_data.h"
#include "game/mission/shots.h"
#include "runtime/api.h"

Enemy enemies[kEnemyCount];

namespace {

// One row per kind 0..21; an all-zero row has no box.
constexpr EnemyHitBox kHitBoxes[] = {
    {0, 0, 0, 0},                                                               // 0
    {-15, -55, 15, 20},   {-15, -55, 15, 20},                                   // 1, 2
    {-20, -10, 20, 20},   {-20, -10, 20, 20},   {-20, -10, 20, 20},             // 3..5
    {-20, -10, 20, 20},   {-20, -10, 20, 20},   {-20, -10, 20, 20},             // 6..8
    {-20, -10, 20, 20},   {-20, -10, 20, 20},   {-20, -10, 20, 20},             // 9..11
    {-14, 0, 14, 24},     {-10, -10, 10, 20},   {-10, -10, 10, 20},             // 12..14
    {-10, -10, 10, 20},   {-10, -10, 10, 20},   {-15, -2, 15, 19},              // 15..17
    {-15, -40, 15, 20},   {-15, -55, 15, 20},   {-15, -55, 15, 20},             // 18..20
    {0, 0, 0, 0},                                                               // 21 spawner
};
constexpr int kHitBoxRows = sizeof(kHitBoxes) / sizeof(kHitBoxes[0]);
}  // namespace

bool GetEnemyHitBox(int kind, EnemyHitBox* box) {
  if (kind < 0 || kind >= kHitBoxRows) return false;
  const EnemyHitBox& row = kHitBoxes[kind];
  if (row.left == 0 && row.top == 0 && row.right == 0 && row.bottom == 0) return false;
  *box = row;
  return true;
}

void ResetEnemies() {
  for (Enemy& e : enemies) e = Enemy{};
}

int EnemyScreenX(const Enemy& e) { return e.x - game.scrollX; }
int EnemyScreenY(const Enemy& e) { return e.y + game.scrollY; }

void DrawEnemyCell(const Enemy& e, int sheet, int dx, int dy, int srcX, int srcY, int w, int h, int mirror) {
  DrawRectGraph(EnemyScreenX(e) + dx, EnemyScreenY(e) + dy, srcX, srcY, w, h, game.graphs[30 + sheet], 1, mirror);
}

void DrawJammingSparks(const Enemy& e, int counter) {
  constexpr int kEffectsSheet = 9;
  SetDrawBlendMode(2, 128);
  if (counter % 4 == 0) {
    DrawRectGraph(EnemyScreenX(e) - 50, EnemyScreenY(e) - 50, 17, 137, 100, 95, game.graphs[kEffectsSheet], 1, 0);
  }
  if (counter % 6 == 0) {
    DrawRectGraph(EnemyScreenX(e) - 50, EnemyScreenY(e) - 50, 124, 137, 100, 95, game.graphs[kEffectsSheet], 1, 0);
  }
  SetDrawBlendMode(0, 0);
}

int ApplyEnemyGravity(Enemy& e, int narrow, int cap, bool firstLandingOnly) {
  e.y += e.fallSpeed;
  if (e.fallSpeed < cap) ++e.fallSpeed;
  e.inAir = 1;
  EnemyHitBox box{};
  if (!GetEnemyHitBox(e.kind, &box)) return -1;
  const int left = e.x + box.left + narrow, right = e.x + box.right - narrow;
  const int top = e.y + box.top, bottom = e.y + box.bottom;
  int landed = -1;
  for (int i = 0; i < game.mapObjectCount; ++i) {
    const MapObject& o = pools.mapObjects[i];
    if (!IsSolidActive(o)) continue;
    if (!Overlaps(o.x + o.boxLeft, o.x + o.boxRight, o.y + o.boxTop, o.y + o.boxBottom, left, right, top, bottom)) continue;
    e.y = o.y - 18;
    e.fallSpeed = 0;
    e.inAir = 0;
    landed = i;
    if (firstLandingOnly) break;
  }
  return landed;
}

void SpawnEnemy(int type, int cellX, int cellY, int byte1, int byte2, int16_t facing, int16_t param1,
                int16_t param2, int initialBehaviour, int normalBehaviour, int attackBehaviour,
                int alertBehaviour) {
  Enemy* slot = nullptr;
  for (Enemy& e : enemies) {
    if (e.state == kEnemyFree) {
      slot = &e;
      break;
    }
  }
  if (slot == nullptr) return;
  Enemy& e = *slot;
  e = Enemy{};
  e.claimed = 1;
  e.kind = type;
  e.x = cellX * 40 + 20;
  e.y = cellY * 40 + 20;
  e.homeX = e.x;
  e.homeY = e.y;
  e.state = kEnemyActive;
  e.facing = facing;
  e.recordByte1 = static_cast<uint8_t>(byte1);
  e.equipment = static_cast<uint8_t>(byte2);
  e.param1 = param1;
  e.param2 = param2;
  e.alpha = 255;
  if (type < 3 || type == 13 || type == 17 || type == 18) {
    e.life = 100;
  } else if (type == 12) {
    e.life = 0;
  } else {
    e.life = -1;
  }
  e.pendingFacing = kNoPendingTurn;
  if (type < 3) {
    e.initialBehaviour = static_cast<uint8_t>(initialBehaviour);
    e.normalBehaviour = static_cast<uint8_t>(normalBehaviour);
    e.attackBehaviour = static_cast<uint8_t>(attackBehaviour);
    e.alertBehaviour = static_cast<uint8_t>(alertBehaviour);
    e.viewAngle = facing == 1 ? 180.0f : 0.0f;
  } else if ((type >= 3 && type <= 6) || type == 14) {
    e.viewAngle = static_cast<float>(param1);
    e.cycleCount = facing == 1 ? 1 : 0;
  } else if (type >= 7 && type <= 10) {
    e.viewAngle = facing == 1 ? 150.0f : 30.0f;
    e.droneParam = param2 == 1 ? 2 : 3;
  } else if (type == 11) {
    e.viewAngle = facing == 1 ? 180.0f : 0.0f;
  }
}

void SpawnReinforcements() {
  if (game.reinforcementsCalled != 0 || game.reinforcementType == 0) return;
  game.reinforcementsCalled = 1;
  // Only kinds 1 and 2 name a soldier; any other value sends the plain one.
  const int kind = game.reinforcementType == 2 ? 2 : 1;
  const int playerWorldX = player.x + game.scrollX;
  for (int row = 0; row < kMapRows; ++row) {
    for (int column = 0; column < kMapColumns; ++column) {
      const int code = game.mapGrid[column * kMapRows + row];
      if (code < 1 || code > 9) continue;
      const int16_t facing = column * 40 > playerWorldX ? 1 : 0;
      SpawnEnemy(kind, column, row + 1, 0, 0, facing, 0, 0, 3, 3, 0, 2);
    }
  }
}

void AlertAllInfantry(int except) {
  for (int i = 0; i < kEnemyCount; ++i) {
    Enemy& e = enemies[i];
    if (i == except || e.state == kEnemyKnockedOut || e.kind > 2) continue;
    e.subState = 0;
    e.modeTimer = 0;
    e.timer = 0;
    e.mode = 4;
  }
}

void CatchPlayer() {
  // The same fields a hit clears: whatever the player was holding on to, it lets go.
  player.actionTimer = 0;
  player.fireCounter = 0;
  player.climbing = 0;
  player.hanging = 0;
  player.straddling = 0;
  player.crawling = 0;
  player.wasCaught = 1;
  player.action = 58;
}

namespace {

void UpdateInfantry(int index) {
  Enemy& e = enemies[index];
  const int sheetA = e.kind == 1 ? enemy_sheet::kSoldierA : enemy_sheet::kReinforcedA;
  const int sheetB = e.kind == 1 ? enemy_sheet::kSoldierB : enemy_sheet::kReinforcedB;
  if (e.state == kEnemyActive) {
    switch (e.mode) {
      case 0:
      case 1: InfantryIdle(index, sheetA, sheetB); break;
      case 2: InfantryNoticed(index, sheetA, sheetB); break;
      case 3: InfantryAttack(index, sheetA, sheetB); break;
      case 4: InfantryAlertSearch(index, sheetA, sheetB); break;
      case 5: InfantrySuspicious(index, sheetA, sheetB); break;
      default: break;
    }
  } else if (e.state == kEnemyAsleep) {
    const int t = e.timer;
    const int sx = t < 30 ? 0 : t < 38 ? 120 : t < 46 ? 240 : t < 377 ? 360 : t < 385 ? 240 : t < 393 ? 120 : 0;
    DrawEnemyCell(e, sheetA, -60, -74, sx, 432, 120, 108, e.facing);
    if (game.paused == 0) {
      if (t > 50 && t < 300 && t % 40 == 0) {
        const int r = GetRandom(20);
        if (e.facing == 1) {
          SpawnShot(30, e.x - 40 + r, e.y - 20, e.facing, 0, 0, 0);
        } else {
          SpawnShot(30, e.x + 20 + r, e.y - 20, e.facing, 0, 0, 0);
        }
      }
      ++e.timer;
      if (e.timer > 400) {
        e.timer = 0;
        e.state = kEnemyActive;
      }
    }
  } else if (e.state == kEnemyKnockedOut) {
    const int t = e.timer;
    const int sx = t < 30 ? 480 : t < 38 ? 600 : t < 46 ? 720 : 840;
    DrawEnemyCell(e, sheetA, -60, -74, sx, 432, 120, 108, e.facing);
    if (game.paused == 0) {
      if (e.timer < 100) {
        ++e.timer;
      } else {
        e.timer = 60;
      }
    }
  }
  if (e.noGravity == 0) {
    ApplyEnemyGravity(e, 0, kEnemyFallCap, false);
    // One that fell out of the stage will never come back.
    if (e.y > game.stageScreensY * 600 + 200) {
      e.state = kEnemyFree;
      return;
    }
  }
  if (game.alertCountdown == 1 && e.state != kEnemyKnockedOut) {
    e.modeTimer = 0;
    e.timer = 0;
    e.subState = 0;
    e.mode = 1;
    e.pendingFacing = kNoPendingTurn;
  }
}

}  // namespace

void UpdateEnemies() {
  constexpr int kGoggles = 3;
  const bool goggles = player.selectedGadget == kGoggles;
  if (goggles) SetDrawBright(32, 255, 32);
  for (int i = 0; i < kEnemyCount; ++i) {
    const Enemy& e = enemies[i];
    if (e.state < 1) continue;
    switch (e.kind) {
      case 1:
      case 2: UpdateInfantry(i); break;
      case 3:
      case 4:
      case 5:
      case 6:
      case 7:
      case 8:
      case 9:
      case 10:
      case 11:
      case 14:
      case 15:
      case 16: UpdateMachine(i); break;
      case 12:
      case 13:
      case 17:
      case 18:
      case 21: UpdateCreature(i); break;
      default: break;
    }
  }
  if (goggles) SetDrawBright(255, 255, 255);
}
