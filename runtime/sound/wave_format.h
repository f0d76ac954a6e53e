// The wave format record as files store it: 18 little-endian bytes (tag, channels, rate,
// bytes per second, block align, bits per sample, extra size).
#pragma once
#include <cstdint>

#include "platform/audio.h"

namespace rt {

using WaveFormatEx = platform::PcmFormat;

constexpr uint32_t kWaveFormatExSize = 18;
// A PCM fmt chunk without the extra-size word.
constexpr uint32_t kPcmWaveFormatSize = 16;

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatAdpcm = 0x0002;
constexpr uint16_t kWaveFormatALaw = 0x0006;
constexpr uint16_t kWaveFormatMuLaw = 0x0007;
constexpr uint16_t kWaveFormatImaAdpcm = 0x0011;
constexpr uint16_t kWaveFormatMpeg = 0x0050;
constexpr uint16_t kWaveFormatMpegLayer3 = 0x0055;

inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t ReadU32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline void WriteU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteU32(uint8_t* p, uint32_t v) {
  WriteU16(p, static_cast<uint16_t>(v));
  WriteU16(p + 2, static_cast<uint16_t>(v >> 16));
}

// Reads the first min(size, 18) bytes of a stored record onto a zeroed format.
WaveFormatEx ReadWaveFormat(const uint8_t* bytes, uint32_t size);
// Writes the 18-byte record.
void WriteWaveFormat(uint8_t* bytes, const WaveFormatEx& format);

}  // namespace rt
