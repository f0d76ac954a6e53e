#include "game/shell/action_mapping.h"

#include "game/shell/game_data.h"

void MapPadToActions(int pad) {
  for (int a = 1; a <= kActionCount; ++a) game.action[a] = 0;
  for (int b = 1; b <= kActionCount; ++b) {
    if ((pad & PadButtonBit(b)) == 0) continue;
    const int a = game.keyAssign[b];
    if (a >= 1 && a <= kActionCount) game.action[a] = 1;
  }
}

void SwapKeyAssign(int button) {
  if (button < 1 || button > kActionCount) return;
  const int wanted = game.menuCursor + 1;
  for (int i = 1; i <= kActionCount; ++i) {
    if (game.keyAssignWork[i] == wanted) {
      game.keyAssignWork[i] = game.keyAssignWork[button];
      game.keyAssignWork[button] = wanted;
      return;
    }
  }
  game.keyAssignWork[button] = wanted;
}
