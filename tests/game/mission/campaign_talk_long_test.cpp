// Talks over a paused mission with the pause menu's cursor left on the rows the short
// program does not play.
#include <gtest/gtest.h>

#include "tests/game/mission/campaign_talk.h"

namespace {

using campaign_test::TalkCase;

TEST(CampaignTalkTest, ConfirmMovesTheTalkOnOverTheOtherMenuRows) {
  const TalkCase cases[] = {
      {"event trigger", 15, 32, 1, 0},
      {"event trigger", 15, 32, 1, 1},
      {"scripted trigger of mission 1", 19, 111, 1, 0},
      {"scripted trigger of mission 1", 19, 111, 1, 2},
  };
  for (const TalkCase& c : cases) campaign_test::ExpectTheTalkHoldsThePauseAndEnds(c);
}

}  // namespace
