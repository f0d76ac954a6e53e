#include "game/mission/player_modes.h"

#include "game/mission/enemies.h"
#include "game/mission/map_objects.h"
#include "game/mission/player_movement.h"
#include "game/mission/shots.h"
#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"

namespace {

namespace act = player_action;

constexpr int kInputJump = 2, kInputInteract = 3, kInputPause = 5, kInputWeapon = 6, kInputGadget = 7;
constexpr int kLadderKind = 65;
constexpr int kLadderClimbFrames = 48;
constexpr int kLadderStepDown = 25;
constexpr int kLedgeRoom = 70;
constexpr int kGadgetLongPress = 8;
constexpr int kBoxGadget = 8;
constexpr int kSoundDoor = 12, kSoundGadgetChange = 25, kSoundModule = 29;

bool Input(int a) { return game.action[a] != 0; }
bool InAir() { return player.jumping != 0 || player.springing != 0 || player.airborne != 0; }

bool AnySolidOverlap(int left, int right, int top, int bottom, int except, bool skipLadders) {
  for (int i = 0; i < game.mapObjectCount; ++i) {
    const MapObject& o = pools.mapObjects[i];
    if (i == except || !IsSolidActive(o) || (skipLadders && o.kind == kLadderKind)) continue;
    if (Overlaps(ObjectScreenBox(o), left, right, top, bottom)) return true;
  }
  return false;
}

void ClearJump() {
  player.jumping = 0;
  player.springing = 0;
  player.rising = 0;
  player.jumpPower = 0;
}

void ClearFall() {
  player.fallFrames = 0;
  player.fallStep = 0;
}

void SnapToLadder() {
  if (player.ladderObject == kNoObject) return;
  player.x = pools.mapObjects[player.ladderObject].x - game.scrollX + 20;
}

void OpenPauseMenu(int page) {
  if (game.keyLatch != 0) return;
  game.keyLatch = 1;
  game.paused = 1;
  game.pauseMenuPage = static_cast<uint8_t>(page);
  game.screenTimer = 0;
}

void GrabOrBrace(int pad) {
  Player& p = player;
  if (!InAir() || !Input(kInputInteract)) return;
  if (p.ductReach != 0 && p.hanging == 0) {
    p.crawling = 1;
    ClearJump();
    ClearFall();
    p.actionTimer = 0;
    return;
  }
  if (p.ledgeFound != 0 && p.ledgeSide == p.facing) {
    p.hanging = 1;
    ClearJump();
    ClearFall();
    p.y = pools.mapObjects[p.ledgeObject].y + game.scrollY + 40;
    FollowPlacedPlayer();
    return;
  }
  if ((pad & kPadUp) != 0 && p.wallLeft != 0 && p.wallRight != 0 && p.hanging == 0) {
    p.straddling = 1;
    p.sliding = 0;
    ClearJump();
    ClearFall();
    p.actionTimer = 0;
  }
}

void HangFromLedge(int pad) {
  Player& p = player;
  if (p.hanging == 0 || p.action == act::kLedgeClimb) return;
  if ((pad & kPadDown) != 0) {
    p.hanging = 0;
    return;
  }
  if ((pad & kPadUp) == 0) return;
  const ScreenBox ledge = ObjectScreenBox(pools.mapObjects[p.ledgeObject]);
  const int left = p.facing == 1 ? ledge.right - 40 : ledge.left + 3;
  const int right = p.facing == 1 ? ledge.right : ledge.left + 37;
  if (AnySolidOverlap(left, right, ledge.top - kLedgeRoom, ledge.top, p.ledgeObject, false)) return;
  p.action = act::kLedgeClimb;
  p.actionTimer = 0;
}

void StraddleAndCrawl(int pad) {
  Player& p = player;
  if (p.straddling != 0) {
    if (Input(kInputJump)) {
      p.straddling = 0;
    } else if ((pad & kPadDown) != 0) {
      p.y += 3;
      p.sliding = 1;
      ScrollWithPlayer(-3);
    } else {
      p.sliding = 0;
    }
  }
  if (p.crawling != 0 && Input(kInputJump)) p.crawling = 0;
}

void GoThroughDoor(int pad) {
  Player& p = player;
  if ((pad & kPadUp) == 0 || p.touchingDoor == 0) return;
  if (p.straddling != 0 || p.crawling != 0 || InAir() || p.hiding != 0) return;
  if (p.action == act::kDoorExit || p.action == act::kAiming || game.alertCountdown != 0) return;
  p.locked = 1;
  p.action = act::kDoorExit;
  game.stageFade = 0;
  PlaySoundEffect(kSoundDoor);
  const uint8_t* pair = game.doorDestinations[p.touchingDoor - 1];
  game.nextArea = static_cast<uint8_t>(pair[0] - 1);
  game.nextSubStage = static_cast<uint8_t>(pair[1] - 1);
}

void UseTerminal(int pad) {
  Player& p = player;
  if ((pad & kPadUp) == 0 || p.terminalReach == 0 || InAir() || p.hiding != 0 || p.action == act::kTerminal) return;
  p.action = act::kTerminal;
  p.actionTimer = 0;
  // Cameras, drones and the turret are switched off (wrecked). Free slots keep the kind of
  // an earlier stage's enemy and are left alone.
  constexpr int kFirstMachine = 3, kLastMachine = 11;
  for (Enemy& e : enemies) {
    if (e.state == kEnemyFree || e.kind < kFirstMachine || e.kind > kLastMachine) continue;
    e.state = kEnemyDefeated;
    e.timer = 0;
    PlaySoundEffect(kSoundModule);
  }
}

void EnterHidingPlace(int pad) {
  Player& p = player;
  if ((pad & kPadUp) != 0 && p.hideSpotReach != 0 && p.inHideSpot == 0 && !InAir() && p.hiding == 0) {
    p.action = act::kEnteringHideSpot;
    p.inHideSpot = 1;
  }
  if ((pad & kPadDown) != 0 && p.inHideSpot != 0 && p.actionTimer == 31) p.actionTimer = 32;
}

}  // namespace

