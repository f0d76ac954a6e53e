#include "tools/dataset/stage_route.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>
#include <cstring>
#include <queue>

namespace stage_route {
namespace {

constexpr int kWidthByte = 2920;
constexpr int kHeightByte = 2921;
constexpr int kLadder = 65;
constexpr int kGoal = 99;
constexpr int kWaitingGoal = 98;  // opens once every target is broken
constexpr int kMaxFallStep = 15;
constexpr int kMaxJumpPower = 19;
constexpr int kFirstJumpPower = 8;
constexpr int kClimbStep = 2;
constexpr int kLadderStepDown = 25;
constexpr int kMoveFrameLimit = 900;

struct BoxSpec {
  int left, top, right, bottom;
  bool solid;
};

// The map objects' boxes by tile code; codes without a box collide with nothing.
BoxSpec BoxOf(int code) {
  auto in = [code](int first, int last) { return code >= first && code <= last; };
  if (in(21, 29) || code == 59 || code == 60 || code == 77 || in(79, 81) || code == 89 || code == 91 || code == 92) {
    return {0, 0, 40, 40, true};
  }
  if (in(30, 34)) return {0, 0, 40, 20, true};
  if (in(35, 37) || code == 56 || code == 57 || code == 75 || code == 76 || code == 78 || in(83, 85)) {
    return {0, 0, 80, 40, true};
  }
  if (in(38, 40)) return {0, 0, 120, 40, true};
  if (in(41, 43) || code == 58 || in(66, 74) || code == 82 || code == 90) return {0, 0, 40, 80, true};
  if (in(44, 46)) return {0, 0, 40, 120, true};
  if (in(47, 55)) return {0, 0, 80, 80, true};
  if (code == 61 || code == 62) return {0, 0, 80, 20, true};
  if (code == kLadder) return {0, 0, 40, 40, false};
  return {0, 0, 0, 0, false};
}

// Codes that become map objects (the others are empty, the start, decor or enemies).
bool IsMapObject(int code) { return code >= 10 && code <= 189 && (code < 95 || code > 97); }

bool Overlap(int l1, int t1, int r1, int b1, int l2, int t2, int r2, int b2) {
  return l1 < r2 && l2 < r1 && t1 < b2 && t2 < b1;
}

// The player's state that the movement reads, in world pixels.
struct Body {
  int x = 0;
  int y = 0;
  int fallStep = 0;
  int fallFrames = 0;
  int jumpPower = 0;
  bool jumping = false;
  bool jumpLatch = false;
  bool rising = false;
  bool headBump = false;
  bool airborne = false;
  bool onGround = false;
  bool landed = false;  // an object carried the player this frame
  bool onLadderTop = false;
  bool climbing = false;
  bool contact = false;  // set by the map objects after the previous frame's move
  bool reach = false;
  int ladderX = -1;
};

struct Input {
  int direction = 0;
  bool jump = false;
  bool up = false;
  bool down = false;
};

class Mover {
 public:
  explicit Mover(const StageMap& map) : map_(map) {}

  // The ladder tests of the map objects, from the player's position.
  void TouchLadders(Body& b) const {
    b.contact = false;
    b.reach = false;
    const int c0 = std::max(0, (b.x - 80) / kCellSize), c1 = std::min(kColumns - 1, (b.x + 80) / kCellSize);
    const int r0 = std::max(0, (b.y - 130) / kCellSize), r1 = std::min(kRows - 1, (b.y + 50) / kCellSize);
    for (int r = r0; r <= r1; ++r) {
      for (int c = c0; c <= c1; ++c) {
        if (!map_.IsLadder(c, r)) continue;
        const int left = c * kCellSize, top = r * kCellSize;
        if (Overlap(b.x - 20, b.y - 40, b.x + 20, b.y + 5, left - 20, top - 5, left + 60, top + 80)) {
          b.contact = true;
        }
        if (b.x + 5 > left + 15 && b.x - 5 < left + 25 && b.y > top - 39 && b.y < top + 80) {
          b.reach = true;
          b.ladderX = left + 20;
        }
      }
    }
  }

