// The working state of the campaign screens between missions: the briefing's route choice
// and preparation pages, and the fields of the clear result panel.
#pragma once
#include <cstdint>

constexpr int kMaterialCount = 4;
constexpr int kBriefingWeapons = 8;

struct CampaignState {
  // Branch chosen at the current map node: column 0..1, row 0..2.
  int32_t routeColumn = 0;
  int32_t routeRow = 0;
  uint8_t routeChosen = 0;
  // Per map area, 1 = its doors are drawn.
  uint8_t areaShown[8] = {};
  // Pending order of the ammunition page: shots to make and the materials it takes.
  uint16_t makeCount = 0;
  uint16_t materialsUsed[kMaterialCount] = {};
  // Held frames for the auto-repeat of the equipment and ammunition pages (0..20).
  int32_t repeatCounter = 0;
  // The result panel's grade of the last cleared mission (mode 1 and 3).
  int32_t lastGrade = 0;
};

extern CampaignState campaign;
