#include "game/shell/new_game_setup.h"

#include <cstdio>
#include <cstring>

#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/save_select.h"
#include "game/shell/screens.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"
#include "game/mission/shots.h"
#include "game/story/story_scene.h"

namespace {

constexpr const char* kImagePaths[6] = {"gsx/briefing_back.png", "gsx/char_sele_line.png", "gsx/briefing11.png",
                                        "evx/oruha.png",         "evx/tevani.png",         "evx/suvel.png"};
constexpr int kBack = 0, kLine = 1, kSheet = 2, kPortraits = 3;

constexpr int kFadeStep = 10;
constexpr int kFadeDone = 250;
constexpr int kPortraitShown = 500, kPortraitHidden = 800, kPortraitStep = 10;
constexpr int kAlphaStep = 10, kAlphaFull = 255;
constexpr int kSoundStart = 23;

constexpr const char* kCharacterLabels[3] = {"オルハ", "テヴァニ", "スヴェル"};
constexpr const char* kChosenCharacterLabels[3] = {" オルハ", "テヴァニ", "スヴェル"};
constexpr const char* kCostumeLabels[3][2] = {
    {"CODE:K", "巫女服"}, {"CODE:TEVANI", "テヴァニの服"}, {"CODE:SUVEL", "スヴェルの服"}};
constexpr const char* kDifficultyLabels[2] = {"ノーマル", "ハード"};
constexpr const char* kChosenDifficultyLabels[2] = {" ノーマル", "ハード"};
constexpr const char* kRowHeaders[3] = {"キャラクター", "コスチューム", "   難易度   "};

// Settings bytes of the bonus gadgets (invisibility, gadget 9, light and dark reversal)
// unlocked for the first and the second character.
constexpr int kBonusGadgetBytes[2][3] = {{27, 28, 29}, {31, 32, 33}};
constexpr int kBonusGadgets[3] = {6, 9, 7};

unsigned MenuText() { return GetColor(kMenuTextRed, kMenuTextGreen, kMenuTextBlue); }
void Black() { DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1); }

}  // namespace

int OpeningSceneOf(int character) { return character == 0 ? 1 : character == 1 ? 5 : 101; }

NewGameSetup::NewGameSetup() {
  game.saveSelect.Retire();
  LoadScreenGraphics();
  step_ = kFadeIn;
  fadeCounter_ = 0;
  for (int i = 0; i < 3; ++i) {
    portraitX_[i] = kPortraitHidden;
    portraitAlpha_[i] = 0;
  }
  confirmChoice_ = 0;
  LoadResources();
}

void NewGameSetup::LoadResources() {
  for (int i = 0; i < 6; ++i) images_[i] = LoadGraph(kImagePaths[i], 0);
}

NewGameSetup::~NewGameSetup() {
  for (int image : images_) {
    if (image != -1) DeleteGraph(image, 0);
  }
}

void NewGameSetup::DrawCell(int x, int y, int style, const char* label, int w, int k) const {
  const int sheet = images_[kSheet];
  const int labelX = x + k - 5 * static_cast<int>(std::strlen(label));
  const unsigned colour = MenuText();
  switch (style) {
    case 0:
      DrawRectGraph(x, y, 0, 0, w, 43, sheet, 1, 0);
      DrawRectGraph(x + w, y, 175, 0, 90, 43, sheet, 1, 0);
      DrawFormatString(labelX, y + 10, colour, "%s", label);
      break;
    case 1: {
      DrawRectGraph(x, y, 0, 77, w, 43, sheet, 1, 0);
      DrawRectGraph(x + w, y, 175, 77, 90, 43, sheet, 1, 0);
      const int glows = 1 + GetRandom(4);
      for (int i = 0; i < glows; ++i) {
        SetDrawBlendMode(kBlendAdd, 96);
        DrawRectGraph(x, y, 245, 157, w, 38, sheet, 1, 0);
        DrawRectGraph(x + w, y, 420, 157, 90, 38, sheet, 1, 0);
      }
      SetDrawBlendMode(kBlendNone, 0);
      DrawFormatString(labelX, y + 10, colour, "%s", label);
      SetDrawBlendMode(kBlendAdd, kSelectedTextGlow);
      DrawFormatString(labelX, y + 10, colour, "%s", label);
      SetDrawBlendMode(kBlendNone, 0);
      break;
    }
    case 2:
      SetDrawBright(255, 168, 168);
      DrawRectGraph(x, y, 0, 77, w, 43, sheet, 1, 0);
      DrawRectGraph(x + w, y, 175, 77, 90, 43, sheet, 1, 0);
      SetDrawBright(255, 255, 255);
      DrawFormatString(labelX, y + 10, colour, "%s", label);
      SetDrawBlendMode(kBlendAdd, kSelectedTextGlow);
      DrawFormatString(labelX, y + 10, colour, "%s", label);
      SetDrawBlendMode(kBlendNone, 0);
      break;
    default:
      break;
  }
}

