#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "runtime/file/archive_key.h"

namespace {

using Key = std::vector<unsigned char>;

Key KeyOf(const char* text) {
  Key key(rt::kArchiveKeySize);
  rt::PrepareArchiveKey(text, key.data());
  return key;
}

TEST(ArchiveKeyTest, KeyStringsRepeatOrAreCut) {
  // Eight characters fill twelve with their first four again.
  EXPECT_EQ(KeyOf("pela_vix"), KeyOf("pela_vixpela"));
  EXPECT_EQ(KeyOf("abc"), KeyOf("abcabcabcabc"));
  EXPECT_EQ(KeyOf("abcdefghijklmnop"), KeyOf("abcdefghijkl"));
  EXPECT_EQ(KeyOf(""), KeyOf(nullptr));
  EXPECT_NE(KeyOf("pela_vix"), KeyOf("pela_vax"));
  Key fallback(rt::kArchiveKeySize);
  rt::PrepareFallbackArchiveKey(fallback.data());
  EXPECT_NE(fallback, KeyOf(nullptr));
}

TEST(ArchiveKeyTest, EveryPositionIsScrambled) {
  // The same byte at every position comes out differently at (nearly) every position, and
  // the operations keep distinct inputs distinct.
  const Key a = KeyOf("aaaaaaaaaaaa");
  const Key b = KeyOf("bbbbbbbbbbbb");
  int differing = 0;
  for (size_t i = 0; i < rt::kArchiveKeySize; ++i) {
    EXPECT_NE(a[i], b[i]) << i;
    if (a[i] != 'a') ++differing;
  }
  EXPECT_EQ(differing, 12);
}

TEST(ArchiveKeyTest, XorFollowsTheFilePosition) {
  const Key key = KeyOf("pela_vix");
  unsigned char byte = 0;
  rt::ArchiveXor(&byte, 1, 13, key.data());
  EXPECT_EQ(byte, key[1]);
  // Any start and length give the byte-wise result.
  std::vector<unsigned char> plain(100);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<unsigned char>(i * 31);
  for (uint64_t start : {0, 1, 11, 12, 13, 1000003}) {
    for (size_t length : {0, 1, 5, 12, 13, 24, 37, 100}) {
      std::vector<unsigned char> data(plain.begin(), plain.begin() + static_cast<long>(length));
      rt::ArchiveXor(data.data(), data.size(), start, key.data());
      for (size_t i = 0; i < length; ++i) {
        ASSERT_EQ(data[i], plain[i] ^ key[(start + i) % 12]) << start << "+" << i;
      }
      rt::ArchiveXor(data.data(), data.size(), start, key.data());
      EXPECT_TRUE(std::equal(data.begin(), data.end(), plain.begin()));
    }
  }
}

}  // namespace
