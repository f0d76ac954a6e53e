// SoundConverter: WAV (PCM and compressed), Ogg Vorbis and MP3 to PCM.
#include "runtime/sound/sound_converter.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/sound/acm_codec.h"

namespace rt {

namespace {

constexpr uint32_t kAcmSourceStep = 2048;
constexpr uint32_t kOggWorkSize = 4096;
// Seeks closer than this to the current output position are not worth a seek.
constexpr int64_t kSeekTolerance = 16;
// Converting an Ogg Vorbis file whole allocates this many samples beyond its length.
constexpr int64_t kOggSizeMargin = 44100;
// Gaps reported by the Ogg decoder in a row before the data counts as ended.
constexpr int kOggHoleRetries = 64;

constexpr uint32_t kId3HeaderSize = 10;
constexpr uint32_t kId3FooterSize = 10;
constexpr uint8_t kId3FooterFlag = 0x10;
constexpr int64_t kId3v1TagSize = 128;
// The MP3 source format: a wave format record with the codec's twelve bytes behind it.
constexpr uint32_t kMp3FormatSize = 30;
constexpr uint16_t kMp3FormatExtra = 12;
constexpr uint16_t kMp3IdMpeg = 1;
constexpr uint16_t kMp3CodecDelay = 700;

// Bit rates (kbit/s) by bitrate index 1..14.
constexpr uint16_t kBitrates[5][14] = {
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 Layer I
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 Layer II
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 Layer III
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2 Layer I
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2 Layer II, III
};
constexpr uint32_t kSampleRates[2][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}};

size_t ReadBytes(SoundConverter* c, void* buffer, size_t bytes) {
  return c->access.read(buffer, 1, bytes, c->stream);
}

int64_t StreamLength(const StreamAccessSet& access, StreamHandle stream) {
  const int64_t here = access.tell(stream);
  access.seek(stream, 0, kSeekEnd);
  const int64_t length = access.tell(stream);
  access.seek(stream, here, kSeekSet);
  return length;
}

bool TagIs(const uint8_t* bytes, const char* tag) { return std::memcmp(bytes, tag, 4) == 0; }

// ---- RIFF chunk reader ------------------------------------------------------------------

struct RiffInfo {
  uint8_t* fmt = nullptr;  // owned until handed on
  uint32_t fmtSize = 0;
  int64_t fmtPosition = 0;
  int64_t dataStart = 0;
  uint32_t dataSize = 0;
};

int ReadRiff(SoundConverter* c, RiffInfo* info) {
  uint8_t header[8];
  if (ReadBytes(c, header, 8) != 8 || !TagIs(header, "RIFF")) return -1;
  if (ReadBytes(c, header, 4) != 4 || !TagIs(header, "WAVE")) return -1;
  // The fmt chunk must come first.
  if (ReadBytes(c, header, 8) != 8 || !TagIs(header, "fmt ")) return -1;
  const uint32_t fmtSize = ReadU32(header + 4);
  const int64_t length = StreamLength(c->access, c->stream);
  info->fmtPosition = c->access.tell(c->stream);
  if (fmtSize > length - info->fmtPosition) return -1;
  info->fmt = static_cast<uint8_t*>(RT_ALLOC_ZERO(std::max<uint32_t>(fmtSize, 1)));
  if (!info->fmt) return -1;
  info->fmtSize = fmtSize;
  auto fail = [&] {
    MemFree(info->fmt);
    info->fmt = nullptr;
    return -1;
  };
  if (ReadBytes(c, info->fmt, fmtSize) != fmtSize) return fail();
  // An odd-sized chunk is followed by a pad byte, the fmt chunk as much as any other.
  if (fmtSize & 1) c->access.seek(c->stream, 1, kSeekCurrent);

  if (fmtSize == kPcmWaveFormatSize && ReadU16(info->fmt) == kWaveFormatPcm) {
    const uint16_t channels = ReadU16(info->fmt + 2);
    const uint16_t blockAlign = ReadU16(info->fmt + 12);
    if (channels == 0) return fail();
    WriteU16(info->fmt + 14, static_cast<uint16_t>(blockAlign / channels * 8));
  }

  for (;;) {
    if (c->access.eof(c->stream)) return fail();
    if (ReadBytes(c, header, 8) != 8) return fail();
    const uint32_t size = ReadU32(header + 4);
    if (TagIs(header, "data")) {
      info->dataStart = c->access.tell(c->stream);
      // A data chunk that claims more than the file holds ends with the file.
      info->dataSize = static_cast<uint32_t>(
          std::clamp<int64_t>(length - info->dataStart, 0, size));
      return 0;
    }
    c->access.seek(c->stream, int64_t{size} + (size & 1), kSeekCurrent);
  }
}

void TakeRiff(SoundConverter* c, const RiffInfo& info) {
  c->fmtPosition = info.fmtPosition;
  c->fmtSize = info.fmtSize;
  c->dataStart = info.dataStart;
  c->dataSize = info.dataSize;
}

// ---- Opening by kind --------------------------------------------------------------------

int OpenWavePcm(SoundConverter* c) {
  RiffInfo info;
  if (ReadRiff(c, &info) != 0) return -1;
  WaveFormatEx format = ReadWaveFormat(info.fmt, std::min(info.fmtSize, kWaveFormatExSize));
  MemFree(info.fmt);
  if (format.formatTag != kWaveFormatPcm) return -1;
  // A format the sound buffers cannot take is refused here, where it is a load failure,
  // rather than when the buffer is made, where it would end the program.
  if (!platform::IsPlayablePcmFormat(format)) return -1;
  TakeRiff(c, info);
  c->kind = kConverterWavePcm;
  c->outFormat = format;
  c->workSize = format.avgBytesPerSec;
  return 0;
}

void FreeAcm(SoundConverter* c) {
  AcmClose(c->acm.active);
  AcmClose(c->acm.spare);
  MemFree(c->acm.sourceFormat);
  MemFree(c->acm.sourceData);
  c->acm = SoundConverter::Acm{};
}

// Reads the compressed data whole and opens the two decoding streams.
int StartAcm(SoundConverter* c) {
  c->acm.sourceSize = c->dataSize;
  c->acm.sourceData = static_cast<uint8_t*>(RT_ALLOC(std::max<uint32_t>(c->dataSize, 1)));
  if (!c->acm.sourceData) return -1;
  c->access.seek(c->stream, c->dataStart, kSeekSet);
  c->acm.sourceSize = static_cast<uint32_t>(ReadBytes(c, c->acm.sourceData, c->dataSize));
  c->access.seek(c->stream, c->dataStart, kSeekSet);
  c->acm.active = AcmOpen(c->acm.sourceFormat, c->acm.sourceFormatSize, c->outFormat);
  c->acm.spare = AcmOpen(c->acm.sourceFormat, c->acm.sourceFormatSize, c->outFormat);
  return c->acm.active && c->acm.spare ? 0 : -1;
}

int OpenWaveAcm(SoundConverter* c) {
  RiffInfo info;
  if (ReadRiff(c, &info) != 0) return -1;
  c->acm.sourceFormat = info.fmt;
  c->acm.sourceFormatSize = info.fmtSize;
  WaveFormatEx pcm;
  if (AcmSuggestPcmFormat(info.fmt, info.fmtSize, &pcm) != 0) {
    FreeAcm(c);
    return -1;
  }
  TakeRiff(c, info);
  c->kind = kConverterAcm;
  c->outFormat = pcm;
  if (StartAcm(c) != 0) {
    FreeAcm(c);
    return -1;
  }
  // A second of PCM, or more where one step of source decodes to more than that.
  const uint32_t step = std::max<uint32_t>(kAcmSourceStep, ReadWaveFormat(info.fmt, info.fmtSize).blockAlign);
  c->workSize = static_cast<uint32_t>(std::max<int64_t>(
      pcm.avgBytesPerSec, AcmEstimateOutputSize(info.fmt, info.fmtSize, step)));
  c->acm.totalSamples = -1;
  return 0;
}

size_t OggRead(void* buffer, size_t size, size_t count, void* source) {
  auto* c = static_cast<SoundConverter*>(source);
  if (!c || size == 0) return 0;
  return c->access.read(buffer, 1, size * count, c->stream) / size;
}

int OggSeek(void* source, ogg_int64_t offset, int origin) {
  auto* c = static_cast<SoundConverter*>(source);
  if (!c) return -1;
  return c->access.seek(c->stream, offset, origin);
}

// The stream belongs to the converter's user.
int OggClose(void*) { return 0; }

long OggTell(void* source) {
  auto* c = static_cast<SoundConverter*>(source);
  if (!c) return -1;
  return static_cast<long>(c->access.tell(c->stream));
}

int OpenOggVorbis(SoundConverter* c) {
  const ov_callbacks callbacks = {OggRead, OggSeek, OggClose, OggTell};
  std::memset(&c->ogg.file, 0, sizeof c->ogg.file);
  if (ov_open_callbacks(c, &c->ogg.file, nullptr, 0, callbacks) != 0) return -1;
  const vorbis_info* vi = ov_info(&c->ogg.file, -1);
  const WaveFormatEx format =
      vi ? platform::MakePcmFormat(static_cast<uint16_t>(vi->channels), static_cast<uint32_t>(vi->rate),
                                   static_cast<uint16_t>(c->ogg.bytesPerSample * 8))
         : WaveFormatEx{};
  if (!vi || vi->channels < 1 || vi->channels > 2 || !platform::IsPlayablePcmFormat(format)) {
    ov_clear(&c->ogg.file);
    return -1;
  }
  c->ogg.opened = 1;
  c->kind = kConverterOggVorbis;
  c->outFormat = format;
  c->workSize = kOggWorkSize;
  const int64_t total = std::max<int64_t>(ov_pcm_total(&c->ogg.file, -1), 0);
  c->dataSize = static_cast<uint32_t>(std::min<int64_t>(total * format.blockAlign, UINT32_MAX));
  return 0;
}

int OpenMp3Acm(SoundConverter* c) {
  const int64_t length = StreamLength(c->access, c->stream);
  uint8_t bytes[10];
  int64_t searchStart = 0;
  c->access.seek(c->stream, 0, kSeekSet);
  if (ReadBytes(c, bytes, 3) == 3 && std::memcmp(bytes, "ID3", 3) == 0) {
    if (ReadBytes(c, bytes + 3, 7) != 7) return -1;
    const uint8_t major = bytes[3], flags = bytes[5];
    const int64_t tagSize = ((int64_t{bytes[6]} * 128 + bytes[7]) * 128 + bytes[8]) * 128 + bytes[9];
    searchStart = tagSize + kId3HeaderSize;
    if (major == 4 && (flags & kId3FooterFlag)) searchStart += kId3FooterSize;
  }
  int64_t audioEnd = length;
  if (length > kId3v1TagSize) {
    c->access.seek(c->stream, length - kId3v1TagSize, kSeekSet);
    if (ReadBytes(c, bytes, 3) == 3 && std::memcmp(bytes, "TAG", 3) == 0)
      audioEnd = length - kId3v1TagSize;
  }

  // The frame walk: from one frame header to the next by the frame's length, scanning
  // byte by byte for a sync where no header follows.
  int64_t firstFrame = -1;
  int64_t dataEnd = audioEnd;
  int64_t totalSamples = 0;
  MpegFrameInfo frame;
  c->access.seek(c->stream, searchStart, kSeekSet);
  for (;;) {
    uint8_t header[4];
    if (ReadBytes(c, header, 1) != 1) break;
    if (header[0] != 0xFF) continue;
    if (ReadBytes(c, header + 1, 1) != 1) break;
    if ((header[1] & 0xF0) != 0xF0) continue;
    if (ReadBytes(c, header + 2, 2) != 2) break;
    if (ParseMpegFrameHeader(header, &frame) != 0) return -1;
    const int64_t position = c->access.tell(c->stream) - 4;
    if (firstFrame < 0) firstFrame = position;
    totalSamples += frame.samplesPerFrame;
    const int64_t next = position + frame.frameLength;
    if (next >= audioEnd) {
      dataEnd = std::min(next, audioEnd);
      break;
    }
    c->access.seek(c->stream, next, kSeekSet);
  }
  if (firstFrame < 0 || totalSamples > INT32_MAX) return -1;

  uint8_t firstHeader[4];
  c->access.seek(c->stream, firstFrame, kSeekSet);
  if (ReadBytes(c, firstHeader, 4) != 4 || ParseMpegFrameHeader(firstHeader, &frame) != 0) return -1;
  c->acm.sourceFormat = static_cast<uint8_t*>(RT_ALLOC_ZERO(kMp3FormatSize));
  if (!c->acm.sourceFormat) return -1;
  c->acm.sourceFormatSize = kMp3FormatSize;
  uint8_t* f = c->acm.sourceFormat;
  WaveFormatEx source;
  source.formatTag = kWaveFormatMpegLayer3;
  source.channels = frame.channels;
  source.samplesPerSec = frame.sampleRate;
  source.avgBytesPerSec = frame.bitrate * 1000 / 8;
  source.blockAlign = 1;
  source.bitsPerSample = 0;
  source.extraSize = kMp3FormatExtra;
  WriteWaveFormat(f, source);
  WriteU16(f + 18, kMp3IdMpeg);
  WriteU32(f + 20, frame.padding);
  WriteU16(f + 24, static_cast<uint16_t>(frame.frameLength));
  WriteU16(f + 26, 1);
  WriteU16(f + 28, kMp3CodecDelay);

  c->dataStart = firstFrame;
  c->dataSize = static_cast<uint32_t>(dataEnd - firstFrame);
  WaveFormatEx pcm;
  if (AcmSuggestPcmFormat(f, kMp3FormatSize, &pcm) != 0) {
    FreeAcm(c);
    return -1;
  }
  c->kind = kConverterAcm;
  c->outFormat = pcm;
  if (StartAcm(c) != 0) {
    FreeAcm(c);
    return -1;
  }
  c->workSize = pcm.avgBytesPerSec * 4 / 3;
  c->acm.totalSamples = static_cast<int32_t>(totalSamples);
  return 0;
}

// ---- Chunked conversion: each refills the work buffer, -1 at the end ---------------------

int ReadWavePcmChunk(SoundConverter* c) {
  const int64_t remaining = int64_t{c->dataSize} - (c->access.tell(c->stream) - c->dataStart);
  if (remaining <= 0) return -1;
  const size_t want = static_cast<size_t>(std::min<int64_t>(remaining, c->workSize));
  const size_t got = ReadBytes(c, c->work, want);
  // A file cut short ends the data where it ends.
  if (got == 0) return -1;
  c->valid = static_cast<uint32_t>(got);
  c->offset = 0;
  return 0;
}

int ConvertStep(AcmCodec* codec, const uint8_t* src, uint32_t srcBytes, uint8_t* dst,
                uint32_t dstBytes, uint32_t* consumed, uint32_t* produced) {
  *consumed = 0;
  *produced = 0;
  if (!codec) return -1;
  return codec->Convert(srcBytes ? src : nullptr, srcBytes, dst, dstBytes, consumed, produced);
}

int ConvertAcmChunk(SoundConverter* c) {
  const uint32_t blockAlign = std::max<uint32_t>(
      ReadWaveFormat(c->acm.sourceFormat, c->acm.sourceFormatSize).blockAlign, 1);
  // A step holds at least one source block, or block formats could never move on.
  const uint32_t step = std::max(kAcmSourceStep, blockAlign);
  for (;;) {
    const uint32_t remaining = c->acm.sourceSize - c->acm.consumed;
    uint32_t used = 0, produced = 0;
    const int result = ConvertStep(c->acm.active, c->acm.sourceData + c->acm.consumed,
                                   std::min(remaining, step), c->work, c->workSize, &used,
                                   &produced);
    c->acm.consumed += used;
    if (result == 0 && produced > 0) {
      c->valid = produced;
      c->offset = 0;
      return 0;
    }
    // Nothing came out and nothing more can go in: the data has ended.
    if (result != 0 || used == 0) {
      c->acm.consumed = c->acm.sourceSize;
      return -1;
    }
  }
}

int ReadOggChunk(SoundConverter* c) {
  for (int hole = 0; hole < kOggHoleRetries; ++hole) {
    int section = 0;
    const long got = ov_read(&c->ogg.file, reinterpret_cast<char*>(c->work),
                             static_cast<int>(c->workSize), 0, c->ogg.bytesPerSample, 1, &section);
    if (got > 0) {
      c->valid = static_cast<uint32_t>(got);
      c->offset = 0;
      return 0;
    }
    // A gap in the data is stepped over; any other error ends the data like its end.
    if (got != OV_HOLE) return -1;
  }
  return -1;
}

int Refill(SoundConverter* c) {
  switch (c->kind) {
    case kConverterWavePcm: return ReadWavePcmChunk(c);
    case kConverterAcm: return ConvertAcmChunk(c);
    default: return ReadOggChunk(c);
  }
}

// ---- Seeking ----------------------------------------------------------------------------

void EmptyWork(SoundConverter* c) {
  c->valid = 0;
  c->offset = 0;
}

void SeekWavePcm(SoundConverter* c, int64_t target) {
  c->access.seek(c->stream, c->dataStart + target, kSeekSet);
  c->position = target;
  EmptyWork(c);
}

void SeekOggVorbis(SoundConverter* c, int64_t sample, int64_t target) {
  ov_pcm_seek(&c->ogg.file, sample);
  c->position = target;
  EmptyWork(c);
}

void SeekAcm(SoundConverter* c, int64_t target) {
  if (target < c->position) {
    // Decoders only go forwards: start again on the fresh spare stream.
    AcmCodec* used = c->acm.active;
    c->acm.active = c->acm.spare;
    c->acm.consumed = 0;
    c->position = 0;
    EmptyWork(c);
    AcmClose(used);
    c->acm.spare = AcmOpen(c->acm.sourceFormat, c->acm.sourceFormatSize, c->outFormat);
  }
  while (target - c->position > int64_t{c->valid} - c->offset) {
    c->position += c->valid - c->offset;
    EmptyWork(c);
    if (ConvertAcmChunk(c) != 0) {
      c->end = 1;
      return;
    }
  }
  const auto skip = static_cast<uint32_t>(target - c->position);
  c->offset += skip;
  c->position += skip;
}

}  // namespace

