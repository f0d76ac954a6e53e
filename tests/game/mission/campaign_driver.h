// Plays the story campaign as a player would, frame by frame, reading the game's state after
// every frame: the title and the save-slot screen, the talks and scenes confirmed, every stage
// walked along the road the data set's route finder plans (tools/dataset/stage_route.h) to the
// door on the shortest road to the character's ending, and the briefings' route choices.
// Shared by the headless campaign runs and the run in a real window; the harness it is given
// decides what runs the frames.
//
// The runs meet no enemy (they are removed when a stage is loaded: the routes are about the
// stages' geometry and the story's joins) and break the targets of the target missions when
// the stage starts, as a shot would, because the route walker has no move that shoots.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/mission/enemies.h"
#include "game/mission/map_objects.h"
#include "game/mission/mission_pools.h"
#include "game/mission/player_movement.h"
#include "game/mission/stage_loader.h"
#include "game/shell/briefing_screen.h"
#include "game/shell/clear_result_panel.h"
#include "game/shell/game_data.h"
#include "game/shell/new_game_setup.h"
#include "game/shell/save_select.h"
#include "game/shell/startup_tables.h"
#include "game/story/event_script.h"
#include "game/story/story_scene.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/game/mission/route_walker.h"
#include "tools/dataset/stage_maps.h"
#include "tools/dataset/stage_route.h"
#include "tools/dataset/story_scripts.h"

namespace mission_test {

namespace campaign {

namespace sr = stage_route;
namespace key = platform::key;

constexpr int kTargetKind = 20;

struct Stage {
  int area = 0, subStage = 0;
  bool operator<(const Stage& o) const { return area != o.area ? area < o.area : subStage < o.subStage; }
  bool operator==(const Stage& o) const { return area == o.area && subStage == o.subStage; }
};

// A way out of a story stage: the door and the map node it leads to.
struct Exit {
  int door = 0;
  int nodeArea = 0, nodeIndex = 0;
};

// The shortest roads to the character's ending stage, as the briefing map joins the stages.
class StoryRoads {
 public:
  explicit StoryRoads(Stage ending) : roads_(ending.area, ending.subStage) {}

  // The branch of a map node on the shortest road to the ending.
  std::optional<dataset::RouteBranch> BestBranch(int nodeArea, int nodeIndex) {
    dataset::RouteBranch b;
    if (!roads_.BestBranch(nodeArea, nodeIndex, &b)) return std::nullopt;
    return b;
  }

  // The way out of a stage on the shortest road to the ending; nothing at the ending's stage
  // or where no road is left.
  std::optional<Exit> BestExit(Stage stage) {
    dataset::StageDoor d;
    if (!roads_.BestExit(stage.area, stage.subStage, &d)) return std::nullopt;
    return Exit{d.code, d.nodeArea, d.nodeIndex};
  }

