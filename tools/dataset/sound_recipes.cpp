#include "tools/dataset/sound_recipes.h"

namespace dataset {
namespace {

using W = Wave;

// Layer fields in order: wave, start Hz, end Hz, start ms, length ms, attack ms, decay per
// second, volume, smoothing, vibrato Hz, vibrato depth.

EffectRecipe Gunshot(double body, int lengthMs, double smoothing) {
  return {{{W::kNoise, 1, 1, 0, lengthMs, 1, 18, 0.9, smoothing},
           {W::kSine, body, body / 3, 0, lengthMs / 2, 1, 20, 0.8},
           {W::kNoise, 1, 1, 0, 12, 0, 0, 0.6, 0}}};
}

EffectRecipe Click(int count, int gapMs, double pitch) {
  EffectRecipe r;
  for (int i = 0; i < count; ++i) {
    r.layers.push_back({W::kNoise, 1, 1, i * gapMs, 18, 0, 120, 0.7, 0.2});
    r.layers.push_back({W::kSquare, pitch, pitch * 0.8, i * gapMs, 25, 0, 90, 0.25});
  }
  return r;
}

EffectRecipe Notes(W wave, std::initializer_list<double> hz, int stepMs, int lengthMs, double decay) {
  EffectRecipe r;
  int at = 0;
  for (double f : hz) {
    r.layers.push_back({wave, f, f, at, lengthMs, 3, decay, 0.5});
    at += stepMs;
  }
  return r;
}

EffectRecipe Explosion(int lengthMs, double depth) {
  return {{{W::kNoise, 1, 1, 0, lengthMs, 3, 3.5, 1.0, depth},
           {W::kSine, 70, 28, 0, lengthMs * 2 / 3, 2, 4, 0.9},
           {W::kNoise, 1, 1, 0, 80, 0, 20, 0.5, 0.3}}};
}

EffectRecipe Metal(std::initializer_list<double> partials, int lengthMs, double decay) {
  EffectRecipe r;
  r.layers.push_back({W::kNoise, 1, 1, 0, 15, 0, 100, 0.5, 0});
  double volume = 0.6;
  for (double f : partials) {
    r.layers.push_back({W::kSine, f, f, 0, lengthMs, 1, decay, volume});
    volume *= 0.7;
  }
  return r;
}

}  // namespace

EffectRecipe SoundEffectRecipe(int index) {
  switch (index) {
    case 0: return Gunshot(160, 260, 0.3);                                   // pistol
    case 1: return {{{W::kNoise, 1, 1, 0, 70, 2, 40, 0.8, 0.85}}};           // footstep
    case 2: return {{{W::kNoise, 1, 1, 0, 60, 2, 45, 0.8, 0.75}}};           // footstep, lighter
    case 3: return Metal({2100, 3350, 4700}, 260, 14);                       // round on metal
    case 4: return {{{W::kNoise, 1, 1, 0, 140, 2, 30, 0.8, 0.8}}};           // suppressed shot
    case 5: return Gunshot(120, 360, 0.45);                                  // heavy gun
    case 6: return {{{W::kSquare, 55, 55, 0, 650, 5, 1.5, 0.5, 0.5},         // electric buzz
                     {W::kSaw, 110, 104, 0, 650, 5, 1.5, 0.4, 0.3, 13, 0.05},
                     {W::kNoise, 1, 1, 0, 650, 5, 2, 0.3, 0.1}}};
    case 7: return Click(2, 120, 900);                                       // weapon readied
    case 8: return Click(1, 0, 1400);                                        // out of rounds
    case 9: return Metal({1800, 2710, 3900}, 350, 9);                        // target hit
    case 10: return {{{W::kSaw, 2200, 380, 0, 260, 1, 6, 0.6},               // spark round
                      {W::kNoise, 1, 1, 0, 200, 1, 12, 0.4, 0}}};
    case 11: return Click(3, 140, 700);                                      // reload
    case 12: return {{{W::kNoise, 1, 1, 0, 700, 40, 1, 0.7, 0.9},            // sliding door
                      {W::kSine, 90, 60, 0, 700, 40, 1, 0.4},
                      {W::kNoise, 1, 1, 650, 60, 1, 30, 0.6, 0.5}}};
    case 13: return Notes(W::kSquare, {880, 1320}, 90, 260, 5);              // seen!
    case 14: return {{{W::kNoise, 1, 1, 0, 20, 0, 80, 0.6, 0.2},             // weapon change
                      {W::kSquare, 600, 1200, 40, 90, 2, 10, 0.35}}};
    case 15: return {{{W::kSaw, 320, 110, 0, 260, 1, 6, 0.7, 0.4},           // hurt
                      {W::kNoise, 1, 1, 0, 160, 1, 14, 0.5, 0.5}}};
    case 16: return Notes(W::kSine, {1047, 1319, 1568, 2093}, 55, 160, 10);  // item
    case 17: return Notes(W::kSquare, {880, 1319}, 60, 90, 14);              // confirm
    case 18: return Notes(W::kSquare, {1200}, 0, 45, 30);                    // cursor
    case 19: return Notes(W::kSquare, {880, 587}, 60, 90, 14);               // cancel
    case 20: return Explosion(1200, 0.9);                                    // explosion
    case 21: return Notes(W::kTriangle, {784, 988, 1175}, 70, 200, 8);       // item, second kind
    case 22: return {{{W::kNoise, 1, 1, 0, 450, 0, 9, 1.0, 0.1},             // sniper shot
                      {W::kSine, 2400, 800, 0, 40, 0, 40, 0.5},
                      {W::kSine, 110, 40, 0, 250, 1, 10, 0.7}}};
    case 23: return Gunshot(90, 420, 0.55);                                  // armour-piercing
    case 24: return Metal({400, 1130, 2300, 3400}, 1000, 3);                 // steel clang
    case 25: return {{{W::kSquare, 700, 1400, 0, 70, 2, 12, 0.35},           // gadget change
                      {W::kNoise, 1, 1, 60, 150, 20, 10, 0.4, 0.6}}};
    case 26: return {{{W::kSine, 3200, 300, 0, 320, 1, 4, 0.7},              // laser
                      {W::kSquare, 1600, 150, 0, 320, 1, 5, 0.15}}};
    case 27: return Explosion(1600, 0.93);                                   // bomb
    case 28: return {{{W::kNoise, 1, 1, 0, 500, 120, 2, 0.7, 0.6},           // whoosh
                      {W::kSine, 300, 900, 0, 500, 120, 2, 0.3}}};
    case 29: return Notes(W::kSquare, {1000, 1500, 1000, 1500, 2000}, 70, 60, 20);  // computer
    case 30: return {{{W::kSquare, 900, 200, 0, 1800, 10, 0.8, 0.4, 0.3, 9, 0.2},   // jammer
                      {W::kNoise, 1, 1, 0, 1800, 10, 1.2, 0.3, 0.7}}};
    case 31: return Metal({3100, 4300, 5200, 6100, 7000}, 600, 7);           // glass
    case 32: return {{{W::kNoise, 1, 1, 0, 160, 1, 26, 0.8, 0.55},           // tranquilliser
                      {W::kSine, 500, 300, 0, 60, 1, 30, 0.3}}};
    case 33: return {{{W::kSine, 420, 380, 0, 280, 1, 7, 0.7, 0, 28, 0.1},   // pulse round
                      {W::kSquare, 210, 190, 0, 200, 1, 10, 0.2}}};
    case 34: return {{{W::kNoise, 1, 1, 0, 20, 0, 80, 0.5, 0.2},             // rounds made
                      {W::kNoise, 1, 1, 150, 20, 0, 80, 0.5, 0.2},
                      {W::kTriangle, 500, 1000, 300, 200, 5, 6, 0.4}}};
    case 35: return {{{W::kNoise, 1, 1, 0, 80, 5, 20, 0.5, 0.8},             // ration eaten
                      {W::kNoise, 1, 1, 160, 80, 5, 20, 0.5, 0.8},
                      {W::kSine, 784, 784, 340, 120, 3, 8, 0.4},
                      {W::kSine, 1175, 1175, 440, 200, 3, 6, 0.4}}};
    case 36: return {{{W::kSaw, 300, 1800, 0, 300, 1, 3, 0.4},               // wire out
                      {W::kNoise, 1, 1, 0, 300, 1, 3, 0.3, 0.4}}};
    case 37: return {{{W::kSine, 180, 70, 0, 150, 0, 15, 0.8},               // wire hits
                      {W::kSine, 2600, 2600, 0, 200, 0, 15, 0.2}}};
    case 38: return Notes(W::kTriangle, {523, 659, 784, 1047, 1319}, 110, 700, 2.5);  // VR clear
    case 39: return {{{W::kSquare, 392, 392, 0, 160, 3, 4, 0.4},             // mission start
                      {W::kSquare, 523, 523, 180, 600, 3, 2, 0.4},
                      {W::kTriangle, 262, 262, 180, 600, 3, 2, 0.4}}};
    default: return {{{W::kSine, 440, 440, 0, 100, 2, 10, 0.5}}};
  }
}

Song TitleSong() {
  Song song;
  song.bpm = 112;
  song.bars = 4;
  song.chords = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};  // Am F C G
  song.melody = "76:1.5 74:0.5 72:1 71:1 72:1.5 69:0.5 r:2 67:1 69:1 71:1 72:1 74:1.5 71:0.5 r:2";
  return song;
}

Song BriefingSong() {
  Song song;
  song.bpm = 92;
  song.bars = 4;
  song.chords = {{50, 53, 57, 60}, {46, 50, 53, 57}, {43, 46, 50, 53}, {45, 49, 52, 55}};  // Dm7 Bbmaj7 Gm7 A7
  song.melody = "69:2 72:1 74:1 72:2 70:2 67:2 70:1 72:1 73:3 r:1";
  song.snare = false;
  song.melodyVolume = 0.28;
  return song;
}

Song GameOverSong() {
  Song song;
  song.bpm = 72;
  song.bars = 3;
  song.chords = {{57, 60, 64}, {53, 57, 60}, {52, 56, 59}};  // Am F E
  song.melody = "76:1 74:1 72:1 71:1 69:1 67:1 65:1 64:1 r:0.5 57:3";
  song.drums = false;
  song.arpeggio = false;
  song.loop = false;
  song.melodyVolume = 0.45;
  return song;
}

}  // namespace dataset
