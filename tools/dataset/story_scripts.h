// The story's talk scenes: one "evx/%d.txt" script per number that a caller can start, in
// Shift-JIS with CR LF line ends, and the start-up tables that name the scripts and story
// scenes of each area and sub-stage.
#pragma once
#include <string>
#include <vector>

namespace dataset {

struct StoryScript {
  int number = 0;
  std::string text;  // the whole file
};

// Every script of the story, in number order.
const std::vector<StoryScript>& StoryScripts();

// "bin/Event.tbl" and "bin/Cinema.tbl": two bytes per sub-stage, area by area.
std::string StoryEventTable();
std::string StoryCinemaTable();

}  // namespace dataset
