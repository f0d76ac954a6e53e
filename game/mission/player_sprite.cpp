#include "game/mission/player_sprite.h"

#include <algorithm>

#include "game/mission/effects.h"
#include "game/mission/player_movement.h"
#include "game/mission/shots.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "game/story/event_script.h"
#include "runtime/api.h"

namespace {

constexpr int kCellW = 120, kCellH = 108;
constexpr int kSheetSlot = 100, kGogglesOffset = 10;
constexpr int kBlendNone = 0, kBlendAlpha = 1;
constexpr int kGoggles = 3, kInvisibility = 6, kReversal = 7;
constexpr int kWireWeapon = 11;
constexpr int kFlashSize = 160, kFlashY = 864;

int Threshold(int t, int a, int b, int c, int c0, int c1, int c2, int c3) {
  if (t < a) return c0;
  if (t < b) return c1;
  if (t < c) return c2;
  return c3;
}

template <int N>
int Steps(int t, int k, const int (&cells)[N]) {
  return cells[std::min(t / k, N - 1)];
}

// Cells 1-6 c0, then a new cell every 6 frames up to c7.
int CrouchWalkCell(int f) { return f <= 0 ? 0 : std::min((f - 1) / 6, 7); }

int AimCell(int angle) {
  if (angle >= -14 && angle <= 14) return 0;
  if (angle >= -29 && angle <= -15) return 1;
  if (angle >= -44 && angle <= -30) return 2;
  if (angle <= -45) return 3;
  if (angle <= 29) return 4;
  if (angle <= 44) return 5;
  return 6;
}

PlayerCell Cell(int sheet, int row, int column, bool variant) {
  PlayerCell c;
  c.drawn = true;
  c.sheet = sheet;
  c.row = row;
  c.column = column;
  c.x = player.x - 60;
  c.y = player.y - 54;
  c.mirrored = player.facing == 1;
  c.variant = variant;
  return c;
}

PlayerCell NotMirrored(PlayerCell c) {
  c.mirrored = false;
  return c;
}

PlayerCell IdleCell() {
  const int t = player.idleTimer, pose = player.idlePose;
  if (game.character <= 1) {
    if (pose == 1 || pose == 3) return Cell(1, 0, Threshold(t, 10, 20, 30, 0, 5, 6, 5), true);
    if (pose == 4) return Cell(1, 0, Threshold(t, 10, 20, 30, 0, 3, 4, 3), true);
    return Cell(1, 0, Threshold(t, 10, 20, 30, 0, 1, 2, 1), true);
  }
  if (pose == 3) return Cell(1, 0, std::min(t / 10, 5), true);
  if (pose == 4) return Cell(1, 8, t < 10 ? 3 : t < 20 ? 4 : t < 30 ? 5 : t < 40 ? 4 : 3, true);
  if (t < 10) return Cell(1, 6, 6, true);
  if (t >= 20 && t < 30) return Cell(1, 7, 7, true);
  return Cell(1, 6, 7, true);
}

PlayerCell LedgeCell(int column, int yOffset) {
  PlayerCell c = Cell(1, 6, column, true);
  c.x = player.facing == 1 ? player.x - 75 : player.x - 45;
  c.y = player.y + yOffset;
  return c;
}

// Rules that apply only with the feet on something.
PlayerCell GroundCell() {
  const Player& p = player;
  const int t = p.actionTimer;
  const int f = p.walkCounter;
  if (p.stance == 1 || p.stance == 2) {
    PlayerCell c = p.stance == 1 ? Cell(1, 4, std::min(p.fireCounter / 3, 6), false) : Cell(1, 7, 0, false);
    if (p.stance == 2) {
      const int w = p.fireCounter;
      if (p.stanceTimer != 0) {
        if (p.stanceTimer < 15) {
          c.column = p.stanceTimer < 5 ? 3 : p.stanceTimer < 10 ? 4 : 5;
        } else {
          c.row = 8;
          c.column = Threshold(w, 10, 20, 30, 0, 1, 2, 1);
        }
      } else {
        c.column = w < 10 ? 0 : w < 20 ? 1 : w < 30 ? 2 : w < 40 ? 1 : 0;
      }
    }
    if (game.character == 2) {
      c.y -= 4;
      c.x += p.facing == 1 ? -1 : 1;
    }
    return c;
  }
  if (p.action == player_action::kReloading) {
    static constexpr int kCells[] = {0, 1, 2, 3, 4, 5, 2, 6, 1, 0};
    return Cell(2, 6, Steps(t, 4, kCells), true);
  }
  if (p.action == player_action::kAiming) return Cell(2, 5, AimCell(p.aimAngle), true);
  if (p.action == player_action::kWeaponChange) {
    const int base = game.character == 2 ? 4 : 0;
    return Cell(2, 7, t < 20 ? base : (t < 25 ? base + 1 : (game.character == 2 ? 6 : 0)), true);
  }
  if (p.fireCounter != 0) return Cell(2, 5, AimCell(p.aimAngle), true);
  if (p.action == 54 && game.character == 2 && game.gameMode == kModeThirdStory) {
    if (t >= 90) return {};
    static constexpr int kCells[] = {0, 1, 0, 1, 2, 3, 4, 5, 6};
    return Cell(3, 7, Steps(t, 10, kCells), false);
  }
  if (f == 0) return p.hiding != 0 ? Cell(3, 6, 4, false) : IdleCell();
  if (p.hiding != 0) {
    static constexpr int kLift[8] = {-56, -55, -54, -55, -56, -55, -54, -55};
    PlayerCell c = Cell(3, 8, CrouchWalkCell(f), false);
    c.y = p.y + kLift[c.column];
    return c;
  }
  if (p.sneaking != 0) {
    static constexpr int kLift[8] = {-54, -55, -56, -57, -58, -57, -56, -55};
    const int index = f <= 4 ? 0 : std::min((f - 1) / 4, 15);
    PlayerCell c = Cell(2, index / 8, index % 8, true);
    c.y = p.y + kLift[c.column];
    return c;
  }
  const int index = std::min((f - 1) / 3, 15);
  PlayerCell c = Cell(1, 1 + index / 8, index % 8, true);
  c.y = p.y - 51;
  return c;
}

void TintForLightAndGadget() {
  const Player& p = player;
  if (p.action == player_action::kNoGravity) return;
  if (p.selectedGadget == kReversal) {
    if (p.isLit == 0) return;
    if (GetRandom(5) == 0) {
      SetDrawBright(96, 96, 96);
    } else if (GetRandom(4) != 0) {
      SetDrawBright(64, 64, 64);
    } else {
      SetDrawBright(80, 80, 80);
    }
  } else if (p.selectedGadget == kInvisibility) {
    const int alpha = GetRandom(5) == 0 ? 96 : (GetRandom(4) != 0 ? 64 : 48);
    SetDrawBlendMode(kBlendAlpha, alpha);
  } else if (p.isLit == 0) {
    SetDrawBright(64, 64, 64);
  }
}

void DrawCell(const PlayerCell& c, int pass) {
  const int slot = kSheetSlot + c.sheet - 1 + (pass == 1 && c.variant ? kGogglesOffset : 0);
  DrawRectGraph(c.x, c.y, c.column * kCellW, c.row * kCellH, kCellW, kCellH, game.graphs[slot], 1, c.mirrored ? 1 : 0);
}

void EndAction() {
  player.action = player_action::kFree;
  player.actionTimer = 0;
}

void AdvanceIdle() {
  Player& p = player;
  int length = 40;
  if (game.character == 2) length = (p.idlePose == 1 || p.idlePose == 3) ? 60 : (p.idlePose == 4 ? 50 : 40);
  if (++p.idleTimer >= length) {
    p.idleTimer = 0;
    p.idlePose = static_cast<int16_t>(p.idlePose >= 4 ? 0 : p.idlePose + 1);
  }
}

void AdvanceByAction() {
  Player& p = player;
  uint16_t& t = p.actionTimer;
  switch (p.action) {
    case 25:
      if (++t > 105) EndAction();
      return;
    case player_action::kNoGravity:
      if (++t > 40) t = 0;
      return;
    case player_action::kStartPose:
      ++t;
      if (t == 20) PlaySoundEffect(39);
      if (t > 80) {
        EndAction();
        if (game.character == 2 && game.openingScenePending != 0) {
          game.paused = 1;
          game.pauseMode = 4;
          game.pauseMenuPage = kScenePausePage;
          // Script 110 ends the pause; without it the pause would hold for good.
          if (game.eventPlayer.Create(110, kEndModeMission) == nullptr) game.paused = 0;
          game.openingScenePending = 0;
        }
      }
      return;
    case 22:
      if (++t > 64) t = 0;
      return;
    case player_action::kTerminal:
      if (++t > 50) EndAction();
      return;
    case player_action::kEnteringHideSpot:
      if (t != 31) ++t;
      if (t > 56) {
        p.inHideSpot = 0;
        EndAction();
      }
      return;
    case player_action::kGoal:
      ++t;
      return;
    case 56:
      ++t;
      if (t == 30) PlaySoundEffect(7);
      if (t == 60 || t == 67 || t == 74) {
        PlaySoundEffect(0);
        SpawnEffect(0, p.facing, p.x + game.scrollX - 10, p.y - game.scrollY - 14, 0, 0);
      }
      if (t > 200) {
        p.action = 54;
        t = 0;
      }
      return;
    case player_action::kWeaponChange:
      ++t;
      if (t == 15) PlaySoundEffect(14);
      if (t > 30) EndAction();
      return;
    case player_action::kReloading:
      ++t;
      if (t == 20) PlaySoundEffect(11);
      if (t > 40) EndAction();
      return;
    default:
      break;
  }
  if (p.wirePhase == 1) {
    // The wire's throw: the counter runs until the wire shot leaves the hand.
    ++p.fireCounter;
  } else if (p.wirePhase == 2) {
    if (++p.fireCounter > (p.wireClimb == 0 ? 150 : 40)) p.fireCounter = 1;
  } else if (p.stance == 1) {
    ++p.fireCounter;
  } else if (p.stance == 2) {
    if (p.stanceTimer != 0) ++p.stanceTimer;
    if (++p.fireCounter >= (p.stanceTimer == 0 ? 150 : 40)) p.fireCounter = 1;
  } else if (p.fireCounter != 0) {
    ++p.fireCounter;
    if (p.fireCounter >= (p.selectedWeapon == kWireWeapon ? 25 : 15)) {
      p.fireCounter = 0;
      p.weaponBusy = 0;
    }
  }
}

void AdvanceTimedMoves() {
  Player& p = player;
  uint16_t& t = p.actionTimer;
  if (p.action == player_action::kLedgeClimb) {
    if (++t > 35) {
      EndAction();
      p.hanging = 0;
      p.x += p.facing == 1 ? -36 : 36;
      p.y -= 60;
      if (game.stageFlags[1] > 1) ScrollWithPlayer(60);
    }
  } else if (p.crawling != 0) {
    if (++t > 40) t = 0;
  } else if (p.action == player_action::kFlinch) {
    if (++t > 24) EndAction();
  } else if (p.action == player_action::kKnockedBack) {
    if (++t > 50) {
      t = 0;
      if (p.life > 0) {
        p.invulnTimer = 1;
        p.action = player_action::kFree;
      } else {
        p.action = player_action::kDown;
      }
    }
  } else if (p.action == player_action::kDown || p.action == 58) {
    ++t;
  }
}

}  // namespace

