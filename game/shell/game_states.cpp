#include "game/shell/game_states.h"

#include <array>
#include <cstddef>

#include "game/editor/stage_editor.h"
#include "game/editor/vr_menu.h"
#include "game/mission/mission_frame.h"
#include "game/shell/action_mapping.h"
#include "game/shell/briefing_screen.h"
#include "game/shell/game_over.h"
#include "game/shell/mission_briefing.h"
#include "game/shell/new_game_setup.h"
#include "game/shell/game_data.h"
#include "game/shell/notice_screens.h"
#include "game/shell/save_select.h"
#include "game/shell/screens.h"
#include "game/story/event_script.h"
#include "game/story/story_scene.h"

namespace {

constexpr int kStateCount = 100;

void DoNothing(int) {}

// States run by a screen object do nothing while its slot is empty.
void RunNewGameSetup(int pad) { game.newGameSetup.Update(pad); }
void RunSaveSelect(int pad) { game.saveSelect.Update(pad); }
void RunBriefingMap(int pad) { game.briefing.Update(pad); }
void RunVrMenu(int pad) { game.vrMenu.Update(pad); }
void RunEditSlotSelect(int pad) {
  if (game.editor) game.editor->UpdateSlotSelect(pad);
}
void RunEditor(int pad) { game.editor.Update(pad); }
void RunEditRetest(int) {
  if (game.editor) game.editor->RestartTestPlay();
}
void RunEditLoadSlot(int) {
  if (game.editor) game.editor->LoadSlotAndEdit();
}
void RunEditReturn(int) {
  if (game.editor) game.editor->RestoreAfterTestPlay();
}
void RunVrDataReset(int pad) {
  if (game.vrMenu) game.vrMenu->UpdateCorruptNotice(pad);
}

// State 20 runs only the story-scene and event-script players. Entered with neither running
// (a caller that set the state without its scene), it starts the character's opening scene,
// so the state never stands empty.
void RunEventOnly(int) {
  if (game.storyScene || game.eventPlayer) return;
  static constexpr int kOpeningScenes[3] = {1, 5, 101};
  game.storyScene.Create(kOpeningScenes[game.character < 3 ? game.character : 0]);
}

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
  table[STATE_EVENT_ONLY] = RunEventOnly;
  table[STATE_GAME_OVER_MENU] = UpdateGameOverMenu;
  table[STATE_BRIEFING_MAP] = RunBriefingMap;
  table[STATE_MISSION_BRIEFING] = UpdateMissionBriefing;
  table[STATE_STILL_PICTURE] = UpdateStillPicture;
  table[STATE_TRIAL_BONUS] = UpdateTrialBonusNotice;
  table[STATE_IDLE_21] = DoNothing;
  table[STATE_OPTIONS] = UpdateOptions;
  table[STATE_KEY_CONFIG] = UpdateKeyConfig;
  table[STATE_ENDING_PICTURE] = UpdateEndingPicture;
  table[STATE_ENDING_START] = UpdateEndingStart;
  table[STATE_UNLOCK_NOTICE] = UpdateUnlockNotice;
  table[STATE_VR_MENU] = RunVrMenu;
  table[STATE_EDIT_SLOT_SELECT] = RunEditSlotSelect;
  table[STATE_EDITOR] = RunEditor;
  table[STATE_EDIT_RETEST] = RunEditRetest;
  table[STATE_EDIT_LOAD_SLOT] = RunEditLoadSlot;
  table[STATE_EDIT_RETURN] = RunEditReturn;
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
