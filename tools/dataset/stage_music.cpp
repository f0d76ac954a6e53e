#include "tools/dataset/stage_music.h"

namespace dataset {
namespace {

Song Tune(int bpm, std::vector<std::vector<int>> chords, std::string melody, bool snare, double volume) {
  Song s;
  s.bpm = bpm;
  s.bars = static_cast<int>(chords.size());
  s.chords = std::move(chords);
  s.melody = std::move(melody);
  s.snare = snare;
  s.melodyVolume = volume;
  return s;
}

}  // namespace

std::vector<StageTune> StageTunes() {
  std::vector<StageTune> t;
  // Night on deck: hushed minor, no snare.
  t.push_back({"bzx/stage_01.ogg", "stage music, deck at night: hushed E minor loop, 84 bpm",
               Tune(84, {{52, 55, 59}, {48, 52, 55}, {50, 54, 57}, {47, 50, 54}}, "71:2 67:1 69:1 71:3 r:1 72:2 71:1 69:1 66:3 r:1", false, 0.26)});
  // The hold: creeping chromatic bass.
  t.push_back({"bzx/stage_02.ogg", "stage music, the hold: creeping D minor loop, 96 bpm",
               Tune(96, {{50, 53, 57}, {49, 53, 56}, {48, 51, 55}, {47, 50, 53}}, "74:1 r:1 77:1 76:1 74:2 r:2 73:1 r:1 74:1 76:1 69:3 r:1", true, 0.3)});
  t.push_back({"bzx/stage_0304.ogg", "stage music, bridge and ducts: driving A minor loop, 120 bpm",
               Tune(120, {{57, 60, 64}, {55, 59, 62}, {53, 57, 60}, {52, 56, 59}}, "81:0.5 79:0.5 76:1 76:1 79:1 77:0.5 76:0.5 74:1 72:2 71:1 72:1 74:1 76:1 r:2", true, 0.3)});
  t.push_back({"bzx/stage_05.ogg", "stage music, engine rooms: heavy G minor loop, 104 bpm",
               Tune(104, {{43, 46, 50}, {43, 46, 50}, {39, 43, 46}, {41, 45, 48}}, "67:1.5 70:0.5 69:1 67:1 65:2 62:2 67:1.5 70:0.5 72:1 74:1 70:4", true, 0.32)});
  t.push_back({"bzx/stage_06.ogg", "stage music, laboratories: eerie whole-tone loop, 76 bpm",
               Tune(76, {{48, 52, 56}, {50, 54, 58}, {52, 56, 60}, {50, 54, 58}}, "72:3 74:1 76:2 78:2 80:3 78:1 76:4", false, 0.24)});
  t.push_back({"bzx/stage_07.ogg", "stage music, the upper decks: urgent C minor loop, 132 bpm",
               Tune(132, {{48, 51, 55}, {44, 48, 51}, {46, 50, 53}, {43, 47, 50}}, "72:0.5 75:0.5 79:1 77:0.5 75:0.5 74:1 72:1 70:1 71:2 74:1 77:1 79:2 r:2", true, 0.3)});
  t.push_back({"bzx/stage_08.ogg", "stage music, the last area: grave F minor march, 88 bpm",
               Tune(88, {{41, 44, 48}, {46, 49, 53}, {48, 52, 55}, {41, 44, 48}}, "77:2 80:1 79:1 77:2 72:2 73:2 77:1 76:1 77:4", true, 0.34)});
  t.push_back({"bzx/stage_m.ogg", "stage music, second character: bright B-flat major loop, 116 bpm",
               Tune(116, {{46, 50, 53}, {43, 46, 50}, {51, 55, 58}, {53, 57, 60}}, "74:1 77:1 82:2 81:1 79:1 77:2 75:1 74:1 72:1 74:1 77:4", true, 0.3)});
  t.push_back({"patch/stage_k.ogg", "stage music, third character's own stages: playful D major loop, 126 bpm",
               Tune(126, {{50, 54, 57}, {47, 50, 54}, {43, 47, 50}, {45, 49, 52}}, "78:0.5 76:0.5 74:1 78:1 81:1 79:1 78:1 76:2 74:1 73:1 71:1 73:1 74:4", true, 0.3)});
  // VR training: cool synthetic moods, one per category.
  t.push_back({"patch/vr_1.ogg", "VR music, sneaking: sparse C major loop, 100 bpm",
               Tune(100, {{48, 52, 55}, {45, 48, 52}, {41, 45, 48}, {43, 47, 50}}, "76:2 r:1 79:1 77:2 r:2 76:1 74:1 72:2 74:4", false, 0.26)});
  t.push_back({"patch/vr_2.ogg", "VR music, weapons: pulsing E minor loop, 128 bpm",
               Tune(128, {{40, 43, 47}, {40, 43, 47}, {36, 40, 43}, {38, 42, 45}}, "64:0.5 64:0.5 67:1 64:0.5 64:0.5 71:1 69:1 67:1 66:2 64:1 62:1 64:4", true, 0.3)});
  t.push_back({"patch/vr_3.ogg", "VR music, advanced: tense B minor loop, 112 bpm",
               Tune(112, {{47, 50, 54}, {43, 47, 50}, {45, 49, 52}, {42, 46, 49}}, "71:1 74:1 78:1 76:1 74:2 73:2 71:1 73:1 74:1 76:1 78:4", true, 0.3)});
  t.push_back({"patch/vr_4.ogg", "VR music, special: bouncy F major loop, 136 bpm",
               Tune(136, {{41, 45, 48}, {46, 50, 53}, {48, 52, 55}, {41, 45, 48}}, "77:0.5 81:0.5 84:1 81:1 79:1 77:1 76:1 77:2 72:1 74:1 76:1 77:4", true, 0.3)});
  // The alert: fast, insistent, a semitone clash.
  t.push_back({"bzx/warning.ogg", "alert music: insistent, fast D minor loop with semitone stabs, 150 bpm",
               Tune(150, {{50, 53, 57}, {51, 54, 58}, {50, 53, 57}, {49, 52, 56}}, "74:0.5 75:0.5 74:0.5 75:0.5 74:1 r:1 77:0.5 78:0.5 77:0.5 78:0.5 77:1 r:1 74:0.5 75:0.5 74:0.5 75:0.5 81:2 73:4", true, 0.36)});
  return t;
}

}  // namespace dataset
