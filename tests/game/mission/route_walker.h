// Plays the moves of a planned route (tools/dataset/stage_route.h) as a player presses them,
// through the headless harness's real frame loop. After each move the player waits for the
// shutters it started to open; targets the route touches are broken on the spot (the walks
// are about the stage's geometry, not the aim).
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/mission/map_objects.h"
#include "game/mission/player_movement.h"
#include "game/shell/game_data.h"
#include "platform/input.h"
#include "tests/game/mission/mission_harness.h"
#include "tools/dataset/stage_route.h"

namespace mission_test {

inline int WorldX() { return player.x + game.scrollX; }
inline bool Standing() {
  return player.onGround != 0 && player.airborne == 0 && player.jumping == 0 && player.springing == 0 &&
         player.climbing == 0;
}

class Walker {
 public:
  // `map`, when given, is the stage the plan was made for: it tells where the targets are.
  explicit Walker(MissionHarness& h, const stage_route::StageMap* map = nullptr) : h_(h), map_(map) {}

  // Plays one move; false when it went wrong (the message says how).
  bool Play(const stage_route::Move& m, std::string& why) {
    const int dirKey = m.direction < 0 ? platform::key::kLeft : platform::key::kRight;
    auto reached = [&m] { return m.direction < 0 ? WorldX() <= m.targetX : WorldX() >= m.targetX; };
    switch (m.kind) {
      case stage_route::MoveKind::kWalk:
        // The goal ends the stage as soon as the player steps into it.
        for (int f = 0; f < 2000 && !reached() && player.action != player_action::kGoal; ++f) h_.Frame({dirKey});
        if (player.action == player_action::kGoal) return true;
        return AfterMove(m, why);
      case stage_route::MoveKind::kJump:
        for (int f = 0; f < 400 && (f < m.jumpFrames || !reached()); ++f) {
          std::vector<int> keys;
          if (f < m.jumpFrames) keys.push_back(platform::key::kX);
          if (!reached()) keys.push_back(dirKey);
          h_.Frame(keys);
        }
        return AfterMove(m, why);
      case stage_route::MoveKind::kClimbUp:
      case stage_route::MoveKind::kClimbDown: {
        const int k = m.kind == stage_route::MoveKind::kClimbUp ? platform::key::kUp : platform::key::kDown;
        bool climbed = false;
        for (int f = 0; f < 1500 && !(climbed && Standing()); ++f) {
          h_.Frame({k});
          climbed = climbed || player.climbing != 0;
        }
        if (!climbed) why = "never got on the ladder";
        return climbed && AfterMove(m, why);
      }
      case stage_route::MoveKind::kEnterDoor:
        h_.Frame({platform::key::kUp});
        if (player.action != player_action::kDoorExit) why = "the door did not open";
        return player.action == player_action::kDoorExit;
      case stage_route::MoveKind::kTouchGoal:
        for (int f = 0; f < 5 && player.action != player_action::kGoal; ++f) h_.Frame({});
        if (player.action != player_action::kGoal) why = "the goal did not end the stage";
        return player.action == player_action::kGoal;
      case stage_route::MoveKind::kLedgeClimb:
      case stage_route::MoveKind::kCrawl: {
        // Jump with interact held until the hands hold on; then up onto the ledge, or along
        // the pipe to the plan's x and jump to let go.
        const bool climb = m.kind == stage_route::MoveKind::kLedgeClimb;
        bool held = false;
        for (int f = 0; f < 1500; ++f) {
          std::vector<int> keys;
          if (!held) {
            keys = {dirKey, platform::key::kC};
            if (f < m.jumpFrames) keys.push_back(platform::key::kX);
          } else if (climb) {
            if (player.hanging != 0 && player.action != player_action::kLedgeClimb) keys.push_back(platform::key::kUp);
          } else if (player.crawling != 0) {
            if (WorldX() == m.targetX) keys.push_back(platform::key::kX);
            else keys.push_back(m.targetX > WorldX() ? platform::key::kRight : platform::key::kLeft);
          }
          h_.Frame(keys);
          held = held || (climb ? player.hanging != 0 : player.crawling != 0);
          if (held && Standing() && player.hanging == 0 && player.crawling == 0) return AfterMove(m, why);
          if (player.action == player_action::kDown) break;
        }
        why = held ? "the player did not come down again" : (climb ? "never hung from the ledge" : "never crawled in the pipe");
        return false;
      }
    }
    return false;
  }

