// The route finder on small stages drawn in the test: what the movement can and cannot
// reach (walks, running jumps, falls, ladders, doors), and that every move of a plan, played
// again frame by frame, lands where the plan says.
#include "tools/dataset/stage_route.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using stage_route::Move;
using stage_route::MoveGraph;
using stage_route::MoveKind;
using stage_route::Routes;
using stage_route::Spot;
using stage_route::StageMap;
using stage_route::Target;

// A one-screen stage from rows of characters: '#' block, 'H' ladder, 'S' start, 'G' goal,
// '1'..'9' doors, 'L' hiding place; anything else is empty. Rows and
// columns left out stay empty.
std::vector<uint8_t> Record(const std::vector<std::string>& rows, int screensX = 1, int screensY = 1) {
  std::vector<uint8_t> record(stage_route::kRecordBytes, 0);
  record[2920] = static_cast<uint8_t>(screensX);
  record[2921] = static_cast<uint8_t>(screensY);
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < rows[r].size(); ++c) {
      const char ch = rows[r][c];
      uint8_t code = 0;
      if (ch == '#') code = 25;
      if (ch == 'H') code = 65;
      if (ch == 'S') code = 95;
      if (ch == 'G') code = 99;
      if (ch == 'L') code = 64;
      if (ch >= '1' && ch <= '9') code = static_cast<uint8_t>(ch - '0');
      record[r * stage_route::kColumns + c] = code;
    }
  }
  return record;
}

std::vector<Move> PlanFromStart(const std::vector<uint8_t>& record, Target target) {
  const StageMap map(record.data());
  return stage_route::PlanFromStart(map, target);
}

struct ReachCase {
  const char* name;
  std::vector<std::string> rows;
  bool reachable;
};

void PrintTo(const ReachCase& c, std::ostream* os) { *os << c.name; }

class ReachTest : public ::testing::TestWithParam<ReachCase> {};

TEST_P(ReachTest, GoalIsReachedOnlyWhereTheMovementAllows) {
  const ReachCase& c = GetParam();
  const std::vector<Move> plan = PlanFromStart(Record(c.rows), Target::Goal());
  EXPECT_EQ(!plan.empty(), c.reachable);
  if (!plan.empty()) {
    EXPECT_EQ(plan.back().kind, MoveKind::kTouchGoal);
  }
}

