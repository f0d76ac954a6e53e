// The sound buffer wrappers: one device call each, -1 when the wrapper holds no buffer.
#pragma once
#include <cstdint>

#include "platform/audio.h"
#include "runtime/sound/sound_record.h"

namespace rt {

// Creation flags of a sound's first buffer, and the fallback without frequency control.
constexpr uint32_t kSoundBufferFlags = platform::kBufferStatic | platform::kBufferCtrlFrequency |
                                       platform::kBufferCtrlPan | platform::kBufferCtrlVolume |
                                       platform::kBufferGlobalFocus;
constexpr uint32_t kSoundBufferFallbackFlags =
    platform::kBufferStatic | platform::kBufferCtrlPan | platform::kBufferCtrlVolume;
constexpr uint32_t kStreamBufferFlags = kSoundBufferFlags | platform::kBufferPrecisePosition;

int SoundBufferCreate(SoundBuffer* buffer, const platform::BufferDesc& desc);
int SoundBufferDuplicate(SoundBuffer* duplicate, const SoundBuffer* original);
int SoundBufferRelease(SoundBuffer* buffer);
int SoundBufferPlay(SoundBuffer* buffer, int loop);
int SoundBufferStop(SoundBuffer* buffer);
int SoundBufferGetStatus(SoundBuffer* buffer, uint32_t* status);
int SoundBufferLock(SoundBuffer* buffer, uint32_t offset, uint32_t bytes, void** first,
                    uint32_t* firstBytes, void** second, uint32_t* secondBytes);
int SoundBufferUnlock(SoundBuffer* buffer, void* first, uint32_t firstBytes, void* second,
                      uint32_t secondBytes);
int SoundBufferSetVolume(SoundBuffer* buffer, int32_t volume);
int SoundBufferSetPosition(SoundBuffer* buffer, uint32_t offset);
int SoundBufferGetPosition(SoundBuffer* buffer, uint32_t* play, uint32_t* write);

}  // namespace rt