 private:
  dataset::StoryRoads roads_;
};

// The stage where a character's ending scene starts.
inline Stage EndingStage(int endingScene) {
  Stage ending{7, 7};
  for (const dataset::StoryTableEntry& e : dataset::StoryTableEntries()) {
    if (e.scene && e.number == endingScene) ending = {e.area, e.subStage};
  }
  return ending;
}

// The keys of the briefing's route page that choose a branch: the shortest sequence of
// direction presses after which the page shows that stage with that door byte.
inline std::vector<int> RouteKeys(int nodeArea, int nodeIndex, const dataset::RouteBranch& branch) {
  struct Try {
    int column, row;
    std::vector<int> keys;
  };
  const std::pair<RouteKey, int> kKeys[] = {
      {RouteKey::kLeft, key::kLeft}, {RouteKey::kRight, key::kRight}, {RouteKey::kUp, key::kUp}, {RouteKey::kDown, key::kDown}};
  std::vector<Try> tries{{0, 0, {}}};
  for (size_t i = 0; i < tries.size() && tries[i].keys.size() < 4; ++i) {
    for (const auto& [routeKey, k] : kKeys) {
      RouteChoice c;
      if (!ChooseRoute(nodeArea, nodeIndex, routeKey, tries[i].column, tries[i].row, &c)) continue;
      std::vector<int> keys = tries[i].keys;
      keys.push_back(k);
      if (c.area == branch.area && c.subStage == branch.subStage && RouteDoorByte(c.column, c.row) == branch.doorByte) {
        return keys;
      }
      tries.push_back({c.column, c.row, keys});
    }
  }
  return {};
}

inline const dataset::StageInfo* StageAtPath(const std::string& path) {
  for (const dataset::StageInfo& s : dataset::BuiltInStages()) {
    if (s.path == path) return &s;
  }
  return nullptr;
}

// The map mechanics a stage holds, by the kinds of their map objects.
struct Mechanic {
  const char* name;
  int firstKind, lastKind;
};
inline constexpr Mechanic kMechanics[] = {
    {"shutter", 58, 58},     {"numbered shutter", 66, 74}, {"shutter key", 177, 177}, {"numbered key", 181, 189},
    {"conveyor", 75, 76},    {"jump pad", 83, 85},         {"crumbling", 59, 60},     {"pitfall", 61, 62},
    {"duct", 86, 88},        {"glass", 82, 82},            {"breakable", 89, 90},     {"burnable", 92, 92},
    {"noisy block", 91, 91}, {"electric block", 77, 77},   {"vanishing", 79, 81},     {"terminal", 11, 11},
    {"control panel", 10, 10},
};

inline const char* MechanicName(int kind) {
  for (const Mechanic& m : kMechanics) {
    if (kind >= m.firstKind && kind <= m.lastKind) return m.name;
  }
  return nullptr;
}

// The mechanics a player meets on the road through a stage: those whose box came within a
// cell of the player's body, or lay across the stretch a move carried the player over.
class MechanicsSeen {
 public:
  // The stage just loaded: what it holds.
  void Start(const std::string& path) {
    path_ = path;
    inStage_.clear();
    met_.clear();
    for (int i = 0; i < game.mapObjectCount && i < kMapObjectSlots; ++i) {
      const MapObject& o = pools.mapObjects[i];
      if (o.active != 0 && MechanicName(o.kind) != nullptr) inStage_.insert(MechanicName(o.kind));
    }
  }

  // The player's body box now (screen pixels) and where it was before the last move.
  void Note(const int before[4], int beforeScrollX, int beforeScrollY) {
    constexpr int kReach = 40;
    // The stretch in world pixels: from the box before the move to the box after it.
    const int left = std::min(before[0] + beforeScrollX, player.bodyBox[0] + game.scrollX) - kReach;
    const int right = std::max(before[1] + beforeScrollX, player.bodyBox[1] + game.scrollX) + kReach;
    const int top = std::min(before[2] - beforeScrollY, player.bodyBox[2] - game.scrollY) - kReach;
    const int bottom = std::max(before[3] - beforeScrollY, player.bodyBox[3] - game.scrollY) + kReach;
    for (int i = 0; i < game.mapObjectCount && i < kMapObjectSlots; ++i) {
      const MapObject& o = pools.mapObjects[i];
      const char* name = MechanicName(o.kind);
      if (name == nullptr || o.active == 0) continue;
      // Objects without a box of their own (items, keys) fill their cell.
      const bool boxless = o.boxRight <= o.boxLeft || o.boxBottom <= o.boxTop;
      const int ol = o.x + (boxless ? 0 : o.boxLeft), or_ = o.x + (boxless ? sr::kCellSize : o.boxRight);
      const int ot = o.y + (boxless ? 0 : o.boxTop), ob = o.y + (boxless ? sr::kCellSize : o.boxBottom);
      if (Overlaps(ol, or_, ot, ob, left, right, top, bottom)) met_.insert(name);
    }
  }

