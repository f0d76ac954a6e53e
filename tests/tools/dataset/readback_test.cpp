// Reads the built data set back the way the game does: every listed path through the
// archive-aware file layer with the game's extension and key string, pictures through the
// image loaders, sounds through the sound converter, tables by their size.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <string>
#include <thread>

#include "runtime/core/memory.h"
#include "runtime/file/archive_layer.h"
#include "runtime/file/file_access.h"
#include "runtime/file/stream.h"
#include "runtime/image/graph_image.h"
#include "runtime/image/image_loader.h"
#include "runtime/sound/sound_converter.h"
#include "tests/support/temp_dir.h"
#include "tools/dataset/asset_list.h"
#include "tools/dataset/dataset_builder.h"

namespace {

using dataset::AssetEntry;
using dataset::AssetFormat;

constexpr int kMaxEffectMs = 3000;
constexpr int kMinMusicMs = 3000;
constexpr int kMaxMusicMs = 15000;

class ReadBackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[PATH_MAX];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    previous_ = cwd;
    ASSERT_EQ(::chdir(DATASET_RUN_DIR), 0) << "the data set was not built into " << DATASET_RUN_DIR;
    rt::InitArchiveLayer();
    rt::SetUseArchiveImpl(1);
    rt::SetStreamFunctionTable(nullptr);
    rt::InitStreamAccessSets();
    ASSERT_EQ(rt::SetArchiveExtensionImpl(dataset::kArchiveExtension), 0);
    ASSERT_EQ(rt::SetArchiveKeyStringImpl(dataset::kArchiveKeyString), 0);
    blocksAtStart_ = rt::GetMemoryState().count;
  }
  void TearDown() override {
    rt::InitArchiveLayer();
    EXPECT_EQ(rt::GetMemoryState().count, blocksAtStart_) << "tracked blocks left allocated";
    ::chdir(previous_.c_str());
  }

  // The whole file through the stream table, or nothing when it does not open.
  static bool ReadPath(const std::string& path, std::string* out) {
    const rt::StreamHandle h = rt::StreamOpen(path.c_str(), 0, 1, 0);
    if (h == 0) return false;
    char buffer[4096];
    for (;;) {
      const size_t n = rt::StreamRead(buffer, 1, sizeof buffer, h);
      while (rt::StreamIdleCheck(h) == 0) std::this_thread::yield();
      if (n == 0) break;
      out->append(buffer, n);
    }
    rt::StreamClose(h);
    return true;
  }

  static void CheckPicture(const AssetEntry& e) {
    rt::GraphImage image{};
    ASSERT_EQ(rt::LoadGraphImage(e.path.c_str(), nullptr, 0, 0, 0, 0, &image, nullptr, nullptr), 0)
        << e.path << " does not decode";
    EXPECT_EQ(image.width, e.width) << e.path;
    EXPECT_EQ(image.height, e.height) << e.path;
    bool anyInk = false;
    for (int y = 0; y < image.height && !anyInk; y += 3) {
      for (int x = 0; x < image.width && !anyInk; x += 3) anyInk = (rt::GetGraphImagePixelRGB(&image, x, y) & 0xFFFFFF) != 0;
    }
    EXPECT_TRUE(anyInk) << e.path << " is all transparent";
    // Every rectangle the game cuts lies in the picture and shows something.
    for (const dataset::Piece& piece : e.pieces) {
      const dataset::Rect& r = piece.rect;
      EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.Right() <= image.width && r.Bottom() <= image.height)
          << e.path << ": '" << piece.what << "' lies outside the picture";
      int inked = 0;
      for (int y = r.y; y < std::min(r.Bottom(), image.height); ++y) {
        for (int x = r.x; x < std::min(r.Right(), image.width); ++x) {
          if ((rt::GetGraphImagePixelRGB(&image, x, y) & 0xFFFFFF) != 0) ++inked;
        }
      }
      EXPECT_GT(inked, r.w * r.h / 50) << e.path << ": '" << piece.what << "' is (nearly) empty";
    }
    rt::ReleaseGraphImage(&image);
  }

  static void CheckSound(const AssetEntry& e) {
    const rt::StreamHandle h = rt::StreamOpen(e.path.c_str(), 0, 1, 0);
    ASSERT_NE(h, 0u) << e.path;
    rt::SoundConverter converter;
    ASSERT_EQ(rt::SoundConverterOpen(rt::GetStreamFunctionTable().fileAccess, h, &converter), 0)
        << e.path << " does not decode";
    rt::WaveFormatEx format;
    uint8_t* data = nullptr;
    int32_t size = 0;
    EXPECT_EQ(rt::SoundConverterConvertAll(&converter, &format, &data, &size), 0) << e.path;
    rt::SoundConverterClose(&converter);
    rt::MemFree(data);
    ASSERT_GT(format.avgBytesPerSec, 0u) << e.path;
    const int ms = static_cast<int>(int64_t{size} * 1000 / format.avgBytesPerSec);
    // Music lives in "bzx", in "patch" beside the numbered sound effects (the VR and
    // third-story loops), and the opening's in the story folder.
    const std::string top = dataset::TopDirectory(e.path);
    const std::string name = e.path.substr(e.path.rfind('/') + 1);
    const bool numberedEffect = name.size() > 3 && std::isdigit(static_cast<unsigned char>(name[0])) &&
                                std::isdigit(static_cast<unsigned char>(name[1])) && name[2] == '_';
    const bool music = top == "bzx" || (top == "patch" && !numberedEffect) || e.path == "evx/openning.ogg";
    if (music) {
      EXPECT_GE(ms, kMinMusicMs) << e.path << " is shorter than a few seconds";
      EXPECT_LE(ms, kMaxMusicMs) << e.path << " is longer than a short loop";
    } else {
      EXPECT_GT(ms, 0) << e.path;
      EXPECT_LE(ms, kMaxEffectMs) << e.path << " is long for a sound effect";
    }
  }

  std::string previous_;
  int blocksAtStart_ = 0;
};

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

TEST_F(ReadBackTest, EveryListedPathReadsThroughTheArchives) {
  for (const AssetEntry& e : dataset::AssetList()) {
    SCOPED_TRACE(e.path);
    std::string bytes;
    ASSERT_TRUE(ReadPath(e.path, &bytes)) << e.path << " does not open";
    EXPECT_FALSE(bytes.empty());
    std::string archivePath, inner;
    int cacheIndex = -1;
    EXPECT_EQ(rt::FindArchiveForPath(e.path.c_str(), &cacheIndex, &archivePath, &inner), 0)
        << e.path << " is not served from an archive";
    if (dataset::IsPicture(e.format)) CheckPicture(e);
    if (dataset::IsSound(e.format)) CheckSound(e);
    if (e.format == AssetFormat::kTable) {
      EXPECT_EQ(rt::FileGetSizeByPathImpl(e.path.c_str()), e.bytes);
    }
  }
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
