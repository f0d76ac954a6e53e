#include "tools/archive/lz_encode.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "runtime/file/archive_format.h"

namespace archive_tool {

namespace {

constexpr int kHashBits = 16;
constexpr size_t kWindowBits = 20;  // positions remembered for the chains
constexpr size_t kWindowSize = size_t{1} << kWindowBits;
constexpr int kChainDepth = 32;
constexpr uint32_t kNoPosition = 0xFFFFFFFF;

uint32_t Hash4(const unsigned char* p) {
  uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  return (v * 2654435761u) >> (32 - kHashBits);
}

// The byte value that occurs least, so that literal marker bytes (which cost two) are rare.
unsigned char ChooseMarker(const unsigned char* data, size_t size) {
  std::array<size_t, 256> counts{};
  for (size_t i = 0; i < size; ++i) ++counts[data[i]];
  return static_cast<unsigned char>(std::min_element(counts.begin(), counts.end()) - counts.begin());
}

int DistanceKind(size_t distance) {
  for (int kind = 0; kind < 3; ++kind) {
    if (distance <= rt::kLzMaxDistance[kind]) return kind;
  }
  return -1;
}

// Bytes a match code takes: marker, code byte, optional length byte, distance field.
size_t MatchCost(size_t length, int kind) {
  return 2 + (length - rt::kLzMinMatch >= 32 ? 1 : 0) + static_cast<size_t>(kind) + 1;
}

class Encoder {
 public:
  Encoder(const unsigned char* data, size_t size)
      : data_(data), size_(size), head_(size_t{1} << kHashBits, kNoPosition),
        chain_(std::min(kWindowSize, std::max<size_t>(size, 1)), kNoPosition) {}

  std::string Run() {
    out_.assign(rt::kLzHeaderSize, '\0');
    marker_ = ChooseMarker(data_, size_);
    size_t i = 0;
    while (i < size_) {
      size_t length = 0;
      size_t distance = 0;
      FindMatch(i, &length, &distance);
      if (length > 0) {
        EmitMatch(length, distance);
        for (size_t k = 0; k < length; ++k) Insert(i + k);
        i += length;
      } else {
        EmitLiteral(data_[i]);
        Insert(i);
        ++i;
      }
    }
    unsigned char* header = reinterpret_cast<unsigned char*>(out_.data());
    rt::PutLe32(header, static_cast<uint32_t>(size_));
    rt::PutLe32(header + 4, static_cast<uint32_t>(out_.size()));
    header[8] = marker_;
    return std::move(out_);
  }

 private:
  void Insert(size_t position) {
    if (position + rt::kLzMinMatch > size_) return;
    const uint32_t h = Hash4(data_ + position);
    chain_[position % chain_.size()] = head_[h];
    head_[h] = static_cast<uint32_t>(position);
  }

  void FindMatch(size_t position, size_t* bestLength, size_t* bestDistance) {
    *bestLength = 0;
    if (position + rt::kLzMinMatch > size_) return;
    const size_t limit = std::min(rt::kLzMaxMatch, size_ - position);
    size_t bestGain = 0;
    uint32_t candidate = head_[Hash4(data_ + position)];
    for (int depth = 0; depth < kChainDepth && candidate != kNoPosition; ++depth) {
      const size_t distance = position - candidate;
      if (distance > chain_.size() || distance > rt::kLzMaxDistance[2]) break;
      size_t length = 0;
      while (length < limit && data_[candidate + length] == data_[position + length]) ++length;
      if (length >= rt::kLzMinMatch) {
        const size_t cost = MatchCost(length, DistanceKind(distance));
        if (length > cost && length - cost > bestGain) {
          bestGain = length - cost;
          *bestLength = length;
          *bestDistance = distance;
          if (length == limit) break;
        }
      }
      const uint32_t next = chain_[candidate % chain_.size()];
      if (next != kNoPosition && next >= candidate) break;  // the slot was reused
      candidate = next;
    }
  }

  void EmitLiteral(unsigned char b) {
    out_ += static_cast<char>(b);
    if (b == marker_) out_ += static_cast<char>(b);
  }

  void EmitMatch(size_t length, size_t distance) {
    const size_t extra = length - rt::kLzMinMatch;
    const int kind = DistanceKind(distance);
    unsigned int code = static_cast<unsigned int>(((extra & 31) << 3) | (extra >= 32 ? 4 : 0) |
                                                  static_cast<unsigned int>(kind));
    // The decoder subtracts one from code bytes above the marker, so the marker itself
    // never appears as a code byte.
    if (code >= marker_) ++code;
    out_ += static_cast<char>(marker_);
    out_ += static_cast<char>(code);
    if (extra >= 32) out_ += static_cast<char>(extra >> 5);
    const size_t field = distance - 1;
    for (int k = 0; k <= kind; ++k) out_ += static_cast<char>((field >> (8 * k)) & 0xFF);
  }

  const unsigned char* data_;
  size_t size_;
  unsigned char marker_ = 0;
  std::vector<uint32_t> head_;
  std::vector<uint32_t> chain_;
  std::string out_;
};

}  // namespace

std::string LzEncode(const unsigned char* data, size_t size) { return Encoder(data, size).Run(); }

}  // namespace archive_tool
