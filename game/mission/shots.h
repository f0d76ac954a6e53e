// The shot pool: everything that flies, falls or lingers briefly and can hit something
// (the player's rounds, the wire, cartridge cases, enemy bullets and discharges, noise
// circles, sleep marks, gas clouds, pick-up labels); the player's weapons, the aim probe
// and laser sight; and the damage the player takes.
#pragma once
#include <cstdint>

constexpr int kShotSlots = 50;

// One shot. Positions are world pixels; the meaning of the counters depends on the kind.
struct Shot {
  int32_t kind = 0;
  int32_t x = 0, y = 0;
  int32_t startX = 0, startY = 0;
  uint16_t active = 0;
  int32_t fall = 0;
  int32_t value1 = 0;  // case sideways speed, aimed bullet x velocity, barrier age
  int32_t value2 = 0;  // aimed bullet y velocity, wire length
  int32_t facing = 0;  // 0 right, 1 left
  uint16_t subCounter = 0;
  uint16_t frames = 0;  // 0 = first frame not yet run
  uint16_t counter1 = 0;
  uint16_t counter2 = 0;
  uint16_t age = 0;
  uint16_t rotation = 0;
  int32_t alpha = 0;
  int32_t lift = 0;
  int32_t started = 0;
  int32_t speedX = 0;  // also a noise circle's radius and an aimed bullet's damage
  int32_t speedY = 0;
  uint8_t owner = 0;  // 1: a player round fired straight down
  double angle = 0;   // radians, for drawing the laser and blaze rounds
};

// The probe that traces the laser sight: laid out like a shot, never in the pool.
struct AimProbe {
  int32_t kind = 0;
  int32_t x = 0, y = 0;
  int32_t startX = 0, startY = 0;
  uint16_t active = 0;
  int32_t facing = 0;
  int32_t endX = 0, endY = 0;
  int32_t alpha = 0;
  int32_t speedX = 0, speedY = 0;
};

extern Shot shots[kShotSlots];
extern AimProbe aimProbe;

void ResetShots();
void SpawnShot(int kind, int x, int y, int facing, float speedX, float speedY, uint8_t owner);
// Ends every live shot of a kind (the wire's are kind 11).
void RemoveShotsOfKind(int kind);
void UpdateShots();
void DamagePlayer(int damage, int newAction);
// The ration's automatic revival: 1 when it brought the player back.
int TryAutoRevive();

// Weapons (weapons.cpp).
void FireSelectedWeapon();
// The round (or the wire) leaves the hand when the fire counter says so; UpdatePlayer
// calls it each frame.
void LaunchPendingShot();
void StartAimTrace();
void StartAimProbe(int kind, int x, int y, int facing, float speedX, float speedY);
void TraceAimLine();
void DrawLaserSight();
void GiveMissionStartLoadout(uint8_t grant);
// Offset of the hand from the player for a hand set (1, 2 or 3), aim angle and facing.
struct HandOffset {
  int dx, dy;
};
HandOffset HandPosition(int handSet, int aimAngle, int facing);
int HandSetOfWeapon(int weapon);
