// The third character's mission list (game state 13): the mission's name, stored grade,
// starting equipment and type, and the start or return-to-title buttons.
#pragma once

constexpr int kThirdStoryMissions = 24;

// Phases of the screen (game.screenTimer).
namespace mission_briefing_phase {
constexpr int kChoose = 0;
constexpr int kTitleDialog = 1;
constexpr int kFadeToScene = 2;
constexpr int kStartScene = 3;
constexpr int kSceneRuns = 4;
constexpr int kFadeToStage = 5;
constexpr int kStartStage = 6;
}  // namespace mission_briefing_phase

// The map area a mission of the third story is played in.
int AreaOfMission(int mission);
// True for the missions that begin with a briefing scene.
bool MissionHasBriefingScene(int mission);
const char* MissionName(int mission);
void UpdateMissionBriefing(int pad);
