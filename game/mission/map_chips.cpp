#include "game/mission/map_chips.h"

namespace {

struct GroupCut {
  int firstKind, lastKind;
  int sheet;  // position in the asset list's 32 chip codes, or a slot when >= 100
  int width, height, offsetY;
};

// In the order of the chip codes "10" "11" "20" "21" "25" "30" "35" "38" "41" "44" "47"
// "56" "58" "59" "60" "61" "64" "65" "66" "75" "77" "79" "82" "83" "86" "89" "90" "91"
// "99" "130" "190" "1".
constexpr GroupCut kGroups[] = {
    {10, 10, 0, 40, 40, 0},   {11, 11, 1, 40, 40, 0},   {20, 20, 2, 40, 80, 0},
    {21, 24, 3, 40, 40, 0},   {25, 29, 4, 40, 40, 0},   {30, 34, 5, 40, 20, 0},
    {35, 37, 6, 80, 40, 0},   {38, 40, 7, 120, 40, 0},  {41, 43, 8, 40, 80, 0},
    {44, 46, 9, 40, 120, 0},  {47, 55, 10, 80, 80, 0},  {56, 57, 11, 80, 80, -40},
    {58, 58, 12, 40, 80, 0},  {59, 59, 13, 40, 40, 0},  {60, 60, 14, 40, 40, 0},
    {61, 62, 15, 80, 20, 0},  {64, 64, 16, 40, 80, 0},  {65, 65, 17, 40, 40, 0},
    {66, 74, 18, 40, 80, 0},  {75, 76, 19, 80, 40, 0},  {77, 77, 20, 40, 80, -40},
    {79, 81, 21, 40, 40, 0},  {82, 82, 22, 40, 80, 0},  {83, 85, 23, 80, 40, 0},
    {86, 88, 24, 40, 40, 0},  {89, 89, 25, 40, 40, 0},  {90, 90, 26, 40, 80, 0},
    {91, 91, 27, 40, 40, 0},  {98, 99, 28, 80, 40, 0},  {130, 139, 29, 40, 80, 0},
    {190, 200, 30, 40, 40, 0}, {1, 9, 31, 40, 80, 0},
    {92, 92, chip_slot::kBurnable, 40, 40, 0},
    {100, 109, chip_slot::kDecorationA, 40, 40, 0},
    {110, 120, chip_slot::kDecorationB, 40, 40, 0},
};

}  // namespace

ChipCut ChipFor(int kind) {
  for (const GroupCut& g : kGroups) {
    if (kind < g.firstKind || kind > g.lastKind) continue;
    const int slot = g.sheet >= 100 ? g.sheet : chip_slot::kFirst + g.sheet;
    return {slot, g.firstKind, g.width, g.height, g.offsetY};
  }
  return {0, kind, 0, 0, 0};
}
