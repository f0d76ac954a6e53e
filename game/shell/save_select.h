// The save-slot screen: the three save files with a summary of each, and for the chosen
// slot start, delete and back. Also the carry-over file a cleared trial edition leaves.
#pragma once
#include <cstdint>

#include "game/shell/game_data.h"

constexpr int kSaveSlotCount = 3;
constexpr char kTrialClearPath[] = "trial.dat";
constexpr int kTrialClearBytes = 50;

// True when "trial.dat" exists and both of its clear flags are set.
bool HasTrialClearBonus();

// One slot's record and the fields the screen shows from it.
struct SaveSlotInfo {
  SaveSlotInfo() { record[0] = 0; }

  uint8_t character = 0;
  uint8_t record[kSaveRecordBytes] = {};
  uint16_t year = 0;
  uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
  uint16_t difficulty = 0;
  uint16_t detections = 0, incapacitations = 0;
  uint16_t targetsDestroyed = 0;

  bool Used() const;
  // Fills the shown fields from the record.
  void Derive();
};

class SaveSelect {
 public:
  enum Phase : int16_t {
    kFadeIn = 0,
    kChooseSlot = 1,
    kActionMenu = 2,
    kFadeToTitle = 3,
    kFadeToStart = 4,
    kStart = 5,
    kConfirmDelete = 6,
  };

  SaveSelect();
  ~SaveSelect();
  SaveSelect(const SaveSelect&) = delete;
  SaveSelect& operator=(const SaveSelect&) = delete;

  // Reads the three slot files; a missing one is created empty.
  void LoadSlots();
  void Update(int pad);

  Phase phase() const { return phase_; }
  const SaveSlotInfo& slot(int index) const { return slots_[index]; }
  // The graph handles of the three pictures the object loads itself.
  const int (&pictures() const)[3] { return pictures_; }

 private:
  void DrawFrame() const;
  void DrawSlot(int index) const;
  void DrawActionMenu() const;
  void DrawDeleteConfirmation() const;
  void DrawFade(int alpha) const;
  void HandleInput(int pad);
  void Confirm();
  void DeleteChosenSlot();
  void StartChosenSlot();

  int pictures_[3] = {-1, -1, -1};
  int& startMenu_ = pictures_[0];
  int& buttons_ = pictures_[1];
  int& background_ = pictures_[2];
  int32_t fade_ = 0;
  Phase phase_ = kFadeIn;
  SaveSlotInfo slots_[kSaveSlotCount];
};
