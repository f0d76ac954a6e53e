// Firing the selected weapon, the round leaving the hand, the laser sight's aim probe and
// the loadout given at a mission start.
#include <cmath>

#include "game/mission/map_objects.h"
#include "game/mission/player_movement.h"
#include "game/mission/shots.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "runtime/api.h"

namespace {

namespace act = player_action;

constexpr float kPi = 3.141592f;
constexpr float kHalfPi = 1.570796f;
constexpr float kRoundSpeed = 20.0f;

constexpr int kWireWeapon = 11, kBarrierWeapon = 7;
constexpr int kWireLaunchFrame = 12;
constexpr int kGadgetSuppressor = 4, kGadgetEndlessRounds = 9;
constexpr int kSoundSuppressed = 4, kSoundWire = 36;
constexpr int kNoiseShot = 27;
constexpr float kShotNoiseRadius = 400.0f;
constexpr int kProbeKind = 2;
constexpr int kLadderKind = 65;
// A trace longer than this has left every stage.
constexpr int kMaxTraceSteps = 2000;

// weaponBusy: 1 between the trigger and the round leaving the hand, 2 after it left.
constexpr uint16_t kRoundPending = 1, kRoundLaunched = 2;

constexpr int kFireSound[13] = {32, 32, 0, 23, 10, 10, 33, 10, 26, 23, 32, 36, 23};

// Hand offsets by aim band: facing right (dx, dy), facing left (dx, dy).
struct BandOffsets {
  int rightX, rightY, leftX, leftY;
};
constexpr BandOffsets kHandSet1[7] = {{35, -20, -35, -20}, {30, -32, -30, -32}, {20, -43, -21, -43}, {8, -49, -8, -49},
                                      {34, -3, -35, -3},   {28, 8, -30, 8},     {19, 19, -21, 19}};
constexpr BandOffsets kHandSet2[7] = {{30, -14, -30, -14}, {30, -27, -30, -27}, {20, -36, -20, -36}, {10, -47, -10, -47},
                                      {30, 0, -30, 0},     {25, 13, -27, 13},   {17, 24, -20, 24}};

int AimBand(int angle) {
  if (angle >= -14 && angle <= 14) return 0;
  if (angle >= 15 && angle <= 29) return 1;
  if (angle >= 30 && angle <= 44) return 2;
  if (angle >= 45) return 3;
  if (angle >= -29) return 4;
  if (angle >= -44) return 5;
  return 6;
}

bool Owns(uint16_t count) { return count != kNotOwned; }
bool HasRounds(uint16_t count) { return static_cast<int16_t>(count) > 0; }

// Mission start loadouts: (weapon, rounds) pairs and the radar.
struct Loadout {
  int mission;
  int weapons[3][2];
  int radar;
};
constexpr Loadout kLoadouts[] = {
    {1, {{2, 1}, {12, 1}, {-1, 0}}, 0},  {2, {{0, 1}, {-1, 0}, {-1, 0}}, 0},  {7, {{0, 1}, {-1, 0}, {-1, 0}}, 0},
    {3, {{12, 1}, {-1, 0}, {-1, 0}}, 0}, {5, {{12, 1}, {-1, 0}, {-1, 0}}, 0}, {20, {{12, 1}, {-1, 0}, {-1, 0}}, 0},
    {4, {{0, 2}, {-1, 0}, {-1, 0}}, 0},  {10, {{0, 1}, {-1, 0}, {-1, 0}}, 1}, {11, {{-1, 0}, {-1, 0}, {-1, 0}}, 1},
    {19, {{12, 2}, {-1, 0}, {-1, 0}}, 0}, {21, {{2, 1}, {-1, 0}, {-1, 0}}, 1},
    {24, {{3, 1}, {9, 1}, {12, 1}}, 0},
};

// The settings bytes that unlock the bonus gadgets, per character, in the order
// invisibility (6), endless rounds (9), light reversal (7).
constexpr int kUnlockBytes[3][3] = {{27, 28, 29}, {31, 32, 33}, {36, 37, 38}};
constexpr int kUnlockGadgets[3] = {6, 9, 7};
constexpr int kMissionCounterRule = 7;
constexpr int kPerMissionFirst = 61, kPerMissionLast = 66;

}  // namespace

