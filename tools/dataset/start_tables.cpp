#include "tools/dataset/start_tables.h"

#include "tools/dataset/stage_maps.h"

namespace dataset {

std::string DoorTable() { return RouteDoorTable(); }
std::string EventTable() { return std::string(kEventTableBytes, '\0'); }
std::string CinemaTable() { return std::string(kCinemaTableBytes, '\0'); }

}  // namespace dataset
