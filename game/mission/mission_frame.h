// One frame of mission play: the handler of game states 10 and 51.
#pragma once

void UpdateStagePlay(int pad);
// Entry of the mission: screen objects, graphics, clocks, camera, opening scene or music.
void EnterStagePlay();
// Puts the camera on the start position and the player into screen co-ordinates.
void PlaceCameraAtStart();
// The stage's background layers for the current area, sub-stage or mission.
void DrawBackgroundLayers();
