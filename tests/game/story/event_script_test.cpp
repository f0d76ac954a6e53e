#include "game/story/event_script.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "game/mission/player.h"
#include "game/shell/game_data.h"
#include "game/story/story_scene.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/game/story/story_fixture.h"

namespace {

using story_test::RunScriptToEnd;
using story_test::ScriptText;
using story_test::WriteScript;

struct SplitCase {
  const char* name;
  std::string line;
  std::string command;
  std::string argument;
};

TEST(ScriptLineSplit, TabsAndLimits) {
  const std::string longCommand(40, 'c');
  const std::string longArgument(300, 'a');
  const SplitCase cases[] = {
      {"one tab", "talk_1\tこんにちは", "talk_1", "こんにちは"},
      {"run of tabs", "talk_1\t\t\tabc", "talk_1", "abc"},
      {"leading tab", "\tface_1\t笑顔", "face_1", "笑顔"},
      {"no argument", "end", "end", ""},
      {"third piece ignored", "set_se\tevx/a.wav\textra", "set_se", "evx/a.wav"},
      {"empty line", "", "", ""},
      {"only tabs", "\t\t", "", ""},
      {"line end not kept", "end\r\n", "end", ""},
      {"long command cut to its slot", longCommand + "\tx", std::string(31, 'c'), "x"},
      {"long argument cut to its slot", "talk_1\t" + longArgument, "talk_1", std::string(255, 'a')},
  };
  for (const SplitCase& c : cases) {
    char command[kScriptCommandBytes];
    char argument[kScriptArgumentBytes];
    std::memset(command, 'X', sizeof command);
    std::memset(argument, 'X', sizeof argument);
    SplitScriptLine(c.line.c_str(), command, argument);
    EXPECT_EQ(std::string(command), c.command) << c.name;
    EXPECT_EQ(std::string(argument), c.argument) << c.name;
  }
}

TEST(ScriptNumbers, LeadingDigitsOnly) {
  EXPECT_EQ(ScriptNumber("12"), 12);
  EXPECT_EQ(ScriptNumber("7abc"), 7);
  EXPECT_EQ(ScriptNumber("abc"), 0);
  EXPECT_EQ(ScriptNumber(""), 0);
  EXPECT_EQ(ScriptNumber("-3"), 0);
}

TEST(ScriptWindowStyle, ByScriptNumber) {
  const std::pair<int, int> cases[] = {{1, 1},   {2, 1},   {3, 0},   {4, 1},   {5, 0},   {6, 1},   {9, 1},
                                       {10, 0},  {19, 0},  {71, 0},  {100, 0}, {101, 1}, {109, 1}, {110, 0},
                                       {139, 0}, {140, 1}, {141, 1}, {255, 1}};
  for (const auto& [number, light] : cases) EXPECT_EQ(IsLightWindowScript(number), light) << number;
}

TEST(ScriptFaces, WordsToFaces) {
  EXPECT_EQ(TalkFace("笑顔"), 1);
  EXPECT_EQ(TalkFace("驚き"), 2);
  EXPECT_EQ(TalkFace("悩み"), 3);
  EXPECT_EQ(TalkFace("怒り"), 4);
  EXPECT_EQ(TalkFace("通常"), 0);
  EXPECT_EQ(TalkFace("ムッツリ"), 0);
  EXPECT_EQ(DotFace(1, "まんじゅう"), 4);
  EXPECT_EQ(DotFace(0, "まんじゅう"), -1);
  EXPECT_EQ(DotFace(4, "リュネラ"), 2);
  EXPECT_EQ(DotFace(3, "笑顔"), 2);
}

class EventScriptTest : public ::testing::Test {
 protected:
  mission_test::MissionHarness h_;

