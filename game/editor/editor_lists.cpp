// The screens the editor's main menu opens: the block, enemy and item lists, the enemy
// settings with their sub-lists, the stage settings with their sub-modes; the button list
// of every mode, and the enemy markers drawn on the map.
#include <algorithm>
#include <cstring>

#include "game/editor/editor_tables.h"
#include "game/editor/stage_editor.h"
#include "game/editor/stage_file.h"
#include "game/mission/stage_loader.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "runtime/api.h"

namespace {

constexpr int kButtonWidth = 260, kButtonHeight = 30;
constexpr int kSlotButtonWidth = 400, kSlotButtonHeight = 30;
// The small buttons are as wide as their two-piece plate, so their hit boxes end where the
// plates do, inside the screen.
constexpr int kSmallButtonWidth = 200, kSmallButtonHeight = 30;
constexpr int kSmallButtonX = 580;
// The 18 enemy types stand in one column above the help bar.
constexpr int kTypeListTop = 25, kTypeListPitch = 29, kTypeButtonHeight = 28;
// The step buttons open beside the row they change.
constexpr int kStepButtonX = 510, kStepButtonGap = 32;
constexpr int kEditorUnlockByte = 15;
constexpr int kHeldFramesMax = 25;
constexpr int kFirstEnemyCode = 201;
constexpr int kEnemyListSlots = 15;
constexpr int kFrameGlowStrength = 168;
constexpr int kCountMax = 99;

// Ids of the enemy settings.
constexpr int kPlaceOnMap = 9, kClearSlot = 10;
constexpr int kTypeIdBase = 20;
constexpr int kFacingRight = 61, kFacingLeft = 62;
constexpr int kEquipmentIdBase = 51;
constexpr int kParam1Up = 101, kParam1Down = 102, kParam2Up = 111, kParam2Down = 112;
constexpr int kInitialIdBase = 71, kNormalIdBase = 81, kAttackIdBase = 91, kAlertIdBase = 95;
// Ids of the stage settings.
constexpr int kIncrease = 101, kDecrease = 102, kToggleDarkness = 109, kToggleStealth = 110;
constexpr int kWidthRow = 140, kCountRowBase = 150;
// Ids of the item list.
constexpr int kBulletIdBase = 141, kGadgetIdBase = 161, kItemIdBase = 175;

const char* const kEnemyRows[9] = {"敵のタイプ", "装備",     "向き",     "パラメータ１", "パラメータ２",
                                   "初期行動",   "通常行動", "攻撃行動", "警戒行動"};
const char* const kStageRows[5] = {"横の広さ", "縦の広さ", "雰囲気", "暗闇", "ステルスミッション"};

bool Unlocked() { return game.prefsFile[kEditorUnlockByte] != 0; }
bool IsInfantry(uint32_t t) { return t == 1 || t == 2; }
bool IsEnemySubMode(int mode) { return mode >= edit_mode::kEnemyType && mode <= edit_mode::kEnemyAlert; }
bool IsStageSubMode(int mode) { return mode >= edit_mode::kStageWidth && mode <= edit_mode::kEquipCount; }

int MissionOfAtmosphere(int atmosphere) {
  const int mission = atmosphere * 3 + 1;
  if (mission >= 7 && mission <= 9) return 9;
  if (mission == 10 || mission == 11) return 12;
  return mission;
}

const char* NameOr(const NamedEntry* entry, const char* fallback) { return entry != nullptr ? entry->name : fallback; }
const char* HelpOf(const NamedEntry* entry) { return entry != nullptr ? entry->help : nullptr; }

uint8_t StepWrapped(uint8_t value, int step, int low, int high) {
  int v = value + step;
  if (v > high) v = low;
  if (v < low) v = high;
  return static_cast<uint8_t>(v);
}

}  // namespace

const char* const kUnreadableName = "（名前が読めません）";

void StageEditor::AddButton(int id, const char* label, int x, int y, int width, int height, int style,
                            int enabled) {
  buttons.emplace_back(id, label, 1, x, y, width, height, style, enabled);
}

