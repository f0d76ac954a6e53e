// Conversion of WAV, compressed WAV, MP3 and Ogg Vorbis files to PCM.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/file/stream.h"
#include "runtime/sound/sound_converter.h"
#include "tests/runtime/sound/compressed_wav_fixtures.h"
#include "tests/runtime/sound/sound_test_util.h"

namespace {

using testing_support::PcmFmtBody;
using testing_support::RiffImage;
using testing_support::SampleBytes;
using testing_support::SineTone;

// A converter open over a file image in memory.
class Converter {
 public:
  explicit Converter(std::string image) : image_(std::move(image)) {
    stream_ = rt::MemStreamOpen(image_.data(), int32_t(image_.size()));
    opened_ = rt::SoundConverterOpen(rt::GetMemoryStreamAccess(), rt::MemStreamHandle(stream_), &c_) == 0;
  }
  ~Converter() {
    if (opened_) rt::SoundConverterClose(&c_);
    rt::MemStreamClose(stream_);
  }
  bool opened() const { return opened_; }
  rt::SoundConverter& get() { return c_; }
  const rt::WaveFormatEx& format() const { return c_.outFormat; }

  std::vector<int16_t> ConvertAll() {
    rt::WaveFormatEx format;
    uint8_t* data = nullptr;
    int32_t size = 0;
    EXPECT_EQ(rt::SoundConverterConvertAll(&c_, &format, &data, &size), 0);
    std::vector<int16_t> out = testing_support::BytesToSamples(data, size_t(size));
    rt::MemFree(data);
    return out;
  }
  std::vector<int16_t> Read(int bytes) {
    std::vector<uint8_t> buffer(static_cast<size_t>(bytes));
    const int got = rt::SoundConverterRead(&c_, buffer.data(), bytes);
    return testing_support::BytesToSamples(buffer.data(), size_t(std::max(got, 0)));
  }

