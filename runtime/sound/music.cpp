// Music: one piece at a time, tried first as MIDI through the sequencer device (fed from a
// temporary file) and, when that fails, played as a stream sound.
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "runtime/core/log.h"
#include "runtime/core/window.h"
#include "runtime/file/plain_file.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_state.h"

namespace rt {

namespace {

// Pump passes after closing the sequencer, so that its last notices are handled.
constexpr int kNotifyDrainPasses = 5;
// Files that fail as MIDI are loaded as stream sounds with sources of this kind.
constexpr int kMusicStreamSourceKind = kSourceCompressedImage;
constexpr uint32_t kPortMask = 0xFFFF;

MusicRecord* FindMusic(int handle) { return GetSoundState().music.Find(handle); }

void RemoveTempMidiFile(SoundState& s) {
  if (!s.tempMidiPath.empty()) std::remove(s.tempMidiPath.c_str());
  s.tempMidiExists = 0;
}

// Writes the song where the sequencer opens it: a new temporary file.
int WriteTempMidiFile(SoundState& s, const MusicRecord* rec) {
  RemoveTempMidiFile(s);
  char path[kStreamPathSize];
  const int descriptor = CreateTempFile(path);
  if (descriptor < 0) return -1;
  s.tempMidiPath = path;
  return platform::WriteAndCloseDescriptor(descriptor, rec->data, rec->size) ? 0 : -1;
}

}  // namespace

int AddMusicData() {
  SoundState& s = GetSoundState();
  if (s.music.full()) return LogAdd("ミュージックデータの数が許容量を越えました終了します");
  void* memory = RT_ALLOC_ZERO(sizeof(MusicRecord));
  if (!memory) return LogAdd("メモリ領域の確保に失敗しました in AddMusicData");
  return s.music.Insert(s.music.SlotAtMark(), new (memory) MusicRecord());
}

int AddMusicFromMemory(const void* data, uint32_t size) {
  const int handle = AddMusicData();
  if (handle == -1) return -1;
  MusicRecord* rec = FindMusic(handle);
  rec->data = static_cast<uint8_t*>(RT_ALLOC(size > 0 ? size : 1));
  if (!rec->data) {
    LogAdd("ミュージックデータを一時的に保存しておくメモリ領域の確保に失敗しました\n");
    DeleteMusicImpl(handle);
    return -1;
  }
  if (size > 0) std::memcpy(rec->data, data, size);
  rec->size = size;
  rec->playing = 0;
  return handle;
}

int LoadMusicMem(const char* path) {
  if (!GetSoundState().device) return -1;
  const StreamHandle file = StreamOpen(path, 0, 1, 0);
  if (file == 0)
    return LogAddFormat("ミュージックファイル %s の読み込みに失敗しました in LoadMusicMem", path);
  StreamSeek(file, 0, kSeekEnd);
  const int64_t size = StreamTell(file);
  StreamSeek(file, 0, kSeekSet);
  auto* buffer = size >= 0 && size <= INT32_MAX
                     ? static_cast<uint8_t*>(RT_ALLOC(size > 0 ? size_t(size) : 1))
                     : nullptr;
  if (!buffer) {
    StreamClose(file);
    return LogAddFormat(
        "ミュージックファイル %s を読み込むメモリ領域の確保に失敗しました in LoadMusicMem", path);
  }
  const size_t got = StreamRead(buffer, 1, static_cast<size_t>(size), file);
  StreamClose(file);
  const int handle = AddMusicFromMemory(buffer, static_cast<uint32_t>(got));
  MemFree(buffer);
  return handle;
}

int PlayMusicImpl(int musicHandle, int playType) {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  MusicRecord* rec = FindMusic(musicHandle);
  if (!rec) return -1;
  if (s.midiPlayingHandle != -1) StopMidiImpl(s.midiPlayingHandle);

  if (WriteTempMidiFile(s, rec) != 0) return -1;
  if (!s.sequencer) s.sequencer = std::make_unique<platform::MidiSequencer>(s.device);
  if (s.sequencer->Open(s.tempMidiPath) != 0) {
    RemoveTempMidiFile(s);
    return -1;
  }
  uint32_t port = 0;
  if (s.sequencer->Port(&port) != 0) {
    s.sequencer->Close();
    LogAdd("ＭＩＤＩ演奏開始処理でエラーが起きました１\n");
    RemoveTempMidiFile(s);
    return -1;
  }
  if ((port & kPortMask) != platform::kMidiMapperPort) {
    s.sequencer->Close();
    return LogAdd("ＭＩＤＩ演奏開始処理でエラーが起きました２\n");
  }
  if (s.sequencer->Play() != 0) {
    s.sequencer->Close();
    return LogAdd("ＭＩＤＩ演奏に失敗しました\n");
  }
  s.tempMidiExists = 1;

  s.midiLoop = playType == kPlayLoop;
  s.midiDevicePlaying = 1;
  s.midiPlayingHandle = musicHandle;
  rec->playing = 1;
  rec->seenPlaying = 0;
  if (playType == kPlayWait) {
    while (ProcessMessageImpl() == 0 && GetMusicPlayState(musicHandle) == 1) {
    }
    if (s.tempMidiExists) RemoveTempMidiFile(s);
  }
  return 0;
}

int HandleMidiNotify() {
  SoundState& s = GetSoundState();
  if (!s.sequencer) return 0;
  if (s.midiLoop) {
    s.sequencer->Play();
    s.midiDevicePlaying = 1;
  } else if (s.midiDevicePlaying) {
    s.sequencer->Close();
    s.midiDevicePlaying = 0;
  }
  return 0;
}

int StopMidiImpl(int musicHandle) {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  MusicRecord* rec = FindMusic(musicHandle);
  if (!rec) return -1;
  s.midiLoop = 0;
  HandleMidiNotify();
  for (int i = 0; i < kNotifyDrainPasses; ++i) ProcessMessageImpl();
  if (s.tempMidiExists) RemoveTempMidiFile(s);
  rec->playing = 0;
  rec->seenPlaying = 0;
  if (s.midiPlayingHandle == musicHandle) s.midiPlayingHandle = -1;
  return 0;
}

int GetMusicPlayState(int musicHandle) {
  SoundState& s = GetSoundState();
  if (!s.device || !FindMusic(musicHandle)) return -1;
  return s.midiDevicePlaying;
}

int PollMusicPlayState() {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  // The sequencer's end-of-song notice is taken here, on the pump's pass.
  if (s.sequencer && s.sequencer->TakeEndNotification()) HandleMidiNotify();
  return 0;
}

int DeleteMusicImpl(int musicHandle) {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  MusicRecord* rec = FindMusic(musicHandle);
  if (!rec) return -1;
  if (rec->playing) StopMidiImpl(musicHandle);
  if (rec->data) std::memset(rec->data, 0, rec->size);
  MemFree(rec->data);
  s.music.Remove(HandleSlot(musicHandle));
  rec->~MusicRecord();
  MemFree(rec);
  return 0;
}

int DeleteAllMusic() {
  SoundState& s = GetSoundState();
  for (int slot = 0; slot < kMaxMusicHandles; ++slot) {
    const int handle = s.music.HandleAt(slot);
    if (handle != -1) DeleteMusicImpl(handle);
  }
  return 0;
}

int PlayMusicFileImpl(const char* path, int playType) {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  if (s.currentMusic != 0) {
    if (s.musicIsStream) DeleteSoundImpl(s.currentMusic);
    else DeleteMusicImpl(s.currentMusic);
    s.currentMusic = 0;
  }
  const int music = LoadMusicMem(path);
  if (music == -1) {
    s.currentMusic = 0;
    return -1;
  }
  s.currentMusic = music;
  s.musicIsStream = 0;
  if (PlayMusicImpl(music, playType) != 0) {
    // Not MIDI: the same file plays as a stream sound.
    DeleteMusicImpl(music);
    const int saved = s.soundDataType;
    s.soundDataType = kMusicStreamSourceKind;
    const int sound = LoadSoundImpl(path, 1, -1);
    s.soundDataType = saved;
    if (sound == -1) {
      s.currentMusic = 0;
      return -1;
    }
    PlaySoundHandleImpl(sound, playType, 1);
    s.currentMusic = sound;
    s.musicIsStream = 1;
  }
  return 0;
}

int StopMusicImpl() {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  if (s.currentMusic == 0) return 0;
  if (s.musicIsStream) {
    StopSoundImpl(s.currentMusic);
    DeleteSoundImpl(s.currentMusic);
  } else {
    StopMidiImpl(s.currentMusic);
    DeleteMusicImpl(s.currentMusic);
  }
  s.currentMusic = 0;
  return 0;
}

int CheckMusicPlayingImpl() {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  if (s.currentMusic == 0) return 0;
  if (s.musicIsStream) return CheckSoundPlayingImpl(s.currentMusic);
  return GetMusicPlayState(s.currentMusic);
}

int SetMusicVolumeImpl(int volume) {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  // MIDI through the sequencer device keeps its own volume.
  if (s.currentMusic != 0 && s.musicIsStream) SetSoundVolumeImpl(volume, s.currentMusic);
  return 0;
}

}  // namespace rt
