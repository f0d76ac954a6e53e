// Each character's campaign played headless from the title to the end: a new game, the
// opening scenes, every stage on the shortest road to the ending walked along the routes the
// data set's route finder plans (the third character's 24 missions in turn), the briefings
// and their route choices in between, the talks confirmed as a player would, the ending scene,
// the staff roll, the unlock notices and the settings file with the second story unlocked, and
// a new game that then offers the choice of character.
//
// The runs meet no enemy (they are removed when a stage is loaded: the routes are about the
// stages' geometry and the story's joins) and break the targets of the target missions when
// the stage starts, as a shot would, because the route walker has no move that shoots.
#include <algorithm>
#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/mission/enemies.h"
#include "game/mission/mission_pools.h"
#include "game/mission/player_movement.h"
#include "game/mission/stage_loader.h"
#include "game/shell/briefing_screen.h"
#include "game/shell/clear_result_panel.h"
#include "game/shell/game_data.h"
#include "game/shell/new_game_setup.h"
#include "game/shell/save_select.h"
#include "game/shell/startup_tables.h"
#include "game/shell/user_files.h"
#include "game/story/event_script.h"
#include "game/story/story_scene.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/game/mission/route_walker.h"
#include "tools/dataset/asset_list.h"
#include "tools/dataset/stage_maps.h"
#include "tools/dataset/stage_route.h"
#include "tools/dataset/story_scripts.h"

namespace {

using mission_test::MissionHarness;
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

// The story stages of the first two characters as the briefing map joins them: each door of
// a stage leads to a map node, and each branch of a node starts a stage.
class StoryRoads {
 public:
  explicit StoryRoads(Stage ending) : ending_(ending) {}

  // Stages still to play from this one to the ending, itself included; INT_MAX when the
  // ending cannot be reached.
  int StagesToEnding(Stage from) {
    auto known = memo_.find(from);
    if (known != memo_.end()) return known->second;
    std::map<Stage, int> depth{{from, 1}};
    std::vector<Stage> queue{from};
    int found = INT_MAX;
    for (size_t i = 0; i < queue.size() && found == INT_MAX; ++i) {
      const Stage s = queue[i];
      if (s == ending_) found = depth[s];
      for (const Exit& e : ExitsOf(s)) {
        for (const dataset::RouteBranch& b : dataset::BranchesOf(e.nodeArea, e.nodeIndex)) {
          const Stage next{b.area, b.subStage};
          if (depth.emplace(next, depth[s] + 1).second) queue.push_back(next);
        }
      }
    }
    return memo_[from] = found;
  }

  // The branch of a map node on the shortest road to the ending.
  std::optional<dataset::RouteBranch> BestBranch(int nodeArea, int nodeIndex) {
    std::optional<dataset::RouteBranch> best;
    int bestCount = INT_MAX;
    for (const dataset::RouteBranch& b : dataset::BranchesOf(nodeArea, nodeIndex)) {
      const int n = StagesToEnding({b.area, b.subStage});
      if (n < bestCount) best = b, bestCount = n;
    }
    return best;
  }

  // The way out of a stage on the shortest road to the ending; nothing at the ending's stage
  // or where no road is left.
  std::optional<Exit> BestExit(Stage stage) {
    if (stage == ending_) return std::nullopt;
    std::optional<Exit> best;
    int bestCount = INT_MAX;
    for (const Exit& e : ExitsOf(stage)) {
      auto b = BestBranch(e.nodeArea, e.nodeIndex);
      const int n = b ? StagesToEnding({b->area, b->subStage}) : INT_MAX;
      if (n < bestCount) best = e, bestCount = n;
    }
    return best;
  }

 private:
  std::vector<Exit> ExitsOf(Stage s) const {
    std::vector<Exit> exits;
    for (const dataset::StageDoor& d : dataset::DoorsOf(s.area, s.subStage)) exits.push_back({d.code, d.nodeArea, d.nodeIndex});
    return exits;
  }

