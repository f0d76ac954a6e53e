#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/shell/screens.h"
#include "game/shell/user_files.h"
#include "runtime/api.h"

namespace {

constexpr int kCommitRow = 8;
constexpr int kCancelRow = 9;
constexpr int kRowCount = 10;
constexpr int kEntryWaitMs = 500;
constexpr int kRowsX = 170, kRowsY = 175;
constexpr int kRowPitch = 30;
constexpr int kRowWidth = 215, kRowHeight = 31;
constexpr int kLabelX = 410;
constexpr int kLabelSourceX = 286;
constexpr int kLabelWidth = 180;

void DrawBackground() {
  DrawRectGraph(0, 0, 0, 0, kScreenWidth, kScreenHeight, game.graphs[graph_slot::kOptionBack], 1, 0);
  // The heading has its own place in the pieces, clear of the option rows.
  DrawRectGraph(325, 35, 260, 260, 220, 40, game.graphs[graph_slot::kOptionPieces], 1, 0);
}

void DrawRows() {
  const int rows = game.graphs[graph_slot::kOptionRows];
  SetDrawBlendMode(kBlendAlpha, kHalfStrength);
  DrawRectGraph(kRowsX, kRowsY, 0, 0, kRowWidth, 335, rows, 1, 0);
  SetDrawBlendMode(kBlendNone, 0);
  const int row = game.menuCursor;
  if (row >= 0 && row < kCommitRow) {
    DrawRectGraph(kRowsX, kRowsY + kRowPitch * row, 0, kRowPitch * row, kRowWidth, kRowHeight, rows, 1, 0);
  } else if (row == kCommitRow) {
    DrawRectGraph(kRowsX, 445, 0, 270, kRowWidth, kRowHeight, rows, 1, 0);
  } else if (row == kCancelRow) {
    DrawRectGraph(kRowsX, 475, 0, 300, kRowWidth, kRowHeight, rows, 1, 0);
  }

  for (int a = 1; a <= kActionCount; ++a) {
    for (int b = 1; b <= kActionCount; ++b) {
      if (game.keyAssignWork[b] != a) continue;
      const int y = kRowsY + kRowPitch * (a - 1);
      const int sourceY = kRowPitch * (b - 1);
      SetDrawBlendMode(kBlendAlpha, kHalfStrength);
      DrawRectGraph(kLabelX, y, kLabelSourceX, sourceY, kLabelWidth, kRowHeight, rows, 1, 0);
      SetDrawBlendMode(kBlendNone, 0);
      if (row == a - 1) DrawRectGraph(kLabelX, y, kLabelSourceX, sourceY, kLabelWidth, kRowHeight, rows, 1, 0);
    }
  }
}

// The first button held this frame, 0 when none.
int HeldButton(int pad) {
  for (int b = 1; b <= kActionCount; ++b) {
    if ((pad & PadButtonBit(b)) != 0) return b;
  }
  return 0;
}

}  // namespace

void UpdateKeyConfig(int pad) {
  DrawBackground();
  if (game.screenEntered == 0) {
    for (int b = 1; b <= kActionCount; ++b) game.keyAssignWork[b] = game.keyAssign[b];
    game.screenEntered = 1;
    WaitTime(kEntryWaitMs);
  }
  DrawRows();

  const bool confirm = game.action[kActionConfirm] != 0;
  const int button = HeldButton(pad);
  if ((pad & kPadUp) != 0) {
    if (game.keyLatch == 0) {
      game.keyLatch = 1;
      PlaySoundEffect(kSoundCursor);
      game.menuCursor = game.menuCursor <= 0 ? kRowCount - 1 : game.menuCursor - 1;
    }
  } else if ((pad & kPadDown) != 0) {
    if (game.keyLatch == 0) {
      game.keyLatch = 1;
      PlaySoundEffect(kSoundCursor);
      game.menuCursor = game.menuCursor >= kRowCount - 1 ? 0 : game.menuCursor + 1;
    }
  } else if (confirm && game.menuCursor == kCommitRow) {
    if (game.keyLatch == 0) {
      PlaySoundEffect(kSoundConfirm);
      game.menuCursor = 0;
      game.gameState = STATE_OPTIONS;
      for (int b = 1; b <= kActionCount; ++b) game.keyAssign[b] = game.keyAssignWork[b];
      WriteSettingsFile();
      game.keyLatch = 1;
    }
  } else if (confirm && game.menuCursor == kCancelRow) {
    if (game.keyLatch == 0) {
      PlaySoundEffect(kSoundCancel);
      game.menuCursor = 0;
      game.gameState = STATE_OPTIONS;
      game.keyLatch = 1;
    }
  } else if (button != 0 && game.menuCursor >= 0 && game.menuCursor < kCommitRow) {
    if (game.keyLatch == 0) {
      SwapKeyAssign(button);
      game.keyLatch = 1;
    }
  } else {
    game.keyLatch = 0;
  }
}
