// The editing screen (state 50): the map drawn from the grid, painting with the mouse on
// the 40-pixel grid, scrolling over up to 3 x 3 screens, the main menu, the save dialog
// with its typed name, and the keyboard's second path.
#include <algorithm>
#include <cstring>

#include "game/editor/editor_tables.h"
#include "game/editor/stage_editor.h"
#include "game/mission/map_objects.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "runtime/api.h"

namespace {

constexpr int kCell = 40;
constexpr int kScreenColumns = 20, kScreenRows = 15;
constexpr int kHeldFramesMax = 25;
constexpr int kEditorUnlockByte = 15;
constexpr int kSoundWheel = 7;

constexpr int kPadDown = 1, kPadLeft = 2, kPadRight = 4, kPadUp = 8;
constexpr int kPadDirections = kPadDown | kPadLeft | kPadRight | kPadUp;
constexpr int kConfirmAction = 1, kCancelAction = 2, kThirdAction = 3;
constexpr int kRepeatDelay = 20;
constexpr int kMainMenuEntries = 6;
// Rows of the cursor past which the keys scroll rather than move.
constexpr int kScrollRowFrom = 8, kScrollColumnFrom = 8, kScrollLeftBelow = 11;

constexpr int kPlayerStart = 95, kPlayerStartLast = 97, kGoal = 99;
constexpr int kFirstItemCode = 141, kLastItemCode = 189;
constexpr int kFirstDecorCode = 190, kLastDecorCode = 200;
constexpr int kFirstEnemyCode = 201, kLastEnemyCode = 220;
constexpr int kLamp = 190;
constexpr int kStartCellWidth = 120, kStartCellHeight = 108;

constexpr int kMainMenuTestPlay = 0, kMainMenuBlocks = 1, kMainMenuEnemies = 2, kMainMenuStage = 3,
              kMainMenuSave = 4, kMainMenuQuit = 5, kMainMenuItems = 6;
constexpr int kSaveButton = 0, kCancelButton = 1;
constexpr int kStageNameInputBytes = 50;

// Scroll strips: the drawn strip and the inner area that scrolls.
struct Strip {
  int x1, y1, x2, y2;
  int innerX1, innerY1, innerX2, innerY2;
};
constexpr Strip kStrips[4] = {
    {780, 270, 800, 330, 781, 271, 799, 329},  // right
    {0, 270, 20, 330, 1, 271, 19, 329},        // left
    {370, 0, 430, 20, 371, 1, 429, 19},        // top
    {370, 580, 430, 600, 371, 581, 429, 599},  // bottom
};

int GridIndex(int column, int row) { return column * kMapRows + row; }

int ScreensOf(uint8_t screens) { return std::clamp<int>(screens, 1, 3); }
int MaxScrollX() { return (ScreensOf(game.editScreensX) - 1) * kScreenColumns; }
int MaxScrollY() { return (ScreensOf(game.editScreensY) - 1) * kScreenRows; }

unsigned Colour(int r, int g, int b) { return GetColor(r, g, b); }

}  // namespace

StageEditor::Mouse StageEditor::ReadMouse() const {
  Mouse m;
  GetMousePosition(&m.x, &m.y);
  const int held = GetMouseButtons();
  m.left = (held & 1) != 0;
  m.right = (held & 2) != 0;
  return m;
}

void StageEditor::HitTestAndDrawButtons(const Mouse& m) {
  for (EditorButton& button : buttons) {
    if (button.HitTest(m.x, m.y)) hoveredId = button.id;
    button.Draw();
  }
}

void StageEditor::DrawTitlePanel() {
  DrawRectGraph(10, 10, 0, 25, 350, 41, panelGraph, 1, 0);
  DrawFormatString(90, 24, Colour(9, 176, 254), "%s", "ゼンモル神社 地下訓練場 (Edit Mode)");
  DrawFormatString(380, 12, Colour(255, 255, 255), "%s", "※このモードはマウスとキーボードで操作を行います。");
  DrawFormatString(380, 32, Colour(255, 96, 96), "%s", "※また、ネタバレが含まれています。");
}

