// The MIDI sequencer device: plays a Standard MIDI File through a General MIDI
// synthesiser whose output joins the audio mixer. Like a sequencer device it is opened on
// a file, played, and tells once that it reached the end; the caller polls for that.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio.h"

namespace platform {

// The port a sequencer answers when it plays through the system's MIDI mapper.
constexpr uint32_t kMidiMapperPort = 0xFFFF;

class MidiSequencer {
 public:
  explicit MidiSequencer(AudioMixer* mixer);
  ~MidiSequencer();
  MidiSequencer(const MidiSequencer&) = delete;
  MidiSequencer& operator=(const MidiSequencer&) = delete;

  // Opens the device on a file; -1 when it is not a MIDI file, cannot be read, or no
  // synthesiser or sound font is available.
  int Open(const std::string& path);
  bool IsOpen() const { return open_; }
  // The output port (always the mapper here); -1 when not open.
  int Port(uint32_t* port) const;
  // Plays from the start of the song; -1 when not open.
  int Play();
  // True once each time a play reached the end of the song.
  bool TakeEndNotification();
  // Stops and closes the device (silencing held notes).
  int Close();

  // Where General MIDI sound fonts are looked for, in order.
  static std::vector<std::string> SoundFontCandidates();

 private:
  struct Synth;
  bool EnsureSynth();
  void DetachPlayer();

  AudioMixer* mixer_;
  std::unique_ptr<Synth> synth_;
  std::vector<uint8_t> song_;
  bool open_ = false;
  bool notified_ = false;
};

// Writes a whole block to an open file descriptor (a new temporary file the sequencer is
// then opened on) and closes it; false when not all of it was written.
bool WriteAndCloseDescriptor(int descriptor, const void* data, size_t size);

}  // namespace platform
