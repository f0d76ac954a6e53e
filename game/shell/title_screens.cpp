#include <algorithm>
#include <cstring>

#include "game/editor/stage_editor.h"
#include "game/editor/vr_menu.h"
#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/save_select.h"
#include "game/shell/screens.h"
#include "runtime/api.h"

namespace {

// Logo: the fade value climbs by 2 a frame up to kLogoFadeEnd; the logo is drawn with the
// value itself while it is below kLogoShown, then with kLogoFadeEnd minus the value.
constexpr int kLogoStep = 2;
constexpr int kLogoShown = 254;
constexpr int kLogoFadeEnd = 755;
constexpr int kLogoSkipTimer = 600;
constexpr int kLogoSkipFade = 500;
constexpr int kLogoEndTimer = 850;

struct TitleEntry {
  int x, y;
  const char* label;
};
constexpr TitleEntry kTitleEntries[] = {
    {23, 383, "CODE:K ミッション開始"},
    {33, 421, "ゼンモル神社地下訓練場"},
    {42, 459, "VR MISSION"},
    {56, 497, "カスタマイズ"},
    {73, 535, "CODE:K 稼業終了"},
};
constexpr int kTitleEntryCount = 5;
constexpr int kEntryMission = 0;
constexpr int kEntryEditor = 1;
constexpr int kEntryVr = 2;
constexpr int kEntryOptions = 3;
constexpr int kEntryExit = 4;
constexpr int kBoxWidth = 266, kBoxHeight = 43;
constexpr int kLitBoxSourceY = 77;
constexpr int kLabelOffsetX = 60, kLabelOffsetY = 10;
constexpr int kGlowPasses = 3;
constexpr int kGlowStrength = 64;
constexpr int kNoiseStrength = 96;
constexpr int kNoiseBandMax = 4;
constexpr int kRuleStealth = 1;
constexpr char kTitleMusic[] = "bzx/title.ogg";

void StartTitle() {
  game.screenEntered = 1;
  game.screenCounter = 0;
  game.screenFade = 0;
  game.scrollX = 0;
  game.scrollY = 0;
  player.life = 100;
  game.costume = 0;
  game.missionNumber = 1;
  game.character = 0;
  game.briefing.Delete();
  game.editor.Delete();
  game.newGameSetup.Delete();
  game.saveSelect.Delete();
  game.vrMenu.Delete();
  LoadScreenGraphics();
  PlayBgm(kTitleMusic, kPlayLoop);
  std::memset(game.stageBuffer, 0, sizeof game.stageBuffer);
  std::memset(game.mapGrid, 0, sizeof game.mapGrid);
  game.playedFromSlotList = 0;
  game.gameMode = kModeStory;
  game.missionRules[kRuleStealth] = 0;
}

void DrawTitle() {
  const int* g = game.graphs;
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  DrawGraph(450, 330, g[graph_slot::kBigGoggles], 1);
  DrawGraph(0, -20, g[graph_slot::kTitlePicture], 1);
  DrawRectGraph(430, 560, 212, 310, 300, 29, g[graph_slot::kButtons], 1, 0);
  DrawGraph(0, 0, g[graph_slot::kTitleLine], 1);

  const unsigned text = GetColor(kMenuTextRed, kMenuTextGreen, kMenuTextBlue);
  for (int i = 0; i < kTitleEntryCount; ++i) {
    const TitleEntry& entry = kTitleEntries[i];
    const bool selected = i == game.menuCursor;
    DrawRectGraph(entry.x, entry.y, 0, 0, kBoxWidth, kBoxHeight, g[graph_slot::kButtons], 1, 0);
    if (selected) {
      DrawRectGraph(entry.x, entry.y, 0, kLitBoxSourceY, kBoxWidth, kBoxHeight, g[graph_slot::kButtons], 1, 0);
      DrawNoiseBand(entry.x + 1, entry.y - 1);
    }
    DrawFormatString(entry.x + kLabelOffsetX, entry.y + kLabelOffsetY, text, "%s", entry.label);
    if (selected) {
      SetDrawBlendMode(kBlendAdd, kSelectedTextGlow);
      DrawFormatString(entry.x + kLabelOffsetX, entry.y + kLabelOffsetY, text, "%s", entry.label);
      SetDrawBlendMode(kBlendNone, 0);
    }
  }
  for (int pass = 0; pass < kGlowPasses; ++pass) {
    SetDrawBlendMode(kBlendAdd, kGlowStrength);
    DrawGraph(450, 330, g[graph_slot::kBigGogglesGlow], 1);
    SetDrawBlendMode(kBlendNone, 0);
  }
}

void ConfirmTitleEntry() {
  switch (game.menuCursor) {
    case kEntryMission:
      game.screenCounter = 0;
      game.screenFade = 0;
      game.gameState = STATE_SAVE_SELECT;
      game.saveSelect.Create();
      game.screenEntered = 0;
      // Shown while the save screen's constructor reads the slots.
      DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
      DrawGraph(520, 420, game.graphs[graph_slot::kLoading], 1);
      break;
    case kEntryEditor:
      StopMusic();
      game.screenEntered = 0;
      game.menuCursor = 0;
      game.gameState = STATE_EDIT_SLOT_SELECT;
      game.editor.Create();
      break;
    case kEntryVr:
      StopMusic();
      game.vrResultPending = 0;
      game.screenEntered = 0;
      game.menuCursor = 0;
      game.gameState = STATE_VR_MENU;
      game.vrMenu.Create();
      game.screenTimer = 0;
      game.vrCategory = 0;
      game.vrMission = 0;
      break;
    case kEntryOptions:
      game.gameState = STATE_OPTIONS;
      game.screenEntered = 0;
      break;
    case kEntryExit:
      game.quitRequested = 1;
      break;
    default:
      break;
  }
}

}  // namespace

