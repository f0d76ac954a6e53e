#include "game/shell/mission_briefing.h"

#include <cstdio>

#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"
#include "game/mission/shots.h"
#include "game/story/event_script.h"

namespace {

namespace ph = mission_briefing_phase;

constexpr int kSelectSheet = 84, kBack = 76, kDigits = 7, kResultSheet = 10;
constexpr int kMissionResultBase = 399;
constexpr int kRepeatDelay = 20;

enum MissionType { kNormal, kSneaking, kTarget };
struct MissionInfo {
  const char* name;
  MissionType type;
};
constexpr MissionInfo kMissions[kThirdStoryMissions] = {
    {"謎のタンカー船尾甲板　その１", kNormal}, {"謎のタンカー船尾甲板　その２", kNormal},
    {"謎のタンカー船尾甲板　その３", kTarget}, {"一般区画 エントランス", kNormal},
    {"一般区画 船倉-１", kNormal},              {"一般区画 船倉-２", kNormal},
    {"連絡橋", kSneaking},                      {"兵器製造室", kNormal},
    {"閉ざされた操舵室", kTarget},              {"ダクト", kNormal},
    {"危険物格納庫", kNormal},                  {"居住スペースへの空間", kNormal},
    {"貨物区画 兵器格納庫", kTarget},           {"廃棄物処理区画", kNormal},
    {"巨大倉庫", kNormal},                      {"厳重警戒通路", kSneaking},
    {"エネルギー 研究室", kTarget},             {"コア", kNormal},
    {"機械室 通路", kNormal},                   {"サウンドルーム", kSneaking},
    {"Ｖ８エンジンルーム", kSneaking},          {"マシンルーム", kNormal},
    {"ハードルーム", kNormal},                  {"謎のタンカー船首甲板", kSneaking},
};

unsigned MenuText() { return GetColor(kMenuTextRed, kMenuTextGreen, kMenuTextBlue); }
int G(int slot) { return game.graphs[slot]; }
int StoredResult(int mission) { return game.saveRecord[kMissionResultBase + mission]; }


void Enter() {
  game.screenEntered = 1;
  game.screenTimer = ph::kChoose;
  game.menuCursor = 0;
  game.screenFade = 0;
  game.screenCounter = 0;
  LoadScreenGraphics();
  char path[32];
  std::snprintf(path, sizeof path, kSavePathFormat, game.saveSlot);
  WriteSaveRecord(path, 1);
  PlayBgm("bzx/briefing.ogg", kPlayLoop);
  game.detections = 0;
  if (game.missionNumber < 1 || game.missionNumber > kThirdStoryMissions) game.missionNumber = 1;
  GiveMissionStartLoadout(0);
}

void DrawResultMarks(int result) {
  auto mark = [](int x, int sy, int sx = 2) { DrawRectGraph(x, 115, sx, sy, 28, 28, G(kResultSheet), 1, 0); };
  if (result >= 100) {
    mark(358, 353);
    mark(370, 353);
  } else if (result >= 80) {
    mark(364, 353);
  } else if (result >= 60) {
    mark(364, 382);
  } else if (result >= 40) {
    mark(364, 412);
  } else if (result >= 20) {
    mark(364, 442);
  } else if (result >= 10) {
    mark(364, 472);
  }
  if (result >= 10 && result % 10 == 5) {
    const int sy = result >= 80 ? 353 : result >= 60 ? 382 : result >= 40 ? 412 : result >= 20 ? 442 : 472;
    mark(result >= 100 ? 384 : 381, sy, 89);
  }
}

void DrawList(int fade) {
  DrawGraph(0, 0, G(kBack), 1);
  SetDrawBlendMode(kBlendAlpha, 255 - fade);
  const int m = game.missionNumber;
  DrawRectGraph(58, 65, 0, 0, 367, 87, G(kSelectSheet), 1, 0);
  DrawString(94, 74, "ステージ", MenuText(), 0);
  if (m >= 10) {
    DrawRectGraph(163, 74, 9 * (m / 10), 33, 9, 11, G(kDigits), 1, 0);
    DrawRectGraph(173, 74, 9 * (m % 10), 33, 9, 11, G(kDigits), 1, 0);
  } else {
    DrawRectGraph(168, 74, 9 * m, 33, 9, 11, G(kDigits), 1, 0);
  }
  if (game.screenCounter % 20 < 10) {
    if (m > 1) DrawRectGraph(148, 71, 100, 482, 17, 16, G(kSelectSheet), 1, 0);
    if (StoredResult(m) != 0 && m < kThirdStoryMissions) DrawRectGraph(181, 71, 120, 482, 17, 16, G(kSelectSheet), 1, 0);
  }
  ++game.screenCounter;
  DrawString(100, 120, MissionName(m), MenuText(), 0);
  DrawResultMarks(StoredResult(m));

  DrawRectGraph(120, 200, 269, 0, 243, 154, G(graph_slot::kButtons), 1, 0);
  DrawString(140, 220, "[ 初期装備 ]", MenuText(), 0);
  int line = 0;
  for (int w = 0; w < kWeaponCount && line < 3; ++w) {
    if (player.weapons[w] == kNotOwned || player.weapons[w] == 0) continue;
    DrawFormatString(180, 240 + 15 * line++, GetColor(255, 128, 128), "武器%d : %d発", w + 1, player.weapons[w]);
  }
  for (int g = 1; g < kGadgetCount && line < 3; ++g) {
    if (player.gadgets[g] == kNotOwned || player.gadgets[g] == 0) continue;
    DrawFormatString(180, 240 + 15 * line++, GetColor(255, 128, 128), "装備%d : %d個", g, player.gadgets[g]);
  }
  if (line == 0) DrawString(180, 240, "無し", GetColor(255, 128, 128), 0);
  DrawString(140, 290, "[ ミッション ]", MenuText(), 0);
  const MissionType type = kMissions[m - 1].type;
  if (type == kNormal) DrawString(180, 310, "Normal Mission", GetColor(148, 148, 255), 0);
  if (type == kSneaking) DrawString(180, 310, "Sneaking Mission", GetColor(255, 128, 128), 0);
  if (type == kTarget) DrawString(180, 310, "Target Mission", GetColor(212, 212, 128), 0);

  if (game.screenTimer < ph::kFadeToScene) {
    const char* labels[2] = {"ミッションスタート", "タイトルへ戻る"};
    for (int k = 0; k < 2; ++k) {
      const bool selected = game.screenFade == k;
      DrawRectGraph(114, 400 + 50 * k, 0, selected ? 77 : 0, 266, 43, G(graph_slot::kButtons), 1, 0);
      if (selected) DrawNoiseBand(115, 399 + 50 * k);
      DrawString(174, 410 + 50 * k, labels[k], MenuText(), 0);
      if (selected) {
        SetDrawBlendMode(kBlendAdd, kSelectedTextGlow);
        DrawString(174, 410 + 50 * k, labels[k], MenuText(), 0);
        SetDrawBlendMode(kBlendAlpha, 255 - fade);
      }
    }
  }
  SetDrawBlendMode(kBlendNone, 0);
}

void StepMission(int step) {
  const int m = game.missionNumber;
  if (step < 0 && m > 1) {
    --game.missionNumber;
  } else if (step > 0 && m < kThirdStoryMissions && StoredResult(m) != 0) {
    ++game.missionNumber;
  } else {
    return;
  }
  PlaySoundEffect(kSoundCursor);
  GiveMissionStartLoadout(0);
}

void InputChoose(int pad) {
  const bool sideways = (pad & (kPadLeft | kPadRight)) != 0;
  const bool upright = (pad & (kPadUp | kPadDown)) != 0;
  const bool confirm = game.action[kActionConfirm] != 0;
  if (!sideways && !upright && !confirm) {
    game.keyLatch = 0;
    game.holdFrames = 0;
    game.holdStep = 0;
    return;
  }
  if (sideways) {
    const bool act = game.holdFrames == 0 || game.holdFrames >= kRepeatDelay;
    if (game.holdFrames < kRepeatDelay) ++game.holdFrames;
    if (act) StepMission((pad & kPadLeft) != 0 ? -1 : 1);
    return;
  }
  if (game.keyLatch != 0) return;
  game.keyLatch = 1;
  if (upright) {
    PlaySoundEffect(kSoundCursor);
    game.screenFade ^= 1;
    return;
  }
  PlaySoundEffect(kSoundConfirm);
  if (game.screenFade == 1) {
    game.screenTimer = ph::kTitleDialog;
    game.menuCursor = 0;
  } else {
    game.screenTimer = MissionHasBriefingScene(game.missionNumber) ? ph::kFadeToScene : ph::kFadeToStage;
    game.screenCounter = 0;
    game.gameOverFade = MissionHasBriefingScene(game.missionNumber) ? 0 : 255;
  }
}

void TitleDialog(int pad) {
  SetDrawBlendMode(kBlendAlpha, 128);
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  SetDrawBlendMode(kBlendNone, 0);
  DrawRectGraph(150, 480, 270, 0, 241, 50, G(graph_slot::kButtons), 1, 0);
  DrawRectGraph(150, 530, 270, 100, 241, 50, G(graph_slot::kButtons), 1, 0);
  SetDrawBlendMode(kBlendAlpha, 96);
  DrawBox(200 + 70 * game.menuCursor, 530, 260 + 70 * game.menuCursor, 550, GetColor(255, 255, 0), 1);
  SetDrawBlendMode(kBlendNone, 0);
  DrawString(205, 505, "タイトルに戻ります", GetColor(255, 255, 255), 0);
  DrawString(218, 535, "  OK  ", MenuText(), 0);
  DrawString(285, 535, "Cancel", MenuText(), 0);
  const bool sideways = (pad & (kPadLeft | kPadRight)) != 0;
  const bool confirm = game.action[kActionConfirm] != 0;
  if (!sideways && !confirm) {
    game.keyLatch = 0;
    return;
  }
  if (game.keyLatch != 0) return;
  game.keyLatch = 1;
  if (sideways) {
    PlaySoundEffect(kSoundCursor);
    game.menuCursor ^= 1;
  } else if (game.menuCursor == 0) {
    PlaySoundEffect(kSoundConfirm);
    game.gameState = STATE_TITLE;
    game.screenEntered = 0;
  } else {
    PlaySoundEffect(kSoundCancel);
    game.screenTimer = ph::kChoose;
  }
}

void StartStage() {
  GiveMissionStartLoadout(1);
  game.area = static_cast<uint8_t>(AreaOfMission(game.missionNumber));
  game.gameState = STATE_STAGE_LOAD;
  game.screenCounter = 0;
  game.screenFade = 0;
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  DrawGraph(520, 420, G(graph_slot::kLoading), 1);
  StopMusic();
}

}  // namespace

