#include "tools/dataset/stage_maps.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <utility>

#include "tools/dataset/canvas.h"
#include "tools/dataset/room_designs.h"
#include "tools/dataset/stage_route.h"
#include "tools/dataset/stage_watch.h"
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
// The spots and states a stage's route check may work out: a layout whose keys and shutters
// make more is tried again, so that every check of the stages stays quick.
constexpr size_t kMaxRouteSpots = 4000;

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

enum class Enemy { kSoldier, kReinforcedSoldier, kCamera, kSweepingCamera, kGunCamera, kSweepingGunCamera, kDrone,
                   kVerticalDrone, kGunDrone, kVerticalGunDrone, kTurret, kBombSoldier, kFlower, kLaser,
                   kDischargeUp, kDischargeDown, kSlime, kFairy };

bool IsInfantry(Enemy e) { return e == Enemy::kSoldier || e == Enemy::kReinforcedSoldier; }

// What a stage is built from: the rooms it draws, who guards it and what lies about.
struct Palette {
  int atmosphere = 0;
  bool lightsOn = true;
  int reinforcement = 0;
  unsigned themes = kThemeAll;
  std::vector<Enemy> floorEnemies;    // on the floors of rooms and corridors
  std::vector<Enemy> ceilingMachines; // under the ceilings
  std::vector<Enemy> floorMachines;   // standing on the floors
  std::vector<int> items;
  // Enemies per screen, in tenths.
  int density = 20;
  // Soldiers carry a weapon of their own (SP12, P90, M60) this often, in tenths.
  int armed = 0;
  // Rooms every stage of this kind holds (by name), whatever its themes.
  std::vector<const char*> signature;
  // Rooms drawn this much more often than the others (by name).
  std::vector<const char*> favourites;
  // A training mission teaches one thing: only its favourite rooms and plain ones.
  bool lessonOnly = false;
};

// Rooms with nothing in them but blocks, ledges and ladders: what a lesson's stage is made of
// around its lesson.
bool PlainRoom(const std::string& name) {
  static const char* kPlain[] = {"crate stack", "raised walkway", "pillar",      "fenced steps", "long blocks",
                                 "high ledges", "container yard", "ladder loft", "tall stacks"};
  return std::any_of(std::begin(kPlain), std::end(kPlain), [&](const char* p) { return name == p; });
}

// The areas of the ship, from the stern to the bow, grow harder: more guards, armed ones,
// machines that shoot.
Palette AreaPalette(int area, int stage, int variant) {
  using E = Enemy;
  Palette p;
  p.atmosphere = area;
  p.density = 12 + area * 3 + stage;
  p.armed = std::min(8, area);
  switch (area) {
    case 0:  // the stern deck at night: crates, lockers, guards and fixed cameras
      p.reinforcement = 1;
      p.themes = kThemeDeck | kThemeHold;
      p.floorEnemies = {E::kSoldier, E::kSoldier, E::kSoldier};
      p.ceilingMachines = {E::kCamera};
      p.floorMachines = {E::kTurret};
      p.items = {141, 141, 155, 161, 175};
      break;
    case 1:  // the bridge: glass, terminals, sweeping cameras
      p.reinforcement = 1;
      p.themes = kThemeBridge | kThemeDeck | kThemeControl;
      p.floorEnemies = {E::kSoldier, E::kSoldier, E::kReinforcedSoldier};
      p.ceilingMachines = {E::kSweepingCamera, E::kCamera};
      p.floorMachines = {E::kTurret};
      p.items = {141, 142, 155, 156, 161, 175};
      break;
    case 2:  // the connecting bridge and the control rooms: panels, pitfalls, vanishing floors
      p.reinforcement = 1;
      p.themes = kThemeControl | kThemeBridge;
      p.floorEnemies = {E::kSoldier, E::kReinforcedSoldier};
      p.ceilingMachines = {E::kCamera, E::kDrone, E::kSweepingCamera};
      p.floorMachines = {E::kTurret, E::kLaser};
      p.items = {141, 143, 156, 157, 163, 175};
      break;
    case 3:  // the great vents, dark: ducts, pitfalls, drones and slimes
      p.lightsOn = stage >= 2;
      p.themes = kThemeVents | kThemeEngine;
      p.floorEnemies = {E::kSlime, E::kSoldier, E::kSlime};
      p.ceilingMachines = {E::kDrone, E::kVerticalDrone};
      p.floorMachines = {E::kDischargeUp};
      p.items = {142, 144, 157, 158, 161, 175};
      break;
    case 4:  // the cargo holds: containers, burnable crates, bomb soldiers
      p.reinforcement = 2;
      p.themes = kThemeHold | kThemeDeck;
      p.floorEnemies = {E::kReinforcedSoldier, E::kBombSoldier, E::kSoldier, E::kBombSoldier};
      p.ceilingMachines = {E::kCamera, E::kSweepingCamera};
      p.floorMachines = {E::kTurret};
      p.items = {143, 145, 155, 158, 165, 175};
      break;
    case 5:  // the research section: electric floors, glass, beams and flowers, partly dark
      p.reinforcement = 2;
      p.lightsOn = stage % 2 == 0;
      p.themes = kThemeLab | kThemeBridge;
      p.floorEnemies = {E::kFlower, E::kReinforcedSoldier, E::kFlower};
      p.ceilingMachines = {E::kCamera, E::kDischargeDown, E::kSweepingCamera};
      p.floorMachines = {E::kLaser, E::kDischargeUp};
      p.items = {144, 146, 157, 159, 166, 175};
      break;
    case 6:  // the power plant: electric blocks, conveyors, springs and armed machines
      p.reinforcement = 2;
      p.themes = kThemePower | kThemeEngine;
      p.floorEnemies = {E::kReinforcedSoldier, E::kSoldier};
      p.ceilingMachines = {E::kGunCamera, E::kGunDrone, E::kSweepingGunCamera, E::kVerticalGunDrone};
      p.floorMachines = {E::kTurret};
      p.items = {145, 147, 158, 160, 161, 175};
      break;
    default:  // the engine room and the bow: conveyors, pipes, crumbling walkways, fairies
      p.reinforcement = 2;
      p.themes = kThemeEngine | kThemePower | kThemeVents;
      p.floorEnemies = {E::kReinforcedSoldier, E::kFairy, E::kReinforcedSoldier};
      p.ceilingMachines = {E::kSweepingCamera, E::kGunDrone};
      p.floorMachines = {E::kTurret};
      p.items = {146, 148, 159, 160, 167, 175};
      break;
  }
  // A new player meets the ship's mechanics over the first two areas, one or two a stage.
  static const std::vector<std::vector<const char*>> kFirstRooms = {
      {"shutter and key", "crumbling bridge"},     {"camera gallery", "breakable wall"},
      {"conveyor hall", "pitfall corridor"},       {"duct crawl", "spike pit under a ledge"},
      {"camera gallery", "shutter and key"},       {"glass office", "spring shaft"},
      {"camera gallery", "crumbling bridge"},      {"duct crawl", "breakable partition"},
      {"shutter and key", "pitfall corridor"},     {"conveyor hall", "glass booth"},
  };
  static const std::vector<std::vector<const char*>> kAreaRooms = {
      {}, {},
      {"vanishing bridge", "numbered shutter", "camera gallery", "control panels"},
      {"duct crawl", "pitfall corridor", "spiked ceiling", "dark lockers"},
      {"burnable crate stack", "container yard", "burning store", "shutter and key"},
      {"electric floor and terminal", "glass office", "laser hall", "electric store", "numbered shutter"},
      {"electric floor and terminal", "conveyor hall", "spring shaft", "numbered shutter", "turret post"},
      {"conveyor hall", "spiked column", "crumbling bridge", "duct crawl", "numbered shutter"},
  };
  if (area < 2) {
    // The first character's first stages teach; the second character's take them in another order.
    const int lesson = (area == 0 ? stage : stage + 5) + variant * 3;
    p.signature = kFirstRooms[static_cast<size_t>(lesson) % kFirstRooms.size()];
  } else {
    const auto& rooms = kAreaRooms[static_cast<size_t>(area)];
    p.signature = {rooms[static_cast<size_t>(stage + variant) % rooms.size()]};
    p.favourites = rooms;
  }
  return p;
}

