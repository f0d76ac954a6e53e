// The end of a cleared VR mission: the result time with its penalties, its place among the
// mission's three best times, the result panel with the grade, and the way back to the VR
// menu, which stores the handed-over times in "time.dat".
#pragma once
#include <cstdint>

// Penalty seconds per discovery and per hit taken.
constexpr int kVrDiscoveryPenalty = 20;
constexpr int kVrHitPenalty = 15;

struct VrResultPanel {
  uint16_t time[3] = {};  // minutes, seconds, hundredths, penalties included
  uint8_t place = 0;      // 1..3, 0 when slower than all three
};
extern VrResultPanel vrResultPanel;

// From the clock and the penalty counters: the result time, its place among the handed-over
// best times (which it enters, ties going to the new time), the mark, and the pending flag.
void ComputeVrResult();

// The grade of a time against the mission's limits: 0 SS .. 5 D, -1 for 59:59.99.
int VrResultGrade(int category, int mission, const uint16_t* time);

// Runs the clear sequence of a VR mission while the player's action is 52, 54 or 55: waits
// for the clear music, counts to the panel, shows it until confirm, fades out and opens the
// VR menu.
void UpdateVrClearResult();