int HandSetOfWeapon(int weapon) {
  if (weapon == kWireWeapon) return 0;
  if (weapon == kBarrierWeapon) return 3;
  if (weapon >= 4 && weapon <= 6) return 2;
  return 1;
}

HandOffset HandPosition(int handSet, int aimAngle, int facing) {
  if (handSet == 3) return facing == 1 ? HandOffset{-30, -14} : HandOffset{30, -14};
  const BandOffsets& b = (handSet == 2 ? kHandSet2 : kHandSet1)[AimBand(aimAngle)];
  return facing == 1 ? HandOffset{b.leftX, b.leftY} : HandOffset{b.rightX, b.rightY};
}

void FireSelectedWeapon() {
  Player& p = player;
  p.action = act::kFree;
  const int weapon = p.selectedWeapon;
  if (weapon < 0 || weapon > 12 || !HasRounds(p.weapons[weapon])) return;
  if (weapon == kWireWeapon) {
    p.action = act::kOnWire;
    p.wirePhase = 1;
    p.wireClimb = 0;
    p.wireStartY = p.y;
    p.fireCounter = 0;
    PlaySoundEffect(kSoundWire);
    return;
  }
  ++p.fireCounter;
  p.weaponBusy = kRoundPending;
  PlaySoundEffect(p.selectedGadget == kGadgetSuppressor ? kSoundSuppressed : kFireSound[weapon]);
  if (p.selectedGadget != kGadgetEndlessRounds) --p.weapons[weapon];
}

void LaunchPendingShot() {
  Player& p = player;
  const int wx = p.x + game.scrollX, wy = p.y - game.scrollY;
  if (p.wirePhase == 1 && p.selectedWeapon == kWireWeapon) {
    if (p.fireCounter == kWireLaunchFrame && p.straddling == 0) {
      SpawnShot(kWireWeapon, wx + (p.facing == 1 ? -4 : 4), wy - 40, p.facing, 0.0f, 0.0f, 0);
    }
    return;
  }
  if (p.fireCounter != 1 || p.weaponBusy != kRoundPending) return;
  p.weaponBusy = kRoundLaunched;
  const int weapon = p.selectedWeapon;
  const int handSet = HandSetOfWeapon(weapon);
  if (p.straddling != 0) {
    const int dx = weapon == kBarrierWeapon ? 5 : 0, dy = weapon == kBarrierWeapon ? 28 : 30;
    SpawnShot(weapon, wx + dx, wy + dy, p.facing, std::cos(kHalfPi) * kRoundSpeed, std::sin(kHalfPi) * kRoundSpeed, 1);
  } else {
    const HandOffset hand = HandPosition(handSet, p.aimAngle, p.facing);
    const float a = p.aimAngle * kPi / 180.0f;
    SpawnShot(weapon, wx + hand.dx, wy + hand.dy, p.facing, std::cos(-a) * kRoundSpeed, std::sin(-a) * kRoundSpeed, 0);
  }
  if (p.selectedGadget != kGadgetSuppressor) SpawnShot(kNoiseShot, wx, wy, 0, kShotNoiseRadius, 0.0f, 0);
}

void StartAimProbe(int kind, int x, int y, int facing, float speedX, float speedY) {
  aimProbe = AimProbe{};
  aimProbe.kind = kind;
  aimProbe.x = aimProbe.startX = x;
  aimProbe.y = aimProbe.startY = y;
  aimProbe.facing = facing;
  aimProbe.speedX = static_cast<int32_t>(speedX);
  aimProbe.speedY = static_cast<int32_t>(speedY);
  aimProbe.alpha = 255;
  aimProbe.active = 1;
}

