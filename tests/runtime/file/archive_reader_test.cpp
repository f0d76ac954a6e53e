#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/file/archive_format.h"
#include "runtime/file/archive_key.h"
#include "runtime/file/archive_reader.h"
#include "runtime/file/file_paths.h"
#include "file_test_fixture.h"
#include "tests/support/archive_fixture.h"

namespace {

using archive_tool::Compression;
using testing_support::ArchiveFixtureFile;
using testing_support::ArchiveOptions;
using testing_support::CompressibleText;
using testing_support::RandomBytes;
using testing_support::WriteArchive;
using testing_support::WriteFileBytes;

// "表" and "ソ" end in the byte '\\'.
const std::string kSjisFile = "表示.txt";
const std::string kSjisDir = "ソ";

std::vector<ArchiveFixtureFile> TreeFiles() {
  return {
      {"abc", "three"},
      {"abcd", "four"},
      {"abcde", "five"},
      {"zero.dat", ""},
      {"dir/nested/deep.txt", CompressibleText(30000, 1)},
      {"dir/random.bin", RandomBytes(5000, 2)},
      {"dir/Mixed.Case", CompressibleText(600, 3)},
      {"empty/", ""},
      {kSjisFile, "sjis file"},
      {kSjisDir + "/x.txt", CompressibleText(100, 4)},
  };
}

std::string ToBackslashes(std::string path) {
  for (size_t i = 0; i < path.size(); ++i) {
    if (rt::IsSjisPair(path.c_str() + i)) {
      ++i;
    } else if (path[i] == '/') {
      path[i] = '\\';
    }
  }
  return path;
}

class ArchiveReaderTest : public file_test::FileTest {
 protected:
  // Reads the whole file at path inside the archive, in chunks of the given size.
  bool ReadAll(rt::Archive* a, const std::string& path, int asyncFlag, size_t chunk,
               std::string* out) {
    rt::ArchiveFile f;
    if (rt::ArchiveFileOpen(&f, a, path.c_str(), asyncFlag) != 0) return false;
    out->clear();
    std::string buffer(chunk, '\0');
    for (;;) {
      const size_t n = rt::ArchiveFileRead(&f, buffer.data(), chunk);
      while (rt::ArchiveFileIdleCheck(&f) == 0) std::this_thread::yield();
      if (n == 0) break;
      out->append(buffer, 0, n);
    }
    EXPECT_EQ(rt::ArchiveFileEof(&f), -1);
    rt::ArchiveFileClose(&f);
    return true;
  }