  // The first object in spawn order that carries the player, as its top; -1 none.
  int Carrier(const Body& b, bool* ladder) const {
    const int left = b.x - 12, top = b.y + 5, right = b.x + 12, bottom = b.y + 39;
    // The earliest block in spawn order; a ladder earlier in the order wins over it.
    int bestOrder = kColumns * kRows;
    int best = map_.FirstCarrierTop(left, top, right, bottom, &bestOrder);
    *ladder = false;
    if (!b.climbing && !b.contact && !b.rising) {
      const int c0 = std::max(0, left / kCellSize), c1 = std::min(kColumns - 1, (right - 1) / kCellSize);
      const int r0 = std::max(0, top / kCellSize), r1 = std::min(kRows - 1, (bottom - 1) / kCellSize);
      for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
          if (map_.IsLadder(c, r) && r * kColumns + c < bestOrder) {
            bestOrder = r * kColumns + c;
            best = r * kCellSize;
            *ladder = true;
          }
        }
      }
    }
    return best;
  }

  void Frame(Body& b, const Input& in) {
    // Gravity.
    b.fallStep = std::min(b.fallStep + b.fallFrames, kMaxFallStep);
    b.y += b.fallStep;
    b.fallStep = 0;
    b.fallFrames = b.climbing ? 0 : b.fallFrames + 1;

    // Landing.
    bool ladder = false;
    const int top = Carrier(b, &ladder);
    b.landed = top >= 0;
    if (top >= 0) {
      b.y = top - 38;
      b.onGround = true;
      b.onLadderTop = ladder;
      b.fallFrames = 0;
      b.jumpPower = 0;
      b.jumping = b.rising = b.headBump = b.airborne = b.climbing = false;
    } else {
      b.onLadderTop = false;
      if (!b.jumping && !b.climbing) {
        b.airborne = true;
        b.onGround = false;
      }
    }

    // Jump: a longer hold gives a higher jump.
    if (in.jump && !b.airborne && !b.climbing && (!b.jumpLatch || b.jumpPower != 0)) {
      b.jumpLatch = true;
      if (!b.jumping) {
        b.jumping = true;
        b.jumpPower = kFirstJumpPower;
        b.onGround = false;
      }
      if (b.jumpPower < kMaxJumpPower) ++b.jumpPower;
    } else {
      b.jumpLatch = false;
    }

    if (b.jumping) HeadCheck(b);
    if (b.headBump) {
      b.fallStep = 0;
      b.jumpPower = 0;
      b.rising = false;
    } else {
      b.fallStep -= b.jumpPower;
    }
    b.rising = b.jumpPower - b.fallFrames >= 0;

    // Ladders.
    bool touched = b.contact;
    if (in.up && b.contact && b.reach) {
      b.climbing = true;
      b.jumping = b.rising = false;
      b.y -= kClimbStep;
      b.x = b.ladderX;
      HeadCheck(b);
    } else if (in.down && b.reach && (b.climbing || b.onLadderTop)) {
      touched = true;
      b.y += b.climbing ? kClimbStep : kLadderStepDown;
      b.x = b.ladderX;
      b.climbing = true;
      b.jumping = b.rising = false;
      b.onLadderTop = false;
    }

    // Walking, and the push-back out of walls.
    if (in.direction != 0 && !b.climbing) {
      const int before = b.x;
      b.x += in.direction * kRunSpeed;
      if (b.x < 5 || b.x > map_.WidthPixels() - 20) b.x = before;
      if (b.x != before && BlockedSideways(b, in.direction)) b.x -= in.direction * kRunSpeed;
    }

    if (!touched) b.climbing = false;
    TouchLadders(b);
  }

 private:
  void HeadCheck(Body& b) const {
    const int bottom = map_.SolidBottom(b.x - 12, b.y - 40, b.x + 12, b.y - 20);
    if (bottom >= 0) {
      b.headBump = true;
      b.y = bottom + 42;
      b.fallFrames = 0;
    }
  }

