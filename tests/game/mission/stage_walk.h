// Walks generated stages of the data set from their start to their goal (or a door) with
// scripted input: the moves the data-set builder's route finder plans, pressed as a player
// would press them, through the real frame loop. The smallest stage is walked under every
// build; the larger ones in the long program.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "game/mission/enemies.h"
#include "game/mission/player_movement.h"
#include "game/shell/game_data.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tests/game/mission/route_walker.h"
#include "tools/dataset/stage_maps.h"
#include "tools/dataset/stage_route.h"

namespace dataset {
// Test names and messages show a stage by its file name.
inline void PrintTo(const StageInfo& stage, std::ostream* os) { *os << stage.path; }
}  // namespace dataset

namespace mission_test {

namespace sr = stage_route;

// The first stage of each size that the data set has.
inline std::vector<dataset::StageInfo> OnePerSize() {
  std::map<std::pair<int, int>, dataset::StageInfo> bySize;
  for (const dataset::StageInfo& s : dataset::BuiltInStages()) bySize.emplace(std::make_pair(s.screensX, s.screensY), s);
  std::vector<dataset::StageInfo> stages;
  for (const auto& [size, stage] : bySize) stages.push_back(stage);
  return stages;
}

// Walks the stage from its start to its goal (or the first door a route reaches).
inline void WalkFromTheStartToTheEnd(const dataset::StageInfo& stage) {
  // The story's triggers would start talks; these walks are about the stage's geometry.
  const std::string record = WithoutStoryTriggers(dataset::StageRecord(stage));
  const sr::StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
  std::vector<sr::Move> plan = sr::PlanFromStart(map, sr::Target::Goal());
  if (plan.empty()) {
    for (int door : sr::DoorCodes(map)) {
      plan = sr::PlanFromStart(map, sr::Target::Door(door));
      if (!plan.empty()) break;
    }
  }
  ASSERT_FALSE(plan.empty()) << stage.path << ": no route";

  MissionHarness h;
  ASSERT_TRUE(h.LoadStage(record));
  // These walks check the routes through the stage's geometry; the enemies on them are met
  // by the stealth replays.
  ResetEnemies();
  WalkPlan(h, map, plan, stage.path);
}

inline std::string SizeName(const ::testing::TestParamInfo<dataset::StageInfo>& info) {
  return "Screens" + std::to_string(info.param.screensX) + "x" + std::to_string(info.param.screensY);
}

}  // namespace mission_test
