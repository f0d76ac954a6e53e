#include "tools/dataset/stage_maps.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <stdexcept>

#include "tools/dataset/canvas.h"
#include "tools/dataset/stage_route.h"
#include "tools/dataset/story_scripts.h"

namespace dataset {
namespace {

constexpr int kAreaCount = 8;
constexpr int kStagesPerArea[kAreaCount] = {5, 11, 9, 7, 6, 7, 8, 8};
constexpr int kNodesPerArea[kAreaCount] = {5, 8, 7, 10, 6, 6, 5, 7};
constexpr int kDoorBytesPerNode = 5;
constexpr int kThirdStoryMissions = 24;
constexpr int kVrMissions[4] = {10, 10, 5, 5};

constexpr int kColumns = 60;
constexpr int kRows = 45;
constexpr int kCellSize = 40;
constexpr int kScreenColumns = 20;
constexpr int kScreenRows = 15;
constexpr int kLevelRows = 5;  // a floor every fifth row: four rows of room and the floor

// Tile codes.
constexpr int kBlock = 25;
constexpr int kTarget = 20;
constexpr int kHidingPlace = 64;
constexpr int kLadder = 65;
constexpr int kGoal = 99;
constexpr int kWaitingGoal = 98;
constexpr int kLamp = 190;
constexpr int kFirstEnemyTile = 201;
constexpr int kMaxEnemyRecords = 20;
constexpr int kMaxLights = 40;  // the decor pool

// Record offsets.
constexpr int kDoorPairs = 2700;
constexpr int kEnemyRecords = 2720;
constexpr int kWidth = 2920;
constexpr int kHeight = 2921;
constexpr int kAtmosphere = 2922;
constexpr int kStealth = 2924;
constexpr int kLightsOn = 2925;
constexpr int kReinforcement = 2926;
constexpr int kRuleZero = 2927;

// Stage sizes in screens, cycled through so that every size occurs in every family.
constexpr std::array<std::array<int, 2>, 9> kSizes = {
    {{2, 1}, {1, 1}, {3, 1}, {2, 2}, {1, 2}, {3, 2}, {2, 3}, {1, 3}, {3, 3}}};

// The briefing map's route nodes (branch type; destinations d0..d5), per area.
const std::vector<std::vector<RouteNode>>& Nodes() {
  static const std::vector<std::vector<RouteNode>> nodes = {
      {{0, {1, 2, -1, -1, -1, 0}}, {0, {2, 3, -1, -1, -1, 0}}, {0, {3, 4, -1, -1, -1, 0}},
       {0, {14, 21, -1, -1, -1, 0}}, {1, {3, -1, 5, -1, -1, 0}}},
      {{2, {3, 4, 1, 2, -1, 0}}, {0, {4, 5, -1, -1, -1, 0}}, {0, {2, 6, -1, -1, -1, 0}},
       {2, {5, 7, 6, 8, -1, 0}}, {1, {9, -1, 7, -1, -1, 0}}, {1, {10, -1, 9, -1, -1, 0}},
       {0, {10, 31, -1, -1, -1, 0}}, {0, {7, 11, -1, -1, -1, 0}}},
      {{0, {1, 2, -1, -1, -1, 0}}, {0, {2, 3, -1, -1, -1, 0}}, {0, {3, 4, -1, -1, -1, 0}},
       {2, {5, 6, 4, 7, -1, 0}}, {0, {6, 8, -1, -1, -1, 0}}, {2, {34, -1, 41, -1, -1, 0}},
       {0, {7, 9, -1, -1, -1, 0}}},
      {{1, {1, -1, 2, -1, -1, 0}}, {1, {2, -1, 3, -1, -1, 0}}, {0, {1, 4, -1, -1, -1, 0}},
       {1, {4, -1, 5, -1, -1, 0}}, {0, {5, 6, -1, -1, -1, 0}}, {0, {51, 43, -1, -1, -1, 0}},
       {1, {7, -1, 6, -1, -1, 0}}},
      {{0, {3, 1, -1, -1, -1, 0}}, {0, {5, 3, -1, -1, -1, 0}}, {0, {4, 2, -1, -1, -1, 0}},
       {0, {5, 4, -1, -1, -1, 0}}, {0, {6, 5, -1, -1, -1, 0}}, {0, {15, 56, -1, -1, -1, 0}}},
      {{1, {2, -1, 1, -1, -1, 0}}, {4, {3, 3, 4, 1, -1, 0}}, {1, {6, 6, 3, 3, -1, 0}},
       {1, {5, -1, 4, -1, -1, 0}}, {0, {7, 4, -1, -1, -1, 0}}, {0, {28, 67, -1, -1, -1, 0}}},
      {{5, {1, 1, 2, 2, 3, 4}}, {5, {6, 6, 5, 5, 4, 4}}, {1, {5, -1, 7, -1, -1, 0}},
       {0, {77, 81, -1, -1, -1, 0}}, {1, {8, -1, 6, -1, -1, 0}}},
      {{0, {1, 2, -1, -1, -1, 0}}, {1, {3, -1, 2, -1, -1, 0}}, {0, {3, 4, -1, -1, -1, 0}},
       {1, {5, -1, 4, -1, -1, 0}}, {0, {5, 6, -1, -1, -1, 0}}, {0, {2, 7, -1, -1, -1, 0}},
       {0, {4, 8, -1, -1, -1, 0}}},
  };
  return nodes;
}

// The stage a destination code names from an area: stage d − 1 of the area, or, past 13,
// area d / 10 − 1 and stage d mod 10 − 1.
bool Decode(int area, int code, int* toArea, int* toStage) {
  if (code <= 0) return false;
  if (code - 1 > 13) {
    *toArea = code / 10 - 1;
    *toStage = code % 10 - 1;
  } else {
    *toArea = area;
    *toStage = code - 1;
  }
  return *toArea >= 0 && *toArea < kAreaCount && *toStage >= 0 && *toStage < kStagesPerArea[*toArea];
}

// Door codes: per stage, the code of the door to each node; per node, the table bytes.
struct DoorPlan {
  std::map<std::pair<int, int>, std::vector<StageDoor>> stageDoors;  // (area, stage)
  std::vector<std::vector<std::array<int, kDoorBytesPerNode>>> table;  // [area][node][byte]
};

const DoorPlan& Plan() {
  static const DoorPlan plan = [] {
    DoorPlan p;
    p.table.resize(kAreaCount);
    for (int area = 0; area < kAreaCount; ++area) {
      p.table[area].assign(kNodesPerArea[area], std::array<int, kDoorBytesPerNode>{});
      for (int node = 0; node < static_cast<int>(Nodes()[area].size()); ++node) {
        // Branches sharing a table byte must be entered through the same code.
        std::map<int, std::vector<std::pair<int, int>>> byByte;
        for (const RouteBranch& b : BranchesOf(area, node)) byByte[b.doorByte].push_back({b.area, b.subStage});
        for (const auto& [byte, stages] : byByte) {
          int code = 0;
          for (const auto& stage : stages) {
            for (const StageDoor& d : p.stageDoors[stage]) {
              if (d.nodeArea == area && d.nodeIndex == node) code = d.code;
            }
          }
          for (int candidate = 1; code == 0 && candidate <= 9; ++candidate) {
            bool free = true;
            for (const auto& stage : stages) {
              for (const StageDoor& d : p.stageDoors[stage]) free = free && d.code != candidate;
            }
            if (free) code = candidate;
          }
          if (code == 0) throw std::logic_error("a stage has more than nine doors");
          p.table[area][node][byte] = code;
          for (const auto& stage : stages) {
            std::vector<StageDoor>& doors = p.stageDoors[stage];
            const bool known = std::any_of(doors.begin(), doors.end(), [&](const StageDoor& d) { return d.code == code; });
            if (!known) doors.push_back(StageDoor{code, area, node});
          }
        }
      }
    }
    // No map node lists a stage of area 6 from elsewhere: the way into that area is a door of
    // the research centre (area 5, stage 5) that opens onto the area's first node.
    struct AreaEntry {
      int area, stage, nodeArea, node;
    };
    static const AreaEntry kAreaEntries[] = {{5, 5, 6, 0}};
    for (const AreaEntry& e : kAreaEntries) {
      std::vector<StageDoor>& doors = p.stageDoors[{e.area, e.stage}];
      int code = 1;
      while (code <= 9 && std::any_of(doors.begin(), doors.end(), [&](const StageDoor& d) { return d.code == code; })) ++code;
      if (code > 9) throw std::logic_error("a stage has more than nine doors");
      doors.push_back(StageDoor{code, e.nodeArea, e.node});
    }
    return p;
  }();
  return plan;
}

// ---- The generator ----

enum class Enemy { kSoldier, kReinforcedSoldier, kCamera, kSweepingCamera, kGunCamera, kDrone, kVerticalDrone,
                   kGunDrone, kTurret, kBombSoldier, kFlower, kLaser, kDischargeUp, kSlime, kFairy };

struct Palette {
  int atmosphere = 0;
  bool lightsOn = true;
  int reinforcement = 0;
  std::vector<Enemy> enemies;
  std::vector<int> items;
  // How often each room piece is chosen: corridor, crate, gap, hiding place, beam, hiding
  // place with a crate.
  std::array<int, 6> pieceWeights = {1, 1, 1, 1, 1, 1};
  int enemiesPerScreen = 2;
};

Palette AreaPalette(int area, int stage) {
  using E = Enemy;
  Palette p;
  p.atmosphere = area;
  switch (area) {
    case 0:  // the stern deck at night: guards and fixed cameras
      p.reinforcement = 1;
      p.enemies = {E::kSoldier, E::kSoldier, E::kCamera};
      p.items = {141, 141, 155, 161, 175};
      break;
    case 1:  // the bridge: halls with sweeping cameras
      p.reinforcement = 1;
      p.enemies = {E::kSoldier, E::kSweepingCamera, E::kSoldier, E::kTurret};
      p.items = {141, 142, 155, 156, 161, 175};
      break;
    case 2:  // the connecting bridge and the control rooms
      p.reinforcement = 1;
      p.enemies = {E::kCamera, E::kDrone, E::kSoldier, E::kSweepingCamera};
      p.items = {141, 143, 156, 157, 163, 175};
      break;
    case 3:  // the great vents are dark; drones and slimes
      p.lightsOn = stage >= 2;
      p.enemies = {E::kDrone, E::kVerticalDrone, E::kSlime, E::kSoldier};
      p.items = {142, 144, 157, 158, 161, 175};
      break;
    case 4:  // the cargo holds
      p.reinforcement = 2;
      p.enemies = {E::kReinforcedSoldier, E::kBombSoldier, E::kCamera, E::kSoldier};
      p.items = {143, 145, 155, 158, 165, 175};
      break;
    case 5:  // the research section: beams and flowers, partly dark
      p.reinforcement = 2;
      p.lightsOn = stage % 2 == 0;
      p.enemies = {E::kLaser, E::kDischargeUp, E::kFlower, E::kReinforcedSoldier};
      p.items = {144, 146, 157, 159, 166, 175};
      break;
    case 6:  // the power plant: armed machines
      p.reinforcement = 2;
      p.enemies = {E::kGunCamera, E::kGunDrone, E::kTurret, E::kReinforcedSoldier};
      p.items = {145, 147, 158, 160, 161, 175};
      break;
    default:  // the engine room and the bow
      p.reinforcement = 2;
      p.enemies = {E::kReinforcedSoldier, E::kFairy, E::kTurret, E::kSweepingCamera};
      p.items = {146, 148, 159, 160, 167, 175};
      break;
  }
  return p;
}

// The VR training's four kinds of mission: sneaking past sight lines (guards and cameras,
// hiding places in every room, no weapon), target practice (open halls with targets and
// guards to put to sleep), advanced movement (crates, gaps and beams under lasers and
// drones), and bomb disposal (bomb soldiers among crates and turrets).
Palette VrPalette(int category) {
  using E = Enemy;
  Palette p;
  p.atmosphere = category;
  switch (category) {
    case 0:
      p.enemies = {E::kSoldier, E::kCamera, E::kSweepingCamera, E::kSoldier};
      p.pieceWeights = {1, 0, 0, 3, 1, 2};
      p.enemiesPerScreen = 3;
      p.items = {161};
      break;
    case 1:
      p.enemies = {E::kSoldier, E::kReinforcedSoldier};
      p.pieceWeights = {3, 1, 0, 1, 1, 0};
      p.items = {141, 142, 143, 155};
      break;
    case 2:
      p.enemies = {E::kLaser, E::kGunCamera, E::kDrone, E::kReinforcedSoldier};
      p.pieceWeights = {0, 3, 3, 1, 3, 1};
      p.items = {141, 143, 144, 155, 161, 175};
      break;
    default:
      p.enemies = {E::kBombSoldier, E::kBombSoldier, E::kBombSoldier, E::kTurret};
      p.pieceWeights = {1, 3, 1, 1, 0, 2};
      p.enemiesPerScreen = 3;
      p.items = {143, 145, 175};
      break;
  }
  return p;
}

// Targets of a VR stage: the target practice puts up two per screen.
int VrTargets(const StageInfo& stage) {
  return stage.area == 1 ? std::min(2 * stage.screensX * stage.screensY + 1, 12) : 0;
}

class Generator {
 public:
  Generator(const StageInfo& stage, uint32_t seed)
      : stage_(stage), random_(seed), record_(kStageRecordBytes, '\0') {
    width_ = stage.screensX * kScreenColumns;
    height_ = stage.screensY * kScreenRows;
    levels_ = stage.screensY * kScreenRows / kLevelRows;
    used_.assign(levels_, std::vector<bool>(width_, false));
    ladderColumns_.assign(levels_, {});
  }

