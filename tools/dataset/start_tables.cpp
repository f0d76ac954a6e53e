#include "tools/dataset/start_tables.h"

namespace dataset {

std::string DoorTable() { return std::string(kDoorTableBytes, '\0'); }
std::string EventTable() { return std::string(kEventTableBytes, '\0'); }
std::string CinemaTable() { return std::string(kCinemaTableBytes, '\0'); }

}  // namespace dataset
