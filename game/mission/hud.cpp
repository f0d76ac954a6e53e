#include "game/mission/hud.h"

#include <cstdint>

#include "game/mission/enemies.h"
#include "game/mission/player_movement.h"
#include "game/mission/shots.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "runtime/api.h"

namespace {

constexpr int kBlendNone = 0, kBlendAlpha = 1;
constexpr int kGraphUi = 1, kGraphDigits = 7, kGraphStrings = 71;

constexpr int kDigitWidth = 9, kDigitPitch = 10, kNarrowPitch = 7;
constexpr int kRowHeight = 11, kTallHeight = 16, kNarrowRow = 4;
constexpr int kTallStyle = 2;

constexpr int kRadarX = 704, kRadarY = 79;
constexpr int kNoiseShot = 27;

int Graph(int slot) { return game.graphs[slot]; }

void Ui(int x, int y, int sx, int sy, int w, int h, int mirror = 0) { DrawRectGraph(x, y, sx, sy, w, h, Graph(kGraphUi), 1, mirror); }

// Multiplication mark of the briefing-string sheet.
void TimesMark(int x, int y) { DrawRectGraph(x, y, 0, 440, 20, 20, Graph(kGraphStrings), 1, 0); }

int Count(uint16_t raw) {
  const int v = static_cast<int16_t>(raw);
  if (v < 0) return 0;
  return v > 99 ? 99 : v;
}

bool OnRadar(int rx, int ry) { return rx > 624 && rx < 784 && ry > 19 && ry < 139; }

}  // namespace

void DrawNumber(int value, int x, int y, int row, int align, int style) {
  if (value < 0 || value >= 1000000) return;
  const int height = style == kTallStyle ? kTallHeight : kRowHeight;
  const int offset = style == kTallStyle ? kRowHeight : 0;
  int digits = 1;
  for (int limit = 10; value >= limit && digits < 6; limit *= 10) ++digits;
  const int width = row == kNarrowRow ? kNarrowPitch : kDigitPitch;
  int start = x;
  if (align == 1) start = x - digits * width / 2;
  if (align == 2) start = x - digits * width;
  int divisor = 1;
  for (int i = 1; i < digits; ++i) divisor *= 10;
  for (int i = 0; i < digits; ++i, divisor /= 10) {
    const int digit = value / divisor % 10;
    if (style == kTallStyle) SetDrawBright(255, 196, 196);
    DrawRectGraph(start + kDigitPitch * i, y, digit * kDigitWidth, row * kRowHeight + offset, kDigitWidth, height, Graph(kGraphDigits), 1, 0);
    if (style == kTallStyle) SetDrawBright(255, 255, 255);
  }
}

void DrawTime(int hours, int minutes, int seconds, int x, int y, int blink, int randomTint, int style) {
  if (randomTint != 0) SetDrawBright(96 + GetRandom(150), 96 + GetRandom(150), 96 + GetRandom(150));
  const int digitStyle = style == 1 ? kTallStyle : 1;
  const int values[3] = {hours, minutes, seconds};
  for (int i = 0; i < 3; ++i) {
    const int at = x + 25 * i;
    if (values[i] < 10) {
      DrawNumber(0, at, y, 0, 0, digitStyle);
      DrawNumber(values[i], at + 10, y, 0, 0, digitStyle);
    } else {
      DrawNumber(values[i], at, y, 0, 0, digitStyle);
    }
  }
  if (blink != 0 && game.clockFrames >= 31) SetDrawBlendMode(kBlendAlpha, 128);
  const int sy = style == 1 ? y + 3 : y;
  DrawFormatString(x + 43, sy, GetColor(0, 0, 0), "：");
  DrawFormatString(x + 18, sy, GetColor(0, 0, 0), "：");
  DrawFormatString(x + 42, sy - 1, GetColor(198, 198, 198), "：");
  DrawFormatString(x + 17, sy - 1, GetColor(198, 198, 198), "：");
  if (randomTint != 0) SetDrawBright(255, 255, 255);
  SetDrawBlendMode(kBlendNone, 255);
}

void DrawStageOverlay() {}

void DrawWeaponPanel() {
  const int w = player.selectedWeapon;
  if (w < 0 || w > 12) return;
  Ui(710, 535, 0, 92, 83, 61);
  Ui(720, 545, 441, 494 - w * 20, 70, 16);
  DrawRectGraph(723, 563, w * 25, 280, 25, 18, Graph(graph_slot::kItemSheet), 1, 0);
  TimesMark(748, 565);
  const int rounds = Count(player.weapons[w]);
  if (rounds <= 9) {
    DrawNumber(rounds, 773, 563, 0, 0, kTallStyle);
  } else {
    DrawNumber(rounds / 10, 763, 563, 0, 0, kTallStyle);
    DrawNumber(rounds % 10, 773, 563, 0, 0, kTallStyle);
  }
}