// ---- Wave format records ----------------------------------------------------------------

WaveFormatEx ReadWaveFormat(const uint8_t* bytes, uint32_t size) {
  uint8_t full[kWaveFormatExSize] = {};
  std::memcpy(full, bytes, std::min(size, kWaveFormatExSize));
  WaveFormatEx f;
  f.formatTag = ReadU16(full);
  f.channels = ReadU16(full + 2);
  f.samplesPerSec = ReadU32(full + 4);
  f.avgBytesPerSec = ReadU32(full + 8);
  f.blockAlign = ReadU16(full + 12);
  f.bitsPerSample = ReadU16(full + 14);
  f.extraSize = ReadU16(full + 16);
  return f;
}

void WriteWaveFormat(uint8_t* bytes, const WaveFormatEx& f) {
  WriteU16(bytes, f.formatTag);
  WriteU16(bytes + 2, f.channels);
  WriteU32(bytes + 4, f.samplesPerSec);
  WriteU32(bytes + 8, f.avgBytesPerSec);
  WriteU16(bytes + 12, f.blockAlign);
  WriteU16(bytes + 14, f.bitsPerSample);
  WriteU16(bytes + 16, f.extraSize);
}

// ---- MPEG frame headers -----------------------------------------------------------------

int ParseMpegFrameHeader(const uint8_t header[4], MpegFrameInfo* info) {
  if (header[0] != 0xFF || (header[1] & 0xF0) != 0xF0) return -2;
  MpegFrameInfo f;
  f.version = (header[1] & 0x08) ? 0 : 1;
  const int layer = 3 - ((header[1] >> 1) & 3);
  if (layer > 2) return -1;
  f.layer = static_cast<uint8_t>(layer);
  f.bitrateIndex = header[2] >> 4;
  // Index 0 is the free format, whose frames have no length to step by.
  if (f.bitrateIndex == 0 || f.bitrateIndex == 15) return -1;
  f.sampleRateIndex = (header[2] >> 2) & 3;
  if (f.sampleRateIndex == 3) return -1;
  f.padding = (header[2] >> 1) & 1;
  f.channels = ((header[3] >> 6) & 3) == 3 ? 1 : 2;
  const int row = f.version == 0 ? layer : (layer == 0 ? 3 : 4);
  f.bitrate = kBitrates[row][f.bitrateIndex - 1];
  f.sampleRate = kSampleRates[f.version][f.sampleRateIndex];
  if (layer == 0) {
    f.frameLength = (12000 * f.bitrate / f.sampleRate + f.padding) * 4;
    f.samplesPerFrame = 384;
  } else if (layer == 2 && f.version == 1) {
    // Only Layer III frames of MPEG-2 hold half as many samples.
    f.frameLength = 72000 * f.bitrate / f.sampleRate + f.padding;
    f.samplesPerFrame = 576;
  } else {
    f.frameLength = 144000 * f.bitrate / f.sampleRate + f.padding;
    f.samplesPerFrame = 1152;
  }
  *info = f;
  return 0;
}

