#include "game/mission/shots.h"

#include <cmath>

#include "game/mission/effects.h"
#include "game/mission/enemies.h"
#include "game/mission/map_objects.h"
#include "game/mission/player_movement.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "runtime/api.h"

Shot shots[kShotSlots];
AimProbe aimProbe;

namespace {

namespace act = player_action;

constexpr int kBlendNone = 0, kBlendAlpha = 1, kBlendAdd = 2;
constexpr float kPi = 3.141592f;
constexpr float kHalfPi = 1.570796f;

// Shot kinds.
constexpr int kLaser = 8, kBlaze = 12, kSpark = 4, kPlasma = 5, kPulse = 6, kBarrier = 7, kGas = 9, kWire = 11;
constexpr int kRing = 10;
constexpr int kCase = 21, kAimedBullet = 22, kHeavyCase = 23, kDischargeSpark = 24, kDischargeColumn = 25;
constexpr int kEnemyBullet = 26, kNoise = 27, kNote = 28, kSmoke = 29, kSleepMark = 30, kExplosion = 31;
constexpr int kSpinner = 32, kRifleBullet = 33, kGasCloud = 36, kLabel = 37, kLabelLarge = 38;

// Map-object kinds the rounds treat specially.
constexpr int kGlass = 89, kSteel = 90, kCrate = 82, kWoodBlock = 92, kTarget = 20, kLadder = 65;

// Sound effects.
constexpr int kSoundClash = 3, kSoundElectric = 6, kSoundCaseBounce = 8, kSoundHurt = 15, kSoundExplosion = 20;
constexpr int kSoundSteel = 24, kSoundRation = 35, kSoundWireHit = 37;

// Graph slots of the mission set.
constexpr int kGraphCases = 0, kGraphSpark = 3, kGraphHooks = 4, kGraphPlasma = 5, kGraphExplosion = 9;
constexpr int kGraphBarrier = 16, kGraphLaser = 17, kGraphFire = 20, kGraphPulse = 23, kGraphBlaze = 24;
constexpr int kGraphNotes = 31, kGraphDischarge = 40;

constexpr int kNoiseRadius = 400;
constexpr int kWireReach = 400;
constexpr int kGoggles = 3, kRation = 1;
constexpr int kHard = 1;

int ScreenX(int x) { return x - game.scrollX; }
int ScreenY(int y) { return y + game.scrollY; }
int Graph(int slot) { return game.graphs[slot]; }

bool OffScreenX(const Shot& s, int low, int high) {
  const int x = ScreenX(s.x);
  return x < low || x > high;
}
bool OffScreen(const Shot& s, int lowX, int highX, int lowY, int highY) {
  const int x = ScreenX(s.x), y = ScreenY(s.y);
  return x < lowX || x > highX || y < lowY || y > highY;
}

// Moves a shot by its speeds, the horizontal one along the facing.
void MoveAlongFacing(Shot& s, int speedX, int speedY) {
  s.x += s.facing == 0 ? speedX : -speedX;
  s.y += speedY;
}

// The world box of a live map object other than a ladder, or false.
bool ObjectHit(const MapObject& o, int l, int r, int t, int b) {
  if (o.active != 1 || o.kind == kLadder) return false;
  return Overlaps(o.x + o.boxLeft, o.x + o.boxRight, o.y + o.boxTop, o.y + o.boxBottom, l, r, t, b);
}

// First solid live object overlapping the box, or -1.
int SolidObjectAt(int l, int r, int t, int b, int skipKindA = -1, int skipKindB = -1) {
  for (int i = 0; i < game.mapObjectCount; ++i) {
    const MapObject& o = pools.mapObjects[i];
    if (o.solid == 0 || o.kind == skipKindA || o.kind == skipKindB) continue;
    if (ObjectHit(o, l, r, t, b)) return i;
  }
  return -1;
}

void MakeNoiseAt(int x, int y) { SpawnShot(kNoise, x, y, 0, static_cast<float>(kNoiseRadius), 0.0f, 0); }

void BreakObject(MapObject& o, int debris) {
  o.active = 0;
  SpawnDebris(debris, o.x, o.y, 0, o.kind);
}

// A crate stops enemy bullets and breaks with a noise; anything else solid just stops them.
void StopOnSolid(Shot& s, int objectIndex) {
  MapObject& o = pools.mapObjects[objectIndex];
  PlaySoundEffect(kSoundClash);
  if (o.kind == kCrate) {
    BreakObject(o, 4);
    MakeNoiseAt(s.x, s.y);
  }
  s.active = 0;
}

bool PlayerTouchable() { return player.action < act::kDoorExit && player.invulnTimer == 0 && player.inHideSpot == 0; }

// The bullet kinds' 5 × 5 box against the player's body, in screen coordinates.
bool HitsPlayer(const Shot& s) {
  if (!PlayerTouchable()) return false;
  const int x = ScreenX(s.x), y = ScreenY(s.y);
  const Player& p = player;
  if (p.crouching != 0) return Overlaps(x, x + 5, y, y + 5, p.x - 10, p.x + 10, p.y - 10, p.y + 40);
  return Overlaps(x, x + 5, y, y + 5, p.x - 20, p.x + 20, p.y - 20, p.y + 40);
}

bool EnemyBoxHit(const Enemy& e, int l, int r, int t, int b) {
  EnemyHitBox box;
  if (!GetEnemyHitBox(e.kind, &box)) return false;
  return Overlaps(e.x + box.left, e.x + box.right, e.y + box.top, e.y + box.bottom, l, r, t, b);
}

void SetEnemyState(Enemy& e, int state) {
  e.state = static_cast<int16_t>(state);
  e.timer = 0;
}

// ---- Player rounds 0..3, 8, 10, 12 ----

// Returns true when the round ends on this object.
bool RoundMeetsObject(Shot& s, MapObject& o) {
  const int k = s.kind;
  const bool laser = k == kLaser;
  if (o.solid != 0) {
    if (o.kind == kGlass && (k == 2 || k == 3 || k == kLaser || k == kRing)) {
      BreakObject(o, 2);
      PlaySoundEffect(kSoundClash);
      return !laser;
    }
    if (o.kind == kSteel && (k == 3 || k == kLaser)) {
      BreakObject(o, 3);
      PlaySoundEffect(kSoundSteel);
      return !laser;
    }
    if (o.kind == kCrate) {
      BreakObject(o, 4);
      MakeNoiseAt(s.x, s.y);
      return !laser;
    }
    if ((o.kind == kGlass || o.kind == kWoodBlock) && k == 3) {
      BreakObject(o, 5);
      PlaySoundEffect(kSoundSteel);
      return true;
    }
    if ((o.kind == kGlass || o.kind == kWoodBlock) && k == kBlaze) {
      o.active = 2;
      PlaySoundEffect(kSoundClash);
      return true;
    }
    SpawnEffect(0, s.facing, s.x, s.y, 0, 0);
    if (k == kBlaze) {
      for (int i = 0; i < 10; ++i) SpawnEffect(14, 0, s.x, s.y, GetRandom(6) - 3, GetRandom(6) + 1);
    }
    PlaySoundEffect(kSoundClash);
    return true;
  }
  if (o.kind != kTarget) return false;
  if (k == 0 || k == 1) {
    PlaySoundEffect(kSoundClash);
    return true;
  }
  o.active = 2;
  SpawnEffect(0, s.facing, s.x, s.y, 0, 0);
  return !laser;
}

// Returns true when the round ends on this enemy.
bool RoundMeetsEnemy(Shot& s, Enemy& e) {
  const int k = s.kind;
  if ((k == 2 || k == 3 || k == kLaser) && e.kind == 12 && e.subState <= 2) {
    SetEnemyState(e, 2);
    return false;
  }
  switch (k) {
    case 0:
      if (e.kind != 1) return false;
      SetEnemyState(e, 5);
      return true;
    case 1:
      if (e.kind != 1 && e.kind != 2) return false;
      SetEnemyState(e, 5);
      return true;
    case kRing:
      if (e.kind != 1 && e.kind != 2) return false;
      SetEnemyState(e, 4);
      PlaySoundEffect(kSoundExplosion);
      return true;
    case 3:
    case kLaser:
      if (e.kind == 13 || e.kind == 17 || e.kind == 18 || (k == kLaser && e.kind >= 17)) SetEnemyState(e, 2);
      return false;
    default:
      return false;
  }
}

void DrawRotatedRound(const Shot& s, int graph) {
  const int x = ScreenX(s.x), y = ScreenY(s.y);
  DrawGraphRotated(x, y, 1.0, s.angle, Graph(graph), 1, 0);
  SetDrawBlendMode(kBlendAdd, 128);
  for (int i = 0; i < 4; ++i) DrawGraphRotated(x, y, 1.0, s.angle, Graph(graph), 1, 0);
  SetDrawBlendMode(kBlendNone, 0);
}

void UpdateRound(Shot& s) {
  if (s.kind == kLaser) DrawRotatedRound(s, kGraphLaser);
  if (s.kind == kBlaze) DrawRotatedRound(s, kGraphBlaze);
  if (game.paused != 0) return;
  if (s.frames == 0) {
    SpawnEffect(0, s.facing, s.x, s.y, 0, 0);
    if (s.kind != kLaser) {
      if (s.facing == 0) {
        SpawnShot(kCase, s.x - 9, s.y - 17, 1, 0.0f, 0.0f, s.owner);
      } else {
        SpawnShot(kCase, s.x - 2, s.y - 17, 0, 0.0f, 0.0f, s.owner);
      }
    }
  }
  ++s.frames;
  MoveAlongFacing(s, s.speedX, s.speedY);
  if (s.kind == kBlaze && s.frames % 6 % 2 == 0) SpawnEffect(13, s.facing == 0 ? 0 : 1, s.x, s.y, 0, 0);
  if (OffScreenX(s, -50, 850)) {
    s.active = 0;
    return;
  }
  for (int i = 0; i < game.mapObjectCount && s.active != 0; ++i) {
    MapObject& o = pools.mapObjects[i];
    if (!ObjectHit(o, s.x - 5, s.x + 5, s.y - 3, s.y + 3)) continue;
    if (RoundMeetsObject(s, o)) s.active = 0;
  }
  if (s.active == 0) return;
  if (HitsPlayer(s)) {
    s.active = 0;
    DamagePlayer(20, act::kFlinch);
    SpawnEffect(0, s.facing, s.x, s.y, 0, 0);
    return;
  }
  for (Enemy& e : enemies) {
    if (e.state != 1 || e.life < 0) continue;
    if (!EnemyBoxHit(e, s.x, s.x + 10, s.y, s.y + 6)) continue;
    if (RoundMeetsEnemy(s, e)) {
      s.active = 0;
      return;
    }
  }
}

// ---- Spark, plasma and pulse rounds ----

void Stun(Enemy& e, int frames) {
  e.stunTimer = static_cast<uint16_t>(frames);
  e.cycleCount = e.subState;
}

void EnergyMeetsEnemy(const Shot& s, Enemy& e) {
  const bool jammable = e.kind == 3 || e.kind == 4 || e.kind == 7 || e.kind == 8;
  if (s.kind == kSpark && jammable) Stun(e, 200);
  if (s.kind == kPlasma) Stun(e, jammable ? 400 : 250);
  if (e.kind == 12 && e.subState == 0) {
    e.facing = player.x < ScreenX(e.x) ? 0 : 1;
    e.subState = 1;
  }
}

void UpdateEnergyRound(Shot& s) {
  const int x = ScreenX(s.x), y = ScreenY(s.y);
  if (s.kind == kPulse) {
    DrawRectGraph(x - 20, y - 20, 0, 0, 80, 80, Graph(kGraphPulse), 1, 0);
  } else {
    DrawRectGraph(x - 40, y - 40, 0, 0, 80, 80, Graph(s.kind == kSpark ? kGraphSpark : kGraphPlasma), 1, 0);
  }
  if (game.paused != 0) return;
  if (s.frames == 0) {
    SpawnEffect(1, s.facing, s.x, s.y, 0, 0);
    SpawnShot(kHeavyCase, s.x - 9, s.y - 17, s.facing == 0 ? 1 : 0, 0.0f, 0.0f, s.owner);
  }
  ++s.frames;
  MoveAlongFacing(s, s.speedX, s.speedY);
  if (OffScreenX(s, -50, 850)) {
    s.active = 0;
    return;
  }
  const int hit = SolidObjectAt(s.x - 10, s.x + 10, s.y - 10, s.y + 10);
  if (hit >= 0) {
    MapObject& o = pools.mapObjects[hit];
    if (o.kind == kCrate) {
      BreakObject(o, 4);
      MakeNoiseAt(s.x, s.y);
    }
    SpawnEffect(3, 0, s.x, s.y, s.kind, 0);
    s.active = 0;
    return;
  }
  if (s.kind == kPulse) {
    for (MapObject& d : pools.decorObjects) {
      if (d.active != 1) continue;
      if (!Overlaps(d.x + 10, d.x + 30, d.y + 10, d.y + 40, s.x - 10, s.x + 10, s.y - 10, s.y + 10)) continue;
      d.active = 2;
      s.active = 0;
      return;
    }
    return;
  }
  for (Enemy& e : enemies) {
    if (e.state != 1 || e.life > 0) continue;
    if (!EnemyBoxHit(e, s.x - 10, s.x + 10, s.y - 10, s.y + 10)) continue;
    EnergyMeetsEnemy(s, e);
    SpawnEffect(3, 0, s.x, s.y, s.kind, 0);
    s.active = 0;
    return;
  }
}

// ---- Barrier, gas and the wire ----

void UpdateBarrier(Shot& s) {
  const int cell = (s.value1 / 3) % 6;
  for (int i = 0; i < 3; ++i) {
    DrawRectGraph(ScreenX(s.x) - 20, ScreenY(s.y) - 50, 40 * ((cell + i * 2) % 6), 0, 40, 100, Graph(kGraphBarrier), 1, 0);
  }
  if (game.paused != 0) return;
  ++s.value1;
  if (s.value1 <= 50 && s.value1 % 2 == 0) {
    if (s.owner == 1) {
      s.y += 1;
    } else {
      s.x += s.facing == 0 ? 1 : -1;
    }
  }
  if (s.value1 >= 200) s.active = 0;
}

bool MeetsBarrier(const Shot& bullet) {
  for (const Shot& b : shots) {
    if (b.active == 0 || b.kind != kBarrier) continue;
    if (Overlaps(b.x - 15, b.x + 5, b.y - 35, b.y + 35, bullet.x, bullet.x + 5, bullet.y, bullet.y + 5)) return true;
  }
  return false;
}

void UpdateGas(Shot& s) {
  DrawRectGraph(ScreenX(s.x) - 8, ScreenY(s.y) - 8, 16, 0, 16, 16, Graph(kGraphCases), 1, 0);
  if (game.paused != 0) return;
  ++s.fall;
  MoveAlongFacing(s, s.speedX, s.speedY + s.fall);
  if (OffScreen(s, -400, 1200, -400, 1000)) {
    s.active = 0;
    return;
  }
  const int hit = SolidObjectAt(s.x - 5, s.x + 5, s.y - 5, s.y + 5);
  if (hit < 0) return;
  MapObject& o = pools.mapObjects[hit];
  if (o.kind == kCrate) {
    BreakObject(o, 4);
    MakeNoiseAt(s.x, s.y);
    PlaySoundEffect(kSoundClash);
  }
  SpawnShot(kGasCloud, s.x - 9, s.y - 17, s.facing, 0.0f, 0.0f, 0);
  s.active = 0;
}

void UpdateWire(Shot& s) {
  const int hookX = ScreenX(s.x), hookY = ScreenY(s.y);
  const int handY = player.y - 40;
  DrawBox(hookX - 2, hookY, hookX + 3, handY, GetColor(160, 160, 170), 1);
  DrawRectGraph(hookX - 8, hookY - 8, player.wirePhase == 2 ? 16 : 0, 0, 16, 16, Graph(kGraphHooks), 1, 0);
  if (game.paused != 0) return;
  if (player.wirePhase == 2) return;
  if (s.counter2 == 0) {
    s.y -= 20;
    s.value2 += 20;
    const int hit = SolidObjectAt(s.x - 10, s.x + 10, s.y - 10, s.y + 10, 61, 62);
    if (hit >= 0 && s.value2 < kWireReach) {
      PlaySoundEffect(kSoundWireHit);
      player.wirePhase = 2;
      player.wireAnchor = hit;
      return;
    }
    if (s.value2 >= kWireReach) s.counter2 = 1;
    return;
  }
  s.y += 30;
  if (s.y >= s.startY - 20) {
    s.active = 0;
    player.action = act::kFree;
    player.wirePhase = 0;
  }
}

// ---- Cartridge cases ----

void UpdateCase(Shot& s) {
  const int cell = (s.rotation / 45) % 8 + (s.kind == kHeavyCase ? 8 : 0);
  SetDrawBlendMode(kBlendAlpha, s.alpha);
  DrawRectGraph(ScreenX(s.x) - 8, ScreenY(s.y) - 8, 16 * cell, 16, 16, 16, Graph(kGraphCases), 1, 0);
  SetDrawBlendMode(kBlendNone, 0);
  if (game.paused != 0) return;
  if (s.frames == 0) {
    s.counter1 = static_cast<uint16_t>(GetRandom(4));
    s.value1 = GetRandom(2) + 1;
    s.lift = GetRandom(3) + 3;
  }
  ++s.frames;
  ++s.age;
  if (s.value1 > 0) s.rotation = static_cast<uint16_t>((s.rotation + s.counter1) % 360);
  if (s.frames % 2 == 0) ++s.fall;
  if (s.owner != 1) s.x += s.facing == 0 ? s.value1 : -s.value1;
  s.y += s.fall - s.lift;
  const int hit = SolidObjectAt(s.x - 2, s.x + 2, s.y - 2, s.y + 2);
  if (hit >= 0 && s.fall - s.lift >= 0) {
    const MapObject& o = pools.mapObjects[hit];
    ++s.counter2;
    s.lift = GetRandom(2) + 3 - s.counter2;
    if (s.lift >= 0) {
      PlaySoundEffect(kSoundCaseBounce);
      s.counter1 = static_cast<uint16_t>(GetRandom(4));
      s.value1 = GetRandom(2) + 1 - s.counter2;
      if (s.value1 < 0) s.value1 = 0;
      s.facing = GetRandom(1);
    } else {
      s.lift = 0;
      s.value1 = 0;
      s.y = o.y + o.boxTop - 3;
    }
    s.fall = 0;
  }
  if (s.age > 100) {
    s.alpha -= 10;
    if (s.alpha < 10) s.active = 0;
  }
}

// ---- Enemy bullets ----

void DrawBullet(const Shot& s) { DrawBox(ScreenX(s.x), ScreenY(s.y), ScreenX(s.x) + 5, ScreenY(s.y) + 5, GetColor(255, 230, 120), 1); }

void UpdateAimedBullet(Shot& s) {
  DrawBullet(s);
  if (game.paused != 0) return;
  if (s.started == 0) {
    s.started = 1;
    const double dx = player.x - ScreenX(s.x);
    const double dy = player.y + 20 - ScreenY(s.y);
    const double toHead = player.y - ScreenY(s.y);
    const double length = std::sqrt(dx * dx + toHead * toHead);
    // A bullet fired from the player's own position has no direction to the player: it
    // keeps the shooter's facing.
    if (length < 1.0) {
      s.value1 = s.facing == 0 ? 20 : -20;
      s.value2 = 0;
    } else {
      s.value1 = static_cast<int32_t>(dx * 20.0 / length);
      s.value2 = static_cast<int32_t>(dy * 20.0 / length);
    }
  }
  ++s.frames;
  s.x += s.value1;
  s.y += s.value2;
  if (OffScreen(s, -60, 859, -60, 659)) {
    s.active = 0;
    return;
  }
  if (MeetsBarrier(s)) {
    s.active = 0;
    return;
  }
  const int hit = SolidObjectAt(s.x, s.x + 5, s.y, s.y + 5);
  if (hit >= 0) {
    StopOnSolid(s, hit);
    return;
  }
  if (HitsPlayer(s)) {
    s.active = 0;
    DamagePlayer(s.speedX, act::kFlinch);
  }
}

void UpdateStraightBullet(Shot& s) {
  DrawBullet(s);
  if (game.paused != 0) return;
  if (s.frames == 0 && s.kind == kRifleBullet) SpawnEffect(0, s.facing, s.x, s.y, 0, 0);
  ++s.frames;
  if (s.kind == kEnemyBullet) {
    MoveAlongFacing(s, 15, 0);
  } else {
    MoveAlongFacing(s, s.speedX, s.speedY);
  }
  if (OffScreen(s, -60, 859, -60, 659)) {
    s.active = 0;
    return;
  }
  const int hit = SolidObjectAt(s.x, s.x + 5, s.y, s.y + 5);
  if (hit >= 0) {
    MapObject& o = pools.mapObjects[hit];
    if (s.kind == kRifleBullet && o.kind == kGlass) {
      BreakObject(o, 2);
      PlaySoundEffect(kSoundClash);
      s.active = 0;
      return;
    }
    // The turret's shot breaks nothing.
    if (s.kind == kEnemyBullet) {
      PlaySoundEffect(kSoundClash);
      s.active = 0;
      return;
    }
    StopOnSolid(s, hit);
    return;
  }
  if (HitsPlayer(s)) {
    s.active = 0;
    if (s.kind == kEnemyBullet) {
      DamagePlayer(15, act::kFlinch);
      SpawnEffect(0, s.facing, s.x, s.y, 0, 0);
    } else {
      DamagePlayer(20, act::kFlinch);
    }
  }
}

void UpdateSpinner(Shot& s) {
  DrawRectGraph(ScreenX(s.x) - 20, ScreenY(s.y) - 20, 40 * ((s.rotation / 90) % 4), 0, 40, 40, Graph(kGraphFire), 1, 0);
  if (game.paused != 0) return;
  ++s.frames;
  s.rotation = static_cast<uint16_t>((s.rotation + 10) % 360);
  MoveAlongFacing(s, s.speedX, s.speedY);
  if (s.frames >= 1500 || OffScreen(s, -60, 859, -60, 659)) {
    s.active = 0;
    return;
  }
  if (HitsPlayer(s)) {
    s.active = 0;
    DamagePlayer(20, act::kFlinch);
  }
}

// ---- Discharges of the tubes ----

void UpdateDischarge(Shot& s) {
  const bool up = s.speedX == 15;
  const int x = ScreenX(s.x), y = ScreenY(s.y);
  const int frame = (s.frames / 12) % 4;
  // The tube spawns its discharge at the top-left corner of its own cell.
  int left = x, right = x + 40, top = y, bottom = y + 40;
  if (s.kind == kDischargeSpark) {
    DrawRectGraph(x, y, 40 * frame, 216, 40, 40, Graph(kGraphDischarge), 1, up ? 0 : 1);
  } else {
    top = up ? y - 90 : y + 10;
    bottom = top + 120;
    DrawRectGraph(x, top, 160 + 40 * frame, 216, 40, 120, Graph(kGraphDischarge), 1, 0);
  }
  if (game.paused != 0) return;
  ++s.frames;
  const int life = s.speedY > 0 ? s.speedY : 60;
  if (s.frames >= life) {
    s.active = 0;
    return;
  }
  const Player& p = player;
  // The invulnerable frames after a hit keep one discharge from draining the player.
  if (p.action >= act::kDoorExit || p.action == act::kKnockedBack || p.invulnTimer != 0) return;
  if (Overlaps(left, right, top, bottom, p.x - 20, p.x + 20, p.y - 20, p.y + 40)) {
    DamagePlayer(20, act::kKnockedBack);
    PlaySoundEffect(kSoundElectric);
  }
}

// ---- Noise, notes, smoke, sleep marks ----

int CurrentIdleBehaviour(const Enemy& e) {
  if (e.mode == 0) return e.initialBehaviour;
  if (e.mode == 1) return e.normalBehaviour;
  return -1;
}

void UpdateNoise(Shot& s) {
  if (player.selectedGadget == kGoggles) DrawCircle(ScreenX(s.x), ScreenY(s.y), s.speedX, GetColor(255, 0, 0), 0);
  if (game.paused != 0) return;
  if (s.frames == 0) {
    constexpr int kMusicBehaviour = 6;
    const int64_t reach = static_cast<int64_t>(s.speedX) + 30;
    for (Enemy& e : enemies) {
      if ((e.kind != 1 && e.kind != 2) || e.life == -1 || e.state != 1) continue;
      const int64_t dx = e.x - s.x, dy = e.y - s.y;
      if (dx * dx + dy * dy > reach * reach) continue;
      if (CurrentIdleBehaviour(e) == kMusicBehaviour) continue;
      e.pendingFacing = s.x > e.x ? 0 : 1;
      e.pendingTurnTimer = 0;
    }
  }
  if (++s.frames >= 2) s.active = 0;
}

void UpdateNote(Shot& s) {
  if (s.frames == 0 && game.paused == 0) {
    s.rotation = 90;
    s.counter1 = static_cast<uint16_t>(50 + GetRandom(200));
    s.counter2 = static_cast<uint16_t>(50 + GetRandom(200));
    s.subCounter = static_cast<uint16_t>(50 + GetRandom(200));
  }
  SetDrawBright(s.counter1, s.counter2, s.subCounter);
  SetDrawBlendMode(kBlendAdd, s.alpha);
  for (int i = 0; i < 2; ++i) DrawRectGraph(ScreenX(s.x), ScreenY(s.y), 20 * s.speedX, 864, 20, 20, Graph(kGraphNotes), 1, 0);
  SetDrawBlendMode(kBlendNone, 0);
  SetDrawBright(255, 255, 255);
  if (game.paused != 0) return;
  ++s.frames;
  s.rotation = static_cast<uint16_t>((s.rotation + 10) % 360);
  s.x += static_cast<int32_t>(std::sin(s.rotation * kPi / 180.0f) * static_cast<float>(s.speedY));
  s.y -= 1;
  s.alpha -= 3;
  if (s.alpha < 10) s.active = 0;
}

void UpdateSmoke(Shot& s) {
  SetDrawBlendMode(kBlendAdd, s.alpha);
  DrawRectGraph(ScreenX(s.x), ScreenY(s.y), 32 * s.speedX, 884, 32, 32, Graph(kGraphNotes), 1, s.facing == 1 ? 1 : 0);
  SetDrawBlendMode(kBlendNone, 0);
  if (game.paused != 0) return;
  ++s.frames;
  if (s.frames % 2 == 0) {
    if (s.speedX > 1) {
      s.x += s.facing == 0 ? 1 : -1;
    } else {
      s.y -= 1;
    }
  }
  s.alpha -= 5;
  if (s.alpha < 10) s.active = 0;
}

void UpdateSleepMark(Shot& s) {
  SetDrawBlendMode(kBlendAdd, s.alpha);
  DrawFormatString(ScreenX(s.x), ScreenY(s.y), GetColor(255, 255, 255), "Zz..");
  SetDrawBlendMode(kBlendNone, 0);
  if (game.paused != 0) return;
  ++s.frames;
  if (s.frames % 2 == 0) s.y -= 1;
  s.alpha -= 3;
  if (s.alpha < 5) s.active = 0;
}

// ---- Explosion, gas cloud and labels ----

void UpdateExplosion(Shot& s) {
  const int frame = s.frames / 2 < 15 ? s.frames / 2 : 14;
  const int sx = 64 * (frame % 8), sy = frame < 8 ? 0 : 63;
  SetDrawBlendMode(kBlendAdd, 255);
  DrawRectGraph(ScreenX(s.x) - 32, ScreenY(s.y) - 32, sx, sy, 64, 63, Graph(kGraphExplosion), 1, 0);
  for (int i = 0; i < 3; ++i) {
    DrawRectGraph(ScreenX(s.x) - 32 + s.counter2 % 41 - 20 + i * 7 % 20, ScreenY(s.y) - 32 + (s.rotation + i * 13) % 41 - 20, sx, sy,
                  64, 63, Graph(kGraphExplosion), 1, 0);
  }
  SetDrawBlendMode(kBlendNone, 0);
  if (game.paused != 0) return;
  s.counter2 = static_cast<uint16_t>(GetRandom(40));
  s.rotation = static_cast<uint16_t>(GetRandom(40));
  if (s.frames == 0) {
    for (int i = 0; i < game.mapObjectCount; ++i) {
      MapObject& o = pools.mapObjects[i];
      if (o.kind != kGlass && o.kind != kSteel && o.kind != kCrate && o.kind != kWoodBlock) continue;
      if (!ObjectHit(o, s.x - 40, s.x + 40, s.y - 40, s.y + 40)) continue;
      BreakObject(o, o.kind == kGlass ? 2 : o.kind == kSteel ? 3 : o.kind == kCrate ? 4 : 5);
    }
  }
  ++s.frames;
  const Player& p = player;
  const int x = ScreenX(s.x), y = ScreenY(s.y);
  if (s.counter1 == 0 && PlayerTouchable() && Overlaps(x - 40, x + 40, y - 40, y + 40, p.x - 20, p.x + 20, p.y - 20, p.y + 40)) {
    s.counter1 = 1;
    DamagePlayer(35, act::kFlinch);
  }
  if (s.frames >= 30) s.active = 0;
}

void UpdateGasCloud(Shot& s) {
  if (game.paused != 0) return;
  if (s.frames == 0) {
    SpawnEffect(11, 0, s.x + 60, s.y + 70, 0, 0);
    for (int i = 0; i < 8; ++i) SpawnEffect(11, 0, s.x + 35 + GetRandom(50), s.y + 45 + GetRandom(50), 0, 0);
  }
  if (++s.frames >= 200) s.active = 0;
}

void UpdateLabel(Shot& s) {
  SetDrawBlendMode(kBlendAdd, 255 - s.frames);
  if (s.kind == kLabel) {
    DrawRectGraph(ScreenX(s.x), ScreenY(s.y), 0, 330, 87, 30, Graph(graph_slot::kItemSheet), 1, 0);
  } else {
    DrawRectGraph(ScreenX(s.x), ScreenY(s.y), 100, 330, 65, 42, Graph(graph_slot::kItemSheet), 1, 0);
  }
  SetDrawBlendMode(kBlendNone, 0);
  if (game.paused != 0) return;
  s.y -= 1;
  s.frames = static_cast<uint16_t>(s.frames + 2);
  if (s.frames >= 254) s.active = 0;
}

void UpdateShot(Shot& s) {
  switch (s.kind) {
    case 0: case 1: case 2: case 3: case kLaser: case kRing: case kBlaze: UpdateRound(s); break;
    case kSpark: case kPlasma: case kPulse: UpdateEnergyRound(s); break;
    case kBarrier: UpdateBarrier(s); break;
    case kGas: UpdateGas(s); break;
    case kWire: UpdateWire(s); break;
    case kCase: case kHeavyCase: UpdateCase(s); break;
    case kAimedBullet: UpdateAimedBullet(s); break;
    case kDischargeSpark: case kDischargeColumn: UpdateDischarge(s); break;
    case kEnemyBullet: case kRifleBullet: UpdateStraightBullet(s); break;
    case kNoise: UpdateNoise(s); break;
    case kNote: UpdateNote(s); break;
    case kSmoke: UpdateSmoke(s); break;
    case kSleepMark: UpdateSleepMark(s); break;
    case kExplosion: UpdateExplosion(s); break;
    case kSpinner: UpdateSpinner(s); break;
    case kGasCloud: UpdateGasCloud(s); break;
    case kLabel: case kLabelLarge: UpdateLabel(s); break;
    default: break;
  }
}

}  // namespace

