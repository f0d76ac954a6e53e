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
constexpr int kSneakSpeed = 2;
constexpr int kConveyorStep = 2;
constexpr int kShutterKey = 177;
constexpr int kFirstShutterItem = 181;
constexpr int kTarget = 20;
// A shutter rises 10 pixels a frame from the frame it is started and is open at 120.
constexpr int kShutterFrames = 12;
// The longest run of cells a walk crosses without stopping (crumbling floors, pitfalls).
constexpr int kMaxCrossing = 12;
// A ledge climb (state 8) lasts 36 frames and ends 36 pixels ahead and 60 up.
constexpr int kLedgeClimbFrames = 35;
constexpr int kLedgeClimbAhead = 36;
constexpr int kLedgeClimbUp = 60;
constexpr int kLedgeRoom = 70;

bool IsShutter(int code) { return code == 58 || (code >= 66 && code <= 74); }
bool IsVanishing(int code) { return code >= 79 && code <= 81; }
// Floors a route crosses but never stops on.
bool IsRestless(int code) { return code >= 59 && code <= 62; }
// Floors that move the player (carrying belts, jump pads): no move may stand on them.
bool IsConveyor(int code) { return code == 75 || code == 76; }
bool IsJumpPad(int code) { return code >= 83 && code <= 85; }
bool IsPipe(int code) { return code >= 86 && code <= 88; }

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
  bool springing = false;  // thrown up by a jump pad
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
  int carrier = -1;  // spawn order of what carried the player this frame
  int facing = 0;    // 0 right, 1 left
  bool ledgeFound = false;
  int ledgeSide = 0;        // the facing when it was found
  StageMap::Solid ledge{};  // the block found, then hung from
  bool hanging = false;
  bool ledgeClimb = false;  // climbing up from hanging
  int ledgeClimbFrames = 0;
  bool pipeReach = false;
  bool crawling = false;
};

struct Input {
  int direction = 0;
  bool sneak = false;  // half speed while standing
  bool jump = false;
  bool up = false;
  bool down = false;
  bool interact = false;
};

bool Touches(const Body& b, const StageMap::Hazard& h) {
  auto hits = [&h](int l, int t, int r, int bo) { return Overlap(l, t, r, bo, h.left, h.top, h.right, h.bottom); };
  switch (h.reach) {
    case StageMap::Reach::kKillBox: return hits(b.x - 12, b.y - 30, b.x + 12, b.y + 40);
    case StageMap::Reach::kElectricBox: return hits(b.x - 15, b.y - 20, b.x + 15, b.y + 39);
    case StageMap::Reach::kAnyBox:
      return hits(b.x - 12, b.y - 40, b.x + 12, b.y - 20) || hits(b.x - 20, b.y - 25, b.x + 20, b.y + 20) ||
             hits(b.x - 12, b.y + 5, b.x + 12, b.y + 39);
  }
  return false;
}

class Mover {
 public:
  explicit Mover(const StageMap& map, RouteState state = {}) : map_(map), state_(state) {}

  const RouteState& State() const { return state_; }
  // Bits picked up since the mover started.
  uint64_t Picked() const { return picked_; }
  // Whether a shutter has started to open and is not open yet.
  bool Opening() const { return opening_ != 0; }
  // A hazard touched the player.
  bool Hurt() const { return hurt_; }
  // A jump pad threw the player or a conveyor carried it: where a move ends then depends on
  // how long the direction is held.
  bool Carried() const { return carried_; }
  // The player hung from a floor that gives way.
  bool GrabbedRestless() const { return grabbedRestless_; }
  // What the player met since the mover started (Met bits).
  uint32_t Met() const { return met_; }

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

  // The tile code of what carries the player (0 nothing).
  int CarrierCode(const Body& b) const {
    return b.carrier < 0 ? 0 : map_.Code(b.carrier % kColumns, b.carrier / kColumns);
  }

  // The first object in spawn order that carries the player, as its top; -1 none.
  int Carrier(Body& b, bool* ladder) const {
    const int left = b.x - 12, top = b.y + 5, right = b.x + 12, bottom = b.y + 39;
    // The earliest block in spawn order; a ladder earlier in the order wins over it.
    int bestOrder = kColumns * kRows;
    int best = map_.FirstCarrierTop(left, top, right, bottom, &bestOrder, state_.open);
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
    b.carrier = best >= 0 ? bestOrder : -1;
    return best;
  }

  void Frame(Body& b, const Input& in) {
    // Gravity.
    b.fallStep = std::min(b.fallStep + b.fallFrames, kMaxFallStep);
    b.y += b.fallStep;
    b.fallStep = 0;
    b.fallFrames = b.climbing || b.hanging || b.crawling ? 0 : b.fallFrames + 1;

    // The ledge search and the pipe probe, in the air (and along a pipe).
    const bool inAir = b.jumping || b.springing || b.airborne;
    b.ledgeFound = inAir && SearchLedge(b);
    b.pipeReach = false;
    if (inAir || b.crawling) {
      b.pipeReach = map_.PipeWithinReach(b.x, b.y);
      if (!b.pipeReach) b.crawling = false;
    }

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
      b.jumping = b.rising = b.headBump = b.airborne = b.climbing = b.crawling = false;
      const int code = ladder ? kLadder : map_.Code(b.carrier % kColumns, b.carrier / kColumns);
      b.springing = IsJumpPad(code);
      if (b.springing) {
        static constexpr int kPadPower[3] = {20, 25, 30};
        b.jumpPower = kPadPower[code - 83];
        carried_ = true;
      }
      if (IsConveyor(code)) carried_ = true;
    } else {
      b.onLadderTop = false;
      if (!b.jumping && !b.springing && !b.climbing) {
        b.airborne = true;
        b.onGround = false;
      }
    }

