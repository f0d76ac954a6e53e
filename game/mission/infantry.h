// The foot soldiers' behaviour modes: idle (initial and normal), noticed, attack, alert
// search and suspicious, each drawing the soldier and moving it for one frame.
#pragma once

void InfantryIdle(int index, int sheetA, int sheetB);
void InfantryNoticed(int index, int sheetA, int sheetB);
void InfantryAttack(int index, int sheetA, int sheetB);
void InfantryAlertSearch(int index, int sheetA, int sheetB);
void InfantrySuspicious(int index, int sheetA, int sheetB);
// Walking that climbs walls and drops down ledges.
void InfantryWalkClimb(int index, int sheetA);
// A noise heard 15 frames ago turns the soldier towards it and makes it suspicious.
void ApplyPendingTurn(int index);
// Turns the soldier round when no floor lies ahead.
void TurnAtLedge(int index);
