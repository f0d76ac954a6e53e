#include "game/mission/machines.h"

#include <cmath>

#include "game/mission/effects.h"
#include "game/mission/enemies.h"
#include "game/mission/enemy_sight.h"
#include "game/mission/shots.h"
#include "game/shell/game_data.h"
#include "runtime/api.h"

namespace {

constexpr int kSoundSpotted = 13;
constexpr int kBalloonSheet = 103;
constexpr float kPi = 3.141592f;

bool Paused() { return game.paused != 0; }

// The counter's wrap value and the count above which the beam is on again.
void CycleLimits(int kind, int param2, int* wrap, int* onAgain) {
  if (kind == 14) {
    *wrap = param2 + 150;
    *onAgain = param2 + 140;
  } else if (kind == 4 || kind == 6) {
    *wrap = 2 * param2;
    *onAgain = 2 * param2 + 40;
  } else {
    *wrap = 2 * param2 + 40;
    *onAgain = 2 * param2 + 40;
  }
}

void AdvanceCycle(const Enemy& e, uint16_t* counter) {
  if (e.param2 == 0) {
    *counter = 0;
    return;
  }
  int wrap = 0, onAgain = 0;
  CycleLimits(e.kind, e.param2, &wrap, &onAgain);
  ++*counter;
  if (*counter > wrap) *counter = 0;
}

void DrawCamera(const Enemy& e) {
  const float a = e.viewAngle;
  int sx = 80, sy = 160;
  if (a < 45) {
    sx = 80, sy = 0;
  } else if (a < 60) {
    sx = 160, sy = 0;
  } else if (a < 75) {
    sx = 0, sy = 80;
  } else if (a < 105) {
    sx = 80, sy = 80;
  } else if (a < 120) {
    sx = 160, sy = 80;
  } else if (a < 135) {
    sx = 0, sy = 160;
  }
  const int sheet = e.kind <= 4 ? enemy_sheet::kSurveillanceCamera : enemy_sheet::kGunCamera;
  DrawEnemyCell(e, sheet, -38, -50, sx, sy, 80, 80, 1);
}

void DrawDrone(const Enemy& e) { DrawEnemyCell(e, enemy_sheet::kDrone, -40, -40, 0, 0, 80, 80, e.facing); }

// A beam 600 pixels along the view angle; exact keeps the fractions of the offset.
int LookAlong(int index, float startX, float startY, bool exact, uint8_t quiet) {
  const Enemy& e = enemies[index];
  const float a = e.viewAngle * kPi / 180.0f;
  float dx = std::cos(a) * 600.0f, dy = std::sin(a) * 600.0f;
  if (!exact) {
    dx = static_cast<float>(static_cast<int>(dx));
    dy = static_cast<float>(static_cast<int>(dy));
  }
  return BeamTest(index, startX, startY, static_cast<float>(e.x) + dx, static_cast<float>(e.y) + dy, e.viewAngle, quiet);
}

// The camera's look this frame: a hit starts the cool-down and the sound or the shot.
void CameraLook(int index, bool exact) {
  Enemy& e = enemies[index];
  const bool armed = e.kind == 5 || e.kind == 6;
  if (LookAlong(index, static_cast<float>(e.x), static_cast<float>(e.y), exact, armed ? 1 : 0) == 1) {
    e.beamCooldown = 100;
    if (armed) {
      SpawnShot(22, e.x, e.y - 10, e.facing, 15.0f, 0.0f, 0);
    } else {
      PlaySoundHandle(game.sounds[kSoundSpotted], 1, 1);
    }
  }
}

void FixedCamera(int index) {
  Enemy& e = enemies[index];
  DrawCamera(e);
  if (e.stunTimer > 0) DrawJammingSparks(e, e.stunTimer);
  if (Paused()) return;
  if (e.stunTimer > 0) {
    --e.stunTimer;
    return;
  }
  AdvanceCycle(e, &e.cycleCount);
  e.subState = 0;
  if (e.beamCooldown > 0) --e.beamCooldown;
  if (MachineBeamOn(e.kind, e.cycleCount, e.param2)) CameraLook(index, true);
}

void RotatingCamera(int index) {
  Enemy& e = enemies[index];
  if (!Paused()) {
    if (e.stunTimer > 0) {
      --e.stunTimer;
    } else {
      AdvanceCycle(e, &e.timer2);
      e.subState = 0;
      if (e.beamCooldown == 0) {
        if (e.cycleCount == 0) {
          e.viewAngle -= 0.2f;
          if (e.viewAngle < 30) e.cycleCount = 1;
        } else {
          e.viewAngle += 0.2f;
          if (e.viewAngle >= 150) e.cycleCount = 0;
        }
      }
      if (e.beamCooldown > 0) --e.beamCooldown;
      if (MachineBeamOn(e.kind, e.timer2, e.param2)) CameraLook(index, false);
    }
  }
  DrawCamera(e);
  if (e.stunTimer > 0) DrawJammingSparks(e, e.stunTimer);
}

void Drone(int index) {
  Enemy& e = enemies[index];
  DrawDrone(e);
  if (e.stunTimer > 0) DrawJammingSparks(e, e.stunTimer);
  if (Paused()) return;
  if (e.stunTimer > 0) {
    --e.stunTimer;
    return;
  }
  const bool vertical = e.kind == 8 || e.kind == 10;
  const bool armed = e.kind == 9 || e.kind == 10;
  if (e.subState == 0) {
    int32_t& travelled = vertical ? e.speedY : e.speedX;
    if (travelled <= e.param1) {
      if (vertical) {
        e.y += e.droneParam == 2 ? -1 : 1;
      } else {
        e.x += e.facing == 1 ? -1 : 1;
      }
      ++travelled;
    } else {
      ++e.cycleCount;
      if (e.cycleCount > 100) {
        if (vertical) {
          e.droneParam = e.droneParam == 2 ? 3 : 2;
        } else {
          e.facing = e.facing == 1 ? 0 : 1;
          e.viewAngle = e.facing == 1 ? 150.0f : 30.0f;
        }
        travelled = 0;
        e.cycleCount = 0;
      }
    }
    if (LookAlong(index, static_cast<float>(e.x), static_cast<float>(e.y - 20), false, armed ? 1 : 0) == 1) {
      PlaySoundHandle(game.sounds[kSoundSpotted], 1, 1);
      e.subState = armed ? 2 : 1;
      e.modeTimer = 0;
    }
  } else if (e.subState == 1) {
    ++e.modeTimer;
    if (e.modeTimer > 100) {
      e.modeTimer = 0;
      e.subState = 0;
    }
  } else {
    if (e.modeTimer == 0) SpawnShot(22, e.x, e.y - 10, e.facing, 15.0f, 0.0f, 0);
    ++e.modeTimer;
    if (e.modeTimer > 100) {
      e.modeTimer = 0;
      e.subState = 0;
    }
  }
}

int TurretLook(int index, bool left) {
  const Enemy& e = enemies[index];
  if (left) {
    return BeamTest(index, static_cast<float>(e.x - 47), static_cast<float>(e.y - 3), static_cast<float>(e.x - 800),
                    static_cast<float>(e.y), e.viewAngle, 1);
  }
  return BeamTest(index, static_cast<float>(e.x + 47), static_cast<float>(e.y - 3), static_cast<float>(e.x + 800),
                  static_cast<float>(e.y), e.viewAngle, 1);
}

// Fires when the player is in line on the facing side, else goes back to watching.
void TurretReaim(int index) {
  Enemy& e = enemies[index];
  if (TurretLook(index, true) == 1 && e.facing == 1) {
    e.subState = 11;
  } else if (TurretLook(index, false) == 1 && e.facing == 0) {
    e.subState = 11;
  } else {
    e.subState = 0;
  }
  e.modeTimer = 0;
  e.timer = 0;
}

void Turret(int index) {
  Enemy& e = enemies[index];
  DrawEnemyCell(e, enemy_sheet::kTurret, -50, -20, 0, 0, 100, 40, e.facing);
  if (e.stunTimer > 0) DrawJammingSparks(e, e.stunTimer);
  if (Paused()) return;
  if (e.stunTimer > 0) {
    --e.stunTimer;
    return;
  }
  if (e.subState == 0) {
    ++e.modeTimer;
    if (e.modeTimer > e.param1) {
      e.modeTimer = 0;
      e.facing = e.facing == 1 ? 0 : 1;
      e.viewAngle = e.facing == 1 ? 180.0f : 0.0f;
    }
    if (TurretLook(index, e.facing == 1) == 1) {
      e.modeTimer = 0;
      e.timer = 0;
      e.subState = 10;
    }
  } else if (e.subState == 10) {
    if (e.modeTimer == 0) PlaySoundHandle(game.sounds[kSoundSpotted], 1, 1);
    ++e.modeTimer;
    DrawRectGraph(EnemyScreenX(e) - 40, EnemyScreenY(e) - 40, 327, 444, 69, 29, game.graphs[kBalloonSheet], 1, 0);
    if (e.modeTimer > 1) TurretReaim(index);
  } else if (e.subState == 11) {
    ++e.modeTimer;
    if (e.modeTimer == 1) {
      const int muzzleX = e.facing == 1 ? e.x - 50 : e.x + 50;
      SpawnEffect(0, e.facing, muzzleX, e.y, 0, 0);
      SpawnShot(26, muzzleX, e.y, e.facing, 0.0f, 0.0f, 0);
    }
    if (e.modeTimer > 50) TurretReaim(index);
  }
}

void LaserPointer(int index) {
  Enemy& e = enemies[index];
  if (!Paused()) {
    ++e.timer;
    if (e.timer > 55) e.timer = 0;
    AdvanceCycle(e, &e.cycleCount);
    e.subState = 0;
    if (e.beamCooldown > 0) --e.beamCooldown;
    if (MachineBeamOn(e.kind, e.cycleCount, e.param2) &&
        LookAlong(index, static_cast<float>(e.x), static_cast<float>(e.y - 15), true, 0) == 1) {
      e.beamCooldown = 100;
    }
  }
  const int t = e.timer;
  const int sx = t < 40 ? 0 : t < 45 ? 40 : t < 50 ? 0 : 40;
  const int sy = t < 45 ? 0 : 40;
  DrawEnemyCell(e, enemy_sheet::kLaserPointer, -20, -30, sx, sy, 40, 40, e.facing);
}

void DischargeTube(int index) {
  Enemy& e = enemies[index];
  DrawEnemyCell(e, enemy_sheet::kDischargeTube, -20, -20, 0, e.kind == 15 ? 0 : 120, 40, 40, e.facing);
  if (Paused()) return;
  ++e.modeTimer;
  if (e.modeTimer == e.param2) {
    SpawnShot(e.param1 == 0 ? 24 : 25, e.x - 20, e.y - 20, e.facing, static_cast<float>(e.kind),
              static_cast<float>(e.param2), 0);
  }
  if (e.modeTimer >= 2 * e.param2) e.modeTimer = 0;
}

void Wreck(int index) {
  Enemy& e = enemies[index];
  if (e.kind <= 6) {
    DrawCamera(e);
  } else {
    DrawDrone(e);
  }
  if (e.timer2 < 10) DrawJammingSparks(e, e.timer2);
  SetDrawBlendMode(0, 0);
  if (Paused()) return;
  ++e.timer2;
  if (e.timer2 > 100) e.timer2 = 10;
  if (e.timer2 % 10 == GetRandom(20)) SpawnEffect(6, 0, e.x - 10 + GetRandom(10), e.y, 0, 0);
}

}  // namespace

bool MachineBeamOn(int kind, int counter, int param2) {
  if (param2 == 0) return true;
  int wrap = 0, onAgain = 0;
  CycleLimits(kind, param2, &wrap, &onAgain);
  if (counter < param2 || counter > onAgain) return true;
  if (counter < param2 + 40) return counter % 10 == 3;
  return false;
}

void UpdateMachine(int index) {
  const Enemy& e = enemies[index];
  if (e.state == kEnemyDefeated) {
    if (e.kind >= 3 && e.kind <= 10) Wreck(index);
    return;
  }
  if (e.state != kEnemyActive) return;
  switch (e.kind) {
    case 3:
    case 5: FixedCamera(index); break;
    case 4:
    case 6: RotatingCamera(index); break;
    case 7:
    case 8:
    case 9:
    case 10: Drone(index); break;
    case 11: Turret(index); break;
    case 14: LaserPointer(index); break;
    case 15:
    case 16: DischargeTube(index); break;
    default: break;
  }
}
