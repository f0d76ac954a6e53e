#include "game/shell/notice_screens.h"

#include <cstdio>
#include <cstring>

#include "game/mission/stage_loader.h"
#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "game/shell/user_files.h"
#include "game/story/story_scene.h"
#include "runtime/api.h"

namespace {

constexpr int kOpaque = 255;
// "gsx/briefing_back.png" in the trial-bonus set.
constexpr int kScreenBackSlot = 76;

void DrawBlackScreen() { DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1); }

void DrawLoadingScreen() {
  DrawBlackScreen();
  DrawGraph(520, 420, game.graphs[graph_slot::kLoading], 1);
}

void DrawFullScreenBox(int alpha, unsigned colour) {
  SetDrawBlendMode(kBlendAlpha, alpha < 0 ? 0 : (alpha > kOpaque ? kOpaque : alpha));
  DrawBox(0, 0, kScreenWidth, kScreenHeight, colour, 1);
  SetDrawBlendMode(kBlendNone, 0);
}

// ---- Unlock notices ----

// Settings bytes of the unlocks.
constexpr int kUnlockSecondStory = 15;
constexpr int kUnlockHardMode = 22;
constexpr int kUnlockStealthFirst = 27, kUnlockRibbonFirst = 28, kUnlockOpticalFirst = 29;
constexpr int kUnlockStealthSecond = 31, kUnlockRibbonSecond = 32, kUnlockOpticalSecond = 33;
constexpr int kUnlockStealthThird = 36, kUnlockRibbonThird = 37, kUnlockOpticalThird = 38;

constexpr int kTargetsForFirstCharacter = 152;
constexpr int kTargetsForOtherCharacters = 80;
constexpr int kIncapacitationLimit = 11;
constexpr int kMissionResultsFirst = 400;
constexpr int kMissionCount = 24;
constexpr int kMissionResultNeeded = 100;

constexpr int kNoticeShowing = 1;
constexpr int kNoticeWaiting = 2;
constexpr int kNoticeFading = 3;
constexpr int kNoticeHoldFrames = 100;
constexpr int kNoticeFadeStep = 5;
constexpr int kNoticeFadeDone = 250;

struct Unlock {
  int byte;
  const char* line;
};
constexpr Unlock kHardMode = {kUnlockHardMode, "ハードモードがプレイ可能になりました。"};
constexpr Unlock kSecondStory = {kUnlockSecondStory, "テヴァニ編がプレイ可能になりました。"};
constexpr Unlock kStealth[2] = {
    {kUnlockStealthFirst, "ステルス迷彩が最初から使用可能になりました。"},
    {kUnlockStealthSecond, "テヴァニ編にて、ステルス迷彩が最初から使用可能になりました。"}};
constexpr Unlock kRibbon[2] = {
    {kUnlockRibbonFirst, "無限リボンが最初から使用可能になりました。"},
    {kUnlockRibbonSecond, "テヴァニ編にて、無限リボンが最初から使用可能になりました。"}};
constexpr Unlock kOptical[2] = {
    {kUnlockOpticalFirst, "光学迷彩最初から使用可能になりました。"},
    {kUnlockOpticalSecond, "テヴァニ編にて、光学迷彩が最初から使用可能になりました。"}};
constexpr Unlock kRibbonThird = {kUnlockRibbonThird, "スヴェル編にて、無限リボンが最初から使用可能になりました。"};
constexpr Unlock kOpticalThird = {kUnlockOpticalThird, "スヴェル編にて、光学迷彩が最初から使用可能になりました。"};
constexpr Unlock kStealthThird = {kUnlockStealthThird, "スヴェル編にて、ステルス迷彩が最初から使用可能になりました。"};

const char* shownNotice = nullptr;

bool Unlocked(int byte) { return game.prefsFile[byte] != 0; }

// A row of the first two characters: only the character's own byte can be granted.
const Unlock* ForFirstTwo(const Unlock (&pair)[2]) {
  if (game.character > 1 || Unlocked(pair[game.character].byte)) return nullptr;
  return &pair[game.character];
}

bool AllMissionsWellDone() {
  for (int i = 0; i < kMissionCount; ++i) {
    if (game.saveRecord[kMissionResultsFirst + i] < kMissionResultNeeded) return false;
  }
  return true;
}

