// The places of a stage that an enemy watches at all times: the view of a guard who stands
// still facing one way and the beam of a fixed camera or laser pointer that never switches
// off. Turning, sweeping, blinking, walking, sleeping and smoking watchers leave a moment to
// pass and are not counted. The route check blocks these cells and asks again whether every
// way out can be reached: then a route exists that no stationary watcher covers at all times.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace stage_route {

// (column, row) cells, each once, in no particular order.
std::vector<std::pair<int, int>> AlwaysWatchedCells(const std::string& record);
// The record with those cells filled with plain blocks, so that no route crosses them.
std::string BlockWatchedCells(const std::string& record);

}  // namespace stage_route
