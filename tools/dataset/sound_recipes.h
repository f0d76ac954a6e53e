// What the game's sounds are made of: the forty sound effects and the music pieces.
#pragma once
#include "tools/dataset/sound_synth.h"

namespace dataset {

constexpr int kSoundEffectCount = 40;

// Sound effect i of the game's table (0..39).
EffectRecipe SoundEffectRecipe(int index);

Song TitleSong();     // a minor-key loop with a driving arpeggio
Song BriefingSong();  // a calm loop without snare
Song GameOverSong();  // a falling phrase played once

}  // namespace dataset
