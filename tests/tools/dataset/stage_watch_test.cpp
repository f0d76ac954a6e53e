// The always-watched places of a stage: a guard standing still and a beam that never
// switches off close a corridor to the route check; watchers that turn or blink do not.
#include "tools/dataset/stage_watch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/dataset/stage_route.h"

namespace {

using stage_route::Target;

// A corridor along row 9 (floor row 10) from the start at column 1 to the goal at column 18,
// with enemy record 0 placed at (column, row) by tile 201.
std::string Corridor(int enemyColumn, int enemyRow, const uint8_t (&enemy)[10]) {
  std::string r(stage_route::kRecordBytes, '\0');
  r[2920] = 1;
  r[2921] = 1;
  for (int c = 0; c < 20; ++c) r[10 * stage_route::kColumns + c] = 25;
  r[9 * stage_route::kColumns + 1] = static_cast<char>(95);
  r[9 * stage_route::kColumns + 18] = static_cast<char>(99);
  r[enemyRow * stage_route::kColumns + enemyColumn] = static_cast<char>(201);
  for (int i = 0; i < 10; ++i) r[2720 + i] = static_cast<char>(enemy[i]);
  return r;
}

bool GoalReachable(const std::string& record) {
  const stage_route::StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
  return !stage_route::PlanFromStart(map, Target::Goal()).empty();
}

TEST(StageWatch, OnlyWatchersThatNeverLookAwayCloseTheWay) {
  struct Case {
    const char* name;
    int column, row;
    uint8_t enemy[10];
    bool passable;
  };
  const std::vector<Case> cases = {
      {"a guard standing still, facing the start", 10, 9, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}, false},
      {"a guard standing still, facing away", 10, 9, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
      {"a guard looking round", 10, 9, {1, 0, 0, 1, 0, 0, 1, 1, 0, 0}, true},
      {"a sleeping guard", 10, 9, {1, 0, 0, 1, 0, 0, 4, 1, 0, 0}, true},
      {"a camera looking straight down, always on", 10, 2, {3, 0, 0, 0, 90, 0, 0, 0, 0, 0}, false},
      {"the same camera on a cycle", 10, 2, {3, 0, 0, 0, 90, 120, 0, 0, 0, 0}, true},
      {"a sweeping camera", 10, 2, {4, 0, 0, 0, 90, 0, 0, 0, 0, 0}, true},
      {"a laser pointer always on", 10, 2, {14, 0, 0, 0, 90, 0, 0, 0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    const std::string record = Corridor(c.column, c.row, c.enemy);
    ASSERT_TRUE(GoalReachable(record)) << c.name << ": the corridor itself is open";
    EXPECT_EQ(GoalReachable(stage_route::BlockWatchedCells(record)), c.passable) << c.name;
  }
}

TEST(StageWatch, AGuardSeesNoFurtherThanAWall) {
  // A guard facing right at column 3 with a wall two rows high at column 6: nothing past it,
  // and the view one row higher a cell away.
  std::string record = Corridor(3, 9, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  record[9 * stage_route::kColumns + 6] = 25;
  record[8 * stage_route::kColumns + 6] = 25;
  for (const auto& [column, row] : stage_route::AlwaysWatchedCells(record)) {
    EXPECT_GE(column, 3);
    EXPECT_LT(column, 6);
    EXPECT_TRUE(row >= 7 && row <= 9) << "the view widens a row a step";
  }
  EXPECT_EQ(stage_route::AlwaysWatchedCells(record).size(), 2u + 3u + 3u);
}

}  // namespace