  std::string Build(const Palette& palette, const std::vector<StageDoor>& doors, int startCode, int targets,
                    bool stealth, const StageNeeds& needs) {
    dropColumns_ = DropColumns(needs);
    goalCode_ = needs.waitingGoal ? kWaitingGoal : kGoal;
    Shell();
    for (int c : dropColumns_) {
      Set(c, 0, 0);
      Use(0, c);
    }
    Ladders();
    Place(palette, doors, startCode, targets);
    Pieces(palette);
    Items(palette);
    Lights(palette);
    Enemies(palette);
    // Nothing may hang in the shaft the opening scene drops the player through.
    for (int c : dropColumns_) {
      for (int r = 0; r <= TopRow(0); ++r) Set(c, r, 0);
    }
    for (const StageDoor& d : doors) {
      Byte(kDoorPairs + 2 * (d.code - 1)) = static_cast<char>(d.nodeArea + 1);
      Byte(kDoorPairs + 2 * (d.code - 1) + 1) = static_cast<char>(d.nodeIndex + 1);
    }
    Byte(kWidth) = static_cast<char>(stage_.screensX);
    Byte(kHeight) = static_cast<char>(stage_.screensY);
    Byte(kAtmosphere) = static_cast<char>(palette.atmosphere);
    Byte(kStealth) = stealth ? 1 : 0;
    Byte(kLightsOn) = palette.lightsOn ? 1 : 0;
    Byte(kReinforcement) = static_cast<char>(palette.reinforcement);
    Byte(kRuleZero) = 2;  // the value a new game starts with
    for (int code : needs.triggers) PlaceTrigger(code, needs);
    return record_;
  }

