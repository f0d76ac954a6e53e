// Music handles (kind 11): a MIDI file's bytes behind each handle.
#pragma once
#include <cstdint>

namespace rt {

struct MusicRecord {
  uint32_t check = 0;
  int32_t playing = 0;
  int32_t seenPlaying = 0;
  uint8_t* data = nullptr;  // owned copy of the file
  uint32_t size = 0;
};

}  // namespace rt