void StartAimTrace() {
  const Player& p = player;
  if (p.straddling != 0) {
    StartAimProbe(kProbeKind, p.x, p.y + 30, p.facing, std::cos(kHalfPi) * kRoundSpeed, std::sin(kHalfPi) * kRoundSpeed);
    return;
  }
  const HandOffset hand = HandPosition(1, p.aimAngle, p.facing);
  const float a = p.aimAngle * kPi / 180.0f;
  StartAimProbe(kProbeKind, p.x + hand.dx, p.y + hand.dy, p.facing, std::cos(-a) * kRoundSpeed, std::sin(-a) * kRoundSpeed);
}

void TraceAimLine() {
  if (game.paused != 0) return;
  AimProbe& a = aimProbe;
  // A trace straight down over an open shaft meets no object: it ends below the stage's
  // bottom edge (and above its top) as it ends beyond the screen's sides.
  const int stageBottom = game.stageScreensY * 600 + game.scrollY;
  const int stageTop = game.scrollY;
  for (int step = 0; step < kMaxTraceSteps; ++step) {
    a.x += a.facing == 1 ? -a.speedX : a.speedX;
    a.y += a.speedY;
    bool stop = a.x < -50 || a.x > 850 || a.y > stageBottom + 50 || a.y < stageTop - 50;
    for (int i = 0; i < game.mapObjectCount && !stop; ++i) {
      const MapObject& o = pools.mapObjects[i];
      if (!IsSolidActive(o) || o.kind == kLadderKind) continue;
      if (Overlaps(ObjectScreenBox(o), a.x - 5, a.x + 5, a.y - 5, a.y + 5)) stop = true;
    }
    if (stop) break;
  }
  a.active = 0;
  a.endX = a.x;
  a.endY = a.y;
}

void DrawLaserSight() {
  DrawLine(aimProbe.startX, aimProbe.startY, aimProbe.endX, aimProbe.endY, GetColor(255, 64, 64));
  DrawCircle(aimProbe.endX, aimProbe.endY, 2, GetColor(255, 0, 0), 1);
}

void GiveMissionStartLoadout(uint8_t grant) {
  Player& p = player;
  for (uint16_t& c : p.weapons) c = kNotOwned;
  for (uint16_t& c : p.items) c = kNotOwned;
  for (uint16_t& c : p.gadgets) c = kNotOwned;
  p.gadgets[0] = 1;
  p.selectedGadget = 0;
  p.storedGadget = 0;
  game.detections = game.incapacitations = game.targetsDestroyed = 0;
  for (const Loadout& l : kLoadouts) {
    if (l.mission != game.missionNumber) continue;
    for (const auto& w : l.weapons) {
      if (w[0] >= 0) p.weapons[w[0]] = static_cast<uint16_t>(w[1]);
    }
    if (l.radar != 0) p.gadgets[2] = 1;
  }
  p.selectedWeapon = -1;
  for (int w = 0; w <= 12; ++w) {
    if (HasRounds(p.weapons[w])) {
      p.selectedWeapon = static_cast<int16_t>(w);
      break;
    }
  }
  if (p.selectedWeapon < 0) {
    if (!Owns(p.weapons[0])) p.weapons[0] = 0;
    p.selectedWeapon = 0;
  }
  p.life = 100;
  game.missionRules[kMissionCounterRule] = 0;
  for (int i = kPerMissionFirst; i <= kPerMissionLast; ++i) game.saveRecord[i] = game.checkpoint[i] = 0;
  if (grant == 0) return;
  const int character = game.character <= 2 ? game.character : 2;
  for (int i = 0; i < 3; ++i) {
    if (game.prefsFile[kUnlockBytes[character][i]] != 0) p.gadgets[kUnlockGadgets[i]] = 1;
  }
}