// The VR training's four kinds of mission, each mission teaching one thing: sneaking past
// sight lines (guards, cameras, lockers, no weapon), weapons (targets, glass and breakable
// walls, guards to put to sleep), advanced movement (crumbling floors, springs, conveyors,
// ducts, pitfalls, under lasers and drones), and bombs (bomb soldiers among burnable crates).
Palette VrPalette(int category, int mission) {
  using E = Enemy;
  Palette p;
  p.atmosphere = category;
  p.density = 15 + mission * 2;
  switch (category) {
    case 0: {
      static const char* kLessons[] = {"locker storeroom", "camera gallery", "dark lockers", "noisy floor",
                                       "turret post", "laser hall", "raised walkway", "container yard",
                                       "camera gallery", "locker storeroom"};
      p.themes = kThemeDeck | kThemeHold | kThemeBridge;
      p.floorEnemies = {E::kSoldier, E::kSoldier, E::kReinforcedSoldier};
      p.ceilingMachines = {E::kCamera, E::kSweepingCamera};
      p.floorMachines = {E::kTurret, E::kLaser};
      p.items = {161};
      p.favourites = {kLessons[mission % 10]};
      break;
    }
    case 1: {
      static const char* kLessons[] = {"glass office", "breakable partition", "breakable wall", "glass booth",
                                       "burnable crate stack", "container yard", "long blocks", "pillar",
                                       "turret post", "raised walkway"};
      p.themes = kThemeDeck | kThemeBridge | kThemeHold;
      p.floorEnemies = {E::kSoldier, E::kReinforcedSoldier};
      p.ceilingMachines = {E::kCamera};
      p.floorMachines = {E::kTurret};
      p.items = {141, 142, 143, 155};
      p.armed = 5;
      p.favourites = {kLessons[mission % 10]};
      break;
    }
    case 2: {
      static const char* kLessons[] = {"crumbling bridge", "spring shaft", "conveyor hall", "duct crawl",
                                       "pitfall corridor"};
      p.themes = kThemeEngine | kThemeVents | kThemeControl | kThemeLab;
      p.floorEnemies = {E::kReinforcedSoldier, E::kSlime};
      p.ceilingMachines = {E::kGunCamera, E::kDrone, E::kVerticalDrone};
      p.floorMachines = {E::kLaser};
      p.items = {141, 143, 144, 155, 161, 175};
      p.armed = 4;
      p.favourites = {kLessons[mission % 5]};
      break;
    }
    default: {
      static const char* kLessons[] = {"burnable crate stack", "burning store", "breakable partition",
                                       "container yard", "crate stack"};
      p.themes = kThemeHold | kThemeEngine;
      p.floorEnemies = {E::kBombSoldier, E::kBombSoldier, E::kBombSoldier, E::kSoldier};
      p.ceilingMachines = {E::kCamera};
      p.floorMachines = {E::kTurret};
      p.items = {143, 145, 175};
      p.favourites = {kLessons[mission % 5]};
      break;
    }
  }
  p.signature = {p.favourites.front()};
  p.lessonOnly = true;
  return p;
}

// Targets of a VR stage: the target practice puts up two per screen.
int VrTargets(const StageInfo& stage) {
  return stage.area == 1 ? std::min(2 * stage.screensX * stage.screensY + 1, 12) : 0;
}

// Every item the game gives, handed out as the rewards of side rooms and lofts, one stage
// after another. The keys come with their shutters.
const std::vector<int>& Rewards() {
  static const std::vector<int> rewards = [] {
    std::vector<int> codes;
    for (int code = 141; code <= 189; ++code) {
      if (code != 177 && (code < 181 || code > 189)) codes.push_back(code);
    }
    return codes;
  }();
  return rewards;
}

// Where the story's road comes into the stage: its entry door, else the landing, else the start.
std::optional<stage_route::Spot> RoadEntry(const stage_route::StageMap& map, const StageNeeds& needs) {
  if (needs.roadFrom != 0) return stage_route::EntrySpot(map, needs.roadFrom);
  if (!needs.landings.empty()) return stage_route::LandingSpot(map, needs.landings.front().x, needs.landings.front().y);
  return stage_route::StartSpot(map);
}

// What the story's road through a record meets (Met bits); a terminal counts only with a
// camera on its screen to switch off.
uint32_t RoadMechanics(const std::string& record, const StageNeeds& needs, int character) {
  if (needs.roadTo == 0) return 0;
  std::string seen = record;
  for (int i = 0; i < kColumns * kRows; ++i) {
    if (static_cast<uint8_t>(seen[static_cast<size_t>(i)]) != 11) continue;
    const int column = i % kColumns, row = i / kColumns;
    bool camera = false;
    for (int r = row / kScreenRows * kScreenRows; r < (row / kScreenRows + 1) * kScreenRows && r < kRows; ++r) {
      for (int c = column / kScreenColumns * kScreenColumns; c < (column / kScreenColumns + 1) * kScreenColumns; ++c) {
        const int code = static_cast<uint8_t>(seen[static_cast<size_t>(r * kColumns + c)]);
        if (code < kFirstEnemyTile || code >= kFirstEnemyTile + kMaxEnemyRecords) continue;
        const int kind = static_cast<uint8_t>(seen[static_cast<size_t>(kEnemyRecords + 10 * (code - kFirstEnemyTile))]);
        camera = camera || (kind >= 3 && kind <= 6);
      }
    }
    if (!camera) seen[static_cast<size_t>(i)] = 0;
  }
  const stage_route::StageMap map(reinterpret_cast<const uint8_t*>(seen.data()), character);
  const std::optional<stage_route::Spot> entry = RoadEntry(map, needs);
  if (!entry) return 0;
  stage_route::MoveGraph graph(map);
  return stage_route::MetOnPlan(stage_route::Routes(graph, *entry).PlanTo(stage_route::Target::Door(needs.roadTo)));
}

struct Band {
  int top = 1;    // first room row
  int floor = 4;  // the floor row
  int Feet() const { return floor - 1; }
};

class Generator {
 public:
  Generator(const StageInfo& stage, uint32_t seed) : stage_(stage), random_(seed) {
    width_ = stage.screensX * kScreenColumns;
    height_ = stage.screensY * kScreenRows;
  }

  std::string Build(const Palette& palette, const std::vector<StageDoor>& doors, int startCode, int targets,
                    bool stealth, const StageNeeds& needs, int stageNumber) {
    const uint32_t base = random_.Next();
    for (int attempt = 0; attempt < 60; ++attempt) {
      random_ = Random(base + static_cast<uint32_t>(attempt) * 7919u);
      record_.assign(kStageRecordBytes, '\0');
      if (!Lay(palette, doors, startCode, targets, needs, stageNumber)) {
        if (why_.empty()) why_ = "no room for the layout";
        continue;
      }
      why_.clear();
      const bool playable = Playable(needs);
      if (!playable) {
        // A standing guard or an unblinking camera that shuts the way: let it look about.
        if (!Soften() || !Playable(needs)) continue;
      }
      if ((RoadMechanics(record_, needs, character_) & needs.roadMechanics) != needs.roadMechanics) {
        why_ = "the road misses a mechanism";
        continue;
      }
      for (const StageDoor& d : doors) {
        Byte(kDoorPairs + 2 * (d.code - 1)) = static_cast<char>(d.nodeArea + 1);
        Byte(kDoorPairs + 2 * (d.code - 1) + 1) = static_cast<char>(d.nodeIndex + 1);
      }
      Byte(kAtmosphere) = static_cast<char>(palette.atmosphere);
      Byte(kStealth) = stealth ? 1 : 0;
      Byte(kLightsOn) = palette.lightsOn ? 1 : 0;
      Byte(kReinforcement) = static_cast<char>(palette.reinforcement);
      Byte(kRuleZero) = 2;  // the value a new game starts with
      for (int code : needs.triggers) PlaceTrigger(code, needs);
      return record_;
    }
    throw std::logic_error(stage_.path + ": no playable layout (" + why_ + ")");
  }

  std::vector<std::string> piecesUsed;

 private:
  // ---- Layout ----

  bool Lay(const Palette& palette, const std::vector<StageDoor>& doors, int startCode, int targets,
           const StageNeeds& needs, int stageNumber) {
    piecesUsed.clear();
    slots_.clear();
    stageNumber_ = stageNumber;
    std::fill(std::begin(uses_), std::end(uses_), 0);
    records_ = 0;
    hideouts_ = 0;
    Bands();
    open_.assign(bands_.size(), std::vector<bool>(static_cast<size_t>(width_), false));
    Shell();
    Byte(kWidth) = static_cast<char>(stage_.screensX);
    Byte(kHeight) = static_cast<char>(stage_.screensY);
    dropColumns_.clear();
    for (const Landing& l : needs.landings) {
      for (int c = (l.x - 15) / kCellSize; c <= (l.x + 15) / kCellSize; ++c) {
        if (c > 0 && c < width_ - 1) dropColumns_.push_back(c);
      }
    }
    PlanLadders();
    std::vector<const RoomPiece*> wanted;
    for (const char* name : palette.signature) {
      if (const RoomPiece* p = FindRoomPiece(name)) wanted.push_back(p);
    }
    for (size_t b = 0; b < bands_.size(); ++b) Compose(static_cast<int>(b), palette, wanted);
    if (!wanted.empty()) return Fail(std::string("no room for ") + wanted.front()->name);
    if (!Ladders()) return Fail("no ladder");
    for (int c : dropColumns_) {
      for (int r = 0; r < bands_[0].floor; ++r) Set(c, r, 0);
    }
    if (!Place(doors, startCode, targets)) return Fail("no room for the ways in and out");
    if (!OnTheRoad(needs)) return Fail("no room on the road for its mechanisms");
    Slots(palette, stageNumber);
    Terminals();
    Corridors(palette);
    Lights(palette);
    for (int c : dropColumns_) {
      for (int r = 0; r < bands_[0].floor; ++r) Set(c, r, 0);
    }
    return true;
  }

