#include "game/shell/clear_result_panel.h"

#include <algorithm>
#include <cstdio>

#include "game/editor/stage_editor.h"
#include "game/mission/hud.h"
#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"

VrResultRecord vrResult;

namespace {

constexpr int kResultSheet = 10;
constexpr int kDigits = 7;
constexpr int kMissionResultBase = 399;
constexpr int kLastMission = 24;
constexpr int kSoundClear = 39;
constexpr int kFadeEnd = 253;

unsigned White() { return GetColor(255, 255, 255); }
void Mark(int x, int y, int sx, int sy) { DrawRectGraph(x, y, sx, sy, 28, 28, game.graphs[kResultSheet], 1, 0); }

// A whole number from the digit strip (9-pixel cells at a 10-pixel pitch) of row y.
void DrawDigitsAt(int value, int x, int y, int row) {
  char text[8];
  const int n = std::snprintf(text, sizeof text, "%d", std::max(0, value));
  for (int i = 0; i < n; ++i) {
    DrawRectGraph(x + 10 * i, y, 10 * (text[i] - '0'), row, 9, 11, game.graphs[kDigits], 1, 0);
  }
}

void DrawTime(const VrTime& t, int x, int y) {
  DrawFormatString(x, y, White(), "%02d:%02d:%02d", t.minutes, t.seconds, t.hundredths);
}

// The grade marks of a mode 1 or 3 score at (405, 280).
void DrawGrade(int grade) {
  const int base = grade - grade % 10;
  switch (base) {
    case 100:
      Mark(405, 280, 2, 353);
      Mark(418, 280, 2, 353);
      break;
    case 80: Mark(405, 280, 2, 353); break;
    case 60: Mark(405, 280, 2, 382); break;
    case 40: Mark(405, 280, 2, 412); break;
    case 20: Mark(405, 280, 2, 442); break;
    default: Mark(405, 280, 2, 472); break;
  }
  if (grade % 10 == 5) Mark(base == 100 ? 434 : 421, 280, 89, 353);
}

void ComputeVrResult() {
  const VrTime clock{game.clockMinutes, game.clockSeconds, game.clockHundredths};
  vrResult.result = PenalisedTime(clock, game.vrDiscoveries, game.vrHitsTaken);
  vrResult.place = static_cast<uint8_t>(PlaceAmongBest(vrResult.result, vrResult.best));
  game.vrResultPending = 1;
  if (vrResult.place == 1) vrResult.firstPlaceMark = game.vrDiscoveries == 0 && game.vrHitsTaken == 0 ? 0x41 : 0x40;
}

void DrawVrPanel() {
  DrawRectGraph(295, 180, 301, 201, 212, 145, game.graphs[kResultSheet], 1, 0);
  SetDrawBright(196, 196, 255);
  DrawTime({game.clockMinutes, game.clockSeconds, game.clockHundredths}, 415, 210);
  SetDrawBright(255, 255, 255);
  DrawDigitsAt(game.vrDiscoveries, 415, 234, 0);
  DrawDigitsAt(game.vrHitsTaken, 415, 259, 0);
  DrawTime(vrResult.result, 380, 284);
  const int grade = VrGrade(vrResult.result, vrResult.limits);
  const bool clean = game.vrDiscoveries == 0 && game.vrHitsTaken == 0;
  if (grade == 0) {
    Mark(450, 280, 401, 353);
    Mark(460, 280, 401, 353);
    if (clean) Mark(472, 280, 373, 353);
  } else if (grade > 0) {
    Mark(453, 280, 401, 353 + 30 * (grade - 1));
    if (clean) Mark(470, 280, 373, 353 + 30 * (grade - 1));
  }
  DrawRectGraph(295, 340, 301, 201, 212, 145, game.graphs[kResultSheet], 1, 0);
  for (int k = 0; k < 3; ++k) {
    const bool fresh = vrResult.place == k + 1;
    if (fresh) SetDrawBright(255, 255, 168);
    else if (k == 2) SetDrawBright(255, 164, 96);
    DrawTime(vrResult.best[k], 403, 377 + 30 * k);
    SetDrawBright(255, 255, 255);
  }
}

}  // namespace

int MissionScore(int detections, int destroyed, int total, int life) {
  int s = 900 - 50 * detections;
  if (destroyed != total) s -= 300 - (destroyed > 0 && total > 0 ? destroyed * 300 / total : 0);
  s -= 300 - 3 * life;
  return s;
}

int MissionGrade(int score, int mode, bool allTargets, bool undetected) {
  int grade = score == 900 ? 100 : score > 800 ? 80 : score > 700 ? 60 : score > 550 ? 40 : score > 350 ? 20 : 10;
  if ((mode == kModeThirdStory && allTargets) || (mode == kModeEditorTestPlay && undetected)) grade += 5;
  return grade;
}

