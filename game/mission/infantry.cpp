#include "game/mission/infantry.h"

#include <cmath>
#include <cstdlib>

#include "game/mission/effects.h"
#include "game/mission/enemies.h"
#include "game/mission/enemy_sight.h"
#include "game/mission/map_objects.h"
#include "game/mission/player.h"
#include "game/mission/shots.h"
#include "game/shell/game_data.h"
#include "runtime/api.h"

namespace {

constexpr int kBalloonSheet = 103;
constexpr int kSoundRifle = 4, kSoundNotice = 13, kSoundSnipe = 22, kSoundShotgun = 28, kSoundSmg = 0,
              kSoundMachineGun = 23;

bool Paused() { return game.paused != 0; }

void Turn(Enemy& e) {
  e.facing = e.facing == 1 ? 0 : 1;
  e.viewAngle = e.facing == 1 ? 180.0f : 0.0f;
}

void ClearCounters(Enemy& e) {
  e.modeTimer = 0;
  e.timer = 0;
}

void SetMode(Enemy& e, int mode) {
  e.mode = static_cast<uint8_t>(mode);
  ClearCounters(e);
}

bool Sees(int index) { return EnemySightTest(index, 0, -50, 350, 25, 0); }

// The first solid, present map object whose world box overlaps the rectangle, or -1.
int SolidAt(int left, int right, int top, int bottom, int after = -1) {
  for (int i = after + 1; i < game.mapObjectCount; ++i) {
    const MapObject& o = pools.mapObjects[i];
    if (!IsSolidActive(o)) continue;
    if (Overlaps(o.x + o.boxLeft, o.x + o.boxRight, o.y + o.boxTop, o.y + o.boxBottom, left, right, top, bottom)) {
      return i;
    }
  }
  return -1;
}

// A strip ahead of the soldier: near and far are distances from x along its facing.
int SolidAhead(const Enemy& e, int near, int far, int top, int bottom, int after = -1) {
  if (e.facing == 1) return SolidAt(e.x - far, e.x - near, e.y + top, e.y + bottom, after);
  return SolidAt(e.x + near, e.x + far, e.y + top, e.y + bottom, after);
}

bool AtStageEdge(const Enemy& e) { return e.x < 5 || e.x > game.stageScreensX * 800 - 15; }

int Ahead(const Enemy& e, int n) { return e.facing == 1 ? -n : n; }

void Draw(const Enemy& e, int sheet, int sx, int sy, int dx = 0, int dy = -74) {
  DrawEnemyCell(e, sheet, -60 + dx, dy, sx, sy, 120, 108, e.facing);
}

void DrawStance(const Enemy& e, int sheetA) { Draw(e, sheetA, 0, 324); }

void DrawExclamation(const Enemy& e) {
  DrawRectGraph(EnemyScreenX(e) - 35, EnemyScreenY(e) - 90, 327, 444, 69, 29, game.graphs[kBalloonSheet], 1, 0);
}

int LookAroundCell(int t) {
  if (t < 100) return 0;
  if (t < 130) return 120;
  if (t < 140) return 240;
  if (t < 150) return 120;
  if (t < 160) return 360;
  if (t < 200) return 120;
  return 0;
}

void DrawWalk(const Enemy& e, int sheetA) {
  static const int kLift[8] = {73, 74, 73, 72, 73, 74, 73, 72};
  const int frame = e.timer / 6 > 7 ? 7 : e.timer / 6;
  Draw(e, sheetA, 120 * frame, 108, 0, -kLift[frame]);
}

void Notice(Enemy& e) { SetMode(e, 2); }

// The idle walk and the searching walk: the searching one ignores the stage edges and is
// not pushed back by walls.
void Walk(int index, int sheetA, bool searching) {
  Enemy& e = enemies[index];
  if (e.subState == 0) {
    DrawWalk(e, sheetA);
    if (Paused()) return;
    if (e.timer > 48) e.timer = 0;
    e.speedX = 0;
    bool blocked = !searching && AtStageEdge(e);
    for (int i = SolidAhead(e, 15, 20, -40, 10); i >= 0; i = SolidAhead(e, 15, 20, -40, 10, i)) {
      blocked = true;
      if (!searching) e.x -= Ahead(e, 2);
    }
    const bool ground = SolidAhead(e, 20, 55, 28, 48) >= 0;
    if (!ground || blocked) {
      e.subState = 1;
      ClearCounters(e);
    }
    e.x += Ahead(e, 2);
    e.speedX += 2;
    if (Sees(index)) Notice(e);
  } else {
    Draw(e, sheetA, LookAroundCell(e.timer), 0);
    if (Paused()) return;
    if (e.modeTimer > 250) {
      ClearCounters(e);
      e.subState = 0;
      Turn(e);
    }
    if (Sees(index)) Notice(e);
  }
}

void LookAround(int index, int sheetA) {
  Enemy& e = enemies[index];
  Draw(e, sheetA, LookAroundCell(e.timer), 0);
  if (Paused()) return;
  if (e.modeTimer > 250) {
    ClearCounters(e);
    Turn(e);
  }
  if (Sees(index)) Notice(e);
}

void Stand(int index, int sheetA) {
  Enemy& e = enemies[index];
  Draw(e, sheetA, 0, 0);
  if (Paused()) return;
  if (e.timer > 100) e.timer = 0;
  if (e.modeTimer > 200) ClearCounters(e);
  if (Sees(index)) Notice(e);
}

void Sleep(int index, int sheetB) {
  Enemy& e = enemies[index];
  const int t = e.timer;
  Draw(e, sheetB, t < 10 ? 0 : t < 20 ? 120 : t < 30 ? 240 : t < 40 ? 360 : t < 50 ? 240 : 120, 108);
  if (Paused()) return;
  if (e.timer > 60) e.timer = 0;
  if (e.timer == 60) {
    const int r = GetRandom(20);
    SpawnShot(30, e.facing == 1 ? e.x - 30 + r : e.x + r, e.y - 60, e.facing, 0, 0, 0);
  }
}

void Smoke(int index, int sheetA) {
  Enemy& e = enemies[index];
  const int t = e.timer;
  int cell = 360;
  if (e.subState == 0) {
    cell = t < 30 ? 0 : t < 40 ? 120 : t < 50 ? 240 : 360;
  } else if (e.subState == 1) {
    cell = t < 100 ? 240 : 360;
  } else {
    cell = t < 20 ? 240 : t < 30 ? 480 : t < 65 ? 600 : t < 130 ? 480 : t < 140 ? 240 : 360;
  }
  Draw(e, sheetA, cell, 216);
  if (Paused()) return;
  if (e.subState == 1) e.cycleCount = static_cast<uint16_t>(300 + GetRandom(100));
  if (e.timer > e.cycleCount || (e.subState == 2 && e.timer >= 150)) {
    e.timer = 0;
    e.subState = GetRandom(10) < 6 ? 1 : 2;
  }
  const bool left = e.facing == 1;
  if (e.subState == 2) {
    if (e.timer == 28) {
      e.timer2 = GetRandom(1) == 0 ? 0 : 2;
      SpawnShot(29, left ? e.x - 40 : e.x + 7, e.y - 70, e.facing, static_cast<float>(e.timer2 + 2), 0, 0);
    }
    if (e.timer == 40 || e.timer == 90) {
      SpawnShot(29, left ? e.x - 45 : e.x + 12, e.y - 70, e.facing, static_cast<float>(e.timer2 + 3), 0, 0);
    }
  } else {
    if (e.timer % 50 == 0) {
      SpawnShot(29, left ? e.x - 30 : e.x - 3, e.y - 65, e.facing, static_cast<float>(GetRandom(1)), 0, 0);
    }
    if (Sees(index)) Notice(e);
  }
}

void Music(int index, int sheetA) {
  Enemy& e = enemies[index];
  const int t = e.timer;
  int cell = 360;
  if (e.subState == 0) {
    cell = t < 8 ? 0 : t < 16 ? 120 : t < 24 ? 240 : 120;
  } else if (e.subState == 1) {
    cell = t < 10 ? 360 : t < 15 ? 480 : t < 20 ? 600 : t < 25 ? 720 : 600;
  }
  Draw(e, sheetA, cell, 540);
  if (Paused()) return;
  const int noteX = e.facing == 1 ? e.x - 15 : e.x + 15;
  if (e.subState == 0) {
    if (e.timer == 25) {
      SpawnShot(28, noteX, e.y - 70, e.facing, static_cast<float>(GetRandom(4)), static_cast<float>(GetRandom(2) + 2), 0);
    }
    if (e.timer >= 32) {
      e.timer = 0;
      ++e.cycleCount;
    }
    if (e.cycleCount > 19) {
      e.subState = 1;
      e.cycleCount = 0;
    }
    if (Sees(index)) Notice(e);
  } else if (e.subState == 1) {
    if (e.timer == 0 || e.timer == 15) {
      SpawnShot(28, noteX, e.y - 70, e.facing, static_cast<float>(GetRandom(4)), static_cast<float>(GetRandom(5) + 3), 0);
    }
    if (e.timer >= 30) {
      e.timer = 10;
      ++e.cycleCount;
    }
    if (e.cycleCount == 10) {
      e.timer = 0;
      e.subState = 2;
      e.cycleCount = 0;
    }
  } else if (e.timer >= 10) {
    e.timer = 0;
    e.subState = 0;
  }
}

// Counters first (not while paused), then the pending turn.
void CommonStart(int index) {
  Enemy& e = enemies[index];
  if (!Paused()) {
    ++e.modeTimer;
    ++e.timer;
  }
  ApplyPendingTurn(index);
}

// The attack's re-check: wide and far; it turns the soldier to the player.
bool Recheck(int index) {
  Enemy& e = enemies[index];
  if (EnemySightTest(index, 0, -50, 500, 180, 0)) {
    e.viewAngle = e.facing == 1 ? 180.0f : 0.0f;
    return true;
  }
  ClearCounters(e);
  e.subState = 0;
  e.mode = 4;
  TurnAtLedge(index);
  return false;
}

int FireCell(int t) { return t < 5 ? 0 : t < 10 ? 120 : t < 20 ? 240 : t < 30 ? 360 : t < 40 ? 480 : 360; }

void FireBullet(const Enemy& e, float speed) {
  SpawnShot(22, e.facing == 1 ? e.x - 60 : e.x + 60, e.y - 40, e.facing, speed, 0, 0);
}

}  // namespace