 private:
  static int FloorRow(int level) { return level * kLevelRows + kLevelRows - 1; }
  static int FeetRow(int level) { return FloorRow(level) - 1; }
  // The highest free row of a level's room (the first level has the ceiling above it).
  static int TopRow(int level) { return level == 0 ? 1 : FloorRow(level - 1) + 1; }

  char& Byte(int offset) { return record_[offset]; }
  int Cell(int column, int row) const { return static_cast<uint8_t>(record_[row * kColumns + column]); }
  void Set(int column, int row, int code) { record_[row * kColumns + column] = static_cast<char>(code); }

  // Whether a feature fits at a column of a level, with a free column on each side.
  bool Free(int level, int column, int margin = 1) const {
    if (column < 2 || column > width_ - 3) return false;
    for (int c = column - margin; c <= column + margin; ++c) {
      if (c >= 0 && c < width_ && used_[level][c]) return false;
    }
    return true;
  }
  void Use(int level, int column) { used_[level][column] = true; }

  // A free column of a level within [first, last], or -1.
  int PickColumn(int level, int first, int last, int margin = 1) {
    first = std::max(first, 2);
    last = std::min(last, width_ - 3);
    if (last < first) return -1;
    const int span = last - first + 1;
    const int offset = random_.Below(span);
    for (int i = 0; i < span; ++i) {
      const int c = first + (offset + i) % span;
      if (Free(level, c, margin)) return c;
    }
    return -1;
  }

