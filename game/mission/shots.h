// The shot pool, the player's weapons and the damage the player takes. They come with their
// own work; until then no shot flies and nothing hurts.
#pragma once
#include <cstdint>

void ResetShots();
void SpawnShot(int kind, int x, int y, int facing, float speedX, float speedY, uint8_t owner);
// Ends every live shot of a kind (the wire's are kind 11).
void RemoveShotsOfKind(int kind);
void UpdateShots();
void DamagePlayer(int damage, int newAction);
void FireSelectedWeapon();
void StartAimTrace();
void TraceAimLine();
void DrawLaserSight();