    // Jump: a longer hold gives a higher jump.
    if (in.jump && !b.airborne && !b.springing && !b.climbing && !b.ledgeClimb && (!b.jumpLatch || b.jumpPower != 0)) {
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

    if (b.jumping || b.springing) {
      HeadCheck(b);
      if (b.headBump) {
        b.fallStep = 0;
        b.jumpPower = 0;
        b.rising = false;
      } else {
        b.fallStep -= b.jumpPower;
      }
      b.rising = b.jumpPower - b.fallFrames >= 0;
    }

    // Ladders.
    bool touched = b.contact;
    const bool free = !b.hanging && !b.ledgeClimb;
    if (in.up && free && b.contact && b.reach) {
      b.climbing = true;
      b.jumping = b.springing = b.rising = false;
      b.y -= kClimbStep;
      b.x = b.ladderX;
      HeadCheck(b);
    } else if (in.down && free && b.reach && (b.climbing || b.onLadderTop)) {
      touched = true;
      b.y += b.climbing ? kClimbStep : kLadderStepDown;
      b.x = b.ladderX;
      b.climbing = true;
      b.jumping = b.springing = b.rising = false;
      b.onLadderTop = false;
    }

    // Walking: a conveyor under the player carries it first, then the keys move it, and a
    // wall ahead pushes it back by the step (and the conveyor's, when it carried that way).
    // Hanging and climbing onto a ledge keep the player where it is.
    if (free) {
      const int stand = b.landed ? CarrierCode(b) : 0;
      const int before = b.x;
      if (stand == 75) Step(b, 1, kConveyorStep);
      if (stand == 76) Step(b, -1, kConveyorStep);
      int speed = 0;
      if (in.direction != 0 && !b.climbing) {
        b.facing = in.direction < 0 ? 1 : 0;
        const bool sneaking = in.sneak && !b.airborne && !b.jumping;
        speed = b.crawling ? 1 : sneaking ? kSneakSpeed : kRunSpeed;
        Step(b, in.direction, speed);
      }
      const int moved = b.x - before;
      if (moved != 0) {
        const int way = moved > 0 ? 1 : -1;
        const bool carriedThatWay = (way > 0 && stand == 75) || (way < 0 && stand == 76);
        if (BlockedSideways(b, way)) b.x -= way * (speed + (carriedThatWay ? kConveyorStep : 0));
      }
    }

    GrabAndHang(b, in);
    if (!touched) b.climbing = false;
    MapObjects(b);
    // The sprite routine ends the climb onto a ledge.
    if (b.ledgeClimb && ++b.ledgeClimbFrames > kLedgeClimbFrames) {
      b.ledgeClimb = b.hanging = false;
      b.x += b.facing == 1 ? -kLedgeClimbAhead : kLedgeClimbAhead;
      b.y -= kLedgeClimbUp;
    }
    Note(b);
  }

  // Interact in the air takes a pipe within reach, else the ledge found on the side the
  // player faces; up while hanging climbs when the strip above the ledge is free, down lets
  // go; jump drops from a pipe.
  void GrabAndHang(Body& b, const Input& in) {
    const bool inAir = b.jumping || b.springing || b.airborne;
    if (inAir && in.interact) {
      if (b.pipeReach && !b.hanging) {
        b.crawling = true;
        b.jumping = b.springing = b.rising = false;
        b.jumpPower = b.fallFrames = b.fallStep = 0;
      } else if (b.ledgeFound && b.ledgeSide == b.facing) {
        b.hanging = true;
        b.jumping = b.springing = b.rising = false;
        b.jumpPower = b.fallFrames = b.fallStep = 0;
        b.y = (b.ledge.order / kColumns) * kCellSize + kCellSize;
        const int code = map_.Code(b.ledge.order % kColumns, b.ledge.order / kColumns);
        grabbedRestless_ = grabbedRestless_ || IsRestless(code);
      }
    }
    if (b.hanging && !b.ledgeClimb) {
      if (in.down) {
        b.hanging = false;
      } else if (in.up) {
        const StageMap::Solid& l = b.ledge;
        const int left = b.facing == 1 ? l.right - 40 : l.left + 3, right = b.facing == 1 ? l.right : l.left + 37;
        if (!map_.SolidOverlapsExcept(left, l.top - kLedgeRoom, right, l.top, l.order, state_.open)) {
          b.ledgeClimb = true;
          b.ledgeClimbFrames = 0;
        }
      }
    }
    if (b.crawling && in.jump) b.crawling = false;
  }

  // The map objects' part of a frame, after the player moved: ladders, then in spawn order
  // the shutters and the pickups, then the hazards.
  void MapObjects(Body& b) {
    TouchLadders(b);
    const uint64_t before = state_.collected;
    const std::vector<StageMap::Area>& pickups = map_.Pickups();
    uint64_t now = 0;
    for (const StageMap::Area& a : pickups) {
      if (Overlap(b.x - 20, b.y - 25, b.x + 20, b.y + 20, a.left, a.top, a.right, a.bottom)) now |= uint64_t{1} << a.bit;
    }
    const std::vector<StageMap::Shutter>& shutters = map_.Shutters();
    for (size_t i = 0; i < shutters.size(); ++i) {
      const uint32_t bit = uint32_t{1} << i;
      const StageMap::Shutter& s = shutters[i];
      if ((opening_ & bit) != 0) {
        if (++openFrames_[i] >= kShutterFrames) {
          opening_ &= ~bit;
          state_.open |= bit;
        }
        continue;
      }
      if ((state_.open & bit) != 0) continue;
      // A key picked up this frame counts for the shutters after it in spawn order.
      uint64_t held = before;
      for (const StageMap::Area& a : pickups) {
        if ((now >> a.bit & 1) != 0 && a.order < s.order) held |= uint64_t{1} << a.bit;
      }
      if ((held >> s.key & 1) == 0) continue;
      const int left = s.column * kCellSize, top = s.row * kCellSize;
      if (Overlap(b.x - 15, b.y - 20, b.x + 15, b.y + 39, left - 20, top, left + 60, top + s.zoneBottom)) {
        opening_ |= bit;
        openFrames_[i] = 1;
      }
    }
    picked_ |= now;
    state_.collected |= now;
    for (int h : map_.HazardsNear(b.x, b.y)) hurt_ = hurt_ || Touches(b, map_.Hazards()[static_cast<size_t>(h)]);
  }