  bool BlockedSideways(const Body& b, int direction) const {
    const int left = b.x - 20, right = b.x + 20;
    if (!map_.SolidOverlaps(left, b.y - 25, right, b.y + 20)) return false;
    // Only a block the player has not already passed pushes it back.
    return direction > 0 ? map_.SolidOverlaps(left + 10, b.y - 25, right, b.y + 20)
                         : map_.SolidOverlaps(left, b.y - 25, right - 10, b.y + 20);
  }

  const StageMap& map_;
};

std::optional<Spot> SpotOf(const Body& b) {
  if ((b.x - kCellSize / 2) % kCellSize != 0 || (b.y + 38) % kCellSize != 0) return std::nullopt;
  const Spot s{(b.x - kCellSize / 2) / kCellSize, (b.y + 38) / kCellSize - 1};
  if (s.column < 0 || s.column >= kColumns || s.row < 0 || s.row >= kRows) return std::nullopt;
  return s;
}

// Lets the player fall from a position until it rests; nothing when it falls out.
std::optional<Body> Fall(const StageMap& map, int x, int y) {
  Mover mover(map);
  Body b;
  b.x = x;
  b.y = y;
  mover.TouchLadders(b);
  for (int frame = 0; frame < kMoveFrameLimit; ++frame) {
    mover.Frame(b, Input{});
    if (b.y > map.HeightPixels() + 80) return std::nullopt;
    if (b.landed && frame > 0) return b;
  }
  return std::nullopt;
}

std::optional<Spot> Settle(const StageMap& map, int x, int y) {
  const std::optional<Body> b = Fall(map, x, y);
  return b ? SpotOf(*b) : std::nullopt;
}

bool TouchesDoor(const StageMap& map, Spot s, int door) {
  for (int r = s.row - 1; r <= s.row; ++r) {
    if (map.Code(s.column, r) == door) return true;
  }
  return false;
}

bool TouchesGoal(const StageMap& map, Spot s) {
  for (int r = s.row - 1; r <= s.row; ++r) {
    for (int c = s.column - 1; c <= s.column; ++c) {
      if (map.Code(c, r) == kGoal || map.Code(c, r) == kWaitingGoal) return true;
    }
  }
  return false;
}

}  // namespace

// ---- StageMap ----

StageMap::StageMap(const uint8_t* record) : cellBoxes_(kColumns * kRows) {
  std::memcpy(grid_, record, sizeof grid_);
  screensX_ = std::clamp<int>(record[kWidthByte], 1, 3);
  screensY_ = std::clamp<int>(record[kHeightByte], 1, 3);
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      const int code = Code(column, row);
      if (IsMapObject(code)) AddSolid(column, row, code);
    }
  }
}

int StageMap::Code(int column, int row) const {
  if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return 0;
  return grid_[row * kColumns + column];
}

void StageMap::AddSolid(int column, int row, int code) {
  const BoxSpec shape = BoxOf(code);
  if (!shape.solid || shape.right <= shape.left || shape.bottom <= shape.top) return;
  const int x = column * kCellSize, y = row * kCellSize;
  const Box box{x + shape.left, y + shape.top, x + shape.right, y + shape.bottom, row * kColumns + column};
  const int index = static_cast<int>(boxes_.size());
  boxes_.push_back(box);
  for (int r = box.top / kCellSize; r <= (box.bottom - 1) / kCellSize && r < kRows; ++r) {
    for (int c = box.left / kCellSize; c <= (box.right - 1) / kCellSize && c < kColumns; ++c) {
      cellBoxes_[c * kRows + r].push_back(index);
    }
  }
}

const std::vector<int>& StageMap::BoxesIn(int column, int row) const {
  static const std::vector<int> kNone;
  if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return kNone;
  return cellBoxes_[column * kRows + row];
}