VrTime PenalisedTime(VrTime t, int discoveries, int hits) {
  const int p = discoveries * 20 + hits * 15;
  if (p == 0) return t;
  int seconds = t.seconds + p;
  int minutes = t.minutes + seconds / 60;
  seconds %= 60;
  if (minutes > 59) return kSlowestVrTime;
  return VrTime{static_cast<uint16_t>(minutes), static_cast<uint16_t>(seconds), t.hundredths};
}

int PlaceAmongBest(VrTime result, VrTime best[3]) {
  for (int k = 0; k < 3; ++k) {
    if (result.Hundredths() > best[k].Hundredths()) continue;
    for (int j = 2; j > k; --j) best[j] = best[j - 1];
    best[k] = result;
    return k + 1;
  }
  return 0;
}

int VrGrade(VrTime result, const VrTime limits[5]) {
  if (result.Hundredths() == kSlowestVrTime.Hundredths()) return -1;
  for (int k = 0; k < 5; ++k) {
    if (result.Hundredths() <= limits[k].Hundredths()) return k;
  }
  return 5;
}

void UpdateClearResultPanel() {
  Player& p = player;
  const bool confirm = game.action[kActionConfirm] != 0;
  if (p.action == kActionGoal && CheckMusicPlaying() == 0) {
    p.action = kActionResultShown;
    p.actionTimer = 0;
  }
  if (p.action == kActionResultShown) {
    if (p.actionTimer < kResultPanelDelay) {
      if (++p.actionTimer == kResultPanelDelay && game.gameMode == kModeVr) ComputeVrResult();
    }
    if (p.actionTimer < kResultPanelDelay) return;
    if (game.gameMode == kModeVr) {
      DrawVrPanel();
      if (confirm) {
        p.actionTimer = 0;
        p.action = kActionResultFade;
      }
      return;
    }
    DrawRectGraph(315, 200, 342, 0, 170, 142, game.graphs[kResultSheet], 1, 0);
    const int destroyed = game.stageTargetsDestroyed, total = game.targetCount;
    DrawFormatString(360, 220, White(), "発覚回数　：%d", game.detections);
    DrawFormatString(360, 242, White(), "標的破壊数：%d/%d", destroyed, total);
    DrawFormatString(360, 264, White(), "残りライフ：%d %%", p.life);
    const int score = MissionScore(game.detections, destroyed, total, p.life);
    const int grade = MissionGrade(score, game.gameMode, destroyed == total, game.detections == 0);
    DrawGrade(grade);
    if (confirm) {
      p.actionTimer = 0;
      p.action = kActionResultFade;
      const int at = kMissionResultBase + game.missionNumber;
      if (at < kSaveRecordBytes && grade > game.saveRecord[at]) game.checkpoint[at] = static_cast<uint8_t>(grade);
    }
    return;
  }
  if (p.action != kActionResultFade) return;
  p.actionTimer = static_cast<uint16_t>(p.actionTimer + 2);
  SetDrawBlendMode(kBlendAlpha, std::min<int>(p.actionTimer, 255));
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  SetDrawBlendMode(kBlendNone, 0);
  if (game.gameMode == kModeThirdStory && p.actionTimer == 20) PlaySoundEffect(kSoundClear);
  if (p.actionTimer <= kFadeEnd) return;
  switch (game.gameMode) {
    case kModeThirdStory:
      p.action = 0;
      game.gameState = STATE_MISSION_BRIEFING;
      StoreCheckpoint();
      ResetStageState();
      if (game.missionNumber >= kLastMission) {
        game.gameState = STATE_EVENT_ONLY;
        // story: StoryScene (140), the third story's ending, in game.storyScene joins here
        StopMusic();
      } else {
        ++game.missionNumber;
      }
      break;
    case kModeEditorTestPlay:
      p.action = 0;
      game.editor.Create();
      game.gameState = game.playedFromSlotList != 0 ? STATE_EDIT_SLOT_SELECT : STATE_EDIT_RETURN;
      game.playedFromSlotList = 0;
      break;
    default:
      // VR menu: a new VrMenu in game.vrMenu joins here
      game.gameState = STATE_VR_MENU;
      break;
  }
  game.screenEntered = 0;
  game.scrollX = game.scrollY = 0;
  p.x = p.y = 0;
  game.menuCursor = 0;
}

void DrawVrClock() {
  if (game.gameMode != kModeVr) return;
  DrawTime({game.clockMinutes, game.clockSeconds, game.clockHundredths}, 680, 10);
}
