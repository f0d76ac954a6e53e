#include "game/shell/save_select.h"

#include <cstdio>
#include <cstring>

#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/briefing_screen.h"
#include "game/shell/new_game_setup.h"
#include "game/shell/screens.h"
#include "game/shell/user_files.h"
#include "game/story/story_scene.h"
#include "runtime/api.h"

namespace {

constexpr char kStartMenuPath[] = "patch/start_menu.png";
constexpr char kButtonsPath[] = "gsx/briefing11.png";
constexpr char kBackgroundPath[] = "gsx/briefing_back.png";

// Trial-record bytes: the two clear flags.
constexpr int kTrialClearFlagA = 12;
constexpr int kTrialClearFlagB = 13;

// Save-record bytes the summary reads beyond the shell's own.
constexpr int kDestroyedTargetsFirst = 300;
constexpr int kDestroyedTargetsLast = 360;
constexpr int kMissionResultsFirst = 400;
constexpr int kMissionCount = 24;
constexpr uint8_t kLastInUseValue = 3;
constexpr uint8_t kThirdCharacter = 2;

constexpr int kFadeStep = 10;
constexpr int kFadeDone = 250;
constexpr int kOpaque = 255;
constexpr int kSoundDeleted = 30;

constexpr int kSlotPitch = 160;
constexpr int kSlotTop = 98;
constexpr int kSlotLeft = 132;
constexpr int kMenuActionCount = 3;
constexpr int kActionStart = 0;
constexpr int kActionDelete = 1;
constexpr int kActionBack = 2;
constexpr int kChoiceYes = 0;
constexpr int kHighlightStrength = 96;
constexpr int kHighlightFlickerChance = 5;
constexpr int kNoiseBandMax = 4;

const char* const kActionWords[kMenuActionCount] = {"開始", "消去", "戻る"};
const char* const kAreaNames[] = {" 船尾甲板",          " 船尾・一般区画 ",  " 連絡橋～管制区画",
                                  " 通気口～制御区画", " 貨物区画",          " 研究区画",
                                  " 動力区画",          " 船首区画"};
constexpr int kAreaNameCount = 8;

unsigned MenuText() { return GetColor(kMenuTextRed, kMenuTextGreen, kMenuTextBlue); }
unsigned White() { return GetColor(255, 255, 255); }

void SlotPath(char* path, size_t size, int slotNumber) { std::snprintf(path, size, kSavePathFormat, slotNumber); }

void DrawLoadingScreen() {
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  DrawGraph(520, 420, game.graphs[graph_slot::kLoading], 1);
}

void DrawGlowText(int x, int y, unsigned colour, const char* text, bool selected) {
  DrawFormatString(x, y, colour, "%s", text);
  if (!selected) return;
  SetDrawBlendMode(kBlendAdd, kSelectedTextGlow);
  DrawFormatString(x, y, colour, "%s", text);
  SetDrawBlendMode(kBlendNone, 0);
}

// The flickering yellow bar under the action or answer the inner cursor is on.
void DrawYellowBar(int top, int bottom) {
  const int passes = GetRandom(kHighlightFlickerChance) == 0 ? 2 : 1;
  for (int i = 0; i < passes; ++i) {
    SetDrawBlendMode(kBlendAlpha, kHighlightStrength);
    DrawBox(465, top, 608, bottom, GetColor(255, 255, 0), 1);
    SetDrawBlendMode(kBlendNone, 0);
  }
}

}  // namespace

bool HasTrialClearBonus() {
  std::FILE* file = std::fopen(kTrialClearPath, "rb");
  if (file == nullptr) return false;
  uint8_t record[kTrialClearBytes] = {};
  std::fread(record, 1, sizeof record, file);
  std::fclose(file);
  return record[kTrialClearFlagA] != 0 && record[kTrialClearFlagB] != 0;
}

bool SaveSlotInfo::Used() const { return record[save_byte::kInUse] != 0 && record[save_byte::kInUse] <= kLastInUseValue; }

void SaveSlotInfo::Derive() {
  const uint8_t* r = record;
  character = r[save_byte::kCharacter];
  year = static_cast<uint16_t>(r[save_byte::kYear] * 256 + r[save_byte::kYear + 1]);
  month = r[save_byte::kMonth];
  day = r[save_byte::kMonth + 1];
  hour = r[save_byte::kMonth + 2];
  minute = r[save_byte::kMonth + 3];
  second = r[save_byte::kMonth + 4];
  difficulty = r[save_byte::kDifficulty];
  detections = static_cast<uint16_t>(r[save_byte::kDetections] * 256 + r[save_byte::kDetections + 1]);
  incapacitations =
      static_cast<uint16_t>(r[save_byte::kIncapacitations] * 256 + r[save_byte::kIncapacitations + 1]);
  int sum = 0;
  for (int i = kDestroyedTargetsFirst; i <= kDestroyedTargetsLast; ++i) sum += r[i];
  targetsDestroyed = static_cast<uint16_t>(sum);
}

