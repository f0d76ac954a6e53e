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

// Sheet numbers n of the enemy sprites: graph slot 30 + n.
namespace enemy_sheet {
constexpr int kSoldierA = 1, kSoldierB = 2, kReinforcedA = 3, kReinforcedB = 4;
constexpr int kSurveillanceCamera = 5, kGunCamera = 6, kTurret = 7, kDrone = 8;
constexpr int kDischargeTube = 10, kBombSoldier = 11, kFlower = 12, kLaserPointer = 13, kSlime = 14;
constexpr int kFairy = 15, kFairyGlow = 16, kSpawner = 21, kEmergingFlower = 22;
}  // namespace enemy_sheet

// Enemy states and the no-pending-turn mark.
constexpr int16_t kEnemyFree = 0, kEnemyActive = 1, kEnemyDefeated = 2, kEnemyKnockedOut = 4, kEnemyAsleep = 5;
constexpr uint8_t kNoPendingTurn = 99;
// Frames of alert a discovery gives.
constexpr int kAlertFrames = 2000;

void ResetEnemies();
// Creates one enemy in the first free slot (none free: nothing). The arguments are the
// stage enemy record's bytes as the loader widens them.
void SpawnEnemy(int type, int cellX, int cellY, int byte1, int byte2, int16_t facing, int16_t param1,
                int16_t param2, int initialBehaviour, int normalBehaviour, int attackBehaviour,
                int alertBehaviour);
// One soldier of the stage's reinforcement kind under every door, once per stage.
void SpawnReinforcements();
// Every foot soldier but the one left out and the knocked-out ones starts searching.
void AlertAllInfantry(int except);
// The player is caught: the game-over sequence follows.
void CatchPlayer();
void UpdateEnemies();

// Helpers the kind handlers share.
// The enemy's point on the screen.
int EnemyScreenX(const Enemy& e);
int EnemyScreenY(const Enemy& e);
// Draws a cell of sheet n at the enemy's screen point plus an offset.
void DrawEnemyCell(const Enemy& e, int sheet, int dx, int dy, int srcX, int srcY, int w, int h, int mirror);
// The jamming sparks over a machine, by a counter.
void DrawJammingSparks(const Enemy& e, int counter);
// Gravity and landing on the solid map objects. narrow: pixels taken off both sides of the
// box; cap: the largest fall speed. Returns the slot landed on, or -1.
int ApplyEnemyGravity(Enemy& e, int narrow, int cap, bool firstLandingOnly);
// The fall speed no enemy passes, and the depth below the stage at which one is removed.
constexpr int kEnemyFallCap = 30;