// ---- The converter ----------------------------------------------------------------------

int SoundConverterOpen(const StreamAccessSet& access, StreamHandle stream, SoundConverter* c) {
  *c = SoundConverter{};
  c->access = access;
  c->stream = stream;
  int (*const openers[])(SoundConverter*) = {OpenWavePcm, OpenWaveAcm, OpenOggVorbis, OpenMp3Acm};
  bool opened = false;
  for (auto open : openers) {
    access.seek(stream, 0, kSeekSet);
    if (open(c) == 0) {
      opened = true;
      break;
    }
  }
  if (!opened) return -1;
  c->work = static_cast<uint8_t*>(RT_ALLOC(std::max<uint32_t>(c->workSize, 1)));
  if (!c->work) {
    c->open = 1;
    SoundConverterClose(c);
    return -1;
  }
  c->end = 0;
  EmptyWork(c);
  c->position = 0;
  c->open = 1;
  return 0;
}

int SoundConverterRead(SoundConverter* c, void* buffer, int bytes) {
  if (!c->open) return -1;
  if (c->end) return 0;
  auto* out = static_cast<uint8_t*>(buffer);
  int delivered = 0;
  while (delivered < bytes) {
    if (c->offset >= c->valid) {
      if (Refill(c) != 0) {
        c->end = 1;
        break;
      }
    }
    const int n = std::min<int>(int(c->valid - c->offset), bytes - delivered);
    std::memcpy(out + delivered, c->work + c->offset, size_t(n));
    c->offset += uint32_t(n);
    c->position += n;
    delivered += n;
  }
  return delivered;
}

