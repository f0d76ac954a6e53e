#include "game/mission/effects.h"

void ResetEffects() {}

void SpawnEffect(int, int, int, int, int, int) {}

void UpdateEffects() {}

void SpawnDebris(int, int, int, int, int) {}

void UpdateDebris() {}
