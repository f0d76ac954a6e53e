// The start-up tables: bytes per story area and sub-stage, headerless, area by area.
#pragma once
#include <string>

namespace dataset {

// Five bytes for each of the 5 + 8 + 7 + 10 + 6 + 6 + 5 + 7 sub-stages.
constexpr int kDoorTableBytes = 270;
// Two bytes for each of the 5 + 11 + 9 + 7 + 6 + 7 + 8 + 8 sub-stages.
constexpr int kEventTableBytes = 122;
constexpr int kCinemaTableBytes = 122;

// The door codes of the route map's branches (see stage_maps.h).
std::string DoorTable();
// The story's event scripts and scenes by area and sub-stage (0: none).
std::string EventTable();
std::string CinemaTable();

}  // namespace dataset