void StageEditor::DrawPointer(const Mouse& m) { DrawGraph(m.x, m.y, pointerGraph, 1); }

void StageEditor::PlayCursorSound() { PlaySoundHandle(cursorSound, 1, 1); }

uint8_t StageEditor::BlockTileCode(int index) {
  if (index >= 0 && index < kBlockCount) return kBlocks[index].code;
  return static_cast<uint8_t>(index);
}

uint8_t StageEditor::SkinCount() const {
  switch (game.editBlockCode) {
    case 21: return 4;
    case 25: return 5;
    case 35: case 41: case 79: case 83: case 86: return 3;
    case 38: case 44: case 56: case 75: case 190: return 2;
    case 47: return 9;
    case 95: return game.prefsFile[kEditorUnlockByte] != 0 ? 3 : 1;
    default: return 1;
  }
}

int& StageEditor::CursorColumn() { return player.x; }
int& StageEditor::CursorRow() { return player.y; }

void StageEditor::EnterEditingScreen() {
  LoadScreenGraphics();
  game.screenEntered = 1;
  CursorColumn() = 0;
  CursorRow() = 0;
  game.scrollX = 0;
  game.scrollY = 0;
  game.area = atmosphere;
  mode = edit_mode::kMap;
  game.editBlockCode = 25;
  game.editSkin = 0;
  GetMouseWheel();
  LoadMapChips();
  BuildButtons();
  lastMode = mode;
  // The click that opened the stage may still be held: it must not paint.
  if ((GetMouseButtons() & 1) != 0) clickHeld = 1;
}

void StageEditor::Update(int pad) {
  Mouse m = ReadMouse();
  leftHeldFrames = m.left ? static_cast<uint8_t>(std::min(leftHeldFrames + 1, kHeldFramesMax)) : 0;
  if (game.screenEntered == 0) EnterEditingScreen();
  if (lastMode != mode || rebuildButtons != 0) BuildButtons();
  lastMode = mode;

  DrawBox(0, 0, kScreenWidth, kScreenHeight, Colour(0, 0, 0), 1);
  DrawMap();
  DrawGridAndCursor();

  hoveredId = kNoButton;
  switch (mode) {
    case edit_mode::kMap:
      DrawEdgeStrips(m);
      DrawPreview(m);
      break;
    case edit_mode::kMainMenu:
    case edit_mode::kBlockList:
    case edit_mode::kEnemyList:
    case edit_mode::kItemList:
      SetDrawBlendMode(kBlendAlpha, kHalfStrength);
      DrawBox(0, 0, kScreenWidth, kScreenHeight, Colour(0, 0, 0), 1);
      SetDrawBlendMode(kBlendNone, 0);
      HitTestAndDrawButtons(m);
      break;
    case edit_mode::kSaveDialog:
      SetDrawBlendMode(kBlendAlpha, 168);
      DrawBox(0, 0, kScreenWidth, kScreenHeight, Colour(0, 0, 0), 1);
      SetDrawBlendMode(kBlendNone, 0);
      DrawRectGraph(200, 200, 0, 0, 350, 70, panelGraph, 1, 0);
      DrawKeyInputString(222, 240, keyInput);
      // Enter and Escape do not close the dialog: only its buttons do.
      if (CheckKeyInput(keyInput) > 0) SetActiveKeyInput(keyInput);
      HitTestAndDrawButtons(m);
      break;
    default:
      if (mode == edit_mode::kEnemySettings || (mode >= edit_mode::kEnemyType && mode <= edit_mode::kEnemyAlert)) {
        DrawEnemySettings();
        HitTestAndDrawButtons(m);
        DrawEnemySettingsValues();
      } else if (mode == edit_mode::kStageSettings || (mode >= edit_mode::kStageWidth && mode <= edit_mode::kEquipCount)) {
        DrawStageSettings();
        HitTestAndDrawButtons(m);
        DrawStageSettingsValues();
      }
      break;
  }
  DrawHelpBar();
  DrawNotice();
  DrawPointer(m);
  if (!m.left) clickHeld = 0;

  m.wheel = GetMouseWheel();
  switch (mode) {
    case edit_mode::kMap: MapMouse(m); break;
    case edit_mode::kMainMenu: MainMenuMouse(m); break;
    case edit_mode::kSaveDialog: SaveDialogMouse(m); break;
    default: RunListMouse(m); break;
  }
  if (mode == edit_mode::kMap || mode == edit_mode::kMainMenu || mode == edit_mode::kBlockList) PadPath(pad);
  game.lastMouseX = m.x;
  game.lastMouseY = m.y;
}

