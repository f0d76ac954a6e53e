// The built-in stage maps: the records the loader reads, the door table that routes the
// briefing map to their doors, and the route check: from the start and from every door a
// player can come in by, every door and the goal can be reached with the game's movement.
#include "tools/dataset/stage_maps.h"
#include "tools/dataset/room_designs.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/tools/dataset/map_record.h"
#include "tools/dataset/asset_list.h"
#include "tools/dataset/stage_route.h"
#include "tools/dataset/stage_watch.h"
#include "tools/dataset/start_tables.h"

namespace dataset {
void PrintTo(StageFamily family, std::ostream* os) { *os << "family " << static_cast<int>(family); }
}  // namespace dataset

namespace {

using dataset::StageFamily;
using dataset::StageInfo;
using stage_route::Spot;
using stage_route::StageMap;
using stage_route::Target;

const StageInfo* FindStage(StageFamily family, int area, int index) {
  for (const StageInfo& s : dataset::BuiltInStages()) {
    if (s.family == family && s.area == area && s.index == index) return &s;
  }
  return nullptr;
}

using map_record::Code;

TEST(StageMapsTest, EveryStageTheLoaderNamesIsListedOnceWithASizeOfOneToThreeScreens) {
  std::set<std::string> paths;
  std::set<std::pair<int, int>> sizesByFamily[4];
  for (const StageInfo& s : dataset::BuiltInStages()) {
    EXPECT_TRUE(paths.insert(s.path).second) << s.path;
    sizesByFamily[static_cast<int>(s.family)].insert({s.screensX, s.screensY});
  }
  EXPECT_EQ(paths.size(), 61u + 61u + 24u + 30u);
  for (const char* path : {"bin/1-5", "bin/2-11", "bin/3-9", "bin/4-7", "bin/5-6", "bin/6-7", "bin/7-8", "bin/8-8",
                           "bin/m_1-1", "bin/m_8-8", "bin/k_1-1", "bin/k_1-24", "bin/vr_1-10", "bin/vr_2-10",
                           "bin/vr_3-5", "bin/vr_4-5"}) {
    EXPECT_EQ(paths.count(path), 1u) << path;
  }
  EXPECT_EQ(paths.count("bin/1-6"), 0u);
  EXPECT_EQ(paths.count("bin/vr_3-6"), 0u);
  // Every family has stages of all nine sizes, for the walk tests by size.
  for (const auto& sizes : sizesByFamily) EXPECT_EQ(sizes.size(), 9u);
}

TEST(StageMapsTest, RecordsHoldTheLayoutTheLoaderReads) {
  for (const StageInfo& s : dataset::BuiltInStages()) {
    SCOPED_TRACE(s.path);
    const std::string record = dataset::StageRecord(s);
    ASSERT_EQ(record.size(), 3000u);
    EXPECT_EQ(record, dataset::StageRecord(s)) << "not the same bytes twice";
    EXPECT_EQ(record[2920], s.screensX);
    EXPECT_EQ(record[2921], s.screensY);
    EXPECT_LE(static_cast<uint8_t>(record[2922]), 7);
    EXPECT_LE(static_cast<uint8_t>(record[2926]), 2);
    int starts = 0, goals = 0, lights = 0, hidingPlaces = 0, ladders = 0;
    for (int row = 0; row < 45; ++row) {
      for (int column = 0; column < 60; ++column) {
        const int code = Code(record, column, row);
        if (code != 0 && (column >= 20 * s.screensX || row >= 15 * s.screensY)) {
          ADD_FAILURE() << "tile " << code << " outside the stage at " << column << ", " << row;
        }
        starts += code >= 95 && code <= 97;
        goals += code == 99 || code == 98;
        lights += code >= 190 && code <= 200;
        hidingPlaces += code == 64;
        ladders += code == 65;
        if (code > 200) {
          ASSERT_LE(code, 220) << "no enemy record for tile " << code;
          const int kind = static_cast<uint8_t>(record[2720 + 10 * (code - 201)]);
          EXPECT_TRUE(kind >= 1 && kind <= 18) << "enemy record " << code - 201 << " of kind " << kind;
        }
      }
    }
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(goals, s.hasGoal ? 1 : 0);
    EXPECT_LE(lights, 40) << "more lights than the decor pool holds";
    EXPECT_GT(lights, 0);
    EXPECT_GT(hidingPlaces, 0);
    EXPECT_GT(ladders, 0);
    const int startCode = s.family == StageFamily::kSecondStory ? 96 : s.family == StageFamily::kThirdStory ? 97 : 95;
    bool startFound = false;
    for (int i = 0; i < 2700; ++i) startFound = startFound || static_cast<uint8_t>(record[i]) == startCode;
    EXPECT_TRUE(startFound) << "the start tile names another character";
  }
}

// The briefing enters the stage of each branch at the door code of the table byte; that door
// must exist there and lead back to the same map node, for both characters' stages.
TEST(StageMapsTest, DoorTableAndStageDoorsAgree) {
  const std::string table = dataset::DoorTable();
  ASSERT_EQ(static_cast<int>(table.size()), dataset::kDoorTableBytes);
  static const int kNodes[8] = {5, 8, 7, 10, 6, 6, 5, 7};
  int offset = 0;
  std::set<std::pair<int, int>> entered;
  for (int area = 0; area < 8; ++area) {
    for (int node = 0; node < kNodes[area]; ++node, offset += 5) {
      for (const dataset::RouteBranch& b : dataset::BranchesOf(area, node)) {
        const int code = static_cast<uint8_t>(table[offset + b.doorByte]);
        ASSERT_TRUE(code >= 1 && code <= 9) << "node " << area << "/" << node << " byte " << b.doorByte;
        entered.insert({b.area, b.subStage});
        for (StageFamily family : {StageFamily::kFirstStory, StageFamily::kSecondStory}) {
          const StageInfo* stage = FindStage(family, b.area, b.subStage);
          ASSERT_NE(stage, nullptr);
          SCOPED_TRACE(stage->path);
          const std::string record = dataset::StageRecord(*stage);
          bool present = false;
          for (int i = 0; i < 2700; ++i) present = present || static_cast<uint8_t>(record[i]) == code;
          EXPECT_TRUE(present) << "door " << code << " missing";
          EXPECT_EQ(record[2700 + 2 * (code - 1)], area + 1);
          EXPECT_EQ(record[2701 + 2 * (code - 1)], node + 1);
        }
      }
    }
  }
  // Every door of a story stage is one the route map knows (or the way on into the next
  // area's first node), and every stage has a way in.
  for (const StageInfo& s : dataset::BuiltInStages()) {
    if (s.family != StageFamily::kFirstStory) continue;
    const std::string record = dataset::StageRecord(s);
    const StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
    for (int code : stage_route::DoorCodes(map)) {
      const int area = record[2700 + 2 * (code - 1)] - 1, node = record[2701 + 2 * (code - 1)] - 1;
      bool named = false;
      for (const dataset::RouteBranch& b : dataset::BranchesOf(area, node)) {
        named = named || (b.area == s.area && b.subStage == s.index);
      }
      const bool intoNextArea = area == s.area + 1 && node == 0;
      EXPECT_TRUE(named || intoNextArea) << s.path << " door " << code;
    }
    EXPECT_TRUE(entered.count({s.area, s.index}) == 1 || (s.area == 0 && s.index == 0)) << s.path << " cannot be entered";
  }
}

TEST(StageMapsTest, BranchesFollowTheRouteKeys) {
  // Area 0, node 3: left to stage 1-4, right splits 21 into area 2, stage 1.
  const std::vector<dataset::RouteBranch> n03 = dataset::BranchesOf(0, 3);
  ASSERT_EQ(n03.size(), 2u);
  EXPECT_EQ(std::make_pair(n03[0].area, n03[0].subStage), std::make_pair(0, 3));
  EXPECT_EQ(std::make_pair(n03[1].area, n03[1].subStage), std::make_pair(1, 0));
  // Up and down nodes use bytes 0 and 2; the third row of a six-way node shares byte 4.
  const std::vector<dataset::RouteBranch> n30 = dataset::BranchesOf(3, 0);
  ASSERT_EQ(n30.size(), 2u);
  EXPECT_EQ(n30[1].doorByte, 2);
  const std::vector<dataset::RouteBranch> n60 = dataset::BranchesOf(6, 0);
  ASSERT_EQ(n60.size(), 4u);
  EXPECT_EQ(n60[2].doorByte, 4);
  EXPECT_EQ(n60[3].doorByte, 4);
  EXPECT_EQ(n60[3].subStage, 3);
  EXPECT_TRUE(dataset::BranchesOf(3, 7).empty()) << "map rooms beyond the route's nodes lead nowhere";
}

std::string FamilyName(StageFamily family) {
  switch (family) {
    case StageFamily::kFirstStory: return "FirstStory";
    case StageFamily::kSecondStory: return "SecondStory";
    case StageFamily::kThirdStory: return "ThirdStory";
    case StageFamily::kVr: return "Vr";
  }
  return "Unknown";
}

// The route check, one test per family so that they run side by side.
class RouteCheck : public ::testing::TestWithParam<StageFamily> {};

TEST_P(RouteCheck, EveryDoorAndGoalIsReachableFromEveryWayIn) {
  int checked = 0;
  for (const StageInfo& s : dataset::BuiltInStages()) {
    if (s.family != GetParam()) continue;
    SCOPED_TRACE(s.path);
    // Cells that a standing guard or an always-on beam watches at all times are closed:
    // every way out must be reachable without crossing them.
    const std::string record = stage_route::BlockWatchedCells(dataset::StageRecord(s));
    const StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
    std::vector<Spot> waysIn;
    const std::optional<Spot> start = stage_route::StartSpot(map);
    ASSERT_TRUE(start.has_value()) << "the start tile does not rest on a floor";
    waysIn.push_back(*start);
    const std::vector<int> doors = stage_route::DoorCodes(map);
    for (int door : doors) {
      const std::optional<Spot> entry = stage_route::EntrySpot(map, door);
      ASSERT_TRUE(entry.has_value()) << "door " << door << " has no floor below it";
      waysIn.push_back(*entry);
    }
    stage_route::MoveGraph graph(map);
    for (const Spot& from : waysIn) {
      const stage_route::Routes routes(graph, from);
      for (int door : doors) {
        EXPECT_TRUE(routes.Reaches(Target::Door(door))) << "door " << door << " from " << from.column << ", " << from.row;
      }
      if (s.hasGoal) {
        EXPECT_TRUE(routes.Reaches(Target::Goal())) << "goal from " << from.column << ", " << from.row;
      }
    }
    // No way out lies on a straight walk from the start: the stage must be crossed.
    const std::string plain = dataset::StageRecord(s);
    const StageMap plainMap(reinterpret_cast<const uint8_t*>(plain.data()));
    for (int door : doors) EXPECT_FALSE(stage_route::ReachableInStraightWalk(plainMap, Target::Door(door))) << "door " << door;
    if (s.hasGoal) {
      EXPECT_FALSE(stage_route::ReachableInStraightWalk(plainMap, Target::Goal())) << "goal";
    }
    EXPECT_TRUE(s.hasGoal || !doors.empty()) << "no way out";
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(Stages, RouteCheck,
                         ::testing::Values(StageFamily::kFirstStory, StageFamily::kSecondStory,
                                           StageFamily::kThirdStory, StageFamily::kVr),
                         [](const ::testing::TestParamInfo<StageFamily>& info) { return FamilyName(info.param); });

// ---- What the stages hold ----

// Every tile code of every built-in stage, with the stages that hold it.
const std::map<int, std::vector<std::string>>& CodesPlaced() {
  static const std::map<int, std::vector<std::string>> codes = [] {
    std::map<int, std::vector<std::string>> placed;
    for (const StageInfo& s : dataset::BuiltInStages()) {
      const std::string record = dataset::StageRecord(s);
      std::set<int> seen;
      for (int i = 0; i < 2700; ++i) seen.insert(static_cast<uint8_t>(record[i]));
      for (int code : seen) placed[code].push_back(s.path);
    }
    return placed;
  }();
  return codes;
}

TEST(StageContentsTest, EveryMapObjectKindAndEveryItemIsPlacedSomewhere) {
  struct Kinds {
    const char* what;
    int first, last;
  };
  // The kinds a stage grid can hold and the game creates: doors come from the route map, the
  // start tiles and triggers from the story (their own checks); 12..14, 63, 78, 93, 94 and
  // story objects 130, 131, 136..139 are never created by the loader or have no behaviour.
  const Kinds kKinds[] = {
      {"control panel", 10, 11},     {"target", 20, 20},           {"spikes", 21, 24},
      {"blocks", 25, 29},            {"ledges", 30, 34},           {"long and tall blocks", 35, 46},
      {"containers", 47, 55},        {"fenced blocks", 56, 57},    {"shutter", 58, 58},
      {"crumbling blocks", 59, 60},  {"pitfalls", 61, 62},         {"hiding space", 64, 65},
      {"numbered shutters", 66, 74}, {"conveyors", 75, 76},        {"electric block", 77, 77},
      {"vanishing blocks", 79, 81},  {"glass", 82, 82},            {"jump pads", 83, 85},
      {"pipes", 86, 88},             {"breakable blocks", 89, 90}, {"noisy block", 91, 91},
      {"burnable block", 92, 92},    {"goals", 98, 99},            {"decoration", 100, 120},
      {"story objects", 132, 135},   {"items", 141, 189},          {"lights", 190, 191},
  };
  for (const Kinds& k : kKinds) {
    for (int code = k.first; code <= k.last; ++code) {
      EXPECT_EQ(CodesPlaced().count(code), 1u) << k.what << ": tile " << code << " is in no stage";
    }
  }
}

// A shutter opens only for its key, and a terminal switches off the machines of its stage.
TEST(StageContentsTest, EveryShutterHasItsKeyAndEveryTerminalAMachineOnItsScreen) {
  int shutters = 0, terminals = 0;
  for (const StageInfo& s : dataset::BuiltInStages()) {
    SCOPED_TRACE(s.path);
    const std::string record = dataset::StageRecord(s);
    std::set<int> codes;
    for (int i = 0; i < 2700; ++i) codes.insert(static_cast<uint8_t>(record[i]));
    if (codes.count(58) != 0) {
      EXPECT_EQ(codes.count(177), 1u) << "shutter without its key";
      ++shutters;
    }
    for (int kind = 66; kind <= 74; ++kind) {
      if (codes.count(kind) == 0) continue;
      EXPECT_EQ(codes.count(kind + 115), 1u) << "shutter " << kind << " without its item";
      ++shutters;
    }
    for (int row = 0; row < 45; ++row) {
      for (int column = 0; column < 60; ++column) {
        if (Code(record, column, row) != 11) continue;
        ++terminals;
        bool machine = false;
        for (int r = 0; r < 45; ++r) {
          for (int c = column / 20 * 20; c < column / 20 * 20 + 20; ++c) {
            const int code = Code(record, c, r);
            const int kind = code > 200 ? static_cast<uint8_t>(record[2720 + 10 * (code - 201)]) : 0;
            machine = machine || (kind >= 3 && kind <= 11 && std::abs(r - row) <= 10);
          }
        }
        EXPECT_TRUE(machine) << "terminal at " << column << ", " << row << " switches nothing off near it";
      }
    }
  }
  EXPECT_GT(shutters, 0);
  EXPECT_GT(terminals, 0);
}

// A new player meets the ship's mechanics over the first two areas of the first story.
TEST(StageContentsTest, TheFirstTwoAreasShowEveryKindOfMechanism) {
  const auto inFirstAreas = [](std::initializer_list<int> codes) {
    for (const StageInfo& s : dataset::BuiltInStages()) {
      if (s.family != StageFamily::kFirstStory || s.area > 1) continue;
      const std::string record = dataset::StageRecord(s);
      for (int i = 0; i < 2700; ++i) {
        if (std::find(codes.begin(), codes.end(), static_cast<uint8_t>(record[i])) != codes.end()) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(inFirstAreas({58})) << "a shutter";
  EXPECT_TRUE(inFirstAreas({177})) << "the shutter key";
  EXPECT_TRUE(inFirstAreas({75, 76, 83, 84, 85})) << "a conveyor or a spring";
  EXPECT_TRUE(inFirstAreas({59, 60, 61, 62})) << "a crumbling floor or a pitfall";
  EXPECT_TRUE(inFirstAreas({86, 87, 88})) << "a pipe";
  EXPECT_TRUE(inFirstAreas({82, 89, 90})) << "glass or a breakable wall";
  EXPECT_TRUE(inFirstAreas({11})) << "a terminal";
}

// The duct is a way through: its pipe is crawled over the pit under it, from either side.
TEST(StageContentsTest, TheDuctIsCrossedByCrawlingItsPipe) {
  const dataset::RoomPiece* duct = dataset::FindRoomPiece("duct crawl");
  ASSERT_NE(duct, nullptr);
  for (const dataset::RoomPiece& piece : {*duct, dataset::Mirrored(*duct)}) {
    // A walled room with the piece's floor as its floor, the start left and the goal right.
    std::vector<uint8_t> record(stage_route::kRecordBytes, 0);
    record[2920] = record[2921] = 1;
    const int floor = 14, top = floor - piece.Height() + 1;
    for (int c = 0; c < 20; ++c) record[floor * 60 + c] = record[(top - 1) * 60 + c] = 25;
    for (int r = top; r < floor; ++r) record[r * 60] = record[r * 60 + 19] = 25;
    for (int r = 0; r < piece.Height(); ++r) {
      for (int c = 0; c < piece.Width(); ++c) {
        static const std::map<char, int> kCodes = {{'.', 0}, {'#', 25}, {'S', 21}, {'{', 86}, {'-', 87}, {'}', 88}};
        const char ch = piece.rows[static_cast<size_t>(r)][static_cast<size_t>(c)];
        ASSERT_EQ(kCodes.count(ch), 1u) << ch;
        record[static_cast<size_t>((top + r) * 60 + 4 + c)] = static_cast<uint8_t>(kCodes.at(ch));
      }
    }
    record[13 * 60 + 1] = 95;
    record[13 * 60 + 17] = 99;
    const stage_route::StageMap map(record.data());
    const std::vector<stage_route::Move> plan = stage_route::PlanFromStart(map, stage_route::Target::Goal());
    EXPECT_NE(stage_route::MetOnPlan(plan) & stage_route::kMetPipe, 0u) << "planned " << plan.size() << " moves";
  }
}

// A ledge is somewhere to stand: never right under a ceiling, whatever height of floor its
// room was fitted to.
TEST(StageContentsTest, EveryLedgeHasRoomToStandOn) {
  for (const StageInfo& s : dataset::BuiltInStages()) {
    const std::string record = dataset::StageRecord(s);
    const stage_route::StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
    for (int row = 2; row < 45; ++row) {
      for (int column = 0; column < 60; ++column) {
        const int code = Code(record, column, row);
        if (code < 30 || code > 34) continue;
        const int top = row * 40;
        EXPECT_FALSE(map.SolidOverlaps(column * 40, top - 80, column * 40 + 40, top))
            << s.path << ": ledge at " << column << ", " << row << " under a block";
      }
    }
  }
}

// What the enemy records say, stage by stage.
struct Placed {
  std::string path;
  int column, row;
  const uint8_t* e;  // the ten bytes of its record
};

std::vector<Placed> EnemiesOf(const std::string& path, const std::string& record) {
  std::vector<Placed> enemies;
  for (int row = 0; row < 45; ++row) {
    for (int column = 0; column < 60; ++column) {
      const int code = Code(record, column, row);
      if (code > 200 && code <= 220) {
        enemies.push_back({path, column, row, reinterpret_cast<const uint8_t*>(record.data()) + 2720 + 10 * (code - 201)});
      }
    }
  }
  return enemies;
}

TEST(StageContentsTest, EverySoldierCanFireWhatItCarriesAndSomeStandCowerOrSnipe) {
  int standing = 0, cowering = 0, sniping = 0, armed = 0;
  for (const StageInfo& s : dataset::BuiltInStages()) {
    const std::string record = dataset::StageRecord(s);
    for (const Placed& p : EnemiesOf(s.path, record)) {
      const int kind = p.e[0], equipment = p.e[2], attack = p.e[8];
      if (kind != 1 && kind != 2) continue;
      // Attack 1 fires the equipped weapon; the basic rifle (0) has none to fire that way.
      EXPECT_FALSE(attack == 1 && equipment == 0) << p.path << " soldier at " << p.column << ", " << p.row << " never fires";
      EXPECT_LE(attack, 2) << p.path << " soldier at " << p.column << ", " << p.row << " does nothing on sight";
      EXPECT_LE(equipment, 3);
      standing += p.e[6] == 0;
      cowering += attack == 2;
      sniping += p.e[9] == 3;
      armed += attack == 1;
    }
  }
  EXPECT_GT(standing, 0);
  EXPECT_GT(cowering, 0);
  EXPECT_GT(sniping, 0);
  EXPECT_GT(armed, 0);
}

// Machines reach the player somewhere, but none that shoots along a floor stands within a
// screen of a way in on that floor (the start or a door): a player arriving there would be
// under fire before taking a step.
TEST(StageContentsTest, EveryMachineFindsAStandingPlayerAndSomeBeamsNeverSwitchOff) {
  int machines = 0, alwaysOn = 0;
  for (const StageInfo& s : dataset::BuiltInStages()) {
    const std::string record = dataset::StageRecord(s);
    std::vector<std::pair<int, int>> waysIn;
    for (int row = 0; row < 45; ++row) {
      for (int column = 0; column < 60; ++column) {
        const int code = Code(record, column, row);
        if ((code >= 1 && code <= 9) || (code >= 95 && code <= 97)) waysIn.push_back({column, row});
      }
    }
    for (const Placed& p : EnemiesOf(s.path, record)) {
      const int kind = p.e[0];
      if (!((kind >= 3 && kind <= 11) || kind == 14)) continue;
      ++machines;
      EXPECT_TRUE(dataset::MachineReachesStandingPlayer(record, p.column, p.row))
          << p.path << ": machine of kind " << kind << " at " << p.column << ", " << p.row;
      const bool alongFloor = kind == 11 || (kind == 5 && p.row + 1 < 45 && Code(record, p.column, p.row + 1) != 0);
      for (const auto& [column, row] : waysIn) {
        EXPECT_FALSE(alongFloor && row == p.row && std::abs(column - p.column) < 20)
            << p.path << ": machine of kind " << kind << " at " << p.column << ", " << p.row << " fires at the way in at "
            << column << ", " << row;
      }
      alwaysOn += (kind == 3 || kind == 4 || kind == 14) && p.e[5] == 0;
    }
  }
  EXPECT_GT(machines, 100);
  EXPECT_GT(alwaysOn, 0);
}

// The beam check itself, on a small room: a camera under the ceiling finds a player on the
// floor when it looks down at the floor, not when it looks along the ceiling; a turret finds
// the player only at the height of the player's body.
TEST(StageContentsTest, TheBeamCheckFollowsTheBeamToTheFloor) {
  struct Case {
    const char* what;
    int kind, angle, row;
    bool reaches;
  };
  const Case kCases[] = {
      {"camera looking down at the floor", 3, 60, 1, true},
      {"camera looking along the ceiling", 3, 0, 1, false},
      {"laser pointer aimed at the floor", 14, 120, 1, true},
      {"turret standing on the floor", 11, 0, 4, true},
      {"turret under the ceiling", 11, 0, 1, false},
      {"turret one row under the feet row", 11, 0, 3, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    // One screen: a shell with a floor under row 4 and a ceiling over row 1.
    std::string record(3000, '\0');
    for (int column = 0; column < 20; ++column) {
      record[column] = 25;
      record[5 * 60 + column] = 25;
    }
    for (int row = 0; row < 15; ++row) {
      record[row * 60] = 25;
      record[row * 60 + 19] = 25;
    }
    record[2920] = 1;
    record[2921] = 1;
    const int column = 10;
    record[c.row * 60 + column] = static_cast<char>(201);
    record[2720] = static_cast<char>(c.kind);
    record[2724] = static_cast<char>(c.angle);
    EXPECT_EQ(dataset::MachineReachesStandingPlayer(record, column, c.row), c.reaches);
  }
}

// The stages are built from designed rooms; each area draws its own, and the second and
// third characters' stages are laid out apart from the first's.
TEST(StageContentsTest, AreasDrawRoomsOfTheirOwnAndNoStageCopiesAnother) {
  std::map<int, std::set<std::string>> roomsByArea;
  std::set<std::string> grids;
  for (const StageInfo& s : dataset::BuiltInStages()) {
    SCOPED_TRACE(s.path);
    const std::vector<std::string> rooms = dataset::StageRooms(s);
    EXPECT_GE(rooms.size(), static_cast<size_t>(s.screensX * s.screensY)) << "too few rooms";
    if (s.family == StageFamily::kFirstStory) roomsByArea[s.area].insert(rooms.begin(), rooms.end());
    // The solid layout, without enemies, items and lights.
    std::string grid = dataset::StageRecord(s).substr(0, 2700);
    for (char& c : grid) c = static_cast<uint8_t>(c) >= 21 && static_cast<uint8_t>(c) <= 92 ? c : 0;
    EXPECT_TRUE(grids.insert(grid).second) << "the same layout as another stage";
  }
  for (int a = 0; a < 8; ++a) {
    for (int b = a + 1; b < 8; ++b) EXPECT_NE(roomsByArea[a], roomsByArea[b]) << "areas " << a << " and " << b;
  }
}

TEST(StageMapsTest, TheListCarriesEveryStageAsAThreeThousandByteTable) {
  int stages = 0;
  for (const dataset::AssetEntry& e : dataset::AssetList()) {
    if (e.path.rfind("bin/", 0) == 0 && e.path.find('.') == std::string::npos) {
      EXPECT_EQ(e.bytes, 3000) << e.path;
      ++stages;
    }
  }
  EXPECT_EQ(stages, static_cast<int>(dataset::BuiltInStages().size()));
}

// The first character's road through the first two areas, stage by stage, and what the
// road planned through each (from its way in to its door out, as a player takes it) must
// meet: together every mechanism a new player is to learn there.
TEST(StageContentsTest, TheFirstCharactersRoadMeetsTheShipsMechanismsInTheFirstTwoAreas) {
  using namespace stage_route;
  struct Case {
    const char* path;
    uint32_t met;
  };
  const std::vector<Case> cases = {
      {"bin/1-1", kMetShutter | kMetCrumbling}, {"bin/1-2", kMetTerminal | kMetBreakable},
      {"bin/1-3", kMetPipe | kMetConveyor},     {"bin/1-4", kMetPitfall | kMetTerminal},
      {"bin/2-1", kMetConveyor | kMetBreakable}, {"bin/2-4", kMetShutter | kMetBreakable},
      {"bin/2-5", kMetCrumbling | kMetTerminal}, {"bin/2-8", kMetConveyor | kMetPitfall},
  };
  std::vector<std::string> road;
  for (const dataset::RoadStage& r : dataset::ShortestStoryRoad(StageFamily::kFirstStory)) {
    if (r.area < 2) road.push_back("bin/" + std::to_string(r.area + 1) + "-" + std::to_string(r.subStage + 1));
  }
  std::vector<std::string> paths;
  for (const Case& c : cases) paths.push_back(c.path);
  ASSERT_EQ(road, paths) << "the road through the first two areas";
  uint32_t met = 0;
  for (const Case& c : cases) {
    const StageInfo* stage = nullptr;
    for (const StageInfo& s : dataset::BuiltInStages()) {
      if (s.path == c.path) stage = &s;
    }
    ASSERT_NE(stage, nullptr) << c.path;
    const uint32_t got = dataset::MechanicsOnRoad(*stage, dataset::StageRecord(*stage));
    EXPECT_EQ(got & c.met, c.met) << c.path << ": met " << got << ", wanted " << c.met;
    met |= got;
  }
  EXPECT_NE(met & kMetShutter, 0u) << "a shutter opened with its key";
  EXPECT_NE(met & (kMetConveyor | kMetJumpPad), 0u) << "a conveyor or a spring";
  EXPECT_NE(met & (kMetCrumbling | kMetPitfall), 0u) << "a crumbling floor or a pitfall";
  EXPECT_NE(met & kMetPipe, 0u) << "a duct";
  EXPECT_NE(met & (kMetGlass | kMetBreakable), 0u) << "glass or a breakable wall";
  EXPECT_NE(met & kMetTerminal, 0u) << "a terminal with a camera";
}

}  // namespace
