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

#include "tests/tools/dataset/drawn_stage.h"

namespace {

using stage_route::Move;
using stage_route::MoveGraph;
using stage_route::MoveKind;
using stage_route::Routes;
using stage_route::Spot;
using stage_route::StageMap;
using stage_route::Target;

using drawn_stage::kAir;
using drawn_stage::kCeiling;
using drawn_stage::kFloor;
using drawn_stage::kRun;
using drawn_stage::Record;
using drawn_stage::Room;
using drawn_stage::Shape;

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
        ReachCase{"six-block wall is too high even to hang from",
                  {"####################", "#..................#", "#..................#", "#..................#",
                   "#..................#", "#..................#", "#..................#", "#..................#",
                   "#........#.........#", "#........#.........#", "#........#.........#", "#........#.........#",
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
    [](const ::testing::TestParamInfo<ReachCase>& info) { return drawn_stage::TestName(info.param.name); });

// Plays every move of a plan again from the start, the route's state carried along: each must
// end where the plan says, and none on a floor that gives way.
void ExpectPlanReplays(const StageMap& map, const std::vector<Move>& plan) {
  std::optional<Spot> at = stage_route::StartSpot(map);
  ASSERT_TRUE(at.has_value());
  stage_route::RouteState state;
  for (const Move& m : plan) {
    const std::optional<Spot> to = stage_route::Simulate(map, *at, m, &state);
    ASSERT_TRUE(to.has_value()) << stage_route::Describe(m);
    EXPECT_EQ(*to, m.to) << stage_route::Describe(m);
    const int floor = map.Code(to->column, to->row + 1);
    EXPECT_FALSE(floor >= 59 && floor <= 62) << "rests on a floor that gives way: " << stage_route::Describe(m);
    at = to;
  }
}

struct MechanicCase {
  const char* name;
  std::vector<std::string> lowest;  // the room's lowest rows (Room)
  bool reachable;
  const char* shape;  // the plan's moves (Shape), "" unchecked
};

void PrintTo(const MechanicCase& c, std::ostream* os) { *os << c.name; }

class MechanicTest : public ::testing::TestWithParam<MechanicCase> {};

TEST_P(MechanicTest, GoalIsReachedOnlyAsTheMapObjectsAllow) {
  const MechanicCase& c = GetParam();
  const std::vector<uint8_t> record = Record(Room(c.lowest));
  const StageMap map(record.data());
  const std::vector<Move> plan = stage_route::PlanFromStart(map, Target::Goal());
  ASSERT_EQ(!plan.empty(), c.reachable);
  if (plan.empty()) return;
  if (*c.shape != '\0') {
    EXPECT_EQ(Shape(plan), c.shape);
  }
  ExpectPlanReplays(map, plan);
}

// A pit of six spikes, too wide to jump, under a pipe from the last floor cell before it to
// the first one after it.
const std::vector<std::string> kPipeOverSpikes = {"#..{------}........#", kAir, kAir, kRun, "####^^^^^^##########"};

// A wall of `blocks` cells between the start and the goal.
std::vector<std::string> kWall(int blocks) {
  std::vector<std::string> rows(static_cast<size_t>(blocks - 1), "#........#.........#");
  rows.push_back("#.S......#......G..#");
  rows.push_back(kFloor);
  return rows;
}

// A floor six cells above the start, out of a jump's reach, and a strong jump pad.
const std::vector<std::string> kPadShaft = {"#...........G......#", "#.........##########", kAir, kAir, kAir, kAir,
                                            "#.S................#", "#####I.#############"};
const std::vector<std::string> kNoPad = {"#...........G......#", "#.........##########", kAir, kAir, kAir, kAir,
                                         "#.S................#", kFloor};

INSTANTIATE_TEST_SUITE_P(
    MapObjects, MechanicTest,
    ::testing::Values(
        MechanicCase{"shutter without its key", {kCeiling, "#.......K..........#", kRun, kFloor}, false, ""},
        MechanicCase{"shutter with its key on the way", {kCeiling, "#.......K..........#", "#.Sk............G..#", kFloor}, true, "wwg"},
        MechanicCase{"shutter with its key behind it", {kCeiling, "#.......K..........#", "#.S.........k...G..#", kFloor}, false, ""},
        MechanicCase{"numbered shutter with its item", {kCeiling, "#.......M..........#", "#.Sm............G..#", kFloor}, true, "wwg"},
        MechanicCase{"numbered shutter with another item", {kCeiling, "#.......M..........#", "#.Sn............G..#", kFloor}, false, ""},
        MechanicCase{"spikes in the floor are jumped", {kAir, kRun, "#########^##########"}, true, "wjwg"},
        MechanicCase{"a pit of spikes too wide to jump", {kAir, kRun, "######^^^^^^########"}, false, ""},
        MechanicCase{"downward spikes two cells above the floor", {"#####vvvvvv#########", kAir, kRun, kFloor}, false, ""},
        MechanicCase{"downward spikes three cells above the floor", {"#####vvvvvv#########", kAir, kAir, kRun, kFloor}, true, "wg"},
        MechanicCase{"an electric floor cell is jumped", {kAir, kRun, "#########E##########"}, true, "wjwg"},
        MechanicCase{"a crumbling bridge is crossed in one walk", {kAir, kRun, "####CCCCCC##########"}, true, "wg"},
        MechanicCase{"a pitfall is crossed in one walk", {kAir, kRun, "#######P.###########"}, true, "wg"},
        MechanicCase{"a goal over crumbling blocks only", {kAir, kRun, "################CC##"}, false, ""},
        MechanicCase{"a bridge of vanishing blocks", {kAir, kRun, "####VVVVVV##########"}, false, ""},
        MechanicCase{"a vanishing wall", {kCeiling, "#.......V..........#", "#.S.....V.......G..#", kFloor}, false, ""},
        MechanicCase{"a breakable wall", {kCeiling, "#.......B..........#", "#.S.....B.......G..#", kFloor}, false, ""},
        MechanicCase{"a conveyor carrying the route's way", {kAir, kRun, "#########>.>.#######"}, true, "wg"},
        MechanicCase{"a conveyor carrying against the route", {kAir, kRun, "#########<.<.#######"}, true, "wg"},
        MechanicCase{"a conveyor carrying into a pit of spikes", {kAir, "#.S................#", "####>.^^^^^^^^^^G###"}, false, ""},
        MechanicCase{"a jump pad in the floor throws the player on", {kAir, kRun, "#########J.#########"}, true, "wg"},
        MechanicCase{"a jump pad throws the player up to a high floor", kPadShaft, true, ""},
        MechanicCase{"a high floor without the jump pad", kNoPad, false, ""},
        MechanicCase{"a waiting goal with its target on the way", {kAir, "#.......T..........#", "#.S.............W..#", kFloor}, true, "wg"},
        MechanicCase{"a waiting goal with its target behind the start", {kAir, "#.T................#", "#....S..........W..#", kFloor}, true, "wwg"},
        MechanicCase{"a waiting goal with its target out of reach",
                     {"#.......T..........#", kAir, kAir, kAir, kAir, kAir, "#.S.............W..#", kFloor}, false, ""},
        MechanicCase{"a pipe over a pit of spikes is crawled", kPipeOverSpikes, true, "cwg"},
        MechanicCase{"a pipe out of a jump's reach", {"#..{------}........#", kAir, kAir, kAir, kAir, kRun, "####^^^^^^##########"}, false, ""},
        MechanicCase{"a pipe that ends over the spikes", {"#..{---}...........#", kAir, kAir, kRun, "####^^^^^^##########"}, false, ""},
        MechanicCase{"a four-block wall is climbed from a hanging grab", kWall(4), true, "wlwwg"},
        MechanicCase{"a five-block wall is climbed from a hanging grab", kWall(5), true, "wlwwg"},
        MechanicCase{"a wall with no room over its top", {kCeiling, kAir, "#........#.........#", "#........#.........#", "#........#.........#",
                                                          "#.S......#......G..#", kFloor}, false, ""}),
    [](const ::testing::TestParamInfo<MechanicCase>& info) { return drawn_stage::TestName(info.param.name); });

struct MetCase {
  const char* name;
  std::vector<std::string> lowest;  // the room's lowest rows (Room)
  uint32_t met;
};

void PrintTo(const MetCase& c, std::ostream* os) { *os << c.name; }

class MetTest : public ::testing::TestWithParam<MetCase> {};

TEST_P(MetTest, ThePlanNotesWhatItsMovesMeet) {
  const MetCase& c = GetParam();
  const std::vector<uint8_t> record = Record(Room(c.lowest));
  const StageMap map(record.data());
  const std::vector<Move> plan = stage_route::PlanFromStart(map, Target::Goal());
  ASSERT_FALSE(plan.empty());
  EXPECT_EQ(stage_route::MetOnPlan(plan), c.met) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Mechanics, MetTest,
    ::testing::Values(
        MetCase{"a plain floor", {kAir, kRun, kFloor}, 0},
        MetCase{"a shutter", {kCeiling, "#.......K..........#", "#.Sk............G..#", kFloor}, stage_route::kMetShutter},
        MetCase{"conveyors", {kAir, kRun, "#########<.<.#######"}, stage_route::kMetConveyor},
        MetCase{"a jump pad", {kAir, kRun, "#########J.#########"}, stage_route::kMetJumpPad},
        MetCase{"a crumbling bridge", {kAir, kRun, "####CCCCCC##########"}, stage_route::kMetCrumbling},
        MetCase{"a pitfall", {kAir, kRun, "#######P.###########"}, stage_route::kMetPitfall},
        MetCase{"a pipe", kPipeOverSpikes, stage_route::kMetPipe},
        MetCase{"a wall to hang from", kWall(4), stage_route::kMetLedge},
        MetCase{"glass over the head", {kCeiling, "#.......g..........#", kAir, kAir, kRun, kFloor}, stage_route::kMetGlass},
        MetCase{"glass two cells over the head", {kCeiling, "#.......g..........#", kAir, kAir, kAir, kRun, kFloor}, 0},
        MetCase{"a breakable block jumped", {kAir, "#.S.....B.......G..#", kFloor}, stage_route::kMetBreakable},
        MetCase{"a terminal passed", {kAir, "#.S....Y........G..#", kFloor}, stage_route::kMetTerminal},
        MetCase{"a terminal behind the start", {kAir, "#Y.S............G..#", kFloor}, 0}),
    [](const ::testing::TestParamInfo<MetCase>& info) { return drawn_stage::TestName(info.param.name); });

// On the interact key a pipe within reach comes before a ledge: under a pipe by a wall the
// jump toward the wall crawls instead of hanging.
TEST(StageRouteTest, AJumpThatReachesAPipeAndALedgeTakesThePipe) {
  const std::vector<uint8_t> record = Record(Room({"#.....{-}#.........#", "#........#.........#", "#........#.........#",
                                                   "#.S......#......G..#", kFloor}));
  const StageMap map(record.data());
  for (int hold : {6, 12}) {
    Move climb;
    climb.kind = MoveKind::kLedgeClimb;
    climb.direction = 1;
    climb.jumpFrames = hold;
    EXPECT_FALSE(stage_route::Simulate(map, Spot{8, 13}, climb).has_value()) << "hold " << hold;
  }
  // Without the pipe the same jump hangs from the wall and climbs it.
  std::vector<uint8_t> bare = record;
  for (int c = 6; c <= 8; ++c) bare[10 * stage_route::kColumns + c] = 0;
  const StageMap wall(bare.data());
  Move climb;
  climb.kind = MoveKind::kLedgeClimb;
  climb.direction = 1;
  climb.jumpFrames = 12;
  EXPECT_EQ(stage_route::Simulate(wall, Spot{8, 13}, climb), (Spot{9, 9}));
}

TEST(StageRouteTest, TheSecondCharacterNeverTakesItem187SoItsShutterStaysShut) {
  // Numbered shutter 72 waits for item 187, laid before it.
  std::vector<uint8_t> record = Record(Room({kCeiling, "#.......M..........#", "#.Sm............G..#", kFloor}));
  record[12 * stage_route::kColumns + 8] = 72;
  record[13 * stage_route::kColumns + 3] = 187;
  for (int character : {0, 1, 2}) {
    const StageMap map(record.data(), character);
    EXPECT_EQ(stage_route::PlanFromStart(map, Target::Goal()).empty(), character == 1) << "character " << character;
  }
}

TEST(StageRouteTest, StraightWalkFindsOnlyWhatHoldingOneDirectionReaches) {
  struct Case {
    const char* name;
    std::vector<std::string> lowest;
    bool straight;
  };
  const std::vector<Case> cases = {
      {"goal on the start floor", {kAir, kRun, kFloor}, true},
      {"goal to the left of the start", {kAir, "#.G.............S..#", kFloor}, true},
      {"goal below a drop", {kAir, "#.S................#", "#######.........G..#", kFloor}, true},
      {"goal behind a crate", {kAir, "#.S......#......G..#", kFloor}, false},
      {"goal up a ladder", {"#...............G..#", "####H###############", "#...H..............#", "#...H..............#",
                            "#...H..............#", "#...H..............#", "#.S.H..............#", kFloor}, false},
      {"shutter opened by a key on the way", {kCeiling, "#.......K..........#", "#.Sk............G..#", kFloor}, true},
      {"waiting goal with its target on the way", {kAir, "#.......T..........#", "#.S.............W..#", kFloor}, true},
      {"waiting goal with its target behind the start", {kAir, "#.T................#", "#....S..........W..#", kFloor}, false},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> record = Record(Room(c.lowest));
    const StageMap map(record.data());
    EXPECT_EQ(stage_route::ReachableInStraightWalk(map, Target::Goal()), c.straight) << c.name;
    EXPECT_FALSE(stage_route::PlanFromStart(map, Target::Goal()).empty()) << c.name << ": the goal is reachable";
  }
  // Doors count when the walk passes in front of them.
  const std::vector<uint8_t> doors = Record(Room({kAir, "#.S......3.#....4..#", kFloor}));
  const StageMap map(doors.data());
  EXPECT_TRUE(stage_route::ReachableInStraightWalk(map, Target::Door(3)));
  EXPECT_FALSE(stage_route::ReachableInStraightWalk(map, Target::Door(4)));
}

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