void ApplyPendingTurn(int index) {
  Enemy& e = enemies[index];
  if (e.pendingFacing == kNoPendingTurn) return;
  if (e.pendingTurnTimer >= 15) {
    e.facing = e.pendingFacing;
    e.viewAngle = e.facing == 1 ? 180.0f : 0.0f;
    e.pendingFacing = kNoPendingTurn;
    SetMode(e, 5);
  } else {
    ++e.pendingTurnTimer;
  }
}

void TurnAtLedge(int index) {
  Enemy& e = enemies[index];
  for (int i = 0; i < game.mapObjectCount; ++i) {
    const MapObject& o = pools.mapObjects[i];
    if (!IsSolidActive(o)) continue;
    const int left = o.x + o.boxLeft, right = o.x + o.boxRight, top = o.y + o.boxTop, bottom = o.y + o.boxBottom;
    const bool spans = e.facing == 1 ? (left < e.x - 30 && right > e.x - 50) : (left < e.x + 30 && right > e.x + 50);
    if (spans && top < e.y + 48 && bottom > e.y + 28) return;
  }
  Turn(e);
}

void InfantryIdle(int index, int sheetA, int sheetB) {
  Enemy& e = enemies[index];
  CommonStart(index);
  int behaviour = 0;
  if (e.mode == 0) behaviour = e.initialBehaviour;
  if (e.mode == 1) behaviour = e.normalBehaviour;
  switch (behaviour) {
    case 1: LookAround(index, sheetA); break;
    case 2: Walk(index, sheetA, false); break;
    case 3: InfantryWalkClimb(index, sheetA); break;
    case 4: Sleep(index, sheetB); break;
    case 5: Smoke(index, sheetA); break;
    case 6: Music(index, sheetA); break;
    default: Stand(index, sheetA); break;
  }
}