  // Bands of four to six rows (three to five of room and the floor) down the stage.
  void Bands() {
    bands_.clear();
    const int rows = height_ - 1;
    const int count = (rows + 2) / 5;
    std::vector<int> heights(static_cast<size_t>(count), 4);
    for (int left = rows - 4 * count; left > 0;) {
      const int b = random_.Below(count);
      if (heights[static_cast<size_t>(b)] < 6) {
        ++heights[static_cast<size_t>(b)];
        --left;
      }
    }
    int top = 1;
    for (int h : heights) {
      bands_.push_back(Band{top, top + h - 1});
      top += h;
    }
  }

  void Shell() {
    for (int c = 0; c < width_; ++c) Set(c, 0, kBlock);
    for (int r = 0; r < height_; ++r) {
      Set(0, r, kBlock);
      Set(width_ - 1, r, kBlock);
    }
    for (const Band& b : bands_) {
      for (int c = 1; c < width_ - 1; ++c) Set(c, b.floor, kBlock);
    }
  }

  static bool OpenFloor(const RoomPiece& p) {
    for (char ch : p.rows.back()) {
      if (std::string(".cCpPVQRH=").find(ch) != std::string::npos) return true;
    }
    return false;
  }

  // The piece fitted to a band's height: walls that reach the ceiling grow with it and what
  // hangs from the ceiling stays there; a room shrinks by a row its walls repeat or an empty
  // top row.
  static bool Fit(const RoomPiece& piece, int height, RoomPiece* out) {
    *out = piece;
    const std::string hanging = "#uv{-}";
    while (out->Height() < height) {
      std::string& top = out->rows.front();
      std::string added(top.size(), '.');
      for (size_t c = 0; c < top.size(); ++c) {
        if (hanging.find(top[c]) == std::string::npos) continue;
        added[c] = top[c];
        if (top[c] != '#') top[c] = '.';
      }
      out->rows.insert(out->rows.begin(), added);
    }
    while (out->Height() > height) {
      if (out->rows.front().find_first_not_of('.') == std::string::npos) {
        out->rows.erase(out->rows.begin());
      } else if (out->Height() > 2 && out->rows[1] == out->rows[0]) {
        out->rows.erase(out->rows.begin() + 1);
      } else {
        return false;
      }
    }
    // A ledge keeps two rows over it for the player standing on it.
    for (int r = 0; r < 2 && r + 1 < out->Height(); ++r) {
      if (out->rows[static_cast<size_t>(r)].find('=') != std::string::npos) return false;
    }
    return true;
  }

  // Columns a band keeps as corridor: where the ladders to the bands above and below stand
  // and, in the first band, the shaft a story scene drops the player through.
  bool Reserved(int band, int first, int last) const {
    auto near = [&](int c) { return c >= first - 1 && c <= last + 1; };
    if (band == 0 && std::any_of(dropColumns_.begin(), dropColumns_.end(), near)) return true;
    for (int b : {band - 1, band}) {
      if (b < 0 || b >= static_cast<int>(ladderPlan_.size())) continue;
      if (std::any_of(ladderPlan_[static_cast<size_t>(b)].begin(), ladderPlan_[static_cast<size_t>(b)].end(), near)) return true;
    }
    return false;
  }

  // Ladders from each band down to the next, one to as many as the stage has screens,
  // never straight above another, chosen before the rooms so that the rooms leave them
  // their corridor.
  void PlanLadders() {
    ladderPlan_.assign(bands_.size() > 0 ? bands_.size() - 1 : 0, {});
    for (size_t b = 0; b < ladderPlan_.size(); ++b) {
      const int count = 1 + random_.Below(stage_.screensX);
      for (int attempt = 0; attempt < 40 && static_cast<int>(ladderPlan_[b].size()) < count; ++attempt) {
        // A one-screen stage climbs in a zigzag by its walls and keeps its middle for rooms.
        int c = 2 + random_.Below(width_ - 4);
        if (stage_.screensX == 1) c = (b + static_cast<size_t>(attempt)) % 2 == 0 ? 2 + random_.Below(3) : width_ - 3 - random_.Below(3);
        bool apart = true;
        if (b > 0) {
          for (int o : ladderPlan_[b - 1]) apart = apart && std::abs(o - c) > 2;
        }
        for (int o : ladderPlan_[b]) apart = apart && std::abs(o - c) > 8;
        if (b == 0) {
          for (int o : dropColumns_) apart = apart && std::abs(o - c) > 2;
        }
        if (apart) ladderPlan_[b].push_back(c);
      }
    }
  }

  const RoomPiece* Pick(const Palette& palette, PieceUse use, int band, int room, std::vector<const RoomPiece*>& wanted) {
    const bool bottom = band + 1 == static_cast<int>(bands_.size());
    const int height = bands_[static_cast<size_t>(band)].floor - bands_[static_cast<size_t>(band)].top + 1;
    RoomPiece fitted;
    auto fits = [&](const RoomPiece& p) {
      return p.use == use && p.Width() <= room && height - 1 >= p.minRoomRows && !(bottom && OpenFloor(p)) &&
             Fit(p, height, &fitted);
    };
    for (const RoomPiece* p : wanted) {
      if (fits(*p)) return p;
    }
    std::vector<const RoomPiece*> pool;
    for (const RoomPiece& p : RoomPieces()) {
      const bool favourite = std::any_of(palette.favourites.begin(), palette.favourites.end(),
                                         [&](const char* name) { return std::string(name) == p.name; });
      if (palette.lessonOnly ? !favourite && !PlainRoom(p.name) : (p.themes & palette.themes) == 0) continue;
      if (!fits(p)) continue;
      const int weight = favourite ? 6 : 2;
      for (int i = 0; i < weight; ++i) pool.push_back(&p);
    }
    if (pool.empty()) return nullptr;
    return pool[static_cast<size_t>(random_.Below(static_cast<int>(pool.size())))];
  }

  // A band from wall to wall: rooms joined by corridors of their own lengths, and now and
  // then a side room at one end.
  void Compose(int band, const Palette& palette, std::vector<const RoomPiece*>& wanted) {
    const Band& b = bands_[static_cast<size_t>(band)];
    int first = 1, last = width_ - 2;
    const int height = b.floor - b.top + 1;
    auto stamp = [&](const RoomPiece& piece, int at) {
      RoomPiece fitted;
      Fit(piece, height, &fitted);
      Stamp(fitted, at, b.top);
      piecesUsed.push_back(piece.name);
      const auto it = std::find_if(wanted.begin(), wanted.end(), [&](const RoomPiece* w) { return std::string(w->name) == piece.name; });
      if (it != wanted.end()) wanted.erase(it);
    };
    // Side rooms close an end of the band; both ends stay open for a one-screen stage's
    // single band sometimes, so that the corridors keep room for the doors.
    const bool passageWanted = std::any_of(wanted.begin(), wanted.end(), [](const RoomPiece* p) { return p->use == PieceUse::kPassage; });
    for (int side = 0; side < 2; ++side) {
      if (random_.Below(3) == 0 && wanted.empty()) continue;
      // A one-screen band keeps room for a wanted passage, and has one side room at most.
      if (stage_.screensX == 1 && (first > 1 || (passageWanted && random_.Below(2) == 0))) break;
      const RoomPiece* p = Pick(palette, PieceUse::kSideRoom, band, last - first - 8, wanted);
      if (p == nullptr) continue;
      if (side == 0) {
        if (Reserved(band, first, first + p->Width())) continue;
        stamp(Mirrored(*p), first);
        first += p->Width();
      } else {
        if (Reserved(band, last - p->Width() + 1, last)) continue;
        stamp(*p, last - p->Width() + 1);
        last -= p->Width();
      }
    }
    // A wanted room goes in first, where no ladder stands, and the corridors fill around it.
    for (const RoomPiece* w : wanted) {
      if (w->use != PieceUse::kPassage) continue;
      const RoomPiece* p = Pick(palette, PieceUse::kPassage, band, last - first - 3, wanted);
      if (p == nullptr || p != w) break;
      std::vector<int> places;
      for (int c = first + 2; c + p->Width() - 1 <= last - 2; ++c) {
        if (!Reserved(band, c, c + p->Width() - 1)) places.push_back(c);
      }
      if (places.empty()) break;
      const int c = places[static_cast<size_t>(random_.Below(static_cast<int>(places.size())))];
      stamp(random_.Below(2) == 0 ? *p : Mirrored(*p), c);
      Fill(band, palette, wanted, first, c - 1, stamp);
      Fill(band, palette, wanted, c + p->Width(), last, stamp);
      return;
    }
    Fill(band, palette, wanted, first, last, stamp);
  }