 private:
  // The first solid block in spawn order whose top corner is in front of the hands, free
  // above and under no block over the head; remembers it in `b.ledge`.
  bool SearchLedge(Body& b) const {
    const int fl = b.facing == 1 ? b.x - 25 : b.x + 20, fr = fl + 5, ft = b.y - 35, fb = b.y - 30;
    const int out = b.facing == 1 ? -10 : 10;
    if (!map_.SolidOverlaps(fl, ft, fr, fb, state_.open)) return false;
    for (const StageMap::Solid& s : map_.SolidsOverlapping(fl, ft, fr, fb, state_.open)) {
      if (ft >= s.top + 10) continue;
      if (map_.SolidOverlapsExcept(fl + out, ft - 20, fr + out, fb, s.order, state_.open)) continue;
      if (map_.SolidOverlaps(b.x - 12, b.y - 60, b.x + 12, b.y - 20, state_.open)) continue;
      b.ledge = s;
      b.ledgeSide = b.facing;
      return true;
    }
    return false;
  }

  // Notes what the frame met.
  void Note(const Body& b) {
    if (b.landed) {
      const int code = CarrierCode(b);
      if (IsConveyor(code)) met_ |= kMetConveyor;
      if (IsJumpPad(code)) met_ |= kMetJumpPad;
      if (code == 59 || code == 60) met_ |= kMetCrumbling;
      if (code == 61 || code == 62) met_ |= kMetPitfall;
    }
    if (b.crawling) met_ |= kMetPipe;
    if (b.hanging) met_ |= kMetLedge;
    if (opening_ != 0) met_ |= kMetShutter;
    met_ |= map_.ThingsNear(b.x, b.y) & (b.landed ? ~0u : ~static_cast<uint32_t>(kMetTerminal));
  }

  void HeadCheck(Body& b) const {
    const int bottom = map_.SolidBottom(b.x - 12, b.y - 40, b.x + 12, b.y - 20, state_.open);
    if (bottom >= 0) {
      b.headBump = true;
      b.y = bottom + 42;
      b.fallFrames = 0;
    }
  }

  // A step that the edges of the stage allow.
  void Step(Body& b, int direction, int speed) const {
    if (direction > 0 ? b.x < map_.WidthPixels() - 20 : b.x > 5) b.x += direction * speed;
  }

  bool BlockedSideways(const Body& b, int direction) const {
    const int left = b.x - 20, right = b.x + 20;
    if (!map_.SolidOverlaps(left, b.y - 25, right, b.y + 20, state_.open)) return false;
    // Only a block the player has not already passed pushes it back.
    return direction > 0 ? map_.SolidOverlaps(left + 10, b.y - 25, right, b.y + 20, state_.open)
                         : map_.SolidOverlaps(left, b.y - 25, right - 10, b.y + 20, state_.open);
  }

  const StageMap& map_;
  RouteState state_;
  uint64_t picked_ = 0;
  uint32_t opening_ = 0;
  int openFrames_[kMaxShutters] = {};
  bool hurt_ = false;
  bool carried_ = false;
  bool grabbedRestless_ = false;
  uint32_t met_ = 0;
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

// The map objects' standard test of a player at world (x, y) against the cell at (left, top).
bool StandardTest(int x, int y, int left, int top) {
  return x + 10 > left && x - 10 < left + kCellSize && y + 20 > top && y - 20 < top + kCellSize;
}

bool TouchesDoorAt(const StageMap& map, int x, int y, int door) {
  const int c = x / kCellSize, r = y / kCellSize;
  for (int row = r - 1; row <= r + 1; ++row) {
    for (int column = c - 1; column <= c + 1; ++column) {
      if (map.Code(column, row) == door && StandardTest(x, y, column * kCellSize, row * kCellSize)) return true;
    }
  }
  return false;
}

// The goal's test is the standard one shifted 20 pixels right. A waiting goal counts once
// every target has been touched.
bool TouchesGoalAt(const StageMap& map, int x, int y, const RouteState& state) {
  const uint64_t targets = map.AllTargets();
  const bool open = map.TargetCount() <= kMaxTargets && (state.collected & targets) == targets;
  const int c = x / kCellSize, r = y / kCellSize;
  for (int row = r - 1; row <= r + 1; ++row) {
    for (int column = c - 2; column <= c + 1; ++column) {
      const int code = map.Code(column, row);
      if ((code == kGoal || (code == kWaitingGoal && open)) &&
          StandardTest(x, y, column * kCellSize + 20, row * kCellSize)) {
        return true;
      }
    }
  }
  return false;
}

bool TouchesDoor(const StageMap& map, Spot s, int door) { return TouchesDoorAt(map, s.WorldX(), s.WorldY(), door); }

bool TouchesGoal(const StageMap& map, Spot s, const RouteState& state) {
  return TouchesGoalAt(map, s.WorldX(), s.WorldY(), state);
}

}  // namespace

// ---- StageMap ----

