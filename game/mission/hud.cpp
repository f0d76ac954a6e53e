#include "game/mission/hud.h"

#include "game/shell/game_data.h"

void DrawStageOverlay() {}

void DrawWeaponPanel() {}

void DrawGadgetPanel() {}

void DrawLifeBar() {}

void DrawRadar() {}

void UpdateAlertGauge() {}

void PlayStageBgm() {}

// Until the menu exists a pause would never end: a new press of the pause input closes it.
void UpdatePauseMenu(int) {
  constexpr int kInputPause = 5, kInputWeapon = 6, kInputGadget = 7;
  const bool pauseKeyHeld = game.action[kInputPause] != 0 || game.action[kInputWeapon] != 0 || game.action[kInputGadget] != 0;
  if (!pauseKeyHeld) {
    game.keyLatch = 0;
  } else if (game.action[kInputPause] != 0 && game.keyLatch == 0) {
    game.keyLatch = 1;
    game.paused = 0;
  }
}
