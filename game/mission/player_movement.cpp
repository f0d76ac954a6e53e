#include "game/mission/player_movement.h"

#include "game/mission/map_objects.h"
#include "game/mission/player_modes.h"
#include "game/mission/shots.h"
#include "game/shell/action_mapping.h"
#include "game/shell/asset_lists.h"
#include "game/shell/game_data.h"
#include "runtime/api.h"

namespace {

namespace act = player_action;

constexpr int kInputFire = 1, kInputJump = 2, kInputInteract = 3, kInputSneak = 4;
constexpr int kFallStepCap = 15;
constexpr int kFallOutY = 680;
constexpr int kInvulnEnd = 100;
constexpr int kWalkCycle = 48, kSneakCycle = 64;
constexpr int kJumpStartPower = 8, kJumpMaxPower = 19;
constexpr int kScreenWidth = 800, kScreenHeight = 600;
constexpr int kCameraEdge = 390;
constexpr int kLeftLimit = 5, kRightLimit = 780;
constexpr int kConveyorSpeed = 2;
constexpr int kFeetBelowCentre = 38;
constexpr int kNoiseShot = 27, kNoiseRadius = 200;
constexpr int kWireWeapon = 11, kWireShot = 11;
constexpr int kGadgetQuietShoes = 5;
constexpr int kSoundFoot = 1, kSoundGunSet = 7;

bool Input(int a) { return game.action[a] != 0; }

void BuildBoxes() {
  Player& p = player;
  const int bodyTop = p.crouching != 0 ? p.y + 1 : p.y - 25;
  const int boxes[4][4] = {{p.x - 12, p.x + 12, p.y - 40, p.y - 20},
                           {p.x - 12, p.x + 12, p.y + 5, p.y + 39},
                           {p.x - 20, p.x + 20, bodyTop, p.y + 20},
                           {p.facing == 1 ? p.x - 25 : p.x + 20, p.facing == 1 ? p.x - 20 : p.x + 25, p.y - 35, p.y - 30}};
  int32_t* targets[4] = {p.headBox, p.footBox, p.bodyBox, p.frontBox};
  for (int b = 0; b < 4; ++b) {
    for (int i = 0; i < 4; ++i) targets[b][i] = boxes[b][i];
  }
}

void EndWire() {
  player.action = act::kFree;
  player.wirePhase = 0;
  player.fireCounter = 0;
  RemoveShotsOfKind(kWireShot);
}

void MakeNoise() {
  SpawnShot(kNoiseShot, player.x + game.scrollX, player.y - game.scrollY, 0, static_cast<float>(kNoiseRadius), 0.0f, 0);
}

bool CarriesPlayer(const MapObject& o) {
  if (IsSolidActive(o)) return true;
  return o.kind == 65 && o.solid == 0 && o.active == 1 && player.climbing == 0 && player.ladderContact == 0 &&
         player.rising == 0 && player.action < act::kDoorExit;
}

void Land() {
  Player& p = player;
  bool examined = false;
  for (int i = 0; i < game.mapObjectCount; ++i) {
    MapObject& o = pools.mapObjects[i];
    const ScreenBox box = ObjectScreenBox(o);
    if (CarriesPlayer(o) && Overlaps(box, p.footBox[0], p.footBox[1], p.footBox[2], p.footBox[3])) {
      p.y = o.y + game.scrollY - kFeetBelowCentre;
      FollowPlacedPlayer();
      p.onGround = 1;
      p.groundObject = static_cast<uint16_t>(i);
      p.standOn = i;
      p.fallFrames = 0;
      p.fallStep = 0;
      p.jumpPower = 0;
      p.jumping = p.springing = p.rising = p.airborne = p.headBump = 0;
      p.climbing = p.straddling = p.crawling = 0;
      if (p.landed == 0 && p.action != act::kStartPose) {
        p.landed = 1;
        PlaySoundEffect(kSoundFoot);
        if (o.kind == 91 && p.selectedGadget != kGadgetQuietShoes) MakeNoise();
      }
      if (o.kind >= 83 && o.kind <= 85 && p.action != act::kDown) {
        static constexpr int kSpringPower[3] = {20, 25, 30};
        p.springing = 1;
        p.landed = 0;
        o.stepCounter = 1;
        p.jumpPower = kSpringPower[o.kind - 83];
      } else {
        p.springing = 0;
      }
      return;
    }
    examined = true;
  }
  if (!examined) return;
  p.standOn = kNoObject;
  if (p.jumping == 0 && p.springing == 0 && p.climbing == 0) {
    p.airborne = 1;
    p.onGround = 0;
  }
}

void Jump() {
  Player& p = player;
  const bool stateAllows = p.action == act::kFree || (p.action == act::kOnWire && p.wirePhase == 2);
  const bool canJump = Input(kInputJump) && p.crouching == 0 && p.airborne == 0 && p.springing == 0 &&
                       p.climbing == 0 && p.hiding == 0 && p.action != act::kEnteringHideSpot && stateAllows;
  if (!canJump || (p.jumpLatch != 0 && p.jumpPower == 0)) {
    p.jumpLatch = 0;
    return;
  }
  p.jumpLatch = 1;
  if (p.action == act::kOnWire) EndWire();
  if (p.jumping == 0) {
    p.landed = 0;
    p.jumping = 1;
    p.jumpPower = kJumpStartPower;
    p.onGround = 0;
  }
  if (p.jumpPower < kJumpMaxPower) ++p.jumpPower;
}

void RiseOrFall() {
  Player& p = player;
  if (p.jumping == 0 && p.springing == 0) return;
  CheckHeadBump();
  if (p.headBump != 0) {
    p.fallStep = 0;
    p.jumpPower = 0;
    p.rising = 0;
  } else {
    p.fallStep -= p.jumpPower;
  }
  p.rising = p.jumpPower - p.fallFrames >= 0 ? 1 : 0;
}

void Crouch(int pad) {
  Player& p = player;
  if ((pad & kPadDown) != 0 && p.action == act::kFree && p.hanging == 0 && p.jumping == 0 && p.airborne == 0 &&
      p.climbing == 0 && p.hiding == 0 && p.wirePhase == 0) {
    p.crouching = 1;
    return;
  }
  if (p.crouching == 0) return;
  for (int i = 0; i < game.mapObjectCount; ++i) {
    const MapObject& o = pools.mapObjects[i];
    if (IsSolidActive(o) && Overlaps(ObjectScreenBox(o), p.x - 15, p.x + 15, p.y - 25, p.y + 20)) return;
  }
  p.crouching = 0;
}

// A step to the right or left: the camera moves while the player is past the middle of the
// screen and the stage goes on, else the player moves up to the screen's edge.
void StepRight(int speed) {
  if (player.x >= kCameraEdge && game.scrollX < MaxScrollX()) {
    game.scrollX += speed;
    ClampScrollX();
  } else if (player.x < kRightLimit) {
    player.x += speed;
  }
}

void StepLeft(int speed) {
  if (game.scrollX >= 1 && player.x < kCameraEdge) {
    game.scrollX -= speed;
    ClampScrollX();
  } else if (player.x > kLeftLimit) {
    player.x -= speed;
  }
}

void PushBackFromWalls(int worldBefore, int speed, int standKind) {
  Player& p = player;
  const int moved = p.x + game.scrollX - worldBefore;
  if (moved == 0) return;
  const int bodyTop = p.crouching != 0 ? p.y + 1 : p.y - 25;
  const int left = p.x - 20, right = p.x + 20;
  for (int i = 0; i < game.mapObjectCount; ++i) {
    const MapObject& o = pools.mapObjects[i];
    if (!IsSolidActive(o)) continue;
    const ScreenBox b = ObjectScreenBox(o);
    if (!Overlaps(b, left, right, bodyTop, p.y + 20)) continue;
    if (moved > 0 && left + 10 < b.right) {
      p.x -= speed + (standKind == 75 ? kConveyorSpeed : 0);
      return;
    }
    if (moved < 0 && right - 10 > b.left) {
      p.x += speed + (standKind == 76 ? kConveyorSpeed : 0);
      return;
    }
  }
}

void Walk(int pad) {
  Player& p = player;
  p.movingRight = 0;
  p.movingLeft = 0;
  if (p.straddling != 0 || p.hanging != 0 || p.fireCounter != 0 || p.action == act::kLedgeClimb) return;
  const int worldBefore = p.x + game.scrollX;
  const int standKind = StoodOnKind();
  if (standKind == 75) StepRight(kConveyorSpeed);
  if (standKind == 76 && p.x >= 1) StepLeft(kConveyorSpeed);

  const bool canWalk = p.climbing == 0 && p.action == act::kFree;
  int speed = 0;
  if (p.crawling != 0 || p.crouching != 0) {
    speed = 1;
  } else {
    speed = p.sneaking == 0 && p.hiding == 0 ? 4 : 2;
  }
  bool handled = false;
  if ((pad & kPadLeft) != 0 && canWalk) {
    p.facing = 1;
    p.movingLeft = 1;
    StepLeft(speed);
    handled = true;
  }
  if ((pad & kPadRight) != 0 && canWalk) {
    p.facing = 0;
    p.movingRight = 1;
    StepRight(speed);
    handled = true;
  }
  if (handled) {
    ++p.walkCounter;
  } else {
    p.walkCounter = 0;
    speed = 0;
  }
  PushBackFromWalls(worldBefore, speed, standKind);
}

void Aim(int pad) {
  Player& p = player;
  if (p.action != act::kAiming) {
    p.aimUpTap = 0;
    p.aimDownTap = 0;
    return;
  }
  StartAimTrace();
  TraceAimLine();
  if ((pad & kPadUp) != 0 && p.aimAngle < 60) {
    ++p.aimAngle;
    p.aimDownTap = 0;
    if (p.aimUpTap >= 1 && p.aimUpTap <= 8) p.aimAngle = p.aimAngle >= 0 ? 60 : 0;
    p.aimUpTap = 9;
  } else if ((pad & kPadDown) != 0 && p.aimAngle > -60) {
    --p.aimAngle;
    p.aimUpTap = 0;
    if (p.aimDownTap >= 1 && p.aimDownTap <= 8) p.aimAngle = p.aimAngle < 1 ? -60 : 0;
    p.aimDownTap = 9;
  } else if ((pad & (kPadUp | kPadDown)) == 0) {
    if (p.aimUpTap > 0) --p.aimUpTap;
    if (p.aimDownTap > 0) --p.aimDownTap;
  }
}

void Footsteps() {
  const Player& p = player;
  if (p.walkCounter != 2 && p.walkCounter != 26) return;
  if (p.sneaking != 0 || p.crouching != 0 || p.jumping != 0 || p.springing != 0 || p.airborne != 0 || p.hiding != 0) return;
  PlaySoundEffect(kSoundFoot);
  if (StoodOnKind() == 91 && p.selectedGadget != kGadgetQuietShoes) MakeNoise();
}

void FireOrCancel() {
  Player& p = player;
  bool fire = Input(kInputFire);
  if (p.fireHeld != 0) {
    if (fire) {
      fire = false;
    } else {
      p.fireHeld = 0;
    }
  }
  const bool standingFree = p.action == act::kFree && p.climbing == 0 && p.fireCounter == 0;
  const bool straddleAim = p.airborne != 0 && p.straddling != 0;
  const bool mayAim = p.crouching == 0 && p.hiding == 0 && p.action != act::kEnteringHideSpot;
  if (mayAim && fire && (standingFree || straddleAim)) {
    if (p.selectedWeapon != kWireWeapon) {
      if (p.action != act::kAiming) {
        PlaySoundEffect(kSoundGunSet);
        StartAimTrace();
      }
      p.action = act::kAiming;
    } else if (p.straddling == 0) {
      FireSelectedWeapon();
    }
    return;
  }
  if (fire && p.action == act::kAiming) return;
  if (Input(kInputInteract)) {
    if (p.hanging == 0 && p.crouching == 0 && p.wirePhase == 0) {
      if (p.action != act::kKnockedBack && p.action < act::kDoorExit) p.action = act::kFree;
      p.fireCounter = 0;
    }
    return;
  }
  if (p.action == act::kAiming && p.crouching == 0 && p.hiding == 0) FireSelectedWeapon();
}

void EndOfFrame() {
  Player& p = player;
  if (p.ladderContact == 0) p.climbing = 0;
  p.ladderContact = 0;
  p.ladderReach = 0;
  p.terminalReach = 0;
  p.panelReach = 0;
  constexpr int kBoxGadget = 8;
  if (p.selectedGadget == kBoxGadget && p.hiding == 0) {
    p.storedGadget = kBoxGadget;
    p.selectedGadget = 0;
  }
}

}  // namespace

