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
// edges do not count); the player runs (4 pixels a frame) and sneaks only for a step that
// brings it back to a cell's centre.
//
// The map objects a route meets, as the check models them:
// - Plain blocks (25-29, 35-57), ledges 30-34 to stand on, noisy blocks 91, ladders 65, doors
//   1-9 and the goal 98/99.
// - Items are picked up when the body passes over them (whatever the bobbing). The shutter
//   key 177 and the shutter items 181-189 are kept in the route's state: shutter 58 opens for
//   the key, shutters 66-74 for item kind + 115. A closed shutter is a wall; with its key held,
//   it starts to open when the player comes beside it (or stands on it) and is gone 12 frames
//   later, as in the game; a move ends only when every started shutter is open.
// - Spikes 21-24 are blocks whose kill zone no move may touch; an electric block 77 is a
//   block whose top no move may touch.
// - Crumbling blocks 59/60 and pitfalls 61/62 carry the player through a walk but no move
//   ends on them (a walk over them goes on to the first cell beyond that holds). Their timers
//   are not kept between moves: a route that crosses the same block again soon after, or
//   often, is not caught.
// - Vanishing blocks 79-81 are neither floor nor wall: no move may touch them at all.
// - Breakable blocks and glass (82, 89, 90, 92) are walls; the route never breaks them.
// - A waiting goal 98 counts once the route has touched every target (kind 20).
// - A jump pad 83-85 throws the player up (strength 20, 25, 30) whenever it carries it: a
//   walk onto one is a launch, the direction held for some cells and then let go; no move
//   ends on a pad.
// - Conveyors 75/76 carry the player 2 pixels a frame, walking or not, as the game does; a
//   move that ends on one rides it to its end, and the player then steps to the nearest
//   cell's centre (running, sneaking the last 2 pixels).
// - Hanging and crawling: a jump with the interact key held grabs what the player reaches
//   first, as the game decides it: a pipe 86-88 within reach of the hands (the player then
//   crawls along it, 1 pixel a frame, to the centre of its last cell and lets go with the
//   jump key), else the top corner of a solid block ahead whose top is free (the player
//   hangs, then climbs up with the up key, 36 frames, and stands on the block). A route
//   never grabs a floor that gives way, and never lets go of a ledge or drops from a pipe
//   midway. Grabs are tried under a pipe and beside a wall four or five cells high.
// - Not modelled: straddling and the wire (they take keys a route never presses).
// - The second character (1) never picks up item 187 (StageMap's `character`).
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <functional>
#include <string>
#include <unordered_map>
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
  // Press jump and `direction` in the same frame with interact held; keep jump held for
  // `jumpFrames` frames and the direction until the player hangs from a ledge; then let go
  // of interact and hold up until the player has climbed onto it and stands again.
  kLedgeClimb,
  // Press jump and `direction` with interact held, keeping jump held for `jumpFrames` frames,
  // until the player crawls in the pipe above; then crawl to the world x `targetX` (the centre
  // of the pipe's last cell), press jump there to let go, and wait for the landing.
  kCrawl,
};

// What a route meets on its way, for the checks that a road shows the player the stage's
// mechanics: the floors that carried it, the pipes it crawled, the ledges it hung from, the
// shutters it opened, and the things it came close to.
enum Met : uint32_t {
  kMetShutter = 1u << 0,    // opened a shutter (its key held)
  kMetConveyor = 1u << 1,   // carried by a conveyor 75/76
  kMetJumpPad = 1u << 2,    // thrown by a jump pad 83-85
  kMetCrumbling = 1u << 3,  // carried by a crumbling block 59/60
  kMetPitfall = 1u << 4,    // carried by a pitfall 61/62
  kMetPipe = 1u << 5,       // crawled along a pipe 86-88
  kMetLedge = 1u << 6,      // hung from a ledge
  kMetGlass = 1u << 7,      // passed within 20 pixels of glass 82
  kMetBreakable = 1u << 8,  // passed within 20 pixels of a breakable block 89/90
  kMetTerminal = 1u << 9,   // stood where a control terminal 11 is within reach
};

// What a route has done so far that changes the stage: the shutters it opened (bit i for the
// i-th shutter of StageMap::Shutters) and the things it picked up or touched (bit 0 the
// shutter key 177, bits 1..9 the items 181..189, bit 10 + i the i-th target).
struct RouteState {
  uint32_t open = 0;
  uint64_t collected = 0;
  bool operator==(const RouteState& o) const { return open == o.open && collected == o.collected; }
};
constexpr int kFirstTargetBit = 10;
constexpr int kMaxShutters = 32;
constexpr int kMaxTargets = 54;