StageMap::StageMap(const uint8_t* record, int character)
    : cellBoxes_(kColumns * kRows), cellNear_(kColumns * kRows), cellHazards_(kColumns * kRows), pipeCells_(kColumns * kRows, false) {
  std::memcpy(grid_, record, sizeof grid_);
  screensX_ = std::clamp<int>(record[kWidthByte], 1, 3);
  screensY_ = std::clamp<int>(record[kHeightByte], 1, 3);
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      const int code = Code(column, row);
      if (!IsMapObject(code)) continue;
      const int x = column * kCellSize, y = row * kCellSize, order = row * kColumns + column;
      if (IsVanishing(code)) {
        // Sometimes there, sometimes not: a route keeps clear of it.
        hazards_.push_back({x, y, x + kCellSize, y + kCellSize, Reach::kAnyBox});
        continue;
      }
      AddSolid(column, row, code);
      if (IsPipe(code)) {
        // The pipe's box: the left end's last quarter, the whole middle, the right end's half.
        static constexpr int kPipeBoxes[3][2] = {{30, 40}, {0, 40}, {0, 20}};
        const int* p = kPipeBoxes[code - 86];
        pipes_.push_back({x + p[0], y + 20, x + p[1], y + 25, 0, order});
        pipeCells_[column * kRows + row] = true;
      } else if (code == 82 || code == 89 || code == 90) {
        // Within 20 pixels of the player's box (x − 20 .. x + 20, y − 40 .. y + 39).
        const BoxSpec box = BoxOf(code);
        near_.push_back({x + box.left - 40, y + box.top - 59, x + box.right + 40, y + box.bottom + 60,
                         code == 82 ? kMetGlass : kMetBreakable});
      } else if (code == 11) {
        // The terminal's reach: the map objects' standard test.
        near_.push_back({x - 10, y - 20, x + 50, y + 60, kMetTerminal});
      }
      if (code >= 21 && code <= 24) {
        static constexpr int kZones[4][4] = {{0, 40, -20, 0}, {0, 40, 40, 60}, {40, 60, 5, 35}, {-20, 0, 5, 35}};
        const int* z = kZones[code - 21];
        hazards_.push_back({x + z[0], y + z[2], x + z[1], y + z[3], Reach::kKillBox});
      } else if (code == 77) {
        hazards_.push_back({x + 5, y - 10, x + 35, y, Reach::kElectricBox});
      } else if (code == kShutterKey || (code >= kFirstShutterItem && code <= kFirstShutterItem + 8)) {
        if (character == 1 && code == 187) continue;
        // The pickup box, less the item's bobbing of up to 5 pixels down.
        const int bit = code == kShutterKey ? 0 : code - kFirstShutterItem + 1;
        pickups_.push_back({x + 6, y + 15, x + 33, y + 40, bit, order});
      } else if (code == kTarget) {
        if (targetCount_ < kMaxTargets) {
          pickups_.push_back({x + 5, y + 5, x + 35, y + 65, kFirstTargetBit + targetCount_, order});
        }
        ++targetCount_;
      }
    }
  }
  Index();
}

// The cells whose points may lie in the rectangle, so that a frame looks only at what is
// registered for the player's cell.
void StageMap::Index() {
  const auto enter = [](std::vector<std::vector<int>>& cells, int index, int left, int top, int right, int bottom) {
    for (int c = std::max(0, left / kCellSize); c <= std::min(kColumns - 1, right / kCellSize); ++c) {
      for (int r = std::max(0, top / kCellSize); r <= std::min(kRows - 1, bottom / kCellSize); ++r) cells[c * kRows + r].push_back(index);
    }
  };
  for (int i = 0; i < static_cast<int>(near_.size()); ++i) {
    const Near& n = near_[static_cast<size_t>(i)];
    enter(cellNear_, i, n.left, n.top, n.right, n.bottom);
  }
  // Every box the hazards test reaches at most 20 pixels across and 40 up and down from the
  // player's point.
  for (int i = 0; i < static_cast<int>(hazards_.size()); ++i) {
    const Hazard& h = hazards_[static_cast<size_t>(i)];
    enter(cellHazards_, i, h.left - 20, h.top - 40, h.right + 20, h.bottom + 40);
  }
}

const std::vector<int>& StageMap::HazardsNear(int x, int y) const {
  static const std::vector<int> kNone;
  if (x < 0 || y < 0 || x >= kColumns * kCellSize || y >= kRows * kCellSize) return kNone;
  return cellHazards_[(x / kCellSize) * kRows + y / kCellSize];
}

uint64_t StageMap::AllTargets() const {
  const int n = std::min(targetCount_, kMaxTargets);
  return n == 0 ? 0 : ((n == 64 - kFirstTargetBit ? ~uint64_t{0} : (uint64_t{1} << n) - 1) << kFirstTargetBit);
}

int StageMap::Code(int column, int row) const {
  if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return 0;
  return grid_[row * kColumns + column];
}