int StoodOnKind() {
  if (player.standOn < 0 || player.standOn >= game.mapObjectCount) return -1;
  return pools.mapObjects[player.standOn].kind;
}

void FollowPlacedPlayer() {
  if (player.y < 200 && game.scrollY < 0) {
    const int d = 200 - player.y;
    game.scrollY += d;
    player.y += d;
    if (game.scrollY > 0) {
      player.y -= game.scrollY;
      game.scrollY = 0;
    }
  }
}

void CheckHeadBump() {
  Player& p = player;
  for (int i = 0; i < game.mapObjectCount; ++i) {
    const MapObject& o = pools.mapObjects[i];
    if (!IsSolidActive(o)) continue;
    const ScreenBox b = ObjectScreenBox(o);
    if (!Overlaps(b, p.headBox[0], p.headBox[1], p.headBox[2], p.headBox[3])) continue;
    p.headBump = 1;
    p.y = b.bottom + 42;
    p.fallFrames = 0;
  }
}

void SearchLedge() {
  Player& p = player;
  if (!InAir()) return;
  const int* f = p.frontBox;
  const int out = p.facing == 1 ? -10 : 10;
  for (int i = 0; i < game.mapObjectCount; ++i) {
    const MapObject& o = pools.mapObjects[i];
    if (!IsSolidActive(o) || o.kind == kLadderKind) continue;
    const ScreenBox b = ObjectScreenBox(o);
    if (!Overlaps(b, f[0], f[1], f[2], f[3]) || f[2] >= b.top + 10) continue;
    if (AnySolidOverlap(f[0] + out, f[1] + out, f[2] - 20, f[3], i, false)) continue;
    if (AnySolidOverlap(p.headBox[0], p.headBox[1], p.headBox[2] - 20, p.headBox[3], -1, true)) continue;
    p.ledgeFound = 1;
    p.ledgeObject = static_cast<uint16_t>(i);
    p.ledgeSide = static_cast<uint16_t>(p.facing);
    return;
  }
}

void ProbeWalls() {
  Player& p = player;
  if (p.jumping == 0 && p.airborne == 0 && p.straddling == 0) return;
  p.wallLeft = AnySolidOverlap(p.x - 30, p.x - 10, p.y + 15, p.y + 25, -1, true) ? 1 : 0;
  p.wallRight = AnySolidOverlap(p.x + 10, p.x + 30, p.y + 15, p.y + 25, -1, true) ? 1 : 0;
  if (p.wallLeft == 0 || p.wallRight == 0) p.straddling = 0;
}

void ProbeDuct() {
  Player& p = player;
  if (!InAir() && p.crawling == 0) return;
  for (int i = 0; i < game.mapObjectCount; ++i) {
    const MapObject& o = pools.mapObjects[i];
    if (o.solid != 0 || o.active != 1 || o.kind < 86 || o.kind > 88) continue;
    const ScreenBox b = ObjectScreenBox(o);
    if (p.x - 15 < b.right && p.x + 15 > b.left && p.y - 20 > b.top && p.y - 40 < b.top + 10) {
      p.ductReach = 1;
      return;
    }
  }
  p.crawling = 0;
}

