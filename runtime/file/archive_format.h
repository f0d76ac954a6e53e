// The byte layout of an archive file, shared by the reader and the archive writer. Every
// integer is little-endian and read or written explicitly.
#pragma once
#include <cstddef>
#include <cstdint>

namespace rt {

constexpr uint16_t kArchiveMagic = 0x5844;  // bytes 0x44 0x58
// Versions from this one on are refused.
constexpr uint16_t kArchiveVersionLimit = 4;
// From this version on every file entry carries its compressed size.
constexpr uint16_t kArchiveVersionCompressed = 2;

constexpr size_t kArchiveHeaderSize = 24;
constexpr size_t kArchiveFileEntrySizeV1 = 40;
constexpr size_t kArchiveFileEntrySizeV2 = 44;
constexpr size_t kArchiveDirRecordSize = 16;
constexpr size_t kArchiveNameEntryHeaderSize = 4;

// Header field offsets.
constexpr size_t kHeaderMagic = 0;
constexpr size_t kHeaderVersion = 2;
constexpr size_t kHeaderInfoSize = 4;
constexpr size_t kHeaderDataStart = 8;
constexpr size_t kHeaderInfoOffset = 12;
constexpr size_t kHeaderFileTable = 16;
constexpr size_t kHeaderDirTable = 20;

// File-table entry field offsets.
constexpr size_t kEntryName = 0;
constexpr size_t kEntryAttributes = 4;
constexpr size_t kEntryCreationTime = 8;
constexpr size_t kEntryLastAccessTime = 16;
constexpr size_t kEntryLastWriteTime = 24;
constexpr size_t kEntryDataOffset = 32;  // directories: their record in the directory table
constexpr size_t kEntryDataSize = 36;
constexpr size_t kEntryCompressedSize = 40;

// Directory-record field offsets.
constexpr size_t kDirOwnEntry = 0;
constexpr size_t kDirParent = 4;
constexpr size_t kDirEntryCount = 8;
constexpr size_t kDirFirstEntry = 12;

constexpr uint32_t kArchiveAttrDirectory = 0x10;
constexpr uint32_t kArchiveStored = 0xFFFFFFFF;    // compressed size of an uncompressed file
constexpr uint32_t kArchiveNoParent = 0xFFFFFFFF;  // parent of the root record

// LZ stream header: decoded size, encoded size (header included), marker byte.
constexpr size_t kLzHeaderSize = 9;
constexpr size_t kLzMinMatch = 4;
constexpr size_t kLzMaxMatch = kLzMinMatch + (31 | (255 << 5));
// Most decoded bytes one encoded byte can stand for (a 4-byte code of the longest match);
// a stream claiming more than this is corrupt.
constexpr uint64_t kLzMaxExpansion = (kLzMaxMatch + 3) / 4;
// Largest distance each distance-field kind (1, 2 or 3 bytes) can express.
constexpr uint32_t kLzMaxDistance[3] = {0x100, 0x10000, 0x1000000};

// Room for one upper-cased name, NUL padding included.
constexpr size_t kArchiveSearchKeySize = 1024;

inline uint16_t GetLe16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t GetLe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t GetLe64(const unsigned char* p) {
  return static_cast<uint64_t>(GetLe32(p)) | (static_cast<uint64_t>(GetLe32(p + 4)) << 32);
}
inline void PutLe16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void PutLe32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void PutLe64(unsigned char* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The lookup form of one name: upper-cased (ASCII letters only, Shift-JIS pairs kept),
// NUL-padded to whole 4-byte units, with the 16-bit sum of its bytes.
struct ArchiveSearchKey {
  unsigned char name[kArchiveSearchKeySize];
  uint16_t check;
  uint16_t units;  // length in 4-byte units, at least one NUL included
};

// Builds the key of text up to its first separator ('\\' or '/', never the trail byte of a
// double-byte character) or NUL. consumed receives the bytes of the name. -1 when the name
// does not fit the key.
int MakeArchiveSearchKey(const char* text, ArchiveSearchKey* key, size_t* consumed);

// 1 when p starts a Shift-JIS pair whose trail byte is present.
inline bool IsSjisPair(const char* p) {
  unsigned char c = static_cast<unsigned char>(p[0]);
  return ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && p[1] != '\0';
}

}  // namespace rt