  EventScript& Start(int number, const std::string& text, int endMode = kEndModeMission) {
    WriteScript(h_, number, text);
    game.eventPlayer.Create(number, endMode);
    return *game.eventPlayer.get();
  }
  void Step(int frames = 1, int confirm = 0) {
    for (int i = 0; i < frames && game.eventPlayer; ++i) {
      game.action[1] = static_cast<uint8_t>(confirm);
      game.eventPlayer.Update(0);
    }
  }
};

struct CommandCase {
  const char* name;
  std::vector<const char*> lines;
  std::function<void()> setUp;
  std::function<void()> check;
};

TEST_F(EventScriptTest, CommandsChangeThePlayersState) {
  const CommandCase cases[] = {
      {"get_bullet on a weapon not owned", {"get_bullet\t3"}, [] { player.weapons[3] = kNotOwned; },
       [] { EXPECT_EQ(player.weapons[3], 1); }},
      {"get_bullet adds one", {"get_bullet\t3"}, [] { player.weapons[3] = 5; }, [] { EXPECT_EQ(player.weapons[3], 6); }},
      {"del_bullet of the last", {"del_bullet\t3"}, [] { player.weapons[3] = 0; },
       [] { EXPECT_EQ(player.weapons[3], kNotOwned); }},
      {"get_ammo", {"get_ammo\t2"}, [] { player.items[2] = kNotOwned; }, [] { EXPECT_EQ(player.items[2], 1); }},
      {"del_ammo", {"del_ammo\t2"}, [] { player.items[2] = 4; }, [] { EXPECT_EQ(player.items[2], 3); }},
      {"get_gadget", {"get_gadget\t4"}, [] { player.gadgets[4] = kNotOwned; }, [] { EXPECT_EQ(player.gadgets[4], 1); }},
      {"del_gadget of the selected last unit",
       {"del_gadget\t4"},
       [] {
         player.gadgets[4] = 1;
         player.selectedGadget = 4;
       },
       [] {
         EXPECT_EQ(player.gadgets[4], kNotOwned);
         EXPECT_EQ(player.selectedGadget, 0);
       }},
      {"del_gadget keeps another selection",
       {"del_gadget\t4"},
       [] {
         player.gadgets[4] = 2;
         player.selectedGadget = 3;
       },
       [] {
         EXPECT_EQ(player.gadgets[4], 1);
         EXPECT_EQ(player.selectedGadget, 3);
       }},
      {"get_item", {"get_item\t200"}, [] { game.checkpoint[200] = 7; }, [] { EXPECT_EQ(game.checkpoint[200], 8); }},
      {"del_item wraps in 8 bits", {"del_item\t0"}, [] { game.checkpoint[0] = 0; }, [] { EXPECT_EQ(game.checkpoint[0], 255); }},
      {"set_target_st", {"set_target_st\t3"}, [] {}, [] { EXPECT_EQ(game.checkpoint[498], 2); }},
      {"set_target_num", {"set_target_num\t1"}, [] {}, [] { EXPECT_EQ(game.checkpoint[499], 0); }},
      {"weapon count past the table is clamped", {"get_bullet\t99"}, [] { player.weapons[19] = 2; },
       [] { EXPECT_EQ(player.weapons[19], 3); }},
      {"item count past the table is clamped", {"get_ammo\t50"}, [] { player.items[9] = 2; },
       [] { EXPECT_EQ(player.items[9], 3); }},
      {"gadget count past the table is clamped", {"del_gadget\t1000"}, [] { player.gadgets[19] = 3; },
       [] { EXPECT_EQ(player.gadgets[19], 2); }},
      {"checkpoint byte past the record is clamped", {"get_item\t9999"}, [] { game.checkpoint[511] = 1; },
       [] { EXPECT_EQ(game.checkpoint[511], 2); }},
      {"several in one script", {"get_ammo\t0", "get_ammo\t0", "get_gadget\t2"},
       [] {
         player.items[0] = 1;
         player.gadgets[2] = kNotOwned;
       },
       [] {
         EXPECT_EQ(player.items[0], 3);
         EXPECT_EQ(player.gadgets[2], 1);
       }},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.name);
    c.setUp();
    std::string text;
    for (const char* l : c.lines) text += std::string(l) + "\r\n";
    text += "end\r\n";
    game.paused = 1;
    Start(50, text);
    EXPECT_EQ(RunScriptToEnd(), static_cast<int>(c.lines.size()) + 1) << "every one of them acts at once";
    c.check();
    EXPECT_EQ(game.paused, 0);
  }
}

TEST_F(EventScriptTest, FocusSlotOutsideTheTwoIsClamped) {
  EventScript& s = Start(50, ScriptText({"char_forcus_on\t7", "char_forcus_on\t0", "wait"}));
  Step(2);
  EXPECT_EQ(s.focus(1), 1);
  EXPECT_EQ(s.focus(0), 1);
}