  template <typename StampFn>
  void Fill(int band, const Palette& palette, std::vector<const RoomPiece*>& wanted, int first, int last, StampFn& stamp) {
    int at = first;
    while (at <= last) {
      const int corridor = 2 + random_.Below(5);
      for (int c = at; c < at + corridor && c <= last; ++c) open_[static_cast<size_t>(band)][static_cast<size_t>(c)] = true;
      at += corridor;
      if (at > last) break;
      // The room up to the next ladder's corridor or the end of the range.
      int room = 0;
      while (at + room <= last - 1 && !Reserved(band, at, at + room)) ++room;
      const RoomPiece* p = Pick(palette, PieceUse::kPassage, band, room, wanted);
      if (p == nullptr) continue;
      stamp(random_.Below(2) == 0 ? *p : Mirrored(*p), at);
      at += p->Width();
    }
  }

  void Stamp(const RoomPiece& piece, int left, int top) {
    for (int r = 0; r < piece.Height(); ++r) {
      for (int c = 0; c < piece.Width(); ++c) {
        const char ch = piece.rows[static_cast<size_t>(r)][static_cast<size_t>(c)];
        const int column = left + c, row = top + r;
        const int code = CodeOf(ch);
        if (code >= 0) {
          Set(column, row, code);
        } else if (ch != '.') {
          slots_.push_back({ch, column, row});
        }
      }
    }
  }

  // The tile of a piece character; -1 for the slots filled later.
  int CodeOf(char ch) {
    switch (ch) {
      case '.': return 0;
      case '#': return kBlock + skin_;
      case '=': return 30 + skin_;
      case 'H': return kLadder;
      case 'h': ++hideouts_; return kHidingPlace;
      case 'S': return 21;
      case 'v': return 22;
      case '>': return 23;
      case '<': return 24;
      case 'c': return 59;
      case 'C': return 60;
      case 'p': return 61;
      case 'P': return 62;
      case 'K': return 58;
      case 'k': return 177;
      case 'T': return 66 + shutter_;
      case 't': return 181 + shutter_;
      case '(': return 75;
      case ')': return 76;
      case 'E': return 77;
      case 'V': return 79;
      case 'Q': return 80;
      case 'R': return 81;
      case 'G': return 82;
      case 'B': return 90;
      case 'b': return 89;
      case 'f': return 92;
      case 'n': return 91;
      case 'J': return 83 + Variant('J', 3);
      case '{': return 86;
      case '-': return 87;
      case '}': return 88;
      case 'x': return 47 + Variant('x', 9);
      case 'X': return 35 + Variant('X', 3);
      case 'I': return 41 + Variant('I', 3);
      case 'L': return 44 + Variant('L', 3);
      case '3': return 38 + Variant('3', 3);
      case 'F': return 56 + Variant('F', 2);
      case 'm': return 11;
      case 'o': return 10;
      case 'd': return 100 + Variant('d', 21);
      default: return -1;
    }
  }

  // The skins of blocks and decoration take turns from stage to stage, so that each is seen.
  int Variant(char kind, int count) { return (stageNumber_ + uses_[static_cast<unsigned char>(kind) % 128]++) % count; }

  bool Open(int band, int c) const {
    return c > 0 && c < width_ - 1 && open_[static_cast<size_t>(band)][static_cast<size_t>(c)];
  }
  void Close(int band, int c) { open_[static_cast<size_t>(band)][static_cast<size_t>(c)] = false; }

  bool Ladders() {
    for (size_t b = 0; b < ladderPlan_.size(); ++b) {
      if (ladderPlan_[b].empty()) return false;
      for (int c : ladderPlan_[b]) {
        if (!Open(static_cast<int>(b), c) || !Open(static_cast<int>(b + 1), c)) return false;
        for (int r = bands_[b].floor; r < bands_[b + 1].floor; ++r) Set(c, r, kLadder);
        Close(static_cast<int>(b), c);
        Close(static_cast<int>(b + 1), c);
      }
    }
    return true;
  }

  // An open corridor cell of a band within [first, last] with its neighbours open too.
  int PickOpen(int band, int first, int last, int margin = 1) {
    first = std::max(first, 2);
    last = std::min(last, width_ - 3);
    if (last < first) return -1;
    const int span = last - first + 1;
    const int offset = random_.Below(span);
    for (int i = 0; i < span; ++i) {
      const int c = first + (offset + i) % span;
      bool ok = true;
      for (int d = -margin; d <= margin; ++d) ok = ok && Open(band, c + d);
      for (int o : dropColumns_) ok = ok && std::abs(o - c) > 1;
      if (ok) return c;
    }
    return -1;
  }

  // Start, doors, goal and targets: the start and the ways out on different floors and
  // screens, as far apart as the corridors allow.
  bool Place(const std::vector<StageDoor>& doors, int startCode, int targets) {
    const int bands = static_cast<int>(bands_.size());
    entries_.clear();
    const int startBand = random_.Below(bands);
    const int startScreen = random_.Below(stage_.screensX);
    int c = PickOpen(startBand, startScreen * kScreenColumns + 1, startScreen * kScreenColumns + kScreenColumns - 2);
    if (c < 0) c = PickOpen(startBand, 1, width_ - 2);
    if (c < 0) return false;
    Set(c, bands_[static_cast<size_t>(startBand)].Feet(), startCode);
    Close(startBand, c);
    entries_.push_back({startBand, c});
    const int farScreen = stage_.screensX - 1 - startScreen;
    auto wayOut = [&](int i, int* band, int* column) {
      for (int tries = 0; tries < 4 * bands; ++tries) {
        int b = (startBand + 1 + i + tries) % bands;
        if (b == startBand && bands > 1) continue;
        int screen = (farScreen + i) % stage_.screensX;
        if (tries >= 2 * bands) screen = random_.Below(stage_.screensX);
        const int first = screen * kScreenColumns + 1, last = first + kScreenColumns - 3;
        const int col = PickOpen(b, first, last);
        if (col < 0) continue;
        bool apart = true;
        for (const auto& e : entries_) apart = apart && (e.first != b || std::abs(e.second - col) > 8);
        if (!apart && tries < 3 * bands) continue;
        *band = b;
        *column = col;
        return true;
      }
      return false;
    };
    for (size_t i = 0; i < doors.size(); ++i) {
      int b = 0, col = 0;
      if (!wayOut(static_cast<int>(i), &b, &col)) return false;
      Set(col, bands_[static_cast<size_t>(b)].Feet() - 1, doors[i].code);
      Close(b, col);
      entries_.push_back({b, col});
    }
    if (stage_.hasGoal) {
      int b = 0, col = 0;
      if (!wayOut(static_cast<int>(doors.size()), &b, &col)) return false;
      Set(col, bands_[static_cast<size_t>(b)].Feet(), goalCode_);
      Close(b, col);
      Close(b, col + 1);
      entries_.push_back({b, col});
    }
    // Every stage has somewhere to hide.
    for (int b = bands - 1; b >= 0 && hideouts_ == 0; --b) {
      const int col = PickOpen(b, 1, width_ - 2);
      if (col < 0) continue;
      Set(col, bands_[static_cast<size_t>(b)].Feet() - 1, kHidingPlace);
      Close(b, col);
      ++hideouts_;
    }
    if (hideouts_ == 0) return false;
    for (int prop : props_) {
      const int b = random_.Below(bands);
      const int col = PickOpen(b, 1, width_ - 2);
      if (col < 0) return false;
      Set(col, bands_[static_cast<size_t>(b)].Feet() - 1, prop);
      Close(b, col);
    }
    // Every target stands, or the goal that waits for them would never open.
    for (int i = 0; i < targets; ++i) {
      int b = random_.Below(bands), col = -1;
      for (int tries = 0; tries < 2 * bands && col < 0; ++tries) {
        b = (b + 1) % bands;
        col = PickOpen(b, 1, width_ - 2, tries < bands ? 1 : 0);
      }
      if (col < 0) return false;
      Set(col, bands_[static_cast<size_t>(b)].Feet() - 1, kTarget);
      Close(b, col);
    }
    return true;
  }

