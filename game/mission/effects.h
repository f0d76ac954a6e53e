// One-shot effects (muzzle flashes, explosions, smoke, sparks, falling specks, banners, the
// jammer's shock wave) and debris bursts, in two fixed pools. Positions are world pixels.
#pragma once
#include <cstdint>

constexpr int kEffectSlots = 40;
constexpr int kDebrisSlots = 30;
constexpr int kDebrisPieceSlots = 30;

struct Effect {
  int32_t x = 0, y = 0;
  int32_t growthX = 0;
  int32_t growthY = 0;  // or the fall speed
  int32_t param = 0;
  int32_t kind = 0;
  uint16_t active = 0;
  int32_t frame = 0;
  int32_t counter = 0;
  int32_t alpha = 0;
  int32_t angle = 0;  // or the spin
  int32_t extra1 = 0, extra2 = 0;
};

struct DebrisPiece {
  int32_t x = 0, y = 0;
  int32_t alpha = 0;
  int32_t fallSpeed = 0;
  int32_t launchSpeed = 0;
  int32_t drift = 0;
};

struct DebrisBurst {
  int32_t kind = 0;
  int32_t param = 0;
  int32_t sourceKind = 0;
  int32_t active = 0;
  DebrisPiece pieces[kDebrisPieceSlots];
  int32_t stepToggle = 0;
  int32_t soundPlayed = 0;
};

extern Effect effects[kEffectSlots];
extern DebrisBurst debrisBursts[kDebrisSlots];

// Empties the effects; the per-stage reset leaves the bursts to run out.
void ResetEffects();
void SpawnEffect(int kind, int param, int x, int y, int extra1, int extra2);
void UpdateEffects();
void SpawnDebris(int kind, int x, int y, int param, int objectKind);
void UpdateDebris();