int SoundConverterSeek(SoundConverter* c, int64_t sample) {
  const int64_t target = sample * c->outFormat.blockAlign;
  if (std::llabs(target - c->position) < kSeekTolerance) return 0;
  switch (c->kind) {
    case kConverterWavePcm: SeekWavePcm(c, target); break;
    case kConverterAcm: SeekAcm(c, target); return 0;
    default: SeekOggVorbis(c, sample, target); break;
  }
  c->end = 0;
  return 0;
}

int SoundConverterGetFormat(const SoundConverter* c, WaveFormatEx* format) {
  *format = c->outFormat;
  return 0;
}

int64_t SoundConverterGetSize(SoundConverter* c) {
  switch (c->kind) {
    case kConverterWavePcm:
      return c->dataSize;
    case kConverterAcm:
      if (c->acm.totalSamples >= 0) return int64_t{c->outFormat.blockAlign} * c->acm.totalSamples;
      return AcmEstimateOutputSize(c->acm.sourceFormat, c->acm.sourceFormatSize, c->acm.sourceSize);
    default: {
      const int64_t total = std::max<int64_t>(ov_pcm_total(&c->ogg.file, -1), 0);
      return (total + kOggSizeMargin) * c->outFormat.channels * c->ogg.bytesPerSample;
    }
  }
}

