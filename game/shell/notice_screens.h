// The small screens of the game-state table: the stage load between menus and mission
// play, the unlock notices after a campaign clear, the trial-clear bonus, the ending
// states, the still picture and the two error screens.
#pragma once

void UpdateStageLoad(int pad);
void UpdateStillPicture(int pad);
void UpdateTrialBonusNotice(int pad);
void UpdateEndingPicture(int pad);
void UpdateEndingStart(int pad);
void UpdateUnlockNotice(int pad);
void UpdateFileError(int pad);
void UpdateVersionError(int pad);

// The line of the unlock notice being shown, or null.
const char* CurrentUnlockNotice();
