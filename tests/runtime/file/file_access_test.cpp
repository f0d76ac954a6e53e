#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include <string>
#include <vector>

#include "runtime/api.h"
#include "runtime/file/file_access.h"
#include "file_test_fixture.h"
#include "tests/support/archive_fixture.h"

namespace {

using archive_tool::Compression;
using testing_support::ArchiveOptions;
using testing_support::WriteArchive;
using testing_support::WriteFileBytes;

// Where a file is read from: each holds the same bytes at "data/file.txt".
enum class Source { kPlain, kPlainAsync, kArchiveStored, kArchiveCompressed, kArchiveAsync };
const Source kSources[] = {Source::kPlain, Source::kPlainAsync, Source::kArchiveStored,
                           Source::kArchiveCompressed, Source::kArchiveAsync};

class FileAccessTest : public file_test::FileTest {
 protected:
  rt::StreamHandle OpenWith(Source source, const std::string& bytes) {
    rt::InitArchiveLayer();
    std::remove("data.akn");
    std::remove("data/file.txt");
    switch (source) {
      case Source::kPlain:
      case Source::kPlainAsync:
        ::mkdir("data", 0755);
        WriteFileBytes("data/file.txt", bytes);
        break;
      case Source::kArchiveStored:
        WriteArchive("data.akn", {{"file.txt", bytes}}, ArchiveOptions("", 2, Compression::kNever));
        break;
      case Source::kArchiveCompressed:
      case Source::kArchiveAsync:
        WriteArchive("data.akn", {{"file.txt", bytes}}, ArchiveOptions("", 2, Compression::kAlways));
        break;
    }
    rt::SetArchiveExtensionImpl("akn");
    const bool async = source == Source::kPlainAsync || source == Source::kArchiveAsync;
    return rt::FileOpenImpl("data/file.txt", async ? 1 : 0);
  }

  std::vector<std::string> Lines(Source source, const std::string& bytes, int bufferSize) {
    const rt::StreamHandle h = OpenWith(source, bytes);
    EXPECT_NE(h, 0u);
    std::vector<std::string> lines;
    std::vector<char> buffer(static_cast<size_t>(bufferSize) + 8, '#');
    for (int guard = 0; guard < 1000; ++guard) {
      const int n = rt::FileReadLineImpl(buffer.data(), bufferSize, h);
      if (n < 0) break;
      EXPECT_EQ(buffer[static_cast<size_t>(n)], '\0');
      EXPECT_EQ(buffer[static_cast<size_t>(bufferSize)], '#') << "written past the buffer";
      lines.emplace_back(buffer.data(), static_cast<size_t>(n));
    }
    rt::FileCloseImpl(h);
    return lines;
  }
};

TEST_F(FileAccessTest, ReadLineTable) {
  const std::string longLine(600, 'x');
  struct Case {
    const char* what;
    std::string bytes;
    int bufferSize;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"CR LF", "AB\r\nCD", 256, {"AB", "CD"}},
      {"pieces of a short buffer", "ABCDE\r\n", 4, {"ABC", "DE"}},
      {"lone LF stays", "A\nB\r\n", 256, {"A\nB"}},
      {"lone CR stays", "A\rB", 256, {"A\rB"}},
      {"empty lines", "\r\n\r\nX", 256, {"", "", "X"}},
      {"long line in pieces", longLine + "\r\nend", 256,
       {longLine.substr(0, 255), longLine.substr(0, 255), longLine.substr(0, 90), "end"}},
      {"double-byte characters are not split", "あいう\r\nえ", 4, {"あ", "い", "う", "え"}},
      {"a trail byte that looks like LF", "ソ\r\n", 256, {"ソ"}},
      {"a lone lead byte at the end", std::string("AB\r\n\x82"), 256, {"AB", "\x82"}},
      {"a lone lead byte after text", std::string("AB\x82"), 256, {"AB", "\x82"}},
      {"room for one byte only", "あ", 2, {"\x82", "\xA0"}},
      {"empty file", "", 256, {}},
  };
  for (Source source : kSources) {
    for (const Case& c : cases) {
      EXPECT_EQ(Lines(source, c.bytes, c.bufferSize), c.lines)
          << c.what << " from source " << static_cast<int>(source);
    }
  }
}

