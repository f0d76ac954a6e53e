// Small drawn rooms whose routes meet the map objects the route check models (a shutter and
// its key, a numbered shutter and its item, floors that give way, spikes and an electric
// block to jump, jump pads, conveyors, a goal waiting for its targets, pipes to crawl along,
// walls and ledges to hang from and climb), walked with scripted input through the real
// frame loop: the game must agree with the model move by move.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "game/mission/enemies.h"
#include "game/shell/game_data.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/game/mission/route_walker.h"
#include "tests/tools/dataset/drawn_stage.h"
#include "tools/dataset/stage_route.h"

namespace {

namespace sr = stage_route;
using drawn_stage::kAir;
using drawn_stage::kCeiling;
using drawn_stage::kFloor;
using drawn_stage::kRun;

struct Room {
  const char* name;
  std::vector<std::string> lowest;  // drawn_stage::Room
  const char* shape;                // the plan's moves: w walk, j jump, u/d climb, g goal
};

void PrintTo(const Room& r, std::ostream* os) { *os << r.name; }

class RouteMechanicsWalkTest : public ::testing::TestWithParam<Room> {};

TEST_P(RouteMechanicsWalkTest, TheGamePlaysThePlannedRouteToTheGoal) {
  const Room& room = GetParam();
  const std::vector<uint8_t> bytes = drawn_stage::Record(drawn_stage::Room(room.lowest));
  const sr::StageMap map(bytes.data());
  const std::vector<sr::Move> plan = sr::PlanFromStart(map, sr::Target::Goal());
  ASSERT_EQ(drawn_stage::Shape(plan), room.shape);

  mission_test::MissionHarness h;
  ASSERT_TRUE(h.LoadStage(std::string(bytes.begin(), bytes.end())));
  // The third character's broken targets open a waiting goal.
  game.character = 2;
  mission_test::WalkPlan(h, map, plan, room.name);
}


INSTANTIATE_TEST_SUITE_P(
    Rooms, RouteMechanicsWalkTest,
    ::testing::Values(
        Room{"shutter and its key", {kCeiling, "#.......K..........#", "#.Sk............G..#", kFloor}, "wwg"},
        Room{"numbered shutter and its item", {kCeiling, "#.......M..........#", "#.Sm............G..#", kFloor}, "wwg"},
        Room{"crumbling bridge and pitfall", {kAir, kRun, "####CCCCCC#P.#######"}, "wg"},
        Room{"spikes and an electric block", {kAir, kRun, "######^#####E#######"}, "wjwjwg"},
        Room{"jump pad up to a high floor",
             {"#...........G......#", "#.........##########", kAir, kAir, kAir, kAir, "#.S................#",
              "#####I.#############"},
             "wwg"},
        Room{"jump pad in the floor", {kAir, kRun, "#########J.#########"}, "wg"},
        Room{"conveyors carrying the route's way", {kAir, kRun, "#########>.>.#######"}, "wg"},
        Room{"conveyors carrying against the route", {kAir, kRun, "#########<.<.#######"}, "wg"},
        // The conveyors leave the player 2 pixels past the ladder: it steps back to climb.
        Room{"conveyors to a ladder",
             {"#..............G...#", "#...........H#######", "#...........H......#", "#.S.........H......#",
              "#####>.>.###########"},
             "wuwg"},
        Room{"waiting goal and two targets", {kAir, "#.T.........T......#", "#....S..........W..#", kFloor}, "wwg"},
        Room{"pipe over a pit of spikes", {"#..{------}........#", kAir, kAir, kRun, "####^^^^^^##########"}, "cwg"},
        Room{"pipe crawled leftwards", {"#......{-------}...#", kAir, kAir, "#.G.............S..#", "#########^^^^^^#####"}, "cwg"},
        Room{"four-block wall climbed from a hanging grab",
             {"#........#.........#", "#........#.........#", "#........#.........#", "#.S......#......G..#", kFloor}, "wlwwg"},
        Room{"five-block wall climbed leftwards",
             {"#.........#........#", "#.........#........#", "#.........#........#", "#.........#........#",
              "#..G......#.....S..#", kFloor},
             "wlwwg"}),
    [](const ::testing::TestParamInfo<Room>& info) { return drawn_stage::TestName(info.param.name); });

}  // namespace
