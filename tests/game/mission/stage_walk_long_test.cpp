// Every other size of generated stage walked from its start to its end (see stage_walk.h).
#include "tests/game/mission/stage_walk.h"

namespace {

std::vector<dataset::StageInfo> LargerSizes() {
  std::vector<dataset::StageInfo> stages = mission_test::OnePerSize();
  stages.erase(stages.begin());
  return stages;
}

class StageWalkTest : public ::testing::TestWithParam<dataset::StageInfo> {};

TEST_P(StageWalkTest, WalksFromTheStartToTheEnd) { mission_test::WalkFromTheStartToTheEnd(GetParam()); }

INSTANTIATE_TEST_SUITE_P(EachSize, StageWalkTest, ::testing::ValuesIn(LargerSizes()), mission_test::SizeName);

}  // namespace