// The rows are an else-if chain on each row's first test: once a row's first test holds,
// the later rows wait until that row has been granted.
const Unlock* NextUnlock() {
  const int character = game.character;
  const bool normal = game.difficulty == 0;
  const int targetsNeeded = character == 0 ? kTargetsForFirstCharacter : kTargetsForOtherCharacters;
  if (normal && character == 0 && !Unlocked(kUnlockHardMode)) return &kHardMode;
  if (normal && character == 0 && !Unlocked(kUnlockSecondStory)) return &kSecondStory;
  if (game.targetsDestroyed >= targetsNeeded) return ForFirstTwo(kStealth);
  if (game.detections == 0) return ForFirstTwo(kRibbon);
  if (game.incapacitations < kIncapacitationLimit) return ForFirstTwo(kOptical);
  if (character == 2 && !Unlocked(kUnlockRibbonThird)) return AllMissionsWellDone() ? &kRibbonThird : nullptr;
  if (character == 2 && !Unlocked(kUnlockOpticalThird)) return AllMissionsWellDone() ? &kOpticalThird : nullptr;
  if (character == 2 && game.difficulty == 1 && !Unlocked(kUnlockStealthThird)) return &kStealthThird;
  return nullptr;
}

void StartUnlockNotice() {
  game.screenEntered = 1;
  game.screenTimer = kNoticeShowing;
  game.screenCounter = 0;
  game.screenFade = 0;
  shownNotice = nullptr;
  if (const Unlock* unlock = NextUnlock()) {
    game.prefsFile[unlock->byte] = 1;
    shownNotice = unlock->line;
  } else {
    game.screenEntered = 0;
    game.gameState = STATE_TITLE;
    game.menuCursor = 0;
    game.screenTimer = 0;
    DrawLoadingScreen();
  }
  WriteSettingsFile();
}

// ---- Trial-clear bonus ----

struct BonusBox {
  int x, y, noiseX, noiseY, labelX, labelY;
  const char* label;
};
constexpr BonusBox kBonusBoxes[2] = {
    {50, 50, 51, 49, 110, 61, "CODE:K スニーキングスーツ"},
    {90, 95, 91, 94, 150, 106, "ゼンモル神社 巫女服"},
};
constexpr int kBonusBoxWidth = 266;
constexpr int kLitBoxSourceY = 77, kLitBoxHeight = 42, kBoxHeight = 38;

void DrawTrialBonus() {
  const int* g = game.graphs;
  DrawBlackScreen();
  DrawGraph(0, 0, g[kScreenBackSlot], 1);
  DrawFormatString(21, 13, GetColor(128, 128, 255), "体験版クリア特典");
  DrawFormatString(20, 12, GetColor(255, 255, 255), "体験版クリア特典");
  for (int i = 0; i < 2; ++i) {
    const BonusBox& box = kBonusBoxes[i];
    if (i == game.menuCursor) {
      DrawRectGraph(box.x, box.y, 0, kLitBoxSourceY, kBonusBoxWidth, kLitBoxHeight, g[graph_slot::kButtons], 1, 0);
      DrawNoiseBand(box.noiseX, box.noiseY);
    } else {
      DrawRectGraph(box.x, box.y, 0, 0, kBonusBoxWidth, kBoxHeight, g[graph_slot::kButtons], 1, 0);
    }
    DrawFormatString(box.labelX, box.labelY, GetColor(kMenuTextRed, kMenuTextGreen, kMenuTextBlue), "%s", box.label);
  }
}

// ---- Ending picture ----

constexpr int kEndingSlot = 64;
constexpr char kEndingPicture[] = "gsx/end_info.png";
constexpr int kEndingStep = 2;
constexpr int kEndingHold = 254;
constexpr int kEndingDone = 510;

// ---- Error screens ----

struct ErrorLine {
  int y;
  bool white;
  const char* text;
};
constexpr char kMakerAddress[] = "https://www.quorvane.example/";
constexpr ErrorLine kFileErrorLines[] = {
    {50, true, "ファイルエラー"},
    {100, false, "ファイルが読み込めません。"},
    {130, false, "アプリケーションを再起動してください。"},
    {160, false, "再起動しても直らない場合は。"},
    {190, false, "本アプリケーションを再インストールしてください。"},
    {220, false, "又は、最新のアップデートプログラムを適用してください。"},
    {300, false, "Quorvane公式サイトからダウンロードできます。"},
    {340, false, kMakerAddress},
    {440, true, "Escキーで本ゲームを終了します。"},
};
constexpr ErrorLine kVersionErrorLines[] = {
    {50, true, "バージョンチェックエラー"},
    {100, false, "このバージョンのサイレントデッキ CODE:K を動作させるには、"},
    {140, false, "patch.aknファイルをアップデートする必要があります。"},
    {180, false, "アップデートパッチに同梱されているpatch.aknファイルを"},
    {220, false, "お使いの同ファイルに上書き保存(無い場合は新規保存)してください。"},
    {300, false, "Quorvane公式サイトからダウンロードできます。"},
    {340, false, kMakerAddress},
    {440, true, "Escキーで本ゲームを終了します。"},
};
constexpr int kErrorTextX = 30;

template <size_t N>
void DrawErrorScreen(const ErrorLine (&lines)[N]) {
  DrawBlackScreen();
  const unsigned white = GetColor(255, 255, 255);
  const unsigned red = GetColor(255, 128, 128);
  for (const ErrorLine& line : lines) DrawFormatString(kErrorTextX, line.y, line.white ? white : red, "%s", line.text);
}

}  // namespace