int AreaOfMission(int mission) { return mission <= 21 ? (mission - 1) / 3 : 7; }

bool MissionHasBriefingScene(int mission) {
  for (int m : {2, 3, 4, 7, 13, 16, 21, 24}) {
    if (m == mission) return true;
  }
  return false;
}

const char* MissionName(int mission) {
  return mission >= 1 && mission <= kThirdStoryMissions ? kMissions[mission - 1].name : "";
}

// The fade of the screen is kept in the game-over fade field, which nothing else uses
// while this screen runs.
void UpdateMissionBriefing(int pad) {
  if (game.screenEntered == 0) Enter();
  int& fade = game.gameOverFade;
  switch (game.screenTimer) {
    case ph::kChoose:
      DrawList(0);
      InputChoose(pad);
      break;
    case ph::kTitleDialog:
      DrawList(0);
      TitleDialog(pad);
      break;
    case ph::kFadeToScene:
      DrawList(fade);
      fade += 10;
      if (fade > 250) game.screenTimer = ph::kStartScene;
      break;
    case ph::kStartScene:
      // The briefing scene's end moves the screen on to the fade into the stage.
      game.screenTimer = ph::kSceneRuns;
      if (game.eventPlayer.Create(game.missionNumber + 70, kEndModeBriefing) == nullptr) {
        game.screenTimer = ph::kStartStage;
      }
      break;
    case ph::kSceneRuns:
      break;
    case ph::kFadeToStage:
      fade -= 10;
      DrawList(0);
      SetDrawBlendMode(kBlendAlpha, 255 - fade);
      DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
      SetDrawBlendMode(kBlendNone, 0);
      if (fade < 10) game.screenTimer = ph::kStartStage;
      break;
    case ph::kStartStage:
      StartStage();
      break;
    default:
      break;
  }
}
