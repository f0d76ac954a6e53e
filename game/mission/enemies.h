// The enemy table: its spawning by the stage loader and its per-frame update. Foot soldiers,
// cameras, drones, the turret, the laser pointer, the discharge tubes and the creatures share
// one record and one fixed table of 30 slots.
#pragma once
#include <cstdint>

// One enemy of the stage. Coordinates are world pixels.
struct Enemy {
  int32_t kind = 0;  // 1..21
  int32_t life = 0;  // 100, 0 or -1 (no life) by kind
  int32_t x = 0, y = 0;
  int32_t speedX = 0, speedY = 0;  // a climb's target point while climbing
  int32_t homeX = 0, homeY = 0;
  uint8_t recordByte1 = 0;  // 1 marks a creature emitted by a spawner
  uint8_t equipment = 0;    // foot soldier's weapon 0..3
  uint8_t droneParam = 0;
  int32_t facing = 0;  // 0 right, 1 left
  int16_t state = 0;   // 0 free, 1 active, 2 destroyed or defeated, 4 knocked out, 5 asleep
  uint16_t claimed = 0;
  int32_t param1 = 0, param2 = 0;
  uint16_t cycleCount = 0;
  uint16_t timer = 0, timer2 = 0;
  uint16_t modeTimer = 0;
  uint16_t stunTimer = 0;
  int32_t alpha = 0;
  uint8_t mode = 0;      // foot soldier's behaviour mode 0..5
  uint8_t subState = 0;  // 10 exempts the enemy from capture in a stealth mission
  uint8_t initialBehaviour = 0, normalBehaviour = 0, attackBehaviour = 0, alertBehaviour = 0;
  int32_t fallSpeed = 0;
  uint8_t inAir = 0;
  uint8_t noGravity = 0;
  float viewAngle = 0;  // degrees: 0 right, 90 down, 180 left, 270 up
  uint8_t pendingFacing = 0;  // 99: no pending turn
  uint8_t pendingTurnTimer = 0;
  uint8_t climbLevel = 0;
  uint16_t beamCooldown = 0;
};

constexpr int kEnemyCount = 30;
extern Enemy enemies[kEnemyCount];

// Hit box of a kind: left, top, right, bottom offsets from (x, y).
struct EnemyHitBox {
  int left, top, right, bottom;
};
// False for kinds without a box (the spawner, unknown kinds): such an enemy is never hit.
bool GetEnemyHitBox(int kind, EnemyHitBox* box);

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