void LetGoOfLadder(int pad) {
  Player& p = player;
  if (!Input(kInputJump) || p.climbing == 0) return;
  if ((pad & (kPadUp | kPadDown)) != 0) return;
  p.climbing = 0;
  p.ladderContact = 0;
  p.ladderReach = 0;
  p.fallFrames = 0;
}

void ClimbLadders(int pad) {
  Player& p = player;
  if (p.action != act::kFree || p.hanging != 0 || p.hiding != 0) return;
  if ((pad & kPadUp) != 0) {
    if (p.ladderContact == 0 || p.ladderReach == 0) return;
    p.climbing = 1;
    p.jumping = p.springing = p.rising = 0;
    if (++p.climbFrame >= kLadderClimbFrames) p.climbFrame = 0;
    p.y -= 2;
    SnapToLadder();
    p.headBox[0] = p.x - 12;
    p.headBox[1] = p.x + 12;
    p.headBox[2] = p.y - 40;
    p.headBox[3] = p.y - 20;
    CheckHeadBump();
    ScrollWithPlayer(2);
  } else if ((pad & kPadDown) != 0) {
    if (p.ladderReach == 0 || (p.climbing == 0 && StoodOnKind() != kLadderKind)) return;
    p.ladderContact = 1;
    if (p.climbing != 0) {
      p.y += 2;
      ScrollWithPlayer(-2);
    } else {
      // Stepping down from the top: the ladder is the one stood on. Its contact box does not
      // reach above its top, so the last ladder touched may be another one, or none at all.
      p.ladderObject = static_cast<uint16_t>(p.standOn);
      p.y += kLadderStepDown;
      ScrollWithPlayer(-kLadderStepDown);
    }
    SnapToLadder();
    p.climbing = 1;
    p.jumping = p.springing = p.rising = 0;
    p.climbFrame = p.climbFrame == 0 ? kLadderClimbFrames - 1 : p.climbFrame - 1;
  }
}

void ClimbWire(int pad) {
  Player& p = player;
  if (p.action != act::kOnWire || p.wirePhase != 2) return;
  if ((pad & kPadUp) != 0) {
    if (p.wireClimb == 0) p.wireClimb = 1;
    p.y -= 2;
    ScrollWithPlayer(2);
    for (int i = 0; i < game.mapObjectCount; ++i) {
      const MapObject& o = pools.mapObjects[i];
      if (!IsSolidActive(o)) continue;
      const ScreenBox b = ObjectScreenBox(o);
      if (Overlaps(b, p.x - 14, p.x + 14, p.y - 40, p.y - 20)) p.y = b.bottom + 42;
    }
  } else if ((pad & kPadDown) != 0) {
    p.y += 2;
    if (p.wireClimb == 0) p.wireClimb = 1;
    ScrollWithPlayer(-2);
  }
}

void UseWorldFeatures(int pad) {
  if (player.wirePhase == 0) {
    GrabOrBrace(pad);
    HangFromLedge(pad);
    StraddleAndCrawl(pad);
    GoThroughDoor(pad);
    UseTerminal(pad);
  }
  EnterHidingPlace(pad);
}

void HandlePauseAndGadgetKeys() {
  Player& p = player;
  // The shared one-press latch: a frame with none of the menu keys held frees it, so that a
  // pause closed with the pause key can be opened again by the next press.
  if (!Input(kInputPause) && !Input(kInputWeapon) && !Input(kInputGadget) && p.gadgetKeyFrames == 0) game.keyLatch = 0;
  if (Input(kInputPause)) OpenPauseMenu(0);
  if (Input(kInputWeapon)) {
    if (p.action == act::kFree && p.hiding == 0 && p.hanging == 0 && !InAir() && p.crouching == 0) {
      p.action = act::kWeaponChange;
      p.actionTimer = 0;
    }
    if (p.inHideSpot == 0 && p.crawling == 0) OpenPauseMenu(1);
  }
  if (p.inHideSpot != 0 || p.crawling != 0) return;
  if (Input(kInputGadget)) {
    if (++p.gadgetKeyFrames > kGadgetLongPress) {
      OpenPauseMenu(2);
      p.gadgetKeyFrames = 0;
    }
    return;
  }
  if (p.gadgetKeyFrames == 0) return;
  // A short press puts the gadget away or takes the stored one back; the sound plays even
  // when there was nothing to change.
  if (p.selectedGadget != 0) {
    p.storedGadget = p.selectedGadget;
    p.selectedGadget = 0;
    p.hiding = 0;
  } else {
    p.selectedGadget = p.storedGadget;
    if (p.storedGadget == kBoxGadget) p.hiding = 1;
  }
  PlaySoundEffect(kSoundGadgetChange);
  p.gadgetKeyFrames = 0;
  game.keyLatch = 0;
}
