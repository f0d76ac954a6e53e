#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/filesystem.h"
#include "runtime/file/archive_layer.h"
#include "runtime/file/file_paths.h"
#include "file_test_fixture.h"
#include "tests/support/archive_fixture.h"

namespace {

using testing_support::ArchiveOptions;
using testing_support::WriteArchive;
using testing_support::WriteFileBytes;

class ArchiveLayerTest : public file_test::FileTest {
 protected:
  // The whole content of a path opened through the table, or "<none>" when it does not open.
  std::string ReadPath(const std::string& path, int asyncFlag = 0) {
    const rt::StreamHandle h = rt::StreamOpen(path.c_str(), 0, 1, asyncFlag);
    if (h == 0) return "<none>";
    std::string out;
    char buffer[100];
    for (;;) {
      const size_t n = rt::StreamRead(buffer, 1, sizeof buffer, h);
      while (rt::StreamIdleCheck(h) == 0) std::this_thread::yield();
      if (n == 0) break;
      out.append(buffer, n);
    }
    EXPECT_EQ(rt::StreamClose(h), 0);
    return out;
  }
};

void MakeDirs(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') ::mkdir(path.substr(0, i).c_str(), 0755);
  }
}

void PlainFile(const std::string& path, const std::string& data) {
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos) MakeDirs(path.substr(0, slash));
  WriteFileBytes(path, data);
}

TEST_F(ArchiveLayerTest, RoutingTable) {
  const auto opts = ArchiveOptions("pela_vix");
  struct Case {
    const char* what;
    std::function<void()> setUp;
    std::string path;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"plain only", [] { PlainFile("gsx/a.png", "plain"); }, "gsx/a.png", "plain"},
      {"archive only", [&] { WriteArchive("GSX.akn", {{"a.png", "archive"}}, opts); },
       "gsx/a.png", "archive"},
      {"both: the archive wins",
       [&] {
         PlainFile("gsx/a.png", "plain");
         WriteArchive("gsx.akn", {{"a.png", "archive"}}, opts);
       },
       "gsx/a.png", "archive"},
      {"both: a name the archive lacks is not looked for outside",
       [&] {
         PlainFile("gsx/b.png", "plain");
         WriteArchive("gsx.akn", {{"a.png", "archive"}}, opts);
       },
       "gsx/b.png", "<none>"},
      {"nested archives: the shortest prefix",
       [&] {
         WriteArchive("DATA.akn", {{"sub/x", "outer"}}, opts);
         MakeDirs("DATA");
         WriteArchive("DATA/SUB.akn", {{"x", "inner"}}, opts);
       },
       "data/sub/x", "outer"},
      {"inner archive when the outer one is absent",
       [&] {
         MakeDirs("DATA");
         WriteArchive("DATA/SUB.akn", {{"x", "inner"}}, opts);
       },
       "data/sub/x", "inner"},
      {"letter case of the archive and the entry",
       [&] { WriteArchive("Gsx.AKN", {{"Dir/A.png", "cased"}}, opts); }, "GSX\\dir\\a.PNG",
       "cased"},
      {"dots in the path", [&] { WriteArchive("gsx.akn", {{"a.png", "dots"}}, opts); },
       "./other/../gsx/./a.png", "dots"},
      {"a file is not an archive's directory",
       [&] { WriteArchive("a.akn", {{"x", "archive"}}, opts); }, "a", "<none>"},
      {"a directory named like an archive is not one",
       [&] {
         MakeDirs("gsx.akn");
         PlainFile("gsx/a.png", "plain");
       },
       "gsx/a.png", "plain"},
  };
  rt::SetArchiveKeyStringImpl("pela_vix");
  rt::SetArchiveExtensionImpl("akn");
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string caseDir = dir_.path() + "/case" + std::to_string(i);
    MakeDirs(caseDir);
    ASSERT_TRUE(platform::ChangeDirectory(caseDir));
    cases[i].setUp();
    EXPECT_EQ(ReadPath(cases[i].path), cases[i].expected) << cases[i].what;
    EXPECT_EQ(ReadPath(cases[i].path, 1), cases[i].expected) << cases[i].what << " (async)";
    ASSERT_TRUE(platform::ChangeDirectory(dir_.path()));
    rt::InitArchiveLayer();
    rt::SetArchiveKeyStringImpl("pela_vix");
    rt::SetArchiveExtensionImpl("akn");
  }
}

