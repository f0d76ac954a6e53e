// The built-in stage maps: every "bin/..." stage record the stage loader names, generated
// from a few room and corridor pieces, and the door table that the briefing map's route
// reads, so that each door of a stage leads to the map node whose route names that stage.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace dataset {

constexpr int kStageRecordBytes = 3000;

// The four families of stage maps, by the file names the loader builds.
enum class StageFamily {
  kFirstStory,   // "bin/%d-%d": the first character's story, area and sub-stage from 1
  kSecondStory,  // "bin/m_%d-%d": the second character's story, the same stages
  kThirdStory,   // "bin/k_1-%d": the third character's missions 1..24
  kVr,           // "bin/vr_%d-%d": VR category 1..4 and mission from 1
};

struct StageInfo {
  std::string path;
  StageFamily family = StageFamily::kFirstStory;
  int area = 0;   // story area 0..7, or the VR category 0..3 (the third story: the mission's area)
  int index = 0;  // sub-stage, mission − 1, or VR mission, from 0
  int screensX = 1;
  int screensY = 1;
  bool hasGoal = false;  // the stage ends at a goal; story stages end through their doors
};

// A place where a story scene hands the player over to the stage: world pixels, y above the
// stage where the player drops in.
struct Landing {
  int x = 0;
  int y = 0;
};

// What the story asks of a stage's map, whatever its layout: the generator honours it and the
// data-set checks verify it.
struct StageNeeds {
  // Tile codes 15..19 that must lie on the road from every way in to every way out.
  std::vector<int> triggers;
  // Where the player drops in instead of starting at the start tile; the column above it
  // stays open and the drop ends on a floor inside the stage.
  std::vector<Landing> landings;
  // The goal waits (98) until every target is broken, then opens (99).
  bool waitingGoal = false;
  // The story's shortest road to its ending crosses the stage from `roadFrom` (the door the
  // player comes in by; 0: the start, or the landing where there is one) to the door
  // `roadTo`, and shows the player on the way what `roadMechanics` names (stage_route Met
  // bits; a terminal counts with a camera on its screen). 0: no such need.
  int roadFrom = 0;
  int roadTo = 0;
  uint32_t roadMechanics = 0;
};

// A stage of a story's shortest road to its ending, as the briefing map joins the stages:
// the door the player comes in by (0: the story's first stage, from its start or landing)
// and the door it leaves by (0: the ending's own stage).
struct RoadStage {
  int area = 0;
  int subStage = 0;
  int entryDoor = 0;
  int exitDoor = 0;
};
std::vector<RoadStage> ShortestStoryRoad(StageFamily family);

// The story's road through the stage (StageNeeds' roadFrom and roadTo), planned from its way
// in to its door out on the stage's record (enemies ignored), and the Met bits of what it
// meets, a terminal counting only with a camera on its screen; nothing for a stage without
// such a road.
uint32_t MechanicsOnRoad(const StageInfo& stage, const std::string& record);

// Every built-in stage, in a fixed order.
const std::vector<StageInfo>& BuiltInStages();

StageNeeds NeedsOf(const StageInfo& stage);

// The 3000-byte record of a stage; the same bytes on every build.
std::string StageRecord(const StageInfo& stage);

// The designed rooms (tools/dataset/room_designs.h) the stage is built from, by name, in the
// order they were laid.
std::vector<std::string> StageRooms(const StageInfo& stage);

// Whether the machine at a cell of a record (a camera, drone, turret or laser pointer) can
// find a player who stands on a floor: its beam, at some angle or point of its path, reaches
// the player's box before a block stops it. A moving machine also needs its path clear.
bool MachineReachesStandingPlayer(const std::string& record, int column, int row);

// Route nodes of the briefing map: per area, the nodes (doors between stages) with their
// branch type and destination codes d0..d5 (-1 none).
struct RouteNode {
  int branchType = 0;
  int destinations[6] = {-1, -1, -1, -1, -1, -1};
};
const std::vector<std::vector<RouteNode>>& RouteNodes();

// One way out of a route node: the briefing's door-table byte it uses and the stage it starts.
struct RouteBranch {
  int doorByte = 0;  // 0..4
  int area = 0;
  int subStage = 0;
};
std::vector<RouteBranch> BranchesOf(int area, int node);

// A door of a story stage: its tile code and the map node it leads to.
struct StageDoor {
  int code = 0;
  int nodeArea = 0;
  int nodeIndex = 0;
};
std::vector<StageDoor> DoorsOf(int area, int subStage);

// The roads to a story's ending stage along the briefing map: each door of a stage leads to
// a map node, and each branch of a node starts a stage. Of equal roads the first door and
// the first branch win.
class StoryRoads {
 public:
  StoryRoads(int endingArea, int endingSubStage) : ending_{endingArea, endingSubStage} {}

  // Stages still to play from (area, subStage) to the ending, itself included; kNever when
  // the ending cannot be reached.
  static constexpr int kNever = 1 << 20;
  int StagesToEnding(int area, int subStage);
  // The branch of a map node on the shortest road (false: no branch reaches the ending).
  bool BestBranch(int nodeArea, int nodeIndex, RouteBranch* best);
  // The door out of a stage on the shortest road (false at the ending's own stage, or where
  // no road is left).
  bool BestExit(int area, int subStage, StageDoor* best);

 private:
  std::pair<int, int> ending_;
  std::map<std::pair<int, int>, int> memo_;
};

// "bin/Door.tbl": five bytes per map node (5, 8, 7, 10, 6, 6, 5 and 7 per area): the door
// code at which each branch's stage is entered; 0 where no branch uses the byte.
std::string RouteDoorTable();

}  // namespace dataset