void InfantryWalkClimb(int index, int sheetA) {
  Enemy& e = enemies[index];
  const int t = e.timer;
  if (e.subState == 0) {
    DrawWalk(e, sheetA);
    if (Paused()) return;
    if (e.timer > 48) e.timer = 0;
    if (e.inAir == 0) {
      e.speedX = 0;
      bool ground = SolidAhead(e, 15, 20, 20, 40) >= 0;
      const bool edge = AtStageEdge(e);
      bool wall = false, floor = false;
      if (edge) {
        e.subState = 1;
        ClearCounters(e);
      } else {
        const int startX = e.x;
        for (int i = SolidAhead(e, 15, e.facing == 1 ? 20 : 21, -40, 10); i >= 0;
             i = SolidAhead(e, 15, e.facing == 1 ? 20 : 21, -40, 10, i)) {
          wall = true;
          e.x -= Ahead(e, 2);
        }
        int block = -1, level = 0;
        bool allowed = false;
        if (wall) {
          for (int k = 0; k < 4; ++k) {
            for (int i = SolidAhead(e, 20, 25, -5 - 40 * k, 5 - 40 * k); i >= 0;
                 i = SolidAhead(e, 20, 25, -5 - 40 * k, 5 - 40 * k, i)) {
              block = i;
              level = k;
              const MapObject& b = pools.mapObjects[i];
              const int top = b.y + b.boxTop;
              const int nearLeft = e.facing == 1 ? b.x + b.boxRight - 40 : b.x + b.boxLeft;
              allowed = SolidAt(nearLeft, nearLeft + 40, top - 70, top) < 0 &&
                        SolidAt(e.x - 10, e.x + 10, e.y - 80 - 40 * k, e.y) < 0;
            }
          }
          // An obstacle with nothing in the climbing column at any height is no wall: the
          // soldier walks on instead of climbing to a height nothing defines.
          if (block < 0) {
            wall = false;
            e.x = startX;
          }
        }
        if (wall) {
          ground = true;
          if (allowed) {
            const int above = e.y - 10 - 40 * (level + 1), below = e.y + 70 - 40 * (level + 1);
            const int columnLeft = e.facing == 1 ? e.x - 25 : e.x + 20;
            for (int i = 0; i < game.mapObjectCount && allowed; ++i) {
              const MapObject& o = pools.mapObjects[i];
              if (!IsSolidActive(o)) continue;
              if (o.x + o.boxLeft < columnLeft + 5 && columnLeft < o.x + o.boxRight && o.y + o.boxTop < above &&
                  o.y + o.boxBottom > below) {
                allowed = false;
              }
            }
          }
          if (allowed) {
            e.climbLevel = static_cast<uint8_t>(level);
            e.subState = 2;
            ClearCounters(e);
            e.noGravity = 1;
            e.speedX = e.x + Ahead(e, 40);
            e.speedY = pools.mapObjects[block].y;
          } else {
            e.climbLevel = static_cast<uint8_t>(level);
            e.subState = 1;
            ClearCounters(e);
          }
        } else {
          floor = e.facing == 1 ? SolidAt(e.x - 20, e.x - 15, e.y + 28, e.y + 190) >= 0
                                : SolidAt(e.x + 20, e.x + 25, e.y + 28, e.y + 190) >= 0;
          if (!floor) {
            e.subState = 1;
            ClearCounters(e);
          }
        }
      }
      if ((!floor || wall) && (!ground || edge)) {
        e.subState = 1;
        ClearCounters(e);
      }
      e.x += Ahead(e, 2);
      e.speedX += 2;
    }
    if (Sees(index)) Notice(e);
  } else if (e.subState == 1) {
    Draw(e, sheetA, LookAroundCell(t), 0);
    if (Paused()) return;
    if (e.modeTimer > 250) {
      ClearCounters(e);
      e.subState = 0;
      Turn(e);
    }
    if (Sees(index)) Notice(e);
  } else if (e.subState == 2) {
    if (t < 20) {
      Draw(e, sheetA, 0, 0, Ahead(e, 8));
    } else {
      Draw(e, sheetA, 0, 648, Ahead(e, 8));
    }
    if (Paused()) return;
    if (e.timer > 20) {
      if (std::abs(e.y - e.speedY) < 51) {
        e.y -= 5 - e.timer / 10;
      } else {
        e.y -= 10 - e.timer / 10;
      }
      if (e.y <= e.speedY + 75) {
        e.subState = 3;
        ClearCounters(e);
      }
    }
  } else {
    const int shift = Ahead(e, 8);
    if (std::abs(e.y - e.speedY) <= 30) {
      Draw(e, sheetA, t < 10 ? 0 : t < 20 ? 120 : t < 30 ? 240 : 360, 756, shift);
    } else if (t < 20) {
      Draw(e, sheetA, t < 10 ? 120 : 240, 648, shift);
    } else if (t < 30) {
      Draw(e, sheetA, 360, 648, shift, -74 - 26);
    } else {
      DrawEnemyCell(e, sheetA, (e.facing == 1 ? -70 : -50) + shift, -145, 480, 648, 120, 108, e.facing);
    }
    if (Paused()) return;
    if (e.timer > 37) {
      e.x = e.speedX;
      e.y -= 43;
      e.subState = 0;
      ClearCounters(e);
      e.noGravity = 0;
    }
  }
}