  int Open(rt::Archive* a, const char* path, const char* key, bool resident) {
    std::memset(a, 0, sizeof *a);
    return resident ? rt::OpenArchiveWhole(a, path, key, 0) : rt::OpenArchiveStream(a, path, key);
  }
};

TEST_F(ArchiveReaderTest, WriterAndReaderRoundTrip) {
  struct Variant {
    int version;
    Compression compression;
  };
  const Variant variants[] = {{1, Compression::kAuto},
                              {2, Compression::kAuto},
                              {2, Compression::kNever},
                              {2, Compression::kAlways}};
  const auto files = TreeFiles();
  for (const Variant& v : variants) {
    WriteArchive("t.akn", files, ArchiveOptions("pela_vix", v.version, v.compression));
    for (bool resident : {false, true}) {
      for (int asyncFlag : {0, 1}) {
        const std::string what = "v" + std::to_string(v.version) + " c" +
                                 std::to_string(static_cast<int>(v.compression)) +
                                 (resident ? " resident" : " streamed") +
                                 (asyncFlag ? " async" : "");
        rt::Archive a;
        ASSERT_EQ(Open(&a, "t.akn", "pela_vix", resident), 0) << what;
        for (const ArchiveFixtureFile& file : files) {
          if (file.path.back() == '/') continue;
          for (const std::string& path : {file.path, ToBackslashes(file.path),
                                          rt::UpperCaseName(file.path.c_str())}) {
            std::string out;
            ASSERT_TRUE(ReadAll(&a, path, asyncFlag, 4096, &out)) << what << " " << path;
            EXPECT_EQ(out, file.data) << what << " " << path;
          }
        }
        rt::CloseArchive(&a);
      }
    }
  }
}

TEST_F(ArchiveReaderTest, CompressionShrinksTheArchive) {
  const auto files = TreeFiles();
  const std::string stored =
      testing_support::MakeArchiveBytes(files, ArchiveOptions("k", 2, Compression::kNever));
  const std::string packed =
      testing_support::MakeArchiveBytes(files, ArchiveOptions("k", 2, Compression::kAuto));
  EXPECT_LT(packed.size(), stored.size() / 2);
}

TEST_F(ArchiveReaderTest, ReadsFromAnyOffsetAgreeAcrossModes) {
  const std::string data = CompressibleText(50000, 7);
  for (Compression c : {Compression::kNever, Compression::kAlways}) {
    WriteArchive("t.akn", {{"d/file.bin", data}}, ArchiveOptions("pela_vix", 2, c));
    for (bool resident : {false, true}) {
      rt::Archive a;
      ASSERT_EQ(Open(&a, "t.akn", "pela_vix", resident), 0);
      rt::ArchiveFile f;
      ASSERT_EQ(rt::ArchiveFileOpen(&f, &a, "d/file.bin", 0), 0);
      for (int64_t offset : {13, 0, 12, 49990, 25000}) {
        EXPECT_EQ(rt::ArchiveFileSeek(&f, offset, rt::kSeekSet), 0);
        char out[20];
        const size_t n = rt::ArchiveFileRead(&f, out, sizeof out);
        const size_t expected = std::min<size_t>(20, data.size() - static_cast<size_t>(offset));
        ASSERT_EQ(n, expected);
        EXPECT_EQ(std::string(out, n), data.substr(static_cast<size_t>(offset), n)) << offset;
        EXPECT_EQ(rt::ArchiveFileTell(&f), offset + static_cast<int64_t>(n));
      }
      rt::ArchiveFileSeek(&f, -10, rt::kSeekEnd);
      EXPECT_EQ(rt::ArchiveFileTell(&f), 49990);
      rt::ArchiveFileSeek(&f, 100, rt::kSeekEnd);
      EXPECT_EQ(rt::ArchiveFileTell(&f), 50000);
      rt::ArchiveFileSeek(&f, -60000, rt::kSeekCurrent);
      EXPECT_EQ(rt::ArchiveFileTell(&f), 0);
      rt::ArchiveFileClose(&f);
      rt::CloseArchive(&a);
    }
  }
}

TEST_F(ArchiveReaderTest, AnAsynchronousWholeLoadFinishesBeforeUse) {
  const std::string data = CompressibleText(300000, 5);
  WriteArchive("t.akn", {{"f", data}}, ArchiveOptions("key"));
  rt::Archive a{};
  ASSERT_EQ(rt::OpenArchiveWhole(&a, "t.akn", "key", 1), 0);
  // Any operation waits for the load; FinishArchiveLoad reports it.
  std::string out;
  ASSERT_TRUE(ReadAll(&a, "f", 0, 65536, &out));
  EXPECT_EQ(out, data);
  EXPECT_EQ(rt::FinishArchiveLoad(&a), 1);
  rt::CloseArchive(&a);
  // Closed while loading.
  ASSERT_EQ(rt::OpenArchiveWhole(&a, "t.akn", "key", 1), 0);
  rt::CloseArchive(&a);
}

TEST_F(ArchiveReaderTest, ChangeDirWalksAndRestores) {
  WriteArchive("t.akn", TreeFiles(), ArchiveOptions("k"));
  rt::Archive a;
  ASSERT_EQ(Open(&a, "t.akn", "k", false), 0);
  EXPECT_EQ(rt::ArchiveChangeDir(&a, "..", 1, nullptr), -1);
  EXPECT_EQ(a.currentDir, 0u);
  ASSERT_EQ(rt::ArchiveChangeDir(&a, "DIR\\nested", 1, nullptr), 0);
  const uint32_t nested = a.currentDir;
  EXPECT_NE(nested, 0u);
  // Relative lookups start from the current directory.
  rt::ArchiveFile f;
  ASSERT_EQ(rt::ArchiveFileOpen(&f, &a, "deep.txt", 0), 0);
  rt::ArchiveFileClose(&f);
  EXPECT_EQ(rt::ArchiveFileOpen(&f, &a, "abc", 0), -1);
  ASSERT_EQ(rt::ArchiveFileOpen(&f, &a, "\\abc", 0), 0);
  rt::ArchiveFileClose(&f);
  EXPECT_EQ(a.currentDir, nested);
  EXPECT_EQ(rt::ArchiveChangeDir(&a, "..", 1, nullptr), 0);
  EXPECT_EQ(rt::ArchiveChangeDir(&a, "missing", 1, nullptr), -1);
  const uint32_t dir = a.currentDir;
  EXPECT_EQ(rt::ArchiveChangeDir(&a, "\\dir\\missing", 0, nullptr), -1);
  EXPECT_EQ(a.currentDir, dir);  // the walk got as far as dir
  EXPECT_EQ(rt::ArchiveChangeDir(&a, "\\", 1, nullptr), 0);
  EXPECT_EQ(a.currentDir, 0u);
  EXPECT_EQ(rt::ArchiveChangeDir(&a, (kSjisDir + "\\").c_str(), 1, nullptr), 0);
  EXPECT_EQ(rt::ArchiveChangeDir(&a, "\\abc", 1, nullptr), -1) << "a file is no directory";
  // A name the key cannot hold is simply not found.
  const std::string huge(3000, 'n');
  EXPECT_EQ(rt::ArchiveChangeDir(&a, huge.c_str(), 1, nullptr), -1);
  EXPECT_EQ(rt::ArchiveFindEntry(huge.c_str(), &a), -1);
  rt::CloseArchive(&a);
}

std::vector<std::string> List(rt::Archive* a, const char* pattern) {
  std::vector<std::string> names;
  rt::FindData data;
  rt::ArchiveFind* find = rt::ArchiveFindFirst(a, pattern, &data);
  if (!find) return names;
  do {
    names.push_back(std::string(data.name) + (data.directory ? "/" : "") +
                    (data.directory ? "" : ":" + std::to_string(data.sizeLow)));
  } while (rt::ArchiveFindNext(find, &data) == 0);
  rt::ArchiveFindFree(find);
  return names;
}

TEST_F(ArchiveReaderTest, FindListsEntriesWithPseudoDirectories) {
  WriteArchive("t.akn", TreeFiles(), ArchiveOptions("k"));
  rt::Archive a;
  ASSERT_EQ(Open(&a, "t.akn", "k", false), 0);
  struct Case {
    const char* pattern;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"*", {"./", "abc:5", "abcd:4", "abcde:4", "dir/", "empty/", "zero.dat:0",
             kSjisDir + "/", kSjisFile + ":9"}},
      {"dir/*", {"./", "../", "Mixed.Case:600", "nested/", "random.bin:5000"}},
      {"DIR\\*.case", {"Mixed.Case:600"}},
      {"empty/*", {"./", "../"}},
      {"abc?", {"abcd:4"}},
      {"*.TXT", {kSjisFile + ":9"}},
      {"..", {}},
      {"dir/..", {"../"}},
      {"nowhere/*", {}},
      {"*.wav", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(List(&a, c.pattern), c.names) << c.pattern;
  EXPECT_EQ(a.currentDir, 0u);
  rt::CloseArchive(&a);
}

// Re-encodes an archive after a change to its decoded bytes.
std::string Patched(std::string bytes, const char* keyString,
                    const std::function<void(unsigned char*, size_t)>& change) {
  unsigned char key[rt::kArchiveKeySize];
  rt::PrepareArchiveKey(keyString, key);
  rt::ArchiveXor(bytes.data(), bytes.size(), 0, key);
  change(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size());
  rt::ArchiveXor(bytes.data(), bytes.size(), 0, key);
  return bytes;
}

TEST_F(ArchiveReaderTest, BadHeadersFailWithALogLineAndNothingAllocated) {
  StartLog();
  const int blocks = rt::GetMemoryState().count;
  const std::string good = testing_support::MakeArchiveBytes(TreeFiles(), ArchiveOptions("k"));
  uint32_t infoOffset = 0;
  Patched(good, "k", [&](unsigned char* p, size_t) {
    infoOffset = rt::GetLe32(p + rt::kHeaderInfoOffset);
  });
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"wrong magic", Patched(good, "k", [](unsigned char* p, size_t) { p[0] = 'X'; })},
      {"version 4", Patched(good, "k", [](unsigned char* p, size_t) { rt::PutLe16(p + 2, 4); })},
      {"short", good.substr(0, 20)},
      {"cut in the information block", good.substr(0, good.size() - 10)},
      {"information block beyond the file",
       Patched(good, "k", [](unsigned char* p, size_t n) {
         rt::PutLe32(p + rt::kHeaderInfoOffset, static_cast<uint32_t>(n));
       })},
      {"information size overflowing",
       Patched(good, "k", [](unsigned char* p, size_t) {
         rt::PutLe32(p + rt::kHeaderInfoSize, 0xFFFFFFF0u);
       })},
      {"file table outside", Patched(good, "k", [&](unsigned char* p, size_t n) {
         rt::PutLe32(p + rt::kHeaderFileTable, static_cast<uint32_t>(n));
       })},
      {"directory table outside", Patched(good, "k", [&](unsigned char* p, size_t n) {
         rt::PutLe32(p + rt::kHeaderDirTable, static_cast<uint32_t>(n - infoOffset - 8));
       })},
      {"root entry outside", Patched(good, "k", [&](unsigned char* p, size_t n) {
         const uint32_t dirTable = rt::GetLe32(p + rt::kHeaderDirTable);
         rt::PutLe32(p + infoOffset + dirTable + rt::kDirOwnEntry, 0x7FFFFFFF);
       })},
      {"random bytes", RandomBytes(500, 1)},
  };
  for (const Case& c : cases) {
    WriteFileBytes("bad.akn", c.bytes);
    for (bool resident : {false, true}) {
      const size_t logBefore = LogText().size();
      rt::Archive a;
      EXPECT_EQ(Open(&a, "bad.akn", "k", resident), -1) << c.what;
      EXPECT_EQ(rt::GetMemoryState().count, blocks) << c.what;
      EXPECT_GT(LogText().size(), logBefore) << c.what << ": no log line";
      EXPECT_EQ(a.file, nullptr);
      EXPECT_EQ(a.info, nullptr);
    }
  }
}

