#include "tools/dataset/stage_watch.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "tools/dataset/stage_route.h"

namespace stage_route {
namespace {

constexpr int kEnemyRecords = 2720;
constexpr int kFirstEnemyTile = 201, kLastEnemyTile = 220;
constexpr int kBlock = 25;
// A guard sees 350 pixels: the cells whose centres lie within reach.
constexpr int kGuardReachCells = 8;
constexpr int kBeamReach = 600;

bool SolidCell(const StageMap& map, int column, int row) {
  return map.SolidOverlaps(column * kCellSize + 1, row * kCellSize + 1, (column + 1) * kCellSize - 1,
                           (row + 1) * kCellSize - 1);
}

bool Inside(int column, int row) { return column >= 0 && row >= 0 && column < kColumns && row < kRows; }

}  // namespace

std::vector<std::pair<int, int>> AlwaysWatchedCells(const std::string& record) {
  std::set<std::pair<int, int>> cells;
  if (record.size() < static_cast<size_t>(kRecordBytes)) return {};
  const auto* bytes = reinterpret_cast<const uint8_t*>(record.data());
  const StageMap map(bytes);
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      const int code = bytes[row * kColumns + column];
      if (code < kFirstEnemyTile || code > kLastEnemyTile) continue;
      const uint8_t* e = bytes + kEnemyRecords + (code - kFirstEnemyTile) * 10;
      const int kind = e[0], facing = e[3], param1 = e[4], param2 = e[5], initial = e[6];
      if ((kind == 1 || kind == 2) && initial == 0) {
        // A standing guard: its own cell and the cells ahead on its level, feet and head
        // rows, up to a wall.
        // The view widens with the distance (25 degrees either side of level), so that a
        // player cannot slip over the watched cells.
        const int step = facing == 1 ? -1 : 1;
        for (int k = 0; k <= kGuardReachCells; ++k) {
          const int c = column + step * k;
          if (!Inside(c, row) || SolidCell(map, c, row) || (row > 0 && SolidCell(map, c, row - 1))) break;
          const int spread = static_cast<int>(std::ceil(k * 0.47));
          for (int r = std::max(0, row - 1 - spread); r <= row; ++r) {
            if (!SolidCell(map, c, r)) cells.insert({c, r});
          }
        }
      } else if (((kind == 3 || kind == 5) || kind == 14) && param2 == 0) {
        // A beam that never switches off, marched as the game marches it.
        const double a = param1 * 3.141592 / 180;
        const double sx = column * kCellSize + 20, sy = row * kCellSize + 20;
        for (int d = 10; d <= kBeamReach; d += 10) {
          const double x = sx + std::cos(a) * d, y = sy + std::sin(a) * d;
          const int c = static_cast<int>(std::floor(x / kCellSize)), r = static_cast<int>(std::floor(y / kCellSize));
          if (!Inside(c, r) || SolidCell(map, c, r)) break;
          cells.insert({c, r});
        }
      }
    }
  }
  return {cells.begin(), cells.end()};
}

std::string BlockWatchedCells(const std::string& record) {
  std::string out = record;
  for (const auto& [column, row] : AlwaysWatchedCells(record)) out[static_cast<size_t>(row * kColumns + column)] = static_cast<char>(kBlock);
  return out;
}

}  // namespace stage_route
