// A MIDI file as the music player opens and plays it: the sequencer takes the file, plays
// it into the mixer, and a few blocks of sound are rendered, so the song's events are read.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/audio.h"
#include "platform/midi.h"

namespace {

constexpr int kBlocks = 8;
constexpr int kBlockFrames = 2048;

struct Player {
  Player() : mixer(&sink), sequencer(&mixer) {
    char directory[] = "/tmp/midi_fuzz_XXXXXX";
    if (!mkdtemp(directory)) __builtin_trap();
    path = std::string(directory) + "/song.mid";
    const platform::PcmFormat format = platform::MakePcmFormat(2, 44100, 16);
    mixer.Connect();
    mixer.Initialize();
    mixer.SetPrimaryFormat(format);
    if (!sink.Start(format, &mixer)) __builtin_trap();
  }
  platform::RecordingAudioSink sink;
  platform::AudioMixer mixer;
  platform::MidiSequencer sequencer;
  std::string path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One synthesiser for the whole run: loading the sound font is the slow part.
  static Player* player = new Player();
  if (!platform::WriteAndCloseDescriptor(open(player->path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), data, size)) {
    return 0;
  }
  if (player->sequencer.Open(player->path) == 0 && player->sequencer.Play() == 0) {
    for (int i = 0; i < kBlocks && !player->sequencer.TakeEndNotification(); ++i) player->sink.Render(kBlockFrames);
    player->sink.ClearRecording();
  }
  player->sequencer.Close();
  return 0;
}