 private:
  std::string image_;
  rt::MemStream* stream_ = nullptr;
  rt::SoundConverter c_;
  bool opened_ = false;
};

std::string Bytes(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

double RmsDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b, size_t n) {
  double sum = 0;
  for (size_t i = 0; i < n; ++i) sum += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
  return std::sqrt(sum / double(n)) / 32768.0;
}

TEST(SoundConverter, WaveLayouts) {
  const std::vector<int16_t> tone = SineTone(2, 22050, 0.01, 1000);
  const std::string data = SampleBytes(tone);
  std::string fmtWrongBits = PcmFmtBody(2, 22050, 16);
  fmtWrongBits[14] = 0;  // bits per sample 0: recomputed from the block align of a 16-byte fmt
  struct Case {
    const char* name;
    std::string image;
    bool opens;
    uint16_t bits;
    size_t samples;
  };
  const Case cases[] = {
      {"plain", RiffImage({{"fmt ", PcmFmtBody(2, 22050, 16)}, {"data", data}}), true, 16, tone.size()},
      {"18-byte fmt", RiffImage({{"fmt ", PcmFmtBody(2, 22050, 16, true)}, {"data", data}}), true, 16, tone.size()},
      {"odd chunk before data",
       RiffImage({{"fmt ", PcmFmtBody(2, 22050, 16)}, {"LIST", "INFOabc"}, {"data", data}}), true, 16, tone.size()},
      {"16-byte fmt with no bit count", RiffImage({{"fmt ", fmtWrongBits}, {"data", data}}), true, 16, tone.size()},
      {"8-bit", RiffImage({{"fmt ", PcmFmtBody(1, 8000, 8)}, {"data", std::string(100, '\x80')}}), true, 8, 50},
      {"fmt not first", RiffImage({{"LIST", "INFO"}, {"fmt ", PcmFmtBody(2, 22050, 16)}, {"data", data}}), false, 0, 0},
      {"no data chunk", RiffImage({{"fmt ", PcmFmtBody(2, 22050, 16)}, {"LIST", "INFOabcd"}}), false, 0, 0},
      {"24-bit", RiffImage({{"fmt ", PcmFmtBody(2, 22050, 24)}, {"data", std::string(60, '\0')}}), false, 0, 0},
      {"six channels", RiffImage({{"fmt ", PcmFmtBody(6, 22050, 16)}, {"data", std::string(60, '\0')}}), false, 0, 0},
      {"header only", "RIFF", false, 0, 0},
      {"empty", "", false, 0, 0},
  };
  for (const Case& c : cases) {
    Converter conv(c.image);
    ASSERT_EQ(conv.opened(), c.opens) << c.name;
    if (!c.opens) continue;
    EXPECT_EQ(conv.format().bitsPerSample, c.bits) << c.name;
    EXPECT_EQ(conv.format().extraSize, 0) << c.name;
    EXPECT_EQ(conv.ConvertAll().size(), c.samples) << c.name;
  }
}

TEST(SoundConverter, DataChunkLongerThanTheFileEndsWithTheFile) {
  const std::vector<int16_t> tone = SineTone(1, 22050, 0.01, 1000);
  std::string image = RiffImage({{"fmt ", PcmFmtBody(1, 22050, 16)}, {"data", SampleBytes(tone)}});
  const uint32_t claimed = 0x7FFFFFF0;  // a streaming writer's placeholder
  std::memcpy(&image[image.size() - tone.size() * 2 - 4], &claimed, 4);
  Converter conv(image);
  ASSERT_TRUE(conv.opened());
  EXPECT_EQ(conv.ConvertAll(), tone);
}

TEST(SoundConverter, CompressedWaveForms) {
  const std::vector<int16_t> tone = SineTone(1, 8000, 0.05, 440);
  struct Case {
    const char* name;
    std::string image;
    size_t minSamples;
    double tolerance;  // RMS difference from the tone, as a fraction of full scale
  };
  const Case cases[] = {
      {"MS ADPCM", Bytes(sound_test::kMsAdpcmWav, sizeof sound_test::kMsAdpcmWav), 400, 0.02},
      {"IMA ADPCM", Bytes(sound_test::kImaAdpcmWav, sizeof sound_test::kImaAdpcmWav), 400, 0.02},
      {"A-law", Bytes(sound_test::kALawWav, sizeof sound_test::kALawWav), 400, 0.01},
      {"mu-law", Bytes(sound_test::kMuLawWav, sizeof sound_test::kMuLawWav), 400, 0.01},
  };
  for (const Case& c : cases) {
    Converter conv(c.image);
    ASSERT_TRUE(conv.opened()) << c.name;
    EXPECT_EQ(conv.get().kind, rt::kConverterAcm) << c.name;
    EXPECT_EQ(conv.format().bitsPerSample, 16) << c.name;
    EXPECT_EQ(conv.format().samplesPerSec, 8000u) << c.name;
    const std::vector<int16_t> pcm = conv.ConvertAll();
    ASSERT_GE(pcm.size(), c.minSamples) << c.name;
    EXPECT_LT(RmsDifference(pcm, tone, 400), c.tolerance) << c.name;
  }
}

void PutU16(std::string& s, uint32_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char((v >> 8) & 0xFF));
}

// A mono compressed fmt body: tag, 8 kHz, the block size, 4 bits, then the extra bytes.
std::string CompressedFmt(uint16_t tag, uint16_t blockAlign, const std::string& extra) {
  std::string f;
  PutU16(f, tag);
  PutU16(f, 1);
  PutU16(f, 8000);
  PutU16(f, 0);
  PutU16(f, 4000);
  PutU16(f, 0);
  PutU16(f, blockAlign);
  PutU16(f, 4);
  PutU16(f, uint32_t(extra.size()));
  return f + extra;
}