bool StageMap::SolidOverlaps(int left, int top, int right, int bottom) const {
  for (int r = std::max(0, top / kCellSize); r <= (bottom - 1) / kCellSize && r < kRows; ++r) {
    for (int c = std::max(0, left / kCellSize); c <= (right - 1) / kCellSize && c < kColumns; ++c) {
      for (int i : BoxesIn(c, r)) {
        const Box& b = boxes_[i];
        if (Overlap(left, top, right, bottom, b.left, b.top, b.right, b.bottom)) return true;
      }
    }
  }
  return false;
}

int StageMap::FirstCarrierTop(int left, int top, int right, int bottom, int* order) const {
  int best = -1;
  int first = kColumns * kRows;
  if (order == nullptr) order = &first;
  *order = kColumns * kRows;
  for (int r = std::max(0, top / kCellSize); r <= (bottom - 1) / kCellSize && r < kRows; ++r) {
    for (int c = std::max(0, left / kCellSize); c <= (right - 1) / kCellSize && c < kColumns; ++c) {
      for (int i : BoxesIn(c, r)) {
        const Box& b = boxes_[i];
        if (b.order < *order && Overlap(left, top, right, bottom, b.left, b.top, b.right, b.bottom)) {
          *order = b.order;
          // The object's own position, not its box top, is where the player lands.
          best = (b.order / kColumns) * kCellSize;
        }
      }
    }
  }
  return best;
}

int StageMap::SolidBottom(int left, int top, int right, int bottom) const {
  int lowest = -1;
  for (int r = std::max(0, top / kCellSize); r <= (bottom - 1) / kCellSize && r < kRows; ++r) {
    for (int c = std::max(0, left / kCellSize); c <= (right - 1) / kCellSize && c < kColumns; ++c) {
      for (int i : BoxesIn(c, r)) {
        const Box& b = boxes_[i];
        if (Overlap(left, top, right, bottom, b.left, b.top, b.right, b.bottom)) lowest = std::max(lowest, b.bottom);
      }
    }
  }
  return lowest;
}

// ---- Moves ----

const char* MoveName(MoveKind kind) {
  switch (kind) {
    case MoveKind::kWalk: return "walk";
    case MoveKind::kJump: return "jump";
    case MoveKind::kClimbUp: return "climb up";
    case MoveKind::kClimbDown: return "climb down";
    case MoveKind::kEnterDoor: return "enter door";
    case MoveKind::kTouchGoal: return "touch goal";
  }
  return "?";
}

std::string Describe(const Move& move) {
  std::string text = MoveName(move.kind);
  if (move.kind == MoveKind::kWalk || move.kind == MoveKind::kJump) {
    text += move.direction < 0 ? " left" : " right";
    if (move.kind == MoveKind::kJump) text += " (jump held " + std::to_string(move.jumpFrames) + " frames)";
    text += " to x " + std::to_string(move.targetX);
  }
  if (move.kind == MoveKind::kEnterDoor) text += " " + std::to_string(move.door);
  text += ", standing at column " + std::to_string(move.to.column) + ", row " + std::to_string(move.to.row);
  return text;
}

