// The pause menu and the weapon and gadget lists shown while the mission is paused.
#include "game/mission/pause_menu.h"

#include "game/mission/hud.h"
#include "game/mission/player_movement.h"
#include "game/mission/shots.h"
#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"
#include "game/editor/stage_editor.h"
#include "game/editor/vr_menu.h"

namespace {

namespace act = player_action;

constexpr int kInputConfirm = 1, kInputPause = 5, kInputWeapon = 6, kInputGadget = 7;
constexpr int kGraphPauseSheet = 15, kGraphListBack = 18, kGraphStrings = 71, kGraphUi = 1;
constexpr int kSoundRation = 35, kSoundGadgetChange = 25;
constexpr int kRepeatDelay = 20;
constexpr int kRowPitch = 36, kFirstRowY = 490;
constexpr int kWireWeapon = 11, kBoxGadget = 8, kRation = 1;
constexpr int kListSetUp = 0, kListRunning = 1;

constexpr int kWeaponArc[13] = {534, 543, 550, 554, 557, 559, 560, 559, 557, 554, 550, 543, 534};
constexpr int kGadgetArc[10] = {36, 27, 20, 16, 13, 11, 10, 11, 13, 16};

const char* const kWeaponNotes[13] = {
    "歩兵を一定時間眠らせることができる。また、ガラス程度なら破壊できる。",
    "強力な麻酔弾。強化歩兵を一定時間眠らせることができる。",
    "基本的な金属弾。木箱・的・ボム兵を壊すことができる。歩兵に使っても、効果はない。",
    "強力な金属弾。鉄の箱を破壊することができる。",
    "精密機械を一定時間機能停止させる。また、停止中のボム兵を起動させることが出来る。",
    "強化スパーク弾。銃器のついた精密機械を一定時間機能停止させる。",
    "ライトを一定時間機能停止させる。",
    "シールドを発生させ、レーザーポインタや敵の弾を防ぐことができる。前方にしか撃ち出せない。",
    "箱類・的・モンスターを貫通し、破壊できる。歩兵に使っても、効果はない。",
    "一定時間煙幕を張り、レーザーポインタを防ぐことができる。弧を描くように撃ち出される。",
    "着弾した相手に大きな衝撃を与え、気絶させることができる。殺傷能力は無い。",
    "頭上のブロックにワイヤーを発射し、そこを基点に上下移動をすることが出来る。",
    "炎の弾を撃ち出し、特定のブロックを燃やすことができる。",
};
const char* const kGadgetNotes[10] = {
    "ガジェットの装備を解除する。",
    "携帯用食品。選択画面で決定キーで仕様できる。また、装備をすることも可能。事故対策に。",
    "装備すると画面右上に表示される。敵と自分の位置関係を把握するのに最適。",
    "見えないレーザーポインタを表示できる。また、音の発生も視認できる。",
    "全ての重火器の発砲音を消す。",
    "音の鳴る床の上を走っても、音がならない。",
    "光・闇関係なく、完全に透明になる。",
    "光と闇の効果を反転する。明るい場所で見つからなくなり、暗い場所で見つかる。",
    "装備してじっとしていれば見つからない。(移動中は見つかる)",
    "弾丸の消費がなくなる。",
};

bool Input(int a) { return game.action[a] != 0; }
unsigned TextColour() { return GetColor(kMenuTextRed, kMenuTextGreen, kMenuTextBlue); }
int Graph(int slot) { return game.graphs[slot]; }

void Label(int x, int y, const char* text, bool selected) {
  DrawFormatString(x, y, TextColour(), "%s", text);
  if (!selected) return;
  SetDrawBlendMode(kBlendAdd, kSelectedTextGlow);
  DrawFormatString(x, y, TextColour(), "%s", text);
  SetDrawBlendMode(kBlendNone, 0);
}

void ResetPlayerPlace() {
  game.scrollX = game.scrollY = 0;
  player.x = player.y = 0;
}

// ---- Page 0 ----

const char* BackLabel() {
  if (game.gameMode == kModeEditorTestPlay) return "Back to Edit";
  if (game.gameMode == kModeVr) return "Back to VR Menu";
  return "Back to Title";
}

void Restart() {
  switch (game.gameMode) {
    case kModeStory:
    case kModeThirdStory:
      if (game.gameMode == kModeStory) {
        RestoreCheckpoint();
      } else {
        GiveMissionStartLoadout(1);
      }
      PlaySoundEffect(kSoundConfirm);
      game.gameState = STATE_STAGE_LOAD;
      game.screenEntered = 0;
      for (int i = 0; i < kSaveRecordBytes; ++i) game.checkpoint[i] = game.saveRecord[i];
      ++game.incapacitations;
      break;
    case kModeVr:
      RestoreCheckpoint();
      SetUpVrMissionLoadout();
      PlaySoundEffect(kSoundConfirm);
      game.gameState = STATE_STAGE_LOAD;
      game.screenEntered = 0;
      break;
    case kModeEditorTestPlay:
      player.action = act::kFree;
      game.gameState = STATE_EDIT_RETEST;
      game.editor.Create();
      game.screenEntered = 0;
      ResetPlayerPlace();
      break;
    default:
      break;
  }
}

void GoBack() {
  PlaySoundEffect(kSoundConfirm);
  switch (game.gameMode) {
    case kModeEditorTestPlay:
      if (game.playedFromSlotList == 0) {
        player.action = act::kFree;
        game.gameState = STATE_EDIT_RETURN;
      } else {
        game.gameState = STATE_EDIT_SLOT_SELECT;
        game.playedFromSlotList = 0;
      }
      game.editor.Create();
      ResetPlayerPlace();
      game.menuCursor = 0;
      game.screenEntered = 0;
      StopMusic();
      break;
    case kModeVr:
      game.gameState = STATE_VR_MENU;
      game.vrMenu.Create();
      game.screenEntered = 0;
      ResetPlayerPlace();
      game.menuCursor = 0;
      StopMusic();
      break;
    default:
      game.gameState = STATE_TITLE;
      game.screenEntered = 0;
      break;
  }
}

void PauseMenuPage(int pad) {
  const char* labels[3] = {"Cancel", "ReStart", BackLabel()};
  for (int r = 0; r < 3; ++r) {
    const bool cursor = game.menuCursor == r;
    const int x = 250 + 30 * r, y = 230 + 40 * r;
    DrawRectGraph(x, y, 0, cursor ? 69 : 0, 228, 34, Graph(kGraphPauseSheet), 1, 0);
    if (cursor) DrawNoiseBand(x, y - 1);
    Label(320 + 30 * r, 238 + 40 * r, labels[r], cursor);
  }
  const bool up = (pad & kPadUp) != 0, down = (pad & kPadDown) != 0;
  const bool confirm = Input(kInputConfirm), pause = Input(kInputPause);
  if (!up && !down && !confirm && !pause) {
    game.keyLatch = 0;
    return;
  }
  if (game.keyLatch != 0) return;
  game.keyLatch = 1;
  if (confirm) {
    const int row = game.menuCursor;
    game.menuCursor = 0;
    if (row == 0) {
      PlaySoundEffect(kSoundCancel);
      game.paused = 0;
      player.fireHeld = 1;  // the confirm that closed the menu is no shot
    } else if (row == 1) {
      Restart();
    } else {
      GoBack();
    }
    return;
  }
  if (pause) {
    game.menuCursor = 0;
    game.paused = 0;
    return;
  }
  game.menuCursor = up ? (game.menuCursor + 2) % 3 : (game.menuCursor + 1) % 3;
  PlaySoundEffect(kSoundCursor);
}

// ---- Pages 1 and 2 ----

struct OwnedList {
  int entries[13];
  int count = 0;
};

OwnedList OwnedWeapons() {
  OwnedList l;
  for (int w = 0; w <= 12; ++w) {
    if (player.weapons[w] != kNotOwned) l.entries[l.count++] = w;
  }
  return l;
}

OwnedList OwnedGadgets() {
  OwnedList l;
  for (int g = 0; g <= 9; ++g) {
    if (player.gadgets[g] != kNotOwned) l.entries[l.count++] = g;
  }
  return l;
}

int PositionOf(const OwnedList& l, int entry) {
  for (int i = 0; i < l.count; ++i) {
    if (l.entries[i] == entry) return i;
  }
  return 0;
}

void ListDigits(int value, int x, int tensX, int y) {
  if (value > 99) value = 99;
  if (value < 0) value = 0;
  auto digit = [y](int d, int at) { DrawRectGraph(at, y, 126, 201 + 20 * d, 12, 15, Graph(kGraphStrings), 1, 0); };
  if (value < 10) {
    digit(value, x);
  } else {
    digit(value / 10, tensX);
    digit(value % 10, x);
  }
}

void DescriptionBox(int leftX, int rightX, int textX, const char* text) {
  SetDrawBright(168, 168, 255);
  DrawRectGraph(leftX, 531, 0, 186, 240, 34, Graph(kGraphUi), 1, 0);
  DrawRectGraph(rightX, 531, 0, 223, 335, 34, Graph(kGraphUi), 1, 0);
  SetDrawBright(255, 255, 255);
  DrawFormatString(textX, 542, TextColour(), "%s", text);
}

void DrawWeaponList(const OwnedList& l) {
  DrawRectGraph(500, 0, 0, 0, 300, 600, Graph(kGraphListBack), 1, 0);
  for (int k = 0; k < l.count; ++k) {
    const int w = l.entries[k];
    const int x = kWeaponArc[k], y = kFirstRowY - kRowPitch * k;
    const bool cursor = k == game.menuCursor;
    DrawRectGraph(x, y, 0, cursor ? 69 : 0, 228, 34, Graph(kGraphPauseSheet), 1, 1);
    if (cursor) DrawNoiseBand(x - 10, y - 1);
    DrawRectGraph(x + 15, y + 5, w * 25, 280, 25, 18, Graph(graph_slot::kItemSheet), 1, 0);
    DrawRectGraph(x + 45, y + 5, 0, 121 + 20 * w, 100, 20, Graph(kGraphPauseSheet), 1, 0);
    DrawRectGraph(x + 140, y + 7, 0, 440, 20, 20, Graph(kGraphStrings), 1, 0);
    ListDigits(static_cast<int16_t>(player.weapons[w]), x + 163, x + 155, y + 7);
  }
  if (l.count > 0) DescriptionBox(110, 350, 127, kWeaponNotes[l.entries[game.menuCursor]]);
}

void DrawGadgetList(const OwnedList& l) {
  DrawRectGraph(0, 0, 0, 0, 300, 600, Graph(kGraphListBack), 1, 1);
  for (int k = 0; k < l.count; ++k) {
    const int g = l.entries[k];
    const int x = kGadgetArc[k], y = kFirstRowY - kRowPitch * k;
    const bool cursor = k == game.menuCursor;
    DrawRectGraph(x, y, 0, cursor ? 69 : 0, 228, 34, Graph(kGraphPauseSheet), 1, 0);
    if (cursor) DrawNoiseBand(x, y - 1);
    DrawRectGraph(x + 50, y + 5, g * 25, 300, 25, 18, Graph(graph_slot::kItemSheet), 1, 0);
    DrawRectGraph(x + 75, y + 5, 116, 121 + 20 * g, 100, 20, Graph(kGraphPauseSheet), 1, 0);
    if (g != 0) {
      DrawRectGraph(x + 170, y + 7, 0, 440, 20, 20, Graph(kGraphStrings), 1, 0);
      ListDigits(static_cast<int16_t>(player.gadgets[g]), x + 193, x + 185, y + 7);
    }
  }
  if (l.count > 0) DescriptionBox(120, 360, 132, kGadgetNotes[l.entries[game.menuCursor]]);
}

void CloseList() {
  game.paused = 0;
  player.fireHeld = 1;  // a confirm still held from eating a ration is no shot
  game.menuCursor = 0;
  game.screenTimer = kListSetUp;
}

void PickWeapon(const OwnedList& l) {
  game.keyLatch = 1;
  Player& p = player;
  if (l.count > 0) {
    const int chosen = l.entries[game.menuCursor];
    if (p.selectedWeapon == kWireWeapon && chosen != kWireWeapon && (p.wirePhase == 1 || p.wirePhase == 2)) {
      p.wirePhase = 0;
      p.action = act::kFree;
      RemoveShotsOfKind(kWireWeapon);
    }
    if (chosen == p.selectedWeapon && chosen != kWireWeapon) {
      p.action = act::kFree;
      p.actionTimer = 0;
    }
    p.selectedWeapon = static_cast<int16_t>(chosen);
  }
  CloseList();
}

void PickGadget(const OwnedList& l) {
  Player& p = player;
  if (l.count > 0) {
    const int chosen = l.entries[game.menuCursor];
    p.selectedGadget = static_cast<uint8_t>(chosen);
    p.hiding = chosen == kBoxGadget && p.onGround != 0 && p.airborne == 0 && p.climbing == 0 && p.action == act::kFree ? 1 : 0;
  }
  PlaySoundEffect(kSoundGadgetChange);
  CloseList();
}

void EatRation() {
  Player& p = player;
  if (static_cast<int16_t>(p.gadgets[kRation]) < 1 || p.life == 100) return;
  p.life = p.life + 50 > 100 ? 100 : p.life + 50;
  --p.gadgets[kRation];
  PlaySoundEffect(kSoundRation);
}

void ListPage(int pad, bool weapons) {
  const OwnedList l = weapons ? OwnedWeapons() : OwnedGadgets();
  if (game.screenTimer == kListSetUp) {
    game.screenTimer = kListRunning;
    game.menuCursor = PositionOf(l, weapons ? player.selectedWeapon : player.selectedGadget);
    game.holdFrames = 0;
    game.holdStep = 0;
  }
  if (game.menuCursor >= l.count) game.menuCursor = 0;
  if (weapons) {
    DrawWeaponList(l);
  } else {
    DrawGadgetList(l);
  }
  if (!Input(weapons ? kInputWeapon : kInputGadget)) {
    if (weapons) {
      PickWeapon(l);
    } else {
      PickGadget(l);
    }
    return;
  }
  if (!weapons && Input(kInputConfirm)) {
    if (game.keyLatch == 0 && l.count > 0 && l.entries[game.menuCursor] == kRation) EatRation();
    game.keyLatch = 1;
  }
  const bool up = (pad & kPadUp) != 0, down = (pad & kPadDown) != 0;
  if (!up && !down) {
    game.holdFrames = 0;
    game.holdStep = 0;
    if (!Input(kInputConfirm)) game.keyLatch = 0;
    return;
  }
  ListCursorStep(up, l.count);
}

}  // namespace

void ListCursorStep(bool up, int rows) {
  // A held direction moves once, then every frame once it has been held 20 frames.
  bool move = false;
  if (game.holdFrames == 0) {
    move = true;
    game.holdFrames = 1;
  } else if (game.holdFrames >= kRepeatDelay) {
    move = true;
  } else {
    ++game.holdFrames;
  }
  // An empty list has nowhere to move to.
  if (!move || rows <= 0) return;
  game.menuCursor = up ? (game.menuCursor + 1) % rows : (game.menuCursor + rows - 1) % rows;
  PlaySoundEffect(kSoundCursor);
}

void UpdatePauseMenu(int pad) {
  switch (game.pauseMenuPage) {
    case 0: PauseMenuPage(pad); break;
    case 1: ListPage(pad, true); break;
    case 2: ListPage(pad, false); break;
    default: break;
  }
}