  // "bin/1-1: met shutter, conveyor; off the road: duct", or "... no mechanics" when it
  // holds none.
  std::string Line() const {
    std::ostringstream out;
    out << path_ << ":";
    if (inStage_.empty()) return out.str() + " no mechanics";
    out << " met";
    const char* sep = " ";
    for (const std::string& n : met_) out << sep << n, sep = ", ";
    if (met_.empty()) out << " none";
    std::vector<std::string> off;
    std::set_difference(inStage_.begin(), inStage_.end(), met_.begin(), met_.end(), std::back_inserter(off));
    if (!off.empty()) {
      out << "; off the road:";
      sep = " ";
      for (const std::string& n : off) out << sep << n, sep = ", ";
    }
    return out.str();
  }

  const std::set<std::string>& met() const { return met_; }

 private:
  std::string path_;
  std::set<std::string> inStage_, met_;
};

// Plays the campaign through the harness's frames.
class Driver {
 public:
  explicit Driver(MissionHarness& h) : h_(h) {}

  // One frame, noting which scenes and talks play.
  void Frame(const std::vector<int>& keys) {
    h_.Frame(keys);
    if (game.storyScene) scenes_.insert(game.storyScene->scene());
    if (game.eventPlayer) scripts_.insert(game.eventPlayer->scriptNumber());
    ++frames_;
  }
  void Press(int k) {
    Frame({k});
    Frame({});
  }
  // Confirm pressed every other frame, as a player moves talks on.
  void Confirm(int frame) { Frame(frame % 2 == 0 ? std::vector<int>{key::kZ} : std::vector<int>{}); }

  static bool EndingRuns() {
    return game.storyScene && (game.storyScene->scene() == 15 || game.storyScene->scene() == 16 || game.storyScene->scene() == 140);
  }
  static bool TalkRuns() { return game.eventPlayer || (game.storyScene && !EndingRuns()); }
  static bool InStagePlay() { return game.gameState == STATE_STAGE_PLAY || game.gameState == STATE_STAGE_PLAY_MODE; }

  // Waits on the title for its menu, then confirms its first entry: the save-slot screen
  // with its slots read.
  void OpenSaveSlots() {
    for (int f = 0; f < 3000 && game.gameState != STATE_TITLE; ++f) Frame({});
    ASSERT_EQ(game.gameState, STATE_TITLE);
    Frame({});
    Frame({});
    Press(key::kZ);
    ASSERT_EQ(game.gameState, STATE_SAVE_SELECT);
    for (int f = 0; f < 100 && game.saveSelect && game.saveSelect->phase() != SaveSelect::kChooseSlot; ++f) Frame({});
    ASSERT_TRUE(game.saveSelect && game.saveSelect->phase() == SaveSelect::kChooseSlot);
  }

  // Slot `slot` (0-based) of the save-slot screen chosen and started (a new game in an empty
  // slot, the saved game in a used one); the state the start leads to.
  int StartSlot(int slot) {
    for (int i = 0; i < slot; ++i) Press(key::kDown);
    Press(key::kZ);  // the slot
    Press(key::kZ);  // start
    for (int f = 0; f < 100 && game.gameState == STATE_SAVE_SELECT; ++f) Frame({});
    return game.gameState;
  }

  // From the title: the save-slot screen, slot `slot` started; the state the start leads to.
  int StartFromTitle(int slot) {
    OpenSaveSlots();
    if (::testing::Test::HasFatalFailure()) return game.gameState;
    return StartSlot(slot);
  }

  // The new-game setup: the character chosen, costume and difficulty as offered, Start.
  void ChooseCharacter(int character) {
    for (int f = 0; f < 40 && !(game.newGameSetup && game.newGameSetup->step() == 1); ++f) Frame({});
    ASSERT_TRUE(game.newGameSetup);
    for (int i = 0; i < character; ++i) Press(key::kRight);
    for (int i = 0; i < 4; ++i) Press(key::kZ);  // character, costume, difficulty, Start
    for (int f = 0; f < 100 && game.gameState == STATE_NEW_GAME_SETUP; ++f) Frame({});
  }