int SoundConverterConvertAll(SoundConverter* c, WaveFormatEx* format, uint8_t** data,
                             int32_t* size) {
  const int64_t wanted = SoundConverterGetSize(c);
  if (wanted < 0 || wanted > INT32_MAX) return -1;
  auto* block = static_cast<uint8_t*>(RT_ALLOC(std::max<int64_t>(wanted, 1)));
  if (!block) return -1;
  SoundConverterSeek(c, 0);
  int64_t count;
  if (c->kind == kConverterWavePcm) {
    c->access.seek(c->stream, c->dataStart, kSeekSet);
    count = static_cast<int64_t>(ReadBytes(c, block, static_cast<size_t>(wanted)));
  } else {
    count = std::max(SoundConverterRead(c, block, static_cast<int>(wanted)), 0);
  }
  *format = c->outFormat;
  *data = block;
  *size = static_cast<int32_t>(count);
  return 0;
}

int SoundConverterClose(SoundConverter* c) {
  if (!c->open) return -1;
  MemFree(c->work);
  c->work = nullptr;
  if (c->kind == kConverterAcm) FreeAcm(c);
  if (c->kind == kConverterOggVorbis && c->ogg.opened) {
    ov_clear(&c->ogg.file);
    c->ogg.opened = 0;
  }
  c->open = 0;
  return 0;
}