struct Move {
  MoveKind kind = MoveKind::kWalk;
  int direction = 0;
  int jumpFrames = 0;
  int targetX = 0;
  int door = 0;
  Spot to;  // where the player stands after the move
  // What the move picks up on its way and the shutters that open during it or right after
  // it (then the player waits beside them).
  uint64_t picked = 0;
  uint32_t opened = 0;
  // Pixels (negative to the left) from where the player came to rest, off a cell's centre
  // after a conveyor, to the centre of `to`: it runs there, sneaking the last 2 pixels.
  int nudge = 0;
  uint32_t met = 0;  // Met bits
};

// Everything the moves of a plan meet.
uint32_t MetOnPlan(const std::vector<Move>& plan);

const char* MoveName(MoveKind kind);
// One line per move, for test failures and notes: "walk right to column 12, row 8".
std::string Describe(const Move& move);

// The tiles of a stage record and the blocks they make.
class StageMap {
 public:
  // `record` holds at least kRecordBytes bytes. The second character (1) never picks up item
  // 187, so for it the shutters that item opens stay shut.
  explicit StageMap(const uint8_t* record, int character = 0);

  struct Shutter {
    int column, row;
    int key;         // the bit of RouteState::collected that opens it
    int zoneBottom;  // how far below its top the player starts it
    int order;       // spawn order
  };
  struct Area {
    int left, top, right, bottom;  // world pixels, right and bottom exclusive
    int bit;                       // RouteState::collected bit it gives
    int order;                     // spawn order
  };
  // Things no move may touch: the player's box of `reach` against `area`.
  enum class Reach { kKillBox, kElectricBox, kAnyBox };
  struct Hazard {
    int left, top, right, bottom;
    Reach reach;
  };
  const std::vector<Shutter>& Shutters() const { return shutters_; }
  // Keys and targets, each with the area the body must overlap to take it.
  const std::vector<Area>& Pickups() const { return pickups_; }
  const std::vector<Hazard>& Hazards() const { return hazards_; }
  // The hazards a player at world (x, y) may touch (indexes into Hazards()).
  const std::vector<int>& HazardsNear(int x, int y) const;
  int TargetCount() const { return targetCount_; }
  // Every target's bit.
  uint64_t AllTargets() const;

  int Code(int column, int row) const;
  int ScreensX() const { return screensX_; }
  int ScreensY() const { return screensY_; }
  int WidthPixels() const { return screensX_ * 800; }
  int HeightPixels() const { return screensY_ * 600; }
  // Whether a solid block covers any part of the rectangle (world pixels, right and bottom
  // exclusive). Shutters whose bit is set in `open` are not there.
  bool SolidOverlaps(int left, int top, int right, int bottom, uint32_t open = 0) const;
  // The cell top of the first solid block, in spawn order, that overlaps the rectangle; -1
  // none. `order` receives that block's spawn order (row * 60 + column).
  int FirstCarrierTop(int left, int top, int right, int bottom, int* order = nullptr, uint32_t open = 0) const;
  // The lowest bottom edge of the solid blocks overlapping the rectangle; -1 none.
  int SolidBottom(int left, int top, int right, int bottom, uint32_t open = 0) const;
  bool IsLadder(int column, int row) const { return Code(column, row) == 65; }

  // A solid block's box and its place in spawn order.
  struct Solid {
    int left, top, right, bottom;
    int order;
  };
  // The solid blocks overlapping the rectangle, in spawn order.
  std::vector<Solid> SolidsOverlapping(int left, int top, int right, int bottom, uint32_t open = 0) const;
  // Whether a solid block other than the one of spawn order `except` covers part of the
  // rectangle.
  bool SolidOverlapsExcept(int left, int top, int right, int bottom, int except, uint32_t open = 0) const;
  // Whether a pipe is within reach of the hands of a player at world (x, y).
  bool PipeWithinReach(int x, int y) const;
  // The Met bits of the things near a player at world (x, y): glass and breakable blocks
  // within 20 pixels of the body, a terminal within reach.
  uint32_t ThingsNear(int x, int y) const;

 private:
  struct Box {
    int left, top, right, bottom;
    int order;  // spawn order: row-major index of the tile
    int gate;   // the shutter's index, -1 for a block that stays
  };
  void AddSolid(int column, int row, int code);
  void Index();
  // Blocks whose box reaches into a cell.
  const std::vector<int>& BoxesIn(int column, int row) const;