  // Plays on along the road to the ending scene `endingScene`: talks confirmed, stages
  // walked, the briefings' route choices made, until `done` holds (checked between frames
  // and before each stage and briefing) or the ending starts.
  void PlayUntil(int endingScene, const std::function<bool()>& done) {
    SetEnding(endingScene);
    for (int guard = 0; guard < 2000000 && !EndingRuns() && game.gameState != STATE_ENDING_START; ++guard) {
      if (done()) return;
      if (InStagePlay() && !wasPlaying_) {
        ++stages_;
        ASSERT_LE(stages_, 40) << "the road goes round: " << road_.str();
        PlayStage();
        if (::testing::Test::HasFatalFailure()) return;
        wasPlaying_ = true;
        continue;
      }
      wasPlaying_ = InStagePlay();
      if (game.gameState == STATE_BRIEFING_MAP) {
        ChooseNextStage();
        if (::testing::Test::HasFatalFailure()) return;
        continue;
      }
      ASSERT_NE(game.gameState, STATE_FILE_ERROR) << road_.str();
      ASSERT_NE(game.gameState, STATE_TITLE) << "back at the title: " << road_.str();
      Confirm(guard);
    }
  }

  // The roads lead to the character's ending scene `endingScene`.
  void SetEnding(int endingScene) {
    if (!roads_ || ending_ != endingScene) roads_.emplace(EndingStage(endingScene)), ending_ = endingScene;
  }

  // The briefing map's page `page` open and taking keys.
  static bool PageOpen(int page) { return game.screenTimer == page && game.screenEntered == briefing_phase::kOpen; }
  void WaitForPage(int page) {
    for (int f = 0; f < 300 && !PageOpen(page); ++f) Frame({});
    ASSERT_TRUE(PageOpen(page)) << "briefing page " << page << " did not open (page " << game.screenTimer << ", phase "
                                << game.screenEntered << ")";
    Frame({});
  }

  // On the briefing map's main page: the route page opened and the branch on the shortest
  // road chosen on it, not yet started; `chosen` is the stage it leads to.
  void ChooseRoute(Stage* chosen) {
    ASSERT_TRUE(roads_) << "no ending set";
    WaitForPage(briefing_page::kMain);
    if (::testing::Test::HasFatalFailure()) return;
    Press(key::kZ);
    WaitForPage(briefing_page::kRoute);
    if (::testing::Test::HasFatalFailure()) return;
    const auto branch = roads_->BestBranch(game.nextArea, game.nextSubStage);
    ASSERT_TRUE(branch) << "no road on from node " << int(game.nextArea) << ", " << int(game.nextSubStage);
    const std::vector<int> keys = RouteKeys(game.nextArea, game.nextSubStage, *branch);
    ASSERT_FALSE(keys.empty()) << "the route page does not offer stage " << branch->area << ", " << branch->subStage;
    for (int k : keys) Press(k);
    ASSERT_EQ(game.area, branch->area);
    ASSERT_EQ(game.subStage, branch->subStage);
    *chosen = {branch->area, branch->subStage};
  }

  // The briefing map after a story stage: the branch on the shortest road chosen and started.
  void ChooseNextStage() {
    Stage chosen;
    ChooseRoute(&chosen);
    if (::testing::Test::HasFatalFailure()) return;
    Press(key::kZ);
    for (int f = 0; f < 100 && game.gameState == STATE_BRIEFING_MAP; ++f) Frame({});
  }

