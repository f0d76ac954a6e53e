#include "game/mission/enemies.h"

Enemy enemies[kEnemyCount];

namespace {
EnemySpawnObserver spawnObserver = nullptr;

// One row per kind 0..21; an all-zero row has no box.
constexpr EnemyHitBox kHitBoxes[] = {
    {0, 0, 0, 0},                                                               // 0
    {-15, -55, 15, 20},   {-15, -55, 15, 20},                                   // 1, 2
    {-20, -10, 20, 20},   {-20, -10, 20, 20},   {-20, -10, 20, 20},             // 3..5
    {-20, -10, 20, 20},   {-20, -10, 20, 20},   {-20, -10, 20, 20},             // 6..8
    {-20, -10, 20, 20},   {-20, -10, 20, 20},   {-20, -10, 20, 20},             // 9..11
    {-14, 0, 14, 24},     {-10, -10, 10, 20},   {-10, -10, 10, 20},             // 12..14
    {-10, -10, 10, 20},   {-10, -10, 10, 20},   {-15, -2, 15, 19},              // 15..17
    {-15, -40, 15, 20},   {-15, -55, 15, 20},   {-15, -55, 15, 20},             // 18..20
    {0, 0, 0, 0},                                                               // 21 spawner
};
constexpr int kHitBoxRows = sizeof(kHitBoxes) / sizeof(kHitBoxes[0]);
}  // namespace

bool GetEnemyHitBox(int kind, EnemyHitBox* box) {
  if (kind < 0 || kind >= kHitBoxRows) return false;
  const EnemyHitBox& row = kHitBoxes[kind];
  if (row.left == 0 && row.top == 0 && row.right == 0 && row.bottom == 0) return false;
  *box = row;
  return true;
}

void ResetEnemies() {
  for (Enemy& e : enemies) e = Enemy{};
}

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
