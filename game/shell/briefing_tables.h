// The ship map's built-in tables: stage icons and names, route nodes (the doors between
// stages) with their destinations, and the ammunition recipes.
#pragma once
#include <cstdint>

constexpr int kMapAreas = 8;
constexpr int kMaxStagesPerArea = 11;
constexpr int kStagesPerArea[kMapAreas] = {5, 11, 9, 7, 6, 7, 8, 8};
constexpr int kNodesPerArea[kMapAreas] = {5, 8, 7, 10, 6, 6, 5, 7};
// Save-record places of each area's first stage flag and first door flag.
constexpr int kVisitedFlagBase[kMapAreas] = {71, 76, 87, 96, 103, 109, 116, 124};
constexpr int kDoorFlagBase[kMapAreas] = {230, 235, 243, 250, 260, 266, 272, 277};

struct StageIcon {
  int16_t x, y, kind;
};
struct RouteNode {
  int16_t x, y, panel, type;
  int8_t dest[6];
};
struct PieceRect {
  int16_t x, y, w, h;
};

// Null-free for every stage index below kStagesPerArea.
const StageIcon& StageIconAt(int area, int stage);
const char* StageName(int area, int stage);
// Null for a node index the area does not have.
const RouteNode* RouteNodeAt(int area, int node);
const PieceRect& IconPiece(int kind);
const PieceRect& PanelPiece(int kind);
// Units of material k used per shot made for weapon w, -1 = not used.
int Recipe(int weapon, int material);

// The stage a destination code names from an area: stage d - 1 of the area, or past 13,
// area d / 10 - 1 and stage d mod 10 - 1. False when the code names no existing stage.
bool DecodeDestination(int area, int code, int* toArea, int* toStage);