void NewGameSetup::DrawCharacterCell(int x, int y, int style, const char* label) const {
  DrawCell(x, y, style, label, 60, 100);
}
void NewGameSetup::DrawChoiceCell(int x, int y, int style, const char* label) const {
  DrawCell(x, y, style, label, 100, 120);
}

void NewGameSetup::Draw() {
  Black();
  DrawGraph(0, 0, images_[kBack], 1);
  DrawGraph(0, 0, images_[kLine], 1);
  DrawRectGraph(95, 10, 185, 200, 327, 54, images_[kSheet], 1, 0);
  DrawRectGraph(160, 23, 250, 254, 200, 30, images_[kSheet], 1, 0);

  for (int i = 0; i < 3; ++i) {
    SetDrawBlendMode(kBlendAlpha, portraitAlpha_[i]);
    DrawRectGraph(portraitX_[i], 0, 0, 0, i == 2 ? 320 : 290, 600, images_[kPortraits + i], 1, 0);
  }
  SetDrawBlendMode(kBlendNone, 0);

  for (int row = 0; row < 3; ++row) {
    const bool dimmed = step_ != row + 1;
    if (dimmed) SetDrawBlendMode(kBlendAlpha, 108);
    DrawRectGraph(175, 140 + 120 * row, 323, 282, 190, 27, images_[kSheet], 1, 0);
    DrawString(235, 147 + 120 * row, kRowHeaders[row], GetColor(0, 0, 0), 0);
    if (dimmed) SetDrawBlendMode(kBlendNone, 0);
  }
  SlidePortraits();

  const int c = game.character <= 2 ? game.character : 0;
  const int costume = game.costume & 1;
  const int difficulty = game.difficulty & 1;
  for (int i = 0; i < 3; ++i) DrawCharacterCell(50 + 150 * i, 180, 0, kCharacterLabels[i]);
  if (step_ >= kCharacterRow) DrawCharacterCell(50 + 150 * c, 180, step_ == kCharacterRow ? 1 : 2, kChosenCharacterLabels[c]);
  for (int i = 0; i < 2; ++i) DrawChoiceCell(50 + 230 * i, 300, 0, kCostumeLabels[c][i]);
  if (step_ >= kCostumeRow) {
    DrawChoiceCell(50 + 230 * costume, 300, step_ == kCostumeRow ? 1 : 2, kCostumeLabels[c][costume]);
  }
  for (int i = 0; i < 2; ++i) DrawChoiceCell(50 + 230 * i, 420, 0, kDifficultyLabels[i]);
  if (step_ >= kDifficultyRow) {
    DrawChoiceCell(50 + 230 * difficulty, 420, step_ == kDifficultyRow ? 1 : 2, kChosenDifficultyLabels[difficulty]);
  }
}

void NewGameSetup::SlidePortraits() {
  const int s = game.character <= 2 ? game.character : 0;
  for (int i = 0; i < 3; ++i) {
    if (i == s) {
      if (portraitX_[i] > kPortraitShown) portraitX_[i] -= kPortraitStep;
      if (portraitAlpha_[i] < kAlphaFull) portraitAlpha_[i] += kAlphaStep;
    } else {
      if (portraitX_[i] < kPortraitHidden) portraitX_[i] += kPortraitStep;
      if (portraitAlpha_[i] > 0) portraitAlpha_[i] -= kAlphaStep;
    }
  }
}

