// The asset list's own rules, and the builder's pieces that the read-back cannot see.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>

#include "tools/dataset/asset_list.h"
#include "tools/dataset/dataset_builder.h"
#include "tools/dataset/sound_recipes.h"
#include "tools/dataset/sound_synth.h"

namespace {

using dataset::AssetEntry;
using dataset::AssetFormat;

const AssetEntry* Find(const std::string& path) {
  for (const AssetEntry& e : dataset::AssetList()) {
    if (e.path == path) return &e;
  }
  return nullptr;
}

TEST(AssetListTest, PathsAreUniqueAndBelongToAnArchive) {
  const auto& dirs = dataset::ArchiveDirectories();
  std::set<std::string> seen;
  for (const AssetEntry& e : dataset::AssetList()) {
    EXPECT_TRUE(seen.insert(e.path).second) << "listed twice: " << e.path;
    EXPECT_NE(std::find(dirs.begin(), dirs.end(), dataset::TopDirectory(e.path)), dirs.end()) << e.path;
    EXPECT_FALSE(e.shows.empty()) << e.path << " says nothing of what it shows";
  }
}

TEST(AssetListTest, FormatsMatchExtensionsAndMakers) {
  struct Rule {
    AssetFormat format;
    const char* extension;
  };
  // Tables are raw bytes of a fixed size under any name (stage maps have no extension).
  const Rule kRules[] = {{AssetFormat::kPng, ".png"}, {AssetFormat::kJpeg, ".jpg"}, {AssetFormat::kBmp, ".bmp"},
                         {AssetFormat::kWav, ".wav"}, {AssetFormat::kMp3, ".mp3"}, {AssetFormat::kOgg, ".ogg"},
                         {AssetFormat::kTable, ""}};
  for (const AssetEntry& e : dataset::AssetList()) {
    const Rule* rule = nullptr;
    for (const Rule& r : kRules) {
      if (r.format == e.format) rule = &r;
    }
    ASSERT_NE(rule, nullptr);
    EXPECT_TRUE(e.path.ends_with(rule->extension)) << e.path << " is listed as " << dataset::FormatName(e.format);
    if (dataset::IsPicture(e.format)) {
      EXPECT_TRUE(e.paint && e.width > 0 && e.height > 0) << e.path;
      for (const dataset::Piece& p : e.pieces) {
        EXPECT_TRUE(p.rect.x >= 0 && p.rect.y >= 0 && p.rect.Right() <= e.width && p.rect.Bottom() <= e.height)
            << e.path << ": '" << p.what << "' outside " << e.width << " x " << e.height;
      }
    } else if (dataset::IsSound(e.format)) {
      EXPECT_TRUE(e.sound) << e.path;
    } else {
      EXPECT_TRUE(e.table && e.bytes > 0) << e.path;
    }
  }
}

TEST(AssetListTest, TheShellsFixedSetsAreListed) {
  // The forty sound effects in the game's own order, the start-up files, the music.
  const char* const kPaths[] = {"efx/00_gun_01.wav", "efx/06_elect_01.mp3", "efx/33_gun_06.wav",
                                "patch/34_bullet_make.wav", "patch/38_vr_comp.ogg", "patch/39_start.wav",
                                "patch/patch206.bmp", "bin/Door.tbl", "bin/Event.tbl", "bin/Cinema.tbl",
                                "bzx/title.ogg", "bzx/briefing.ogg", "bzx/gameover.ogg",
                                "gsx/title/title_1.png", "csx/6/190.png", "patch/13/1.png", "csx/1/110.png"};
  for (const char* path : kPaths) EXPECT_NE(Find(path), nullptr) << path;
  int effects = 0;
  for (const AssetEntry& e : dataset::AssetList()) {
    const std::string& p = e.path;
    const bool numbered = p.size() > 8 && (p.starts_with("efx/") || p.starts_with("patch/")) &&
                          std::isdigit(static_cast<unsigned char>(p[p.find('/') + 1])) &&
                          std::isdigit(static_cast<unsigned char>(p[p.find('/') + 2])) && p[p.find('/') + 3] == '_';
    if (numbered) ++effects;
  }
  EXPECT_EQ(effects, dataset::kSoundEffectCount);
  EXPECT_EQ(Find("bin/Door.tbl")->bytes, 270);
  EXPECT_EQ(Find("bin/Event.tbl")->bytes, 122);
  EXPECT_EQ(Find("bin/Cinema.tbl")->bytes, 122);
}

TEST(AssetListTest, BuildingIsDeterministic) {
  for (const char* path : {"gsx/briefing11.png", "efx/20_exp_01.wav", "bzx/gameover.ogg"}) {
    const AssetEntry* e = Find(path);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(dataset::BuildAsset(*e) == dataset::BuildAsset(*e)) << path;
  }
}

TEST(AssetListTest, APictureOfTheWrongSizeOrATableOfTheWrongLengthFails) {
  AssetEntry table;
  table.path = "bin/x.tbl";
  table.format = AssetFormat::kTable;
  table.bytes = 5;
  table.table = [] { return std::string(4, '\0'); };
  EXPECT_THROW(dataset::BuildAsset(table), std::runtime_error);
  AssetEntry silent;
  silent.path = "efx/x.wav";
  silent.format = AssetFormat::kWav;
  silent.sound = [] { return dataset::Pcm{}; };
  EXPECT_THROW(dataset::BuildAsset(silent), std::runtime_error);
}

TEST(AssetListTest, PackedArchivesHoldOneArchivePerDirectory) {
  std::map<std::string, std::string> archives;
  std::string error;
  ASSERT_TRUE(dataset::PackArchives({{"gsx/a.png", "A"}, {"gsx/title/b.png", "B"}, {"bin/t.tbl", "T"}}, &archives,
                                    &error))
      << error;
  EXPECT_EQ(archives.size(), 2u);
  EXPECT_TRUE(archives.count("gsx") && archives.count("bin"));
}

TEST(SynthTest, LoopsLastExactlyTheirBarsAndPeaksStayBelowFullScale) {
  struct Case {
    const char* name;
    dataset::Song song;
  };
  const Case kCases[] = {{"title", dataset::TitleSong()}, {"briefing", dataset::BriefingSong()}};
  for (const Case& c : kCases) {
    const dataset::Pcm pcm = dataset::RenderSong(c.song, 8000);
    const double expected = c.song.bars * 4 * 60.0 / c.song.bpm * 8000;
    EXPECT_NEAR(pcm.Frames(), expected, 1.0) << c.name;
    EXPECT_EQ(pcm.channels, 2);
    int peak = 0;
    for (int16_t s : pcm.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 20000) << c.name;
    EXPECT_LT(peak, 32767) << c.name;
  }
  // Played once, the game-over piece keeps its closing tail.
  const dataset::Song once = dataset::GameOverSong();
  EXPECT_GT(dataset::RenderSong(once, 8000).Frames(), once.bars * 4 * 60.0 / once.bpm * 8000);
}

TEST(SynthTest, EveryEffectSoundsAndDiffersFromTheOthers) {
  std::set<std::vector<int16_t>> distinct;
  for (int i = 0; i < dataset::kSoundEffectCount; ++i) {
    const dataset::Pcm pcm = dataset::RenderEffect(dataset::SoundEffectRecipe(i), 8000);
    ASSERT_GT(pcm.Frames(), 0) << i;
    int peak = 0;
    for (int16_t s : pcm.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 10000) << "effect " << i << " is nearly silent";
    EXPECT_TRUE(distinct.insert(pcm.samples).second) << "effect " << i << " repeats another";
  }
}

}  // namespace
