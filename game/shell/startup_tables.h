// The three tables read once at start-up: door data, the event scripts and the story
// scenes that each area's sub-stages start.
#pragma once
#include <cstdint>

constexpr char kDoorTablePath[] = "bin/Door.tbl";
constexpr char kEventTablePath[] = "bin/Event.tbl";
constexpr char kCinemaTablePath[] = "bin/Cinema.tbl";

// How many sub-stages of each area the files hold records for.
constexpr int kEventSubStages[8] = {5, 11, 9, 7, 6, 7, 8, 8};
constexpr int kDoorSubStages[8] = {5, 8, 7, 10, 6, 6, 5, 7};

void ReadDoorTable();
void ReadEventTable();
void ReadCinemaTable();
