#include "game/shell/clear_result_panel.h"

#include <algorithm>
#include <cstdio>

#include "game/editor/stage_editor.h"
#include "game/mission/hud.h"
#include "game/story/story_scene.h"
#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"

namespace {

constexpr int kResultSheet = 10;
constexpr int kDigits = 7;
constexpr int kMissionResultBase = 399;
constexpr int kLastMission = 24;
constexpr int kSoundClear = 39;
constexpr int kFadeEnd = 253;

unsigned White() { return GetColor(255, 255, 255); }
void Mark(int x, int y, int sx, int sy) { DrawRectGraph(x, y, sx, sy, 28, 28, game.graphs[kResultSheet], 1, 0); }

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

void UpdateClearResultPanel() {
  Player& p = player;
  const bool confirm = game.action[kActionConfirm] != 0;
  // Only music still playing holds the panel back; a sound layer that never started (-1) must not.
  if (p.action == kActionGoal && CheckMusicPlaying() != 1) {
    p.action = kActionResultShown;
    p.actionTimer = 0;
  }
  if (p.action == kActionResultShown) {
    if (p.actionTimer < kResultPanelDelay) ++p.actionTimer;
    if (p.actionTimer < kResultPanelDelay) return;
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
        game.storyScene.Create(140);
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
      break;
  }
  game.screenEntered = 0;
  game.scrollX = game.scrollY = 0;
  p.x = p.y = 0;
  game.menuCursor = 0;
}
