// The enemy table: its spawning by the stage loader and its per-frame update. The enemies
// themselves come with their own work; until then the table stays empty.
#pragma once
#include <cstdint>

// One spawn request as the stage loader makes it.
struct EnemySpawnRequest {
  int type, cellX, cellY, byte1, byte2;
  int16_t facing, param1, param2;
  int behaviours[4];  // initial, normal, attack, alert
};

void ResetEnemies();
void SpawnEnemy(int type, int cellX, int cellY, int byte1, int byte2, int16_t facing, int16_t param1,
                int16_t param2, int initialBehaviour, int normalBehaviour, int attackBehaviour,
                int alertBehaviour);
void SpawnReinforcements();
void UpdateEnemies();

// Until the table exists every request is handed to this observer (null: dropped), so that
// the loader's placements can be followed.
using EnemySpawnObserver = void (*)(const EnemySpawnRequest&);
void SetEnemySpawnObserver(EnemySpawnObserver observer);
