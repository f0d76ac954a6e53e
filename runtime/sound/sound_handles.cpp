// Sound handles: the table, loading a file into duplicate buffers, round-robin playing,
// stopping, testing, deleting and the volume.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/clock.h"
#include "runtime/core/log.h"
#include "runtime/core/startup.h"
#include "runtime/core/window.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_buffer.h"
#include "runtime/sound/sound_state.h"
#include "runtime/sound/stream_sound.h"

namespace rt {

namespace {

constexpr int kMaxVolume = 255;
// Seconds of audio a stream sound's ring holds.
constexpr int kStreamRingSeconds = 6;

void FreeSoundRecord(SoundState& s, int handle, SoundRecord* rec) {
  s.sounds.Remove(HandleSlot(handle));
  rec->~SoundRecord();
  MemFree(rec);
}

}  // namespace

SoundState& GetSoundState() {
  static SoundState state;
  return state;
}

SoundRecord* FindSound(int handle) { return GetSoundState().sounds.Find(handle); }

int AddSoundData(int) {
  SoundState& s = GetSoundState();
  if (s.sounds.full()) return LogAdd("サウンドの数が許容量を越えました\n");
  void* memory = RT_ALLOC_ZERO(sizeof(SoundRecord));
  if (!memory) return LogAdd("メモリ領域の確保に失敗しました in AddSoundData");
  auto* rec = new (memory) SoundRecord();
  return s.sounds.Insert(s.sounds.SlotAtMark(), rec);
}

int CreateSoundBuffers(const WaveFormatEx& format, int32_t bytes, int kind, int count, int handle) {
  SoundState& s = GetSoundState();
  SoundRecord* rec = FindSound(handle);
  if (!rec) return -1;
  if (kind == kSoundNormal) {
    int made = 0;
    for (int i = 0; i < count; ++i) {
      if (i == 0) {
        platform::BufferDesc desc{kSoundBufferFlags, static_cast<uint32_t>(bytes), format};
        if (SoundBufferCreate(&rec->buffers[0], desc) != 0) {
          desc.flags = kSoundBufferFallbackFlags;
          if (SoundBufferCreate(&rec->buffers[0], desc) != 0)
            FatalExit("DirectSoundBuffer の作成に失敗しました");
        }
      } else if (SoundBufferDuplicate(&rec->buffers[i], &rec->buffers[0]) != 0) {
        break;
      }
      ++made;
    }
    rec->bufferCount = made;
  } else {
    const platform::BufferDesc desc{kStreamBufferFlags,
                                    format.avgBytesPerSec * kStreamRingSeconds, format};
    if (SoundBufferCreate(&rec->buffers[0], desc) != 0)
      FatalExit("ストリーム風サウンドバッファの作成に失敗しました");
    rec->bufferCount = 1;
    ListAddNode(&s.streamHead, &rec->node, HandleSlot(handle), handle);
  }
  rec->kind = kind;
  return 0;
}

int LoadSoundThunk(const char* path, int bufferCount, int shareHandle) {
  return LoadSoundImpl(path, bufferCount, shareHandle);
}

int LoadSoundImpl(const char* path, int bufferCount, int shareHandle) {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  bufferCount = std::min(bufferCount, kMaxSoundBuffers);
  if (s.soundDataType == 0) {
    uint8_t* image = nullptr;
    int32_t size = 0;
    if (LoadFileToMemory(path, &image, &size) != 0)
      return LogAddFormat("右記の音声ファイルのロードに失敗しました_1：%s", path);
    const int handle = LoadSoundFromMemory(image, size, bufferCount, shareHandle);
    MemFree(image);
    if (handle == -1) return LogAddFormat("右記の音声ファイルのロードに失敗しました_2：%s", path);
    return handle;
  }
  const int handle = AddSoundData(-1);
  if (handle == -1) return -1;
  if (AddStreamSoundFile(path, 0, handle, s.soundDataType, shareHandle) != 0) {
    DeleteSoundImpl(handle);
    return -1;
  }
  PrepareStreamSound(handle);
  return handle;
}

// The share handle only concerns stream sounds.
int LoadSoundFromMemory(const void* image, int32_t size, int bufferCount, int) {
  if (!GetSoundState().device || bufferCount > kMaxSoundBuffers) return -1;
  const int handle = AddSoundData(-1);
  if (handle == -1) return -1;
  SoundConverter converter;
  MemStream* stream = MemStreamOpen(image, size);
  auto fail = [&](const char* message) {
    if (message) LogAdd(message);
    if (converter.open) SoundConverterClose(&converter);
    if (stream) MemStreamClose(stream);
    DeleteSoundImpl(handle);
    return -1;
  };
  if (!stream || SoundConverterOpen(GetMemoryStreamAccess(), MemStreamHandle(stream), &converter) != 0)
    return fail("音声ファイルのＰＣＭへの変換に失敗しました");
  WaveFormatEx format;
  uint8_t* pcm = nullptr;
  int32_t pcmSize = 0;
  if (SoundConverterConvertAll(&converter, &format, &pcm, &pcmSize) != 0)
    return fail("音声ファイルを格納するメモリ領域の確保に失敗しました");
  SoundConverterClose(&converter);
  MemStreamClose(stream);
  stream = nullptr;
  // A sound without one whole sample has nothing to play; a buffer for it could not be
  // made, which would end the program.
  if (pcmSize < format.blockAlign || format.blockAlign == 0) {
    MemFree(pcm);
    return fail("音声ファイルのＰＣＭへの変換に失敗しました");
  }

  SoundRecord* rec = FindSound(handle);
  rec->format = format;
  rec->pcmData = pcm;
  rec->pcmSize = pcmSize;
  CreateSoundBuffers(format, pcmSize, kSoundNormal, bufferCount, handle);
  for (int i = 0; i < rec->bufferCount; ++i) {
    void *first = nullptr, *second = nullptr;
    uint32_t firstBytes = 0, secondBytes = 0;
    if (SoundBufferLock(&rec->buffers[i], 0, static_cast<uint32_t>(pcmSize), &first, &firstBytes,
                        &second, &secondBytes) != 0)
      return fail("サウンドデータの転送に失敗しました_1");
    std::memcpy(first, pcm, firstBytes);
    if (second) std::memcpy(second, pcm + firstBytes, secondBytes);
    if (SoundBufferUnlock(&rec->buffers[i], first, firstBytes, second, secondBytes) != 0)
      return fail("サウンドデータの転送に失敗しました_2");
  }
  return handle;
}

int PlaySoundHandleImpl(int handle, int playType, int fromStart) {
  if (!GetSoundState().device) return -1;
  SoundRecord* rec = FindSound(handle);
  if (!rec) return -1;
  if (rec->kind == kSoundStream) return PlayStreamSound(handle, playType, fromStart);
  // A sound that got no buffer has nothing to play on.
  if (rec->bufferCount <= 0) return -1;

  uint32_t previousPosition = 0;
  SoundBufferGetPosition(&rec->buffers[rec->nextBuffer], &previousPosition, nullptr);
  rec->nextBuffer = rec->nextBuffer + 1 >= rec->bufferCount ? 0 : rec->nextBuffer + 1;
  SoundBuffer* buffer = &rec->buffers[rec->nextBuffer];
  uint32_t status = 0;
  if (SoundBufferGetStatus(buffer, &status) != 0) return -1;
  if (status & platform::kStatusPlaying) {
    if (fromStart == 0) return 0;
    SoundBufferStop(buffer);
  }
  SoundBufferSetPosition(buffer, fromStart == 1 ? 0 : previousPosition);
  if (SoundBufferPlay(buffer, playType == kPlayLoop) != 0) return -1;
  if (playType == kPlayWait) {
    while (ProcessMessageImpl() == 0 && CheckSoundPlayingImpl(handle) == 1)
      platform::GetClock().Sleep(1);
  }
  return 0;
}

int CheckSoundPlayingImpl(int handle) {
  if (!GetSoundState().device) return -1;
  KeepSilentOutputTime();
  SoundRecord* rec = FindSound(handle);
  if (!rec) return -1;
  if (rec->kind == kSoundStream) return CheckStreamSoundPlaying(handle);
  for (int i = 0; i < rec->bufferCount; ++i) {
    uint32_t status = 0;
    if (SoundBufferGetStatus(&rec->buffers[i], &status) == 0 && (status & platform::kStatusPlaying))
      return 1;
  }
  return 0;
}

int StopSoundImpl(int handle) {
  if (!GetSoundState().device) return -1;
  SoundRecord* rec = FindSound(handle);
  if (!rec) return -1;
  if (rec->kind == kSoundStream) return StopStreamSound(handle);
  for (int i = 0; i < rec->bufferCount; ++i) {
    uint32_t status = 0;
    if (SoundBufferGetStatus(&rec->buffers[i], &status) != 0) return -1;
    if (status & platform::kStatusPlaying) SoundBufferStop(&rec->buffers[i]);
  }
  return 0;
}

int DeleteSoundImpl(int handle, int) {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  SoundRecord* rec = FindSound(handle);
  if (!rec) return -1;
  if (rec->kind == kSoundStream) {
    // A ring other sounds still play on stays until the last of them goes.
    if (ReleaseStreamSound(handle, rec) != 0) return 0;
  } else {
    if (rec->buffers[0].inUse)
      for (SoundBuffer& b : rec->buffers) SoundBufferStop(&b);
    for (SoundBuffer& b : rec->buffers)
      if (b.inUse) SoundBufferRelease(&b);
    MemFree(rec->pcmData);
    rec->pcmData = nullptr;
  }
  FreeSoundRecord(s, handle, rec);
  return 0;
}

int DeleteAllSounds() {
  SoundState& s = GetSoundState();
  for (int slot = 0; slot < kMaxSoundHandles; ++slot) {
    const int handle = s.sounds.HandleAt(slot);
    if (handle != -1) DeleteSoundImpl(handle);
  }
  s.playSoundFileHandle = -1;
  return 0;
}

int32_t SoundVolumeToAttenuation(int volume) {
  volume = std::min(volume, kMaxVolume);
  if (volume <= 0) return platform::kVolumeMin;
  const auto attenuation = static_cast<int32_t>(1000.0 * std::log10(volume / double(kMaxVolume)));
  return std::max(attenuation, platform::kVolumeMin);
}

int SetSoundVolumeImpl(int volume, int handle) {
  if (!GetSoundState().device) return -1;
  SoundRecord* rec = FindSound(handle);
  if (!rec) return -1;
  const int32_t attenuation = SoundVolumeToAttenuation(volume);
  if (rec->kind == kSoundStream) {
    if (SoundBuffer* ring = StreamRingBuffer(rec)) SoundBufferSetVolume(ring, attenuation);
  } else {
    for (int i = 0; i < rec->bufferCount; ++i) SoundBufferSetVolume(&rec->buffers[i], attenuation);
  }
  return 0;
}

int PlaySoundFileImpl(const char* path, int playType) {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  if (s.playSoundFileHandle != -1) {
    DeleteSoundImpl(s.playSoundFileHandle);
    s.playSoundFileHandle = -1;
  }
  const int handle = LoadSoundImpl(path, 1, -1);
  if (handle == -1) return -1;
  s.playSoundFileHandle = handle;
  PlaySoundHandleImpl(handle, playType, 1);
  return 0;
}

}  // namespace rt