  // The columns of the ceiling left open where a story scene drops the player in from above:
  // those the falling player's body (x ± 15) passes.
  std::vector<int> DropColumns(const StageNeeds& needs) const {
    std::vector<int> columns;
    for (const Landing& l : needs.landings) {
      for (int c = (l.x - 15) / kCellSize; c <= (l.x + 15) / kCellSize; ++c) {
        if (c > 0 && c < width_ - 1 && std::find(columns.begin(), columns.end(), c) == columns.end()) columns.push_back(c);
      }
    }
    return columns;
  }

  // Puts a story trigger on every road from a way in (the start, a landing, a door) to a way
  // out (a door or the goal), as early on it as a free cell allows; a road that already
  // passes one keeps it.
  void PlaceTrigger(int code, const StageNeeds& needs) {
    const stage_route::StageMap map(reinterpret_cast<const uint8_t*>(record_.data()));
    stage_route::MoveGraph graph(map);
    std::vector<std::pair<stage_route::Spot, int>> entries;  // the spot and the door it is (0 none)
    if (auto start = stage_route::StartSpot(map)) entries.push_back({*start, 0});
    for (const Landing& l : needs.landings) {
      if (auto spot = stage_route::LandingSpot(map, l.x, l.y)) entries.push_back({*spot, 0});
    }
    const std::vector<int> doors = stage_route::DoorCodes(map);
    for (int door : doors) {
      if (auto spot = stage_route::EntrySpot(map, door)) entries.push_back({*spot, door});
    }
    std::vector<stage_route::Target> exits;
    for (int door : doors) exits.push_back(stage_route::Target::Door(door));
    if (stage_.hasGoal) exits.push_back(stage_route::Target::Goal());
    for (const auto& [entry, entryDoor] : entries) {
      const stage_route::Routes routes(graph, entry);
      for (const stage_route::Target& exit : exits) {
        if (exit.door != 0 && exit.door == entryDoor) continue;
        const std::vector<stage_route::Move> plan = routes.PlanTo(exit);
        if (plan.empty()) continue;
        // The spots the player rests on along the road, the way in last: a trigger there
        // would start before the player has moved.
        std::vector<stage_route::Spot> spots;
        for (size_t i = 0; i + 1 < plan.size(); ++i) spots.push_back(plan[i].to);
        spots.push_back(entry);
        const auto holds = [&](const stage_route::Spot& s, int row) { return Cell(s.column, row) == code; };
        const bool passed = std::any_of(spots.begin(), spots.end(),
                                        [&](const stage_route::Spot& s) { return holds(s, s.row) || holds(s, s.row - 1); });
        if (passed) continue;
        bool placed = false;
        for (int headRoom = 0; headRoom < 2 && !placed; ++headRoom) {
          for (const stage_route::Spot& s : spots) {
            const int row = s.row - headRoom;
            if (row < 1 || Cell(s.column, row) != 0) continue;
            Set(s.column, row, code);
            placed = true;
            break;
          }
        }
        if (!placed) throw std::logic_error(stage_.path + ": no free cell for a story trigger");
      }
    }
  }

  void Shell() {
    for (int c = 0; c < width_; ++c) Set(c, 0, kBlock);
    for (int r = 0; r < height_; ++r) {
      Set(0, r, kBlock);
      Set(width_ - 1, r, kBlock);
    }
    for (int level = 0; level < levels_; ++level) {
      for (int c = 1; c < width_ - 1; ++c) Set(c, FloorRow(level), kBlock);
    }
  }

