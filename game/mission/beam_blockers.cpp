#include "game/mission/enemy_sight.h"
#include "game/mission/shots.h"

namespace {
// The wall of kind 7 and the shield of kind 36 stand in the way of a beam.
struct BlockerBox {
  int kind, left, top, right, bottom;
};
constexpr BlockerBox kBlockers[] = {{7, -15, -35, 5, 35}, {36, -50, -50, 50, 50}};
}  // namespace

// True when a live blocking shot's box overlaps the 10 x 10 square around (x, y).
bool ShotStopsBeam(float x, float y) {
  for (const Shot& s : shots) {
    if (s.active != 1) continue;
    for (const BlockerBox& b : kBlockers) {
      if (s.kind != b.kind) continue;
      if (static_cast<float>(s.x + b.left) < x + 5 && x - 5 < static_cast<float>(s.x + b.right) &&
          static_cast<float>(s.y + b.top) < y + 5 && y - 5 < static_cast<float>(s.y + b.bottom)) {
        return true;
      }
    }
  }
  return false;
}
