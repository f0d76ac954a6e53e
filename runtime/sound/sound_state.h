// The sound subsystem's globals and the operations its parts share.
#pragma once
#include <memory>
#include <string>

#include "platform/audio.h"
#include "platform/midi.h"
#include "runtime/core/memory.h"
#include "runtime/image/handle_table.h"
#include "runtime/sound/music_record.h"
#include "runtime/sound/sound_record.h"

namespace rt {

constexpr int kMaxMusicHandles = 256;

struct SoundState {
  // The sound device; null when sound did not start, which every operation tests.
  platform::AudioMixer* device = nullptr;
  // The sink is declared first so that it outlives the device: a state torn down at exit
  // without EndSound shuts the device down through a sink that still exists.
  std::unique_ptr<platform::AudioSink> ownedSink;
  std::unique_ptr<platform::AudioMixer> ownedDevice;
  // Set when no audio device opened and the device runs on the silent output instead.
  platform::SilentAudioSink* silentOutput = nullptr;
  platform::SoundBuffer* silentBuffer = nullptr;
  // 0: files load whole as PCM; another value makes LoadSoundImpl build a stream sound
  // with sources of that kind.
  int soundDataType = 0;
  int oggBytesPerSample = 2;
  ListNode streamHead;
  ListNode streamTail;
  int playSoundFileHandle = -1;
  HandleTable<SoundRecord> sounds{kHandleTypeSound, kMaxSoundHandles};

  // Music.
  HandleTable<MusicRecord> music{kHandleTypeMusic, kMaxMusicHandles};
  int currentMusic = 0;  // a music handle or a stream sound's handle; 0 none
  int musicIsStream = 0;
  int midiPlayingHandle = -1;
  std::unique_ptr<platform::MidiSequencer> sequencer;  // the open device, when any
  int midiDevicePlaying = 0;
  int midiLoop = 0;
  std::string tempMidiPath;
  int tempMidiExists = 0;
};

SoundState& GetSoundState();

// On the silent output: mixes what a device would have played by now, so that play
// states answer as they would with sound.
void KeepSilentOutputTime();

// The sound record behind a handle, or null.
SoundRecord* FindSound(int handle);

}  // namespace rt