// ---- Whole files and images -------------------------------------------------------------

int LoadFileToMemory(const char* path, uint8_t** data, int32_t* size) {
  const StreamHandle file = StreamOpen(path, 0, 1, 0);
  if (file == 0) return LogAddFormat("右記のファイルのオープンに失敗しました：%s", path);
  StreamSeek(file, 0, kSeekEnd);
  const int64_t length = StreamTell(file);
  StreamSeek(file, 0, kSeekSet);
  auto* block = length >= 0 && length <= INT32_MAX
                    ? static_cast<uint8_t*>(RT_ALLOC(std::max<int64_t>(length, 1)))
                    : nullptr;
  if (!block) {
    StreamClose(file);
    return LogAddFormat("右記のファイルのロードに必要なメモリの確保に失敗しました：%s", path);
  }
  const size_t got = StreamRead(block, 1, static_cast<size_t>(length), file);
  StreamClose(file);
  *data = block;
  *size = static_cast<int32_t>(std::min<size_t>(got, static_cast<size_t>(length)));
  return 0;
}

int LoadStreamToMemory(const StreamAccessSet& access, StreamHandle stream, uint8_t** data,
                       int32_t* size) {
  access.seek(stream, 0, kSeekEnd);
  const int64_t length = access.tell(stream);
  access.seek(stream, 0, kSeekSet);
  auto* block = length >= 0 && length <= INT32_MAX
                    ? static_cast<uint8_t*>(RT_ALLOC(std::max<int64_t>(length, 1)))
                    : nullptr;
  if (!block) return LogAdd("ストリームの読み込みに必要なメモリの確保に失敗しました");
  const size_t got = access.read(block, 1, static_cast<size_t>(length), stream);
  *data = block;
  *size = static_cast<int32_t>(std::min<size_t>(got, static_cast<size_t>(length)));
  return 0;
}

