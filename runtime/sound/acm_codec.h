// Decoders of compressed wave formats into 16-bit PCM, standing in for a system codec
// manager: IMA and Microsoft ADPCM, A-law and mu-law, and MPEG audio (through libmpg123).
#pragma once
#include <cstdint>

#include "runtime/sound/wave_format.h"

namespace rt {

// One conversion stream from a compressed format to PCM.
class AcmCodec {
 public:
  virtual ~AcmCodec() = default;
  // Converts source bytes into dst. Block formats consume only whole source blocks whose
  // output fits; a call with no source hands out what the codec still holds. Returns 0, or
  // -1 when the source cannot be decoded.
  virtual int Convert(const uint8_t* src, uint32_t srcBytes, uint8_t* dst, uint32_t dstBytes,
                      uint32_t* consumed, uint32_t* produced) = 0;
};

// The PCM format a source format decodes to (a stored fmt record of size bytes); -1 when
// no decoder takes it.
int AcmSuggestPcmFormat(const uint8_t* sourceFormat, uint32_t size, WaveFormatEx* pcm);
// The PCM bytes that sourceBytes of compressed data decode to, or a generous bound where
// the source's rate varies (MPEG).
int64_t AcmEstimateOutputSize(const uint8_t* sourceFormat, uint32_t size, uint32_t sourceBytes);
// A new stream, or null.
AcmCodec* AcmOpen(const uint8_t* sourceFormat, uint32_t size, const WaveFormatEx& pcm);
void AcmClose(AcmCodec* codec);

}  // namespace rt
