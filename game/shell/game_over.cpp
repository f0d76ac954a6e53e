#include "game/shell/game_over.h"

#include <algorithm>

#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"
#include "game/editor/stage_editor.h"
#include "game/editor/vr_menu.h"
#include "game/mission/shots.h"

namespace {

constexpr int kResultSheet = 10;
constexpr int kPauseSheet = 15;
constexpr int kFadeStep = 2;

// The picture has its own place on the sheet: the grade-mark columns fill the rows below.
void DrawGameOverPicture() { DrawRectGraph(260, 230, 0, 200, 276, 54, game.graphs[kResultSheet], 1, 0); }

void BlackBox(int alpha) {
  SetDrawBlendMode(kBlendAlpha, alpha);
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  SetDrawBlendMode(kBlendNone, 0);
}

unsigned MenuText() { return GetColor(kMenuTextRed, kMenuTextGreen, kMenuTextBlue); }

}  // namespace

bool GameOverSequenceRuns() {
  return player.action == kActionDown || player.action == kActionGameOverFade || player.action == kActionCaught;
}

void UpdateGameOverSequence(int) {
  const bool confirm = game.action[kActionConfirm] != 0;
  const int timer = player.actionTimer;
  if (CheckMusicPlaying() == 0 && timer >= kGameOverDarkFrames) player.action = kActionGameOverFade;
  if (player.action == kActionDown || player.action == kActionCaught) {
    BlackBox(std::min(timer, kGameOverDarkFrames));
    if (timer >= kGameOverDarkFrames) DrawGameOverPicture();
    if (timer == 1) {
      PlayBgm("bzx/gameover.ogg", 1);
      ++game.incapacitations;
    }
    // The music is started on the first counted frame; before that nothing plays yet.
    if (timer >= 1 && (CheckMusicPlaying() == 0 || confirm)) player.action = kActionGameOverFade;
    return;
  }
  if (player.action != kActionGameOverFade) return;
  game.gameOverFade += kFadeStep;
  BlackBox(128);
  BlackBox(std::min(game.gameOverFade, 255));
  DrawGameOverPicture();
  if (game.gameOverFade >= kGameOverFadeEnd || (game.gameOverFade >= kGameOverFadeSkippable && confirm)) {
    game.gameState = STATE_GAME_OVER_MENU;
    player.action = 0;
    game.keyLatch = 1;
  }
}

void DrawMenuHighlight(int x, int y, int mirror) {
  const int n = GetRandom(4) + 1;
  for (int i = 0; i < n; ++i) {
    SetDrawBlendMode(kBlendAdd, 64);
    DrawRectGraph(x, y, 249, 0, 238, 30, game.graphs[kPauseSheet], 1, mirror);
  }
  SetDrawBlendMode(kBlendNone, 0);
}

void UpdateGameOverMenu(int pad) {
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  const char* second = game.gameMode == kModeVr                ? "to VR Menu"
                       : game.gameMode == kModeEditorTestPlay ? "to Edit"
                                                               : "Back to Title";
  const char* labels[2] = {"ReStart", second};
  for (int i = 0; i < 2; ++i) {
    const bool selected = game.menuCursor == i;
    DrawRectGraph(250 + 30 * i, 230 + 40 * i, 0, selected ? 69 : 0, 228, 34, game.graphs[kPauseSheet], 1, 0);
    if (selected) DrawMenuHighlight(250 + 30 * i, 229 + 40 * i, 0);
    DrawString(320 + 30 * i, 238 + 40 * i, labels[i], MenuText(), 0);
    if (selected) {
      SetDrawBlendMode(kBlendAdd, kSelectedTextGlow);
      DrawString(320 + 30 * i, 238 + 40 * i, labels[i], MenuText(), 0);
      SetDrawBlendMode(kBlendNone, 0);
    }
  }
  const bool move = (pad & (kPadUp | kPadDown)) != 0;
  const bool confirm = game.action[kActionConfirm] != 0;
  if (!move && !confirm) {
    game.keyLatch = 0;
    return;
  }
  if (game.keyLatch != 0) return;
  game.keyLatch = 1;
  if (move) {
    PlaySoundEffect(kSoundCursor);
    game.menuCursor ^= 1;
    return;
  }
  PlaySoundEffect(kSoundConfirm);
  if (game.menuCursor == 0) {
    switch (game.gameMode) {
      case kModeStory:
        RestoreCheckpoint();
        game.gameState = STATE_STAGE_LOAD;
        break;
      case kModeThirdStory:
        GiveMissionStartLoadout(1);
        game.gameState = STATE_STAGE_LOAD;
        break;
      case kModeVr:
        RestoreCheckpoint();
        SetUpVrMissionLoadout();
        game.gameState = STATE_STAGE_LOAD;
        break;
      default:
        game.editor.Create();
        player.action = 0;
        game.gameState = STATE_EDIT_RETEST;
        game.scrollX = game.scrollY = 0;
        player.x = player.y = 0;
        break;
    }
  } else {
    switch (game.gameMode) {
      case kModeVr:
        game.vrMenu.Create();
        game.gameState = STATE_VR_MENU;
        break;
      case kModeEditorTestPlay:
        game.editor.Create();
        if (game.playedFromSlotList != 0) {
          game.playedFromSlotList = 0;
          game.gameState = STATE_EDIT_SLOT_SELECT;
        } else {
          player.action = 0;
          game.gameState = STATE_EDIT_RETURN;
        }
        game.scrollX = game.scrollY = 0;
        player.x = player.y = 0;
        StopMusic();
        break;
      default:
        game.gameState = STATE_TITLE;
        break;
    }
  }
  game.screenEntered = 0;
  game.menuCursor = 0;
}