void StageEditor::BuildSlotButtons() {
  for (int i = 0; i < kUserStageSlots; ++i) {
    char path[32];
    UserStageFilePath(i + 1, path, sizeof path);
    const char* label = "No Data";
    slotHasData[i] = 0;
    // A file too short to hold a stage is shown as no stage; it stays on the disk.
    const FileHandle file = FileGetSizeByPath(path) >= kStageRecordBytes ? FileOpen(path, 0) : 0;
    if (file != 0) {
      uint8_t record[kStageRecordBytes] = {};
      ReadUpToARecord(path, file, record);
      FileClose(file);
      slotHasData[i] = 1;
      std::memcpy(slotNames[i], record + stage_record::kName, kStageNameBytes);
      slotNames[i][kStageNameBytes] = '\0';
      label = IsReadableStageName(record + stage_record::kName, kStageNameBytes) ? slotNames[i] : kUnreadableName;
    }
    AddButton(i, label, 100, 60 + 35 * i, kSlotButtonWidth, kSlotButtonHeight, button_style::kLong,
              mode == edit_mode::kSlotList);
  }
  if (mode == edit_mode::kSlotChosen) {
    AddButton(0, "編集", kSmallButtonX, 70, kSmallButtonWidth, kSmallButtonHeight, button_style::kPair, 1);
    AddButton(1, "新規作成", kSmallButtonX, 100, kSmallButtonWidth, kSmallButtonHeight, button_style::kPair, 1);
    AddButton(2, "プレイ", kSmallButtonX, 40, kSmallButtonWidth, kSmallButtonHeight, button_style::kPair, 1);
  }
}

