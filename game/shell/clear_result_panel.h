// The clear result panel that mission play shows after the goal in editor test plays
// (mode 1) and the third character's missions (mode 3), and the scoring rules behind it.
// VR missions have their own result (the VR menu's).
#pragma once
#include <cstdint>

constexpr int kActionGoal = 52;
constexpr int kActionResultFade = 54;
constexpr int kActionResultShown = 55;
constexpr int kResultPanelDelay = 50;

// The score of a cleared mission: 900 less the discoveries, the targets left and the
// life lost; its grade 10..100, plus 5 for a clean mission of the mode.
int MissionScore(int detections, int destroyed, int total, int life);
int MissionGrade(int score, int mode, bool allTargets, bool undetected);
// The panel, called by mission play while the player's action is 52, 54, 55 or 56.
void UpdateClearResultPanel();
