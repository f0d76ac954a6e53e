#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/file/archive_format.h"
#include "runtime/file/lz_decode.h"
#include "tests/support/archive_fixture.h"
#include "tools/archive/lz_encode.h"

namespace {

using Bytes = std::vector<unsigned char>;

// An LZ stream with the given marker and code bytes; the header's sizes are filled in.
Bytes Stream(uint32_t decodedSize, unsigned char marker, const Bytes& codes) {
  Bytes s(rt::kLzHeaderSize);
  rt::PutLe32(s.data(), decodedSize);
  rt::PutLe32(s.data() + 4, static_cast<uint32_t>(rt::kLzHeaderSize + codes.size()));
  s[8] = marker;
  s.insert(s.end(), codes.begin(), codes.end());
  return s;
}

int64_t Decode(const Bytes& stream, std::string* out, size_t capacity) {
  out->assign(capacity, '\0');
  int64_t n = rt::ArchiveDecompress(stream.data(), stream.size(), out->data(), capacity);
  if (n >= 0) out->resize(static_cast<size_t>(n));
  return n;
}

struct CodeCase {
  const char* what;
  unsigned char marker;
  Bytes codes;
  std::string expected;
};

TEST(LzDecodeTest, CodeTable) {
  const std::string abc40 = [] {
    std::string s = "abc";
    while (s.size() < 3 + 40) s += s[s.size() - 3];
    return s;
  }();
  const CodeCase cases[] = {
      {"literals", 0x80, {'x', 'y'}, "xy"},
      {"marker twice is one marker", 0x80, {'a', 0x80, 0x80, 'b'}, "a\x80" "b"},
      {"code 0, distance 0: the last byte four times", 0x80, {'z', 0x80, 0x00, 0x00}, "zzzzz"},
      {"length from the code byte", 0x80, {'a', 'b', 0x80, (3 << 3) | 0, 0x01}, "ab" "abababa"},
      // A code byte above the marker is one more than its value.
      {"code above the marker", 0x05, {'q', 0x05, ((2 << 3) | 0) + 1, 0x00}, "qqqqqqq"},
      {"code below the marker", 0xF0, {'q', 0xF0, (2 << 3) | 0, 0x00}, "qqqqqqq"},
      {"length byte", 0x80, {'a', 'b', 'c', 0x80, ((36 & 31) << 3) | 4, 36 >> 5, 0x02}, abc40},
      {"two-byte distance", 0x80, {'k', 'l', 'm', 'n', 0x80, 1, 0x03, 0x00}, "klmnklmn"},
      {"three-byte distance", 0x80, {'k', 'l', 'm', 'n', 0x80, 2, 0x03, 0x00, 0x00}, "klmnklmn"},
  };
  for (const CodeCase& c : cases) {
    std::string out;
    const Bytes stream = Stream(static_cast<uint32_t>(c.expected.size()), c.marker, c.codes);
    EXPECT_EQ(Decode(stream, &out, c.expected.size()), static_cast<int64_t>(c.expected.size()))
        << c.what;
    EXPECT_EQ(out, c.expected) << c.what;
  }
}

TEST(LzDecodeTest, CorruptStreamsFailWithoutOverrun) {
  const CodeCase cases[] = {
      {"distance before the output", 0x80, {'a', 0x80, 0x00, 0x05}, std::string(5, '\0')},
      {"distance into nothing", 0x80, {0x80, 0x00, 0x00}, std::string(4, '\0')},
      {"copy past the decoded size", 0x80, {'a', 0x80, 0x00, 0x00}, std::string(3, '\0')},
      {"literal past the decoded size", 0x80, {'a', 'b', 'c'}, std::string(2, '\0')},
      {"distance kind 3", 0x80, {'a', 0x80, 0x03, 0x00, 0x00, 0x00, 0x00}, std::string(5, '\0')},
      {"marker at the end", 0x80, {'a', 0x80}, std::string(1, '\0')},
      {"length byte missing", 0x80, {'a', 0x80, 0x04}, std::string(9, '\0')},
      {"distance field cut", 0x80, {'a', 'b', 0x80, 0x01, 0x00}, std::string(6, '\0')},
      {"output left short", 0x80, {'a'}, std::string(2, '\0')},
  };
  for (const CodeCase& c : cases) {
    std::string out;
    const Bytes stream = Stream(static_cast<uint32_t>(c.expected.size()), c.marker, c.codes);
    // The destination is exactly the decoded size, so ASan sees any write past it.
    std::vector<unsigned char> dest(c.expected.size());
    EXPECT_EQ(rt::ArchiveDecompress(stream.data(), stream.size(), dest.data(), dest.size()), -1)
        << c.what;
  }
}

TEST(LzDecodeTest, HeaderChecks) {
  Bytes stream = Stream(4, 0x80, {'a', 'b', 'c', 'd'});
  unsigned char dest[4];
  // Decoded size only, from a null destination.
  EXPECT_EQ(rt::ArchiveDecompress(stream.data(), stream.size(), nullptr, 0), 4);
  EXPECT_EQ(rt::ArchiveDecompress(stream.data(), 8, dest, 4), -1);
  EXPECT_EQ(rt::ArchiveDecompress(stream.data(), stream.size() - 1, dest, 4), -1);
  EXPECT_EQ(rt::ArchiveDecompress(stream.data(), stream.size(), dest, 3), -1);
  rt::PutLe32(stream.data() + 4, 5);  // encoded size below the header
  EXPECT_EQ(rt::ArchiveDecompress(stream.data(), stream.size(), dest, 4), -1);
  const Bytes empty = Stream(0, 0x80, {});
  EXPECT_EQ(rt::ArchiveDecompress(empty.data(), empty.size(), dest, 0), 0);
}

TEST(LzEncodeTest, RoundTripsAndShrinksOrdinaryData) {
  struct Case {
    const char* what;
    std::string data;
    bool shrinks;
  };
  std::string everyByte;
  for (int i = 0; i < 256 * 40; ++i) everyByte += static_cast<char>(i * 7 + i / 256);
  std::string longRun(100000, '\x42');
  std::string farRepeat = testing_support::RandomBytes(70000, 3);
  farRepeat += farRepeat;  // matches only at a distance beyond two bytes
  const Case cases[] = {
      {"empty", "", false},
      {"one byte", "x", false},
      {"text", testing_support::CompressibleText(200000, 1), true},
      {"random", testing_support::RandomBytes(50000, 2), false},
      {"every byte value", everyByte, true},
      {"long run", longRun, true},
      {"repeat at a three-byte distance", farRepeat, true},
  };
  for (const Case& c : cases) {
    const std::string packed = archive_tool::LzEncode(
        reinterpret_cast<const unsigned char*>(c.data.data()), c.data.size());
    std::string out(c.data.size(), '\0');
    EXPECT_EQ(rt::ArchiveDecompress(packed.data(), packed.size(), out.data(), out.size()),
              static_cast<int64_t>(c.data.size()))
        << c.what;
    EXPECT_EQ(out, c.data) << c.what;
    if (c.shrinks) {
      EXPECT_LT(packed.size(), c.data.size() * 3 / 4) << c.what;
    }
  }
}

}  // namespace
