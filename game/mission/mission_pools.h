// The per-stage reset of every mission pool: map objects and decor, enemies, shots, effects
// and debris.
#pragma once

void ResetMissionPools();
