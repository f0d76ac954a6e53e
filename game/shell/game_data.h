// The game's one global object: settings and save images, the game state and the screen
// counters, the graph and sound tables, the start-up tables, the mission-play fields that
// the shell resets, and the seven screen-object slots.
#pragma once
#include <cstdint>

#include "game/editor/editor_records.h"
#include "game/mission/player.h"
#include "game/shell/screen_slot.h"

// The game states; each is dispatched to its handler once per frame.
enum GameStateId : int32_t {
  STATE_BOOT = 0,
  STATE_LOGO = 3,
  STATE_TITLE = 5,
  STATE_NEW_GAME_SETUP = 7,
  STATE_STAGE_LOAD = 8,
  STATE_SAVE_SELECT = 9,
  STATE_STAGE_PLAY = 10,
  STATE_GAME_OVER_MENU = 11,
  STATE_BRIEFING_MAP = 12,
  STATE_MISSION_BRIEFING = 13,
  STATE_STILL_PICTURE = 14,
  STATE_TRIAL_BONUS = 15,
  STATE_EVENT_ONLY = 20,
  STATE_IDLE_21 = 21,
  STATE_OPTIONS = 30,
  STATE_KEY_CONFIG = 31,
  STATE_ENDING_PICTURE = 38,
  STATE_EDIT_SLOT_SELECT = 49,
  STATE_EDITOR = 50,
  STATE_STAGE_PLAY_MODE = 51,
  STATE_EDIT_RETEST = 52,
  STATE_EDIT_LOAD_SLOT = 53,
  STATE_EDIT_RETURN = 54,
  STATE_ENDING_START = 60,
  STATE_UNLOCK_NOTICE = 61,
  STATE_VR_MENU = 70,
  STATE_VR_DATA_RESET = 71,
  STATE_IDLE_90 = 90,
  STATE_FILE_ERROR = 98,
  STATE_VERSION_ERROR = 99,
};

// Game modes.
constexpr uint8_t kModeStory = 0;
constexpr uint8_t kModeEditorTestPlay = 1;
constexpr uint8_t kModeVr = 2;
constexpr uint8_t kModeThirdStory = 3;

constexpr int kSettingsBytes = 50;
constexpr int kSaveRecordBytes = 512;
constexpr int kGraphSlots = 190;
constexpr int kSoundSlots = 40;
constexpr int kActionCount = 8;
constexpr int kAreaCount = 8;
constexpr int kSubStageSlots = 11;
constexpr int kDoorRecordBytes = 5;
constexpr int kEventRecordBytes = 2;
constexpr int kMapColumns = 60;
constexpr int kMapRows = 45;
constexpr int kStageRecordBytes = 3000;
constexpr int kDoorPairs = 10;
constexpr int kStageEnemyRecords = 20;
constexpr int kEnemyRecordBytes = 10;
constexpr int kStageSlots = 100;
constexpr int kMissionRuleCount = 10;

// Screen-object classes, defined by the parts of the game that own them.
class StageEditor;
class BriefingScreen;
class EventScript;
class StoryScene;
class NewGameSetup;
class SaveSelect;
class VrMenu;

struct GameData {
  // Run and identity.
  uint8_t timeFileMarks[3] = {};
  uint8_t character = 0;
  uint8_t costume = 0;
  uint8_t saveSlot = 0;
  uint8_t difficulty = 0;
  uint8_t gameMode = 0;
  uint8_t missionNumber = 0;
  uint8_t area = 0, subStage = 0;
  uint8_t nextArea = 0, nextSubStage = 0;
  uint16_t detections = 0, incapacitations = 0, targetsDestroyed = 0;
  uint8_t clearRecords[kStageSlots][2] = {};
  uint8_t visitRecords[kStageSlots] = {};
  uint8_t missionRules[kMissionRuleCount] = {};
  int32_t clockFrames = 0;
  uint16_t clockHours = 0, clockMinutes = 0, clockSeconds = 0, clockHundredths = 0;
  uint16_t vrCategory = 0, vrMission = 0;
  uint8_t vrResultPending = 0;
  // The VR result handed from the clear panel to the VR menu: the mission's three best
  // times (minutes, seconds, hundredths) with the new one placed, and its mark byte.
  uint16_t vrResultTimes[3][3] = {};
  uint8_t vrResultMark = 0x40;
  uint8_t nextMissionNumber = 0;

