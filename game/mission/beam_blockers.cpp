#include "game/mission/enemy_sight.h"

// The shots that stop beams live in the shot pool; until it holds any, nothing does.
bool ShotStopsBeam(float, float) { return false; }