void UpdateBootLoading(int) {
  LoadCommonGraphicsLeavingPlayerSprites();
  LoadSoundEffects();
  for (int i = 0; i < kSoundSlots; ++i) SetSoundVolume(game.seVolume, game.sounds[i]);
  game.gameState = STATE_LOGO;
}

void UpdateLogo(int) {
  int& fade = game.menuCursor;
  if (game.screenEntered == 0) {
    game.screenEntered = 1;
    fade = 0;
    game.screenTimer = 0;
    LoadScreenGraphics();
    if (game.graphs[graph_slot::kLogo] == -1) {
      game.gameState = STATE_FILE_ERROR;
      return;
    }
  }

  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(255, 255, 255), 1);
  game.screenTimer += kLogoStep;
  if (fade < kLogoFadeEnd) fade += kLogoStep;
  // Past the hold the fade-out value starts above the blend range; it is clamped.
  const int alpha = std::clamp(fade < kLogoShown ? fade : kLogoFadeEnd - fade, 0, 255);
  SetDrawBlendMode(kBlendAlpha, alpha);
  DrawRectGraph(209, 250, 241, 20, 382, 70, game.graphs[graph_slot::kLogo], 1, 0);
  SetDrawBlendMode(kBlendNone, 0);

  if (game.action[kActionConfirm] != 0) {
    if (game.keyLatch == 0) {
      game.keyLatch = 1;
      if (fade < kLogoShown) {
        fade = kLogoShown;
      } else if (game.screenTimer < kLogoSkipTimer) {
        game.screenTimer = kLogoSkipTimer;
        fade = kLogoSkipFade;
      }
    }
  } else {
    game.keyLatch = 0;
  }

  if (game.screenTimer > kLogoEndTimer) {
    game.screenEntered = 0;
    fade = 0;
    game.screenTimer = 0;
    game.gameState = STATE_TITLE;
  }
}

void UpdateTitle(int pad) {
  if (game.screenEntered == 0) StartTitle();
  DrawTitle();

  if ((pad & kPadUp) != 0) {
    if (game.keyLatch == 0) {
      game.keyLatch = 1;
      PlaySoundEffect(kSoundCursor);
      game.menuCursor = game.menuCursor <= 0 ? kTitleEntryCount - 1 : game.menuCursor - 1;
      game.screenCounter = 0;
      game.screenFade = 0;
    }
  } else if ((pad & kPadDown) != 0) {
    if (game.keyLatch == 0) {
      game.keyLatch = 1;
      PlaySoundEffect(kSoundCursor);
      game.menuCursor = game.menuCursor >= kTitleEntryCount - 1 ? 0 : game.menuCursor + 1;
      game.screenCounter = 0;
      game.screenFade = 0;
    }
  } else if (game.action[kActionConfirm] != 0) {
    if (game.keyLatch == 0) {
      game.keyLatch = 1;
      PlaySoundEffect(kSoundConfirm);
      ConfirmTitleEntry();
    }
  } else {
    game.keyLatch = 0;
    game.holdFrames = 0;
    game.holdStep = 0;
  }
}

void DrawNoiseBand(int x, int y) {
  const int bands = GetRandom(kNoiseBandMax) + 1;
  for (int i = 0; i < bands; ++i) {
    SetDrawBlendMode(kBlendAdd, kNoiseStrength);
    DrawRectGraph(x, y, 245, 157, kBoxWidth, 38, game.graphs[graph_slot::kButtons], 1, 0);
    SetDrawBlendMode(kBlendNone, 0);
  }
}
