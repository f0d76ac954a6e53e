#include "runtime/sound/sound_buffer.h"

#include "runtime/sound/sound_state.h"

namespace rt {

int SoundBufferCreate(SoundBuffer* b, const platform::BufferDesc& desc) {
  platform::AudioMixer* device = GetSoundState().device;
  if (b->inUse || !device) return -1;
  if (device->CreateBuffer(desc, &b->buffer) != 0) return -1;
  b->inUse = 1;
  return 0;
}

int SoundBufferDuplicate(SoundBuffer* duplicate, const SoundBuffer* original) {
  platform::AudioMixer* device = GetSoundState().device;
  if (duplicate->inUse || !original->inUse || !device) return -1;
  if (device->DuplicateBuffer(original->buffer, &duplicate->buffer) != 0) return -1;
  duplicate->inUse = 1;
  return 0;
}

int SoundBufferRelease(SoundBuffer* b) {
  if (!b->inUse) return -1;
  b->buffer->Release();
  b->buffer = nullptr;
  b->inUse = 0;
  return 0;
}

int SoundBufferPlay(SoundBuffer* b, int loop) {
  if (!b->inUse) return -1;
  return b->buffer->Play(loop ? platform::kPlayLooping : 0);
}

int SoundBufferStop(SoundBuffer* b) { return b->inUse ? b->buffer->Stop() : -1; }

int SoundBufferGetStatus(SoundBuffer* b, uint32_t* status) {
  return b->inUse ? b->buffer->GetStatus(status) : -1;
}

int SoundBufferLock(SoundBuffer* b, uint32_t offset, uint32_t bytes, void** first,
                    uint32_t* firstBytes, void** second, uint32_t* secondBytes) {
  if (!b->inUse) return -1;
  return b->buffer->Lock(offset, bytes, first, firstBytes, second, secondBytes);
}

int SoundBufferUnlock(SoundBuffer* b, void* first, uint32_t firstBytes, void* second,
                      uint32_t secondBytes) {
  return b->inUse ? b->buffer->Unlock(first, firstBytes, second, secondBytes) : -1;
}

int SoundBufferSetVolume(SoundBuffer* b, int32_t volume) {
  return b->inUse ? b->buffer->SetVolume(volume) : -1;
}

int SoundBufferSetPosition(SoundBuffer* b, uint32_t offset) {
  return b->inUse ? b->buffer->SetCurrentPosition(offset) : -1;
}

int SoundBufferGetPosition(SoundBuffer* b, uint32_t* play, uint32_t* write) {
  return b->inUse ? b->buffer->GetCurrentPosition(play, write) : -1;
}

}  // namespace rt