  uint8_t grid_[kColumns * kRows];
  int screensX_ = 1;
  int screensY_ = 1;
  std::vector<Box> boxes_;
  std::vector<std::vector<int>> cellBoxes_;
  std::vector<Shutter> shutters_;
  std::vector<Area> pickups_;
  std::vector<Hazard> hazards_;
  struct Near {
    int left, top, right, bottom;  // the rectangle the player's point must be in
    uint32_t met;
  };
  std::vector<Near> near_;
  std::vector<std::vector<int>> cellNear_;  // [column * kRows + row]: the near_ rectangles over the cell
  std::vector<std::vector<int>> cellHazards_;  // [column * kRows + row]: hazards a player there may touch
  std::vector<Area> pipes_;  // the pipes' boxes (bit and order unused)
  std::vector<bool> pipeCells_;  // [column * kRows + row]
  int targetCount_ = 0;
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

// The moves that lead on from each spot of a stage, worked out once per spot and state and
// kept, so that routes from several starts in the same stage share the work. Jumps are tried
// only where walking on is blocked or would fall.
class MoveGraph {
 public:
  // A graph with a `limit` works out the moves of that many spots and states at most; past
  // it, the others lead nowhere and Exceeded() says so.
  explicit MoveGraph(const StageMap& map, size_t limit = SIZE_MAX) : map_(map), limit_(limit) {}

  const StageMap& Map() const { return map_; }
  bool Exceeded() const { return exceeded_; }
  // Each move's `to` is where it ends; with nothing opened or picked up yet.
  const std::vector<Move>& MovesFrom(Spot spot) { return MovesFrom(spot, RouteState{}); }
  // The same after the route has opened and picked up what `state` says.
  const std::vector<Move>& MovesFrom(Spot spot, const RouteState& state);

 private:
  const StageMap& map_;
  size_t limit_;
  bool exceeded_ = false;
  std::unordered_map<uint64_t, std::vector<Move>> moves_;
};

// Every spot reachable from one start, with the cheapest moves to each (walking and
// climbing preferred to jumps, so that routes stay easy to play). A spot may be reached with
// different keys held and shutters open; each counts on its own. A waiting goal is reached by
// a tour: to the nearest target not yet touched, from there to the next, and on to the goal.
class Routes {
 public:
  Routes(MoveGraph& graph, Spot from);

  bool Reaches(Target target) const;
  // The moves from the start to the target, ending with the door or goal move; empty when
  // the target cannot be reached. Steps of one walk along a floor are one move.
  std::vector<Move> PlanTo(Target target) const;
  int SpotCount() const { return static_cast<int>(tree_.nodes.size()); }
  // Whether the player comes to stand at the spot, with whatever keys and shutters open.
  bool Visits(Spot spot) const;

 private:
  struct Node {
    Spot spot;
    RouteState state;  // keys and shutters only
    int cost = 0;
    int previous = -1;
    Move via;
    uint64_t touched = 0;  // targets touched on the way here
  };
  struct Key {
    uint64_t spotAndOpen, collected;
    bool operator==(const Key& o) const { return spotAndOpen == o.spotAndOpen && collected == o.collected; }
  };
  struct KeyHash {
    size_t operator()(const Key& k) const { return std::hash<uint64_t>()(k.spotAndOpen * 0x9E3779B97F4A7C15ull ^ k.collected); }
  };
  struct Tree {
    std::vector<Node> nodes;
    std::unordered_map<Key, int, KeyHash> indexOf;
  };
  static Tree Search(MoveGraph& graph, Spot from, const RouteState& state);
  static std::vector<Move> PathTo(const Tree& tree, int node);
  // The cheapest node from which `target` is touched (a waiting goal counting as open when
  // `targetsDone`); -1 none.
  int BestTouching(const Tree& tree, Target target, bool targetsDone) const;
  std::vector<Move> TourToWaitingGoal() const;

  MoveGraph& graph_;
  const StageMap& map_;
  Spot from_;
  Tree tree_;
};

// The cheapest moves from the start tile to a target of a stage; empty when there is none.
std::vector<Move> PlanFromStart(const StageMap& map, Target target);

// Whether a player who only holds left or only holds right from the start tile comes to the
// target on the way (standing at a door, or touching an open goal), falls included.
bool ReachableInStraightWalk(const StageMap& map, Target target);

// The outcome of one move played frame by frame from a spot: where the player stands
// after it, or nothing when it ends nowhere useful (blocked, fell out, never came to rest
// at a cell's centre, touched a hazard, or came to rest where it may not). `state`, when
// given, is the route's state before the move and receives the one after it.
std::optional<Spot> Simulate(const StageMap& map, Spot from, const Move& move, RouteState* state = nullptr);

}  // namespace stage_route