TEST_F(ArchiveLayerTest, ARelativePathIsLookedForFromTheWorkingDirectory) {
  rt::SetArchiveExtensionImpl("akn");
  // An archive named after the working directory itself holds a different gsx/a.png.
  WriteArchive("work.akn", {{"gsx/a.png", "beside the working directory"}}, ArchiveOptions(""));
  PlainFile("work/gsx/a.png", "plain");
  ASSERT_TRUE(platform::ChangeDirectory(dir_.path() + "/work"));
  EXPECT_EQ(ReadPath("gsx/a.png"), "plain");
  EXPECT_EQ(ReadPath(dir_.path() + "/work/gsx/a.png"), "beside the working directory");
  // The archive just used stands above the working directory: not for relative paths,
  // even those that leave the working directory and come back into it.
  EXPECT_EQ(ReadPath("../work/gsx/a.png"), "plain");
  EXPECT_EQ(ReadPath("gsx/a.png"), "plain");
  ASSERT_TRUE(platform::ChangeDirectory(dir_.path()));
}

TEST_F(ArchiveLayerTest, ExtensionAndKeyString) {
  WriteArchive("gsx.arc", {{"a", "default extension"}}, ArchiveOptions("0123456789ABCDEF"));
  WriteArchive("gsx.dat", {{"a", "own extension"}}, ArchiveOptions("0123456789ABCDEF"));
  // Key strings are cut to 12 characters, in the writer as in the reader.
  rt::SetArchiveKeyStringImpl("0123456789ABxyz");
  EXPECT_EQ(ReadPath("gsx/a"), "default extension");
  rt::SetArchiveExtensionImpl("dat");
  EXPECT_EQ(ReadPath("gsx/a"), "own extension");
  rt::SetArchiveExtensionImpl(std::string(64, 'x').c_str());
  EXPECT_EQ(rt::GetArchiveLayerState().extensionLength, 0);
  EXPECT_EQ(ReadPath("gsx/a"), "default extension");
  rt::SetArchiveExtensionImpl(std::string(63, 'x').c_str());
  EXPECT_EQ(rt::GetArchiveLayerState().extensionLength, 63);
  rt::SetArchiveExtensionImpl("");
  EXPECT_EQ(rt::GetArchiveLayerState().extensionLength, 0);
  rt::SetArchiveExtensionImpl(nullptr);
  EXPECT_EQ(rt::GetArchiveLayerState().extensionLength, 0);
}

TEST_F(ArchiveLayerTest, TheArchiveUsedLastIsTakenAgain) {
  rt::SetArchiveExtensionImpl("akn");
  WriteArchive("gsx.akn", {{"a", "A"}, {"b", "B"}}, ArchiveOptions(""));
  EXPECT_EQ(ReadPath("gsx/a"), "A");
  const rt::ArchiveLayerState& st = rt::GetArchiveLayerState();
  ASSERT_EQ(st.lastValid, 1);
  EXPECT_EQ(std::string(st.lastPrefix), dir_.path() + "/gsx");
  EXPECT_EQ(std::string(st.lastArchivePath), dir_.path() + "/gsx.akn");
  EXPECT_EQ(ReadPath("GSX/b"), "B");
  EXPECT_EQ(st.cacheCount, 1);
  EXPECT_EQ(st.cache[st.lastCacheIndex]->refCount, 0);
  EXPECT_EQ(ReadPath("gsxother/a"), "<none>");
}

TEST_F(ArchiveLayerTest, The513thOpenFailsUntilOneCloses) {
  StartLog();
  rt::SetArchiveExtensionImpl("akn");
  WriteArchive("gsx.akn", {{"a", "A"}}, ArchiveOptions(""));
  std::vector<rt::StreamHandle> handles;
  for (int i = 0; i < rt::kArchiveLayerMaxFiles; ++i) {
    handles.push_back(rt::StreamOpen("gsx/a", 0, 1, 0));
    ASSERT_NE(handles.back(), 0u) << i;
  }
  EXPECT_EQ(handles.front(), rt::kArchiveHandleTag);
  EXPECT_EQ(handles.back(), rt::kArchiveHandleTag | 511u);
  const rt::ArchiveLayerState& st = rt::GetArchiveLayerState();
  EXPECT_EQ(st.cache[0]->refCount, rt::kArchiveLayerMaxFiles);
  EXPECT_EQ(rt::StreamOpen("gsx/a", 0, 1, 0), 0u);
  EXPECT_NE(LogText().find("同時に開けるファイルの数が限界を超えました"), std::string::npos);
  EXPECT_EQ(rt::StreamClose(handles[100]), 0);
  handles[100] = rt::StreamOpen("gsx/a", 0, 1, 0);
  EXPECT_EQ(handles[100], rt::kArchiveHandleTag | 100u);
  for (rt::StreamHandle h : handles) EXPECT_EQ(rt::StreamClose(h), 0);
  EXPECT_EQ(st.fileCount, 0);
  EXPECT_EQ(st.cache[0]->refCount, 0);
}

