// Routes through a stage record: which places the player can reach from another with the
// movement of mission play (walking and running, running jumps with a held jump key, falls,
// ladders, doors), and the moves that get there. The data-set builder's tests prove with it
// that every built-in stage can be finished; headless walk tests turn a route's moves into
// scripted input.
//
// Positions are world pixels of the stage (x to the right, y down), the player's point being
// the one mission play keeps: the feet are at y + 39, and a player standing on a block whose
// top is at T has y = T - 38. A spot is where the player stands at rest, at the centre of a
// cell: world x = column * 40 + 20, world y = (row + 1) * 40 - 38, the feet in cell (column,
// row) and the floor in the cell below.
//
// The movement follows the player update frame by frame (gravity, the held jump, landing on
// the first carrying object in spawn order, the head check, wall push-back, ladder contact and
// reach), with these simplifications: boxes overlap only when they share some area (touching
// edges do not count); the player always runs (4 pixels a frame); only blocks that stay put
// are modelled, so crumbling, vanishing and pitfall blocks count as plain blocks, and springs,
// conveyors, pipes, ledges to hang from, shafts and ducts are not used by a route.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stage_route {

constexpr int kColumns = 60;
constexpr int kRows = 45;
constexpr int kCellSize = 40;
constexpr int kRecordBytes = 3000;
constexpr int kRunSpeed = 4;

struct Spot {
  int column = 0;
  int row = 0;  // the cell the feet are in
  bool operator==(const Spot& o) const { return column == o.column && row == o.row; }
  int WorldX() const { return column * kCellSize + kCellSize / 2; }
  int WorldY() const { return (row + 1) * kCellSize - 38; }
};

enum class MoveKind {
  // Hold `direction` (-1 left, 1 right) until the world x is `targetX`, then let go and wait
  // until the player stands again (a walk, or a walk off an edge and the fall after it).
  kWalk,
  // Press jump and `direction` in the same frame; keep jump held for `jumpFrames` frames and
  // the direction until the world x is `targetX`; then let go and wait for the landing.
  kJump,
  // Hold up at the foot of the ladder until the player stands on its top.
  kClimbUp,
  // Hold down on the top of the ladder until the player stands again below.
  kClimbDown,
  // Press up in front of door `door`: the player leaves the stage.
  kEnterDoor,
  // Nothing to press: standing here touches the goal, which ends the stage.
  kTouchGoal,
};

struct Move {
  MoveKind kind = MoveKind::kWalk;
  int direction = 0;
  int jumpFrames = 0;
  int targetX = 0;
  int door = 0;
  Spot to;  // where the player stands after the move
};

const char* MoveName(MoveKind kind);
// One line per move, for test failures and notes: "walk right to column 12, row 8".
std::string Describe(const Move& move);

// The tiles of a stage record and the blocks they make.
class StageMap {
 public:
  // `record` holds at least kRecordBytes bytes.
  explicit StageMap(const uint8_t* record);

  int Code(int column, int row) const;
  int ScreensX() const { return screensX_; }
  int ScreensY() const { return screensY_; }
  int WidthPixels() const { return screensX_ * 800; }
  int HeightPixels() const { return screensY_ * 600; }
  // Whether a solid block covers any part of the rectangle (world pixels, right and bottom
  // exclusive).
  bool SolidOverlaps(int left, int top, int right, int bottom) const;
  // The cell top of the first solid block, in spawn order, that overlaps the rectangle; -1
  // none. `order` receives that block's spawn order (row * 60 + column).
  int FirstCarrierTop(int left, int top, int right, int bottom, int* order = nullptr) const;
  // The lowest bottom edge of the solid blocks overlapping the rectangle; -1 none.
  int SolidBottom(int left, int top, int right, int bottom) const;
  bool IsLadder(int column, int row) const { return Code(column, row) == 65; }

 private:
  struct Box {
    int left, top, right, bottom;
    int order;  // spawn order: row-major index of the tile
  };
  void AddSolid(int column, int row, int code);
  // Blocks whose box reaches into a cell.
  const std::vector<int>& BoxesIn(int column, int row) const;

  uint8_t grid_[kColumns * kRows];
  int screensX_ = 1;
  int screensY_ = 1;
  std::vector<Box> boxes_;
  std::vector<std::vector<int>> cellBoxes_;
};

// Where the stage loader puts the player and where it comes to rest: the last start tile
// (95..97) in the loader's scan order, or, with an entry door, the last tile of that door.
std::optional<Spot> StartSpot(const StageMap& map);
std::optional<Spot> EntrySpot(const StageMap& map, int door);
// Where a player let go at world (x, y), above the stage or inside it, comes to rest.
std::optional<Spot> LandingSpot(const StageMap& map, int x, int y);

// The door codes 1..9 the grid holds, each once, in increasing order.
std::vector<int> DoorCodes(const StageMap& map);

// What a route leads to: a door to leave through (1..9), or the goal (0), waiting or open.
struct Target {
  int door = 0;
  static Target Goal() { return Target{0}; }
  static Target Door(int code) { return Target{code}; }
};

// The moves that lead on from each spot of a stage, worked out once per spot and kept, so
// that routes from several starts in the same stage share the work. Jumps are tried only
// where walking on is blocked or would fall.
class MoveGraph {
 public:
  explicit MoveGraph(const StageMap& map) : map_(map), moves_(kColumns * kRows), known_(kColumns * kRows, false) {}

  const StageMap& Map() const { return map_; }
  // Each move's `to` is where it ends.
  const std::vector<Move>& MovesFrom(Spot spot);

 private:
  const StageMap& map_;
  std::vector<std::vector<Move>> moves_;
  std::vector<bool> known_;
};

// Every spot reachable from one start, with the cheapest moves to each (walking and
// climbing preferred to jumps, so that routes stay easy to play).
class Routes {
 public:
  Routes(MoveGraph& graph, Spot from);

  bool Reaches(Target target) const;
  // The moves from the start to the target, ending with the door or goal move; empty when
  // the target cannot be reached. Steps of one walk along a floor are one move.
  std::vector<Move> PlanTo(Target target) const;
  int SpotCount() const { return static_cast<int>(spots_.size()); }

 private:
  struct Node {
    Spot spot;
    int cost = 0;
    int previous = -1;
    Move via;
  };
  const StageMap& map_;
  std::vector<Node> spots_;
  std::vector<int> indexOf_;  // by column * kRows + row, -1 not reached
};

// The cheapest moves from the start tile to a target of a stage; empty when there is none.
std::vector<Move> PlanFromStart(const StageMap& map, Target target);

// The outcome of one move played frame by frame from a spot: where the player stands
// after it, or nothing when it ends nowhere useful (blocked, fell out, never came to rest
// at a cell's centre).
std::optional<Spot> Simulate(const StageMap& map, Spot from, const Move& move);

}  // namespace stage_route