  Stage ending_;
  std::map<Stage, int> memo_;
};

// The keys of the briefing's route page that choose a branch: the shortest sequence of
// direction presses after which the page shows that stage with that door byte.
std::vector<int> RouteKeys(int nodeArea, int nodeIndex, const dataset::RouteBranch& branch) {
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

const dataset::StageInfo* StageAtPath(const std::string& path) {
  for (const dataset::StageInfo& s : dataset::BuiltInStages()) {
    if (s.path == path) return &s;
  }
  return nullptr;
}

struct CampaignCase {
  int character;
  int endingScene;
};

class CampaignLongTest : public ::testing::TestWithParam<CampaignCase> {
 protected:
  void SetUp() override {
    for (const dataset::AssetEntry& e : dataset::AssetList()) {
      if (e.format == dataset::AssetFormat::kTable) h_.WriteData(e.path, e.table());
    }
    ReadDoorTable();
    ReadEventTable();
    ReadCinemaTable();
  }

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

  // Title, save-slot screen, slot `slot` (0-based) started; the state the start leads to.
  int StartNewGame(int slot) {
    game.gameState = STATE_TITLE;
    game.screenEntered = 0;
    game.menuCursor = 0;
    Frame({});
    Frame({});
    Press(key::kZ);
    EXPECT_EQ(game.gameState, STATE_SAVE_SELECT);
    for (int f = 0; f < 100 && game.saveSelect && game.saveSelect->phase() != SaveSelect::kChooseSlot; ++f) Frame({});
    for (int i = 0; i < slot; ++i) Press(key::kDown);
    Press(key::kZ);  // the slot
    Press(key::kZ);  // start
    for (int f = 0; f < 100 && game.gameState == STATE_SAVE_SELECT; ++f) Frame({});
    return game.gameState;
  }

  // The new-game setup: the character chosen, costume and difficulty as offered, Start.
  void ChooseCharacter(int character) {
    for (int f = 0; f < 40 && !(game.newGameSetup && game.newGameSetup->step() == 1); ++f) Frame({});
    ASSERT_TRUE(game.newGameSetup);
    for (int i = 0; i < character; ++i) Press(key::kRight);
    for (int i = 0; i < 4; ++i) Press(key::kZ);  // character, costume, difficulty, Start
    for (int f = 0; f < 100 && game.gameState == STATE_NEW_GAME_SETUP; ++f) Frame({});
  }

  // Confirms through the talks and in-mission scenes that run, then lets the player come to
  // rest on a cell's centre; false when the player could not.
  bool ThroughTalks(const std::optional<sr::Move>& interrupted) {
    // A landing or a pose may start a talk of its own once it has played out.
    for (int round = 0; round < 4; ++round) {
      for (int f = 0; f < 20000 && TalkRuns(); ++f) Confirm(f);
      if (TalkRuns() || EndingRuns() || !InStagePlay()) return true;
      for (int f = 0; f < 300 && !(mission_test::Standing() && player.action == 0) && !TalkRuns(); ++f) Frame({});
      if (!TalkRuns()) break;
    }
    // A talk on a ladder leaves the player standing on it, between two cells: the climb goes on
    // to its end.
    const bool climb = interrupted && (interrupted->kind == sr::MoveKind::kClimbUp || interrupted->kind == sr::MoveKind::kClimbDown);
    if (climb && InStagePlay() && !EndingRuns()) {
      std::string why;
      if (!mission_test::Walker(h_).Play(*interrupted, why)) return false;
    }
    const int x = mission_test::WorldX();
    const int centre = (x / sr::kCellSize) * sr::kCellSize + sr::kCellSize / 2;
    if (x == centre) return mission_test::Standing();
    sr::Move m;
    m.kind = sr::MoveKind::kWalk;
    m.direction = centre < x ? -1 : 1;
    m.targetX = centre;
    std::string why;
    return mission_test::Walker(h_).Play(m, why);
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
    mission_test::Walker walker(h_);
    std::optional<sr::Move> interrupted;
    for (int attempt = 0; attempt < 12; ++attempt) {
      if (!ThroughTalks(interrupted)) break;
      if (EndingRuns() || !InStagePlay()) return;
      const sr::Spot from{mission_test::WorldX() / sr::kCellSize, (player.y - game.scrollY + 38) / sr::kCellSize - 1};
      const std::vector<sr::Move> plan = sr::Routes(graph, from).PlanTo(target);
      ASSERT_FALSE(plan.empty()) << stage.path << ": no road from column " << from.column << ", row " << from.row << " to door "
                                 << target.door << " (climbing " << int(player.climbing) << ", standing " << mission_test::Standing()
                                 << ", action " << int(player.action) << ", y " << player.y << ")";
      interrupted.reset();
      for (const sr::Move& m : plan) {
        std::string why;
        const bool played = walker.Play(m, why);
        // The goal touched on the way (the result panel follows) ends the stage as well.
        if (player.action == kActionGoal || player.action == kActionResultShown || player.action == kActionResultFade) return;
        if (TalkRuns() || EndingRuns() || !InStagePlay()) {
          interrupted = m;
          break;
        }
        ASSERT_TRUE(played) << stage.path << ": " << sr::Describe(m) << ": " << why << " (world " << mission_test::WorldX()
                            << ", " << player.y - game.scrollY << "; y " << player.y << ", scroll " << game.scrollX << ", "
                            << game.scrollY << ", action " << int(player.action) << ", life " << player.life << ", paused "
                            << int(game.paused) << ", alert " << game.alertCountdown << ", door " << int(player.touchingDoor) << ")";
        if (m.kind == sr::MoveKind::kEnterDoor || m.kind == sr::MoveKind::kTouchGoal) return;
      }
      if (!interrupted) break;
    }
    FAIL() << stage.path << ": the stage was not left (world " << mission_test::WorldX() << ", " << player.y - game.scrollY << ")";
  }

  // A stage just loaded: no enemies, targets broken; then the walk to the way out.
  void PlayStage(StoryRoads& roads) {
    char path[64];
    StageFilePath(path, sizeof path);
    const dataset::StageInfo* stage = StageAtPath(path);
    ASSERT_NE(stage, nullptr) << path;
    road_ << path << " ";
    // No enemy sees the first frames, which start the stage's opening scene if it has one.
    ResetEnemies();
    Frame({});
    Frame({});
    for (int i = 0; i < game.mapObjectCount && i < kMapObjectSlots; ++i) {
      if (pools.mapObjects[i].kind == kTargetKind && pools.mapObjects[i].active == 1) pools.mapObjects[i].active = 2;
    }
    sr::Target target = sr::Target::Goal();
    std::optional<Exit> exit;
    bool toEnding = false;
    if (!stage->hasGoal) {
      exit = roads.BestExit({game.area, game.subStage});
      if (exit) {
        target = sr::Target::Door(exit->door);
      } else {
        // The ending's stage: the road leads to its scene trigger.
        toEnding = true;
      }
    }
    CrossStage(*stage, target, toEnding);
    if (HasFatalFailure() || !exit || player.action != player_action::kDoorExit) return;
    EXPECT_EQ(game.nextArea, exit->nodeArea) << path << ": door " << exit->door;
    EXPECT_EQ(game.nextSubStage, exit->nodeIndex) << path << ": door " << exit->door;
  }

  // The briefing map after a story stage: the main page's first entry opens the route page,
  // where the branch on the shortest road is chosen and started.
  void ChooseNextStage(StoryRoads& roads) {
    auto open = [](int page) { return game.screenTimer == page && game.screenEntered == briefing_phase::kOpen; };
    for (int f = 0; f < 300 && !open(briefing_page::kMain); ++f) Frame({});
    ASSERT_TRUE(open(briefing_page::kMain));
    Frame({});
    Press(key::kZ);
    for (int f = 0; f < 300 && !open(briefing_page::kRoute); ++f) Frame({});
    ASSERT_TRUE(open(briefing_page::kRoute));
    Frame({});
    const auto branch = roads.BestBranch(game.nextArea, game.nextSubStage);
    ASSERT_TRUE(branch) << "no road on from node " << int(game.nextArea) << ", " << int(game.nextSubStage);
    const std::vector<int> keys = RouteKeys(game.nextArea, game.nextSubStage, *branch);
    ASSERT_FALSE(keys.empty()) << "the route page does not offer stage " << branch->area << ", " << branch->subStage;
    for (int k : keys) Press(k);
    Press(key::kZ);
    for (int f = 0; f < 100 && game.gameState == STATE_BRIEFING_MAP; ++f) Frame({});
  }

  std::string Seen() const {
    std::ostringstream out;
    out << "scenes";
    for (int s : scenes_) out << " " << s;
    out << "; scripts";
    for (int s : scripts_) out << " " << s;
    return out.str();
  }

  MissionHarness h_;
  std::set<int> scenes_, scripts_;
  std::ostringstream road_;
  long frames_ = 0;
};

TEST_P(CampaignLongTest, NewGameToTheEndingAndTheCharacterChoice) {
  const CampaignCase& c = GetParam();
  // The first story is played from a new installation; the others once it has unlocked them.
  game.prefsFile[settings_byte::kSecondStoryUnlocked] = c.character == 0 ? 0 : 1;
  const int started = StartNewGame(0);
  if (c.character == 0) {
    ASSERT_EQ(started, STATE_EVENT_ONLY) << "a new installation starts the first story at once";
  } else {
    ASSERT_EQ(started, STATE_NEW_GAME_SETUP);
    ChooseCharacter(c.character);
    ASSERT_EQ(game.gameState, STATE_EVENT_ONLY);
  }
  ASSERT_EQ(game.character, c.character);

  Stage ending{7, 7};
  for (const dataset::StoryTableEntry& e : dataset::StoryTableEntries()) {
    if (e.scene && e.number == c.endingScene) ending = {e.area, e.subStage};
  }
  StoryRoads roads(ending);
  int stages = 0;
  bool wasPlaying = false;
  for (int guard = 0; guard < 2000000 && !EndingRuns() && game.gameState != STATE_ENDING_START; ++guard) {
    if (InStagePlay() && !wasPlaying) {
      ++stages;
      ASSERT_LE(stages, 40) << "the road goes round: " << road_.str();
      PlayStage(roads);
      if (HasFatalFailure()) return;
      wasPlaying = true;
      continue;
    }
    wasPlaying = InStagePlay();
    if (game.gameState == STATE_BRIEFING_MAP) {
      ChooseNextStage(roads);
      if (HasFatalFailure()) return;
      continue;
    }
    ASSERT_NE(game.gameState, STATE_FILE_ERROR) << road_.str();
    ASSERT_NE(game.gameState, STATE_TITLE) << "back at the title: " << road_.str();
    Confirm(guard);
  }
  ASSERT_TRUE(EndingRuns() || game.gameState == STATE_ENDING_START) << road_.str();
  EXPECT_TRUE(scenes_.count(c.endingScene)) << Seen();

  // The ending scene, the staff roll and the notices, confirm pressed throughout.
  bool staffRoll = false, notice = false;
  for (int f = 0; f < 60000 && game.gameState != STATE_TITLE; ++f) {
    staffRoll = staffRoll || (game.storyScene && game.storyScene->scene() == 0);
    notice = notice || game.gameState == STATE_UNLOCK_NOTICE;
    Confirm(f);
  }
  ASSERT_EQ(game.gameState, STATE_TITLE) << "the ending did not lead back to the title: state " << game.gameState;
  EXPECT_TRUE(staffRoll);
  EXPECT_TRUE(notice);
  EXPECT_NE(game.prefsFile[settings_byte::kSecondStoryUnlocked], 0);
  std::ifstream in(h_.File(kSettingsPath), std::ios::binary);
  const std::string settings((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(settings.size(), static_cast<size_t>(settings_byte::kSecondStoryUnlocked));
  EXPECT_NE(settings[settings_byte::kSecondStoryUnlocked], 0) << "the unlock was written";

  std::cout << "character " << c.character << ": " << stages << " stages, " << frames_ << " frames: " << road_.str() << "\n  "
            << Seen() << "\n";

  // The next new game, in the second slot, offers the choice of character.
  EXPECT_EQ(StartNewGame(1), STATE_NEW_GAME_SETUP);
}

INSTANTIATE_TEST_SUITE_P(Characters, CampaignLongTest,
                         ::testing::Values(CampaignCase{0, 15}, CampaignCase{1, 16}, CampaignCase{2, 140}),
                         [](const auto& info) { return "Character" + std::to_string(info.param.character); });

}  // namespace