SaveSelect::SaveSelect() {
  game.newGameSetup.Retire();
  fade_ = 0;
  phase_ = kFadeIn;
  startMenu_ = LoadGraph(kStartMenuPath, 0);
  buttons_ = LoadGraph(kButtonsPath, 0);
  background_ = LoadGraph(kBackgroundPath, 0);
  LoadSlots();
}

// The screen's own pictures are freed with it: they are loaded again on every visit and
// no screen graph set knows them.
SaveSelect::~SaveSelect() {
  for (int graph : pictures_) {
    if (graph != -1) DeleteGraph(graph, 0);
  }
}

void SaveSelect::LoadSlots() {
  for (int n = 1; n <= kSaveSlotCount; ++n) {
    SaveSlotInfo& slot = slots_[n - 1];
    char path[32];
    SlotPath(path, sizeof path, n);
    // A short or missing file must not leave an earlier reading's bytes in place: after
    // a delete they would show the deleted save again.
    std::memset(slot.record, 0, sizeof slot.record);
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
      WriteUserFile(path, slot.record, kSaveRecordBytes);
      slot.Derive();
      continue;
    }
    std::fread(slot.record, 1, sizeof slot.record, file);
    std::fclose(file);
    slot.Derive();
  }
}

void SaveSelect::DrawFade(int alpha) const {
  SetDrawBlendMode(kBlendAlpha, alpha < 0 ? 0 : (alpha > kOpaque ? kOpaque : alpha));
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  SetDrawBlendMode(kBlendNone, 0);
}

void SaveSelect::DrawFrame() const {
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  DrawGraph(0, 0, background_, 1);
  DrawRectGraph(230, 20, 185, 200, 327, 54, buttons_, 1, 0);
  DrawRectGraph(325, 34, 210, 136, 141, 31, startMenu_, 1, 0);
  for (int i = 0; i < kSaveSlotCount; ++i) DrawRectGraph(150, 108 + kSlotPitch * i, 0, 0, 512, 122, startMenu_, 1, 0);
}

void SaveSelect::DrawSlot(int index) const {
  const SaveSlotInfo& slot = slots_[index];
  const int x0 = kSlotLeft;
  const int y0 = kSlotTop + kSlotPitch * index;
  const bool chosen = index == game.menuCursor;

  const int boxSourceY = chosen ? 77 : 0;
  DrawRectGraph(x0, y0, 0, boxSourceY, 100, 43, buttons_, 1, 0);
  DrawRectGraph(x0 + 100, y0, 175, boxSourceY, 90, 43, buttons_, 1, 0);
  if (chosen) {
    const int passes = 1 + GetRandom(kNoiseBandMax);
    for (int i = 0; i < passes; ++i) {
      SetDrawBlendMode(kBlendAdd, kHighlightStrength);
      DrawRectGraph(x0 + 1, y0 - 1, 245, 157, 100, 38, buttons_, 1, 0);
      DrawRectGraph(x0 + 101, y0 - 1, 420, 157, 90, 38, buttons_, 1, 0);
      SetDrawBlendMode(kBlendNone, 0);
    }
  }
  char title[24];
  std::snprintf(title, sizeof title, "Data - %d", index + 1);
  DrawGlowText(217, y0 + 11, MenuText(), title, chosen);

  if (!slot.Used()) {
    DrawFormatString(x0 + 225, y0 + 65, White(), "--- No Data ---");
    return;
  }

  const bool third = slot.character == kThirdCharacter;
  const bool secondCostume = slot.record[save_byte::kCostume] != 0;
  int portraitX = 0, portraitY = 404;
  if (slot.character == 0) {
    portraitX = secondCostume ? 120 : 0;
  } else if (slot.character == 1) {
    portraitX = secondCostume ? 360 : 240;
  } else {
    portraitX = secondCostume ? 120 : 0;
    portraitY = 296;
  }
  DrawRectGraph(third ? 155 : 152, y0 + 20, portraitX, portraitY, 120, 108, startMenu_, 1, 0);

  DrawFormatString(x0 + 150, y0 + 40, White(), "%d/%d/%d  %d:%2d", slot.year, slot.month, slot.day, slot.hour,
                   slot.minute);
  DrawFormatString(x0 + 150, y0 + 65, MenuText(), "位置　　：");
  if (third) {
    int cleared = 0;
    for (int i = 0; i < kMissionCount; ++i) cleared += slot.record[kMissionResultsFirst + i] != 0;
    if (cleared < kMissionCount) {
      DrawFormatString(x0 + 210, y0 + 65, White(), " ステージ %d", cleared);
    } else {
      DrawFormatString(x0 + 210, y0 + 65, White(), " 全ステージ制覇");
    }
  } else {
    const int area = slot.record[save_byte::kNextArea];
    if (area < kAreaNameCount) DrawFormatString(x0 + 210, y0 + 65, White(), "%s", kAreaNames[area]);
  }
  DrawFormatString(x0 + 150, y0 + 90, MenuText(), "難易度　：");
  DrawFormatString(x0 + 150, y0 + 90, White(), "%s", slot.difficulty == 0 ? " 　　　　　ノーマル" : " 　　　　　ハード");

  const char* const labels[3] = {"発覚回数　　：", "戦闘不能回数：", "標的破壊数　："};
  const int values[3] = {slot.detections, slot.incapacitations, slot.targetsDestroyed};
  for (int i = 0; i < 3; ++i) {
    const int y = y0 + 40 + 25 * i;
    DrawFormatString(x0 + 350, y, MenuText(), "%s", labels[i]);
    if (third) {
      DrawFormatString(x0 + 445, y, White(), "--");
    } else {
      DrawFormatString(x0 + 445, y, White(), "%d", values[i]);
    }
  }
}

