// The read-back fixture: the built data set's directory made the working directory, the
// archive layer set up with the game's extension and key string, and checks that read a
// listed path the way the game does.
#pragma once
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

namespace readback_test {

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

  // One listed path read whole through the stream table and served from an archive, and
  // decoded as the game decodes its format.
  static void CheckListedPath(const AssetEntry& e) {
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
  std::string previous_;
  int blocksAtStart_ = 0;
};

}  // namespace readback_test
