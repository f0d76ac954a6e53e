// The first character's campaign played in a real window, by the campaign driver
// (campaign_driver.h): the game's own start, frame loop and end on the real platform (the
// SDL window, the display device or the software display, the SDL presenter, the real clock
// with the frame loop's own pacing, the SDL sound output) over the built data set in a game
// folder; only the keyboard is the harness's scripted one, its keys chosen each frame from
// the game's state after the frame before. Enemies are removed as each stage starts.
//
// Two runs, each its own process, over the same game folder:
//   FirstStage: new game from the title, the opening, the first stage cleared along its
//     planned road, the briefing with its autosave and its route choice, back to the title
//     through the briefing's system page, and the game quit from the title's menu.
//   Continue: the game started again, the saved game continued from its slot into the
//     briefing, and the stage chosen there played to the briefing after it.
// Screenshots of the window are taken with ImageMagick's import and must not be black.
//
// usage: campaign_window_run --game-dir=DIR --shots=DIR [--software-display] [gtest options]
// The X display comes from DISPLAY; campaign_window_test.sh gives it a server of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "game/shell/briefing_screen.h"
#include "game/shell/game_data.h"
#include "game/shell/game_main.h"
#include "game/shell/user_files.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/filesystem.h"
#include "platform/presenter.h"
#include "platform/window.h"
#include "runtime/api.h"
#include "runtime/core/log.h"
#include "runtime/core/random.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/display/display_state.h"
#include "tests/game/mission/campaign_driver.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/support/temp_dir.h"

namespace {

using mission_test::MissionHarness;
using mission_test::campaign::Driver;
using mission_test::campaign::Stage;
namespace key = platform::key;

std::string g_gameDir;
std::string g_shotsDir;
bool g_software = false;

constexpr int kFirstEnding = 15;
constexpr int kSaveRecordSize = 512;

// Output of a shell command, its trailing newline dropped.
std::string CommandOutput(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, p) != nullptr) out += buffer;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// A screenshot's pixels: how many there are and how many are not black.
struct ShotStats {
  long pixels = 0;
  long lit = 0;
};

// A binary PPM (P6, 8 bits) as ImageMagick writes it.
ShotStats ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maxValue = 0;
  in >> magic >> width >> height >> maxValue;
  in.get();
  ShotStats s;
  if (magic != "P6" || maxValue != 255 || width <= 0 || height <= 0) return s;
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
  if (!in) return s;
  s.pixels = static_cast<long>(width) * height;
  for (size_t i = 0; i < rgb.size(); i += 3) {
    if (rgb[i] > 16 || rgb[i + 1] > 16 || rgb[i + 2] > 16) ++s.lit;
  }
  return s;
}