TEST(SoundConverter, AdpcmBlocksLargerThanAConversionStep) {
  // One IMA block of 4096 bytes: predictor 1000, step index 0 and zero nibbles, which keep
  // the predictor where it is.
  std::string block(4096, '\0');
  block[0] = char(1000 & 0xFF);
  block[1] = char(1000 >> 8);
  std::string extra;
  PutU16(extra, 8185);
  Converter conv(RiffImage({{"fmt ", CompressedFmt(0x11, 4096, extra)}, {"data", block}}));
  ASSERT_TRUE(conv.opened());
  EXPECT_EQ(conv.ConvertAll(), std::vector<int16_t>(8185, 1000));
}

TEST(SoundConverter, DamagedAdpcmStepsStayInRange) {
  // An MS ADPCM block starting from the largest step, with nibbles that keep raising it.
  std::string extra;
  PutU16(extra, 500);
  PutU16(extra, 7);
  for (int c : {256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232}) PutU16(extra, uint32_t(c));
  std::string block = std::string(1, '\0');  // predictor 0
  PutU16(block, 0x7FFF);                       // step
  PutU16(block, 0);                            // the two first samples
  PutU16(block, 0);
  block += std::string(256 - block.size(), '\x77');
  Converter conv(RiffImage({{"fmt ", CompressedFmt(0x02, 256, extra)}, {"data", block}}));
  ASSERT_TRUE(conv.opened());
  EXPECT_EQ(conv.ConvertAll().size(), 500u);
}

