#include "game/editor/vr_digits.h"

#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "runtime/api.h"

namespace {

constexpr int kDigitSlot = 7;  // "gsx/num.png"
constexpr int kDigitWidth = 9, kDigitPitch = 10;
constexpr int kRowHeight = 11, kTallHeight = 16;
constexpr int kNarrowRow = 4, kNarrowWidth = 7;
constexpr int kTallStyle = 2;
constexpr int kHalfSecondFrames = 30;

void Colons(int x1, int x2, int y) {
  for (int x : {x2, x1}) {
    DrawFormatString(x, y, GetColor(0, 0, 0), "：");
    DrawFormatString(x - 1, y - 1, GetColor(198, 198, 198), "：");
  }
}

}  // namespace

void DrawVrNumber(int value, int x, int y, int row, int align, int style) {
  if (value < 0 || value >= 1000000) return;
  int digits = 1;
  for (int v = value; v >= 10; v /= 10) ++digits;
  const int cellHeight = style == kTallStyle ? kTallHeight : kRowHeight;
  const int offset = style == kTallStyle ? kRowHeight : 0;
  const int width = row == kNarrowRow ? kNarrowWidth : kDigitPitch;
  int start = x;
  if (align == 1) start = x - digits * width / 2;
  if (align == 2) start = x - digits * width;
  int divisor = 1;
  for (int i = 1; i < digits; ++i) divisor *= 10;
  for (int i = 0; i < digits; ++i, divisor /= 10) {
    const int digit = value / divisor % 10;
    if (style == kTallStyle) SetDrawBright(255, 196, 196);
    DrawRectGraph(start + kDigitPitch * i, y, digit * kDigitWidth, row * kRowHeight + offset, kDigitWidth, cellHeight,
                  game.graphs[kDigitSlot], 1, 0);
    if (style == kTallStyle) SetDrawBright(255, 255, 255);
  }
}

void DrawTwoDigits(int value, int x, int y) {
  if (value < 10) {
    DrawVrNumber(0, x, y, 0, 0, 1);
    DrawVrNumber(value, x + 10, y, 0, 0, 1);
  } else {
    DrawVrNumber(value, x, y, 0, 0, 1);
  }
}

void DrawVrTime(int a, int b, int c, int x, int y, int blink, int randomTint, int style) {
  if (randomTint != 0) SetDrawBright(96 + GetRandom(150), 96 + GetRandom(150), 96 + GetRandom(150));
  const int digitStyle = style == 1 ? kTallStyle : 1;
  const int values[3] = {a, b, c};
  for (int i = 0; i < 3; ++i) {
    const int fx = x + 25 * i;
    if (values[i] < 10) {
      DrawVrNumber(0, fx, y, 0, 0, digitStyle);
      DrawVrNumber(values[i], fx + 10, y, 0, 0, digitStyle);
    } else {
      DrawVrNumber(values[i], fx, y, 0, 0, digitStyle);
    }
  }
  if (blink != 0 && game.clockFrames > kHalfSecondFrames) SetDrawBlendMode(kBlendAlpha, kHalfStrength);
  const int sy = style == 1 ? y + 3 : y;
  Colons(x + 18, x + 43, sy);
  if (randomTint != 0) SetDrawBright(255, 255, 255);
  SetDrawBlendMode(kBlendNone, 255);
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