TEST_F(EventScriptTest, TextLinesFadeAndWaitForConfirm) {
  EventScript& s = Start(50, ScriptText({"talk_1\tひとつめ", "talk_2\tふたつめ", "key_wait", "talk_1\tみっつめ", "wait"}));
  Step(1);
  EXPECT_EQ(s.textAlpha(0), 255) << "the first line shows at once";
  EXPECT_EQ(s.currentLine(), 1);
  Step(1);
  EXPECT_EQ(s.currentLine(), 2);
  EXPECT_STREQ(s.textLine(0), "ひとつめ") << "talk_2 keeps line 1";
  EXPECT_STREQ(s.textLine(1), "ふたつめ");
  Step(30);
  EXPECT_EQ(s.currentLine(), 2) << "key_wait holds without confirm";
  Step(1, 1);
  int frames = 1;
  while (s.currentLine() == 2 && frames < 100) {
    Step(1);
    ++frames;
  }
  EXPECT_EQ(frames, 16) << "both lines fade out over 16 frames";
  EXPECT_LE(s.textAlpha(0), 20);
  Step(1);
  EXPECT_STREQ(s.textLine(1), "") << "talk_1 clears line 2";
  EXPECT_STREQ(s.textLine(0), "みっつめ");
  int fadeIn = 1;
  while (s.currentLine() == 3 && fadeIn < 100) {
    Step(1);
    ++fadeIn;
  }
  EXPECT_EQ(fadeIn, 15) << "a later line fades in over 15 frames";
}

TEST_F(EventScriptTest, WindowAndPortraitSlides) {
  EventScript& s = Start(50, ScriptText({"window_load", "window_on", "char1_on", "char2_on", "gra_change\t2", "char_all_off",
                                         "window_off", "wait"}));
  Step(1);
  auto framesOfLine = [&](int line) {
    int n = 0;
    while (s.currentLine() == line && n < 200) {
      Step(1);
      ++n;
    }
    return n;
  };
  EXPECT_EQ(framesOfLine(1), 12);
  EXPECT_EQ(s.windowAlpha(), 255);
  EXPECT_EQ(s.windowShown(), 1);
  EXPECT_EQ(framesOfLine(2), 21);
  EXPECT_EQ(s.slotX(0), 20);
  EXPECT_EQ(framesOfLine(3), 20);
  EXPECT_EQ(s.slotX(1), 430);
  framesOfLine(4);
  EXPECT_EQ(s.alternate(1), 1) << "the right portrait swapped while off screen";
  EXPECT_LT(s.slotX(1), 420);
  framesOfLine(5);
  EXPECT_LT(s.slotX(0), -400);
  EXPECT_EQ(framesOfLine(6), 13);
  EXPECT_EQ(s.windowShown(), 0);
}

TEST_F(EventScriptTest, EndModes) {
  game.paused = 1;
  game.alertCountdown = 300;
  Start(50, ScriptText({"end"}), kEndModeMission);
  EXPECT_EQ(RunScriptToEnd(), 1);
  EXPECT_EQ(game.paused, 0) << "the mission goes on, its alert still running";
  EXPECT_EQ(game.alertCountdown, 300);

  game.screenTimer = 4;
  Start(71, ScriptText({"end"}), kEndModeBriefing);
  EXPECT_EQ(RunScriptToEnd(), 1);
  EXPECT_EQ(game.screenTimer, 5) << "the briefing moves on";

  game.storyScene.Create(1);
  const int step = game.storyScene->step();
  Start(1, ScriptText({"end"}), kEndModeStoryScene);
  game.eventPlayer.Update(0);
  EXPECT_FALSE(game.eventPlayer);
  EXPECT_EQ(game.storyScene->step(), step + 1) << "exactly one step on";
  game.storyScene.Delete();
}

TEST_F(EventScriptTest, DotFacesAndStorySceneEndWithoutASceneDoNothing) {
  ASSERT_FALSE(game.storyScene);
  Start(2, ScriptText({"dot_face_oruha\t笑顔", "dot_face_tevani\tまんじゅう", "dot_face_pirel\t知らない顔", "end"}),
        kEndModeStoryScene);
  EXPECT_EQ(RunScriptToEnd(), 4);
}

TEST_F(EventScriptTest, DotFacesReachTheStoryScene) {
  game.character = 2;
  game.storyScene.Create(101);
  Start(102, ScriptText({"dot_face_suvel\t驚き", "dot_face_dunami\t笑顔", "dot_face_pirel\tリュネラ", "dot_face_suvel\tないもの", "wait"}),
        kEndModeStoryScene);
  Step(5);
  EXPECT_EQ(game.storyScene->dotFace(0), 1);
  EXPECT_EQ(game.storyScene->dotFace(1), 2);
  EXPECT_EQ(game.storyScene->dotFace(2), 2);
  EXPECT_EQ(game.eventPlayer->currentLine(), 4) << "an unknown word still moves on";
  game.eventPlayer.Delete();
  game.storyScene.Delete();
}