TEST(SoundConverter, MpegFrameHeaders) {
  struct Case {
    const char* name;
    uint8_t header[4];
    int result;
    int layer, version, channels;
    uint32_t rate, bitrate, length, samples;
  };
  const Case cases[] = {
      {"MPEG-1 Layer III", {0xFF, 0xFB, 0x90, 0x00}, 0, 2, 0, 2, 44100, 128, 417, 1152},
      {"with padding", {0xFF, 0xFB, 0x92, 0x00}, 0, 2, 0, 2, 44100, 128, 418, 1152},
      {"mono", {0xFF, 0xFB, 0x90, 0xC0}, 0, 2, 0, 1, 44100, 128, 417, 1152},
      {"MPEG-2 Layer III", {0xFF, 0xF3, 0x90, 0x00}, 0, 2, 1, 2, 22050, 80, 261, 576},
      {"MPEG-2 Layer II", {0xFF, 0xF5, 0x90, 0x00}, 0, 1, 1, 2, 22050, 80, 522, 1152},
      {"MPEG-1 Layer II", {0xFF, 0xFD, 0x94, 0x00}, 0, 1, 0, 2, 48000, 160, 480, 1152},
      {"MPEG-1 Layer I", {0xFF, 0xFF, 0x90, 0x00}, 0, 0, 0, 2, 44100, 288, 312, 384},
      {"free format", {0xFF, 0xFB, 0x00, 0x00}, -1, 0, 0, 0, 0, 0, 0, 0},
      {"bad bitrate", {0xFF, 0xFB, 0xF0, 0x00}, -1, 0, 0, 0, 0, 0, 0, 0},
      {"reserved rate", {0xFF, 0xFB, 0x9C, 0x00}, -1, 0, 0, 0, 0, 0, 0, 0},
      {"reserved layer", {0xFF, 0xF9, 0x90, 0x00}, -1, 0, 0, 0, 0, 0, 0, 0},
      {"MPEG 2.5 sync", {0xFF, 0xE3, 0x90, 0x00}, -2, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    rt::MpegFrameInfo info;
    ASSERT_EQ(rt::ParseMpegFrameHeader(c.header, &info), c.result) << c.name;
    if (c.result != 0) continue;
    EXPECT_EQ(info.layer, c.layer) << c.name;
    EXPECT_EQ(info.version, c.version) << c.name;
    EXPECT_EQ(info.channels, c.channels) << c.name;
    EXPECT_EQ(info.sampleRate, c.rate) << c.name;
    EXPECT_EQ(info.bitrate, c.bitrate) << c.name;
    EXPECT_EQ(info.frameLength, c.length) << c.name;
    EXPECT_EQ(info.samplesPerFrame, c.samples) << c.name;
  }
}

// An ID3v2 tag whose body is full of false frame syncs.
std::string Id3v2(int major, bool footer) {
  constexpr int kBody = 300;
  std::string tag = "ID3";
  tag += char(major);
  tag += '\0';
  tag += char(footer ? 0x10 : 0);
  tag += std::string{'\0', '\0', char(kBody / 128), char(kBody % 128)};
  for (int i = 0; i < kBody / 4; ++i) tag += std::string("\xFF\xFB\x90\x00", 4);
  if (footer) tag += std::string("3DI") + tag.substr(3, 7);
  return tag;
}

TEST(SoundConverter, Mp3SkipsTagsAtBothEnds) {
  const std::vector<int16_t> tone = SineTone(2, 44100, 0.5, 440);
  const sound_test::Mp3 mp3 = sound_test::EncodeMp3(tone, 2, 44100, 128);
  ASSERT_GT(mp3.frames, 0);
  std::string trailer = "TAG";
  while (trailer.size() < 128) trailer += std::string("\xFF\xFB\x90\x00", 4);
  trailer.resize(128);
  struct Case {
    const char* name;
    std::string image;
  };
  const Case cases[] = {
      {"bare", mp3.bytes},
      {"ID3v2.3 and TAG", Id3v2(3, false) + mp3.bytes + trailer},
      {"ID3v2.4 with footer", Id3v2(4, true) + mp3.bytes},
  };
  for (const Case& c : cases) {
    Converter conv(c.image);
    ASSERT_TRUE(conv.opened()) << c.name;
    EXPECT_EQ(conv.format().channels, 2) << c.name;
    EXPECT_EQ(conv.format().samplesPerSec, 44100u) << c.name;
    EXPECT_EQ(rt::SoundConverterGetSize(&conv.get()), int64_t(mp3.frames) * 1152 * 4) << c.name;
    const std::vector<int16_t> pcm = conv.ConvertAll();
    EXPECT_EQ(pcm.size(), size_t(mp3.frames) * 1152 * 2) << c.name;
    EXPECT_NEAR(sound_test::Rms(pcm, 4096, tone.size()), sound_test::Rms(tone, 0, tone.size()), 0.05)
        << c.name;
  }
}

TEST(SoundConverter, Mpeg2Layer3FramesHoldHalfAsManySamples) {
  const std::vector<int16_t> tone = SineTone(1, 22050, 0.5, 440);
  const sound_test::Mp3 mp3 = sound_test::EncodeMp3(tone, 1, 22050, 64);
  Converter conv(mp3.bytes);
  ASSERT_TRUE(conv.opened());
  EXPECT_EQ(conv.format().channels, 1);
  EXPECT_EQ(rt::SoundConverterGetSize(&conv.get()), int64_t(mp3.frames) * 576 * 2);
  EXPECT_EQ(conv.ConvertAll().size(), size_t(mp3.frames) * 576);
}

TEST(SoundConverter, OggVorbisConvertsWholeWithOneSecondToSpare) {
  const std::vector<int16_t> tone = SineTone(2, 44100, 1.0, 440);
  Converter conv(sound_test::EncodeOgg(tone, 2, 44100));
  ASSERT_TRUE(conv.opened());
  EXPECT_EQ(conv.get().kind, rt::kConverterOggVorbis);
  EXPECT_EQ(conv.format(), platform::MakePcmFormat(2, 44100, 16));
  EXPECT_EQ(rt::SoundConverterGetSize(&conv.get()), (44100 + 44100) * 4);
  const std::vector<int16_t> pcm = conv.ConvertAll();
  EXPECT_EQ(pcm.size(), tone.size());
  EXPECT_NEAR(sound_test::Rms(pcm, 0, pcm.size()), sound_test::Rms(tone, 0, tone.size()), 0.02);
}

TEST(SoundConverter, DamagedOggPageIsSteppedOver) {
  // Noise makes pages enough that one of them can be lost.
  std::vector<int16_t> tone = SineTone(1, 22050, 3.0, 440);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = int16_t(tone[i] + int(i * 7919u % 2000) - 1000);
  std::string ogg = sound_test::EncodeOgg(tone, 1, 22050);
  // Spoil a byte in the middle of the stream: that page fails its checksum and the decoder
  // reports a hole there.
  ogg[ogg.size() / 2] ^= 0x5A;
  Converter conv(ogg);
  ASSERT_TRUE(conv.opened());
  const std::vector<int16_t> pcm = conv.ConvertAll();
  EXPECT_GT(pcm.size(), tone.size() / 2);
  EXPECT_LE(pcm.size(), tone.size());
}

TEST(SoundConverter, SeeksBySampleAndIgnoresTinyMoves) {
  const std::vector<int16_t> ramp = testing_support::Sawtooth(1, 4000, 4000);
  Converter conv(testing_support::PcmWav(ramp, 1, 22050));
  ASSERT_TRUE(conv.opened());
  EXPECT_EQ(conv.Read(200)[0], ramp[0]);  // now at byte 200 (sample 100)
  rt::SoundConverterSeek(&conv.get(), 104);  // 8 bytes away: not worth a seek
  EXPECT_EQ(conv.Read(2)[0], ramp[100]);
  rt::SoundConverterSeek(&conv.get(), 20);
  EXPECT_EQ(conv.Read(2)[0], ramp[20]);
  rt::SoundConverterSeek(&conv.get(), 3000);
  EXPECT_EQ(conv.Read(2)[0], ramp[3000]);
}

TEST(SoundConverter, CompressedSourcesSeekBackByStartingAgain) {
  Converter conv(Bytes(sound_test::kImaAdpcmWav, sizeof sound_test::kImaAdpcmWav));
  ASSERT_TRUE(conv.opened());
  const std::vector<int16_t> first = conv.Read(600);
  rt::SoundConverterSeek(&conv.get(), 0);
  EXPECT_EQ(conv.Read(600), first);
  rt::SoundConverterSeek(&conv.get(), 100);
  const std::vector<int16_t> later = conv.Read(20);
  ASSERT_EQ(later.size(), 10u);
  EXPECT_EQ(later[0], first[100]);
}

TEST(SoundConverter, OggSeeksToTheSample) {
  const std::vector<int16_t> tone = SineTone(2, 44100, 0.5, 440);
  Converter conv(sound_test::EncodeOgg(tone, 2, 44100));
  ASSERT_TRUE(conv.opened());
  const std::vector<int16_t> all = conv.ConvertAll();
  rt::SoundConverterSeek(&conv.get(), 10000);
  const std::vector<int16_t> part = conv.Read(400);
  ASSERT_EQ(part.size(), 200u);
  EXPECT_TRUE(std::equal(part.begin(), part.end(), all.begin() + 20000));
}

TEST(SoundConverter, BuildsAWaveImageThatReadsBack) {
  const std::vector<int16_t> tone = SineTone(2, 11025, 0.02, 500);
  const std::string pcm = SampleBytes(tone);
  uint8_t* image = nullptr;
  int32_t size = 0;
  ASSERT_EQ(rt::BuildWaveImage(&image, &size, platform::MakePcmFormat(2, 11025, 16), 18, pcm.data(),
                               int32_t(pcm.size())),
            0);
  EXPECT_EQ(size, int32_t(28 + 18 + pcm.size()));
  Converter conv(Bytes(image, size_t(size)));
  rt::MemFree(image);
  ASSERT_TRUE(conv.opened());
  EXPECT_EQ(conv.ConvertAll(), tone);
}

}  // namespace