std::optional<Spot> Simulate(const StageMap& map, Spot from, const Move& move) {
  Mover mover(map);
  Body b;
  b.x = from.WorldX();
  b.y = from.WorldY();
  // A settling frame first, so that the ground and the ladder flags are those of a player at
  // rest on the spot.
  mover.TouchLadders(b);
  mover.Frame(b, Input{});
  if (!b.landed || b.x != from.WorldX() || b.y != from.WorldY()) return std::nullopt;

  switch (move.kind) {
    case MoveKind::kEnterDoor:
      return TouchesDoor(map, from, move.door) ? std::optional<Spot>(from) : std::nullopt;
    case MoveKind::kTouchGoal:
      return TouchesGoal(map, from) ? std::optional<Spot>(from) : std::nullopt;
    case MoveKind::kClimbUp:
    case MoveKind::kClimbDown: {
      const bool up = move.kind == MoveKind::kClimbUp;
      if (up ? !(b.contact && b.reach) : !(b.reach && b.onLadderTop)) return std::nullopt;
      bool climbed = false;
      int stillFrames = 0;
      for (int frame = 0; frame < kMoveFrameLimit; ++frame) {
        const int y = b.y;
        Input in;
        in.up = up;
        in.down = !up;
        mover.Frame(b, in);
        if (b.y > map.HeightPixels() + 80) return std::nullopt;
        climbed = climbed || b.climbing;
        if (climbed && b.landed && !b.climbing) return SpotOf(b);
        stillFrames = b.y == y ? stillFrames + 1 : 0;
        if (stillFrames > 4) return std::nullopt;  // held under a ceiling
      }
      return std::nullopt;
    }
    case MoveKind::kWalk:
    case MoveKind::kJump: {
      if (move.direction == 0) return std::nullopt;
      int stuck = 0;
      for (int frame = 0; frame < kMoveFrameLimit; ++frame) {
        Input in;
        const bool steering = b.x != move.targetX;
        if (steering) in.direction = move.direction;
        in.jump = move.kind == MoveKind::kJump && frame < move.jumpFrames;
        const int x = b.x;
        mover.Frame(b, in);
        if (b.y > map.HeightPixels() + 80) return std::nullopt;
        if (steering) {
          stuck = b.x == x ? stuck + 1 : 0;
          // Pushed back by a wall for longer than a jump could take to clear it.
          if (stuck > (move.kind == MoveKind::kJump ? 40 : 2)) return std::nullopt;
          // Overshooting cannot happen at 4 pixels a frame between cell centres.
          if ((move.direction > 0) != (move.targetX > b.x) && b.x != move.targetX) return std::nullopt;
        }
        if (!steering && !in.jump && b.landed) return SpotOf(b);
      }
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<Spot> StartSpot(const StageMap& map) {
  int column = -1, row = -1;
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      const int code = map.Code(c, r);
      if (code >= 95 && code <= 97) column = c, row = r;
    }
  }
  if (column < 0) return std::nullopt;
  return Settle(map, column * kCellSize + kCellSize / 2, row * kCellSize);
}

std::optional<Spot> EntrySpot(const StageMap& map, int door) {
  int column = -1, row = -1;
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      if (map.Code(c, r) == door) column = c, row = r;
    }
  }
  if (column < 0) return std::nullopt;
  return Settle(map, column * kCellSize + kCellSize / 2, row * kCellSize + kCellSize);
}

std::optional<Spot> LandingSpot(const StageMap& map, int x, int y) {
  // A scene may let go between two cell centres: the spot is the cell under the player's x.
  const std::optional<Body> b = Fall(map, x, y);
  if (!b || (b->y + 38) % kCellSize != 0 || b->x < 0) return std::nullopt;
  const Spot s{b->x / kCellSize, (b->y + 38) / kCellSize - 1};
  if (s.column >= kColumns || s.row < 0 || s.row >= kRows) return std::nullopt;
  return s;
}

std::vector<int> DoorCodes(const StageMap& map) {
  bool seen[10] = {};
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      const int code = map.Code(c, r);
      if (code >= 1 && code <= 9) seen[code] = true;
    }
  }
  std::vector<int> codes;
  for (int code = 1; code <= 9; ++code) {
    if (seen[code]) codes.push_back(code);
  }
  return codes;
}

// ---- Routes ----

namespace {

constexpr int kWalkCost = 1;
constexpr int kFallCost = 3;
constexpr int kClimbCost = 2;
constexpr int kJumpCost = 12;
constexpr int kJumpHolds[] = {4, 12};
constexpr int kJumpReach = 4;  // columns

}  // namespace

int MoveCost(const Move& move, Spot from) {
  switch (move.kind) {
    case MoveKind::kWalk: return move.to.row == from.row ? kWalkCost : kFallCost;
    case MoveKind::kJump: return kJumpCost + std::abs(move.targetX - from.WorldX()) / kCellSize;
    default: return kClimbCost * (1 + std::abs(move.to.row - from.row));
  }
}