void NewGameSetup::Update(int pad) {
  Draw();
  switch (step_) {
    case kFadeIn:
      SetDrawBlendMode(kBlendAlpha, 255 - fadeCounter_);
      Black();
      SetDrawBlendMode(kBlendNone, 0);
      fadeCounter_ += kFadeStep;
      if (fadeCounter_ > kFadeDone) {
        step_ = kCharacterRow;
        fadeCounter_ = 0;
      }
      break;
    case kConfirmation: {
      const int buttons = game.graphs[graph_slot::kButtons];
      SetDrawBlendMode(kBlendAlpha, 128);
      Black();
      SetDrawBlendMode(kBlendNone, 0);
      DrawRectGraph(150, 480, 270, 0, 241, 50, buttons, 1, 0);
      DrawRectGraph(150, 530, 270, 100, 241, 50, buttons, 1, 0);
      SetDrawBlendMode(kBlendAlpha, 96);
      DrawBox(200 + 70 * confirmChoice_, 530, 260 + 70 * confirmChoice_, 550, GetColor(255, 255, 0), 1);
      SetDrawBlendMode(kBlendNone, 0);
      DrawString(205, 505, "ミッションを開始します", GetColor(255, 255, 255), 0);
      DrawString(218, 535, "Start", MenuText(), 0);
      DrawString(285, 535, "Cancel", MenuText(), 0);
      break;
    }
    case kFadeToSaveSelect:
      SetDrawBlendMode(kBlendAlpha, fadeCounter_);
      Black();
      SetDrawBlendMode(kBlendNone, 0);
      fadeCounter_ += kFadeStep;
      if (fadeCounter_ > kFadeDone) {
        game.gameState = STATE_SAVE_SELECT;
        game.saveSelect.Create();
        game.screenEntered = 0;
        game.menuCursor = 0;
        return;
      }
      break;
    case kFadeToStart:
      SetDrawBlendMode(kBlendAlpha, fadeCounter_);
      Black();
      SetDrawBlendMode(kBlendNone, 0);
      fadeCounter_ += kFadeStep;
      if (fadeCounter_ > kFadeDone) {
        step_ = kStartGame;
        Black();
        DrawGraph(520, 420, game.graphs[graph_slot::kLoading], 1);
      }
      break;
    case kStartGame:
      StartGame();
      break;
    default:
      break;
  }
  Input(pad);
}

void NewGameSetup::Input(int pad) {
  const bool left = (pad & kPadLeft) != 0, right = (pad & kPadRight) != 0;
  const bool confirm = game.action[kActionConfirm] != 0, cancel = game.action[kActionCancel] != 0;
  if (!left && !right && !confirm && !cancel) {
    game.keyLatch = 0;
    return;
  }
  if (game.keyLatch != 0) return;
  game.keyLatch = 1;
  if (left || right) {
    PlaySoundEffect(kSoundCursor);
    switch (step_) {
      case kCharacterRow:
        if (left && game.character > 0) --game.character;
        if (!left && game.character < 2) ++game.character;
        break;
      case kCostumeRow: game.costume ^= 1; break;
      case kDifficultyRow: game.difficulty ^= 1; break;
      case kConfirmation: confirmChoice_ ^= 1; break;
      default: break;
    }
  } else if (confirm) {
    switch (step_) {
      case kCharacterRow:
      case kCostumeRow:
      case kDifficultyRow:
        step_ = static_cast<Step>(step_ + 1);
        PlaySoundEffect(kSoundConfirm);
        break;
      case kConfirmation:
        if (confirmChoice_ == 0) {
          step_ = kFadeToStart;
          fadeCounter_ = 0;
          PlaySoundEffect(kSoundStart);
        } else {
          step_ = kDifficultyRow;
        }
        break;
      default:
        break;
    }
  } else {
    PlaySoundEffect(kSoundCancel);
    switch (step_) {
      case kCharacterRow:
        step_ = kFadeToSaveSelect;
        fadeCounter_ = 0;
        break;
      case kCostumeRow:
      case kDifficultyRow:
      case kConfirmation: step_ = static_cast<Step>(step_ - 1); break;
      default: break;
    }
  }
}

void NewGameSetup::StartGame() {
  game.screenEntered = 0;
  StopMusic();
  LoadPlayerSprites();
  game.gameState = STATE_EVENT_ONLY;
  if (game.character == 2) game.gameMode = kModeThirdStory;
  ResetNewGame();
  game.storyScene.Create(OpeningSceneOf(game.character));
  const uint8_t* prefs = game.prefsFile;
  if (game.character <= 1) {
    for (int i = 0; i < 3; ++i) {
      if (prefs[kBonusGadgetBytes[game.character][i]] != 0) player.gadgets[kBonusGadgets[i]] = 1;
    }
  } else {
    GiveMissionStartLoadout(1);
  }
  char path[32];
  std::snprintf(path, sizeof path, kSavePathFormat, game.saveSlot);
  WriteSaveRecord(path, 0);
}
