// How a failed mission ends: the game-over sequence over mission play while the player is
// down or caught, and the game-over menu (restart or leave).
#pragma once

// Player actions of the sequence.
constexpr int kActionDown = 51;
constexpr int kActionGameOverFade = 57;
constexpr int kActionCaught = 58;

// Frames of darkening before the game-over picture shows and the music may end the wait.
constexpr int kGameOverDarkFrames = 128;
// The fade ignores confirm until it has reached this value (30 frames).
constexpr int kGameOverFadeSkippable = 61;
constexpr int kGameOverFadeEnd = 254;

// True while the sequence runs (the player down, caught or fading out).
bool GameOverSequenceRuns();
void UpdateGameOverSequence(int pad);
void UpdateGameOverMenu(int pad);
// The flickering strip over a selected menu bar of the pause sheet.
void DrawMenuHighlight(int x, int y, int mirror);
