#include "game/mission/hud.h"

#include "game/shell/game_data.h"

void DrawStageOverlay() {}

void DrawWeaponPanel() {}

void DrawGadgetPanel() {}

void DrawLifeBar() {}

void DrawRadar() {}

void UpdateAlertGauge() {}

void PlayStageBgm() {}

// Without the menu a pause would never end: any key that is not a pause key resumes.
void UpdatePauseMenu(int pad) {
  const bool pauseKeyHeld = game.action[5] != 0 || game.action[6] != 0 || game.action[7] != 0;
  if (pauseKeyHeld) return;
  game.keyLatch = 0;
  if (pad != 0 || game.action[1] != 0) game.paused = 0;
}
