// How enemies find the player: the eyes of the foot soldiers and the slime (a range, a view
// cone and lines of sight that map objects cut) and the beams of the machines (a ray marched
// until something stops it). A find starts or renews the alert, or catches the player in a
// stealth mission.
#pragma once
#include <cstdint>

// True when enemy `index` sees the player from its point plus the eye offset.
bool EnemySightTest(int index, int eyeX, int eyeY, int range, int halfAngle, uint8_t darkSight);
// 1 when the beam from (startX, startY) towards (aimX, aimY), world pixels, finds the player.
// The beam is drawn. quiet: a find changes neither the alert nor the counters.
int BeamTest(int index, float startX, float startY, float aimX, float aimY, float angle, uint8_t quiet);

// The music of an alert.
constexpr const char* kAlertMusic = "bzx/warning.ogg";

// True when a live shot that stops beams (a smoke screen, a shield) covers the 10 x 10
// square around the world point.
bool ShotStopsBeam(float x, float y);