TEST_F(ArchiveReaderTest, BadEntriesFailToOpenButTheRestReads) {
  StartLog();
  const std::vector<ArchiveFixtureFile> files = {{"packed", CompressibleText(5000, 1)},
                                                 {"plain", RandomBytes(300, 2)},
                                                 {"good", "good"}};
  const std::string good =
      testing_support::MakeArchiveBytes(files, ArchiveOptions("k", 2, Compression::kAuto));
  // Entries sort as good, packed, plain, behind the root entry.
  auto entryAt = [](unsigned char* p, int index) {
    const uint32_t info = rt::GetLe32(p + rt::kHeaderInfoOffset);
    const uint32_t table = rt::GetLe32(p + rt::kHeaderFileTable);
    return p + info + table + rt::kArchiveFileEntrySizeV2 * static_cast<size_t>(index);
  };
  struct Case {
    const char* what;
    const char* broken;
    std::function<void(unsigned char*, size_t)> change;
  };
  const Case cases[] = {
      {"data beyond the file", "plain",
       [&](unsigned char* p, size_t n) { rt::PutLe32(entryAt(p, 3) + 32, static_cast<uint32_t>(n)); }},
      {"size beyond the file", "plain",
       [&](unsigned char* p, size_t) { rt::PutLe32(entryAt(p, 3) + 36, 0xFFFFFF00u); }},
      {"compressed size beyond the file", "packed",
       [&](unsigned char* p, size_t) { rt::PutLe32(entryAt(p, 2) + 40, 0x7FFFFFFFu); }},
      {"decoded size beyond what the stream can hold", "packed",
       [&](unsigned char* p, size_t) { rt::PutLe32(entryAt(p, 2) + 36, 0x7FFFFFFFu); }},
      {"decoded size disagreeing", "packed",
       [&](unsigned char* p, size_t) {
         const uint32_t offset = rt::GetLe32(entryAt(p, 2) + 32);
         rt::PutLe32(p + 24 + offset, 4999);
       }},
      {"code stream cut", "packed",
       [&](unsigned char* p, size_t) {
         const uint32_t offset = rt::GetLe32(entryAt(p, 2) + 32);
         rt::PutLe32(p + 24 + offset + 4, 40);
       }},
      {"name outside", "plain",
       [&](unsigned char* p, size_t) { rt::PutLe32(entryAt(p, 3) + 0, 0x7FFFFFF0u); }},
  };
  for (const Case& c : cases) {
    WriteFileBytes("bad.akn", Patched(good, "k", c.change));
    for (bool resident : {false, true}) {
      for (int asyncFlag : {0, 1}) {
        rt::Archive a;
        ASSERT_EQ(Open(&a, "bad.akn", "k", resident), 0) << c.what;
        std::string out;
        const bool opened = ReadAll(&a, c.broken, asyncFlag, 1024, &out);
        // An asynchronous open of a streamed compressed file finds the damage only once
        // its data is in: the file then reads as empty.
        if (opened) {
          EXPECT_TRUE(asyncFlag && !resident) << c.what;
          EXPECT_EQ(out, "") << c.what;
        }
        ASSERT_TRUE(ReadAll(&a, "good", asyncFlag, 1024, &out)) << c.what;
        EXPECT_EQ(out, "good");
        rt::CloseArchive(&a);
      }
    }
  }
}