TEST_F(EventScriptTest, AMissingScriptEndsAtOnceAndReleasesThePause) {
  game.paused = 1;
  testing::internal::CaptureStderr();
  game.eventPlayer.Create(77, kEndModeMission);
  EXPECT_EQ(RunScriptToEnd(), 1);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("evx/77.txt"), std::string::npos) << log;
  EXPECT_EQ(game.paused, 0);
}

TEST_F(EventScriptTest, RunningPastTheLastLineEndsAsEndDoes) {
  std::string full;
  for (int i = 0; i < 256; ++i) full += "fade\r\n";
  const struct {
    const char* name;
    std::string text;
  } cases[] = {{"empty", ""}, {"cut short", ScriptText({"fade", "set_back"})}, {"every line used", full}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    game.paused = 1;
    testing::internal::CaptureStderr();
    Start(60, c.text, kEndModeMission);
    EXPECT_GE(RunScriptToEnd(), 1);
    const std::string log = testing::internal::GetCapturedStderr();
    const size_t at = log.find("evx/60.txt");
    EXPECT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find("evx/60.txt", at + 1), std::string::npos) << "one line: " << log;
    EXPECT_EQ(game.paused, 0) << "the mission goes on";
  }
}

TEST_F(EventScriptTest, LoadingKeepsAtMost256LinesAndSplitsLongLines) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "fade\r\n";
  EventScript& s = Start(50, text);
  EXPECT_EQ(s.lineCount(), 256);

  std::string longLine = "talk_1\t" + std::string(300, 'a') + "\r\nend\r\n";
  EventScript& t = Start(51, longLine);
  EXPECT_EQ(t.lineCount(), 3) << "a line longer than the buffer continues as the next";
  EXPECT_STREQ(t.command(2), "end");

  EventScript& u = Start(52, "fade\nend\r\n\r\nend\r\n");
  EXPECT_EQ(u.lineCount(), 3) << "only CR LF ends a line";
  EXPECT_STREQ(u.command(0), "fade");
  EXPECT_STREQ(u.command(1), "") << "an empty line holds no command";
  EXPECT_STREQ(u.command(2), "end");
  game.eventPlayer.Delete();
}

TEST_F(EventScriptTest, UnknownWordsAndWaitHold) {
  EventScript& s = Start(50, ScriptText({"nonsense\t1", "end"}));
  Step(50, 1);
  EXPECT_EQ(s.currentLine(), 0);
  game.eventPlayer.Delete();
}

TEST_F(EventScriptTest, ConnectOffWithoutAConnectionEnds) {
  Start(71, ScriptText({"connect_off", "end"}));
  EXPECT_EQ(RunScriptToEnd(), 2);
}

TEST_F(EventScriptTest, RadioCallFillsItsGaugeIn12Frames) {
  EventScript& s = Start(71, ScriptText({"load_char_1\tevx/dunami_mini.png", "connect_on", "wait"}));
  Step(1);
  EXPECT_EQ(s.portraitKind(0), 6);
  int n = 0;
  while (s.currentLine() == 1 && n < 100) {
    Step(1);
    ++n;
  }
  EXPECT_EQ(n, 12);
  EXPECT_EQ(s.connectionGauge(), 120);
  game.eventPlayer.Delete();
}

TEST_F(EventScriptTest, ThirdCharactersPanelLeavesTheSharedGraphSlotAlone) {
  game.character = 2;
  game.graphs[84] = 4321;
  Start(71, ScriptText({"end"}));
  game.eventPlayer.Delete();
  EXPECT_EQ(game.graphs[84], 4321);
}

TEST_F(EventScriptTest, PortraitKindsByPath) {
  EventScript& s = Start(50, ScriptText({"load_char_1\tevx/tevani.png", "load_char_2\tevx/suvel.png", "load_char_3\tevx/vos.png",
                                         "load_char_4\tevx/dunami_mini.png", "wait"}));
  Step(4);
  EXPECT_EQ(s.portraitKind(0), 1);
  EXPECT_EQ(s.portraitKind(1), 5);
  EXPECT_EQ(s.portraitKind(2), 3);
  EXPECT_EQ(s.portraitKind(3), 0) << "the call panel is only for the first two entries";
  game.eventPlayer.Delete();
}

}  // namespace