void UpdateStageLoad(int) {
  DrawLoadingScreen();
  ResetStageState();
  std::memcpy(game.checkpoint, game.saveRecord, sizeof game.checkpoint);
  if (LoadStage(game.missionNumber) != 0) {
    game.gameState = STATE_FILE_ERROR;
    game.screenEntered = 0;
    return;
  }
  game.gameState = game.gameMode == kModeStory ? STATE_STAGE_PLAY : STATE_STAGE_PLAY_MODE;
  game.screenEntered = 0;
}

void UpdateUnlockNotice(int) {
  if (game.screenEntered == 0) StartUnlockNotice();
  if (shownNotice != nullptr) DrawFormatString(200, 200, GetColor(255, 255, 255), "%s", shownNotice);
  if (game.screenEntered == 0) return;

  switch (game.screenTimer) {
    case kNoticeShowing:
      if (++game.screenCounter > kNoticeHoldFrames) game.screenTimer = kNoticeWaiting;
      break;
    case kNoticeWaiting:
      if (game.action[kActionConfirm] != 0) {
        game.screenTimer = kNoticeFading;
        game.screenFade = 0;
      }
      break;
    case kNoticeFading:
      game.screenFade += kNoticeFadeStep;
      DrawFullScreenBox(game.screenFade, GetColor(0, 0, 0));
      if (game.screenFade > kNoticeFadeDone) game.screenEntered = 0;
      break;
    default:
      break;
  }
}

const char* CurrentUnlockNotice() { return shownNotice; }

void UpdateTrialBonusNotice(int pad) {
  if (game.screenEntered == 0) {
    game.screenEntered = 1;
    game.menuCursor = 0;
    LoadScreenGraphics();
  }
  DrawTrialBonus();

  if ((pad & (kPadUp | kPadDown)) != 0) {
    if (game.keyLatch == 0) {
      game.keyLatch = 1;
      PlaySoundEffect(kSoundCursor);
      game.menuCursor = game.menuCursor == 0 ? 1 : 0;
    }
  } else if (game.action[kActionConfirm] != 0) {
    if (game.keyLatch == 0) {
      game.keyLatch = 1;
      PlaySoundEffect(kSoundConfirm);
      game.costume = static_cast<uint8_t>(game.menuCursor);
      game.character = 0;
      game.area = 0;
      game.subStage = 0;
      game.nextArea = 0;
      game.nextSubStage = 0;
      ResetNewGame();
      game.screenEntered = 0;
      StopMusic();
      LoadPlayerSprites();
      game.gameState = STATE_EVENT_ONLY;
      game.storyScene.Create(1);
      char path[32];
      std::snprintf(path, sizeof path, kSavePathFormat, game.saveSlot);
      WriteSaveRecord(path, 1);
    }
  } else if (game.action[kActionCancel] != 0) {
    if (game.keyLatch == 0) {
      game.keyLatch = 1;
      PlaySoundEffect(kSoundCancel);
      game.gameState = STATE_TITLE;
      game.screenEntered = 0;
    }
  } else {
    game.keyLatch = 0;
  }
}

void UpdateEndingStart(int) {
  if (game.screenEntered != 0) return;
  game.screenEntered = 1;
  game.storyScene.Create(0);
}

void UpdateEndingPicture(int) {
  int& v = game.menuCursor;
  if (game.screenEntered == 0) {
    game.screenEntered = 1;
    LoadGraphIntoSlot(kEndingSlot, kEndingPicture);
    // The fade counts in steps of two and waits at one exact value; a cursor left odd by
    // the previous screen would step past the wait.
    v = 0;
    return;
  }
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(255, 255, 255), 1);
  DrawRectGraph(0, 0, 0, 0, kScreenWidth, kScreenHeight, game.graphs[kEndingSlot], 1, 0);
  if (v < kEndingHold) {
    v += kEndingStep;
    DrawFullScreenBox(kOpaque - v, GetColor(0, 0, 0));
  } else if (v == kEndingHold) {
    if (game.action[kActionConfirm] != 0) v += kEndingStep;
  } else {
    v += kEndingStep;
    DrawFullScreenBox(v - kOpaque, GetColor(255, 255, 255));
    if (v >= kEndingDone) {
      game.gameState = STATE_TITLE;
      v = 0;
      game.screenEntered = 0;
      DeleteGraphSlot(kEndingSlot);
    }
  }
}

void UpdateStillPicture(int) {
  game.screenEntered = 1;
  DrawGraph(0, 0, game.graphs[kScreenBackSlot], 1);
}

void UpdateFileError(int) { DrawErrorScreen(kFileErrorLines); }

void UpdateVersionError(int) { DrawErrorScreen(kVersionErrorLines); }
