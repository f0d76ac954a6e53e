#include "tools/dataset/start_tables.h"

#include "tools/dataset/stage_maps.h"
#include "tools/dataset/story_scripts.h"

namespace dataset {

std::string DoorTable() { return RouteDoorTable(); }
std::string EventTable() { return StoryEventTable(); }
std::string CinemaTable() { return StoryCinemaTable(); }

}  // namespace dataset