int MaxScrollX() { return (game.stageScreensX - 1) * kScreenWidth; }
int MinScrollY() { return -(game.stageScreensY - 1) * kScreenHeight; }

void ClampScrollX() {
  if (game.scrollX > MaxScrollX()) {
    player.x += game.scrollX - MaxScrollX();
    game.scrollX = MaxScrollX();
  } else if (game.scrollX < 0) {
    player.x += game.scrollX;
    game.scrollX = 0;
  }
}

void ClampScrollY() {
  if (game.scrollY < MinScrollY()) {
    player.y += MinScrollY() - game.scrollY;
    game.scrollY = MinScrollY();
  } else if (game.scrollY > 0) {
    player.y -= game.scrollY;
    game.scrollY = 0;
  }
}

void ScrollWithPlayer(int dy) {
  if (game.stageScreensY <= 1) return;
  Player& p = player;
  if (p.y <= 200 && game.scrollY < 0) {
    p.y += dy;
    game.scrollY += dy;
  } else if (p.y > 450 && game.scrollY > MinScrollY() && !(p.rising != 0 && p.airborne == 0)) {
    p.y += dy;
    game.scrollY += dy;
  }
  // The step may carry the camera past the top or bottom of the stage.
  ClampScrollY();
}

void UpdatePlayer(int) {
  Player& p = player;
  const int pad = GetPadInput(kPadOneWithKeyboard);
  if (game.paused == 0) {
    if (p.action != act::kNoGravity) {
      p.fallStep += p.fallFrames;
      if (p.fallStep > kFallStepCap) p.fallStep = kFallStepCap;
      if (p.y <= kFallOutY) {
        p.y += p.fallStep;
      } else {
        if (p.action < act::kDown) {
          p.actionTimer = 0;
          p.action = act::kDown;
        }
        p.life = 0;
      }
    }
    ScrollWithPlayer(-p.fallStep);

    p.ledgeFound = p.wallLeft = p.wallRight = p.ductReach = 0;
    if (p.sneaking != 0 ? p.walkCounter >= kSneakCycle + 1 : p.walkCounter >= kWalkCycle + 1) p.walkCounter = 1;
    p.fallStep = 0;
    if (p.invulnTimer != 0 && ++p.invulnTimer > kInvulnEnd) p.invulnTimer = 0;
    const bool held = p.climbing != 0 || p.action == act::kOnWire || p.hanging != 0 || p.straddling != 0 || p.crawling != 0;
    p.fallFrames = held ? 0 : p.fallFrames + 1;
    if (p.action == act::kOnWire && p.wirePhase == 2 && p.wireAnchor >= 0 && p.wireAnchor < kMapObjectSlots &&
        pools.mapObjects[p.wireAnchor].active != 1) {
      EndWire();
    }
    BuildBoxes();
    SearchLedge();
    ProbeWalls();
    ProbeDuct();
    Land();
    if (p.airborne != 0) {
      p.landed = 0;
      p.hiding = 0;
      if (p.action == act::kOnWire) p.airborne = 0;
    }

    if (p.locked == 0 && p.action < act::kDoorExit) {
      p.sneaking = Input(kInputSneak) && p.airborne == 0 && p.climbing == 0 && p.jumping == 0 && p.action == act::kFree;
      Jump();
      LetGoOfLadder(pad);
      RiseOrFall();
      ClimbLadders(pad);
      Crouch(pad);
      Walk(pad);
      ClimbWire(pad);
      Aim(pad);
      Footsteps();
      FireOrCancel();
      UseWorldFeatures(pad);
      LaunchPendingShot();
      if (p.action < act::kDoorExit) HandlePauseAndGadgetKeys();
    }
  }
  EndOfFrame();
}
