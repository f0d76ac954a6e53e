// Facade rows of sound and music.
#include "runtime/api.h"
#include "runtime/core/library_lock.h"
#include "runtime/sound/sound.h"

int LoadSound(const char* path, int bufferCount, int streamOption) {
  return rt::WithLibraryLock([&] { return rt::LoadSoundThunk(path, bufferCount, streamOption); });
}

int DeleteSound(int handle, int unused) {
  return rt::WithLibraryLock([&] { return rt::DeleteSoundImpl(handle, unused); });
}

int PlaySoundHandle(int handle, int playType, int fromStart) {
  return rt::WithLibraryLock([&] { return rt::PlaySoundHandleImpl(handle, playType, fromStart); });
}

int CheckSoundPlaying(int handle) {
  return rt::WithLibraryLock([&] { return rt::CheckSoundPlayingImpl(handle); });
}

int SetSoundVolume(int volume, int handle) {
  return rt::WithLibraryLock([&] { return rt::SetSoundVolumeImpl(volume, handle); });
}

int PlaySoundFile(const char* path, int playType) {
  return rt::WithLibraryLock([&] { return rt::PlaySoundFileImpl(path, playType); });
}

int PlayMusicFile(const char* path, int playType) {
  return rt::WithLibraryLock([&] { return rt::PlayMusicFileImpl(path, playType); });
}

int SetMusicVolume(int volume) {
  return rt::WithLibraryLock([&] { return rt::SetMusicVolumeImpl(volume); });
}

int StopMusic() {
  return rt::WithLibraryLock([] { return rt::StopMusicImpl(); });
}

int CheckMusicPlaying() {
  return rt::WithLibraryLock([] { return rt::CheckMusicPlayingImpl(); });
}