TEST_F(ArchiveLayerTest, HandlesThatNameNoFileAreRefused) {
  WriteFileBytes("f", "abc");
  const rt::StreamHandle open = rt::StreamOpen("f", 0, 1, 0);
  const rt::StreamHandle closed = rt::StreamOpen("f", 0, 1, 0);
  rt::StreamClose(closed);
  const rt::StreamHandle bad[] = {0,
                                  1,
                                  closed,
                                  rt::kArchiveHandleTag | 512u,
                                  rt::kArchiveHandleTag | rt::kArchiveHandleIndexMask,
                                  0xE0000000u | (open & 0xFFF),
                                  (rt::StreamHandle{1} << 40) | open};
  for (rt::StreamHandle h : bad) {
    char c;
    EXPECT_EQ(rt::StreamClose(h), -1) << std::hex << h;
    EXPECT_EQ(rt::StreamTell(h), -1);
    EXPECT_EQ(rt::StreamSeek(h, 0, 0), -1);
    EXPECT_EQ(rt::StreamRead(&c, 1, 1, h), 0u);
    EXPECT_EQ(rt::StreamEof(h), -1);
    EXPECT_EQ(rt::StreamIdleCheck(h), -1);
  }
  EXPECT_EQ(rt::StreamClose(open), 0);
}

std::vector<std::string> FindAll(const char* pattern) {
  std::vector<std::string> names;
  rt::FindData data;
  const rt::FindHandle find = rt::StreamFindFirst(pattern, &data);
  if (find == -1) return names;
  do names.emplace_back(data.name);
  while (rt::StreamFindNext(find, &data) == 0);
  EXPECT_EQ(rt::StreamFindClose(find), 0);
  return names;
}

TEST_F(ArchiveLayerTest, FindInsideAndOutsideArchives) {
  rt::SetArchiveExtensionImpl("akn");
  WriteArchive("gsx.akn", {{"b.png", "1"}, {"A.PNG", "22"}, {"c.wav", ""}, {"sub/x", ""}},
               ArchiveOptions(""));
  PlainFile("plain/x.png", "");
  const std::vector<std::string> inArchive = {"A.PNG", "b.png"};
  const std::vector<std::string> subDir = {".", "..", "x"};
  const std::vector<std::string> plain = {"x.png"};
  EXPECT_EQ(FindAll("gsx/*.png"), inArchive);
  EXPECT_EQ(FindAll("gsx\\SUB\\*"), subDir);
  EXPECT_EQ(FindAll("plain/*.png"), plain);
  const rt::ArchiveLayerState& st = rt::GetArchiveLayerState();
  // A failed search gives its archive back.
  EXPECT_EQ(rt::StreamFindFirst("gsx/*.bmp", nullptr), -1);
  EXPECT_EQ(rt::StreamFindFirst("gsx/nodir/*", nullptr), -1);
  EXPECT_EQ(st.cache[0]->refCount, 0);
  // An open search holds it.
  rt::FindData data;
  const rt::FindHandle find = rt::StreamFindFirst("gsx/*", &data);
  ASSERT_NE(find, -1);
  EXPECT_EQ(st.cache[0]->refCount, 1);
  rt::CloseAllArchives();
  EXPECT_EQ(st.cacheCount, 1);
  EXPECT_EQ(rt::StreamFindClose(find), 0);
  EXPECT_EQ(rt::StreamFindClose(find), -1);
  EXPECT_EQ(rt::StreamFindNext(find, &data), -1);
  EXPECT_EQ(st.cache[0]->refCount, 0);
  rt::CloseAllArchives();
  EXPECT_EQ(st.cacheCount, 0);
}

