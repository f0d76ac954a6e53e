// Reading a stage record the tests build or load: the tile code at a cell of its 60-column
// grid.
#pragma once
#include <cstdint>
#include <string>

namespace map_record {

inline int Code(const std::string& record, int column, int row) {
  return static_cast<uint8_t>(record[row * 60 + column]);
}

}  // namespace map_record