// A cut archive is either refused at open, or each of its files opens and reads as a leading
// part of its contents (all of it when the cut spared the file), or fails to open: a cut
// never yields bytes the file does not have.
TEST_F(ArchiveReaderTest, TruncatedArchivesAreRefusedOrReadShort) {
  const std::string good = testing_support::MakeArchiveBytes(TreeFiles(), ArchiveOptions("k"));
  int refused = 0, opened = 0;
  for (const bool resident : {false, true}) {
    for (size_t length = 0; length < good.size(); length += 97) {
      const std::string what = "length " + std::to_string(length) + (resident ? " resident" : " streamed");
      WriteFileBytes("cut.akn", good.substr(0, length));
      rt::Archive a;
      if (Open(&a, "cut.akn", "k", resident) != 0) {
        ++refused;
        continue;
      }
      ++opened;
      for (const ArchiveFixtureFile& file : TreeFiles()) {
        if (file.path.back() == '/') continue;
        std::string out;
        if (!ReadAll(&a, file.path, 0, 777, &out)) continue;
        EXPECT_LE(out.size(), file.data.size()) << what << " " << file.path;
        EXPECT_EQ(out, file.data.substr(0, out.size())) << what << " " << file.path;
      }
      rt::CloseArchive(&a);
    }
  }
  // An archive cut before the end of its header is refused.
  EXPECT_GT(refused, 0);
  EXPECT_GE(refused + opened, 2);
}

TEST_F(ArchiveReaderTest, TheFallbackKeyOpensWhatevertheKeyString) {
  archive_tool::WriteOptions options = ArchiveOptions("");
  options.fallbackKey = true;
  WriteArchive("t.akn", {{"f.txt", "fallback"}}, options);
  for (const char* key : {"pela_vix", "", static_cast<const char*>(nullptr)}) {
    rt::Archive a;
    ASSERT_EQ(Open(&a, "t.akn", key, false), 0);
    std::string out;
    ASSERT_TRUE(ReadAll(&a, "f.txt", 0, 64, &out));
    EXPECT_EQ(out, "fallback");
    rt::CloseArchive(&a);
  }
  // A wrong key string is not rescued.
  WriteArchive("t.akn", {{"f.txt", "keyed"}}, ArchiveOptions("right"));
  rt::Archive a;
  EXPECT_EQ(Open(&a, "t.akn", "wrong", false), -1);
  EXPECT_EQ(Open(&a, "t.akn", "right", false), 0);
  rt::CloseArchive(&a);
}

}  // namespace