 private:
  static bool IsShutter(int kind) { return kind == 58 || (kind >= 66 && kind <= 74); }

  bool ShutterOpening() const {
    for (int i = 0; i < game.mapObjectCount; ++i) {
      const MapObject& o = pools.mapObjects[i];
      if (IsShutter(o.kind) && o.active == 1 && o.timers[0] != 0) return true;
    }
    return false;
  }

  void BreakTargets(uint64_t picked) {
    if (map_ == nullptr) return;
    for (const stage_route::StageMap::Area& a : map_->Pickups()) {
      if (a.bit < stage_route::kFirstTargetBit || (picked >> a.bit & 1) == 0) continue;
      // The target's box starts 5 pixels into its cell.
      for (int i = 0; i < game.mapObjectCount; ++i) {
        MapObject& o = pools.mapObjects[i];
        if (o.kind == 20 && o.active == 1 && o.x == a.left - 5 && o.y == a.top - 5) o.active = 2;
      }
    }
  }

  static bool OnConveyor() {
    if (player.standOn < 0 || player.standOn >= game.mapObjectCount) return false;
    const int kind = pools.mapObjects[player.standOn].kind;
    return kind == 75 || kind == 76;
  }

  bool AfterMove(const stage_route::Move& m, std::string& why) {
    BreakTargets(m.picked);
    for (int f = 0; f < 30 && ShutterOpening(); ++f) h_.Frame({});
    if (!Settle(why)) return false;
    if (m.nudge == 0) return true;
    // Off the cell's centre after a conveyor or a climb onto a ledge: run to it, sneaking the
    // last 2 pixels.
    for (int f = 0; f < 30 && WorldX() != m.to.WorldX(); ++f) {
      const int d = m.to.WorldX() - WorldX();
      std::vector<int> keys = {d > 0 ? platform::key::kRight : platform::key::kLeft};
      if (d > -4 && d < 4) keys.push_back(platform::key::kA);
      h_.Frame(keys);
    }
    return Settle(why);
  }

  bool Settle(std::string& why) {
    for (int f = 0; f < 300; ++f) {
      h_.Frame({});
      if (Standing() && player.walkCounter == 0 && !OnConveyor()) return true;
      if (player.action == player_action::kDown) break;
    }
    why = "the player did not come to rest";
    return false;
  }
  MissionHarness& h_;
  const stage_route::StageMap* map_;
};

// Plays a plan from the stage's start: every move must end where the plan says, and the last
// one leave the stage.
inline void WalkPlan(MissionHarness& h, const stage_route::StageMap& map, const std::vector<stage_route::Move>& plan,
                     const std::string& name) {
  for (int f = 0; f < 30 && !Standing(); ++f) h.Frame({});
  Walker walker(h, &map);
  for (const stage_route::Move& m : plan) {
    std::string why;
    ASSERT_TRUE(walker.Play(m, why)) << name << ": " << stage_route::Describe(m) << ": " << why << " (world " << WorldX()
                                     << ", " << player.y - game.scrollY << ")";
    const bool ended = player.action == player_action::kGoal;
    if (m.kind != stage_route::MoveKind::kEnterDoor && m.kind != stage_route::MoveKind::kTouchGoal && !ended) {
      EXPECT_EQ(WorldX(), m.to.WorldX()) << name << ": " << stage_route::Describe(m);
      EXPECT_EQ(player.y - game.scrollY, m.to.WorldY()) << name << ": " << stage_route::Describe(m);
    }
  }
}

}  // namespace mission_test