  // One ladder per screen between each level and the next, never straight above another.
  void Ladders() {
    for (int level = 0; level + 1 < levels_; ++level) {
      for (int screen = 0; screen < stage_.screensX; ++screen) {
        int column = -1;
        for (int attempt = 0; attempt < 40 && column < 0; ++attempt) {
          const int c = screen * kScreenColumns + 2 + random_.Below(kScreenColumns - 4);
          bool ok = Free(level, c) && Free(level + 1, c);
          if (level > 0) {
            for (int other : ladderColumns_[level - 1]) ok = ok && std::abs(other - c) > 2;
          }
          if (ok) column = c;
        }
        if (column < 0) continue;
        for (int r = FloorRow(level); r < FloorRow(level + 1); ++r) Set(column, r, kLadder);
        Use(level, column);
        Use(level + 1, column);
        ladderColumns_[level].push_back(column);
      }
    }
  }

  // Start, doors, goal and targets: spread over the levels, apart from each other.
  void Place(const Palette&, const std::vector<StageDoor>& doors, int startCode, int targets) {
    const int bottom = levels_ - 1;
    int column = PickColumn(bottom, 2, 5);
    if (column < 0) column = PickColumn(bottom, 2, width_ - 3);
    Set(column, FeetRow(bottom), startCode);
    Use(bottom, column);
    startColumn_ = column;
    entries_.push_back({bottom, column});

    for (size_t i = 0; i < doors.size(); ++i) {
      // Doors go to the far end first, then to the other levels and screens in turn.
      int level = static_cast<int>((i * 2 + 1) % levels_);
      if (i == 0) level = random_.Below(2) == 0 ? 0 : bottom;
      const int screen = static_cast<int>((stage_.screensX - 1 + i) % stage_.screensX);
      int c = PickColumn(level, screen * kScreenColumns + 2, screen * kScreenColumns + kScreenColumns - 3, 2);
      for (int l = 0; c < 0 && l < levels_; ++l) {
        level = l;
        c = PickColumn(level, 2, width_ - 3, 2);
      }
      if (c < 0) throw std::logic_error(stage_.path + ": no room for a door");
      Set(c, FeetRow(level) - 1, doors[i].code);
      Use(level, c);
      entries_.push_back({level, c});
    }
    if (stage_.hasGoal) {
      const int level = random_.Below(2) == 0 ? 0 : bottom;
      int c = PickColumn(level, width_ - kScreenColumns / 2, width_ - 3, 2);
      if (c < 0) c = PickColumn(level, 2, width_ - 3, 2);
      if (c < 0) throw std::logic_error(stage_.path + ": no room for the goal");
      Set(c, FeetRow(level), goalCode_);
      Use(level, c);
    }
    for (int i = 0; i < targets; ++i) {
      const int level = random_.Below(levels_);
      const int c = PickColumn(level, 2, width_ - 3);
      if (c < 0) continue;
      Set(c, FeetRow(level) - 1, kTarget);
      Use(level, c);
    }
  }

  // The room pieces, one per screen and level: a corridor, a crate to jump, a gap in the
  // floor, a hiding place, or a beam hanging from the ceiling.
  void Pieces(const Palette& palette) {
    int total = 0;
    for (int weight : palette.pieceWeights) total += weight;
    for (int level = 0; level < levels_; ++level) {
      for (int screen = 0; screen < stage_.screensX; ++screen) {
        const int first = screen * kScreenColumns + 2, last = first + kScreenColumns - 5;
        int pick = random_.Below(total), piece = 0;
        while (pick >= palette.pieceWeights[static_cast<size_t>(piece)]) pick -= palette.pieceWeights[static_cast<size_t>(piece++)];
        switch (piece) {
          case 0: break;  // corridor
          case 1: Crate(level, first, last); break;
          case 2: Gap(level, first, last); break;
          case 3: Hideout(level, first, last); break;
          case 4: Beam(level, first, last); break;
          default:
            Hideout(level, first, last);
            Crate(level, first, last);
            break;
        }
      }
    }
    // Every screen of a stage has somewhere to hide.
    for (int screen = 0; screen < stage_.screensX; ++screen) {
      const int first = screen * kScreenColumns + 2, last = first + kScreenColumns - 5;
      for (int level = levels_ - 1; level >= 0 && !hidden_[screen]; --level) Hideout(level, first, last);
    }
  }

  void Crate(int level, int first, int last) {
    if (level == 0) return;  // no head room to jump it under the roof
    const int c = PickColumn(level, std::max(first, 4), std::min(last, width_ - 5), 2);
    if (c < 0 || std::abs(c - startColumn_) < 3) return;
    Set(c, FeetRow(level), kBlock);
    Use(level, c);
  }

  void Gap(int level, int first, int last) {
    if (level + 1 >= levels_) return;
    const int c = PickColumn(level, first, last, 2);
    if (c < 0 || !Free(level + 1, c)) return;
    Set(c, FloorRow(level), 0);
    Use(level, c);
    Use(level + 1, c);
  }

  void Hideout(int level, int first, int last) {
    const int c = PickColumn(level, first, last);
    if (c < 0) return;
    Set(c, FeetRow(level) - 1, kHidingPlace);
    Use(level, c);
    hidden_[c / kScreenColumns] = true;
  }

  void Beam(int level, int first, int last) {
    if (level == 0) return;
    const int c = PickColumn(level, first, last, 0);
    if (c < 0) return;
    const int from = std::max(0, c - 1), to = std::min(width_ - 2, c + 1);
    for (int x = from; x <= to; ++x) {
      if (Cell(x, TopRow(level)) == 0) Set(x, TopRow(level), kBlock);
      Use(level, x);
    }
  }