PlayerCell ChoosePlayerCell() {
  const Player& p = player;
  const int t = p.actionTimer;
  switch (p.action) {
    case 26: return {};
    case 25: return Cell(2, 7, t < 100 ? 2 : 3, false);
    case player_action::kStartPose: {
      if (t < 30) return {};
      if (t >= 70) return Cell(3, 7, 0, false);
      static constexpr int kCells[] = {6, 5, 4, 3, 2, 1, 0, 1};
      return Cell(3, 7, Steps(t - 30, 5, kCells), false);
    }
    case 60: {
      if (t >= 45) return {};
      static constexpr int kCells[] = {0, 1, 0, 1, 2, 3, 4, 5, 6};
      return Cell(3, 7, Steps(t, 5, kCells), false);
    }
    case player_action::kNoGravity: return Cell(3, 6, Threshold(t, 10, 20, 30, 5, 6, 7, 6), false);
    case 22: return Cell(3, 7, std::min(t / 8, 7), false);
    case player_action::kTerminal: return NotMirrored(Cell(1, 0, 7, false));
    case player_action::kEnteringHideSpot: {
      static constexpr int kCells[] = {0, 1, 2, 3, 2, 1, 0};
      return Cell(3, 6, Steps(t, 8, kCells), true);
    }
    case player_action::kFlinch: return Cell(2, 4, t < 8 ? 2 : (t < 16 ? 3 : 2), true);
    case player_action::kKnockedBack: return {};
    case player_action::kDown: {
      static constexpr int kCells[] = {2, 3, 4, 5, 6};
      return Cell(2, 4, Steps(t, 8, kCells), true);
    }
    case 58: return Cell(1, 0, 0, true);
    case 57: return p.wasCaught != 0 ? Cell(1, 0, 0, true) : Cell(2, 4, 6, true);
    default: break;
  }
  if (p.crouching != 0) {
    if (p.walkCounter == 0) return Cell(1, 3, 3, true);
    PlayerCell c = Cell(2, 3, CrouchWalkCell(p.walkCounter), true);
    c.x += p.facing == 1 ? 20 : -20;
    return c;
  }
  if (p.flipping != 0) return NotMirrored(Cell(2, 2, std::min(p.flipTimer / 6, 7), true));
  if (p.action == player_action::kLedgeClimb) {
    static constexpr int kCells[] = {1, 2, 3, 4, 5};
    const int step = std::min(t / 7, 4);
    return LedgeCell(kCells[step], step < 2 ? -54 : -96);
  }
  if (p.hanging != 0) return LedgeCell(0, -54);
  if (p.climbing != 0) return Cell(3, 5, CrouchWalkCell(p.climbFrame), true);
  if (p.crawling != 0) {
    if (p.action == player_action::kAiming || p.fireCounter != 0) return NotMirrored(Cell(3, 4, 3, true));
    if (p.movingLeft != 0 || p.movingRight != 0) {
      static constexpr int kCells[] = {3, 4, 5, 6, 7};
      return NotMirrored(Cell(3, 3, Steps(t, 8, kCells), true));
    }
    return NotMirrored(Cell(3, 3, Threshold(t, 10, 20, 30, 0, 1, 2, 1), true));
  }
  const int c40 = p.cycle40;
  if (p.airborne != 0 && p.jumping == 0) return Cell(1, 3, Threshold(c40, 10, 20, 30, 4, 5, 6, 5), true);
  if (p.jumping != 0 || p.springing != 0) {
    if (p.rising != 0) return Cell(1, 5, Threshold(c40, 10, 20, 30, 0, 1, 2, 3), true);
    return Cell(1, 5, Threshold(c40, 10, 20, 30, 4, 5, 6, 5), true);
  }
  return GroundCell();
}

