#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"

namespace {

enum OptionRow {
  kRowBgmVolume,
  kRowSeVolume,
  kRowGraphics,
  kRowAutoSave,
  kRowScreenMode,
  kRowWindowScale,
  kRowStageMusic,
  kRowKeyConfig,
  kRowBack,
  kOptionRowCount
};

constexpr int kVolumeStep = 10;
constexpr int kMaxVolume = 100;
// Wrapping the music volume round to the top sets the playing music to the full 255.
constexpr int kWrappedMusicVolume = 255;
constexpr int kWrappedSoundVolume = 255;
constexpr int kMaxGraphicsLevel = 2;
constexpr int kMaxWindowScale = 2;
constexpr int kLastStageMusic = 7;
constexpr int kLastUnlockedStageMusic = 9;
constexpr int kMenuSounds[] = {kSoundConfirm, kSoundCursor, kSoundCancel};
constexpr int kTitleOptionsEntry = 3;

struct RowPiece {
  int y, sourceY, height;
};
constexpr RowPiece kRowPieces[kOptionRowCount] = {
    {125, 46, 45},  {170, 91, 45},  {215, 136, 45}, {260, 181, 40}, {305, 226, 40},
    {345, 266, 40}, {385, 306, 40}, {425, 346, 40}, {465, 386, 40},
};
constexpr int kRowX = 167;
constexpr int kRowWidth = 220;

constexpr int kBgmBarsY = 135;
constexpr int kSeBarsY = 176;

struct Piece {
  int x, y, sourceX, sourceY, width, height;
};
constexpr Piece kGraphicsChoices[3] = {
    {420, 220, 235, 530, 97, 36}, {510, 222, 235, 565, 97, 36}, {617, 222, 235, 600, 97, 36}};
constexpr Piece kWindowScaleChoices[3] = {
    {405, 345, 235, 635, 97, 36}, {495, 345, 235, 670, 97, 36}, {585, 345, 235, 705, 97, 36}};
constexpr Piece kAutoSaveOn = {410, 260, 0, 596, 220, 43};
constexpr Piece kAutoSaveOff = {470, 264, 0, 641, 220, 40};
constexpr Piece kFullScreenChoice = {410, 305, 0, 596, 220, 43};
constexpr Piece kWindowChoice = {470, 309, 0, 641, 220, 40};
constexpr Piece kScreenModeNote = {540, 305, 3, 683, 150, 29};
constexpr Piece kWindowScaleNote = {470, 365, 3, 683, 150, 29};

const char* const kHelpLines[kOptionRowCount] = {
    "ＢＧＭのボリュームを調整できます。",
    "効果音のボリュームを調整できます。",
    nullptr,  // by graphics level
    "自動セーブを設定できます。ブリーフィングモードに切り替わったタイミングでセーブします。",
    "スクリーンモードを変更できます。",
    "画面解像度を変更できます。解像度が小さくなるほど見辛くなりますが、高速になります。",
    "ステージ中に再生するBGMを固定できます。",
    "キーアサインを変更できます。",
    "タイトル画面へ戻ります。",
};
const char* const kGraphicsHelp[3] = {
    "グラフィックレベル(高) … 最高画質でエフェクトのクオリティも高く、高スペックPC向け。",
    "グラフィックレベル(中) … いくつかのエフェクトを簡略化することで、処理速度を向上。",
    "グラフィックレベル(低) … 重い画像処理をほとんど省き、処理速度重視。暗闇の演出も簡略化。",
};

void DrawPiece(const Piece& p, int graph) {
  DrawRectGraph(p.x, p.y, p.sourceX, p.sourceY, p.width, p.height, graph, 1, 0);
}

void DrawHalf(const Piece& p, int graph) {
  SetDrawBlendMode(kBlendAlpha, kHalfStrength);
  DrawPiece(p, graph);
  SetDrawBlendMode(kBlendNone, 0);
}

void DrawLeftArrow(int x, int y, int graph) { DrawRectGraph(x, y, 9, 558, 23, 33, graph, 1, 0); }
void DrawRightArrow(int x, int y, int graph) { DrawRectGraph(x, y, 67, 558, 23, 33, graph, 1, 0); }

bool StageMusicUnlocked() { return game.prefsFile[settings_byte::kSecondStoryUnlocked] != 0; }

bool StageMusicCanStepUp() {
  return game.fixedStageBgm < kLastStageMusic ||
         (StageMusicUnlocked() && game.fixedStageBgm < kLastUnlockedStageMusic);
}

void DrawOptions() {
  const int pieces = game.graphs[graph_slot::kOptionPieces];
  const int row = game.menuCursor;
  DrawRectGraph(0, 0, 0, 0, kScreenWidth, kScreenHeight, game.graphs[graph_slot::kOptionBack], 1, 0);
  DrawRectGraph(340, 32, 0, 7, 127, 47, pieces, 1, 0);

  SetDrawBlendMode(kBlendAlpha, kHalfStrength);
  DrawRectGraph(kRowX, 127, 0, 48, kRowWidth, 380, pieces, 1, 0);
  SetDrawBlendMode(kBlendNone, 0);
  if (row >= 0 && row < kOptionRowCount) {
    const RowPiece& r = kRowPieces[row];
    DrawRectGraph(kRowX, r.y, 0, r.sourceY, kRowWidth, r.height, pieces, 1, 0);
  }

  for (int i = 0; i < game.bgmVolume / kVolumeStep; ++i) DrawRectGraph(420 + 22 * i, kBgmBarsY, 12, 514, 25, 40, pieces, 1, 0);
  for (int i = 0; i < game.seVolume / kVolumeStep; ++i) DrawRectGraph(420 + 22 * i, kSeBarsY, 12, 514, 25, 40, pieces, 1, 0);
  if (row == kRowBgmVolume || row == kRowSeVolume) {
    const int y = row == kRowBgmVolume ? kBgmBarsY : kSeBarsY;
    DrawLeftArrow(395, y + 3, pieces);
    DrawRightArrow(645, y + 3, pieces);
  }

  for (const Piece& choice : kGraphicsChoices) DrawHalf(choice, pieces);
  if (game.graphicsLevel <= kMaxGraphicsLevel) DrawPiece(kGraphicsChoices[game.graphicsLevel], pieces);

  DrawHalf(kAutoSaveOn, pieces);
  DrawHalf(kAutoSaveOff, pieces);
  DrawPiece(game.autoSave ? kAutoSaveOn : kAutoSaveOff, pieces);

  DrawHalf(kFullScreenChoice, pieces);
  DrawHalf(kWindowChoice, pieces);
  DrawPiece(game.fullScreen == 1 ? kFullScreenChoice : kWindowChoice, pieces);
  if (row == kRowScreenMode) DrawPiece(kScreenModeNote, pieces);

  for (const Piece& choice : kWindowScaleChoices) DrawHalf(choice, pieces);
  if (game.windowScale <= kMaxWindowScale) DrawPiece(kWindowScaleChoices[game.windowScale], pieces);
  if (row == kRowWindowScale) DrawPiece(kWindowScaleNote, pieces);

  DrawRectGraph(405, 375, 0, 50 * game.fixedStageBgm, 300, 50, game.graphs[graph_slot::kOptionMusicNames], 1, 0);
  if (game.fixedStageBgm > 0) DrawLeftArrow(395, 385, pieces);
  if (StageMusicCanStepUp()) DrawRightArrow(662, 385, pieces);

  const int bar = game.graphs[graph_slot::kBottomBar];
  DrawRectGraph(120, 541, 0, 186, 414, 34, bar, 1, 0);
  DrawRectGraph(360, 541, 0, 223, 335, 34, bar, 1, 0);
  if (row >= 0 && row < kOptionRowCount) {
    const char* help = row == kRowGraphics ? kGraphicsHelp[game.graphicsLevel <= kMaxGraphicsLevel ? game.graphicsLevel : 0]
                                           : kHelpLines[row];
    DrawFormatString(127, 552, GetColor(kMenuTextRed, kMenuTextGreen, kMenuTextBlue), "%s", help);
  }
}

void SetMenuSoundVolume(int volume) {
  for (int index : kMenuSounds) SetSoundVolume(volume, game.sounds[index]);
}

void SetAllSoundVolumes() {
  for (int i = 0; i < kSoundSlots; ++i) SetSoundVolume(game.seVolume, game.sounds[i]);
}

void StepLeft() {
  switch (game.menuCursor) {
    case kRowBgmVolume:
      if (game.bgmVolume <= 0) {
        game.bgmVolume = kMaxVolume;
        SetMusicVolume(kWrappedMusicVolume);
      } else {
        game.bgmVolume -= kVolumeStep;
        SetMusicVolume(game.bgmVolume);
      }
      break;
    case kRowSeVolume:
      if (game.seVolume <= 0) {
        game.seVolume = kMaxVolume;
        SetMenuSoundVolume(kWrappedSoundVolume);
      } else {
        game.seVolume -= kVolumeStep;
        SetMenuSoundVolume(game.seVolume);
      }
      PlaySoundEffect(kSoundCursor);
      break;
    case kRowGraphics:
      if (game.graphicsLevel > 0) {
        --game.graphicsLevel;
        PlaySoundEffect(kSoundCursor);
      }
      break;
    case kRowAutoSave:
      if (game.autoSave == 0) {
        game.autoSave = 1;
        PlaySoundEffect(kSoundCursor);
      }
      break;
    case kRowScreenMode:
      if (game.fullScreen != 1) {
        game.fullScreen = 1;
        PlaySoundEffect(kSoundCursor);
      }
      break;
    case kRowWindowScale:
      if (game.windowScale > 0) {
        --game.windowScale;
        PlaySoundEffect(kSoundCursor);
      }
      break;
    case kRowStageMusic:
      if (game.fixedStageBgm > 0) {
        --game.fixedStageBgm;
        PlaySoundEffect(kSoundCursor);
      }
      break;
    default:
      break;
  }
}

void StepRight() {
  switch (game.menuCursor) {
    case kRowBgmVolume:
      game.bgmVolume = game.bgmVolume >= kMaxVolume ? 0 : game.bgmVolume + kVolumeStep;
      SetMusicVolume(game.bgmVolume);
      break;
    case kRowSeVolume:
      game.seVolume = game.seVolume >= kMaxVolume ? 0 : game.seVolume + kVolumeStep;
      SetMenuSoundVolume(game.seVolume);
      PlaySoundEffect(kSoundCursor);
      break;
    case kRowGraphics:
      if (game.graphicsLevel < kMaxGraphicsLevel) {
        ++game.graphicsLevel;
        PlaySoundEffect(kSoundCursor);
      }
      break;
    case kRowAutoSave:
      if (game.autoSave != 0) {
        game.autoSave = 0;
        PlaySoundEffect(kSoundCursor);
      }
      break;
    case kRowScreenMode:
      if (game.fullScreen == 1) {
        game.fullScreen = 0;
        PlaySoundEffect(kSoundCursor);
      }
      break;
    case kRowWindowScale:
      if (game.windowScale < kMaxWindowScale) {
        ++game.windowScale;
        PlaySoundEffect(kSoundCursor);
      }
      break;
    case kRowStageMusic:
      if (StageMusicCanStepUp()) {
        ++game.fixedStageBgm;
        PlaySoundEffect(kSoundCursor);
      }
      break;
    default:
      break;
  }
}

void Confirm() {
  if (game.menuCursor == kRowKeyConfig) {
    PlaySoundEffect(kSoundConfirm);
    game.gameState = STATE_KEY_CONFIG;
    game.screenEntered = 0;
    game.menuCursor = 0;
    WriteSettingsFile();
    SetAllSoundVolumes();
  } else if (game.menuCursor == kRowBack) {
    PlaySoundEffect(kSoundConfirm);
    WriteSettingsFile();
    SetAllSoundVolumes();
    game.gameState = STATE_TITLE;
    game.menuCursor = kTitleOptionsEntry;
    game.screenCounter = 0;
    game.screenFade = 0;
    game.scrollX = 0;
    game.scrollY = 0;
    // The title keeps its entry done (and its music); its pictures are loaded here.
    LoadScreenGraphics();
  }
}

// Runs the step once per press.
template <class Step>
void Latched(Step step) {
  if (game.keyLatch != 0) return;
  game.keyLatch = 1;
  step();
}

}  // namespace

void UpdateOptions(int pad) {
  if (game.screenEntered == 0) {
    game.screenEntered = 1;
    game.menuCursor = 0;
    LoadScreenGraphics();
  }
  DrawOptions();

  if ((pad & kPadUp) != 0) {
    Latched([] {
      PlaySoundEffect(kSoundCursor);
      game.menuCursor = game.menuCursor <= 0 ? kOptionRowCount - 1 : game.menuCursor - 1;
    });
  } else if ((pad & kPadDown) != 0) {
    Latched([] {
      PlaySoundEffect(kSoundCursor);
      game.menuCursor = game.menuCursor >= kOptionRowCount - 1 ? 0 : game.menuCursor + 1;
    });
  } else if ((pad & kPadLeft) != 0) {
    Latched(StepLeft);
  } else if ((pad & kPadRight) != 0) {
    Latched(StepRight);
  } else if (game.action[kActionConfirm] != 0) {
    Latched(Confirm);
  } else {
    game.keyLatch = 0;
  }
}
