#include "tools/dataset/sound_synth.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "tools/dataset/canvas.h"

namespace dataset {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kPeak = 0.89;  // about -1 dB of full scale

double Oscillator(Wave wave, double phase, Random& noise) {
  const double p = phase - std::floor(phase);
  switch (wave) {
    case Wave::kSine:
      return std::sin(2 * kPi * p);
    case Wave::kSquare:
      return p < 0.5 ? 1.0 : -1.0;
    case Wave::kSaw:
      return 2.0 * p - 1.0;
    case Wave::kTriangle:
      return p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
    case Wave::kNoise:
      return static_cast<double>(noise.Next() % 20001) / 10000.0 - 1.0;
  }
  return 0;
}

// Adds one voice into a mono buffer.
void RenderLayer(const Layer& layer, int rate, uint32_t seed, std::vector<double>& out) {
  Random noise(seed);
  const int start = layer.startMs * rate / 1000;
  const int length = layer.lengthMs * rate / 1000;
  const int attack = std::max(layer.attackMs * rate / 1000, 1);
  const int release = std::max(rate / 200, 1);  // 5 ms, so no voice ends with a click
  if (out.size() < static_cast<size_t>(start + length)) out.resize(static_cast<size_t>(start + length), 0);
  double phase = 0;
  double smoothed = 0;
  for (int i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double progress = length > 1 ? static_cast<double>(i) / (length - 1) : 0;
    double hz = layer.startHz * std::pow(layer.endHz / layer.startHz, progress);
    if (layer.vibratoHz > 0) hz *= 1.0 + layer.vibratoDepth * std::sin(2 * kPi * layer.vibratoHz * t);
    phase += hz / rate;
    double v = Oscillator(layer.wave, phase, noise);
    if (layer.smoothing > 0) {
      smoothed += (v - smoothed) * (1.0 - layer.smoothing);
      v = smoothed;
    }
    double envelope = i < attack ? static_cast<double>(i) / attack : 1.0;
    if (layer.decayPerSecond > 0) envelope *= std::exp(-layer.decayPerSecond * t);
    if (length - i < release) envelope *= static_cast<double>(length - i) / release;
    out[static_cast<size_t>(start + i)] += v * envelope * layer.volume;
  }
}

int16_t ToSample(double v) {
  return static_cast<int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0));
}

double PeakOf(const std::vector<double>& data) {
  double peak = 0;
  for (double v : data) peak = std::max(peak, std::abs(v));
  return peak;
}

double MidiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

struct Note {
  double beat = 0;
  double beats = 1;
  int midi = 0;
};

std::vector<Note> ParseMelody(const std::string& text) {
  std::vector<Note> notes;
  std::istringstream in(text);
  std::string token;
  double beat = 0;
  while (in >> token) {
    const size_t colon = token.find(':');
    if (colon == std::string::npos) continue;
    const std::string pitch = token.substr(0, colon);
    const double beats = std::atof(token.c_str() + colon + 1);
    if (pitch != "r") notes.push_back({beat, beats, std::atoi(pitch.c_str())});
    beat += beats;
  }
  return notes;
}

// A stereo mix: voices are placed left or right by pan (-1 .. 1).
struct StereoMix {
  std::vector<double> left;
  std::vector<double> right;
  void Add(const std::vector<double>& voice, size_t at, double pan) {
    const size_t end = at + voice.size();
    if (left.size() < end) {
      left.resize(end, 0);
      right.resize(end, 0);
    }
    const double l = std::sqrt((1.0 - pan) / 2.0), r = std::sqrt((1.0 + pan) / 2.0);
    for (size_t i = 0; i < voice.size(); ++i) {
      left[at + i] += voice[i] * l;
      right[at + i] += voice[i] * r;
    }
  }
};

std::vector<double> Voice(const Layer& layer, int rate, uint32_t seed) {
  std::vector<double> out;
  RenderLayer(layer, rate, seed, out);
  return out;
}

}  // namespace

Pcm RenderEffect(const EffectRecipe& recipe, int rate) {
  std::vector<double> mix;
  uint32_t seed = 1;
  for (const Layer& layer : recipe.layers) RenderLayer(layer, rate, seed++, mix);
  const double peak = PeakOf(mix);
  Pcm pcm;
  pcm.rate = rate;
  pcm.channels = 1;
  pcm.samples.reserve(mix.size());
  for (double v : mix) pcm.samples.push_back(ToSample(peak > 0 ? v * kPeak / peak : 0));
  return pcm;
}

