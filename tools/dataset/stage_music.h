// The music of mission play: one short seamless loop per stage group, the VR categories,
// the third story's extra stages and the alert.
#pragma once
#include <string>
#include <vector>

#include "tools/dataset/sound_synth.h"

namespace dataset {

struct StageTune {
  std::string path;
  std::string shows;
  Song song;
};

std::vector<StageTune> StageTunes();

}  // namespace dataset