void StageEditor::BuildButtons() {
  ClearButtons();
  rebuildButtons = 0;
  const int w = kButtonWidth, h = kButtonHeight;
  using button_style::kPair;
  using button_style::kWide;
  switch (mode) {
    case edit_mode::kSlotList:
    case edit_mode::kSlotChosen:
      BuildSlotButtons();
      return;
    case edit_mode::kMainMenu: {
      static const struct {
        int id, y;
        const char* label;
      } kEntries[] = {{0, 50, "テストプレイ"}, {1, 100, "ブロック選択"}, {2, 150, "敵選択"}, {6, 200, "アイテム選択"},
                      {3, 250, "ステージ設定"}, {4, 300, "セーブ"},      {5, 350, "終了"}};
      for (const auto& e : kEntries) AddButton(e.id, e.label, 50, e.y, w, h, kWide, 1);
      return;
    }
    case edit_mode::kSaveDialog:
      AddButton(0, "セーブ", kSmallButtonX, 40, kSmallButtonWidth, kSmallButtonHeight, kPair, 1);
      AddButton(1, "キャンセル", kSmallButtonX, 100, kSmallButtonWidth, kSmallButtonHeight, kPair, 1);
      return;
    case edit_mode::kBlockList:
      for (int i = 0; i < kBlockCount; ++i) {
        const int x = i < 14 ? 100 : 420, y = 30 + 34 * (i < 14 ? i : i - 14);
        AddButton(i, kBlocks[i].name, x, y, w, h, kWide, 1);
      }
      return;
    case edit_mode::kEnemyList:
      for (int i = 0; i < kEnemyListSlots; ++i) {
        AddButton(i, NameOr(EnemyTypeEntry(game.editEnemies[i].type), "No Enemy "), 100, 40 + 34 * i, w, h, kWide, 1);
      }
      return;
    case edit_mode::kItemList: {
      const int bullets = Unlocked() ? kBulletCount : kBulletsWithoutUnlock;
      for (int i = 0; i < bullets; ++i) AddButton(kBulletIdBase + i, kBullets[i].name, 100, 40 + 34 * i, w, h, kWide, 1);
      int row = 0;
      for (int g = 0; g < kEditorGadgetCount; ++g) {
        if (g == kEditorGadgetNotOffered) continue;
        AddButton(kGadgetIdBase + g, kGadgets[g].name, 420, 40 + 34 * row++, w, h, kWide, 1);
      }
      for (int i = 0; i < kEditorItemCount; ++i) {
        AddButton(kItemIdBase + i, kEditorItems[i].name, 420, 350 + 34 * i, w, h, kWide, 1);
      }
      return;
    }
    default: break;
  }
  if (mode == edit_mode::kEnemySettings || IsEnemySubMode(mode)) {
    const int enabled = mode == edit_mode::kEnemySettings;
    for (int i = 0; i < 9; ++i) AddButton(i, kEnemyRows[i], 50, 50 + 30 * i, w, h, kPair, enabled);
    AddButton(kPlaceOnMap, "マップに配置", 50, 400, w, h, kWide, enabled);
    AddButton(kClearSlot, "クリア", 50, 440, w, h, kWide, enabled);
    switch (mode) {
      case edit_mode::kEnemySettings: DisableEnemyButtons(); break;
      case edit_mode::kEnemyType:
        for (int i = 0; i < kEnemyTypeCount; ++i) {
          AddButton(kTypeIdBase + 1 + i, kEnemyTypes[i].name, 500, kTypeListTop + kTypeListPitch * i, w,
                    kTypeButtonHeight, kPair, 1);
        }
        break;
      case edit_mode::kEnemyFacing:
        AddButton(kFacingRight, "右向き", 500, 30, w, h, kPair, 1);
        AddButton(kFacingLeft, "左向き", 500, 65, w, h, kPair, 1);
        break;
      case edit_mode::kEnemyEquipment:
        for (int i = 0; i < kEquipmentCount; ++i) AddButton(kEquipmentIdBase + i, kEquipment[i].name, 500, 30 + 30 * i, w, h, kPair, 1);
        break;
      case edit_mode::kEnemyParam1:
      case edit_mode::kEnemyParam2: {
        const bool first = mode == edit_mode::kEnemyParam1;
        const int y = 50 + 30 * (first ? 3 : 4);
        AddButton(first ? kParam1Up : kParam2Up, "増加", kStepButtonX, y, w, h, kPair, 1);
        AddButton(first ? kParam1Down : kParam2Down, "減少", kStepButtonX, y + kStepButtonGap, w, h, kPair, 1);
        break;
      }
      case edit_mode::kEnemyInitial:
      case edit_mode::kEnemyNormal: {
        const int base = mode == edit_mode::kEnemyInitial ? kInitialIdBase : kNormalIdBase;
        for (int i = 0; i < kIdleBehaviourCount; ++i) AddButton(base + i, kIdleBehaviours[i].name, 500, 30 + 30 * i, w, h, kPair, 1);
        break;
      }
      case edit_mode::kEnemyAttack:
        for (int i = 0; i < kAttackBehaviourCount; ++i) AddButton(kAttackIdBase + i, kAttackBehaviours[i].name, 500, 30 + 30 * i, w, h, kPair, 1);
        break;
      case edit_mode::kEnemyAlert:
        for (int i = 0; i < kAlertBehaviourCount; ++i) AddButton(kAlertIdBase + i, kAlertBehaviours[i].name, 500, 30 + 30 * i, w, h, kPair, 1);
        break;
      default: break;
    }
    return;
  }
  if (mode == edit_mode::kStageSettings || IsStageSubMode(mode)) {
    const int enabled = mode == edit_mode::kStageSettings;
    for (int i = 0; i < 5; ++i) AddButton(kWidthRow + i, kStageRows[i], 50, 25 + 30 * i, w, h, kPair, enabled);
    for (int i = 0; i < kBulletsWithoutUnlock; ++i) AddButton(kCountRowBase + i, kBullets[i].name, 20, 250 + 35 * i, w, h, kPair, enabled);
    if (Unlocked()) {
      for (int i = kBulletsWithoutUnlock; i < kBulletCount; ++i) {
        AddButton(kCountRowBase + i, kBullets[i].name, 420, 250 + 35 * (i - kBulletsWithoutUnlock), w, h, kPair, enabled);
      }
    }
    switch (mode) {
      case edit_mode::kStageWidth:
      case edit_mode::kStageHeight:
      case edit_mode::kAtmosphere:
      case edit_mode::kEquipCount: {
        int x = kStepButtonX, y = 25 + 30 * (mode - edit_mode::kStageWidth);
        if (mode == edit_mode::kEquipCount) {
          // Right of a count in the left column; in the right column, over the left column's
          // counts, which are closed while one count changes.
          const int i = std::min<int>(selectedCount, kBulletCount - 1);
          const bool left = i < kBulletsWithoutUnlock;
          x = left ? 460 : 200;
          y = 250 + 35 * (left ? i : i - kBulletsWithoutUnlock);
        }
        AddButton(kIncrease, "増加", x, y, w, h, kPair, 1);
        AddButton(kDecrease, "減少", x, y + kStepButtonGap, w, h, kPair, 1);
        break;
      }
      case edit_mode::kDarkness: AddButton(kToggleDarkness, "変更", kStepButtonX, 25 + 30 * 3, w, h, kPair, 1); break;
      case edit_mode::kStealth: AddButton(kToggleStealth, "変更", kStepButtonX, 25 + 30 * 4, w, h, kPair, 1); break;
      default: break;
    }
  }
}

