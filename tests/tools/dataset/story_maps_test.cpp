// What the story asks of the generated maps: every event and scene of the start-up tables,
// and every fixed mission script, has its trigger on the roads of the maps its characters
// play; every hand-over from a scene puts the player on a floor inside the stage; goals that
// wait for targets are used where the target rule opens them.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/tools/dataset/map_record.h"
#include "tools/dataset/stage_maps.h"
#include "tools/dataset/stage_route.h"
#include "tools/dataset/start_tables.h"
#include "tools/dataset/story_scripts.h"

namespace {

using dataset::StageFamily;
using dataset::StageInfo;
using stage_route::Spot;
using stage_route::StageMap;
using stage_route::Target;

constexpr int kSubStages[8] = {5, 11, 9, 7, 6, 7, 8, 8};

using map_record::Code;

std::set<int> CodesIn(const std::string& record) {
  std::set<int> codes;
  for (int i = 0; i < 2700; ++i) codes.insert(static_cast<uint8_t>(record[i]));
  return codes;
}

int TableByte(const std::string& table, int area, int subStage, int byte) {
  int offset = 0;
  for (int a = 0; a < area; ++a) offset += kSubStages[a] * 2;
  return static_cast<uint8_t>(table[offset + subStage * 2 + byte]);
}

// The maps a character plays at a table entry's area and sub-stage: the story stage of the
// first two, or the third character's missions of that area (she keeps sub-stage 0).
std::vector<StageInfo> MapsAt(int character, int area, int subStage) {
  std::vector<StageInfo> maps;
  for (const StageInfo& s : dataset::BuiltInStages()) {
    const bool match = (character == dataset::kStoryFirstCharacter && s.family == StageFamily::kFirstStory) ||
                       (character == dataset::kStorySecondCharacter && s.family == StageFamily::kSecondStory)
                           ? s.area == area && s.index == subStage
                           : character == dataset::kStoryThirdCharacter && s.family == StageFamily::kThirdStory &&
                                 s.area == area && subStage == 0;
    if (match) maps.push_back(s);
  }
  return maps;
}

// Every way in (the start, each door, the given drops) to every way out passes a cell holding
// the trigger where the player stands or just above.
void ExpectOnEveryRoad(const StageInfo& stage, const std::string& record, int trigger,
                       const std::vector<dataset::Landing>& landings) {
  const StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
  stage_route::MoveGraph graph(map);
  std::vector<std::pair<Spot, int>> ways;
  if (auto start = stage_route::StartSpot(map)) ways.push_back({*start, 0});
  for (const dataset::Landing& l : landings) {
    if (auto spot = stage_route::LandingSpot(map, l.x, l.y)) ways.push_back({*spot, 0});
  }
  const std::vector<int> doors = stage_route::DoorCodes(map);
  for (int door : doors) {
    if (auto spot = stage_route::EntrySpot(map, door)) ways.push_back({*spot, door});
  }
  std::vector<Target> exits;
  for (int door : doors) exits.push_back(Target::Door(door));
  if (stage.hasGoal) exits.push_back(Target::Goal());
  for (const auto& [from, door] : ways) {
    const stage_route::Routes routes(graph, from);
    for (const Target& exit : exits) {
      if (exit.door != 0 && exit.door == door) continue;
      const std::vector<stage_route::Move> plan = routes.PlanTo(exit);
      ASSERT_FALSE(plan.empty()) << "no road from " << from.column << ", " << from.row << " to door " << exit.door;
      bool passes = false;
      std::vector<Spot> spots = {from};
      for (const stage_route::Move& m : plan) spots.push_back(m.to);
      for (const Spot& s : spots) passes = passes || Code(record, s.column, s.row) == trigger || Code(record, s.column, s.row - 1) == trigger;
      EXPECT_TRUE(passes) << "trigger " << trigger << " is not on the road from " << from.column << ", " << from.row
                          << " to " << (exit.door != 0 ? "door " + std::to_string(exit.door) : std::string("the goal"));
    }
  }
}

TEST(StoryMapsTest, EveryTableEntryHasItsTriggerOnTheRoadsOfItsCharactersMaps) {
  const std::string events = dataset::EventTable(), scenes = dataset::CinemaTable();
  int nonZero = 0;
  for (int area = 0; area < 8; ++area) {
    for (int sub = 0; sub < kSubStages[area]; ++sub) {
      for (int byte = 0; byte < 2; ++byte) nonZero += (TableByte(events, area, sub, byte) != 0) + (TableByte(scenes, area, sub, byte) != 0);
    }
  }
  int listed = 0;
  for (const dataset::StoryTableEntry& e : dataset::StoryTableEntries()) {
    SCOPED_TRACE((e.scene ? "scene " : "event ") + std::to_string(e.number));
    ASSERT_EQ(TableByte(e.scene ? scenes : events, e.area, e.subStage, e.byte), e.number);
    ASSERT_NE(e.characters, 0) << "nobody plays it";
    ++listed;
    const int trigger = (e.scene ? 17 : 15) + e.byte;
    for (int character : {dataset::kStoryFirstCharacter, dataset::kStorySecondCharacter, dataset::kStoryThirdCharacter}) {
      if ((e.characters & character) == 0) continue;
      const std::vector<StageInfo> maps = MapsAt(character, e.area, e.subStage);
      ASSERT_FALSE(maps.empty()) << "character bit " << character << " has no map there";
      for (const StageInfo& s : maps) {
        SCOPED_TRACE(s.path);
        ExpectOnEveryRoad(s, dataset::StageRecord(s), trigger, dataset::NeedsOf(s).landings);
      }
    }
  }
  EXPECT_EQ(listed, nonZero) << "a table byte that no entry names";
}

// A map holds only the triggers its character plays: the second character's last stage must
// not start the first one's ending, and no story map starts a fixed mission script.
TEST(StoryMapsTest, MapsHoldNoTriggerOfAnotherCharacter) {
  for (const StageInfo& s : dataset::BuiltInStages()) {
    SCOPED_TRACE(s.path);
    const std::set<int> codes = CodesIn(dataset::StageRecord(s));
    std::set<int> expected;
    for (int t : dataset::NeedsOf(s).triggers) expected.insert(t);
    for (int t = 15; t <= 19; ++t) EXPECT_EQ(codes.count(t), expected.count(t)) << "trigger " << t;
  }
  const auto triggersOf = [](const char* path) {
    for (const StageInfo& s : dataset::BuiltInStages()) {
      if (s.path == path) return dataset::NeedsOf(s).triggers;
    }
    return std::vector<int>{};
  };
  EXPECT_EQ(triggersOf("bin/8-8"), std::vector<int>{17});    // scene 15
  EXPECT_EQ(triggersOf("bin/m_8-8"), std::vector<int>{18});  // scene 16
}

TEST(StoryMapsTest, TheFixedScriptMissionsHoldTheScriptedTriggerOnTheirRoads) {
  std::set<int> missions;
  for (const StageInfo& s : dataset::BuiltInStages()) {
    if (s.family != StageFamily::kThirdStory) continue;
    const std::string record = dataset::StageRecord(s);
    if (CodesIn(record).count(19) == 0) continue;
    missions.insert(s.index + 1);
    SCOPED_TRACE(s.path);
    ExpectOnEveryRoad(s, record, 19, {});
  }
  EXPECT_EQ(missions, (std::set<int>{1, 8, 10, 20, 21, 24}));
}

// The hand-overs from a scene to a stage: the two openings drop the player in from above, the
// third character's and every stage's start tile and every door put the player down directly.
struct HandOver {
  const char* path;
  int x, y;  // world pixels where the scene lets the player go
};

TEST(StoryMapsTest, EveryHandOverLandsOnAFloorInsideTheStage) {
  const HandOver kDrops[] = {{"bin/1-1", 240, -100}, {"bin/m_3-5", 100, -250}};
  for (const HandOver& h : kDrops) {
    SCOPED_TRACE(h.path);
    const StageInfo* stage = nullptr;
    for (const StageInfo& s : dataset::BuiltInStages()) {
      if (s.path == h.path) stage = &s;
    }
    ASSERT_NE(stage, nullptr);
    ASSERT_EQ(dataset::NeedsOf(*stage).landings.size(), 1u);
    EXPECT_EQ(dataset::NeedsOf(*stage).landings[0].x, h.x);
    const std::string record = dataset::StageRecord(*stage);
    const StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
    const std::optional<Spot> spot = stage_route::LandingSpot(map, h.x, h.y);
    ASSERT_TRUE(spot.has_value()) << "falls out of the stage";
    EXPECT_EQ(spot->column, h.x / 40) << "pushed aside on the way down";
    EXPECT_GE(spot->row, 1) << "lands on the roof";
    EXPECT_FALSE(map.SolidOverlaps(h.x - 15, 0, h.x + 15, (spot->row + 1) * 40)) << "the shaft is closed";
    EXPECT_TRUE(map.SolidOverlaps(h.x - 15, (spot->row + 1) * 40, h.x + 15, (spot->row + 2) * 40)) << "no floor";
  }
  for (const StageInfo& s : dataset::BuiltInStages()) {
    SCOPED_TRACE(s.path);
    const std::string record = dataset::StageRecord(s);
    const StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
    std::vector<std::optional<Spot>> spots = {stage_route::StartSpot(map)};
    for (int door : stage_route::DoorCodes(map)) spots.push_back(stage_route::EntrySpot(map, door));
    for (const std::optional<Spot>& spot : spots) {
      ASSERT_TRUE(spot.has_value()) << "a way in without a floor";
      const int x = spot->WorldX();
      EXPECT_GE(spot->row, 1);
      EXPECT_LT(spot->row, 15 * s.screensY - 1) << "below the stage";
      // The player's body and the cell above the head are free.
      EXPECT_FALSE(map.SolidOverlaps(x - 15, (spot->row - 1) * 40, x + 15, (spot->row + 1) * 40))
          << "in a wall at " << spot->column << ", " << spot->row;
    }
  }
}

// The target rule opens a goal of kind 98 in the VR training and the third story: every such
// stage with targets waits, every stage without has its goal open.
TEST(StoryMapsTest, GoalsWaitForTargetsWhereTheTargetRuleOpensThem) {
  int waiting = 0;
  for (const StageInfo& s : dataset::BuiltInStages()) {
    SCOPED_TRACE(s.path);
    const std::set<int> codes = CodesIn(dataset::StageRecord(s));
    const bool targets = codes.count(20) != 0;
    const bool ruled = s.family == StageFamily::kThirdStory || s.family == StageFamily::kVr;
    if (!s.hasGoal) continue;
    EXPECT_EQ(codes.count(98), ruled && targets ? 1u : 0u);
    EXPECT_EQ(codes.count(99), ruled && targets ? 0u : 1u);
    waiting += codes.count(98) != 0;
  }
  EXPECT_GT(waiting, 0);
}

}  // namespace