void StageEditor::DrawMap() {
  const int sx = game.scrollX * kCell, sy = game.scrollY * kCell;
  for (int col = 0; col < kMapColumns; ++col) {
    for (int row = 0; row < kMapRows; ++row) {
      const int code = game.mapGrid[GridIndex(col, row)];
      if (code == 0) continue;
      if (code >= kPlayerStart && code <= kPlayerStartLast) {
        DrawRectGraph(col * kCell - 40 - sx, row * kCell - 55 - sy, (code - kPlayerStart) * kStartCellWidth, 0,
                      kStartCellWidth, kStartCellHeight, charGraph, 1, 0);
      } else if (code >= kFirstItemCode && code <= kLastItemCode) {
        UpdateMapObject(STATE_EDITOR, code, col * kCell, row * kCell, row, 0);
      } else if (code >= kFirstDecorCode && code <= kLastDecorCode) {
        DrawDecorObject(STATE_EDITOR, code, col * kCell, row * kCell, row, 0);
      } else if (code >= kFirstEnemyCode) {
        DrawEnemyMarker(code - kFirstEnemyCode, (col - game.scrollX) * kCell, (row - game.scrollY) * kCell);
      } else {
        UpdateMapObject(STATE_EDITOR, code, col * kCell, row * kCell, row, 0);
      }
    }
  }
}

void StageEditor::DrawGridAndCursor() {
  const int sx = game.scrollX * kCell, sy = game.scrollY * kCell;
  const unsigned line = Colour(64, 64, 64);
  for (int col = 0; col < kMapColumns; ++col) DrawLine(col * kCell - sx, -sy, col * kCell - sx, 1800 - sy, line);
  for (int row = 0; row < kMapRows; ++row) DrawLine(-sx, row * kCell - sy, 2400 - sx, row * kCell - sy, line);
  const unsigned border = Colour(164, 164, 164);
  for (int x : {800, 1600}) DrawLine(x - sx, -sy, x - sx, 1800 - sy, border);
  for (int y : {600, 1200}) DrawLine(-sx, y - sy, 2400 - sx, y - sy, border);

  const int cx = CursorColumn() * kCell, cy = CursorRow() * kCell;
  const unsigned red = mode == edit_mode::kMap ? Colour(255, 0, 0) : Colour(128, 0, 0);
  DrawBox(cx, cy, cx + 41, cy + 41, red, 0);
}

void StageEditor::DrawEdgeStrips(const Mouse& m) {
  std::memset(game.editEdgeHover, 0, sizeof game.editEdgeHover);
  SetDrawBlendMode(kBlendAlpha, kHalfStrength);
  const unsigned yellow = Colour(180, 180, 0);
  for (int i = 0; i < 4; ++i) {
    const Strip& s = kStrips[i];
    DrawBox(s.x1, s.y1, s.x2, s.y2, yellow, 1);
    if (m.x < s.innerX1 || m.x > s.innerX2 || m.y < s.innerY1 || m.y > s.innerY2) continue;
    DrawBox(s.x1, s.y1, s.x2, s.y2, yellow, 1);
    game.editEdgeHover[i] = 1;
    switch (i) {
      case 0: if (game.scrollX < MaxScrollX()) ++game.scrollX; break;
      case 1: if (game.scrollX > 0) --game.scrollX; break;
      case 2: if (game.scrollY > 0) --game.scrollY; break;
      default: if (game.scrollY < MaxScrollY()) ++game.scrollY; break;
    }
  }
  SetDrawBlendMode(kBlendNone, 0);
}