void DrawGadgetPanel() {
  const int g = player.selectedGadget;
  if (g == 0 || g > 9) return;
  Ui(10, 535, 0, 92, 83, 61, 1);
  Ui(20, 545, 352, 494 - (g - 1) * 20, 70, 16);
  DrawRectGraph(23, 563, g * 25, 300, 25, 18, Graph(graph_slot::kItemSheet), 1, 0);
  const int count = Count(player.gadgets[g]) % 10;
  if (g == 1) {
    // The ration's count reads as "n/5".
    DrawNumber(count, 53, 563, 0, 0, kTallStyle);
    DrawRectGraph(63, 568, 46, 44, 9, 11, Graph(kGraphDigits), 1, 0);
    DrawRectGraph(73, 568, 45, 0, 9, 11, Graph(kGraphDigits), 1, 0);
  } else {
    TimesMark(48, 565);
    DrawNumber(count, 63, 563, 0, 0, kTallStyle);
  }
}

void DrawLifeBar() {
  const int life = player.life > 100 ? 100 : player.life;
  if (life > 0) {
    const int column = life > 40 ? 157 : life > 20 ? 175 : 193;
    Ui(19, 200 - life, column, 7, 13, life);
  }
  Ui(4, 93, 101, 0, 44, 141);
}

void DrawRadar() {
  Ui(615, 10, 226, 38, 180, 137, 1);
  DrawCircle(kRadarX, kRadarY, 2, GetColor(128, 128, 255), 1);
  const unsigned red = GetColor(255, 128, 128);
  for (const Enemy& e : enemies) {
    if (e.state <= 0) continue;
    const int rx = kRadarX + (e.x - game.scrollX - player.x) / 10;
    const int ry = kRadarY + (e.y + game.scrollY - player.y) / 10;
    if (!OnRadar(rx, ry)) continue;
    DrawCircle(rx, ry, 2, red, 1);
    if (e.kind == 1 || e.kind == 2) DrawCircle(e.facing == 1 ? rx - 5 : rx + 5, ry, 1, red, 1);
  }
  for (const Shot& s : shots) {
    if (s.active == 0 || s.kind != kNoiseShot) continue;
    const int rx = kRadarX + (s.x - game.scrollX - player.x) / 10;
    const int ry = kRadarY + (s.y + game.scrollY - player.y) / 10;
    if (OnRadar(rx, ry)) DrawCircle(rx, ry, 42, red, 0);
  }
}

void UpdateAlertGauge() {
  const int countdown = static_cast<int16_t>(game.alertCountdown);
  if (countdown <= 0) return;
  SetDrawBlendMode(kBlendAlpha, 128);
  DrawBox(349, 7, 349 + countdown / 20, 24, GetColor(255, 0, 0), 1);
  SetDrawBlendMode(kBlendNone, 0);
  Ui(341, 2, 228, 3, 117, 28);
  if (game.paused != 0) return;
  --game.alertCountdown;
  const int a = player.action;
  if (game.alertCountdown == 0 && a != player_action::kDown && a != 57 && a != 58) PlayStageBgm();
}

const char* StageBgmPath() {
  static const char* const kVr[4] = {"patch/vr_1.ogg", "patch/vr_2.ogg", "patch/vr_3.ogg", "patch/vr_4.ogg"};
  static const char* const kFixed[9] = {"bzx/stage_01.ogg", "bzx/stage_02.ogg", "bzx/stage_0304.ogg",
                                        "bzx/stage_05.ogg", "bzx/stage_06.ogg", "bzx/stage_07.ogg",
                                        "bzx/stage_08.ogg", "bzx/stage_m.ogg",  "patch/stage_k.ogg"};
  static const char* const kByArea[8] = {"bzx/stage_01.ogg",   "bzx/stage_02.ogg", "bzx/stage_0304.ogg",
                                         "bzx/stage_0304.ogg", "bzx/stage_05.ogg", "bzx/stage_06.ogg",
                                         "bzx/stage_07.ogg",   "bzx/stage_08.ogg"};
  if (game.gameMode == kModeVr) {
    return game.vrCategory >= 1 && game.vrCategory <= 4 ? kVr[game.vrCategory - 1] : nullptr;
  }
  if (game.fixedStageBgm >= 1 && game.fixedStageBgm <= 9) return kFixed[game.fixedStageBgm - 1];
  if (game.fixedStageBgm == 10) return nullptr;
  if (game.character == 1) return "bzx/stage_m.ogg";
  if (game.character == 0) {
    if (game.area == 1 && game.subStage == 10) return "bzx/stage_06.ogg";
    return game.area < 8 ? kByArea[game.area] : nullptr;
  }
  if (game.character != 2) return nullptr;
  if (game.gameMode == kModeEditorTestPlay || game.costume != 0) return "patch/stage_k.ogg";
  const int m = game.missionNumber;
  if (m < 4) return "bzx/stage_01.ogg";
  if (m < 7) return "bzx/stage_02.ogg";
  if (m < 13) return "bzx/stage_0304.ogg";
  if (m < 16) return "bzx/stage_05.ogg";
  if (m < 19) return "bzx/stage_06.ogg";
  if (m < 22) return "bzx/stage_07.ogg";
  if (m <= 24) return "bzx/stage_08.ogg";
  return "patch/stage_k.ogg";
}

void PlayStageBgm() {
  StopMusic();
  if (const char* path = StageBgmPath()) PlayBgm(path, kPlayLoop);
}
