// The story's data-set fixture: the harness with the data set's own files written into it,
// and every script played to its end as the frame loop plays it.
#pragma once
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "game/shell/game_data.h"
#include "game/story/event_script.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/game/story/story_fixture.h"
#include "tools/dataset/asset_list.h"
#include "tools/dataset/image_encode.h"
#include "tools/dataset/story_scripts.h"

namespace story_test {

// A script's lines, each ending with CR LF.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

class StoryDataSetPlay : public ::testing::Test {
 protected:
  mission_test::MissionHarness h_;

  // The data set's files that the talk scenes read, painted and encoded into the harness.
  void WriteAssets(const std::set<std::string>& paths) {
    for (const dataset::AssetEntry& e : dataset::AssetList()) {
      if (!paths.count(e.path)) continue;
      if (e.format == dataset::AssetFormat::kTable) {
        h_.WriteData(e.path, e.table());
      } else if (e.format == dataset::AssetFormat::kPng) {
        dataset::Canvas canvas(e.width, e.height);
        e.paint(canvas);
        h_.WriteData(e.path, dataset::EncodePng(canvas));
      }
    }
  }

  // Every script of the data set, as the files the talk player reads.
  void WriteScripts() {
    std::set<std::string> paths;
    for (const dataset::StoryScript& s : dataset::StoryScripts()) paths.insert("evx/" + std::to_string(s.number) + ".txt");
    WriteAssets(paths);
  }

  // The end mode the script's callers start it in: the briefing's talks, or the mission's.
  static int EndModeOf(int number) { return number >= 71 && number <= 94 ? kEndModeBriefing : kEndModeMission; }

  // Starts the script in its end mode and confirms through it to its end.
  void PlayToItsEnd(const dataset::StoryScript& s) {
    game.eventPlayer.Create(s.number, EndModeOf(s.number));
    ASSERT_TRUE(game.eventPlayer);
    EXPECT_EQ(game.eventPlayer->lineCount(), static_cast<int>(Lines(s.text).size())) << s.number;
    const int frames = RunScriptToEnd(20000);
    EXPECT_GT(frames, 1) << "script " << s.number << " ends";
  }
};

}  // namespace story_test
