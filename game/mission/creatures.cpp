#include "game/mission/creatures.h"

#include <algorithm>
#include <cmath>

#include "game/mission/enemies.h"
#include "game/mission/enemy_sight.h"
#include "game/mission/map_objects.h"
#include "game/mission/player.h"
#include "game/mission/shots.h"
#include "game/shell/game_data.h"
#include "runtime/api.h"

namespace {

constexpr int kSoundExplosion = 27;
constexpr int kInvisibility = 6, kLightReversal = 7;
constexpr int kCreatureFallCap = 12;
constexpr int kConveyorRight = 75, kConveyorLeft = 76;

bool Paused() { return game.paused != 0; }

bool VisibleByLight() {
  const bool lit = player.isLit != 0;
  const bool reversed = player.selectedGadget == kLightReversal;
  return (lit != reversed) && player.selectedGadget != kInvisibility;
}

void TurnRound(Enemy& e) {
  if (e.facing == 1) {
    e.facing = 0;
    e.x += 1;
  } else {
    e.facing = 1;
    e.x -= 1;
  }
}

// Walkers turn at any solid object their narrowed, raised box runs into.
void WallTest(Enemy& e) {
  EnemyHitBox box{};
  if (!GetEnemyHitBox(e.kind, &box)) return;
  const int left = e.x + box.left + 5, right = e.x + box.right - 5, top = e.y + box.top, bottom = e.y + box.bottom - 15;
  for (int i = 0; i < game.mapObjectCount; ++i) {
    const MapObject& o = pools.mapObjects[i];
    if (!IsSolidActive(o)) continue;
    if (Overlaps(o.x + o.boxLeft, o.x + o.boxRight, o.y + o.boxTop, o.y + o.boxBottom, left, right, top, bottom)) {
      TurnRound(e);
    }
  }
}

// The touch of a slime or a fairy hurts a player who is not hidden, busy or blinking.
void TouchPlayer(const Enemy& e) {
  if (player.inHideSpot != 0 || player.action >= 40 || player.invulnTimer != 0) return;
  EnemyHitBox box{};
  if (!GetEnemyHitBox(e.kind, &box)) return;
  const int sx = EnemyScreenX(e), sy = EnemyScreenY(e);
  if (TouchesPlayer(sx + box.left, sy + box.top, sx + box.right, sy + box.bottom)) DamagePlayer(15, 9);
}

void Explode(const Enemy& e, int dx, int dy) {
  SpawnShot(31, e.x + dx, e.y + dy, e.facing, 0, 0, 0);
  PlaySoundHandle(game.sounds[kSoundExplosion], 1, 1);
  SpawnShot(27, e.x + dx, e.y + dy, e.facing, 400.0f, 0, 0);
}

void BombSoldier(int index) {
  Enemy& e = enemies[index];
  const int t = e.timer;
  if (e.state == kEnemyActive) {
    int sx = 160, sy = 0;
    if (e.subState == 2) {
      sx = t < 5 ? 0 : t < 10 ? 40 : t < 15 ? 80 : t < 20 ? 120 : t < 25 ? 80 : 40;
    }
    DrawEnemyCell(e, enemy_sheet::kBombSoldier, -20, -10, sx, sy, 40, 40, e.facing);
    if (Paused()) return;
    // Gravity with the wall test, then the stage edges, then the landing.
    WallTest(e);
    if (e.x < 5 || e.x > game.stageScreensX * 800 - 15) TurnRound(e);
    ApplyEnemyGravity(e, 5, kCreatureFallCap, false);
    if (e.subState == 2) e.x += e.facing == 1 ? -1 : 1;
    ++e.timer;
    if (e.subState == 0 && e.timer == 1) e.timer = 0;
    if (e.subState == 1 && e.timer > 5) {
      e.timer = 0;
      e.subState = 2;
    }
    if (e.subState == 2 && e.timer > 30) e.timer = 0;
  } else if (e.state == kEnemyDefeated) {
    int sx = 40, sy = 80;
    if (t < 2) {
      sx = 80, sy = 40;
    } else if (t < 4) {
      sx = 120, sy = 40;
    } else if (t < 9) {
      sx = 0, sy = 80;
    }
    DrawEnemyCell(e, enemy_sheet::kBombSoldier, -20, -10, sx, sy, 40, 40, e.facing);
    if (Paused()) return;
    ++e.timer;
    if (e.timer == 4) Explode(e, 0, 0);
    if (e.timer > 14) e.state = kEnemyFree;
  }
}

void Flower(int index) {
  Enemy& e = enemies[index];
  const int t = e.timer;
  if (e.state == kEnemyDefeated) {
    const int sx = t < 8 ? 80 : t < 16 ? 0 : t < 24 ? 40 : 80;
    DrawEnemyCell(e, enemy_sheet::kFlower, -20, -20, sx, t < 8 ? 40 : 80, 40, 40, e.facing);
    if (Paused()) return;
    if (e.timer == 0) Explode(e, -20, -20);
    ++e.timer;
    if (e.timer > 32) e.state = kEnemyFree;
    return;
  }
  if (e.state != kEnemyActive) return;
  if (e.recordByte1 != 1) {
    if (e.subState == 1) {
      DrawEnemyCell(e, enemy_sheet::kFlower, -20, -20, t < 8 ? 0 : 40, 40, 40, 40, e.facing);
    } else {
      DrawEnemyCell(e, enemy_sheet::kFlower, -20, -20, t < 8 ? 0 : t < 16 ? 40 : t < 24 ? 80 : 40, 0, 40, 40, e.facing);
    }
    if (Paused()) return;
    ++e.timer;
    if (e.subState == 0) {
      if (e.timer > 31) e.timer = 0;
      const int sx = EnemyScreenX(e), sy = EnemyScreenY(e);
      const int dx = player.x - sx, dy = player.y - sy;
      const bool inFront = e.facing == 1 ? player.x < sx : player.x >= sx;
      if (inFront && dx * dx + dy * dy <= 90000 && VisibleByLight()) {
        e.timer = 0;
        e.subState = 1;
      }
    } else if (e.subState == 1) {
      if (e.timer == 8) SpawnShot(32, e.x - 30, e.y - 30, e.facing, 0, 0, 0);
      if (e.timer > 19) {
        e.timer = 0;
        e.subState = 2;
      }
    } else if (e.timer > 95) {
      e.timer = 0;
      e.subState = 0;
    }
    ++e.timer2;
    if (e.timer2 > 300) {
      e.timer2 = 0;
      e.facing = e.facing == 1 ? 0 : 1;
    }
    return;
  }
  // Emitted by a spawner: it materialises, then falls and rides conveyors.
  const int graph = game.graphs[30 + enemy_sheet::kEmergingFlower];
  const int sx = EnemyScreenX(e), sy = EnemyScreenY(e);
  if (e.timer2 < 40) {
    SetDrawBlendMode(1, e.timer2 * 6);
    DrawRectGraph(sx - 20, sy - 20, 0, 0, 40, 40, graph, 1, e.facing);
    SetDrawBlendMode(0, 0);
  } else if (e.timer2 < 80) {
    const int k = e.timer2 - 40;
    if (40 - k > 0) DrawRectGraph(sx - 20, sy - 20, 0, 0, 40, 40 - k, graph, 1, e.facing);
    if (k > 0) DrawRectGraph(sx - 20, sy + 20 - k, 0, 120 - k, 40, k, graph, 1, e.facing);
    GetRandom(10);
    const int r = GetRandom(10);
    unsigned int colour = GetColor(200, 200, 200);
    if (r < 8) colour = GetRandom(10) >= 4 ? GetColor(140, 140, 220) : GetColor(200, 100, 100);
    DrawLine(sx - 30, sy + 20 - k, sx + 30, sy + 20 - k, colour);
  } else {
    DrawRectGraph(sx - 20, sy - 20, 0, 80, 40, 40, graph, 1, e.facing);
  }
  if (Paused()) return;
  ++e.timer;
  if (e.timer > 31) e.timer = 0;
  if (e.timer2 < 100) ++e.timer2;
  if (e.timer2 > 80) {
    const int landed = ApplyEnemyGravity(e, 5, kCreatureFallCap, true);
    if (landed >= 0) {
      if (pools.mapObjects[landed].kind == kConveyorRight) e.x += 1;
      if (pools.mapObjects[landed].kind == kConveyorLeft) e.x -= 1;
    }
    if (e.y + game.scrollY > 700) e.state = kEnemyFree;
  }
}

void Slime(int index) {
  Enemy& e = enemies[index];
  const int t = e.timer;
  if (e.state == kEnemyDefeated) {
    if (e.timer == 0) e.cycleCount = 0;
    SetDrawBlendMode(1, std::max(0, 255 - e.cycleCount));
    DrawEnemyCell(e, enemy_sheet::kSlime, -20, -20, e.timer < 10 ? 120 : 160, 80, 40, 40, e.facing);
    SetDrawBlendMode(0, 0);
    if (Paused()) return;
    ++e.timer;
    e.cycleCount += 10;
    if (e.cycleCount > 240) e.state = kEnemyFree;
    return;
  }
  if (e.state != kEnemyActive) return;
  int sx = 0, sy = 40;
  if (e.subState == 0) {
    if (t < 36) sx = 40 * (t / 6), sy = 0;
  } else {
    static const int kChase[9][2] = {{40, 40}, {80, 40}, {120, 40}, {160, 40}, {200, 40},
                                     {0, 80},  {40, 80}, {200, 40}, {160, 40}};
    if (t < 54) {
      sx = kChase[t / 6][0], sy = kChase[t / 6][1];
    } else {
      sx = 80, sy = 80;
    }
  }
  DrawEnemyCell(e, enemy_sheet::kSlime, -20, -15, sx, sy, 40, 40, e.facing);
  if (Paused()) return;
  WallTest(e);
  ApplyEnemyGravity(e, 5, kCreatureFallCap, false);
  if (e.subState == 1) e.x += e.facing == 1 ? -1 : 1;
  if (e.subState == 0) {
    ++e.timer;
    if (e.timer > 42) e.timer = 0;
    if (e.timer % 10 == 5 && player.selectedGadget != kInvisibility && EnemySightTest(index, 0, 0, 350, 25, 1)) {
      e.subState = 1;
    }
  } else {
    ++e.timer;
    if (e.timer > 60) e.timer = 0;
    if (e.timer % 10 == 5 && player.selectedGadget != kInvisibility && !EnemySightTest(index, 0, 0, 350, 80, 1)) {
      e.subState = 0;
    }
  }
  TouchPlayer(e);
  // One that fell out of the stage will never come back.
  if (e.y > game.stageScreensY * 600 + 200) e.state = kEnemyFree;
}

void Fairy(int index) {
  Enemy& e = enemies[index];
  const int t = e.timer;
  const int fairy = enemy_sheet::kFairy, glow = enemy_sheet::kFairyGlow;
  if (e.state == kEnemyDefeated) {
    if (e.timer == 0) e.alpha = 255;
    SetDrawBlendMode(1, std::max(0, e.alpha));
    DrawEnemyCell(e, fairy, -60, -68, t < 8 ? 0 : 120, 216, 120, 108, e.facing);
    const int gx = t < 8 ? 0 : t < 16 ? 120 : t < 24 ? 240 : 360;
    DrawEnemyCell(e, glow, -60, -68, gx, 216, 120, 108, e.facing);
    SetDrawBlendMode(2, 96);
    DrawEnemyCell(e, glow, -60, -68, gx, 216, 120, 108, e.facing);
    DrawEnemyCell(e, glow, -60, -68, gx, 216, 120, 108, e.facing);
    SetDrawBlendMode(0, 0);
    if (Paused()) return;
    ++e.timer;
    e.alpha -= 10;
    if (e.timer > 40) e.state = kEnemyFree;
    return;
  }
  if (e.state != kEnemyActive) return;
  int sx = 0, sy = 0;
  if (e.subState == 0) {
    if (e.timer2 == 4) {
      sx = t < 8 ? 0 : t < 16 ? 360 : t < 24 ? 0 : 360;
      sy = t >= 16 && t < 24 ? 108 : 0;
    } else {
      sx = t < 8 ? 0 : t < 16 ? 120 : t < 24 ? 240 : 120;
    }
  } else {
    sx = t < 8 ? 120 : t < 16 ? 240 : t < 24 ? 360 : 240;
    sy = 108;
  }
  SetDrawBlendMode(1, 128);
  DrawEnemyCell(e, glow, -60, -68, sx, sy, 120, 108, e.facing);
  DrawEnemyCell(e, glow, -60, -68, sx, sy, 120, 108, e.facing);
  SetDrawBlendMode(0, 0);
  DrawEnemyCell(e, fairy, -60, -68, sx, sy, 120, 108, e.facing);
  if (Paused()) return;
  const int px = EnemyScreenX(e), py = EnemyScreenY(e);
  const auto near = [&] { return player.x > px - 350 && player.x < px + 350 && std::abs(player.y - py) < 350; };
  if (e.subState == 0) {
    ++e.timer;
    if (e.timer > 32) {
      e.timer = 0;
      ++e.timer2;
      if (e.timer2 > 4) e.timer2 = 0;
    }
    if (near() && VisibleByLight()) {
      e.subState = 1;
      e.timer = 0;
      e.timer2 = 0;
    }
  } else {
    ++e.timer;
    if (e.timer > 32) e.timer = 0;
    const int dx = player.x - px, dy = player.y - py;
    const int d = static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
    if (d > 3) {
      e.speedX = std::clamp((dx + 5) / (d / 3), -2, 2);
      e.speedY = std::clamp((dy + 20) / (d / 3), -2, 2);
    }
    e.x += e.speedX;
    e.y += e.speedY;
    e.facing = e.speedX < 1 ? 1 : 0;
    const bool lit = (player.isLit != 0) != (player.selectedGadget == kLightReversal);
    if (!near() || !lit) {
      e.subState = 0;
      e.timer = 0;
      e.timer2 = 0;
    }
  }
  TouchPlayer(e);
}

void Spawner(int index) {
  Enemy& e = enemies[index];
  const int t = e.timer;
  int sx = 0, sy = 324;
  if (e.stunTimer == 0) {
    const int step = t < 10 ? 0 : t < 20 ? 1 : t < 30 ? 2 : 3;
    const int period = e.param1 == 0 ? 100 : e.param1;
    if (e.cycleCount < 2 * period - 100) {
      static const int kIdle[4][2] = {{0, 0}, {120, 0}, {240, 0}, {120, 0}};
      static const int kBlink[4][2] = {{0, 0}, {0, 108}, {120, 108}, {0, 108}};
      const auto& cell = e.timer2 < 3 ? kIdle[step] : kBlink[step];
      sx = cell[0], sy = cell[1];
    } else {
      static const int kCharge[4][2] = {{0, 216}, {120, 216}, {240, 216}, {120, 216}};
      const int f = e.fallSpeed < 10 ? 0 : e.fallSpeed < 20 ? 1 : e.fallSpeed < 30 ? 2 : 3;
      sx = kCharge[f][0], sy = kCharge[f][1];
    }
  }
  DrawEnemyCell(e, enemy_sheet::kSpawner, -60, -68, sx, sy, 120, 108, e.facing);
  if (Paused()) return;
  ++e.timer;
  if (e.timer > 39) {
    e.timer = 0;
    e.timer2 = e.timer2 >= 3 ? 0 : e.timer2 + 1;
  }
  if (++e.fallSpeed > 39) e.fallSpeed = 0;
  if (e.stunTimer > 0 && ++e.stunTimer > 30) e.stunTimer = 0;
  ++e.cycleCount;
  if (e.param1 == 0) e.param1 = 100;
  if (e.cycleCount >= 2 * e.param1) {
    e.cycleCount = 0;
    e.stunTimer = 1;
    // The new flower takes the cell beside the spawner on its facing side, inside the stage.
    int cellX = e.facing == 1 ? e.x / 40 - 1 : e.x / 40 + 1;
    cellX = std::clamp(cellX, 0, game.stageScreensX * 20 - 1);
    SpawnEnemy(13, cellX, e.y / 40, 1, 0, static_cast<int16_t>(e.facing != 1 ? 1 : 0), 0, 0, 0, 0, 0, 0);
  }
}

}  // namespace

bool TouchesPlayer(int left, int top, int right, int bottom) {
  const int touchLeft = player.x + 10, touchRight = player.x + 20;
  const int touchTop = player.y + 10, touchBottom = player.y + 51;
  return left < touchRight && touchLeft < right && top < touchBottom && touchTop < bottom;
}

void UpdateCreature(int index) {
  switch (enemies[index].kind) {
    case 12: BombSoldier(index); break;
    case 13: Flower(index); break;
    case 17: Slime(index); break;
    case 18: Fairy(index); break;
    case 21: Spawner(index); break;
    default: break;
  }
}
