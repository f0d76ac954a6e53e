// The one player record, shared by mission play (which moves and draws the player), the
// shell (which resets it, gives the starting loadouts and carries the inventory in and out
// of save records), the story scenes and the editor's test play.
#pragma once
#include <cstdint>

// Inventory values: a count, or kNotOwned.
constexpr uint16_t kNotOwned = 0xFFFF;
constexpr int kWeaponCount = 20;
constexpr int kItemCount = 10;
constexpr int kGadgetCount = 20;
// Index fields that name no map object.
constexpr int kNoObject = 9999;

struct Player {
  uint8_t locked = 0;
  int32_t action = 0;
  uint16_t actionTimer = 0;
  int32_t lifeMax = 0;
  int32_t life = 0;
  uint16_t invulnTimer = 0;
  int16_t entryDoor = 0;
  int32_t x = 0, y = 0;
  int32_t fallStep = 0;
  int32_t wireStartY = 0;
  int32_t wireAnchor = 0;
  int32_t facing = 0;
  int32_t walkCounter = 0;
  int32_t standOn = 0;
  uint8_t movingRight = 0, movingLeft = 0;
  uint16_t fireCounter = 0;
  int16_t selectedWeapon = 0;
  uint16_t aimUpTap = 0, aimDownTap = 0;
  uint16_t weapons[kWeaponCount] = {};
  uint16_t items[kItemCount] = {};
  uint16_t gadgets[kGadgetCount] = {};
  uint16_t wirePhase = 0;
  uint16_t wireClimb = 0;
  int16_t aimAngle = 0;
  uint8_t selectedGadget = 0;
  uint8_t storedGadget = 0;
  int32_t fallFrames = 0;
  uint8_t headBump = 0;
  uint8_t airborne = 0;
  uint8_t landed = 0;
  uint8_t jumping = 0;
  uint8_t jumpLatch = 0;
  uint8_t rising = 0;
  int32_t jumpPower = 0;
  uint8_t springing = 0;
  uint16_t cycle40 = 0;
  uint8_t onGround = 0;
  uint16_t groundObject = 0;
  uint8_t ladderContact = 0;
  uint8_t ladderReach = 0;
  uint8_t climbing = 0;
  uint16_t climbFrame = 0;
  uint16_t ladderObject = 0;
  uint8_t crouching = 0;
  uint8_t ledgeFound = 0;
  uint8_t hanging = 0;
  uint16_t ledgeSide = 0;
  uint16_t ledgeObject = 0;
  uint8_t sneaking = 0;
  int32_t bodyBox[4] = {}, headBox[4] = {}, footBox[4] = {}, frontBox[4] = {};
  uint8_t straddling = 0;
  uint8_t wallLeft = 0, wallRight = 0;
  uint8_t sliding = 0;
  uint8_t crawling = 0;
  uint8_t ductReach = 0;
  int16_t touchingDoor = 0;
  uint8_t terminalReach = 0;
  uint8_t panelReach = 0;
  uint16_t isLit = 0;
  uint8_t hideSpotReach = 0;
  uint8_t inHideSpot = 0;
  uint8_t gadgetKeyFrames = 0;
  uint8_t hiding = 0;
  // The sprite's own counters and poses.
  int16_t idleTimer = 0, idlePose = 0;
  uint16_t weaponBusy = 0;
  uint16_t stance = 0, stanceTimer = 0;
  uint8_t flipping = 0;
  int16_t flipTimer = 0;
  // Set when an enemy catches the player; drawn by the game-over pose.
  uint8_t wasCaught = 0;
  // Index of the kind-76 conveyor touched this frame, kNoObject = none.
  uint16_t objectContact = kNoObject;
  // Set when play begins: a fire key still held from the screen before (the confirm that
  // started the stage or moved a talk on) aims nothing until it is released.
  uint8_t fireHeld = 0;
};

extern Player player;