// The harness's game moved onto the real platform: the headless start it made is ended,
// the window system, clock, presenter and sound output are the real ones again, the game's
// folder is the one given, and the game starts as the program starts it. Frames run the
// game's frame loop with the harness's scripted keys.
class WindowHarness : public MissionHarness {
 public:
  WindowHarness() {
    EndGame();
    mission_test::ResetGameGlobals();
    rt::GetLogState() = rt::LogState{};
    rt::GetRuntimeState() = rt::RuntimeState{};
    rt::GetWindowState().settings = rt::WindowSettings{};
    rt::ResetDisplayState();
    platform::SetWindowSystem(nullptr);
    platform::SetPresenterOverride(nullptr);
    platform::SetAudioSinkOverride(nullptr);
    platform::SetClock(nullptr);
    EXPECT_TRUE(platform::ChangeDirectory(g_gameDir)) << g_gameDir;
    if (g_software) SetSoftwareRenderRequest(1);
    started_ = StartGame() == 0;
    EXPECT_TRUE(started_) << "the game did not start";
    rt::SeedRandom(1);
    // The window system may name the new window a moment later.
    for (int i = 0; i < 100 && window_.empty(); ++i) {
      window_ = CommandOutput("xdotool search --name 'CODE:K' 2>/dev/null | head -n1");
      if (window_.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_FALSE(window_.empty()) << "no game window";
    // Keys go to the focused window, and the game waits while its window is not active.
    if (!window_.empty()) std::system(("xdotool mousemove --window " + window_ + " 400 300 windowfocus --sync " + window_).c_str());
  }

  bool started() const { return started_ && !window_.empty(); }

  // The window as it shows now, kept as shots/<name>.png; how much of it is lit.
  ShotStats Shot(const std::string& name) {
    const std::string png = g_shotsDir + "/" + name + ".png", ppm = g_shotsDir + "/" + name + ".ppm";
    const std::string command = "import -window " + window_ + " " + png + " && convert " + png + " -depth 8 ppm:" + ppm;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    ShotStats s = ReadPpm(ppm);
    std::remove(ppm.c_str());
    return s;
  }

  // The frame loop's own check at the top of a frame: false once the game asked to end.
  bool NextFrameRuns() {
    runtime().input().ReleaseAllKeys();
    return RunFrame();
  }

 private:
  bool started_ = false;
  std::string window_;
};

// At least a tenth of the window is not black. A frame whose work took too long is not
// shown (the first frames after a load, drawing new pictures), so the window may still show
// an earlier one: it gets up to 300 more frames to show the screen.
void ExpectShown(WindowHarness& h, Driver& d, const std::string& name) {
  ShotStats s;
  for (int attempt = 0; attempt < 10; ++attempt) {
    s = h.Shot(name);
    if (s.pixels > 0 && s.lit * 10 > s.pixels) return;
    for (int f = 0; f < 30; ++f) d.Frame({});
  }
  EXPECT_GT(s.pixels, 0) << name << ": no screenshot";
  EXPECT_GT(s.lit * 10, s.pixels) << name << ": the window is black (" << s.lit << " of " << s.pixels << " pixels lit)";
}

std::string ReadAll(const std::string& path) { return testing_support::ReadFileBytes(path); }

std::string SavePath(int slot) {
  char path[64];
  std::snprintf(path, sizeof path, kSavePathFormat, slot);
  return g_gameDir + "/" + path;
}

// Where the first run notes the stage its briefing chose, for the second run.
std::string ChoiceFile() { return g_shotsDir + "/chosen-stage.txt"; }

// The logo skipped with confirm, the title's menu reached.
void ToTitle(Driver& d) {
  for (int f = 0; f < 3000 && game.gameState != STATE_TITLE; ++f) {
    if (game.gameState == STATE_LOGO) {
      d.Confirm(f);
    } else {
      d.Frame({});
    }
  }
  ASSERT_EQ(game.gameState, STATE_TITLE);
  for (int f = 0; f < 30; ++f) d.Frame({});
}

void PrintRun(const Driver& d) {
  std::cout << d.stages() << " stages, " << d.frames() << " frames of the driver's own: " << d.road() << "\n  " << d.Seen()
            << "\n";
  for (const std::string& line : d.mechanicsLines()) std::cout << "  " << line << "\n";
}

// The game started in its window and played from the logo to the save-slot screen; the
// screenshots are named from `prefix`.
class CampaignWindow : public ::testing::Test {
 protected:
  void ToSaveSlots(const std::string& prefix) {
    ASSERT_TRUE(h.started());
    d.SetEnding(kFirstEnding);
    ToTitle(d);
    ASSERT_FALSE(HasFatalFailure());
    ExpectShown(h, d, prefix + "-title");
    d.OpenSaveSlots();
    ASSERT_FALSE(HasFatalFailure());
    ExpectShown(h, d, prefix + "-save-slots");
  }

  WindowHarness h;
  Driver d{h};
};

TEST_F(CampaignWindow, FirstStage) {
  ToSaveSlots("1");
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_EQ(d.StartSlot(0), STATE_EVENT_ONLY) << "a new installation starts the first story at once";

  bool stageShot = false;
  d.OnStage([&](const dataset::StageInfo&) {
    if (stageShot) return;
    stageShot = true;
    ExpectShown(h, d, "1-first-stage");
  });
  d.PlayUntil(kFirstEnding, [] { return game.gameState == STATE_BRIEFING_MAP; });
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_EQ(game.gameState, STATE_BRIEFING_MAP) << d.road();
  EXPECT_EQ(d.road(), "bin/1-1 ");
  PrintRun(d);

  // The route page's choice on the briefing, which saved the game as it opened.
  const int nodeArea = game.nextArea, nodeIndex = game.nextSubStage;
  Stage chosen;
  d.ChooseRoute(&chosen);
  ASSERT_FALSE(HasFatalFailure());
  ExpectShown(h, d, "1-briefing-route");
  std::ofstream(ChoiceFile()) << nodeArea << " " << nodeIndex << " " << chosen.area << " " << chosen.subStage << "\n";
  const std::string save = ReadAll(SavePath(1));
  ASSERT_EQ(save.size(), static_cast<size_t>(kSaveRecordSize)) << "no whole autosave record";
  EXPECT_EQ(save[0], 1) << "the autosave is not marked in use";

  // Back to the main page, the system page's second entry, and "タイトルへ戻る".
  d.Press(key::kX);
  d.WaitForPage(briefing_page::kMain);
  ASSERT_FALSE(HasFatalFailure());
  d.Press(key::kDown);
  d.Press(key::kDown);
  d.Press(key::kZ);
  d.WaitForPage(briefing_page::kSystem);
  ASSERT_FALSE(HasFatalFailure());
  d.Press(key::kDown);
  d.Press(key::kZ);
  d.WaitForPage(briefing_page::kTitleDialog);
  ASSERT_FALSE(HasFatalFailure());
  d.Press(key::kDown);
  d.Press(key::kZ);
  ToTitle(d);
  ASSERT_FALSE(HasFatalFailure());

  // The title's last entry ends the game: the frame loop's next pass does not run.
  d.Press(key::kUp);
  d.Frame({key::kZ});
  EXPECT_NE(game.quitRequested, 0);
  EXPECT_FALSE(h.NextFrameRuns());
}

TEST_F(CampaignWindow, Continue) {
  std::ifstream choice(ChoiceFile());
  int nodeArea = -1, nodeIndex = -1;
  Stage chosen{-1, -1};
  choice >> nodeArea >> nodeIndex >> chosen.area >> chosen.subStage;
  ASSERT_TRUE(choice) << "no stage chosen by the first run (" << ChoiceFile() << ")";

  ToSaveSlots("2");
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_EQ(d.StartSlot(0), STATE_BRIEFING_MAP) << "the saved game does not go on at its briefing";
  EXPECT_EQ(game.nextArea, nodeArea) << "the saved game goes on at another map node";
  EXPECT_EQ(game.nextSubStage, nodeIndex) << "the saved game goes on at another map node";

  // The stage the first briefing chose, played to the briefing after it, which saves the
  // game at the node its door leads to. (The headless campaign runs play the whole road.)
  const std::string savedBefore = ReadAll(SavePath(1));
  std::vector<std::string> stages;
  d.OnStage([&](const dataset::StageInfo& s) {
    stages.push_back(s.path);
    ExpectShown(h, d, "2-stage-" + s.path.substr(s.path.find('/') + 1));
  });
  d.PlayUntil(kFirstEnding, [] { return Driver::InStagePlay(); });
  ASSERT_FALSE(HasFatalFailure());
  d.PlayUntil(kFirstEnding, [] { return game.gameState == STATE_BRIEFING_MAP; });
  ASSERT_FALSE(HasFatalFailure());
  PrintRun(d);
  ASSERT_EQ(stages.size(), 1u) << d.road();
  const dataset::StageInfo* played = mission_test::campaign::StageAtPath(stages.front());
  ASSERT_NE(played, nullptr);
  EXPECT_EQ(played->area, chosen.area) << "the continue did not land in the stage the first briefing chose";
  EXPECT_EQ(played->index, chosen.subStage) << "the continue did not land in the stage the first briefing chose";
  ASSERT_EQ(game.gameState, STATE_BRIEFING_MAP) << d.road();
  d.WaitForPage(briefing_page::kMain);
  ASSERT_FALSE(HasFatalFailure());
  ExpectShown(h, d, "2-second-briefing");
  EXPECT_NE(ReadAll(SavePath(1)), savedBefore) << "the briefing after the chosen stage did not save";
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--game-dir=", 0) == 0) g_gameDir = std::filesystem::absolute(a.substr(11)).string();
    if (a.rfind("--shots=", 0) == 0) g_shotsDir = std::filesystem::absolute(a.substr(8)).string();
    if (a == "--software-display") g_software = true;
  }
  if (g_gameDir.empty() || g_shotsDir.empty()) {
    std::cerr << "usage: " << argv[0] << " --game-dir=DIR --shots=DIR [--software-display] [gtest options]\n";
    return 2;
  }
  return RUN_ALL_TESTS();
}
