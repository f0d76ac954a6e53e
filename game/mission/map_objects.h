// The map objects of a stage (blocks, doors, traps, triggers, the goal, targets, items) and
// the decor lights, in two fixed pools scanned for the first free slot; their creation by
// the stage loader, their per-frame update and drawing, and item pickup.
#pragma once
#include <cstdint>

constexpr int kMapObjectSlots = 2700;
constexpr int kDecorSlots = 40;

struct MapObject {
  int32_t kind = 0;
  uint8_t solid = 0;
  int32_t x = 0, y = 0;  // world pixels of the cell's top-left corner
  int16_t active = 0;    // 0 gone (slot free), 1 normal, 2 destroyed / open / burning by kind
  int32_t stepCounter = 0;
  int16_t direction = 0;
  int16_t timers[4] = {};
  int32_t boxLeft = 0, boxRight = 0, boxTop = 0, boxBottom = 0;
};

struct MissionPools {
  MapObject mapObjects[kMapObjectSlots];
  MapObject decorObjects[kDecorSlots];
};

extern MissionPools pools;

// Empties both pools (and the map-object count); part of the per-stage reset.
void ResetMapObjectPools();

void SpawnMapObject(int kind, int cellX, int cellY, int flag);
void SpawnDecorObject(int kind, int cellX, int cellY, int flag);
void UpdateMapObjects();
void UpdateMapObject(int state, int kind, int x, int y, int slot, int flag);
void UpdateDecorObjects();
void DrawDecorObject(int state, int kind, int x, int y, int slot, int flag);
void DrawItem(int state, int kind, int x, int y, int slot, int flag);
void PickUpItem(int kind, int slot);
void LightProbe(int slot, int radius);

// A solid object the player can stand on and walk into: stand-on flag set and active 1.
inline bool IsSolidActive(const MapObject& o) { return o.solid != 0 && o.active == 1; }

// The object's box on the screen: left, right, top, bottom.
struct ScreenBox {
  int left, right, top, bottom;
};
ScreenBox ObjectScreenBox(const MapObject& o);
// Strict overlap of two left/right/top/bottom rectangles.
inline bool Overlaps(int l1, int r1, int t1, int b1, int l2, int r2, int t2, int b2) {
  return l1 < r2 && r1 > l2 && t1 < b2 && b1 > t2;
}
inline bool Overlaps(const ScreenBox& b, int l, int r, int t, int bo) {
  return Overlaps(b.left, b.right, b.top, b.bottom, l, r, t, bo);
}