void InfantryNoticed(int index, int sheetA, int) {
  Enemy& e = enemies[index];
  DrawExclamation(e);
  DrawStance(e, sheetA);
  if (Paused()) return;
  if (e.modeTimer == 0) {
    PlaySoundHandle(game.sounds[kSoundNotice], 1, 1);
    if (game.gameMode == kModeVr) ++game.vrDiscoveries;
  }
  ++e.modeTimer;
  ++e.timer;
  if (e.modeTimer > 75) {
    e.subState = 0;
    SetMode(e, Sees(index) ? 3 : 4);
  }
}

void InfantryAttack(int index, int sheetA, int sheetB) {
  Enemy& e = enemies[index];
  CommonStart(index);
  const int t = e.timer;
  switch (e.attackBehaviour) {
    case 0:
      Draw(e, sheetA, FireCell(t), 324);
      if (Paused()) return;
      if (e.timer == 31) {
        PlaySoundHandle(game.sounds[kSoundRifle], 1, 1);
        FireBullet(e, 15);
      }
      if (e.timer == 100) {
        e.timer = 0;
        if (Recheck(index)) e.timer = 30;
      }
      break;
    case 1: {
      Draw(e, sheetB, FireCell(t), 324 + 108 * (e.equipment > 3 ? 3 : e.equipment));
      if (Paused()) return;
      // The basic rifle fires nothing here and sets no cycle: the soldier re-checks with
      // whatever timer2 holds, every frame when it is 0.
      if (e.timer == 1 && e.equipment >= 1 && e.equipment <= 3) {
        static const uint16_t kCycle[4] = {0, 150, 100, 130};
        e.timer2 = kCycle[e.equipment];
      }
      const bool left = e.facing == 1;
      if (e.timer == 31) {
        if (e.equipment == 1) {
          PlaySoundHandle(game.sounds[kSoundShotgun], 1, 1);
          static const float kAngles[5] = {0.0f, -0.3490658f, -0.6981316f, 0.3490658f, 0.6981316f};
          for (float a : kAngles) {
            SpawnShot(33, left ? e.x - 60 : e.x + 60, e.y - 40, e.facing, std::cos(a) * 20.0f, std::sin(a) * 20.0f, 0);
          }
          SpawnShot(21, e.x - 62, e.y - 57, e.facing == 1 ? 0 : 1, 0, 0, 0);
        } else if (e.equipment == 2) {
          PlaySoundHandle(game.sounds[kSoundSmg], 1, 1);
          FireBullet(e, 10);
        } else if (e.equipment == 3) {
          PlaySoundHandle(game.sounds[kSoundMachineGun], 1, 1);
          FireBullet(e, 30);
        }
      }
      if (e.equipment == 2 && (e.timer == 36 || e.timer == 41)) {
        PlaySoundHandle(game.sounds[kSoundSmg], 1, 1);
        FireBullet(e, 10);
      }
      if (e.timer >= e.timer2) {
        e.timer = 0;
        if (Recheck(index)) {
          e.timer = 30;
        } else {
          e.timer2 = 0;
        }
      }
      break;
    }
    case 2: {
      int cell = t < 8 ? 0 : t < 16 ? 120 : t < 24 ? 240 : t < 32 ? 360 : 480;
      if (t > 24 && t % 12 == 0) {
        cell = 600;
      } else if (t > 24 && t % 15 == 0) {
        cell = 720;
      }
      Draw(e, sheetB, cell, 0);
      if (Paused()) return;
      if (e.timer > 39) e.timer = 24;
      break;
    }
    case 3: Draw(e, sheetA, 0, 0); break;
    default: break;
  }
}

