// Sound handles: the SoundRecord behind each handle of kind 2, its buffers and, for stream
// sounds, its sources and ring state.
#pragma once
#include <cstdint>

#include "platform/audio.h"
#include "runtime/core/memory.h"
#include "runtime/file/stream.h"
#include "runtime/sound/sound_converter.h"
#include "runtime/sound/wave_format.h"

namespace rt {

constexpr int kMaxSoundHandles = 4096;
constexpr int kMaxSoundBuffers = 10;
constexpr int kMaxStreamSources = 3;

enum SoundKind : int32_t {
  kSoundNormal = 0,
  kSoundStream = 1,
};

// Play types of the public operations.
constexpr int kPlayWait = 0;
constexpr int kPlayBack = 1;
constexpr int kPlayLoop = 3;
// The bit that tells a looping play type from the others.
constexpr int kPlayTypeLoopBit = 2;

// One play copy of a sound.
struct SoundBuffer {
  int32_t inUse = 0;
  platform::SoundBuffer* buffer = nullptr;
};

enum StreamSourceKind : int32_t {
  kSourceConvertedImage = 0,  // converted to PCM when added, kept as a RIFF/WAVE image
  kSourceCompressedImage = 2, // the file kept in memory, decoded while playing
  kSourceCallerStream = 3,    // decoded straight from the caller's open stream
};

struct StreamSource {
  int8_t repeatCount = 0;  // further plays after the first; -1 for ever
  int32_t kind = kSourceConvertedImage;
  uint8_t* data = nullptr;  // owned; none for kind 3
  int32_t size = 0;
  StreamAccessSet access;
  StreamHandle stream = 0;
  MemStream* memStream = nullptr;  // over data
  int32_t repeatStart = 0;         // samples
  SoundConverter converter;
};

struct SoundRecord {
  uint32_t check = 0;
  SoundBuffer buffers[kMaxSoundBuffers];
  WaveFormatEx format;
  int32_t kind = kSoundNormal;
  int32_t lastPlayType = 0;

  // Stream sounds.
  int32_t shareHandle = -1;  // the stream sound whose ring this one plays on, -1 its own
  int32_t shareCount = 0;    // sounds playing on this one's ring
  int32_t ringUser = -1;     // the handle now playing on this ring
  int32_t deletePending = 0;
  int32_t ringSize = 0;
  int32_t writePosition = 0;
  int32_t validStart = 0;
  StreamSource sources[kMaxStreamSources];
  int32_t sourceCount = 0;
  int32_t currentSource = 0;
  int32_t repeatCounter = 0;
  int32_t sourceBytesTaken = 0;
  int32_t playedBytes = 0;
  int32_t lastCursor = 0;
  uint8_t prepared = 0;
  uint8_t endWritten = 0;
  uint8_t loopWrap = 0;
  uint8_t finished = 0;
  int32_t endMark = 0;
  int32_t cursorAtEnd = 0;
  int32_t loopMark = 0;
  ListNode node;
  uint8_t closeSourceAtDelete[kMaxStreamSources] = {};

  // Normal sounds: the converted data, owned.
  uint8_t* pcmData = nullptr;
  int32_t pcmSize = 0;
  int32_t duplicateFlags[kMaxSoundBuffers] = {};
  int32_t bufferCount = 0;
  int32_t nextBuffer = 0;
};

}  // namespace rt
