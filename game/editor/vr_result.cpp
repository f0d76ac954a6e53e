#include "game/editor/vr_result.h"

#include "game/editor/vr_digits.h"
#include "game/editor/vr_menu.h"
#include "game/editor/vr_record.h"
#include "game/mission/hud.h"
#include "game/shell/action_mapping.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "runtime/api.h"

VrResultPanel vrResultPanel;

namespace {

constexpr int kActionGoal = 52, kActionFadeOut = 54, kActionPanel = 55;
constexpr int kPanelAfter = 50;
constexpr int kFadeStep = 2, kFadeEnd = 253;
constexpr int kResultSlot = 10;  // "patch/result.png"
constexpr int kMarkSize = 28;

void DrawGrade() {
  const int grade = VrResultGrade(game.vrCategory - 1, game.vrMission, vrResultPanel.time);
  if (grade < 0) return;
  const int sheet = game.graphs[kResultSlot];
  const bool clean = game.vrDiscoveries == 0 && game.vrHitsTaken == 0;
  if (grade == 0) {
    DrawRectGraph(450, 280, 401, 353, kMarkSize, kMarkSize, sheet, 1, 0);
    DrawRectGraph(460, 280, 401, 353, kMarkSize, kMarkSize, sheet, 1, 0);
    if (clean) DrawRectGraph(472, 280, 373, 353, kMarkSize, kMarkSize, sheet, 1, 0);
  } else {
    const int sy = 353 + 30 * (grade - 1);
    DrawRectGraph(453, 280, 401, sy, kMarkSize, kMarkSize, sheet, 1, 0);
    if (clean) DrawRectGraph(470, 280, 373, sy, kMarkSize, kMarkSize, sheet, 1, 0);
  }
}

void DrawPanel() {
  const int sheet = game.graphs[kResultSlot];
  DrawRectGraph(295, 180, 301, 201, 212, 145, sheet, 1, 0);
  SetDrawBright(196, 196, 255);
  DrawTime(game.clockMinutes, game.clockSeconds, game.clockHundredths, 415, 210, 0, 0, 0);
  SetDrawBright(255, 255, 255);
  DrawNumber(game.vrDiscoveries, 415, 234, 0, 2, 1);
  DrawNumber(game.vrHitsTaken, 415, 259, 0, 2, 1);
  const uint16_t* t = vrResultPanel.time;
  DrawTime(t[0], t[1], t[2], 380, 284, 0, 0, 0);
  DrawGrade();

  DrawRectGraph(295, 340, 301, 201, 212, 145, sheet, 1, 0);
  static constexpr int kTint[3][3] = {{255, 255, 168}, {255, 255, 255}, {255, 164, 96}};
  for (int k = 0; k < 3; ++k) {
    const int y = 377 + 30 * k;
    if (vrResultPanel.place == k + 1) {
      SetDrawBlendMode(kBlendAdd, 96);
      DrawBox(398, y - 4, 490, y + 18, GetColor(255, 255, 255), 1);
      SetDrawBlendMode(kBlendNone, 0);
    }
    SetDrawBright(kTint[k][0], kTint[k][1], kTint[k][2]);
    const uint16_t* best = game.vrResultTimes[k];
    DrawTime(best[0], best[1], best[2], 403, y, 0, 0, 0);
    SetDrawBright(255, 255, 255);
  }
}

}  // namespace

void ComputeVrResult() {
  int minutes = game.clockMinutes, seconds = game.clockSeconds, hundredths = game.clockHundredths;
  const int penalty = game.vrDiscoveries * kVrDiscoveryPenalty + game.vrHitsTaken * kVrHitPenalty;
  if (penalty != 0) {
    seconds += penalty;
    minutes += seconds / 60;
    seconds %= 60;
  }
  // The clock's minutes wrap into its hours: a run of an hour or more is the slowest time
  // there is, not its remainder past the hour.
  if (minutes > 59 || game.clockHours > 0) {
    minutes = kVrEmptyTime[0];
    seconds = kVrEmptyTime[1];
    hundredths = kVrEmptyTime[2];
  }
  vrResultPanel.time[0] = static_cast<uint16_t>(minutes);
  vrResultPanel.time[1] = static_cast<uint16_t>(seconds);
  vrResultPanel.time[2] = static_cast<uint16_t>(hundredths);

  const int result = VrHundredths(minutes, seconds, hundredths);
  vrResultPanel.place = 0;
  for (int k = 0; k < kVrPlaces; ++k) {
    const uint16_t* best = game.vrResultTimes[k];
    if (result > VrHundredths(best[0], best[1], best[2])) continue;
    for (int j = kVrPlaces - 1; j > k; --j) {
      for (int f = 0; f < kVrFields; ++f) game.vrResultTimes[j][f] = game.vrResultTimes[j - 1][f];
    }
    for (int f = 0; f < kVrFields; ++f) game.vrResultTimes[k][f] = vrResultPanel.time[f];
    vrResultPanel.place = static_cast<uint8_t>(k + 1);
    break;
  }
  game.vrResultPending = 1;
  if (vrResultPanel.place == 1) {
    game.vrResultMark = game.vrDiscoveries == 0 && game.vrHitsTaken == 0 ? kVrMarkClean : kVrMarkNone;
  }
}

int VrResultGrade(int category, int mission, const uint16_t* time) {
  if (category < 0 || category >= kVrCategories || mission < 0 || mission >= kVrMissionSlots) return -1;
  const int16_t t[3] = {static_cast<int16_t>(time[0]), static_cast<int16_t>(time[1]), static_cast<int16_t>(time[2])};
  return VrRank(category, mission, t);
}

void UpdateVrClearResult() {
  uint16_t& timer = player.actionTimer;
  // Only music still playing holds the panel back; a sound layer that never started (-1) must not.
  if (player.action == kActionGoal && CheckMusicPlaying() != 1) {
    player.action = kActionPanel;
    timer = 0;
  }
  if (player.action == kActionPanel) {
    if (timer < kPanelAfter && ++timer == kPanelAfter) ComputeVrResult();
    if (timer >= kPanelAfter) {
      DrawPanel();
      if (game.action[kActionConfirm] != 0) {
        if (game.keyLatch == 0) {
          game.keyLatch = 1;
          timer = 0;
          player.action = kActionFadeOut;
        }
      } else {
        game.keyLatch = 0;
      }
    }
  }
  if (player.action == kActionFadeOut) {
    timer = static_cast<uint16_t>(timer + kFadeStep);
    SetDrawBlendMode(kBlendAlpha, timer);
    DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
    SetDrawBlendMode(kBlendNone, 0);
    if (timer > kFadeEnd) {
      game.gameState = STATE_VR_MENU;
      game.vrMenu.Create();
      game.screenEntered = 0;
      game.scrollX = 0;
      game.scrollY = 0;
      player.x = 0;
      player.y = 0;
      game.menuCursor = 0;
    }
  }
}
