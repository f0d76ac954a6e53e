// The stage editor: the slot screen of user stages (state 49), the editing screen (state
// 50) with its lists and settings, the user stage files, and test play through mission play
// and back (states 52, 53, 54). The edited stage lives in the game object (mapGrid,
// editEnemies, the sizes) and in stageBuffer, so that it outlives this object, which mission
// play deletes on its first frame and every road back creates anew.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/editor/editor_records.h"

constexpr int kUserStageSlots = 15;
constexpr int kStageNameBytes = 50;
constexpr int kEquipCounts = 15;

// Editor modes.
namespace edit_mode {
constexpr uint8_t kMap = 0;
constexpr uint8_t kMainMenu = 1;
constexpr uint8_t kBlockList = 2;
constexpr uint8_t kEnemyList = 3;
constexpr uint8_t kEnemySettings = 4;
constexpr uint8_t kStageSettings = 5;
constexpr uint8_t kSaveDialog = 6;
constexpr uint8_t kSlotList = 8;
constexpr uint8_t kSlotChosen = 9;
constexpr uint8_t kEnemyType = 10;
constexpr uint8_t kEnemyFacing = 11;
constexpr uint8_t kEnemyEquipment = 12;
constexpr uint8_t kEnemyParam1 = 13;
constexpr uint8_t kEnemyParam2 = 14;
constexpr uint8_t kEnemyInitial = 15;
constexpr uint8_t kEnemyNormal = 16;
constexpr uint8_t kEnemyAttack = 17;
constexpr uint8_t kEnemyAlert = 18;
constexpr uint8_t kStageWidth = 19;
constexpr uint8_t kStageHeight = 20;
constexpr uint8_t kAtmosphere = 21;
constexpr uint8_t kDarkness = 22;
constexpr uint8_t kStealth = 23;
constexpr uint8_t kEquipCount = 24;
constexpr uint8_t kItemList = 25;
}  // namespace edit_mode

// "stage/0%d.stg" for slots 1..9, "stage/%d.stg" for 10..15.
void UserStageFilePath(int slot, char* out, std::size_t size);

class StageEditor {
 public:
  StageEditor();
  ~StageEditor();
  StageEditor(const StageEditor&) = delete;
  StageEditor& operator=(const StageEditor&) = delete;

  // Stage file of slotNumber: written from the edited stage through stageBuffer; read into
  // the editor (-1 and nothing changed when the file cannot be opened).
  void WriteStageFile();
  int ReadStageFile();

  void UpdateSlotSelect(int pad);  // state 49
  void Update(int pad);            // state 50
  void StartTestPlay();
  void RestoreAfterTestPlay();  // state 54
  void RestartTestPlay();       // state 52
  void LoadSlotAndEdit();       // state 53

  void ClearButtons();
  void BuildButtons();
  void DisableEnemyButtons();
  void DrawEnemyMarker(int slot, int x, int y);
  static uint8_t BlockTileCode(int index);
  uint8_t SkinCount() const;

  // The fields the editor keeps, in the order of the screen object.
  uint8_t clickHeld = 0;
  int32_t pointerGraph = -1, eraserGraph = -1, panelGraph = -1, charGraph = -1;
  int32_t cursorSound = -1;
  int32_t hoveredId = kNoButton;
  std::vector<EditorButton> buttons;
  // Shift-JIS; all 50 bytes may be used, the byte after them is always 0.
  char stageName[kStageNameBytes + 1] = {};
  int32_t keyInput = -1;
  char slotNames[kUserStageSlots][kStageNameBytes + 1] = {};
  int32_t slotNumber = 1;
  uint8_t rebuildButtons = 0;
  uint8_t leftHeldFrames = 0;
  uint8_t slotHasData[kUserStageSlots] = {};
  uint8_t mode = edit_mode::kSlotList;
  uint8_t lastMode = 99;
  int32_t selectedEnemySlot = 0;
  uint8_t darkness = 1;
  uint8_t atmosphere = 0;
  uint8_t stealthMission = 0;
  uint16_t equipCounts[kEquipCounts] = {};
  uint16_t selectedCount = 0;
  // A short message over the screen for a few seconds (a refused test play).
  const char* notice = nullptr;
  int32_t noticeFrames = 0;

 private:
  // Test play of the edited stage, refused with a notice when it has no player start.
  bool TryStartTestPlay();
  void DrawNotice();
  // One frame's mouse.
  struct Mouse {
    int x = 0, y = 0;
    bool left = false, right = false;
    int wheel = 0;
  };
  Mouse ReadMouse() const;
  void HitTestAndDrawButtons(const Mouse& m);
  void DrawTitlePanel();
  void DrawPointer(const Mouse& m);
  void PlayCursorSound();

  void RunSlotList(const Mouse& m);
  void RunSlotChosen(const Mouse& m);
  void StartNewStage();

  void EnterEditingScreen();
  void DrawMap();
  void DrawGridAndCursor();
  void DrawEdgeStrips(const Mouse& m);
  void DrawPreview(const Mouse& m);
  void DrawHelpBar();
  const char* HelpLine() const;
  void MapMouse(const Mouse& m);
  void MainMenuMouse(const Mouse& m);
  void SaveDialogMouse(const Mouse& m);
  void OpenSaveDialog();
  void CloseSaveDialog();
  void ActOnMainMenu(int id);
  void PadPath(int pad);
  void MoveCursorByKeys(int pad);
  void PaintCell(int column, int row);
  int& CursorColumn();
  int& CursorRow();

  // Lists and settings.
  void RunListMouse(const Mouse& m);
  void DrawEnemySettings();
  void DrawEnemySettingsValues();
  void DrawStageSettings();
  void DrawStageSettingsValues();
  void BuildSlotButtons();
  void ActOnEnemySettings(int id);
  void ActOnEnemySubList(int id);
  void StepParameter(const Mouse& m);
  void ActOnStageSubMode(int id);
  void LeaveStageSubMode();
  const char* ListHelpLine() const;
  const char* EnemyHelpLine() const;
  void AddButton(int id, const char* label, int x, int y, int width, int height, int style, int enabled);
};

// The stage slots a return from test play goes to: a fresh editor in game.editor, then the
// slot screen (a stage played from the slot list), the editor (state 54) or, with restart,
// test play again (state 52).
void ReturnFromTestPlay(bool restart);