void StageEditor::DrawPreview(const Mouse& m) {
  const int code = game.editBlockCode;
  if (game.editSkin == SkinCount()) {
    DrawGraph(m.x - 15, m.y - 15, eraserGraph, 1);
    return;
  }
  const int col = CursorColumn(), row = CursorRow();
  const int mapX = (col + game.scrollX) * kCell, mapY = (row + game.scrollY) * kCell;
  const int skinned = code + game.editSkin;
  if (code >= kFirstEnemyCode && code <= kLastEnemyCode) {
    DrawEnemyMarker(selectedEnemySlot, col * kCell, row * kCell);
  } else if (code == kPlayerStart) {
    DrawRectGraph(col * kCell - 40, row * kCell - 55, game.editSkin * kStartCellWidth, 0, kStartCellWidth,
                  kStartCellHeight, charGraph, 1, 0);
  } else if (code >= kFirstDecorCode && code <= kLastDecorCode) {
    DrawDecorObject(STATE_EDITOR, skinned, mapX, mapY, 0, 0);
  } else if (code >= kFirstItemCode && code <= kLastItemCode) {
    UpdateMapObject(STATE_EDITOR, skinned, mapX, mapY, 0, 0);
  } else if (code < 100) {
    UpdateMapObject(STATE_EDITOR, skinned, mapX, mapY, 0, 0);
  }
}

void StageEditor::DrawHelpBar() {
  DrawRectGraph(25, 560, 4, 79, 743, 35, panelGraph, 1, 0);
  const char* line = HelpLine();
  if (line != nullptr && line[0] != '\0') DrawFormatString(35, 572, Colour(9, 176, 254), "%s", line);
}

const char* StageEditor::HelpLine() const {
  switch (mode) {
    case edit_mode::kMap:
      return "左クリックでブロックを配置。右クリックでメニューを開く。マウスホイールでスキン変更・消しゴム切り替えができます。";
    case edit_mode::kMainMenu:
      switch (hoveredId) {
        case kMainMenuTestPlay: return "現在の状態でテストプレイができます。";
        case kMainMenuBlocks: return "配置するブロックを変更します。";
        case kMainMenuEnemies: return "配置する敵キャラを設定します。";
        case kMainMenuStage: return "ステージの雰囲気や広さなどの情報を変更します。";
        case kMainMenuSave: return "現在の状態をします。";
        case kMainMenuQuit: return "編集ステージの選択へ戻ります。";
        case kMainMenuItems: return nullptr;
        default: return "各種設定項目を選びます。右クリックで編集ステージの選択へ戻る。";
      }
    case edit_mode::kSaveDialog:
      switch (hoveredId) {
        case kSaveButton: return "この名前で現在の状態を保存します。";
        case kCancelButton: return "保存せずに、前の画面に戻ります。";
        default:
          return "編集中のステージを保存することが出来ます。キーボードでステージ名を入力してください。（日本語入力可）";
      }
    default: return ListHelpLine();
  }
}

void StageEditor::PaintCell(int column, int row) {
  // The cursor is kept on the screen and the scroll within the stage, but the grid is
  // guarded here too: nothing is ever written outside it.
  if (column < 0 || column >= kMapColumns || row < 0 || row >= kMapRows) return;
  int16_t& cell = game.mapGrid[GridIndex(column, row)];
  if (game.editSkin == SkinCount()) {
    cell = 0;
    return;
  }
  const int code = game.editBlockCode;
  if (code == kPlayerStart || code == kGoal || (code >= kFirstEnemyCode && code <= kLastEnemyCode)) {
    for (int16_t& c : game.mapGrid) {
      const bool same = code == kPlayerStart ? (c >= kPlayerStart && c <= kPlayerStartLast) : c == code;
      if (same) c = 0;
    }
  }
  cell = static_cast<int16_t>(code + game.editSkin);
}