  // ---- What the rooms hold ----

  void Slots(const Palette& palette, int stageNumber) {
    int reward = stageNumber * 5;
    for (const Slot& s : slots_) {
      switch (s.kind) {
        case 'i': Set(s.column, s.row, palette.items[static_cast<size_t>(random_.Below(static_cast<int>(palette.items.size())))]); break;
        case '$': Set(s.column, s.row, Rewards()[static_cast<size_t>(reward++) % Rewards().size()]); break;
        case 'e': PlaceEnemy(palette.floorEnemies, s.column, s.row); break;
        case 'g': PlaceEnemy({Enemy::kSoldier}, s.column, s.row, true); break;
        case 'u': PlaceMachine(palette.ceilingMachines, s.column, s.row); break;
        case 'w': PlaceMachine(palette.floorMachines, s.column, s.row); break;
        default: break;
      }
    }
    slots_.clear();
  }

  // A terminal stands beside the machines it switches off: where its room's own machine could
  // not hang, a camera goes up near it; with no place for one, the terminal goes.
  void Terminals() {
    for (int r = 0; r < height_; ++r) {
      for (int c = 0; c < width_; ++c) {
        if (Cell(c, r) != 11 || MachineNear(c, r)) continue;
        const auto band = std::find_if(bands_.begin(), bands_.end(), [&](const Band& b) { return r >= b.top && r < b.floor; });
        bool placed = false;
        for (int d = 1; d <= 8 && !placed && band != bands_.end(); ++d) {
          for (int x : {c + d, c - d}) {
            if (x < 1 || x > width_ - 2 || Cell(x, band->top) != 0 || Cell(x, band->top + 1) != 0) continue;
            if (PlaceMachine({Enemy::kCamera, Enemy::kSweepingCamera}, x, band->top)) {
              placed = true;
              break;
            }
          }
        }
        if (!placed) Set(c, r, 0);
      }
    }
  }

  bool MachineNear(int column, int row) const {
    const int first = column / kScreenColumns * kScreenColumns;
    for (int r = std::max(0, row - 10); r <= std::min(height_ - 1, row + 10); ++r) {
      for (int c = first; c < first + kScreenColumns; ++c) {
        const int code = Cell(c, r);
        if (code < kFirstEnemyTile || code >= kFirstEnemyTile + records_) continue;
        const int kind = static_cast<uint8_t>(record_[static_cast<size_t>(kEnemyRecords + 10 * (code - kFirstEnemyTile))]);
        if (kind >= 3 && kind <= 11) return true;
      }
    }
    return false;
  }

  // Guards, creatures and machines in the corridors up to the palette's number, and things
  // on the floors.
  void Corridors(const Palette& palette) {
    const int wanted = std::min(kMaxEnemyRecords, stage_.screensX * stage_.screensY * palette.density / 10);
    const int bands = static_cast<int>(bands_.size());
    for (int i = 0; i < wanted * 4 && records_ < wanted; ++i) {
      const int b = random_.Below(bands);
      const int c = PickOpen(b, 1, width_ - 2, 0);
      if (c < 0) continue;
      const bool besideEntry = std::any_of(entries_.begin(), entries_.end(), [&](const std::pair<int, int>& e) {
        return e.first == b && std::abs(c - e.second) < 6;
      });
      if (besideEntry) continue;
      const Band& band = bands_[static_cast<size_t>(b)];
      const int roll = random_.Below(10);
      bool placed = false;
      if (roll < 6) {
        placed = PlaceEnemy(palette.floorEnemies, c, band.Feet(), random_.Below(6) == 0);
      } else if (roll < 9) {
        placed = PlaceMachine(palette.ceilingMachines, c, band.top);
      } else {
        placed = PlaceMachine(palette.floorMachines, c, band.Feet());
      }
      if (placed) Close(b, c);
    }
    // Something on the floors of the corridors to tell one from another.
    for (int screen = 0; screen < stage_.screensX; ++screen) {
      const int b = random_.Below(bands);
      const int c = PickOpen(b, screen * kScreenColumns + 1, screen * kScreenColumns + kScreenColumns - 2, 0);
      if (c < 0) continue;
      Set(c, bands_[static_cast<size_t>(b)].Feet(), 100 + Variant('d', 21));
      Close(b, c);
    }
  }

  bool PlaceEnemy(const std::vector<Enemy>& kinds, int c, int row, bool standing = false) {
    if (records_ >= kMaxEnemyRecords || kinds.empty() || Cell(c, row) != 0) return false;
    const Enemy kind = kinds[static_cast<size_t>(random_.Below(static_cast<int>(kinds.size())))];
    uint8_t e[10] = {};
    e[3] = static_cast<uint8_t>(random_.Below(2));
    switch (kind) {
      case Enemy::kSoldier:
      case Enemy::kReinforcedSoldier: {
        e[0] = kind == Enemy::kSoldier ? 1 : 2;
        // Initial: stand, look, walk, walk and climb, sleep, smoke, music; after an alert
        // look, walk or walk and climb.
        e[6] = static_cast<uint8_t>(standing ? 0 : 1 + random_.Below(6));
        e[7] = static_cast<uint8_t>(1 + random_.Below(3));
        // What it does on sight is what it can: the rifle fires with attack 0; attack 1
        // fires a weapon of its own only when it carries one; some cower.
        if (random_.Below(10) < armed_) {
          e[2] = static_cast<uint8_t>(1 + random_.Below(3));
          e[8] = 1;
        } else {
          e[8] = random_.Below(8) == 0 ? 2 : 0;
        }
        // Searching: look about, walk, walk and climb, or snipe.
        e[9] = static_cast<uint8_t>(random_.Below(4));
        break;
      }
      case Enemy::kBombSoldier: e[0] = 12; break;
      case Enemy::kFlower: e[0] = 13; break;
      case Enemy::kSlime: e[0] = 17; break;
      case Enemy::kFairy: e[0] = 18; break;
      default: return PlaceMachine({kind}, c, row);
    }
    return Commit(e, c, row);
  }

  bool Commit(const uint8_t* e, int c, int row) {
    for (int i = 0; i < 10; ++i) record_[static_cast<size_t>(kEnemyRecords + records_ * 10 + i)] = static_cast<char>(e[i]);
    Set(c, row, kFirstEnemyTile + records_);
    ++records_;
    return true;
  }

  // A machine only where its beam or its shots reach a player standing in the room: the
  // angle is chosen among those that do.
  bool PlaceMachine(const std::vector<Enemy>& kinds, int c, int row) {
    if (records_ >= kMaxEnemyRecords || kinds.empty() || Cell(c, row) != 0) return false;
    const Enemy kind = kinds[static_cast<size_t>(random_.Below(static_cast<int>(kinds.size())))];
    if (IsInfantry(kind) || kind == Enemy::kBombSoldier || kind == Enemy::kFlower || kind == Enemy::kSlime ||
        kind == Enemy::kFairy) {
      return PlaceEnemy({kind}, c, row);
    }
    uint8_t e[10] = {};
    const int facing = random_.Below(2);
    e[3] = static_cast<uint8_t>(facing);
    std::vector<int> angles;
    switch (kind) {
      case Enemy::kCamera:
      case Enemy::kGunCamera:
      case Enemy::kLaser: {
        e[0] = kind == Enemy::kCamera ? 3 : kind == Enemy::kGunCamera ? 5 : 14;
        // Some beams never switch off.
        e[5] = static_cast<uint8_t>(random_.Below(4) == 0 ? 0 : 80 + random_.Below(120));
        const bool onFloor = Cell(c, row + 1) != 0;
        if (onFloor) {
          angles = {0, 180, 3, 177, 6, 174};
        } else {
          for (int a = 35; a <= 145; a += 5) angles.push_back(a);
        }
        break;
      }
      case Enemy::kSweepingCamera:
      case Enemy::kSweepingGunCamera:
        e[0] = kind == Enemy::kSweepingCamera ? 4 : 6;
        e[5] = static_cast<uint8_t>(random_.Below(3) == 0 ? 0 : 150 + random_.Below(100));
        angles = {40 + random_.Below(100)};
        break;
      case Enemy::kDrone:
      case Enemy::kGunDrone:
        e[0] = kind == Enemy::kDrone ? 7 : 9;
        e[4] = static_cast<uint8_t>(80 + random_.Below(100));
        e[5] = static_cast<uint8_t>(random_.Below(2));
        break;
      case Enemy::kVerticalDrone:
      case Enemy::kVerticalGunDrone:
        e[0] = kind == Enemy::kVerticalDrone ? 8 : 10;
        e[4] = 40;
        e[5] = 0;  // down first, away from the ceiling it hangs under
        break;
      case Enemy::kTurret:
        e[0] = 11;
        e[4] = static_cast<uint8_t>(90 + random_.Below(90));  // frames it keeps a direction
        break;
      case Enemy::kDischargeUp:
      case Enemy::kDischargeDown:
        e[0] = kind == Enemy::kDischargeUp ? 15 : 16;
        e[4] = static_cast<uint8_t>(random_.Below(2));
        e[5] = static_cast<uint8_t>(60 + random_.Below(60));
        return Commit(e, c, row);
      default: return false;
    }
    // A machine that shoots along a floor keeps off the floors where the player comes in: a
    // player arriving there would be under fire before taking a step.
    const bool shootsAlongFloor = e[0] == 11 || (e[0] == 5 && Cell(c, row + 1) != 0);
    if (shootsAlongFloor && FacesAnEntry(c, row)) return false;
    if (angles.empty()) angles.push_back(0);
    const int first = random_.Below(static_cast<int>(angles.size()));
    for (size_t i = 0; i < angles.size(); ++i) {
      const int angle = angles[(static_cast<size_t>(first) + i) % angles.size()];
      if (e[0] == 3 || e[0] == 5 || e[0] == 14 || e[0] == 4 || e[0] == 6) e[4] = static_cast<uint8_t>(angle);
      Commit(e, c, row);
      if (MachineReachesStandingPlayer(record_, c, row)) return true;
      --records_;
      Set(c, row, 0);
    }
    return false;
  }

