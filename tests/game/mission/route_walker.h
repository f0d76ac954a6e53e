// Plays the moves of a planned route (tools/dataset/stage_route.h) as a player presses them,
// through the headless harness's real frame loop.
#pragma once
#include <string>
#include <vector>

#include "game/mission/player_movement.h"
#include "game/shell/game_data.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tools/dataset/stage_route.h"

namespace mission_test {

inline int WorldX() { return player.x + game.scrollX; }
inline bool Standing() { return player.onGround != 0 && player.airborne == 0 && player.jumping == 0 && player.climbing == 0; }

class Walker {
 public:
  explicit Walker(MissionHarness& h) : h_(h) {}

  // Plays one move; false when it went wrong (the message says how).
  bool Play(const stage_route::Move& m, std::string& why) {
    const int dirKey = m.direction < 0 ? platform::key::kLeft : platform::key::kRight;
    auto reached = [&m] { return m.direction < 0 ? WorldX() <= m.targetX : WorldX() >= m.targetX; };
    switch (m.kind) {
      case stage_route::MoveKind::kWalk:
        for (int f = 0; f < 2000 && !reached(); ++f) h_.Frame({dirKey});
        return Settle(why);
      case stage_route::MoveKind::kJump:
        for (int f = 0; f < 400 && (f < m.jumpFrames || !reached()); ++f) {
          std::vector<int> keys;
          if (f < m.jumpFrames) keys.push_back(platform::key::kX);
          if (!reached()) keys.push_back(dirKey);
          h_.Frame(keys);
        }
        return Settle(why);
      case stage_route::MoveKind::kClimbUp:
      case stage_route::MoveKind::kClimbDown: {
        const int k = m.kind == stage_route::MoveKind::kClimbUp ? platform::key::kUp : platform::key::kDown;
        bool climbed = false;
        for (int f = 0; f < 1500 && !(climbed && Standing()); ++f) {
          h_.Frame({k});
          climbed = climbed || player.climbing != 0;
        }
        if (!climbed) why = "never got on the ladder";
        return climbed && Settle(why);
      }
      case stage_route::MoveKind::kEnterDoor:
        h_.Frame({platform::key::kUp});
        if (player.action != player_action::kDoorExit) why = "the door did not open";
        return player.action == player_action::kDoorExit;
      case stage_route::MoveKind::kTouchGoal:
        for (int f = 0; f < 5 && player.action != player_action::kGoal; ++f) h_.Frame({});
        if (player.action != player_action::kGoal) why = "the goal did not end the stage";
        return player.action == player_action::kGoal;
    }
    return false;
  }

 private:
  bool Settle(std::string& why) {
    for (int f = 0; f < 300; ++f) {
      h_.Frame({});
      if (Standing() && player.walkCounter == 0) return true;
      if (player.action == player_action::kDown) break;
    }
    why = "the player did not come to rest";
    return false;
  }
  MissionHarness& h_;
};

}  // namespace mission_test
