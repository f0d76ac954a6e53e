// The decoders behind AcmCodec.
#include "runtime/sound/acm_codec.h"

#include <mpg123.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace rt {

namespace {

constexpr uint16_t kPcmBits = 16;
constexpr uint32_t kPcmSampleBytes = 2;

constexpr int kImaStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kImaIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kMsAdaptTable[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                   768, 614, 512, 409, 307, 230, 230, 230};
constexpr int kMsMinDelta = 16;
// Damaged data can keep raising the step; past this it would overflow.
constexpr int kMsMaxDelta = INT_MAX / 768;
constexpr int kImaHeaderBytes = 4;   // per channel: predictor, step index, reserved
constexpr int kMsHeaderBytes = 7;    // per channel: predictor index, delta, two samples
// The lowest MPEG bit rate, 8 kbit/s: a stated rate below it is not believed.
constexpr int64_t kLowestMpegBytesPerSecond = 1000;

int16_t Clamp16(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

void PutSample(uint8_t*& out, int16_t v) {
  WriteU16(out, static_cast<uint16_t>(v));
  out += kPcmSampleBytes;
}

// The bytes of a stored format behind its 18-byte record.
struct FormatExtra {
  const uint8_t* bytes = nullptr;
  uint32_t size = 0;
};

FormatExtra ExtraOf(const uint8_t* format, uint32_t size) {
  if (size <= kWaveFormatExSize) return {};
  const uint16_t declared = ReadU16(format + 16);
  return {format + kWaveFormatExSize, std::min<uint32_t>(declared, size - kWaveFormatExSize)};
}

// ---- ADPCM: fixed-size blocks, each decoding to the same number of samples -------------

class BlockCodec : public AcmCodec {
 public:
  BlockCodec(uint16_t channels, uint32_t blockAlign, uint32_t samplesPerBlock)
      : channels_(channels), blockAlign_(blockAlign), samplesPerBlock_(samplesPerBlock) {}

  int Convert(const uint8_t* src, uint32_t srcBytes, uint8_t* dst, uint32_t dstBytes,
              uint32_t* consumed, uint32_t* produced) override {
    const uint32_t outPerBlock = samplesPerBlock_ * channels_ * kPcmSampleBytes;
    const uint32_t blocks = std::min(srcBytes / blockAlign_, dstBytes / outPerBlock);
    for (uint32_t i = 0; i < blocks; ++i)
      DecodeBlock(src + size_t{i} * blockAlign_, dst + size_t{i} * outPerBlock);
    *consumed = blocks * blockAlign_;
    *produced = blocks * outPerBlock;
    return 0;
  }

 protected:
  virtual void DecodeBlock(const uint8_t* block, uint8_t* out) = 0;

  uint16_t channels_;
  uint32_t blockAlign_;
  uint32_t samplesPerBlock_;
};

class ImaAdpcmCodec final : public BlockCodec {
 public:
  using BlockCodec::BlockCodec;

  static uint32_t MaxSamplesPerBlock(uint16_t channels, uint32_t blockAlign) {
    return (blockAlign - kImaHeaderBytes * channels) * 2 / channels + 1;
  }

 private:
  void DecodeBlock(const uint8_t* block, uint8_t* out) override {
    int predictor[2], index[2];
    for (int c = 0; c < channels_; ++c) {
      const uint8_t* h = block + kImaHeaderBytes * c;
      predictor[c] = static_cast<int16_t>(ReadU16(h));
      index[c] = std::clamp<int>(h[2], 0, 88);
    }
    std::vector<int16_t>& pcm = scratch_;
    pcm.assign(size_t{samplesPerBlock_} * channels_, 0);
    for (int c = 0; c < channels_; ++c) pcm[c] = static_cast<int16_t>(predictor[c]);
    // After the headers, each channel in turn contributes 4 bytes (8 samples), low nibble
    // first.
    const uint8_t* data = block + kImaHeaderBytes * channels_;
    const uint32_t dataBytes = blockAlign_ - kImaHeaderBytes * channels_;
    const uint32_t groups = dataBytes / (4u * channels_);
    for (uint32_t g = 0; g < groups; ++g) {
      for (int c = 0; c < channels_; ++c) {
        const uint8_t* group = data + (size_t{g} * channels_ + c) * 4;
        for (int n = 0; n < 8; ++n) {
          const uint32_t sample = 1 + g * 8 + n;
          if (sample >= samplesPerBlock_) break;
          const int nibble = (group[n / 2] >> ((n & 1) * 4)) & 0xF;
          const int step = kImaStepTable[index[c]];
          int diff = step >> 3;
          if (nibble & 1) diff += step >> 2;
          if (nibble & 2) diff += step >> 1;
          if (nibble & 4) diff += step;
          predictor[c] = Clamp16(nibble & 8 ? predictor[c] - diff : predictor[c] + diff);
          index[c] = std::clamp(index[c] + kImaIndexTable[nibble], 0, 88);
          pcm[size_t{sample} * channels_ + c] = static_cast<int16_t>(predictor[c]);
        }
      }
    }
    for (int16_t v : pcm) PutSample(out, v);
  }

  std::vector<int16_t> scratch_;
};

class MsAdpcmCodec final : public BlockCodec {
 public:
  MsAdpcmCodec(uint16_t channels, uint32_t blockAlign, uint32_t samplesPerBlock,
               std::vector<int16_t> coefficients)
      : BlockCodec(channels, blockAlign, samplesPerBlock), coef_(std::move(coefficients)) {}

  static uint32_t MaxSamplesPerBlock(uint16_t channels, uint32_t blockAlign) {
    return (blockAlign - kMsHeaderBytes * channels) * 2 / channels + 2;
  }

 private:
  void DecodeBlock(const uint8_t* block, uint8_t* out) override {
    const size_t pairs = coef_.size() / 2;
    int c1[2], c2[2], delta[2], s1[2], s2[2];
    for (int c = 0; c < channels_; ++c) {
      const size_t predictor = std::min<size_t>(block[c], pairs - 1);
      c1[c] = coef_[2 * predictor];
      c2[c] = coef_[2 * predictor + 1];
      delta[c] = static_cast<int16_t>(ReadU16(block + channels_ + 2 * c));
      s1[c] = static_cast<int16_t>(ReadU16(block + 3 * channels_ + 2 * c));
      s2[c] = static_cast<int16_t>(ReadU16(block + 5 * channels_ + 2 * c));
    }
    for (int c = 0; c < channels_; ++c) PutSample(out, static_cast<int16_t>(s2[c]));
    for (int c = 0; c < channels_; ++c) PutSample(out, static_cast<int16_t>(s1[c]));
    // Nibbles follow high first, the channels alternating.
    const uint8_t* data = block + kMsHeaderBytes * channels_;
    const uint32_t nibbles = (samplesPerBlock_ - 2) * channels_;
    for (uint32_t i = 0; i < nibbles; ++i) {
      const int c = static_cast<int>(i % channels_);
      const int raw = (data[i / 2] >> ((i & 1) ? 0 : 4)) & 0xF;
      const int signedNibble = raw >= 8 ? raw - 16 : raw;
      const int predicted = (s1[c] * c1[c] + s2[c] * c2[c]) >> 8;
      const int16_t sample = Clamp16(predicted + signedNibble * delta[c]);
      s2[c] = s1[c];
      s1[c] = sample;
      delta[c] = std::clamp((kMsAdaptTable[raw] * delta[c]) >> 8, kMsMinDelta, kMsMaxDelta);
      PutSample(out, sample);
    }
  }

  std::vector<int16_t> coef_;
};

// ---- G.711 ------------------------------------------------------------------------------

int16_t DecodeALaw(uint8_t v) {
  v ^= 0x55;
  int t = (v & 0x0F) << 4;
  const int segment = (v & 0x70) >> 4;
  if (segment == 0) t += 8;
  else t = (t + 0x108) << (segment - 1);
  return static_cast<int16_t>((v & 0x80) ? t : -t);
}

int16_t DecodeMuLaw(uint8_t v) {
  v = static_cast<uint8_t>(~v);
  int t = ((v & 0x0F) << 3) + 0x84;
  t <<= (v & 0x70) >> 4;
  return static_cast<int16_t>((v & 0x80) ? 0x84 - t : t - 0x84);
}

class G711Codec final : public AcmCodec {
 public:
  explicit G711Codec(bool aLaw) : aLaw_(aLaw) {}
  int Convert(const uint8_t* src, uint32_t srcBytes, uint8_t* dst, uint32_t dstBytes,
              uint32_t* consumed, uint32_t* produced) override {
    const uint32_t n = std::min(srcBytes, dstBytes / kPcmSampleBytes);
    for (uint32_t i = 0; i < n; ++i) PutSample(dst, aLaw_ ? DecodeALaw(src[i]) : DecodeMuLaw(src[i]));
    *consumed = n;
    *produced = n * kPcmSampleBytes;
    return 0;
  }

 private:
  bool aLaw_;
};

// ---- MPEG audio -------------------------------------------------------------------------

void InitMpg123Once() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

class MpegCodec final : public AcmCodec {
 public:
  ~MpegCodec() override {
    if (handle_) mpg123_delete(handle_);
  }

  bool Open(const WaveFormatEx& pcm) {
    InitMpg123Once();
    handle_ = mpg123_new(nullptr, nullptr);
    if (!handle_) return false;
    // Every frame decodes, the information frame too, and nothing is trimmed: the output
    // is exactly frames x samples per frame, as the frame walk counted.
    mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_IGNORE_INFOFRAME, 0);
    mpg123_param(handle_, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
    mpg123_format_none(handle_);
    if (mpg123_format(handle_, long(pcm.samplesPerSec), pcm.channels == 1 ? MPG123_MONO : MPG123_STEREO,
                      MPG123_ENC_SIGNED_16) != MPG123_OK)
      return false;
    return mpg123_open_feed(handle_) == MPG123_OK;
  }

  int Convert(const uint8_t* src, uint32_t srcBytes, uint8_t* dst, uint32_t dstBytes,
              uint32_t* consumed, uint32_t* produced) override {
    *consumed = 0;
    *produced = 0;
    auto emit = [&](const uint8_t* bytes, size_t n) {
      const size_t room = std::min<size_t>(n, dstBytes - *produced);
      std::memcpy(dst + *produced, bytes, room);
      *produced += static_cast<uint32_t>(room);
      held_.insert(held_.end(), bytes + room, bytes + n);
    };
    // Output held back by an earlier call goes first; new source waits until it is out.
    if (heldOffset_ < held_.size()) {
      const size_t n = held_.size() - heldOffset_;
      const size_t room = std::min<size_t>(n, dstBytes);
      std::memcpy(dst, held_.data() + heldOffset_, room);
      *produced = static_cast<uint32_t>(room);
      heldOffset_ += room;
      if (heldOffset_ < held_.size()) return 0;
    }
    held_.clear();
    heldOffset_ = 0;
    if (srcBytes > 0) {
      if (mpg123_feed(handle_, src, srcBytes) != MPG123_OK) return -1;
      *consumed = srcBytes;
    }
    unsigned char chunk[8192];
    for (;;) {
      size_t done = 0;
      const int result = mpg123_read(handle_, chunk, sizeof chunk, &done);
      if (done > 0) emit(chunk, done);
      if (result == MPG123_OK || result == MPG123_NEW_FORMAT) continue;
      break;  // needs more source, finished, or a damaged stream: what came out stands
    }
    return 0;
  }

 private:
  mpg123_handle* handle_ = nullptr;
  std::vector<uint8_t> held_;
  size_t heldOffset_ = 0;
};

bool IsMpegTag(uint16_t tag) { return tag == kWaveFormatMpegLayer3 || tag == kWaveFormatMpeg; }

// Channels, rate and block size a decoder can work with.
bool PlausibleSource(const WaveFormatEx& f) {
  return (f.channels == 1 || f.channels == 2) && f.samplesPerSec >= platform::kFrequencyMin &&
         f.samplesPerSec <= platform::kFrequencyMax && f.blockAlign > 0;
}

}  // namespace

int AcmSuggestPcmFormat(const uint8_t* sourceFormat, uint32_t size, WaveFormatEx* pcm) {
  if (!sourceFormat || size < kPcmWaveFormatSize || !pcm) return -1;
  const WaveFormatEx f = ReadWaveFormat(sourceFormat, size);
  if (!PlausibleSource(f)) return -1;
  switch (f.formatTag) {
    case kWaveFormatImaAdpcm:
      if (f.blockAlign <= kImaHeaderBytes * f.channels) return -1;
      break;
    case kWaveFormatAdpcm:
      if (f.blockAlign <= kMsHeaderBytes * f.channels) return -1;
      break;
    case kWaveFormatALaw:
    case kWaveFormatMuLaw:
    case kWaveFormatMpeg:
    case kWaveFormatMpegLayer3:
      break;
    default:
      return -1;
  }
  *pcm = platform::MakePcmFormat(f.channels, f.samplesPerSec, kPcmBits);
  return 0;
}

namespace {

// Samples per block of the ADPCM formats, 0 when the format cannot be decoded.
uint32_t AdpcmSamplesPerBlock(const WaveFormatEx& f, const FormatExtra& extra) {
  if (f.formatTag == kWaveFormatImaAdpcm) {
    const uint32_t most = ImaAdpcmCodec::MaxSamplesPerBlock(f.channels, f.blockAlign);
    const uint32_t samples = extra.size >= 2 ? ReadU16(extra.bytes) : most;
    return samples == 0 || samples > most ? most : samples;
  }
  if (extra.size < 4) return 0;
  const uint32_t samples = ReadU16(extra.bytes);
  const bool fits = samples >= 2 && samples <= MsAdpcmCodec::MaxSamplesPerBlock(f.channels, f.blockAlign);
  return fits ? samples : 0;
}

}  // namespace

int64_t AcmEstimateOutputSize(const uint8_t* sourceFormat, uint32_t size, uint32_t sourceBytes) {
  WaveFormatEx pcm;
  if (AcmSuggestPcmFormat(sourceFormat, size, &pcm) != 0) return 0;
  const WaveFormatEx f = ReadWaveFormat(sourceFormat, size);
  const int64_t frameBytes = pcm.blockAlign;
  switch (f.formatTag) {
    case kWaveFormatImaAdpcm:
    case kWaveFormatAdpcm:
      return int64_t{sourceBytes / f.blockAlign} *
             AdpcmSamplesPerBlock(f, ExtraOf(sourceFormat, size)) * frameBytes;
    case kWaveFormatALaw:
    case kWaveFormatMuLaw:
      return int64_t{sourceBytes} * kPcmSampleBytes;
    default: {
      // Twice what the stated bit rate gives, and a second more.
      const int64_t sourceRate = std::max<int64_t>(f.avgBytesPerSec, kLowestMpegBytesPerSecond);
      const int64_t estimate = int64_t{sourceBytes} * pcm.avgBytesPerSec / sourceRate * 2 + pcm.avgBytesPerSec;
      return std::min<int64_t>(estimate, INT32_MAX / 2);
    }
  }
}

AcmCodec* AcmOpen(const uint8_t* sourceFormat, uint32_t size, const WaveFormatEx& pcm) {
  WaveFormatEx suggested;
  if (AcmSuggestPcmFormat(sourceFormat, size, &suggested) != 0 || !(suggested == pcm))
    return nullptr;
  const WaveFormatEx f = ReadWaveFormat(sourceFormat, size);
  const FormatExtra extra = ExtraOf(sourceFormat, size);
  switch (f.formatTag) {
    case kWaveFormatImaAdpcm:
      return new (std::nothrow) ImaAdpcmCodec(f.channels, f.blockAlign, AdpcmSamplesPerBlock(f, extra));
    case kWaveFormatAdpcm: {
      const uint32_t samples = AdpcmSamplesPerBlock(f, extra);
      if (samples == 0) return nullptr;
      const uint32_t pairs = std::min<uint32_t>(ReadU16(extra.bytes + 2), (extra.size - 4) / 4);
      if (pairs == 0) return nullptr;
      std::vector<int16_t> coefficients(size_t{pairs} * 2);
      for (size_t i = 0; i < coefficients.size(); ++i)
        coefficients[i] = static_cast<int16_t>(ReadU16(extra.bytes + 4 + 2 * i));
      return new (std::nothrow) MsAdpcmCodec(f.channels, f.blockAlign, samples, std::move(coefficients));
    }
    case kWaveFormatALaw:
    case kWaveFormatMuLaw:
      return new (std::nothrow) G711Codec(f.formatTag == kWaveFormatALaw);
    default:
      if (IsMpegTag(f.formatTag)) {
        auto* codec = new (std::nothrow) MpegCodec;
        if (codec && codec->Open(pcm)) return codec;
        delete codec;
      }
      return nullptr;
  }
}

void AcmClose(AcmCodec* codec) { delete codec; }

}  // namespace rt
