// Sound files from PCM: RIFF WAVE (16-bit PCM), MP3 (libmp3lame) and Ogg Vorbis
// (libvorbisenc). The encoders get fixed settings and a fixed stream serial number, so the
// same samples always give the same bytes.
#pragma once
#include <cstdint>
#include <string>

#include "tools/dataset/sound_synth.h"

namespace dataset {

std::string EncodeWav(const Pcm& pcm);
std::string EncodeMp3(const Pcm& pcm);
// serial: the Ogg stream's serial number (any fixed value).
std::string EncodeOgg(const Pcm& pcm, uint32_t serial);

}  // namespace dataset
