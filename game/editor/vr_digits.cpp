#include "game/editor/vr_digits.h"

#include "game/mission/hud.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "runtime/api.h"

namespace {

constexpr int kHalfSecondFrames = 30;

void Colons(int x1, int x2, int y) {
  for (int x : {x2, x1}) {
    DrawFormatString(x, y, GetColor(0, 0, 0), "：");
    DrawFormatString(x - 1, y - 1, GetColor(198, 198, 198), "：");
  }
}

}  // namespace

void DrawTwoDigits(int value, int x, int y) {
  if (value < 10) {
    DrawNumber(0, x, y, 0, 0, 1);
    DrawNumber(value, x + 10, y, 0, 0, 1);
  } else {
    DrawNumber(value, x, y, 0, 0, 1);
  }
}

void DrawVrTimer() {
  if (game.gameMode != kModeVr || game.gameState != STATE_STAGE_PLAY_MODE) return;
  DrawTwoDigits(game.clockMinutes, 725, 10);
  DrawTwoDigits(game.clockSeconds, 750, 10);
  DrawTwoDigits(game.clockHundredths, 775, 10);
  if (game.clockFrames > kHalfSecondFrames) SetDrawBlendMode(kBlendAlpha, kHalfStrength);
  Colons(743, 768, 10);
  SetDrawBlendMode(kBlendNone, 255);
}
