// The player's movement modes other than walking and jumping, and the keys that act on the
// world: ladders, ledges, straddling, ducts, the wire, doors, terminals, hiding places, and
// the pause and gadget keys. Each is a step of UpdatePlayer, run in its order.
#pragma once

void SearchLedge();
void ProbeWalls();
void ProbeDuct();
void LetGoOfLadder(int pad);
void ClimbLadders(int pad);
void ClimbWire(int pad);
void UseWorldFeatures(int pad);
void HandlePauseAndGadgetKeys();

// Shared with the update: the head meets a ceiling while rising or climbing.
void CheckHeadBump();
// The camera rule after the player is placed on a floor or ledge high on the screen.
void FollowPlacedPlayer();
// Index of the map object stood on, or -1.
int StoodOnKind();
