// The slot screen of user stages, the editor object's life, and test play with its roads
// back.
#include <cstring>

#include "game/editor/stage_editor.h"
#include "game/editor/stage_file.h"
#include "game/mission/stage_loader.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "runtime/api.h"

namespace {

constexpr char kPointerPath[] = "gsx/98.png";
constexpr char kEraserPath[] = "gsx/99.png";
constexpr char kPanelPath[] = "patch/edit1.png";
constexpr char kCharPath[] = "patch/edit_char.png";
constexpr char kCursorSoundPath[] = "efx/edit01_cursor_01.wav";
constexpr int kCursorSoundBuffers = 3;
constexpr int kNoStreamOption = -1;

constexpr int kCancelAction = 2;
constexpr int kRuleKeyItem = 7;
constexpr int kCollectionFirst = 61, kCollectionBytes = 6;
constexpr int kNoBulletKinds = 13;  // kinds 0..12 can be selected

// Slot-chosen buttons.
constexpr int kEditId = 0, kNewId = 1, kPlayId = 2;

}  // namespace

StageEditor::StageEditor() {
  buttons.reserve(64);
  player.selectedGadget = 0;
  game.costume = 0;
  cursorSound = LoadSound(kCursorSoundPath, kCursorSoundBuffers, kNoStreamOption);
  SetSoundVolume(game.seVolume, cursorSound);
  pointerGraph = LoadGraph(kPointerPath, 0);
  eraserGraph = LoadGraph(kEraserPath, 0);
  panelGraph = LoadGraph(kPanelPath, 0);
  charGraph = LoadGraph(kCharPath, 0);
}

StageEditor::~StageEditor() {
  ClearButtons();
  // A dialog still open when the object goes would hold its key-input slot for ever.
  if (keyInput >= 0) DeleteKeyInput(keyInput);
  for (int graph : {pointerGraph, eraserGraph, panelGraph, charGraph}) {
    if (graph > 0) DeleteGraph(graph, 0);
  }
  if (cursorSound >= 0) DeleteSound(cursorSound, 0);
}

void StageEditor::ClearButtons() { buttons.clear(); }

void StageEditor::UpdateSlotSelect(int) {
  if (game.screenEntered == 0) {
    LoadScreenGraphics();
    mode = edit_mode::kSlotList;
    game.screenEntered = 1;
    lastMode = 99;
    clickHeld = 0;
  }
  Mouse m = ReadMouse();
  hoveredId = kNoButton;
  if (lastMode != mode || rebuildButtons != 0) BuildButtons();
  lastMode = mode;
  HitTestAndDrawButtons(m);
  DrawTitlePanel();
  DrawNotice();
  DrawPointer(m);
  // The wheel only keeps the click latch from clearing while it turns.
  m.wheel = GetMouseWheel();
  if (mode == edit_mode::kSlotList) {
    RunSlotList(m);
  } else if (mode == edit_mode::kSlotChosen) {
    RunSlotChosen(m);
  }
}

void StageEditor::RunSlotList(const Mouse& m) {
  if (m.left && game.mouseLatch == 0 && hoveredId != kNoButton) {
    PlaySoundEffect(kSoundConfirm);
    game.mouseLatch = 1;
    mode = edit_mode::kSlotChosen;
    slotNumber = hoveredId + 1;
  } else if ((m.right && game.mouseLatch == 0) || game.action[kCancelAction] != 0) {
    PlaySoundEffect(kSoundCancel);
    game.menuCursor = 0;
    game.screenEntered = 0;
    game.gameState = STATE_TITLE;
  } else if (m.wheel == 0) {
    game.mouseLatch = 0;
  }
}

void StageEditor::RunSlotChosen(const Mouse& m) {
  if (m.left && game.mouseLatch == 0 && hoveredId != kNoButton) {
    switch (hoveredId) {
      case kEditId:
        game.mouseLatch = 1;
        PlaySoundEffect(kSoundConfirm);
        ReadStageFile();
        break;
      case kNewId:
        PlaySoundEffect(kSoundConfirm);
        game.mouseLatch = 1;
        StartNewStage();
        break;
      case kPlayId:
        PlaySoundEffect(kSoundConfirm);
        game.playedFromSlotList = 1;
        game.mouseLatch = 1;
        if (ReadStageFile() == 0 && !TryStartTestPlay()) {
          // The read opened the editor: stay on the slot screen with the notice.
          game.gameState = STATE_EDIT_SLOT_SELECT;
          game.screenEntered = 1;
          mode = edit_mode::kSlotChosen;
        }
        break;
      default:
        break;
    }
  } else if (m.right && game.mouseLatch == 0) {
    PlayCursorSound();
    game.mouseLatch = 1;
    mode = edit_mode::kSlotList;
  } else if (m.wheel == 0) {
    game.mouseLatch = 0;
  }
}

