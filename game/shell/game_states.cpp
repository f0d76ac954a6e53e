#include "game/shell/game_states.h"

#include <array>
#include <cstddef>

#include "game/editor/vr_menu.h"
#include "game/mission/mission_frame.h"
#include "game/shell/action_mapping.h"
#include "game/shell/game_data.h"
#include "game/shell/notice_screens.h"
#include "game/shell/save_select.h"
#include "game/shell/screens.h"

namespace {

constexpr int kStateCount = 100;

void DoNothing(int) {}

// States run by a screen object do nothing while its slot is empty.
void RunNewGameSetup(int pad) { game.newGameSetup.Update(pad); }
void RunSaveSelect(int pad) { game.saveSelect.Update(pad); }
void RunBriefingMap(int pad) { game.briefing.Update(pad); }
void RunVrMenu(int pad) { game.vrMenu.Update(pad); }
void RunVrDataReset(int pad) {
  if (game.vrMenu) game.vrMenu->UpdateCorruptNotice(pad);
}

// TEMPORARY ROUTE, to be removed with the story player: a new game's opening scene does not
// exist yet, so the first stage is loaded in its place.
void StartFirstStageInsteadOfOpening(int) {
  if (game.storyScene) return;
  game.gameMode = kModeStory;
  game.area = 0;
  game.subStage = 0;
  game.missionNumber = 1;
  game.screenEntered = 0;
  game.gameState = STATE_STAGE_LOAD;
}

// States whose handlers belong to the story player and the editor stay empty until those
// are built.
constexpr std::array<StateHandler, kStateCount> MakeTable() {
  std::array<StateHandler, kStateCount> table{};
  table[STATE_BOOT] = UpdateBootLoading;
  table[STATE_LOGO] = UpdateLogo;
  table[STATE_TITLE] = UpdateTitle;
  table[STATE_NEW_GAME_SETUP] = RunNewGameSetup;
  table[STATE_STAGE_LOAD] = UpdateStageLoad;
  table[STATE_SAVE_SELECT] = RunSaveSelect;
  table[STATE_STAGE_PLAY] = UpdateStagePlay;
  table[STATE_STAGE_PLAY_MODE] = UpdateStagePlay;
  table[STATE_EVENT_ONLY] = StartFirstStageInsteadOfOpening;
  table[STATE_BRIEFING_MAP] = RunBriefingMap;
  table[STATE_STILL_PICTURE] = UpdateStillPicture;
  table[STATE_TRIAL_BONUS] = UpdateTrialBonusNotice;
  table[STATE_IDLE_21] = DoNothing;
  table[STATE_OPTIONS] = UpdateOptions;
  table[STATE_KEY_CONFIG] = UpdateKeyConfig;
  table[STATE_ENDING_PICTURE] = UpdateEndingPicture;
  table[STATE_ENDING_START] = UpdateEndingStart;
  table[STATE_UNLOCK_NOTICE] = UpdateUnlockNotice;
  table[STATE_VR_MENU] = RunVrMenu;
  table[STATE_VR_DATA_RESET] = RunVrDataReset;
  table[STATE_IDLE_90] = DoNothing;
  table[STATE_FILE_ERROR] = UpdateFileError;
  table[STATE_VERSION_ERROR] = UpdateVersionError;
  return table;
}

constexpr std::array<StateHandler, kStateCount> kStateTable = MakeTable();

}  // namespace

StateHandler GetStateHandler(int state) {
  if (state < 0 || state >= kStateCount) return nullptr;
  return kStateTable[static_cast<std::size_t>(state)];
}

void RunGameState(int state, int pad) {
  const StateHandler handler = GetStateHandler(state);
  if (handler != nullptr) handler(pad);
}
