// The sound and music operations behind the facade, and the hooks of start-up, shut-down
// and the message pump. Every operation runs under the library-wide lock.
#pragma once
#include <cstdint>

#include "runtime/file/stream.h"
#include "runtime/sound/wave_format.h"

namespace rt {

// ---- Start-up and shut-down ----
int InitSound();
int EndSound();

// ---- Sound handles ----
int AddSoundData(int unused);
int LoadSoundThunk(const char* path, int bufferCount, int shareHandle);
int LoadSoundImpl(const char* path, int bufferCount, int shareHandle);
int LoadSoundFromMemory(const void* image, int32_t size, int bufferCount, int shareHandle);
int CreateSoundBuffers(const WaveFormatEx& format, int32_t bytes, int kind, int count, int handle);
// Play types: 0 wait for the end, 1 return at once, 3 loop.
int PlaySoundHandleImpl(int handle, int playType, int fromStart);
// 1 playing, 0 not, -1 invalid.
int CheckSoundPlayingImpl(int handle);
int StopSoundImpl(int handle);
int DeleteSoundImpl(int handle, int unused = 0);
int DeleteAllSounds();
int SetSoundVolumeImpl(int volume, int handle);
int PlaySoundFileImpl(const char* path, int playType);
// Volume 0..255 to hundredths of a decibel.
int32_t SoundVolumeToAttenuation(int volume);

// ---- Stream sounds ----
int AddStreamSoundFile(const char* path, int repeatCount, int handle, int kind, int shareHandle);
int AddStreamSoundMem(const void* image, int32_t size, int repeatCount, int handle, int kind,
                      int shareHandle);
int AddStreamSound(const StreamAccessSet& access, StreamHandle stream, int repeatCount, int handle,
                   int kind, int* callerMayClose, int shareHandle);
int PrepareStreamSound(int handle);
int PlayStreamSound(int handle, int playType, int fromStart);
int StopStreamSound(int handle);
int CheckStreamSoundPlaying(int handle);
int RefillStreamSound(int handle);
// The message pump's refill of every stream sound: -1 without sound, else 0.
int RefillAllStreamSounds();
int UpdateStreamPlayPosition(int handle, int cursor);

// ---- Music ----
int AddMusicData();
int LoadMusicMem(const char* path);
int AddMusicFromMemory(const void* data, uint32_t size);
int PlayMusicImpl(int musicHandle, int playType);
int HandleMidiNotify();
int StopMidiImpl(int musicHandle);
int GetMusicPlayState(int musicHandle);
// The message pump's music poll: delivers the sequencer's end-of-song notice.
int PollMusicPlayState();
int DeleteMusicImpl(int musicHandle);
int DeleteAllMusic();
int PlayMusicFileImpl(const char* path, int playType);
int StopMusicImpl();
int CheckMusicPlayingImpl();
int SetMusicVolumeImpl(int volume);

}  // namespace rt