void DrawPlayer() {
  Player& p = player;
  TintForLightAndGadget();
  const bool goggles = p.selectedGadget == kGoggles;
  const bool blinkHidden = p.invulnTimer != 0 && p.invulnTimer % 3 != 0;
  const PlayerCell cell = ChoosePlayerCell();
  for (int pass = 0; pass < (goggles ? 2 : 1); ++pass) {
    if (blinkHidden || !cell.drawn) continue;
    DrawCell(cell, pass);
    if (p.action == player_action::kAiming && !goggles && p.crouching == 0 && p.flipping == 0 &&
        p.climbing == 0 && p.hanging == 0 && p.crawling == 0 && p.airborne == 0 && p.jumping == 0 && p.springing == 0) {
      DrawLaserSight();
    }
  }
  SetDrawBright(255, 255, 255);
  SetDrawBlendMode(kBlendNone, 0);
  if (p.action == player_action::kKnockedBack) {
    const int sheet2 = game.graphs[kSheetSlot + 1];
    DrawRectGraph(p.x - 80, p.y - 80, p.actionTimer % 2 == 0 ? 0 : kFlashSize, kFlashY, kFlashSize, kFlashSize, sheet2, 1, 0);
    DrawRectGraph(p.x - 60, p.y - 54, p.actionTimer % 10 < 5 ? 0 : kCellW, 4 * kCellH, kCellW, kCellH, sheet2, 1,
                  p.facing == 1 ? 1 : 0);
  }
  if (p.action == player_action::kAiming && !goggles) DrawLaserSight();

  if (game.paused != 0) return;
  AdvanceIdle();
  AdvanceByAction();
  AdvanceTimedMoves();
  if (++p.cycle40 >= 40) p.cycle40 = 0;
}