TEST_F(FileAccessTest, SizeAndEnd) {
  for (Source source : kSources) {
    const rt::StreamHandle h = OpenWith(source, "0123456789");
    ASSERT_NE(h, 0u);
    EXPECT_EQ(rt::FileGetSizeByPathImpl("data/file.txt"), 10);
    EXPECT_EQ(rt::FileEofImpl(h), 0);
    char buffer[10];
    EXPECT_GT(rt::FileReadImpl(buffer, 7, h), 0u);
    while (rt::StreamIdleCheck(h) == 0) {
    }
    EXPECT_EQ(rt::FileEofImpl(h), 0);
    EXPECT_EQ(rt::StreamTell(h), 7) << "FileEof keeps the position";
    rt::FileReadImpl(buffer, 3, h);
    while (rt::StreamIdleCheck(h) == 0) {
    }
    EXPECT_EQ(rt::FileEofImpl(h), 1);
    rt::FileCloseImpl(h);

    const rt::StreamHandle empty = OpenWith(source, "");
    ASSERT_NE(empty, 0u);
    EXPECT_EQ(rt::FileEofImpl(empty), 1);
    EXPECT_EQ(rt::FileGetSizeByPathImpl("data/file.txt"), 0);
    rt::FileCloseImpl(empty);
  }
  EXPECT_EQ(rt::FileGetSizeByPathImpl("missing.txt"), -1);
  EXPECT_EQ(rt::FileGetSizeByPathImpl("data/missing.txt"), -1);
}

TEST_F(FileAccessTest, ReadIsOneElementOfTheWholeSize) {
  // Plain files count elements, archives count bytes.
  char buffer[16];
  rt::StreamHandle h = OpenWith(Source::kPlain, "0123456789");
  EXPECT_EQ(rt::FileReadImpl(buffer, 4, h), 1u);
  EXPECT_EQ(rt::FileReadImpl(buffer, 16, h), 0u);
  rt::FileCloseImpl(h);
  h = OpenWith(Source::kArchiveStored, "0123456789");
  EXPECT_EQ(rt::FileReadImpl(buffer, 4, h), 4u);
  EXPECT_EQ(rt::FileReadImpl(buffer, 16, h), 6u);
  rt::FileCloseImpl(h);
}

TEST_F(FileAccessTest, FacadeEntries) {
  WriteArchive("data.akn", {{"script.txt", "line one\r\nline two\r\n"}}, ArchiveOptions("pela_vix"));
  EXPECT_EQ(SetUseArchive(1), 0);
  EXPECT_EQ(SetArchiveExtension("akn"), 0);
  EXPECT_EQ(SetArchiveKeyString("pela_vix"), 0);
  EXPECT_EQ(FileGetSizeByPath("data\\script.txt"), 20);
  const FileHandle h = FileOpen("data\\script.txt", 0);
  ASSERT_NE(h, 0u);
  char line[64];
  EXPECT_EQ(FileReadLine(line, sizeof line, h), 8);
  EXPECT_STREQ(line, "line one");
  EXPECT_EQ(FileEof(h), 0);
  char rest[64] = {};
  EXPECT_EQ(FileRead(rest, 10, h), 10u);
  EXPECT_STREQ(rest, "line two\r\n");
  EXPECT_EQ(FileEof(h), 1);
  EXPECT_EQ(FileReadLine(line, sizeof line, h), -1);
  EXPECT_EQ(FileClose(h), 0);
  EXPECT_EQ(FileOpen("data\\missing.txt", 0), 0u);
  EXPECT_EQ(SetArchiveKeyString(nullptr), 0);
}

}  // namespace
