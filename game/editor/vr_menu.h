// The VR training menu (state 70) and the notice shown when the record file was damaged
// (state 71). A host presents the four categories of training missions; for each mission
// the menu shows its rank from the best time, for the selected one the three best times,
// and the total time over all missions. The object holds the record table of "time.dat",
// reads it when it is created and writes it back after every change.
#pragma once
#include <cstdint>

#include "game/editor/vr_record.h"

constexpr int kVrHostLines = 30;
constexpr int kVrCategoryRows = 6;  // four categories, the host's talk, back to the title

class VrMenu {
 public:
  VrMenu();
  ~VrMenu();
  VrMenu(const VrMenu&) = delete;
  VrMenu& operator=(const VrMenu&) = delete;

  // One frame of state 70.
  void Update(int pad);
  // One frame of state 71.
  void UpdateCorruptNotice(int pad);

  // The record file.
  void ReadRecords();
  // Mode 1 initialises the table first; then the table is encoded and the file written.
  void StoreRecords(int mode);
  void CheckFileMarker();
  void WriteTimeFile();
  void ClampRecords();
  void ComputeTotalTime();

  void DrawHost(int x, int y);
  void DrawCursorGlow(int x, int y);

  VrTimes records = {};
  VrMarks marks = {};
  uint8_t fileImage[kVrFileBytes] = {};
  int16_t totalHours = 0, totalMinutes = 0, totalSeconds = 0, totalHundredths = 0;
  uint8_t talkShown = 0;
  uint8_t talkLine = 0;
  int32_t menuImage = -1;
  int32_t hostImage = -1;
  int16_t hostFrame = 0;
  uint8_t recordsReset = 0;

 private:
  void Enter();
  void StoreResult();
  void DrawScreen();
  void HandleInput(int pad);
  void StartMission();
  void LeaveToTitle();
  void WriteImage();
};

// The player's loadout for the current VR category and mission; the game-over and pause
// menus call it to restart a VR mission.
void SetUpVrMissionLoadout();

// The host's lines and the help lines, for the screen and its tests.
extern const char* const kVrHostLineTexts[kVrHostLines];
extern const char* const kVrCategoryHelp[kVrCategoryRows];
const char* VrMissionHelp(int category, int mission);