void SaveSelect::DrawActionMenu() const {
  const int s = game.menuCursor;
  const int inner = game.screenFade;
  DrawRectGraph(450, 140 + kSlotPitch * s, 6, 130, 178, 110, startMenu_, 1, 0);
  DrawYellowBar(162 + kSlotPitch * s + 23 * inner, 180 + kSlotPitch * s + 23 * inner);
  for (int word = 0; word < kMenuActionCount; ++word) {
    const int y = 165 + kSlotPitch * s + 23 * word;
    DrawFormatString(523, y, MenuText(), "%s", kActionWords[word]);
    if (word == kActionDelete && !slots_[s].Used()) {
      DrawFormatString(523, y, GetColor(96, 96, 96), "%s", kActionWords[word]);
    }
    if (word == inner) {
      SetDrawBlendMode(kBlendAdd, kSelectedTextGlow);
      DrawFormatString(523, y, MenuText(), "%s", kActionWords[word]);
      SetDrawBlendMode(kBlendNone, 0);
    }
  }
}

void SaveSelect::DrawDeleteConfirmation() const {
  const int s = game.menuCursor;
  const int choice = game.screenFade;
  DrawRectGraph(450, 140 + kSlotPitch * s, 6, 130, 178, 110, startMenu_, 1, 0);
  DrawYellowBar(185 + kSlotPitch * s + 23 * choice, 203 + kSlotPitch * s + 23 * choice);
  DrawFormatString(480, 165 + kSlotPitch * s, GetColor(255, 96, 96), "データを消去します");
  const char* const answers[2] = {"は　い", "いいえ"};
  for (int i = 0; i < 2; ++i) DrawGlowText(515, 188 + kSlotPitch * s + 23 * i, MenuText(), answers[i], i == choice);
}

void SaveSelect::Update(int pad) {
  if (game.screenEntered == 0) {
    LoadScreenGraphics();
    game.screenEntered = 1;
  }
  DrawFrame();
  for (int i = 0; i < kSaveSlotCount; ++i) DrawSlot(i);

  switch (phase_) {
    case kFadeIn:
      DrawFade(kOpaque - fade_);
      fade_ += kFadeStep;
      if (fade_ > kFadeDone) {
        phase_ = kChooseSlot;
        fade_ = 0;
      }
      break;
    case kActionMenu:
      DrawActionMenu();
      break;
    case kFadeToTitle:
      DrawFade(fade_);
      fade_ += kFadeStep;
      if (fade_ > kFadeDone) {
        game.gameState = STATE_TITLE;
        game.screenEntered = 0;
        game.menuCursor = 0;
      }
      break;
    case kFadeToStart:
      DrawFade(fade_);
      fade_ += kFadeStep;
      if (fade_ > kFadeDone) {
        phase_ = kStart;
        DrawLoadingScreen();
      }
      break;
    case kStart:
      // Starting may hand the screen to another object; nothing of this one runs after.
      StartChosenSlot();
      return;
    case kConfirmDelete:
      DrawDeleteConfirmation();
      break;
    default:
      break;
  }
  HandleInput(pad);
}

