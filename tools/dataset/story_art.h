// The story's files: the talk-scene scripts, the portraits, talk windows, dot sprites,
// scene pictures and staff roll, and the scene sounds and music.
#pragma once
#include <vector>

#include "tools/dataset/asset_list.h"

namespace dataset {

std::vector<AssetEntry> StoryAssets();
// The helicopter of the drop and pick-up scenes: body, rotor strips, pilot, waving figure
// and tail rotor cells.
void PaintStoryHelicopter(Canvas& c);

}  // namespace dataset
