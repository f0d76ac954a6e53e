// The stage record (3000 bytes: the tile grid, door destinations, twenty enemy records,
// size, atmosphere, rules, name and equipment counts) and the loader that turns it into a
// running stage.
#pragma once
#include <cstddef>

namespace stage_record {
constexpr int kGrid = 0;
constexpr int kDoorPairs = 2700;
constexpr int kEnemyRecords = 2720;
constexpr int kScreensX = 2920;
constexpr int kScreensY = 2921;
constexpr int kAtmosphere = 2922;
constexpr int kStealth = 2924;
constexpr int kLightsOn = 2925;
constexpr int kReinforcement = 2926;
constexpr int kRule0 = 2927;
constexpr int kRules2To6 = 2928;
constexpr int kName = 2929;
constexpr int kNameBytes = 50;
constexpr int kEquipment = 2980;
}  // namespace stage_record

// Tile codes the loader sorts by.
namespace tile {
constexpr int kLastDoor = 9;
constexpr int kTarget = 20;
constexpr int kStartFirst = 95, kStartLast = 97;
constexpr int kStoryObjectFirst = 130, kStoryObjectLast = 139;
constexpr int kOneTimePickupFirst = 181, kOneTimePickupLast = 186;
constexpr int kStoryPickup = 187, kStoryPickupAlt = 188;
constexpr int kDecorFirst = 190;
constexpr int kEnemyFirst = 201, kEnemyLast = 220;
}  // namespace tile

// The map file of the current mode, character, area and sub-stage ("" in test play).
void StageFilePath(char* out, std::size_t size);
// Loads the current stage: 0, or -1 when its record is missing or shorter than a stage
// record (the pools then hold nothing of it).
int LoadStage(int missionNumber);
// Fills the grid, enemy records, objects, start and stage settings from stageBuffer, as
// LoadStage does after reading the file.
void BuildStageFromBuffer();