  void Items(const Palette& palette) {
    const int count = stage_.screensX * stage_.screensY + 1;
    for (int i = 0; i < count; ++i) {
      const int level = random_.Below(levels_);
      const int c = PickColumn(level, 2, width_ - 3, 0);
      if (c < 0 || Cell(c, FeetRow(level)) != 0) continue;
      Set(c, FeetRow(level), palette.items[random_.Below(static_cast<int>(palette.items.size()))]);
      Use(level, c);
    }
  }

  // Lamps under the ceilings; a dark stage has fewer, and the player can keep to the shadow.
  void Lights(const Palette& palette) {
    int lights = 0;
    for (int level = 0; level < levels_; ++level) {
      for (int screen = 0; screen < stage_.screensX; ++screen) {
        if (!palette.lightsOn && (level + screen) % 2 == 1) continue;
        if (lights >= kMaxLights - 2) return;
        const int first = screen * kScreenColumns + 3;
        for (int attempt = 0; attempt < 10; ++attempt) {
          const int c = first + random_.Below(kScreenColumns - 6);
          if (Cell(c, TopRow(level)) != 0 || Cell(c, TopRow(level) + 1) == kLadder) continue;
          Set(c, TopRow(level), palette.lightsOn && random_.Below(3) == 0 ? kLamp + 1 : kLamp);
          ++lights;
          break;
        }
      }
    }
  }

  void Enemies(const Palette& palette) {
    const int wanted = std::min(kMaxEnemyRecords, stage_.screensX * stage_.screensY * palette.enemiesPerScreen);
    int records = 0;
    for (int i = 0; i < wanted * 3 && records < wanted; ++i) {
      const Enemy kind = palette.enemies[random_.Below(static_cast<int>(palette.enemies.size()))];
      const int level = random_.Below(levels_);
      const int c = PickColumn(level, 2, width_ - 3);
      if (c < 0) continue;
      // Nobody waits right beside the start or a door: the player comes in at either.
      const bool besideEntry = std::any_of(entries_.begin(), entries_.end(), [&](const std::pair<int, int>& e) {
        return e.first == level && std::abs(c - e.second) < 7;
      });
      if (besideEntry) continue;
      const bool onFloor = kind == Enemy::kSoldier || kind == Enemy::kReinforcedSoldier || kind == Enemy::kBombSoldier ||
                           kind == Enemy::kSlime || kind == Enemy::kFairy || kind == Enemy::kFlower ||
                           kind == Enemy::kDischargeUp;
      const int row = onFloor ? FeetRow(level) : TopRow(level);
      if (Cell(c, row) != 0) continue;
      WriteEnemy(records, kind);
      Set(c, row, kFirstEnemyTile + records);
      Use(level, c);
      ++records;
    }
  }

  void WriteEnemy(int index, Enemy kind) {
    uint8_t e[10] = {};
    const int facing = random_.Below(2);
    e[3] = static_cast<uint8_t>(facing);
    switch (kind) {
      case Enemy::kSoldier:
      case Enemy::kReinforcedSoldier:
        e[0] = kind == Enemy::kSoldier ? 1 : 2;
        e[2] = static_cast<uint8_t>(kind == Enemy::kSoldier ? 0 : random_.Below(4));
        // Never standing still: a guard that looks one way for ever would close the way
        // (look, walk, climb, sleep, smoke, music; after an alert look, walk or climb).
        e[6] = static_cast<uint8_t>(1 + random_.Below(6));
        e[7] = static_cast<uint8_t>(1 + random_.Below(3));
        e[8] = static_cast<uint8_t>(random_.Below(2));
        e[9] = static_cast<uint8_t>(random_.Below(3));
        break;
      case Enemy::kCamera:
      case Enemy::kSweepingCamera:
      case Enemy::kGunCamera:
        e[0] = kind == Enemy::kCamera ? 3 : kind == Enemy::kSweepingCamera ? 4 : 5 + random_.Below(2);
        e[4] = static_cast<uint8_t>(facing == 1 ? 110 + random_.Below(30) : 40 + random_.Below(30));  // looks down
        e[5] = static_cast<uint8_t>(120 + random_.Below(100));
        break;
      case Enemy::kDrone:
      case Enemy::kVerticalDrone:
      case Enemy::kGunDrone:
        e[0] = kind == Enemy::kDrone ? 7 : kind == Enemy::kVerticalDrone ? 8 : 9 + random_.Below(2);
        e[4] = static_cast<uint8_t>(e[0] == 8 || e[0] == 10 ? 60 : 120 + random_.Below(80));  // travel
        e[5] = static_cast<uint8_t>(random_.Below(2));
        break;
      case Enemy::kTurret:
        e[0] = 11;
        e[4] = static_cast<uint8_t>(90 + random_.Below(90));  // frames it keeps a direction
        break;
      case Enemy::kBombSoldier: e[0] = 12; break;
      case Enemy::kFlower: e[0] = 13; break;
      case Enemy::kLaser:
        e[0] = 14;
        e[4] = static_cast<uint8_t>(facing == 1 ? 135 : 45);
        e[5] = static_cast<uint8_t>(100 + random_.Below(100));
        break;
      case Enemy::kDischargeUp:
        e[0] = 15;
        e[4] = static_cast<uint8_t>(random_.Below(2));
        e[5] = static_cast<uint8_t>(60 + random_.Below(60));
        break;
      case Enemy::kSlime: e[0] = 17; break;
      case Enemy::kFairy: e[0] = 18; break;
    }
    for (int i = 0; i < 10; ++i) record_[kEnemyRecords + index * 10 + i] = static_cast<char>(e[i]);
  }

