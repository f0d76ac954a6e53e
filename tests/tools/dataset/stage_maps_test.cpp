// The built-in stage maps: the records the loader reads, the door table that routes the
// briefing map to their doors, and the route check: from the start and from every door a
// player can come in by, every door and the goal can be reached with the game's movement.
#include "tools/dataset/stage_maps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

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

int Code(const std::string& record, int column, int row) { return static_cast<uint8_t>(record[row * 60 + column]); }

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
    EXPECT_TRUE(s.hasGoal || !doors.empty()) << "no way out";
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(Stages, RouteCheck,
                         ::testing::Values(StageFamily::kFirstStory, StageFamily::kSecondStory,
                                           StageFamily::kThirdStory, StageFamily::kVr),
                         [](const ::testing::TestParamInfo<StageFamily>& info) { return FamilyName(info.param); });

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

}  // namespace
