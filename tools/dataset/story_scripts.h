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

// The bits of the characters who play a table entry.
constexpr int kStoryFirstCharacter = 1;
constexpr int kStorySecondCharacter = 2;
constexpr int kStoryThirdCharacter = 4;

// One non-zero byte of "bin/Event.tbl" (scene false) or "bin/Cinema.tbl" (scene true) and the
// characters whose maps of that area and sub-stage must hold its trigger (the third
// character's missions play with sub-stage 0 of their area).
struct StoryTableEntry {
  int area = 0;
  int subStage = 0;
  int byte = 0;
  bool scene = false;
  int number = 0;
  int characters = 0;
};
const std::vector<StoryTableEntry>& StoryTableEntries();

// "bin/Event.tbl" and "bin/Cinema.tbl": two bytes per sub-stage, area by area.
std::string StoryEventTable();
std::string StoryCinemaTable();

}  // namespace dataset