  // Files and settings.
  uint8_t prefsFile[kSettingsBytes] = {};
  uint8_t saveRecord[kSaveRecordBytes] = {};
  uint8_t checkpoint[kSaveRecordBytes] = {};
  int32_t keyAssign[kActionCount + 1] = {};
  int32_t keyAssignWork[kActionCount + 1] = {};
  uint8_t action[kActionCount + 1] = {};
  uint8_t keyLatch = 0;
  int32_t bgmVolume = 0, seVolume = 0;
  uint8_t graphicsLevel = 0;
  uint8_t autoSave = 0;
  int32_t fullScreen = 0;
  uint8_t windowScale = 0;
  uint8_t fixedStageBgm = 0;

  // Screen state.
  int32_t gameState = STATE_BOOT;
  int32_t screenEntered = 0;
  int32_t menuCursor = 0;
  int32_t screenTimer = 0;
  int32_t screenCounter = 0, screenFade = 0;
  int32_t holdFrames = 0;
  uint16_t holdStep = 0;
  int32_t gameOverFade = 0;
  uint8_t quitRequested = 0;
  uint8_t playedFromSlotList = 0;
  int32_t graphs[kGraphSlots] = {};
  int32_t sounds[kSoundSlots] = {};

  // Owned by mission play; reset by the shell.
  int32_t scrollX = 0, scrollY = 0;
  uint8_t paused = 0;
  int32_t mapObjectCount = 0;
  uint16_t alertCountdown = 0;
  uint16_t alertHold = 0;
  uint8_t reinforcementsCalled = 0;
  int16_t mapGrid[kMapColumns * kMapRows] = {};  // column-major: column * 45 + row
  uint8_t stageBuffer[kStageRecordBytes] = {};
  uint8_t doorDestinations[kDoorPairs][2] = {};
  uint16_t stageEnemyRecords[kStageEnemyRecords][kEnemyRecordBytes] = {};
  uint8_t stageScreensX = 1, stageScreensY = 1;
  uint8_t stageFlags[3] = {1, 1, 0};  // width, height, lights on
  uint16_t targetCount = 0;
  uint16_t stageTargetsDestroyed = 0;
  uint8_t reinforcementType = 0;
  uint8_t stageEventTriggered = 0;
  uint8_t openingScenePending = 0;
  int32_t skyLayerX[2] = {};
  int32_t skyLayerTick = 0;
  int32_t stageFade = 0;
  uint16_t vrDiscoveries = 0, vrHitsTaken = 0;
  uint16_t clockBlink = 0;
  uint8_t mapArea = 0, mapRoom = 0;
  uint8_t pauseMode = 0;
  uint8_t pauseMenuPage = 0;

  // The stage editor's stage and input (the grid is mapGrid, the record stageBuffer).
  uint8_t mouseLatch = 0;
  uint8_t editScreensX = 1, editScreensY = 1;
  uint8_t editEdgeHover[4] = {};  // right, left, top, bottom scroll strips
  uint8_t editBlockCode = 25;
  uint8_t editSkin = 0;
  EditEnemy editEnemies[kStageEnemyRecords];
  int32_t lastMouseX = 0, lastMouseY = 0;

  // Start-up tables.
  uint8_t doorTable[kAreaCount][kSubStageSlots][kDoorRecordBytes] = {};
  uint8_t eventTable[kAreaCount][kSubStageSlots][kEventRecordBytes] = {};
  uint8_t cinemaTable[kAreaCount][kSubStageSlots][kEventRecordBytes] = {};

  // Screen objects.
  ScreenSlot<StageEditor> editor;
  ScreenSlot<BriefingScreen> briefing;
  ScreenSlot<EventScript> eventPlayer;
  ScreenSlot<StoryScene> storyScene;
  ScreenSlot<NewGameSetup> newGameSetup;
  ScreenSlot<SaveSelect> saveSelect;
  ScreenSlot<VrMenu> vrMenu;
};

extern GameData game;

// Start-of-run reset, before the first frame.
void ResetGameData();
// Per-stage reset, at start-up and before every stage load.
void ResetStageState();
// The starting life and weapons of the current character.
void GiveStartingLoadout();
// A new game from the new-game setup or the trial bonus.
void ResetNewGame();

// Deletes the objects of all seven slots, in the order the program's end uses.
void DeleteAllScreenObjects();
// Deletes objects that Create replaced during the frame.
void DeleteRetiredScreenObjects();
