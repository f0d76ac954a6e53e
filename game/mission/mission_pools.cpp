#include "game/mission/mission_pools.h"

#include "game/mission/effects.h"
#include "game/mission/enemies.h"
#include "game/mission/map_objects.h"
#include "game/mission/shots.h"

void ResetMissionPools() {
  ResetMapObjectPools();
  ResetEnemies();
  ResetShots();
  ResetEffects();
}
