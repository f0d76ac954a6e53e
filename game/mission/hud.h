// The HUD, the stage music, the alert gauge and the pause menu. They come with their own
// work; until then nothing is drawn and the pause menu only closes again.
#pragma once

void DrawStageOverlay();
void DrawWeaponPanel();
void DrawGadgetPanel();
void DrawLifeBar();
void DrawRadar();
void UpdateAlertGauge();
void PlayStageBgm();
void UpdatePauseMenu(int pad);
