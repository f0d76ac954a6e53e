#include "game/mission/shots.h"

#include "game/mission/player_movement.h"
#include "game/shell/game_data.h"

void ResetShots() {}

void SpawnShot(int, int, int, int, float, float, uint8_t) {}

void RemoveShotsOfKind(int) {}

void UpdateShots() {}

void DamagePlayer(int, int) {}

// Until the weapons exist, releasing the fire input only ends the aim.
void FireSelectedWeapon() {
  if (player.action == player_action::kAiming) player.action = player_action::kFree;
}

void StartAimTrace() {}

void TraceAimLine() {}

void DrawLaserSight() {}