// Rows 0..14 of a 20-column screen; the floor is row 14.
INSTANTIATE_TEST_SUITE_P(
    Movement, ReachTest,
    ::testing::Values(
        ReachCase{"walk",
                  {"####################", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#.S.............G..#", "####################"},
                  true},
        ReachCase{"one-block crate is jumped",
                  {"####################", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#.S......#......G..#", "####################"},
                  true},
        ReachCase{"two-block wall is jumped",
                  {"####################", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#........#.........#", "#.S......#......G..#", "####################"},
                  true},
        ReachCase{"three-block wall is climbed at the top of a full jump",
                  {"####################", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#........#.........#",
                   "#........#.........#", "#.S......#......G..#", "####################"},
                  true},
        ReachCase{"four-block wall is too high",
                  {"####################", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#........#.........#", "#........#.........#",
                   "#........#.........#", "#.S......#......G..#", "####################"},
                  false},
        ReachCase{"crate under a low ceiling cannot be jumped",
                  {"####################", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "####################",
                   "#..................#", "#.S......#......G..#", "####################"},
                  false},
        ReachCase{"gap of one cell is jumped",
                  {"####################", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#.S..............G.#", "#########.##########"},
                  true},
        ReachCase{"gap of six cells swallows the player",
                  {"####################", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#.S..............G.#", "#######......#######"},
                  false},
        ReachCase{"ladder up to the next floor",
                  {"####################", "#..................#", "#..................#", "#..............G...#",
                   "###H################", "#..H...............#", "#..H...............#", "#..H...............#",
                   "#..H...............#", "#..H...............#", "#..H...............#", "#..H...............#",
                   "#..H...............#", "#.SH...............#", "####################"},
                  true},
        ReachCase{"upper floor without a ladder is out of reach",
                  {"####################", "#..................#", "#..................#", "#..............G...#",
                   "####################", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#.S................#", "####################"},
                  false},
        ReachCase{"ladder down and a drop through a hole",
                  {"####################", "#..................#", "#.S................#", "#..................#",
                   "####H######.########", "#...H..............#", "#...H..............#", "#...H..............#",
                   "#...H..............#", "#...H..............#", "#...H..............#", "#...H..............#",
                   "#...H..............#", "#...H.......G......#", "####################"},
                  true}),
    [](const ::testing::TestParamInfo<ReachCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

const std::vector<std::string> kTwoFloors = {
    "####################", "#..................#", "#..L...........1...#", "#..................#",
    "######H#############", "#.....H............#", "#.....H............#", "#.....H............#",
    "#.....H............#", "#.....H............#", "#.....H............#", "#.....H............#",
    "#.....H.......2....#", "#.S...H............#", "####################"};

TEST(StageRouteTest, PlanToADoorWalksClimbsAndEntersAndEveryMoveReplays) {
  const std::vector<uint8_t> record = Record(kTwoFloors);
  const StageMap map(record.data());
  const std::optional<Spot> start = stage_route::StartSpot(map);
  ASSERT_TRUE(start.has_value());
  EXPECT_EQ(*start, (Spot{2, 13}));

  MoveGraph graph(map);
  const std::vector<Move> plan = Routes(graph, *start).PlanTo(Target::Door(1));
  std::vector<MoveKind> kinds;
  for (const Move& m : plan) kinds.push_back(m.kind);
  EXPECT_EQ(kinds, (std::vector<MoveKind>{MoveKind::kWalk, MoveKind::kClimbUp, MoveKind::kWalk, MoveKind::kEnterDoor}));
  EXPECT_EQ(plan[0].targetX, 6 * 40 + 20);
  EXPECT_EQ(plan[1].to, (Spot{6, 3}));
  EXPECT_EQ(plan.back().door, 1);
  EXPECT_EQ(plan.back().to, (Spot{15, 3}));

  Spot at = *start;
  for (const Move& m : plan) {
    const std::optional<Spot> to = stage_route::Simulate(map, at, m);
    ASSERT_TRUE(to.has_value()) << stage_route::Describe(m);
    EXPECT_EQ(*to, m.to) << stage_route::Describe(m);
    at = *to;
  }
}

TEST(StageRouteTest, EntryDoorPlacesThePlayerStandingUnderItAndDoorCodesAreListedOnce) {
  std::vector<std::string> rows = kTwoFloors;
  rows[12][16] = '1';  // a second tile of door 1: the loader's last match wins
  const std::vector<uint8_t> record = Record(rows);
  const StageMap map(record.data());
  EXPECT_EQ(stage_route::DoorCodes(map), (std::vector<int>{1, 2}));
  EXPECT_EQ(stage_route::EntrySpot(map, 2), (Spot{14, 13}));
  EXPECT_EQ(stage_route::EntrySpot(map, 1), (Spot{16, 13}));
  EXPECT_FALSE(stage_route::EntrySpot(map, 3).has_value());

  // Coming in by door 2, the player stands at it; the first tile of door 1 is upstairs.
  MoveGraph graph(map);
  const Routes routes(graph, Spot{14, 13});
  const std::vector<Move> back = routes.PlanTo(Target::Door(2));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].kind, MoveKind::kEnterDoor);
  const std::vector<Move> onward = routes.PlanTo(Target::Door(1));
  ASSERT_FALSE(onward.empty());
  EXPECT_EQ(onward.back().to.row, 13) << "the nearer tile of door 1 is on this floor";
}

TEST(StageRouteTest, ClimbingDownAndUpTheSameLadderReturnsToTheTop) {
  const std::vector<uint8_t> record = Record(kTwoFloors);
  const StageMap map(record.data());
  Move down;
  down.kind = MoveKind::kClimbDown;
  EXPECT_EQ(stage_route::Simulate(map, Spot{6, 3}, down), (Spot{6, 13}));
  Move up;
  up.kind = MoveKind::kClimbUp;
  EXPECT_EQ(stage_route::Simulate(map, Spot{6, 13}, up), (Spot{6, 3}));
  // Away from the ladder neither works.
  EXPECT_FALSE(stage_route::Simulate(map, Spot{8, 13}, up).has_value());
  EXPECT_FALSE(stage_route::Simulate(map, Spot{8, 3}, down).has_value());
}

TEST(StageRouteTest, WalkIntoAWallIsRefusedAndAFloatingSpotIsNoStart) {
  const std::vector<uint8_t> record = Record({"####################", "#..................#", "#..................#",
                                              "#..................#", "#..................#", "#..................#",
                                              "#..................#", "#..................#", "#..................#",
                                              "#..................#", "#..................#", "#..................#",
                                              "#.....#............#", "#.S...#............#", "####################"});
  const StageMap map(record.data());
  Move walk;
  walk.kind = MoveKind::kWalk;
  walk.direction = 1;
  walk.targetX = 6 * 40 + 20;
  EXPECT_FALSE(stage_route::Simulate(map, Spot{5, 13}, walk).has_value());
  walk.targetX = 5 * 40 + 20;
  EXPECT_EQ(stage_route::Simulate(map, Spot{4, 13}, walk), (Spot{5, 13}));
  // A spot in mid air is not somewhere the player rests.
  EXPECT_FALSE(stage_route::Simulate(map, Spot{4, 10}, walk).has_value());
}

TEST(StageRouteTest, StageWithoutStartTileHasNoPlan) {
  const std::vector<uint8_t> record = Record({"####", "#.G#", "####"});
  const StageMap map(record.data());
  EXPECT_FALSE(stage_route::StartSpot(map).has_value());
  EXPECT_TRUE(stage_route::PlanFromStart(map, Target::Goal()).empty());
}

}  // namespace
