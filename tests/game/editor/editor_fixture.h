// The stage editor's tests: the game started headless, entered through the title's editor
// entry, and driven by the mouse (pointer, buttons, wheel) and typed text on the doubles.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/editor/stage_editor.h"
#include "game/shell/game_data.h"
#include "platform/window.h"
#include "tests/game/shell/shell_fixture.h"
#include "tests/support/temp_dir.h"

namespace editor_test {

constexpr uint8_t kLeft = 1, kRight = 2;

// Centres of buttons the tests press.
struct Point {
  int x, y;
};
// Slot i of the slot list; the three buttons of a chosen slot.
inline Point SlotButton(int i) { return {300, 75 + 35 * i}; }
constexpr Point kEditButton{725, 82}, kNewButton{725, 112}, kPlayButton{725, 52};
// Main menu entries by id.
inline Point MenuEntry(int id) {
  static const int kY[7] = {50, 100, 150, 250, 300, 350, 200};
  return {180, kY[id] + 15};
}
constexpr Point kSaveButton{725, 52}, kCancelButton{725, 112};
// The step buttons beside the row they change (the row's top y; x of the buttons' left).
inline Point StepUp(int rowY, int x = 510) { return {x + 100, rowY + 15}; }
inline Point StepDown(int rowY, int x = 510) { return {x + 100, rowY + 47}; }

class EditorTest : public shell_test::GameRunTest {
 protected:
  // Starts the game, reaches the title and takes its editor entry: the slot screen.
  void EnterSlotScreen() {
    StartToTitle();
    game.menuCursor = 1;
    Press(shell_test::key::kZ);
    ASSERT_EQ(game.gameState, STATE_EDIT_SLOT_SELECT);
    ASSERT_NE(game.editor.get(), nullptr);
    Frame();
  }

  // A new stage in the given slot: the editing screen, one frame in.
  void NewStage(int slot) {
    EnterSlotScreen();
    Click(SlotButton(slot - 1));
    Click(kNewButton);
    ASSERT_EQ(game.gameState, STATE_EDITOR);
    Frame();
  }

  StageEditor& Editor() { return *game.editor.get(); }

  // One frame with the pointer at (x, y) on the game screen and these buttons held.
  void Mouse(int x, int y, uint8_t buttons = 0, int wheel = 0) {
    const platform::Rect client = rt_.windows().window()->ClientRect();
    rt_.windows().SetCursor(client.left + x, client.top + y);
    rt_.input().SetMouseButtons(buttons);
    for (int i = 0; i < (wheel < 0 ? -wheel : wheel); ++i) {
      rt_.windows().Queue(platform::WindowEventType::kWheel, wheel > 0 ? 1 : -1);
    }
    Frame();
  }
  void Mouse(Point p, uint8_t buttons = 0) { Mouse(p.x, p.y, buttons); }

  // A press and release of a button at a point.
  void Click(Point p, uint8_t button = kLeft) {
    Mouse(p, button);
    Mouse(p, 0);
  }
  void RightClick(Point p = {400, 300}) { Click(p, kRight); }

  // Typed text as the window delivers it (UTF-8).
  void Type(const char8_t* utf8) {
    platform::WindowEvent e;
    e.type = platform::WindowEventType::kText;
    e.text = reinterpret_cast<const char*>(utf8);
    rt_.windows().Queue(e);
    Frame();
  }
  // A key without a character, as a control code.
  void TypeControl(int code) {
    rt_.windows().Queue(platform::WindowEventType::kChar, code);
    Frame();
  }

  static int16_t Cell(int column, int row) { return game.mapGrid[column * kMapRows + row]; }

  std::string StageFile(const char* name) const { return File(std::string("stage/") + name); }
};

}  // namespace editor_test
