#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "runtime/file/archive_layer.h"
#include "runtime/file/plain_file.h"
#include "runtime/file/stream.h"
#include "file_test_fixture.h"
#include "tests/support/archive_fixture.h"

namespace {

using testing_support::WriteFileBytes;

class StreamTableTest : public file_test::FileTest {};

int g_customOpens = 0;
rt::StreamHandle CustomOpen(const char*, int, int, int) {
  ++g_customOpens;
  return 77;
}

TEST_F(StreamTableTest, NullInstallsTheDefaultOfTheArchiveSetting) {
  EXPECT_EQ(rt::GetStreamFunctionTable().file.open, &rt::ArchiveLayerOpen);
  EXPECT_EQ(rt::IsDefaultStreamTable(), 1);
  rt::SetUseArchiveImpl(0);
  EXPECT_EQ(rt::GetStreamFunctionTable().file.open, rt::PlainLayerOperations().open);
  EXPECT_EQ(rt::IsDefaultStreamTable(), 1);
  rt::SetUseArchiveImpl(1);
  EXPECT_EQ(rt::GetStreamFunctionTable().file.open, &rt::ArchiveLayerOpen);
}

TEST_F(StreamTableTest, AnInstalledTableIsUsedAndKeptAcrossTheArchiveSetting) {
  rt::StreamFileOperations custom = rt::ArchiveLayerOperations();
  custom.open = CustomOpen;
  g_customOpens = 0;
  rt::SetStreamFunctionTable(&custom);
  EXPECT_EQ(rt::IsDefaultStreamTable(), 0);
  EXPECT_EQ(rt::StreamOpen("anything", 0, 1, 0), 77u);
  EXPECT_EQ(g_customOpens, 1);
  rt::SetUseArchiveImpl(0);
  EXPECT_EQ(rt::GetStreamFunctionTable().file.open, &CustomOpen);
  rt::SetUseArchiveImpl(1);
  rt::SetStreamFunctionTable(nullptr);
}

TEST_F(StreamTableTest, FileAccessSetGoesThroughTheTable) {
  WriteFileBytes("plain.bin", "0123456789");
  for (int useArchive : {1, 0}) {
    rt::SetUseArchiveImpl(useArchive);
    const rt::StreamAccessSet& access = rt::GetFileStreamAccess();
    const rt::StreamHandle h = rt::StreamOpen("plain.bin", 0, 1, 0);
    ASSERT_NE(h, 0u);
    char out[4] = {};
    EXPECT_EQ(access.seek(h, 7, rt::kSeekSet), 0);
    EXPECT_EQ(access.read(out, 1, 3, h), 3u);
    EXPECT_STREQ(out, "789");
    EXPECT_EQ(access.tell(h), 10);
    EXPECT_EQ(access.idleCheck(h), 1);
    EXPECT_EQ(access.close(h), 0);
  }
}

TEST_F(StreamTableTest, CurrentDirectorySlotsRoundTrip) {
  ::mkdir("Sub", 0755);
  char start[rt::kStreamPathSize];
  ASSERT_EQ(rt::StreamGetCurrentDir(start), 0);
  EXPECT_EQ(std::string(start), dir_.path());
  // Names are found whatever their case; '\\' separates.
  ASSERT_EQ(rt::StreamSetCurrentDir(".\\sub"), 0);
  char now[rt::kStreamPathSize];
  rt::StreamGetCurrentDir(now);
  EXPECT_EQ(std::string(now), dir_.path() + "/Sub");
  EXPECT_EQ(rt::StreamSetCurrentDir(start), 0);
  EXPECT_EQ(rt::StreamSetCurrentDir("missing"), -1);
}

// Start-up's order: archive layer, table, current directory; shut-down restores the
// directory and closes the archives.
TEST_F(StreamTableTest, StartUpAndShutDownOrder) {
  testing_support::WriteArchive("gsx.akn", {{"a.txt", "from archive"}},
                                testing_support::ArchiveOptions(""));
  EXPECT_EQ(rt::InitArchiveLayer(), 0);
  EXPECT_EQ(rt::SetStreamFunctionTable(nullptr), 0);
  EXPECT_EQ(rt::InitStreamAccessSets(), 0);
  char startDir[rt::kStreamPathSize];
  ASSERT_EQ(rt::StreamGetCurrentDir(startDir), 0);
  rt::SetArchiveExtensionImpl("akn");
  const rt::StreamHandle h = rt::StreamOpen("gsx/a.txt", 0, 1, 0);
  ASSERT_NE(h, 0u);
  rt::StreamClose(h);
  EXPECT_EQ(rt::GetArchiveLayerState().cacheCount, 1);
  EXPECT_EQ(rt::StreamSetCurrentDir(startDir), 0);
  EXPECT_EQ(rt::CloseAllArchives(), 0);
  EXPECT_EQ(rt::GetArchiveLayerState().cacheCount, 0);
}

}  // namespace