void StageEditor::MapMouse(const Mouse& m) {
  if (m.x != game.lastMouseX || m.y != game.lastMouseY) {
    // The mouse may be anywhere, even outside the window: the cell stays on the screen.
    CursorColumn() = std::clamp(m.x / kCell, 0, kScreenColumns - 1);
    CursorRow() = std::clamp(m.y / kCell, 0, kScreenRows - 1);
  }
  const uint8_t skins = SkinCount();
  if (m.left && clickHeld == 0) {
    PaintCell(CursorColumn() + game.scrollX, CursorRow() + game.scrollY);
  } else if (m.right && game.mouseLatch == 0) {
    PlayCursorSound();
    game.mouseLatch = 1;
    mode = edit_mode::kMainMenu;
  } else if (m.wheel != 0) {
    if (game.editBlockCode <= 99 || game.editBlockCode == kLamp) {
      PlaySoundEffect(kSoundWheel);
      if (m.wheel > 0) {
        game.editSkin = game.editSkin == 0 ? skins : static_cast<uint8_t>(game.editSkin - 1);
      } else {
        game.editSkin = game.editSkin >= skins ? 0 : static_cast<uint8_t>(game.editSkin + 1);
      }
    }
  } else {
    game.mouseLatch = 0;
  }
}

void StageEditor::MainMenuMouse(const Mouse& m) {
  if (m.left && game.mouseLatch == 0 && hoveredId != kNoButton) {
    PlaySoundEffect(kSoundConfirm);
    game.mouseLatch = 1;
    ActOnMainMenu(hoveredId);
  } else if (m.right && game.mouseLatch == 0) {
    PlayCursorSound();
    game.mouseLatch = 1;
    mode = edit_mode::kMap;
  } else if (!m.left && !m.right && m.wheel == 0) {
    game.mouseLatch = 0;
  }
}

void StageEditor::ActOnMainMenu(int id) {
  switch (id) {
    case kMainMenuTestPlay:
      if (!TryStartTestPlay()) mode = edit_mode::kMap;
      break;
    case kMainMenuBlocks: mode = edit_mode::kBlockList; break;
    case kMainMenuEnemies: mode = edit_mode::kEnemyList; break;
    case kMainMenuStage: mode = edit_mode::kStageSettings; break;
    case kMainMenuSave: OpenSaveDialog(); break;
    case kMainMenuQuit:
      game.gameState = STATE_EDIT_SLOT_SELECT;
      game.screenEntered = 0;
      game.menuCursor = 0;
      break;
    case kMainMenuItems: mode = edit_mode::kItemList; break;
    default: break;
  }
}

void StageEditor::OpenSaveDialog() {
  mode = edit_mode::kSaveDialog;
  if (keyInput >= 0) DeleteKeyInput(keyInput);
  keyInput = MakeKeyInput(kStageNameInputBytes, 0, 0, 0);
  SetKeyInputCursorBlink(1);
  SetKeyInputColors(Colour(255, 255, 255), Colour(255, 128, 128), Colour(255, 255, 255), Colour(200, 200, 255),
                    Colour(255, 168, 168), Colour(255, 255, 255), Colour(255, 255, 255), Colour(96, 96, 255),
                    Colour(255, 128, 128), Colour(255, 128, 128), Colour(64, 64, 64), Colour(64, 64, 64));
  SetActiveKeyInput(keyInput);
  if (stageName[0] != '\0') SetKeyInputString(stageName, keyInput);
}

void StageEditor::CloseSaveDialog() {
  // Each opening makes a handle; the runtime has twenty.
  if (keyInput >= 0) DeleteKeyInput(keyInput);
  keyInput = -1;
  mode = edit_mode::kMainMenu;
}

void StageEditor::SaveDialogMouse(const Mouse& m) {
  if (m.left && game.mouseLatch == 0 && hoveredId != kNoButton) {
    PlaySoundEffect(kSoundConfirm);
    char typed[kStageNameInputBytes + 1] = {};
    if (GetKeyInputString(typed, keyInput) == 0) {
      std::memset(stageName, 0, sizeof stageName);
      std::memcpy(stageName, typed, kStageNameBytes);
    }
    if (hoveredId == kSaveButton) WriteStageFile();
    game.mouseLatch = 1;
    CloseSaveDialog();
  } else if (m.right && game.mouseLatch == 0) {
    PlayCursorSound();
    game.mouseLatch = 1;
    CloseSaveDialog();
  } else if (!m.left && !m.right) {
    game.mouseLatch = 0;
  }
}