void StageMap::AddSolid(int column, int row, int code) {
  const BoxSpec shape = BoxOf(code);
  if (!shape.solid || shape.right <= shape.left || shape.bottom <= shape.top) return;
  const int x = column * kCellSize, y = row * kCellSize;
  int gate = -1;
  if (IsShutter(code) && shutters_.size() < static_cast<size_t>(kMaxShutters)) {
    // Shutters past the last one the state can hold stay shut.
    gate = static_cast<int>(shutters_.size());
    const int key = code == 58 ? 0 : code - 65;
    shutters_.push_back({column, row, key, code == 58 ? 100 : 80, row * kColumns + column});
  }
  const Box box{x + shape.left, y + shape.top, x + shape.right, y + shape.bottom, row * kColumns + column, gate};
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

bool StageMap::SolidOverlaps(int left, int top, int right, int bottom, uint32_t open) const {
  for (int r = std::max(0, top / kCellSize); r <= (bottom - 1) / kCellSize && r < kRows; ++r) {
    for (int c = std::max(0, left / kCellSize); c <= (right - 1) / kCellSize && c < kColumns; ++c) {
      for (int i : BoxesIn(c, r)) {
        const Box& b = boxes_[i];
        if (b.gate >= 0 && (open >> b.gate & 1) != 0) continue;
        if (Overlap(left, top, right, bottom, b.left, b.top, b.right, b.bottom)) return true;
      }
    }
  }
  return false;
}

int StageMap::FirstCarrierTop(int left, int top, int right, int bottom, int* order, uint32_t open) const {
  int best = -1;
  int first = kColumns * kRows;
  if (order == nullptr) order = &first;
  *order = kColumns * kRows;
  for (int r = std::max(0, top / kCellSize); r <= (bottom - 1) / kCellSize && r < kRows; ++r) {
    for (int c = std::max(0, left / kCellSize); c <= (right - 1) / kCellSize && c < kColumns; ++c) {
      for (int i : BoxesIn(c, r)) {
        const Box& b = boxes_[i];
        if (b.gate >= 0 && (open >> b.gate & 1) != 0) continue;
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

std::vector<StageMap::Solid> StageMap::SolidsOverlapping(int left, int top, int right, int bottom, uint32_t open) const {
  std::vector<Solid> found;
  for (int r = std::max(0, top / kCellSize); r <= (bottom - 1) / kCellSize && r < kRows; ++r) {
    for (int c = std::max(0, left / kCellSize); c <= (right - 1) / kCellSize && c < kColumns; ++c) {
      for (int i : BoxesIn(c, r)) {
        const Box& b = boxes_[i];
        if (b.gate >= 0 && (open >> b.gate & 1) != 0) continue;
        if (!Overlap(left, top, right, bottom, b.left, b.top, b.right, b.bottom)) continue;
        const bool known = std::any_of(found.begin(), found.end(), [&](const Solid& s) { return s.order == b.order; });
        if (!known) found.push_back({b.left, b.top, b.right, b.bottom, b.order});
      }
    }
  }
  std::sort(found.begin(), found.end(), [](const Solid& a, const Solid& b) { return a.order < b.order; });
  return found;
}

bool StageMap::SolidOverlapsExcept(int left, int top, int right, int bottom, int except, uint32_t open) const {
  for (const Solid& s : SolidsOverlapping(left, top, right, bottom, open)) {
    if (s.order != except) return true;
  }
  return false;
}

bool StageMap::PipeWithinReach(int x, int y) const {
  // A pipe's box is 20 pixels into its cell: cells whose top is between y − 70 and y − 40.
  bool near = false;
  for (int c = std::max(0, (x - 15) / kCellSize); c <= std::min(kColumns - 1, (x + 15) / kCellSize) && !near; ++c) {
    for (int r = std::max(0, (y - 70) / kCellSize); r <= std::min(kRows - 1, (y - 40) / kCellSize); ++r) near = near || pipeCells_[c * kRows + r];
  }
  if (!near) return false;
  for (const Area& p : pipes_) {
    if (x - 15 < p.right && x + 15 > p.left && y - 20 > p.top && y - 40 < p.top + 10) return true;
  }
  return false;
}

uint32_t StageMap::ThingsNear(int x, int y) const {
  if (x < 0 || y < 0 || x >= kColumns * kCellSize || y >= kRows * kCellSize) return 0;
  uint32_t met = 0;
  for (int i : cellNear_[(x / kCellSize) * kRows + y / kCellSize]) {
    const Near& n = near_[static_cast<size_t>(i)];
    if (x > n.left && x < n.right && y > n.top && y < n.bottom) met |= n.met;
  }
  return met;
}

int StageMap::SolidBottom(int left, int top, int right, int bottom, uint32_t open) const {
  int lowest = -1;
  for (int r = std::max(0, top / kCellSize); r <= (bottom - 1) / kCellSize && r < kRows; ++r) {
    for (int c = std::max(0, left / kCellSize); c <= (right - 1) / kCellSize && c < kColumns; ++c) {
      for (int i : BoxesIn(c, r)) {
        const Box& b = boxes_[i];
        if (b.gate >= 0 && (open >> b.gate & 1) != 0) continue;
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
    case MoveKind::kLedgeClimb: return "climb onto a ledge";
    case MoveKind::kCrawl: return "crawl along a pipe";
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
  if (move.kind == MoveKind::kLedgeClimb || move.kind == MoveKind::kCrawl) {
    text += move.direction < 0 ? " leftwards" : " rightwards";
    text += " (jump held " + std::to_string(move.jumpFrames) + " frames)";
  }
  if (move.kind == MoveKind::kEnterDoor) {
    text += ' ';
    text += std::to_string(move.door);
  }
  if (move.nudge != 0) text += ", then " + std::to_string(move.nudge) + " pixels to the centre";
  text += ", standing at column " + std::to_string(move.to.column) + ", row " + std::to_string(move.to.row);
  return text;
}

namespace {

struct Outcome {
  std::optional<Spot> to;
  bool restless = false;  // came to rest where no move may end
  int nudge = 0;          // the steps that put the player on the cell's centre (Move::nudge)
};

// The end of a move: the player waits while started shutters open, lands again if one
// opened under it, rides a conveyor to its end, and must then stand at a cell's centre on a
// floor that holds. A player left off a centre (by a conveyor) steps to the nearest one:
// running 4 pixels a frame, sneaking the last 2.
Outcome Rest(const StageMap& map, Mover& mover, Body& b) {
  bool nudged = false;
  int goal = 0, from = 0;  // the centre's x while stepping to it, and where the steps began
  int still = 0;
  for (int frame = 0; frame < kMoveFrameLimit; ++frame) {
    if (mover.Hurt() || b.y > map.HeightPixels() + 80) return {};
    Input in;
    if (!mover.Opening() && b.landed) {
      const int code = mover.CarrierCode(b);
      if (IsRestless(code)) return {std::nullopt, true};
      // A jump pad throws the player up again and again.
      if (IsJumpPad(code)) return {};
      if (!IsConveyor(code)) {
        if (!nudged) {
          const int off = ((b.x - kCellSize / 2) % kCellSize + kCellSize) % kCellSize;
          nudged = true;
          from = b.x;
          goal = off < kCellSize / 2 ? b.x - off : b.x + kCellSize - off;
        }
        if (b.x == goal) return {SpotOf(b), false, goal - from};
        // Steps of 4 and 2 pixels never make up an odd distance.
        if ((goal - b.x) % 2 != 0) return {};
        in.direction = goal > b.x ? 1 : -1;
        in.sneak = std::abs(goal - b.x) < kRunSpeed;
      }
    }
    const int x = b.x;
    mover.Frame(b, in);
    // Held against a wall by a conveyor, or by a wall on the way to the centre.
    still = b.landed && b.x == x && (in.direction != 0 || IsConveyor(mover.CarrierCode(b))) ? still + 1 : 0;
    if (still > 2) return {};
  }
  return {};
}

Outcome Play(const StageMap& map, Spot from, const Move& move, Mover& mover) {
  Body b;
  b.x = from.WorldX();
  b.y = from.WorldY();
  // A settling frame first, so that the ground and the ladder flags are those of a player at
  // rest on the spot.
  mover.TouchLadders(b);
  mover.Frame(b, Input{});
  if (!b.landed || b.x != from.WorldX() || b.y != from.WorldY() || mover.Hurt()) return {};

  switch (move.kind) {
    case MoveKind::kEnterDoor:
      return {TouchesDoor(map, from, move.door) ? std::optional<Spot>(from) : std::nullopt};
    case MoveKind::kTouchGoal:
      return {TouchesGoal(map, from, mover.State()) ? std::optional<Spot>(from) : std::nullopt};
    case MoveKind::kClimbUp:
    case MoveKind::kClimbDown: {
      const bool up = move.kind == MoveKind::kClimbUp;
      if (up ? !(b.contact && b.reach) : !(b.reach && b.onLadderTop)) return {};
      bool climbed = false;
      int stillFrames = 0;
      for (int frame = 0; frame < kMoveFrameLimit; ++frame) {
        const int y = b.y;
        Input in;
        in.up = up;
        in.down = !up;
        mover.Frame(b, in);
        if (b.y > map.HeightPixels() + 80 || mover.Hurt()) return {};
        climbed = climbed || b.climbing;
        if (climbed && b.landed && !b.climbing) return Rest(map, mover, b);
        stillFrames = b.y == y ? stillFrames + 1 : 0;
        if (stillFrames > 4) return {};  // held under a ceiling
      }
      return {};
    }
    case MoveKind::kWalk:
    case MoveKind::kJump: {
      if (move.direction == 0) return {};
      int stuck = 0;
      for (int frame = 0; frame < kMoveFrameLimit; ++frame) {
        Input in;
        const bool steering = move.direction > 0 ? b.x < move.targetX : b.x > move.targetX;
        if (steering) in.direction = move.direction;
        in.jump = move.kind == MoveKind::kJump && frame < move.jumpFrames;
        const int x = b.x;
        mover.Frame(b, in);
        if (b.y > map.HeightPixels() + 80 || mover.Hurt()) return {};
        if (steering) {
          stuck = b.x == x ? stuck + 1 : 0;
          // Pushed back by a wall for longer than a jump could take to clear it.
          if (stuck > (move.kind == MoveKind::kJump ? 40 : 2)) return {};
        }
        if (!steering && !in.jump && b.landed) return Rest(map, mover, b);
      }
      return {};
    }
    case MoveKind::kLedgeClimb:
    case MoveKind::kCrawl: {
      if (move.direction == 0) return {};
      const bool climb = move.kind == MoveKind::kLedgeClimb;
      bool held = false;  // hung from the ledge, or crawled along the pipe
      int stuck = 0;      // frames hanging without climbing, or crawling without moving on
      for (int frame = 0; frame < kMoveFrameLimit; ++frame) {
        const int x = b.x;
        Input in;
        if (!held) {
          in.direction = move.direction;
          in.jump = frame < move.jumpFrames;
          in.interact = true;
        } else if (climb) {
          in.up = b.hanging && !b.ledgeClimb;
        } else if (b.crawling) {
          // Along the pipe to the centre of its last cell, where jump lets go of it.
          if (b.x == move.targetX) {
            in.jump = true;
          } else {
            in.direction = move.targetX > b.x ? 1 : -1;
          }
        }
        mover.Frame(b, in);
        if (b.y > map.HeightPixels() + 80 || mover.Hurt() || mover.GrabbedRestless()) return {};
        // The other grab than the one the move is for.
        if (climb ? b.crawling : b.hanging) return {};
        held = held || (climb ? b.hanging : b.crawling);
        if (!held && frame >= move.jumpFrames && b.landed) return {};
        stuck = (b.hanging && !b.ledgeClimb) || (b.crawling && b.x == x) ? stuck + 1 : 0;
        if (stuck > 2) return {};
        if (held && b.landed && !b.hanging && !b.crawling) return Rest(map, mover, b);
      }
      return {};
    }
  }
  return {};
}

}  // namespace

std::optional<Spot> Simulate(const StageMap& map, Spot from, const Move& move, RouteState* state) {
  Mover mover(map, state != nullptr ? *state : RouteState{});
  const Outcome out = Play(map, from, move, mover);
  if (out.to && state != nullptr) *state = mover.State();
  return out.to;
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
constexpr int kLedgeClimbCost = 20;
constexpr int kGrabHolds[] = {12, 6};
constexpr int kJumpHolds[] = {4, 12};
constexpr int kJumpReach = 4;  // columns

}  // namespace

int MoveCost(const Move& move, Spot from) {
  switch (move.kind) {
    case MoveKind::kWalk: return move.to.row == from.row ? kWalkCost : kFallCost;
    case MoveKind::kJump: return kJumpCost + std::abs(move.targetX - from.WorldX()) / kCellSize;
    case MoveKind::kLedgeClimb: return kLedgeClimbCost;
    case MoveKind::kCrawl: return kJumpCost + std::abs(move.to.column - from.column);
    default: return kClimbCost * (1 + std::abs(move.to.row - from.row));
  }
}

namespace {

// The keys that still matter in a state: those of the shutters it has not opened.
uint64_t KeysThatMatter(const StageMap& map, const RouteState& state) {
  uint64_t keys = 0;
  for (size_t i = 0; i < map.Shutters().size(); ++i) {
    if ((state.open >> i & 1) == 0) keys |= uint64_t{1} << map.Shutters()[i].key;
  }
  return state.collected & keys;
}

}  // namespace

const std::vector<Move>& MoveGraph::MovesFrom(Spot here, const RouteState& state) {
  const uint64_t key = static_cast<uint64_t>(here.column * kRows + here.row) | uint64_t{state.open} << 12 |
                       KeysThatMatter(map_, state) << 44;
  if (moves_.size() >= limit_ && moves_.count(key) == 0) {
    exceeded_ = true;
    static const std::vector<Move> kNone;
    return kNone;
  }
  const auto [entry, fresh] = moves_.try_emplace(key);
  std::vector<Move>& moves = entry->second;
  if (!fresh) return moves;
  auto attempt = [&](Move move, bool* restless = nullptr, bool* sprung = nullptr) {
    Mover mover(map_, state);
    const Outcome out = Play(map_, here, move, mover);
    if (restless != nullptr) *restless = out.restless;
    if (sprung != nullptr) *sprung = mover.Carried();
    if (!out.to || (*out.to == here && mover.State().open == state.open)) return false;
    move.to = *out.to;
    move.picked = mover.Picked();
    move.opened = mover.State().open & ~state.open;
    move.nudge = out.nudge;
    move.met = mover.Met();
    moves.push_back(move);
    return true;
  };
  for (int direction : {-1, 1}) {
    // A walk that would stop on a floor that gives way goes on to the first cell that holds.
    // A walk onto a jump pad or a conveyor is tried for a number of cells, each ending
    // somewhere else.
    bool level = false;  // a walk on along the floor
    for (int cells = 1; cells <= kMaxCrossing; ++cells) {
      Move walk;
      walk.kind = MoveKind::kWalk;
      walk.direction = direction;
      walk.targetX = here.WorldX() + direction * cells * kCellSize;
      bool restless = false, sprung = false;
      const bool ok = attempt(walk, &restless, &sprung);
      if (sprung) {
        // Launches to the same place are one.
        const size_t n = moves.size();
        if (ok && n >= 2 && moves[n - 2].kind == MoveKind::kWalk && moves[n - 2].direction == direction &&
            moves[n - 2].to == moves[n - 1].to) {
          moves.pop_back();
        }
        continue;
      }
      level = ok && moves.back().to.row == here.row;
      if (ok || !restless) break;
    }
    // Jumps are tried where walking on is blocked or falls within two cells, so that a
    // route can take a run-up to clear a hazard.
    if (level) {
      Move further;
      further.kind = MoveKind::kWalk;
      further.direction = direction;
      further.targetX = here.WorldX() + direction * 2 * kCellSize;
      Mover mover(map_, state);
      const Outcome out = Play(map_, here, further, mover);
      if (out.to && out.to->row == here.row) continue;
    }
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
    // Grabs where something is there to grab: a pipe overhead, or a wall ahead too high to
    // jump onto.
    const int ahead = here.column + direction;
    const auto solidCell = [&](int c, int r) {
      return map_.SolidOverlaps(c * kCellSize + 1, r * kCellSize + 1, (c + 1) * kCellSize - 1, (r + 1) * kCellSize - 1, state.open);
    };
    int pipeEnd = -1;  // the last cell of the pipe overhead in this direction
    for (int r = here.row - 4; r <= here.row - 2 && pipeEnd < 0; ++r) {
      for (int c : {here.column, ahead}) {
        if (!IsPipe(map_.Code(c, r))) continue;
        pipeEnd = c;
        while (IsPipe(map_.Code(pipeEnd + direction, r))) pipeEnd += direction;
        break;
      }
    }
    const bool pipeOverhead = pipeEnd >= 0 && pipeEnd != here.column;
    bool ledgeAhead = false;
    // A wall ahead from the floor up to a top four or five cells high, free above, with room
    // in the player's own column up to its top.
    for (int top = here.row - 3; top >= here.row - 4 && !ledgeAhead; --top) {
      bool wall = !solidCell(ahead, top - 1);
      for (int r = top; r <= here.row && wall; ++r) wall = solidCell(ahead, r) && !solidCell(here.column, r);
      ledgeAhead = wall;
    }
    for (MoveKind kind : {MoveKind::kCrawl, MoveKind::kLedgeClimb}) {
      if (!(kind == MoveKind::kCrawl ? pipeOverhead : ledgeAhead)) continue;
      for (int hold : kGrabHolds) {
        Move grab;
        grab.kind = kind;
        grab.direction = direction;
        grab.jumpFrames = hold;
        grab.targetX = pipeEnd * kCellSize + kCellSize / 2;
        if (attempt(grab)) break;
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

Routes::Tree Routes::Search(MoveGraph& graph, Spot from, const RouteState& start) {
  Tree tree;
  const uint64_t keys = (uint64_t{1} << kFirstTargetBit) - 1;
  using Entry = std::pair<int, int>;  // cost, node
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
  std::vector<bool> done;
  auto offer = [&](Spot s, RouteState state, int cost, int previous, const Move& via, uint64_t touched) {
    state.collected &= keys;
    const Key key{static_cast<uint64_t>(s.column * kRows + s.row) | uint64_t{state.open} << 12, state.collected};
    const auto [entry, fresh] = tree.indexOf.try_emplace(key, static_cast<int>(tree.nodes.size()));
    const int index = entry->second;
    if (fresh) {
      tree.nodes.push_back(Node{s, state, cost, previous, via, touched});
      done.push_back(false);
    } else if (cost < tree.nodes[index].cost && !done[index]) {
      Node& n = tree.nodes[index];
      n.cost = cost;
      n.previous = previous;
      n.via = via;
      n.touched = touched;
    } else {
      return;
    }
    open.push({cost, index});
  };
  offer(from, start, 0, -1, Move{}, 0);
  while (!open.empty()) {
    const auto [cost, index] = open.top();
    open.pop();
    if (done[index] || cost != tree.nodes[index].cost) continue;
    done[index] = true;
    const Node node = tree.nodes[index];
    for (const Move& move : graph.MovesFrom(node.spot, node.state)) {
      const RouteState next{node.state.open | move.opened, node.state.collected | move.picked};
      offer(move.to, next, cost + MoveCost(move, node.spot), index, move, node.touched | (move.picked & ~keys));
    }
  }
  return tree;
}

Routes::Routes(MoveGraph& graph, Spot from)
    : graph_(graph), map_(graph.Map()), from_(from), tree_(Search(graph, from, RouteState{})) {}

std::vector<Move> Routes::PathTo(const Tree& tree, int node) {
  std::vector<Move> moves;
  for (int i = node; tree.nodes[i].previous >= 0; i = tree.nodes[i].previous) moves.push_back(tree.nodes[i].via);
  std::reverse(moves.begin(), moves.end());
  return moves;
}

int Routes::BestTouching(const Tree& tree, Target target, bool targetsDone) const {
  RouteState done;
  if (targetsDone) done.collected = map_.AllTargets();
  int best = -1;
  for (int i = 0; i < static_cast<int>(tree.nodes.size()); ++i) {
    const Node& n = tree.nodes[i];
    const bool touches = target.door == 0 ? TouchesGoal(map_, n.spot, done) : TouchesDoor(map_, n.spot, target.door);
    if (touches && (best < 0 || n.cost < tree.nodes[best].cost)) best = i;
  }
  return best;
}

std::vector<Move> Routes::TourToWaitingGoal() const {
  if (map_.TargetCount() > kMaxTargets) return {};
  std::vector<Move> moves;
  uint64_t left = map_.AllTargets();
  Spot at = from_;
  RouteState state;
  Tree tree = tree_;
  while (left != 0) {
    int best = -1;
    for (int i = 0; i < static_cast<int>(tree.nodes.size()); ++i) {
      if ((tree.nodes[i].touched & left) != 0 && (best < 0 || tree.nodes[i].cost < tree.nodes[best].cost)) best = i;
    }
    if (best < 0) return {};
    const std::vector<Move> leg = PathTo(tree, best);
    moves.insert(moves.end(), leg.begin(), leg.end());
    left &= ~tree.nodes[best].touched;
    at = tree.nodes[best].spot;
    state = tree.nodes[best].state;
    tree = Search(graph_, at, state);
  }
  const int goal = BestTouching(tree, Target::Goal(), true);
  if (goal < 0) return {};
  const std::vector<Move> leg = PathTo(tree, goal);
  moves.insert(moves.end(), leg.begin(), leg.end());
  Move last;
  last.kind = MoveKind::kTouchGoal;
  last.to = tree.nodes[goal].spot;
  moves.push_back(last);
  return moves;
}

std::vector<Move> PlanFromStart(const StageMap& map, Target target) {
  const std::optional<Spot> start = StartSpot(map);
  if (!start) return {};
  MoveGraph graph(map);
  return Routes(graph, *start).PlanTo(target);
}

bool ReachableInStraightWalk(const StageMap& map, Target target) {
  const std::optional<Spot> start = StartSpot(map);
  if (!start) return false;
  for (int direction : {-1, 1}) {
    Mover mover(map);
    Body b;
    b.x = start->WorldX();
    b.y = start->WorldY();
    mover.TouchLadders(b);
    int stuck = 0;
    for (int frame = 0; frame < 4 * kMoveFrameLimit && stuck <= kShutterFrames + 2; ++frame) {
      const int x = b.x, y = b.y;
      Input in;
      in.direction = direction;
      mover.Frame(b, in);
      if (b.y > map.HeightPixels() + 80 || mover.Hurt()) break;
      if (b.landed) {
        const bool there = target.door == 0 ? TouchesGoalAt(map, b.x, b.y, mover.State())
                                            : TouchesDoorAt(map, b.x, b.y, target.door);
        if (there) return true;
      }
      stuck = b.x == x && b.y == y ? stuck + 1 : 0;
    }
  }
  return false;
}

uint32_t MetOnPlan(const std::vector<Move>& plan) {
  uint32_t met = 0;
  for (const Move& m : plan) met |= m.met;
  return met;
}

bool Routes::Visits(Spot spot) const {
  return std::any_of(tree_.nodes.begin(), tree_.nodes.end(), [&](const Node& n) { return n.spot == spot; });
}

bool Routes::Reaches(Target target) const { return !PlanTo(target).empty(); }

std::vector<Move> Routes::PlanTo(Target target) const {
  std::vector<Move> moves;
  const int best = BestTouching(tree_, target, false);
  if (best >= 0) {
    moves = PathTo(tree_, best);
    Move last;
    last.kind = target.door == 0 ? MoveKind::kTouchGoal : MoveKind::kEnterDoor;
    last.door = target.door;
    last.to = tree_.nodes[best].spot;
    moves.push_back(last);
  } else if (target.door == 0) {
    moves = TourToWaitingGoal();
  }
  if (moves.empty()) return {};
  // Steps of one walk along a floor become one move; a walk that opens a shutter or ends
  // with steps to a cell's centre stays on its own, since the player stops there.
  std::vector<Move> merged;
  bool lastWasLevelWalk = false;
  Spot at = from_;
  for (const Move& move : moves) {
    const bool levelWalk = move.kind == MoveKind::kWalk && move.to.row == at.row;
    if (levelWalk && lastWasLevelWalk && merged.back().direction == move.direction && merged.back().opened == 0 &&
        merged.back().nudge == 0) {
      const uint64_t picked = merged.back().picked;
      const uint32_t met = merged.back().met;
      merged.back() = move;
      merged.back().picked |= picked;
      merged.back().met |= met;
    } else {
      merged.push_back(move);
    }
    lastWasLevelWalk = levelWalk;
    at = move.to;
  }
  return merged;
}

}  // namespace stage_route
