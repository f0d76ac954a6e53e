#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <string>

#include "runtime/file/file_paths.h"
#include "runtime/file/plain_file.h"
#include "file_test_fixture.h"
#include "tests/support/archive_fixture.h"

namespace {

using testing_support::WriteFileBytes;

class PlainFileTest : public file_test::FileTest {};

struct Mode {
  const char* name;
  int cache;
  int async;
};
const Mode kModes[] = {{"direct", 0, 0}, {"cached", 1, 0}, {"async", 0, 1}, {"cached async", 1, 1}};

TEST_F(PlainFileTest, ElementReadsStopAtTheEndInEveryMode) {
  WriteFileBytes("ten.bin", "0123456789");
  for (const Mode& m : kModes) {
    rt::PlainFile* f = rt::PlainFileOpen("ten.bin", m.cache, 1, m.async);
    ASSERT_NE(f, nullptr) << m.name;
    char out[16] = {};
    EXPECT_EQ(rt::PlainFileRead(out, 4, 3, f), 2u) << m.name;
    rt::PlainFileWaitIdle(f);
    EXPECT_EQ(std::string(out), "01234567") << m.name;
    EXPECT_EQ(rt::PlainFileTell(f), 8) << m.name;
    EXPECT_EQ(rt::PlainFileEof(f), 0) << m.name;
    EXPECT_EQ(rt::PlainFileRead(out, 4, 1, f), 0u) << m.name;
    EXPECT_EQ(rt::PlainFileEof(f), -1) << m.name;
    EXPECT_EQ(rt::PlainFileRead(out, 1, 5, f), 2u) << m.name;
    rt::PlainFileWaitIdle(f);
    EXPECT_EQ(std::string(out, 2), "89") << m.name;
    EXPECT_EQ(rt::PlainFileIdleCheck(f), 1) << m.name;
    EXPECT_EQ(rt::PlainFileClose(f), 0) << m.name;
  }
}

TEST_F(PlainFileTest, ScatteredReadsMatchTheFileInEveryMode) {
  const std::string content = testing_support::RandomBytes(3 * rt::kPlainFileCacheSize + 777, 9);
  WriteFileBytes("big.bin", content);
  const int64_t offsets[] = {0, 5, 131072, 131071, 300000, 393000, 1, 200000};
  for (const Mode& m : kModes) {
    rt::PlainFile* f = rt::PlainFileOpen("big.bin", m.cache, 1, m.async);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(rt::PlainFileSize(f), static_cast<int64_t>(content.size()));
    std::string out(70000, '\0');
    for (int64_t offset : offsets) {
      // Two reads in a row, the second one starting where the first ended (from the cache).
      for (int pass = 0; pass < 2; ++pass) {
        if (pass == 0) rt::PlainFileSeek(f, offset, rt::kSeekSet);
        const int64_t at = rt::PlainFileTell(f);
        const size_t n = rt::PlainFileRead(out.data(), 1, out.size(), f);
        rt::PlainFileWaitIdle(f);
        ASSERT_EQ(out.compare(0, n, content, static_cast<size_t>(at), n), 0)
            << m.name << " at " << at;
      }
    }
    rt::PlainFileClose(f);
  }
}

TEST_F(PlainFileTest, SeeksAreClampedToTheFile) {
  WriteFileBytes("ten.bin", "0123456789");
  for (const Mode& m : kModes) {
    rt::PlainFile* f = rt::PlainFileOpen("ten.bin", m.cache, 1, m.async);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(rt::PlainFileSeek(f, -5, rt::kSeekSet), 0);
    EXPECT_EQ(rt::PlainFileTell(f), 0);
    EXPECT_EQ(rt::PlainFileSeek(f, 100, rt::kSeekCurrent), 0);
    EXPECT_EQ(rt::PlainFileTell(f), 10);
    char c;
    EXPECT_EQ(rt::PlainFileRead(&c, 1, 1, f), 0u);
    EXPECT_EQ(rt::PlainFileSeek(f, -3, rt::kSeekEnd), 0);
    EXPECT_EQ(rt::PlainFileRead(&c, 1, 1, f), 1u);
    rt::PlainFileWaitIdle(f);
    EXPECT_EQ(c, '7');
    rt::PlainFileClose(f);
  }
}

TEST_F(PlainFileTest, AReadReportsWhatItReallyRead) {
  WriteFileBytes("shrinks.bin", std::string(1000, 'x'));
  rt::PlainFile* direct = rt::PlainFileOpen("shrinks.bin", 0, 1, 0);
  rt::PlainFile* async = rt::PlainFileOpen("shrinks.bin", 0, 1, 1);
  ASSERT_EQ(::truncate("shrinks.bin", 400), 0);
  std::string out(1000, '\0');
  EXPECT_EQ(rt::PlainFileRead(out.data(), 1, 1000, direct), 400u);
  EXPECT_EQ(rt::PlainFileTell(direct), 400);
  rt::PlainFileRead(out.data(), 1, 1000, async);
  EXPECT_EQ(rt::PlainFileWaitIdle(async), 400);
  rt::PlainFileClose(direct);
  rt::PlainFileClose(async);
}

TEST_F(PlainFileTest, AMissingFileFailsAndAThreadedOneSaysSo) {
  StartLog();
  EXPECT_EQ(rt::PlainFileOpen("missing.bin", 0, 1, 0), nullptr);
  EXPECT_EQ(LogText().find("ファイルのオープンに失敗しました"), std::string::npos);
  EXPECT_EQ(rt::PlainFileOpen("missing.bin", 1, 1, 0), nullptr);
  EXPECT_NE(LogText().find("ファイルのオープンに失敗しました"), std::string::npos);
  ::mkdir("adir", 0755);
  EXPECT_EQ(rt::PlainFileOpen("adir", 0, 1, 0), nullptr);
}

TEST_F(PlainFileTest, GamePathsFindFilesWhateverTheirCase) {
  ::mkdir("Data", 0755);
  ::mkdir("Data/Sub", 0755);
  WriteFileBytes("Data/Sub/File.TXT", "found");
  // A directory named with one double-byte character whose trail byte is '\\'.
  const std::string sjisDir = "表";
  ASSERT_EQ(sjisDir.size(), 2u);
  ASSERT_EQ(sjisDir[1], '\\');
  ::mkdir(sjisDir.c_str(), 0755);
  WriteFileBytes(sjisDir + "/a.txt", "sjis");
  struct Case {
    std::string path;
    const char* expected;
  };
  const Case cases[] = {
      {"Data/Sub/File.TXT", "found"},
      {"data\\sub\\file.txt", "found"},
      {"DATA/SUB/FILE.txt", "found"},
      {dir_.path() + "/data/SUB/file.TXT", "found"},
      {sjisDir + "\\a.txt", "sjis"},
      {sjisDir + "\\A.TXT", "sjis"},
  };
  for (const Case& c : cases) {
    for (const Mode& m : kModes) {
      rt::PlainFile* f = rt::PlainFileOpen(c.path.c_str(), m.cache, 1, m.async);
      ASSERT_NE(f, nullptr) << c.path << " " << m.name;
      char out[8] = {};
      rt::PlainFileRead(out, 1, sizeof out - 1, f);
      rt::PlainFileWaitIdle(f);
      EXPECT_STREQ(out, c.expected) << c.path;
      rt::PlainFileClose(f);
    }
  }
}

TEST_F(PlainFileTest, StaleHandlesAreRefusedByTheLayerOperations) {
  WriteFileBytes("a.bin", "abc");
  const rt::StreamFileOperations& ops = rt::PlainLayerOperations();
  const rt::StreamHandle h = ops.open("a.bin", 0, 1, 0);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(ops.close(h), 0);
  char c;
  EXPECT_EQ(ops.read(&c, 1, 1, h), 0u);
  EXPECT_EQ(ops.tell(h), -1);
  EXPECT_EQ(ops.close(h), -1);
  EXPECT_EQ(ops.seek(12345, 0, 0), -1);
}

TEST_F(PlainFileTest, NormalisePathTable) {
  struct Case {
    const char* path;
    const char* base;
    int result;
    const char* expected;
  };
  const Case cases[] = {
      {"../x", "/A/B", 0, "/A/x"},
      {"..\\x", "/A/B/", 0, "/A/x"},
      {"x/./y", "/A", 0, "/A/x/y"},
      {"\\root", "/A/B", 0, "/root"},
      {"/root/../etc", "/A", 0, "/etc"},
      {"../../../..", "/A/B", 0, "/"},
      {"Mixed/Case", "/Base", 0, "/Base/Mixed/Case"},
      {"a//b", "/A", -1, ""},
      {nullptr, "/A/B", 0, "/A/B"},
  };
  for (const Case& c : cases) {
    char out[rt::kStreamPathSize] = {};
    EXPECT_EQ(rt::NormalisePath(c.path, out, c.base), c.result) << (c.path ? c.path : "null");
    if (c.result == 0) {
      EXPECT_STREQ(out, c.expected) << (c.path ? c.path : "null");
    }
  }
  char out[rt::kStreamPathSize];
  ASSERT_EQ(rt::NormalisePath("x", out, nullptr), 0);
  EXPECT_EQ(std::string(out), dir_.path() + "/x");
  const std::string tooLong(rt::kStreamPathSize, 'a');
  EXPECT_EQ(rt::NormalisePath(tooLong.c_str(), out, "/"), -1);
}

TEST_F(PlainFileTest, TemporaryFilesAreNewAndWritable) {
  char path1[rt::kStreamPathSize];
  char path2[rt::kStreamPathSize];
  const int fd1 = rt::CreateTempFile(path1);
  const int fd2 = rt::CreateTempFile(path2);
  ASSERT_GE(fd1, 0);
  ASSERT_GE(fd2, 0);
  EXPECT_STRNE(path1, path2);
  EXPECT_EQ(::write(fd1, "abc", 3), 3);
  struct stat st;
  ASSERT_EQ(::stat(path1, &st), 0);
  EXPECT_EQ(st.st_size, 3);
  ::close(fd1);
  ::close(fd2);
  ::unlink(path1);
  ::unlink(path2);
}

TEST_F(PlainFileTest, FindListsMatchingNamesInOrder) {
  ::mkdir("imgs", 0755);
  ::mkdir("imgs/Sub.png", 0755);
  WriteFileBytes("imgs/b.PNG", "12345");
  WriteFileBytes("imgs/a.png", "1");
  WriteFileBytes("imgs/README", "");
  WriteFileBytes("imgs/c.bmp", "");
  struct Case {
    const char* pattern;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"imgs/*.png", {"a.png", "b.PNG", "Sub.png"}},
      {"IMGS\\?.PNG", {"a.png", "b.PNG"}},
      {"imgs/*.*", {".", "..", "a.png", "b.PNG", "c.bmp", "README", "Sub.png"}},
      {"imgs/readme", {"README"}},
      {"imgs/*.wav", {}},
      {"nodir/*", {}},
  };
  for (const Case& c : cases) {
    rt::FindData data;
    std::vector<std::string> names;
    const rt::FindHandle find = rt::PlainFindFirst(c.pattern, &data);
    if (find != -1) {
      do names.emplace_back(data.name);
      while (rt::PlainFindNext(find, &data) == 0);
      EXPECT_EQ(rt::PlainFindClose(find), 0);
    }
    EXPECT_EQ(names, c.names) << c.pattern;
  }
  rt::FindData data;
  const rt::FindHandle find = rt::PlainFindFirst("imgs/b.png", &data);
  ASSERT_NE(find, -1);
  EXPECT_EQ(data.sizeLow, 5u);
  EXPECT_EQ(data.directory, 0);
  EXPECT_GE(data.lastWriteDate.year, 2020);
  rt::PlainFindClose(find);
  const rt::FindHandle sub = rt::PlainFindFirst("imgs/sub.png", &data);
  ASSERT_NE(sub, -1);
  EXPECT_EQ(data.directory, 1);
  rt::PlainFindClose(sub);
  EXPECT_EQ(rt::PlainFindClose(sub), -1);
}

TEST_F(PlainFileTest, FileTimesBecomeLocalDates) {
  const time_t when = 1700000000;  // 2023-11-14 22:13:20 UTC
  struct tm local{};
  localtime_r(&when, &local);
  rt::FileDate date;
  rt::FileTimeToDate(rt::UnixTimeToFileTime(when, 0), &date);
  EXPECT_EQ(date.year, local.tm_year + 1900);
  EXPECT_EQ(date.month, local.tm_mon + 1);
  EXPECT_EQ(date.day, local.tm_mday);
  EXPECT_EQ(date.hour, local.tm_hour);
  EXPECT_EQ(date.minute, 13);
  EXPECT_EQ(date.second, 20);
  EXPECT_EQ(rt::UnixTimeToFileTime(0, 0), 116444736000000000ULL);
}

}  // namespace