  // Confirms through the talks and in-mission scenes that run, then lets the player come to
  // rest on a cell's centre; false when the player could not.
  bool ThroughTalks(const std::optional<sr::Move>& interrupted) {
    // A landing or a pose may start a talk of its own once it has played out.
    for (int round = 0; round < 4; ++round) {
      for (int f = 0; f < 20000 && TalkRuns(); ++f) Confirm(f);
      if (TalkRuns() || EndingRuns() || !InStagePlay()) return true;
      for (int f = 0; f < 300 && !(Standing() && player.action == 0) && !TalkRuns(); ++f) Frame({});
      if (!TalkRuns()) break;
    }
    // A talk on a ladder leaves the player standing on it, between two cells: the climb goes on
    // to its end.
    const bool climb = interrupted && (interrupted->kind == sr::MoveKind::kClimbUp || interrupted->kind == sr::MoveKind::kClimbDown);
    if (climb && InStagePlay() && !EndingRuns()) {
      std::string why;
      if (!Walker(h_).Play(*interrupted, why)) return false;
    }
    const int x = WorldX();
    const int centre = (x / sr::kCellSize) * sr::kCellSize + sr::kCellSize / 2;
    if (x == centre) return Standing();
    sr::Move m;
    m.kind = sr::MoveKind::kWalk;
    m.direction = centre < x ? -1 : 1;
    m.targetX = centre;
    std::string why;
    return Walker(h_).Play(m, why);
  }

  // Walks the stage that was just loaded to the target; talks on the way are confirmed and
  // the road planned again from where the player stands after them. Returns when the stage
  // is left, the ending starts, or the walk failed (the failure is reported).
  // `toSceneTrigger`: the road leads to the stage's scene triggers instead (the ending's stage,
  // whose only door may be the one the player came in by), planned as if they were a door of
  // a code the stage does not use: a door is touched from its own cell as a trigger is, so the
  // scene starts before the walk would go through it.
  void CrossStage(const dataset::StageInfo& stage, sr::Target target, bool toSceneTrigger = false) {
    std::string record = dataset::StageRecord(stage);
    if (toSceneTrigger) {
      const sr::StageMap real(reinterpret_cast<const uint8_t*>(record.data()));
      const std::vector<int> used = sr::DoorCodes(real);
      int code = 1;
      while (std::find(used.begin(), used.end(), code) != used.end()) ++code;
      ASSERT_LE(code, 9) << stage.path << ": no door code left for the scene trigger";
      for (int i = 0; i < 2700; ++i) {
        const int cell = static_cast<uint8_t>(record[i]);
        if (cell == 17 || cell == 18) record[i] = static_cast<char>(code);
      }
      target = sr::Target::Door(code);
    }
    const sr::StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
    sr::MoveGraph graph(map);
    Walker walker(h_);
    std::optional<sr::Move> interrupted;
    for (int attempt = 0; attempt < 12; ++attempt) {
      if (!ThroughTalks(interrupted)) break;
      if (EndingRuns() || !InStagePlay()) return;
      const sr::Spot from{WorldX() / sr::kCellSize, (player.y - game.scrollY + 38) / sr::kCellSize - 1};
      const std::vector<sr::Move> plan = sr::Routes(graph, from).PlanTo(target);
      ASSERT_FALSE(plan.empty()) << stage.path << ": no road from column " << from.column << ", row " << from.row << " to door "
                                 << target.door << " (climbing " << int(player.climbing) << ", standing " << Standing()
                                 << ", action " << int(player.action) << ", y " << player.y << ")";
      interrupted.reset();
      for (const sr::Move& m : plan) {
        int before[4];
        std::copy(player.bodyBox, player.bodyBox + 4, before);
        const int scrollX = game.scrollX, scrollY = game.scrollY;
        std::string why;
        const bool played = walker.Play(m, why);
        mechanics_.Note(before, scrollX, scrollY);
        // The goal touched on the way (the result panel follows) ends the stage as well.
        if (player.action == kActionGoal || player.action == kActionResultShown || player.action == kActionResultFade) return;
        if (TalkRuns() || EndingRuns() || !InStagePlay()) {
          interrupted = m;
          break;
        }
        ASSERT_TRUE(played) << stage.path << ": " << sr::Describe(m) << ": " << why << " (world " << WorldX() << ", "
                            << player.y - game.scrollY << "; y " << player.y << ", scroll " << game.scrollX << ", "
                            << game.scrollY << ", action " << int(player.action) << ", life " << player.life << ", paused "
                            << int(game.paused) << ", alert " << game.alertCountdown << ", door " << int(player.touchingDoor)
                            << ")";
        if (m.kind == sr::MoveKind::kEnterDoor || m.kind == sr::MoveKind::kTouchGoal) return;
      }
      if (!interrupted) break;
    }
    FAIL() << stage.path << ": the stage was not left (world " << WorldX() << ", " << player.y - game.scrollY << ")";
  }