void ResetShots() {
  for (Shot& s : shots) s = Shot{};
  aimProbe = AimProbe{};
}

void SpawnShot(int kind, int x, int y, int facing, float speedX, float speedY, uint8_t owner) {
  for (Shot& s : shots) {
    if (s.active != 0) continue;
    s = Shot{};
    s.kind = kind;
    s.x = s.startX = x;
    s.y = s.startY = y;
    s.active = 1;
    s.facing = facing;
    s.alpha = 255;
    s.speedX = static_cast<int32_t>(speedX);
    s.speedY = static_cast<int32_t>(speedY);
    s.owner = owner;
    if (player.straddling != 0) {
      s.angle = kHalfPi;
    } else {
      const double a = player.aimAngle * kPi / 180.0f;
      s.angle = player.facing == 1 ? -a : a;
    }
    return;
  }
}

void RemoveShotsOfKind(int kind) {
  for (Shot& s : shots) {
    if (s.active != 0 && s.kind == kind) s.active = 0;
  }
}

void UpdateShots() {
  for (Shot& s : shots) {
    if (s.active != 0) UpdateShot(s);
  }
}

int TryAutoRevive() {
  Player& p = player;
  if (p.life > 0 || p.selectedGadget != kRation) return 0;
  const int16_t stock = static_cast<int16_t>(p.gadgets[kRation]);
  if (stock < 1) return 0;
  p.life = 50;
  --p.gadgets[kRation];
  PlaySoundEffect(kSoundRation);
  return 1;
}

void DamagePlayer(int damage, int newAction) {
  Player& p = player;
  if (game.difficulty == kHard) damage = static_cast<int>(damage * 1.3);
  p.actionTimer = 0;
  p.fireCounter = 0;
  p.life -= damage;
  p.climbing = p.hanging = p.straddling = p.crawling = 0;
  p.wirePhase = 0;
  RemoveShotsOfKind(kWire);
  if (game.gameMode == kModeVr) ++game.vrHitsTaken;
  if (newAction != act::kKnockedBack) {
    PlaySoundEffect(kSoundHurt);
    if (p.life > 0 || TryAutoRevive() != 0) {
      p.invulnTimer = 1;
      p.action = newAction;
    } else {
      p.life = 0;
      p.action = act::kDown;
    }
    p.actionTimer = 0;
    return;
  }
  if (p.life > 0 || TryAutoRevive() != 0) {
    p.invulnTimer = 1;
  } else {
    p.life = 0;
  }
  p.action = act::kKnockedBack;
}