void SaveSelect::HandleInput(int pad) {
  auto latched = [](auto step) {
    if (game.keyLatch != 0) return;
    game.keyLatch = 1;
    step();
  };
  const bool up = (pad & kPadUp) != 0;
  if (up || (pad & kPadDown) != 0) {
    latched([this, up] {
      const int delta = up ? -1 : 1;
      if (phase_ == kChooseSlot) {
        PlaySoundEffect(kSoundCursor);
        game.menuCursor = (game.menuCursor + delta + kSaveSlotCount) % kSaveSlotCount;
        game.screenCounter = 0;
        game.screenFade = 0;
      } else if (phase_ == kActionMenu) {
        PlaySoundEffect(kSoundCursor);
        game.screenFade = (game.screenFade + delta + kMenuActionCount) % kMenuActionCount;
      } else if (phase_ == kConfirmDelete) {
        PlaySoundEffect(kSoundCursor);
        game.screenFade = game.screenFade == 0 ? 1 : 0;
      }
    });
  } else if (game.action[kActionConfirm] != 0) {
    latched([this] { Confirm(); });
  } else if (game.action[kActionCancel] != 0) {
    latched([this] {
      if (phase_ == kChooseSlot) {
        PlaySoundEffect(kSoundCancel);
        phase_ = kFadeToTitle;
      } else if (phase_ == kActionMenu) {
        phase_ = kChooseSlot;
        PlaySoundEffect(kSoundCancel);
      }
    });
  } else {
    game.keyLatch = 0;
    game.holdFrames = 0;
    game.holdStep = 0;
  }
}

void SaveSelect::Confirm() {
  if (phase_ == kChooseSlot) {
    PlaySoundEffect(kSoundConfirm);
    phase_ = kActionMenu;
  } else if (phase_ == kActionMenu) {
    switch (game.screenFade) {
      case kActionStart:
        phase_ = kFadeToStart;
        PlaySoundEffect(kSoundConfirm);
        break;
      case kActionDelete:
        if (slots_[game.menuCursor].Used()) {
          phase_ = kConfirmDelete;
          PlaySoundEffect(kSoundConfirm);
        }
        break;
      case kActionBack:
        game.screenFade = 0;
        phase_ = kChooseSlot;
        PlaySoundEffect(kSoundCancel);
        break;
      default:
        break;
    }
  } else if (phase_ == kConfirmDelete) {
    if (game.screenFade == kChoiceYes) {
      DeleteChosenSlot();
      LoadSlots();
      phase_ = kChooseSlot;
      PlaySoundEffect(kSoundDeleted);
    } else {
      phase_ = kActionMenu;
    }
  }
}

// A deleted slot becomes a whole record of zeros, so the file keeps the size every save
// file has.
void SaveSelect::DeleteChosenSlot() {
  char path[32];
  SlotPath(path, sizeof path, game.menuCursor + 1);
  const uint8_t empty[kSaveRecordBytes] = {};
  WriteUserFile(path, empty, kSaveRecordBytes);
}

void SaveSelect::StartChosenSlot() {
  const int n = game.menuCursor + 1;
  char path[32];
  SlotPath(path, sizeof path, n);

  if (slots_[game.menuCursor].Used()) {
    ReadSaveRecord(path);
    game.saveSlot = static_cast<uint8_t>(n);
    LoadPlayerSprites();
    if (game.character == kThirdCharacter) {
      game.gameMode = kModeThirdStory;
      game.gameState = STATE_MISSION_BRIEFING;
    } else {
      game.gameState = STATE_BRIEFING_MAP;
      game.briefing.Create();
    }
  } else if (game.prefsFile[settings_byte::kSecondStoryUnlocked] != 0) {
    game.saveSlot = static_cast<uint8_t>(n);
    game.gameState = STATE_NEW_GAME_SETUP;
    game.newGameSetup.Create();
  } else {
    const bool bonus = HasTrialClearBonus();
    game.character = 0;
    game.nextSubStage = 0;
    game.nextArea = 0;
    game.subStage = 0;
    game.area = 0;
    game.saveSlot = static_cast<uint8_t>(n);
    if (!bonus) {
      game.costume = 0;
      ResetNewGame();
      game.screenEntered = 0;
      StopMusic();
      LoadPlayerSprites();
      game.gameState = STATE_EVENT_ONLY;
      game.storyScene.Create(1);
    } else {
      game.screenEntered = 0;
      StopMusic();
      game.gameState = STATE_TRIAL_BONUS;
    }
    WriteSaveRecord(path, 0);
  }
  game.screenEntered = 0;
  DrawLoadingScreen();
}