  // Whether a way in (the start or a door) stands on the floor of `row` within a screen's
  // width of column `c`.
  bool FacesAnEntry(int c, int row) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const std::pair<int, int>& e) {
      return bands_[static_cast<size_t>(e.first)].Feet() == row && std::abs(e.second - c) < kScreenColumns;
    });
  }

  // Lamps under the ceilings; a dark stage has fewer, and the player can keep to the shadow.
  void Lights(const Palette& palette) {
    int lights = 0;
    for (size_t b = 0; b < bands_.size(); ++b) {
      for (int screen = 0; screen < stage_.screensX; ++screen) {
        if (!palette.lightsOn && (static_cast<int>(b) + screen) % 2 == 1) continue;
        if (lights >= kMaxLights - 2) return;
        const int first = screen * kScreenColumns + 3;
        for (int attempt = 0; attempt < 10; ++attempt) {
          const int c = first + random_.Below(kScreenColumns - 6);
          const int row = bands_[b].top;
          if (Cell(c, row) != 0 || Cell(c, row + 1) != 0) continue;
          Set(c, row, palette.lightsOn && random_.Below(3) == 0 ? kLamp + 1 : kLamp);
          ++lights;
          break;
        }
      }
    }
  }

  // ---- Checks ----

  // Every way out reachable from every way in, past the always-watching enemies, by the
  // rules of the map's objects (spikes, electric blocks, floors that give way, shutters and
  // their keys); the goal or a door never reached in one straight walk from the start; every
  // key reachable before its shutter.
  bool Playable(const StageNeeds& needs) {
    const std::string watched = stage_route::BlockWatchedCells(record_);
    const stage_route::StageMap map(reinterpret_cast<const uint8_t*>(watched.data()), character_);
    stage_route::MoveGraph graph(map, kMaxRouteSpots);
    std::vector<std::pair<stage_route::Spot, int>> ways;
    const std::optional<stage_route::Spot> start = stage_route::StartSpot(map);
    if (!start) return Fail("no start");
    ways.push_back({*start, 0});
    for (const Landing& l : needs.landings) {
      const std::optional<stage_route::Spot> spot = stage_route::LandingSpot(map, l.x, l.y);
      if (!spot || spot->column != l.x / kCellSize) return Fail("landing");
      ways.push_back({*spot, 0});
    }
    const std::vector<int> doors = stage_route::DoorCodes(map);
    for (int door : doors) {
      const std::optional<stage_route::Spot> spot = stage_route::EntrySpot(map, door);
      if (!spot) return Fail("door without floor");
      ways.push_back({*spot, door});
    }
    std::vector<stage_route::Target> exits;
    for (int door : doors) exits.push_back(stage_route::Target::Door(door));
    if (stage_.hasGoal) exits.push_back(stage_route::Target::Goal());
    const stage_route::StageMap plain(reinterpret_cast<const uint8_t*>(record_.data()), character_);
    for (const stage_route::Target& exit : exits) {
      if (stage_route::ReachableInStraightWalk(plain, exit)) return Fail("one walk");
    }
    std::optional<stage_route::Routes> fromStart;  // the first way in
    for (const auto& [from, entryDoor] : ways) {
      const stage_route::Routes routes(graph, from);
      for (const stage_route::Target& exit : exits) {
        if (!routes.Reaches(exit)) {
          return Fail("no route from " + std::to_string(from.column) + "," + std::to_string(from.row) + " to " +
                      std::to_string(exit.door));
        }
      }
      if (!fromStart) fromStart.emplace(routes);
    }
    // The keys lie where the player can reach them from the start: a key behind its shutter
    // is the one for the way back, the shutter being opened from the other side.
    for (int r = 0; r < height_; ++r) {
      for (int c = 0; c < width_; ++c) {
        const int code = Cell(c, r);
        if (code != 177 && (code < 181 || code > 189)) continue;
        if (!fromStart->Visits(stage_route::Spot{c, r})) return Fail("key out of reach");
      }
    }
    return !graph.Exceeded() || Fail("too many ways to search");
  }

  // ---- The mechanisms on the story's road ----

  // Lays what the stage must show on the story's road into the floors the road walks along:
  // a pipe over a pit of spikes, a shutter with a key on each side, a conveyor, crumbling
  // blocks, a pitfall, a breakable block, a terminal with a camera over it. The road is
  // planned again with them in the checks.
  bool OnTheRoad(const StageNeeds& needs) {
    if (needs.roadMechanics == 0 || needs.roadTo == 0) return true;
    const stage_route::StageMap map(reinterpret_cast<const uint8_t*>(record_.data()), character_);
    const std::optional<stage_route::Spot> entry = RoadEntry(map, needs);
    if (!entry) return false;
    stage_route::MoveGraph graph(map, kMaxRouteSpots);
    const std::vector<stage_route::Move> plan = stage_route::Routes(graph, *entry).PlanTo(stage_route::Target::Door(needs.roadTo));
    if (plan.empty()) return false;
    // The stretches of floor the road walks along, between the spots it stops at.
    struct Stretch {
      int band, first, last;  // the columns strictly between the two spots
    };
    std::vector<Stretch> stretches;
    stage_route::Spot at = *entry;
    for (const stage_route::Move& m : plan) {
      if (m.kind == stage_route::MoveKind::kWalk && m.to.row == at.row) {
        const auto band = std::find_if(bands_.begin(), bands_.end(), [&](const Band& b) { return b.Feet() == at.row; });
        if (band != bands_.end()) {
          stretches.push_back({static_cast<int>(band - bands_.begin()), std::min(at.column, m.to.column) + 1,
                               std::max(at.column, m.to.column) - 1});
        }
      }
      at = m.to;
    }
    std::vector<bool> used(static_cast<size_t>(width_ * static_cast<int>(bands_.size())), false);
    // A column of a band with nothing in its room and a plain block under it.
    const auto plain = [&](int band, int c) {
      const Band& b = bands_[static_cast<size_t>(band)];
      if (c < 1 || c > width_ - 2 || used[static_cast<size_t>(band * width_ + c)]) return false;
      if (std::find(dropColumns_.begin(), dropColumns_.end(), c) != dropColumns_.end()) return false;
      for (int r = b.top; r <= b.Feet(); ++r) {
        if (Cell(c, r) != 0) return false;
      }
      const int floor = Cell(c, b.floor);
      return floor >= kBlock && floor <= kBlock + 4;
    };
    // Lays one mechanism of `width` columns somewhere along the road; false when none fits.
    const auto lay = [&](int width, int minRoom, int maxRoom, const std::function<bool(const Band&, int)>& build) {
      for (const Stretch& s : stretches) {
        const Band& b = bands_[static_cast<size_t>(s.band)];
        const int room = b.floor - b.top;
        if (room < minRoom || room > maxRoom) continue;
        for (int a = s.first; a + width - 1 <= s.last; ++a) {
          bool free = true;
          for (int c = a; c < a + width && free; ++c) free = plain(s.band, c);
          if (!free || !build(b, a)) continue;
          for (int c = a - 1; c <= a + width; ++c) {
            if (c >= 0 && c < width_) {
              used[static_cast<size_t>(s.band * width_ + c)] = true;
              Close(s.band, c);
            }
          }
          return true;
        }
      }
      return false;
    };
    const uint32_t want = needs.roadMechanics;
    using namespace stage_route;
    // The pipe over six spikes, too wide to jump, wants a band of four or five rows of room:
    // low enough for a jump to reach it from the floor.
    if ((want & kMetPipe) != 0 && !lay(8, 4, 5, [&](const Band& b, int a) {
          Set(a, b.top, 86);
          for (int c = a + 1; c <= a + 6; ++c) {
            Set(c, b.top, 87);
            Set(c, b.floor, 21);
          }
          Set(a + 7, b.top, 88);
          return true;
        })) {
      return false;
    }
    if ((want & kMetShutter) != 0 && !lay(5, 3, 5, [&](const Band& b, int a) {
          Set(a, b.Feet(), 177);
          Set(a + 4, b.Feet(), 177);
          for (int r = b.top; r < b.Feet() - 1; ++r) Set(a + 2, r, kBlock + skin_);
          Set(a + 2, b.Feet() - 1, 58);
          return true;
        })) {
      return false;
    }
    if ((want & kMetConveyor) != 0 && !lay(2, 3, 5, [&](const Band& b, int a) {
          Set(a, b.floor, random_.Below(2) == 0 ? 75 : 76);
          Set(a + 1, b.floor, 0);
          return true;
        })) {
      return false;
    }
    if ((want & kMetCrumbling) != 0 && !lay(3, 3, 5, [&](const Band& b, int a) {
          for (int c = a; c < a + 3; ++c) Set(c, b.floor, 59);
          return true;
        })) {
      return false;
    }
    if ((want & kMetPitfall) != 0 && !lay(2, 3, 5, [&](const Band& b, int a) {
          Set(a, b.floor, 61);
          Set(a + 1, b.floor, 0);
          return true;
        })) {
      return false;
    }
    if ((want & kMetBreakable) != 0 && !lay(1, 3, 5, [&](const Band& b, int a) {
          Set(a, b.Feet(), 89);
          return true;
        })) {
      return false;
    }
    // The terminal, and a camera over the road on its screen that it switches off.
    if ((want & kMetTerminal) != 0 && !lay(1, 3, 5, [&](const Band& b, int a) {
          const int screen = a / kScreenColumns;
          for (int d = 1; d <= 6; ++d) {
            for (int x : {a + d, a - d}) {
              if (x < 1 || x > width_ - 2 || x / kScreenColumns != screen) continue;
              if (Cell(x, b.top) != 0 || Cell(x, b.top + 1) != 0) continue;
              if (PlaceMachine({Enemy::kCamera, Enemy::kSweepingCamera}, x, b.top)) {
                Set(a, b.Feet(), 11);
                return true;
              }
            }
          }
          return false;
        })) {
      return false;
    }
    return true;
  }

  bool Fail(const std::string& why) {
    why_ = why;
    return false;
  }

  // Standing guards turn to looking about and unblinking beams start to blink; false when
  // there was none.
  bool Soften() {
    bool changed = false;
    for (int i = 0; i < records_; ++i) {
      char* e = &record_[static_cast<size_t>(kEnemyRecords + i * 10)];
      const int kind = static_cast<uint8_t>(e[0]);
      if ((kind == 1 || kind == 2) && e[6] == 0) {
        e[6] = 1;
        changed = true;
      }
      if ((kind == 3 || kind == 5 || kind == 14) && e[5] == 0) {
        e[5] = 100;
        changed = true;
      }
    }
    return changed;
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

  char& Byte(int offset) { return record_[static_cast<size_t>(offset)]; }
  int Cell(int column, int row) const {
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return 0;
    return static_cast<uint8_t>(record_[static_cast<size_t>(row * kColumns + column)]);
  }
  void Set(int column, int row, int code) { record_[static_cast<size_t>(row * kColumns + column)] = static_cast<char>(code); }

 public:
  void SetProps(std::vector<int> props) { props_ = std::move(props); }
  void SetLook(int skin, int shutter, int armed, int goalCode, int character) {
    character_ = character;
    skin_ = skin;
    shutter_ = shutter;
    armed_ = armed;
    goalCode_ = goalCode;
  }

 private:
  struct Slot {
    char kind;
    int column, row;
  };

  const StageInfo& stage_;
  Random random_;
  std::string record_;
  int width_ = 0;
  int height_ = 0;
  int skin_ = 0;
  int character_ = 0;  // 0, 1 or 2: the second never picks up item 187
  int stageNumber_ = 0;
  int uses_[128] = {};
  int shutter_ = 0;
  int armed_ = 0;
  int goalCode_ = kGoal;
  int records_ = 0;
  int hideouts_ = 0;
  std::vector<Band> bands_;
  std::vector<std::vector<bool>> open_;  // [band][column]: a corridor cell, free for what comes
  std::vector<int> dropColumns_;
  std::vector<std::vector<int>> ladderPlan_;  // [band]: columns of the ladders down to the next band
  std::vector<Slot> slots_;
  std::vector<int> props_;
  std::string why_;
  std::vector<std::pair<int, int>> entries_;  // (band, column) of the start, the doors and the goal
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

int StoryRoads::StagesToEnding(int area, int subStage) {
  using Stage = std::pair<int, int>;
  const Stage from{area, subStage};
  if (const auto it = memo_.find(from); it != memo_.end()) return it->second;
  // Breadth first along the doors and the map nodes' branches.
  std::map<Stage, int> depth{{from, 1}};
  std::vector<Stage> queue{from};
  int found = kNever;
  for (size_t i = 0; i < queue.size() && found == kNever; ++i) {
    const Stage st = queue[i];
    if (st == ending_) found = depth[st];
    for (const StageDoor& d : DoorsOf(st.first, st.second)) {
      for (const RouteBranch& b : BranchesOf(d.nodeArea, d.nodeIndex)) {
        if (depth.emplace(Stage{b.area, b.subStage}, depth[st] + 1).second) queue.push_back({b.area, b.subStage});
      }
    }
  }
  return memo_[from] = found;
}

bool StoryRoads::BestBranch(int nodeArea, int nodeIndex, RouteBranch* best) {
  int count = kNever;
  for (const RouteBranch& b : BranchesOf(nodeArea, nodeIndex)) {
    const int n = StagesToEnding(b.area, b.subStage);
    if (n < count) *best = b, count = n;
  }
  return count != kNever;
}

bool StoryRoads::BestExit(int area, int subStage, StageDoor* best) {
  if (std::pair<int, int>{area, subStage} == ending_) return false;
  int count = kNever;
  for (const StageDoor& d : DoorsOf(area, subStage)) {
    RouteBranch b;
    const int n = BestBranch(d.nodeArea, d.nodeIndex, &b) ? StagesToEnding(b.area, b.subStage) : kNever;
    if (n < count) *best = d, count = n;
  }
  return count != kNever;
}

std::vector<RoadStage> ShortestStoryRoad(StageFamily family) {
  if (family != StageFamily::kFirstStory && family != StageFamily::kSecondStory) return {};
  const int character = family == StageFamily::kFirstStory ? kStoryFirstCharacter : kStorySecondCharacter;
  std::pair<int, int> ending{7, 7};
  for (const StoryTableEntry& e : StoryTableEntries()) {
    if (e.scene && (e.number == 15 || e.number == 16) && (e.characters & character) != 0) ending = {e.area, e.subStage};
  }
  StoryRoads roads(ending.first, ending.second);
  std::vector<RoadStage> road;
  RoadStage at;
  for (int guard = 0; guard < 64; ++guard) {
    if (std::pair<int, int>{at.area, at.subStage} == ending) {
      road.push_back(at);
      break;
    }
    StageDoor exit;
    RouteBranch next;
    if (!roads.BestExit(at.area, at.subStage, &exit) || !roads.BestBranch(exit.nodeArea, exit.nodeIndex, &next)) break;
    at.exitDoor = exit.code;
    road.push_back(at);
    at = RoadStage{next.area, next.subStage, Plan().table[exit.nodeArea][exit.nodeIndex][next.doorByte], 0};
  }
  return road;
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

// The character the route check plays a family's stages with (StageMap's `character`).
int RouteCharacter(StageFamily family) {
  return family == StageFamily::kSecondStory ? 1 : family == StageFamily::kThirdStory ? 2 : 0;
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
  // A new player meets the ship's mechanisms on the first character's road through the first
  // two areas, two a stage in turn.
  if (stage.family == StageFamily::kFirstStory && stage.area < 2) {
    using namespace stage_route;
    static constexpr uint32_t kLessons[] = {
        kMetShutter | kMetCrumbling, kMetTerminal | kMetBreakable, kMetPipe | kMetConveyor, kMetPitfall | kMetTerminal,
        kMetConveyor | kMetBreakable, kMetShutter | kMetBreakable, kMetCrumbling | kMetTerminal, kMetConveyor | kMetPitfall,
    };
    static const std::vector<RoadStage> road = ShortestStoryRoad(StageFamily::kFirstStory);
    size_t lesson = 0;
    for (const RoadStage& r : road) {
      if (r.area >= 2) continue;
      if (r.area == stage.area && r.subStage == stage.index && r.exitDoor != 0) {
        needs.roadFrom = r.entryDoor;
        needs.roadTo = r.exitDoor;
        needs.roadMechanics = kLessons[lesson % std::size(kLessons)];
      }
      ++lesson;
    }
  }
  return needs;
}

uint32_t MechanicsOnRoad(const StageInfo& stage, const std::string& record) {
  return RoadMechanics(record, NeedsOf(stage), RouteCharacter(stage.family));
}

namespace {

// Where a story object stands: the scenes of these stages show it until they have been seen.
std::vector<int> PropsOf(const StageInfo& stage) {
  if (stage.family == StageFamily::kFirstStory) {
    if ((stage.area == 2 && stage.index == 7) || (stage.area == 5 && stage.index == 0)) return {132, 133};
    if (stage.area == 5 && stage.index == 5) return {134, 135};
  }
  if (stage.family == StageFamily::kSecondStory && stage.area == 5 && stage.index == 0) return {134, 135};
  return {};
}

int StageNumber(const StageInfo& stage) {
  const std::vector<StageInfo>& stages = BuiltInStages();
  for (size_t i = 0; i < stages.size(); ++i) {
    if (stages[i].path == stage.path) return static_cast<int>(i);
  }
  return 0;
}

}  // namespace

namespace {

struct MadeStage {
  std::string record;
  std::vector<std::string> rooms;
};

MadeStage MakeStage(const StageInfo& stage);

// Each stage is laid out and proven playable once; the builder and the checks ask again.
const MadeStage& Made(const StageInfo& stage) {
  static std::mutex mutex;
  static std::map<std::string, MadeStage> made;
  {
    const std::lock_guard<std::mutex> lock(mutex);
    const auto it = made.find(stage.path);
    if (it != made.end()) return it->second;
  }
  MadeStage fresh = MakeStage(stage);
  const std::lock_guard<std::mutex> lock(mutex);
  return made.emplace(stage.path, std::move(fresh)).first->second;
}

}  // namespace

std::string StageRecord(const StageInfo& stage) { return Made(stage).record; }

std::vector<std::string> StageRooms(const StageInfo& stage) { return Made(stage).rooms; }

namespace {

MadeStage MakeStage(const StageInfo& stage) {
  uint32_t seed = 2166136261u;
  for (unsigned char c : stage.path) seed = (seed ^ c) * 16777619u;
  Generator generator(stage, seed);
  const StageNeeds needs = NeedsOf(stage);
  const int targets = TargetsOf(stage);
  const int number = StageNumber(stage);
  Palette palette;
  std::vector<StageDoor> doors;
  int startCode = 95;
  bool stealth = false;
  switch (stage.family) {
    case StageFamily::kFirstStory:
    case StageFamily::kSecondStory: {
      const bool first = stage.family == StageFamily::kFirstStory;
      palette = AreaPalette(stage.area, stage.index, first ? 0 : 1);
      doors = DoorsOf(stage.area, stage.index);
      startCode = first ? 95 : 96;
      // The heavily guarded passage of the research section is a stealth stage.
      stealth = stage.area == 5 && stage.index == 2;
      break;
    }
    case StageFamily::kThirdStory:
      // The third character's missions cross the areas with rooms of the next area mixed in.
      palette = AreaPalette(stage.area, stage.index % 3, 2);
      palette.themes |= AreaPalette(std::min(stage.area + 1, 7), 0, 2).themes;
      palette.density += stage.index;
      startCode = 97;
      break;
    case StageFamily::kVr:
      palette = VrPalette(stage.area, stage.index);
      stealth = stage.area == 0;
      break;
  }
  const int character = RouteCharacter(stage.family);
  generator.SetLook(stage.area % 5, number % 9, palette.armed, needs.waitingGoal ? kWaitingGoal : kGoal, character);
  generator.SetProps(PropsOf(stage));
  MadeStage made;
  made.record = generator.Build(palette, doors, startCode, targets, stealth, needs, number);
  made.rooms = generator.piecesUsed;
  return made;
}

}  // namespace

bool MachineReachesStandingPlayer(const std::string& record, int column, int row) {
  if (record.size() < static_cast<size_t>(kStageRecordBytes)) return false;
  const int code = static_cast<uint8_t>(record[static_cast<size_t>(row * kColumns + column)]);
  if (code < kFirstEnemyTile || code >= kFirstEnemyTile + kMaxEnemyRecords) return false;
  const uint8_t* e = reinterpret_cast<const uint8_t*>(record.data()) + kEnemyRecords + 10 * (code - kFirstEnemyTile);
  const int kind = e[0], facing = e[3], param1 = e[4], param2 = e[5];
  const stage_route::StageMap map(reinterpret_cast<const uint8_t*>(record.data()));
  const int widthPx = map.WidthPixels(), heightPx = map.HeightPixels();
  // Cells a player can stand in: the body free, a floor under the feet.
  auto standsAt = [&](int c, int r) {
    if (c < 1 || r < 1 || c >= widthPx / kCellSize - 1 || r >= heightPx / kCellSize - 1) return false;
    return !map.SolidOverlaps(c * kCellSize + 5, (r - 1) * kCellSize + 2, c * kCellSize + 35, (r + 1) * kCellSize) &&
           map.SolidOverlaps(c * kCellSize + 10, (r + 1) * kCellSize, c * kCellSize + 30, (r + 1) * kCellSize + 4);
  };
  // The beam marched as the beam test marches it: 10-pixel steps, stopped by solid blocks,
  // 600 pixels at most; does it cross a standing player's box?
  auto beam = [&](double sx, double sy, double degrees) {
    const double a = degrees * 3.141592 / 180.0;
    for (int step = 1; step <= 60; ++step) {
      const double px = sx + std::cos(a) * 10.0 * step, py = sy + std::sin(a) * 10.0 * step;
      if (px < 0 || py < 0 || px >= widthPx || py >= heightPx) return false;
      const int ix = static_cast<int>(px), iy = static_cast<int>(py);
      if (map.SolidOverlaps(ix - 5, iy - 5, ix + 5, iy + 5)) return false;
      const int c = ix / kCellSize;
      if (ix - c * kCellSize < 10 || ix - c * kCellSize > 30) continue;
      for (int r = (iy + 15) / kCellSize - 1; r <= (iy + 61) / kCellSize - 1; ++r) {
        const int y = (r + 1) * kCellSize - 38;
        if (iy >= y - 23 && iy <= y + 23 && standsAt(c, r)) return true;
      }
    }
    return false;
  };
  // A moving machine needs its whole path clear of blocks.
  auto clear = [&](int x, int y) { return !map.SolidOverlaps(x - 20, y - 10, x + 20, y + 20); };
  const int x = column * kCellSize + 20, y = row * kCellSize + 20;
  switch (kind) {
    case 3: case 5: return beam(x, y, param1);
    case 14: return beam(x, y - 15, param1);
    case 4: case 6:
      for (int angle = 30; angle <= 150; angle += 5) {
        if (beam(x, y, angle)) return true;
      }
      return false;
    case 7: case 9: {
      const int direction = facing == 1 ? -1 : 1;
      bool seen = false;
      for (int d = 0; d <= param1; d += 10) {
        if (!clear(x + direction * d, y)) return false;
        seen = seen || beam(x + direction * d, y - 20, 30) || beam(x + direction * d, y - 20, 150);
      }
      return seen;
    }
    case 8: case 10: {
      const int direction = param2 == 1 ? -1 : 1;
      bool seen = false;
      for (int d = 0; d <= param1; d += 10) {
        if (!clear(x, y + direction * d)) return false;
        seen = seen || beam(x, y + direction * d - 20, facing == 1 ? 150 : 30);
      }
      return seen;
    }
    case 11: return beam(x - 47, y - 3, 180) || beam(x + 47, y - 3, 0);
    default: return false;
  }
}

}  // namespace dataset