TEST_F(ArchiveLayerTest, ArchivesOffReadsPlainFilesOnly) {
  rt::SetArchiveExtensionImpl("akn");
  WriteArchive("gsx.akn", {{"a", "archive"}, {"b", "archive"}}, ArchiveOptions(""));
  PlainFile("gsx/a", "plain");
  rt::SetUseArchiveImpl(0);
  EXPECT_EQ(ReadPath("gsx/a"), "plain");
  EXPECT_EQ(ReadPath("gsx/b"), "<none>");
  rt::SetUseArchiveImpl(1);
  EXPECT_EQ(ReadPath("gsx/a"), "archive");
}

TEST_F(ArchiveLayerTest, CachedArchivesAreSharedByPath) {
  WriteArchive("one.akn", {{"a", "1"}}, ArchiveOptions(""));
  WriteArchive("two.akn", {{"a", "2"}}, ArchiveOptions(""));
  const std::string one = dir_.path() + "/one.akn";
  const std::string two = dir_.path() + "/two.akn";
  const int i1 = rt::OpenArchiveCached(-1, one.c_str(), 0, 0);
  const int i2 = rt::OpenArchiveCached(-1, two.c_str(), 1, 0);
  ASSERT_GE(i1, 0);
  ASSERT_GE(i2, 0);
  EXPECT_NE(i1, i2);
  EXPECT_EQ(rt::OpenArchiveCached(i2, one.c_str(), 0, 0), i1) << "a wrong hint is ignored";
  EXPECT_EQ(rt::OpenArchiveCached(i1, one.c_str(), 0, 0), i1);
  const rt::ArchiveLayerState& st = rt::GetArchiveLayerState();
  EXPECT_EQ(st.cache[i1]->refCount, 3);
  EXPECT_EQ(st.cache[i2]->archive.resident, 1);
  EXPECT_EQ(rt::OpenArchiveCached(-1, (dir_.path() + "/none.akn").c_str(), 0, 0), -1);
  st.cache[i1]->refCount = 0;
  rt::CloseUnreferencedArchives();
  EXPECT_EQ(st.cache[i1], nullptr);
  EXPECT_NE(st.cache[i2], nullptr);
  EXPECT_EQ(st.cacheCount, 1);
}

TEST(FilePathsTest, WildcardTable) {
  struct Case {
    const char* pattern;
    const char* name;
    int expected;
  };
  const Case cases[] = {
      {"*.PNG", "A.PNG", 0},   {"A*C", "ABBC", 0},      {"A*B", "ABAB", -1},
      {"*", "ANYTHING", 0},    {"*", ".", 0},           {"?", "A", 0},
      {"?", "AB", -1},         {"A?C", "ABC", 0},       {"ABC", "ABC", 0},
      {"ABC", "ABD", -1},      {"ABC", "AB", -1},       {"AB", "ABC", -1},
      {"**.TXT", "A.TXT", 0},  {"*.*", "NODOT", -1},    {"A*", "A", -1},
      {"表*", "表示", 0},      {"表?", "表示", -1},     {"*示", "表示", 0},
      {"", "", 0},             {"", "A", -1},           {"*X", "ABC", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rt::WildcardMatch(c.pattern, c.name), c.expected) << c.pattern << " " << c.name;
  }
}

TEST(FilePathsTest, SplitAndAbsolutePaths) {
  struct Split {
    const char* path;
    const char* name;
    const char* dir;
  };
  const Split splits[] = {
      {"a/b/c.png", "c.png", "a/b"}, {"a\\b", "b", "a"},    {"file", "file", ""},
      {"/root", "root", ""},         {"表\\x", "x", "表"}, {"ソ", "ソ", ""},
      {"dir/", "", "dir"},
  };
  for (const Split& s : splits) {
    std::string name;
    std::string dir;
    rt::SplitPath(s.path, &name, &dir);
    EXPECT_EQ(name, s.name) << s.path;
    EXPECT_EQ(dir, s.dir) << s.path;
  }
  testing_support::ScopedTempDir temp;
  const std::string cwd = platform::CurrentDirectory();
  struct Absolute {
    const char* path;
    std::string expected;
  };
  const Absolute absolutes[] = {
      {"gsx/A.png", cwd + "/gsx/A.png"},
      {"gsx\\.\\x\\..\\A.png", cwd + "/gsx/A.png"},
      {"/abs//path/", "/abs/path"},
      {"\\abs", "/abs"},
      {"../../../../../../../../x", "/x"},
      {"ソ\\a", cwd + "/ソ/a"},
      {"", cwd},
  };
  for (const Absolute& a : absolutes) {
    std::string out;
    rt::MakeAbsolutePath(a.path, &out);
    EXPECT_EQ(out, a.expected) << a.path;
  }
}

}  // namespace