// The briefing map joins the story stages: each door of a stage opens onto a map node, and
// each branch of a node starts a stage. From every story stage a road leads on to the stage
// where both endings play, so no choice on the map strands a player short of it.
TEST(StoryMapsTest, FromEveryStoryStageARoadLeadsToTheEndingsStage) {
  const std::pair<int, int> ending{7, 7};
  std::vector<std::pair<int, int>> stranded;
  for (int area = 0; area < 8; ++area) {
    for (int stage = 0; stage < kSubStages[area]; ++stage) {
      std::set<std::pair<int, int>> seen{{area, stage}};
      std::vector<std::pair<int, int>> queue{{area, stage}};
      for (size_t i = 0; i < queue.size() && !seen.count(ending); ++i) {
        for (const dataset::StageDoor& d : dataset::DoorsOf(queue[i].first, queue[i].second)) {
          for (const dataset::RouteBranch& b : dataset::BranchesOf(d.nodeArea, d.nodeIndex)) {
            if (seen.insert({b.area, b.subStage}).second) queue.push_back({b.area, b.subStage});
          }
        }
      }
      if (!seen.count(ending)) stranded.push_back({area, stage});
    }
  }
  for (const auto& [area, stage] : stranded) ADD_FAILURE() << "no road from stage " << area << "-" << stage;
}
