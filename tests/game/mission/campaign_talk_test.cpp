// Talks that hold a mission paused: the confirm presses that move the talk on reach neither
// the pause menu under it (whose rows would resume the mission or leave it for the title) nor
// anything else, and the mission plays on once the talk has ended.
#include <gtest/gtest.h>

#include "tests/game/mission/campaign_talk.h"

namespace {

using campaign_test::TalkCase;

// Each kind of trigger once, over a different row; the long program plays the other rows.
TEST(CampaignTalkTest, ConfirmMovesTheTalkOnAndNeverChoosesAPauseMenuRow) {
  const TalkCase cases[] = {
      {"event trigger", 15, 32, 1, 2},
      {"scripted trigger of mission 1", 19, 111, 1, 1},
  };
  for (const TalkCase& c : cases) campaign_test::ExpectTheTalkHoldsThePauseAndEnds(c);
}

}  // namespace
