// Small stages drawn as rows of characters, one character a cell, for the route check's
// tests and the walks that play its routes.
#pragma once
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/dataset/stage_route.h"

namespace drawn_stage {

// The tile code a character of a drawn stage stands for; 0 empty.
inline uint8_t CodeOf(char ch) {
  switch (ch) {
    case '#': return 25;   // block
    case 'H': return 65;   // ladder
    case 'S': return 95;   // start
    case 'G': return 99;   // goal
    case 'W': return 98;   // goal waiting for the targets
    case 'T': return 20;   // target
    case 'L': return 64;   // hiding place
    case '^': return 21;   // spikes pointing up
    case 'v': return 22;   // spikes pointing down
    case 'E': return 77;   // electric block
    case 'C': return 59;   // crumbling block
    case 'P': return 61;   // pitfall (two cells wide)
    case 'V': return 79;   // vanishing block
    case 'B': return 89;   // breakable block
    case 'K': return 58;   // shutter (two cells high)
    case 'k': return 177;  // the shutter key
    case 'M': return 66;   // shutter opened by item 181
    case 'm': return 181;
    case 'n': return 182;
    case '>': return 75;   // conveyors (two cells wide) carrying right
    case '<': return 76;   // and left
    case 'J': return 83;   // jump pads (two cells wide), weakest
    case 'I': return 85;   // and strongest
    case '{': return 86;   // pipe: left end
    case '-': return 87;   // middle
    case '}': return 88;   // right end
    case '=': return 30;   // ledge
    case 'g': return 82;   // glass (two cells high)
    case 'Y': return 11;   // control terminal
    default: break;
  }
  return ch >= '1' && ch <= '9' ? static_cast<uint8_t>(ch - '0') : 0;
}

// A stage from rows of characters (CodeOf); rows and columns left out stay empty.
inline std::vector<uint8_t> Record(const std::vector<std::string>& rows, int screensX = 1, int screensY = 1) {
  std::vector<uint8_t> record(stage_route::kRecordBytes, 0);
  record[2920] = static_cast<uint8_t>(screensX);
  record[2921] = static_cast<uint8_t>(screensY);
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < rows[r].size(); ++c) record[r * stage_route::kColumns + c] = CodeOf(rows[r][c]);
  }
  return record;
}

// A walled one-screen room of 15 rows whose lowest rows (the last one being row 14) are
// drawn; the rows above them are open.
inline std::vector<std::string> Room(const std::vector<std::string>& lowest) {
  std::vector<std::string> rows(15 - lowest.size(), "#..................#");
  rows.front() = "####################";
  rows.insert(rows.end(), lowest.begin(), lowest.end());
  return rows;
}

// Rows of a room twenty cells wide: a ceiling or floor, open air, and a floor's worth of
// space with the start at column 2 and the goal at column 16.
inline const std::string kCeiling = "####################";
inline const std::string kAir = "#..................#";
inline const std::string kRun = "#.S.............G..#";
inline const std::string kFloor = "####################";

// The moves of a plan as letters: w walk, j jump, u climb up, d climb down, e enter a door,
// g touch the goal, l climb onto a ledge, c crawl along a pipe.
inline std::string Shape(const std::vector<stage_route::Move>& plan) {
  std::string shape;
  for (const stage_route::Move& m : plan) shape += "wjudeglc"[static_cast<int>(m.kind)];
  return shape;
}

// A case's name as a test name: letters and digits, the rest underscores.
inline std::string TestName(std::string name) {
  for (char& ch : name) {
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  }
  return name;
}

}  // namespace drawn_stage
