#include "game/mission/enemies.h"

namespace {
EnemySpawnObserver spawnObserver = nullptr;
}  // namespace

void ResetEnemies() {}

void SpawnEnemy(int type, int cellX, int cellY, int byte1, int byte2, int16_t facing, int16_t param1,
                int16_t param2, int initialBehaviour, int normalBehaviour, int attackBehaviour,
                int alertBehaviour) {
  if (spawnObserver == nullptr) return;
  spawnObserver({type, cellX, cellY, byte1, byte2, facing, param1, param2,
                 {initialBehaviour, normalBehaviour, attackBehaviour, alertBehaviour}});
}

void SpawnReinforcements() {}

void UpdateEnemies() {}

void SetEnemySpawnObserver(EnemySpawnObserver observer) { spawnObserver = observer; }