void StageEditor::DisableEnemyButtons() {
  for (EditorButton& b : buttons) b.enabled = 1;
  const uint32_t t = game.editEnemies[std::clamp(selectedEnemySlot, 0, kStageEnemyRecords - 1)].type;
  auto disable = [this](std::initializer_list<int> ids) {
    for (EditorButton& b : buttons) {
      for (int id : ids) {
        if (b.id == id) b.enabled = 0;
      }
    }
  };
  if (t == 0) {
    disable({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  } else if (IsInfantry(t)) {
    disable({3, 4});
  } else {
    disable({1, 5, 6, 7, 8});
    if (t == 14 || t == 15 || t == 16) disable({2});
    if (t == 4 || t == 6 || t == 7 || t == 9 || t == 11) disable({4});
    if (t == 12) disable({2, 3, 4});
    if (t == 13 || t == 17 || t == 18) disable({3, 4});
  }
}

void StageEditor::RunListMouse(const Mouse& m) {
  const bool paramMode = mode == edit_mode::kEnemyParam1 || mode == edit_mode::kEnemyParam2;
  if (m.left && paramMode && hoveredId != kNoButton) {
    StepParameter(m);
  } else if (m.left && game.mouseLatch == 0 && hoveredId != kNoButton) {
    PlaySoundEffect(kSoundConfirm);
    game.mouseLatch = 1;
    const int id = hoveredId;
    switch (mode) {
      case edit_mode::kBlockList:
        game.editBlockCode = BlockTileCode(id);
        game.editSkin = 0;
        clickHeld = 1;
        mode = edit_mode::kMap;
        break;
      case edit_mode::kItemList:
        game.editBlockCode = static_cast<uint8_t>(id);
        game.editSkin = 0;
        clickHeld = 1;
        mode = edit_mode::kMap;
        break;
      case edit_mode::kEnemyList:
        selectedEnemySlot = std::clamp(id, 0, kStageEnemyRecords - 1);
        clickHeld = 1;
        mode = edit_mode::kEnemySettings;
        break;
      case edit_mode::kEnemySettings: ActOnEnemySettings(id); break;
      case edit_mode::kStageSettings:
        if (id >= kWidthRow && id < kWidthRow + 5) {
          mode = static_cast<uint8_t>(edit_mode::kStageWidth + (id - kWidthRow));
        } else if (id >= kCountRowBase && id < kCountRowBase + kBulletCount) {
          selectedCount = static_cast<uint16_t>(id - kCountRowBase);
          mode = edit_mode::kEquipCount;
        }
        break;
      default:
        if (IsEnemySubMode(mode)) ActOnEnemySubList(id);
        if (IsStageSubMode(mode)) ActOnStageSubMode(id);
        break;
    }
  } else if (m.right && game.mouseLatch == 0) {
    PlayCursorSound();
    game.mouseLatch = 1;
    if (mode == edit_mode::kEnemySettings) {
      mode = edit_mode::kEnemyList;
    } else if (IsEnemySubMode(mode)) {
      mode = edit_mode::kEnemySettings;
    } else if (IsStageSubMode(mode)) {
      LeaveStageSubMode();
    } else {
      mode = edit_mode::kMainMenu;
    }
  } else if (!m.left && !m.right && m.wheel == 0) {
    game.mouseLatch = 0;
  }
}

void StageEditor::ActOnEnemySettings(int id) {
  static const uint8_t kSubModeOfRow[9] = {edit_mode::kEnemyType,    edit_mode::kEnemyEquipment, edit_mode::kEnemyFacing,
                                           edit_mode::kEnemyParam1,  edit_mode::kEnemyParam2,    edit_mode::kEnemyInitial,
                                           edit_mode::kEnemyNormal,  edit_mode::kEnemyAttack,    edit_mode::kEnemyAlert};
  const int slot = std::clamp(selectedEnemySlot, 0, kStageEnemyRecords - 1);
  EditEnemy& e = game.editEnemies[slot];
  if (id >= 0 && id < 9) {
    mode = kSubModeOfRow[id];
  } else if (id == kPlaceOnMap) {
    if (e.type == 0) return;
    game.editBlockCode = static_cast<uint8_t>(kFirstEnemyCode + slot);
    game.editSkin = 0;
    clickHeld = 1;
    mode = edit_mode::kMap;
  } else if (id == kClearSlot) {
    e = EditEnemy{};
    rebuildButtons = 1;
  }
}

void StageEditor::ActOnEnemySubList(int id) {
  EditEnemy& e = game.editEnemies[std::clamp(selectedEnemySlot, 0, kStageEnemyRecords - 1)];
  switch (mode) {
    case edit_mode::kEnemyType: {
      const uint32_t type = static_cast<uint32_t>(id - kTypeIdBase);
      if (type != e.type) {
        e = EditEnemy{};
        e.type = type;
      }
      break;
    }
    case edit_mode::kEnemyFacing: e.facing = id == kFacingLeft ? 1 : 0; break;
    case edit_mode::kEnemyEquipment: e.equipment = static_cast<uint8_t>(id - kEquipmentIdBase); break;
    case edit_mode::kEnemyInitial: e.initialBehaviour = static_cast<uint8_t>(id - kInitialIdBase); break;
    case edit_mode::kEnemyNormal: e.normalBehaviour = static_cast<uint8_t>(id - kNormalIdBase); break;
    case edit_mode::kEnemyAttack: e.attackBehaviour = static_cast<uint8_t>(id - kAttackIdBase); break;
    case edit_mode::kEnemyAlert: e.alertBehaviour = static_cast<uint8_t>(id - kAlertIdBase); break;
    default: return;
  }
  mode = edit_mode::kEnemySettings;
}

void StageEditor::StepParameter(const Mouse&) {
  if (leftHeldFrames != 1 && leftHeldFrames < kHeldFramesMax) return;
  EditEnemy& e = game.editEnemies[std::clamp(selectedEnemySlot, 0, kStageEnemyRecords - 1)];
  uint32_t& value = mode == edit_mode::kEnemyParam1 ? e.param1 : e.param2;
  const bool up = hoveredId == kParam1Up || hoveredId == kParam2Up;
  const bool down = hoveredId == kParam1Down || hoveredId == kParam2Down;
  if (up) value = value >= 255 ? 0 : value + 1;
  if (down) value = value == 0 ? 255 : std::min<uint32_t>(value, 256) - 1;
}

void StageEditor::ActOnStageSubMode(int id) {
  const int step = id == kIncrease ? 1 : (id == kDecrease ? -1 : 0);
  switch (mode) {
    case edit_mode::kStageWidth:
    case edit_mode::kStageHeight: {
      if (step == 0) return;
      uint8_t& screens = mode == edit_mode::kStageWidth ? game.editScreensX : game.editScreensY;
      screens = StepWrapped(std::clamp<uint8_t>(screens, 1, 3), step, 1, 3);
      player.x = 0;
      player.y = 0;
      game.scrollX = 0;
      game.scrollY = 0;
      break;
    }
    case edit_mode::kAtmosphere:
      if (step != 0) atmosphere = StepWrapped(std::min<uint8_t>(atmosphere, 7), step, 0, 7);
      break;
    case edit_mode::kDarkness:
      if (id == kToggleDarkness) darkness = darkness == 0 ? 1 : 0;
      break;
    case edit_mode::kStealth:
      if (id == kToggleStealth) stealthMission = stealthMission == 0 ? 1 : 0;
      break;
    case edit_mode::kEquipCount: {
      if (step == 0) return;
      uint16_t& count = equipCounts[std::min<int>(selectedCount, kBulletCount - 1)];
      count = StepWrapped(static_cast<uint8_t>(std::min<int>(count, kCountMax)), step, 0, kCountMax);
      break;
    }
    default: break;
  }
}

void StageEditor::LeaveStageSubMode() {
  if (mode == edit_mode::kAtmosphere && atmosphere != game.area) {
    game.area = atmosphere;
    LoadMapChips();
    game.missionNumber = static_cast<uint8_t>(MissionOfAtmosphere(game.area));
  }
  mode = edit_mode::kStageSettings;
}

void StageEditor::DrawEnemySettings() {
  SetDrawBlendMode(kBlendAlpha, kHalfStrength);
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  SetDrawBlendMode(kBlendNone, 0);
}

void StageEditor::DrawEnemySettingsValues() {
  for (int i = 0; i < 9; ++i) {
    const int y = 50 + 30 * i;
    DrawRectGraph(237, y, 0, 118, 269, 36, panelGraph, 1, 0);
    if (hoveredId == i) {
      SetDrawBlendMode(kBlendAdd, kFrameGlowStrength);
      DrawRectGraph(237, y, 0, 118, 269, 36, panelGraph, 1, 0);
      DrawRectGraph(237, y, 0, 168, 269, 36, panelGraph, 1, 0);
      SetDrawBlendMode(kBlendNone, 0);
    }
  }
  const EditEnemy& e = game.editEnemies[std::clamp(selectedEnemySlot, 0, kStageEnemyRecords - 1)];
  const uint32_t t = e.type;
  const NamedEntry* type = EnemyTypeEntry(t);
  if (type == nullptr) return;
  const unsigned white = GetColor(255, 255, 255);
  constexpr char kNone[] = "-------";
  const bool infantry = IsInfantry(t);
  DrawFormatString(330, 61, white, "%s", type->name);
  DrawFormatString(330, 91, white, "%s", infantry ? NameOr(TableEntry(kEquipment, kEquipmentCount, e.equipment), kNone) : kNone);
  const char* facing = kNone;
  if (infantry) facing = e.facing == 1 ? "左向き" : "右向き";
  if (t >= 4) facing = e.facing == 1 ? "左方向へ" : "右方向へ";
  DrawFormatString(330, 121, white, "%s", facing);
  const bool param1 = (t >= 3 && t <= 11) || (t >= 14 && t <= 16);
  const bool param2 = t == 3 || t == 5 || t == 8 || t == 10 || (t >= 14 && t <= 16);
  if (param1) DrawFormatString(330, 151, white, "%d", static_cast<int>(e.param1));
  else DrawFormatString(330, 151, white, "%s", kNone);
  if (param2) DrawFormatString(330, 181, white, "%d", static_cast<int>(e.param2));
  else DrawFormatString(330, 181, white, "%s", kNone);
  const char* behaviours[4] = {kNone, kNone, kNone, kNone};
  if (infantry) {
    behaviours[0] = NameOr(TableEntry(kIdleBehaviours, kIdleBehaviourCount, e.initialBehaviour), kNone);
    behaviours[1] = NameOr(TableEntry(kIdleBehaviours, kIdleBehaviourCount, e.normalBehaviour), kNone);
    behaviours[2] = NameOr(TableEntry(kAttackBehaviours, kAttackBehaviourCount, e.attackBehaviour), kNone);
    behaviours[3] = NameOr(TableEntry(kAlertBehaviours, kAlertBehaviourCount, e.alertBehaviour), kNone);
  }
  for (int i = 0; i < 4; ++i) DrawFormatString(330, 211 + 30 * i, white, "%s", behaviours[i]);
}

void StageEditor::DrawStageSettings() {
  SetDrawBlendMode(kBlendAlpha, 168);
  DrawBox(0, 0, kScreenWidth, kScreenHeight, GetColor(0, 0, 0), 1);
  SetDrawBlendMode(kBlendNone, 0);
}

void StageEditor::DrawStageSettingsValues() {
  auto frame = [this](int x, int y, int sourceY, int width, bool glow, int glowWidth, int glowSourceY) {
    DrawRectGraph(x, y, 0, sourceY, width, 36, panelGraph, 1, 0);
    if (!glow) return;
    SetDrawBlendMode(kBlendAdd, kFrameGlowStrength);
    DrawRectGraph(x, y, 0, sourceY, glowWidth, 36, panelGraph, 1, 0);
    DrawRectGraph(x, y, 0, glowSourceY, glowWidth, 36, panelGraph, 1, 0);
    SetDrawBlendMode(kBlendNone, 0);
  };
  for (int i = 0; i < 5; ++i) frame(237, 25 + 30 * i, 118, 269, hoveredId == kWidthRow + i, 269, 168);
  for (int i = 0; i < kBulletsWithoutUnlock; ++i) frame(207, 250 + 35 * i, 216, 250, hoveredId == kCountRowBase + i, 269, 266);
  const bool unlocked = Unlocked();
  if (unlocked) {
    for (int i = 0; i < kBulletCount - kBulletsWithoutUnlock; ++i) {
      frame(607, 250 + 35 * i, 216, 170, hoveredId == kCountRowBase + kBulletsWithoutUnlock + i, 170, 266);
    }
  }
  const unsigned white = GetColor(255, 255, 255);
  DrawFormatString(330, 36, white, "%d", game.editScreensX);
  DrawFormatString(330, 66, white, "%d", game.editScreensY);
  DrawFormatString(330, 96, white, "ステージ %d", atmosphere + 1);
  DrawFormatString(330, 126, white, "%s", darkness != 0 ? "暗闇ON" : "暗闇OFF");
  DrawFormatString(330, 156, white, "%s", stealthMission != 0 ? "オン" : "オフ");
  for (int i = 0; i < kBulletsWithoutUnlock; ++i) DrawFormatString(280, 261 + 35 * i, white, "%2d 発", equipCounts[i]);
  if (unlocked) {
    for (int i = kBulletsWithoutUnlock; i < kBulletCount; ++i) {
      DrawFormatString(680, 261 + 35 * (i - kBulletsWithoutUnlock), white, "%2d 発", equipCounts[i]);
    }
  }
}

const char* StageEditor::ListHelpLine() const {
  const int id = hoveredId;
  const bool none = id == kNoButton;
  switch (mode) {
    case edit_mode::kBlockList:
      if (id >= 0 && id < kBlockCount) return kBlocks[id].help;
      return "配置するブロックを選択します。右クリックでメインメニューへ戻ります。";
    case edit_mode::kItemList:
      // Nothing hovered must not be looked up in the description tables.
      if (id >= kBulletIdBase && id < kBulletIdBase + kBulletCount) return kBullets[id - kBulletIdBase].help;
      if (id >= kGadgetIdBase && id < kGadgetIdBase + kEditorGadgetCount) return kGadgets[id - kGadgetIdBase].help;
      if (id >= kItemIdBase && id < kItemIdBase + kEditorItemCount) return kEditorItems[id - kItemIdBase].help;
      return "配置するアイテムを選択します。右クリックでメインメニューへ戻ります。";
    case edit_mode::kEnemyList: return "配置する敵キャラを設定します。右クリックでメインメニューへ戻ります。";
    case edit_mode::kEnemySettings: return EnemyHelpLine();
    case edit_mode::kStageSettings:
      switch (id) {
        case 140: return "ステージの横幅(画面数)を変更します。（１～３）";
        case 141: return "ステージの縦幅(画面数)を変更します。（１～３）";
        case 142: return "ステージの雰囲気を変更します。";
        case 143: return "ステージが暗闇に包まれているかを変更します。";
        case 144: return "ステルスミッションを設定します。";
        default:
          if (id >= kCountRowBase && id < kCountRowBase + kBulletCount) return kBullets[id - kCountRowBase].help;
          return "ステージの設定を変更します。右クリックでメインメニューへ戻ります。";
      }
    default: break;
  }
  if (none || !IsEnemySubMode(mode)) return nullptr;
  const EditEnemy& e = game.editEnemies[std::clamp(selectedEnemySlot, 0, kStageEnemyRecords - 1)];
  const uint32_t t = e.type;
  switch (mode) {
    case edit_mode::kEnemyType: return HelpOf(EnemyTypeEntry(static_cast<uint32_t>(id - kTypeIdBase)));
    case edit_mode::kEnemyFacing:
      return t >= 3 && t <= 6 ? "カメラが最初に動く方向" : "敵キャラが最初に向いている方向を選択します。";
    case edit_mode::kEnemyEquipment: return HelpOf(TableEntry(kEquipment, kEquipmentCount, id - kEquipmentIdBase));
    case edit_mode::kEnemyParam1:
      switch (t) {
        case 3: case 5: return "カメラの向いている角度。(常に固定)";
        case 4: case 6: return "カメラが最初に向いている角度。";
        case 7: case 9: return "UADが左右に移動する距離。";
        case 8: case 10: return "UADが上下に移動する距離。";
        case 11: return "タレットが向いている方向を維持する時間。(1秒は60)";
        case 14: return "レーザーポインタが向いている角度。(常に固定)";
        case 15: case 16: return "放電の大きさ。(0:小　1:大)";
        default: return nullptr;
      }
    case edit_mode::kEnemyParam2:
      switch (t) {
        case 3: case 5: return "カメラの、動作と故障を繰り返す時間。(1秒は60)";
        case 7: case 9: return "UADが最初に左右どちらに移動するか。(0:右　1:左)";
        case 8: case 10: return "UADが最初に上下どちらに移動するか。(0:下　1:上)";
        case 14: return "レーザーポインタの、動作と故障を繰り返す時間。(1秒は60)";
        case 15: case 16: return "放電時間。(1秒は60)";
        default: return nullptr;
      }
    case edit_mode::kEnemyInitial: return HelpOf(TableEntry(kIdleBehaviours, kIdleBehaviourCount, id - kInitialIdBase));
    case edit_mode::kEnemyNormal: return HelpOf(TableEntry(kIdleBehaviours, kIdleBehaviourCount, id - kNormalIdBase));
    case edit_mode::kEnemyAttack: return HelpOf(TableEntry(kAttackBehaviours, kAttackBehaviourCount, id - kAttackIdBase));
    case edit_mode::kEnemyAlert: return HelpOf(TableEntry(kAlertBehaviours, kAlertBehaviourCount, id - kAlertIdBase));
    default: return nullptr;
  }
}

const char* StageEditor::EnemyHelpLine() const {
  const int id = hoveredId;
  if (id == kNoButton) {
    return "敵キャラのステータスを設定します。まずは敵のタイプから設定します。右クリックで敵キャラ選択へ戻ります。";
  }
  const uint32_t t = game.editEnemies[std::clamp(selectedEnemySlot, 0, kStageEnemyRecords - 1)].type;
  if (t == 0) return "まずは敵のタイプから設定します。";
  switch (id) {
    case 0: return "敵のタイプを選択します。";
    case 1: return IsInfantry(t) ? "歩兵タイプの敵キャラの装備を選択します。" : nullptr;
    case 2: return "敵キャラが最初に向いている方向を選択します。";
    case 3:
      switch (t) {
        case 3: case 5: return "監視カメラが向いている角度を決定します。";
        case 4: case 6: return "監視カメラが最初に向いている角度を決定します。";
        case 7: case 8: case 9: case 10: return "UADが移動する距離を設定します。";
        case 11: return "タレットが現在の方向を向いている時間を設定します。";
        case 14: return "レーザーポインタが向いている角度を設定します。";
        case 15: case 16: return "放電の大きさを設定します。";
        default: return nullptr;
      }
    case 4:
      switch (t) {
        case 3: case 5: return "監視カメラが動作している時間を決定します。";
        case 7: case 9: return "UADが最初に移動する方向（左右）を設定します。";
        case 8: case 10: return "UADが最初に移動する方向（上下）を設定します。";
        case 14: return "レーザーポインタが動作している時間を設定します。";
        case 15: case 16: return "放電している時間を設定します。";
        default: return nullptr;
      }
    case 5: return IsInfantry(t) ? "ゲーム開始時に取る行動を選択します。プレイヤーを見つけるまでこの行動は続きます。" : nullptr;
    case 6: return IsInfantry(t) ? "一度プレイヤーを発見し、警戒モードが解かれたときにとる通常行動を選択します。" : nullptr;
    case 7: return IsInfantry(t) ? "プレイヤーを発見している時の行動を選択します。" : nullptr;
    case 8: return IsInfantry(t) ? "プレイヤーを見失った時（警戒中）の行動を選択します。" : nullptr;
    case kPlaceOnMap: return "この敵をマップに配置します。";
    case kClearSlot: return "この敵の情報を消去します。";
    default: return nullptr;
  }
}

void StageEditor::DrawEnemyMarker(int slot, int x, int y) {
  // Grid codes past the twentieth slot name no enemy.
  if (slot < 0 || slot >= kStageEnemyRecords) return;
  const EditEnemy& e = game.editEnemies[slot];
  const int mirror = e.facing == 1 ? 1 : 0;
  const int* g = game.graphs;
  auto cameraSource = [&e](int* sx, int* sy) {
    const uint32_t a = e.param1;
    if (a < 45) { *sx = 80; *sy = 0; }
    else if (a < 60) { *sx = 160; *sy = 0; }
    else if (a < 75) { *sx = 0; *sy = 80; }
    else if (a < 105) { *sx = 80; *sy = 80; }
    else if (a < 120) { *sx = 160; *sy = 80; }
    else if (a < 130) { *sx = 0; *sy = 160; }
    else { *sx = 80; *sy = 160; }
  };
  int sx = 0, sy = 0;
  switch (e.type) {
    case 1: DrawRectGraph(x - 40, y - 55, 0, 0, 120, 108, g[31], 1, mirror); break;
    case 2: DrawRectGraph(x - 40, y - 55, 0, 0, 120, 108, g[33], 1, mirror); break;
    case 3: case 4:
      cameraSource(&sx, &sy);
      DrawRectGraph(x - 20, y - 25, sx, sy, 80, 80, g[35], 1, 0);
      break;
    case 5: case 6:
      cameraSource(&sx, &sy);
      DrawRectGraph(x - 20, y - 25, sx, sy, 80, 80, g[36], 1, 0);
      break;
    case 7: case 8: case 9: case 10: DrawRectGraph(x - 20, y - 25, 0, 0, 80, 80, g[38], 1, mirror); break;
    case 11: DrawRectGraph(x - 30, y - 5, 0, 0, 100, 40, g[37], 1, mirror); break;
    case 12: DrawRectGraph(x, y + 9, 160, 0, 40, 40, g[41], 1, 0); break;
    case 13: DrawRectGraph(x + 10, y - 3, 0, 0, 40, 40, g[42], 1, mirror); break;
    case 14: DrawRectGraph(x, y - 10, 0, 0, 40, 40, g[43], 1, mirror); break;
    case 15: DrawRectGraph(x, y, 0, 0, 40, 40, g[40], 1, 0); break;
    case 16: DrawRectGraph(x, y, 0, 120, 40, 40, g[40], 1, 0); break;
    case 17: DrawRectGraph(x, y + 8, 0, 0, 40, 40, g[44], 1, mirror); break;
    case 18:
      DrawRectGraph(x - 30, y - 50, 0, 0, 120, 108, g[46], 1, mirror);
      DrawRectGraph(x - 30, y - 50, 0, 0, 120, 108, g[45], 1, mirror);
      break;
    default: break;
  }
}