void StageEditor::PadPath(int pad) {
  const uint8_t* a = game.action;
  if (mode == edit_mode::kMap) {
    MoveCursorByKeys(pad);
    if (a[kThirdAction] != 0 && game.keyLatch == 0) {
      game.keyLatch = 1;
      mode = edit_mode::kMainMenu;
    } else if (a[kThirdAction] == 0 && a[kConfirmAction] == 0 && a[kCancelAction] == 0) {
      game.keyLatch = 0;
    }
    return;
  }
  const bool up = (pad & kPadUp) != 0, down = (pad & kPadDown) != 0;
  if (mode == edit_mode::kMainMenu) {
    const bool any = up || down || a[kConfirmAction] != 0 || a[kCancelAction] != 0 || a[kThirdAction] != 0;
    if (!any) {
      game.keyLatch = 0;
      return;
    }
    if (game.keyLatch != 0) return;
    game.keyLatch = 1;
    if (up) game.menuCursor = (game.menuCursor + kMainMenuEntries - 1) % kMainMenuEntries;
    if (down) game.menuCursor = (game.menuCursor + 1) % kMainMenuEntries;
    if (up || down) hoveredId = game.menuCursor;
    if (a[kConfirmAction] != 0) {
      PlaySoundEffect(kSoundConfirm);
      ActOnMainMenu(std::clamp(game.menuCursor, 0, kMainMenuEntries - 1));
    } else if (a[kThirdAction] != 0) {
      mode = edit_mode::kMap;
    }
    return;
  }
  // Block list: up and down with the repeat of held keys, confirm takes the block.
  if (!up && !down) {
    game.holdFrames = 0;
    game.holdStep = 0;
  } else {
    const bool act = game.holdFrames == 0 || game.holdFrames >= kRepeatDelay;
    if (game.holdFrames < kRepeatDelay) ++game.holdFrames;
    if (act) {
      const int step = up ? kBlockCount - 1 : 1;
      game.menuCursor = (std::clamp(game.menuCursor, 0, kBlockCount - 1) + step) % kBlockCount;
    }
  }
  if (a[kConfirmAction] != 0 && game.keyLatch == 0) {
    game.keyLatch = 1;
    game.editBlockCode = BlockTileCode(std::clamp(game.menuCursor, 0, kBlockCount - 1));
    game.editSkin = 0;
    game.menuCursor = 0;
    mode = edit_mode::kMap;
  } else if (a[kConfirmAction] == 0 && a[kCancelAction] == 0) {
    game.keyLatch = 0;
  }
}

void StageEditor::MoveCursorByKeys(int pad) {
  const int dirs = pad & kPadDirections;
  if (dirs == 0) {
    game.holdFrames = 0;
    game.holdStep = 0;
    return;
  }
  bool act = game.holdFrames == 0;
  if (game.holdFrames < kRepeatDelay) {
    ++game.holdFrames;
  } else {
    game.holdStep = game.holdStep == 0 ? 1 : 0;
    act = game.holdStep != 0;
  }
  if (!act) return;
  int& col = CursorColumn();
  int& row = CursorRow();
  if ((dirs & kPadUp) != 0) {
    if (game.scrollY > 0 && row < kScrollRowFrom) --game.scrollY;
    else if (row > 0) --row;
  }
  if ((dirs & kPadDown) != 0) {
    if (row >= kScrollRowFrom && game.editScreensY != 1 && game.scrollY < MaxScrollY()) ++game.scrollY;
    else if (row < kScreenRows - 1) ++row;
  }
  if ((dirs & kPadRight) != 0) {
    if (col >= kScrollColumnFrom && game.editScreensX != 1 && game.scrollX < MaxScrollX()) ++game.scrollX;
    else if (col < kScreenColumns - 1) ++col;
  }
  if ((dirs & kPadLeft) != 0) {
    if (game.scrollX > 0 && col < kScrollLeftBelow) --game.scrollX;
    else if (col >= 1) --col;
  }
}