int BuildWaveImage(uint8_t** image, int32_t* imageSize, const WaveFormatEx& format,
                   uint32_t formatSize, const void* data, int32_t dataSize) {
  constexpr uint32_t kHeaders = 28;  // RIFF header, fmt and data chunk headers
  const int64_t total = int64_t{kHeaders} + formatSize + dataSize;
  if (dataSize < 0 || total > INT32_MAX) return -1;
  auto* block = static_cast<uint8_t*>(RT_ALLOC_ZERO(static_cast<size_t>(total)));
  if (!block) return -1;
  uint8_t* p = block;
  std::memcpy(p, "RIFF", 4);
  WriteU32(p + 4, static_cast<uint32_t>(total - 8));
  std::memcpy(p + 8, "WAVE", 4);
  std::memcpy(p + 12, "fmt ", 4);
  WriteU32(p + 16, formatSize);
  p += 20;
  uint8_t record[kWaveFormatExSize];
  WriteWaveFormat(record, format);
  std::memcpy(p, record, std::min(formatSize, kWaveFormatExSize));
  p += formatSize;
  std::memcpy(p, "data", 4);
  WriteU32(p + 4, static_cast<uint32_t>(dataSize));
  if (dataSize > 0) std::memcpy(p + 8, data, static_cast<size_t>(dataSize));
  *image = block;
  *imageSize = static_cast<int32_t>(total);
  return 0;
}

}  // namespace rt
