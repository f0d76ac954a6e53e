// The smallest generated stage walked from its start to its end (see stage_walk.h).
#include "tests/game/mission/stage_walk.h"

namespace {

class StageWalkTest : public ::testing::TestWithParam<dataset::StageInfo> {};

TEST_P(StageWalkTest, WalksFromTheStartToTheEnd) { mission_test::WalkFromTheStartToTheEnd(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Smallest, StageWalkTest,
                         ::testing::ValuesIn(std::vector<dataset::StageInfo>{mission_test::OnePerSize().front()}),
                         mission_test::SizeName);

}  // namespace
