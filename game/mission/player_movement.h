// The per-frame player update: gravity, landing on map objects, walking, running,
// sneaking, crouching, jumping, springs and conveyors, aiming and the camera that follows.
#pragma once

// Player action states.
namespace player_action {
constexpr int kFree = 0;
constexpr int kOnWire = 7;
constexpr int kLedgeClimb = 8;
constexpr int kFlinch = 9;
constexpr int kKnockedBack = 10;
constexpr int kAiming = 11;
constexpr int kReloading = 12;
constexpr int kWeaponChange = 13;
constexpr int kEnteringHideSpot = 21;
constexpr int kTerminal = 23;
constexpr int kNoGravity = 24;
constexpr int kDoorExit = 40;
constexpr int kDown = 51;
constexpr int kGoal = 52;
constexpr int kStartPose = 59;
}  // namespace player_action

void UpdatePlayer(int pad);
// Vertical camera follow in stages more than one screen high: the player and the camera
// move together by dy near the top and bottom of the screen.
void ScrollWithPlayer(int dy);

// The largest scroll of the stage: (width − 1) × 800 across, −(height − 1) × 600 down.
int MaxScrollX();
int MinScrollY();
// Puts a camera that has run past an end of the stage back at that end, moving the player
// on screen by as much so that its place in the world stays.
void ClampScrollX();
void ClampScrollY();
