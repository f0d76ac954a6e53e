// Reads the built data set back the way the game does: listed paths through the
// archive-aware file layer with the game's extension and key string, pictures through the
// image loaders, sounds through the sound converter, tables by their size. Here one path of
// each format in each archive; the long program reads every listed path.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "tests/support/temp_dir.h"
#include "tests/tools/dataset/readback.h"
#include "tools/dataset/asset_list.h"
#include "tools/dataset/dataset_builder.h"

namespace {

using dataset::AssetEntry;
using dataset::AssetFormat;
using readback_test::ReadBackTest;

// The window loads its icon as a plain file from the start-up directory, before the game
// sets the archive key.
TEST_F(ReadBackTest, TheWindowIconIsAPlainBitmapBesideTheArchives) {
  rt::GraphImage image{};
  ASSERT_EQ(rt::LoadGraphImage("icon/101.bmp", nullptr, 0, 0, 0, 0, &image, nullptr, nullptr), 0);
  EXPECT_EQ(image.width, 32);
  EXPECT_EQ(image.height, 32);
  rt::ReleaseGraphImage(&image);
}

TEST_F(ReadBackTest, EveryArchiveIsThere) {
  for (const std::string& dir : dataset::ArchiveDirectories()) {
    EXPECT_TRUE(testing_support::FileExists(dir + "." + dataset::kArchiveExtension)) << dir;
  }
}

TEST_F(ReadBackTest, OnePathOfEachFormatInEachArchiveReadsThrough) {
  std::set<std::pair<std::string, AssetFormat>> seen;
  for (const AssetEntry& e : dataset::AssetList()) {
    if (seen.insert({dataset::TopDirectory(e.path), e.format}).second) CheckListedPath(e);
  }
  EXPECT_GE(seen.size(), dataset::ArchiveDirectories().size()) << "an archive with no listed path";
}

TEST_F(ReadBackTest, ArchivedBytesAreWhatTheBuilderMakes) {
  // One asset of each format, made again in this process: the builder is deterministic.
  const char* const kSamples[] = {"patch/patch206.bmp", "gsx/num.png", "gsx/back_stage_02_1.jpg",
                                  "efx/17_cursor_01.wav", "efx/06_elect_01.mp3", "patch/38_vr_comp.ogg",
                                  "bin/Door.tbl"};
  for (const char* path : kSamples) {
    const AssetEntry* entry = nullptr;
    for (const AssetEntry& e : dataset::AssetList()) {
      if (e.path == path) entry = &e;
    }
    ASSERT_NE(entry, nullptr) << path;
    std::string archived;
    ASSERT_TRUE(ReadPath(path, &archived)) << path;
    EXPECT_TRUE(archived == dataset::BuildAsset(*entry)) << path << " differs from a fresh build";
  }
}

TEST_F(ReadBackTest, OnlyTheGamesKeyStringReadsTheArchives) {
  std::string right;
  ASSERT_TRUE(ReadPath("gsx/load.png", &right));
  rt::InitArchiveLayer();
  ASSERT_EQ(rt::SetArchiveExtensionImpl(dataset::kArchiveExtension), 0);
  ASSERT_EQ(rt::SetArchiveKeyStringImpl("wrongkey"), 0);
  std::string wrong;
  EXPECT_FALSE(ReadPath("gsx/load.png", &wrong) && wrong == right);
}

// Items and lamps lay the light's top-left 80 x 80 over the map at half alpha before adding
// it: an opaque dim fringe would halve the blocks under it (a dark square beside every item
// in the editor). The light must carry its own fade as opacity.
TEST_F(ReadBackTest, TheLightCutNeverDarkensTheMapUnderIt) {
  rt::GraphImage image{};
  ASSERT_EQ(rt::LoadGraphImage("gsx/light.png", nullptr, 0, 0, 0, 0, &image, nullptr, nullptr), 0);
  const int floor[3] = {92, 104, 124};  // a lit block of the map
  int faded = 0, darkened = 0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 80; ++x) {
      int c[3], a = 0;
      ASSERT_EQ(rt::GetGraphImagePixel(&image, x, y, &c[0], &c[1], &c[2], &a), 0);
      // Without an alpha channel the game keys out black and draws the rest opaque.
      if (image.format.alphaWidth == 0) a = c[0] + c[1] + c[2] == 0 ? 0 : 255;
      if (a > 0 && a < 255) ++faded;
      for (int k = 0; k < 3; ++k) {
        const int laid = floor[k] + (c[k] - floor[k]) * a * 128 / (255 * 255);
        if (laid < floor[k]) ++darkened;
      }
    }
  }
  rt::ReleaseGraphImage(&image);
  EXPECT_GT(faded, 80 * 80 / 4) << "the light does not fade through its opacity";
  EXPECT_EQ(darkened, 0) << "pixels of the light darken the block under them";
}

}  // namespace
