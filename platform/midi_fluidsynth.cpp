// The MIDI sequencer over FluidSynth: the song is rendered by the synthesiser on the audio
// output's thread, its player timed by the samples rendered, so the music keeps step with
// what is heard and a test that renders frames plays the song at its own pace.
#include <fluidsynth.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/midi.h"

namespace platform {

namespace {

constexpr int kRenderChunk = 512;
// The synthesiser's output gain: a full arrangement stays clear of clipping.
constexpr double kSynthGain = 0.4;

void SilenceFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
  });
}

bool Readable(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return f.good();
}

}  // namespace

struct MidiSequencer::Synth final : RenderSource {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;
  int rate = 0;
  std::vector<float> buffer;

  ~Synth() override {
    if (player) delete_fluid_player(player);
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
  }

  void Render(float* out, int frames, int) override {
    buffer.resize(size_t(kRenderChunk) * 2);
    for (int done = 0; done < frames;) {
      const int n = std::min(kRenderChunk, frames - done);
      fluid_synth_write_float(synth, n, buffer.data(), 0, 2, buffer.data(), 1, 2);
      for (int i = 0; i < 2 * n; ++i) out[2 * done + i] += buffer[i];
      done += n;
    }
  }
};

MidiSequencer::MidiSequencer(AudioMixer* mixer) : mixer_(mixer) {}

MidiSequencer::~MidiSequencer() {
  Close();
  synth_.reset();
}

std::vector<std::string> MidiSequencer::SoundFontCandidates() {
  std::vector<std::string> list;
  SilenceFluidLog();
  if (fluid_settings_t* settings = new_fluid_settings()) {
    char* def = nullptr;
    if (fluid_settings_getstr_default(settings, "synth.default-soundfont", &def) == FLUID_OK &&
        def && *def)
      list.push_back(def);
    delete_fluid_settings(settings);
  }
  list.push_back("/usr/share/sounds/sf2/default-GM.sf2");
  list.push_back("/usr/share/sounds/sf2/FluidR3_GM.sf2");
  list.push_back("/usr/share/sounds/sf2/TimGM6mb.sf2");
  return list;
}

bool MidiSequencer::EnsureSynth() {
  const int rate = int(mixer_->PrimaryFormat().samplesPerSec);
  if (synth_ && synth_->rate == rate) return true;
  synth_.reset();
  SilenceFluidLog();
  auto s = std::make_unique<Synth>();
  s->rate = rate;
  s->settings = new_fluid_settings();
  if (!s->settings) return false;
  fluid_settings_setnum(s->settings, "synth.sample-rate", rate);
  fluid_settings_setnum(s->settings, "synth.gain", kSynthGain);
  fluid_settings_setstr(s->settings, "player.timing-source", "sample");
  // Samples load as notes need them: a full General MIDI font is large.
  fluid_settings_setint(s->settings, "synth.dynamic-sample-loading", 1);
  s->synth = new_fluid_synth(s->settings);
  if (!s->synth) return false;
  bool loaded = false;
  for (const std::string& path : SoundFontCandidates()) {
    if (!Readable(path)) continue;
    if (fluid_synth_sfload(s->synth, path.c_str(), 1) != FLUID_FAILED) {
      loaded = true;
      break;
    }
  }
  if (!loaded) return false;
  synth_ = std::move(s);
  return true;
}

int MidiSequencer::Open(const std::string& path) {
  Close();
  SilenceFluidLog();
  if (!fluid_is_midifile(path.c_str())) return -1;
  std::ifstream f(path, std::ios::binary);
  if (!f) return -1;
  std::vector<uint8_t> song((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (!EnsureSynth()) return -1;
  song_ = std::move(song);
  fluid_synth_system_reset(synth_->synth);
  open_ = true;
  notified_ = false;
  return 0;
}

int MidiSequencer::Port(uint32_t* port) const {
  if (!open_ || !port) return -1;
  *port = kMidiMapperPort;
  return 0;
}

void MidiSequencer::DetachPlayer() {
  if (!synth_) return;
  // Out of the mix first, so that the output thread is not inside the synthesiser while
  // its player goes.
  mixer_->RemoveSource(synth_.get());
  if (synth_->player) {
    fluid_player_stop(synth_->player);
    delete_fluid_player(synth_->player);
    synth_->player = nullptr;
  }
}

int MidiSequencer::Play() {
  if (!open_) return -1;
  DetachPlayer();
  fluid_synth_all_notes_off(synth_->synth, -1);
  fluid_player_t* player = new_fluid_player(synth_->synth);
  if (!player) return -1;
  if (fluid_player_add_mem(player, song_.data(), song_.size()) != FLUID_OK ||
      fluid_player_play(player) != FLUID_OK) {
    delete_fluid_player(player);
    return -1;
  }
  synth_->player = player;
  notified_ = false;
  mixer_->AddSource(synth_.get());
  return 0;
}

bool MidiSequencer::TakeEndNotification() {
  if (!open_ || notified_ || !synth_ || !synth_->player) return false;
  // The song ends with its last event, as a sequencer device reports it; the player itself
  // only finishes once the last notes have died away.
  fluid_player_t* player = synth_->player;
  const int total = fluid_player_get_total_ticks(player);
  const bool atEnd = total > 0 && fluid_player_get_current_tick(player) >= total;
  if (!atEnd && fluid_player_get_status(player) != FLUID_PLAYER_DONE) return false;
  notified_ = true;
  return true;
}

int MidiSequencer::Close() {
  if (!open_) return 0;
  DetachPlayer();
  fluid_synth_all_sounds_off(synth_->synth, -1);
  song_.clear();
  open_ = false;
  notified_ = false;
  return 0;
}

}  // namespace platform