void StageEditor::StartNewStage() {
  mode = edit_mode::kMap;
  game.screenEntered = 0;
  game.gameState = STATE_EDITOR;
  std::memset(game.stageBuffer, 0, sizeof game.stageBuffer);
  std::memset(game.mapGrid, 0, sizeof game.mapGrid);
  std::memset(stageName, 0, sizeof stageName);
  game.editScreensX = 1;
  game.editScreensY = 1;
  darkness = 1;
  stealthMission = 0;
  atmosphere = 0;
}

namespace {
constexpr int kNoticeFrames = 180;
const char* const kNoStartNotice = "スタート地点がないため、テストプレイできません。";
}  // namespace

bool StageEditor::TryStartTestPlay() {
  if (!StageHasStart()) {
    PlaySoundEffect(kSoundCancel);
    notice = kNoStartNotice;
    noticeFrames = kNoticeFrames;
    return false;
  }
  StartTestPlay();
  return true;
}

void StageEditor::DrawNotice() {
  if (noticeFrames <= 0 || notice == nullptr) return;
  --noticeFrames;
  SetDrawBlendMode(kBlendAlpha, 208);
  DrawBox(150, 270, 650, 320, GetColor(40, 0, 8), 1);
  SetDrawBlendMode(kBlendNone, 0);
  DrawBox(150, 270, 650, 320, GetColor(255, 96, 96), 0);
  DrawFormatString(170, 287, GetColor(255, 255, 255), "%s", notice);
}

void StageEditor::StartTestPlay() {
  game.screenEntered = 0;
  game.gameState = STATE_STAGE_LOAD;
  game.gameMode = kModeEditorTestPlay;
  player.life = 100;
  game.detections = 0;
  player.x = 0;
  player.y = 0;
  game.scrollX = 0;
  game.scrollY = 0;

  for (int i = 0; i < kStageEnemyRecords; ++i) {
    const EditEnemy& e = game.editEnemies[i];
    if (e.type == 0) continue;
    uint16_t* r = game.stageEnemyRecords[i];
    r[0] = static_cast<uint16_t>(e.type);
    r[1] = 0;
    r[2] = e.equipment;
    r[3] = static_cast<uint16_t>(e.facing);
    r[4] = static_cast<uint16_t>(e.param1);
    r[5] = static_cast<uint16_t>(e.param2);
    r[6] = e.initialBehaviour;
    r[7] = e.normalBehaviour;
    r[8] = e.attackBehaviour;
    r[9] = e.alertBehaviour;
  }
  StoreEditedStage(*this, game.stageBuffer);

  game.area = atmosphere;
  if (atmosphere == 3) game.subStage = 4;
  int mission = atmosphere * 3 + 1;
  if (mission >= 7 && mission <= 9) mission = 9;
  if (mission == 10 || mission == 11) mission = 12;
  game.missionNumber = static_cast<uint8_t>(mission);

  for (int k = 0; k < kEquipCounts; ++k) {
    player.weapons[k] = equipCounts[k];
    if (k >= 1 && equipCounts[k] == 0) player.weapons[k] = kNotOwned;
  }
  player.gadgets[0] = 0;
  for (int g = 1; g < kGadgetCount; ++g) player.gadgets[g] = kNotOwned;
  player.selectedWeapon = 0;
  for (int k = 0; k < kNoBulletKinds; ++k) {
    if (equipCounts[k] > 0) {
      player.selectedWeapon = static_cast<int16_t>(k);
      break;
    }
  }
  player.storedGadget = 0;
  game.missionRules[kRuleKeyItem] = 0;
  std::memset(game.saveRecord + kCollectionFirst, 0, kCollectionBytes);
  std::memset(game.checkpoint + kCollectionFirst, 0, kCollectionBytes);
}

void StageEditor::RestoreAfterTestPlay() {
  LoadEditedStage(*this, game.stageBuffer);
  game.gameState = STATE_EDITOR;
}

void StageEditor::RestartTestPlay() {
  RestoreAfterTestPlay();
  StartTestPlay();
}

void StageEditor::LoadSlotAndEdit() {
  ReadStageFile();
  game.gameState = STATE_EDITOR;
}

void ReturnFromTestPlay(bool restart) {
  game.editor.Create();
  game.screenEntered = 0;
  if (restart) {
    game.gameState = STATE_EDIT_RETEST;
  } else {
    game.gameState = game.playedFromSlotList != 0 ? STATE_EDIT_SLOT_SELECT : STATE_EDIT_RETURN;
  }
}