  const StageInfo& stage_;
  Random random_;
  std::string record_;
  int width_ = 0;
  int height_ = 0;
  int levels_ = 0;
  int startColumn_ = 2;
  int goalCode_ = kGoal;
  std::vector<int> dropColumns_;
  std::vector<std::pair<int, int>> entries_;  // (level, column) of the start and the doors
  std::vector<std::vector<bool>> used_;
  std::vector<std::vector<int>> ladderColumns_;
  bool hidden_[3] = {false, false, false};
};

// Targets of the story stages: 152 over the first character's 61 stages, 80 over the
// second's, as the briefing's totals count them.
int StoryTargets(int globalIndex, int total) {
  const int stages = 61;
  return total / stages + (globalIndex * 7 % stages < total % stages ? 1 : 0);
}

int GlobalIndex(int area, int stage) {
  int index = stage;
  for (int a = 0; a < area; ++a) index += kStagesPerArea[a];
  return index;
}

// The third story's missions by area, as its backgrounds go.
int ThirdStoryArea(int mission) {
  static const int kAreas[kThirdStoryMissions] = {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3,
                                                  4, 4, 4, 5, 5, 5, 6, 6, 6, 7, 7, 7};
  return kAreas[std::clamp(mission - 1, 0, kThirdStoryMissions - 1)];
}

// Whether the story's ending scene (15 or 16) of the family's character starts in the stage.
bool HostsEnding(StageFamily family, int area, int stage) {
  const int character = family == StageFamily::kFirstStory ? kStoryFirstCharacter : kStorySecondCharacter;
  for (const StoryTableEntry& e : StoryTableEntries()) {
    if (e.scene && (e.number == 15 || e.number == 16) && (e.characters & character) != 0 && e.area == area &&
        e.subStage == stage) {
      return true;
    }
  }
  return false;
}

}  // namespace

const std::vector<std::vector<RouteNode>>& RouteNodes() { return Nodes(); }

std::vector<RouteBranch> BranchesOf(int area, int node) {
  std::vector<RouteBranch> branches;
  if (area < 0 || area >= kAreaCount || node < 0 || node >= static_cast<int>(Nodes()[area].size())) return branches;
  const RouteNode& n = Nodes()[area][node];
  // Which table byte each destination is entered with: 2 × row + column; the third row uses
  // byte 4 for both of its destinations.
  std::vector<std::pair<int, int>> uses;  // (byte, destination index)
  switch (n.branchType) {
    case 0: uses = {{0, 0}, {1, 1}}; break;
    case 1: uses = {{0, 0}, {2, 2}}; break;
    case 5: uses = {{0, 0}, {2, 2}, {4, 4}, {4, 5}}; break;
    default: uses = {{0, 0}, {1, 1}, {2, 2}, {3, 3}}; break;
  }
  // Left from these nodes leads to a fixed stage whatever the first destination says.
  struct FixedExit {
    int area, node, toArea, toStage;
  };
  static const FixedExit kFixedExits[] = {{0, 3, 0, 3}, {1, 6, 1, 9}, {4, 5, 0, 4}, {6, 3, 6, 6}};
  for (const auto& [byte, d] : uses) {
    RouteBranch b;
    b.doorByte = byte;
    bool known = Decode(area, n.destinations[d], &b.area, &b.subStage);
    for (const FixedExit& e : kFixedExits) {
      if (d == 0 && e.area == area && e.node == node) {
        b.area = e.toArea;
        b.subStage = e.toStage;
        known = true;
      }
    }
    if (known) branches.push_back(b);
  }
  return branches;
}

std::vector<StageDoor> DoorsOf(int area, int subStage) {
  const auto& doors = Plan().stageDoors;
  const auto it = doors.find({area, subStage});
  return it == doors.end() ? std::vector<StageDoor>{} : it->second;
}

std::string RouteDoorTable() {
  std::string bytes;
  for (int area = 0; area < kAreaCount; ++area) {
    for (const auto& node : Plan().table[area]) {
      for (int code : node) bytes.push_back(static_cast<char>(code));
    }
  }
  return bytes;
}

const std::vector<StageInfo>& BuiltInStages() {
  static const std::vector<StageInfo> stages = [] {
    std::vector<StageInfo> list;
    char path[32];
    for (int family = 0; family < 2; ++family) {
      for (int area = 0; area < kAreaCount; ++area) {
        for (int stage = 0; stage < kStagesPerArea[area]; ++stage) {
          std::snprintf(path, sizeof path, family == 0 ? "bin/%d-%d" : "bin/m_%d-%d", area + 1, stage + 1);
          StageInfo s;
          s.path = path;
          s.family = family == 0 ? StageFamily::kFirstStory : StageFamily::kSecondStory;
          s.area = area;
          s.index = stage;
          const auto& size = kSizes[(GlobalIndex(area, stage) * 4 + family * 5) % kSizes.size()];
          s.screensX = size[0];
          // The endings fly the player off the stage's roof: a one-screen-high stage keeps
          // every road under it.
          s.screensY = HostsEnding(s.family, area, stage) ? 1 : size[1];
          s.hasGoal = DoorsOf(area, stage).empty();
          list.push_back(s);
        }
      }
    }
    for (int mission = 1; mission <= kThirdStoryMissions; ++mission) {
      std::snprintf(path, sizeof path, "bin/k_1-%d", mission);
      StageInfo s;
      s.path = path;
      s.family = StageFamily::kThirdStory;
      s.area = ThirdStoryArea(mission);
      s.index = mission - 1;
      const auto& size = kSizes[(mission * 2 + 1) % kSizes.size()];
      s.screensX = size[0];
      s.screensY = size[1];
      s.hasGoal = true;
      list.push_back(s);
    }
    for (int category = 0; category < 4; ++category) {
      for (int mission = 0; mission < kVrMissions[category]; ++mission) {
        std::snprintf(path, sizeof path, "bin/vr_%d-%d", category + 1, mission + 1);
        StageInfo s;
        s.path = path;
        s.family = StageFamily::kVr;
        s.area = category;
        s.index = mission;
        // The training starts small and grows.
        const auto& size = kSizes[(mission + category * 3) % kSizes.size()];
        s.screensX = size[0];
        s.screensY = size[1];
        s.hasGoal = true;
        list.push_back(s);
      }
    }
    return list;
  }();
  return stages;
}

namespace {

int TargetsOf(const StageInfo& stage) {
  switch (stage.family) {
    case StageFamily::kFirstStory: return StoryTargets(GlobalIndex(stage.area, stage.index), 152);
    case StageFamily::kSecondStory: return StoryTargets(GlobalIndex(stage.area, stage.index), 80);
    case StageFamily::kThirdStory: {
      // The target missions of the third story's briefing.
      const int mission = stage.index + 1;
      return mission == 3 || mission == 9 || mission == 13 || mission == 17 ? 3 : 0;
    }
    case StageFamily::kVr: return VrTargets(stage);
  }
  return 0;
}

int CharacterOf(StageFamily family) {
  switch (family) {
    case StageFamily::kFirstStory: return kStoryFirstCharacter;
    case StageFamily::kSecondStory: return kStorySecondCharacter;
    case StageFamily::kThirdStory: return kStoryThirdCharacter;
    case StageFamily::kVr: break;
  }
  return 0;
}

}  // namespace

StageNeeds NeedsOf(const StageInfo& stage) {
  StageNeeds needs;
  const int character = CharacterOf(stage.family);
  // The third character's missions keep sub-stage 0 of their area.
  const int subStage = stage.family == StageFamily::kThirdStory ? 0 : stage.index;
  for (const StoryTableEntry& e : StoryTableEntries()) {
    if ((e.characters & character) == 0 || e.area != stage.area || e.subStage != subStage) continue;
    needs.triggers.push_back((e.scene ? 17 : 15) + e.byte);
  }
  if (stage.family == StageFamily::kThirdStory) {
    // The missions with a fixed script of their own.
    for (int mission : {1, 8, 10, 20, 21, 24}) {
      if (stage.index + 1 == mission) needs.triggers.push_back(19);
    }
  }
  // The openings: the first character glides down onto the first stage, the second drops from
  // the helicopter into area 3, sub-stage 5.
  if (stage.family == StageFamily::kFirstStory && stage.area == 0 && stage.index == 0) needs.landings.push_back({240, -100});
  if (stage.family == StageFamily::kSecondStory && stage.area == 2 && stage.index == 4) needs.landings.push_back({100, -250});
  // A target rule opens the goal of the third story and the VR training once every target
  // is broken; a stage without targets has its goal open from the start.
  needs.waitingGoal = (stage.family == StageFamily::kThirdStory || stage.family == StageFamily::kVr) && TargetsOf(stage) > 0;
  return needs;
}

std::string StageRecord(const StageInfo& stage) {
  uint32_t seed = 2166136261u;
  for (unsigned char c : stage.path) seed = (seed ^ c) * 16777619u;
  Generator generator(stage, seed);
  const StageNeeds needs = NeedsOf(stage);
  const int targets = TargetsOf(stage);
  switch (stage.family) {
    case StageFamily::kFirstStory:
    case StageFamily::kSecondStory: {
      const bool first = stage.family == StageFamily::kFirstStory;
      // The heavily guarded passage of the research section is a stealth stage.
      const bool stealth = stage.area == 5 && stage.index == 2;
      return generator.Build(AreaPalette(stage.area, stage.index), DoorsOf(stage.area, stage.index), first ? 95 : 96,
                             targets, stealth, needs);
    }
    case StageFamily::kThirdStory:
      return generator.Build(AreaPalette(stage.area, stage.index % 3), {}, 97, targets, false, needs);
    case StageFamily::kVr:
      return generator.Build(VrPalette(stage.area), {}, 95, targets, stage.area == 0, needs);
  }
  return std::string(kStageRecordBytes, '\0');
}

}  // namespace dataset