Pcm RenderSong(const Song& song, int rate) {
  const double beatSeconds = 60.0 / song.bpm;
  const int beatsPerBar = 4;
  const size_t loopFrames = static_cast<size_t>(std::lround(song.bars * beatsPerBar * beatSeconds * rate));
  auto at = [&](double beat) { return static_cast<size_t>(std::lround(beat * beatSeconds * rate)); };
  auto ms = [&](double beats) { return static_cast<int>(std::lround(beats * beatSeconds * 1000)); };
  StereoMix mix;
  uint32_t seed = 100;

  for (int bar = 0; bar < song.bars && bar < static_cast<int>(song.chords.size()); ++bar) {
    const std::vector<int>& chord = song.chords[static_cast<size_t>(bar)];
    const double barBeat = bar * beatsPerBar;
    // Pad: two slightly detuned, smoothed saws per chord note, held for the bar.
    for (size_t n = 0; n < chord.size(); ++n) {
      for (int d = 0; d < 2; ++d) {
        Layer pad{Wave::kSaw, MidiToHz(chord[n]) * (d == 0 ? 0.997 : 1.003), 0, 0, ms(beatsPerBar) + 120,
                  ms(1.0), 0.4, 0.05, 0.93};
        pad.endHz = pad.startHz;
        mix.Add(Voice(pad, rate, seed++), at(barBeat), d == 0 ? -0.5 : 0.5);
      }
    }
    // Bass: the root two octaves down on every eighth, plucked.
    for (int e = 0; e < beatsPerBar * 2; ++e) {
      const int note = chord.front() - 24 + ((e % 4 == 3) ? 12 : 0);
      Layer bass{Wave::kTriangle, MidiToHz(note), MidiToHz(note), 0, ms(0.5), 3, 5.0, 0.32, 0.5};
      mix.Add(Voice(bass, rate, seed++), at(barBeat + e * 0.5), 0.0);
    }
    // Arpeggio: chord notes an octave up in sixteenths.
    if (song.arpeggio) {
      for (int s = 0; s < beatsPerBar * 4; ++s) {
        const int note = chord[static_cast<size_t>(s) % chord.size()] + 12 + (s % 8 >= 4 ? 12 : 0);
        Layer arp{Wave::kSquare, MidiToHz(note), MidiToHz(note), 0, ms(0.25), 2, 14.0, 0.06, 0.6};
        mix.Add(Voice(arp, rate, seed++), at(barBeat + s * 0.25), (s % 2) ? 0.6 : -0.6);
      }
    }
    // Drums.
    if (song.drums) {
      for (int b = 0; b < beatsPerBar; ++b) {
        if (b % 2 == 0) {
          Layer kick{Wave::kSine, 120, 42, 0, 220, 1, 14.0, 0.7};
          mix.Add(Voice(kick, rate, seed++), at(barBeat + b), 0.0);
        } else if (song.snare) {
          Layer snare{Wave::kNoise, 1, 1, 0, 160, 1, 22.0, 0.28, 0.35};
          Layer body{Wave::kTriangle, 190, 160, 0, 120, 1, 25.0, 0.25};
          mix.Add(Voice(snare, rate, seed++), at(barBeat + b), 0.1);
          mix.Add(Voice(body, rate, seed++), at(barBeat + b), 0.1);
        }
        for (int h = 0; h < 2; ++h) {
          Layer hat{Wave::kNoise, 1, 1, 0, 45, 1, 70.0, h == 0 ? 0.10 : 0.06};
          mix.Add(Voice(hat, rate, seed++), at(barBeat + b + h * 0.5), 0.35);
        }
      }
    }
  }
  // Melody: a soft triangle lead with a little vibrato and an echo a dotted eighth later.
  for (const Note& note : ParseMelody(song.melody)) {
    Layer lead{Wave::kTriangle, MidiToHz(note.midi), MidiToHz(note.midi), 0, ms(note.beats), 12, 1.6,
               song.melodyVolume, 0.2, 5.0, 0.006};
    std::vector<double> voice = Voice(lead, rate, seed++);
    mix.Add(voice, at(note.beat), -0.15);
    for (double& v : voice) v *= 0.3;
    mix.Add(voice, at(note.beat + 0.75), 0.3);
  }

  if (song.loop) {
    // Whatever rings past the loop's end is heard again at its start.
    for (size_t i = loopFrames; i < mix.left.size(); ++i) {
      mix.left[i - loopFrames] += mix.left[i];
      mix.right[i - loopFrames] += mix.right[i];
    }
    mix.left.resize(loopFrames, 0);
    mix.right.resize(loopFrames, 0);
  }
  const double peak = std::max(PeakOf(mix.left), PeakOf(mix.right));
  const double gain = peak > 0 ? kPeak / peak : 0;
  Pcm pcm;
  pcm.rate = rate;
  pcm.channels = 2;
  pcm.samples.reserve(mix.left.size() * 2);
  for (size_t i = 0; i < mix.left.size(); ++i) {
    pcm.samples.push_back(ToSample(mix.left[i] * gain));
    pcm.samples.push_back(ToSample(mix.right[i] * gain));
  }
  return pcm;
}

}  // namespace dataset
