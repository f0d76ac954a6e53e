// The story in the data set: every script a caller can start exists, keeps to the sizes of
// the talk window and the line reader, names only files the data set has, and plays to its
// "end"; the tables name only scripts and scenes that exist; and a talk scene drawn from the
// data set's own pictures matches its golden frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/mission/player.h"
#include "game/shell/game_data.h"
#include "game/shell/startup_tables.h"
#include "game/story/event_script.h"
#include "game/story/story_scene.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/game/story/story_dataset.h"
#include "tests/game/story/story_fixture.h"
#include "tests/support/display_fixture.h"
#include "tests/support/golden_image.h"
#include "tools/dataset/asset_list.h"
#include "tools/dataset/image_encode.h"
#include "tools/dataset/story_scripts.h"

namespace {

using dataset::StoryScript;
using story_test::Lines;
using story_test::StoryDataSetPlay;

// The talk text may take 40 full-width characters, what the window shows in one line.
constexpr size_t kMaxTalkBytes = 80;

std::set<std::string> AssetPaths() {
  std::set<std::string> paths;
  for (const dataset::AssetEntry& e : dataset::AssetList()) paths.insert(e.path);
  return paths;
}

std::set<int> ScriptNumbers() {
  std::set<int> numbers;
  for (const StoryScript& s : dataset::StoryScripts()) numbers.insert(s.number);
  return numbers;
}

TEST(StoryDataSet, EveryCallersScriptExists) {
  const std::set<int> numbers = ScriptNumbers();
  std::vector<int> wanted = {1,  2,  3,  4,  5,  7,  8,  11,  19,  21,  23,  26,  28,  29,  30,  31,  40,  46,
                             47, 62, 63, 64, 101, 102, 103, 104, 140, 141, 110, 111, 118, 120, 130, 131, 134};
  for (int c = 0; c < 3; ++c) wanted.push_back(StandStillTalkScript(c));
  for (int n = 71; n <= 94; ++n) wanted.push_back(n);
  const std::string events = dataset::StoryEventTable();
  for (unsigned char n : events) {
    if (n != 0) wanted.push_back(n);
  }
  for (int n : wanted) EXPECT_TRUE(numbers.count(n)) << "no script " << n;
  EXPECT_GE(std::count_if(events.begin(), events.end(), [](char c) { return c != 0; }), 8) << "every area has an event";
}

TEST(StoryDataSet, TablesNameScenesThatExistAndHaveTheirSize) {
  const std::string events = dataset::StoryEventTable(), scenes = dataset::StoryCinemaTable();
  int used = 0;
  for (int a = 0; a < kAreaCount; ++a) used += kEventSubStages[a] * kEventRecordBytes;
  EXPECT_EQ(static_cast<int>(events.size()), used);
  EXPECT_EQ(static_cast<int>(scenes.size()), used);
  for (unsigned char s : scenes) {
    if (s != 0) {
      EXPECT_TRUE(IsKnownStoryScene(s)) << "scene " << int(s);
    }
  }
  // The event scripts of the table are not the story scenes' own scripts.
  const std::set<int> sceneScripts = {1, 2, 3, 4, 5, 7, 8, 11, 19, 21, 23, 26, 28, 29, 30, 31, 40, 46, 47, 62, 63, 64};
  for (unsigned char n : events) EXPECT_FALSE(n != 0 && sceneScripts.count(n)) << int(n);
}

TEST(StoryDataSet, ScriptsKeepToTheirSizesAndNameExistingFiles) {
  const std::set<std::string> assets = AssetPaths();
  for (const StoryScript& s : dataset::StoryScripts()) {
    SCOPED_TRACE("script " + std::to_string(s.number));
    const std::vector<std::string> lines = Lines(s.text);
    ASSERT_FALSE(lines.empty());
    EXPECT_LE(lines.size(), 256u);
    EXPECT_EQ(lines.back(), "end\t0");
    for (const std::string& line : lines) {
      EXPECT_LE(line.size() + 2, 255u) << "a line fits the reader's buffer: " << line;
      char command[kScriptCommandBytes], argument[kScriptArgumentBytes];
      SplitScriptLine(line.c_str(), command, argument);
      const std::string c = command, a = argument;
      if (c == "talk_1" || c == "talk_2") {
        EXPECT_LE(a.size(), kMaxTalkBytes) << "text fits the window";
      } else if (c.starts_with("load_char_") || c == "set_bgm" || c == "set_se") {
        EXPECT_TRUE(assets.count(a)) << a;
      } else if (c == "face_1" || c == "face_2") {
        EXPECT_TRUE(TalkFace(a.c_str()) != 0 || a == "通常") << a;
      } else if (c.starts_with("dot_face_")) {
        static const char* kWho[5] = {"oruha", "tevani", "suvel", "dunami", "pirel"};
        int who = -1;
        for (int i = 0; i < 5; ++i) {
          if (c.substr(9) == kWho[i]) who = i;
        }
        EXPECT_GE(DotFace(who, a.c_str()), 0) << c << " " << a;
      }
    }
  }
  // The scripts are Shift-JIS, as this file's literals are.
  const std::string& shrine = dataset::StoryScripts()[1].text;
  EXPECT_NE(shrine.find("まんじゅう"), std::string::npos);
}

TEST(StoryDataSet, StandStillTalkShowsTheCharacterWhoSeesIt) {
  // Scene 110 plays in any character's mission: its talk shows her portrait, or for the
  // third character her partner's radio call; none is a talk of the shop scenes.
  const char* kPortraits[3] = {"load_char_1\tevx/oruha.png", "load_char_1\tevx/tevani.png", "load_char_1\tevx/dunami_mini.png"};
  for (int c = 0; c < 3; ++c) {
    const int n = StandStillTalkScript(c);
    SCOPED_TRACE("script " + std::to_string(n));
    EXPECT_FALSE(n >= 101 && n <= 104);
    const auto s = std::find_if(dataset::StoryScripts().begin(), dataset::StoryScripts().end(),
                                [n](const StoryScript& x) { return x.number == n; });
    ASSERT_NE(s, dataset::StoryScripts().end());
    const std::vector<std::string> lines = Lines(s->text);
    EXPECT_NE(std::find(lines.begin(), lines.end(), kPortraits[c]), lines.end()) << kPortraits[c];
  }
}

TEST(StoryDataSet, EveryFileTheScenesAndTalksNameExists) {
  const std::set<std::string> assets = AssetPaths();
  for (const char* path : StorySceneFilePaths()) EXPECT_TRUE(assets.count(path)) << path;
  for (const char* path : {"evx/etc1.png", "evx/etc2.png", "evx/phone.wav", "evx/noise.wav", "evx/off.wav",
                           "patch/suvel_select.png", "gsx/load.png", "bin/Event.tbl", "bin/Cinema.tbl"}) {
    EXPECT_TRUE(assets.count(path)) << path;
  }
  for (const StoryScript& s : dataset::StoryScripts()) {
    EXPECT_TRUE(assets.count("evx/" + std::to_string(s.number) + ".txt")) << s.number;
  }
}

// The scripts that between them use every command word the data set's scripts use, in each
// end mode; the long program plays every script.
TEST_F(StoryDataSetPlay, ScriptsUsingEveryCommandPlayToTheirEnd) {
  std::set<std::string> commands;
  std::vector<const StoryScript*> chosen;
  for (const StoryScript& s : dataset::StoryScripts()) {
    bool adds = false;
    for (const std::string& line : Lines(s.text)) {
      adds = commands.insert(std::to_string(EndModeOf(s.number)) + line.substr(0, line.find('\t'))).second || adds;
    }
    if (adds) chosen.push_back(&s);
  }
  WriteScripts();
  for (const StoryScript* s : chosen) PlayToItsEnd(*s);
}

TEST_F(StoryDataSetPlay, TalkSceneGoldenFrame) {
  WriteAssets({"evx/oruha.png", "evx/ubana.png", "evx/etc1.png", "evx/19.txt"});
  game.gameState = STATE_EVENT_ONLY;
  game.eventPlayer.Create(19, kEndModeMission);
  ASSERT_TRUE(game.eventPlayer);
  // Run the frame loop until the first line is waiting for confirm, and one frame more.
  for (int f = 0; f < 200; ++f) {
    h_.Frame({});
    ASSERT_TRUE(game.eventPlayer);
    if (std::strcmp(game.eventPlayer->command(game.eventPlayer->currentLine()), "key_wait") == 0) break;
  }
  h_.Frame({});
  const auto& frame = h_.runtime().presenter().Last();
  EXPECT_TRUE(testing_support::MatchesGolden(STORY_GOLDEN_DIR, "talk_scene", testing_support::PresentedRgb(frame),
                                             frame.width, frame.height));
  game.eventPlayer.Delete();
}

}  // namespace
