// The clear result panel that mission play shows after the goal in editor test plays
// (mode 1), VR missions (mode 2) and the third character's missions (mode 3), and the
// scoring rules behind it.
#pragma once
#include <cstdint>

constexpr int kActionGoal = 52;
constexpr int kActionResultFade = 54;
constexpr int kActionResultShown = 55;
constexpr int kResultPanelDelay = 50;

// A time of the VR clock in minutes, seconds and hundredths.
struct VrTime {
  uint16_t minutes = 0, seconds = 0, hundredths = 0;
  int Hundredths() const { return minutes * 6000 + seconds * 100 + hundredths; }
};
constexpr VrTime kSlowestVrTime{59, 59, 99};

// The VR result of the mission being played: the VR menu fills the best times and the
// grade limits before the mission starts and reads the result back after it.
struct VrResultRecord {
  VrTime best[3];
  VrTime limits[5];
  VrTime result;
  uint8_t place = 0;           // 1..3 where the result went among the best times, 0 none
  uint8_t firstPlaceMark = 0;  // 0x41 first place without penalties, 0x40 with
};
extern VrResultRecord vrResult;

// The score of a cleared mission: 900 less the discoveries, the targets left and the
// life lost; its grade 10..100, plus 5 for a clean mission of the mode.
int MissionScore(int detections, int destroyed, int total, int life);
int MissionGrade(int score, int mode, bool allTargets, bool undetected);
// The clock time with the penalty seconds (20 per discovery, 15 per hit), capped.
VrTime PenalisedTime(VrTime clock, int discoveries, int hits);
// Inserts the result among the three best times; the place 1..3 or 0.
int PlaceAmongBest(VrTime result, VrTime best[3]);
// 0..4 for the first limit the result does not exceed, 5 beyond all, -1 for no grade.
int VrGrade(VrTime result, const VrTime limits[5]);

// The panel, called by mission play while the player's action is 52, 54, 55 or 56.
void UpdateClearResultPanel();
// The VR clock drawn in the corner of VR missions.
void DrawVrClock();
