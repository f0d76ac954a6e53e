// Sound effects and music made from oscillators, noise and envelopes. Everything is
// computed from the recipe alone, so every build renders the same samples.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace dataset {

struct Pcm {
  int rate = 22050;
  int channels = 1;
  std::vector<int16_t> samples;  // interleaved
  int Frames() const { return channels > 0 ? static_cast<int>(samples.size()) / channels : 0; }
};

enum class Wave { kSine, kSquare, kSaw, kTriangle, kNoise };

// One voice of a sound effect: a tone (or noise) gliding from startHz to endHz, shaped by a
// short attack and an exponential fall.
struct Layer {
  Wave wave = Wave::kSine;
  double startHz = 440;
  double endHz = 440;
  int startMs = 0;
  int lengthMs = 100;
  int attackMs = 2;
  double decayPerSecond = 8;  // exponential fall rate; 0 holds, then releases at the end
  double volume = 0.5;
  // One-pole smoothing of the voice, 0 (none) .. 0.99 (dull): tames noise into rumbles.
  double smoothing = 0;
  double vibratoHz = 0;  // pitch wobble
  double vibratoDepth = 0;  // as a fraction of the pitch
};

struct EffectRecipe {
  std::vector<Layer> layers;
};

constexpr int kEffectRate = 22050;
constexpr int kMusicRate = 44100;

// Mono, normalised to just below full scale.
Pcm RenderEffect(const EffectRecipe& recipe, int rate = kEffectRate);

// A short piece: chords, a bass, an arpeggio, a melody and drums.
struct Song {
  int bpm = 120;
  int bars = 4;
  // One chord per bar: notes as MIDI numbers, lowest first.
  std::vector<std::vector<int>> chords;
  // The melody: "midi:beats" pairs separated by spaces, "r:beats" a rest.
  std::string melody;
  bool drums = true;
  bool snare = true;
  bool arpeggio = true;
  // A looped piece folds its echo tail back onto its start so the loop has no seam; a
  // piece played once ends with that tail instead.
  bool loop = true;
  double melodyVolume = 0.35;
};

// Stereo, normalised.
Pcm RenderSong(const Song& song, int rate = kMusicRate);

}  // namespace dataset
