// Conversion of sound files to PCM: a SoundConverter reads WAV (PCM or compressed), Ogg
// Vorbis or MP3 through a stream-access set and delivers PCM bytes on demand, seekable by
// sample. Also the helpers that read whole files or streams into memory and build a
// RIFF/WAVE image.
#pragma once
#include <vorbis/vorbisfile.h>

#include <cstdint>

#include "runtime/file/stream.h"
#include "runtime/sound/wave_format.h"

namespace rt {

class AcmCodec;

enum SoundConverterKind : int32_t {
  kConverterWavePcm = 0,
  kConverterAcm = 1,
  kConverterOggVorbis = 2,
};

// What the MPEG frame walk learns from one frame header.
struct MpegFrameInfo {
  uint8_t layer = 0;    // 0 Layer I, 1 Layer II, 2 Layer III
  uint8_t version = 0;  // 0 MPEG-1, 1 MPEG-2
  uint8_t bitrateIndex = 0;
  uint8_t sampleRateIndex = 0;
  uint8_t padding = 0;
  uint8_t channels = 0;
  uint32_t sampleRate = 0;       // Hz
  uint32_t bitrate = 0;          // kbit/s
  uint32_t frameLength = 0;      // bytes
  uint32_t samplesPerFrame = 0;
};

struct SoundConverter {
  int32_t open = 0;
  int32_t end = 0;  // the source is exhausted
  int32_t kind = kConverterWavePcm;

  StreamAccessSet access;
  StreamHandle stream = 0;

  int64_t fmtPosition = 0;
  uint32_t fmtSize = 0;
  int64_t dataStart = 0;
  uint32_t dataSize = 0;

  WaveFormatEx outFormat;

  struct Acm {
    uint8_t* sourceFormat = nullptr;  // the fmt chunk, or the built MP3 format
    uint32_t sourceFormatSize = 0;
    AcmCodec* active = nullptr;
    // Opened with the same formats and never used until a seek backwards needs a fresh
    // start.
    AcmCodec* spare = nullptr;
    uint8_t* sourceData = nullptr;  // the whole compressed data
    uint32_t sourceSize = 0;
    uint32_t consumed = 0;
    int32_t totalSamples = 0;  // MP3: from the frame walk; -1 for WAV
  } acm;

  struct Ogg {
    int32_t opened = 0;
    OggVorbis_File file;
    int32_t bytesPerSample = 2;
  } ogg;

  uint8_t* work = nullptr;
  uint32_t workSize = 0;
  uint32_t valid = 0;
  uint32_t offset = 0;
  int64_t position = 0;  // bytes delivered, from the start of the audio
};

int SoundConverterOpen(const StreamAccessSet& access, StreamHandle stream, SoundConverter* c);
// Bytes delivered: -1 when not open, 0 at the end.
int SoundConverterRead(SoundConverter* c, void* buffer, int bytes);
int SoundConverterSeek(SoundConverter* c, int64_t sample);
int SoundConverterGetFormat(const SoundConverter* c, WaveFormatEx* format);
int64_t SoundConverterGetSize(SoundConverter* c);
// Converts everything into one new block (tracked memory, owned by the caller).
int SoundConverterConvertAll(SoundConverter* c, WaveFormatEx* format, uint8_t** data,
                             int32_t* size);
int SoundConverterClose(SoundConverter* c);

// 0 for a frame header, -2 without a frame sync, -1 for a header that cannot be played.
int ParseMpegFrameHeader(const uint8_t header[4], MpegFrameInfo* info);

// Whole files and streams into tracked memory.
int LoadFileToMemory(const char* path, uint8_t** data, int32_t* size);
int LoadStreamToMemory(const StreamAccessSet& access, StreamHandle stream, uint8_t** data,
                       int32_t* size);
// A RIFF/WAVE image: "RIFF", size, "WAVE", "fmt ", the format, "data", the data.
int BuildWaveImage(uint8_t** image, int32_t* imageSize, const WaveFormatEx& format,
                   uint32_t formatSize, const void* data, int32_t dataSize);

}  // namespace rt
