// The heads-up display (weapon and gadget panels, life bar, radar, alert gauge), the
// game's number drawing, the stage music and the pause and equipment menu.
#pragma once

void DrawStageOverlay();
void DrawWeaponPanel();
void DrawGadgetPanel();
void DrawLifeBar();
void DrawRadar();
void UpdateAlertGauge();
void PlayStageBgm();
// The music file PlayStageBgm starts for the current mode, character and stage, or null.
const char* StageBgmPath();
// Draws a value of up to six digits from the digit strip; align 0 left, 1 centred, 2 right;
// style 2 draws tall tinted cells.
void DrawNumber(int value, int x, int y, int row, int align, int style);
void DrawTime(int hours, int minutes, int seconds, int x, int y, int blink, int randomTint, int style);

// The pause menu (page 0) and the weapon (1) and gadget (2) lists (pause_menu.cpp).
void UpdatePauseMenu(int pad);