  // A stage just loaded: no enemies, targets broken; then the walk to the way out.
  void PlayStage() {
    char path[64];
    StageFilePath(path, sizeof path);
    const dataset::StageInfo* stage = StageAtPath(path);
    ASSERT_NE(stage, nullptr) << path;
    road_ << path << " ";
    // No enemy sees the first frames, which start the stage's opening scene if it has one.
    ResetEnemies();
    Frame({});
    Frame({});
    if (onStage_) onStage_(*stage);
    for (int i = 0; i < game.mapObjectCount && i < kMapObjectSlots; ++i) {
      if (pools.mapObjects[i].kind == kTargetKind && pools.mapObjects[i].active == 1) pools.mapObjects[i].active = 2;
    }
    mechanics_.Start(path);
    sr::Target target = sr::Target::Goal();
    std::optional<Exit> exit;
    bool toEnding = false;
    if (!stage->hasGoal) {
      exit = roads_->BestExit({game.area, game.subStage});
      if (exit) {
        target = sr::Target::Door(exit->door);
      } else {
        // The ending's stage: the road leads to its scene trigger.
        toEnding = true;
      }
    }
    // Frame by frame, so that what a move passes on its way (a pipe crawled above the floors
    // it starts and ends on) counts as well.
    h_.AfterEachFrame([this] { mechanics_.Note(player.bodyBox, game.scrollX, game.scrollY); });
    CrossStage(*stage, target, toEnding);
    h_.AfterEachFrame(nullptr);
    mechanicsLines_.push_back(mechanics_.Line());
    if (::testing::Test::HasFatalFailure() || !exit || player.action != player_action::kDoorExit) return;
    EXPECT_EQ(game.nextArea, exit->nodeArea) << path << ": door " << exit->door;
    EXPECT_EQ(game.nextSubStage, exit->nodeIndex) << path << ": door " << exit->door;
  }

  std::string Seen() const {
    std::ostringstream out;
    out << "scenes";
    for (int s : scenes_) out << " " << s;
    out << "; scripts";
    for (int s : scripts_) out << " " << s;
    return out.str();
  }

  // Called as each stage starts (its enemies gone), before the walk.
  void OnStage(std::function<void(const dataset::StageInfo&)> f) { onStage_ = std::move(f); }

  const std::set<int>& scenes() const { return scenes_; }
  std::string road() const { return road_.str(); }
  int stages() const { return stages_; }
  long frames() const { return frames_; }
  // One line per stage walked: the mechanics met on its road and those off it.
  const std::vector<std::string>& mechanicsLines() const { return mechanicsLines_; }

 private:
  MissionHarness& h_;
  std::optional<StoryRoads> roads_;
  int ending_ = 0;
  std::set<int> scenes_, scripts_;
  std::ostringstream road_;
  int stages_ = 0;
  long frames_ = 0;
  bool wasPlaying_ = false;
  MechanicsSeen mechanics_;
  std::vector<std::string> mechanicsLines_;
  std::function<void(const dataset::StageInfo&)> onStage_;
};

}  // namespace campaign

}  // namespace mission_test
