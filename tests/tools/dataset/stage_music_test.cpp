// The stage music: every file the stage music choice names, each a seamless loop of whole
// bars, no two alike.
#include "tools/dataset/stage_music.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "tools/dataset/asset_list.h"

namespace {

TEST(StageMusicTest, EveryStageMusicNameIsListed) {
  const char* const kNames[] = {"bzx/stage_01.ogg", "bzx/stage_02.ogg", "bzx/stage_0304.ogg", "bzx/stage_05.ogg",
                                "bzx/stage_06.ogg", "bzx/stage_07.ogg", "bzx/stage_08.ogg",   "bzx/stage_m.ogg",
                                "patch/stage_k.ogg", "patch/vr_1.ogg",  "patch/vr_2.ogg",     "patch/vr_3.ogg",
                                "patch/vr_4.ogg",   "bzx/warning.ogg"};
  std::set<std::string> listed;
  for (const dataset::AssetEntry& e : dataset::AssetList()) {
    if (e.format == dataset::AssetFormat::kOgg) listed.insert(e.path);
  }
  for (const char* name : kNames) EXPECT_EQ(listed.count(name), 1u) << name;
}

TEST(StageMusicTest, TunesLoopWholeBarsAreAudibleAndDiffer) {
  constexpr int kRate = 8000;
  std::set<std::vector<int16_t>> seen;
  std::set<int> tempos;
  for (const dataset::StageTune& t : dataset::StageTunes()) {
    EXPECT_TRUE(t.song.loop) << t.path;
    const dataset::Pcm pcm = dataset::RenderSong(t.song, kRate);
    const double expected = t.song.bars * 4 * 60.0 / t.song.bpm * kRate;
    EXPECT_NEAR(pcm.Frames(), expected, 1.0) << t.path;
    double energy = 0;
    for (int16_t s : pcm.samples) energy += static_cast<double>(s) * s;
    const double rms = std::sqrt(energy / static_cast<double>(pcm.samples.size()));
    EXPECT_GT(rms, 1000.0) << t.path << " is too quiet";
    EXPECT_TRUE(seen.insert(pcm.samples).second) << t.path << " sounds like another tune";
    tempos.insert(t.song.bpm);
  }
  EXPECT_GE(tempos.size(), 8u) << "more than one mood";
}

}  // namespace
