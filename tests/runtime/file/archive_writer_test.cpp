#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <thread>

#include "runtime/file/archive_format.h"
#include "runtime/file/archive_key.h"
#include "runtime/file/archive_layer.h"
#include "file_test_fixture.h"
#include "tests/support/archive_fixture.h"
#include "tools/archive/archive_writer.h"

namespace {

using archive_tool::WriterEntry;
using testing_support::ArchiveOptions;
using testing_support::WriteFileBytes;

class ArchiveWriterTest : public file_test::FileTest {};

std::string ReadThroughLayer(const char* path) {
  const rt::StreamHandle h = rt::StreamOpen(path, 0, 1, 0);
  if (h == 0) return "<none>";
  std::string out(1 << 20, '\0');
  out.resize(rt::StreamRead(out.data(), 1, out.size(), h));
  rt::StreamClose(h);
  return out;
}

TEST_F(ArchiveWriterTest, PacksADirectoryOfTheFileSystem) {
  const std::string sjis = "表示.txt";  // the trail byte of its first character is '\\'
  ::mkdir("src", 0755);
  ::mkdir("src/Nested", 0755);
  ::mkdir("src/Nested/deeper", 0755);
  ::mkdir("src/empty", 0755);
  WriteFileBytes("src/top.txt", testing_support::CompressibleText(20000, 1));
  WriteFileBytes("src/Nested/deeper/bin", testing_support::RandomBytes(3000, 2));
  WriteFileBytes("src/" + sjis, "sjis");
  WriteFileBytes("src/zero", "");
  for (int version : {1, 2}) {
    archive_tool::WriteOptions options = ArchiveOptions("pela_vix", version);
    std::string error;
    ASSERT_TRUE(archive_tool::PackDirectory("src", "pack.akn", options, &error)) << error;
    rt::InitArchiveLayer();
    rt::SetArchiveKeyStringImpl("pela_vix");
    rt::SetArchiveExtensionImpl("akn");
    // The directory is gone: everything comes from the archive.
    ::rename("src", "moved");
    EXPECT_EQ(ReadThroughLayer("pack/top.txt"), testing_support::CompressibleText(20000, 1));
    EXPECT_EQ(ReadThroughLayer("pack\\nested\\DEEPER\\bin"), testing_support::RandomBytes(3000, 2));
    EXPECT_EQ(ReadThroughLayer(("pack\\" + sjis).c_str()), "sjis");
    EXPECT_EQ(ReadThroughLayer("pack/zero"), "");
    rt::FindData data;
    const rt::FindHandle find = rt::StreamFindFirst("pack/empty/*", &data);
    ASSERT_NE(find, -1);
    EXPECT_STREQ(data.name, ".");
    EXPECT_EQ(rt::StreamFindNext(find, &data), 0);
    EXPECT_STREQ(data.name, "..");
    EXPECT_EQ(rt::StreamFindNext(find, &data), -1);
    rt::StreamFindClose(find);
    const rt::FindHandle top = rt::StreamFindFirst("pack/top.txt", &data);
    ASSERT_NE(top, -1);
    EXPECT_GE(data.lastWriteDate.year, 2020) << "file times are kept";
    rt::StreamFindClose(top);
    ::rename("moved", "src");
  }
}

TEST_F(ArchiveWriterTest, VersionOneStoresEveryFile) {
  const std::string text = testing_support::CompressibleText(5000, 3);
  const std::string v1 = testing_support::MakeArchiveBytes({{"t", text}}, ArchiveOptions("", 1));
  const std::string v2 = testing_support::MakeArchiveBytes({{"t", text}}, ArchiveOptions("", 2));
  EXPECT_GT(v1.size(), text.size());
  EXPECT_LT(v2.size(), text.size() / 2);
  std::string header = v1.substr(0, rt::kArchiveHeaderSize);
  unsigned char key[rt::kArchiveKeySize];
  rt::PrepareArchiveKey(nullptr, key);
  rt::ArchiveXor(header.data(), header.size(), 0, key);
  EXPECT_EQ(rt::GetLe16(reinterpret_cast<const unsigned char*>(header.data()) + 2), 1);
}

TEST_F(ArchiveWriterTest, RefusesTreesTheFormatCannotHold) {
  struct Case {
    const char* what;
    WriterEntry root;
    int version;
  };
  auto tree = [](std::initializer_list<std::pair<const char*, const char*>> files) {
    WriterEntry root;
    root.directory = true;
    for (const auto& [path, data] : files) archive_tool::AddWriterFile(&root, path, data);
    return root;
  };
  const Case cases[] = {
      {"names differing only in case", tree({{"a.txt", "1"}, {"A.TXT", "2"}}), 2},
      {"a lone backslash in a name", tree({{"a\\b", "1"}}), 2},
      {"a name the lookup key cannot hold", tree({{std::string(1100, 'n').c_str(), ""}}), 2},
      {"version 4", tree({{"a", ""}}), 4},
      {"version 0", tree({{"a", ""}}), 0},
  };
  for (const Case& c : cases) {
    std::string bytes;
    std::string error;
    EXPECT_FALSE(archive_tool::BuildArchive(c.root, ArchiveOptions("", c.version), &bytes, &error))
        << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
  std::string error;
  EXPECT_FALSE(archive_tool::PackDirectory("no-such-dir", "x.akn", ArchiveOptions(""), &error));
}

}  // namespace
