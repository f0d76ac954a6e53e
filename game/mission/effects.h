// One-shot effects and debris bursts. They come with their own work; until then requests
// are dropped as a full pool drops them.
#pragma once

void ResetEffects();
void SpawnEffect(int kind, int param, int x, int y, int extra1, int extra2);
void UpdateEffects();
void SpawnDebris(int kind, int x, int y, int param, int objectKind);
void UpdateDebris();