const std::vector<Move>& MoveGraph::MovesFrom(Spot here) {
  const int key = here.column * kRows + here.row;
  std::vector<Move>& moves = moves_[key];
  if (known_[key]) return moves;
  known_[key] = true;
  auto attempt = [&](Move move) {
    const std::optional<Spot> to = Simulate(map_, here, move);
    if (!to || *to == here) return false;
    move.to = *to;
    moves.push_back(move);
    return true;
  };
  for (int direction : {-1, 1}) {
    Move walk;
    walk.kind = MoveKind::kWalk;
    walk.direction = direction;
    walk.targetX = here.WorldX() + direction * kCellSize;
    const bool walked = attempt(walk);
    if (walked && moves.back().to.row == here.row) continue;
    for (int hold : kJumpHolds) {
      for (int columns = 1; columns <= kJumpReach; ++columns) {
        Move jump;
        jump.kind = MoveKind::kJump;
        jump.direction = direction;
        jump.jumpFrames = hold;
        jump.targetX = here.WorldX() + direction * columns * kCellSize;
        attempt(jump);
      }
    }
  }
  for (MoveKind kind : {MoveKind::kClimbUp, MoveKind::kClimbDown}) {
    Move climb;
    climb.kind = kind;
    attempt(climb);
  }
  return moves;
}

Routes::Routes(MoveGraph& graph, Spot from) : map_(graph.Map()), indexOf_(kColumns * kRows, -1) {
  using Entry = std::pair<int, int>;  // cost, node
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
  std::vector<bool> done;
  auto offer = [&](Spot s, int cost, int previous, const Move& via) {
    const int key = s.column * kRows + s.row;
    int& index = indexOf_[key];
    if (index < 0) {
      index = static_cast<int>(spots_.size());
      spots_.push_back(Node{s, cost, previous, via});
      done.push_back(false);
    } else if (cost < spots_[index].cost && !done[index]) {
      spots_[index].cost = cost;
      spots_[index].previous = previous;
      spots_[index].via = via;
    } else {
      return;
    }
    open.push({cost, index});
  };
  offer(from, 0, -1, Move{});
  while (!open.empty()) {
    const auto [cost, index] = open.top();
    open.pop();
    if (done[index] || cost != spots_[index].cost) continue;
    done[index] = true;
    const Spot here = spots_[index].spot;
    for (const Move& move : graph.MovesFrom(here)) offer(move.to, cost + MoveCost(move, here), index, move);
  }
}

std::vector<Move> PlanFromStart(const StageMap& map, Target target) {
  const std::optional<Spot> start = StartSpot(map);
  if (!start) return {};
  MoveGraph graph(map);
  return Routes(graph, *start).PlanTo(target);
}

bool Routes::Reaches(Target target) const { return !PlanTo(target).empty(); }

std::vector<Move> Routes::PlanTo(Target target) const {
  int best = -1;
  for (int i = 0; i < static_cast<int>(spots_.size()); ++i) {
    const Spot s = spots_[i].spot;
    const bool touches = target.door == 0 ? TouchesGoal(map_, s) : TouchesDoor(map_, s, target.door);
    if (touches && (best < 0 || spots_[i].cost < spots_[best].cost)) best = i;
  }
  if (best < 0) return {};
  std::vector<Move> moves;
  Move last;
  last.kind = target.door == 0 ? MoveKind::kTouchGoal : MoveKind::kEnterDoor;
  last.door = target.door;
  last.to = spots_[best].spot;
  moves.push_back(last);
  for (int i = best; spots_[i].previous >= 0; i = spots_[i].previous) moves.push_back(spots_[i].via);
  std::reverse(moves.begin(), moves.end());
  // Steps of one walk along a floor become one move.
  std::vector<Move> merged;
  bool lastWasLevelWalk = false;
  Spot at = spots_[0].spot;
  for (const Move& move : moves) {
    const bool levelWalk = move.kind == MoveKind::kWalk && move.to.row == at.row;
    if (levelWalk && lastWasLevelWalk && merged.back().direction == move.direction) {
      merged.back() = move;
    } else {
      merged.push_back(move);
    }
    lastWasLevelWalk = levelWalk;
    at = move.to;
  }
  return merged;
}

}  // namespace stage_route