void InfantryAlertSearch(int index, int sheetA, int sheetB) {
  Enemy& e = enemies[index];
  CommonStart(index);
  switch (e.alertBehaviour) {
    case 0: {
      Draw(e, sheetA, LookAroundCell(e.timer), 0);
      if (Paused()) return;
      if (e.modeTimer > 250) {
        ClearCounters(e);
        Turn(e);
      }
      if (Sees(index)) {
        SetMode(e, 3);
        PlaySoundHandle(game.sounds[kSoundNotice], 1, 1);
        DrawExclamation(e);
        if (game.gameMode == kModeVr) ++game.vrDiscoveries;
      }
      break;
    }
    case 1: Walk(index, sheetA, true); break;
    case 2: InfantryWalkClimb(index, sheetA); break;
    case 3: {
      const int t = e.timer;
      int cell = 480;
      if (e.subState == 0) {
        cell = t < 10 ? 0 : t < 20 ? 120 : t < 30 ? 240 : t < 40 ? 360 : 480;
      } else {
        cell = t < 20 ? 600 : t < 30 ? 720 : 480;
      }
      Draw(e, sheetB, cell, 216);
      if (Paused()) return;
      if (e.subState == 0) {
        if (e.timer > 50) e.timer = 40;
        if (e.timer > 40 && EnemySightTest(index, 0, -30, 1000, 3, 0)) {
          e.subState = 1;
          e.timer = 0;
          PlaySoundHandle(game.sounds[kSoundSnipe], 1, 1);
          DamagePlayer(15, 9);
          SpawnEffect(0, 1, player.x + game.scrollX, player.y - game.scrollY, 0, 0);
        }
      } else if (e.timer > 60) {
        e.subState = 0;
        e.timer = 40;
      }
      break;
    }
    default: break;
  }
}

void InfantrySuspicious(int index, int sheetA, int) {
  Enemy& e = enemies[index];
  if (e.modeTimer < 150) {
    DrawRectGraph(EnemyScreenX(e) - 20, EnemyScreenY(e) - 100, 407, 437, 30, 36, game.graphs[kBalloonSheet], 1, 0);
  } else if (e.modeTimer < 220) {
    DrawRectGraph(EnemyScreenX(e) - 20, EnemyScreenY(e) - 100, 407, 471, 30, 36, game.graphs[kBalloonSheet], 1, 0);
  }
  DrawStance(e, sheetA);
  if (Paused()) return;
  ++e.modeTimer;
  e.noGravity = 0;
  if (e.modeTimer >= 220) {
    ClearCounters(e);
    e.mode = game.alertCountdown != 0 ? 4 : 1;
    e.pendingFacing = kNoPendingTurn;
    e.subState = 0;
  }
  if (Sees(index)) SetMode(e, 2);
}
